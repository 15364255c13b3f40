// Records of a block store: loading, adding, changing, resizing, unloading, deleting and
// enumerating them, the block helpers, and the two-level index beneath them.
#pragma once

#include <windows.h>

#include "store/store_format.h"

// Ownership: a block returned by LoadRecord or AddRecord belongs to the store, stays cached
// until the store is flushed with release or closed, and is never freed by the caller, who
// locks it only while using it and calls ReleaseBlock when done. AddRecordBlock adopts the
// caller's block. After DeleteRecord or UnloadRecord returns 0 the block is the caller's to
// free. Before changing a record's content the caller calls BeginRecordChange (journaled
// under a checkpoint) or MarkBlockDirty (not journaled). Sizes include the 16-byte header.

int LoadRecord(int slot, int type, int id, HGLOBAL* block);
// Returns the caller's block when it is still the live block of that record, else loads.
int ReloadRecord(int slot, int type, int id, HGLOBAL* block);
int AddRecord(int slot, int type, int id, DWORD size, HGLOBAL* block);
int AddRecordBlock(int slot, int type, int id, HGLOBAL block);
int AddRecordType(int slot, int type);
int DeleteRecord(HGLOBAL block);
int DeleteRecordById(int slot, int type, int id);
int BeginRecordChange(HGLOBAL block);
int MarkBlockDirty(HGLOBAL block);
// May give the record a new memory block (updating *block) and new file space; keeps the
// caller's lock count. Not journaled: call BeginRecordChange first under a checkpoint.
int ResizeRecord(HGLOBAL* block, DWORD newSize);
int UnloadRecord(HGLOBAL block);
int NextFreeRecordId(int slot, int type, int* id);
// The first of `count` consecutive free ids, or 24; a count of 0 is the empty run of a picture
// without data, answered with an id in range that no record needs to hold.
int NextFreeRecordIdRun(int slot, int type, int count, int* firstId);

int CountRecordTypes(int slot, int* count);
int GetRecordTypeAt(int slot, int index, int* type);
int CountRecords(int slot, int type, int* count);
int GetRecordIdAt(int slot, int type, int index, int* id);

int ReadBlockHeader(HGLOBAL block, int* slot, int* type, int* id, LONG* offset, LONG* size, int* flags);
int GetBlockIdentity(HGLOBAL block, int* slot, int* id, int* type);
LONG GetBlockSize(HGLOBAL block);
int GetBlockSizeChecked(HGLOBAL block, LONG* size);
void SetBlockPinned(HGLOBAL block, BOOL on);
BOOL IsBlockPinned(HGLOBAL block);
// Notifications of the read path; the store keeps its blocks cached and does nothing more.
void ReleaseBlock(HGLOBAL block);
void NoteBlockHandedOut(HGLOBAL block);
void NoteBlockRereading(HGLOBAL block);
void NoteBlockRereadFailed(HGLOBAL block);

// Payload copies; 25 (and nothing copied) when a block's memory is too small for the copy.
int CopyBlockPayload(HGLOBAL source, HGLOBAL destination, LONG size);
int CopyBlockToMemory(HGLOBAL block, HGLOBAL memory);
int CopyMemoryToBlock(HGLOBAL memory, HGLOBAL block);
int CopyBytesToBlock(HGLOBAL memory, HGLOBAL block, LONG count);

// Index maintenance. A page is addressed by (root key, parent key): (-1 or -2, type) is a
// type page of the main or backup tree, (-4, -1 or -2) a root page itself.
int FindIndexEntry(const StoreIndexPage* page, int key, BOOL* found);
// `treeKey` names the tree the block hangs in, as for ReadBlockFromFile.
int GetIndexedBlock(StoreIndexEntry* entry, int slot, int parentKey, int treeKey, HGLOBAL* block, WORD* parentFlags);
int LoadChildBlock(int slot, HGLOBAL page, int key, HGLOBAL* block, int* position);
int InsertIndexEntry(int slot, int rootKey, int parentKey, int key, DWORD size, HGLOBAL* block, LONG offset);
int RemoveIndexEntry(int slot, int rootKey, int parentKey, int key);
// Journal helpers of the checkpoint.
int JournalOldVersion(int slot, int type, int id, HGLOBAL block);
int EnsureCheckpointType(int slot, int type, BOOL asAbsent);
