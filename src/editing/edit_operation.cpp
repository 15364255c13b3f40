// The edit executor and the message of a failed edit.
#include "editing/edit_operation.h"

#include "frame/frame_services.h"
#include "store/results.h"

int DoEditOperation(HWND, int, int, void*)
{
    return 0;
}

void DoDrawCommand(int, int) {}

void ReportEditError(int code)
{
    switch (code) {
    case ErrOutsideDrawing: ShowWarningById(29); break;
    case ErrTooManyObjects: ShowWarningById(30); break;
    case ErrTooManyLinks: ShowWarningById(56); break;
    case ErrBadMetafile: RunInfoDialog("INFO_BADMETA", 0); break;
    default: ShowWarningById(17); break;
    }
}

void GetPastePosition(Drawing* drawing, const RECT* rect, POINT* point)
{
    POINT origin = {0, 0};
    if (drawing->viewWindow) {
        HDC dc = GetDC(drawing->viewWindow);
        DPtoLP(dc, &origin, 1);
        ReleaseDC(drawing->viewWindow, dc);
    }
    point->x = origin.x + 300;
    point->y = origin.y + 300;
    LONG width = rect->right - rect->left;
    LONG height = rect->bottom - rect->top;
    if (point->x + width >= drawing->pageWidth) point->x = drawing->pageWidth - width;
    if (point->y + height >= drawing->pageHeight) point->y = drawing->pageHeight - height;
}
