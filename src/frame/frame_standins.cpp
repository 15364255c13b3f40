// Services of the frame that are not built yet: each does the least its callers need.
#include "frame/frame_standins.h"

#include <commdlg.h>

#include "documents/options.h"
#include "frame/frame_services.h"
#include "frame/frame_windows.h"

int RegisterToolTipClass() { return 0; }
void EndToolTips() {}
int LayoutPaletteButtons() { return 0; }
int BuildOwnerDrawnMenus() { return 0; }
int LoadRightButtonMenu() { return 0; }
BOOL IsRightMenuLoaded() { return FALSE; }
void DestroyRightButtonMenu() {}
BOOL IsHelpMode() { return FALSE; }
void EndHelpMode() {}
void ShowMenuCommandHelp(int) {}
void HelpCommand(int) {}
void UpdateMenuPopup(HMENU, int) {}

int RunWelcomeDialog(LPCSTR, int*, int)
{
    return 1;
}

int RunTemplateDialog(char*, char* path)
{
    path[0] = 0;
    return 1;
}

namespace {
int currentPaletteTool = 108;
}

void SelectPaletteTool(int tool)
{
    currentPaletteTool = tool;
}

int CurrentPaletteTool()
{
    return currentPaletteTool;
}
