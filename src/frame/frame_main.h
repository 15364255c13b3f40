// The frame window and command dispatch, the document window and the view window, and the
// menu state that follows activation.
#pragma once

#include <windows.h>

// The ten popups of the frame's menu bar: File, Edit, View, Shapes, Lines, Text, Draw,
// Libraries, Window, Help.
extern HMENU g_topMenus[10];
extern HCURSOR g_cursorTable[18];
extern BOOL g_embedded;
extern BOOL g_mailAvailable;
extern BOOL g_oleStarted;

// Where DispatchCommand sends an id.
enum CommandOwner {
    OwnerNone, OwnerFile, OwnerEdit, OwnerView, OwnerShapes, OwnerLines, OwnerText, OwnerDraw, OwnerWindow,
    OwnerHelp, OwnerLibraries, OwnerStyle, OwnerTextColor, OwnerBackground,
};
struct CommandRoute {
    CommandOwner owner;
    int message;   // the class message of an OwnerStyle route
    int value;     // what the handler receives
};
CommandRoute RouteCommand(int id);
void DispatchCommand(int id);

// Window classes of the frame in registration order; 0 or 10001 (an icon) or 10002.
int RegisterWindowClasses(HINSTANCE instance);

// The Shapes, Lines, Text and Draw popup whose hint shows when the menu closes, and whether each
// of those four hints was shown in this run.
extern HMENU g_pendingHintMenu;
extern BOOL g_menuHintShown[4];

// Position of the Send submenu in the File menu, -1 when it was removed.
int SendSubmenuPosition(HMENU file);
// The palette of the active drawing window, null without one.
HPALETTE GetActiveDocumentPalette();
void SetDocumentMenusEnabled(int grey);
void UpdateFileMenu();
void ForwardActivateToActiveDocument(int state, HWND other);
void ForwardActivateToView(HWND documentWindow, int state, HWND other);
void OnViewActivate(HWND view, int state);
// Opens a path handed over by a second start, the command line or a drop.
void OpenHandedPath(char* path, BOOL print);
BOOL UpdateViewCursor(HWND view);
void ShowTextTooLongWarning();
void HandleDroppedFiles(HDROP drop);
