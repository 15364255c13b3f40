// The group table: finding a group, recomputing it from its members, dissolving small groups.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// Index of the group with `groupId`: the hint when it is within the table and its entry carries
// the id, else a search from index 0; -1 when absent. `flagBits` are ORed into the entry found.
int FindGroupEntry(GroupTable* table, int groupId, int indexHint, DWORD flagBits);

// The same, locking the drawing's table around the call.
int FindGroupIndex(Drawing* drawing, int groupId, int indexHint, DWORD flagBits);

// Index of the group the object belongs to; -1 when it belongs to none, also when its group id
// names no group any more (a label that outlived its group keeps the id). Every "is it grouped"
// question goes through here.
int GroupIndexOfObject(Drawing* drawing, const DrawObject& object);

// Group index of the drawing's current object; -1 when there is none or it is not grouped.
int GetCurrentGroupIndex(Drawing* drawing, ObjectList* objects);

// Recomputes one entry from its members (after its frames moved by `offset`, when given); a
// group left with fewer than two members is dissolved and its entry removed.
void UpdateGroupBounds(Drawing* drawing, int groupIndex, const POINT* offset);
