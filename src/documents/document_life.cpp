// The document state of a drawing view: the record types of a drawing store, its creation for
// a new drawing, its loading from a store, and the modified mark.
#include "documents/document_life.h"

#include <cstring>

#include "exchange/exchange_services.h"
#include "documents/options.h"
#include "model/drawing.h"
#include "store/block_store.h"
#include "store/results.h"

namespace {

constexpr int kDefaultArea = 30000;   // 50 x 50 inches

}  // namespace

int AddDocumentRecordTypes(int storeSlot)
{
    static const int kTypes[] = {RecDocument, RecObjectList, RecLinkIndex, RecZOrderList, RecBitmapChunks,
                                 RecMetafileChunks, RecTextBlock, RecConnectorSegments, RecAttachment,
                                 RecOutlinePoints, RecLineArrayData, RecGroupTable};
    for (int type : kTypes) {
        if (int err = AddRecordType(storeSlot, type)) return err;
    }
    return 0;
}

HGLOBAL GetDocumentStateHandle(HWND view)
{
    if (!view || !IsWindow(view)) return nullptr;
    return reinterpret_cast<HGLOBAL>(static_cast<LONG_PTR>(GetWindowLongA(view, kViewStateLong)));
}

void MarkDocumentModified(DocumentState* state)
{
    state->flags |= DocModified;
    NotifyOleDataChanged(state);
}

// The view holds its state while the drawing is made or opened, since the drawing reads it
// through the view; when that fails the view is left without a state and the block is freed.
template <typename MakeDrawing>
int AttachDrawing(HWND view, HGLOBAL stateBlock, MakeDrawing make)
{
    SetWindowLongA(view, kViewStateLong, static_cast<LONG>(reinterpret_cast<LONG_PTR>(stateBlock)));
    HGLOBAL drawing = nullptr;
    if (int err = make(&drawing)) {
        SetWindowLongA(view, kViewStateLong, 0);
        GlobalFree(stateBlock);
        return err;
    }
    Locked<DocumentState> state(stateBlock);
    state->drawing = drawing;
    return 0;
}

int CreateNewDocumentState(HWND view, int storeSlot)
{
    HGLOBAL drawingRecord = nullptr, stateRecord = nullptr;
    if (int err = AddRecord(storeSlot, RecDocument, RecDrawingId, sizeof(Drawing), &drawingRecord)) return err;
    HGLOBAL stateBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DocumentState));
    if (!stateBlock) return ErrOutOfMemory;
    int err = AddRecord(storeSlot, RecDocument, RecDocumentStateId, kDocumentStateRecordSize, &stateRecord);
    if (!err) {
        Locked<DocumentState> state(stateBlock);
        if (!state) {
            GlobalFree(stateBlock);
            return ErrOutOfMemory;
        }
        state->version = 4;
        state->storeSlot = storeSlot;
        state->savedBackground = -1;
        state->areaWidth = kDefaultArea;
        state->areaHeight = kDefaultArea;
        Locked<BYTE> image(stateRecord);
        if (!state || !image)
            err = ErrOutOfMemory;
        else
            std::memcpy(image.get() + kBlockHeaderSize, state.get(), sizeof(DocumentState));
    }
    if (!err) err = MarkBlockDirty(stateRecord);
    if (err) {
        GlobalFree(stateBlock);
        return err;
    }
    return AttachDrawing(view, stateBlock, [&](HGLOBAL* drawing) {
        return CreateDrawing(view, storeSlot, 0, kDefaultArea, kDefaultArea, 0, drawing);
    });
}

int LoadDocumentState(HWND view, int storeSlot, BOOL* converted)
{
    *converted = FALSE;
    HGLOBAL record = nullptr;
    if (int err = LoadRecord(storeSlot, RecDocument, RecDocumentStateId, &record)) return err;
    if (GetBlockSize(record) < kDocumentStateRecordSize) return ErrFileIO;
    HGLOBAL stateBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DocumentState));
    if (!stateBlock) return ErrOutOfMemory;
    {
        Locked<DocumentState> state(stateBlock);
        Locked<BYTE> image(record);
        if (!state || !image) return ErrOutOfMemory;   // nothing is locked when the locks failed
        std::memcpy(state.get(), image.get() + kBlockHeaderSize, sizeof(DocumentState));
        state->printerIC = nullptr;
        state->palette = state->previousPalette = nullptr;
        state->drawing = nullptr;
        state->textEditor = nullptr;
        state->oleLink = state->oleObjects = nullptr;
        state->devMode = state->fontMap = state->fontList = nullptr;
        state->libraryAtom = 0;
        state->storeSlot = storeSlot;
    }
    ReleaseBlock(record);
    if (int err = AttachDrawing(view, stateBlock, [&](HGLOBAL* drawing) {
            return OpenDrawing(view, storeSlot, 0, 0, drawing);
        }))
        return err;
    Locked<DocumentState> state(stateBlock);
    HGLOBAL drawing = state->drawing;
    state->flags &= ~static_cast<DWORD>(DocModified);
    Locked<Drawing> d(drawing);
    d->pageWidth = state->areaWidth;
    d->pageHeight = state->areaHeight;
    return 0;
}
