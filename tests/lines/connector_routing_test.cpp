// Routing of elbow connectors: the routes of the side pairs, the exchange of the ends, the layout
// without sides, the end points, preferred lengths, nearest sides and normalising.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lines/connector_record.h"
#include "lines/connector_routing.h"
#include "line_fixture.h"

namespace {

ConnectorSegmentBlock PathWithSides(int startSide, int endSide)
{
    ConnectorSegmentBlock path = {};
    path.startSide = startSide;
    path.endSide = endSide;
    path.segmentCount = 1;
    for (INT32& l : path.preferred)
        l = 300;
    return path;
}

// The segments of a point list as a route stores them: normalised, in path order.
std::vector<ConnectorSegment> SegmentsThrough(const std::vector<POINT>& points)
{
    std::vector<ConnectorSegment> segments;
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        const POINT a = points[i], b = points[i + 1];
        segments.push_back({static_cast<INT32>(std::min(a.x, b.x)), static_cast<INT32>(std::min(a.y, b.y)),
                            static_cast<INT32>(std::max(a.x, b.x)), static_cast<INT32>(std::max(a.y, b.y))});
    }
    return segments;
}

std::string Describe(const ConnectorSegmentBlock& path)
{
    std::string s = "count " + std::to_string(path.segmentCount) + ":";
    for (int i = 0; i < path.segmentCount && i < kConnectorMaxSegments; ++i) {
        const ConnectorSegment& g = path.segments[i];
        s += " (" + std::to_string(g.x1) + "," + std::to_string(g.y1) + ")-(" + std::to_string(g.x2) + "," +
             std::to_string(g.y2) + ")";
    }
    return s;
}

void ExpectSegments(const ConnectorSegmentBlock& path, const std::vector<POINT>& points)
{
    const std::vector<ConnectorSegment> expected = SegmentsThrough(points);
    ASSERT_EQ(static_cast<int>(expected.size()), path.segmentCount) << Describe(path);
    for (size_t i = 0; i < expected.size(); ++i) {
        const ConnectorSegment& g = path.segments[i];
        EXPECT_TRUE(g.x1 == expected[i].x1 && g.y1 == expected[i].y1 && g.x2 == expected[i].x2 &&
                    g.y2 == expected[i].y2)
            << "segment " << i << " of " << Describe(path);
    }
}

struct RouteCase {
    const char* name;
    int startSide, endSide;  // of the fixed point (the first) and the target
    POINT fixed, target;
    std::vector<POINT> route;  // from the stored first point to the last
    int storedStart, storedEnd;
};

}  // namespace

TEST(ConnectorRouting, RoutesEachSidePairFromItsFixedPointToTheTarget)
{
    const RouteCase cases[] = {
        {"top to top, apart", 5, 5, {1000, 2000}, {3000, 2500},
         {{1000, 2000}, {1000, 1700}, {3000, 1700}, {3000, 2500}}, 5, 5},
        // du = 40 <= 60, dv = 500: a detour away from T (T right of P, so u2 = 1000 - 300).
        {"top to top, in line", 5, 5, {1000, 2000}, {1040, 2500},
         {{1000, 2000}, {1000, 1700}, {700, 1700}, {700, 2200}, {1040, 2200}, {1040, 2500}}, 5, 5},
        // Left to left in the exchanged frame: s1 = 1000 - 300 = 700 (x), w = 2000 - 60.
        {"left to left", 7, 7, {1000, 2000}, {2000, 3000},
         {{1000, 2000}, {700, 2000}, {700, 3000}, {2000, 3000}}, 7, 7},
        // Facing: 2000 + 60 < 3000; s1 = max(2700, 2060).
        {"top to bottom, facing", 5, 6, {1000, 3000}, {1500, 2000},
         {{1000, 3000}, {1000, 2700}, {1500, 2700}, {1500, 2000}}, 5, 6},
        {"top to bottom, not facing", 5, 6, {1000, 2000}, {1500, 3000},
         {{1000, 2000}, {1000, 1700}, {1300, 1700}, {1300, 3300}, {1500, 3300}, {1500, 3000}}, 5, 6},
        // u2 = 1300 lies 20 from T: it moves to 60 before T.
        {"top to bottom, detour near T", 5, 6, {1000, 2000}, {1320, 3000},
         {{1000, 2000}, {1000, 1700}, {1260, 1700}, {1260, 3300}, {1320, 3300}, {1320, 3000}}, 5, 6},
        {"bottom to top, facing in line", 6, 5, {1000, 2000}, {1000, 3000}, {{1000, 2000}, {1000, 3000}}, 6, 5},
        // Exchanged frame, D = -1: s1 = min(2000 + 300, 2500 - 60) in x.
        {"right to left, facing", 8, 7, {1000, 2000}, {2000, 2500},
         {{1000, 2000}, {1300, 2000}, {1300, 2500}, {2000, 2500}}, 8, 7},
        {"top to left, direct corner", 5, 7, {1000, 2000}, {1500, 1500},
         {{1000, 2000}, {1000, 1500}, {1500, 1500}}, 5, 7},
        // u2 = 1000 + 300 would reach T at 1200: the detour goes the other way.
        {"top to left, detour back", 5, 7, {1000, 2000}, {1200, 2500},
         {{1000, 2000}, {1000, 1700}, {700, 1700}, {700, 2500}, {1200, 2500}}, 5, 7},
        // T straight below: u2 = min(1000 - 300, 1000 - 60).
        {"top to left, T below", 5, 7, {1000, 2000}, {1000, 2500},
         {{1000, 2000}, {1000, 1700}, {700, 1700}, {700, 2500}, {1000, 2500}}, 5, 7},
        // E = -1: u2 = max(1000 + 300, 1200 + 60).
        {"top to right", 5, 8, {1000, 2000}, {1200, 2500},
         {{1000, 2000}, {1000, 1700}, {1300, 1700}, {1300, 2500}, {1200, 2500}}, 5, 8},
        // T left of P: the ends exchange, P (800, 1500) leaving left, T (1000, 2000) leaving up;
        // exchanged frame P (1500, 800), T (2000, 1000), D = E = +1, no corner:
        // s1 = 800 - 300, u2 = 1500 + 300 (short of 2000).
        {"top to left, T left of P", 5, 7, {1000, 2000}, {800, 1500},
         {{800, 1500}, {500, 1500}, {500, 1800}, {1000, 1800}, {1000, 2000}}, 7, 5},
        // The stub would reach y = -100.
        {"clamped at 0", 5, 5, {100, 200}, {3000, 2500}, {{100, 200}, {100, 0}, {3000, 0}, {3000, 2500}}, 5, 5},
        // D = -1: s1 = 32600 + 300 beyond the drawing area.
        {"clamped at 32767", 6, 6, {1000, 32600}, {3000, 32500},
         {{1000, 32600}, {1000, 32767}, {3000, 32767}, {3000, 32500}}, 6, 6},
    };
    for (const RouteCase& c : cases) {
        SCOPED_TRACE(c.name);
        ConnectorSegmentBlock path = PathWithSides(c.startSide, c.endSide);
        RouteConnector(&path, 0, 0, c.target.x, c.target.y, &c.fixed, 1);
        ExpectSegments(path, c.route);
        EXPECT_EQ(c.storedStart, path.startSide);
        EXPECT_EQ(c.storedEnd, path.endSide);
        EXPECT_EQ(300, path.preferred[0]);
    }
}

TEST(ConnectorRouting, EndsExchangeWhenTheTargetLiesLeftOrAboveTheFixedPoint)
{
    // The fixed end is the first point and leaves right; the target, left of it, leaves up. The
    // stored path starts at the target with its side.
    ConnectorSegmentBlock path = PathWithSides(SideRight, SideTop);
    const POINT fixed = {3000, 2000};
    RouteConnector(&path, 0, 0, 1000, 2500, &fixed, 1);
    // (5, 8): P (1000, 2500) up, T (3000, 2000) leaving right, E = -1; 2000 + 60 < 2500 but
    // 3000 < 1000 - 60 fails: s1 = 2200, u2 = max(1000 + 300, 3060).
    ExpectSegments(path, {{1000, 2500}, {1000, 2200}, {3060, 2200}, {3060, 2000}, {3000, 2000}});
    EXPECT_EQ(SideTop, path.startSide);
    EXPECT_EQ(SideRight, path.endSide);

    // On equal x the upper point comes first.
    ConnectorSegmentBlock below = PathWithSides(SideTop, SideBottom);
    const POINT lower = {1000, 3000};
    RouteConnector(&below, 0, 0, 1000, 2000, &lower, 1);
    ExpectSegments(below, {{1000, 2000}, {1000, 3000}});
    EXPECT_EQ(SideBottom, below.startSide);
    EXPECT_EQ(SideTop, below.endSide);
}

TEST(ConnectorRouting, ExchangedEndsTakeThePreferredLengthsFromTheOtherEnd)
{
    // A three-segment path whose last stub is preferred 500 long: after the exchange P is the old
    // last point, so L'0 = L2 = 500 and s1 = 2000 - 500 (not 2000 - 100).
    ConnectorSegmentBlock path = PathWithSides(SideTop, SideTop);
    path.segmentCount = 3;
    path.preferred[0] = 100;
    path.preferred[1] = 200;
    path.preferred[2] = 500;
    const POINT fixed = {3000, 2500};
    RouteConnector(&path, 0, 0, 1000, 2000, &fixed, 1);
    ExpectSegments(path, {{1000, 2000}, {1000, 1500}, {3000, 1500}, {3000, 2500}});
    EXPECT_EQ(100, path.preferred[0]);
    EXPECT_EQ(500, path.preferred[2]);

    // Without the exchange the lengths are taken in order: s1 = 2000 - 100.
    ConnectorSegmentBlock same = path;
    same.segmentCount = 3;
    const POINT left = {1000, 2000};
    RouteConnector(&same, 0, 0, 3000, 2500, &left, 1);
    ExpectSegments(same, {{1000, 2000}, {1000, 1900}, {3000, 1900}, {3000, 2500}});
}

TEST(ConnectorRouting, WithoutAFixedPointTheStoredEndPlusTheOriginIsFixed)
{
    // Top to top, stored relative to (1000, 1700): first point (1000, 2000), last (3000, 2500).
    ConnectorSegmentBlock path = PathWithSides(SideTop, SideTop);
    path.segmentCount = 3;
    path.segments[0] = {0, 0, 0, 300};
    path.segments[1] = {0, 0, 2000, 0};
    path.segments[2] = {2000, 0, 2000, 800};

    ConnectorSegmentBlock first = path;
    RouteConnector(&first, 1000, 1700, 3000, 2600, nullptr, 1);
    ExpectSegments(first, {{1000, 2000}, {1000, 1700}, {3000, 1700}, {3000, 2600}});

    // The last point fixed and the first moved to (1000, 2400): s1 = min(2100, 2440).
    ConnectorSegmentBlock last = path;
    RouteConnector(&last, 1000, 1700, 1000, 2400, nullptr, 0);
    ExpectSegments(last, {{1000, 2400}, {1000, 2100}, {3000, 2100}, {3000, 2500}});
}

TEST(ConnectorRouting, AMissingSideIsTheOppositeOfTheOtherAndTwoMissingSidesRouteNothing)
{
    // Only the fixed end has a side: the target's becomes the opposite one (bottom).
    ConnectorSegmentBlock one = PathWithSides(SideTop, SideNone);
    const POINT fixed = {1000, 3000};
    RouteConnector(&one, 0, 0, 1500, 2000, &fixed, 1);
    ExpectSegments(one, {{1000, 3000}, {1000, 2700}, {1500, 2700}, {1500, 2000}});
    EXPECT_EQ(SideTop, one.startSide);
    EXPECT_EQ(SideBottom, one.endSide);

    ConnectorSegmentBlock none = PathWithSides(SideNone, SideNone);
    none.segments[0] = {0, 0, 500, 0};
    RouteConnector(&none, 0, 0, 1500, 2000, &fixed, 1);
    EXPECT_EQ(1, none.segmentCount);
    EXPECT_EQ(500, none.segments[0].x2);
    EXPECT_EQ(SideNone, none.startSide);
    EXPECT_EQ(SideNone, none.endSide);
}

TEST(ConnectorRouting, LaysOutAConnectorWithoutSidesByItsCorner)
{
    struct Case {
        const char* name;
        int lineWidth, w, h, corner, orientation, kind;
        std::vector<ConnectorSegment> segments;
    };
    const Case cases[] = {
        {"square, corner 4", 10, 1000, 400, 4, 0, ConnectorSquare,
         {{0, 0, 500, 0}, {500, 0, 500, 400}, {500, 400, 1000, 400}}},
        {"curved, corner 4", 10, 1000, 400, 4, 0, ConnectorCurved, {{0, 0, 1000, 0}, {1000, 0, 1000, 400}}},
        // 400 < 3 x 150: one segment along the longer side.
        {"narrower than three widths", 150, 1000, 400, 4, 0, ConnectorSquare, {{0, 0, 1000, 0}}},
        {"one segment, vertical", 150, 1000, 400, 1, 2, ConnectorSquare, {{0, 0, 0, 400}}},
        {"square, corner 2", 10, 1000, 400, 2, 0, ConnectorSquare,
         {{0, 400, 500, 400}, {500, 0, 500, 400}, {500, 0, 1000, 0}}},
        // Taller than wide: vertical first, h / 2 = 500.
        {"square, tall, corner 1", 10, 400, 1000, 1, 0, ConnectorSquare,
         {{0, 0, 0, 500}, {0, 500, 400, 500}, {400, 500, 400, 1000}}},
        {"square, vertical first, corner 3", 10, 1000, 401, 3, 2, ConnectorSquare,
         {{0, 200, 0, 401}, {0, 200, 1000, 200}, {1000, 0, 1000, 200}}},
        {"curved, corner 1", 10, 1000, 400, 1, 0, ConnectorCurved, {{0, 0, 0, 400}, {0, 400, 1000, 400}}},
        {"curved, corner 2", 10, 1000, 400, 2, 0, ConnectorCurved, {{0, 400, 1000, 400}, {1000, 0, 1000, 400}}},
        {"curved, corner 3", 10, 1000, 400, 3, 0, ConnectorCurved, {{0, 0, 0, 400}, {0, 0, 1000, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConnectorSegmentBlock path = PathWithSides(SideNone, SideNone);
        path.preferred[0] = 123;
        LayoutUnsidedConnector(&path, c.lineWidth, c.w, c.h, c.corner, c.orientation, c.kind);
        ASSERT_EQ(static_cast<int>(c.segments.size()), path.segmentCount) << Describe(path);
        for (size_t i = 0; i < c.segments.size(); ++i) {
            const ConnectorSegment& g = path.segments[i];
            EXPECT_TRUE(g.x1 == c.segments[i].x1 && g.y1 == c.segments[i].y1 && g.x2 == c.segments[i].x2 &&
                        g.y2 == c.segments[i].y2)
                << "segment " << i << " of " << Describe(path);
        }
        EXPECT_EQ(SideNone, path.startSide);
        EXPECT_EQ(123, path.preferred[0]);
    }
}

TEST(ConnectorRouting, EndPointsFollowTheSidesOrTheFreeEndsOfThePath)
{
    // Sides name the end of the first and last segment the path leaves from.
    ConnectorSegmentBlock sided = PathWithSides(SideLeft, SideTop);
    sided.segmentCount = 4;
    sided.segments[0] = {500, 1500, 800, 1500};
    sided.segments[1] = {500, 1500, 500, 1800};
    sided.segments[2] = {500, 1800, 1000, 1800};
    sided.segments[3] = {1000, 1800, 1000, 2000};
    EXPECT_EQ((POINT{800, 1500}), ConnectorEndPoint(&sided, 0));
    EXPECT_EQ((POINT{1000, 2000}), ConnectorEndPoint(&sided, 4));
    sided.startSide = SideRight;  // (x1, y1)
    sided.endSide = SideBottom;   // (x1, y1)
    EXPECT_EQ((POINT{500, 1500}), ConnectorEndPoint(&sided, 0));
    EXPECT_EQ((POINT{1000, 1800}), ConnectorEndPoint(&sided, 1));
    // One side missing: the opposite of the other.
    sided.startSide = SideNone;  // becomes top: (x1, y2) of segment 0
    EXPECT_EQ((POINT{500, 1500}), ConnectorEndPoint(&sided, 0));

    // Without sides: the ends of the first and last segments that do not join the path.
    ConnectorSegmentBlock layout = PathWithSides(SideNone, SideNone);
    const struct {
        int corner, orientation, kind;
        POINT first, last;
    } layouts[] = {
        {4, 1, ConnectorSquare, {0, 0}, {1000, 400}},
        {2, 1, ConnectorSquare, {0, 400}, {1000, 0}},
        {1, 2, ConnectorSquare, {0, 0}, {1000, 400}},
        {2, 0, ConnectorCurved, {0, 400}, {1000, 0}},
        {4, 0, ConnectorCurved, {0, 0}, {1000, 400}},
    };
    for (const auto& l : layouts) {
        SCOPED_TRACE(l.corner * 10 + l.orientation);
        LayoutUnsidedConnector(&layout, 10, 1000, 400, l.corner, l.orientation, l.kind);
        EXPECT_EQ(l.first, ConnectorEndPoint(&layout, 0));
        EXPECT_EQ(l.last, ConnectorEndPoint(&layout, layout.segmentCount));
    }
}

TEST(ConnectorRouting, EndPointsNeverIndexPastTheSegments)
{
    // A count of 0 (a path not laid out) reads segment 0 for both ends.
    ConnectorSegmentBlock path = PathWithSides(SideNone, SideNone);
    path.segmentCount = 0;
    path.segments[0] = {0, 0, 500, 0};
    EXPECT_EQ((POINT{0, 0}), ConnectorEndPoint(&path, 0));
    EXPECT_EQ((POINT{500, 0}), ConnectorEndPoint(&path, 0x7FFF));

    // A count beyond five reads segment 4 as the last.
    path.segmentCount = 1000;
    path.startSide = SideTop;
    path.endSide = SideTop;
    path.segments[4] = {2000, 100, 2000, 900};
    EXPECT_EQ((POINT{2000, 900}), ConnectorEndPoint(&path, 1000));
    const POINT moved = NormalizeConnectorPath(&path);
    EXPECT_EQ((POINT{0, 0}), moved);
}

TEST(ConnectorRouting, PreferredLengthsBecomeTheSegmentLengths)
{
    ConnectorSegmentBlock path = PathWithSides(SideNone, SideNone);
    LayoutUnsidedConnector(&path, 10, 1000, 400, 4, 0, ConnectorSquare);
    for (INT32& l : path.preferred)
        l = 1;
    ResetPreferredLengths(&path);
    const INT32 expected[5] = {500, 400, 500, 300, 300};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(expected[i], path.preferred[i]) << i;

    // A path not laid out yet gets the default lengths.
    ConnectorSegmentBlock fresh = {};
    ResetPreferredLengths(&fresh);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(300, fresh.preferred[i]) << i;
}

TEST(ConnectorRouting, NearestSideOfABoxPoint)
{
    const struct {
        int x, y, side;
    } cases[] = {
        {600, 600, SideRight}, {300, 300, SideLeft}, {100, 50, SideTop},
        {50, 550, SideLeft},  // 50 from the left and from the bottom: a tie goes to the left
        {50, 590, SideBottom}, {550, 40, SideTop}, {560, 300, SideRight},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.side, NearestSideOfBoxPoint(c.x, c.y)) << c.x << ", " << c.y;
}

TEST(ConnectorRouting, NormalisingMovesThePathToItsOrigin)
{
    ConnectorSegmentBlock path = PathWithSides(SideTop, SideTop);
    const POINT fixed = {1000, 2000};
    RouteConnector(&path, 0, 0, 1040, 2500, &fixed, 1);
    const POINT m = NormalizeConnectorPath(&path);
    EXPECT_EQ((POINT{700, 1700}), m);
    ExpectSegments(path, {{300, 300}, {300, 0}, {0, 0}, {0, 500}, {340, 500}, {340, 800}});
}
