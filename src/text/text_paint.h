// The editor's geometry: painting the update area, a new client size, zoom or reference device,
// the part of the editor its parent shows, fonts around a flush of the font cache, and the box
// size in which the text fits when the box keeps its proportions.
#pragma once

#include <windows.h>

#include "text/text_records.h"

// The state block of an editor window (window word 0); null without state.
inline HGLOBAL TenStateHandle(HWND editor)
{
    return editor ? reinterpret_cast<HGLOBAL>(static_cast<LONG_PTR>(GetWindowLongA(editor, 0))) : nullptr;
}

// The editor's mapping, baseline alignment, background colour and transparent mode on `dc`.
void SetUpEditorDC(const TenState* state, HDC dc);
// Makes the off-screen context and bitmap again at the given size in pixels (cut to the screen
// height): FALSE, with no off-screen context left, when the bitmap cannot be made.
BOOL MakeOffscreenBitmap(TenState* state, int width, int height);

// `update` in device units of `dc`.
void TenPaint(HDC dc, HWND editor, const RECT* update);
int TenSize(HWND editor, int clientWidth, int clientHeight);
int TenUpdatePosition(HWND editor, LPARAM shift);
int TenSetZoom(HWND editor, int zoom, int force);
int TenSetReferenceDC(HWND editor, HDC dc);
int TenReleaseFonts(HWND editor);
int TenRemakeFonts(HWND editor);
// Finds the smallest height within `change` of the current one in which the text fits while the
// box keeps its proportions: 0 or 10004; the size goes to the out pair. `apply` keeps the
// margins of the new size and lays out at it.
int FitTextToBox(HWND editor, HGLOBAL stateHandle, int change, int* outWidth, int* outHeight, BOOL apply);
