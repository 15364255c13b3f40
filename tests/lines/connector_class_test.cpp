// The elbow-connector class: a new connector's record, layout, sides from the hook candidates of
// its drag and its arrowheads; capabilities; records it cannot read; connectors hooked at both
// ends following their shapes, and Undo bringing their path back byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lines/arrowheads.h"
#include "lines/connector_routing.h"
#include "model/edit_ops.h"
#include "model/links.h"
#include "model/move_set.h"
#include "model/undo.h"
#include "shapes/shape_kinds.h"
#include "connector_fixture.h"

namespace {

using Segments = std::vector<std::vector<LONG>>;

Segments SegmentsOf(const ConnectorSegmentBlock& path)
{
    Segments out;
    for (int i = 0; i < path.segmentCount; ++i) {
        const ConnectorSegment& s = path.segments[i];
        out.push_back({s.x1, s.y1, s.x2, s.y2});
    }
    return out;
}

class NewConnector : public ConnectorClass {};

TEST_F(NewConnector, WithoutCandidatesItIsLaidOutInItsFrame)
{
    DragStateScope drag(IdleDragState());
    const int row = AddConnector(RECT{1000, 1000, 2000, 1400}, 4);
    const DrawObject o = Object(row);
    EXPECT_EQ(kConnectorRecordType, o.dataType);
    EXPECT_EQ(1, o.dataCount);
    EXPECT_EQ(4, o.lineShape);   // the creation corner
    EXPECT_EQ(0x20, o.classFlags);
    EXPECT_EQ(2, o.hookCapacity);
    EXPECT_EQ(3u, o.hookMask);
    EXPECT_EQ(2u, o.acceptMask);
    EXPECT_NE(0u, o.state & kLineCreated);
    EXPECT_EQ((RECT{1000, 1000, 2000, 1400}), o.innerRect);
    const ConnectorSegmentBlock path = Path(row);
    EXPECT_EQ(SideNone, path.startSide);
    EXPECT_EQ(SideNone, path.endSide);
    EXPECT_EQ((Segments{{0, 0, 500, 0}, {500, 0, 500, 400}, {500, 400, 1000, 400}}), SegmentsOf(path));
    // The lengths were reset before the layout, with no segments yet.
    for (int length : path.preferred) EXPECT_EQ(kConnectorPreferredLength, length);

    // The curved kind bends once; a drag lower than three line widths is one straight segment.
    EXPECT_EQ((Segments{{0, 0, 1000, 0}, {1000, 0, 1000, 400}}),
              SegmentsOf(Path(AddConnector(RECT{1000, 1000, 2000, 1400}, 4, ConnectorCurved))));
    {
        Locked<Drawing> d = LockDrawing();
        d->defaults.defaultLineWidth = 20;
    }
    const int flat = AddConnector(RECT{1000, 1000, 2000, 1050}, 1);
    EXPECT_EQ((Segments{{0, 0, 1000, 0}}), SegmentsOf(Path(flat)));
    EXPECT_EQ(20, Object(flat).lineWidth);
}

TEST_F(NewConnector, OneCandidateGivesItsSideAndTheOtherEndTheOpposite)
{
    const int shape = AddAt(ClassShape, RECT{600, 600, 1200, 1200}, ShapeRectangle);
    DragState state = IdleDragState();
    state.trackMode = TrackCreateByDrag;
    state.startHookTarget = shape;          // under the anchor, the shape's right middle
    state.startHookPoint = POINT{600, 300};
    DragStateScope drag(state);
    const int row = AddConnector(RECT{1200, 900, 2400, 1500}, 1);
    const ConnectorSegmentBlock path = Path(row);
    EXPECT_EQ(SideRight, path.startSide);
    EXPECT_EQ(SideLeft, path.endSide);
    // Right to left, facing: out 300, down, on to the target.
    EXPECT_EQ((Segments{{0, 0, 300, 0}, {300, 0, 300, 600}, {300, 600, 1200, 600}}), SegmentsOf(path));
    EXPECT_EQ(1200, Object(row).innerRect.left);
    EXPECT_EQ(900, Object(row).innerRect.top);
}

TEST_F(NewConnector, ASingleDefaultHeadGoesToTheEndWhereTheDragFinished)
{
    {
        Locked<Drawing> d = LockDrawing();
        d->defaultArrowStart = 0;
        d->defaultArrowEnd = 0x103;
        d->defaultArrowSize = 2;
    }
    DragState state = IdleDragState();
    state.trackMode = TrackCreateByDrag;
    DragStateScope drag(state);
    // From bottom-right to top-left: the finish is the first point.
    const DrawObject back = Object(AddConnector(RECT{1000, 1000, 2000, 1400}, 4));
    EXPECT_EQ(3, back.arrowStart);
    EXPECT_EQ(0, back.arrowEnd);
    EXPECT_EQ(kArrowEnd1, back.arrowEnds);
    EXPECT_EQ(2, back.arrowSize);
    const DrawObject on = Object(AddConnector(RECT{1000, 1000, 2000, 1400}, 1));
    EXPECT_EQ(0, on.arrowStart);
    EXPECT_EQ(3, on.arrowEnd);
    EXPECT_EQ(kArrowEnd2, on.arrowEnds);
}

TEST_F(NewConnector, CapabilitiesAndRefusedRotation)
{
    const int row = AddConnector(RECT{1000, 1000, 2000, 1400});
    EXPECT_EQ(0xA55, SendConnector(row, OM_GETCAPS));
    Change(row, [](DrawObject& o, Drawing&) { o.groupRow = 0; });
    EXPECT_EQ(0xA41, SendConnector(row, OM_GETCAPS));
    EXPECT_EQ(0x13, SendTypeQuery(ClassConnector, OM_GETCLASSFLAGS, 0));
    const std::string before = ObjectBytes();
    RotationRefused = FALSE;
    EXPECT_EQ(0, SendConnector(row, OM_SETANGLE, 300));
    EXPECT_TRUE(RotationRefused);
    RotationRefused = FALSE;
    POINT cursor = {3000, 3000};
    EXPECT_EQ(0, SendConnector(row, OM_ROTATETO, 0, 0, &cursor));
    EXPECT_TRUE(RotationRefused);
    RotationRefused = FALSE;
    EXPECT_TRUE(before == ObjectBytes());
}

TEST_F(NewConnector, ARecordTooShortToHoldAPathIsNotRead)
{
    const int row = AddConnector(RECT{1000, 1000, 2000, 1400});
    const DrawObject o = Object(row);
    ASSERT_EQ(0, DeleteRecordById(slot_, o.dataType, o.dataId));
    HGLOBAL block = nullptr;
    ASSERT_EQ(0, AddRecord(slot_, o.dataType, o.dataId, 100, &block));
    ReleaseBlock(block);
    POINT end = {-1, -1};
    EXPECT_EQ(StoreMemoryTooSmall, SendConnector(row, OM_GETPOINTPOS, 1, 0, &end));
    EXPECT_EQ(0, SendConnector(row, OM_HITTEST, 0, 0, &end));
    POINT at = {1000, 1000};
    EXPECT_EQ(0, SendConnector(row, OM_HITTEST, 0, 0, &at));
}

TEST_F(NewConnector, AStraightLineBecomesAConnectorWithTheChosenSides)
{
    const int row = AddLine(1000, 2000, 2000, 2000);
    INT32 request[2] = {0, 0x15};   // square, top to top
    ASSERT_EQ(0, Send(row, OM_SETLINETYPE, 0, 0, request));
    const DrawObject o = Object(row);
    EXPECT_EQ(ClassConnector, o.objClass);
    EXPECT_EQ(ConnectorSquare, o.objType);
    EXPECT_EQ(kConnectorRecordType, o.dataType);
    const ConnectorSegmentBlock path = Path(row);
    EXPECT_EQ(SideTop, path.startSide);
    EXPECT_EQ(SideTop, path.endSide);
    // The frame's bottom went 300 down to 2306; both stubs rise 300 from there.
    EXPECT_EQ((Segments{{0, 0, 0, 300}, {0, 0, 1000, 0}, {1000, 0, 1000, 300}}), SegmentsOf(path));
    EXPECT_EQ((RECT{1000, 2006, 2000, 2306}), o.innerRect);
}

// Connectors hooked at both ends follow their shapes.
class HookedConnector : public ConnectorClass {
protected:
    void Hook(int holder, int end, int target, POINT box)
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), holder, -1, target, end, box.x, box.y));
    }
    int Move(int row, int dx, int dy)
    {
        ObjectVector* set = NewObjectVector(4);
        set->rows[set->count++] = row;
        const int err = MoveObjects(view_, dx, dy, set, FALSE);
        FreeObjectVector(&set, nullptr);
        return err;
    }
    POINT End(int row, int end)
    {
        POINT p = {-1, -1};
        EXPECT_EQ(0, SendConnector(row, OM_GETPOINTPOS, end, 0, &p));
        return p;
    }
};

TEST_F(HookedConnector, ItReroutesWhenAShapeMovesAndUndoBringsItsPathBack)
{
    const int left = AddAt(ClassShape, RECT{600, 600, 1200, 1200}, ShapeRectangle);
    const int right = AddAt(ClassShape, RECT{2400, 1200, 3000, 1800}, ShapeRectangle);
    DragState state = IdleDragState();
    state.startHookTarget = left;
    state.startHookPoint = POINT{600, 300};
    state.hookTarget = right;
    state.hookPoint = POINT{0, 300};
    int connector = -1;
    {
        DragStateScope drag(state);
        connector = AddConnector(RECT{1200, 900, 2400, 1500}, 1);
    }
    Hook(connector, 1, left, POINT{600, 300});
    Hook(connector, 2, right, POINT{0, 300});
    const DrawObject o = Object(connector);
    const std::string before = RecordBytes(o.dataType, o.dataId);

    ASSERT_EQ(0, Move(right, 300, 600));
    EXPECT_EQ((POINT{1200, 900}), End(connector, 1));
    EXPECT_EQ((POINT{2700, 2100}), End(connector, 2));
    const ConnectorSegmentBlock path = Path(connector);
    EXPECT_EQ(SideRight, path.startSide);
    EXPECT_EQ(SideLeft, path.endSide);
    EXPECT_FALSE(before == RecordBytes(o.dataType, o.dataId));

    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_TRUE(before == RecordBytes(o.dataType, o.dataId));
    EXPECT_EQ((POINT{2400, 1500}), End(connector, 2));
}

}  // namespace
