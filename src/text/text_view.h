// Between layout and the screen: growing the editor to its text, repainting strips of lines
// off-screen, the selection highlight, the caret, the selection positions, keeping the caret in
// view and telling the parent when the format at the caret changes.
#pragma once

#include <windows.h>

#include "text/text_records.h"

// Process-wide: what was last reported to a parent.
extern int g_reportedSelection;      // 1 non-empty, 0 empty
extern int g_reportedScriptSummary;  // -9 until the first report

// Grows or shrinks the editor to its text within its limits: high word the width change, low
// word the height change, each with 1 ORed in after a refit; 0 when nothing changed.
DWORD AutoSizeTextWindow(HWND editor, TenState* state);
// Asks the parent (TenNoticeResize) and resizes the window: the new height, 0 when refused.
int ResizeTextWindow(HWND editor, TenState* state, int width, int height);
// Draws the editor's lines first up to end on `dc`, measured on the reference device, with
// inverse text on light grey.
void RenderEditorLines(TenState* state, HDC dc, int first, int end);
// Repaints lines first up to end (exclusive) through the off-screen bitmap.
void RedrawLines(HWND editor, TenState* state, int first, int end, BOOL wholeWindow);
// A band separator bar at y (band index, or -1 for the overflow bar).
void DrawRegionSeparator(TenState* state, HDC dc, int band, int y, int width);
// Inverts the highlight between two positions.
void InvertSelection(HDC dc, TenState* state, const TextPos* from, const TextPos* to);
void ShowTextCaret(HWND editor, TenState* state);
void HideTextCaret(HWND editor);
// Fills a position for a character index; its run goes to `outRun` too when given.
void ResolveTextPosition(TenState* state, TextPos* position, int index, int* outRun);
void RefreshSelectionEnds(HWND editor, TenState* state);
// Scrolls the parent so that the position (or the selection) is visible: the negated amounts,
// horizontal low word, vertical high word, device units.
DWORD ScrollCaretIntoView(HWND editor, TenState* state, const TextLine* lines, const TextPos* position,
                          BOOL step);
// Format notices: 0x80 everything changed, 0x100 update without posting, 0x200 post without
// updating the typing format.
constexpr UINT TenNotifyAll = 0x80;
constexpr UINT TenNotifyQuiet = 0x100;
constexpr UINT TenNotifyKeepTyping = 0x200;
void NotifyFormatChange(HWND editor, TenState* state, UINT flags);
