// Program entry point.
#include <windows.h>

#include "model/window_utils.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    g_hInstance = instance;
    return 0;
}
