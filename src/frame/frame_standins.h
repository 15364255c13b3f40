// Services of the frame that are not built yet: each does the least its callers need.
#pragma once

#include <windows.h>

int RegisterToolTipClass();
void EndToolTips();
int LayoutPaletteButtons();
int BuildOwnerDrawnMenus();
// The right-button menu is not built yet: no RIGHTMENU, so views show no popup.
int LoadRightButtonMenu();
BOOL IsRightMenuLoaded();
void DestroyRightButtonMenu();
BOOL IsHelpMode();
// Ends the context-help mode and restores the arrow cursor.
void LeaveHelpMode();
void ShowMenuCommandHelp(int id);
void HelpCommand(int id);
// F1 in an open menu asks for the help of the item highlighted last.
void RememberMenuItem(int item);
// Whether the help viewer was opened in this run (it is then told to quit with the frame).
BOOL WasHelpShown();
// The Welcome dialog keeps its choice (a new drawing) and answers OK.
int RunWelcomeDialog(LPCSTR templateName, int* choice, int helpContext);
// The template chooser answers OK with an empty path: the empty drawing.
int RunTemplateDialog(char* folder, char* path);
void UpdateMenuPopup(HMENU popup, int index);

// Menu rules of the popups other than File; each popup is the menu bar's or a right-button one.
void UpdateEditMenu(HMENU popup);
void UpdateViewMenu(HMENU popup);
void UpdateShapesMenu(HMENU popup);
void UpdateLinesMenu(HMENU popup);
void UpdateTextMenu();
void UpdateDrawMenu(HMENU popup);
void UpdateLibrariesMenu(HMENU popup);

// Owner-drawn menu items: pictures, colour swatches and shadings.
void MeasureMenuPictureItem(MEASUREITEMSTRUCT* item);
void MeasureMenuColorItem(MEASUREITEMSTRUCT* item);
void MeasureMenuShadingItem(MEASUREITEMSTRUCT* item);
void DrawMenuPictureItem(const DRAWITEMSTRUCT* item);
void DrawMenuSwatchItem(const DRAWITEMSTRUCT* item, HPALETTE palette);
// Set while a swatch stands for a fill colour, clear for a line or text colour.
extern BOOL g_swatchIsFill;

// Notices of the system: fonts, printers, colours and palettes.
void OnFontChange();
void OnDevModeChange(LPCSTR deviceName);
void OnWinIniChange(LPCSTR sectionName);
void RefreshLibraryPictures();
BOOL RealizeViewPalette(HWND view, BOOL background);
void OnPaletteChanged(HWND changedBy);
LRESULT OnQueryNewPalette();

// Hides (non-zero) or shows the palette buttons that need a drawing.
void ShowPaletteTools(int hide);
// Shows the pointer's drawing position (client point, or -1 for the cursor's) in the corner box.
void ShowCursorPosition(HWND view, LPARAM point);

// Window procedures of the rulers and the custom controls; until they are built their windows
// behave as plain windows.
extern const WNDPROC SEHRuler;
extern const WNDPROC SEVRuler;
extern const WNDPROC SEXRuler;
extern const WNDPROC SEIcnBtn;
extern const WNDPROC SampleWindowProc;
extern const WNDPROC BitmapWindowProc;
extern const WNDPROC CharArrayHandler;
