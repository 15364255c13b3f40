// Adding and deleting objects, run by hand under Wine: drawings of 1,000, 4,000 and 16,000 shapes;
// prints microseconds per add (each its own undo step, selecting the new shape, as the drawing
// tools add) and per delete of one object with no checkpoint open, of the newest row and of the
// first row (every later row moves down).
#include <windows.h>

#include <cstdio>

#include "bench_clock.h"
#include "bench_drawing.h"
#include "model/objects.h"
#include "shapes/shape_kinds.h"
#include "store/store_checkpoint.h"

namespace {

constexpr int kTimed = 50;   // adds or deletes timed at each size

int Count(const BenchDrawing& w)
{
    Locked<Drawing> d(DrawingOf(w));
    Locked<ObjectList> objects(d->objectList);
    return objects->count;
}

// `ownStep`: the add takes its own checkpoint and selects the shape, as a drawing tool does.
int AddShape(const BenchDrawing& w, int i, bool ownStep)
{
    const int x = 600 + (i % 100) * 40, y = 600 + (i / 100) * 40;
    RECT r = {x, y, x + 120, y + 120};
    return AddObject(w.view, ClassShape, &r, ShapeRectangle, 0, 0, FALSE, ownStep ? FALSE : TRUE, nullptr,
                     ownStep ? TRUE : FALSE);
}

// Microseconds per delete of `kTimed` objects, one call each, from the newest row or the first.
double TimeDeletes(const BenchDrawing& w, bool firstRow)
{
    const double t0 = BenchMicroseconds();
    for (int i = 0; i < kTimed; ++i) {
        Locked<Drawing> d(DrawingOf(w));
        const int row = firstRow ? 0 : Count(w) - 1;
        if (DeleteObjects(d.get(), FALSE, row)) return -1;
    }
    return (BenchMicroseconds() - t0) / kTimed;
}

void Sizes(int n)
{
    BenchDrawing w;
    if (!OpenBenchDrawing(&w)) {
        std::printf("%5d shapes: could not open a drawing\n", n);
        return;
    }
    // The drawing is built without undo steps; only the timed adds take theirs.
    for (int i = 0; i < n - kTimed - 1; ++i) {
        if (AddShape(w, i, false)) {
            std::printf("%5d shapes: building failed at %d\n", n, i);
            CloseBenchDrawing(&w);
            return;
        }
    }
    AddShape(w, n, true);   // warm-up
    double t0 = BenchMicroseconds();
    for (int i = 0; i < kTimed; ++i) AddShape(w, i, true);
    const double perAdd = (BenchMicroseconds() - t0) / kTimed;
    const int built = Count(w);
    DiscardStoreCheckpoint(w.slot);

    TimeDeletes(w, false);   // warm-up
    const double perLastDelete = TimeDeletes(w, false);
    for (int i = 0; i < kTimed + 1; ++i) AddShape(w, i, false);   // back to n
    const double perFirstDelete = TimeDeletes(w, true);
    std::printf("%5d shapes: %9.1f us per add, %9.1f us per delete of the newest, %9.1f us per delete of the first\n",
                built, perAdd, perLastDelete, perFirstDelete);
    CloseBenchDrawing(&w);
}

}  // namespace

int main()
{
    StartBench();
    for (int n : {1000, 4000, 16000}) Sizes(n);
    return 0;
}
