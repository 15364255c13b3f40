// Stand-ins until the module is written.
#include "lines/connector_types.h"

void SetConnectorArrowEnds(Drawing*, void*, int, const INT32*)
{}

void RefuseRotation()
{}

int ConnectorCaps(const DrawObject*)
{ return 0; }

void SetConnectorLineWidth(Drawing*, void*, int, int, const INT32*)
{}

void SetConnectorLineStyle(Drawing*, void*, int, const INT32*)
{}

int FlipConnector(Drawing*, void*, int, int)
{ return 0; }

void SetConnectorArrowheads(Drawing*, void*, int, const INT32*)
{}

int ApplyConnectorLineType(Drawing*, void*, int, int, int)
{ return 0; }
