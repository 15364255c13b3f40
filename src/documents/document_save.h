// Saving a document: the store brought up to date, a new drawing file written completely
// beside the target and then put in its place, the document bound to the saved file.
#pragma once

#include <windows.h>

// File types of a save.
enum SaveFileType { SaveAsDrawing = 1, SaveAsTemplate = 2 };

int SaveDocument(HWND documentWindow);
int SaveAsCommand();
int SaveDocumentAs(HWND documentWindow, LPCSTR path, BOOL samePath, int fileType);
int SaveDocumentInPlace(HWND documentWindow);
int WriteDocumentToFile(HWND documentWindow, LPCSTR path, int fileType);
int FlushDocumentState(HWND documentWindow, BOOL asTemplate);
void RebindDocumentFile(HWND documentWindow, LPCSTR path);
// 2 for the extension ".VXT" (any case), else 1.
int GetFileTypeByExtension(LPCSTR path);
// The name a new file is written under before it replaces `path`: `path` with its last
// character replaced by '$' ('~' when it already ends in '$', so that it never names the
// target itself). `sibling` holds 262 bytes.
void GetSaveSiblingName(LPCSTR path, char* sibling);

// The file calls of a save, replaceable by tests: the drawing writer and the final replace.
struct DocumentSaveCalls {
    int (*writeDrawing)(LPCSTR path, HGLOBAL* image, DWORD* imageLength, struct DocumentState* state);
    BOOL (*replaceFile)(LPCSTR from, LPCSTR to, DWORD flags);
};
extern DocumentSaveCalls g_documentSaveCalls;
