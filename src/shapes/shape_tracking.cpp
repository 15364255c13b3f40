// XOR tracking outlines of shapes: creating, moving, resizing, rotating and adjusting.
#include "shapes/shape_tracking.h"

#include "editing/edit_services.h"
#include "model/class_protocol.h"
#include "geometry/point_geometry.h"
#include "shapes/shape_adjust.h"
#include "shapes/shape_class.h"
#include "shapes/shape_paint.h"

namespace {

// A one-pixel black pen, the null brush and R2_NOT around one outline. Dotted gaps stay
// untouched (transparent background), so the dots show and a second pass erases exactly them.
void DrawXorOutline(HDC dc, int penStyle, const RECT* rect, const RECT* centre, double param,
                    int kind, int angle, HGLOBAL custom, DWORD options)
{
    HPEN pen = CreatePen(penStyle, 0, RGB(0, 0, 0));
    const int saved = SaveDC(dc);
    SetROP2(dc, R2_NOT);
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, pen ? static_cast<HGDIOBJ>(pen) : GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    DrawShapeOutline(dc, rect, centre, 0, param, kind, angle, custom, FALSE, nullptr, options);
    RestoreDC(dc, saved);
    if (pen)
        DeleteObject(pen);
}

int StoreSlotOf(const Drawing* drawing)
{
    return drawing ? drawing->header.slot : -1;
}

} // namespace

void DrawShapeTrackingOutline(HDC dc, Drawing* drawing, void* objects, int row, int message,
                              int kind, const RECT* rect, BOOL creating, double param)
{
    if (!dc || !rect)
        return;
    const int penStyle = creating ? PS_INSIDEFRAME : PS_DOT;
    if (row < 0 || !objects) {
        // A shape being created takes the parameter it will be born with.
        if (param < 0.0)
            param = NewShapeParam(drawing, kind);
        DrawXorOutline(dc, penStyle, rect, rect, param, kind, 0, nullptr, 0);
        return;
    }
    const DrawObject* shape = AddressedObject(objects, row);
    if (param < 0.0)
        param = shape->param;
    const RECT* centre = message == 4 ? &shape->frame : rect;
    DrawXorOutline(dc, penStyle, rect, centre, param, kind, shape->angle,
                   LoadCustomOutline(StoreSlotOf(drawing), shape), shape->options);
}

void TrackShapeRotation(HDC dc, Drawing* drawing, void* objects, int row, int kind,
                        POINT anchor, const RECT* dragRect)
{
    if (!dc || !objects || !dragRect)
        return;
    const DrawObject* shape = AddressedObject(objects, row);
    const RECT frame = shape->frame;
    const POINT c = RotationCentre(&frame);
    const POINT s = SidePointOfRect(frame, OppositeSide(HandleCodeAtPoint(&frame, anchor.x, anchor.y)));
    const POINT e = SidePointOfRect(*dragRect,
                                    OppositeSide(HandleCodeAtPoint(dragRect, anchor.x, anchor.y)));
    int angle = AngleFromDrag(c.x, c.y, s.x, s.y, e.x, e.y);
    if (drawing && (drawing->drawingFlags & DrawSnap))
        angle = SnapAngle(angle);
    // A standalone record carries neither its parameter nor a stored outline.
    const double param = row >= 0 ? shape->param : 0.0;
    const HGLOBAL custom = row >= 0 ? LoadCustomOutline(StoreSlotOf(drawing), shape) : nullptr;
    DrawXorOutline(dc, PS_DOT, &frame, &frame, param, kind, angle, custom, shape->options);
}

void TrackAdjustHandle(HDC dc, Drawing* drawing, void* objects, int row, const POINT* point)
{
    if (!dc || !objects || !point)
        return;
    const DrawObject* shape = AddressedObject(objects, row);
    POINT q = *point;
    if (shape->angle != 0)
        RotatePoints(&shape->frame, -shape->angle, &q, 1);
    const double param = ParamFromAdjustPoint(shape, &q, nullptr);
    if (param < 0.0)
        return;
    DrawShapeTrackingOutline(dc, drawing, objects, row, 4, shape->objType, &shape->frame, FALSE,
                             param);
}
