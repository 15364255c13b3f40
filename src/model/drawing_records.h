// The stored records of a drawing: Drawing, ObjectList and DrawObject, ZOrderList, HookEntry,
// LinkIndex, the group table and a line array's data. They are memory images of store records and file formats.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "store/store_format.h"

static_assert(sizeof(HGLOBAL) == 4 && sizeof(HWND) == 4, "records hold 32-bit handles");

// Record types and ids of a drawing's store: RecordType and DocumentRecordId (store_format.h).

constexpr int kMaxObjects = 16000;
constexpr int kMaxLinks = 6000;
constexpr int kLastObjectId = 65534;   // ids run 1..65,534
constexpr int kNoLabel = 0xFFFF;       // labelId of an object without a label partner
constexpr int kTableHeaderSize = 20;   // block header and i32 count in front of every table

// State bits of DrawObject::state.
enum ObjectState : DWORD {
    StateSelected = 0x1,
    StateTextEditing = 0x2,
    StateHideOnDrag = 0x4,          // vanishes under the first feedback of the current drag
    StateHiddenWhileDragged = 0x8,  // hidden while its handles are dragged; new lines carry it
    StateLocked = 0x10,
    StateCustomHooks = 0x40,
    StatePushedOff = 0x80,
    StatePicture = 0x100,
    StateTextOnly = 0x200,
    StateRingBorder = 0x400,        // a shape whose wide solid border is painted as a ring
    StateShowHooks = 0x800,
    StateInMoveSet = 0x1000,
    StateAttachedLabel = 0x2000,
    StateRising = 0x4000,           // a slanted line runs from bottom-left to top-right
    StateLayoutPending = 0x4000,    // a line array waits for a layout
};

// Bits of DrawObject::classFlags that more than one class or another subsystem reads.
enum ObjectClassFlags : INT32 {
    ClassFlagLabelBelow = 0x4,          // the text lives on a label below the object
    ClassFlagLabelAbove = 0x8,          // ... on a label above it
    ClassFlagNoTextTool = 0x10,         // a shape: no text capability, the text tool misses its interior
    ClassFlagLabelByAlignment = 0x20,   // ... on a label placed by the text alignment
    ClassFlagShowsLength = 0x40,        // a line or connector shows its length on its label
    ClassFlagsTextOnLabel = ClassFlagLabelBelow | ClassFlagLabelAbove | ClassFlagLabelByAlignment,
};

// Option bits of DrawObject::options.
enum ObjectOptions : DWORD {
    OptFramed = 0x1,
    OptShadowHidden = 0x2,
    OptNoTextShadow = 0x4,
    OptMirrorH = 0x8,
    OptMirrorV = 0x10,
    OptFixed = 0x20,     // never rotated, flipped or resized
    OptStdHooks = 0x40,
    OptOwnText = 0x80,   // keeps its own text rather than a label's
    OptMirrored = OptMirrorH | OptMirrorV,
};

// DrawObject::lineStyle: a shape's border or a line's stroke. Shapes know the first four; any
// other value draws solid.
enum LineStyle : INT32 {
    LineStyleNone = 0,
    LineStyleSolid = 1,
    LineStyleDotted = 2,
    LineStyleDashed = 3,
    LineStyleDashDot = 4,
    LineStyleDashDotDot = 5,
};

// Object classes, which are also the slots of the class handler table.
enum ObjectClass { ClassShape = 0, ClassLine = 1, ClassConnector = 2, ClassArray = 3, ClassCount = 4 };

#pragma pack(push, 1)

// A holder's hook on a target, one of two slots in DrawObject::hooks; slots 0..hookCount-1
// are in use. The attach point lies in the target's 0..600 box over its frame. The holder-side
// code is 1/2 for a line's start/finish end; for shapes 1-16 a connection point, 201-209 an
// anchor, above 304 a point projected onto the outline.
struct HookEntry {
    INT32 targetId;
    INT32 targetRow;    // hint, refreshed when stale
    INT32 attachX;
    INT32 attachY;
    INT32 holderCode;
};
static_assert(sizeof(HookEntry) == 20);

// One object, 356 bytes, row r of the ObjectList at byte 20 + 356 r. Every stored cross-reference
// (hooks, labels, groups) carries an id and a row hint; the id is the truth.
struct DrawObject {
    INT32 objClass;       // 0 shape, 1 straight line, 2 elbow connector, 3 line array
    RECT updateRect;      // everything the object paints
    RECT frame;           // for a straight line: start x, start y, end x, end y
    RECT innerRect;
    RECT textRect;
    INT32 axisCoord;
    double param;         // at 72
    BYTE classData[32];
    RECT textInset;       // at 112
    RECT textMargins;
    INT32 textId;         // at 144, TextBlock record id, -1 none
    INT32 classFlags;     // 0x40 a line shows its length
    INT32 classValue;
    INT32 textAlignV;
    INT32 textAlignH;
    INT32 textFit;
    INT32 handleLayout;   // at 168
    INT32 createdWidth;
    INT32 createdHeight;
    INT32 angle;          // tenths of a degree
    INT32 lineWidth;      // at 184
    INT32 lineStyle;
    INT32 fillPattern;
    COLORREF fillColor;   // -1 none
    COLORREF lineColor;
    INT32 dataType;       // at 204, record type of the data records, -1 none
    INT32 dataId;
    INT32 dataCount;
    INT32 objType;        // at 216
    DWORD state;          // ObjectState bits
    DWORD options;        // ObjectOptions bits
    INT32 objId;          // at 228, 1..65,534
    DWORD hookMask;
    DWORD acceptMask;
    INT32 hookCapacity;   // at 240
    INT32 hookCount;      // 0..2 (stored data is checked on open)
    HookEntry hooks[2];   // at 248
    POINT lastHookPoint;  // at 288
    INT32 arrowEnds;      // at 296
    INT32 arrowSize;
    INT32 labelId;        // at 304, 0xFFFF none
    INT32 labelRow;
    INT32 lineShape;
    INT32 groupId;        // at 316, 0 none
    INT32 groupRow;       // hint into the group table, -1 none
    INT32 arrowStart;
    INT32 arrowEnd;
    RECT groupFrame;      // at 332
    INT32 groupAngle;
    DWORD savedState;
};
static_assert(sizeof(DrawObject) == 356);
static_assert(offsetof(DrawObject, param) == 72);
static_assert(offsetof(DrawObject, textInset) == 112);
static_assert(offsetof(DrawObject, textId) == 144);
static_assert(offsetof(DrawObject, handleLayout) == 168);
static_assert(offsetof(DrawObject, lineWidth) == 184);
static_assert(offsetof(DrawObject, dataType) == 204);
static_assert(offsetof(DrawObject, objType) == 216);
static_assert(offsetof(DrawObject, objId) == 228);
static_assert(offsetof(DrawObject, hookCapacity) == 240);
static_assert(offsetof(DrawObject, hooks) == 248);
static_assert(offsetof(DrawObject, lastHookPoint) == 288);
static_assert(offsetof(DrawObject, labelId) == 304);
static_assert(offsetof(DrawObject, groupId) == 316);
static_assert(offsetof(DrawObject, groupFrame) == 332);
static_assert(offsetof(DrawObject, savedState) == 352);

// Copy of the current StyleRecord inside the Drawing (76 bytes).
struct DrawingStyle {
    COLORREF borderColor;
    COLORREF lineColor;
    COLORREF fillColor;     // -1 none
    COLORREF textColor;
    COLORREF shadowColor;
    COLORREF backgroundColor;  // -1 white
    COLORREF highlightColor;
    INT32 shadowDx;
    INT32 shadowDy;
    INT32 shadowStyle;      // 0 none, 1-5
    INT32 shadowClassMask;
    char name[32];
};
static_assert(sizeof(DrawingStyle) == 76);

// Ruler and scale record (32 bytes); the same fields as the program's default ruler settings.
struct RulerSettings {
    INT32 rulersShown;
    INT32 screenUnit;       // 0 centimetres, else inches
    double scaleBase;       // at 8, 100.0
    INT32 divisions;        // 8, 10, 12 or 16
    double shownValue;      // at 20, 1.0
    INT32 unit;             // at 28: 0 none, 1 in, 2 ft, 3 mm, 4 cm, 5 m
};
static_assert(sizeof(RulerSettings) == 32);
static_assert(offsetof(RulerSettings, shownValue) == 20);

// The defaults of new objects (60 bytes), the same fields in the Drawing and in the program's
// settings.
struct ObjectDefaults {
    INT32 defaultBorderWidth;
    INT32 defaultLineWidth;
    INT32 defaultTextSize;
    INT32 defaultTextStyle;
    INT32 defaultTextAlignH;
    INT32 defaultTextAlignV;
    INT32 defaultFontKey;
    char defaultFace[32];
};
static_assert(sizeof(ObjectDefaults) == 60);

// Drawing option bits of Drawing::drawingFlags.
enum DrawingFlags : DWORD {
    DrawSnap = 0x2,
    DrawHookTarget = 0x4,      // cleared at every open
    DrawLinesLink = 0x8,
    DrawShapesLink = 0x10,
    DrawMidPoints = 0x20,      // set at creation
};

// Record (100, 105), 272 bytes with its block header. Handle fields are valid only while the
// drawing is open and are rewritten by every open.
struct Drawing {
    BlockHeader header;       // its slot names the store of the drawing's data records
    HWND viewWindow;
    INT32 storeSlot;
    INT32 pageWidth;
    INT32 pageHeight;
    DWORD drawingFlags;       // DrawingFlags
    HGLOBAL objectList;       // at 36
    HGLOBAL zOrderList;
    HGLOBAL linkIndex;
    INT32 selectedCount;      // at 48
    INT32 currentRow;         // -1 none
    INT32 openedWithObjects;
    INT32 lastId;             // at 60
    INT32 duplicateDx;
    INT32 duplicateDy;
    DrawingStyle style;       // at 72
    ObjectDefaults defaults;  // at 148: defaultBorderWidth .. defaultFace
    INT32 defaultFillPattern; // at 208
    INT32 pendingMessage;
    INT32 toolSlot;           // -1 the shape kind's own default
    HGLOBAL groupTable;       // at 220
    INT32 defaultArrowStart;
    INT32 defaultArrowEnd;
    INT32 defaultArrowSize;
    INT32 reserved236;
    RulerSettings rulerSettings;  // at 240
};
static_assert(sizeof(Drawing) == 272);
static_assert(offsetof(Drawing, objectList) == 36);
static_assert(offsetof(Drawing, selectedCount) == 48);
static_assert(offsetof(Drawing, lastId) == 60);
static_assert(offsetof(Drawing, style) == 72);
static_assert(offsetof(Drawing, defaults) == 148);
static_assert(offsetof(Drawing, defaultFillPattern) == 208);
static_assert(offsetof(Drawing, groupTable) == 220);
static_assert(offsetof(Drawing, reserved236) == 236);
static_assert(offsetof(Drawing, rulerSettings) == 240);

// One LinkIndex entry: the reverse side of a HookEntry. Invariant: every HookEntry in use has
// exactly one entry with its (target id, holder id) and back; entries are sorted by target id,
// those of one target in the order they were added.
struct LinkEntry {
    INT32 targetId;
    INT32 targetRow;   // hint
    INT32 holderId;
    INT32 holderRow;   // hint
    DWORD flags;       // LinkFlags
};
static_assert(sizeof(LinkEntry) == 20);

enum LinkFlags : DWORD {
    LinkDropTarget = 0x1,   // drop every link of this target
    LinkDrop = 0x2,
    LinkRefit = 0x4,        // re-fit the hook to the target's nearest hook point
    LinkDropToo = 0x8,
    LinkChanged = 0x10,     // the holder must be re-fitted
    LinkMoved = 0x20,
};

// One group of the group table (92 bytes). Members name the group by id and keep a row hint
// into the table; entries have no order.
struct GroupEntry {
    RECT bounds;          // union of the members' update rects (and the rotated frame)
    RECT frame;           // union of the members' frames
    RECT groupedFrame;    // frame when grouped; moves, never rescaled
    INT32 groupId;        // at 48, not 0
    INT32 memberCount;    // attached labels not counted
    DWORD flags;          // GroupFlags
    INT32 angle;          // at 60
    double widthFactor;   // at 64, of the last resize; 0 before the first
    double heightFactor;  // at 72
    INT32 handleLayout;   // at 80
    BYTE reserved[8];
};
static_assert(sizeof(GroupEntry) == 92);
static_assert(offsetof(GroupEntry, groupId) == 48);
static_assert(offsetof(GroupEntry, widthFactor) == 64);
static_assert(offsetof(GroupEntry, handleLayout) == 80);

enum GroupFlags : DWORD {
    GroupSelected = 0x1,
    GroupFramesPending = 0x20,
    GroupNoFreeResize = 0x40,
    GroupHooked = 0x400,
    GroupBoundsStale = 0x2000,
    GroupMemberLeft = 0x4000,
};

// A line array's data record (record 120, one per array, named by the array's dataId), written
// to drawing files unchanged. It has room for memberCount member entries and three more; the
// first entryCount are in use: the leading ones without a member (trunk, feed and tail stubs
// once laid out), then one per member in member order.
struct ArrayEntry {
    RECT segment;       // drawn from (left, top) to (right, bottom), relative to the layout origin
    INT32 memberId;     // at 16, kNoMember for an entry without a member
    INT32 memberRow;    // hint; -1 or 0 when none
    INT32 extent;       // trunk, feed or tail length; a member's size along the trunk
};
static_assert(sizeof(ArrayEntry) == 28);
static_assert(offsetof(ArrayEntry, memberId) == 16);
static_assert(offsetof(ArrayEntry, memberRow) == 20);

constexpr int kNoMember = 0xFFFF;

struct ArrayData {
    BlockHeader header;
    DWORD style;          // at 16
    INT32 branchAngle;    // degrees: 0, 45 or 135
    INT32 branchLength;   // never negative
    INT32 gap;            // never negative
    INT32 memberCount;    // at 32
    INT32 entryCount;     // at 36

    ArrayEntry* Entries() { return reinterpret_cast<ArrayEntry*>(reinterpret_cast<BYTE*>(this) + sizeof(ArrayData)); }
    ArrayEntry& operator[](int i) { return Entries()[i]; }
};
static_assert(sizeof(ArrayData) == 40);
static_assert(offsetof(ArrayData, style) == 16);
static_assert(offsetof(ArrayData, memberCount) == 32);
static_assert(offsetof(ArrayData, entryCount) == 36);

// The four tables share one layout: the block header, an i32 count, then the entries. A table
// may be longer than its count needs; readers go by the count.
template <typename Entry>
struct RecordTable {
    BlockHeader header;
    INT32 count;

    Entry* Entries() { return reinterpret_cast<Entry*>(reinterpret_cast<BYTE*>(this) + kTableHeaderSize); }
    Entry& operator[](int i) { return Entries()[i]; }
    static constexpr LONG SizeFor(int n) { return kTableHeaderSize + static_cast<LONG>(sizeof(Entry)) * n; }
};

using ObjectList = RecordTable<DrawObject>;   // record 110
using ZOrderList = RecordTable<INT32>;        // record 111: rows, back to front
using LinkIndex = RecordTable<LinkEntry>;     // record 115
using GroupTable = RecordTable<GroupEntry>;   // record 118

#pragma pack(pop)
