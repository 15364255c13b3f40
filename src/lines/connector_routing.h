// Laying out an elbow connector's path: the fixed pattern of a connector without sides, and the
// route between a fixed end and a target by the pair of their sides.
#pragma once

#include <windows.h>

#include "lines/connector_record.h"

// Re-routes `path` between a fixed end and the target T. Without `fixed` the fixed point is the
// path's first point (`fixedIsFirst`) or last point plus the origin. Writes the segments, the
// count and, unless both sides were equal, the two sides, in the coordinates of the given points
// (the caller normalises). Nothing when neither end has a side.
void RouteConnector(ConnectorSegmentBlock* path, int originX, int originY, int targetX, int targetY,
                    const POINT* fixed, int fixedIsFirst);

// The routines of RouteConnector, in the canonical frame (P leaves along v, toward smaller v when
// d is +1): the points P .. T, 2 to 6 of them, in `points`, their number in *n. `lengths` are
// the working preferred lengths L'0..L'2.
void RouteSameSides(POINT p, POINT t, int d, const int* lengths, POINT* points, int* n);
void RouteOppositeSides(POINT p, POINT t, int d, const int* lengths, POINT* points, int* n);
// T leaves along u, toward smaller u when e is +1.
void RoutePerpendicularSides(POINT p, POINT t, int d, int e, const int* lengths, POINT* points, int* n);

// The layout without sides in a w x h box from (0, 0): one to three segments by the corner code
// the drag started from, `orientation` 0 derived, 1 horizontal first, 2 vertical first.
void LayoutUnsidedConnector(ConnectorSegmentBlock* path, int lineWidth, int w, int h, int corner,
                            int orientation, int kind);

// The path's first point (index 0) or last point (any other index), relative to the origin.
POINT ConnectorEndPoint(const ConnectorSegmentBlock* path, int index);

// Preferred length i becomes the length of segment i, 300 past the count.
void ResetPreferredLengths(ConnectorSegmentBlock* path);

// The side of the 0..600 box nearest to a box point.
int NearestSideOfBoxPoint(int x, int y);

// Moves the path so that its smallest x1 and y1 are 0; returns them.
POINT NormalizeConnectorPath(ConnectorSegmentBlock* path);
