// Free space of a block store: best fit over the size list, merging over the offset list,
// growth at the end mark, and lost bytes when both lists are full.
#include "store/store_space.h"

#include <algorithm>
#include <cstring>

#include "store/flags.h"
#include "store/results.h"
#include "store/store_directory.h"
#include "store/store_internal.h"
#include "store/store_records.h"

namespace {

void MarkPageChanged(BYTE* freePage)
{
    SetFlagBits16(HeaderFlags(HeaderOf(freePage)), BLOCK_CHANGED, TRUE);
}

// First place in list[0, count) whose size is at least `size`.
int FirstAtLeast(const FreeExtent* list, int count, std::int64_t size)
{
    return static_cast<int>(std::ranges::lower_bound(list, list + count, size, {}, &FreeExtent::size) - list);
}

// Puts `extent` into list[0, count) before the first extent at least as large.
void InsertBySize(FreeExtent* list, int count, FreeExtent extent)
{
    int at = FirstAtLeast(list, count, extent.size);
    std::memmove(list + at + 1, list + at, (count - at) * sizeof(FreeExtent));
    list[at] = extent;
}

void RemoveAt(FreeExtent* list, int count, int at)
{
    std::memmove(list + at, list + at + 1, (count - at - 1) * sizeof(FreeExtent));
}

// The free-space page of a store that keeps one; none (and 0) for a memory-only store.
int TakeFreePage(int slot, HGLOBAL* page)
{
    *page = nullptr;
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    if (StoreHasFlag(slot, STORE_MEMORY_ONLY)) {
        return 0;
    }
    return TakeTopPage(slot, KEY_FREE_SPACE, page);
}

FreeExtent Extent(std::int64_t offset, std::int64_t size)
{
    return {static_cast<std::int32_t>(offset), static_cast<std::int32_t>(size)};
}

}  // namespace

std::int64_t RoundUpToUnit(std::int64_t size, int shift)
{
    if (size <= 0) {
        return 0;
    }
    std::int64_t unit = std::int64_t{1} << shift;
    return (size + unit - 1) / unit * unit;
}

int FindExtentBySize(const BYTE* freePage, std::int64_t size, BOOL* found)
{
    BYTE* page = const_cast<BYTE*>(freePage);
    int count = FreePageOf(page)->count;
    const FreeExtent* list = SizeList(page);
    int at = FirstAtLeast(list, count, size);
    *found = at < count && list[at].size == size;
    return at;
}

int FindExtentByOffset(const BYTE* freePage, std::int64_t offset, BOOL* found)
{
    BYTE* page = const_cast<BYTE*>(freePage);
    int count = FreePageOf(page)->count;
    const FreeExtent* list = OffsetList(page);
    int low = static_cast<int>(std::ranges::lower_bound(list, list + count, offset, {}, &FreeExtent::offset) - list);
    *found = low < count && list[low].offset == offset;
    return low;
}

int AllocateSpace(int slot, DWORD size, LONG* offset)
{
    HGLOBAL page;
    if (int result = TakeFreePage(slot, &page)) {
        return result;
    }
    if (!page) {
        *offset = 1;  // memory-only: no bookkeeping
        return 0;
    }
    StoreDescriptor* d = StoreImage(slot);
    BlockLock lock(page);
    if (!lock) {
        return ErrOutOfMemory;
    }
    BYTE* p = lock.get();
    FreeSpacePage* fp = FreePageOf(p);
    std::int64_t rounded = RoundUpToUnit(size, d->shift);
    if (fp->count > 0) {
        BOOL found;
        int at = FindExtentBySize(p, rounded, &found);
        if (at < fp->count) {
            // Best fit: the low end of the smallest extent that is large enough.
            *offset = SizeList(p)[at].offset;
            return TakeFromExtent(p, at, rounded);
        }
    }
    std::int64_t end = fp->endMark;
    if (end + rounded > 0x7FFFFFFF) {
        return ErrFilePosition;
    }
    // The file grows before anything is written there.
    if (int result = GrowStoreFile(slot, d->baseOffset + end + rounded)) {
        return result;
    }
    *offset = static_cast<LONG>(end);
    fp->endMark = static_cast<std::int32_t>(end + rounded);
    MarkPageChanged(p);
    return 0;
}

int TakeFromExtent(BYTE* freePage, int position, std::int64_t amount)
{
    FreeSpacePage* fp = FreePageOf(freePage);
    int count = fp->count;
    FreeExtent* sizes = SizeList(freePage);
    FreeExtent* offsets = OffsetList(freePage);
    if (position < 0 || position >= count) {
        return StoreFreeListsDisagree;
    }
    FreeExtent taken = sizes[position];
    BOOL found;
    int at = FindExtentByOffset(freePage, taken.offset, &found);
    if (!found) {
        return StoreFreeListsDisagree;
    }
    if (taken.size <= amount) {
        RemoveAt(offsets, count, at);
        RemoveAt(sizes, count, position);
        fp->count = static_cast<std::int16_t>(count - 1);
    } else {
        // The extent keeps its high part, re-sorted among the smaller sizes.
        FreeExtent rest = Extent(taken.offset + amount, taken.size - amount);
        offsets[at] = rest;
        RemoveAt(sizes, count, position);
        InsertBySize(sizes, count - 1, rest);
    }
    MarkPageChanged(freePage);
    return 0;
}

int UpdateSizeList(BYTE* freePage, std::int64_t oldSize, std::int64_t newSize, std::int64_t oldOffset,
                   std::int64_t newOffset)
{
    FreeSpacePage* fp = FreePageOf(freePage);
    int count = fp->count;
    FreeExtent* sizes = SizeList(freePage);
    int from = -1;
    if (oldSize) {
        BOOL found;
        int at = FindExtentBySize(freePage, oldSize, &found);
        while (found && at < count && sizes[at].size == oldSize && sizes[at].offset != oldOffset) {
            ++at;
        }
        if (!found || at >= count || sizes[at].size != oldSize) {
            return StoreFreeListsDisagree;
        }
        from = at;
    }
    if (newSize) {
        int remaining = count;
        if (from >= 0) {
            RemoveAt(sizes, count, from);
            remaining = count - 1;
        } else if (count >= fp->capacity) {
            return StoreFreeListsDisagree;  // no place left: the lists cannot be as the caller thinks
        }
        InsertBySize(sizes, remaining, Extent(newOffset, newSize));
        fp->count = static_cast<std::int16_t>(remaining + 1);
    } else if (from >= 0) {
        RemoveAt(sizes, count, from);
        fp->count = static_cast<std::int16_t>(count - 1);
    }
    MarkPageChanged(freePage);
    return 0;
}

int FreeSpace(int slot, LONG offset, DWORD size)
{
    HGLOBAL page;
    if (int result = TakeFreePage(slot, &page)) {
        return result;
    }
    if (!page) {
        return 0;  // memory-only: nothing to give back
    }
    StoreDescriptor* d = StoreImage(slot);
    BlockLock lock(page);
    if (!lock) {
        return ErrOutOfMemory;
    }
    BYTE* p = lock.get();
    FreeSpacePage* fp = FreePageOf(p);
    FreeExtent* offsets = OffsetList(p);
    std::int64_t rounded = RoundUpToUnit(size, d->shift);
    // The place often comes from an index entry whose block was never read: space that
    // cannot be a block of this store is not taken into the lists.
    if (size < static_cast<DWORD>(kBlockHeaderSize)) {
        return StoreBlockTooSmall;
    }
    if (offset < FirstBlockOffset(slot) || offset >= fp->endMark) {
        return StoreOffsetMismatch;
    }
    if (offset + rounded > fp->endMark) {
        return StoreSizeMismatch;
    }
    BOOL found;
    int at = FindExtentByOffset(p, offset, &found);
    if (found) {
        return StoreAlreadyFree;
    }
    int count = fp->count;
    bool right = at < count && offsets[at].offset == offset + rounded;
    bool left = at > 0 && static_cast<std::int64_t>(offsets[at - 1].offset) + offsets[at - 1].size == offset;
    if (left && right) {
        FreeExtent r = offsets[at];
        FreeExtent l = offsets[at - 1];
        RemoveAt(offsets, count, at);
        if (int result = UpdateSizeList(p, r.size, 0, r.offset, 0)) {
            return result;
        }
        std::int64_t merged = l.size + rounded + r.size;
        offsets[at - 1].size = static_cast<std::int32_t>(merged);
        return UpdateSizeList(p, l.size, merged, l.offset, l.offset);
    }
    if (right) {
        FreeExtent r = offsets[at];
        offsets[at] = Extent(offset, r.size + rounded);
        return UpdateSizeList(p, r.size, r.size + rounded, r.offset, offset);
    }
    if (left) {
        FreeExtent l = offsets[at - 1];
        offsets[at - 1].size = static_cast<std::int32_t>(l.size + rounded);
        return UpdateSizeList(p, l.size, l.size + rounded, l.offset, l.offset);
    }
    if (count >= fp->capacity) {
        if (count == 0) {
            // Lists without places (capacity 0): freed space can only be lost.
            fp->lostBytes = static_cast<std::int32_t>(fp->lostBytes + rounded);
            MarkPageChanged(p);
            return 0;
        }
        // Both lists full: the smallest extent is given up to the lost bytes.
        FreeExtent smallest = SizeList(p)[0];
        BOOL listed;
        int where = FindExtentByOffset(p, smallest.offset, &listed);
        if (!listed) {
            return StoreFreeListsDisagree;
        }
        RemoveAt(offsets, count, where);
        if (int result = UpdateSizeList(p, smallest.size, 0, smallest.offset, 0)) {
            return result;
        }
        fp->lostBytes = static_cast<std::int32_t>(fp->lostBytes + smallest.size);
        count = fp->count;
        at = FindExtentByOffset(p, offset, &found);
    }
    std::memmove(offsets + at + 1, offsets + at, (count - at) * sizeof(FreeExtent));
    offsets[at] = Extent(offset, rounded);
    return UpdateSizeList(p, 0, rounded, 0, offset);
}

int ReallocBlockSpace(int slot, HGLOBAL* block, DWORD newSize, LONG* offset)
{
    return ResizeBlockSpace(slot, block, newSize, newSize, offset);
}

int ResizeBlockSpace(int slot, HGLOBAL* block, DWORD newSize, SIZE_T memorySize, LONG* offset)
{
    if (newSize < static_cast<DWORD>(kBlockHeaderSize)) {
        return StoreBlockTooSmall;
    }
    if (newSize > kMaxBlockSize) {
        return StoreSizeTooLarge;
    }
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    LONG oldOffset;
    LONG oldSize;
    if (int result = ReadBlockHeader(*block, nullptr, nullptr, nullptr, &oldOffset, &oldSize, nullptr)) {
        return result;
    }
    StoreDescriptor* d = StoreImage(slot);
    bool move = (d->flags & STORE_MEMORY_ONLY) || RoundUpToUnit(oldSize, d->shift) != RoundUpToUnit(newSize, d->shift);
    LONG newOffset = oldOffset;
    // New space is found before the memory changes, so that a failure leaves the block as it
    // was (resizing the memory back would lose the tail of a shrunk block).
    if (move) {
        if (int result = AllocateSpace(slot, newSize, &newOffset)) {
            return result;
        }
    }
    HGLOBAL resized = GlobalSize(*block) == memorySize ? *block : GlobalReAlloc(*block, memorySize, GMEM_MOVEABLE);
    if (!resized) {
        if (move) {
            FreeSpace(slot, newOffset, newSize);
        }
        return ErrOutOfMemory;
    }
    *block = resized;
    {
        BlockLock lock(resized);
        if (!lock) {
            return ErrOutOfMemory;
        }
        BlockHeader* header = HeaderOf(lock.get());
        header->offset = newOffset;
        header->size = static_cast<std::int32_t>(newSize);
        SetFlagBits16(HeaderFlags(header), BLOCK_CHANGED, TRUE);
    }
    if (move) {
        // The block has moved already; a failure to list its old space (lists that disagree)
        // leaves a hole that the check reports and compaction reclaims.
        FreeSpace(slot, oldOffset, static_cast<DWORD>(oldSize));
    }
    *offset = newOffset;
    return 0;
}

std::int64_t GetSpaceChange(int slot, HGLOBAL block, DWORD newSize)
{
    if (CheckStoreSlot(slot)) {
        return 0;
    }
    StoreDescriptor* d = StoreImage(slot);
    if (d->flags & STORE_MEMORY_ONLY) {
        return 1;
    }
    std::int64_t rounded = RoundUpToUnit(newSize, d->shift);
    return RoundUpToUnit(GetBlockSize(block), d->shift) == rounded ? 0 : rounded;
}
