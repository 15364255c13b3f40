// Measuring rich text on a device: run fonts and metrics, searches by position and by y,
// positions to x and back, fitted character widths.
#pragma once

#include <windows.h>

#include "text/text_records.h"

// The justification state of the text being drawn at another scale than the layout's
// (fit mode): its extra width and its number of breaks; both 0 outside such text.
extern int g_justifyExtra;
extern int g_justifyBreaks;

// A paragraph format table: a 32-bit count, then the entries.
inline int FormatTableCount(const void* table)
{
    return table ? *static_cast<const INT32*>(table) : 0;
}
inline const ParagraphFormat* FormatTableEntries(const void* table)
{
    return reinterpret_cast<const ParagraphFormat*>(static_cast<const BYTE*>(table) + 4);
}

// 1 when the byte at `position` really begins a double-byte character (a lead-byte value with an
// even number of lead-byte values right before it), else 0.
int IsDbcsLeadByteAt(const char* text, int position);
// Moves an offset off the trail byte of a double-byte character: back by one when `backward`,
// else forward by one while below `limit`. Unchanged outside double-byte mode.
int SnapToCharBoundary(const char* text, int base, int offset, int limit, BOOL backward);

// The paragraph format at `index` of a table of `count` entries; the first entry for an index
// outside the table (negative ones included).
const ParagraphFormat* ParagraphFormatAt(const ParagraphFormat* formats, int count, int index);

// Sets the device's extra space between characters to the run's format's charSpacing percent
// of its averageWidth (0 when either is 0 or the format index lies outside the table); returns
// the previous setting.
int SetRunCharSpacing(HDC dc, const ParagraphFormat* formats, int count, const TextRun* run);

// Gives a run its font and metrics on the editor's reference device.
int CreateRunFont(TenState* state, TextRun* run);
// The same for the runs `first` to `last` (cut to the last run) of the editor's state block.
int CreateRunFonts(HGLOBAL stateHandle, int first, int last);

int FindRunAtPosition(int position, const TextRun* runs, int count);
int FindLineAtPosition(int position, const TextLine* lines, int count);
int FindLineAtY(const TextLine* lines, int count, int y);

// The x of a character position in laid-out line `line` and the run it belongs to.
int PositionToX(TenState* state, int line, const TextRun* runs, const char* text, int position,
                int* outRun);
// The character position nearest to `x` in a line, the x of that position and its run (-1 past
// the line's end). `formatTable` is a count followed by the entries.
int XToPosition(HDC dc, BOOL fitMode, const TextLine* line, const TextRun* runs, int runCount,
                const TextSegment* segments, const void* formatTable, const char* text, int x,
                int* outX, int* outRun);
// How many of `count` characters from `start` come nearest to `target` (the nearer edge), with
// their width less the overhang in `outWidth`.
int FitCharCount(HDC dc, const char* text, int overhang, BOOL doubleByte, int start, int count,
                 int target, int* outWidth, int stretchWidth, int laidOutCount);
void SetJustification(HDC dc, int extra, int breaks, BOOL fitMode);

// Makes sure the process-wide width table holds `n` entries: made at 160 on first use, grown to
// 4n + 40 bytes (n + 10 entries) for a longer string. FALSE when it cannot grow.
BOOL EnsureWidthTable(int n);
// Widths of n characters into `table` from `startIndex`; their sum, or -1 when the table is small.
int GetRunCharWidths(HDC dc, const char* text, int n, INT32* table, int capacity, int startIndex,
                     BOOL doubleByte);
// Fits n widths summing to `naturalSum` to `target` plus the justification extra.
void AdjustCharWidths(const char* text, INT32* widths, int n, int naturalSum, int target);
// Width of the first `count` characters, fitted over `laidOutCount` characters to `stretchWidth`
// when that is above 0; -1 when the width table cannot grow.
int MeasureTextRun(HDC dc, const char* text, int count, int laidOutCount, int stretchWidth,
                   BOOL doubleByte);
// Draws n characters on the baseline at x, y, fitted to `stretchWidth` when above 0.
int OutputTextPiece(HDC dc, HDC measureDC, int x, int y, const char* text, int n,
                    int stretchWidth, BOOL doubleByte);
