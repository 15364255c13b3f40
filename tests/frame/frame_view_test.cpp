// The frame's document windows: closing the frame, the layout of view and rulers, the fit zoom,
// the zoom steps, scrolling and the painting of background, grid and page lines.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "documents/document_life.h"
#include "documents/document_open.h"
#include "documents/document_state.h"
#include "documents/document_window.h"
#include "documents/options.h"
#include "frame/frame_main.h"
#include "frame/frame_services.h"
#include "frame/frame_startup.h"
#include "frame/frame_windows.h"
#include "frame/view_layout.h"
#include "model/device_units.h"
#include "model/drawing.h"
#include "support/frame_support.h"
#include "support/prompt_answerer.h"

namespace {

class FrameViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        prompts_ = std::make_unique<PromptAnswerer>(IDNO);
        settings_ = {};
        settings_.ruler.rulersShown = 1;
        settings_.ruler.screenUnit = 1;
        settings_.ruler.scaleBase = 100.0;
        settings_.ruler.divisions = 12;
        settings_.ruler.shownValue = 1.0;
        settings_.flags = SetPageLinesAlways;
        g_settings = &settings_;
        UntitledCounter = 0;
        g_verticalScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
        g_horizontalScrollHeight = GetSystemMetrics(SM_CYHSCROLL);
        if (!g_patternBrushes[0]) {
            ASSERT_EQ(0, CreateSharedGdiObjects());
        }
        ASSERT_EQ(0, CreateMainFrame(FALSE));
        document_ = CreateDocumentWindow(nullptr, DocModeBlank);
        ASSERT_NE(nullptr, document_);
        view_ = GetDocumentView(document_);
        ASSERT_NE(nullptr, view_);
    }
    void TearDown() override
    {
        DestroyFrameAndDocuments();
        g_settings = nullptr;
        UntitledCounter = 0;
        prompts_.reset();
    }

    HGLOBAL InfoBlock() const { return reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(view_, 0)); }
    void SetView(int width, int height, int zoom, DWORD flags)
    {
        Locked<ViewInfo> info(InfoBlock());
        info->width = width;
        info->height = height;
        info->zoom = zoom;
        info->flags = flags;
    }
    ViewInfo View() const
    {
        Locked<ViewInfo> info(InfoBlock());
        return *info;
    }
    void SizeDocument(int width, int height)
    {
        // The document window's client area gets exactly this size.
        RECT r = {0, 0, width, height};
        AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(document_, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongA(document_, GWL_EXSTYLE)));
        ShowWindow(document_, SW_RESTORE);
        SetWindowPos(document_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOMOVE);
    }
    RECT ViewRect() const
    {
        RECT r;
        GetWindowRect(view_, &r);
        MapWindowPoints(nullptr, document_, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    static bool Shown(HWND window) { return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0; }
    HWND Child(int index) const
    {
        HWND w = view_;
        for (int i = 0; i < index && w; ++i) w = GetWindow(w, GW_HWNDNEXT);
        return w;
    }
    int ScreenDpi() const
    {
        HDC dc = GetDC(view_);
        int dpi = GetDeviceDpi(dc, LOGPIXELSX, 100);
        ReleaseDC(view_, dc);
        return dpi;
    }
    std::vector<std::string> Shown() const { return ShownPrompts(*prompts_); }

    std::unique_ptr<PromptAnswerer> prompts_;
    Settings settings_;
    HWND document_ = nullptr;
    HWND view_ = nullptr;
};

TEST_F(FrameViewTest, ClosingTheFrameAsksForAModifiedDocument)
{
    {
        Locked<DocumentState> state(GetDocumentStateHandle(view_));
        state->flags |= DocModified;
    }
    prompts_->QueueAnswers({IDCANCEL});
    SendMessageA(g_frameWindow, WM_CLOSE, 0, 0);
    ASSERT_TRUE(g_frameWindow && IsWindow(g_frameWindow));
    EXPECT_TRUE(IsWindow(document_));
    EXPECT_EQ(1u, prompts_->shown().size());

    prompts_->QueueAnswers({IDNO});
    HWND frame = g_frameWindow;
    SendMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_TRUE(settings_.flags & SetFrameNotMaximised);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    g_frameWindow = nullptr;
}

TEST_F(FrameViewTest, RulersShowFromSeventyFivePerMille)
{
    if (ScreenDpi() != 100) GTEST_SKIP() << "figures at 100 pixels per inch";
    SizeDocument(600, 500);
    struct Case {
        int zoom;
        bool rulers;
    };
    for (Case c : {Case{0, true}, Case{500, true}, Case{750, true}, Case{60, false}}) {
        SetView(30000, 30000, c.zoom, 0);
        ApplyViewZoom(view_, c.zoom, 0);
        RelayoutDocumentWindow(document_);
        RECT v = ViewRect();
        // At 60 the 300-pixel drawing is centred in the whole client area.
        EXPECT_EQ(c.rulers ? 26 : 150, v.left) << c.zoom;
        EXPECT_EQ(c.rulers ? 26 : 100, v.top) << c.zoom;
        EXPECT_EQ(c.rulers, Shown(Child(1))) << c.zoom;
        EXPECT_EQ(c.rulers, Shown(Child(3))) << c.zoom;
    }
}

TEST_F(FrameViewTest, ASmallFitLeavesFivePixels)
{
    if (ScreenDpi() != 100) GTEST_SKIP() << "figures at 100 pixels per inch";
    SizeDocument(300, 300);
    SetView(30000, 30000, 0, ViewFitMode);
    RelayoutDocumentWindow(document_);
    EXPECT_LE(View().zoom, 74);
    EXPECT_FALSE(Shown(Child(1)));
    RECT v = ViewRect();
    EXPECT_GE(v.left, 5);
    EXPECT_GE(v.top, 5);
}

TEST_F(FrameViewTest, ScrollRangesAndCentring)
{
    if (ScreenDpi() != 100) GTEST_SKIP() << "figures at 100 pixels per inch";
    SizeDocument(626, 526);
    SetView(30000, 30000, 0, 0);
    ApplyViewZoom(view_, 0, 0);
    RelayoutDocumentWindow(document_);
    RECT client;
    GetClientRect(view_, &client);
    int minimum, maximum;
    GetScrollRangeCompat(view_, SB_HORZ, &minimum, &maximum);
    EXPECT_EQ(5000 - client.right, maximum);
    GetScrollRangeCompat(view_, SB_VERT, &minimum, &maximum);
    EXPECT_EQ(5000 - client.bottom, maximum);

    // A drawing that fits both ways: no bars, centred in the band.
    SetView(600, 600, 0, 0);
    RelayoutDocumentWindow(document_);
    RECT v = ViewRect();
    EXPECT_EQ(100, v.right - v.left);
    EXPECT_EQ(100, v.bottom - v.top);
    EXPECT_EQ(26 + (600 - 100) / 2, v.left);
    EXPECT_EQ(26 + (500 - 100) / 2, v.top);
}

TEST_F(FrameViewTest, ScrollBarsDecideTogether)
{
    // The band is 300 x 200 plus the bars' 16 pixels; drawings in pixels at 100 % (6 units each).
    if (ScreenDpi() != 100) GTEST_SKIP() << "figures at 100 pixels per inch";
    SetView(0, 0, 0, 0);
    ApplyViewZoom(view_, 0, 0);
    RECT band = {0, 0, 316, 216};
    struct Case {
        int w, h;
        bool horizontal, vertical;
    };
    const Case cases[] = {
        {200, 100, false, false},   // fits
        {310, 210, false, false},   // fits only without the other bar, both ways
        {310, 150, false, false},   // one tight, the other fits
        {310, 300, true, true},     // one tight, the other over
        {400, 300, true, true},     // both over
        {400, 150, true, false},
    };
    for (const Case& c : cases) {
        SetView(c.w * 6, c.h * 6, 0, 0);
        BOOL h = 2, v = 2;
        UpdateDocumentScrollBars(view_, &band, &h, &v, FALSE);
        EXPECT_EQ(c.horizontal, h != 0) << c.w << " x " << c.h;
        EXPECT_EQ(c.vertical, v != 0) << c.w << " x " << c.h;
    }
}

TEST_F(FrameViewTest, ShrinkingPastTheRangePullsTheOriginBack)
{
    if (ScreenDpi() != 100) GTEST_SKIP() << "figures at 100 pixels per inch";
    SizeDocument(626, 526);
    SetView(30000, 30000, 0, 0);
    RelayoutDocumentWindow(document_);
    SendMessageA(view_, WM_HSCROLL, SB_BOTTOM, 0);
    int before = GetScrollPos(view_, SB_HORZ);
    SizeDocument(926, 526);
    int after = GetScrollPos(view_, SB_HORZ);
    EXPECT_LT(after, before);
    HDC dc = GetDC(view_);
    POINT origin;
    GetViewportOrgEx(dc, &origin);
    ReleaseDC(view_, dc);
    EXPECT_EQ(-after, origin.x);
    HDC rdc = GetDC(Child(1));
    POINT rulerOrigin;
    GetViewportOrgEx(rdc, &rulerOrigin);
    ReleaseDC(Child(1), rdc);
    EXPECT_EQ(origin.x, rulerOrigin.x);
}

TEST_F(FrameViewTest, FitZoomFigures)
{
    if (ScreenDpi() != 100) GTEST_SKIP() << "figures at 100 pixels per inch";
    {
        Locked<DocumentState> state(GetDocumentStateHandle(view_));
        state->printableWidth = 5100;
        state->printableHeight = 6600;
    }
    struct Case {
        int width, height;
        DWORD flags;
        int availableWidth, availableHeight;
        int zoom;
    };
    const Case cases[] = {
        {30000, 30000, ViewFitMode, 1000, 700, 140},
        {30000, 30000, ViewFitMode, 40, 40, 10},
        {30000, 30000, ViewFitMode, 2000, 2000, 350},
        {30000, 30000, ViewFitMode, 6000, 6000, 350},      // all fits: the cap
        {0, 0, ViewFitMode, 100, 100, 350},                // no extent: nothing divides by it
        {30000, 30000, ViewFitMode | ViewFitPage, 450, 575, 500},
        {30000, 30000, ViewFitMode | ViewFitPage, 5000, 5000, 1000},
    };
    for (const Case& c : cases) {
        SetView(c.width, c.height, 0, c.flags);
        Locked<ViewInfo> info(InfoBlock());
        EXPECT_EQ(c.zoom, ComputeFitZoom(view_, info.get(), c.availableWidth, c.availableHeight))
            << c.availableWidth << " x " << c.availableHeight;
    }
}

TEST_F(FrameViewTest, ZoomStepsClimbAndDescendTheLadder)
{
    SizeDocument(600, 500);
    SendMessageA(g_mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(document_), 0);
    ASSERT_EQ(document_, GetActiveDocument(nullptr));
    auto state = [&]() {
        ViewInfo v = View();
        if (v.flags & ViewFitMode) return std::string(v.flags & ViewFitPage ? "page" : "window");
        return std::to_string(v.zoom);
    };
    SetView(30000, 30000, 0, ViewFitMode);
    std::vector<std::string> in;
    for (int i = 0; i < 7; ++i) {
        SetViewZoom(1, ZoomPlain);
        in.push_back(state());
    }
    EXPECT_EQ((std::vector<std::string>{"page", "500", "750", "0", "1500", "2000", "2000"}), in);
    std::vector<std::string> out;
    for (int i = 0; i < 7; ++i) {
        SetViewZoom(-1, ZoomPlain);
        out.push_back(state());
    }
    EXPECT_EQ((std::vector<std::string>{"1500", "0", "750", "500", "page", "window", "window"}), out);

    struct Case {
        int from, step;
        const char* to;
    };
    for (Case c : {Case{1200, 1, "1500"}, Case{1200, -1, "0"}, Case{300, 1, "500"}, Case{300, -1, "page"}}) {
        SetView(30000, 30000, c.from, 0);
        SetViewZoom(c.step, ZoomPlain);
        EXPECT_EQ(std::string(c.to), state()) << c.from << " " << c.step;
    }
}

TEST_F(FrameViewTest, ScrollingSteps)
{
    SizeDocument(626, 526);
    SetView(30000, 30000, 0, 0);
    RelayoutDocumentWindow(document_);
    SendMessageA(view_, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(16, GetScrollPos(view_, SB_VERT));
    SendMessageA(view_, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 200), 0);
    EXPECT_EQ(16, GetScrollPos(view_, SB_VERT));
    SendMessageA(view_, WM_VSCROLL, SB_LINEUP, 0);
    SendMessageA(view_, WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(0, GetScrollPos(view_, SB_VERT));

    // Page down on a client 10 pixels high moves one line.
    MoveWindow(view_, 26, 26, 300, 10 + GetSystemMetrics(SM_CYHSCROLL), FALSE);
    RECT client;
    GetClientRect(view_, &client);
    ASSERT_EQ(10, client.bottom);
    SendMessageA(view_, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(16, GetScrollPos(view_, SB_VERT));
}

TEST_F(FrameViewTest, FitToWindowHintShowsOncePerRun)
{
    // A hidden frame shows no hints.
    ShowWindow(g_frameWindow, SW_SHOWNA);
    SizeDocument(600, 500);
    SendMessageA(g_mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(document_), 0);
    bool wasShown = g_fitHintShown;
    struct Case {
        const char* what;
        int zoom;        // the view's zoom before
        int value, mode; // the command, given twice
        DWORD hints;
        int shown;
    };
    const Case cases[] = {
        {"fit to window", 0, 0, ZoomFitWindow, SetHints, 1},
        {"fit to page", 0, 0, ZoomFitPage, SetHints, 0},
        {"step out from 50 %", 500, -1, ZoomPlain, SetHints, 1},
        {"hints off", 0, 0, ZoomFitWindow, 0, 0},
    };
    for (const Case& c : cases) {
        g_fitHintShown = false;
        settings_.flags = c.hints;
        SetView(30000, 30000, c.zoom, 0);
        prompts_->Clear();
        SetViewZoom(c.value, c.mode);
        SetViewZoom(c.value, c.mode);
        EXPECT_EQ(std::vector<std::string>(c.shown, "HINT_STF"), prompts_->shown()) << c.what;
    }
    g_fitHintShown = wasShown;
}

TEST_F(FrameViewTest, AMenuHintWaitsForItsMenuToClose)
{
    HMENU bar = GetMenu(g_frameWindow);
    auto position = [&](int top) {
        for (int i = 0; i < GetMenuItemCount(bar); ++i)
            if (GetSubMenu(bar, i) == g_topMenus[top]) return i;
        return -1;
    };
    enum { File = 0, Help = 9, Draw = 6, Shapes = 3 };
    struct Case {
        std::vector<int> highlighted;   // top-level popups in order
        DWORD hints;
        bool drawShownBefore;
        bool hint;
    };
    const Case cases[] = {
        {{Draw}, SetHints, false, true},
        {{File, Shapes}, SetHints, false, true},
        {{Draw, File}, SetHints, false, false},
        {{Draw, Help}, SetHints, false, false},
        {{Draw}, SetHints, true, false},
        {{Draw}, 0, false, false},
    };
    BOOL savedShown[4];
    std::copy(std::begin(g_menuHintShown), std::end(g_menuHintShown), savedShown);
    for (const Case& c : cases) {
        g_pendingHintMenu = nullptr;
        g_menuHintShown[3] = c.drawShownBefore;
        settings_.flags = c.hints;
        for (int top : c.highlighted) {
            int at = position(top);
            ASSERT_GE(at, 0);
            SendMessageA(g_frameWindow, WM_MENUSELECT, MAKEWPARAM(at, MF_POPUP | MF_HILITE),
                         reinterpret_cast<LPARAM>(bar));
        }
        SendMessageA(g_frameWindow, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
        MSG msg;
        bool posted = false;
        while (PeekMessageA(&msg, g_frameWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE)) posted = posted || msg.wParam == CMD_MENU_HINT;
        EXPECT_EQ(c.hint, posted) << c.highlighted.size() << " " << c.highlighted.back();
    }
    g_pendingHintMenu = nullptr;
    std::copy(std::begin(savedShown), std::end(savedShown), g_menuHintShown);
}

TEST_F(FrameViewTest, DocumentMenusFollowTheActiveDocument)
{
    HMENU bar = GetMenu(g_frameWindow);
    HMENU file = g_topMenus[0];
    auto greyed = [](HMENU menu, UINT item, UINT by) { return (GetMenuState(menu, item, by) & MF_GRAYED) != 0; };
    auto documentMenusGreyed = [&]() {
        int n = 0;
        for (int top = 1; top <= 8; ++top)
            for (int i = 0; i < GetMenuItemCount(bar); ++i)
                if (GetSubMenu(bar, i) == g_topMenus[top]) n += greyed(bar, i, MF_BYPOSITION);
        return n;
    };
    // The last document gone: only New, Open and the lists stay.
    UpdateMenusOnActivate(nullptr, 0);
    EXPECT_EQ(8, documentMenusGreyed());
    EXPECT_FALSE(greyed(file, 101, MF_BYCOMMAND));
    EXPECT_FALSE(greyed(file, 102, MF_BYCOMMAND));
    EXPECT_TRUE(greyed(file, CMD_SAVE, MF_BYCOMMAND));
    // A document activated; a maximised one puts its system menu in front of the bar.
    SendMessageA(g_mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(document_), 0);
    UpdateMenusOnActivate(document_, 1);
    EXPECT_EQ(0, documentMenusGreyed());
    SendMessageA(g_frameWindow, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    EXPECT_FALSE(greyed(file, CMD_SAVE, MF_BYCOMMAND));
    char text[64] = {};
    GetMenuStringA(file, 104, text, sizeof(text), MF_BYCOMMAND);
    EXPECT_STREQ("&Save\tCtrl+S", text);
}

TEST(RulerUnits, DamagedRulersReadAsTheDefaults)
{
    RulerSettings ruler = {};
    ruler.screenUnit = 1;
    ruler.scaleBase = 100.0;
    ruler.divisions = 12;
    EXPECT_EQ(150, RulerUnitsToValue(&ruler, 1, 6, 0));
    EXPECT_EQ(75, RulerUnitsToValue(&ruler, 1, 6, 500));
    EXPECT_EQ(150, RulerUnitsToValue(&ruler, 1, 6, 60));   // below 75 unzoomed
    struct Case {
        int divisions;
        double spacing;
    };
    for (Case c : {Case{0, 100.0}, Case{-3, 100.0}, Case{7, 100.0}, Case{12, 0.0},
                   Case{12, std::numeric_limits<double>::quiet_NaN()}, Case{12, 1e-9},
                   Case{12, std::numeric_limits<double>::infinity()}}) {
        ruler.divisions = c.divisions;
        ruler.scaleBase = c.spacing;
        EXPECT_EQ(150, RulerUnitsToValue(&ruler, 1, 6, 0)) << c.divisions << " " << c.spacing;
    }
}

class FramePaintTest : public FrameViewTest {
protected:
    // Paints the view's background of the first `size` pixels into a white bitmap at `zoom`.
    void Paint(int zoom, int size)
    {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, size, size);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
        PatBlt(dc_, 0, 0, size, size, WHITENESS);
        SetLogicalUnits(dc_, zoom, kDrawingUnitsPerInch);
        SetBkMode(dc_, TRANSPARENT);
        RECT rect = {0, 0, size, size};
        DPtoLP(dc_, reinterpret_cast<POINT*>(&rect), 2);
        Locked<DocumentState> state(GetDocumentStateHandle(view_));
        BOOL pageLines = zoom >= 1 && zoom <= 500 ? TRUE : (settings_.flags & SetPageLinesAlways ? TRUE : FALSE);
        DrawViewBackground(dc_, view_, state.get(), &rect, pageLines, zoom);
        // Pixels are read in device coordinates.
        SetMapMode(dc_, MM_TEXT);
    }
    void TearDown() override
    {
        if (dc_) {
            SelectObject(dc_, old_);
            DeleteDC(dc_);
            DeleteObject(bitmap_);
        }
        FrameViewTest::TearDown();
    }
    COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y) & 0xFFFFFF; }

    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

TEST_F(FramePaintTest, GridAtFullSize)
{
    if (ScreenDpi() != 100) GTEST_SKIP() << "figures at 100 pixels per inch";
    settings_.flags = SetShowGrid;
    Paint(0, 120);
    const COLORREF green = RGB(0, 128, 0), white = RGB(255, 255, 255);
    EXPECT_EQ(green, Pixel(50, 50));
    EXPECT_EQ(white, Pixel(54, 50));
    int greenOnLine = 0;
    for (int y = 0; y < 8; ++y) greenOnLine += Pixel(100, y + 1) == green;
    EXPECT_EQ(3, greenOnLine);
    EXPECT_EQ(white, Pixel(101, 3));
}

TEST_F(FramePaintTest, NoDotsAtAQuarter)
{
    if (ScreenDpi() != 100) GTEST_SKIP() << "figures at 100 pixels per inch";
    settings_.flags = SetShowGrid;
    Paint(250, 100);
    int green = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) green += Pixel(x, y) == RGB(0, 128, 0);
    EXPECT_EQ(0, green);
}

TEST_F(FramePaintTest, PageLinesAtThreeQuartersOnlyWhenAskedFor)
{
    if (ScreenDpi() != 100) GTEST_SKIP() << "figures at 100 pixels per inch";
    {
        Locked<DocumentState> state(GetDocumentStateHandle(view_));
        state->printableWidth = 600;
        state->printableHeight = 600;
    }
    auto blackOnColumn = [&](int x) {
        int n = 0;
        for (int y = 0; y < 100; ++y) n += Pixel(x, y) == 0;
        return n;
    };
    settings_.flags = 0;
    Paint(750, 150);
    EXPECT_EQ(0, blackOnColumn(75));
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
    settings_.flags = SetPageLinesAlways;
    Paint(750, 150);
    EXPECT_GT(blackOnColumn(75), 10);
    EXPECT_EQ(0, blackOnColumn(76));
}

}  // namespace
