// Invalidation gathered over an edit: the same area ends up invalid as with one call per rect,
// nothing reaches the window before the edit ends or a box is shown, and nothing is left over.
#include <gtest/gtest.h>

#include <vector>

#include "frame/frame_services.h"
#include "model/edit_ops.h"
#include "model/invalidate.h"
#include "model/move_set.h"
#include "resource.h"
#include "support/model_fixture.h"

namespace {

// The window's update region, or an empty one.
HRGN UpdateRegion(HWND window)
{
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(window, region, FALSE);
    return region;
}

bool Covers(HRGN outer, HRGN inner)
{
    HRGN rest = CreateRectRgn(0, 0, 0, 0);
    const int kind = CombineRgn(rest, inner, outer, RGN_DIFF);
    DeleteObject(rest);
    return kind == NULLREGION;
}

// What one call per rect leaves invalid, and what a batch over the same rects leaves.
struct Outcome {
    HRGN single;
    HRGN batched;
    ~Outcome()
    {
        DeleteObject(single);
        DeleteObject(batched);
    }
};

void Invalidate(HWND window, const std::vector<RECT>& rects, bool batched, bool* reachedEarly)
{
    if (!batched) {
        for (const RECT& r : rects) InvalidateLogicalRect(window, &r);
        return;
    }
    InvalidationBatch batch;
    for (const RECT& r : rects) {
        {
            InvalidationBatch inner;   // batches nest: only the outermost one hands the rects on
            InvalidateLogicalRect(window, &r);
        }
        RECT update;
        if (GetUpdateRect(window, &update, FALSE)) *reachedEarly = true;
    }
}

// The bounds of the update region in device pixels (GetUpdateRect answers in logical units for
// a window with its own mapped device context).
RECT UpdateBox(HWND window)
{
    HRGN region = UpdateRegion(window);
    RECT box;
    GetRgnBox(region, &box);
    DeleteObject(region);
    return box;
}

void Compare(HWND window, const std::vector<RECT>& rects, Outcome* out, bool* reachedEarly)
{
    ValidateRect(window, nullptr);
    Invalidate(window, rects, false, reachedEarly);
    out->single = UpdateRegion(window);
    ValidateRect(window, nullptr);
    Invalidate(window, rects, true, reachedEarly);
    out->batched = UpdateRegion(window);
    ValidateRect(window, nullptr);
}

// A view whose own device context maps 1,000 drawing units to 96 pixels, as a zoomed view does.
HWND MappedView()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.style = CS_OWNDC;
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VexlorMappedView";
        RegisterClassA(&wc);
        registered = true;
    }
    HWND view = CreateWindowA("VexlorMappedView", "view", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    HDC dc = GetDC(view);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1000, 1000, nullptr);
    SetViewportExtEx(dc, 96, 96, nullptr);
    ReleaseDC(view, dc);
    ShowWindow(view, SW_SHOWNA);
    UpdateWindow(view);
    return view;
}

}  // namespace

TEST(Invalidation, ABatchLeavesInvalidWhatOneCallPerRectLeavesAndLittleMore)
{
    HWND view = MappedView();
    ASSERT_TRUE(view);
    std::vector<RECT> scattered;
    for (int i = 0; i < 20; ++i) scattered.push_back(RECT{i * 170, (i * 7 % 20) * 130, i * 170 + 60, (i * 7 % 20) * 130 + 40});
    struct Case {
        const char* name;
        std::vector<RECT> rects;
        POINT outside;   // a device point no rect comes near, or (-1, -1)
    };
    const Case cases[] = {
        {"one", {{100, 100, 1100, 600}}, {-1, -1}},
        {"flat and thin", {{200, 500, 900, 500}, {300, 300, 305, 800}, {1500, 1500, 1500, 1500}}, {-1, -1}},
        {"overlapping", {{100, 100, 1100, 600}, {600, 300, 1600, 900}, {1000, 800, 2000, 1400}}, {-1, -1}},
        {"far apart", {{0, 0, 100, 100}, {3500, 2500, 3600, 2600}}, {170, 120}},
        {"scattered, more than a few", scattered, {-1, -1}},
        {"partly outside the view", {{-500, -500, 300, 300}, {3900, 100, 9000, 400}}, {-1, -1}},
    };
    for (const Case& c : cases) {
        Outcome out;
        bool early = false;
        Compare(view, c.rects, &out, &early);
        EXPECT_FALSE(early) << c.name;
        EXPECT_NE(NULLREGION, CombineRgn(out.single, out.single, nullptr, RGN_COPY)) << c.name;
        EXPECT_TRUE(Covers(out.batched, out.single)) << c.name;
        // Never more than the union of what the single calls covered.
        RECT box;
        GetRgnBox(out.single, &box);
        HRGN bounds = CreateRectRgnIndirect(&box);
        EXPECT_TRUE(Covers(bounds, out.batched)) << c.name;
        DeleteObject(bounds);
        if (c.outside.x >= 0) {
            EXPECT_FALSE(PtInRegion(out.batched, c.outside.x, c.outside.y)) << c.name;
        }
    }
    DestroyWindow(view);
}

TEST(Invalidation, AnEmptyRectStillCoversOnePixelEitherSideInABatch)
{
    HWND view = MappedView();
    ASSERT_TRUE(view);
    ValidateRect(view, nullptr);
    {
        InvalidationBatch batch;
        RECT flat = {1000, 500, 2000, 500};   // device (96, 48)-(192, 48)
        InvalidateLogicalRect(view, &flat);
    }
    EXPECT_EQ((RECT{96, 47, 192, 49}), UpdateBox(view));
    DestroyWindow(view);
}

namespace {

HWND g_watchedView = nullptr;
RECT g_updateAtBox;

int RecordUpdateAtBox(HWND, LPCSTR, LPCSTR, UINT)
{
    g_updateAtBox = UpdateBox(g_watchedView);
    return IDOK;
}

}  // namespace

TEST(Invalidation, AMessageBoxFindsTheGatheredRectsAlreadyInvalid)
{
    HWND frame = CreateWindowA("STATIC", "frame", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    HWND view = MappedView();
    ASSERT_TRUE(frame && view);
    HWND savedFrame = g_frameWindow;
    MessageBoxPrompt savedPrompt = g_messageBoxPrompt;
    g_frameWindow = frame;
    g_messageBoxPrompt = RecordUpdateAtBox;
    g_watchedView = view;
    ValidateRect(view, nullptr);
    {
        InvalidationBatch batch;
        RECT r = {1000, 1000, 2000, 1500};   // device (96, 96)-(192, 144)
        InvalidateLogicalRect(view, &r);
        RECT update;
        EXPECT_FALSE(GetUpdateRect(view, &update, FALSE));
        ShowWarningById(IDS_OUTSIDE_DRAWING);
    }
    EXPECT_EQ((RECT{96, 96, 192, 144}), g_updateAtBox);
    g_messageBoxPrompt = savedPrompt;
    g_frameWindow = savedFrame;
    DestroyWindow(view);
    DestroyWindow(frame);
}

namespace {

HWND g_editView = nullptr;
bool g_invalidDuringEdit = false;

int WatchOffsets(int message, DrawObject*)
{
    RECT update;
    if (message == OM_OFFSET && GetUpdateRect(g_editView, &update, FALSE)) g_invalidDuringEdit = true;
    return 0;
}

}  // namespace

class InvalidationEdit : public ModelTest {
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        ShowWindow(view_, SW_SHOWNA);
        UpdateWindow(view_);
        g_editView = view_;
        g_invalidDuringEdit = false;
        g_recorder.answer = WatchOffsets;
    }

    // Moves `rows` by (dx, dy) as one undoable step; returns the result.
    int Move(const std::vector<int>& rows, int dx, int dy)
    {
        ObjectVector* set = NewObjectVector(static_cast<int>(rows.size()));
        for (int row : rows) set->rows[set->count++] = row;
        int err = MoveObjects(view_, dx, dy, set, FALSE);
        FreeObjectVector(&set, nullptr);
        return err;
    }
};

TEST_F(InvalidationEdit, AMoveInvalidatesAtItsEndWhatEachObjectCoveredBeforeAndAfter)
{
    // The fixture's view maps one drawing unit to one pixel.
    const int a = Add(ClassShape, 20, 20, 60, 60);
    const int b = Add(ClassShape, 200, 100, 40, 80);
    const int c = Add(ClassShape, 100, 150, 50, 24);
    std::vector<RECT> covered;
    for (int row : {a, b, c}) covered.push_back(Object(row).updateRect);
    ValidateRect(view_, nullptr);
    ASSERT_EQ(0, Move({a, b, c}, 40, -10));
    EXPECT_FALSE(g_invalidDuringEdit);
    HRGN batched = UpdateRegion(view_);
    for (int row : {a, b, c}) covered.push_back(Object(row).updateRect);

    ValidateRect(view_, nullptr);
    for (const RECT& r : covered) InvalidateLogicalRect(view_, &r);
    HRGN single = UpdateRegion(view_);
    EXPECT_TRUE(Covers(batched, single));
    DeleteObject(single);
    DeleteObject(batched);

    // Nothing was left gathered for a later edit to hand on.
    ValidateRect(view_, nullptr);
    { InvalidationBatch empty; }
    RECT update;
    EXPECT_FALSE(GetUpdateRect(view_, &update, FALSE));
}

TEST_F(InvalidationEdit, ARefusedMoveRollsBackAndLeavesNothingGathered)
{
    const int a = Add(ClassShape, 20, 20, 60, 60);
    const int edge = Add(ClassShape, 32000, 100, 300, 300);   // a move of 500 would pass 32,767
    ValidateRect(view_, nullptr);
    EXPECT_EQ(10009, Move({a, edge}, 500, 0));
    EXPECT_EQ(20, Object(a).frame.left);   // rolled back
    ValidateRect(view_, nullptr);
    { InvalidationBatch empty; }
    RECT update;
    EXPECT_FALSE(GetUpdateRect(view_, &update, FALSE));
}
