// Painting of straight lines.
#include "lines/line_paint.h"

void DrawStraightLine(HDC, int, Drawing*, void*, int, int, const ShadowPaint*) {}

HPEN CreateLinePen(HDC, COLORREF, int, int) { return nullptr; }

void StrokeLineSegment(HDC, HPEN, int, int, int, int, int) {}

void GetLineAttachmentMarkerRect(const DrawObject* line, RECT* rect) { *rect = line->frame; }
