// Services of the frame that the model and the object classes use: the program's windows and
// start-up facts, cursors, warnings and hint dialogs, palettes.
#pragma once

#include <windows.h>

struct DocumentState;

// Set at start-up by the frame.
extern HWND g_frameWindow;
extern HWND g_mdiClient;
extern HWND g_paletteWindow;     // the toolbar palette, null when it does not exist
extern HFONT g_dialogFont;
extern int g_windowsMajorVersion;
extern BOOL g_isWindowsNT;
extern BOOL g_monochromeDisplay;    // the frame's screen has 1 bit per pixel in 1 plane
extern BOOL g_sixteenColorDisplay;  // bits per pixel times planes equal 4
extern BOOL g_warningsSuppressed;  // set while saving and during OLE calls
extern BOOL g_noDecorations;       // rendering for output without screen decorations
extern HBRUSH g_handlePatternBrush; // the pattern brush of locked objects' handles, made at start-up
extern HDC g_backBufferDC;          // the off-screen memory DC shared by all views, or none
extern HBITMAP g_backBitmap;        // the bitmap selected into it
extern HBITMAP g_backFirstBitmap;   // the bitmap it was made with
extern POINT PendingPastePoint;    // screen point of a context-menu paste; x above 0 means set

// Every message box and hint dialog of the program is shown through these two pointers, so
// that a test can answer in place of a person. The defaults show the real box and dialog.
typedef int (*MessageBoxPrompt)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
typedef int (*InfoDialogPrompt)(LPCSTR dialogName, int helpContext);
extern MessageBoxPrompt g_messageBoxPrompt;
extern InfoDialogPrompt g_infoDialogPrompt;
// Told of every warning that a hidden frame does not show (none by default).
extern MessageBoxPrompt g_hiddenWarningNote;

// Selects cursor `index` (0-17) and records it; other values change nothing. Index 1 is the
// busy cursor. Returns the index.
int SetCursorByIndex(int index);
int GetCurrentCursorIndex();

// A task-modal warning with the string's text and the application title, unless warnings are
// suppressed or the frame is hidden; releases the mouse capture.
void ShowWarningById(UINT stringId);
// The same box with a text of the caller's.
void ShowWarningText(LPCSTR text);

// Shows an INFO_ or HINT_ dialog modally: 1 confirmed, 0 cancelled or not shown (frame hidden).
int RunInfoDialog(LPCSTR dialogName, int helpContext);

// ORs the halftone pattern over the rectangle inset by 2 pixels.
void GrayOutRect(HDC dc, const RECT* rect);

// On 8-bit displays rebuilds and realises the view's palette.
void BuildDocumentPalette(HWND view, DocumentState* state);

// Reloads the program's floating-point control word.
void ReloadFpuControlWord();
