// The OLE side of a document window. No OLE objects exist yet: a view has none and its notices
// have nobody to tell.
#include "exchange/ole_document.h"

#include <cstring>

#include "documents/document_life.h"
#include "model/drawing.h"
#include "store/block_store.h"

BOOL g_embeddingStart = FALSE;
BOOL g_userHasControl = FALSE;

int InitOleDocument(HWND, HGLOBAL, BOOL)
{
    return 0;
}

int GetOleObjectState(HWND)
{
    return 0;
}

void SetOleObjectState(HWND, int)
{
}

void GetOleContainerName(char* buffer, HWND view, int size)
{
    if (size > 0 && view && GetDocumentStateHandle(view)) buffer[0] = 0;
}

void CloseOleDocument(HGLOBAL)
{
}

void NotifyOleSaved(HWND view)
{
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return;
    Locked<DocumentState> state(stateBlock);
    if (state) state->flags &= ~static_cast<DWORD>(DocModified);
}

void ReregisterOleDocument(HWND, BOOL)
{
}
