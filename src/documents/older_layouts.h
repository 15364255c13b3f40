// The record layouts of earlier versions: their options store (record type 51) and their
// drawing stores, which held 16-bit integers where the current records hold 32-bit ones.
//
// Offsets are payload offsets (16 bytes after the block's start), except in OldDrawing, which
// counts from the block's start as the current Drawing does. Every count here is outside data:
// the converters check it is not negative and that head + count x entry fits the record.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstring>

#include "documents/settings.h"

#pragma pack(push, 1)

struct OldRect16 {
    INT16 left, top, right, bottom;
};
static_assert(sizeof(OldRect16) == 8);

// ---- Options store ----------------------------------------------------------------------------

// One palette tool slot, laid out like options record 0x0811.
struct OldToolSlot {
    INT16 width, height, objClass, subtype, growMode;
    double adjustment;
};
static_assert(sizeof(OldToolSlot) == 18);

constexpr int kOldToolSlots = 21;
constexpr INT16 kOldSettingsWithFooterLift = 3;

// Record 51/100. Fields past the stored record's length keep their defaults.
struct OldSettings {
    INT16 version;              // 3: the footer lift is present
    INT16 unused2;
    INT16 rulersShown;          // at 4
    INT16 unused6;
    double rulerScale;          // at 8; 100.0 means inches
    INT16 rulerDivisions;       // at 16
    WORD printOptions;
    INT16 flags;                // at 20
    INT16 defaults[6];          // at 22: border width .. vertical alignment
    char defaultFace[32];       // at 34
    BYTE unused66[3112];
    INT16 exportType;           // at 3178
    INT16 importType;
    INT16 nextTip;
    DWORD standardColors[kStandardColors];   // at 3184
    OldToolSlot tools[kOldToolSlots];        // at 3376
    BYTE unused3754[362];
    INT16 footerLift;           // at 4116
};
static_assert(offsetof(OldSettings, rulerScale) == 8);
static_assert(offsetof(OldSettings, flags) == 20);
static_assert(offsetof(OldSettings, defaultFace) == 34);
static_assert(offsetof(OldSettings, exportType) == 3178);
static_assert(offsetof(OldSettings, standardColors) == 3184);
static_assert(offsetof(OldSettings, tools) == 3376);
static_assert(offsetof(OldSettings, footerLift) == 4116);
static_assert(sizeof(OldSettings) == 4118);

constexpr int kOldRecentPath = 256;

// Record 51/101.
struct OldRecentFiles {
    INT16 unused0;
    INT16 count;                // at 2
    INT16 unused4[2];
    INT16 order[kMaxRecentFiles];   // at 8: for each shown position, its path slot
    BYTE unused16[256];
    char paths[kMaxRecentFiles][kOldRecentPath];   // at 272
};
static_assert(offsetof(OldRecentFiles, order) == 8);
static_assert(offsetof(OldRecentFiles, paths) == 272);
static_assert(sizeof(OldRecentFiles) == 1296);

// ---- Drawing store ----------------------------------------------------------------------------

constexpr int kOldDeviceName = 268;

// Payload of record 100/101 in versions 0-3.
struct OldDocumentState {
    INT16 version;              // 0-3
    INT16 scrollX, scrollY;
    INT16 zoom;
    WORD zoomFlags;             // at 8
    WORD flags;                 // at 10
    BYTE unused12[16];
    INT16 areaWidth, areaHeight;             // at 28
    INT16 pageWidth, pageHeight;             // at 32
    INT16 printableWidth, printableHeight;   // at 36
    OldRect16 margins;          // at 40
    OldRect16 printerMargins;   // at 48
    INT16 footerSpace;          // at 56
    char deviceName[kOldDeviceName];   // at 58, to 326; not always terminated
    INT32 savedBackground;      // at 326, the page-block value
};
static_assert(offsetof(OldDocumentState, areaWidth) == 28);
static_assert(offsetof(OldDocumentState, margins) == 40);
static_assert(offsetof(OldDocumentState, footerSpace) == 56);
static_assert(offsetof(OldDocumentState, deviceName) == 58);
static_assert(offsetof(OldDocumentState, savedBackground) == 326);
static_assert(sizeof(OldDocumentState) == 330);

// Heads of the old font-slot map (100/103), font list (100/104), colour list (100/106),
// z-order (111/0), object list (110/0) and link index (115/0): an i16 count first.
struct OldCountHead {
    INT16 count;
};
struct OldFontListHead {
    INT16 count;
    INT16 defaultIndex;
};
static_assert(sizeof(OldFontListHead) == 4);

// The 16-bit LOGFONT of the old font list; only the character set and the face are carried.
struct OldLogFont {
    INT16 metrics[5];           // height, width, escapement, orientation, weight
    BYTE italic, underline, strikeOut;
    BYTE charSet;               // at 13
    BYTE outPrecision, clipPrecision, quality, pitchAndFamily;
    char faceName[32];          // at 18
};
static_assert(offsetof(OldLogFont, charSet) == 13);
static_assert(offsetof(OldLogFont, faceName) == 18);
static_assert(sizeof(OldLogFont) == 50);

struct OldFontListEntry {
    OldLogFont logFont;
    INT16 heightAtSize1, averageWidth, kind, cacheIndex;
};
static_assert(sizeof(OldFontListEntry) == 58);

constexpr int kColorListCapacity = 256;       // colours in the 1044-byte current record

// Record 100/105, offsets from the block's start.
struct OldDrawing {
    BlockHeader header;
    BYTE unused16[4];
    INT16 pageWidth, pageHeight;   // at 20
    WORD drawingFlags;          // at 24
    BYTE unused26[6];
    INT16 selectedCount;        // at 32
    INT16 currentRow;
    WORD openedWithObjects;     // at 36
    WORD lastId;
    INT16 duplicateDx, duplicateDy;   // at 40
    PackedStyleRecord style;    // at 44
    INT16 defaults[6];          // at 112
    char defaultFace[32];       // at 124
    INT16 defaultFillPattern;   // at 156
    INT32 pendingMessage;       // at 158
    INT16 toolSlot;             // at 162
};
static_assert(offsetof(OldDrawing, pageWidth) == 20);
static_assert(offsetof(OldDrawing, selectedCount) == 32);
static_assert(offsetof(OldDrawing, style) == 44);
static_assert(offsetof(OldDrawing, defaults) == 112);
static_assert(offsetof(OldDrawing, defaultFace) == 124);
static_assert(offsetof(OldDrawing, pendingMessage) == 158);
static_assert(sizeof(OldDrawing) == 164);

struct OldHookEntry {
    WORD targetId;
    INT16 targetRow, attachX, attachY, holderCode;
};
static_assert(sizeof(OldHookEntry) == 10);

// One ObjectList entry; the current DrawObject receives each field at its own offset.
struct OldDrawObject {
    INT16 objClass;
    OldRect16 updateRect, frame, innerRect, textRect;   // at 2, 10, 18, 26
    INT16 axisCoord;            // at 34
    double params[5];           // at 36, copied unchanged
    OldRect16 textInset, textMargins;   // at 76, 84
    INT16 values[13];           // at 92: textId .. fillPattern
    INT32 fillColor, lineColor; // at 118
    INT16 data[4];              // at 126: data type, first id, count, object type
    WORD ids[5];                // at 134: state, options, object id, hook mask, accept mask
    INT16 hookCapacity, hookCount;   // at 144
    OldHookEntry hooks[2];      // at 148
    INT16 lastHookPoint[2];     // at 168
    INT32 arrowEnds;            // at 172: 0x2 the start, 0x1 the end
    WORD labelId;               // at 176
    INT16 labelRow;
    BYTE unused180[4];
    INT16 lineShape;            // at 184
};
static_assert(offsetof(OldDrawObject, axisCoord) == 34);
static_assert(offsetof(OldDrawObject, textInset) == 76);
static_assert(offsetof(OldDrawObject, values) == 92);
static_assert(offsetof(OldDrawObject, fillColor) == 118);
static_assert(offsetof(OldDrawObject, data) == 126);
static_assert(offsetof(OldDrawObject, ids) == 134);
static_assert(offsetof(OldDrawObject, hooks) == 148);
static_assert(offsetof(OldDrawObject, lastHookPoint) == 168);
static_assert(offsetof(OldDrawObject, arrowEnds) == 172);
static_assert(offsetof(OldDrawObject, lineShape) == 184);
static_assert(sizeof(OldDrawObject) == 186);

struct OldLinkEntry {
    WORD targetId;
    INT16 targetRow;
    WORD holderId;
    INT16 holderRow;
    WORD flags;
};
static_assert(sizeof(OldLinkEntry) == 10);

// A TextBlock record: header, lines, runs, paragraph formats, segments, then the text.
struct OldTextHeader {
    INT16 counts[8];            // runs, lines, text bytes, formats, segments, options, widest line, height
    OldRect16 margins;          // at 16
    INT16 layoutWidth, widestWord, zoom;   // at 24
    INT32 labelLink;            // at 30
    INT16 ownerRow, effectDx, effectDy, effectKind;   // at 34
    INT32 effectColor, effectColor2;        // at 42
};
static_assert(offsetof(OldTextHeader, labelLink) == 30);
static_assert(offsetof(OldTextHeader, effectColor) == 42);
static_assert(sizeof(OldTextHeader) == 50);

struct OldTextLine {
    INT16 values[12];
    WORD flags;                 // at 24
    INT16 firstSegment, segmentCount;
};
static_assert(offsetof(OldTextLine, flags) == 24);
static_assert(sizeof(OldTextLine) == 30);

struct OldTextRun {
    INT16 face, size;
    WORD style;                 // at 4
    INT32 color;                // at 6
    INT16 script, attribute, paragraphFormat;   // at 10
    WORD runFlags;              // at 16
    BYTE unused18[4];
    INT16 metrics[7];           // at 22: escapement .. charCount
    BYTE unused36[2];
};
static_assert(offsetof(OldTextRun, runFlags) == 16);
static_assert(offsetof(OldTextRun, metrics) == 22);
static_assert(sizeof(OldTextRun) == 38);

struct OldParagraphFormat {
    INT16 values[11];
};
static_assert(sizeof(OldParagraphFormat) == 22);

struct OldTextSegment {
    INT16 values[6];
};
static_assert(sizeof(OldTextSegment) == 12);

// Payload of a connector path record (116).
struct OldConnectorPath {
    INT16 sides[3];             // start side, end side, segment count
    OldRect16 segments[5];
    INT16 preferred[5];
};
static_assert(sizeof(OldConnectorPath) == 56);

#pragma pack(pop)

// Copies at most `room` - 1 characters of an old string field of `fromBytes` bytes, which need
// not be terminated, and ends the copy.
inline void CopyOldString(char* to, size_t room, const char* from, size_t fromBytes)
{
    size_t n = 0;
    while (n + 1 < room && n < fromBytes && from[n]) ++n;
    std::memcpy(to, from, n);
    to[n] = '\0';
}
