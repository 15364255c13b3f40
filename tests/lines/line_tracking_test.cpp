// Straight lines under the mouse: hit codes, the rotation handle, turning with the snap, the end
// exchange and links, and the XOR feedback of drags.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "line_fixture.h"
#include "lines/line_shape.h"
#include "lines/line_tracking.h"
#include "model/links.h"
#include "shapes/shape_kinds.h"
#include "support/metafile_recorder.h"

namespace {

class LineTracking : public LineClass {
protected:
    void SetUp() override
    {
        LineClass::SetUp();
        SetDrawingFlags(0);
    }
    void SetDrawingFlags(DWORD flags)
    {
        Locked<Drawing> d = LockDrawing();
        d->drawingFlags = flags;
    }
    // A line of width 1, whose frame reaches 6 across a horizontal or vertical line.
    int Line(int x1, int y1, int x2, int y2)
    {
        const int row = AddLine(x1, y1, x2, y2);
        Change(row, [](DrawObject& o, Drawing& d) {
            o.lineWidth = 1;
            RecalcLineBounds(&d, &o);
        });
        return row;
    }
    void Select(int row)
    {
        Change(row, [](DrawObject& o, Drawing&) { o.state |= StateSelected; });
    }
    int Hit(int row, int x, int y)
    {
        POINT p = {x, y};
        return Send(row, OM_HITTEST, 0, 0, &p);
    }
    int RotationHandle(int row, int flags, RECT* rect, POINT* centre)
    {
        return Send(row, OM_EXTRAHANDLE, flags, Arg(centre), rect);
    }
    // Hooks end `end` of the line onto a rectangle shape.
    void HookEnd(int row, int end)
    {
        const int shape = AddAt(ClassShape, RECT{300, 300, 700, 700}, ShapeRectangle);
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), row, -1, shape, end, 0, 0));
    }
    static int RotateBTo(POINT p) { return MAKELONG(p.x, p.y); }
};

// The segments an XOR drawing recorded: MOVETO and LINETO keep y before x.
std::vector<RECT> Segments(const std::vector<MetaRecord>& records)
{
    std::vector<RECT> out;
    POINT at = {0, 0};
    for (const MetaRecord& r : records) {
        if (r.function == META_MOVETO)
            at = POINT{r.params[1], r.params[0]};
        else if (r.function == META_LINETO)
            out.push_back(RECT{at.x, at.y, r.params[1], r.params[0]});
    }
    return out;
}

TEST_F(LineTracking, RotationHandleNeedsReachAndNoHookUnlessForced)
{
    struct Case {
        POINT from, to;
        int flags;
        int code;
        RECT rect;
    };
    const Case cases[] = {
        // 300 long, 12 across: below 324 both ways.
        {{1000, 1000}, {1300, 1000}, 1, 0, {}},
        {{1000, 1000}, {1300, 1000}, 2, 142, {1192, 973, 1246, 1027}},
        // The end-2 handle (1976, 973, 2030, 1027) moved 84 back.
        {{1000, 1000}, {2000, 1000}, 1, 142, {1892, 973, 1946, 1027}},
        {{1000, 1000}, {1000, 2000}, 1, 143, {973, 1892, 1027, 1946}},
        // Rising: (1946, 1000, 2000, 1054) moved by (-59 + 27, 59 - 27), 84000 / 1414.2 = 59.4.
        {{1000, 2000}, {2000, 1000}, 1, 144, {1914, 1032, 1968, 1086}},
        {{1000, 2000}, {2000, 1000}, 2, 144, {1946, 1000, 2000, 1054}},
        // Falling: the end-2 handle moved by (-59, -59).
        {{1000, 1000}, {2000, 2000}, 1, 145, {1917, 1917, 1971, 1971}},
        {{1000, 1000}, {2000, 2000}, 3, 145, {1976, 1976, 2030, 2030}},
    };
    for (const Case& c : cases) {
        const int row = Line(c.from.x, c.from.y, c.to.x, c.to.y);
        RECT rect = {};
        POINT centre = {};
        EXPECT_EQ(c.code, RotationHandle(row, c.flags, &rect, &centre)) << c.from << c.to;
        if (c.code == 0)
            continue;
        EXPECT_EQ(c.rect, rect) << c.from << c.to;
        EXPECT_EQ((POINT{c.rect.left + 27, c.rect.top + 27}), centre) << c.from << c.to;
    }
}

TEST_F(LineTracking, HookedLineOffersNoRotationHandleButTurnsTowardAPoint)
{
    const int row = Line(1000, 1000, 2000, 1000);
    Change(row, [](DrawObject& o, Drawing&) {
        o.arrowStart = 3;
        o.arrowEnds = 0x2;
    });
    HookEnd(row, 1);
    Select(row);
    RECT rect;
    POINT centre;
    EXPECT_EQ(0, RotationHandle(row, 1, &rect, &centre));
    // Where the handle would be, the body answers.
    EXPECT_EQ(42, Hit(row, 1919, 1000));

    // Straight up from the centre (1500, 1000): a quarter turn counter-clockwise.
    POINT cursor = {1500, 500};
    EXPECT_EQ(0, Send(row, OM_ROTATETO, 0, 0, &cursor));
    const DrawObject line = Object(row);
    EXPECT_EQ(LineVertical, line.objType);
    EXPECT_EQ(1500, line.axisCoord);
    EXPECT_EQ(500, line.frame.top);
    EXPECT_EQ(1500, line.frame.bottom);
    // The old right end is now the top: the ends traded roles.
    EXPECT_EQ(0, line.arrowStart);
    EXPECT_EQ(3, line.arrowEnd);
    EXPECT_EQ(0x1, line.arrowEnds);
}

TEST_F(LineTracking, PlainBodyBandsIncludeLeftAndTopOnly)
{
    const int horizontal = Line(1000, 1000, 2000, 1000);   // frame (1000, 994, 2000, 1006)
    const int vertical = Line(3000, 1000, 3000, 2000);     // frame (2994, 1000, 3006, 2000)
    // Slanted of width 12, T = 12: 800 by 600 (len 1000) widens the y band to trunc(12 x 1.25)
    // = 15, which is 12 across the line.
    const int falling = Line(1000, 3000, 1800, 3600);
    const int rising = Line(3000, 3600, 3800, 3000);
    const int steep = Line(5000, 3000, 5600, 3800);
    for (int row : {falling, rising, steep})
        Change(row, [](DrawObject& o, Drawing& d) {
            o.lineWidth = 12;
            RecalcLineBounds(&d, &o);
        });
    struct Case {
        int row;
        int x, y;
        int expected;
    };
    const Case cases[] = {
        {horizontal, 1500, 988, 42},  {horizontal, 1500, 987, 0},
        {horizontal, 1500, 1011, 42}, {horizontal, 1500, 1012, 0},
        {vertical, 2988, 1500, 41},   {vertical, 2987, 1500, 0},
        {vertical, 3011, 1500, 41},   {vertical, 3012, 1500, 0},
        // At x 1400 the line is at y 3000 + 400 x 600 / 800 = 3300.
        {falling, 1400, 3285, 40},    {falling, 1400, 3284, 0},
        {falling, 1400, 3315, 40},    {falling, 1400, 3316, 0},
        // At x 3200: 3600 - 150 = 3450.
        {rising, 3200, 3435, 40},     {rising, 3200, 3434, 0},
        {rising, 3200, 3465, 40},     {rising, 3200, 3466, 0},
        // 600 by 800: at y 3400 the line is at x 5000 + 400 x 600 / 800 = 5300.
        {steep, 5285, 3400, 40},      {steep, 5284, 3400, 0},
        {steep, 5315, 3400, 40},      {steep, 5316, 3400, 0},
        // Within the band, but beyond the frame grown by 6.
        {falling, 994, 3004, 40},     {falling, 993, 3004, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Hit(c.row, c.x, c.y)) << "row " << c.row << " (" << c.x << ", "
                                                    << c.y << ")";
}

TEST_F(LineTracking, ShapedLineBodyIsThePathTestAlone)
{
    const int row = Line(1000, 1500, 2000, 1500);
    EXPECT_EQ(42, Hit(row, 1450, 1500));
    Change(row, [](DrawObject& o, Drawing& d) {
        o.lineShape = LineZigzag;
        o.param = 0.25;
        RecalcLineBounds(&d, &o);
    });
    // The zigzag leaves the line at 1375 and rises to (1437, 1375): the straight stretch under
    // the kink is no longer the line, though it lies inside the frame.
    EXPECT_EQ(0, Hit(row, 1450, 1500));
    EXPECT_EQ(40, Hit(row, 1437, 1380));
    Select(row);
    EXPECT_EQ(62, Hit(row, 1437, 1375));   // the kink's extra handle
}

TEST_F(LineTracking, HandleCodesFollowOrientation)
{
    struct Case {
        POINT from, to;
        POINT end1, end2, rotation;
        int codes[3];
    };
    const Case cases[] = {
        {{1000, 1000}, {2000, 1000}, {1000, 1000}, {2000, 1000}, {1919, 1000}, {20, 21, 142}},
        {{1000, 1000}, {1000, 2000}, {1000, 1000}, {1000, 2000}, {1000, 1919}, {22, 23, 143}},
        {{1000, 2000}, {2000, 1000}, {1000, 2000}, {2000, 1000}, {1941, 1059}, {26, 25, 144}},
        {{1000, 1000}, {2000, 2000}, {1000, 1000}, {2000, 2000}, {1944, 1944}, {24, 27, 145}},
    };
    for (const Case& c : cases) {
        const int row = Line(c.from.x, c.from.y, c.to.x, c.to.y);
        EXPECT_EQ(0, Hit(row, c.end1.x - 100, c.end1.y - 100));
        Select(row);
        EXPECT_EQ(c.codes[0], Hit(row, c.end1.x, c.end1.y)) << c.from << c.to;
        EXPECT_EQ(c.codes[1], Hit(row, c.end2.x, c.end2.y)) << c.from << c.to;
        EXPECT_EQ(c.codes[2], Hit(row, c.rotation.x, c.rotation.y)) << c.from << c.to;
    }
}

TEST_F(LineTracking, SnapTurnsToMultiplesOfFifteenDegrees)
{
    SetDrawingFlags(DrawSnap);
    struct Case {
        POINT from, to;
        POINT cursor;   // about 1000 from the centre, the drag angle past the handle
        RECT frame;
        bool rising;
    };
    const Case cases[] = {
        // Handle at (1919, 1000); 20 degrees (199 tenths) snaps to 150: the ends
        // (1000, 1000) and (2000, 1000) turn about (1500, 1000) to (1017, 1129), (1982, 870).
        {{1000, 1000}, {2000, 1000}, {2440, 658}, {1017, 870, 1982, 1129}, true},
        // 23 degrees (230) snaps to 300.
        {{1000, 1000}, {2000, 1000}, {2420, 609}, {1066, 750, 1933, 1249}, true},
        // Vertical, handle at (1000, 1919): +100 makes -800, nearest multiple -750, a turn of
        // 150 taking (1000, 1000) and (1000, 2000) to (870, 1017) and (1129, 1982).
        {{1000, 1000}, {1000, 2000}, {1174, 2485}, {870, 1017, 1129, 1982}, false},
    };
    for (const Case& c : cases) {
        const int row = Line(c.from.x, c.from.y, c.to.x, c.to.y);
        POINT cursor = c.cursor;
        EXPECT_EQ(0, Send(row, OM_ROTATETO, 0, 0, &cursor));
        const DrawObject line = Object(row);
        EXPECT_EQ(LineSlanted, line.objType) << c.cursor;
        EXPECT_EQ(c.frame, line.frame) << c.cursor;
        EXPECT_EQ(c.rising, IsLineRising(&line)) << c.cursor;
    }
}

TEST_F(LineTracking, HalfTurnExchangesTheArrowheads)
{
    struct Case {
        int angle;
        int start, end, ends;
        RECT frame;
    };
    const Case cases[] = {
        // The old right end lands on the left: (2000, 1000) -> (1000, 999).
        {1800, 0, 3, 0x1, {1000, 994, 2000, 1006}},
        {450, 3, 0, 0x2, {1146, 646, 1853, 1353}},
    };
    for (const Case& c : cases) {
        const int row = Line(1000, 1000, 2000, 1000);
        Change(row, [](DrawObject& o, Drawing& d) {
            o.arrowStart = 3;
            o.arrowEnds = 0x2;
            RecalcLineBounds(&d, &o);
        });
        Send(row, OM_SETANGLE, c.angle);
        const DrawObject line = Object(row);
        EXPECT_EQ(c.start, line.arrowStart) << c.angle;
        EXPECT_EQ(c.end, line.arrowEnd) << c.angle;
        EXPECT_EQ(c.ends, line.arrowEnds) << c.angle;
        EXPECT_EQ(c.frame, line.frame) << c.angle;
    }
}

TEST_F(LineTracking, SetAngleFlagsTheLinksOnlyWhenItTurns)
{
    const int row = Line(1000, 1000, 2000, 1000);
    const int holder = Line(2000, 500, 3000, 500);
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), holder, -1, row, 1, 300, 0));
        Locked<LinkIndex> index(d->linkIndex);
        ASSERT_EQ(1, index->count);
        (*index)[0].flags = 0;
    }
    const DrawObject before = Object(row);
    Send(row, OM_SETANGLE, 0);
    const DrawObject after = Object(row);
    EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before));
    EXPECT_EQ(0u, LinkEntries()[0].flags);

    Send(row, OM_SETANGLE, 450);
    const DrawObject turned = Object(row);
    EXPECT_EQ(450, LineLabelAngle(&turned));
    EXPECT_EQ(DWORD(LinkChanged | LinkRefit), LinkEntries()[0].flags);
}

TEST_F(LineTracking, EndAndMoveFeedbackLines)
{
    const int rising = Line(1000, 2000, 2000, 1000);
    const int horizontal = Line(1000, 3000, 2000, 3000);
    struct Case {
        int message;
        int row;
        POINT anchor;
        RECT rect;
        RECT segment;
    };
    const Case cases[] = {
        // 500 by 10 is horizontal with the tolerance on: the line stays on the anchor's y.
        {OM_TRACKCREATE, -1, {1000, 1000}, {1000, 1000, 1500, 1010}, {1000, 1000, 1500, 1000}},
        {OM_TRACKCREATE, -1, {1000, 2000}, {995, 1000, 1000, 2000}, {1000, 2000, 1000, 1000}},
        {OM_TRACKHANDLE, rising, {2000, 2000}, {1000, 1000, 2000, 2000},
         {2000, 2000, 1000, 1000}},
        {OM_TRACKHANDLE, rising, {1000, 2000}, {1000, 1000, 2000, 2000},
         {1000, 2000, 2000, 1000}},
        {OM_TRACKHANDLE, rising, {2000, 1000}, {1000, 1000, 2000, 2000},
         {2000, 1000, 1000, 2000}},
        {OM_TRACKMOVE, rising, {}, {1100, 1100, 2100, 2100}, {1100, 2100, 2100, 1100}},
        {OM_TRACKMOVE, horizontal, {}, {1100, 3100, 2100, 3112}, {1100, 3100, 2100, 3100}},
    };
    for (const Case& c : cases) {
        MetaRecorder recorder;
        RECT rect = c.rect;
        SendDC(recorder.dc(), c.row, c.message, 0, MAKELONG(c.anchor.x, c.anchor.y), &rect);
        const std::vector<RECT> segments = Segments(recorder.Records());
        ASSERT_EQ(1u, segments.size()) << c.message << " " << c.rect;
        EXPECT_EQ(c.segment, segments[0]) << c.message << " " << c.rect;
    }
}

TEST_F(LineTracking, ArcEndFeedbackFlipsTheBulgeWhenTheEndPassesTheAnchor)
{
    const int row = Line(1000, 1000, 2000, 1000);
    Change(row, [](DrawObject& o, Drawing& d) {
        o.lineShape = LineArc;
        o.param = 180.0;
        RecalcLineBounds(&d, &o);
    });
    struct Case {
        POINT anchor;
        RECT rect;
        bool below;
    };
    const Case cases[] = {
        // End 2 dragged along: the bulge stays above.
        {{1000, 1000}, {1000, 1000, 2000, 1010}, false},
        // End 1 dragged past the fixed end 2: the line's direction turned over.
        {{2000, 1000}, {2000, 1000, 2500, 1010}, true},
    };
    for (const Case& c : cases) {
        MetaRecorder recorder;
        RECT rect = c.rect;
        SendDC(recorder.dc(), row, OM_TRACKHANDLE, 0, MAKELONG(c.anchor.x, c.anchor.y), &rect);
        const std::vector<MetaRecord> records = recorder.Records();
        EXPECT_TRUE(Segments(records).empty());
        const std::vector<MetaRecord> polylines = OfFunction(records, META_POLYLINE);
        ASSERT_EQ(1u, polylines.size());
        const std::vector<short>& p = polylines[0].params;
        short low = p[2], high = p[2];
        for (size_t i = 2; i < p.size(); i += 2) {
            low = std::min(low, p[i]);
            high = std::max(high, p[i]);
        }
        // The tessellated ends may stray a unit off the chord; the apex is 180 away.
        if (c.below) {
            EXPECT_GE(low, 990);
            EXPECT_GT(high, 1100);
        } else {
            EXPECT_LE(high, 1010);
            EXPECT_LT(low, 900);
        }
    }
}

TEST(LineBulge, SideOfTheDraggedEndAsThePairRuns)
{
    DrawObject line = {};
    line.objType = LineVertical;
    line.frame = RECT{994, 1000, 1006, 2000};
    line.axisCoord = 1000;
    line.lineShape = LineArc;
    line.param = 180.0;
    struct Case {
        POINT cursor;
        BOOL flips;
    };
    // Fixed top end, old bottom end (1000, 2000): below counts as left.
    const Case cases[] = {
        {{1000, 2500}, FALSE},
        {{1000, 500}, TRUE},
        // A slanted pair goes by x: right of the end is right.
        {{1500, 1800}, TRUE},
        {{700, 1800}, FALSE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.flips, ArcBulgeFlips(&line, POINT{1000, 1000}, c.cursor)) << c.cursor;
    line.lineShape = LinePlain;
    EXPECT_FALSE(ArcBulgeFlips(&line, POINT{1000, 1000}, POINT{1000, 500}));
}

TEST_F(LineTracking, RotationFeedbackDrawsTheTurnedLineOnlyForARow)
{
    const int row = Line(1000, 1000, 2000, 1000);
    // Anchor at the handle (1919, 1000), cursor straight above the centre: a quarter turn.
    RECT rect = {1500, 500, 1919, 1000};
    const int b = RotateBTo(POINT{1919, 1000});
    {
        MetaRecorder recorder;
        SendDC(recorder.dc(), -1, OM_TRACKROTATE, 0, b, &rect);
        const std::vector<MetaRecord> records = recorder.Records();
        EXPECT_TRUE(Segments(records).empty());
        EXPECT_TRUE(OfFunction(records, META_POLYLINE).empty());
    }
    MetaRecorder recorder;
    SendDC(recorder.dc(), row, OM_TRACKROTATE, 0, b, &rect);
    const std::vector<RECT> segments = Segments(recorder.Records());
    ASSERT_EQ(1u, segments.size());
    EXPECT_EQ((RECT{1499, 1500, 1500, 500}), segments[0]);
    // Feedback only: the line stays.
    EXPECT_EQ(LineHorizontal, Object(row).objType);
    EXPECT_EQ(1000, Object(row).axisCoord);
}

TEST_F(LineTracking, HookedEndHandleIsRound)
{
    const int row = Line(1000, 1000, 2000, 1000);
    HookEnd(row, 1);
    LockDrawing()->currentRow = -1;   // plain outlined handles
    MetaRecorder recorder;
    SendDC(recorder.dc(), row, OM_DRAWHANDLES);
    const std::vector<MetaRecord> records = recorder.Records();
    // Params run bottom, right, top, left; the hook also takes the rotation handle away.
    const std::vector<MetaRecord> ellipses = OfFunction(records, META_ELLIPSE);
    ASSERT_EQ(1u, ellipses.size());
    EXPECT_EQ((std::vector<short>{1027, 1024, 973, 970}), ellipses[0].params);
    const std::vector<MetaRecord> squares = OfFunction(records, META_RECTANGLE);
    ASSERT_EQ(1u, squares.size());
    EXPECT_EQ((std::vector<short>{1027, 2030, 973, 1976}), squares[0].params);
}

TEST_F(LineTracking, ZeroLengthHookedLineDividesByNothing)
{
    const int row = Line(1000, 1000, 1600, 1000);
    HookEnd(row, 1);
    HookEnd(row, 2);
    // Both hooks on one point: slanted, falling, no length.
    Change(row, [](DrawObject& o, Drawing& d) {
        o.frame = RECT{1000, 1000, 1000, 1000};
        o.objType = LineSlanted;
        RecalcLineBounds(&d, &o);
    });
    EXPECT_EQ(40, Hit(row, 1003, 1003));
    EXPECT_EQ(40, Hit(row, 994, 1000));
    EXPECT_EQ(0, Hit(row, 1006, 1000));
    RECT rect;
    POINT centre;
    EXPECT_EQ(0, RotationHandle(row, 1, &rect, &centre));
    EXPECT_EQ(145, RotationHandle(row, 2, &rect, &centre));
    EXPECT_EQ((RECT{976, 976, 1030, 1030}), rect);
    Select(row);
    EXPECT_EQ(24, Hit(row, 1000, 1000));

    Change(row, [](DrawObject& o, Drawing&) { o.state |= StateRising; });
    EXPECT_EQ(144, RotationHandle(row, 2, &rect, &centre));
    EXPECT_EQ((RECT{946, 1000, 1000, 1054}), rect);

    // Turning a point leaves it where it is.
    POINT cursor = {1500, 500};
    EXPECT_EQ(0, Send(row, OM_ROTATETO, 0, 0, &cursor));
    const DrawObject line = Object(row);
    EXPECT_EQ((POINT{1000, 1000}), LineEndPosition(&line, 1));
    EXPECT_EQ((POINT{1000, 1000}), LineEndPosition(&line, 2));

    // The same point as a horizontal line.
    Change(row, [](DrawObject& o, Drawing& d) {
        o.state &= ~StateSelected;
        RecalcLineBounds(&d, &o);
    });
    EXPECT_EQ(LineHorizontal, Object(row).objType);
    EXPECT_EQ(42, Hit(row, 1000, 1000));
    EXPECT_EQ(142, RotationHandle(row, 2, &rect, &centre));
}

}  // namespace
