// Painting of elbow connectors: square and curved paths cut back for their heads, heads at the ends
// and on the middle segment, shadow copies, the attachment mark, the handles and the XOR outline.
#include "lines/connector_paint.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>

#include "editing/edit_services.h"
#include "exchange/exchange_services.h"
#include "lines/arrowheads.h"
#include "lines/connector_geometry.h"
#include "lines/connector_hooks.h"
#include "lines/line_paint.h"
#include "model/device_units.h"
#include "model/links.h"
#include "model/render.h"
#include "shapes/shape_paint.h"
#include "store/store_records.h"

namespace {

constexpr int kMarkHalf = 27;          // half the side of the attachment mark
constexpr int kLabelBoxNear = 180;     // 0.3 of the 0..600 box: a curved connector's label point
constexpr int kLabelBoxFar = 420;      // 0.7 of the box
constexpr int kMidHeadSpan = 5;        // box units either side of the label point for a mid head

struct Tools {
    HBRUSH brush = nullptr;
    HPEN thin = nullptr;
    HPEN arrow = nullptr;
    HPEN line = nullptr;
};

POINT Moved(POINT p, int dx, int dy) { return POINT{p.x + dx, p.y + dy}; }
bool Same(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }
int Sign(int v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

// A segment of one point counts as vertical, as the geometry's piece rule reads it.
bool IsHorizontal(const ConnectorSegment& s) { return s.y1 == s.y2 && s.x1 != s.x2; }

int SoundCount(int count) { return std::clamp(count, 1, kConnectorMaxSegments); }

// Styles 2-5 are the one-pixel patterned pens of lines; every other style draws solid, a
// connector having no invisible style.
HPEN ConnectorLinePen(HDC dc, COLORREF color, int width, int style)
{
    if (style >= 2 && style <= 5)
        return CreateLinePen(dc, color, width, style);
    return CreateDevicePen(dc, PS_SOLID, width, MapColorForDevice(dc, color, TRUE));
}

bool CastsShadow(const Drawing* drawing, const DrawObject* connector)
{
    return drawing && (drawing->style.shadowClassMask & 0x1) && !(connector->options & OptShadowHidden);
}

// The quarter ellipse of piece i: centred on the corner opposite the bend, radii the distances
// between the piece's two handle points.
struct Quarter {
    POINT from, to;      // handle points i and i + 1
    POINT centre;
    int rx, ry;
    bool leavesVertically;   // segment i is vertical

    RECT Box() const { return RECT{centre.x - rx, centre.y - ry, centre.x + rx, centre.y + ry}; }

    // The point of the quarter at chord distance `distance` from `end` (from or to), toward the
    // other end.
    POINT Along(bool atFrom, int distance) const
    {
        const POINT end = atFrom ? from : to, other = atFrom ? to : from;
        // The tangent at `from` runs along segment i, at `to` across it; the axis through the
        // end is the other one.
        const bool axisX = atFrom ? leavesVertically : !leavesVertically;
        const int a = axisX ? rx : ry, b = axisX ? ry : rx;
        // Without a semi-axis through the end the ellipse is a line across it.
        const POINT d = a < 1 ? POINT{0, distance} : ChordPointOnEllipse(a, b, distance);
        const int sx = Sign(other.x - end.x), sy = Sign(other.y - end.y);
        return axisX ? POINT{end.x + sx * d.x, end.y + sy * d.y} : POINT{end.x + sx * d.y, end.y + sy * d.x};
    }
};

Quarter QuarterOf(const ConnectorSegmentBlock& path, int piece, const POINT* handlePoints)
{
    Quarter q;
    q.from = handlePoints[piece];
    q.to = handlePoints[piece + 1];
    q.leavesVertically = !IsHorizontal(path.segments[piece]);
    q.centre = q.leavesVertically ? POINT{q.to.x, q.from.y} : POINT{q.from.x, q.to.y};
    q.rx = std::abs(q.to.x - q.from.x);
    q.ry = std::abs(q.to.y - q.from.y);
    return q;
}

// What the connector's heads need: the words by the ends mask (first word at the path's left
// end, second at its right end), set-ins and cuts.
struct Heads {
    DWORD words[2] = {0, 0};
    bool mid[2] = {false, false};
    bool atEnd[2] = {false, false};   // a head drawn at its end of the path
    int setIn[2] = {0, 0};
    int cut[2] = {0, 0};
    int size = 0;
};

Heads HeadsOf(const DrawObject* connector)
{
    Heads h;
    const int ends = connector->arrowEnds >= 1 && connector->arrowEnds <= 3 ? connector->arrowEnds : 0;
    // A word at an end the mask does not name draws nothing, neither there nor in the middle.
    h.words[0] = (ends & kArrowEnd1) ? static_cast<DWORD>(connector->arrowStart) : 0;
    h.words[1] = (ends & kArrowEnd2) ? static_cast<DWORD>(connector->arrowEnd) : 0;
    h.size = LimitArrowheadSize(connector->arrowSize);
    for (int e = 0; e < 2; ++e) {
        h.mid[e] = h.words[e] != 0 && IsMidLineArrowhead(h.words[e]) != 0;
        h.atEnd[e] = h.words[e] != 0 && !h.mid[e];
        if (h.atEnd[e]) {
            h.setIn[e] = (h.words[e] & kArrowSetIn) ? kArrowSetInDistance : 0;
            h.cut[e] = h.setIn[e] + ArrowheadSetback(h.words[e], h.size, connector->lineWidth);
        }
    }
    return h;
}

// A square-cornered path (or any path of one segment): each segment cut back at a head's end,
// then that segment's heads, which are drawn only when one of its ends is cut.
void DrawSquarePath(HDC dc, const Tools& t, const ConnectorSegmentBlock& path, POINT origin, int dx, int dy,
                    int width, const Heads& h, const POINT ends[2], bool leftFirst)
{
    const int count = path.segmentCount;
    // The segments touching the left and right ends of the path.
    const int endSegment[2] = {leftFirst ? 0 : count - 1, leftFirst ? count - 1 : 0};
    for (int i = 0; i < count; ++i) {
        const ConnectorSegment& s = path.segments[i];
        const POINT a = {s.x1 + origin.x, s.y1 + origin.y}, b = {s.x2 + origin.x, s.y2 + origin.y};
        int cutA = 0, cutB = 0, setInA = 0, setInB = 0, mask = 0;
        DWORD wordA = 0, wordB = 0;
        for (int e = 0; e < 2; ++e) {
            if (!h.atEnd[e] || endSegment[e] != i)
                continue;
            // A lone segment carries the left end's head at its top or left point.
            const bool atA = count == 1 ? e == 0 : Same(ends[e], a);
            if (atA) {
                cutA = h.cut[e], setInA = h.setIn[e], wordA = h.words[e], mask |= kArrowEnd1;
            } else {
                cutB = h.cut[e], setInB = h.setIn[e], wordB = h.words[e], mask |= kArrowEnd2;
            }
        }
        const bool horizontal = IsHorizontal(s);
        const POINT from = horizontal ? POINT{a.x + cutA, a.y} : POINT{a.x, a.y + cutA};
        const POINT to = horizontal ? POINT{b.x - cutB, b.y} : POINT{b.x, b.y - cutB};
        StrokeLineSegment(dc, t.line, width, from.x + dx, from.y + dy, to.x + dx, to.y + dy);
        if (cutA == 0 && cutB == 0)
            continue;
        const POINT tipA = Moved(horizontal ? POINT{a.x + setInA, a.y} : POINT{a.x, a.y + setInA}, dx, dy);
        const POINT tipB = Moved(horizontal ? POINT{b.x - setInB, b.y} : POINT{b.x, b.y - setInB}, dx, dy);
        DrawArrowheads(dc, mask, wordA, wordB, width, h.size, 0, tipA.x, tipA.y, tipB.x, tipB.y, t.brush, t.thin,
                       t.arrow);
        SelectObject(dc, t.line);
    }
}

// Heads of mid-line kinds on the middle segment, or across the label point of a curved connector
// of two segments.
void DrawMidLineHeads(HDC dc, const Tools& t, Drawing* drawing, void* objects, int row,
                      const ConnectorSegmentBlock& path, int kind, POINT origin, int dx, int dy, int width,
                      const Heads& h, const POINT* handlePoints, bool leftFirst)
{
    const int count = path.segmentCount;
    const int m = (count - 1) / 2;
    POINT first, second;
    bool s;
    if (kind == ConnectorCurved && count == 2) {
        s = false;
        RECT box = QuarterOf(path, 0, handlePoints).Box();
        OffsetRect(&box, -origin.x, -origin.y);
        const int x = box.left < 0 ? kLabelBoxFar : kLabelBoxNear;
        const int y = box.top < 0 ? kLabelBoxFar : kLabelBoxNear;
        // The two points lie along the curve's slope at the label point.
        const int e = (box.left < 0 && box.top < 0) || (box.left == 0 && box.top == 0) ? kMidHeadSpan
                                                                                        : -kMidHeadSpan;
        POINT points[2] = {{x - kMidHeadSpan, y + e}, {x + kMidHeadSpan, y - e}};
        MapConnectorHookPoint(drawing, objects, row, 2, 0, points);
        first = Moved(points[0], dx, dy);
        second = Moved(points[1], dx, dy);
    } else {
        const ConnectorSegment& seg = path.segments[m];
        const POINT a = {seg.x1 + origin.x, seg.y1 + origin.y};
        // 1 when the segment's top or left end lies before the path's first point.
        s = IsHorizontal(seg) ? a.x < handlePoints[0].x : a.y < handlePoints[0].y;
        if (!leftFirst)
            s = !s;
        if (m > 1)
            s = !s;
        first = Moved(a, dx, dy);
        second = POINT{seg.x2 + origin.x + dx, seg.y2 + origin.y + dy};
    }
    const DWORD w0 = h.mid[0] ? h.words[0] : 0, w1 = h.mid[1] ? h.words[1] : 0;
    int mask;
    DWORD atFirst, atSecond;
    if (w0 && w1) {
        mask = kArrowEnd1 | kArrowEnd2;
        atFirst = s ? w1 : w0;
        atSecond = s ? w0 : w1;
    } else if (w0) {
        mask = s ? kArrowEnd2 : kArrowEnd1;
        atFirst = s ? 0 : w0;
        atSecond = s ? w0 : 0;
    } else {
        mask = s ? kArrowEnd1 : kArrowEnd2;
        atFirst = s ? w1 : 0;
        atSecond = s ? 0 : w1;
    }
    DrawArrowheads(dc, mask, atFirst, atSecond, width, h.size, 0, first.x, first.y, second.x, second.y, t.brush,
                   t.thin, t.arrow);
    SelectObject(dc, t.line);
}

}  // namespace

void DrawConnector(HDC dc, int message, Drawing* drawing, void* objects, int row, int noMark,
                   const ShadowPaint* shadow)
{
    if (!dc || !objects)
        return;
    const DrawObject* connector = AddressedObject(objects, row);
    const POINT origin = {connector->innerRect.left, connector->innerRect.top};
    COLORREF color = connector->lineColor;
    const ShadowPaint* copy = message == OM_DRAW ? nullptr : shadow;
    const bool offsetCopy = copy && (copy->dx != 0 || copy->dy != 0);
    int dx = 0, dy = 0;
    if (copy) {
        if (offsetCopy && !CastsShadow(drawing, connector))
            return;
        dx = copy->dx;
        dy = copy->dy;
        color = copy->color;
    }

    const int slot = ClassStoreSlot(drawing, objects, row);
    HGLOBAL block = nullptr;
    if (LoadConnectorPath(slot, connector, &block))
        return;
    ConnectorSegmentBlock path = ReadConnectorPath(block);
    ReleaseBlock(block);
    POINT handlePoints[kConnectorMaxSegments] = {};
    RECT handleRects[kConnectorMaxSegments];
    int n = 0;
    GetConnectorHandlePoints(&path, origin, handlePoints, handleRects, &n);
    if (n < 2 || n > kConnectorMaxSegments)
        return;
    const POINT firstPoint = handlePoints[0], lastPoint = handlePoints[n - 1];
    const bool leftFirst =
        firstPoint.x < lastPoint.x || (firstPoint.x == lastPoint.x && firstPoint.y < lastPoint.y);
    const POINT ends[2] = {leftFirst ? firstPoint : lastPoint, leftFirst ? lastPoint : firstPoint};

    const bool mark = !offsetCopy && noMark == 0 && !g_renderingMetafile && HasAttachment(slot, connector);

    const int w = connector->lineWidth;
    const COLORREF mapped = MapColorForDevice(dc, color, TRUE);
    Tools t;
    t.brush = CreateSolidBrush(mapped);
    t.thin = CreatePen(PS_SOLID, 0, mapped);
    t.arrow = CreateDevicePen(dc, PS_INSIDEFRAME, w < 13 ? w : w / 2, mapped);
    t.line = ConnectorLinePen(dc, color, w, connector->lineStyle);
    SelectObject(dc, t.line);

    const Heads h = HeadsOf(connector);
    const int count = path.segmentCount;
    const int kind = connector->objType;
    if (kind == ConnectorCurved && count >= 2) {
        // The piece function puts the first word at a piece's first handle point: give it the
        // words in path order.
        DrawObject inPathOrder = *connector;
        inPathOrder.arrowStart = static_cast<INT32>(leftFirst ? h.words[0] : h.words[1]);
        inPathOrder.arrowEnd = static_cast<INT32>(leftFirst ? h.words[1] : h.words[0]);
        inPathOrder.arrowSize = h.size;
        const bool atFirst = h.atEnd[leftFirst ? 0 : 1], atLast = h.atEnd[leftFirst ? 1 : 0];
        for (int i = 0; i + 1 < count; ++i) {
            const int mask = (i == 0 && atFirst ? kArrowEnd1 : 0) | (i + 2 == count && atLast ? kArrowEnd2 : 0);
            DrawCurvedConnectorPiece(dc, &path, i, handlePoints, dx, dy, mask, w, t.brush, t.thin, t.arrow,
                                     &inPathOrder);
        }
    } else {
        DrawSquarePath(dc, t, path, origin, dx, dy, w, h, ends, leftFirst);
    }
    // A curved connector of one segment has no middle for such heads.
    if ((h.mid[0] || h.mid[1]) && !(kind == ConnectorCurved && count == 1))
        DrawMidLineHeads(dc, t, drawing, objects, row, path, kind, origin, dx, dy, w, h, handlePoints, leftFirst);

    if (mark) {
        const ConnectorSegment& s = path.segments[0];
        const RECT first = {s.x1 + origin.x, s.y1 + origin.y, s.x2 + origin.x, s.y2 + origin.y};
        const RECT rect = ConnectorAttachmentMarkRect(connector, first);
        DrawAttachmentMarker(dc, &rect);
    }
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(t.brush), static_cast<HGDIOBJ>(t.thin),
                           static_cast<HGDIOBJ>(t.arrow), static_cast<HGDIOBJ>(t.line)}) {
        if (object)
            DeleteObject(object);
    }
}

void DrawCurvedConnectorPiece(HDC dc, const ConnectorSegmentBlock* path, int piece, const POINT* handlePoints,
                              int dx, int dy, int arrowMask, int lineWidth, HBRUSH brush, HPEN thinPen,
                              HPEN arrowPen, const DrawObject* connector)
{
    if (!dc || !path || !handlePoints || piece < 0 || piece + 1 >= SoundCount(path->segmentCount))
        return;
    const Quarter q = QuarterOf(*path, piece, handlePoints);

    // Head lengths, set-ins and cuts; the feedback outline measures kind 1 at size 1.
    int size = 1;
    DWORD words[2] = {ArrowFilled, ArrowFilled};
    int setIn[2] = {0, 0};
    int cut[2];
    if (connector) {
        size = LimitArrowheadSize(connector->arrowSize);
        words[0] = static_cast<DWORD>(connector->arrowStart);
        words[1] = static_cast<DWORD>(connector->arrowEnd);
        for (int e = 0; e < 2; ++e) {
            setIn[e] = (words[e] & kArrowSetIn) ? kArrowSetInDistance : 0;
            cut[e] = ArrowheadSetback(words[e], size, lineWidth) + setIn[e];
        }
    } else {
        cut[0] = cut[1] = ArrowheadSetback(ArrowFilled, 1, lineWidth);
    }
    const int length = ArrowheadSizeTable[1][size < 0 ? -size : size] + lineWidth;
    const bool head[2] = {(arrowMask & kArrowEnd1) != 0, (arrowMask & kArrowEnd2) != 0};

    // An arc cannot run past its end: a negative cut leaves it whole.
    const POINT from = Moved(head[0] ? q.Along(true, std::max(cut[0], 0)) : q.from, dx, dy);
    const POINT to = Moved(head[1] ? q.Along(false, std::max(cut[1], 0)) : q.to, dx, dy);
    RECT box = q.Box();
    OffsetRect(&box, dx, dy);

    bool straight = false;
    if (!g_renderingMetafile) {
        POINT device[2] = {from, to};
        LPtoDP(dc, device, 2);
        straight = std::abs(device[1].x - device[0].x) <= 1 || std::abs(device[1].y - device[0].y) <= 1;
    }
    if (straight) {
        MoveToEx(dc, from.x, from.y, nullptr);
        LineTo(dc, to.x, to.y);
    } else {
        // The platform's arcs run counter-clockwise on the page (y downward): start at the end
        // from which that turn covers the quarter.
        const double cross = double(q.from.x - q.centre.x) * (q.to.y - q.centre.y) -
                             double(q.from.y - q.centre.y) * (q.to.x - q.centre.x);
        const POINT start = cross < 0 ? from : to, end = cross < 0 ? to : from;
        Arc(dc, box.left, box.top, box.right, box.bottom, start.x, start.y, end.x, end.y);
    }

    for (int e = 0; e < 2; ++e) {
        if (!head[e])
            continue;
        const bool atFrom = e == 0;
        const POINT tip = Moved(q.Along(atFrom, setIn[e]), dx, dy);
        const POINT base = Moved(q.Along(atFrom, length + setIn[e]), dx, dy);
        // The heads select their own tools; the line pen comes back for the next piece.
        const int saved = SaveDC(dc);
        DrawArrowheads(dc, kArrowEnd1, words[e], 0, lineWidth, size, 0, tip.x, tip.y, base.x, base.y, brush,
                       thinPen, arrowPen);
        RestoreDC(dc, saved);
    }
}

void DrawConnectorHandles(HDC dc, Drawing* drawing, void* objects, int row)
{
    if (!dc || !objects)
        return;
    const DrawObject* connector = AddressedObject(objects, row);
    HGLOBAL block = nullptr;
    if (LoadConnectorPath(ClassStoreSlot(drawing, objects, row), connector, &block))
        return;
    const ConnectorSegmentBlock path = ReadConnectorPath(block);
    ReleaseBlock(block);
    POINT points[kConnectorMaxSegments];
    RECT rects[kConnectorMaxSegments];
    int n = 0;
    GetConnectorHandlePoints(&path, POINT{connector->innerRect.left, connector->innerRect.top}, points, rects, &n);
    n = std::clamp(n, 0, kConnectorMaxSegments);

    const BOOL locked = (connector->state & StateLocked) != 0;
    const BOOL current = drawing && row == drawing->currentRow;
    const int saved = SaveDC(dc);
    SelectLockedHandleBrush(dc);
    for (int i = 0; i < n; ++i) {
        // Hook holder codes: 1 the first point, 2 the last; segment handles hold none.
        const int code = i == 0 ? 1 : (i == n - 1 ? 2 : 0);
        DrawSelectionHandle(dc, &rects[i], locked, current, FindHookByEndCode(connector, code) >= 0);
    }
    RestoreDC(dc, saved);
}

void XorDrawConnectorPath(HDC dc, const ConnectorSegmentBlock* path, int kind, int dx, int dy, BOOL solid)
{
    if (!dc || !path)
        return;
    ConnectorSegmentBlock sound = *path;
    sound.segmentCount = SoundCount(sound.segmentCount);
    HPEN dotted = solid ? nullptr : CreatePen(PS_DOT, 1, RGB(0, 0, 0));
    const int oldRop = SetROP2(dc, R2_NOT);
    HGDIOBJ oldPen = SelectObject(dc, dotted ? static_cast<HGDIOBJ>(dotted) : GetStockObject(BLACK_PEN));
    if (kind == ConnectorCurved && sound.segmentCount >= 2) {
        POINT points[kConnectorMaxSegments] = {};
        RECT rects[kConnectorMaxSegments];
        int n = 0;
        GetConnectorHandlePoints(&sound, POINT{0, 0}, points, rects, &n);
        if (n == sound.segmentCount) {
            for (int i = 0; i + 1 < sound.segmentCount; ++i)
                DrawCurvedConnectorPiece(dc, &sound, i, points, dx, dy, 0, 0, nullptr, nullptr, nullptr, nullptr);
        }
    } else {
        for (int i = 0; i < sound.segmentCount; ++i) {
            const ConnectorSegment& s = sound.segments[i];
            MoveToEx(dc, s.x1 + dx, s.y1 + dy, nullptr);
            LineTo(dc, s.x2 + dx, s.y2 + dy);
        }
    }
    SetROP2(dc, oldRop);
    SelectObject(dc, oldPen);
    if (dotted)
        DeleteObject(dotted);
}

RECT ConnectorAttachmentMarkRect(const DrawObject* connector, const RECT& firstSegment)
{
    const RECT& s = firstSegment;
    const bool horizontal = s.top == s.bottom && s.left != s.right;
    const POINT middle = horizontal ? POINT{s.left + (s.right - s.left) / 2, s.top}
                                    : POINT{s.left, s.top + (s.bottom - s.top) / 2};
    RECT rect = {middle.x - kMarkHalf, middle.y - kMarkHalf, middle.x + kMarkHalf, middle.y + kMarkHalf};
    rect.left = std::max(rect.left, connector->updateRect.left);
    rect.top = std::max(rect.top, connector->updateRect.top);
    return rect;
}
