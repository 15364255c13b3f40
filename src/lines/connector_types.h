// The connector's answers to the type and attribute commands: line types (sides and kind, or
// back into a straight line), flip, arrowheads, width, style, the refused rotation, caps.
#pragma once

#include <windows.h>

#include "lines/connector_record.h"

// Message 24: the second word of `values` is the ends mask.
void SetConnectorArrowEnds(Drawing* drawing, void* objects, int row, const INT32* values);
// Messages 25 and 67: connectors do not turn.
void RefuseRotation();
// Message 29.
int ConnectorCaps(const DrawObject* connector);
// Message 36.
void SetConnectorLineWidth(Drawing* drawing, void* objects, int row, int setStyle, const INT32* values);
// Message 37.
void SetConnectorLineStyle(Drawing* drawing, void* objects, int row, const INT32* values);
// Message 58: 8 horizontal, 0x10 vertical. 0 or a store error.
int FlipConnector(Drawing* drawing, void* objects, int row, int flags);
// Message 63: first word, size, second word.
void SetConnectorArrowheads(Drawing* drawing, void* objects, int row, const INT32* values);

// Message 61, and the straight line's conversion: sides and kind from a LineTypeCode, or back into
// a straight line; `keepGeometry` 1 from a flip. 0 or a store error.
int ApplyConnectorLineType(Drawing* drawing, void* objects, int row, int typeCode, int keepGeometry);
