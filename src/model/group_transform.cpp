// Group rotation and resizing as undoable edits: members turn about the group's centre, or are
// scaled from their frames at grouping time, and their links are settled afterwards.
#include "model/group_transform.h"

#include <algorithm>
#include <cmath>

#include "documents/document_state.h"
#include "documents/document_life.h"
#include "frame/frame_services.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/edit_ops.h"
#include "model/groups.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/selection.h"
#include "model/undo.h"
#include "geometry/point_geometry.h"
#include "geometry/real_math.h"
#include "resource.h"
#include "store/results.h"
#include "store/store_records.h"

BOOL groupResizeRunning = FALSE;

namespace {

constexpr int kMinGroupSide = 54;
constexpr LONG kFrameLimit = 32000;
constexpr int kBoundsMargin = 30;

bool IsMember(const DrawObject& object, int groupId)
{
    return object.groupId == groupId && object.groupRow >= 0;
}

// More than 0.3 degrees away from every right angle.
bool OffRightAngle(int angle)
{
    return std::abs(angle % 900) > 3 && (std::abs(angle) + 3) % 900 > 3;
}

// The bounds of a rectangle's outline turned by `angle` about the centre of `about`.
RECT TurnedBounds(const RECT& r, int angle, const RECT& about)
{
    POINT corners[4] = {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
    RotatePoints(&about, angle, corners, 4);
    RECT bounds;
    BoundsOfPoints(&bounds, corners, 4);
    return bounds;
}

int BeginChanges(Drawing* drawing, HGLOBAL drawingBlock)
{
    for (HGLOBAL block : {drawingBlock, drawing->objectList, drawing->groupTable}) {
        if (int err = BeginRecordChange(block)) return err;
    }
    return 0;
}

// Turns one member with the group: its centre about the group frame's centre, and the member
// itself by its rotation handle.
int TurnMember(Drawing* drawing, ObjectList* objects, int row, const GroupEntry& group, int angle)
{
    DrawObject& member = (*objects)[row];
    POINT points[2] = {};
    RECT handleRect = {};
    const int code = static_cast<int>(SendClassMessage(nullptr, drawing, objects, row, OM_EXTRAHANDLE, 3,
                                                       static_cast<int>(reinterpret_cast<INT_PTR>(&points[1])),
                                                       &handleRect));
    points[0] = RotationCentre(&member.frame);
    const POINT centre = points[0];
    if (group.angle != 0) RotatePoints(&group.frame, -group.angle, points, 2);
    RotatePoints(&group.frame, angle, points, 2);
    if (points[0].x != centre.x || points[0].y != centre.y) {
        if (int err = OffsetObject(drawing, objects, row, points[0].x - centre.x, points[0].y - centre.y)) return err;
    }
    if (code == 0 || (member.state & StateAttachedLabel)) return 0;
    InvalidateLogicalRect(drawing->viewWindow, &member.updateRect);
    int err = static_cast<int>(SendClassMessage(nullptr, drawing, objects, row, OM_ROTATETO, code, 0, &points[1]));
    InvalidateLogicalRect(drawing->viewWindow, &member.updateRect);
    return err ? err : TurnAttachedLabel(drawing, objects, row);
}

// The factors of a resize: the new ones, and those the members were last placed with.
struct Factors {
    double sx, sy;
    double previousX, previousY;
};

// Places and sizes one member for the group's new frame `r`.
int ResizeMember(HWND view, Drawing* drawing, ObjectList* objects, int row, const GroupEntry& group,
                 const RECT& r, const Factors& f)
{
    DrawObject& member = (*objects)[row];
    RECT reference = member.groupFrame;
    bool freelyRotated = false;
    if (member.groupAngle != 0) {
        reference = TurnedBounds(member.groupFrame, member.groupAngle, member.groupFrame);
        if (OffRightAngle(member.groupAngle)) {
            freelyRotated = true;
            member.handleLayout = 3;
        }
    }

    // Where the last resize placed the member, and where it belongs now.
    const double dx = reference.left - group.groupedFrame.left;
    const double dy = reference.top - group.groupedFrame.top;
    POINT move = {r.left + TruncReal(dx * f.sx) - (group.frame.left + TruncReal(dx * f.previousX)),
                  r.top + TruncReal(dy * f.sy) - (group.frame.top + TruncReal(dy * f.previousY))};
    if (group.angle != 0) {
        POINT turned[2] = {{reference.left, reference.top}, {reference.left + move.x, reference.top + move.y}};
        RotatePoints(&group.frame, group.angle, turned, 2);
        move = POINT{turned[1].x - turned[0].x, turned[1].y - turned[0].y};
    }
    if (move.x != 0 || move.y != 0) {
        if (int err = OffsetObject(drawing, objects, row, move.x, move.y)) return err;
    }

    const LONG width = reference.right - reference.left, height = reference.bottom - reference.top;
    double fx = f.sx, fy = f.sy;
    if (member.handleLayout == 3) fx = fy = std::min(f.sx, f.sy);
    LONG dw = TruncReal(width * fx) - width;
    LONG dh = TruncReal(height * fy) - height;
    if (member.handleLayout == 1) dh = 0;
    if (member.handleLayout == 2) dw = 0;

    RECT rect = reference;
    OffsetRect(&rect, move.x, move.y);
    const RECT placed = rect;
    BOOL rotated = FALSE;
    if (!SendClassMessage(nullptr, drawing, objects, row, OM_GROUPHANDLEDRAG, dw, dh, &rect)) {
        const RECT& own = member.groupFrame;
        const LONG ownWidth = own.right - own.left, ownHeight = own.bottom - own.top;
        const RECT current = member.frame;
        if (member.groupAngle == 0) {
            rect = RECT{current.left, current.top, current.left + ownWidth + dw, current.top + ownHeight + dh};
        } else if (!freelyRotated) {
            // Turned by a right angle: the group's width change lands on the member's height or
            // the other way round, and the edge that stays is the one the turn puts first.
            const double theta = -member.groupAngle * kTwoPi / 3600;
            const double c = std::cos(theta), s = std::sin(theta);
            const LONG dw2 = TruncReal(dw * c + dh * s);
            const LONG dh2 = TruncReal(-dw * s + dh * c);
            rect = current;
            if (c + s < 0)
                rect.left = current.right - ownWidth + dw2;
            else
                rect.right = current.left + ownWidth + dw2;
            if (c - s < 0)
                rect.top = current.bottom - ownHeight + dh2;
            else
                rect.bottom = current.top + ownHeight + dh2;
        } else {
            // Freely turned: the turned outline is scaled evenly onto the new place, then turned
            // back, and the member takes the bounds of that.
            RECT target = placed;
            target.right += dw;
            target.bottom += dh;
            if (group.angle != 0) {
                // The reference lies where the member was before the group turned; the member
                // itself went round with the group, its centre turned about the group's centre.
                POINT centre = RotationCentre(&reference);
                const POINT unturned = centre;
                RotatePoints(&group.frame, group.angle, &centre, 1);
                OffsetRect(&target, centre.x - unturned.x, centre.y - unturned.y);
            }
            POINT outline[4] = {{own.left, own.top}, {own.right, own.top}, {own.right, own.bottom}, {own.left, own.bottom}};
            RotatePoints(&own, member.groupAngle, outline, 4);
            RECT turned;
            BoundsOfPoints(&turned, outline, 4);
            const double even = std::min(f.sx, f.sy);
            for (POINT& p : outline) {
                p = POINT{target.left + TruncReal((p.x - turned.left) * even),
                          target.top + TruncReal((p.y - turned.top) * even)};
            }
            RotatePoints(&target, -member.groupAngle, outline, 4);
            BoundsOfPoints(&rect, outline, 4);
            rotated = TRUE;
        }
    }
    return ReshapeObject(view, row, &rect, 0, rotated, TRUE);
}

int ResizeMembers(HWND view, HGLOBAL drawingBlock, int groupIndex, int handleCode, RECT* r)
{
    Locked<Drawing> drawing(drawingBlock);
    if (!drawing) return ErrOutOfMemory;
    if (int err = BeginChanges(drawing.get(), drawingBlock)) return err;
    GroupEntry group;
    Factors f;
    {
        Locked<GroupTable> groups(drawing->groupTable);
        if (!groups) return ErrOutOfMemory;
        if (groupIndex < 0 || groupIndex >= groups->count) return 0;
        GroupEntry& entry = (*groups)[groupIndex];
        group = entry;
        // A rotated group keeps the point of the dragged handle's anchor where it is on screen.
        if (group.angle != 0) {
            const POINT p = SidePointOfRect(group.frame, handleCode);
            POINT turned = p;
            RotatePoints(&group.frame, group.angle, &turned, 1);
            const POINT c = RotationCentre(r);
            const double dx = p.x - c.x, dy = p.y - c.y;
            const double theta = group.angle * kPi / 1800;
            const double cosT = std::cos(theta), sinT = std::sin(theta);
            const POINT n = {turned.x - TruncReal(dx * cosT + dy * sinT), turned.y - TruncReal(-dx * sinT + dy * cosT)};
            LONG ox = TruncReal(dx) + n.x - p.x, oy = TruncReal(dy) + n.y - p.y;
            if (r->right + ox > kFrameLimit) ox = kFrameLimit - r->right;
            if (r->bottom + oy > kFrameLimit) oy = kFrameLimit - r->bottom;
            OffsetRect(r, ox, oy);
        }
        const double groupedWidth = std::max<LONG>(1, group.groupedFrame.right - group.groupedFrame.left);
        const double groupedHeight = std::max<LONG>(1, group.groupedFrame.bottom - group.groupedFrame.top);
        f.sx = (r->right - r->left) / groupedWidth;
        f.sy = (r->bottom - r->top) / groupedHeight;
        f.previousX = entry.widthFactor;
        f.previousY = entry.heightFactor;
        if (f.previousX == 0 || f.previousY == 0) {
            f.previousX = (group.frame.right - group.frame.left) / groupedWidth;
            f.previousY = (group.frame.bottom - group.frame.top) / groupedHeight;
        }
        entry.widthFactor = f.sx;
        entry.heightFactor = f.sy;
    }

    // Line arrays last: they lay out along members whose links have settled.
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return ErrOutOfMemory;
    bool arrays = false;
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            if (!arrays) break;
            if (int err = PropagateLinks(drawing.get())) return err;
        }
        for (int row = 0; row < objects->count; ++row) {
            if (!IsMember((*objects)[row], group.groupId)) continue;
            const bool array = (*objects)[row].objClass == ClassArray;
            arrays |= array;
            if (array != (pass == 1)) continue;
            if (int err = ResizeMember(view, drawing.get(), objects.get(), row, group, *r, f)) return err;
        }
    }
    objects.Unlock();
    if (int err = PropagateLinks(drawing.get())) return err;

    Locked<GroupTable> groups(drawing->groupTable);
    if (!groups) return ErrOutOfMemory;
    int index = FindGroupEntry(groups.get(), group.groupId, groupIndex, 0);
    if (index < 0) return 0;
    GroupEntry& entry = (*groups)[index];
    entry.frame = *r;
    RECT reach = entry.angle != 0 ? TurnedBounds(*r, entry.angle, *r) : *r;
    InflateRect(&reach, kBoundsMargin, kBoundsMargin);
    UnionRect(&entry.bounds, &entry.bounds, &reach);
    InvalidateLogicalRect(drawing->viewWindow, &entry.bounds);
    return 0;
}

}  // namespace

int UnlinkGroupMembers(Drawing* drawing, ObjectList* objects, int groupId)
{
    for (int row = 0; row < objects->count; ++row) {
        DrawObject& holder = (*objects)[row];
        if (!IsMember(holder, groupId) || HookSlotsInUse(holder) == 0) continue;
        if (holder.labelId != kNoLabel && (holder.state & StateAttachedLabel)) continue;
        for (int s = HookSlotsInUse(holder) - 1; s >= 0; --s) {
            if (s >= HookSlotsInUse(holder)) continue;   // both hooks went with one target
            HookEntry& hook = holder.hooks[s];
            int target = FindObjectById(objects, hook.targetId, hook.targetRow);
            if (target < 0) continue;
            hook.targetRow = target;
            if (!IsMember((*objects)[target], groupId)) continue;
            if (int err = RemoveLinks(drawing, hook.targetId, holder.objId)) return err;
        }
    }
    return 0;
}

int RotateGroup(DocumentState* state, int groupIndex, int handleCode, int x, int y, BOOL callerHoldsCheckpoint)
{
    InvalidationBatch batch;
    SetCursorByIndex(CursorBusy);
    if (!state || !state->drawing) return ErrOutOfMemory;
    HGLOBAL drawingBlock = state->drawing;
    HWND view;
    {
        Locked<Drawing> drawing(drawingBlock);
        if (!drawing) return ErrOutOfMemory;
        view = drawing->viewWindow;
        // No group, no edit: nothing is journaled or marked changed.
        Locked<GroupTable> groups(drawing->groupTable);
        if (!groups) return ErrOutOfMemory;
        if (groupIndex < 0 || groupIndex >= groups->count) return 0;
    }
    if (!callerHoldsCheckpoint) {
        if (int err = SaveUndoState(view, UndoRotate)) return err;
    }
    int err = 0;
    {
        Locked<Drawing> drawing(drawingBlock);
        if (!drawing) return callerHoldsCheckpoint ? ErrOutOfMemory : FinishEdit(view, ErrOutOfMemory, FALSE);
        err = BeginChanges(drawing.get(), drawingBlock);
        Locked<ObjectList> objects(drawing->objectList);
        GroupEntry group = {};
        if (!err && !objects) err = ErrOutOfMemory;
        if (!err) {
            Locked<GroupTable> groups(drawing->groupTable);
            if (!groups) {
                err = ErrOutOfMemory;
            } else {
                group = (*groups)[groupIndex];
                (*groups)[groupIndex].flags &= ~static_cast<DWORD>(GroupHooked);
            }
        }
        // Links inside a turned group would pull its members apart again.
        if (!err && (group.flags & GroupHooked)) err = UnlinkGroupMembers(drawing.get(), objects.get(), group.groupId);
        if (!err) {
            const POINT pivot = RotationCentre(&group.frame);
            const POINT handle = SidePointOfRect(group.frame, handleCode);
            int angle = AngleFromDrag(pivot.x, pivot.y, handle.x, handle.y, x, y);
            if (drawing->drawingFlags & DrawSnap) angle = SnapAngle(angle);
            InvalidateLogicalRect(view, &group.bounds);
            for (int row = 0; row < objects->count && !err; ++row) {
                if (IsMember((*objects)[row], group.groupId)) err = TurnMember(drawing.get(), objects.get(), row, group, angle);
            }
            if (!err) {
                Locked<GroupTable> groups(drawing->groupTable);
                int index = groups ? FindGroupEntry(groups.get(), group.groupId, groupIndex, 0) : -1;
                if (index >= 0) (*groups)[index].angle = angle;
            }
        }
        objects.Unlock();
        if (!err) err = PropagateLinks(drawing.get());
    }
    return callerHoldsCheckpoint ? err : FinishEdit(view, err, FALSE);
}

int ResizeGroup(HWND view, int groupIndex, const RECT* rect, int handleCode, BOOL callerHoldsCheckpoint)
{
    InvalidationBatch batch;
    SetCursorByIndex(CursorBusy);
    RECT r = *rect;
    if (r.right - r.left < kMinGroupSide) r.right = r.left + kMinGroupSide;
    if (r.bottom - r.top < kMinGroupSide) r.bottom = r.top + kMinGroupSide;
    if (!callerHoldsCheckpoint) {
        if (int err = SaveUndoState(view, UndoDrawing)) return err;
    }
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    HGLOBAL drawingBlock = nullptr;
    if (stateBlock) {
        Locked<DocumentState> state(stateBlock);
        if (state) drawingBlock = state->drawing;
    }
    groupResizeRunning = TRUE;
    int err = drawingBlock ? ResizeMembers(view, drawingBlock, groupIndex, handleCode, &r) : ErrOutOfMemory;
    groupResizeRunning = FALSE;
    return callerHoldsCheckpoint ? err : FinishEdit(view, err, FALSE);
}
