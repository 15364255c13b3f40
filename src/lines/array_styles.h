// A line array's style commands (the "Vexlines" submenu) and its flip.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// Message 83: `values[1]` is the command id minus 1601.
void SetArrayStyle(Drawing* drawing, ObjectList* objects, int row, const INT32* values);

// Message 58: 8 left to right, 0x10 top to bottom. 0 when nothing changed, else the layout's
// result.
int FlipArray(Drawing* drawing, ObjectList* objects, int row, int flags);
