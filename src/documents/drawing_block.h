// The drawing block of a drawing file or symbol stream (0x8020 .. 0x4020): the drawing's
// defaults, ruler, link table, groups and objects in paint order.
//
// Object ids in a stream are paint positions 0..n-1, wherever an object is named (its own id,
// label partner, hook targets, link table ids and row hints, line array members). In memory an
// id is 1..65,534 and 0 means "every holder" to the link code, so after reading the object at
// paint position i has id i + 1 and every reference is mapped the same way (MapReadObjectId);
// the drawing's last id is then n.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"
#include "text/text_records.h"

struct DocumentState;

#pragma pack(push, 1)

// Header record 0x8020 (144 bytes).
struct DrawingBlockHeader {
    WORD objectCount;
    WORD groupCount;
    WORD linkCount;
    INT16 pageWidth;          // rescaled
    INT16 pageHeight;         // rescaled
    WORD drawingFlags;
    INT16 currentRow;
    WORD lastId;              // written as the object count
    INT16 duplicateDx;        // rescaled
    INT16 duplicateDy;        // rescaled
    DWORD colors[7];          // at 20: the style's border .. highlight colours
    INT16 shadowDx;           // at 48, rescaled
    INT16 shadowDy;           // rescaled
    INT16 shadowStyle;
    WORD shadowClassMask;
    char styleName[32];       // at 56
    INT16 defaultBorderWidth; // at 88, rescaled; non-zero stays at least 1
    INT16 defaultLineWidth;   // rescaled, the same rule
    INT16 defaultTextSize;
    INT16 defaultTextStyle;
    INT16 defaultTextAlignH;
    INT16 defaultTextAlignV;
    char defaultFace[32];     // at 100
    WORD defaultCharset;      // at 132
    INT16 defaultFillPattern;
    INT16 defaultArrowStart;
    INT16 defaultArrowEnd;
    INT16 defaultArrowSize;   // 0..2
    INT16 arrowSetting;       // at 142, read and written unchanged
};
static_assert(sizeof(DrawingBlockHeader) == 144);
static_assert(offsetof(DrawingBlockHeader, colors) == 20);
static_assert(offsetof(DrawingBlockHeader, styleName) == 56);
static_assert(offsetof(DrawingBlockHeader, defaultBorderWidth) == 88);
static_assert(offsetof(DrawingBlockHeader, defaultFace) == 100);
static_assert(offsetof(DrawingBlockHeader, defaultCharset) == 132);
static_assert(offsetof(DrawingBlockHeader, arrowSetting) == 142);

// Ruler record 0x801 (24 bytes), the layout of the options file's record of the same number.
struct RulerRecord {
    INT16 rulersShown;
    INT16 screenUnit;
    double scaleBase;
    INT16 divisions;          // at 12
    double shownValue;        // at 14
    INT16 unit;               // at 22
};
static_assert(sizeof(RulerRecord) == 24);
static_assert(offsetof(RulerRecord, shownValue) == 14);

// Link table record 0x29: u16 count, u16 entry size (10), then the entries.
struct LinkTableHead {
    WORD count;
    WORD entrySize;
};
struct LinkRecordEntry {
    WORD targetId;
    INT16 targetRow;
    WORD holderId;
    INT16 holderRow;
    WORD flags;
};
static_assert(sizeof(LinkRecordEntry) == 10);

// Group record 0x8021 (40 bytes).
struct GroupRecord {
    WORD groupId;
    INT16 angle;
    INT16 frame[4];           // rescaled
    INT16 groupedFrame[4];    // at 12, rescaled
    WORD flags;               // at 20, written, not read
    double widthFactor;       // at 22
    double heightFactor;      // at 30
    WORD extra;               // at 38: written 0, read into the entry's field after the handle layout
};
static_assert(sizeof(GroupRecord) == 40);

#pragma pack(pop)

constexpr WORD kOpDrawingBlock = 0x8020;
constexpr WORD kOpRuler = 0x801;
constexpr WORD kOpLinkTable = 0x29;
constexpr WORD kOpGroup = 0x8021;
constexpr WORD kOpCharFormats = 0x42;
constexpr WORD kOpParaFormats = 0x43;


// Reads through 0x4020 with the 0x8020 record of `length` bytes in the record buffer.
int ReadDrawingBlock(HFILE file, HWND view, DocumentState* state, DWORD length);
// Writes 0x8020 through 0x4020; with `symbol` the link table is left out.
int WriteDrawingBlock(HFILE file, DocumentState* state, BOOL symbol);
void ApplyDefaultAttributes(Drawing* drawing, DocumentState* state);

// While a drawing block is written: the paint position an object id is written as, 0xFFFF
// for an id that names no object.
WORD MapWrittenObjectId(WORD id);
