// An elbow connector as a hook target and holder: hook points on its segments, its ends and
// sides, its label placement, and the exchange of its outline with Make Shape and custom outlines.
#include "lines/connector_hooks.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "editing/edit_services.h"
#include "geometry/real_math.h"
#include "lines/connector_geometry.h"
#include "lines/connector_routing.h"
#include "lines/dimension_label.h"
#include "model/class_protocol.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/window_utils.h"
#include "shapes/metafile_playback.h"
#include "store/store_records.h"

namespace {

constexpr int kBox = 600;               // hook points name places in a 0..600 box
constexpr int kArcPoints = 30;          // points of one curved piece as an outline
constexpr int kMaxOutlinePoints = 600;  // an outline's point list holds fewer than this
constexpr int kShortSegment = 200;      // a label does not run along a segment shorter than this
constexpr int kLabelNear = 180;         // 0.3 and 0.7 of the box: a curved label's place
constexpr int kLabelFar = 420;

// The turn codes: the corner of a curved piece's box at which the square path would bend.
enum TurnCode { TurnTopLeft = 0, TurnBottomLeft = 1, TurnBottomRight = 2, TurnTopRight = 3 };

bool IsHorizontal(const ConnectorSegment& s) { return s.y1 == s.y2; }
bool IsVertical(const ConnectorSegment& s) { return s.x1 == s.x2; }
int SegmentLength(const ConnectorSegment& s) { return IsHorizontal(s) ? s.x2 - s.x1 : s.y2 - s.y1; }

bool SamePoint(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }
POINT Start(const ConnectorSegment& s) { return POINT{s.x1, s.y1}; }
POINT End(const ConnectorSegment& s) { return POINT{s.x2, s.y2}; }
bool Touches(const ConnectorSegment& s, POINT p) { return SamePoint(Start(s), p) || SamePoint(End(s), p); }
// The end of `s` that is not `p`.
POINT OtherEnd(const ConnectorSegment& s, POINT p) { return SamePoint(Start(s), p) ? End(s) : Start(s); }

POINT Origin(const DrawObject* c) { return POINT{c->innerRect.left, c->innerRect.top}; }
int InnerWidth(const DrawObject* c) { return c->innerRect.right - c->innerRect.left; }
int InnerHeight(const DrawObject* c) { return c->innerRect.bottom - c->innerRect.top; }

// A coordinate in the 0..600 box; along an extent of 0 every place is at 0.
int BoxCoord(int offset, int extent)
{
    return extent != 0 ? TruncReal(double(offset) * kBox / extent) : 0;
}

POINT ToBox(const DrawObject* c, POINT relative)
{
    return POINT{BoxCoord(relative.x, InnerWidth(c)), BoxCoord(relative.y, InnerHeight(c))};
}

bool IsCurvedPath(const DrawObject* c, const ConnectorSegmentBlock& path)
{
    return c->objType == ConnectorCurved && path.segmentCount >= 2;
}

// The connector's path as the class reads it: 0 or the error of loading it.
int ReadPath(int slot, const DrawObject* c, ConnectorSegmentBlock* path)
{
    HGLOBAL block = nullptr;
    if (int err = LoadConnectorPath(slot, c, &block))
        return err;
    *path = ReadConnectorPath(block);
    ReleaseBlock(block);
    return 0;
}

int ReadAddressedPath(Drawing* drawing, void* objects, int row, ConnectorSegmentBlock* path)
{
    return ReadPath(ClassStoreSlot(drawing, objects, row), AddressedObject(objects, row), path);
}

// The ellipse rectangle of curved piece `piece`, relative to the origin.
RECT PieceEllipse(const ConnectorSegmentBlock& path, int piece)
{
    RECT e = {0, 0, 0, 0};
    ConnectorSegmentAtPoint(&path, 0, 0, ConnectorCurved, &e, piece);
    return e;
}

// Moves `along` (a coordinate across the kept one) onto the piece's ellipse: of the two places
// on the ellipse at `kept`, the one nearer to `wanted` (the larger on a tie).
int OntoEllipse(int kept, int centreKept, int radiusKept, int centreMoved, int radiusMoved, double wanted)
{
    const double d = double(kept) - centreKept;
    // A piece without extent along the kept axis is met only at its centre.
    const double t = radiusKept != 0 ? d * d / (double(radiusKept) * radiusKept) : (d == 0 ? 0.0 : 1.0);
    const double offset = t >= 1.0 ? 0.0 : radiusMoved * RootOrZero(1.0 - t);
    const double plus = centreMoved + offset, minus = centreMoved - offset;
    return TruncReal(std::fabs(plus - wanted) <= std::fabs(minus - wanted) ? plus : minus);
}

// The curved piece that carries a place on segment p of the path.
int PieceOfSegment(const ConnectorSegmentBlock& path, int p, bool horizontal, POINT at)
{
    if (p == path.segmentCount - 1)
        return p - 1;
    if (p == 0)
        return p;
    const ConnectorSegment& s = path.segments[p];
    const ConnectorSegment& before = path.segments[p - 1];
    bool farHalf, beforeAtFar, beforeAtNear;
    if (horizontal) {
        farHalf = at.x >= s.x1 + (s.x2 - s.x1) / 2;
        beforeAtFar = Touches(before, POINT{s.x2, s.y1});
        beforeAtNear = Touches(before, POINT{s.x1, s.y1});
    } else {
        farHalf = at.y >= s.y1 + (s.y2 - s.y1) / 2;
        beforeAtFar = Touches(before, POINT{s.x1, s.y2});
        beforeAtNear = Touches(before, POINT{s.x1, s.y1});
    }
    return (farHalf && beforeAtFar) || (!farHalf && beforeAtNear) ? p - 1 : p;
}

// A box point to its drawing position on the path: onto the nearest vertical or horizontal
// segment, and for the curved kind onto the piece drawn there.
POINT MapBoxPoint(const ConnectorSegmentBlock& path, const DrawObject* c, POINT box)
{
    const double fx = double(box.x) * InnerWidth(c) / kBox;
    const double fy = double(box.y) * InnerHeight(c) / kBox;
    const int tx = TruncReal(fx), ty = TruncReal(fy);
    int vertical = -1, horizontal = -1, vDist = 0, hDist = 0;
    for (int i = 0; i < path.segmentCount; ++i) {
        const ConnectorSegment& s = path.segments[i];
        if (IsVertical(s)) {
            const int d = std::abs(tx - s.x1);
            if (vertical < 0 || d < vDist)
                vertical = i, vDist = d;
        }
        if (IsHorizontal(s)) {
            const int d = std::abs(ty - s.y1);
            if (horizontal < 0 || d < hDist)
                horizontal = i, hDist = d;
        }
    }
    const bool alongX = horizontal >= 0 && (vertical < 0 || hDist < vDist);
    const int p = alongX ? horizontal : vertical;
    const ConnectorSegment& s = path.segments[p];
    POINT at;
    if (alongX)
        at = POINT{TruncReal(std::clamp(fx, double(s.x1), double(s.x2))), s.y1};
    else
        at = POINT{s.x1, TruncReal(std::clamp(fy, double(s.y1), double(s.y2)))};

    if (IsCurvedPath(c, path)) {
        const RECT e = PieceEllipse(path, PieceOfSegment(path, p, alongX, at));
        const int rx = (e.right - e.left) / 2, ry = (e.bottom - e.top) / 2;
        const int cx = e.left + rx, cy = e.top + ry;
        if (alongX)
            at.y = OntoEllipse(at.x, cx, rx, cy, ry, fy);
        else
            at.x = OntoEllipse(at.y, cy, ry, cx, rx, fx);
    }
    const POINT origin = Origin(c);
    return POINT{origin.x + at.x, origin.y + at.y};
}

// The turn codes of the curved pieces, walking the square path's corners from its free start.
void TurnCodes(const ConnectorSegmentBlock& path, int* codes)
{
    const ConnectorSegment& first = path.segments[0];
    POINT p = Touches(path.segments[1], Start(first)) ? End(first) : Start(first);
    for (int i = 0; i + 1 < path.segmentCount; ++i) {
        const ConnectorSegment& s = path.segments[i];
        const POINT a = OtherEnd(s, p);
        const POINT b = OtherEnd(path.segments[i + 1], a);
        const bool above = b.y < p.y, rightward = p.x < b.x;
        if (IsVertical(s))
            codes[i] = above ? (rightward ? TurnTopLeft : TurnTopRight) : (rightward ? TurnBottomLeft : TurnBottomRight);
        else
            codes[i] = above ? (rightward ? TurnBottomRight : TurnBottomLeft) : (rightward ? TurnTopRight : TurnTopLeft);
        p = a;
    }
}

void WriteTurnCodes(HGLOBAL block, const int* codes, int pieces)
{
    BYTE* bytes = static_cast<BYTE*>(GlobalLock(block));
    if (!bytes)
        return;
    // The caller's block may be smaller than the pieces need: nothing is written past it.
    const SIZE_T size = GlobalSize(block);
    const auto put = [&](SIZE_T k, int code) {
        if (k < size)
            bytes[k] = static_cast<BYTE>(code);
    };
    put(0, codes[0]);
    put(1, codes[0]);
    for (int k = 1; k < pieces; ++k)
        put(static_cast<SIZE_T>(k), codes[k]);
    GlobalUnlock(block);
}

void Widen(RECT* rect, POINT p)
{
    rect->left = std::min<LONG>(rect->left, p.x);
    rect->top = std::min<LONG>(rect->top, p.y);
    rect->right = std::max<LONG>(rect->right, p.x);
    rect->bottom = std::max<LONG>(rect->bottom, p.y);
}

}  // namespace

void ConnectorHookPoint(Drawing* drawing, void* objects, int row, INT32* count, POINT* point)
{
    DrawObject* c = AddressedObject(objects, row);
    if (*count == 0) {
        // The rendering pass asks for the mark it drew last.
        *count = 1;
        *point = c->lastHookPoint;
        return;
    }
    *count = 1;
    ConnectorSegmentBlock path;
    if (ReadAddressedPath(drawing, objects, row, &path))
        return;
    const POINT origin = Origin(c);
    const POINT cursor = *point;
    const int i = ConnectorSegmentAtPoint(&path, cursor.x - origin.x, cursor.y - origin.y, c->objType, nullptr, -1);
    POINT result = cursor;
    if (i >= 0 && i < path.segmentCount) {
        const ConnectorSegment& s = path.segments[i];
        const bool snap = drawing && (drawing->drawingFlags & DrawSnap);
        POINT snapped = cursor;
        if (snap) {
            int fit = 0;
            SnapPointToGrid(drawing, &snapped, GetViewZoom(drawing->viewWindow, &fit));
        }
        POINT relative;
        if (IsHorizontal(s)) {
            const int x = snap ? std::clamp<int>(snapped.x - origin.x, s.x1, s.x2) : cursor.x - origin.x;
            relative = POINT{x, s.y1};
        } else {
            const int y = snap ? std::clamp<int>(snapped.y - origin.y, s.y1, s.y2) : cursor.y - origin.y;
            relative = POINT{s.x1, y};
        }
        result = ToBox(c, relative);
    }
    *point = result;
    // While the view shows the mark at the last point, that point must stay for its erasing.
    if (!(c->state & StateShowHooks))
        c->lastHookPoint = result;
}

void MapConnectorHookPoint(Drawing* drawing, void* objects, int row, int n, int code, POINT* points)
{
    if (n < 1)
        return;
    const DrawObject* c = AddressedObject(objects, row);
    ConnectorSegmentBlock path;
    if (ReadAddressedPath(drawing, objects, row, &path))
        return;
    if (code >= 201 && code <= 209) {
        INT32 angle = 0;
        PlaceConnectorLabel(&path, c, &points[0], &angle);
        return;
    }
    for (int k = 0; k < n; ++k)
        points[k] = MapBoxPoint(path, c, points[k]);
}

void ConnectorSnapPoints(Drawing* drawing, void* objects, int row, INT32* count, POINT* points)
{
    *count = 0;
    const DrawObject* c = AddressedObject(objects, row);
    ConnectorSegmentBlock path;
    if (ReadAddressedPath(drawing, objects, row, &path))
        return;
    *count = 2;
    points[0] = ToBox(c, ConnectorEndPoint(&path, 0));
    points[1] = ToBox(c, ConnectorEndPoint(&path, 1));
}

void ConnectorHandleToEnd(Drawing*, void*, int, int code, INT32* end)
{
    switch (code) {
    case 1: case 3: case 5: case ConnectorFirstPoint:
        *end = 1;
        break;
    case 2: case 4: case 6: case ConnectorLastPoint:
        *end = 2;
        break;
    default:
        *end = -1;
        break;
    }
}

int ConnectorEndPosition(Drawing* drawing, void* objects, int row, int end, INT32* otherEnd, POINT* point)
{
    const DrawObject* c = AddressedObject(objects, row);
    ConnectorSegmentBlock path;
    if (int err = ReadAddressedPath(drawing, objects, row, &path))
        return err;
    const bool first = end == 1;
    const POINT p = ConnectorEndPoint(&path, first ? 0 : 1);
    const POINT origin = Origin(c);
    *point = POINT{origin.x + p.x, origin.y + p.y};
    // The corner code that keeps the other end in place.
    if (otherEnd)
        *otherEnd = first ? 2 : 1;
    return 0;
}

void ConnectorSize(Drawing*, void* objects, int row, POINT* size)
{
    const DrawObject* c = AddressedObject(objects, row);
    *size = POINT{InnerWidth(c), InnerHeight(c)};
}

int ConnectorSideAtPoint(Drawing* drawing, void* objects, int row, const POINT* onLine, const POINT* other)
{
    const DrawObject* c = AddressedObject(objects, row);
    ConnectorSegmentBlock path;
    if (ReadAddressedPath(drawing, objects, row, &path))
        return 0;
    const POINT origin = Origin(c);
    RECT e = {0, 0, 0, 0};
    const int i = ConnectorSegmentAtPoint(&path, onLine->x - origin.x, onLine->y - origin.y, c->objType, &e, -1);
    if (i < 0 || i >= path.segmentCount)
        return 0;
    bool acrossX;
    if (IsCurvedPath(c, path))
        acrossX = e.right - e.left < e.bottom - e.top;   // a piece narrower than high
    else
        acrossX = !IsHorizontal(path.segments[i]);
    if (acrossX)
        return other->x < onLine->x ? SideLeft : SideRight;
    return other->y < onLine->y ? SideTop : SideBottom;
}

void ConnectorFrame(Drawing*, void* objects, int row, RECT* rect)
{
    *rect = AddressedObject(objects, row)->frame;
}

void PlaceConnectorLabel(const ConnectorSegmentBlock* path, const DrawObject* c, POINT* point, INT32* angle)
{
    const int n = path->segmentCount;
    if (c->objType == ConnectorCurved && n == 2) {
        // On the one quarter ellipse, 0.3 or 0.7 of the way across by where its centre lies.
        const RECT e = PieceEllipse(*path, 0);
        const POINT box = {e.left < 0 ? kLabelFar : kLabelNear, e.top < 0 ? kLabelFar : kLabelNear};
        *point = MapBoxPoint(*path, c, box);
        const int w = InnerWidth(c) == 0 ? 1 : InnerWidth(c);
        const int a = TruncReal(std::atan(double(InnerHeight(c)) / w) * 1800.0 / kPi);
        int result;
        if (ConnectorEndPoint(path, 0).y == 0) {
            result = -a;
            if (result > 0)
                result = -a - 1800;
        } else {
            result = a;
            if (result < 0)
                result = a + 1800;
        }
        *angle = result;
        return;
    }
    const int m = n / 2;
    int chosen = m, result = 0;
    const ConnectorSegment& s = path->segments[m];
    if (n % 2 == 0) {
        const int before = SegmentLength(path->segments[m - 1]);
        if (IsHorizontal(s)) {
            if (3 * SegmentLength(s) < before)
                chosen = m - 1, result = 900;
        } else if (SegmentLength(s) < 3 * before) {
            chosen = m - 1;
        } else {
            result = 900;
        }
    } else if (IsHorizontal(s)) {
        result = SegmentLength(s) < kShortSegment ? 900 : 0;
    } else {
        result = SegmentLength(s) < kShortSegment ? 0 : 900;
    }
    const ConnectorSegment& g = path->segments[chosen];
    const POINT origin = Origin(c);
    *point = POINT{origin.x + g.x1 + (g.x2 - g.x1) / 2, origin.y + g.y1 + (g.y2 - g.y1) / 2};
    *angle = result;
}

int ConnectorLabelPlacement(Drawing* drawing, const DrawObject* connector, int, POINT* point, INT32* angle)
{
    ConnectorSegmentBlock path;
    if (int err = ReadPath(ClassStoreSlot(drawing, nullptr, -1), connector, &path))
        return err;
    PlaceConnectorLabel(&path, connector, point, angle);
    return 0;
}

void ConnectorLabelAngle(Drawing* drawing, void* objects, int row, int answer, int, INT32* angle)
{
    if (answer == 0)
        return;
    ConnectorSegmentBlock path;
    if (ReadAddressedPath(drawing, objects, row, &path))
        return;
    POINT point;
    PlaceConnectorLabel(&path, AddressedObject(objects, row), &point, angle);
}

int SquareConnectorPoints(const ConnectorSegmentBlock* path, POINT origin, POINT* points)
{
    POINT p = ConnectorEndPoint(path, 0);
    points[0] = POINT{origin.x + p.x, origin.y + p.y};
    for (int i = 0; i < path->segmentCount; ++i) {
        p = OtherEnd(path->segments[i], p);
        points[i + 1] = POINT{origin.x + p.x, origin.y + p.y};
    }
    return path->segmentCount + 1;
}

int GetConnectorPath(HGLOBAL turnCodes, RECT* bounds, void* objects, int row, INT32* count, POINT* points)
{
    const DrawObject* c = AddressedObject(objects, row);
    ConnectorSegmentBlock path;
    if (ReadPath(ClassStoreSlot(nullptr, objects, row), c, &path))
        return 0;
    int written;
    if (IsCurvedPath(c, path)) {
        // The ends of the curved pieces; each piece becomes 30 outline points (message 75).
        RECT rects[kConnectorMaxSegments];
        int handles = 0;
        GetConnectorHandlePoints(&path, Origin(c), points, rects, &handles);
        written = std::clamp(handles, 0, kConnectorMaxSegments);
        const int pieces = path.segmentCount - 1;
        if (count)
            *count = kArcPoints * pieces;
        if (turnCodes) {
            int codes[kConnectorMaxSegments] = {};
            TurnCodes(path, codes);
            WriteTurnCodes(turnCodes, codes, pieces);
        }
    } else {
        written = SquareConnectorPoints(&path, Origin(c), points);
        if (count)
            *count = written;
    }
    if (bounds)
        for (int i = 0; i < written; ++i)
            Widen(bounds, points[i]);
    return written;
}

void GetConnectorGeometry(Drawing* drawing, void* objects, int row, int turnCode, OutlineVertex* descriptor)
{
    ConnectorSegmentBlock path;
    if (ReadAddressedPath(drawing, objects, row, &path))
        return;
    const bool curved = IsCurvedPath(AddressedObject(objects, row), path);
    descriptor->pieceClass = curved ? ClassConnector : ClassLine;
    descriptor->orientation = 1;
    descriptor->lineShape = curved ? turnCode : 0;
    descriptor->param = 0.0;
}

void ConnectorArcToPoints(const INT32* segment, const OutlinePointBlock* block, int vertex, INT32* count,
                          POINT* points)
{
    // The vertex index comes with the message; it must name a vertex the block counts.
    if (vertex <= 0 || vertex >= block->count)
        return;
    const OutlineVertex& v = reinterpret_cast<const OutlineVertex*>(block + 1)[vertex];
    if (v.pieceClass != ClassConnector || v.orientation != 1)
        return;
    const POINT first = {segment[0], segment[1]}, second = {segment[2], segment[3]};
    const bool firstLeft = first.x < second.x;
    const POINT l = firstLeft ? first : second, r = firstLeft ? second : first;
    const int dx = std::abs(first.x - second.x), dy = std::abs(first.y - second.y);
    RECT ellipse;
    bool fromLeft;
    switch (v.lineShape) {
    case TurnTopLeft:
        ellipse = RECT{l.x, r.y, l.x + 2 * dx, r.y + 2 * dy};
        fromLeft = false;
        break;
    case TurnBottomLeft:
        ellipse = RECT{l.x, r.y - 2 * dy, l.x + 2 * dx, r.y};
        fromLeft = true;
        break;
    case TurnBottomRight:
        ellipse = RECT{r.x - 2 * dx, l.y - 2 * dy, r.x, l.y};
        fromLeft = true;
        break;
    case TurnTopRight:
        ellipse = RECT{r.x - 2 * dx, l.y, r.x, l.y + 2 * dy};
        fromLeft = false;
        break;
    default:
        return;
    }
    const POINT from = fromLeft ? l : r, to = fromLeft ? r : l;
    POINT arc[8 * kArcPoints + 2];
    int n = 0;
    ArcToPoints(&ellipse, from.x, from.y, to.x, to.y, 0, kArcPoints, arc, &n);
    // A start on the border of two quarters is walked from the earlier one, which repeats it
    // before the arc's own quarter: the arc is the last 30 points.
    const int k = std::min(n, kArcPoints);
    const POINT* own = arc + (n - k);
    const int written = *count;
    if (k < 1 || written < 1 || written + k >= kMaxOutlinePoints)
        return;
    // The arc runs from `from`; the list runs from the first given point.
    const bool reverse = fromLeft != firstLeft;
    for (int i = 0; i < k; ++i)
        points[written - 1 + i] = own[reverse ? k - 1 - i : i];
    *count = written + k - 1;
}

void SetConnectorGeometry(Drawing* drawing, void* objects, int row, int vertex, const OutlinePointBlock* block)
{
    // The vertex index comes with the message; it must name a vertex the block counts.
    if (vertex < 0 || vertex >= block->count)
        return;
    const int turn = reinterpret_cast<const OutlineVertex*>(block + 1)[vertex].lineShape;
    DrawObject* c = AddressedObject(objects, row);
    const int w = InnerWidth(c), h = InnerHeight(c);
    ConnectorSegment first, second;
    int corner;
    switch (turn) {
    case TurnTopLeft:
        first = {0, 0, 0, h}, second = {0, 0, w, 0}, corner = 3;
        break;
    case TurnBottomLeft:
        first = {0, 0, 0, h}, second = {0, h, w, h}, corner = 1;
        break;
    case TurnBottomRight:
        first = {0, h, w, h}, second = {w, 0, w, h}, corner = 2;
        break;
    case TurnTopRight:
        first = {0, 0, w, 0}, second = {w, 0, w, h}, corner = 4;
        break;
    default:
        return;
    }
    HGLOBAL record = nullptr;
    if (LoadConnectorPath(ClassStoreSlot(drawing, objects, row), c, &record))
        return;
    ConnectorSegmentBlock path = ReadConnectorPath(record);
    path.segmentCount = 2;
    path.segments[0] = first;
    path.segments[1] = second;
    path.startSide = path.endSide = SideNone;
    const int err = WriteConnectorPath(record, path);
    ReleaseBlock(record);
    if (err)
        return;
    c->objType = ConnectorCurved;
    c->lineShape = corner;
    RecalcConnectorRects(drawing, c);
}

int ShowConnectorLength(Drawing* drawing, void* objects, int row, const INT32* values)
{
    if (row < 0)
        return 0;
    return SetShowLength(drawing, static_cast<ObjectList*>(objects), row, values);
}

ConnectorLabelPartner NoteConnectorLabelPartner(ObjectList* list, int row, const DrawObject* c)
{
    ConnectorLabelPartner partner;
    if (!list || row < 0 || c->labelId == kNoLabel || (c->state & StateAttachedLabel))
        return partner;
    const int found = FindObjectById(list, c->labelId, c->labelRow);
    if (found < 0 || found == row)
        return partner;
    partner.row = found;
    partner.angle = (*list)[found].angle;
    return partner;
}

void TurnConnectorLabelPartner(Drawing* drawing, ObjectList* list, int row, const ConnectorLabelPartner& partner)
{
    if (partner.row < 0)
        return;
    DrawObject& label = (*list)[partner.row];
    const int code = HookSlotsInUse(label) > 0 ? label.hooks[0].holderCode : 0;
    INT32 angle = partner.angle;
    ConnectorLabelAngle(drawing, list, row, 1, code, &angle);
    if (angle == partner.angle || !(label.state & StateAttachedLabel))
        return;
    HWND view = drawing ? drawing->viewWindow : nullptr;
    InvalidateLogicalRect(view, &label.updateRect);
    SendClassMessage(nullptr, drawing, list, partner.row, OM_SETANGLE, angle);
    InvalidateLogicalRect(view, &(*list)[partner.row].updateRect);
}

int ConnectorSideOnTarget(Drawing* drawing, ObjectList* objects, int target, POINT box, POINT end, POINT other)
{
    const int side = static_cast<int>(SendClassMessage(nullptr, drawing, objects, target, OM_ENDSIDE, 0,
                                                       static_cast<int>(reinterpret_cast<INT_PTR>(&end)), &other));
    return side != 0 ? SoundConnectorSide(side) : NearestSideOfBoxPoint(box.x, box.y);
}
