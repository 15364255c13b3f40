// Turning an editor's tables into a self-contained TextBlock, and the two routines it runs:
// compacting the paragraph formats and measuring the widest word.
#pragma once

#include <windows.h>

#include "text/text_records.h"

// Asks SerializeTextBlock for the whole text rather than the selection.
constexpr UINT TenWholeText = 0x400;

// A new movable TextBlock of the editor's whole text (TenWholeText) or of its selection, which
// the caller frees; null when the block would exceed 0x7FFF bytes, memory runs out, the
// selection is empty or the editor's tables do not hold what its counts say. Compacts the
// editor's own paragraph formats first.
HGLOBAL SerializeTextBlock(TenState* state, UINT flags);

// Removes the formats of `formatTable` (i32 count, then the entries) that no run names, in
// place, and renumbers the runs. A run naming an index outside the table uses the first format,
// as layout does, and is renumbered as naming it; formats past the 500th are dropped.
void CompactParagraphFormats(INT32* formatTable, TextRun* runs, int runCount);

// The width of the widest word (characters other than space, tab and 13) of the text on `dc`,
// each piece measured with its run's font and character spacing; a word ended by a space is
// measured with that space. `formatTable` is an i32 count followed by the entries.
int MeasureWidestWord(HDC dc, const TextRun* runs, const INT32* formatTable, int runCount,
                      const BYTE* text, int length);
