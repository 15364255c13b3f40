// The printer metrics of a document.
#include "exchange/printer_metrics.h"

#include <cstring>

#include "model/device_units.h"

namespace {

constexpr LONG kLetterWidth = 5100;    // 8.5 x 11 inches in 1/600 inch
constexpr LONG kLetterHeight = 6600;

bool g_pageSet = false;
SIZE g_page = {kLetterWidth, kLetterHeight};
RECT g_margins = {};

// The DEVMODE of a system without a printer: the header reset, the common fields set, and for
// a new document the orientation and paper of the country's measurement system.
void ResetDevMode(HGLOBAL devMode, int mode)
{
    if (!devMode) return;
    if (GlobalSize(devMode) < kDevModeBaseSize) {
        HGLOBAL grown = GlobalReAlloc(devMode, kDevModeBaseSize, GMEM_MOVEABLE | GMEM_ZEROINIT);
        if (grown != devMode) return;   // a moved block would leave the caller's handle stale
    }
    DEVMODEA* dm = static_cast<DEVMODEA*>(GlobalLock(devMode));
    if (!dm) return;
    dm->dmDeviceName[0] = 0;
    dm->dmDriverVersion = 0;
    dm->dmSize = kDevModeBaseSize;
    dm->dmDriverExtra = 0;
    dm->dmCopies = 1;
    dm->dmDefaultSource = 8;
    dm->dmPrintQuality = DMRES_HIGH;
    dm->dmColor = DMCOLOR_MONOCHROME;
    dm->dmDuplex = DMDUP_SIMPLEX;
    if (mode == 1) {
        dm->dmSpecVersion = 0x400;
        dm->dmOrientation = DMORIENT_PORTRAIT;
        dm->dmScale = 100;
        if (GetProfileIntA("intl", "iMeasure", 1) == 1) {
            dm->dmPaperSize = DMPAPER_LETTER;
            dm->dmPaperLength = 2794;
            dm->dmPaperWidth = 2159;
        } else {
            dm->dmPaperSize = DMPAPER_A4;
            dm->dmPaperLength = 2970;
            dm->dmPaperWidth = 2100;
        }
    }
    dm->dmFields = DM_ORIENTATION | DM_SCALE | DM_COPIES;
    GlobalUnlock(devMode);
}

}  // namespace

HDC CreateReferenceDC()
{
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return nullptr;
    SetLogicalUnits(dc, 0, 600);
    SetTextAlign(dc, TA_BASELINE);
    SetBkMode(dc, TRANSPARENT);
    SetStretchBltMode(dc, COLORONCOLOR);
    return dc;
}

HDC GetPrinterMetrics(char* deviceString, HGLOBAL devMode, RECT* margins, SIZE* paper, int mode,
                      BOOL takeDefault, BOOL* followsDefault, BOOL* overlap)
{
    (void)overlap;   // only a Print Setup opened by the printer question changes it
    (void)takeDefault;
    (void)mode;      // without any printer every mode ends as a new document's set-up (1)
    if (deviceString) {
        if (!deviceString[0] && followsDefault) *followsDefault = TRUE;
        deviceString[0] = 0;
    }
    ResetDevMode(devMode, 1);
    if (margins) *margins = g_pageSet ? g_margins : RECT{};
    if (paper) *paper = g_pageSet ? g_page : SIZE{kLetterWidth, kLetterHeight};
    return CreateReferenceDC();
}

void SetPrinterMetricsPage(const SIZE* paper, const RECT* margins)
{
    g_pageSet = paper != nullptr;
    g_page = paper ? *paper : SIZE{kLetterWidth, kLetterHeight};
    g_margins = margins ? *margins : RECT{};
}

void DeleteReferenceDC(HDC dc)
{
    if (dc) DeleteDC(dc);
}
