// Character and paragraph formatting in the text editor: one attribute for the selection or the
// typing format, reading it back, the style toggles and the font dialog, alignment, wrap, extra
// spacing and selecting whole paragraphs.
#pragma once

#include <windows.h>

#include "text/ten_messages.h"
#include "text/text_records.h"

// Undo kinds of the formatting changes.
constexpr int kUndoKindFormat = 6;
constexpr int kUndoKindAlignment = 10;
constexpr int kUndoKindWrap = 12;
constexpr int kUndoKindSpacing = 14;
constexpr int kUndoKindParagraph = 18;
constexpr int kUndoKindSymbol = 22;

// Selectors of TEN_SETCHARFORMAT and TEN_GETCHARFORMAT (wParam AND kCharFormatSelectors).
constexpr WPARAM kCharFormatSelectors = 0x73FC;
constexpr WPARAM FormatFace = 0x4;
constexpr WPARAM FormatSize = 0x8;
constexpr WPARAM FormatStyle = 0x10;
constexpr WPARAM FormatColor = 0x20;
constexpr WPARAM FormatScript = 0x40;
constexpr WPARAM FormatParagraph = 0x80;
constexpr WPARAM FormatRunFlags = 0x100;
constexpr WPARAM FormatAttribute = 0x1000;
constexpr WPARAM FormatLarger = 0x2000;
constexpr WPARAM FormatSmaller = 0x4000;
// With the face selector: runs in a symbol face keep their face.
constexpr WPARAM TenEditKeepSymbolFace = 0x400;

// The style word of a selection whose bold, italic or underline differ between runs.
constexpr int kMixedStyle = 0x4000;

// TenNoticeWholeTextFormat codes to the parent: a format reached the whole text.
constexpr WPARAM WholeTextFace = 0;
constexpr WPARAM WholeTextSize = 1;
constexpr WPARAM WholeTextStyle = 2;
constexpr WPARAM WholeTextColor = 3;
constexpr WPARAM WholeTextBitsSet = 4;
constexpr WPARAM WholeTextBitsCleared = 5;

// TEN_SETCHARFORMAT: 0 or an error; a failed change puts the snapshot it took back.
int TenSetCharFormat(HWND editor, LPARAM value, WPARAM flags);
// Sets the attribute for the runs of the non-empty selection: 0 or 10004.
int ApplyCharFormatToSelection(TenState* state, LPARAM value, WPARAM flags);
// TEN_GETCHARFORMAT: the value; -1 when the runs differ (kMixedStyle for the style word).
int TenGetCharFormat(HWND editor, WPARAM selector);
// what: 1 bold, 2 italic, 4 underline, 16 superscript, 32 subscript. 0 or an error.
int TenToggleStyle(HWND editor, int what);
// TEN_FONTDIALOG: 1.
int TenFontDialog(HWND editor);
// TEN_GETPARAGRAPHFORMAT: 1.
int TenGetParagraphFormat(HWND editor, ParagraphFormat* format);
int TenSetAlignment(HWND editor, WPARAM flags, int alignment);
int TenGetAlignment(HWND editor);
int TenSetVerticalAlign(HWND editor, WPARAM flags, int verticalAlign);
int TenSetWrap(HWND editor, WPARAM flags, BOOL on);
int TenAdjustParagraphSpacing(HWND editor, WPARAM flags, int delta);
int TenGetFormatValue(HWND editor);
// TEN_SELECTPARAGRAPHS: the new selection, end in the high word, start in the low word.
DWORD TenSelectParagraphs(HWND editor, WPARAM flags);

// Whether the editor's selection spans its whole text.
BOOL TenSelectionIsWholeText(HWND editor);
