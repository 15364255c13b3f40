// How a drawing's objects fall on printed pages: the tiles of pages that cover them.
#pragma once

#include <windows.h>

struct DocumentState;

// TRUE when the objects (`which` 0: all) have a non-empty extent and the printable page size is
// known; the pages covering them go to the four counts. The extent is always written.
BOOL ComputePageTiles(DocumentState* state, int which, int* firstRow, int* rows, int* firstColumn, int* columns,
                      RECT* extent);
