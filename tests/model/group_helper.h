// Groups for tests: a group entry added straight to the table, as Group would leave it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "model/drawing.h"
#include "model/drawing_records.h"
#include "model/groups.h"
#include "store/block_store.h"

// Adds a group entry `groupId` with members `rows` and recomputes it; with `keepGroupedFrames`
// each member's current frame becomes its grouped frame. Returns the group's index.
inline int AddTestGroup(Drawing* d, int groupId, const std::vector<int>& rows, bool keepGroupedFrames)
{
    int index;
    {
        Locked<GroupTable> probe(d->groupTable);
        index = probe->count;
    }
    EXPECT_EQ(0, ResizeRecord(&d->groupTable, GroupTable::SizeFor(index + 1)));
    {
        Locked<GroupTable> table(d->groupTable);
        (*table)[index] = GroupEntry{};
        (*table)[index].groupId = groupId;
        table->count = index + 1;
        Locked<ObjectList> objects(d->objectList);
        for (int row : rows) {
            (*objects)[row].groupId = groupId;
            (*objects)[row].groupRow = index;
            if (keepGroupedFrames) (*objects)[row].groupFrame = (*objects)[row].frame;
        }
    }
    UpdateGroupBounds(d, index, nullptr);
    return index;
}
