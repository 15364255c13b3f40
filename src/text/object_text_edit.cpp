// In-place editing of object text: opening the editor over an object or a new text, taking the
// text back into the object (or a new free text or label) and ending an unchanged edit.
#include "resource.h"
#include "text/object_text.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "editing/edit_operation.h"
#include "editing/edit_services.h"
#include "editing/view_mouse.h"
#include "frame/frame_standins.h"
#include "geometry/point_geometry.h"
#include "model/class_protocol.h"
#include "model/device_units.h"
#include "model/drawing.h"
#include "model/edit_ops.h"
#include "model/group_transform.h"
#include "model/groups.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/objects.h"
#include "model/resource_strings.h"
#include "model/selection.h"
#include "model/undo.h"
#include "model/window_utils.h"
#include "shapes/shape_rects.h"
#include "store/results.h"
#include "store/store_format.h"
#include "store/store_records.h"
#include "text/font_cache.h"
#include "text/font_list.h"
#include "text/text_block.h"
#include "text/text_layout.h"
#include "text/ten_window.h"
#include "text/object_text_shared.h"

namespace {

// The slot of the drawing's default face in the document's map: by name and character set, by
// name, or the list's default.
int DefaultFaceSlot(const Drawing* drawing, const DocumentState* state)
{
    int index = FindFontByFaceAndCharset(state->fontList, drawing->defaults.defaultFace,
                                         drawing->defaults.defaultFontKey);
    if (index < 0) index = FindFontByFace(state->fontList, drawing->defaults.defaultFace);
    if (index < 0) index = GetDefaultFontIndex(state->fontList);
    return MapDocumentFont(state->fontMap, index);
}

// Height and ascent of the typing font on the reference device, in drawing units.
int MeasureTypingFont(const DocumentState* state, int face, int size, int style, int* height, int* ascent)
{
    HFONT font = GetCachedFont(state->fontList, state->fontMap, face, size, style, 0, 0, kDrawingUnitsPerInch);
    if (!font) return ErrOutOfMemory;
    HDC dc = state->printerIC;
    if (!dc) return ErrOutOfMemory;
    SetLogicalUnits(dc, 0, kDrawingUnitsPerInch);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics = {};
    const BOOL measured = GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    if (!measured) return ErrOutOfMemory;
    *height = metrics.tmHeight;
    *ascent = metrics.tmAscent;
    return 0;
}

// Where a line's new label starts: the baseline point computed from its holder; the label's
// alignments go to the out fields.
int LabelStartPoint(ObjectList* objects, Drawing* drawing, const DocumentState* state, int holderRow,
                    const TextRun& typing, POINT* at, int* alignH, int* alignV)
{
    const DrawObject holder = (*objects)[holderRow];
    const RECT& frame = holder.frame;
    at->x = (frame.left + frame.right) / 2 - 30;
    int height = 0, ascent = 0;
    if (int err = MeasureTypingFont(state, typing.face, typing.size, typing.style, &height, &ascent)) return err;
    if (holder.classFlags & ClassFlagLabelBelow) {
        at->y = frame.bottom;
        *alignH = kTextAlignCentre;
        *alignV = 0;
    } else if (holder.classFlags & ClassFlagLabelByAlignment) {
        *alignH = holder.textAlignH;
        *alignV = holder.textAlignV;
        int code = 0;
        POINT box = {};
        TextAlignToAnchorCode(*alignH, *alignV, &code, &box);
        SendClassMessage(nullptr, drawing, objects, holderRow, OM_MAPHOOKPOINT, 1, code, &box);
        *at = box;
        if (*alignH == kTextAlignRight) at->x -= 60;
        else if (*alignH == kTextAlignCentre) at->x -= 30;
    } else {
        at->y = frame.top;
        *alignH = kTextAlignCentre;
        *alignV = 8;
    }
    if (holder.angle != 0) RotatePoints(&frame, holder.angle, at, 1);
    if (holder.classFlags & ClassFlagLabelByAlignment) {
        if (*alignV == 0) at->y -= height - ascent;
        else if (*alignV == 8) at->y += ascent;
        else if (*alignV == 6) at->y += ascent - height / 2;
    } else if (holder.classFlags & ClassFlagLabelBelow) {
        at->y += ascent;
    } else {
        at->y -= height - ascent;
    }
    return 0;
}

// The stored text of an object, copied out of its record: empty when the record does not hold a
// text an editor can take.
int LoadTextCopy(int slot, int textId, std::vector<BYTE>* copy)
{
    HGLOBAL record = nullptr;
    if (int err = LoadRecord(slot, RecTextBlock, textId, &record)) return err;
    const LONG payloadSize = GetBlockSize(record) - kBlockHeaderSize;
    int err = ErrOutOfMemory;
    if (const BYTE* bytes = static_cast<const BYTE*>(GlobalLock(record))) {
        if (const TextBlock* block = CheckedTextBlock(bytes + kBlockHeaderSize, payloadSize)) {
            const BYTE* start = reinterpret_cast<const BYTE*>(block);
            copy->assign(start, start + TextBlockSize(block));
            err = 0;
        }
        GlobalUnlock(record);
    }
    ReleaseBlock(record);
    return err;
}

bool IsPlaceholder(const TextBlock* block)
{
    char placeholder[261];
    if (LoadResString(IDS_TEXT_PLACEHOLDER, placeholder) != 0) return false;
    const int length = static_cast<int>(std::strlen(placeholder));
    if (block->textLength != length) return false;
    const char* text = reinterpret_cast<const char*>(block) + TextBlockSize(block) - block->textLength;
    return _strnicmp(text, placeholder, length) == 0;
}

}  // namespace

int BeginObjectTextEdit(HWND view, DocumentState* state, int row, int x, int y, int hidden)
{
    if (!state) return 0;
    // One editor per view: an editor still open is ended first.
    if (state->textEditor) {
        if (int err = EndTextEditing(view, -1)) return err;
    }
    Locked<Drawing> drawing(state->drawing);
    if (!drawing) return ErrOutOfMemory;
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return ErrOutOfMemory;
    if (row >= objects->count) return 0;
    if (!hidden) {
        ClearUndoState(view);
        DeselectAll(drawing.get());
    }
    int fit = 0;
    const int zoom = GetViewZoom(view, &fit);

    TenCreateParams p = {};
    p.fontList = state->fontList;
    p.fontMap = state->fontMap;
    p.face = DefaultFaceSlot(drawing.get(), state);
    p.size = drawing->defaults.defaultTextSize;
    p.style = drawing->defaults.defaultTextStyle;
    p.color = drawing->style.textColor;
    COLORREF background = PageColour(drawing.get());
    int alignH = drawing->defaults.defaultTextAlignH;
    int alignV = drawing->defaults.defaultTextAlignV;
    p.labelLink = -1;
    DWORD flags = 0;
    bool invalidateAfter = false;
    RECT editorRect = {};

    if (row >= 0) {
        const DrawObject& clicked = (*objects)[row];
        if (clicked.state & StateLocked) return 0;
        p.effect = TextEffectForObject(drawing.get(), &clicked);
        invalidateAfter = clicked.fillPattern > 1 || clicked.angle != 0;
        if ((clicked.classFlags & ClassFlagsTextOnLabel) && !(clicked.options & OptOwnText)) {
            p.labelLink = (row << 16) | (clicked.objId & 0xFFFF);
            const int holder = row;
            row = ResolveTextHolderIndex(objects.get(), holder);
            if (row < 0) {
                TextRun typing = {};
                typing.face = p.face;
                typing.size = p.size;
                typing.style = p.style;
                POINT at = {};
                if (int err = LabelStartPoint(objects.get(), drawing.get(), state, holder, typing, &at, &alignH, &alignV))
                    return err;
                x = at.x;
                y = at.y;
            }
        }
    } else {
        p.effect = TextEffectForObject(drawing.get(), nullptr);
    }

    std::vector<BYTE> block;
    if (row < 0) {
        int height = 0, ascent = 0;
        if (int err = MeasureTypingFont(state, p.face, p.size, p.style, &height, &ascent)) return err;
        editorRect = RECT{x, y - ascent, x + 60, y + height - ascent};
        InflateRect(&editorRect, 24, 24);
        p.margins = RECT{24, 24, 24, 24};
        p.frame = editorRect;
        p.ownerRow = -1;
        p.options = 0;
        flags = TenFlagGrowWidth;
        p.minHeight = 0;
        p.minWidth = 30;
    } else {
        DrawObject& object = (*objects)[row];
        std::memcpy(p.marginRatios, object.classData, sizeof p.marginRatios);
        if (object.objClass == ClassShape && object.dataId >= 0 && object.dataType >= 0) flags |= TenFlagRepaintAll;
        if (object.textFit == 1) {
            p.options = 0;
            flags |= TenFlagGrowWidth;
        } else if (object.textFit == 2) {
            p.options = TenOptWordWrap;
        } else {
            p.options = TenOptWordWrap;
            flags |= TenFlagRefitOnHeight;
        }
        if (object.fillPattern != 0) background = object.fillColor;
        if (object.textId < 0) ComputeObjectTextRect(&object);
        p.minHeight = object.createdHeight;
        p.minWidth = object.createdWidth;
        if (object.angle != 0) {
            RepaintEditedObject(state, drawing.get(), object);
            flags |= TenFlagRotated;
        }
        editorRect = object.frame;
        if (ObjectHasShadow(drawing.get(), &object)) {
            RECT shadow = {};
            GetShadowOffsetRect(drawing.get(), &shadow, 0);
            editorRect.left -= shadow.left;
            editorRect.top -= shadow.top;
            editorRect.right += shadow.right;
            editorRect.bottom += shadow.bottom;
            p.minHeight += shadow.top + shadow.bottom;
            p.minWidth += shadow.left + shadow.right;
            flags |= TenFlagShadow;
        }
        p.margins = RECT{object.textRect.left - editorRect.left, object.textRect.top - editorRect.top,
                         editorRect.right - object.textRect.right, editorRect.bottom - object.textRect.bottom};
        if (object.angle != 0) {
            if (editorRect.left < 0) OffsetRect(&editorRect, -editorRect.left, 0);
            else if (editorRect.right > drawing->pageWidth - 20)
                OffsetRect(&editorRect, drawing->pageWidth - 20 - editorRect.right, 0);
        }
        p.frame = object.frame;
        alignH = object.textAlignH;
        alignV = object.textAlignV;
        if (object.textId >= 0) {
            if (int err = LoadTextCopy(drawing->header.slot, object.textId, &block)) return err;
            auto* header = reinterpret_cast<TextBlock*>(block.data());
            header->ownerRow = row;
            if (header->formatCount > 0) {
                auto* formats = reinterpret_cast<const ParagraphFormat*>(
                    block.data() + kTextBlockSize + kTextLineSize * header->lineCount + kTextRunSize * header->runCount);
                alignH = formats[0].alignment;
                object.textAlignH = alignH;
            }
            header->options = (header->options & ~static_cast<INT32>(TenOptWordWrap)) |
                              static_cast<INT32>(p.options & TenOptWordWrap);
        }
        object.state |= StateTextEditing;
        p.ownerRow = row;
    }

    const bool selectAll = !block.empty() && IsPlaceholder(reinterpret_cast<const TextBlock*>(block.data()));
    p.originX = editorRect.left;
    p.originY = editorRect.top;
    p.maxWidth = drawing->pageWidth;
    p.maxHeight = drawing->pageHeight;
    p.heightStep = 36;
    p.widthStep = 36;
    p.zoom = zoom;
    p.ownerPaint = SED_TENProc;
    p.alignment = alignH;
    p.editorKind = 1;
    p.flags = flags | TenFlagGrowHeight;
    p.createFlags = 2;
    p.referenceDC = state->printerIC;
    p.baseUnit = kDrawingUnitsPerInch;
    p.verticalAlign = alignV;
    p.palette = state->palette;
    const int editedRow = row;
    objects.Unlock();
    drawing.Unlock();

    // The editor is made off-screen at its device size, then moved over the object.
    HDC viewDC = GetDC(view);
    SIZE size = {editorRect.right - editorRect.left, editorRect.bottom - editorRect.top};
    SIZE click = {x - editorRect.left, y - editorRect.top};
    POINT corner = {editorRect.left, editorRect.top};
    if (viewDC) {
        LogicalToDeviceSize(viewDC, &size);
        if (row >= 0) LogicalToDeviceSize(viewDC, &click);
        LPtoDP(viewDC, &corner, 1);
        ReleaseDC(view, viewDC);
    }
    if (row < 0) click = SIZE{0, 0};
    HINSTANCE instance = g_hInstance ? g_hInstance : GetModuleHandleA(nullptr);
    HWND editor = nullptr;
    if (RegisterTenClass(instance) == 0)
        editor = CreateWindowA("TENClass", "", WS_CHILD, -30000, -30000, size.cx, size.cy, view, nullptr, instance, &p);
    int result = 0;
    if (!editor) {
        result = 1;
    } else {
        state->textEditor = editor;
        SendMessageA(editor, TEN_SETBACKCOLOR, 0, static_cast<LPARAM>(background));
        if (!hidden) ShowWindow(editor, SW_SHOWNA);
        SendMessageA(editor, TEN_SETORIGIN, 0, MAKELPARAM(editorRect.left, editorRect.top));
        MoveWindow(editor, corner.x, corner.y, size.cx, size.cy, FALSE);
        SendMessageA(editor, TEN_UPDATEPOSITION2, 0, 0);
        if (!block.empty())
            result = static_cast<int>(SendMessageA(editor, TEN_LOADTEXTBLOCK, TenEditRepaint,
                                                   reinterpret_cast<LPARAM>(block.data())));
        if (result == 0) {
            SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(click.cx, click.cy));
            if (selectAll) SendMessageA(editor, TEN_SETSELECTION, TenEditRepaint, TenSelectAll);
        }
    }
    if (result != 0) {
        if (editor) DestroyWindow(editor);
        state->textEditor = nullptr;
        // The object shows again: it is not edited after all.
        Locked<Drawing> d(state->drawing);
        Locked<ObjectList> list(d ? d->objectList : nullptr);
        if (list && editedRow >= 0 && editedRow < list->count)
            (*list)[editedRow].state &= ~static_cast<DWORD>(StateTextEditing);
    } else if (invalidateAfter) {
        InvalidateRect(editor, nullptr, FALSE);
    }
    SelectPaletteTool(108);
    return result;
}

void EndUnchangedTextEdit(DocumentState* state, int mode)
{
    if (!state || !state->textEditor) return;
    HGLOBAL taken = reinterpret_cast<HGLOBAL>(SendMessageA(state->textEditor, TEN_GETTEXT, TenWholeText, 0));
    int ownerRow = -1;
    if (taken) {
        if (const TextBlock* block = static_cast<const TextBlock*>(GlobalLock(taken))) {
            ownerRow = block->ownerRow;
            GlobalUnlock(taken);
        }
        GlobalFree(taken);
    }
    Locked<Drawing> drawing(state->drawing);
    if (!drawing) return;
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects || ownerRow < 0 || ownerRow >= objects->count) return;
    DrawObject& object = (*objects)[ownerRow];
    object.state &= ~static_cast<DWORD>(StateTextEditing);
    RepaintEditedObject(state, drawing.get(), object);
    if (mode == 1 && !(object.state & StateSelected)) SelectEditedObject(drawing.get(), &object, ownerRow);
    objects.Unlock();
    MarkBlockDirty(drawing->objectList);
}
