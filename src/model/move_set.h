// The move set record: a growable list of object rows in one movable memory block.
#pragma once

#include <windows.h>

#include <cstddef>

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
