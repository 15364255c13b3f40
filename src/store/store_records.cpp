// Records of a block store: the operations the rest of the program keeps its data with, and
// the helpers for record blocks.
#include "store/store_records.h"

#include <algorithm>
#include <cstring>

#include "store/results.h"
#include "store/store_directory.h"
#include "store/store_internal.h"
#include "store/store_space.h"

namespace {

// Adding a record (AddRecord, AddRecordBlock). Everything the insertion would refuse is
// refused before anything is journaled: an absent-marker journaled for an id that exists
// would make a later undo delete a record that existed at the checkpoint.
int AddRecordCommon(int slot, int type, int id, std::int64_t size, HGLOBAL* block, bool adopt)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    if (size < kBlockHeaderSize) {
        return StoreBlockTooSmall;
    }
    if (size > kMaxBlockSize) {
        return StoreSizeTooLarge;
    }
    if (!FitsKey(type) || !FitsKey(id)) {
        return StoreKeyMissing;
    }
    if (StoreHasFlag(slot, STORE_CHECKPOINT)) {
        // Without a checkpoint the insertion makes these checks itself before changing anything.
        if (int result = CheckInsertion(slot, KEY_MAIN_ROOT, type, id)) {
            return result;
        }
        if (int result = EnsureCheckpointType(slot, type, FALSE)) {
            return result;
        }
        if (int result = JournalOldVersion(slot, type, id, nullptr)) {
            return result;
        }
    }
    HGLOBAL record = adopt ? *block : nullptr;
    if (int result = InsertIndexEntry(slot, KEY_MAIN_ROOT, type, id, static_cast<DWORD>(size), &record, 0)) {
        return result;
    }
    *block = record;
    return 0;
}

// The type page of the main tree, locked, for the enumerations and id choices.
int LockTypePage(int slot, int type, PageRef* ref)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    if (!FitsKey(type)) {
        return StoreKeyMissing;
    }
    return LocatePage(slot, KEY_MAIN_ROOT, type, ref);
}

// Finds the entry of (type, id) in the main tree and marks its page changed after `change`.
template <typename Change>
int ChangeRecordEntry(int slot, int type, int id, PageRef* ref, Change change)
{
    if (int result = LocatePage(slot, KEY_MAIN_ROOT, type, ref)) {
        return result;
    }
    BlockLock lock(ref->page);
    if (!lock) {
        return ErrOutOfMemory;
    }
    BOOL found;
    int position = FindIndexEntry(PageOf(lock.get()), id, &found);
    if (!found) {
        return StoreKeyMissing;
    }
    change(&PageEntries(lock.get())[position]);
    SetBlockFlags(ref->page, BLOCK_CHANGED, TRUE);
    return 0;
}

// A block's header size, checked against the memory that holds it.
int CheckedHeaderSize(HGLOBAL block, LONG* size)
{
    if (int result = GetBlockSizeChecked(block, size)) {
        return result;
    }
    if (*size < kBlockHeaderSize) {
        return StoreBlockTooSmall;
    }
    return static_cast<SIZE_T>(*size) > GlobalSize(block) ? StoreMemoryTooSmall : 0;
}

// Copies a record's whole payload out of or into a plain memory block at least that large.
int CopyPayloadWithMemory(HGLOBAL block, HGLOBAL memory, bool intoBlock)
{
    LONG size;
    if (int result = CheckedHeaderSize(block, &size)) {
        return result;
    }
    std::size_t payload = static_cast<std::size_t>(size - kBlockHeaderSize);
    if (payload == 0) {
        return 0;
    }
    if (GlobalSize(memory) < payload) {
        return StoreMemoryTooSmall;
    }
    BlockLock record(block);
    BlockLock plain(memory);
    if (!record || !plain) {
        return ErrOutOfMemory;
    }
    BYTE* inRecord = record.get() + kBlockHeaderSize;
    if (intoBlock) {
        std::memcpy(inRecord, plain.get(), payload);
    } else {
        std::memcpy(plain.get(), inRecord, payload);
    }
    return 0;
}

}  // namespace

// ---- Records.

int LoadRecord(int slot, int type, int id, HGLOBAL* block)
{
    *block = nullptr;
    PageRef ref;
    if (int result = LockTypePage(slot, type, &ref)) {
        return result;
    }
    if (!FitsKey(id)) {
        return StoreKeyMissing;
    }
    return LoadChildBlock(slot, ref.page, id, block, nullptr);
}

int ReloadRecord(int slot, int type, int id, HGLOBAL* block)
{
    HGLOBAL held = *block;
    if (held && !(GlobalFlags(held) & (GMEM_INVALID_HANDLE | GMEM_DISCARDED)) &&
        GlobalSize(held) >= static_cast<SIZE_T>(kBlockHeaderSize) && CheckStoreSlot(slot) == 0) {
        BlockLock lock(held);
        if (lock) {
            const BlockHeader* header = HeaderOf(lock.get());
            if (header->slot == slot && header->parentKey == type && header->key == id) {
                return 0;
            }
        }
    }
    return LoadRecord(slot, type, id, block);
}

int AddRecord(int slot, int type, int id, DWORD size, HGLOBAL* block)
{
    *block = nullptr;
    return AddRecordCommon(slot, type, id, size, block, false);
}

int AddRecordBlock(int slot, int type, int id, HGLOBAL block)
{
    std::int64_t size = block && !IsHandleDiscarded(block) ? static_cast<std::int64_t>(GlobalSize(block)) : 0;
    return AddRecordCommon(slot, type, id, size, &block, true);
}

int AddRecordType(int slot, int type)
{
    if (type < 0 || type > 32767) {
        return StoreNegativeType;
    }
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    if (int result = CheckInsertion(slot, KEY_TOP, KEY_MAIN_ROOT, type)) {
        return result;
    }
    if (StoreHasFlag(slot, STORE_CHECKPOINT)) {
        if (int result = EnsureCheckpointType(slot, type, TRUE)) {
            return result;
        }
    }
    HGLOBAL page = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kIndexPageHeaderSize);
    if (!page) {
        return ErrOutOfMemory;
    }
    if (int result = InsertIndexEntry(slot, KEY_TOP, KEY_MAIN_ROOT, type, 0, &page, 0)) {
        GlobalFree(page);
        return result;
    }
    return 0;
}

int DeleteRecord(HGLOBAL block)
{
    int slot, id, type;
    if (int result = GetBlockIdentity(block, &slot, &id, &type)) {
        return result;
    }
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    return RemoveIndexEntry(slot, KEY_MAIN_ROOT, type, id);
}

int DeleteRecordById(int slot, int type, int id)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    if (!FitsKey(type) || !FitsKey(id)) {
        return StoreKeyMissing;
    }
    return RemoveIndexEntry(slot, KEY_MAIN_ROOT, type, id);
}

int BeginRecordChange(HGLOBAL block)
{
    int slot, id, type;
    if (int result = GetBlockIdentity(block, &slot, &id, &type)) {
        return result;
    }
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    SetBlockFlags(block, BLOCK_CHANGED, TRUE);
    if (!StoreHasFlag(slot, STORE_CHECKPOINT)) {
        return 0;
    }
    if (int result = EnsureCheckpointType(slot, type, FALSE)) {
        return result;
    }
    return JournalOldVersion(slot, type, id, block);
}

int MarkBlockDirty(HGLOBAL block)
{
    if (int result = ReadBlockHeader(block, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr)) {
        return result;
    }
    SetBlockFlags(block, BLOCK_CHANGED, TRUE);
    return 0;
}

int ResizeRecord(HGLOBAL* block, DWORD newSize)
{
    if (newSize < static_cast<DWORD>(kBlockHeaderSize)) {
        return StoreBlockTooSmall;
    }
    if (newSize > kMaxBlockSize) {
        return StoreSizeTooLarge;
    }
    int slot, type, id;
    LONG size;
    if (int result = ReadBlockHeader(*block, &slot, &type, &id, nullptr, &size, nullptr)) {
        return result;
    }
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    if (static_cast<DWORD>(size) == newSize) {
        return MarkBlockDirty(*block);
    }
    PageRef ref;
    if (int result = LocatePage(slot, KEY_MAIN_ROOT, type, &ref)) {
        return result;
    }
    {
        BlockLock lock(ref.page);
        if (!lock) {
            return ErrOutOfMemory;
        }
        BOOL found;
        FindIndexEntry(PageOf(lock.get()), id, &found);
        if (!found) {
            return StoreKeyMissing;
        }
    }
    // The caller may hold the block locked: all its locks are released while the block may
    // move, and taken again afterwards.
    UINT locks = GlobalFlags(*block) & GMEM_LOCKCOUNT;
    for (UINT i = 0; i < locks; ++i) {
        GlobalUnlock(*block);
    }
    LONG offset;
    int result = ReallocBlockSpace(slot, block, newSize, &offset);
    if (!result) {
        HGLOBAL resized = *block;
        result = ChangeRecordEntry(slot, type, id, &ref, [&](StoreIndexEntry* entry) {
            entry->offset = offset;
            entry->size = static_cast<std::int32_t>(newSize);
            entry->cachedBlock = HandleToField(resized);
        });
    }
    if (!result && StoreHasFlag(slot, STORE_WRITE_THROUGH)) {
        // The type page names the record's new place: the record goes there too, so that the
        // file never names a place that does not hold it. The caller may still fill the added
        // bytes, so the record stays changed for the next flush.
        result = WriteThrough(slot, *block, ref.page, nullptr);
        SetBlockFlags(*block, BLOCK_CHANGED, TRUE);
    }
    for (UINT i = 0; i < locks; ++i) {
        GlobalLock(*block);
    }
    return result;
}

int UnloadRecord(HGLOBAL block)
{
    int slot, id, type;
    if (int result = GetBlockIdentity(block, &slot, &id, &type)) {
        return result;
    }
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    if (StoreHasFlag(slot, STORE_MEMORY_ONLY)) {
        return StoreMemoryOnly;
    }
    if (int result = FlushBlock(block)) {
        return result;
    }
    PageRef ref;
    int result = ChangeRecordEntry(slot, type, id, &ref, [&](StoreIndexEntry* entry) {
        // Only the store's own cached block is dropped; another block stays the caller's.
        if (entry->cachedBlock == HandleToField(block)) {
            entry->cachedBlock = 0;
        }
    });
    if (result) {
        return result;
    }
    return WriteThrough(slot, nullptr, ref.page, nullptr);
}

int NextFreeRecordId(int slot, int type, int* id)
{
    PageRef ref;
    if (int result = LockTypePage(slot, type, &ref)) {
        return result;
    }
    BlockLock lock(ref.page);
    if (!lock) {
        return ErrOutOfMemory;
    }
    const StoreIndexEntry* entries = PageEntries(lock.get());
    int count = PageEntryCount(ref.page, lock.get());
    if (count >= 32767) {
        return StoreNoRoom;
    }
    if (count == 0) {
        *id = 0;
        return 0;
    }
    int highest = entries[count - 1].key;
    if (highest < 32767) {
        *id = highest + 1;
        return 0;
    }
    // The first gap: the k-th entry should hold s + k.
    int start = entries[0].key < 0 ? entries[0].key : 0;
    for (int k = 0; k < count; ++k) {
        if (entries[k].key != start + k) {
            *id = start + k;
            return 0;
        }
    }
    return StoreNoRoom;
}

int NextFreeRecordIdRun(int slot, int type, int count, int* firstId)
{
    PageRef ref;
    if (int result = LockTypePage(slot, type, &ref)) {
        return result;
    }
    // A run of no ids is a picture without data: valid, it takes no id.
    if (count < 0) {
        return StoreNoRoom;
    }
    BlockLock lock(ref.page);
    if (!lock) {
        return ErrOutOfMemory;
    }
    const StoreIndexEntry* entries = PageEntries(lock.get());
    int used = PageEntryCount(ref.page, lock.get());
    if (static_cast<long long>(count) + used >= 32768) {
        return StoreNoRoom;
    }
    if (used == 0) {
        *firstId = 0;
        return 0;
    }
    int highest = entries[used - 1].key;
    // An empty run still names an id in range, so it never starts past 32767.
    if (highest + std::max(count, 1) <= 32767) {
        *firstId = highest + 1;
        return 0;
    }
    // The first run of `count` ids in 0..32767 that no record holds.
    int previous = -1;  // highest id seen so far
    for (int k = 0; k <= used; ++k) {
        int next = k < used ? entries[k].key : 32768;
        if (next < 0) {
            continue;
        }
        if (next - previous - 1 >= count) {
            *firstId = previous + 1;
            return 0;
        }
        if (next > previous) {
            previous = next;
        }
    }
    return StoreNoRoom;
}

// ---- Enumeration.

int CountRecordTypes(int slot, int* count)
{
    *count = 0;
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    HGLOBAL root;
    if (int result = TakeTopPage(slot, KEY_MAIN_ROOT, &root)) {
        return result;
    }
    BlockLock lock(root);
    if (!lock) {
        return ErrOutOfMemory;
    }
    *count = PageEntryCount(root, lock.get());
    return 0;
}

int GetRecordTypeAt(int slot, int index, int* type)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    HGLOBAL root;
    if (int result = TakeTopPage(slot, KEY_MAIN_ROOT, &root)) {
        return result;
    }
    BlockLock lock(root);
    if (!lock) {
        return ErrOutOfMemory;
    }
    if (index < 0 || index >= PageEntryCount(root, lock.get())) {
        return StoreIndexOutOfRange;
    }
    *type = PageEntries(lock.get())[index].key;
    return 0;
}

int CountRecords(int slot, int type, int* count)
{
    *count = 0;
    PageRef ref;
    if (int result = LockTypePage(slot, type, &ref)) {
        return result;
    }
    BlockLock lock(ref.page);
    if (!lock) {
        return ErrOutOfMemory;
    }
    *count = PageEntryCount(ref.page, lock.get());
    return 0;
}

int GetRecordIdAt(int slot, int type, int index, int* id)
{
    PageRef ref;
    if (int result = LockTypePage(slot, type, &ref)) {
        return result;
    }
    BlockLock lock(ref.page);
    if (!lock) {
        return ErrOutOfMemory;
    }
    if (index < 0 || index >= PageEntryCount(ref.page, lock.get())) {
        return StoreIndexOutOfRange;
    }
    *id = PageEntries(lock.get())[index].key;
    return 0;
}

// ---- Blocks.

int ReadBlockHeader(HGLOBAL block, int* slot, int* type, int* id, LONG* offset, LONG* size, int* flags)
{
    if (!block || IsHandleDiscarded(block)) {
        return ErrOutOfMemory;
    }
    SIZE_T memory = GlobalSize(block);
    if (memory == 0) {
        return ErrOutOfMemory;
    }
    if (memory < static_cast<SIZE_T>(kBlockHeaderSize)) {
        return StoreBlockTooSmall;
    }
    BlockLock lock(block);
    if (!lock) {
        return ErrOutOfMemory;
    }
    const BlockHeader* header = HeaderOf(lock.get());
    if (slot) *slot = header->slot;
    if (type) *type = header->parentKey;
    if (id) *id = header->key;
    if (offset) *offset = header->offset;
    if (size) *size = header->size;
    if (flags) *flags = header->flags;
    return 0;
}

int GetBlockIdentity(HGLOBAL block, int* slot, int* id, int* type)
{
    return ReadBlockHeader(block, slot, type, id, nullptr, nullptr, nullptr);
}

LONG GetBlockSize(HGLOBAL block)
{
    LONG size = 0;
    return GetBlockSizeChecked(block, &size) ? 0 : size;
}

int GetBlockSizeChecked(HGLOBAL block, LONG* size)
{
    return ReadBlockHeader(block, nullptr, nullptr, nullptr, nullptr, size, nullptr);
}

void SetBlockPinned(HGLOBAL block, BOOL on)
{
    SetBlockFlags(block, BLOCK_PINNED, on);
}

BOOL IsBlockPinned(HGLOBAL block)
{
    return BlockHasFlag(block, BLOCK_PINNED) ? TRUE : FALSE;
}

void ReleaseBlock(HGLOBAL) {}
void NoteBlockHandedOut(HGLOBAL) {}
void NoteBlockRereading(HGLOBAL) {}
void NoteBlockRereadFailed(HGLOBAL) {}

int CopyBlockPayload(HGLOBAL source, HGLOBAL destination, LONG size)
{
    if (size <= kBlockHeaderSize) {
        return 0;
    }
    if (GlobalSize(source) < static_cast<SIZE_T>(size) || GlobalSize(destination) < static_cast<SIZE_T>(size)) {
        return StoreMemoryTooSmall;
    }
    BlockLock from(source);
    BlockLock to(destination);
    if (!from || !to) {
        return ErrOutOfMemory;
    }
    std::memcpy(to.get() + kBlockHeaderSize, from.get() + kBlockHeaderSize, static_cast<std::size_t>(size - kBlockHeaderSize));
    return 0;
}

int CopyBlockToMemory(HGLOBAL block, HGLOBAL memory)
{
    return CopyPayloadWithMemory(block, memory, false);
}

int CopyMemoryToBlock(HGLOBAL memory, HGLOBAL block)
{
    return CopyPayloadWithMemory(block, memory, true);
}

int CopyBytesToBlock(HGLOBAL memory, HGLOBAL block, LONG count)
{
    if (count <= 0) {
        return 0;
    }
    LONG size;
    if (int result = CheckedHeaderSize(block, &size)) {
        return result;
    }
    if (count > size - kBlockHeaderSize || GlobalSize(memory) < static_cast<SIZE_T>(count)) {
        return StoreMemoryTooSmall;
    }
    BlockLock from(memory);
    BlockLock to(block);
    if (!from || !to) {
        return ErrOutOfMemory;
    }
    std::memcpy(to.get() + kBlockHeaderSize, from.get(), static_cast<std::size_t>(count));
    return 0;
}
