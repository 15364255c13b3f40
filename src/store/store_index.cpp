// The two-level index of a block store: finding pages and entries, loading children, and
// inserting and removing entries with the journaling that a checkpoint asks for.
#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "store/flags.h"
#include "store/results.h"
#include "store/store_directory.h"
#include "store/store_internal.h"
#include "store/store_records.h"
#include "store/store_space.h"

namespace {

// Writes a page's new offset, size and handle into the entry that names it, and marks the
// holder of that entry (the root page, or the descriptor for a root) changed.
int RecordPagePlacement(int slot, const PageRef& ref)
{
    BlockLock page(ref.page);
    if (!page) {
        return ErrOutOfMemory;
    }
    const BlockHeader* header = HeaderOf(page.get());
    StoreIndexEntry placed = {0, header->offset, header->size, HandleToField(ref.page)};
    if (!ref.root) {
        StoreDescriptor* d = StoreImage(slot);
        StoreIndexEntry* entry = TopEntry(d, ref.parentKey);
        placed.key = entry->key;
        *entry = placed;
        MarkDescriptorChanged(slot);
        return 0;
    }
    BlockLock root(ref.root);
    if (!root) {
        return ErrOutOfMemory;
    }
    BOOL found;
    int position = FindIndexEntry(PageOf(root.get()), ref.parentKey, &found);
    if (!found) {
        return StoreEntryMissing;
    }
    placed.key = static_cast<std::int16_t>(ref.parentKey);
    PageEntries(root.get())[position] = placed;
    SetFlagBits16(HeaderFlags(HeaderOf(root.get())), BLOCK_CHANGED, TRUE);
    return 0;
}

// A shrinking page whose move failed (no file space to move into) stays where it is: its
// header takes the new size and the tail of its old space is given back, so the index
// stays consistent with the file.
int ShrinkPageInPlace(int slot, PageRef* ref, std::int64_t newSize)
{
    std::int64_t offset;
    std::int64_t oldSize;
    {
        BlockLock lock(ref->page);
        if (!lock) {
            return ErrOutOfMemory;
        }
        BlockHeader* header = HeaderOf(lock.get());
        offset = header->offset;
        oldSize = header->size;
        header->size = static_cast<std::int32_t>(newSize);
        SetFlagBits16(HeaderFlags(header), BLOCK_CHANGED, TRUE);
    }
    if (HGLOBAL smaller = GlobalReAlloc(ref->page, static_cast<SIZE_T>(newSize), GMEM_MOVEABLE)) {
        ref->page = smaller;
    }
    int shift = StoreImage(slot)->shift;
    std::int64_t kept = RoundUpToUnit(newSize, shift);
    std::int64_t tail = RoundUpToUnit(oldSize, shift) - kept;
    if (tail > 0) {
        if (int result = FreeSpace(slot, static_cast<LONG>(offset + kept), static_cast<DWORD>(tail))) {
            return result;
        }
    }
    return 0;
}

}  // namespace

// ---- Small block helpers.

bool SetBlockFlags(HGLOBAL block, WORD mask, BOOL on)
{
    if (GlobalSize(block) < kBlockHeaderSize) {
        return false;
    }
    BlockLock lock(block);
    if (!lock) {
        return false;
    }
    SetFlagBits16(HeaderFlags(HeaderOf(lock.get())), mask, on);
    return true;
}

bool BlockHasFlag(HGLOBAL block, WORD flag)
{
    if (GlobalSize(block) < kBlockHeaderSize) {
        return false;
    }
    BlockLock lock(block);
    return lock && (HeaderOf(lock.get())->flags & flag) != 0;
}

int PageEntryCount(HGLOBAL page, BYTE* data)
{
    SIZE_T memory = GlobalSize(page);
    if (memory < static_cast<SIZE_T>(kIndexPageHeaderSize)) {
        return 0;
    }
    int count = PageOf(data)->count;
    int room = static_cast<int>((memory - kIndexPageHeaderSize) / sizeof(StoreIndexEntry));
    if (count < 0) {
        return 0;
    }
    return count < room ? count : room;
}

// ---- Pages.

StoreIndexEntry* TopEntry(StoreDescriptor* descriptor, int key)
{
    switch (key) {
    case KEY_MAIN_ROOT: return &descriptor->mainRoot;
    case KEY_BACKUP_ROOT: return &descriptor->backupRoot;
    default: return &descriptor->freeSpace;
    }
}

int TakeTopPage(int slot, int key, HGLOBAL* page)
{
    StoreDescriptor* d = StoreImage(slot);
    return GetIndexedBlock(TopEntry(d, key), slot, KEY_TOP, KEY_TOP, page, DescriptorFlags(d));
}

int LocatePage(int slot, int rootKey, int parentKey, PageRef* ref)
{
    ref->page = nullptr;
    ref->root = nullptr;
    ref->rootKey = rootKey;
    ref->parentKey = parentKey;
    if (rootKey == KEY_TOP) {
        if (parentKey != KEY_MAIN_ROOT && parentKey != KEY_BACKUP_ROOT) {
            return StoreKeyMissing;
        }
        return TakeTopPage(slot, parentKey, &ref->page);
    }
    if ((rootKey != KEY_MAIN_ROOT && rootKey != KEY_BACKUP_ROOT) || !FitsKey(parentKey)) {
        return StoreKeyMissing;
    }
    if (int result = TakeTopPage(slot, rootKey, &ref->root)) {
        return result;
    }
    return LoadChildBlock(slot, ref->root, parentKey, &ref->page, nullptr);
}

int ResizeIndexPage(int slot, PageRef* ref, int newCount)
{
    std::int64_t newSize = IndexPageSize(newCount);
    std::int64_t oldSize = GetBlockSize(ref->page);
    // The memory keeps its size while it holds the page and is not far larger; else it gets a
    // quarter more than the page needs, never more than a full page.
    std::int64_t memory = static_cast<std::int64_t>(GlobalSize(ref->page));
    if (memory < newSize || memory > 2 * newSize + 256) {
        memory = std::max<std::int64_t>(newSize, std::min<std::int64_t>(newSize + newSize / 4, IndexPageSize(kMaxPageEntries)));
    }
    LONG offset;
    int result = ResizeBlockSpace(slot, &ref->page, static_cast<DWORD>(newSize), static_cast<SIZE_T>(memory), &offset);
    if (result && newSize < oldSize) {
        result = ShrinkPageInPlace(slot, ref, newSize);
    }
    if (result) {
        return result;
    }
    return RecordPagePlacement(slot, *ref);
}

int PageRefuses(int slot, int rootKey, int parentKey, int key, bool* refuses)
{
    PageRef ref;
    if (int result = LocatePage(slot, rootKey, parentKey, &ref)) {
        return result;
    }
    BlockLock lock(ref.page);
    if (!lock) {
        return ErrOutOfMemory;
    }
    BOOL found;
    FindIndexEntry(PageOf(lock.get()), key, &found);
    *refuses = found || (HeaderOf(lock.get())->flags & BLOCK_ABSENT) != 0;
    return 0;
}

int CheckInsertion(int slot, int rootKey, int parentKey, int key, PageRef* located)
{
    StoreDescriptor* d = StoreImage(slot);
    if (d->entryCount + 1 > d->entryCapacity) {
        return StoreNoRoom;
    }
    PageRef ref;
    if (int result = LocatePage(slot, rootKey, parentKey, &ref)) {
        return result;
    }
    if (located) {
        *located = ref;
    }
    BlockLock lock(ref.page);
    if (!lock) {
        return ErrOutOfMemory;
    }
    if (HeaderOf(lock.get())->flags & BLOCK_ABSENT) {
        return StoreKeyExists;
    }
    if (PageEntryCount(ref.page, lock.get()) >= kMaxPageEntries) {
        return StorePageFull;
    }
    BOOL found;
    FindIndexEntry(PageOf(lock.get()), key, &found);
    return found ? StoreKeyExists : 0;
}

int WriteThrough(int slot, HGLOBAL block, HGLOBAL page, HGLOBAL root)
{
    if (!StoreHasFlag(slot, STORE_WRITE_THROUGH)) {
        return 0;
    }
    for (HGLOBAL h : {block, page, root}) {
        if (h) {
            if (int result = FlushBlock(h)) {
                return result;
            }
        }
    }
    if (int result = FlushFreeSpacePage(slot)) {
        return result;
    }
    return WriteStoreHeader(slot);
}

// ---- Index maintenance.

int FindIndexEntry(const StoreIndexPage* page, int key, BOOL* found)
{
    const StoreIndexEntry* entries = reinterpret_cast<const StoreIndexEntry*>(page + 1);
    int low = 0;
    int high = page->count < 0 ? 0 : page->count;
    int count = high;
    while (low < high) {
        int middle = low + (high - low) / 2;
        if (entries[middle].key < key) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    *found = low < count && entries[low].key == key;
    return low;
}

int GetIndexedBlock(StoreIndexEntry* entry, int slot, int parentKey, int treeKey, HGLOBAL* block, WORD* parentFlags)
{
    HGLOBAL cached = FieldToHandle(entry->cachedBlock);
    if (cached && !IsHandleDiscarded(cached)) {
        NoteBlockHandedOut(cached);
        *block = cached;
        return 0;
    }
    if (int result = ReadBlockFromFile(entry, slot, parentKey, treeKey)) {
        return result;
    }
    *block = FieldToHandle(entry->cachedBlock);
    // The entry's cached-block field changed: its holder must be written again.
    SetFlagBits16(parentFlags, BLOCK_CHANGED, TRUE);
    return 0;
}

int LoadChildBlock(int slot, HGLOBAL page, int key, HGLOBAL* block, int* position)
{
    BlockLock lock(page);
    if (!lock) {
        return ErrOutOfMemory;
    }
    StoreIndexPage* p = PageOf(lock.get());
    BOOL found;
    int at = FindIndexEntry(p, key, &found);
    if (!found) {
        return StoreKeyMissing;
    }
    if (position) {
        *position = at;
    }
    return GetIndexedBlock(&PageEntries(lock.get())[at], slot, p->header.key, TreeOfChildren(&p->header), block,
                           HeaderFlags(&p->header));
}

int InsertIndexEntry(int slot, int rootKey, int parentKey, int key, DWORD size, HGLOBAL* block, LONG offset)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    HGLOBAL child = block ? *block : nullptr;
    std::int64_t childSize = child ? static_cast<std::int64_t>(GlobalSize(child)) : size;
    if (childSize < kBlockHeaderSize) {
        return StoreBlockTooSmall;
    }
    if (childSize > kMaxBlockSize) {
        return StoreSizeTooLarge;
    }
    if (!FitsKey(key)) {
        return StoreKeyMissing;
    }
    PageRef ref;
    if (int result = CheckInsertion(slot, rootKey, parentKey, key, &ref)) {
        return result;
    }
    bool allocated = false;
    LONG childOffset = offset;
    if (offset == 0) {
        if (!child) {
            child = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(childSize));
            if (!child) {
                return ErrOutOfMemory;
            }
            allocated = true;
        }
        if (int result = AllocateSpace(slot, static_cast<DWORD>(childSize), &childOffset)) {
            if (allocated) {
                GlobalFree(child);
            }
            return result;
        }
    }
    int count;
    {
        BlockLock lock(ref.page);
        if (!lock) {
            count = -1;
        } else {
            count = PageEntryCount(ref.page, lock.get());
        }
    }
    int result = count < 0 ? ErrOutOfMemory : ResizeIndexPage(slot, &ref, count + 1);
    if (result) {
        // Nothing names the new space yet: give it back.
        if (offset == 0) {
            FreeSpace(slot, childOffset, static_cast<DWORD>(childSize));
        }
        if (allocated) {
            GlobalFree(child);
        }
        return result;
    }
    {
        BlockLock lock(ref.page);
        if (!lock) {
            return ErrOutOfMemory;
        }
        StoreIndexPage* page = PageOf(lock.get());
        StoreIndexEntry* entries = PageEntries(lock.get());
        BOOL found;
        int position = FindIndexEntry(page, key, &found);
        std::memmove(entries + position + 1, entries + position, (count - position) * sizeof(StoreIndexEntry));
        entries[position] = {static_cast<std::int16_t>(key), childOffset, static_cast<std::int32_t>(childSize),
                             HandleToField(child)};
        page->count = static_cast<std::int16_t>(count + 1);
    }
    if (child) {
        BlockLock lock(child);
        if (lock) {
            *HeaderOf(lock.get()) = {static_cast<std::int16_t>(key), static_cast<std::int16_t>(parentKey),
                                     static_cast<std::int16_t>(slot), childOffset,
                                     static_cast<std::int32_t>(childSize), BLOCK_CHANGED};
        }
    }
    StoreDescriptor* d = StoreImage(slot);
    d->entryCount = static_cast<std::int16_t>(d->entryCount + 1);
    MarkDescriptorChanged(slot);
    if (block) {
        *block = child;
    }
    result = WriteThrough(slot, child, ref.page, ref.root);
    if (allocated && StoreHasFlag(slot, STORE_WRITE_THROUGH)) {
        // The caller fills the new block after this returns: written through or not, it stays
        // changed, so that its content reaches the file at the next flush.
        SetBlockFlags(child, BLOCK_CHANGED, TRUE);
    }
    return result;
}

int RemoveIndexEntry(int slot, int rootKey, int parentKey, int key)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    PageRef ref;
    if (int result = LocatePage(slot, rootKey, parentKey, &ref)) {
        return result;
    }
    StoreIndexEntry removed;
    {
        BlockLock lock(ref.page);
        if (!lock) {
            return ErrOutOfMemory;
        }
        BOOL found;
        int position = FindIndexEntry(PageOf(lock.get()), key, &found);
        if (!found) {
            return StoreEntryMissing;
        }
        removed = PageEntries(lock.get())[position];
    }
    HGLOBAL block = FieldToHandle(removed.cachedBlock);
    int result = 0;
    if (StoreHasFlag(slot, STORE_CHECKPOINT) && rootKey == KEY_MAIN_ROOT) {
        // The version being removed is the one the checkpoint saw, unless the journal holds
        // the key already: it goes into the journal instead of being freed.
        result = EnsureCheckpointType(slot, parentKey, FALSE);
        if (!result && StoreHasFlag(slot, STORE_MEMORY_ONLY)) {
            // No file holds the content: the journal takes a copy of the block.
            result = block ? JournalOldVersion(slot, parentKey, key, block) : 0;
        } else if (!result) {
            if (block) {
                result = FlushBlock(block);
            }
            if (!result) {
                result = InsertIndexEntry(slot, KEY_BACKUP_ROOT, parentKey, key, static_cast<DWORD>(removed.size),
                                          nullptr, removed.offset);
                if (result == StoreKeyExists) {
                    result = FreeSpace(slot, removed.offset, static_cast<DWORD>(removed.size));
                }
            }
        }
    } else {
        result = FreeSpace(slot, removed.offset, static_cast<DWORD>(removed.size));
    }
    if (result) {
        return result;
    }
    if ((result = LocatePage(slot, rootKey, parentKey, &ref)) != 0) {
        return result;
    }
    int count;
    {
        BlockLock lock(ref.page);
        if (!lock) {
            return ErrOutOfMemory;
        }
        StoreIndexEntry* entries = PageEntries(lock.get());
        count = PageEntryCount(ref.page, lock.get());
        BOOL found;
        int position = FindIndexEntry(PageOf(lock.get()), key, &found);
        std::memmove(entries + position, entries + position + 1, (count - position - 1) * sizeof(StoreIndexEntry));
        count -= 1;
        PageOf(lock.get())->count = static_cast<std::int16_t>(count);
    }
    StoreDescriptor* d = StoreImage(slot);
    d->entryCount = static_cast<std::int16_t>(d->entryCount - 1);
    MarkDescriptorChanged(slot);
    if ((result = ResizeIndexPage(slot, &ref, count)) != 0) {
        return result;
    }
    return WriteThrough(slot, nullptr, ref.page, ref.root);
}

// ---- Journal helpers.

int JournalOldVersion(int slot, int type, int id, HGLOBAL block)
{
    bool refuses;
    if (int result = PageRefuses(slot, KEY_BACKUP_ROOT, type, id, &refuses)) {
        return result;
    }
    if (refuses) {
        return 0;  // only the first journal entry of a checkpoint survives
    }
    LONG recordSize = kBlockHeaderSize;
    if (block) {
        if (int result = GetBlockSizeChecked(block, &recordSize)) {
            return result;
        }
        if (recordSize < kBlockHeaderSize) {
            return StoreBlockTooSmall;
        }
        if (static_cast<SIZE_T>(recordSize) > GlobalSize(block)) {
            return StoreMemoryTooSmall;
        }
    }
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(recordSize));
    if (!copy) {
        return ErrOutOfMemory;
    }
    if (block) {
        if (int result = CopyBlockPayload(block, copy, recordSize)) {
            GlobalFree(copy);
            return result;
        }
    }
    if (int result = InsertIndexEntry(slot, KEY_BACKUP_ROOT, type, id, 0, &copy, 0)) {
        GlobalFree(copy);
        return result == StoreKeyExists ? 0 : result;
    }
    if (!block) {
        SetBlockFlags(copy, BLOCK_ABSENT | BLOCK_CHANGED, TRUE);
        return WriteThrough(slot, copy, nullptr, nullptr);
    }
    return 0;
}

int EnsureCheckpointType(int slot, int type, BOOL asAbsent)
{
    bool refuses;
    if (int result = PageRefuses(slot, KEY_TOP, KEY_BACKUP_ROOT, type, &refuses)) {
        return result;
    }
    if (refuses) {
        return 0;  // the journal knows the type already
    }
    HGLOBAL page = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kIndexPageHeaderSize);
    if (!page) {
        return ErrOutOfMemory;
    }
    if (int result = InsertIndexEntry(slot, KEY_TOP, KEY_BACKUP_ROOT, type, 0, &page, 0)) {
        GlobalFree(page);
        return result == StoreKeyExists ? 0 : result;
    }
    if (asAbsent) {
        SetBlockFlags(page, BLOCK_ABSENT | BLOCK_CHANGED, TRUE);
        return WriteThrough(slot, page, nullptr, nullptr);
    }
    return 0;
}
