// The font table of a drawing file.
#include "documents/font_table.h"

int ReadFontTable(HFILE, HWND, DocumentState*) { return 0; }
int WriteFontTable(HFILE, DocumentState*) { return 0; }
int MapForeignFontName(HGLOBAL, char*) { return 0; }
