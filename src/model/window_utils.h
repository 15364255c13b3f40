// Small services of the window layer shared by the whole program: centring, dialog fonts, the
// active document, message parameters, scroll ranges and the view's ViewInfo.
#pragma once
#include <windows.h>

// Moves the window, keeping its size, so that its centre lies over the other's centre, with
// both coordinates at least 0; no repaint.
void CenterWindowOver(HWND window, HWND other);

// Gives the program's dialog font (when it exists) to the dialog's controls first..last.
void SetDialogFont(HWND dialog, int firstId, int lastId);

// The active document window, none when no document is open; `maximized` when asked.
HWND GetActiveDocument(BOOL* maximized);

// 16-bit fields of message parameters.
void UnpackCommand(WPARAM wParam, LPARAM lParam, int* id, int* code, HWND* control);
void UnpackScroll(WPARAM wParam, LPARAM lParam, int* code, int* position, HWND* scrollBar);
HWND UnpackActivate(LPARAM lParam, WPARAM wParam, int* state);

// Scroll ranges alike before and after Windows 4: from 4 on the page is set too, and the
// maximum raised by it so that the thumb's highest position equals the maximum given.
void SetScrollRangeCompat(HWND window, int bar, int minimum, int maximum, int page, BOOL redraw);
void GetScrollRangeCompat(HWND window, int bar, int* minimum, int* maximum);

#pragma pack(push, 1)
// One per drawing view, a 16-byte movable block in window long 0 of the view.
struct ViewInfo {
    INT32 width;    // drawing width, 600 per inch
    INT32 height;
    INT32 zoom;     // per mille, 0 = 100 %
    DWORD flags;    // ViewFlags
};
#pragma pack(pop)
static_assert(sizeof(ViewInfo) == 16);

enum ViewFlags : DWORD { ViewFitMode = 0x1, ViewFitPage = 0x2 };

// Allocates the view's ViewInfo into window long 0; a negative zoom turns fit mode on with
// zoom 0. 10004 when memory is short.
int CreateViewInfo(HWND view, int width, int height, int zoom, DWORD flags);
// Frees the block held in that window long, if any, and clears the long.
void FreeViewInfo(HWND window, int longIndex);
// The view's zoom (0 without a ViewInfo, `fit` then untouched); `fit` is 1 when fit mode fits
// the window.
int GetViewZoom(HWND view, int* fit);
