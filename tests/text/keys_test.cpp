// Keys, characters, presses and the caret keys of the text editor: what is taken, what reaches
// the parent, and where the selection ends up.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "editing_support.h"
#include "text/ten_window.h"

namespace {

using Sel = std::pair<int, int>;

using MouseSelectionTest = EditingTest;

TEST_F(MouseSelectionTest, ShiftClickExtendsFromTheAnchor)
{
    Make("one two three four");
    Click(4);
    Click(8, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(Sel(4, 8), Selection());
    Click(13, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(Sel(4, 13), Selection());
    Click(1, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT);   // left of the anchor: reversed around it
    EXPECT_EQ(Sel(1, 4), Selection());
}

TEST_F(MouseSelectionTest, DoubleClickTakesTheWordAndItsBlanks)
{
    Make("ab  cd.ef");
    Click(1, WM_LBUTTONDBLCLK);
    EXPECT_EQ(Sel(0, 4), Selection());
    EXPECT_TRUE(Send(TEN_GETOPTIONS) & TenOptWordSelect);
    Click(5, WM_LBUTTONDBLCLK);
    EXPECT_EQ(Sel(4, 6), Selection());
}

TEST_F(MouseSelectionTest, DraggingAfterADoubleClickSelectsWholeWordsAroundTheFirst)
{
    Make("one two three four");
    auto at = [&](int index) {
        const POINT p = PointAt(index);
        return MAKELPARAM(p.x, p.y);
    };
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, at(5));
    EXPECT_EQ(Sel(4, 8), Selection());
    Send(WM_MOUSEMOVE, MK_LBUTTON, at(15));
    EXPECT_EQ(Sel(4, 18), Selection());
    Send(WM_MOUSEMOVE, MK_LBUTTON, at(1));
    EXPECT_EQ(Sel(0, 8), Selection());
    Send(WM_LBUTTONUP, 0, at(1));
    EXPECT_FALSE(g_tenTracking);
}

TEST_F(MouseSelectionTest, DoubleClickOnAWordBrokenAcrossLinesTakesAllOfIt)
{
    const std::string word(60, 'w');
    Make(("ab " + word).c_str(), 80, 300);
    const auto lines = Lines();
    ASSERT_GE(lines.size(), 3u);
    Click(lines[2].firstChar + 1, WM_LBUTTONDBLCLK);
    EXPECT_EQ(Sel(3, 63), Selection());
}

TEST_F(MouseSelectionTest, APressWhileAnotherEditorDragsIsIgnored)
{
    Make("one two");
    Select(2, 2);
    g_tenTracking = TRUE;
    const POINT at = PointAt(5);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    g_tenTracking = FALSE;
    EXPECT_EQ(Sel(2, 2), Selection());
}

using KeyTest = EditingTest;

TEST_F(KeyTest, SingleLineEditorPassesEnterUpAndDown)
{
    Make("one", [](TenCreateParams& p) { p.options = TenOptSingleLine; });
    Select(3, 3);
    Notices();
    PostMessageA(editor_, WM_CHAR, 13, 1);
    for (int key : {VK_RETURN, VK_UP, VK_DOWN}) Key(key);
    MSG msg;
    while (PeekMessageA(&msg, editor_, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    int passed = 0;
    for (const Notice& n : Notices()) passed += n.message == WM_KEYDOWN;
    EXPECT_EQ(3, passed);
    EXPECT_EQ("one", Text());
}

TEST_F(KeyTest, WholeTextModeIgnoresCaretKeysAndATypedCharacterReplacesAll)
{
    Make("one two");
    EXPECT_EQ(0, Send(TEN_SETWHOLETEXTMODE, 0, 1));
    for (int key : {VK_LEFT, VK_BACK, VK_HOME}) Key(key);
    EXPECT_EQ("one two", Text());
    EXPECT_EQ(Sel(0, 7), Selection());
    Type("x");
    EXPECT_EQ("x", Text());
    EXPECT_FALSE(Send(TEN_GETOPTIONS) & TenOptWholeText);
}

TEST_F(KeyTest, ControlCharactersBecomeHardSpaceAndSoftHyphen)
{
    Make("ab");
    Select(1, 1);
    {
        HeldKeys ctrl({VK_CONTROL});
        Send(WM_CHAR, ' ', 1);
        Send(WM_KEYDOWN, VK_OEM_MINUS, 1);
    }
    EXPECT_EQ(std::string("a\002\001b"), Text());
    Notices();
    Send(WM_CHAR, 1, 1);   // a typed Ctrl+A
    int passed = 0;
    for (const Notice& n : Notices()) passed += n.message == WM_CHAR;
    EXPECT_EQ(1, passed);
}

TEST_F(KeyTest, NumericFilterTakesOnlyWhatItsBitsAllow)
{
    struct Case {
        int filter;
        const char* typed;
        const char* expected;
    } cases[] = {{6, "1-2.3,e4x", "1234"}, {1, "1-2,5e3x", "1-2.5e3"}};
    for (const Case& c : cases) {
        Make("", [&](TenCreateParams& p) { p.numericMode = c.filter; });
        Type(c.typed);
        EXPECT_EQ(c.expected, Text()) << c.filter;
    }
}

TEST_F(KeyTest, F3SelectsTheWordAtTheCaretThenTheNextOne)
{
    Make("ab  cd ef");
    Select(0, 0);
    Key(VK_F3);
    EXPECT_EQ(Sel(0, 4), Selection());
    Key(VK_F3);
    EXPECT_EQ(Sel(4, 7), Selection());
    Key(VK_F2);
    EXPECT_EQ(Sel(0, 4), Selection());
}

using CaretKeyTest = EditingTest;

TEST_F(CaretKeyTest, CaretStaysAtTheEndsOfTheText)
{
    Make("abc");
    Select(0, 0);
    Key(VK_LEFT);
    EXPECT_EQ(Sel(0, 0), Selection());
    Select(3, 3);
    Key(VK_RIGHT);
    EXPECT_EQ(Sel(3, 3), Selection());
}

TEST_F(CaretKeyTest, ASelectionCollapsesWithoutMoving)
{
    struct Case {
        int key;
        int at;
    } cases[] = {{VK_LEFT, 2}, {VK_UP, 2}, {VK_RIGHT, 5}, {VK_DOWN, 5}};
    for (const Case& c : cases) {
        Make("one two\rthree four\rfive");
        Select(2, 5);
        Key(c.key);
        EXPECT_EQ(Sel(c.at, c.at), Selection()) << c.key;
    }
}

TEST_F(CaretKeyTest, RightAtAWrappedLinesEndGoesToTheNextLine)
{
    Make("alpha beta gamma delta epsilon", 60, 300);
    const auto lines = Lines();
    ASSERT_GE(lines.size(), 2u);
    const int end = lines[0].firstChar + lines[0].charCount;
    Select(end - 1, end - 1);
    Key(VK_RIGHT);
    TenState* s = Lock();
    EXPECT_EQ(end, s->selStart.charIndex);
    EXPECT_EQ(1, s->selStart.lineIndex);
    Unlock();

    Select(end - 1, end - 1);
    Key(VK_RIGHT, {VK_SHIFT});
    s = Lock();
    EXPECT_EQ(end, s->selEnd.charIndex);
    EXPECT_EQ(0, s->selEnd.lineIndex);
    Unlock();
    Key(VK_RIGHT, {VK_SHIFT});
    EXPECT_EQ(Sel(end - 1, end + 1), Selection());
}

TEST_F(CaretKeyTest, CtrlRightStopsAfterTheWordAndAtParagraphEnds)
{
    struct Case {
        int from;
        int to;
    } cases[] = {{1, 4}, {5, 7}, {8, 10}, {10, 12}};   // 8: the paragraph end stops the step
    for (const Case& c : cases) {
        Make("ab  cd ef\rgh");
        Select(c.from, c.from);
        Key(VK_RIGHT, {VK_CONTROL});
        EXPECT_EQ(Sel(c.to, c.to), Selection()) << c.from;
    }
}

TEST_F(CaretKeyTest, FieldModeKeepsANumberWithAPeriodOneWord)
{
    struct Case {
        bool field;
        Sel word;
    } cases[] = {{true, {0, 5}}, {false, {0, 1}}};
    for (const Case& c : cases) {
        Make("3.14 x");
        if (c.field) Send(TEN_CHANGEFLAGS, TenFlagFieldMode, 1);
        Select(0, 0);
        Send(TEN_WORDSTEPFORWARD);
        EXPECT_EQ(c.word, Selection()) << c.field;
    }
}

}  // namespace
