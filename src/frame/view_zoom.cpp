// Zoom commands and scrolling of the active drawing view: the zoom ladder, fit to window and
// page, keeping the user's place, and the scroll bars.
#include "documents/document_life.h"
#include "documents/document_state.h"
#include "documents/document_window.h"
#include "documents/options.h"
#include "frame/frame_services.h"
#include "frame/view_layout.h"
#include "model/device_units.h"
#include "model/drawing.h"
#include "model/selection.h"
#include "text/ten_messages.h"

bool g_fitHintShown = false;

namespace {

constexpr int kLineStep = 16;

int Clamp(int value, int low, int high)
{
    return value < low ? low : (value > high ? high : value);
}

void UpdateRulerOrigins(HWND view)
{
    HWND horizontal = Sibling(view, 1), vertical = Sibling(view, 2);
    if (!IsShown(horizontal)) return;
    HDC dc = GetDC(view);
    POINT origin;
    GetViewportOrgEx(dc, &origin);
    ReleaseDC(view, dc);
    HDC h = GetDC(horizontal);
    SetViewportOrgEx(h, origin.x, 0, nullptr);
    ReleaseDC(horizontal, h);
    InvalidateRect(horizontal, nullptr, TRUE);
    if (vertical) {
        HDC v = GetDC(vertical);
        SetViewportOrgEx(v, 0, origin.y, nullptr);
        ReleaseDC(vertical, v);
        InvalidateRect(vertical, nullptr, TRUE);
    }
}

void ScrollTo(HWND view, DocumentState* state, int zoom, int wantX, int wantY)
{
    int minimum, maxX, maxY;
    GetScrollRangeCompat(view, SB_HORZ, &minimum, &maxX);
    GetScrollRangeCompat(view, SB_VERT, &minimum, &maxY);
    wantX = Clamp(wantX, 0, maxX > 0 ? maxX : 0);
    wantY = Clamp(wantY, 0, maxY > 0 ? maxY : 0);
    HDC dc = GetDC(view);
    ScrollViewBy(view, dc, zoom, wantX - GetScrollPos(view, SB_HORZ), wantY - GetScrollPos(view, SB_VERT),
                 state->textEditor);
    ReleaseDC(view, dc);
    UpdateRulerOrigins(view);
    InvalidateRect(view, nullptr, FALSE);
    state->flags |= DocRedraw;
}

POINT GetZoomAnchorPoint(HWND view, DocumentState* state, BOOL fromOrigin)
{
    POINT point = {0, 0};
    if (!fromOrigin) {
        RECT client;
        GetClientRect(view, &client);
        point = {client.right / 2, client.bottom / 2};
        HDC dc = GetDC(view);
        DPtoLP(dc, &point, 1);
        ReleaseDC(view, dc);
    }
    if (state->drawing) {
        Locked<Drawing> drawing(state->drawing);
        if (drawing && drawing->selectedCount > 0) {
            Locked<ObjectList> objects(drawing->objectList);
            RECT extent = {};
            if (objects) {
                GetDrawingExtent(drawing.get(), objects.get(), &extent, TRUE, FALSE);
                point = {extent.left, extent.top};
            }
        }
    }
    return point;
}

void KeepPointInPlace(HWND view, DocumentState* state, int zoom, POINT drawingPoint, POINT screenPoint)
{
    HDC dc = GetDC(view);
    SIZE offset = {drawingPoint.x, drawingPoint.y};
    LogicalToDeviceSize(dc, &offset);
    ReleaseDC(view, dc);
    RECT screen;
    GetWindowRect(view, &screen);
    ScrollTo(view, state, zoom, offset.cx - (screenPoint.x - screen.left), offset.cy - (screenPoint.y - screen.top));
}

}  // namespace

void ScrollViewBy(HWND view, HDC dc, int zoom, int dx, int dy, HWND editor)
{
    if (!dx && !dy) return;
    POINT origin;
    GetViewportOrgEx(dc, &origin);
    SetLogicalUnits(dc, zoom, kDrawingUnitsPerInch);
    SetViewportOrgEx(dc, origin.x - dx, origin.y - dy, nullptr);
    SetScrollPos(view, SB_HORZ, GetScrollPos(view, SB_HORZ) + dx, TRUE);
    SetScrollPos(view, SB_VERT, GetScrollPos(view, SB_VERT) + dy, TRUE);
    if (editor && IsWindow(editor)) {
        RECT r;
        GetWindowRect(editor, &r);
        MapWindowPoints(nullptr, view, reinterpret_cast<POINT*>(&r), 2);
        SetWindowPos(editor, nullptr, r.left - dx, r.top - dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        SendMessageA(editor, TEN_UPDATEPOSITION, 0, 0);
    }
}

int CenterViewOnObjects(HWND view, DocumentState* state, int zoom)
{
    if (!state->drawing) return 0;
    RECT all = {}, selection = {};
    bool hasSelection = false;
    {
        Locked<Drawing> drawing(state->drawing);
        if (!drawing) return 0;
        Locked<ObjectList> objects(drawing->objectList);
        if (!objects || objects->count <= 0) return 0;
        GetDrawingExtent(drawing.get(), objects.get(), &all, FALSE, FALSE);
        if (drawing->selectedCount > 0) {
            GetDrawingExtent(drawing.get(), objects.get(), &selection, TRUE, FALSE);
            hasSelection = true;
        }
    }
    if (IsRectEmpty(&all)) return 0;
    HDC dc = GetDC(view);
    POINT origin;
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    LPtoDP(dc, reinterpret_cast<POINT*>(&all), 2);
    if (hasSelection) LPtoDP(dc, reinterpret_cast<POINT*>(&selection), 2);
    SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
    ReleaseDC(view, dc);
    RECT client;
    GetClientRect(view, &client);
    RECT span = all;
    if (client.right < all.right - all.left && hasSelection) {
        span.left = selection.left;
        span.right = selection.right;
    }
    if (client.bottom < all.bottom - all.top && hasSelection) {
        span.top = selection.top;
        span.bottom = selection.bottom;
    }
    int offsetX = (client.right - (span.right - span.left)) / 2 - span.left;
    int offsetY = (client.bottom - (span.bottom - span.top)) / 2 - span.top;
    if (!offsetX && !offsetY) return 0;
    ScrollTo(view, state, zoom, -offsetX, -offsetY);
    return 1;
}

void ScrollToSelection(HWND view, DocumentState* state)
{
    CenterViewOnObjects(view, state, GetViewZoom(view, nullptr));
}

int RunScaleDialog(int*)
{
    return 0;
}

void SetViewZoom(int value, int mode)
{
    HWND document = GetActiveDocument(nullptr);
    HWND view = document ? GetDocumentView(document) : nullptr;
    HGLOBAL stateBlock = view ? GetDocumentStateHandle(view) : nullptr;
    HGLOBAL infoBlock = view ? reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(view, 0)) : nullptr;
    if (!stateBlock || !infoBlock) return;
    int zoom;
    DWORD flags;
    {
        Locked<ViewInfo> info(infoBlock);
        if (!info) return;
        zoom = info->zoom;
        flags = info->flags;
    }
    bool fitting = flags & ViewFitMode;
    bool fitPage = fitting && (flags & ViewFitPage);
    int current = zoom == 0 ? 1000 : zoom;
    bool change = false;
    // The steps reach the fits as mode 1, with the page flag for fit to page.
    bool toPage = mode == ZoomFitPage;
    if (mode == ZoomPlain && (value == 1 || value == -1)) {
        static const int kLadder[5] = {500, 750, 1000, 1500, 2000};
        int next = -1;
        bool nextFitPage = false, nextFitWindow = false;
        if (value == 1) {
            if (fitPage) next = 500;
            else if (fitting) nextFitPage = true;
            else
                for (int z : kLadder)
                    if (current < z) {
                        next = z;
                        break;
                    }
        } else if (fitPage) {
            nextFitWindow = true;
        } else if (!fitting) {
            for (int i = 4; i >= 0 && next < 0; --i)
                if (current > kLadder[i]) next = kLadder[i];
            if (next < 0) nextFitPage = true;
        }
        if (next >= 0) {
            value = next == 1000 ? 0 : next;
            change = true;
        } else if (nextFitPage || nextFitWindow) {
            mode = ZoomFitWindow;
            toPage = nextFitPage;
            value = 0;
            change = true;
        }
    } else if (mode == ZoomPlain && value == 5000) {
        int asked = current;
        if (RunScaleDialog(&asked) && asked != current) {
            value = asked == 1000 ? 0 : asked;
            change = true;
        }
    } else if (fitting) {
        change = fitPage ? mode != ZoomFitPage : mode != ZoomFitWindow;
    } else {
        change = value != zoom || mode != ZoomPlain;
    }
    if (change) {
        Locked<DocumentState> state(stateBlock);
        {
            Locked<ViewInfo> info(infoBlock);
            info->flags = (mode > 0 ? DWORD{ViewFitMode} : DWORD{0}) | (mode > 0 && toPage ? DWORD{ViewFitPage} : DWORD{0});
            info->zoom = value;
        }
        POINT anchor = {}, anchorPixel = {};
        RECT oldScreen = {};
        bool anchored = mode != ZoomFitWindow;
        bool fromOrigin = mode == ZoomFitPage;
        if (anchored) {
            GetWindowRect(view, &oldScreen);
            anchor = GetZoomAnchorPoint(view, state.get(), fromOrigin);
            anchorPixel = anchor;
            HDC dc = GetDC(view);
            LPtoDP(dc, &anchorPixel, 1);
            ReleaseDC(view, dc);
            if (mode == ZoomPlain) ApplyViewZoom(view, value, 0);
        }
        LayoutDocumentChildren(document, view);
        int newZoom = GetViewZoom(view, nullptr);
        if (anchored) {
            if (fromOrigin && anchor.x == 0 && anchor.y == 0) anchorPixel = {-32000, -32000};
            if (!CenterViewOnObjects(view, state.get(), newZoom))
                KeepPointInPlace(view, state.get(), newZoom, anchor,
                                 {anchorPixel.x + oldScreen.left, anchorPixel.y + oldScreen.top});
        }
        state->flags |= DocRedraw;
        InvalidateRect(document, nullptr, FALSE);
        InvalidateRect(view, nullptr, FALSE);
        if (state->textEditor) InvalidateRect(state->textEditor, nullptr, FALSE);
    }
    if (mode == ZoomFitWindow && g_settings && (g_settings->flags & SetHints) && !g_fitHintShown) {
        g_fitHintShown = true;
        RunInfoDialog("HINT_STF", 107);
    }
}

void ToggleFitToWindow(HWND view, DocumentState* state, int x, int y)
{
    HGLOBAL infoBlock = reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(view, 0));
    if (!infoBlock) return;
    HWND document = GetParent(view);
    bool fitting;
    {
        Locked<ViewInfo> info(infoBlock);
        fitting = info->flags & ViewFitMode;
    }
    if (fitting) {
        {
            Locked<ViewInfo> info(infoBlock);
            info->flags = 0;
            info->zoom = 0;
        }
        POINT clicked = {x, y};
        HDC dc = GetDC(view);
        DPtoLP(dc, &clicked, 1);
        ReleaseDC(view, dc);
        RECT oldScreen;
        GetWindowRect(view, &oldScreen);
        ApplyViewZoom(view, 0, 0);
        LayoutDocumentChildren(document, view);
        KeepPointInPlace(view, state, 0, clicked, {oldScreen.left + x, oldScreen.top + y});
    } else {
        {
            Locked<ViewInfo> info(infoBlock);
            info->flags = ViewFitMode;
        }
        LayoutDocumentChildren(document, view);
    }
    state->flags |= DocRedraw;
    InvalidateRect(view, nullptr, FALSE);
}

void ScrollDocument(HWND view, int code, int bar, int position)
{
    if (!GetWindowLongPtrA(view, 0)) return;
    int sbBar = bar == 0 ? SB_HORZ : SB_VERT;
    int minimum, maximum;
    GetScrollRangeCompat(view, sbBar, &minimum, &maximum);
    if (maximum < 0) maximum = 0;
    int current = GetScrollPos(view, sbBar);
    RECT client;
    GetClientRect(view, &client);
    int size = bar == 0 ? client.right : client.bottom;
    HWND ruler = Sibling(view, bar == 0 ? 1 : 2);
    if (!IsShown(ruler)) ruler = nullptr;
    int page = size - kLineStep < kLineStep ? kLineStep : size - kLineStep;
    int step = 0;
    switch (code) {
    case SB_LINEUP: step = -kLineStep; break;
    case SB_LINEDOWN: step = kLineStep; break;
    case SB_PAGEUP: step = -page; break;
    case SB_PAGEDOWN: step = page; break;
    case SB_THUMBPOSITION: step = position - current; break;
    case SB_TOP: step = -current; break;
    case SB_BOTTOM: step = maximum - current; break;
    case 98:
    case 99: step = static_cast<short>(position); break;
    default: break;
    }
    int next = Clamp(current + step, 0, maximum);
    step = next - current;
    if (!step) return;
    HDC dc = GetDC(view);
    POINT origin;
    GetViewportOrgEx(dc, &origin);
    if (bar == 0) origin.x -= step;
    else origin.y -= step;
    if (IsWindowVisible(view)) {
        if (bar == 0) ScrollWindowEx(view, -step, 0, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_SCROLLCHILDREN);
        else ScrollWindowEx(view, 0, -step, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_SCROLLCHILDREN);
        if (ruler) {
            if (bar == 0) ScrollWindowEx(ruler, -step, 0, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
            else ScrollWindowEx(ruler, 0, -step, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
        }
    }
    SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
    ReleaseDC(view, dc);
    if (ruler) {
        HDC rdc = GetDC(ruler);
        POINT ro;
        GetViewportOrgEx(rdc, &ro);
        if (bar == 0) ro.x = origin.x;
        else ro.y = origin.y;
        SetViewportOrgEx(rdc, ro.x, ro.y, nullptr);
        ReleaseDC(ruler, rdc);
    }
    SetScrollPos(view, sbBar, next, TRUE);
    if (IsWindowVisible(view)) {
        UpdateWindow(view);
        if (ruler) UpdateWindow(ruler);
    }
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (stateBlock) {
        HWND editor;
        {
            Locked<DocumentState> state(stateBlock);
            editor = state ? state->textEditor : nullptr;
        }
        if (editor && IsWindow(editor)) SendMessageA(editor, TEN_UPDATEPOSITION, 0, 0);
    }
}
