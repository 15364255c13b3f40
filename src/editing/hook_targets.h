// Hook targets while dragging: the object a dragged end, line, moved or placed object would hook
// to, the attach point on it, and its hook marks on the screen.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// Point lists of one search: the hook points of one object and the candidates of the dragged one.
constexpr int kMaxDragPoints = 600;

// 1 when a hit with `hitCode` at (x, y) makes the object at `row` a hook target.
int IsHookTargetHit(ObjectList* objects, int row, int hitCode, int x, int y, BOOL arraysOnly);

// Looks for a hook target under the dragged point (or the dragged object's own points) for the
// drag under way; snaps `point` onto the nearest hook point and records the target, its attach
// point and the holder's code in the drag state. 1 when a target was found.
int FindHookTarget(Drawing* drawing, POINT* point, BOOL arraysOnly);

// XOR-draws the hook marks of the object at `row` (the list locked here when none is given) and
// flips its state bit 0x800.
void ToggleHookMarks(Drawing* drawing, ObjectList* objects, int row);

// After the tracking decided to draw: moves the marks to the drag's current hook target and
// attach point, and sets the drawing's flag of a dragged point on a target.
void UpdateDragHookMarks(Drawing* drawing, BOOL found);

// Takes the marks of the drag's targets off the screen (before an autoscroll, at the release).
void ClearDragHookMarks(Drawing* drawing, BOOL startToo);
