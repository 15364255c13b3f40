// Shape flip: kinds that mirror into another kind change kind, the others toggle mirror bits
// that the outline, the hook-point mapping and the adjustment handle apply; option bits and
// picture options.
#include "shapes/shape_flip.h"

#include <utility>

#include "model/class_protocol.h"
#include "shapes/picture_chunks.h"
#include "shapes/shape_class.h"
#include "shapes/shape_kinds.h"
#include "shapes/shape_rects.h"
#include "store/flags.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// The kind a kind without mirror bits becomes when mirrored; itself when its mirror image
// looks the same.
int MirroredKind(int kind, int request)
{
    if (request & OptMirrorH) {
        if (kind == ShapeRightArrow)
            kind = ShapeLeftArrow;
        else if (kind == ShapeLeftArrow)
            kind = ShapeRightArrow;
    }
    if (request & OptMirrorV) {
        switch (kind) {
        case ShapeTopArrow: kind = ShapeBottomArrow; break;
        case ShapeBottomArrow: kind = ShapeTopArrow; break;
        case ShapeTriangle: kind = ShapeReverseTriangle; break;
        case ShapeReverseTriangle: kind = ShapeTriangle; break;
        case ShapeTrapezoid: kind = ShapeManualOperation; break;
        case ShapeManualOperation: kind = ShapeTrapezoid; break;
        default: break;
        }
    }
    return kind;
}

// The text-area fractions of classData: left, top, right, bottom.
double* TextFractions(DrawObject* shape)
{
    return reinterpret_cast<double*>(shape->classData);
}

} // namespace

DWORD GetMirrorAxes(const DrawObject* shape)
{
    switch (shape->objType) {
    case ShapeInputOutput:
    case ShapeDocument:
    case ShapeInput:
    case ShapeCustom:
        return OptMirrorH | OptMirrorV;
    case ShapeOnlineStorage:
    case ShapePentagon:
    case ShapeDelay:
    case ShapeDisplay:
        return OptMirrorH;
    case ShapeOffPageConnector:
        return OptMirrorV;
    default:
        break;
    }
    const bool metafile = shape->dataType == kMetafileChunkType && shape->dataCount > 0 &&
                          (shape->state & StatePicture);
    return metafile ? OptMirrorH | OptMirrorV : 0;
}

int FlipShape(Drawing* drawing, ObjectList* objects, int row, int request)
{
    DrawObject* shape = AddressedObject(objects, row);
    if (shape->dataType == kBitmapChunkType) {
        RotationRefused = TRUE;
        return 0;
    }
    const DWORD axes = GetMirrorAxes(shape);
    if (!axes) {
        // OM_SETSHAPETYPE always answers 0, whatever re-applying the frame gave.
        const int kind = MirroredKind(shape->objType, request);
        if (kind != shape->objType)
            ChangeShapeKind(drawing, objects, row, kind);
        return 0;
    }
    const bool customHooks = (shape->state & StateCustomHooks) != 0;
    double* fractions = TextFractions(shape);
    bool toggled = false;
    if ((request & OptMirrorH) && (axes & OptMirrorH)) {
        shape->options ^= OptMirrorH;
        if (customHooks)
            std::swap(fractions[0], fractions[2]);
        toggled = true;
    }
    if ((request & OptMirrorV) && (axes & OptMirrorV)) {
        shape->options ^= OptMirrorV;
        if (customHooks)
            std::swap(fractions[1], fractions[3]);
        toggled = true;
    }
    // A parallelogram mirrored both ways is the one it started as.
    if (shape->objType == ShapeInputOutput &&
        (shape->options & (OptMirrorH | OptMirrorV)) == (OptMirrorH | OptMirrorV))
        shape->options &= ~(OptMirrorH | OptMirrorV);
    if (!toggled)
        return 0;
    // The outline moved under the hooked ends: they re-fit to their nearest points.
    FlagShapeLinksForRefit(drawing, row >= 0 ? objects : nullptr, shape);
    const RECT frame = shape->frame;
    return SetShapeFrame(drawing, objects, row, 0, FALSE, &frame);
}

int SetObjectOptionFlags(Drawing* drawing, void* objects, int row, DWORD mask, BOOL set)
{
    DrawObject* object = AddressedObject(objects, row);
    SetFlagBits(&object->options, mask, set);
    if (row < 0)
        return SendStandaloneMessage(nullptr, drawing, object, OM_REFRESHEFFECTS);
    return SendClassMessage(nullptr, drawing, static_cast<ObjectList*>(objects), row,
                            OM_REFRESHEFFECTS);
}

int SetPictureOptions(Drawing* drawing, void* objects, int row, int framed, const INT32* layout)
{
    DrawObject* shape = AddressedObject(objects, row);
    if (layout)
        shape->handleLayout = layout[1];
    if (framed == -1)
        return 0;
    const bool wasFramed = (shape->options & OptFramed) != 0;
    if (wasFramed && framed == 0) {
        // The picture now takes the shape's colours: give it a visible border and fill.
        if (shape->lineWidth == 0)
            shape->lineWidth = 1;
        shape->fillPattern = 1;
        if (shape->fillColor == 0)
            shape->fillColor = kWhite;
        if (shape->lineColor == kWhite)
            shape->lineColor = 0;
        UpdateShapeRects(drawing, shape, FALSE);
    } else if (!wasFramed && framed != 0) {
        shape->lineWidth = 0;
        shape->fillPattern = 0;
        UpdateShapeRects(drawing, shape, FALSE);
    }
    SetFlagBits(&shape->options, OptFramed, framed != 0);
    return 0;
}
