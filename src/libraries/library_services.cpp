// The symbol libraries as the documents use them. No library window is made yet: none is marked
// open and opening one fails without a word.
#include "libraries/library_services.h"

ATOM g_lastLibraryAtom = 0;

BOOL IsAnyLibraryMarkedOpen()
{
    return FALSE;
}

int OpenLibraryWindow(int, int, LPCSTR, HWND)
{
    return 1;
}

void DestroyLibraryWindows()
{
}

void OpenLibraryFile(LPCSTR)
{
}

int FindLibraryItemIndex(int slot, int recordNumber)
{
    if (slot < 0 || slot >= kLibrarySlots || recordNumber < 0) return -1;
    const LibraryItemTable* table = g_librarySlots[slot].items;
    if (!table) return -1;
    int index = -1;
    for (int i = 0; i < table->count && i < kLibraryMaxItems; ++i) {
        if (table->items[i].recordNumber == recordNumber) index = i;
    }
    return index;
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
