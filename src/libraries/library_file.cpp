// The window-less operations on a library file: creation, the checks of loading, the version-1
// upgrade, the info record, connection points and names. No window or GDI call: this also
// builds natively, for the sanitizers and the fuzzer.
#include "libraries/library_file.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "store/block_store.h"
#include "store/memory_blocks.h"

namespace {

// The 16 default connection points, clockwise from the top-left corner.
constexpr LibraryPoint kDefaultPoints[kLibraryMaxPoints] = {
    {0, 0},     {150, 0},   {300, 0},   {450, 0},   {600, 0},   {600, 150}, {600, 300}, {600, 450},
    {600, 600}, {450, 600}, {300, 600}, {150, 600}, {0, 600},   {0, 450},   {0, 300},   {0, 150},
};

// The points that normalisation reserves for the middles of the edges, and the middles.
struct EdgeMiddle {
    int slot;
    int x;
    int y;
    bool vertical;  // the edge runs up and down: the point keeps its x and takes y 300
};
constexpr EdgeMiddle kEdgeMiddles[4] = {
    {14, 0, 300, true},    // left
    {6, 600, 300, true},   // right
    {2, 300, 0, false},    // top
    {10, 300, 600, false}, // bottom
};

bool ValidVersion(int version)
{
    return version >= 1 && version <= 3;
}

// Invariant 2 of the header: what the upgrade and every reader of the headers rely on.
bool ValidCount(const LibraryItemTable* table)
{
    return table->count >= 0 && table->count <= kLibraryMaxItems;
}

// Invariant 3: every picture run of the items lies within the store's record ids. Point counts
// are cut to the 16 places the header has.
bool CheckItemHeaders(LibraryItemTable* table)
{
    for (int i = 0; i < table->count; ++i) {
        LibraryItemHeader& item = table->items[i];
        if (item.recordNumber < 0 || item.extraRecords < 0 ||
            item.recordNumber + item.extraRecords > kLibraryMaxRecordId) {
            return false;
        }
        if (item.pointCount < 0) {
            item.pointCount = 0;
        } else if (item.pointCount > kLibraryMaxPoints) {
            item.pointCount = kLibraryMaxPoints;
        }
    }
    return true;
}

// Reads and checks 200/0 of an open store (steps of opening before the read-only preload).
int CheckItemTable(int store, HGLOBAL* tableBlock)
{
    HGLOBAL block = nullptr;
    if (int result = LoadRecord(store, RecLibraryTable, LibItemTableId, &block)) {
        return result;
    }
    if (GetBlockSize(block) < static_cast<LONG>(sizeof(LibraryItemTable))) {
        return 1;
    }
    BlockLock lock(block);
    if (!lock) {
        return ErrOutOfMemory;
    }
    auto* table = reinterpret_cast<LibraryItemTable*>(lock.get());
    if (table->magic != kLibraryMagic) {
        return 1;
    }
    if (!ValidVersion(table->version)) {
        return -1;
    }
    if (!ValidCount(table)) {
        return 1;
    }
    if (table->version == 1) {
        // Errors of the upgrade are not reported: the load goes on with what was converted.
        UpgradeLibraryVersion1(table, store);
        MarkBlockDirty(block);
        FlushStore(store, FALSE);
    }
    if (table->version != 2 && table->version != 3) {
        return -1;
    }
    if (!CheckItemHeaders(table)) {
        return 1;
    }
    *tableBlock = block;
    return 0;
}

void ZeroBytes(HGLOBAL block, LONG from, LONG to)
{
    if (from >= to) {
        return;
    }
    BlockLock lock(block);
    if (lock) {
        std::memset(lock.get() + from, 0, static_cast<std::size_t>(to - from));
    }
}

}  // namespace

void InitLibraryItemHeader(LibraryItemHeader* header)
{
    header->textPlacement = LibTextBelow;
    header->growMode = 3;
    header->flags = LibItemColorsFixed;
    // The margins lie unaligned in the packed header: copied, never referenced.
    const double margins[4] = {0.4, 0.4, 0.4, 0.4};
    std::memcpy(header->margins, margins, sizeof margins);
    header->pointCount = kLibraryMaxPoints;
    for (int i = 0; i < kLibraryMaxPoints; ++i) {
        header->points[i] = kDefaultPoints[i];
    }
    header->reserved110 = 0;
    header->reserved112 = 0;
    header->extraRecords = 0;
    header->reserved116 = 0;
    header->reserved118 = 0;
    header->reserved122 = 0;
}

int CreateLibraryInfo(int store, int buttonSize)
{
    HGLOBAL block = nullptr;
    if (int result = AddRecord(store, RecLibraryTable, LibInfoId, sizeof(LibraryInfo), &block)) {
        return result;
    }
    {
        BlockLock lock(block);
        if (!lock) {
            return ErrOutOfMemory;
        }
        std::memset(lock.get() + kBlockHeaderSize, 0, sizeof(LibraryInfo) - kBlockHeaderSize);
        auto* info = reinterpret_cast<LibraryInfo*>(lock.get());
        info->flags = LibInfoPointsNormalised;
        info->buttonSize = static_cast<std::int16_t>(buttonSize);
    }
    if (int result = MarkBlockDirty(block)) {
        return result;
    }
    return FlushStore(store, FALSE);
}

int CreateLibraryStore(LPCSTR path, int buttonSize)
{
    // CreateStoreFile deletes what it made when it fails; a file it could not open stays as it was.
    if (int result = CreateStoreFile(path, 0, kLibraryBlockShift, kLibraryFreeListCapacity)) {
        return result;
    }
    int store = -1, versionMark = 0;
    int result = OpenStoreFile(path, &store, 0, &versionMark, FALSE);
    const bool opened = result == 0;
    for (int type : {RecLibraryTable, RecLibraryPicture, RecLibraryObjects}) {
        if (!result) {
            result = AddRecordType(store, type);
        }
    }
    HGLOBAL block = nullptr;
    if (!result) {
        result = AddRecord(store, RecLibraryTable, LibItemTableId, sizeof(LibraryItemTable), &block);
    }
    if (!result) {
        BlockLock lock(block);
        if (!lock) {
            result = ErrOutOfMemory;
        } else {
            std::memset(lock.get() + kBlockHeaderSize, 0, sizeof(LibraryItemTable) - kBlockHeaderSize);
            auto* table = reinterpret_cast<LibraryItemTable*>(lock.get());
            table->magic = kLibraryMagic;
            table->version = kLibraryVersion;
            table->count = 0;
        }
    }
    if (!result) {
        result = MarkBlockDirty(block);
    }
    if (!result) {
        result = CreateLibraryInfo(store, buttonSize);
    }
    if (opened) {
        int closed = CloseStore(store);
        if (!result) {
            result = closed;
        }
    }
    if (result) {
        DeleteFileA(path);
    }
    return result;
}

BOOL IsLibraryFile(LPCSTR path)
{
    int store = -1, versionMark = 0;
    if (OpenStoreFile(path, &store, 0, &versionMark, TRUE) != 0) {
        return FALSE;
    }
    BOOL library = FALSE;
    HGLOBAL block = nullptr;
    if (LoadRecord(store, RecLibraryTable, LibItemTableId, &block) == 0 &&
        GetBlockSize(block) >= static_cast<LONG>(offsetof(LibraryItemTable, version) + sizeof(std::int16_t))) {
        BlockLock lock(block);
        library = lock && ValidVersion(reinterpret_cast<LibraryItemTable*>(lock.get())->version);
    }
    CloseStore(store);
    return library;
}

int OpenLibraryStore(LPCSTR path, int* store, BOOL* readOnly, HGLOBAL* table)
{
    *store = -1;
    *table = nullptr;
    int slot = -1, versionMark = 0;
    *readOnly = FALSE;
    int result = OpenStoreFile(path, &slot, 0, &versionMark, FALSE);
    if (result) {
        result = OpenStoreFile(path, &slot, 0, &versionMark, TRUE);
        if (result) {
            return result;
        }
        *readOnly = TRUE;
    }
    HGLOBAL block = nullptr;
    result = CheckItemTable(slot, &block);
    if (!result && *readOnly) {
        result = LoadAllLibraryRecords(slot);
    }
    if (result) {
        CloseStore(slot);
        return result;
    }
    *store = slot;
    *table = block;
    return 0;
}

int LoadLibraryInfo(int store, HGLOBAL tableBlock, LibraryItemTable* table, HGLOBAL* info)
{
    *info = nullptr;
    HGLOBAL block = nullptr;
    int result = LoadRecord(store, RecLibraryTable, LibInfoId, &block);
    if (result == StoreKeyMissing) {
        result = CreateLibraryInfo(store, kLibraryButtonMedium);
        if (!result) {
            result = LoadRecord(store, RecLibraryTable, LibInfoId, &block);
        }
    }
    if (result) {
        return result;
    }
    if (GetBlockSize(block) != static_cast<LONG>(sizeof(LibraryInfo))) {
        result = ResizeLibraryInfo(&block);
        if (!result) {
            result = FlushStore(store, FALSE);
        }
        if (result) {
            return result;
        }
    }
    bool normalise = false;
    {
        BlockLock lock(block);
        if (!lock) {
            return ErrOutOfMemory;
        }
        auto* record = reinterpret_cast<LibraryInfo*>(lock.get());
        if (record->paletteCount < 0) {
            record->paletteCount = 0;
        } else if (record->paletteCount > kLibraryMaxPaletteEntries) {
            record->paletteCount = kLibraryMaxPaletteEntries;
        }
        if (!(record->flags & LibInfoPointsNormalised)) {
            record->flags |= LibInfoPointsNormalised;
            normalise = true;
        }
    }
    if (normalise) {
        NormaliseConnectionPoints(table);
        result = MarkBlockDirty(tableBlock);
        if (!result) {
            result = MarkBlockDirty(block);
        }
        if (!result) {
            result = FlushStore(store, FALSE);
        }
        if (result) {
            return result;
        }
    }
    *info = block;
    return 0;
}

int LibraryButtonSize(const LibraryInfo* info)
{
    int size = info->buttonSize;
    if (size < kLibraryButtonSmall) {
        return kLibraryButtonSmall;
    }
    // Edges above the largest button come only from a damaged file; four cells of such an
    // edge could outgrow the width a library window's grid is held to.
    return size > kLibraryButtonLarge ? kLibraryButtonLarge : size;
}

int UpgradeLibraryVersion1(LibraryItemTable* table, int store)
{
    int count = 0;
    int result = CountRecords(store, RecLibraryPicture, &count);
    for (int i = 0; !result && i < count; ++i) {
        int id = 0;
        HGLOBAL block = nullptr;
        result = GetRecordIdAt(store, RecLibraryPicture, i, &id);
        if (!result) {
            result = LoadRecord(store, RecLibraryPicture, id, &block);
        }
        if (result) {
            break;
        }
        if (GetBlockSize(block) >= kLibraryPictureHeaderEnd) {
            ZeroBytes(block, kLibraryPictureFlagsOffset, kLibraryPictureHeaderEnd);
            result = MarkBlockDirty(block);
        }
        ReleaseBlock(block);
    }
    if (result) {
        return result;
    }
    const int items = ValidCount(table) ? table->count : 0;
    for (int i = 0; i < items; ++i) {
        LibraryItemHeader& item = table->items[i];
        item.reserved110 = 0;
        item.reserved112 = 0;
        item.extraRecords = 0;
        item.reserved116 = 0;
        item.reserved118 = 0;
        item.reserved122 = 0;
    }
    table->version = kLibraryVersion;
    return 0;
}

int ResizeLibraryInfo(HGLOBAL* info)
{
    const LONG oldSize = GetBlockSize(*info);
    if (int result = ResizeRecord(info, sizeof(LibraryInfo))) {
        return result;
    }
    // What the record gains holds nothing yet; a record too short for its flags and button
    // size gets zero ones (no flags, the smallest buttons).
    ZeroBytes(*info, oldSize < kBlockHeaderSize ? kBlockHeaderSize : oldSize, sizeof(LibraryInfo));
    {
        BlockLock lock(*info);
        if (!lock) {
            return ErrOutOfMemory;
        }
        auto* record = reinterpret_cast<LibraryInfo*>(lock.get());
        record->savedColumns = 0;
        record->savedRows = 0;
        record->paletteCount = 0;
    }
    return MarkBlockDirty(*info);
}

void NormaliseConnectionPoints(LibraryItemTable* table)
{
    const int items = ValidCount(table) ? table->count : 0;
    for (int i = 0; i < items; ++i) {
        LibraryItemHeader& item = table->items[i];
        const int points = item.pointCount < kLibraryMaxPoints ? item.pointCount : kLibraryMaxPoints;
        if (points <= 0) {
            continue;
        }
        // Step 1 finds the nearest point of each middle before any swap; the indices are used
        // as found, also when an earlier swap has moved that point.
        int nearest[4];
        for (int m = 0; m < 4; ++m) {
            double best = 1000000.0;
            nearest[m] = -1;
            for (int p = 0; p < points; ++p) {
                double dx = item.points[p].x - kEdgeMiddles[m].x;
                double dy = item.points[p].y - kEdgeMiddles[m].y;
                double distance = std::sqrt(dx * dx + dy * dy);
                if (distance < best) {
                    best = distance;
                    nearest[m] = p;
                }
            }
        }
        for (int m = 0; m < 4; ++m) {
            const EdgeMiddle& middle = kEdgeMiddles[m];
            if (nearest[m] >= 0 && nearest[m] != middle.slot) {
                LibraryPoint moved = item.points[nearest[m]];
                item.points[nearest[m]] = item.points[middle.slot];
                item.points[middle.slot] = moved;
            }
            if (middle.vertical) {
                item.points[middle.slot].y = static_cast<std::int16_t>(middle.y);
            } else {
                item.points[middle.slot].x = static_cast<std::int16_t>(middle.x);
            }
        }
    }
}

int LoadAllLibraryRecords(int store)
{
    int types = 0;
    if (int result = CountRecordTypes(store, &types)) {
        return result;
    }
    for (int t = 0; t < types; ++t) {
        int type = 0, count = 0;
        if (int result = GetRecordTypeAt(store, t, &type)) {
            return result;
        }
        if (int result = CountRecords(store, type, &count)) {
            return result;
        }
        for (int i = 0; i < count; ++i) {
            int id = 0;
            HGLOBAL block = nullptr;
            if (int result = GetRecordIdAt(store, type, i, &id)) {
                return result;
            }
            if (int result = LoadRecord(store, type, id, &block)) {
                return result;
            }
            ReleaseBlock(block);
        }
    }
    return 0;
}

int StoreLibraryItemName(int store, int recordNumber, char* name)
{
    const bool empty = !name || !name[0];
    HGLOBAL block = nullptr;
    int result = LoadRecord(store, RecLibraryName, recordNumber, &block);
    if (result == StoreKeyMissing) {
        if (empty) {
            return 0;
        }
        // The type exists from the first name on.
        int next = 0;
        if (NextFreeRecordId(store, RecLibraryName, &next) == StoreKeyMissing) {
            if ((result = AddRecordType(store, RecLibraryName)) != 0) {
                return result;
            }
        }
        if ((result = AddRecord(store, RecLibraryName, recordNumber, kLibraryNameRecordSize, &block)) != 0) {
            return result;
        }
    } else if (result) {
        return result;
    } else if (empty) {
        if ((result = DeleteRecord(block)) != 0) {
            ReleaseBlock(block);
            return result;
        }
        GlobalFree(block);
        return 0;
    }
    if (GetBlockSize(block) < kLibraryNameRecordSize) {
        if ((result = ResizeRecord(&block, kLibraryNameRecordSize)) != 0) {
            return result;
        }
    }
    const LONG room = GetBlockSize(block) - kBlockHeaderSize - 1;
    if (static_cast<LONG>(std::strlen(name)) > room) {
        name[room] = 0;
    }
    {
        BlockLock lock(block);
        if (!lock) {
            return ErrOutOfMemory;
        }
        std::memcpy(lock.get() + kBlockHeaderSize, name, std::strlen(name) + 1);
    }
    return MarkBlockDirty(block);
}
