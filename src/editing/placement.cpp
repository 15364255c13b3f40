// Placement, ruler guide lines and the double click.
#include "editing/placement.h"

#include "documents/document_state.h"
#include "editing/drag_setup.h"
#include "editing/drag_state.h"
#include "editing/guide_lines.h"
#include "editing/hit_test.h"
#include "editing/view_mouse.h"
#include "editing/view_tracking.h"
#include "frame/frame_services.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/move_set.h"
#include "model/undo.h"
#include "resource.h"
#include "text/text_editor.h"

namespace {


HGLOBAL StateOf(HWND view)
{
    return view ? reinterpret_cast<HGLOBAL>(static_cast<LONG_PTR>(GetWindowLongA(view, kViewStateLong))) : nullptr;
}

// The drag state as a press leaves it, at `point`.
void ResetForPlacement(Drawing* drawing, const DocumentState* state, POINT point, int subtype)
{
    DragState& s = g_dragState;
    {
        Locked<ObjectList> objects(drawing->objectList);
        FreeObjectVector(&s.moveSet, objects.get());
        FreeObjectVector(&s.excludeSet, objects.get());
    }
    s = IdleDragState();
    s.anchor = s.pressPoint = s.lastPoint = s.lastRawPoint = point;
    s.trackRect = {point.x, point.y, point.x, point.y};
    s.limitsRect = {0, 0, state->areaWidth, state->areaHeight};
    s.subtype = subtype;
}

}  // namespace

int BeginDragPlacement(HWND view, DocumentState* state, int x, int y, int objClass, int toolSlot, int subtype,
                       const SIZE* defaultSize)
{
    DragState& s = g_dragState;
    UpdateWindow(view);
    if (!state || !state->drawing) return 1;
    g_paletteToolSticky = FALSE;
    if (state->textEditor) {
        if (int err = EndTextEditing(view, 0)) return err;
    }
    Locked<Drawing> drawing(state->drawing);
    if (!drawing) return ErrOutOfMemory;
    s.feedbackShown = 0;
    drawing->toolSlot = toolSlot;
    POINT point = {x, y};
    HDC dc = GetTrackingDC(view);
    if (dc) {
        DPtoLP(dc, &point, 1);
        ReleaseDC(view, dc);
    }
    drawing->drawingFlags &= ~static_cast<DWORD>(DrawHookTarget);
    POINT unsnapped = point;
    if (drawing->drawingFlags & DrawSnap) SnapPointToGrid(drawing.get(), &point, state->zoom);
    ResetForPlacement(drawing.get(), state, point, subtype);
    if (objClass < 0 || objClass >= ClassCount) {
        s.trackMode = TrackNone;
        return 1;
    }
    s.target = objClass;
    s.hitClass = objClass;
    s.hitCode = HitNewObject;
    s.trackMode = TrackPlaceDragged;
    RECT local = s.trackRect;
    const SIZE standard = {600, 400};
    const int refused = PrepareDrag(drawing.get(), HitNewObject, objClass, &s.trackRect, &s.anchor, &s.secondPoint,
                                    &s.axisLock, defaultSize ? defaultSize : &standard, FALSE, &local, &unsnapped);
    s.savedCursor = GetCurrentCursorIndex();
    if (refused) {
        s.trackMode = TrackNone;
        return refused;
    }
    SetCapture(view);
    s.trackedView = view;
    s.lastRawPoint.x = -1;
    PostMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
    RECT& l = s.limitsRect;
    const RECT& t = s.trackRect;
    l.left += point.x - t.left;
    l.top += point.y - t.top;
    l.right -= t.right - point.x;
    l.bottom -= t.bottom - point.y;
    return 0;
}

void RulerMouseDown(HWND ruler, WPARAM keys, POINT point, int mode)
{
    HWND view = ruler ? GetWindow(ruler, GW_HWNDFIRST) : nullptr;
    const HGLOBAL stateHandle = StateOf(view);
    if (!stateHandle) return;
    Locked<DocumentState> state(stateHandle);
    if (!state || !state->drawing) return;
    BeginViewTracking(view, state.get(), mode, 0, 0, point.x, point.y, keys, nullptr);
}

void BeginGuideDrag(HWND view, DocumentState* state, int mode, POINT point)
{
    DragState& s = g_dragState;
    s.trackMode = mode;
    SetCapture(view);
    s.trackedView = view;
    s.lastPoint = point;
    HDC dc = GetTrackingDC(view);
    if (!dc) return;
    DrawGuidePair(view, dc, state, mode, point);
    ReleaseDC(view, dc);
    s.feedbackShown = 1;
}

void OpenObjectAtPoint(HWND view, DocumentState* state, POINT point)
{
    if (!state || !state->drawing) return;
    HDC dc = GetTrackingDC(view);
    if (dc) {
        DPtoLP(dc, &point, 1);
        ReleaseDC(view, dc);
    }
    if (state->textEditor && EndTextEditing(view, 0) != 0) return;
    int row = -1, hitClass = -1;
    int code;
    LONG caps = 0;
    {
        Locked<Drawing> drawing(state->drawing);
        if (!drawing) return;
        code = HitTestPage(drawing.get(), point.x, point.y, 10, nullptr, &row, &hitClass, FALSE);
        if (code == HitNothing) return;
        if (code != HitAttachmentMark && row >= 0 && hitClass >= 0) {
            Locked<ObjectList> objects(drawing->objectList);
            if (objects && row < objects->count) caps = SendClassMessage(nullptr, drawing.get(), objects.get(), row, OM_GETCAPS);
        }
    }
    if (code == HitAttachmentMark) {
        PostMessageA(g_frameWindow, WM_COMMAND, CMD_OPEN_ATTACHMENT, 0);
        return;
    }
    if (caps & 0x4) BeginObjectTextEdit(view, state, row, point.x, point.y, 0);
}
