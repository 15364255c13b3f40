// The document state of a drawing view: the record types of a drawing store, its creation for
// a new drawing, its loading from a store, and the modified mark.
//
// Invariants of a view's state:
//  1. Window long 4 of a view holds its DocumentState only when the state is complete (printer
//     context, DEVMODE, font map, font list and Drawing exist); a failed creation or load leaves
//     0 there and frees what it made.
//  2. Handles in a stored image of the state mean nothing and are reset on loading.
//  3. Everything read from a stored image is outside data: sizes and counts are checked
//     against the records that carry them before use (1003 when they do not fit).
#include "documents/document_life.h"

#include <algorithm>
#include <cstring>

#include "documents/older_versions.h"
#include "exchange/exchange_services.h"
#include "exchange/printer_setup.h"
#include "lines/line_class.h"
#include "model/drawing.h"
#include "store/block_store.h"
#include "store/results.h"
#include "text/font_list.h"
#include "text/object_text.h"
#include "text/text_records.h"

PrinterMetricsFunction g_printerMetrics = GetPrinterMetrics;

namespace {

constexpr int kDefaultArea = 30000;   // 50 x 50 inches
constexpr int kPageLong = 6000;       // a one-page area: 8 x 10 inches
constexpr int kPageShort = 4800;
constexpr int kFooterSpace = 100;
constexpr int kDamagedRecord = 1003;
constexpr int kDevModeOrientation = 44;   // offset of dmOrientation in a DEVMODE

LONG PayloadSize(HGLOBAL record)
{
    LONG size = GetBlockSize(record);
    return size > kBlockHeaderSize ? size - kBlockHeaderSize : 0;
}

// A new zeroed block of max(size, minimum) bytes holding the payload of (100, id).
int CopyRecordPayload(int slot, int id, DWORD minimum, HGLOBAL* block, LONG* copied)
{
    *block = nullptr;
    HGLOBAL record = nullptr;
    if (int err = LoadRecord(slot, RecDocument, id, &record)) return err;
    LONG size = PayloadSize(record);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, std::max<DWORD>(size, minimum));
    int err = copy ? 0 : ErrOutOfMemory;
    if (!err) {
        Locked<BYTE> from(record);
        Locked<BYTE> to(copy);
        if (!from || !to)
            err = ErrOutOfMemory;
        else
            std::memcpy(to.get(), from.get() + kBlockHeaderSize, size);
    }
    ReleaseBlock(record);
    if (err) {
        if (copy) GlobalFree(copy);
        return err;
    }
    *block = copy;
    if (copied) *copied = size;
    return 0;
}

int DevModeOrientation(HGLOBAL devMode)
{
    if (!devMode || GlobalSize(devMode) < kDevModeOrientation + 2) return 1;
    Locked<BYTE> bytes(devMode);
    if (!bytes) return 1;
    short orientation;
    std::memcpy(&orientation, bytes.get() + kDevModeOrientation, 2);
    return orientation;
}

void SetDrawingArea(DocumentState* state)
{
    if (!(state->flags & DocOnePage)) {
        state->areaWidth = state->areaHeight = kDefaultArea;
    } else if (DevModeOrientation(state->devMode) == 1) {
        state->areaWidth = kPageShort;
        state->areaHeight = kPageLong;
    } else {
        state->areaWidth = kPageLong;
        state->areaHeight = kPageShort;
    }
}

void SetPrintableSize(DocumentState* state)
{
    state->margins = state->printerMargins;
    LONG* m = &state->margins.left;
    for (int i = 0; i < 4; ++i) m[i] = std::max<LONG>(m[i], 0);
    state->printableWidth = state->pageWidth - state->margins.left - state->margins.right;
    state->printableHeight = state->pageHeight - state->margins.top - state->margins.bottom;
}

// The printer's font list in a new block, built on its information context.
int MakeFontList(HWND view, DocumentState* state, HGLOBAL* list)
{
    *list = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(FontListHead));
    if (!*list) return ErrOutOfMemory;
    if (int err = BuildFontList(view, state->printerIC, *list)) {
        GlobalFree(*list);
        *list = nullptr;
        return err;
    }
    return 0;
}

bool FontMapFits(HGLOBAL map)
{
    SIZE_T size = GlobalSize(map);
    if (size < sizeof(FontMapHead)) return false;
    Locked<FontMapHead> head(map);
    return head && head->count >= 0 && static_cast<SIZE_T>(head->count) <= (size - sizeof(FontMapHead)) / 4;
}

bool FontListFits(HGLOBAL list, LONG size)
{
    if (size < static_cast<LONG>(sizeof(FontListHead))) return false;
    Locked<FontListHead> head(list);
    return head && head->count >= 0 &&
           head->count <= (size - static_cast<LONG>(sizeof(FontListHead))) / static_cast<LONG>(sizeof(FontListEntry));
}

void FreeStateParts(DocumentState* state)
{
    if (state->devMode) GlobalFree(state->devMode);
    if (state->fontMap) GlobalFree(state->fontMap);
    if (state->fontList) GlobalFree(state->fontList);
    if (state->printerIC) DeleteDC(state->printerIC);
    state->devMode = state->fontMap = state->fontList = nullptr;
    state->printerIC = nullptr;
}

}  // namespace

void FreeDocumentStateBlocks(HGLOBAL stateBlock)
{
    if (!stateBlock) return;
    {
        Locked<DocumentState> state(stateBlock);
        if (state) FreeStateParts(state.get());
    }
    GlobalFree(stateBlock);
}

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

int CreateColorListRecord(int storeSlot)
{
    HGLOBAL record = nullptr;
    if (int err = AddRecord(storeSlot, RecDocument, RecColorListId, kColorListRecordSize, &record)) return err;
    {
        Locked<BYTE> bytes(record);
        if (!bytes) return ErrOutOfMemory;
        std::memset(bytes.get() + kBlockHeaderSize, 0, kColorListRecordSize - kBlockHeaderSize);
    }
    int err = MarkBlockDirty(record);
    ReleaseBlock(record);
    return err;
}

int StoreBlockAsDocumentRecord(int slot, int id, HGLOBAL block)
{
    HGLOBAL record = nullptr;
    DWORD size = static_cast<DWORD>(GlobalSize(block));
    int found = LoadRecord(slot, RecDocument, id, &record);
    if (found == StoreKeyMissing) found = AddRecord(slot, RecDocument, id, size + kBlockHeaderSize, &record);
    if (found) return found;
    int err = 0;
    if (GetBlockSize(record) != static_cast<LONG>(size + kBlockHeaderSize))
        err = ResizeRecord(&record, size + kBlockHeaderSize);
    if (!err) {
        Locked<BYTE> to(record);
        Locked<BYTE> from(block);
        if (!to || !from)
            err = ErrOutOfMemory;
        else
            std::memcpy(to.get() + kBlockHeaderSize, from.get(), size);
    }
    if (!err) err = MarkBlockDirty(record);
    ReleaseBlock(record);
    return err;
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

int ClearTextBlockHandles(DocumentState* state)
{
    int slot = state->storeSlot, count = 0;
    if (int err = CountRecords(slot, RecTextBlock, &count)) return err == StoreKeyMissing ? 0 : err;
    for (int i = 0; i < count; ++i) {
        int id = 0;
        if (int err = GetRecordIdAt(slot, RecTextBlock, i, &id)) return err;
        HGLOBAL record = nullptr;
        if (int err = LoadRecord(slot, RecTextBlock, id, &record)) return err;
        LONG size = PayloadSize(record);
        int err = 0;
        {
            Locked<BYTE> bytes(record);
            if (!bytes) {
                err = ErrOutOfMemory;
            } else if (size < kTextBlockSize) {
                err = kDamagedRecord;
            } else {
                auto* block = reinterpret_cast<TextBlock*>(bytes.get() + kBlockHeaderSize);
                // Counts come from the file: the runs must lie inside the record.
                long long runsAt = kTextBlockSize + static_cast<long long>(block->lineCount) * kTextLineSize;
                long long runsEnd = runsAt + static_cast<long long>(block->runCount) * kTextRunSize;
                if (block->lineCount < 0 || block->runCount < 0 || runsEnd > size) {
                    err = kDamagedRecord;
                } else {
                    auto* runs = reinterpret_cast<TextRun*>(reinterpret_cast<BYTE*>(block) + runsAt);
                    for (int r = 0; r < block->runCount; ++r) runs[r].font = 0;
                }
            }
        }
        if (!err) err = MarkBlockDirty(record);
        ReleaseBlock(record);
        if (err) return err;
    }
    return 0;
}

// The view holds its state while the drawing is made or opened, since the drawing reads it
// through the view; when that fails the view is left without a state.
template <typename MakeDrawing>
int AttachDrawing(HWND view, HGLOBAL stateBlock, MakeDrawing make)
{
    SetWindowLongA(view, kViewStateLong, static_cast<LONG>(reinterpret_cast<LONG_PTR>(stateBlock)));
    HGLOBAL drawing = nullptr;
    if (int err = make(&drawing)) {
        SetWindowLongA(view, kViewStateLong, 0);
        return err;
    }
    Locked<DocumentState> state(stateBlock);
    state->drawing = drawing;
    return 0;
}

namespace {

int FillNewState(HWND view, int slot, DocumentState* state)
{
    state->version = 4;
    state->storeSlot = slot;
    state->savedBackground = -1;
    state->devMode = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kNewDevModeSize);
    state->fontMap = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(FontMapHead));
    if (!state->devMode || !state->fontMap) return ErrOutOfMemory;

    HGLOBAL record = nullptr;
    if (int err = AddRecord(slot, RecDocument, RecDocumentStateId, kDocumentStateRecordSize, &record)) return err;
    ReleaseBlock(record);
    if (int err = AddRecord(slot, RecDocument, RecPrinterSetupId, kNewDevModeSize + kBlockHeaderSize, &record)) return err;
    ReleaseBlock(record);
    if (int err = AddRecord(slot, RecDocument, RecFontMapId, kBlockHeaderSize + 4, &record)) return err;
    ReleaseBlock(record);
    if (int err = CreateColorListRecord(slot)) return err;

    BOOL followsDefault = TRUE, footers = FALSE;
    SIZE page = {};
    state->printerIC = g_printerMetrics(state->deviceName, state->devMode, &state->printerMargins, &page, 1, TRUE,
                                        &followsDefault, &footers);
    if (!state->printerIC) return ErrNoPrinterIC;
    if (followsDefault) state->flags |= DocDefaultPrinter;
    state->pageWidth = page.cx;
    state->pageHeight = page.cy;
    SetPrintableSize(state);
    state->footerSpace = 0;
    SetDrawingArea(state);

    if (int err = MakeFontList(view, state, &state->fontList)) return err;
    return StoreBlockAsDocumentRecord(slot, RecFontListId, state->fontList);
}

}  // namespace

int CreateNewDocumentState(HWND view, int storeSlot)
{
    HGLOBAL drawingRecord = nullptr;
    if (int err = AddRecord(storeSlot, RecDocument, RecDrawingId, sizeof(Drawing), &drawingRecord)) return err;
    ReleaseBlock(drawingRecord);
    HGLOBAL stateBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DocumentState));
    if (!stateBlock) return ErrOutOfMemory;
    int err = 0;
    int areaWidth = 0, areaHeight = 0;
    {
        Locked<DocumentState> state(stateBlock);
        err = state ? FillNewState(view, storeSlot, state.get()) : ErrOutOfMemory;
        if (!err) {
            areaWidth = state->areaWidth;
            areaHeight = state->areaHeight;
        }
    }
    if (!err) {
        SetWindowLongA(view, kViewStateLong, static_cast<LONG>(reinterpret_cast<LONG_PTR>(stateBlock)));
        Locked<DocumentState> state(stateBlock);
        int index = FindFontByFace(state->fontList, "Arial");
        if (index < 0) index = GetDefaultFontIndex(state->fontList);
        MapDocumentFont(state->fontMap, index);
        state.Unlock();
        err = AttachDrawing(view, stateBlock, [&](HGLOBAL* drawing) {
            return CreateDrawing(view, storeSlot, 0, areaWidth, areaHeight, 0, drawing);
        });
    }
    if (!err) {
        // The image of the state goes into its record now, so that the store holds it from
        // the start (a flush rewrites it before every save).
        HGLOBAL record = nullptr;
        err = LoadRecord(storeSlot, RecDocument, RecDocumentStateId, &record);
        if (!err) {
            {
                Locked<BYTE> image(record);
                Locked<DocumentState> state(stateBlock);
                if (image && state) std::memcpy(image.get() + kBlockHeaderSize, state.get(), sizeof(DocumentState));
            }
            err = MarkBlockDirty(record);
            ReleaseBlock(record);
        }
        if (err) {
            Locked<DocumentState> state(stateBlock);
            CloseDrawing(state->drawing);
            SetWindowLongA(view, kViewStateLong, 0);
        }
    }
    if (err) {
        SetWindowLongA(view, kViewStateLong, 0);
        FreeDocumentStateBlocks(stateBlock);
    }
    return err;
}

namespace {

// Steps of loading up to the drawing: the state's blocks, printer and font list.
int LoadStateParts(HWND view, int slot, DocumentState* state)
{
    // The DEVMODE block never shrinks below a new one; a longer record grows it.
    if (int err = CopyRecordPayload(slot, RecPrinterSetupId, kNewDevModeSize, &state->devMode, nullptr)) return err;
    if (int err = CopyRecordPayload(slot, RecFontMapId, sizeof(FontMapHead), &state->fontMap, nullptr)) return err;
    if (!FontMapFits(state->fontMap)) return kDamagedRecord;

    int mode = 0;
    if (state->flags & DocDefaultPrinter) {
        char current[262] = {};
        GetProfileStringA("windows", "device", "", current, sizeof(current));
        if (char* comma = std::strchr(current, ',')) *comma = 0;
        if (lstrcmpiA(state->deviceName, current) != 0) {
            state->deviceName[0] = 0;
            mode = 2;
        }
    }
    BOOL followsDefault = (state->flags & DocDefaultPrinter) != 0;
    BOOL footers = state->footerSpace > 0;
    SIZE page = {state->pageWidth, state->pageHeight};
    state->printerIC = g_printerMetrics(state->deviceName, state->devMode, &state->printerMargins, &page, mode, FALSE,
                                        &followsDefault, &footers);
    if (!state->printerIC) return ErrOutOfMemory;
    state->flags = followsDefault ? (state->flags | DocDefaultPrinter) : (state->flags & ~static_cast<DWORD>(DocDefaultPrinter));
    state->pageWidth = page.cx;
    state->pageHeight = page.cy;
    state->footerSpace = footers ? kFooterSpace : 0;
    SetPrintableSize(state);
    if (state->footerSpace) {
        if (state->printableWidth != state->pageWidth) state->printableWidth -= state->footerSpace;
        if (state->printableHeight != state->pageHeight) state->printableHeight -= state->footerSpace;
    }
    SetDrawingArea(state);

    if (int err = MakeFontList(view, state, &state->fontList)) return err;
    HGLOBAL storedList = nullptr;
    LONG storedSize = 0;
    if (int err = CopyRecordPayload(slot, RecFontListId, sizeof(FontListHead), &storedList, &storedSize)) return err;
    int err = FontListFits(storedList, storedSize) ? 0 : kDamagedRecord;
    if (!err) RemapFontIndices(state->fontMap, storedList, state->fontList);
    GlobalFree(storedList);
    if (err) return err;
    if (int e = ClearTextBlockHandles(state)) return e;
    return StoreBlockAsDocumentRecord(slot, RecFontListId, state->fontList);
}

int LayOutAllTexts(HGLOBAL drawingHandle)
{
    Locked<Drawing> drawing(drawingHandle);
    Locked<ObjectList> objects(drawing->objectList);
    for (int row = 0; row < objects->count; ++row) {
        if ((*objects)[row].textId < 0) continue;
        if (int err = LayoutObjectText(drawing.get(), &(*objects)[row], 0)) return err;
    }
    return 0;
}

}  // namespace

int LoadDocumentState(HWND view, int storeSlot, BOOL* converted)
{
    *converted = FALSE;
    HGLOBAL stateBlock = nullptr;
    LONG stored = 0;
    // A stored state shorter than the current one is copied as far as it goes.
    if (int err = CopyRecordPayload(storeSlot, RecDocumentStateId, sizeof(DocumentState), &stateBlock, &stored))
        return err;
    if (GlobalSize(stateBlock) > sizeof(DocumentState)) {
        HGLOBAL trimmed = GlobalReAlloc(stateBlock, sizeof(DocumentState), GMEM_MOVEABLE);
        if (trimmed) stateBlock = trimmed;
    }
    int err = 0;
    {
        Locked<DocumentState> state(stateBlock);
        if (!state) err = ErrOutOfMemory;
        // A state of another version is converted before any of its fields is read, since
        // the older layout holds other fields where the current one keeps handles.
        if (!err && state->version != 4) {
            err = ConvertOldDocument(state.get(), storeSlot);
            *converted = TRUE;
        }
        // The handles are reset also after a failed conversion, so that nothing stale is freed.
        if (state) {
            state->printerIC = nullptr;
            state->palette = state->previousPalette = nullptr;
            state->drawing = nullptr;
            state->textEditor = nullptr;
            state->oleLink = state->oleObjects = nullptr;
            state->devMode = state->fontMap = state->fontList = nullptr;
            state->libraryAtom = 0;
            state->storeSlot = storeSlot;
            state->deviceName[sizeof(state->deviceName) - 1] = 0;
        }
        if (!err) err = LoadStateParts(view, storeSlot, state.get());
    }
    if (!err)
        err = AttachDrawing(view, stateBlock, [&](HGLOBAL* drawing) {
            return OpenDrawing(view, storeSlot, 0, 0, drawing);
        });
    if (err) {
        FreeDocumentStateBlocks(stateBlock);
        return err;
    }
    Locked<DocumentState> state(stateBlock);
    HGLOBAL drawing = state->drawing;
    RefreshShapedLineBounds(drawing);
    state->flags &= ~static_cast<DWORD>(DocModified);
    {
        Locked<Drawing> d(drawing);
        d->pageWidth = state->areaWidth;
        d->pageHeight = state->areaHeight;
    }
    if (*converted) err = LayOutAllTexts(drawing);
    if (err) {
        CloseDrawing(drawing);
        state.Unlock();
        SetWindowLongA(view, kViewStateLong, 0);
        FreeDocumentStateBlocks(stateBlock);
    }
    return err;
}
