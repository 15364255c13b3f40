// Shape style and geometry messages. Every change ends by recomputing the derived rectangles.
#include "shapes/shape_attrs.h"

#include "model/class_protocol.h"
#include "geometry/point_geometry.h"
#include "shapes/shape_geometry.h"
#include "shapes/shape_kinds.h"
#include "shapes/shape_rects.h"
#include "store/store_records.h"
#include "text/object_text.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kNoColor = static_cast<COLORREF>(-1);

COLORREF BackgroundOf(const Drawing* drawing)
{
    const COLORREF background = drawing ? drawing->style.backgroundColor : kNoColor;
    return background == kNoColor ? kWhite : background;
}

// Writes the drawing's text shadow into the shape's stored text block, or clears it.
int StoreTextEffect(Drawing* drawing, const DrawObject* shape)
{
    HGLOBAL block = nullptr;
    if (int result = LoadRecord(drawing->header.slot, RecTextBlock, shape->textId, &block))
        return result;
    int result = BeginRecordChange(block);
    if (result == 0) {
        if (GlobalSize(block) >= kBlockHeaderSize + sizeof(TextBlock)) {
            auto* bytes = static_cast<BYTE*>(GlobalLock(block));
            if (bytes) {
                auto* header = reinterpret_cast<TextBlock*>(bytes + kBlockHeaderSize);
                const DrawingStyle& style = drawing->style;
                if ((style.shadowClassMask & 0x2) && !(shape->options & OptNoTextShadow)) {
                    int kind = style.shadowStyle;
                    if (style.shadowClassMask & 0x4)
                        kind = kind == 1 ? 2 : (kind == 2 ? 1 : kind);
                    header->effect.kind = kind;
                    header->effect.dx = style.shadowDx;
                    header->effect.dy = style.shadowDy;
                    header->effect.color = style.shadowColor;
                    header->effect.color2 = style.highlightColor;
                } else {
                    header->effect.kind = 0;
                }
                GlobalUnlock(block);
            }
        }
        result = MarkBlockDirty(block);
    }
    ReleaseBlock(block);
    return result;
}

} // namespace

int SetShapeBorderWidth(Drawing* drawing, void* objects, int row, BOOL forceSolid, int width)
{
    DrawObject* shape = AddressedObject(objects, row);
    if (drawing)
        drawing->defaults.defaultBorderWidth = width;
    shape->lineWidth = width;
    if (forceSolid)
        shape->lineStyle = LineStyleSolid;
    return UpdateShapeRects(drawing, shape, TRUE);
}

void SetShapeBorderStyle(Drawing* drawing, void* objects, int row, int style)
{
    DrawObject* shape = AddressedObject(objects, row);
    shape->lineStyle = style;
    if (shape->lineWidth == 0)
        SetShapeBorderWidth(drawing, objects, row, FALSE, 1);
}

void SetObjectLineColor(Drawing* drawing, void* objects, int row, BOOL addBorder, COLORREF color)
{
    DrawObject* shape = AddressedObject(objects, row);
    shape->lineColor = color;
    if (shape->lineWidth == 0 && addBorder) {
        const int width = drawing && drawing->defaults.defaultBorderWidth != 0 ? drawing->defaults.defaultBorderWidth : 12;
        SetShapeBorderWidth(drawing, objects, row, addBorder, width);
    }
}

void SetShapeFillPattern(Drawing* drawing, void* objects, int row, int pattern)
{
    DrawObject* shape = AddressedObject(objects, row);
    if (pattern == 1) {
        if (shape->fillPattern == 0)
            return;
        pattern = shape->fillColor == kNoColor ? 0 : 1;
    }
    shape->fillPattern = pattern;
    if (drawing)
        drawing->defaultFillPattern = pattern;
    if (pattern > 1) {
        const COLORREF under = shape->fillColor != kNoColor ? shape->fillColor : BackgroundOf(drawing);
        if (shape->lineColor == under)
            shape->lineColor = under == kBlack ? kWhite : kBlack;
    }
    UpdateShapeRects(drawing, shape, TRUE);
}

void SetShapeFillColor(Drawing* drawing, void* objects, int row, BOOL force, COLORREF color)
{
    DrawObject* shape = AddressedObject(objects, row);
    if (!force) {
        if (shape->fillPattern == 0)
            return;
        // A label on the background's own colour stays so; one without a fill colour of its
        // own takes the new colour.
        if ((shape->state & StateAttachedLabel) && shape->fillColor == BackgroundOf(drawing))
            return;
    }
    if (color == kNoColor) {
        if (shape->fillPattern == 1)
            shape->fillPattern = 0;
    } else if (shape->fillPattern == 0) {
        shape->fillPattern = 1;
    }
    shape->fillColor = color;
    UpdateShapeRects(drawing, shape, TRUE);
}

int RefreshShapeEffects(Drawing* drawing, void* objects, int row)
{
    DrawObject* shape = AddressedObject(objects, row);
    if (drawing && shape->textId >= 0) {
        if (int result = StoreTextEffect(drawing, shape))
            return result;
    }
    return UpdateShapeRects(drawing, shape, TRUE);
}

int SetShapeTextFit(Drawing* drawing, void* objects, int row, int mode)
{
    DrawObject* shape = AddressedObject(objects, row);
    if (shape->textFit == mode)
        return 0;
    shape->textFit = mode;
    if (int result = LayoutObjectText(drawing, shape, 0))
        return result;
    return KeepShapeOnPage(drawing, objects, row);
}

void GetShapeBounds(const DrawObject* shape, BOOL rotated, RECT* bounds)
{
    *bounds = shape->frame;
    if (rotated && shape->angle != 0) {
        POINT pts[5];
        int n = 0;
        GetShapeOutlinePoints(shape->frame, &shape->frame, 0, ShapeRectangle, shape->angle, nullptr,
                              pts, &n, 0);
        BoundsOfPoints(bounds, pts, n);
    }
}

void MoveShapeHandleRect(const DrawObject* shape, int anchor, const POINT* delta, RECT* rect)
{
    *rect = shape->frame;
    const LONG dx = delta->x, dy = delta->y;
    switch (anchor) {
    case 2: rect->left += dx; rect->bottom += dy; break;
    case 3: rect->right += dx; rect->top += dy; break;
    case 4: rect->left += dx; rect->top += dy; break;
    case 5: rect->bottom += dy; break;
    case 6: rect->top += dy; break;
    case 7: rect->right += dx; break;
    case 8: rect->left += dx; break;
    default: rect->right += dx; rect->bottom += dy; break;
    }
}

void GetShapeSize(const DrawObject* shape, INT32 size[2])
{
    size[0] = shape->frame.right - shape->frame.left;
    size[1] = shape->frame.bottom - shape->frame.top;
}
