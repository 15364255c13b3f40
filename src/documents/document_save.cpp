// Saving: the store brought up to date with what lives only in memory, a new drawing file
// written completely under a sibling name in the target's folder, flushed, and only then put
// in the target's place in one step. A failure at any point leaves the old file as it was.
#include "documents/document_save.h"
#include "documents/recent_files.h"

#include <cstring>

#include "documents/document_life.h"
#include "documents/document_window.h"
#include "documents/drawing_file.h"
#include "documents/options.h"
#include "exchange/ole_document.h"
#include "exchange/picture_render.h"
#include "frame/frame_services.h"
#include "frame/frame_windows.h"
#include "model/drawing.h"
#include "model/undo.h"
#include "model/window_utils.h"
#include "resource.h"
#include "store/block_store.h"

namespace {

BOOL ReplaceFileInOneStep(LPCSTR from, LPCSTR to, DWORD flags)
{
    return MoveFileExA(from, to, flags);
}

constexpr UINT kSaveDialogTemplate = 1536;
constexpr int kSaveHelpContext = 30024;

HANDLE ToHandle(INT32 file)
{
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(file));
}

void SetModified(HWND view, bool on)
{
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return;
    Locked<DocumentState> state(stateBlock);
    if (!state) return;
    if (on)
        state->flags |= DocModified;
    else
        state->flags &= ~static_cast<DWORD>(DocModified);
}

// The held file of a titled document is let go and `path` taken up in its place: read-write
// with write sharing denied (kept only on fixed or remote drives), or, with `readOnlyFallback`,
// read-only. False when neither opened.
bool BindToFile(HWND window, LPCSTR path, bool readOnlyFallback)
{
    HGLOBAL block = GetDocumentFileHandle(window);
    Locked<DocumentFile> file(block);
    if (file->untitledNumber == 0 && file->fileHandle != -1) {
        CloseHandle(ToHandle(file->fileHandle));
        file->fileHandle = -1;
    }
    lstrcpynA(file->path, path, sizeof(file->path));
    HFILE handle = OpenHeldFile(path);
    file->readOnly = FALSE;
    if (handle == HFILE_ERROR && readOnlyFallback) {
        handle = static_cast<HFILE>(reinterpret_cast<INT_PTR>(
            CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
        if (handle != HFILE_ERROR) file->readOnly = TRUE;
    }
    if (handle == HFILE_ERROR) return false;
    file->keptOpen = IsFixedOrRemoteDrive(path);
    if (file->keptOpen) {
        file->fileHandle = handle;
    } else {
        CloseHandle(ToHandle(handle));
        file->fileHandle = -1;
    }
    return true;
}

// The rest of a binding: the untitled number given back, the title, the OLE registration.
void FinishBinding(HWND window, LPCSTR path, bool reregisterAsUntitled)
{
    bool wasUntitled;
    {
        Locked<DocumentFile> file(GetDocumentFileHandle(window));
        wasUntitled = file->untitledNumber != 0;
        ReturnUntitledNumber(file->untitledNumber);
        file->untitledNumber = 0;
    }
    SetWindowTextA(window, FileNamePart(path));
    ReregisterOleDocument(GetDocumentView(window), reregisterAsUntitled && wasUntitled);
}

void ShowSaveFailure(int result)
{
    if (result == 0 || result == -1) return;
    ShowWarningById(result == ErrFilePosition ? 6 : 10);
}

// The Save dialog on the document's name (empty and in the open-and-save folder when
// untitled); false after Cancel.
bool AskSavePath(HWND window, char* path, int* fileType)
{
    DocumentFile file;
    {
        Locked<DocumentFile> locked(GetDocumentFileHandle(window));
        file = *locked;
    }
    bool untitled = file.untitledNumber != 0;
    path[0] = 0;
    if (!untitled) lstrcpynA(path, file.path, 261);
    *fileType = 1;
    char* folder = untitled && g_settings ? g_settings->openFolder : nullptr;
    *fileType = RunSaveFileDialog(g_frameWindow, kSaveDialogTemplate, path, IDS_FILTER_DRAWINGS, IDS_TITLE_SAVE,
                                  kSaveHelpContext, 1, 0, folder);
    return *fileType != 0;
}

int ChooseFileType(LPCSTR path, int dialogType)
{
    return dialogType == SaveAsDrawing || dialogType == SaveAsTemplate ? dialogType : GetFileTypeByExtension(path);
}

}  // namespace

DocumentSaveCalls g_documentSaveCalls = {WriteDrawingFile, ReplaceFileInOneStep};

int GetFileTypeByExtension(LPCSTR path)
{
    const char* name = FileNamePart(path);
    const char* dot = std::strrchr(name, '.');
    return dot && lstrcmpiA(dot, ".VXT") == 0 ? SaveAsTemplate : SaveAsDrawing;
}

void GetSaveSiblingName(LPCSTR path, char* sibling)
{
    lstrcpynA(sibling, path, 262);
    size_t length = std::strlen(sibling);
    if (length == 0) return;
    sibling[length - 1] = sibling[length - 1] == '$' ? '~' : '$';
}

int FlushDocumentState(HWND documentWindow, BOOL asTemplate)
{
    HWND view = GetDocumentView(documentWindow);
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    HGLOBAL viewInfo = view ? reinterpret_cast<HGLOBAL>(static_cast<LONG_PTR>(GetWindowLongA(view, 0))) : nullptr;
    if (!stateBlock || !viewInfo) return ErrOutOfMemory;
    bool editing;
    {
        Locked<DocumentState> state(stateBlock);
        editing = state->textEditor != nullptr;
    }
    if (editing) {
        BOOL before = g_warningsSuppressed;
        g_warningsSuppressed = TRUE;
        int err = EndTextEditing(view, 0);
        g_warningsSuppressed = before;
        if (err) return err;
    }
    Locked<DocumentState> state(stateBlock);
    if (asTemplate) {
        RECT preview = {0, 0, 150, 150};
        if (int err = BuildPreviewPicture(view, state.get(), &preview)) return err;
    }
    int slot = state->storeSlot;
    if (int err = StoreBlockAsDocumentRecord(slot, RecPrinterSetupId, state->devMode)) return err;
    if (int err = StoreBlockAsDocumentRecord(slot, RecFontMapId, state->fontMap)) return err;
    if (int err = CollectDocumentColors(state.get(), 0)) return err;
    state->scrollX = GetScrollPos(view, SB_HORZ);
    state->scrollY = GetScrollPos(view, SB_VERT);
    {
        Locked<ViewInfo> info(viewInfo);
        state->zoom = info->zoom;
        state->zoomFlags = info->flags;
    }
    HGLOBAL record = nullptr;
    if (int err = LoadRecord(slot, RecDocument, RecDocumentStateId, &record)) return err;
    int err = 0;
    if (GetBlockSize(record) != kDocumentStateRecordSize) err = ResizeRecord(&record, kDocumentStateRecordSize);
    if (!err) {
        Locked<BYTE> image(record);
        if (!image)
            err = ErrOutOfMemory;
        else
            std::memcpy(image.get() + kBlockHeaderSize, state.get(), sizeof(DocumentState));
    }
    if (!err) err = MarkBlockDirty(record);
    ReleaseBlock(record);
    if (!err) err = FlushStore(slot, FALSE);
    return err;
}

int WriteDocumentToFile(HWND documentWindow, LPCSTR path, int fileType)
{
    SetCursorByIndex(CursorBusy);
    HGLOBAL fileBlock = GetDocumentFileHandle(documentWindow);
    HWND view = GetDocumentView(documentWindow);
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!fileBlock || !stateBlock) return ErrOutOfMemory;
    int err = FlushDocumentState(documentWindow, fileType == SaveAsTemplate);
    if (err) {
        SetModified(view, true);
        return err;
    }
    if (fileType == SaveAsDrawing) SetModified(view, false);

    // The new file is made complete beside the target before the target is touched.
    char sibling[262];
    GetSaveSiblingName(path, sibling);
    DeleteFileA(sibling);
    HANDLE created = CreateFileA(sibling, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE) {
        SetModified(view, true);
        return ErrFileIO;
    }
    CloseHandle(created);
    {
        Locked<DocumentState> state(stateBlock);
        err = g_documentSaveCalls.writeDrawing(sibling, nullptr, nullptr, state.get());
    }
    if (!err) {
        HANDLE written = CreateFileA(sibling, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (written == INVALID_HANDLE_VALUE) {
            err = ErrFileIO;
        } else {
            if (!FlushFileBuffers(written)) err = ErrFileIO;
            CloseHandle(written);
        }
    }
    if (err) {
        DeleteFileA(sibling);
        SetModified(view, true);
        return err;
    }

    // The document's own file is held with write sharing denied: let it go for the replace,
    // and take it up again whatever the outcome.
    bool released = false;
    {
        Locked<DocumentFile> file(fileBlock);
        if (file->fileHandle != -1 && lstrcmpiA(file->path, path) == 0) {
            CloseHandle(ToHandle(file->fileHandle));
            file->fileHandle = -1;
            released = true;
        }
    }
    if (!g_documentSaveCalls.replaceFile(sibling, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        // The complete new file stays under the sibling name; the old one is untouched.
        err = ErrFileIO;
        SetModified(view, true);
    }
    if (released) {
        Locked<DocumentFile> file(fileBlock);
        file->fileHandle = OpenHeldFile(path);
    }
    return err;
}

int SaveDocumentInPlace(HWND documentWindow)
{
    HGLOBAL fileBlock = GetDocumentFileHandle(documentWindow);
    if (!fileBlock) return ErrOutOfMemory;
    DocumentFile file;
    {
        Locked<DocumentFile> locked(fileBlock);
        file = *locked;
    }
    if (file.readOnly) {
        ShowWarningById(IDS_READ_ONLY_SAVE);
        return -1;
    }
    if (file.olderVersion) {
        if (ShowMessageById(IDS_CONVERT_OLDER_SAVE_AS, MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL) return -1;
        Locked<DocumentFile> locked(fileBlock);
        locked->olderVersion = FALSE;
    }
    if (!file.path[0]) return 1;
    if (int err = WriteDocumentToFile(documentWindow, file.path, SaveAsDrawing)) return err;
    {
        Locked<DocumentFile> locked(fileBlock);
        if (locked->fileHandle != -1) CloseHandle(ToHandle(locked->fileHandle));
        locked->fileHandle = -1;
    }
    if (!BindToFile(documentWindow, file.path, false)) return ErrFileIO;
    NotifyOleSaved(GetDocumentView(documentWindow));
    return 0;
}

int SaveDocumentAs(HWND documentWindow, LPCSTR path, BOOL samePath, int fileType)
{
    int err = 0;
    if (samePath && fileType == SaveAsDrawing) {
        err = SaveDocumentInPlace(documentWindow);
    } else {
        err = WriteDocumentToFile(documentWindow, path, fileType);
        if (!err && fileType == SaveAsDrawing) {
            if (BindToFile(documentWindow, path, false))
                FinishBinding(documentWindow, path, true);
            else
                err = ErrFileIO;
        }
    }
    ShowSaveFailure(err);
    return err;
}

int SaveAsCommand()
{
    HWND window = GetActiveDocument(nullptr);
    if (!window || !GetDocumentFileHandle(window)) return 0;
    HWND view = GetDocumentView(window);
    char path[262];
    int dialogType = 1;
    if (!AskSavePath(window, path, &dialogType)) return 0;
    if (int err = EndTextEditing(view, 0)) return err;
    BOOL samePath;
    {
        Locked<DocumentFile> file(GetDocumentFileHandle(window));
        samePath = file->untitledNumber == 0 && lstrcmpiA(path, file->path) == 0;
    }
    SetCursorByIndex(CursorBusy);
    // An embedded object is saved as a copy and stays bound to its container.
    int fileType = GetOleObjectState(view) == 1 ? SaveAsTemplate : ChooseFileType(path, dialogType);
    if (fileType == SaveAsDrawing) {
        if (!samePath) AddRecentFile(path);
        return SaveDocumentAs(window, path, samePath, SaveAsDrawing);
    }
    return SaveDocumentAs(window, path, FALSE, SaveAsTemplate);
}

int SaveDocument(HWND documentWindow)
{
    HWND window = documentWindow ? documentWindow : GetActiveDocument(nullptr);
    if (!window || !GetDocumentFileHandle(window)) {
        MessageBeep(0);
        return 1;
    }
    HWND view = GetDocumentView(window);
    if (EndTextEditing(view, 0)) return 1;
    HGLOBAL fileBlock = GetDocumentFileHandle(window);
    if (GetOleObjectState(view) == 1) {
        bool older;
        {
            Locked<DocumentFile> file(fileBlock);
            older = file->olderVersion != 0;
        }
        if (older) {
            if (ShowMessageById(IDS_CONVERT_OLDER, MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL) return -1;
            Locked<DocumentFile> file(fileBlock);
            file->olderVersion = FALSE;
        }
        NotifyOleSaved(view);
        return 0;
    }
    bool untitled;
    {
        Locked<DocumentFile> file(fileBlock);
        untitled = file->untitledNumber != 0;
    }
    if (untitled) {
        char path[262];
        int dialogType = 1;
        if (!AskSavePath(window, path, &dialogType)) return 1;
        int fileType = ChooseFileType(path, dialogType);
        if (fileType == SaveAsDrawing) AddRecentFile(path);
        int err = SaveDocumentAs(window, path, FALSE, fileType);
        return err == 0 ? 0 : (err == -1 ? -1 : 1);
    }
    SetCursorByIndex(CursorBusy);
    int err = SaveDocumentInPlace(window);
    if (err == 0 || err == -1) return err;
    ShowSaveFailure(err);
    return 1;
}

void RebindDocumentFile(HWND documentWindow, LPCSTR path)
{
    if (!GetDocumentFileHandle(documentWindow)) return;
    if (!BindToFile(documentWindow, path, true)) return;
    FinishBinding(documentWindow, path, false);
}
