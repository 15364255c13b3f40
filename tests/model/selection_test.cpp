// Shared model operations: handle rects, shadows, line directions, unit boxes, extents, owners,
// menu flags, redraw in drawing units, the view record.
#include <gtest/gtest.h>

#include "editing/edit_services.h"
#include "frame/frame_services.h"
#include "geometry/line_direction.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/objects.h"
#include "model/selection.h"
#include "model/window_utils.h"
#include "text/object_text.h"
#include "support/model_fixture.h"

TEST(Selection, ClassifyLineDirection)
{
    struct Case {
        int x2, y2, mode, expected;
    };
    for (Case c : {Case{5, 2, 0, 2}, {10, 2, 0, 1}, {0, 0, 0, 0}, {7, 0, 0, 0}, {0, 7, 1, 2}, {6, 133, 1, 2},
                   {100, 4, 1, 1}, {100, 3, 1, 0}, {0, 0, 1, 0}})
        EXPECT_EQ(c.expected, ClassifyLineDirection(0, 0, c.x2, c.y2, c.mode)) << c.x2 << "," << c.y2 << " mode " << c.mode;
}

TEST(Selection, FitRectInUnitBoxScalesByTheSmallerFactor)
{
    RECT rect = {100, 200, 1300, 500};
    POINT point = {700, 350};
    FitRectInUnitBox(&rect, &point);
    EXPECT_EQ((RECT{0, 0, 600, 150}), rect);
    EXPECT_EQ(300, point.x);
    EXPECT_EQ(75, point.y);
    RECT small = {10, 10, 310, 110};
    POINT p = {20, 20};
    FitRectInUnitBox(&small, &p);
    EXPECT_EQ((RECT{0, 0, 300, 100}), small);
    EXPECT_EQ(10, p.x);
}

TEST(Selection, ShapeHandlesAndTheShortSideRule)
{
    DrawObject o = {};
    o.frame = {1000, 1000, 1300, 1600};        // 300 wide, 600 high
    o.updateRect = {970, 970, 1330, 1630};
    RECT r;
    GetHandleRect(&o, &r, 1, nullptr);
    EXPECT_EQ((RECT{970, 970, 1024, 1024}), r);
    GetHandleRect(&o, &r, 4, nullptr);
    EXPECT_EQ((RECT{1276, 1576, 1330, 1630}), r);
    GetHandleRect(&o, &r, 5, nullptr);
    EXPECT_TRUE(IsRectEmpty(&r));               // 150 < 192
    GetHandleRect(&o, &r, 8, nullptr);
    EXPECT_EQ((RECT{1276, 1270, 1330, 1324}), r);
    o.handleLayout = 2;
    GetHandleRect(&o, &r, 6, nullptr);
    EXPECT_EQ((RECT{1120, 1576, 1174, 1630}), r);
    POINT points[8] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}, {100, 200}};
    GetHandleRect(&o, &r, 7, points);
    EXPECT_EQ((RECT{70, 170, 124, 224}), r);   // code 7 is the left middle, point 7
    o.axisCoord = 1200;
    GetHandleRect(&o, &r, 20, nullptr);
    EXPECT_EQ((RECT{970, 1173, 1024, 1227}), r);
}

TEST_F(ModelTest, ShadowMarginsByStyle)
{
    Locked<Drawing> d = LockDrawing();
    struct Case {
        int style, dx, dy;
        RECT expected;
    };
    for (Case c : {Case{5, -12, 24, {12, 0, 0, 24}}, {1, 6, 6, {6, 6, 6, 6}}, {4, 24, -24, {0, 24, 24, 0}},
                   {0, 24, 24, {0, 0, 0, 0}}, {6, 24, 24, {0, 0, 0, 0}}}) {
        d->style.shadowStyle = c.style;
        d->style.shadowDx = c.dx;
        d->style.shadowDy = c.dy;
        d->style.shadowClassMask = 1;
        RECT m;
        GetShadowOffsetRect(d.get(), &m, 0);
        EXPECT_EQ(c.expected, m) << "style " << c.style;
        GetShadowOffsetRect(d.get(), &m, 2);   // a mask sharing no bit
        EXPECT_TRUE(IsRectEmpty(&m));
    }
}

TEST_F(ModelTest, ExtentOfObjectsAndOfTheSelection)
{
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        RECT extent = {1, 1, 1, 1};
        GetDrawingExtent(d.get(), objects.get(), &extent, FALSE, FALSE);
        EXPECT_EQ((RECT{0, 0, 0, 0}), extent);
    }
    int a = Add(ClassShape, 600, 600, 300, 300);
    int line = Add(ClassLine, 3000, 1200, 600, 0);   // a flat line gets one unit of height
    Locked<Drawing> d = LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    RECT extent;
    GetDrawingExtent(d.get(), objects.get(), &extent, FALSE, FALSE);
    EXPECT_EQ((RECT{600, 600, 3600, 1201}), extent);
    (*objects)[line].state |= StateSelected;
    GetDrawingExtent(d.get(), objects.get(), &extent, TRUE, TRUE);
    EXPECT_EQ((RECT{2970, 1170, 3630, 1230}), extent);
    (void)a;
}

TEST_F(ModelTest, OwnerOfALabelIsItsHostAndOfAMemberItsArray)
{
    int array = Add(ClassArray);
    int member = Add(ClassShape);
    int host = Add(ClassLine);
    int label = Add(ClassShape);
    g_recorder.hookCapacity = 1;
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), member, -1, array, 306, 0, 0));
        Locked<ObjectList> objects(d->objectList);
        (*objects)[label].state |= StateAttachedLabel;
        (*objects)[label].labelId = (*objects)[host].objId;
        (*objects)[label].labelRow = 0;   // stale hint
        EXPECT_EQ(array, FindOwnerObject(objects.get(), member, FALSE));
        EXPECT_EQ(-1, FindOwnerObject(objects.get(), member, TRUE));
        EXPECT_EQ(host, FindOwnerObject(objects.get(), label, FALSE));
        EXPECT_EQ(host, (*objects)[label].labelRow);
        (*objects)[label].labelId = 999;   // the host is gone
        EXPECT_EQ(-1, FindOwnerObject(objects.get(), label, FALSE));
        EXPECT_EQ(kNoLabel, (*objects)[label].labelId);
    }
}

TEST_F(ModelTest, MenuFlagsCountUnitsNotLabelsOrFixedMembers)
{
    int a = Add(ClassShape), b = Add(ClassShape), label = Add(ClassShape);
    g_recorder.answer = [](int message, DrawObject*) { return message == OM_GETCAPS ? 0x100 : 0; };
    auto select = [&](std::initializer_list<int> rows, DWORD extra = 0) {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        for (int r = 0; r < objects->count; ++r) (*objects)[r].state &= ~DWORD(StateSelected);
        for (int r : rows) (*objects)[r].state |= StateSelected | extra;
    };
    auto flags = [&] {
        Locked<Drawing> d = LockDrawing();
        return GetSelectionMenuFlags(d.get());
    };
    EXPECT_EQ(0u, flags());
    {
        Locked<Drawing> dd = LockDrawing();
        Locked<ObjectList> objects(dd->objectList);
        (*objects)[label].state |= StateAttachedLabel;
        (*objects)[a].textId = 3;
    }
    select({a, label});
    EXPECT_EQ(0x104u, flags());   // the label is no unit of its own
    select({a, b}, StateLocked);
    EXPECT_EQ(0x110Cu, flags());
}

TEST_F(ModelTest, InvalidatingAFlatRectStillCoversTwoPixels)
{
    ShowWindow(view_, SW_SHOWNA);
    UpdateWindow(view_);
    ValidateRect(view_, nullptr);
    RECT flat = {10, 50, 30, 50};
    InvalidateLogicalRect(view_, &flat);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(view_, &update, FALSE));
    EXPECT_EQ((RECT{10, 49, 30, 51}), update);
    ValidateRect(view_, nullptr);
    InvalidateLogicalRect(view_, nullptr);
    GetUpdateRect(view_, &update, FALSE);
    RECT client;
    GetClientRect(view_, &client);
    EXPECT_EQ(client, update);
}

TEST_F(ModelTest, ViewInfoInFitModeReadsZoomZero)
{
    ASSERT_EQ(0, CreateViewInfo(view_, 30000, 30000, -1, 0));
    int fit = -1;
    EXPECT_EQ(0, GetViewZoom(view_, &fit));
    EXPECT_EQ(1, fit);
    FreeViewInfo(view_, 0);
    fit = -1;
    EXPECT_EQ(0, GetViewZoom(view_, &fit));
    EXPECT_EQ(-1, fit);   // no ViewInfo: fit is not written
    ASSERT_EQ(0, CreateViewInfo(view_, 100, 100, 500, ViewFitMode | ViewFitPage));
    EXPECT_EQ(500, GetViewZoom(view_, &fit));
    EXPECT_EQ(0, fit);
    FreeViewInfo(view_, 0);
}

TEST_F(ModelTest, SelectionSummaryAsksEverySelectedObjectAndMergesTextAlignment)
{
    int a = Add(ClassLine), b = Add(ClassShape);
    Add(ClassShape);
    DrawObject summary;
    TextSummary text;
    EXPECT_EQ(0, CollectSelectionAttributes(view_, OM_GETLINEATTRS, &summary, &text));
    EXPECT_EQ(-2, summary.fillPattern);
    EXPECT_EQ(static_cast<COLORREF>(-2), summary.lineColor);
    EXPECT_EQ(DWORD(StatePicture), summary.state);
    EXPECT_EQ(1u, summary.options);
    EXPECT_EQ(-2, text.face);
    EXPECT_EQ(0, text.style);
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        (*objects)[a].state |= StateSelected;
        (*objects)[b].state |= StateSelected;
        (*objects)[a].textAlignH = 1;
        (*objects)[b].textAlignH = 2;
        (*objects)[b].angle = 450;
        d->currentRow = b;
    }
    g_recorder.Clear();
    EXPECT_EQ(1, CollectSelectionAttributes(view_, OM_GETLINEATTRS, &summary, &text));
    EXPECT_EQ((std::vector<int>{Object(a).objId, Object(b).objId}), g_recorder.Messages(OM_GETLINEATTRS));
    for (const SentMessage& sent : g_recorder.log) {
        EXPECT_EQ(0, sent.a);
        EXPECT_EQ(static_cast<int>(reinterpret_cast<INT_PTR>(&text)), sent.b);   // the text summary rides in b
    }
    EXPECT_EQ(-1, summary.textAlignH);
    EXPECT_EQ(6, summary.textAlignV);
    EXPECT_EQ(450, summary.angle);
}

TEST(Selection, CenterWindowOverMatchesTruncatedCentresAndStaysOnScreen)
{
    struct Case {
        RECT other;
        int width, height;
        POINT expected;
    };
    for (Case c : {Case{{100, 100, 200, 200}, 51, 51, {125, 125}}, Case{{100, 100, 201, 201}, 50, 50, {125, 125}},
                   Case{{100, 40, 301, 141}, 61, 31, {170, 75}}, Case{{10, 10, 60, 60}, 400, 300, {0, 0}}}) {
        HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP, c.other.left, c.other.top, c.other.right - c.other.left,
                                     c.other.bottom - c.other.top, nullptr, nullptr, nullptr, nullptr);
        HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 500, 500, c.width, c.height, nullptr, nullptr,
                                      nullptr, nullptr);
        ASSERT_TRUE(other && window);
        CenterWindowOver(window, other);
        RECT placed;
        GetWindowRect(window, &placed);
        EXPECT_EQ((RECT{c.expected.x, c.expected.y, c.expected.x + c.width, c.expected.y + c.height}), placed)
            << c.width << "x" << c.height << " over " << c.other;
        DestroyWindow(window);
        DestroyWindow(other);
    }
}

TEST_F(ModelTest, TextHolderOfALabelledLineIsItsLabelAndAStoredRowOutsideTheListIsNone)
{
    int line = Add(ClassLine), label = Add(ClassShape);
    Locked<Drawing> d = LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    (*objects)[line].classFlags = 0x4;
    (*objects)[label].state |= StateAttachedLabel;
    struct Case {
        int labelId, labelRow, expected;
    };
    for (Case c : {Case{(*objects)[label].objId, 0, label}, Case{kNoLabel, -1, -1}, Case{kNoLabel, 7, -1},
                   Case{kNoLabel, -5, -1}, Case{99, 1, -1}}) {
        (*objects)[line].labelId = c.labelId;
        (*objects)[line].labelRow = c.labelRow;
        EXPECT_EQ(c.expected, ResolveTextHolderIndex(objects.get(), line)) << c.labelId << " row " << c.labelRow;
    }
    (*objects)[line].classFlags = 0;
    EXPECT_EQ(line, ResolveTextHolderIndex(objects.get(), line));
}

TEST(Selection, ScrollRangesReadBackAsGivenAndAnEmptyRangeHidesTheBarOnEveryVersion)
{
    const int savedVersion = g_windowsMajorVersion;
    for (int version : {3, 4}) {
        g_windowsMajorVersion = version;
        HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_HSCROLL | WS_VSCROLL, 0, 0, 300, 200, nullptr,
                                      nullptr, nullptr, nullptr);
        ASSERT_TRUE(window);
        int minimum = -1, maximum = -1;
        SetScrollRangeCompat(window, SB_HORZ, 0, 1000, 100, FALSE);
        GetScrollRangeCompat(window, SB_HORZ, &minimum, &maximum);
        EXPECT_EQ(0, minimum) << "version " << version;
        EXPECT_EQ(1000, maximum) << "version " << version;
        SetScrollRangeCompat(window, SB_HORZ, 0, 0, 100, FALSE);
        GetScrollRangeCompat(window, SB_HORZ, &minimum, &maximum);
        EXPECT_EQ(0, minimum) << "version " << version;
        EXPECT_EQ(0, maximum) << "version " << version;
        EXPECT_FALSE(GetWindowLongA(window, GWL_STYLE) & WS_HSCROLL) << "version " << version;
        DestroyWindow(window);
    }
    g_windowsMajorVersion = savedVersion;
}
