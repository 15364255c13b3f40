// Derived rectangles, text margins and new frames of shapes.
#include "shapes/shape_rects.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "documents/document_state.h"
#include "model/class_protocol.h"
#include "model/edit_ops.h"
#include "model/selection.h"
#include "geometry/point_geometry.h"
#include "shapes/shape_geometry.h"
#include "geometry/real_math.h"
#include "shapes/shape_kinds.h"
#include "text/object_text.h"


void ComputeShapeTextMargins(DrawObject* shape, BOOL fromText)
{
    double fractions[4];
    std::memcpy(fractions, shape->classData, sizeof fractions);
    ComputeShapeTextFractions(shape->objType, shape->param, shape->options, fractions);
    std::memcpy(shape->classData, fractions, sizeof fractions);
    shape->textInset = TextInsetFromFractions(shape->objType, fractions, fromText != FALSE,
                                              shape->frame.right - shape->frame.left,
                                              shape->frame.bottom - shape->frame.top);
}

int ObjectHasShadow(Drawing* drawing, const DrawObject* object)
{
    if (object->options & OptShadowHidden)
        return 0;
    if (object->lineWidth != 0 || object->objClass != ClassShape)
        return 1;
    const bool attachedLabel = object->labelId != kNoLabel && (object->state & StateAttachedLabel);
    const bool framedPicture = (object->state & StatePicture) && (object->options & OptFramed);
    return drawing && drawing->style.shadowStyle == 4 && object->fillPattern != 0 &&
                   !attachedLabel && !framedPicture
               ? 1
               : 0;
}

int UpdateShapeRects(Drawing* drawing, DrawObject* shape, BOOL relayout)
{
    const RECT frame = shape->frame;
    shape->updateRect = frame;
    shape->innerRect = frame;
    if (shape->angle != 0) {
        POINT pts[5];
        int n = 0;
        GetShapeOutlinePoints(frame, &frame, 0, 2, shape->angle, nullptr, pts, &n, 0);
        BoundsOfPoints(&shape->updateRect, pts, n);
    }
    RECT shadow{0, 0, 0, 0};
    if (drawing)
        GetShadowOffsetRect(drawing, &shadow, 0);
    InflateRect(&shape->updateRect, 30, 30);
    // A picture that does not keep its own colours has no border around it.
    const bool bareBitmap = (shape->state & StatePicture) && !(shape->options & OptFramed);
    const int inset = bareBitmap ? 0 : shape->lineWidth;
    InflateRect(&shape->innerRect, -inset, -inset);
    if (ObjectHasShadow(drawing, shape)) {
        shape->updateRect.left -= shadow.left;
        shape->updateRect.top -= shadow.top;
        shape->updateRect.right += shadow.right;
        shape->updateRect.bottom += shadow.bottom;
        const int style = drawing ? drawing->style.shadowStyle : 0;
        if (style == 1 || style == 2)
            InflateRect(&shape->innerRect, -std::abs(drawing->style.shadowDx),
                        -std::abs(drawing->style.shadowDy));
    }
    ComputeShapeTextMargins(shape, FALSE);
    if (!relayout)
        return 0;
    if (shape->textId >= 0)
        return LayoutObjectText(drawing, shape, 0);
    shape->textRect = shape->innerRect;
    ComputeObjectTextRect(shape);
    return 0;
}

// Text that grew the frame may push the shape off the page: it is pulled back in the view's
// document. A standalone record has no place on a page.
int KeepShapeOnPage(Drawing* drawing, void* objects, int row)
{
    return row < 0 ? 0 : KeepObjectOnViewPage(drawing, static_cast<ObjectList*>(objects), row);
}

int SetShapeFrame(Drawing* drawing, void* objects, int row, int anchor, BOOL skipAnchor,
                  const RECT* rect)
{
    DrawObject* shape = AddressedObject(objects, row);
    RECT r = *rect;
    if (r.right - r.left < 24)
        r.right = r.left + 24;
    if (r.bottom - r.top < 24)
        r.bottom = r.top + 24;
    if (shape->angle == 0 || skipAnchor) {
        shape->frame = r;
    } else {
        // The anchor keeps its place on screen: the new frame's centre moves to where the
        // rotation about it puts the anchor back onto its rotated old position.
        const RECT old = shape->frame;
        const POINT p = SidePointOfRect(old, anchor);
        POINT turned = p;
        RotatePoints(&old, shape->angle, &turned, 1);
        const POINT c = RotationCentre(&r);
        const double dx = p.x - c.x;
        const double dy = p.y - c.y;
        const double theta = shape->angle * kPi / 1800;
        const LONG nx = turned.x - TruncReal(dx * std::cos(theta) + dy * std::sin(theta));
        const LONG ny = turned.y - TruncReal(-dx * std::sin(theta) + dy * std::cos(theta));
        LONG ox = TruncReal(dx) + nx - p.x;
        LONG oy = TruncReal(dy) + ny - p.y;
        if (r.right + ox > 32000)
            ox = 32000 - r.right;
        if (r.bottom + oy > 32000)
            oy = 32000 - r.bottom;
        OffsetRect(&r, ox, oy);
        shape->frame = r;
    }
    shape->createdWidth = r.right - r.left;
    shape->createdHeight = r.bottom - r.top;
    UpdateShapeRects(drawing, shape, FALSE);
    if (shape->textId < 0) {
        shape->textRect = shape->innerRect;
        if (shape->state & StateCustomHooks)
            ComputeObjectTextRect(shape);
        return 0;
    }
    if (int result = LayoutObjectText(drawing, shape, anchor))
        return result;
    return KeepShapeOnPage(drawing, objects, row);
}
