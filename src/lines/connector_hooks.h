// An elbow connector as a hook target and holder: hook points on its segments, its ends and
// sides, its label placement, and the exchange of its outline with Make Shape and custom outlines.
#pragma once

#include <windows.h>

#include "lines/connector_record.h"
#include "shapes/custom_outline.h"

// Message 41.
void ConnectorHookPoint(Drawing* drawing, void* objects, int row, INT32* count, POINT* point);
// Message 42: n box points to drawing positions; `code` as the caller passes it.
void MapConnectorHookPoint(Drawing* drawing, void* objects, int row, int n, int code, POINT* points);
// Message 45.
void ConnectorSnapPoints(Drawing* drawing, void* objects, int row, INT32* count, POINT* points);
// Message 46.
void ConnectorHandleToEnd(Drawing* drawing, void* objects, int row, int code, INT32* end);
// Message 47: the position of end `end`; *otherEnd (or none) receives the other end's code.
int ConnectorEndPosition(Drawing* drawing, void* objects, int row, int end, INT32* otherEnd, POINT* point);
// Message 55.
void ConnectorSize(Drawing* drawing, void* objects, int row, POINT* size);
// Message 62: the side at which the connector leaves `onLine` toward `other`, or 0.
int ConnectorSideAtPoint(Drawing* drawing, void* objects, int row, const POINT* onLine, const POINT* other);
// Message 65.
void ConnectorFrame(Drawing* drawing, void* objects, int row, RECT* rect);
// Message 72.
void ConnectorLabelAngle(Drawing* drawing, void* objects, int row, int answer, int code, INT32* angle);
// Where a label hung on the connector sits and its angle (0, 900 or a curved connector's slope);
// `code` is not consulted. 0 or a store error (nothing written then).
int ConnectorLabelPlacement(Drawing* drawing, const DrawObject* connector, int code, POINT* point,
                            INT32* angle);
// The same for a path already read.
void PlaceConnectorLabel(const ConnectorSegmentBlock* path, const DrawObject* connector, POINT* point,
                         INT32* angle);
// Message 73: the path's points; `turnCodes` (or none) a block for turn-code bytes, `bounds` (or
// none) widened. Returns the number of points.
int GetConnectorPath(HGLOBAL turnCodes, RECT* bounds, void* objects, int row, INT32* count,
                     POINT* points);
// The square-cornered points of a path (first point, then the far end of every segment) plus
// `origin`: segments + 1 of them.
int SquareConnectorPoints(const ConnectorSegmentBlock* path, POINT origin, POINT* points);
// Message 74.
void GetConnectorGeometry(Drawing* drawing, void* objects, int row, int turnCode, OutlineVertex* descriptor);
// Message 75: a curved outline piece from (x1, y1) to (x2, y2) as points (sent without a connector).
void ConnectorArcToPoints(const INT32* segment, const OutlinePointBlock* block, int vertex, INT32* count,
                          POINT* points);
// Message 77.
void SetConnectorGeometry(Drawing* drawing, void* objects, int row, int vertex, const OutlinePointBlock* block);
// Message 82: `values` the unit mode and a hide flag.
int ShowConnectorLength(Drawing* drawing, void* objects, int row, const INT32* values);

// The attached label of a connector, noted before a change so that it can turn with it.
struct ConnectorLabelPartner {
    int row = -1;
    int angle = 0;
};
ConnectorLabelPartner NoteConnectorLabelPartner(ObjectList* list, int row, const DrawObject* connector);
// Turns the noted attached label to the connector's new label angle, with its area redrawn.
void TurnConnectorLabelPartner(Drawing* drawing, ObjectList* list, int row, const ConnectorLabelPartner& partner);

// The side at which a path leaves the object at `target` from `end` toward `other`: the target's
// own answer (message 62), else the side of its box nearest to the hook's box point `box`.
int ConnectorSideOnTarget(Drawing* drawing, ObjectList* objects, int target, POINT box, POINT end, POINT other);
