// A shape's real outline turned and mirrored in place, and where its rotation handle sits.
#include "model/drawing_records.h"
#include "shapes/shape_geometry.h"

#include "geometry/point_geometry.h"
#include "shapes/shape_outline.h"

void GetShapeOutlinePoints(const RECT& frame, const RECT* centre, double param, int kind,
                           int angle, HGLOBAL custom, POINT* points, int* count, int options)
{
    BuildShapeOutline(frame, frame, param, kind, 0, custom, points, count);
    if (options & OptMirrored)
        FlipPoints(frame, options, points, *count);
    RotatePoints(centre, angle, points, *count);
}

int PlaceRotationHandle(const RECT& frame, int angle, int flags, POINT* point, RECT* rect)
{
    const LONG w = frame.right - frame.left;
    const LONG h = frame.bottom - frame.top;
    if (!(flags & RotationHandleAlways) && w < kRotateHandleMinSide && h < kRotateHandleMinSide)
        return 0;
    const POINT c = RotationCentre(&frame);
    int code;
    if (w < kRotateHandleMinSide || w < h) {
        *point = POINT{c.x, frame.bottom - kRotateHandleInset};
        code = HandleRotateBottom;
    } else {
        *point = POINT{frame.right - kRotateHandleInset, c.y};
        code = HandleRotateRight;
    }
    if (angle != 0 && (flags & RotationHandleTurned))
        RotatePoints(&frame, angle, point, 1);
    *rect = RECT{point->x - kRotateHandleHalf, point->y - kRotateHandleHalf,
                 point->x + kRotateHandleHalf, point->y + kRotateHandleHalf};
    return code;
}
