// Stand-ins until the module is written.
#include "lines/connector_geometry.h"

void GetConnectorHandlePoints(const ConnectorSegmentBlock*, POINT, POINT*, RECT*, int*)
{}

int GetConnectorPoint(Drawing*, ObjectList*, int, int, POINT*, RECT*, int*)
{ return 0; }

int ConnectorSegmentAtPoint(const ConnectorSegmentBlock*, int, int, int, RECT*, int)
{ return 0; }

int SegmentCarriesArrowhead(const DrawObject*, const ConnectorSegmentBlock*, int)
{ return 0; }

void RecalcConnectorRects(Drawing*, DrawObject*)
{}

POINT ChordPointOnEllipse(int, int, int)
{ return POINT{0, 0}; }

double ConnectorLength(Drawing*, const DrawObject*)
{ return 0.0; }
