// Exchange services used by the model and the classes: the OLE data-changed notice, rendering
// states, and bitmaps as packed DIBs.
#include "exchange/exchange_services.h"

#include <cstring>

#include "store/results.h"

BOOL g_renderingMetafile = FALSE;
BOOL g_printing = FALSE;
BOOL g_printingWithoutColor = FALSE;
BOOL g_renderingForOle = FALSE;

void NotifyOleDataChanged(DocumentState* state)
{
    (void)state;   // no OLE objects exist for a drawing window yet
}

int BitmapToPackedDib(HDC dc, HBITMAP bitmap, HPALETTE palette, HGLOBAL* block)
{
    *block = nullptr;
    HPALETTE oldPalette = nullptr;
    if (palette) {
        oldPalette = SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
    }
    BITMAP info = {};
    GetObjectA(bitmap, sizeof(info), &info);
    int bits = info.bmBitsPixel * info.bmPlanes;
    if (bits != 1 && bits != 4 && bits != 8) bits = 24;
    int colors = bits <= 8 ? (1 << bits) : 0;
    DWORD rowBytes = ((static_cast<DWORD>(info.bmWidth) * bits + 31) / 32) * 4;
    DWORD imageSize = rowBytes * static_cast<DWORD>(info.bmHeight < 0 ? -info.bmHeight : info.bmHeight);
    DWORD total = sizeof(BITMAPINFOHEADER) + 4 * colors + imageSize;
    int result = 0;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, total);
    auto* header = memory ? static_cast<BITMAPINFOHEADER*>(GlobalLock(memory)) : nullptr;
    if (!header) {
        if (memory) GlobalFree(memory);
        result = ErrOutOfMemory;
    } else {
        header->biSize = sizeof(BITMAPINFOHEADER);
        header->biWidth = info.bmWidth;
        header->biHeight = info.bmHeight;
        header->biPlanes = 1;
        header->biBitCount = static_cast<WORD>(bits);
        header->biCompression = BI_RGB;
        header->biSizeImage = imageSize;
        header->biClrUsed = static_cast<DWORD>(colors);
        GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.bmHeight), reinterpret_cast<BYTE*>(header) + sizeof(BITMAPINFOHEADER) + 4 * colors,
                  reinterpret_cast<BITMAPINFO*>(header), DIB_RGB_COLORS);
        GlobalUnlock(memory);
        *block = memory;
    }
    if (palette) SelectPalette(dc, oldPalette, FALSE);
    return result;
}
