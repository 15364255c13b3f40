// The private clipboard store: copying the document into it, emptying it, and merging its
// drawing into a target drawing.
#include "editing/clipboard_store.h"

#include <cstring>
#include <initializer_list>
#include <vector>

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "documents/document_window.h"
#include "documents/documents_in_memory.h"
#include "editing/edit_operation.h"
#include "editing/edit_services.h"
#include "editing/group_ungroup.h"
#include "exchange/exchange_standins.h"
#include "frame/frame_services.h"
#include "frame/frame_startup.h"
#include "frame/frame_windows.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/groups.h"
#include "model/links.h"
#include "model/objects.h"
#include "model/class_protocol.h"
#include "model/undo.h"
#include "store/store_records.h"
#include "text/font_list.h"
#include "text/object_text.h"

namespace {

// A stored record loaded for reading, released when the guard goes.
class LoadedRecord {
public:
    LoadedRecord() = default;
    ~LoadedRecord()
    {
        if (block_) ReleaseBlock(block_);
    }
    LoadedRecord(const LoadedRecord&) = delete;
    LoadedRecord& operator=(const LoadedRecord&) = delete;
    int Load(int slot, int type, int id) { return LoadRecord(slot, type, id, &block_); }
    HGLOBAL get() const { return block_; }
    // Payload bytes the block really holds.
    LONG PayloadSize() const
    {
        LONG size = GetBlockSize(block_);
        SIZE_T memory = GlobalSize(block_);
        if (static_cast<SIZE_T>(size) > memory) size = static_cast<LONG>(memory);
        return size > kBlockHeaderSize ? size - kBlockHeaderSize : 0;
    }

private:
    HGLOBAL block_ = nullptr;
};

// A movable copy of a record's payload; none when it is missing or memory runs out.
HGLOBAL CopyPayload(int slot, int type, int id)
{
    LoadedRecord record;
    if (record.Load(slot, type, id)) return nullptr;
    LONG size = record.PayloadSize();
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size > 0 ? size : 1);
    if (!copy) return nullptr;
    BlockLock from(record.get()), to(copy);
    if (!from || !to) {
        to.Unlock();
        GlobalFree(copy);
        return nullptr;
    }
    std::memcpy(to.get(), from.get() + kBlockHeaderSize, static_cast<size_t>(size));
    return copy;
}

// Whether the i32 count at the start of a payload block, times `entrySize` after `headSize`
// bytes, fits the block.
bool CountFits(HGLOBAL block, LONG headSize, LONG entrySize)
{
    if (!block) return false;
    SIZE_T size = GlobalSize(block);
    BlockLock lock(block);
    if (!lock || size < static_cast<SIZE_T>(headSize)) return false;
    INT32 count;
    std::memcpy(&count, lock.get(), sizeof(count));
    return count >= 0 && headSize + static_cast<long long>(entrySize) * count <= static_cast<long long>(size);
}

// Whether a table record's count fits the record.
template <typename Table>
bool TableFits(HGLOBAL block, LONG entrySize, int* count)
{
    LONG size = GetBlockSize(block);
    if (static_cast<SIZE_T>(size) > GlobalSize(block)) return false;
    Locked<Table> table(block);
    if (!table || size < kTableHeaderSize) return false;
    *count = table->count;
    return table->count >= 0 && kTableHeaderSize + static_cast<long long>(entrySize) * table->count <= size;
}

bool IsDataType(int type)
{
    return type == RecBitmapChunks || type == RecMetafileChunks || type == RecConnectorSegments ||
           type == RecOutlinePoints || type == RecLineArrayData;
}

// A stored text the text engine can read: empty, or a TextBlock whose counts fit the record.
bool TextRecordSound(int slot, int id)
{
    LoadedRecord record;
    if (record.Load(slot, RecTextBlock, id)) return false;
    LONG size = record.PayloadSize();
    if (size == 0) return true;
    if (size < static_cast<LONG>(sizeof(TextBlock))) return false;
    BlockLock lock(record.get());
    if (!lock) return false;
    const auto* header = reinterpret_cast<const TextBlock*>(lock.get() + kBlockHeaderSize);
    long long need = TextBlockSize(header);
    return need >= 0 && need <= size;
}

bool ArrayRecordSound(int slot, int id)
{
    LoadedRecord record;
    if (record.Load(slot, RecLineArrayData, id)) return false;
    LONG size = record.PayloadSize() + kBlockHeaderSize;
    if (size < static_cast<LONG>(sizeof(ArrayData))) return false;
    Locked<ArrayData> data(record.get());
    return data && data->entryCount >= 0 &&
           sizeof(ArrayData) + static_cast<long long>(sizeof(ArrayEntry)) * data->entryCount <= size;
}

// The checks of the store's drawing before anything is merged (the file outlives the run and
// any program can offer "VXPICT"): rows, classes, hints and records within their bounds.
int CheckPastedDrawing(int slot, ObjectList* objects, int m, ZOrderList* order, int zCount, int g)
{
    if (zCount != m) return kDamagedDrawing;
    std::vector<bool> seen(static_cast<size_t>(m), false);
    for (int k = 0; k < m; ++k) {
        int row = (*order)[k];
        if (row < 0 || row >= m || seen[row]) return kDamagedDrawing;
        seen[row] = true;
    }
    for (int k = 0; k < m; ++k) {
        const DrawObject& object = (*objects)[k];
        if (object.objClass < 0 || object.objClass >= ClassCount) return kDamagedDrawing;
        if (object.hookCount < 0 || object.hookCount > 2) return kDamagedDrawing;
        if (object.groupRow >= g) return kDamagedDrawing;
        if (object.textId >= 0 && !TextRecordSound(slot, object.textId)) return kDamagedDrawing;
        if (object.dataId >= 0 && object.dataCount > 0) {
            if (!IsDataType(object.dataType) || object.dataCount > 32767) return kDamagedDrawing;
            if (object.dataType == RecLineArrayData && !ArrayRecordSound(slot, object.dataId)) return kDamagedDrawing;
        }
    }
    return 0;
}

// Index of the pasted object with `id`: the hint when it carries the id, else the id table.
int ResolvePasted(ObjectList* pasted, int m, const std::vector<int>& byId, int id, int hint)
{
    if (hint >= 0 && hint < m && (*pasted)[hint].objId == id) return hint;
    if (id < 0 || id >= static_cast<int>(byId.size())) return -1;
    return byId[static_cast<size_t>(id)];
}

void EmptyWindowsClipboard()
{
    if (!OpenClipboard(g_frameWindow)) return;
    EmptyClipboard();
    CloseClipboard();
}

// Steps 6 to 8 of a copy: the unselected objects deleted in the store, the selection cleared.
int TrimStoredCopy(bool anySelected)
{
    HGLOBAL clip = nullptr;
    if (int err = OpenDrawing(nullptr, g_clipboardStoreSlot, 0, 0, &clip)) return err;
    int err = 0;
    {
        Locked<Drawing> drawing(clip);
        if (!drawing) {
            CloseDrawing(clip);
            return ErrOutOfMemory;
        }
        if (anySelected) err = DeleteObjects(drawing.get(), FALSE, -1);
        if (!err) {
            Locked<ObjectList> objects(drawing->objectList);
            Locked<GroupTable> groups(drawing->groupTable);
            if (!objects || !groups) {
                err = ErrOutOfMemory;
            } else {
                for (int row = 0; row < objects->count; ++row) {
                    DrawObject& object = (*objects)[row];
                    object.state &= ~static_cast<DWORD>(StateSelected);
                    if (object.groupId != 0)
                        object.groupRow = FindGroupEntry(groups.get(), object.groupId, object.groupRow, 0);
                }
                for (int i = 0; i < groups->count; ++i) (*groups)[i].flags &= ~static_cast<DWORD>(GroupSelected);
            }
            drawing->currentRow = -1;
            drawing->selectedCount = 0;
            HGLOBAL objectList = drawing->objectList;
            drawing.Unlock();
            if (!err) err = MarkBlockDirty(objectList);
            if (!err) err = MarkBlockDirty(clip);
        }
    }
    CloseDrawing(clip);
    return err;
}

}  // namespace

int CopyStoreRecord(int fromSlot, int type, int fromId, int toSlot, int toId, HGLOBAL* copy)
{
    *copy = nullptr;
    LoadedRecord source;
    if (int err = source.Load(fromSlot, type, fromId)) return err;
    LONG payload = source.PayloadSize();
    HGLOBAL block = nullptr;
    if (int err = AddRecord(toSlot, type, toId, static_cast<DWORD>(payload + kBlockHeaderSize), &block)) return err;
    if (int err = CopyBlockPayload(source.get(), block, payload + kBlockHeaderSize)) {
        ReleaseBlock(block);
        return err;
    }
    *copy = block;
    return 0;
}

int CopyAttachment(int fromSlot, int fromId, int toSlot, int toId)
{
    // Record ids end at 32,767: an object id above it can have no attachment record.
    if (fromId < 0 || fromId > 32767) return 0;
    LoadedRecord probe;
    if (probe.Load(fromSlot, RecAttachment, fromId)) return 0;
    if (toId > 32767) return 1;
    HGLOBAL copy = nullptr;
    int err = CopyStoreRecord(fromSlot, RecAttachment, fromId, toSlot, toId, &copy);
    if (copy) ReleaseBlock(copy);
    return err;
}

int ClearClipboardStore()
{
    const int slot = g_clipboardStoreSlot;
    if (slot < 0) return 1;
    int types = 0;
    if (int err = CountRecordTypes(slot, &types)) return err;
    for (int t = types - 1; t >= 0; --t) {
        int type = 0, count = 0;
        if (int err = GetRecordTypeAt(slot, t, &type)) return err;
        if (int err = CountRecords(slot, type, &count)) return err;
        for (int i = count - 1; i >= 0; --i) {
            int id = 0;
            HGLOBAL block = nullptr;
            if (int err = GetRecordIdAt(slot, type, i, &id)) return err;
            if (int err = LoadRecord(slot, type, id, &block)) return err;
            if (int err = DeleteRecord(block)) return err;
            GlobalFree(block);
        }
    }
    return 0;
}

int CopyToClipboardStore(HWND view, DocumentState* state, Drawing* drawing, BOOL copy)
{
    bool anySelected = false;
    {
        Locked<ObjectList> objects(drawing->objectList);
        if (!objects) return ErrOutOfMemory;
        for (int row = 0; row < objects->count && !anySelected; ++row)
            anySelected = ((*objects)[row].state & StateSelected) != 0;
    }
    if (copy) ClearUndoState(view);
    int err = ClearClipboardStore();
    bool titled = false;
    if (!err) {
        HGLOBAL fileBlock = GetDocumentFileHandle(GetParent(view));
        Locked<DocumentFile> file(fileBlock);
        titled = file && file->untitledNumber == 0;
    }
    if (!err) err = CopyDrawingToClipboardStore(view, state);
    if (!err) err = TrimStoredCopy(anySelected);
    if (err) {
        EmptyWindowsClipboard();
        return err;
    }
    SetClipboardLinkSource(view, copy && titled);
    SetOleClipboard();
    if (anySelected && g_pictureFormat && OpenClipboard(g_frameWindow)) {
        HGLOBAL token = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(ClipboardToken));
        if (token && !SetClipboardData(g_pictureFormat, token)) GlobalFree(token);
        CloseClipboard();
    }
    return 0;
}

void RemapTextFontSlots(HGLOBAL slotTable, HGLOBAL textRecord)
{
    MarkBlockDirty(textRecord);
    LONG size = GetBlockSize(textRecord);
    if (static_cast<SIZE_T>(size) > GlobalSize(textRecord)) return;
    BlockLock text(textRecord);
    BlockLock table(slotTable);
    if (!text || size < kBlockHeaderSize) return;
    TextBlockView view = ViewTextBlock(text.get() + kBlockHeaderSize, size - kBlockHeaderSize);
    int slots = 0;
    const INT32* entries = nullptr;
    if (table && GlobalSize(slotTable) >= sizeof(INT32)) {
        std::memcpy(&slots, table.get(), sizeof(INT32));
        LONG room = static_cast<LONG>((GlobalSize(slotTable) - sizeof(INT32)) / sizeof(INT32));
        if (slots < 0) slots = 0;
        if (slots > room) slots = room;
        entries = reinterpret_cast<const INT32*>(table.get() + sizeof(INT32));
    }
    auto* runs = const_cast<TextRun*>(view.runs);
    for (int i = 0; i < view.runCount; ++i) {
        int s = runs[i].face;
        // A slot the pasted map does not hold, or one it left free, takes the target's slot 0.
        int target = s >= 0 && s < slots ? entries[s] : 0;
        runs[i].face = target >= 0 ? target : 0;
        runs[i].font = 0;
    }
}

HGLOBAL GetClipboardDibCopy()
{
    if (!OpenClipboard(g_frameWindow)) return nullptr;
    HGLOBAL copy = nullptr;
    HGLOBAL data = IsClipboardFormatAvailable(CF_DIB) ? GetClipboardData(CF_DIB) : nullptr;
    SIZE_T size = data ? GlobalSize(data) : 0;
    if (size) copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (copy) {
        const void* from = GlobalLock(data);
        void* to = GlobalLock(copy);
        if (from && to) std::memcpy(to, from, size);
        if (to) GlobalUnlock(copy);
        if (from) GlobalUnlock(data);
        if (!from || !to) {
            GlobalFree(copy);
            copy = nullptr;
        }
    }
    CloseClipboard();
    return copy;
}

namespace {

// What one paste holds, freed whatever way it ends.
struct PasteScratch {
    HGLOBAL newIds = nullptr;
    HGLOBAL fontList = nullptr;
    HGLOBAL slotMap = nullptr;
    ~PasteScratch()
    {
        for (HGLOBAL block : {newIds, fontList, slotMap})
            if (block) GlobalFree(block);
    }
};

void OffsetPastedObject(Drawing* drawing, ObjectList* objects, int row, int dx, int dy)
{
    DrawObject& object = (*objects)[row];
    for (RECT* r : {&object.updateRect, &object.frame, &object.innerRect, &object.textRect}) OffsetRect(r, dx, dy);
    SendClassMessage(nullptr, drawing, objects, row, OM_OFFSET, dx, dy, nullptr);
    if (object.groupId != 0 && object.groupRow >= 0) OffsetRect(&object.groupFrame, dx, dy);
}

// Step 9.7: the object's data records copied to a fresh run; a line array's members renamed.
int CopyPastedData(int clip, int target, DrawObject& object, ObjectList* pasted, int m,
                   const std::vector<int>& byId, const INT32* newIds, int n)
{
    int first = 0;
    if (int err = NextFreeRecordIdRun(target, object.dataType, object.dataCount, &first)) return err;
    for (int i = 0; i < object.dataCount; ++i) {
        HGLOBAL copy = nullptr;
        if (int err = CopyStoreRecord(clip, object.dataType, object.dataId + i, target, first + i, &copy)) return err;
        if (object.dataType == RecLineArrayData) {
            Locked<ArrayData> data(copy);
            LONG size = GetBlockSize(copy);
            int entries = data ? data->entryCount : 0;
            if (sizeof(ArrayData) + static_cast<long long>(sizeof(ArrayEntry)) * entries > size) entries = 0;
            for (int e = 0; data && e < entries; ++e) {
                ArrayEntry& entry = (*data)[e];
                if (entry.memberId == kNoMember) continue;
                int p = ResolvePasted(pasted, m, byId, entry.memberId, entry.memberRow);
                // A member that was not pasted names nothing in the target drawing.
                entry.memberId = p >= 0 ? newIds[p] : kNoMember;
                entry.memberRow = p >= 0 ? n + p : -1;
            }
        }
        ReleaseBlock(copy);
    }
    object.dataId = first;
    return 0;
}

}  // namespace

int PasteFromClipboardStore(DocumentState* state, Drawing* drawing, const POINT* point, HGLOBAL fontList,
                            HGLOBAL slotMap)
{
    PasteScratch scratch;
    scratch.fontList = fontList;
    scratch.slotMap = slotMap;
    const int clip = g_clipboardStoreSlot;
    if (clip < 0) return 1;
    const int target = drawing->header.slot;
    scratch.newIds = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(INT32) * kMaxObjects);
    if (!scratch.newIds) return ErrOutOfMemory;
    DeselectAll(drawing);

    if (!scratch.fontList) scratch.fontList = CopyPayload(clip, RecDocument, RecFontListId);
    if (!scratch.slotMap) scratch.slotMap = CopyPayload(clip, RecDocument, RecFontMapId);
    if (!scratch.fontList || !scratch.slotMap) return ErrOutOfMemory;
    if (!CountFits(scratch.fontList, sizeof(FontListHead), sizeof(FontListEntry)) ||
        !CountFits(scratch.slotMap, sizeof(FontMapHead), sizeof(INT32)))
        return kDamagedDrawing;
    if (MergeFontMap(state->fontMap, scratch.slotMap, scratch.fontList, state->fontList)) return 1;
    GlobalFree(scratch.fontList);
    scratch.fontList = nullptr;

    LoadedRecord pastedList, pastedOrder, pastedGroups;
    if (int err = pastedList.Load(clip, RecObjectList, 0)) return err;
    if (int err = pastedOrder.Load(clip, RecZOrderList, 0)) return err;
    if (int err = pastedGroups.Load(clip, RecGroupTable, 0)) return err;
    int m = 0, zCount = 0, g = 0;
    if (!TableFits<ObjectList>(pastedList.get(), sizeof(DrawObject), &m) ||
        !TableFits<ZOrderList>(pastedOrder.get(), sizeof(INT32), &zCount) ||
        !TableFits<GroupTable>(pastedGroups.get(), sizeof(GroupEntry), &g))
        return kDamagedDrawing;
    Locked<ObjectList> pasted(pastedList.get());
    Locked<ZOrderList> order(pastedOrder.get());
    if (!pasted || !order) return ErrOutOfMemory;
    if (m > kMaxObjects) return ErrTooManyObjects;
    if (int err = CheckPastedDrawing(clip, pasted.get(), m, order.get(), zCount, g)) return err;

    int n = 0, zTarget = 0, gTarget = 0;
    {
        Locked<ObjectList> objects(drawing->objectList);
        Locked<ZOrderList> zOrder(drawing->zOrderList);
        Locked<GroupTable> groups(drawing->groupTable);
        if (!objects || !zOrder || !groups) return ErrOutOfMemory;
        n = objects->count;
        zTarget = zOrder->count;
        gTarget = groups->count;
    }
    if (n + m > kMaxObjects) return ErrTooManyObjects;
    if (int err = ResizeRecord(&drawing->objectList, ObjectList::SizeFor(n + m))) return err;
    if (int err = ResizeRecord(&drawing->zOrderList, ZOrderList::SizeFor(zTarget + m))) return err;
    if (int err = ResizeRecord(&drawing->groupTable, GroupTable::SizeFor(gTarget + g))) return err;
    if (int err = MarkBlockDirty(drawing->groupTable)) return err;

    int base;
    {
        Locked<GroupTable> groups(drawing->groupTable);
        Locked<GroupTable> from(pastedGroups.get());
        if (!groups || !from) return ErrOutOfMemory;
        base = GroupIdBase(groups->Entries(), gTarget, g);
        if (g) std::memcpy(&(*groups)[gTarget], from->Entries(), sizeof(GroupEntry) * g);
    }

    // Pasted ids are looked up by id; the row hints stored beside them are only tried first.
    std::vector<int> byId(65536, -1);
    for (int k = m - 1; k >= 0; --k) {
        int id = (*pasted)[k].objId;
        if (id >= 0 && id < 65536) byId[static_cast<size_t>(id)] = k;
    }
    Locked<INT32> newIds(scratch.newIds);
    RECT bounds = {};
    {
        Locked<ObjectList> objects(drawing->objectList);
        if (!objects || !newIds) return ErrOutOfMemory;
        for (int k = 0; k < m; ++k) {
            int id = NextObjectId(drawing);
            if (id == 0) return kNoIdLeft;
            (*objects)[n + k] = (*pasted)[k];
            (*objects)[n + k].objId = id;
            newIds.get()[k] = id;
        }
        // The pasted rows take part in the link index as soon as they exist.
        objects->count = n + m;
    }

    for (int k = 0; k < m; ++k) {
        const int row = n + k;
        const int oldId = (*pasted)[k].objId;
        {
            Locked<ObjectList> objects(drawing->objectList);
            if (!objects) return ErrOutOfMemory;
            DrawObject& object = (*objects)[row];
            if (object.groupRow >= 0) {
                object.groupId = object.groupRow + base;
                object.groupRow += gTarget;
            } else {
                object.groupId = 0;
            }
        }
        if (int err = CopyAttachment(clip, oldId, target, newIds.get()[k])) return err;
        int hooks = 0;
        {
            Locked<ObjectList> objects(drawing->objectList);
            if (!objects) return ErrOutOfMemory;
            DrawObject& object = (*objects)[row];
            if (object.labelId != kNoLabel) {
                int p = ResolvePasted(pasted.get(), m, byId, object.labelId, object.labelRow);
                if (p >= 0) {
                    object.labelId = newIds.get()[p];
                    object.labelRow = n + p;
                } else {
                    object.labelId = kNoLabel;
                    object.labelRow = -1;
                    object.state &= ~static_cast<DWORD>(StateAttachedLabel);
                }
            }
            if (k == 0)
                bounds = object.frame;
            else
                UnionRect(&bounds, &bounds, &object.frame);
            object.state |= StateSelected;
            // A hook on an object that was not pasted is dropped.
            for (int j = HookSlotsInUse(object) - 1; j >= 0; --j) {
                HookEntry& hook = object.hooks[j];
                int p = ResolvePasted(pasted.get(), m, byId, hook.targetId, hook.targetRow);
                if (p >= 0) {
                    hook.targetId = newIds.get()[p];
                    hook.targetRow = n + p;
                    continue;
                }
                std::memmove(&object.hooks[j], &object.hooks[j + 1], sizeof(HookEntry) * (1 - j));
                --object.hookCount;
            }
            hooks = object.hookCount;
        }
        for (int j = 0; j < hooks; ++j)
            if (int err = AddLink(drawing, row, j)) return err;
        DrawObject copy;
        {
            Locked<ObjectList> objects(drawing->objectList);
            if (!objects) return ErrOutOfMemory;
            copy = (*objects)[row];
        }
        if (copy.dataId >= 0 && copy.dataCount > 0) {
            if (int err = CopyPastedData(clip, target, copy, pasted.get(), m, byId, newIds.get(), n)) return err;
        }
        if (copy.textId >= 0) {
            int id = 0;
            HGLOBAL text = nullptr;
            if (int err = NextFreeRecordId(target, RecTextBlock, &id)) return err;
            if (int err = CopyStoreRecord(clip, RecTextBlock, copy.textId, target, id, &text)) return err;
            RemapTextFontSlots(scratch.slotMap, text);
            ReleaseBlock(text);
            copy.textId = id;
        }
        Locked<ObjectList> objects(drawing->objectList);
        Locked<ZOrderList> zOrder(drawing->zOrderList);
        if (!objects || !zOrder) return ErrOutOfMemory;
        (*objects)[row].dataId = copy.dataId;
        (*objects)[row].textId = copy.textId;
        (*zOrder)[zOrder->count++] = (*order)[k] + n;
    }

    POINT at;
    if (point) {
        at = *point;
    } else if (PendingPastePoint.x > 0 && drawing->viewWindow) {
        at = PendingPastePoint;
        ScreenToClient(drawing->viewWindow, &at);
        HDC dc = GetDC(drawing->viewWindow);
        DPtoLP(dc, &at, 1);
        ReleaseDC(drawing->viewWindow, dc);
    } else {
        GetPastePosition(drawing, &bounds, &at);
    }
    const int dx = at.x - bounds.left, dy = at.y - bounds.top;
    {
        Locked<ObjectList> objects(drawing->objectList);
        if (!objects) return ErrOutOfMemory;
        for (int k = 0; k < m; ++k) OffsetPastedObject(drawing, objects.get(), n + k, dx, dy);
    }
    drawing->currentRow = m > 0 ? n : drawing->currentRow;
    if (m > 0) drawing->openedWithObjects = 1;
    drawing->selectedCount = m;
    {
        Locked<GroupTable> groups(drawing->groupTable);
        if (!groups) return ErrOutOfMemory;
        for (int k = 0; k < g; ++k) {
            GroupEntry& entry = (*groups)[gTarget + k];
            entry.groupId = base + k;
            OffsetRect(&entry.frame, dx, dy);
            OffsetRect(&entry.groupedFrame, dx, dy);
        }
        groups->count = gTarget + g;
    }
    POINT offset = {dx, dy};
    for (int k = g - 1; k >= 0; --k) UpdateGroupBounds(drawing, gTarget + k, &offset);
    if (int err = MarkBlockDirty(drawing->objectList)) return err;
    if (int err = MarkBlockDirty(drawing->zOrderList)) return err;
    CollectDocumentColors(state, n);
    BuildDocumentPalette(drawing->viewWindow, state);
    return 0;
}
