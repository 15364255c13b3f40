// A straight line as a hook target: hook points of a cursor and their places on the line, the
// frame after an end moved, and the queries the link code, labels and outlines rely on.
#include <cmath>
#include <vector>

#include "lines/line_fixture.h"
#include "lines/line_shape.h"
#include "shapes/custom_outline.h"

namespace {

class LineHooks : public LineClass {
protected:
    // Message 41 with a count of 1 (or `count`); the count after the call goes to *countOut.
    POINT HookPoint(int row, POINT cursor, int holderMask = 0, INT32 count = 1,
                    INT32* countOut = nullptr)
    {
        POINT p = cursor;
        Send(row, OM_GETHOOKPOINTS, holderMask, Arg(&count), &p);
        if (countOut)
            *countOut = count;
        return p;
    }
    POINT Place(int row, POINT box)
    {
        Send(row, OM_MAPHOOKPOINT, 1, 0, &box);
        return box;
    }
    void SetSnap(bool on)
    {
        Change(0, [on](DrawObject&, Drawing& d) {
            d.drawingFlags = on ? d.drawingFlags | DrawSnap : d.drawingFlags & ~DWORD(DrawSnap);
        });
    }
};

TEST_F(LineHooks, CountZeroAnswersTheLastHookPoint)
{
    const int row = AddLine(100, 500, 700, 500);
    SetSnap(false);
    INT32 count = -1;
    EXPECT_EQ((POINT{0, 0}), HookPoint(row, POINT{400, 480}, 0, 0, &count));   // a new line
    EXPECT_EQ(1, count);
    HookPoint(row, POINT{400, 480}, 0, 1, &count);
    EXPECT_EQ(1, count);
    EXPECT_EQ((POINT{300, 300}), HookPoint(row, POINT{9, 9}, 0, 0));
}

struct HookCase {
    POINT from, to;   // the line as dragged
    bool snap;
    int holderMask;
    POINT cursor, expected;
};

TEST_F(LineHooks, HookPointOfACursor)
{
    const HookCase cases[] = {
        // Horizontal 100..700 at y 500: (px - 100) / 600 x 600 on both axes.
        {{100, 500}, {700, 500}, false, 0, {400, 480}, {300, 300}},
        // Beyond the end: kept as it is without snapping, held to the end with it.
        {{100, 500}, {700, 500}, false, 0, {1000, 480}, {900, 900}},
        {{100, 500}, {700, 500}, true, 0, {20000, 480}, {600, 600}},
        {{100, 500}, {700, 500}, true, 0, {-5000, 480}, {0, 0}},
        // Vertical 100..700 at x 300: by y.
        {{300, 100}, {300, 700}, false, 0, {320, 250}, {150, 150}},
        // 45 degrees (dy / dx = 1): x kept, y put on the line at 200 ...
        {{100, 100}, {500, 500}, false, 0, {200, 400}, {150, 150}},
        {{100, 100}, {500, 500}, false, 0x8, {200, 400}, {150, 150}},
        // ... unless the holder is a horizontal line: y kept, x at 400.
        {{100, 100}, {500, 500}, false, 0x4, {200, 400}, {450, 450}},
        // Rising (end 1 at the bottom left): y is measured up from end 1, 500 - 400 = 100.
        {{100, 500}, {500, 100}, false, 0x4, {200, 400}, {150, 150}},
        // Steeper than 45 degrees (400 by 800): y kept, x = 100 + 0.5 x 200.
        {{100, 100}, {500, 900}, false, 0, {50, 300}, {150, 150}},
    };
    for (const HookCase& c : cases) {
        const int row = AddLine(c.from.x, c.from.y, c.to.x, c.to.y);
        SetSnap(c.snap);
        EXPECT_EQ(c.expected, HookPoint(row, c.cursor, c.holderMask))
            << c.from << "-" << c.to << " cursor " << c.cursor << " mask " << c.holderMask;
        EXPECT_EQ(c.expected, Object(row).lastHookPoint);
    }
}

TEST_F(LineHooks, ArcLinesTurnTheCursorOntoTheChordFirst)
{
    const int row = AddLine(100, 100, 500, 400);
    SetSnap(false);
    Change(row, [](DrawObject& o, Drawing&) {
        o.lineShape = LineArc;
        o.param = 180.0;
    });
    // (420, 160) is 325.576 from end 1 and turns to (360, 295); x kept, y = 100 + 0.75 x 260;
    // 260 / 400 and 195 / 300 are 0.65 of the way.
    EXPECT_EQ((POINT{390, 390}), HookPoint(row, POINT{420, 160}));
}

TEST_F(LineHooks, LastHookPointStaysWhileTheMarkerIsShown)
{
    const int row = AddLine(100, 500, 700, 500);
    SetSnap(false);
    Change(row, [](DrawObject& o, Drawing&) {
        o.state |= StateShowHooks;
        o.lastHookPoint = POINT{7, 9};
    });
    EXPECT_EQ((POINT{300, 300}), HookPoint(row, POINT{400, 480}));
    EXPECT_EQ((POINT{7, 9}), Object(row).lastHookPoint);
    Change(row, [](DrawObject& o, Drawing&) { o.state &= ~DWORD(StateShowHooks); });
    HookPoint(row, POINT{400, 480});
    EXPECT_EQ((POINT{300, 300}), Object(row).lastHookPoint);
}

// A line of length 0 has every place at its start, in every orientation and from either end.
TEST_F(LineHooks, ZeroLengthLineGivesTheStartWithoutDividing)
{
    const int row = AddLine(100, 500, 700, 500);
    for (int orientation : {0, 1, 2}) {
        for (DWORD rising : {DWORD(0), DWORD(StateRising)}) {
            for (bool snap : {false, true}) {
                SetSnap(snap);
                Change(row, [=](DrawObject& o, Drawing&) {
                    o.frame = RECT{300, 300, 300, 300};
                    o.axisCoord = 300;
                    o.objType = orientation;
                    o.state = (o.state & ~StateRising) | rising;
                });
                const DrawObject line = Object(row);
                const POINT end1 = LineEndPosition(&line, 1);
                const POINT end2 = LineEndPosition(&line, 2);
                for (int mask : {0, 0x4}) {
                    EXPECT_EQ((POINT{0, 0}), HookPoint(row, end1, mask)) << orientation;
                    EXPECT_EQ((POINT{0, 0}), HookPoint(row, end2, mask)) << orientation;
                    EXPECT_EQ((POINT{0, 0}), HookPoint(row, POINT{450, 120}, mask)) << orientation;
                }
                EXPECT_EQ((POINT{300, 300}), Place(row, POINT{600, 600})) << orientation;
            }
        }
    }
}

TEST_F(LineHooks, HookPointsMapToPlacesOnTheLine)
{
    struct Case {
        POINT from, to, box, expected;
    };
    const Case cases[] = {
        {{100, 500}, {700, 500}, {300, 300}, {400, 500}},   // the middle
        {{100, 500}, {700, 500}, {300, 0}, {400, 500}},     // a horizontal line ignores v
        {{300, 100}, {300, 700}, {0, 300}, {300, 400}},     // a vertical line ignores u
        {{100, 100}, {500, 500}, {300, 300}, {300, 300}},
        {{100, 500}, {500, 100}, {0, 0}, {100, 500}},       // rising: end 1 is (x1, y2)
        {{100, 500}, {500, 100}, {600, 600}, {500, 100}},
        {{100, 500}, {500, 100}, {150, 450}, {200, 200}},
    };
    for (const Case& c : cases) {
        const int row = AddLine(c.from.x, c.from.y, c.to.x, c.to.y);
        EXPECT_EQ(c.expected, Place(row, c.box)) << c.from << "-" << c.to << " " << c.box;
    }
}

TEST_F(LineHooks, ArcHookPointsLieOnTheArc)
{
    const int row = AddLine(1000, 2000, 2000, 2000);
    Change(row, [](DrawObject& o, Drawing& d) {
        o.lineShape = LineArc;
        o.param = 180.0;
        RecalcLineBounds(&d, &o);
    });
    // (1250, 2000) on the chord goes up onto the circle: 2000 - (743.541 - 604.444).
    const POINT p = Place(row, POINT{150, 150});
    EXPECT_EQ((POINT{1250, 1860}), p);
    const double R = (180.0 * 180.0 + 500.0 * 500.0) / 360.0;
    EXPECT_NEAR(R, std::hypot(p.x - 1500.0, p.y - (2000.0 + R - 180.0)), 1.0);
    // The path wants the ends themselves.
    POINT ends[2] = {};
    INT32 count = -1;
    EXPECT_EQ(2, Send(row, OM_GETPATH, 0, Arg(&count), ends));
    EXPECT_EQ((POINT{1000, 2000}), ends[0]);
    EXPECT_EQ((POINT{2000, 2000}), ends[1]);
}

TEST_F(LineHooks, FrameAfterAnEndMoved)
{
    struct Case {
        POINT from, to;
        int fixed;
        POINT delta;
        RECT rect;
        POINT corrected;
    };
    const Case cases[] = {
        // The bottom lands on the top: one unit apart, and the line is no longer reset to c.
        {{100, 500}, {700, 500}, 7, {50, 0}, {100, 500, 750, 501}, {50, 1}},
        // Corner 4 fixed: left and top that land on right and bottom step back with the delta.
        {{100, 100}, {500, 500}, 4, {400, 400}, {499, 499, 500, 500}, {399, 399}},
        // Corner 2 fixed: only the delta is corrected.
        {{100, 100}, {500, 500}, 2, {400, -400}, {500, 100, 500, 100}, {399, -399}},
        // Corner 3 fixed on a vertical line: its right always lands on its left, so dx becomes
        // 1 and the rect keeps x = c.
        {{300, 100}, {300, 700}, 3, {0, 200}, {300, 300, 300, 700}, {1, 200}},
        // A move past the fixed end turns the rect around.
        {{100, 500}, {700, 500}, 1, {-800, 0}, {-100, 500, 100, 501}, {-800, 1}},
    };
    for (const Case& c : cases) {
        const int row = AddLine(c.from.x, c.from.y, c.to.x, c.to.y);
        POINT delta = c.delta;
        RECT rect = {1, 2, 3, 4};
        EXPECT_EQ(0, Send(row, OM_MOVEHANDLERECT, c.fixed, Arg(&delta), &rect));
        EXPECT_EQ(c.rect, rect) << "fixed " << c.fixed;
        EXPECT_EQ(c.corrected, delta) << "fixed " << c.fixed;
    }
}

TEST_F(LineHooks, HandleCodesNameEnds)
{
    const int horizontal = AddLine(100, 500, 700, 500);
    const int vertical = AddLine(300, 100, 300, 700);
    const int falling = AddLine(100, 100, 500, 500);
    const int rising = AddLine(100, 500, 500, 100);
    struct Case {
        int row, code, end;
    };
    const Case cases[] = {
        {horizontal, 20, 1}, {horizontal, 21, 2}, {horizontal, 5, 1},  {horizontal, 7, -1},
        {vertical, 2, 1},    {vertical, 3, 2},    {vertical, 23, 2},   {falling, 5, 1},
        {falling, 6, 2},     {rising, 5, 2},      {rising, 6, 1},      {rising, 27, 2},
        {falling, 0, -1},
    };
    for (const Case& c : cases) {
        INT32 end = 0;
        Send(c.row, OM_HANDLETOEND, c.code, 0, &end);
        EXPECT_EQ(c.end, end) << "row " << c.row << " code " << c.code;
    }
}

TEST_F(LineHooks, SideOfAPoint)
{
    const int horizontal = AddLine(100, 500, 700, 500);
    const int square = AddLine(100, 100, 500, 500);   // dx = dy: y decides
    const int steep = AddLine(100, 100, 300, 700);
    POINT reference{300, 300};
    struct Case {
        int row;
        POINT point;
        int side;
    };
    const Case cases[] = {
        {horizontal, {0, 499}, 5}, {horizontal, {0, 500}, 6}, {square, {400, 200}, 5},
        {square, {200, 400}, 6},   {steep, {299, 0}, 7},      {steep, {300, 900}, 8},
    };
    for (const Case& c : cases) {
        POINT point = c.point;
        EXPECT_EQ(c.side, Send(c.row, OM_ENDSIDE, 0, Arg(&reference), &point)) << c.point;
    }
}

TEST_F(LineHooks, LabelAngleFollowsTheSlope)
{
    INT32 angle = 1;
    Send(AddLine(100, 100, 500, 500), OM_LABELANCHOR, 0, 0, &angle);
    EXPECT_EQ(-450, angle);
    Send(AddLine(100, 500, 500, 100), OM_LABELANCHOR, 0, 0, &angle);
    EXPECT_EQ(450, angle);
}

TEST_F(LineHooks, BoundsFrameAndExtent)
{
    const int row = AddLine(100, 500, 700, 500);
    Change(row, [](DrawObject& o, Drawing& d) {
        o.lineShape = LineZigzag;
        o.param = 0.25;
        RecalcLineBounds(&d, &o);
    });
    RECT rect = {1, 2, 3, 4};
    EXPECT_EQ(0, Send(row, OM_GETEXTENT, 0, 0, &rect));
    EXPECT_EQ((RECT{1, 2, 3, 4}), rect);
    Send(row, OM_GETBOUNDS, 0, 0, &rect);
    EXPECT_EQ((RECT{100, 500, 700, 501}), rect);   // the frame with a one-unit cross extent
    Send(row, OM_GETBOUNDS, 0, 1, &rect);
    RECT path = Object(row).updateRect;
    InflateRect(&path, -24, -24);
    EXPECT_EQ(path, rect);
    Send(row, OM_GETFRAME, 0, 0, &rect);
    EXPECT_EQ((RECT{100, 500, 700, 500}), rect);
    POINT size = {};
    Send(row, OM_GETSIZE, 0, 0, &size);
    EXPECT_EQ((POINT{600, 0}), size);
}

TEST_F(LineHooks, PathWidensTheExtentByTheShapedPath)
{
    const int row = AddLine(0, 500, 1000, 500);
    Change(row, [](DrawObject& o, Drawing&) {
        o.lineShape = LineZigzag;
        o.param = 0.25;
        o.lineWidth = 10;
    });
    RECT extent = {32767, 32767, 0, 0};
    POINT ends[2] = {};
    INT32 count = 0;
    Locked<Drawing> d = LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    EXPECT_EQ(2, SED_LineDHandler(nullptr, reinterpret_cast<Drawing*>(&extent), objects.get(), row,
                                  OM_GETPATH, 0, Arg(&count), ends));
    EXPECT_EQ(6, count);
    EXPECT_EQ((POINT{0, 500}), ends[0]);
    EXPECT_EQ((POINT{1000, 500}), ends[1]);
    // The excursions reach 125 + 10 (the width as margin) to either side.
    EXPECT_EQ((RECT{0, 365, 1000, 635}), extent);
}

// An outline point block of two vertices; the second carries the piece to expand.
std::vector<BYTE> OutlineOf(int lineShape, double param)
{
    std::vector<BYTE> bytes(sizeof(OutlinePointBlock) + 2 * sizeof(OutlineVertex));
    auto* block = reinterpret_cast<OutlinePointBlock*>(bytes.data());
    block->count = 2;
    auto* vertices = reinterpret_cast<OutlineVertex*>(block + 1);
    vertices[1] = OutlineVertex{1, 0, lineShape, param, 0, 0};
    return bytes;
}

// Message 75 with the segment in the Drawing place and the block in the ObjectList place.
INT32 Expand(std::vector<BYTE>& block, int vertex, INT32 segment[4], INT32 count, POINT* points)
{
    SED_LineDHandler(nullptr, reinterpret_cast<Drawing*>(segment), block.data(), vertex,
                     OM_GETPOINTLIST, 0, static_cast<int>(reinterpret_cast<INT_PTR>(&count)),
                     points);
    return count;
}

TEST(LineOutline, ShapedSegmentsExpandInTheirDirection)
{
    const std::vector<POINT> zigzag = {{0, 500},   {375, 500}, {437, 375},
                                       {562, 625}, {625, 500}, {1000, 500}};
    std::vector<BYTE> block = OutlineOf(LineZigzag, 0.25);
    std::vector<POINT> points(600);
    INT32 rightward[4] = {0, 500, 1000, 500};
    points[0] = POINT{0, 500};
    points[1] = POINT{1000, 500};
    ASSERT_EQ(7, Expand(block, 1, rightward, 2, points.data()));
    EXPECT_EQ(zigzag, std::vector<POINT>(points.begin() + 1, points.begin() + 7));

    INT32 leftward[4] = {1000, 500, 0, 500};
    ASSERT_EQ(7, Expand(block, 1, leftward, 2, points.data()));
    EXPECT_EQ(std::vector<POINT>(zigzag.rbegin(), zigzag.rend()),
              std::vector<POINT>(points.begin() + 1, points.begin() + 7));

    // A tessellated arc runs from end 2 to end 1 for a positive bulge: a rightward segment
    // reverses it, so the points still go from (0, 500) to (1000, 500).
    std::vector<BYTE> arc = OutlineOf(LineArc, 180.0);
    for (INT32* segment : {rightward, leftward}) {
        const INT32 n = Expand(arc, 1, segment, 2, points.data());
        ASSERT_GT(n, 10);
        EXPECT_NEAR(segment[0], points[1].x, 3);
        EXPECT_NEAR(segment[2], points[n - 1].x, 3);
        EXPECT_NEAR(500, points[n - 1].y, 3);
    }
}

TEST(LineOutline, NothingIsWrittenBeyondTheLimitsOrForABadVertex)
{
    // A bulge below one unit: the 2-point straight stand-in of an arc.
    std::vector<BYTE> straight = OutlineOf(LineArc, 0.4);
    std::vector<POINT> points(600, POINT{-1, -1});
    INT32 segment[4] = {0, 500, 1000, 500};
    EXPECT_EQ(599, Expand(straight, 1, segment, 599, points.data()));
    EXPECT_EQ(598, Expand(straight, 1, segment, 598, points.data()));   // 600 reached
    EXPECT_EQ((POINT{-1, -1}), points[597]);
    // One below the limit: written in the segment's direction, replacing the last point.
    EXPECT_EQ(598, Expand(straight, 1, segment, 597, points.data()));
    EXPECT_EQ((POINT{0, 500}), points[596]);
    EXPECT_EQ((POINT{1000, 500}), points[597]);

    std::vector<BYTE> zigzag = OutlineOf(LineZigzag, 0.25);
    std::vector<POINT> untouched(600, POINT{-1, -1});
    // Fewer than two points, a plain piece, a vertex the block does not count.
    EXPECT_EQ(1, Expand(zigzag, 1, segment, 1, untouched.data()));
    std::vector<BYTE> plain = OutlineOf(LinePlain, 0.25);
    EXPECT_EQ(2, Expand(plain, 1, segment, 2, untouched.data()));
    for (int vertex : {2, 1000000, -1})
        EXPECT_EQ(2, Expand(zigzag, vertex, segment, 2, untouched.data())) << vertex;
    EXPECT_EQ(std::vector<POINT>(600, POINT{-1, -1}), untouched);
}

TEST_F(LineHooks, GeometryAndSnapPoints)
{
    const int row = AddLine(100, 500, 500, 100);
    Change(row, [](DrawObject& o, Drawing&) {
        o.lineShape = LineArc;
        o.param = -90.5;
    });
    OutlineVertex vertex = {0, 0, 0, 0.0, 77, 88};
    Send(row, OM_GETGEOMETRY, 0, 0, &vertex);
    EXPECT_EQ(1, vertex.pieceClass);
    EXPECT_EQ(LineSlanted, vertex.orientation);
    EXPECT_EQ(LineArc, vertex.lineShape);
    EXPECT_EQ(-90.5, vertex.param);
    EXPECT_EQ(77, vertex.x);   // the vertex itself is the caller's
    EXPECT_EQ(88, vertex.y);

    POINT snaps[2] = {};
    INT32 count = 0;
    Send(row, OM_GETSNAPPOINTS, 0, Arg(&count), snaps);
    EXPECT_EQ(2, count);
    EXPECT_EQ((POINT{600, 600}), snaps[1]);
    Send(AddLine(300, 100, 300, 700), OM_GETSNAPPOINTS, 0, Arg(&count), snaps);
    EXPECT_EQ((POINT{0, 600}), snaps[1]);
}

TEST_F(LineHooks, HandleDragInsideARotatedGroup)
{
    const int row = AddLine(100, 500, 700, 500);
    const int other = AddLine(100, 900, 700, 900);
    const RECT start{100, 500, 700, 500};
    RECT rect = start;
    EXPECT_EQ(0, Send(row, OM_GROUPHANDLEDRAG, 100, 50, &rect));   // not grouped
    EXPECT_EQ(start, rect);
    const int index = AddGroup(41, {row, other}, true);
    EXPECT_EQ(0, Send(row, OM_GROUPHANDLEDRAG, 100, 50, &rect));   // a group at angle 0
    EXPECT_EQ(start, rect);

    {
        Locked<Drawing> d = LockDrawing();
        Locked<GroupTable> table(d->groupTable);
        (*table)[index].angle = 1800;
    }
    // A stale row hint still finds the group by its id.
    Change(row, [](DrawObject& o, Drawing&) { o.groupRow = 7; });
    const RECT frame = Groups()[index].frame;
    const LONG cx = frame.left + (frame.right - frame.left) / 2;
    const LONG cy = frame.top + (frame.bottom - frame.top) / 2;
    EXPECT_EQ(1, Send(row, OM_GROUPHANDLEDRAG, 100, 50, &rect));
    // A horizontal rect ignores dy; its ends (100, 500) and (800, 500) turned half round the
    // centre of the group's frame (within a unit of the truncated turn).
    EXPECT_NEAR(2 * cx - 800, rect.left, 1);
    EXPECT_NEAR(2 * cx - 100, rect.right, 1);
    EXPECT_NEAR(2 * cy - 500, rect.top, 1);
    EXPECT_NEAR(2 * cy - 500, rect.bottom, 1);
    EXPECT_LE(rect.left, rect.right);
}

}  // namespace
