// Edit/Duplicate: copies of the selection and of what it owns, placed at the drawing's
// DuplicateOffset and kept inside the drawing.
#include "editing/duplicate.h"

#include <cstring>
#include <initializer_list>

#include "documents/document_state.h"
#include "editing/clipboard_store.h"
#include "editing/group_ungroup.h"
#include "model/class_protocol.h"
#include "model/document_changes.h"
#include "model/drawing.h"
#include "model/groups.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/objects.h"
#include "model/selection.h"
#include "store/store_records.h"

namespace {

constexpr SIZE_T kScratchSize = 64000;

struct DuplicateScratch {
    HGLOBAL rowMap = nullptr;   // i32 per source row: the row of its copy, or -1
    HGLOBAL oldIds = nullptr;   // u16 per copy: its source's id
    ~DuplicateScratch()
    {
        if (rowMap) GlobalFree(rowMap);
        if (oldIds) GlobalFree(oldIds);
    }
};

// The copy of the source object with `id`; -1 when it was not copied. The row hint is tried
// first and checked, so a stale or damaged hint never indexes the row map.
int CopyRowOf(ObjectList* objects, int n, const INT32* rowMap, int id, int hint)
{
    int row = FindObjectById(objects, id, hint < n ? hint : -1);
    return row >= 0 && row < n ? rowMap[row] : -1;
}

// Step 6.6 and 6.7: the source object takes fresh copies of its text and data records, so
// that the copy keeps the originals.
int CopyOwnRecords(int slot, DrawObject& source)
{
    if (source.textId >= 0) {
        int id = 0;
        HGLOBAL copy = nullptr;
        if (int err = NextFreeRecordId(slot, RecTextBlock, &id)) return err;
        if (int err = CopyStoreRecord(slot, RecTextBlock, source.textId, slot, id, &copy)) return err;
        ReleaseBlock(copy);
        source.textId = id;
    }
    if (source.dataId >= 0 && source.dataCount > 0) {
        int first = 0;
        if (int err = NextFreeRecordIdRun(slot, source.dataType, source.dataCount, &first)) return err;
        for (int i = 0; i < source.dataCount; ++i) {
            HGLOBAL copy = nullptr;
            if (int err = CopyStoreRecord(slot, source.dataType, source.dataId + i, slot, first + i, &copy)) return err;
            ReleaseBlock(copy);
        }
        source.dataId = first;
    }
    return 0;
}

// Step 9.4: members of a copied line array that were copied too are renamed to their copies.
void RenameArrayMembers(int slot, const DrawObject& copy, ObjectList* objects, int n, const INT32* rowMap)
{
    HGLOBAL block = nullptr;
    if (LoadRecord(slot, RecLineArrayData, copy.dataId, &block)) return;
    LONG size = GetBlockSize(block);
    {
        Locked<ArrayData> data(block);
        if (data && data->entryCount >= 0 &&
            sizeof(ArrayData) + static_cast<long long>(sizeof(ArrayEntry)) * data->entryCount <= size) {
            for (int e = 0; e < data->entryCount; ++e) {
                ArrayEntry& entry = (*data)[e];
                if (entry.memberId == kNoMember) continue;
                int row = CopyRowOf(objects, n, rowMap, entry.memberId, entry.memberRow);
                if (row < 0) continue;
                entry.memberId = (*objects)[row].objId;
                entry.memberRow = row;
            }
        }
    }
    MarkBlockDirty(block);
    ReleaseBlock(block);
}

}  // namespace

int DuplicateSelection(DocumentState* state, Drawing* drawing)
{
    if (drawing->selectedCount <= 0) return 0;
    const int slot = drawing->header.slot;
    int n, zCount, t, selectedGroups = 0, base, copies = 0;
    {
        Locked<ObjectList> objects(drawing->objectList);
        Locked<ZOrderList> order(drawing->zOrderList);
        Locked<GroupTable> groups(drawing->groupTable);
        if (!objects || !order || !groups) return ErrOutOfMemory;
        n = objects->count;
        zCount = order->count;
        t = groups->count;
        for (int i = 0; i < t; ++i)
            if ((*groups)[i].flags & GroupSelected) ++selectedGroups;
        base = GroupIdBase(groups->Entries(), t, t);
        for (int row = 0; row < n; ++row) {
            if (((*objects)[row].state & StateSelected) || FindOwnerObject(objects.get(), row, TRUE) >= 0) ++copies;
        }
    }
    if (n + copies > kMaxObjects) return ErrTooManyObjects;

    DuplicateScratch scratch;
    scratch.rowMap = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kScratchSize);
    scratch.oldIds = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kScratchSize);
    if (!scratch.rowMap || !scratch.oldIds) return ErrOutOfMemory;
    if (int err = ResizeRecord(&drawing->objectList, ObjectList::SizeFor(n + copies))) return err;
    if (int err = ResizeRecord(&drawing->groupTable, GroupTable::SizeFor(t + selectedGroups))) return err;
    if (int err = ResizeRecord(&drawing->zOrderList, ZOrderList::SizeFor(zCount + copies))) return err;

    int groupCopies = 0;
    {
        Locked<GroupTable> groups(drawing->groupTable);
        if (!groups) return ErrOutOfMemory;
        for (int i = 0; i < t; ++i) {
            GroupEntry& source = (*groups)[i];
            if (!(source.flags & GroupSelected)) continue;
            GroupEntry& copy = (*groups)[t + groupCopies++];
            copy = source;
            copy.groupId = base + i;
            source.flags &= ~static_cast<DWORD>(GroupSelected);
            InvalidateLogicalRect(drawing->viewWindow, &source.bounds);
        }
    }

    Locked<INT32> rowMap(scratch.rowMap);
    Locked<WORD> oldIds(scratch.oldIds);
    if (!rowMap || !oldIds) return ErrOutOfMemory;
    int err = 0, made = 0, current = -1;
    RECT bounds = {};
    {
        Locked<ObjectList> objects(drawing->objectList);
        Locked<ZOrderList> order(drawing->zOrderList);
        if (!objects || !order) return ErrOutOfMemory;
        for (int row = 0; row < n; ++row) rowMap.get()[row] = -1;
        for (int position = 0; position < zCount && !err; ++position) {
            int row = (*order)[position];
            if (row < 0 || row >= n) continue;
            DrawObject& source = (*objects)[row];
            if (!(source.state & StateSelected) && FindOwnerObject(objects.get(), row, TRUE) < 0) continue;
            int id = NextObjectId(drawing);
            if (id == 0) {
                err = kNoIdLeft;
                break;
            }
            const int copyRow = n + made;
            oldIds.get()[made] = static_cast<WORD>(source.objId);
            if (source.groupRow >= 0) source.groupRow = FindGroupIndex(drawing, source.groupId, source.groupRow, 0);
            DrawObject copy = source;
            copy.objId = id;
            (*order)[zCount + made] = copyRow;
            rowMap.get()[row] = copyRow;
            InvalidateLogicalRect(drawing->viewWindow, &source.updateRect);
            if (row == drawing->currentRow) current = copyRow;
            if (source.groupRow >= 0) {
                copy.groupRow = source.groupRow;
                copy.groupId = source.groupRow + base;
            } else if (source.groupId != 0) {
                copy.groupId = 0;
            }
            err = CopyAttachment(slot, source.objId, slot, id);
            if (!err) err = CopyOwnRecords(slot, source);
            (*objects)[copyRow] = copy;
            if (made == 0)
                bounds = copy.frame;
            else
                UnionRect(&bounds, &bounds, &copy.frame);
            ++made;
        }
    }

    int dx = drawing->duplicateDx, dy = drawing->duplicateDy;
    if (bounds.right + dx >= drawing->pageWidth) dx = drawing->pageWidth - bounds.right;
    if (bounds.bottom + dy >= drawing->pageHeight) dy = drawing->pageHeight - bounds.bottom;
    if (bounds.left + dx < 0) dx = -bounds.left;
    if (bounds.top + dy < 0) dy = -bounds.top;

    {
        Locked<ObjectList> objects(drawing->objectList);
        Locked<ZOrderList> order(drawing->zOrderList);
        Locked<GroupTable> groups(drawing->groupTable);
        if (!objects || !order || !groups) return ErrOutOfMemory;
        int selected = 0;
        for (int row = 0; row < n; ++row) (*objects)[row].state &= ~static_cast<DWORD>(StateSelected);
        for (int j = 0; j < made; ++j)
            if ((*objects)[n + j].state & StateSelected) ++selected;
        objects->count = n + made;
        order->count = zCount + made;
        groups->count = t + groupCopies;
        drawing->currentRow = current;
        drawing->selectedCount = selected;
    }

    for (int j = 0; j < made && !err; ++j) {
        const int row = n + j;
        int hooks = 0;
        {
            Locked<ObjectList> objects(drawing->objectList);
            if (!objects) return ErrOutOfMemory;
            DrawObject& copy = (*objects)[row];
            for (RECT* r : {&copy.updateRect, &copy.frame, &copy.innerRect, &copy.textRect}) OffsetRect(r, dx, dy);
            SendClassMessage(nullptr, drawing, objects.get(), row, OM_OFFSET, dx, dy, nullptr);
            if (copy.groupId != 0 && copy.groupRow >= 0) OffsetRect(&copy.groupFrame, dx, dy);
            InvalidateLogicalRect(drawing->viewWindow, &copy.updateRect);
            // Hooks on objects that were not copied are dropped from the copy.
            for (int h = HookSlotsInUse(copy) - 1; h >= 0; --h) {
                HookEntry& hook = copy.hooks[h];
                int target = CopyRowOf(objects.get(), n, rowMap.get(), hook.targetId, hook.targetRow);
                if (target >= 0) {
                    hook.targetRow = target;
                    hook.targetId = (*objects)[target].objId;
                    continue;
                }
                std::memmove(&copy.hooks[h], &copy.hooks[h + 1], sizeof(HookEntry) * (1 - h));
                --copy.hookCount;
            }
            hooks = copy.hookCount;
            if (copy.labelId != kNoLabel) {
                int partner = CopyRowOf(objects.get(), n, rowMap.get(), copy.labelId, copy.labelRow);
                if (partner >= 0) {
                    copy.labelId = (*objects)[partner].objId;
                    copy.labelRow = partner;
                } else {
                    copy.labelId = kNoLabel;
                    copy.labelRow = -1;
                    copy.state &= ~static_cast<DWORD>(StateAttachedLabel);
                }
            }
            if (copy.dataType == RecLineArrayData && copy.dataId >= 0)
                RenameArrayMembers(slot, copy, objects.get(), n, rowMap.get());
        }
        for (int h = 0; h < hooks && !err; ++h) err = AddLink(drawing, row, h);
    }

    POINT offset = {dx, dy};
    for (int k = groupCopies - 1; k >= 0; --k) {
        RECT stale = {};
        {
            Locked<GroupTable> groups(drawing->groupTable);
            if (!groups || t + k >= groups->count) continue;
            GroupEntry& entry = (*groups)[t + k];
            OffsetRect(&entry.frame, dx, dy);
            OffsetRect(&entry.groupedFrame, dx, dy);
        }
        UpdateGroupBounds(drawing, t + k, &offset);
        Locked<GroupTable> groups(drawing->groupTable);
        if (groups && t + k < groups->count) stale = (*groups)[t + k].bounds;
        InvalidateLogicalRect(drawing->viewWindow, &stale);
    }
    if (err) return err;
    for (HGLOBAL block : {drawing->objectList, drawing->zOrderList, drawing->groupTable})
        if (int e = MarkBlockDirty(block)) return e;
    MarkDocumentChanged(drawing->viewWindow, state, FALSE);
    return 0;
}
