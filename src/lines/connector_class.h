// The class handler of elbow connectors (class 2).
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// Answers the object class protocol for elbow connectors (class 2).
extern "C" LONG CALLBACK SED_SegLHandler(HDC dc, Drawing* drawing, void* objects, int row, int message, int a,
                              int b, void* p);

// OM_INIT: the path record of a new connector, laid out in its frame, routed to the hook
// candidates of the creating drag. `corner` (1-4) is the frame corner the drag was anchored at
// (3 when placed). 0 or a store error.
int InitConnector(Drawing* drawing, ObjectList* objects, int row, int corner);

// Gives an object whose frame holds two end points a new connector path record (the
// conversion of a straight line). 0 or a store error; the rectangles are the caller's.
int CreateConnectorPath(Drawing* drawing, DrawObject* object);
