// How a document leaves: the save question, the teardown of its window and view, closing
// every document at exit, and the documents of a drive about to be removed.
#pragma once

#include <windows.h>

void CloseActiveDocument();
// True when every document closed; false when one refused.
BOOL CloseAllDocuments();
// 6 Yes (saved), 7 No (nothing to save or not saved), 2 Cancel (keep the document open).
int QuerySaveChanges(HWND documentWindow, BOOL answerYes);
void PrepareDocumentClose(HWND documentWindow);
// WM_DESTROY of the document window and of its view.
void DestroyDocumentFile(HWND documentWindow);
void DestroyDocumentState(HWND view);
// WM_DEVICECHANGE of the frame: true allows the event, false refuses it.
BOOL HandleDeviceChange(UINT event, LPARAM data);

// The print preview window, closed before the documents at exit; none while no preview is open.
extern HWND g_printPreviewWindow;
