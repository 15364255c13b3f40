// Painting, size, zoom, the visible part, run fonts and fitting the text to its box.
#include "text/text_paint.h"

#include <algorithm>

#include "model/device_units.h"
#include "model/drawing.h"
#include "store/results.h"
#include "text/ten_messages.h"
#include "text/text_engine.h"
#include "text/text_layout.h"
#include "text/text_measure.h"
#include "text/text_render.h"
#include "text/text_view.h"

void SetUpEditorDC(const TenState* state, HDC dc)
{
    SetLogicalUnits(dc, state->zoom, state->baseUnit);
    SetTextAlign(dc, TA_BASELINE);
    SetBkColor(dc, MapColorForDevice(dc, state->background, FALSE));
    SetBkMode(dc, TRANSPARENT);
}

BOOL MakeOffscreenBitmap(TenState* state, int width, int height)
{
    if (state->memoryDC) DeleteDC(state->memoryDC);
    if (state->bitmap) DeleteObject(state->bitmap);
    state->memoryDC = nullptr;
    state->bitmap = nullptr;
    state->bitmapWidth = state->bitmapHeight = 0;
    if (!state->windowDC) return FALSE;
    height = std::min(height, GetDeviceCaps(state->windowDC, VERTRES));
    width = std::max(width, 1);
    height = std::max(height, 1);
    HDC memory = CreateCompatibleDC(state->windowDC);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(state->windowDC, width, height) : nullptr;
    if (!bitmap) {
        if (memory) DeleteDC(memory);
        return FALSE;
    }
    SelectObject(memory, bitmap);
    state->memoryDC = memory;
    state->bitmap = bitmap;
    state->bitmapWidth = width;
    state->bitmapHeight = height;
    SetUpEditorDC(state, memory);
    return TRUE;
}

namespace {

// Each margin's share of the frame at a width and height.
int MarginShare(const TenState* state, int side, int width, int height)
{
    const double ratio = state->marginRatios[side];
    return static_cast<int>(ratio * ((side % 2) == 0 ? width : height));
}

void SetMarginsAt(TenState* state, const int fixed[4], int width, int height)
{
    state->margins.left = fixed[0] + MarginShare(state, 0, width, height);
    state->margins.top = fixed[1] + MarginShare(state, 1, width, height);
    state->margins.right = fixed[2] + MarginShare(state, 2, width, height);
    state->margins.bottom = fixed[3] + MarginShare(state, 3, width, height);
}

int LayoutAll(HWND editor, HGLOBAL handle)
{
    int end = 0, first = 0;
    return LayoutLines(editor, handle, 0, kLayoutToEnd, &end, &first);
}

}  // namespace

void TenPaint(HDC dc, HWND editor, const RECT* update)
{
    HGLOBAL handle = TenStateHandle(editor);
    Locked<TenState> state(handle);
    if (!state || !update) return;
    TenState* s = state.get();
    RECT area = *update;
    DPtoLP(dc, reinterpret_cast<POINT*>(&area), 2);
    if (s->zoom > 1000) InflateRect(&area, 1, 1);
    HideCaret(editor);
    int first = 0, end = 0;
    if (s->lineCount > 0) {
        Locked<TextLine> lines(s->lines);
        if (lines) {
            first = FindLineAtY(lines.get(), s->lineCount, area.top);
            end = std::min(FindLineAtY(lines.get(), s->lineCount, area.bottom) + 2, static_cast<int>(s->lineCount));
        }
    }
    SaveDC(dc);
    if (s->palette) {
        SelectPalette(dc, s->palette, FALSE);
        RealizePalette(dc);
    }
    if (!s->ownerPaint) {
        HBRUSH brush = CreateSolidBrush(MapColorForDevice(dc, s->background, FALSE));
        FillRect(dc, &area, brush);
        DeleteObject(brush);
    } else {
        s->ownerPaint(editor, dc, s);
    }
    SaveDC(dc);
    IntersectClipRect(dc, s->margins.left, s->margins.top, s->width - s->margins.right,
                      s->height - s->margins.bottom);
    if (end > first) RenderEditorLines(s, dc, first, end);
    RestoreDC(dc, -1);
    if (s->bandCount > 0 && s->bands) {
        Locked<TextRegion> bands(s->bands);
        if (bands) {
            HGDIOBJ oldFont = g_labelFont ? SelectObject(dc, g_labelFont) : nullptr;
            for (int b = 0; b + 1 < s->bandCount && bands.get()[b].filledTo <= area.bottom; ++b) {
                const int y = bands.get()[b].filledTo;
                if (y + g_bandGap > area.top) DrawRegionSeparator(s, dc, b, y, s->width);
            }
            const int y = bands.get()[s->bandCount - 1].filledTo;
            if (y + g_bandGap > area.top && y < area.bottom) DrawRegionSeparator(s, dc, -1, y, s->width);
            if (oldFont) SelectObject(dc, oldFont);
        }
    }
    ShowCaret(editor);
    if ((s->flags & TenFlagActive) && s->selStart.charIndex != s->selEnd.charIndex)
        InvertSelection(dc, s, &s->selStart, &s->selEnd);
    RestoreDC(dc, -1);
}

int TenSize(HWND editor, int clientWidth, int clientHeight)
{
    HGLOBAL handle = TenStateHandle(editor);
    Locked<TenState> state(handle);
    if (!state) return 1;
    TenState* s = state.get();
    SIZE logical{clientWidth, clientHeight};
    if (s->windowDC) DeviceToLogicalSize(s->windowDC, &logical);
    const int screen = s->windowDC ? GetDeviceCaps(s->windowDC, VERTRES) : clientHeight;
    const int wantedHeight = std::min(clientHeight, screen);
    if (s->bitmapWidth < clientWidth || s->bitmapHeight < wantedHeight)
        MakeOffscreenBitmap(s, std::max<int>(s->bitmapWidth, clientWidth), std::max(s->bitmapHeight, wantedHeight));
    const bool widthChanged = logical.cx != s->width;
    const bool heightChanged = logical.cy != s->height && s->verticalAlign != 0;
    s->width = logical.cx;
    s->height = logical.cy;
    const bool layout = (s->flags & TenFlagLayoutPending) != 0;
    if (layout) {
        s->flags &= ~TenFlagLayoutPending;
        LayoutAll(editor, handle);
        RefreshSelectionEnds(editor, s);
    }
    s->paintedBottom = std::min<int>(s->paintedBottom, s->height);
    s->separatorBottom = std::min<int>(s->separatorBottom, s->height);
    TenUpdatePosition(editor, 0);
    if (!layout && (widthChanged || heightChanged) && s->lineCount > 0) {
        Locked<TextLine> lines(s->lines);
        Locked<TextRun> runs(s->runs);
        Locked<BYTE> formats(s->formats);
        if (lines && runs && formats) {
            if (widthChanged)
                AlignTextLinesHorizontally(lines.get(), runs.get(), FormatTableEntries(formats.get()), s->lineCount,
                                           FormatTableCount(formats.get()), s->margins.left,
                                           s->width - s->margins.left - s->margins.right);
            if (heightChanged)
                AlignTextLinesVertically(lines.get(), s->lineCount, s->verticalAlign, s->margins.top,
                                         s->height - s->margins.top - s->margins.bottom);
        }
    }
    return 1;
}

int TenUpdatePosition(HWND editor, LPARAM shift)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 0;
    TenState* s = state.get();
    s->originX += static_cast<SHORT>(LOWORD(shift));
    s->originY += static_cast<SHORT>(HIWORD(shift));
    HWND parent = GetParent(editor);
    if (!parent || !s->windowDC) return 1;
    RECT area{};
    SendMessageA(parent, TenNoticeViewRect, 0, reinterpret_cast<LPARAM>(&area));
    RECT editorRect{s->originX, s->originY, s->originX + s->width, s->originY + s->height};
    LPtoDP(s->windowDC, reinterpret_cast<POINT*>(&editorRect), 2);
    RECT inside;
    IntersectRect(&inside, &editorRect, &area);
    if (EqualRect(&inside, &editorRect)) {
        SetRect(&s->visible, 0, 0, s->width, s->height);
        return 1;
    }
    if (IsRectEmpty(&inside)) {
        inside = editorRect;
        if (inside.right < area.left) inside.right = area.left;
        if (inside.left > area.right) inside.left = area.right;
        if (inside.bottom < area.top) inside.bottom = area.top;
        if (inside.top > area.bottom) inside.top = area.bottom;
    }
    RECT part = inside;
    DPtoLP(s->windowDC, reinterpret_cast<POINT*>(&part), 2);
    OffsetRect(&part, -s->originX, -s->originY);
    if (inside.left == editorRect.left && inside.right == editorRect.right) {
        part.left = 0;
        part.right = s->width;
    }
    if (inside.top == editorRect.top && inside.bottom == editorRect.bottom) {
        part.top = 0;
        part.bottom = s->height;
    }
    s->visible = part;
    return 1;
}

int TenSetZoom(HWND editor, int zoom, int force)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 0;
    TenState* s = state.get();
    if (zoom == s->zoom && !force) return 0;
    s->zoom = zoom;
    if (s->windowDC) SetLogicalUnits(s->windowDC, zoom, s->baseUnit);
    if (s->memoryDC) SetLogicalUnits(s->memoryDC, zoom, s->baseUnit);
    s->flags |= TenFlagLayoutPending;
    if (Locked<TextRun> runs(s->runs); runs)
        for (int i = 0; i < s->runCount; ++i) CreateRunFont(s, &runs.get()[i]);
    if (s->undoKind) s->flags |= TenFlagFontsChanged;
    return 0;
}

int TenSetReferenceDC(HWND editor, HDC dc)
{
    HGLOBAL handle = TenStateHandle(editor);
    Locked<TenState> state(handle);
    if (!state) return 0;
    TenState* s = state.get();
    s->referenceDC = dc;
    SetLogicalUnits(dc, 0, s->baseUnit);
    SetTextAlign(dc, TA_BASELINE);
    if (Locked<TextRun> runs(s->runs); runs)
        for (int i = 0; i < s->runCount; ++i) CreateRunFont(s, &runs.get()[i]);
    if (int err = LayoutAll(editor, handle)) return err;
    const DWORD sized = (s->flags & (TenFlagGrowWidth | TenFlagGrowHeight)) ? AutoSizeTextWindow(editor, s) : 0;
    if (s->undoKind) s->flags |= TenFlagFontsChanged;
    RefreshSelectionEnds(editor, s);
    RedrawLines(editor, s, 0, s->lineCount, sized != 0);
    ScrollCaretIntoView(editor, s, nullptr, nullptr, FALSE);
    NotifyFormatChange(editor, s, TenNotifyAll);
    return 0;
}

int TenReleaseFonts(HWND editor)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 0;
    TenState* s = state.get();
    HGDIOBJ system = GetStockObject(SYSTEM_FONT);
    for (HDC dc : {s->windowDC, s->referenceDC, s->memoryDC})
        if (dc) SelectObject(dc, system);
    if (Locked<TextRun> runs(s->runs); runs)
        for (int i = 0; i < s->runCount; ++i) runs.get()[i].font = 0;
    if (s->undoKind) s->flags |= TenFlagFontsChanged;
    return 0;
}

int TenRemakeFonts(HWND editor)
{
    HGLOBAL handle = TenStateHandle(editor);
    if (!handle) return 0;
    return CreateRunFonts(handle, 0, 0x7FFF);
}

int FitTextToBox(HWND editor, HGLOBAL stateHandle, int change, int* outWidth, int* outHeight, BOOL apply)
{
    Locked<TenState> state(stateHandle);
    if (!state) return ErrOutOfMemory;
    TenState* s = state.get();
    const RECT savedMargins = s->margins;
    const int w0 = s->width, h0 = s->height;
    // A flat box has no proportions to keep: it keeps its width.
    auto widthAt = [&](int height) {
        return h0 > 0 ? static_cast<int>(static_cast<long long>(w0) * height / h0) : w0;
    };
    const int fixed[4] = {savedMargins.left - MarginShare(s, 0, w0, h0), savedMargins.top - MarginShare(s, 1, w0, h0),
                          savedMargins.right - MarginShare(s, 2, w0, h0),
                          savedMargins.bottom - MarginShare(s, 3, w0, h0)};
    int low = change < 0 ? h0 + change : h0;
    int high = change < 0 ? h0 : h0 + change;
    const int firstLow = low, firstHigh = high;
    int bestWidth = widthAt(high), bestHeight = high;
    int fitted = h0 + change;
    bool tooSmall = false, laidOut = false;
    int err = 0;
    int t = change < 0 ? low : (low + high) / 2;
    while (high - low >= 16) {
        const int w = widthAt(t);
        SetMarginsAt(s, fixed, w, t);
        s->width = w - 6;
        s->height = t - 6;
        if (w - 6 - s->margins.left - s->margins.right > 10) {
            laidOut = true;
            err = LayoutAll(editor, stateHandle);
        }
        s->width = w;
        s->height = t;
        if (err) break;
        int needed = s->minHeight;
        if (s->lineCount > 0) {
            Locked<TextLine> lines(s->lines);
            if (lines) {
                const TextLine& last = lines.get()[s->lineCount - 1];
                needed = std::max<int>(last.y + last.height + s->margins.bottom, s->minHeight);
            }
        }
        if (needed < t) {
            high = std::min(t, firstHigh);
            bestWidth = w;
            bestHeight = t;
            fitted = needed;
            tooSmall = false;
        } else if (needed == t) {
            bestWidth = w;
            bestHeight = t;
            fitted = t;
            tooSmall = false;
            break;
        } else {
            low = std::max(t, firstLow);
            tooSmall = true;
        }
        t = (low + high) / 2;
    }
    s->fittedHeight = fitted;
    s->width = w0;
    s->height = h0;
    if (!apply) s->margins = savedMargins;
    if (!err && tooSmall && (apply || (bestWidth == w0 && bestHeight == h0))) {
        if (apply) {
            s->width = bestWidth;
            s->height = bestHeight;
            SetMarginsAt(s, fixed, bestWidth, bestHeight);
        }
        laidOut = true;
        err = LayoutAll(editor, stateHandle);
    }
    if (laidOut) RefreshSelectionEnds(editor, s);
    if (outWidth) *outWidth = bestWidth;
    if (outHeight) *outHeight = bestHeight;
    return err;
}
