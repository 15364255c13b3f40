// Align, Make Same Size and Space Evenly: the selection arranged against a reference object
// or evenly between its outermost items. Each command's check changes nothing.
#include <cstring>

#include "documents/document_state.h"
#include "editing/arrange.h"
#include "editing/arrange_internal.h"
#include "frame/frame_services.h"
#include "geometry/real_math.h"
#include "model/class_protocol.h"
#include "model/document_changes.h"
#include "model/drawing.h"
#include "model/edit_ops.h"
#include "model/group_transform.h"
#include "model/groups.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/move_set.h"
#include "resource.h"
#include "store/results.h"

namespace {

constexpr int kSpacingStep = 100;

// The reference of Align and Make Same Size: its row, its group (-1 none) and its rectangle.
struct Reference {
    int row = -1;
    int group = -1;
    RECT rect = {};
};

BOOL GroupFrame(Drawing* drawing, int index, RECT* frame)
{
    Locked<GroupTable> groups(drawing->groupTable);
    if (!groups || index < 0 || index >= groups->count) return FALSE;
    *frame = (*groups)[index].frame;
    return TRUE;
}

// The reference object's group frame, else its frame (`rotated`: its rotated bounds).
BOOL TakeReference(Drawing* drawing, ObjectList* objects, BOOL rotated, Reference* ref)
{
    ref->row = arrange::ReferenceRow(drawing, objects);
    if (ref->row < 0) return FALSE;
    ref->group = GroupIndexOfObject(drawing, (*objects)[ref->row]);
    if (ref->group >= 0) return GroupFrame(drawing, ref->group, &ref->rect);
    ref->rect = (*objects)[ref->row].frame;
    if (rotated) SendClassMessage(nullptr, drawing, objects, ref->row, OM_GETBOUNDS, 1, 1, &ref->rect);
    return TRUE;
}

// At most one reference: none selected, or one without a current object, is not enough.
BOOL TooFewSelected(Drawing* drawing)
{
    return drawing->currentRow < 0 && drawing->selectedCount < 2;
}

LONG HalfWay(LONG low, LONG high)
{
    return low + (high - low) / 2;
}

POINT AlignDelta(int mode, const RECT& ref, const RECT& r)
{
    POINT d = {0, 0};
    switch (mode) {
    case 0: d.x = ref.left - r.left; break;
    case 1: d.x = ref.right - r.right; break;
    case 2: d.x = HalfWay(ref.left, ref.right) - HalfWay(r.left, r.right); break;
    case 3: d.y = ref.top - r.top; break;
    case 4: d.y = HalfWay(ref.top, ref.bottom) - HalfWay(r.top, r.bottom); break;
    case 5: d.y = ref.bottom - r.bottom; break;
    default: break;
    }
    return d;
}

// The object's group index, or -1; a stale hint of a grouped object is refreshed.
int RefreshGroup(Drawing* drawing, DrawObject& object)
{
    int index = GroupIndexOfObject(drawing, object);
    if (index >= 0) object.groupRow = index;
    return index;
}

BOOL InsideArea(const DocumentState* state, const RECT& r)
{
    return r.left >= 0 && r.top >= 0 && r.right <= state->areaWidth && r.bottom <= state->areaHeight;
}

// Rows that the relative commands leave alone: the reference, what is not selected and the
// other members of the reference's group.
BOOL SkipForReference(Drawing* drawing, DrawObject& object, int row, const Reference& ref)
{
    if (row == ref.row || !(object.state & StateSelected)) return TRUE;
    return ref.group >= 0 && RefreshGroup(drawing, object) == ref.group;
}

void GetSize(Drawing* drawing, ObjectList* objects, int row, LONG* w, LONG* h)
{
    INT32 size[2] = {0, 0};
    SendClassMessage(nullptr, drawing, objects, row, OM_GETSIZE, 0, 0, size);
    *w = size[0];
    *h = size[1];
}

// Inserts before the first entry whose edge is not smaller, found by halving.
void InsertSorted(SpacingItem* items, int count, SpacingItem item)
{
    int lo = 0, hi = count - 1, at = -1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        if (item.edge < items[mid].edge) hi = mid - 1;
        else if (item.edge > items[mid].edge) lo = mid + 1;
        else {
            at = mid;
            break;
        }
    }
    if (at < 0) at = lo;
    memmove(items + at + 1, items + at, sizeof(SpacingItem) * (count - at));
    items[at] = item;
}

}  // namespace

BOOL CheckAlign(DocumentState* state, Drawing* drawing, int mode)
{
    if (TooFewSelected(drawing)) {
        ShowWarningById(IDS_SELECT_TWO);
        return FALSE;
    }
    Locked<ObjectList> objects(drawing->objectList);
    Reference ref;
    if (!objects || !TakeReference(drawing, objects.get(), FALSE, &ref)) {
        ShowWarningById(IDS_SELECT_TWO);
        return FALSE;
    }
    BOOL found = FALSE;
    for (int row = 0; row < objects->count; ++row) {
        DrawObject& object = (*objects)[row];
        if (object.groupRow < 0) object.groupId = 0;
        if (object.hookCount != 0 || SkipForReference(drawing, object, row, ref)) continue;
        found = TRUE;
        ObjectVector* set = nullptr;
        RECT bounds = {};
        int err = CollectMoveSet(drawing, row, FALSE, FALSE, FALSE, &set, &bounds);
        FreeObjectVector(&set, objects.get());
        if (err) return FALSE;
        POINT d = AlignDelta(mode, ref.rect, bounds);
        OffsetRect(&bounds, d.x, d.y);
        if (!InsideArea(state, bounds)) {
            ShowWarningById(IDS_ALIGN_OUTSIDE);
            return FALSE;
        }
    }
    if (!found) ShowWarningById(IDS_ALIGN_HOOKED);
    return found;
}

int AlignSelection(DocumentState* state, Drawing* drawing, int mode)
{
    InvalidationBatch batch;
    int err = 0;
    {
        Locked<ObjectList> objects(drawing->objectList);
        if (!objects) return ErrOutOfMemory;
        Reference ref;
        if (!TakeReference(drawing, objects.get(), TRUE, &ref)) return 0;
        for (int row = 0; row < objects->count && !err; ++row) {
            DrawObject& object = (*objects)[row];
            int group = -1;
            if (object.groupRow < 0) object.groupId = 0;
            else group = RefreshGroup(drawing, object);
            if (object.hookCount != 0 || SkipForReference(drawing, object, row, ref)) continue;
            RECT r = object.frame;
            if (object.groupId == 0 || !GroupFrame(drawing, group, &r))
                SendClassMessage(nullptr, drawing, objects.get(), row, OM_GETBOUNDS, 1, 1, &r);
            POINT d = AlignDelta(mode, ref.rect, r);
            err = OffsetObject(drawing, objects.get(), row, d.x, d.y);
            if (!err && object.groupId != 0 && group >= 0) OffsetRect(&object.groupFrame, d.x, d.y);
        }
        if (!err) {
            Locked<GroupTable> groups(drawing->groupTable);
            if (!groups) return ErrOutOfMemory;
            for (int i = 0; i < groups->count; ++i) {
                GroupEntry& group = (*groups)[i];
                if (i == ref.group || !(group.flags & GroupSelected)) continue;
                POINT d = AlignDelta(mode, ref.rect, group.frame);
                OffsetRect(&group.frame, d.x, d.y);
                OffsetRect(&group.groupedFrame, d.x, d.y);
            }
        }
    }
    MarkDocumentChanged(drawing->viewWindow, state, FALSE);
    return err;
}

BOOL CheckSameSize(DocumentState*, Drawing* drawing, int mode)
{
    if (TooFewSelected(drawing)) {
        ShowWarningById(IDS_SELECT_TWO);
        return FALSE;
    }
    Locked<ObjectList> objects(drawing->objectList);
    Reference ref;
    if (!objects || !TakeReference(drawing, objects.get(), FALSE, &ref)) {
        ShowWarningById(IDS_SELECT_TWO);
        return FALSE;
    }
    LONG refWidth = ref.rect.right - ref.rect.left, refHeight = ref.rect.bottom - ref.rect.top;
    if (ref.group < 0) GetSize(drawing, objects.get(), ref.row, &refWidth, &refHeight);
    if (!(mode & 1)) refWidth = 0;
    if (!(mode & 2)) refHeight = 0;
    if (refWidth == 0 && refHeight == 0) {
        ShowWarningById(IDS_NO_SIZE);
        return FALSE;
    }
    BOOL found = FALSE;
    for (int row = 0; row < objects->count; ++row) {
        DrawObject& object = (*objects)[row];
        if (object.groupRow < 0) object.groupId = 0;
        else RefreshGroup(drawing, object);
        if (SkipForReference(drawing, object, row, ref)) continue;
        if (object.groupId != 0) {
            found = TRUE;
            continue;
        }
        LONG w = 0, h = 0;
        GetSize(drawing, objects.get(), row, &w, &h);
        if (refWidth == 0) w = 0;
        if (refHeight == 0) h = 0;
        if (w != 0 || h != 0) found = TRUE;
        if (object.hookCount >= 2) {
            ShowWarningById(IDS_HOOKED_TWICE);
            return FALSE;
        }
    }
    if (!found) ShowWarningById(IDS_NOTHING_TO_SIZE);
    return found;
}

int MakeSameSize(DocumentState* state, Drawing* drawing, int mode)
{
    InvalidationBatch batch;
    HWND view = drawing->viewWindow;
    int err = 0;
    {
        Locked<ObjectList> held(drawing->objectList);
        if (!held) return ErrOutOfMemory;
        ObjectList* objects = held.get();
        Reference ref;
        if (!TakeReference(drawing, objects, FALSE, &ref)) return 0;
        LONG refWidth = ref.rect.right - ref.rect.left, refHeight = ref.rect.bottom - ref.rect.top;
        if (ref.group < 0) GetSize(drawing, objects, ref.row, &refWidth, &refHeight);
        for (int row = 0; !err && row < objects->count; ++row) {
            DrawObject& object = (*objects)[row];
            if (object.hookCount >= 2 || SkipForReference(drawing, object, row, ref)) continue;
            int group = object.groupRow < 0 ? -1 : RefreshGroup(drawing, object);
            LONG w = 0, h = 0;
            RECT groupFrame = {};
            if (group >= 0 && GroupFrame(drawing, group, &groupFrame)) {
                w = groupFrame.right - groupFrame.left;
                h = groupFrame.bottom - groupFrame.top;
            } else {
                group = -1;
                GetSize(drawing, objects, row, &w, &h);
            }
            LONG dw = (mode & 1) && refWidth != 0 && w != 0 ? refWidth - w : 0;
            LONG dh = (mode & 2) && refHeight != 0 && h != 0 ? refHeight - h : 0;
            if (group >= 0) {
                Locked<GroupTable> groups(drawing->groupTable);
                int layout = groups ? (*groups)[group].handleLayout : 0;
                groups.Unlock();
                if ((err = arrange::ProportionalDelta(drawing, layout, mode, w, h, &dw, &dh))) break;
                if (dw == 0 && dh == 0) continue;
                RECT r = groupFrame;
                r.right += dw;
                r.bottom += dh;
                err = ResizeGroup(view, group, &r, 0, TRUE);
                if (!(objects = PresentObjectList(drawing))) err = ErrOutOfMemory;
                continue;
            }
            if (object.handleLayout == 1) dh = 0;
            else if (object.handleLayout == 2) dw = 0;
            else if ((err = arrange::ProportionalDelta(drawing, object.handleLayout, mode, w, h, &dw, &dh))) break;
            InvalidateLogicalRect(view, &object.updateRect);
            RECT r = object.frame;
            r.right += dw;
            r.bottom += dh;
            err = static_cast<int>(SendClassMessage(nullptr, drawing, objects, row, OM_SETFRAME, 0, 0, &r));
            if (!(objects = PresentObjectList(drawing))) err = ErrOutOfMemory;
            if (err) break;
            const DrawObject& sized = (*objects)[row];
            RECT bounds = sized.frame;
            SendClassMessage(nullptr, drawing, objects, row, OM_GETBOUNDS, 1, 1, &bounds);
            if (!InsideArea(state, bounds)) {
                err = ErrOutsideDrawing;
                break;
            }
            MarkLinksChanged(drawing, sized.objId, LinkChanged, sized.groupId, sized.groupRow);
            for (int slot = 0; slot < HookSlotsInUse(sized); ++slot) {
                const HookEntry& hook = sized.hooks[slot];
                int target = FindObjectById(objects, hook.targetId, hook.targetRow);
                if (target >= 0)
                    MarkLinksChanged(drawing, hook.targetId, LinkChanged, (*objects)[target].groupId,
                                     (*objects)[target].groupRow);
            }
            InvalidateLogicalRect(view, &sized.updateRect);
        }
    }
    if (!err) err = PropagateLinks(drawing);
    MarkDocumentChanged(view, state, FALSE);
    return err;
}

BOOL CollectSpacingItems(DocumentState*, Drawing* drawing, BOOL horizontal, HGLOBAL* list, int* count, int* gap)
{
    *list = nullptr;
    *count = 0;
    *gap = 0;
    if (drawing->selectedCount < 3) {
        ShowWarningById(IDS_SPACE_THREE);
        return FALSE;
    }
    int capacity = kSpacingStep;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(SpacingItem) * capacity);
    if (!block) return FALSE;
    double extents = 0;
    LONG farthest = 0;
    int n = 0;
    BOOL ok = TRUE;
    auto add = [&](int code, const RECT& r) {
        LONG lead = horizontal ? r.left : r.top, trail = horizontal ? r.right : r.bottom;
        if (n == capacity) {
            HGLOBAL grown = GlobalReAlloc(block, sizeof(SpacingItem) * (capacity + kSpacingStep), GMEM_MOVEABLE);
            if (!grown) return FALSE;
            block = grown;
            capacity += kSpacingStep;
        }
        Locked<SpacingItem> items(block);
        if (!items) return FALSE;
        extents += trail - lead;
        if (trail > farthest) farthest = trail;
        InsertSorted(items.get(), n++, {code, lead});
        return TRUE;
    };
    {
        Locked<GroupTable> groups(drawing->groupTable);
        Locked<ObjectList> objects(drawing->objectList);
        ok = groups && objects;
        for (int i = 0; ok && i < groups->count; ++i)
            if ((*groups)[i].flags & GroupSelected) ok = add(-(i + 1), (*groups)[i].frame);
        for (int row = 0; ok && row < objects->count; ++row) {
            DrawObject& object = (*objects)[row];
            if (!(object.state & StateSelected) || object.hookCount != 0 || object.groupId != 0) continue;
            RECT r = object.frame;
            SendClassMessage(nullptr, drawing, objects.get(), row, OM_GETFRAME, 0, 0, &r);
            ok = add(row, r);
        }
    }
    if (!ok || n < 3) {
        GlobalFree(block);
        if (ok) ShowWarningById(IDS_SPACE_THREE);
        return FALSE;
    }
    {
        Locked<SpacingItem> items(block);
        *gap = TruncReal((farthest - items.get()[0].edge - extents) / (n - 1));
    }
    *list = block;
    *count = n;
    return TRUE;
}

namespace {

struct GroupDelta {
    int groupId;
    LONG d;
};

int SpaceOneDirection(Drawing* drawing, BOOL horizontal, HGLOBAL list, int count, int gap)
{
    if (!list || count <= 0) return 0;
    Locked<SpacingItem> items(list);
    Locked<ObjectList> objects(drawing->objectList);
    Locked<GroupTable> groups(drawing->groupTable);
    if (!items || !objects || !groups) return ErrOutOfMemory;
    auto lead = [&](const RECT& r) { return horizontal ? r.left : r.top; };
    auto trail = [&](const RECT& r) { return horizontal ? r.right : r.bottom; };
    auto rectOf = [&](int code, RECT* r) {
        if (code < 0) {
            int index = -code - 1;
            if (index >= groups->count) return FALSE;
            *r = (*groups)[index].frame;
            return TRUE;
        }
        if (code >= objects->count) return FALSE;
        *r = (*objects)[code].frame;
        SendClassMessage(nullptr, drawing, objects.get(), code, OM_GETFRAME, 0, 0, r);
        return TRUE;
    };
    RECT r;
    if (!rectOf(items.get()[0].code, &r)) return 0;
    LONG cursor = trail(r);
    HGLOBAL notedBlock = GlobalAlloc(GMEM_MOVEABLE, sizeof(GroupDelta) * (count > 0 ? count : 1));
    if (!notedBlock) return ErrOutOfMemory;
    Locked<GroupDelta> noted(notedBlock);
    int nNoted = 0, err = 0;
    for (int i = 1; i < count - 1 && !err; ++i) {
        int code = items.get()[i].code;
        if (!rectOf(code, &r)) continue;
        LONG d = gap + cursor - lead(r);
        if (code < 0) noted.get()[nNoted++] = {(*groups)[-code - 1].groupId, d};
        else if ((*objects)[code].hookCount == 0)
            err = OffsetObject(drawing, objects.get(), code, horizontal ? d : 0, horizontal ? 0 : d);
        cursor = trail(r) + d;
    }
    for (int i = 0; i < groups->count; ++i) (*groups)[i].flags |= GroupFramesPending;
    for (int row = 0; row < objects->count && !err && nNoted; ++row) {
        DrawObject& object = (*objects)[row];
        if (!(object.state & StateSelected) || object.groupId == 0) continue;
        int k = 0;
        while (k < nNoted && noted.get()[k].groupId != object.groupId) ++k;
        if (k == nNoted) continue;
        LONG dx = horizontal ? noted.get()[k].d : 0, dy = horizontal ? 0 : noted.get()[k].d;
        int index = FindGroupEntry(groups.get(), object.groupId, object.groupRow, 0);
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
        if (object.hookCount == 0) err = OffsetObject(drawing, objects.get(), row, dx, dy);
    }
    for (int i = 0; i < groups->count; ++i) (*groups)[i].flags &= ~static_cast<DWORD>(GroupFramesPending);
    noted.Unlock();
    GlobalFree(notedBlock);
    return err;
}

}  // namespace

int SpaceEvenly(DocumentState* state, Drawing* drawing, int, HGLOBAL horizontalList, int horizontalCount,
                int horizontalGap, HGLOBAL verticalList, int verticalCount, int verticalGap)
{
    InvalidationBatch batch;
    int err = SpaceOneDirection(drawing, TRUE, horizontalList, horizontalCount, horizontalGap);
    if (!err) err = SpaceOneDirection(drawing, FALSE, verticalList, verticalCount, verticalGap);
    MarkDocumentChanged(drawing->viewWindow, state, FALSE);
    return err;
}
