// An elbow connector as a hook target and holder: hook points on its segments and their places,
// its ends, sides and snap points, the label on it, and its path as outline points and pieces.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "lines/connector_fixture.h"
#include "shapes/custom_outline.h"

namespace {

ConnectorSegmentBlock MakePath(int startSide, int endSide, std::initializer_list<ConnectorSegment> segments)
{
    ConnectorSegmentBlock path = {};
    path.startSide = startSide;
    path.endSide = endSide;
    path.segmentCount = static_cast<INT32>(segments.size());
    int i = 0;
    for (const ConnectorSegment& s : segments)
        path.segments[i++] = s;
    for (INT32& length : path.preferred)
        length = kConnectorPreferredLength;
    return path;
}

// Down from (0, 0), across at y 200, down to (600, 400): the first point leaves downward, the
// last upward.
const ConnectorSegmentBlock kDownAcrossDown =
    MakePath(SideBottom, SideTop, {{0, 0, 0, 200}, {0, 200, 600, 200}, {600, 200, 600, 400}});
const RECT kInner = {1000, 1000, 1600, 1400};

bool operator==(const ConnectorSegment& a, const ConnectorSegment& b)
{
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}

#pragma pack(push, 1)
// An outline block with room for three vertices.
struct ThreeVertexOutline {
    OutlinePointBlock head;
    OutlineVertex vertices[3];
};
#pragma pack(pop)

ThreeVertexOutline OutlineWithPiece(int pieceClass, int orientation, int turnCode)
{
    ThreeVertexOutline outline = {};
    outline.head.count = 3;
    outline.head.designWidth = outline.head.designHeight = 600;
    outline.vertices[1] = OutlineVertex{pieceClass, orientation, turnCode, 0.0, 0, 0};
    return outline;
}

class ConnectorHooks : public ConnectorClass {
protected:
    // A connector with `path` over the inner rectangle `inner`.
    int AddWithPath(const ConnectorSegmentBlock& path, RECT inner = kInner, int kind = ConnectorSquare)
    {
        const int row = AddConnector(inner, 1, kind);
        SetPath(row, path);
        Change(row, [inner, kind](DrawObject& o, Drawing& d) {
            o.innerRect = inner;
            o.objType = kind;
            d.drawingFlags &= ~DWORD(DrawSnap);
        });
        return row;
    }
    INT32 LabelAngle(int row)
    {
        INT32 angle = 12345;
        SendConnector(row, OM_LABELANCHOR, 1, 205, &angle);
        return angle;
    }
    POINT Place(int row, POINT box, int code = 0)
    {
        SendConnector(row, OM_MAPHOOKPOINT, 1, code, &box);
        return box;
    }
    POINT HookPoint(int row, POINT cursor, INT32 count = 1)
    {
        SendConnector(row, OM_GETHOOKPOINTS, 0, Arg(&count), &cursor);
        EXPECT_EQ(1, count);
        return cursor;
    }
    // Message 73 with a block for turn codes and a bounds rectangle, as the outline code sends it.
    LONG GetPath(int row, HGLOBAL turnCodes, RECT* bounds, INT32* count, POINT* points)
    {
        Locked<Drawing> d(state_->drawing);
        Locked<ObjectList> objects(d->objectList);
        return SED_SegLHandler(reinterpret_cast<HDC>(turnCodes), reinterpret_cast<Drawing*>(bounds),
                               objects.get(), row, OM_GETPATH, 0, Arg(count), points);
    }
    // Message 75, which comes without a connector.
    static void ArcPoints(const INT32* segment, ThreeVertexOutline* outline, int vertex, INT32* count,
                          POINT* points)
    {
        SED_SegLHandler(nullptr, reinterpret_cast<Drawing*>(const_cast<INT32*>(segment)), outline, vertex,
                        OM_GETPOINTLIST, 0, Arg(count), points);
    }
};

struct LabelCase {
    const char* name;
    ConnectorSegmentBlock path;
    RECT inner;
    INT32 angle;
    POINT point;
};

TEST_F(ConnectorHooks, LabelGoesAlongOrAcrossTheMiddleSegmentByItsLength)
{
    const LabelCase cases[] = {
        // Odd counts: the middle segment; shorter than 200 the label stands across it.
        {"horizontal middle 150", MakePath(0, 0, {{0, 0, 0, 200}, {0, 200, 150, 200}, {150, 200, 150, 400}}),
         {1000, 1000, 1150, 1400}, 900, {1075, 1200}},
        {"horizontal middle 200", MakePath(0, 0, {{0, 0, 0, 200}, {0, 200, 200, 200}, {200, 200, 200, 400}}),
         {1000, 1000, 1200, 1400}, 0, {1100, 1200}},
        {"vertical middle 150", MakePath(0, 0, {{0, 0, 300, 0}, {300, 0, 300, 150}, {300, 150, 600, 150}}),
         {1000, 1000, 1600, 1150}, 0, {1300, 1075}},
        {"vertical middle 200", MakePath(0, 0, {{0, 0, 300, 0}, {300, 0, 300, 200}, {300, 200, 600, 200}}),
         {1000, 1000, 1600, 1200}, 900, {1300, 1100}},
        // Even counts: segment m = count / 2 against the one before it. 3 x 100 < 400: the
        // vertical segment 1 takes the label.
        {"horizontal 100 after vertical 400",
         MakePath(0, 0, {{0, 0, 200, 0}, {200, 0, 200, 400}, {200, 400, 300, 400}, {300, 400, 300, 600}}),
         {1000, 1000, 1300, 1600}, 900, {1200, 1200}},
        {"horizontal 200 after vertical 400",
         MakePath(0, 0, {{0, 0, 200, 0}, {200, 0, 200, 400}, {200, 400, 400, 400}, {400, 400, 400, 600}}),
         {1000, 1000, 1400, 1600}, 0, {1300, 1400}},
        // 400 < 3 x 500: the horizontal segment 0 takes it.
        {"vertical 400 after horizontal 500", MakePath(0, 0, {{0, 0, 500, 0}, {500, 0, 500, 400}}),
         {1000, 1000, 1500, 1400}, 0, {1250, 1000}},
        {"vertical 400 after horizontal 100", MakePath(0, 0, {{0, 0, 100, 0}, {100, 0, 100, 400}}),
         {1000, 1000, 1100, 1400}, 900, {1100, 1200}},
    };
    for (const LabelCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int row = AddWithPath(c.path, c.inner);
        EXPECT_EQ(c.angle, LabelAngle(row));
        EXPECT_EQ(c.point, Place(row, POINT{0, 0}, 205));
    }
}

TEST_F(ConnectorHooks, LabelOfACurvedConnectorFollowsItsSlope)
{
    // One quarter ellipse from (0, 0) bending at the bottom-left to (600, 400): its ellipse
    // (0, -400, 1200, 400) reaches above the origin, so the box point is (180, 420), i.e.
    // (180, 280) in the path. The horizontal segment is nearer (120 < 180); on the ellipse at
    // x 180: 400 x sqrt(1 - 0.49) = 285.65.
    const int row = AddWithPath(MakePath(0, 0, {{0, 0, 0, 400}, {0, 400, 600, 400}}), kInner, ConnectorCurved);
    // atan(400 / 600) = 336.9 tenths; the first point has y 0, so the angle is negative.
    EXPECT_EQ(-336, LabelAngle(row));
    EXPECT_EQ((POINT{1180, 1285}), Place(row, POINT{0, 0}, 205));
    EXPECT_EQ((POINT{1180, 1285}), Place(row, POINT{555, 5}, 209));
}

TEST_F(ConnectorHooks, LabelAngleIsWrittenOnlyWhenAsked)
{
    const int row = AddWithPath(kDownAcrossDown);
    INT32 angle = 12345;
    SendConnector(row, OM_LABELANCHOR, 0, 205, &angle);
    EXPECT_EQ(12345, angle);
}

TEST_F(ConnectorHooks, BoxPointsMapOntoTheNearestSegment)
{
    // Inner 600 x 400: box x is path x, box y is path y x 2/3.
    const int row = AddWithPath(kDownAcrossDown);
    POINT points[] = {
        {300, 300},   // (300, 200): on the horizontal segment
        {0, 150},     // (0, 100): on the first vertical one (0 < 100)
        {600, 600},   // (600, 400): the last point
        {60, 210},    // (60, 140): 60 from both kinds, the vertical one wins
        {100, 600},   // (100, 400): nearest the first vertical, held to its end
    };
    SendConnector(row, OM_MAPHOOKPOINT, 5, 0, points);
    EXPECT_EQ((POINT{1300, 1200}), points[0]);
    EXPECT_EQ((POINT{1000, 1100}), points[1]);
    EXPECT_EQ((POINT{1600, 1400}), points[2]);
    EXPECT_EQ((POINT{1000, 1140}), points[3]);
    EXPECT_EQ((POINT{1000, 1200}), points[4]);
}

TEST_F(ConnectorHooks, BoxPointsOfACurvedConnectorLieOnItsPieces)
{
    const int row = AddWithPath(kDownAcrossDown, kInner, ConnectorCurved);
    // (450, 200) on the horizontal segment's right half: piece 1 from (300, 200) to (600, 400),
    // ellipse centre (300, 400), radii 300 x 200: 400 - 200 x sqrt(0.75) = 226.8.
    EXPECT_EQ((POINT{1450, 1226}), Place(row, POINT{450, 300}));
    // (150, 200) on its left half, where segment 0 joins it: piece 0 from (0, 0) to (300, 200),
    // centre (300, 0): 200 x sqrt(0.75) = 173.2.
    EXPECT_EQ((POINT{1150, 1173}), Place(row, POINT{150, 300}));
}

TEST_F(ConnectorHooks, HookPointOfACursorIsProjectedOntoItsSegment)
{
    const int row = AddWithPath(kDownAcrossDown);
    // Near the horizontal segment: (300, 200) in the path.
    EXPECT_EQ((POINT{300, 300}), HookPoint(row, POINT{1300, 1210}));
    EXPECT_EQ((POINT{300, 300}), Object(row).lastHookPoint);
    // Near the last vertical segment: (600, 300).
    EXPECT_EQ((POINT{600, 450}), HookPoint(row, POINT{1590, 1300}));
    // Off the path the cursor comes back as it is, and is remembered so.
    EXPECT_EQ((POINT{1300, 1350}), HookPoint(row, POINT{1300, 1350}));
    EXPECT_EQ((POINT{1300, 1350}), Object(row).lastHookPoint);
}

TEST_F(ConnectorHooks, CountZeroAnswersTheRememberedPointWhichShownMarksKeep)
{
    const int row = AddWithPath(kDownAcrossDown);
    HookPoint(row, POINT{1300, 1210});
    EXPECT_EQ((POINT{300, 300}), HookPoint(row, POINT{1590, 1300}, 0));

    Change(row, [](DrawObject& o, Drawing&) { o.state |= StateShowHooks; });
    EXPECT_EQ((POINT{600, 450}), HookPoint(row, POINT{1590, 1300}));
    EXPECT_EQ((POINT{300, 300}), Object(row).lastHookPoint);
}

TEST_F(ConnectorHooks, SnapPointsAreTheEndsInTheBox)
{
    struct Case {
        ConnectorSegmentBlock path;
        RECT inner;
        POINT first, last;
    } cases[] = {
        {kDownAcrossDown, kInner, {0, 0}, {600, 600}},
        // A single vertical segment has no width: box x 0 at both ends.
        {MakePath(0, 0, {{0, 0, 0, 500}}), {1000, 1000, 1000, 1500}, {0, 0}, {0, 600}},
    };
    for (const Case& c : cases) {
        const int row = AddWithPath(c.path, c.inner);
        INT32 count = -1;
        POINT points[2] = {};
        SendConnector(row, OM_GETSNAPPOINTS, 0, Arg(&count), points);
        EXPECT_EQ(2, count);
        EXPECT_EQ(c.first, points[0]);
        EXPECT_EQ(c.last, points[1]);
    }
}

TEST_F(ConnectorHooks, HandleCodesNameTheEnds)
{
    const int row = AddWithPath(kDownAcrossDown);
    const struct {
        int code;
        INT32 end;
    } cases[] = {{1, 1}, {3, 1}, {5, 1}, {28, 1}, {2, 2}, {4, 2}, {6, 2}, {29, 2}, {7, -1}, {50, -1}, {0, -1}};
    for (const auto& c : cases) {
        INT32 end = 99;
        EXPECT_EQ(0, SendConnector(row, OM_HANDLETOEND, c.code, 0, &end));
        EXPECT_EQ(c.end, end) << "code " << c.code;
    }
}

TEST_F(ConnectorHooks, EndPositionsNameTheOtherEndToKeep)
{
    const int row = AddWithPath(kDownAcrossDown);
    INT32 other = 0;
    POINT p = {};
    EXPECT_EQ(0, SendConnector(row, OM_GETPOINTPOS, 1, Arg(&other), &p));
    EXPECT_EQ((POINT{1000, 1000}), p);
    EXPECT_EQ(2, other);
    EXPECT_EQ(0, SendConnector(row, OM_GETPOINTPOS, 2, Arg(&other), &p));
    EXPECT_EQ((POINT{1600, 1400}), p);
    EXPECT_EQ(1, other);
}

TEST_F(ConnectorHooks, SizeIsTheInnerRectangleAndFrameTheFrame)
{
    const int row = AddWithPath(kDownAcrossDown);
    POINT size = {};
    SendConnector(row, OM_GETSIZE, 0, 0, &size);
    EXPECT_EQ((POINT{600, 400}), size);
    RECT frame = {};
    SendConnector(row, OM_GETFRAME, 0, 0, &frame);
    EXPECT_EQ(Object(row).frame, frame);
}

TEST_F(ConnectorHooks, SideFacingAnotherPoint)
{
    const int row = AddWithPath(kDownAcrossDown);
    const struct {
        POINT on, other;
        int side;
    } cases[] = {
        {{1300, 1200}, {1300, 900}, SideTop},      // horizontal segment
        {{1300, 1200}, {1300, 1300}, SideBottom},
        {{1000, 1100}, {900, 1100}, SideLeft},     // first vertical segment
        {{1000, 1100}, {1100, 1100}, SideRight},
        {{1300, 1350}, {1300, 900}, SideNone},     // not on the connector
    };
    for (const auto& c : cases) {
        POINT on = c.on, other = c.other;
        EXPECT_EQ(c.side, SendConnector(row, OM_ENDSIDE, 0, Arg(&on), &other)) << c.on << " " << c.other;
    }
}

TEST_F(ConnectorHooks, SquarePathGivesItsCornersAndWidensTheBounds)
{
    const int row = AddWithPath(kDownAcrossDown);
    INT32 count = 0;
    POINT points[6] = {};
    RECT bounds = {1100, 1100, 1100, 1100};
    EXPECT_EQ(4, GetPath(row, nullptr, &bounds, &count, points));
    EXPECT_EQ(4, count);
    EXPECT_EQ((POINT{1000, 1000}), points[0]);
    EXPECT_EQ((POINT{1000, 1200}), points[1]);
    EXPECT_EQ((POINT{1600, 1200}), points[2]);
    EXPECT_EQ((POINT{1600, 1400}), points[3]);
    EXPECT_EQ(kInner, bounds);
}

TEST_F(ConnectorHooks, CurvedPathGivesThePieceEndsAndTheirTurnCodes)
{
    HGLOBAL codes = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 8);
    ASSERT_NE(nullptr, codes);
    const auto byte = [codes](int k) {
        const BYTE* bytes = static_cast<const BYTE*>(GlobalLock(codes));
        const int value = bytes ? bytes[k] : -1;
        GlobalUnlock(codes);
        return value;
    };
    {
        // Down then across bends at the bottom-left (1), across then down at the top-right (3).
        const int row = AddWithPath(kDownAcrossDown, kInner, ConnectorCurved);
        INT32 count = 0;
        POINT points[6] = {};
        EXPECT_EQ(3, GetPath(row, codes, nullptr, &count, points));
        EXPECT_EQ(60, count);
        EXPECT_EQ((POINT{1000, 1000}), points[0]);
        EXPECT_EQ((POINT{1300, 1200}), points[1]);
        EXPECT_EQ((POINT{1600, 1400}), points[2]);
        EXPECT_EQ(1, byte(0));
        EXPECT_EQ(3, byte(1));
    }
    {
        // One piece: its code at bytes 0 and 1.
        const int row = AddWithPath(MakePath(0, 0, {{0, 0, 0, 400}, {0, 400, 600, 400}}), kInner, ConnectorCurved);
        INT32 count = 0;
        POINT points[6] = {};
        EXPECT_EQ(2, GetPath(row, codes, nullptr, &count, points));
        EXPECT_EQ(30, count);
        EXPECT_EQ(1, byte(0));
        EXPECT_EQ(1, byte(1));
    }
    GlobalFree(codes);
}

TEST_F(ConnectorHooks, GeometryDescriptorNamesTheKind)
{
    OutlineVertex v = {9, 9, 9, 9.0, 77, 88};
    SendConnector(AddWithPath(kDownAcrossDown, kInner, ConnectorCurved), OM_GETGEOMETRY, 2, 0, &v);
    EXPECT_EQ(2, v.pieceClass);
    EXPECT_EQ(1, v.orientation);
    EXPECT_EQ(2, v.lineShape);
    EXPECT_EQ(0.0, v.param);
    EXPECT_EQ(77, v.x);   // the vertex itself is not the descriptor's
    SendConnector(AddWithPath(kDownAcrossDown), OM_GETGEOMETRY, 2, 0, &v);
    EXPECT_EQ(1, v.pieceClass);
    EXPECT_EQ(1, v.orientation);
    EXPECT_EQ(0, v.lineShape);
}

struct ArcCase {
    int turn;
    INT32 segment[4];
    // Which side of the chord the middle of the arc lies on, by the corner it bends toward.
    bool (*bulges)(POINT);
};

TEST_F(ConnectorHooks, CurvedPieceBecomesThirtyPointsFromTheFirstGivenPoint)
{
    const ArcCase cases[] = {
        {0, {0, 300, 300, 0}, [](POINT p) { return p.x + p.y < 300; }},   // toward (0, 0)
        {0, {300, 0, 0, 300}, [](POINT p) { return p.x + p.y < 300; }},   // given right to left
        {1, {0, 0, 300, 300}, [](POINT p) { return p.x < p.y; }},         // toward (0, 300)
        {2, {0, 300, 300, 0}, [](POINT p) { return p.x + p.y > 300; }},   // toward (300, 300)
        {3, {0, 0, 300, 300}, [](POINT p) { return p.x > p.y; }},         // toward (300, 0)
    };
    for (const ArcCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "turn " << c.turn << " from " << c.segment[0] << "," << c.segment[1]);
        ThreeVertexOutline outline = OutlineWithPiece(ClassConnector, 1, c.turn);
        std::vector<POINT> list(600, POINT{-1, -1});
        list[0] = POINT{7, 7};
        list[1] = POINT{c.segment[0], c.segment[1]};
        INT32 count = 2;
        ArcPoints(c.segment, &outline, 1, &count, list.data());
        ASSERT_EQ(31, count);
        EXPECT_EQ((POINT{7, 7}), list[0]);
        EXPECT_EQ((POINT{c.segment[0], c.segment[1]}), list[1]);
        EXPECT_EQ((POINT{c.segment[2], c.segment[3]}), list[30]);
        EXPECT_TRUE(c.bulges(list[15])) << list[15];
        for (int i = 1; i <= 30; ++i) {
            EXPECT_TRUE(list[i].x >= 0 && list[i].x <= 300 && list[i].y >= 0 && list[i].y <= 300) << list[i];
        }
    }
}

TEST_F(ConnectorHooks, CurvedPieceIsAppendedOnlyToAFittingListOfACurvedVertex)
{
    const INT32 segment[4] = {0, 300, 300, 0};
    const struct {
        const char* name;
        int pieceClass, orientation, vertex;
        INT32 count, after;
    } cases[] = {
        {"569 points", ClassConnector, 1, 1, 569, 598},
        {"570 points", ClassConnector, 1, 1, 570, 570},
        {"580 points", ClassConnector, 1, 1, 580, 580},
        {"first vertex", ClassConnector, 1, 0, 2, 2},
        {"vertex past the count", ClassConnector, 1, 3, 2, 2},
        {"straight piece", ClassLine, 1, 1, 2, 2},
        {"other orientation", ClassConnector, 0, 1, 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ThreeVertexOutline outline = OutlineWithPiece(c.pieceClass, c.orientation, 0);
        outline.vertices[0] = outline.vertices[2] = outline.vertices[1];
        std::vector<POINT> list(600, POINT{-1, -1});
        INT32 count = c.count;
        ArcPoints(segment, &outline, c.vertex, &count, list.data());
        EXPECT_EQ(c.after, count);
        if (c.after == c.count) {
            EXPECT_EQ((POINT{-1, -1}), list[c.count - 1]);
        }
    }
}

TEST_F(ConnectorHooks, OutlinePieceMakesACurvedConnectorOfTwoSegments)
{
    const struct {
        int turn;
        ConnectorSegment first, second;
        int corner;
    } cases[] = {
        {0, {0, 0, 0, 400}, {0, 0, 600, 0}, 3},
        {1, {0, 0, 0, 400}, {0, 400, 600, 400}, 1},
        {2, {0, 400, 600, 400}, {600, 0, 600, 400}, 2},
        {3, {0, 0, 600, 0}, {600, 0, 600, 400}, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "turn " << c.turn);
        const int row = AddWithPath(kDownAcrossDown);
        ThreeVertexOutline outline = OutlineWithPiece(ClassConnector, 1, c.turn);
        SendConnector(row, OM_SETGEOMETRY, 1, 0, &outline);
        const ConnectorSegmentBlock path = Path(row);
        EXPECT_EQ(2, path.segmentCount);
        EXPECT_TRUE(path.segments[0] == c.first);
        EXPECT_TRUE(path.segments[1] == c.second);
        EXPECT_EQ(SideNone, path.startSide);
        EXPECT_EQ(SideNone, path.endSide);
        const DrawObject o = Object(row);
        EXPECT_EQ(ConnectorCurved, o.objType);
        EXPECT_EQ(c.corner, o.lineShape);
    }
}

TEST_F(ConnectorHooks, OutlineVertexOutsideTheBlockChangesNothing)
{
    const int row = AddWithPath(kDownAcrossDown);
    ThreeVertexOutline outline = OutlineWithPiece(ClassConnector, 1, 1);
    for (int vertex : {-1, 3, 40}) {
        SendConnector(row, OM_SETGEOMETRY, vertex, 0, &outline);
        EXPECT_EQ(3, Path(row).segmentCount);
        EXPECT_EQ(ConnectorSquare, Object(row).objType);
    }
}

TEST_F(ConnectorHooks, ShowLengthSetsOrClearsTheFlag)
{
    const int row = AddWithPath(kDownAcrossDown);
    INT32 show[2] = {-1, 0};
    SendConnector(row, OM_SHOWLENGTH, 0, 0, show);
    EXPECT_EQ(0x40, Object(row).classFlags & 0x40);
    INT32 hide[2] = {-1, 1};
    EXPECT_EQ(0, SendConnector(row, OM_SHOWLENGTH, 0, 0, hide));
    EXPECT_EQ(0, Object(row).classFlags & 0x40);
}

}  // namespace
