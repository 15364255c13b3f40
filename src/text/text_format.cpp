// Applying text attribute requests to the stored text of drawing objects.
#include "text/text_format.h"

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/links.h"
#include "model/edit_ops.h"
#include "model/invalidate.h"
#include "model/selection.h"
#include "store/results.h"
#include "store/store_format.h"
#include "store/store_records.h"
#include "text/font_list.h"
#include "text/object_text.h"

namespace {

constexpr int kLargestSize = 144;
constexpr int kSmallestSize = 4;
constexpr INT32 kWrapOption = 0x2;

void SetStyleBits(INT32* style, INT32 bits)
{
    if (bits == 0)
        *style = 0;
    *style |= bits;
}

void ClearStyleBits(INT32* style, INT32 bits)
{
    if (bits == 0)
        *style = 0;
    *style &= ~bits;
}

void SetRunSize(TextRun* run, int size)
{
    run->size = size;
    run->nominalSize = size;
}

// The drawing's default face becomes the face of a font slot of its document.
void SetDefaultFace(Drawing* drawing, int slot)
{
    Locked<DocumentState> state(drawing->viewWindow ? GetDocumentStateHandle(drawing->viewWindow) : nullptr);
    if (state)
        SetDefaultFaceFromSlot(drawing, state->fontList, state->fontMap, slot);
}

// A label's owner whose label follows its text alignment hooks it anew at the new anchor.
void RehookLabel(Drawing* drawing, ObjectList* objects, int row, const TextFormatRequest& request)
{
    const int owner = FindOwnerObject(objects, row, FALSE);
    if (owner < 0 || !((*objects)[owner].classFlags & ClassFlagLabelByAlignment)) return;
    int code = 0;
    POINT box = {};
    TextAlignToAnchorCode(request.alignment, request.verticalAlign, &code, &box);
    const DrawObject& label = (*objects)[row];
    int slot = -1;
    for (int i = 0; i < label.hookCount && i < 2; ++i)
        if (label.hooks[i].targetId == (*objects)[owner].objId) slot = i;
    if (AttachHook(drawing, row, slot, owner, code, box.x, box.y) != 0) return;
    (*objects)[owner].textAlignH = request.alignment;
    (*objects)[owner].textAlignV = request.verticalAlign;
}

// One character attribute on one run; the drawing's defaults follow so that new text matches.
void ApplyToRun(Drawing* drawing, TextRun* run, int message, const TextFormatRequest& request)
{
    ObjectDefaults* defaults = drawing ? &drawing->defaults : nullptr;
    switch (message) {
    case OM_TEXTFORMAT:
        if (request.mask & 0x4) {
            if (!(run->runFlags & 0x10))
                run->face = request.face;
            if (drawing)
                SetDefaultFace(drawing, request.face);
        }
        if (request.mask & 0x8) {
            SetRunSize(run, request.size);
            if (defaults)
                defaults->defaultTextSize = request.size;
        }
        if (request.mask & 0x10) {
            SetStyleBits(&run->style, request.setBits);
            if (defaults)
                defaults->defaultTextStyle |= request.setBits;
        }
        if (request.mask & 0x20) {
            ClearStyleBits(&run->style, request.clearBits);
            if (defaults)
                defaults->defaultTextStyle &= ~request.clearBits;
        }
        break;
    case OM_TEXTSIZE:
        SetRunSize(run, request.size);
        if (defaults)
            defaults->defaultTextSize = request.size;
        break;
    case OM_TEXTSTYLESET:
        SetStyleBits(&run->style, request.setBits);
        if (defaults)
            defaults->defaultTextStyle |= request.setBits;
        break;
    case OM_TEXTSTYLECLEAR:
        ClearStyleBits(&run->style, request.clearBits);
        if (defaults)
            defaults->defaultTextStyle &= ~request.clearBits;
        break;
    case OM_TEXTCOLOR:
        run->color = request.color;
        if (drawing)
            drawing->style.textColor = request.color;
        break;
    case OM_TEXTLARGER: {
        const int size = run->size + FontSizeStep(run->size, FALSE);
        SetRunSize(run, size > kLargestSize ? kLargestSize : size);
        break;
    }
    case OM_TEXTSMALLER: {
        const int size = run->size - FontSizeStep(run->size, TRUE);
        SetRunSize(run, size < kSmallestSize ? kSmallestSize : size);
        break;
    }
    default:
        break;
    }
    // The cached font no longer matches the run.
    run->font = 0;
}

// Changes the locked payload; a payload that does not hold a whole text block is left alone.
bool ApplyToBlock(Drawing* drawing, DrawObject* object, BYTE* payload, LONG payloadSize,
                  int message, const TextFormatRequest& request)
{
    if (!CheckedTextBlock(payload, payloadSize))
        return false;
    auto* header = reinterpret_cast<TextBlock*>(payload);
    const TextBlockView view = ViewTextBlock(payload, payloadSize);
    auto* runs = const_cast<TextRun*>(view.runs);
    auto* formats = const_cast<ParagraphFormat*>(view.formats);
    switch (message) {
    case OM_TEXTALIGN:
        if (drawing) {
            drawing->defaults.defaultTextAlignH = request.alignment;
            drawing->defaults.defaultTextAlignV = request.verticalAlign;
        }
        for (int i = 0; i < view.formatCount; ++i)
            formats[i].alignment = request.alignment;
        object->textAlignV = request.verticalAlign;
        object->textAlignH = request.alignment;
        return true;
    case OM_TEXTFLAG:
        header->options = request.wrap ? (header->options | kWrapOption)
                                       : (header->options & ~kWrapOption);
        return true;
    case OM_TEXTINDENT: {
        // The bullet needs the room of the first line's height.
        const INT32 indent = request.alignment != 0 && view.runCount > 0 ? runs[0].ascent : 0;
        for (int i = 0; i < view.formatCount; ++i) {
            formats[i].bullet = request.alignment;
            formats[i].leftIndent = indent;
        }
        return true;
    }
    default:
        break;
    }
    if (header->textLength == 0)
        return true;
    for (int i = 0; i < view.runCount; ++i)
        ApplyToRun(drawing, &runs[i], message, request);
    return true;
}

} // namespace

int FontSizeStep(int size, BOOL down)
{
    if (down ? size <= 12 : size < 12)
        return 1;
    if (down ? size <= 24 : size < 24)
        return 2;
    return 12;
}

int ApplyObjectTextFormat(Drawing* drawing, ObjectList* objects, int row, int message,
                          const TextFormatRequest* request)
{
    if (!objects || !request || row < 0 || row >= objects->count)
        return 0;
    row = ResolveTextHolderIndex(objects, row);
    if (row < 0)
        return 0;
    DrawObject* object = &(*objects)[row];
    if (object->textId < 0)
        return 0;
    HGLOBAL record = nullptr;
    if (int result = LoadRecord(drawing ? drawing->header.slot : -1, RecTextBlock,
                                object->textId, &record))
        return result;
    int result = BeginRecordChange(record);
    bool applied = false;
    if (result == 0) {
        const LONG size = GetBlockSize(record);
        if (BYTE* block = static_cast<BYTE*>(GlobalLock(record))) {
            applied = ApplyToBlock(drawing, object, block + kBlockHeaderSize,
                                   size - kBlockHeaderSize, message, *request);
            GlobalUnlock(record);
            if (applied)
                result = MarkBlockDirty(record);
        } else {
            result = ErrOutOfMemory;
        }
    }
    ReleaseBlock(record);
    if (result || !applied)
        return result;
    if (message == OM_TEXTALIGN && drawing)
        RehookLabel(drawing, objects, row, *request);
    object = &(*objects)[row];
    if (drawing)
        InvalidateLogicalRect(drawing->viewWindow, &object->updateRect);
    const RECT before = object->frame;
    if ((result = LayoutObjectText(drawing, object, 0)) != 0)
        return result;
    result = KeepObjectOnViewPage(drawing, objects, row);
    if (drawing)
        InvalidateLogicalRect(drawing->viewWindow, &object->updateRect);
    // A grouped object that changed size takes its whole group with it.
    if (result == 0 && drawing && object->groupId != 0 && !EqualRect(&before, &object->frame))
        result = ResizeGroupForMember(drawing->viewWindow, drawing, objects, row, before);
    return result;
}
