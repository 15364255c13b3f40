// Stand-ins until the module is written.
#include "lines/connector_hooks.h"

void ConnectorHookPoint(Drawing*, void*, int, INT32*, POINT*)
{}

void MapConnectorHookPoint(Drawing*, void*, int, int, int, POINT*)
{}

void ConnectorSnapPoints(Drawing*, void*, int, INT32*, POINT*)
{}

void ConnectorHandleToEnd(Drawing*, void*, int, int, INT32*)
{}

int ConnectorEndPosition(Drawing*, void*, int, int, INT32*, POINT*)
{ return 0; }

void ConnectorSize(Drawing*, void*, int, POINT*)
{}

int ConnectorSideAtPoint(Drawing*, void*, int, const POINT*, const POINT*)
{ return 0; }

void ConnectorFrame(Drawing*, void*, int, RECT*)
{}

void ConnectorLabelAngle(Drawing*, void*, int, int, int, INT32*)
{}

int GetConnectorPath(HGLOBAL, RECT*, void*, int, INT32*, POINT*)
{ return 0; }

void GetConnectorGeometry(Drawing*, void*, int, int, OutlineVertex*)
{}

void ConnectorArcToPoints(const INT32*, const OutlinePointBlock*, int, INT32*, POINT*)
{}

void SetConnectorGeometry(Drawing*, void*, int, int, const OutlinePointBlock*)
{}

int ShowConnectorLength(Drawing*, void*, int, const INT32*)
{ return 0; }
