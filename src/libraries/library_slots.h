// The 16 library slots: what each library window holds of its open library and its layout, and
// the services of the slot table that the library file operations use.
#pragma once

#include <windows.h>

struct LibraryItemTable;
struct LibraryInfo;

// One slot of the process-wide table; its index names the library window everywhere. The
// window and docked come first: they are what the document code reads of a slot.
struct LibrarySlot {
    HWND window = nullptr;         // the library window, 0 when the slot is free
    BOOL docked = FALSE;           // a strip docked in a document window
    int store = -1;                // block store of the open library, -1 when none
    HGLOBAL itemTable = nullptr;   // record 200/0, kept locked while the library is open
    LibraryItemTable* items = nullptr;
    HGLOBAL info = nullptr;        // record 200/1, likewise
    LibraryInfo* infoRecord = nullptr;
    int width = 0;                 // window size in pixels, as the layout left it
    int height = 0;
    int shownItems = 0;            // items laid out and painted
    int columns = 0;               // the button grid
    int rows = 0;
    int compactionNeeded = 0;      // an item was removed: compact when closed or replaced
    int readOnly = 0;              // the file could only be opened for reading
    int buttonSize = 0;            // button edge in pixels: 30, 50 or 70
    HPALETTE palette = nullptr;    // on 8-bit displays only
    HGLOBAL buttonImage = nullptr; // packed DIB of every button face, 0 when none
};
constexpr int kLibrarySlots = 16;
extern LibrarySlot g_librarySlots[kLibrarySlots];

// Index of the first slot that has a window, or -1.
int FirstOpenLibrarySlot();
// The first slot whose saved folder and file, joined, equal the path (case-insensitive); with
// `openOnly` only slots with a window and an open store count. -1 when none.
int FindLibrarySlotByPath(LPCSTR path, BOOL openOnly);
void SetShownItemCount(int slot, int count);
// Remembers in the slot's saved entry its window's size, position (frame client coordinates)
// and minimised state, and in the library's info its grid.
void SaveLibraryPlacement(int slot);
// The slot's saved folder becomes the path's drive and directory, its saved file the name and
// extension.
void SetSavedLibraryPath(int slot, LPCSTR path);
