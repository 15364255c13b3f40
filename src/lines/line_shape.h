// Geometry of shaped lines: the point lists of zigzag, steps and arc lines, their extra handles,
// the hit test of a point list and its inverted drawing.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

enum LineShape {
    LinePlain = 0,
    LineZigzag = 1,
    LineSteps = 2,
    LineArc = 3,
};

// Kinds of a built path: a polyline (an arc's apex after the last counted point), the straight
// fallback of an arc, or the exact arc with its circle's bounding square in points 3 and 4.
enum LinePathKind {
    LinePathPolyline = 0,
    LinePathStraightArc = 1,
    LinePathExactArc = 2,
};

// Fills the path of a shaped line over the ends rect `ends` (the frame or a moved copy of it) and
// the line coordinate c0; `margin` pushes the figure's points outward (the bounds pass the width
// + 24). `exactOff` forbids the exact arc; `setbacks` (end 1, end 2) or none shorten an arc at
// its ends. Room for 8 x 30 + 2 + 1 points is needed. A plain line gives count 0.
void BuildLineShapePath(const DrawObject* line, const RECT* ends, int c0, double param, int margin,
                        POINT* points, int* count, int* kind, BOOL exactOff, const int* setbacks);

// A stored parameter fit for integer conversions: a value that is not a number reads as
// `fallback` (the line shape's default), magnitudes are limited to a million.
double SaneLineParam(double value, double fallback);

// Grows the line's update rect to contain its path (margin width + 24, exact arc off, an
// arc's apex included).
void AddLineShapePathBounds(DrawObject* line);

// Puts a point onto the line's arc (the hook point of an arc line); a point with no place on
// the circle stays where it is.
void ProjectPointOntoArc(const DrawObject* line, POINT* point);

// Turns a point about end 1 of a slanted line onto the line's direction, keeping its distance
// from end 1.
void RotatePointOntoChord(const DrawObject* line, POINT* point);

// Moves a point on a line's arc by about `s` along the circle (nothing for a straight arc).
void MovePointAlongArc(const DrawObject* line, int s, POINT* point);

// Room a path buffer needs: a tessellated arc of 30 points per quarter and its apex.
constexpr int kLinePathPoints = 8 * 30 + 2 + 1;

// Half the side of a shaped line's extra handle.
constexpr int kLineShapeHandleHalf = 24;

// The extra handles of a shaped line, 48-unit squares: zigzag one, steps two, arc one (around the
// apex); none for a plain line. `rects` has room for two.
void GetLineShapeHandleRects(const DrawObject* line, const POINT* points, int count, int kind,
                             RECT* rects, int* number);

// 40 when (x, y) lies within half the line's width plus 12 of a segment of the path, else 0. The
// apex stored after the last counted point takes no part; equal points are no hit.
int HitTestLinePath(const DrawObject* line, const POINT* points, int count, int x, int y);

// Inverted drawing of a path: solid in the black pen or dotted.
void XorLineShapePath(HDC dc, const POINT* points, int count, BOOL solid, int kind);
