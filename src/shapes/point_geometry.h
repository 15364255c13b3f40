// Point operations shared by every object class: rotation about a frame's centre, mirroring,
// bounds, the angle of a drag, a shape's real outline and where its rotation handle sits.
#pragma once

#include <windows.h>

// Rotation-handle codes: on the right side of the frame, on its bottom side.
constexpr int kRotateHandleRight = 140;
constexpr int kRotateHandleBottom = 141;
constexpr int kRotateHandleHalf = 24;    // the handle is a 48 x 48 square
constexpr int kRotateHandleInset = 66;   // its centre lies this far inside the frame's edge
constexpr int kRotateHandleMinSide = 270;

// The rotation centre of a rectangle, (L + W/2, T + H/2); (0, 0) with none.
POINT RotationCentre(const RECT* rect);

// The point of `rect` a handle code names: 1 left-top, 2 right-top, 3 left-bottom, 5 top
// middle, 6 and 141 bottom middle, 7 left middle, 8 and 140 right middle, any other code
// right-bottom.
POINT SidePointOfRect(const RECT& rect, int code);

// Rotates the points in place by `angle` tenths of a degree, counter-clockwise on screen,
// about the centre of `rect` (or the origin). Returns n.
int RotatePoints(const RECT* rect, int angle, POINT* points, int n);
// The same operation, under the name interactive editing and the rotate command use.
int RotatePointsAboutRect(const RECT* rect, int angle, POINT* points, int n);

// Option 0x8 mirrors x across the rectangle (x -> R + L - x), 0x10 mirrors y.
void FlipPoints(const RECT& rect, int options, POINT* points, int n);

// The bounds of the points; an empty list gives (32767, 32767, 0, 0), and right and bottom
// never fall below 0.
void BoundsOfPoints(RECT* bounds, const POINT* points, int n);

// The signed angle (tenths of a degree, -1800..1800) that turns the ray from the centre C to
// S onto the ray from C to E; counter-clockwise on screen is positive. 0 when S or E lies on
// the centre.
int AngleFromDrag(int cx, int cy, int sx, int sy, int ex, int ey);

// The nearest multiple of 15 degrees (150 tenths), halves away from zero.
int SnapAngle(int angle);

// The outline of `kind` in `frame`, mirrored by the options (0x8, 0x10) and rotated by
// `angle` about the centre of `centre`. Kind 2 with parameter 0 gives the rotated frame,
// kind 0 its eight rotated frame points.
void GetShapeOutlinePoints(const RECT& frame, const RECT* centre, double param, int kind,
                           int angle, HGLOBAL custom, POINT* points, int* count, int options);

// Where the rotation handle of a frame sits: 140 on the right side, 141 on the bottom side,
// 0 none (both sides below 270 units, unless `flags` has 0x2). With `flags` 0x1 the point
// turns with the shape's `angle`. The rectangle is the point +/- 24.
int PlaceRotationHandle(const RECT& frame, int angle, int flags, POINT* point, RECT* rect);
