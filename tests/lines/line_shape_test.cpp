// Shaped-line paths: the hit test of a point list, the extra handles and the inverted drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "lines/line_shape.h"
#include "shapes/metafile_format.h"
#include "support/metafile_recorder.h"

// Points compare by value in the expectations below.
static bool operator==(const POINT& a, const POINT& b)
{
    return a.x == b.x && a.y == b.y;
}

namespace {

constexpr DWORD kLineRisingState = 0x4000;

DrawObject LineOf(int width, int shape)
{
    DrawObject line = {};
    line.lineWidth = width;
    line.lineShape = shape;
    return line;
}

struct HitCase {
    std::vector<POINT> points;
    int count;
    int width;
    int x, y;
    int expected;
};

TEST(LinePath, HitTestTakesHalfTheWidthPlusTwelve)
{
    const std::vector<POINT> flat = {{0, 500}, {1000, 500}};
    // A vertical zigzag's middle stroke runs from right to left.
    const std::vector<POINT> backwards = {{625, 437}, {375, 562}};
    const std::vector<POINT> slanted = {{0, 0}, {1000, 500}};
    // The apex after the last counted point takes no part.
    const std::vector<POINT> withApex = {{0, 0}, {100, 0}, {50, -300}};
    const HitCase cases[] = {
        {flat, 2, 0, 500, 488, 40},       // top of the band is inclusive
        {flat, 2, 0, 500, 487, 0},
        {flat, 2, 0, 500, 511, 40},
        {flat, 2, 0, 500, 512, 0},        // bottom exclusive
        {flat, 2, 20, 500, 478, 40},      // 20 wide: 10 + 12
        {flat, 2, 20, 500, 477, 0},
        {flat, 2, 0, 999, 500, 40},       // along the pair's own span, right end exclusive
        {flat, 2, 0, 1000, 500, 0},
        {flat, 2, 0, -1, 500, 0},
        {backwards, 2, 0, 500, 500, 40},
        {backwards, 2, 0, 500, 560, 0},
        {slanted, 2, 0, 400, 213, 40},    // slope 1/2: the band widens to 13
        {slanted, 2, 0, 400, 214, 0},
        {slanted, 2, 0, 400, 187, 40},
        {withApex, 2, 0, 50, -290, 0},
        {{{300, 300}, {300, 300}}, 2, 0, 300, 300, 0},   // equal points are no hit
        {flat, 1, 0, 500, 500, 0},        // one point is no segment
    };
    for (const HitCase& c : cases) {
        const DrawObject line = LineOf(c.width, LinePlain);
        EXPECT_EQ(c.expected, HitTestLinePath(&line, c.points.data(), c.count, c.x, c.y))
            << "(" << c.x << ", " << c.y << ") width " << c.width;
    }
}

TEST(LinePath, ExtraHandlesByLineShape)
{
    const POINT zigzag[] = {{0, 500}, {375, 500}, {437, 375}, {562, 625}, {625, 500}, {1000, 500}};
    const POINT steps[] = {{0, 500},   {375, 500}, {375, 375}, {500, 375},
                           {500, 625}, {625, 625}, {625, 500}, {1000, 500}};
    const POINT exact[] = {{2000, 2000}, {1000, 2000}, {1500, 1820}, {715, 1820}, {2284, 3388}};
    const POINT tessellated[] = {{0, 500}, {500, 320}, {1000, 500}, {500, 320}};
    RECT rects[2] = {};
    int number = -1;
    DrawObject line = LineOf(1, LineZigzag);
    GetLineShapeHandleRects(&line, zigzag, 6, LinePathPolyline, rects, &number);
    ASSERT_EQ(1, number);
    EXPECT_EQ((RECT{413, 351, 461, 399}).left, rects[0].left);
    EXPECT_EQ(399, rects[0].bottom);
    line.lineShape = LineSteps;
    GetLineShapeHandleRects(&line, steps, 8, LinePathPolyline, rects, &number);
    ASSERT_EQ(2, number);
    EXPECT_EQ(476, rects[0].left);
    EXPECT_EQ(351, rects[0].top);
    EXPECT_EQ(601, rects[1].top);
    line.lineShape = LineArc;
    GetLineShapeHandleRects(&line, exact, 2, LinePathExactArc, rects, &number);
    ASSERT_EQ(1, number);
    EXPECT_EQ(1476, rects[0].left);
    EXPECT_EQ(1796, rects[0].top);
    GetLineShapeHandleRects(&line, tessellated, 3, LinePathPolyline, rects, &number);
    ASSERT_EQ(1, number);
    EXPECT_EQ(476, rects[0].left);
    EXPECT_EQ(296, rects[0].top);
    line.lineShape = LinePlain;
    GetLineShapeHandleRects(&line, zigzag, 0, LinePathPolyline, rects, &number);
    EXPECT_EQ(0, number);
}

TEST(LinePath, InvertedDrawingIsAnArcOrAPolyline)
{
    const POINT exact[] = {{2000, 2000}, {1000, 2000}, {1500, 1820}, {715, 1820}, {2284, 3388}};
    const POINT zigzag[] = {{0, 500}, {375, 500}, {437, 375}, {562, 625}, {625, 500}, {1000, 500}};
    for (BOOL solid : {TRUE, FALSE}) {
        MetaRecorder arc;
        XorLineShapePath(arc.dc(), exact, 2, solid, LinePathExactArc);
        const auto arcRecords = arc.Records();
        EXPECT_EQ(1u, OfFunction(arcRecords, MetaArc).size());
        EXPECT_TRUE(OfFunction(arcRecords, MetaPolyline).empty());
        MetaRecorder poly;
        XorLineShapePath(poly.dc(), zigzag, 6, solid, LinePathPolyline);
        const auto polyRecords = poly.Records();
        const auto lines = OfFunction(polyRecords, MetaPolyline);
        ASSERT_EQ(1u, lines.size());
        EXPECT_EQ(6, lines[0].params[0]);
    }
}

struct Path {
    POINT points[kLinePathPoints] = {};
    int count = -1;
    int kind = -1;
};

Path Build(int orientation, int shape, RECT ends, int c0, double param, BOOL exactOff = FALSE,
           int margin = 0, const int* setbacks = nullptr, DWORD state = 0)
{
    DrawObject line = LineOf(1, shape);
    line.objType = orientation;
    line.state = state;
    line.frame = ends;
    line.axisCoord = c0;
    line.param = param;
    Path path;
    BuildLineShapePath(&line, &ends, c0, param, margin, path.points, &path.count, &path.kind, exactOff,
                       setbacks);
    return path;
}

std::vector<POINT> Counted(const Path& p)
{
    return std::vector<POINT>(p.points, p.points + p.count);
}

TEST(LinePath, ZigzagAndStepsPutOneFigureInTheMiddle)
{
    const RECT flat{0, 500, 1000, 500};
    EXPECT_EQ((std::vector<POINT>{{0, 500}, {375, 500}, {437, 375}, {562, 625}, {625, 500}, {1000, 500}}),
              Counted(Build(0, LineZigzag, flat, 500, 0.25)));
    EXPECT_EQ((std::vector<POINT>{{0, 500}, {375, 500}, {375, 375}, {500, 375}, {500, 625}, {625, 625},
                                  {625, 500}, {1000, 500}}),
              Counted(Build(0, LineSteps, flat, 500, 0.25)));
    // The figure stops growing at 1200 units of line.
    const Path longLine = Build(0, LineZigzag, RECT{0, 500, 3000, 500}, 500, 0.25);
    ASSERT_EQ(6, longLine.count);
    EXPECT_EQ((POINT{1425, 350}), longLine.points[2]);
    EXPECT_EQ((POINT{1650, 500}), longLine.points[4]);
    EXPECT_EQ((POINT{1470, 440}), Build(0, LineZigzag, RECT{0, 500, 3000, 500}, 500, 0.1).points[2]);
    // Vertical: the first excursion to the right.
    const Path vertical = Build(2, LineZigzag, RECT{500, 0, 500, 1000}, 500, 0.25);
    ASSERT_EQ(6, vertical.count);
    EXPECT_EQ((POINT{625, 437}), vertical.points[2]);
    EXPECT_EQ((POINT{375, 562}), vertical.points[3]);
    // A margin pushes the excursions outward.
    EXPECT_EQ((POINT{437, 365}), Build(0, LineZigzag, flat, 500, 0.25, FALSE, 10).points[2]);
    // Slanted lines of length 0 have no figure; damaged parameters read as the default.
    EXPECT_EQ(0, Build(1, LineZigzag, RECT{300, 300, 300, 300}, 0, 0.25).count);
    EXPECT_EQ(Counted(Build(0, LineZigzag, flat, 500, 0.25)),
              Counted(Build(0, LineZigzag, flat, 500, std::nan(""))));
    EXPECT_EQ(0, Build(0, LinePlain, flat, 500, 0.25).count);
}

TEST(LinePath, ArcsAreExactTessellatedOrStraight)
{
    const Path exact = Build(0, LineArc, RECT{1000, 2000, 2000, 2000}, 2000, 180.0);
    EXPECT_EQ(LinePathExactArc, exact.kind);
    EXPECT_EQ(2, exact.count);
    EXPECT_EQ((POINT{2000, 2000}), exact.points[0]);
    EXPECT_EQ((POINT{1000, 2000}), exact.points[1]);
    EXPECT_EQ((POINT{1500, 1820}), exact.points[2]);
    EXPECT_EQ((POINT{715, 1820}), exact.points[3]);
    EXPECT_EQ((POINT{2284, 3388}), exact.points[4]);

    // The circle's square would start left of 0: tessellated, every point on the circle.
    const Path tess = Build(0, LineArc, RECT{0, 500, 1000, 500}, 500, 180.0);
    EXPECT_EQ(LinePathPolyline, tess.kind);
    ASSERT_GE(tess.count, 20);
    EXPECT_EQ((POINT{500, 320}), tess.points[tess.count]);
    const double R = (180.0 * 180.0 + 500.0 * 500.0) / 360.0, cy = 500 + R - 180;
    for (int i = 0; i < tess.count; ++i) {
        const double d = std::hypot(tess.points[i].x - 500.0, tess.points[i].y - cy);
        // The circle is tessellated on a square of whole units around a whole-unit centre.
        EXPECT_NEAR(R, d, 3.0) << i;
        EXPECT_LE(tess.points[i].y, 503) << i;   // the bulge lies above the line
    }
    EXPECT_EQ(tess.points[0].x > 900, true);      // from end 2 ...
    EXPECT_LT(tess.points[tess.count - 1].x, 100);   // ... to end 1

    // The exact form forbidden: tessellated as well.
    EXPECT_EQ(LinePathPolyline, Build(0, LineArc, RECT{1000, 2000, 2000, 2000}, 2000, 180.0, TRUE).kind);
    // Very flat, or a bulge below one unit: the straight fallback.
    for (double flatParam : {1.0, 0.4}) {
        const Path straight = Build(0, LineArc, RECT{0, 500, 1000, 500}, 500, flatParam);
        EXPECT_EQ(LinePathStraightArc, straight.kind) << flatParam;
        EXPECT_EQ((POINT{500, 500}), straight.points[2]) << flatParam;
    }
    EXPECT_EQ(0, Build(1, LineArc, RECT{300, 300, 300, 300}, 0, 180.0).count);
    // A slanted straight fallback runs from end 1 to end 2, bottom-left to top-right when rising.
    const Path rising = Build(1, LineArc, RECT{100, 200, 700, 600}, 0, 0.4, FALSE, 0, nullptr, 0x4000);
    EXPECT_EQ(LinePathStraightArc, rising.kind);
    EXPECT_EQ((POINT{100, 600}), rising.points[0]);
    EXPECT_EQ((POINT{700, 200}), rising.points[1]);
    EXPECT_EQ((POINT{400, 400}), rising.points[2]);
}

TEST(LinePath, ArcSetbacksMoveTheEndsAlongTheCircle)
{
    const int setbacks[2] = {100, 50};
    const Path cut = Build(0, LineArc, RECT{1000, 2000, 2000, 2000}, 2000, 180.0, FALSE, 0, setbacks);
    ASSERT_EQ(LinePathExactArc, cut.kind);
    const double R = (180.0 * 180.0 + 500.0 * 500.0) / 360.0, cy = 2000 + R - 180;
    // Point 0 is end 2 moved 50, point 1 end 1 moved 100, both toward the apex and on the circle.
    EXPECT_LT(cut.points[0].x, 2000);
    EXPECT_GT(cut.points[1].x, 1000);
    EXPECT_NEAR(50, std::hypot(2000.0 - cut.points[0].x, 2000.0 - cut.points[0].y), 2.0);
    EXPECT_NEAR(100, std::hypot(cut.points[1].x - 1000.0, 2000.0 - cut.points[1].y), 2.0);
    for (int i : {0, 1})
        EXPECT_NEAR(R, std::hypot(cut.points[i].x - 1500.0, cut.points[i].y - cy), 2.0) << i;
}

struct ArcPointCase {
    int orientation;
    DWORD state;
    RECT frame;
    int c0;
    double param;
    POINT in, out;
};

// Arc of bulge 180 over a chord 1000 long: R = (180^2 + 500^2) / 360 = 784.444, the centre
// R - 180 = 604.444 beyond the chord on the far side of the bulge.
TEST(LineArc, ProjectPointOntoArcKeepsTheCoordinateAlongTheLine)
{
    const RECT flat{1000, 1990, 2000, 2010}, upright{1990, 1000, 2010, 2000};
    const RECT slanted{1000, 1000, 1600, 1800};   // 600 by 800, 1000 long
    const ArcPointCase cases[] = {
        // 250 from the middle: w = sqrt(R^2 - 250^2) = 743.541; 2000 - (743.541 - 604.444).
        {0, 0, flat, 2000, 180.0, {1250, 2000}, {1250, 1860}},
        // A negative bulge lies below: 2000 + (-784.444 + 180 + 743.541).
        {0, 0, flat, 2000, -180.0, {1250, 2000}, {1250, 2139}},
        // A positive bulge of a vertical line lies to its left.
        {2, 0, upright, 2000, 180.0, {2000, 1250}, {1860, 1250}},
        // Falling: 200 from end 1 along u = (0.6, 0.8); t = -300, w = 724.165, g = -119.721
        // along n = (-0.8, 0.6): (1000 + 120 + 95.777, 1000 + 160 - 71.833).
        {1, 0, slanted, 0, 180.0, {1120, 1160}, {1216, 1087}},
        // Rising: end 1 is (1000, 1800), u = (0.6, -0.8), n = (0.8, 0.6).
        {1, kLineRisingState, slanted, 0, 180.0, {1120, 1640}, {1023, 1567}},
        // The apex 400 above y = 100 is limited to 0.
        {0, 0, RECT{1000, 90, 2000, 110}, 100, 500.0, {1500, 100}, {1500, 0}},
        // A huge bulge is limited to a million first: still only 0..32767 comes out.
        {0, 0, flat, 2000, 1e300, {1500, 2000}, {1500, 0}},
        // No place on the circle (R^2 - t^2 < 0), no bulge, no length: the point stays.
        {0, 0, flat, 2000, 180.0, {3000, 2000}, {3000, 2000}},
        {0, 0, flat, 2000, 0.0, {1250, 2000}, {1250, 2000}},
        {1, 0, RECT{1000, 1000, 1000, 1000}, 0, 180.0, {1100, 1100}, {1100, 1100}},
    };
    for (const ArcPointCase& c : cases) {
        DrawObject line = LineOf(1, LineArc);
        line.objType = c.orientation;
        line.state = c.state;
        line.frame = c.frame;
        line.axisCoord = c.c0;
        line.param = c.param;
        POINT p = c.in;
        ProjectPointOntoArc(&line, &p);
        EXPECT_EQ(c.out, p) << c.orientation << " " << c.param << " (" << c.in.x << ", " << c.in.y
                            << ") gave (" << p.x << ", " << p.y << ")";
    }
}

TEST(LineArc, RotatePointOntoChordKeepsTheDistanceFromEndOne)
{
    const RECT frame{100, 100, 500, 400};   // direction (0.8, 0.6)
    const ArcPointCase cases[] = {
        // (320, 60) from end 1, 325.576 long: (260.461, 195.346) along the line.
        {1, 0, frame, 0, 0, {420, 160}, {360, 295}},
        {1, kLineRisingState, frame, 0, 0, {420, 340}, {360, 205}},
        // Behind end 1 (lx < 0) the ratio's angle puts it on the backward extension:
        // 158.114 from end 1 gives (-126.491, -94.868).
        {1, 0, frame, 0, 0, {50, 250}, {-26, 6}},
        // On an axis through end 1, or a line without width or height: unchanged.
        {1, 0, frame, 0, 0, {100, 300}, {100, 300}},
        {1, 0, frame, 0, 0, {300, 100}, {300, 100}},
        {1, 0, RECT{100, 100, 100, 400}, 0, 0, {420, 160}, {420, 160}},
        {1, 0, RECT{100, 100, 100, 100}, 0, 0, {420, 160}, {420, 160}},
        // Horizontal and vertical lines are not turned.
        {0, 0, frame, 100, 0, {420, 160}, {420, 160}},
    };
    for (const ArcPointCase& c : cases) {
        DrawObject line = LineOf(1, LineArc);
        line.objType = c.orientation;
        line.state = c.state;
        line.frame = c.frame;
        line.axisCoord = c.c0;
        POINT p = c.in;
        RotatePointOntoChord(&line, &p);
        EXPECT_EQ(c.out, p) << "(" << c.in.x << ", " << c.in.y << ") gave (" << p.x << ", " << p.y
                            << ")";
    }
}

}  // namespace
