// Hit testing of shapes: handles first, then the body with Windows regions of the outline in a
// space normalised to at most 600 x 600 units, so that the regions stay small.
#include "shapes/shape_hittest.h"

#include <algorithm>

#include "editing/edit_services.h"
#include "model/class_protocol.h"
#include "model/selection.h"
#include "geometry/point_geometry.h"
#include "geometry/real_math.h"
#include "shapes/shape_adjust.h"
#include "shapes/shape_class.h"
#include "shapes/shape_kinds.h"
#include "shapes/shape_outline.h"
#include "shapes/shape_paint.h"

namespace {

// The band reaches this far inside the frame; the interior lies beyond it.
constexpr int kBandInside = 24;
// ... and this far outside the frame of a rotated shape.
constexpr int kBandOutside = 30;

// A rectangle moved to the origin and scaled into 600 units, with the point to test.
struct UnitSpace {
    RECT rect;
    POINT q;
};

UnitSpace Normalise(const RECT& rect, POINT q)
{
    UnitSpace space{rect, q};
    FitRectInUnitBox(&space.rect, &space.q);
    return space;
}

// Tests the point against the region and deletes it; a region Windows could not create is
// replaced by the plain rectangle.
bool PointInRegion(HRGN region, const UnitSpace& space)
{
    if (!region)
        region = CreateRectRgn(space.rect.left, space.rect.top, space.rect.right, space.rect.bottom);
    if (!region)
        return false;
    const bool inside = PtInRegion(region, space.q.x, space.q.y) != 0;
    DeleteObject(region);
    return inside;
}

// Kinds 3 and 8: a rectangle with rounded corners.
bool InRoundRect(const DrawObject* shape, const UnitSpace& space)
{
    const RECT& r = space.rect;
    if (IsRectEmpty(&r))
        return PointInRegion(nullptr, space);
    const LONG w = r.right - r.left, h = r.bottom - r.top;
    const int d = shape->objType == ShapeTerminate ? h
                                                   : TruncReal(shape->param * std::min(w, h) * 2);
    return PointInRegion(CreateRoundRectRgn(r.left, r.top, r.right, r.bottom, d, d), space);
}

bool InEllipse(const UnitSpace& space)
{
    const RECT& r = space.rect;
    return PointInRegion(CreateEllipticRgn(r.left, r.top, r.right, r.bottom), space);
}

// A polygon kind's outline built in the normalised rectangle.
bool InOutline(const DrawObject* shape, HGLOBAL custom, const UnitSpace& space,
               const RECT& reference, int inset)
{
    POINT points[kMaxOutlinePoints];
    int count = 0;
    BuildShapeOutline(space.rect, reference, shape->param, shape->objType, inset, custom, points,
                      &count);
    FlipPoints(space.rect, static_cast<int>(shape->options), points, count);
    HRGN region = count > 0 ? CreatePolygonRgn(points, count, WINDING) : nullptr;
    return PointInRegion(region, space);
}

// The body of the curved and polygon kinds: 40 in the outer region, 44 further in the inner.
int HitOutlinedBody(const DrawObject* shape, HGLOBAL custom, const RECT& outer, POINT q)
{
    const int kind = shape->objType;
    const RECT& f = shape->frame;
    const UnitSpace o = Normalise(outer, q);
    RECT inner = f;
    InflateRect(&inner, -kBandInside, -kBandInside);
    switch (kind) {
    case ShapeRoundedRect:
    case ShapeTerminate:
        if (!InRoundRect(shape, o))
            return kHitNothing;
        return InRoundRect(shape, Normalise(inner, q)) ? kHitInterior : kHitBorder;
    case ShapeOval:
    case ShapeCircle:
        if (!InEllipse(o))
            return kHitNothing;
        return InEllipse(Normalise(inner, q)) ? kHitInterior : kHitBorder;
    default:
        break;
    }
    if (!InOutline(shape, custom, o, o.rect, 0))
        return kHitNothing;
    RECT insets = {kBandInside, kBandInside, kBandInside, kBandInside};
    ComputeBorderInsets(f, kBandInside, shape->param, kind, &insets);
    inner = RECT{f.left + insets.left, f.top + insets.top, f.right - insets.right,
                 f.bottom - insets.bottom};
    const UnitSpace i = Normalise(inner, q);
    // Block arrows measure their shaft on the inner rectangle itself.
    const bool arrow = kind >= ShapeRightArrow && kind <= ShapeBottomArrow;
    return InOutline(shape, custom, i, arrow ? i.rect : o.rect, insets.left) ? kHitInterior
                                                                              : kHitBorder;
}

// Rectangles, pictures and free text blocks: the inner rectangle is the interior, narrowed to
// leave a band to grab unless the text tool probes.
int HitRectangleBody(const DrawObject* shape, int mode, POINT q)
{
    if (!PtInRect(&shape->innerRect, q))
        return kHitBorder;
    if (mode == kHitModeTextProbe)
        return (shape->classFlags & ClassFlagNoTextTool) ? kHitNothing : kHitInterior;
    RECT core = shape->frame;
    InflateRect(&core, -kBandInside, -kBandInside);
    return PtInRect(&core, q) ? kHitInterior : kHitBorder;
}

bool IsRectangleKind(int kind)
{
    return kind <= ShapeRectangle || kind > ShapeCustom;
}

// Hollow shapes with a border and nothing inside are clicked through.
bool IsClickThrough(const DrawObject* shape)
{
    const bool onlyOutline = shape->dataId < 0 || shape->dataType == RecOutlinePoints;
    return shape->fillColor == static_cast<COLORREF>(-1) && shape->lineWidth != 0 &&
           shape->textId < 0 && onlyOutline;
}

} // namespace

int HitTestShape(Drawing* drawing, void* objects, int row, int mode, int x, int y)
{
    DrawObject* shape = AddressedObject(objects, row);
    const POINT point = {x, y};
    const int slot = drawing ? drawing->header.slot : -1;
    const HGLOBAL custom = row >= 0 ? LoadCustomOutline(slot, shape) : nullptr;
    const bool selected = (shape->state & StateSelected) != 0;

    if (selected) {
        POINT at;
        RECT rect;
        const int b = static_cast<int>(reinterpret_cast<INT_PTR>(&at));
        const LONG code =
            row >= 0 ? SendClassMessage(nullptr, drawing, static_cast<ObjectList*>(objects), row,
                                        OM_EXTRAHANDLE, 1, b, &rect)
                     : SendStandaloneMessage(nullptr, drawing, shape, OM_EXTRAHANDLE, 1, b, &rect);
        if (code && PtInRect(&rect, point))
            return code;
    }
    if (selected && row >= 0) {
        AdjustHandle handle;
        GetAdjustHandle(shape, &handle);
        if (handle.orientation != AdjustNone && PtInRect(&handle.box, point))
            return handle.orientation == AdjustHorizontal ? kAdjustHandleHorizontal
                                                          : kAdjustHandleVertical;
    }
    if (row >= 0 && HasAttachment(slot, shape)) {
        RECT mark;
        GetAttachmentMarkRect(shape, &mark);
        if (PtInRect(&mark, point))
            return kHitAttachment;
    }

    POINT q = point;
    if (shape->angle != 0)
        RotatePoints(&shape->frame, -shape->angle, &q, 1);
    RECT outer = shape->updateRect;
    if (shape->angle != 0) {
        outer = shape->frame;
        InflateRect(&outer, kBandOutside, kBandOutside);
    }
    int result = kHitNothing;
    if (!IsRectangleKind(shape->objType)) {
        result = HitOutlinedBody(shape, custom, outer, q);
    } else if (row >= 0) {
        if (shape->angle != 0 && !PtInRect(&outer, q))
            return kHitNothing;
        result = HitRectangleBody(shape, mode, q);
    }
    if (result == kHitInterior && mode != kHitModeTextProbe && IsClickThrough(shape))
        return kHitNothing;

    if (selected) {
        RECT rects[8];
        int codes[8];
        int count = 0;
        GetShapeHandleRects(drawing, shape, rects, codes, &count);
        for (int i = 0; i < count && i < 8; ++i) {
            if (PtInRect(&rects[i], point))
                return codes[i];
        }
    }
    return result;
}
