// Document windows: the working copy a document lives in, the limit of open documents, the
// untitled numbers, and CreateDocumentWindow, through which every document comes about.
//
// Invariants:
//  1. A document's data lives only in its working copy (a "VXTMP" temporary file holding a
//     block store); the document's own file is read once and written only by saving.
//  2. A document's file is held open (write sharing denied) only when it is not a template
//     and lies on a fixed or remote drive.
//  3. UntitledCounter is raised only by a document created successfully, and lowered only by
//     the document whose number equals it.
#include "documents/document_window.h"
#include "documents/recent_files.h"

#include <algorithm>
#include <cstring>

#include "documents/document_life.h"
#include "documents/drawing_file.h"
#include "documents/record_stream.h"
#include "exchange/ole_document.h"
#include "frame/frame_services.h"
#include "frame/frame_windows.h"
#include "libraries/library_services.h"
#include "model/drawing.h"
#include "model/resource_strings.h"
#include "model/window_utils.h"
#include "resource.h"
#include "store/block_store.h"
#include "store/file_ops.h"
#include "text/font_cache.h"
#include "text/font_list.h"

int UntitledCounter = 0;

namespace {

constexpr int kRulerSize = 26;
constexpr int kCopyChunk = 30000;
constexpr int kStoreShift = 6;
constexpr int kStoreFreeEntries = 200;

HFONT g_rulerFonts[3] = {};

bool IsOleMode(int mode)
{
    return mode == DocModeOleLink || mode == DocModeOleFromTemplate || mode == DocModeOleBlank;
}

HFILE ToHfile(HANDLE handle)
{
    return handle == INVALID_HANDLE_VALUE ? HFILE_ERROR : static_cast<HFILE>(reinterpret_cast<INT_PTR>(handle));
}

HANDLE ToHandle(HFILE file)
{
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(file));
}

HFILE OpenShared(LPCSTR path, DWORD access, DWORD share, DWORD disposition)
{
    return ToHfile(CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void CloseFile(HFILE file)
{
    if (file != HFILE_ERROR) CloseHandle(ToHandle(file));
}

bool IsDocumentWindow(HWND window)
{
    char name[32];
    return GetClassNameA(window, name, sizeof(name)) && lstrcmpiA(name, "MDDocumentClass") == 0;
}

// The window's file record, copied out; false when it has none.
bool ReadDocumentFile(HWND window, DocumentFile* file)
{
    HGLOBAL block = GetDocumentFileHandle(window);
    if (!block) return false;
    Locked<DocumentFile> locked(block);
    if (!locked) return false;
    *file = *locked;
    return true;
}

// Closes the only document when it is an untouched untitled one, so that a new document takes
// its place (and its number).
void ReplaceUntouchedDocument()
{
    HWND only = GetWindow(g_mdiClient, GW_CHILD);
    if (!only || GetWindow(only, GW_HWNDNEXT) || !IsDocumentWindow(only)) return;
    DocumentFile file;
    if (!ReadDocumentFile(only, &file) || file.untitledNumber == 0) return;
    HWND view = GetDocumentView(only);
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return;
    bool modified;
    {
        Locked<DocumentState> state(stateBlock);
        modified = !state || (state->flags & DocModified);
    }
    if (modified || GetOleObjectState(view) != 0) return;
    SendMessageA(only, WM_CLOSE, 0, 0);
}

HWND MakeDocumentWindow(const char* title)
{
    MDICREATESTRUCTA create = {};
    create.szClass = "MDDocumentClass";
    create.szTitle = title;
    create.hOwner = GetModuleHandleA(nullptr);
    create.x = create.y = create.cx = create.cy = CW_USEDEFAULT;
    create.style = WS_MAXIMIZE;
    if (IsIconic(g_frameWindow)) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof(placement);
        GetWindowPlacement(g_frameWindow, &placement);
        int width = placement.rcNormalPosition.right - placement.rcNormalPosition.left;
        int height = placement.rcNormalPosition.bottom - placement.rcNormalPosition.top;
        create.style = 0;
        create.cx = width > 16 ? width - 16 : width;
        create.cy = height > 16 ? height - 16 : height;
    } else if (!IsWindowVisible(g_frameWindow)) {
        RECT client;
        GetClientRect(g_frameWindow, &client);
        RECT palette = {};
        if (g_paletteWindow) GetWindowRect(g_paletteWindow, &palette);
        create.style = 0;
        create.x = create.y = 0;
        create.cx = client.right;
        create.cy = client.bottom - (palette.bottom - palette.top);
    }
    return reinterpret_cast<HWND>(SendMessageA(g_mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
}

int MakeChildren(HWND window, HWND* view)
{
    RECT client;
    GetClientRect(window, &client);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    *view = CreateWindowA("MDScrollClass", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL, 0, 0,
                          client.right, client.bottom, window, nullptr, instance, nullptr);
    HWND horizontal = CreateWindowA("MDHRulerClass", nullptr, WS_CHILD | WS_BORDER, 0, 0, client.right, kRulerSize,
                                    window, nullptr, instance, nullptr);
    HWND vertical = CreateWindowA("MDVRulerClass", nullptr, WS_CHILD | WS_BORDER, 0, 0, kRulerSize, client.bottom,
                                  window, nullptr, instance, nullptr);
    HWND corner = CreateWindowA("MDXRulerClass", nullptr, WS_CHILD | WS_BORDER, 0, 0, kRulerSize, kRulerSize, window,
                                nullptr, instance, nullptr);
    return *view && horizontal && vertical && corner ? 0 : ErrOutOfMemory;
}

void MakeRulerFonts(HWND window, HWND view)
{
    if (g_rulerFonts[0]) return;
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return;
    Locked<DocumentState> state(stateBlock);
    int index = FindFontByFace(state->fontList, "Arial");
    if (index < 0) index = GetDefaultFontIndex(state->fontList);
    g_rulerFonts[0] = CreateListFont(state->fontList, nullptr, index, 8, 0, 0, 0, 100);
    g_rulerFonts[1] = CreateListFont(state->fontList, nullptr, index, 8, 0, 900, 0, 100);
    g_rulerFonts[2] = CreateListFont(state->fontList, nullptr, index, 6, 0, 0, 0, 100);
    HWND corner = FindWindowExA(window, nullptr, "MDXRulerClass", nullptr);
    if (corner && g_rulerFonts[2]) {
        HDC dc = GetDC(corner);
        SelectObject(dc, g_rulerFonts[2]);
        ReleaseDC(corner, dc);
    }
}

// One warning for a drawing that lost something while it was read: that it is damaged, and
// a line for each kind of thing lost.
void ShowReadDamage(const ReadDamage& damage)
{
    char text[1024];
    char line[262];
    if (LoadResString(IDS_DAMAGED_FILE, line)) return;
    lstrcpynA(text, line, sizeof(text));
    const struct {
        UINT id;
        int count, of;
    } lost[] = {
        {IDS_LOST_OBJECTS, damage.objectsLost, damage.objectsNamed},
        {IDS_LOST_LINKS, damage.linksLost, 0},
        {IDS_LOST_GROUPS, damage.groupsLost, 0},
        {IDS_LOST_TEXTS, damage.textsLost, 0},
    };
    for (const auto& l : lost) {
        if (l.count <= 0 || LoadResString(l.id, line)) continue;
        char piece[300];
        wsprintfA(piece, line, l.count, l.of);
        std::strncat(text, piece, sizeof(text) - std::strlen(text) - 1);
    }
    ShowWarningText(text);
}

// Steps 8-13 of a new document: its file, content and view. `damage` tells what a read of a
// damaged drawing file lost.
int FillDocument(HWND window, HWND view, LPCSTR path, int mode, int number, int* zoomToApply, ReadDamage* damage)
{
    *damage = ReadDamage{};
    bool readsNothing = mode == DocModeOleBlank || mode == DocModeBlank;
    BOOL currentFormat = FALSE;
    if (!readsNothing) currentFormat = ProbeDrawingFile(path, nullptr) == 1;
    BOOL asTemplate = mode == DocModeFromTemplate || mode == DocModeOleFromTemplate;
    int slot = -1, fileHandle = -1;
    if (int err = CreateDocumentFile(window, number, asTemplate, currentFormat, path, &slot, &fileHandle)) return err;
    HGLOBAL fileBlock = GetDocumentFileHandle(window);

    int err = 0;
    if (readsNothing) {
        err = CreateNewDocumentState(view, slot);
    } else if (currentFormat) {
        err = CreateNewDocumentState(view, slot);
        BOOL older = FALSE;
        if (!err) {
            HGLOBAL stateBlock = GetDocumentStateHandle(view);
            Locked<DocumentState> state(stateBlock);
            err = ReadDrawingFile(static_cast<HFILE>(fileHandle), path, nullptr, 0, view, state.get(), &older,
                                  mode == DocModeFromTemplate);
            if (!err) *damage = g_readDamage;
            // A file that begins like a drawing but ends or breaks before its drawing is no
            // drawing either: it is refused as a foreign file, not for want of memory.
            if (err == ErrStreamShortRead || err == ErrStreamBadHeader) err = StoreNotAStore;
            state->flags &= ~static_cast<DWORD>(DocModified);
        }
        Locked<DocumentFile> file(fileBlock);
        file->olderVersion = older;
        if (mode == DocModeFromTemplate || !file->keptOpen) {
            CloseFile(file->fileHandle);
            file->fileHandle = -1;
        }
    } else {
        BOOL converted = FALSE;
        err = LoadDocumentState(view, slot, &converted);
        if (mode != DocModeFromTemplate) {
            Locked<DocumentFile> file(fileBlock);
            file->olderVersion = converted;
        }
    }
    if (err) return err;

    MakeRulerFonts(window, view);
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (int e = InitOleDocument(view, stateBlock, mode == DocModeOleFromTemplate || mode == DocModeOleBlank)) return e;
    DocumentState snapshot;
    {
        Locked<DocumentState> state(stateBlock);
        BuildDocumentPalette(view, state.get());
        snapshot = *state;
    }
    if (readsNothing) return CreateViewInfo(view, snapshot.areaWidth, snapshot.areaHeight, 0, 0);
    // The stored zoom comes from the file: anything but 100 % or 10 to 4000 per mille reads as
    // 100 %. The stored scroll position is kept within the view's range by the scrolling.
    if (snapshot.zoom != 0 && (snapshot.zoom < 10 || snapshot.zoom > 4000)) snapshot.zoom = 0;
    if (snapshot.scrollX < 0) snapshot.scrollX = 0;
    if (snapshot.scrollY < 0) snapshot.scrollY = 0;
    if (int e = CreateViewInfo(view, snapshot.areaWidth, snapshot.areaHeight, snapshot.zoom, snapshot.zoomFlags)) return e;
    if (snapshot.zoom != 0 && !(snapshot.zoomFlags & 1)) *zoomToApply = snapshot.zoom;
    RECT client;
    GetClientRect(view, &client);
    SetScrollRangeCompat(view, SB_HORZ, 0, snapshot.scrollX, client.right, FALSE);
    SetScrollRangeCompat(view, SB_VERT, 0, snapshot.scrollY, client.bottom, FALSE);
    SendMessageA(view, WM_HSCROLL, MAKEWPARAM(kScrollByStep, static_cast<WORD>(snapshot.scrollX)), 0);
    SendMessageA(view, WM_VSCROLL, MAKEWPARAM(kScrollByStep, static_cast<WORD>(snapshot.scrollY)), 0);
    return 0;
}

void DockLibraries(HWND window, HWND view, int mode)
{
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    ATOM atom = 0;
    if (stateBlock) {
        Locked<DocumentState> state(stateBlock);
        atom = state->libraryAtom;
    }
    if (!atom) atom = g_lastLibraryAtom;
    if (!IsOleMode(mode) && IsAnyLibraryMarkedOpen() && FirstOpenLibrarySlot() == -1)
        OpenLibraryWindow(0, -1, nullptr, nullptr);
    char library[262] = {};
    if (atom && GlobalGetAtomNameA(atom, library, sizeof(library)) && library[0]) {
        OpenLibraryWindow(0, -1, library, window);
        RelayoutDocumentWindow(window);
    }
}

}  // namespace

const char* FileNamePart(LPCSTR path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    return name;
}

HGLOBAL GetDocumentFileHandle(HWND documentWindow)
{
    if (!documentWindow || !IsWindow(documentWindow)) return nullptr;
    return reinterpret_cast<HGLOBAL>(static_cast<LONG_PTR>(GetWindowLongA(documentWindow, kDocumentFileLong)));
}

HWND GetDocumentView(HWND documentWindow)
{
    return documentWindow ? GetWindow(documentWindow, GW_CHILD) : nullptr;
}

void ReturnUntitledNumber(int number)
{
    if (number != 0 && number == UntitledCounter) --UntitledCounter;
}

HFILE OpenHeldFile(LPCSTR path)
{
    return OpenShared(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
}

UINT OpenFailureWarning(int result)
{
    switch (result) {
    case StoreDirectoryFull: return 0;
    case StoreNotAStore: return 5;
    case ErrFilePosition: return 6;
    case ErrFileNotOpened: return 7;
    case ErrLaterVersion: return 4;
    default: return 8;
    }
}

BOOL IsFixedOrRemoteDrive(LPCSTR path)
{
    char root[4] = {};
    if (!path || !path[0] || path[1] != ':') return FALSE;
    root[0] = path[0];
    root[1] = ':';
    root[2] = '\\';
    UINT type = GetDriveTypeA(root);
    return type == DRIVE_FIXED || type == DRIVE_REMOTE;
}

BOOL CheckDocumentLimit(BOOL silent, int* count)
{
    int n = 0;
    for (HWND child = g_mdiClient ? GetWindow(g_mdiClient, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT))
        ++n;
    if (count) *count = n;
    if (n < kDocumentLimit) return FALSE;
    if (!silent) ShowWarningById(IDS_TOO_MANY_DOCUMENTS);
    return TRUE;
}

int CopyFileContents(LPCSTR sourcePath, HFILE sourceHandle, BOOL sourceOpen, LPCSTR destinationPath,
                     HFILE destinationHandle, BOOL destinationOpen)
{
    HFILE source = sourceOpen ? sourceHandle
                              : OpenShared(sourcePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (source == HFILE_ERROR) return ErrFileIO;
    HFILE destination = destinationOpen ? destinationHandle
                                        : OpenShared(destinationPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
    int err = destination == HFILE_ERROR ? ErrFileIO : 0;
    LONG length = 0;
    if (!err) err = GetFileLength(source, &length);
    if (!err) err = SetFileSize(destination, length);
    HGLOBAL buffer = nullptr;
    if (!err) {
        buffer = GlobalAlloc(GMEM_MOVEABLE, std::clamp<LONG>(length, 1, kCopyChunk));
        if (!buffer) err = ErrOutOfMemory;
    }
    if (!err) {
        BlockLock lock(buffer);
        auto* bytes = static_cast<BYTE*>(lock.get());
        DWORD chunk = static_cast<DWORD>(std::clamp<LONG>(length, 1, kCopyChunk));
        if (SetFilePointer(ToHandle(source), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
            SetFilePointer(ToHandle(destination), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
            err = ErrFileIO;
        for (LONG done = 0; !err && done < length;) {
            DWORD want = static_cast<DWORD>(std::min<LONG>(chunk, length - done)), got = 0, put = 0;
            if (!ReadFile(ToHandle(source), bytes, want, &got, nullptr) || got != want ||
                !WriteFile(ToHandle(destination), bytes, want, &put, nullptr) || put != want)
                err = ErrFileIO;
            done += static_cast<LONG>(want);
        }
    }
    if (buffer) GlobalFree(buffer);
    if (!sourceOpen) CloseFile(source);
    if (!destinationOpen && destination != HFILE_ERROR) CloseFile(destination);
    return err;
}

int CreateDocumentFile(HWND documentWindow, int untitledNumber, BOOL asTemplate, BOOL currentFormat, LPCSTR path,
                       int* storeSlot, int* fileHandle)
{
    *fileHandle = -1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DocumentFile));
    if (!block) return ErrOutOfMemory;
    DocumentFile file = {};
    file.fileHandle = -1;
    file.workHandle = -1;
    file.storeSlot = -1;
    char folder[MAX_PATH] = {};
    int err = 0;
    if (!GetTempPathA(260, folder) || !GetTempFileNameA(folder, "VXTMP", 0, file.workPath)) err = ErrFileIO;
    if (!err) {
        file.workHandle = OpenShared(file.workPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
        if (file.workHandle == HFILE_ERROR) err = ErrFileIO;
    }
    int slot = -1;
    bool newDocument = untitledNumber != 0 && !asTemplate;
    if (!err && newDocument) {
        file.untitledNumber = untitledNumber;
        err = CreateStoreAt(file.workHandle, &slot, 0, kStoreShift, kStoreFreeEntries);
        if (!err) err = AddDocumentRecordTypes(slot);
    } else if (!err) {
        file.untitledNumber = asTemplate ? untitledNumber : 0;
        lstrcpynA(file.path, path, sizeof(file.path));
        file.fileHandle = OpenHeldFile(path);
        if (file.fileHandle == HFILE_ERROR) {
            file.fileHandle = OpenShared(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
            if (file.fileHandle != HFILE_ERROR) {
                file.readOnly = TRUE;
                ShowWarningById(IDS_READ_ONLY_OPEN);
            }
        }
        if (file.fileHandle == HFILE_ERROR) err = ErrFileIO;
        if (!err) file.keptOpen = IsFixedOrRemoteDrive(path);
        if (!err && currentFormat) {
            err = CreateStoreAt(file.workHandle, &slot, 0, kStoreShift, kStoreFreeEntries);
            if (!err) err = AddDocumentRecordTypes(slot);
        } else if (!err) {
            err = CopyFileContents(path, file.fileHandle, TRUE, file.workPath, file.workHandle, TRUE);
            int version = 0;
            if (!err) err = OpenStoreAt(file.workHandle, &slot, 0, &version);
            if (!err && (asTemplate || !file.keptOpen)) {
                CloseFile(file.fileHandle);
                file.fileHandle = -1;
            }
        }
    }
    if (err) {
        // A store that was made owns the working copy's handle and closes it.
        if (slot >= 0)
            CloseStore(slot);
        else
            CloseFile(file.workHandle);
        CloseFile(file.fileHandle);
        if (file.workPath[0]) DeleteFileA(file.workPath);
        GlobalFree(block);
        return err;
    }
    file.storeSlot = slot;
    *storeSlot = slot;
    *fileHandle = file.fileHandle;
    {
        Locked<DocumentFile> locked(block);
        *locked = file;
    }
    SetWindowLongA(documentWindow, kDocumentFileLong, static_cast<LONG>(reinterpret_cast<LONG_PTR>(block)));
    return 0;
}

HWND FindDocumentWindow(LPCSTR path)
{
    HWND start = GetActiveDocument(nullptr);
    for (HWND window = start; window; window = GetWindow(window, GW_HWNDNEXT)) {
        if (GetParent(window) != g_mdiClient) continue;
        DocumentFile file;
        if (ReadDocumentFile(window, &file) && file.untitledNumber == 0 && lstrcmpiA(file.path, path) == 0)
            return window;
    }
    return nullptr;
}

HWND CreateDocumentWindow(LPCSTR path, int mode)
{
    bool ole = IsOleMode(mode);
    if (!ole) g_embeddingStart = FALSE;
    if (!g_mdiClient || CheckDocumentLimit(ole, nullptr)) return nullptr;
    SetCursorByIndex(CursorBusy);
    ReplaceUntouchedDocument();

    bool untitled = mode == DocModeFromTemplate || mode == DocModeOleFromTemplate || mode == DocModeOleBlank ||
                    mode == DocModeBlank;
    bool showsErrors = mode == DocModeOpen || mode == DocModeBlank;
    int number = 0;
    char title[300];
    if (untitled) {
        char word[262];
        if (LoadResString(IDS_UNTITLED, word)) {
            if (showsErrors) ShowWarningById(IDS_OPEN_LOW_MEMORY);
            return nullptr;
        }
        number = UntitledCounter + 1;
        wsprintfA(title, "%s %u", word, static_cast<unsigned>(number));
    } else {
        lstrcpynA(title, FileNamePart(path), sizeof(title));
    }

    HWND window = MakeDocumentWindow(title);
    if (!window) {
        if (showsErrors) ShowWarningById(IDS_OPEN_LOW_MEMORY);
        return nullptr;
    }
    HWND view = nullptr;
    int zoom = 0;
    ReadDamage damage = {};
    int err = MakeChildren(window, &view);
    if (!err) err = FillDocument(window, view, path, mode, number, &zoom, &damage);
    if (err) {
        SendMessageA(g_mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
        UINT warning = OpenFailureWarning(err);
        if (showsErrors && warning) ShowWarningById(warning);
        return nullptr;
    }
    if (untitled) ++UntitledCounter;
    if (zoom) ApplyViewZoom(view, zoom);
    RelayoutDocumentWindow(window);
    ShowWindow(view, SW_SHOW);
    UpdateMenusOnActivate(window, 1);
    DockLibraries(window, view, mode);
    // The document is there, with what could be read; the user learns what could not.
    if (!ole && ReadLostSomething(damage)) ShowReadDamage(damage);
    return window;
}

int OpenOrActivateDocument(LPCSTR path, int mode)
{
    SetCursorByIndex(CursorBusy);
    HWND window = FindDocumentWindow(path);
    if (window)
        SendMessageA(g_mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window), 0);
    else
        window = CreateDocumentWindow(path, mode);
    if (!window) return ErrOutOfMemory;
    if (mode == DocModeOpen) AddRecentFile(path);
    if (mode == DocModeOleLink) SetOleObjectState(GetDocumentView(window), 2);
    return 0;
}
