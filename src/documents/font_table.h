// The font table of a drawing file (0x8006 .. 0x4006): the document's font slots by face name,
// found again in the reading device's font list.
#pragma once

#include <windows.h>

struct DocumentState;

// Reads through 0x4006 with the 0x8006 record in the record buffer into the state's font map.
int ReadFontTable(HFILE file, HWND view, DocumentState* state);
// Writes the table from the state's font map and font list.
int WriteFontTable(HFILE file, DocumentState* state);
// The list index for a face name from another system, the name replaced in `face` (at least
// LF_FACESIZE bytes) when a mapping applied; the list's default index in the last resort.
int MapForeignFontName(HGLOBAL list, char* face);
