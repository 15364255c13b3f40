// Link propagation: settling the holders of flagged links after their targets changed, pulling
// objects pushed off the drawing area back, and recomputing the groups whose members moved.
//
// Invariants of the passes:
//  1. A pass handles the entries flagged 0x10 in ascending index position, each at most once:
//     an entry flagged behind the position being handled waits for the next pass, one flagged
//     ahead of it is handled in the same pass. This is the order of a walk over the whole
//     index; the work list holds exactly the flagged positions, so a pass costs what its
//     flagged entries cost, not the length of the index.
//  2. The work list learns every flag from MarkLinksChanged (NoteLinksFlagged). When the index
//     changes its length during a pass, positions shift and the list is rebuilt from the index.
//  3. An entry leaves the work list with its 0x10 cleared (settled), or is put back when its
//     move failed, for the next pass to try again.
//  4. A move by (0, 0) is no move: nothing is moved and nothing flagged, so holders that have
//     reached their targets stop flagging each other.
//  5. Passes end when one settles nothing, and after at most (entries + 2) passes: hooks that
//     pull each other round in a ring can never settle, and must not hang the program. A ring
//     still flagged then ends the propagation with 10009 (left alone, it would climb off the
//     drawing), and the caller rolls the edit back.
//  6. A holder moves with its group only when its group (by id) is another than its target's.
//  7. The pull-back moves objects after the passes, flagging their links again; passes of their
//     own (bounded as in 5) settle those. When these push an object off the page once more it
//     is pulled back again, a bounded number of times; one still off the page then is 10009.
//     So a propagation that succeeds leaves every object on the drawing. No entry leaves a
//     propagation flagged 0x10, or every later edit, and every Undo back to it, would chase it
//     again.
#include "model/link_propagation.h"

#include <set>
#include <vector>

#include "editing/edit_services.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/edit_ops.h"
#include "model/groups.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/move_set.h"
#include "model/selection.h"
#include "store/results.h"
#include "store/store_records.h"

namespace {

constexpr LONG kFarDistance = 32767;
// Pull-backs of one propagation: each is followed by passes that may push something off again.
constexpr int kMaxPullBacks = 3;

// The flagged positions of the running propagation; propagations nest (a class may propagate
// inside a reshape), each with its own list.
struct WorkList {
    Drawing* drawing;
    std::set<int> positions;
    int knownCount;
    WorkList* outer;
};
WorkList* g_work = nullptr;

void ScanFlagged(WorkList& work, LinkIndex* index)
{
    work.positions.clear();
    for (int i = 0; i < index->count; ++i) {
        if ((*index)[i].flags & LinkChanged) work.positions.insert(i);
    }
    work.knownCount = index->count;
}

// The id of the object's group when that group exists; 0 otherwise.
int LiveGroupOf(Drawing* drawing, DrawObject& object)
{
    if (object.groupId == 0 || object.groupRow < 0) return 0;
    int index = FindGroupIndex(drawing, object.groupId, object.groupRow, 0);
    object.groupRow = index;
    return index >= 0 ? object.groupId : 0;
}

bool OutsideDrawing(const Drawing* drawing, const RECT& r)
{
    return r.left < 0 || r.top < 0 || r.right > drawing->pageWidth || r.bottom > drawing->pageHeight;
}

// Replaces the hook's attach point by the target's hook point nearest to it, when the target
// offers two or more.
void RefitAttachPoint(Drawing* drawing, ObjectList* objects, int targetRow, HookEntry& hook)
{
    POINT points[16] = {};
    INT32 count = 0;
    SendClassMessage(nullptr, drawing, objects, targetRow, OM_GETHOOKPOINTS, 0,
                     static_cast<int>(reinterpret_cast<INT_PTR>(&count)), points);
    if (count < 2) return;
    if (count > 16) count = 16;
    // Every candidate is measured against the point the hook had before the search.
    const POINT from = {hook.attachX, hook.attachY};
    LONG best = kFarDistance;
    for (int i = 0; i < count; ++i) {
        LONG distance = labs(points[i].x - from.x) + labs(points[i].y - from.y);
        if (distance < best) {
            best = distance;
            hook.attachX = points[i].x;
            hook.attachY = points[i].y;
            if (distance == 0) break;
        }
    }
}

class Propagation {
public:
    Propagation(Drawing* drawing, ObjectList* objects) : drawing_(drawing), objects_(objects) {}

    int Passes(int* passes);
    int PullBack();
    void ClearPushedOff();
    bool pullBackDue = false;

private:
    int Settle(int pos, bool* settled);
    int MoveWhole(int holder, int targetRow, POINT delta);
    void MarkChainEnd(int targetRow);

    Drawing* drawing_;
    ObjectList* objects_;
};

void Propagation::MarkChainEnd(int targetRow)
{
    int end = FollowSingleHookChain(objects_, targetRow);
    if (end < 0 || end >= objects_->count) return;
    (*objects_)[end].state |= StatePushedOff;
    pullBackDue = true;
}

int Propagation::MoveWhole(int holder, int targetRow, POINT delta)
{
    DrawObject& object = (*objects_)[holder];
    const int holderGroup = LiveGroupOf(drawing_, object);
    const int targetGroup = LiveGroupOf(drawing_, (*objects_)[targetRow]);
    RECT tested;
    if (holderGroup != 0 && holderGroup != targetGroup) {
        if (int err = OffsetGroupMembers(drawing_, objects_, holder, delta.x, delta.y)) return err;
        Locked<GroupTable> groups(drawing_->groupTable);
        if (!groups) return ErrOutOfMemory;
        int index = FindGroupEntry(groups.get(), holderGroup, object.groupRow, 0);
        if (index < 0) return 0;
        GroupEntry& group = (*groups)[index];
        OffsetRect(&group.frame, delta.x, delta.y);
        OffsetRect(&group.groupedFrame, delta.x, delta.y);
        tested = group.frame;
    } else {
        if (int err = OffsetObject(drawing_, objects_, holder, delta.x, delta.y)) return err;
        tested = object.frame;
    }
    if (OutsideDrawing(drawing_, tested)) MarkChainEnd(targetRow);

    // A connector of a line array carries the object at its other end, and what moves with it.
    int other = -1;
    if (!FindOtherHookedEnd(objects_, holder, targetRow, &other) || other < 0) return 0;
    ObjectVector* set = nullptr;
    RECT bounds;
    if (int err = CollectMoveSet(drawing_, other, FALSE, TRUE, FALSE, &set, &bounds)) return err;
    int err = 0;
    {
        Locked<GroupTable> groups(drawing_->groupTable);
        err = groups ? OffsetMoveSet(drawing_, objects_, groups.get(), set, delta.x, delta.y) : ErrOutOfMemory;
        if (groups) {
            for (int i = 0; i < groups->count; ++i) (*groups)[i].flags |= GroupFramesPending;
        }
    }
    OffsetRect(&bounds, delta.x, delta.y);
    FreeObjectVector(&set, objects_);
    if (!err && OutsideDrawing(drawing_, bounds)) MarkChainEnd(targetRow);
    return err;
}

// Handles the entry at `pos`; `settled` tells whether it counts as settled.
int Propagation::Settle(int pos, bool* settled)
{
    *settled = false;
    LinkEntry entry;
    int holder, slot, targetRow;
    {
        Locked<LinkIndex> index(drawing_->linkIndex);
        if (!index) return ErrOutOfMemory;
        if (pos >= index->count || !((*index)[pos].flags & LinkChanged)) return 0;
        LinkEntry& live = (*index)[pos];
        live.flags &= ~static_cast<DWORD>(LinkMoved);
        holder = FindObjectById(objects_, live.holderId, live.holderRow);
        if (holder < 0) {
            live.flags = (live.flags | LinkDrop) & ~static_cast<DWORD>(LinkChanged);
            *settled = true;
            return 0;
        }
        live.holderRow = holder;
        if (!ResolveLinkEntry(objects_, holder, &live, &slot)) {
            live.flags &= ~static_cast<DWORD>(LinkChanged);
            *settled = true;
            return 0;
        }
        targetRow = live.targetRow;
        if (live.flags & LinkRefit) {
            // OM_GETHOOKPOINTS only reads: the index stays locked, and its lock nests.
            RefitAttachPoint(drawing_, objects_, targetRow, (*objects_)[holder].hooks[slot]);
            (*index)[pos].flags &= ~static_cast<DWORD>(LinkRefit);
        }
        entry = (*index)[pos];
    }

    const HookEntry hook = (*objects_)[holder].hooks[slot];
    INT32 handle = 0;
    POINT h = {0, 0};
    LONG invalid = SendClassMessage(nullptr, drawing_, objects_, holder, OM_GETPOINTPOS, hook.holderCode,
                                    static_cast<int>(reinterpret_cast<INT_PTR>(&handle)), &h);
    POINT t = {hook.attachX, hook.attachY};
    SendClassMessage(nullptr, drawing_, objects_, targetRow, OM_MAPHOOKPOINT, 1, hook.holderCode, &t);
    const POINT delta = {t.x - h.x, t.y - h.y};

    int err = 0;
    // A holder without a valid hooked point, or one already in place, does not move.
    if (!invalid && (delta.x != 0 || delta.y != 0)) {
        int other;
        DrawObject& object = (*objects_)[holder];
        if (HookSlotsInUse(object) == 1 || FindOtherHookedEnd(objects_, holder, targetRow, &other)) {
            err = MoveWhole(holder, targetRow, delta);
        } else {
            int code = handle;
            if (code == 0) code = OppositeSide(HandleCodeAtPoint(&object.frame, h.x, h.y));
            POINT move = delta;
            RECT r = object.frame;
            SendClassMessage(nullptr, drawing_, objects_, holder, OM_MOVEHANDLERECT, code,
                             static_cast<int>(reinterpret_cast<INT_PTR>(&move)), &r);
            if (handle == 0) code = OppositeSide(HandleCodeAtPoint(&r, t.x, t.y));
            err = ReshapeObject(drawing_->viewWindow, holder, &r, code, FALSE, TRUE);
            // A reshaped line showing its length may have been given a new label object, which
            // grows the object list and can move it: the caller's lock still holds the handle.
            objects_ = PresentObjectList(drawing_);
            if (!objects_) return ErrOutOfMemory;
        }
    }
    if (err) return err;
    Locked<LinkIndex> index(drawing_->linkIndex);
    if (!index) return ErrOutOfMemory;
    if (pos < index->count && (*index)[pos].targetId == entry.targetId && (*index)[pos].holderId == entry.holderId)
        (*index)[pos].flags &= ~static_cast<DWORD>(LinkChanged);
    *settled = true;
    return 0;
}

int Propagation::Passes(int* passes)
{
    WorkList work = {drawing_, {}, 0, g_work};
    int bound;
    {
        Locked<LinkIndex> index(drawing_->linkIndex);
        if (!index) return ErrOutOfMemory;
        ScanFlagged(work, index.get());
        bound = index->count + 2;
    }
    g_work = &work;
    int result = 0;
    bool again = true;
    while (again && *passes < bound) {
        ++*passes;
        again = false;
        int cursor = -1;
        for (;;) {
            {
                Locked<LinkIndex> index(drawing_->linkIndex);
                if (!index) {
                    result = ErrOutOfMemory;
                    break;
                }
                if (index->count != work.knownCount) ScanFlagged(work, index.get());
            }
            auto next = work.positions.upper_bound(cursor);
            if (next == work.positions.end()) break;
            cursor = *next;
            work.positions.erase(next);
            bool settled = false;
            int err = Settle(cursor, &settled);
            again |= settled;
            if (err) {
                // The pass ends here; the entry stays flagged for the next pass, which runs only
                // when this one settled something before.
                work.positions.insert(cursor);
                result = err;
                break;
            }
        }
        if (result == ErrOutOfMemory) break;
    }
    g_work = work.outer;
    if (again && *passes >= bound && !result) {
        // Entries still flagged after the last pass: a ring of hooks that never settles.
        Locked<LinkIndex> index(drawing_->linkIndex);
        if (!index) return ErrOutOfMemory;
        for (int i = 0; i < index->count; ++i) {
            if ((*index)[i].flags & LinkChanged) return ErrOutsideDrawing;
        }
    }
    return result;
}

int Propagation::PullBack()
{
    for (int row = 0; row < objects_->count; ++row) {
        if (!((*objects_)[row].state & StatePushedOff)) continue;
        (*objects_)[row].state &= ~static_cast<DWORD>(StatePushedOff);
        ObjectVector* set = nullptr;
        RECT bounds;
        if (int err = CollectMoveSet(drawing_, row, FALSE, TRUE, FALSE, &set, &bounds)) return err;
        int err = 0;
        if (bounds.right - bounds.left >= drawing_->pageWidth || bounds.bottom - bounds.top >= drawing_->pageHeight) {
            err = ErrOutsideDrawing;
        } else {
            LONG dx = bounds.right > drawing_->pageWidth ? drawing_->pageWidth - bounds.right : 0;
            if (bounds.left < 0) dx = -bounds.left;
            LONG dy = bounds.bottom > drawing_->pageHeight ? drawing_->pageHeight - bounds.bottom : 0;
            if (bounds.top < 0) dy = -bounds.top;
            if (dx != 0 || dy != 0) {
                Locked<GroupTable> groups(drawing_->groupTable);
                err = groups ? OffsetMoveSet(drawing_, objects_, groups.get(), set, dx, dy) : ErrOutOfMemory;
            }
        }
        FreeObjectVector(&set, objects_);
        if (err) return err;
    }
    return 0;
}

void Propagation::ClearPushedOff()
{
    for (int row = 0; row < objects_->count; ++row) (*objects_)[row].state &= ~static_cast<DWORD>(StatePushedOff);
    pullBackDue = false;
}

// Every stale group is recomputed once, found again by its id: recomputing one may dissolve
// another and shift the table.
void RecomputeStaleGroups(Drawing* drawing)
{
    std::vector<int> stale;
    {
        Locked<GroupTable> groups(drawing->groupTable);
        if (!groups) return;
        for (int i = 0; i < groups->count; ++i) {
            GroupEntry& group = (*groups)[i];
            group.flags &= ~static_cast<DWORD>(GroupFramesPending);
            if (group.flags & GroupBoundsStale) stale.push_back(group.groupId);
        }
    }
    for (int id : stale) {
        RECT bounds;
        int index;
        {
            Locked<GroupTable> groups(drawing->groupTable);
            if (!groups) return;
            index = FindGroupEntry(groups.get(), id, -1, 0);
            if (index < 0) continue;
            bounds = (*groups)[index].bounds;
        }
        InvalidateLogicalRect(drawing->viewWindow, &bounds);
        UpdateGroupBounds(drawing, index, nullptr);
        Locked<GroupTable> groups(drawing->groupTable);
        if (!groups) return;
        index = FindGroupEntry(groups.get(), id, index, 0);
        if (index < 0) continue;
        (*groups)[index].flags &= ~static_cast<DWORD>(GroupBoundsStale);
        bounds = (*groups)[index].bounds;
        groups.Unlock();
        InvalidateLogicalRect(drawing->viewWindow, &bounds);
    }
}

// Clears the changed flag of every entry: what the passes could not settle stays where it is.
void ClearChangedLinks(Drawing* drawing)
{
    bool cleared = false;
    {
        Locked<LinkIndex> index(drawing->linkIndex);
        if (!index) return;
        for (int i = 0; i < index->count; ++i) {
            if (!((*index)[i].flags & LinkChanged)) continue;
            (*index)[i].flags &= ~static_cast<DWORD>(LinkChanged);
            cleared = true;
        }
    }
    if (cleared) MarkBlockDirty(drawing->linkIndex);
}

// Drops the links flagged for dropping, from the last entry to the first.
int PurgeDroppedLinks(Drawing* drawing)
{
    int i;
    {
        Locked<LinkIndex> index(drawing->linkIndex);
        if (!index) return ErrOutOfMemory;
        i = index->count - 1;
    }
    while (i >= 0) {
        LinkEntry entry;
        int before;
        {
            Locked<LinkIndex> index(drawing->linkIndex);
            if (!index) return ErrOutOfMemory;
            before = index->count;
            if (i >= before) i = before - 1;
            if (i < 0) break;
            entry = (*index)[i];
        }
        int err = 0;
        if (entry.flags & LinkDropTarget)
            err = RemoveLinks(drawing, entry.targetId, 0);
        else if (entry.flags & (LinkDrop | LinkDropToo))
            err = RemoveLinks(drawing, entry.targetId, entry.holderId);
        else {
            --i;
            continue;
        }
        if (err) return err;
        Locked<LinkIndex> index(drawing->linkIndex);
        if (!index) return ErrOutOfMemory;
        if (index->count >= before) --i;   // nothing went: never examine the entry again
        else if (i > index->count - 1) i = index->count - 1;
    }
    return 0;
}

}  // namespace

void NoteLinksFlagged(Drawing* drawing, int first, int end, DWORD bits)
{
    if (!g_work || g_work->drawing != drawing || !(bits & LinkChanged)) return;
    for (int pos = first; pos < end; ++pos) g_work->positions.insert(pos);
}

int PropagateLinksCounted(Drawing* drawing, int* passes)
{
    *passes = 0;
    if (int err = BeginRecordChange(drawing->linkIndex)) return err;
    if (int err = BeginRecordChange(drawing->groupTable)) return err;
    if (int err = MarkBlockDirty(drawing->groupTable)) return err;
    if (int err = MarkBlockDirty(drawing->objectList)) return err;
    if (int err = PurgeDroppedLinks(drawing)) return err;
    {
        Locked<GroupTable> groups(drawing->groupTable);
        if (!groups) return ErrOutOfMemory;
        for (int i = 0; i < groups->count; ++i) (*groups)[i].flags |= GroupFramesPending;
    }
    int result;
    {
        Locked<ObjectList> objects(drawing->objectList);
        if (!objects) return ErrOutOfMemory;
        Propagation propagation(drawing, objects.get());
        result = propagation.Passes(passes);
        for (int round = 0; !result && propagation.pullBackDue; ++round) {
            if (round == kMaxPullBacks) {
                result = ErrOutsideDrawing;
                break;
            }
            propagation.pullBackDue = false;
            result = propagation.PullBack();
            int settling = 0;
            if (!result) result = propagation.Passes(&settling);
            *passes += settling;
        }
        if (propagation.pullBackDue || result) propagation.ClearPushedOff();
    }
    ClearChangedLinks(drawing);
    RecomputeStaleGroups(drawing);
    return result;
}

int PropagateLinks(Drawing* drawing)
{
    int passes;
    return PropagateLinksCounted(drawing, &passes);
}
