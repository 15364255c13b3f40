// The connector's answers to the type and attribute commands: line types (sides and kind, or
// back into a straight line), flip, arrowheads, width, style, the refused rotation, caps.
#include "lines/connector_types.h"

#include <algorithm>
#include <utility>

#include "geometry/point_geometry.h"
#include "lines/arrowheads.h"
#include "lines/connector_geometry.h"
#include "lines/connector_hooks.h"
#include "lines/connector_routing.h"
#include "lines/dimension_label.h"
#include "lines/line_geometry.h"
#include "lines/line_reshape.h"
#include "lines/line_shape.h"
#include "model/class_protocol.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "store/store_records.h"

namespace {

constexpr int kShowsLength = 0x40;     // classFlags: the connector carries its length label
constexpr int kCapsFree = 0xA55;
constexpr int kCapsGrouped = 0xA41;
constexpr int kSideMiddleCode = 300;   // link point code 300 + side: the exact middle of that side

constexpr int kTypeKind = LineTypeKindMask;
constexpr int kTypeSquare = LineTypeSquare;
constexpr int kTypeCurved = LineTypeCurved;

struct ChosenEnd {
    int side;
    POINT at;
};

// The sides and the corners of the inner rectangle that a line type code names for the ends.
void ChooseEnds(int t, const RECT& r, ChosenEnd* start, ChosenEnd* end)
{
    switch (t & 0xC) {
    case 0: *start = {SideLeft, {r.right, r.top}}; break;
    case 4: *start = {SideTop, {r.left, r.bottom}}; break;
    case 8: *start = {SideRight, {r.left, r.top}}; break;
    default: *start = {SideBottom, {r.left, r.top}}; break;
    }
    const bool across = start->side == SideLeft || start->side == SideRight;
    switch (t & 0x3) {
    case 0:
        *end = {SideLeft, {r.right, r.bottom}};
        if (start->side == SideTop)
            end->at.y = r.top;
        break;
    case 1:
        *end = {SideTop, {r.right, r.bottom}};
        if (across)
            start->at.y = r.top;
        break;
    case 2:
        *end = {SideRight, {r.left, r.top}};
        if (across)
            end->at.y = r.bottom;
        break;
    default:
        *end = {SideBottom, {r.right, r.top}};
        if (across)
            start->at.y = r.bottom;
        break;
    }
}

// Message 61 with a straight line shape: the path record goes and the object becomes a straight
// line between the path's ends, which the straight line's own message 61 then completes.
int IntoStraightLine(Drawing* drawing, void* objects, int row, DrawObject* c, int typeCode)
{
    HGLOBAL block = nullptr;
    if (int err = LoadConnectorPath(ClassStoreSlot(drawing, objects, row), c, &block))
        return err;
    const ConnectorSegmentBlock path = ReadConnectorPath(block);
    const POINT f = ConnectorEndPoint(&path, 0), g = ConnectorEndPoint(&path, 1);
    if (int err = DeleteRecord(block)) {
        ReleaseBlock(block);
        return err;
    }
    GlobalFree(block);

    const RECT inner = c->innerRect;
    c->frame = inner;
    if (g.x == f.x) {
        c->objType = LineVertical;
        c->axisCoord = inner.left + f.x;
    } else if (f.y == g.y) {
        c->objType = LineHorizontal;
        c->axisCoord = inner.top + f.y;
    } else {
        if (f.y > 0)
            c->state |= StateRising;
        else
            c->state &= ~StateRising;
        c->objType = LineSlanted;
        c->frame = RECT{inner.left + std::min(f.x, g.x), inner.top + std::min(f.y, g.y),
                        inner.left + std::max(f.x, g.x), inner.top + std::max(f.y, g.y)};
    }
    c->objClass = ClassLine;
    c->dataCount = 0;
    c->dataId = -1;
    // The field held the connector's creation corner; read as a line shape, corner 4 would pass
    // for an arc that keeps a bulge it never had.
    c->lineShape = LinePlain;
    return ApplyLineType(drawing, objects, row, typeCode);
}

// The LineTypeCode bits of a side before a flip, or after it (`after`).
int StartSideBits(int side, int flags, bool after)
{
    const bool h = after && (flags & FlipHorizontal), v = after && (flags & FlipVertical);
    switch (side) {
    case SideTop: return v ? 12 : 4;
    case SideBottom: return v ? 4 : 12;
    case SideLeft: return h ? 8 : 0;
    case SideRight: return h ? 0 : 8;
    default: return 0;
    }
}

int EndSideBits(int side, int flags, bool after)
{
    const bool h = after && (flags & FlipHorizontal), v = after && (flags & FlipVertical);
    switch (side) {
    case SideTop: return v ? 3 : 1;
    case SideBottom: return v ? 1 : 3;
    case SideLeft: return h ? 2 : 0;
    case SideRight: return h ? 0 : 2;
    default: return 0;
    }
}

int MirrorCorner(int corner, int flags)
{
    if (flags & FlipHorizontal) {
        static const int h[] = {0, 2, 1, 4, 3};
        if (corner >= 1 && corner <= 4)
            corner = h[corner];
    }
    if (flags & FlipVertical) {
        static const int v[] = {0, 3, 4, 1, 2};
        if (corner >= 1 && corner <= 4)
            corner = v[corner];
    }
    return corner;
}

ConnectorSegment SegmentBetween(POINT a, POINT b)
{
    return ConnectorSegment{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

}  // namespace

int ApplyConnectorLineType(Drawing* drawing, void* objects, int row, int typeCode, int keepGeometry)
{
    if (!objects)
        return 0;
    ObjectList* list = row >= 0 ? static_cast<ObjectList*>(objects) : nullptr;
    DrawObject* c = AddressedObject(objects, row);
    const ConnectorLabelPartner partner = NoteConnectorLabelPartner(list, row, c);
    bool chosen = false;
    int startSide = SideNone, endSide = SideNone;
    if (!keepGeometry) {
        const int kind = typeCode & kTypeKind;
        const bool straight = typeCode >= 1 && typeCode <= 4;
        // Codes outside the table (a kind of 0x30 among them) leave the connector as it is.
        const bool connector = typeCode >= 16 && typeCode <= 47 && kind != kTypeKind;
        if (!straight && !connector)
            return 0;
        ChosenEnd start, end;
        ChooseEnds(typeCode, c->innerRect, &start, &end);
        if (straight)
            return IntoStraightLine(drawing, objects, row, c, typeCode);

        HGLOBAL block = nullptr;
        if (int err = LoadConnectorPath(ClassStoreSlot(drawing, objects, row), c, &block))
            return err;
        ConnectorSegmentBlock path = ReadConnectorPath(block);
        path.startSide = start.side;
        path.endSide = end.side;
        RouteConnector(&path, 0, 0, end.at.x, end.at.y, &start.at, 1);
        // The route stays where it was laid out: the inner rectangle's top-left becomes the
        // normalised path's origin, so the ends keep their places even when a stub leaves the
        // old rectangle.
        const POINT origin = NormalizeConnectorPath(&path);
        c->innerRect.left = origin.x;
        c->innerRect.top = origin.y;
        const int err = WriteConnectorPath(block, path);
        ReleaseBlock(block);
        if (err)
            return err;
        c->objType = kind == kTypeSquare ? ConnectorSquare : ConnectorCurved;
        // Routing may have exchanged the ends: the record tells which side each end took.
        startSide = path.startSide;
        endSide = path.endSide;
        chosen = true;
    }

    RecalcConnectorRects(drawing, c);
    if (drawing) {
        MarkLinksChanged(drawing, c->objId, LinkChanged | LinkRefit, c->groupId, c->groupRow);
        for (int i = 0; i < HookSlotsInUse(*c); ++i) {
            HookEntry& hook = c->hooks[i];
            const int target = list ? FindObjectById(list, hook.targetId, hook.targetRow) : -1;
            // After a flip no side was chosen: the hooks keep their points and propagation
            // re-fits the ends.
            if (chosen && target >= 0) {
                const int side = hook.holderCode == 1 ? startSide : endSide;
                POINT box = {hook.attachX, hook.attachY};
                SendClassMessage(nullptr, drawing, list, target, OM_POINTTOUNIT, side + kSideMiddleCode, 0, &box);
                hook.attachX = box.x;
                hook.attachY = box.y;
            }
            const DrawObject* t = target >= 0 ? &(*list)[target] : nullptr;
            MarkLinksChanged(drawing, hook.targetId, LinkChanged, t ? t->groupId : 0, t ? t->groupRow : -1);
        }
    }
    if (list)
        TurnConnectorLabelPartner(drawing, list, row, partner);
    if (list && (c->classFlags & kShowsLength))
        UpdateDimensionLabel(drawing, list, row, -1);
    return 0;
}

int FlipConnector(Drawing* drawing, void* objects, int row, int flags)
{
    if (!objects)
        return 0;
    DrawObject* c = AddressedObject(objects, row);
    HGLOBAL block = nullptr;
    if (int err = LoadConnectorPath(ClassStoreSlot(drawing, objects, row), c, &block))
        return err;
    if (int err = BeginRecordChange(block)) {
        ReleaseBlock(block);
        return err;
    }
    ConnectorSegmentBlock path = ReadConnectorPath(block);
    const bool unsidedCurved =
        path.startSide == SideNone && path.endSide == SideNone && c->objType == ConnectorCurved;
    int corner = unsidedCurved ? MirrorCorner(c->lineShape, flags) : c->lineShape;
    INT32 arrowStart = c->arrowStart, arrowEnd = c->arrowEnd;

    const int beforeStart = StartSideBits(path.startSide, flags, false);
    const int beforeEnd = EndSideBits(path.endSide, flags, false);
    int afterStart = StartSideBits(path.startSide, flags, true);
    int afterEnd = EndSideBits(path.endSide, flags, true);
    const bool horizontal = (flags & FlipHorizontal) != 0;
    const auto leftOrRight = [](int side) { return side == SideLeft || side == SideRight; };
    bool exchange = false;
    if (horizontal && leftOrRight(path.startSide))
        exchange = !exchange;
    if (horizontal && leftOrRight(path.endSide))
        exchange = !exchange;
    const bool keepEnds = horizontal && path.endSide == SideLeft && path.startSide == SideRight;
    if (exchange) {
        const int s = afterEnd << 2, e = afterStart >> 2;
        afterStart = s;
        afterEnd = e;
        std::swap(arrowStart, arrowEnd);
    }

    int result;
    if ((afterStart == beforeStart && afterEnd == beforeEnd) || unsidedCurved || keepEnds) {
        // The geometry itself is mirrored inside the inner rectangle.
        POINT points[kConnectorMaxSegments + 1];
        const int n = SquareConnectorPoints(&path, POINT{c->innerRect.left, c->innerRect.top}, points);
        FlipPoints(c->innerRect, flags & (FlipHorizontal | FlipVertical), points, n);
        const bool reverse = horizontal || points[0].x == points[n - 1].x;
        if (reverse)
            std::reverse(points, points + n);
        for (int i = 0; i + 1 < n; ++i)
            path.segments[i] = SegmentBetween(points[i], points[i + 1]);
        if (reverse) {
            if (!keepEnds)
                std::swap(path.startSide, path.endSide);
            std::swap(arrowStart, arrowEnd);
        }
        if (!unsidedCurved)
            RouteConnector(&path, 0, 0, points[n - 1].x, points[n - 1].y, &points[0], 1);
        // The points were in drawing coordinates: the path stays where they put it.
        const POINT origin = NormalizeConnectorPath(&path);
        c->innerRect.left = origin.x;
        c->innerRect.top = origin.y;
        const int err = WriteConnectorPath(block, path);
        ReleaseBlock(block);
        if (err)
            return err;
        c->lineShape = corner;
        c->arrowStart = arrowStart;
        c->arrowEnd = arrowEnd;
        result = ApplyConnectorLineType(drawing, objects, row, 0, 1);
    } else {
        ReleaseBlock(block);
        c->lineShape = corner;
        c->arrowStart = arrowStart;
        c->arrowEnd = arrowEnd;
        const int kind = c->objType == ConnectorCurved ? kTypeCurved : kTypeSquare;
        result = ApplyConnectorLineType(drawing, objects, row, afterStart + afterEnd + kind, 0);
    }
    DeriveArrowEnds(AddressedObject(objects, row));
    return result;
}

void SetConnectorArrowEnds(Drawing* drawing, void* objects, int row, const INT32* values)
{
    DrawObject* c = AddressedObject(objects, row);
    if (c->groupRow >= 0)
        return;
    const int ends = values[1];
    c->arrowEnds = ends;
    c->arrowStart = (ends & kArrowEnd1) ? 1 : 0;
    c->arrowEnd = (ends & kArrowEnd2) ? 1 : 0;
    RecalcConnectorRects(drawing, c);
}

void RefuseRotation()
{
    RotationRefused = TRUE;
}

int ConnectorCaps(const DrawObject* connector)
{
    return connector->groupRow < 0 ? kCapsFree : kCapsGrouped;
}

void SetConnectorLineWidth(Drawing* drawing, void* objects, int row, int setStyle, const INT32* values)
{
    DrawObject* c = AddressedObject(objects, row);
    // A width is at least one unit.
    const int w = values[1] < 1 ? 1 : values[1];
    c->lineWidth = w;
    if (drawing)
        drawing->defaults.defaultLineWidth = w;
    if (setStyle)
        c->lineStyle = LineStyleSolid;
    RecalcConnectorRects(drawing, c);
}

void SetConnectorLineStyle(Drawing* drawing, void* objects, int row, const INT32* values)
{
    DrawObject* c = AddressedObject(objects, row);
    c->lineStyle = values[1];
    // Only solid lines are wider than one unit.
    if (c->lineWidth != 1) {
        const INT32 one[2] = {0, 1};
        SetConnectorLineWidth(drawing, objects, row, 0, one);
    }
}

void SetConnectorArrowheads(Drawing* drawing, void* objects, int row, const INT32* values)
{
    DrawObject* c = AddressedObject(objects, row);
    if (c->groupRow >= 0)
        return;
    c->arrowStart = MergeArrowheadWord(c->arrowStart, values[0]);
    c->arrowEnd = MergeArrowheadWord(c->arrowEnd, values[2]);
    if (values[1] != -1)
        c->arrowSize = values[1];
    DeriveArrowEnds(c);
    RecalcConnectorRects(drawing, c);
}
