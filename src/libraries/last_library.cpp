// The library most recently opened.
#include "libraries/last_library.h"

ATOM LastLibraryAtom = 0;
