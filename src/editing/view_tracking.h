// The tracking loop of a drag: every mouse move while a drag is under way becomes the drag's
// current point (hook and grid snap, limits, Shift and Ctrl, the limits of rotated objects), the
// view scrolls while the cursor rests beyond its edge, and the XOR feedback follows. Nothing in
// the model changes here.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

struct DocumentState;

// A mouse move of the drag under way, (x, y) in device pixels of the view. The key flags of the
// message are not used: Shift and Ctrl are read from the keyboard at each test.
void TrackViewMouse(HWND view, DocumentState* state, WPARAM keys, POINT point);

// The resize constraints of a rotated object or group for the point (x, y): the point turned
// back into the unrotated frame, the axis lock, the aspect or square; the new frame in `rect`
// and the point (unrotated) in `point`.
void ConstrainRotatedResize(GroupTable* groups, ObjectList* objects, RECT* rect, int x, int y, POINT* point);

// Shift's constraint: the point moved so that the rectangle of `anchor` and the point keeps the
// drag's aspect ratio, at least 60 units high, inside the drag's limits. Without a usable ratio
// nothing changes.
void ConstrainToAspect(RECT* rect, POINT anchor, POINT* point);

// Ctrl's constraint: the shorter side grows to the longer one, inside the drag's limits.
void ConstrainToSquare(RECT* rect, POINT anchor, POINT* point);

// The point of a resize of a rotated object pulled back so that no corner of the turned frame
// leaves the drawing area (`point` clamped into the drag's limits before).
void CorrectRotatedResize(GroupTable* groups, ObjectList* objects, POINT* point);

// The point of a rotation drag held to the angle at which every corner of the turned object stays
// inside the drawing area of `areaWidth` x `areaHeight`.
void LimitRotation(Drawing* drawing, ObjectList* objects, GroupTable* groups, int areaWidth, int areaHeight,
                   POINT* point);

// One XOR drawing of the feedback of the drag under way, by its mode; drawn again it erases
// itself. `dc` is the view's, window origin 0,0 and the guide brush selected.
void DrawTrackFeedback(HWND view, HDC dc, Drawing* drawing, const DocumentState* state);

// The view's device context as a drag draws into it: window origin 0,0, the guide brush.
HDC GetTrackingDC(HWND view);

// Where a move snaps a shape to the grid: 1 its centre, 0 its top-left corner. The drawing
// record has no field for it yet; it lives here until it does.
extern int g_shapeSnapOption;
