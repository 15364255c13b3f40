// Dragging out of the view.
#include "editing/drag_out.h"

#include <ole2.h>

#include <initializer_list>

#include "documents/document_state.h"
#include "documents/documents_in_memory.h"
#include "editing/drag_state.h"
#include "exchange/drag_seam.h"
#include "model/document_changes.h"
#include "model/drawing.h"
#include "model/links.h"
#include "model/move_set.h"
#include "model/objects.h"
#include "model/undo.h"
#include "store/store_records.h"

namespace {

// Marks exactly the rows of the move set selected.
void SelectMoveSet(Drawing* drawing, const ObjectVector* set)
{
    Locked<ObjectList> objects(drawing->objectList);
    Locked<GroupTable> groups(drawing->groupTable);
    for (int r = 0; objects && r < objects->count; ++r) (*objects)[r].state &= ~static_cast<DWORD>(StateSelected);
    for (int g = 0; groups && g < groups->count; ++g) (*groups)[g].flags &= ~static_cast<DWORD>(GroupSelected);
    drawing->selectedCount = 0;
    drawing->currentRow = -1;
    for (int i = 0; set && objects && i < set->count; ++i) {
        const int row = set->rows[i];
        if (row < 0 || row >= objects->count) continue;
        (*objects)[row].state |= StateSelected;
        ++drawing->selectedCount;
    }
}

int RemoveMoveSet(HWND view, DocumentState* state)
{
    const HGLOBAL drawingHandle = state->drawing;
    Locked<Drawing> drawing(drawingHandle);
    if (!drawing) return ErrOutOfMemory;
    for (HGLOBAL block : {drawingHandle, drawing->objectList, drawing->zOrderList, drawing->groupTable})
        if (int err = BeginRecordChange(block)) return err;
    SelectMoveSet(drawing.get(), g_dragState.moveSet);
    if (int err = DeleteObjects(drawing.get(), TRUE, -1)) return err;
    if (int err = PropagateLinks(drawing.get())) return err;
    MarkDocumentChanged(view, state, 0);
    return 0;
}

}  // namespace

int DeleteDraggedObjects(HWND view, DocumentState* state)
{
    DragState& s = g_dragState;
    if (!state || !state->drawing) return 0;
    int err = SaveUndoState(view, UndoMove);
    if (!err) err = RemoveMoveSet(view, state);
    if (err) {
        UndoLastChange(view, FALSE);
        return err;
    }
    s.droppedAway = 1;
    Locked<Drawing> drawing(state->drawing);
    Locked<ObjectList> objects(drawing ? drawing->objectList : nullptr);
    FreeObjectVector(&s.moveSet, objects.get());
    return 0;
}

void DragObjectsOut(HWND view, DocumentState* state, POINT device)
{
    DragState& s = g_dragState;
    DragDataObject& data = g_dragDataObject;
    data = DragDataObject{};
    data.sourceView = view;
    data.snapshotPending = TRUE;
    data.rows = s.moveSet;
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT result = RunObjectDrag(DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
    // The user's private clipboard survives the drag.
    if (!data.snapshotPending) ExchangeClipboardStoreFile(data.tempPath);
    data.rows = nullptr;
    if (result != DRAGDROP_S_DROP) {
        SetCapture(view);
        return;
    }
    if (effect & DROPEFFECT_MOVE) {
        {
            Locked<Drawing> drawing(state->drawing);
            Locked<ObjectList> objects(drawing ? drawing->objectList : nullptr);
            FreeObjectVector(&s.excludeSet, objects.get());
        }
        DeleteDraggedObjects(view, state);
    }
    s.clickPending = 1;
    PostMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(device.x, device.y));
}
