// Setting up a drag once the press knows what it hit, its XOR feedback, and the small geometry of
// dragging: the grid snap, handle codes and the click-or-drag wait.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// Clocks of the click-or-drag rule: the press message's time and the tick count. Tests replace
// them so that no test waits for real time.
typedef DWORD (*DragClock)();
extern DragClock g_pressTimeSource;
extern DragClock g_tickCountSource;

// A press held this long is a drag, released earlier a click.
constexpr DWORD kClickMilliseconds = 200;

// Fills the drag state for `hitCode` on `target` (object row, group index when the hit class is
// -1, or the class being created): feedback rect, anchor, second point, axis lock, aspect,
// cursor, hook state, move set, placement rect. `defaultSize` is a size to create or place
// with, or none. 0, or non-zero when the drag is refused (1: nothing to move, else an error).
int PrepareDrag(Drawing* drawing, int hitCode, int target, RECT* trackRect, POINT* anchor, POINT* secondPoint,
                INT32* axisLock, const SIZE* defaultSize, BOOL shift, RECT* localRect, POINT* unsnapped);

// One XOR drawing of the drag's feedback; drawn again it erases itself.
void DrawDragFeedback(HDC dc, Drawing* drawing, int target, int hitCode, int subtype, const RECT* trackRect,
                      POINT point);

// Moves the point (drawing units) onto the nearest subdivision of the drawing's ruler; the zoom
// is not used.
void SnapPointToGrid(Drawing* drawing, POINT* point, int zoom);

// Handle code of the corner or side of `rect` on which (x, y) lies, tested with exact
// equality: left-bottom 3, left-top 1, right-top 2, right-bottom 4, then right 8, left 7,
// top 5, anything else 6.
int HandleCodeAtPoint(const RECT* rect, int x, int y);

// The opposite handle code: 1-4, 2-3, 5-6, 7-8 exchanged; any other code gives 1.
int OppositeSide(int code);

// 1 when the button is still held 200 ms after the press; 0 when a button message for the view
// reached the queue first. Sets the drag's click deadline.
int IsButtonHeld(HWND view);

// The member of the group of `groupRow` that is hooked to something outside the group (the
// last in list order), -1 when none.
int FindGroupMemberHookedOutside(ObjectList* objects, int groupRow);

// Distance from the frame's top to the baseline of the object's first text line; 0 when the
// object has no readable text with a line.
int GetTextBaselineOffset(ObjectList* objects, int row);

// Repaints the object's area at once through the view's off-screen buffer.
void RepaintObjectArea(Drawing* drawing, ObjectList* objects, int row);

// A one-device-pixel frame of `rect` in PATINVERT, as the rubber band is drawn; drawn again it
// erases itself.
void DrawInvertedFrame(HDC dc, const RECT& rect);

// The dotted XOR outline of `rect` turned by `angle` about the centre of `centre`.
void DrawRotatedFrameOutline(HDC dc, const RECT* rect, const RECT* centre, int angle);
