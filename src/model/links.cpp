// The link graph: hooks in their holders, the LinkIndex beside them, and their upkeep.
#include "commands.h"
#include "model/links.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "documents/document_state.h"
#include "documents/options.h"
#include "frame/frame_services.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/groups.h"
#include "store/block_store.h"
#include "store/results.h"

namespace {

BOOL g_shapeHookHintPosted = FALSE;
BOOL g_lineHookHintPosted = FALSE;

// Removes entry `pos` of the index, shrinking the record by one entry.
int RemoveIndexEntryAt(Drawing* drawing, int pos)
{
    int count;
    {
        Locked<LinkIndex> index(drawing->linkIndex);
        if (!index) return ErrOutOfMemory;
        count = index->count;
        if (pos < 0 || pos >= count) return 0;
        std::memmove(&(*index)[pos], &(*index)[pos + 1], sizeof(LinkEntry) * (count - pos - 1));
        index->count = --count;
    }
    if (int err = ResizeRecord(&drawing->linkIndex, LinkIndex::SizeFor(count))) return err;
    return MarkBlockDirty(drawing->linkIndex);
}

// Takes hook `slot` out of the holder: the holder hears of it first, then later slots move
// down one place.
void RemoveHookSlot(Drawing* drawing, ObjectList* objects, int holderRow, int slot)
{
    SendClassMessage(nullptr, drawing, objects, holderRow, OM_HOOKCHANGED, slot, 0);
    DrawObject& holder = (*objects)[holderRow];
    int used = HookSlotsInUse(holder);
    for (int s = slot; s + 1 < used; ++s) holder.hooks[s] = holder.hooks[s + 1];
    if (slot < used) std::memset(&holder.hooks[used - 1], 0, sizeof(HookEntry));
    holder.hookCount = used - 1;
}

// Posts the frame's hint about hooks once per run, while hints are on.
void PostHookHint(int holderClass)
{
    if (!g_settings || !(g_settings->flags & SetHints) || !g_frameWindow) return;
    BOOL& posted = holderClass == ClassShape ? g_shapeHookHintPosted : g_lineHookHintPosted;
    if (posted) return;
    posted = TRUE;
    PostMessageA(g_frameWindow, WM_COMMAND, holderClass == ClassShape ? CMD_HINT_SHAPE_LINK : CMD_HINT_LINE_LINK, 0);
}

}  // namespace

int FindObjectById(ObjectList* objects, int id, int rowHint)
{
    if (rowHint >= 0 && rowHint < objects->count && (*objects)[rowHint].objId == id) return rowHint;
    for (int row = 0; row < objects->count; ++row) {
        if ((*objects)[row].objId == id) return row;
    }
    return -1;
}

int FindLinkIndex(LinkIndex* index, int targetId, BOOL wantAbsent)
{
    int low = 0, high = index->count;
    while (low < high) {
        int mid = low + (high - low) / 2;
        if ((*index)[mid].targetId < targetId)
            low = mid + 1;
        else
            high = mid;
    }
    if (low < index->count && (*index)[low].targetId == targetId) return low;
    return wantAbsent ? -1 : low;
}

int FindLinkEntry(Drawing* drawing, int targetId, int holderId)
{
    Locked<LinkIndex> index(drawing->linkIndex);
    if (!index) return -1;
    int found = -1;
    int pos = FindLinkIndex(index.get(), targetId, TRUE);
    for (; pos >= 0 && pos < index->count && (*index)[pos].targetId == targetId; ++pos) {
        if ((*index)[pos].holderId == holderId) found = pos;
    }
    return found;
}

int FindHookByEndCode(const DrawObject* object, int code)
{
    for (int s = 0; s < HookSlotsInUse(*object); ++s) {
        if (object->hooks[s].holderCode == code) return s;
    }
    return -1;
}

BOOL HasSingleFixedHook(const DrawObject* object)
{
    return object->hookCount == 1 && object->hooks[0].holderCode > 304;
}

int FindOtherHookedEnd(ObjectList* objects, int holderRow, int arrayRow, int* otherRow)
{
    const DrawObject& holder = (*objects)[holderRow];
    if (holder.hookCount != 2) return 0;
    for (int s = 0; s < 2; ++s) {
        int target = FindObjectById(objects, holder.hooks[s].targetId, holder.hooks[s].targetRow);
        if (target < 0 || (*objects)[target].objClass != ClassArray) continue;
        if (arrayRow >= 0 && target != arrayRow) continue;
        const HookEntry& other = holder.hooks[1 - s];
        *otherRow = FindObjectById(objects, other.targetId, other.targetRow);
        return 1;
    }
    return 0;
}

namespace {

// The row a single-hook chain goes on to from `row`; -1 where the chain ends at `row`.
int NextInSingleHookChain(ObjectList* objects, int row)
{
    const DrawObject& object = (*objects)[row];
    if (object.hookCount != 1) return -1;
    return FindObjectById(objects, object.hooks[0].targetId, object.hooks[0].targetRow);
}

}  // namespace

// Propagation asks this for every holder it pushes off the page, so the walk costs the length of
// the chain and nothing per object of the drawing: a ring is found by two walkers at different
// speeds instead of a mark per row, and its first row is the first one the walk meets again.
int FollowSingleHookChain(ObjectList* objects, int row)
{
    if (row < 0 || row >= objects->count) return row;
    int slow = row, fast = row;
    for (;;) {
        for (int step = 0; step < 2; ++step) {
            int next = NextInSingleHookChain(objects, fast);
            if (next < 0) return fast;
            fast = next;
        }
        slow = NextInSingleHookChain(objects, slow);
        if (slow == fast) break;
    }
    // A ring: walkers from the start and from the meeting place, at one speed, meet where the
    // ring begins.
    slow = row;
    while (slow != fast) {
        slow = NextInSingleHookChain(objects, slow);
        fast = NextInSingleHookChain(objects, fast);
    }
    return slow;
}

int AddLink(Drawing* drawing, int holderRow, int slot)
{
    if (int err = BeginRecordChange(drawing->linkIndex)) return err;
    int targetId, targetRow, holderId, count;
    {
        Locked<ObjectList> objects(drawing->objectList);
        Locked<LinkIndex> index(drawing->linkIndex);
        if (!objects || !index) return ErrOutOfMemory;
        if (index->count >= kMaxLinks) return ErrTooManyLinks;
        DrawObject& holder = (*objects)[holderRow];
        HookEntry& hook = holder.hooks[slot];
        holderId = holder.objId;
        targetId = hook.targetId;
        targetRow = FindObjectById(objects.get(), targetId, hook.targetRow);
        count = index->count;
    }
    if (int err = ResizeRecord(&drawing->linkIndex, LinkIndex::SizeFor(count + 1))) return err;
    Locked<LinkIndex> index(drawing->linkIndex);
    if (!index) return ErrOutOfMemory;
    int pos = FindLinkIndex(index.get(), targetId, FALSE);
    while (pos < count && (*index)[pos].targetId == targetId && (*index)[pos].holderId != holderId) ++pos;
    std::memmove(&(*index)[pos + 1], &(*index)[pos], sizeof(LinkEntry) * (count - pos));
    (*index)[pos] = LinkEntry{targetId, targetRow, holderId, holderRow, 0};
    index->count = count + 1;
    index.Unlock();
    return MarkBlockDirty(drawing->linkIndex);
}

void RemoveHooksToObject(Drawing* drawing, ObjectList* objects, int holderRow, int targetId)
{
    for (int s = HookSlotsInUse((*objects)[holderRow]) - 1; s >= 0; --s) {
        if ((*objects)[holderRow].hooks[s].targetId == targetId) RemoveHookSlot(drawing, objects, holderRow, s);
    }
}

int RemoveLinks(Drawing* drawing, int targetId, int holderId)
{
    if (int err = BeginRecordChange(drawing->linkIndex)) return err;
    if (int err = BeginRecordChange(drawing->objectList)) return err;
    // The entries leave the index first and the holders hear of their hooks afterwards, so that
    // no class handler runs while the index is locked or half-shifted.
    std::vector<LinkEntry> removed;
    int count;
    {
        Locked<LinkIndex> index(drawing->linkIndex);
        if (!index) return ErrOutOfMemory;
        int pos = FindLinkIndex(index.get(), targetId, TRUE);
        if (pos < 0) return 0;
        int write = pos;
        int read = pos;
        for (; read < index->count && (*index)[read].targetId == targetId; ++read) {
            if (holderId == 0 || (*index)[read].holderId == holderId)
                removed.push_back((*index)[read]);
            else
                (*index)[write++] = (*index)[read];
        }
        std::memmove(&(*index)[write], &(*index)[read], sizeof(LinkEntry) * (index->count - read));
        index->count -= read - write;
        count = index->count;
    }
    if (int err = ResizeRecord(&drawing->linkIndex, LinkIndex::SizeFor(count))) return err;
    if (int err = MarkBlockDirty(drawing->linkIndex)) return err;

    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return ErrOutOfMemory;
    for (const LinkEntry& entry : removed) {
        int holderRow = FindObjectById(objects.get(), entry.holderId, entry.holderRow);
        if (holderRow >= 0) RemoveHooksToObject(drawing, objects.get(), holderRow, targetId);
    }
    return 0;
}

int AttachHook(Drawing* drawing, int holderRow, int slot, int targetRow, int pointCode, int attachX,
               int attachY)
{
    if (int err = BeginRecordChange(drawing->linkIndex)) return err;
    if (int err = BeginRecordChange(drawing->objectList)) return err;
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return ErrOutOfMemory;
    int count = objects->count;
    if (holderRow < 0) holderRow = count - 1;
    if (holderRow < 0 || holderRow >= count) return 0;
    if (targetRow >= count) targetRow = -1;
    DrawObject* holder = &(*objects)[holderRow];
    int capacity = holder->hookCapacity < 2 ? holder->hookCapacity : 2;
    if (slot >= HookSlotsInUse(*holder)) slot = -1;   // not a slot in use: ask for a new one

    bool added = false;
    if (slot < 0) {
        if (HookSlotsInUse(*holder) < capacity && targetRow >= 0) {
            slot = HookSlotsInUse(*holder);
            added = true;
            PostHookHint(holder->objClass);
        }
    } else {
        // A re-target is told by the target's id: row hints go stale when rows move.
        int oldTargetId = holder->hooks[slot].targetId;
        if (targetRow < 0 || (*objects)[targetRow].objId != oldTargetId) {
            int oldRow = FindObjectById(objects.get(), oldTargetId, holder->hooks[slot].targetRow);
            if (oldRow >= 0)
                SendClassMessage(nullptr, drawing, objects.get(), oldRow, OM_MEMBER, holder->objId, -1,
                                 reinterpret_cast<void*>(static_cast<INT_PTR>(-1)));
            // Only this slot's hook and its one index entry go: the holder's other end may sit
            // on the same target.
            int entry = FindLinkEntry(drawing, oldTargetId, holder->objId);
            RemoveHookSlot(drawing, objects.get(), holderRow, slot);
            if (entry >= 0) {
                objects.Unlock();
                if (int err = RemoveIndexEntryAt(drawing, entry)) return err;
                return AttachHook(drawing, holderRow, -1, targetRow, pointCode, attachX, attachY);
            }
            slot = -1;
            if (targetRow >= 0 && HookSlotsInUse(*holder) < capacity) {
                slot = HookSlotsInUse(*holder);
                added = true;
            }
        }
    }
    if (slot < 0 || targetRow < 0) return 0;

    HookEntry& hook = holder->hooks[slot];
    hook.targetId = (*objects)[targetRow].objId;
    hook.targetRow = targetRow;
    hook.holderCode = pointCode;
    hook.attachX = attachX;
    hook.attachY = attachY;
    if (added) holder->hookCount = slot + 1;
    SendClassMessage(nullptr, drawing, objects.get(), holderRow, OM_HOOKCHANGED, slot, 1);
    if (added) {
        if (int err = AddLink(drawing, holderRow, slot)) return err;
    }
    holder = &(*objects)[holderRow];
    return static_cast<int>(SendClassMessage(nullptr, drawing, objects.get(), targetRow, OM_MEMBER,
                                             holder->objId, slot,
                                             reinterpret_cast<void*>(static_cast<INT_PTR>(holderRow))));
}

void MarkLinksChanged(Drawing* drawing, int targetId, DWORD bits, int groupId, int groupRow)
{
    if (BeginRecordChange(drawing->linkIndex) || BeginRecordChange(drawing->groupTable) ||
        BeginRecordChange(drawing->objectList))
        return;
    {
        Locked<LinkIndex> index(drawing->linkIndex);
        Locked<ObjectList> objects(drawing->objectList);
        if (!index || !objects) return;
        int pos = FindLinkIndex(index.get(), targetId, TRUE);
        if (pos >= 0) {
            int targetRow = FindObjectById(objects.get(), targetId, (*index)[pos].targetRow);
            int end = pos;
            for (; end < index->count && (*index)[end].targetId == targetId; ++end) (*index)[end].flags |= bits;
            index.Unlock();
            NoteLinksFlagged(drawing, pos, end, bits);
            MarkBlockDirty(drawing->linkIndex);
            if (targetRow >= 0)
                SendClassMessage(nullptr, drawing, objects.get(), targetRow, OM_MEMBER, kNoLabel, -1,
                                 reinterpret_cast<void*>(static_cast<INT_PTR>(-1)));
        }
    }
    if (groupRow >= 0) FindGroupIndex(drawing, groupId, groupRow, GroupBoundsStale);
}

int ResolveLinkEntry(ObjectList* objects, int holderRow, LinkEntry* entry, int* slot)
{
    int targetRow = FindObjectById(objects, entry->targetId, entry->targetRow);
    if (targetRow < 0) {
        entry->flags |= LinkDrop;
        return 0;
    }
    entry->targetRow = targetRow;
    DrawObject& holder = (*objects)[holderRow];
    for (int s = 0; s < HookSlotsInUse(holder); ++s) {
        if (holder.hooks[s].targetId == entry->targetId) {
            holder.hooks[s].targetRow = targetRow;
            *slot = s;
            return 1;
        }
    }
    return 0;
}

int RebuildLinkIndex(Drawing* drawing)
{
    if (int err = BeginRecordChange(drawing->linkIndex)) return err;
    if (int err = MarkBlockDirty(drawing->objectList)) return err;
    int result = 0;
    int i;
    {
        Locked<LinkIndex> index(drawing->linkIndex);
        if (!index) return ErrOutOfMemory;
        i = index->count - 1;
    }
    while (i >= 0) {
        Locked<LinkIndex> index(drawing->linkIndex);
        Locked<ObjectList> objects(drawing->objectList);
        if (!index || !objects) return ErrOutOfMemory;
        if (i >= index->count) i = index->count - 1;
        if (i < 0) break;
        LinkEntry& entry = (*index)[i];
        int targetId = entry.targetId;
        int targetRow = FindObjectById(objects.get(), targetId, entry.targetRow);
        if (targetRow < 0) {
            index.Unlock();
            objects.Unlock();
            int err = RemoveLinks(drawing, targetId, 0);
            if (err && !result) result = err;
            if (err) --i;   // never loop on an entry that cannot be removed
            continue;
        }
        entry.targetRow = targetRow;
        int holderId = entry.holderId;
        int holderRow = FindObjectById(objects.get(), holderId, entry.holderRow);
        if (holderRow < 0) {
            index.Unlock();
            SendClassMessage(nullptr, drawing, objects.get(), targetRow, OM_MEMBER, holderId, -1,
                             reinterpret_cast<void*>(static_cast<INT_PTR>(-1)));
            objects.Unlock();
            int err = RemoveLinks(drawing, targetId, holderId);
            if (err && !result) result = err;
            --i;
            continue;
        }
        entry.holderRow = holderRow;
        DrawObject& holder = (*objects)[holderRow];
        for (int s = 0; s < HookSlotsInUse(holder); ++s) {
            if (holder.hooks[s].targetId == targetId) holder.hooks[s].targetRow = targetRow;
        }
        --i;
    }

    // Line arrays keep their members' rows in their data record.
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return ErrOutOfMemory;
    int slot = drawing->storeSlot;
    for (int row = 0; row < objects->count; ++row) {
        const DrawObject& array = (*objects)[row];
        if (array.objClass != ClassArray || array.dataId < 0) continue;
        HGLOBAL data = nullptr;
        if (int err = LoadRecord(slot, array.dataType, array.dataId, &data)) {
            if (!result) result = err;
            continue;
        }
        const LONG size = GetBlockSize(data);
        Locked<ArrayData> record(data);
        if (record && size >= static_cast<LONG>(sizeof(ArrayData))) {
            // A stored count is trusted only as far as the record holds entries.
            const int fit = static_cast<int>((size - sizeof(ArrayData)) / sizeof(ArrayEntry));
            const int entries = std::min(record->entryCount, fit);
            for (int e = 0; e < entries; ++e) {
                ArrayEntry& entry = (*record)[e];
                if (entry.memberId == kNoMember) continue;
                entry.memberRow = FindObjectById(objects.get(), entry.memberId, entry.memberRow);
            }
            record.Unlock();
            MarkBlockDirty(data);
        }
        ReleaseBlock(data);
    }
    return result;
}
