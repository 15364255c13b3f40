// The drag after its press: the release and its one undo step, Shift and Ctrl, the limits of
// rotated objects, the grid snap of a move, hooks at the release, the double click, the guide
// brush and the drag out of the view. The fixture's view maps device pixels one to one onto
// drawing units.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include <ole2.h>

#include "documents/options.h"
#include "editing/attachments.h"
#include "editing/drag_setup.h"
#include "editing/drag_state.h"
#include "editing/guide_lines.h"
#include "editing/hit_test.h"
#include "editing/view_mouse.h"
#include "editing/view_tracking.h"
#include "exchange/drag_seam.h"
#include "frame/frame_services.h"
#include "frame/view_layout.h"
#include "geometry/point_geometry.h"
#include "libraries/library_services.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/edit_ops.h"
#include "model/links.h"
#include "model/move_set.h"
#include "model/undo.h"
#include "shapes/shape_paint.h"
#include "store/block_store.h"
#include "support/drawing_fixture.h"
#include "support/press_support.h"

// Gives the object an attachment record; `mark` gets where its attachment mark lies.
void GiveAttachment(int slot, const DrawObject& object, RECT* mark)
{
    HGLOBAL block = nullptr;
    const int err = AddRecordType(slot, RecAttachment);
    ASSERT_TRUE(err == 0 || err == StoreKeyExists);
    ASSERT_EQ(0, AddRecord(slot, RecAttachment, object.objId, kBlockHeaderSize + 16, &block));
    ReleaseBlock(block);
    GetAttachmentMarkRect(&object, mark);
}

namespace {

DWORD& g_pressTime = PressClock::pressTime;
DWORD& g_now = PressClock::now;


// What the library windows and the OLE drag were asked.
int g_libraryTests = 0;
int g_libraryTakeOvers = 0;
int g_libraryAnswer = 0;
int LibraryProbe(HWND, BOOL takeOver)
{
    ++(takeOver ? g_libraryTakeOvers : g_libraryTests);
    return g_libraryAnswer;
}
int g_oleDrags = 0;
HRESULT g_oleResult = DRAGDROP_S_CANCEL;
DWORD g_oleEffect = DROPEFFECT_NONE;
HRESULT OleProbe(DragDataObject*, DWORD allowed, DWORD* effect)
{
    ++g_oleDrags;
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE), allowed);
    *effect = g_oleEffect;
    return g_oleResult;
}

RECT Frame(const DrawObject& o) { return o.frame; }

class ViewDrag : public DrawingFixture {
protected:
    void SetUp() override
    {
        DrawingFixture::SetUp();
        if (HasFatalFailure()) return;
        seams_ = std::make_unique<PressSeams>();
        PressClock::Held();   // presses are held unless a test says not
        g_trackDragOverLibraries = LibraryProbe;
        g_oleDragRunner = OleProbe;
        g_libraryTests = g_libraryTakeOvers = g_libraryAnswer = g_oleDrags = 0;
        g_oleResult = DRAGDROP_S_CANCEL;
        g_oleEffect = DROPEFFECT_NONE;
        g_shapeSnapOption = 1;
        state_->areaWidth = 20000;
        state_->areaHeight = 20000;
        SetKeys(false, false);
        SetSnap(false);
    }
    void TearDown() override
    {
        PressSeams::EndDrag(state_);
        g_trackDragOverLibraries = savedLibrary_;
        g_oleDragRunner = savedOle_;
        g_shapeSnapOption = 1;
        if (g_frameWindow == frame_) g_frameWindow = savedFrame_;
        if (frame_) DestroyWindow(frame_);
        DrainMouse();
        seams_.reset();
        DrawingFixture::TearDown();
    }
    void DrainMouse() { PressSeams::DrainMouse(view_); }
    // A stand-in frame window at the screen's origin, 8000 x 8000 pixels.
    void MakeFrame()
    {
        frame_ = CreateWindowA("STATIC", "frame", WS_POPUP, 0, 0, 8000, 8000, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, frame_);
        g_frameWindow = frame_;
    }
    void Press(int x, int y, WPARAM keys = MK_LBUTTON) { OnViewButtonDown(view_, keys, POINT{x, y}, FALSE); }
    void MoveTo(int x, int y) { OnViewMouseMove(view_, MK_LBUTTON, POINT{x, y}); }
    void Release(WPARAM keys = 0) { OnViewButtonUp(view_, keys, POINT{}); }
    void Drag(POINT from, POINT to, WPARAM keys = 0)
    {
        Press(from.x, from.y, MK_LBUTTON | keys);
        MoveTo(to.x, to.y);
        Release(keys);
    }
    // A press released before 200 ms: the release waits in the queue.
    void QueueRelease() { PostMessageA(view_, WM_LBUTTONUP, 0, 0); }
    // Runs the release the drag posted to the view; false when none was posted.
    bool RunPostedRelease()
    {
        MSG msg;
        if (!PeekMessageA(&msg, view_, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE)) return false;
        Release(msg.wParam);
        return true;
    }
    int Shape(RECT r) { return AddAt(ClassShape, r, 2); }
    int Line(RECT r) { return AddAt(ClassLine, r, 0); }
    void Select(int row) { SelectObjectByClick(DrawingHandle(), row, TRUE, FALSE, FALSE); }
    void SetSnap(bool on)
    {
        Locked<Drawing> d = LockDrawing();
        if (on)
            d->drawingFlags |= DrawSnap;
        else
            d->drawingFlags &= ~static_cast<DWORD>(DrawSnap);
    }
    // The ids of the targets the object's hooks hold, in slot order.
    std::vector<int> HookedIds(int row) const
    {
        const DrawObject o = Object(row);
        std::vector<int> ids;
        for (int k = 0; k < HookSlotsInUse(o); ++k) ids.push_back(o.hooks[k].targetId);
        return ids;
    }
    // The drag state of a drag of `mode` on `row` whose feedback is on the screen.
    void ArmDrag(int mode, int row, int hitCode, POINT anchor, POINT last)
    {
        DragState& s = g_dragState;
        s = IdleDragState();
        s.trackMode = mode;
        s.target = row;
        s.hitClass = Object(row).objClass;
        s.hitCode = hitCode;
        s.rotationHitCode = hitCode;
        s.anchor = anchor;
        s.lastPoint = last;
        s.trackRect = Frame(Object(row));
        s.subtype = Object(row).objType;
        s.feedbackShown = 1;
        s.limitsRect = {0, 0, state_->areaWidth, state_->areaHeight};
    }

    HWND frame_ = nullptr;
    HWND savedFrame_ = g_frameWindow;
    std::unique_ptr<PressSeams> seams_;
    int (*savedLibrary_)(HWND, BOOL) = g_trackDragOverLibraries;
    OleDragRunner savedOle_ = g_oleDragRunner;
};

TEST_F(ViewDrag, AMoveIsOneUndoStepLabelledThirtyOrThirtySixAfterADuplicate)
{
    const int shape = Shape({1000, 1000, 2000, 1600});
    struct Case {
        int before;
        int label;
    };
    const Case cases[] = {{0, UndoMove}, {UndoDuplicate, UndoMoveAfterDuplicate},
                          {UndoMoveAfterDuplicate, UndoMoveAfterDuplicate}, {UndoResize, UndoMove}};
    for (const Case& c : cases) {
        const RECT before = Frame(Object(shape));
        state_->undoLabel = c.before;
        const POINT from = {(before.left + before.right) / 2, (before.top + before.bottom) / 2};
        Drag(from, {from.x + 300, from.y - 200});
        const RECT after = Frame(Object(shape));
        EXPECT_EQ(before.left + 300, after.left) << c.before;
        EXPECT_EQ(before.top - 200, after.top) << c.before;
        EXPECT_EQ(c.label, state_->undoLabel) << c.before;
        EXPECT_EQ(std::vector<int>{shape}, SelectedRows());
        EXPECT_EQ(TrackNone, g_dragState.trackMode);
        EXPECT_EQ(nullptr, g_dragState.moveSet);
    }
    ASSERT_EQ(0, UndoLastChange(view_, FALSE));
    EXPECT_EQ(1900, Frame(Object(shape)).left);
}

// The links settled by the move itself fail: the set hooked to the dragged shape is as wide as
// the page and cannot be pulled back onto it. The drawing goes back whole, the failure is shown
// once, and no undo step is left.
TEST_F(ViewDrag, AMoveWhoseHookedObjectsCannotStayOnThePageIsRolledBackAndShownOnce)
{
    const int width = LockDrawing()->pageWidth;
    const int hub = Shape({width - 600, 600, width, 1200});
    const int wide = Shape({0, 750, width - 600, 1050});
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), wide, -1, hub, 7, 0, 300));
    }
    MakeFrame();
    const RECT hubFrame = Object(hub).frame, wideFrame = Object(wide).frame;
    ArmDrag(TrackMove, hub, 0, {width - 300, 900}, {width - 330, 900});
    g_dragState.moveSet = NewObjectVector(4);
    g_dragState.moveSet->rows[g_dragState.moveSet->count++] = hub;
    Release();
    EXPECT_EQ(hubFrame, Object(hub).frame);
    EXPECT_EQ(wideFrame, Object(wide).frame);
    EXPECT_EQ(1u, HookedIds(wide).size());
    EXPECT_EQ(1u, prompts_->shown().size() + prompts_->hiddenWarnings().size());
    EXPECT_EQ(0, state_->undoLabel);
    EXPECT_EQ(nullptr, g_dragState.moveSet);
    // The drawing the document holds after the roll-back is whole and usable.
    ObjectVector* set = NewObjectVector(4);
    set->rows[set->count++] = hub;
    EXPECT_EQ(0, MoveObjects(view_, 0, 600, set, FALSE));
    FreeObjectVector(&set, nullptr);
    EXPECT_EQ(1200, Object(hub).frame.top);
    EXPECT_EQ(wideFrame.top + 600, Object(wide).frame.top);
}

TEST_F(ViewDrag, AClickOrAMoveBackSelectsChangesNothingAndOffersNoUndo)
{
    const int a = Shape({1000, 1000, 2000, 1600});
    const int b = Shape({4000, 1000, 5000, 1600});
    struct Case {
        bool click;           // released before 200 ms
        WPARAM keys;
        std::vector<int> selectedBefore;
        std::vector<int> selectedAfter;
    };
    const Case cases[] = {
        {true, 0, {a}, {b}},
        {true, MK_SHIFT, {a}, {a, b}},
        {true, MK_SHIFT, {a, b}, {a}},
        {false, 0, {a}, {b}},   // moved away and back to the press point
    };
    for (const Case& c : cases) {
        DeselectAll(LockDrawing().get());
        for (int row : c.selectedBefore) Select(row);
        state_->undoLabel = UndoResize;
        const RECT before = Frame(Object(b));
        if (c.click) {
            g_now = g_pressTime;
            QueueRelease();
        }
        SetKeys((c.keys & MK_SHIFT) != 0, false);
        Press(4500, 1300, MK_LBUTTON | c.keys);
        if (!c.click) {
            MoveTo(4900, 1500);
            MoveTo(4500, 1300);
        }
        Release(c.keys);
        DrainMouse();
        g_now = g_pressTime + kClickMilliseconds + 1;
        EXPECT_EQ(c.selectedAfter, SelectedRows()) << c.click << " " << c.keys;
        EXPECT_EQ(0, state_->undoLabel) << c.click << " " << c.keys;
        EXPECT_EQ(before.left, Frame(Object(b)).left);
        EXPECT_EQ(before.top, Frame(Object(b)).top);
    }
}

TEST_F(ViewDrag, ANewLineHooksTheEndsThatLieOnShapesAndATinyOneAddsNothing)
{
    const int left = Shape({1000, 1000, 2000, 2000});
    const int right = Shape({4000, 1000, 5000, 2000});
    settings_.tools[0] = ToolSlot{600, 400, ClassLine, 0, 0, 0.0};
    struct Case {
        POINT from;
        POINT to;
        std::vector<int> hooked;   // rows, start first
    };
    const Case cases[] = {
        {{2000, 1500}, {4000, 1500}, {left, right}},
        {{2500, 1800}, {4000, 1800}, {right}},
        {{2500, 4000}, {3000, 5000}, {}},
    };
    for (const Case& c : cases) {
        g_paletteTool = ToolFirstSlot;
        const int count = Count();
        Drag(c.from, c.to);
        ASSERT_EQ(count + 1, Count());
        std::vector<int> expected;
        for (int row : c.hooked) expected.push_back(Object(row).objId);
        EXPECT_EQ(expected, HookedIds(Count() - 1)) << c.from.x << "," << c.from.y;
        EXPECT_EQ(UndoAddObject, state_->undoLabel);
    }
    // Under 24 units both ways: nothing, and no message.
    g_paletteTool = ToolFirstSlot;
    const int count = Count();
    state_->undoLabel = UndoResize;
    Drag({6000, 6000}, {6010, 6015});
    EXPECT_EQ(count, Count());
    EXPECT_TRUE(prompts_->shown().empty());
}

TEST_F(ViewDrag, AHookedLineEndReleasedAwayFromTargetsIsUnhooked)
{
    const int shape = Shape({1000, 1000, 2000, 1600});
    const int line = Line({2000, 1300, 4000, 1300});
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), line, -1, shape, 1, 600, 300));
    }
    Select(line);
    Drag({2000, 1300}, {2500, 3000});
    EXPECT_TRUE(HookedIds(line).empty());
    EXPECT_EQ(UndoResize, state_->undoLabel);
    EXPECT_EQ(2500, Object(line).frame.left);
}

TEST_F(ViewDrag, ARubberBandSelectsWhatItEnclosesButNothingWithCtrl)
{
    const int a = Shape({1000, 1000, 2000, 1600});
    const int b = Shape({3000, 1000, 4000, 1600});
    for (const WPARAM keys : {static_cast<WPARAM>(MK_CONTROL), static_cast<WPARAM>(0)}) {
        Drag({500, 500}, {4500, 2000}, keys);
        const std::vector<int> expected = keys ? std::vector<int>{} : std::vector<int>{a, b};
        EXPECT_EQ(expected, SelectedRows()) << keys;
    }
}

TEST_F(ViewDrag, EachDragKindCommitsWithItsOwnLabel)
{
    const int shape = Shape({1000, 1000, 2000, 1600});
    const int member = Shape({6000, 1000, 7000, 1600});
    const int other = Shape({8000, 1000, 9000, 1600});
    const int group = AddGroup(7, {member, other}, true);
    // Resize by the right-bottom handle.
    Select(shape);
    Drag({2000, 1600}, {2600, 2000});
    EXPECT_EQ(UndoResize, state_->undoLabel);
    EXPECT_EQ(2600, Frame(Object(shape)).right);
    EXPECT_EQ(2000, Frame(Object(shape)).bottom);
    // A group resized by its frame's corner.
    DeselectAll(LockDrawing().get());
    SetGroupSelected(LockDrawing().get(), group, TRUE, FALSE);
    Drag({9000, 1600}, {9600, 2200});
    EXPECT_EQ(28, state_->undoLabel);
    EXPECT_EQ(9600, Groups()[group].frame.right);
    // An adjustment and a rotation, as their presses leave the drag.
    DeselectAll(LockDrawing().get());
    ArmDrag(TrackAdjust, shape, HitAdjustFirst, {1500, 1000}, {1600, 1000});
    Release();
    EXPECT_EQ(42, state_->undoLabel);
    ArmDrag(TrackRotate, shape, HitRotateFirst, {1800, 500}, {2800, 1300});
    Release();
    EXPECT_EQ(58, state_->undoLabel);
    EXPECT_NE(0, Object(shape).angle);
    // A rotation back where it started changes nothing.
    const int angle = Object(shape).angle;
    ArmDrag(TrackRotate, shape, HitRotateFirst, {1800, 500}, {1800, 500});
    Release();
    EXPECT_EQ(0, state_->undoLabel);
    EXPECT_EQ(angle, Object(shape).angle);
}

TEST(DragConstraints, AspectAndSquareFollowTheAnchorAndTheLimits)
{
    struct Case {
        double ratio;
        RECT limits;
        POINT p;
        bool square;
        RECT expected;
    };
    const POINT anchor = {1000, 1000};
    const RECT area = {0, 0, 20000, 20000};
    const double inf = HUGE_VAL;
    const Case cases[] = {
        {2.0, area, {1500, 1400}, false, {1000, 1000, 1800, 1400}},
        {2.0, area, {500, 600}, false, {200, 600, 1000, 1000}},
        {2.0, area, {1500, 1020}, false, {1000, 1000, 1120, 1060}},   // at least 60 high
        {2.0, {0, 0, 1500, 20000}, {1400, 1400}, false, {1000, 1000, 1500, 1250}},
        {0.0, area, {1500, 1400}, false, {1000, 1000, 1500, 1400}},   // a flat frame has no ratio
        {inf, area, {1500, 1400}, false, {1000, 1000, 1500, 1400}},
        {1.0, area, {1500, 1200}, true, {1000, 1000, 1500, 1500}},
        {1.0, area, {1200, 500}, true, {1000, 500, 1500, 1000}},
        {1.0, {0, 0, 20000, 1300}, {1500, 1200}, true, {1000, 1000, 1500, 1300}},
    };
    for (const Case& c : cases) {
        g_dragState = IdleDragState();
        g_dragState.aspectRatio = c.ratio;
        g_dragState.limitsRect = c.limits;
        POINT p = c.p;
        RECT r = {std::min(anchor.x, p.x), std::min(anchor.y, p.y), std::max(anchor.x, p.x), std::max(anchor.y, p.y)};
        if (c.square)
            ConstrainToSquare(&r, anchor, &p);
        else
            ConstrainToAspect(&r, anchor, &p);
        EXPECT_EQ(c.expected, r) << c.ratio << " " << c.p.x << "," << c.p.y;
    }
    // A flat rectangle is left alone.
    g_dragState.aspectRatio = 2.0;
    RECT flat = {1000, 1000, 1000, 1400};
    POINT p = {1000, 1400};
    ConstrainToAspect(&flat, anchor, &p);
    EXPECT_EQ((RECT{1000, 1000, 1000, 1400}), flat);
    g_dragState = IdleDragState();
}

TEST_F(ViewDrag, ShiftKeepsTheAspectOfAResizeOnlyAndCtrlSquaresBoth)
{
    struct Case {
        bool create;
        bool shift;
        bool ctrl;
        RECT expected;   // the feedback's frame
    };
    const Case cases[] = {
        {false, true, false, {1000, 1000, 2800, 1900}},
        {false, false, true, {1000, 1000, 2400, 2400}},
        {true, true, false, {11000, 1000, 12400, 1900}},
        {true, false, true, {11000, 5000, 12400, 6400}},
    };
    settings_.tools[0] = ToolSlot{600, 400, ClassLine, 0, 0, 0.0};
    for (const Case& c : cases) {
        int row = -1;
        const POINT to = {c.expected.left + 1400, c.expected.top + 900};
        if (c.create) {
            g_paletteTool = ToolFirstSlot;
            Press(c.expected.left, c.expected.top);
        } else {
            row = Shape({1000, 1000, 2000, 1500});
            DeselectAll(LockDrawing().get());
            Select(row);
            Press(2000, 1500);
        }
        SetKeys(c.shift, c.ctrl);
        MoveTo(to.x, to.y);
        EXPECT_EQ(c.expected, g_dragState.trackRect) << c.create << c.shift << c.ctrl;
        Release();
        SetKeys(false, false);
        if (!c.create) {
            EXPECT_EQ(c.expected, Frame(Object(row))) << c.shift << c.ctrl;
        }
    }
}

TEST_F(ViewDrag, TheRotatedResizeCorrectionStaysInTheDrawingAtEveryAngle)
{
    const int shape = Shape({1000, 200, 3000, 1200});
    for (const int angle : {300, 900, 1800, 2700, -900}) {
        Change(shape, [&](DrawObject& o, Drawing&) { o.angle = angle; });
        ArmDrag(TrackResize, shape, HitRightBottom, {1000, 200}, {3000, 1200});
        g_dragState.objectAngle = angle;
        g_dragState.axisLock = 99;
        POINT p = {19990, 19990};
        {
            Locked<Drawing> d = LockDrawing();
            Locked<ObjectList> objects(d->objectList);
            Locked<GroupTable> groups(d->groupTable);
            CorrectRotatedResize(groups.get(), objects.get(), &p);
        }
        EXPECT_GE(p.x, -20000) << angle;
        EXPECT_LE(p.x, 40000) << angle;
        EXPECT_GE(p.y, -20000) << angle;
        EXPECT_LE(p.y, 40000) << angle;
    }
    g_dragState = IdleDragState();
}

TEST_F(ViewDrag, ARotationNearTheTopStopsWhereACornerWouldLeaveThePage)
{
    struct Case {
        RECT frame;
        int wanted;     // tenths of a degree the cursor asks for
        bool limited;
    };
    const Case cases[] = {
        {{2000, 100, 4000, 1100}, 450, true},
        {{2000, 100, 4000, 1100}, -450, true},
        {{8000, 8000, 10000, 9000}, 450, false},
    };
    for (const Case& c : cases) {
        const int shape = Shape(c.frame);
        ArmDrag(TrackRotate, shape, HitRotateFirst, {0, 0}, {0, 0});
        const POINT centre = {(c.frame.left + c.frame.right) / 2, (c.frame.top + c.frame.bottom) / 2};
        POINT handle = centre;
        RECT handleRect;
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        Locked<GroupTable> groups(d->groupTable);
        SendClassMessage(nullptr, d.get(), objects.get(), shape, OM_EXTRAHANDLE, 2,
                         static_cast<int>(reinterpret_cast<INT_PTR>(&handle)), &handleRect);
        POINT p = handle;
        RotatePoints(&c.frame, c.wanted, &p, 1);
        const POINT asked = p;
        LimitRotation(d.get(), objects.get(), groups.get(), 20000, 20000, &p);
        const int angle = AngleFromDrag(centre.x, centre.y, handle.x, handle.y, p.x, p.y);
        if (!c.limited) {
            EXPECT_EQ(asked.x, p.x);
            EXPECT_EQ(asked.y, p.y);
            continue;
        }
        EXPECT_LT(std::abs(angle), std::abs(c.wanted)) << c.wanted;
        POINT corners[4] = {{c.frame.left, c.frame.top}, {c.frame.right, c.frame.top},
                            {c.frame.right, c.frame.bottom}, {c.frame.left, c.frame.bottom}};
        RotatePoints(&c.frame, angle, corners, 4);
        for (const POINT& q : corners) EXPECT_GE(q.y, -2) << c.wanted << " at " << angle;
    }
    g_dragState = IdleDragState();
}

TEST_F(ViewDrag, SnappingMovesAShapesCentreOntoTheGridAndALinesCorner)
{
    SetSnap(true);
    const int shape = Shape({1010, 1010, 2010, 1620});
    const int line = Line({4010, 1010, 6010, 1410});
    auto onGrid = [&](POINT p) {
        POINT snapped = p;
        SnapPointToGrid(LockDrawing().get(), &snapped, 0);
        return snapped.x == p.x && snapped.y == p.y;
    };
    Drag({1500, 1300}, {1833, 1633});
    const RECT s = Frame(Object(shape));
    EXPECT_TRUE(onGrid({(s.left + s.right) / 2, (s.top + s.bottom) / 2})) << s.left << "," << s.top;
    EXPECT_FALSE(onGrid({s.left, s.top}));
    DeselectAll(LockDrawing().get());
    Drag({5010, 1210}, {5343, 1543});
    const RECT l = Frame(Object(line));
    EXPECT_TRUE(onGrid({std::min(l.left, l.right), std::min(l.top, l.bottom)})) << l.left << "," << l.top;
}

TEST_F(ViewDrag, TheDoubleClickOpensAnAttachmentAndNothingOnPaper)
{
    MakeFrame();
    const int shape = Shape({1000, 1000, 3000, 2000});
    RECT mark;
    ASSERT_NO_FATAL_FAILURE(GiveAttachment(slot_, Object(shape), &mark));
    OnViewDoubleClick(view_, 0, POINT{(mark.left + mark.right) / 2, (mark.top + mark.bottom) / 2});
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, frame_, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(740u, msg.wParam);
    EXPECT_EQ(nullptr, state_->textEditor);

    OnViewDoubleClick(view_, 0, POINT{5000, 5000});
    EXPECT_FALSE(PeekMessageA(&msg, frame_, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(nullptr, state_->textEditor);

}

TEST_F(ViewDrag, TheGuideBrushIsTheGreyCheckerOnBlackElseTheBlackOne)
{
    HBRUSH saved[2] = {g_patternBrushes[0], g_patternBrushes[1]};
    g_patternBrushes[0] = CreateSolidBrush(RGB(128, 128, 128));
    g_patternBrushes[1] = CreateSolidBrush(RGB(0, 0, 0));
    struct Case {
        COLORREF background;
        int brush;
    };
    for (const Case& c : {Case{0, 0}, Case{RGB(255, 255, 255), 1}, Case{static_cast<COLORREF>(-1), 1}}) {
        LockDrawing()->style.backgroundColor = c.background;
        EXPECT_EQ(g_patternBrushes[c.brush], GetGuideBrush(view_)) << c.background;
    }
    EXPECT_EQ(g_patternBrushes[1], GetGuideBrush(nullptr));
    DeleteObject(g_patternBrushes[0]);
    DeleteObject(g_patternBrushes[1]);
    g_patternBrushes[0] = saved[0];
    g_patternBrushes[1] = saved[1];
}

TEST_F(ViewDrag, ADragOutOfTheFrameCopiesOrMovesThroughTheOleDrag)
{
    MakeFrame();
    const int shape = Shape({1000, 1000, 2000, 1600});
    const int other = Shape({4000, 1000, 5000, 1600});
    struct Case {
        HRESULT result;
        DWORD effect;
        int countAfter;
    };
    const Case cases[] = {
        {DRAGDROP_S_DROP, DROPEFFECT_COPY, 2},
        {DRAGDROP_S_DROP, DROPEFFECT_MOVE, 1},
    };
    for (const Case& c : cases) {
        g_oleResult = c.result;
        g_oleEffect = c.effect;
        g_oleDrags = 0;
        const RECT otherFrame = Frame(Object(other));
        state_->undoLabel = 0;
        Press(1500, 1300);
        MoveTo(12000, 100);
        EXPECT_EQ(1, g_oleDrags) << c.effect;
        ASSERT_TRUE(RunPostedRelease()) << c.effect;
        EXPECT_EQ(c.countAfter, Count()) << c.effect;
        EXPECT_EQ(TrackNone, g_dragState.trackMode);
        if (c.effect == DROPEFFECT_COPY) {
            EXPECT_EQ(std::vector<int>{shape}, SelectedRows());
            EXPECT_EQ(0, state_->undoLabel);
        } else {
            // The release neither selects nor moves what is left.
            EXPECT_TRUE(SelectedRows().empty());
            EXPECT_EQ(otherFrame.left, Frame(Object(0)).left);
            EXPECT_EQ(UndoMove, state_->undoLabel);
            ASSERT_EQ(0, UndoLastChange(view_, FALSE));
            EXPECT_EQ(2, Count());
        }
        DeselectAll(LockDrawing().get());
    }
}

TEST_F(ViewDrag, ACancelledOleDragGoesOnInTheView)
{
    MakeFrame();
    const int shape = Shape({1000, 1000, 2000, 1600});
    g_oleResult = DRAGDROP_S_CANCEL;
    Press(1500, 1300);
    MoveTo(12000, 100);
    EXPECT_EQ(1, g_oleDrags);
    EXPECT_EQ(TrackMove, g_dragState.trackMode);
    EXPECT_EQ(view_, GetCapture());
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, view_, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE));
    MoveTo(1700, 1300);
    EXPECT_EQ(1, g_dragState.feedbackShown);
    Release();
    EXPECT_EQ(1200, Frame(Object(shape)).left);
    EXPECT_EQ(UndoMove, state_->undoLabel);
}

TEST_F(ViewDrag, AClickPendingMoveNeverReachesALibraryOrTheOleDrag)
{
    MakeFrame();
    Shape({1000, 1000, 2000, 1600});
    g_libraryAnswer = 1;
    g_now = g_pressTime;
    QueueRelease();
    Press(1500, 1300);
    DrainMouse();
    ASSERT_EQ(1, g_dragState.clickPending);
    MoveTo(12000, 100);
    MoveTo(1700, 1300);
    EXPECT_EQ(0, g_oleDrags);
    EXPECT_EQ(0, g_libraryTakeOvers);
    // Held past the deadline the move shows; over a library window the window takes it and the
    // view shows nothing.
    g_pressTime = g_now = g_pressTime + kClickMilliseconds + 1;   // the time of the next move
    g_libraryAnswer = 0;
    MoveTo(1800, 1300);
    EXPECT_EQ(0, g_dragState.clickPending);
    EXPECT_EQ(1, g_dragState.feedbackShown);
    g_libraryAnswer = 1;
    MoveTo(1900, 1300);
    EXPECT_GT(g_libraryTakeOvers, 0);
    EXPECT_EQ(0, g_dragState.feedbackShown);
    EXPECT_EQ(0, g_oleDrags);
}

}  // namespace
