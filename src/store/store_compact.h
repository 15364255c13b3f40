// Compaction and the consistency check of a block store, both over one offset-sorted map of
// every block and free extent.
#pragma once

#include <windows.h>

#include "store/store_format.h"

int BuildBlockMap(int slot, HGLOBAL* map, LONG* endMark, LONG* lostBytes);
int AddBlockMapEntry(HGLOBAL* map, const StoreIndexEntry* entry, int grandparentKey, int parentKey);
int CompactStore(int slot);
int MoveBlock(int slot, int grandparentKey, int parentKey, int key, LONG newOffset);
int ResetFreeSpace(int slot, LONG newEndMark);
int CheckStore(int slot);
int CheckFreeSpacePage(int slot);
