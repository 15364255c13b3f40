// Rotation, mirroring and bounds of point lists, drag angles and snapping, rotated shape
// outlines and where the rotation handle sits.
#include <gtest/gtest.h>

#include "geometry/point_geometry.h"
#include "shapes/shape_geometry.h"
#include "shapes/shape_kinds.h"

namespace {

TEST(RotatePoints, QuarterAndEighthTurnsTruncateAfterAddingTheCentre)
{
    const RECT r{100, 200, 700, 500}; // centre (400, 350)
    struct Case {
        int angle;
        POINT in, out;
    };
    const Case cases[] = {
        {0, {500, 350}, {500, 350}},
        {900, {500, 350}, {400, 250}},    // counter-clockwise: right of the centre goes up
        {-900, {500, 350}, {400, 450}},
        // The radians constant leaves cos(90 degrees) a hair above 0: 349.99999998 -> 349.
        {900, {400, 250}, {300, 349}},
        {450, {401, 350}, {400, 349}},    // 400.707 -> 400, 349.293 -> 349
        {3600, {500, 350}, {500, 350}},
    };
    for (const Case& c : cases) {
        POINT p = c.in;
        EXPECT_EQ(1, RotatePoints(&r, c.angle, &p, 1));
        EXPECT_EQ(c.out.x, p.x) << c.angle;
        EXPECT_EQ(c.out.y, p.y) << c.angle;
    }
    // Without a rectangle the centre is the origin; the alias turns the same way.
    POINT p{100, 0};
    RotatePointsAboutRect(nullptr, 900, &p, 1);
    EXPECT_EQ(0, p.x);
    EXPECT_EQ(-100, p.y);
}

TEST(PointLists, FlipAndBounds)
{
    const RECT r{100, 200, 700, 500};
    POINT pts[2] = {{150, 220}, {700, 500}};
    FlipPoints(r, 0x8, pts, 2);
    EXPECT_EQ(650, pts[0].x);
    EXPECT_EQ(220, pts[0].y);
    FlipPoints(r, 0x10, pts, 2);
    EXPECT_EQ(650, pts[0].x);
    EXPECT_EQ(480, pts[0].y);
    EXPECT_EQ(100, pts[1].x);
    EXPECT_EQ(200, pts[1].y);

    RECT b;
    BoundsOfPoints(&b, pts, 0);
    EXPECT_EQ(32767, b.left);
    EXPECT_EQ(32767, b.top);
    EXPECT_EQ(0, b.right);
    EXPECT_EQ(0, b.bottom);
    const POINT negative[2] = {{-50, -20}, {-10, 40}};
    BoundsOfPoints(&b, negative, 2);
    EXPECT_EQ(-50, b.left);
    EXPECT_EQ(-20, b.top);
    EXPECT_EQ(0, b.right); // right and bottom never fall below 0
    EXPECT_EQ(40, b.bottom);
}

TEST(AngleFromDrag, SignedTenthsCounterClockwiseOnScreen)
{
    struct Case {
        int cx, cy, sx, sy, ex, ey, angle;
    };
    const Case cases[] = {
        {0, 0, 10, 0, 0, -10, 900},   // up on screen
        {0, 0, 10, 0, 0, 10, -900},   // down on screen
        {0, 0, 10, 0, -10, 0, 1800},
        {0, 0, 10, 0, 0, 0, 0},       // to the centre
        {0, 0, 0, 0, 10, 10, 0},      // from the centre
        {500, 400, 600, 400, 600, 300, 450},
        {500, 400, 600, 400, 600, 500, -450},
        {500, 400, 500, 300, 400, 400, 900}, // from the top to the left
        {500, 400, 400, 400, 500, 300, -900},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.angle, AngleFromDrag(c.cx, c.cy, c.sx, c.sy, c.ex, c.ey))
            << c.ex << "," << c.ey;
}

TEST(AngleFromDrag, SnappingToFifteenDegrees)
{
    const int cases[][2] = {{80, 150}, {74, 0}, {75, 150}, {-80, -150}, {-74, 0},
                            {-75, -150}, {0, 0}, {1790, 1800}, {-1724, -1650}};
    for (const auto& c : cases)
        EXPECT_EQ(c[1], SnapAngle(c[0])) << c[0];
}

TEST(ShapeOutlinePoints, MirroredThenRotatedAboutTheCentreRectangle)
{
    const RECT frame{100, 200, 700, 500};
    POINT pts[kMaxOutlinePoints];
    int n = 0;
    // Kind 2 at 90 degrees: the frame turned about its centre (400, 350), each coordinate
    // truncated after the tiny cosine has moved it a hair toward zero.
    GetShapeOutlinePoints(frame, &frame, 0, 2, 900, nullptr, pts, &n, 0);
    ASSERT_EQ(5, n);
    const POINT turned[] = {{249, 649}, {250, 49}, {550, 50}, {549, 650}, {249, 649}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(turned[i].x, pts[i].x) << i;
        EXPECT_EQ(turned[i].y, pts[i].y) << i;
    }

    // A triangle mirrored vertically points down before it turns.
    GetShapeOutlinePoints(frame, &frame, 0, 14, 0, nullptr, pts, &n, 0x10);
    ASSERT_EQ(4, n);
    EXPECT_EQ(400, pts[0].x);
    EXPECT_EQ(500, pts[0].y);

    // Kind 0 gives the eight frame points; the centre may be another rectangle.
    const RECT other{0, 0, 200, 200};
    GetShapeOutlinePoints(frame, &other, 0, 0, 900, nullptr, pts, &n, 0);
    ASSERT_EQ(8, n);
    EXPECT_EQ(200, pts[0].x); // (100, 200) about (100, 100)
    EXPECT_EQ(100, pts[0].y);
}

TEST(RotationHandle, PlacedOnTheLongerSideOfALargeEnoughFrame)
{
    struct Case {
        RECT frame;
        int flags;
        int code;
        POINT point;
    };
    const Case cases[] = {
        {{0, 0, 269, 200}, 0, 0, {}},
        {{0, 0, 269, 200}, 0x2, HandleRotateBottom, {134, 134}},
        {{1000, 1000, 1270, 1200}, 0, HandleRotateRight, {1204, 1100}},
        {{1000, 1000, 1300, 1400}, 0, HandleRotateBottom, {1150, 1334}},
        {{0, 0, 200, 300}, 0, HandleRotateBottom, {100, 234}},
    };
    for (const Case& c : cases) {
        POINT p{-1, -1};
        RECT r{};
        ASSERT_EQ(c.code, PlaceRotationHandle(c.frame, 0, c.flags, &p, &r));
        if (!c.code)
            continue;
        EXPECT_EQ(c.point.x, p.x);
        EXPECT_EQ(c.point.y, p.y);
        EXPECT_EQ(p.x - 24, r.left);
        EXPECT_EQ(p.y - 24, r.top);
        EXPECT_EQ(p.x + 24, r.right);
        EXPECT_EQ(p.y + 24, r.bottom);
    }

    // With flag 0x1 the handle turns with the shape about the frame centre.
    const RECT f{1000, 1000, 1270, 1200};
    POINT p;
    RECT r;
    EXPECT_EQ(HandleRotateRight, PlaceRotationHandle(f, 900, 0x1, &p, &r));
    EXPECT_EQ(1135, p.x);
    EXPECT_EQ(1031, p.y);
    EXPECT_EQ(HandleRotateRight, PlaceRotationHandle(f, 900, 0, &p, &r));
    EXPECT_EQ(1204, p.x);
}

} // namespace
