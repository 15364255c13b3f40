// Growing the object being edited in place with its text: the view's answer to the editor's
// size request, and the editor margins that follow the shape's text area.
#pragma once

#include <windows.h>

// The editor's request for a new size (`size` points to width and height in drawing units):
// moves the frame of the edited object around the side its text alignment names, keeps it in
// the drawing area, moves the editor there and repaints what a narrower editor uncovers. 1
// always; nothing changes for a request that is not from an editor of drawing text.
LRESULT OnEditorSizeRequest(HWND view, LPARAM size);

// Corrects the editor's margins (and, for a fitted text, the requested size) by how much the
// shape's text inset changes from the editor's size to the requested one. `marginChange` gets
// the inset change per side and `shadow` the drawing's shadow margins (0 without the editor's
// shadow flag).
void AdjustEditorMargins(HWND view, HWND editor, INT32* size, RECT* marginChange, RECT* shadow);
