// The drawing fixture with the program's own class handlers, for the straight-line tests: lines
// added through AddObject and messages sent straight to the line class.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "documents/document_state.h"
#include "editing/edit_services.h"
#include "lines/line_class.h"
#include "lines/line_geometry.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "store/block_store.h"
#include "support/drawing_fixture.h"

// Sets the view's drag mode for the lifetime of the guard.
class TrackModeScope {
public:
    explicit TrackModeScope(int mode) : saved_(g_dragState.trackMode) { g_dragState.trackMode = mode; }
    ~TrackModeScope() { g_dragState.trackMode = saved_; }
    TrackModeScope(const TrackModeScope&) = delete;
    TrackModeScope& operator=(const TrackModeScope&) = delete;

private:
    int saved_;
};

class LineClass : public DrawingFixture {
protected:
    // Adds a line over the normalised rect spanned by the two points, created as a drag from
    // (x1, y1) to (x2, y2) would create it (the corner code of the first point), with its shadow
    // hidden so that the bounds are the line's own.
    int AddLine(int x1, int y1, int x2, int y2)
    {
        const RECT rect{x1 < x2 ? x1 : x2, y1 < y2 ? y1 : y2, x1 < x2 ? x2 : x1, y1 < y2 ? y2 : y1};
        const int corner = (x1 <= x2 ? (y1 <= y2 ? 1 : 3) : (y1 <= y2 ? 2 : 4));
        const int row = AddAt(ClassLine, rect, 0, corner, 0);
        Change(row, [](DrawObject& o, Drawing& d) {
            o.options |= OptShadowHidden;
            RecalcLineBounds(&d, &o);
        });
        return row;
    }
    LONG Send(int row, int message, int a = 0, int b = 0, void* p = nullptr)
    {
        Locked<Drawing> d(state_->drawing);
        Locked<ObjectList> objects(d->objectList);
        return SED_LineDHandler(nullptr, d.get(), objects.get(), row, message, a, b, p);
    }
    LONG SendDC(HDC dc, int row, int message, int a = 0, int b = 0, void* p = nullptr)
    {
        Locked<Drawing> d(state_->drawing);
        Locked<ObjectList> objects(d->objectList);
        return SED_LineDHandler(dc, d.get(), objects.get(), row, message, a, b, p);
    }
    // A pointer in an integer argument of the protocol.
    template <typename T>
    static int Arg(T* pointer)
    {
        return static_cast<int>(reinterpret_cast<INT_PTR>(pointer));
    }
};
