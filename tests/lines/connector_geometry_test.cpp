// Geometry read from an elbow connector's path: handle points and rectangles, part-code points,
// the segment or curved piece under a point, arrowhead segments, the object's rectangles, chord
// points on the quarter ellipses and the dimension length.
#include <gtest/gtest.h>

#include <cmath>

#include "connector_fixture.h"
#include "lines/arrowheads.h"
#include "lines/connector_geometry.h"
#include "lines/connector_routing.h"

namespace {

ConnectorSegmentBlock MakePath(int startSide, int endSide, std::initializer_list<ConnectorSegment> segments)
{
    ConnectorSegmentBlock path = {};
    path.startSide = startSide;
    path.endSide = endSide;
    int i = 0;
    for (const ConnectorSegment& s : segments)
        path.segments[i++] = s;
    path.segmentCount = i;
    for (INT32& l : path.preferred)
        l = 300;
    return path;
}

// Top to top, relative to its origin: first point (0, 300), last point (2000, 800).
ConnectorSegmentBlock TopToTop()
{
    return MakePath(SideTop, SideTop, {{0, 0, 0, 300}, {0, 0, 2000, 0}, {2000, 0, 2000, 800}});
}

// The five-segment detour of a top-to-top route, from (300, 300) to (340, 800).
ConnectorSegmentBlock FiveSegments()
{
    return MakePath(SideTop, SideTop,
                    {{300, 0, 300, 300}, {0, 0, 300, 0}, {0, 0, 0, 500}, {0, 500, 340, 500}, {340, 500, 340, 800}});
}

// The square layout without sides of a 1000 x 400 drag from corner 4.
ConnectorSegmentBlock SquareLayout()
{
    return MakePath(SideNone, SideNone, {{0, 0, 500, 0}, {500, 0, 500, 400}, {500, 400, 1000, 400}});
}

// The curved layout of the same drag from corner 1: bend at (0, 400).
ConnectorSegmentBlock CurvedLayout()
{
    return MakePath(SideNone, SideNone, {{0, 0, 0, 400}, {0, 400, 1000, 400}});
}

}  // namespace

TEST(ConnectorGeometry, HandlePointsAreTheEndsAndTheMiddlesOfTheInnerSegments)
{
    // Middle of (0, 0)-(2001, 0) truncates to 1000.
    const ConnectorSegmentBlock odd =
        MakePath(SideTop, SideTop, {{0, 0, 0, 300}, {0, 0, 2001, 0}, {2001, 0, 2001, 801}});
    POINT points[5] = {};
    RECT rects[5] = {};
    int count = 0;
    GetConnectorHandlePoints(&odd, POINT{1000, 1700}, points, rects, &count);
    ASSERT_EQ(3, count);
    EXPECT_EQ((POINT{1000, 2000}), points[0]);
    EXPECT_EQ((POINT{2000, 1700}), points[1]);
    EXPECT_EQ((POINT{3001, 2501}), points[2]);
    EXPECT_EQ((RECT{970, 1970, 1024, 2024}), rects[0]);
    EXPECT_EQ((RECT{1976, 1676, 2030, 1730}), rects[1]);
    EXPECT_EQ((RECT{2971, 2471, 3025, 2525}), rects[2]);

    const ConnectorSegmentBlock five = FiveSegments();
    GetConnectorHandlePoints(&five, POINT{700, 1700}, points, nullptr, &count);
    ASSERT_EQ(5, count);
    const POINT expected[5] = {{1000, 2000}, {850, 1700}, {700, 1950}, {870, 2200}, {1040, 2500}};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(expected[i], points[i]) << i;

    // One segment: its two ends.
    const ConnectorSegmentBlock one = MakePath(SideNone, SideNone, {{0, 0, 1000, 0}});
    GetConnectorHandlePoints(&one, POINT{0, 0}, points, rects, &count);
    ASSERT_EQ(2, count);
    EXPECT_EQ((POINT{0, 0}), points[0]);
    EXPECT_EQ((POINT{1000, 0}), points[1]);
    EXPECT_EQ((RECT{970, -30, 1024, 24}), rects[1]);
}

TEST(ConnectorGeometry, WithoutSidesTheMiddleHandlesCannotBeGrabbed)
{
    const ConnectorSegmentBlock path = SquareLayout();
    POINT points[5] = {};
    RECT rects[5] = {};
    int count = 0;
    GetConnectorHandlePoints(&path, POINT{0, 0}, points, rects, &count);
    ASSERT_EQ(3, count);
    EXPECT_EQ((POINT{500, 200}), points[1]);
    EXPECT_EQ((RECT{500, 200, 500, 200}), rects[1]);
    EXPECT_TRUE(IsRectEmpty(&rects[1]));
    EXPECT_EQ((RECT{-30, -30, 24, 24}), rects[0]);
    EXPECT_EQ((RECT{970, 370, 1024, 424}), rects[2]);
}

TEST(ConnectorGeometry, SquareSegmentsAreHitWithinThirtyAcrossThem)
{
    const ConnectorSegmentBlock path = SquareLayout();
    const struct {
        int x, y, segment;
    } cases[] = {
        {250, 29, 0},   {250, -30, 0},  // the top edge is inside
        {250, 30, -1},                  // the bottom edge is not
        {500, 0, 1},                    // the right end of a horizontal segment is not on it
        {470, 200, 1},  {530, 200, -1}, {1000, 400, -1}, {999, 429, 2}, {-1, 0, -1}, {600, 300, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.segment, ConnectorSegmentAtPoint(&path, c.x, c.y, ConnectorSquare, nullptr, -1))
            << c.x << ", " << c.y;
    // One curved segment is hit as a square one.
    const ConnectorSegmentBlock one = MakePath(SideNone, SideNone, {{0, 0, 1000, 0}});
    EXPECT_EQ(0, ConnectorSegmentAtPoint(&one, 500, 10, ConnectorCurved, nullptr, -1));
}

TEST(ConnectorGeometry, CurvedPiecesAreHitOnTheirRing)
{
    // Two segments: one quarter ellipse centred at (1000, 0), the corner opposite the bend, with
    // radii 1000 and 400; its rectangle is twice the box of the ends.
    const ConnectorSegmentBlock two = CurvedLayout();
    RECT ellipse = {};
    // (293, 283) lies on the curve (45 degrees): inside the ring grown by 30, outside the one
    // shrunk by 24 ((707/976)^2 + (283/376)^2 = 1.09).
    EXPECT_EQ(0, ConnectorSegmentAtPoint(&two, 293, 283, ConnectorCurved, &ellipse, -1));
    EXPECT_EQ((RECT{0, -400, 2000, 400}), ellipse);
    // The corner of the square path is far off the curve; the square kind has it.
    EXPECT_EQ(-1, ConnectorSegmentAtPoint(&two, 0, 400, ConnectorCurved, nullptr, -1));
    EXPECT_EQ(1, ConnectorSegmentAtPoint(&two, 0, 400, ConnectorSquare, nullptr, -1));
    // Inside the inner ellipse, and outside the box of the piece.
    EXPECT_EQ(-1, ConnectorSegmentAtPoint(&two, 700, 100, ConnectorCurved, nullptr, -1));
    EXPECT_EQ(-1, ConnectorSegmentAtPoint(&two, 1500, 200, ConnectorCurved, nullptr, -1));

    // Three segments: pieces from (0, 300) to (1000, 0) and from (1000, 0) to (2000, 800).
    const ConnectorSegmentBlock three = TopToTop();
    EXPECT_EQ(0, ConnectorSegmentAtPoint(&three, 293, 88, ConnectorCurved, &ellipse, -1));
    EXPECT_EQ((RECT{0, 0, 2000, 600}), ellipse);
    EXPECT_EQ(1, ConnectorSegmentAtPoint(&three, 1707, 234, ConnectorCurved, &ellipse, -1));
    EXPECT_EQ((RECT{0, 0, 2000, 1600}), ellipse);
}

TEST(ConnectorGeometry, AForcedPieceGivesItsEllipseWhereverThePointIs)
{
    const ConnectorSegmentBlock three = TopToTop();
    RECT ellipse = {};
    EXPECT_EQ(1, ConnectorSegmentAtPoint(&three, 9000, 9000, ConnectorCurved, &ellipse, 1));
    EXPECT_EQ((RECT{0, 0, 2000, 1600}), ellipse);
    EXPECT_EQ(0, ConnectorSegmentAtPoint(&three, 9000, 9000, ConnectorCurved, &ellipse, 0));
    EXPECT_EQ((RECT{0, 0, 2000, 600}), ellipse);
    // A two-segment path has only piece 0.
    const ConnectorSegmentBlock two = CurvedLayout();
    EXPECT_EQ(-1, ConnectorSegmentAtPoint(&two, 9000, 9000, ConnectorCurved, &ellipse, 1));
}

TEST(ConnectorGeometry, ArrowheadsSitOnTheSegmentsAtTheirEnds)
{
    // The first word (mask 2) sits at the left end, the second (mask 1) at the right end.
    const ConnectorSegmentBlock leftFirst = TopToTop();
    // One segment leaving its first point leftward: the first point is its right end.
    const ConnectorSegmentBlock rightFirst = MakePath(SideLeft, SideRight, {{0, 0, 1000, 0}});
    const ConnectorSegmentBlock single = MakePath(SideNone, SideNone, {{0, 0, 1000, 0}});
    const struct {
        const char* name;
        const ConnectorSegmentBlock* path;
        int mask;
        int carries[3];
    } cases[] = {
        {"left first, mask 1", &leftFirst, 1, {0, 0, 1}},  {"left first, mask 2", &leftFirst, 2, {1, 0, 0}},
        {"left first, mask 3", &leftFirst, 3, {1, 0, 1}},  {"left first, mask 0", &leftFirst, 0, {0, 0, 0}},
        // Segment 0 follows its own rule, even as the last segment.
        {"single, mask 1", &single, 1, {0, 0, 0}},         {"single, mask 2", &single, 2, {1, 0, 0}},
        {"right first, mask 1", &rightFirst, 1, {1, 0, 0}}, {"right first, mask 2", &rightFirst, 2, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DrawObject connector = {};
        connector.arrowEnds = c.mask;
        const int n = c.path->segmentCount == 1 ? 1 : 3;
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(c.carries[i], SegmentCarriesArrowhead(&connector, c.path, i)) << i;
        EXPECT_EQ(0, SegmentCarriesArrowhead(&connector, c.path, -1));
    }
}

TEST(ConnectorGeometry, ChordPointsOnAnEllipse)
{
    const struct {
        int a, b, distance;
        POINT expected;
    } cases[] = {
        // t = 100^2 - 300^2 - 200^2 = -120000, k = -5/9, s = sqrt(90000 - 66666.7) = 152.75,
        // x = 120000 / 452.75 = 265.05: du = 34.95, dv = sqrt(10000 - 1221.5) = 93.7.
        {300, 200, 100, {34, 93}},
        {300, 200, 0, {0, 0}},
        // A flat ellipse (b below 1) is its own chord.
        {300, 0, 100, {0, 100}},
        // a = 0 would divide by zero: the same flat answer.
        {0, 200, 100, {0, 100}},
        // A chord longer than the small piece: t = 8700, s = sqrt(900 + 4833.3) = 75.7,
        // x = -8700 / 105.7 = -82.3, du = 112.3; du^2 > 100^2 so dv is 0.
        {30, 20, 100, {112, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, ChordPointOnEllipse(c.a, c.b, c.distance)) << c.a << ", " << c.b << ", " << c.distance;
}

// Connectors in a drawing: a stored path, its inner rectangle's top-left at an origin.
class ConnectorGeometryInDrawing : public ConnectorClass {
protected:
    int AddWithPath(const ConnectorSegmentBlock& path, POINT origin, int kind = ConnectorSquare)
    {
        const int row = AddConnector(RECT{origin.x, origin.y, origin.x + 1000, origin.y + 1000}, 1, kind);
        SetPath(row, path);
        Change(row, [origin](DrawObject& o, Drawing&) {
            o.innerRect.left = origin.x;
            o.innerRect.top = origin.y;
            o.lineWidth = 11;
            o.arrowEnds = 0;
            o.arrowStart = 0;
            o.arrowEnd = 0;
            o.arrowSize = 0;
        });
        return row;
    }
    template <typename F>
    DrawObject Recalc(int row, F setUp)
    {
        Change(row, [&setUp](DrawObject& o, Drawing& d) {
            setUp(o, d);
            RecalcConnectorRects(&d, &o);
        });
        return Object(row);
    }
    int PointOf(int row, int code, POINT* point, RECT* segment, int* index)
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        return GetConnectorPoint(d.get(), objects.get(), row, code, point, segment, index);
    }
    double Length(int row)
    {
        double length = -1.0;
        Change(row, [&length](DrawObject& o, Drawing& d) { length = ConnectorLength(&d, &o); });
        return length;
    }
    void LoseRecord(int row)
    {
        Change(row, [](DrawObject& o, Drawing&) { o.dataId = 9999; });
    }
};

TEST_F(ConnectorGeometryInDrawing, PartCodesNameTheEndsAndTheFirstInnerSegmentOfAnOrientation)
{
    const int row = AddWithPath(FiveSegments(), POINT{700, 1700});
    const struct {
        int code;
        POINT point;
        RECT segment;
        int index;
    } cases[] = {
        {ConnectorVerticalFromStart, {700, 1950}, {700, 1700, 700, 2200}, 2},
        {ConnectorHorizontalFromStart, {850, 1700}, {700, 1700, 1000, 1700}, 1},
        {ConnectorVerticalFromEnd, {700, 1950}, {700, 1700, 700, 2200}, 2},
        {ConnectorHorizontalFromEnd, {870, 2200}, {700, 2200, 1040, 2200}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        POINT point = {};
        RECT segment = {};
        int index = -1;
        ASSERT_EQ(0, PointOf(row, c.code, &point, &segment, &index));
        EXPECT_EQ(c.point, point);
        EXPECT_EQ(c.segment, segment);
        EXPECT_EQ(c.index, index);
    }
    POINT point = {};
    EXPECT_EQ(0, PointOf(row, ConnectorFirstPoint, &point, nullptr, nullptr));
    EXPECT_EQ((POINT{1000, 2000}), point);
    EXPECT_EQ(0, PointOf(row, ConnectorLastPoint, &point, nullptr, nullptr));
    EXPECT_EQ((POINT{1040, 2500}), point);
    // Any other code names the last point.
    point = {};
    EXPECT_EQ(0, PointOf(row, 7, &point, nullptr, nullptr));
    EXPECT_EQ((POINT{1040, 2500}), point);
}

TEST_F(ConnectorGeometryInDrawing, AMissingInnerOrientationAnswersOneAndWritesNothing)
{
    // Three segments: the only inner segment is horizontal.
    const int row = AddWithPath(TopToTop(), POINT{1000, 1700});
    POINT point = {-1, -1};
    RECT segment = {-1, -1, -1, -1};
    int index = -1;
    EXPECT_EQ(1, PointOf(row, ConnectorVerticalFromStart, &point, &segment, &index));
    EXPECT_EQ(1, PointOf(row, ConnectorVerticalFromEnd, &point, &segment, &index));
    EXPECT_EQ((POINT{-1, -1}), point);
    EXPECT_EQ((RECT{-1, -1, -1, -1}), segment);
    EXPECT_EQ(-1, index);
    EXPECT_EQ(0, PointOf(row, ConnectorHorizontalFromEnd, &point, &segment, &index));
    EXPECT_EQ((POINT{2000, 1700}), point);
    EXPECT_EQ(1, index);
    EXPECT_EQ(0, PointOf(row, ConnectorHorizontalFromStart, &point, &segment, &index));
    EXPECT_EQ(1, index);

    LoseRecord(row);
    EXPECT_EQ(StoreKeyMissing, PointOf(row, ConnectorFirstPoint, &point, nullptr, nullptr));
}

TEST_F(ConnectorGeometryInDrawing, RectanglesHoldThePenTheHeadsAndTheShadow)
{
    // Width 11: 5 on the top or left side of a segment, 6 on the bottom or right. Segment
    // rectangles (0,-5,500,6), (495,0,506,400), (500,395,1000,406) around the 1000 x 400 path at
    // (1000, 2000). Heads of size 0 reach 12 + 11 + 6 = 29 across; circles as far along.
    struct Case {
        const char* name;
        int ends;
        DWORD start, end;
        RECT frame;
    };
    const Case cases[] = {
        {"no heads", 0, ArrowFilled, ArrowFilled, {1000, 1995, 2000, 2406}},
        // The first word's head on segment 0: (0,-34,500,35).
        {"head at the first point", 2, ArrowFilled, 0, {1000, 1966, 2000, 2406}},
        // A circle on the last segment: (471,366,1029,435).
        {"circle at the last point", 1, 0, ArrowCircle, {1000, 1995, 2029, 2435}},
    };
    const int row = AddWithPath(SquareLayout(), POINT{1000, 2000});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DrawObject o = Recalc(row, [&c](DrawObject& changed, Drawing&) {
            changed.arrowEnds = c.ends;
            changed.arrowStart = c.start;
            changed.arrowEnd = c.end;
        });
        EXPECT_EQ((RECT{1000, 2000, 2000, 2400}), o.innerRect);
        EXPECT_EQ(o.innerRect, o.textRect);
        EXPECT_EQ(c.frame, o.frame);
        RECT update = c.frame;
        InflateRect(&update, 30, 30);
        EXPECT_EQ(update, o.updateRect);
    }

    // A shadow of style 5 at (-12, 24) widens every segment 12 to the left and 24 downward.
    const DrawObject shadowed = Recalc(row, [](DrawObject& o, Drawing& d) {
        o.arrowEnds = 0;
        o.options &= ~OptShadowHidden;
        d.style.shadowStyle = 5;
        d.style.shadowDx = -12;
        d.style.shadowDy = 24;
    });
    EXPECT_EQ((RECT{1000, 2000, 2000, 2400}), shadowed.innerRect);
    EXPECT_EQ((RECT{988, 1995, 2000, 2430}), shadowed.frame);
    EXPECT_EQ((RECT{958, 1965, 2030, 2460}), shadowed.updateRect);
}

TEST_F(ConnectorGeometryInDrawing, AOneSegmentConnectorGetsReachOnlyFromAMidLineHead)
{
    // Only the second head on a left-first single segment: segment 0 carries no head.
    const int row = AddWithPath(MakePath(SideNone, SideNone, {{0, 0, 1000, 0}}), POINT{1000, 2000});
    const DrawObject plain = Recalc(row, [](DrawObject& o, Drawing&) {
        o.arrowEnds = 1;
        o.arrowEnd = ArrowFilled;
    });
    EXPECT_EQ((RECT{1000, 1995, 2000, 2006}), plain.frame);
    // A mid-line head puts its reach on segment (1 - 1) / 2 = 0.
    const DrawObject mid = Recalc(row, [](DrawObject& o, Drawing&) {
        o.arrowEnds = 1;
        o.arrowEnd = ArrowMidFilled;
    });
    EXPECT_EQ((RECT{1000, 1966, 2000, 2035}), mid.frame);
    EXPECT_EQ((RECT{1000, 2000, 2000, 2000}), mid.innerRect);
}

TEST_F(ConnectorGeometryInDrawing, RectanglesFollowTheInnerCornerAndStayWhenTheRecordIsLost)
{
    // A path not moved to its origin still lies at the inner rectangle's top-left.
    ConnectorSegmentBlock shifted = SquareLayout();
    for (int i = 0; i < 3; ++i) {
        shifted.segments[i].x1 += 100;
        shifted.segments[i].x2 += 100;
        shifted.segments[i].y1 += 50;
        shifted.segments[i].y2 += 50;
    }
    const int row = AddWithPath(shifted, POINT{1000, 2000});
    const DrawObject o = Recalc(row, [](DrawObject&, Drawing&) {});
    EXPECT_EQ((RECT{1000, 2000, 2000, 2400}), o.innerRect);
    EXPECT_EQ((RECT{1000, 1995, 2000, 2406}), o.frame);

    LoseRecord(row);
    const DrawObject kept = Recalc(row, [](DrawObject& changed, Drawing&) { changed.lineWidth = 101; });
    EXPECT_EQ(o.frame, kept.frame);
    EXPECT_EQ(o.updateRect, kept.updateRect);
}

TEST_F(ConnectorGeometryInDrawing, LengthIsTheChordOrTheSpanAlongTheLabel)
{
    const struct {
        const char* name;
        ConnectorSegmentBlock path;
        double length;
    } cases[] = {
        // Odd counts: the label stands across the middle segment when it is shorter than 200.
        {"long vertical middle", SquareLayout(), 400.0},
        {"short vertical middle",
         MakePath(SideNone, SideNone, {{0, 0, 500, 0}, {500, 0, 500, 100}, {500, 100, 1000, 100}}), 1000.0},
        {"short horizontal middle",
         MakePath(SideNone, SideNone, {{0, 0, 0, 500}, {0, 500, 150, 500}, {150, 500, 150, 1000}}), 1000.0},
        {"long horizontal middle",
         MakePath(SideNone, SideNone, {{0, 0, 0, 500}, {0, 500, 1500, 500}, {1500, 500, 1500, 1000}}), 1500.0},
        // One segment: its own length, also under 200.
        {"short straight", MakePath(SideNone, SideNone, {{0, 0, 150, 0}}), 150.0},
        {"short straight down", MakePath(SideNone, SideNone, {{0, 0, 0, 120}}), 120.0},
        {"long straight", MakePath(SideNone, SideNone, {{0, 0, 900, 0}}), 900.0},
        // Even counts: the distance between the ends.
        {"two segments", CurvedLayout(), std::sqrt(1000.0 * 1000.0 + 400.0 * 400.0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int row = AddWithPath(c.path, POINT{1000, 2000});
        EXPECT_DOUBLE_EQ(c.length, Length(row));
    }
    const int lost = AddWithPath(SquareLayout(), POINT{1000, 2000});
    LoseRecord(lost);
    EXPECT_EQ(0.0, Length(lost));
}
