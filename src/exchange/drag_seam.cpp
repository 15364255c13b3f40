// The OLE drag of objects out of a drawing view.
#include "exchange/drag_seam.h"

#include <ole2.h>

namespace {

HRESULT CancelDrag(DragDataObject*, DWORD, DWORD* effect)
{
    if (effect) *effect = DROPEFFECT_NONE;
    return DRAGDROP_S_CANCEL;
}

}  // namespace

DragDataObject g_dragDataObject = {};
OleDragRunner g_oleDragRunner = CancelDrag;

HRESULT RunObjectDrag(DWORD allowed, DWORD* effect)
{
    DWORD chosen = DROPEFFECT_NONE;
    const HRESULT result = (g_oleDragRunner ? g_oleDragRunner : CancelDrag)(&g_dragDataObject, allowed, &chosen);
    if (effect) *effect = chosen;
    return result;
}
