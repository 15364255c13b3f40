// The frame's answers to the font cache: flushing it (VXM_FLUSHFONTS) and the too-many-fonts
// warning (VXM_TOOMANYFONTS), both posted by the cache's budget.
#pragma once

#include <windows.h>

// Handles VXM_FLUSHFONTS and VXM_TOOMANYFONTS for the frame window procedure: TRUE when `message` was one of them.
BOOL HandleFontCacheMessage(HWND frame, UINT message);
