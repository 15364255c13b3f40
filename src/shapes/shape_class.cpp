// The shape class handler and the shape record's life: initialisation, kind changes,
// attribute merging and capabilities.
#include "shapes/shape_class.h"

#include <iterator>

#include "documents/document_state.h"
#include "documents/options.h"
#include "model/class_protocol.h"
#include "model/links.h"
#include "shapes/connection_points.h"
#include "shapes/custom_outline.h"
#include "shapes/hook_mapping.h"
#include "shapes/picture_chunks.h"
#include "shapes/shape_adjust.h"
#include "shapes/shape_attrs.h"
#include "shapes/shape_flip.h"
#include "shapes/shape_hittest.h"
#include "geometry/point_geometry.h"
#include "shapes/shape_kinds.h"
#include "shapes/shape_paint.h"
#include "shapes/shape_rects.h"
#include "shapes/shape_rotation.h"
#include "shapes/shape_tracking.h"
#include "store/store_records.h"
#include "text/object_text.h"
#include "text/text_format.h"

namespace {


int StoreSlotOf(const Drawing* drawing)
{
    return drawing ? drawing->header.slot : -1;
}

void SetBit(DWORD* word, DWORD mask, bool on)
{
    *word = on ? (*word | mask) : (*word & ~mask);
}

// Free text blocks and pictures start as a borderless, unfilled rectangle.
void MakeBareRectangle(DrawObject* shape, DWORD stateBit)
{
    shape->objType = ShapeRectangle;
    shape->state |= stateBit;
    shape->hookMask = 1;
    shape->acceptMask = 3;
    shape->lineWidth = 0;
    shape->fillPattern = 0;
    shape->innerRect = shape->frame;
    shape->textRect = shape->innerRect;
}

// A free text block: its text fills its frame, in a new empty text record of its own.
int InitFreeText(Drawing* drawing, DrawObject* shape, HGLOBAL sourceText)
{
    MakeBareRectangle(shape, StateTextOnly);
    shape->textFit = 1;
    shape->textMargins = RECT{0, 0, 0, 0};
    shape->classFlags = 3;
    shape->createdWidth = 54;
    shape->createdHeight = 54;
    const int slot = StoreSlotOf(drawing);
    int id = 0;
    if (int result = NextFreeRecordId(slot, RecTextBlock, &id))
        return result;
    HGLOBAL record = nullptr;
    if (int result = AddRecord(slot, RecTextBlock, id, kBlockHeaderSize, &record))
        return result;
    int result = 0;
    if (sourceText) {
        if (GlobalSize(sourceText) >= 92) {
            if (const BYTE* source = static_cast<const BYTE*>(GlobalLock(sourceText))) {
                shape->classValue = *reinterpret_cast<const INT32*>(source + 88);
                GlobalUnlock(sourceText);
            }
        }
        result = StoreTextBlock(&record, sourceText);
    } else {
        result = MarkBlockDirty(record);
    }
    ReleaseBlock(record);
    shape->textId = id;
    shape->state |= StateTextEditing;
    return result;
}

// A picture: the picture data goes into the store as chunks.
int InitPicture(Drawing* drawing, DrawObject* shape, int dataType, HGLOBAL data,
                const PictureSource* source)
{
    MakeBareRectangle(shape, StatePicture);
    shape->handleLayout = 3;
    shape->classFlags = 4;
    // Bitmaps, and metafiles holding stretched bitmaps, never rotate, flip or resize.
    const bool fixed = dataType != kMetafileChunkType || (source && (source->flags & 0x20));
    shape->options = fixed ? OptFramed | OptFixed : OptFramed;
    int first = -1, count = 0, result = 0;
    if (source) {
        result = StorePictureChunks(StoreSlotOf(drawing), dataType, data,
                                    static_cast<DWORD>(source->dataSize), &source->frame, &first,
                                    &count, source->colorCount, source->colors, source->flags);
    }
    shape->dataType = dataType;
    shape->dataId = first;
    shape->dataCount = count;
    UpdateShapeRects(drawing, shape, TRUE);
    return result;
}

} // namespace

double NewShapeParam(const Drawing* drawing, int kind)
{
    const int slot = drawing ? drawing->toolSlot : -1;
    if (slot >= 0 && g_settings && slot < static_cast<int>(std::size(g_settings->tools)))
        return g_settings->tools[slot].adjustment;
    double value, low, high;
    GetShapeParamRange(kind, &value, &low, &high);
    return value;
}

HGLOBAL LoadCustomOutline(int slot, const DrawObject* shape)
{
    if (shape->objType != ShapeCustom || slot < 0)
        return nullptr;
    HGLOBAL block = nullptr;
    if (LoadRecord(slot, RecOutlinePoints, shape->dataId, &block))
        return nullptr;
    return block;
}

void FlagShapeLinksForRefit(Drawing* drawing, ObjectList* objects, const DrawObject* shape)
{
    if (!drawing)
        return;
    MarkLinksChanged(drawing, shape->objId, LinkChanged | LinkRefit, shape->groupId,
                     shape->groupRow);
    if (shape->hookCount != 1)
        return;
    const HookEntry& hook = shape->hooks[0];
    const int row = objects ? FindObjectById(objects, hook.targetId, hook.targetRow) : -1;
    const DrawObject* target = row >= 0 ? &(*objects)[row] : nullptr;
    MarkLinksChanged(drawing, hook.targetId, LinkChanged, target ? target->groupId : 0,
                     target ? target->groupRow : -1);
}

int InitShape(Drawing* drawing, ObjectList* objects, int row, int dataType, HGLOBAL block,
              const PictureSource* source)
{
    DrawObject* shape = AddressedObject(objects, row);
    const int requested = shape->objType;
    shape->param = NewShapeParam(drawing, requested);
    shape->hookCapacity = 1;
    SetBit(&shape->state, 0x400, IsRingBorderKind(requested) != 0);
    switch (requested) {
    case ShapeFreeText:
        return InitFreeText(drawing, shape, block);
    case ShapePicture:
        return InitPicture(drawing, shape, dataType, block, source);
    case ShapeCircle:
        shape->handleLayout = 3;
        break;
    case ShapeCustom:
        if (block) {
            int slot, id, type;
            if (GetBlockIdentity(block, &slot, &id, &type) == 0) {
                shape->dataId = id;
                shape->dataType = RecOutlinePoints;
                shape->dataCount = 1;
                ComputeCustomTextMargins(block, shape);
            }
        }
        break;
    default:
        break;
    }
    shape->hookMask = 1;
    shape->acceptMask = 3;
    UpdateShapeRects(drawing, shape, TRUE);
    return 0;
}

int GetKindHandleLayout(int kind)
{
    return kind == ShapeCircle ? 3 : 0;
}

void ChangeShapeKind(Drawing* drawing, ObjectList* objects, int row, int kind)
{
    DrawObject* shape = AddressedObject(objects, row);
    if (kind == shape->objType || (shape->state & StatePicture))
        return;
    if (shape->state & StateTextOnly) {
        shape->textMargins = RECT{24, 24, 24, 24};
        if (shape->lineWidth == 0 && drawing) {
            shape->lineWidth = drawing->defaults.defaultBorderWidth;
            shape->lineColor = drawing->style.borderColor;
        }
        shape->state &= ~StateTextOnly;
    }
    shape->options &= ~(OptMirrorH | OptMirrorV);
    if (HGLOBAL outline = LoadCustomOutline(StoreSlotOf(drawing), shape)) {
        if (DeleteRecord(outline) == 0)
            GlobalFree(outline);
    }
    shape->dataId = -1;
    shape->dataCount = 0;
    shape->dataType = -1;
    double low, high;
    GetShapeParamRange(kind, &shape->param, &low, &high);
    shape->objType = kind;
    SetBit(&shape->state, 0x400, IsRingBorderKind(kind) != 0);
    const int layout = GetKindHandleLayout(kind);
    shape->handleLayout = (layout & 0x2) ? 3 : 0;
    FlagShapeLinksForRefit(drawing, row >= 0 ? objects : nullptr, shape);
    RECT frame = shape->frame;
    if (layout & 0x1) {
        const LONG w = frame.right - frame.left, h = frame.bottom - frame.top;
        const LONG side = w < h ? w : h;
        InflateRect(&frame, (side - w) / 2, (side - h) / 2);
    }
    SetShapeFrame(drawing, objects, row, 0, FALSE, &frame);
}

namespace {

// The class flags that the attribute summary takes from the first shape that has any.
constexpr INT32 kMergedClassFlags = ClassFlagLabelBelow | ClassFlagLabelAbove | ClassFlagNoTextTool | ClassFlagLabelByAlignment;


// -2 unset, -1 mixed.
template <typename T>
void Merge(T* summary, T value)
{
    if (*summary == static_cast<T>(-2))
        *summary = value;
    else if (*summary != value)
        *summary = static_cast<T>(-1);
}

} // namespace

void MergeShapeAttributes(const DrawObject* shape, DrawObject* summary)
{
    Merge(&summary->lineWidth, shape->lineWidth);
    Merge(&summary->textAlignV, shape->textAlignV);
    Merge(&summary->textAlignH, shape->textAlignH);
    Merge(&summary->lineStyle, shape->lineStyle);
    Merge(&summary->lineColor, shape->lineColor);
    Merge(&summary->fillPattern, shape->fillPattern);
    Merge(&summary->objType, shape->objType);
    Merge(&summary->fillColor, shape->fillColor);
    if (summary->fillPattern == 0)
        summary->fillColor = static_cast<COLORREF>(-1);
    summary->textFit = shape->textFit;
    summary->handleLayout = shape->handleLayout;
    if (!(summary->classFlags & kMergedClassFlags))
        summary->classFlags |= shape->classFlags & kMergedClassFlags;
    if (!(shape->state & StatePicture))
        summary->state = 0;
    if ((shape->state & StatePicture) && !(shape->options & OptFramed))
        summary->options &= ~OptFramed;
    summary->options |= shape->options & (OptShadowHidden | OptNoTextShadow);
}

DWORD GetShapeCapabilities(const DrawObject* shape)
{
    DWORD caps = 0x4C1;
    const bool hasData = shape->dataCount > 0;
    const bool bitmap = (shape->state & StatePicture) && hasData && shape->dataType == 112;
    if (!bitmap)
        caps |= 0x2;
    if (!(shape->classFlags & ClassFlagNoTextTool))
        caps |= CapText;
    if (hasData && shape->dataType != RecOutlinePoints) {
        caps |= 0x100;
        if (shape->dataType == kMetafileChunkType)
            caps |= 0x800;
    } else {
        caps |= 0x800;
    }
    return caps;
}

extern "C" LONG CALLBACK SED_ShapeHandler(HDC dc, Drawing* drawing, void* objects, int row,
                                          int message, int a, int b, void* p)
{
    // Type-level queries need no object.
    switch (message) {
    case OM_PARAMRANGE: {
        double* range = static_cast<double*>(p);
        return GetShapeParamRange(a, &range[0], &range[1], &range[2]);
    }
    case OM_TYPEHANDLES:
        return GetKindHandleLayout(a);
    case OM_GETCLASSFLAGS:
        return GetStandardFramePoints(PointerArg<INT32>(b), static_cast<POINT*>(p));
    case OM_TRACKCREATE:
        // The shape being created has no row yet; its record carries nothing the outline needs.
        DrawShapeTrackingOutline(dc, drawing, nullptr, -1, message, a, static_cast<const RECT*>(p),
                                 TRUE, -1.0);
        return 0;
    default:
        break;
    }
    if (!objects)
        return 0;
    ObjectList* list = row >= 0 ? static_cast<ObjectList*>(objects) : nullptr;
    if (list && row >= list->count)
        return 0;
    DrawObject* shape = AddressedObject(objects, row);
    switch (message) {
    case OM_DRAGHANDLE:
        return SetShapeFrame(drawing, objects, row, a, b, static_cast<const RECT*>(p));
    case OM_SETFRAME:
        return SetShapeFrame(drawing, objects, row, 1, b, static_cast<const RECT*>(p));
    case OM_SETBORDERWIDTH:
        return SetShapeBorderWidth(drawing, objects, row, a, static_cast<const INT32*>(p)[1]);
    case OM_SETBORDERSTYLE:
        SetShapeBorderStyle(drawing, objects, row, static_cast<const INT32*>(p)[1]);
        return 0;
    case OM_SETFILLPATTERN:
        SetShapeFillPattern(drawing, objects, row, static_cast<const INT32*>(p)[1]);
        return 0;
    case OM_SETBORDERCOLOR:
        SetObjectLineColor(drawing, objects, row, a, *static_cast<const COLORREF*>(p));
        return 0;
    case OM_SETFILLCOLOR:
        SetShapeFillColor(drawing, objects, row, a, *static_cast<const COLORREF*>(p));
        return 0;
    case OM_REFRESHEFFECTS:
        return RefreshShapeEffects(drawing, objects, row);
    case OM_SETTEXTFIT:
        return SetShapeTextFit(drawing, objects, row, a);
    case OM_MOVEHANDLERECT:
        MoveShapeHandleRect(shape, a, PointerArg<const POINT>(b), static_cast<RECT*>(p));
        return 0;
    case OM_INIT:
        return InitShape(drawing, static_cast<ObjectList*>(objects), row, a,
                         PointerArg<void>(b), static_cast<const PictureSource*>(p));
    case OM_SETANGLE:
        return SetShapeAngle(drawing, static_cast<ObjectList*>(objects), row, a);
    case OM_GETATTRS:
        MergeShapeAttributes(shape, static_cast<DrawObject*>(p));
        return 0;
    case OM_GETCAPS:
        return static_cast<LONG>(GetShapeCapabilities(shape));
    case OM_SETSHAPETYPE:
        ChangeShapeKind(drawing, static_cast<ObjectList*>(objects), row,
                        static_cast<const INT32*>(p)[1]);
        return 0;
    case OM_GETSIZE:
        GetShapeSize(shape, static_cast<INT32*>(p));
        return 0;
    case OM_GETBOUNDS:
    case OM_GETEXTENT:
        GetShapeBounds(shape, a != 0, static_cast<RECT*>(p));
        return 0;
    case OM_GETFRAME:
        GetShapeBounds(shape, TRUE, static_cast<RECT*>(p));
        return 0;
    case OM_RECALC:
        UpdateShapeRects(drawing, shape, FALSE);
        return 0;
    case OM_ROTATETO:
        return RotateShapeToPoint(drawing, static_cast<ObjectList*>(objects), row, a,
                                  static_cast<const POINT*>(p));
    case OM_EXTRAHANDLE:
        return GetRotationHandle(drawing, objects, row, a, PointerArg<POINT>(b),
                                 static_cast<RECT*>(p));
    case OM_GETOUTLINE:
        GetShapeOutline(drawing, objects, row, static_cast<POINT*>(p), PointerArg<int>(b));
        return 0;
    case OM_GETHOOKPOINTS:
        GetShapeHookPoints(drawing, shape, a, PointerArg<INT32>(b), static_cast<POINT*>(p));
        return 0;
    case OM_MAPHOOKPOINT:
        MapShapeHookPoints(drawing, shape, a, b, static_cast<POINT*>(p));
        return 0;
    case OM_DRAWHOOKMARKS:
        DrawLinkPointMarks(dc, a, static_cast<const POINT*>(p));
        return 0;
    case OM_GETSNAPPOINTS:
        GetShapeSnapPoints(drawing, shape, PointerArg<INT32>(b), static_cast<POINT*>(p));
        return 0;
    case OM_GETPOINTPOS:
        return GetShapePointPosition(drawing, objects, row, a, static_cast<POINT*>(p));
    case OM_POINTTOUNIT:
        ShapePointToBox(drawing, objects, row, a, static_cast<POINT*>(p));
        return 0;
    case OM_CANLINK:
        return ShapesMayLink(drawing);
    case OM_HITTEST: {
        const POINT* point = static_cast<const POINT*>(p);
        return point ? HitTestShape(drawing, objects, row, a, point->x, point->y) : 0;
    }
    case OM_SETPARAM:
        return p ? SetParamFromPoint(drawing, static_cast<ObjectList*>(objects), row,
                                     static_cast<const POINT*>(p))
                 : 0;
    case OM_FLIP:
        return FlipShape(drawing, static_cast<ObjectList*>(objects), row, a);
    case OM_SETOPTIONS:
        return SetObjectOptionFlags(drawing, objects, row, static_cast<DWORD>(a), b);
    case OM_SETFRAMEON:
        return SetPictureOptions(drawing, objects, row, a, static_cast<const INT32*>(p));
    case OM_TOOUTLINE:
        return ShapeOutlineToPieces(drawing, static_cast<ObjectList*>(objects), row,
                                    PointerArg<HGLOBAL>(b), static_cast<RECT*>(p));
    case OM_DRAW:
    case OM_DRAWSHADOW:
    case OM_DRAWSHADOWOFFSET:
    case OM_DRAWSHADOWBASE:
        return DrawShape(dc, message, drawing, objects, row, a, b, p);
    case OM_DRAWHANDLES:
        return DrawShapeSelection(dc, drawing, objects, row);
    case OM_TRACKHANDLE:
    case OM_TRACKMOVE:
        DrawShapeTrackingOutline(dc, drawing, objects, row, message, a,
                                 static_cast<const RECT*>(p), FALSE, -1.0);
        return 0;
    case OM_TRACKROTATE: {
        const POINT anchor = {static_cast<SHORT>(LOWORD(b)), static_cast<SHORT>(HIWORD(b))};
        TrackShapeRotation(dc, drawing, objects, row, a, anchor, static_cast<const RECT*>(p));
        return 0;
    }
    case OM_TRACKPARAM:
        TrackAdjustHandle(dc, drawing, objects, row, static_cast<const POINT*>(p));
        return 0;
    case OM_TEXTFORMAT:
    case OM_TEXTSIZE:
    case OM_TEXTSTYLESET:
    case OM_TEXTSTYLECLEAR:
    case OM_TEXTCOLOR:
    case OM_TEXTALIGN:
    case OM_TEXTFLAG:
    case OM_TEXTLARGER:
    case OM_TEXTSMALLER:
    case OM_TEXTINDENT:
        return ApplyObjectTextFormat(drawing, list, row, message,
                                     static_cast<const TextFormatRequest*>(p));
    default:
        return 0;
    }
}
