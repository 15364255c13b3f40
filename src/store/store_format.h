// The block store's file layout: descriptor, block header, index pages, free-space page and
// block map, byte for byte, with the invariants every operation keeps.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// A block store (BlockStore) is one file (or a region of one, from a base offset) holding records named by
// (type, id), both 0..32767, under a two-level sorted index, with its own free-space
// bookkeeping and a second index tree that is the undo journal of the open checkpoint (StoreCheckpoint). A store
// is named everywhere by its slot in the BlockStoreDirectory.
// Integers are little-endian. Every offset counts from the base offset, where the
// StoreDescriptor lies. Space is handed out in units of 2^shift bytes (shift 0-10, fixed at
// formatting); a block occupies its size rounded up to whole units, R(size), and starts on a
// unit boundary. Everything after the descriptor is a block: a run of bytes that starts with a
// BlockHeader and whose size field counts the header. A block has the same image in memory (a
// movable memory block) and in the file.
//
// Layout of a new store with unit u and free-list capacity b:
//   descriptor at 0; FreeSpacePage at F = R(202), 28 + 16b bytes; main root at
//   M = R(F + 28 + 16b), 18 bytes; backup root at B = R(M + 18), 18 bytes; end mark
//   E = R(B + 18); the file is base + E bytes. (Shift 6, b = 200: 256, 3520, 3584, 3648.)
//
// The trees: the main root page (key -1, parent -4) lists one entry per record type, pointing
// to that type's page (key = type, parent -1), which lists one entry per record (a block with
// key = id, parent = type). The backup root (key -2) holds the journal in the same shape, its
// type pages carrying parent -2. A journal block flagged BLOCK_ABSENT says the record (a bare
// 16-byte header) or the type (an 18-byte page with count 0, which takes no entries) did not
// exist when the checkpoint was opened.
//
// Invariants of a consistent store (CheckStore verifies them):
//  1. Every index entry's offset and size equal the header of the block it names, and that
//     header's parent key is the key of the page holding the entry (-4 for the three entries
//     in the descriptor). Reading a block checks this (ReadBlockFromFile).
//  2. Blocks do not overlap and start on unit boundaries; between R(202) and the end mark every
//     byte belongs to a block (its rounded size), a free extent, or a hole, and the holes add
//     up exactly to the lost-bytes counter (FreeSpace gives space to the lists, or to the lost
//     bytes when both lists are full; CompactStore removes holes and extents).
//  3. The descriptor's entry count equals the number of entries in all root and type pages of
//     both trees (InsertIndexEntry and RemoveIndexEntry keep it; FreeCheckpointTree and the
//     checkpoint swap adjust it for what they free).
//  4. Keys are strictly ascending in every page (FindIndexEntry places them); both free lists
//     hold the same extents, by size and by offset, and no two extents touch (FreeSpace merges).
//  5. An index page is exactly 18 + 14n bytes for its n entries, n <= 4500; the free-space page
//     is exactly 28 + 16b bytes with n <= b extents, and it never moves.
//  6. The file is base + end mark bytes long (one byte more is accepted). While a store is open
//     its file may be longer, grown ahead of the end mark (GrowStoreFile); every flush and
//     closing cuts it back (TrimStoreFile), and a cut the system refuses moves the end mark to
//     the file's end with the tail counted as lost bytes, so that the invariant and 2 hold.
//  7. Runtime fields (descriptor file handle, header slot, cached-block fields of entries) have
//     no meaning in the file; reading clears or sets them and never trusts them.
//  8. The absent-marker flag has a meaning only on blocks of the backup tree; a block read for
//     the main tree or a top page has it cleared (ReadBlockFromFile is told the tree).

// The record types of the program's stores (ids of the document records below).
enum RecordType : short {
    RecOldOptions = 51,          // 100-102: an older version's options, read once and converted
    RecDocument = 100,           // the document records, ids below
    RecObjectList = 110,         // id 0
    RecZOrderList = 111,         // id 0
    RecBitmapChunks = 112,       // a run of consecutive ids per picture
    RecMetafileChunks = 113,     // a run of consecutive ids per picture
    RecTextBlock = 114,
    RecLinkIndex = 115,          // id 0
    RecConnectorSegments = 116,
    RecAttachment = 117,
    RecGroupTable = 118,         // id 0
    RecOutlinePoints = 119,
    RecLineArrayData = 120,
    RecLibraryTable = 200,       // 0 item table, 1 library information, 2 preview picture
    RecLibraryPicture = 201,     // item number and the ids after it
    RecLibraryName = 202,        // item number
    RecLibraryObjects = 203,     // item number
};

// Ids of the document records (type RecDocument).
enum DocumentRecordId : short {
    RecDocumentStateId = 101,
    RecPrinterSetupId = 102,     // the printer driver's DEVMODE
    RecFontMapId = 103,
    RecFontListId = 104,
    RecDrawingId = 105,
    RecColorListId = 106,
    RecPreviewId = 107,          // a template's preview picture
};

constexpr int kDescriptorSize = 202;
constexpr int kBlockHeaderSize = 16;
constexpr int kIndexPageHeaderSize = 18;    // header + i16 count
constexpr int kFreeSpaceHeaderSize = 28;    // header + capacity, count, lost bytes, end mark
constexpr int kMaxPageEntries = 4500;
constexpr int kMaxShift = 10;
constexpr int kEntryCapacityTotal = 32700;  // entry capacity = this minus the free-list capacity
constexpr DWORD kMaxBlockSize = 0x8FFFFFFF;
constexpr short kFormatMark = 2;
constexpr short kVersionMark = -1;

// Reserved keys.
constexpr short KEY_MAIN_ROOT = -1;
constexpr short KEY_BACKUP_ROOT = -2;
constexpr short KEY_FREE_SPACE = -3;
constexpr short KEY_TOP = -4;       // parent key of the three top pages
constexpr short KEY_EXTENT = -3;    // parent key of a free extent in the block map

// Store flags: the descriptor's u16 flags while the store is open.
constexpr WORD STORE_CHANGED = 0x0001;        // descriptor to be rewritten
constexpr WORD STORE_WRITE_THROUGH = 0x0002;  // every change is written at once
constexpr WORD STORE_CHECKPOINT = 0x0004;     // changes are journaled; persists in the file
constexpr WORD STORE_OPEN = 0x0008;           // the directory slot is in use
constexpr WORD STORE_READ_ONLY = 0x0020;      // nothing is ever written
constexpr WORD STORE_MEMORY_ONLY = 0x0040;    // the store has no file

// Block header flags.
constexpr WORD BLOCK_CHANGED = 0x0001;  // changed since last written
constexpr WORD BLOCK_PINNED = 0x0004;   // set around work on a block; nothing depends on it
constexpr WORD BLOCK_ABSENT = 0x0008;   // absent-marker of the journal (persistent)

#pragma pack(push, 1)

struct StoreIndexEntry {
    std::int16_t key;           // type number or record id
    std::int32_t offset;        // offset of the child block
    std::int32_t size;          // size of the child block, header included
    std::uint32_t cachedBlock;  // runtime: memory block of the loaded child, 0 when not loaded
};
static_assert(sizeof(StoreIndexEntry) == 14);
static_assert(offsetof(StoreIndexEntry, offset) == 2);
static_assert(offsetof(StoreIndexEntry, size) == 6);
static_assert(offsetof(StoreIndexEntry, cachedBlock) == 10);

struct StoreDescriptor {
    std::int16_t formatMark;    // always 2
    std::int16_t versionMark;   // always -1
    std::int32_t baseOffset;    // the file position of this descriptor
    std::uint16_t flags;        // STORE_*; on opening only STORE_CHECKPOINT is taken from the file
    std::int16_t fileHandle;    // runtime only
    std::uint8_t reserved1[2];
    std::int16_t shift;         // allocation unit = 2^shift bytes
    std::int16_t entryCount;    // entries naming type pages or records, both trees
    std::int16_t entryCapacity; // 32700 minus the free-list capacity
    std::int32_t reserved2;     // written as 0
    StoreIndexEntry mainRoot;   // key -1
    StoreIndexEntry backupRoot; // key -2
    StoreIndexEntry freeSpace;  // key -3
    std::uint8_t reserved3[136];
};
static_assert(sizeof(StoreDescriptor) == kDescriptorSize);
static_assert(offsetof(StoreDescriptor, flags) == 8);
static_assert(offsetof(StoreDescriptor, fileHandle) == 10);
static_assert(offsetof(StoreDescriptor, shift) == 14);
static_assert(offsetof(StoreDescriptor, entryCount) == 16);
static_assert(offsetof(StoreDescriptor, entryCapacity) == 18);
static_assert(offsetof(StoreDescriptor, mainRoot) == 24);
static_assert(offsetof(StoreDescriptor, backupRoot) == 38);
static_assert(offsetof(StoreDescriptor, freeSpace) == 52);
static_assert(offsetof(StoreDescriptor, reserved3) == 66);

// The table of open stores: a movable block, zero-filled at start-up and locked until
// shut-down. A slot whose image has flags 0 is free. After the images the directory keeps, per
// slot, what a 16-bit descriptor field cannot hold (the 32-bit file handle and file length).
struct BlockStoreDirectory {
    std::int16_t slotCount;
    StoreDescriptor images[1];  // slotCount images
};
static_assert(offsetof(BlockStoreDirectory, images) == 2);

struct BlockHeader {
    std::int16_t key;        // record id; type number of a type page; -1, -2, -3 for top pages
    std::int16_t parentKey;  // a record's type; a type page's root key; -4 for top pages
    std::int16_t slot;       // runtime: directory slot of the open store, set on every read
    std::int32_t offset;     // the block's own offset
    std::int32_t size;       // the block's size, header included
    std::uint16_t flags;     // BLOCK_*
};
static_assert(sizeof(BlockHeader) == kBlockHeaderSize);
static_assert(offsetof(BlockHeader, slot) == 4);
static_assert(offsetof(BlockHeader, offset) == 6);
static_assert(offsetof(BlockHeader, size) == 10);
static_assert(offsetof(BlockHeader, flags) == 14);

// A root or type page: the header, a count, then `count` entries sorted by key.
struct StoreIndexPage {
    BlockHeader header;
    std::int16_t count;
};
static_assert(sizeof(StoreIndexPage) == kIndexPageHeaderSize);

struct FreeExtent {
    std::int32_t offset;
    std::int32_t size;  // whole units
};
static_assert(sizeof(FreeExtent) == 8);

// The free-space page: the header fields, then the size list (b extents, by size ascending,
// the most recently added or resized first among equal sizes) and the offset list (b
// extents, by offset ascending); places beyond `count` are undefined.
struct FreeSpacePage {
    BlockHeader header;
    std::int16_t capacity;   // b, places in each list
    std::int16_t count;      // extents in use, 0..b
    std::int32_t lostBytes;  // freed while both lists were full; reclaimed only by compaction
    std::int32_t endMark;    // first byte after all allocated space
};
static_assert(sizeof(FreeSpacePage) == kFreeSpaceHeaderSize);
static_assert(offsetof(FreeSpacePage, capacity) == 16);
static_assert(offsetof(FreeSpacePage, lostBytes) == 20);
static_assert(offsetof(FreeSpacePage, endMark) == 24);

// One block or free extent in the offset-sorted map built for compaction and the check. The
// map is a movable block: an i16 count, then the entries.
struct BlockMapEntry {
    std::int16_t grandparentKey;  // a record's root key (-1, -2); -4 for everything else
    std::int16_t parentKey;       // a record's type; a type page's root; -4 top pages; -3 extents
    std::int16_t key;             // the block's key; an extent's place in the size list
    std::int32_t offset;
    std::int32_t size;            // exact size (an extent's is whole units)
    std::uint32_t cachedBlock;    // the entry's cached-block field (0 for extents)
};
static_assert(sizeof(BlockMapEntry) == 18);

#pragma pack(pop)

// Views into locked blocks. Packed records have alignment 1, so any byte address is valid.
inline BlockHeader* HeaderOf(BYTE* block) { return reinterpret_cast<BlockHeader*>(block); }
inline StoreIndexPage* PageOf(BYTE* block) { return reinterpret_cast<StoreIndexPage*>(block); }
inline StoreIndexEntry* PageEntries(BYTE* page)
{
    return reinterpret_cast<StoreIndexEntry*>(page + kIndexPageHeaderSize);
}
inline FreeSpacePage* FreePageOf(BYTE* block) { return reinterpret_cast<FreeSpacePage*>(block); }
inline FreeExtent* SizeList(BYTE* freePage)
{
    return reinterpret_cast<FreeExtent*>(freePage + kFreeSpaceHeaderSize);
}
inline FreeExtent* OffsetList(BYTE* freePage)
{
    return SizeList(freePage) + FreePageOf(freePage)->capacity;
}
inline long long IndexPageSize(long long count)
{
    return kIndexPageHeaderSize + static_cast<long long>(sizeof(StoreIndexEntry)) * count;
}
// The page holds two lists (by size, by offset) of `capacity` extents each.
inline long long FreeSpacePageSize(long long capacity)
{
    return kFreeSpaceHeaderSize + 2 * static_cast<long long>(sizeof(FreeExtent)) * capacity;
}

// The u16 flags words of headers and descriptors lie at even offsets of blocks and directory
// images, which are themselves 2-aligned, so they can be handed to SetFlagBits16.
inline WORD* HeaderFlags(BlockHeader* header)
{
    return reinterpret_cast<WORD*>(reinterpret_cast<BYTE*>(header) + offsetof(BlockHeader, flags));
}
inline WORD* DescriptorFlags(StoreDescriptor* descriptor)
{
    return reinterpret_cast<WORD*>(reinterpret_cast<BYTE*>(descriptor) + offsetof(StoreDescriptor, flags));
}
