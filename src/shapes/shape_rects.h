// The derived rectangles of a shape: update, inner and text rectangles and the text inset,
// recomputed after every change of frame, border, fill, shadow or kind; and new frames.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// Sets the four text-area fractions of the kind in classData and textInset. With `fromText`
// the frame holds the extent of the text (the text engine's call on a copy of the shape).
void ComputeShapeTextMargins(DrawObject* shape, BOOL fromText);

// OM_RECALC without relayout. With `relayout` a shape with text has it laid out again (the
// result is returned); one without gets its text rectangle from the inner rectangle.
int UpdateShapeRects(Drawing* drawing, DrawObject* shape, BOOL relayout);

// 1 when the object's drop shadow is drawn and counted in its bounds.
int ObjectHasShadow(Drawing* drawing, const DrawObject* object);

// OM_DRAGHANDLE and OM_SETFRAME: the frame of the shape at `row` (-1: the standalone record `objects`)
// becomes `rect` (at least 24 x 24); a rotated shape keeps the anchor's screen position unless
// `skipAnchor`, held within 32,000. A shape with text is laid out again from the anchor and
// kept on the page.
int SetShapeFrame(Drawing* drawing, void* objects, int row, int anchor, BOOL skipAnchor,
                  const RECT* rect);

// Pulls the shape at `row` back onto the page of the drawing's view (none, or row -1: 0).
int KeepShapeOnPage(Drawing* drawing, void* objects, int row);
