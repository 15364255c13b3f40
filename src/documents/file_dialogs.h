// The common Open and Save dialogs of every file the program asks for: the filter from the
// string table, the old-style or Explorer-style template by Windows version, the New button,
// help, default extensions that follow the chosen type, and the folder the user went to.
#pragma once

#include <windows.h>

#include <commdlg.h>

// Returned by RunOpenFileDialog when the New button ended the dialog.
constexpr int kFileDialogNew = 99;

// Valid while one dialog runs; the hooks read and write it.
struct FileDialogState {
    int helpContext;
    int chosenIndex;           // 1-based type index in the filter; 99 after New
    BOOL offerNew;
    BOOL saveDialog;
    int typeBase;              // 0, or 100 for the picture types
    char defaultExtension[8];  // what the dialog reads as its default extension
};
extern FileDialogState g_fileDialogState;

// The one call that shows the dialog (GetOpenFileName or GetSaveFileName): tests answer here
// instead of a person; nonzero after OK.
typedef BOOL (*FileDialogCall)(OPENFILENAMEA* ofn, BOOL save);
extern FileDialogCall g_fileDialogCall;

// `path` (262 bytes) in and out, `folder` (262 bytes, may be null) in and out, without its
// trailing backslash. Returns the 1-based index of the chosen type in the filter, 99 for New
// (only with `allowNew`), 0 for Cancel.
int RunOpenFileDialog(HWND owner, int templateId, char* path, UINT filterId, UINT titleId, BOOL allowNew,
                      int helpId, int initialType, int typeBase, char* folder);
// The same for the Save dialog, which never offers New; on OK `path` is the full chosen path.
int RunSaveFileDialog(HWND owner, int templateId, char* path, UINT filterId, UINT titleId, int helpId,
                      int initialType, int typeBase, char* folder);

// Hook of the old-style dialogs (template 1536).
UINT_PTR CALLBACK SEOpenHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Hook of the Explorer-style dialogs: `child` is the added template, its parent the dialog.
UINT_PTR CALLBACK SEExplorerHook(HWND child, UINT message, WPARAM wParam, LPARAM lParam);

// Sets the default extension of type code `number` + 1 (a negative number: the type selected
// in the list 1136, plus the base) and gives the name in field 1152 that extension when it has
// one. Codes without an extension of their own change nothing.
void SetDialogDefaultExtension(HWND dialog, int number);

// Installs the program's dialog message filter (F1 becomes command 30001) for its lifetime;
// scopes nest.
class HelpFilterScope {
public:
    HelpFilterScope();
    ~HelpFilterScope();
    HelpFilterScope(const HelpFilterScope&) = delete;
    HelpFilterScope& operator=(const HelpFilterScope&) = delete;

private:
    HHOOK hook_;
};
