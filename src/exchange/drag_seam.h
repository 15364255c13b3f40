// The OLE drag of objects out of a drawing view: the data object armed for one drag and the one
// call that runs the drag loop. The loop itself is a cancel until the OLE data object and drop
// source are built; tests put their own runner in its place.
#pragma once

#include <windows.h>

struct ObjectVector;

// The one data object of a drag-out, armed before each drag.
struct DragDataObject {
    HWND sourceView;
    BOOL snapshotPending;       // 1 until the first GetData saved the clipboard store aside
    char tempPath[MAX_PATH];    // where the clipboard store was saved; empty until then
    const ObjectVector* rows;   // the dragged objects
};
extern DragDataObject g_dragDataObject;

// Runs the drag loop for the armed data object with the allowed effects; answers the loop's
// result and sets the effect chosen.
typedef HRESULT (*OleDragRunner)(DragDataObject* data, DWORD allowed, DWORD* effect);
extern OleDragRunner g_oleDragRunner;

HRESULT RunObjectDrag(DWORD allowed, DWORD* effect);
