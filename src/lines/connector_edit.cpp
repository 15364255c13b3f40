// Editing an elbow connector: hit testing, the XOR feedback of creating, dragging an end, moving
// the whole connector and dragging one segment, the re-route after an end moved or a hook was
// set, and the move of one segment.
//
// Every change reads the path into a copy, works on the copy and writes it back last, so that a
// store error leaves both the record and the object as they were.
#include "lines/connector_edit.h"

#include <cstdlib>

#include "editing/drag_state.h"
#include "editing/edit_services.h"
#include "geometry/point_geometry.h"
#include "geometry/real_math.h"
#include "lines/connector_geometry.h"
#include "lines/connector_hooks.h"
#include "lines/connector_paint.h"
#include "lines/connector_routing.h"
#include "lines/dimension_label.h"
#include "lines/line_geometry.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "store/store_records.h"

namespace {

constexpr int kShowsLength = 0x40;   // classFlags: the connector carries its length label
constexpr int kHitAttachment = 45;
constexpr int kHitLine = 40;

// The connector's path record, loaded for the guard's lifetime; `path` a sound copy of it.
class PathRecord {
public:
    PathRecord(Drawing* drawing, void* objects, int row, const DrawObject* connector)
    {
        error_ = LoadConnectorPath(ClassStoreSlot(drawing, objects, row), connector, &block_);
        if (!error_)
            path = ReadConnectorPath(block_);
    }
    ~PathRecord()
    {
        if (pinned_)
            SetBlockPinned(block_, FALSE);
        if (block_)
            ReleaseBlock(block_);
    }
    PathRecord(const PathRecord&) = delete;
    PathRecord& operator=(const PathRecord&) = delete;

    int error() const { return error_; }
    // Keeps the block in memory while a nested load of the same record (GetConnectorPoint) runs.
    void Pin()
    {
        SetBlockPinned(block_, TRUE);
        pinned_ = true;
    }
    int Write(const ConnectorSegmentBlock& changed) { return WriteConnectorPath(block_, changed); }

    ConnectorSegmentBlock path = {};

private:
    HGLOBAL block_ = nullptr;
    int error_ = 0;
    bool pinned_ = false;
};

POINT Origin(const DrawObject* connector)
{
    return POINT{connector->innerRect.left, connector->innerRect.top};
}

POINT Offset(POINT p, POINT by)
{
    return POINT{p.x + by.x, p.y + by.y};
}

bool SamePoint(POINT a, POINT b)
{
    return a.x == b.x && a.y == b.y;
}

// The path's first (index 0) or last point in drawing coordinates.
POINT EndPoint(const ConnectorSegmentBlock& path, int index, POINT origin)
{
    return Offset(ConnectorEndPoint(&path, index), origin);
}

int DefaultLineWidth(const Drawing* drawing, const DrawObject* connector)
{
    return drawing ? drawing->defaults.defaultLineWidth : (connector ? connector->lineWidth : 1);
}

// The corner of `rect` diagonally opposite `anchor`, which lies on one of its corners.
POINT OppositeCorner(const RECT& rect, POINT anchor)
{
    return POINT{anchor.x == rect.left ? rect.right : rect.left, anchor.y == rect.top ? rect.bottom : rect.top};
}

// The object list whose rows the hook candidates of the view's drag name: the caller's list, or
// the drawing's own for a connector not yet in it.
class CandidateList {
public:
    CandidateList(Drawing* drawing, void* objects, int row)
        : lock_(row < 0 && drawing ? drawing->objectList : nullptr), self_(row)
    {
        list_ = row >= 0 ? static_cast<ObjectList*>(objects) : lock_.get();
    }

    ObjectList* list() const { return list_; }
    // The candidate's row when it names another object of the list, else -1: the drag state is
    // the view's and may be stale.
    int Row(int candidate) const
    {
        return list_ && candidate >= 0 && candidate < list_->count && candidate != self_ ? candidate : -1;
    }

private:
    Locked<ObjectList> lock_;
    ObjectList* list_ = nullptr;
    int self_;
};

int MaxInt(int a, int b)
{
    return a > b ? a : b;
}

}  // namespace

int HitTestConnector(Drawing* drawing, void* objects, int row, POINT point)
{
    if (!objects)
        return 0;
    const DrawObject* connector = AddressedObject(objects, row);
    const PathRecord record(drawing, objects, row, connector);
    if (record.error())
        return 0;
    const ConnectorSegmentBlock& path = record.path;
    const POINT origin = Origin(connector);

    if (HasAttachment(ClassStoreSlot(drawing, objects, row), connector)) {
        const ConnectorSegment& s = path.segments[0];
        const RECT first = {s.x1 + origin.x, s.y1 + origin.y, s.x2 + origin.x, s.y2 + origin.y};
        const RECT mark = ConnectorAttachmentMarkRect(connector, first);
        if (PtInRect(&mark, point))
            return kHitAttachment;
    }

    if (connector->state & StateSelected) {
        POINT points[kConnectorMaxSegments] = {};
        RECT rects[kConnectorMaxSegments] = {};
        int count = 0;
        GetConnectorHandlePoints(&path, origin, points, rects, &count);
        if (count > kConnectorMaxSegments)
            count = kConnectorMaxSegments;
        int code = 0;
        for (int j = 0; j < count; ++j) {
            if (!PtInRect(&rects[j], point))
                continue;
            // Middle handle j sits on segment j; each inner segment has exactly one code.
            const bool vertical = j < path.segmentCount && path.segments[j].x1 == path.segments[j].x2;
            if (j == count - 1)
                code = ConnectorLastPoint;
            else if (j == 0)
                code = ConnectorFirstPoint;
            else if (j == 3)
                code = vertical ? ConnectorVerticalFromEnd : ConnectorHorizontalFromEnd;
            else
                code = vertical ? ConnectorVerticalFromStart : ConnectorHorizontalFromStart;
        }
        if (code)
            return code;
    }
    const int hit = ConnectorSegmentAtPoint(&path, point.x - origin.x, point.y - origin.y, connector->objType,
                                            nullptr, -1);
    return hit >= 0 ? kHitLine : 0;
}

void TrackConnectorHandle(HDC dc, Drawing* drawing, void* objects, int row, int kind, POINT anchor,
                          const RECT* rect)
{
    if (!dc || !rect)
        return;
    const RECT& r = *rect;
    const int w = r.right - r.left, h = r.bottom - r.top;
    const CandidateList candidates(drawing, objects, row);
    const int underMoving = candidates.Row(g_dragState.hookTarget);

    if (row < 0) {
        if (g_dragState.trackMode == TrackPlaceDragged)
            anchor = POINT{r.left, r.bottom};
        const int q = HandleCodeAtPoint(&r, anchor.x, anchor.y);
        const int underAnchor = candidates.Row(g_dragState.startHookTarget);
        ConnectorSegmentBlock path = {};
        for (INT32& length : path.preferred)
            length = kConnectorPreferredLength;
        LayoutUnsidedConnector(&path, DefaultLineWidth(drawing, nullptr), w, h, q, 0, kind);
        if (underMoving < 0 && underAnchor < 0) {
            XorDrawConnectorPath(dc, &path, kind, r.left, r.top, TRUE);
            return;
        }
        // A is the cursor's corner, B the anchor.
        const POINT b = anchor;
        const POINT a = OppositeCorner(r, b);
        const bool aFirst = a.x < b.x || (a.x == b.x && a.y <= b.y);
        if (underMoving >= 0)
            (aFirst ? path.startSide : path.endSide) =
                ConnectorSideOnTarget(drawing, candidates.list(), underMoving, g_dragState.hookPoint, a, b);
        if (underAnchor >= 0)
            (aFirst ? path.endSide : path.startSide) =
                ConnectorSideOnTarget(drawing, candidates.list(), underAnchor, g_dragState.startHookPoint, b, a);
        RouteConnector(&path, 0, 0, a.x, a.y, &b, aFirst ? 0 : 1);
        XorDrawConnectorPath(dc, &path, kind, 0, 0, TRUE);
        return;
    }

    if (!objects)
        return;
    const DrawObject* connector = AddressedObject(objects, row);
    const PathRecord record(drawing, objects, row, connector);
    if (record.error())
        return;
    ConnectorSegmentBlock path = record.path;
    const int ownKind = connector->objType;
    if (path.startSide == SideNone && path.endSide == SideNone && underMoving < 0) {
        int q = HandleCodeAtPoint(&r, anchor.x, anchor.y);
        if (ownKind == ConnectorCurved && !SamePoint(SidePointOfRect(connector->innerRect, connector->lineShape), anchor))
            q = OppositeSide(q);
        LayoutUnsidedConnector(&path, DefaultLineWidth(drawing, connector), w, h, q, 0, ownKind);
        XorDrawConnectorPath(dc, &path, ownKind, r.left, r.top, TRUE);
        return;
    }
    const POINT a = OppositeCorner(r, anchor);
    const bool anchorFirst = SamePoint(EndPoint(path, 0, Origin(connector)), anchor);
    if (underMoving >= 0)
        (anchorFirst ? path.endSide : path.startSide) =
            ConnectorSideOnTarget(drawing, candidates.list(), underMoving, g_dragState.hookPoint, a, anchor);
    RouteConnector(&path, 0, 0, a.x, a.y, &anchor, anchorFirst ? 1 : 0);
    XorDrawConnectorPath(dc, &path, ownKind, 0, 0, TRUE);
}

void TrackConnectorMove(HDC dc, Drawing* drawing, void* objects, int row, const RECT* frame)
{
    if (!dc || !objects || !frame)
        return;
    const DrawObject* connector = AddressedObject(objects, row);
    const PathRecord record(drawing, objects, row, connector);
    if (record.error())
        return;
    ConnectorSegmentBlock path = record.path;
    const POINT d = {frame->left - connector->frame.left, frame->top - connector->frame.top};
    const POINT origin = Offset(Origin(connector), d);
    const CandidateList candidates(drawing, objects, row);
    const int target = candidates.Row(g_dragState.hookTarget);
    if (target < 0) {
        XorDrawConnectorPath(dc, &path, connector->objType, origin.x, origin.y, FALSE);
        return;
    }
    // The hooking end leaves the candidate; the other end stays where the move puts it.
    const bool hookingFirst = g_dragState.hookHolderCode == 1;
    const POINT hooking = EndPoint(path, hookingFirst ? 0 : 1, origin);
    const POINT other = EndPoint(path, hookingFirst ? 1 : 0, origin);
    (hookingFirst ? path.startSide : path.endSide) =
        ConnectorSideOnTarget(drawing, candidates.list(), target, g_dragState.hookPoint, hooking, other);
    RouteConnector(&path, 0, 0, hooking.x, hooking.y, &other, hookingFirst ? 0 : 1);
    XorDrawConnectorPath(dc, &path, connector->objType, 0, 0, FALSE);
}

int ReshapeConnector(Drawing* drawing, void* objects, int row, int corner, const RECT* rect)
{
    if (!objects || !rect)
        return 0;
    ObjectList* list = row >= 0 ? static_cast<ObjectList*>(objects) : nullptr;
    DrawObject* connector = AddressedObject(objects, row);
    RECT r = *rect;
    int q = corner;
    int w = r.right - r.left, h = r.bottom - r.top;
    const bool showsLength = (connector->classFlags & kShowsLength) != 0;
    const int oldLength = showsLength ? TruncReal(ConnectorLength(drawing, connector)) : 0;
    const ConnectorLabelPartner partner = NoteConnectorLabelPartner(list, row, connector);

    // A stays, B is where the moved end goes.
    const int fixedCorner = q == 1 || q == 2 || q == 3 ? q : 4;
    POINT a = SidePointOfRect(r, fixedCorner);
    POINT b = SidePointOfRect(r, OppositeSide(fixedCorner));

    PathRecord record(drawing, objects, row, connector);
    if (int err = record.error())
        return err;
    ConnectorSegmentBlock path = record.path;
    const RECT inner = connector->innerRect;
    const POINT origin = Origin(connector);
    const bool unsided = path.startSide == SideNone && path.endSide == SideNone;
    const bool curved = connector->objType == ConnectorCurved;

    if (q == 0) {
        // A frame set directly: the first point stays, the last follows the right and bottom edges.
        if (unsided && curved) {
            q = connector->lineShape;
            a = SidePointOfRect(inner, q);
            b = SidePointOfRect(inner, OppositeSide(q));
        } else {
            a = EndPoint(path, 0, origin);
            b = EndPoint(path, 1, origin);
            q = 1;
        }
        const int gx = r.right - connector->frame.right, gy = r.bottom - connector->frame.bottom;
        w = std::abs(b.x - a.x) + gx;
        h = std::abs(b.y - a.y) + gy;
        b = Offset(b, POINT{gx, gy});
        r.left = inner.left;
        r.top = inner.top;
    }

    const bool firstFixed = SamePoint(EndPoint(path, 0, origin), a);
    int m = firstFixed ? path.segmentCount : 0;
    const int carriedBefore = SegmentCarriesArrowhead(connector, &path, m);

    POINT newOrigin;
    int newCorner = connector->lineShape;
    if (unsided) {
        if (curved && !SamePoint(SidePointOfRect(inner, connector->lineShape), a))
            q = OppositeSide(q);
        LayoutUnsidedConnector(&path, DefaultLineWidth(drawing, connector), w, h, q, 0, connector->objType);
        newOrigin = POINT{r.left, r.top};
        newCorner = q;
    } else {
        RouteConnector(&path, origin.x, origin.y, b.x, b.y, nullptr, firstFixed ? 1 : 0);
        newOrigin = NormalizeConnectorPath(&path);
    }

    // Routing starts the path at its left end: when the moved end is not where the path now
    // ends, the ends traded places.
    const bool kept = SamePoint(EndPoint(path, firstFixed ? 1 : 0, newOrigin), b);
    if (kept)
        m = m == 0 ? 0 : path.segmentCount;
    else
        m = m == 0 ? path.segmentCount : 0;

    if (int err = record.Write(path))
        return err;
    connector->innerRect.left = newOrigin.x;
    connector->innerRect.top = newOrigin.y;
    connector->lineShape = newCorner;
    if (!kept)
        ExchangeLineEnds(connector);   // hook code 1 and arrowStart name the first point again
    const int mask = connector->arrowEnds;
    if ((mask == 1 || mask == 2) && SegmentCarriesArrowhead(connector, &path, m) != carriedBefore)
        connector->arrowEnds = 3 - mask;
    RecalcConnectorRects(drawing, connector);

    if (list && showsLength && TruncReal(ConnectorLength(drawing, connector)) != oldLength) {
        UpdateDimensionLabel(drawing, list, row, -1);
        // A new length label grows the object list, which can move it.
        list = PresentObjectList(drawing);
    }
    TurnConnectorLabelPartner(drawing, list, row, partner);
    return 0;
}

void ConnectorEndDragRect(Drawing* drawing, void* objects, int row, int fixedEnd, POINT* delta, RECT* rect)
{
    if (!objects || !delta || !rect)
        return;
    const DrawObject* connector = AddressedObject(objects, row);
    *rect = connector->innerRect;
    if (fixedEnd != 1 && fixedEnd != 2)
        return;
    const PathRecord record(drawing, objects, row, connector);
    if (record.error())
        return;
    const POINT origin = Origin(connector);
    const POINT f = EndPoint(record.path, 0, origin), g = EndPoint(record.path, 1, origin);
    // The end that stays lies at the corner the end code names (1 left-top, 2 right-top).
    if (fixedEnd == 1)
        *rect = RECT{f.x, f.y, g.x + delta->x, g.y + delta->y};
    else
        *rect = RECT{f.x + delta->x, g.y, g.x, f.y + delta->y};
}

int MoveConnectorSegment(Drawing* drawing, ObjectList* objects, int row, int code, POINT point,
                         ConnectorSegmentBlock* path)
{
    if (!objects || !path)
        return 1;
    POINT last = {0, 0};
    if (int err = GetConnectorPoint(drawing, objects, row, ConnectorLastPoint, &last, nullptr, nullptr))
        return err;
    POINT handle = {0, 0};
    RECT found = {};
    int i = -1;
    if (int err = GetConnectorPoint(drawing, objects, row, code, &handle, &found, &i))
        return err;
    // Only an inner segment of the path can be dragged.
    const int count = path->segmentCount;
    if (i < 1 || i > count - 2)
        return 1;
    // The reference is the segment before the dragged one, or the end stub for the fourth.
    const int k = i == 3 ? 4 : i - 1;
    const ConnectorSegment& dragged = path->segments[i];
    const ConnectorSegment& ref = path->segments[k];
    int length;
    if (code == ConnectorVerticalFromStart || code == ConnectorVerticalFromEnd) {
        int delta = point.x - handle.x;
        if (ref.x1 == dragged.x1)
            delta = -delta;   // the reference extends to the right of the dragged segment
        length = (ref.x2 - ref.x1) + delta;
    } else {
        const int delta = point.y - handle.y;
        length = ref.y1 == dragged.y1 ? (ref.y2 - ref.y1) - delta : (ref.y2 - ref.y1) + delta;
    }
    path->preferred[i - 1] = MaxInt(length, kConnectorMinStub);
    const POINT origin = Origin(AddressedObject(objects, row));
    RouteConnector(path, origin.x, origin.y, last.x, last.y, nullptr, 1);
    return 0;
}

void TrackSegmentMove(HDC dc, Drawing* drawing, void* objects, int row, int code, POINT point)
{
    if (!dc || !objects)
        return;
    const DrawObject* connector = AddressedObject(objects, row);
    PathRecord record(drawing, objects, row, connector);
    if (record.error())
        return;
    record.Pin();
    ConnectorSegmentBlock path = record.path;
    if (MoveConnectorSegment(drawing, static_cast<ObjectList*>(objects), row, code, point, &path) == 0)
        XorDrawConnectorPath(dc, &path, connector->objType, 0, 0, TRUE);
}

int CommitSegmentMove(Drawing* drawing, void* objects, int row, int code, POINT point)
{
    if (!objects)
        return 0;
    DrawObject* connector = AddressedObject(objects, row);
    PathRecord record(drawing, objects, row, connector);
    if (int err = record.error())
        return err;
    record.Pin();
    ConnectorSegmentBlock path = record.path;
    const int result = MoveConnectorSegment(drawing, static_cast<ObjectList*>(objects), row, code, point, &path);
    // 1: no segment of that code, nothing to do.
    if (result == 1)
        return 0;
    if (result)
        return result;
    const POINT minima = NormalizeConnectorPath(&path);
    if (int err = record.Write(path))
        return err;
    connector->innerRect.left = minima.x;
    connector->innerRect.top = minima.y;
    RecalcConnectorRects(drawing, connector);
    return 0;
}

void ConnectorHookChanged(Drawing* drawing, void* objects, int row, int slot, int set)
{
    // A removed hook leaves the path as it is; the end stays where it was.
    if (set != 1 || !objects || row < 0)
        return;
    ObjectList* list = static_cast<ObjectList*>(objects);
    DrawObject* connector = &(*list)[row];
    if (slot < 0 || slot >= HookSlotsInUse(*connector))
        return;
    const HookEntry hook = connector->hooks[slot];
    const int target = FindObjectById(list, hook.targetId, hook.targetRow);
    if (target < 0 || target == row)
        return;
    PathRecord record(drawing, objects, row, connector);
    if (record.error())
        return;
    ConnectorSegmentBlock path = record.path;
    const POINT origin = Origin(connector);
    const bool hookedFirst = hook.holderCode == 1;
    const POINT fixed = EndPoint(path, hookedFirst ? 1 : 0, origin);
    const POINT hooked = EndPoint(path, hookedFirst ? 0 : 1, origin);

    POINT onTarget = {hook.attachX, hook.attachY};
    SendClassMessage(nullptr, drawing, list, target, OM_MAPHOOKPOINT, 1, 0, &onTarget);
    (hookedFirst ? path.startSide : path.endSide) =
        ConnectorSideOnTarget(drawing, list, target, POINT{hook.attachX, hook.attachY}, onTarget, fixed);
    // The end keeps its place; link propagation moves it onto the target afterwards.
    RouteConnector(&path, 0, 0, hooked.x, hooked.y, &fixed, hookedFirst ? 0 : 1);
    const POINT minima = NormalizeConnectorPath(&path);
    if (record.Write(path))
        return;
    connector->innerRect.left = minima.x;
    connector->innerRect.top = minima.y;
    InvalidateLogicalRect(drawing ? drawing->viewWindow : nullptr, &connector->updateRect);
    RecalcConnectorRects(drawing, connector);
}
