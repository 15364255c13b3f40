// The rendering pass and the selection and hook marks.
#include "model/render.h"

#include <cstdlib>
#include <cstring>

#include "exchange/exchange_services.h"
#include "frame/frame_services.h"
#include "model/class_protocol.h"
#include "model/device_units.h"
#include "model/drawing.h"
#include "model/groups.h"
#include "model/selection.h"

namespace {

// What the drawing's shadow style asks of each object.
struct ShadowPlan {
    int style;
    COLORREF shadowColor;
    COLORREF highlightColor;
    INT32 dx, dy;   // the offset in logical units (styles 4 and 5)
    int n;          // copies one device pixel apart (styles 1-3)
    int sx, sy;     // signs of the offset
    HDC measure;    // the context device pixels are measured on
};

int Sign(int v)
{
    return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

ShadowPlan PlanShadows(HDC measure, const Drawing* drawing)
{
    ShadowPlan plan = {};
    plan.measure = measure;
    if (!drawing)
        return plan;
    plan.style = drawing->style.shadowStyle;
    if (plan.style < 0 || plan.style > 5)
        plan.style = 0;
    plan.shadowColor = drawing->style.shadowColor;
    plan.highlightColor = drawing->style.highlightColor;
    plan.dx = drawing->style.shadowDx;
    plan.dy = drawing->style.shadowDy;
    SIZE pixels = {std::abs(plan.dx), std::abs(plan.dy)};
    LogicalToDeviceSize(measure, &pixels);
    plan.n = pixels.cx > pixels.cy ? pixels.cx : pixels.cy;
    if (plan.n < 1 && plan.style >= 1)
        plan.n = 1;
    plan.sx = Sign(plan.dx);
    plan.sy = Sign(plan.dy);
    return plan;
}

// Device pixels (x, y) as a logical offset on the measuring context.
ShadowPaint PixelShadow(const ShadowPlan& plan, int x, int y, COLORREF color)
{
    SIZE s = {x, y};
    DeviceToLogicalSize(plan.measure, &s);
    return ShadowPaint{s.cx, s.cy, color};
}

// Sends one message to the object at `row` of `objects`, or to a standalone record (row -1).

LONG Send(HDC dc, Drawing* drawing, void* objects, int row, int message, int a, int b, void* p)
{
    const DrawObject* object = AddressedObject(objects, row);
    ObjectClassHandler handler = HandlerForClass(object->objClass);
    return handler ? handler(dc, drawing, objects, row, message, a, b, p) : 0;
}

int AsArg(const void* pointer)
{
    return static_cast<int>(reinterpret_cast<INT_PTR>(pointer));
}

void ShadowStep(HDC dc, Drawing* drawing, void* objects, int row, int a, void* clip,
                const ShadowPlan& plan)
{
    switch (plan.style) {
    case 1:
    case 2:
        Send(dc, drawing, objects, row, OM_DRAWSHADOWBASE, a, 0, clip);
        break;
    case 3:
        for (int j = 1; j <= plan.n; ++j) {
            ShadowPaint s = PixelShadow(plan, j * plan.sx, j * plan.sy, plan.shadowColor);
            Send(dc, drawing, objects, row, OM_DRAWSHADOWOFFSET, a, AsArg(&s), clip);
        }
        break;
    case 4:
    case 5: {
        ShadowPaint s = {plan.dx, plan.dy, plan.shadowColor};
        Send(dc, drawing, objects, row, plan.style == 4 ? OM_DRAWSHADOW : OM_DRAWSHADOWOFFSET, a,
             AsArg(&s), clip);
        break;
    }
    default:
        break;
    }
}

void EmbossStep(HDC dc, Drawing* drawing, void* objects, int row, int a, void* clip,
                const ShadowPlan& plan)
{
    if (plan.style != 1 && plan.style != 2)
        return;
    const COLORREF first = plan.style == 1 ? plan.shadowColor : plan.highlightColor;
    const COLORREF second = plan.style == 1 ? plan.highlightColor : plan.shadowColor;
    for (int j = 1; j <= plan.n; ++j) {
        ShadowPaint s = PixelShadow(plan, j, j, first);
        Send(dc, drawing, objects, row, OM_DRAWSHADOWOFFSET, a, AsArg(&s), clip);
    }
    for (int j = 1; j <= plan.n; ++j) {
        ShadowPaint s = PixelShadow(plan, -j, -j, second);
        Send(dc, drawing, objects, row, OM_DRAWSHADOWOFFSET, a, AsArg(&s), clip);
    }
    ShadowPaint own = {0, 0, AddressedObject(objects, row)->lineColor};
    Send(dc, drawing, objects, row, OM_DRAWSHADOWOFFSET, a, AsArg(&own), clip);
}

bool BodyStepDue(const ShadowPlan& plan)
{
    return plan.style != 1 && plan.style != 2;
}

// An object whose text is edited in a rotated editor: its area greyed inside its outline.
void GreyEditedObject(HDC dc, Drawing* drawing, ObjectList* objects, int row)
{
    const DrawObject& object = (*objects)[row];
    RECT bounds = object.frame;
    Send(dc, drawing, objects, row, OM_GETBOUNDS, 1, 1, &bounds);
    POINT outline[kMaxHookMarks];
    int count = 0;
    Send(dc, drawing, objects, row, OM_GETOUTLINE, 0, AsArg(&count), outline);
    if (count < 3 || count > kMaxHookMarks)
        return;
    LPtoDP(dc, outline, count);
    HRGN region = CreatePolygonRgn(outline, count, WINDING);
    if (!region)
        return;
    const int saved = SaveDC(dc);
    ExtSelectClipRgn(dc, region, RGN_AND);
    GrayOutRect(dc, &bounds);
    RestoreDC(dc, saved);
    DeleteObject(region);
}

bool Meets(const RECT& a, const RECT* clip)
{
    if (!clip)
        return true;
    RECT r;
    return IntersectRect(&r, &a, clip) != 0;
}

} // namespace

void RenderPage(HDC dc, HGLOBAL drawingHandle, const RECT* clip, BOOL drawHandles, BOOL printing,
                BOOL selectionOnly)
{
    ReloadFpuControlWord();
    Locked<Drawing> drawing(drawingHandle);
    if (!drawing)
        return;
    Locked<ObjectList> objects(drawing->objectList);
    Locked<ZOrderList> zorder(drawing->zOrderList);
    Locked<GroupTable> groups(drawing->groupTable);
    if (!objects || !zorder || !groups)
        return;
    HDC measure = dc;
    HDC screen = nullptr;
    int screenSaved = 0;
    if (g_renderingMetafile) {
        screen = GetDC(drawing->viewWindow);
        if (screen) {
            // SetLogicalUnits sets only the mapping mode while a metafile is recorded, and
            // GetDeviceDpi answers the fallback then: the screen's own resolution is set here.
            screenSaved = SaveDC(screen);
            auto dpi = [&](int axis) {
                const int value = GetDeviceCaps(screen, axis);
                return value > 1000 ? value : RoundDisplayDpi(value);
            };
            SetMapMode(screen, MM_ANISOTROPIC);
            SetWindowExtEx(screen, kDrawingUnitsPerInch, kDrawingUnitsPerInch, nullptr);
            SetViewportExtEx(screen, dpi(LOGPIXELSX), dpi(LOGPIXELSY), nullptr);
            measure = screen;
        }
    }
    const ShadowPlan plan = PlanShadows(measure, drawing.get());
    const int saved = SaveDC(dc);
    const int a = printing ? 1 : 0;
    void* clipArg = const_cast<RECT*>(clip);
    ObjectList* list = objects.get();
    const int rows = list->count;
    auto visible = [&](const DrawObject& o) {
        return !(o.state & StateTextEditing) || printing || g_renderingMetafile;
    };
    for (int i = 0; i < zorder->count; ++i) {
        const int row = (*zorder)[i];
        if (row < 0 || row >= rows)
            continue;
        const DrawObject& object = (*list)[row];
        const bool shown = visible(object);
        const bool editedRotated = !shown && object.angle != 0;
        const bool skipped = selectionOnly && !(object.state & StateSelected) &&
                             FindOwnerObject(list, row, TRUE) < 0;
        if (skipped || !Meets(object.updateRect, clip) || !(shown || editedRotated))
            continue;
        ShadowStep(dc, drawing.get(), list, row, a, clipArg, plan);
        EmbossStep(dc, drawing.get(), list, row, a, clipArg, plan);
        if (BodyStepDue(plan)) {
            Send(dc, drawing.get(), list, row, OM_DRAW, a, 0, clipArg);
            if (editedRotated)
                GreyEditedObject(dc, drawing.get(), list, row);
        }
    }
    if (!printing && !g_renderingMetafile && !selectionOnly) {
        POINT marks[kMaxHookMarks];
        for (int i = 0; i < zorder->count; ++i) {
            const int row = (*zorder)[i];
            if (row < 0 || row >= rows)
                continue;
            const DrawObject& object = (*list)[row];
            if (!visible(object) || !Meets(object.updateRect, clip))
                continue;
            if ((object.state & StateSelected) && drawHandles && GroupIndexOfObject(drawing.get(), object) < 0)
                Send(dc, drawing.get(), list, row, OM_DRAWHANDLES, 0, 0, nullptr);
            if (object.state & StateShowHooks) {
                int count = 0;
                Send(dc, drawing.get(), list, row, OM_GETHOOKPOINTS, 0, AsArg(&count), marks);
                if (count < 0)
                    count = 0;
                if (count > kMaxHookMarks)
                    count = kMaxHookMarks;
                Send(dc, drawing.get(), list, row, OM_MAPHOOKPOINT, count, 0, marks);
                Send(dc, drawing.get(), list, row, OM_DRAWHOOKMARKS, count, 0, marks);
            }
        }
        const int currentGroup = GetCurrentGroupIndex(drawing.get(), list);
        ObjectClassHandler shapes = HandlerForClass(ClassShape);
        for (int g = 0; g < groups->count && drawHandles && shapes; ++g) {
            const GroupEntry& group = (*groups)[g];
            if (!(group.flags & GroupSelected) || !Meets(group.bounds, clip))
                continue;
            // The group's frame is drawn as a plain rectangle shape standing for the group.
            DrawObject frame;
            std::memset(&frame, 0, sizeof frame);
            frame.objClass = ClassShape;
            frame.updateRect = group.bounds;
            frame.frame = group.frame;
            frame.objType = 2;
            frame.options = (group.flags & GroupNoFreeResize) ? static_cast<DWORD>(OptFixed) : 0u;
            frame.angle = group.angle;
            frame.handleLayout = group.handleLayout;
            frame.textId = -1;
            frame.dataType = -1;
            frame.dataId = -1;
            frame.labelId = kNoLabel;
            frame.groupRow = -1;
            shapes(dc, drawing.get(), &frame, g == currentGroup ? -1 : -2, OM_DRAWHANDLES, 0, 0, nullptr);
        }
    }
    if (screen) {
        RestoreDC(screen, screenSaved);
        ReleaseDC(drawing->viewWindow, screen);
    }
    RestoreDC(dc, saved);
}

void DrawStandaloneObjects(HDC dc, Drawing* drawing, DrawObject* records, int count)
{
    if (!records || count <= 0)
        return;
    const ShadowPlan plan = PlanShadows(dc, drawing);
    // Each pass draws every record unrotated.
    auto pass = [&](void (*step)(HDC, Drawing*, void*, int, int, void*, const ShadowPlan&)) {
        for (int i = 0; i < count; ++i) {
            const INT32 angle = records[i].angle;
            records[i].angle = 0;
            step(dc, drawing, &records[i], -1, 0, nullptr, plan);
            records[i].angle = angle;
        }
    };
    pass(ShadowStep);
    pass(EmbossStep);
    if (BodyStepDue(plan)) {
        pass([](HDC d, Drawing* dr, void* o, int row, int a, void* clip, const ShadowPlan&) {
            Send(d, dr, o, row, OM_DRAW, a, 0, clip);
        });
    }
}

void DrawSelectionHandle(HDC dc, const RECT* rect, BOOL locked, BOOL current, BOOL elliptic)
{
    const int saved = SaveDC(dc);
    if (locked) {
        HRGN region = nullptr;
        if (elliptic) {
            POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
            LPtoDP(dc, corners, 2);
            region = CreateEllipticRgn(corners[0].x, corners[0].y, corners[1].x, corners[1].y);
            if (region)
                ExtSelectClipRgn(dc, region, RGN_AND);
        }
        PatBlt(dc, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, PATINVERT);
        if (region)
            DeleteObject(region);
    } else if (current) {
        if (elliptic) {
            SetROP2(dc, R2_NOT);
            SelectObject(dc, GetStockObject(NULL_PEN));
            SelectObject(dc, GetStockObject(BLACK_BRUSH));
            Ellipse(dc, rect->left, rect->top, rect->right, rect->bottom);
        } else {
            InvertRect(dc, rect);
        }
    } else {
        SetROP2(dc, R2_NOT);
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        SelectObject(dc, GetStockObject(BLACK_PEN));
        if (elliptic)
            Ellipse(dc, rect->left, rect->top, rect->right, rect->bottom);
        else
            Rectangle(dc, rect->left, rect->top, rect->right, rect->bottom);
    }
    RestoreDC(dc, saved);
}

void XorEllipse(HDC dc, const RECT* rect, HPEN pen)
{
    const int saved = SaveDC(dc);
    SetROP2(dc, R2_NOT);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    SelectObject(dc, pen);
    Ellipse(dc, rect->left, rect->top, rect->right, rect->bottom);
    RestoreDC(dc, saved);
}

void XorDiamond(HDC dc, const RECT* rect, HPEN pen)
{
    const LONG cx = rect->left + (rect->right - rect->left) / 2;
    const LONG cy = rect->top + (rect->bottom - rect->top) / 2;
    const POINT points[5] = {{rect->left, cy}, {cx, rect->top}, {rect->right, cy}, {cx, rect->bottom}, {rect->left, cy}};
    const int saved = SaveDC(dc);
    SetROP2(dc, R2_NOT);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    SelectObject(dc, pen);
    Polyline(dc, points, 5);
    RestoreDC(dc, saved);
}
