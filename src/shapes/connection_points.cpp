// Connection points of shapes and pictures: point lists per kind, custom picture points, snap
// points, standard frame points, hook marks and the link permission.
#include "shapes/connection_points.h"

#include <algorithm>
#include <iterator>

#include "model/drawing.h"
#include "model/render.h"
#include "shapes/hook_mapping.h"
#include "shapes/picture_chunks.h"
#include "shapes/shape_kinds.h"
#include "store/store_records.h"

namespace {

constexpr POINT kDiamondPoints[] = {{0, 300}, {150, 150}, {300, 0}, {450, 150},
                                    {600, 300}, {450, 450}, {300, 600}, {150, 450}};
constexpr POINT kTrianglePoints[] = {{0, 600}, {75, 450}, {150, 300}, {225, 150}, {300, 0}, {375, 150},
                                     {450, 300}, {525, 450}, {600, 600}, {450, 600}, {300, 600}, {150, 600}};
constexpr POINT kReverseTrianglePoints[] = {{0, 0}, {75, 150}, {150, 300}, {225, 450}, {300, 600}, {375, 450},
                                            {450, 300}, {525, 150}, {600, 0}, {450, 0}, {300, 0}, {150, 0}};
// Clockwise from the top-left corner.
constexpr POINT kDefaultPoints[] = {{0, 0}, {150, 0}, {300, 0}, {450, 0}, {600, 0}, {600, 150},
                                    {600, 300}, {600, 450}, {600, 600}, {450, 600}, {300, 600}, {150, 600},
                                    {0, 600}, {0, 450}, {0, 300}, {0, 150}};
// The eight frame points in handle order: corners, then top, bottom, left and right middles;
// also the box points of anchor codes 201-208.
constexpr POINT kFramePoints[] = {{0, 0}, {600, 0}, {0, 600}, {600, 600}, {300, 0}, {300, 600}, {0, 300}, {600, 300}};
constexpr int kMarkRadius = 18;

template <size_t N>
void CopyPoints(const POINT (&list)[N], INT32* count, POINT* points)
{
    std::copy(std::begin(list), std::end(list), points);
    *count = static_cast<INT32>(N);
}

}  // namespace

BOOL AnchorBoxPoint(int code, POINT* point)
{
    if (code < kFirstAnchorCode || code > kLastAnchorCode) return FALSE;
    *point = code == kLastAnchorCode ? POINT{300, 300} : kFramePoints[code - kFirstAnchorCode];
    return TRUE;
}

int LoadCustomHookPoints(const Drawing* drawing, const DrawObject* shape, POINT* points, int* count)
{
    *count = 0;
    HGLOBAL block = nullptr;
    if (int err = LoadRecord(drawing ? drawing->header.slot : -1, shape->dataType, shape->dataId, &block)) return err;
    {
        Locked<PictureChunk> chunk(block);
        if (chunk && GetBlockSize(block) >= static_cast<LONG>(sizeof(PictureChunk))) {
            const int n = std::clamp<int>(chunk->hookPointCount, 0, kMaxPictureHookPoints);
            for (int i = 0; i < n; ++i) points[i] = POINT{chunk->hookPoints[i][0], chunk->hookPoints[i][1]};
            *count = n;
        }
    }
    ReleaseBlock(block);
    return 0;
}

void GetShapeHookPoints(Drawing* drawing, DrawObject* shape, int direction, INT32* count, POINT* points)
{
    switch (shape->objType) {
    case ShapeDecision:
        CopyPoints(kDiamondPoints, count, points);
        return;
    case ShapeTriangle:
        CopyPoints(kTrianglePoints, count, points);
        return;
    case ShapeReverseTriangle:
        CopyPoints(kReverseTrianglePoints, count, points);
        return;
    case ShapeCustom:
        ProjectPointOntoOutline(drawing, shape, direction, count, points, 0);
        return;
    default:
        break;
    }
    if (shape->state & StateCustomHooks) {
        // A picture whose points cannot be read offers the default ones; nothing is reported.
        int stored = 0;
        if (LoadCustomHookPoints(drawing, shape, points, &stored) == 0 && stored > 0) {
            *count = stored;
            return;
        }
    }
    CopyPoints(kDefaultPoints, count, points);
}

void DrawLinkPointMarks(HDC dc, int count, const POINT* points)
{
    HPEN pen = CreatePen(PS_INSIDEFRAME, kMarkRadius, RGB(0, 0, 0));
    for (int i = 0; i < count; ++i) {
        const RECT ring = {points[i].x - kMarkRadius, points[i].y - kMarkRadius, points[i].x + kMarkRadius,
                           points[i].y + kMarkRadius};
        XorEllipse(dc, &ring, pen);
    }
    DeleteObject(pen);
}

LONG GetStandardFramePoints(INT32* count, POINT* points)
{
    if (!count || !points) return kShapeClassFlags;
    const LONG left = std::min(points[0].x, points[1].x), right = std::max(points[0].x, points[1].x);
    const LONG top = std::min(points[0].y, points[1].y), bottom = std::max(points[0].y, points[1].y);
    const LONG cx = left + (right - left) / 2, cy = top + (bottom - top) / 2;
    const POINT frame[8] = {{left, top}, {right, top}, {left, bottom}, {right, bottom},
                            {cx, top},   {cx, bottom}, {left, cy},     {right, cy}};
    std::copy(std::begin(frame), std::end(frame), points);
    *count = 8;
    return kShapeClassFlags;
}

void GetShapeSnapPoints(Drawing* drawing, DrawObject* shape, INT32* count, POINT* points)
{
    if ((shape->options & OptStdHooks) || shape->objType == ShapeCustom) {
        CopyPoints(kFramePoints, count, points);
        return;
    }
    GetShapeHookPoints(drawing, shape, 0, count, points);
}

LONG ShapesMayLink(const Drawing* drawing)
{
    return drawing && (drawing->drawingFlags & DrawShapesLink) ? 1 : 0;
}
