// Shape style and geometry messages: border width, style and colour, fill pattern and colour,
// text effects and fit, and the size, bounds and handle rectangles a shape reports.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// Each addresses the shape at `row` of the list `objects`, or with row -1 the standalone record
// `objects`. The caller holds the undo checkpoint and invalidates; nothing here repaints.

// OM_SETBORDERWIDTH: the width becomes the drawing's default too; `forceSolid` makes the line solid.
// The result of laying the text out again.
int SetShapeBorderWidth(Drawing* drawing, void* objects, int row, BOOL forceSolid, int width);
// OM_SETBORDERSTYLE: a borderless shape also gets width 1, which becomes the default.
void SetShapeBorderStyle(Drawing* drawing, void* objects, int row, int style);
// OM_SETFILLPATTERN: pattern 1 is solid, or hollow without a fill colour; a hatch keeps the border
// colour different from the colour under it.
void SetShapeFillPattern(Drawing* drawing, void* objects, int row, int pattern);
// OM_SETBORDERCOLOR of shapes and 35 of the line classes: with `addBorder` a borderless object gets
// the default border width (12 when that is 0).
void SetObjectLineColor(Drawing* drawing, void* objects, int row, BOOL addBorder, COLORREF color);
// OM_SETFILLCOLOR: -1 makes a solid shape hollow, a colour makes a hollow one solid; without `force`
// hollow shapes and background-coloured attached labels keep their fill.
void SetShapeFillColor(Drawing* drawing, void* objects, int row, BOOL force, COLORREF color);
// OM_REFRESHEFFECTS: the text effect from the drawing's shadow settings, then the rects.
int RefreshShapeEffects(Drawing* drawing, void* objects, int row);
// OM_SETTEXTFIT.
int SetShapeTextFit(Drawing* drawing, void* objects, int row, int mode);
// OM_GETBOUNDS, OM_GETEXTENT and OM_GETFRAME: the frame, or with `rotated` the bounds of the rotated frame.
void GetShapeBounds(const DrawObject* shape, BOOL rotated, RECT* bounds);
// OM_MOVEHANDLERECT: the frame with the side or corner opposite `anchor` moved by the delta; not
// normalised.
void MoveShapeHandleRect(const DrawObject* shape, int anchor, const POINT* delta, RECT* rect);
// OM_GETSIZE: the frame's width and height.
void GetShapeSize(const DrawObject* shape, INT32 size[2]);
