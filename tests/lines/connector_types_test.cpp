// The connector's line types (sides and kind, or back into a straight line), its flip, arrowheads,
// width and style, the refused rotation and its capabilities.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "lines/arrowheads.h"
#include "lines/connector_fixture.h"
#include "lines/line_shape.h"
#include "shapes/shape_kinds.h"

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

const ConnectorSegment kDownAcrossDown[] = {{0, 0, 0, 200}, {0, 200, 600, 200}, {600, 200, 600, 400}};
const RECT kInner = {1000, 1000, 1600, 1400};

void ExpectSegments(const ConnectorSegmentBlock& path, const ConnectorSegmentBlock& expected)
{
    ASSERT_EQ(expected.segmentCount, path.segmentCount);
    for (int i = 0; i < expected.segmentCount; ++i) {
        const ConnectorSegment& s = path.segments[i];
        const ConnectorSegment& e = expected.segments[i];
        EXPECT_TRUE(s.x1 == e.x1 && s.y1 == e.y1 && s.x2 == e.x2 && s.y2 == e.y2)
            << "segment " << i << ": (" << s.x1 << ", " << s.y1 << ")-(" << s.x2 << ", " << s.y2 << ")";
    }
}

void ExpectSegments(const ConnectorSegmentBlock& path, std::initializer_list<ConnectorSegment> expected)
{
    ExpectSegments(path, MakePath(0, 0, expected));
}

class ConnectorTypes : public ConnectorClass {
protected:
    int AddWithPath(const ConnectorSegmentBlock& path, RECT inner = kInner, int kind = ConnectorSquare,
                    int corner = 1)
    {
        const int row = AddConnector(inner, corner, kind);
        SetPath(row, path);
        Change(row, [inner, kind](DrawObject& o, Drawing&) {
            o.innerRect = inner;
            o.objType = kind;
        });
        return row;
    }
    LONG LineType(int row, int code)
    {
        INT32 values[2] = {0, code};
        return SendConnector(row, OM_SETLINETYPE, 0, 0, values);
    }
    void Arrowheads(int row, INT32 start, INT32 end, INT32 size = 1)
    {
        Change(row, [=](DrawObject& o, Drawing&) {
            o.arrowStart = start;
            o.arrowEnd = end;
            o.arrowSize = size;
            o.arrowEnds = (start ? 2 : 0) | (end ? 1 : 0);
        });
    }
    void Group(int row)
    {
        Change(row, [](DrawObject& o, Drawing&) {
            o.groupId = 7;
            o.groupRow = 0;
        });
    }
    int DefaultLineWidth()
    {
        Locked<Drawing> d(state_->drawing);
        return d->defaults.defaultLineWidth;
    }
};

TEST_F(ConnectorTypes, LineTypeRoutesBetweenTheChosenCornersWithTheChosenSides)
{
    // 21 and 37: top to top from the bottom-left (1000, 1400) to the bottom-right (2000, 1400):
    // both stubs rise 300 to y 1100 (above the 60 units before the target).
    for (int code : {21, 37}) {
        SCOPED_TRACE(testing::Message() << "code " << code);
        const RECT inner = {1000, 1000, 2000, 1400};
        const int row = AddWithPath(MakePath(0, 0, {{0, 0, 500, 0}, {500, 0, 500, 400}, {500, 400, 1000, 400}}), inner);
        EXPECT_EQ(0, LineType(row, code));
        const ConnectorSegmentBlock path = Path(row);
        EXPECT_EQ(SideTop, path.startSide);
        EXPECT_EQ(SideTop, path.endSide);
        ExpectSegments(path, {{0, 0, 0, 300}, {0, 0, 1000, 0}, {1000, 0, 1000, 300}});
        for (int i = 0; i < kConnectorMaxSegments; ++i)
            EXPECT_EQ(kConnectorPreferredLength, path.preferred[i]);
        const DrawObject o = Object(row);
        EXPECT_EQ(code == 21 ? ConnectorSquare : ConnectorCurved, o.objType);
        EXPECT_EQ(ClassConnector, o.objClass);
        // The ends keep their places; the stubs rise out of the old rectangle.
        EXPECT_EQ((RECT{1000, 1100, 2000, 1400}), o.innerRect);
    }
}

TEST_F(ConnectorTypes, LineTypeMovesTheHooksToTheMiddlesOfTheChosenSides)
{
    const int shape = AddAt(ClassShape, RECT{3000, 3000, 3600, 3600}, ShapeRectangle);
    const int shapeId = Object(shape).objId;
    const int row = AddWithPath(MakePath(SideBottom, SideTop, {kDownAcrossDown[0], kDownAcrossDown[1], kDownAcrossDown[2]}));
    Change(row, [shapeId, shape](DrawObject& o, Drawing&) {
        o.hookCount = 2;
        o.hooks[0] = HookEntry{shapeId, shape, 600, 600, 1};
        o.hooks[1] = HookEntry{shapeId, shape, 0, 0, 2};
    });
    // 23: top at the bottom-left (1000, 1400) to bottom at the top-right (1600, 1000); the ends
    // face each other, so three segments cross at y 1100.
    EXPECT_EQ(0, LineType(row, 23));
    const ConnectorSegmentBlock path = Path(row);
    EXPECT_EQ(SideTop, path.startSide);
    EXPECT_EQ(SideBottom, path.endSide);
    ExpectSegments(path, {{0, 100, 0, 400}, {0, 100, 600, 100}, {600, 0, 600, 100}});
    const DrawObject o = Object(row);
    EXPECT_EQ((POINT{300, 0}), (POINT{o.hooks[0].attachX, o.hooks[0].attachY}));
    EXPECT_EQ((POINT{300, 600}), (POINT{o.hooks[1].attachX, o.hooks[1].attachY}));
}

TEST_F(ConnectorTypes, LineTypeCodesOutsideTheTableChangeNothing)
{
    const int row = AddWithPath(MakePath(SideBottom, SideTop, {kDownAcrossDown[0], kDownAcrossDown[1], kDownAcrossDown[2]}));
    const std::string before = ObjectBytes();
    for (int code : {0, 5, 15, 0x30, 0x3F, 48, 0x50, -1}) {
        EXPECT_EQ(0, LineType(row, code)) << code;
        EXPECT_EQ(before, ObjectBytes()) << code;
        EXPECT_EQ(3, Path(row).segmentCount) << code;
    }
}

struct StraightCase {
    const char* name;
    ConnectorSegmentBlock path;
    RECT inner;
    int orientation;
    bool rising;
};

TEST_F(ConnectorTypes, StraightLineTypeTurnsTheConnectorIntoALineBetweenItsEnds)
{
    const StraightCase cases[] = {
        // Out to the right and back: both ends at x 0.
        {"ends share an x", MakePath(SideRight, SideRight, {{0, 0, 300, 0}, {300, 0, 300, 600}, {0, 600, 300, 600}}),
         {1000, 1000, 1300, 1600}, LineVertical, false},
        {"ends share a y", MakePath(SideBottom, SideBottom, {{0, 0, 0, 300}, {0, 300, 600, 300}, {600, 0, 600, 300}}),
         {1000, 1000, 1600, 1300}, LineHorizontal, false},
        {"falling", MakePath(SideBottom, SideTop, {kDownAcrossDown[0], kDownAcrossDown[1], kDownAcrossDown[2]}),
         kInner, LineSlanted, false},
        // From (0, 400) up to (600, 0).
        {"rising", MakePath(SideTop, SideBottom, {{0, 200, 0, 400}, {0, 200, 600, 200}, {600, 0, 600, 200}}),
         kInner, LineSlanted, true},
    };
    for (const StraightCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int row = AddWithPath(c.path, c.inner);
        const int recordId = Object(row).dataId;
        EXPECT_EQ(0, LineType(row, 1));
        const DrawObject o = Object(row);
        EXPECT_EQ(ClassLine, o.objClass);
        EXPECT_EQ(c.orientation, o.objType);
        EXPECT_EQ(LinePlain, o.lineShape);
        EXPECT_EQ(0, o.dataCount);
        EXPECT_EQ(-1, o.dataId);
        HGLOBAL block = nullptr;
        EXPECT_NE(0, LoadRecord(slot_, kConnectorRecordType, recordId, &block));
        switch (c.orientation) {
        case LineVertical:
            // The line takes the inner rectangle; its cross extent is the line's own.
            EXPECT_EQ(c.inner.left, o.axisCoord);
            EXPECT_EQ(c.inner.top, o.frame.top);
            EXPECT_EQ(c.inner.bottom, o.frame.bottom);
            break;
        case LineHorizontal:
            EXPECT_EQ(c.inner.top, o.axisCoord);
            EXPECT_EQ(c.inner.left, o.frame.left);
            EXPECT_EQ(c.inner.right, o.frame.right);
            break;
        default:
            EXPECT_EQ(c.inner, o.frame);
            EXPECT_EQ(c.rising, (o.state & StateRising) != 0);
            break;
        }
    }
}

TEST_F(ConnectorTypes, ArcLineTypeGivesTheFirstBulgeWhateverTheCreationCorner)
{
    // Created at corner 3, a number that as a line shape would already read as an arc.
    const int row = AddWithPath(MakePath(SideBottom, SideTop, {kDownAcrossDown[0], kDownAcrossDown[1], kDownAcrossDown[2]}),
                                kInner, ConnectorSquare, 3);
    ASSERT_EQ(3, Object(row).lineShape);
    EXPECT_EQ(0, LineType(row, 4));
    const DrawObject o = Object(row);
    EXPECT_EQ(ClassLine, o.objClass);
    EXPECT_EQ(LineArc, o.lineShape);
    EXPECT_EQ(180.0, o.param);
}

TEST_F(ConnectorTypes, CapsTellAGroupedConnector)
{
    const int row = AddWithPath(MakePath(0, 0, {kDownAcrossDown[0], kDownAcrossDown[1], kDownAcrossDown[2]}));
    EXPECT_EQ(0xA55, SendConnector(row, OM_GETCAPS));
    Group(row);
    EXPECT_EQ(0xA41, SendConnector(row, OM_GETCAPS));
}

TEST_F(ConnectorTypes, RotationIsRefusedAndChangesNothing)
{
    const int row = AddWithPath(MakePath(0, 0, {kDownAcrossDown[0], kDownAcrossDown[1], kDownAcrossDown[2]}));
    const std::string before = ObjectBytes();
    for (int message : {OM_SETANGLE, OM_ROTATETO}) {
        RotationRefused = FALSE;
        EXPECT_EQ(0, SendConnector(row, message, 450));
        EXPECT_TRUE(RotationRefused) << message;
        EXPECT_EQ(before, ObjectBytes()) << message;
    }
    RotationRefused = FALSE;
}

struct FlipCase {
    const char* name;
    ConnectorSegmentBlock path;
    RECT inner;
    int kind;
    int corner;
    int flags;
    ConnectorSegmentBlock expected;
    int corner2;
    bool arrowsExchanged;
};

TEST_F(ConnectorTypes, Flip)
{
    const FlipCase cases[] = {
        // No sides: the points are mirrored and, flipped horizontally, taken in reverse order.
        {"unsided square, horizontal", MakePath(0, 0, {kDownAcrossDown[0], kDownAcrossDown[1], kDownAcrossDown[2]}),
         kInner, ConnectorSquare, 1, 8,
         MakePath(0, 0, {{0, 200, 0, 400}, {0, 200, 600, 200}, {600, 0, 600, 200}}), 1, true},
        // Curved without sides: the bend moves from bottom-left (corner 1) to top-left (3).
        {"unsided curved, vertical", MakePath(0, 0, {{0, 0, 0, 400}, {0, 400, 600, 400}}), kInner, ConnectorCurved, 1,
         0x10, MakePath(0, 0, {{0, 0, 0, 400}, {0, 0, 600, 0}}), 3, false},
        // Top to top keeps its sides under a horizontal flip: the same route, the ends exchanged.
        {"top to top, horizontal", MakePath(SideTop, SideTop, {{0, 0, 0, 300}, {0, 0, 1000, 0}, {1000, 0, 1000, 300}}),
         {1000, 1000, 2000, 1300}, ConnectorSquare, 1, 8,
         MakePath(SideTop, SideTop, {{0, 0, 0, 300}, {0, 0, 1000, 0}, {1000, 0, 1000, 300}}), 1, true},
        // Bottom to top flipped vertically becomes top (at the bottom-left) to bottom (at the
        // top-right), code 23: facing ends, crossing 300 above the start at y 1100.
        {"bottom to top, vertical", MakePath(SideBottom, SideTop, {kDownAcrossDown[0], kDownAcrossDown[1], kDownAcrossDown[2]}),
         kInner, ConnectorSquare, 1, 0x10,
         MakePath(SideTop, SideBottom, {{0, 100, 0, 400}, {0, 100, 600, 100}, {600, 0, 600, 100}}), 1, false},
        // Right to left flipped horizontally keeps its ends: mirrored and re-routed between
        // (1000, 1400) and (1600, 1000), crossing at x 1300.
        {"right to left, horizontal",
         MakePath(SideRight, SideLeft, {{0, 0, 300, 0}, {300, 0, 300, 400}, {300, 400, 600, 400}}), kInner,
         ConnectorSquare, 1, 8,
         MakePath(SideRight, SideLeft, {{0, 400, 300, 400}, {300, 0, 300, 400}, {300, 0, 600, 0}}), 1, true},
        // Top to right flipped horizontally: the ends trade places (left side 7 at the
        // top-right, top side 5 at the bottom-right, code 17): from (1600, 1000) left to 1300,
        // down to 1300, right to 1600 and down to the end.
        {"top to right, horizontal", MakePath(SideTop, SideRight, {kDownAcrossDown[0], kDownAcrossDown[1], kDownAcrossDown[2]}),
         kInner, ConnectorSquare, 1, 8,
         MakePath(SideLeft, SideTop, {{0, 0, 300, 0}, {0, 0, 0, 300}, {0, 300, 300, 300}, {300, 300, 300, 400}}), 1,
         true},
    };
    for (const FlipCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int row = AddWithPath(c.path, c.inner, c.kind, c.corner);
        Arrowheads(row, 2, 0);
        EXPECT_EQ(0, SendConnector(row, OM_FLIP, c.flags));
        const ConnectorSegmentBlock path = Path(row);
        EXPECT_EQ(c.expected.startSide, path.startSide);
        EXPECT_EQ(c.expected.endSide, path.endSide);
        ExpectSegments(path, c.expected);
        const DrawObject o = Object(row);
        EXPECT_EQ(c.kind, o.objType);
        EXPECT_EQ(c.corner2, o.lineShape);
        EXPECT_EQ(c.arrowsExchanged ? 0 : 2, o.arrowStart);
        EXPECT_EQ(c.arrowsExchanged ? 2 : 0, o.arrowEnd);
        EXPECT_EQ(c.arrowsExchanged ? kArrowEnd2 : kArrowEnd1, o.arrowEnds);
    }
}

TEST_F(ConnectorTypes, ArrowEndsGiveKindOneAtTheNamedEnds)
{
    const int row = AddWithPath(MakePath(0, 0, {kDownAcrossDown[0], kDownAcrossDown[1], kDownAcrossDown[2]}));
    Arrowheads(row, 0x103, 5);
    INT32 both[2] = {0, 3};
    SendConnector(row, OM_SETARROWENDS, 0, 0, both);
    DrawObject o = Object(row);
    EXPECT_EQ(1, o.arrowStart);
    EXPECT_EQ(1, o.arrowEnd);
    EXPECT_EQ(3, o.arrowEnds);
    INT32 first[2] = {0, 2};
    SendConnector(row, OM_SETARROWENDS, 0, 0, first);
    o = Object(row);
    EXPECT_EQ(1, o.arrowStart);
    EXPECT_EQ(0, o.arrowEnd);
    EXPECT_EQ(2, o.arrowEnds);
}

TEST_F(ConnectorTypes, ArrowheadsReplaceTheGivenBytes)
{
    const int row = AddWithPath(MakePath(0, 0, {kDownAcrossDown[0], kDownAcrossDown[1], kDownAcrossDown[2]}));
    Arrowheads(row, 0x3, 0x5, 1);
    // 0xFFFF keeps the first word; 0x1FF keeps the second's kind and sets its set-in bit.
    INT32 keep[3] = {0xFFFF, -1, 0x1FF};
    SendConnector(row, OM_SETARROWHEADS, 0, 0, keep);
    DrawObject o = Object(row);
    EXPECT_EQ(0x3, o.arrowStart);
    EXPECT_EQ(0x105, o.arrowEnd);
    EXPECT_EQ(1, o.arrowSize);
    EXPECT_EQ(3, o.arrowEnds);
    // A first word without a kind goes; 0xFF keeps the second's kind and clears its set-in bit.
    INT32 clear[3] = {0, 2, 0xFF};
    SendConnector(row, OM_SETARROWHEADS, 0, 0, clear);
    o = Object(row);
    EXPECT_EQ(0, o.arrowStart);
    EXPECT_EQ(0x5, o.arrowEnd);
    EXPECT_EQ(2, o.arrowSize);
    EXPECT_EQ(kArrowEnd2, o.arrowEnds);
}

TEST_F(ConnectorTypes, ArrowheadMessagesLeaveAGroupedConnectorAlone)
{
    const int row = AddWithPath(MakePath(0, 0, {kDownAcrossDown[0], kDownAcrossDown[1], kDownAcrossDown[2]}));
    Arrowheads(row, 0x3, 0);
    Group(row);
    const std::string before = ObjectBytes();
    INT32 ends[2] = {0, 1};
    SendConnector(row, OM_SETARROWENDS, 0, 0, ends);
    INT32 heads[3] = {0, 2, 4};
    SendConnector(row, OM_SETARROWHEADS, 0, 0, heads);
    EXPECT_EQ(before, ObjectBytes());
}

TEST_F(ConnectorTypes, WidthBecomesTheDrawingsDefault)
{
    const int row = AddWithPath(MakePath(0, 0, {kDownAcrossDown[0], kDownAcrossDown[1], kDownAcrossDown[2]}));
    Change(row, [](DrawObject& o, Drawing&) { o.lineStyle = 3; });
    INT32 wide[2] = {0, 12};
    SendConnector(row, OM_SETLINEWIDTH, 0, 0, wide);
    EXPECT_EQ(12, Object(row).lineWidth);
    EXPECT_EQ(3, Object(row).lineStyle);
    EXPECT_EQ(12, DefaultLineWidth());
    // Width 0 is one unit; the first integer makes the line solid.
    INT32 none[2] = {0, 0};
    SendConnector(row, OM_SETLINEWIDTH, 1, 0, none);
    EXPECT_EQ(1, Object(row).lineWidth);
    EXPECT_EQ(1, Object(row).lineStyle);
    EXPECT_EQ(1, DefaultLineWidth());
}

TEST_F(ConnectorTypes, StyledConnectorIsOneUnitWide)
{
    const int row = AddWithPath(MakePath(0, 0, {kDownAcrossDown[0], kDownAcrossDown[1], kDownAcrossDown[2]}));
    INT32 wide[2] = {0, 5};
    SendConnector(row, OM_SETLINEWIDTH, 0, 0, wide);
    ASSERT_EQ(5, DefaultLineWidth());
    INT32 dashed[2] = {0, 2};
    SendConnector(row, OM_SETLINESTYLE, 0, 0, dashed);
    EXPECT_EQ(2, Object(row).lineStyle);
    EXPECT_EQ(1, Object(row).lineWidth);
    EXPECT_EQ(1, DefaultLineWidth());
}

}  // namespace
