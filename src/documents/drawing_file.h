// Drawing and template files and drawing images: the "VEXLORFM" signature, the header, the
// preview, the page block, the font table and the drawing block.
#pragma once

#include <windows.h>

struct DocumentState;

// Reads a drawing from `image` (of `imageLength` bytes) when given, else from `file`, or from
// the file at `path` when `file` is -1. `older` is set for a file of an older generation.
int ReadDrawingFile(HFILE file, LPCSTR path, HGLOBAL image, DWORD imageLength, HWND view,
                    DocumentState* state, BOOL* older, BOOL fromTemplate);
// Writes a memory image when `image` is given (handing back handle and total length), else the
// file at `path`.
int WriteDrawingFile(LPCSTR path, HGLOBAL* image, DWORD* imageLength, DocumentState* state);
// 1 when the file begins with the signature, 0 when not, -1 when it cannot be opened.
int ProbeDrawingFile(LPCSTR path, HGLOBAL* preview);
