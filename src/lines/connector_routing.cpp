// Stand-ins until the module is written.
#include "lines/connector_routing.h"

void RouteConnector(ConnectorSegmentBlock*, int, int, int, int, const POINT*, int)
{}

void RouteSameSides(POINT, POINT, int, const int*, POINT*, int*)
{}

void RouteOppositeSides(POINT, POINT, int, const int*, POINT*, int*)
{}

void RoutePerpendicularSides(POINT, POINT, int, int, const int*, POINT*, int*)
{}

void LayoutUnsidedConnector(ConnectorSegmentBlock*, int, int, int, int, int, int)
{}

POINT ConnectorEndPoint(const ConnectorSegmentBlock*, int)
{ return POINT{0, 0}; }

void ResetPreferredLengths(ConnectorSegmentBlock*)
{}

int NearestSideOfBoxPoint(int, int)
{ return 0; }

POINT NormalizeConnectorPath(ConnectorSegmentBlock*)
{ return POINT{0, 0}; }
