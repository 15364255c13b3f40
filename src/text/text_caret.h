// Moving the caret, or the active end of the selection, with the arrow keys, Home and End, by
// characters, words and lines; and what separates words.
#pragma once

#include <windows.h>

#include "text/text_records.h"

// Character step -1, 1, -32767 (Home), 32767 (End); line step -1, 0, 1 (Home and End: 1, with
// Ctrl -1). Shift, read from the keyboard, extends the selection; Ctrl or `wordFlag` steps by
// words. 0.
int MoveCaretByKey(HWND editor, TenState* state, int charStep, int lineStep, BOOL wordFlag);
// 1 when the character separates words.
int IsWordBreakChar(int character, BOOL fieldMode);
