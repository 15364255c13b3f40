// The layout of a line array: branches, trunk, feed and tail computed from the members and the
// record, the fishbone lean, and the member list kept in step with the members' hooks.
//
// Segments are worked out as (a1, c1, a2, c2): a along the trunk, c across it, the trunk on
// c = 0 and positive c below a horizontal trunk or right of a vertical one. A horizontal trunk
// stores them as (left, top, right, bottom) = (a1, c1, a2, c2), a vertical one as (c1, a1, c2, a2).
#include "lines/array_layout.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "geometry/point_geometry.h"
#include "geometry/real_math.h"
#include "lines/array_class.h"
#include "lines/line_geometry.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/groups.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "shapes/shape_geometry.h"
#include "shapes/shape_kinds.h"
#include "store/flags.h"
#include "store/results.h"
#include "store/store_records.h"

namespace {

constexpr int kLeadingEntries = 3;       // trunk, feed stub, tail stub
constexpr int kStubLength = 150;         // feed and tail of an array that first has enough members
constexpr int kShortestChain = 150;      // a chain trunk without members
constexpr int kFishboneLimit = 32767;
constexpr LONG kHangsOnSides = 0x20;     // class flag: the object hangs on an array by a side
constexpr DWORD kFollowFlags = LinkChanged | LinkMoved;

bool Vertical(const DrawObject& array) { return array.objType == LineVertical; }

// Layout coordinates of a segment.
struct Seg {
    long long a1, c1, a2, c2;
};

LONG Clamp32(long long v)
{
    return static_cast<LONG>(std::clamp<long long>(v, LONG_MIN, LONG_MAX));
}

Seg ToLayout(const RECT& r, bool vertical)
{
    return vertical ? Seg{r.top, r.left, r.bottom, r.right} : Seg{r.left, r.top, r.right, r.bottom};
}

RECT ToStored(const Seg& s, bool vertical)
{
    const LONG a1 = Clamp32(s.a1), c1 = Clamp32(s.c1), a2 = Clamp32(s.a2), c2 = Clamp32(s.c2);
    return vertical ? RECT{c1, a1, c2, a2} : RECT{a1, c1, a2, c2};
}

// A branch at `a` of length `length` on the member side (down) or the other.
Seg Branch(long long a, long long length, bool down)
{
    return down ? Seg{a, 0, a, length} : Seg{a, -length, a, 0};
}

// The array's record, loaded with its counts made sound, locked while held.
class ArrayBlock {
public:
    ArrayBlock(Drawing* drawing, ObjectList* objects, int row)
    {
        error_ = LoadArrayData(ClassStoreSlot(drawing, objects, row), &(*objects)[row], &block_);
        if (!error_) error_ = Lock();
    }
    ~ArrayBlock() { Release(); }
    ArrayBlock(const ArrayBlock&) = delete;
    ArrayBlock& operator=(const ArrayBlock&) = delete;

    int error() const { return error_; }
    HGLOBAL block() const { return block_; }
    ArrayData& operator*() const { return *data_; }
    ArrayData* operator->() const { return data_; }
    ArrayData* get() const { return data_; }
    int Capacity() const { return ArrayEntryCapacity(block_); }

    // The record may get a new block; the lock is taken again on it.
    int Resize(DWORD size)
    {
        Unlock();
        const int err = ResizeRecord(&block_, size);
        const int lockErr = Lock();
        return err ? err : lockErr;
    }
    void Release()
    {
        Unlock();
        if (block_) ReleaseBlock(block_);
        block_ = nullptr;
    }

private:
    int Lock()
    {
        data_ = static_cast<ArrayData*>(GlobalLock(block_));
        return data_ ? 0 : ErrOutOfMemory;
    }
    void Unlock()
    {
        if (data_) GlobalUnlock(block_);
        data_ = nullptr;
    }

    HGLOBAL block_ = nullptr;
    ArrayData* data_ = nullptr;
    int error_ = 0;
};

int MinimumMembers(const ArrayData& data) { return (data.style & ArrayChain) ? 1 : 2; }
bool StartFeed(const ArrayData& data) { return (data.style & ArrayBothSides) || !(data.style & ArrayCentreFeed); }

// The point of the array's hooked end (1 or 2) in layout coordinates.
POINT HookedEndPoint(ArrayData& data, bool vertical, int end)
{
    const bool chain = (data.style & ArrayChain) != 0;
    if (data.memberCount < MinimumMembers(data)) {
        const Seg s = ToLayout(data[0].segment, vertical);
        const bool farSide = !chain && (data.style & ArrayOtherSide);
        return POINT{Clamp32(s.a1), Clamp32(farSide ? s.c2 : s.c1)};
    }
    if (end == 1) {
        const Seg s = ToLayout(data[1].segment, vertical);
        return POINT{Clamp32(s.a1), Clamp32(s.c1)};
    }
    const Seg s = ToLayout(data[2].segment, vertical);
    return StartFeed(data) ? POINT{Clamp32(s.a2), Clamp32(s.c1)} : POINT{Clamp32(s.a1), Clamp32(s.c2)};
}

// Flags the links on the array's parent so that the array is re-fitted to it.
void FlagParentLinks(Drawing* drawing, ObjectList* objects, const DrawObject& array)
{
    if (!drawing || HookSlotsInUse(array) == 0) return;
    const HookEntry hook = array.hooks[0];
    const int parentRow = FindObjectById(objects, hook.targetId, hook.targetRow);
    const int groupId = parentRow >= 0 ? (*objects)[parentRow].groupId : 0;
    const int groupRow = parentRow >= 0 ? (*objects)[parentRow].groupRow : -1;
    MarkLinksChanged(drawing, hook.targetId, kFollowFlags, groupId, groupRow);
}

// Below the minimum: a bare chain trunk, or a single branch carrying the member.
void LayoutFewMembers(ArrayData& data, int capacity, bool vertical)
{
    ArrayEntry* e = data.Entries();
    const int f = data.entryCount - data.memberCount;
    auto takeMemberOfF = [&] {
        if (f >= 0 && f < capacity) {
            e[0].memberId = e[f].memberId;
            e[0].memberRow = e[f].memberRow;
        } else {
            e[0].memberId = kNoMember;
            e[0].memberRow = -1;
        }
    };
    if (data.style & ArrayChain) {
        const long long feed = e[1].extent, tail = e[2].extent;
        const long long trunk = std::max<long long>(feed + tail, kShortestChain);
        e[0].extent = Clamp32(trunk);
        e[0].segment = ToStored(Seg{0, 0, trunk, 0}, vertical);
        e[1].segment = ToStored(Seg{0, 0, feed, 0}, vertical);
        e[2].segment = ToStored(Seg{feed, 0, feed + tail, 0}, vertical);
        if (!vertical) takeMemberOfF();
        return;
    }
    takeMemberOfF();
    e[0].segment = ToStored(Seg{0, 0, 0, e[0].extent}, vertical);
}

// The member's box: its own extent, or the (turned) frame of a group it shares with others than
// the array.
RECT MemberBox(Drawing* drawing, ObjectList* objects, int memberRow, const DrawObject& array, GroupTable* groups)
{
    const DrawObject& member = (*objects)[memberRow];
    RECT box = member.frame;
    int group = -1;
    if (member.groupId != 0 && member.groupId != array.groupId && groups)
        group = FindGroupEntry(groups, member.groupId, member.groupRow, 0);
    if (group < 0) {
        SendClassMessage(nullptr, drawing, objects, memberRow, OM_GETEXTENT, 1, 1, &box);
        return box;
    }
    const GroupEntry& entry = (*groups)[group];
    box = entry.frame;
    if (entry.angle != 0) {
        POINT corners[kMaxFixedOutlinePoints];
        int n = 0;
        GetShapeOutlinePoints(entry.frame, &entry.frame, 0.0, ShapeRectangle, entry.angle, nullptr, corners, &n, 0);
        BoundsOfPoints(&box, corners, n);
    }
    return box;
}

LONG SpacingOf(Drawing* drawing, ObjectList* objects, int memberRow)
{
    INT32 spacing = 0;
    SendClassMessage(nullptr, drawing, objects, memberRow, OM_SPACING, 0, 0, &spacing);
    return spacing;
}

// Where a shape's side point lies along the trunk; `fallback` when the shape has no such point.
long long PointAlong(Drawing* drawing, ObjectList* objects, int memberRow, int code, bool vertical, long long fallback)
{
    POINT at = {0, 0};
    if (SendClassMessage(nullptr, drawing, objects, memberRow, OM_GETPOINTPOS, code, 0, &at) != 0) return fallback;
    return vertical ? at.y : at.x;
}

// At or above the minimum: the leading entries, the members' branches, trunk and stubs, the
// fishbone lean.
void LayoutMembers(Drawing* drawing, ObjectList* objects, int row, ArrayData& data)
{
    const DrawObject& array = (*objects)[row];
    const bool vertical = Vertical(array);
    const DWORD style = data.style;
    const bool chain = (style & ArrayChain) != 0, both = (style & ArrayBothSides) != 0;
    const bool stagger = (style & ArrayStagger) != 0, down = !(style & ArrayOtherSide);
    const bool startFeed = StartFeed(data), bothPairs = both && !stagger;
    const long long L = data.branchLength, G = data.gap;
    ArrayEntry* e = data.Entries();
    int n = data.entryCount;
    const int m = data.memberCount;
    int f = n - m;

    if (f < kLeadingEntries) {
        std::memmove(&e[kLeadingEntries], &e[f], sizeof(ArrayEntry) * m);
        for (int i = f; i < kLeadingEntries; ++i) {
            e[i].memberId = kNoMember;
            e[i].memberRow = 0;
            if (!chain) e[i].extent = kStubLength;
        }
        n += kLeadingEntries - f;
        data.entryCount = n;
        f = kLeadingEntries;
    }
    const long long feed = e[1].extent, tail = e[2].extent;

    // Measuring: rows refreshed, sizes along the trunk, the deepest members.
    std::vector<char> present(n, 0);
    std::vector<long long> entryOffset(n, 0), exitOffset(n, 0);
    long long deepest = 0, deepestFirstRow = 0;
    {
        Locked<GroupTable> groups(drawing ? drawing->groupTable : nullptr);
        for (int i = f; i < n; ++i) {
            if (e[i].memberId == kNoMember) continue;
            const int memberRow = FindObjectById(objects, e[i].memberId, e[i].memberRow);
            e[i].memberRow = memberRow;
            if (memberRow < 0) continue;
            present[i] = 1;
            const RECT box = MemberBox(drawing, objects, memberRow, array, groups.get());
            const long long boxStart = vertical ? box.top : box.left, boxEnd = vertical ? box.bottom : box.right;
            const long long across = vertical ? box.right - box.left : box.bottom - box.top;
            e[i].extent = Clamp32(boxEnd - boxStart);
            const bool shape = (*objects)[memberRow].objClass == ClassShape;
            if (chain) {
                if (shape) {
                    entryOffset[i] =
                        PointAlong(drawing, objects, memberRow, vertical ? 305 : 307, vertical, boxStart) - boxStart;
                    exitOffset[i] =
                        boxEnd - PointAlong(drawing, objects, memberRow, vertical ? 306 : 308, vertical, boxEnd);
                } else {
                    e[i].extent = 0;
                }
            }
            if (SpacingOf(drawing, objects, memberRow) == 0 && shape) {
                deepest = std::max(deepest, across);
                if (stagger && (i - f) % 2 == 0) deepestFirstRow = std::max(deepestFirstRow, across);
            }
        }
    }

    // Placement along the trunk.
    long long p = startFeed ? feed : 0, q = p, c = p;
    int alt = 0;
    for (int i = f; i < n;) {
        if (!present[i]) {
            ++i;
            continue;
        }
        int k = 0;
        const DrawObject& member = (*objects)[e[i].memberRow];
        // A sub-array whose feed reaches deeper than any shape hangs by its trunk's thickness.
        const long long spacing = SpacingOf(drawing, objects, e[i].memberRow);
        if (deepest != 0 && deepest < spacing && !chain) e[i].extent = member.lineWidth;
        const long long x = e[i].extent;
        const bool hasNext = i + 1 < n;
        const long long nextX = hasNext ? e[i + 1].extent : 0;
        if (i > f) {
            if (alt == 0) {
                if (!chain) p += x / 2;
            } else if (vertical ? q > feed : q != 0) {
                q += x / 2;
            }
        }
        if (!both) {
            if (alt == 0 || !stagger) {
                if (chain) {
                    e[i].segment = ToStored(Seg{c, 0, p + entryOffset[i], 0}, vertical);
                    c = p + x - exitOffset[i];
                } else {
                    e[i].segment = ToStored(Branch(p, L, down), vertical);
                }
            } else {
                p = std::max(p, q);
                const long long at = p - G / 2, depth = 2 * L + deepestFirstRow;
                e[i].segment = ToStored(Branch(at, depth, down), vertical);
                q = p;
            }
        } else if (!stagger) {
            if (i > f) {
                if (hasNext)
                    q += nextX / 2;
                else
                    q = p;
            }
            q = std::max(q, p);
            p = q;
            e[i].segment = ToStored(Branch(q, L, down), vertical);
            if (hasNext && present[i + 1]) e[i + 1].segment = ToStored(Branch(p, L, !down), vertical);
            k = 1;
        } else if (alt == 0) {
            e[i].segment = ToStored(Branch(p, L, down), vertical);
        } else {
            p = std::max(p, q);
            e[i].segment = ToStored(Branch(p - G / 2, L, !down), vertical);
            q = p;
        }
        if (i < n - 1 - k) {
            if (alt == 0)
                p += chain ? x + G : G + x / 2;
            else
                q += G + x / 2;
            if (bothPairs) {
                if (hasNext)
                    q += G + nextX / 2;
                else
                    q = p;
            }
        } else if (chain) {
            p = c;
        }
        if (stagger) alt ^= 1;
        i += 1 + k;
    }
    if (stagger && alt == 0) p -= G / 2;

    if (startFeed) {
        e[0].segment = ToStored(Seg{feed, 0, p, 0}, vertical);
        e[1].segment = ToStored(Seg{0, 0, feed, 0}, vertical);
        e[2].segment = ToStored(Seg{p, 0, p + tail, 0}, vertical);
    } else {
        // The feed stub leaves the trunk's middle away from the members.
        const long long middle = p / 2;
        e[0].segment = ToStored(Seg{0, 0, p, 0}, vertical);
        e[1].segment = ToStored(down ? Seg{middle, -feed, middle, 0} : Seg{middle, 0, middle, feed}, vertical);
        e[2].segment = ToStored(Seg{middle, 0, middle, 0}, vertical);
    }

    // Fishbone: the member ends lean f before (45) or after (135) their trunk ends; the figure
    // moves forward just enough that nothing starts below a = 0.
    const long long lean = FishboneOffset(&data);
    if (lean != 0 && n > 1) {
        long long s = std::max<long long>(lean - ToLayout(e[0].segment, vertical).a1, 0);
        long long t = lean - s;
        for (int i = 0; i < kLeadingEntries; ++i) {
            Seg seg = ToLayout(e[i].segment, vertical);
            seg.a1 += s;
            seg.a2 += s;
            e[i].segment = ToStored(seg, vertical);
        }
        if (t < 0) {
            s = -t;
            t = 0;
        }
        for (int i = f; i < n; ++i) {
            if (!present[i]) continue;   // a gone member keeps its old segment
            Seg seg = ToLayout(e[i].segment, vertical);
            seg.a2 += s;
            seg.a1 -= t;
            e[i].segment = ToStored(seg, vertical);
        }
    }
}

int LayoutRecord(Drawing* drawing, ObjectList* objects, int row)
{
    ArrayBlock data(drawing, objects, row);
    if (data.error()) return data.error();
    if (int err = BeginRecordChange(data.block())) return err;
    if (int err = MarkBlockDirty(data.block())) return err;
    // A record too short for the trunk and its stubs (damaged) gets their room first.
    int capacity = data.Capacity();
    if (capacity < kLeadingEntries) {
        if (int err = data.Resize(ArrayRecordSize(0))) return err;
        for (int i = std::max(capacity, 0); i < kLeadingEntries; ++i)
            (*data)[i] = ArrayEntry{{0, 0, 0, 0}, kNoMember, -1, 0};
        capacity = data.Capacity();
        if (capacity < kLeadingEntries) return StoreMemoryTooSmall;
    }

    DrawObject* array = &(*objects)[row];
    const bool vertical = Vertical(*array);
    const int hookedEnd = ArrayHookedEnd(array);
    const POINT before = hookedEnd ? HookedEndPoint(*data, vertical, hookedEnd) : POINT{0, 0};

    if (data->memberCount < MinimumMembers(*data))
        LayoutFewMembers(*data, capacity, vertical);
    else
        LayoutMembers(drawing, objects, row, *data);

    const POINT after = hookedEnd ? HookedEndPoint(*data, vertical, hookedEnd) : POINT{0, 0};
    data.Release();

    if (drawing) {
        // Members follow their branch ends, and a moved hooked end brings the array back to its parent.
        MarkLinksChanged(drawing, array->objId, kFollowFlags, array->groupId, array->groupRow);
        if (hookedEnd != 0 && (before.x != after.x || before.y != after.y))
            FlagParentLinks(drawing, objects, *array);
    }
    RecalcArrayRects(drawing, array);
    return 0;
}

// The holder's hook slot that message 79 names; null when there is none.
HookEntry* HolderHook(ObjectList* objects, int holderRow, int slot)
{
    if (holderRow < 0 || holderRow >= objects->count) return nullptr;
    DrawObject& holder = (*objects)[holderRow];
    return slot >= 0 && slot < HookSlotsInUse(holder) ? &holder.hooks[slot] : nullptr;
}

// Gives the holder's hook a position index and the side code that goes with it.
void SetHolderPosition(Drawing* drawing, ObjectList* objects, int arrayRow, int holderRow, HookEntry* hook,
                       const ArrayData& data, int position)
{
    if (!hook) return;
    hook->attachX = position;
    const int code = MemberSideCode(drawing, objects, arrayRow, holderRow, &data, position);
    if (code != 0) hook->holderCode = code;
}

int RemoveMember(Drawing* drawing, ObjectList* objects, int row, ArrayBlock& data, int holderId, int j)
{
    DrawObject* array = &(*objects)[row];
    if (HookSlotsInUse(*array) > 0) FlagParentLinks(drawing, objects, *array);
    ArrayData& d = *data;
    ArrayEntry* e = d.Entries();
    const int n = d.entryCount, m = d.memberCount, f = n - m;
    if (n == 1) {
        // A holder that is not the member leaves the member where it is.
        if (m == 0 || e[0].memberId == holderId) {
            e[0].memberId = kNoMember;
            d.memberCount = 0;
        }
    } else if (j >= 0 && m == MinimumMembers(d)) {
        // Below the minimum the array collapses onto the surviving member's branch.
        if (drawing && drawing->viewWindow) InvalidateLogicalRect(drawing->viewWindow, &array->updateRect);
        const int survivor = j == n - 1 ? f : f + 1;
        const RECT at = e[survivor].segment;
        e[0] = e[survivor];
        e[0].extent = d.branchLength;
        if (survivor == j) {
            // The only member of a chain left: its own entry stays without a member.
            e[0].memberId = kNoMember;
            e[0].memberRow = -1;
        }
        d.entryCount = 1;
        d.memberCount = m - 1;
        RefreshMemberEntry(drawing, objects, row, &d, 0, 0, 0);
        OffsetRect(&array->updateRect, at.left, at.top);
        OffsetRect(&array->frame, at.left, at.top);
        OffsetRect(&array->innerRect, at.left, at.top);
        OffsetRect(&array->textRect, at.left, at.top);
        array->axisCoord += Vertical(*array) ? at.left : at.top;
    } else if (j >= 0) {
        for (int k = j; k < n - 1; ++k) {
            e[k] = e[k + 1];
            RefreshMemberEntry(drawing, objects, row, &d, k, -1, -1);
        }
        d.entryCount = n - 1;
        d.memberCount = m - 1;
    }
    return data.Resize(ArrayRecordSize(data->memberCount));
}

int AddMember(Drawing* drawing, ObjectList* objects, int row, ArrayBlock& data, int holderId, int holderRow,
              int slot)
{
    const int m = data->memberCount;
    if (int err = data.Resize(ArrayRecordSize(m + 1))) return err;
    ArrayData& d = *data;
    ArrayEntry* e = d.Entries();
    // An array without members is a bare entry 0 (a damaged record may say otherwise).
    if (m == 0) d.entryCount = 1;
    const int n = d.entryCount;
    const int f = m == 0 ? 0 : n - m;
    const HookEntry* hook = HolderHook(objects, holderRow, slot);
    const long long position = hook ? hook->attachX : 0;
    // The record grew by one entry: the new member goes at most just after the last.
    const int t = m == 0 ? 0 : static_cast<int>(std::clamp<long long>(position + f, f, n));
    const int lowest = (d.style & ArrayChain) ? std::max(t, 1) : t;   // a chain's entry 0 never moves
    if (m > 0) d.entryCount = n + 1;
    for (int k = n - 1; k >= lowest; --k) {
        e[k + 1] = e[k];
        RefreshMemberEntry(drawing, objects, row, &d, k + 1, 1, -1);
    }
    e[t] = ArrayEntry{{0, 0, 0, 0}, holderId, holderRow, d.branchLength};
    d.memberCount = m + 1;
    RefreshMemberEntry(drawing, objects, row, &d, t, 0, t - f);
    return 0;
}

void MoveMember(Drawing* drawing, ObjectList* objects, int row, ArrayData& d, int j, int holderRow, int slot)
{
    ArrayEntry* e = d.Entries();
    const int n = d.entryCount, f = n - d.memberCount;
    HookEntry* hook = HolderHook(objects, holderRow, slot);
    const long long position = hook ? hook->attachX : j - f;
    long long t = position + f;
    if (j < t) {
        --t;
        SetHolderPosition(drawing, objects, row, holderRow, hook, d, static_cast<int>(t - f));
    }
    if (j == t) SetHolderPosition(drawing, objects, row, holderRow, hook, d, j - f);
    if (t > n - 1 || t < f) {
        t = std::clamp<long long>(t, f, n - 1);
        if (j == t) SetHolderPosition(drawing, objects, row, holderRow, hook, d, j - f);
    }
    const int to = static_cast<int>(t);
    if (j == to) return;
    const ArrayEntry moving = e[j];
    if (j < to) {
        for (int k = j; k < to; ++k) {
            e[k] = e[k + 1];
            RefreshMemberEntry(drawing, objects, row, &d, k, -1, -1);
        }
    } else {
        for (int k = j; k > to; --k) {
            e[k] = e[k - 1];
            RefreshMemberEntry(drawing, objects, row, &d, k, 1, -1);
        }
    }
    e[to] = moving;
    RefreshMemberEntry(drawing, objects, row, &d, to, 0, to - f);
}

}  // namespace

int LayoutArray(Drawing* drawing, ObjectList* objects, int row)
{
    if (!objects || row < 0 || row >= objects->count) return 0;
    const int err = LayoutRecord(drawing, objects, row);
    SetFlagBits(&(*objects)[row].state, kArrayLayoutPending, FALSE);
    return err;
}

int ArrayMemberMessage(Drawing* drawing, ObjectList* objects, int row, int holderId, int slot, int holderRow)
{
    if (!objects || row < 0 || row >= objects->count) return 0;
    if (holderId == kNoMember) {
        SetFlagBits(&(*objects)[row].state, kArrayLayoutPending, TRUE);
        return 0;
    }
    if (slot >= 0 && (holderRow < 0 || holderRow >= objects->count)) return 1;
    {
        ArrayBlock data(drawing, objects, row);
        if (data.error()) return data.error();
        if (int err = BeginRecordChange(data.block())) return err;
        if (int err = MarkBlockDirty(data.block())) return err;
        const int n = data->entryCount, f = n - data->memberCount;
        int j = -1;
        for (int i = n - 1; i >= f && j < 0; --i) {
            if ((*data)[i].memberId == holderId) j = i;
        }
        int err = 0;
        if (slot < 0)
            err = RemoveMember(drawing, objects, row, data, holderId, j);
        else if (j < 0)
            err = AddMember(drawing, objects, row, data, holderId, holderRow, slot);
        else
            MoveMember(drawing, objects, row, *data, j, holderRow, slot);
        if (err) return err;
    }
    HWND view = drawing ? drawing->viewWindow : nullptr;
    if (view) InvalidateLogicalRect(view, &(*objects)[row].updateRect);
    const int err = LayoutArray(drawing, objects, row);
    if (view) InvalidateLogicalRect(view, &(*objects)[row].updateRect);
    return err;
}

int MemberSideCode(Drawing*, ObjectList* objects, int arrayRow, int memberRow, const ArrayData* data, int position)
{
    if (!objects || !data || arrayRow < 0 || arrayRow >= objects->count || memberRow < 0 ||
        memberRow >= objects->count)
        return 0;
    const DrawObject& member = (*objects)[memberRow];
    if (!(SendTypeQuery(member.objClass, OM_GETCLASSFLAGS, member.objType) & kHangsOnSides)) return 0;
    return ArraySideCode(&(*objects)[arrayRow], data->style, position);
}

int ArraySideCode(const DrawObject* array, DWORD style, int position)
{
    const bool vertical = Vertical(*array);
    if (style & ArrayChain) return vertical ? 305 : 307;
    bool farSide = (style & ArrayBothSides) && position > 0 && position % 2 == 1;
    if (style & ArrayOtherSide) farSide = !farSide;
    if (vertical) return farSide ? 308 : 307;
    return farSide ? 306 : 305;
}

void RefreshMemberEntry(Drawing* drawing, ObjectList* objects, int arrayRow, ArrayData* data, int entry, int delta,
                        int value)
{
    if (!objects || !data || arrayRow < 0 || arrayRow >= objects->count || entry < 0 || entry >= data->entryCount)
        return;
    ArrayEntry& e = (*data)[entry];
    if (e.memberId == kNoMember) return;
    const int memberRow = FindObjectById(objects, e.memberId, e.memberRow);
    e.memberRow = memberRow;
    if (memberRow < 0) return;
    const int arrayId = (*objects)[arrayRow].objId;
    DrawObject& member = (*objects)[memberRow];
    for (int s = 0; s < HookSlotsInUse(member); ++s) {
        HookEntry& hook = member.hooks[s];
        if (hook.targetId != arrayId) continue;
        if (delta != 0)
            hook.attachX += delta;
        else if (value >= 0)
            hook.attachX = value;
        const int code = MemberSideCode(drawing, objects, arrayRow, memberRow, data, hook.attachX);
        if (code != 0) hook.holderCode = code;
        return;
    }
}

int FishboneOffset(const ArrayData* data)
{
    if (!data || data->branchAngle == 0 || data->entryCount <= 1) return 0;
    const double tangent = std::tan(data->branchAngle * kPi / 180.0);
    if (tangent == 0.0) return 0;
    // An angle near 0 or 180 (a damaged record) makes the quotient huge.
    const double offset = data->branchLength * (1.0 / tangent);
    return TruncReal(std::clamp(offset, -static_cast<double>(kFishboneLimit), static_cast<double>(kFishboneLimit)));
}

int ArrayHookedEnd(const DrawObject* array)
{
    if (!array || HookSlotsInUse(*array) == 0) return 0;
    const int code = array->hooks[0].holderCode;
    return code == 20 || code == 22 ? 1 : 2;
}
