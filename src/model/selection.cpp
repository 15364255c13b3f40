// Owners, extents, shadows, handle rects and the selection summaries for menus, dialogs and the
// text toolbar.
#include "model/selection.h"

#include <algorithm>
#include <cstdlib>
#include <set>

#include "documents/document_state.h"
#include "documents/document_life.h"
#include "frame/frame_services.h"
#include "geometry/handle_codes.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/groups.h"
#include "model/links.h"
#include "model/undo.h"
#include "resource.h"
#include "store/block_store.h"
#include "text/object_text.h"

namespace {

// Whether an object's drop shadow is drawn and counted in its bounds: never with the shadow
// hidden; always with a border or for lines; a borderless shape only under the drop style with
// a fill, unless it is an attached label or a framed picture.
bool ObjectCastsShadow(const Drawing* drawing, const DrawObject& object)
{
    if (object.options & OptShadowHidden) return false;
    if (object.lineWidth != 0 || object.objClass != ClassShape) return true;
    bool attachedLabel = object.labelId != kNoLabel && (object.state & StateAttachedLabel);
    bool framedPicture = (object.state & StatePicture) && (object.options & OptFramed);
    return drawing->style.shadowStyle == 4 && object.fillPattern != 0 && !attachedLabel && !framedPicture;
}

// The summary rule: an unset field (-2) takes the value, a differing one becomes `mixed`.
void Merge(INT32& field, INT32 value, INT32 mixed = -1)
{
    if (field == -2)
        field = value;
    else if (field != value)
        field = mixed;
}

void Merge(COLORREF& field, COLORREF value)
{
    INT32 v = static_cast<INT32>(field);
    Merge(v, static_cast<INT32>(value));
    field = static_cast<COLORREF>(v);
}

// Calls `visit` for every run of the object's stored text, with the paragraph alignment the run
// names (-2 when it names none). Store errors are returned.
template <typename Visit>
int ForEachRun(int storeSlot, int textId, Visit visit)
{
    HGLOBAL block = nullptr;
    if (int err = LoadRecord(storeSlot, RecTextBlock, textId, &block)) return err;
    LONG size = GetBlockSize(block);
    {
        Locked<BYTE> bytes(block);
        if (bytes && size > kBlockHeaderSize) {
            TextBlockView view = ViewTextBlock(bytes.get() + kBlockHeaderSize, size - kBlockHeaderSize);
            for (int i = 0; i < view.runCount; ++i) {
                const TextRun& run = view.runs[i];
                int alignment = run.paragraphFormat >= 0 && run.paragraphFormat < view.formatCount
                                    ? view.formats[run.paragraphFormat].alignment
                                    : -2;
                visit(run, alignment);
            }
        }
    }
    ReleaseBlock(block);
    return 0;
}

HGLOBAL DrawingOfView(HWND view)
{
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return nullptr;
    Locked<DocumentState> state(stateBlock);
    return state ? state->drawing : nullptr;
}

}  // namespace

int FindOwnerObject(ObjectList* objects, int row, BOOL ownerSelected)
{
    DrawObject& object = (*objects)[row];
    int owner = -1;
    if ((object.state & StateAttachedLabel) && object.labelId != kNoLabel) {
        owner = FindObjectById(objects, object.labelId, object.labelRow);
        if (owner < 0) {
            object.labelId = kNoLabel;
            object.labelRow = -1;
        } else {
            object.labelRow = owner;
        }
    } else {
        for (int s = 0; s < HookSlotsInUse(object); ++s) {
            int target = FindObjectById(objects, object.hooks[s].targetId, object.hooks[s].targetRow);
            if (target < 0) continue;
            object.hooks[s].targetRow = target;
            if ((*objects)[target].objClass == ClassArray) {
                owner = target;
                break;
            }
        }
    }
    if (owner >= 0 && ownerSelected && !((*objects)[owner].state & StateSelected)) return -1;
    return owner;
}

void GetDrawingExtent(Drawing* drawing, ObjectList* objects, RECT* extent, BOOL selectionOnly,
                      BOOL fromUpdateRects)
{
    SetRectEmpty(extent);
    for (int row = 0; row < objects->count; ++row) {
        const DrawObject& object = (*objects)[row];
        if (selectionOnly && !(object.state & StateSelected) && FindOwnerObject(objects, row, TRUE) < 0) continue;
        RECT r;
        if (fromUpdateRects) {
            r = object.updateRect;
        } else {
            r = object.frame;
            SendClassMessage(nullptr, drawing, objects, row, OM_GETBOUNDS, 1, 1, &r);
            if (drawing->style.shadowStyle != 0 && ObjectCastsShadow(drawing, object)) {
                RECT margins;
                GetShadowOffsetRect(drawing, &margins,
                                    object.objClass == ClassShape ? 0 : drawing->style.shadowClassMask);
                r.left -= margins.left;
                r.top -= margins.top;
                r.right += margins.right;
                r.bottom += margins.bottom;
            }
            SendClassMessage(nullptr, drawing, objects, row, OM_GETUPDATERECT, 0, 0, &r);
        }
        if (r.right == r.left) ++r.right;
        if (r.bottom == r.top) ++r.bottom;
        RECT joined;
        UnionRect(&joined, extent, &r);
        *extent = joined;
    }
}

void GetShadowOffsetRect(Drawing* drawing, RECT* margins, DWORD classMask)
{
    SetRectEmpty(margins);
    const DrawingStyle& style = drawing->style;
    if (classMask && !(classMask & static_cast<DWORD>(style.shadowClassMask))) return;
    if (style.shadowStyle <= 0 || style.shadowStyle > 5) return;
    if (style.shadowStyle <= 2) {
        margins->left = margins->right = style.shadowDx;
        margins->top = margins->bottom = style.shadowDy;
        return;
    }
    if (style.shadowDx < 0) margins->left = -style.shadowDx; else margins->right = style.shadowDx;
    if (style.shadowDy < 0) margins->top = -style.shadowDy; else margins->bottom = style.shadowDy;
}

void GetHandleRect(const DrawObject* object, RECT* rect, int code, const POINT* points)
{
    const RECT& u = object->updateRect;
    const RECT& f = object->frame;
    auto square = [rect](LONG x, LONG y) { SetRect(rect, x, y, x + 54, y + 54); };
    auto around = [rect](POINT p) { SetRect(rect, p.x - 30, p.y - 30, p.x + 24, p.y + 24); };
    int hw = (f.right - f.left) / 2;
    int hh = (f.bottom - f.top) / 2;
    bool noTopBottom = hw < 192 && object->handleLayout != 2;
    bool noSides = hh < 192 && object->handleLayout != 1;
    static const int kPointOf[9] = {0, 0, 1, 3, 2, 4, 6, 7, 5};
    if (code >= HandleLeftTop && code <= HandleRightMiddle) {
        if ((code == HandleTopMiddle || code == HandleBottomMiddle) && noTopBottom) {
            SetRectEmpty(rect);
            return;
        }
        if ((code == HandleLeftMiddle || code == HandleRightMiddle) && noSides) {
            SetRectEmpty(rect);
            return;
        }
        if (points) {
            around(points[kPointOf[code]]);
            return;
        }
        switch (code) {
        case HandleLeftTop: square(u.left, u.top); break;
        case HandleRightTop: square(u.right - 54, u.top); break;
        case HandleLeftBottom: square(u.left, u.bottom - 54); break;
        case HandleRightBottom: square(u.right - 54, u.bottom - 54); break;
        case HandleTopMiddle: square(u.left + hw, u.top); break;
        case HandleBottomMiddle: square(u.left + hw, u.bottom - 54); break;
        case HandleLeftMiddle: square(u.left, u.top + hh); break;
        case HandleRightMiddle: square(u.right - 54, u.top + hh); break;
        }
        return;
    }
    LONG a = object->axisCoord;
    switch (code) {
    case 20: SetRect(rect, f.left - 30, a - 27, f.left + 24, a + 27); break;
    case 21: SetRect(rect, f.right - 24, a - 27, f.right + 30, a + 27); break;
    case 22: SetRect(rect, a - 27, f.top - 30, a + 27, f.top + 24); break;
    case 23: SetRect(rect, a - 27, f.bottom - 24, a + 27, f.bottom + 30); break;
    case 24: SetRect(rect, f.left - 30, f.top - 30, f.left + 24, f.top + 24); break;
    case 25: SetRect(rect, f.right - 24, f.top - 30, f.right + 30, f.top + 24); break;
    case 26: SetRect(rect, f.left - 30, f.bottom - 24, f.left + 24, f.bottom + 30); break;
    case 27: SetRect(rect, f.right - 24, f.bottom - 24, f.right + 30, f.bottom + 30); break;
    default: break;
    }
}

void FitRectInUnitBox(RECT* rect, POINT* point)
{
    point->x -= rect->left;
    point->y -= rect->top;
    OffsetRect(rect, -rect->left, -rect->top);
    double fx = rect->right > 600 ? 600.0 / rect->right : 1.0;
    double fy = rect->bottom > 600 ? 600.0 / rect->bottom : 1.0;
    double factor = std::min(fx, fy);
    if (factor >= 1.0) return;
    point->x = static_cast<LONG>(point->x * factor);
    point->y = static_cast<LONG>(point->y * factor);
    rect->right = static_cast<LONG>(rect->right * factor);
    rect->bottom = static_cast<LONG>(rect->bottom * factor);
}

DWORD GetSelectionMenuFlags(Drawing* drawing)
{
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return 0;
    DWORD flags = 0;
    bool any = false;
    std::set<int> groups;
    int loose = 0;
    for (int row = 0; row < objects->count; ++row) {
        const DrawObject& object = (*objects)[row];
        if (!(object.state & StateSelected)) continue;
        any = true;
        flags |= static_cast<DWORD>(SendClassMessage(nullptr, drawing, objects.get(), row, OM_GETCAPS));
        if (object.state & StateLocked) flags |= CapLocked;
        if (object.textId >= 0) flags |= CapText;
        // Attached labels and members fixed to an array are no units of their own.
        if ((object.state & StateAttachedLabel) || HasSingleFixedHook(&object)) continue;
        if (GroupIndexOfObject(drawing, object) >= 0)
            groups.insert(object.groupId);
        else
            ++loose;
    }
    if (!any) return 0;
    Locked<GroupTable> table(drawing->groupTable);
    if (table) {
        for (int i = 0; i < table->count; ++i) {
            if ((*table)[i].flags & GroupSelected) flags |= CapGroup | CapFlippable;
        }
    }
    if (static_cast<int>(groups.size()) + loose > 1) flags |= CapSeveralUnits;
    return flags;
}

int CollectSelectionAttributes(HWND view, int message, DrawObject* summary, TextSummary* text)
{
    *summary = DrawObject{};
    for (INT32* field : {&summary->fillPattern, &summary->lineStyle, &summary->lineWidth, &summary->textAlignV,
                         &summary->textAlignH, &summary->arrowSize, &summary->arrowStart, &summary->arrowEnd,
                         &summary->textFit, &summary->handleLayout, &summary->objType, &summary->lineShape})
        *field = -2;
    summary->lineColor = summary->fillColor = static_cast<COLORREF>(-2);
    summary->classFlags = 0;
    summary->state = StatePicture;
    summary->options = 1;
    summary->angle = 0;
    if (text) {
        for (INT32* field : {&text->face, &text->size, &text->script, &text->attribute, &text->alignment,
                             &text->runFlags, &text->nominalSize, &text->escapement})
            *field = -2;
        text->color = static_cast<COLORREF>(-2);
        text->style = 0;
    }

    HGLOBAL drawingBlock = DrawingOfView(view);
    if (!drawingBlock) return 0;
    Locked<Drawing> drawing(drawingBlock);
    Locked<ObjectList> objects(drawing ? drawing->objectList : nullptr);
    if (!drawing || !objects) return 0;
    int any = 0;
    DWORD allStyles = 0x7;
    INT32 firstStyle = -1;
    bool stylesDiffer = false;
    for (int row = 0; row < objects->count; ++row) {
        if (!((*objects)[row].state & StateSelected)) continue;
        any = 1;
        SendClassMessage(nullptr, drawing.get(), objects.get(), row, message, 0,
                         static_cast<int>(reinterpret_cast<INT_PTR>(text)), summary);
        if (row == drawing->currentRow) summary->angle = (*objects)[row].angle;
        int holder = ResolveTextHolderIndex(objects.get(), row);
        if (holder < 0) continue;
        const DrawObject& owner = (*objects)[holder];
        Merge(summary->textAlignV, owner.textAlignV);
        Merge(summary->textAlignH, owner.textAlignH);
        if (!text || owner.textId < 0) continue;
        int err = ForEachRun(drawing->storeSlot, owner.textId, [&](const TextRun& run, int alignment) {
            Merge(text->face, run.face);
            Merge(text->size, run.size);
            Merge(text->color, run.color);
            Merge(text->escapement, run.escapement);
            Merge(text->script, run.script, 0);
            if (alignment != -2) Merge(text->alignment, alignment);
            allStyles &= static_cast<DWORD>(run.style);
            if (firstStyle == -1)
                firstStyle = run.style;
            else if (run.style != firstStyle)
                stylesDiffer = true;
        });
        if (err) return err;
    }
    if (text && firstStyle != -1) text->style = static_cast<INT32>((allStyles & 0x7) | (stylesDiffer ? 0x4000 : 0));
    return any;
}

int UpdateTextStyleControls(HWND view, int firstRow)
{
    HGLOBAL drawingBlock = DrawingOfView(view);
    if (!drawingBlock) return 0;
    Locked<Drawing> drawing(drawingBlock);
    Locked<ObjectList> objects(drawing ? drawing->objectList : nullptr);
    if (!drawing || !objects) return 0;
    int any = 0;
    bool haveFirst = false;
    DWORD bits = 0, differ = 0;
    INT32 raised = -2, lowered = -2;
    for (int row = firstRow > 0 ? firstRow : 0; row < objects->count; ++row) {
        if (!((*objects)[row].state & StateSelected)) continue;
        any = 1;
        int holder = ResolveTextHolderIndex(objects.get(), row);
        if (holder < 0 || (*objects)[holder].textId < 0) continue;
        ForEachRun(drawing->storeSlot, (*objects)[holder].textId, [&](const TextRun& run, int) {
            DWORD style = static_cast<DWORD>(run.style) & 0x7;
            if (!haveFirst) {
                bits = style;
                haveFirst = true;
            } else {
                differ |= style ^ bits;
            }
            Merge(raised, run.script > 0 ? 1 : 0);
            Merge(lowered, run.script < 0 ? 1 : 0);
        });
    }
    int code = 0;
    if (raised == -1 && lowered == -1)
        code = -5;
    else if (lowered == -1)
        code = -2;
    else if (raised == -1)
        code = -3;
    else if (raised == 1)
        code = 1;
    else if (lowered == 1)
        code = -1;
    if (g_paletteWindow) {
        SendMessageA(g_paletteWindow, VXM_TEXTSTYLEFLAGS, 0, static_cast<LPARAM>(differ * 256 + bits));
        SendMessageA(g_paletteWindow, VXM_TEXTSCRIPT, 0, static_cast<LPARAM>(static_cast<DWORD>(code) << 24));
    }
    return any;
}

//END
