// Stand-ins until the module is written.
#include "lines/connector_paint.h"

void DrawConnector(HDC, int, Drawing*, void*, int, int, const ShadowPaint*)
{}

void DrawCurvedConnectorPiece(HDC, const ConnectorSegmentBlock*, int, const POINT*, int, int, int, int, HBRUSH, HPEN, HPEN, const DrawObject*)
{}

void DrawConnectorHandles(HDC, Drawing*, void*, int)
{}

void XorDrawConnectorPath(HDC, const ConnectorSegmentBlock*, int, int, int, BOOL)
{}

RECT ConnectorAttachmentMarkRect(const DrawObject*, const RECT&)
{ return RECT{0, 0, 0, 0}; }
