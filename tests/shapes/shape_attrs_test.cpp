// Shape style and geometry messages: frames from a rectangle or a dragged handle, border, fill
// and colour rules, derived rectangles, and undo of each through the model's edit operations.
#include <gtest/gtest.h>

#include <string>

#include "model/edit_ops.h"
#include "model/undo.h"
#include "shape_fixture.h"
#include "geometry/point_geometry.h"
#include "shapes/shape_kinds.h"

namespace {

bool Same(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != 0;
}

TEST_F(ShapeClass, FrameFromARectangleKeepsTheMinimumSize)
{
    const int row = Add(ShapeRectangle, RECT{600, 600, 1200, 900});
    RECT small = {300, 400, 310, 410};
    EXPECT_EQ(0, Send(row, OM_SETFRAME, 0, 0, &small));
    EXPECT_TRUE(Same(RECT{300, 400, 324, 424}, Object(row).frame));
    EXPECT_EQ(24, Object(row).createdWidth);
    // Unrotated, shadowless: the update rect is the frame grown by 30.
    EXPECT_TRUE(Same(RECT{270, 370, 354, 454}, Object(row).updateRect));
}

TEST_F(ShapeClass, DraggedHandleOfARotatedShapeKeepsTheAnchorOnScreen)
{
    const int row = Add(ShapeRectangle, RECT{1000, 1000, 1600, 1300});
    Change(row, [](DrawObject& s, Drawing&) { s.angle = 900; });
    const RECT old = Object(row).frame;
    POINT before = {old.left, old.top};
    RotatePoints(&old, 900, &before, 1);

    RECT grown = {1000, 1000, 1900, 1500};
    EXPECT_EQ(0, Send(row, OM_DRAGHANDLE, 1, 0, &grown));
    const RECT now = Object(row).frame;
    EXPECT_EQ(900, now.right - now.left);
    EXPECT_EQ(500, now.bottom - now.top);
    POINT after = {now.left, now.top};
    RotatePoints(&now, 900, &after, 1);
    EXPECT_NEAR(before.x, after.x, 1);
    EXPECT_NEAR(before.y, after.y, 1);

    // With the skip flag the rect is taken as it is.
    EXPECT_EQ(0, Send(row, OM_DRAGHANDLE, 1, 1, &grown));
    EXPECT_TRUE(Same(grown, Object(row).frame));

    // An anchored move that would pass 32,000 is held there: the left-top corner of this
    // frame turns to (31150, 32150), and the small rect would follow it to bottom 32150.
    Change(row, [](DrawObject& s, Drawing&) { s.frame = RECT{31000, 31700, 31600, 32000}; });
    RECT small = {31000, 31700, 31100, 31800};
    EXPECT_EQ(0, Send(row, OM_DRAGHANDLE, 1, 0, &small));
    const RECT held = Object(row).frame;
    // x is one unit less than the exact figure: the cosine of 90 degrees is truncated.
    EXPECT_TRUE(Same(RECT{31149, 31900, 31249, 32000}, held));
}

TEST_F(ShapeClass, BorderMessagesSetTheDrawingDefaults)
{
    const int row = Add(ShapeRectangle, RECT{600, 600, 1200, 900});
    Change(row, [](DrawObject& s, Drawing&) { s.lineWidth = 0, s.lineStyle = 3; });
    INT32 pair[2] = {0, 2};
    EXPECT_EQ(0, Send(row, OM_SETBORDERSTYLE, 0, 0, pair));
    EXPECT_EQ(2, Object(row).lineStyle);
    EXPECT_EQ(1, Object(row).lineWidth);
    {
        Locked<Drawing> d(state_->drawing);
        EXPECT_EQ(1, d->defaults.defaultBorderWidth);
    }
    pair[1] = 36;
    EXPECT_EQ(0, Send(row, OM_SETBORDERWIDTH, 1, 0, pair));
    EXPECT_EQ(36, Object(row).lineWidth);
    EXPECT_EQ(1, Object(row).lineStyle);
    EXPECT_TRUE(Same(RECT{636, 636, 1164, 864}, Object(row).innerRect));

    // A colour with the add-border flag on a borderless shape, default width 0: 12, solid.
    Change(row, [](DrawObject& s, Drawing& d) { s.lineWidth = 0, s.lineStyle = 3, d.defaults.defaultBorderWidth = 0; });
    COLORREF red = RGB(255, 0, 0);
    EXPECT_EQ(0, Send(row, OM_SETBORDERCOLOR, 1, 0, &red));
    EXPECT_EQ(red, Object(row).lineColor);
    EXPECT_EQ(12, Object(row).lineWidth);
    EXPECT_EQ(1, Object(row).lineStyle);
    // Without the flag only the colour changes.
    Change(row, [](DrawObject& s, Drawing&) { s.lineWidth = 0; });
    EXPECT_EQ(0, Send(row, OM_SETBORDERCOLOR, 0, 0, &red));
    EXPECT_EQ(0, Object(row).lineWidth);
}

TEST_F(ShapeClass, FillPatternAndColourRules)
{
    const int row = Add(ShapeRectangle, RECT{600, 600, 1200, 900});
    struct Case {
        int pattern;
        COLORREF fill, line;
        int request;
        int wantPattern;
        COLORREF wantLine;
    } cases[] = {
        {0, RGB(1, 2, 3), RGB(0, 0, 0), 1, 0, RGB(0, 0, 0)},           // solid on hollow: nothing
        {3, static_cast<COLORREF>(-1), 0, 1, 0, 0},                     // solid without colour: hollow
        {3, RGB(1, 2, 3), 0, 1, 1, 0},
        {1, RGB(9, 9, 9), RGB(9, 9, 9), 4, 4, RGB(0, 0, 0)},           // hatch: border leaves the fill colour
        {1, RGB(0, 0, 0), RGB(0, 0, 0), 4, 4, RGB(255, 255, 255)},
        {1, static_cast<COLORREF>(-1), RGB(255, 255, 255), 5, 5, 0},    // no fill: the white background
        {1, RGB(9, 9, 9), RGB(1, 1, 1), 4, 4, RGB(1, 1, 1)},
    };
    for (const Case& c : cases) {
        Change(row, [&](DrawObject& s, Drawing& d) {
            s.fillPattern = c.pattern, s.fillColor = c.fill, s.lineColor = c.line;
            d.style.backgroundColor = static_cast<COLORREF>(-1);
        });
        INT32 pair[2] = {0, c.request};
        EXPECT_EQ(0, Send(row, OM_SETFILLPATTERN, 0, 0, pair));
        EXPECT_EQ(c.wantPattern, Object(row).fillPattern) << c.pattern << " " << c.request;
        EXPECT_EQ(c.wantLine, Object(row).lineColor) << c.pattern << " " << c.request;
    }

    Change(row, [](DrawObject& s, Drawing&) { s.fillPattern = 1, s.fillColor = RGB(5, 5, 5); });
    COLORREF none = static_cast<COLORREF>(-1), blue = RGB(0, 0, 255);
    EXPECT_EQ(0, Send(row, OM_SETFILLCOLOR, 0, 0, &none));
    EXPECT_EQ(0, Object(row).fillPattern);
    EXPECT_EQ(0, Send(row, OM_SETFILLCOLOR, 0, 0, &blue));
    EXPECT_EQ(0, Object(row).fillPattern);   // hollow, not forced: left alone
    EXPECT_EQ(none, Object(row).fillColor);
    EXPECT_EQ(0, Send(row, OM_SETFILLCOLOR, 1, 0, &blue));
    EXPECT_EQ(1, Object(row).fillPattern);
    EXPECT_EQ(blue, Object(row).fillColor);

    // An attached label keeps a fill of the background's colour (white when the background has
    // none) unless forced; a label without a fill colour of its own takes the new one.
    const COLORREF grey = RGB(1, 2, 3), white = RGB(255, 255, 255);
    struct Label {
        COLORREF background, fill;
        BOOL force;
        COLORREF want;
    } labels[] = {
        {none, white, FALSE, white}, {none, none, FALSE, blue},  {grey, grey, FALSE, grey},
        {grey, white, FALSE, blue},  {none, white, TRUE, blue},
    };
    for (const Label& c : labels) {
        Change(row, [&](DrawObject& s, Drawing& d) {
            s.state |= StateAttachedLabel, s.fillPattern = 4, s.fillColor = c.fill;
            d.style.backgroundColor = c.background;
        });
        EXPECT_EQ(0, Send(row, OM_SETFILLCOLOR, c.force, 0, &blue));
        EXPECT_EQ(c.want, Object(row).fillColor) << c.background << " " << c.fill << " " << c.force;
    }
}

TEST_F(ShapeClass, ShadowStylesOneAndTwoNarrowTheInnerRect)
{
    const int row = Add(ShapeRectangle, RECT{600, 600, 1200, 900});
    for (int style = 0; style <= 5; ++style) {
        Change(row, [&](DrawObject& s, Drawing& d) {
            s.lineWidth = 12;
            d.style.shadowStyle = style;
            d.style.shadowDx = -20;
            d.style.shadowDy = 30;
        });
        EXPECT_EQ(0, Send(row, OM_RECALC));
        const RECT inner = Object(row).innerRect;
        const bool narrowed = style == 1 || style == 2;
        EXPECT_TRUE(Same(narrowed ? RECT{632, 642, 1168, 858} : RECT{612, 612, 1188, 888}, inner)) << style;
    }
}

TEST_F(ShapeClass, SizeBoundsAndHandleRects)
{
    const int row = Add(ShapeRectangle, RECT{600, 600, 1200, 900});
    INT32 size[2];
    EXPECT_EQ(0, Send(row, OM_GETSIZE, 0, 0, size));
    EXPECT_EQ(600, size[0]);
    EXPECT_EQ(300, size[1]);
    POINT delta = {10, 20};
    struct Case {
        int anchor;
        RECT want;
    } cases[] = {{1, {600, 600, 1210, 920}}, {2, {610, 600, 1200, 920}}, {3, {600, 620, 1210, 900}},
                 {4, {610, 620, 1200, 900}}, {5, {600, 600, 1200, 920}}, {6, {600, 620, 1200, 900}},
                 {7, {600, 600, 1210, 900}}, {8, {610, 600, 1200, 900}}, {99, {600, 600, 1210, 920}}};
    for (const Case& c : cases) {
        RECT out;
        EXPECT_EQ(0, Send(row, OM_MOVEHANDLERECT, c.anchor, static_cast<int>(reinterpret_cast<INT_PTR>(&delta)), &out));
        EXPECT_TRUE(Same(c.want, out)) << c.anchor;
    }
    Change(row, [](DrawObject& s, Drawing&) { s.angle = 900; });
    RECT bounds;
    EXPECT_EQ(0, Send(row, OM_GETBOUNDS, 1, 1, &bounds));
    // cos 90 degrees is not exactly 0 in doubles: the truncation takes the top-left one unit out.
    EXPECT_TRUE(Same(RECT{749, 449, 1050, 1050}, bounds));
    EXPECT_EQ(0, Send(row, OM_GETBOUNDS, 0, 1, &bounds));
    EXPECT_TRUE(Same(RECT{600, 600, 1200, 900}, bounds));
}

TEST_F(ShapeClass, AttributeAndFrameEditsUndoByteForByte)
{
    const int row = Add(ShapeRectangle, RECT{600, 600, 1200, 900});
    Change(row, [](DrawObject& s, Drawing& d) { s.state |= StateSelected, d.selectedCount = 1; });
    INT32 pair[2] = {0, 5};
    COLORREF color = RGB(3, 4, 5);
    struct Step {
        int message;
        void* value;
    } steps[] = {{OM_SETBORDERWIDTH, pair}, {OM_SETBORDERSTYLE, pair}, {OM_SETFILLPATTERN, pair},
                 {OM_SETBORDERCOLOR, &color}, {OM_SETFILLCOLOR, &color}, {OM_REFRESHEFFECTS, nullptr}};
    for (const Step& step : steps) {
        const std::string before = ObjectBytes();
        ASSERT_EQ(0, ApplyToSelection(view_, step.message, 1, step.value, FALSE));
        const std::string after = ObjectBytes();
        ASSERT_EQ(0, UndoLastChange(view_, TRUE));
        EXPECT_TRUE(before == ObjectBytes()) << step.message;
        ASSERT_EQ(0, UndoLastChange(view_, TRUE));
        EXPECT_TRUE(after == ObjectBytes()) << step.message;
    }
    const std::string before = ObjectBytes();
    ASSERT_EQ(0, SaveUndoState(view_, UndoResize));
    RECT rect = {100, 100, 700, 500};
    ASSERT_EQ(0, ReshapeObject(view_, row, &rect, 0, FALSE, FALSE));
    EXPECT_TRUE(Same(rect, Object(row).frame));
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_TRUE(before == ObjectBytes());
}

} // namespace
