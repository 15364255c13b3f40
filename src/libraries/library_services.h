// The symbol libraries as the documents use them: their windows and the last opened library.
#pragma once

#include <windows.h>

// What the documents read of one of the 16 library slots.
struct LibrarySlot {
    HWND window;   // 0 when the slot has no library window
    BOOL docked;   // the window is docked in a document window
};
constexpr int kLibrarySlots = 16;
extern LibrarySlot g_librarySlots[kLibrarySlots];

// Global atom of the path of the most recently opened library; 0 when none.
extern ATOM g_lastLibraryAtom;

// True when the options mark any library to be reopened.
BOOL IsAnyLibraryMarkedOpen();
// Index of the first library slot that has a window, or -1.
int FirstOpenLibrarySlot();
// Opens library windows (see the callers); 0 or non-zero on failure.
int OpenLibraryWindow(int flag, int slot, LPCSTR path, HWND documentWindow);
// Destroys the windows of all 16 library slots.
void DestroyLibraryWindows();
// True when the file is a symbol library; no library file is recognised yet.
BOOL IsLibraryFile(LPCSTR path);
// Opens the library for the active document; not built yet, does nothing.
void OpenLibraryFile(LPCSTR path);

// The current library item (the palette's library tool places it): a library slot and the
// item's record number, -1 when none is current.
extern int g_currentLibrarySlot;
extern int g_currentLibraryItem;
// Index of the item in the slot's item table, -1 when absent; no library holds items yet.
int FindLibraryItemIndex(int slot, int item);

// The drag of a move or a placement over the library windows: 1 when the cursor is over a library
// window that takes it (with `takeOver`, that window then holds the capture). No library window
// takes drags yet: the stand-in in g_trackDragOverLibraries answers 0.
int TrackDragOverLibraries(HWND view, BOOL takeOver);
extern int (*g_trackDragOverLibraries)(HWND view, BOOL takeOver);

// Places the current library item in the view's drawing over `rect`; 0 or an error. Adds nothing
// until the libraries hold items.
int PlaceVexletInDrawing(HWND view, const RECT* rect);
