// The symbol stream of a library item: a drawing file reduced to the header, the font table when
// an object has text, and the drawing block without its link table.
#pragma once

#include <windows.h>

struct DocumentState;

// Writes the stream of the state's drawing: to a memory image when `image` is given (handle and
// total length handed back, none on failure), else to the file at `path`.
int WriteSymbolStream(const char* path, HGLOBAL* image, DWORD* imageLength, DocumentState* state);
// Reads a stream into the state's drawing: from a library record's block when `recordBlock` is
// given (the image follows the block's 16-byte header; `imageLength` is the total length stored
// there), else from `file`, else (file -1) from the file at `path`.
int ReadSymbolStream(HFILE file, const char* path, HGLOBAL recordBlock, DWORD imageLength, DocumentState* state);
