// Program entry point.
#include <windows.h>

#include "frame/object_classes.h"
#include "model/class_protocol.h"
#include "model/resource_strings.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    g_hInstance = instance;
    // Start-up stops when a class slot stays empty.
    if (InstallObjectClasses() != 0) return 1;
    RemoveClassHandlers();
    return 0;
}
