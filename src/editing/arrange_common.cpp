// Helpers the arranging commands share.
#include "editing/arrange_internal.h"

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "editing/hit_test.h"
#include "geometry/real_math.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/group_transform.h"
#include "model/groups.h"
#include "model/invalidate.h"
#include "model/window_utils.h"
#include "store/results.h"
#include "store/store_records.h"

namespace arrange {

int ReferenceRow(Drawing* drawing, ObjectList* objects)
{
    int row = drawing->currentRow;
    if (row >= 0 && row < objects->count && ((*objects)[row].state & StateSelected)) return row;
    return TopmostSelectedObject(drawing);
}

int SendRedrawn(Drawing* drawing, ObjectList* objects, int row, int message, int a, int b, void* p)
{
    InvalidateLogicalRect(drawing->viewWindow, &(*objects)[row].updateRect);
    int err = static_cast<int>(SendClassMessage(nullptr, drawing, objects, row, message, a, b, p));
    objects = PresentObjectList(drawing);
    if (objects && row < objects->count) InvalidateLogicalRect(drawing->viewWindow, &(*objects)[row].updateRect);
    return err;
}

int ScaleGroupForMember(HWND view, DocumentState* state, Drawing* drawing, ObjectList* objects, int row,
                        const RECT& before)
{
    DrawObject& member = (*objects)[row];
    int index = GroupIndexOfObject(drawing, member);
    if (index < 0) return 0;
    member.groupRow = index;
    GroupEntry group;
    {
        Locked<GroupTable> groups(drawing->groupTable);
        if (!groups) return ErrOutOfMemory;
        group = (*groups)[index];
    }
    // An object without width or height has no factor in that direction: the group keeps it.
    const double oldWidth = before.right - before.left, oldHeight = before.bottom - before.top;
    double sx = oldWidth != 0 ? (member.frame.right - member.frame.left) / oldWidth : 1.0;
    double sy = oldHeight != 0 ? (member.frame.bottom - member.frame.top) / oldHeight : 1.0;
    if (group.handleLayout == 3) sx = sy = sx > sy ? sx : sy;
    const RECT& g = group.frame;
    RECT r = {g.left, g.top, g.left + TruncReal((g.right - g.left) * sx), g.top + TruncReal((g.bottom - g.top) * sy)};
    LONG dx = member.frame.left - before.left, dy = member.frame.top - before.top;
    if (r.left + dx < 0) dx = -r.left;
    else if (r.right + dx > state->areaWidth) dx -= r.right + dx - state->areaWidth;
    if (r.top + dy < 0) dy = -r.top;
    else if (r.bottom + dy > state->areaHeight) dy -= r.bottom + dy - state->areaHeight;
    OffsetRect(&r, dx, dy);
    InvalidateLogicalRect(drawing->viewWindow, &member.updateRect);
    member.frame = before;
    SendClassMessage(nullptr, drawing, objects, row, OM_RECALC);
    return ResizeGroup(view, index, &r, 0, TRUE);
}

int ProportionalDelta(Drawing* drawing, int layout, int mode, LONG w, LONG h, LONG* dw, LONG* dh)
{
    if (layout != 3 || h == 0) return 0;
    const double ratio = static_cast<double>(w) / h;
    double newWidth = w + *dw, newHeight = h + *dh;
    if (mode & 1) {
        if (ratio != 0) newHeight = newWidth / ratio;
        if (newHeight > drawing->pageHeight) return ErrOutsideDrawing;
    } else if (mode & 2) {
        newWidth = newHeight * ratio;
        if (newWidth > drawing->pageWidth) return ErrOutsideDrawing;
    }
    *dw = TruncReal(newWidth - w);
    *dh = TruncReal(newHeight - h);
    return 0;
}

HWND ActiveDrawingView()
{
    HWND document = GetActiveDocument(nullptr);
    HWND view = document ? GetWindow(document, GW_CHILD) : nullptr;
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return nullptr;
    Locked<DocumentState> state(stateBlock);
    return state && state->drawing ? view : nullptr;
}

}  // namespace arrange

namespace arrange {

int BeginTableChanges(DocumentState* state, Drawing* drawing, BOOL zOrder)
{
    HGLOBAL blocks[] = {state->drawing, drawing->objectList, drawing->groupTable, zOrder ? drawing->zOrderList : nullptr};
    for (HGLOBAL block : blocks)
        if (block)
            if (int err = BeginRecordChange(block)) return err;
    return 0;
}

RECT ResizedByLayout(const RECT& frame, int layout, LONG dx, LONG dy)
{
    RECT r = frame;
    const LONG w = frame.right - frame.left, h = frame.bottom - frame.top;
    switch (layout) {
    case 1: r.right += dx; break;
    case 2: r.bottom += dy; break;
    case 3:
        if (dx != 0 && w != 0) {
            r.right += dx;
            r.bottom = r.top + TruncReal(static_cast<double>(w + dx) * h / w);
        } else if (dy != 0 && h != 0) {
            r.bottom += dy;
            r.right = r.left + TruncReal(static_cast<double>(h + dy) * w / h);
        }
        break;
    default:
        r.right += dx;
        r.bottom += dy;
        break;
    }
    return r;
}

}  // namespace arrange
