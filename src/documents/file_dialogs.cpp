// The common Open and Save dialogs with the program's filters, templates, hooks and folders.
#include "documents/file_dialogs.h"

#include <cstring>

#include "documents/recent_files.h"
#include "frame/frame_services.h"
#include "frame/help_context.h"
#include "frame/view_layout.h"
#include "model/resource_strings.h"
#include "model/window_utils.h"
#include "resource.h"

FileDialogState g_fileDialogState = {0, 1, FALSE, FALSE, 0, ""};

namespace {

constexpr int kNameLength = 261;       // name, title and folder buffers of the dialog
constexpr int kNewButton = 1033;
constexpr int kNameField = 1152;
constexpr int kTypeList = 1136;
constexpr int kHelpButton = 1038;
constexpr int kHelpCommand = 30001;
constexpr int kExplorerTemplate = 3000;
constexpr DWORD kOpenFlagsOld = OFN_SHOWHELP | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_HIDEREADONLY |
                                OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
constexpr DWORD kSaveFlags = OFN_SHOWHELP | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                             OFN_OVERWRITEPROMPT;
static_assert(kOpenFlagsOld == 0x1874 && (kOpenFlagsOld | OFN_EXPLORER) == 0x81874);
static_assert((kSaveFlags | OFN_ENABLETEMPLATE) == 0x876 && (kSaveFlags | OFN_EXPLORER) == 0x80836);

struct DefaultExtension {
    int code;
    const char* extension;
};
constexpr DefaultExtension kDefaultExtensions[] = {
    {1, "VXR"},   {2, "VXT"},   {101, "wmf"}, {102, "bmp"}, {103, "pcx"},
    {104, "tif"}, {105, "gif"}, {106, "jpg"}, {201, "txt"}, {202, "txt"},
};

BOOL CallCommonDialog(OPENFILENAMEA* ofn, BOOL save)
{
    return save ? GetSaveFileNameA(ofn) : GetOpenFileNameA(ofn);
}

// Length of the folder part of `path`: up to its last backslash, slash or drive colon.
size_t FolderLength(const char* path)
{
    const char* cut = nullptr;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':') cut = p;
    }
    return cut ? static_cast<size_t>(cut - path + 1) : 0;
}

// The folder of `path` without its trailing backslash (a drive's root keeps it, since "C:"
// alone names the drive's current folder).
void CopyFolder(const char* path, char* folder, size_t size)
{
    size_t n = FolderLength(path);
    if (n > 1 && (path[n - 1] == '\\' || path[n - 1] == '/') && !(n == 3 && path[1] == ':')) --n;
    if (n >= size) n = size - 1;
    std::memcpy(folder, path, n);
    folder[n] = 0;
}

// Loads the filter string, turns each '|' into a NUL, and copies the `index`-th pattern
// (1-based) without its '.' and '*' into the default-extension buffer.
void LoadFilter(UINT filterId, int index, char* filter, size_t size)
{
    std::memset(filter, 0, size);
    if (!LoadStringA(g_hInstance ? g_hInstance : GetModuleHandleA(nullptr), filterId, filter,
                     static_cast<int>(size - 1)))
        filter[0] = 0;
    for (char* p = filter; *p; ++p) {
        if (*p == '|') *p = 0;
    }
    char* extension = g_fileDialogState.defaultExtension;
    extension[0] = 0;
    // Entries alternate description and pattern; pattern k is entry 2k - 1 (0-based).
    const char* entry = filter;
    for (int i = 0; *entry && i < 2 * index - 1; ++i) entry += std::strlen(entry) + 1;
    if (index < 1 || !*entry) return;
    size_t n = 0;
    for (const char* p = entry; *p && n + 1 < sizeof(g_fileDialogState.defaultExtension); ++p) {
        if (*p != '.' && *p != '*') extension[n++] = *p;
    }
    extension[n] = 0;
}

void HideNewButtonUnlessOffered(HWND dialog)
{
    if (!g_fileDialogState.offerNew) ShowWindow(GetDlgItem(dialog, kNewButton), SW_HIDE);
}

bool IsClick(WPARAM wParam, int id)
{
    return LOWORD(wParam) == id && HIWORD(wParam) == BN_CLICKED;
}

struct DialogRequest {
    BOOL save;
    HWND owner;
    int templateId;
    char* path;
    UINT filterId;
    UINT titleId;
    BOOL allowNew;
    int helpId;
    int initialType;
    int typeBase;
    char* folder;
};

int RunFileDialog(const DialogRequest& r)
{
    g_fileDialogState = {r.helpId, 1, r.allowNew, r.save, r.typeBase, ""};
    const int filterIndex = r.initialType - r.typeBase;
    char filter[1024];
    LoadFilter(r.filterId, filterIndex, filter, sizeof(filter));
    char title[kNameLength + 1] = "";
    if (r.titleId) LoadResString(r.titleId, title);

    char name[kNameLength + 1] = "";
    char initialFolder[kNameLength + 1] = "";
    const char* path = r.path ? r.path : "";
    lstrcpynA(name, path + FolderLength(path), kNameLength);
    const bool haveFolder = r.folder && r.folder[0];
    if (r.save ? !haveFolder : path[0] != 0) CopyFolder(path, initialFolder, sizeof(initialFolder));
    else if (haveFolder) lstrcpynA(initialFolder, r.folder, kNameLength);

    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = r.owner;
    ofn.hInstance = g_hInstance ? g_hInstance : GetModuleHandleA(nullptr);
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = filterIndex > 0 ? static_cast<DWORD>(filterIndex) : 1;
    ofn.lpstrFile = name;
    ofn.nMaxFile = kNameLength;
    ofn.lpstrTitle = title[0] ? title : nullptr;
    ofn.lpstrInitialDir = initialFolder[0] ? initialFolder : nullptr;
    ofn.lpstrDefExt = g_fileDialogState.defaultExtension;
    const bool explorer = g_windowsMajorVersion >= 4;
    // The Explorer-style Save dialog has no added template: it has no New button to carry.
    ofn.Flags = r.save ? kSaveFlags | (explorer ? OFN_EXPLORER : OFN_ENABLETEMPLATE)
                       : kOpenFlagsOld | (explorer ? OFN_EXPLORER : 0);
    ofn.lpfnHook = explorer ? SEExplorerHook : SEOpenHook;
    if (ofn.Flags & OFN_ENABLETEMPLATE) ofn.lpTemplateName = MAKEINTRESOURCEA(explorer ? kExplorerTemplate : r.templateId);

    BOOL ok;
    {
        HelpFilterScope filterInstalled;
        ok = g_fileDialogCall(&ofn, r.save);
    }
    int result;
    if (ok) {
        if (r.folder) CopyFolder(name, r.folder, 262);
        if (r.path) lstrcpynA(r.path, name, 262);
        result = g_fileDialogState.chosenIndex;
    } else {
        result = r.allowNew && g_fileDialogState.chosenIndex == kFileDialogNew ? kFileDialogNew : 0;
    }
    UpdateRecentFilesDirectory();
    return result;
}

}  // namespace

FileDialogCall g_fileDialogCall = CallCommonDialog;

HelpFilterScope::HelpFilterScope() : hook_(SetWindowsHookExA(WH_MSGFILTER, HelpFilter, nullptr, GetCurrentThreadId()))
{
}

HelpFilterScope::~HelpFilterScope()
{
    if (hook_) UnhookWindowsHookEx(hook_);
}

int RunOpenFileDialog(HWND owner, int templateId, char* path, UINT filterId, UINT titleId, BOOL allowNew,
                      int helpId, int initialType, int typeBase, char* folder)
{
    return RunFileDialog({FALSE, owner, templateId, path, filterId, titleId, allowNew, helpId, initialType,
                          typeBase, folder});
}

int RunSaveFileDialog(HWND owner, int templateId, char* path, UINT filterId, UINT titleId, int helpId,
                      int initialType, int typeBase, char* folder)
{
    return RunFileDialog({TRUE, owner, templateId, path, filterId, titleId, FALSE, helpId, initialType, typeBase,
                          folder});
}

UINT_PTR CALLBACK SEOpenHook(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        if (g_frameWindow) CenterWindowOver(dialog, g_frameWindow);
        HideNewButtonUnlessOffered(dialog);
        return TRUE;
    case WM_COMMAND:
        if (IsClick(wParam, IDOK)) {
            g_fileDialogState.chosenIndex =
                static_cast<int>(SendDlgItemMessageA(dialog, kTypeList, CB_GETCURSEL, 0, 0)) + 1;
        } else if (IsClick(wParam, kNewButton)) {
            g_fileDialogState.chosenIndex = kFileDialogNew;
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        } else if (IsClick(wParam, kHelpButton) || LOWORD(wParam) == kHelpCommand) {
            ShowHelpContext(g_fileDialogState.helpContext);
            return TRUE;
        } else if (LOWORD(wParam) == kTypeList && HIWORD(wParam) == CBN_SELCHANGE) {
            SetDialogDefaultExtension(dialog, -1);
        }
        return FALSE;
    }
    return FALSE;
}

UINT_PTR CALLBACK SEExplorerHook(HWND child, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        if (g_frameWindow) CenterWindowOver(GetParent(child), g_frameWindow);
        HideNewButtonUnlessOffered(child);
        return TRUE;
    case WM_NOTIFY: {
        auto* notice = reinterpret_cast<OFNOTIFYA*>(lParam);
        switch (notice->hdr.code) {
        case CDN_TYPECHANGE:
            SetDialogDefaultExtension(GetParent(child),
                                      g_fileDialogState.typeBase + static_cast<int>(notice->lpOFN->nFilterIndex) - 1);
            break;
        case CDN_FILEOK: g_fileDialogState.chosenIndex = static_cast<int>(notice->lpOFN->nFilterIndex); break;
        case CDN_HELP: ShowHelpContext(g_fileDialogState.helpContext); break;
        }
        return FALSE;
    }
    case WM_HELP:
    case WM_CONTEXTMENU: {
        HWND control = message == WM_HELP ? static_cast<HWND>(reinterpret_cast<HELPINFO*>(lParam)->hItemHandle)
                                          : reinterpret_cast<HWND>(wParam);
        if (GetDlgCtrlID(control) != kNewButton) return FALSE;
        static DWORD popupHelp[] = {kNewButton, 15006, 0, 0};
        char file[262];
        if (LoadResString(IDS_HELP_FILE, file) == 0)
            WinHelpA(control, file, message == WM_HELP ? HELP_WM_HELP : HELP_CONTEXTMENU,
                     reinterpret_cast<ULONG_PTR>(popupHelp));
        return TRUE;
    }
    case WM_COMMAND:
        if (IsClick(wParam, kNewButton)) {
            g_fileDialogState.chosenIndex = kFileDialogNew;
            PostMessageA(GetParent(child), WM_COMMAND, IDCANCEL, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

void SetDialogDefaultExtension(HWND dialog, int number)
{
    int code = number + 1;
    if (number < 0)
        code = g_fileDialogState.typeBase +
               static_cast<int>(SendDlgItemMessageA(dialog, kTypeList, CB_GETCURSEL, 0, 0)) + 1;
    const char* extension = nullptr;
    for (const DefaultExtension& e : kDefaultExtensions) {
        if (e.code == code) extension = e.extension;
    }
    if (!extension) return;
    lstrcpynA(g_fileDialogState.defaultExtension, extension, sizeof(g_fileDialogState.defaultExtension));

    char name[kNameLength + 1] = "";
    GetDlgItemTextA(dialog, kNameField, name, kNameLength);
    const size_t folder = FolderLength(name);
    char* dot = std::strrchr(name + folder, '.');
    if (!dot) return;
    // The rebuilt name is cut to the field's buffer, never written past it.
    const size_t stem = static_cast<size_t>(dot - name) + 1;
    lstrcpynA(dot + 1, extension, static_cast<int>(kNameLength - stem));
    SetDlgItemTextA(dialog, kNameField, name);
}
