// A straight line as a hook target and as a holder: hook points along it, the positions of its
// ends, the frame after an end moved, its side of a point, and the size, bounds, path and
// geometry queries. The operations of messages 48, 51, 62 and 65 serve line arrays as well.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"
#include "shapes/custom_outline.h"

// OM_GETHOOKPOINTS: with *count 0 the last hook point; otherwise p[0], a drawing position, becomes
// the hook point (u, u) of the place on the line that corresponds to it. *count becomes 1.
void GetLineHookPoint(Drawing* drawing, DrawObject* line, int holderMask, INT32* count, POINT* p);
// OM_MAPHOOKPOINT: each of the n box points becomes its drawing position on the line; with
// `followArc` an arc line's positions are put onto the arc.
void MapLineHookPoints(const DrawObject* line, int n, POINT* p, BOOL followArc);
// OM_GETSNAPPOINTS: the two ends in the 0..600 box.
void GetLineSnapPoints(const DrawObject* line, INT32* count, POINT* p);
// OM_HANDLETOEND: 1, 2 or -1.
int LineHandleToEnd(const DrawObject* line, int code);
// OM_MOVEHANDLERECT: the frame after the end opposite the fixed code moved by *delta; the
// corrected delta is left in *delta.
void MoveLineHandleRect(const DrawObject* line, int fixedCode, POINT* delta, RECT* rect);
// OM_CANLINK: 1 when lines may link in the drawing.
int LinesMayLink(const Drawing* drawing);
// OM_GETSIZE.
void GetLineSize(const DrawObject* line, POINT* size);
// OM_GETBOUNDS: the drawn path's bounds when `shaped` and the line has a line shape, else the
// frame with a one-unit cross extent.
void GetLineBounds(const DrawObject* line, BOOL shaped, RECT* rect);
// OM_ENDSIDE: the side code (5-8) of `point` relative to the line at `reference`.
int LineEndSide(const DrawObject* line, const POINT* reference, const POINT* point);
// OM_GETFRAME: the frame with a horizontal line's top and bottom (a vertical line's left and
// right) on its line coordinate.
void GetLineFrame(const DrawObject* line, RECT* rect);
// OM_SPINERECT: the line as a horizontal spine through its centre, and its angle.
void GetLineSpine(const DrawObject* line, INT32* angle, RECT* rect);
// OM_GROUPHANDLEDRAG: 1 when the drag of a line in a rotated group was adjusted.
int LineGroupHandleDrag(Drawing* drawing, const DrawObject* line, int dx, int dy, RECT* rect);
// OM_GETPATH: the ends in p[0] and p[1], `extent` (or none) widened, *count (or none) the path's
// point count. Returns 2.
int GetLinePath(const DrawObject* line, RECT* extent, INT32* count, POINT* p);
// OM_GETGEOMETRY: class, orientation, line shape and parameter, in the layout of an outline
// vertex's descriptor.
void GetLineGeometry(const DrawObject* line, OutlineVertex* descriptor);
// OM_GETPOINTLIST: expands the shaped outline segment `segment` (x0, y0, x1, y1) ending at
// vertex `vertex` of `block` into its path points, written over p from *count - 1 on.
void ExpandOutlineSegment(const INT32* segment, const OutlinePointBlock* block, int vertex,
                          INT32* count, POINT* p);
