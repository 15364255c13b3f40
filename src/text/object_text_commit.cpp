// Taking the in-place editor's text back: into the edited object (or deleting an emptied one),
// or into a new free text or line label.
#include "text/object_text.h"

#include <cstring>

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "editing/edit_operation.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/edit_ops.h"
#include "model/group_transform.h"
#include "model/groups.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/objects.h"
#include "model/selection.h"
#include "shapes/shape_kinds.h"
#include "shapes/shape_rects.h"
#include "store/results.h"
#include "store/store_format.h"
#include "store/store_records.h"
#include "text/text_block.h"
#include "text/text_layout.h"
#include "text/text_paint.h"
#include "text/ten_window.h"
#include "text/object_text_shared.h"

namespace {

// An emptied text: a text-only object goes (its partner let go), any other loses its record.
int ClearObjectText(DocumentState* state, Drawing* drawing, int row, int mode, TenState* editor)
{
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return ErrOutOfMemory;
    DrawObject& object = (*objects)[row];
    if (object.state & StateTextOnly) {
        if (object.labelId != kNoLabel) {
            const int partner = FindObjectById(objects.get(), object.labelId, object.labelRow);
            if (partner >= 0) {
                (*objects)[partner].labelId = kNoLabel;
                (*objects)[partner].labelRow = -1;
            }
        }
        RepaintEditedObject(state, drawing, object);
        objects.Unlock();
        editor->ownerRow = -1;
        return DeleteObjects(drawing, FALSE, row);
    }
    if (object.textId >= 0) {
        HGLOBAL record = nullptr;
        if (int err = LoadRecord(drawing->header.slot, RecTextBlock, object.textId, &record)) return err;
        const int err = DeleteRecord(record);
        GlobalFree(record);
        if (err) return err;
    }
    object.textId = -1;
    object.state &= ~static_cast<DWORD>(StateTextEditing);
    RepaintEditedObject(state, drawing, object);
    if (mode == 1) SelectEditedObject(drawing, &object, row);
    return 0;
}

// Stores the text into the object's record (made when it has none).
int StoreObjectText(Drawing* drawing, DrawObject* object, HGLOBAL taken)
{
    const int slot = drawing->header.slot;
    if (object->textId < 0) {
        int id = 0;
        if (int err = NextFreeRecordId(slot, RecTextBlock, &id)) return err;
        HGLOBAL added = nullptr;
        if (int err = AddRecord(slot, RecTextBlock, id, kBlockHeaderSize, &added)) return err;
        ReleaseBlock(added);
        object->textId = id;
    }
    HGLOBAL record = nullptr;
    if (int err = LoadRecord(slot, RecTextBlock, object->textId, &record)) return err;
    int err = MarkBlockDirty(record);
    if (!err) err = BeginRecordChange(record);
    if (!err) err = StoreTextBlock(&record, taken);
    ReleaseBlock(record);
    return err;
}

int CommitToObject(HWND view, DocumentState* state, Drawing* drawing, TenState* editor, HGLOBAL taken, int mode)
{
    const int row = editor->ownerRow;
    {
        Locked<ObjectList> objects(drawing->objectList);
        if (!objects) return ErrOutOfMemory;
        if (row >= objects->count) return 0;
    }
    TextBlock header;
    int alignment;
    {
        Locked<TextBlock> block(taken);
        header = *block;
        alignment = FirstParagraphAlignment(PartsOfTextBlock(block.get()));
    }
    if (header.textLength == 0) return ClearObjectText(state, drawing, row, mode, editor);

    Locked<ObjectList> objects(drawing->objectList);
    DrawObject* object = &(*objects)[row];
    object->textAlignV = editor->verticalAlign;
    object->textAlignH = alignment;
    int err = StoreObjectText(drawing, object, taken);
    if (err) return err;

    if (object->textFit == 1 && (header.options & TenOptWordWrap)) object->textFit = 2;
    RECT rect = {editor->originX, editor->originY, editor->originX + editor->width, editor->originY + editor->height};
    if ((object->state & StateTextOnly) && object->textFit == 1 && alignment == kTextAlignLeft) rect.right += 60;
    RECT text = {rect.left + editor->margins.left, rect.top + editor->margins.top,
                 rect.right - editor->margins.right, rect.bottom - editor->margins.bottom};
    if (ObjectHasShadow(drawing, object)) {
        RECT shadow = {};
        GetShadowOffsetRect(drawing, &shadow, 0);
        rect.left += shadow.left;
        rect.top += shadow.top;
        rect.right -= shadow.right;
        rect.bottom -= shadow.bottom;
    }
    if (object->angle != 0) InvalidateLogicalRect(drawing->viewWindow, &object->updateRect);

    if (object->groupId == 0 || groupResizeRunning) {
        object->frame = rect;
        UpdateShapeRects(drawing, object, FALSE);
        object->textRect = text;
    } else {
        const RECT before = object->frame;
        object->frame = rect;
        // The group resize may end up touching the editor's document: its handle is kept.
        HWND open = state->textEditor;
        err = ResizeGroupForMember(view, drawing, objects.get(), row, before);
        state->textEditor = open;
    }
    // Resizing the group may have given a member line a new length label, which grows the
    // object list and can move it.
    ObjectList* list = PresentObjectList(drawing);
    if (!list) return ErrOutOfMemory;
    object = &(*list)[row];
    FlagObjectAndTargetLinks(drawing, list, *object);
    if (object->angle != 0) InvalidateLogicalRect(drawing->viewWindow, &object->updateRect);
    if (!err) err = KeepObjectOnPage(state, drawing, list, row);
    object = &(*list)[row];
    object->state &= ~static_cast<DWORD>(StateTextEditing);
    if (mode == 1) SelectEditedObject(drawing, object, row);
    RepaintEditedObject(state, drawing, *object);
    objects.Unlock();
    if (!err) err = PropagateLinks(drawing);
    return err;
}

// Hooks a new label to its line (or picture) and gives it its place, fill and angle.
int AttachNewLabel(Drawing* drawing, ObjectList* objects, int row, int labelLink, int firstAlignment)
{
    const int holder = FindObjectById(objects, labelLink & 0xFFFF, (labelLink >> 16) & 0xFFFF);
    if (holder < 0) return 0;
    DrawObject& label = (*objects)[row];
    DrawObject& owner = (*objects)[holder];
    owner.labelId = label.objId;
    owner.labelRow = row;
    label.labelId = owner.objId;
    label.labelRow = holder;
    label.state |= StateAttachedLabel;
    int code = 206;
    POINT box = {300, 0};
    if (owner.classFlags & ClassFlagLabelBelow) {
        code = 205;
        box = POINT{300, 600};
    } else if (owner.classFlags & ClassFlagLabelByAlignment) {
        TextAlignToAnchorCode(firstAlignment, label.textAlignV, &code, &box);
        if (label.textAlignV == 6) {
            // A label on the line hides the line behind its text.
            label.fillPattern = 1;
            label.fillColor = PageColour(drawing);
        }
    }
    INT32 angle = owner.angle;
    SendClassMessage(nullptr, drawing, objects, holder, OM_LABELANCHOR, 1, code, &angle);
    if (angle != 0) SendClassMessage(nullptr, drawing, objects, row, OM_SETANGLE, angle);
    if (int err = AttachHook(drawing, row, -1, holder, code, box.x, box.y)) return err;
    const DrawObject& line = (*objects)[holder];
    MarkLinksChanged(drawing, line.objId, LinkChanged, line.groupId, line.groupRow);
    if (line.groupId == 0) return PropagateLinks(drawing);
    const int group = FindGroupIndex(drawing, line.groupId, line.groupRow, 0);
    (*objects)[row].groupId = line.groupId;
    (*objects)[row].groupRow = group;
    return 0;
}

int CommitNewText(HWND view, DocumentState* state, Drawing* drawing, TenState* editor, HGLOBAL taken,
                  const RECT& foldedMargins, int mode)
{
    TextBlock header;
    int alignment;
    {
        Locked<TextBlock> block(taken);
        header = *block;
        alignment = FirstParagraphAlignment(PartsOfTextBlock(block.get()));
    }
    if (header.textLength == 0) return 0;
    const int width = header.widestLine + (editor->labelLink != -1 ? 6 : 100);
    const RECT rect = {editor->originX + foldedMargins.left, editor->originY + foldedMargins.top,
                       editor->originX + foldedMargins.left + width,
                       editor->originY + foldedMargins.top + header.textHeight};
    drawing->toolSlot = -1;
    // The edit's own checkpoint (none for mode -1) already covers the new object.
    int before = 0;
    {
        Locked<ObjectList> objects(drawing->objectList);
        before = objects ? objects->count : 0;
    }
    if (int err = AddObject(view, ClassShape, &rect, ShapeFreeText, 0,
                            static_cast<int>(reinterpret_cast<INT_PTR>(taken)), FALSE, TRUE, nullptr, mode == 1))
        return err;
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return ErrOutOfMemory;
    if (objects->count <= before) return 0;
    const int row = objects->count - 1;
    editor->ownerRow = row;
    (*objects)[row].textAlignV = editor->verticalAlign;
    if (editor->labelLink != -1) {
        if (int err = AttachNewLabel(drawing, objects.get(), row, editor->labelLink, alignment)) return err;
    }
    DrawObject& object = (*objects)[row];
    object.state &= ~static_cast<DWORD>(StateTextEditing);
    RepaintEditedObject(state, drawing, object);
    if (mode == 0) {
        drawing->selectedCount = 0;
        drawing->currentRow = -1;
        object.state &= ~static_cast<DWORD>(StateSelected);
    }
    HGLOBAL record = nullptr;
    if (int err = LoadRecord(drawing->header.slot, RecTextBlock, object.textId, &record)) return err;
    object.textAlignH = alignment;
    const LONG payloadSize = GetBlockSize(record) - kBlockHeaderSize;
    if (BYTE* bytes = static_cast<BYTE*>(GlobalLock(record))) {
        if (CheckedTextBlock(bytes + kBlockHeaderSize, payloadSize)) {
            const TextBlockParts parts = PartsOfTextBlock(reinterpret_cast<TextBlock*>(bytes + kBlockHeaderSize));
            AlignTextLinesHorizontally(parts.lines, parts.runs, parts.formats, parts.header->lineCount,
                                       parts.header->formatCount, 0, parts.header->widestLine);
        }
        GlobalUnlock(record);
    }
    int err = MarkBlockDirty(record);
    ReleaseBlock(record);
    if (!err) err = KeepObjectOnPage(state, drawing, objects.get(), row);
    return err;
}

}  // namespace

int CommitObjectTextEdit(HWND view, DocumentState* state, int mode)
{
    if (!state || !state->textEditor) return 0;
    HWND editor = state->textEditor;
    Locked<TenState> ten(TenStateHandle(editor));
    if (!ten) return 0;
    HGLOBAL taken = reinterpret_cast<HGLOBAL>(SendMessageA(editor, TEN_GETTEXT, TenWholeText, 0));
    if (!taken) {
        ReportEditError(ErrOutOfMemory);
        return ErrOutOfMemory;
    }
    // The lines were laid out inside the editor's margins: the object's text starts at 0, 0.
    RECT folded = {};
    {
        Locked<TextBlock> block(taken);
        const TextBlockParts parts = PartsOfTextBlock(block.get());
        folded = RECT{block->marginLeft, block->marginTop, block->marginRight, block->marginBottom};
        if (folded.left != 0 || folded.top != 0) {
            for (int i = 0; i < block->lineCount; ++i) {
                parts.lines[i].x -= folded.left;
                parts.lines[i].y -= folded.top;
            }
        }
        block->marginLeft = block->marginTop = block->marginRight = block->marginBottom = 0;
    }
    int result = 0;
    {
        Locked<Drawing> drawing(state->drawing);
        if (!drawing) result = ErrOutOfMemory;
        else if (ten->ownerRow >= 0) result = CommitToObject(view, state, drawing.get(), ten.get(), taken, mode);
        else result = CommitNewText(view, state, drawing.get(), ten.get(), taken, folded, mode);
    }
    ten.Unlock();
    GlobalFree(taken);
    MarkDocumentModified(state);
    if (result) ReportEditError(result);
    return result;
}
