// The connector's answers to the type and attribute commands: line types (sides and kind, or
// back into a straight line), flip, arrowheads, width, style, the refused rotation, caps.
#pragma once

#include <windows.h>

#include "lines/connector_record.h"

// The second value of message 61's record: 1-4 a straight line shape (the shape plus one); 16-47
// a connector, the kind in bits 0x30 (0x30 itself names nothing), the start side in bits 0xC (0
// left, 4 top, 8 right, 12 bottom) and the end side in bits 0x3 (0 left, 1 top, 2 right, 3 bottom).
enum LineTypeCode {
    LineTypeStraightFirst = 1,
    LineTypeStraightLast = 4,
    LineTypeKindMask = 0x30,
    LineTypeSquare = 0x10,
    LineTypeCurved = 0x20,
    LineTypeStartMask = 0xC,
    LineTypeEndMask = 0x3,
};

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
