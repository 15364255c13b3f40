// Laying out an elbow connector's path: the fixed pattern of a connector without sides, the route
// between a fixed end and a target by the pair of their sides, and the path's end points.
#include "lines/connector_routing.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "editing/edit_services.h"

namespace {

constexpr int kMaxCoord = 32767;

// Computed coordinates stay inside the drawing area; the given ends are never clamped.
int Clamp(int v)
{
    return std::clamp(v, 0, kMaxCoord);
}

// The stored count as an index bound: the record may come from a damaged file.
int SoundCount(const ConnectorSegmentBlock* path)
{
    return std::clamp(static_cast<int>(path->segmentCount), 1, kConnectorMaxSegments);
}

POINT Exchanged(POINT p)
{
    return POINT{p.y, p.x};
}

// How a side pair is routed: the routine, whether the frame exchanges x and y, and D and E.
enum RouteKind { RouteSame, RouteOpposite, RoutePerpendicular };
struct RouteChoice {
    RouteKind kind;
    bool exchanged;
    int d;
    int e;
};

// Indexed by (sP - 5) * 4 + (sT - 5).
constexpr RouteChoice kRouteTable[16] = {
    {RouteSame, false, +1, 0},           {RouteOpposite, false, +1, 0},
    {RoutePerpendicular, false, +1, +1}, {RoutePerpendicular, false, +1, -1},
    {RouteOpposite, false, -1, 0},       {RouteSame, false, -1, 0},
    {RoutePerpendicular, false, -1, +1}, {RoutePerpendicular, false, -1, -1},
    {RoutePerpendicular, true, +1, +1},  {RoutePerpendicular, true, +1, -1},
    {RouteSame, true, +1, 0},            {RouteOpposite, true, +1, 0},
    {RoutePerpendicular, true, -1, +1},  {RoutePerpendicular, true, -1, -1},
    {RouteOpposite, true, -1, 0},        {RouteSame, true, -1, 0},
};

bool IsSide(int side)
{
    return side >= SideTop && side <= SideRight;
}

}  // namespace

void RouteSameSides(POINT p, POINT t, int d, const int* lengths, POINT* points, int* n)
{
    int dv = std::abs(p.y - t.y);
    if (dv < kConnectorMinStub)
        dv = 0;
    const int du = std::abs(p.x - t.x);
    if (du <= kConnectorMinStub && dv >= kConnectorMinStub) {
        // The ends nearly in line across the side: detour away from T.
        const int s1 = Clamp(p.y - d * lengths[0]);
        const int u2 = t.x < p.x ? Clamp(p.x + lengths[1]) : Clamp(p.x - lengths[1]);
        const int s3 = Clamp(t.y - d * lengths[2]);
        const POINT route[6] = {p, {p.x, s1}, {u2, s1}, {u2, s3}, {t.x, s3}, t};
        std::copy(route, route + 6, points);
        *n = 6;
        return;
    }
    int s1 = Clamp(p.y - d * lengths[0]);
    const int w = Clamp(t.y - kConnectorMinStub * d);
    // The cross segment goes beyond both ends.
    s1 = d > 0 ? std::min(s1, w) : std::max(s1, w);
    const POINT route[4] = {p, {p.x, s1}, {t.x, s1}, t};
    std::copy(route, route + 4, points);
    *n = 4;
}

void RouteOppositeSides(POINT p, POINT t, int d, const int* lengths, POINT* points, int* n)
{
    const bool facing = d > 0 ? t.y + kConnectorMinStub < p.y : p.y < t.y - kConnectorMinStub;
    if (facing && p.x == t.x) {
        points[0] = p;
        points[1] = t;
        *n = 2;
        return;
    }
    if (facing) {
        int s1 = Clamp(p.y - d * lengths[0]);
        const int w = Clamp(t.y + kConnectorMinStub * d);
        // The cross segment stays at least a stub away from T.
        s1 = d > 0 ? std::max(s1, w) : std::min(s1, w);
        const POINT route[4] = {p, {p.x, s1}, {t.x, s1}, t};
        std::copy(route, route + 4, points);
        *n = 4;
        return;
    }
    const int s1 = Clamp(p.y - d * lengths[0]);
    int u2 = p.x < t.x ? p.x + lengths[1] : p.x - lengths[1];
    if (std::abs(t.x - u2) < kConnectorMinStub)
        u2 = u2 < t.x ? t.x - kConnectorMinStub : t.x + kConnectorMinStub;
    u2 = Clamp(u2);
    const int s3 = Clamp(t.y + d * lengths[2]);
    const POINT route[6] = {p, {p.x, s1}, {u2, s1}, {u2, s3}, {t.x, s3}, t};
    std::copy(route, route + 6, points);
    *n = 6;
}

void RoutePerpendicularSides(POINT p, POINT t, int d, int e, const int* lengths, POINT* points, int* n)
{
    const bool beyondP = d > 0 ? t.y + kConnectorMinStub < p.y : p.y < t.y - kConnectorMinStub;
    const bool beforeT = e > 0 ? p.x + kConnectorMinStub < t.x : t.x < p.x - kConnectorMinStub;
    if (beyondP && beforeT) {
        points[0] = p;
        points[1] = POINT{p.x, t.y};
        points[2] = t;
        *n = 3;
        return;
    }
    const int s1 = Clamp(p.y - d * lengths[0]);
    int u2;
    if (e > 0 ? p.x < t.x : t.x < p.x) {
        u2 = p.x + e * lengths[1];
        if (e > 0 ? u2 >= t.x : u2 <= t.x)
            u2 = p.x - e * lengths[1];
    } else {
        u2 = p.x - e * lengths[1];
        u2 = e > 0 ? std::min<int>(u2, t.x - kConnectorMinStub) : std::max<int>(u2, t.x + kConnectorMinStub);
    }
    u2 = Clamp(u2);
    const POINT route[5] = {p, {p.x, s1}, {u2, s1}, {u2, t.y}, t};
    std::copy(route, route + 5, points);
    *n = 5;
}

void RouteConnector(ConnectorSegmentBlock* path, int originX, int originY, int targetX, int targetY,
                    const POINT* fixed, int fixedIsFirst)
{
    bool f = fixedIsFirst != 0;
    POINT p;
    if (fixed) {
        p = *fixed;
    } else {
        // Any index but 0 names the last point, also for a count not set yet.
        p = ConnectorEndPoint(path, f ? 0 : SoundCount(path));
        p.x += originX;
        p.y += originY;
    }
    POINT t = {targetX, targetY};
    // The route always starts at its left (upper) end.
    if (t.x < p.x || (t.x == p.x && t.y < p.y)) {
        std::swap(p, t);
        f = !f;
    }

    int lengths[kConnectorMaxSegments];
    std::copy(path->preferred, path->preferred + kConnectorMaxSegments, lengths);
    int sP = path->startSide, sT = path->endSide;
    if (!f) {
        // P is the old last point: its stubs are the old path's last lengths.
        const int count = SoundCount(path);
        for (int i = 0; i < count; ++i)
            lengths[i] = path->preferred[count - 1 - i];
        std::swap(sP, sT);
    }
    if (sP == SideNone && sT == SideNone)
        return;
    if (sT == SideNone)
        sT = OppositeSide(sP);
    if (sP == SideNone)
        sP = OppositeSide(sT);
    if (!IsSide(sP) || !IsSide(sT))
        return;

    const RouteChoice& choice = kRouteTable[(sP - SideTop) * 4 + (sT - SideTop)];
    const POINT cp = choice.exchanged ? Exchanged(p) : p;
    const POINT ct = choice.exchanged ? Exchanged(t) : t;
    POINT points[6];
    int n = 0;
    switch (choice.kind) {
    case RouteSame:
        RouteSameSides(cp, ct, choice.d, lengths, points, &n);
        break;
    case RouteOpposite:
        RouteOppositeSides(cp, ct, choice.d, lengths, points, &n);
        break;
    case RoutePerpendicular:
        RoutePerpendicularSides(cp, ct, choice.d, choice.e, lengths, points, &n);
        break;
    }
    for (int i = 0; i + 1 < n; ++i) {
        const POINT a = choice.exchanged ? Exchanged(points[i]) : points[i];
        const POINT b = choice.exchanged ? Exchanged(points[i + 1]) : points[i + 1];
        ConnectorSegment& s = path->segments[i];
        s.x1 = std::min(a.x, b.x);
        s.y1 = std::min(a.y, b.y);
        s.x2 = std::max(a.x, b.x);
        s.y2 = std::max(a.y, b.y);
    }
    path->segmentCount = n - 1;
    if (sP != sT) {
        path->startSide = sP;
        path->endSide = sT;
    }
}

void LayoutUnsidedConnector(ConnectorSegmentBlock* path, int lineWidth, int w, int h, int corner,
                            int orientation, int kind)
{
    int count;
    if (h < 3 * lineWidth || w < 3 * lineWidth)
        count = 1;
    else
        count = kind == ConnectorCurved ? 2 : 3;
    const int o = orientation != 0 ? orientation : (h < w ? 1 : 2);
    ConnectorSegment* s = path->segments;
    const int w2 = w / 2, h2 = h / 2;
    const bool mainDiagonal = corner == 1 || corner == 4;
    if (count == 1) {
        s[0] = o == 1 ? ConnectorSegment{0, 0, w, 0} : ConnectorSegment{0, 0, 0, h};
    } else if (count == 2) {
        // The corner code names the corner of the bend.
        switch (corner) {
        case 1:
            s[0] = {0, 0, 0, h};
            s[1] = {0, h, w, h};
            break;
        case 2:
            s[0] = {0, h, w, h};
            s[1] = {w, 0, w, h};
            break;
        case 4:
            s[0] = {0, 0, w, 0};
            s[1] = {w, 0, w, h};
            break;
        default:
            s[0] = {0, 0, 0, h};
            s[1] = {0, 0, w, 0};
            break;
        }
    } else if (o == 1) {
        if (mainDiagonal) {
            s[0] = {0, 0, w2, 0};
            s[1] = {w2, 0, w2, h};
            s[2] = {w2, h, w, h};
        } else {
            s[0] = {0, h, w2, h};
            s[1] = {w2, 0, w2, h};
            s[2] = {w2, 0, w, 0};
        }
    } else {
        if (mainDiagonal) {
            s[0] = {0, 0, 0, h2};
            s[1] = {0, h2, w, h2};
            s[2] = {w, h2, w, h};
        } else {
            s[0] = {0, h2, 0, h};
            s[1] = {0, h2, w, h2};
            s[2] = {w, 0, w, h2};
        }
    }
    path->segmentCount = count;
}

POINT ConnectorEndPoint(const ConnectorSegmentBlock* path, int index)
{
    const int count = SoundCount(path);
    const int last = count - 1;
    const bool first = index == 0;
    const ConnectorSegment& g = path->segments[first ? 0 : last];
    const ConnectorSegment& other = path->segments[first ? last : 0];
    int s = first ? path->startSide : path->endSide;
    if (s == SideNone)
        s = OppositeSide(first ? path->endSide : path->startSide);
    switch (s) {
    case SideTop:
        return POINT{g.x1, g.y2};
    case SideBottom:
        return POINT{g.x1, g.y1};
    case SideLeft:
        return POINT{g.x2, g.y1};
    case SideRight:
        return POINT{g.x1, g.y1};
    default:
        break;
    }
    // Without a side: the end of g that does not join the path.
    if (g.y1 == g.y2) {
        int x;
        if (count == 1)
            x = first ? g.x1 : g.x2;
        else
            x = g.x2 == other.x1 ? g.x1 : g.x2;
        return POINT{x, g.y1};
    }
    int y;
    if (count == 1)
        y = first ? g.y1 : g.y2;
    else
        y = g.y2 == other.y1 ? g.y1 : g.y2;
    return POINT{g.x1, y};
}

void ResetPreferredLengths(ConnectorSegmentBlock* path)
{
    // A path not laid out yet has count 0: every length is the default.
    const int count = std::clamp(static_cast<int>(path->segmentCount), 0, kConnectorMaxSegments);
    for (int i = 0; i < kConnectorMaxSegments; ++i) {
        if (i < count) {
            const ConnectorSegment& s = path->segments[i];
            path->preferred[i] = s.y1 == s.y2 ? s.x2 - s.x1 : s.y2 - s.y1;
        } else {
            path->preferred[i] = kConnectorPreferredLength;
        }
    }
}

int NearestSideOfBoxPoint(int x, int y)
{
    int side = SideLeft, distance = x;
    if (600 - x < x) {
        side = SideRight;
        distance = 600 - x;
    }
    if (y < distance)
        return SideTop;
    if (600 - y < distance)
        return SideBottom;
    return side;
}

POINT NormalizeConnectorPath(ConnectorSegmentBlock* path)
{
    const int count = SoundCount(path);
    POINT m = {kMaxCoord, kMaxCoord};
    for (int i = 0; i < count; ++i) {
        m.x = std::min<LONG>(m.x, path->segments[i].x1);
        m.y = std::min<LONG>(m.y, path->segments[i].y1);
    }
    for (int i = 0; i < count; ++i) {
        ConnectorSegment& s = path->segments[i];
        s.x1 -= m.x;
        s.x2 -= m.x;
        s.y1 -= m.y;
        s.y2 -= m.y;
    }
    return m;
}
