// Object text for the drawing model: reading stored TextBlocks, the text holder of an object,
// ending in-place edits, and the editor's background.
#include "text/object_text.h"

#include <cstring>

#include "documents/document_state.h"
#include "model/drawing.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/selection.h"
#include "store/block_store.h"
#include "store/results.h"
#include "store/store_format.h"
#include "store/store_records.h"
#include "text/text_editor.h"

TextBlockView ViewTextBlock(const BYTE* payload, LONG payloadSize)
{
    TextBlockView view;
    if (!payload || payloadSize < static_cast<LONG>(sizeof(TextBlock))) return view;
    const auto* header = reinterpret_cast<const TextBlock*>(payload);
    if (header->lineCount < 0 || header->runCount < 0 || header->formatCount < 0) return view;
    // Stored counts are checked against the block before any run is read.
    long long runsAt = sizeof(TextBlock) + static_cast<long long>(kTextLineSize) * header->lineCount;
    long long formatsAt = runsAt + static_cast<long long>(sizeof(TextRun)) * header->runCount;
    long long end = formatsAt + static_cast<long long>(sizeof(ParagraphFormat)) * header->formatCount;
    if (end > payloadSize) return view;
    view.runs = reinterpret_cast<const TextRun*>(payload + runsAt);
    view.runCount = header->runCount;
    view.formats = reinterpret_cast<const ParagraphFormat*>(payload + formatsAt);
    view.formatCount = header->formatCount;
    return view;
}

long long TextBlockSize(const TextBlock* header)
{
    if (header->lineCount < 0 || header->runCount < 0 || header->formatCount < 0 ||
        header->segmentCount < 0 || header->textLength < 0)
        return -1;
    return static_cast<long long>(sizeof(TextBlock)) +
           static_cast<long long>(kTextLineSize) * header->lineCount +
           static_cast<long long>(sizeof(TextRun)) * header->runCount +
           static_cast<long long>(sizeof(ParagraphFormat)) * header->formatCount +
           static_cast<long long>(kTextSegmentSize) * header->segmentCount + header->textLength;
}

int StoreTextBlock(HGLOBAL* record, HGLOBAL text)
{
    constexpr long long kLargestRecord = 65000;
    const SIZE_T available = GlobalSize(text);
    if (available < sizeof(TextBlock))
        return StoreMemoryTooSmall;
    const BYTE* source = static_cast<const BYTE*>(GlobalLock(text));
    if (!source)
        return ErrOutOfMemory;
    // The counts come from whoever made the block: they must fit the memory that holds it.
    const long long size = TextBlockSize(reinterpret_cast<const TextBlock*>(source));
    if (size < 0 || size > static_cast<long long>(available)) {
        GlobalUnlock(text);
        return StoreMemoryTooSmall;
    }
    if (size + kBlockHeaderSize > kLargestRecord) {
        GlobalUnlock(text);
        return 1;
    }
    int result = ResizeRecord(record, static_cast<DWORD>(size + kBlockHeaderSize));
    if (result == 0) {
        if (BYTE* target = static_cast<BYTE*>(GlobalLock(*record))) {
            std::memcpy(target + kBlockHeaderSize, source, static_cast<size_t>(size));
            GlobalUnlock(*record);
            result = MarkBlockDirty(*record);
        } else {
            result = ErrOutOfMemory;
        }
    }
    GlobalUnlock(text);
    return result;
}

int LayoutObjectText(Drawing* drawing, DrawObject* object, int anchor)
{
    (void)drawing;
    (void)object;
    (void)anchor;
    return 0;
}

void ComputeObjectTextRect(DrawObject* object)
{
    RECT r = object->innerRect;
    r.left += object->textInset.left + object->textMargins.left;
    r.top += object->textInset.top + object->textMargins.top;
    r.right -= object->textInset.right + object->textMargins.right;
    r.bottom -= object->textInset.bottom + object->textMargins.bottom;
    object->textRect = r;
}

int ResolveTextHolderIndex(ObjectList* objects, int row)
{
    DrawObject& holder = (*objects)[row];
    if (!(holder.classFlags & 0x2c) || (holder.options & 0x80)) return row;
    // Without a partner the stored row is the answer (-1 as written); a damaged one names no row.
    if (holder.labelId == kNoLabel)
        return holder.labelRow >= 0 && holder.labelRow < objects->count ? holder.labelRow : -1;
    int label = FindObjectById(objects, holder.labelId, holder.labelRow);
    if (label < 0 || !((*objects)[label].state & StateAttachedLabel)) {
        holder.labelId = kNoLabel;
        holder.labelRow = -1;
        return -1;
    }
    holder.labelRow = label;
    return label;
}

namespace {

// Clears the edited mark of the object being edited; mode 1 leaves it selected and current.
void EndEditOfObject(DocumentState* state, int mode)
{
    Locked<Drawing> drawing(state->drawing);
    if (!drawing) return;
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return;
    for (int row = 0; row < objects->count; ++row) {
        DrawObject& object = (*objects)[row];
        if (!(object.state & StateTextEditing)) continue;
        object.state &= ~static_cast<DWORD>(StateTextEditing);
        InvalidateLogicalRect(drawing->viewWindow, &object.updateRect);
        state->flags |= DocRedraw;
        if (mode == 1 && !(object.state & StateSelected)) {
            object.state |= StateSelected;
            ++drawing->selectedCount;
            drawing->currentRow = row;
        }
    }
    objects.Unlock();
    MarkBlockDirty(drawing->objectList);
}

}  // namespace

void EndUnchangedTextEdit(DocumentState* state, int mode)
{
    EndEditOfObject(state, mode);
}

int CommitObjectTextEdit(HWND view, DocumentState* state, int reserved, int mode)
{
    (void)view;
    (void)reserved;
    int err = 0;
    if (state->textEditor) {
        Locked<Drawing> drawing(state->drawing);
        Locked<ObjectList> objects(drawing ? drawing->objectList : nullptr);
        if (objects) err = StoreEditorText(state->textEditor, drawing.get(), objects.get());
    }
    EndEditOfObject(state, mode);
    return err;
}

void DrawObjectText(HDC dc, int message, Drawing* drawing, ObjectList* objects, int row, int a,
                    int b, void* p)
{
    (void)dc, (void)message, (void)drawing, (void)objects, (void)row, (void)a, (void)b, (void)p;
}

extern "C" LONG CALLBACK SED_TENProc(HWND editor, HDC dc, void* tenState)
{
    (void)editor;
    (void)dc;
    (void)tenState;
    return 0;
}
