// Painting a drawing view: the background colour, the grid, the page lines and the objects,
// through the back buffer after a jump of the origin; and the grey surround of a centred view.
#include <cmath>

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "documents/options.h"
#include "frame/frame_services.h"
#include "frame/view_layout.h"
#include "model/device_units.h"
#include "model/drawing.h"
#include "model/render.h"
#include "resource.h"

namespace {

// A store-format drawing brings its ruler unchecked: divisions other than the four offered
// read as 12, a spacing that is not finite or below 1 as 100, so no division by zero and no
// millions of grid lines.
int SafeDivisions(const RulerSettings* ruler)
{
    int d = ruler->divisions;
    return d == 8 || d == 10 || d == 12 || d == 16 ? d : 12;
}

double SafeSpacing(const RulerSettings* ruler)
{
    double s = ruler->scaleBase;
    if (!std::isfinite(s) || s < 1.0) s = 100.0;
    if (ruler->screenUnit == 0) s /= 2.54;
    return s;
}

}  // namespace

int RulerUnitsToValue(const RulerSettings* ruler, int major, int sub, int zoom)
{
    double s = SafeSpacing(ruler);
    double value = sub * s / SafeDivisions(ruler) + major * s;
    if (zoom > 74) value = value * zoom / 1000.0;
    return static_cast<int>(value);
}

void DrawHairline(HDC dc, const RECT* rect)
{
    POINT p[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    LPtoDP(dc, p, 2);
    POINT moved[2] = {{p[0].x + 1, p[0].y + 1}, {p[1].x - 1, p[1].y - 1}};
    DPtoLP(dc, moved, 2);
    if (moved[0].x == rect->left) moved[0].x = rect->left + 1;
    if (moved[0].y == rect->top) moved[0].y = rect->top + 1;
    if (moved[1].y == rect->bottom) moved[1].y = rect->bottom - 1;
    if (rect->left == rect->right)
        PatBlt(dc, rect->left, moved[0].y, moved[0].x - rect->left, rect->bottom - moved[0].y, PATCOPY);
    else
        PatBlt(dc, rect->left, rect->top, rect->right - rect->left, moved[0].y - rect->top, PATCOPY);
}

void DrawGrid(Drawing* drawing, HDC dc, const RECT* rect, HBRUSH horizontal, HBRUSH vertical, int zoom)
{
    const RulerSettings* ruler = &drawing->rulerSettings;
    int divisions = SafeDivisions(ruler);
    bool dots = (zoom == 0 || zoom >= 500) &&
                RulerUnitsToValue(ruler, 0, 2, zoom) - RulerUnitsToValue(ruler, 0, 0, zoom) >= 9;
    double s = SafeSpacing(ruler);
    int firstX = static_cast<int>(rect->left / (6 * s)), lastX = static_cast<int>(rect->right / (6 * s)) + 1;
    int firstY = static_cast<int>(rect->top / (6 * s)), lastY = static_cast<int>(rect->bottom / (6 * s)) + 1;
    HGDIOBJ old = SelectObject(dc, vertical);
    for (int i = firstX; i <= lastX; ++i) {
        if (i <= 0) continue;
        int x = 6 * RulerUnitsToValue(ruler, i, 0, 0);
        RECT line = {x, rect->top, x, rect->bottom};
        DrawHairline(dc, &line);
    }
    SIZE dot = {1, 1};
    DeviceToLogicalSize(dc, &dot);
    if (dot.cx < 1) dot.cx = 1;
    if (dot.cy < 1) dot.cy = 1;
    HBRUSH dotBrush = g_patternBrushes[4];
    for (int j = firstY; j <= lastY; ++j) {
        if (j > 0) {
            int y = 6 * RulerUnitsToValue(ruler, j, 0, 0);
            SelectObject(dc, horizontal);
            RECT line = {rect->left, y, rect->right, y};
            DrawHairline(dc, &line);
        }
        if (!dots || !dotBrush) continue;
        SelectObject(dc, dotBrush);
        for (int k = 1; k < divisions; ++k) {
            int y = 6 * RulerUnitsToValue(ruler, j, k, 0);
            if (y < rect->top - dot.cy || y > rect->bottom) continue;
            for (int i = firstX; i <= lastX; ++i)
                for (int l = 1; l < divisions; ++l) {
                    int x = 6 * RulerUnitsToValue(ruler, i, l, 0);
                    PatBlt(dc, x, y, dot.cx, dot.cy, PATCOPY);
                }
        }
    }
    SelectObject(dc, old);
}

void DrawViewBackground(HDC dc, HWND view, DocumentState* state, const RECT* rect, BOOL pageLines, int zoom)
{
    (void)view;
    int saved = SaveDC(dc);
    if (g_settings && (g_settings->flags & SetShowGrid) && state->drawing && g_patternBrushes[3] && g_patternBrushes[5]) {
        Locked<Drawing> drawing(state->drawing);
        POINT corner = {rect->left, rect->top};
        LPtoDP(dc, &corner, 1);
        SetBrushOrgEx(dc, corner.x % 8, corner.y % 8, nullptr);
        UnrealizeObject(g_patternBrushes[3]);
        UnrealizeObject(g_patternBrushes[5]);
        SetTextColor(dc, RGB(0, 128, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        if (drawing) DrawGrid(drawing.get(), dc, rect, g_patternBrushes[3], g_patternBrushes[5], zoom);
    }
    int w = state->printableWidth, h = state->printableHeight;
    if (pageLines && w > 0 && h > 0) {
        HPEN pen = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        SetBkMode(dc, TRANSPARENT);
        int first = (rect->left - 10) / w, last = (rect->right + 10) / w;
        for (int i = first < 1 ? 1 : first; i <= last; ++i) {
            MoveToEx(dc, i * w, 0, nullptr);
            LineTo(dc, i * w, rect->bottom);
        }
        first = (rect->top - 10) / h;
        last = (rect->bottom + 10) / h;
        for (int j = first < 1 ? 1 : first; j <= last; ++j) {
            MoveToEx(dc, 0, j * h, nullptr);
            LineTo(dc, rect->right, j * h);
        }
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    }
    if (state->drawing) RenderPage(dc, state->drawing, rect, TRUE, FALSE, FALSE);
    RestoreDC(dc, saved);
}

void PaintView(HWND view, HDC dc, const RECT* update)
{
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    int fit = 0;
    int zoom = GetViewZoom(view, &fit);
    HGLOBAL infoBlock = reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(view, 0));
    bool fitMode = false;
    if (infoBlock) {
        Locked<ViewInfo> info(infoBlock);
        fitMode = info && (info->flags & ViewFitMode);
    }
    BOOL pageLines = fitMode || (zoom >= 1 && zoom <= 500) || (g_settings && (g_settings->flags & SetPageLinesAlways));
    if (!stateBlock) {
        FillRect(dc, update, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return;
    }
    Locked<DocumentState> state(stateBlock);
    if (!state) return;
    bool throughBuffer = (state->flags & DocRedraw) && g_backBufferDC;
    COLORREF fill = RGB(255, 255, 255);
    if (state->drawing) {
        Locked<Drawing> drawing(state->drawing);
        if (drawing && drawing->style.backgroundColor != static_cast<COLORREF>(-1))
            fill = drawing->style.backgroundColor & 0x00FFFFFF;
    }
    fill = MapColorForDevice(dc, fill, FALSE);
    SetCursorByIndex(CursorBusy);
    HDC target = dc;
    int saved = 0;
    if (throughBuffer) {
        target = g_backBufferDC;
        saved = SaveDC(target);
        SetLogicalUnits(target, zoom, kDrawingUnitsPerInch);
        if (state->palette) {
            SelectPalette(target, state->palette, FALSE);
            RealizePalette(target);
        }
        POINT origin;
        GetViewportOrgEx(dc, &origin);
        SetViewportOrgEx(target, origin.x, origin.y, nullptr);
    }
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(target, update, brush);
    DeleteObject(brush);
    DrawViewBackground(target, view, state.get(), update, pageLines, zoom);
    if (throughBuffer) {
        BitBlt(dc, update->left, update->top, update->right - update->left, update->bottom - update->top, target,
               update->left, update->top, SRCCOPY);
        state->flags &= ~static_cast<DWORD>(DocRedraw);
        RestoreDC(target, saved);
    }
    SetCursorByIndex(CursorArrow);
}

void PaintDocumentSurround(HWND documentWindow, HDC dc, const RECT* update)
{
    HWND view = GetWindow(documentWindow, GW_CHILD);
    if (!view) return;
    RECT c, v;
    GetClientRect(documentWindow, &c);
    GetWindowRect(view, &v);
    MapWindowPoints(nullptr, documentWindow, reinterpret_cast<POINT*>(&v), 2);
    HBRUSH grey = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    RECT strip, meet;
    auto fillStrip = [&](RECT r) {
        if (IntersectRect(&meet, &r, update)) FillRect(dc, &r, grey);
    };
    if (v.left > 0) {
        strip = {0, 0, v.left, c.bottom};
        fillStrip(strip);
        MoveToEx(dc, v.left - 1, v.top, nullptr);
        LineTo(dc, v.left - 1, v.bottom);
    }
    if (v.right < c.right) {
        strip = {v.right, 0, c.right, c.bottom};
        fillStrip(strip);
        MoveToEx(dc, v.right, v.top, nullptr);
        LineTo(dc, v.right, v.bottom);
    }
    if (v.top > 0) {
        strip = {0, 0, c.right, v.top};
        fillStrip(strip);
        MoveToEx(dc, v.left - 1, v.top - 1, nullptr);
        LineTo(dc, v.right + 1, v.top - 1);
    }
    if (v.bottom < c.bottom) {
        strip = {0, v.bottom, c.right, c.bottom};
        fillStrip(strip);
        MoveToEx(dc, v.left - 1, v.bottom, nullptr);
        LineTo(dc, v.right + 1, v.bottom);
    }
    SelectObject(dc, oldPen);
}
