// String-table texts of the program's resources.
#pragma once

#include <windows.h>


// The program's instance handle, set once at start-up; resources are loaded from it.
extern HINSTANCE g_hInstance;

// Loads string-table text `id` into `buffer` (at least 261 bytes): at most 260 characters
// and a terminating zero. The buffer is emptied first; 10001 when nothing was loaded.
int LoadResString(UINT id, char* buffer);
