// The text editor and the Windows clipboard: "TENClipClass" (a TextBlock keeping every format)
// and CF_TEXT for other programs.
#pragma once

#include <windows.h>

// The selection is too large to copy.
constexpr int ErrSelectionTooLarge = 5002;
// Clipboard data this large or larger is refused.
constexpr SIZE_T kLargestPaste = 32001;
// Plain text is pasted up to this many characters.
constexpr int kPlainPasteLimit = 20000;

// 0, 5002 or 10004 (also when the clipboard cannot be opened: nothing was placed).
int TenCopy(HWND owner, HWND editor);
// Cut (copy first) or Clear: 0 or an error; nothing is deleted when the copy failed.
int TenCut(HWND owner, HWND editor, BOOL copyFirst);
int TenPaste(HWND owner, HWND editor);
