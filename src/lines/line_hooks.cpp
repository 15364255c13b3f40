// A straight line as a hook target and as a holder: hook points along it, the frame after an
// end moved, and the size, bounds, path and geometry queries.
#include "lines/line_hooks.h"

#include <algorithm>
#include <cmath>

#include "editing/edit_services.h"
#include "geometry/line_direction.h"
#include "geometry/point_geometry.h"
#include "geometry/real_math.h"
#include "lines/line_geometry.h"
#include "lines/line_shape.h"
#include "model/drawing.h"
#include "model/groups.h"
#include "model/window_utils.h"

namespace {

constexpr int kBox = 600;                 // hook points name places in a 0..600 box
constexpr int kBoundsMargin = 24;         // the bounds pass grows a shaped path by width + 24
constexpr int kMaxOutlinePathPoints = 600;
constexpr int kHolderHorizontal = 0x4;    // holder hookMask bit of a horizontal line

bool IsShapedLine(const DrawObject* line)
{
    return line->lineShape == LineZigzag || line->lineShape == LineSteps ||
           line->lineShape == LineArc;
}

// The share `offset / span` of the way along; a line without extent in that direction (a
// zero-length line) has every place at its start.
double Fraction(double offset, double span)
{
    return span != 0 ? offset / span : 0.0;
}

int BoxOf(double offset, double span)
{
    return TruncReal(Fraction(offset, span) * kBox);
}

// The position of box point (u, v) on the straight line between the ends.
POINT BoxToPosition(const DrawObject* line, POINT box)
{
    const RECT& f = line->frame;
    const double dx = double(f.right) - f.left, dy = double(f.bottom) - f.top;
    const int alongX = f.left + TruncReal(dx * box.x / kBox);
    switch (LineOrientationOf(line)) {
    case LineHorizontal:
        return POINT{alongX, line->axisCoord};
    case LineVertical:
        return POINT{line->axisCoord, f.top + TruncReal(dy * box.y / kBox)};
    default:
        if (IsLineRising(line))
            return POINT{alongX, f.bottom - TruncReal(dy * box.y / kBox)};
        return POINT{alongX, f.top + TruncReal(dy * box.y / kBox)};
    }
}

void Widen(RECT* rect, POINT p)
{
    rect->left = std::min<LONG>(rect->left, p.x);
    rect->top = std::min<LONG>(rect->top, p.y);
    rect->right = std::max<LONG>(rect->right, p.x);
    rect->bottom = std::max<LONG>(rect->bottom, p.y);
}

}  // namespace

void GetLineHookPoint(Drawing* drawing, DrawObject* line, int holderMask, INT32* count, POINT* p)
{
    if (*count == 0) {
        *count = 1;
        p[0] = line->lastHookPoint;
        return;
    }
    *count = 1;
    const RECT& f = line->frame;
    const double x1 = f.left, y1 = f.top, x2 = f.right, y2 = f.bottom;
    const double dx = x2 - x1, dy = y2 - y1;
    const bool snap = drawing && (drawing->drawingFlags & DrawSnap);
    const bool clamp = snap && line->lineShape != LineArc;
    POINT cursor = p[0];
    const int orientation = LineOrientationOf(line);
    if (orientation == LineSlanted && line->lineShape == LineArc)
        RotatePointOntoChord(line, &cursor);
    POINT snapped = cursor;
    if (snap) {
        int fit = 0;
        SnapPointToGrid(drawing, &snapped, GetViewZoom(drawing->viewWindow, &fit));
    }
    // The coordinate a rule keeps: snapped and, unless the line is an arc, held to the span.
    const auto keptX = [&] {
        return clamp ? std::max(f.left, std::min(snapped.x, f.right)) : snapped.x;
    };
    const auto keptY = [&] {
        return clamp ? std::max(f.top, std::min(snapped.y, f.bottom)) : snapped.y;
    };

    POINT box;
    if (orientation == LineHorizontal) {
        const int u = BoxOf(keptX() - x1, dx);
        box = POINT{u, u};
    } else if (orientation == LineVertical) {
        const int u = BoxOf(keptY() - y1, dy);
        box = POINT{u, u};
    } else {
        double x, y;
        // dy / dx <= 1 without dividing: a line without width counts as steep.
        if (!(holderMask & kHolderHorizontal) && dx > 0 && dy <= dx) {
            x = keptX();
            y = y1 + TruncReal(Fraction(dy, dx) * (x - x1));
        } else {
            const double py = keptY();
            if (IsLineRising(line)) {
                x = x1 + TruncReal(Fraction(dx, dy) * (y2 - py));
                y = y1 + (y2 - py);   // mirrored, so that the box y measures from end 1 too
            } else {
                x = x1 + TruncReal(Fraction(dx, dy) * (py - y1));
                y = py;
            }
        }
        box = POINT{BoxOf(x - x1, dx), BoxOf(y - y1, dy)};
    }
    p[0] = box;
    // While the view shows the marker at the last point, that point must stay for its erasing.
    if (!(line->state & StateShowHooks))
        line->lastHookPoint = box;
}

void MapLineHookPoints(const DrawObject* line, int n, POINT* p, BOOL followArc)
{
    const bool arc = followArc && line->lineShape == LineArc;
    for (int i = 0; i < n; ++i) {
        p[i] = BoxToPosition(line, p[i]);
        if (arc)
            ProjectPointOntoArc(line, &p[i]);
    }
}

void GetLineSnapPoints(const DrawObject* line, INT32* count, POINT* p)
{
    *count = 2;
    p[0] = POINT{0, 0};
    switch (LineOrientationOf(line)) {
    case LineHorizontal:
        p[1] = POINT{kBox, 0};
        break;
    case LineVertical:
        p[1] = POINT{0, kBox};
        break;
    default:
        p[1] = POINT{kBox, kBox};
        break;
    }
}

int LineHandleToEnd(const DrawObject* line, int code)
{
    switch (LineOrientationOf(line)) {
    case LineSlanted:
        if (code == 5)
            code = IsLineRising(line) ? 2 : 1;
        else if (code == 6)
            code = IsLineRising(line) ? 1 : 2;
        break;
    case LineVertical:
        if (code == 1 || code == 2)
            code = 22;
        else if (code == 3 || code == 4)
            code = 23;
        break;
    default:
        break;
    }
    switch (code) {
    case 1: case 3: case 5: case 20: case 22: case 24: case 26:
        return 1;
    case 2: case 4: case 6: case 21: case 23: case 25: case 27:
        return 2;
    default:
        return -1;
    }
}

void MoveLineHandleRect(const DrawObject* line, int fixedCode, POINT* delta, RECT* rect)
{
    const int orientation = LineOrientationOf(line);
    const int c = line->axisCoord;
    RECT r = LineEndsRect(line);
    LONG dx = delta->x, dy = delta->y;
    // A moved edge landing on the fixed one is kept one unit apart through the delta.
    switch (fixedCode) {
    case 2:
    case 5:
        r.left += dx;
        if (r.left == r.right) --dx;
        r.bottom += dy;
        if (r.bottom == r.top) ++dy;
        break;
    case 3:
    case 6:
        r.right += dx;
        if (r.right == r.left) ++dx;
        r.top += dy;
        if (r.top == r.bottom) --dy;
        break;
    case 4:
    case 8:
        r.left += dx;
        if (r.left == r.right) --r.left, --dx;
        r.top += dy;
        if (r.top == r.bottom) --r.top, --dy;
        break;
    default:
        r.right += dx;
        if (r.right == r.left) ++r.right, ++dx;
        r.bottom += dy;
        if (r.bottom == r.top) ++r.bottom, ++dy;
        break;
    }
    if (orientation == LineHorizontal && dy == 0)
        r.top = r.bottom = c;
    else if (orientation == LineVertical && dx == 0)
        r.left = r.right = c;
    if (r.right < r.left) std::swap(r.left, r.right);
    if (r.bottom < r.top) std::swap(r.top, r.bottom);
    *rect = r;
    *delta = POINT{dx, dy};
}

int LinesMayLink(const Drawing* drawing)
{
    return drawing && (drawing->drawingFlags & DrawLinesLink) ? 1 : 0;
}

void GetLineSize(const DrawObject* line, POINT* size)
{
    const RECT& f = line->frame;
    const LONG dx = f.right - f.left, dy = f.bottom - f.top;
    switch (LineOrientationOf(line)) {
    case LineHorizontal:
        *size = POINT{dx, 0};
        break;
    case LineVertical:
        *size = POINT{0, dy};
        break;
    default:
        *size = POINT{dx, dy};
        break;
    }
}

void GetLineBounds(const DrawObject* line, BOOL shaped, RECT* rect)
{
    if (shaped && IsShapedLine(line)) {
        *rect = line->updateRect;
        InflateRect(rect, -kBoundsMargin, -kBoundsMargin);
        return;
    }
    *rect = line->frame;
    const int c = line->axisCoord;
    if (LineOrientationOf(line) == LineHorizontal)
        rect->top = c, rect->bottom = c + 1;
    else if (LineOrientationOf(line) == LineVertical)
        rect->left = c, rect->right = c + 1;
}

int LineEndSide(const DrawObject* line, const POINT* reference, const POINT* point)
{
    const int c = line->axisCoord;
    switch (LineOrientationOf(line)) {
    case LineHorizontal:
        return point->y < c ? 5 : 6;
    case LineVertical:
        return point->x < c ? 7 : 8;
    default: {
        const RECT& f = line->frame;
        if (f.right - f.left >= f.bottom - f.top)
            return point->y < reference->y ? 5 : 6;
        return point->x < reference->x ? 7 : 8;
    }
    }
}

void GetLineFrame(const DrawObject* line, RECT* rect)
{
    *rect = LineEndsRect(line);
}

void GetLineSpine(const DrawObject* line, INT32* angle, RECT* rect)
{
    const RECT& f = line->frame;
    const int c = line->axisCoord;
    int a;
    switch (LineOrientationOf(line)) {
    case LineHorizontal:
        *rect = RECT{f.left, c, f.right, c};
        a = 0;
        break;
    case LineVertical:
        *rect = RECT{c, f.top, c, f.bottom};
        a = 900;
        break;
    default: {
        const POINT centre = LineFrameCentre(f);
        const double hx = double(f.right) - centre.x, hy = double(f.bottom) - centre.y;
        const int h = TruncReal(std::sqrt(hx * hx + hy * hy));
        *rect = RECT{centre.x - h, centre.y, centre.x + h, centre.y};
        const POINT end2 = LineEndPosition(line, 2);
        a = AngleFromDrag(centre.x, centre.y, centre.x + h, centre.y, end2.x, end2.y);
        break;
    }
    }
    if (angle)
        *angle = a;
}

int LineGroupHandleDrag(Drawing* drawing, const DrawObject* line, int dx, int dy, RECT* rect)
{
    if (!drawing || line->groupRow < 0)
        return 0;
    const int index = FindGroupIndex(drawing, line->groupId, line->groupRow, 0);
    if (index < 0)
        return 0;
    RECT groupFrame;
    int groupAngle;
    {
        Locked<GroupTable> table(drawing->groupTable);
        if (!table || index >= table->count)
            return 0;
        groupFrame = (*table)[index].frame;
        groupAngle = (*table)[index].angle;
    }
    if (groupAngle == 0)
        return 0;
    const int orientation = ClassifyLineDirection(rect->left, rect->top, rect->right, rect->bottom, 1);
    if (orientation == LineHorizontal)
        dy = 0;
    else if (orientation == LineVertical)
        dx = 0;
    rect->right += dx;
    rect->bottom += dy;
    // The ends as the line ran when it was grouped.
    POINT ends[2];
    if (line->savedState & StateRising) {
        ends[0] = POINT{rect->left, rect->bottom};
        ends[1] = POINT{rect->right, rect->top};
    } else {
        ends[0] = POINT{rect->left, rect->top};
        ends[1] = POINT{rect->right, rect->bottom};
    }
    RotatePoints(&groupFrame, groupAngle, ends, 2);
    *rect = RECT{std::min(ends[0].x, ends[1].x), std::min(ends[0].y, ends[1].y),
                 std::max(ends[0].x, ends[1].x), std::max(ends[0].y, ends[1].y)};
    return 1;
}

int GetLinePath(const DrawObject* line, RECT* extent, INT32* count, POINT* p)
{
    p[0] = POINT{0, 0};
    p[1] = POINT{kBox, kBox};
    MapLineHookPoints(line, 2, p, FALSE);   // the ends themselves, not their place on an arc
    if (extent) {
        Widen(extent, p[0]);
        Widen(extent, p[1]);
    }
    if (!count)
        return 2;
    *count = 2;
    if (IsShapedLine(line)) {
        // Points, not the exact arc: the count is what the piece becomes as outline points.
        POINT path[kLinePathPoints];
        int n = 0, kind = 0;
        BuildLineShapePath(line, &line->frame, line->axisCoord, line->param, line->lineWidth, path,
                           &n, &kind, TRUE, nullptr);
        if (n > 0) {
            *count = n;
            if (extent)
                for (int i = 0; i < n; ++i)
                    Widen(extent, path[i]);
        }
    }
    return 2;
}

void GetLineGeometry(const DrawObject* line, OutlineVertex* descriptor)
{
    descriptor->pieceClass = ClassLine;
    descriptor->orientation = LineOrientationOf(line);
    descriptor->lineShape = line->lineShape;
    descriptor->param = line->param;
}

void ExpandOutlineSegment(const INT32* segment, const OutlinePointBlock* block, int vertex,
                          INT32* count, POINT* p)
{
    const int written = *count;
    // The vertex index comes with the outline: it must name a vertex the block counts.
    if (written < 2 || vertex < 0 || vertex >= block->count)
        return;
    const OutlineVertex& v = reinterpret_cast<const OutlineVertex*>(block + 1)[vertex];
    if (v.lineShape == LinePlain)
        return;
    const int x0 = segment[0], y0 = segment[1], x1 = segment[2], y1 = segment[3];
    DrawObject piece = {};
    piece.objClass = ClassLine;
    piece.frame = RECT{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
    if (x0 == x1) {
        piece.objType = LineVertical;
        piece.axisCoord = x0;
    } else if (y0 == y1) {
        piece.objType = LineHorizontal;
        piece.axisCoord = y0;
    } else {
        piece.objType = LineSlanted;
        const int leftY = x0 < x1 ? y0 : y1;
        if (leftY == piece.frame.bottom)
            piece.state |= StateRising;
    }
    piece.lineShape = v.lineShape;
    piece.param = v.param;
    POINT path[kLinePathPoints];
    int n = 0, kind = 0;
    BuildLineShapePath(&piece, &piece.frame, piece.axisCoord, piece.param, 0, path, &n, &kind,
                       TRUE, nullptr);
    if (n <= 0 || written >= kMaxOutlinePathPoints - n)
        return;
    // Paths run from end 1 (left, or top) to end 2, except a tessellated arc, which runs by the
    // sign of its bulge; a straight stand-in for an arc runs as a plain path does.
    const bool vertical = piece.objType == LineVertical;
    const bool forward = vertical ? y1 > y0 : x1 > x0;
    bool reverse;
    if (v.lineShape == LineArc && kind == LinePathPolyline) {
        const double param = SaneLineParam(v.param, 180.0);
        if (vertical)
            reverse = forward ? param < 0 : param >= 0;
        else
            reverse = forward ? param > 0 : param <= 0;
    } else {
        reverse = !forward;
    }
    for (int i = 0; i < n; ++i)
        p[written - 1 + i] = path[reverse ? n - 1 - i : i];
    *count = written + n - 1;
}
