// Helpers shared by the block store's own files: the slot's directory image and file, page
// addressing, page resizing and write-through. Not for callers outside the store.
#pragma once

#include <windows.h>

#include <cstdint>

#include "store/memory_blocks.h"
#include "store/store_format.h"

// ---- The directory (store_directory.cpp). The slot must have been checked.
StoreDescriptor* StoreImage(int slot);
HFILE StoreFile(int slot);
inline bool StoreHasFlag(int slot, WORD flag) { return (StoreImage(slot)->flags & flag) != 0; }
void SetStoreFlag(int slot, WORD flag, BOOL on);
inline void MarkDescriptorChanged(int slot) { SetStoreFlag(slot, STORE_CHANGED, TRUE); }
// Sets the store file's length (base included) and remembers it; 10006 beyond 2^31 - 1.
int SetStoreFileLength(int slot, std::int64_t length);
// The store file's length, asking the system again when `atLeast` is beyond what is known.
int StoreFileLength(int slot, std::int64_t atLeast, std::int64_t* length);
// The first offset a block may have: the rounded descriptor size.
std::int64_t FirstBlockOffset(int slot);

// ---- Keys and blocks.
inline bool FitsKey(int value) { return value >= -32768 && value <= 32767; }
// Sets or clears header flags of a block; false when the block cannot be locked.
bool SetBlockFlags(HGLOBAL block, WORD mask, BOOL on);
bool BlockHasFlag(HGLOBAL block, WORD flag);
// The entries a locked index page holds, never more than its memory holds.
int PageEntryCount(HGLOBAL page, BYTE* data);

// ---- Pages (store_index.cpp).
// The descriptor's entry for a top page: -1 main root, -2 backup root, -3 free-space page.
StoreIndexEntry* TopEntry(StoreDescriptor* descriptor, int key);
int TakeTopPage(int slot, int key, HGLOBAL* page);

// A page found by (root key, parent key), with the root page that lists it (none when the
// descriptor names it). Handles may change when pages move: locate again after a change.
struct PageRef {
    HGLOBAL page = nullptr;
    HGLOBAL root = nullptr;
    int rootKey = 0;
    int parentKey = 0;
};
int LocatePage(int slot, int rootKey, int parentKey, PageRef* ref);
// Gives the page the size of `newCount` entries (its content must already fit) with the
// file space that needs, and records its place in the entry that names it. A shrink that
// cannot move keeps its place and gives back the tail of its space.
int ResizeIndexPage(int slot, PageRef* ref, int newCount);
// Whether (root key, parent key) holds `key` or is an absent-marker page.
int PageRefuses(int slot, int rootKey, int parentKey, int key, bool* refuses);
// Every check InsertIndexEntry makes before it changes anything (24, 11, 12, 32).
int CheckInsertion(int slot, int rootKey, int parentKey, int key);

// With write-through on: writes the blocks given (null ones skipped), the free-space page
// and the descriptor, stopping at the first error.
int WriteThrough(int slot, HGLOBAL block, HGLOBAL page, HGLOBAL root);
