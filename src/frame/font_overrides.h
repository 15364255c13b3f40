// Font adjustments the string table may ask of every font the program describes itself.
#pragma once

#include <windows.h>

// Replaces the face (width then 0), the character set and the height of `font` by the
// string-table entries 529, 530 and 531, each only when its entry is not empty.
void ApplyFontOverrides(LOGFONTA* font);
