// Closing documents: the save question, the teardown of a document window (file side) and of
// its view (state side), closing all at exit, and the documents of a removable volume.
#include "documents/document_close.h"

#include <dbt.h>

#include <cstring>

#include "documents/document_life.h"
#include "documents/document_save.h"
#include "documents/document_window.h"
#include "exchange/ole_document.h"
#include "frame/frame_services.h"
#include "frame/frame_windows.h"
#include "libraries/library_services.h"
#include "model/drawing.h"
#include "model/resource_strings.h"
#include "model/window_utils.h"
#include "resource.h"
#include "store/block_store.h"
#include "text/ten_messages.h"

HWND g_printPreviewWindow = nullptr;

namespace {


HWND OpenEditor(HWND view)
{
    HWND child = view ? GetWindow(view, GW_CHILD) : nullptr;
    char name[32];
    if (child && GetClassNameA(child, name, sizeof(name)) && std::strcmp(name, "TENClass") == 0) return child;
    return nullptr;
}

// The drive letter index (0 for A) of a path that names a volume, or -1: only a letter
// followed by ':' does; UNC and relative paths are on no drive.
int DriveIndex(const char* path)
{
    char letter = path[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z' || path[1] != ':') return -1;
    return letter - 'A';
}

bool IsOnVolume(HWND window, DWORD unitMask)
{
    HGLOBAL block = GetDocumentFileHandle(window);
    if (!block) return false;
    Locked<DocumentFile> file(block);
    if (file->untitledNumber != 0) return false;
    int drive = DriveIndex(file->path);
    return drive >= 0 && (unitMask & (1u << drive));
}

}  // namespace

void CloseActiveDocument()
{
    HWND window = GetActiveDocument(nullptr);
    if (window) SendMessageA(window, WM_CLOSE, 0, 0);
}

BOOL CloseAllDocuments()
{
    if (g_printPreviewWindow && IsWindow(g_printPreviewWindow)) SendMessageA(g_printPreviewWindow, WM_CLOSE, 0, 0);
    for (HWND window = GetActiveDocument(nullptr); window; window = GetActiveDocument(nullptr)) {
        SendMessageA(window, WM_CLOSE, 0, 0);
        if (IsWindow(window) && GetActiveDocument(nullptr) == window) return FALSE;
    }
    return TRUE;
}

int QuerySaveChanges(HWND documentWindow, BOOL answerYes)
{
    HWND view = GetDocumentView(documentWindow);
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return IDNO;
    bool modified;
    {
        Locked<DocumentState> state(stateBlock);
        modified = state && (state->flags & DocModified);
    }
    HWND editor = OpenEditor(view);
    if (!modified && editor) modified = SendMessageA(editor, TEN_GETMODIFIED, 0, 0) != 0;
    if (!modified) return IDNO;

    char title[262] = {}, question[800] = {}, part[262];
    GetWindowTextA(documentWindow, title, sizeof(title));
    if (GetOleObjectState(view) == 1) {
        LoadResString(IDS_UPDATE_OBJECT, part);
        std::strcat(question, part);
        std::strcat(question, title);
        LoadResString(IDS_BEFORE_PROCEEDING, part);
        std::strcat(question, part);
    } else {
        LoadResString(IDS_SAVE_CHANGES, part);
        std::strcat(question, part);
        std::strcat(question, title);
    }
    int answer = IDYES;
    if (!answerYes) {
        char caption[262];
        LoadResString(IDS_APP_TITLE, caption);
        answer = g_messageBoxPrompt(documentWindow, question, caption, MB_TASKMODAL | MB_ICONQUESTION | MB_YESNOCANCEL);
    }
    if (answer == IDYES && SaveDocument(documentWindow) != 0) answer = IDCANCEL;
    return answer;
}

void PrepareDocumentClose(HWND documentWindow)
{
    HWND view = GetDocumentView(documentWindow);
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (stateBlock) {
        CloseOleDocument(stateBlock);
        HPALETTE previous = nullptr;
        {
            Locked<DocumentState> state(stateBlock);
            if (state) previous = state->previousPalette;
        }
        if (previous) {
            HDC dc = GetDC(documentWindow);
            SelectPalette(dc, previous, FALSE);
            RealizePalette(dc);
            ReleaseDC(documentWindow, dc);
        }
    }
    BOOL maximized = FALSE;
    if (GetActiveDocument(&maximized) == documentWindow && maximized) {
        SendMessageA(g_mdiClient, WM_MDINEXT, reinterpret_cast<WPARAM>(documentWindow), 0);
        HWND next = GetActiveDocument(nullptr);
        if (next && next != documentWindow) PostMessageA(next, WM_ACTIVATE, 1, 0);
    }
}

void DestroyDocumentFile(HWND documentWindow)
{
    HGLOBAL block = GetDocumentFileHandle(documentWindow);
    if (block) {
        DocumentFile file;
        {
            Locked<DocumentFile> locked(block);
            file = *locked;
        }
        if (file.untitledNumber != 0)
            ReturnUntitledNumber(file.untitledNumber);
        else if (file.fileHandle != -1)
            CloseHandle(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(file.fileHandle)));
        // Closing the store closes the working copy's handle; the result is not looked at.
        if (file.storeSlot >= 0)
            CloseStore(file.storeSlot);
        else if (file.workHandle != -1)
            CloseHandle(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(file.workHandle)));
        DeleteFileA(file.workPath);
        GlobalFree(block);
        SetWindowLongA(documentWindow, kDocumentFileLong, 0);
    }
    bool another = false;
    for (HWND child = g_mdiClient ? GetWindow(g_mdiClient, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT))
        if (child != documentWindow && GetDocumentFileHandle(child)) another = true;
    if (another) return;
    UpdateMenusOnActivate(nullptr, 0);
    DestroyLibraryWindows();
    if (g_embeddingStart && !g_userHasControl && g_frameWindow) {
        ShowWindow(g_frameWindow, SW_HIDE);
        PostMessageA(g_frameWindow, WM_CLOSE, 0, 0);
    }
}

void DestroyDocumentState(HWND view)
{
    if (HWND editor = OpenEditor(view)) DestroyWindow(editor);
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (stateBlock) {
        HPALETTE previous = nullptr, own = nullptr;
        {
            Locked<DocumentState> state(stateBlock);
            if (state) {
                if (state->libraryAtom) GlobalDeleteAtom(state->libraryAtom);
                state->libraryAtom = 0;
                previous = state->previousPalette;
                own = state->palette;
            }
        }
        if (previous) {
            HDC dc = GetDC(view);
            SelectPalette(dc, previous, FALSE);
            RealizePalette(dc);
            ReleaseDC(view, dc);
        }
        if (own) {
            DeleteObject(own);
            SendMessageA(HWND_BROADCAST, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(g_frameWindow), 0);
        }
        FreeDocumentStateBlocks(stateBlock);
        SetWindowLongA(view, kViewStateLong, 0);
    }
    FreeViewInfo(view, 0);
}

BOOL HandleDeviceChange(UINT event, LPARAM data)
{
    if (event != DBT_DEVICEQUERYREMOVE && event != DBT_DEVICEREMOVEPENDING && event != DBT_DEVICEREMOVECOMPLETE) return TRUE;
    auto* header = reinterpret_cast<DEV_BROADCAST_HDR*>(data);
    if (!header || header->dbch_devicetype != DBT_DEVTYP_VOLUME) return TRUE;
    DWORD unitMask = reinterpret_cast<DEV_BROADCAST_VOLUME*>(data)->dbcv_unitmask;
    bool asked = false;
    int answer = IDYES;
    HWND window = g_mdiClient ? GetWindow(g_mdiClient, GW_CHILD) : nullptr;
    while (window && answer == IDYES) {
        HWND next = GetWindow(window, GW_HWNDNEXT);
        if (GetParent(window) == g_mdiClient && IsOnVolume(window, unitMask)) {
            if (event == DBT_DEVICEREMOVECOMPLETE) {
                SetForegroundWindow(window);
                ShowWarningById(IDS_DRIVE_REMOVED);
            } else {
                if (event == DBT_DEVICEQUERYREMOVE && !asked) {
                    asked = true;
                    answer = ShowMessageById(IDS_ALLOW_DRIVE_REMOVAL, MB_YESNO | MB_ICONQUESTION);
                }
                if (answer == IDYES && QuerySaveChanges(window, event == DBT_DEVICEREMOVEPENDING) == IDCANCEL)
                    answer = IDNO;
                if (answer == IDYES) {
                    PrepareDocumentClose(window);
                    SendMessageA(g_mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
                }
            }
        }
        window = next;
    }
    return answer != IDNO;
}
