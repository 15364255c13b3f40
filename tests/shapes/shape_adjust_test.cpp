// The adjustment handle: where it sits per kind, mirrored and rotated; dragged points clamped
// into its range; the parameter set at the end of a drag, with its links and its undo.
#include <gtest/gtest.h>

#include <string>

#include "model/edit_ops.h"
#include "model/links.h"
#include "model/undo.h"
#include "shape_fixture.h"
#include "geometry/point_geometry.h"
#include "shapes/shape_adjust.h"
#include "shapes/shape_kinds.h"

namespace {

bool Same(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != 0;
}

AdjustHandle HandleOf(const DrawObject& shape)
{
    AdjustHandle handle;
    GetAdjustHandle(&shape, &handle);
    return handle;
}

class ShapeAdjust : public ShapeClass {};

TEST_F(ShapeAdjust, RoundedRectangleHandleMeasuresAlongTheShorterSide)
{
    // Wider than high: a vertical handle on the left side.
    const int wide = Add(ShapeRoundedRect, RECT{600, 600, 1800, 1200});
    Change(wide, [](DrawObject& s, Drawing&) { s.param = 0.2; });
    AdjustHandle h = HandleOf(Object(wide));
    EXPECT_EQ(AdjustVertical, h.orientation);
    EXPECT_EQ(600.0, h.span);
    EXPECT_EQ(570, h.base);
    EXPECT_EQ(630, h.rangeLow);
    EXPECT_EQ(810, h.rangeHigh);
    EXPECT_TRUE(Same(RECT{570, 666, 618, 714}, h.box));

    // As wide as high, or higher: a horizontal handle on the top side.
    for (RECT frame : {RECT{600, 600, 1200, 1800}, RECT{600, 600, 1200, 1200}}) {
        const int tall = Add(ShapeRoundedRect, frame);
        Change(tall, [](DrawObject& s, Drawing&) { s.param = 0.2; });
        h = HandleOf(Object(tall));
        EXPECT_EQ(AdjustHorizontal, h.orientation);
        EXPECT_EQ(600.0, h.span);
        EXPECT_EQ(570, h.base);
        EXPECT_TRUE(Same(RECT{666, 570, 714, 618}, h.box));
    }
}

TEST_F(ShapeAdjust, PointsBeyondTheRangeGiveTheKindsLimits)
{
    for (int kind = ShapeRectangle; kind <= ShapeDisplay; ++kind) {
        const int row = Add(kind, RECT{1200, 1200, 2100, 1800});
        const DrawObject shape = Object(row);
        const AdjustHandle h = HandleOf(shape);
        double value, low, high;
        GetShapeParamRange(kind, &value, &low, &high);
        if (h.orientation == AdjustNone) {
            EXPECT_EQ(0.0, high) << kind;
            continue;
        }
        const bool horizontal = h.orientation == AdjustHorizontal;
        const double tolerance = 1.0 / h.span;
        for (LONG beyond : {0L, 30000L}) {
            POINT p = horizontal ? POINT{beyond, 1500} : POINT{1650, beyond};
            double out = 0;
            const double param = ParamFromAdjustPoint(&shape, &p, &out);
            EXPECT_EQ(param, out);
            EXPECT_GE(param, low - tolerance) << kind;
            EXPECT_LE(param, high + tolerance) << kind;
            // The end the point went beyond gives that end's parameter.
            const LONG coord = horizontal ? p.x : p.y;
            EXPECT_TRUE(coord == h.rangeLow || coord == h.rangeHigh) << kind;
            EXPECT_EQ(horizontal ? 1500 : 1650, horizontal ? p.y : p.x) << kind;
        }
        POINT lowEnd = horizontal ? POINT{h.rangeLow - 500, 0} : POINT{0, h.rangeLow - 500};
        POINT highEnd = horizontal ? POINT{h.rangeHigh + 500, 0} : POINT{0, h.rangeHigh + 500};
        const double a = ParamFromAdjustPoint(&shape, &lowEnd, nullptr);
        const double b = ParamFromAdjustPoint(&shape, &highEnd, nullptr);
        EXPECT_NEAR(low, std::min(a, b), tolerance) << kind;
        EXPECT_NEAR(high, std::max(a, b), tolerance) << kind;
    }
}

TEST_F(ShapeAdjust, KindsWithoutAParameterHaveNoHandle)
{
    for (int kind : {ShapeRectangle, ShapeOval, ShapeDecision, ShapeTriangle, ShapeTerminate,
                     ShapeCircle, ShapeCustom}) {
        const int row = Add(kind, RECT{600, 600, 1500, 1200});
        Change(row, [](DrawObject& s, Drawing&) { s.state |= StateSelected; });
        DrawObject shape = Object(row);
        EXPECT_EQ(AdjustNone, HandleOf(shape).orientation) << kind;
        POINT p = {700, 700};
        EXPECT_EQ(-1.0, ParamFromAdjustPoint(&shape, &p, nullptr));
        EXPECT_EQ(700, p.x);
        const std::string before = ObjectBytes();
        EXPECT_EQ(0, Send(row, OM_SETPARAM, 0, 0, &p)) << kind;
        EXPECT_TRUE(before == ObjectBytes()) << kind;
    }
}

TEST_F(ShapeAdjust, MirroredParallelogramMeasuresFromTheRightSide)
{
    const int row = Add(ShapeInputOutput, RECT{600, 600, 1500, 1200});
    Change(row, [](DrawObject& s, Drawing&) { s.param = 0.2; });
    AdjustHandle h = HandleOf(Object(row));
    EXPECT_EQ(570, h.base);
    EXPECT_EQ(660, h.rangeLow);
    EXPECT_EQ(930, h.rangeHigh);
    EXPECT_TRUE(Same(RECT{726, 576, 774, 624}, h.box));

    ASSERT_EQ(0, Send(row, OM_FLIP, OptMirrorH));
    const DrawObject mirrored = Object(row);
    h = HandleOf(mirrored);
    EXPECT_EQ(1530, h.base);
    EXPECT_EQ(1170, h.rangeLow);
    EXPECT_EQ(1440, h.rangeHigh);
    EXPECT_TRUE(Same(RECT{1326, 576, 1374, 624}, h.box));
    // Toward the frame's right side the parameter falls.
    POINT p = {1440, 900}, q = {1170, 900};
    EXPECT_DOUBLE_EQ(0.1, ParamFromAdjustPoint(&mirrored, &p, nullptr));
    EXPECT_DOUBLE_EQ(0.4, ParamFromAdjustPoint(&mirrored, &q, nullptr));
}

TEST_F(ShapeAdjust, RotatedHandleStaysUprightAndDraggedPointsTurnBack)
{
    const int row = Add(ShapeInputOutput, RECT{600, 600, 1500, 1200});
    Change(row, [](DrawObject& s, Drawing&) { s.param = 0.2; });
    ASSERT_EQ(0, Send(row, OM_SETANGLE, 900));
    const DrawObject shape = Object(row);
    const AdjustHandle h = HandleOf(shape);
    EXPECT_EQ(48, h.box.right - h.box.left);
    EXPECT_EQ(48, h.box.bottom - h.box.top);
    // The unrotated centre (750, 600) turned a quarter about (1050, 900).
    EXPECT_NEAR(750, h.box.left + 24, 1);
    EXPECT_NEAR(1200, h.box.top + 24, 1);

    // A point at 0.3 of the width on the unrotated frame, turned with the shape.
    POINT dragged = {570 + 270, 900};
    RotatePoints(&shape.frame, shape.angle, &dragged, 1);
    ASSERT_EQ(0, Send(row, OM_SETPARAM, 60, 0, &dragged));
    EXPECT_NEAR(0.3, Object(row).param, 2.0 / 900);
}

TEST_F(ShapeAdjust, SettingTheParameterReFitsLinksAndUndoes)
{
    const int row = Add(ShapeRightArrow, RECT{600, 600, 1500, 1200});
    const int holder = Add(ShapeRectangle, RECT{3000, 3000, 3300, 3300});
    {
        Locked<Drawing> d(state_->drawing);
        ASSERT_EQ(0, AttachHook(d.get(), holder, -1, row, 1, 0, 300));
        Locked<LinkIndex> index(d->linkIndex);
        (*index)[0].flags = 0;
    }
    // Kind 10 measures from the update rectangle's right side.
    const AdjustHandle h = HandleOf(Object(row));
    EXPECT_EQ(1530, h.base);
    POINT p = {1530 - 450, 900};
    ASSERT_EQ(0, Send(row, OM_SETPARAM, 60, 0, &p));
    EXPECT_DOUBLE_EQ(0.5, Object(row).param);
    {
        Locked<Drawing> d(state_->drawing);
        Locked<LinkIndex> index(d->linkIndex);
        EXPECT_EQ(DWORD(LinkChanged | LinkRefit), (*index)[0].flags);
    }

    const std::string before = ObjectBytes();
    p = POINT{1530 - 180, 900};
    ASSERT_EQ(0, SendObjectMessage(OM_SETPARAM, state_, row, 60, &p));
    EXPECT_DOUBLE_EQ(0.2, Object(row).param);
    const std::string after = ObjectBytes();
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_TRUE(before == ObjectBytes());
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_TRUE(after == ObjectBytes());
}

TEST_F(ShapeAdjust, HandleIsADiamondDrawnAndErasedInXor)
{
    // A 100 x 100 white picture of the drawing area from (700, 550), one pixel per unit.
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 100, -100, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_TRUE(bitmap);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, 100, 100, WHITENESS);
    SetWindowOrgEx(dc, 700, 550, nullptr);
    auto pixel = [&](int x, int y) { return static_cast<const DWORD*>(bits)[(y - 550) * 100 + (x - 700)] & 0xFFFFFF; };

    const int row = Add(ShapeInputOutput, RECT{600, 600, 1500, 1200});
    Change(row, [](DrawObject& s, Drawing&) { s.param = 0.2; });
    const DrawObject shape = Object(row);
    DrawAdjustHandle(dc, &shape);
    GdiFlush();
    // The corners of the diamond in the box (726, 576, 774, 624) are drawn, its middle is not.
    EXPECT_EQ(0u, pixel(750, 576));
    EXPECT_EQ(0u, pixel(726, 600));
    EXPECT_EQ(0xFFFFFFu, pixel(750, 600));
    EXPECT_EQ(0xFFFFFFu, pixel(727, 577));
    DrawAdjustHandle(dc, &shape);
    GdiFlush();
    EXPECT_EQ(0xFFFFFFu, pixel(750, 576));
    EXPECT_EQ(0xFFFFFFu, pixel(726, 600));

    // A rectangle has nothing to draw.
    const DrawObject plain = Object(Add(ShapeRectangle, RECT{700, 550, 800, 650}));
    DrawAdjustHandle(dc, &plain);
    GdiFlush();
    for (int y = 550; y < 650; y += 7)
        for (int x = 700; x < 800; x += 7) EXPECT_EQ(0xFFFFFFu, pixel(x, y));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

} // namespace
