// Painting of elbow connectors: square and curved paths with per-end cuts and heads, shadow
// copies, the attachment mark, the selection handles and the XOR outline.
#pragma once

#include <windows.h>

#include "lines/connector_record.h"
#include "model/class_protocol.h"

// Messages 1, 31 and 32; `noMark` other than 0 suppresses the attachment mark.
void DrawConnector(HDC dc, int message, Drawing* drawing, void* objects, int row, int noMark,
                   const ShadowPaint* shadow);

// One quarter-ellipse piece of a curved connector, with its heads.
void DrawCurvedConnectorPiece(HDC dc, const ConnectorSegmentBlock* path, int piece,
                              const POINT* handlePoints, int dx, int dy, int arrowMask, int lineWidth,
                              HBRUSH brush, HPEN thinPen, HPEN arrowPen, const DrawObject* connector);

// Message 3.
void DrawConnectorHandles(HDC dc, Drawing* drawing, void* objects, int row);

// The feedback outline of a path moved by (dx, dy).
void XorDrawConnectorPath(HDC dc, const ConnectorSegmentBlock* path, int kind, int dx, int dy, BOOL solid);

// The square of the attachment mark, from the first segment in drawing coordinates.
RECT ConnectorAttachmentMarkRect(const DrawObject* connector, const RECT& firstSegment);
