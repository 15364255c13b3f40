// Lock, Flip, Hide Shadow and Text Shadow, Text Sizing and the arrowhead defaults of new lines:
// properties of every selected object rather than its place.
#include "documents/document_state.h"
#include "editing/arrange.h"
#include "editing/arrange_internal.h"
#include "frame/frame_services.h"
#include "geometry/point_geometry.h"
#include "model/class_protocol.h"
#include "model/document_changes.h"
#include "model/drawing.h"
#include "model/edit_ops.h"
#include "model/group_transform.h"
#include "model/groups.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/selection.h"
#include "resource.h"
#include "store/results.h"
#include "store/store_records.h"

namespace {

constexpr int kFlipRefusedHelp = 201;
constexpr int kCornerHandle = 4;

// The selected groups' indexes and angles at the start of a flip.
struct TurnedGroup {
    int index;
    INT32 angle;
};

GroupEntry GroupAt(Drawing* drawing, int index)
{
    Locked<GroupTable> groups(drawing->groupTable);
    return groups && index < groups->count ? (*groups)[index] : GroupEntry{};
}

void SetGroupAngle(Drawing* drawing, int index, INT32 angle)
{
    Locked<GroupTable> groups(drawing->groupTable);
    if (groups && index < groups->count) (*groups)[index].angle = angle;
}

int GroupCount(Drawing* drawing)
{
    Locked<GroupTable> groups(drawing->groupTable);
    return groups ? groups->count : 0;
}

// Mirrors a flipped member inside its group: its grouped frame inside the group's frame at
// grouping, the object itself inside the group's frame.
int MirrorInGroup(Drawing* drawing, ObjectList* objects, int row, const GroupEntry& group, int mask)
{
    DrawObject& object = (*objects)[row];
    const RECT& copy = group.groupedFrame;
    const RECT& g = group.frame;
    RECT& gf = object.groupFrame;
    const RECT f = object.frame;
    if (mask & OptMirrorH) {
        OffsetRect(&gf, (copy.right - gf.right) - (gf.left - copy.left), 0);
        return OffsetObject(drawing, objects, row, (g.right - f.right) - (f.left - g.left), 0);
    }
    OffsetRect(&gf, 0, (copy.bottom - gf.bottom) - (gf.top - copy.top));
    return OffsetObject(drawing, objects, row, 0, (g.bottom - f.bottom) - (f.top - g.top));
}

}  // namespace

BOOL CheckFlipAllowed(DocumentState* state)
{
    if (!state || !state->drawing) return FALSE;
    Locked<Drawing> drawing(state->drawing);
    Locked<ObjectList> objects(drawing ? drawing->objectList : nullptr);
    if (!objects) return FALSE;
    for (int row = 0; row < objects->count; ++row) {
        const DrawObject& object = (*objects)[row];
        if (!(object.state & StateSelected) || object.hookCount == 0 || object.groupId != 0) continue;
        if (HasSingleFixedHook(&object) || FindOwnerObject(objects.get(), row, TRUE) >= 0) continue;
        ShowWarningById(IDS_HOOKED_FLIP);
        return FALSE;
    }
    return TRUE;
}

int ToggleLockSelection(DocumentState* state, Drawing* drawing)
{
    if (int err = arrange::BeginTableChanges(state, drawing, FALSE)) return err;
    InvalidationBatch batch;
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return ErrOutOfMemory;
    BOOL anyLocked = FALSE;
    for (int row = 0; row < objects->count && !anyLocked; ++row) {
        const DrawObject& object = (*objects)[row];
        anyLocked = (object.state & StateSelected) && (object.state & StateLocked);
    }
    for (int row = 0; row < objects->count; ++row) {
        DrawObject& object = (*objects)[row];
        if (!(object.state & StateSelected)) continue;
        const DWORD before = object.state;
        if (anyLocked) object.state &= ~static_cast<DWORD>(StateLocked);
        else if (object.groupRow < 0) object.state |= StateLocked;
        if (object.state != before) InvalidateLogicalRect(drawing->viewWindow, &object.updateRect);
    }
    return 0;
}

int FlipSelection(DocumentState* state, Drawing* drawing, int mask)
{
    if (int err = arrange::BeginTableChanges(state, drawing, FALSE)) return err;
    InvalidationBatch batch;
    int err = 0;
    const int groupCount = GroupCount(drawing);
    // Turned groups are flipped upright and turned back afterwards, so that a group at 30
    // degrees ends at 30 degrees.
    for (int i = 0; i < groupCount && !err; ++i) {
        GroupEntry group = GroupAt(drawing, i);
        if (!(group.flags & GroupSelected)) continue;
        if (group.flags & GroupHooked) {
            {
                Locked<ObjectList> objects(drawing->objectList);
                err = objects ? UnlinkGroupMembers(drawing, objects.get(), group.groupId) : ErrOutOfMemory;
            }
            if (err) {
                if (RotationRefused) RunInfoDialog("INFO_NOFLIP", kFlipRefusedHelp);
                return err;
            }
            Locked<GroupTable> groups(drawing->groupTable);
            if (groups) (*groups)[i].flags &= ~static_cast<DWORD>(GroupHooked);
        }
        if (group.angle != 0) {
            err = RotateGroup(state, i, kCornerHandle, group.frame.right, group.frame.bottom, TRUE);
            SetGroupAngle(drawing, i, group.angle);
        }
    }
    if (!err) {
        RotationRefused = FALSE;
        Locked<ObjectList> objects(drawing->objectList);
        if (!objects) return ErrOutOfMemory;
        for (int row = 0; row < objects->count && !err; ++row) {
            DrawObject& object = (*objects)[row];
            if (!(object.state & StateSelected)) continue;
            InvalidateLogicalRect(drawing->viewWindow, &object.updateRect);
            err = static_cast<int>(SendClassMessage(nullptr, drawing, objects.get(), row, OM_FLIP, mask));
            if (err) break;
            MarkLinksChanged(drawing, object.objId, LinkChanged, object.groupId, object.groupRow);
            if (object.groupId != 0) {
                int index = FindGroupIndex(drawing, object.groupId, object.groupRow, 0);
                if (index >= 0) {
                    object.groupRow = index;
                    err = MirrorInGroup(drawing, objects.get(), row, GroupAt(drawing, index), mask);
                }
            }
            InvalidateLogicalRect(drawing->viewWindow, &object.updateRect);
        }
    }
    for (int i = 0; i < groupCount && !err; ++i) {
        GroupEntry group = GroupAt(drawing, i);
        if (!(group.flags & GroupSelected) || group.angle == 0) continue;
        SetGroupAngle(drawing, i, 0);
        POINT target = {group.frame.right, group.frame.bottom};
        RotatePoints(&group.frame, group.angle, &target, 1);
        err = RotateGroup(state, i, kCornerHandle, target.x, target.y, TRUE);
    }
    if (RotationRefused) RunInfoDialog("INFO_NOFLIP", kFlipRefusedHelp);
    return err;
}

int ToggleShadowOption(DocumentState* state, Drawing* drawing, int bit)
{
    HWND view = drawing->viewWindow;
    BOOL set = TRUE;
    DrawObject summary;
    CollectSelectionAttributes(view, OM_GETATTRS, &summary, nullptr);
    if (summary.options & static_cast<DWORD>(bit)) set = FALSE;
    if (bit == OptShadowHidden) {
        CollectSelectionAttributes(view, OM_GETLINEATTRS, &summary, nullptr);
        if (summary.options & OptShadowHidden) set = FALSE;
    }
    if (int err = arrange::BeginTableChanges(state, drawing, FALSE)) return err;
    InvalidationBatch batch;
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return ErrOutOfMemory;
    for (int row = 0; row < objects->count; ++row) {
        if (!((*objects)[row].state & StateSelected)) continue;
        if (int err = arrange::SendRedrawn(drawing, objects.get(), row, OM_SETOPTIONS, bit, set)) return err;
    }
    return 0;
}

int ApplyTextSizing(DocumentState* state, Drawing* drawing, int fit)
{
    if (int err = arrange::BeginTableChanges(state, drawing, FALSE)) return err;
    int err = 0;
    {
        InvalidationBatch batch;
        Locked<ObjectList> held(drawing->objectList);
        if (!held) return ErrOutOfMemory;
        ObjectList* objects = held.get();
        for (int row = 0; !err && row < objects->count; ++row) {
            if (!((*objects)[row].state & StateSelected)) continue;
            const RECT before = (*objects)[row].frame;
            if ((err = arrange::SendRedrawn(drawing, objects, row, OM_SETTEXTFIT, fit))) break;
            if (!(objects = PresentObjectList(drawing))) return ErrOutOfMemory;
            if (!EqualRect(&before, &(*objects)[row].frame))
                err = arrange::ScaleGroupForMember(drawing->viewWindow, state, drawing, objects, row, before);
            if (!(objects = PresentObjectList(drawing))) return ErrOutOfMemory;
        }
    }
    if (!err) MarkDocumentChanged(drawing->viewWindow, state, FALSE);
    return err;
}

void SetArrowheadDefaults(Drawing* drawing, const DrawObject* summary)
{
    auto merge = [](INT32 current, INT32 chosen) {
        for (int shift = 0; shift < 16; shift += 8) {
            const INT32 byte = (chosen >> shift) & 0xFF;
            if (byte != 0xFF) current = (current & ~(0xFF << shift)) | (byte << shift);
        }
        return current;
    };
    drawing->defaultArrowStart = merge(drawing->defaultArrowStart, summary->arrowStart);
    drawing->defaultArrowEnd = merge(drawing->defaultArrowEnd, summary->arrowEnd);
    if (summary->arrowSize != -1) drawing->defaultArrowSize = summary->arrowSize;
    if (HGLOBAL block = GlobalHandle(drawing)) MarkBlockDirty(block);
}
