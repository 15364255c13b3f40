// Point operations shared by every object class: rotation about a frame's centre, mirroring,
// bounds, the point a handle names and the angle of a drag.
#pragma once

#include <windows.h>

#include "geometry/handle_codes.h"

// The rotation centre of a rectangle, (L + W/2, T + H/2); (0, 0) with none.
POINT RotationCentre(const RECT* rect);

// The point of `rect` a handle code names (HandleCode); the rotation handles name the middle of
// their side, and any code without a point of its own names the right-bottom corner.
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
