// Move sets: the rows of every object that moves together with a dragged object or selection
// (its group, the labels and lines hanging on it, the objects a two-ended holder connects), in
// one movable memory block, and their move.
#pragma once

#include <windows.h>

#include <cstddef>

#include "model/drawing_records.h"

#pragma pack(push, 1)
// The block holds its own handle, the count and capacity of rows, then the rows. While a row is
// listed in a set being built, its object carries state bit 0x1000.
struct ObjectVector {
    HGLOBAL self;
    INT32 count;
    INT32 capacity;
    INT32 rows[1];   // `capacity` of them
};
#pragma pack(pop)
static_assert(sizeof(HGLOBAL) == 4, "the vector's first field is a 32-bit handle");
static_assert(offsetof(ObjectVector, rows) == 12);

// How CollectLinkedObjects takes an object and what hangs on it.
enum CollectMode {
    CollectWithHolders = 1,   // the object unmarked, every holder, and a two-ended holder's ends
    CollectMoving = 2,        // the object marked, holders that hang by one hook
    CollectConnected = 3,     // as 2, and what a two-ended holder or a label is hooked to
    CollectAlone = 4,         // the object alone, unmarked
};

// A new empty vector with room for twice `objectCount` rows, locked; null without memory.
ObjectVector* NewObjectVector(int objectCount);

// Clears the 0x1000 marks of the listed rows (when `objects` is given), frees the block and
// empties the pointer. A null vector is left alone.
void FreeObjectVector(ObjectVector** vector, ObjectList* objects);

// 1 when `row` is listed; a null vector contains nothing.
int ObjectVectorContains(int row, const ObjectVector* vector);

// The set that moves with the object at `row` (-1: the selection only). `withSelection` adds
// the selection when two or more objects are selected; `withHooked` lets objects that hold
// hooks in; `bare` leaves out the selection and the rest of the groups. The set is new in
// *vector (null when nothing could be made) and `bounds` unites the rotated bounds of its rows.
int CollectMoveSet(Drawing* drawing, int row, BOOL withSelection, BOOL withHooked, BOOL bare,
                   ObjectVector** vector, RECT* bounds);

// Adds the object at `row` and what hangs on it by `mode` (CollectMode) to *vector, which is
// made here when null (and freed again on an error). 1 when the vector is full.
int CollectLinkedObjects(Drawing* drawing, int row, ObjectVector** vector, int mode, RECT* bounds);

// Moves every member of the group of the object at `row` and each member's grouped frame.
int OffsetGroupMembers(Drawing* drawing, ObjectList* objects, int row, int dx, int dy);

// Moves the rows of a set: each group's frame and grouped frame once (by group flag 0x20),
// each listed member's grouped frame, then the object. The first error stops it.
int OffsetMoveSet(Drawing* drawing, ObjectList* objects, GroupTable* groups, const ObjectVector* set,
                  int dx, int dy);
