// Document undo: checkpoints of the drawing's store, undo and redo by swapping it, roll-back of
// failed edits, and the end of in-place text editing.
#include "model/undo.h"

#include <cstring>

#include "documents/document_state.h"
#include "documents/document_life.h"
#include "exchange/exchange_services.h"
#include "frame/frame_services.h"
#include "model/drawing.h"
#include "model/selection.h"
#include "model/window_utils.h"
#include "resource.h"
#include "store/block_store.h"
#include "store/results.h"
#include "text/object_text.h"

namespace {


// Copies the stored state image over the live state, keeping the fields bound to this window
// and this run: the editor, printer context, palettes, font tables, DEVMODE, OLE records, the
// label, the store slot and the drawing.
void RestoreStoredState(DocumentState* live, HGLOBAL record)
{
    LONG size = GetBlockSize(record);
    Locked<BYTE> bytes(record);
    if (!bytes || size < static_cast<LONG>(kBlockHeaderSize + sizeof(DocumentState))) return;
    DocumentState kept = *live;
    std::memcpy(live, bytes.get() + kBlockHeaderSize, sizeof(DocumentState));
    live->textEditor = kept.textEditor;
    live->printerIC = kept.printerIC;
    live->palette = kept.palette;
    live->previousPalette = kept.previousPalette;
    live->fontMap = kept.fontMap;
    live->fontList = kept.fontList;
    live->devMode = kept.devMode;
    live->oleLink = kept.oleLink;
    live->oleObjects = kept.oleObjects;
    live->undoLabel = kept.undoLabel;
    live->storeSlot = kept.storeSlot;
    live->drawing = kept.drawing;
}

// The drawing view of the active document window.
HWND ActiveDocumentView()
{
    HWND document = GetActiveDocument(nullptr);
    return document ? FindWindowExA(document, nullptr, "MDScrollClass", nullptr) : nullptr;
}

}  // namespace

int SaveUndoState(HWND view, int label)
{
    // Every change of a drawing starts here: whatever was derived from the drawing's geometry
    // (the press's index of update rectangles) is not to be trusted past this point.
    NoteModelChange();
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return kNoDocumentState;
    Locked<DocumentState> state(stateBlock);
    if (!state) return ErrOutOfMemory;
    state->undoLabel = 0;
    state->flags &= ~static_cast<DWORD>(DocRedoPending);
    if (int err = BeginStoreCheckpoint(state->storeSlot)) return err;
    HGLOBAL record = nullptr;
    if (int err = LoadRecord(state->storeSlot, RecDocument, RecDocumentStateId, &record)) return err;
    LONG size = GetBlockSize(record);
    {
        Locked<BYTE> bytes(record);
        if (!bytes) return ErrOutOfMemory;
        LONG room = size - kBlockHeaderSize;
        std::memcpy(bytes.get() + kBlockHeaderSize, state.get(),
                    room < static_cast<LONG>(sizeof(DocumentState)) ? (room > 0 ? room : 0) : sizeof(DocumentState));
    }
    int err = MarkBlockDirty(record);
    ReleaseBlock(record);
    if (err) return err;
    state->undoLabel = label;
    return 0;
}

int UndoLastChange(HWND view, BOOL keepRedo)
{
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return kNoDocumentState;
    int err = 0;
    {
        Locked<DocumentState> state(stateBlock);
        if (!state) return ErrOutOfMemory;
        if (state->undoLabel != 0) {
            CloseDrawing(state->drawing);
            state->drawing = nullptr;
            bool wasRedo = (state->flags & DocRedoPending) != 0;
            err = SwapStoreCheckpoint(state->storeSlot, keepRedo);
            if (!err) {
                HGLOBAL record = nullptr;
                err = LoadRecord(state->storeSlot, RecDocument, RecDocumentStateId, &record);
                if (!err) {
                    RestoreStoredState(state.get(), record);
                    ReleaseBlock(record);
                }
            }
            if (keepRedo && !wasRedo)
                state->flags |= DocRedoPending;
            else
                state->flags &= ~static_cast<DWORD>(DocRedoPending);
            HGLOBAL drawing = nullptr;
            int openErr = OpenDrawing(view, state->storeSlot, 0, 0, &drawing);
            state->drawing = drawing;
            if (!openErr) {
                BuildDocumentPalette(view, state.get());
                state.Unlock();
                UpdateTextStyleControls(view);
            }
            if (!err) err = openErr;
        }
    }
    Locked<DocumentState> state(stateBlock);
    if (!state) return ErrOutOfMemory;
    InvalidateRect(view, nullptr, FALSE);
    state->flags |= DocRedraw;
    if (!err) NotifyOleDataChanged(state.get());
    state.Unlock();
    if (err) ShowWarningById(IDS_UNABLE_TO_UNDO);
    if (!keepRedo || err) ClearUndoState(view);
    return err;
}

void ClearUndoState(HWND view)
{
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return;
    Locked<DocumentState> state(stateBlock);
    if (!state) return;
    state->undoLabel = 0;
    state->flags &= ~static_cast<DWORD>(DocRedoPending);
    DiscardStoreCheckpoint(state->storeSlot);
}

int EndTextEditing(HWND view, int mode)
{
    if (!view) view = ActiveDocumentView();
    HGLOBAL stateBlock = view ? GetDocumentStateHandle(view) : nullptr;
    if (!stateBlock) return 0;
    HWND editor;
    {
        Locked<DocumentState> state(stateBlock);
        if (!state || !state->textEditor) return 0;
        editor = state->textEditor;
    }
    int result = 0;
    if (!SendMessageA(editor, TEN_GETMODIFIED, 0, 0)) {
        Locked<DocumentState> state(stateBlock);
        EndUnchangedTextEdit(state.get(), mode);
    } else {
        int err = mode != -1 ? SaveUndoState(view, UndoTyping) : 0;
        if (!err) {
            Locked<DocumentState> state(stateBlock);
            Locked<Drawing> drawing(state->drawing);
            if (!drawing) err = ErrOutOfMemory;
            if (!err) err = BeginRecordChange(state->drawing);
            if (!err) err = BeginRecordChange(drawing->objectList);
        }
        if (err) {
            Locked<DocumentState> state(stateBlock);
            EndUnchangedTextEdit(state.get(), mode);
            result = err;
        } else {
            {
                Locked<DocumentState> state(stateBlock);
                err = CommitObjectTextEdit(view, state.get(), mode);
            }
            if (err) {
                UndoLastChange(view, FALSE);
                InvalidateRect(view, nullptr, FALSE);
                Locked<DocumentState> state(stateBlock);
                state->flags |= DocRedraw;
                result = err;
            } else if (mode == 0 || mode == 1) {
                ClearUndoState(view);
            }
        }
    }
    DestroyWindow(editor);
    Locked<DocumentState> state(stateBlock);
    if (state) state->textEditor = nullptr;
    return result;
}

void GetTextEditorViewRect(HWND view, RECT* rect)
{
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return;
    Locked<DocumentState> state(stateBlock);
    if (!state || !state->textEditor) return;
    GetClientRect(view, rect);
    OffsetRect(rect, GetScrollPos(view, SB_HORZ), GetScrollPos(view, SB_VERT));
}
