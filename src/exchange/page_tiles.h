// The page grid of a drawing: which printable-size pages its objects' extent covers.
#pragma once

#include <windows.h>

struct DocumentState;

// `selection` in: 1 the selected objects only, 0 all, -1 all and report whether a selection
// exists; set to 0 when nothing is selected. The extent is always written. TRUE when the extent
// is not empty and the printable page size is known.
BOOL ComputePageTiles(DocumentState* state, int* selection, int* firstRow, int* rows, int* firstColumn, int* columns,
                      RECT* extent);
