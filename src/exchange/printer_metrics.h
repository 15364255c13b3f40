// The printer of a document reduced to what a drawing needs: paper size and unprintable
// margins in 1/600 inch, and the reference device context that text is measured on.
#pragma once

#include <windows.h>

constexpr int kDevModeBaseSize = 148;   // the DEVMODE layout every driver understands

// Resolves the document's printer. `deviceString` (at least 262 bytes; empty: the default
// printer) and the DEVMODE block `devMode` (or none) are brought up to date; `margins` and
// `paper` receive the measured values; `mode` 0 uses the stored DEVMODE, 1 fills it with
// defaults for a new document, 2 takes the printer's own settings, 3 keeps the stored orientation.
// `takeDefault`: a printer that has gone silently becomes the default printer. `followsDefault`
// is set when the default printer is used; `overlap` is the Print Setup page-overlap flag.
// Returns a new reference device context at 600 units per inch, or none.
//
// No printer is driven yet: every document is measured as on a system without a printer,
// with the DEVMODE rebuilt to its defaults, no margins and a Letter page, unless a page was
// set with SetPrinterMetricsPage.
HDC GetPrinterMetrics(char* deviceString, HGLOBAL devMode, RECT* margins, SIZE* paper, int mode,
                      BOOL takeDefault, BOOL* followsDefault, BOOL* overlap);

// Makes GetPrinterMetrics answer with this page and these margins (tests and benchmarks that
// need a particular printer); null restores the answer of a system without a printer.
void SetPrinterMetricsPage(const SIZE* paper, const RECT* margins);

// A memory device context compatible with the display, at 600 units per inch and 100 %.
HDC CreateReferenceDC();
// Deletes a reference device context made above.
void DeleteReferenceDC(HDC dc);
