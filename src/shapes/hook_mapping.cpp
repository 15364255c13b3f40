// Hook points on shape outlines. The per-kind rules recognise the standard box points (the
// edges' multiples of 75 and 150, and the centre) and place each on the drawn outline; other
// points fall through to the kind's general rule. Real results truncate toward zero.
#include "shapes/hook_mapping.h"

#include <algorithm>
#include <cmath>

#include "editing/edit_services.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/links.h"
#include "model/groups.h"
#include "shapes/connection_points.h"
#include "geometry/point_geometry.h"
#include "shapes/shape_geometry.h"
#include "geometry/real_math.h"
#include "shapes/shape_class.h"
#include "shapes/shape_kinds.h"
#include "store/store_records.h"

namespace {

// Corner moves of the rounded kinds by list place: 0-3 the corners, 4 no move.
constexpr int kCornerOfPlace[13] = {0, 4, 4, 4, 1, 4, 4, 4, 2, 4, 4, 4, 3};

bool NeverMirrored(const DrawObject& shape)
{
    switch (shape.objType) {
    case ShapeOval:
    case ShapeCircle:
    case ShapeRoundedRect:
    case ShapeTerminate:
    case ShapeDecision:
    case ShapeOctagon:
    case ShapePreparation:
        return true;
    case ShapeFreeText:
    case ShapePicture:
    case ShapeRectangle:
    case ShapeCustom:
        return !(shape.state & StateCustomHooks);
    default:
        return false;
    }
}

// Offsets (X, Y) from the frame's top-left, or an absolute x where a rule gives one.
struct Mapped {
    double x, y;
};

// One box point of kind `shape.objType` onto its outline; `place` is its place in a list (or
// -1 for a single point).
POINT MapOne(const Drawing* drawing, const DrawObject& shape, POINT box, int place)
{
    const RECT& f = shape.frame;
    const double W = f.right - f.left, H = f.bottom - f.top;
    const int x = box.x, y = box.y;
    const double p = shape.param;
    const bool mid = drawing && (drawing->drawingFlags & DrawMidPoints);
    const Mapped linear = {x * W / 600, y * H / 600};
    const Mapped centre = {W / 2, H / 2};
    Mapped m = linear;

    switch (shape.objType) {
    case ShapeOval:
    case ShapeCircle: {
        double dx = (x - 300) * W / 600, dy = (y - 300) * H / 600;
        if (dx != 0 && dy != 0) {
            // Along the ray from the centre onto the ellipse.
            const double a = W / 2, b = H / 2, slope = dx / dy, s = dy < 0 ? -1.0 : 1.0;
            dy = s * std::sqrt(1 / (slope * slope / (a * a) + 1 / (b * b)));
            dx = dy * slope;
        }
        return POINT{TruncReal((f.left + f.right) / 2 + dx), TruncReal((f.top + f.bottom) / 2 + dy)};
    }
    case ShapeRoundedRect:
    case ShapeTerminate: {
        POINT out = {f.left + TruncReal(linear.x), f.top + TruncReal(linear.y)};
        if (place < 0) place = CornerIndexOfBoxPoint(box);
        const int corner = place <= 12 ? kCornerOfPlace[place] : 4;
        const RECT& in = shape.textInset;
        switch (corner) {
        case 0: out.x += in.left, out.y += in.top; break;
        case 1: out.x -= in.right, out.y += in.top; break;
        case 2: out.x -= in.right, out.y -= in.bottom; break;
        case 3: out.x += in.left, out.y -= in.bottom; break;
        default: break;
        }
        return out;
    }
    case ShapeInputOutput: {
        const int e = TruncReal(p * W);
        m.y = y * H / 600;
        if (y == 0)
            m.x = mid && x == 300 ? W / 2 : e + (W - e) * x / 600;
        else if (y == 600)
            m.x = mid && x == 300 ? W / 2 : (W - e) * x / 600;
        else if (x == 0)
            m.x = e * (600.0 - y) / 600;
        else if (x == 300)
            m = centre;
        else
            return POINT{f.right - e + TruncReal(e * (600.0 - y) / 600), f.top + TruncReal(m.y)};
        break;
    }
    case ShapeDocument: {
        const int e = TruncReal(p * H);
        if (y == 600) m.y = x == 150 ? H : (x == 450 ? H - 2 * e : H - e);
        break;
    }
    case ShapeRightArrow:
    case ShapeLeftArrow: {
        const int e = TruncReal(p * W), n = TruncReal(0.15 * H);
        const bool right = shape.objType == ShapeRightArrow;
        const int tipSide = right ? 600 : 0;
        if (x == tipSide) {
            const int reach = y == 300 ? e : (y == 150 || y == 450 ? e / 2 : 0);
            m.x = right ? W - e + reach : e - reach;
        } else {
            const int o = mid && x == 300 ? 0 : e;
            m.x = right ? (W - o) * x / 600 : (W - o) * x / 600 + o;
            m.y = 0.7 * y * H / 600 + n;
        }
        break;
    }
    case ShapeTopArrow:
    case ShapeBottomArrow: {
        const int e = TruncReal(p * H), n = TruncReal(0.15 * W);
        const bool up = shape.objType == ShapeTopArrow;
        const int tipSide = up ? 0 : 600;
        if (y == tipSide) {
            const int reach = x == 300 ? e : (x == 150 || x == 450 ? e / 2 : 0);
            m.y = up ? e - reach : H - e + reach;
        } else {
            const int o = mid && y == 300 ? 0 : e;
            m.y = up ? (H - o) * y / 600 + o : (H - o) * y / 600;
            m.x = 0.7 * x * W / 600 + n;
        }
        break;
    }
    case ShapeTriangle:
    case ShapeReverseTriangle: {
        if (y == 0 || y == 600) break;
        if (x == 300) {
            m = centre;
            break;
        }
        // Along a slanted side, measured from its base corner by the box y.
        const double d = std::sqrt(W * W / 4 + H * H);
        const double cosA = d != 0 ? (W / 2) / d : 1.0, sinA = d != 0 ? H / d : 0.0;
        const double t = y * d / 600;
        m.x = x < 300 ? t * cosA : W - t * cosA;
        m.y = shape.objType == ShapeTriangle ? H - t * sinA : t * sinA;
        break;
    }
    case ShapeInput: {
        const int e = TruncReal(p * H);
        if (y == 0 && x != 600) {
            m.y = e * (600.0 - x) / 600;
        } else if (x == 0 && y != 600) {
            const int o = mid && y == 300 ? 0 : e;
            m.x = 0;
            m.y = (H - o) * y / 600 + o;
        }
        break;
    }
    case ShapeTrapezoid:
    case ShapeManualOperation: {
        const int e = TruncReal(p * W);
        const bool narrowTop = shape.objType == ShapeTrapezoid;
        const int narrowEdge = narrowTop ? 0 : 600, wideEdge = 600 - narrowEdge;
        if (y == narrowEdge)
            m.x = e + (W - 2 * e) * x / 600;
        else if (y == wideEdge)
            break;
        else if (x == 0)
            m.x = e * (narrowTop ? 600.0 - y : y) / 600;
        else if (x == 300)
            m = centre;
        else
            return POINT{f.right - TruncReal(e * (narrowTop ? 600.0 - y : y) / 600), f.top + TruncReal(m.y)};
        break;
    }
    case ShapeOctagon: {
        const int e = std::min(TruncReal(p * W), TruncReal(p * H));
        const bool corner = (x == 0 || x == 600) && (y == 0 || y == 600);
        if (corner) {
            m.x = x == 0 ? e / 2 : W - e / 2;
            m.y = y == 0 ? e / 2 : H - e / 2;
        } else if (y == 0 || y == 600) {
            m.x = x == 300 ? W / 2 : (x == 150 ? e : W - e);
            m.y = y == 0 ? 0 : H;
        } else if (x == 300) {
            m = centre;
        } else {
            m.x = x == 0 ? 0 : W;
            m.y = y == 300 ? H / 2 : (y == 150 ? e : H - e);
        }
        break;
    }
    case ShapeOnlineStorage: {
        const int e = TruncReal(p * W);
        const double w1 = W - e;
        const int halfInset = shape.textInset.left / 2;
        if (x == 300)
            m = Mapped{w1 / 2, H / 2};
        else if (y != 0 && y != 600)
            m.x = x == 0 ? (y == 300 ? 0 : halfInset) : (y == 300 ? w1 : w1 + halfInset);
        else
            m.x = x * w1 / 600 + e;
        break;
    }
    case ShapeDelay: {
        const int e = TruncReal(p * W);
        if (x == 600 && y != 0 && y != 600)
            m.x = y == 300 ? W : W - shape.textInset.right / 2;
        else
            m.x = mid && x == 300 ? W / 2 : x * (W - e) / 600;
        break;
    }
    case ShapeDisplay:
    case ShapePreparation: {
        const int e = TruncReal(p * W);
        const int rightReach = shape.objType == ShapeDisplay ? shape.textInset.right / 2 : e / 2;
        if (x == 600 && y != 0 && y != 600)
            m.x = y == 300 ? W : W - rightReach;
        else if (x == 0)
            m.x = y == 300 ? 0 : e / 2;
        else
            m.x = x * (W - 2 * e) / 600 + e;
        break;
    }
    case ShapePentagon: {
        const int e = TruncReal(p * W);
        if (x == 0 && y != 0 && y != 600)
            m.x = y == 300 ? 0 : e / 2;
        else
            m.x = mid && x == 300 ? W / 2 : x * (W - e) / 600 + e;
        break;
    }
    case ShapeOffPageConnector: {
        const int e = TruncReal(p * H);
        if (y == 600 && x != 0 && x != 600)
            m.y = x == 300 ? H : H - e / 2;
        else
            m.y = mid && y == 300 ? H / 2 : y * (H - e) / 600;
        break;
    }
    default:
        break;
    }
    return POINT{f.left + TruncReal(m.x), f.top + TruncReal(m.y)};
}

// Whether a code's point lies on the real outline of a rotated, mirrored, custom-outline or
// custom-point shape rather than on the kind's standard place.
bool NeedsOutline(const DrawObject& shape)
{
    return shape.angle != 0 || (shape.options & (OptMirrorH | OptMirrorV)) || shape.objType == ShapeCustom ||
           (shape.state & StateCustomHooks);
}

// The group of a shape hooked, with an exact code, to an object outside its group: its point
// then lies on the group's turned rectangle. The shape's group by id, or none.
bool GroupRectangleFor(Drawing* drawing, void* objects, int row, const DrawObject& shape, DrawObject* stand)
{
    if (!drawing || row < 0 || shape.groupRow < 0 || shape.groupId == 0 || shape.hookCount != 1) return false;
    ObjectList* list = static_cast<ObjectList*>(objects);
    const int target = FindObjectById(list, shape.hooks[0].targetId, shape.hooks[0].targetRow);
    if (target < 0) return false;
    const DrawObject& other = (*list)[target];
    if (other.groupId == shape.groupId && other.groupRow >= 0) return false;
    Locked<GroupTable> groups(drawing->groupTable);
    if (!groups) return false;
    const int index = FindGroupEntry(groups.get(), shape.groupId, shape.groupRow, 0);
    if (index < 0) return false;
    *stand = shape;
    stand->objType = ShapeRectangle;
    stand->frame = (*groups)[index].frame;
    stand->angle = (*groups)[index].angle;
    stand->param = 0;
    stand->options = 0;
    stand->state = 0;
    return true;
}

POINT ScaleOntoFrame(const RECT& f, POINT box)
{
    return POINT{f.left + TruncReal(box.x * static_cast<double>(f.right - f.left) / 600.0),
                 f.top + TruncReal(box.y * static_cast<double>(f.bottom - f.top) / 600.0)};
}

}  // namespace

int CornerIndexOfBoxPoint(POINT point)
{
    if (point.x == 0 && point.y == 0) return 0;
    if (point.x == 600 && point.y == 0) return 4;
    if (point.x == 600 && point.y == 600) return 8;
    if (point.x == 0 && point.y == 600) return 12;
    return 2;
}

void MapShapeHookPoints(const Drawing* drawing, const DrawObject* shape, int n, int code, POINT* points)
{
    DWORD options = shape->options;
    if (NeverMirrored(*shape)) options &= ~static_cast<DWORD>(OptMirrorH | OptMirrorV);
    for (int i = 0; i < n; ++i) points[i] = MapOne(drawing, *shape, points[i], n == 1 ? -1 : i);
    if ((options & (OptMirrorH | OptMirrorV)) && code < kFirstAnchorCode)
        FlipPoints(shape->frame, static_cast<int>(options), points, n);
    if (shape->angle != 0) RotatePoints(&shape->frame, shape->angle, points, n);
}

int GetShapePointPosition(Drawing* drawing, void* objects, int row, int code, POINT* point)
{
    DrawObject* shape = AddressedObject(objects, row);
    bool exact = false;
    if (code >= kFirstExactCode) {
        code -= kExactCodeOffset;
        exact = true;
    }
    POINT box;
    int direction = 0;
    if (AnchorBoxPoint(code, &box)) {
        if (code == 205 || code == 206) direction = kProjectVertical;
        if (code == 207 || code == 208) direction = kProjectHorizontal;
    } else {
        // A code must lie within the snap list: anything beyond it names no point.
        POINT snaps[kMaxHookPoints];
        INT32 count = 0;
        GetShapeSnapPoints(drawing, shape, &count, snaps);
        if (code < 1 || code > count || code > kMaxHookPoints) return 1;
        box = snaps[code - 1];
    }

    DrawObject stand;
    const bool groupCode = exact && GroupRectangleFor(drawing, objects, row, *shape, &stand);
    if (!exact || !(NeedsOutline(*shape) || groupCode)) {
        *point = box;
        MapShapeHookPoints(drawing, shape, 1, code, point);
        return 0;
    }
    DrawObject* on = groupCode ? &stand : shape;
    if (!(on->state & StateCustomHooks)) {
        POINT at = ScaleOntoFrame(on->frame, box);
        INT32 one = 1;
        ProjectPointOntoOutline(drawing, on, direction, &one, &at, 1);
        *point = at;
        return 0;
    }
    // Custom points live in the box, turned with the shape: snap there, turn back, then place.
    static constexpr RECT kBox = {0, 0, kBoxSide, kBoxSide};
    if (SnapToNearestCustomPoint(drawing, on, &box) == 0 && on->angle != 0) RotatePoints(&kBox, -on->angle, &box, 1);
    *point = ScaleOntoFrame(on->frame, box);
    if (on->angle != 0) RotatePoints(&on->frame, on->angle, point, 1);
    return 0;
}

void ShapePointToBox(Drawing* drawing, void* objects, int row, int code, POINT* point)
{
    GetShapePointPosition(drawing, objects, row, code, point);
    const RECT& f = AddressedObject(objects, row)->frame;
    point->x = TruncReal((point->x - f.left) / static_cast<double>(f.right - f.left) * 600.0);
    point->y = TruncReal((point->y - f.top) / static_cast<double>(f.bottom - f.top) * 600.0);
}

void ProjectPointOntoOutline(Drawing* drawing, DrawObject* shape, int direction, INT32* count, POINT* point,
                             int mode)
{
    if (*count == 0) {
        *count = 1;
        *point = shape->lastHookPoint;
        return;
    }
    *count = 1;
    const RECT& f = shape->frame;
    POINT along = *point;
    if (drawing && (drawing->drawingFlags & DrawSnap) && mode == 0) {
        SnapPointToGrid(drawing, &along, 0);
        along.x = std::clamp(along.x, f.left, f.right);
        along.y = std::clamp(along.y, f.top, f.bottom);
    }

    POINT outline[kMaxOutlinePoints + 1];
    int n = 0;
    HGLOBAL custom = drawing ? LoadCustomOutline(drawing->header.slot, shape) : nullptr;
    GetShapeOutlinePoints(f, &f, shape->param, shape->objType, shape->angle, custom, outline, &n,
                          static_cast<int>(shape->options));
    if (custom) ReleaseBlock(custom);

    double best = 32767.0;
    bool found = false;
    POINT candidate = *point;
    for (int i = 0; i + 1 < n; ++i) {
        const double x0 = outline[i].x, y0 = outline[i].y;
        const double dx = outline[i + 1].x - x0, dy = outline[i + 1].y - y0;
        // A point repeated (where an ellipse's halves meet) is no edge: taken as horizontal it
        // would "project" every point of its line onto itself.
        if (dx == 0 && dy == 0) continue;
        const bool vertical =
            (direction & kProjectVertical) || (!(direction & kProjectHorizontal) && std::fabs(dy / dx) <= 1);
        if (vertical) {
            // Keep x, find the edge's y there.
            const double y = dy / (dx == 0 ? 1.0 : dx) * (along.x - x0) + y0;
            const double distance = std::fabs(y - point->y);
            if (y < std::min(y0, y0 + dy) || y > std::max(y0, y0 + dy)) continue;
            if (distance < best) {
                best = distance;
                candidate = POINT{along.x, TruncReal(y)};
                found = true;
            }
        } else {
            const double x = dx / (dy == 0 ? 1.0 : dy) * (along.y - y0) + x0;
            const double distance = std::fabs(x - point->x);
            if (x < std::min(x0, x0 + dx) || x > std::max(x0, x0 + dx)) continue;
            if (distance < best) {
                best = distance;
                candidate = POINT{TruncReal(x), along.y};
                found = true;
            }
        }
    }
    if (!found) return;
    if (mode == 1) {
        *point = candidate;
        return;
    }
    if (shape->angle != 0) RotatePoints(&f, -shape->angle, &candidate, 1);
    FlipPoints(f, static_cast<int>(shape->options), &candidate, 1);
    *point = POINT{TruncReal((candidate.x - f.left) / static_cast<double>(f.right - f.left) * 600.0),
                   TruncReal((candidate.y - f.top) / static_cast<double>(f.bottom - f.top) * 600.0)};
    if (!(shape->state & StateShowHooks)) shape->lastHookPoint = *point;
}

int SnapToNearestCustomPoint(Drawing* drawing, const DrawObject* shape, POINT* point)
{
    POINT points[kMaxHookPoints];
    int count = 0;
    if (int err = LoadCustomHookPoints(drawing, shape, points, &count)) return err;
    if (count == 0) return 0;
    if (shape->angle != 0) {
        static constexpr RECT kBox = {0, 0, kBoxSide, kBoxSide};
        RotatePoints(&kBox, shape->angle, points, count);
    }
    double best = 1e12;
    POINT nearest = *point;
    for (int i = 0; i < count; ++i) {
        const double dx = points[i].x - point->x, dy = points[i].y - point->y;
        if (dx * dx + dy * dy < best) {
            best = dx * dx + dy * dy;
            nearest = points[i];
        }
    }
    *point = nearest;
    return 0;
}
