// The text engine's process-wide values.
#include "text/text_engine.h"

#include "frame/frame_services.h"
#include "model/device_units.h"
#include "store/results.h"

UINT g_tenClipFormat = 0;
HFONT g_labelFont = nullptr;
int g_bandGap = 10;
int g_labelAscent = 8;
HGLOBAL g_widthTable = nullptr;
INT32* g_charWidths = nullptr;
int g_widthCapacity = 0;
BOOL g_doubleByte = FALSE;

int InitTextEngine()
{
    int result = 0;
    g_tenClipFormat = RegisterClipboardFormatA("TENClipClass");
    if (!g_tenClipFormat) result = ErrStringMissing;   // 10001: the format has no number

    if (result == 0 && !g_labelFont) {
        // Measured at the layout resolution, on the frame's screen.
        HDC dc = GetDC(g_frameWindow);
        if (dc) {
            const int saved = SaveDC(dc);
            SetLogicalUnits(dc, 0, kDrawingUnitsPerInch);
            LOGFONTA logFont = {};
            logFont.lfHeight = GetDeviceCaps(dc, LOGPIXELSY) / 12;
            lstrcpynA(logFont.lfFaceName, "Helv", LF_FACESIZE);
            g_labelFont = CreateFontIndirectA(&logFont);
            if (g_labelFont) {
                HGDIOBJ old = SelectObject(dc, g_labelFont);
                TEXTMETRICA metrics;
                if (GetTextMetricsA(dc, &metrics)) {
                    g_bandGap = metrics.tmHeight + 2;
                    g_labelAscent = metrics.tmAscent;
                }
                SelectObject(dc, old);
            }
            RestoreDC(dc, saved);
            ReleaseDC(g_frameWindow, dc);
        }
        if (!g_labelFont) result = ErrOutOfMemory;
    }

    if (!g_widthTable) {
        g_widthTable = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kInitialWidthEntries * sizeof(INT32));
        g_charWidths = g_widthTable ? static_cast<INT32*>(GlobalLock(g_widthTable)) : nullptr;
        if (g_charWidths) {
            g_widthCapacity = kInitialWidthEntries;
        } else {
            if (g_widthTable) GlobalFree(g_widthTable);
            g_widthTable = nullptr;
            if (result == 0) result = ErrOutOfMemory;
        }
    }

    g_doubleByte = FALSE;
    for (int byte = 0; byte <= 253; ++byte)
        if (IsDBCSLeadByte(static_cast<BYTE>(byte))) g_doubleByte = TRUE;
    return result;
}

void TermTextEngine()
{
    if (g_labelFont) DeleteObject(g_labelFont);
    g_labelFont = nullptr;
    if (g_widthTable) {
        GlobalUnlock(g_widthTable);
        GlobalFree(g_widthTable);
    }
    g_widthTable = nullptr;
    g_charWidths = nullptr;
    g_widthCapacity = 0;
}
