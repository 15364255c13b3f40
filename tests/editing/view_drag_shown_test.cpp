// The drag as the user makes it: mouse messages to a shown view at 100 %, one pixel six drawing
// units, the button held past the click time, Shift and Ctrl in the keyboard state. The view's
// scrolling, the placement of a dragged-in tool, the ruler guide, the double click and the drag
// out of the frame.
#include <windows.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include <ole2.h>

#include "editing/drag_state.h"
#include "editing/placement.h"
#include "editing/view_mouse.h"
#include "editing/view_tracking.h"
#include "exchange/drag_seam.h"
#include "libraries/library_services.h"
#include "lines/line_geometry.h"
#include "model/groups.h"
#include "model/undo.h"
#include "model/window_utils.h"
#include "support/canvas.h"
#include "support/shown_view.h"

// In view_drag_test.cpp: gives the object an attachment record; `mark` gets its mark's place.
void GiveAttachment(int slot, const DrawObject& object, RECT* mark);

namespace {

// What the library windows and the OLE drag were asked, and how the OLE drag ends.
struct DragOutProbe {
    int libraryTakeOvers = 0;
    int libraryAnswer = 0;
    int oleDrags = 0;
    HRESULT oleResult = DRAGDROP_S_CANCEL;
    DWORD oleEffect = DROPEFFECT_NONE;
};
DragOutProbe g_probe;
int LibraryProbe(HWND, BOOL takeOver)
{
    if (takeOver) ++g_probe.libraryTakeOvers;
    return g_probe.libraryAnswer;
}
HRESULT OleProbe(DragDataObject*, DWORD, DWORD* effect)
{
    ++g_probe.oleDrags;
    *effect = g_probe.oleEffect;
    return g_probe.oleResult;
}

// The autoscroll steps the view is sent (bar 0 horizontal, 1 vertical, the step in pixels). After
// `stopAfter` steps a mouse move is queued, which ends the tracking loop as the user's next move
// would; the queued move is never handled.
struct ScrollLog {
    std::vector<std::pair<int, int>> steps;
    size_t stopAfter = 100;
    WNDPROC original = nullptr;
};
ScrollLog g_scrollLog;
LRESULT CALLBACK RecordScroll(HWND view, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallWindowProcA(g_scrollLog.original, view, message, wParam, lParam);
    if ((message == WM_HSCROLL || message == WM_VSCROLL) && LOWORD(wParam) == 99) {
        g_scrollLog.steps.push_back({message == WM_HSCROLL ? 0 : 1, static_cast<short>(HIWORD(wParam))});
        // A scroll under the resting screen cursor makes the system queue a move of its own; the
        // user holding the mouse still makes none.
        PressSeams::DrainMouse(view);
        if (g_scrollLog.steps.size() == g_scrollLog.stopAfter) PostMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, 0);
    }
    return result;
}

class ShownDrag : public ShownViewFixture {
protected:
    void SetUp() override
    {
        ShownViewFixture::SetUp();
        if (HasFatalFailure()) return;
        g_probe = DragOutProbe{};
        g_trackDragOverLibraries = LibraryProbe;
        g_oleDragRunner = OleProbe;
        g_selectHintShown = TRUE;
        LockDrawing()->drawingFlags &= ~static_cast<DWORD>(DrawSnap);
        g_scrollLog = ScrollLog{};
        g_scrollLog.original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(view_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordScroll)));
    }
    void TearDown() override
    {
        if (view_ && g_scrollLog.original)
            SetWindowLongPtrA(view_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_scrollLog.original));
        g_trackDragOverLibraries = savedLibrary_;
        g_oleDragRunner = savedOle_;
        g_selectHintShown = FALSE;
        ShownViewFixture::TearDown();
    }

    // A move at a client point of the view, which may lie beyond its edges.
    void MoveClient(int x, int y)
    {
        SendMessageA(view_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(static_cast<short>(x), static_cast<short>(y)));
    }
    RECT Client() const
    {
        RECT c;
        GetClientRect(view_, &c);
        return c;
    }
    int ScrollPos(int bar) const { return GetScrollPos(view_, bar == 0 ? SB_HORZ : SB_VERT); }
    int ScrollMax(int bar) const
    {
        int minimum = 0, maximum = 0;
        GetScrollRangeCompat(view_, bar == 0 ? SB_HORZ : SB_VERT, &minimum, &maximum);
        return maximum;
    }
    void ScrollTo(int bar, int position)
    {
        SendMessageA(view_, bar == 0 ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), 0);
        ASSERT_EQ(position, ScrollPos(bar));
    }
    // Runs the release the drag posted to the view; false when none was posted.
    bool RunPostedRelease()
    {
        MSG msg;
        if (!PeekMessageA(&msg, view_, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE)) return false;
        DispatchMessageA(&msg);
        return true;
    }
    // Runs the move the drag posted (posted messages come before the input queue's) and drops any
    // move the system made up from where the screen's cursor happens to rest.
    void RunPostedMove()
    {
        MSG msg;
        if (PeekMessageA(&msg, view_, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) DispatchMessageA(&msg);
        PressSeams::DrainMouse(view_);
    }
    // The drawing point at the middle of the view's client area.
    POINT Middle() const
    {
        RECT visible;
        GetVisibleDrawingRect(view_, &visible);
        return {(visible.left + visible.right) / 2 / 6 * 6, (visible.top + visible.bottom) / 2 / 6 * 6};
    }
    // A client point beyond the frame window's client area grown by 20 pixels, to the right.
    POINT BeyondTheFrame() const
    {
        RECT frame;
        GetClientRect(g_frameWindow, &frame);
        MapWindowPoints(g_frameWindow, view_, reinterpret_cast<POINT*>(&frame), 2);
        return {frame.right + 40, (frame.top + frame.bottom) / 2};
    }
    // The colours of 16 pixels down from the drawing point (x, y).
    std::vector<COLORREF> Column(int x, int y) const
    {
        std::vector<COLORREF> pixels;
        for (int i = 0; i < 16; ++i) pixels.push_back(PixelAt(x, y + 6 * i));
        return pixels;
    }
    // The colours of every fourth client pixel along a drawing rectangle's four edges.
    std::vector<COLORREF> Outline(const RECT& r) const
    {
        const POINT a = ClientPoint(r.left, r.top), b = ClientPoint(r.right, r.bottom);
        std::vector<COLORREF> pixels;
        for (int x = a.x; x <= b.x; x += 4) {
            pixels.push_back(ClientPixel(x, a.y));
            pixels.push_back(ClientPixel(x, b.y));
        }
        for (int y = a.y; y <= b.y; y += 4) {
            pixels.push_back(ClientPixel(a.x, y));
            pixels.push_back(ClientPixel(b.x, y));
        }
        return pixels;
    }
    void HookEnd(int holder, int end, int target, POINT box)
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), holder, -1, target, end, box.x, box.y));
    }
    POINT End(int line, int end) const
    {
        const DrawObject o = Object(line);
        return LineEndPosition(&o, end);
    }
    // Links left flagged as changed: a later edit would chase them.
    int FlaggedLinks() const
    {
        int flagged = 0;
        for (const LinkEntry& link : LinkEntries()) flagged += (link.flags & LinkChanged) != 0;
        return flagged;
    }
    // Every client pixel round a drawing rectangle and `margin` pixels beyond it, copied at once
    // through a mapping of the test's own.
    std::vector<COLORREF> Area(const RECT& r, int margin) const
    {
        const POINT a = ClientPoint(r.left, r.top), b = ClientPoint(r.right, r.bottom);
        const int width = b.x - a.x + 2 * margin + 1, height = b.y - a.y + 2 * margin + 1;
        Canvas copy(width, height);
        SetMapMode(copy.dc(), MM_TEXT);
        HDC dc = GetDC(view_);
        const int saved = SaveDC(dc);
        SetMapMode(dc, MM_TEXT);
        SetWindowOrgEx(dc, 0, 0, nullptr);
        SetViewportOrgEx(dc, 0, 0, nullptr);
        BitBlt(copy.dc(), 0, 0, width, height, dc, a.x - margin, a.y - margin, SRCCOPY);
        RestoreDC(dc, saved);
        ReleaseDC(view_, dc);
        std::vector<COLORREF> pixels;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) pixels.push_back(copy.Pixel(x, y));
        return pixels;
    }
    // The same area after the whole view was painted afresh from the drawing's state.
    std::vector<COLORREF> RepaintedArea(const RECT& r, int margin) const
    {
        InvalidateRect(view_, nullptr, TRUE);
        UpdateWindow(view_);
        return Area(r, margin);
    }
    // A click on the drawing point (x, y), the release already waiting.
    void Click(int x, int y)
    {
        PressClock::now = PressClock::pressTime;
        QueueRelease(x, y);
        Press(x, y);
        MSG msg;
        while (PeekMessageA(&msg, view_, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) DispatchMessageA(&msg);
    }
    int ChangedPixels(int x, int y, const std::vector<COLORREF>& before) const
    {
        const std::vector<COLORREF> now = Column(x, y);
        int changed = 0;
        for (size_t i = 0; i < now.size(); ++i) changed += now[i] != before[i];
        return changed;
    }

    int (*savedLibrary_)(HWND, BOOL) = g_trackDragOverLibraries;
    OleDragRunner savedOle_ = g_oleDragRunner;
};

TEST_F(ShownDrag, AResizeHeldBeyondTheViewScrollsByTheStepsOfTheDistance)
{
    struct Case {
        int right;    // pixels beyond the right edge, 0 none
        int below;    // pixels beyond the bottom edge, 0 none
        size_t stopAfter;
        std::vector<std::pair<int, int>> steps;
    };
    const Case cases[] = {
        {100, 0, 100, {}},   // until the range ends
        {5, 0, 2, {{0, 16}, {0, 16}}},
        {400, 0, 2, {{0, 240}, {0, 240}}},
        {0, 5, 2, {{1, 5}, {1, 5}}},
    };
    for (const Case& c : cases) {
        // Mid-range either way.
        ScrollTo(0, ScrollMax(0) / 2);
        ScrollTo(1, ScrollMax(1) / 2);
        const POINT m = Middle();
        const int shape = Shape(m.x - 600, m.y - 600, 600);
        Select({shape});
        PressClock::Held();
        Press(m.x, m.y);
        ASSERT_EQ(TrackResize, g_dragState.trackMode) << c.right << "," << c.below;
        g_scrollLog.steps.clear();
        g_scrollLog.stopAfter = c.stopAfter;
        const RECT client = Client();
        const POINT at = ClientPoint(m.x, m.y);
        MoveClient(c.right ? client.right + c.right : at.x, c.below ? client.bottom + c.below : at.y);
        if (c.stopAfter == 100) {
            const int from = ScrollMax(0) / 2;
            const std::vector<std::pair<int, int>> steps((ScrollMax(0) - from + 99) / 100, {0, 100});
            EXPECT_EQ(steps, g_scrollLog.steps);
            EXPECT_EQ(ScrollMax(0), ScrollPos(0));
        } else {
            EXPECT_EQ(c.steps, g_scrollLog.steps) << c.right << "," << c.below;
        }
        Release(m.x, m.y);
        PressSeams::DrainMouse(view_);
    }
}

TEST_F(ShownDrag, AGuideNeverScrollsAlongItsOwnRuler)
{
    struct Case {
        int mode;
        int bar;   // the direction pulled: 0 to the left, 1 upward
        std::vector<std::pair<int, int>> steps;
    };
    const Case cases[] = {
        {TrackVerticalGuide, 1, {}},
        {TrackVerticalGuide, 0, {{0, -60}}},
        {TrackHorizontalGuide, 0, {}},
        {TrackHorizontalGuide, 1, {{1, -60}}},
    };
    HWND horizontalRuler = GetWindow(view_, GW_HWNDNEXT);
    HWND verticalRuler = GetWindow(horizontalRuler, GW_HWNDNEXT);
    for (const Case& c : cases) {
        ScrollTo(0, 500);
        ScrollTo(1, 500);
        const RECT client = Client();
        const POINT start = {client.right / 2, client.bottom / 2};
        RulerMouseDown(c.mode == TrackVerticalGuide ? horizontalRuler : verticalRuler, MK_LBUTTON, start, c.mode);
        ASSERT_EQ(c.mode, g_dragState.trackMode);
        g_scrollLog.steps.clear();
        g_scrollLog.stopAfter = 1;
        MoveClient(c.bar == 0 ? -60 : start.x, c.bar == 1 ? -60 : start.y);
        EXPECT_EQ(c.steps, g_scrollLog.steps) << c.mode << " " << c.bar;
        Release(0, 0);
        PressSeams::DrainMouse(view_);
    }
}

TEST_F(ShownDrag, AMovePushedFarBeyondTheLeftLimitHidesItsFeedbackUntilItComesBack)
{
    const int shape = Shape(3000, 1200, 600);
    Select({shape});
    PressClock::Held();
    Press(3300, 1500);
    Move(3400, 1500);
    ASSERT_EQ(TrackMove, g_dragState.trackMode);
    const int limit = g_dragState.limitsRect.left;
    ASSERT_GT(limit - 258, 0);   // the cursor stays inside the view: no scroll, not outside
    struct Step {
        int beyond;   // drawing units left of the limit
        int shown;
    };
    for (const Step& s : {Step{228, 1}, Step{258, 0}, Step{-300, 1}, Step{258, 0}, Step{0, 1}}) {
        Move(limit - s.beyond, 1500);
        EXPECT_EQ(s.shown, g_dragState.feedbackShown) << s.beyond;
    }
    EXPECT_TRUE(g_scrollLog.steps.empty());
    const int moved = g_dragState.lastPoint.x - g_dragState.anchor.x;
    Release(limit, 1500);
    EXPECT_EQ(3000 + moved, Object(shape).frame.left);
    EXPECT_GE(Object(shape).frame.left, 0);
}

TEST_F(ShownDrag, AMoveOnTheBodyIsOneUndoStepLabelledThirtyOrThirtySixAfterADuplicate)
{
    const int shape = Shape(1200, 1200, 600);
    for (const int before : {0, static_cast<int>(UndoDuplicate)}) {
        state_->undoLabel = before;
        const RECT frame = Object(shape).frame;
        const POINT from = Landed(frame.left + 300, frame.top + 300);
        const POINT to = Landed(from.x + 600, from.y + 300);
        Drag(from.x, from.y, to.x, to.y);
        EXPECT_EQ(frame.left + to.x - from.x, Object(shape).frame.left) << before;
        EXPECT_EQ(frame.top + to.y - from.y, Object(shape).frame.top) << before;
        EXPECT_EQ(before ? UndoMoveAfterDuplicate : UndoMove, state_->undoLabel);
        EXPECT_EQ(std::vector<int>{shape}, SelectedRows());
        ASSERT_EQ(0, UndoLastChange(view_, FALSE));
        EXPECT_EQ(frame.left, Object(shape).frame.left) << before;
    }
}

TEST_F(ShownDrag, ShiftHeldDuringAMoveKeepsItToTheLongerAxis)
{
    const int shape = Shape(1200, 1200, 600);
    struct Case {
        int dx, dy;
        int movedX, movedY;
    };
    for (const Case& c : {Case{600, 240, 600, 0}, Case{240, 600, 0, 600}, Case{-360, 360, 0, 360}}) {
        const RECT frame = Object(shape).frame;
        const POINT from = {frame.left + 300, frame.top + 300};
        PressClock::Held();
        Press(from.x, from.y);
        // Shift pressed in the middle of the drag counts from the next move on.
        Move(from.x + 60, from.y);
        SetKeys(true, false);
        Move(from.x + c.dx, from.y + c.dy);
        Release(from.x + c.dx, from.y + c.dy, MK_SHIFT);
        SetKeys(false, false);
        EXPECT_EQ(frame.left + c.movedX, Object(shape).frame.left) << c.dx << "," << c.dy;
        EXPECT_EQ(frame.top + c.movedY, Object(shape).frame.top) << c.dx << "," << c.dy;
    }
}

TEST_F(ShownDrag, APlacedOutlineShowsAtOnceAndLandsWhollyInsideTheDrawing)
{
    struct Case {
        bool farCorner;   // the right-bottom corner, else the left-top one
    };
    for (const Case& c : {Case{false}, Case{true}}) {
        ScrollTo(0, c.farCorner ? ScrollMax(0) : 0);
        ScrollTo(1, c.farCorner ? ScrollMax(1) : 0);
        const POINT m = Middle();
        const POINT at = ClientPoint(m.x, m.y);
        const SIZE size = {600, 400};
        ASSERT_EQ(0, BeginDragPlacement(view_, state_, at.x, at.y, ClassShape, 0, 2, &size));
        EXPECT_EQ(0, g_dragState.feedbackShown);
        RunPostedMove();
        EXPECT_EQ(1, g_dragState.feedbackShown);
        // The outline hangs from the cursor, centred across.
        EXPECT_EQ((RECT{m.x - 300, m.y, m.x + 300, m.y + 400}), g_dragState.trackRect);
        const int count = Count();
        // Near the corner first, then beyond it by less than 241 units from the outline: the
        // outline is held inside.
        const int w = state_->areaWidth, h = state_->areaHeight;
        if (c.farCorner) {
            Move(w - 600, h - 700);
            Move(w - 100, h - 100);
        } else {
            Move(600, 400);
            Move(100, 0);
        }
        EXPECT_EQ(1, g_dragState.feedbackShown) << c.farCorner;
        Release(0, 0);
        ASSERT_EQ(count + 1, Count());
        const RECT placed = Object(Count() - 1).frame;
        const RECT expected = c.farCorner
            ? RECT{state_->areaWidth - 600, state_->areaHeight - 400, state_->areaWidth, state_->areaHeight}
            : RECT{0, 0, 600, 400};
        EXPECT_EQ(expected, placed) << c.farCorner;
        EXPECT_EQ(UndoAddObject, state_->undoLabel);
        PressSeams::DrainMouse(view_);
    }
}

TEST_F(ShownDrag, ARulerPressDrawsAGuideThatFollowsTheMouseAndLeavesNothing)
{
    const int shape = Shape(1200, 1200, 600);
    state_->undoLabel = UndoResize;
    HWND horizontalRuler = GetWindow(view_, GW_HWNDNEXT);
    // A press at pixel 300 and a move to pixel 400: drawing x 1800 and 2400.
    const std::vector<COLORREF> atFirst = Column(1800, 1800), atSecond = Column(2400, 1800);
    RulerMouseDown(horizontalRuler, MK_LBUTTON, POINT{300, 10}, TrackVerticalGuide);
    ASSERT_EQ(TrackVerticalGuide, g_dragState.trackMode);
    EXPECT_EQ(view_, GetCapture());
    EXPECT_GT(ChangedPixels(1800, 1800, atFirst), 0);
    EXPECT_EQ(0, ChangedPixels(2400, 1800, atSecond));
    MoveClient(400, 320);
    EXPECT_EQ(0, ChangedPixels(1800, 1800, atFirst));
    EXPECT_GT(ChangedPixels(2400, 1800, atSecond), 0);
    Release(0, 0);
    EXPECT_EQ(0, ChangedPixels(2400, 1800, atSecond));
    EXPECT_EQ(1, Count());
    EXPECT_EQ((RECT{1200, 1200, 1800, 1800}), Object(shape).frame);
    EXPECT_EQ(UndoResize, state_->undoLabel);
    EXPECT_EQ(TrackNone, g_dragState.trackMode);
}

TEST_F(ShownDrag, TheDoubleClickOpensAnAttachmentOrTheTextEditorAndNothingOnPaper)
{
    Shape(1200, 1200, 1200);
    const int marked = Shape(3600, 1200, 1200);
    RECT mark;
    ASSERT_NO_FATAL_FAILURE(GiveAttachment(slot_, Object(marked), &mark));
    const POINT markPoint = Landed((mark.left + mark.right) / 2, (mark.top + mark.bottom) / 2);
    struct Case {
        POINT at;
        bool opens;    // the attachment command reaches the frame
        bool edits;    // the shape's text editor opens
    };
    const Case cases[] = {
        {{6000, 6000}, false, false},
        {markPoint, true, false},
        {{1800, 1800}, false, true},
    };
    for (const Case& c : cases) {
        DoubleClick(c.at.x, c.at.y);
        MSG msg;
        const bool posted = PeekMessageA(&msg, g_frameWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE) != 0;
        EXPECT_EQ(c.opens, posted && msg.wParam == 740u) << c.at.x;
        EXPECT_EQ(c.edits, state_->textEditor != nullptr) << c.at.x;
        EXPECT_EQ(c.edits, state_->textEditor && GetParent(state_->textEditor) == view_) << c.at.x;
    }
}

TEST_F(ShownDrag, ADragOutOfTheFrameCopiesMovesOrComesBackThroughTheOleDrag)
{
    const int shape = Shape(1200, 1200, 600);
    const int other = Shape(3600, 1200, 600);
    const RECT otherFrame = Object(other).frame;
    struct Case {
        HRESULT result;
        DWORD effect;
        int countAfter;
    };
    const Case cases[] = {
        {DRAGDROP_S_DROP, DROPEFFECT_COPY, 2},
        {DRAGDROP_S_DROP, DROPEFFECT_MOVE, 1},
        {DRAGDROP_S_CANCEL, DROPEFFECT_NONE, 2},
    };
    for (const Case& c : cases) {
        g_probe.oleResult = c.result;
        g_probe.oleEffect = c.effect;
        g_probe.oleDrags = 0;
        state_->undoLabel = 0;
        Select({});
        const RECT frame = Object(shape).frame;
        PressClock::Held();
        Press(1500, 1500);
        Move(1560, 1500);
        const POINT out = BeyondTheFrame();
        MoveClient(out.x, out.y);
        EXPECT_EQ(1, g_probe.oleDrags) << c.effect;
        if (c.result != DRAGDROP_S_DROP) {
            // Back in the view with the capture: the move goes on.
            EXPECT_FALSE(RunPostedRelease());
            EXPECT_EQ(view_, GetCapture());
            EXPECT_EQ(TrackMove, g_dragState.trackMode);
            Move(1800, 1500);
            EXPECT_EQ(1, g_dragState.feedbackShown);
            Release(1800, 1500);
            EXPECT_EQ(frame.left + 300, Object(shape).frame.left);
            EXPECT_EQ(UndoMove, state_->undoLabel);
            continue;
        }
        ASSERT_TRUE(RunPostedRelease()) << c.effect;
        EXPECT_EQ(TrackNone, g_dragState.trackMode);
        EXPECT_EQ(c.countAfter, Count()) << c.effect;
        if (c.effect == DROPEFFECT_COPY) {
            EXPECT_EQ(std::vector<int>{shape}, SelectedRows());
            EXPECT_EQ(frame.left, Object(shape).frame.left);
            EXPECT_EQ(0, state_->undoLabel);
        } else {
            // The release neither selects nor moves what is left.
            EXPECT_TRUE(SelectedRows().empty());
            EXPECT_EQ(otherFrame.left, Object(0).frame.left);
            EXPECT_EQ(UndoMove, state_->undoLabel);
            ASSERT_EQ(0, UndoLastChange(view_, FALSE));
            EXPECT_EQ(2, Count());
        }
    }
}

TEST_F(ShownDrag, AClickPendingMoveNeverReachesTheOleDragOrALibrary)
{
    Shape(1200, 1200, 600);
    g_probe.libraryAnswer = 1;
    PressClock::now = PressClock::pressTime;
    QueueRelease(1500, 1500);
    Press(1500, 1500);
    PressSeams::DrainMouse(view_);
    ASSERT_EQ(1, g_dragState.clickPending);
    const POINT out = BeyondTheFrame();
    MoveClient(out.x, out.y);
    Move(1800, 1500);
    EXPECT_EQ(0, g_probe.oleDrags);
    EXPECT_EQ(0, g_probe.libraryTakeOvers);
    EXPECT_EQ(TrackMove, g_dragState.trackMode);
}

TEST_F(ShownDrag, HookedLinesFollowAShapeDraggedByItsBody)
{
    const int a = Shape(1200, 1200);
    const int b = Shape(4200, 1200);
    Shape(4200, 3000);   // c, under the dragged end
    // Hooked at both ends, as the file holds it: a's right middle to b's left middle.
    const int both = Line(1800, 1500, 4200, 1500);
    HookEnd(both, 1, a, {600, 300});
    HookEnd(both, 2, b, {0, 300});
    // Hooked at a's bottom middle; its free end is dragged onto c's left border.
    const int dragged = Line(1500, 1800, 3600, 3300);
    HookEnd(dragged, 1, a, {300, 600});
    Select({dragged});
    Drag(3600, 3300, 4206, 3306);
    ASSERT_EQ(2, static_cast<int>(Object(dragged).hookCount));
    ASSERT_EQ((POINT{4200, 3300}), End(dragged, 2));
    Select({});

    Drag(1500, 1500, 2100, 1800);   // a by its body, 100 pixels right and 50 down
    EXPECT_EQ((RECT{1800, 1500, 2400, 2100}), Object(a).frame);
    EXPECT_EQ((POINT{2400, 1800}), End(both, 1));
    EXPECT_EQ((POINT{4200, 1500}), End(both, 2));
    EXPECT_EQ((POINT{2100, 2100}), End(dragged, 1));
    EXPECT_EQ((POINT{4200, 3300}), End(dragged, 2));
    EXPECT_EQ(0, FlaggedLinks());

    Drag(4500, 3300, 4500, 3900);   // c down by 100 pixels
    EXPECT_EQ((POINT{4200, 3900}), End(dragged, 2));
    EXPECT_EQ((POINT{2100, 2100}), End(dragged, 1));
    EXPECT_EQ(0, FlaggedLinks());
    // One undo step takes the shape and its lines back together.
    ASSERT_EQ(0, UndoLastChange(view_, FALSE));
    EXPECT_EQ((POINT{4200, 3300}), End(dragged, 2));
}

TEST_F(ShownDrag, ARubberBandDrawnInStepsSelectsWhatItEnclosesAndLeavesTheMappingWhole)
{
    const int inside = Shape(2400, 2400);
    const int outside = Shape(6000, 1200);
    UpdateWindow(view_);
    const RECT band = {1200, 1200, 3600, 3600};
    const std::vector<COLORREF> before = Outline(band);
    PressClock::Held();
    Press(band.left, band.top);
    ASSERT_EQ(TrackRubberBand, g_dragState.trackMode);
    for (int step = 1; step <= 4; ++step)
        Move(band.left + (band.right - band.left) * step / 4, band.top + (band.bottom - band.top) * step / 4);
    EXPECT_EQ(band, g_dragState.trackRect);
    Release(band.right, band.bottom);
    EXPECT_TRUE(g_scrollLog.steps.empty());
    EXPECT_EQ(std::vector<int>{inside}, SelectedRows());
    UpdateWindow(view_);
    // Every band drawn was erased where it was drawn.
    EXPECT_TRUE(before == Outline(band));
    // Clicks after the band still land on what is under them.
    PressClock::now = PressClock::pressTime;
    QueueRelease(6300, 1500);
    Press(6300, 1500);
    MSG msg;
    while (PeekMessageA(&msg, view_, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_EQ(std::vector<int>{outside}, SelectedRows());
    const POINT at = ClientPoint(6300, 1500);
    POINT p = at;
    HDC dc = GetDC(view_);
    DPtoLP(dc, &p, 1);
    ReleaseDC(view_, dc);
    EXPECT_EQ(Landed(6300, 1500), p);
}

TEST_F(ShownDrag, TheMarksABandDrawsAreTheOnesARepaintDrawsAndAClickElsewhereErasesThemWhole)
{
    // A shape alone and a group of two, each taken by a band while nothing is selected: the one
    // that becomes current must show the current object's marks, or erasing them later leaves
    // the difference on the paper.
    const int alone = Shape(1200, 1200);
    const int first = Shape(1200, 3000);
    const int second = Shape(2400, 3000);
    const int other = Shape(6000, 1200);
    Select({first, second});
    ASSERT_EQ(0, Run(EditGroup));
    ASSERT_EQ(1u, Groups().size());
    const RECT groupFrame = Groups()[0].frame;
    struct Case {
        const char* what;
        RECT marked;   // the frame whose marks the band shows
        RECT band;
    } cases[] = {{"a shape", Object(alone).frame, {900, 900, 2100, 2100}},
                 {"a group", groupFrame, {900, 2700, 3300, 3900}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Select({});
        SetGroupSelected(LockDrawing().get(), 0, FALSE, FALSE);
        const std::vector<COLORREF> paper = RepaintedArea(c.marked, 12);
        Drag(c.band.left, c.band.top, c.band.right, c.band.bottom);
        ASSERT_GT(LockDrawing()->selectedCount, 0);
        const std::vector<COLORREF> shown = Area(c.marked, 12);
        EXPECT_TRUE(shown != paper);
        Click(6300, 1500);
        EXPECT_EQ(std::vector<int>{other}, SelectedRows());
        EXPECT_TRUE(paper == Area(c.marked, 12));
        // The same band again: its marks are those a repaint draws from the selection.
        Drag(c.band.left, c.band.top, c.band.right, c.band.bottom);
        EXPECT_TRUE(shown == Area(c.marked, 12));
        EXPECT_TRUE(shown == RepaintedArea(c.marked, 12));
    }
    // Select All beside a current object: the marks shown are again those a repaint draws.
    SelectObjectsInRect(view_, nullptr);
    const RECT all = {1200, 1200, 6600, 3600};
    const std::vector<COLORREF> shown = Area(all, 12);
    EXPECT_TRUE(shown == RepaintedArea(all, 12));
}

TEST_F(ShownDrag, AGroupDraggedByAMembersBodyTakesItsFrameAlongAndUndoOfUngroupKeepsIt)
{
    const int first = Shape(1200, 1200);
    const int second = Shape(2400, 1800);
    Select({first, second});
    ASSERT_EQ(0, Run(EditGroup));
    ASSERT_EQ(1u, Groups().size());
    const RECT frame = Groups()[0].frame;
    RECT moved = frame;
    OffsetRect(&moved, -60, 60);
    // The top-right corners, old and new, on plain paper while nothing is selected.
    Select({});
    SetGroupSelected(LockDrawing().get(), 0, FALSE, FALSE);
    InvalidateRect(view_, nullptr, TRUE);
    UpdateWindow(view_);
    const COLORREF oldCorner = PixelAt(frame.right, frame.top), newCorner = PixelAt(moved.right, moved.top);

    Drag(1500, 1500, 1440, 1560);
    EXPECT_EQ((RECT{1140, 1260, 1740, 1860}), Object(first).frame);
    EXPECT_EQ((RECT{2340, 1860, 2940, 2460}), Object(second).frame);
    EXPECT_EQ(moved, Groups()[0].frame);
    EXPECT_EQ(0u, Groups()[0].flags & GroupBoundsStale);
    ASSERT_NE(0u, Groups()[0].flags & GroupSelected);
    // After a full repaint the group's handle stands at the moved corner, none at the old one.
    InvalidateRect(view_, nullptr, TRUE);
    UpdateWindow(view_);
    EXPECT_NE(newCorner, PixelAt(moved.right, moved.top));
    EXPECT_EQ(oldCorner, PixelAt(frame.right, frame.top));
    // Ungroup, then Undo: the group comes back with the moved frame.
    ASSERT_EQ(0, Run(EditUngroup));
    ASSERT_TRUE(Groups().empty());
    ASSERT_EQ(0, UndoLastChange(view_, FALSE));
    ASSERT_EQ(1u, Groups().size());
    EXPECT_EQ(moved, Groups()[0].frame);
}

}  // namespace
