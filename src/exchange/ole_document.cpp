// The OLE side of a document window. No OLE objects exist yet: a view has none, its notices
// have nobody to tell, and a template's preview is a blank picture of the preview's size.
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

int BuildPreviewPicture(HWND, DocumentState* state, const RECT* rect)
{
    int width = rect->right - rect->left, height = rect->bottom - rect->top;
    DWORD rowBytes = ((static_cast<DWORD>(width) * 24 + 31) / 32) * 4;
    DWORD dibSize = sizeof(BITMAPINFOHEADER) + rowBytes * height;
    HGLOBAL record = nullptr;
    int err = LoadRecord(state->storeSlot, RecDocument, RecPreviewId, &record);
    if (err == StoreKeyMissing)
        err = AddRecord(state->storeSlot, RecDocument, RecPreviewId, dibSize + kBlockHeaderSize, &record);
    else if (!err && GetBlockSize(record) != static_cast<LONG>(dibSize + kBlockHeaderSize))
        err = ResizeRecord(&record, dibSize + kBlockHeaderSize);
    if (err) return err;
    {
        Locked<BYTE> bytes(record);
        if (!bytes) {
            ReleaseBlock(record);
            return ErrOutOfMemory;
        }
        auto* header = reinterpret_cast<BITMAPINFOHEADER*>(bytes.get() + kBlockHeaderSize);
        std::memset(header, 0, sizeof(*header));
        header->biSize = sizeof(BITMAPINFOHEADER);
        header->biWidth = width;
        header->biHeight = height;
        header->biPlanes = 1;
        header->biBitCount = 24;
        header->biCompression = BI_RGB;
        header->biSizeImage = rowBytes * height;
        std::memset(header + 1, 0xFF, rowBytes * height);   // white
    }
    err = MarkBlockDirty(record);
    ReleaseBlock(record);
    return err;
}
