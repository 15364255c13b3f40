// The class handler of elbow connectors (class 2).
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// Answers the object class protocol for elbow connectors (class 2). Until the class's behaviour is built, every
// message is answered with 0 and nothing changes, as for a message a class does not answer.
extern "C" LONG CALLBACK SED_SegLHandler(HDC dc, Drawing* drawing, void* objects, int row, int message, int a,
                              int b, void* p);

// Gives an object whose frame holds two end points a new connector path record (the
// conversion of a straight line). 0 or a store error; the rectangles are the caller's.
int CreateConnectorPath(Drawing* drawing, DrawObject* object);

// OM_REROUTE of a connector: sides and kind from a line type code, or back into a straight
// line; `keepGeometry` 1 from a flip. 0 or a store error.
int ApplyConnectorLineType(Drawing* drawing, void* objects, int row, int typeCode, int keepGeometry);
