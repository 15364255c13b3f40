// Hit testing of shapes: body band and interior by kind, click-through of hollow shapes, the
// text tool's probe, rotated and very large shapes, handles, the adjustment handle and the
// attachment mark.
#include <gtest/gtest.h>

#include "shape_fixture.h"
#include "geometry/point_geometry.h"
#include "shapes/shape_geometry.h"
#include "shapes/shape_hittest.h"
#include "shapes/shape_kinds.h"
#include "store/store_records.h"

namespace {

constexpr int kNormal = 10;
constexpr COLORREF kNone = static_cast<COLORREF>(-1);

class ShapeHit : public ShapeClass {
protected:
    // A shape with a solid white fill and a 12-unit border.
    int AddFilled(int kind, RECT frame)
    {
        const int row = Add(kind, frame);
        Change(row, [](DrawObject& s, Drawing&) {
            s.fillColor = RGB(255, 255, 255);
            s.fillPattern = 1;
        });
        Style(row, 12);
        return row;
    }
    void Style(int row, int width)
    {
        Change(row, [width](DrawObject& s, Drawing&) { s.lineWidth = width, s.lineStyle = 1; });
        Send(row, OM_RECALC);
    }
    void Select(int row)
    {
        Change(row, [](DrawObject& s, Drawing& d) { s.state |= StateSelected, ++d.selectedCount; });
    }
    LONG Hit(int row, int x, int y, int mode = kNormal)
    {
        POINT p = {x, y};
        return Send(row, OM_HITTEST, mode, 0, &p);
    }
};

TEST_F(ShapeHit, EllipseBandReachesTheUpdateRectangleButNotItsCorners)
{
    struct Case {
        RECT frame;
        POINT point;
        LONG want;
    } cases[] = {
        // 20 units left of the frame, inside the ellipse grown to the update rectangle.
        {{600, 600, 1200, 1000}, {580, 800}, 40},
        {{600, 600, 1200, 1000}, {585, 585}, 0},
        {{600, 600, 1200, 1000}, {610, 800}, 40},
        {{600, 600, 1200, 1000}, {900, 800}, 44},
        // Several thousand units: the normalised regions answer alike.
        {{1000, 1000, 7000, 5000}, {1010, 3000}, 40},
        {{1000, 1000, 7000, 5000}, {1005, 1005}, 0},
        {{1000, 1000, 7000, 5000}, {1300, 1300}, 0},
        {{1000, 1000, 7000, 5000}, {4000, 3000}, 44},
    };
    for (const Case& c : cases) {
        const int row = AddFilled(ShapeOval, c.frame);
        EXPECT_EQ(c.want, Hit(row, c.point.x, c.point.y)) << c.point.x << "," << c.point.y;
    }
}

TEST_F(ShapeHit, PolygonKindsTestTheirOutlineAndInnerOutline)
{
    const int triangle = AddFilled(ShapeTriangle, RECT{600, 600, 1200, 1200});
    EXPECT_EQ(0, Hit(triangle, 620, 620));
    EXPECT_EQ(40, Hit(triangle, 900, 630));
    EXPECT_EQ(44, Hit(triangle, 900, 1100));
    EXPECT_EQ(40, Hit(triangle, 900, 1190));
    // A mirrored kind is tested mirrored: the parallelogram's cut-off corner moves sides.
    const int slanted = AddFilled(ShapeInputOutput, RECT{600, 600, 1500, 1200});
    EXPECT_EQ(0, Hit(slanted, 620, 620));
    ASSERT_EQ(0, Send(slanted, OM_FLIP, OptMirrorH));
    EXPECT_EQ(40, Hit(slanted, 620, 620));
    EXPECT_EQ(0, Hit(slanted, 1480, 620));
}

TEST_F(ShapeHit, HollowBorderedShapesWithoutTextAreClickedThrough)
{
    struct Case {
        COLORREF fill;
        int width;
        int textId;
        int classFlags;
        int mode;
        LONG want;
    } cases[] = {
        {kNone, 12, -1, 0, kNormal, 0},
        {kNone, 12, -1, 0, kHitModeTextProbe, 44},
        {RGB(255, 255, 255), 12, -1, 0, kNormal, 44},
        {kNone, 12, 5, 0, kNormal, 44},
        {kNone, 0, -1, 0, kNormal, 44},
        // The text tool misses the interior of a rectangle that refuses text.
        {RGB(255, 255, 255), 12, -1, 0x10, kHitModeTextProbe, 0},
    };
    for (const Case& c : cases) {
        const int row = Add(ShapeRectangle, RECT{600, 600, 1200, 1000});
        Change(row, [&c](DrawObject& s, Drawing&) {
            s.fillColor = c.fill;
            s.textId = c.textId;
            s.classFlags = c.classFlags;
        });
        Style(row, c.width);
        EXPECT_EQ(c.want, Hit(row, 900, 800, c.mode)) << c.fill << " " << c.width << " " << c.mode;
        // The band is hit whatever the fill.
        EXPECT_EQ(40, Hit(row, 610, 800, c.mode));
    }
}

TEST_F(ShapeHit, RectangleInteriorLiesMoreThan24UnitsIn)
{
    const int row = AddFilled(ShapeRectangle, RECT{600, 600, 1200, 1000});
    EXPECT_EQ(40, Hit(row, 610, 800));
    EXPECT_EQ(40, Hit(row, 620, 800));
    EXPECT_EQ(44, Hit(row, 630, 800));
    // The text tool takes the whole inner rectangle.
    EXPECT_EQ(44, Hit(row, 620, 800, kHitModeTextProbe));
    EXPECT_EQ(40, Hit(row, 590, 800));
}

TEST_F(ShapeHit, RotatedShapesAreTestedTurnedBack)
{
    const int row = AddFilled(ShapeRectangle, RECT{1000, 1000, 1600, 1400});
    ASSERT_EQ(0, Send(row, OM_SETANGLE, 450));
    // (1590, 1010) of the unrotated frame, turned: above the unrotated frame.
    EXPECT_EQ(40, Hit(row, 1370, 860));
    EXPECT_EQ(44, Hit(row, 1300, 1200));
    // 45 units above the unrotated frame's top middle, turned.
    EXPECT_EQ(0, Hit(row, 1126, 1026));

    const int diamond = AddFilled(ShapeDecision, RECT{1000, 1000, 1600, 1400});
    ASSERT_EQ(0, Send(diamond, OM_SETANGLE, 900));
    // Turned a quarter, the diamond's right point lies at the top middle.
    EXPECT_EQ(40, Hit(diamond, 1300, 910));
    EXPECT_EQ(0, Hit(diamond, 1600, 1210));
}

TEST_F(ShapeHit, HandlesOfASelectedShapeComeFirst)
{
    const int row = AddFilled(ShapeOval, RECT{600, 600, 1200, 1000});
    EXPECT_EQ(0, Hit(row, 600, 600));
    Select(row);
    struct Case {
        POINT point;
        LONG want;
    } cases[] = {{{600, 600}, 1}, {{1200, 600}, 2}, {{600, 1000}, 3}, {{1200, 1000}, 4},
                 {{900, 600}, 5},  {{900, 1000}, 6}, {{600, 800}, 7},  {{1200, 800}, 8}};
    for (const Case& c : cases)
        EXPECT_EQ(c.want, Hit(row, c.point.x, c.point.y)) << c.want;
    POINT at;
    RECT rect;
    const DrawObject shape = Object(row);
    const int code = PlaceRotationHandle(shape.frame, shape.angle, 1, &at, &rect);
    ASSERT_EQ(HandleRotateRight, code);
    EXPECT_EQ(code, Hit(row, at.x, at.y));
}

TEST_F(ShapeHit, AdjustmentHandleAndAttachmentMark)
{
    const int slanted = AddFilled(ShapeInputOutput, RECT{600, 600, 1500, 1200});
    Change(slanted, [](DrawObject& s, Drawing&) { s.param = 0.2; });
    EXPECT_EQ(40, Hit(slanted, 770, 600));
    Select(slanted);
    EXPECT_EQ(60, Hit(slanted, 770, 600));
    const int rounded = AddFilled(ShapeRoundedRect, RECT{600, 600, 1800, 1200});
    Change(rounded, [](DrawObject& s, Drawing&) { s.param = 0.2; });
    Select(rounded);
    EXPECT_EQ(62, Hit(rounded, 594, 690));

    const int row = AddFilled(ShapeRectangle, RECT{600, 600, 1200, 1000});
    EXPECT_EQ(44, Hit(row, 1140, 940));
    HGLOBAL block = nullptr;
    ASSERT_EQ(0, AddRecord(slot_, 117, Object(row).objId, 40, &block));
    ReleaseBlock(block);
    EXPECT_EQ(45, Hit(row, 1140, 940));
    EXPECT_EQ(44, Hit(row, 1100, 900));
}

TEST_F(ShapeHit, StandaloneRecordsHitOnlyTheirHandles)
{
    const int row = AddFilled(ShapeRectangle, RECT{600, 600, 1500, 1200});
    DrawObject record = Object(row);
    record.state |= StateSelected;
    POINT at;
    RECT rect;
    ASSERT_EQ(HandleRotateRight, PlaceRotationHandle(record.frame, 0, 1, &at, &rect));
    struct Case {
        POINT point;
        LONG want;
    } cases[] = {{{1050, 900}, 0}, {{640, 900}, 0}, {{600, 600}, 1}, {{1500, 900}, 8}, {at, 140}};
    Locked<Drawing> d(state_->drawing);
    for (const Case& c : cases) {
        POINT p = c.point;
        EXPECT_EQ(c.want, SED_ShapeHandler(nullptr, d.get(), &record, -1, OM_HITTEST, kNormal, 0, &p))
            << p.x << "," << p.y;
    }
}

} // namespace
