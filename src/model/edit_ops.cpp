// Model edit operations: every change runs as one transaction over the drawing's store records
// (checkpoint, record changes, class message, links flagged, propagation, document changed), and
// a failure rolls the whole store back so that no half-done edit survives.
#include "model/edit_ops.h"

#include <initializer_list>

#include "documents/document_state.h"
#include "documents/document_life.h"
#include "editing/edit_services.h"
#include "frame/frame_services.h"
#include "model/class_protocol.h"
#include "model/document_changes.h"
#include "model/drawing.h"
#include "model/group_transform.h"
#include "model/groups.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/move_set.h"
#include "model/selection.h"
#include "model/undo.h"
#include "geometry/real_math.h"
#include "resource.h"
#include "store/results.h"
#include "store/store_records.h"

namespace {

constexpr LONG kCoordinateLimit = 0x7FFF;
constexpr int kGroupCornerHandle = 4;   // the right-bottom handle: the group grows from its top-left

HGLOBAL DrawingBlockOf(HGLOBAL stateBlock)
{
    Locked<DocumentState> state(stateBlock);
    return state ? state->drawing : nullptr;
}

// The view a document state's drawing is shown in; none without a drawing.
HWND ViewOfState(const DocumentState* state)
{
    if (!state || !state->drawing) return nullptr;
    Locked<Drawing> drawing(state->drawing);
    return drawing ? drawing->viewWindow : nullptr;
}

// Step 5 of the edit transaction (edit_ops.h): the object's own links and group, and when it hangs on exactly one
// target, that target's links too, so the target's other holders follow.
void FlagObjectLinks(Drawing* drawing, ObjectList* objects, int row)
{
    const DrawObject& object = (*objects)[row];
    MarkLinksChanged(drawing, object.objId, LinkChanged, object.groupId, object.groupRow);
    if (object.hookCount != 1) return;
    const HookEntry& hook = object.hooks[0];
    int target = FindObjectById(objects, hook.targetId, hook.targetRow);
    if (target < 0) return;
    MarkLinksChanged(drawing, hook.targetId, LinkChanged, (*objects)[target].groupId, (*objects)[target].groupRow);
}

// Sends one message between invalidations of the old and new update rectangles.
int SendInvalidating(Drawing* drawing, ObjectList* objects, int row, int message, int a, int b, void* p)
{
    InvalidateLogicalRect(drawing->viewWindow, &(*objects)[row].updateRect);
    int err = static_cast<int>(SendClassMessage(nullptr, drawing, objects, row, message, a, b, p));
    // The message may have added an object (a length label), so `objects` may have moved.
    Locked<ObjectList> after(drawing->objectList);
    if (after && row < after->count) InvalidateLogicalRect(drawing->viewWindow, &(*after)[row].updateRect);
    return err;
}

int BeginChanges(std::initializer_list<HGLOBAL> blocks)
{
    NoteModelChange();
    for (HGLOBAL block : blocks) {
        if (int err = BeginRecordChange(block)) return err;
    }
    return 0;
}

// The shared body of the one-object edits: record changes, the message, the links, propagation.
template <typename Change>
int EditOneObject(HGLOBAL drawingBlock, int row, BOOL callerHoldsCheckpoint, Change change)
{
    Locked<Drawing> drawing(drawingBlock);
    if (!drawing) return ErrOutOfMemory;
    if (int err = BeginChanges({drawingBlock, drawing->objectList})) return err;
    {
        Locked<ObjectList> objects(drawing->objectList);
        if (!objects) return ErrOutOfMemory;
        if (row < 0 || row >= objects->count) return 0;
        if (int err = change(drawing.get(), objects.get())) return err;
    }
    {
        // The change may have grown the list (a line's new length label): it is locked afresh.
        Locked<ObjectList> objects(drawing->objectList);
        if (!objects) return ErrOutOfMemory;
        if (row >= objects->count) return 0;
        FlagObjectLinks(drawing.get(), objects.get(), row);
    }
    return callerHoldsCheckpoint ? 0 : PropagateLinks(drawing.get());
}

}  // namespace

// A grouped member's frame changed: the whole group is resized by the member's factors instead,
// moved as the member's top-left moved but kept on the drawing, and the member's own frame is
// put back first. Nothing for an object in no group.
int ResizeGroupForMember(HWND view, Drawing* drawing, ObjectList* objects, int row, const RECT& before)
{
    DrawObject& member = (*objects)[row];
    int index = GroupIndexOfObject(drawing, member);
    if (index < 0) return 0;
    member.groupRow = index;
    GroupEntry group;
    {
        Locked<GroupTable> groups(drawing->groupTable);
        if (!groups) return ErrOutOfMemory;
        group = (*groups)[index];
    }
    const double oldWidth = before.right - before.left, oldHeight = before.bottom - before.top;
    double sx = oldWidth > 0 ? (member.frame.right - member.frame.left) / oldWidth : 1.0;
    double sy = oldHeight > 0 ? (member.frame.bottom - member.frame.top) / oldHeight : 1.0;
    if (group.handleLayout == 3) sx = sy = sx > sy ? sx : sy;
    const RECT& g = group.frame;
    RECT r = {g.left, g.top, g.left + TruncReal((g.right - g.left) * sx), g.top + TruncReal((g.bottom - g.top) * sy)};
    LONG dx = member.frame.left - before.left, dy = member.frame.top - before.top;
    if (r.right + dx > drawing->pageWidth) dx = drawing->pageWidth - r.right;
    if (r.left + dx < 0) dx = -r.left;
    if (r.bottom + dy > drawing->pageHeight) dy = drawing->pageHeight - r.bottom;
    if (r.top + dy < 0) dy = -r.top;
    OffsetRect(&r, dx, dy);
    InvalidateLogicalRect(drawing->viewWindow, &member.updateRect);
    member.frame = before;
    SendClassMessage(nullptr, drawing, objects, row, OM_RECALC);
    return ResizeGroup(view, index, &r, kGroupCornerHandle, TRUE);
}

int FinishEdit(HWND view, int err, BOOL whole)
{
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return err ? err : ErrOutOfMemory;
    if (!err) {
        Locked<DocumentState> state(stateBlock);
        if (state) MarkDocumentChanged(view, state.get(), whole);
        return 0;
    }
    RollBackEdit(view);
    {
        Locked<DocumentState> state(stateBlock);
        if (state) state->undoLabel = UndoNone;
    }
    ReportEditError(err);
    return err;
}

int ReshapeObject(HWND view, int row, const RECT* rect, int handleCode, BOOL rotated, BOOL callerHoldsCheckpoint)
{
    InvalidationBatch batch;
    SetCursorByIndex(CursorBusy);
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return ErrOutOfMemory;
    RECT frame = *rect;
    int err = EditOneObject(DrawingBlockOf(stateBlock), row, callerHoldsCheckpoint, [&](Drawing* d, ObjectList* objects) {
        int message = handleCode == 0 ? OM_SETFRAME : OM_DRAGHANDLE;
        return SendInvalidating(d, objects, row, message, handleCode, rotated, &frame);
    });
    return callerHoldsCheckpoint ? err : FinishEdit(view, err, FALSE);
}

int SendObjectMessage(int message, DocumentState* state, int row, int a, POINT* point)
{
    InvalidationBatch batch;
    SetCursorByIndex(CursorBusy);
    HWND view = ViewOfState(state);
    if (!view) return ErrOutOfMemory;
    if (int err = SaveUndoState(view, UndoChangeShape)) return err;
    int err = EditOneObject(state->drawing, row, FALSE, [&](Drawing* d, ObjectList* objects) {
        return SendInvalidating(d, objects, row, message, a, 0, point);
    });
    return FinishEdit(view, err, FALSE);
}

int TurnAttachedLabel(Drawing* drawing, ObjectList* objects, int row)
{
    DrawObject& object = (*objects)[row];
    INT32 labelAngle = object.angle;
    SendClassMessage(nullptr, drawing, objects, row, OM_LABELANCHOR, 0, 0, &labelAngle);
    if (object.labelId == kNoLabel || (object.state & StateAttachedLabel)) return 0;
    int label = FindObjectById(objects, object.labelId, object.labelRow);
    if (label < 0 || !((*objects)[label].state & StateAttachedLabel)) return 0;
    return SendInvalidating(drawing, objects, label, OM_SETANGLE, labelAngle, 0, nullptr);
}

int RotateObjectAndLabel(DocumentState* state, int row, int handleCode, POINT* point)
{
    InvalidationBatch batch;
    SetCursorByIndex(CursorBusy);
    HWND view = ViewOfState(state);
    if (!view) return ErrOutOfMemory;
    if (int err = SaveUndoState(view, UndoRotate)) return err;
    int err = EditOneObject(state->drawing, row, FALSE, [&](Drawing* d, ObjectList* objects) {
        if (int result = SendInvalidating(d, objects, row, OM_ROTATETO, handleCode, 0, point)) return result;
        return TurnAttachedLabel(d, objects, row);
    });
    return FinishEdit(view, err, FALSE);
}

int OffsetObject(Drawing* drawing, ObjectList* objects, int row, int dx, int dy)
{
    DrawObject& object = (*objects)[row];
    // Coordinates are kept within the positive 16-bit range the device mapping can carry.
    if (object.updateRect.right + dx >= kCoordinateLimit || object.updateRect.bottom + dy >= kCoordinateLimit)
        return ErrOutsideDrawing;
    InvalidateLogicalRect(drawing->viewWindow, &object.updateRect);
    for (RECT* r : {&object.updateRect, &object.frame, &object.innerRect, &object.textRect}) OffsetRect(r, dx, dy);
    SendClassMessage(nullptr, drawing, objects, row, OM_OFFSET, dx, dy, nullptr);
    InvalidateLogicalRect(drawing->viewWindow, &object.updateRect);
    MarkLinksChanged(drawing, object.objId, LinkChanged, object.groupId, object.groupRow);
    return 0;
}

int MoveObjects(HWND view, int dx, int dy, const ObjectVector* moveSet, BOOL callerHoldsCheckpoint)
{
    if ((dx == 0 && dy == 0) || !moveSet) return 0;
    InvalidationBatch batch;
    SetCursorByIndex(CursorBusy);
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return ErrOutOfMemory;
    bool afterDuplicate;
    {
        Locked<DocumentState> state(stateBlock);
        if (!state) return ErrOutOfMemory;
        afterDuplicate = state->undoLabel == UndoDuplicate || state->undoLabel == UndoMoveAfterDuplicate;
    }
    if (!callerHoldsCheckpoint) {
        if (int err = SaveUndoState(view, afterDuplicate ? UndoMoveAfterDuplicate : UndoMove)) return err;
    }
    int err = 0;
    {
        HGLOBAL drawingBlock = DrawingBlockOf(stateBlock);
        Locked<Drawing> drawing(drawingBlock);
        if (!drawing) return ErrOutOfMemory;
        err = BeginChanges({drawingBlock, drawing->objectList, drawing->groupTable});
        if (!err) {
            // Consecutive moves of a duplicate teach the next Duplicate where to put its copy.
            if (afterDuplicate) {
                drawing->duplicateDx += dx;
                drawing->duplicateDy += dy;
            }
            Locked<ObjectList> objects(drawing->objectList);
            Locked<GroupTable> groups(drawing->groupTable);
            if (!objects || !groups) return ErrOutOfMemory;
            err = OffsetMoveSet(drawing.get(), objects.get(), groups.get(), moveSet, dx, dy);
        }
        if (!err && !callerHoldsCheckpoint) err = PropagateLinks(drawing.get());
    }
    return callerHoldsCheckpoint ? err : FinishEdit(view, err, FALSE);
}

int KeepObjectOnPage(DocumentState* state, Drawing* drawing, ObjectList* objects, int row)
{
    DrawObject& object = (*objects)[row];
    RECT bounds = object.frame;
    SendClassMessage(nullptr, drawing, objects, row, OM_GETBOUNDS, 1, 1, &bounds);
    const LONG width = bounds.right - bounds.left;
    const LONG height = bounds.bottom - bounds.top;
    if (width > drawing->pageWidth || height > drawing->pageHeight || width < 0 || height < 0)
        return ErrOutsideDrawing;
    LONG dx = bounds.right > drawing->pageWidth ? drawing->pageWidth - bounds.right : 0;
    if (bounds.left < 0) dx = -bounds.left;
    LONG dy = bounds.bottom > drawing->pageHeight ? drawing->pageHeight - bounds.bottom : 0;
    if (bounds.top < 0) dy = -bounds.top;
    if (dx == 0 && dy == 0) return 0;
    if (int err = OffsetObject(drawing, objects, row, dx, dy)) return err;
    if (object.hookCount == 1) {
        const HookEntry& hook = object.hooks[0];
        int target = FindObjectById(objects, hook.targetId, hook.targetRow);
        if (target >= 0)
            MarkLinksChanged(drawing, hook.targetId, LinkChanged, (*objects)[target].groupId, (*objects)[target].groupRow);
    }
    if (state) state->flags |= DocRedraw;
    return 0;
}

int KeepObjectOnViewPage(Drawing* drawing, ObjectList* objects, int row)
{
    if (!drawing || !objects || row < 0 || !drawing->viewWindow) return 0;
    HGLOBAL stateBlock = GetDocumentStateHandle(drawing->viewWindow);
    if (!stateBlock) return 0;
    DocumentState* state = static_cast<DocumentState*>(GlobalLock(stateBlock));
    if (!state) return 0;
    const int err = KeepObjectOnPage(state, drawing, objects, row);
    GlobalUnlock(stateBlock);
    return err;
}

int ApplyToSelection(HWND view, int message, int a, void* value, BOOL callerHoldsCheckpoint)
{
    InvalidationBatch batch;
    SetCursorByIndex(CursorBusy);
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return ErrOutOfMemory;
    if (!DrawingBlockOf(stateBlock)) return 0;
    if (!callerHoldsCheckpoint) {
        if (int err = SaveUndoState(view, message == OM_SETANGLE ? UndoRotate : UndoChangeAppearance)) return err;
    }
    int err = 0;
    int pending = 0;
    {
        HGLOBAL drawingBlock = DrawingBlockOf(stateBlock);
        Locked<Drawing> drawing(drawingBlock);
        if (!drawing) return ErrOutOfMemory;
        err = BeginChanges({drawingBlock, drawing->objectList, drawing->zOrderList});
        if (!err && value) {
            const COLORREF color = *static_cast<const COLORREF*>(value);
            if (message == OM_SETBORDERCOLOR) drawing->style.borderColor = color;
            if (message == OM_SETFILLCOLOR) drawing->style.fillColor = color;
            if (message == OM_SETLINECOLOR) drawing->style.lineColor = color;
        }
        drawing->pendingMessage = 0;
        if (!err && drawing->selectedCount > 0) {
            // A message can add objects (Show Length makes a dimension label), which resizes the
            // object list and may move it: the list is locked afresh for every step.
            for (int row = 0; !err; ++row) {
                RECT before;
                {
                    Locked<ObjectList> objects(drawing->objectList);
                    if (!objects) return ErrOutOfMemory;
                    if (row >= objects->count) break;
                    const DrawObject& object = (*objects)[row];
                    if (!(object.state & StateSelected)) continue;
                    // Grouped objects turn only with their group (Group Rotate).
                    if (message == OM_SETANGLE && GroupIndexOfObject(drawing.get(), object) >= 0) continue;
                    before = object.frame;
                    err = SendInvalidating(drawing.get(), objects.get(), row, message, a, 0, value);
                }
                Locked<ObjectList> objects(drawing->objectList);
                if (!objects) return ErrOutOfMemory;
                if (row >= objects->count) break;
                const DrawObject& object = (*objects)[row];
                // A frame changed through the selection (a border, a text fit) moves the points its
                // hooked objects hang on: flag them so the propagation below lets them follow.
                if (!err && !EqualRect(&before, &object.frame)) {
                    FlagObjectLinks(drawing.get(), objects.get(), row);
                    err = ResizeGroupForMember(view, drawing.get(), objects.get(), row, before);
                }
                if (err || message != OM_SETANGLE) continue;
                if (object.labelId == kNoLabel || (object.state & StateAttachedLabel)) continue;
                int label = FindObjectById(objects.get(), object.labelId, object.labelRow);
                if (label >= 0 && ((*objects)[label].state & StateAttachedLabel))
                    err = SendInvalidating(drawing.get(), objects.get(), label, OM_SETANGLE, a, 0, value);
            }
        }
        if (!err && !callerHoldsCheckpoint) err = PropagateLinks(drawing.get());
        pending = drawing->pendingMessage;
        drawing->pendingMessage = 0;
    }
    if (callerHoldsCheckpoint) return err;
    err = FinishEdit(view, err, TRUE);
    if (!err && pending) ShowWarningById(static_cast<UINT>(pending));
    return err;
}
