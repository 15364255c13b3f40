// Hook points on shape outlines: box points mapped onto the real outline of each kind, mirrored
// and rotated; the drawing and box positions of a LinkPointCode; projection of a point onto an
// outline; snapping to a picture's custom points.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// Direction bits of a projection: search along the vertical, along the horizontal; neither
// chooses by each edge's slope.
constexpr int kProjectVertical = 8;
constexpr int kProjectHorizontal = 4;

// The place in the 16-point list that a single box point stands for: 0, 4, 8 and 12 for the
// corners top-left, top-right, bottom-right and bottom-left, 2 for any other point.
int CornerIndexOfBoxPoint(POINT point);

// OM_MAPHOOKPOINT: the `n` box points become drawing positions on the shape as drawn. `code` is
// the holder-side code; 201 and above are fixed points, never mirrored.
void MapShapeHookPoints(const Drawing* drawing, const DrawObject* shape, int n, int code, POINT* points);

// OM_GETPOINTPOS: the drawing position of a LinkPointCode. 0, or 1 for an invalid code (a code
// beyond the snap list is invalid), which leaves the point alone. `objects` with `row` -1 is a
// standalone record.
int GetShapePointPosition(Drawing* drawing, void* objects, int row, int code, POINT* point);

// OM_POINTTOUNIT: the position of a LinkPointCode in the 0..600 box over the frame.
void ShapePointToBox(Drawing* drawing, void* objects, int row, int code, POINT* point);

// Projects a point onto the shape's drawn outline along `direction`. *count 0 on entry returns
// the remembered outline point; otherwise mode 0 takes a drawing position and answers in box
// units (remembered unless hook points are shown), mode 1 answers in drawing units. *count is
// 1 afterwards; a point with no edge in reach stays as it was.
void ProjectPointOntoOutline(Drawing* drawing, DrawObject* shape, int direction, INT32* count, POINT* point,
                             int mode);

// Replaces a box point by the picture's nearest custom point (turned with the shape): 0, or
// the error of loading the picture's first chunk.
int SnapToNearestCustomPoint(Drawing* drawing, const DrawObject* shape, POINT* point);
