// The document window's layout: the view with its scroll bars, the rulers and the corner box;
// the view's zoom mapping and the fit zoom; the frame's client area and the back buffer.
#include "frame/view_layout.h"

#include <initializer_list>
#include <cmath>

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "documents/options.h"
#include "frame/frame_services.h"
#include "model/device_units.h"
#include "model/drawing.h"
#include "resource.h"
#include "store/results.h"
#include "text/ten_messages.h"

int g_verticalScrollWidth = 0;
int g_horizontalScrollHeight = 0;
BOOL g_toolbarShown = TRUE;
int g_paletteHeight = 0;
HBRUSH g_patternBrushes[6] = {};
HBITMAP g_backBitmap = nullptr;
HBITMAP g_backFirstBitmap = nullptr;

namespace {

constexpr int kRulerBand = 26;
constexpr int kNarrowMargin = 5;
HHOOK g_helpHook = nullptr;
HHOOK g_menuHelpHook = nullptr;

bool RulersSwitchedOn()
{
    return g_settings && g_settings->ruler.rulersShown != 0;
}

HWND TextEditorOf(HWND view)
{
    HWND child = GetWindow(view, GW_CHILD);
    char name[32];
    if (child && GetClassNameA(child, name, sizeof(name)) && lstrcmpA(name, "TENClass") == 0) return child;
    return nullptr;
}

RECT ChildRect(HWND parent, HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

HWND Sibling(HWND view, int steps)
{
    HWND w = view;
    for (int i = 0; i < steps && w; ++i) w = GetWindow(w, GW_HWNDNEXT);
    return w;
}

BOOL IsShown(HWND window)
{
    return window && (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

int RelayoutDocumentWindow(HWND documentWindow)
{
    HWND view = GetWindow(documentWindow, GW_CHILD);
    if (!view) return ErrOutOfMemory;
    LayoutDocumentChildren(documentWindow, view);
    return 0;
}

void ApplyViewZoom(HWND view, int zoom, int fit)
{
    HWND editor = TextEditorOf(view);
    HDC dc = GetDC(view);
    SetLogicalUnits(dc, zoom, kDrawingUnitsPerInch);
    ReleaseDC(view, dc);
    HWND horizontal = Sibling(view, 1);
    if (IsShown(horizontal)) {
        HWND vertical = Sibling(view, 2);
        for (HWND ruler : {horizontal, vertical}) {
            if (!ruler) continue;
            HDC rdc = GetDC(ruler);
            SetLogicalUnits(rdc, 0, 100);
            ReleaseDC(ruler, rdc);
        }
    }
    if (editor) {
        (void)fit;
        SendMessageA(editor, TEN_SETZOOM, static_cast<WPARAM>(zoom), 0);
        SendMessageA(editor, WM_ACTIVATE, 1, 0);
    }
}

void ApplyViewZoom(HWND view, int zoom)
{
    ApplyViewZoom(view, zoom, 0);
}

void GetDrawingDeviceSize(HWND view, int* width, int* height)
{
    HGLOBAL block = reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(view, 0));
    *width = *height = 32000;
    if (!block) return;
    SIZE size = {};
    {
        Locked<ViewInfo> info(block);
        if (!info) return;
        size.cx = info->width;
        size.cy = info->height;
    }
    HDC dc = GetDC(view);
    LogicalToDeviceSize(dc, &size);
    ReleaseDC(view, dc);
    *width = size.cx;
    *height = size.cy;
}

int ComputeFitZoom(HWND view, ViewInfo* info, int availableWidth, int availableHeight)
{
    int oldZoom = info->zoom;
    bool page = (info->flags & ViewFitPage) != 0;
    HDC dc = GetDC(view);
    SIZE oldWindow, oldViewport;
    GetWindowExtEx(dc, &oldWindow);
    GetViewportExtEx(dc, &oldViewport);
    SetLogicalUnits(dc, 0, kDrawingUnitsPerInch);
    info->zoom = 0;
    SIZE extent = {info->width, info->height};
    if (page) {
        HGLOBAL stateBlock = GetDocumentStateHandle(view);
        extent.cx = extent.cy = 0;
        if (stateBlock) {
            Locked<DocumentState> state(stateBlock);
            if (state) {
                extent.cx = state->printableWidth + 300;
                extent.cy = state->printableHeight + 300;
            }
        }
    }
    LogicalToDeviceSize(dc, &extent);
    SetWindowExtEx(dc, oldWindow.cx, oldWindow.cy, nullptr);
    SetViewportExtEx(dc, oldViewport.cx, oldViewport.cy, nullptr);
    ReleaseDC(view, dc);
    int ratio = -1;
    // A zero extent fits at any zoom: no ratio, never a division by it.
    if (extent.cx > 0 && availableWidth < extent.cx) ratio = static_cast<int>(static_cast<long long>(availableWidth) * 1000 / extent.cx);
    if (extent.cy > 0 && availableHeight < extent.cy) {
        int r = static_cast<int>(static_cast<long long>(availableHeight) * 1000 / extent.cy);
        if (ratio < 0 || r < ratio) ratio = r;
    }
    int result;
    if (ratio < 0) {
        // The whole extent fits: the window fit takes its cap, the page fit 100 %.
        result = page ? 1000 : 350;
    } else {
        result = ratio / 10 * 10;
        if (result < 10) result = 10;
        if (!page && result > 350) result = 350;
    }
    info->zoom = oldZoom;
    if (result != oldZoom) {
        ApplyViewZoom(view, result, page ? 2 : 1);
        info->zoom = result;
    }
    return result;
}

int UpdateDocumentScrollBars(HWND view, const RECT* band, BOOL* horizontalNeeded, BOOL* verticalNeeded, BOOL apply)
{
    int sw = g_verticalScrollWidth, sh = g_horizontalScrollHeight;
    int aw = band->right - band->left - sw;
    int ah = band->bottom - band->top - sh;
    int ew, eh;
    GetDrawingDeviceSize(view, &ew, &eh);
    bool hNeeded = true, hTight = false, vNeeded = true, vTight = false;
    if (aw + sw >= ew) {
        if (aw < ew) hTight = true;
        else hNeeded = false;
    }
    if (ah + sh >= eh) {
        if (ah < eh) vTight = true;
        else vNeeded = false;
    }
    vNeeded = vNeeded && (!vTight || (hNeeded && !hTight));
    hNeeded = hNeeded && (!hTight || (vNeeded && !vTight));
    *horizontalNeeded = hNeeded;
    *verticalNeeded = vNeeded;
    if (!apply) return 0;
    if (!vNeeded) aw += sw;
    if (!hNeeded) ah += sh;
    int maxX = ew - aw > 0 ? ew - aw : 0;
    int maxY = eh - ah > 0 ? eh - ah : 0;
    SetScrollRangeCompat(view, SB_HORZ, 0, maxX, aw, TRUE);
    SetScrollRangeCompat(view, SB_VERT, 0, maxY, ah, TRUE);
    HDC dc = GetDC(view);
    POINT origin;
    GetViewportOrgEx(dc, &origin);
    int shiftX = 0, shiftY = 0;
    bool changed = false;
    int px = -origin.x, py = -origin.y;
    if (px > maxX) {
        shiftX = px - maxX;
        origin.x = -maxX;
        SetScrollPos(view, SB_HORZ, maxX, TRUE);
        changed = true;
    } else if (GetScrollPos(view, SB_HORZ) != px) {
        SetScrollPos(view, SB_HORZ, px, TRUE);
        changed = true;
    }
    if (py > maxY) {
        shiftY = py - maxY;
        origin.y = -maxY;
        SetScrollPos(view, SB_VERT, maxY, TRUE);
        changed = true;
    } else if (GetScrollPos(view, SB_VERT) != py) {
        SetScrollPos(view, SB_VERT, py, TRUE);
        changed = true;
    }
    if (changed) {
        SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
        HWND horizontal = Sibling(view, 1), vertical = Sibling(view, 2);
        if (horizontal) {
            HDC rdc = GetDC(horizontal);
            SetViewportOrgEx(rdc, origin.x, 0, nullptr);
            ReleaseDC(horizontal, rdc);
        }
        if (vertical) {
            HDC rdc = GetDC(vertical);
            SetViewportOrgEx(rdc, 0, origin.y, nullptr);
            ReleaseDC(vertical, rdc);
        }
        HWND child = GetWindow(view, GW_CHILD);
        HGLOBAL block = reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(view, 0));
        bool fitMode = false;
        if (block) {
            Locked<ViewInfo> info(block);
            fitMode = info && (info->flags & ViewFitMode);
        }
        if (!fitMode && child && (shiftX || shiftY)) {
            RECT r = ChildRect(view, child);
            SetWindowPos(child, nullptr, r.left + shiftX, r.top + shiftY, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
    }
    ReleaseDC(view, dc);
    return changed ? 1 : 0;
}

int LayoutDocumentChildren(HWND documentWindow, HWND view)
{
    RECT client;
    GetClientRect(documentWindow, &client);
    RECT band = client;
    HGLOBAL block = reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(view, 0));
    int zoom = 0;
    bool fitMode = false;
    if (block) {
        Locked<ViewInfo> info(block);
        if (info) {
            zoom = info->zoom;
            fitMode = (info->flags & ViewFitMode) != 0;
        }
    }
    bool rulersShown = false;
    bool reserved = false;
    if (RulersSwitchedOn() && (zoom == 0 || zoom > 74)) {
        band.left = band.top = kRulerBand;
        rulersShown = reserved = true;
    }
    HWND horizontal = Sibling(view, 1), vertical = Sibling(view, 2), corner = Sibling(view, 3), strip = Sibling(view, 4);
    int stripHeight = 0;
    if (strip) {
        RECT s = ChildRect(documentWindow, strip);
        stripHeight = s.bottom - s.top;
        band.top += stripHeight;
    }
    HWND rulers[3] = {horizontal, vertical, corner};
    auto showRulers = [&](bool show) {
        for (HWND r : rulers)
            if (r) ShowWindow(r, show ? SW_SHOWNOACTIVATE : SW_HIDE);
    };
    if (horizontal) {
        if (IsShown(horizontal) && !rulersShown) showRulers(false);
        else if (!IsShown(horizontal) && rulersShown) showRulers(true);
    }
    if (fitMode && block) {
        int fit;
        {
            Locked<ViewInfo> info(block);
            fit = ComputeFitZoom(view, info.get(), client.right - band.left, client.bottom - band.top);
        }
        if (fit <= 74) {
            showRulers(false);
            if (reserved) {
                band.left = kNarrowMargin;
                band.top = kNarrowMargin + stripHeight;
                Locked<ViewInfo> info(block);
                ComputeFitZoom(view, info.get(), client.right - band.left, client.bottom - band.top);
            }
            rulersShown = false;
        }
    }
    RECT before = ChildRect(documentWindow, view);
    RECT beforeScreen;
    GetWindowRect(view, &beforeScreen);
    BOOL hNeeded = FALSE, vNeeded = FALSE;
    UpdateDocumentScrollBars(view, &band, &hNeeded, &vNeeded, FALSE);
    RECT target = band;
    if (hNeeded && vNeeded) {
        target.right += 1;
        target.bottom += 1;
    } else {
        int w, h;
        GetDrawingDeviceSize(view, &w, &h);
        if (vNeeded) w += g_verticalScrollWidth;
        if (hNeeded) h += g_horizontalScrollHeight;
        if (!hNeeded) {
            target.left = band.left + (band.right - band.left - w) / 2;
            target.right = target.left + w;
        }
        if (!vNeeded) {
            target.top = band.top + (band.bottom - band.top - h) / 2;
            target.bottom = target.top + h;
        }
    }
    bool moved = !EqualRect(&before, &target);
    if (moved)
        MoveWindow(view, target.left, target.top, target.right - target.left, target.bottom - target.top, FALSE);
    int changed = UpdateDocumentScrollBars(view, &target, &hNeeded, &vNeeded, TRUE);
    if (IsIconic(documentWindow)) return 0;
    if (rulersShown && moved && horizontal && vertical && corner) {
        SIZE t = {kRulerBand, kRulerBand};
        HDC rdc = GetDC(horizontal);
        LogicalToDeviceSize(rdc, &t);
        ReleaseDC(horizontal, rdc);
        if (t.cx <= 0) t.cx = kRulerBand;
        if (t.cy <= 0) t.cy = kRulerBand;
        const RECT& v = target;
        // The vertical ruler is as wide as the horizontal one is high: tx on square pixels.
        RECT places[3] = {{v.left - t.cx, v.top - t.cy, v.left, v.top},
                          {v.left - 1, v.top - t.cy, v.right, v.top},
                          {v.left - t.cx, v.top - 1, v.left, v.bottom}};
        HWND order[3] = {corner, horizontal, vertical};
        for (int i = 0; i < 3; ++i) {
            RECT old = ChildRect(documentWindow, order[i]);
            InvalidateRect(documentWindow, &old, TRUE);
            MoveWindow(order[i], places[i].left, places[i].top, places[i].right - places[i].left,
                       places[i].bottom - places[i].top, FALSE);
            ValidateRect(documentWindow, &places[i]);
        }
    }
    HWND editor = TextEditorOf(view);
    if (changed || moved) {
        InvalidateRect(view, nullptr, FALSE);
        for (HWND w : {editor, horizontal, vertical, corner, strip})
            if (IsShown(w)) InvalidateRect(w, nullptr, TRUE);
    }
    if (moved) {
        RECT afterScreen;
        GetWindowRect(view, &afterScreen);
        if (!EqualRect(&afterScreen, &beforeScreen)) InvalidateRect(documentWindow, nullptr, FALSE);
        if (editor) InvalidateRect(editor, nullptr, TRUE);
    }
    if (IsShown(editor)) SendMessageA(editor, TEN_UPDATEPOSITION2, 0, 0);
    return 0;
}

void RebuildBackBuffer()
{
    if (!g_frameWindow) return;
    HDC frameDC = GetDC(g_frameWindow);
    if (!g_backBufferDC) {
        g_backBufferDC = CreateCompatibleDC(frameDC);
        if (!g_backBufferDC) {
            ReleaseDC(g_frameWindow, frameDC);
            return;
        }
        SetTextAlign(g_backBufferDC, TA_BASELINE);
        SetBkMode(g_backBufferDC, TRANSPARENT);
    }
    if (g_backBitmap) {
        SelectObject(g_backBufferDC, g_backFirstBitmap);
        DeleteObject(g_backBitmap);
        g_backBitmap = nullptr;
    }
    RECT client;
    GetClientRect(g_frameWindow, &client);
    g_backBitmap = CreateCompatibleBitmap(frameDC, client.right > 0 ? client.right : 1, client.bottom > 0 ? client.bottom : 1);
    ReleaseDC(g_frameWindow, frameDC);
    if (!g_backBitmap) {
        DeleteDC(g_backBufferDC);
        g_backBufferDC = nullptr;
        g_backFirstBitmap = nullptr;
        return;
    }
    HGDIOBJ previous = SelectObject(g_backBufferDC, g_backBitmap);
    if (!g_backFirstBitmap) g_backFirstBitmap = static_cast<HBITMAP>(previous);
    SetStretchBltMode(g_backBufferDC, COLORONCOLOR);
}

void ReleaseBackBuffer()
{
    if (g_backBufferDC) {
        if (g_backFirstBitmap) SelectObject(g_backBufferDC, g_backFirstBitmap);
        DeleteDC(g_backBufferDC);
    }
    if (g_backBitmap) DeleteObject(g_backBitmap);
    g_backBufferDC = nullptr;
    g_backBitmap = nullptr;
    g_backFirstBitmap = nullptr;
}

void LayoutFrameClient(LPARAM size)
{
    int width = LOWORD(size), height = HIWORD(size);
    int band = g_toolbarShown ? g_paletteHeight : 0;
    if (g_mdiClient) MoveWindow(g_mdiClient, 0, band, width, height - band, TRUE);
    if (g_paletteWindow && band) MoveWindow(g_paletteWindow, -1, -1, width + 2, band + 1, TRUE);
    RebuildBackBuffer();
    if (g_paletteWindow && g_toolbarShown && !IsWindowVisible(g_paletteWindow))
        ShowWindow(g_paletteWindow, SW_SHOWNOACTIVATE);
}

void ToggleToolbar()
{
    if (g_toolbarShown) {
        if (g_paletteWindow) ShowWindow(g_paletteWindow, SW_HIDE);
        g_toolbarShown = FALSE;
    } else {
        g_toolbarShown = TRUE;
    }
    if (g_settings) {
        if (g_toolbarShown) g_settings->flags |= SetPalette;
        else g_settings->flags &= ~static_cast<DWORD>(SetPalette);
    }
    if (g_frameWindow) {
        RECT client;
        GetClientRect(g_frameWindow, &client);
        LayoutFrameClient(MAKELPARAM(client.right, client.bottom));
    }
}

LRESULT CALLBACK HelpFilter(int code, WPARAM wParam, LPARAM lParam)
{
    if (code < 0) return CallNextHookEx(g_helpHook, code, wParam, lParam);
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && msg->message == WM_KEYDOWN && msg->wParam == VK_F1) {
        PostMessageA(GetParent(msg->hwnd), WM_COMMAND, CMD_DIALOG_HELP, 0);
        return 1;
    }
    return 0;
}

LRESULT CALLBACK MenuHelpFilter(int code, WPARAM wParam, LPARAM lParam)
{
    if (code < 0) return CallNextHookEx(g_menuHelpHook, code, wParam, lParam);
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == MSGF_MENU && msg->message == WM_KEYDOWN && msg->wParam == VK_F1) {
        PostMessageA(g_frameWindow, WM_COMMAND, CMD_DIALOG_HELP, 0);
        return 1;
    }
    return 0;
}

void InstallMenuHelpFilter()
{
    g_menuHelpHook = SetWindowsHookExA(WH_MSGFILTER, MenuHelpFilter, nullptr, GetCurrentThreadId());
}

void RemoveMenuHelpFilter()
{
    if (g_menuHelpHook) UnhookWindowsHookEx(g_menuHelpHook);
    g_menuHelpHook = nullptr;
}
