// The library most recently opened, remembered process-wide for the documents and the options.
#pragma once

#include <windows.h>

// A global atom whose name is the path of the most recently opened library; 0 when none.
extern ATOM LastLibraryAtom;
