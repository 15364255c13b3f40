// The Open and Save dialogs of documents, pictures and text.
#pragma once

#include <windows.h>

// The Save dialog: `path` (260 bytes) in and out, `fileType` out (1 drawing, 2 template,
// anything else All Files). Returns 1 after OK, 0 after Cancel.
int RunSaveFileDialog(HWND owner, int templateId, char* path, UINT filterId, UINT titleId, int helpContext,
                      int* fileType, int typeBase, char* folder);
// The common Open (or, with `save`, Save) dialog over drawings, templates and all files, in
// `folder`: 1 after OK with `fileType` the chosen filter (1-3), 0 after Cancel.
int RunCommonFileDialog(BOOL save, char* path, int* fileType, const char* folder);
typedef int (*SaveFileDialogPrompt)(char* path, int* fileType, const char* folder);
extern SaveFileDialogPrompt g_saveFileDialogPrompt;

// The Open dialog, answered like the Save dialog: 1 with `path` chosen, 0 after Cancel.
int RunOpenFileDialog(HWND owner, int templateId, char* path, UINT filterId, UINT titleId, BOOL offerNew,
                      int helpContext, int* fileType, int typeBase, char* folder);
typedef int (*OpenFileDialogPrompt)(char* path, int* fileType, const char* folder);
extern OpenFileDialogPrompt g_openFileDialogPrompt;
