// Editing elbow connectors: hit codes, the re-shape after an end moved (its reversal bookkeeping
// and undo), the rectangle of a dragged end, the segment move with its stub bound, the re-route
// after a hook was set, store errors, and feedback that leaves the connector alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "connector_fixture.h"
#include "model/edit_ops.h"
#include "model/links.h"
#include "model/undo.h"
#include "shapes/shape_kinds.h"
#include "support/canvas.h"

namespace {

struct Seg {
    int x1, y1, x2, y2;
};

class ConnectorEdit : public ConnectorClass {
protected:
    static ConnectorSegmentBlock MakePath(int startSide, int endSide, std::initializer_list<Seg> segments)
    {
        ConnectorSegmentBlock path = {};
        path.startSide = startSide;
        path.endSide = endSide;
        path.segmentCount = static_cast<INT32>(segments.size());
        int i = 0;
        for (const Seg& s : segments)
            path.segments[i++] = ConnectorSegment{s.x1, s.y1, s.x2, s.y2};
        for (INT32& length : path.preferred)
            length = kConnectorPreferredLength;
        return path;
    }
    // Top to top, first point (1000, 2000), last (3000, 2500), cross segment at y 1700.
    static ConnectorSegmentBlock TopToTop()
    {
        return MakePath(SideTop, SideTop, {{0, 0, 0, 300}, {0, 0, 2000, 0}, {2000, 0, 2000, 800}});
    }
    static constexpr POINT kTopToTopOrigin = {1000, 1700};
    // Top to top with the ends nearly in line, first (1000, 2000), last (1040, 2500): the detour
    // through (1000, 1700), (700, 1700), (700, 2200), (1040, 2200).
    static ConnectorSegmentBlock Detour()
    {
        return MakePath(SideTop, SideTop,
                        {{300, 0, 300, 300}, {0, 0, 300, 0}, {0, 0, 0, 500}, {0, 500, 340, 500}, {340, 500, 340, 800}});
    }
    static constexpr POINT kDetourOrigin = {700, 1700};

    // A connector holding `path` with its inner rectangle (and frame) over the path at `origin`.
    int Place(const ConnectorSegmentBlock& path, POINT origin)
    {
        int right = 0, bottom = 0;
        for (int i = 0; i < path.segmentCount; ++i) {
            right = std::max<int>(right, path.segments[i].x2);
            bottom = std::max<int>(bottom, path.segments[i].y2);
        }
        const RECT inner = {origin.x, origin.y, origin.x + right, origin.y + bottom};
        const int row = AddConnector(inner);
        SetPath(row, path);
        Change(row, [&](DrawObject& o, Drawing&) {
            o.innerRect = o.textRect = o.frame = inner;
            o.arrowStart = o.arrowEnd = 0;
            o.arrowEnds = 0;
        });
        return row;
    }
    void ExpectPath(int row, int startSide, int endSide, const std::vector<Seg>& segments, POINT origin,
                    const std::string& what)
    {
        const ConnectorSegmentBlock path = Path(row);
        EXPECT_EQ(startSide, path.startSide) << what;
        EXPECT_EQ(endSide, path.endSide) << what;
        ASSERT_EQ(static_cast<int>(segments.size()), path.segmentCount) << what;
        int i = 0;
        for (const Seg& s : segments) {
            const ConnectorSegment& got = path.segments[i];
            EXPECT_TRUE(got.x1 == s.x1 && got.y1 == s.y1 && got.x2 == s.x2 && got.y2 == s.y2)
                << what << ": segment " << i << " is (" << got.x1 << ", " << got.y1 << ")-(" << got.x2 << ", "
                << got.y2 << ")";
            ++i;
        }
        const DrawObject o = Object(row);
        EXPECT_EQ(origin, (POINT{o.innerRect.left, o.innerRect.top})) << what;
    }
    std::string PathBytes(int row) { return RecordBytes(kConnectorRecordType, Object(row).dataId); }
    void Select(int row)
    {
        Change(row, [](DrawObject& o, Drawing&) { o.state |= StateSelected; });
    }
    int Hit(int row, POINT p) { return SendConnector(row, OM_HITTEST, 0, 0, &p); }
    LONG SendDC(HDC dc, int row, int message, int a = 0, int b = 0, void* p = nullptr)
    {
        Locked<Drawing> d(state_->drawing);
        Locked<ObjectList> objects(d->objectList);
        return SED_SegLHandler(dc, d.get(), row >= 0 ? objects.get() : nullptr, row, message, a, b, p);
    }
    // Hooks end `code` of the connector onto the object at `target` (no link index entry: the
    // class alone is under test).
    void Hook(int row, int target, int code, POINT box = {300, 0})
    {
        const INT32 id = Object(target).objId;
        Change(row, [&](DrawObject& o, Drawing&) {
            o.hooks[0] = HookEntry{id, target, box.x, box.y, code};
            o.hookCount = 1;
        });
    }
};

struct ReshapeCase {
    const char* what;
    int message;
    int corner;
    RECT rect;
    std::vector<Seg> segments;
    POINT origin;
    int holderCode, arrowStart, arrowEnd, arrowEnds;
};

TEST_F(ConnectorEdit, MovedEndReroutesAndAReversalKeepsHooksAndHeadsOnTheirPhysicalEnds)
{
    // A head (kind 1) on the last point, a hook on the first; the sides stay top and top.
    const ReshapeCase cases[] = {
        // q 1: the first point (1000, 2000) stays, the last goes to (3500, 2600): cross at 1700.
        {"last point right", OM_DRAGHANDLE, 1, {1000, 2000, 3500, 2600},
         {{0, 0, 0, 300}, {0, 0, 2500, 0}, {2500, 0, 2500, 900}}, {1000, 1700}, 1, 0, 1, 1},
        // The last point to (500, 2200), left of the first: the route starts there, cross at
        // min(2200 - 300, 2000 - 60) = 1900, so the path is reversed.
        {"last point left of the first", OM_DRAGHANDLE, 1, {1000, 2000, 500, 2200},
         {{0, 0, 0, 300}, {0, 0, 500, 0}, {500, 0, 500, 100}}, {500, 1900}, 2, 1, 0, 2},
        // q 2 (as link propagation sends it): the last point (3000, 2500) stays, the first goes
        // to (800, 2100); cross at 2100 - 300 = 1800.
        {"first point moved", OM_DRAGHANDLE, 2, {800, 2500, 3000, 2100},
         {{0, 0, 0, 300}, {0, 0, 2200, 0}, {2200, 0, 2200, 700}}, {800, 1800}, 1, 0, 1, 1},
        // The frame grows by 200 right and 100 down: the last point goes to (3200, 2600).
        {"frame set", OM_SETFRAME, 0, {1000, 1700, 3200, 2600},
         {{0, 0, 0, 300}, {0, 0, 2200, 0}, {2200, 0, 2200, 900}}, {1000, 1700}, 1, 0, 1, 1},
    };
    const int shape = AddAt(ClassShape, RECT{600, 2100, 1400, 2700}, ShapeRectangle);
    for (const ReshapeCase& c : cases) {
        const int row = Place(TopToTop(), kTopToTopOrigin);
        Hook(row, shape, 1);
        Change(row, [](DrawObject& o, Drawing&) { o.arrowEnd = 1, o.arrowEnds = 1; });
        RECT r = c.rect;
        ASSERT_EQ(0, SendConnector(row, c.message, c.corner, 0, &r)) << c.what;
        ExpectPath(row, SideTop, SideTop, c.segments, c.origin, c.what);
        const DrawObject o = Object(row);
        EXPECT_EQ(c.holderCode, o.hooks[0].holderCode) << c.what;
        EXPECT_EQ(c.arrowStart, o.arrowStart) << c.what;
        EXPECT_EQ(c.arrowEnd, o.arrowEnd) << c.what;
        EXPECT_EQ(c.arrowEnds, o.arrowEnds) << c.what;
    }
}

TEST_F(ConnectorEdit, UndoRestoresThePathRecordByteForByte)
{
    const int row = Place(TopToTop(), kTopToTopOrigin);
    const std::string record = PathBytes(row);
    const std::string objects = ObjectBytes();
    ASSERT_FALSE(record.empty());
    ASSERT_EQ(0, SaveUndoState(view_, UndoChangeShape));
    // The reversing drag of the test above.
    RECT r = {1000, 2000, 500, 2200};
    ASSERT_EQ(0, ReshapeObject(view_, row, &r, 1, FALSE, FALSE));
    const std::string changed = PathBytes(row);
    EXPECT_FALSE(record == changed);
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_TRUE(record == PathBytes(row));
    EXPECT_TRUE(objects == ObjectBytes());
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_TRUE(changed == PathBytes(row));
}

TEST_F(ConnectorEdit, EndDragRectPutsTheEndThatStaysAtItsCorner)
{
    const int row = Place(TopToTop(), kTopToTopOrigin);
    struct {
        int fixedEnd;
        POINT delta;
        RECT expected;
    } const cases[] = {
        {1, {100, -50}, {1000, 2000, 3100, 2450}},   // first point at left-top
        {2, {-200, 100}, {800, 2500, 3000, 2100}},   // last point at right-top
        {7, {50, 50}, {1000, 1700, 3000, 2500}},     // any other code: the inner rectangle
    };
    for (const auto& c : cases) {
        POINT delta = c.delta;
        RECT r = {};
        EXPECT_EQ(0, SendConnector(row, OM_MOVEHANDLERECT, c.fixedEnd, Arg(&delta), &r));
        EXPECT_EQ(c.expected, r) << c.fixedEnd;
    }
}

struct SegmentCase {
    const char* what;
    bool detour;   // else top to top
    int code;
    POINT cursor;
    int changed;   // preferred length that changes, -1 none
    int length;
    std::vector<Seg> segments;
    POINT origin;
};

TEST_F(ConnectorEdit, SegmentMoveSetsThePreferredLengthAndRoutesUnderTheCursor)
{
    const SegmentCase cases[] = {
        // Handle of the cross segment (2000, 1700) dragged 100 up: L0 = 300 + 100.
        {"cross 100 up", false, 51, {2000, 1600}, 0, 400,
         {{0, 0, 0, 400}, {0, 0, 2000, 0}, {2000, 0, 2000, 900}}, {1000, 1600}},
        // 53 finds the same (only) inner segment.
        {"cross 100 up, from the end", false, 53, {2000, 1600}, 0, 400,
         {{0, 0, 0, 400}, {0, 0, 2000, 0}, {2000, 0, 2000, 900}}, {1000, 1600}},
        // 250 down would leave a stub of 50: it stays 60, cross at 1940.
        {"cross 250 down", false, 51, {2000, 1950}, 0, 60,
         {{0, 0, 0, 60}, {0, 0, 2000, 0}, {2000, 0, 2000, 560}}, {1000, 1940}},
        // No inner vertical segment: nothing changes.
        {"no such segment", false, 50, {1500, 1800}, -1, 0,
         {{0, 0, 0, 300}, {0, 0, 2000, 0}, {2000, 0, 2000, 800}}, {1000, 1700}},
        // Detour leg (700, 1950) dragged 100 left: segment 1 extends right of it, L1 = 400.
        {"detour leg 100 left", true, 50, {600, 1950}, 1, 400,
         {{400, 0, 400, 300}, {0, 0, 400, 0}, {0, 0, 0, 500}, {0, 500, 440, 500}, {440, 500, 440, 800}}, {600, 1700}},
        // Fourth handle (870, 2200) dragged 100 up: the end stub is the reference, L2 = 400.
        {"fourth segment 100 up", true, 53, {870, 2100}, 2, 400,
         {{300, 0, 300, 300}, {0, 0, 300, 0}, {0, 0, 0, 400}, {0, 400, 340, 400}, {340, 400, 340, 800}}, {700, 1700}},
    };
    for (const SegmentCase& c : cases) {
        const int row = c.detour ? Place(Detour(), kDetourOrigin) : Place(TopToTop(), kTopToTopOrigin);
        POINT cursor = c.cursor;
        ASSERT_EQ(0, SendConnector(row, OM_SETPARAM, c.code, 0, &cursor)) << c.what;
        ExpectPath(row, SideTop, SideTop, c.segments, c.origin, c.what);
        const ConnectorSegmentBlock path = Path(row);
        for (int i = 0; i < kConnectorMaxSegments; ++i)
            EXPECT_EQ(i == c.changed ? c.length : kConnectorPreferredLength, path.preferred[i]) << c.what << " L" << i;
    }
}

TEST_F(ConnectorEdit, HitCodes)
{
    // Handles of the detour: first (1000, 2000), segment 1 (850, 1700), segment 2 (700, 1950),
    // segment 3 (870, 2200), last (1040, 2500).
    struct {
        bool selected, sided;
        POINT point;
        int code;
    } const cases[] = {
        {true, true, {1000, 2000}, 28},
        {true, true, {1040, 2500}, 29},
        {true, true, {850, 1700}, 51},
        {true, true, {700, 1950}, 50},
        {true, true, {870, 2200}, 53},   // the fourth handle counts from the end
        {true, true, {700, 1800}, 40},   // on segment 2, away from its handle
        {true, true, {2000, 2000}, 0},
        {false, true, {850, 1700}, 40},
        {false, true, {1000, 1900}, 40},
        {true, false, {850, 1700}, 40},  // without sides the segment handles cannot be grabbed
    };
    for (const auto& c : cases) {
        ConnectorSegmentBlock path = Detour();
        if (!c.sided)
            path.startSide = path.endSide = SideNone;
        const int row = Place(path, kDetourOrigin);
        if (c.selected)
            Select(row);
        EXPECT_EQ(c.code, Hit(row, c.point)) << c.point << (c.selected ? " selected" : "") << (c.sided ? "" : " unsided");
    }
}

TEST_F(ConnectorEdit, HookSetOnTheLastPointTakesTheTargetsSideAndKeepsTheEnd)
{
    const int row = Place(TopToTop(), kTopToTopOrigin);
    const int shape = AddAt(ClassShape, RECT{4000, 2000, 5000, 3000}, ShapeRectangle);
    // Box point (0, 300), the middle of the left side: the shape has no side of its own to tell.
    Hook(row, shape, 2, POINT{0, 300});
    const std::string before = PathBytes(row);
    SendConnector(row, OM_HOOKCHANGED, 1, 1);   // no such slot
    SendConnector(row, OM_HOOKCHANGED, 0, 0);   // removed: the path stays
    EXPECT_TRUE(before == PathBytes(row));

    SendConnector(row, OM_HOOKCHANGED, 0, 1);
    // Top to left from (1000, 2000) to (3000, 2500): up to 1700, right by L1 to 1300, down to
    // 2500, on to the end, which stays where it was.
    ExpectPath(row, SideTop, SideLeft, {{0, 0, 0, 300}, {0, 0, 300, 0}, {300, 0, 300, 800}, {300, 800, 2000, 800}},
               POINT{1000, 1700}, "hooked");
}

TEST_F(ConnectorEdit, UnreadableRecordReturnsTheStoreErrorAndChangesNothing)
{
    const int row = Place(TopToTop(), kTopToTopOrigin);
    const int shape = AddAt(ClassShape, RECT{4000, 2000, 5000, 3000}, ShapeRectangle);
    Hook(row, shape, 2, POINT{0, 300});
    Change(row, [](DrawObject& o, Drawing&) { o.dataId += 100; });
    const DrawObject o = Object(row);
    HGLOBAL block = nullptr;
    const int expected = LoadConnectorPath(slot_, &o, &block);
    ASSERT_NE(0, expected);
    const std::string objects = ObjectBytes();

    RECT r = {1000, 2000, 500, 2200};
    EXPECT_EQ(expected, SendConnector(row, OM_DRAGHANDLE, 1, 0, &r));
    EXPECT_EQ(expected, SendConnector(row, OM_SETFRAME, 0, 0, &r));
    POINT cursor = {2000, 1600};
    EXPECT_EQ(expected, SendConnector(row, OM_SETPARAM, 51, 0, &cursor));
    Select(row);
    POINT first = {1000, 2000};
    EXPECT_EQ(0, SendConnector(row, OM_HITTEST, 0, 0, &first));
    Change(row, [](DrawObject& c, Drawing&) { c.state &= ~DWORD(StateSelected); });
    SendConnector(row, OM_HOOKCHANGED, 0, 1);
    POINT delta = {100, 100};
    RECT dragged = {};
    SendConnector(row, OM_MOVEHANDLERECT, 1, Arg(&delta), &dragged);
    EXPECT_EQ(o.innerRect, dragged);
    EXPECT_TRUE(objects == ObjectBytes());
}

TEST_F(ConnectorEdit, FeedbackLeavesTheConnectorAloneAndIgnoresStaleCandidates)
{
    const int row = Place(TopToTop(), kTopToTopOrigin);
    const std::string record = PathBytes(row);
    const std::string objects = ObjectBytes();
    Canvas canvas(200, 200);
    canvas.Clear();
    // Candidate rows the list does not have.
    DragState stale = IdleDragState();
    stale.trackMode = TrackCreateByDrag;
    stale.hookTarget = 99;
    stale.hookPoint = {0, 300};
    stale.hookHolderCode = 1;
    stale.startHookTarget = 99;
    stale.startHookPoint = {600, 300};
    DragStateScope drag(stale);
    RECT r = {1000, 2000, 3000, 2500};
    const int anchor = MAKELONG(1000, 2000);
    SendDC(canvas.dc(), -1, OM_TRACKCREATE, ConnectorSquare, anchor, &r);
    SendDC(canvas.dc(), row, OM_TRACKHANDLE, 0, anchor, &r);
    RECT moved = Object(row).frame;
    OffsetRect(&moved, 300, 300);
    SendDC(canvas.dc(), row, OM_TRACKMOVE, 0, 0, &moved);
    POINT cursor = {2000, 1600};
    SendDC(canvas.dc(), row, OM_TRACKPARAM, 0, 51, &cursor);
    EXPECT_TRUE(record == PathBytes(row));
    EXPECT_TRUE(objects == ObjectBytes());
}

}  // namespace
