// Changes to a straight line other than moving and rotating it: new ends from a drag or a
// rectangle, flips, width, style and arrowheads, the attribute summary, the line shape and its
// parameter drag, and the conversion into an elbow connector. Each ends with RecalcLineBounds;
// the caller holds the undo checkpoint and flags the links.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"
#include "shapes/custom_outline.h"

// New ends from the rectangle `rect`: `corner` (1-4, or a side code 5-8) names the corner at
// which the end that stays lies (OM_DRAGHANDLE); corner 0 sets the frame (OM_SETFRAME).
void ReshapeStraightLine(Drawing* drawing, void* objects, int row, int corner, const RECT* rect);

// Flips the line: `flags` 8 horizontally, 0x10 vertically.
void FlipStraightLine(Drawing* drawing, void* objects, int row, int flags);

// Width (0 becomes 1; also the drawing's default width); `makeSolid` sets style 1.
void SetLineWidth(Drawing* drawing, DrawObject* line, BOOL makeSolid, int width);
// Style; a line of any style but solid is 1 unit wide.
void SetLineStyle(Drawing* drawing, DrawObject* line, int style);
// Ends mask of OM_SETARROWENDS: kind 1 at the ends it names; nothing for a grouped line.
void SetLineArrowEnds(Drawing* drawing, DrawObject* line, int ends);
// OM_SETARROWHEADS: first word, size, second word; 0xFF bytes and size -1 keep what is stored.
void SetLineArrowheads(Drawing* drawing, DrawObject* line, const INT32* values);
// One arrowhead word of OM_SETARROWHEADS (lines and connectors): a byte of all ones keeps the
// stored byte; replacing either byte drops the stored word's upper half.
INT32 MergeArrowheadWord(INT32 stored, INT32 given);

// Merges the line attributes of `line` into the summary (fields -2 not set yet, -1 mixed).
void MergeLineAttributes(DrawObject* summary, const DrawObject* line);

// The last arc bulge the parameter drag accepted, process-wide: an arc dragged so far that it
// would leave the page keeps it.
extern double g_lastArcParam;

// The line-shape parameter that dragging extra handle `code` to `point` gives.
double LineShapeParamFromPoint(Drawing* drawing, const DrawObject* line, int code, POINT point);
// XOR feedback of that drag (OM_TRACKPARAM); the model does not change.
void TrackLineShapeParam(HDC dc, Drawing* drawing, const DrawObject* line, int code, POINT point);
// Commits the drag (OM_SETPARAM).
void SetLineShapeParam(Drawing* drawing, DrawObject* line, int code, POINT point);

// OM_SETLINETYPE: a line shape (codes 1-4) or the conversion into an elbow connector; 0 or the
// conversion's store error.
int ApplyLineType(Drawing* drawing, void* objects, int row, int typeCode);

// OM_SETGEOMETRY: the line shape and parameter of vertex `vertex` of an outline block.
void SetLineGeometryFromOutline(Drawing* drawing, DrawObject* line, int vertex,
                                const OutlinePointBlock* block);
