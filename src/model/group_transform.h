// Group rotation and resizing: a selected group turns about its centre and scales every member
// from the place and size it had when the group was made.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

struct DocumentState;

// Set while ResizeGroup runs: the text layout then leaves group bounds alone.
extern BOOL groupResizeRunning;

// Removes every link whose holder and target are both members of the group.
int UnlinkGroupMembers(Drawing* drawing, ObjectList* objects, int groupId);

// Turns the group at `groupIndex` so that the point of its frame named by `handleCode` points
// at (x, y), about the frame's centre; with the drawing's snap option in steps of 15 degrees.
// Links between members are dropped. Label 58 unless the caller holds the checkpoint.
int RotateGroup(DocumentState* state, int groupIndex, int handleCode, int x, int y,
                BOOL callerHoldsCheckpoint);

// Scales every member of the group at `groupIndex` so that the group's frame becomes `rect`
// (at least 54 x 54), from the members' frames at grouping time. Label 28 unless the caller
// holds the checkpoint.
int ResizeGroup(HWND view, int groupIndex, const RECT* rect, int handleCode, BOOL callerHoldsCheckpoint);
