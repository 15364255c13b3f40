// What a straight line does under the mouse: its handles and hit test, the XOR feedback of
// creation, end drags, moves and rotation, its rotation handle and the rotation itself.
#include "lines/line_tracking.h"

#include <cmath>
#include <cstdlib>
#include <utility>

#include "editing/edit_services.h"
#include "frame/frame_services.h"
#include "geometry/handle_codes.h"
#include "geometry/line_direction.h"
#include "geometry/point_geometry.h"
#include "geometry/real_math.h"
#include "lines/line_class.h"
#include "lines/line_geometry.h"
#include "lines/line_paint.h"
#include "lines/line_shape.h"
#include "model/class_protocol.h"
#include "model/groups.h"
#include "model/links.h"
#include "model/render.h"
#include "model/selection.h"
#include "shapes/shape_paint.h"

namespace {

constexpr int kRotationReach = 324;  // a line reaching less in x and y has no rotation handle
constexpr int kRotationBack = 84;    // how far the rotation handle sits back from end 2
constexpr int kHandleSide = 54;
constexpr int kForceHandle = 0x2;    // OM_EXTRAHANDLE: skip the hook and size conditions
constexpr int kBodyMargin = 6;       // slack around the body of a plain line
constexpr int kBulgeSlack = 12;      // apex drift a rotation may cause without a side change

constexpr int kHitSlantedBody = 40;
constexpr int kHitVerticalBody = 41;
constexpr int kHitHorizontalBody = 42;
constexpr int kHitAttachment = 45;

enum RotationHandleCode {
    RotateHorizontal = 142,
    RotateVertical = 143,
    RotateRising = 144,
    RotateFalling = 145,
};

struct HandleCodes {
    int end1;
    int end2;
    int extra;  // code of the first extra shape handle
};

HandleCodes HandleCodesOf(const DrawObject* line)
{
    switch (LineOrientationOf(line)) {
    case LineHorizontal:
        return {20, 21, 62};
    case LineVertical:
        return {22, 23, 60};
    default:
        return IsLineRising(line) ? HandleCodes{26, 25, 64} : HandleCodes{24, 27, 66};
    }
}

// The line-shape path of a line over its own frame, as points, and its extra handles.
struct ShapePath {
    POINT points[kLinePathPoints];
    int count = 0;
    int kind = 0;
    RECT extra[2];
    int extraCount = 0;
};

void BuildShapePath(const DrawObject* line, ShapePath* path)
{
    BuildLineShapePath(line, &line->frame, line->axisCoord, line->param, 0, path->points,
                       &path->count, &path->kind, TRUE, nullptr);
    GetLineShapeHandleRects(line, path->points, path->count, path->kind, path->extra,
                            &path->extraCount);
}

// The point an extra handle rect stands for (its top-left corner shrunk by the half side).
POINT ExtraHandlePoint(const RECT& rect)
{
    return POINT{rect.left + kLineShapeHandleHalf, rect.top + kLineShapeHandleHalf};
}

// The cursor of a feedback message: the corner of the spanned rect opposite the anchor.
POINT CursorOf(const RECT& rect, POINT anchor)
{
    return SidePointOfRect(rect, OppositeSide(HandleCodeAtPoint(&rect, anchor.x, anchor.y)));
}

// Side of P relative to the fixed end A in the bulge test: left or right as the pair runs.
bool LiesLeft(POINT a, POINT p)
{
    if (ClassifyLineDirection(a.x, a.y, p.x, p.y, 1) == LineVertical)
        return p.y > a.y;
    return p.x < a.x;
}

// The line turned by `delta` about its frame centre: new frame, orientation (classified with
// `mode`), line coordinate and rising flag, the arrowheads exchanged when the ends trade roles,
// and an arc's bulge kept on the side it was on. `ends` gets the turned top and bottom ends.
DrawObject TurnedLine(const DrawObject* line, int delta, int mode, POINT ends[2])
{
    DrawObject out = *line;
    const bool arc = line->lineShape == LineArc && line->param != 0;
    bool haveBulge = false;
    POINT bulge = {0, 0};
    if (arc) {
        ShapePath path;
        BuildShapePath(line, &path);
        if (path.extraCount > 0) {
            bulge = ExtraHandlePoint(path.extra[0]);
            haveBulge = true;
        }
    }

    const RECT e = LineEndsRect(line);
    const bool rising = IsLineRising(line);
    ends[0] = rising ? POINT{e.right, e.top} : POINT{e.left, e.top};
    ends[1] = rising ? POINT{e.left, e.bottom} : POINT{e.right, e.bottom};
    const POINT oldCentre = LineFrameCentre(line->frame);
    RotatePoints(&line->frame, delta, ends, 2);

    RECT f = {ends[0].x, ends[0].y, ends[1].x, ends[1].y};
    if (f.right < f.left)
        std::swap(f.left, f.right);
    if (f.bottom < f.top)
        std::swap(f.top, f.bottom);
    out.frame = out.updateRect = out.innerRect = out.textRect = f;
    out.objType = ClassifyLineDirection(f.left, f.top, f.right, f.bottom, mode);
    if (out.objType == LineHorizontal) {
        out.axisCoord = oldCentre.y;
        out.state &= ~StateRising;
    } else if (out.objType == LineVertical) {
        out.axisCoord = oldCentre.x;
        out.state &= ~StateRising;
    } else {
        const int top = HandleCodeAtPoint(&f, ends[0].x, ends[0].y);
        if (top == HandleLeftTop || top == HandleRightBottom)
            out.state &= ~StateRising;
        else
            out.state |= StateRising;
    }

    // The old end 2 (the bottom end of a falling line, the top end of a rising one) on the start
    // side makes it end 1.
    const POINT oldEnd2 = rising ? ends[0] : ends[1];
    const int code = HandleCodeAtPoint(&f, oldEnd2.x, oldEnd2.y);
    const bool exchange = out.objType == LineVertical
                              ? code == HandleLeftTop || code == HandleRightTop
                              : code == HandleLeftTop || code == HandleLeftBottom;
    if (exchange) {
        std::swap(out.arrowStart, out.arrowEnd);
        DeriveArrowEnds(&out);
    }

    if (haveBulge) {
        RotatePoints(&f, delta, &bulge, 1);
        ShapePath path;
        BuildShapePath(&out, &path);
        if (path.extraCount > 0) {
            const POINT now = ExtraHandlePoint(path.extra[0]);
            if (std::abs(now.x - bulge.x) > kBulgeSlack || std::abs(now.y - bulge.y) > kBulgeSlack)
                out.param = -out.param;
        }
    }
    return out;
}

// Messages 67 and 25 commit the turn: the rects follow and the line's links are re-fitted.
void TurnLine(Drawing* drawing, DrawObject* line, int delta)
{
    POINT ends[2];
    *line = TurnedLine(line, delta, 1, ends);
    RecalcLineBounds(drawing, line);
    if (drawing)
        MarkLinksChanged(drawing, line->objId, LinkChanged | LinkRefit, line->groupId,
                         line->groupRow);
}

// The snap option turns to the nearest multiple of 15 degrees of the line's angle.
int SnappedDelta(const DrawObject* line, int delta)
{
    const int current = LineLabelAngle(line);
    return SnapAngle(current + delta) - current;
}

}  // namespace

void DrawXorLine(HDC dc, int x0, int y0, int x1, int y1, BOOL solid)
{
    const int rop = GetROP2(dc);
    HPEN dotted = solid ? nullptr : CreatePen(PS_DOT, 1, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(dc, solid ? GetStockObject(BLACK_PEN) : dotted);
    SetROP2(dc, R2_NOT);
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    SetROP2(dc, rop);
    SelectObject(dc, old);
    if (dotted)
        DeleteObject(dotted);
}

void DrawLineHandles(HDC dc, Drawing* drawing, void* objects, int row)
{
    if (!dc || !objects)
        return;
    const DrawObject* line = AddressedObject(objects, row);
    const int saved = SaveDC(dc);
    SelectLockedHandleBrush(dc);

    ShapePath path;
    BuildShapePath(line, &path);
    const BOOL locked = (line->state & StateLocked) != 0;
    const BOOL current = drawing && row == drawing->currentRow;
    const HandleCodes codes = HandleCodesOf(line);
    RECT rect;
    GetHandleRect(line, &rect, codes.end1, nullptr);
    DrawSelectionHandle(dc, &rect, locked, current, FindHookByEndCode(line, 1) >= 0);
    GetHandleRect(line, &rect, codes.end2, nullptr);
    DrawSelectionHandle(dc, &rect, locked, current, FindHookByEndCode(line, 2) >= 0);
    DrawRotationHandle(dc, drawing, objects, row);
    for (int i = 0; i < path.extraCount; ++i)
        DrawSelectionHandle(dc, &path.extra[i], locked, current, FALSE);
    RestoreDC(dc, saved);
}

int HitTestStraightLine(Drawing* drawing, void* objects, int row, POINT point)
{
    if (!objects)
        return 0;
    const DrawObject* line = AddressedObject(objects, row);
    const bool selected = (line->state & StateSelected) != 0;
    if (selected) {
        POINT centre;
        RECT rect;
        const int code = GetLineRotationHandle(drawing, line, 1, &centre, &rect);
        if (code && PtInRect(&rect, point))
            return code;
    }
    if (row >= 0 && HasAttachment(static_cast<ObjectList*>(objects)->header.slot, line)) {
        RECT marker;
        GetLineAttachmentMarkerRect(line, &marker);
        if (PtInRect(&marker, point))
            return kHitAttachment;
    }

    ShapePath path;
    BuildShapePath(line, &path);
    if (selected) {
        const HandleCodes codes = HandleCodesOf(line);
        RECT rect;
        GetHandleRect(line, &rect, codes.end1, nullptr);
        if (PtInRect(&rect, point))
            return codes.end1;
        GetHandleRect(line, &rect, codes.end2, nullptr);
        if (PtInRect(&rect, point))
            return codes.end2;
        for (int i = 0; i < path.extraCount; ++i) {
            if (PtInRect(&path.extra[i], point))
                return codes.extra + i;
        }
    }
    if (path.count > 0)
        return HitTestLinePath(line, path.points, path.count, point.x, point.y);

    const int orientation = LineOrientationOf(line);
    if (orientation != LineSlanted) {
        RECT body = line->innerRect;
        InflateRect(&body, kBodyMargin, kBodyMargin);
        if (!PtInRect(&body, point))
            return 0;
        return orientation == LineHorizontal ? kHitHorizontalBody : kHitVerticalBody;
    }

    const RECT& f = line->frame;
    RECT reach = f;
    InflateRect(&reach, kBodyMargin, kBodyMargin);
    if (!PtInRect(&reach, point))
        return 0;
    // The band is T across the line; measured along an axis it widens by len / dx or len / dy.
    const int T = line->lineWidth / 2 + kBodyMargin;
    const LONGLONG dx = f.right - f.left, dy = f.bottom - f.top;
    const double len = std::sqrt(double(dx) * dx + double(dy) * dy);
    const bool rising = IsLineRising(line);
    if (dx != 0 && dy < dx) {
        const LONGLONG run = (point.x - f.left) * dy / dx;
        const LONGLONG yl = rising ? f.bottom - run : f.top + run;
        const int t = TruncReal(T * (len / double(dx)));
        return point.y >= yl - t && point.y <= yl + t ? kHitSlantedBody : 0;
    }
    // Steep, or a line of no length: across the x at the point's y.
    const LONGLONG rise = dy == 0 ? 0 : (rising ? f.bottom - point.y : point.y - f.top) * dx / dy;
    const LONGLONG xl = f.left + rise;
    const int t = TruncReal(T * (dy == 0 ? 1.0 : len / double(dy)));
    return point.x >= xl - t && point.x <= xl + t ? kHitSlantedBody : 0;
}

int GetLineRotationHandle(Drawing*, const DrawObject* line, int flags, POINT* centre, RECT* rect)
{
    const bool forced = (flags & kForceHandle) != 0;
    const RECT& f = line->frame;
    const LONG dx = f.right - f.left, dy = f.bottom - f.top;
    if (!forced && (HookSlotsInUse(*line) > 0 || (dx < kRotationReach && dy < kRotationReach)))
        return 0;
    RECT r;
    int code;
    switch (LineOrientationOf(line)) {
    case LineHorizontal:
        GetHandleRect(line, &r, 21, nullptr);
        OffsetRect(&r, -kRotationBack, 0);
        code = RotateHorizontal;
        break;
    case LineVertical:
        GetHandleRect(line, &r, 23, nullptr);
        OffsetRect(&r, 0, -kRotationBack);
        code = RotateVertical;
        break;
    default: {
        // A line of no length has no direction to move back along.
        const double len = std::sqrt(double(dx) * dx + double(dy) * dy);
        const int backX = len > 0 ? TruncReal(-kRotationBack * dx / len) : 0;
        const int backY = len > 0 ? TruncReal(kRotationBack * dy / len) : 0;
        if (IsLineRising(line)) {
            SetRect(&r, f.right - kHandleSide, f.top, f.right, f.top + kHandleSide);
            if (!forced)
                OffsetRect(&r, backX + kHandleSide / 2, backY - kHandleSide / 2);
            code = RotateRising;
        } else {
            GetHandleRect(line, &r, 27, nullptr);
            if (!forced)
                OffsetRect(&r, backX, -backY);
            code = RotateFalling;
        }
        break;
    }
    }
    if (rect)
        *rect = r;
    if (centre)
        *centre = POINT{(r.right - r.left) / 2 + r.left, (r.bottom - r.top) / 2 + r.top};
    return code;
}

void TrackLineEnd(HDC dc, Drawing* drawing, void* objects, int row, int message, POINT anchor,
                  const RECT* rect)
{
    if (!dc || !rect)
        return;
    const RECT& p = *rect;
    const int orientation =
        ClassifyLineDirection(p.left, p.top, p.right, p.bottom, LineDirectionMode(drawing));
    const int anchorCode = HandleCodeAtPoint(&p, anchor.x, anchor.y);
    if (message == OM_TRACKHANDLE && objects) {
        const DrawObject* line = AddressedObject(objects, row);
        if (line->lineShape == LineArc) {
            DrawObject copy = *line;
            copy.frame = p;
            copy.objType = orientation;
            copy.axisCoord = orientation == LineHorizontal ? p.top : p.left;
            if (anchorCode == HandleLeftTop || anchorCode == HandleRightBottom)
                copy.state &= ~StateRising;
            else
                copy.state |= StateRising;
            if (ArcBulgeFlips(line, anchor, CursorOf(p, anchor)))
                copy.param = -copy.param;
            POINT points[kLinePathPoints];
            int count = 0, kind = 0;
            BuildLineShapePath(&copy, &p, copy.axisCoord, copy.param, 0, points, &count, &kind,
                               TRUE, nullptr);
            if (count > 0) {
                XorLineShapePath(dc, points, count, TRUE, kind);
                return;
            }
        }
    }
    switch (orientation) {
    case LineVertical:
        DrawXorLine(dc, anchor.x, p.bottom, anchor.x, p.top, TRUE);
        break;
    case LineHorizontal:
        DrawXorLine(dc, p.left, anchor.y, p.right, anchor.y, TRUE);
        break;
    default:
        // From the anchor's corner to the opposite one.
        if (anchorCode == HandleLeftBottom)
            DrawXorLine(dc, p.left, p.bottom, p.right, p.top, TRUE);
        else if (anchorCode == HandleLeftTop)
            DrawXorLine(dc, p.left, p.top, p.right, p.bottom, TRUE);
        else if (anchorCode == HandleRightBottom)
            DrawXorLine(dc, p.right, p.bottom, p.left, p.top, TRUE);
        else
            DrawXorLine(dc, p.right, p.top, p.left, p.bottom, TRUE);
        break;
    }
}

void TrackLineMove(HDC dc, Drawing*, void* objects, int row, const RECT* frame)
{
    if (!dc || !objects || !frame)
        return;
    const DrawObject* line = AddressedObject(objects, row);
    const RECT& p = *frame;
    const int orientation = LineOrientationOf(line);
    if (line->lineShape == LineArc) {
        POINT points[kLinePathPoints];
        int count = 0, kind = 0;
        const int c0 = orientation == LineHorizontal ? p.top : p.left;
        BuildLineShapePath(line, &p, c0, line->param, 0, points, &count, &kind, TRUE, nullptr);
        if (count > 0) {
            XorLineShapePath(dc, points, count, FALSE, kind);
            return;
        }
    }
    switch (orientation) {
    case LineHorizontal:
        DrawXorLine(dc, p.left, p.top, p.right, p.top, FALSE);
        break;
    case LineVertical:
        DrawXorLine(dc, p.left, p.top, p.left, p.bottom, FALSE);
        break;
    default:
        if (IsLineRising(line))
            DrawXorLine(dc, p.left, p.bottom, p.right, p.top, FALSE);
        else
            DrawXorLine(dc, p.left, p.top, p.right, p.bottom, FALSE);
        break;
    }
}

void TrackLineRotation(HDC dc, Drawing* drawing, void* objects, int row, POINT anchor,
                       const RECT* rect)
{
    if (!dc || row < 0 || !objects || !rect)
        return;
    const DrawObject* line = AddressedObject(objects, row);
    POINT handle;
    RECT handleRect;
    // A line without a handle of its own turns about the forced one, as the drop (67) does.
    if (!GetLineRotationHandle(drawing, line, 1, &handle, &handleRect))
        GetLineRotationHandle(drawing, line, kForceHandle, &handle, &handleRect);
    const POINT cursor = CursorOf(*rect, anchor);
    const POINT c = LineFrameCentre(line->frame);
    int delta = AngleFromDrag(c.x, c.y, handle.x, handle.y, cursor.x, cursor.y);
    if (drawing && (drawing->drawingFlags & DrawSnap))
        delta = SnappedDelta(line, delta);

    POINT ends[2];
    const DrawObject turned = TurnedLine(line, delta, LineDirectionMode(drawing), ends);
    if (turned.lineShape == LineArc) {
        POINT points[kLinePathPoints];
        int count = 0, kind = 0;
        BuildLineShapePath(&turned, &turned.frame, turned.axisCoord, turned.param, 0, points,
                           &count, &kind, TRUE, nullptr);
        if (count > 0) {
            XorLineShapePath(dc, points, count, FALSE, kind);
            return;
        }
    }
    DrawXorLine(dc, ends[0].x, ends[0].y, ends[1].x, ends[1].y, FALSE);
}

int RotateLineToPoint(Drawing* drawing, void* objects, int row, const POINT* cursor)
{
    if (!objects || !cursor)
        return 0;
    DrawObject* line = AddressedObject(objects, row);
    if (drawing)
        line->groupRow =
            line->groupId != 0 ? FindGroupIndex(drawing, line->groupId, line->groupRow, 0) : -1;
    POINT handle;
    RECT handleRect;
    GetLineRotationHandle(drawing, line, kForceHandle, &handle, &handleRect);
    const POINT c = LineFrameCentre(line->frame);
    int delta = AngleFromDrag(c.x, c.y, handle.x, handle.y, cursor->x, cursor->y);
    // Inside a group the group's own turn decides; the snap applies to lines on their own.
    if (drawing && (drawing->drawingFlags & DrawSnap) && line->groupRow < 0)
        delta = SnappedDelta(line, delta);
    if (delta == 0)
        return 0;
    TurnLine(drawing, line, delta);
    return 0;
}

void SetLineAngle(Drawing* drawing, void* objects, int row, int angle)
{
    if (!objects)
        return;
    DrawObject* line = AddressedObject(objects, row);
    const int current = LineLabelAngle(line);
    if (angle == current)
        return;
    TurnLine(drawing, line, angle - current);
}

BOOL ArcBulgeFlips(const DrawObject* line, POINT anchor, POINT cursor)
{
    if (line->lineShape != LineArc)
        return FALSE;
    // The dragged end's old place is the corner opposite the fixed end's, on the box of the
    // ends, not the frame, whose cross extent would move it off the line.
    const RECT ends = LineEndsRect(line);
    const int anchorCorner = HandleCodeAtPoint(&ends, anchor.x, anchor.y);
    const POINT old = SidePointOfRect(ends, OppositeSide(anchorCorner));
    return LiesLeft(anchor, old) != LiesLeft(anchor, cursor);
}
