// Three smaller ways into a drag of the view: a tool or library item dragged in from elsewhere
// (placement), a press in a ruler (guide lines), and the double click that opens an object.
#pragma once

#include <windows.h>

struct DocumentState;

// Starts the placement of a new object of `objClass` (0-3) with `subtype` under the device point
// (x, y), of `defaultSize` or 600 x 400. 0, or non-zero when the drag was refused.
int BeginDragPlacement(HWND view, DocumentState* state, int x, int y, int objClass, int toolSlot, int subtype,
                       const SIZE* defaultSize);

// A press in a ruler (mode 14 horizontal, 15 vertical, 16 the corner box), the point in the
// ruler's client coordinates.
void RulerMouseDown(HWND ruler, WPARAM keys, POINT point, int mode);

// The guide drag of a ruler press: the marks and lines at the press point, and the capture.
void BeginGuideDrag(HWND view, DocumentState* state, int mode, POINT point);

// A double click with the pointer tool: an attachment mark opens its attachment, an object that
// takes text opens its editor at the point; anything else does nothing.
void OpenObjectAtPoint(HWND view, DocumentState* state, POINT point);
