// Fitting objects to their stored text, and the edited object growing with its text.
#include <gtest/gtest.h>

#include <cstdlib>

#include "frame/text_growth.h"
#include "object_text_fixture.h"
#include "text/object_text.h"
#include "text/ten_messages.h"
#include "text/text_paint.h"

namespace {

using ObjectTextFitTest = ObjectTextTest;

const char kLongLine[] = "A line of text much wider than the shape it lives in";

int Layout(ObjectTextTest* test, int row, int anchor = 0)
{
    int result = -1;
    test->Change(row, [&](DrawObject& o, Drawing& d) { result = LayoutObjectText(&d, &o, anchor); });
    return result;
}

TEST_F(ObjectTextFitTest, NoTextOrAnEmptyTextLeavesTheObject)
{
    const int shape = AddShape({1200, 1200, 2400, 1800});
    const DrawObject before = Object(shape);
    EXPECT_EQ(0, Layout(this, shape));
    EXPECT_EQ(before.frame, Object(shape).frame);
    StoreText(shape, MakeTextBlock(""));
    EXPECT_EQ(0, Layout(this, shape));
    EXPECT_EQ(before.frame, Object(shape).frame);
    for (const DamagedText& damaged : DamagedTexts()) {
        SCOPED_TRACE(damaged.name);
        StoreText(shape, damaged.block);
        EXPECT_EQ(0, Layout(this, shape));
        EXPECT_EQ(before.frame, Object(shape).frame);
        const std::vector<BYTE> stored = StoredText(shape);
        ASSERT_GE(stored.size(), damaged.block.size());
        EXPECT_EQ(damaged.block, std::vector<BYTE>(stored.begin(), stored.begin() + damaged.block.size()));
    }
}

TEST_F(ObjectTextFitTest, ATextOutgrowingItsObjectMovesTheSidesItsAlignmentNames)
{
    struct Case {
        int alignH, alignV, angle;
        bool leftStays, rightStays, centreStays;
    };
    const Case cases[] = {
        {0, 0, 0, true, false, false},
        {2, 0, 0, false, true, false},
        {6, 0, 0, false, false, true},
        {0, 0, 300, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.alignH << " " << c.angle);
        const int shape = AddShape({6000, 3000, 6600, 3300});
        Change(shape, [&](DrawObject& o, Drawing&) {
            o.textFit = 1;
            o.textAlignH = c.alignH;
            o.textAlignV = c.alignV;
            o.angle = c.angle;
        });
        StoreText(shape, MakeTextBlock(kLongLine, c.alignH));
        const RECT before = Object(shape).frame;
        ASSERT_EQ(0, Layout(this, shape));
        const RECT after = Object(shape).frame;
        EXPECT_GT(after.right - after.left, before.right - before.left);
        EXPECT_EQ(c.leftStays, after.left == before.left);
        EXPECT_EQ(c.rightStays, after.right == before.right);
        if (c.centreStays) {
            EXPECT_LE(std::abs((after.left + after.right) - (before.left + before.right)), 1);
        }
        EXPECT_GT(StoredHeader(shape).lineCount, 0);
    }
}

TEST_F(ObjectTextFitTest, ABottomAlignedWrappedTextGrowsUpwards)
{
    const int shape = AddShape({3000, 6000, 3600, 6300});
    Change(shape, [](DrawObject& o, Drawing&) {
        o.textFit = 2;
        o.textAlignV = 8;
    });
    StoreText(shape, MakeTextBlock(kLongLine));
    ASSERT_EQ(0, Layout(this, shape));
    const RECT after = Object(shape).frame;
    EXPECT_EQ(6300, after.bottom);
    EXPECT_LT(after.top, 6000);
    EXPECT_EQ(RECT({3000, after.top, 3600, 6300}), after);
}

TEST_F(ObjectTextFitTest, AWrappingTextOfFitMode1BecomesFitMode2)
{
    const int shape = AddShape({1200, 1200, 1800, 1500});
    Change(shape, [](DrawObject& o, Drawing&) { o.textFit = 1; });
    StoreText(shape, MakeTextBlock(kLongLine, 0, 12, TenOptWordWrap));
    ASSERT_EQ(0, Layout(this, shape));
    EXPECT_EQ(2, Object(shape).textFit);
    EXPECT_TRUE(StoredHeader(shape).options & TenOptWordWrap);
}

TEST_F(ObjectTextFitTest, ATextLargerThanThePageIsRefusedAndChangesNothing)
{
    const int shape = AddShape({1200, 1200, 1800, 1500});
    Change(shape, [](DrawObject& o, Drawing&) { o.textFit = 1; });
    const int pageWidth = LockDrawing()->pageWidth;
    StoreText(shape, MakeTextBlock(std::string(pageWidth / 400, 'W'), 0, 144));
    const DrawObject before = Object(shape);
    EXPECT_EQ(10009, Layout(this, shape));
    EXPECT_EQ(before.frame, Object(shape).frame);
    EXPECT_EQ(1, Object(shape).textFit);
}

// The editor's size request moves the edited object's frame around the side its alignment
// names; an editor of a turned object grows both ways.
TEST_F(ObjectTextFitTest, AGrowingEditorMovesByItsAlignmentAndStaysInTheDrawingArea)
{
    struct Case {
        RECT frame;
        bool turned;
        int grow;
        POINT origin;
    };
    const Case cases[] = {
        {{1200, 1200, 2400, 1800}, false, 101, {1200, 1200}},
        {{1200, 1200, 2400, 1800}, true, 101, {1150, 1200}},
        {{0, 1200, 1200, 1800}, true, 100, {0, 1200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame.left);
        const int shape = AddShape(c.frame);
        StoreText(shape, MakeTextBlock("Text"));
        ASSERT_EQ(0, Begin(shape, c.frame.left + 10, c.frame.top + 10));
        if (c.turned) SendMessageA(Editor(), TEN_CHANGEFLAGS, TenFlagRotated, 1);
        INT32 size[2] = {c.frame.right - c.frame.left + c.grow, c.frame.bottom - c.frame.top};
        EXPECT_EQ(1, SendMessageA(view_, TenNoticeResize, reinterpret_cast<WPARAM>(Editor()),
                                  reinterpret_cast<LPARAM>(size)));
        EXPECT_EQ(c.origin.x, EditorState().originX);
        EXPECT_EQ(c.origin.y, EditorState().originY);
        ASSERT_EQ(0, End(-1));
    }
}

TEST_F(ObjectTextFitTest, ASizeRequestFromAnotherKindOfEditorChangesNothing)
{
    const int shape = AddShape({1200, 1200, 2400, 1800});
    StoreText(shape, MakeTextBlock("Text"));
    ASSERT_EQ(0, Begin(shape, 1300, 1300));
    SendMessageA(Editor(), TEN_CHANGEFLAGS, TenFlagRotated, 1);
    {
        Locked<TenState> state(TenStateHandle(Editor()));
        state->editorKind = 2;
    }
    INT32 size[2] = {1500, 600};
    EXPECT_EQ(1, OnEditorSizeRequest(view_, reinterpret_cast<LPARAM>(size)));
    EXPECT_EQ(1200, EditorState().originX);
    EXPECT_EQ(1, OnEditorSizeRequest(view_, 0));
}

}  // namespace
