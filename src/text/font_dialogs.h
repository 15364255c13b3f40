// The font dialogs: face, size and style for text in a document's font slots, and a LOGFONT
// kept in 1/600 inch; both centred over the frame with help on topic 113.
#pragma once

#include <windows.h>

#include <commdlg.h>

// The one call that shows the system's font dialog: tests answer here instead of a person.
typedef BOOL (*ChooseFontCall)(CHOOSEFONTA* choose);
extern ChooseFontCall g_chooseFontCall;

// The style word that stands for a selection of mixed styles.
constexpr int kFontDialogMixedStyle = 0x4000;

// `slot` (negative: mixed faces), `size` in points (0 or less: mixed sizes) and `style` (1 bold,
// 2 italic, 4 underline, 0x40 strike-out; 0x4000 mixed) in and out. Without `map` the slot is a
// list index. 1 after OK, 0 after Cancel, -1 when the slot leads to no entry of the list (no
// dialog is shown then).
int ChooseTypefaceDialog(HWND owner, HGLOBAL list, HGLOBAL map, HDC dc, int* slot, int* size, int* style);
// `font` has its height in 1/600 inch: 1 and the changed font after OK, 0 (unchanged) after Cancel.
int ChooseLogFontDialog(HWND owner, LOGFONTA* font);
// The hook of both dialogs: centres them and routes Help and F1 to the help topic. Always 0.
extern "C" UINT_PTR CALLBACK VXFontHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The Insert Symbol dialog: `face` (LF_FACESIZE bytes) out, `code` in and out (codes from 128 as
// negative numbers), `fontChosen` out. Nonzero after OK.
int RunSymbolDialog(char* face, int* code, BOOL* fontChosen);
typedef int (*SymbolDialogCall)(char* face, int* code, BOOL* fontChosen);
extern SymbolDialogCall g_symbolDialogCall;
