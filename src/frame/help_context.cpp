// The program's help file.
#include "frame/help_context.h"

#include "frame/frame_services.h"
#include "model/resource_strings.h"
#include "resource.h"

namespace {


void OpenHelpViewer(int context)
{
    char file[262];
    if (LoadResString(IDS_HELP_FILE, file)) return;
    if (context == -1) WinHelpA(g_frameWindow, file, HELP_PARTIALKEY, reinterpret_cast<ULONG_PTR>(""));
    else WinHelpA(g_frameWindow, file, HELP_CONTEXT, static_cast<ULONG_PTR>(context));
}

}  // namespace

HelpContextCall g_helpContextCall = OpenHelpViewer;

void ShowHelpContext(int context)
{
    g_helpContextCall(context);
}
