// The outline polygon of every shape kind. Y grows downward; integer halving truncates.
#include "shapes/shape_outline.h"

#include <algorithm>

#include "geometry/real_math.h"
#include "shapes/custom_outline.h"
#include "shapes/shape_kinds.h"

void HalfEllipsePoints(POINT* points, int n, const RECT& rect, int a, int b, int c, int d,
                       bool fromRight)
{
    if (n <= 0)
        return;
    const double e = static_cast<double>((rect.bottom - rect.top) / 2);
    double w = static_cast<double>(rect.right - rect.left);
    const double f = n > 1 ? (2 * e - c - d) / (n - 1) : 0.0;
    double g = 0;
    for (int i = 0; i < n; ++i) {
        double l = c + i * f;
        if (a != 0 && a > l)
            l = a;
        double m = e - l;
        if (b != 0 && -e > m - b)
            m = b - e;
        points[i].y = rect.top + TruncReal(e - m);
        if (e != 0)
            g = m / e;
        else
            w = 0;
        const int dx = TruncReal(RootOrZero(1 - g * g) * w);
        points[i].x = fromRight ? rect.right - dx : rect.left + dx;
    }
}

namespace {

struct Outline {
    POINT* points;
    int count = 0;

    void Add(LONG x, LONG y) { points[count++] = POINT{x, y}; }
    void Close() { points[count] = points[0], ++count; }
    void Ellipse(int n, LONG l, LONG t, LONG r, LONG b, int c, int d, bool fromRight,
                 int a = 0, int bb = 0)
    {
        HalfEllipsePoints(points + count, n, RECT{l, t, r, b}, a, bb, c, d, fromRight);
        count += n;
    }
};

// An offset measured on the reference rectangle, scaled by span / refSpan (the heights, or
// half of them) so that an inner outline keeps the slopes of the outer one.
int ScaleOffset(int c, int span, int refSpan)
{
    return refSpan != 0 ? TruncReal(span * (static_cast<double>(c) / refSpan)) : c;
}

} // namespace

void BuildShapeOutline(const RECT& rect, const RECT& ref, double p, int kind, int inset,
                       HGLOBAL custom, POINT* points, int* count)
{
    const LONG L = rect.left, T = rect.top, R = rect.right, B = rect.bottom;
    const LONG W = R - L, H = B - T;
    const LONG L0 = ref.left, T0 = ref.top, R0 = ref.right, B0 = ref.bottom;
    const LONG W0 = R0 - L0, H0 = B0 - T0;
    const LONG mx = L + W / 2, my = T + H / 2;
    Outline o{points};

    switch (kind) {
    case ShapeFreeText:
        o.Add(L, T), o.Add(R, T), o.Add(R, B), o.Add(L, B);
        o.Add(mx, T), o.Add(R, my), o.Add(mx, B), o.Add(L, my);
        break;
    case ShapeRectangle:
        o.Add(L, T), o.Add(R, T), o.Add(R, B), o.Add(L, B), o.Close();
        break;
    case ShapeRoundedRect:
    case ShapeTerminate: {
        const int r = kind == 8 ? H / 2 : TruncReal(p * std::min(W, H));
        o.Ellipse(20, L, T, L + r, T + 2 * r, 0, r, true);
        o.Ellipse(20, L, B - 2 * r, L + r, B, r, 0, true);
        o.Ellipse(20, R - r, B, R, B - 2 * r, 0, -r, false);
        o.Ellipse(20, R - r, T + 2 * r, R, T, -r, 0, false);
        o.Close();
        break;
    }
    case ShapeOval:
    case ShapeCircle:
        o.Ellipse(40, L, T, L + W / 2, B, 0, 0, true);
        o.Ellipse(40, R - W / 2, B, R, T, 0, 0, false);
        break;
    case ShapeInputOutput: {
        const int c = ScaleOffset(TruncReal(p * W0), H, H0);
        o.Add(L + c, T), o.Add(R, T), o.Add(R - c, B), o.Add(L, B), o.Close();
        break;
    }
    case ShapeDecision:
        o.Add(L + W / 2, T), o.Add(R, T + H / 2), o.Add(L + W / 2, B), o.Add(L, T + H / 2);
        o.Close();
        break;
    case ShapeDocument: {
        const int d = TruncReal(p * H0);
        const int J = B0 - B;
        const int a = d - J / 2;
        o.Add(L, B - a), o.Add(L, T), o.Add(R, T), o.Add(R, B - a - J);
        // Real quarters: with integer ones the wave would end short of the left edge on widths
        // that 4 does not divide.
        const double q = W / 4.0;
        const double s = 2 * q / 20;
        for (int i = 1; i <= 20; ++i) {
            const double t = i * s;
            const double u = (q - t) / q;
            o.Add(R - TruncReal(t), B - a - J - TruncReal(RootOrZero(1 - u * u) * a));
        }
        for (int i = 1; i <= 20; ++i) {
            const double t = i * s;
            const double u = (q - t) / q;
            o.Add(R - TruncReal(2 * q + t), TruncReal(RootOrZero(1 - u * u) * a) + B - a);
        }
        o.Add(L, B - a);
        break;
    }
    case ShapeRightArrow:
    case ShapeLeftArrow: {
        const int s = TruncReal(H0 * 0.15);
        const int h = TruncReal(p * W0);
        const int e = inset != 0 ? inset : T - T0;
        const int g = inset != 0 ? inset : B0 - B;
        const LONG top = T0 + s + e, bottom = B0 - s - g;
        if (kind == 10) {
            const LONG hx = L + W0 - h;
            o.Add(L, top), o.Add(hx, top), o.Add(hx, T), o.Add(R, T + H / 2), o.Add(hx, B);
            o.Add(hx, bottom), o.Add(L, bottom), o.Add(L, top);
        } else {
            const LONG hx = R + h - W0;
            o.Add(L, T + H / 2), o.Add(hx, T), o.Add(hx, top), o.Add(R, top);
            o.Add(R, bottom), o.Add(hx, bottom), o.Add(hx, B), o.Add(L, T + H / 2);
        }
        break;
    }
    case ShapeTopArrow:
    case ShapeBottomArrow: {
        const int s = TruncReal(W0 * 0.15);
        const int h = TruncReal(p * H0);
        const int f = inset != 0 ? inset : L - L0;
        const int g = inset != 0 ? inset : R0 - R;
        const LONG left = L0 + s + f, right = R0 - s - g;
        if (kind == 12) {
            const LONG hy = B + h - H0;
            o.Add(L + W / 2, T), o.Add(L, hy), o.Add(left, hy), o.Add(left, B);
            o.Add(right, B), o.Add(right, hy), o.Add(R, hy), o.Add(L + W / 2, T);
        } else {
            const LONG hy = T + H0 - h;
            o.Add(left, T), o.Add(left, hy), o.Add(L, hy), o.Add(L + W / 2, B);
            o.Add(R, hy), o.Add(right, hy), o.Add(right, T), o.Add(left, T);
        }
        break;
    }
    case ShapeTriangle:
        o.Add(L + W / 2, T), o.Add(R, B), o.Add(L, B), o.Close();
        break;
    case ShapeReverseTriangle:
        o.Add(L, T), o.Add(R, T), o.Add(L + W / 2, B), o.Close();
        break;
    case ShapeInput: {
        const int c = TruncReal(p * H0);
        o.Add(L, T + c), o.Add(R, T), o.Add(R, B), o.Add(L, B), o.Close();
        break;
    }
    case ShapeTrapezoid: {
        const int c = ScaleOffset(TruncReal(p * W0), H, H0);
        o.Add(L + c, T), o.Add(R - c, T), o.Add(R, B), o.Add(L, B), o.Close();
        break;
    }
    case ShapeManualOperation: {
        const int c = ScaleOffset(TruncReal(p * W0), H, H0);
        o.Add(L, T), o.Add(R, T), o.Add(R - c, B), o.Add(L + c, B), o.Close();
        break;
    }
    case ShapeOctagon: {
        const int c = ScaleOffset(std::min(TruncReal(p * W0), TruncReal(p * H0)), H, H0);
        o.Add(L + c, T), o.Add(R - c, T), o.Add(R, T + c), o.Add(R, B - c);
        o.Add(R - c, B), o.Add(L + c, B), o.Add(L, B - c), o.Add(L, T + c), o.Close();
        break;
    }
    case ShapeOnlineStorage: {
        const int c = TruncReal(p * W0);
        const int J = inset;
        o.Add(L + c, B);
        o.Ellipse(20, L, T, L + c, B, 0, 0, true);
        std::reverse(o.points + 1, o.points + 21); // up the convex left side
        o.Add(L + c, T), o.Add(R, T);
        if (B0 != B) { // an inner outline
            o.Ellipse(20, R0 - J - c, T0, R0 - J, B0, 0, 0, true, J, J);
            o.Add(R, B);
        } else {
            o.Ellipse(20, R0 - c, T0 + J, R0, B0 - J, 0, 0, true);
            o.Add(R, B - J);
        }
        o.Add(R, B), o.Add(L + c, B);
        break;
    }
    case ShapePreparation:
    case ShapePentagon: {
        const int c = ScaleOffset(TruncReal(p * W0), H / 2, H0 / 2);
        const LONG midY = (B0 + T0) / 2;
        if (kind == 21) {
            o.Add(L + c, T), o.Add(R - c, T), o.Add(R, midY), o.Add(R - c, B);
            o.Add(L + c, B), o.Add(L, midY), o.Close();
        } else {
            o.Add(L + c, T), o.Add(R, T), o.Add(R, B), o.Add(L + c, B), o.Add(L, midY);
            o.Close();
        }
        break;
    }
    case ShapeOffPageConnector: {
        const int c = ScaleOffset(TruncReal(p * H0), W / 2, W0 / 2);
        o.Add(L, B - c), o.Add(L, T), o.Add(R, T), o.Add(R, B - c), o.Add((R0 + L0) / 2, B);
        o.Close();
        break;
    }
    case ShapeDelay: {
        const int c = TruncReal(p * W0);
        o.Add(L, B), o.Add(L, T), o.Add(R - c, T);
        o.Ellipse(40, R - c, T, R, B, 0, 0, false);
        o.Add(R - c, B), o.Add(L, B);
        break;
    }
    case ShapeDisplay: {
        const int c = TruncReal(p * W0);                             // the right bulge
        const int k = H0 / 2 != 0 ? ScaleOffset(c, H / 2, H0 / 2)    // the left point
                                  : TruncReal(p * W);
        o.Add(L + k, B), o.Add(L, (B0 + T0) / 2), o.Add(L + k, T), o.Add(R - c, T);
        o.Ellipse(40, R - c, T, R, B, 0, 0, false);
        o.Add(R - c, B), o.Add(L + k, B);
        break;
    }
    case ShapeCustom:
        ScaleCustomOutline(rect, custom, points, &o.count);
        break;
    default: // 1 (a picture) and unknown kinds have no outline
        break;
    }
    *count = o.count;
}
