// Draw/Group and Draw/Ungroup, and the free group ids of new groups.
#include "editing/group_ungroup.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "documents/document_state.h"
#include "editing/arrange.h"
#include "frame/frame_services.h"
#include "model/class_protocol.h"
#include "model/document_changes.h"
#include "model/drawing.h"
#include "model/groups.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/selection.h"
#include "resource.h"
#include "store/store_records.h"

namespace {

bool OffRightAngle(int angle)
{
    int rest = std::abs(angle) % 900;
    return rest > 3 && rest < 897;
}

void RemoveGroupEntry(GroupTable* table, int index)
{
    std::memmove(&(*table)[index], &(*table)[index + 1], sizeof(GroupEntry) * (table->count - index - 1));
    --table->count;
}

void UnionInto(RECT* into, const RECT& rect, bool* set)
{
    if (!*set)
        *into = rect;
    else
        UnionRect(into, into, &rect);
    *set = true;
}

}  // namespace

int GroupIdBase(const GroupEntry* entries, int count, int run)
{
    int lowest = kLastGroupId, highest = 0;
    for (int i = 0; i < count; ++i) {
        if (entries[i].groupId < lowest) lowest = entries[i].groupId;
        if (entries[i].groupId > highest) highest = entries[i].groupId;
    }
    if (lowest < kLastGroupId && run < lowest) return lowest - run;
    if (highest + run <= kLastGroupId) return highest + 1;
    // Ids are kept in 16 bits in a file: look for the lowest run of unused ids instead.
    std::vector<bool> used(kLastGroupId + 1, false);
    for (int i = 0; i < count; ++i)
        if (entries[i].groupId >= 1 && entries[i].groupId <= kLastGroupId) used[entries[i].groupId] = true;
    int free = 0;
    for (int id = 1; id <= kLastGroupId; ++id) {
        free = used[id] ? 0 : free + 1;
        if (free == run) return id - run + 1;
    }
    return 1;
}

int GroupSelection(DocumentState* state, Drawing* drawing)
{
    int index = -1;
    {
        Locked<GroupTable> groups(drawing->groupTable);
        if (!groups) return ErrOutOfMemory;
        for (int i = 0; i < groups->count; ++i) {
            if ((*groups)[i].flags & GroupSelected) {
                index = i;
                break;
            }
        }
        if (index >= 0) {
            for (int i = groups->count - 1; i > index; --i)
                if ((*groups)[i].flags & GroupSelected) RemoveGroupEntry(groups.get(), i);
        }
    }
    if (index < 0) {
        int count, id;
        {
            Locked<GroupTable> groups(drawing->groupTable);
            if (!groups) return ErrOutOfMemory;
            count = groups->count;
            id = GroupIdBase(groups->Entries(), count, 1);
        }
        if (int err = ResizeRecord(&drawing->groupTable, GroupTable::SizeFor(count + 1))) return err;
        Locked<GroupTable> groups(drawing->groupTable);
        if (!groups) return ErrOutOfMemory;
        std::memset(&(*groups)[count], 0, sizeof(GroupEntry));
        (*groups)[count].groupId = id;
        groups->count = count + 1;
        index = count;
    }

    bool leftOut = false;
    int members = 0;
    {
        Locked<GroupTable> groups(drawing->groupTable);
        Locked<ObjectList> objects(drawing->objectList);
        Locked<ZOrderList> order(drawing->zOrderList);
        if (!groups || !objects || !order) return ErrOutOfMemory;
        GroupEntry& entry = (*groups)[index];
        entry.memberCount = 0;
        entry.flags = 0;
        entry.angle = 0;
        entry.widthFactor = entry.heightFactor = 1.0;
        entry.handleLayout = 0;

        bool hooked = false, noFreeResize = false, boundsSet = false, frameSet = false;
        RECT bounds = {}, frame = {};
        int lastPosition = -1;
        for (int position = 0; position < order->count; ++position) {
            int row = (*order)[position];
            if (row < 0 || row >= objects->count) continue;
            DrawObject& object = (*objects)[row];
            if (object.state & StateLocked) continue;
            if (!(object.state & StateSelected)) {
                if (FindOwnerObject(objects.get(), row, TRUE) < 0) continue;
                object.state |= StateSelected;
                ++drawing->selectedCount;
            }
            const bool label = object.labelId != kNoLabel && (object.state & StateAttachedLabel);
            if (object.hookCount > 0 && !label) hooked = true;
            if ((object.options & OptFixed) || object.objClass == ClassConnector || object.objClass == ClassArray)
                noFreeResize = true;
            bool outside = false;
            for (int j = 0; j < HookSlotsInUse(object); ++j) {
                HookEntry& hook = object.hooks[j];
                int target = FindObjectById(objects.get(), hook.targetId, hook.targetRow);
                if (target < 0) continue;
                hook.targetRow = target;
                if (!((*objects)[target].state & StateSelected)) outside = true;
            }
            if (outside) {
                leftOut = true;
                continue;
            }
            object.groupId = entry.groupId;
            object.groupRow = index;
            RECT rotated = object.frame;
            SendClassMessage(nullptr, drawing, objects.get(), row, OM_GETBOUNDS, 1, 1, &rotated);
            object.groupFrame = object.frame;
            object.groupAngle = object.angle;
            object.savedState = object.state;
            if (OffRightAngle(object.angle) || object.handleLayout == 3) entry.handleLayout = 3;
            if (!(object.state & StateAttachedLabel)) ++entry.memberCount;
            UnionInto(&bounds, object.updateRect, &boundsSet);
            UnionInto(&frame, rotated, &frameSet);
            lastPosition = position;
        }
        members = entry.memberCount;
        if (members >= 2) {
            entry.bounds = bounds;
            entry.frame = entry.groupedFrame = frame;
            entry.flags |= GroupSelected | (noFreeResize ? static_cast<DWORD>(GroupNoFreeResize) : 0u);
            order.Unlock();
            objects.Unlock();
            BringSelectionToFront(state, drawing, lastPosition);
            InvalidateLogicalRect(drawing->viewWindow, &bounds);
            MarkDocumentChanged(drawing->viewWindow, state, FALSE);
            if (hooked) entry.flags |= GroupHooked;
        }
    }
    if (leftOut) ShowWarningById(IDS_GROUP_LINKED);
    if (members < 2) UpdateGroupBounds(drawing, index, nullptr);
    return 0;
}

int UngroupSelection(DocumentState* state, Drawing* drawing)
{
    RECT area = {};
    bool found = false;
    {
        Locked<GroupTable> groups(drawing->groupTable);
        Locked<ObjectList> objects(drawing->objectList);
        if (!groups || !objects) return ErrOutOfMemory;
        for (int i = groups->count - 1; i >= 0; --i) {
            if (!((*groups)[i].flags & GroupSelected)) continue;
            UnionInto(&area, (*groups)[i].bounds, &found);
            RemoveGroupEntry(groups.get(), i);
        }
        for (int row = 0; row < objects->count; ++row) {
            DrawObject& object = (*objects)[row];
            if (!(object.state & StateSelected)) continue;
            object.groupId = 0;
            object.groupRow = -1;
            UnionInto(&area, object.updateRect, &found);
        }
    }
    if (found) {
        InvalidateLogicalRect(drawing->viewWindow, &area);
        MarkDocumentChanged(drawing->viewWindow, state, FALSE);
    }
    return 0;
}
