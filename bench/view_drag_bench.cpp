// The drag in the drawing view, run by hand under Wine, in drawings of 1,000 shapes laid out on a
// grid: prints microseconds per drag step (one mouse move of a move drag) with 1 and with 100
// objects selected, and per release of a move of 100 and of 1,000 objects (all of a drawing of
// that many).
#include <windows.h>

#include <cstdio>

#include "bench_clock.h"
#include "bench_drawing.h"
#include "editing/drag_setup.h"
#include "editing/drag_state.h"
#include "editing/hit_test.h"
#include "editing/view_mouse.h"
#include "model/move_set.h"
#include "model/objects.h"
#include "shapes/shape_kinds.h"

namespace {

constexpr int kSteps = 400;
constexpr int kReleases = 20;

// The press is held at once: the drag starts without the click wait.
DWORD PressTime() { return 0; }
DWORD LongAfter() { return 100000; }

// `n` shapes of 150 x 150 on a grid of 200, the first under the press point (90, 90).
bool Build(BenchDrawing* w, int n)
{
    if (!OpenBenchDrawing(w)) return false;
    {
        Locked<DocumentState> state(w->stateBlock);
        state->areaWidth = 40000;
        state->areaHeight = 40000;
    }
    for (int i = 0; i < n; ++i) {
        const int x = 20 + (i % 50) * 200, y = 20 + (i / 50) * 200;
        RECT r = {x, y, x + 150, y + 150};
        if (AddObject(w->view, ClassShape, &r, ShapeRectangle, 0, 0, FALSE, TRUE, nullptr, FALSE)) return false;
    }
    return true;
}

LONG FirstLeft(const BenchDrawing& w)
{
    Locked<Drawing> d(DrawingOf(w));
    Locked<ObjectList> objects(d->objectList);
    return (*objects)[0].frame.left;
}

// The first `count` rows selected, nothing else.
void SelectFirst(const BenchDrawing& w, int count)
{
    const HGLOBAL drawing = DrawingOf(w);
    {
        Locked<Drawing> d(drawing);
        DeselectAll(d.get());
    }
    for (int row = 0; row < count; ++row) SelectObjectByClick(drawing, row, TRUE, FALSE, FALSE);
}

void Steps(int selected)
{
    BenchDrawing w;
    if (!Build(&w, 1000)) {
        std::printf("could not build\n");
        return;
    }
    SelectFirst(w, selected);
    OnViewButtonDown(w.view, MK_LBUTTON, POINT{90, 90}, FALSE);
    if (g_dragState.trackMode != TrackMove) {
        std::printf("%4d selected: the press started no move\n", selected);
        CloseBenchDrawing(&w);
        return;
    }
    OnViewMouseMove(w.view, MK_LBUTTON, POINT{100, 90});   // warm-up: the first feedback
    const double t0 = BenchMicroseconds();
    for (int i = 0; i < kSteps; ++i) OnViewMouseMove(w.view, MK_LBUTTON, POINT{110 + i % 2 * 20, 100});
    const double perStep = (BenchMicroseconds() - t0) / kSteps;
    if (!g_dragState.feedbackShown) std::printf("the steps showed no feedback\n");
    OnViewButtonUp(w.view, 0, POINT{});
    std::printf("1000 shapes, %4d selected: %9.1f us per drag step\n", selected, perStep);
    CloseBenchDrawing(&w);
}

void Releases(int n)
{
    BenchDrawing w;
    if (!Build(&w, n)) {
        std::printf("could not build\n");
        return;
    }
    SelectFirst(w, n);
    double total = 0;
    POINT at = {90, 90};
    for (int i = 0; i < kReleases; ++i) {
        const POINT to = {at.x + (i % 2 ? -30 : 30), at.y};
        OnViewButtonDown(w.view, MK_LBUTTON, at, FALSE);
        OnViewMouseMove(w.view, MK_LBUTTON, to);
        const double t0 = BenchMicroseconds();
        OnViewButtonUp(w.view, 0, POINT{});
        total += BenchMicroseconds() - t0;
        if (FirstLeft(w) != 20 + to.x - 90) std::printf("the release did not move the shapes\n");
        at = to;
    }
    std::printf("%4d shapes, all moved: %9.1f us per release\n", n, total / kReleases);
    CloseBenchDrawing(&w);
}

}  // namespace

int main()
{
    StartBench();
    g_pressTimeSource = PressTime;
    g_tickCountSource = LongAfter;
    for (int selected : {1, 100}) Steps(selected);
    for (int n : {100, 1000}) Releases(n);
    return 0;
}
