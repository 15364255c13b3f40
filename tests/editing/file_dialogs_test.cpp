// The Open and Save dialogs (settings, results, folders, default extensions, one real dialog of
// each kind) and the library list of the Libraries menu.
#include <windows.h>

#include <dlgs.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "documents/file_dialogs.h"
#include "documents/options.h"
#include "documents/recent_files.h"
#include "documents/settings.h"
#include "frame/frame_services.h"
#include "libraries/library_services.h"
#include "support/prompt_answerer.h"
#include "support/temp_folder.h"

namespace {

// A string literal with its NULs, without the one that ends it.
template <size_t N>
std::string Bytes(const char (&text)[N])
{
    return std::string(text, N - 1);
}

const std::string kDrawingFilter = Bytes("Vexlor File(*.VXR)\0*.vxr\0VexlorTemplate(*.VXT)\0*.vxt\0All Files(*.*)\0*.*\0");

// A window with the two controls SetDialogDefaultExtension reads: the name and the type list.
class DefaultExtension : public testing::Test {
protected:
    void SetUp() override
    {
        dialog_ = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
        CreateWindowA("EDIT", "", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 200, 20, dialog_,
                      reinterpret_cast<HMENU>(1152), nullptr, nullptr);
        HWND list = CreateWindowA("COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 30, 200, 100, dialog_,
                                  reinterpret_cast<HMENU>(1136), nullptr, nullptr);
        for (const char* item : {"first", "second", "third"}) SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        saved_ = g_fileDialogState;
    }
    void TearDown() override
    {
        g_fileDialogState = saved_;
        DestroyWindow(dialog_);
    }
    HWND dialog_ = nullptr;
    FileDialogState saved_;
};

TEST_F(DefaultExtension, FollowsTheTypeCode)
{
    struct Case {
        int base;
        std::string name;
        int number;
        int selection;
        std::string expectedName;
        std::string expectedExtension;
    };
    const std::string stem(258, 'n');
    const std::vector<Case> cases = {
        {0, "plan.vxr", 1, 0, "plan.VXT", "VXT"},                  // switched to templates
        {0, "plan", 1, 0, "plan", "VXT"},                          // no extension: left alone
        {0, "plan.vxr", 2, 0, "plan.vxr", "old"},                  // code 3, All Files: nothing
        {0, "C:\\a.b\\plan", 0, 0, "C:\\a.b\\plan", "VXR"},        // a dot in the folder only
        {100, "C:\\pics\\sky.wmf", -1, 1, "C:\\pics\\sky.bmp", "bmp"},   // second import type: 102
        {200, "notes.doc", 200, 0, "notes.txt", "txt"},
        {0, stem + ".v", 1, 0, stem + ".V", "VXT"},                // cut at the field's 260 characters
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 20));
        g_fileDialogState.typeBase = c.base;
        lstrcpyA(g_fileDialogState.defaultExtension, "old");
        SendDlgItemMessageA(dialog_, 1136, CB_SETCURSEL, c.selection, 0);
        SetDlgItemTextA(dialog_, 1152, c.name.c_str());
        SetDialogDefaultExtension(dialog_, c.number);
        char name[400] = "";
        GetDlgItemTextA(dialog_, 1152, name, sizeof(name));
        EXPECT_EQ(c.expectedName, name);
        EXPECT_EQ(c.expectedExtension, g_fileDialogState.defaultExtension);
    }
}

class FileDialogs : public testing::Test {
protected:
    void SetUp() override
    {
        prompts_ = std::make_unique<PromptAnswerer>();
        savedVersion_ = g_windowsMajorVersion;
        savedRecent_ = g_recentFiles;
        g_recentFiles = &recent_;
        GetCurrentDirectoryA(sizeof(savedFolder_), savedFolder_);
        folder_ = std::make_unique<TempFolder>();
        SetCurrentDirectoryA(folder_->path().c_str());
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(savedFolder_);
        folder_.reset();
        g_recentFiles = savedRecent_;
        g_windowsMajorVersion = savedVersion_;
        prompts_.reset();
    }
    int Open(char* path, char* folder, BOOL allowNew = FALSE, UINT filter = 1000, UINT title = 0, int type = 1,
             int base = 0)
    {
        return RunOpenFileDialog(nullptr, 1536, path, filter, title, allowNew, 30022, type, base, folder);
    }
    int Save(char* path, char* folder) { return RunSaveFileDialog(nullptr, 1536, path, 1000, 1053, 30024, 1, 0, folder); }

    std::unique_ptr<PromptAnswerer> prompts_;
    std::unique_ptr<TempFolder> folder_;
    RecentFiles recent_ = {};
    RecentFiles* savedRecent_ = nullptr;
    int savedVersion_ = 4;
    char savedFolder_[MAX_PATH] = "";
};

TEST_F(FileDialogs, StyleFlagsAndTemplateByWindowsVersion)
{
    struct Case {
        bool save;
        int version;
        DWORD flags;
        ULONG_PTR templateId;
        bool explorer;
    };
    const std::vector<Case> cases = {
        {false, 3, 0x1874, 1536, false},
        {false, 4, 0x81874, 3000, true},
        {true, 3, 0x876, 1536, false},
        {true, 6, 0x80836, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        g_windowsMajorVersion = c.version;
        char path[262] = "", folder[262] = "";
        c.save ? Save(path, folder) : Open(path, folder);
        const auto& seen = prompts_->fileDialogs().back();
        EXPECT_EQ(c.flags, seen.flags);
        EXPECT_EQ(c.templateId, (seen.flags & OFN_ENABLETEMPLATE) ? seen.templateId : 0);
        EXPECT_EQ(c.explorer, seen.explorerHook);
        EXPECT_EQ(kDrawingFilter, seen.filter);
        EXPECT_EQ("vxr", seen.defaultExtension);
    }
}

TEST_F(FileDialogs, ImportStartsAtItsLastTypeWithThatTypesExtension)
{
    char path[262] = "", folder[262] = "";
    Open(path, folder, FALSE, 1001, 1051, 102, 100);
    const auto& seen = prompts_->fileDialogs().back();
    EXPECT_EQ(2, seen.filterIndex);
    EXPECT_EQ("bmp", seen.defaultExtension);
    EXPECT_EQ("Import", seen.title);
    EXPECT_EQ(0u, seen.filter.find(Bytes("Win Metafile(*.WMF)\0*.wmf\0")));
}

TEST_F(FileDialogs, InitialNameAndFolder)
{
    struct Case {
        bool save;
        std::string path;
        std::string folder;
        std::string name;
        std::string initialFolder;
    };
    const std::vector<Case> cases = {
        {false, "C:\\dir\\plan.vxr", "D:\\f", "plan.vxr", "C:\\dir"},
        {false, "", "D:\\f", "", "D:\\f"},
        {false, "C:\\plan.vxr", "", "plan.vxr", "C:\\"},
        {true, "C:\\dir\\plan.vxr", "D:\\f", "plan.vxr", "D:\\f"},
        {true, "C:\\dir\\plan.vxr", "", "plan.vxr", "C:\\dir"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " " + c.folder);
        char path[262], folder[262];
        lstrcpyA(path, c.path.c_str());
        lstrcpyA(folder, c.folder.c_str());
        c.save ? Save(path, folder) : Open(path, folder);
        const auto& seen = prompts_->fileDialogs().back();
        EXPECT_EQ(c.name, seen.name);
        EXPECT_EQ(c.initialFolder, seen.initialFolder);
        EXPECT_EQ(c.folder, folder);   // Cancel leaves the folder
    }
}

TEST_F(FileDialogs, ResultsFoldersAndTheRecentFilesFolder)
{
    struct Case {
        bool allowNew;
        std::string answer;   // the chosen path; empty: Cancel
        int type;             // 99: New pressed
        int result;
        std::string folder;
    };
    const std::vector<Case> cases = {
        {true, "", 99, 99, "C:\\start"},
        {false, "", 99, 0, "C:\\start"},
        {true, "", 1, 0, "C:\\start"},
        {true, "C:\\other\\x.vxt", 2, 2, "C:\\other"},
        {false, "C:\\x.vxr", 1, 1, "C:\\"},
    };
    const std::string current = folder_->path() + "\\";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer + " " + std::to_string(c.type));
        recent_.currentFolder[0] = 0;
        prompts_->AnswerOpenDialog(c.answer, c.type);
        char path[262] = "", folder[262] = "C:\\start";
        EXPECT_EQ(c.result, Open(path, folder, c.allowNew));
        EXPECT_EQ(c.folder, folder);
        if (!c.answer.empty()) {
            EXPECT_EQ(c.answer, path);
        }
        EXPECT_EQ(0, lstrcmpiA(current.c_str(), recent_.currentFolder));
    }
    prompts_->AnswerSaveDialog("C:\\keep\\out.vxr", 1);
    char path[262] = "C:\\in.vxr", folder[262] = "";
    EXPECT_EQ(1, Save(path, folder));
    EXPECT_STREQ("C:\\keep\\out.vxr", path);
    EXPECT_STREQ("C:\\keep", folder);
}

// One real dialog of each kind, ended from inside by its own hook's controls.
class RealFileDialog : public testing::Test {
protected:
    static LRESULT CALLBACK WatchDialogs(int code, WPARAM wParam, LPARAM lParam)
    {
        auto* message = reinterpret_cast<CWPRETSTRUCT*>(lParam);
        if (code >= 0 && message->message == WM_INITDIALOG) {
            HWND parent = GetParent(message->hwnd);
            char mine[16] = "", theirs[16] = "";
            GetClassNameA(message->hwnd, mine, sizeof(mine));
            GetClassNameA(parent, theirs, sizeof(theirs));
            // The hook's child dialog inside the common dialog.
            if (parent && lstrcmpA(mine, "#32770") == 0 && lstrcmpA(theirs, "#32770") == 0) {
                if (inspect_)
                    // Looked at once the dialog has finished setting itself up and waits.
                    PostMessageA(parent, WM_NULL, kLookMarker, 0);
                else if (pressNew_)
                    PostMessageA(message->hwnd, WM_COMMAND, MAKEWPARAM(1033, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(GetDlgItem(message->hwnd, 1033)));
                else
                    PostMessageA(parent, WM_COMMAND, IDCANCEL, 0);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    // What the waiting dialog shows: the control with the focus and the folder; then Cancel.
    static LRESULT CALLBACK LookAtDialog(int code, WPARAM wParam, LPARAM lParam)
    {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (code >= 0 && wParam == PM_REMOVE && msg->message == WM_NULL && msg->wParam == kLookMarker) {
            HWND focus = GetFocus();
            focusId_ = focus ? GetDlgCtrlID(focus) : 0;
            focusParentId_ = focus && GetParent(focus) ? GetDlgCtrlID(GetParent(focus)) : 0;
            char folder[MAX_PATH] = "";
            SendMessageA(msg->hwnd, CDM_GETFOLDERPATH, sizeof(folder), reinterpret_cast<LPARAM>(folder));
            shownFolder_ = folder;
            PostMessageA(msg->hwnd, WM_COMMAND, IDCANCEL, 0);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    void SetUp() override
    {
        savedVersion_ = g_windowsMajorVersion;
        g_windowsMajorVersion = static_cast<int>(LOBYTE(LOWORD(GetVersion())));
        folder_ = std::make_unique<TempFolder>();
        hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, WatchDialogs, nullptr, GetCurrentThreadId());
        lookHook_ = SetWindowsHookExA(WH_GETMESSAGE, LookAtDialog, nullptr, GetCurrentThreadId());
        inspect_ = false;
    }
    void TearDown() override
    {
        inspect_ = false;
        UnhookWindowsHookEx(lookHook_);
        UnhookWindowsHookEx(hook_);
        folder_.reset();
        g_windowsMajorVersion = savedVersion_;
    }
    static constexpr WPARAM kLookMarker = 0x5EE;
    static inline bool pressNew_ = false;
    static inline bool inspect_ = false;
    static inline int focusId_ = 0;
    static inline int focusParentId_ = 0;
    static inline std::string shownFolder_;
    std::unique_ptr<TempFolder> folder_;
    HHOOK hook_ = nullptr;
    HHOOK lookHook_ = nullptr;
    int savedVersion_ = 4;
};

TEST_F(RealFileDialog, OpenEndsWithNewAndSaveWithCancel)
{
    ASSERT_GE(g_windowsMajorVersion, 4);
    char folder[262];
    lstrcpynA(folder, folder_->path().c_str(), sizeof(folder));
    char path[262] = "";
    pressNew_ = true;
    EXPECT_EQ(99, RunOpenFileDialog(nullptr, 1536, path, 1000, 0, TRUE, 30022, 1, 0, folder));
    pressNew_ = false;
    EXPECT_EQ(0, RunSaveFileDialog(nullptr, 1536, path, 1000, 1053, 30024, 1, 0, folder));
}

// The Open dialog opens in the folder it is given (the open-and-save folder of the options)
// with the focus on the file name, so that typing names a file, not a file type.
TEST_F(RealFileDialog, OpenStartsInItsFolderWithTheFocusOnTheName)
{
    ASSERT_GE(g_windowsMajorVersion, 4);
    char folder[262];
    lstrcpynA(folder, folder_->path().c_str(), sizeof(folder));
    for (const BOOL offerNew : {FALSE, TRUE}) {
        char path[262] = "";
        inspect_ = true;
        focusId_ = focusParentId_ = -1;
        EXPECT_EQ(0, RunOpenFileDialog(nullptr, 1536, path, 1000, 0, offerNew, 30022, 1, 0, folder));
        EXPECT_EQ(0, lstrcmpiA(folder_->path().c_str(), shownFolder_.c_str())) << shownFolder_;
        // The name is the combo box cmb13 (its edit field has the focus) or the edit field edt1.
        const bool onName = focusId_ == cmb13 || focusParentId_ == cmb13 || focusId_ == edt1;
        EXPECT_TRUE(onName) << offerNew << ": focus on " << focusId_ << " in " << focusParentId_;
    }
}

class LibraryMenu : public testing::Test {
protected:
    void SetUp() override
    {
        g_settings = &settings_;
        for (LibrarySlot& slot : g_librarySlots) slot = {};
        menu_ = CreatePopupMenu();
    }
    void TearDown() override
    {
        DestroyMenu(menu_);
        for (LibrarySlot& slot : g_librarySlots) slot = {};
        g_settings = nullptr;
    }
    void Name(int slot, const char* folder, const char* file)
    {
        lstrcpyA(settings_.libraries[slot].folder, folder);
        lstrcpyA(settings_.libraries[slot].file, file);
    }
    // The items after the 12 fixed ones: "text id" with " checked" when checked.
    std::vector<std::string> Tail() const
    {
        std::vector<std::string> items;
        for (int i = 12; i < GetMenuItemCount(menu_); ++i) {
            char text[300] = "";
            GetMenuStringA(menu_, i, text, sizeof(text), MF_BYPOSITION);
            const UINT id = GetMenuItemID(menu_, i);
            const bool checked = (GetMenuState(menu_, i, MF_BYPOSITION) & MF_CHECKED) != 0;
            items.push_back(id == 0 ? "-" : std::string(text) + " " + std::to_string(id) + (checked ? " checked" : ""));
        }
        return items;
    }
    Settings settings_ = {};
    HMENU menu_ = nullptr;
};

TEST_F(LibraryMenu, ListsEachLibraryOnceLeavingDockedOnesOut)
{
    for (int i = 0; i < 14; ++i) AppendMenuA(menu_, MF_STRING, 900 + i, "fixed");   // two left from before
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    struct Case {
        bool secondOpen;
        std::vector<std::string> tail;
    };
    const std::vector<Case> cases = {
        {false, {"-", "Basic 1051", "R&&D Shapes 1054"}},
        {true, {"-", "BASIC 1052 checked", "R&&D Shapes 1054"}},
    };
    Name(0, "C:\\Lib\\", "Basic.vxl");
    Name(1, "c:\\lib\\", "BASIC.VXL");
    Name(2, "C:\\Lib\\", "Flow.v1.vxl");
    Name(3, "C:\\Lib\\", "R&D Shapes.vxl");
    g_librarySlots[2] = {window, TRUE};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.secondOpen);
        g_librarySlots[1].window = c.secondOpen ? window : nullptr;
        EXPECT_EQ(16, UpdateLibraryListMenu(menu_, 1050));
        EXPECT_EQ(c.tail, Tail());
        EXPECT_TRUE(IsDuplicateLibrarySlot(1));   // listed only while checked
        EXPECT_EQ(c.secondOpen, IsDuplicateLibrarySlot(0) != FALSE);
    }
    DestroyWindow(window);
}

TEST(EscapeMenuAmpersands, DoublesWithinTheBufferNeverSplittingAPair)
{
    struct Case {
        std::string text;
        size_t size;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"C:\\R&D\\a&b.vxr", 262, "C:\\R&&D\\a&&b.vxr"},
        {"ab&", 4, "ab"},
        {"a&b", 4, "a&&"},
        {std::string(260, 'x') + "&", 262, std::string(260, 'x')},
        {"plain", 262, "plain"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 20));
        std::vector<char> buffer(c.size + 8, '#');
        lstrcpynA(buffer.data(), c.text.c_str(), static_cast<int>(c.size));
        EscapeMenuAmpersands(buffer.data(), c.size);
        EXPECT_EQ(c.expected, buffer.data());
        EXPECT_EQ('#', buffer[c.size]);   // nothing written past the buffer
    }
}

}  // namespace
