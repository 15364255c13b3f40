// Program entry point.
#include <windows.h>

#include "frame/frame_startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show)
{
    BOOL runLoop = FALSE;
    int start = StartProgram(instance, commandLine, show, &runLoop);
    if (!runLoop) {
        if (start > 1) return start - 1;
        ExitApplication();
        return 0;
    }
    int code = RunMessageLoop();
    ExitApplication();
    return code;
}
