// Symbol library files (VXL): the records of a library's block store, and the window-less
// operations on the file as a whole (creating, checking, upgrading, normalising, naming).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "store/store_format.h"

// A library is a block store made with unit shift 6, a free-space list of 50 extents and base
// offset 0. Every record starts with the store's 16-byte BlockHeader; the offsets below count
// from the start of the record, header included, as the record stands in the file and in its
// memory block. Numbers are little-endian.
//
//   200/0       LibraryItemTable, 5064 bytes (or more)
//   200/1       LibraryInfo, 1166 bytes
//   200/2       the library's preview: a packed DIB of all items, for the browse dialog
//   201/n..n+k  the item's picture as consecutive PictureChunk records (the shapes' layout:
//               flags at 94, colour count at 96, 12 zero bytes at 98, colours from 110)
//   202/n       LibraryItemName: "name;keywords", NUL-terminated, record of 273 bytes or more
//   203/n       the objects of an automatic item: after the 16-byte header, the memory image of
//               a SymbolStream, whose first u32 is the image's total length
//
// n is the item's record number (header offset 4), k its extra picture records (offset 114).
// Types 200, 201 and 203 exist from creation; 202 is added with the first name.
//
// What a library that loaded (OpenLibraryStore, then LoadLibraryInfo) guarantees its readers:
//  1. The item table is at least 5064 bytes with magic 0xABCD and version 2 or 3.
//  2. Its item count is 0 to 40; only the headers below the count mean anything.
//  3. In each of those headers the record number n is 0 or more, k is 0 or more, and n + k is
//     a record id (at most 32767); the connection point count is 0 to 16.
//  4. The info record is exactly 1166 bytes, its palette count 0 to 256, its flag 2 set.
// A file that breaks 1-3 in what it stores (a count or number out of range) is refused as
// damaged; a point count above 16 and a palette count outside 0..256 are cut to the range.

constexpr int kLibraryBlockShift = 6;
constexpr int kLibraryFreeListCapacity = 50;
constexpr std::uint32_t kLibraryMagic = 0xABCD;
constexpr int kLibraryVersion = 2;
constexpr int kLibraryMaxItems = 40;
constexpr int kLibraryMaxPoints = 16;
constexpr int kLibraryMaxPaletteEntries = 256;
constexpr int kLibraryMaxNameLength = 256;
constexpr int kLibraryNameRecordSize = kBlockHeaderSize + kLibraryMaxNameLength + 1;  // 273
constexpr int kLibraryMaxRecordId = 32767;
// Button edges in pixels: small, medium, large. A slot's button size is never below the first.
constexpr int kLibraryButtonSmall = 30;
constexpr int kLibraryButtonMedium = 50;
constexpr int kLibraryButtonLarge = 70;

// The ids of the library's own records of type 200.
enum LibraryRecordId : short { LibItemTableId = 0, LibInfoId = 1, LibPreviewId = 2 };

// Item header flags.
enum LibraryItemFlags : WORD {
    LibItemColorsFixed = 0x1,    // a placed item keeps its own colours
    LibItemAutomatic = 0x2,      // placed as its stored objects (record 203)
    LibItemSeveralObjects = 0x4, // built from several unrelated objects
};

// Text placement codes of an item (any other value places the text inside).
enum LibraryTextPlacement : short { LibTextInside = 0, LibTextBelow = 4, LibTextAbove = 8, LibTextNone = 0x10 };

// Library info flags.
enum LibraryInfoFlags : WORD {
    LibInfoNamesMode = 0x1,        // buttons show the item names instead of pictures
    LibInfoPointsNormalised = 0x2, // connection points were normalised once
};

// Offsets within the first picture chunk (201/n) that the version-1 upgrade clears: the picture
// flags (i16), the colour count (i16) and three reserved i32, 94 up to 110.
constexpr int kLibraryPictureFlagsOffset = 94;
constexpr int kLibraryPictureHeaderEnd = 110;

#pragma pack(push, 1)

struct LibraryPoint {
    std::int16_t x;  // 0..600 over the item's frame
    std::int16_t y;
};

// One item of the table, 126 bytes.
struct LibraryItemHeader {
    std::int16_t preferredWidth;   // 1/600 inch: the size of an item dropped without a drag
    std::int16_t preferredHeight;
    std::int16_t recordNumber;     // n: names the item everywhere (buttons, commands, current)
    std::int16_t textPlacement;    // LibraryTextPlacement
    std::int16_t growMode;         // 0 free, 1 horizontally, 2 vertically, 3 proportionally
    std::uint16_t flags;           // LibraryItemFlags
    double margins[4];             // text margins as fractions of the frame: left, top, right, bottom
    std::int16_t pointCount;       // connection points, 0..16
    LibraryPoint points[kLibraryMaxPoints];
    std::int16_t reserved110;
    std::int16_t reserved112;
    std::int16_t extraRecords;     // k: picture records after the first one
    std::int16_t reserved116;
    std::int32_t reserved118;
    std::int32_t reserved122;
};
static_assert(sizeof(LibraryItemHeader) == 126);
static_assert(offsetof(LibraryItemHeader, recordNumber) == 4);
static_assert(offsetof(LibraryItemHeader, textPlacement) == 6);
static_assert(offsetof(LibraryItemHeader, growMode) == 8);
static_assert(offsetof(LibraryItemHeader, flags) == 10);
static_assert(offsetof(LibraryItemHeader, margins) == 12);
static_assert(offsetof(LibraryItemHeader, pointCount) == 44);
static_assert(offsetof(LibraryItemHeader, points) == 46);
static_assert(offsetof(LibraryItemHeader, reserved110) == 110);
static_assert(offsetof(LibraryItemHeader, extraRecords) == 114);
static_assert(offsetof(LibraryItemHeader, reserved118) == 118);
static_assert(offsetof(LibraryItemHeader, reserved122) == 122);

// Record 200/0: the items in button order; entries from the count on hold nothing.
struct LibraryItemTable {
    BlockHeader header;
    std::uint32_t magic;           // 0xABCD
    std::int16_t version;          // 2; 1 is upgraded when opened; 3 opens like 2
    std::int16_t count;            // 0..40
    LibraryItemHeader items[kLibraryMaxItems];
};
static_assert(sizeof(LibraryItemTable) == 5064);
static_assert(offsetof(LibraryItemTable, magic) == 16);
static_assert(offsetof(LibraryItemTable, version) == 20);
static_assert(offsetof(LibraryItemTable, count) == 22);
static_assert(offsetof(LibraryItemTable, items) == 24);

struct LibraryPaletteEntry {
    BYTE red;
    BYTE green;
    BYTE blue;
    BYTE flags;
};

// Record 200/1.
struct LibraryInfo {
    BlockHeader header;
    std::uint16_t flags;           // LibraryInfoFlags
    std::int16_t buttonSize;       // pixels: 30, 50 or 70
    std::int16_t savedColumns;     // of the floating window; 0 = none saved
    std::int16_t savedRows;
    std::int32_t reserved[29];
    std::int16_t paletteCount;     // 0..256; 0 = not built yet
    LibraryPaletteEntry palette[kLibraryMaxPaletteEntries];
};
static_assert(sizeof(LibraryInfo) == 1166);
static_assert(offsetof(LibraryInfo, flags) == 16);
static_assert(offsetof(LibraryInfo, buttonSize) == 18);
static_assert(offsetof(LibraryInfo, savedColumns) == 20);
static_assert(offsetof(LibraryInfo, savedRows) == 22);
static_assert(offsetof(LibraryInfo, reserved) == 24);
static_assert(offsetof(LibraryInfo, paletteCount) == 140);
static_assert(offsetof(LibraryInfo, palette) == 142);

// Record 202/n: the text before the first ';' is the item's name, the rest its keywords. A
// record may be longer than this; an item without a name has none.
struct LibraryItemName {
    BlockHeader header;
    char text[kLibraryMaxNameLength + 1];
};
static_assert(sizeof(LibraryItemName) == kLibraryNameRecordSize);

#pragma pack(pop)

// Fills a new item's header: text below, proportional growth, colours fixed, margins 0.4, the
// reserved fields zero, and 16 connection points clockwise from the top-left corner, 150 apart
// on the edges of the 0..600 box (2, 6, 10 and 14 are the middles of the top, right, bottom and
// left edges). The preferred size and record number are the caller's.
void InitLibraryItemHeader(LibraryItemHeader* header);

// Adds record 200/1 with flags 2, the button size and everything else zero, then flushes.
int CreateLibraryInfo(int store, int buttonSize);

// Formats a new library at the path (an existing file there is formatted anew) with types 200,
// 201 and 203, an empty item table and its info, and closes it. On a failure after the file was
// made it is deleted; a file that could not be opened is left alone. 0 or the error.
int CreateLibraryStore(LPCSTR path, int buttonSize);

// True when the file opens as a store and record 200/0 holds version 1, 2 or 3 (the magic is not
// tested).
BOOL IsLibraryFile(LPCSTR path);

// Opens the library's store and checks its item table: read-write, else read-only. Then
// record 200/0: 1 when it is shorter than 5064 bytes, lacks the magic, or holds a count or a
// header number out of range (damaged); -1 for a version other than 1, 2 or 3. A version-1
// table is upgraded in place and flushed; point counts above 16 are cut. A read-only store then
// reads every record. On success `store`, `readOnly` and the table's block are set; on failure
// the store is closed and `store` is -1.
int OpenLibraryStore(LPCSTR path, int* store, BOOL* readOnly, HGLOBAL* table);

// The library's info for an open store and its table (locked by the caller): loads 200/1,
// creating it with button size 50 when it is missing, resizing it to 1166 bytes when it has
// another size, cutting its palette count to 0..256; normalises the connection points once
// (info flag 2). Flushes after each change. 0 and the info's block, or the error.
int LoadLibraryInfo(int store, HGLOBAL tableBlock, LibraryItemTable* table, HGLOBAL* info);

// The button size a slot takes from the info: 30 to 70 pixels.
int LibraryButtonSize(const LibraryInfo* info);

// Upgrades a version-1 table: clears bytes 94-109 of the first record of every picture run
// (records of type 201, ascending; records too short to hold them are left alone) and bytes
// 110-125 of every header below the count, then sets version 2. A store error ends the upgrade.
int UpgradeLibraryVersion1(LibraryItemTable* table, int store);

// Gives the info record exactly 1166 bytes, bytes it gains zero, and forgets the saved columns,
// rows and palette; its flags and button size stay.
int ResizeLibraryInfo(HGLOBAL* info);

// Moves each item's connection points nearest to the middles of the left, right, top and bottom
// edges into points 14, 6, 2 and 10, and puts them on those middles' lines.
void NormaliseConnectionPoints(LibraryItemTable* table);

// Reads every record of every type into memory, types and ids ascending; the first error.
int LoadAllLibraryRecords(int store);

// Stores (or with an empty name deletes) the name record 202/n. The name is cut in place to
// what the record holds: 256 characters in a record of 273 bytes. 0 or the store's error.
int StoreLibraryItemName(int store, int recordNumber, char* name);
