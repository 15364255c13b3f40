// The drag after its press: the tracking of mouse moves, the release, the double click and the
// ruler guide brush. These do the least the press needs until the tracking itself is built.
#pragma once

#include <windows.h>

struct DocumentState;

// A mouse move of the drag under way; does nothing yet.
void TrackViewMouse(HWND view, DocumentState* state, WPARAM keys, POINT point);
// The release: erases the feedback and the hook marks and frees the drag's sets; commits nothing
// yet.
void EndViewTracking(HWND view, DocumentState* state, POINT point, WPARAM keys);
// A double click on an object; does nothing yet.
void OpenObjectAtPoint(HWND view, DocumentState* state, POINT point);
// The brush of ruler guide lines; none yet.
HBRUSH GetGuideBrush();
