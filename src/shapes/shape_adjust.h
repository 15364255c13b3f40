// The adjustment handle of shapes with a parameter: where it sits, how a dragged point becomes
// the parameter, and setting the parameter at the end of the drag.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// Hit codes of the handle.
constexpr int kAdjustHandleHorizontal = 60;
constexpr int kAdjustHandleVertical = 62;

enum AdjustOrientation : int { AdjustNone = 0, AdjustHorizontal = 1, AdjustVertical = 2 };

// Computed on demand from the shape, never stored. Without a handle (orientation AdjustNone)
// the other fields mean nothing.
struct AdjustHandle {
    RECT box;         // 48 x 48, upright, around the (rotated) handle centre
    int orientation;  // AdjustOrientation: the coordinate the parameter follows
    LONG rangeLow;    // lowest and highest coordinate the drag may reach
    LONG rangeHigh;
    LONG base;        // coordinate the parameter is measured from
    double span;      // length of a parameter of 1.0
};

void GetAdjustHandle(const DrawObject* shape, AdjustHandle* handle);

// The parameter a point of the unrotated frame gives; its coordinate along the handle's axis is
// clamped into the range in place. -1.0 without a handle (or with a span of 0). Also written to
// `param` when given.
double ParamFromAdjustPoint(const DrawObject* shape, POINT* point, double* param);

// Outlines the handle's diamond in XOR with a one-unit inside-frame pen, when there is one.
void DrawAdjustHandle(HDC dc, const DrawObject* shape);

// OM_SETPARAM: the dragged point (drawing units) sets the parameter, and the frame is applied
// again; its result. A point that gives no parameter changes nothing and returns 0.
int SetParamFromPoint(Drawing* drawing, ObjectList* objects, int row, const POINT* point);
