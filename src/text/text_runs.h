// The run table of an editor: comparing, removing and merging character-format runs, and the
// symbol-face flag of a run.
#pragma once

#include <windows.h>

#include "text/text_records.h"

constexpr INT32 TextRunRuleBelow = 1;
constexpr INT32 TextRunNextBand = 4;
constexpr INT32 TextRunSymbolFace = 8;
constexpr INT32 TextRunKeepFace = 0x10;

// Face slot, size, nominal size, style, attribute, colour, paragraph format, run flags and
// super/subscript all equal; position, count and font are not compared.
BOOL SameRunFormat(const TextRun* a, const TextRun* b);
// Run `run` takes the characters of the run after it, which is removed: 0, or 1 for the last
// run (or a run outside the table).
int DeleteRun(TenState* state, int run);
// From the second-to-last run down: drops an empty trailing run behind a run and merges
// neighbours of the same format. 0.
int MergeEqualRuns(TenState* state);
// Sets run flag 8 when the run's face slot names a font of the symbol character set, else
// clears it.
void SetSymbolRunFlag(TenState* state, TextRun* run);
BOOL IsSymbolRun(const TextRun* run);

// Run `run` is split at text position `position`: it keeps the characters before it and a copy
// of it after it takes the rest. 0, 1 for no such run, 10004 when the table cannot grow.
int SplitRun(TenState* state, int run, int position);
// Where the paragraph of run b must be cut off to take run a's paragraph (the character after the
// next paragraph end from b's start, or the text length); 0 when the pair needs no fixing.
int ParagraphBreakToFix(const char* text, int length, const TextRun* a, const TextRun* b);
// Makes run b (the part of its paragraph that joined run a's) take a's paragraph format, and
// merges the two when they are then alike. `merged` tells whether b went into a. 0 or 10004.
int CopyParagraphFormatIndex(TenState* state, const void* formatTable, int a, int b, BOOL* merged);
// The face slot of the nearest run at the caret that is not in a symbol face; the editor's default
// face when there is none.
int NonSymbolFaceAtCaret(TenState* state);
