// Layout and painting of the library windows. The windows are not built yet: no button is
// drawn, no grid is laid out and no library palette is made.
#include "libraries/library_layout.h"

void DrawLibraryButtonState(int, int, BOOL)
{
}

void RefreshLibraryWindow(int)
{
}
