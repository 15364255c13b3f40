// Free space of a block store: best-fit allocation over the free-space page's two lists, with
// merging of neighbours, an end mark beyond which the file grows, and lost bytes.
#pragma once

#include <windows.h>

#include <cstdint>

#include "store/store_format.h"

// R(size): size rounded up to a whole number of 2^shift units.
std::int64_t RoundUpToUnit(std::int64_t size, int shift);

// Searches by halving. By size: the first extent of exactly that size (found = 1), else the
// first larger one (n when none). By offset: the extent at that offset, else the insertion place.
int FindExtentBySize(const BYTE* freePage, std::int64_t size, BOOL* found);
int FindExtentByOffset(const BYTE* freePage, std::int64_t offset, BOOL* found);

int AllocateSpace(int slot, DWORD size, LONG* offset);
// 14 when the offset is already the start of a free extent.
int FreeSpace(int slot, LONG offset, DWORD size);
int TakeFromExtent(BYTE* freePage, int position, std::int64_t amount);
// An old size of 0 adds an extent, a new size of 0 removes one.
int UpdateSizeList(BYTE* freePage, std::int64_t oldSize, std::int64_t newSize, std::int64_t oldOffset,
                   std::int64_t newOffset);
// Resizes a block in memory and gives it the file space its new size needs.
int ReallocBlockSpace(int slot, HGLOBAL* block, DWORD newSize, LONG* offset);
// 0 when the rounded size stays, else R(newSize); 1 for a memory-only store.
std::int64_t GetSpaceChange(int slot, HGLOBAL block, DWORD newSize);
