// Services of the frame that are not built yet: each does the least its callers need.
#include "frame/frame_standins.h"

#include <commdlg.h>

#include "documents/options.h"
#include "frame/frame_services.h"
#include "frame/frame_ui.h"
#include "frame/frame_windows.h"

int RegisterToolTipClass() { return 0; }
void EndToolTips() {}
int LayoutPaletteButtons() { return 0; }
int BuildOwnerDrawnMenus() { return 0; }
int LoadRightButtonMenu() { return 0; }
BOOL IsRightMenuLoaded() { return g_rightButtonMenu != nullptr; }
void DestroyRightButtonMenu() {}
BOOL IsHelpMode() { return FALSE; }
void LeaveHelpMode() {}
void ShowMenuCommandHelp(int) {}
void HelpCommand(int) {}
void RememberMenuItem(int) {}
BOOL WasHelpShown() { return FALSE; }
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

void UpdateEditMenu(HMENU) {}
void UpdateViewMenu(HMENU) {}
void UpdateShapesMenu(HMENU) {}
void UpdateLinesMenu(HMENU) {}
void UpdateTextMenu() {}
void UpdateDrawMenu(HMENU) {}
void UpdateLibrariesMenu(HMENU) {}

BOOL g_swatchIsFill = TRUE;
void MeasureMenuPictureItem(MEASUREITEMSTRUCT*) {}
void MeasureMenuColorItem(MEASUREITEMSTRUCT*) {}
void MeasureMenuShadingItem(MEASUREITEMSTRUCT*) {}
void DrawMenuPictureItem(const DRAWITEMSTRUCT*) {}
void DrawMenuSwatchItem(const DRAWITEMSTRUCT*, HPALETTE) {}

void OnFontChange() {}
void OnDevModeChange(LPCSTR) {}
void OnWinIniChange(LPCSTR) {}
void RefreshLibraryPictures() {}
BOOL RealizeViewPalette(HWND, BOOL) { return FALSE; }
void OnPaletteChanged(HWND) {}
LRESULT OnQueryNewPalette() { return 0; }

void ShowPaletteTools(int) {}
void ShowCursorPosition(HWND, LPARAM) {}

const WNDPROC SEHRuler = DefWindowProcA;
const WNDPROC SEVRuler = DefWindowProcA;
const WNDPROC SEXRuler = DefWindowProcA;
const WNDPROC SEIcnBtn = DefWindowProcA;
const WNDPROC SampleWindowProc = DefWindowProcA;
const WNDPROC BitmapWindowProc = DefWindowProcA;
const WNDPROC CharArrayHandler = DefWindowProcA;
