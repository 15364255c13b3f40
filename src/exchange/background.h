// The drawing's background colour, which objects filled with it follow.
#pragma once

#include <windows.h>

// Sets the active drawing's background: `index` below 0 takes `color` (-1 none), 0-47 a
// standard colour, 48 and above none. Attached labels filled with the old background take the
// new one. `quiet`: no undo step and no message (the caller holds the checkpoint). 0, 1 without
// an active document, or an error.
int SetBackgroundColor(int index, COLORREF color, BOOL quiet);
