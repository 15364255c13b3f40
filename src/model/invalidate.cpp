// Redraw in drawing units: logical rectangles turned into the view's device pixels.
#include "model/invalidate.h"

void InvalidateLogicalRect(HWND window, const RECT* rect)
{
    if (!rect) {
        InvalidateRect(window, nullptr, FALSE);
        return;
    }
    POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    HDC dc = GetDC(window);
    LPtoDP(dc, corners, 2);
    ReleaseDC(window, dc);
    RECT device = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    if (device.right == device.left) {
        --device.left;
        ++device.right;
    }
    if (device.bottom == device.top) {
        --device.top;
        ++device.bottom;
    }
    InvalidateRect(window, &device, FALSE);
}
