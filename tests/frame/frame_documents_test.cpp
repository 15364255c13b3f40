// The frame with its documents as a person sees it: the caption names the active document, a
// closed document leaves nothing on the screen, and the hint dialogs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "documents/document_close.h"
#include "documents/document_life.h"
#include "documents/document_open.h"
#include "documents/document_save.h"
#include "documents/document_state.h"
#include "documents/document_window.h"
#include "documents/options.h"
#include "documents/settings.h"
#include "frame/frame_services.h"
#include "frame/frame_startup.h"
#include "frame/frame_windows.h"
#include "frame/view_layout.h"
#include "model/drawing.h"
#include "model/window_utils.h"
#include "support/frame_support.h"
#include "support/prompt_answerer.h"
#include "support/temp_folder.h"

namespace {

// What a hint dialog showed when it opened; it is then answered with OK.
struct HintSeen {
    bool seen = false;
    bool checked = false;
    RECT rect = {};
    bool uncheck = false;
};
HintSeen g_hint;

class FrameDocuments : public testing::Test {
protected:
    void SetUp() override
    {
        prompts_ = std::make_unique<PromptAnswerer>(IDNO);
        folder_ = std::make_unique<TempFolder>();
        settings_.ruler.scaleBase = 100.0;
        settings_.ruler.divisions = 12;
        settings_.ruler.shownValue = 1.0;
        g_settings = &settings_;
        UntitledCounter = 0;
        g_verticalScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
        g_horizontalScrollHeight = GetSystemMetrics(SM_CYHSCROLL);
        if (!g_patternBrushes[0]) {
            ASSERT_EQ(0, CreateSharedGdiObjects());
        }
        ASSERT_EQ(0, CreateMainFrame(TRUE));
        SetWindowPos(g_frameWindow, nullptr, 60, 40, 800, 600, SWP_NOZORDER);
        UpdateWindow(g_frameWindow);
    }
    void TearDown() override
    {
        DestroyFrameAndDocuments();
        g_settings = nullptr;
        UntitledCounter = 0;
        folder_.reset();
        prompts_.reset();
    }
    static std::string Caption()
    {
        char text[300] = {};
        GetWindowTextA(g_frameWindow, text, sizeof(text));
        return text;
    }

    // A new document with a change, so that the next new one does not replace it.
    HWND NewChanged()
    {
        HWND window = CreateDocumentWindow(nullptr, DocModeBlank);
        EXPECT_TRUE(window);
        if (!window) return nullptr;
        Locked<DocumentState> state(GetDocumentStateHandle(GetDocumentView(window)));
        state->flags |= DocModified;
        return window;
    }
    // Whether the window's whole client area waits to be painted.
    static bool WhollyInvalid(HWND window)
    {
        RECT client;
        GetClientRect(window, &client);
        HRGN update = CreateRectRgn(0, 0, 0, 0);
        HRGN missing = CreateRectRgnIndirect(&client);
        GetUpdateRgn(window, update, FALSE);
        const int left = CombineRgn(missing, missing, update, RGN_DIFF);
        DeleteObject(update);
        DeleteObject(missing);
        return left == NULLREGION;
    }

    static LRESULT CALLBACK WatchHint(int code, WPARAM wParam, LPARAM lParam)
    {
        auto* message = reinterpret_cast<CWPRETSTRUCT*>(lParam);
        char title[64] = "";
        if (code >= 0 && message->message == WM_INITDIALOG && GetWindowTextA(message->hwnd, title, sizeof(title)) &&
            lstrcmpA(title, "Vexlor Hint") == 0) {
            g_hint.seen = true;
            g_hint.checked = IsDlgButtonChecked(message->hwnd, 1036) == BST_CHECKED;
            GetWindowRect(message->hwnd, &g_hint.rect);
            if (g_hint.uncheck) CheckDlgButton(message->hwnd, 1036, BST_UNCHECKED);
            PostMessageA(message->hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(message->hwnd, IDOK)));
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    Settings settings_ = {};
    std::unique_ptr<PromptAnswerer> prompts_;
    std::unique_ptr<TempFolder> folder_;
};

// The caption is the application title, followed by " - [" the active document's title "]"
// while documents are maximised, whichever way the document became the active one.
TEST_F(FrameDocuments, TheCaptionNamesTheActiveDocument)
{
    EXPECT_EQ("Vexlor", Caption());
    HWND first = NewChanged();
    EXPECT_EQ("Vexlor - [Untitled 1]", Caption());
    HWND second = NewChanged();
    EXPECT_EQ("Vexlor - [Untitled 2]", Caption());
    prompts_->AnswerSaveDialog(folder_->File("A.VXR"), 1);
    ASSERT_EQ(0, SaveDocument(second));
    EXPECT_EQ("Vexlor - [A.VXR]", Caption());
    SendMessageA(g_mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first), 0);
    EXPECT_EQ("Vexlor - [Untitled 1]", Caption());
    char path[262];
    lstrcpynA(path, folder_->File("A.VXR").c_str(), sizeof(path));
    ASSERT_EQ(0, OpenDocumentCommand(path, FALSE, DocModeOpen));   // open already: brought forward
    EXPECT_EQ(second, GetActiveDocument(nullptr));
    EXPECT_EQ("Vexlor - [A.VXR]", Caption());
    CloseActiveDocument();
    EXPECT_EQ("Vexlor - [Untitled 1]", Caption());
    ASSERT_TRUE(CloseAllDocuments());
    EXPECT_EQ("Vexlor", Caption());
    // Opened as from the command line, with no other document.
    lstrcpynA(path, folder_->File("A.VXR").c_str(), sizeof(path));
    ASSERT_EQ(0, OpenDocumentCommand(path, FALSE, DocModeOpen));
    EXPECT_EQ("Vexlor - [A.VXR]", Caption());
    // A restored document leaves the caption to the frame.
    ShowWindow(GetActiveDocument(nullptr), SW_RESTORE);
    EXPECT_EQ("Vexlor", Caption());
}

// Closing a maximised document leaves the whole MDI client, and the document that comes to the
// front, to be painted anew: nothing of the closed picture stays on the screen.
TEST_F(FrameDocuments, AClosedDocumentLeavesNothingOfItsPicture)
{
    for (const int others : {0, 1}) {
        HWND remaining = others ? NewChanged() : nullptr;
        HWND closing = NewChanged();
        ASSERT_TRUE(IsZoomed(closing));
        UpdateWindow(g_frameWindow);
        SendMessageA(closing, WM_CLOSE, 0, 0);
        ASSERT_FALSE(IsWindow(closing));
        EXPECT_TRUE(WhollyInvalid(g_mdiClient)) << others;
        if (remaining) {
            EXPECT_TRUE(WhollyInvalid(GetDocumentView(remaining)));
        }
        UpdateWindow(g_frameWindow);
        ASSERT_TRUE(CloseAllDocuments());
    }
}

// The hint dialogs show "Show Hints" as the option stands, store it on OK, and stand centred
// over the frame.
TEST_F(FrameDocuments, AHintDialogShowsTheHintsOptionAndStandsOverTheFrame)
{
    const InfoDialogPrompt answerer = g_infoDialogPrompt;
    g_infoDialogPrompt = RunInfoDialogBox;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, WatchHint, nullptr, GetCurrentThreadId());
    struct Case {
        bool hintsOn;
        bool uncheck;   // the person clears the box before OK
        bool hintsAfter;
    };
    for (const Case& c : {Case{true, false, true}, Case{true, true, false}, Case{false, false, false}}) {
        settings_.flags = c.hintsOn ? settings_.flags | SetHints : settings_.flags & ~static_cast<DWORD>(SetHints);
        g_hint = HintSeen{};
        g_hint.uncheck = c.uncheck;
        EXPECT_EQ(1, RunInfoDialog("HINT_DUPLICATE", 121)) << c.hintsOn;
        ASSERT_TRUE(g_hint.seen);
        EXPECT_EQ(c.hintsOn, g_hint.checked);
        EXPECT_EQ(c.hintsAfter, (settings_.flags & SetHints) != 0);
        RECT frame;
        GetWindowRect(g_frameWindow, &frame);
        const RECT& d = g_hint.rect;
        EXPECT_LE(std::abs((frame.left + frame.right) / 2 - (d.left + d.right) / 2), 1) << d.left;
        EXPECT_LE(std::abs((frame.top + frame.bottom) / 2 - (d.top + d.bottom) / 2), 1) << d.top;
    }
    UnhookWindowsHookEx(hook);
    g_infoDialogPrompt = answerer;
}

}  // namespace
