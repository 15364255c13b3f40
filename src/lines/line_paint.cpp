// Painting of straight lines: body, cut-backs, arrowheads, shadow copies and the attachment
// marker.
#include "lines/line_paint.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "editing/edit_services.h"
#include "exchange/exchange_services.h"
#include "geometry/real_math.h"
#include "lines/arrowheads.h"
#include "lines/line_geometry.h"
#include "lines/line_shape.h"
#include "model/device_units.h"

namespace {

constexpr int kMarkerHalf = 27;        // half the side of the attachment marker
constexpr int kArcHeadSpan = 6;        // an arc's head is aimed along at least this much arc
constexpr int kMidHeadChordHalf = 600; // half the chord-parallel segment of an arc's mid-line head
constexpr int kMidLineKindOffset = 16; // 17-19 drawn as 1-3 when both arc heads meet at the apex

struct Tools {
    HBRUSH fill = nullptr;
    HPEN line = nullptr;
    HPEN outline = nullptr;
    HPEN stroke = nullptr;
};

// How the line runs from end 1 to end 2: the unit vector of a slanted line (none for a slanted
// line of no length, which then takes no cut-backs), or the axis of a horizontal or vertical one.
struct Direction {
    int orientation;
    double cos = 0, sin = 0;   // slanted only
    bool rising = false;

    // The point moved `e` units toward end 2 along the line; components truncated.
    POINT Forward(POINT p, int e) const
    {
        switch (orientation) {
        case LineHorizontal:
            return POINT{p.x + e, p.y};
        case LineVertical:
            return POINT{p.x, p.y + e};
        default: {
            const int ex = TruncReal(e * cos), ey = TruncReal(e * sin);
            return POINT{p.x + ex, rising ? p.y - ey : p.y + ey};
        }
        }
    }
    // The point moved `e` units toward end 1.
    POINT Backward(POINT p, int e) const
    {
        switch (orientation) {
        case LineHorizontal:
            return POINT{p.x - e, p.y};
        case LineVertical:
            return POINT{p.x, p.y - e};
        default: {
            const int ex = TruncReal(e * cos), ey = TruncReal(e * sin);
            return POINT{p.x - ex, rising ? p.y + ey : p.y - ey};
        }
        }
    }
};

Direction DirectionOf(const DrawObject* line)
{
    Direction d{LineOrientationOf(line)};
    if (d.orientation != LineSlanted)
        return d;
    d.rising = IsLineRising(line);
    const double dx = double(line->frame.right) - line->frame.left;
    const double dy = double(line->frame.bottom) - line->frame.top;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length > 0) {
        d.cos = dx / length;
        d.sin = dy / length;
    }
    return d;
}

// The per-end values of the line's arrowheads, and the ends still to be drawn.
struct Heads {
    int ends;          // arrowEnds, limited to the values that name ends
    DWORD word1, word2;
    int size;
    int k1, k2;        // setbacks
    int s1, s2;        // set-ins
    int e1, e2;        // cut-backs of the stroked line
    bool m1, m2;       // mid-line kinds
};

Heads HeadsOf(const DrawObject* line)
{
    Heads h = {};
    h.ends = line->arrowEnds >= 1 && line->arrowEnds <= 3 ? line->arrowEnds : 0;
    // A word at an end the mask does not name draws nothing there.
    h.word1 = (h.ends & kArrowEnd1) ? static_cast<DWORD>(line->arrowStart) : 0;
    h.word2 = (h.ends & kArrowEnd2) ? static_cast<DWORD>(line->arrowEnd) : 0;
    h.size = LimitArrowheadSize(line->arrowSize);
    const int w = line->lineWidth;
    h.k1 = ArrowheadSetback(static_cast<DWORD>(line->arrowStart), h.size, w);
    h.k2 = ArrowheadSetback(static_cast<DWORD>(line->arrowEnd), h.size, w);
    h.s1 = (line->arrowStart & kArrowSetIn) ? kArrowSetInDistance : 0;
    h.s2 = (line->arrowEnd & kArrowSetIn) ? kArrowSetInDistance : 0;
    h.m1 = IsMidLineArrowhead(static_cast<DWORD>(line->arrowStart)) != 0;
    h.m2 = IsMidLineArrowhead(static_cast<DWORD>(line->arrowEnd)) != 0;
    h.e1 = (h.ends & kArrowEnd1) ? h.k1 + h.s1 : 0;
    h.e2 = (h.ends & kArrowEnd2) ? h.k2 + h.s2 : 0;
    return h;
}

// One DrawArrowheads call on the segment a-b; the line pen is selected again afterwards.
void DrawHeadPair(HDC dc, const Tools& t, int ends, DWORD first, DWORD second, int width,
                  int size, POINT a, POINT b)
{
    DrawArrowheads(dc, ends, first, second, width, size, 0, a.x, a.y, b.x, b.y, t.fill, t.outline,
                   t.stroke);
    SelectObject(dc, t.line);
}

// Plain lines, zigzag, steps and the straight form of an arc: the pieces with the cut-backs,
// mid-line heads on the middle piece, then the heads at the ends.
void DrawStraightBody(HDC dc, const Tools& t, const DrawObject* line, Heads h, const POINT* path,
                      int count, bool shaped)
{
    const Direction dir = DirectionOf(line);
    const int w = line->lineWidth;
    const POINT end1 = LineEndPosition(line, 1), end2 = LineEndPosition(line, 2);
    const POINT single[2] = {end1, end2};
    const POINT* pieces = shaped ? path : single;
    const int n = shaped ? count : 2;
    int c1 = h.e1, c2 = h.e2;
    const bool slanted = dir.orientation == LineSlanted;
    int saved = 0;
    if (slanted) {
        // Slanted pieces end square across a wide pen: cut back by half the width more.
        if (c1 != 0)
            c1 += w / 2;
        if (c2 != 0)
            c2 += w / 2;
        saved = SaveDC(dc);
    }
    for (int i = 0; i + 1 < n; ++i) {
        const bool first = i == 0, last = i + 2 == n;
        const POINT a = first ? dir.Forward(pieces[i], c1) : pieces[i];
        const POINT b = last ? dir.Backward(pieces[i + 1], c2) : pieces[i + 1];
        if (slanted && !first && !last)
            SelectClipRgn(dc, nullptr);
        StrokeLineSegment(dc, t.line, w, a.x, a.y, b.x, b.y);
    }
    if (slanted)
        RestoreDC(dc, saved);

    if (shaped && (h.m1 || h.m2) && h.ends != 0) {
        // The middle piece is never a cut one.
        const int mid = (n - 1) / 2;
        DrawHeadPair(dc, t, h.ends, h.m1 ? h.word1 : 0, h.m2 ? h.word2 : 0, w, h.size,
                     pieces[mid], pieces[mid + 1]);
        if (h.m1) {
            h.ends &= ~kArrowEnd1;
            h.word1 = 0;
        }
        if (h.m2) {
            h.ends &= ~kArrowEnd2;
            h.word2 = 0;
        }
    }
    if (h.ends != 0)
        DrawHeadPair(dc, t, h.ends, h.word1, h.word2, w, h.size, dir.Forward(end1, h.s1),
                     dir.Backward(end2, h.s2));
}

// An arc (exact or tessellated): the arc itself, already shortened along the circle by the
// cut-backs, then one call per head aimed along the arc, or across the apex for mid-line kinds.
void DrawArcBody(HDC dc, const Tools& t, const DrawObject* line, const Heads& h, const POINT* path,
                 int count, int kind)
{
    SelectObject(dc, t.line);
    POINT apex;
    if (kind == LinePathExactArc) {
        Arc(dc, path[3].x, path[3].y, path[4].x, path[4].y, path[0].x, path[0].y, path[1].x,
            path[1].y);
        apex = path[2];
    } else {
        Polyline(dc, path, count);
        apex = path[count];
    }
    const int orientation = LineOrientationOf(line);
    const int w = line->lineWidth;
    // The signs that move each end toward the apex.
    const int toward1 = orientation == LineVertical ? 1 : -1;
    const int toward2 = -toward1;
    auto along = [line](POINT p, int s) {
        if (s != 0)
            MovePointAlongArc(line, s, &p);
        return p;
    };
    // A segment through the apex parallel to the chord.
    POINT from, to;
    const RECT& f = line->frame;
    if (orientation == LineHorizontal) {
        from = POINT{f.left, apex.y};
        to = POINT{f.right, apex.y};
    } else if (orientation == LineVertical) {
        from = POINT{apex.x, f.top};
        to = POINT{apex.x, f.bottom};
    } else {
        const Direction dir = DirectionOf(line);
        const int vx = TruncReal(kMidHeadChordHalf * dir.cos);
        const int vy = TruncReal(kMidHeadChordHalf * dir.sin);
        const POINT v{vx, dir.rising ? -vy : vy};
        from = POINT{apex.x - v.x, apex.y - v.y};
        to = POINT{apex.x + v.x, apex.y + v.y};
    }
    const bool bothMid = h.m1 && h.m2 && (h.ends & kArrowEnd1) && (h.ends & kArrowEnd2);
    if (h.ends & kArrowEnd1) {
        if (!h.m1) {
            const POINT tip = along(LineEndPosition(line, 1), toward1 * h.s1);
            const POINT back = along(tip, toward1 * std::max(h.k1, kArcHeadSpan));
            DrawHeadPair(dc, t, kArrowEnd1, h.word1, 0, w, h.size, tip, back);
        } else if (bothMid) {
            DrawHeadPair(dc, t, kArrowEnd1, h.word1 - kMidLineKindOffset, 0, w, h.size, apex, to);
        } else {
            DrawHeadPair(dc, t, kArrowEnd1, h.word1, 0, w, h.size, from, to);
        }
    }
    if (h.ends & kArrowEnd2) {
        if (!h.m2) {
            const POINT tip = along(LineEndPosition(line, 2), toward2 * h.s2);
            const POINT back = along(tip, toward2 * std::max(h.k2, kArcHeadSpan));
            DrawHeadPair(dc, t, kArrowEnd2, 0, h.word2, w, h.size, back, tip);
        } else if (bothMid) {
            DrawHeadPair(dc, t, kArrowEnd2, 0, h.word2 - kMidLineKindOffset, w, h.size, from, apex);
        } else {
            DrawHeadPair(dc, t, kArrowEnd2, 0, h.word2, w, h.size, from, to);
        }
    }
}

bool HasShadowCasting(const Drawing* drawing, const DrawObject* line)
{
    return drawing && (drawing->style.shadowClassMask & 0x1) && !(line->options & OptShadowHidden);
}

}  // namespace

void DrawStraightLine(HDC dc, int message, Drawing* drawing, void* objects, int row, int noMarker,
                      const ShadowPaint* shadow)
{
    if (!dc || !objects)
        return;
    const DrawObject* original = AddressedObject(objects, row);
    // Shadow copies paint a moved copy of the record, so that every end, arc and head moves
    // with the offset.
    DrawObject line = *original;
    COLORREF color = line.lineColor;
    const ShadowPaint* copy = message == OM_DRAW ? nullptr : shadow;
    const bool offsetCopy = copy && (copy->dx != 0 || copy->dy != 0);
    if (copy) {
        if (offsetCopy && !HasShadowCasting(drawing, &line))
            return;
        OffsetRect(&line.frame, copy->dx, copy->dy);
        if (LineOrientationOf(&line) == LineHorizontal)
            line.axisCoord += copy->dy;
        else if (LineOrientationOf(&line) == LineVertical)
            line.axisCoord += copy->dx;
        color = copy->color;
    }
    const bool marker = !offsetCopy && !g_renderingMetafile && noMarker == 0 && drawing &&
                        HasAttachment(drawing->header.slot, original);

    Tools t;
    t.line = CreateLinePen(dc, color, line.lineWidth, line.lineStyle);
    if (t.line) {
        const COLORREF mapped = MapColorForDevice(dc, color, TRUE);
        const int w = line.lineWidth;
        t.fill = CreateSolidBrush(mapped);
        t.outline = CreatePen(PS_SOLID, 0, mapped);
        t.stroke = CreatePen(PS_INSIDEFRAME, w >= 13 ? w / 2 : w, mapped);

        const Heads h = HeadsOf(&line);
        const RECT ends = line.frame;
        const bool arcShape = line.lineShape == LineArc;
        line.param = SaneLineParam(line.param, arcShape ? 180.0 : 0.25);
        const int setbacks[2] = {h.e1, h.e2};
        POINT path[kLinePathPoints];
        int count = 0, kind = 0;
        BuildLineShapePath(&line, &ends, line.axisCoord, line.param, 0, path, &count, &kind, FALSE,
                           setbacks);
        // An empty path (a slanted line of no length) and an arc's straight form draw as plain.
        if (arcShape && count > 0 && kind != LinePathStraightArc)
            DrawArcBody(dc, t, &line, h, path, count, kind);
        else
            DrawStraightBody(dc, t, &line, h, path, count,
                             (line.lineShape == LineZigzag || line.lineShape == LineSteps) &&
                                 count >= 2);
    }
    if (marker) {
        RECT rect;
        GetLineAttachmentMarkerRect(original, &rect);
        DrawAttachmentMarker(dc, &rect);
    }
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(t.fill), static_cast<HGDIOBJ>(t.line),
                           static_cast<HGDIOBJ>(t.outline), static_cast<HGDIOBJ>(t.stroke)}) {
        if (object)
            DeleteObject(object);
    }
}

HPEN CreateLinePen(HDC dc, COLORREF color, int width, int style)
{
    const COLORREF mapped = MapColorForDevice(dc, color, TRUE);
    switch (style) {
    case LineStyleNone:
        return nullptr;
    case LineStyleDotted:
        return CreatePen(PS_DOT, 0, mapped);
    case LineStyleDashed:
        return CreatePen(PS_DASH, 0, mapped);
    case LineStyleDashDot:
        return CreatePen(PS_DASHDOT, 0, mapped);
    case LineStyleDashDotDot:
        return CreatePen(PS_DASHDOTDOT, 0, mapped);
    default:
        return CreatePen(PS_SOLID, width, mapped);
    }
}

void StrokeLineSegment(HDC dc, HPEN pen, int /*width*/, int x1, int y1, int x2, int y2)
{
    const bool axis = x1 == x2 || y1 == y2;
    const int saved = axis ? SaveDC(dc) : 0;
    SelectObject(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    if (axis)
        RestoreDC(dc, saved);
}

void GetLineAttachmentMarkerRect(const DrawObject* line, RECT* rect)
{
    const RECT& f = line->frame;
    const int c0 = line->axisCoord;
    POINT middle;
    switch (LineOrientationOf(line)) {
    case LineHorizontal:
        middle = POINT{(f.left + f.right) / 2, c0};
        break;
    case LineVertical:
        middle = POINT{c0, (f.top + f.bottom) / 2};
        break;
    default: {
        const int dx = f.right - f.left, dy = f.bottom - f.top;
        // A slanted record without width (damaged data) has no slope: half its height.
        const int half = dx != 0 ? TruncReal(dx * (double(dy) / dx) / 2) : dy / 2;
        middle = POINT{(f.left + f.right) / 2, IsLineRising(line) ? f.bottom - half : f.top + half};
        break;
    }
    }
    *rect = RECT{middle.x - kMarkerHalf, middle.y - kMarkerHalf, middle.x + kMarkerHalf,
                 middle.y + kMarkerHalf};
    rect->left = std::max(rect->left, line->updateRect.left);
    rect->top = std::max(rect->top, line->updateRect.top);
}
