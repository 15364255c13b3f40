// A whole start of the program in this process, as WinMain makes it: the command line, the
// window classes, every subsystem's start-up, the first document; and the shut-down after it.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "documents/document_life.h"
#include "documents/document_save.h"
#include "documents/document_window.h"
#include "documents/options.h"
#include "frame/frame_main.h"
#include "frame/frame_startup.h"
#include "frame/frame_windows.h"
#include "store/block_store.h"
#include "store/store_directory.h"
#include "support/frame_support.h"
#include "support/prompt_answerer.h"
#include "support/temp_folder.h"

namespace {

const char* const kFrameClasses[] = {"MDMainClass", "MDDocumentClass", "MDScrollClass", "MDHRulerClass",
                                     "MDVRulerClass", "MDXRulerClass", "SEIconButtonClass", "SESAMPLEWIN",
                                     "SEBMWWIN", "SECHARARRAY"};

std::string TitleOf(HWND window)
{
    char title[128] = {};
    GetWindowTextA(window, title, sizeof(title));
    return title;
}

class FullStartTest : public testing::Test {
protected:
    void SetUp() override
    {
        prompts_ = std::make_unique<PromptAnswerer>(IDNO);
        // A drawing written by the program's own writer, from a frame of its own.
        Settings settings = {};
        settings.ruler.scaleBase = 100.0;
        settings.ruler.divisions = 12;
        g_settings = &settings;
        ASSERT_EQ(0, CreateMainFrame(FALSE));
        HWND window = CreateDocumentWindow(nullptr, DocModeBlank);
        ASSERT_NE(nullptr, window);
        drawing_ = folder_.File("a.vxr");
        ASSERT_EQ(0, SaveDocumentAs(window, drawing_.c_str(), FALSE, 1));
        DestroyFrameAndDocuments();
        g_settings = nullptr;
        UntitledCounter = 0;
        // The program registers its classes itself: a start finds none registered.
        for (const char* name : kFrameClasses) ASSERT_TRUE(UnregisterClassA(name, GetModuleHandleA(nullptr))) << name;
        prompts_->Clear();
        // Other test programs on this desktop have frames of their own: none is this program's.
        previousFind_ = g_findRunningCopy;
        g_findRunningCopy = [] { return static_cast<HWND>(nullptr); };
    }
    void TearDown() override
    {
        g_findRunningCopy = previousFind_;
        if (started_) {
            DestroyFrameAndDocuments();
            ExitApplication();
            // The shut-down frees the store directory that the test run keeps for every test.
            InitBlockStoreDirectory(100);
        }
        g_settings = nullptr;
        UntitledCounter = 0;
        prompts_.reset();
    }
    // Starts as WinMain does with `file` and an options file of the test; whether the loop runs.
    BOOL Start(const std::string& file)
    {
        std::string line = file + " /O" + folder_.File("vexlor.opt");
        BOOL runLoop = FALSE;
        started_ = true;
        EXPECT_EQ(0, StartProgram(GetModuleHandleA(nullptr), line.c_str(), SW_SHOWNORMAL, &runLoop));
        return runLoop;
    }

    std::unique_ptr<PromptAnswerer> prompts_;
    TempFolder folder_;
    std::string drawing_;
    bool started_ = false;
    HWND (*previousFind_)() = nullptr;
};

TEST_F(FullStartTest, AFileOpensMaximisedInTheFrame)
{
    ASSERT_TRUE(Start(drawing_));
    ASSERT_NE(nullptr, g_frameWindow);
    // The document opens maximised, so the frame's caption names it after the title.
    EXPECT_EQ("Vexlor - [a.vxr]", TitleOf(g_frameWindow));
    EXPECT_TRUE(IsWindowVisible(g_frameWindow));
    EXPECT_TRUE(IsZoomed(g_frameWindow));
    for (int i = 0; i < 10; ++i) {
        EXPECT_NE(nullptr, g_topMenus[i]) << i;
        for (int j = 0; j < i; ++j) EXPECT_NE(g_topMenus[j], g_topMenus[i]) << j << " " << i;
    }
    std::vector<HWND> documents = DocumentWindows();
    ASSERT_EQ(1u, documents.size());
    EXPECT_EQ("a.vxr", TitleOf(documents[0]));
    EXPECT_TRUE(IsZoomed(documents[0]));
    const char* order[] = {"MDScrollClass", "MDHRulerClass", "MDVRulerClass", "MDXRulerClass"};
    HWND child = GetWindow(documents[0], GW_CHILD);
    for (const char* name : order) {
        ASSERT_NE(nullptr, child) << name;
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof(cls));
        EXPECT_STREQ(name, cls);
        if (child != GetWindow(documents[0], GW_CHILD)) {
            EXPECT_EQ(g_settings->ruler.rulersShown != 0, IsWindowVisible(child) != 0) << name;
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    // With a document the File menu offers Save; the document menus are enabled.
    SendMessageA(g_frameWindow, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(g_topMenus[0]), 0);
    EXPECT_EQ(0u, GetMenuState(g_topMenus[0], CMD_SAVE, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(prompts_->shown().empty());
}

}  // namespace
