// Outline polygons of the shape kinds in any rectangle.
#pragma once

#include <windows.h>

// Writes the outline of `kind` in `rect` into `points` (room for kMaxOutlinePoints) and its
// length into `count`. Offsets bent by `param` are measured on `reference` and scaled to
// `rect`, so an inner outline built in a smaller rectangle with the outer frame as reference
// keeps the outer slopes; pass the frame as both for the plain outline. `inset` is used by
// kinds 10-13 and 20 only. Kind 26 takes its points from the OutlinePointBlock `custom`.
void BuildShapeOutline(const RECT& rect, const RECT& reference, double param, int kind,
                       int inset, HGLOBAL custom, POINT* points, int* count);

// n points along half an ellipse in `rect` (top and bottom in either order): from its top to
// its bottom edge, starting and ending on the right edge and bulging to the left one with
// `fromRight`, the other way round without. c and d shorten the walk at its start and end;
// a and b, when not 0, hold it a and b away from the ends.
void HalfEllipsePoints(POINT* points, int n, const RECT& rect, int a, int b, int c, int d,
                       bool fromRight);
