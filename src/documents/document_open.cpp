// The New and Open commands: the Open dialog, the decision by extension between a drawing, a
// template and a library, and the New command with the template chooser.
#include "documents/document_open.h"

#include <cstring>

#include "documents/document_window.h"
#include "documents/options.h"
#include "frame/frame_services.h"
#include "documents/file_dialogs.h"
#include "frame/frame_standins.h"
#include "libraries/library_services.h"
#include "resource.h"

namespace {

constexpr int kPathLimit = 262;
bool g_newTemplateHintShown = false;
bool g_newDocumentHintShown = false;

const char* Extension(const char* path)
{
    const char* name = FileNamePart(path);
    const char* dot = std::strrchr(name, '.');
    return dot ? dot + 1 : "";
}

// A relative path means the current folder of this process: made absolute before it is used,
// so that a window's path, the recent files and a hand-over all name the same file.
void MakeAbsolute(char* path)
{
    char full[MAX_PATH];
    DWORD n = GetFullPathNameA(path, sizeof(full), full, nullptr);
    if (n > 0 && n < kPathLimit - 1) lstrcpynA(path, full, kPathLimit);
}

void ShowHintOnce(bool* shown, LPCSTR name)
{
    if (*shown || !g_settings || !(g_settings->flags & SetHints)) return;
    *shown = true;
    RunInfoDialog(name, 122);
}

}  // namespace

int OpenDocumentCommand(char* path, BOOL showDialog, int mode)
{
    if (CheckDocumentLimit(FALSE, nullptr)) return 1;
    char chosen[kPathLimit] = {};
    int choice = mode;
    if (path && path[0]) {
        if (std::strlen(path) > 261) path[260] = 0;
        MakeAbsolute(path);
        lstrcpynA(chosen, path, sizeof(chosen));
    } else if (showDialog) {
        char* folder = g_settings ? g_settings->openFolder : nullptr;
        int chosenType = RunOpenFileDialog(g_frameWindow, 1536, chosen, 1000, 0, mode == 99, 30022, 1, 0, folder);
        if (chosenType == 0) return 0;
        choice = chosenType == kFileDialogNew ? 99 : 1;
    } else {
        choice = 99;
    }
    SetCursorByIndex(CursorBusy);
    if (choice == 1) {
        const char* extension = Extension(chosen);
        if (lstrcmpiA(extension, "VXL") == 0 && IsLibraryFile(chosen)) {
            OpenLibraryFile(chosen);
            return 0;
        }
        int target = lstrcmpiA(extension, "VXT") == 0 ? DocModeFromTemplate : DocModeOpen;
        return OpenOrActivateDocument(chosen, target);
    }
    if (choice == 99) {
        NewDocument(0);
        return 0;
    }
    return OpenOrActivateDocument(chosen, choice);
}

void NewDocument(int how)
{
    if (how != -1 && (how != 0 || (g_settings && (g_settings->flags & SetTemplateDialog)))) {
        char path[kPathLimit] = {};
        char* folder = g_settings ? g_settings->templateFolder : nullptr;
        if (!RunTemplateDialog(folder, path)) return;
        if (path[0]) {
            if (OpenDocumentCommand(path, FALSE, DocModeFromTemplate) != 0) {
                ShowWarningById(IDS_OPEN_LOW_MEMORY);
                return;
            }
            ShowHintOnce(&g_newTemplateHintShown, "HINT_NEWTEMP");
            return;
        }
    }
    if (g_settings && (g_settings->flags & SetCopyTemplate)) {
        char path[kPathLimit];
        DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
        if (n > 0 && n < sizeof(path)) {
            char* name = const_cast<char*>(FileNamePart(path));
            *name = 0;
            if (std::strlen(path) + sizeof("Vexlorix.VXT") < sizeof(path)) {
                lstrcatA(path, "Vexlorix.VXT");
                if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES &&
                    OpenDocumentCommand(path, FALSE, DocModeFromTemplate) == 0) {
                    ShowHintOnce(&g_newDocumentHintShown, "HINT_NEWDOC");
                    return;
                }
                CreateDocumentWindow(nullptr, DocModeBlank);
                return;
            }
        }
    }
    if (CreateDocumentWindow(nullptr, DocModeBlank)) ShowHintOnce(&g_newDocumentHintShown, "HINT_NEWDOC");
}
