// The OLE side of a document window as the documents use it: its link record and object table,
// the state of its first OLE object and the notices after a save.
#pragma once

#include <windows.h>

struct DocumentState;

// Process-wide: the program was started for embedding, and the user has since taken control.
extern BOOL g_embeddingStart;
extern BOOL g_userHasControl;

// Gives the view its OLE link record and object table: 0 or an error.
int InitOleDocument(HWND view, HGLOBAL stateBlock, BOOL embedded);
// State of the view's first OLE object: 0 file, 1 embedded, 2 linked item, 3 closing; 0 when
// it has none.
int GetOleObjectState(HWND view);
void SetOleObjectState(HWND view, int state);
// The container's document name of the view's first OLE object into `buffer` (at most `size`
// characters); empty when the view has a state but no object.
void GetOleContainerName(char* buffer, HWND view, int size);
// Revokes the running-object registration and closes the view's OLE objects.
void CloseOleDocument(HGLOBAL stateBlock);
// After a save: tells the clients the data was saved and clears the modified bit.
void NotifyOleSaved(HWND view);
// After a save under a new name re-registers the file name.
void ReregisterOleDocument(HWND view, BOOL wasUntitled);
