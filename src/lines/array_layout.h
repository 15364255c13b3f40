// The geometry of a line array from its members and its ArrayData: where each branch leaves the
// trunk, the trunk, feed and tail, the fishbone lean; and the member list kept in step with the
// hooks (OM_MEMBER).
#pragma once

#include <windows.h>

#include "lines/array_record.h"

// Recomputes every entry's segment and extent, flags the array's links and recomputes its rects.
// 0 or a store error.
int LayoutArray(Drawing* drawing, ObjectList* objects, int row);

// OM_MEMBER: `holderId` (0xFFFF only marks a layout pending), the holder's hook slot (negative
// removes it), the holder's row. 0, 1 for a negative holder row while adding, or a store error.
int ArrayMemberMessage(Drawing* drawing, ObjectList* objects, int row, int holderId, int slot, int holderRow);

// The side code (305-308) of a member at `position`; 0 for a member whose class flags lack 0x20.
int MemberSideCode(Drawing* drawing, ObjectList* objects, int arrayRow, int memberRow, const ArrayData* data,
                   int position);

// The side rule alone: 305-308 for a member at `position` of an array with `style`.
int ArraySideCode(const DrawObject* array, DWORD style, int position);

// Refreshes entry `entry`'s member row and that member's hook on the array: the position index
// grows by `delta`, or becomes `value` (when delta is 0 and value is 0 or more); its side code
// follows.
void RefreshMemberEntry(Drawing* drawing, ObjectList* objects, int arrayRow, ArrayData* data, int entry, int delta,
                        int value);

// trunc(L / tan(angle)) for a fishbone array with entries, else 0; limited to +/-32767.
int FishboneOffset(const ArrayData* data);

// 0 when the array holds no hook, 1 when it hangs by its start end (code 20 or 22), else 2.
int ArrayHookedEnd(const DrawObject* array);
