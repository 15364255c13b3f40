// Adding and deleting objects.
#include "model/objects.h"

#include <cstring>
#include <vector>

#include "documents/document_state.h"
#include "documents/document_life.h"
#include "documents/options.h"
#include "editing/edit_services.h"
#include "frame/frame_services.h"
#include "model/class_protocol.h"
#include "model/document_changes.h"
#include "model/drawing.h"
#include "model/groups.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/selection.h"
#include "model/undo.h"
#include "resource.h"
#include "store/block_store.h"
#include "store/results.h"

namespace {

BOOL g_arrayHintPosted = FALSE;

COLORREF AsWhite(COLORREF color)
{
    return color == static_cast<COLORREF>(-1) ? RGB(255, 255, 255) : color;
}

// The new entry with the drawing's defaults.
void FillNewObject(const Drawing& d, DrawObject& o, int objClass, const RECT& rect, int objType, int id,
                   bool selected)
{
    o = DrawObject{};
    o.lineWidth = d.defaults.defaultBorderWidth;
    o.objId = id;
    o.frame = rect;
    o.objType = objType;
    o.lineStyle = LineStyleSolid;
    o.fillPattern = d.defaultFillPattern;
    o.arrowSize = 1;
    o.dataType = o.dataId = o.textId = -1;
    o.textAlignH = d.defaults.defaultTextAlignH;
    o.textAlignV = d.defaults.defaultTextAlignV;
    o.createdWidth = rect.right - rect.left;
    o.createdHeight = rect.bottom - rect.top;
    o.textMargins = {24, 24, 24, 24};
    o.state = selected ? static_cast<DWORD>(StateSelected) : 0;
    o.fillColor = d.style.fillColor;
    o.lineColor = d.style.borderColor;
    o.objClass = objClass;
    if (AsWhite(o.fillColor) == AsWhite(d.style.backgroundColor) && o.lineWidth == 0) o.lineWidth = 1;
    o.labelId = kNoLabel;
    o.labelRow = -1;
    o.groupRow = -1;
    o.updateRect = o.innerRect = o.groupFrame = rect;
    InflateRect(&o.updateRect, 30, 30);
    InflateRect(&o.innerRect, -24, -24);
    o.textRect = o.innerRect;
}

// Steps 6-15 of adding: the drawing is locked by the caller. `lateError` tells whether an error
// came after the tables grew (and so needs the roll-back); `unselectedBelow` is the count of rows
// known to be unselected afterwards (all the old ones once `select` cleared them).
int InsertObject(HWND view, HGLOBAL drawingBlock, Drawing* d, int objClass, const RECT& rect, int objType, int a, int b,
                 BOOL holdsCheckpoint, void* p, BOOL select, bool* lateError, int* unselectedBelow)
{
    NoteModelChange();
    *lateError = false;
    *unselectedBelow = 0;
    for (HGLOBAL block : {drawingBlock, d->objectList, d->zOrderList, d->groupTable}) {
        if (int err = BeginRecordChange(block)) return err;
    }
    int savedLastId = d->lastId;
    int id = NextObjectId(d);
    if (id == 0) return kNoIdLeft;
    int count;
    {
        Locked<ObjectList> objects(d->objectList);
        if (!objects) return ErrOutOfMemory;
        count = objects->count;
    }
    if (count >= kMaxObjects) {
        d->lastId = savedLastId;   // a refused add does not use up an id
        return ErrTooManyObjects;
    }
    if (int err = ResizeRecord(&d->objectList, ObjectList::SizeFor(count + 1))) return err;
    if (int err = ResizeRecord(&d->zOrderList, ZOrderList::SizeFor(count + 1))) {
        *lateError = true;
        return err;
    }

    Locked<ObjectList> objects(d->objectList);
    if (!objects) return ErrOutOfMemory;
    d->openedWithObjects = 0;
    if (select) {
        d->selectedCount = holdsCheckpoint ? 0 : 1;
        for (int row = 0; row < count; ++row) {
            DrawObject& other = (*objects)[row];
            if (!(other.state & StateSelected)) continue;
            other.state &= ~static_cast<DWORD>(StateSelected);
            InvalidateLogicalRect(view, &other.updateRect);
        }
        Locked<GroupTable> groups(d->groupTable);
        for (int i = 0; groups && i < groups->count; ++i) {
            GroupEntry& group = (*groups)[i];
            if (!(group.flags & GroupSelected)) continue;
            group.flags &= ~static_cast<DWORD>(GroupSelected);
            InvalidateLogicalRect(view, &group.bounds);
        }
        *unselectedBelow = count;
    }
    objects->count = count + 1;
    if (select && d->selectedCount != 0) d->currentRow = count;
    if (d->style.fillColor == d->style.borderColor || d->defaultFillPattern == 0) d->defaultFillPattern = 1;
    FillNewObject(*d, (*objects)[count], objClass, rect, objType, id, select && !holdsCheckpoint);

    int err = static_cast<int>(SendClassMessage(nullptr, d, objects.get(), count, OM_INIT, a, b, p));
    InvalidateLogicalRect(view, &(*objects)[count].updateRect);
    if (err) {
        *lateError = true;
        return err;
    }
    Locked<ZOrderList> zOrder(d->zOrderList);
    if (!zOrder) return ErrOutOfMemory;
    (*zOrder)[count] = count;
    zOrder->count = count + 1;
    return 0;
}

// Deletes the stored records an object owns; a record that cannot be loaded is skipped.
void DeleteOwnedRecord(int slot, int type, int id)
{
    HGLOBAL block = nullptr;
    if (LoadRecord(slot, type, id, &block)) return;
    if (DeleteRecord(block) == 0)
        GlobalFree(block);
    else
        ReleaseBlock(block);
}

}  // namespace

int NextObjectId(Drawing* drawing)
{
    if (drawing->lastId > 0xFFFD) return 0;
    return ++drawing->lastId;
}

int AddObject(HWND view, int objClass, const RECT* rect, int objType, int a, int b, BOOL report,
              BOOL callerHoldsCheckpoint, void* p, BOOL select)
{
    InvalidationBatch batch;
    SetCursorByIndex(CursorBusy);
    if (objClass == ClassArray && g_settings && (g_settings->flags & SetHints) && !g_arrayHintPosted) {
        g_arrayHintPosted = TRUE;
        if (g_frameWindow) PostMessageA(g_frameWindow, WM_COMMAND, CMD_HINT_CONN, 0);
    }
    // A flat or thin rect is accepted; only one small both ways is a click, not a creation.
    if (rect->right - rect->left < 24 && rect->bottom - rect->top < 24) return 0;
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return ErrOutOfMemory;
    if (!callerHoldsCheckpoint) {
        if (int err = SaveUndoState(view, UndoAddObject)) return err;
    }

    HGLOBAL drawingBlock;
    {
        Locked<DocumentState> state(stateBlock);
        drawingBlock = state ? state->drawing : nullptr;
    }
    int err;
    bool lateError;
    int unselectedBelow;
    {
        Locked<Drawing> drawing(drawingBlock);
        if (!drawing) return ErrOutOfMemory;
        err = InsertObject(view, drawingBlock, drawing.get(), objClass, *rect, objType, a, b, callerHoldsCheckpoint, p, select,
                           &lateError, &unselectedBelow);
    }
    if (err && !lateError) return err;   // the caller reports these

    if (err && !callerHoldsCheckpoint) {
        RollBackEdit(view);
        {
            Locked<DocumentState> state(stateBlock);
            if (state) state->undoLabel = 0;
        }
        if (report) ReportEditError(err);
        return err;
    }
    if (report) {
        Locked<DocumentState> state(stateBlock);
        if (state) MarkDocumentChanged(view, state.get(), FALSE);
    }
    // Selecting the new object cleared every other: only the new row can hold the selection.
    UpdateTextStyleControls(view, unselectedBelow);
    return err;
}

int DetachFromGroup(Drawing* drawing, GroupTable* table, DrawObject* object)
{
    (void)drawing;
    if (object->groupId == 0) return 0;
    int index = FindGroupEntry(table, object->groupId, object->groupRow, 0);
    if (index < 0) return 0;
    object->groupRow = index;
    GroupEntry& group = (*table)[index];
    --group.memberCount;
    group.flags |= GroupMemberLeft;
    return 1;
}

int DeleteObjects(Drawing* drawing, BOOL deleteSelected, int row)
{
    NoteModelChange();
    InvalidationBatch batch;
    for (HGLOBAL block : {GlobalHandle(drawing), drawing->objectList, drawing->zOrderList, drawing->groupTable}) {
        if (int err = BeginRecordChange(block)) return err;
    }
    const bool rowMode = row >= 0;
    int rowId = 0, labelId = 0;
    {
        Locked<ObjectList> objects(drawing->objectList);
        if (!objects) return ErrOutOfMemory;
        int count = objects->count;
        if (rowMode) {
            if (row >= count) return 0;
            rowId = (*objects)[row].objId;
            const DrawObject& object = (*objects)[row];
            int partner = object.labelId != kNoLabel ? FindObjectById(objects.get(), object.labelId, object.labelRow) : -1;
            if (partner >= 0 && ((*objects)[partner].state & StateAttachedLabel)) labelId = (*objects)[partner].objId;
        } else {
            for (int r = 0; r < count; ++r) {
                DrawObject& object = (*objects)[r];
                if (!deleteSelected && !(object.state & StateSelected) && FindOwnerObject(objects.get(), r, TRUE) >= 0) {
                    object.state |= StateSelected;
                    ++drawing->selectedCount;
                }
            }
            for (int r = 0; r < count; ++r) {
                DrawObject& object = (*objects)[r];
                if (!(object.state & StateSelected) || (object.state & StateAttachedLabel) || object.labelId == kNoLabel)
                    continue;
                int partner = FindObjectById(objects.get(), object.labelId, object.labelRow);
                if (partner < 0) continue;
                DrawObject& label = (*objects)[partner];
                if ((label.state & StateAttachedLabel) && !(label.state & StateSelected)) {
                    label.state |= StateSelected;
                    ++drawing->selectedCount;
                }
            }
        }
    }

    int result = 0;
    bool groupsTouched = false;
    int slot = drawing->storeSlot;
    {
        // The tables stay locked for the whole walk; nothing below resizes them (RemoveLinks
        // resizes only the link index and locks the object list itself on top).
        Locked<ObjectList> objects(drawing->objectList);
        Locked<ZOrderList> zOrder(drawing->zOrderList);
        Locked<GroupTable> groups(drawing->groupTable);
        if (!objects || !zOrder || !groups) return ErrOutOfMemory;
        for (int pos = zOrder->count - 1; pos >= 0; --pos) {
            int r = (*zOrder)[pos];
            DrawObject& object = (*objects)[r];
            bool doomed = rowMode ? (object.objId == rowId || (labelId && object.objId == labelId))
                                  : ((object.state & StateSelected) != 0) == (deleteSelected != FALSE);
            if (!doomed) continue;
            if (rowMode && (object.state & StateSelected) && drawing->selectedCount > 0) --drawing->selectedCount;
            if (rowMode && objects->count == 1) drawing->openedWithObjects = 0;

            SendClassMessage(nullptr, drawing, objects.get(), r, OM_DELETE);
            if ((object.state & StateAttachedLabel) && object.labelId != kNoLabel) {
                int host = FindObjectById(objects.get(), object.labelId, object.labelRow);
                if (host >= 0) (*objects)[host].classFlags &= ~ClassFlagShowsLength;
            }
            if (object.dataId >= 0) {
                for (int k = 0; k < object.dataCount && object.dataId + k <= 0x7FFF; ++k)
                    DeleteOwnedRecord(slot, object.dataType, object.dataId + k);
            }
            if (object.textId >= 0) DeleteOwnedRecord(slot, RecTextBlock, object.textId);
            DeleteOwnedRecord(slot, RecAttachment, object.objId);
            if (DetachFromGroup(drawing, groups.get(), &object)) groupsTouched = true;
            int id = object.objId;

            // The row leaves the list and every later row moves down; the z-order loses the
            // position and every entry above the row moves down with it, in one pass.
            std::memmove(&(*objects)[r], &(*objects)[r + 1], sizeof(DrawObject) * (objects->count - r - 1));
            --objects->count;
            int kept = 0;
            for (int i = 0; i < zOrder->count; ++i) {
                if (i == pos) continue;
                INT32 entry = (*zOrder)[i];
                (*zOrder)[kept++] = entry > r ? entry - 1 : entry;
            }
            zOrder->count = kept;
            if (drawing->currentRow == r)
                drawing->currentRow = -1;
            else if (drawing->currentRow > r)
                --drawing->currentRow;
            if (int err = RemoveLinks(drawing, id, 0)) {
                result = err;
                break;
            }
        }
    }

    int remaining;
    {
        Locked<ObjectList> objects(drawing->objectList);
        if (!objects) return ErrOutOfMemory;
        remaining = objects->count;
        int highest = 0;
        for (int r = 0; r < remaining; ++r) {
            if ((*objects)[r].objId > highest) highest = (*objects)[r].objId;
        }
        drawing->lastId = highest + 1;
    }
    if (groupsTouched) {
        int groupCount;
        {
            Locked<GroupTable> groups(drawing->groupTable);
            groupCount = groups ? groups->count : 0;
        }
        for (int i = groupCount - 1; i >= 0; --i) {
            bool left;
            {
                Locked<GroupTable> groups(drawing->groupTable);
                if (!groups || i >= groups->count) continue;
                left = ((*groups)[i].flags & GroupMemberLeft) != 0;
                (*groups)[i].flags &= ~static_cast<DWORD>(GroupMemberLeft);
            }
            if (left) UpdateGroupBounds(drawing, i, nullptr);
        }
    }
    if (result) return result;

    if (int err = ResizeRecord(&drawing->objectList, ObjectList::SizeFor(remaining + 1))) return err;
    if (int err = ResizeRecord(&drawing->zOrderList, ZOrderList::SizeFor(remaining))) return err;
    if (!rowMode && deleteSelected) {
        drawing->selectedCount = 0;
        drawing->currentRow = -1;
        if (remaining == 0) drawing->openedWithObjects = 0;
    }
    result = RebuildLinkIndex(drawing);
    UpdateTextStyleControls(drawing->viewWindow);
    return result;
}
