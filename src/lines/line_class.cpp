// The class handler of straight lines (class 1).
#include "lines/line_class.h"

#include <algorithm>

#include "editing/edit_services.h"
#include "geometry/line_direction.h"
#include "lines/arrowheads.h"
#include "lines/dimension_label.h"
#include "lines/line_geometry.h"
#include "lines/line_hooks.h"
#include "lines/line_messages.h"
#include "lines/line_paint.h"
#include "lines/line_reshape.h"
#include "lines/line_shape.h"
#include "lines/line_tracking.h"
#include "model/class_protocol.h"
#include "model/device_units.h"
#include "model/drawing.h"
#include "model/selection.h"
#include "shapes/connection_points.h"
#include "shapes/shape_rects.h"
#include "store/memory_blocks.h"

namespace {

constexpr int kCapabilities = 2773;
constexpr int kGroupedCapabilities = 2753;   // a group's member loses 0x4 and 0x10
constexpr int kCrossMinimum = 27;            // the update rect reaches this far across the line
constexpr int kAlongMargin = 30;

}  // namespace

void RecalcLineBounds(Drawing* drawing, DrawObject* line)
{
    const int h = std::max(line->lineWidth / 2, 6);
    int across = 0, along = 0;
    if (line->arrowEnds != 0) {
        const LONG e1 = ArrowheadExtent(line->arrowStart, line->arrowSize, line->lineWidth);
        const LONG e2 = ArrowheadExtent(line->arrowEnd, line->arrowSize, line->lineWidth);
        across = std::max<int>(static_cast<SHORT>(LOWORD(e1)), static_cast<SHORT>(LOWORD(e2)));
        along = std::max<int>(static_cast<SHORT>(HIWORD(e1)), static_cast<SHORT>(HIWORD(e2)));
    }
    const int most = std::max(across, along);
    RECT shadow = {0, 0, 0, 0};
    if (drawing && ObjectHasShadow(drawing, line))
        GetShadowOffsetRect(drawing, &shadow, 1);
    const bool arc = line->lineShape == LineArc;
    const int c = line->axisCoord;
    RECT& u = line->updateRect;
    switch (LineOrientationOf(line)) {
    case LineHorizontal:
        line->frame.top = c - h;
        line->frame.bottom = c + h;
        u = line->innerRect = line->frame;
        AddLineShapePathBounds(line);
        if (arc)
            InflateRect(&u, most + kAlongMargin, most);
        else
            InflateRect(&u, along + kAlongMargin, across);
        InflateRectBy(&u, &shadow);
        u.top = std::min<LONG>(u.top, c - kCrossMinimum);
        u.bottom = std::max<LONG>(u.bottom, c + kCrossMinimum);
        line->hookMask = (line->hookMask | kLineHorizontalHook) & ~kLineVerticalHook;
        break;
    case LineVertical:
        line->frame.left = c - h;
        line->frame.right = c + h;
        u = line->innerRect = line->frame;
        AddLineShapePathBounds(line);
        if (arc)
            InflateRect(&u, most, most + kAlongMargin);
        else
            InflateRect(&u, across, along + kAlongMargin);
        InflateRectBy(&u, &shadow);
        u.left = std::min<LONG>(u.left, c - kCrossMinimum);
        u.right = std::max<LONG>(u.right, c + kCrossMinimum);
        line->hookMask = (line->hookMask | kLineVerticalHook) & ~kLineHorizontalHook;
        break;
    default: {
        u = line->innerRect = line->frame;
        AddLineShapePathBounds(line);
        const int grow = (arc ? most : across) + kAlongMargin;
        InflateRect(&u, grow, grow);
        InflateRectBy(&u, &shadow);
        line->hookMask &= ~(kLineHorizontalHook | kLineVerticalHook);
        break;
    }
    }
    line->textRect = line->innerRect;
}

int InitStraightLine(Drawing* drawing, DrawObject* line, int corner, int singleHead)
{
    RECT& f = line->frame;
    if (f.right < f.left) std::swap(f.left, f.right);
    if (f.bottom < f.top) std::swap(f.top, f.bottom);
    line->state |= kLineCreated;
    line->lineWidth = std::max(drawing->defaults.defaultLineWidth, 1);
    line->lineStyle = LineStyleSolid;
    const int mode = LineDirectionMode(drawing);
    const int orientation = ClassifyLineDirection(f.left, f.top, f.right, f.bottom, mode);
    if (g_dragState.trackMode == TrackPlaceDragged) {
        line->arrowStart = drawing->defaultArrowStart;
        line->arrowEnd = drawing->defaultArrowEnd;
        line->arrowSize = drawing->defaultArrowSize;
    } else if (g_dragState.trackMode == TrackCreateByDrag) {
        const int start = drawing->defaultArrowStart & kArrowKindMask;
        const int end = drawing->defaultArrowEnd & kArrowKindMask;
        const int k = start != 0 && end == 0 ? start : start == 0 ? end : 0;
        if (k != 0) {
            // One head only, at the end where the drag finished.
            int e = OppositeSide(corner);
            if (orientation == LineVertical && e == 2)
                e = 1;
            const bool atStart = e == 1 || e == 3;
            line->arrowStart = atStart ? k : 0;
            line->arrowEnd = atStart ? 0 : k;
        } else {
            line->arrowStart = drawing->defaultArrowStart;
            line->arrowEnd = drawing->defaultArrowEnd;
        }
        line->arrowSize = drawing->defaultArrowSize;
    }
    if (g_dragState.trackMode == TrackPlaceDragged || g_dragState.trackMode == TrackCreateByDrag)
        DeriveArrowEnds(line);
    line->arrowSize = LimitArrowheadSize(line->arrowSize);
    line->lineColor = drawing->style.lineColor;
    line->hookCapacity = 2;
    line->hookMask = 3;
    line->acceptMask = 2;
    line->classFlags = 0x20;
    if (singleHead != 0)
        line->arrowEnds = corner == 1 || corner == 3 ? kArrowEnd2 : kArrowEnd1;
    if (corner == 2 || corner == 3)
        line->state |= StateRising;
    line->objType = orientation;
    if (orientation == LineHorizontal)
        line->axisCoord = corner == 3 || corner == 4 ? f.bottom : f.top;
    else if (orientation == LineVertical)
        line->axisCoord = corner == 2 || corner == 4 ? f.right : f.left;
    line->textMargins = RECT{0, 0, 0, 0};
    RecalcLineBounds(drawing, line);
    return 0;
}

int OffsetStraightLine(Drawing* drawing, DrawObject* line, int dx, int dy)
{
    if (LineOrientationOf(line) == LineHorizontal)
        line->axisCoord += dy;
    else if (LineOrientationOf(line) == LineVertical)
        line->axisCoord += dx;
    RecalcLineBounds(drawing, line);
    return 0;
}

int GetLineCapabilities(const DrawObject* line)
{
    return line->groupRow < 0 ? kCapabilities : kGroupedCapabilities;
}

void RefreshShapedLineBounds(HGLOBAL drawingHandle)
{
    Locked<Drawing> drawing(drawingHandle);
    if (!drawing)
        return;
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects)
        return;
    for (int row = 0; row < objects->count; ++row) {
        DrawObject& object = (*objects)[row];
        if (object.objClass == ClassLine && object.lineShape != LinePlain)
            RecalcLineBounds(drawing.get(), &object);
    }
}

extern "C" LONG CALLBACK SED_LineDHandler(HDC dc, Drawing* drawing, void* objects, int row,
                                          int message, int a, int b, void* p)
{
    // Type-level queries and the creation feedback need no object.
    switch (message) {
    case OM_GETCLASSFLAGS:
        return kLineClassFlags;
    case OM_TRACKCREATE: {
        const POINT anchor = {static_cast<SHORT>(LOWORD(b)), static_cast<SHORT>(HIWORD(b))};
        if (p)
            TrackLineEnd(dc, drawing, objects, -1, message, anchor, static_cast<const RECT*>(p));
        return 0;
    }
    case OM_GETPOINTLIST:
        // The arguments carry an outline segment, not an object.
        if (drawing && objects && b && p)
            ExpandOutlineSegment(reinterpret_cast<const INT32*>(drawing),
                                 static_cast<const OutlinePointBlock*>(objects), row,
                                 PointerArg<INT32>(b), static_cast<POINT*>(p));
        return 0;
    case OM_GETPATH:
        // The drawing argument carries the extent rect, or none.
        if (!objects || !p)
            return 0;
        if (row >= 0 && row >= static_cast<ObjectList*>(objects)->count)
            return 0;
        return GetLinePath(AddressedObject(objects, row), reinterpret_cast<RECT*>(drawing),
                           PointerArg<INT32>(b), static_cast<POINT*>(p));
    default:
        break;
    }
    if (!objects)
        return 0;
    ObjectList* list = row >= 0 ? static_cast<ObjectList*>(objects) : nullptr;
    if (list && row >= list->count)
        return 0;
    LONG shared = 0;
    if (AnswerSharedLineMessage(drawing, objects, row, message, a, b, p, true, &shared))
        return shared;
    DrawObject* line = AddressedObject(objects, row);
    const INT32* values = static_cast<const INT32*>(p);
    switch (message) {
    case OM_DRAW:
    case OM_DRAWSHADOW:
    case OM_DRAWSHADOWOFFSET:
        DrawStraightLine(dc, message, drawing, objects, row, a, PointerArg<const ShadowPaint>(b));
        return 0;
    case OM_HITTEST:
        return p ? HitTestStraightLine(drawing, objects, row, *static_cast<const POINT*>(p)) : 0;
    case OM_DRAWHANDLES:
        DrawLineHandles(dc, drawing, objects, row);
        return 0;
    case OM_TRACKHANDLE: {
        const POINT anchor = {static_cast<SHORT>(LOWORD(b)), static_cast<SHORT>(HIWORD(b))};
        if (p)
            TrackLineEnd(dc, drawing, objects, row, message, anchor, static_cast<const RECT*>(p));
        return 0;
    }
    case OM_TRACKMOVE:
        if (p)
            TrackLineMove(dc, drawing, objects, row, static_cast<const RECT*>(p));
        return 0;
    case OM_DRAGHANDLE:
        if (p)
            ReshapeStraightLine(drawing, objects, row, a, static_cast<const RECT*>(p));
        return 0;
    case OM_SETFRAME:
        if (p)
            ReshapeStraightLine(drawing, objects, row, 0, static_cast<const RECT*>(p));
        return 0;
    case OM_INIT:
        return InitStraightLine(drawing, line, a, b);
    case OM_SETARROWENDS:
        if (values)
            SetLineArrowEnds(drawing, line, values[1]);
        return 0;
    case OM_SETANGLE:
        SetLineAngle(drawing, objects, row, a);
        return 0;
    case OM_OFFSET:
        return OffsetStraightLine(drawing, line, a, b);
    case OM_GETCAPS:
        return GetLineCapabilities(line);
    case OM_REFRESHEFFECTS:
    case OM_RECALC:
        RecalcLineBounds(drawing, line);
        return 0;
    case OM_SETLINEWIDTH:
        if (values)
            SetLineWidth(drawing, line, a, values[1]);
        return 0;
    case OM_SETLINESTYLE:
        if (values)
            SetLineStyle(drawing, line, values[1]);
        return 0;
    case OM_GETHOOKPOINTS:
        if (b && p)
            GetLineHookPoint(drawing, line, a, PointerArg<INT32>(b), static_cast<POINT*>(p));
        return 0;
    case OM_MAPHOOKPOINT:
        if (p)
            MapLineHookPoints(line, a, static_cast<POINT*>(p), TRUE);
        return 0;
    case OM_DRAWHOOKMARKS:
        if (p)
            DrawLinkPointMarks(dc, a, static_cast<const POINT*>(p));
        return 0;
    case OM_GETSNAPPOINTS:
        if (b && p)
            GetLineSnapPoints(line, PointerArg<INT32>(b), static_cast<POINT*>(p));
        return 0;
    case OM_HANDLETOEND:
        if (p)
            *static_cast<INT32*>(p) = LineHandleToEnd(line, a);
        return 0;
    case OM_GETPOINTPOS:
        if (p)
            *static_cast<POINT*>(p) = LineEndPosition(line, a);
        return 0;
    case OM_MOVEHANDLERECT:
        if (b && p)
            MoveLineHandleRect(line, a, PointerArg<POINT>(b), static_cast<RECT*>(p));
        return 0;
    case OM_TRACKPARAM:
        if (p)
            TrackLineShapeParam(dc, drawing, line, b, *static_cast<const POINT*>(p));
        return 0;
    case OM_GETSIZE:
        if (p)
            GetLineSize(line, static_cast<POINT*>(p));
        return 0;
    case OM_GETBOUNDS:
        if (p)
            GetLineBounds(line, b, static_cast<RECT*>(p));
        return 0;
    case OM_SETPARAM:
        if (p)
            SetLineShapeParam(drawing, line, a, *static_cast<const POINT*>(p));
        return 0;
    case OM_FLIP:
        FlipStraightLine(drawing, objects, row, a);
        return 0;
    case OM_SETLINETYPE:
        return values ? ApplyLineType(drawing, objects, row, values[1]) : 0;
    case OM_ENDSIDE:
        return b && p ? LineEndSide(line, PointerArg<const POINT>(b), static_cast<const POINT*>(p))
                      : 0;
    case OM_SETARROWHEADS:
        if (values)
            SetLineArrowheads(drawing, line, values);
        return 0;
    case OM_GETFRAME:
        if (p)
            GetLineFrame(line, static_cast<RECT*>(p));
        return 0;
    case OM_TRACKROTATE: {
        const POINT anchor = {static_cast<SHORT>(LOWORD(b)), static_cast<SHORT>(HIWORD(b))};
        if (p)
            TrackLineRotation(dc, drawing, objects, row, anchor, static_cast<const RECT*>(p));
        return 0;
    }
    case OM_ROTATETO:
        return p ? RotateLineToPoint(drawing, objects, row, static_cast<const POINT*>(p)) : 0;
    case OM_EXTRAHANDLE:
        return GetLineRotationHandle(drawing, line, a, PointerArg<POINT>(b), static_cast<RECT*>(p));
    case OM_SPINERECT:
        if (p)
            GetLineSpine(line, PointerArg<INT32>(b), static_cast<RECT*>(p));
        return 0;
    case OM_GROUPHANDLEDRAG:
        return p ? LineGroupHandleDrag(drawing, line, a, b, static_cast<RECT*>(p)) : 0;
    case OM_LABELANCHOR:
        if (p)
            *static_cast<INT32*>(p) = LineLabelAngle(line);
        return 0;
    case OM_GETGEOMETRY:
        if (p)
            GetLineGeometry(line, static_cast<OutlineVertex*>(p));
        return 0;
    case OM_SETGEOMETRY:
        if (p)
            SetLineGeometryFromOutline(drawing, line, a, static_cast<const OutlinePointBlock*>(p));
        return 0;
    case OM_SHOWLENGTH:
        return list ? SetShowLength(drawing, list, row, values) : 0;
    case OM_GETUPDATERECT:
        if (p)
            *static_cast<RECT*>(p) = line->updateRect;
        return 0;
    default:
        // Every other message (a shadow base, the deletion, the shape messages) is not a
        // line's: nothing changes.
        return 0;
    }
}
