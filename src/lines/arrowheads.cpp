// Arrowheads: measures and drawing.
#include "lines/arrowheads.h"

#include <cmath>
#include <cstdlib>
#include <initializer_list>

#include "geometry/real_math.h"

const int ArrowheadSizeTable[2][3] = {{12, 24, 36}, {42, 84, 126}};

int LimitArrowheadSize(int size)
{
    if (size > 2) return 2;
    if (size < -2) return -2;
    return size;
}

namespace {

int TableIndex(int size)
{
    const int s = LimitArrowheadSize(size);
    return s < 0 ? -s : s;
}

struct Measures {
    int J;   // reach to either side of the axis
    int K;   // radius of circles, half side of squares, spacing of marks
    int L;   // length along the line
};

Measures MeasuresFor(int size, int width)
{
    const int limited = LimitArrowheadSize(size);
    const int i = TableIndex(size);
    Measures m{ArrowheadSizeTable[0][i] + width, ArrowheadSizeTable[0][i] + width / 2,
               ArrowheadSizeTable[1][i] + width};
    if (limited < 0) {
        m.J /= 6;
        m.K /= 6;
        m.L /= 6;
    }
    return m;
}

// One head's frame: the point it stands on, the unit vector along the segment away from it and
// the unit vector across.
struct HeadFrame {
    POINT p;
    double ux, uy;
    double nx, ny;
    bool axis;   // horizontal or vertical segment
    Measures m;
    double a;    // half-angle at the tip

    // P plus an offset, each coordinate truncated toward zero before it is added.
    POINT At(double along, double across) const
    {
        const double dx = along * ux + across * nx, dy = along * uy + across * ny;
        return POINT{p.x + TruncReal(dx), p.y + TruncReal(dy)};
    }
    // P plus `length` along u turned by `angle`.
    POINT Turned(double length, double angle) const
    {
        return At(length * std::cos(angle), length * std::sin(angle));
    }
    // The corner of a head at the tip's half-angle: L along u turned by +a or -a, which is
    // sqrt(L^2 - J^2) along and exactly J across (no rounding drift below J).
    POINT Corner(int side) const
    {
        return At(RootOrZero(double(m.L) * m.L - double(m.J) * m.J), side * m.J);
    }
    // Depth of the crow's feet and the marks: exact on horizontal and vertical segments.
    double Depth() const
    {
        return axis ? m.L : RootOrZero(double(m.L) * m.L - double(m.J) * m.J);
    }
};

HeadFrame FrameFor(POINT p, POINT o, const Measures& m)
{
    HeadFrame f;
    f.p = p;
    f.m = m;
    const double dx = o.x - p.x, dy = o.y - p.y;
    const double length = std::sqrt(dx * dx + dy * dy);
    // A zero-length segment has no direction of its own; the head lies along the x axis.
    f.ux = length > 0 ? dx / length : 1.0;
    f.uy = length > 0 ? dy / length : 0.0;
    f.nx = -f.uy;
    f.ny = f.ux;
    f.axis = p.x == o.x || p.y == o.y;
    double ratio = m.L > 0 ? double(m.J) / m.L : 0.0;
    if (ratio > 1.0) ratio = 1.0;
    f.a = std::asin(ratio);
    return f;
}

void Stroke(HDC dc, POINT from, POINT to)
{
    MoveToEx(dc, from.x, from.y, nullptr);
    LineTo(dc, to.x, to.y);
}

// Bars are stroked in both directions, so that either end's pixel is set whatever the device.
void Bar(HDC dc, const HeadFrame& f, double distance)
{
    const POINT a = f.At(distance, f.m.J), b = f.At(distance, -f.m.J);
    Stroke(dc, a, b);
    Stroke(dc, b, a);
}

void FillPolygon(HDC dc, HPEN outline, std::initializer_list<POINT> points)
{
    SelectObject(dc, outline);
    ::Polygon(dc, points.begin(), static_cast<int>(points.size()));
}

void Circle(HDC dc, POINT centre, int radius, HPEN stroke, HBRUSH brush)
{
    SelectObject(dc, stroke);
    SelectObject(dc, brush);
    Ellipse(dc, centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius);
}

void FilledTriangle(HDC dc, const HeadFrame& f, HPEN outline)
{
    FillPolygon(dc, outline, {f.p, f.Corner(1), f.Corner(-1)});
}

void OpenHead(HDC dc, const HeadFrame& f, HPEN stroke)
{
    SelectObject(dc, stroke);
    Stroke(dc, f.p, f.Corner(1));
    Stroke(dc, f.p, f.Corner(-1));
}

void CrowsFoot(HDC dc, const HeadFrame& f, HPEN stroke)
{
    SelectObject(dc, stroke);
    const double h = f.Depth();
    const POINT back = f.At(f.m.L, 0);
    Stroke(dc, back, f.At(f.m.L - h, f.m.J));
    Stroke(dc, back, f.At(f.m.L - h, -f.m.J));
}

bool TriangleFamily(int kind)
{
    return kind == ArrowFilled || kind == ArrowMidFilled || kind == ArrowDoubleFilled ||
           kind == ArrowFilledBar;
}

void DrawHead(HDC dc, int kind, const HeadFrame& f, HBRUSH fill, HPEN outline, HPEN stroke)
{
    const Measures& m = f.m;
    HBRUSH hollow = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    switch (kind) {
    case ArrowFilled:
    case ArrowMidFilled:
        FilledTriangle(dc, f, outline);
        break;
    case ArrowOpen:
    case ArrowMidOpen:
        OpenHead(dc, f, stroke);
        break;
    case ArrowBarbed:
    case ArrowMidBarbed:
        FillPolygon(dc, outline, {f.p, f.Corner(1), f.At(m.L / 2, 0), f.Corner(-1)});
        break;
    case ArrowCircleFilled:
        Circle(dc, f.p, m.K, stroke, fill);
        break;
    case ArrowCircle:
        Circle(dc, f.p, m.K, stroke, hollow);
        break;
    case ArrowSquareFilled:
    case ArrowSquare:
        SelectObject(dc, stroke);
        SelectObject(dc, kind == ArrowSquareFilled ? fill : hollow);
        Rectangle(dc, f.p.x - m.K, f.p.y - m.K, f.p.x + m.K, f.p.y + m.K);
        break;
    case ArrowCrowsFoot:
        CrowsFoot(dc, f, stroke);
        break;
    case ArrowSlash: {
        SelectObject(dc, stroke);
        const double quarter = kPi / 4;
        Stroke(dc, f.Turned(m.J, quarter + kPi), f.Turned(m.J, quarter));
        break;
    }
    case ArrowReversed: {
        const double h = f.Depth();
        FillPolygon(dc, outline, {f.At(m.L, 0), f.At(m.L - h, m.J), f.At(m.L - h, -m.J)});
        break;
    }
    case ArrowKite:
        FillPolygon(dc, outline, {f.p, f.Corner(1), f.At(2.0 * m.L, 0), f.Corner(-1)});
        break;
    case ArrowCrowsFootCircle:
        CrowsFoot(dc, f, stroke);
        Stroke(dc, f.At(m.L, 0), f.p);
        Circle(dc, f.At(double(m.L) + m.K, 0), m.K, stroke, hollow);
        break;
    case ArrowCrowsFootBar:
        CrowsFoot(dc, f, stroke);
        Bar(dc, f, m.K + f.Depth());
        break;
    case ArrowBarCircle: {
        SelectObject(dc, stroke);
        const int half = m.L / 2;
        double distance = half;
        if (!f.axis) {
            // Thick lines at small sizes reach wider than half the head is long: the bar then
            // lies through the end point.
            double ratio = half > 0 ? double(m.J) / half : 1.0;
            if (ratio > 1.0) ratio = 1.0;
            distance = half * std::cos(std::asin(ratio));
        }
        Bar(dc, f, distance);
        Stroke(dc, f.At(2.0 * half, 0), f.p);
        Circle(dc, f.At(2.0 * half + m.K, 0), m.K, stroke, hollow);
        break;
    }
    case ArrowDoubleBar: {
        SelectObject(dc, stroke);
        const double h = f.Depth();
        Bar(dc, f, h);
        Bar(dc, f, m.K + h);
        break;
    }
    case ArrowCircleBar:
        Circle(dc, f.p, m.K, stroke, hollow);
        Bar(dc, f, 2.0 * m.J);
        break;
    case ArrowDoubleFilled: {
        FilledTriangle(dc, f, outline);
        HeadFrame second = f;
        second.p = f.At(m.L, 0);
        FilledTriangle(dc, second, outline);
        break;
    }
    case ArrowFilledBar:
        FilledTriangle(dc, f, outline);
        SelectObject(dc, stroke);
        Bar(dc, f, 0);
        break;
    case ArrowOpenBar:
        OpenHead(dc, f, stroke);
        Bar(dc, f, 0);
        break;
    case ArrowBar:
        SelectObject(dc, stroke);
        Bar(dc, f, 0);
        break;
    default:
        break;   // no head, or a kind this version does not know
    }
}

}  // namespace

int IsMidLineArrowhead(DWORD word)
{
    const DWORD kind = word & kArrowKindMask;
    return kind >= ArrowMidFilled && kind <= ArrowMidBarbed ? 1 : 0;
}

int ArrowheadSetback(DWORD word, int size, int width)
{
    const int i = TableIndex(size);
    const int S = ArrowheadSizeTable[0][i], G = ArrowheadSizeTable[1][i], w = width;
    switch (word & kArrowKindMask) {
    case ArrowFilled:
    case ArrowKite:
    case ArrowDoubleFilled:
    case ArrowFilledBar:
        return (G + w) * 2 / 3;
    case ArrowOpen:
    case ArrowOpenBar:
        return w <= 12 ? w : w / 2;
    case ArrowBarbed:
        return (G + w) / 3;
    case ArrowCircleFilled:
    case ArrowCircle:
    case ArrowSquareFilled:
    case ArrowSquare:
    case ArrowCircleBar:
        return S;
    case ArrowCrowsFoot:
    case ArrowSlash:
    case ArrowCrowsFootBar:
    case ArrowDoubleBar:
    case ArrowMidFilled:
    case ArrowMidOpen:
    case ArrowMidBarbed:
        return -1;
    case ArrowCrowsFootCircle:
    case ArrowBarCircle:
        return 2 * S + G + 2 * w;
    case ArrowBar:
        return w / 4;
    default:
        return 0;
    }
}

LONG ArrowheadExtent(DWORD word, int size, int width)
{
    const int i = TableIndex(size);
    const int S = ArrowheadSizeTable[0][i], G = ArrowheadSizeTable[1][i], w = width;
    int across = S + w + 6, along = 0;
    switch (word & kArrowKindMask) {
    case ArrowCircleFilled:
    case ArrowCircle:
    case ArrowSquareFilled:
    case ArrowSquare:
    case ArrowSlash:
    case ArrowCircleBar:
        along = S + w + 6;
        break;
    case ArrowCrowsFoot:
    case ArrowCrowsFootCircle:
    case ArrowCrowsFootBar:
        across = G + w + 6;
        break;
    default:
        break;
    }
    return MAKELONG(static_cast<WORD>(across), static_cast<WORD>(along));
}

void DrawArrowheads(HDC dc, int ends, DWORD first, DWORD second, int width, int size, int /*unused*/,
                    int x1, int y1, int x2, int y2, HBRUSH fill, HPEN outline, HPEN stroke)
{
    const Measures m = MeasuresFor(size, width);
    SetPolyFillMode(dc, ALTERNATE);
    const int kinds[2] = {static_cast<int>(first & kArrowKindMask),
                          static_cast<int>(second & kArrowKindMask)};
    const POINT ends_[2] = {{x1, y1}, {x2, y2}};
    // The middle as each head computes it from its own end.
    const POINT middles[2] = {{x1 + (x2 - x1) / 2, y1 + (y2 - y1) / 2},
                              {x2 - (x2 - x1) / 2, y2 - (y2 - y1) / 2}};
    const int maskBits[2] = {kArrowEnd1, kArrowEnd2};
    for (int end = 0; end < 2; ++end) {
        SelectObject(dc, fill);
        const int kind = kinds[end];
        if (kind == ArrowNone)
            continue;
        if (TriangleFamily(kind) && !(ends & maskBits[end]))
            continue;
        const POINT self = ends_[end], other = ends_[1 - end];
        HeadFrame f = FrameFor(self, other, m);
        if (IsMidLineArrowhead(static_cast<DWORD>(kind))) {
            f.p = middles[end];
            // Alone, the head is centred on the middle, pointing toward its own end; with a
            // mid-line head at the other end too, both tips meet at the middle.
            if (!IsMidLineArrowhead(static_cast<DWORD>(kinds[1 - end])))
                f.p = f.At(-(m.L / 2), 0);
        }
        DrawHead(dc, kind, f, fill, outline, stroke);
    }
}
