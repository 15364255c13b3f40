// Adjustment handle: placed per kind on one side of the frame, mirrored and rotated with the
// shape; a dragged point clamped into the handle's range becomes the shape parameter.
#include "shapes/shape_adjust.h"

#include <algorithm>
#include <cmath>

#include "model/class_protocol.h"
#include "model/links.h"
#include "model/render.h"
#include "geometry/point_geometry.h"
#include "geometry/real_math.h"
#include "shapes/shape_kinds.h"
#include "shapes/shape_rects.h"

namespace {

constexpr int kHandleHalf = 24;
constexpr int kHandleMargin = 30; // of the update rectangle around the frame

enum BaseSide { BaseLeft, BaseTop, BaseRight, BaseBottom };

struct Placement {
    int orientation;
    double span;
    BaseSide side;
    POINT offset; // handle centre relative to the frame's top-left
};

Placement PlaceHandle(const DrawObject* shape)
{
    const RECT& f = shape->frame;
    const LONG w = f.right - f.left;
    const LONG h = f.bottom - f.top;
    const double s0 = std::min(w, h);
    const double p = shape->param;
    switch (shape->objType) {
    case ShapeRoundedRect:
        if (w > h)
            return {AdjustVertical, s0, BaseTop, {-6, TruncReal(p * s0) - 30}};
        return {AdjustHorizontal, s0, BaseLeft, {TruncReal(p * s0) - 30, -6}};
    case ShapeOctagon:
        return {AdjustHorizontal, s0, BaseLeft, {TruncReal(p * s0) - 30, -6}};
    case ShapeInputOutput:
    case ShapeLeftArrow:
    case ShapeTrapezoid:
    case ShapeOnlineStorage:
    case ShapePreparation:
    case ShapePentagon:
    case ShapeDisplay:
        return {AdjustHorizontal, double(w), BaseLeft, {TruncReal(p * w) - 30, 0}};
    case ShapeManualOperation: {
        // On a rotated shape the update rectangle holds the turned frame, not this one.
        const LONG oy = shape->angle != 0
                            ? h - 6
                            : (shape->updateRect.bottom - shape->updateRect.top) - 60;
        return {AdjustHorizontal, double(w), BaseLeft, {TruncReal(p * w) - 30, oy}};
    }
    case ShapeRightArrow:
    case ShapeDelay:
        return {AdjustHorizontal, double(w), BaseRight, {w - TruncReal(p * w) + 18, 0}};
    case ShapeTopArrow:
    case ShapeInput:
        return {AdjustVertical, double(h), BaseTop, {0, TruncReal(p * h) - 30}};
    case ShapeDocument:
    case ShapeBottomArrow:
    case ShapeOffPageConnector:
        return {AdjustVertical, double(h), BaseBottom, {0, h - TruncReal(p * h) - 30}};
    default:
        return {AdjustNone, s0, BaseLeft, {0, 0}};
    }
}

} // namespace

void GetAdjustHandle(const DrawObject* shape, AdjustHandle* handle)
{
    *handle = AdjustHandle{};
    const Placement place = PlaceHandle(shape);
    handle->orientation = place.orientation;
    handle->span = place.span;
    if (place.orientation == AdjustNone)
        return;
    double unused, pmin, pmax;
    GetShapeParamRange(shape->objType, &unused, &pmin, &pmax);
    // The update rectangle of a rotated shape bounds the turned frame; the handle is measured
    // on the unturned one, grown by the same handle margin.
    RECT u = shape->updateRect;
    if (shape->angle != 0) {
        u = shape->frame;
        InflateRect(&u, kHandleMargin, kHandleMargin);
    }
    const LONG low = TruncReal(pmin * place.span);
    const LONG high = TruncReal(pmax * place.span);
    switch (place.side) {
    case BaseLeft: handle->base = u.left; break;
    case BaseTop: handle->base = u.top; break;
    case BaseRight: handle->base = u.right; break;
    case BaseBottom: handle->base = u.bottom; break;
    }
    if (place.side == BaseLeft || place.side == BaseTop) {
        handle->rangeLow = handle->base + low;
        handle->rangeHigh = handle->base + high;
    } else {
        handle->rangeLow = handle->base - high;
        handle->rangeHigh = handle->base - low;
    }

    POINT c = {shape->frame.left + place.offset.x, shape->frame.top + place.offset.y};
    const DWORD mirror = shape->options & (OptMirrorH | OptMirrorV);
    if (mirror) {
        FlipPoints(shape->frame, static_cast<int>(mirror), &c, 1);
        const bool horizontal = place.orientation == AdjustHorizontal;
        if (mirror & (horizontal ? OptMirrorH : OptMirrorV)) {
            // Mirrored inside the update rectangle: the ends swap.
            const LONG sum = horizontal ? u.left + u.right : u.top + u.bottom;
            const LONG oldLow = handle->rangeLow;
            handle->rangeLow = sum - handle->rangeHigh;
            handle->rangeHigh = sum - oldLow;
            handle->base = sum - handle->base;
        }
    }
    if (shape->angle != 0)
        RotatePoints(&shape->frame, shape->angle, &c, 1);
    handle->box = RECT{c.x - kHandleHalf, c.y - kHandleHalf, c.x + kHandleHalf, c.y + kHandleHalf};
}

double ParamFromAdjustPoint(const DrawObject* shape, POINT* point, double* param)
{
    AdjustHandle handle;
    GetAdjustHandle(shape, &handle);
    double value = -1.0;
    // A frame without extent along the axis has no parameter to measure.
    if (handle.orientation != AdjustNone && handle.span > 0.0) {
        LONG* coord = handle.orientation == AdjustHorizontal ? &point->x : &point->y;
        *coord = std::clamp(*coord, handle.rangeLow, handle.rangeHigh);
        value = std::abs(*coord - handle.base) / handle.span;
    }
    if (param)
        *param = value;
    return value;
}

void DrawAdjustHandle(HDC dc, const DrawObject* shape)
{
    AdjustHandle handle;
    GetAdjustHandle(shape, &handle);
    if (handle.orientation == AdjustNone)
        return;
    HPEN pen = CreatePen(PS_INSIDEFRAME, 1, RGB(0, 0, 0));
    XorDiamond(dc, &handle.box, pen);
    if (pen)
        DeleteObject(pen);
}

int SetParamFromPoint(Drawing* drawing, ObjectList* objects, int row, const POINT* point)
{
    DrawObject* shape = AddressedObject(objects, row);
    POINT q = *point;
    if (shape->angle != 0)
        RotatePoints(&shape->frame, -shape->angle, &q, 1);
    const double param = ParamFromAdjustPoint(shape, &q, nullptr);
    if (param < 0.0)
        return 0;
    shape->param = param;
    if (drawing)
        MarkLinksChanged(drawing, shape->objId, LinkChanged | LinkRefit, shape->groupId,
                         shape->groupRow);
    const RECT frame = shape->frame;
    return SetShapeFrame(drawing, objects, row, 0, FALSE, &frame);
}
