// The press in the drawing view, run by hand under Wine: drawings of 1,000 and 16,000 shapes laid
// out on a grid, the same shapes under the pointer; prints microseconds per pointer press on a
// body (held past the click time), the same right after a change of the model, per hook search of a dragged line end, and per Select All
// over 4,000 and 16,000 shapes in groups of four.
#include <windows.h>

#include <cstdio>

#include "bench_clock.h"
#include "bench_drawing.h"
#include "editing/drag_setup.h"
#include "editing/drag_state.h"
#include "editing/hit_test.h"
#include "editing/hook_targets.h"
#include "editing/view_mouse.h"
#include "model/drawing.h"
#include "model/groups.h"
#include "model/move_set.h"
#include "model/objects.h"
#include "shapes/shape_kinds.h"
#include "store/store_records.h"

namespace {

constexpr int kTimed = 200;

// The press is held at once: the click-or-drag wait never spins.
DWORD PressTime() { return 0; }
DWORD LongAfter() { return 100000; }

bool Build(BenchDrawing* w, int n, int groupSize)
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
    if (groupSize < 2) return true;
    Locked<Drawing> d(DrawingOf(*w));
    const int groups = n / groupSize;
    if (ResizeRecord(&d->groupTable, GroupTable::SizeFor(groups))) return false;
    Locked<GroupTable> table(d->groupTable);
    Locked<ObjectList> objects(d->objectList);
    for (int g = 0; g < groups; ++g) {
        GroupEntry& e = (*table)[g];
        e = GroupEntry{};
        e.groupId = g + 1;
        RECT all = {};
        for (int k = 0; k < groupSize; ++k) {
            DrawObject& o = (*objects)[g * groupSize + k];
            o.groupId = g + 1;
            o.groupRow = g;
            o.groupFrame = o.frame;
            UnionRect(&all, &all, &o.updateRect);
        }
        e.bounds = e.frame = e.groupedFrame = all;
        e.memberCount = groupSize;
    }
    table->count = groups;
    return true;
}

void EndPress(const BenchDrawing& w)
{
    Locked<Drawing> d(DrawingOf(w));
    Locked<ObjectList> objects(d->objectList);
    FreeObjectVector(&g_dragState.moveSet, objects.get());
    FreeObjectVector(&g_dragState.excludeSet, objects.get());
    g_dragState.trackMode = TrackNone;
    ReleaseCapture();
}

void Presses(int n)
{
    BenchDrawing w;
    if (!Build(&w, n, 1)) {
        std::printf("%5d shapes: could not build\n", n);
        return;
    }
    g_pressTimeSource = PressTime;
    g_tickCountSource = LongAfter;
    OnViewButtonDown(w.view, MK_LBUTTON, POINT{700, 700}, FALSE);   // warm-up
    EndPress(w);
    double t0 = BenchMicroseconds();
    for (int i = 0; i < kTimed; ++i) {
        OnViewButtonDown(w.view, MK_LBUTTON, POINT{700, 700}, FALSE);
        EndPress(w);
    }
    const double perPress = (BenchMicroseconds() - t0) / kTimed;
    // The same press right after a change of the model: the index is made afresh.
    t0 = BenchMicroseconds();
    for (int i = 0; i < kTimed / 10; ++i) {
        NoteModelChange();
        OnViewButtonDown(w.view, MK_LBUTTON, POINT{700, 700}, FALSE);
        EndPress(w);
    }
    const double perChangedPress = (BenchMicroseconds() - t0) / (kTimed / 10);

    // A line end dragged over the first shape's border: the searches of one drag.
    Locked<Drawing> d(DrawingOf(w));
    RECT line = {5000, 700, 5400, 700};
    AddObject(w.view, ClassLine, &line, 0, 0, 0, FALSE, TRUE, nullptr, FALSE);
    g_dragState = IdleDragState();
    g_dragState.trackMode = TrackResize;
    {
        Locked<ObjectList> objects(d->objectList);
        g_dragState.target = objects->count - 1;
    }
    POINT p = {750, 601};
    FindHookTarget(d.get(), &p, FALSE);   // warm-up, makes the index
    t0 = BenchMicroseconds();
    for (int i = 0; i < kTimed; ++i) {
        p = {700 + i % 50, 601};
        FindHookTarget(d.get(), &p, FALSE);
    }
    const double perSearch = (BenchMicroseconds() - t0) / kTimed;
    DropHitIndex();
    g_dragState = IdleDragState();
    d.Unlock();
    std::printf("%5d shapes: %9.1f us per press, %9.1f us per press after a change, %9.1f us per hook search\n", n,
                perPress, perChangedPress, perSearch);
    CloseBenchDrawing(&w);
}

void SelectAll(int n)
{
    BenchDrawing w;
    if (!Build(&w, n, 4)) {
        std::printf("%5d shapes: could not build\n", n);
        return;
    }
    double total = 0;
    for (int i = 0; i < 5; ++i) {
        const double t0 = BenchMicroseconds();
        SelectObjectsInRect(w.view, nullptr);
        total += BenchMicroseconds() - t0;
        Locked<Drawing> d(DrawingOf(w));
        DeselectAll(d.get());
    }
    std::printf("%5d shapes in %4d groups: %9.1f us per Select All\n", n, n / 4, total / 5);
    CloseBenchDrawing(&w);
}

}  // namespace

int main()
{
    StartBench();
    for (int n : {1000, 16000}) Presses(n);
    for (int n : {4000, 16000}) SelectAll(n);
    return 0;
}
