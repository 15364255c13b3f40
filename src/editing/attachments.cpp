// Attachments of objects.
#include "editing/attachments.h"

#include "frame/frame_services.h"
#include "model/drawing.h"
#include "store/block_store.h"

int HasAttachment(int storeSlot, const DrawObject* object)
{
    HGLOBAL block = nullptr;
    if (LoadRecord(storeSlot, 117, object->objId, &block)) return 0;
    ReleaseBlock(block);
    return 1;
}

void DrawAttachmentMarker(HDC dc, const RECT* rect)
{
    if (g_noDecorations) return;
    int saved = SaveDC(dc);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Rectangle(dc, rect->left, rect->top, rect->right, rect->bottom);
    POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    LPtoDP(dc, corners, 2);
    int inset = (corners[1].x - corners[0].x > 5 && corners[1].y - corners[0].y > 5) ? 2 : 0;
    POINT pixel[2] = {{0, 0}, {inset, inset}};
    DPtoLP(dc, pixel, 2);
    int ix = pixel[1].x - pixel[0].x, iy = pixel[1].y - pixel[0].y;
    int cx = rect->left + (rect->right - rect->left) / 2;
    int cy = rect->top + (rect->bottom - rect->top) / 2;
    MoveToEx(dc, cx, rect->top + iy, nullptr);
    LineTo(dc, cx, rect->bottom - iy);
    MoveToEx(dc, rect->left + ix, cy, nullptr);
    LineTo(dc, rect->right - ix, cy);
    RestoreDC(dc, saved);
}

void OpenAttachmentCommand() {}
void AttachFileCommand() {}
void ClearAttachmentsCommand() {}
