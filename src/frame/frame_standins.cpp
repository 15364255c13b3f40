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

int RunRealOpenDialog(char* path, int* fileType, const char* folder)
{
    return RunCommonFileDialog(FALSE, path, fileType, folder);
}

BOOL CALLBACK RepaintView(HWND window, LPARAM)
{
    char name[32];
    if (GetClassNameA(window, name, sizeof(name)) && lstrcmpA(name, "MDScrollClass") == 0)
        InvalidateRect(window, nullptr, FALSE);
    return TRUE;
}

}  // namespace

OpenFileDialogPrompt g_openFileDialogPrompt = RunRealOpenDialog;

int RunOpenFileDialog(HWND, int, char* path, UINT, UINT, BOOL, int, int* fileType, int, char* folder)
{
    path[0] = 0;
    return g_openFileDialogPrompt(path, fileType, folder);
}

void ToggleShowGrid()
{
    if (!g_settings) return;
    g_settings->flags ^= SetShowGrid;
    if (g_mdiClient) EnumChildWindows(g_mdiClient, RepaintView, 0);
}
