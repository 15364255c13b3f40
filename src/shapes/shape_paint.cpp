// Painting shapes: styles, outlines, rings, pictures, shadows and selection handles.
#include "shapes/shape_paint.h"

#include <cmath>
#include <cstring>

#include "documents/document_state.h"
#include "documents/options.h"
#include "editing/edit_services.h"
#include "exchange/exchange_services.h"
#include "frame/frame_services.h"
#include "model/class_protocol.h"
#include "model/device_units.h"
#include "model/links.h"
#include "model/render.h"
#include "model/selection.h"
#include "model/window_utils.h"
#include "shapes/metafile_playback.h"
#include "shapes/picture_chunks.h"
#include "shapes/picture_import.h"
#include "geometry/point_geometry.h"
#include "shapes/shape_geometry.h"
#include "shapes/shape_adjust.h"
#include "shapes/shape_class.h"
#include "shapes/shape_kinds.h"
#include "shapes/shape_outline.h"
#include "shapes/shape_rects.h"
#include "store/store_records.h"
#include "text/object_text.h"

namespace {

constexpr COLORREF kNoColor = static_cast<COLORREF>(-1);

// One device pixel in logical units (one unit while a metafile is recorded).
SIZE DevicePixel(HDC dc)
{
    SIZE s = {1, 1};
    if (!g_renderingMetafile)
        DeviceToLogicalSize(dc, &s);
    return s;
}

// Kinds whose outline is never mirrored by the painter (they are symmetric or mirror through
// their parameter).
bool NeverMirrored(int kind)
{
    return kind == ShapeDecision || kind == ShapeTriangle || kind == ShapeReverseTriangle;
}

bool UsesOwnRectAsReference(int kind)
{
    return kind == 6 || kind == 7 || kind == 14 || kind == 15 || kind == 20 || kind == 24 || kind == 25;
}

bool IsPolygonKind(int kind)
{
    return kind == 5 || kind == 6 || kind == 7 || (kind >= 10 && kind <= 25);
}

void MirrorOutline(const RECT& frame, int kind, DWORD options, POINT* points, int n)
{
    if (!NeverMirrored(kind))
        FlipPoints(frame, static_cast<int>(options), points, n);
}

int StoreSlot(const Drawing* drawing)
{
    return drawing ? drawing->header.slot : -1;
}

bool HasPictureData(const DrawObject* shape)
{
    return shape->dataCount > 0 && shape->dataType != RecOutlinePoints;
}

// A metafile picture that takes the shape's colours.
bool ColourTakingMetafile(const DrawObject* shape)
{
    return shape->dataType == kMetafileChunkType && !(shape->options & OptFramed);
}

PictureDrawState EmptyDrawState(const DrawObject* shape)
{
    PictureDrawState state;
    std::memset(&state, 0, sizeof state);
    state.options = static_cast<INT32>(shape->options);
    state.angle = shape->angle;
    state.updateRect = shape->updateRect;   // where the picture may draw
    return state;
}

void DrawPicture(HDC dc, Drawing* drawing, const DrawObject* shape, const RECT& rect,
                 PictureDrawState* state)
{
    DrawPictureObject(dc, StoreSlot(drawing), shape->dataType, shape->dataId, shape->dataCount, &rect,
                      state);
}

// The quick preview of fit-to-window views: a metafile small on screen shows as a frame.
bool ShowsPlaceholder(Drawing* drawing, const DrawObject* shape, int a)
{
    if (!drawing || g_renderingMetafile || a != 0 || !g_settings || g_settings->quickPreview == 0)
        return false;
    int fit = 0;
    const int zoom = GetViewZoom(drawing->viewWindow, &fit);
    if (fit != 1)
        return false;
    const int limit = g_settings->quickPreview;
    if (limit < 0)
        return true;
    const long w = (shape->frame.right - shape->frame.left) * static_cast<long>(zoom) / 1000;
    const long h = (shape->frame.bottom - shape->frame.top) * static_cast<long>(zoom) / 1000;
    return w < limit && h < limit;
}

void PaintObjectText(HDC dc, int message, Drawing* drawing, void* objects, int row, int a, int b, void* p,
              const DrawObject* shape)
{
    if (row >= 0 && shape->textId >= 0)
        DrawObjectText(dc, message, drawing, static_cast<ObjectList*>(objects), row, a, b, p);
}

void DrawTextShadow(HDC dc, int message, Drawing* drawing, void* objects, int row, int a, int b,
                    void* p, const DrawObject* shape)
{
    if (drawing && (drawing->style.shadowClassMask & 0x2) && !(shape->options & OptNoTextShadow))
        PaintObjectText(dc, message, drawing, objects, row, a, b, p, shape);
}

void DrawAttachmentIfDue(HDC dc, Drawing* drawing, const DrawObject* shape, int a)
{
    if (g_renderingMetafile || a != 0 || !drawing || !HasAttachment(StoreSlot(drawing), shape))
        return;
    RECT mark;
    GetAttachmentMarkRect(shape, &mark);
    DrawAttachmentMarker(dc, &mark);
}

LONG DrawBody(HDC dc, Drawing* drawing, void* objects, int row, int a, int b, void* p,
              DrawObject* shape)
{
    const BOOL ring = (shape->state & StateRingBorder) && shape->angle == 0;
    HGLOBAL custom = drawing ? LoadCustomOutline(StoreSlot(drawing), shape) : nullptr;
    if (!HasPictureData(shape) || !(shape->state & StatePicture)) {
        DrawStyledShape(dc, shape->objType, shape->angle, shape->lineColor, shape->lineWidth,
                        shape->lineStyle, shape->fillColor, shape->fillPattern, shape->param, custom,
                        ring, &shape->frame, shape->options);
    } else if (shape->dataType == kMetafileChunkType && ShowsPlaceholder(drawing, shape, a)) {
        const int saved = SaveDC(dc);
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        SelectObject(dc, GetStockObject(BLACK_PEN));
        Rectangle(dc, shape->frame.left, shape->frame.top, shape->frame.right, shape->frame.bottom);
        RestoreDC(dc, saved);
    } else if (ColourTakingMetafile(shape)) {
        PictureDrawState state = EmptyDrawState(shape);
        PickPictureFramePenAndBrush(dc, &state, shape->fillColor, shape->lineColor, shape,
                                    shape->lineWidth);
        DrawPicture(dc, drawing, shape, shape->innerRect, &state);
        DeletePictureDrawObjects(&state);
    } else {
        PictureDrawState state = EmptyDrawState(shape);
        DrawPicture(dc, drawing, shape, shape->innerRect, &state);
        DrawStyledShape(dc, shape->objType, shape->angle, shape->lineColor, shape->lineWidth,
                        shape->lineStyle, shape->fillColor, 0, shape->param, custom, ring,
                        &shape->frame, shape->options);
    }
    if (custom)
        ReleaseBlock(custom);
    PaintObjectText(dc, OM_DRAW, drawing, objects, row, a, b, p, shape);
    DrawAttachmentIfDue(dc, drawing, shape, a);
    return 0;
}

LONG DrawShadowCopy(HDC dc, int message, Drawing* drawing, void* objects, int row, int a, int b,
                    void* p, DrawObject* shape)
{
    const auto* shadow = reinterpret_cast<const ShadowPaint*>(static_cast<INT_PTR>(b));
    if (!shadow)
        return 0;
    if (message == OM_DRAWSHADOW && !ObjectHasShadow(drawing, shape))
        return 0;
    if (message == OM_DRAWSHADOWOFFSET && !ObjectHasShadow(drawing, shape) &&
        !(shadow->dx == 0 && shadow->dy == 0))
        return 0;
    const BOOL ring = (shape->state & StateRingBorder) && shape->angle == 0;
    if ((shape->state & StatePicture) && ColourTakingMetafile(shape)) {
        PictureDrawState state = EmptyDrawState(shape);
        const COLORREF fill = message == OM_DRAWSHADOW ? shadow->color : kNoColor;
        PickPictureFramePenAndBrush(dc, &state, fill, shadow->color, shape, shape->lineWidth);
        if (shape->dataCount > 0) {
            RECT inner = shape->innerRect;
            OffsetRect(&inner, shadow->dx, shadow->dy);
            DrawPicture(dc, drawing, shape, inner, &state);
        }
        DeletePictureDrawObjects(&state);
    } else {
        HGLOBAL custom = drawing ? LoadCustomOutline(StoreSlot(drawing), shape) : nullptr;
        RECT frame = shape->frame;
        OffsetRect(&frame, shadow->dx, shadow->dy);
        const int pattern = message == OM_DRAWSHADOW ? shape->fillPattern : 0;
        DrawStyledShape(dc, shape->objType, shape->angle, shadow->color, shape->lineWidth,
                        shape->lineStyle, shadow->color, pattern, shape->param, custom, ring, &frame,
                        shape->options);
        if (custom)
            ReleaseBlock(custom);
    }
    if (row >= 0)
        DrawTextShadow(dc, message, drawing, objects, row, a, b, p, shape);
    return 0;
}

LONG DrawShadowBase(HDC dc, Drawing* drawing, void* objects, int row, int a, int b, void* p,
                    DrawObject* shape)
{
    if ((shape->state & StatePicture) && ColourTakingMetafile(shape)) {
        PictureDrawState state = EmptyDrawState(shape);
        PickPictureFramePenAndBrush(dc, &state, shape->fillColor, shape->lineColor, shape, 0);
        if (shape->dataCount > 0)
            DrawPicture(dc, drawing, shape, shape->innerRect, &state);
        DeletePictureDrawObjects(&state);
    } else {
        HGLOBAL custom = drawing ? LoadCustomOutline(StoreSlot(drawing), shape) : nullptr;
        const BOOL ring = (shape->state & StateRingBorder) && shape->angle == 0;
        DrawStyledShape(dc, shape->objType, shape->angle, shape->lineColor, shape->lineWidth, 0,
                        shape->fillColor, shape->fillPattern, shape->param, custom, ring,
                        &shape->frame, shape->options);
        if (custom)
            ReleaseBlock(custom);
        if (row >= 0 && HasPictureData(shape)) {
            PictureDrawState state = EmptyDrawState(shape);
            DrawPicture(dc, drawing, shape, shape->innerRect, &state);
        }
    }
    PaintObjectText(dc, OM_DRAWSHADOWBASE, drawing, objects, row, a, b, p, shape);
    DrawAttachmentIfDue(dc, drawing, shape, a);
    return 0;
}

} // namespace

LONG DrawShape(HDC dc, int message, Drawing* drawing, void* objects, int row, int a, int b, void* p)
{
    DrawObject* shape = AddressedObject(objects, row);
    switch (message) {
    case OM_DRAW:
        return DrawBody(dc, drawing, objects, row, a, b, p, shape);
    case OM_DRAWSHADOW:
    case OM_DRAWSHADOWOFFSET:
        return DrawShadowCopy(dc, message, drawing, objects, row, a, b, p, shape);
    case OM_DRAWSHADOWBASE:
        return DrawShadowBase(dc, drawing, objects, row, a, b, p, shape);
    default:
        return 0;
    }
}

void DrawStyledShape(HDC dc, int kind, int angle, COLORREF borderColor, int borderWidth,
                     int borderStyle, COLORREF fillColor, int fillPattern, double param,
                     HGLOBAL custom, BOOL ring, const RECT* frame, DWORD options)
{
    const bool transparent = fillColor == kNoColor;
    if (transparent && fillPattern <= 1)
        fillPattern = 0;
    const COLORREF fill = transparent ? fillColor : MapColorForDevice(dc, fillColor, FALSE);
    const COLORREF border = MapColorForDevice(dc, borderColor, TRUE);
    if (borderWidth == 0)
        borderStyle = LineStyleNone;
    HPEN pen = nullptr;
    HBRUSH ringBrush = nullptr;
    BOOL noPen = FALSE;
    int outlineWidth = 0;
    if (borderStyle == LineStyleNone) {
        noPen = TRUE;
        ring = FALSE;
    } else if (borderStyle == LineStyleDotted || borderStyle == LineStyleDashed) {
        pen = CreatePen(borderStyle == LineStyleDotted ? PS_DOT : PS_DASH, 0, border);
        ring = FALSE;
    } else if (ring) {
        pen = CreatePen(PS_INSIDEFRAME, 0, border);
        ringBrush = CreateSolidBrush(border);
        outlineWidth = borderWidth;
    } else {
        pen = CreateDevicePen(dc, PS_INSIDEFRAME, borderWidth, border);
        outlineWidth = borderWidth;
    }
    const int saved = SaveDC(dc);
    SelectObject(dc, pen ? static_cast<HGDIOBJ>(pen) : GetStockObject(NULL_PEN));
    HBRUSH brush = nullptr;
    if (fillPattern == 0) {
        SelectObject(dc, GetStockObject(NULL_BRUSH));
    } else if (fillPattern == 1) {
        brush = CreateSolidBrush(fill);
        SelectObject(dc, brush);
    } else if (fillPattern >= 2 && fillPattern <= 6) {
        brush = CreateHatchBrush(fillPattern - 1, border);
        if (transparent) {
            SetBkMode(dc, TRANSPARENT);
        } else {
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, fill);
        }
        POINT origin = {frame->left, frame->top};
        LPtoDP(dc, &origin, 1);
        UnrealizeObject(brush);
        SetBrushOrgEx(dc, origin.x % 8, origin.y % 8, nullptr);
        SelectObject(dc, brush);
    }
    DrawShapeOutline(dc, frame, frame, outlineWidth, param, kind, angle, custom, noPen,
                     ring ? ringBrush : nullptr, options);
    RestoreDC(dc, saved);
    if (pen)
        DeleteObject(pen);
    if (brush)
        DeleteObject(brush);
    if (ringBrush)
        DeleteObject(ringBrush);
}

namespace {

// The ring border of an unrotated polygon kind: the inner outline backwards, the outer outline,
// and back to its first point, filled by the winding rule with no pen.
void DrawOutlineRing(HDC dc, const RECT& frame, int ringWidth, double param, int kind,
                     HGLOBAL custom, HBRUSH ringBrush, DWORD options)
{
    // Buffers of this call's own: a picture played inside a paint draws shapes as well.
    POINT outer[kMaxOutlinePoints], inner[kMaxOutlinePoints], ring[2 * kMaxOutlinePoints + 1];
    int outerCount = 0, innerCount = 0;
    BuildShapeOutline(frame, frame, param, kind, 0, custom, outer, &outerCount);
    RECT insets = {0, 0, 0, 0};
    ComputeBorderInsets(frame, ringWidth, param, kind, &insets);
    SIZE lt = {insets.left, insets.top}, rb = {insets.right, insets.bottom};
    if (!g_renderingMetafile) {
        LogicalToDeviceSize(dc, &lt);
        LogicalToDeviceSize(dc, &rb);
    }
    lt.cx = lt.cx < 1 ? 1 : lt.cx;
    lt.cy = lt.cy < 1 ? 1 : lt.cy;
    rb.cx = rb.cx < 1 ? 1 : rb.cx;
    rb.cy = rb.cy < 1 ? 1 : rb.cy;
    POINT corners[2] = {{frame.left, frame.top}, {frame.right, frame.bottom}};
    if (!g_renderingMetafile)
        LPtoDP(dc, corners, 2);
    corners[0].x += lt.cx;
    corners[0].y += lt.cy;
    corners[1].x -= rb.cx;
    corners[1].y -= rb.cy;
    if (!g_renderingMetafile)
        DPtoLP(dc, corners, 2);
    const RECT innerRect = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    BuildShapeOutline(innerRect, frame, param, kind, ringWidth, custom, inner, &innerCount);
    if (outerCount <= 0 || innerCount <= 0)
        return;
    int k = 0;
    for (int i = innerCount - 1; i >= 0; --i)
        ring[k++] = inner[i];
    for (int i = 0; i < outerCount; ++i)
        ring[k++] = outer[i];
    ring[k++] = outer[0];
    MirrorOutline(frame, kind, options, ring, k);
    const int saved = SaveDC(dc);
    SetPolyFillMode(dc, WINDING);
    SelectObject(dc, GetStockObject(NULL_PEN));
    if (ringBrush)
        SelectObject(dc, ringBrush);
    Polygon(dc, ring, k);
    RestoreDC(dc, saved);
}

} // namespace

void DrawShapeOutline(HDC dc, const RECT* frameIn, const RECT* centre, int ringWidth, double param,
                      int kind, int angle, HGLOBAL custom, BOOL noPen, HBRUSH ringBrush,
                      DWORD options)
{
    const SIZE pixel = DevicePixel(dc);
    RECT frame = *frameIn;
    if (noPen) {
        // GDI leaves out the right and bottom edge when no pen draws them.
        frame.right += pixel.cx;
        frame.bottom += pixel.cy;
    }
    POINT points[kMaxOutlinePoints];
    int n = 0;
    if (angle != 0) {
        GetShapeOutlinePoints(*frameIn, centre, param, kind, angle, custom, points, &n,
                              static_cast<int>(options));
        if (n > 0)
            Polygon(dc, points, n);
        return;
    }
    const LONG w = frame.right - frame.left, h = frame.bottom - frame.top;
    switch (kind) {
    case ShapePicture:
    case ShapeRectangle:
        Rectangle(dc, frame.left, frame.top, frame.right, frame.bottom);
        return;
    case ShapeRoundedRect: {
        const int corner = static_cast<int>((w < h ? w : h) * param * 2);
        RoundRect(dc, frame.left, frame.top, frame.right, frame.bottom, corner, corner);
        return;
    }
    case ShapeTerminate:
        RoundRect(dc, frame.left, frame.top, frame.right, frame.bottom, h, h);
        return;
    case ShapeOval:
    case ShapeCircle:
        Ellipse(dc, frame.left, frame.top, frame.right, frame.bottom);
        return;
    case ShapeCustom:
        BuildShapeOutline(frame, frame, param, kind, 0, custom, points, &n);
        FlipPoints(frame, static_cast<int>(options), points, n);
        if (n > 0)
            Polygon(dc, points, n);
        return;
    default:
        break;
    }
    if (!IsPolygonKind(kind))
        return;
    RECT rect = frame;
    if (!noPen && ringWidth != 0) {
        // The pen then covers the same pixels as the rectangle primitives above.
        rect.right -= pixel.cx;
        rect.bottom -= pixel.cy;
    }
    if (UsesOwnRectAsReference(kind))
        BuildShapeOutline(rect, rect, param, kind, frame.bottom - rect.bottom, custom, points, &n);
    else
        BuildShapeOutline(rect, frame, param, kind, 0, custom, points, &n);
    // Mirrored inside the rectangle it was built in, so that it keeps to the same pixels.
    MirrorOutline(rect, kind, options, points, n);
    if (n > 0)
        Polygon(dc, points, n);
    if (ringWidth >= 2)
        DrawOutlineRing(dc, frame, ringWidth, param, kind, custom, ringBrush, options);
}

void PickPictureFramePenAndBrush(HDC dc, PictureDrawState* state, COLORREF fillColor,
                                 COLORREF borderColor, const DrawObject* shape, int borderWidth)
{
    state->textColor = MapColorForDevice(dc, borderColor, TRUE);
    state->brush = fillColor == kNoColor
                       ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                       : CreateSolidBrush(MapColorForDevice(dc, fillColor, FALSE));
    const int style = borderWidth == 0 ? static_cast<int>(LineStyleNone) : shape->lineStyle;
    const COLORREF border = MapColorForDevice(dc, borderColor, TRUE);
    if (style == LineStyleNone) {
        state->pen = static_cast<HPEN>(GetStockObject(NULL_PEN));
        state->blackBrush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        return;
    }
    if (style == LineStyleDotted || style == LineStyleDashed)
        state->pen = CreatePen(style == LineStyleDotted ? PS_DOT : PS_DASH, 0, border);
    else
        state->pen = CreateDevicePen(dc, PS_INSIDEFRAME, borderWidth == 1 ? 0 : borderWidth, border);
    state->blackBrush = CreateSolidBrush(border);
}

void DeletePictureDrawObjects(PictureDrawState* state)
{
    HGDIOBJ objects[3] = {state->pen, state->brush, state->blackBrush};
    for (HGDIOBJ object : objects) {
        if (!object)
            continue;
        const bool stock = object == GetStockObject(NULL_PEN) || object == GetStockObject(NULL_BRUSH);
        if (!stock)
            DeleteObject(object);
    }
    state->pen = nullptr;
    state->brush = nullptr;
    state->blackBrush = nullptr;
}

void GetShapeHandleRects(Drawing* drawing, const DrawObject* shape, RECT* rects, int* codes,
                         int* count)
{
    (void)drawing;
    static const int kLeftRight[] = {7, 8}, kTopBottom[] = {5, 6}, kCorners[] = {1, 2, 3, 4},
                     kAll[] = {1, 2, 3, 4, 5, 6, 7, 8};
    const int* list = kAll;
    int n = 8;
    switch (shape->handleLayout) {
    case 1: list = kLeftRight; n = 2; break;
    case 2: list = kTopBottom; n = 2; break;
    case 3: list = kCorners; n = 4; break;
    default: break;
    }
    POINT framePoints[kMaxOutlinePoints];
    const POINT* rotated = nullptr;
    if (shape->angle != 0) {
        int m = 0;
        GetShapeOutlinePoints(shape->frame, &shape->frame, 0, 0, shape->angle, nullptr, framePoints, &m, 0);
        rotated = framePoints;
    }
    for (int i = 0; i < n; ++i) {
        codes[i] = list[i];
        GetHandleRect(shape, &rects[i], list[i], rotated);
    }
    *count = n;
}

void GetAttachmentMarkRect(const DrawObject* object, RECT* rect)
{
    const RECT& u = object->updateRect;
    RECT r = {u.right - 114, u.bottom - 114, u.right - 60, u.bottom - 60};
    if (r.top < u.top) {
        const LONG d = u.top - r.top < 54 ? u.top - r.top : 54;
        OffsetRect(&r, 0, d);
    }
    if (r.left < u.left) {
        const LONG d = u.left - r.left < 54 ? u.left - r.left : 54;
        OffsetRect(&r, d, 0);
    }
    if (r.top < u.top)
        r.top = u.top;
    if (r.left < u.left)
        r.left = u.left;
    *rect = r;
}

void SelectLockedHandleBrush(HDC dc)
{
    HGDIOBJ pattern = g_handlePatternBrush ? static_cast<HGDIOBJ>(g_handlePatternBrush)
                                           : GetStockObject(GRAY_BRUSH);
    POINT origin = {0, 0};
    LPtoDP(dc, &origin, 1);
    UnrealizeObject(pattern);
    SetBrushOrgEx(dc, origin.x % 8, origin.y % 8, nullptr);
    SelectObject(dc, pattern);
}

void DrawRotationHandle(HDC dc, Drawing* drawing, void* objects, int row)
{
    const DrawObject* object = AddressedObject(objects, row);
    ObjectClassHandler handler = HandlerForClass(object->objClass);
    if (!handler)
        return;
    POINT point = {0, 0};
    RECT rect = {0, 0, 0, 0};
    if (handler(dc, drawing, objects, row, OM_EXTRAHANDLE, 1,
                static_cast<int>(reinterpret_cast<INT_PTR>(&point)), &rect) == 0)
        return;
    const int saved = SaveDC(dc);
    HPEN pen = CreatePen(PS_INSIDEFRAME, 12, RGB(0, 0, 0));
    SetROP2(dc, R2_NOT);
    SelectObject(dc, pen);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, rect.left, rect.top, rect.right, rect.bottom);
    RestoreDC(dc, saved);
    DeleteObject(pen);
}

LONG DrawShapeSelection(HDC dc, Drawing* drawing, void* objects, int row)
{
    DrawObject* shape = AddressedObject(objects, row);
    const BOOL current = row == -1 || (row >= 0 && drawing && row == drawing->currentRow);
    RECT rects[8];
    int codes[8], count = 0;
    GetShapeHandleRects(drawing, shape, rects, codes, &count);
    const int saved = SaveDC(dc);
    SelectLockedHandleBrush(dc);
    // The hooked points of the shape, each drawn round: on the handle it lies on, or alone.
    POINT hooked[2];
    bool used[2] = {false, false};
    const int hooks = HookSlotsInUse(*shape);
    ObjectClassHandler handler = HandlerForClass(shape->objClass);
    int hookedCount = 0;
    for (int i = 0; i < hooks; ++i) {
        POINT at = {0, 0};
        if (handler && handler(dc, drawing, objects, row, OM_GETPOINTPOS, shape->hooks[i].holderCode,
                               0, &at) == 0)
            hooked[hookedCount++] = at;
    }
    const BOOL locked = (shape->state & StateLocked) != 0;
    for (int i = 0; i < count; ++i) {
        BOOL round = FALSE;
        for (int j = 0; j < hookedCount; ++j) {
            if (!used[j] && hooked[j].x == rects[i].left + 30 && hooked[j].y == rects[i].top + 30) {
                used[j] = true;
                round = TRUE;
                break;
            }
        }
        DrawSelectionHandle(dc, &rects[i], locked, current, round);
    }
    for (int j = 0; j < hookedCount; ++j) {
        if (used[j])
            continue;
        RECT r = {hooked[j].x - 30, hooked[j].y - 30, hooked[j].x + 24, hooked[j].y + 24};
        DrawSelectionHandle(dc, &r, locked, current, TRUE);
    }
    RestoreDC(dc, saved);
    DrawRotationHandle(dc, drawing, objects, row);
    DrawAdjustHandle(dc, shape);
    return 0;
}
