// The group table: lookup and recomputation of group entries.
#include "model/groups.h"

#include <cstdlib>
#include <cstring>

#include "model/class_protocol.h"
#include "model/drawing.h"
#include "geometry/point_geometry.h"

namespace {

// True when an angle (tenths of a degree) lies more than 0.3 degrees from every right angle.
bool OffRightAngle(int angle)
{
    return std::abs(angle % 900) > 3 && (std::abs(angle) + 3) % 900 > 3;
}

// Bounds of the rectangle's outline turned by `angle` about its centre: the same rotation the
// group's resize and its members use, so that the bounds agree with them to the unit.
RECT RotatedBounds(const RECT& r, int angle)
{
    POINT corners[4] = {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
    RotatePoints(&r, angle, corners, 4);
    RECT out;
    BoundsOfPoints(&out, corners, 4);
    return out;
}

void Widen(RECT& into, const RECT& with)
{
    if (with.left < into.left) into.left = with.left;
    if (with.top < into.top) into.top = with.top;
    if (with.right > into.right) into.right = with.right;
    if (with.bottom > into.bottom) into.bottom = with.bottom;
}

}  // namespace

int FindGroupEntry(GroupTable* table, int groupId, int indexHint, DWORD flagBits)
{
    int found = -1;
    if (indexHint >= 0 && indexHint < table->count && (*table)[indexHint].groupId == groupId) {
        found = indexHint;
    } else {
        for (int i = 0; i < table->count; ++i) {
            if ((*table)[i].groupId == groupId) {
                found = i;
                break;
            }
        }
    }
    if (found >= 0 && flagBits) (*table)[found].flags |= flagBits;
    return found;
}

int FindGroupIndex(Drawing* drawing, int groupId, int indexHint, DWORD flagBits)
{
    Locked<GroupTable> table(drawing->groupTable);
    if (!table) return -1;
    return FindGroupEntry(table.get(), groupId, indexHint, flagBits);
}

int GroupIndexOfObject(Drawing* drawing, const DrawObject& object)
{
    if (object.groupId == 0) return -1;
    return FindGroupIndex(drawing, object.groupId, object.groupRow, 0);
}

int GetCurrentGroupIndex(Drawing* drawing, ObjectList* objects)
{
    int row = drawing->currentRow;
    if (row < 0 || row >= objects->count) return -1;
    return GroupIndexOfObject(drawing, (*objects)[row]);
}

void UpdateGroupBounds(Drawing* drawing, int groupIndex, const POINT* offset)
{
    Locked<GroupTable> table(drawing->groupTable);
    Locked<ObjectList> objects(drawing->objectList);
    if (!table || !objects || groupIndex < 0 || groupIndex >= table->count) return;
    GroupEntry& group = (*table)[groupIndex];
    int groupId = group.groupId;
    group.memberCount = 0;
    group.flags = 0;
    if (group.angle != 0 && offset) OffsetRect(&group.frame, offset->x, offset->y);
    bool rebuildFrame = IsRectEmpty(&group.frame) != FALSE;

    bool noFreeResize = false, hooked = false, layout3 = false;
    int members = 0, firstMember = -1, lastCounted = -1;
    DWORD firstSelected = 0;
    for (int row = 0; row < objects->count; ++row) {
        DrawObject& member = (*objects)[row];
        if (member.groupRow < 0 || member.groupId != groupId) continue;
        member.groupRow = groupIndex;
        if ((member.options & OptFixed) || member.objClass == ClassConnector || member.objClass == ClassArray)
            noFreeResize = true;
        RECT rect = member.frame;
        if (member.angle != 0) SendClassMessage(nullptr, drawing, objects.get(), row, OM_GETBOUNDS, 1, 1, &rect);
        if (OffRightAngle(member.groupAngle) || member.handleLayout == 3) layout3 = true;
        bool label = (member.state & StateAttachedLabel) != 0;
        if (!label) {
            ++members;
            lastCounted = row;
            if (member.hookCount > 0) hooked = true;
        }
        if (firstMember < 0) {
            firstMember = row;
            group.bounds = member.updateRect;
            if (rebuildFrame) group.frame = rect;
            firstSelected = member.state & StateSelected;
        } else {
            Widen(group.bounds, member.updateRect);
            if (rebuildFrame) Widen(group.frame, rect);
            if ((member.state & StateSelected) != firstSelected) {
                member.state = (member.state & ~static_cast<DWORD>(StateSelected)) | firstSelected;
                if (firstSelected)
                    ++drawing->selectedCount;
                else if (drawing->selectedCount > 0)
                    --drawing->selectedCount;
            }
        }
    }
    group.memberCount = members;

    if (group.angle != 0) {
        RECT turned = RotatedBounds(group.frame, group.angle);
        InflateRect(&turned, 30, 30);
        Widen(group.bounds, turned);
    } else if (noFreeResize) {
        group.flags |= GroupNoFreeResize;
    }
    if (IsRectEmpty(&group.groupedFrame)) group.groupedFrame = group.frame;

    if (members >= 2) {
        if (firstSelected) group.flags |= GroupSelected;
        group.handleLayout = layout3 ? 3 : 0;
        if (hooked) group.flags |= GroupHooked;
        return;
    }
    // Fewer than two members: the last one leaves and the entry goes.
    if (members == 1) {
        (*objects)[lastCounted].groupId = 0;
        (*objects)[lastCounted].groupRow = -1;
    }
    std::memmove(&(*table)[groupIndex], &(*table)[groupIndex + 1],
                 sizeof(GroupEntry) * (table->count - groupIndex - 1));
    --table->count;
}
