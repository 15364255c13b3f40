// Editing an elbow connector: hit testing, feedback while an end, the whole connector or one
// segment is dragged, re-routing when an end moves or a hook changes, and moving one segment.
#pragma once

#include <windows.h>

#include "lines/connector_record.h"

// Message 2: the part code under `point`, 0 a miss.
int HitTestConnector(Drawing* drawing, void* objects, int row, POINT point);

// Messages 4 and 27 (row -1, `kind` the ConnectorKind being created): the feedback of a dragged
// end or of a connector being created, with the fixed `anchor` and the rect to the cursor.
void TrackConnectorHandle(HDC dc, Drawing* drawing, void* objects, int row, int kind, POINT anchor,
                          const RECT* rect);

// Message 5: the outline with the frame moved to `frame` (its top-left counts).
void TrackConnectorMove(HDC dc, Drawing* drawing, void* objects, int row, const RECT* frame);

// Messages 6 and 10 (corner 0): new ends from the rectangle. 0 or a store error.
int ReshapeConnector(Drawing* drawing, void* objects, int row, int corner, const RECT* rect);

// Message 48: the rect of the ends after the end other than `fixedEnd` (1 or 2) moved by *delta.
void ConnectorEndDragRect(Drawing* drawing, void* objects, int row, int fixedEnd, POINT* delta, RECT* rect);

// Message 49: the feedback of segment `code` (50-53) dragged to `point`.
void TrackSegmentMove(HDC dc, Drawing* drawing, void* objects, int row, int code, POINT point);

// Moves segment `code` of the path to `point`, adjusting its neighbours and preferred lengths.
int MoveConnectorSegment(Drawing* drawing, ObjectList* objects, int row, int code, POINT point,
                         ConnectorSegmentBlock* path);

// Message 57: commits the segment drag. 0 or a store error.
int CommitSegmentMove(Drawing* drawing, void* objects, int row, int code, POINT point);

// Message 54: hook `slot` was set (1) or removed (0).
void ConnectorHookChanged(Drawing* drawing, void* objects, int row, int slot, int set);
