// The symbol libraries as the documents use them. No library window is made yet: none is marked
// open, the slots hold what their windows would, and opening one fails without a word.
#include "libraries/library_services.h"

LibrarySlot g_librarySlots[kLibrarySlots] = {};
ATOM g_lastLibraryAtom = 0;

BOOL IsAnyLibraryMarkedOpen()
{
    return FALSE;
}

int FirstOpenLibrarySlot()
{
    for (int slot = 0; slot < kLibrarySlots; ++slot) {
        if (g_librarySlots[slot].window) return slot;
    }
    return -1;
}

int OpenLibraryWindow(int, int, LPCSTR, HWND)
{
    return 1;
}

void DestroyLibraryWindows()
{
}

BOOL IsLibraryFile(LPCSTR)
{
    return FALSE;
}

void OpenLibraryFile(LPCSTR)
{
}

int g_currentLibrarySlot = -1;
int g_currentLibraryItem = -1;

int FindLibraryItemIndex(int, int)
{
    return -1;
}

namespace {

int NoLibraryTakesDrags(HWND, BOOL) { return 0; }

}  // namespace

int (*g_trackDragOverLibraries)(HWND, BOOL) = NoLibraryTakesDrags;

int TrackDragOverLibraries(HWND view, BOOL takeOver)
{
    return g_trackDragOverLibraries ? g_trackDragOverLibraries(view, takeOver) : 0;
}

int PlaceVexletInDrawing(HWND, const RECT*)
{
    return 0;
}
