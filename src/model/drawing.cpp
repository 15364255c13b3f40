// Creating, opening and closing a drawing's records.
#include "model/drawing.h"

#include <cstring>
#include <vector>

#include "documents/document_state.h"
#include "documents/options.h"
#include "store/block_store.h"
#include "store/results.h"

namespace {

DWORD g_modelChanges = 0;

const int kTableTypes[4] = {RecObjectList, RecZOrderList, RecLinkIndex, RecGroupTable};

// Checks a table's stored count against its record: 0 <= count <= limit and the entries fit.
template <typename Entry>
bool TableFits(HGLOBAL block, int limit)
{
    Locked<RecordTable<Entry>> table(block);
    if (!table) return false;
    int count = table->count;
    return count >= 0 && count <= limit &&
           RecordTable<Entry>::SizeFor(count) <= GetBlockSize(block);
}

// A stored drawing is outside data: every count must fit its record, the z-order must name
// each row exactly once, and no object may claim more than its two hook slots.
bool TablesAreSound(HGLOBAL objectBlock, HGLOBAL zOrderBlock, HGLOBAL linkBlock, HGLOBAL groupBlock)
{
    if (!TableFits<DrawObject>(objectBlock, kMaxObjects) || !TableFits<INT32>(zOrderBlock, kMaxObjects) ||
        !TableFits<LinkEntry>(linkBlock, kMaxLinks) || !TableFits<GroupEntry>(groupBlock, 0x7FFFFFFF))
        return false;
    Locked<ObjectList> objects(objectBlock);
    Locked<ZOrderList> zOrder(zOrderBlock);
    if (!objects || !zOrder || zOrder->count != objects->count) return false;
    std::vector<bool> seen(objects->count, false);
    for (int i = 0; i < zOrder->count; ++i) {
        int row = (*zOrder)[i];
        if (row < 0 || row >= objects->count || seen[row]) return false;
        seen[row] = true;
    }
    for (int row = 0; row < objects->count; ++row) {
        int hooks = (*objects)[row].hookCount;
        if (hooks < 0 || hooks > 2) return false;
    }
    return true;
}

}  // namespace

int CreateDrawing(HWND view, int storeSlot, int listId, int pageWidth, int pageHeight,
                  int pendingMessage, HGLOBAL* drawing)
{
    NoteModelChange();
    *drawing = nullptr;
    HGLOBAL tables[4] = {};
    for (int i = 0; i < 4; ++i) {
        if (int err = AddRecord(storeSlot, kTableTypes[i], listId, kTableHeaderSize, &tables[i])) return err;
    }
    HGLOBAL block = nullptr;
    if (int err = LoadRecord(storeSlot, RecDocument, RecDrawingId, &block)) return err;
    if (GetBlockSize(block) < static_cast<LONG>(sizeof(Drawing))) return kDamagedDrawing;
    for (HGLOBAL table : tables) {
        if (int err = MarkBlockDirty(table)) return err;
    }
    if (int err = MarkBlockDirty(block)) return err;

    {
        Locked<Drawing> d(block);
        if (!d) return ErrOutOfMemory;
        BlockHeader header = d->header;
        std::memset(reinterpret_cast<BYTE*>(d.get()) + sizeof(BlockHeader), 0,
                    sizeof(Drawing) - sizeof(BlockHeader));
        d->header = header;
        d->viewWindow = view;
        d->storeSlot = storeSlot;
        d->pageWidth = pageWidth;
        d->pageHeight = pageHeight;
        DWORD options = g_settings ? g_settings->flags : 0;
        DWORD flags = DrawMidPoints;
        if (options & SetSnap) flags |= DrawSnap;
        if (options & SetLinesLink) flags |= DrawLinesLink;
        if (options & SetShapesLink) flags |= DrawShapesLink;
        d->drawingFlags = flags;
        d->objectList = tables[0];
        d->zOrderList = tables[1];
        d->linkIndex = tables[2];
        d->groupTable = tables[3];
        d->selectedCount = 0;
        d->currentRow = -1;
        d->lastId = 0;
        d->openedWithObjects = 0;
        d->defaultFillPattern = 1;
        d->defaultArrowStart = 0;
        d->defaultArrowEnd = 0;
        d->defaultArrowSize = 1;
        d->pendingMessage = pendingMessage;
        d->toolSlot = -1;
        d->reserved236 = 1;
        if (g_settings) {
            d->defaults = g_settings->defaults;
            d->rulerSettings = g_settings->ruler;
        }
        if (g_styleTable) {
            Locked<BYTE> styles(g_styleTable);
            auto* head = reinterpret_cast<StyleTableHeader*>(styles.get());
            if (head && head->current >= 0 && head->current < head->count &&
                sizeof(StyleTableHeader) + sizeof(StyleRecord) * (head->current + 1) <= GlobalSize(g_styleTable)) {
                std::memcpy(&d->style, styles.get() + sizeof(StyleTableHeader) + sizeof(StyleRecord) * head->current,
                            sizeof(StyleRecord));
            }
        }
    }
    for (HGLOBAL table : tables) {
        Locked<RecordTable<BYTE>> t(table);
        if (!t) return ErrOutOfMemory;
        t->count = 0;
    }
    *drawing = block;
    return 0;
}

int OpenDrawing(HWND view, int storeSlot, int listId, int pendingMessage, HGLOBAL* drawing)
{
    NoteModelChange();
    *drawing = nullptr;
    HGLOBAL zOrder = nullptr, objects = nullptr, links = nullptr, groups = nullptr, block = nullptr;
    if (int err = LoadRecord(storeSlot, RecZOrderList, listId, &zOrder)) return err;
    if (int err = LoadRecord(storeSlot, RecObjectList, listId, &objects)) return err;
    if (int err = LoadRecord(storeSlot, RecLinkIndex, listId, &links)) return err;
    if (int err = LoadRecord(storeSlot, RecGroupTable, listId, &groups)) return err;
    if (int err = LoadRecord(storeSlot, RecDocument, RecDrawingId, &block)) return err;
    if (GetBlockSize(block) < static_cast<LONG>(sizeof(Drawing)) ||
        !TablesAreSound(objects, zOrder, links, groups))
        return kDamagedDrawing;
    for (HGLOBAL b : {objects, zOrder, links, groups, block}) {
        if (int err = MarkBlockDirty(b)) return err;
    }

    Locked<Drawing> d(block);
    Locked<ObjectList> list(objects);
    if (!d || !list) return ErrOutOfMemory;
    d->viewWindow = view;
    d->storeSlot = storeSlot;
    d->objectList = objects;
    d->zOrderList = zOrder;
    d->linkIndex = links;
    d->groupTable = groups;
    d->pendingMessage = pendingMessage;
    d->toolSlot = -1;
    d->drawingFlags &= ~static_cast<DWORD>(DrawHookTarget);
    d->openedWithObjects = list->count > 0 ? 1 : 0;
    int selected = 0;
    for (int row = 0; row < list->count; ++row) {
        DrawObject& object = (*list)[row];
        object.state &= ~static_cast<DWORD>(StateTextEditing | StateInMoveSet);
        if (object.state & StateSelected) ++selected;
    }
    d->selectedCount = selected;
    // The stored current row is kept, but never one that names no object.
    if (d->currentRow < -1 || d->currentRow >= list->count) d->currentRow = -1;
    *drawing = block;
    return 0;
}

void CloseDrawing(HGLOBAL drawing)
{
    NoteModelChange();
    if (!drawing) return;
    {
        Locked<Drawing> d(drawing);
        if (d) {
            for (HGLOBAL table : {d->objectList, d->zOrderList, d->linkIndex, d->groupTable}) {
                if (table) ReleaseBlock(table);
            }
        }
    }
    ReleaseBlock(drawing);
}

DWORD ModelChangeCount() { return g_modelChanges; }

void NoteModelChange() { ++g_modelChanges; }
