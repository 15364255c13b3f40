// Metafile playback through the program's own transform, and arc tessellation.
#include "model/drawing_records.h"
#include "shapes/metafile_playback.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "exchange/exchange_services.h"
#include "shapes/metafile_format.h"
#include "geometry/point_geometry.h"
#include "shapes/shape_geometry.h"
#include "shapes/shape_kinds.h"

namespace {

int Limit(double v)
{
    if (v > 32767.0)
        return 32767;
    if (v < -32767.0)
        return -32767;
    return static_cast<int>(v);   // truncation toward zero
}

double ScaleOf(LONG destSize, LONG extent)
{
    // A zero extent has no defined scale; 1 keeps the picture's own size instead of dividing
    // by zero.
    return extent == 0 ? 1.0 : static_cast<double>(destSize) / static_cast<double>(extent);
}

bool IsPaletteIndex(COLORREF color)
{
    return (color >> 24) == 0x01;
}

COLORREF PaletteRelative(COLORREF color)
{
    return IsPaletteIndex(color) ? color : (color | 0x02000000);
}

COLORREF ColorAt(const WORD* params, int i)
{
    return static_cast<COLORREF>(params[i]) | (static_cast<COLORREF>(params[i + 1]) << 16);
}

void SetColorAt(WORD* params, int i, COLORREF color)
{
    params[i] = LOWORD(color);
    params[i + 1] = HIWORD(color);
}

short S(const WORD* params, int i)
{
    return static_cast<short>(params[i]);
}

POINT MapPoint(const PictureDrawState* s, int x, int y)
{
    POINT p = {MapPictureX(s, x), MapPictureY(s, y)};
    if (s->angle != 0)
        RotatePoints(&s->initialDest, s->angle, &p, 1);
    return p;
}

// Rectangle parameters stored bottom, right, top, left from word `at`.
RECT MappedRect(const PictureDrawState* s, const WORD* params, int at)
{
    RECT r = {S(params, at + 3), S(params, at + 2), S(params, at + 1), S(params, at)};
    MapPictureRect(s, &r);
    return r;
}

RECT Normalized(const RECT& r)
{
    RECT n;
    n.left = r.left < r.right ? r.left : r.right;
    n.right = r.left < r.right ? r.right : r.left;
    n.top = r.top < r.bottom ? r.top : r.bottom;
    n.bottom = r.top < r.bottom ? r.bottom : r.top;
    return n;
}

// Where the picture may draw: its own box with its edges, turned with the object when rotated,
// joined with the object's update rectangle.
RECT PictureClipRect(const PictureDrawState* s, const RECT& dest)
{
    RECT box = Normalized(dest);
    if (s->angle != 0) {
        POINT corners[4] = {{box.left, box.top}, {box.right, box.top}, {box.right, box.bottom},
                            {box.left, box.bottom}};
        RotatePoints(&s->initialDest, s->angle, corners, 4);
        box = RECT{corners[0].x, corners[0].y, corners[0].x, corners[0].y};
        for (const POINT& c : corners) {
            box.left = c.x < box.left ? c.x : box.left;
            box.top = c.y < box.top ? c.y : box.top;
            box.right = c.x > box.right ? c.x : box.right;
            box.bottom = c.y > box.bottom ? c.y : box.bottom;
        }
    }
    // A clip rectangle leaves out its right and bottom edges; the box's own edges are drawn on.
    ++box.right;
    ++box.bottom;
    if (!IsRectEmpty(&s->updateRect))
        UnionRect(&box, &box, &s->updateRect);
    return box;
}

// The clip rectangle, never a region: recorded into a metafile a region would become a
// clip-region record, which the import scan refuses.
void ClipToPicture(HDC dc, const PictureDrawState* s)
{
    IntersectClipRect(dc, s->clip.left, s->clip.top, s->clip.right, s->clip.bottom);
}

// A curve or rectangle of a rotated picture drawn as the rotated outline of a shape kind.
void DrawRotatedKind(HDC dc, const PictureDrawState* s, const RECT& mapped, int kind, double param)
{
    POINT points[kMaxOutlinePoints];
    int n = 0;
    GetShapeOutlinePoints(Normalized(mapped), &s->initialDest, param, kind, s->angle, nullptr, points,
                          &n, 0);
    if (n > 0)
        Polygon(dc, points, n);
}

void PlayArcRecord(HDC dc, PictureDrawState* s, WORD function, const WORD* params)
{
    RECT r = MappedRect(s, params, 4);
    POINT start = {MapPictureX(s, S(params, 3)), MapPictureY(s, S(params, 2))};
    POINT end = {MapPictureX(s, S(params, 1)), MapPictureY(s, S(params, 0))};
    // A mirror reverses the direction of travel; exchanging the ends keeps the arc's shape.
    const bool mirrorH = (s->options & OptMirrorH) != 0, mirrorV = (s->options & OptMirrorV) != 0;
    if (mirrorH != mirrorV) {
        POINT t = start;
        start = end;
        end = t;
    }
    if (s->angle != 0) {
        const int mode = function == MetaArc ? 0 : (function == MetaPie ? 2 : 1);
        int n = 0;
        ArcToPoints(&r, start.x, start.y, end.x, end.y, mode, kPlaybackArcPoints, s->points, &n);
        RotatePoints(&s->initialDest, s->angle, s->points, n);
        if (function == MetaArc)
            Polyline(dc, s->points, n);
        else
            Polygon(dc, s->points, n);
        return;
    }
    if (function == MetaArc)
        Arc(dc, r.left, r.top, r.right, r.bottom, start.x, start.y, end.x, end.y);
    else if (function == MetaPie)
        Pie(dc, r.left, r.top, r.right, r.bottom, start.x, start.y, end.x, end.y);
    else
        Chord(dc, r.left, r.top, r.right, r.bottom, start.x, start.y, end.x, end.y);
}

void PlayExtTextOut(HDC dc, PictureDrawState* s, const METARECORD* record)
{
    const WORD* p = record->rdParm;
    const DWORD sizeWords = record->rdSize;
    POINT at = {MapPictureX(s, S(p, 1)), MapPictureY(s, S(p, 0))};
    int count = S(p, 2);
    UINT options = p[3];
    // The rectangle is there only for opaque or clipped text, as the system's own player reads
    // it: right-to-left reading alone (0x80) comes without one.
    const bool hasRect = (options & kTextOutRectOptions) != 0;
    RECT clip = {0, 0, 0, 0};
    const RECT* rect = nullptr;
    int textAt = 4;
    if (hasRect) {
        clip = RECT{S(p, 4), S(p, 5), S(p, 6), S(p, 7)};
        MapPictureRect(s, &clip);
        rect = &clip;
        textAt = 8;
    }
    if (s->angle != 0) {
        RotatePoints(&s->initialDest, s->angle, &at, 1);
        options = 0;
    }
    // No rectangle is handed on without those options: a recording device would store it, and
    // the record would then be read with its rectangle as text.
    if (!(options & kTextOutRectOptions))
        rect = nullptr;
    const char* text = reinterpret_cast<const char*>(p + textAt);
    const DWORD needed = static_cast<DWORD>((count + 1) / 2 + count + 3 + (hasRect ? 8 : 4));
    INT* spacing = nullptr;
    if (sizeWords >= needed) {
        if (count > 31998)
            count = 31998;
        spacing = reinterpret_cast<INT*>(s->points);
        const WORD* dx = p + textAt + (S(p, 2) + 1) / 2;
        for (int i = 0; i < count; ++i)
            spacing[i] = static_cast<INT>(S(dx, i) * s->scaleX);
    }
    ExtTextOutA(dc, at.x, at.y, options, rect, text, static_cast<UINT>(count), spacing);
}

// The bitmap records: a DIB after `dibAt` parameter words stretched into the mapped rectangle.
void PlayStretchedDib(HDC dc, PictureDrawState* s, const METARECORD* record, int dibAt,
                      UINT colorUse)
{
    const WORD* p = record->rdParm;
    const DWORD rop = ColorAt(p, 0);
    const int base = dibAt == 11 ? 3 : 2;   // STRETCHDIB has its colour use before the sizes
    const int srcH = S(p, base), srcW = S(p, base + 1), srcY = S(p, base + 2), srcX = S(p, base + 3);
    const int dstH = S(p, base + 4), dstW = S(p, base + 5), dstY = S(p, base + 6), dstX = S(p, base + 7);
    RECT r = {dstX, dstY, dstX + dstW, dstY + dstH};
    MapPictureRect(s, &r);
    const BYTE* dib = reinterpret_cast<const BYTE*>(p + dibAt);
    DibLayout layout;
    const size_t bytes = (record->rdSize - kRecordHeaderWords - dibAt) * 2u;
    if (ReadDibLayout(dib, bytes, colorUse == DIB_PAL_COLORS ? 2 : 4, &layout))
        return;
    StretchDIBits(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, srcX, srcY, srcW, srcH,
                  dib + layout.bitsOffset, reinterpret_cast<const BITMAPINFO*>(dib), colorUse, rop);
}

void PlayPolyPolygon(HDC dc, PictureDrawState* s, const METARECORD* record)
{
    const WORD* p = record->rdParm;
    const int polygons = S(p, 0);
    if (polygons <= 0)
        return;
    HGLOBAL countsBlock = GlobalAlloc(GMEM_MOVEABLE, sizeof(INT) * static_cast<SIZE_T>(polygons));
    INT* counts = countsBlock ? static_cast<INT*>(GlobalLock(countsBlock)) : nullptr;
    if (!counts) {
        if (countsBlock)
            GlobalFree(countsBlock);
        return;
    }
    // Points beyond the buffer are left out, and the counts cut to match.
    const short* source = reinterpret_cast<const short*>(p + 1 + polygons);
    int total = 0, used = 0;
    for (int i = 0; i < polygons; ++i) {
        int c = S(p, 1 + i);
        if (total + c > kPicturePointBuffer)
            c = kPicturePointBuffer - total;
        for (int j = 0; j < c; ++j) {
            const int k = total + j;
            s->points[k] = MapPoint(s, source[2 * k], source[2 * k + 1]);
        }
        total += c;
        counts[used++] = c;
        if (total == kPicturePointBuffer)
            break;
    }
    // The polygons and their points are drawn in reverse order.
    for (int i = 0, j = total - 1; i < j; ++i, --j) {
        POINT t = s->points[i];
        s->points[i] = s->points[j];
        s->points[j] = t;
    }
    for (int i = 0, j = used - 1; i < j; ++i, --j) {
        INT t = counts[i];
        counts[i] = counts[j];
        counts[j] = t;
    }
    int nonEmpty = 0;
    for (int i = 0; i < used; ++i) {
        if (counts[i] > 0)
            counts[nonEmpty++] = counts[i];
    }
    if (nonEmpty > 0)
        PolyPolygon(dc, s->points, counts, nonEmpty);
    GlobalUnlock(countsBlock);
    GlobalFree(countsBlock);
}

void PlaySelectObject(HDC dc, HANDLETABLE* table, METARECORD* record, int objects,
                      PictureDrawState* s)
{
    const int index = record->rdParm[0];
    if (index >= objects)
        return;
    HGDIOBJ original = table->objectHandle[index];
    HGDIOBJ replacement = nullptr;
    if (original) {
        const DWORD type = GetObjectType(original);
        if (type == OBJ_BRUSH) {
            LOGBRUSH brush = {};
            if (GetObjectA(original, sizeof brush, &brush) && brush.lbStyle == BS_SOLID)
                replacement = (brush.lbColor & 0xFFFFFF) == 0 ? s->blackBrush : s->brush;
        } else if (type == OBJ_PEN) {
            LOGPEN pen = {};
            if (GetObjectA(original, sizeof pen, &pen) && pen.lopnStyle != PS_NULL)
                replacement = s->pen;
        }
    }
    if (replacement)
        table->objectHandle[index] = replacement;
    PlayMetaFileRecord(dc, table, record, static_cast<UINT>(objects));
    table->objectHandle[index] = original;
}

void PushState(PictureDrawState* s)
{
    ++s->depth;
    if (s->depth >= 1 && s->depth < kPictureStateDepth)
        s->stack[s->depth] = PictureSavedState{s->scaleX, s->scaleY, s->dest, s->frame};
}

// 1 when the record was a metafile restore that may be played.
bool PopState(PictureDrawState* s)
{
    const bool balanced = s->depth > 0;
    if (s->depth >= 0 && s->depth < kPictureStateDepth) {
        const PictureSavedState& saved = s->stack[s->depth];
        s->scaleX = saved.scaleX;
        s->scaleY = saved.scaleY;
        s->dest = saved.dest;
        s->frame = saved.frame;
    }
    --s->depth;
    return balanced;
}

} // namespace

int MapPictureX(const PictureDrawState* s, int x)
{
    const double d = (x - s->frame.left) * s->scaleX;
    return Limit((s->options & OptMirrorH) ? s->dest.right - d : s->dest.left + d);
}

int MapPictureY(const PictureDrawState* s, int y)
{
    const double d = (y - s->frame.top) * s->scaleY;
    return Limit((s->options & OptMirrorV) ? s->dest.bottom - d : s->dest.top + d);
}

int ScalePictureX(const PictureDrawState* s, int v)
{
    return Limit(v * s->scaleX);
}

int ScalePictureY(const PictureDrawState* s, int v)
{
    return Limit(v * s->scaleY);
}

void MapPictureRect(const PictureDrawState* s, RECT* r)
{
    r->left = MapPictureX(s, r->left);
    r->right = MapPictureX(s, r->right);
    r->top = MapPictureY(s, r->top);
    r->bottom = MapPictureY(s, r->bottom);
}

namespace {

void PlayUnchanged(HDC dc, HANDLETABLE* table, METARECORD* record, int objects)
{
    PlayMetaFileRecord(dc, table, record, static_cast<UINT>(objects));
}

// Records that change the transform: saved states, the window origin and extent, the viewport
// scale. The device's own mapping records are skipped: the transform alone places the picture.
// False for any other record.
bool PlayTransformRecord(HDC dc, HANDLETABLE* table, METARECORD* record, int objects,
                         PictureDrawState* s)
{
    const WORD* p = record->rdParm;
    switch (record->rdFunction) {
    case MetaSaveDc:
        PushState(s);
        PlayUnchanged(dc, table, record, objects);
        return true;
    case MetaRestoreDc:
        // One level whatever the argument; a restore without a save of the metafile's own
        // would pop the caller's state, so it only counts.
        if (PopState(s))
            RestoreDC(dc, -1);
        return true;
    case MetaSetWindowOrg:
        OffsetRect(&s->frame, S(p, 1) - s->frame.left, S(p, 0) - s->frame.top);
        return true;
    case MetaSetWindowExt:
        s->scaleX = ScaleOf(s->dest.right - s->dest.left, S(p, 1));
        s->scaleY = ScaleOf(s->dest.bottom - s->dest.top, S(p, 0));
        return true;
    case MetaOffsetWindowOrg:
        OffsetRect(&s->frame, S(p, 1), S(p, 0));
        return true;
    case MetaScaleViewportExt: {
        const int xNum = S(p, 3), xDenom = S(p, 2), yNum = S(p, 1), yDenom = S(p, 0);
        if (xDenom == 0 || yDenom == 0)
            return true;
        s->dest.right = s->dest.left + (s->dest.right - s->dest.left) * xNum / xDenom;
        s->dest.bottom = s->dest.top + (s->dest.bottom - s->dest.top) * yNum / yDenom;
        return true;
    }
    case MetaSetMapMode:
    case MetaSetViewportOrg:
    case MetaSetViewportExt:
    case MetaOffsetViewportOrg:
    case MetaScaleWindowExt:
        return true;
    default:
        return false;
    }
}

// Records that make or select pens, brushes, fonts, palettes and colours: sizes scaled, colours
// made palette-relative or replaced by the object's own. False for any other record.
bool PlayObjectRecord(HDC dc, HANDLETABLE* table, METARECORD* record, int objects,
                      PictureDrawState* s)
{
    WORD* p = record->rdParm;
    switch (record->rdFunction) {
    case MetaSelectObject:
        PlaySelectObject(dc, table, record, objects, s);
        return true;
    case MetaSetTextCharExtra:
        SetTextCharacterExtra(dc, ScalePictureX(s, S(p, 0)));
        return true;
    case MetaSetTextColor:
        SetColorAt(p, 0, s->blackBrush ? s->textColor : PaletteRelative(ColorAt(p, 0)));
        PlayUnchanged(dc, table, record, objects);
        return true;
    case MetaSelectPalette:
        if (s->paletteFlag)
            PlayUnchanged(dc, table, record, objects);
        return true;
    case MetaCreatePenIndirect:
        p[1] = static_cast<WORD>(ScalePictureX(s, S(p, 1)));
        p[2] = static_cast<WORD>(ScalePictureY(s, S(p, 2)));
        SetColorAt(p, 3, PaletteRelative(ColorAt(p, 3)));
        PlayUnchanged(dc, table, record, objects);
        return true;
    case MetaCreateFontIndirect: {
        const int height = S(p, 0), width = S(p, 1);
        int newHeight = static_cast<int>(height * s->scaleY);
        const int newWidth = static_cast<int>(width * s->scaleX);
        if ((height != 0 || width != 0) && newHeight == 0 && newWidth == 0)
            newHeight = -1;   // a font scaled to nothing would be the default size
        p[0] = static_cast<WORD>(newHeight);
        p[1] = static_cast<WORD>(newWidth);
        if (s->angle != 0)
            p[2] = static_cast<WORD>((S(p, 2) + s->angle) % 3600);
        PlayUnchanged(dc, table, record, objects);
        return true;
    }
    case MetaCreateBrushIndirect:
        SetColorAt(p, 1, PaletteRelative(ColorAt(p, 1)));
        PlayUnchanged(dc, table, record, objects);
        return true;
    default:
        return false;
    }
}

// The metafile's own clip records, mapped; a rotated picture ignores its clip rectangles.
// False for any other record.
bool PlayClipRecord(HDC dc, PictureDrawState* s, const METARECORD* record)
{
    const WORD* p = record->rdParm;
    const bool rotated = s->angle != 0;
    switch (record->rdFunction) {
    case MetaOffsetClipRgn:
        OffsetClipRgn(dc, ScalePictureX(s, S(p, 1)), ScalePictureY(s, S(p, 0)));
        ClipToPicture(dc, s);   // the offset moved the picture's own clip as well
        return true;
    case MetaExcludeClipRect:
        if (!rotated) {
            const RECT r = MappedRect(s, p, 0);
            ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
        }
        return true;
    case MetaIntersectClipRect:
        if (!rotated) {
            const RECT r = Normalized(MappedRect(s, p, 0));
            IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        }
        return true;
    default:
        return false;
    }
}

void PlayPoly(HDC dc, PictureDrawState* s, const METARECORD* record)
{
    const WORD* p = record->rdParm;
    int n = S(p, 0);
    if (n > kPicturePointBuffer)
        n = kPicturePointBuffer;
    for (int i = 0; i < n; ++i)
        s->points[i] = MapPoint(s, S(p, 1 + 2 * i), S(p, 2 + 2 * i));
    if (record->rdFunction == MetaPolygon)
        Polygon(dc, s->points, n);
    else
        Polyline(dc, s->points, n);
}

void PlayRoundRect(HDC dc, PictureDrawState* s, const WORD* p)
{
    const RECT r = MappedRect(s, p, 2);
    const int cornerW = ScalePictureX(s, S(p, 1)), cornerH = ScalePictureY(s, S(p, 0));
    if (s->angle != 0) {
        const RECT n = Normalized(r);
        const LONG side = (n.right - n.left) < (n.bottom - n.top) ? n.right - n.left : n.bottom - n.top;
        const double param = side > 0 ? std::abs(cornerW) / (2.0 * side) : 0.0;
        DrawRotatedKind(dc, s, r, ShapeRoundedRect, param);
    } else {
        RoundRect(dc, r.left, r.top, r.right, r.bottom, cornerW, cornerH);
    }
}

// Records that draw: every position and size mapped through the transform (and rotated);
// curves and rectangles of a rotated picture drawn as polygons. False for any other record.
bool PlayDrawingRecord(HDC dc, HANDLETABLE* table, METARECORD* record, int objects,
                       PictureDrawState* s)
{
    WORD* p = record->rdParm;
    switch (record->rdFunction) {
    case MetaLineTo:
    case MetaMoveTo: {
        const POINT q = MapPoint(s, S(p, 1), S(p, 0));
        if (record->rdFunction == MetaLineTo)
            LineTo(dc, q.x, q.y);
        else
            MoveToEx(dc, q.x, q.y, nullptr);
        return true;
    }
    case MetaPolygon:
    case MetaPolyline:
        PlayPoly(dc, s, record);
        return true;
    case MetaPolyPolygon:
        PlayPolyPolygon(dc, s, record);
        return true;
    case MetaEllipse:
    case MetaRectangle: {
        const RECT r = MappedRect(s, p, 0);
        const bool ellipse = record->rdFunction == MetaEllipse;
        if (s->angle != 0)
            DrawRotatedKind(dc, s, r, ellipse ? ShapeOval : ShapeRectangle, 0);
        else if (ellipse)
            Ellipse(dc, r.left, r.top, r.right, r.bottom);
        else
            Rectangle(dc, r.left, r.top, r.right, r.bottom);
        return true;
    }
    case MetaRoundRect:
        PlayRoundRect(dc, s, p);
        return true;
    case MetaArc:
    case MetaPie:
    case MetaChord:
        PlayArcRecord(dc, s, record->rdFunction, p);
        return true;
    case MetaFloodFill: {
        const POINT q = MapPoint(s, S(p, 3), S(p, 2));
        FloodFill(dc, q.x, q.y, ColorAt(p, 0));
        return true;
    }
    case MetaExtFloodFill: {
        const POINT q = MapPoint(s, S(p, 4), S(p, 3));
        ExtFloodFill(dc, q.x, q.y, ColorAt(p, 1), p[0]);
        return true;
    }
    case MetaSetPixel: {
        const POINT q = MapPoint(s, S(p, 3), S(p, 2));
        SetPixel(dc, q.x, q.y, ColorAt(p, 0));
        return true;
    }
    case MetaTextOut: {
        const int count = S(p, 0);
        const int at = 1 + (count + 1) / 2;
        const POINT q = MapPoint(s, S(p, at + 1), S(p, at));
        TextOutA(dc, q.x, q.y, reinterpret_cast<const char*>(p + 1), count);
        return true;
    }
    case MetaExtTextOut:
        PlayExtTextOut(dc, s, record);
        return true;
    case MetaPatBlt: {
        const int x = S(p, 5), y = S(p, 4), w = S(p, 3), h = S(p, 2);
        RECT r = {x, y, x + w, y + h};
        MapPictureRect(s, &r);
        PatBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, ColorAt(p, 0));
        return true;
    }
    case MetaBitBlt:
        return true;   // raster copies cannot be scaled: never drawn
    case MetaStretchBlt:
    case MetaDibStretchBlt:
        PlayStretchedDib(dc, s, record, 10, DIB_RGB_COLORS);
        return true;
    case MetaStretchDib:
        PlayStretchedDib(dc, s, record, 11, p[2] == DIB_PAL_COLORS ? DIB_PAL_COLORS : DIB_RGB_COLORS);
        return true;
    case MetaSetDibToDev: {
        const POINT q = {MapPictureX(s, S(p, 8)), MapPictureY(s, S(p, 7))};
        p[8] = static_cast<WORD>(q.x);
        p[7] = static_cast<WORD>(q.y);
        PlayUnchanged(dc, table, record, objects);
        return true;
    }
    default:
        return false;
    }
}

} // namespace

int CALLBACK PictureRecordProc(HDC dc, HANDLETABLE* table, METARECORD* record, int objects,
                               LPARAM param)
{
    auto* s = reinterpret_cast<PictureDrawState*>(param);
    // Records come from other programs: one whose counts do not fit its size is skipped.
    if (!IsSoundMetafileRecord(reinterpret_cast<const WORD*>(record), record->rdSize))
        return 1;
    if (!PlayTransformRecord(dc, table, record, objects, s) &&
        !PlayObjectRecord(dc, table, record, objects, s) && !PlayClipRecord(dc, s, record) &&
        !PlayDrawingRecord(dc, table, record, objects, s))
        PlayUnchanged(dc, table, record, objects);   // state records reach the device as they are
    return 1;
}

namespace {

// A metafile handle from stored bits, checked first so that no record can stall or overrun the
// system's enumeration. The block is freed in every case.
HMETAFILE MetafileFromBlock(HGLOBAL bits)
{
    if (!bits)
        return nullptr;
    HMETAFILE metafile = nullptr;
    const SIZE_T size = GlobalSize(bits);
    if (auto* bytes = static_cast<BYTE*>(GlobalLock(bits))) {
        const UINT usable = SanitizeMetafileBits(bytes, size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(size));
        if (usable)
            metafile = SetMetaFileBitsEx(usable, bytes);
        GlobalUnlock(bits);
    }
    GlobalFree(bits);
    return metafile;
}

// The enumeration itself, the transform starting at the destination and the frame, inside a
// saved state of the device that is clipped to the picture.
void EnumeratePicture(HDC dc, HMETAFILE metafile, const RECT* dest, const RECT* frame,
                      PictureDrawState* state)
{
    state->initialDest = *dest;
    state->dest = *dest;
    state->frame = *frame;
    state->depth = 0;
    state->stack[0] = PictureSavedState{state->scaleX, state->scaleY, *dest, *frame};
    state->clip = PictureClipRect(state, *dest);
    const int saved = SaveDC(dc);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    ClipToPicture(dc, state);
    EnumMetaFile(dc, metafile, PictureRecordProc, reinterpret_cast<LPARAM>(state));
    RestoreDC(dc, g_renderingMetafile ? -1 : saved);
}

} // namespace

void PlayPictureInRect(HDC dc, const RECT* dest, HGLOBAL bits, const RECT* frame,
                       PictureDrawState* state, int pictureFlags)
{
    (void)pictureFlags;
    HMETAFILE metafile = MetafileFromBlock(bits);
    if (!metafile)
        return;
    state->scaleX = ScaleOf(dest->right - dest->left, frame->right - frame->left);
    state->scaleY = ScaleOf(dest->bottom - dest->top, frame->bottom - frame->top);
    // One point buffer and one state stack serve every record of this playback.
    HGLOBAL pointBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(POINT) * kPicturePointBuffer);
    HGLOBAL stackBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(PictureSavedState) * kPictureStateDepth);
    state->points = pointBlock ? static_cast<POINT*>(GlobalLock(pointBlock)) : nullptr;
    state->stack = stackBlock ? static_cast<PictureSavedState*>(GlobalLock(stackBlock)) : nullptr;
    if (state->points && state->stack)
        EnumeratePicture(dc, metafile, dest, frame, state);
    if (state->points)
        GlobalUnlock(pointBlock);
    if (state->stack)
        GlobalUnlock(stackBlock);
    if (pointBlock)
        GlobalFree(pointBlock);
    if (stackBlock)
        GlobalFree(stackBlock);
    state->points = nullptr;
    state->stack = nullptr;
    DeleteMetaFile(metafile);
}

namespace {

// The four quarters of an ellipse, walked counter-clockwise on screen: upper left (top to
// left point), lower left (left to bottom), lower right (bottom to right), upper right (right
// to top); the signs of x and y in each.
constexpr int kQuarterSignX[4] = {-1, -1, 1, 1};
constexpr int kQuarterSignY[4] = {-1, 1, 1, -1};

bool InQuarter(int q, const POINT& d)
{
    const bool xOk = kQuarterSignX[q] < 0 ? d.x <= 0 : d.x >= 0;
    const bool yOk = kQuarterSignY[q] < 0 ? d.y <= 0 : d.y >= 0;
    return xOk && yOk;
}

struct ArcWalk {
    POINT centre;
    int a, b;
    bool stepX;   // the walk steps along the shorter semi-axis
    double length;

    // Walk progress along a quarter grows from its first point to its last; the stepping
    // coordinate grows with it in quarters 0 and 2 (x) or 1 and 3 (y).
    bool Rising(int q) const { return stepX ? (q == 0 || q == 2) : (q == 1 || q == 3); }

    POINT At(int q, double t) const
    {
        const double v = Rising(q) ? t : length - t;
        double x, y;
        if (stepX) {
            x = v;
            y = a > 0 ? std::sqrt(std::fmax(0.0, (double(a) * a - x * x) * b * b / (double(a) * a))) : 0.0;
        } else {
            y = v;
            x = b > 0 ? std::sqrt(std::fmax(0.0, (double(b) * b - y * y) * a * a / (double(b) * b))) : 0.0;
        }
        return POINT{centre.x + static_cast<LONG>(kQuarterSignX[q] * x),
                     centre.y + static_cast<LONG>(kQuarterSignY[q] * y)};
    }

    double Progress(int q, const POINT& p) const
    {
        const double v = stepX ? std::abs(p.x - centre.x) : std::abs(p.y - centre.y);
        double t = Rising(q) ? v : length - v;
        return t < 0 ? 0 : (t > length ? length : t);
    }
};

} // namespace

void ProjectOntoEllipse(POINT* point, const RECT* rect)
{
    const RECT r = Normalized(*rect);
    const int a = (r.right - r.left) / 2, b = (r.bottom - r.top) / 2;
    const POINT c = {r.left + a, r.top + b};
    const double dx = point->x - c.x, dy = point->y - c.y;
    if (std::fabs(dx) < 1) {
        *point = POINT{c.x, dy > 0 ? r.bottom : r.top};
        return;
    }
    if (std::fabs(dy) < 1) {
        *point = POINT{dx > 0 ? r.right : r.left, c.y};
        return;
    }
    const double m = dy / dx;
    const double denominator = std::sqrt(double(b) * b + double(a) * a * m * m);
    double x = denominator > 0 ? double(a) * b / denominator : 0.0;
    if (dx < 0)
        x = -x;
    const double y = x * m;
    *point = POINT{c.x + static_cast<LONG>(x), c.y + static_cast<LONG>(y)};
}

void ArcToPoints(const RECT* rect, int startX, int startY, int endX, int endY, int mode, int n,
                 POINT* points, int* count)
{
    if (n < 2)
        n = 2;
    const RECT r = Normalized(*rect);
    ArcWalk walk;
    walk.a = (r.right - r.left) / 2;
    walk.b = (r.bottom - r.top) / 2;
    walk.centre = POINT{r.left + walk.a, r.top + walk.b};
    walk.stepX = walk.b > walk.a;
    walk.length = walk.stepX ? walk.a : walk.b;
    POINT start = {startX, startY}, end = {endX, endY};
    ProjectOntoEllipse(&start, &r);
    ProjectOntoEllipse(&end, &r);
    const POINT ds = {start.x - walk.centre.x, start.y - walk.centre.y};
    const POINT de = {end.x - walk.centre.x, end.y - walk.centre.y};
    int k = 0;
    if (mode == 2)
        points[k++] = walk.centre;
    int first = 0;
    while (first < 3 && !InQuarter(first, ds))
        ++first;
    const double step = walk.length / (n - 1);
    bool done = false;
    for (int visit = 0; visit < 8 && !done; ++visit) {
        const int q = (first + visit) % 4;
        const bool endHere = InQuarter(q, de);
        if (visit == 0) {
            // The start's quarter: the start, then the rest of the quarter in n - 1 steps; an
            // end behind the start waits for the next pass.
            const double ts = walk.Progress(q, start);
            points[k++] = start;
            const double te = endHere ? walk.Progress(q, end) : -1;
            const double rest = (walk.length - ts) / (n - 1);
            for (int j = 1; j < n; ++j) {
                const double t = ts + j * rest;
                if (te > ts && t >= te)
                    break;
                points[k++] = walk.At(q, t);
            }
            if (te > ts) {
                points[k++] = end;
                done = true;
            }
            continue;
        }
        if (endHere) {
            const double te = walk.Progress(q, end);
            if (te < (n - 5) * step) {
                // An end early in the quarter: the stretch to it in n - 1 equal steps.
                const double even = te / (n - 1);
                for (int j = 0; j < n - 1; ++j)
                    points[k++] = walk.At(q, j * even);
            } else {
                for (int j = 0; j < n && j * step < te; ++j)
                    points[k++] = walk.At(q, j * step);
            }
            points[k++] = end;
            done = true;
            continue;
        }
        for (int j = 0; j < n; ++j)
            points[k++] = walk.At(q, j * step);
    }
    if (mode == 1 || mode == 2) {
        points[k] = points[0];
        ++k;
    }
    *count = k;
}
