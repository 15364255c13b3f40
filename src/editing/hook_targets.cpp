// Hook targets while dragging. Which objects may hook which is decided by the holder mask of one
// and the target mask of the other; the classes give the points.
#include "editing/hook_targets.h"

#include <algorithm>

#include "editing/drag_state.h"
#include "editing/hit_test.h"
#include "frame/frame_services.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/groups.h"
#include "model/move_set.h"
#include "resource.h"

namespace {

// A point list of one search with room the classes may not overrun; counts are clamped to the
// list's size before they are used.
struct PointList {
    INT32 count = 0;
    POINT points[kMaxDragPoints];
    void Clamp() { count = std::clamp<INT32>(count, 0, kMaxDragPoints); }
};

bool InFrame(const RECT& r, POINT p)
{
    return p.x >= std::min(r.left, r.right) && p.x <= std::max(r.left, r.right) && p.y >= std::min(r.top, r.bottom) &&
           p.y <= std::max(r.top, r.bottom);
}

}  // namespace

int IsHookTargetHit(ObjectList* objects, int row, int hitCode, int x, int y, BOOL arraysOnly)
{
    if (!objects || row < 0 || row >= objects->count) return 0;
    const DrawObject& o = (*objects)[row];
    if (o.state & StateAttachedLabel) return 0;
    if (arraysOnly && o.objClass != ClassArray) return 0;
    if (o.objClass == ClassArray && o.groupId != 0 && o.groupRow >= 0) return 0;
    if (hitCode == 40 || hitCode == 41 || hitCode == 42) return 1;
    if (hitCode == 44 || hitCode == 45) {
        if (!(o.state & StateCustomHooks)) return 0;
        const RECT& t = o.textRect;
        const bool insideText = x >= t.left && x < t.right && y >= t.top && y < t.bottom;
        return insideText ? 0 : 1;
    }
    return 0;
}

namespace {

// The holder mask and the candidate points of the drag under way; 0 when it hooks nothing.
DWORD Candidates(Drawing* drawing, ObjectList* objects, POINT point, PointList& cand, int* holder)
{
    DragState& s = g_dragState;
    *holder = -1;
    cand.count = 0;
    switch (s.trackMode) {
    case TrackCreateByDrag: {
        LONG mask = SendTypeQuery(s.target, OM_GETCLASSFLAGS, s.subtype);
        if (mask & 0x40) mask = 0;
        cand.points[0] = point;
        cand.count = 1;
        return static_cast<DWORD>(mask);
    }
    case TrackResize:
        if (s.target < 0 || s.target >= objects->count) return 0;
        *holder = s.target;
        cand.points[0] = point;
        cand.count = 1;
        return (*objects)[s.target].hookMask;
    case TrackMove: {
        if (s.target < 0 || s.target >= objects->count) return 0;
        const DrawObject& o = (*objects)[s.target];
        if (o.hookCount > 1) return 0;
        *holder = s.target;
        SendClassMessage(nullptr, drawing, objects, s.target, OM_GETSNAPPOINTS, s.subtype, PtrToInt(&cand.count),
                         cand.points);
        cand.Clamp();
        if (cand.count == 0) return 0;
        SendClassMessage(nullptr, drawing, objects, s.target, OM_MAPHOOKPOINT, cand.count, 0, cand.points);
        LONG dx = point.x - s.anchor.x, dy = point.y - s.anchor.y;
        if (GetKeyState(VK_SHIFT) & 0x8000) {
            if (std::abs(dy) >= std::abs(dx))
                dx = 0;
            else
                dy = 0;
        }
        for (int k = 0; k < cand.count; ++k) {
            cand.points[k].x += dx;
            cand.points[k].y += dy;
        }
        return o.hookMask;
    }
    case TrackPlaceDragged: {
        cand.points[0] = {s.trackRect.left, s.trackRect.bottom};
        cand.points[1] = {s.trackRect.right, s.trackRect.top};
        cand.count = 2;
        const LONG mask = SendTypeQuery(s.target, OM_GETCLASSFLAGS, s.subtype, PtrToInt(&cand.count), cand.points);
        cand.Clamp();
        for (int k = 0; k < cand.count; ++k) {
            cand.points[k].x += point.x - s.lastPoint.x;
            cand.points[k].y += point.y - s.lastPoint.y;
        }
        return static_cast<DWORD>(mask);
    }
    default:
        return 0;
    }
}

LONGLONG Square(LONG v) { return static_cast<LONGLONG>(v) * v; }

}  // namespace

int FindHookTarget(Drawing* drawing, POINT* point, BOOL arraysOnly)
{
    DragState& s = g_dragState;
    if (s.trackMode == TrackMove && s.clickPending) return 0;
    BuildHitIndex(drawing);
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return 0;
    static PointList cand, hooks;   // one search at a time; too large for the stack of a message
    int holder = -1;
    const DWORD mask = Candidates(drawing, objects.get(), *point, cand, &holder);
    bool found = false;
    for (int k0 = 0; mask != 0 && k0 < cand.count && !found; ++k0) {
        const POINT c = cand.points[k0];
        int target = -1;
        int code = 0;
        if (s.pressTarget >= 0 && s.pressTarget < objects->count && InFrame((*objects)[s.pressTarget].frame, c)) {
            POINT at = c;
            code = SendClassMessage(nullptr, drawing, objects.get(), s.pressTarget, OM_HITTEST, 10, 0, &at);
            if (code != 0 && IsHookTargetHit(objects.get(), s.pressTarget, code, c.x, c.y, arraysOnly))
                target = s.pressTarget;
        }
        if (target < 0) {
            int hitClass = -1;
            code = HitTestPage(drawing, c.x, c.y, 10, s.excludeSet, &target, &hitClass, arraysOnly);
            if (code == 0 || target < 0 || !IsHookTargetHit(objects.get(), target, code, c.x, c.y, arraysOnly))
                continue;
        }
        if (((*objects)[target].acceptMask & mask) == 0) continue;
        hooks.points[0] = c;
        hooks.count = 1;
        SendClassMessage(nullptr, drawing, objects.get(), target, OM_GETHOOKPOINTS, static_cast<int>(mask),
                         PtrToInt(&hooks.count), hooks.points);
        hooks.Clamp();
        if (hooks.count == 0) continue;
        const bool single = hooks.count == 1;
        const POINT remembered = hooks.points[0];
        SendClassMessage(nullptr, drawing, objects.get(), target, OM_MAPHOOKPOINT, hooks.count, 0, hooks.points);
        int bestJ = -1, bestK = -1;
        double best = 1e30;
        for (int j = 0; j < hooks.count; ++j) {
            for (int k = 0; k < cand.count; ++k) {
                const double d = static_cast<double>(Square(hooks.points[j].x - cand.points[k].x) +
                                                     Square(hooks.points[j].y - cand.points[k].y));
                if (d < best) {
                    best = d;
                    bestJ = j;
                    bestK = k;
                }
            }
        }
        if (bestJ < 0) continue;
        INT32 candCount = cand.count;
        const LONG side =
            SendClassMessage(nullptr, drawing, objects.get(), target, OM_MEMBERSIDE, holder, bestJ, &candCount);
        int holderIndex = bestK;
        if (side != 0) {
            if (s.trackMode == TrackCreateByDrag || s.trackMode == TrackPlaceDragged) {
                holderIndex = side - 1;
                if (side >= 301 && side - 301 < cand.count) bestK = side - 301;
            } else if (holder >= 0) {
                POINT pos = {};
                SendClassMessage(nullptr, drawing, objects.get(), holder, OM_GETPOINTPOS, side, 0, &pos);
                cand.points[0] = {pos.x + point->x - s.anchor.x, pos.y + point->y - s.anchor.y};
                cand.count = 1;
                bestK = 0;
                holderIndex = side - 1;
            }
        }
        const POINT h = hooks.points[bestJ];
        if (s.trackMode == TrackMove || s.trackMode == TrackPlaceDragged) {
            point->x += h.x - cand.points[bestK].x;
            point->y += h.y - cand.points[bestK].y;
            s.hookHolderCode = holderIndex + 1;
        } else {
            *point = h;
        }
        s.hookTarget = target;
        if (single) {
            s.hookPoint = remembered;
        } else {
            hooks.count = kMaxDragPoints;
            SendClassMessage(nullptr, drawing, objects.get(), target, OM_GETHOOKPOINTS, static_cast<int>(mask),
                             PtrToInt(&hooks.count), hooks.points);
            hooks.Clamp();
            s.hookPoint = bestJ < hooks.count ? hooks.points[bestJ] : remembered;
        }
        found = true;
    }
    if (!found) s.hookTarget = -1;
    const int cursor = GetCurrentCursorIndex();
    if (found && cursor != 13 && s.trackMode != TrackMove)
        SetCursorByIndex(CursorAnchor);
    else if (!found && cursor == 13)
        SetCursorByIndex(s.savedCursor);
    return found ? 1 : 0;
}

void ToggleHookMarks(Drawing* drawing, ObjectList* objects, int row)
{
    if (!objects) {
        Locked<ObjectList> list(drawing->objectList);
        if (list) ToggleHookMarks(drawing, list.get(), row);
        return;
    }
    if (row < 0 || row >= objects->count) return;
    DrawObject& o = (*objects)[row];
    if (!(o.state & StateTextEditing)) {
        static PointList marks;
        marks.count = 0;
        SendClassMessage(nullptr, drawing, objects, row, OM_GETHOOKPOINTS, 0, PtrToInt(&marks.count), marks.points);
        marks.Clamp();
        if (marks.count > 0) {
            SendClassMessage(nullptr, drawing, objects, row, OM_MAPHOOKPOINT, marks.count, 0, marks.points);
            ViewDrawingDC dc(drawing->viewWindow);
            if (dc.get()) SendClassMessage(dc.get(), drawing, objects, row, OM_DRAWHOOKMARKS, marks.count, 0, marks.points);
        }
    }
    o.state ^= StateShowHooks;
    o.lastHookPoint = g_dragState.hookPoint;
}

void UpdateDragHookMarks(Drawing* drawing, BOOL found)
{
    DragState& s = g_dragState;
    if (s.hookTarget != s.markedTarget || s.hookPoint.x != s.markedPoint.x || s.hookPoint.y != s.markedPoint.y) {
        if (s.markedTarget >= 0) ToggleHookMarks(drawing, nullptr, s.markedTarget);
        s.markedTarget = s.hookTarget;
        s.markedPoint = s.hookPoint;
        if (s.markedTarget >= 0) ToggleHookMarks(drawing, nullptr, s.markedTarget);
    }
    if (found)
        drawing->drawingFlags |= DrawHookTarget;
    else
        drawing->drawingFlags &= ~static_cast<DWORD>(DrawHookTarget);
}

void ClearDragHookMarks(Drawing* drawing, BOOL startToo)
{
    DragState& s = g_dragState;
    if (s.markedTarget >= 0) ToggleHookMarks(drawing, nullptr, s.markedTarget);
    s.markedTarget = -1;
    if (startToo && s.startMarkedTarget >= 0) ToggleHookMarks(drawing, nullptr, s.startMarkedTarget);
    if (startToo) s.startMarkedTarget = -1;
}
