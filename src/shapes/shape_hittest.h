// Hit testing of shapes: which part of a shape lies under a point.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// Part codes a shape answers (the editing subsystem's HitCode values).
constexpr int kHitNothing = 0;
constexpr int kHitBorder = 40;
constexpr int kHitInterior = 44;
constexpr int kHitAttachment = 45;

// The text tool's probe: hollow shapes keep their interior, rectangles are not narrowed.
constexpr int kHitModeTextProbe = 17;

// OM_HITTEST: the part of the shape at `row` (-1: the standalone record `objects`, whose
// adjustment handle, attachment mark and rectangle body are not tested) under (x, y) in
// drawing units. The caller has already found the point inside the update rectangle.
int HitTestShape(Drawing* drawing, void* objects, int row, int mode, int x, int y);
