// Terms every part of the straight-line class shares.
#include "lines/line_geometry.h"

#include <cmath>

#include "geometry/line_direction.h"
#include "geometry/real_math.h"
#include "lines/arrowheads.h"

int LineOrientationOf(const DrawObject* line)
{
    return line->objType == LineHorizontal || line->objType == LineVertical ? line->objType
                                                                           : LineSlanted;
}

int LineDirectionMode(const Drawing* drawing)
{
    return drawing && (drawing->drawingFlags & DrawHookTarget) ? 0 : 1;
}

POINT LineEndPosition(const DrawObject* line, int end)
{
    const RECT& f = line->frame;
    const int c = line->axisCoord;
    const bool first = end == 1;
    switch (LineOrientationOf(line)) {
    case LineHorizontal:
        return POINT{first ? f.left : f.right, c};
    case LineVertical:
        return POINT{c, first ? f.top : f.bottom};
    default:
        if (IsLineRising(line))
            return first ? POINT{f.left, f.bottom} : POINT{f.right, f.top};
        return first ? POINT{f.left, f.top} : POINT{f.right, f.bottom};
    }
}

RECT LineEndsRect(const DrawObject* line)
{
    RECT r = line->frame;
    if (LineOrientationOf(line) == LineHorizontal)
        r.top = r.bottom = line->axisCoord;
    else if (LineOrientationOf(line) == LineVertical)
        r.left = r.right = line->axisCoord;
    return r;
}

double LineLength(const DrawObject* line)
{
    const double dx = double(line->frame.right) - line->frame.left;
    const double dy = double(line->frame.bottom) - line->frame.top;
    switch (LineOrientationOf(line)) {
    case LineHorizontal:
        return dx;
    case LineVertical:
        return dy;
    default:
        return std::sqrt(dx * dx + dy * dy);
    }
}

void DeriveArrowEnds(DrawObject* line)
{
    int ends = 0;
    if (line->arrowStart & kArrowKindMask)
        ends |= kArrowEnd1;
    else
        line->arrowStart = 0;
    if (line->arrowEnd & kArrowKindMask)
        ends |= kArrowEnd2;
    else
        line->arrowEnd = 0;
    line->arrowEnds = ends;
}

void ExchangeLineEnds(DrawObject* line)
{
    const INT32 start = line->arrowStart;
    line->arrowStart = line->arrowEnd;
    line->arrowEnd = start;
    const int n = line->hookCount < 0 ? 0 : line->hookCount > 2 ? 2 : line->hookCount;
    for (int i = 0; i < n; ++i) {
        HookEntry& hook = line->hooks[i];
        if (hook.holderCode == 1)
            hook.holderCode = 2;
        else if (hook.holderCode == 2)
            hook.holderCode = 1;
    }
}

int LineLabelAngle(const DrawObject* line, const RECT* rect)
{
    const RECT& r = rect ? *rect : line->frame;
    const int orientation = rect ? ClassifyLineDirection(r.left, r.top, r.right, r.bottom, 1)
                                 : LineOrientationOf(line);
    if (orientation == LineHorizontal)
        return 0;
    if (orientation == LineVertical)
        return -900;
    const double dx = double(r.right) - r.left, dy = double(r.bottom) - r.top;
    // A slanted rect always has a width (the classification gives vertical otherwise); damaged
    // records with none read as steep.
    const double slope = dx != 0 ? std::atan(dy / dx) : kPi / 2;
    const int t = TruncReal(slope * 1800 / kPi);
    if (IsLineRising(line))
        return t < 0 ? t + 1800 : t;
    return -t > 0 ? -t - 1800 : -t;
}

POINT LineFrameCentre(const RECT& frame)
{
    return POINT{frame.left + (frame.right - frame.left) / 2,
                 frame.top + (frame.bottom - frame.top) / 2};
}
