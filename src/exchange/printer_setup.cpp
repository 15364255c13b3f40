// The printer of a document. Until printing lands every document is measured as when no
// printer answers: no margins, a Letter page, text on a display-compatible memory DC.
#include "exchange/printer_setup.h"

#include "model/device_units.h"

HDC GetPrinterMetrics(char* device, HGLOBAL, RECT* margins, SIZE* paper, int mode, BOOL,
                      BOOL* followsDefault, BOOL*)
{
    if (device && !device[0] && followsDefault) *followsDefault = TRUE;
    if (mode == 1 || (device && !device[0])) {
        if (margins) SetRectEmpty(margins);
        if (paper) {
            paper->cx = 5100;
            paper->cy = 6600;
        }
    }
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return nullptr;
    SetLogicalUnits(dc, 0, 600);
    SetTextAlign(dc, TA_BASELINE);
    SetBkMode(dc, TRANSPARENT);
    SetStretchBltMode(dc, COLORONCOLOR);
    return dc;
}
