// The records of rich text: the TextBlock that carries a text between editors, stores,
// clipboard and files, its runs, paragraph formats, effect, laid-out lines and segments; the
// region bands; and the text editor's state and creation records (memory only).
//
// Text codes: 13 ends a paragraph, 9 is a tab, 1 a soft hyphen, 2 a hard space, 32 the only
// ordinary break. The text has no terminating zero.
#pragma once

#include <windows.h>

#include <cstddef>

#pragma pack(push, 1)

// A text shadow or embossing: kind 0 none, 1 and 2 embossed (2 with the colours swapped), 3 a
// stepped shadow, 4 and 5 a single shadow copy.
struct TextEffect {
    INT32 dx;
    INT32 dy;
    INT32 kind;
    COLORREF color;     // shadow colour
    COLORREF color2;    // highlight colour
};
static_assert(sizeof(TextEffect) == 20);

// One character-format run; the runs cover the text in order without gaps.
struct TextRun {
    INT32 face;            // font slot of the document's DocumentFontMap
    INT32 size;            // points
    INT32 style;           // 1 bold, 2 italic, 4 underline, 8 inverse
    COLORREF color;
    INT32 script;          // 1 superscript, -1 subscript, 0 normal
    INT32 attribute;       // reported with format notices
    INT32 paragraphFormat; // index into the paragraph format table
    INT32 runFlags;        // 1 full rule below, 2 inset rule below, 4 next band, 8 symbol face,
                           // 0x10 face kept when the whole text's typeface changes
    INT32 nominalSize;     // the size the user chose
    INT32 escapement;      // tenths of a degree; 0 except while rotated text is drawn
    INT32 ascent;          // of the run's font, adjusted for script and effect
    INT32 height;
    INT32 averageWidth;
    INT32 overhang;
    INT32 firstChar;
    INT32 charCount;
    INT32 font;            // cached font handle, meaningful only inside the running process
};
static_assert(sizeof(TextRun) == 68);
static_assert(offsetof(TextRun, paragraphFormat) == 24);
static_assert(offsetof(TextRun, firstChar) == 56);

// A paragraph format; an editor's table is a 32-bit count followed by at most 500 entries.
struct ParagraphFormat {
    INT32 alignment;       // 0 left, 2 right, 6 centred, 32 justified
    INT32 lineSpacing;     // percent of the line height added below each line
    INT32 extraSpacing;    // logical units added below each line
    INT32 charSpacing;     // percent of the run's average width added between characters
    INT32 leftIndent;      // also the room left for a bullet
    INT32 rightIndent;
    INT32 firstIndent;
    INT32 spacingBase;     // 120 in every format the program makes; no layout rule reads it
    INT32 bullet;          // 0 none, 1 hollow circle, 2 filled circle, 3 hollow square, 4 filled
    INT32 tabInterval;     // distance between tab stops (150 in a new editor)
    INT32 hyphenate;       // 1 in every format the program makes; no layout rule reads it
};
static_assert(sizeof(ParagraphFormat) == 44);
static_assert(offsetof(ParagraphFormat, bullet) == 32);

constexpr int kMaxParagraphFormats = 500;
constexpr int kTextAlignLeft = 0;
constexpr int kTextAlignRight = 2;
constexpr int kTextAlignCentre = 6;
constexpr int kTextAlignJustify = 32;

// One laid-out line (also carried inside a TextBlock).
struct TextLine {
    INT32 ascent;          // top to baseline
    INT32 height;          // without line spacing
    INT32 x;               // left margin + indent + alignment shift
    INT32 y;               // top
    INT32 fullWidth;       // text width with trailing spaces (+ overhang, + soft-hyphen dash)
    INT32 extent;          // the width the line claims
    INT32 breakWidth;      // width up to the last break point, without trailing spaces
    INT32 firstRun;
    INT32 firstChar;
    INT32 drawnChars;      // characters up to the last break point
    INT32 charCount;       // characters of the line, a paragraph's 13 not counted
    INT32 paragraphWidth;  // the available width on a paragraph's last line, else 0
    INT32 flags;           // TextLine* flags below
    INT32 firstSegment;
    INT32 segmentCount;    // at least 1
};
static_assert(sizeof(TextLine) == 60);

constexpr INT32 TextLineEndsParagraph = 1;
constexpr INT32 TextLineSoftHyphen = 2;
constexpr INT32 TextLinePushedToBand = 4;
constexpr INT32 TextLineFirstOfBand = 8;

// One piece of a line drawn with one font in one call.
struct TextSegment {
    INT32 drawnChars;      // without the ending tab, hard space or soft hyphen (and trailing
                           // spaces on a line's last segment)
    INT32 charCount;       // all characters, the ending one included
    INT32 breakCount;      // spaces that take a share of a justified line's spare width
    INT32 extraWidth;      // justified: the spare width given here; else on the last segment the
                           // width left over; 1 marks a run-boundary space during layout only
    INT32 x;               // relative to the line's x
    INT32 width;           // drawn width on the reference device
};
static_assert(sizeof(TextSegment) == 24);

// The self-contained form of a rich text: this 88-byte header, then lineCount TextLines,
// runCount TextRuns, formatCount ParagraphFormats, segmentCount TextSegments and textLength
// bytes of text; never more than 0x7FFF bytes in all. Character positions count from the
// block's first text byte.
struct TextBlock {
    INT32 runCount;
    INT32 lineCount;
    INT32 textLength;
    INT32 formatCount;
    INT32 segmentCount;
    INT32 options;         // the editor's options: 1 modified, 2 wrap, 4 whole text, 8 single
                           // line, 0x10 no shrink
    INT32 widestLine;      // the largest breakWidth; 0 in a selection block
    INT32 textHeight;      // last line's y + height - first line's y; 0 in a selection block
    INT32 marginLeft;
    INT32 marginTop;
    INT32 marginRight;
    INT32 marginBottom;
    INT32 layoutWidth;     // editor width less its margins; -1 when not laid out yet
    INT32 widestWord;      // 0 in a selection block
    INT32 zoom;            // per mille, 0 = 100 %
    INT32 labelLink;       // label object's row << 16 | its id; -1 otherwise
    INT32 ownerRow;        // -1 for text without an object
    TextEffect effect;
};
static_assert(sizeof(TextBlock) == 88);
static_assert(offsetof(TextBlock, effect) == 68);

constexpr int kTextBlockSize = 88;
constexpr int kTextLineSize = 60;
constexpr int kTextRunSize = 68;
constexpr int kParagraphFormatSize = 44;
constexpr int kTextSegmentSize = 24;
constexpr int kLargestTextBlock = 0x7FFF;

// A horizontal band that lines flow through, one after the other.
struct TextRegion {
    INT32 top;
    INT32 height;
    INT32 filledTo;        // written by layout: where the band's last line ends
    INT32 firstLine;       // written by layout
    INT32 reserved1;       // neither read nor written by the editor
    INT32 reserved2;
    INT32 wrapWidth;
};
static_assert(sizeof(TextRegion) == 28);

#pragma pack(pop)

// A position in an editor's text.
struct TextPos {
    INT32 charIndex;
    INT32 lineIndex;
    INT32 runIndex;
    INT32 x;               // logical, inside the editor
    INT32 atLineStart;     // 1 at the start of its line rather than the end of the line before
};

// The owner's background painter, called before the text is drawn.
typedef LONG(CALLBACK* TenOwnerPaintProc)(HWND editor, HDC dc, void* tenState);

// The part of an editor's state that the undo snapshot copies: the fields from `options` to
// `segments`, with tables of their own.
struct TenTextCopy {
    DWORD options;         // TenOpt* below
    INT32 width;           // logical units; 32000 means unbounded
    INT32 height;
    INT32 ownerRow;        // negative when the text has no object yet
    INT32 verticalAlign;   // 0 top, 6 middle, 8 bottom
    INT32 fittedHeight;
    TextRun typingFormat;
    INT32 typingRun;       // -1 for the typing format
    TextPos selStart;
    TextPos selEnd;
    TextPos selAnchor;
    INT32 textLength;
    INT32 runCount;
    INT32 lineCount;
    INT32 segmentCount;
    HGLOBAL text;          // text bytes plus spare room
    HGLOBAL runs;          // TextRun table
    HGLOBAL lines;         // TextLine table
    HGLOBAL formats;       // i32 count, then ParagraphFormat entries
    HGLOBAL segments;      // TextSegment table
};

// Window word 0 of a TENClass window holds a movable block with this record.
struct TenState {
    DWORD flags;           // TenFlag* below
    RECT visible;          // the visible part, in editor logical coordinates
    INT32 originX;         // top-left in the parent's logical coordinates
    INT32 originY;
    RECT margins;          // distances from the edges
    INT32 maxWidth;
    INT32 maxHeight;
    INT32 minHeight;
    INT32 minWidth;
    INT32 heightStep;
    INT32 widthStep;
    INT32 bitmapWidth;
    INT32 bitmapHeight;
    INT32 zoom;            // per mille, 0 = 100 %
    // From here to `segments`: the copy an undo snapshot takes (TenTextCopy).
    DWORD options;
    INT32 width;
    INT32 height;
    INT32 ownerRow;
    INT32 verticalAlign;
    INT32 fittedHeight;
    TextRun typingFormat;
    INT32 typingRun;
    TextPos selStart;
    TextPos selEnd;
    TextPos selAnchor;
    INT32 textLength;
    INT32 runCount;
    INT32 lineCount;
    INT32 segmentCount;
    HGLOBAL text;
    HGLOBAL runs;
    HGLOBAL lines;
    HGLOBAL formats;
    HGLOBAL segments;
    TenTextCopy snapshot;  // the undo snapshot
    INT32 undoKind;        // an UndoLabel code; 0 when there is nothing to undo
    INT32 paintedBottom;
    INT32 separatorBottom;
    INT32 bandCount;
    HDC windowDC;          // kept for the window's life
    HDC referenceDC;       // the owner's measuring device
    HDC memoryDC;
    HBITMAP bitmap;
    TenOwnerPaintProc ownerPaint;
    HGLOBAL fontMap;       // the document's DocumentFontMap
    HGLOBAL fontList;      // the reference device's FontList
    HGLOBAL bands;         // TextRegion table or none
    INT32 lastBandChange;
    COLORREF background;
    INT32 caretX;
    INT32 caretY;
    INT32 caretHeight;
    INT32 caretShown;
    INT32 labelLink;
    INT32 editorKind;      // 1 for the text of drawing objects
    INT32 numericMode;
    INT32 maxTextLength;   // 0 for no limit
    INT32 baseUnit;        // logical units per inch, 600
    INT32 defaultFace;
    HPALETTE palette;
    RECT frame;            // the edited object's frame in editor logical coordinates
    TextEffect effect;
    double marginRatios[4];
};

static_assert(offsetof(TenState, segments) + sizeof(HGLOBAL) - offsetof(TenState, options) ==
              sizeof(TenTextCopy));
static_assert(offsetof(TenState, typingFormat) - offsetof(TenState, options) ==
              offsetof(TenTextCopy, typingFormat));
static_assert(offsetof(TenState, segments) - offsetof(TenState, options) ==
              offsetof(TenTextCopy, segments));

// The fields from `options` to `segments` of an editor's current text, as one copy.
inline TenTextCopy* CurrentTextCopy(TenState* state)
{
    return reinterpret_cast<TenTextCopy*>(&state->options);
}

// TenState flags.
constexpr DWORD TenFlagActive = 0x1;
constexpr DWORD TenFlagGrowWidth = 0x2;
constexpr DWORD TenFlagGrowHeight = 0x4;
constexpr DWORD TenFlagRedo = 0x8;
constexpr DWORD TenFlagFontsChanged = 0x10;
constexpr DWORD TenFlagLayoutPending = 0x20;
constexpr DWORD TenFlagNoHScroll = 0x40;
constexpr DWORD TenFlagNoVScroll = 0x80;
constexpr DWORD TenFlagWordDrag = 0x100;
constexpr DWORD TenFlagPastePlain = 0x200;
constexpr DWORD TenFlagRefitOnHeight = 0x400;
constexpr DWORD TenFlagRepaintAll = 0x800;
constexpr DWORD TenFlagShadow = 0x1000;
constexpr DWORD TenFlagRotated = 0x2000;
constexpr DWORD TenFlagFieldMode = 0x4000;

// TenState and TextBlock options.
constexpr DWORD TenOptModified = 0x1;
constexpr DWORD TenOptWordWrap = 0x2;
constexpr DWORD TenOptWholeText = 0x4;
constexpr DWORD TenOptSingleLine = 0x8;
constexpr DWORD TenOptNoShrink = 0x10;
constexpr DWORD TenOptWordSelect = 0x200;
constexpr DWORD TenOptSnapshotTaken = 0x400;

// The creation record of an editor, handed over as the window's creation parameter.
struct TenCreateParams {
    HGLOBAL fontList;      // required
    HGLOBAL fontMap;       // required
    INT32 originX;
    INT32 originY;
    INT32 maxWidth;
    INT32 maxHeight;
    INT32 minHeight;
    INT32 minWidth;
    INT32 heightStep;
    INT32 widthStep;
    RECT margins;
    INT32 zoom;
    TenOwnerPaintProc ownerPaint;
    const char* initialText;
    INT32 face;
    INT32 size;
    INT32 style;
    COLORREF color;
    INT32 script;
    INT32 attribute;
    INT32 alignment;
    INT32 bandCount;
    HGLOBAL bands;
    INT32 editorKind;
    INT32 numericMode;
    INT32 maxTextLength;
    INT32 ownerRow;
    DWORD options;
    DWORD flags;
    BYTE createFlags;      // 1 first run from the typing fields even with a text; 2 hidden
    HDC referenceDC;       // required
    INT32 labelLink;
    INT32 baseUnit;
    INT32 verticalAlign;
    HPALETTE palette;
    RECT frame;
    TextEffect effect;
    double marginRatios[4];
};
