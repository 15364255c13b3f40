// The drawing block of a drawing file or symbol stream (0x8020 .. 0x4020): the drawing's
// defaults, ruler, link table, groups and objects in paint order.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

struct DocumentState;

// Reads through 0x4020 with the 0x8020 record of `length` bytes in the record buffer.
int ReadDrawingBlock(HFILE file, HWND view, DocumentState* state, DWORD length);
// Writes 0x8020 through 0x4020; with `symbol` the link table is left out.
int WriteDrawingBlock(HFILE file, DocumentState* state, BOOL symbol);
void ApplyDefaultAttributes(Drawing* drawing, DocumentState* state);

// While a drawing block is written: the paint position an object id is written as, 0xFFFF
// for an id that names no object.
WORD MapWrittenObjectId(WORD id);
