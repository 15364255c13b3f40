// Rotation, mirroring, bounds and drag angles of point lists.
#include "geometry/point_geometry.h"

#include <algorithm>
#include <cmath>

#include "geometry/real_math.h"

POINT RotationCentre(const RECT* rect)
{
    if (!rect)
        return POINT{0, 0};
    return POINT{rect->left + (rect->right - rect->left) / 2,
                 rect->top + (rect->bottom - rect->top) / 2};
}

POINT SidePointOfRect(const RECT& r, int code)
{
    const LONG mx = r.left + (r.right - r.left) / 2;
    const LONG my = r.top + (r.bottom - r.top) / 2;
    switch (code) {
    case HandleLeftTop: return POINT{r.left, r.top};
    case HandleRightTop: return POINT{r.right, r.top};
    case HandleLeftBottom: return POINT{r.left, r.bottom};
    case HandleTopMiddle: return POINT{mx, r.top};
    case HandleBottomMiddle:
    case HandleRotateBottom: return POINT{mx, r.bottom};
    case HandleLeftMiddle: return POINT{r.left, my};
    case HandleRightMiddle:
    case HandleRotateRight: return POINT{r.right, my};
    default: return POINT{r.right, r.bottom};
    }
}

int RotatePoints(const RECT* rect, int angle, POINT* points, int n)
{
    const POINT c = RotationCentre(rect);
    const double theta = angle * kTwoPi / 3600;
    const double cosT = std::cos(theta);
    const double sinT = std::sin(theta);
    const double cx = c.x, cy = c.y;
    for (int i = 0; i < n; ++i) {
        const double dx = points[i].x - cx;
        const double dy = points[i].y - cy;
        // The sums keep this order: truncation after adding the centre decides the last unit.
        points[i].x = TruncReal(dx * cosT + dy * sinT + cx);
        points[i].y = TruncReal(-dx * sinT + cy + dy * cosT);
    }
    return n;
}

int RotatePointsAboutRect(const RECT* rect, int angle, POINT* points, int n)
{
    return RotatePoints(rect, angle, points, n);
}

// The mirror bits of an object's options word.
constexpr int kMirrorHorizontally = 0x8;
constexpr int kMirrorVertically = 0x10;

void FlipPoints(const RECT& rect, int options, POINT* points, int n)
{
    for (int i = 0; i < n; ++i) {
        if (options & kMirrorHorizontally)
            points[i].x = rect.right + rect.left - points[i].x;
        if (options & kMirrorVertically)
            points[i].y = rect.bottom + rect.top - points[i].y;
    }
}

void BoundsOfPoints(RECT* bounds, const POINT* points, int n)
{
    *bounds = RECT{32767, 32767, 0, 0};
    for (int i = 0; i < n; ++i) {
        bounds->left = std::min(bounds->left, points[i].x);
        bounds->right = std::max(bounds->right, points[i].x);
        bounds->top = std::min(bounds->top, points[i].y);
        bounds->bottom = std::max(bounds->bottom, points[i].y);
    }
}

namespace {

// Direction of a vector in radians, growing clockwise on screen, within 0..2 pi.
double Direction(double dx, double dy)
{
    double phi = std::atan(dy / (dx == 0 ? 1.0 : dx));
    if (dx < 0)
        phi += kPi;
    if (dy < 0)
        phi += kTwoPi;
    while (phi > kTwoPi)
        phi -= kPi;
    return phi;
}

double Length(double dx, double dy)
{
    return std::sqrt(dx * dx + dy * dy);
}

} // namespace

int AngleFromDrag(int cx, int cy, int sx, int sy, int ex, int ey)
{
    const double r1 = Length(ex - cx, ey - cy);
    const double r2 = Length(sx - cx, sy - cy);
    const double r3 = Length(ex - sx, ey - sy);
    if (r1 * r2 == 0)
        return 0;
    // Rounding can push the cosine a hair beyond +/-1, where acos has no value.
    const double cosA = std::clamp((r1 * r1 + r2 * r2 - r3 * r3) / (2 * r1 * r2), -1.0, 1.0);
    const int a = TruncReal(std::acos(cosA) * 1800 / kPi);

    const double phiE = Direction(ex - cx, ey - cy);
    const double phiS = Direction(sx - cx, sy - cy);
    double turn = phiE - phiS;
    while (turn < 0)
        turn += kTwoPi;
    while (turn >= kTwoPi)
        turn -= kTwoPi;
    // A clockwise turn on screen (the half-turn after S) is negative.
    return turn < kPi ? -a : a;
}

int SnapAngle(int angle)
{
    return angle >= 0 ? (angle + 75) / 150 * 150 : (angle - 75) / 150 * 150;
}
