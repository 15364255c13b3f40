// The drag after its press, in its least form.
#include "editing/view_tracking.h"

#include "documents/document_state.h"
#include "editing/drag_setup.h"
#include "editing/drag_state.h"
#include "editing/hit_test.h"
#include "editing/hook_targets.h"
#include "model/drawing.h"
#include "model/move_set.h"

void TrackViewMouse(HWND, DocumentState*, WPARAM, POINT) {}

void EndViewTracking(HWND view, DocumentState* state, POINT, WPARAM)
{
    DragState& s = g_dragState;
    Locked<Drawing> drawing(state ? state->drawing : nullptr);
    if (drawing) {
        if (s.feedbackShown) {
            ViewDrawingDC dc(view);
            if (dc.get()) DrawDragFeedback(dc.get(), drawing.get(), s.target, s.hitCode, s.subtype, &s.trackRect, s.secondPoint);
            s.feedbackShown = 0;
        }
        ClearDragHookMarks(drawing.get(), TRUE);
        Locked<ObjectList> objects(drawing->objectList);
        FreeObjectVector(&s.moveSet, objects.get());
        FreeObjectVector(&s.excludeSet, objects.get());
    }
    DropHitIndex();
}

void OpenObjectAtPoint(HWND, DocumentState*, POINT) {}

HBRUSH GetGuideBrush() { return nullptr; }
