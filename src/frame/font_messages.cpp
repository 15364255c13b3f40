// The frame's answers to the font cache's budget messages.
#include "frame/font_messages.h"

#include "frame/frame_services.h"
#include "resource.h"
#include "text/font_cache.h"
#include "text/ten_messages.h"

namespace {

// Windows with a device context of their own (the views) may hold a cached font selected: the
// system font takes its place before the cache deletes its fonts.
BOOL CALLBACK ReleaseCachedFont(HWND window, LPARAM)
{
    if (GetClassLongPtrA(window, GCL_STYLE) & CS_OWNDC) {
        if (HDC dc = GetDC(window)) {
            SelectObject(dc, GetStockObject(SYSTEM_FONT));
            ReleaseDC(window, dc);
        }
    }
    return TRUE;
}

// Every open text editor of the program lets go of its run fonts before the cache is emptied
// and makes them again after.
BOOL CALLBACK TellEditor(HWND window, LPARAM message)
{
    char name[16] = {};
    if (GetClassNameA(window, name, sizeof(name)) && lstrcmpA(name, "TENClass") == 0)
        SendMessageA(window, static_cast<UINT>(message), 0, 0);
    return TRUE;
}

BOOL CALLBACK TellEditorsBelow(HWND window, LPARAM message)
{
    TellEditor(window, message);
    EnumChildWindows(window, TellEditor, message);
    return TRUE;
}

void TellAllEditors(UINT message)
{
    EnumThreadWindows(GetCurrentThreadId(), TellEditorsBelow, message);
}

void FlushFontCache(HWND frame)
{
    TellAllEditors(TEN_RELEASEFONTS);
    if (g_mdiClient) EnumChildWindows(g_mdiClient, ReleaseCachedFont, 0);
    if (g_backBufferDC) SelectObject(g_backBufferDC, GetStockObject(SYSTEM_FONT));
    ClearFontCache();
    TellAllEditors(TEN_REMAKEFONTS);
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace

BOOL HandleFontCacheMessage(HWND frame, UINT message)
{
    switch (message) {
    case VXM_FLUSHFONTS:
        FlushFontCache(frame);
        return TRUE;
    case VXM_TOOMANYFONTS:
        ShowWarningById(IDS_TOO_MANY_FONTS);
        return TRUE;
    default:
        return FALSE;
    }
}
