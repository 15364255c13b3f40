// Shape style and geometry messages: border width, style and colour, fill pattern and colour,
// text effects and fit, and the size, bounds and handle rectangles a shape reports.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// Each addresses the shape at `row` of the list `objects`, or with row -1 the standalone record
// `objects`. The caller holds the undo checkpoint and invalidates; nothing here repaints.

// Message 7: the width becomes the drawing's default too; `forceSolid` makes the line solid.
// The result of laying the text out again.
int SetShapeBorderWidth(Drawing* drawing, void* objects, int row, BOOL forceSolid, int width);
// Message 8: a borderless shape also gets width 1, which becomes the default.
void SetShapeBorderStyle(Drawing* drawing, void* objects, int row, int style);
// Message 9: pattern 1 is solid, or hollow without a fill colour; a hatch keeps the border
// colour different from the colour under it.
void SetShapeFillPattern(Drawing* drawing, void* objects, int row, int pattern);
// Message 17 of shapes and 35 of the line classes: with `addBorder` a borderless object gets
// the default border width (12 when that is 0).
void SetObjectLineColor(Drawing* drawing, void* objects, int row, BOOL addBorder, COLORREF color);
// Message 21: -1 makes a solid shape hollow, a colour makes a hollow one solid; without `force`
// hollow shapes and background-coloured attached labels keep their fill.
void SetShapeFillColor(Drawing* drawing, void* objects, int row, BOOL force, COLORREF color);
// Message 34: the text effect from the drawing's shadow settings, then the rects.
int RefreshShapeEffects(Drawing* drawing, void* objects, int row);
// Message 40.
int SetShapeTextFit(Drawing* drawing, void* objects, int row, int mode);
// Messages 56, 86 and 65: the frame, or with `rotated` the bounds of the rotated frame.
void GetShapeBounds(const DrawObject* shape, BOOL rotated, RECT* bounds);
// Message 48: the frame with the side or corner opposite `anchor` moved by the delta; not
// normalised.
void MoveShapeHandleRect(const DrawObject* shape, int anchor, const POINT* delta, RECT* rect);
// Message 55: the frame's width and height.
void GetShapeSize(const DrawObject* shape, INT32 size[2]);
