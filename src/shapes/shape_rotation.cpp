// Rotation messages of shapes and the conversion of an outline into line pieces.
#include "shapes/shape_rotation.h"

#include <cstring>
#include <vector>

#include "geometry/line_direction.h"
#include "geometry/point_geometry.h"
#include "geometry/real_math.h"
#include "model/class_protocol.h"
#include "model/groups.h"
#include "model/links.h"
#include "model/selection.h"
#include "shapes/custom_outline.h"
#include "shapes/shape_class.h"
#include "shapes/shape_geometry.h"
#include "shapes/shape_kinds.h"
#include "shapes/shape_rects.h"
#include "store/memory_blocks.h"
#include "store/results.h"
#include "store/store_records.h"

namespace {

int StoreSlotOf(const Drawing* drawing)
{
    return drawing ? drawing->header.slot : -1;
}

} // namespace

int SetShapeAngle(Drawing* drawing, ObjectList* objects, int row, int angle)
{
    DrawObject* shape = AddressedObject(objects, row);
    if (shape->options & OptFixed) {
        RotationRefused = TRUE;
        return 0;
    }
    if (angle != shape->angle) {
        shape->angle = angle;
        FlagShapeLinksForRefit(drawing, row >= 0 ? objects : nullptr, shape);
        UpdateShapeRects(drawing, shape, FALSE);
        // A turned frame may reach past the page; the message still reports success.
        KeepShapeOnPage(drawing, objects, row);
    }
    return 0;
}

int RotateShapeToPoint(Drawing* drawing, ObjectList* objects, int row, int handleCode,
                       const POINT* target)
{
    DrawObject* shape = AddressedObject(objects, row);
    if (drawing && shape->groupId != 0)
        shape->groupRow = FindGroupIndex(drawing, shape->groupId, shape->groupRow, 0);
    if (shape->options & OptFixed) {
        RotationRefused = TRUE;
        return 0;
    }
    const POINT c = RotationCentre(&shape->frame);
    const POINT s = SidePointOfRect(shape->frame, handleCode);
    int angle = AngleFromDrag(c.x, c.y, s.x, s.y, target->x, target->y);
    if (drawing && (drawing->drawingFlags & DrawSnap) && shape->groupRow < 0)
        angle = SnapAngle(angle);
    shape->angle = angle;
    FlagShapeLinksForRefit(drawing, row >= 0 ? objects : nullptr, shape);
    UpdateShapeRects(drawing, shape, FALSE);
    return 0;
}

int GetRotationHandle(Drawing*, void* objects, int row, int flags, POINT* point, RECT* rect)
{
    const DrawObject* shape = AddressedObject(objects, row);
    if (shape->options & OptFixed)
        return 0;
    if (row >= 0 && HookSlotsInUse(*shape) > 0 && !HasSingleFixedHook(shape) && !(flags & RotationHandleAlways))
        return 0;
    POINT p;
    RECT r;
    const int code = PlaceRotationHandle(shape->frame, shape->angle, flags, &p, &r);
    if (code) {
        if (point)
            *point = p;
        if (rect)
            *rect = r;
    }
    return code;
}

void GetShapeOutline(Drawing* drawing, void* objects, int row, POINT* points, int* count)
{
    const DrawObject* shape = AddressedObject(objects, row);
    HGLOBAL custom = LoadCustomOutline(StoreSlotOf(drawing), shape);
    GetShapeOutlinePoints(shape->frame, &shape->frame, shape->param, shape->objType,
                          shape->angle, custom, points, count, shape->options);
    if (custom)
        ReleaseBlock(custom);
}

namespace {

struct Pieces {
    std::vector<OutlineVertex> vertices;

    // A vertex with the descriptor of the piece that ends at it.
    void Add(LONG x, LONG y, int pieceClass = 1, int orientation = 0, int lineShape = 0,
             double param = 0)
    {
        vertices.push_back(OutlineVertex{pieceClass, orientation, lineShape, param, x, y});
    }
    // An elbow-connector piece (class 2) with its turn code.
    void Elbow(LONG x, LONG y, int turn) { Add(x, y, 2, 0, turn); }
};

// The outline pieces of the built-in kinds; `rect` is set to the rectangle the vertices are
// relative to.
void BuildPieces(const DrawObject* shape, Pieces* out, RECT* rect)
{
    const RECT frame = shape->frame;
    const int half = shape->lineWidth / 2;
    const RECT shrunk{frame.left + half, frame.top + half, frame.right - half,
                      frame.bottom - half};
    const double p = shape->param;
    switch (shape->objType) {
    case ShapeRoundedRect:
    case ShapeTerminate: {
        *rect = shrunk;
        const LONG W = shrunk.right - shrunk.left, H = shrunk.bottom - shrunk.top;
        const LONG r = shape->objType == ShapeTerminate ? H / 2 : TruncReal(p * (W < H ? W : H));
        out->Add(r, 0);
        out->Add(W - r, 0);
        out->Elbow(W, r, 3);
        out->Add(W, H - r, 1, 2);
        out->Elbow(W - r, H, 2);
        out->Add(r, H);
        out->Elbow(0, H - r, 1);
        out->Add(0, r, 1, 2);
        out->Elbow(r, 0, 0);
        break;
    }
    case ShapeOval:
    case ShapeCircle: {
        *rect = shrunk;
        const LONG W = shrunk.right - shrunk.left, H = shrunk.bottom - shrunk.top;
        const int turns[5] = {3, 3, 2, 1, 0};
        const POINT diamond[5] = {{W / 2, 0}, {W, H / 2}, {W / 2, H}, {0, H / 2}, {W / 2, 0}};
        for (int i = 0; i < 5; ++i)
            out->Elbow(diamond[i].x, diamond[i].y, turns[i]);
        break;
    }
    case ShapeInputOutput:
    case ShapeDecision:
    case ShapeRightArrow:
    case ShapeLeftArrow:
    case ShapeTopArrow:
    case ShapeBottomArrow:
    case ShapeTriangle:
    case ShapeReverseTriangle:
    case ShapeInput:
    case ShapeTrapezoid:
    case ShapeManualOperation:
    case ShapeOctagon:
    case ShapePreparation:
    case ShapeOffPageConnector:
    case ShapePentagon: {
        *rect = frame;
        POINT pts[kMaxFixedOutlinePoints];
        int n = 0;
        GetShapeOutlinePoints(frame, &frame, p, shape->objType, shape->angle, nullptr, pts, &n,
                              shape->options);
        for (int i = 0; i < n; ++i) {
            int orientation = 1;
            if (i > 0) {
                // The direction of the normalised rectangle the piece spans.
                const LONG l = pts[i - 1].x < pts[i].x ? pts[i - 1].x : pts[i].x;
                const LONG r = pts[i - 1].x < pts[i].x ? pts[i].x : pts[i - 1].x;
                const LONG t = pts[i - 1].y < pts[i].y ? pts[i - 1].y : pts[i].y;
                const LONG b = pts[i - 1].y < pts[i].y ? pts[i].y : pts[i - 1].y;
                orientation = ClassifyLineDirection(l, t, r, b, 0);
            }
            out->Add(pts[i].x - frame.left, pts[i].y - frame.top, 1, orientation);
        }
        break;
    }
    case ShapeDocument: {
        *rect = frame;
        const LONG W = frame.right - frame.left, H = frame.bottom - frame.top;
        const LONG c = TruncReal(p * W) - shape->lineWidth / 2;
        out->Add(0, 0);
        out->Add(W, 0);
        out->Add(W, H - c, 1, 2);
        out->Add(W / 2, H - c, 1, 0, 3, c);
        out->Add(0, H - c, 1, 0, 3, -c);
        out->Add(0, 0, 1, 2);
        break;
    }
    case ShapeOnlineStorage:
    case ShapeDelay:
    case ShapeDisplay: {
        *rect = frame;
        const LONG W = frame.right - frame.left, H = frame.bottom - frame.top;
        const LONG c = TruncReal(p * W);
        if (shape->objType == ShapeOnlineStorage) {
            out->Add(c, 0);
            out->Add(W, 0);
            out->Elbow(W - c, H / 2, 0);
            out->Elbow(W, H, 1);
            out->Add(c, H);
            out->Elbow(0, H / 2, 1);
            out->Elbow(c, 0, 0);
        } else if (shape->objType == ShapeDelay) {
            out->Add(0, 0);
            out->Add(W - c, 0);
            out->Elbow(W, H / 2, 3);
            out->Elbow(W - c, H, 2);
            out->Add(0, H);
            out->Add(0, 0, 1, 2);
        } else {
            out->Add(c, 0);
            out->Add(W - c, 0);
            out->Elbow(W, H / 2, 3);
            out->Elbow(W - c, H, 2);
            out->Add(c, H);
            out->Add(0, H / 2, 1, 1);
            out->Add(c, 0, 1, 1);
        }
        break;
    }
    default: { // free text, pictures, rectangles and unknown kinds: the frame
        *rect = shrunk;
        const LONG W = shrunk.right - shrunk.left, H = shrunk.bottom - shrunk.top;
        out->Add(0, 0);
        out->Add(W, 0);
        out->Add(W, H, 1, 2);
        out->Add(0, H);
        out->Add(0, 0, 1, 2);
        break;
    }
    }
}

// Resizes the caller's block and writes the header and vertices; kBlockNotResized when it
// cannot grow.
int WritePieces(HGLOBAL* block, const RECT& rect, const OutlineVertex* vertices, int n,
                SIZE_T size)
{
    HGLOBAL resized = GlobalReAlloc(*block, size, GMEM_MOVEABLE);
    if (!resized)
        return kBlockNotResized;
    *block = resized;
    BlockLock lock(resized);
    auto* head = reinterpret_cast<OutlinePointBlock*>(lock.get());
    if (!head)
        return kBlockNotResized;
    head->count = n;
    head->designWidth = rect.right - rect.left;
    head->designHeight = rect.bottom - rect.top;
    std::memcpy(head + 1, vertices, n * sizeof(OutlineVertex));
    return 0;
}

} // namespace

int ShapeOutlineToPieces(Drawing* drawing, ObjectList* objects, int row, HGLOBAL* block,
                         RECT* rect)
{
    const DrawObject* shape = AddressedObject(objects, row);
    if (shape->objType == ShapeCustom) {
        // A copy of the stored block, its vertices scaled from design units to the frame.
        HGLOBAL stored = nullptr;
        if (int result = LoadRecord(StoreSlotOf(drawing), RecOutlinePoints,
                                    shape->dataId, &stored))
            return result;
        // The stored block is copied and released on every way out.
        std::vector<BYTE> copy;
        {
            BlockLock lock(stored);
            const SIZE_T storedSize = GlobalSize(stored);
            if (lock && storedSize >= sizeof(OutlinePointBlock))
                copy.assign(lock.get(), lock.get() + storedSize);
        }
        ReleaseBlock(stored);
        if (copy.empty())
            return StoreBlockTooSmall;
        const SIZE_T size = copy.size();
        auto* head = reinterpret_cast<OutlinePointBlock*>(copy.data());
        auto* vertices = reinterpret_cast<OutlineVertex*>(head + 1);
        const int n = UsableOutlineVertices(head, size);
        const RECT frame = shape->frame;
        const double sx = static_cast<double>(frame.right - frame.left) /
                          (head->designWidth < 1 ? 1 : head->designWidth);
        const double sy = static_cast<double>(frame.bottom - frame.top) /
                          (head->designHeight < 1 ? 1 : head->designHeight);
        for (int i = 0; i < n; ++i) {
            vertices[i].x = TruncReal(vertices[i].x * sx);
            vertices[i].y = TruncReal(vertices[i].y * sy);
        }
        if (int result = WritePieces(block, frame, vertices, n, size))
            return result;
        *rect = frame;
        return 0;
    }
    Pieces pieces;
    RECT r;
    BuildPieces(shape, &pieces, &r);
    const int n = static_cast<int>(pieces.vertices.size());
    if (int result = WritePieces(block, r, pieces.vertices.data(), n,
                                 sizeof(OutlinePointBlock) + n * sizeof(OutlineVertex)))
        return result;
    *rect = r;
    return 0;
}
