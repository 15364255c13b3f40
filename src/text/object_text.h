// Object text as the drawing model sees it: the stored TextBlock layout, the text holder of an
// object, ending an in-place edit, and the editor's background callback.
#pragma once

#include <windows.h>

#include <cstddef>

#include "model/drawing_records.h"

struct DocumentState;

#pragma pack(push, 1)

// Payload of a TextBlock record (type 114): an 88-byte header, then lineCount lines of 60
// bytes, runCount runs of 68 bytes, formatCount paragraph formats of 44 bytes, segmentCount
// segments of 24 bytes and textLength text bytes; at most 0x7FFF bytes in all.
struct TextBlockHeader {
    INT32 runCount;
    INT32 lineCount;
    INT32 textLength;
    INT32 formatCount;
    INT32 segmentCount;
    INT32 options;
    INT32 widestLine;
    INT32 textHeight;
    RECT margins;
    INT32 layoutWidth;
    INT32 widestWord;
    INT32 zoom;
    INT32 labelLink;
    INT32 ownerRow;
    INT32 effectDx;        // at 68, the TextEffect
    INT32 effectDy;
    INT32 effectKind;
    COLORREF effectColor;
    COLORREF effectColor2;
};
static_assert(sizeof(TextBlockHeader) == 88);

// One character-format run.
struct TextRun {
    INT32 face;            // font slot
    INT32 size;            // points
    INT32 style;           // 1 bold, 2 italic, 4 underline, 8 inverse
    COLORREF color;
    INT32 script;          // at 16: 1 raised, -1 lowered, 0 normal
    INT32 attribute;
    INT32 paragraphFormat; // at 24
    INT32 runFlags;
    INT32 nominalSize;
    INT32 escapement;      // at 36
    INT32 ascent;
    INT32 height;
    INT32 averageWidth;
    INT32 overhang;
    INT32 firstChar;
    INT32 charCount;
    INT32 font;            // at 64, a process-local handle
};
static_assert(sizeof(TextRun) == 68);

struct ParagraphFormat {
    INT32 alignment;       // 0 left, 2 right, 6 centred, 32 justified
    INT32 lineSpacing;     // percent of the line height added below each line
    INT32 extraSpacing;    // units added below each line
    INT32 charSpacing;     // percent of the average character width
    INT32 leftIndent;      // at 16, also the room left for a bullet
    INT32 rightIndent;
    INT32 firstIndent;
    INT32 spacingBase;
    INT32 bullet;          // at 32: 0 none, 1-4 circles and squares
    INT32 tabInterval;
    INT32 hyphenate;
};
static_assert(sizeof(ParagraphFormat) == 44);
static_assert(offsetof(ParagraphFormat, bullet) == 32);

#pragma pack(pop)

constexpr int kTextLineSize = 60;
constexpr int kTextSegmentSize = 24;

// The runs and paragraph formats of a locked TextBlock payload of `payloadSize` bytes. Counts
// come from stored data: a block whose counts do not fit its size yields no runs.
struct TextBlockView {
    const TextRun* runs = nullptr;
    int runCount = 0;
    const ParagraphFormat* formats = nullptr;
    int formatCount = 0;
};
TextBlockView ViewTextBlock(const BYTE* payload, LONG payloadSize);

// The size of the TextBlock its header describes: 88 bytes, then the lines, runs, paragraph
// formats, segments and text; -1 when a count is negative.
long long TextBlockSize(const TextBlockHeader* header);

// Copies the TextBlock `text` (a movable memory block) into the store record `*record`, resized
// to 16 bytes plus the block (the block may move), and marks it changed. 1 when the record would
// be above 65,000 bytes (nothing changes), StoreMemoryTooSmall when the memory block is shorter
// than its header says, or the store's error.
int StoreTextBlock(HGLOBAL* record, HGLOBAL text);

// Lays the object's stored text out again by its fit mode, growing or shrinking the frame away
// from `anchor` (0: by the text alignment): 0, a store error, or 10009 when the object would
// become larger than the page. Until the text layout is built, the stored layout stands.
int LayoutObjectText(Drawing* drawing, DrawObject* object, int anchor);

// textRect = innerRect shrunk by textInset, then by textMargins.
void ComputeObjectTextRect(DrawObject* object);

// The row of the object that carries the text of the object at `row`: a line's label, or the
// object itself; -1 when the label is gone (the holder's partner fields are then cleared).
int ResolveTextHolderIndex(ObjectList* objects, int row);

// Ends an edit whose text was not changed; mode 1 leaves the edited object selected.
void EndUnchangedTextEdit(DocumentState* state, int mode);

// Stores the editor's text as the edited object's text record and resizes the object.
int CommitObjectTextEdit(HWND view, DocumentState* state, int reserved, int mode);

// Editor messages the model sends.
constexpr UINT TEN_GETMODIFIED = WM_USER + 115;
constexpr UINT TEN_GETTEXT = WM_USER + 113;

// Draws the object's stored text inside its textRect, rotated with the object, for OM_DRAW
// and 31-33 of its class. Text is laid out by the text engine; until it lands nothing is drawn.
void DrawObjectText(HDC dc, int message, Drawing* drawing, ObjectList* objects, int row, int a,
                    int b, void* p);

// The editor's owner-paint callback, slot 4 of the class handler table.
extern "C" LONG CALLBACK SED_TENProc(HWND editor, HDC dc, void* tenState);
