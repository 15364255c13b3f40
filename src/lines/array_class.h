// The class handler of line arrays (class 3): the dispatch of the protocol's messages and the
// array's own answers: creation, rects from the entries, resize, move, width, style, arrow ends
// and arrowheads, bounds, snap points, end handles and positions, member sides and spacing.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// Answers the object class protocol for line arrays.
extern "C" LONG CALLBACK SED_ArrayHandler(HDC dc, Drawing* drawing, void* objects, int row, int message, int a,
                                          int b, void* p);

// OM_INIT: a new array over its frame; `corner` (1-4) the frame corner where the creating drag
// ended. 0 or a store error (the object then stays as it was made, without a record).
int InitArray(Drawing* drawing, ObjectList* objects, int row, int corner);

// OM_RECALC: the inner, frame, update and text rects from the entries.
void RecalcArrayRects(Drawing* drawing, DrawObject* array);
