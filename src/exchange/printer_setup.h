// The printer of a document: its reference device context and page measurements.
#pragma once

#include <windows.h>

// Resolves the printer named by `device` (261 bytes, in/out; empty for the default printer)
// with its DEVMODE and measures its page in 1/600 inch. Returns the reference device context
// (a display-compatible memory DC at 600 units per inch), or none when the user ended the
// printer-not-found question without a printer.
HDC GetPrinterMetrics(char* device, HGLOBAL devMode, RECT* margins, SIZE* paper, int mode,
                      BOOL takeDefault, BOOL* followsDefault, BOOL* overlap);
