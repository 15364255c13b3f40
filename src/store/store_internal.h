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
// What the directory keeps for each slot beside its image.
#pragma pack(push, 1)
struct StoreRuntime {
    std::int32_t file;        // the open file (-1 for a memory-only store)
    std::int32_t fileLength;  // its length as last set or measured
    std::int32_t grownAhead;  // the store set the length beyond the end mark (cut at the next flush)
};
#pragma pack(pop)
StoreRuntime* RuntimeOf(int slot);
// The first offset a block may have: the rounded descriptor size.
std::int64_t FirstBlockOffset(int slot);

// ---- File input and output (store_io.cpp).
// The file calls every read, write, seek and change of length of a store file goes through;
// tests replace them to make one fail.
struct StoreFileCalls {
    LONG(WINAPI* seek)(HFILE file, LONG offset, int origin);
    UINT(WINAPI* read)(HFILE file, LPVOID buffer, UINT bytes);
    UINT(WINAPI* write)(HFILE file, LPCCH buffer, UINT bytes);
    int (*setSize)(HFILE file, LONG length);
};
extern StoreFileCalls g_storeFileCalls;
extern const StoreFileCalls kSystemFileCalls;

int SeekTo(HFILE file, std::int64_t position);
// A block's bytes: pieces of 32,768 bytes while more than 65,500 remain, then the rest in one
// piece. Any failure or short count gives 10003.
int ReadPieces(HFILE file, BYTE* data, std::int64_t size);
int WritePieces(HFILE file, const BYTE* data, std::int64_t size);
// Sets the store file's length (base included) and remembers it; 10006 beyond 2^31 - 1.
int SetStoreFileLength(int slot, std::int64_t length);
// The store file's length, asking the system again when `atLeast` is beyond what is known.
int StoreFileLength(int slot, std::int64_t atLeast, std::int64_t* length);
// Makes the file at least `length` bytes long (base included) for space taken at the end mark:
// exactly with write-through, else ahead in steps. 1 or 10006 when it cannot grow.
int GrowStoreFile(int slot, std::int64_t length);
// Cuts the file back to base + end mark: always with `always`, else only when it was grown
// ahead. When the system refuses, the end mark moves to the file's end and the tail counts as
// lost bytes (the free-space page is changed then).
int TrimStoreFile(int slot, bool always);
// Writes every changed block of the three trees in file order, neighbours joined into one
// write; a failed write leaves all its blocks changed. With release, index pages go out with
// cleared cached-block fields. The last error met in each tree is reported in its place.
void WriteChangedBlocks(int slot, BOOL release, int* freeResult, int* mainResult, int* backupResult);
// Reads the index pages and, when the store fits the read budget, every block, in large
// sequential reads, each checked as ReadBlockFromFile checks it. A block that does not pass is
// left unloaded for the ordinary read to report; nothing here fails the open.
void PrefetchStore(int slot);

// ---- Keys and blocks.
inline bool FitsKey(int value) { return value >= -32768 && value <= 32767; }
// Sets or clears header flags of a block; false when the block cannot be locked.
bool SetBlockFlags(HGLOBAL block, WORD mask, BOOL on);
bool BlockHasFlag(HGLOBAL block, WORD flag);
// The entries a locked index page holds, never more than its memory holds.
int PageEntryCount(HGLOBAL page, BYTE* data);

// The tree of the children of a page (the key its root has): a root's own key, or a type
// page's parent key. The top pages hang in no tree (KEY_TOP). Only blocks of the backup tree
// can be absent-markers.
inline int TreeOfChildren(const BlockHeader* page)
{
    return page->parentKey == KEY_TOP ? page->key : page->parentKey;
}

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
// ReallocBlockSpace with a memory block of `memorySize` bytes (at least newSize): the memory of
// an index page keeps room to grow, so that a page growing by one entry per insertion is not
// copied at every insertion.
int ResizeBlockSpace(int slot, HGLOBAL* block, DWORD newSize, SIZE_T memorySize, LONG* offset);
// Whether (root key, parent key) holds `key` or is an absent-marker page.
int PageRefuses(int slot, int rootKey, int parentKey, int key, bool* refuses);
// Every check InsertIndexEntry makes before it changes anything (24, 11, 12, 32); the page
// found goes to `ref` when one is given.
int CheckInsertion(int slot, int rootKey, int parentKey, int key, PageRef* ref = nullptr);

// With write-through on: writes the blocks given (null ones skipped), the free-space page
// and the descriptor, stopping at the first error.
int WriteThrough(int slot, HGLOBAL block, HGLOBAL page, HGLOBAL root);
