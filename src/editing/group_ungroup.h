// Draw/Group and Draw/Ungroup, and the choice of free group ids shared with Paste and Duplicate.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

struct DocumentState;

constexpr int kLastGroupId = 65535;   // a drawing file keeps group ids in 16 bits

// First id of a run of `run` new group ids beside the table's first `count` entries: below the
// lowest id when there is room there, else after the highest; when that would pass 65,535, the
// lowest run of free ids, and 1 when there is none.
int GroupIdBase(const GroupEntry* entries, int count, int run);

// Makes the selected objects one group: 0, or the error of growing the group table.
int GroupSelection(DocumentState* state, Drawing* drawing);
// Removes the selected groups; their members keep their places and stay selected.
int UngroupSelection(DocumentState* state, Drawing* drawing);
