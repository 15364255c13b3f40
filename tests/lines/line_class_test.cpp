// The straight-line class: a new line by drag mode and corner, the bounds every change ends
// with, offsets, capabilities, and lines hooked to shapes following them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "lines/arrowheads.h"
#include "lines/line_shape.h"
#include "geometry/handle_codes.h"
#include "model/edit_ops.h"
#include "model/links.h"
#include "model/move_set.h"
#include "shapes/shape_kinds.h"
#include "line_fixture.h"

namespace {

class LineBounds : public LineClass {};

struct BoundsCase {
    const char* name;
    POINT from, to;
    int width;
    int arrowEnd;   // word at end 2, 0 none
    int arrowSize;
    RECT frame, update;
};

// A horizontal line is its line coordinate +/- max(width / 2, 6) across; its update rect reaches
// 30 beyond its ends plus the heads' along extent, and at least 27 across.
const BoundsCase kBounds[] = {
    {"PlainHorizontal", {100, 500}, {700, 500}, 1, 0, 1, {100, 494, 700, 506}, {70, 473, 730, 527}},
    {"WideHorizontal", {100, 500}, {700, 500}, 40, 0, 1, {100, 480, 700, 520}, {70, 473, 730, 527}},
    {"PlainVertical", {500, 100}, {500, 700}, 1, 0, 1, {494, 100, 506, 700}, {473, 70, 527, 730}},
    {"PlainSlanted", {100, 100}, {700, 400}, 1, 0, 1, {100, 100, 700, 400}, {70, 70, 730, 430}},
    // Kind 1 at size 1: across S + w + 6 = 31, along 0.
    {"FilledHead", {100, 500}, {700, 500}, 1, 1, 1, {100, 494, 700, 506}, {70, 463, 730, 537}},
    // Kind 4 reaches 31 along as well, at both ends (the larger extent serves both).
    {"CircleHead", {100, 500}, {700, 500}, 1, 4, 1, {100, 494, 700, 506}, {39, 463, 761, 537}},
    // A stored size beyond the table reads as the largest: across 36 + 1 + 6 = 43.
    {"SizeBeyondTable", {100, 500}, {700, 500}, 1, 1, 9, {100, 494, 700, 506}, {70, 451, 730, 549}},
    {"SlantedHead", {100, 100}, {700, 400}, 1, 1, 1, {100, 100, 700, 400}, {39, 39, 761, 461}},
};

TEST_F(LineBounds, FrameAndUpdateRectFollowWidthHeadsAndOrientation)
{
    for (const BoundsCase& c : kBounds) {
        SCOPED_TRACE(c.name);
        const int row = AddLine(c.from.x, c.from.y, c.to.x, c.to.y);
        Change(row, [&c](DrawObject& o, Drawing& d) {
            o.lineWidth = c.width;
            o.arrowEnd = c.arrowEnd;
            o.arrowSize = c.arrowSize;
            DeriveArrowEnds(&o);
            RecalcLineBounds(&d, &o);
        });
        const DrawObject o = Object(row);
        EXPECT_EQ(c.frame, o.frame);
        EXPECT_EQ(c.update, o.updateRect);
        EXPECT_EQ(o.frame, o.innerRect);
        EXPECT_EQ(o.frame, o.textRect);
    }
}

TEST_F(LineBounds, TheHookMaskTellsHorizontalAndVerticalLines)
{
    const int h = AddLine(100, 500, 700, 500), v = AddLine(500, 100, 500, 700), s = AddLine(100, 100, 700, 400);
    EXPECT_EQ(0x3u | kLineHorizontalHook, Object(h).hookMask);
    EXPECT_EQ(0x3u | kLineVerticalHook, Object(v).hookMask);
    EXPECT_EQ(0x3u, Object(s).hookMask);
    EXPECT_EQ(2u, Object(s).acceptMask);
}

TEST_F(LineBounds, AShadowWidensTheUpdateRect)
{
    const int row = AddLine(100, 500, 700, 500);
    Change(row, [](DrawObject& o, Drawing& d) {
        d.style.shadowStyle = 1;
        d.style.shadowDx = 40;
        d.style.shadowDy = 50;
        d.style.shadowClassMask = 1;
        o.options &= ~OptShadowHidden;
        RecalcLineBounds(&d, &o);
    });
    // (70, 473, 730, 527) before the 27 minimum: (70, 494, 730, 506) grown by 40 and 50.
    EXPECT_EQ((RECT{30, 444, 770, 556}), Object(row).updateRect);
}

TEST_F(LineBounds, AnArcReachesItsApexAndAStrangeBulgeReadsAsTheDefault)
{
    const int row = AddLine(1000, 2000, 2000, 2000);
    int32_t request[2] = {0, LineArc + 1};
    ASSERT_EQ(0, Send(row, OM_SETLINETYPE, 0, 0, request));
    const DrawObject arc = Object(row);
    EXPECT_EQ(180.0, arc.param);
    // Apex 180 above the line, pushed out by the margin width + 24.
    EXPECT_EQ(2000 - 180 - 25, arc.updateRect.top);
    EXPECT_EQ(2000 + 27, arc.updateRect.bottom);
    EXPECT_LE(arc.updateRect.left, 1000 - 30);

    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), -1e300}) {
        Change(row, [bad](DrawObject& o, Drawing& d) {
            o.param = bad;
            RecalcLineBounds(&d, &o);
        });
        const RECT u = Object(row).updateRect;
        EXPECT_LE(u.left, 970);
        EXPECT_GE(u.bottom, 2027);
        if (std::isnan(bad)) {
            EXPECT_EQ(arc.updateRect, u);
        }
    }
}

TEST_F(LineBounds, RefreshingALoadedDrawingRecomputesShapedLinesOnly)
{
    const int plain = AddLine(100, 500, 700, 500);
    const int zigzag = AddLine(100, 900, 1100, 900);
    int32_t request[2] = {0, LineZigzag + 1};
    ASSERT_EQ(0, Send(zigzag, OM_SETLINETYPE, 0, 0, request));
    const RECT shaped = Object(zigzag).updateRect;
    const RECT stale = {1, 2, 3, 4};
    for (int row : {plain, zigzag}) Change(row, [&stale](DrawObject& o, Drawing&) { o.updateRect = stale; });
    RefreshShapedLineBounds(state_->drawing);
    EXPECT_EQ(stale, Object(plain).updateRect);
    EXPECT_EQ(shaped, Object(zigzag).updateRect);
}

TEST_F(LineBounds, AnOffsetMovesTheLineCoordinate)
{
    const int h = AddLine(100, 500, 700, 500), v = AddLine(900, 100, 900, 700);
    for (int row : {h, v}) {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        ASSERT_EQ(0, OffsetObject(d.get(), objects.get(), row, 37, -21));
    }
    EXPECT_EQ(479, Object(h).axisCoord);
    EXPECT_EQ((RECT{137, 473, 737, 485}), Object(h).frame);
    EXPECT_EQ(937, Object(v).axisCoord);
    EXPECT_EQ((RECT{931, 79, 943, 679}), Object(v).frame);
}

class NewLine : public LineClass {};

struct NewLineCase {
    const char* name;
    int mode;               // the view's drag mode
    POINT from, to;         // the creating drag
    int defaultStart, defaultEnd, defaultSize;
    int arrowStart, arrowEnd, arrowEnds, arrowSize;
};

const NewLineCase kNewLines[] = {
    // Only an end head by default: it goes to the end where the drag finished.
    {"DragRightToLeft", TrackCreateByDrag, {700, 900}, {100, 300}, 0, 1, 2, 1, 0, kArrowEnd1, 2},
    {"DragLeftToRight", TrackCreateByDrag, {100, 300}, {700, 900}, 0, 1, 2, 0, 1, kArrowEnd2, 2},
    // Only a start head: the same rule with the start head's kind.
    {"StartOnlyRising", TrackCreateByDrag, {700, 300}, {100, 900}, 0x105, 0, 0, 0x05, 0, kArrowEnd1, 0},
    // Upward on a vertical line: the finish is the top, end 1.
    {"VerticalUpward", TrackCreateByDrag, {500, 900}, {500, 300}, 0, 3, 1, 3, 0, kArrowEnd1, 1},
    {"BothCopied", TrackCreateByDrag, {100, 300}, {700, 900}, 0x102, 4, 0, 0x102, 4, 3, 0},
    {"PlacedCopiesBoth", TrackPlaceDragged, {100, 300}, {700, 900}, 0x100, 7, 2, 0, 7, kArrowEnd2, 2},
    // Other modes keep what adding made: no heads, the medium size.
    {"OtherMode", 0, {100, 300}, {700, 900}, 1, 1, 2, 0, 0, 0, 1},
};

TEST_F(NewLine, ArrowheadsFollowTheDragModeAndTheFinishingEnd)
{
    for (const NewLineCase& c : kNewLines) {
        SCOPED_TRACE(c.name);
        {
            Locked<Drawing> d = LockDrawing();
            d->defaultArrowStart = c.defaultStart;
            d->defaultArrowEnd = c.defaultEnd;
            d->defaultArrowSize = c.defaultSize;
        }
        TrackModeScope mode(c.mode);
        const DrawObject o = Object(AddLine(c.from.x, c.from.y, c.to.x, c.to.y));
        EXPECT_EQ(c.arrowStart, o.arrowStart);
        EXPECT_EQ(c.arrowEnd, o.arrowEnd);
        EXPECT_EQ(c.arrowEnds, o.arrowEnds);
        EXPECT_EQ(c.arrowSize, o.arrowSize);
    }
}

TEST_F(NewLine, CornerSetsLineCoordinateRisingFlagAndTheSingleHead)
{
    {
        Locked<Drawing> d = LockDrawing();
        d->defaults.defaultLineWidth = 3;
        d->style.lineColor = RGB(10, 20, 30);
    }
    struct Case {
        POINT from, to;
        int orientation, axis;
        bool rising;
    } cases[] = {
        {{100, 520}, {700, 500}, LineHorizontal, 520, true},    // from the bottom: the bottom edge
        {{100, 500}, {700, 520}, LineHorizontal, 500, false},
        {{520, 100}, {500, 700}, LineVertical, 520, true},      // from the right: the right edge
        {{700, 100}, {100, 500}, LineSlanted, 0, true},
        {{100, 500}, {700, 100}, LineSlanted, 0, true},
        {{100, 100}, {700, 500}, LineSlanted, 0, false},
    };
    for (const Case& c : cases) {
        const DrawObject o = Object(AddLine(c.from.x, c.from.y, c.to.x, c.to.y));
        SCOPED_TRACE(o.frame);
        EXPECT_EQ(c.orientation, o.objType);
        if (c.orientation != LineSlanted) {
            EXPECT_EQ(c.axis, o.axisCoord);
        }
        EXPECT_EQ(c.rising, IsLineRising(&o));
        EXPECT_EQ(3, o.lineWidth);
        EXPECT_EQ(1, o.lineStyle);
        EXPECT_EQ(RGB(10, 20, 30), o.lineColor);
        EXPECT_EQ(0x20, o.classFlags);
        EXPECT_EQ(2, o.hookCapacity);
        EXPECT_NE(0u, o.state & kLineCreated);
        EXPECT_EQ((RECT{0, 0, 0, 0}), o.textMargins);
    }
    // The single-head flag of message 11 names the end directly, the words stay.
    const int single = AddAt(ClassLine, RECT{100, 100, 700, 500}, 0, HandleLeftBottom, 1);
    EXPECT_EQ(kArrowEnd2, Object(single).arrowEnds);
    const int other = AddAt(ClassLine, RECT{100, 100, 700, 500}, 0, HandleRightBottom, 1);
    EXPECT_EQ(kArrowEnd1, Object(other).arrowEnds);
}

TEST_F(NewLine, CapabilitiesClassFlagsAndTheUpdateRectQuery)
{
    const int row = AddLine(100, 500, 700, 500);
    EXPECT_EQ(2773, Send(row, OM_GETCAPS));
    Change(row, [](DrawObject& o, Drawing&) { o.groupRow = 0; });
    EXPECT_EQ(2753, Send(row, OM_GETCAPS));
    EXPECT_EQ(0x13, SendTypeQuery(ClassLine, OM_GETCLASSFLAGS, 0));
    RECT update = {};
    EXPECT_EQ(0, Send(row, OM_GETUPDATERECT, 0, 0, &update));
    EXPECT_EQ(Object(row).updateRect, update);
    // A row past the list is no object.
    EXPECT_EQ(0, Send(Count(), OM_GETCAPS));
}

// Lines hooked to shapes follow them when they move.
class HookedLine : public LineClass {
protected:
    int Shape(RECT r) { return AddAt(ClassShape, r, ShapeRectangle); }
    void Hook(int line, int end, int target, POINT box)
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), line, -1, target, end, box.x, box.y));
    }
    void Move(int row, int dx, int dy)
    {
        ObjectVector* set = NewObjectVector(4);
        set->rows[set->count++] = row;
        ASSERT_EQ(0, MoveObjects(view_, dx, dy, set, FALSE));
        FreeObjectVector(&set, nullptr);
    }
};

TEST_F(HookedLine, ALineHookedAtOneEndMovesWhole)
{
    const int shape = Shape(RECT{600, 600, 1200, 1200});
    const int line = AddLine(1200, 900, 2400, 900);
    Hook(line, 1, shape, POINT{600, 300});   // the shape's right middle
    Move(shape, 300, 120);
    const DrawObject o = Object(line);
    EXPECT_EQ((POINT{1500, 1020}), LineEndPosition(&o, 1));
    EXPECT_EQ((POINT{2700, 1020}), LineEndPosition(&o, 2));
}

TEST_F(HookedLine, ALineHookedAtBothEndsIsReshapedByTheEndThatMoved)
{
    const int left = Shape(RECT{600, 600, 1200, 1200});
    const int right = Shape(RECT{2400, 600, 3000, 1200});
    const int line = AddLine(1200, 900, 2400, 900);
    Hook(line, 1, left, POINT{600, 300});
    Hook(line, 2, right, POINT{0, 300});
    Move(left, 0, 300);
    DrawObject o = Object(line);
    EXPECT_EQ((POINT{1200, 1200}), LineEndPosition(&o, 1));
    EXPECT_EQ((POINT{2400, 900}), LineEndPosition(&o, 2));
    EXPECT_EQ(LineSlanted, o.objType);
    EXPECT_TRUE(IsLineRising(&o));
    // Moved back, the line is horizontal again and keeps its hooks at their ends.
    Move(left, 0, -300);
    o = Object(line);
    EXPECT_EQ(LineHorizontal, o.objType);
    EXPECT_EQ((POINT{1200, 900}), LineEndPosition(&o, 1));
    EXPECT_EQ((POINT{2400, 900}), LineEndPosition(&o, 2));
    EXPECT_GE(FindHookByEndCode(&o, 1), 0);
    EXPECT_GE(FindHookByEndCode(&o, 2), 0);
}

TEST_F(HookedLine, ALineHookedToALineFollowsIt)
{
    const int trunk = AddLine(600, 1200, 2400, 1200);
    {
        Locked<Drawing> d = LockDrawing();
        d->drawingFlags |= DrawLinesLink;
    }
    const int branch = AddLine(1500, 600, 1500, 1200);
    Hook(branch, 2, trunk, POINT{300, 300});   // the middle of the trunk
    Move(trunk, 0, 240);
    const DrawObject o = Object(branch);
    EXPECT_EQ((POINT{1500, 840}), LineEndPosition(&o, 1));
    EXPECT_EQ((POINT{1500, 1440}), LineEndPosition(&o, 2));
}

}  // namespace
