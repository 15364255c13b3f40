// Program entry point.
#include <windows.h>

#include "frame/frame_ui.h"
#include "frame/object_classes.h"
#include "model/class_protocol.h"
#include "model/resource_strings.h"
#include "text/font_cache.h"
#include "text/ten_window.h"
#include "text/text_engine.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    g_hInstance = instance;
    // Start-up stops when a class slot stays empty or the text engine cannot be set up.
    if (InstallObjectClasses() != 0) return 1;
    int result = RegisterTenClass(instance);
    if (result == 0) result = CreateFramePens();
    if (result == 0) result = InitTextEngine();
    if (result == 0) result = InitFontCache();
    FreeFontCache();
    TermTextEngine();
    DeleteFramePens();
    RemoveClassHandlers();
    return result == 0 ? 0 : 1;
}
