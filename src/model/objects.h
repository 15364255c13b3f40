// Objects enter a drawing through AddObject and leave it through DeleteObjects.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// The next object id (1..65,534), or 0 when the ids are used up.
int NextObjectId(Drawing* drawing);

// Adds an object of `objClass` with frame `rect` and the drawing's defaults, then lets the
// class initialise it (OM_INIT with a, b, p). A rect under 24 units both ways creates
// nothing. `report`: mark the document changed, show errors; `select`: deselect everything
// first. Without `callerHoldsCheckpoint` the edit takes its own undo step and rolls back a
// failure.
int AddObject(HWND view, int objClass, const RECT* rect, int objType, int a, int b, BOOL report,
              BOOL callerHoldsCheckpoint, void* p, BOOL select);

// Deletes, with their records, links and group membership: the object at `row` (>= 0) and its
// attached label; with row -1 every selected object (`deleteSelected`) or every unselected one.
int DeleteObjects(Drawing* drawing, BOOL deleteSelected, int row);

// 1 when the object belonged to a group: the group's count drops and it is flagged 0x4000.
int DetachFromGroup(Drawing* drawing, GroupTable* table, DrawObject* object);
