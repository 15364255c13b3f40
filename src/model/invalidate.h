// Redraw in drawing units.
#pragma once

#include <windows.h>


// Invalidates a rect in logical units (none: the whole client area), without erasing; a rect
// empty in width or height still covers one device pixel either side.
void InvalidateLogicalRect(HWND window, const RECT* rect);
