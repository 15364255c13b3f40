// The Text menu's commands, the palette's text-style buttons and the Edit commands: in the open
// text editor of the active drawing, or on the text of the selected objects.
#pragma once

#include <windows.h>

#include "text/text_records.h"

// The open editor of a drawing view: its first child when that is a TENClass window.
HWND FindTextEditor(HWND view);

// Codes: 1 Undo, 2 Cut, 3 Copy, 4 Paste, 5 Clear, 6 bold, 7 italic, 8 underline, 9 superscript,
// 10 subscript, 12 Select All, 13 larger, 14 smaller, 30 Text Sizing, 47 Shape Sizing, 53 Edit
// Shape Outline. Beeps without an active document.
void CmdEditOrTextStyle(int operation);
// The style codes on the selected objects' text.
void ApplyTextStyleToSelection(HWND view, int code);
void CmdTextTypeface();
// `index` into the standard colours.
void CmdTextColor(int index);
void CmdInsertSymbol();
// Horizontal code 20 left, 21 right, 22 centre, 23 justified; vertical 20 top, 21 bottom, 22
// middle. Other codes do nothing.
void CmdTextAlignment(int horizontal, int vertical);
// Gives the selected paragraphs `format`; the selection stays widened to whole paragraphs when
// `keepExtended`. Nothing when the editor's table is full.
void ApplyParagraphFormat(HWND editor, const ParagraphFormat* format, BOOL keepExtended);
// Kind 0 none, 1-4 the bullet pictures.
void CmdTextBullets(int kind);

// Typeface 601, Insert Symbol 609, the alignments 620-623, 630-633, 640-643 and the bullets
// 650-654: whether `id` was one of them.
BOOL DispatchTextCommand(int id);
