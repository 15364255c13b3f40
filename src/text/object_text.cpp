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
#include "text/ten_window.h"
#include "text/object_text_shared.h"

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
    if (!(holder.classFlags & ClassFlagsTextOnLabel) || (holder.options & OptOwnText)) return row;
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

void TextAlignToAnchorCode(int alignH, int alignV, int* anchorCode, POINT* boxPoint)
{
    // Rows: left, right, centred; columns: top, bottom, middle.
    static const int kCodes[3][3] = {{203, 201, 207}, {204, 202, 208}, {206, 205, 209}};
    static const int kBoxX[3] = {0, 600, 300};
    const int row = alignH == kTextAlignLeft ? 0 : alignH == kTextAlignRight ? 1 : 2;
    const int column = alignV == 0 ? 0 : alignV == 8 ? 1 : 2;
    if (anchorCode) *anchorCode = kCodes[row][column];
    if (boxPoint) *boxPoint = POINT{kBoxX[row], kBoxX[row]};
}

TextEffect TextEffectForObject(const Drawing* drawing, const DrawObject* object)
{
    TextEffect effect = {};
    const DrawingStyle& style = drawing->style;
    if (!(style.shadowClassMask & 0x2) || (object && (object->options & OptNoTextShadow))) return effect;
    effect.dx = style.shadowDx;
    effect.dy = style.shadowDy;
    effect.kind = style.shadowStyle;
    if (style.shadowClassMask & 0x4) effect.kind = effect.kind == 1 ? 2 : effect.kind == 2 ? 1 : effect.kind;
    effect.color = style.shadowColor;
    effect.color2 = style.highlightColor;
    return effect;
}

const TextBlock* CheckedTextBlock(const BYTE* payload, LONG payloadSize)
{
    if (!payload || payloadSize < static_cast<LONG>(sizeof(TextBlock))) return nullptr;
    const auto* block = reinterpret_cast<const TextBlock*>(payload);
    const long long size = TextBlockSize(block);
    if (size < 0 || size > payloadSize || !IsLoadableTextBlock(block, 1)) return nullptr;
    return block;
}

TextBlockParts PartsOfTextBlock(TextBlock* block)
{
    BYTE* at = reinterpret_cast<BYTE*>(block) + kTextBlockSize;
    TextBlockParts parts = {block, reinterpret_cast<TextLine*>(at), nullptr, nullptr};
    at += kTextLineSize * block->lineCount;
    parts.runs = reinterpret_cast<TextRun*>(at);
    at += kTextRunSize * block->runCount;
    parts.formats = reinterpret_cast<ParagraphFormat*>(at);
    return parts;
}

int FirstParagraphAlignment(const TextBlockParts& parts)
{
    return parts.header->formatCount > 0 ? parts.formats[0].alignment : kTextAlignLeft;
}

COLORREF PageColour(const Drawing* drawing)
{
    return drawing->style.backgroundColor == static_cast<COLORREF>(-1) ? 0xFFFFFF : drawing->style.backgroundColor;
}

void SelectEditedObject(Drawing* drawing, DrawObject* object, int row)
{
    ++drawing->selectedCount;
    drawing->currentRow = row;
    object->state |= StateSelected;
}

void RepaintEditedObject(DocumentState* state, Drawing* drawing, const DrawObject& object)
{
    InvalidateLogicalRect(drawing->viewWindow, &object.updateRect);
    state->flags |= DocRedraw;
}

void FlagObjectAndTargetLinks(Drawing* drawing, ObjectList* objects, const DrawObject& object)
{
    MarkLinksChanged(drawing, object.objId, LinkChanged, object.groupId, object.groupRow);
    for (int slot = 0; slot < object.hookCount && slot < 2; ++slot) {
        const HookEntry& hook = object.hooks[slot];
        const int target = FindObjectById(objects, hook.targetId, hook.targetRow);
        if (target < 0) continue;
        const DrawObject& t = (*objects)[target];
        MarkLinksChanged(drawing, t.objId, LinkChanged, t.groupId, t.groupRow);
    }
}
