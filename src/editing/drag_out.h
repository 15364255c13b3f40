// Dragging out of the view: a move drag that leaves the frame goes on as an OLE drag of the
// dragged objects, copied or moved.
#pragma once

#include <windows.h>

struct DocumentState;

// Runs the OLE drag of the move set once the cursor left the frame. A drop ends the view's drag by
// a posted release (the dragged objects removed first when they were moved); any other end gives
// the drag back to the view with the capture. The private clipboard store is kept as it was.
void DragObjectsOut(HWND view, DocumentState* state, POINT device);

// Removes the objects of the move set after a move drop, as one undoable step (label 30); a
// failure is rolled back without a message. 0 or the error.
int DeleteDraggedObjects(HWND view, DocumentState* state);
