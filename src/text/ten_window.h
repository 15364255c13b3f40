// The text editor control: the TENClass window class, its window procedure, creating and
// destroying an editor, loading a text block, region bands and the small queries of the menus.
#pragma once

#include <windows.h>

#include "text/ten_messages.h"
#include "text/text_records.h"

// Process-wide: a press in some editor started a mouse drag; no editor takes a new press.
extern BOOL g_tenTracking;

// Registers "TENClass": 0, or 10002 when the class cannot be registered. Registering again
// (the class exists) succeeds.
int RegisterTenClass(HINSTANCE instance);
LRESULT CALLBACK TENProc(HWND editor, UINT message, WPARAM wParam, LPARAM lParam);

// WM_CREATE: 0, 1 without a font list, font map or reference device, 10004 when memory or a
// device context runs out (the window is then left without state).
int TenCreate(HWND editor, const TenCreateParams* params);
int TenDestroy(HWND editor);
// Attaches a band table; the editor owns it from now on. 0.
int TenSetRegions(HWND editor, HGLOBAL bands, int count);
// The "TENClipClass" format number when the clipboard holds it, 1 for CF_TEXT, else 0.
UINT CanPasteText(HWND owner);
// 1 when the editor is not in whole-text mode and its selection is not empty.
int TenHasSelection(HWND editor);
// The undo kind; `redo` receives whether the next undo is a redo.
int TenGetUndoState(HWND editor, int* redo);
// Replaces the whole content with `block` (null: an empty text): 0, or 10004 when memory runs
// out, the window has no state or the block does not hold a consistent text (the old content
// then stays). Flags: 2 repaint, 0x100 no auto-size.
int TenLoadTextBlock(HWND editor, WPARAM flags, const TextBlock* block);
// Whether a block's counts, size and runs describe a text this editor can take.
BOOL IsLoadableTextBlock(const TextBlock* block, int editorFormatCount);
