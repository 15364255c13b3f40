// A shape's real outline turned and mirrored in place, and where its rotation handle sits.
#pragma once

#include <windows.h>

#include "geometry/handle_codes.h"

// The rotation handle is a 48 x 48 square whose centre lies 66 units inside the frame's edge;
// frames with both sides below 270 units have none.
constexpr int kRotateHandleHalf = 24;
constexpr int kRotateHandleInset = 66;
constexpr int kRotateHandleMinSide = 270;

// The outline of `kind` in `frame`, mirrored by the options (0x8, 0x10) and rotated by
// `angle` about the centre of `centre`. Kind 2 with parameter 0 gives the rotated frame,
// kind 0 its eight rotated frame points.
void GetShapeOutlinePoints(const RECT& frame, const RECT* centre, double param, int kind,
                           int angle, HGLOBAL custom, POINT* points, int* count, int options);

// Flags of OM_EXTRAHANDLE and PlaceRotationHandle.
enum RotationHandleFlags : int {
    RotationHandleTurned = 0x1,   // the point turns with the shape's angle
    RotationHandleAlways = 0x2,   // also on small or hooked shapes
};

// Where the rotation handle of a frame sits: `HandleRotateRight` on the right side, `HandleRotateBottom` on the bottom side,
// 0 none (both sides below 270 units, unless `flags` has RotationHandleAlways). With
// RotationHandleTurned the point turns with the shape's `angle`. The rectangle is the point +/- 24.
int PlaceRotationHandle(const RECT& frame, int angle, int flags, POINT* point, RECT* rect);
