// The drawing view's mouse and the press engine. One drag at a time in the whole process: the
// press fills the one DragState and the view holds the capture until the release.
#include "editing/view_mouse.h"

#include "documents/document_state.h"
#include "documents/options.h"
#include "editing/drag_setup.h"
#include "editing/drag_state.h"
#include "editing/hit_test.h"
#include "editing/drag_commit.h"
#include "editing/placement.h"
#include "editing/view_tracking.h"
#include "frame/frame_services.h"
#include "frame/frame_ui.h"
#include "frame/view_layout.h"
#include "libraries/library_services.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/groups.h"
#include "model/move_set.h"
#include "model/undo.h"
#include "resource.h"
#include "text/text_editor.h"

DragState g_dragState = IdleDragState();
int g_paletteTool = ToolPointer;
BOOL g_paletteToolSticky = FALSE;
BOOL g_selectHintShown = FALSE;
double g_pressRulerScale = 1.0;

void SelectPaletteTool(int tool)
{
    if (tool == 107) {
        if (!g_paletteToolSticky) g_paletteTool = ToolPointer;
        return;
    }
    g_paletteTool = tool;
}

namespace {

HGLOBAL ViewStateHandle(HWND view)
{
    return view ? reinterpret_cast<HGLOBAL>(static_cast<LONG_PTR>(GetWindowLongA(view, kViewStateLong))) : nullptr;
}

bool BothModifiers(WPARAM keys) { return (keys & MK_CONTROL) && (keys & MK_SHIFT); }

// The drag mode a pointer press arms for a HitCode.
int ModeForHitCode(int code)
{
    if ((code >= 1 && code <= 8) || (code >= 20 && code <= 29)) return TrackResize;
    if ((code >= 50 && code <= 53) || (code >= 60 && code <= 67)) return TrackAdjust;
    if (code >= HitRotateFirst && code <= HitRotateLast) return TrackRotate;
    return TrackMove;
}

// Every field back to its state at a press; the vectors of the last drag are freed.
void ResetDragState(Drawing* drawing, const DocumentState* state, POINT point, int subtype)
{
    DragState& s = g_dragState;
    {
        Locked<ObjectList> objects(drawing->objectList);
        FreeObjectVector(&s.moveSet, objects.get());
        FreeObjectVector(&s.excludeSet, objects.get());
    }
    const INT32 mode = s.trackMode;
    const POINT hookPoint = s.hookPoint;
    s = IdleDragState();
    s.trackMode = mode;
    s.hookPoint = hookPoint;
    s.markedPoint = hookPoint;
    s.anchor = s.pressPoint = s.lastPoint = s.lastRawPoint = point;
    s.trackRect = {point.x, point.y, point.x, point.y};
    s.limitsRect = {0, 0, state->areaWidth, state->areaHeight};
    s.subtype = subtype;
    s.hitClass = -1;
}

// The frontmost member of a group, so that a move of the group starts from one of its objects.
int FrontMemberOfGroup(Drawing* drawing, int groupIndex)
{
    Locked<ObjectList> objects(drawing->objectList);
    Locked<ZOrderList> order(drawing->zOrderList);
    Locked<GroupTable> groups(drawing->groupTable);
    if (!objects || !order || !groups) return -1;
    for (int i = order->count - 1; i >= 0; --i) {
        const int r = (*order)[i];
        if (r >= 0 && r < objects->count && GroupOfObject(groups.get(), (*objects)[r]) == groupIndex) return r;
    }
    return -1;
}

// Keeps a moved set's bounds inside the drawing area; an object whose own bounds overhang the
// set's by more than 2000 units may leave the area by that overhang.
void NarrowMoveLimits(POINT point, const RECT& local)
{
    DragState& s = g_dragState;
    RECT& l = s.limitsRect;
    const RECT& t = s.trackRect;
    l.left += point.x - t.left;
    l.top += point.y - t.top;
    if (local.right - t.right > 2000)
        l.right -= local.right - 2000 - point.x;
    else
        l.right -= t.right - point.x;
    if (local.bottom - t.bottom > 2000)
        l.bottom -= local.bottom - 2000 - point.y;
    else
        l.bottom -= t.bottom - point.y;
    s.trackRect = local;
}

}  // namespace

void BeginViewTracking(HWND view, DocumentState* state, int mode, int toolSlot, int subtype, int x, int y,
                       WPARAM keys, const SIZE* defaultSize)
{
    DragState& s = g_dragState;
    if (!state || !state->drawing) return;
    const BOOL shift = (keys & MK_SHIFT) ? TRUE : FALSE;
    g_pressRulerScale = state->zoom > 74 ? state->zoom / 1000.0 : 1.0;
    if (state->textEditor && EndTextEditing(view, 0) != 0) return;
    const HGLOBAL drawingHandle = state->drawing;
    Locked<Drawing> drawing(drawingHandle);
    if (!drawing) return;
    // The index of update rectangles is kept while the model is unchanged; a press after a
    // change makes it afresh, and every later press and hook search of the drag uses it.
    BuildHitIndex(drawing.get());
    s.feedbackShown = 0;
    drawing->toolSlot = toolSlot;

    ViewDrawingDC dc(view);
    POINT point = {x, y};
    if (dc.get()) DPtoLP(dc.get(), &point, 1);
    POINT unsnapped = point;
    drawing->drawingFlags &= ~static_cast<DWORD>(DrawHookTarget);
    if ((drawing->drawingFlags & DrawSnap) && mode != 10) SnapPointToGrid(drawing.get(), &point, state->zoom);
    ResetDragState(drawing.get(), state, point, subtype);

    int chosen = TrackCreateByDrag;
    int code = HitNewObject;
    const BOOL right = ContextMenuKind == ContextBackground;
    switch (mode) {
    case 10: {
        int row = -1, hitClass = -1;
        code = HitTestPage(drawing.get(), point.x, point.y, 10, nullptr, &row, &hitClass, FALSE);
        if (right) {
            if (code == 0) return;
            ContextMenuKind = (hitClass >= 1 && hitClass <= 3) ? ContextLine : ContextShape;
            code = HitBody;
            if (hitClass == -1) {
                // A group's handle: the group moves with its frontmost member.
                row = FrontMemberOfGroup(drawing.get(), row);
                if (row < 0) return;
                Locked<ObjectList> objects(drawing->objectList);
                hitClass = (*objects)[row].objClass;
            }
        }
        if (code == 0) {
            if (!shift) DeselectAll(drawing.get());
            return;
        }
        if (code == HitClickOnly) {
            ClearUndoState(view);
            SelectObjectByClick(drawingHandle, row, shift, FALSE, TRUE);
            s.trackMode = TrackNone;
            ReleaseCapture();
            return;
        }
        chosen = ModeForHitCode(code);
        if (chosen == TrackMove && !right && !shift && hitClass != -1) {
            bool selected;
            {
                Locked<ObjectList> objects(drawing->objectList);
                selected = ((*objects)[row].state & StateSelected) != 0;
            }
            if (!selected) DeselectAll(drawing.get());
        }
        if (chosen == TrackRotate) s.rotationHitCode = code;
        s.target = row;
        s.hitClass = hitClass;
        break;
    }
    case 14:
    case 15:
    case 16:
        dc.Release();
        BeginGuideDrag(view, state, mode, point);
        return;
    case 17: {
        int row = -1, hitClass = -1;
        code = HitTestPage(drawing.get(), point.x, point.y, 17, nullptr, &row, &hitClass, FALSE);
        if (code != HitInterior && code != HitAttachmentMark) row = -1;
        dc.Release();
        drawing.Unlock();
        BeginObjectTextEdit(view, state, row, point.x, point.y, 0);
        return;
    }
    default:
        s.target = (mode >= 0 && mode <= 3) ? mode : ClassLine;
        s.hitClass = s.target;
        break;
    }
    s.hitCode = code;
    const INT32 pressMode = s.trackMode;
    s.trackMode = chosen;   // the hook search of a creation reads it
    RECT local = s.trackRect;
    const int refused = PrepareDrag(drawing.get(), code, s.target, &s.trackRect, &s.anchor, &s.secondPoint,
                                    &s.axisLock, defaultSize, shift, &local, &unsnapped);
    s.savedCursor = GetCurrentCursorIndex();
    if (s.hookTarget >= 0 && s.hitCode < HitBody) SetCursorByIndex(CursorAnchor);
    if (s.hitCode > HitRotating) s.hitCode = HitRotating;
    if (refused) {
        if (s.trackMode != TrackNone) s.trackMode = pressMode;
        return;
    }
    SetCapture(view);
    s.trackedView = view;
    if (chosen != TrackMove) return;
    NarrowMoveLimits(point, local);
    if (IsButtonHeld(view)) {
        DrawDragFeedback(dc.get(), drawing.get(), s.target, s.hitCode, s.subtype, &s.trackRect, s.secondPoint);
        s.feedbackShown = 1;
        s.clickPending = 0;
        SetCursorByIndex(CursorMove);
    } else {
        s.clickPending = 1;
    }
}

void OnViewButtonDown(HWND view, WPARAM keys, POINT point, BOOL right)
{
    ContextMenuKind = ContextNone;
    int mode = -1, toolSlot = -1, subtype = 0;
    SIZE size = {};
    const SIZE* defaultSize = nullptr;
    const HGLOBAL stateHandle = ViewStateHandle(view);
    if (!stateHandle) return;
    Locked<DocumentState> state(stateHandle);
    if (!state) return;
    if (right) {
        mode = 10;
        g_dragState.trackMode = TrackRubberBand;
        SetCapture(view);
        ContextMenuKind = ContextBackground;
    } else if (BothModifiers(keys)) {
        ToggleFitToWindow(view, state.get(), point.x, point.y);
    } else if (g_paletteTool == ToolPointer) {
        mode = 10;
        g_dragState.trackMode = TrackRubberBand;
        SetCapture(view);
    } else if (g_paletteTool == ToolText) {
        mode = 17;
    } else if (g_paletteTool >= ToolFirstSlot && g_paletteTool <= ToolLastSlot) {
        toolSlot = g_paletteTool - ToolFirstSlot;
        if (g_settings) {
            const ToolSlot& slot = g_settings->tools[toolSlot];
            mode = slot.objClass;
            subtype = slot.subtype;
            if (slot.objClass >= 0 && slot.objClass < ClassCount &&
                (SendTypeQuery(slot.objClass, OM_TYPEHANDLES, slot.subtype) & 0x2)) {
                size = {slot.width, slot.height};
                defaultSize = &size;
            }
        }
    } else if (g_paletteTool == ToolVexlet) {
        if (CurrentVexlet.slot >= 0 && CurrentVexlet.item >= 0 &&
            FindLibraryItemIndex(CurrentVexlet.slot, CurrentVexlet.item) >= 0) {
            mode = 0;
            subtype = 1;
        }
    }
    if (mode != -1)
        BeginViewTracking(view, state.get(), mode, toolSlot, subtype, point.x, point.y, keys, defaultSize);
}

void OnViewMouseMove(HWND view, WPARAM keys, POINT point)
{
    Locked<DocumentState> state(ViewStateHandle(view));
    if (state) TrackViewMouse(view, state.get(), keys, point);
}

void OnViewButtonUp(HWND view, WPARAM keys, POINT point)
{
    {
        Locked<DocumentState> state(ViewStateHandle(view));
        EndViewTracking(view, state.get(), point, keys);
        int selected = 0;
        if (state && state->drawing) {
            Locked<Drawing> drawing(state->drawing);
            if (drawing) selected = drawing->selectedCount;
        }
        state.Unlock();
        if (g_paletteTool == ToolPointer && !g_selectHintShown && g_settings && (g_settings->flags & SetHints) &&
            selected > 0) {
            g_selectHintShown = TRUE;
            RunInfoDialog("HINT_SELECT", 106);
        }
    }
    SelectPaletteTool(107);
    g_dragState.trackMode = TrackNone;
    ReleaseCapture();
}

void OnViewDoubleClick(HWND view, WPARAM keys, POINT point)
{
    if (g_paletteTool != ToolPointer) return;
    Locked<DocumentState> state(ViewStateHandle(view));
    if (!state) return;
    if (BothModifiers(keys))
        ToggleFitToWindow(view, state.get(), point.x, point.y);
    else
        OpenObjectAtPoint(view, state.get(), point);
}
