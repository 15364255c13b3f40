// Compaction and the consistency check: both walk one offset-sorted map of every block and
// free extent of a store.
#include "store/store_compact.h"

#include <cstring>

#include "store/file_ops.h"
#include "store/flags.h"
#include "store/results.h"
#include "store/store_directory.h"
#include "store/store_internal.h"
#include "store/store_records.h"
#include "store/store_space.h"

namespace {

constexpr int kMapHeaderSize = 2;
constexpr int kMaxMapEntries = 32767;

int MapCount(const BYTE* map)
{
    std::int16_t count;
    std::memcpy(&count, map, sizeof count);
    return count;
}

void SetMapCount(BYTE* map, int count)
{
    std::int16_t value = static_cast<std::int16_t>(count);
    std::memcpy(map, &value, sizeof value);
}

BlockMapEntry* MapEntries(BYTE* map)
{
    return reinterpret_cast<BlockMapEntry*>(map + kMapHeaderSize);
}

// A block entry of the index, checked before it joins the map: it must be a whole block and
// lie after the descriptor, or moving it could overwrite the descriptor.
int AddIndexedBlock(int slot, HGLOBAL* map, const StoreIndexEntry* entry, int grandparentKey, int parentKey)
{
    if (entry->size < kBlockHeaderSize) {
        return StoreBlockTooSmall;
    }
    if (entry->offset < FirstBlockOffset(slot)) {
        return StoreBlockOverlap;
    }
    return AddBlockMapEntry(map, entry, grandparentKey, parentKey);
}

// Adds a root page's type pages and their records; keys strictly ascending and above -1.
int AddTree(int slot, HGLOBAL* map, int rootKey)
{
    HGLOBAL root;
    if (int result = TakeTopPage(slot, rootKey, &root)) {
        return result;
    }
    BlockLock rootLock(root);
    if (!rootLock) {
        return ErrOutOfMemory;
    }
    StoreIndexEntry* types = PageEntries(rootLock.get());
    int typeCount = PageEntryCount(root, rootLock.get());
    int previousType = -1;
    for (int i = 0; i < typeCount; ++i) {
        if (types[i].key <= previousType) {
            return StoreKeyOrder;
        }
        previousType = types[i].key;
        if (int result = AddIndexedBlock(slot, map, &types[i], KEY_TOP, rootKey)) {
            return result;
        }
        HGLOBAL typePage;
        if (int result = GetIndexedBlock(&types[i], slot, rootKey, rootKey, &typePage,
                                         HeaderFlags(HeaderOf(rootLock.get())))) {
            return result;
        }
        BlockLock typeLock(typePage);
        if (!typeLock) {
            return ErrOutOfMemory;
        }
        const StoreIndexEntry* records = PageEntries(typeLock.get());
        int recordCount = PageEntryCount(typePage, typeLock.get());
        int previousId = -1;
        for (int j = 0; j < recordCount; ++j) {
            if (records[j].key <= previousId) {
                return StoreKeyOrder;
            }
            previousId = records[j].key;
            if (int result = AddIndexedBlock(slot, map, &records[j], rootKey, types[i].key)) {
                return result;
            }
        }
    }
    return 0;
}

int ResetFreeSpaceTo(int slot, LONG endMark, LONG lostBytes)
{
    HGLOBAL page;
    if (int result = TakeTopPage(slot, KEY_FREE_SPACE, &page)) {
        return result;
    }
    {
        BlockLock lock(page);
        if (!lock) {
            return ErrOutOfMemory;
        }
        FreeSpacePage* fp = FreePageOf(lock.get());
        fp->count = 0;
        fp->lostBytes = lostBytes;
        fp->endMark = endMark;
        SetFlagBits16(HeaderFlags(&fp->header), BLOCK_CHANGED, TRUE);
    }
    return FlushBlock(page);
}

// Cuts the file to the end mark compaction has set. When the system refuses, the tail becomes
// lost bytes (TrimStoreFile) and the free-space page saying so is written at once, so that the
// file holds the store alone, as the check and a later opening expect.
void CutToEndMark(int slot)
{
    if (TrimStoreFile(slot, true) == 0) {
        FlushBlock(FieldToHandle(StoreImage(slot)->freeSpace.cachedBlock));
    }
}

// After a compaction failed part-way, blocks already moved stay where they are. The free
// lists are emptied (they may offer space those blocks now use), the end mark goes after the
// last block and every byte between blocks counts as lost, so the store stays consistent.
void SettleAfterFailedCompaction(int slot)
{
    HGLOBAL page;
    if (TakeTopPage(slot, KEY_FREE_SPACE, &page)) {
        return;
    }
    {
        // Emptied first: an extent may lie where a block now is, which the map would refuse.
        BlockLock lock(page);
        if (!lock) {
            return;
        }
        FreePageOf(lock.get())->count = 0;
    }
    HGLOBAL map;
    LONG endMark, lostBytes;
    if (BuildBlockMap(slot, &map, &endMark, &lostBytes)) {
        return;
    }
    std::int64_t end = 0;
    std::int64_t holes = 0;
    int shift = StoreImage(slot)->shift;
    {
        BlockLock lock(map);
        if (!lock) {
            GlobalFree(map);
            return;
        }
        const BlockMapEntry* entries = MapEntries(lock.get());
        for (int i = 0; i < MapCount(lock.get()); ++i) {
            if (entries[i].parentKey == KEY_EXTENT) {
                continue;
            }
            if (end > 0 && entries[i].offset > end) {
                holes += entries[i].offset - end;
            }
            std::int64_t blockEnd = entries[i].offset + RoundUpToUnit(entries[i].size, shift);
            if (blockEnd > end) {
                end = blockEnd;
            }
        }
    }
    GlobalFree(map);
    if (ResetFreeSpaceTo(slot, static_cast<LONG>(end), static_cast<LONG>(holes)) == 0) {
        CutToEndMark(slot);
    }
}

}  // namespace

int AddBlockMapEntry(HGLOBAL* map, const StoreIndexEntry* entry, int grandparentKey, int parentKey)
{
    SIZE_T memory = GlobalSize(*map);
    int count;
    int position;
    {
        BlockLock lock(*map);
        if (!lock) {
            return ErrOutOfMemory;
        }
        count = MapCount(lock.get());
        const BlockMapEntry* entries = MapEntries(lock.get());
        int low = 0;
        int high = count;
        while (low < high) {
            int middle = low + (high - low) / 2;
            if (entries[middle].offset < entry->offset) {
                low = middle + 1;
            } else {
                high = middle;
            }
        }
        if (low < count && entries[low].offset == entry->offset) {
            return StoreDuplicateOffset;
        }
        position = low;
    }
    if (count >= kMaxMapEntries) {
        return StoreEntryCountMismatch;  // more blocks than any store can count
    }
    SIZE_T needed = kMapHeaderSize + static_cast<SIZE_T>(count + 1) * sizeof(BlockMapEntry);
    if (needed > memory) {
        SIZE_T grown = memory * 2 > needed ? memory * 2 : needed;
        HGLOBAL larger = GlobalReAlloc(*map, grown, GMEM_MOVEABLE);
        if (!larger) {
            return ErrOutOfMemory;
        }
        *map = larger;
    }
    BlockLock lock(*map);
    if (!lock) {
        return ErrOutOfMemory;
    }
    BlockMapEntry* entries = MapEntries(lock.get());
    std::memmove(entries + position + 1, entries + position, (count - position) * sizeof(BlockMapEntry));
    entries[position] = {static_cast<std::int16_t>(grandparentKey), static_cast<std::int16_t>(parentKey), entry->key,
                         entry->offset, entry->size, entry->cachedBlock};
    SetMapCount(lock.get(), count + 1);
    return 0;
}

int BuildBlockMap(int slot, HGLOBAL* map, LONG* endMark, LONG* lostBytes)
{
    *map = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kMapHeaderSize + 64 * sizeof(BlockMapEntry));
    if (!*map) {
        return ErrOutOfMemory;
    }
    StoreDescriptor* d = StoreImage(slot);
    int result = AddIndexedBlock(slot, map, &d->mainRoot, KEY_TOP, KEY_TOP);
    if (!result) result = AddIndexedBlock(slot, map, &d->backupRoot, KEY_TOP, KEY_TOP);
    if (!result) result = AddIndexedBlock(slot, map, &d->freeSpace, KEY_TOP, KEY_TOP);
    HGLOBAL page = nullptr;
    if (!result) result = TakeTopPage(slot, KEY_FREE_SPACE, &page);
    if (!result) {
        BlockLock lock(page);
        if (!lock) {
            result = ErrOutOfMemory;
        } else {
            FreeSpacePage* fp = FreePageOf(lock.get());
            *endMark = fp->endMark;
            *lostBytes = fp->lostBytes;
            const FreeExtent* sizes = SizeList(lock.get());
            for (int i = 0; i < fp->count && !result; ++i) {
                StoreIndexEntry extent = {static_cast<std::int16_t>(i), sizes[i].offset, sizes[i].size, 0};
                result = AddBlockMapEntry(map, &extent, KEY_TOP, KEY_EXTENT);
            }
        }
    }
    if (!result) result = AddTree(slot, map, KEY_MAIN_ROOT);
    if (!result) result = AddTree(slot, map, KEY_BACKUP_ROOT);
    if (result) {
        GlobalFree(*map);
        *map = nullptr;
    }
    return result;
}

int MoveBlock(int slot, int grandparentKey, int parentKey, int key, LONG newOffset)
{
    StoreDescriptor* d = StoreImage(slot);
    HGLOBAL holder = nullptr;  // the page holding the entry; none for the descriptor's entries
    StoreIndexEntry* entry = nullptr;
    if (parentKey == KEY_TOP) {
        if (key != KEY_MAIN_ROOT && key != KEY_BACKUP_ROOT) {
            return StoreEntryMissing;  // the free-space page never moves
        }
        entry = TopEntry(d, key);
    } else {
        PageRef ref;
        int result = parentKey < 0 ? LocatePage(slot, KEY_TOP, parentKey, &ref)
                                   : LocatePage(slot, grandparentKey, parentKey, &ref);
        if (result) {
            return result;
        }
        holder = ref.page;
    }
    BlockLock holderLock(holder);
    WORD* holderFlags = DescriptorFlags(d);
    if (holder) {
        if (!holderLock) {
            return ErrOutOfMemory;
        }
        BOOL found;
        int position = FindIndexEntry(PageOf(holderLock.get()), key, &found);
        if (!found) {
            return StoreEntryMissing;
        }
        entry = &PageEntries(holderLock.get())[position];
        holderFlags = HeaderFlags(HeaderOf(holderLock.get()));
    }
    HGLOBAL cached = FieldToHandle(entry->cachedBlock);
    bool wasLoaded = cached && !IsHandleDiscarded(cached);
    HGLOBAL block;
    // The tree of the block: a record's root, a type page's parent; none for a top page.
    int treeKey = parentKey >= 0 ? grandparentKey : (parentKey == KEY_TOP ? KEY_TOP : parentKey);
    if (int result = GetIndexedBlock(entry, slot, parentKey, treeKey, &block, holderFlags)) {
        return result;
    }
    {
        BlockLock lock(block);
        if (!lock) {
            return ErrOutOfMemory;
        }
        HeaderOf(lock.get())->offset = newOffset;
        SetFlagBits16(HeaderFlags(HeaderOf(lock.get())), BLOCK_CHANGED, TRUE);
    }
    entry->offset = newOffset;
    SetFlagBits16(holderFlags, BLOCK_CHANGED, TRUE);
    if (int result = FlushBlock(block)) {
        return result;  // still loaded and changed: a later flush writes it at its new place
    }
    if (!wasLoaded) {
        GlobalFree(block);
        entry->cachedBlock = 0;
    }
    return 0;
}

int ResetFreeSpace(int slot, LONG newEndMark)
{
    return ResetFreeSpaceTo(slot, newEndMark, 0);
}

int CompactStore(int slot)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    StoreDescriptor* d = StoreImage(slot);
    if (d->flags & STORE_MEMORY_ONLY) {
        return StoreMemoryOnly;
    }
    HGLOBAL map;
    LONG endMark, lostBytes;
    if (int result = BuildBlockMap(slot, &map, &endMark, &lostBytes)) {
        return result;
    }
    BlockLock lock(map);
    if (!lock) {
        GlobalFree(map);
        return ErrOutOfMemory;
    }
    BlockMapEntry* entries = MapEntries(lock.get());
    int count = MapCount(lock.get());

    // Memory for the largest page and the largest record must exist before a block moves.
    std::int64_t largestPage = 0;
    std::int64_t largestRecord = 0;
    for (int i = 0; i < count; ++i) {
        std::int64_t size = entries[i].size;
        if (entries[i].parentKey < 0 && entries[i].parentKey != KEY_EXTENT && size > largestPage) {
            largestPage = size;
        } else if (entries[i].parentKey >= 0 && size > largestRecord) {
            largestRecord = size;
        }
    }
    std::int64_t probeSize = largestPage + largestRecord + 1000;
    int result = probeSize > kMaxBlockSize ? StoreSizeTooLarge : 0;
    if (!result) {
        HGLOBAL probe = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(probeSize));
        result = CheckAlloc(probe);
        GlobalFree(probe);
    }
    if (result) {
        lock.Unlock();
        GlobalFree(map);
        return result;
    }

    // Slide every block down over the free extents and holes before it, in offset order.
    int shift = d->shift;
    std::int64_t previousEnd = 0;
    bool gapOpen = false;
    std::int64_t gapStart = 0;
    for (int i = 0; i < count && !result; ++i) {
        BlockMapEntry& e = entries[i];
        if (i > 0 && previousEnd < e.offset && !gapOpen) {
            gapOpen = true;
            gapStart = previousEnd;
        }
        if (e.parentKey == KEY_EXTENT) {
            if (!gapOpen) {
                gapOpen = true;
                gapStart = e.offset;
            }
        } else if (gapOpen) {
            result = MoveBlock(slot, e.grandparentKey, e.parentKey, e.key, static_cast<LONG>(gapStart));
            e.offset = static_cast<std::int32_t>(gapStart);
            gapOpen = false;
        }
        previousEnd = e.offset + RoundUpToUnit(e.size, shift);
    }
    std::int64_t newEnd = gapOpen ? gapStart : previousEnd;
    lock.Unlock();
    GlobalFree(map);
    if (!result) {
        result = ResetFreeSpace(slot, static_cast<LONG>(newEnd));
    }
    if (result) {
        SettleAfterFailedCompaction(slot);
        return StoreCompactionFailed;
    }
    CutToEndMark(slot);
    return 0;
}

int CheckFreeSpacePage(int slot)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    HGLOBAL page;
    if (int result = TakeTopPage(slot, KEY_FREE_SPACE, &page)) {
        return result;
    }
    BlockLock lock(page);
    if (!lock) {
        return ErrOutOfMemory;
    }
    FreeSpacePage* fp = FreePageOf(lock.get());
    int count = fp->count;
    const FreeExtent* sizes = SizeList(lock.get());
    const FreeExtent* offsets = OffsetList(lock.get());
    HGLOBAL matchedBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(count) + 1);
    BlockLock matchedLock(matchedBlock);
    if (!matchedLock) {
        GlobalFree(matchedBlock);
        return ErrOutOfMemory;
    }
    BYTE* matched = matchedLock.get();
    int result = 0;
    std::int64_t previousSize = 0;
    std::int64_t previousOffset = 0;
    for (int i = 0; i < count && !result; ++i) {
        // A plain scan: an offset list out of order must still be found and reported as such.
        int at = 0;
        while (at < count && offsets[at].offset != sizes[i].offset) {
            ++at;
        }
        if (at == count) {
            result = StoreFreeListsDisagree;
        } else if (offsets[at].size != sizes[i].size) {
            result = StoreSizeMismatch;
        } else if (matched[at]) {
            result = StoreDuplicateOffset;
        } else if (sizes[i].size < previousSize) {
            result = StoreSizeListOrder;
        } else if (offsets[i].offset <= previousOffset) {
            result = StoreOffsetListOrder;
        }
        if (at < count) {
            matched[at] = 1;
        }
        previousSize = sizes[i].size;
        previousOffset = offsets[i].offset;
    }
    matchedLock.Unlock();
    GlobalFree(matchedBlock);
    return result;
}

int CheckStore(int slot)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    if (int result = CheckFreeSpacePage(slot)) {
        return result;
    }
    HGLOBAL map;
    LONG endMark, lostBytes;
    if (int result = BuildBlockMap(slot, &map, &endMark, &lostBytes)) {
        return result;
    }
    StoreDescriptor* d = StoreImage(slot);
    int result = 0;
    int counted = 0;
    std::int64_t lost = lostBytes;
    {
        BlockLock lock(map);
        if (!lock) {
            GlobalFree(map);
            return ErrOutOfMemory;
        }
        const BlockMapEntry* entries = MapEntries(lock.get());
        int count = MapCount(lock.get());
        for (int i = 0; i < count && !result; ++i) {
            const BlockMapEntry& e = entries[i];
            if (e.parentKey != KEY_EXTENT && e.parentKey != KEY_TOP) {
                ++counted;
            }
            std::int64_t end = e.offset + RoundUpToUnit(e.size, d->shift);
            std::int64_t next = i + 1 < count ? entries[i + 1].offset : endMark;
            if (next < end) {
                result = StoreBlockOverlap;
                break;
            }
            if (next > end) {
                lost -= next - end;
                if (lost < 0) {
                    result = StoreLostBytesMismatch;
                    break;
                }
            }
            HGLOBAL block = FieldToHandle(e.cachedBlock);
            if (block && !IsHandleDiscarded(block) && GlobalSize(block) >= static_cast<SIZE_T>(kBlockHeaderSize)) {
                BlockLock blockLock(block);
                const BlockHeader* header = blockLock ? HeaderOf(blockLock.get()) : nullptr;
                if (!header) {
                    result = ErrOutOfMemory;
                } else if (header->key != e.key) {
                    result = StoreEntryMissing;
                } else if (header->parentKey != e.parentKey) {
                    result = StoreParentMismatch;
                } else if (header->slot != slot) {
                    result = StoreWrongSlot;
                } else if (header->offset != e.offset) {
                    result = StoreOffsetMismatch;
                } else if (header->size != e.size) {
                    result = StoreSizeMismatch;
                }
            }
        }
    }
    GlobalFree(map);
    if (!result && counted != d->entryCount) {
        result = StoreEntryCountMismatch;
    }
    if (!result && lost != 0) {
        result = StoreLostBytesMismatch;
    }
    if (!result) {
        LONG length = 0;
        result = GetFileLength(StoreFile(slot), &length);
        std::int64_t expected = static_cast<std::int64_t>(d->baseOffset) + endMark;
        // A file the store has grown ahead of its end mark is cut back at the next flush.
        const StoreRuntime* runtime = RuntimeOf(slot);
        bool ahead = runtime->grownAhead && length == runtime->fileLength && length > expected;
        if (!result && length != expected && length != expected + 1 && !ahead) {
            result = StoreFileLengthMismatch;
        }
    }
    return result;
}
