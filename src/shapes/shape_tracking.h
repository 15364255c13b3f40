// XOR feedback of shapes while they are created, moved, resized, rotated or have their
// adjustment handle dragged. Every outline is drawn with R2_NOT: drawing it again erases it.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// OM_TRACKHANDLE (a handle dragged), 5 (moving) and 27 (creating, row -1): the outline of `kind`
// in `rect`. A negative `param` means the object's own (for row -1: the palette tool's or the
// kind's default). Turned with the object's angle about its current frame (OM_TRACKHANDLE) or about
// `rect` (OM_TRACKMOVE); a shape being created is drawn upright and unmirrored.
void DrawShapeTrackingOutline(HDC dc, Drawing* drawing, void* objects, int row, int message,
                              int kind, const RECT* rect, BOOL creating, double param);

// OM_TRACKROTATE: the outline of `kind` in the object's frame turned by the angle of the drag from
// the corner opposite `anchor` on the frame to the corner opposite it on `dragRect`.
void TrackShapeRotation(HDC dc, Drawing* drawing, void* objects, int row, int kind,
                        POINT anchor, const RECT* dragRect);

// OM_TRACKPARAM: the outline with the parameter that the dragged point (drawing units) would give
// the adjustment handle; nothing when the shape has no handle.
void TrackAdjustHandle(HDC dc, Drawing* drawing, void* objects, int row, const POINT* point);
