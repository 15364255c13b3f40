// Outside pictures turned into picture objects: placeable metafile files, clipboard metafiles
// and bitmaps, packed bitmaps from picture files; the scan that refuses unsuitable metafiles;
// and drawing stored pictures.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

struct PictureDrawState;

// Scan flags: 0x08, 0x10 a negative first window extent, 0x20 stretched bitmaps; the whole
// word 1 means unsuitable (regions, clip regions, raster copies).
constexpr int kScanUnsuitable = 1;
constexpr int kUnsuitableMetafile = 10013;

// The record callback of the scan: 0 stops the enumeration, 1 continues.
int CALLBACK MetaExtEnumProc(HDC dc, HANDLETABLE* table, METARECORD* record, int objects,
                             LPARAM extent);

// Scans the metafile: the first window extent's absolute size goes into `extent` right and
// bottom, up to 256 distinct colours into `colors`. Returns the flags (also in `flags`).
int ScanMetafile(HMETAFILE metafile, RECT* extent, int* colorCount, COLORREF* colors, int* flags);

// Adds a colour to the running scan's list: 1 added, 0 already there or the list full.
int AddScanColour(COLORREF color);

// Reads a placeable metafile file from its current position: the object size at 600 units per
// inch, a new block with the bits after the header, the header's bounding box, the bits' size.
// 0; 1 not a placeable metafile (or nothing after the header); 10003 read error; 10004 memory.
int ReadPlaceableMetafile(HFILE file, RECT* sizeRect, HGLOBAL* bits, RECT* boundingBox,
                          DWORD* bitsSize);

// Adds the file's placeable metafile as a picture object at the drop point (or the paste
// position). 10013 for an unsuitable metafile.
int ImportMetafileFile(HWND view, Drawing* drawing, HFILE file, const POINT* drop);

// The clipboard's CF_METAFILEPICT (the caller opened the clipboard) as bits, object rectangle,
// frame, colours and flags. 0; 1 nothing usable; 10013 unsuitable.
int GetClipboardMetafile(HGLOBAL* bits, RECT* objectRect, RECT* frame, int* colorCount,
                         COLORREF* colors, int* flags);

// Adds a metafile picture object; consumes `bits`. The result of AddObject.
int CreateMetafilePictureObject(HWND view, Drawing* drawing, HGLOBAL bits, const RECT* objectRect,
                                const RECT* frame, int colorCount, const COLORREF* colors, int flags);

// The clipboard's CF_BITMAP (with its CF_PALETTE) as a packed DIB, or none. Opens and closes
// the clipboard itself.
HGLOBAL GetClipboardBitmap(HWND window);

// Adds a bitmap picture object from a packed DIB, 6 units per pixel, fitted to the page;
// consumes `dib`. The result of AddObject; 1 for a bitmap whose header is unusable.
int CreateBitmapPictureObject(HWND view, Drawing* drawing, HGLOBAL dib, const POINT* drop);

// Stretches the whole packed DIB into the rectangle.
void DrawDIB(HDC dc, const RECT* rect, HGLOBAL dib);

// Draws a stored picture (112 bitmap, 113 metafile) into the rectangle; anything that cannot
// be loaded draws nothing.
void DrawPictureObject(HDC dc, int slot, int type, int firstId, int count, const RECT* rect,
                       PictureDrawState* state);
