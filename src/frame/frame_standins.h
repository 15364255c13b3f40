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
void EndHelpMode();
void ShowMenuCommandHelp(int id);
void HelpCommand(int id);
// The Welcome dialog keeps its choice (a new drawing) and answers OK.
int RunWelcomeDialog(LPCSTR templateName, int* choice, int helpContext);
// The template chooser answers OK with an empty path: the empty drawing.
int RunTemplateDialog(char* folder, char* path);
void UpdateMenuPopup(HMENU popup, int index);
// The palette is not built yet: the tool chosen last is only recorded (108 the pointer, 109 text).
void SelectPaletteTool(int tool);
int CurrentPaletteTool();
