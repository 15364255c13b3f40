// The store directory and the life of a store: formatting, opening, flushing and closing, and
// the read and write paths of single blocks.
#include "store/store_directory.h"

#include <cstring>

#include "store/file_ops.h"
#include "store/flags.h"
#include "store/results.h"
#include "store/store_internal.h"
#include "store/store_records.h"
#include "store/store_space.h"

namespace {

HGLOBAL g_directory = nullptr;
BYTE* g_directoryData = nullptr;        // locked from start-up to shut-down
StoreRuntime* g_runtimes = nullptr;     // inside it, after the images

int SlotCount()
{
    if (!g_directoryData) {
        return 0;
    }
    return reinterpret_cast<const BlockStoreDirectory*>(g_directoryData)->slotCount;
}

StoreRuntime* Runtime(int slot)
{
    return g_runtimes + slot;
}

int FindFreeSlot()
{
    for (int slot = 0; slot < SlotCount(); ++slot) {
        if (StoreImage(slot)->flags == 0) {
            return slot;
        }
    }
    return -1;
}

void ClearSlot(int slot)
{
    std::memset(StoreImage(slot), 0, sizeof(StoreDescriptor));
    Runtime(slot)->file = -1;
    Runtime(slot)->fileLength = 0;
    Runtime(slot)->grownAhead = 0;
}

// Frees every loaded block below an entry without writing it (a close after a failed flush).
void DropIndexTree(StoreIndexEntry* entry, int depth)
{
    HGLOBAL block = FieldToHandle(entry->cachedBlock);
    if (!block) {
        return;
    }
    if (depth > 0 && !IsHandleDiscarded(block)) {
        BlockLock lock(block);
        if (lock) {
            int count = PageEntryCount(block, lock.get());
            for (int i = 0; i < count; ++i) {
                DropIndexTree(&PageEntries(lock.get())[i], depth - 1);
            }
        }
    }
    GlobalFree(block);
    entry->cachedBlock = 0;
}

// Opening by path or on a caller's file (OpenStoreFile, OpenStoreAt).
int OpenStore(LPCSTR path, HFILE file, int* slot, LONG base, int* versionMark, BOOL readOnly)
{
    int free = FindFreeSlot();
    *slot = free;
    if (free < 0) {
        return StoreDirectoryFull;
    }
    bool ownFile = path != nullptr;
    if (ownFile) {
        OFSTRUCT of;
        file = OpenFileMode(path, &of, readOnly ? OF_READ : OF_READWRITE);
        if (file == HFILE_ERROR) {
            return ErrFileIO;
        }
    }
    StoreDescriptor image;
    int result = SeekTo(file, base);
    if (!result) {
        // A file that ends before a whole descriptor (an empty file, a short text) is not a
        // store; only a read the system refuses is a failure of the file.
        const UINT got = g_storeFileCalls.read(file, &image, kDescriptorSize);
        if (got == static_cast<UINT>(HFILE_ERROR)) {
            result = ErrFileIO;
        } else if (got != static_cast<UINT>(kDescriptorSize)) {
            result = StoreNotAStore;
        }
    }
    if (!result) {
        if (image.formatMark != kFormatMark) {
            result = StoreNotAStore;
        } else if (image.baseOffset != base) {
            result = StoreBaseMismatch;
        } else if (image.versionMark != kVersionMark) {
            result = StoreNotAStore;
        } else if (image.shift < 0 || image.shift > kMaxShift) {
            result = StoreBadShiftOrLength;  // the code formatting gives for such a shift
        }
    }
    if (!result) {
        StoreDescriptor* d = StoreImage(free);
        *d = image;
        *versionMark = image.versionMark;
        d->flags = static_cast<WORD>(STORE_OPEN | (image.flags & STORE_CHECKPOINT) | (readOnly ? STORE_READ_ONLY : 0));
        d->fileHandle = static_cast<std::int16_t>(file);
        d->mainRoot.cachedBlock = 0;
        d->backupRoot.cachedBlock = 0;
        d->freeSpace.cachedBlock = 0;
        Runtime(free)->file = file;
        LONG length = 0;
        result = GetFileLength(file, &length);
        Runtime(free)->fileLength = length;
        Runtime(free)->grownAhead = 0;
        if (!result) {
            result = ReadBlockFromFile(&d->freeSpace, free, KEY_TOP, KEY_TOP);
        }
        if (!result) {
            result = ReadBlockFromFile(&d->mainRoot, free, KEY_TOP, KEY_TOP);
        }
        if (!result) {
            PrefetchStore(free);
        } else {
            // A failed open leaves no trace.
            GlobalFree(FieldToHandle(d->freeSpace.cachedBlock));
            GlobalFree(FieldToHandle(d->mainRoot.cachedBlock));
            ClearSlot(free);
        }
    }
    if (result && ownFile) {
        _lclose(file);
    }
    return result;
}

}  // namespace

// ---- Directory access for the other store files.

StoreDescriptor* StoreImage(int slot)
{
    return &reinterpret_cast<BlockStoreDirectory*>(g_directoryData)->images[0] + slot;
}

HFILE StoreFile(int slot)
{
    return Runtime(slot)->file;
}

StoreRuntime* RuntimeOf(int slot)
{
    return Runtime(slot);
}

void SetStoreFlag(int slot, WORD flag, BOOL on)
{
    SetFlagBits16(DescriptorFlags(StoreImage(slot)), flag, on);
}

std::int64_t FirstBlockOffset(int slot)
{
    return RoundUpToUnit(kDescriptorSize, StoreImage(slot)->shift);
}

// ---- The directory.

int AllocBlockStoreDirectory(int count)
{
    if (g_directory) {
        FreeBlockStoreDirectory();
    }
    if (count < 0 || count > 32767) {
        count = 0;
    }
    SIZE_T bytes = 2 + static_cast<SIZE_T>(count) * (kDescriptorSize + sizeof(StoreRuntime));
    HGLOBAL directory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (int result = CheckAlloc(directory)) {
        return result;
    }
    BYTE* data = static_cast<BYTE*>(GlobalLock(directory));
    if (!data) {
        GlobalFree(directory);
        return ErrOutOfMemory;
    }
    g_directory = directory;
    g_directoryData = data;
    g_runtimes = reinterpret_cast<StoreRuntime*>(data + 2 + static_cast<std::size_t>(count) * kDescriptorSize);
    return 0;
}

int InitBlockStoreDirectory(int count)
{
    if (int result = AllocBlockStoreDirectory(count)) {
        return result;
    }
    std::int16_t slots = static_cast<std::int16_t>(count < 0 || count > 32767 ? 0 : count);
    std::memcpy(g_directoryData, &slots, sizeof slots);
    for (int slot = 0; slot < slots; ++slot) {
        ClearSlot(slot);  // flags 0: free; cached-block fields 0
    }
    return 0;
}

void FreeBlockStoreDirectory()
{
    if (g_directory) {
        GlobalUnlock(g_directory);
        GlobalFree(g_directory);
    }
    g_directory = nullptr;
    g_directoryData = nullptr;
    g_runtimes = nullptr;
}

int CheckStoreSlot(int slot)
{
    if (slot < 0 || slot >= SlotCount()) {
        return StoreSlotOutOfRange;
    }
    if (!(StoreImage(slot)->flags & STORE_OPEN)) {
        return StoreSlotNotOpen;
    }
    return 0;
}

// ---- Formatting and opening.

int FormatStore(HFILE file, LONG base, int shift, int capacity)
{
    if (shift < 0 || shift > kMaxShift || capacity < 0 || capacity > kEntryCapacityTotal) {
        return StoreBadShiftOrLength;
    }
    std::int64_t pageSize = FreeSpacePageSize(capacity);
    HGLOBAL buffer = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(pageSize));
    if (int result = CheckAlloc(buffer)) {
        return result;
    }
    BlockLock lock(buffer);
    if (!lock) {
        GlobalFree(buffer);
        return ErrOutOfMemory;
    }
    std::int64_t freeAt = RoundUpToUnit(kDescriptorSize, shift);
    std::int64_t mainAt = RoundUpToUnit(freeAt + pageSize, shift);
    std::int64_t backupAt = RoundUpToUnit(mainAt + kIndexPageHeaderSize, shift);
    std::int64_t endMark = RoundUpToUnit(backupAt + kIndexPageHeaderSize, shift);

    StoreDescriptor d;
    std::memset(&d, 0, sizeof d);
    d.formatMark = kFormatMark;
    d.versionMark = kVersionMark;
    d.baseOffset = base;
    d.shift = static_cast<std::int16_t>(shift);
    d.entryCapacity = static_cast<std::int16_t>(kEntryCapacityTotal - capacity);
    d.mainRoot = {KEY_MAIN_ROOT, static_cast<std::int32_t>(mainAt), kIndexPageHeaderSize, 0};
    d.backupRoot = {KEY_BACKUP_ROOT, static_cast<std::int32_t>(backupAt), kIndexPageHeaderSize, 0};
    d.freeSpace = {KEY_FREE_SPACE, static_cast<std::int32_t>(freeAt), static_cast<std::int32_t>(pageSize), 0};

    BYTE* page = lock.get();
    FreeSpacePage* fp = FreePageOf(page);
    fp->header = {KEY_FREE_SPACE, KEY_TOP, 0, static_cast<std::int32_t>(freeAt), static_cast<std::int32_t>(pageSize), 0};
    fp->capacity = static_cast<std::int16_t>(capacity);
    fp->endMark = static_cast<std::int32_t>(endMark);

    // The file gets its full length before anything is written.
    int result = g_storeFileCalls.setSize(file, static_cast<LONG>(base + endMark));
    if (!result && (result = SeekTo(file, base)) == 0) {
        result = WritePieces(file, reinterpret_cast<BYTE*>(&d), kDescriptorSize);
    }
    if (!result && (result = SeekTo(file, base + freeAt)) == 0) {
        result = WritePieces(file, page, pageSize);
    }
    // The two empty roots reuse the first 18 bytes of the buffer.
    StoreIndexPage* root = PageOf(page);
    const std::int64_t roots[2][2] = {{KEY_MAIN_ROOT, mainAt}, {KEY_BACKUP_ROOT, backupAt}};
    for (const auto& r : roots) {
        if (result) {
            break;
        }
        root->header = {static_cast<std::int16_t>(r[0]), KEY_TOP, 0, static_cast<std::int32_t>(r[1]), kIndexPageHeaderSize, 0};
        root->count = 0;
        if ((result = SeekTo(file, base + r[1])) == 0) {
            result = WritePieces(file, page, kIndexPageHeaderSize);
        }
    }
    if (result) {
        g_storeFileCalls.setSize(file, base);
    }
    lock.Unlock();
    GlobalFree(buffer);
    return result;
}

int CreateStoreFile(LPCSTR path, LONG base, int shift, int capacity)
{
    OFSTRUCT of;
    HFILE file = OpenFileMode(path, &of, OF_CREATE | OF_SHARE_DENY_WRITE | OF_READWRITE);
    if (file == HFILE_ERROR) {
        return ErrFileIO;
    }
    int result = FormatStore(file, base, shift, capacity);
    _lclose(file);
    if (result) {
        OpenFileMode(path, &of, OF_DELETE);
    }
    return result;
}

int CreateStoreAt(HFILE file, int* slot, LONG base, int shift, int capacity)
{
    if (int result = FormatStore(file, base, shift, capacity)) {
        return result;
    }
    int versionMark;
    return OpenStore(nullptr, file, slot, base, &versionMark, FALSE);
}

int OpenStoreFile(LPCSTR path, int* slot, LONG base, int* versionMark, BOOL readOnly)
{
    return OpenStore(path, HFILE_ERROR, slot, base, versionMark, readOnly);
}

int OpenStoreAt(HFILE file, int* slot, LONG base, int* versionMark)
{
    return OpenStore(nullptr, file, slot, base, versionMark, FALSE);
}

int CreateMemoryStore(int* slot)
{
    int free = FindFreeSlot();
    *slot = free;
    if (free < 0) {
        return StoreDirectoryFull;
    }
    HGLOBAL roots[2] = {GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 32), GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 32)};
    if (!roots[0] || !roots[1]) {
        GlobalFree(roots[0]);
        GlobalFree(roots[1]);
        return ErrOutOfMemory;
    }
    const std::int16_t keys[2] = {KEY_MAIN_ROOT, KEY_BACKUP_ROOT};
    for (int i = 0; i < 2; ++i) {
        BlockLock lock(roots[i]);
        if (!lock) {
            GlobalFree(roots[0]);
            GlobalFree(roots[1]);
            return ErrOutOfMemory;
        }
        // The slot goes into the headers too: FlushBlock finds a block's store by it.
        *HeaderOf(lock.get()) = {keys[i], KEY_TOP, static_cast<std::int16_t>(free), 1, 32, 0};
    }
    ClearSlot(free);
    StoreDescriptor* d = StoreImage(free);
    d->formatMark = kFormatMark;
    d->versionMark = kVersionMark;
    d->entryCapacity = kEntryCapacityTotal;
    d->fileHandle = -1;
    d->freeSpace = {KEY_FREE_SPACE, 0, 0, 0};
    d->mainRoot = {KEY_MAIN_ROOT, 1, 32, HandleToField(roots[0])};
    d->backupRoot = {KEY_BACKUP_ROOT, 1, 32, HandleToField(roots[1])};
    d->flags = STORE_OPEN | STORE_READ_ONLY | STORE_MEMORY_ONLY;
    return 0;
}

// ---- Flushing and closing.

int FlushStore(int slot, BOOL release)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    StoreDescriptor* d = StoreImage(slot);
    // The file loses what it was grown ahead before the blocks are written: a cut the system
    // refuses changes the free-space page, which is then written with the rest.
    int trimResult = TrimStoreFile(slot, false);
    int freeResult, mainResult, backupResult;
    WriteChangedBlocks(slot, release, &freeResult, &mainResult, &backupResult);
    if (!freeResult) {
        freeResult = trimResult;
    }
    int headerResult = 0;
    if ((d->flags & STORE_CHANGED) || release) {
        headerResult = WriteStoreHeader(slot);
    }
    if (headerResult) return headerResult;
    if (backupResult) return backupResult;
    if (mainResult) return mainResult;
    return freeResult;
}

int CloseStore(int slot)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    int result = FlushStore(slot, TRUE);
    StoreDescriptor* d = StoreImage(slot);
    // Blocks a failed write kept in memory go now: the slot is freed in any case.
    DropIndexTree(&d->freeSpace, 0);
    DropIndexTree(&d->mainRoot, 2);
    DropIndexTree(&d->backupRoot, 2);
    if (!(d->flags & STORE_MEMORY_ONLY)) {
        _lclose(StoreFile(slot));
    }
    ClearSlot(slot);
    return result;
}

int DetachStore(int slot)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    ClearSlot(slot);
    return 0;
}

int GetStoreFileHandle(int slot, HFILE* file)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    if (StoreHasFlag(slot, STORE_MEMORY_ONLY)) {
        return StoreMemoryOnly;
    }
    *file = StoreFile(slot);
    return 0;
}

int SetStoreWriteThrough(int slot, BOOL on)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    if (on) {
        if (int result = FlushStore(slot, FALSE)) {
            return result;
        }
    }
    SetStoreFlag(slot, STORE_WRITE_THROUGH, on);
    return 0;
}

// ---- The write path.

int WriteStoreHeader(int slot)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    StoreDescriptor* d = StoreImage(slot);
    if (!(d->flags & STORE_READ_ONLY)) {
        if (int result = SeekTo(StoreFile(slot), d->baseOffset)) {
            return result;
        }
        if (int result = WritePieces(StoreFile(slot), reinterpret_cast<BYTE*>(d), kDescriptorSize)) {
            return result;
        }
    }
    SetStoreFlag(slot, STORE_CHANGED, FALSE);
    return 0;
}

int FlushFreeSpacePage(int slot)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    return FlushIndexTree(slot, &StoreImage(slot)->freeSpace, KEY_TOP, FALSE, 0);
}

int FlushIndexTree(int slot, StoreIndexEntry* entry, int parentKey, BOOL release, int depth)
{
    (void)parentKey;
    HGLOBAL block = FieldToHandle(entry->cachedBlock);
    if (!block || entry->size == 0) {
        return 0;
    }
    int result = 0;
    bool keep = false;  // something below could not be written: this block must stay loaded
    bool discarded = IsHandleDiscarded(block);
    if (depth > 0 && !discarded) {
        BlockLock lock(block);
        if (!lock) {
            return ErrOutOfMemory;
        }
        BYTE* page = lock.get();
        if (release) {
            // The cached-block fields are about to be cleared: the page must be written.
            SetFlagBits16(HeaderFlags(HeaderOf(page)), BLOCK_CHANGED, TRUE);
        }
        int count = PageEntryCount(block, page);
        for (int i = 0; i < count; ++i) {
            StoreIndexEntry* child = &PageEntries(page)[i];
            if (int childResult = FlushIndexTree(slot, child, HeaderOf(page)->key, release, depth - 1)) {
                result = childResult;
            }
            keep = keep || child->cachedBlock != 0;
        }
    }
    if (!discarded) {
        if (int own = FlushBlock(block)) {
            result = own;
            keep = true;
        }
    }
    if (release && !keep) {
        GlobalFree(block);
        entry->cachedBlock = 0;
    }
    return result;
}
