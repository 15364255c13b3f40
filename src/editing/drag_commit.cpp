// The release of a drag.
#include "editing/drag_commit.h"

#include "documents/document_state.h"
#include "editing/drag_setup.h"
#include "editing/drag_state.h"
#include "editing/edit_operation.h"
#include "editing/hit_test.h"
#include "editing/hook_targets.h"
#include "editing/view_tracking.h"
#include "frame/frame_services.h"
#include "libraries/library_services.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/edit_ops.h"
#include "model/group_transform.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/move_set.h"
#include "model/objects.h"
#include "model/undo.h"
#include "resource.h"

namespace {

bool SamePoint(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

// The end code of the new or dragged object for a handle code.
int EndCodeOf(Drawing* drawing, int row, int code)
{
    Locked<ObjectList> objects(drawing->objectList);
    INT32 end = code;
    if (objects && row >= 0 && row < objects->count)
        SendClassMessage(nullptr, drawing, objects.get(), row, OM_HANDLETOEND, code, 0, &end);
    return end;
}

int RowCount(Drawing* drawing)
{
    Locked<ObjectList> objects(drawing->objectList);
    return objects ? objects->count : 0;
}

// A drag that changed nothing: no undo step, and an object hidden while dragged shows again.
void NoChange(HWND view, Drawing* drawing)
{
    const DragState& s = g_dragState;
    ClearUndoState(view);
    if (s.hitClass == -1) return;
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects || s.target < 0 || s.target >= objects->count) return;
    const DrawObject& o = (*objects)[s.target];
    if (o.state & StateHiddenWhileDragged) InvalidateLogicalRect(view, &o.updateRect);
}

// The dragged end or object hooked to the target found at the release, moved to it, or unhooked
// when it was hooked and no target was found; a free end away from targets stays free.
int RehookDragged(Drawing* drawing)
{
    const DragState& s = g_dragState;
    if (s.hookSlot < 0 && s.hookTarget < 0) return 0;
    return AttachHook(drawing, s.target, s.hookSlot, s.hookTarget, s.hookHolderCode, s.hookPoint.x, s.hookPoint.y);
}

struct Commit {
    int result = 0;
    bool propagate = false;
    bool shown = false;   // the failure was already rolled back and shown
};

// Creation and placement (11, 18).
void CommitNewObject(HWND view, Drawing* drawing, bool still, Commit* c)
{
    DragState& s = g_dragState;
    if (still) {
        ClearUndoState(view);
        return;
    }
    const int code = s.trackMode == TrackPlaceDragged ? 3 : HandleCodeAtPoint(&s.trackRect, s.anchor.x, s.anchor.y);
    const int before = RowCount(drawing);
    if (s.target == ClassShape && s.subtype == 1) {
        c->result = PlaceVexletInDrawing(view, &s.trackRect);
    } else {
        c->result = AddObject(view, s.target, &s.trackRect, s.subtype, code, 0, TRUE, FALSE, nullptr, TRUE);
        // AddObject rolls back and shows its own failures.
        c->shown = c->result != 0;
    }
    if (c->result) return;
    if (s.trackMode == TrackCreateByDrag) s.hookHolderCode = OppositeSide(code);
    const int after = RowCount(drawing);
    if (after <= before) return;
    const int row = after - 1;
    s.hookHolderCode = EndCodeOf(drawing, row, s.hookHolderCode);
    if (s.startHookTarget >= 0) {
        const int startEnd = EndCodeOf(drawing, row, code);
        c->result = AttachHook(drawing, row, -1, s.startHookTarget, startEnd, s.startHookPoint.x, s.startHookPoint.y);
        if (c->result) return;
    }
    if (s.hookTarget >= 0)
        c->result = AttachHook(drawing, row, s.hookSlot, s.hookTarget, s.hookHolderCode, s.hookPoint.x, s.hookPoint.y);
    c->propagate = true;
}

void CommitResize(HWND view, Drawing* drawing, bool still, Commit* c)
{
    DragState& s = g_dragState;
    if (still) {
        NoChange(view, drawing);
        return;
    }
    const int code = HandleCodeAtPoint(&s.trackRect, s.anchor.x, s.anchor.y);
    if (s.hitClass == -1) {
        ResizeGroup(view, s.target, &s.trackRect, code, FALSE);
        return;
    }
    s.hookHolderCode = EndCodeOf(drawing, s.target, s.hitCode);
    c->result = SaveUndoState(view, UndoResize);
    if (!c->result) c->result = RehookDragged(drawing);
    if (!c->result) ReshapeObject(view, s.target, &s.trackRect, code, FALSE, FALSE);
}

void CommitMove(HWND view, HGLOBAL drawingHandle, Drawing* drawing, const DocumentState* state, bool still,
                bool shift, Commit* c)
{
    DragState& s = g_dragState;
    if (s.droppedAway) return;
    if (still) ClearUndoState(view);
    SelectObjectByClick(drawingHandle, s.target, shift ? TRUE : FALSE, still ? FALSE : TRUE, TRUE);
    if (still) return;
    const int label =
        (state->undoLabel == UndoDuplicate || state->undoLabel == UndoMoveAfterDuplicate) ? UndoMoveAfterDuplicate
                                                                                            : UndoMove;
    c->result = SaveUndoState(view, label);
    if (!c->result) c->result = RehookDragged(drawing);
    if (!c->result) MoveObjects(view, s.lastPoint.x - s.anchor.x, s.lastPoint.y - s.anchor.y, s.moveSet, TRUE);
}

}  // namespace

void EndViewTracking(HWND view, DocumentState* state, POINT, WPARAM keys)
{
    DragState& s = g_dragState;
    if (!state || !state->drawing) return;
    const HGLOBAL drawingHandle = state->drawing;
    Locked<Drawing> drawing(drawingHandle);
    if (!drawing) return;
    const bool shift = (keys & MK_SHIFT) != 0;
    const bool ctrl = (keys & MK_CONTROL) != 0;
    const int mode = s.trackMode;
    HDC dc = GetTrackingDC(view);

    bool still = false;
    if (s.feedbackShown || mode == TrackRubberBand) {
        if (mode == TrackRubberBand && !s.feedbackShown) still = true;
        if (mode == TrackMove && s.clickPending) still = true;
        if ((mode == TrackMove || mode == TrackAdjust || mode == TrackRotate) && SamePoint(s.lastPoint, s.anchor))
            still = true;
        if (s.feedbackShown && dc) DrawTrackFeedback(view, dc, drawing.get(), state);
    } else {
        still = true;
    }
    ClearDragHookMarks(drawing.get(), TRUE);
    s.feedbackShown = 0;

    Commit c;
    switch (mode) {
    case TrackRubberBand:
        if (!still && !ctrl) SelectObjectsInRect(view, &s.trackRect);
        break;
    case TrackCreateByDrag:
    case TrackPlaceDragged:
        CommitNewObject(view, drawing.get(), still, &c);
        break;
    case TrackResize:
        CommitResize(view, drawing.get(), still, &c);
        break;
    case TrackMove:
        CommitMove(view, drawingHandle, drawing.get(), state, still, shift, &c);
        break;
    case TrackAdjust:
        if (still)
            ClearUndoState(view);
        else
            SendObjectMessage(OM_SETPARAM, state, s.target, s.hitCode, &s.lastPoint);
        break;
    case TrackRotate:
        if (still)
            NoChange(view, drawing.get());
        else if (s.hitClass == -1)
            RotateGroup(state, s.target, s.rotationHitCode, s.lastPoint.x, s.lastPoint.y, FALSE);
        else
            RotateObjectAndLabel(state, s.target, s.rotationHitCode, &s.lastPoint);
        break;
    default:
        break;
    }

    if (dc) ReleaseDC(view, dc);
    SetCursorByIndex(CursorArrow);
    drawing->drawingFlags &= ~static_cast<DWORD>(DrawHookTarget);
    {
        Locked<ObjectList> objects(drawing->objectList);
        FreeObjectVector(&s.moveSet, objects.get());
        FreeObjectVector(&s.excludeSet, objects.get());
    }
    if (!c.result && c.propagate) c.result = PropagateLinks(drawing.get());
    drawing.Unlock();
    if (c.result && !c.shown) {
        UndoLastChange(view, FALSE);
        ReportEditError(c.result);
    }
    s.droppedAway = 0;
}
