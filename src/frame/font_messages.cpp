// The frame's answers to the font cache's budget messages.
#include "frame/font_messages.h"

#include "frame/frame_services.h"
#include "text/font_cache.h"

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

void FlushFontCache(HWND frame)
{
    if (g_mdiClient) EnumChildWindows(g_mdiClient, ReleaseCachedFont, 0);
    if (g_backBufferDC) SelectObject(g_backBufferDC, GetStockObject(SYSTEM_FONT));
    ClearFontCache();
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace

BOOL HandleFontCacheMessage(HWND frame, UINT message)
{
    switch (message) {
    case WM_FLUSHFONTCACHE:
        FlushFontCache(frame);
        return TRUE;
    case WM_TOOMANYFONTS:
        ShowWarningById(IDS_TOO_MANY_FONTS);
        return TRUE;
    default:
        return FALSE;
    }
}
