// The arrow-key nudge, run by hand under Wine: 1,000 selected shapes in drawings of 1,000 and
// 16,000 shapes; prints microseconds per press of a held key and, for comparison, per plain
// move of the same 1,000 shapes.
#include <windows.h>

#include <cstdio>

#include "bench_clock.h"
#include "bench_drawing.h"
#include "editing/arrange.h"
#include "model/edit_ops.h"
#include "model/invalidate.h"
#include "model/objects.h"
#include "shapes/shape_kinds.h"

namespace {

constexpr int kSelected = 1000;
constexpr int kPresses = 50;

// n shapes on a grid, kSelected of them spread evenly through the drawing selected.
bool Build(BenchDrawing* w, int n)
{
    if (!OpenBenchDrawing(w)) return false;
    {
        Locked<DocumentState> state(w->stateBlock);
        state->areaWidth = 40000;
        state->areaHeight = 40000;
    }
    for (int i = 0; i < n; ++i) {
        const int x = 600 + (i % 100) * 200, y = 600 + (i / 100) * 200;
        RECT r = {x, y, x + 150, y + 150};
        if (AddObject(w->view, ClassShape, &r, ShapeRectangle, 0, 0, FALSE, TRUE, nullptr, FALSE)) return false;
    }
    Locked<Drawing> d(DrawingOf(*w));
    Locked<ObjectList> objects(d->objectList);
    const int step = n / kSelected;
    for (int r = 0; r < objects->count; ++r) {
        if (r % step == 0) (*objects)[r].state |= StateSelected;
        else (*objects)[r].state &= ~static_cast<DWORD>(StateSelected);
    }
    d->selectedCount = kSelected;
    d->currentRow = 0;
    return true;
}

void Nudges(int n)
{
    BenchDrawing w;
    if (!Build(&w, n)) {
        std::printf("%5d shapes: could not build\n", n);
        return;
    }
    Locked<DocumentState> state(w.stateBlock);
    Locked<Drawing> d(DrawingOf(w));
    NudgeSelection(state.get(), d.get(), VK_RIGHT);   // warm-up
    double first = 0, last = 0;
    const double t0 = BenchMicroseconds();
    for (int i = 0; i < kPresses; ++i) {
        const double t = BenchMicroseconds();
        NudgeSelection(state.get(), d.get(), i % 2 ? VK_LEFT : VK_RIGHT);
        if (i == 0) first = BenchMicroseconds() - t;
        if (i == kPresses - 1) last = BenchMicroseconds() - t;
    }
    const double perPress = (BenchMicroseconds() - t0) / kPresses;
    // The same shapes moved by themselves under one repaint, the floor a nudge can reach.
    Locked<ObjectList> objects(d->objectList);
    const int step = n / kSelected;
    const double m0 = BenchMicroseconds();
    for (int i = 0; i < kPresses; ++i) {
        InvalidationBatch batch;
        for (int r = 0; r < objects->count; r += step) OffsetObject(d.get(), objects.get(), r, i % 2 ? -6 : 6, 0);
    }
    const double perMove = (BenchMicroseconds() - m0) / kPresses;
    std::printf("%5d shapes, %d selected: %9.1f us per press (first %9.1f, last %9.1f), %9.1f us per plain move\n",
                n, kSelected, perPress, first, last, perMove);
    objects.Unlock();
    d.Unlock();
    state.Unlock();
    CloseBenchDrawing(&w);
}

}  // namespace

int main()
{
    StartBench();
    for (int n : {1000, 16000}) Nudges(n);
    return 0;
}
