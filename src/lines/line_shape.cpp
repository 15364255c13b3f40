// Geometry of shaped lines.
#include "lines/line_shape.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "geometry/real_math.h"
#include "shapes/metafile_playback.h"

namespace {

RECT HandleAround(POINT p)
{
    return RECT{p.x - kLineShapeHandleHalf, p.y - kLineShapeHandleHalf, p.x + kLineShapeHandleHalf,
                p.y + kLineShapeHandleHalf};
}

// Left and top inclusive, right and bottom exclusive.
bool Inside(LONG left, LONG top, LONG right, LONG bottom, int x, int y)
{
    return x >= left && x < right && y >= top && y < bottom;
}

bool PairHits(POINT a, POINT b, int t, int x, int y)
{
    const LONG left = (a.x < b.x ? a.x : b.x) - t, right = (a.x < b.x ? b.x : a.x) + t;
    const LONG top = (a.y < b.y ? a.y : b.y) - t, bottom = (a.y < b.y ? b.y : a.y) + t;
    if (!Inside(left, top, right, bottom, x, y))
        return false;
    if (a.x == b.x && a.y == b.y)
        return false;   // a pair of equal points has no direction to measure from
    // Vertical and horizontal pairs: a band across the pair's own span, not the grown box.
    if (a.x == b.x)
        return Inside(a.x - t, a.y < b.y ? a.y : b.y, a.x + t, a.y < b.y ? b.y : a.y, x, y);
    if (a.y == b.y)
        return Inside(a.x < b.x ? a.x : b.x, a.y - t, a.x < b.x ? b.x : a.x, a.y + t, x, y);
    const double ex = std::abs(b.x - a.x), ey = std::abs(b.y - a.y);
    const double len = std::sqrt(ex * ex + ey * ey);
    if (ey / ex < 1) {
        const int yl = a.y + TruncReal(double(b.y - a.y) * (x - a.x) / (b.x - a.x));
        const int tt = TruncReal(t * len / ex);
        return yl - tt <= y && y <= yl + tt;
    }
    const int xl = a.x + TruncReal(double(b.x - a.x) * (y - a.y) / (b.y - a.y));
    const int tt = TruncReal(t * len / ey);
    return xl - tt <= x && x <= xl + tt;
}

}  // namespace

void GetLineShapeHandleRects(const DrawObject* line, const POINT* points, int count, int kind,
                             RECT* rects, int* number)
{
    *number = 0;
    switch (line->lineShape) {
    case LineZigzag:
        if (count > 2) {
            rects[0] = HandleAround(points[2]);
            *number = 1;
        }
        break;
    case LineSteps:
        if (count > 4) {
            rects[0] = HandleAround(points[3]);
            rects[1] = HandleAround(points[4]);
            *number = 2;
        }
        break;
    case LineArc:
        // The apex: point 2 of the exact arc and the fallback, else after the last counted point.
        if (count > 0) {
            rects[0] = HandleAround(kind == LinePathPolyline ? points[count] : points[2]);
            *number = 1;
        }
        break;
    default:
        break;
    }
}

int HitTestLinePath(const DrawObject* line, const POINT* points, int count, int x, int y)
{
    const int t = line->lineWidth / 2 + 12;
    for (int i = 0; i + 1 < count; ++i) {
        if (PairHits(points[i], points[i + 1], t, x, y))
            return 40;
    }
    return 0;
}

void XorLineShapePath(HDC dc, const POINT* points, int count, BOOL solid, int kind)
{
    const int rop = GetROP2(dc);
    HPEN dotted = solid ? nullptr : CreatePen(PS_DOT, 1, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(dc, solid ? GetStockObject(BLACK_PEN) : dotted);
    SetROP2(dc, R2_NOT);
    if (kind == LinePathExactArc)
        Arc(dc, points[3].x, points[3].y, points[4].x, points[4].y, points[0].x, points[0].y,
            points[1].x, points[1].y);
    else if (count > 1)
        Polyline(dc, points, count);
    SetROP2(dc, rop);
    SelectObject(dc, old);
    if (dotted)
        DeleteObject(dotted);
}

double SaneLineParam(double v, double fallback)
{
    if (std::isnan(v))
        return fallback;
    if (v > 1e6) return 1e6;
    if (v < -1e6) return -1e6;
    return v;
}

namespace {

// Line orientation in objType; bit 0x4000 of state marks a rising slanted line.
constexpr int kHorizontal = 0, kVertical = 2;
constexpr DWORD kRising = 0x4000;

double SaneParam(double v, double fallback)
{
    return SaneLineParam(v, fallback);
}

// The circle of an arc line with bulge b over the ends rect, and its frame of reference.
struct ArcCircle {
    int orientation;
    double L, half, R, b;
    double cx, cy;
    double sx, sy, ux, uy, nx, ny;   // slanted: start, along, across
    double midx, midy;
};

ArcCircle CircleOf(int orientation, bool rising, const RECT& e, int c0, double b)
{
    ArcCircle a = {};
    a.orientation = orientation;
    a.b = b;
    if (orientation == kHorizontal)
        a.L = e.right - e.left;
    else if (orientation == kVertical)
        a.L = e.bottom - e.top;
    else {
        const double dx = e.right - e.left, dy = e.bottom - e.top;
        a.L = std::sqrt(dx * dx + dy * dy);
        const double sn = a.L > 0 ? dy / a.L : 0, cs = a.L > 0 ? dx / a.L : 1;
        if (!rising) {
            a.sx = e.left, a.sy = e.top, a.ux = cs, a.uy = sn, a.nx = -sn, a.ny = cs;
        } else {
            a.sx = e.left, a.sy = e.bottom, a.ux = cs, a.uy = -sn, a.nx = sn, a.ny = cs;
        }
    }
    a.half = a.L / 2;
    a.R = b != 0 ? (b * b + a.half * a.half) / (2 * b) : 0;
    if (orientation == kHorizontal) {
        a.cx = e.left + a.half;
        a.cy = c0 + a.R - b;
    } else if (orientation == kVertical) {
        a.cx = c0 + a.R - b;
        a.cy = e.top + a.half;
    } else {
        a.midx = a.sx + a.half * a.ux;
        a.midy = a.sy + a.half * a.uy;
        a.cx = a.midx + (a.R - b) * a.nx;
        a.cy = a.midy + (a.R - b) * a.ny;
    }
    return a;
}

POINT MoveAlong(const ArcCircle& a, int s, POINT p)
{
    if (a.b == 0 || a.R == 0)
        return p;
    double sn = s / a.R;
    if (sn > 1) sn = 1;
    if (sn < -1) sn = -1;
    const double cs = RootOrZero(1 - sn * sn);
    const double dx = p.x - a.cx, dy = p.y - a.cy;
    return POINT{TruncReal(a.cx + dx * cs + dy * sn), TruncReal(a.cy + dy * cs - dx * sn)};
}

void ZigzagOrSteps(int shape, int orientation, bool rising, const RECT& e, int c0, double param,
                   int c, POINT* pts, int* count)
{
    double L;
    if (orientation == kHorizontal)
        L = e.right - e.left;
    else if (orientation == kVertical)
        L = e.bottom - e.top;
    else {
        const double dx = e.right - e.left, dy = e.bottom - e.top;
        L = std::sqrt(dx * dx + dy * dy);
        if (L == 0)
            return;
    }
    const int a = TruncReal(param * (L < 1200 ? L : 1200.0) / 2);
    const int o = TruncReal((L - 2 * a) / 2);
    const bool zigzag = shape == LineZigzag;
    if (orientation == kHorizontal || orientation == kVertical) {
        // Along and across coordinates; a vertical line mirrors its excursions.
        const int s0 = orientation == kHorizontal ? e.left : e.top;
        const int s1 = orientation == kHorizontal ? e.right : e.bottom;
        const int up = orientation == kHorizontal ? c0 - a - c : c0 + a + c;
        const int down = orientation == kHorizontal ? c0 + a + c : c0 - a - c;
        struct AC { int along, across; };
        std::vector<AC> list;
        if (zigzag)
            list = {{s0, c0}, {s0 + o, c0}, {s0 + o + a / 2, up}, {s0 + o + 3 * a / 2, down},
                    {s0 + o + 2 * a, c0}, {s1, c0}};
        else
            list = {{s0, c0}, {s0 + o, c0}, {s0 + o, up}, {s0 + o + a, up}, {s0 + o + a, down},
                    {s0 + o + 2 * a, down}, {s0 + o + 2 * a, c0}, {s1, c0}};
        *count = static_cast<int>(list.size());
        for (int i = 0; i < *count; ++i)
            pts[i] = orientation == kHorizontal ? POINT{list[i].along, list[i].across}
                                                : POINT{list[i].across, list[i].along};
        return;
    }
    const double sn = (e.bottom - e.top) / L, cs = (e.right - e.left) / L;
    POINT S, E;
    double ux, uy, nx, ny;
    POINT k;
    if (!rising) {
        S = {e.left, e.top}, E = {e.right, e.bottom};
        ux = cs, uy = sn, nx = -sn, ny = cs, k = {c, -c};
    } else {
        S = {e.left, e.bottom}, E = {e.right, e.top};
        ux = cs, uy = -sn, nx = sn, ny = cs, k = {-c, -c};
    }
    const POINT tu{TruncReal(a * ux), TruncReal(a * uy)};
    const POINT th{TruncReal(a * ux / 2), TruncReal(a * uy / 2)};
    const POINT tn{TruncReal(a * nx), TruncReal(a * ny)};
    const POINT p1{S.x + TruncReal(o * ux), S.y + TruncReal(o * uy)};
    auto add = [](POINT p, int fx, POINT v) { return POINT{p.x + fx * v.x, p.y + fx * v.y}; };
    if (zigzag) {
        POINT p2 = add(add(add(add(p1, -1, tn), 1, k), 1, tu), -1, th);
        POINT p3 = add(add(add(p2, 2, tn), 2, th), -2, k);
        POINT p4 = add(add(add(p3, 1, tu), -1, th), -1, tn);
        const POINT list[] = {S, p1, p2, p3, p4, E};
        *count = 6;
        for (int i = 0; i < 6; ++i) pts[i] = list[i];
    } else {
        POINT p2 = add(add(p1, -1, tn), 1, k);
        POINT p3 = add(p2, 1, tu);
        POINT p4 = add(add(p3, 2, tn), -2, k);
        POINT p5 = add(p4, 1, tu);
        POINT p6 = add(p5, -1, tn);
        const POINT list[] = {S, p1, p2, p3, p4, p5, p6, E};
        *count = 8;
        for (int i = 0; i < 8; ++i) pts[i] = list[i];
    }
}

void StraightArc(int orientation, bool rising, const RECT& e, int c0, POINT* pts, int* count, int* kind)
{
    const int dx = e.right - e.left, dy = e.bottom - e.top;
    if (orientation == kHorizontal) {
        pts[0] = {e.left, c0}, pts[1] = {e.right, c0}, pts[2] = {e.left + dx / 2, c0};
    } else if (orientation == kVertical) {
        pts[0] = {c0, e.top}, pts[1] = {c0, e.bottom}, pts[2] = {c0, e.top + dy / 2};
    } else {
        // End 1 and end 2: a rising line joins the bottom-left and top-right corners.
        pts[0] = {e.left, rising ? e.bottom : e.top}, pts[1] = {e.right, rising ? e.top : e.bottom};
        pts[2] = {e.left + dx / 2, e.top + dy / 2};
    }
    *count = 2;
    *kind = LinePathStraightArc;
}

}  // namespace

void MovePointAlongArc(const DrawObject* line, int s, POINT* point)
{
    const double p = SaneParam(line->param, 180.0);
    if (p == 0)
        return;
    const ArcCircle a = CircleOf(line->objType, (line->state & kRising) != 0, line->frame,
                                 line->axisCoord, p);
    if (a.L == 0 && line->objType != kHorizontal && line->objType != kVertical)
        return;
    *point = MoveAlong(a, s, *point);
}

void BuildLineShapePath(const DrawObject* line, const RECT* ends, int c0, double param, int margin,
                        POINT* pts, int* count, int* kind, BOOL exactOff, const int* setbacks)
{
    *count = 0;
    *kind = LinePathPolyline;
    const int orientation = line->objType == kHorizontal || line->objType == kVertical ? line->objType : 1;
    const bool rising = (line->state & kRising) != 0;
    const RECT e = *ends;
    const int c = margin;
    if (line->lineShape == LineZigzag || line->lineShape == LineSteps) {
        ZigzagOrSteps(line->lineShape, orientation, rising, e, c0, SaneParam(param, 0.25), c, pts, count);
        return;
    }
    if (line->lineShape != LineArc)
        return;
    const double p = SaneParam(param, 180.0);
    const int b = TruncReal(p);
    ArcCircle a = CircleOf(orientation, rising, e, c0, b);
    const bool slanted = orientation != kHorizontal && orientation != kVertical;
    if (slanted && a.L == 0)
        return;
    if (b == 0) {
        StraightArc(orientation, rising, e, c0, pts, count, kind);
        return;
    }
    POINT end1, end2, apex;
    if (orientation == kHorizontal) {
        end1 = {e.left, c0}, end2 = {e.right, c0};
        apex = {TruncReal(e.left + a.half), b > 0 ? c0 - b - c : c0 - b + c};
    } else if (orientation == kVertical) {
        end1 = {c0, e.top}, end2 = {c0, e.bottom};
        apex = {b > 0 ? c0 - b - c : c0 - b + c, TruncReal(e.top + a.half)};
    } else {
        end1 = {TruncReal(a.sx), TruncReal(a.sy)};
        end2 = {TruncReal(a.sx + a.L * a.ux), TruncReal(a.sy + a.L * a.uy)};
        apex = {TruncReal(a.midx - b * a.nx), TruncReal(a.midy - b * a.ny)};
    }
    // Ends moved toward the apex by their setbacks.
    POINT moved1 = end1, moved2 = end2;
    if (setbacks) {
        // As MovePointAlongArc moves them: on the circle of the parameter itself, so that the
        // cut ends meet the heads the painter places there.
        const ArcCircle exact = CircleOf(orientation, rising, e, c0, p);
        const int sign = orientation == kVertical ? -1 : 1;
        if (setbacks[0]) moved1 = MoveAlong(exact, -sign * setbacks[0], end1);
        if (setbacks[1]) moved2 = MoveAlong(exact, sign * setbacks[1], end2);
    }
    const bool fromEnd2 = orientation == kVertical ? b < 0 : b > 0;
    const POINT first = fromEnd2 ? moved2 : moved1, last = fromEnd2 ? moved1 : moved2;
    const double r = std::fabs(a.R);
    const double cornerR = slanted ? r : a.R;
    if (!exactOff && a.cx - r >= 0 && a.cy - r >= 0 && a.cx + r < 32767 && a.cy + r < 32767) {
        pts[0] = first, pts[1] = last, pts[2] = apex;
        pts[3] = {TruncReal(a.cx - cornerR), TruncReal(a.cy - cornerR)};
        pts[4] = {TruncReal(a.cx + cornerR), TruncReal(a.cy + cornerR)};
        *count = 2;
        *kind = LinePathExactArc;
        return;
    }
    if (r > 16383) {
        StraightArc(orientation, rising, e, c0, pts, count, kind);
        return;
    }
    // Tessellated on the circle moved to (16383, 16383), then moved back.
    const int k = 16383;
    const int ri = std::abs(TruncReal(a.R));
    const RECT square{k - ri, k - ri, k + ri, k + ri};
    POINT f1, f2;
    if (orientation == kHorizontal) {
        f1 = {k - TruncReal(a.half), k - TruncReal(a.R - b)};
        f2 = {k + TruncReal(a.half), f1.y};
    } else if (orientation == kVertical) {
        f1 = {k - TruncReal(a.R - b), k - TruncReal(a.half)};
        f2 = {f1.x, k + TruncReal(a.half)};
    } else {
        f1 = {TruncReal(end1.x - a.cx + k), TruncReal(end1.y - a.cy + k)};
        f2 = {TruncReal(end2.x - a.cx + k), TruncReal(end2.y - a.cy + k)};
    }
    f1.x += moved1.x - end1.x, f1.y += moved1.y - end1.y;
    f2.x += moved2.x - end2.x, f2.y += moved2.y - end2.y;
    const POINT from = fromEnd2 ? f2 : f1, to = fromEnd2 ? f1 : f2;
    int n = 0;
    ArcToPoints(&square, from.x, from.y, to.x, to.y, 0, slanted ? 20 : 30, pts, &n);
    const int backX = TruncReal(a.cx - k), backY = TruncReal(a.cy - k);
    const POINT middle{e.left + (e.right - e.left) / 2, e.top + (e.bottom - e.top) / 2};
    for (int i = 0; i < n; ++i) {
        pts[i].x += backX;
        pts[i].y += backY;
        if (c) {
            if (pts[i].x != middle.x) pts[i].x += pts[i].x > middle.x ? c : -c;
            if (pts[i].y != middle.y) pts[i].y += pts[i].y > middle.y ? c : -c;
        }
    }
    pts[n] = apex;
    *count = n;
    *kind = LinePathPolyline;
}

void AddLineShapePathBounds(DrawObject* line)
{
    if (line->lineShape != LineZigzag && line->lineShape != LineSteps && line->lineShape != LineArc)
        return;
    POINT points[kLinePathPoints];
    int count = 0, kind = 0;
    BuildLineShapePath(line, &line->frame, line->axisCoord, line->param, line->lineWidth + 24,
                       points, &count, &kind, TRUE, nullptr);
    if (count == 0)
        return;
    // An arc's apex follows its counted points (point 2 of the straight fallback).
    const int n = line->lineShape == LineArc ? count + 1 : count;
    RECT& u = line->updateRect;
    for (int i = 0; i < n; ++i) {
        u.left = points[i].x < u.left ? points[i].x : u.left;
        u.top = points[i].y < u.top ? points[i].y : u.top;
        u.right = points[i].x > u.right ? points[i].x : u.right;
        u.bottom = points[i].y > u.bottom ? points[i].y : u.bottom;
    }
}

namespace {

// A coordinate written by the projection: kept within the positive 16-bit range, then truncated.
int ArcCoordinate(double v)
{
    return TruncReal(v < 0 ? 0.0 : v > 32767 ? 32767.0 : v);
}

int OrientationOf(const DrawObject* line)
{
    return line->objType == kHorizontal || line->objType == kVertical ? line->objType : 1;
}

}  // namespace

void ProjectPointOntoArc(const DrawObject* line, POINT* point)
{
    const double p = SaneParam(line->param, 180.0);
    if (p == 0)
        return;
    const int orientation = OrientationOf(line);
    const RECT& f = line->frame;
    const ArcCircle a = CircleOf(orientation, (line->state & kRising) != 0, f, line->axisCoord, p);
    const double offset = a.R - p;   // from the chord to the centre, along the bulge
    if (orientation == kHorizontal || orientation == kVertical) {
        const double along =
            orientation == kHorizontal ? double(point->x) - f.left : double(point->y) - f.top;
        const double t = a.half - along;
        const double root = a.R * a.R - t * t;
        if (!(root >= 0))
            return;   // no place on the circle: the point stays
        const double w = std::sqrt(root);
        const double across = p > 0 ? line->axisCoord - (w - offset) : line->axisCoord + (offset + w);
        if (!std::isfinite(across))
            return;
        (orientation == kHorizontal ? point->y : point->x) = ArcCoordinate(across);
        return;
    }
    if (a.L == 0)
        return;
    // The distance from end 1, with y measured from end 1's edge of the frame.
    const double lx = point->x - a.sx;
    const double ly = (line->state & kRising) ? a.sy - point->y : point->y - a.sy;
    const double q = std::sqrt(lx * lx + ly * ly);
    const double t = q - a.half;
    const double root = a.R * a.R - t * t;
    if (!(root >= 0))
        return;
    const double w = std::sqrt(root);
    const double g = p > 0 ? offset - w : offset + w;
    const double x = a.sx + q * a.ux + g * a.nx, y = a.sy + q * a.uy + g * a.ny;
    if (!std::isfinite(x) || !std::isfinite(y))
        return;
    point->x = ArcCoordinate(x);
    point->y = ArcCoordinate(y);
}

void RotatePointOntoChord(const DrawObject* line, POINT* point)
{
    if (OrientationOf(line) == kHorizontal || OrientationOf(line) == kVertical)
        return;
    const RECT& f = line->frame;
    const bool rising = (line->state & kRising) != 0;
    const double lx = double(point->x) - f.left;
    const double ly = rising ? double(f.bottom) - point->y : double(point->y) - f.top;
    const double dx = double(f.right) - f.left, dy = double(f.bottom) - f.top;
    if (lx == 0 || ly == 0 || dx == 0 || dy == 0)
        return;
    // The ratio, not atan2: a point behind end 1 lands on the line's backward extension.
    const double phi = std::atan(ly / lx) - std::atan(dy / dx);
    const double cs = std::cos(phi), sn = std::sin(phi);
    const int along = TruncReal(cs * lx + sn * ly);
    const int across = TruncReal(cs * ly - sn * lx);
    point->x = TruncReal(double(f.left) + along);
    point->y = TruncReal(rising ? double(f.bottom) - across : double(f.top) + across);
}
