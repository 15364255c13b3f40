// What a line array shows and how it meets the mouse: painting with its arrowhead pairs, the
// insertion points offered to new members, hook marks, handles, hit test, XOR feedback while it
// is created or a handle is dragged, and the parameters a released handle sets.
#pragma once

#include <windows.h>

#include "lines/array_record.h"
#include "model/class_protocol.h"

// Messages 1, 31 and 32; `noMarks` other than 0 suppresses the empty-array mark and the
// attachment marker.
void DrawArray(HDC dc, int message, Drawing* drawing, void* objects, int row, int noMarks, const ShadowPaint* shadow);

// Message 41: the insertion points.
void ArrayHookPoints(Drawing* drawing, void* objects, int row, INT32* count, POINT* points);
// Message 42: positions of `n` array points (may run a pending layout).
void MapArrayHookPoints(Drawing* drawing, void* objects, int row, int n, POINT* points);
// Message 43: XOR hook marks at `n` positions.
void DrawArrayHookMarks(HDC dc, Drawing* drawing, void* objects, int row, int n, const POINT* points);

// Message 3.
void DrawArrayHandles(HDC dc, Drawing* drawing, void* objects, int row);
// Message 2: the part code under `point`.
int HitTestArray(Drawing* drawing, void* objects, int row, POINT point);
// Messages 27 (row -1) and 4: feedback with the anchor and the rect of the drag; `a` the dragged
// handle's code (4) or the creation flag (27).
void TrackArray(HDC dc, Drawing* drawing, void* objects, int row, int message, int a, POINT anchor,
                const RECT* rect);
// Message 6: the dragged handle `code` released with the new frame.
void DragArrayHandle(Drawing* drawing, void* objects, int row, int code, const RECT* frame);

// The handle list: rects (point - 30 .. point + 24) and codes, at most 6.
void ArrayHandleRects(Drawing* drawing, const DrawObject* array, RECT* rects, int* codes, int* count);

// The correction message 6 applies when the branch length changes a fishbone's offset.
int FishboneShift(const ArrayData* data, int oldOffset);
