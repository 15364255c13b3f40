// The view's one drag under way, process-wide. The object classes read the drag mode and the
// hook candidates the view found under the ends of a line being created or dragged.
#pragma once

#include <windows.h>

// Drag modes the object classes read: creating with a tool, placing a dragged-in object.
enum TrackModeValue { TrackCreateByDrag = 11, TrackPlaceDragged = 18 };

struct DragState {
    INT32 trackMode;        // 0 while no drag is under way
    INT32 hookTarget;       // row of the hook candidate under the moving end, -1 none
    POINT hookPoint;        // its attach point in the candidate's 0..600 box
    INT32 hookHolderCode;   // the end that will hook: 1 the first point, else the last
    INT32 startHookTarget;  // row under the anchor of a line being created, -1 none
    POINT startHookPoint;   // its attach point
};

extern DragState g_dragState;

// A drag state with no drag and no candidates.
inline DragState IdleDragState()
{
    return DragState{0, -1, {0, 0}, 0, -1, {0, 0}};
}
