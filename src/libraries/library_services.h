// The symbol libraries as the documents use them: their windows and the last opened library.
#pragma once

#include <windows.h>

#include "libraries/current_vexlet.h"
#include "libraries/library_file.h"
#include "libraries/library_slots.h"

// Global atom of the path of the most recently opened library; 0 when none.
extern ATOM g_lastLibraryAtom;

// True when the options mark any library to be reopened.
BOOL IsAnyLibraryMarkedOpen();
// Opens library windows (see the callers); 0 or non-zero on failure.
int OpenLibraryWindow(int flag, int slot, LPCSTR path, HWND documentWindow);
// Destroys the windows of all 16 library slots.
void DestroyLibraryWindows();
// Opens the library for the active document; not built yet, does nothing.
void OpenLibraryFile(LPCSTR path);

// Index of the header of the item with that record number in the slot's item table; -1 when
// the slot has no table, the number is negative or no header has it (of several, the last).
int FindLibraryItemIndex(int slot, int recordNumber);

// The drag of a move or a placement over the library windows: 1 when the cursor is over a library
// window that takes it (with `takeOver`, that window then holds the capture). No library window
// takes drags yet: the stand-in in g_trackDragOverLibraries answers 0.
int TrackDragOverLibraries(HWND view, BOOL takeOver);
extern int (*g_trackDragOverLibraries)(HWND view, BOOL takeOver);

// Places the current library item in the view's drawing over `rect`; 0 or an error. Adds nothing
// until the libraries hold items.
int PlaceVexletInDrawing(HWND view, const RECT* rect);
