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
void ShowMenuCommandHelp(int id);
void HelpCommand(int id);
// The Welcome dialog keeps its choice (a new drawing) and answers OK.
int RunWelcomeDialog(LPCSTR templateName, int* choice, int helpContext);
// The template chooser answers OK with an empty path: the empty drawing.
int RunTemplateDialog(char* folder, char* path);
// The Open dialog, answered like the Save dialog: 1 with `path` chosen, 0 after Cancel.
int RunOpenFileDialog(HWND owner, int templateId, char* path, UINT filterId, UINT titleId, BOOL offerNew,
                      int helpContext, int* fileType, int typeBase, char* folder);
typedef int (*OpenFileDialogPrompt)(char* path, int* fileType, const char* folder);
extern OpenFileDialogPrompt g_openFileDialogPrompt;
// Flips the grid flag of the settings and repaints every view.
void ToggleShowGrid();
void UpdateMenuPopup(HMENU popup, int index);
