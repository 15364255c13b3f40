// The release of a drag: the last feedback erased, and the drag turned into one undoable change
// of the drawing (or none for a click).
#pragma once

#include <windows.h>

struct DocumentState;

// Ends the drag under way at the button's release. The point of the release is not used: the
// drag's last point counts. Shift and Ctrl come from `keys`.
void EndViewTracking(HWND view, DocumentState* state, POINT point, WPARAM keys);
