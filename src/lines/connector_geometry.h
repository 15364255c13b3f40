// The queries every part of the connector class reads from the path: handle points, the points
// part codes name, the rectangles kept in the object, the segment or curved piece under a point,
// the quarter ellipses of the curved kind, and the length a dimension label shows.
#pragma once

#include <windows.h>

#include "lines/connector_record.h"

// Part codes of connector points.
enum ConnectorPartCode {
    ConnectorFirstPoint = 28,
    ConnectorLastPoint = 29,
    ConnectorVerticalFromStart = 50,
    ConnectorHorizontalFromStart = 51,
    ConnectorVerticalFromEnd = 52,
    ConnectorHorizontalFromEnd = 53,
};

// The handle points (first point, middles of the inner segments, last point) plus `origin`,
// and their 54-unit rectangles; at most five of each.
void GetConnectorHandlePoints(const ConnectorSegmentBlock* path, POINT origin, POINT* points,
                              RECT* rects, int* count);

// The point a part code names on the connector at `row`; codes 50-53 also give the segment found
// (drawing coordinates) and its index. 0, 1 when no inner segment of that orientation exists
// (nothing written), or a store error.
int GetConnectorPoint(Drawing* drawing, ObjectList* objects, int row, int code, POINT* point,
                      RECT* segment, int* index);

// The segment (square kind) or curved piece (curved kind) under (x, y), relative to the origin;
// -1 for none. `ellipse` (or none) receives a curved piece's ellipse rectangle; `forcedPiece` 0 or
// more names the piece to take.
int ConnectorSegmentAtPoint(const ConnectorSegmentBlock* path, int x, int y, int kind, RECT* ellipse,
                            int forcedPiece);

// 1 when segment `index` carries one of the connector's arrowheads.
int SegmentCarriesArrowhead(const DrawObject* connector, const ConnectorSegmentBlock* path, int index);

// Recomputes the inner, text, frame and update rectangles from the path (OM_RECALC and the last
// step of every change).
void RecalcConnectorRects(Drawing* drawing, DrawObject* connector);

// On an ellipse with semi-axis a along the axis that ends at E and b across it, the point at
// straight distance `distance` from E: du from E toward the centre, dv across.
POINT ChordPointOnEllipse(int a, int b, int distance);

// The length a connector's dimension label shows.
double ConnectorLength(Drawing* drawing, const DrawObject* connector);
