// The class handler of elbow connectors (class 2) and the making of a connector's path record.
#include "lines/connector_class.h"

#include "editing/edit_services.h"
#include "lines/arrowheads.h"
#include "lines/connector_edit.h"
#include "lines/connector_geometry.h"
#include "lines/connector_hooks.h"
#include "lines/connector_paint.h"
#include "lines/connector_record.h"
#include "lines/connector_routing.h"
#include "lines/connector_types.h"
#include "lines/line_geometry.h"
#include "lines/line_hooks.h"
#include "lines/line_messages.h"
#include "lines/line_reshape.h"
#include "model/class_protocol.h"
#include "shapes/connection_points.h"
#include "store/store_records.h"

namespace {

// Steps shared by a new connector and a converted line: a record of its own with no sides and
// the default preferred lengths, named in the object's data fields.
int AddConnectorRecord(Drawing* drawing, DrawObject* object, HGLOBAL* block, ConnectorSegmentBlock* path)
{
    const int slot = drawing ? drawing->header.slot : -1;
    int id = 0;
    if (int err = NextFreeRecordId(slot, kConnectorRecordType, &id))
        return err;
    if (int err = AddRecord(slot, kConnectorRecordType, id, sizeof(ConnectorSegmentBlock), block))
        return err;
    object->innerRect = object->frame;
    object->dataCount = 1;
    object->dataType = kConnectorRecordType;
    object->dataId = id;
    *path = ConnectorSegmentBlock{};
    path->startSide = path->endSide = SideNone;
    path->segmentCount = 0;
    ResetPreferredLengths(path);
    return 0;
}

// A hook candidate of the creating drag: its row when it names another object of the list.
int CandidateRow(const ObjectList* objects, int row, int candidate)
{
    return candidate >= 0 && objects && candidate < objects->count && candidate != row ? candidate : -1;
}

}  // namespace

int InitConnector(Drawing* drawing, ObjectList* objects, int row, int corner)
{
    DrawObject* connector = AddressedObject(objects, row);
    HGLOBAL block = nullptr;
    ConnectorSegmentBlock path;
    if (int err = AddConnectorRecord(drawing, connector, &block, &path))
        return err;
    const RECT f = connector->frame;
    LayoutUnsidedConnector(&path, drawing->defaults.defaultLineWidth, f.right - f.left, f.bottom - f.top, corner,
                           0, connector->objType);

    ObjectList* list = row >= 0 ? objects : nullptr;
    const int underA = CandidateRow(list, row, g_dragState.hookTarget);
    const int underB = CandidateRow(list, row, g_dragState.startHookTarget);
    if (underA >= 0 || underB >= 0) {
        // B is the anchor corner the code names, A the diagonally opposite release corner.
        const POINT b = {corner == 1 || corner == 3 ? f.left : f.right, corner == 1 || corner == 2 ? f.top : f.bottom};
        const POINT a = {b.x == f.left ? f.right : f.left, b.y == f.top ? f.bottom : f.top};
        const bool aFirst = a.x < b.x || (a.x == b.x && a.y <= b.y);
        if (underA >= 0) {
            const int side = ConnectorSideOnTarget(drawing, list, underA, g_dragState.hookPoint, a, b);
            (aFirst ? path.startSide : path.endSide) = side;
        }
        if (underB >= 0) {
            const int side = ConnectorSideOnTarget(drawing, list, underB, g_dragState.startHookPoint, b, a);
            (aFirst ? path.endSide : path.startSide) = side;
        }
        RouteConnector(&path, 0, 0, a.x, a.y, &b, aFirst ? 0 : 1);
        const POINT m = NormalizeConnectorPath(&path);
        connector->innerRect.left = m.x;
        connector->innerRect.top = m.y;
    }
    connector->lineShape = corner;
    const int err = WriteConnectorPath(block, path);
    ReleaseBlock(block);
    if (err)
        return err;

    connector->hookCapacity = 2;
    connector->hookMask = 3;
    connector->acceptMask = 2;
    connector->classFlags = 0x20;
    const int mode = g_dragState.trackMode;
    if (mode == TrackCreateByDrag) {
        const int start = drawing->defaultArrowStart & kArrowKindMask;
        const int end = drawing->defaultArrowEnd & kArrowKindMask;
        if ((start != 0) != (end != 0)) {
            // One head, at the end where the drag finished.
            const int k = start != 0 ? start : end;
            int r = OppositeSide(corner);
            const ConnectorSegment& only = path.segments[0];
            if (r == 2 && path.segmentCount == 1 && only.x1 == only.x2)
                r = 1;
            const bool first = r == 1 || r == 3;
            connector->arrowStart = first ? k : 0;
            connector->arrowEnd = first ? 0 : k;
        } else {
            connector->arrowStart = drawing->defaultArrowStart;
            connector->arrowEnd = drawing->defaultArrowEnd;
        }
    } else if (mode == TrackPlaceDragged) {
        connector->arrowStart = drawing->defaultArrowStart;
        connector->arrowEnd = drawing->defaultArrowEnd;
    }
    if (mode == TrackCreateByDrag || mode == TrackPlaceDragged) {
        connector->arrowSize = drawing->defaultArrowSize;
        DeriveArrowEnds(connector);
    }
    connector->arrowSize = LimitArrowheadSize(connector->arrowSize);
    connector->lineWidth = drawing->defaults.defaultLineWidth;
    connector->lineColor = drawing->style.lineColor;
    connector->state |= kLineCreated;
    RecalcConnectorRects(drawing, connector);
    return 0;
}

int CreateConnectorPath(Drawing* drawing, DrawObject* object)
{
    HGLOBAL block = nullptr;
    ConnectorSegmentBlock path;
    if (int err = AddConnectorRecord(drawing, object, &block, &path))
        return err;
    const RECT& f = object->frame;
    LayoutUnsidedConnector(&path, object->lineWidth, f.right - f.left, f.bottom - f.top, 1, 0, object->objType);
    const int err = WriteConnectorPath(block, path);
    ReleaseBlock(block);
    return err;
}

extern "C" LONG CALLBACK SED_SegLHandler(HDC dc, Drawing* drawing, void* objects, int row, int message, int a,
                                         int b, void* p)
{
    // Type-level queries, the creation feedback and the outline pieces need no connector.
    switch (message) {
    case OM_GETCLASSFLAGS:
        return kLineClassFlags;
    case OM_TRACKCREATE: {
        const POINT anchor = {static_cast<SHORT>(LOWORD(b)), static_cast<SHORT>(HIWORD(b))};
        if (p)
            TrackConnectorHandle(dc, drawing, objects, -1, a, anchor, static_cast<const RECT*>(p));
        return 0;
    }
    case OM_GETPOINTLIST:
        // The drawing argument carries the piece's two points, the list argument an outline.
        if (drawing && objects && b && p)
            ConnectorArcToPoints(reinterpret_cast<const INT32*>(drawing), static_cast<const OutlinePointBlock*>(objects),
                                 row, PointerArg<INT32>(b), static_cast<POINT*>(p));
        return 0;
    case OM_GETPATH:
        // The device-context argument carries a block for turn codes, the drawing argument the
        // bounds to widen.
        if (!objects || !p || (row >= 0 && row >= static_cast<ObjectList*>(objects)->count))
            return 0;
        return GetConnectorPath(reinterpret_cast<HGLOBAL>(dc), reinterpret_cast<RECT*>(drawing), objects, row,
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
    DrawObject* connector = AddressedObject(objects, row);
    const INT32* values = static_cast<const INT32*>(p);
    switch (message) {
    case OM_DRAW:
    case OM_DRAWSHADOW:
    case OM_DRAWSHADOWOFFSET:
        DrawConnector(dc, message, drawing, objects, row, a, PointerArg<const ShadowPaint>(b));
        return 0;
    case OM_HITTEST:
        return p ? HitTestConnector(drawing, objects, row, *static_cast<const POINT*>(p)) : 0;
    case OM_DRAWHANDLES:
        DrawConnectorHandles(dc, drawing, objects, row);
        return 0;
    case OM_TRACKHANDLE: {
        const POINT anchor = {static_cast<SHORT>(LOWORD(b)), static_cast<SHORT>(HIWORD(b))};
        if (p)
            TrackConnectorHandle(dc, drawing, objects, row, a, anchor, static_cast<const RECT*>(p));
        return 0;
    }
    case OM_TRACKMOVE:
        if (p)
            TrackConnectorMove(dc, drawing, objects, row, static_cast<const RECT*>(p));
        return 0;
    case OM_DRAGHANDLE:
        return p ? ReshapeConnector(drawing, objects, row, a, static_cast<const RECT*>(p)) : 0;
    case OM_SETFRAME:
        return p ? ReshapeConnector(drawing, objects, row, 0, static_cast<const RECT*>(p)) : 0;
    case OM_INIT:
        return list ? InitConnector(drawing, list, row, a) : 0;
    case OM_SETARROWENDS:
        if (values)
            SetConnectorArrowEnds(drawing, objects, row, values);
        return 0;
    case OM_SETANGLE:
    case OM_ROTATETO:
        RefuseRotation();
        return 0;
    case OM_GETCAPS:
        return ConnectorCaps(connector);
    case OM_REFRESHEFFECTS:
    case OM_RECALC:
        RecalcConnectorRects(drawing, connector);
        return 0;
    case OM_SETLINEWIDTH:
        if (values)
            SetConnectorLineWidth(drawing, objects, row, a, values);
        return 0;
    case OM_SETLINESTYLE:
        if (values)
            SetConnectorLineStyle(drawing, objects, row, values);
        return 0;
    case OM_GETHOOKPOINTS:
        if (b && p)
            ConnectorHookPoint(drawing, objects, row, PointerArg<INT32>(b), static_cast<POINT*>(p));
        return 0;
    case OM_MAPHOOKPOINT:
        if (p)
            MapConnectorHookPoint(drawing, objects, row, a, b, static_cast<POINT*>(p));
        return 0;
    case OM_DRAWHOOKMARKS:
        if (p)
            DrawLinkPointMarks(dc, a, static_cast<const POINT*>(p));
        return 0;
    case OM_GETSNAPPOINTS:
        if (b && p)
            ConnectorSnapPoints(drawing, objects, row, PointerArg<INT32>(b), static_cast<POINT*>(p));
        return 0;
    case OM_HANDLETOEND:
        if (p)
            ConnectorHandleToEnd(drawing, objects, row, a, static_cast<INT32*>(p));
        return 0;
    case OM_GETPOINTPOS:
        return p ? ConnectorEndPosition(drawing, objects, row, a, PointerArg<INT32>(b), static_cast<POINT*>(p)) : 0;
    case OM_MOVEHANDLERECT:
        if (b && p)
            ConnectorEndDragRect(drawing, objects, row, a, PointerArg<POINT>(b), static_cast<RECT*>(p));
        return 0;
    case OM_TRACKPARAM:
        if (p)
            TrackSegmentMove(dc, drawing, objects, row, b, *static_cast<const POINT*>(p));
        return 0;
    case OM_HOOKCHANGED:
        ConnectorHookChanged(drawing, objects, row, a, b);
        return 0;
    case OM_GETSIZE:
        if (p)
            ConnectorSize(drawing, objects, row, static_cast<POINT*>(p));
        return 0;
    case OM_SETPARAM:
        return p ? CommitSegmentMove(drawing, objects, row, a, *static_cast<const POINT*>(p)) : 0;
    case OM_FLIP:
        return FlipConnector(drawing, objects, row, a);
    case OM_SETLINETYPE:
        return values ? ApplyConnectorLineType(drawing, objects, row, values[1], 0) : 0;
    case OM_ENDSIDE:
        return b && p ? ConnectorSideAtPoint(drawing, objects, row, PointerArg<const POINT>(b),
                                             static_cast<const POINT*>(p))
                      : 0;
    case OM_SETARROWHEADS:
        if (values)
            SetConnectorArrowheads(drawing, objects, row, values);
        return 0;
    case OM_GETFRAME:
        if (p)
            ConnectorFrame(drawing, objects, row, static_cast<RECT*>(p));
        return 0;
    case OM_LABELANCHOR:
        if (p)
            ConnectorLabelAngle(drawing, objects, row, a, b, static_cast<INT32*>(p));
        return 0;
    case OM_GETGEOMETRY:
        if (p)
            GetConnectorGeometry(drawing, objects, row, a, static_cast<OutlineVertex*>(p));
        return 0;
    case OM_SETGEOMETRY:
        if (p)
            SetConnectorGeometry(drawing, objects, row, a, static_cast<const OutlinePointBlock*>(p));
        return 0;
    case OM_SHOWLENGTH:
        return values ? ShowConnectorLength(drawing, objects, row, values) : 0;
    default:
        // Every other message, 86 included, leaves the connector and the caller's data alone.
        return 0;
    }
}
