// Laying an object's stored text out again in a hidden editor and fitting the object to it.
#include "text/object_text.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "model/drawing.h"
#include "model/links.h"
#include "model/resource_strings.h"
#include "shapes/shape_rects.h"
#include "store/results.h"
#include "store/store_format.h"
#include "store/store_records.h"
#include "text/text_block.h"
#include "text/text_layout.h"
#include "text/text_paint.h"
#include "text/ten_window.h"
#include "text/object_text_shared.h"

namespace {

constexpr int kUnbounded = 32000;

// The alignments that decide which sides stay put, by the anchor selector.
void AnchorAlignments(int anchor, int* alignH, int* alignV)
{
    switch (anchor) {
    case 1: *alignH = kTextAlignLeft; *alignV = 0; break;
    case 2: *alignH = kTextAlignRight; *alignV = 0; break;
    case 3: *alignH = kTextAlignLeft; *alignV = 8; break;
    case 4: *alignH = kTextAlignRight; *alignV = 8; break;
    case 5: *alignV = 0; break;
    case 6: *alignV = 8; break;
    case 7: *alignH = kTextAlignLeft; break;
    case 8: *alignH = kTextAlignRight; break;
    default: break;
    }
}

// The text rectangle's size of an object of its minimum width and height.
SIZE MinimumTextSize(Drawing* drawing, const DrawObject* object)
{
    DrawObject copy = *object;
    copy.frame = RECT{0, 0, object->createdWidth, object->createdHeight};
    UpdateShapeRects(drawing, &copy, FALSE);
    ComputeObjectTextRect(&copy);
    return SIZE{copy.textRect.right - copy.textRect.left, copy.textRect.bottom - copy.textRect.top};
}

// Everything the layout works with; the editor and the taken block are released by Finish.
struct Fitting {
    Drawing* drawing;
    DrawObject* object;
    HWND editor = nullptr;
    HGLOBAL taken = nullptr;
    HGLOBAL record = nullptr;

    int Finish(int result)
    {
        if (editor) DestroyWindow(editor);
        if (taken) GlobalFree(taken);
        if (record) ReleaseBlock(record);
        return result;
    }
};

// Grows or shrinks the frame by the box the text needs; 10009 when the box outgrows the page.
int ResizeToText(Fitting& f, int alignH, int alignV, SIZE needed, bool widthChanged, bool heightChanged,
                 const RECT& foldedMargins)
{
    Drawing* drawing = f.drawing;
    DrawObject* object = f.object;
    RECT box = {0, 0, needed.cx, needed.cy};
    if (object->textFit == 0) {
        box.right -= foldedMargins.left + foldedMargins.right;
        box.bottom -= foldedMargins.top + foldedMargins.bottom;
    }
    box.left -= object->textMargins.left + object->lineWidth;
    box.top -= object->textMargins.top + object->lineWidth;
    box.right += object->textMargins.right + object->lineWidth;
    box.bottom += object->textMargins.bottom + object->lineWidth;
    const int shadowKind = drawing->style.shadowStyle;
    if ((shadowKind == 1 || shadowKind == 2) && ObjectHasShadow(drawing, object))
        InflateRect(&box, std::abs(drawing->style.shadowDx), std::abs(drawing->style.shadowDy));
    if (box.right - box.left > drawing->pageWidth || box.bottom - box.top > drawing->pageHeight) return 10009;
    if (object->objClass == ClassShape) {
        DrawObject copy = *object;
        copy.frame = box;
        ComputeShapeTextMargins(&copy, TRUE);
        box.left -= copy.textInset.left;
        box.top -= copy.textInset.top;
        box.right += copy.textInset.right;
        box.bottom += copy.textInset.bottom;
    }
    RECT& frame = object->frame;
    const int dw = (box.right - box.left) - (frame.right - frame.left);
    const int dh = (box.bottom - box.top) - (frame.bottom - frame.top);
    if (alignH == kTextAlignRight) {
        frame.left -= dw;
    } else if (alignH == kTextAlignCentre || object->angle != 0) {
        frame.left -= dw / 2;
        frame.right += dw - dw / 2;
    } else {
        frame.right += dw;
    }
    if (alignV == 6 || object->angle != 0) {
        frame.top -= dh / 2;
        frame.bottom += dh - dh / 2;
    } else if (alignV == 8) {
        frame.top -= dh;
    } else {
        frame.bottom += dh;
    }
    UpdateShapeRects(drawing, object, FALSE);
    object->textRect = object->innerRect;
    ComputeObjectTextRect(object);
    Locked<TextBlock> block(f.taken);
    TextBlockParts parts = PartsOfTextBlock(block.get());
    const RECT& text = object->textRect;
    if (widthChanged)
        AlignTextLinesHorizontally(parts.lines, parts.runs, parts.formats, block->lineCount, block->formatCount, 0,
                                   text.right - text.left);
    if (heightChanged && alignV != 0)
        AlignTextLinesVertically(parts.lines, block->lineCount, alignV, 0, text.bottom - text.top);
    return 0;
}

}  // namespace

int LayoutObjectText(Drawing* drawing, DrawObject* object, int anchor, HGLOBAL fontMap)
{
    if (!drawing || !object || object->textId < 0) return 0;
    HGLOBAL stateBlock = drawing->viewWindow ? GetDocumentStateHandle(drawing->viewWindow) : nullptr;
    Locked<DocumentState> state(stateBlock);
    if (!state) return 0;

    ComputeObjectTextRect(object);
    int alignH = object->textAlignH;
    int alignV = object->textAlignV;
    AnchorAlignments(anchor, &alignH, &alignV);
    const RECT& text = object->textRect;
    RECT working = object->textFit == 0 ? object->frame : text;
    RECT margins = {};
    if (object->textFit == 0)
        margins = RECT{text.left - working.left, text.top - working.top, working.right - text.right,
                       working.bottom - text.bottom};
    const int workWidth = working.right - working.left;
    const int workHeight = working.bottom - working.top;
    const int widthLimit = object->angle != 0 ? drawing->pageHeight : drawing->pageWidth;

    const int fitBefore = object->textFit;
    // The stored text is checked before any editor is made for it.
    Fitting f{drawing, object};
    if (int err = LoadRecord(drawing->header.slot, RecTextBlock, object->textId, &f.record)) return err;
    if (int err = BeginRecordChange(f.record)) return f.Finish(err);
    std::vector<BYTE> copy;
    {
        const LONG payloadSize = GetBlockSize(f.record) - kBlockHeaderSize;
        Locked<BYTE> bytes(f.record);
        const TextBlock* stored = bytes ? CheckedTextBlock(bytes.get() + kBlockHeaderSize, payloadSize) : nullptr;
        if (!stored) return f.Finish(0);
        auto* header = const_cast<TextBlock*>(stored);
        // A text-only object of fit mode 1 asked to wrap becomes fit mode 2 when it is laid out.
        const bool wrapAsked = (header->options & TenOptWordWrap) != 0;
        if (object->textFit == 1 && !wrapAsked) header->options &= ~static_cast<INT32>(TenOptWordWrap);
        else header->options |= TenOptWordWrap;
        if (header->textLength == 0) {
            MarkBlockDirty(f.record);
            return f.Finish(0);
        }
        const BYTE* start = reinterpret_cast<const BYTE*>(stored);
        copy.assign(start, start + TextBlockSize(stored));
    }
    MarkBlockDirty(f.record);
    const bool wrapOn = (reinterpret_cast<const TextBlock*>(copy.data())->options & TenOptWordWrap) != 0;

    TenCreateParams p = {};
    p.fontList = state->fontList;
    p.fontMap = fontMap ? fontMap : state->fontMap;
    p.minHeight = object->textFit == 0 ? object->createdHeight : 0;
    p.minWidth = object->textFit == 0 ? object->createdWidth : 30;
    p.heightStep = 36;
    p.margins = margins;
    p.size = 12;
    p.color = drawing->style.textColor;
    p.alignment = object->textAlignH;
    p.editorKind = 1;
    p.createFlags = 2;
    p.referenceDC = state->printerIC;
    p.labelLink = -1;
    p.baseUnit = 600;
    p.verticalAlign = object->textAlignV;
    p.palette = state->palette;
    p.effect = TextEffectForObject(drawing, object);
    std::memcpy(p.marginRatios, object->classData, sizeof p.marginRatios);
    HINSTANCE instance = g_hInstance ? g_hInstance : GetModuleHandleA(nullptr);
    if (RegisterTenClass(instance) == 0)
        f.editor = CreateWindowA("TENClass", "", WS_CHILD, 0, 0, 8, 8, drawing->viewWindow, nullptr, instance, &p);
    if (!f.editor) return f.Finish(ErrOutOfMemory);
    SendMessageA(f.editor, TEN_SETBACKCOLOR, 0, static_cast<LPARAM>(PageColour(drawing)));

    const int extentWidth = object->textFit == 1 ? widthLimit : workWidth;
    const int extentHeight = object->textFit == 0 ? workHeight : kUnbounded;
    SendMessageA(f.editor, TEN_SETEXTENT, 0, MAKELPARAM(extentWidth, extentHeight));
    if (int err = static_cast<int>(SendMessageA(f.editor, TEN_LOADTEXTBLOCK, 0, reinterpret_cast<LPARAM>(copy.data()))))
        return f.Finish(err);
    f.taken = reinterpret_cast<HGLOBAL>(SendMessageA(f.editor, TEN_GETTEXT, TenWholeText, 0));
    if (!f.taken) return f.Finish(ErrOutOfMemory);
    SIZE needed;
    {
        Locked<TextBlock> block(f.taken);
        needed = SIZE{block->widestLine, block->textHeight};
    }
    const SIZE minimum = MinimumTextSize(drawing, object);
    {
        Locked<ObjectList> objects(drawing->objectList);
        if (objects) FlagObjectAndTargetLinks(drawing, objects.get(), *object);
    }

    RECT folded = {};
    int dw = 0, dh = 0;
    if (object->textFit == 0) {
        GlobalFree(f.taken);
        f.taken = nullptr;
        int width = 0, height = 0;
        const int change = margins.top + margins.bottom + needed.cy - workHeight;
        if (int err = FitTextToBox(f.editor, TenStateHandle(f.editor), change, &width, &height, TRUE))
            return f.Finish(err);
        f.taken = reinterpret_cast<HGLOBAL>(SendMessageA(f.editor, TEN_GETTEXT, TenWholeText, 0));
        if (!f.taken) return f.Finish(ErrOutOfMemory);
        Locked<TextBlock> block(f.taken);
        TextBlockParts parts = PartsOfTextBlock(block.get());
        folded = RECT{block->marginLeft, block->marginTop, block->marginRight, block->marginBottom};
        for (int i = 0; i < block->lineCount; ++i) {
            parts.lines[i].x -= folded.left;
            parts.lines[i].y -= folded.top;
        }
        block->marginLeft = block->marginTop = block->marginRight = block->marginBottom = 0;
        needed = SIZE{width, height};
        dw = width - workWidth;
        dh = height - workHeight;
    } else {
        if (needed.cx < minimum.cx) needed.cx = minimum.cx;
        if (needed.cy < minimum.cy) needed.cy = minimum.cy;
        dh = needed.cy - workHeight;
        dw = needed.cx - workWidth;
        Locked<TextBlock> block(f.taken);
        TextBlockParts parts = PartsOfTextBlock(block.get());
        if (object->textFit == 1 && dw == 0)
            AlignTextLinesHorizontally(parts.lines, parts.runs, parts.formats, block->lineCount, block->formatCount, 0,
                                       needed.cx);
        if (dh == 0 && alignV != 0) AlignTextLinesVertically(parts.lines, block->lineCount, alignV, 0, needed.cy);
        if (object->textFit == 1 && wrapOn) object->textFit = 2;
    }

    if (dw != 0 || dh != 0) {
        const RECT before = object->frame;
        if (int err = ResizeToText(f, alignH, alignV, needed, dw != 0, dh != 0, folded)) {
            object->frame = before;
            object->textFit = fitBefore;
            return f.Finish(err);
        }
    }
    int err = BeginRecordChange(f.record);
    if (!err) err = StoreTextBlock(&f.record, f.taken);
    return f.Finish(err);
}
