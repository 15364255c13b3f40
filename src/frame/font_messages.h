// The frame's answers to the font cache: flushing it (0x4CA) and the too-many-fonts warning
// (0x4CB), both posted by the cache's budget.
#pragma once

#include <windows.h>

// The string-table warning shown once the cache may no longer be flushed.
constexpr UINT IDS_TOO_MANY_FONTS = 13;

// Handles 0x4CA and 0x4CB for the frame window procedure: TRUE when `message` was one of them.
BOOL HandleFontCacheMessage(HWND frame, UINT message);
