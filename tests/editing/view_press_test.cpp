// The press in the drawing view: the drag a press arms, hit testing and the selection, the drag's
// set-up and the hook targets a dragged end finds. The fixture's view maps device pixels one to
// one onto drawing units, so presses go in at drawing coordinates.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "documents/options.h"
#include "editing/drag_setup.h"
#include "editing/drag_state.h"
#include "editing/hit_test.h"
#include "editing/hook_targets.h"
#include "editing/view_mouse.h"
#include "frame/frame_services.h"
#include "frame/frame_ui.h"
#include "model/drawing.h"
#include "model/edit_ops.h"
#include "model/links.h"
#include "model/move_set.h"
#include "model/objects.h"
#include "model/undo.h"
#include "resource.h"
#include "support/drawing_fixture.h"
#include "support/press_support.h"
#include "support/shown_view.h"

namespace {

DWORD& g_pressTime = PressClock::pressTime;
DWORD& g_now = PressClock::now;

inline bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }

class ViewPress : public DrawingFixture {
protected:
    void SetUp() override
    {
        DrawingFixture::SetUp();
        if (HasFatalFailure()) return;
        seams_ = std::make_unique<PressSeams>();
        state_->areaWidth = 20000;
        state_->areaHeight = 20000;
    }
    void TearDown() override
    {
        ReleasePress();
        PressSeams::DrainMouse(view_);
        seams_.reset();
        DrawingFixture::TearDown();
    }
    // The drag's sets are freed and its mode reset, as a release leaves them.
    void ReleasePress() { PressSeams::EndDrag(state_); }
    static void SetShift(bool down) { SetKeys(down, false); }
    // A press that the button is released from before 200 ms: the release is already queued.
    void QueueRelease() { PostMessageA(view_, WM_LBUTTONUP, 0, 0); }
    void Press(int x, int y, WPARAM keys = MK_LBUTTON, bool right = false)
    {
        OnViewButtonDown(view_, keys, POINT{x, y}, right ? TRUE : FALSE);
    }
    int Shape(RECT r) { return AddAt(ClassShape, r, 2); }
    int Line(RECT r) { return AddAt(ClassLine, r, 0); }
    void Select(int row) { SelectObjectByClick(DrawingHandle(), row, TRUE, FALSE, FALSE); }
    int Hit(int x, int y, int* row = nullptr, int* hitClass = nullptr)
    {
        Locked<Drawing> d = LockDrawing();
        return HitTestPage(d.get(), x, y, 10, nullptr, row, hitClass, FALSE);
    }

    std::unique_ptr<PressSeams> seams_;
};

TEST(GridSnap, SnapsToTheNearestSubdivisionAndToleratesABrokenRuler)
{
    struct Case {
        int divisions;
        double scale;
        LONG in;
        LONG out;
    };
    // 1 inch and 12 divisions: 50 units a subdivision; within half of one of the next inch.
    const Case cases[] = {
        {12, 100.0, 290, 300}, {12, 100.0, 12, 0},   {12, 100.0, 590, 600}, {12, 100.0, 620, 600},
        {12, 100.0, 676, 696}, {8, 100.0, 80, 72},    {7, 100.0, 290, 300},  {0, 100.0, 590, 600},
        {12, 0.0, 290, 300},   {12, -5.0, 12, 0},     {12, 1e308 * 10, 590, 600},
    };
    for (const Case& c : cases) {
        Drawing drawing = {};
        drawing.rulerSettings.screenUnit = 1;
        drawing.rulerSettings.divisions = c.divisions;
        drawing.rulerSettings.scaleBase = c.scale;
        POINT p = {c.in, c.in};
        SnapPointToGrid(&drawing, &p, 0);
        EXPECT_EQ(c.out, p.x) << c.divisions << " " << c.scale << " " << c.in;
        EXPECT_EQ(c.out, p.y);
    }
}

TEST(HandleCodes, CornerSideAndOpposite)
{
    const RECT r = {0, 0, 100, 50};
    const struct {
        int x, y, code;
    } at[] = {{0, 50, 3}, {0, 0, 1}, {100, 0, 2}, {100, 50, 4}, {100, 20, 8}, {0, 20, 7}, {40, 0, 5}, {40, 30, 6}};
    for (const auto& c : at) EXPECT_EQ(c.code, HandleCodeAtPoint(&r, c.x, c.y)) << c.x << "," << c.y;
    const int opposite[][2] = {{1, 4}, {4, 1}, {2, 3}, {3, 2}, {5, 6}, {6, 5}, {7, 8}, {8, 7}, {0, 1}, {40, 1}};
    for (const auto& o : opposite) EXPECT_EQ(o[1], OppositeSide(o[0])) << o[0];
}

TEST_F(ViewPress, PressOnEmptyPaperStartsARubberBandAndClearsTheSelectionUnlessShift)
{
    const int a = Shape({1000, 1000, 2000, 1600});
    for (const bool shift : {false, true}) {
        Select(a);
        Press(5000, 5000, MK_LBUTTON | (shift ? MK_SHIFT : 0));
        EXPECT_EQ(TrackRubberBand, g_dragState.trackMode);
        EXPECT_TRUE(g_dragState.anchor == (POINT{5000, 5000}));
        EXPECT_EQ(ContextNone, ContextMenuKind);
        EXPECT_EQ(shift ? std::vector<int>{a} : std::vector<int>{}, SelectedRows()) << shift;
        ReleasePress();
    }
}

TEST_F(ViewPress, RightPressChoosesTheContextMenuAndKeepsTheSelectionOnPaper)
{
    const int shape = Shape({1000, 1000, 2000, 1600});
    const int line = Line({3000, 3000, 5000, 3000});
    Select(shape);
    struct Case {
        POINT at;
        int kind;
        int mode;
    };
    const Case cases[] = {{{1500, 1300}, ContextShape, TrackMove},
                          {{4000, 3000}, ContextLine, TrackMove},
                          {{9000, 9000}, ContextBackground, TrackRubberBand}};
    for (const Case& c : cases) {
        QueueRelease();
        Press(c.at.x, c.at.y, MK_RBUTTON, true);
        EXPECT_EQ(c.kind, ContextMenuKind) << c.at.x;
        EXPECT_EQ(c.mode, g_dragState.trackMode) << c.at.x;
        if (c.mode == TrackMove) {
            EXPECT_EQ(HitBody, g_dragState.hitCode);
        }
        ReleasePress();
        MSG msg;
        while (PeekMessageA(&msg, view_, WM_LBUTTONDOWN, WM_MBUTTONDBLCLK, PM_REMOVE)) {
        }
    }
    EXPECT_EQ(std::vector<int>{shape}, SelectedRows());
    (void)line;
}

TEST_F(ViewPress, LockedBodyIsSelectedAsAClickWithoutADrag)
{
    const int other = Shape({5000, 5000, 6000, 6000});
    const int locked = Shape({1000, 1000, 2000, 1600});
    Change(locked, [](DrawObject& o, Drawing&) { o.state |= StateLocked; });
    Select(other);
    SetCapture(view_);
    Press(1500, 1300);
    EXPECT_EQ(TrackNone, g_dragState.trackMode);
    EXPECT_EQ(std::vector<int>{locked}, SelectedRows());
    EXPECT_NE(view_, GetCapture());
}

TEST_F(ViewPress, BodyPressIsAClickUntilTheButtonIsHeld200Milliseconds)
{
    const int a = Shape({1000, 1000, 2000, 1600});
    const int b = Shape({4000, 1000, 5000, 1600});
    for (const bool shift : {false, true}) {
        Select(a);
        QueueRelease();
        Press(4500, 1300, MK_LBUTTON | (shift ? MK_SHIFT : 0));
        EXPECT_EQ(TrackMove, g_dragState.trackMode);
        EXPECT_EQ(1, g_dragState.clickPending);
        EXPECT_EQ(0, g_dragState.feedbackShown);
        EXPECT_EQ(b, g_dragState.target);
        EXPECT_EQ(shift ? std::vector<int>{a} : std::vector<int>{}, SelectedRows()) << shift;
        ReleasePress();
        MSG msg;
        while (PeekMessageA(&msg, view_, WM_LBUTTONDOWN, WM_MBUTTONDBLCLK, PM_REMOVE)) {
        }
    }
    // Held past the deadline: the feedback is on the screen before any move.
    g_now = g_pressTime + kClickMilliseconds + 1;
    Press(4500, 1300);
    EXPECT_EQ(TrackMove, g_dragState.trackMode);
    EXPECT_EQ(0, g_dragState.clickPending);
    EXPECT_EQ(1, g_dragState.feedbackShown);
    EXPECT_EQ(g_pressTime + kClickMilliseconds, g_dragState.clickDeadline);
    EXPECT_EQ(9, GetCurrentCursorIndex());
    EXPECT_EQ(view_, g_dragState.trackedView);
}

TEST_F(ViewPress, APointerPressIsNeverSnappedAToolPressIs)
{
    {
        Locked<Drawing> d = LockDrawing();
        d->drawingFlags |= DrawSnap;
    }
    Press(290, 290);
    EXPECT_TRUE(g_dragState.anchor == (POINT{290, 290}));
    ReleasePress();
    settings_.tools[0] = ToolSlot{600, 400, ClassLine, 0, 0, 0.0};
    g_paletteTool = ToolFirstSlot;
    Press(290, 290);
    EXPECT_EQ(TrackCreateByDrag, g_dragState.trackMode);
    EXPECT_EQ(HitNewObject, g_dragState.hitCode);
    EXPECT_EQ(ClassLine, g_dragState.target);
    EXPECT_TRUE(g_dragState.anchor == (POINT{300, 300}));
    EXPECT_EQ(14, GetCurrentCursorIndex());
}

TEST_F(ViewPress, LibraryToolWithoutACurrentItemDoesNothing)
{
    g_paletteTool = ToolVexlet;
    Press(500, 500);
    EXPECT_EQ(TrackNone, g_dragState.trackMode);
    EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(ViewPress, HitTestPrefersSelectedHandlesAndMapsLockedAndGroupedCodes)
{
    const int under = Shape({1000, 1000, 2000, 1600});
    const int over = Shape({1900, 1500, 3000, 2500});   // in front, over `under`'s right-bottom corner
    Select(under);
    int row = -1, hitClass = -2;
    EXPECT_EQ(HitRightBottom, Hit(2000, 1600, &row, &hitClass));
    EXPECT_EQ(under, row);
    EXPECT_EQ(ClassShape, hitClass);
    // A selected body answers with the frontmost object under the point.
    EXPECT_EQ(HitInterior, Hit(1950, 1550, &row));
    EXPECT_EQ(over, row);
    const int locked = Shape({5000, 5000, 6000, 6000});
    Change(locked, [](DrawObject& o, Drawing&) { o.state |= StateLocked; });
    Select(locked);
    EXPECT_EQ(HitClickOnly, Hit(5500, 5500, &row));
    EXPECT_EQ(locked, row);
    EXPECT_EQ(0, Hit(6000, 6000));
}

TEST_F(ViewPress, MembersOfAGroupAnswerMovesForTheirHandles)
{
    const int shape = Shape({1000, 1000, 2000, 1600});
    const int vertical = Line({3000, 1000, 3000, 3000});
    const int horizontal = Line({4000, 4000, 6000, 4000});
    AddGroup(7, {shape, vertical, horizontal}, true);
    struct Case {
        POINT at;
        int code;
    } cases[] = {{{1000, 1000}, HitBody},         {{3000, 1000}, HitVerticalBody}, {{3000, 3000}, HitVerticalBody},
                 {{4000, 4000}, HitHorizontalBody}, {{6000, 4000}, HitHorizontalBody}};
    for (const Case& c : cases) EXPECT_EQ(c.code, Hit(c.at.x, c.at.y)) << c.at.x << "," << c.at.y;
}

TEST_F(ViewPress, ShiftClickOnASelectedObjectDeselectsItAndTheFrontmostBecomesCurrent)
{
    const int a = Shape({1000, 1000, 2000, 1600});
    const int b = Shape({3000, 1000, 4000, 1600});
    const int c = Shape({5000, 1000, 6000, 1600});
    for (const int row : {a, b, c}) SelectObjectByClick(DrawingHandle(), row, TRUE, FALSE, TRUE);
    {
        Locked<Drawing> d = LockDrawing();
        EXPECT_EQ(c, d->currentRow);
    }
    SelectObjectByClick(DrawingHandle(), c, TRUE, FALSE, TRUE);
    EXPECT_EQ((std::vector<int>{a, b}), SelectedRows());
    Locked<Drawing> d = LockDrawing();
    EXPECT_EQ(b, d->currentRow);
    EXPECT_EQ(2, d->selectedCount);
}

TEST_F(ViewPress, RubberBandSelectsWholeGroupsAndShiftTogglesInside)
{
    const int a = Shape({1000, 1000, 2000, 2000});
    const int b = Shape({3000, 1000, 4000, 2000});
    const int g1 = Shape({1000, 5000, 2000, 6000});
    const int g2 = Shape({5000, 5000, 6000, 6000});
    const int group = AddGroup(3, {g1, g2}, true);
    const RECT band = {0, 0, 3000, 7000};   // holds a and g1; b and g2 outside
    SelectObjectsInRect(view_, &band);
    EXPECT_EQ(std::vector<int>{a}, SelectedRows());
    // A rotated group is taken whole for any member inside.
    {
        Locked<Drawing> d = LockDrawing();
        Locked<GroupTable> groups(d->groupTable);
        (*groups)[group].angle = 300;
    }
    SelectObjectsInRect(view_, &band);
    EXPECT_EQ((std::vector<int>{a, g1, g2}), SelectedRows());
    // Shift toggles the objects inside and keeps those outside.
    Select(b);
    SetShift(true);
    SelectObjectsInRect(view_, &band);
    EXPECT_EQ(std::vector<int>{b}, SelectedRows());
    SetShift(false);
    // The right and bottom edges lie outside.
    const RECT edge = {1000, 1000, 2000, 2001};
    SelectObjectsInRect(view_, &edge);
    EXPECT_EQ(std::vector<int>{}, SelectedRows());
    SelectObjectsInRect(view_, nullptr);
    EXPECT_EQ((std::vector<int>{a, b, g1, g2}), SelectedRows());
    Locked<Drawing> d = LockDrawing();
    EXPECT_EQ(4, d->selectedCount);
    Locked<GroupTable> groups(d->groupTable);
    EXPECT_TRUE((*groups)[group].flags & GroupSelected);
}

TEST_F(ViewPress, PrepareDragAnchorsTheOppositeHandle)
{
    const int shape = Shape({1000, 2000, 3000, 3000});
    struct Case {
        int code;
        POINT anchor;
        POINT second;
        int axisLock;
        int cursor;
    };
    const Case cases[] = {
        {1, {3000, 3000}, {3000, 3000}, 99, 6}, {2, {1000, 3000}, {1000, 3000}, 99, 5},
        {3, {3000, 2000}, {3000, 2000}, 99, 5}, {4, {1000, 2000}, {1000, 2000}, 99, 6},
        {5, {3000, 3000}, {1000, -1}, 2, 7},    {6, {3000, 2000}, {1000, -1}, 2, 7},
        {7, {3000, 3000}, {-1, 2000}, 1, 8},    {8, {1000, 3000}, {-1, 2000}, 1, 8},
        {140, {1000, 2500}, {1000, 2500}, 99, 17}, {141, {2000, 2000}, {2000, 2000}, 99, 17},
    };
    for (const Case& c : cases) {
        ReleasePress();
        DragState& s = g_dragState;
        s.hitClass = ClassShape;
        s.secondPoint = {-1, -1};
        RECT local = {};
        POINT press = {0, 0};
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, PrepareDrag(d.get(), c.code, shape, &s.trackRect, &s.anchor, &s.secondPoint, &s.axisLock,
                                 nullptr, FALSE, &local, &press));
        EXPECT_TRUE(s.anchor == c.anchor) << c.code;
        EXPECT_TRUE(s.secondPoint == c.second) << c.code << ": " << s.secondPoint.x << "," << s.secondPoint.y;
        EXPECT_EQ(c.axisLock, s.axisLock) << c.code;
        EXPECT_EQ(c.cursor, GetCurrentCursorIndex()) << c.code;
    }
}

TEST_F(ViewPress, PrepareDragOnStraightLineEndsHoldsTheLineCoordinate)
{
    const int horizontal = Line({1000, 2000, 3000, 2000});
    const int vertical = Line({5000, 1000, 5000, 4000});
    struct Case {
        int row, code;
        POINT anchor;
        int cursor;
    };
    const Case cases[] = {{horizontal, 20, {3000, 2000}, 8},
                          {horizontal, 21, {1000, 2000}, 8},
                          {vertical, 22, {5000, 4000}, 7},
                          {vertical, 23, {5000, 1000}, 7}};
    for (const Case& c : cases) {
        ReleasePress();
        DragState& s = g_dragState;
        s.hitClass = ClassLine;
        RECT local = {};
        POINT press = {0, 0};
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, PrepareDrag(d.get(), c.code, c.row, &s.trackRect, &s.anchor, &s.secondPoint, &s.axisLock,
                                 nullptr, FALSE, &local, &press));
        EXPECT_TRUE(s.anchor == c.anchor) << c.code << ": " << s.anchor.x << "," << s.anchor.y;
        EXPECT_EQ(c.cursor, GetCurrentCursorIndex()) << c.code;
    }
}

TEST_F(ViewPress, KeepAspectOnlyForLayoutThreeWithoutShiftAndWithARatio)
{
    const int square = Shape({1000, 1000, 3000, 2000});
    const int flat = Shape({1000, 5000, 3000, 5000});
    Change(square, [](DrawObject& o, Drawing&) { o.handleLayout = 3; });
    Change(flat, [](DrawObject& o, Drawing&) { o.handleLayout = 3; });
    struct Case {
        int row;
        BOOL shift;
        int keep;
        double ratio;
    } cases[] = {{square, FALSE, 1, 2.0}, {square, TRUE, 0, 2.0}, {flat, FALSE, 0, 0.0}};
    for (const Case& c : cases) {
        ReleasePress();
        DragState& s = g_dragState;
        s.hitClass = ClassShape;
        RECT local = {};
        POINT press = {0, 0};
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, PrepareDrag(d.get(), 4, c.row, &s.trackRect, &s.anchor, &s.secondPoint, &s.axisLock, nullptr,
                                 c.shift, &local, &press));
        EXPECT_EQ(c.keep, s.keepAspect) << c.row << " " << c.shift;
        EXPECT_DOUBLE_EQ(c.ratio, s.aspectRatio);
    }
}

TEST_F(ViewPress, PlacementRectangleCentresOnTheCursor)
{
    const SIZE size = {600, 400};
    struct Case {
        int objClass;
        const SIZE* size;
        RECT rect;
    } cases[] = {{ClassShape, &size, {1700, 1000, 2300, 1400}},
                 {ClassLine, &size, {1700, 800, 2300, 1200}},
                 {ClassShape, nullptr, {1700, 800, 2300, 1200}}};
    for (const Case& c : cases) {
        ReleasePress();
        DragState& s = g_dragState;
        s.trackMode = TrackPlaceDragged;
        s.target = c.objClass;
        s.anchor = {2000, 1000};
        RECT local = {};
        POINT press = s.anchor;
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, PrepareDrag(d.get(), HitNewObject, c.objClass, &s.trackRect, &s.anchor, &s.secondPoint,
                                 &s.axisLock, c.size, FALSE, &local, &press));
        EXPECT_EQ(c.rect, s.trackRect) << c.objClass;
    }
}

TEST_F(ViewPress, AMoveWithNothingToMoveIsRefused)
{
    Locked<Drawing> d = LockDrawing();
    DragState& s = g_dragState;
    s.hitClass = ClassShape;
    RECT local = {};
    POINT press = {0, 0};
    EXPECT_NE(0, PrepareDrag(d.get(), HitBody, 5, &s.trackRect, &s.anchor, &s.secondPoint, &s.axisLock, nullptr,
                             FALSE, &local, &press));
    EXPECT_EQ(nullptr, s.moveSet);
}

TEST_F(ViewPress, ALineEndDraggedOntoAShapeBorderSnapsToItsNearestHookPoint)
{
    const int shape = Shape({1000, 1000, 2000, 2000});
    const int line = Line({3000, 1500, 5000, 1500});
    DragState& s = g_dragState;
    s.trackMode = TrackResize;
    s.target = line;
    s.savedCursor = 6;
    Locked<Drawing> d = LockDrawing();
    {
        Locked<ObjectList> objects(d->objectList);
        ASSERT_NE(0u, (*objects)[line].hookMask & (*objects)[shape].acceptMask);
    }
    SetCursorByIndex(CursorSizeNWSE);
    POINT p = {1990, 1480};   // on the right border, near its middle
    ASSERT_EQ(1, FindHookTarget(d.get(), &p, FALSE));
    EXPECT_EQ(shape, s.hookTarget);
    EXPECT_TRUE(p == (POINT{2000, 1500})) << p.x << "," << p.y;
    EXPECT_EQ(13, GetCurrentCursorIndex());
    POINT away = {8000, 8000};
    EXPECT_EQ(0, FindHookTarget(d.get(), &away, FALSE));
    EXPECT_EQ(-1, s.hookTarget);
    EXPECT_EQ(6, GetCurrentCursorIndex());
    // Only line arrays when the drawing allows no linking.
    POINT again = {1990, 1480};
    EXPECT_EQ(0, FindHookTarget(d.get(), &again, TRUE));
}

TEST_F(ViewPress, ThePressTargetWinsEvenBehindAnotherObject)
{
    const int behind = Shape({1000, 1000, 2000, 2000});
    const int front = Shape({1500, 1000, 2500, 2000});
    const int line = Line({3000, 1500, 5000, 1500});
    DragState& s = g_dragState;
    s.trackMode = TrackResize;
    s.target = line;
    Locked<Drawing> d = LockDrawing();
    POINT p = {1510, 1000};   // on the top border of both
    ASSERT_EQ(1, FindHookTarget(d.get(), &p, FALSE));
    EXPECT_EQ(front, s.hookTarget);
    s.pressTarget = behind;
    p = {1510, 1000};
    ASSERT_EQ(1, FindHookTarget(d.get(), &p, FALSE));
    EXPECT_EQ(behind, s.hookTarget);
}

TEST_F(ViewPress, AHookedLineEndStartsOnItsTargetAndTheFreeEndNeverHooksIt)
{
    const int shape = Shape({1000, 1000, 2000, 1600});
    const int line = Line({2000, 1300, 4000, 1300});
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), line, -1, shape, 1, 600, 300));
    }
    Select(line);
    Press(2000, 1300);
    EXPECT_EQ(TrackResize, g_dragState.trackMode);
    EXPECT_EQ(shape, g_dragState.hookTarget);
    EXPECT_EQ(shape, g_dragState.pressTarget);
    EXPECT_EQ(13, GetCurrentCursorIndex());
    ReleasePress();
    Press(4000, 1300);
    EXPECT_EQ(TrackResize, g_dragState.trackMode);
    EXPECT_EQ(-1, g_dragState.hookTarget);
    EXPECT_EQ(1, ObjectVectorContains(shape, g_dragState.excludeSet));
    g_dragState.trackMode = TrackResize;
    Locked<Drawing> d = LockDrawing();
    POINT p = {1990, 1290};
    EXPECT_EQ(0, FindHookTarget(d.get(), &p, FALSE));
}

TEST_F(ViewPress, MovingAGroupDragsTheMemberHookedOutsideIt)
{
    const int outside = Shape({6000, 1000, 7000, 1600});
    const int member = Shape({1000, 1000, 2000, 1600});
    const int hooked = Line({3000, 1300, 6000, 1300});
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), hooked, -1, outside, 2, 0, 300));
    }
    AddGroup(5, {member, hooked}, true);
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        EXPECT_EQ(hooked, FindGroupMemberHookedOutside(objects.get(), member));
        EXPECT_EQ(-1, FindGroupMemberHookedOutside(objects.get(), outside));
    }
    g_now = g_pressTime + kClickMilliseconds + 1;
    Press(1500, 1300);
    EXPECT_EQ(TrackMove, g_dragState.trackMode);
    EXPECT_EQ(hooked, g_dragState.target);
}

TEST_F(ViewPress, NoTargetInsideTheTextOfAShapeWithCustomPoints)
{
    const int shape = Shape({1000, 1000, 3000, 3000});
    Change(shape, [](DrawObject& o, Drawing&) {
        o.state |= StateCustomHooks;
        o.textRect = {1500, 1500, 2500, 2500};
    });
    Locked<Drawing> d = LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    EXPECT_EQ(0, IsHookTargetHit(objects.get(), shape, HitInterior, 2000, 2000, FALSE));
    EXPECT_EQ(1, IsHookTargetHit(objects.get(), shape, HitInterior, 1200, 1200, FALSE));
    EXPECT_EQ(1, IsHookTargetHit(objects.get(), shape, HitBody, 2000, 2000, FALSE));
    EXPECT_EQ(0, IsHookTargetHit(objects.get(), shape, HitBody, 2000, 2000, TRUE));
    (*objects)[shape].state |= StateAttachedLabel;
    EXPECT_EQ(0, IsHookTargetHit(objects.get(), shape, HitBody, 1000, 1000, FALSE));
}

// The index of update rectangles outlives a press only while the model is unchanged: after a
// move, an addition or a deletion the point answers the new geometry.
TEST_F(ViewPress, AHitAfterAChangeFindsTheNewGeometry)
{
    const int a = Shape({1000, 1000, 2000, 1600});
    const int b = Shape({4000, 1000, 5000, 1600});
    // The row hit at a point (-1 for nothing), with the index made just before the change.
    auto rowAt = [&](int x, int y) {
        int row = -1;
        return Hit(x, y, &row) != 0 ? row : -1;
    };
    auto indexed = [&] {
        Locked<Drawing> d = LockDrawing();
        BuildHitIndex(d.get());
    };
    indexed();
    EXPECT_EQ(a, rowAt(1500, 1300));

    indexed();
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        ASSERT_EQ(0, OffsetObject(d.get(), objects.get(), a, 6000, 0));
    }
    EXPECT_EQ(-1, rowAt(1500, 1300)) << "moved away";
    EXPECT_EQ(a, rowAt(7500, 1300)) << "moved there";

    indexed();
    const int front = Shape({4200, 1100, 4800, 1500});
    EXPECT_EQ(front, rowAt(4500, 1300)) << "added in front";

    indexed();
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, DeleteObjects(d.get(), FALSE, front));
    }
    EXPECT_EQ(b, rowAt(4500, 1300)) << "deleted";

    // A press keeps the index it made: the next press on the unchanged drawing is served by it.
    PressClock::Held();
    Press(4500, 1300);
    EXPECT_EQ(b, g_dragState.target);
}

TEST_F(ViewPress, TextBaselineOffsetIsZeroWithoutReadableText)
{
    const int shape = Shape({1000, 1000, 2000, 2000});
    Locked<Drawing> d = LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    (*objects)[shape].textId = 31000;   // names no record
    EXPECT_EQ(0, GetTextBaselineOffset(objects.get(), shape));
    (*objects)[shape].textId = -1;
    EXPECT_EQ(0, GetTextBaselineOffset(objects.get(), shape));
}

}  // namespace

namespace {

// Presses as the user makes them: mouse messages to a shown view at 100 %.
class ShownPress : public ShownViewFixture {
protected:
    void TearDown() override
    {
        if (state_ && state_->textEditor) EndTextEditing(view_, 0);
        ShownViewFixture::TearDown();
    }
    void Dispatch()
    {
        MSG msg;
        while (PeekMessageA(&msg, view_, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) DispatchMessageA(&msg);
    }
    void Click(int x, int y, WPARAM keys = 0)
    {
        QueueRelease(x, y);
        Press(x, y, MK_LBUTTON | keys);
        Dispatch();
    }
    bool Selected(int row) const { return (Object(row).state & StateSelected) != 0; }
    bool Fitting() const
    {
        Locked<ViewInfo> info(reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(view_, 0)));
        return info && (info->flags & ViewFitMode);
    }
};

TEST_F(ShownPress, AClickOnAShapeSelectsIt)
{
    const int shape = AddAt(ClassShape, RECT{1200, 1200, 2400, 2400}, 2);
    Click(1800, 1800);
    EXPECT_TRUE(Object(shape).state & StateSelected);
    EXPECT_EQ(0, g_dragState.trackMode);
}

TEST_F(ShownPress, RightPressChoosesTheMenuKindAndKeepsTheSelectionOnPaper)
{
    // Without the popup menu the view sends no release: the press's own state stays to be seen.
    const HMENU menu = g_rightButtonMenu;
    g_rightButtonMenu = nullptr;
    const int shape = AddAt(ClassShape, RECT{1200, 1200, 2400, 2400}, 2);
    AddAt(ClassLine, RECT{3600, 3600, 6000, 3600}, 0);
    const int selected = AddAt(ClassShape, RECT{7200, 1200, 8400, 2400}, 2);
    struct Case {
        POINT at;
        int kind;
        int mode;
        bool dragged;
    };
    const Case cases[] = {{{1800, 1800}, ContextShape, TrackMove, true},
                          {{4800, 3600}, ContextLine, TrackMove, true},
                          {{6000, 6000}, ContextBackground, TrackRubberBand, false}};
    for (const Case& c : cases) {
        SelectObjectByClick(DrawingHandle(), selected, FALSE, FALSE, FALSE);
        QueueRelease(c.at.x, c.at.y);
        RightPress(c.at.x, c.at.y);
        EXPECT_EQ(c.kind, ContextMenuKind) << c.at.x;
        EXPECT_EQ(c.mode, g_dragState.trackMode) << c.at.x;
        EXPECT_EQ(c.dragged ? view_ : nullptr, g_dragState.trackedView) << c.at.x;
        if (c.dragged) {
            EXPECT_EQ(HitBody, g_dragState.hitCode);
        } else {
            EXPECT_TRUE(Selected(selected)) << "a right press on paper keeps the selection";
        }
        PressSeams::EndDrag(state_);
        PressSeams::DrainMouse(view_);
    }
    g_rightButtonMenu = menu;
    (void)shape;
}

TEST_F(ShownPress, CtrlShiftTogglesFitToWindowWithAnyTool)
{
    AddAt(ClassShape, RECT{1200, 1200, 2400, 2400}, 2);
    settings_.tools[0] = ToolSlot{600, 400, ClassShape, 2, 0, 0.0};
    for (const int tool : {static_cast<int>(ToolPointer), static_cast<int>(ToolText), static_cast<int>(ToolFirstSlot)}) {
        g_paletteTool = tool;
        const bool before = Fitting();
        Press(1800, 1800, MK_LBUTTON | MK_SHIFT | MK_CONTROL);
        EXPECT_NE(before, Fitting()) << tool;
        EXPECT_EQ(TrackNone, g_dragState.trackMode) << tool;
        EXPECT_EQ(nullptr, state_->textEditor) << tool;
        EXPECT_EQ(nullptr, GetCapture()) << tool;
        PressSeams::DrainMouse(view_);
    }
}

TEST_F(ShownPress, TheTextToolEditsAShapesInsideOrStartsAFreeText)
{
    const int shape = AddAt(ClassShape, RECT{1200, 1200, 3600, 3600}, 2);
    g_paletteTool = ToolText;
    Press(2400, 2400);
    ASSERT_NE(nullptr, state_->textEditor);
    EXPECT_TRUE(Object(shape).state & StateTextEditing);
    EXPECT_EQ(TrackNone, g_dragState.trackMode);
    ASSERT_EQ(0, EndTextEditing(view_, 0));

    g_paletteTool = ToolText;
    Press(6000, 6000);
    ASSERT_NE(nullptr, state_->textEditor);
    EXPECT_FALSE(Object(shape).state & StateTextEditing);
    EXPECT_EQ(TrackNone, g_dragState.trackMode);
}

TEST_F(ShownPress, TheVexletToolWithoutAnItemDoesNothing)
{
    const int shape = AddAt(ClassShape, RECT{1200, 1200, 2400, 2400}, 2);
    g_paletteTool = ToolVexlet;
    Press(1800, 1800);
    EXPECT_EQ(TrackNone, g_dragState.trackMode);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_FALSE(Selected(shape));
    EXPECT_EQ(1, Count());
}

TEST_F(ShownPress, ABodyPressIsAClickUntilHeld200Milliseconds)
{
    const int a = AddAt(ClassShape, RECT{1200, 1200, 2400, 2400}, 2);
    const int b = AddAt(ClassShape, RECT{4800, 1200, 6000, 2400}, 2);
    for (const bool shift : {false, true}) {
        SelectObjectByClick(DrawingHandle(), a, FALSE, FALSE, FALSE);
        QueueRelease(5400, 1800);
        Press(5400, 1800, MK_LBUTTON | (shift ? MK_SHIFT : 0));
        EXPECT_EQ(TrackMove, g_dragState.trackMode) << shift;
        EXPECT_EQ(1, g_dragState.clickPending) << shift;
        EXPECT_EQ(0, g_dragState.feedbackShown) << shift;
        EXPECT_EQ(b, g_dragState.target) << shift;
        EXPECT_EQ(shift, Selected(a)) << "the selection is cleared first unless Shift";
        Dispatch();   // the queued release ends it as a click
        EXPECT_EQ(TrackNone, g_dragState.trackMode);
    }
    PressClock::Held();
    Press(5400, 1800);
    EXPECT_EQ(TrackMove, g_dragState.trackMode);
    EXPECT_EQ(0, g_dragState.clickPending);
    EXPECT_EQ(1, g_dragState.feedbackShown);
    EXPECT_EQ(9, GetCurrentCursorIndex());
}

TEST_F(ShownPress, TheSelectHintIsShownOncePerRun)
{
    const BOOL saved = g_selectHintShown;
    g_selectHintShown = FALSE;
    const int shape = AddAt(ClassShape, RECT{1200, 1200, 2400, 2400}, 2);
    Click(6000, 6000);   // nothing selected: no hint yet
    EXPECT_TRUE(prompts_->shown().empty());
    Click(1800, 1800);
    Click(6000, 6000);
    Click(1800, 1800);
    EXPECT_TRUE(Selected(shape));
    EXPECT_EQ(std::vector<std::string>({"HINT_SELECT"}), prompts_->shown());
    g_selectHintShown = saved;
}

TEST_F(ShownPress, APointerPressStaysWhereItLandsAToolPressIsSnapped)
{
    {
        Locked<Drawing> d = LockDrawing();
        d->drawingFlags |= DrawSnap;
    }
    const POINT landed = Landed(290, 290);
    Press(290, 290);
    EXPECT_TRUE(g_dragState.anchor == landed);
    PressSeams::EndDrag(state_);
    settings_.tools[0] = ToolSlot{600, 400, ClassLine, 0, 0, 0.0};
    g_paletteTool = ToolFirstSlot;
    Press(290, 290);
    EXPECT_EQ(TrackCreateByDrag, g_dragState.trackMode);
    EXPECT_TRUE(g_dragState.anchor == (POINT{300, 300}));
}

}  // namespace
