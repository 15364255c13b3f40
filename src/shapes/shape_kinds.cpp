// The shape kind table, parameter ranges, border insets and text-area fractions.
#include "model/drawing_records.h"
#include "shapes/shape_kinds.h"

#include <algorithm>

#include "geometry/real_math.h"

namespace {

const ShapeKindInfo kKinds[kShapeKindCount] = {
    {"free text block", 0, 8, 0, 0, 0, false},
    {"picture", 0, 0, 0, 0, 0, false},
    {"Draw a Rectangle", 6114, 5, 0, 0, 0, false},
    {"Draw a Rounded Rectangle", 6115, 81, 0.2, 0.1, 0.4, false},
    {"Draw an Oval", 6116, 80, 0, 0, 0, false},
    {"Draw an Input/Output Symbol", 6117, 5, 0.2, 0.1, 0.4, true},
    {"Draw a Decision Symbol", 6118, 5, 0, 0, 0, true},
    {"Draw a Document Symbol", 6119, 45, 0.1, 0.05, 0.3, true},
    {"Draw a Terminate Symbol", 6120, 81, 0, 0, 0, false},
    {"Draw a Connector Symbol (Circle)", 6121, 80, 0, 0, 0, false},
    {"Draw a Right Arrow", 6122, 8, 0.3, 0.1, 0.8, true},
    {"Draw a Left Arrow", 6123, 8, 0.3, 0.1, 0.8, true},
    {"Draw a Top Arrow", 6124, 8, 0.3, 0.1, 0.8, true},
    {"Draw a Bottom Arrow", 6125, 8, 0.3, 0.1, 0.8, true},
    {"Draw a Triangle", 6126, 4, 0, 0, 0, true},
    {"Draw a Reverse Triangle", 6127, 4, 0, 0, 0, true},
    {"Draw an Input Symbol", 6128, 5, 0.2, 0.1, 0.4, true},
    {"Draw a Trapezoid", 6129, 5, 0.2, 0.1, 0.4, true},
    {"Draw a Manual Operation Symbol", 6130, 5, 0.2, 0.1, 0.4, true},
    {"Draw an Octagon", 6131, 9, 0.33, 0.1, 0.4, true},
    {"Draw an Online Storage Symbol", 6132, 46, 0.2, 0.1, 0.4, true},
    {"Draw a Preparation Symbol", 6133, 7, 0.25, 0.1, 0.4, true},
    {"Draw an Off-page Connector Symbol", 6134, 6, 0.3, 0.1, 0.8, true},
    {"Draw a Pentagon", 6135, 6, 0.3, 0.1, 0.8, true},
    {"Draw a Delay Symbol", 6136, 45, 0.33, 0.1, 0.5, true},
    {"Draw a Display Symbol", 6137, 46, 0.2, 0.1, 0.3, true},
    {"custom outline", 0, -1, 0, 0, 0, false},
};

// Text-area constants: 1 - 1/sqrt(2), half of it, and 1/sqrt(2).
constexpr double kC1 = 0.292893218;
constexpr double kC2 = 0.146446609;
constexpr double kC3 = 0.707106782;

enum Side { Left = 0, Top = 1, Right = 2, Bottom = 3 };

void SetAll(double f[4], double v)
{
    f[Left] = f[Top] = f[Right] = f[Bottom] = v;
}

// `own` belongs to the side named first, `other` to the opposite one; mirroring swaps them.
void SetPair(double f[4], int first, int second, double own, double other, bool mirrored)
{
    f[first] = mirrored ? other : own;
    f[second] = mirrored ? own : other;
}

} // namespace

const ShapeKindInfo* GetShapeKindInfo(int kind)
{
    if (kind < 0 || kind >= kShapeKindCount)
        return nullptr;
    return &kKinds[kind];
}

int GetShapeParamRange(int kind, double* defaultValue, double* minValue, double* maxValue)
{
    const ShapeKindInfo* info = GetShapeKindInfo(kind);
    *defaultValue = info ? info->paramDefault : 0.0;
    *minValue = info ? info->paramMin : 0.0;
    *maxValue = info ? info->paramMax : 0.0;
    return 0;
}

int IsRingBorderKind(int kind)
{
    const ShapeKindInfo* info = GetShapeKindInfo(kind);
    return info && info->ringBorder ? 1 : 0;
}

void ComputeBorderInsets(const RECT& frame, int width, double param, int kind, RECT* insets)
{
    const double w = width;
    const double W = frame.right - frame.left;
    const double H = frame.bottom - frame.top;
    const double p = param;
    // Each side is trunc(w x factor), the factor being numerator / denominator.
    auto side = [&](LONG* out, double numerator, double denominator) {
        if (denominator != 0.0)
            *out = TruncReal(w * (numerator / denominator));
    };
    auto plain = [&](LONG* out) { *out = TruncReal(w * 1.0); };
    LONG* l = &insets->left;
    LONG* t = &insets->top;
    LONG* r = &insets->right;
    LONG* b = &insets->bottom;

    switch (kind) {
    case ShapeInputOutput:
    case ShapeTrapezoid:
    case ShapeManualOperation: {
        const double c = p * W;
        plain(t);
        plain(b);
        side(l, c + std::sqrt(c * c + H * H), H);
        side(r, c + std::sqrt(c * c + H * H), H);
        break;
    }
    case ShapeDecision: {
        const double d = std::sqrt(W * W + H * H);
        side(l, d, H);
        side(r, d, H);
        side(t, d, W);
        side(b, d, W);
        break;
    }
    case ShapeRightArrow:
    case ShapeLeftArrow: {
        const double c = 2 * p * W;
        const double s = std::sqrt(c * c + H * H);
        plain(kind == 10 ? l : r);
        side(kind == 10 ? r : l, s, H);
        side(t, H + s, c);
        side(b, H + s, c);
        break;
    }
    case ShapeTopArrow:
    case ShapeBottomArrow: {
        const double c = 2 * p * H;
        const double s = std::sqrt(c * c + W * W);
        plain(kind == 12 ? b : t);
        side(kind == 12 ? t : b, s, W);
        side(l, W + s, c);
        side(r, W + s, c);
        break;
    }
    case ShapeTriangle:
    case ShapeReverseTriangle: {
        const double d = static_cast<double>((frame.right - frame.left) / 2);
        const double s = std::sqrt(d * d + H * H);
        plain(kind == 14 ? b : t);
        side(l, d + s, H);
        side(r, d + s, H);
        side(kind == 14 ? t : b, s, d);
        break;
    }
    case ShapeInput: {
        const double c = p * H;
        plain(l);
        plain(r);
        plain(b);
        side(t, c + std::sqrt(c * c + W * W), W);
        break;
    }
    case ShapePreparation: {
        const double d = static_cast<double>((frame.bottom - frame.top) / 2);
        const double c = p * W;
        plain(t);
        plain(b);
        side(l, std::sqrt(c * c + d * d), d);
        side(r, std::sqrt(c * c + d * d), d);
        break;
    }
    case ShapeOffPageConnector: {
        const double d = static_cast<double>((frame.right - frame.left) / 2);
        const double c = p * H;
        plain(l);
        plain(t);
        plain(r);
        side(b, std::sqrt(c * c + d * d), d);
        break;
    }
    case ShapePentagon:
    case ShapeDisplay: {
        const double d = static_cast<double>((frame.bottom - frame.top) / 2);
        const double c = p * W;
        plain(t);
        plain(b);
        plain(r);
        side(l, std::sqrt(c * c + d * d), d);
        break;
    }
    default: // 19 (w x 1.0) and every kind without slanted sides
        plain(l);
        plain(t);
        plain(r);
        plain(b);
        break;
    }
}

void ComputeShapeTextFractions(int kind, double param, int options, double f[4])
{
    const double p = param;
    const bool mirrorH = (options & OptMirrorH) != 0;
    const bool mirrorV = (options & OptMirrorV) != 0;
    switch (kind) {
    case ShapeRoundedRect:
        SetAll(f, kC1 * p);
        break;
    case ShapeOval:
    case ShapeTerminate:
    case ShapeCircle:
        SetAll(f, kC2);
        break;
    case ShapeInputOutput:
        SetAll(f, p / (p + 1));
        break;
    case ShapeDecision:
        SetAll(f, 0.25);
        break;
    case ShapeOctagon:
        SetAll(f, 0.5 * p);
        break;
    case ShapeDocument:
        f[Left] = f[Right] = 0;
        SetPair(f, Bottom, Top, 2 * p, 0, mirrorV);
        break;
    case ShapeRightArrow:
        f[Left] = 0, f[Top] = 0.15, f[Right] = 0.7 * p, f[Bottom] = 0.15;
        break;
    case ShapeLeftArrow:
        f[Left] = 0.7 * p, f[Top] = 0.15, f[Right] = 0, f[Bottom] = 0.15;
        break;
    case ShapeTopArrow:
        f[Left] = 0.15, f[Top] = 0.7 * p, f[Right] = 0.15, f[Bottom] = 0;
        break;
    case ShapeBottomArrow:
        f[Left] = 0.15, f[Top] = 0, f[Right] = 0.15, f[Bottom] = 0.7 * p;
        break;
    case ShapeTriangle:
        f[Left] = 0.25, f[Top] = 0.5, f[Right] = 0.25, f[Bottom] = 0;
        break;
    case ShapeReverseTriangle:
        f[Left] = 0.25, f[Top] = 0, f[Right] = 0.25, f[Bottom] = 0.5;
        break;
    case ShapeInput:
        f[Left] = f[Right] = 0;
        SetPair(f, Top, Bottom, p, 0, mirrorV);
        break;
    case ShapeTrapezoid:
        f[Left] = f[Top] = f[Right] = p / (p + 1);
        f[Bottom] = 0;
        break;
    case ShapeManualOperation:
        f[Left] = f[Right] = f[Bottom] = p / (p + 1);
        f[Top] = 0;
        break;
    case ShapeOnlineStorage:
        f[Top] = f[Bottom] = kC2;
        SetPair(f, Left, Right, kC1 * p, p, mirrorH);
        break;
    case ShapePreparation:
        SetAll(f, p / (2 * p + 1));
        break;
    case ShapeOffPageConnector: {
        const double v = p / (2 * p + 1);
        f[Left] = f[Right] = v;
        SetPair(f, Bottom, Top, v, 0, mirrorV);
        break;
    }
    case ShapePentagon: {
        const double v = p / (2 * p + 1);
        f[Top] = f[Bottom] = v;
        SetPair(f, Left, Right, v, 0, mirrorH);
        break;
    }
    case ShapeDelay:
        f[Top] = f[Bottom] = kC2;
        SetPair(f, Right, Left, kC1 * p, 0, mirrorH);
        break;
    case ShapeDisplay:
        f[Top] = f[Bottom] = kC2;
        SetPair(f, Right, Left, kC1 * p, kC3 * p, mirrorH);
        break;
    default: // 0, 1, 2, 26: the fractions stay as they are
        break;
    }
}

RECT TextInsetFromFractions(int kind, const double f[4], bool fromText, int width, int height)
{
    double dL = 1, dT = 1, dR = 1, dB = 1;
    if (fromText) {
        const double across = 1 - (f[Left] + f[Right]);
        const double down = 1 - (f[Top] + f[Bottom]);
        dL = dR = across;
        dT = dB = down;
        switch (kind) {
        case ShapeRoundedRect:
        case ShapeOval:
        case ShapeInputOutput:
        case ShapeDecision:
        case ShapeTerminate:
        case ShapeCircle:
        case ShapeOctagon:
            dL = dT = dR = dB = 1 - 2 * f[Left];
            break;
        case ShapeDocument:
            dL = dR = 1;
            break;
        case ShapeRightArrow:
        case ShapeLeftArrow:
            dT = 1 - 2 * f[Top];
            dB = 1 - 2 * f[Bottom];
            break;
        case ShapeTriangle:
        case ShapeTrapezoid:
            dL = dR = 1 - 2 * f[Left];
            dT = dB = 1 - f[Top];
            break;
        case ShapeReverseTriangle:
        case ShapeManualOperation:
            dL = dR = 1 - 2 * f[Left];
            dT = dB = 1 - f[Bottom];
            break;
        case ShapeInput:
            dT = 1 - f[Top];
            dL = dR = dB = 1;
            break;
        default:
            break;
        }
        // Fractions come from stored objects; a side that leaves no room for text would
        // divide by zero or flip the sign, so it is measured as with the flag clear.
        for (double* d : {&dL, &dT, &dR, &dB})
            if (!(*d > 0))
                *d = 1;
    }
    double x = width;
    double y = height;
    if (kind == 3 || kind == 8 || kind == 19)
        x = y = std::min(width, height);
    RECT inset;
    inset.left = TruncReal(f[Left] * x / dL);
    inset.top = TruncReal(f[Top] * y / dT);
    inset.right = TruncReal(f[Right] * x / dR);
    inset.bottom = TruncReal(f[Bottom] * y / dB);
    return inset;
}
