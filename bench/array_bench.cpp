// Line-array benchmark, run by hand under Wine: an array with 100, 1,000 and 5,000 rectangle
// members; prints microseconds, total and per member, of a layout, of a member hooked on at the
// front (message 79 with its layout, and the propagation that moves every member along), and of
// a style change (message 83).
#include <windows.h>

#include <cstdio>
#include <initializer_list>

#include "bench_clock.h"
#include "bench_drawing.h"
#include "editing/drag_state.h"
#include "lines/array_layout.h"
#include "lines/array_record.h"
#include "model/invalidate.h"
#include "model/link_propagation.h"
#include "model/links.h"
#include "model/objects.h"
#include "shapes/shape_kinds.h"
#include "store/store_records.h"

namespace {

// Members 4 units along the trunk with no gap between them: 5,000 of them stay inside the
// 30,000-unit page, so that the propagation never pushes one off and pulls it back.
constexpr int kMemberWidth = 4;
constexpr int kMemberHeight = 240;
constexpr int kTrunkY = 600;
constexpr int kRounds = 9;   // the first of each is a warm-up

int AddRow(const BenchDrawing& w, int objClass, RECT r, int type, int a = 0)
{
    if (AddObject(w.view, objClass, &r, type, a, 0, FALSE, TRUE, nullptr, FALSE)) return -1;
    Locked<Drawing> d(DrawingOf(w));
    Locked<ObjectList> objects(d->objectList);
    return objects->count - 1;
}

// Hooks `member` on the array at `position` as the link code does: message 79 follows.
int HookOn(const BenchDrawing& w, int member, int array, int position)
{
    Locked<Drawing> d(DrawingOf(w));
    return AttachHook(d.get(), member, -1, array, 305, position, 0);
}

int Unhook(const BenchDrawing& w, int member)
{
    Locked<Drawing> d(DrawingOf(w));
    return AttachHook(d.get(), member, 0, -1, 0, 0, 0);
}

int Settle(const BenchDrawing& w)
{
    Locked<Drawing> d(DrawingOf(w));
    return PropagateLinks(d.get());
}

// One side, fed at the start, no gap: the longest trunk the members make.
bool PrepareArray(const BenchDrawing& w, int array)
{
    Locked<Drawing> d(DrawingOf(w));
    Locked<ObjectList> objects(d->objectList);
    HGLOBAL block = nullptr;
    if (LoadArrayData(d->header.slot, &(*objects)[array], &block)) return false;
    {
        Locked<ArrayData> data(block);
        data->style = 0;
        data->gap = 0;
    }
    MarkBlockDirty(block);
    ReleaseBlock(block);
    return true;
}

double TimeLayout(const BenchDrawing& w, int array)
{
    double best = 0;
    for (int i = 0; i < kRounds; ++i) {
        ValidateRect(w.view, nullptr);
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        {
            InvalidationBatch batch;
            Locked<Drawing> d(DrawingOf(w));
            Locked<ObjectList> objects(d->objectList);
            LayoutArray(d.get(), objects.get(), array);
        }
        QueryPerformanceCounter(&t1);
        const double us = Microseconds(t0, t1);
        if (i == 1 || (i > 1 && us < best)) best = us;
    }
    Settle(w);   // the layout flagged the members' links; nothing of it is left for the next timing
    return best;
}

// A new shape hooked on at position 0: every member entry moves up one place, the array is laid
// out and the propagation moves every member to its new branch end. The shape is unhooked again
// (untimed) so that each round starts from the same array.
double TimeFrontAdd(const BenchDrawing& w, int array)
{
    double best = 0;
    for (int i = 0; i < kRounds; ++i) {
        const int shape = AddRow(w, ClassShape, RECT{600, 1200, 600 + kMemberWidth, 1200 + kMemberHeight},
                                 ShapeRectangle);
        if (shape < 0) return -1;
        ValidateRect(w.view, nullptr);
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        {
            InvalidationBatch batch;
            HookOn(w, shape, array, 0);
            Settle(w);
        }
        QueryPerformanceCounter(&t1);
        const double us = Microseconds(t0, t1);
        if (i == 1 || (i > 1 && us < best)) best = us;
        Unhook(w, shape);
        Settle(w);
    }
    return best;
}

// Message 83 between "horiz both" and "horiz": every member entry refreshed for its side code
// and the array laid out; the members are settled afterwards, untimed.
double TimeStyleChange(const BenchDrawing& w, int array)
{
    double best = 0;
    for (int i = 0; i < kRounds; ++i) {
        INT32 values[2] = {0, (i % 2 ? 1618 : 1612) - 1601};
        ValidateRect(w.view, nullptr);
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        {
            InvalidationBatch batch;
            Locked<Drawing> d(DrawingOf(w));
            Locked<ObjectList> objects(d->objectList);
            SendClassMessage(nullptr, d.get(), objects.get(), array, OM_SETARRAYSTYLE, 0, 0, values);
        }
        QueryPerformanceCounter(&t1);
        const double us = Microseconds(t0, t1);
        if (i == 1 || (i > 1 && us < best)) best = us;
        Settle(w);
    }
    return best;
}

void Members(int n)
{
    BenchDrawing w;
    if (!OpenBenchDrawing(&w)) return;
    // A horizontal array whose trunk lies on the bottom of its frame (the drag ended at corner 4).
    const int array = AddRow(w, ClassArray, RECT{600, kTrunkY - 150, 1500, kTrunkY}, 0, 4);
    if (array < 0 || !PrepareArray(w, array)) {
        std::printf("array %5d members: could not be made\n", n);
        CloseBenchDrawing(&w);
        return;
    }
    // Members appended one by one, each at the end (each addition lays the array out).
    for (int i = 0; i < n; ++i) {
        const int x = 600 + i * kMemberWidth;
        const int shape =
            AddRow(w, ClassShape, RECT{x, kTrunkY + 150, x + kMemberWidth, kTrunkY + 150 + kMemberHeight},
                   ShapeRectangle);
        if (shape < 0 || HookOn(w, shape, array, i)) {
            std::printf("array %5d members: member %d could not be hooked\n", n, i);
            CloseBenchDrawing(&w);
            return;
        }
    }
    Settle(w);

    const double layout = TimeLayout(w, array);
    const double front = TimeFrontAdd(w, array);
    const double style = TimeStyleChange(w, array);
    std::printf("array %5d members: layout %9.0f us, %6.2f us per member\n", n, layout, layout / n);
    std::printf("                     member added at the front %9.0f us, %6.2f us per member\n", front,
                front / n);
    std::printf("                     style change %9.0f us, %6.2f us per member\n", style, style / n);
    CloseBenchDrawing(&w);
}

}  // namespace

int main()
{
    StartBench();
    g_dragState = IdleDragState();
    for (int n : {100, 1000, 5000}) Members(n);
    return 0;
}
