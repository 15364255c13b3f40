// The edit executor: one pattern for every edit of the selection (check, close the text
// editor, checkpoint, run, let hooked objects follow, mark changed, roll back and report), the
// Draw-menu commands that reach it, and the message of a failed edit.
#include "editing/edit_operation.h"

#include <initializer_list>

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "documents/options.h"
#include "documents/settings.h"
#include "editing/arrange.h"
#include "editing/clipboard_store.h"
#include "editing/duplicate.h"
#include "editing/group_ungroup.h"
#include "exchange/page_tiles.h"
#include "frame/frame_services.h"
#include "frame/frame_startup.h"
#include "frame/view_layout.h"
#include "model/document_changes.h"
#include "model/drawing.h"
#include "model/edit_ops.h"
#include "model/links.h"
#include "model/objects.h"
#include "model/class_protocol.h"
#include "model/selection.h"
#include "model/undo.h"
#include "resource.h"
#include "shapes/make_shape.h"
#include "shapes/picture_chunks.h"
#include "shapes/picture_import.h"
#include "store/store_records.h"

BOOL g_importHintShown = FALSE;
BOOL g_duplicateHintShown = FALSE;

namespace {

constexpr int kLabelImport = 26;
constexpr int kLabelAlign = 30;
constexpr int kLabelFlip = 50;
constexpr int kLabelShadow = 52;
constexpr int kLabelShowLength = 64;
constexpr int kLabelNudge = 66;

// What one call decided in its check, and how the steps after the operation run.
struct EditCall {
    int op;
    int label = UndoDrawing;
    bool valid = false;
    bool checkpoint = true;
    bool propagate = true;
    bool mark = true;
    bool eraseAll = false;
    bool flagModified = true;
    int editorMode = 0;
    RECT extent = {};
    HGLOBAL spacing[2] = {};
    int spacingCount[2] = {};
    int spacingGap[2] = {};
    bool pastedFromStore = false;
};

bool HintsOn()
{
    return g_settings && (g_settings->flags & SetHints);
}

// Toggles a drawing option and makes its new state the default of new drawings.
void ToggleDrawingOption(Drawing* drawing, DWORD drawingBit, DWORD settingsBit)
{
    drawing->drawingFlags ^= drawingBit;
    if (!g_settings) return;
    if (drawing->drawingFlags & drawingBit)
        g_settings->flags |= settingsBit;
    else
        g_settings->flags &= ~settingsBit;
}

bool CheckHideShadow(const Drawing* drawing, const DocumentState* state, DWORD caps, EditCall* call)
{
    if (drawing->style.shadowStyle != 0) {
        if (state->textEditor || (caps & CapShape)) {
            call->editorMode = 1;
            return true;
        }
        if ((caps & CapLine) && (drawing->style.shadowClassMask & 0x1)) return true;
    }
    RunInfoDialog("INFO_HIDESHADOW", 202);
    return false;
}

bool CheckTextShadow(const Drawing* drawing, const DocumentState* state, DWORD caps)
{
    if (drawing->style.shadowStyle != 0 && (drawing->style.shadowClassMask & 0x2) &&
        ((caps & CapText) || state->textEditor))
        return true;
    RunInfoDialog("INFO_HIDESHADOW", 202);
    return false;
}

// Which kind of data Paste finds on the clipboard.
enum class PasteSource { None, Store, Metafile, Picture };

PasteSource FindPasteSource()
{
    if (!OpenClipboard(g_frameWindow)) return PasteSource::None;
    PasteSource source = PasteSource::None;
    if (g_pictureFormat && IsClipboardFormatAvailable(g_pictureFormat))
        source = PasteSource::Store;
    else if (IsClipboardFormatAvailable(CF_METAFILEPICT))
        source = g_namedPictureFormat && IsClipboardFormatAvailable(g_namedPictureFormat) ? PasteSource::None
                                                                                         : PasteSource::Metafile;
    else if (IsClipboardFormatAvailable(CF_BITMAP) || IsClipboardFormatAvailable(CF_DIB))
        source = PasteSource::Picture;
    CloseClipboard();
    return source;
}

// Step 2: whether the operation applies; a refusal has shown its message.
void Validate(HWND view, DocumentState* state, Drawing* drawing, int arg, EditCall* call)
{
    const bool selected = drawing->selectedCount > 0;
    const DWORD caps = GetSelectionMenuFlags(drawing);
    switch (call->op) {
    case EditCut:
        call->label = UndoCut;
        call->eraseAll = true;
        call->valid = selected;
        break;
    case EditCopy:
        call->label = UndoCopy;
        call->propagate = call->mark = call->flagModified = false;
        call->valid = true;
        break;
    case EditPaste:
        call->label = UndoPaste;
        call->valid = FindPasteSource() != PasteSource::None;
        break;
    case EditClear:
        call->label = UndoDelete;
        call->eraseAll = true;
        call->valid = selected;
        break;
    case EditDuplicate:
        if (state->undoLabel != UndoDuplicate && state->undoLabel != UndoMoveAfterDuplicate) {
            drawing->duplicateDx = 300;
            drawing->duplicateDy = 300;
        }
        call->label = UndoDuplicate;
        call->editorMode = 1;
        // The selection is empty while an in-place editor is open; ending the edit selects the
        // edited object, which is then duplicated with its new text.
        call->valid = selected || state->textEditor != nullptr;
        break;
    case EditLockObject:
    case EditSendToBack:
    case EditBringToFront:
    case EditUngroup:
        call->valid = selected;
        break;
    case EditUseSnaps:
    case EditLinesLink:
    case EditShapesLink:
        call->propagate = call->mark = false;
        call->valid = true;
        break;
    case EditAlign:
        call->label = kLabelAlign;
        call->valid = CheckAlign(state, drawing, arg) != FALSE;
        break;
    case EditNudge:
        call->propagate = call->mark = false;
        if (state->undoLabel == kLabelNudge || state->undoLabel == UndoMoveAfterDuplicate)
            call->checkpoint = false;
        else
            call->label = state->undoLabel == UndoDuplicate ? UndoMoveAfterDuplicate : kLabelNudge;
        call->valid = selected;
        break;
    case EditImportMetafile:
    case EditImportPicture:
        call->label = kLabelImport;
        call->valid = true;
        break;
    case EditSameSize:
        call->label = UndoResize;
        call->valid = CheckSameSize(state, drawing, arg) != FALSE;
        break;
    case EditFlip:
        call->label = kLabelFlip;
        if (!(caps & CapFlippable)) {
            RunInfoDialog("INFO_FLIP", 201);
            break;
        }
        call->valid = CheckFlipAllowed(state) != FALSE;
        break;
    case EditHideShadow:
        call->label = kLabelShadow;
        call->valid = CheckHideShadow(drawing, state, caps, call);
        break;
    case EditTextShadow:
        call->label = kLabelShadow;
        call->editorMode = 1;
        call->valid = CheckTextShadow(drawing, state, caps);
        break;
    case EditGroup:
        call->valid = selected;
        if (selected && JoinLinesIntoShape(drawing, TRUE) == 0 && RunInfoDialog("INFO_MAKESHAPEGROUP", 206) == 1) {
            call->op = EditJoinShape;
            call->label = UndoJoinLines;
        }
        break;
    case EditSpaceEvenly:
        call->label = kLabelAlign;
        call->valid = true;
        for (int i = 0; i < 2 && call->valid; ++i) {
            if (!(arg & (1 << i))) continue;
            call->valid = CollectSpacingItems(state, drawing, i == 0, &call->spacing[i], &call->spacingCount[i],
                                              &call->spacingGap[i]) != FALSE;
        }
        break;
    case EditJoinShape:
        call->label = UndoJoinLines;
        call->valid = ConfirmMakeShape(drawing) != 0;
        break;
    case EditShapeOutline:
        call->label = UndoEditShape;
        call->valid = ConfirmShapeToLine(state, drawing) != 0;
        break;
    case EditShowLength:
        call->label = kLabelShowLength;
        call->mark = false;
        call->valid = (caps & CapAnySelected) && (caps & CapText);
        if (!call->valid) RunInfoDialog("INFO_DIM", 30055);
        break;
    case EditCenterDrawing: {
        int firstRow, rows, firstColumn, columns;
        int allObjects = 0;
        call->valid = ComputePageTiles(state, &allObjects, &firstRow, &rows, &firstColumn, &columns, &call->extent) != FALSE;
        if (!call->valid) ShowWarningById(IDS_NOTHING_TO_CENTER);
        break;
    }
    default:
        // Text Sizing, Shape Sizing and Arrowheads collect their parameters in dialogs of the
        // frame that do not exist yet; they and every unknown code do nothing.
        break;
    }
    (void)view;
}

int PastePictureFromClipboard(HWND view, Drawing* drawing)
{
    PasteSource source = FindPasteSource();
    if (source == PasteSource::Metafile) {
        if (!OpenClipboard(g_frameWindow)) return 0;
        HGLOBAL bits = nullptr;
        RECT objectRect = {}, frame = {};
        int colorCount = 0, flags = 0;
        COLORREF colors[kMaxPictureColors];
        int err = GetClipboardMetafile(&bits, &objectRect, &frame, &colorCount, colors, &flags);
        CloseClipboard();
        if (err == 1) return 0;
        if (err) return err;
        return CreateMetafilePictureObject(view, drawing, bits, &objectRect, &frame, colorCount, colors, flags);
    }
    HGLOBAL dib = GetClipboardDibCopy();
    if (!dib) dib = GetClipboardBitmap(g_frameWindow);
    if (!dib) return 0;
    return CreateBitmapPictureObject(view, drawing, dib, nullptr);
}

// Step 3.4: the operation itself.
int RunOperation(HWND view, DocumentState* state, Drawing* drawing, int arg, void* ptr, EditCall* call)
{
    switch (call->op) {
    case EditCut: {
        int err = CopyToClipboardStore(view, state, drawing, FALSE);
        if (err) {
            call->propagate = call->mark = call->flagModified = false;
            return err;
        }
        err = DeleteObjects(drawing, TRUE, -1);
        if (!err && state->palette) BuildDocumentPalette(view, state);
        return err;
    }
    case EditCopy:
        return CopyToClipboardStore(view, state, drawing, TRUE);
    case EditPaste: {
        if (FindPasteSource() == PasteSource::Store) {
            call->pastedFromStore = true;
            call->eraseAll = true;
            return PasteFromClipboardStore(state, drawing, nullptr, nullptr, nullptr);
        }
        int err = PastePictureFromClipboard(view, drawing);
        if (!err) BuildDocumentPalette(view, state);
        return err;
    }
    case EditClear: {
        int err = DeleteObjects(drawing, TRUE, -1);
        if (!err && state->palette) BuildDocumentPalette(view, state);
        return err;
    }
    case EditDuplicate: return DuplicateSelection(state, drawing);
    case EditLockObject: return ToggleLockSelection(state, drawing);
    case EditUseSnaps: ToggleDrawingOption(drawing, DrawSnap, SetSnap); return 0;
    case EditLinesLink: ToggleDrawingOption(drawing, DrawLinesLink, SetLinesLink); return 0;
    case EditShapesLink: ToggleDrawingOption(drawing, DrawShapesLink, SetShapesLink); return 0;
    case EditSendToBack: return SendSelectionToBack(state, drawing);
    case EditBringToFront: return BringSelectionToFront(state, drawing, -1);
    case EditAlign: return AlignSelection(state, drawing, arg);
    case EditNudge: return NudgeSelection(state, drawing, arg);
    case EditImportMetafile: {
        int err = ImportMetafileFile(view, drawing, static_cast<HFILE>(arg), static_cast<const POINT*>(ptr));
        if (!err) BuildDocumentPalette(view, state);
        return err;
    }
    case EditImportPicture: {
        HGLOBAL dib = reinterpret_cast<HGLOBAL>(static_cast<INT_PTR>(arg));
        if (!dib) return ErrOutOfMemory;
        int err = CreateBitmapPictureObject(view, drawing, dib, static_cast<const POINT*>(ptr));
        if (!err) BuildDocumentPalette(view, state);
        return err;
    }
    case EditSameSize: return MakeSameSize(state, drawing, arg);
    case EditFlip: return FlipSelection(state, drawing, arg);
    case EditHideShadow: return ToggleShadowOption(state, drawing, 0x2);
    case EditTextShadow: return ToggleShadowOption(state, drawing, 0x4);
    case EditGroup: return GroupSelection(state, drawing);
    case EditUngroup: return UngroupSelection(state, drawing);
    case EditSpaceEvenly:
        return SpaceEvenly(state, drawing, arg, call->spacing[0], call->spacingCount[0], call->spacingGap[0],
                           call->spacing[1], call->spacingCount[1], call->spacingGap[1]);
    case EditJoinShape: return JoinLinesIntoShape(drawing, FALSE);
    case EditShapeOutline: return ConvertShapeToLines(state, drawing, FALSE);
    case EditShowLength: {
        INT32 block[2] = {-1, arg};
        return ApplyToSelection(view, OM_SHOWLENGTH, 0, block, TRUE);
    }
    case EditCenterDrawing: return CenterDrawing(state, &call->extent);
    default: return 0;
    }
}

// Step 3.3: the checkpoint and the old contents of the drawing and its three tables.
int TakeCheckpoint(HWND view, HGLOBAL drawingBlock, Drawing* drawing, int label)
{
    if (int err = SaveUndoState(view, label)) return err;
    for (HGLOBAL block : {drawingBlock, drawing->objectList, drawing->zOrderList, drawing->groupTable})
        if (int err = BeginRecordChange(block)) return err;
    return 0;
}

}  // namespace

int DoEditOperation(HWND view, int op, int arg, void* ptr)
{
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return ErrOutOfMemory;
    Locked<DocumentState> state(stateBlock);
    if (!state) return ErrOutOfMemory;
    EditCall call;
    call.op = op;
    int result = 0;
    {
        HGLOBAL drawingBlock = state->drawing;
        Locked<Drawing> drawing(drawingBlock);
        if (!drawing) return ErrOutOfMemory;
        Validate(view, state.get(), drawing.get(), arg, &call);
        if (call.valid) {
            SetCursorByIndex(CursorBusy);
            bool ended = !state->textEditor || EndTextEditing(view, call.editorMode) == 0;
            if (ended) {
                if (call.checkpoint) result = TakeCheckpoint(view, drawingBlock, drawing.get(), call.label);
                if (!result) result = RunOperation(view, state.get(), drawing.get(), arg, ptr, &call);
                if (!result) {
                    if (call.propagate) result = PropagateLinks(drawing.get());
                    if (!result && call.mark) MarkDocumentChanged(view, state.get(), call.eraseAll);
                    if (call.op == EditCenterDrawing) ScrollToSelection(view, state.get());
                }
            }
        }
        for (HGLOBAL list : call.spacing)
            if (list) GlobalFree(list);
    }
    if (result) UndoLastChange(view, FALSE);
    if (call.flagModified) MarkDocumentModified(state.get());
    SetCursorByIndex(CursorArrow);
    if (result) {
        ReportEditError(result);
        return result;
    }
    if (HintsOn()) {
        if (op == EditPaste && !call.pastedFromStore && !g_importHintShown) {
            g_importHintShown = TRUE;
            RunInfoDialog("HINT_IMPORT", 121);
        } else if (call.op == EditDuplicate && call.valid && !g_duplicateHintShown) {
            g_duplicateHintShown = TRUE;
            RunInfoDialog("HINT_DUPLICATE", 105);
        }
    }
    return 0;
}

namespace {

struct DrawCommand {
    int firstId;
    int lastId;
    int op;
    int value;   // -1: the id's distance from `valueBase`
    int valueBase;
};

constexpr DrawCommand kDrawCommands[] = {
    {CMD_DUPLICATE, CMD_DUPLICATE, EditDuplicate, 0, 0},
    {CMD_ARROWHEADS, CMD_ARROWHEADS, EditArrowheads, 0, 0},
    {CMD_JOIN_LINES, CMD_JOIN_LINES, EditJoinShape, 0, 0},
    {CMD_TEXT_SHADOW, CMD_TEXT_SHADOW, EditTextShadow, 0, 0},
    {CMD_BRING_TO_FRONT, CMD_BRING_TO_FRONT, EditBringToFront, 0, 0},
    {CMD_SEND_TO_BACK, CMD_SEND_TO_BACK, EditSendToBack, 0, 0},
    {CMD_LOCK_OBJECT, CMD_LOCK_OBJECT, EditLockObject, 0, 0},
    {CMD_USE_SNAPS, CMD_USE_SNAPS, EditUseSnaps, 0, 0},
    {CMD_LINES_LINK, CMD_LINES_LINK, EditLinesLink, 0, 0},
    {CMD_SHAPES_LINK, CMD_SHAPES_LINK, EditShapesLink, 0, 0},
    {CMD_HIDE_SHADOW, CMD_HIDE_SHADOW, EditHideShadow, 0, 0},
    {CMD_FLIP_HORIZONTAL, CMD_FLIP_HORIZONTAL, EditFlip, FlipHorizontal, 0},
    {CMD_FLIP_VERTICAL, CMD_FLIP_VERTICAL, EditFlip, FlipVertical, 0},
    {CMD_GROUP, CMD_GROUP, EditGroup, 0, 0},
    {CMD_UNGROUP, CMD_UNGROUP, EditUngroup, 0, 0},
    {CMD_CENTER_ON_PAGE, CMD_CENTER_ON_PAGE, EditCenterDrawing, 0, 0},
    {CMD_ALIGN_LEFTS, CMD_ALIGN_BOTTOMS, EditAlign, -1, CMD_ALIGN_LEFTS},     // 0 lefts .. 5 bottoms
    {CMD_SAME_WIDTH, CMD_SAME_SIZE, EditSameSize, -1, CMD_SAME_WIDTH - 1},    // 1 width, 2 height, 3 both
    {CMD_SPACE_HORIZONTALLY, CMD_SPACE_BOTH, EditSpaceEvenly, -1, CMD_SPACE_HORIZONTALLY - 1},
};

}  // namespace

BOOL DrawCommandOperation(int id, int value, int* op, int* arg)
{
    if (id == CMD_SHOW_LENGTH) {
        *op = EditShowLength;
        *arg = value;
        return TRUE;
    }
    for (const DrawCommand& command : kDrawCommands) {
        if (id < command.firstId || id > command.lastId) continue;
        *op = command.op;
        *arg = command.value < 0 ? id - command.valueBase : command.value;
        return TRUE;
    }
    return FALSE;
}

void DoDrawCommand(int id, int value)
{
    int op = 0, arg = 0;
    if (!g_mdiClient || !DrawCommandOperation(id, value, &op, &arg)) return;
    HWND document = reinterpret_cast<HWND>(SendMessageA(g_mdiClient, WM_MDIGETACTIVE, 0, 0));
    HWND view = document ? GetWindow(document, GW_CHILD) : nullptr;
    if (view) DoEditOperation(view, op, arg, nullptr);
}

void ReportEditError(int code)
{
    switch (code) {
    case ErrOutsideDrawing: ShowWarningById(IDS_OUTSIDE_DRAWING); break;
    case ErrTooManyObjects: ShowWarningById(IDS_TOO_MANY_OBJECTS); break;
    case ErrTooManyLinks: ShowWarningById(IDS_TOO_MANY_LINKS); break;
    case ErrBadMetafile: RunInfoDialog("INFO_BADMETA", 30053); break;
    default: ShowWarningById(IDS_DISK_OR_MEMORY); break;
    }
}

void GetPastePosition(Drawing* drawing, const RECT* rect, POINT* point)
{
    POINT origin = {0, 0};
    if (drawing->viewWindow) {
        HDC dc = GetDC(drawing->viewWindow);
        DPtoLP(dc, &origin, 1);
        ReleaseDC(drawing->viewWindow, dc);
    }
    point->x = origin.x + 300;
    point->y = origin.y + 300;
    LONG width = rect->right - rect->left;
    LONG height = rect->bottom - rect->top;
    if (point->x + width >= drawing->pageWidth) point->x = drawing->pageWidth - width;
    if (point->y + height >= drawing->pageHeight) point->y = drawing->pageHeight - height;
}
