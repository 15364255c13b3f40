// The store directory and the life of a store: formatting, creating, opening, flushing,
// detaching and closing, and reading and writing blocks.
#pragma once

#include <windows.h>

#include "store/store_format.h"

// The process-wide directory: a movable block, zero-filled and locked from start-up to
// shut-down, holding an i16 slot count and one StoreDescriptor image per slot (a slot whose
// flags are 0 is free), followed by each slot's StoreRuntime: its 32-bit file handle (the
// image's i16 handle field is too narrow for a Win32 handle), known file length, and whether the
// file was grown ahead of the end mark.
int InitBlockStoreDirectory(int count);
int AllocBlockStoreDirectory(int count);
void FreeBlockStoreDirectory();

// 8 for a slot outside the directory, 9 for one that is not open, else 0.
int CheckStoreSlot(int slot);

// Writes an empty store at `base` of an open file. 1 for a shift outside 0-10 or a free-list
// capacity outside 0..32700.
int FormatStore(HFILE file, LONG base, int shift, int capacity);
// Opens or creates the file (an existing one is reused and cut), formats it and closes it;
// the file is deleted when formatting failed.
int CreateStoreFile(LPCSTR path, LONG base, int shift, int capacity);
// Formats a store on the caller's open file and opens it read-write.
int CreateStoreAt(HFILE file, int* slot, LONG base, int shift, int capacity);
// Opens an existing store file, read-only (others may read and write) or read-write (others
// may only read). The slot is set even when a later step fails.
int OpenStoreFile(LPCSTR path, int* slot, LONG base, int* versionMark, BOOL readOnly);
// Opens the store on the caller's open file, read-write.
int OpenStoreAt(HFILE file, int* slot, LONG base, int* versionMark);
// A store that has no file: read-only, memory-only, shift 0.
int CreateMemoryStore(int* slot);

// Writes every changed block and the descriptor; with `release` also frees the loaded blocks
// (a block whose write failed stays loaded, and so do the pages that lead to it).
int FlushStore(int slot, BOOL release);
// Flushes with release, closes the file and frees the slot; the flush result.
int CloseStore(int slot);
// Frees the slot at once: nothing written, the file stays open, no block freed.
int DetachStore(int slot);
// 33 for a memory-only store.
int GetStoreFileHandle(int slot, HFILE* file);
// Switching on flushes first; its error leaves the flag as it was.
int SetStoreWriteThrough(int slot, BOOL on);

// Reads the block an index entry names and checks it against the entry and `parentKey`.
// `treeKey` is the root key of the tree the block hangs in (KEY_MAIN_ROOT, KEY_BACKUP_ROOT;
// KEY_TOP for the top pages): a record's parent key is its type in both trees, and only in the
// backup tree does the absent-marker flag mean anything (elsewhere it is cleared).
int ReadBlockFromFile(StoreIndexEntry* entry, int slot, int parentKey, int treeKey);
// Writes a changed block at its offset; 25 when its header claims more than its memory holds.
int FlushBlock(HGLOBAL block);
// Writes the slot's descriptor image (unless read-only) and clears its changed flag.
int WriteStoreHeader(int slot);
int FlushFreeSpacePage(int slot);
// Writes the subtree below `entry` (children before the pages that list them).
int FlushIndexTree(int slot, StoreIndexEntry* entry, int parentKey, BOOL release, int depth);
