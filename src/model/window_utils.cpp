// Window, dialog and message utilities shared by the whole program.
#include "model/window_utils.h"

#include "frame/frame_services.h"
#include "store/results.h"

void CenterWindowOver(HWND window, HWND other)
{
    RECT mine, theirs;
    GetWindowRect(window, &mine);
    GetWindowRect(other, &theirs);
    int width = mine.right - mine.left;
    int height = mine.bottom - mine.top;
    // Each centre is left + half the width, both halves truncated.
    int x = theirs.left + (theirs.right - theirs.left) / 2 - width / 2;
    int y = theirs.top + (theirs.bottom - theirs.top) / 2 - height / 2;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void SetDialogFont(HWND dialog, int firstId, int lastId)
{
    if (!g_dialogFont) return;
    for (int id = firstId; id <= lastId; ++id) {
        if (HWND control = GetDlgItem(dialog, id)) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_dialogFont), FALSE);
    }
}

HWND GetActiveDocument(BOOL* maximized)
{
    if (!g_mdiClient) return nullptr;
    BOOL isMaximized = FALSE;
    HWND active = reinterpret_cast<HWND>(SendMessageA(g_mdiClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&isMaximized)));
    if (active && maximized) *maximized = isMaximized;
    return active;
}

void UnpackCommand(WPARAM wParam, LPARAM lParam, int* id, int* code, HWND* control)
{
    *id = LOWORD(wParam);
    *code = HIWORD(wParam);
    *control = reinterpret_cast<HWND>(lParam);
}

void UnpackScroll(WPARAM wParam, LPARAM lParam, int* code, int* position, HWND* scrollBar)
{
    *code = LOWORD(wParam);
    *position = HIWORD(wParam);
    *scrollBar = reinterpret_cast<HWND>(lParam);
}

HWND UnpackActivate(LPARAM lParam, WPARAM wParam, int* state)
{
    *state = LOWORD(wParam);
    return reinterpret_cast<HWND>(lParam);
}

void SetScrollRangeCompat(HWND window, int bar, int minimum, int maximum, int page, BOOL redraw)
{
    if (g_windowsMajorVersion < 4) {
        SetScrollRange(window, bar, minimum, maximum, redraw);
        return;
    }
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMin = minimum;
    info.nMax = maximum == 0 ? 0 : maximum + page;
    info.nPage = static_cast<UINT>(page);
    SetScrollInfo(window, bar, &info, redraw);
}

void GetScrollRangeCompat(HWND window, int bar, int* minimum, int* maximum)
{
    if (g_windowsMajorVersion < 4) {
        GetScrollRange(window, bar, minimum, maximum);
        return;
    }
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE;
    if (!GetScrollInfo(window, bar, &info)) {
        *minimum = *maximum = 0;
        return;
    }
    *minimum = info.nMin;
    int top = info.nMax - static_cast<int>(info.nPage);
    *maximum = top < 0 ? 0 : top;
}

int CreateViewInfo(HWND view, int width, int height, int zoom, DWORD flags)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(ViewInfo));
    if (!block) return ErrOutOfMemory;
    auto* info = static_cast<ViewInfo*>(GlobalLock(block));
    if (!info) {
        GlobalFree(block);
        return ErrOutOfMemory;
    }
    info->width = width;
    info->height = height;
    info->flags = flags;
    if (zoom < 0) {
        info->flags |= ViewFitMode;
        info->zoom = 0;
    } else {
        info->zoom = zoom;
    }
    GlobalUnlock(block);
    SetWindowLongA(view, 0, static_cast<LONG>(reinterpret_cast<LONG_PTR>(block)));
    return 0;
}

void FreeViewInfo(HWND window, int longIndex)
{
    HGLOBAL block = reinterpret_cast<HGLOBAL>(static_cast<LONG_PTR>(GetWindowLongA(window, longIndex)));
    if (block) GlobalFree(block);
    SetWindowLongA(window, longIndex, 0);
}

int GetViewZoom(HWND view, int* fit)
{
    HGLOBAL block = reinterpret_cast<HGLOBAL>(static_cast<LONG_PTR>(GetWindowLongA(view, 0)));
    if (!block) return 0;
    auto* info = static_cast<ViewInfo*>(GlobalLock(block));
    if (!info) return 0;
    int zoom = info->zoom;
    if (fit) *fit = (info->flags & ViewFitMode) && !(info->flags & ViewFitPage) ? 1 : 0;
    GlobalUnlock(block);
    return zoom;
}
