// Start-up: the window classes, a second registration, files named on the command line or
// handed over by a second start, and the documents' menus.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "documents/document_open.h"
#include "documents/document_save.h"
#include "documents/document_window.h"
#include "documents/options.h"
#include "frame/frame_main.h"
#include "frame/frame_services.h"
#include "frame/frame_startup.h"
#include "frame/frame_windows.h"
#include "frame/object_classes.h"
#include "frame/view_layout.h"
#include "documents/document_life.h"
#include "documents/document_state.h"
#include "model/device_units.h"
#include "model/drawing.h"
#include "model/objects.h"
#include "resource.h"
#include "support/frame_support.h"
#include "support/prompt_answerer.h"
#include "support/temp_folder.h"

namespace {

std::string Message(UINT id)
{
    char text[1024] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof(text));
    return std::string("Vexlor: ") + text;
}

class FrameStartTest : public testing::Test {
protected:
    void SetUp() override
    {
        prompts_ = std::make_unique<PromptAnswerer>(IDNO);
        settings_ = {};
        settings_.ruler.scaleBase = 100.0;
        settings_.ruler.divisions = 12;
        settings_.ruler.shownValue = 1.0;
        g_settings = &settings_;
        UntitledCounter = 0;
        ASSERT_EQ(0, CreateMainFrame(FALSE));
    }
    void TearDown() override
    {
        DestroyFrameAndDocuments();
        g_settings = nullptr;
        UntitledCounter = 0;
        prompts_.reset();
    }
    std::vector<std::string> Shown() const { return ShownPrompts(*prompts_); }
    std::vector<HWND> Documents() const { return DocumentWindows(); }
    // A saved drawing of the program's own writer.
    std::string SavedDrawing(const char* name)
    {
        std::string path = folder_.File(name);
        HWND window = CreateDocumentWindow(nullptr, DocModeBlank);
        EXPECT_NE(nullptr, window);
        EXPECT_EQ(0, SaveDocumentAs(window, path.c_str(), FALSE, 1));
        SendMessageA(g_mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
        return path;
    }

    std::unique_ptr<PromptAnswerer> prompts_;
    Settings settings_;
    TempFolder folder_;
};

TEST_F(FrameStartTest, WindowClassesAndTheFrameMenu)
{
    const char* names[] = {"MDMainClass",       "MDDocumentClass", "MDScrollClass", "MDHRulerClass", "MDVRulerClass",
                           "MDXRulerClass",     "SEIconButtonClass", "SESAMPLEWIN", "SEBMWWIN",      "SECHARARRAY"};
    const int extra[] = {0, 4, 8, 0, 0, 0, 12, 16, 0, 20};
    for (int i = 0; i < 10; ++i) {
        WNDCLASSA wc = {};
        ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), names[i], &wc)) << names[i];
        EXPECT_EQ(extra[i], wc.cbWndExtra) << names[i];
    }
    char title[64] = {};
    GetWindowTextA(g_frameWindow, title, sizeof(title));
    EXPECT_STREQ("Vexlor", title);
    HMENU bar = GetMenu(g_frameWindow);
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(10, GetMenuItemCount(bar));
    for (int i = 0; i < 10; ++i) EXPECT_NE(nullptr, GetSubMenu(bar, i)) << i;
    HACCEL keys = LoadAcceleratorsA(GetModuleHandleA(nullptr), "MDMenu");
    ASSERT_NE(nullptr, keys);
    EXPECT_EQ(28, CopyAcceleratorTableA(keys, nullptr, 0));
}

TEST_F(FrameStartTest, ASecondRegistrationFailsOnce)
{
    EXPECT_EQ(10002, InitApplication(GetModuleHandleA(nullptr), nullptr, SW_HIDE, ""));
    EXPECT_EQ((std::vector<std::string>{Message(0)}), prompts_->shown());
}

TEST_F(FrameStartTest, AFileFromTheCommandLineOpensInItsWindow)
{
    std::string path = SavedDrawing("a.vxr");
    prompts_->Clear();
    std::vector<char> buffer(path.begin(), path.end());
    buffer.resize(262, 0);
    EXPECT_EQ(0, OpenDocumentCommand(buffer.data(), FALSE, DocModeOpen));
    ASSERT_EQ(1u, Documents().size());
    HWND document = Documents()[0];
    char title[64] = {};
    GetWindowTextA(document, title, sizeof(title));
    EXPECT_STREQ("a.vxr", title);
    const char* order[] = {"MDScrollClass", "MDHRulerClass", "MDVRulerClass", "MDXRulerClass"};
    HWND child = GetWindow(document, GW_CHILD);
    for (const char* name : order) {
        char cls[64] = {};
        ASSERT_NE(nullptr, child);
        GetClassNameA(child, cls, sizeof(cls));
        EXPECT_STREQ(name, cls);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_TRUE(Shown().empty());
}

TEST_F(FrameStartTest, BadFilesWarnAndTheFrameStays)
{
    std::string text = folder_.File("notes.vxr");
    std::ofstream(text, std::ios::binary) << std::string(1000, 'x');
    struct Case {
        std::string path;
        UINT warning;
    };
    for (const Case& c : {Case{folder_.File("missing.vxr"), 8}, Case{text, 5}}) {
        prompts_->Clear();
        char buffer[262];
        lstrcpynA(buffer, c.path.c_str(), sizeof(buffer));
        OpenDocumentCommand(buffer, FALSE, DocModeOpen);
        EXPECT_EQ((std::vector<std::string>{Message(c.warning)}), Shown()) << c.path;
        EXPECT_TRUE(Documents().empty());
        EXPECT_TRUE(IsWindow(g_frameWindow));
    }
}

TEST_F(FrameStartTest, AHandOverOpensItsFile)
{
    std::string path = SavedDrawing("handed.vxr");
    ATOM atom = GlobalAddAtomA(path.c_str());
    ASSERT_NE(0, atom);
    EXPECT_EQ(0, SendMessageA(g_frameWindow, VXM_HANDOVER, 0, atom));
    GlobalDeleteAtom(atom);
    ASSERT_EQ(1u, Documents().size());
}

TEST_F(FrameStartTest, ARelativePathBecomesAbsolute)
{
    std::string path = SavedDrawing("relative.vxr");
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof(previous), previous);
    SetCurrentDirectoryA(folder_.path().c_str());
    char buffer[262] = "relative.vxr";
    EXPECT_EQ(0, OpenDocumentCommand(buffer, FALSE, DocModeOpen));
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(0, lstrcmpiA(path.c_str(), buffer));
    EXPECT_NE(nullptr, FindDocumentWindow(path.c_str()));
}

}  // namespace

namespace {

// A drawing of one filled rectangle, saved and opened again as the command line opens it, its
// view painted in-process at 50 % with the page lines of a 5100 x 6600 printable page.
TEST_F(FrameStartTest, APictureOfAnOpenedDrawing)
{
    ASSERT_EQ(0, InstallObjectClasses());
    std::string path = folder_.File("picture.vxr");
    {
        HWND window = CreateDocumentWindow(nullptr, DocModeBlank);
        ASSERT_NE(nullptr, window);
        HWND view = GetDocumentView(window);
        RECT rect = {1200, 1200, 3600, 2400};
        ASSERT_EQ(0, AddObject(view, ClassShape, &rect, 2, 0, 0, FALSE, FALSE, nullptr, FALSE));
        {
            Locked<DocumentState> state(GetDocumentStateHandle(view));
            Locked<Drawing> drawing(state->drawing);
            Locked<ObjectList> objects(drawing->objectList);
            (*objects)[0].fillColor = RGB(0, 0, 255);
            (*objects)[0].fillPattern = 1;  // solid
            (*objects)[0].state &= ~static_cast<DWORD>(StateSelected);
            drawing->selectedCount = 0;
        }
        ASSERT_EQ(0, SaveDocumentAs(window, path.c_str(), FALSE, 1));
        SendMessageA(g_mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
    }
    char buffer[262];
    lstrcpynA(buffer, path.c_str(), sizeof(buffer));
    ASSERT_EQ(0, OpenDocumentCommand(buffer, FALSE, DocModeOpen));
    ASSERT_EQ(1u, Documents().size());
    HWND view = GetDocumentView(Documents()[0]);
    {
        Locked<DocumentState> state(GetDocumentStateHandle(view));
        Locked<Drawing> drawing(state->drawing);
        Locked<ObjectList> objects(drawing->objectList);
        ASSERT_EQ(1, objects->count);
    }

    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 600, 600);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, 600, 600, WHITENESS);
    SetLogicalUnits(dc, 500, kDrawingUnitsPerInch);
    SetBkMode(dc, TRANSPARENT);
    int dpi = GetDeviceDpi(dc, LOGPIXELSX, 100);
    RECT area = {0, 0, 600, 600};
    DPtoLP(dc, reinterpret_cast<POINT*>(&area), 2);
    {
        Locked<DocumentState> state(GetDocumentStateHandle(view));
        state->printableWidth = 5100;
        state->printableHeight = 6600;
        DrawViewBackground(dc, view, state.get(), &area, TRUE, 500);
    }
    SetMapMode(dc, MM_TEXT);
    auto pixel = [&](int x, int y) { return GetPixel(dc, x, y) & 0xFFFFFF; };
    auto blacks = [&](int x0, int y0, int dx, int dy) {
        int n = 0;
        for (int i = 0; i < 400; ++i) n += pixel(x0 + i * dx, y0 + i * dy) == 0;
        return n;
    };
    if (dpi == 100) {
        EXPECT_EQ(RGB(0, 0, 255), pixel(200, 150));
        EXPECT_EQ(RGB(255, 255, 255), pixel(350, 150));
        EXPECT_GT(blacks(425, 0, 0, 1), 50);
        EXPECT_EQ(0, blacks(424, 0, 0, 1));
        EXPECT_EQ(0, blacks(426, 0, 0, 1));
        EXPECT_GT(blacks(0, 550, 1, 0), 50);
        EXPECT_EQ(0, blacks(0, 549, 1, 0));
        EXPECT_EQ(0, blacks(0, 551, 1, 0));
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    if (dpi != 100) GTEST_SKIP() << "figures at 100 pixels per inch";
}

}  // namespace
