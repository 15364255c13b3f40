// The data record of a line array (record type 120, the ArrayData layout beside the drawing
// records) and the terms every part of the array class shares.
//
// A record holds a 40-byte head and entries of 28 bytes: room for M member entries and three
// more (124 + 28 M bytes). Entries 0-2 are the trunk, the feed stub and the tail stub after a
// layout with the minimum number of members; member entries follow in member order; F = N - M
// leading entries carry no member. An entry has a member only when its id is not 0xFFFF.
// Records come from files: LoadArrayData makes the counts and lengths sound before anyone reads
// an entry (M within what the record holds, N within M..M + 3 and the record, L and G not
// negative).
#pragma once

#include <windows.h>

#include "model/drawing_records.h"
#include "store/store_format.h"

constexpr int kArrayRecordType = RecLineArrayData;
constexpr int kArrayHeadSize = static_cast<int>(sizeof(ArrayData));
constexpr int kArrayEntrySize = static_cast<int>(sizeof(ArrayEntry));
constexpr int kArrayBaseSize = kArrayHeadSize + 3 * kArrayEntrySize;   // 124: no member yet
constexpr int kArrayClassFlags = 0xD2;                                  // answer of OM_GETCLASSFLAGS

// Style bits of ArrayData::style.
enum ArrayStyle : DWORD {
    ArrayOtherSide = 0x1,   // branches above a horizontal trunk, left of a vertical one
    ArrayBothSides = 0x2,   // members alternate between the sides, in pairs
    ArrayStagger = 0x4,     // every second member on a longer branch
    ArrayCentreFeed = 0x8,  // fed from the trunk's middle, unless both sides
    ArrayChain = 0x10,      // members strung along the trunk itself
};

constexpr DWORD kArrayLayoutPending = 0x4000;   // DrawObject::state of an array

// The size a record needs for `members` members.
constexpr DWORD ArrayRecordSize(int members)
{
    return static_cast<DWORD>(kArrayBaseSize + kArrayEntrySize * (members < 0 ? 0 : members));
}

// Loads the array's record and makes its counts and lengths sound in place: 0 with the block, a
// store error, or 25 (StoreMemoryTooSmall) for a record without its 40-byte head.
int LoadArrayData(int storeSlot, const DrawObject* array, HGLOBAL* block);

// The number of entries the loaded record has room for.
int ArrayEntryCapacity(HGLOBAL block);
