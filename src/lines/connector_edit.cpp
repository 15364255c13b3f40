// Stand-ins until the module is written.
#include "lines/connector_edit.h"

int HitTestConnector(Drawing*, void*, int, POINT)
{ return 0; }

void TrackConnectorHandle(HDC, Drawing*, void*, int, int, POINT, const RECT*)
{}

void TrackConnectorMove(HDC, Drawing*, void*, int, const RECT*)
{}

int ReshapeConnector(Drawing*, void*, int, int, const RECT*)
{ return 0; }

void ConnectorEndDragRect(Drawing*, void*, int, int, POINT*, RECT*)
{}

void TrackSegmentMove(HDC, Drawing*, void*, int, int, POINT)
{}

int MoveConnectorSegment(Drawing*, ObjectList*, int, int, POINT, ConnectorSegmentBlock*)
{ return 0; }

int CommitSegmentMove(Drawing*, void*, int, int, POINT)
{ return 0; }

void ConnectorHookChanged(Drawing*, void*, int, int, int)
{}
