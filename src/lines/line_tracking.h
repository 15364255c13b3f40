// What a straight line does under the mouse: its selection handles, the hit test, XOR feedback
// while it is created, reshaped, moved or rotated, its rotation handle and rotation.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// Draws the segment inverted (R2_NOT): the black stock pen when `solid`, else a one-pixel dotted
// pen; the previous raster operation and pen are selected again.
void DrawXorLine(HDC dc, int x0, int y0, int x1, int y1, BOOL solid);

// OM_DRAWHANDLES: the end handles, the rotation handle and the extra shape handles.
void DrawLineHandles(HDC dc, Drawing* drawing, void* objects, int row);

// OM_HITTEST: the part code of `point` (0 a miss).
int HitTestStraightLine(Drawing* drawing, void* objects, int row, POINT point);

// OM_EXTRAHANDLE: 142-145 with the rotation handle's rect and centre, or 0 when the line has
// none; bit 0x2 of `flags` forces it.
int GetLineRotationHandle(Drawing* drawing, const DrawObject* line, int flags, POINT* centre,
                          RECT* rect);

// OM_TRACKHANDLE (row >= 0) and OM_TRACKCREATE (row -1): feedback of a dragged end or of a line
// being created, with the fixed `anchor` and the rect spanned by it and the cursor.
void TrackLineEnd(HDC dc, Drawing* drawing, void* objects, int row, int message, POINT anchor,
                  const RECT* rect);
// OM_TRACKMOVE: feedback of the line moved to `frame` (as OM_GETFRAME gives it).
void TrackLineMove(HDC dc, Drawing* drawing, void* objects, int row, const RECT* frame);
// OM_TRACKROTATE: feedback of the rotation drag.
void TrackLineRotation(HDC dc, Drawing* drawing, void* objects, int row, POINT anchor,
                       const RECT* rect);
// OM_ROTATETO: turns the line so that its rotation handle points toward `cursor`. 0.
int RotateLineToPoint(Drawing* drawing, void* objects, int row, const POINT* cursor);
// OM_SETANGLE: turns the line to an absolute angle.
void SetLineAngle(Drawing* drawing, void* objects, int row, int angle);

// Whether an arc's bulge flips while an end is dragged: `anchor` is the fixed end, `cursor` the
// dragged end's new place.
BOOL ArcBulgeFlips(const DrawObject* line, POINT anchor, POINT cursor);
