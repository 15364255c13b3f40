// The program's life: the command line, the hand-over to a running copy, start-up of every
// subsystem in its order, the message loop and the shut-down.
#pragma once

#include <windows.h>

constexpr int kCommandText = 262;

void TrimBlanks(char* text);
// Fills the file, options path and print file (each kCommandText bytes) and the embedded flag.
void ParseCommandLine(LPCSTR commandLine, char* file, char* optionsPath, char* printFile, BOOL* embedded);

int LoadCursorTable(HINSTANCE instance);
HBITMAP LoadMenuBitmap(HINSTANCE instance, int resourceId, int* index);
HBITMAP GetMenuBitmap(int index);
void FreeMenuBitmaps();
int CreateSharedGdiObjects();
int RegisterClipboardFormats();
void CloseClipboardStore();
extern int g_clipboardStoreSlot;   // -1 when the clip store is not open
extern UINT g_pictureFormat;       // "VXPICT"
extern UINT g_namedPictureFormat;  // "VXNPICT"
extern WORD g_oleFormats[6];       // "Vexlor.2" ... "StdScale"

// Asks for a message queue of 96 entries, then 8 fewer each time; the size granted, 0 for none.
int SizeMessageQueue();
// Before Windows 4 the 3-D control library gives the dialogs their look: loaded and registered
// when present, unregistered and freed at the end.
void Register3dControls(HINSTANCE instance);
void Unregister3dControls(HINSTANCE instance);
BOOL Are3dControlsRegistered();

// The help file: the program's folder and "VEXLRK3.HLP".
LPCSTR HelpFilePath();

int InitApplication(HINSTANCE instance, HINSTANCE previous, int show, LPCSTR optionsPath);
int InitInstance(HINSTANCE instance, int show, LPCSTR optionsPath);
void ExitApplication();

// Finds the frame of a copy of the program that is already running, or null. Tests that run
// beside other test programs on one desktop answer it themselves.
extern HWND (*g_findRunningCopy)();

// The start of WinMain up to the message loop: 0 to run the loop, else the exit code plus one
// (1 for exit code 0). `runLoop` says whether the loop runs.
int StartProgram(HINSTANCE instance, LPCSTR commandLine, int show, BOOL* runLoop);
int RunMessageLoop();
