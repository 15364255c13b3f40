// Pictures of a drawing for everything that takes one out of the program: a memory metafile at
// 600 units per inch and its METAFILEPICT in HIMETRIC units, an imported metafile handed over
// as it is, a bitmap drawn through the views' shared back buffer, a template's preview picture,
// and the BMP file writer. (BitmapToPackedDib is declared with the exchange services.)
#pragma once

#include <windows.h>

struct DocumentState;

// While a metafile is recorded: its extent in drawing units (the window origin and size).
extern RECT g_metafileExtent;

// Extents above this many HIMETRIC units in either direction are scaled down together.
constexpr int kMaxMetafilePictExtent = 32700;

// A memory metafile of the drawing whose records speak drawing coordinates: all objects or the
// selection, over their extent (from update rectangles or class bounds). An empty drawing
// gives none unless empty is allowed, and then a blank inch square. `extent` receives the
// extent in every case.
HMETAFILE RenderDrawingMetafile(HGLOBAL drawing, HPALETTE palette, RECT* extent, BOOL selectedOnly, BOOL allowEmpty,
                                BOOL fromUpdateRects);
// That metafile in a new METAFILEPICT block (MM_ANISOTROPIC, extents in HIMETRIC, at most
// 32700), or none.
HGLOBAL GetDrawingMetafilePict(HGLOBAL drawing, HPALETTE palette, BOOL selectedOnly, BOOL allowEmpty,
                               BOOL fromUpdateRects);
// When the drawing (or with `selection` its selection) is one imported metafile picture
// without border, text or label: its own metafile in a METAFILEPICT of its inner rectangle.
// Otherwise none, and the caller renders the drawing.
HGLOBAL GetPictureMetafilePict(HGLOBAL drawing, BOOL selection);

// Draws the drawing into the back buffer at `zoom` per mille, its bitmap resized to the
// rectangle measured on the window's device context; the rectangle starts at the bitmap's
// corner. `rect` is the given one (`useRect`) or receives the extent; an empty extent draws
// nothing and answers 0 unless empty is allowed. 0, or 10004 without a back buffer.
int RenderDrawingOffscreen(HWND window, int zoom, HPALETTE palette, HGLOBAL drawing, BOOL selectedOnly, RECT* rect,
                           BOOL useRect, BOOL allowEmpty);
// The view's drawing at its zoom as a device bitmap that now belongs to the caller, or none.
HBITMAP RenderDrawingBitmap(HWND view, BOOL allowEmpty);
// Replaces the document's preview picture record (100, 107) by the drawing, widened to at
// least a sheet and shrunk to fit `destination` (pixels), as a packed DIB. 0 or an error.
int BuildPreviewPicture(HWND window, DocumentState* state, const RECT* destination);

// How the BMP writer cuts a bitmap's rows into bands of about 16000 bytes.
struct BitmapBandPlan {
    int bitsPerPixel;     // 1, 4, 8 or 24
    int colors;           // entries of the colour table
    DWORD wordsPerRow;    // 32-bit words
    DWORD imageSize;
    int bands;
    int rowsPerBand;
    DWORD bandSize;
};
BitmapBandPlan PlanBitmapBands(int width, int height, int bitsPerPixel);

// Writes the bitmap as a BMP file through the open file, from offset 0, one band of rows at a
// time; the file header is written again at the end with the file's length. 0, 10003 when a
// write falls short or a seek fails, or 10004.
int WriteBitmapFile(HDC dc, HFILE file, HBITMAP bitmap, HPALETTE palette);
