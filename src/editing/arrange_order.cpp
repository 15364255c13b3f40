// Bring to Front, Send to Back, Center Drawing on Page and the arrow-key nudge.
#include <cstring>

#include "documents/document_state.h"
#include "editing/arrange.h"
#include "editing/arrange_internal.h"
#include "editing/edit_services.h"
#include "editing/hit_test.h"
#include "frame/frame_services.h"
#include "model/class_protocol.h"
#include "model/document_changes.h"
#include "model/drawing.h"
#include "model/edit_ops.h"
#include "model/group_transform.h"
#include "model/groups.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/move_set.h"
#include "model/undo.h"
#include "resource.h"
#include "store/results.h"

namespace {

constexpr int kNudgeStep = 6;

BOOL IsSelectedRow(ObjectList* objects, int row)
{
    return row >= 0 && row < objects->count && ((*objects)[row].state & StateSelected);
}

void SetGroupFlag(Drawing* drawing, DWORD flag, BOOL on)
{
    Locked<GroupTable> groups(drawing->groupTable);
    if (!groups) return;
    for (int i = 0; i < groups->count; ++i) {
        if (on) (*groups)[i].flags |= flag;
        else (*groups)[i].flags &= ~flag;
    }
}

// Ceiling of a / b for positive b.
LONG PagesFor(LONG length, LONG page)
{
    return (length + page - 1) / page;
}

}  // namespace

int BringSelectionToFront(DocumentState* state, Drawing* drawing, int position)
{
    if (int err = arrange::BeginTableChanges(state, drawing, TRUE)) return err;
    InvalidationBatch batch;
    {
        Locked<ObjectList> objects(drawing->objectList);
        Locked<ZOrderList> order(drawing->zOrderList);
        if (!objects || !order) return ErrOutOfMemory;
        INT32* rows = order->Entries();
        if (position < 0 || position >= order->count) position = order->count - 1;
        int target = position;
        for (int p = position; p >= 0; --p) {
            int row = rows[p];
            if (!IsSelectedRow(objects.get(), row)) continue;
            memmove(rows + p, rows + p + 1, sizeof(INT32) * (target - p));
            rows[target--] = row;
            InvalidateLogicalRect(drawing->viewWindow, &(*objects)[row].updateRect);
        }
    }
    MarkDocumentChanged(drawing->viewWindow, state, FALSE);
    return 0;
}

int SendSelectionToBack(DocumentState* state, Drawing* drawing)
{
    if (int err = arrange::BeginTableChanges(state, drawing, TRUE)) return err;
    InvalidationBatch batch;
    {
        Locked<ObjectList> objects(drawing->objectList);
        Locked<ZOrderList> order(drawing->zOrderList);
        if (!objects || !order) return ErrOutOfMemory;
        INT32* rows = order->Entries();
        int target = 0;
        for (int p = 0; p < order->count; ++p) {
            int row = rows[p];
            if (!IsSelectedRow(objects.get(), row)) continue;
            memmove(rows + target + 1, rows + target, sizeof(INT32) * (p - target));
            rows[target++] = row;
            InvalidateLogicalRect(drawing->viewWindow, &(*objects)[row].updateRect);
        }
    }
    MarkDocumentChanged(drawing->viewWindow, state, FALSE);
    return 0;
}

int CenterDrawing(DocumentState* state, const RECT* extent)
{
    if (!state->drawing || state->printableWidth <= 0 || state->printableHeight <= 0) return 0;
    Locked<Drawing> drawing(state->drawing);
    if (!drawing) return ErrOutOfMemory;
    const LONG w = extent->right - extent->left, h = extent->bottom - extent->top;
    const LONG blockWidth = PagesFor(w, state->printableWidth) * state->printableWidth;
    const LONG blockHeight = PagesFor(h, state->printableHeight) * state->printableHeight;
    POINT d = {(blockWidth - w) / 2 - extent->left, (blockHeight - h) / 2 - extent->top};
    if (drawing->drawingFlags & DrawSnap) SnapPointToGrid(drawing.get(), &d, 0);
    if (d.x == 0 && d.y == 0) return 0;
    if (int err = arrange::BeginTableChanges(state, drawing.get(), FALSE)) return err;
    InvalidationBatch batch;
    int err = 0;
    {
        Locked<ObjectList> objects(drawing->objectList);
        Locked<GroupTable> groups(drawing->groupTable);
        if (!objects || !groups) return ErrOutOfMemory;
        for (int row = 0; row < objects->count && !err; ++row) {
            DrawObject& object = (*objects)[row];
            if (object.hookCount != 0) continue;
            if (object.groupId != 0) {
                int index = FindGroupEntry(groups.get(), object.groupId, object.groupRow, 0);
                if (index >= 0) {
                    object.groupRow = index;
                    OffsetRect(&object.groupFrame, d.x, d.y);
                }
            }
            err = OffsetObject(drawing.get(), objects.get(), row, d.x, d.y);
        }
        for (int i = groups->count - 1; i >= 0 && !err; --i) {
            OffsetRect(&(*groups)[i].frame, d.x, d.y);
            OffsetRect(&(*groups)[i].groupedFrame, d.x, d.y);
        }
    }
    MarkDocumentChanged(drawing->viewWindow, state, FALSE);
    return err;
}

namespace {

// One press of the nudge over the selection, with the tables locked.
int NudgeRows(Drawing* drawing, ObjectList* objects, BOOL shift, LONG dx, LONG dy, BOOL* moved)
{
    HWND view = drawing->viewWindow;
    SetGroupFlag(drawing, GroupFramesPending, TRUE);
    int err = 0;
    for (int row = 0; !err && row < objects->count; ++row) {
        DrawObject& object = (*objects)[row];
        if (!(object.state & StateSelected) || object.hookCount != 0) continue;
        *moved = TRUE;
        int index = -1;
        if (object.groupRow >= 0) {
            Locked<GroupTable> groups(drawing->groupTable);
            if (!groups) return ErrOutOfMemory;
            index = FindGroupEntry(groups.get(), object.groupId, object.groupRow, 0);
            if (index >= 0) object.groupRow = index;
        }
        if (shift && object.groupRow < 0) {
            InvalidateLogicalRect(view, &object.updateRect);
            RECT r = arrange::ResizedByLayout(object.frame, object.handleLayout, dx, dy);
            err = static_cast<int>(SendClassMessage(nullptr, drawing, objects, row, OM_SETFRAME, 0, 0, &r));
            if (!(objects = PresentObjectList(drawing))) return ErrOutOfMemory;
            if (err) break;
            const DrawObject& sized = (*objects)[row];
            MarkLinksChanged(drawing, sized.objId, LinkChanged, sized.groupId, sized.groupRow);
            InvalidateLogicalRect(view, &sized.updateRect);
        } else if (shift) {
            if (index < 0 || (dx == 0 && dy == 0)) continue;
            RECT frame;
            int layout;
            {
                Locked<GroupTable> groups(drawing->groupTable);
                if (!groups) return ErrOutOfMemory;
                GroupEntry& group = (*groups)[index];
                if (!(group.flags & GroupFramesPending)) continue;
                group.flags &= ~static_cast<DWORD>(GroupFramesPending);
                frame = group.frame;
                layout = group.handleLayout;
            }
            RECT r = arrange::ResizedByLayout(frame, layout, dx, dy);
            err = ResizeGroup(view, index, &r, 0, TRUE);
            if (!(objects = PresentObjectList(drawing))) return ErrOutOfMemory;
        } else {
            if (index >= 0) {
                Locked<GroupTable> groups(drawing->groupTable);
                if (!groups) return ErrOutOfMemory;
                OffsetRect(&object.groupFrame, dx, dy);
                GroupEntry& group = (*groups)[index];
                if (group.flags & GroupFramesPending) {
                    OffsetRect(&group.frame, dx, dy);
                    OffsetRect(&group.groupedFrame, dx, dy);
                    group.flags &= ~static_cast<DWORD>(GroupFramesPending);
                }
            }
            err = OffsetObject(drawing, objects, row, dx, dy);
        }
    }
    SetGroupFlag(drawing, GroupFramesPending, FALSE);
    return err;
}

}  // namespace

int NudgeSelection(DocumentState* state, Drawing* drawing, int key)
{
    const BOOL shift = GetKeyState(VK_SHIFT) < 0;
    HWND view = drawing->viewWindow;
    ObjectVector* set = nullptr;
    RECT b = {};
    // The move set takes the selection as such only from two objects on: a single selected
    // object is asked for by its row.
    const int row = drawing->selectedCount < 2 ? TopmostSelectedObject(drawing) : -1;
    if (int err = CollectMoveSet(drawing, row, TRUE, TRUE, FALSE, &set, &b)) return err;
    if (!set) return 0;
    {
        Locked<ObjectList> objects(drawing->objectList);
        BOOL empty = set->count == 0;
        FreeObjectVector(&set, objects.get());
        if (empty) return 0;
    }
    LONG dx = key == VK_LEFT ? -kNudgeStep : key == VK_RIGHT ? kNudgeStep : 0;
    LONG dy = key == VK_UP ? -kNudgeStep : key == VK_DOWN ? kNudgeStep : 0;
    if (b.left < 0 || b.top < 0) return 0;
    if (shift) {
        if ((b.right + dx <= b.left && dx < 0) || (b.bottom + dy <= b.top && dy < 0)) return 0;
        if (b.right + dx > state->areaWidth || b.bottom + dy > state->areaHeight) return 0;
        state->undoLabel = UndoResize;
    } else {
        if (b.left + dx < 0 || b.top + dy < 0 || b.right + dx > state->areaWidth || b.bottom + dy > state->areaHeight)
            return 0;
        if (state->undoLabel == UndoMoveAfterDuplicate) {
            drawing->duplicateDx += dx;
            drawing->duplicateDy += dy;
        }
    }
    if (int err = arrange::BeginTableChanges(state, drawing, FALSE)) return err;
    BOOL moved = FALSE;
    int err = 0;
    {
        InvalidationBatch batch;
        {
            Locked<ObjectList> objects(drawing->objectList);
            if (!objects) return ErrOutOfMemory;
            err = NudgeRows(drawing, objects.get(), shift, dx, dy, &moved);
        }
        if (err) return err;
        if (!moved) {
            ShowWarningById(IDS_HOOKED_MOVE);
            return 0;
        }
        if ((err = PropagateLinks(drawing))) return err;
        MarkDocumentChanged(view, state, FALSE);
    }
    // A held arrow key shows every step.
    if (view) UpdateWindow(view);
    return 0;
}
