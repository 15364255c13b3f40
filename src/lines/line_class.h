// The class handler of straight lines (class 1): the dispatch of the protocol's messages, the
// creation of a new line, its offset and capabilities, and the recomputation of its derived
// rectangles that every change ends with.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// Answers the object class protocol for straight lines.
extern "C" LONG CALLBACK SED_LineDHandler(HDC dc, Drawing* drawing, void* objects, int row,
                                          int message, int a, int b, void* p);

// Recomputes the frame's cross extent, the inner, text and update rectangles and the
// orientation bits of the hook mask.
void RecalcLineBounds(Drawing* drawing, DrawObject* line);

// OM_INIT: a new line over the frame AddObject set; `corner` (1-4) is the frame corner at which
// the creating drag began, `singleHead` asks for one head at the end where it finished. 0.
int InitStraightLine(Drawing* drawing, DrawObject* line, int corner, int singleHead);

// OM_OFFSET: the model has moved the rectangles; the line coordinate follows. 0.
int OffsetStraightLine(Drawing* drawing, DrawObject* line, int dx, int dy);

// OM_GETCAPS: 2773, or 2753 for a line in a group.
int GetLineCapabilities(const DrawObject* line);

// Recomputes the rectangles of every shaped line of the drawing (their path depends on the
// parameter); run after a drawing has been loaded.
void RefreshShapedLineBounds(HGLOBAL drawingHandle);
