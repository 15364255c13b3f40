// The user's side of the text editor: keys and characters, button presses, drags and releases,
// the selection by characters and whole words, and the focus.
#pragma once

#include <windows.h>

#include "text/text_records.h"

void SetTextFocus(HWND editor, BOOL on);
// 1 when the key or character was taken, 0 to pass it to the parent.
int TenKeyDown(HWND editor, int virtualKey);
int TenChar(HWND editor, int character, LPARAM lParam);
// Points in device units of the editor's client area.
int TenMouseDown(HWND editor, WPARAM keyFlags, POINT point, BOOL doublePress);
int TenMouseMove(HWND editor, WPARAM keyFlags, POINT point);
int TenMouseUp(HWND editor, WPARAM keyFlags, POINT point);
// The character nearest to logical x in laid-out line `line`, its x and run (-1 past the line's end).
int NearestInLine(TenState* state, int line, int x, int* outX, int* outRun);
// The character index at a logical point, with its line, run and caret x.
int HitTestText(TenState* state, int x, int y, int* outLine, int* outRun, int* outCaretX);
// TEN_WORDSTEPFORWARD (+1) and TEN_WORDSTEPBACKWARD (-1): selects the next or the previous word. 0.
int TenWordStep(HWND editor, int direction);
// TEN_PLACECARET: the caret into the first visible line.
int TenPlaceCaret(HWND editor);
// Moves the active end of the selection to `position`, inverting only what changes.
void InvertSelectionChange(TenState* state, const TextPos* position, BOOL highlight, BOOL replace);
// Widens `start` back to its word's start and `end` forward past its word and the blanks after it
// (either may be null).
void ExpandToWordBoundaries(TenState* state, TextPos* start, TextPos* end, BOOL blanks);
// The character before `position` (0 when there is none), its index in `outIndex`.
int CharBeforePosition(const char* text, const TextRun* runs, int run, int position, int* outIndex);
