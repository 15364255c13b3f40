// The symbol libraries as the documents use them. No library window exists yet: none is marked
// open, none has a window, and opening one fails without a word.
#include "libraries/library_services.h"

ATOM g_lastLibraryAtom = 0;

BOOL IsAnyLibraryMarkedOpen()
{
    return FALSE;
}

int FirstOpenLibrarySlot()
{
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
