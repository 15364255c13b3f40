// Painting of straight lines: the body in its style and line shape, cut back for its
// arrowheads, the arrowheads, shadow copies and the attachment marker.
#pragma once

#include <windows.h>

#include "model/class_protocol.h"
#include "model/drawing_records.h"

// Paints the line (message 1) or a shadow copy of it (31, 32, with `shadow` giving the offset
// and colour). `noMarker` other than 0 (printing) suppresses the attachment marker.
void DrawStraightLine(HDC dc, int message, Drawing* drawing, void* objects, int row, int noMarker,
                      const ShadowPaint* shadow);

// The pen of a line style in `color`: none for style 0 (invisible), solid of `width` for 1 and
// unknown styles, one-pixel dotted, dashed, dash-dot, dash-dot-dot for 2-5.
HPEN CreateLinePen(HDC dc, COLORREF color, int width, int style);

// Selects the pen and draws the segment; horizontal and vertical segments between a save and a
// restore of the device context.
void StrokeLineSegment(HDC dc, HPEN pen, int width, int x1, int y1, int x2, int y2);

// The square in which the line's attachment marker is drawn and hit-tested.
void GetLineAttachmentMarkerRect(const DrawObject* line, RECT* rect);
