// What the arranging commands share: the reference object, a class message with its redraw,
// the group rescale after a member's size changed, the active drawing view.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

struct DocumentState;

namespace arrange {

// The object the relative commands measure against: the current object when it is a selected
// row, else the frontmost selected one (a selection may lose its current object); -1 when none.
int ReferenceRow(Drawing* drawing, ObjectList* objects);
// Invalidates the object, sends the message, invalidates it again.
int SendRedrawn(Drawing* drawing, ObjectList* objects, int row, int message, int a = 0, int b = 0,
                void* p = nullptr);
// The group of a member whose frame changed from `before` to its frame now takes the change:
// the group scales by the member's factors (1 in a direction where `before` is empty), moves
// as the member's top-left moved but stays on the drawing area, and the member's own frame is
// put back before the group scales it with the others. 0 for an object in no group.
int ScaleGroupForMember(HWND view, DocumentState* state, Drawing* drawing, ObjectList* objects, int row,
                        const RECT& before);
// A group frame resized by (dw, dh) under the layout rule of proportional groups; 10009 when
// the proportional size would exceed the drawing.
int ProportionalDelta(Drawing* drawing, int layout, int mode, LONG w, LONG h, LONG* dw, LONG* dh);
// The active document's view when it holds a drawing, else none.
HWND ActiveDrawingView();

}  // namespace arrange

namespace arrange {

// Opens the drawing, its object list and group table (and the paint order with `zOrder`) for
// change under the running checkpoint.
int BeginTableChanges(DocumentState* state, Drawing* drawing, BOOL zOrder);
// A frame grown by (dx, dy) at its right and bottom under a handle layout: 1 the width only,
// 2 the height only, 3 the proportions kept, anything else both freely.
RECT ResizedByLayout(const RECT& frame, int layout, LONG dx, LONG dy);

}  // namespace arrange
