// The run table of an editor: comparing, removing and merging character-format runs, and the
// symbol-face flag of a run.
#pragma once

#include <windows.h>

#include "text/text_records.h"

constexpr INT32 TextRunSymbolFace = 8;

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
