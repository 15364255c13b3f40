// Services of printing and exchange that the model and the classes use: the OLE data-changed
// notice, the process-wide rendering states, and bitmaps as packed DIBs.
#pragma once

#include <windows.h>

struct DocumentState;

// Process-wide rendering states set by export and printing.
extern BOOL g_renderingMetafile;     // drawing into a metafile at 600 units per inch
extern BOOL g_printing;
extern BOOL g_printingWithoutColor;
extern BOOL g_renderingForOle;

// Tells every non-embedded OLE object of the drawing window that the data changed; nothing
// while the drawing is rendered for OLE.
void NotifyOleDataChanged(DocumentState* state);

// A new zero-filled movable block holding the bitmap as a packed DIB: BITMAPINFOHEADER, a
// colour table for 1, 4 and 8 bits per pixel (other depths become 24 bits), the rows. The
// palette, when given, is selected and realised first; the busy cursor is shown. 0, 10004
// without memory, or 1 when the rows cannot be read (the block is returned all the same).
int BitmapToPackedDib(HDC dc, HBITMAP bitmap, HPALETTE palette, HGLOBAL* block);
