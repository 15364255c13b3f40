// The view's one drag under way, process-wide: what the drag does (TrackMode), which part of an
// object the press hit (HitCode) and the record every step of the drag reads and writes. The
// object classes read the drag mode and the hook targets the view found under the ends of a line
// being created or dragged.
#pragma once

#include <windows.h>

struct ObjectVector;

// What a drag does; 0 while none is under way.
enum TrackMode : INT32 {
    TrackNone = 0,
    TrackRubberBand = 1,
    TrackCreateByDrag = 11,
    TrackResize = 12,
    TrackMove = 13,
    TrackVerticalGuide = 14,
    TrackHorizontalGuide = 15,
    TrackBothGuides = 16,
    TrackPlaceDragged = 18,
    TrackAdjust = 19,
    TrackRotate = 100,
};
// The old name the object classes use.
using TrackModeValue = TrackMode;

// The part of an object a point hits (the classes' OM_HITTEST answers and the view's own codes).
enum HitCode : INT32 {
    HitNothing = 0,
    HitLeftTop = 1,
    HitRightTop = 2,
    HitLeftBottom = 3,
    HitRightBottom = 4,
    HitTop = 5,
    HitBottom = 6,
    HitLeft = 7,
    HitRight = 8,
    HitClickOnly = 10,
    HitHorizontalLeft = 20,
    HitHorizontalRight = 21,
    HitVerticalTop = 22,
    HitVerticalBottom = 23,
    HitConnectorStart = 28,
    HitConnectorEnd = 29,
    HitBody = 40,
    HitVerticalBody = 41,
    HitHorizontalBody = 42,
    HitNewObject = 43,
    HitInterior = 44,
    HitAttachmentMark = 45,
    HitSegmentFirst = 50,
    HitSegmentLast = 53,
    HitAdjustFirst = 60,
    HitAdjustLast = 67,
    HitRotating = 100,
    HitRotateFirst = 140,
    HitRotateLast = 145,
};

// The kind of context menu a right press chose.
enum ContextMenuKindValue : int { ContextNone = -1, ContextShape = 0, ContextLine = 1, ContextBackground = 2, ContextText = 3 };

// Where a dragged end may hook: HookSearch in DragState::hookSearch.
enum HookSearch : INT32 { HookSearchAll = 0, HookSearchNone = 1, HookSearchArraysOnly = -1 };

struct DragState {
    INT32 trackMode;          // TrackMode
    INT32 hookTarget;         // row of the hook target under the dragged point, -1 none
    POINT hookPoint;          // its attach point in the target's 0..600 box
    INT32 hookHolderCode;     // holder-side point code that will be hooked
    INT32 startHookTarget;    // row hooked by the start of a line being created, -1 none
    POINT startHookPoint;     // its attach point
    HWND trackedView;         // the view holding the capture; none until a drag is armed
    INT32 hitCode;            // HitCode of the drag; codes above 100 stored as 100
    INT32 rotationHitCode;    // the rotation handle (140-145) of a rotate drag
    INT32 hitClass;           // class of the hit object, -1 for a group's handle
    INT32 target;             // object row, group index (hitClass -1) or the class being created
    INT32 subtype;            // shape or line type; 2 when a move drags several objects
    RECT trackRect;           // the feedback rectangle
    POINT anchor;             // the fixed point
    POINT secondPoint;        // a second reference point for the class feedback
    POINT pressPoint;         // the press point, turned back by a rotated object's angle
    POINT lastPoint;          // the last point the tracking accepted
    POINT lastRawPoint;       // the last converted mouse point
    RECT limitsRect;          // where the dragged point may go
    INT32 axisLock;           // 99 free, 1 only horizontal change, 2 only vertical change
    INT32 keepAspect;         // 1 when a resize keeps aspectRatio
    double aspectRatio;       // width / height of the frame at the press
    INT32 objectAngle;        // tenths of a degree
    double savedShapeParameter;
    INT32 feedbackShown;      // 1 while XOR feedback is on the screen
    INT32 clickPending;       // 1 while a move press may still be a click
    DWORD clickDeadline;      // message time of the press plus 200 ms
    INT32 savedCursor;        // cursor to restore when a hook target is left
    INT32 hookSearch;         // HookSearch
    INT32 hookSlot;           // hook slot of the dragged end, -1
    INT32 pressTarget;        // row the dragged end or object was hooked to at the press, -1
    INT32 markedTarget;       // row whose hook marks are on the screen, -1
    INT32 startMarkedTarget;  // the same for the start of a line being created
    POINT markedPoint;        // the attach point highlighted in those marks
    ObjectVector* moveSet;    // what moves with a move drag
    ObjectVector* excludeSet; // objects linked to the dragged one, never hook targets
    INT32 textBaselineOffset; // added to the reference point of a grid-snapped move
    INT32 droppedAway;        // 1 after an OLE drag-out with a move effect
};

extern DragState g_dragState;

// A drag state with no drag, no targets and no sets.
inline DragState IdleDragState()
{
    DragState s = {};
    s.hookTarget = -1;
    s.startHookTarget = -1;
    s.hookSlot = -1;
    s.pressTarget = -1;
    s.markedTarget = -1;
    s.startMarkedTarget = -1;
    s.axisLock = 99;
    return s;
}
