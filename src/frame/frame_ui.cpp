// The frame's shared pens and the user-interface services that the text editor calls. The
// tooltip and the right-button menu come with the frame; until then they have nothing to do.
#include "frame/frame_ui.h"

#include <initializer_list>

#include "store/results.h"

HPEN ThinBlackPen = nullptr;
HPEN ThinWhitePen = nullptr;
BOOL MetafileRecordingFlag = FALSE;
int ContextMenuKind = -1;
HMENU g_rightButtonMenu = nullptr;

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

int ShowContextMenu(HWND view, LPARAM point)
{
    (void)view;
    (void)point;
    return 0;
}
