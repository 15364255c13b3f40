// The frame's shared pens and the user-interface services that the text editor calls. The
// tooltip comes with the frame; until then it has nothing to do. Without a right-button menu
// no popup shows.
#include "frame/frame_ui.h"

#include <initializer_list>

#include "documents/document_life.h"
#include "frame/frame_services.h"
#include "frame/frame_standins.h"
#include "store/results.h"

HPEN ThinBlackPen = nullptr;
HPEN ThinWhitePen = nullptr;
BOOL MetafileRecordingFlag = FALSE;
int ContextMenuKind = -1;
HMENU g_rightButtonMenu = nullptr;
POINT g_contextMenuPoint = {};
BOOL g_contextMenuPointSet = FALSE;

int CreateFramePens()
{
    if (!ThinBlackPen) ThinBlackPen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    if (!ThinWhitePen) ThinWhitePen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    return ThinBlackPen && ThinWhitePen ? 0 : ErrOutOfMemory;
}

void DeleteFramePens()
{
    for (HPEN* pen : {&ThinBlackPen, &ThinWhitePen}) {
        if (*pen) DeleteObject(*pen);
        *pen = nullptr;
    }
}

void CancelToolTip() {}

void ForgetContextMenuPoint()
{
    g_contextMenuPointSet = FALSE;
}

int ShowContextMenu(HWND view, LPARAM point)
{
    int kind = ContextMenuKind;
    HMENU popup = g_rightButtonMenu && kind >= 0 ? GetSubMenu(g_rightButtonMenu, kind) : nullptr;
    if (!popup || !view || !GetDocumentStateHandle(view)) return 0;
    POINT at = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    ClientToScreen(view, &at);
    g_contextMenuPoint = at;
    g_contextMenuPointSet = TRUE;
    UpdateEditMenu(popup);
    switch (kind) {
    case 0: UpdateShapesMenu(popup); break;
    case 1: UpdateLinesMenu(popup); break;
    case 2:
        UpdateViewMenu(popup);
        UpdateDrawMenu(popup);
        break;
    case 3: UpdateTextMenu(); break;
    default: break;
    }
    // Owned by the frame, so the chosen command reaches the dispatcher like a menu command.
    BOOL shown = TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, g_frameWindow, nullptr);
    MSG pending;
    PeekMessageA(&pending, view, WM_RBUTTONDOWN, WM_RBUTTONDOWN, PM_REMOVE);
    return shown;
}
