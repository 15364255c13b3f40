// Drawings travelling without a document file: into and out of the private clipboard store, as
// images and pictures, and back into a document window.
#include "documents/documents_in_memory.h"

#include <algorithm>
#include <cstring>

#include "documents/document_close.h"
#include "documents/document_life.h"
#include "documents/document_save.h"
#include "documents/document_state.h"
#include "documents/document_window.h"
#include "documents/drawing_file.h"
#include "documents/record_stream.h"
#include "exchange/exchange_standins.h"
#include "exchange/ole_document.h"
#include "exchange/picture_render.h"
#include "frame/frame_services.h"
#include "frame/frame_startup.h"
#include "frame/frame_windows.h"
#include "model/drawing.h"
#include "model/window_utils.h"
#include "resource.h"
#include "store/file_ops.h"
#include "store/store_compact.h"
#include "store/store_directory.h"
#include "store/store_records.h"

namespace {

constexpr LONG kImageChunk = 65534;   // the largest piece written at once

HANDLE ToHandle(HFILE file)
{
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(file));
}

void EmptyWindowsClipboard()
{
    if (!OpenClipboard(g_frameWindow)) return;
    EmptyClipboard();
    CloseClipboard();
}

bool ClipboardOffersStore()
{
    if (!g_pictureFormat || !OpenClipboard(g_frameWindow)) return false;
    bool offered = IsClipboardFormatAvailable(g_pictureFormat) != 0;
    CloseClipboard();
    return offered;
}

// Gives up the store's slot without closing its file and opens the file again from offset 0;
// a failed reopening closes the file. The new slot, or -1.
int ReopenStore(int slot, HFILE file, int* newSlot)
{
    DetachStore(slot);
    int version = 0;
    *newSlot = -1;
    int err = OpenStoreAt(file, newSlot, 0, &version);
    if (err) {
        if (*newSlot >= 0) DetachStore(*newSlot);
        *newSlot = -1;
        CloseHandle(ToHandle(file));
    }
    return err;
}

// Overwrites the file from its first byte with the image's counted bytes, in pieces of at most
// 65534 bytes; -1 when the file cannot be positioned or written. The count is limited to what
// the block holds.
int WriteStoreImage(HFILE file, HGLOBAL image)
{
    SIZE_T blockSize = GlobalSize(image);
    BlockLock lock(image);
    if (!lock || blockSize < sizeof(DWORD)) return ErrOutOfMemory;
    DWORD count;
    std::memcpy(&count, lock.get(), sizeof(count));
    if (count > blockSize - sizeof(DWORD)) count = static_cast<DWORD>(blockSize - sizeof(DWORD));
    if (SetFilePointer(ToHandle(file), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return -1;
    const BYTE* bytes = lock.get() + sizeof(DWORD);
    for (DWORD done = 0; done < count;) {
        DWORD piece = std::min<DWORD>(kImageChunk, count - done), put = 0;
        if (!WriteFile(ToHandle(file), bytes + done, piece, &put, nullptr) || put != piece) return -1;
        done += piece;
    }
    return SetFileSize(file, static_cast<LONG>(count)) ? -1 : 0;
}

bool IsEmbedded(HWND view)
{
    return GetOleObjectState(view) == 1;
}

// Tears the view's state down before its store is replaced.
void TearDownView(HWND view)
{
    if (HGLOBAL stateBlock = GetDocumentStateHandle(view)) CloseOleDocument(stateBlock);
    DestroyDocumentState(view);
    HDC dc = GetDC(view);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    ReleaseDC(view, dc);
    for (HWND ruler : {GetWindow(view, GW_HWNDNEXT), GetWindow(GetWindow(view, GW_HWNDNEXT), GW_HWNDNEXT)}) {
        if (!ruler) continue;
        HDC rulerDc = GetDC(ruler);
        SetViewportOrgEx(rulerDc, 0, 0, nullptr);
        ReleaseDC(ruler, rulerDc);
    }
}

// The view set up again as a newly opened document's: OLE, palette, view record with the
// stored zoom, scroll ranges; then shown with the menus enabled.
int SetUpReloadedView(HWND window, HWND view, BOOL embedded)
{
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return ErrOutOfMemory;
    if (int err = InitOleDocument(view, stateBlock, embedded)) return err;
    DocumentState snapshot;
    {
        Locked<DocumentState> state(stateBlock);
        if (!state) return ErrOutOfMemory;
        BuildDocumentPalette(view, state.get());
        snapshot = *state;
    }
    if (snapshot.zoom != 0 && (snapshot.zoom < 10 || snapshot.zoom > 4000)) snapshot.zoom = 0;
    if (int err = CreateViewInfo(view, snapshot.areaWidth, snapshot.areaHeight, snapshot.zoom, snapshot.zoomFlags))
        return err;
    RECT client;
    GetClientRect(view, &client);
    SetScrollRangeCompat(view, SB_HORZ, 0, std::max(0, snapshot.scrollX), client.right, FALSE);
    SetScrollRangeCompat(view, SB_VERT, 0, std::max(0, snapshot.scrollY), client.bottom, FALSE);
    if (snapshot.zoom != 0 && !(snapshot.zoomFlags & 1)) ApplyViewZoom(view, snapshot.zoom);
    RelayoutDocumentWindow(window);
    ShowWindow(view, SW_SHOW);
    UpdateMenusOnActivate(window, 1);
    return 0;
}

// The view and working copy of a document window; 1 when either is missing.
int FindDocument(HWND window, HWND* view, DocumentFile* file)
{
    *view = GetDocumentView(window);
    HGLOBAL fileBlock = GetDocumentFileHandle(window);
    if (!*view || !fileBlock) return 1;
    Locked<DocumentFile> locked(fileBlock);
    if (!locked) return 1;
    *file = *locked;
    return 0;
}

void SetDocumentSlot(HWND window, int slot)
{
    Locked<DocumentFile> file(GetDocumentFileHandle(window));
    if (file) file->storeSlot = slot;
}

}  // namespace

int CopyDrawingToClipboardStore(HWND view, DocumentState* state)
{
    const int clip = g_clipboardStoreSlot;
    if (clip < 0) return 1;
    HFILE clipFile = HFILE_ERROR, workFile = HFILE_ERROR;
    if (int err = GetStoreFileHandle(clip, &clipFile)) return err;
    if (int err = GetStoreFileHandle(state->storeSlot, &workFile)) return err;
    // The clipboard store is not touched until the document has been flushed.
    if (int err = FlushDocumentState(GetParent(view), FALSE)) return err;
    if (int err = FlushStore(clip, TRUE)) return err;
    int err = CopyFileContents(nullptr, workFile, TRUE, nullptr, clipFile, TRUE);
    if (err) {
        DetachStore(clip);
        CloseHandle(ToHandle(clipFile));
        g_clipboardStoreSlot = -1;
        return err;
    }
    int slot = -1;
    err = ReopenStore(clip, clipFile, &slot);
    g_clipboardStoreSlot = slot;
    return err;
}

int ExchangeClipboardStoreFile(char* path)
{
    const int clip = g_clipboardStoreSlot;
    if (clip < 0) return 1;
    if (!ClipboardOffersStore()) return 0;
    const bool saveAside = path[0] == '\0';
    if (saveAside) {
        char folder[MAX_PATH];
        DWORD length = GetTempPathA(sizeof(folder), folder);
        if (!length || length >= sizeof(folder) || !GetTempFileNameA(folder, "VXTMP", 0, path)) {
            path[0] = '\0';
            EmptyWindowsClipboard();
            return ErrFileIO;
        }
    }
    HFILE file = OpenFileMode(path, nullptr, OF_READWRITE);
    if (file == HFILE_ERROR) {
        EmptyWindowsClipboard();
        return ErrFileIO;
    }
    HFILE clipFile = HFILE_ERROR;
    int err = GetStoreFileHandle(clip, &clipFile);
    if (!err) err = FlushStore(clip, TRUE);
    if (!err) {
        err = saveAside ? CopyFileContents(nullptr, clipFile, TRUE, nullptr, file, TRUE)
                        : CopyFileContents(nullptr, file, TRUE, nullptr, clipFile, TRUE);
    }
    if (!err) {
        int slot = -1;
        err = ReopenStore(clip, clipFile, &slot);
        g_clipboardStoreSlot = slot;
    }
    if (err) EmptyWindowsClipboard();
    CloseHandle(ToHandle(file));
    if (!saveAside) DeleteFileA(path);
    return err;
}

int RenderDrawingData(HWND view, DocumentState* state, HGLOBAL* out, int format)
{
    *out = nullptr;
    DWORD length = 0;
    if (view) {
        if (int err = FlushDocumentState(GetParent(view), FALSE)) return err;
        return WriteDrawingFile(nullptr, out, &length, state);
    }
    const int clip = g_clipboardStoreSlot;
    if (clip < 0) return 1;
    if (int err = FlushStore(clip, FALSE)) return err;
    RECT client = {0, 0, 640, 480};
    if (g_frameWindow) GetClientRect(g_frameWindow, &client);
    HWND hidden = CreateWindowA("MDScrollClass", "", WS_CHILD, 0, 0, client.right, client.bottom, g_frameWindow,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!hidden) return ErrWindowNotCreated;
    BOOL converted = FALSE;
    int err = LoadDocumentState(hidden, clip, &converted);
    HGLOBAL stateBlock = err ? nullptr : GetDocumentStateHandle(hidden);
    if (!err && !stateBlock) err = ErrOutOfMemory;
    if (!err) {
        Locked<DocumentState> hiddenState(stateBlock);
        BuildDocumentPalette(hidden, hiddenState.get());
        Locked<Drawing> drawing(hiddenState->drawing);
        if (format == RenderBitmap) {
            HBITMAP bitmap = RenderDrawingBitmap(hidden, TRUE);
            *out = reinterpret_cast<HGLOBAL>(bitmap);
            if (!bitmap) err = 1;
        } else if (format == RenderMetafilePicture) {
            *out = GetPictureMetafilePict(hiddenState->drawing, FALSE);
            if (!*out) *out = GetDrawingMetafilePict(hiddenState->drawing, hiddenState->palette, FALSE, TRUE, TRUE);
            if (!*out) err = 1;
        } else {
            drawing.Unlock();
            err = StoreBlockAsDocumentRecord(clip, RecFontMapId, hiddenState->fontMap);
            if (!err) err = WriteDrawingFile(nullptr, out, &length, hiddenState.get());
        }
    }
    DestroyWindow(hidden);
    return err;
}

namespace {

// What a reload replaces: the view (hidden from here on) and the working copy, whose store has
// been flushed with its blocks released.
struct ReloadTarget {
    HWND view = nullptr;
    DocumentFile file = {};
    BOOL embedded = FALSE;
};

int BeginReload(HWND window, ReloadTarget* target)
{
    if (int err = FindDocument(window, &target->view, &target->file)) return err;
    ShowWindow(target->view, SW_HIDE);
    target->embedded = IsEmbedded(target->view);
    return FlushStore(target->file.storeSlot, TRUE);
}

int ReloadFromStoreImage(HWND window, HGLOBAL image, LPCSTR path)
{
    ReloadTarget target;
    if (int err = BeginReload(window, &target)) return err;
    const HFILE work = static_cast<HFILE>(target.file.workHandle);
    if (int err = image ? WriteStoreImage(work, image) : CopyFileContents(path, HFILE_ERROR, FALSE, nullptr, work, TRUE))
        return err;
    DetachStore(target.file.storeSlot);
    int slot = -1, version = 0;
    int err = OpenStoreAt(work, &slot, 0, &version);
    // The image comes from another program: only a store that passes the check is used.
    if (!err && CheckStore(slot)) err = kDamagedDrawing;
    SetDocumentSlot(window, slot);
    if (err) return err;
    TearDownView(target.view);
    BOOL older = FALSE;
    err = LoadDocumentState(target.view, slot, &older);
    {
        Locked<DocumentFile> locked(GetDocumentFileHandle(window));
        if (locked) locked->olderVersion = older;
    }
    return err ? err : SetUpReloadedView(window, target.view, target.embedded);
}

int ReloadFromDrawingData(HWND window, HGLOBAL image, LPCSTR path)
{
    DWORD length = 0;
    if (image && GlobalSize(image) >= sizeof(DWORD)) {
        BlockLock lock(image);
        if (lock) std::memcpy(&length, lock.get(), sizeof(length));
    }
    ReloadTarget target;
    if (int err = BeginReload(window, &target)) return err;
    DetachStore(target.file.storeSlot);
    int slot = -1;
    int err = CreateStoreAt(static_cast<HFILE>(target.file.workHandle), &slot, 0, 6, 200);
    SetDocumentSlot(window, slot);
    if (!err) err = AddDocumentRecordTypes(slot);
    if (err) return err;
    TearDownView(target.view);
    if (int e = CreateNewDocumentState(target.view, slot)) return e;
    {
        Locked<DocumentState> state(GetDocumentStateHandle(target.view));
        BOOL older = FALSE;
        err = ReadDrawingFile(HFILE_ERROR, path, image, length, target.view, state.get(), &older, FALSE);
        // Only the opening of a document tells the user what a damaged drawing lost; an image
        // handed over cut short is refused as before.
        if (!err && g_readDamage.cut) err = ErrStreamShortRead;
        state->flags &= ~static_cast<DWORD>(DocModified);
        Locked<DocumentFile> locked(GetDocumentFileHandle(window));
        if (locked) locked->olderVersion = older;
    }
    return err ? err : SetUpReloadedView(window, target.view, target.embedded);
}

}  // namespace

int ReloadDocumentFromStoreImage(HWND window, HGLOBAL image, LPCSTR path)
{
    SetCursorByIndex(CursorBusy);
    int err = ReloadFromStoreImage(window, image, path);
    SetCursorByIndex(CursorArrow);
    return err;
}

int ReloadDocumentFromDrawingData(HWND window, HGLOBAL image, LPCSTR path)
{
    SetCursorByIndex(CursorBusy);
    int err = ReloadFromDrawingData(window, image, path);
    SetCursorByIndex(CursorArrow);
    return err;
}
