// The label that shows a line's or a connector's length in the drawing's ruler units.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

constexpr int kDimensionTextSize = 262;   // bytes of each text FormatDimensionText writes

// Writes `length` (drawing units) in the ruler's unit: the number into `number` and the unit
// suffix (empty without units) into `unit`, each a buffer of kDimensionTextSize bytes.
void FormatDimensionText(const RulerSettings* ruler, double length, char* number, char* unit);

// Rewrites the length label of the object at `row`; `unitMode` -1 keeps the drawing's unit.
// 0, 1 when the view has no document state, or the text operations' error.
int UpdateDimensionLabel(Drawing* drawing, ObjectList* objects, int row, int unitMode);

// OM_SHOWLENGTH: `values` holds the unit mode and a hide flag.
int SetShowLength(Drawing* drawing, ObjectList* objects, int row, const INT32* values);
