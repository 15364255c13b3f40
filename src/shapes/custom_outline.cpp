// Scaling a custom outline's vertex chain into a frame.
#include "shapes/custom_outline.h"

#include <algorithm>

#include "geometry/real_math.h"
#include "shapes/shape_kinds.h"

int UsableOutlineVertices(const OutlinePointBlock* block, SIZE_T size)
{
    if (size < sizeof(OutlinePointBlock) || block->count <= 0)
        return 0;
    // Stored blocks come from files and libraries: never trust the count beyond the block.
    const SIZE_T room = (size - sizeof(OutlinePointBlock)) / sizeof(OutlineVertex);
    return static_cast<int>(std::min<SIZE_T>(room, static_cast<SIZE_T>(block->count)));
}

void ScaleCustomOutline(const RECT& rect, HGLOBAL block, POINT* points, int* count)
{
    *count = 0;
    if (!block)
        return;
    const auto* head = static_cast<const OutlinePointBlock*>(GlobalLock(block));
    if (!head)
        return;
    const auto* vertices = reinterpret_cast<const OutlineVertex*>(head + 1);
    const int n = std::min(UsableOutlineVertices(head, GlobalSize(block)), kMaxOutlinePoints);
    const double dw = std::max(1.0, static_cast<double>(head->designWidth));
    const double dh = std::max(1.0, static_cast<double>(head->designHeight));
    const double sx = (rect.right - rect.left) / dw;
    const double sy = (rect.bottom - rect.top) / dh;
    for (int i = 0; i < n; ++i) {
        points[i].x = rect.left + TruncReal(vertices[i].x * sx);
        points[i].y = rect.top + TruncReal(vertices[i].y * sy);
    }
    GlobalUnlock(block);
    *count = n;
}
