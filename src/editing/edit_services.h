// Services of the editing commands that the model and the object classes use: handle codes,
// grid snapping and the selection; edit errors and attachments come with their own headers.
#pragma once

#include <windows.h>

#include "editing/drag_state.h"
#include "editing/attachments.h"
#include "editing/edit_operation.h"
#include "model/drawing_records.h"


// Handle code of the corner or side of `rect` on which (x, y) lies, tested with exact
// equality: left-bottom 3, left-top 1, right-top 2, right-bottom 4, then right 8, left 7,
// top 5, anything else 6.
int HandleCodeAtPoint(const RECT* rect, int x, int y);

// The opposite handle code: 1-4, 2-3, 5-6, 7-8 exchanged; any other code gives 1.
int OppositeSide(int code);

// Moves the point (drawing units) to the nearest point of the drawing's grid; zoom unused.
void SnapPointToGrid(Drawing* drawing, POINT* point, int zoom);

// Clears every selection of the drawing and erases its marks.
void DeselectAll(Drawing* drawing);

// Selects the object at `row` (or its whole group) as a click would; with `extend` toggles it
// and keeps the others.
void SelectObjectByClick(HGLOBAL drawingHandle, int row, BOOL extend, int reserved1, int reserved2);


