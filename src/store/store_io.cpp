// File input and output of block stores: the file calls, blocks read and written in pieces, the
// file's growth ahead of the end mark and its cut back, changed blocks written in file order,
// and whole stores read at open in large sequential reads.
#include <algorithm>
#include <cstring>

#include "store/file_ops.h"
#include "store/flags.h"
#include "store/results.h"
#include "store/store_directory.h"
#include "store/store_internal.h"
#include "store/store_records.h"
#include "store/store_space.h"

const StoreFileCalls kSystemFileCalls = {_llseek, _lread, _lwrite, SetFileSize};
StoreFileCalls g_storeFileCalls = kSystemFileCalls;

namespace {

// Growth ahead of the end mark: an eighth of the store, at least this much.
constexpr std::int64_t kMinGrowthStep = 64 * 1024;
// Neighbouring blocks are joined into writes of at most this many bytes.
constexpr std::int64_t kJoinedWriteLimit = 1024 * 1024;
// A store up to this size is read whole at open; a larger one has its index pages read.
constexpr std::int64_t kReadBudget = 16 * 1024 * 1024;
// Large reads go in pieces of this size.
constexpr UINT kBulkPiece = 1024 * 1024;

// An index page read from the file must hold exactly its count of entries, at most 4500.
int ValidateIndexPage(BYTE* data, std::int64_t size)
{
    if (size < kIndexPageHeaderSize) {
        return StoreSizeMismatch;
    }
    int count = PageOf(data)->count;
    if (count < 0 || count > kMaxPageEntries || IndexPageSize(count) != size) {
        return StoreSizeMismatch;
    }
    return 0;
}

// The free-space page read from the file: its size must match its capacity, its count fit
// the capacity, and every extent lie after the page itself and below the end mark, so that
// no allocation can hand out the descriptor, the page or space past the store.
int ValidateFreeSpacePage(BYTE* data, std::int64_t size, int shift)
{
    if (size < kFreeSpaceHeaderSize) {
        return StoreSizeMismatch;
    }
    FreeSpacePage* page = FreePageOf(data);
    if (page->capacity < 0 || FreeSpacePageSize(page->capacity) != size || page->count < 0 ||
        page->count > page->capacity || page->lostBytes < 0) {
        return StoreSizeMismatch;
    }
    std::int64_t first = page->header.offset + RoundUpToUnit(size, shift);
    std::int64_t end = page->endMark;
    if (end < first) {
        return StoreSizeMismatch;
    }
    const FreeExtent* lists[2] = {SizeList(data), OffsetList(data)};
    for (const FreeExtent* list : lists) {
        for (int i = 0; i < page->count; ++i) {
            std::int64_t offset = list[i].offset;
            std::int64_t length = list[i].size;
            if (length <= 0 || offset < first || offset + length > end) {
                return StoreSizeMismatch;
            }
        }
    }
    return 0;
}

// The key the block named by `entry` must carry: the top entries of the descriptor name their
// pages by their places, every other entry by its key.
int ExpectedKey(int slot, const StoreIndexEntry* entry)
{
    StoreDescriptor* d = StoreImage(slot);
    if (entry == &d->mainRoot) {
        return KEY_MAIN_ROOT;
    }
    if (entry == &d->backupRoot) {
        return KEY_BACKUP_ROOT;
    }
    if (entry == &d->freeSpace) {
        return KEY_FREE_SPACE;
    }
    return entry->key;
}

// The entry comes from the file: its key, size and place are checked against the file before
// any memory is taken for it.
int CheckEntryPlace(int slot, const StoreIndexEntry* entry)
{
    StoreDescriptor* d = StoreImage(slot);
    std::int64_t offset = entry->offset;
    std::int64_t size = entry->size;
    if (entry->key != ExpectedKey(slot, entry)) {
        return StoreEntryMissing;  // a descriptor whose top entries are not keyed -1, -2, -3
    }
    if (size < kBlockHeaderSize) {
        return StoreBlockTooSmall;
    }
    if (offset < FirstBlockOffset(slot)) {
        return StoreOffsetMismatch;
    }
    std::int64_t fileLength = 0;
    if (int result = StoreFileLength(slot, d->baseOffset + offset + size, &fileLength)) {
        return result;
    }
    if (d->baseOffset + offset >= fileLength) {
        return StoreOffsetMismatch;
    }
    if (d->baseOffset + offset + size > fileLength) {
        return StoreSizeMismatch;
    }
    return 0;
}

// The bytes read for an entry: the header must name the entry's place, size, parent and key,
// and pages must be whole. Then the runtime fields are set: the slot, the flags (an absent-
// marker only counts in the backup tree) and, for an index page, no child loaded.
int AcceptBlockImage(int slot, const StoreIndexEntry* entry, BYTE* data, int parentKey, int treeKey)
{
    BlockHeader* header = HeaderOf(data);
    bool freePage = entry == &StoreImage(slot)->freeSpace;
    if (header->offset != entry->offset) {
        return StoreOffsetMismatch;
    }
    if (header->size != entry->size) {
        return StoreSizeMismatch;
    }
    if (header->parentKey != parentKey) {
        return StoreParentMismatch;
    }
    if (header->key != ExpectedKey(slot, entry)) {
        return StoreEntryMissing;
    }
    if (freePage) {
        if (int result = ValidateFreeSpacePage(data, entry->size, StoreImage(slot)->shift)) {
            return result;
        }
    } else if (parentKey < 0) {
        if (int result = ValidateIndexPage(data, entry->size)) {
            return result;
        }
    }
    header->slot = static_cast<std::int16_t>(slot);
    header->flags = treeKey == KEY_BACKUP_ROOT ? static_cast<WORD>(header->flags & BLOCK_ABSENT) : WORD{0};
    if (parentKey < 0 && !freePage) {
        // Handle fields in the file mean nothing; a page starts with no child loaded.
        StoreIndexEntry* entries = PageEntries(data);
        for (int i = 0; i < PageOf(data)->count; ++i) {
            entries[i].cachedBlock = 0;
        }
    }
    return 0;
}

// ---- Writing changed blocks.

// One changed block waiting to be written, and the tree its error is reported for.
struct PendingWrite {
    HGLOBAL block;
    std::int64_t offset;
    std::int64_t size;
    int tree;   // 0 free-space page, 1 main tree, 2 backup tree
    bool page;  // an index page
};

// A growable list of plain records in a movable block, locked while its items are used.
template <typename Item>
class MovableList {
public:
    MovableList() = default;
    MovableList(const MovableList&) = delete;
    MovableList& operator=(const MovableList&) = delete;
    ~MovableList() { GlobalFree(memory_); }
    bool Add(const Item& item)
    {
        SIZE_T needed = (count_ + 1) * sizeof(Item);
        if (!memory_ || GlobalSize(memory_) < needed) {
            SIZE_T bytes = needed < 4096 ? 4096 : needed * 2;
            HGLOBAL grown = memory_ ? GlobalReAlloc(memory_, bytes, GMEM_MOVEABLE) : GlobalAlloc(GMEM_MOVEABLE, bytes);
            if (!grown) {
                return false;
            }
            memory_ = grown;
        }
        BlockLock lock(memory_);
        if (!lock) {
            return false;
        }
        reinterpret_cast<Item*>(lock.get())[count_++] = item;
        return true;
    }
    HGLOBAL memory() const { return count_ ? memory_ : nullptr; }
    std::size_t count() const { return count_; }

private:
    HGLOBAL memory_ = nullptr;
    std::size_t count_ = 0;
};
using WriteList = MovableList<PendingWrite>;

void Remember(int* results, int tree, int result)
{
    if (result) {
        results[tree] = result;
    }
}

// Collects the changed blocks of a subtree (children listed after their page). With release
// every page is marked changed first: its cached-block fields are about to be cleared. A
// block that cannot be written as it is (too small, a header larger than its memory) has its
// error reported and stays changed; a block of another slot goes through FlushBlock as it
// always did; a block of a read-only store only loses its changed flag.
void CollectChanged(int slot, const StoreIndexEntry* entry, int depth, BOOL release, int tree, WriteList* list,
                    int* results)
{
    HGLOBAL block = FieldToHandle(entry->cachedBlock);
    if (!block || entry->size == 0 || IsHandleDiscarded(block)) {
        return;
    }
    SIZE_T memory = GlobalSize(block);
    if (memory == 0) {
        return;
    }
    if (memory < static_cast<SIZE_T>(kBlockHeaderSize)) {
        Remember(results, tree, StoreBlockTooSmall);
        return;
    }
    BlockLock lock(block);
    if (!lock) {
        Remember(results, tree, ErrOutOfMemory);
        return;
    }
    BlockHeader* header = HeaderOf(lock.get());
    if (depth > 0 && release) {
        SetFlagBits16(HeaderFlags(header), BLOCK_CHANGED, TRUE);
    }
    if (header->flags & BLOCK_CHANGED) {
        if (header->slot != slot) {
            Remember(results, tree, FlushBlock(block));
        } else if (StoreHasFlag(slot, STORE_READ_ONLY)) {
            SetFlagBits16(HeaderFlags(header), BLOCK_CHANGED, FALSE);
        } else if (header->size < kBlockHeaderSize) {
            Remember(results, tree, StoreBlockTooSmall);
        } else if (static_cast<SIZE_T>(header->size) > memory) {
            Remember(results, tree, StoreMemoryTooSmall);
        } else if (!list->Add({block, header->offset, header->size, tree, depth > 0})) {
            Remember(results, tree, ErrOutOfMemory);
        }
    }
    if (depth > 0) {
        int count = PageEntryCount(block, lock.get());
        for (int i = 0; i < count; ++i) {
            CollectChanged(slot, &PageEntries(lock.get())[i], depth - 1, release, tree, list, results);
        }
    }
}

}  // namespace

namespace {

// The last of the blocks that can join writes[first] in one write: each starts where the one
// before ends (its rounded size), and the whole stays within the limit.
std::size_t RunEnd(const PendingWrite* writes, std::size_t count, std::size_t first, int shift)
{
    std::size_t last = first;
    std::int64_t end = writes[first].offset + RoundUpToUnit(writes[first].size, shift);
    while (last + 1 < count && writes[last + 1].offset == end &&
           writes[last + 1].offset + writes[last + 1].size - writes[first].offset <= kJoinedWriteLimit) {
        ++last;
        end = writes[last].offset + RoundUpToUnit(writes[last].size, shift);
    }
    return last;
}

// Writes writes[first..last] with one seek and one write, through the buffer when there is one:
// the blocks at their places, the tails of their last units zero, and with release the
// cached-block fields of index pages cleared. Without a buffer the run is a single block,
// written from its own memory.
int WriteRun(int slot, const PendingWrite* writes, std::size_t first, std::size_t last, BYTE* buffer, BOOL release)
{
    StoreDescriptor* d = StoreImage(slot);
    std::int64_t start = writes[first].offset;
    std::int64_t length = writes[last].offset + writes[last].size - start;
    if (!buffer) {
        BlockLock lock(writes[first].block);
        if (!lock) {
            return ErrOutOfMemory;
        }
        if (int result = SeekTo(StoreFile(slot), d->baseOffset + start)) {
            return result;
        }
        return WritePieces(StoreFile(slot), lock.get(), writes[first].size);
    }
    for (std::size_t i = first; i <= last; ++i) {
        BlockLock lock(writes[i].block);
        if (!lock) {
            return ErrOutOfMemory;
        }
        BYTE* at = buffer + (writes[i].offset - start);
        std::memcpy(at, lock.get(), static_cast<std::size_t>(writes[i].size));
        if (i < last) {
            std::int64_t tail = RoundUpToUnit(writes[i].size, d->shift) - writes[i].size;
            std::memset(at + writes[i].size, 0, static_cast<std::size_t>(tail));
        }
        if (writes[i].page && release) {
            int count = PageOf(at)->count;
            int room = static_cast<int>((writes[i].size - kIndexPageHeaderSize) / sizeof(StoreIndexEntry));
            for (int k = 0; k < count && k < room; ++k) {
                PageEntries(at)[k].cachedBlock = 0;
            }
        }
    }
    if (int result = SeekTo(StoreFile(slot), d->baseOffset + start)) {
        return result;
    }
    return WritePieces(StoreFile(slot), buffer, length);
}

// After a flush with release: frees every block below an entry that reached the file. A block
// still changed (its write failed) stays loaded, and so do the pages that lead to it.
void FreeWrittenTree(StoreIndexEntry* entry, int depth)
{
    HGLOBAL block = FieldToHandle(entry->cachedBlock);
    if (!block || entry->size == 0) {
        return;
    }
    bool keep = false;
    if (!IsHandleDiscarded(block)) {
        BlockLock lock(block);
        if (!lock) {
            return;
        }
        if (depth > 0) {
            int count = PageEntryCount(block, lock.get());
            for (int i = 0; i < count; ++i) {
                StoreIndexEntry* child = &PageEntries(lock.get())[i];
                FreeWrittenTree(child, depth - 1);
                keep = keep || child->cachedBlock != 0;
            }
        }
        keep = keep || (GlobalSize(block) >= static_cast<SIZE_T>(kBlockHeaderSize) &&
                        (HeaderOf(lock.get())->flags & BLOCK_CHANGED) != 0);
    }
    if (!keep) {
        GlobalFree(block);
        entry->cachedBlock = 0;
    }
}

// One block to read at open, and what its read is checked against.
struct PrefetchItem {
    StoreIndexEntry* entry;  // inside a page that stays locked while the items are read
    int parentKey;
    int treeKey;
};

// Takes the block an entry names from bytes of the file read at `imageStart`, checked as a
// read from the file is; nothing is loaded when it does not pass.
void AdoptFromImage(int slot, const PrefetchItem& item, const BYTE* image, std::int64_t imageStart)
{
    StoreIndexEntry* entry = item.entry;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(entry->size));
    if (!block) {
        return;
    }
    int result;
    {
        BlockLock lock(block);
        result = lock ? 0 : ErrOutOfMemory;
        if (!result) {
            std::int64_t at = StoreImage(slot)->baseOffset + entry->offset - imageStart;
            std::memcpy(lock.get(), image + at, static_cast<std::size_t>(entry->size));
            result = AcceptBlockImage(slot, entry, lock.get(), item.parentKey, item.treeKey);
        }
    }
    if (result) {
        GlobalFree(block);
        return;
    }
    entry->cachedBlock = HandleToField(block);
}

// Loads the blocks of the list in file order, in reads of up to a piece that each take in the
// neighbouring blocks (and what lies between them). A block larger than a piece is read on
// its own. A block whose entry or bytes do not pass the checks stays unloaded.
void LoadInFileOrder(int slot, MovableList<PrefetchItem>* list, HGLOBAL buffer)
{
    BlockLock listLock(list->memory());
    BlockLock bufferLock(buffer);
    if (!listLock || !bufferLock) {
        return;
    }
    PrefetchItem* items = reinterpret_cast<PrefetchItem*>(listLock.get());
    // Only blocks not loaded yet whose entries name a place inside the file.
    std::size_t count = 0;
    for (std::size_t i = 0; i < list->count(); ++i) {
        if (!items[i].entry->cachedBlock && CheckEntryPlace(slot, items[i].entry) == 0) {
            items[count++] = items[i];
        }
    }
    std::sort(items, items + count,
              [](const PrefetchItem& a, const PrefetchItem& b) { return a.entry->offset < b.entry->offset; });
    std::int64_t base = StoreImage(slot)->baseOffset;
    std::int64_t room = static_cast<std::int64_t>(GlobalSize(buffer));
    std::size_t i = 0;
    while (i < count) {
        const StoreIndexEntry* first = items[i].entry;
        if (first->size > room) {
            ReadBlockFromFile(items[i].entry, slot, items[i].parentKey, items[i].treeKey);
            ++i;
            continue;
        }
        std::size_t last = i;
        std::int64_t end = first->offset + first->size;
        while (last + 1 < count && items[last + 1].entry->offset + static_cast<std::int64_t>(items[last + 1].entry->size) -
                                               first->offset <= room) {
            ++last;
            end = std::max<std::int64_t>(end, items[last].entry->offset + static_cast<std::int64_t>(items[last].entry->size));
        }
        std::int64_t start = base + first->offset;
        bool read = SeekTo(StoreFile(slot), start) == 0 &&
                    g_storeFileCalls.read(StoreFile(slot), bufferLock.get(), static_cast<UINT>(end - first->offset)) ==
                        static_cast<UINT>(end - first->offset);
        for (std::size_t k = i; read && k <= last; ++k) {
            if (!items[k].entry->cachedBlock) {
                AdoptFromImage(slot, items[k], bufferLock.get(), start);
            }
        }
        i = last + 1;
    }
}

}  // namespace

// ---- Reading and writing pieces.

int SeekTo(HFILE file, std::int64_t position)
{
    if (position < 0 || position > 0x7FFFFFFF) {
        return ErrFileIO;
    }
    return g_storeFileCalls.seek(file, static_cast<LONG>(position), FILE_BEGIN) == HFILE_ERROR ? ErrFileIO : 0;
}

int ReadPieces(HFILE file, BYTE* data, std::int64_t size)
{
    while (size > 0) {
        UINT piece = size > 65500 ? 32768u : static_cast<UINT>(size);
        if (g_storeFileCalls.read(file, data, piece) != piece) {
            return ErrFileIO;
        }
        data += piece;
        size -= piece;
    }
    return 0;
}

int WritePieces(HFILE file, const BYTE* data, std::int64_t size)
{
    while (size > 0) {
        UINT piece = size > 65500 ? 32768u : static_cast<UINT>(size);
        if (g_storeFileCalls.write(file, reinterpret_cast<LPCCH>(data), piece) != piece) {
            return ErrFileIO;
        }
        data += piece;
        size -= piece;
    }
    return 0;
}

// ---- The file's length.

int SetStoreFileLength(int slot, std::int64_t length)
{
    if (length < 0 || length > 0x7FFFFFFF) {
        return ErrFilePosition;
    }
    int result = g_storeFileCalls.setSize(StoreFile(slot), static_cast<LONG>(length));
    if (!result) {
        RuntimeOf(slot)->fileLength = static_cast<std::int32_t>(length);
    }
    return result;
}

int StoreFileLength(int slot, std::int64_t atLeast, std::int64_t* length)
{
    StoreRuntime* runtime = RuntimeOf(slot);
    if (atLeast > runtime->fileLength) {
        // Someone else may have made the file longer since: ask the system again.
        LONG measured = 0;
        int result = GetFileLength(runtime->file, &measured);
        if (result) {
            return result;
        }
        runtime->fileLength = measured;
    }
    *length = runtime->fileLength;
    return 0;
}

int GrowStoreFile(int slot, std::int64_t length)
{
    StoreRuntime* runtime = RuntimeOf(slot);
    if (runtime->grownAhead && length <= runtime->fileLength) {
        return 0;
    }
    StoreDescriptor* d = StoreImage(slot);
    if (!(d->flags & STORE_WRITE_THROUGH)) {
        // Setting the length is a costly call on some systems: the file grows an eighth of the
        // store ahead, at least 64 KB, and is cut back to the end mark when the store is flushed.
        std::int64_t used = length - d->baseOffset;
        std::int64_t ahead = d->baseOffset + RoundUpToUnit(used + std::max(used / 8, kMinGrowthStep), d->shift);
        if (ahead <= 0x7FFFFFFF && SetStoreFileLength(slot, ahead) == 0) {
            runtime->grownAhead = 1;
            return 0;
        }
    }
    // Write-through keeps the file exactly as long as the store; and a step the system refuses
    // may still leave room for what is needed now.
    int result = SetStoreFileLength(slot, length);
    if (!result) {
        runtime->grownAhead = 0;
    }
    return result;
}

int TrimStoreFile(int slot, bool always)
{
    StoreRuntime* runtime = RuntimeOf(slot);
    if ((!always && !runtime->grownAhead) || StoreHasFlag(slot, STORE_READ_ONLY)) {
        return 0;
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
    StoreDescriptor* d = StoreImage(slot);
    std::int64_t end = static_cast<std::int64_t>(d->baseOffset) + fp->endMark;
    runtime->grownAhead = 0;
    if (SetStoreFileLength(slot, end) == 0) {
        return 0;
    }
    // The system refused to cut the file: the store takes the tail in, as space lost until the
    // next compaction, so that the file still holds the store and nothing else.
    LONG length = 0;
    if (int result = GetFileLength(StoreFile(slot), &length)) {
        return result;
    }
    runtime->fileLength = length;
    std::int64_t unit = std::int64_t{1} << d->shift;
    std::int64_t tail = (length - end) / unit * unit;
    if (tail > 0) {
        fp->endMark = static_cast<std::int32_t>(fp->endMark + tail);
        fp->lostBytes = static_cast<std::int32_t>(fp->lostBytes + tail);
        SetFlagBits16(HeaderFlags(&fp->header), BLOCK_CHANGED, TRUE);
    }
    return 0;
}

// ---- Reading one block.

int ReadBlockFromFile(StoreIndexEntry* entry, int slot, int parentKey, int treeKey)
{
    StoreDescriptor* d = StoreImage(slot);
    if (d->flags & STORE_MEMORY_ONLY) {
        return StoreMemoryOnly;
    }
    HGLOBAL block = FieldToHandle(entry->cachedBlock);
    std::int64_t size = entry->size;
    int result = CheckEntryPlace(slot, entry);
    if (!result) {
        if (block) {
            NoteBlockRereading(block);
            HGLOBAL resized = GlobalReAlloc(block, static_cast<SIZE_T>(size), GMEM_MOVEABLE);
            if (resized) {
                block = resized;
            } else {
                result = ErrOutOfMemory;
            }
        } else {
            block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size));
            if (!block) {
                return ErrOutOfMemory;
            }
        }
    }
    if (!result) {
        BlockLock lock(block);
        if (!lock) {
            result = ErrOutOfMemory;
        } else if ((result = SeekTo(StoreFile(slot), d->baseOffset + static_cast<std::int64_t>(entry->offset))) == 0 &&
                   (result = ReadPieces(StoreFile(slot), lock.get(), size)) == 0) {
            result = AcceptBlockImage(slot, entry, lock.get(), parentKey, treeKey);
        }
    }
    if (result) {
        if (block) {
            NoteBlockRereadFailed(block);
            GlobalFree(block);
        }
        entry->cachedBlock = 0;
        return result;
    }
    entry->cachedBlock = HandleToField(block);
    return 0;
}

// ---- Writing.

int FlushBlock(HGLOBAL block)
{
    if (!block || IsHandleDiscarded(block)) {
        return 0;
    }
    SIZE_T memory = GlobalSize(block);
    if (memory == 0) {
        return 0;
    }
    if (memory < kBlockHeaderSize) {
        return StoreBlockTooSmall;
    }
    BlockLock lock(block);
    if (!lock) {
        return ErrOutOfMemory;
    }
    BlockHeader* header = HeaderOf(lock.get());
    if (!(header->flags & BLOCK_CHANGED)) {
        return 0;
    }
    int slot = header->slot;
    if (CheckStoreSlot(slot) == 0 && StoreHasFlag(slot, STORE_READ_ONLY)) {
        SetFlagBits16(HeaderFlags(header), BLOCK_CHANGED, FALSE);
        return 0;
    }
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    if (header->size < kBlockHeaderSize) {
        return StoreBlockTooSmall;
    }
    if (static_cast<SIZE_T>(header->size) > memory) {
        return StoreMemoryTooSmall;
    }
    if (int result = SeekTo(StoreFile(slot), static_cast<std::int64_t>(StoreImage(slot)->baseOffset) + header->offset)) {
        return result;
    }
    if (int result = WritePieces(StoreFile(slot), lock.get(), header->size)) {
        return result;  // the block stays changed, so a later flush tries again
    }
    SetFlagBits16(HeaderFlags(header), BLOCK_CHANGED, FALSE);
    return 0;
}

void WriteChangedBlocks(int slot, BOOL release, int* freeResult, int* mainResult, int* backupResult)
{
    int results[3] = {0, 0, 0};
    StoreDescriptor* d = StoreImage(slot);
    {
        WriteList list;
        CollectChanged(slot, &d->freeSpace, 0, release, 0, &list, results);
        CollectChanged(slot, &d->mainRoot, 2, release, 1, &list, results);
        CollectChanged(slot, &d->backupRoot, 2, release, 2, &list, results);
        BlockLock lock(list.count() ? list.memory() : nullptr);
        PendingWrite* writes = reinterpret_cast<PendingWrite*>(lock.get());
        std::size_t count = lock ? list.count() : 0;
        if (list.count() && !lock) {
            results[0] = results[1] = results[2] = ErrOutOfMemory;
        }
        std::sort(writes, writes + count, [](const PendingWrite& a, const PendingWrite& b) { return a.offset < b.offset; });
        // One buffer serves every run that fits the limit; a run too long for it is a single
        // block, written from its own memory.
        std::int64_t bufferSize = 0;
        for (std::size_t first = 0; first < count;) {
            std::size_t last = RunEnd(writes, count, first, d->shift);
            std::int64_t length = writes[last].offset + writes[last].size - writes[first].offset;
            if (length <= kJoinedWriteLimit && length > bufferSize) {
                bufferSize = length;
            }
            first = last + 1;
        }
        HGLOBAL buffer = bufferSize ? GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(bufferSize)) : nullptr;
        BlockLock bufferLock(buffer);
        for (std::size_t first = 0; first < count;) {
            // Without a buffer every block is a run of its own.
            std::size_t last = bufferLock ? RunEnd(writes, count, first, d->shift) : first;
            std::int64_t length = writes[last].offset + writes[last].size - writes[first].offset;
            int result = WriteRun(slot, writes, first, last, length <= bufferSize ? bufferLock.get() : nullptr, release);
            for (std::size_t i = first; i <= last; ++i) {
                if (result) {
                    Remember(results, writes[i].tree, result);  // the block stays changed
                } else {
                    SetBlockFlags(writes[i].block, BLOCK_CHANGED, FALSE);
                }
            }
            first = last + 1;
        }
        bufferLock.Unlock();
        GlobalFree(buffer);
    }
    if (release) {
        FreeWrittenTree(&d->freeSpace, 0);
        FreeWrittenTree(&d->mainRoot, 2);
        FreeWrittenTree(&d->backupRoot, 2);
    }
    *freeResult = results[0];
    *mainResult = results[1];
    *backupResult = results[2];
}

// ---- Reading a whole store at open.

void PrefetchStore(int slot)
{
    StoreDescriptor* d = StoreImage(slot);
    if (d->flags & STORE_MEMORY_ONLY) {
        return;
    }
    std::int64_t fileLength = RuntimeOf(slot)->fileLength;
    HGLOBAL buffer = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(std::min<std::int64_t>(kBulkPiece, fileLength)));
    if (!buffer) {
        return;
    }
    ReadBlockFromFile(&d->backupRoot, slot, KEY_TOP, KEY_TOP);
    // The type pages of both trees, then, for a store within the budget, every record. The
    // pages whose entries are listed stay locked until their blocks are read.
    HGLOBAL roots[2] = {FieldToHandle(d->mainRoot.cachedBlock), FieldToHandle(d->backupRoot.cachedBlock)};
    BlockLock rootLocks[2] = {BlockLock(roots[0]), BlockLock(roots[1])};
    MovableList<PrefetchItem> pages;
    for (int r = 0; r < 2; ++r) {
        int rootKey = r == 0 ? KEY_MAIN_ROOT : KEY_BACKUP_ROOT;
        int count = rootLocks[r] ? PageEntryCount(roots[r], rootLocks[r].get()) : 0;
        for (int i = 0; i < count; ++i) {
            pages.Add({&PageEntries(rootLocks[r].get())[i], rootKey, rootKey});
        }
    }
    LoadInFileOrder(slot, &pages, buffer);
    if (fileLength - d->baseOffset <= kReadBudget) {
        MovableList<PrefetchItem> records;
        MovableList<HGLOBAL> locked;
        {
            BlockLock listLock(pages.memory());
            const PrefetchItem* items = reinterpret_cast<const PrefetchItem*>(listLock.get());
            for (std::size_t i = 0; listLock && i < pages.count(); ++i) {
                HGLOBAL page = FieldToHandle(items[i].entry->cachedBlock);
                BYTE* data = page ? static_cast<BYTE*>(GlobalLock(page)) : nullptr;
                if (!data || !locked.Add(page)) {
                    if (data) {
                        GlobalUnlock(page);
                    }
                    continue;
                }
                int count = PageEntryCount(page, data);
                for (int k = 0; k < count; ++k) {
                    records.Add({&PageEntries(data)[k], HeaderOf(data)->key, items[i].treeKey});
                }
            }
        }
        LoadInFileOrder(slot, &records, buffer);
        BlockLock lockedLock(locked.memory());
        for (std::size_t i = 0; lockedLock && i < locked.count(); ++i) {
            GlobalUnlock(reinterpret_cast<HGLOBAL*>(lockedLock.get())[i]);
        }
    }
    rootLocks[0].Unlock();
    rootLocks[1].Unlock();
    GlobalFree(buffer);
}
