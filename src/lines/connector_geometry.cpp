// The queries read from an elbow connector's path: handle points, part-code points, the object's
// rectangles, arrowhead segments, the segment or curved piece under a point, chord points on the
// quarter ellipses and the dimension length.
#include "lines/connector_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "geometry/real_math.h"
#include "lines/arrowheads.h"
#include "lines/connector_routing.h"
#include "model/class_protocol.h"
#include "model/selection.h"
#include "shapes/shape_rects.h"
#include "store/store_records.h"

namespace {

constexpr int kHitMargin = 30;     // reach of a segment or piece for the pointer
constexpr int kRingInside = 24;    // how far a curved piece's ring reaches inward

int SoundCount(const ConnectorSegmentBlock* path)
{
    return std::clamp(static_cast<int>(path->segmentCount), 1, kConnectorMaxSegments);
}

bool IsVertical(const ConnectorSegment& s)
{
    return s.x1 == s.x2;
}

// Left and top edges inside, right and bottom outside.
bool Contains(const RECT& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Inside the ellipse inscribed in `r`; an empty rectangle holds nothing.
bool InsideEllipse(const RECT& r, int x, int y)
{
    const double a = (r.right - r.left) / 2.0, b = (r.bottom - r.top) / 2.0;
    if (a <= 0.0 || b <= 0.0)
        return false;
    const double u = (x - (r.left + a)) / a, v = (y - (r.top + b)) / b;
    return u * u + v * v <= 1.0;
}

// The ellipse rectangle of curved piece i, from handle point i to i + 1 along segment i.
RECT PieceEllipseRect(const ConnectorSegmentBlock* path, const POINT* handles, int i)
{
    const POINT pi = handles[i], pj = handles[i + 1];
    const int rx = std::abs(pj.x - pi.x), ry = std::abs(pj.y - pi.y);
    const POINT c = IsVertical(path->segments[i]) ? POINT{pj.x, pi.y} : POINT{pi.x, pj.y};
    return RECT{c.x - rx, c.y - ry, c.x + rx, c.y + ry};
}

// The path of a connector as the class reads it; false when its record cannot be read.
bool ReadPath(int slot, const DrawObject* connector, ConnectorSegmentBlock* path)
{
    HGLOBAL block = nullptr;
    if (LoadConnectorPath(slot, connector, &block) != 0)
        return false;
    *path = ReadConnectorPath(block);
    ReleaseBlock(block);
    return true;
}

}  // namespace

void GetConnectorHandlePoints(const ConnectorSegmentBlock* path, POINT origin, POINT* points, RECT* rects,
                              int* count)
{
    const int segments = SoundCount(path);
    const int n = segments == 1 ? 2 : segments;
    // Middle handles of a path without sides cannot be grabbed.
    const bool sided = path->startSide != SideNone || path->endSide != SideNone;
    for (int k = 0; k < n; ++k) {
        POINT p;
        if (k == 0) {
            p = ConnectorEndPoint(path, 0);
        } else if (k == n - 1) {
            p = ConnectorEndPoint(path, segments);
        } else {
            const ConnectorSegment& s = path->segments[k];
            p = s.y1 == s.y2 ? POINT{(s.x1 + s.x2) / 2, s.y1} : POINT{s.x1, (s.y1 + s.y2) / 2};
        }
        p.x += origin.x;
        p.y += origin.y;
        if (points)
            points[k] = p;
        if (!rects)
            continue;
        if (k == 0 || k == n - 1)
            rects[k] = RECT{p.x - 30, p.y - 30, p.x + 24, p.y + 24};
        else if (sided)
            rects[k] = RECT{p.x - 24, p.y - 24, p.x + 30, p.y + 30};
        else
            rects[k] = RECT{p.x, p.y, p.x, p.y};
    }
    if (count)
        *count = n;
}

int GetConnectorPoint(Drawing* drawing, ObjectList* objects, int row, int code, POINT* point, RECT* segment,
                      int* index)
{
    if (!objects)
        return 1;
    const DrawObject* connector = AddressedObject(objects, row);
    HGLOBAL block = nullptr;
    if (int err = LoadConnectorPath(ClassStoreSlot(drawing, objects, row), connector, &block))
        return err;
    const ConnectorSegmentBlock path = ReadConnectorPath(block);
    ReleaseBlock(block);

    const POINT origin = {connector->innerRect.left, connector->innerRect.top};
    POINT handles[kConnectorMaxSegments];
    int n = 0;
    GetConnectorHandlePoints(&path, origin, handles, nullptr, &n);
    if (code < ConnectorVerticalFromStart || code > ConnectorHorizontalFromEnd) {
        if (point)
            *point = code == ConnectorFirstPoint ? handles[0] : handles[n - 1];
        return 0;
    }
    const int last = SoundCount(&path) - 2;  // the last inner segment
    const bool vertical = code == ConnectorVerticalFromStart || code == ConnectorVerticalFromEnd;
    const bool fromEnd = code == ConnectorVerticalFromEnd || code == ConnectorHorizontalFromEnd;
    int found = -1;
    for (int k = 1; k <= last; ++k) {
        const int i = fromEnd ? last + 1 - k : k;
        const ConnectorSegment& s = path.segments[i];
        if (vertical ? s.x1 == s.x2 : s.y1 == s.y2) {
            found = i;
            break;
        }
    }
    if (found < 0)
        return 1;
    if (point)
        *point = handles[found];
    if (segment) {
        const ConnectorSegment& s = path.segments[found];
        *segment = RECT{s.x1 + origin.x, s.y1 + origin.y, s.x2 + origin.x, s.y2 + origin.y};
    }
    if (index)
        *index = found;
    return 0;
}

int ConnectorSegmentAtPoint(const ConnectorSegmentBlock* path, int x, int y, int kind, RECT* ellipse,
                            int forcedPiece)
{
    const int count = SoundCount(path);
    if (kind == ConnectorCurved && count >= 2) {
        POINT handles[kConnectorMaxSegments];
        int n = 0;
        GetConnectorHandlePoints(path, POINT{0, 0}, handles, nullptr, &n);
        for (int i = std::max(forcedPiece, 0); i + 1 < n; ++i) {
            const POINT a = handles[i], b = handles[i + 1];
            RECT span = {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
            InflateRect(&span, kHitMargin, kHitMargin);
            if (forcedPiece < 0 && !Contains(span, x, y))
                continue;
            const RECT e = PieceEllipseRect(path, handles, i);
            if (ellipse)
                *ellipse = e;
            if (i == forcedPiece)
                return i;
            RECT outer = e, inner = e;
            InflateRect(&outer, kHitMargin, kHitMargin);
            InflateRect(&inner, -kRingInside, -kRingInside);
            if (InsideEllipse(outer, x, y) && !InsideEllipse(inner, x, y))
                return i;
        }
        return -1;
    }
    for (int i = 0; i < count; ++i) {
        const ConnectorSegment& s = path->segments[i];
        RECT r = {s.x1, s.y1, s.x2, s.y2};
        if (IsVertical(s))
            InflateRect(&r, kHitMargin, 0);
        else
            InflateRect(&r, 0, kHitMargin);
        if (Contains(r, x, y))
            return i;
    }
    return -1;
}

int SegmentCarriesArrowhead(const DrawObject* connector, const ConnectorSegmentBlock* path, int index)
{
    const int count = SoundCount(path);
    const int m = connector->arrowEnds;
    const POINT first = ConnectorEndPoint(path, 0), last = ConnectorEndPoint(path, count);
    const bool leftFirst = first.x < last.x || (first.x == last.x && first.y < last.y);
    if (index < 0)
        return 0;
    if (m == (kArrowEnd1 | kArrowEnd2))
        return index == 0 || index >= count - 1 ? 1 : 0;
    // The first word's head sits at the path's left end, the second word's at its right end;
    // segment 0 follows its own rule even when it is also the last segment.
    if (index == 0)
        return (m == kArrowEnd2 && !leftFirst) || (m == kArrowEnd1 && leftFirst) ? 1 : 0;
    if (index < count - 1)
        return 0;
    return (m == kArrowEnd2 && leftFirst) || (m == kArrowEnd1 && !leftFirst) ? 1 : 0;
}

void RecalcConnectorRects(Drawing* drawing, DrawObject* connector)
{
    ConnectorSegmentBlock path;
    if (!drawing || !connector || !ReadPath(drawing->header.slot, connector, &path))
        return;
    const int count = SoundCount(&path);
    const int w = connector->lineWidth;
    const int h = w / 2;
    int across = 0, along = 0;
    if (connector->arrowEnds != 0) {
        const LONG e1 = ArrowheadExtent(connector->arrowStart, connector->arrowSize, w);
        const LONG e2 = ArrowheadExtent(connector->arrowEnd, connector->arrowSize, w);
        across = std::max<int>(static_cast<SHORT>(LOWORD(e1)), static_cast<SHORT>(LOWORD(e2)));
        along = std::max<int>(static_cast<SHORT>(HIWORD(e1)), static_cast<SHORT>(HIWORD(e2)));
    }
    const int midSegment =
        IsMidLineArrowhead(connector->arrowStart) || IsMidLineArrowhead(connector->arrowEnd) ? (count - 1) / 2 : -1;
    RECT shadow = {0, 0, 0, 0};
    if (ObjectHasShadow(drawing, connector))
        GetShadowOffsetRect(drawing, &shadow, 0);

    RECT b = {32767, 32767, 0, 0};
    RECT e = {};
    for (int i = 0; i < count; ++i) {
        const ConnectorSegment& s = path.segments[i];
        b.left = std::min<LONG>(b.left, std::min(s.x1, s.x2));
        b.top = std::min<LONG>(b.top, std::min(s.y1, s.y2));
        b.right = std::max<LONG>(b.right, std::max(s.x1, s.x2));
        b.bottom = std::max<LONG>(b.bottom, std::max(s.y1, s.y2));

        RECT r = {s.x1, s.y1, s.x2, s.y2};
        const bool vertical = IsVertical(s);
        // Half the pen on the top or left side, the rest on the bottom or right.
        if (vertical) {
            r.left -= h;
            r.right += w - h;
        } else {
            r.top -= h;
            r.bottom += w - h;
        }
        if (i == midSegment || SegmentCarriesArrowhead(connector, &path, i))
            InflateRect(&r, vertical ? across : along, vertical ? along : across);
        r.left -= shadow.left;
        r.top -= shadow.top;
        r.right += shadow.right;
        r.bottom += shadow.bottom;
        // A plain union: a segment of one point still counts.
        if (i == 0) {
            e = r;
        } else {
            e.left = std::min(e.left, r.left);
            e.top = std::min(e.top, r.top);
            e.right = std::max(e.right, r.right);
            e.bottom = std::max(e.bottom, r.bottom);
        }
    }
    const int ox = connector->innerRect.left - b.left, oy = connector->innerRect.top - b.top;
    OffsetRect(&b, ox, oy);
    OffsetRect(&e, ox, oy);
    connector->innerRect = b;
    connector->frame = e;
    connector->updateRect = e;
    InflateRect(&connector->updateRect, 30, 30);
    connector->textRect = b;
}

POINT ChordPointOnEllipse(int a, int b, int distance)
{
    // A flat ellipse (either semi-axis below one unit) is its own chord; this also keeps a = 0
    // from dividing by zero.
    if (b < 1 || a < 1)
        return POINT{0, distance};
    const double da = a, db = b, d = distance;
    const double t = d * d - da * da - db * db;
    const double k = db * db / (da * da) - 1.0;
    // A negative radicand (a head longer than a small piece) counts as 0.
    const double s = RootOrZero(da * da - t * k);
    const double x = -t / (s + da);
    const double du = da - x;
    const double dv = RootOrZero(d * d - du * du);
    return POINT{TruncReal(du), TruncReal(dv)};
}

double ConnectorLength(Drawing* drawing, const DrawObject* connector)
{
    ConnectorSegmentBlock path;
    if (!drawing || !connector || !ReadPath(drawing->header.slot, connector, &path))
        return 0.0;
    const int count = SoundCount(&path);
    const POINT f = ConnectorEndPoint(&path, 0), g = ConnectorEndPoint(&path, count);
    const double dx = g.x - f.x, dy = g.y - f.y;
    // A straight connector is its one segment, however short: across a short one only its
    // label turns.
    if (count % 2 == 0 || count == 1)
        return std::sqrt(dx * dx + dy * dy);
    // An odd path's label sits on its middle segment: across a short segment, along a long one.
    const ConnectorSegment& s = path.segments[count / 2];
    int angle;
    if (s.y1 == s.y2)
        angle = s.x2 - s.x1 < 200 ? 900 : 0;
    else
        angle = s.y2 - s.y1 < 200 ? 0 : 900;
    return angle == 0 ? std::fabs(dx) : std::fabs(dy);
}
