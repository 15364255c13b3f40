// Move sets: collecting what moves together with an object or the selection, and moving it.
//
// The walks over the link graph keep their own stack instead of recursing: a chain of objects
// hung on each other can be as long as the drawing (16,000 objects), far deeper than the
// stack of a window procedure allows. The order in which rows are listed is the order of a
// depth-first walk: a holder, then what hangs on it, then the next holder.
#include "model/move_set.h"

#include <cstring>
#include <vector>

#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/edit_ops.h"
#include "model/groups.h"
#include "model/links.h"
#include "store/results.h"

namespace {

constexpr DWORD kFollowsSingleHook = 0x80;   // class flag of OM_GETCLASSFLAGS

bool IsAttachedLabel(const DrawObject& object)
{
    return object.labelId != kNoLabel && (object.state & StateAttachedLabel);
}

// A holder whose two hooks include one on a line array: it moves whole with the array.
bool IsArrayConnector(ObjectList* objects, int row)
{
    int other;
    return FindOtherHookedEnd(objects, row, -1, &other) != 0;
}

// The state of one CollectLinkedObjects call: the vector, the bounds, and the walk stack.
class Collector {
public:
    Collector(Drawing* drawing, ObjectList* objects, ObjectVector* vector, RECT* bounds)
        : drawing_(drawing), objects_(objects), vector_(vector), bounds_(bounds),
          boundsSet_(vector->count > 0), expanded_(objects->count, false)
    {
    }

    int Collect(int row, int mode);

private:
    enum FrameKind { Holders, Targets };
    // One level of a walk: the holders of `row`'s links from index position `pos`, or the
    // hook slots of `row` from slot `pos`. `root` marks the first frame of a targets walk,
    // where a full vector ends that walk quietly.
    struct Frame {
        FrameKind kind;
        int row;
        int pos;
        int mode;
        int depth;
        bool root;
    };

    bool Full() const { return vector_->count >= vector_->capacity; }
    bool Marked(int row) const { return ((*objects_)[row].state & StateInMoveSet) != 0; }

    // Appends a row; `withBounds` unites its rotated bounds, `mark` sets 0x1000.
    void Append(int row, bool withBounds, bool mark)
    {
        vector_->rows[vector_->count++] = row;
        DrawObject& object = (*objects_)[row];
        if (mark) object.state |= StateInMoveSet;
        if (!withBounds) return;
        RECT rect = object.frame;
        SendClassMessage(nullptr, drawing_, objects_, row, OM_GETBOUNDS, 1, 1, &rect);
        if (!boundsSet_) {
            *bounds_ = rect;
            boundsSet_ = true;
        } else {
            UnionRect(bounds_, bounds_, &rect);
        }
    }

    void PushHolders(int row, int mode, int depth) { stack_.push_back({Holders, row, -1, mode, depth, false}); }
    void PushTargets(int row, int depth, bool root) { stack_.push_back({Targets, row, 0, 3, depth, root}); }

    // The two walks, each taking one step of its frame on the stack: the holders hooked to a
    // target, and the targets an object is hooked to.
    int CollectLinkHolders(Frame& frame);
    int CollectHookedTargets(Frame& frame);
    int Run();

    Drawing* drawing_;
    ObjectList* objects_;
    ObjectVector* vector_;
    RECT* bounds_;
    bool boundsSet_;
    std::vector<bool> expanded_;   // mode 1 lists unmarked objects: a ring must still end
    std::vector<Frame> stack_;
};

int Collector::Collect(int row, int mode)
{
    DrawObject& object = (*objects_)[row];
    const int hooks = HookSlotsInUse(object);
    if (mode == CollectAlone) {
        if (Full()) return 1;
        Append(row, true, false);
        return 0;
    }
    if (mode == CollectWithHolders) {
        if (Full()) return 1;
        Append(row, true, false);
        expanded_[row] = true;
        PushHolders(row, CollectWithHolders, 0);
        return Run();
    }
    if (mode == CollectMoving && (hooks == 2 || (hooks == 1 && IsAttachedLabel(object)))) mode = CollectConnected;
    if (Marked(row)) return 0;
    if (Full()) return 1;
    Append(row, true, true);
    // Holders first, then (mode 3) the objects a two-ended holder or a label hangs on.
    if (mode == CollectConnected && (hooks == 2 || IsAttachedLabel(object))) PushTargets(row, 0, true);
    PushHolders(row, mode, 0);
    return Run();
}

int Collector::Run()
{
    while (!stack_.empty()) {
        Frame& top = stack_.back();
        int result = top.kind == Holders ? CollectLinkHolders(top) : CollectHookedTargets(top);
        if (result) return result;
    }
    return 0;
}

// Takes the next holder of the frame's object, or pops the frame when there is none.
int Collector::CollectLinkHolders(Frame& frame)
{
    const int targetId = (*objects_)[frame.row].objId;
    Locked<LinkIndex> index(drawing_->linkIndex);
    if (!index) return ErrOutOfMemory;
    if (frame.pos < 0) {
        frame.pos = FindLinkIndex(index.get(), targetId, TRUE);
        if (frame.pos < 0) {
            stack_.pop_back();
            return 0;
        }
    }
    while (frame.pos < index->count && (*index)[frame.pos].targetId == targetId) {
        LinkEntry& entry = (*index)[frame.pos++];
        int holder = FindObjectById(objects_, entry.holderId, entry.holderRow);
        if (holder < 0) continue;
        entry.holderRow = holder;
        DrawObject& object = (*objects_)[holder];
        const bool arrayConnector = IsArrayConnector(objects_, holder);
        if (frame.mode == CollectWithHolders) {
            bool onTarget = false;
            for (int s = 0; s < HookSlotsInUse(object); ++s) onTarget |= object.hooks[s].targetId == targetId;
            if (!onTarget) continue;
        } else if (frame.mode == CollectMoving || frame.mode == CollectConnected) {
            if (!(HookSlotsInUse(object) == 1 || arrayConnector)) continue;
            if (object.hooks[0].targetId != targetId || Marked(holder)) continue;
        } else {
            stack_.pop_back();
            return 0;
        }
        if (Full()) return 1;
        const bool mark = frame.mode != CollectWithHolders;
        Append(holder, true, mark);
        if (frame.mode == CollectWithHolders && frame.depth == 0 && HookSlotsInUse(object) >= 2) {
            // A holder hooked at both ends brings the object at its other end along.
            for (int s = 0; s < HookSlotsInUse(object); ++s) {
                if (object.hooks[s].targetId == targetId) continue;
                int other = FindObjectById(objects_, object.hooks[s].targetId, object.hooks[s].targetRow);
                if (other < 0) continue;
                if (Full()) return 1;
                Append(other, false, false);
            }
        }
        if (frame.mode == CollectWithHolders) {
            if (expanded_[holder]) return 0;
            expanded_[holder] = true;
        }
        const int mode = frame.mode, depth = frame.depth;
        index.Unlock();
        // `frame` may move when the stack grows; it is not used below.
        if (arrayConnector) PushTargets(holder, depth + 1, true);
        PushHolders(holder, mode, depth + 1);
        return 0;
    }
    stack_.pop_back();
    return 0;
}

// Takes the next hooked target of the frame's object, or pops the frame.
int Collector::CollectHookedTargets(Frame& frame)
{
    DrawObject& object = (*objects_)[frame.row];
    while (frame.pos < HookSlotsInUse(object)) {
        HookEntry& hook = object.hooks[frame.pos++];
        int target = FindObjectById(objects_, hook.targetId, hook.targetRow);
        if (target < 0 || Marked(target)) continue;
        if (Full()) {
            // A full vector ends this targets walk quietly: unwind to its first frame.
            while (!stack_.empty()) {
                bool root = stack_.back().kind == Targets && stack_.back().root;
                stack_.pop_back();
                if (root) break;
            }
            return 0;
        }
        hook.targetRow = target;
        Append(target, true, true);
        const int depth = frame.depth;
        PushTargets(target, depth + 1, false);
        PushHolders(target, CollectConnected, depth + 1);
        return 0;
    }
    stack_.pop_back();
    return 0;
}

}  // namespace

ObjectVector* NewObjectVector(int objectCount)
{
    if (objectCount < 0) objectCount = 0;
    SIZE_T size = 12 + 8 * static_cast<SIZE_T>(objectCount);
    if (size < sizeof(ObjectVector)) size = sizeof(ObjectVector);
    // Rows past the count are never read: the room is left as it comes, so that a drag in a large
    // drawing does not clear a list the size of the whole drawing at every press.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return nullptr;
    auto* vector = static_cast<ObjectVector*>(GlobalLock(block));
    if (!vector) {
        GlobalFree(block);
        return nullptr;
    }
    vector->self = block;
    vector->count = 0;
    vector->capacity = 2 * objectCount;
    return vector;
}

void FreeObjectVector(ObjectVector** vector, ObjectList* objects)
{
    if (!vector || !*vector) return;
    ObjectVector* set = *vector;
    if (objects) {
        for (int i = 0; i < set->count; ++i) {
            int row = set->rows[i];
            if (row >= 0 && row < objects->count) (*objects)[row].state &= ~static_cast<DWORD>(StateInMoveSet);
        }
    }
    HGLOBAL block = set->self;
    GlobalUnlock(block);
    GlobalFree(block);
    *vector = nullptr;
}

int ObjectVectorContains(int row, const ObjectVector* vector)
{
    if (!vector) return 0;
    for (int i = 0; i < vector->count; ++i) {
        if (vector->rows[i] == row) return 1;
    }
    return 0;
}

int CollectLinkedObjects(Drawing* drawing, int row, ObjectVector** vector, int mode, RECT* bounds)
{
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return ErrOutOfMemory;
    if (row < 0 || row >= objects->count) return 0;
    const bool made = *vector == nullptr;
    if (made) {
        *vector = NewObjectVector(objects->count);
        if (!*vector) return ErrOutOfMemory;
    }
    Collector collector(drawing, objects.get(), *vector, bounds);
    int result = collector.Collect(row, mode);
    if (result && made) FreeObjectVector(vector, objects.get());
    return result;
}

int CollectMoveSet(Drawing* drawing, int row, BOOL withSelection, BOOL withHooked, BOOL bare,
                   ObjectVector** vector, RECT* bounds)
{
    *bounds = RECT{0, 0, 0, 0};
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return ErrOutOfMemory;
    *vector = NewObjectVector(objects->count);
    if (!*vector) return ErrOutOfMemory;

    int groupId = 0;
    int start = row >= 0 && row < objects->count ? row : -1;
    if (start >= 0) {
        DrawObject& object = (*objects)[start];
        if (object.groupId != 0) {
            // The id decides membership; the row hint is only refreshed here.
            int index = FindGroupIndex(drawing, object.groupId, object.groupRow, 0);
            object.groupRow = index;
            if (index >= 0) groupId = object.groupId;
        }
        LONG flags = SendTypeQuery(object.objClass, OM_GETCLASSFLAGS, object.objType);
        if ((flags & kFollowsSingleHook) && withSelection && HookSlotsInUse(object) > 0) {
            int target = FindObjectById(objects.get(), object.hooks[0].targetId, object.hooks[0].targetRow);
            if (target >= 0) start = FollowSingleHookChain(objects.get(), target);
        }
    }
    if (drawing->selectedCount < 2) withSelection = FALSE;

    int result = 0;
    if (withSelection || groupId != 0) {
        for (int r = 0; r < objects->count && !result; ++r) {
            const DrawObject& object = (*objects)[r];
            const bool taken = ((object.state & StateSelected) && !bare) ||
                               (groupId != 0 && object.groupId == groupId && object.groupRow >= 0) || r == start;
            if (!taken || (HookSlotsInUse(object) > 0 && !withHooked)) continue;
            result = CollectLinkedObjects(drawing, r, vector, CollectMoving, bounds);
        }
    } else if (start >= 0 && !(HookSlotsInUse((*objects)[start]) > 0 && !withHooked)) {
        result = CollectLinkedObjects(drawing, start, vector, CollectMoving, bounds);
    }
    if (result) FreeObjectVector(vector, objects.get());
    if (result || bare) return result;

    // The rest of every group that has a member in the set, each group found by its id. The
    // groups are noted here rather than by their 0x20 flag: propagation keeps that flag set on
    // every group while it runs, and a set collected then must still take its groups whole.
    Locked<GroupTable> groups(drawing->groupTable);
    if (!groups) return ErrOutOfMemory;
    std::vector<bool> taken(groups->count, false);
    bool any = false;
    for (int i = 0; i < (*vector)->count; ++i) {
        DrawObject& object = (*objects)[(*vector)->rows[i]];
        if (object.groupId == 0) continue;
        int index = FindGroupEntry(groups.get(), object.groupId, object.groupRow, 0);
        if (index < 0) continue;
        taken[index] = true;
        any = true;
    }
    for (int r = 0; any && r < objects->count && !result; ++r) {
        DrawObject& object = (*objects)[r];
        if (object.groupId == 0 || (object.state & StateInMoveSet)) continue;
        int index = FindGroupEntry(groups.get(), object.groupId, object.groupRow, 0);
        if (index < 0 || !taken[index]) continue;
        object.groupRow = index;
        if ((*vector)->count >= (*vector)->capacity) {
            result = 1;
            break;
        }
        // The tables stay locked: the locks nest and nothing here resizes them.
        result = CollectLinkedObjects(drawing, r, vector, CollectAlone, bounds);
        object.state |= StateInMoveSet;
    }
    if (result) FreeObjectVector(vector, objects.get());
    return result;
}

int OffsetGroupMembers(Drawing* drawing, ObjectList* objects, int row, int dx, int dy)
{
    const int groupId = (*objects)[row].groupId;
    if (groupId == 0) return OffsetObject(drawing, objects, row, dx, dy);
    for (int r = 0; r < objects->count; ++r) {
        DrawObject& member = (*objects)[r];
        if (member.groupId != groupId || member.groupRow < 0) continue;
        if (int err = OffsetObject(drawing, objects, r, dx, dy)) return err;
        OffsetRect(&member.groupFrame, dx, dy);
    }
    return 0;
}

int OffsetMoveSet(Drawing* drawing, ObjectList* objects, GroupTable* groups, const ObjectVector* set, int dx,
                  int dy)
{
    for (int i = 0; i < groups->count; ++i) (*groups)[i].flags |= GroupFramesPending;
    int err = 0;
    for (int i = 0; i < set->count && !err; ++i) {
        int row = set->rows[i];
        if (row < 0 || row >= objects->count) continue;
        DrawObject& object = (*objects)[row];
        if (object.groupId != 0) {
            int index = FindGroupEntry(groups, object.groupId, object.groupRow, 0);
            if (index >= 0) {
                object.groupRow = index;
                OffsetRect(&object.groupFrame, dx, dy);
                GroupEntry& group = (*groups)[index];
                if (group.flags & GroupFramesPending) {
                    OffsetRect(&group.frame, dx, dy);
                    OffsetRect(&group.groupedFrame, dx, dy);
                    group.flags &= ~static_cast<DWORD>(GroupFramesPending);
                }
            }
        }
        // MarkLinksChanged locks the tables again; the locks nest.
        err = OffsetObject(drawing, objects, row, dx, dy);
    }
    for (int i = 0; i < groups->count; ++i) (*groups)[i].flags &= ~static_cast<DWORD>(GroupFramesPending);
    return err;
}
