// The editor's view: growing to the text, the selection highlight, format notices, the visible
// part, zoom, size changes and fitting the text to a box.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "editor_fixture.h"
#include "frame/font_messages.h"
#include "support/canvas.h"
#include "text/font_cache.h"
#include "text/ten_window.h"
#include "text/text_paint.h"
#include "text/text_view.h"

namespace {

int Widest(const std::vector<TextLine>& lines, INT32 TextLine::*width = &TextLine::fullWidth)
{
    int widest = 0;
    for (const TextLine& line : lines) widest = std::max(widest, line.*width);
    return widest;
}

TEST_F(EditorTest, GrowsInWidthStepsAndWrapsAtTheMaximumWidth)
{
    TenCreateParams p = Params();
    p.flags = TenFlagGrowWidth;
    p.options = 0;
    p.maxWidth = 3000;
    p.widthStep = 300;
    ASSERT_NE(nullptr, Create(&p, 60, 40, WS_CHILD));
    std::vector<BYTE> word = MakeBlock("abcdefghijkl");
    BlockHeader(word)->options = 0;
    ASSERT_EQ(0, Load(word));
    const int grown = Widest(Lines()) + 12 + 300;
    EXPECT_EQ(grown, Lock()->width);
    Unlock();

    std::vector<BYTE> sentence = MakeBlock(std::string(12, ' ').insert(0, "a long line of words that goes on and on and on") +
                                           "and still goes on past the largest width");
    BlockHeader(sentence)->options = 0;
    ASSERT_EQ(0, Load(sentence));
    TenState* s = Lock();
    EXPECT_EQ(3000, s->width);
    EXPECT_TRUE(s->options & TenOptWordWrap);
    Unlock();
    const auto lines = Lines();
    EXPECT_GT(lines.size(), 1u);
    EXPECT_LE(Widest(lines, &TextLine::breakWidth), 3000);
}

TEST_F(EditorTest, ParentRefusingTheSizeKeepsIt)
{
    TenCreateParams p = Params();
    p.flags = TenFlagGrowWidth | TenFlagGrowHeight;
    p.options = 0;
    ASSERT_NE(nullptr, Create(&p, 60, 40, WS_CHILD));
    g_resizeAnswer = 0;
    std::vector<BYTE> block = MakeBlock("a line much wider than the editor is\rand a second");
    BlockHeader(block)->options = 0;
    ASSERT_EQ(0, Load(block));
    TenState* s = Lock();
    EXPECT_EQ(360, s->width);
    EXPECT_EQ(240, s->height);
    Unlock();
    EXPECT_EQ(2, Send(TEN_GETLINECOUNT));
    RECT client;
    GetClientRect(editor_, &client);
    EXPECT_EQ(60, client.right);
    bool asked = false;
    for (const Notice& n : Notices()) asked |= n.message == TenNoticeResize;
    EXPECT_TRUE(asked);
}

TEST_F(EditorTest, HighlightRunsPastEachParagraphEnd)
{
    TenCreateParams p = Params("aaa\rbbbbb\rcc");
    p.options = 0;
    ASSERT_NE(nullptr, Create(&p, 400, 200));
    Send(TEN_SETSELECTION, 0, TenSelectAll);
    Canvas canvas(400, 200);
    canvas.Clear(0);
    TenState* s = Lock();
    InvertSelection(canvas.dc(), s, &s->selStart, &s->selEnd);
    Unlock();
    const auto lines = Lines();
    ASSERT_EQ(3u, lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const TextLine& line = lines[i];
        const int y = (line.y + line.height / 2) / 6;
        const int end = line.x + line.extent + (i < 2 ? 30 : 0);
        EXPECT_EQ(RGB(0, 0, 0), canvas.Pixel(end / 6 - 1, y)) << i;
        EXPECT_EQ(RGB(255, 255, 255), canvas.Pixel(end / 6 + 1, y)) << i;
    }
}

TEST_F(EditorTest, FormatNoticesReportMixedStylesAndScripts)
{
    TenCreateParams p = Params();
    ASSERT_NE(nullptr, Create(&p));
    struct Case {
        std::vector<RunFormat> runs;
        UINT message;
        WPARAM mask;
        int (*value)(LPARAM);
        int expected;
    } cases[] = {
        {{{5, 1}, {5, 0}}, TenNoticeFaceStyle, 0x10, [](LPARAM l) { return static_cast<int>((l >> 8) & 0xFF); }, 1},
        {{{5, 0, 1}, {5, 0, 0}}, TenNoticeSizeFormat, 0x40,
         [](LPARAM l) { return static_cast<int>(static_cast<signed char>(l >> 24)); }, -3},
        {{{5, 0, -1}, {5, 0, 1}}, TenNoticeSizeFormat, 0x40,
         [](LPARAM l) { return static_cast<int>(static_cast<signed char>(l >> 24)); }, -5},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> block = MakeBlock("abcdeABCDE", c.runs);
        ASSERT_EQ(0, Load(block));
        Notices();
        Send(TEN_SETSELECTION, TenEditRepaint, MAKELPARAM(0, 10));
        bool found = false;
        for (const Notice& n : Notices()) {
            if (n.message != c.message || !(n.wParam & c.mask)) continue;
            found = true;
            EXPECT_EQ(c.expected, c.value(n.lParam));
        }
        EXPECT_TRUE(found) << c.expected;
    }
}

TEST_F(EditorTest, VisiblePartFollowsTheParentsVisibleArea)
{
    TenCreateParams p = Params("abc");
    ASSERT_NE(nullptr, Create(&p, 100, 100));
    SetRect(&g_viewArea, 0, 0, 800, 600);
    EXPECT_EQ(1, Send(TEN_UPDATEPOSITION, 0, 0));
    RECT whole = {0, 0, 600, 600};
    EXPECT_TRUE(EqualRect(&whole, &Lock()->visible));
    Unlock();
    SetRect(&g_viewArea, 0, 0, 800, 50);
    Send(TEN_UPDATEPOSITION, 0, 0);
    RECT upper = {0, 0, 600, 300};
    EXPECT_TRUE(EqualRect(&upper, &Lock()->visible));
    Unlock();
}

TEST_F(EditorTest, ZoomWithoutChangeOrForceDoesNothing)
{
    TenCreateParams p = Params("abc");
    ASSERT_NE(nullptr, Create(&p));
    Send(TEN_RELEASEFONTS);
    EXPECT_EQ(0, Runs()[0].font);
    Send(TEN_SETZOOM, 0, 0);
    EXPECT_EQ(0, Runs()[0].font);
    EXPECT_FALSE(Lock()->flags & TenFlagLayoutPending);
    Unlock();
    Send(TEN_SETZOOM, 0, 1);
    EXPECT_NE(0, Runs()[0].font);
    EXPECT_TRUE(Lock()->flags & TenFlagLayoutPending);
    Unlock();
    Send(TEN_RELEASEFONTS);
    Send(TEN_REMAKEFONTS);
    EXPECT_NE(0, Runs()[0].font);
}

TEST_F(EditorTest, HeightOnlySizeMovesLinesOnlyWhenNotTopAligned)
{
    for (int align : {0, 8}) {
        TenCreateParams p = Params("one\rtwo");
        p.verticalAlign = align;
        ASSERT_NE(nullptr, Create(&p, 200, 100));
        const auto before = Lines();
        SetWindowPos(editor_, nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER);
        const auto after = Lines();
        ASSERT_EQ(before.size(), after.size());
        for (size_t i = 0; i < before.size(); ++i) {
            EXPECT_EQ(before[i].x, after[i].x);
            if (align == 0) EXPECT_EQ(before[i].y, after[i].y);
            else EXPECT_EQ(before[i].y + 300, after[i].y);
        }
    }
}

TEST_F(EditorTest, FittingWithoutAChangeProbesNothing)
{
    TenCreateParams p = Params("abc");
    SetRect(&p.margins, 30, 20, 30, 20);
    p.marginRatios[0] = 0.1;
    ASSERT_NE(nullptr, Create(&p, 200, 200));
    TenState* s = Lock();
    TextLine* lines = static_cast<TextLine*>(GlobalLock(s->lines));
    lines[0].y = 4321;
    GlobalUnlock(s->lines);
    Unlock();
    int w = 0, h = 0;
    EXPECT_EQ(0, FitTextToBox(editor_, TenStateHandle(editor_), 0, &w, &h, FALSE));
    EXPECT_EQ(1200, w);
    EXPECT_EQ(1200, h);
    s = Lock();
    EXPECT_EQ(1200, s->fittedHeight);
    EXPECT_EQ(1200, s->width);
    EXPECT_EQ(30, s->margins.left);
    Unlock();
    EXPECT_EQ(4321, Lines()[0].y);
}

TEST_F(EditorTest, TextFittingAtEveryProbeEndsAtTheSmallestProbe)
{
    TenCreateParams p = Params("ab");
    ASSERT_NE(nullptr, Create(&p, 200, 100));
    int low = 600, high = 1800, smallest = high;
    while (high - low >= 16) {
        const int t = (low + high) / 2;
        smallest = t;
        high = t;
    }
    int w = 0, h = 0;
    EXPECT_EQ(0, FitTextToBox(editor_, TenStateHandle(editor_), 1200, &w, &h, FALSE));
    EXPECT_EQ(smallest, h);
    EXPECT_EQ(1200 * smallest / 600, w);
    TenState* s = Lock();
    EXPECT_EQ(1200, s->width);
    EXPECT_EQ(600, s->height);
    EXPECT_LT(s->fittedHeight, smallest);
    Unlock();
}

TEST_F(EditorTest, FlatBoxKeepsItsWidthWhenFitted)
{
    TenCreateParams p = Params("ab");
    ASSERT_NE(nullptr, Create(&p, 200, 100));
    Send(TEN_SETEXTENT, 0, MAKELPARAM(1200, 0));
    int w = 0, h = 0;
    EXPECT_EQ(0, FitTextToBox(editor_, TenStateHandle(editor_), 600, &w, &h, FALSE));
    EXPECT_EQ(1200, w);
    EXPECT_GT(h, 0);
}

}  // namespace

namespace {

TEST_F(EditorTest, FontCacheFlushRemakesTheEditorsFonts)
{
    TenCreateParams p = Params("abc");
    ASSERT_NE(nullptr, Create(&p));
    HFONT before = reinterpret_cast<HFONT>(static_cast<INT_PTR>(Runs()[0].font));
    ASSERT_NE(nullptr, before);
    ASSERT_TRUE(HandleFontCacheMessage(parent_, VXM_FLUSHFONTS));
    HFONT after = reinterpret_cast<HFONT>(static_cast<INT_PTR>(Runs()[0].font));
    ASSERT_NE(nullptr, after);
    LOGFONTA logFont;
    EXPECT_NE(0, GetObjectA(after, sizeof(logFont), &logFont));
    EXPECT_EQ(1, CachedFaceCount());
}

TEST_F(EditorTest, PaintingKeepsTheTextInsideTheMargins)
{
    TenCreateParams p = Params("HHHHHHHHHHHHHHHHHHHHHHHH");
    p.options = 0;
    SetRect(&p.margins, 120, 60, 600, 60);
    ASSERT_NE(nullptr, Create(&p, 200, 100));
    Canvas canvas(200, 100);
    canvas.Clear(0);
    RECT all = {0, 0, 200, 100};
    TenPaint(canvas.dc(), editor_, &all);
    int inside = 0, outside = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            const COLORREF c = canvas.Pixel(x, y);
            if (GetRValue(c) > 100) continue;
            (x >= 20 && x < 100 && y >= 10 && y < 90 ? inside : outside)++;
        }
    EXPECT_GT(inside, 50);
    EXPECT_EQ(0, outside);
}

}  // namespace

namespace {

TEST_F(EditorTest, CaretOutOfViewScrollsTheParentWithinItsRange)
{
    TenCreateParams p = Params("l0\rl1\rl2\rl3\rl4\rl5\rl6\rl7\rl8\rl9");
    ASSERT_NE(nullptr, Create(&p, 300, 200));
    SetRect(&g_viewArea, 0, 0, 800, 60);
    Send(TEN_UPDATEPOSITION, 0, 0);
    Send(TEN_SETSELECTION, 0, MAKELPARAM(29, 29));
    for (int maximum : {1000, 20}) {
        SetScrollRange(parent_, SB_VERT, 0, maximum, FALSE);
        SetScrollPos(parent_, SB_VERT, 0, FALSE);
        Notices();
        TenState* s = Lock();
        const TextLine last = Lines().back();
        const int needed = (last.y + last.height - s->visible.bottom) / 6;
        ScrollCaretIntoView(editor_, s, nullptr, &s->selEnd, FALSE);
        Unlock();
        int scrolls = 0;
        for (const Notice& n : Notices()) {
            ASSERT_NE(static_cast<UINT>(WM_HSCROLL), n.message);
            if (n.message != WM_VSCROLL) continue;
            ++scrolls;
            EXPECT_EQ(kTenScrollBy, LOWORD(n.wParam));
            const int distance = static_cast<SHORT>(HIWORD(n.wParam));
            if (maximum == 20) EXPECT_EQ(20, distance);
            else EXPECT_NEAR(needed, distance, 1);
        }
        EXPECT_EQ(1, scrolls) << maximum;
    }
}

}  // namespace
