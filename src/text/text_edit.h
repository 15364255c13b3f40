// Changing the characters of an editor: inserting typed or pasted text and text blocks, deleting
// ranges, Backspace and Delete, whole-text mode, and the paragraph-format table that blocks add to.
#pragma once

#include <windows.h>

#include "text/text_records.h"

// The longest text an editor holds, and the result of an insertion that would pass it.
constexpr int kMaxTextBytes = 0x7FFF;
constexpr int ErrTextTooLong = 5001;

// Undo kinds taken here.
constexpr int kUndoKindTyping = 2;
constexpr int kUndoKindDelete = 4;
constexpr int kUndoKindPaste = 8;

// Edit flags of TenReplaceSelection besides layout, repaint and undo.
constexpr WPARAM TenEditCaretBehind = 0x200;
constexpr WPARAM TenEditBlockOnlyClearsMode = 0x400;
constexpr WPARAM TenEditString = 0x1000;

// Inserts n characters at the selection start, replacing a non-empty selection first:
// 0, 5001 or 10004. `leaveSymbol` is a typed key's lParam, 1 for pasted or replaced text.
int TenInsertPlainText(TenState* state, const char* chars, int n, BOOL* paragraphEndDeleted, BOOL* refused,
                       LPARAM leaveSymbol);
// TEN_REPLACESELECTION: length not 0 (or edit flag 0x1000): `data` is a string of that length; else a
// TextBlock.
int TenReplaceSelection(HWND editor, const void* data, int length, WPARAM flags);
int TenInsertTextBlock(TenState* state, const TextBlock* block, WPARAM flags);
// 1 when a paragraph end was among the deleted characters, else 0.
int DeleteTextRange(TenState* state, int from, int to);
// Key 8 Backspace, 46 Delete, 0 deletes the selection (TEN_EDITCHAR).
int EditTextChar(HWND editor, int key, WPARAM flags);
// TEN_SETWHOLETEXTMODE.
int TenSetWholeTextMode(HWND editor, WPARAM flags, BOOL on);

BOOL GetDbcsMode();
BOOL SameParagraphFormat(const ParagraphFormat* a, const ParagraphFormat* b);
// TEN_FINDORADDPARAGRAPHFORMAT: the index of an equal format, appended when new; -1 when the table is full (500)
// or cannot grow.
int FindOrAddParagraphFormat(TenState* state, const ParagraphFormat* format);

// Whether the undo snapshot of a typing step must be taken: not while a typing series goes on.
BOOL TypingStartsNewUndo(const TenState* state);
// After a change of the characters: lays out lines first to stop, auto-sizes, finds the selection
// ends again and, with edit flag 2, repaints and scrolls the selection start into view.
int RelayoutEditedLines(HWND editor, TenState* state, int firstLine, int stopLine, WPARAM flags,
                        BOOL paragraphEndDeleted);
// One past the first line at or after `line` that ends a paragraph (the line count when none).
int PastParagraphEnd(const TenState* state, int line);
