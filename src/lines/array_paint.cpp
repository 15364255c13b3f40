// What a line array shows and how it meets the mouse: its segments with the arrowhead pairs, the
// insertion points and hook marks, the handles and hit test, XOR feedback and handle drags.
//
// Geometry is read from the entries the layout stores. Along/across work is done in "trunk terms"
// (a along the trunk, c across it, as for a horizontal trunk); a vertical trunk exchanges x and y
// and the handle codes (see ExchangeCode) when it enters and leaves those terms.
#include "lines/array_paint.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "editing/drag_state.h"
#include "editing/edit_services.h"
#include "exchange/exchange_services.h"
#include "geometry/point_geometry.h"
#include "geometry/real_math.h"
#include "lines/array_class.h"
#include "lines/array_layout.h"
#include "lines/arrowheads.h"
#include "lines/line_geometry.h"
#include "lines/line_paint.h"
#include "lines/line_tracking.h"
#include "model/device_units.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/render.h"
#include "shapes/shape_adjust.h"
#include "shapes/shape_paint.h"
#include "store/store_records.h"

namespace {

constexpr int kMaxHookPoints = 600;
constexpr int kInsertGapLimit = 200;    // insertion points stand at most this far beyond the ends
constexpr int kHandleOut = 30;          // a handle reaches 30 units before its point, 24 after
constexpr int kHandleIn = 24;
constexpr int kHandleMinReach = 24;     // handles keep this far from the trunk
constexpr int kStubRootLift = 30;       // a short feed stub's root handle moves off the trunk
constexpr int kMarkerHalf = 27;         // attachment marker square
constexpr int kEmptyMarkBefore = 30;    // the boxed plus of an array without members
constexpr int kEmptyMarkAfter = 36;
constexpr int kHookDiscRadius = 18;
constexpr int kHookDiscPen = 18;       // an inside-frame ring this wide fills the disc
constexpr int kMinSingleBranch = 150;   // a single branch is never shorter than this
constexpr int kMinSingleTrunk = 300;    // nor a bare chain
constexpr int kSlack = 30;              // hit test slack around a turned frame

constexpr int kHitBody = 40;
constexpr int kHitAttachment = 45;

// A segment in trunk terms.
struct Seg {
    int a1, c1, a2, c2;
};

bool Vertical(const DrawObject* array) { return array->objType == LineVertical; }

// A vertical trunk names its handles as a horizontal one with x and y exchanged.
int ExchangeCode(int code)
{
    switch (code) {
    case 5: return 7;
    case 6: return 8;
    case 7: return 5;
    case 8: return 6;
    case 20: return 22;
    case 21: return 23;
    case 22: return 20;
    case 23: return 21;
    default: return code;
    }
}

Seg Terms(const RECT& r, bool vertical)
{
    return vertical ? Seg{r.top, r.left, r.bottom, r.right} : Seg{r.left, r.top, r.right, r.bottom};
}

// The loaded record of an array, unlocked and released with the guard. Entries past what the
// record holds read as zero.
class LoadedArray {
public:
    LoadedArray(int slot, const DrawObject* array)
    {
        if (LoadArrayData(slot, array, &block_)) {
            block_ = nullptr;
            return;
        }
        capacity_ = ArrayEntryCapacity(block_);
        data_ = static_cast<ArrayData*>(GlobalLock(block_));
    }
    ~LoadedArray() { Release(); }
    LoadedArray(const LoadedArray&) = delete;
    LoadedArray& operator=(const LoadedArray&) = delete;

    void Release()
    {
        if (data_)
            GlobalUnlock(block_);
        if (block_)
            ReleaseBlock(block_);
        data_ = nullptr;
        block_ = nullptr;
    }
    bool ok() const { return data_ != nullptr; }
    HGLOBAL block() const { return block_; }
    ArrayData& operator*() const { return *data_; }
    ArrayData* operator->() const { return data_; }
    bool Has(int i) const { return i >= 0 && i < capacity_; }
    RECT Segment(int i) const { return Has(i) ? (*data_)[i].segment : RECT{0, 0, 0, 0}; }
    int Extent(int i) const { return Has(i) ? (*data_)[i].extent : 0; }
    Seg At(int i, bool vertical) const { return Terms(Segment(i), vertical); }

private:
    HGLOBAL block_ = nullptr;
    ArrayData* data_ = nullptr;
    int capacity_ = 0;
};

// The terms shared by the array's answers.
struct Shape {
    bool vertical, chain, both, stagger, down, startFeed;
    int N, M, F;
};

Shape ShapeOf(const DrawObject* array, const ArrayData& d)
{
    Shape s;
    s.vertical = Vertical(array);
    s.chain = (d.style & ArrayChain) != 0;
    s.both = (d.style & ArrayBothSides) != 0;
    s.stagger = (d.style & ArrayStagger) != 0;
    s.down = !(d.style & ArrayOtherSide);
    s.startFeed = s.both || !(d.style & ArrayCentreFeed);
    s.N = d.entryCount;
    s.M = d.memberCount;
    s.F = d.entryCount - d.memberCount;
    return s;
}

// Layout coordinates to drawing coordinates: the origin is (inner left, trunk coordinate), or
// (trunk coordinate, inner top) for a vertical trunk.
POINT Origin(const DrawObject* array)
{
    return Vertical(array) ? POINT{array->axisCoord, array->innerRect.top}
                           : POINT{array->innerRect.left, array->axisCoord};
}

// A point given in trunk terms (along, across), both already in drawing coordinates.
POINT Place(bool vertical, int along, int across)
{
    return vertical ? POINT{across, along} : POINT{along, across};
}

// The along origin in drawing coordinates.
int AlongOrigin(const DrawObject* array)
{
    return Vertical(array) ? array->innerRect.top : array->innerRect.left;
}

// An entry in trunk terms, moved into the drawing.
Seg Placed(const DrawObject* array, const Seg& s)
{
    const int a = AlongOrigin(array), c = array->axisCoord;
    return Seg{s.a1 + a, s.c1 + c, s.a2 + a, s.c2 + c};
}

// Where a branch's member end lies along the trunk (its far end leans forward at 135 degrees).
int MemberEndAlong(const ArrayData& d, const Seg& s)
{
    return d.branchAngle == 135 ? s.a2 : s.a1;
}

bool HoldsHookAt(const DrawObject* array, int code)
{
    for (int i = 0; i < HookSlotsInUse(*array); ++i) {
        if (array->hooks[i].holderCode == code)
            return true;
    }
    return false;
}

bool CastsShadow(const Drawing* drawing, const DrawObject* array)
{
    return drawing && (drawing->style.shadowClassMask & 0x1) && !(array->options & OptShadowHidden);
}

// The attachment marker square: the middle of entry 0 grown by 27, its top and left kept inside
// the update rect.
RECT MarkerRect(const DrawObject* array, RECT first)
{
    const POINT o = Origin(array);
    OffsetRect(&first, o.x, o.y);
    const POINT mid = {first.left + (first.right - first.left) / 2, first.top + (first.bottom - first.top) / 2};
    RECT rect = {mid.x - kMarkerHalf, mid.y - kMarkerHalf, mid.x + kMarkerHalf, mid.y + kMarkerHalf};
    rect.left = std::max(rect.left, array->updateRect.left);
    rect.top = std::max(rect.top, array->updateRect.top);
    return rect;
}

// --- Painting -------------------------------------------------------------------------------

struct Tools {
    HBRUSH fill = nullptr;
    HPEN outline = nullptr;
    HPEN stroke = nullptr;
    HPEN line = nullptr;
};

// One arrowhead pair: the words with the ends mask, and per end the set-in and the setback that
// the stroked segment leaves free.
struct Pair {
    int mask;
    DWORD first, second;
    int in1, in2;
    int back1, back2;
};

Pair MakePair(DWORD first, DWORD second, int mask, int size, int width)
{
    Pair p = {};
    p.mask = mask & (kArrowEnd1 | kArrowEnd2);
    // An end the mask does not name carries no head.
    p.first = (p.mask & kArrowEnd1) ? first : 0;
    p.second = (p.mask & kArrowEnd2) ? second : 0;
    if (p.mask & kArrowEnd1) {
        p.in1 = (first & kArrowSetIn) ? kArrowSetInDistance : 0;
        p.back1 = p.in1 + ArrowheadSetback(first, size, width);
    }
    if (p.mask & kArrowEnd2) {
        p.in2 = (second & kArrowSetIn) ? kArrowSetInDistance : 0;
        p.back2 = p.in2 + ArrowheadSetback(second, size, width);
    }
    return p;
}

int Sign(int v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

// The segment from `from` to `to` with its heads; straight segments move their ends in along
// their axis, slanted ones along the diagonal with each component truncated (and a wider cut).
void DrawHeadedSegment(HDC dc, const Tools& t, const Pair& pair, int width, int size, POINT from, POINT to)
{
    const bool straight = from.x == to.x || from.y == to.y;
    double ux, uy;
    int back1 = pair.back1, back2 = pair.back2;
    if (straight) {
        ux = Sign(to.x - from.x);
        uy = Sign(to.y - from.y);
    } else {
        const double dx = double(to.x) - from.x, dy = double(to.y) - from.y;
        const double length = std::sqrt(dx * dx + dy * dy);
        ux = dx / length;
        uy = dy / length;
        if (back1 != 0)
            back1 += width / 2;
        if (back2 != 0)
            back2 += width / 2;
    }
    auto in = [&](POINT p, int by, int sign) {
        return POINT{p.x + sign * TruncReal(by * ux), p.y + sign * TruncReal(by * uy)};
    };
    const POINT a = in(from, back1, 1), b = in(to, back2, -1);
    StrokeLineSegment(dc, t.line, width, a.x, a.y, b.x, b.y);
    if (pair.mask != 0) {
        const POINT h1 = in(from, pair.in1, 1), h2 = in(to, pair.in2, -1);
        DrawArrowheads(dc, pair.mask, pair.first, pair.second, width, size, 0, h1.x, h1.y, h2.x, h2.y, t.fill,
                       t.outline, t.stroke);
        SelectObject(dc, t.line);
    }
}

void DrawEmptyMark(HDC dc, const RECT& segment)
{
    const int cx = segment.left + (segment.right - segment.left) / 2;
    const int cy = segment.top + (segment.bottom - segment.top) / 2;
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Rectangle(dc, cx - kEmptyMarkBefore, cy - kEmptyMarkBefore, cx + kEmptyMarkAfter, cy + kEmptyMarkAfter);
    MoveToEx(dc, cx - kEmptyMarkBefore, cy, nullptr);
    LineTo(dc, cx + kEmptyMarkBefore, cy);
    MoveToEx(dc, cx, cy - kEmptyMarkBefore, nullptr);
    LineTo(dc, cx, cy + kEmptyMarkBefore);
}

HPEN ArrayLinePen(HDC dc, COLORREF color, COLORREF mapped, int width, int style)
{
    if (style >= 2 && style <= 5)
        return CreateLinePen(dc, color, width, style);
    return CreateDevicePen(dc, PS_SOLID, width, mapped);
}

// --- Handles --------------------------------------------------------------------------------

struct HandlePoint {
    int code;   // trunk terms
    int a, c;   // drawing coordinates in trunk terms
};

int HandleList(int slot, const DrawObject* array, RECT* rects, int* codes)
{
    LoadedArray data(slot, array);
    if (!data.ok() || data->entryCount < 1)
        return 0;
    const ArrayData& d = *data;
    const Shape s = ShapeOf(array, d);
    HandlePoint list[6];
    int n = 0;
    if (s.N < 3) {
        // A bare trunk or a single branch: its two ends, named by the segment's own direction.
        RECT r = data.Segment(0);
        const POINT o = Origin(array);
        OffsetRect(&r, o.x, o.y);
        int count = 0;
        auto add = [&](int code, POINT p) {
            rects[count] = RECT{p.x - kHandleOut, p.y - kHandleOut, p.x + kHandleIn, p.y + kHandleIn};
            codes[count++] = code;
        };
        if (r.left == r.right) {
            add(22, POINT{r.left, std::min(r.top, r.bottom)});
            add(23, POINT{r.left, std::max(r.top, r.bottom)});
        } else {
            add(20, POINT{std::min(r.left, r.right), r.top});
            add(21, POINT{std::max(r.left, r.right), r.top});
        }
        return count;
    }

    const Seg r0 = Placed(array, data.At(0, s.vertical));
    const Seg r1 = Placed(array, data.At(1, s.vertical));
    const Seg r2 = Placed(array, data.At(2, s.vertical));
    const int axis = array->axisCoord;
    const int reach = std::max<int>(d.branchLength, kHandleMinReach);
    const int branchCode = s.down ? 6 : 5;
    const int branchC = s.down ? axis + reach : axis - reach;
    const bool branches = s.M > 0 && !s.chain;
    const int first = s.F;
    const int last = s.both ? s.F + (s.M - 1) / 2 * 2 : s.N - 1;
    auto branchAt = [&](int entry) {
        return HandlePoint{branchCode, MemberEndAlong(d, Placed(array, data.At(entry, s.vertical))), branchC};
    };
    if (s.startFeed) {
        list[n++] = {20, r1.a1, r1.c1};
        list[n++] = {21, r2.a2, r2.c2};
        if (branches) list[n++] = branchAt(first);
        list[n++] = {7, r1.a1 + std::max<int>(data.Extent(1), kHandleMinReach), r1.c1};
        list[n++] = {8, r2.a2 - std::max<int>(data.Extent(2), kHandleMinReach), r2.c2};
        if (branches) list[n++] = branchAt(last);
    } else {
        list[n++] = {7, r0.a1, r0.c1};
        list[n++] = {8, r0.a2, r0.c2};
        if (branches) list[n++] = branchAt(first);
        // The feed stub points away from the members.
        list[n++] = s.down ? HandlePoint{22, r1.a1, r1.c1} : HandlePoint{23, r1.a2, r1.c2};
        if (branches) list[n++] = branchAt(last);
        HandlePoint root = s.down ? HandlePoint{23, r1.a2, r1.c2} : HandlePoint{22, r1.a1, r1.c1};
        if (std::abs(r1.c2 - r1.c1) < kStubRootLift)
            root.c += s.down ? kStubRootLift : -kStubRootLift;
        list[n++] = root;
    }
    if (s.chain && s.M < 2)
        n = std::min(n, 2);
    else if (s.both && s.M <= 2)
        n = std::min(n, 3);
    for (int i = 0; i < n; ++i) {
        const POINT p = Place(s.vertical, list[i].a, list[i].c);
        rects[i] = RECT{p.x - kHandleOut, p.y - kHandleOut, p.x + kHandleIn, p.y + kHandleIn};
        codes[i] = s.vertical ? ExchangeCode(list[i].code) : list[i].code;
    }
    return n;
}

// --- Feedback -------------------------------------------------------------------------------

void XorLine(HDC dc, bool vertical, int a1, int c1, int a2, int c2)
{
    const POINT p = Place(vertical, a1, c1), q = Place(vertical, a2, c2);
    DrawXorLine(dc, p.x, p.y, q.x, q.y, FALSE);
}

void TrackHandle(HDC dc, const DrawObject* array, LoadedArray& data, int code, const RECT& rect)
{
    const ArrayData& d = *data;
    const Shape s = ShapeOf(array, d);
    const bool v = s.vertical;
    const int hc = v ? ExchangeCode(code) : code;
    const Seg p = Terms(rect, v);
    const int axis = array->axisCoord;
    const int f = FishboneOffset(&d);
    // The diagonal the painter uses for an entry, by its stored position.
    auto member = [&](const Seg& stored, const Seg& m) {
        const bool main = f == 0 || (f >= 1 && stored.c1 < 0) || (f < 0 && stored.c1 == 0);
        if (main)
            XorLine(dc, v, m.a1, m.c1, m.a2, m.c2);
        else
            XorLine(dc, v, m.a1, m.c2, m.a2, m.c1);
    };
    switch (hc) {
    case 7:
    case 8: {
        const Seg trunk = Placed(array, data.At(0, v));
        const int fixed = hc == 7 ? trunk.a2 : trunk.a1;
        const int dragged = hc == 7 ? p.a1 : p.a2;
        const int stored = data.Extent(0) == 0 ? 1 : data.Extent(0);
        const double k = double(hc == 7 ? fixed - dragged : dragged - fixed) / stored;
        XorLine(dc, v, dragged, trunk.c1, fixed, trunk.c1);
        for (int i = s.F; i < s.N; ++i) {
            const Seg at = data.At(i, v);
            Seg m = Placed(array, at);
            const int e = f >= 1 ? m.a2 : m.a1;
            const int shift = fixed + TruncReal((e - fixed) * k) - e;
            m.a1 += shift;
            m.a2 += shift;
            member(at, m);
        }
        break;
    }
    case 5:
    case 6: {
        const int length = std::max(hc == 6 ? p.c2 - axis : axis - p.c1, 0);
        double k = 0;
        if (d.branchAngle != 0) {
            const double tangent = std::tan(d.branchAngle * kPi / 180);
            k = tangent != 0 ? 1 / tangent : 0;
        }
        for (int i = s.F; i < s.N; ++i) {
            const Seg at = data.At(i, v);
            Seg m = Placed(array, at);
            if (at.c1 == 0)
                m.c2 = m.c1 + length;
            else
                m.c1 = m.c2 - length;
            if (f >= 1)
                m.a1 = m.a2 - TruncReal(length * k);
            else if (f < 0)
                m.a2 = m.a1 - TruncReal(length * k);
            member(at, m);
        }
        break;
    }
    case 20: {
        const Seg m = Placed(array, data.At(1, v));
        XorLine(dc, v, std::min(p.a1, m.a2), m.c1, m.a2, m.c2);
        break;
    }
    case 21: {
        const Seg m = Placed(array, data.At(2, v));
        XorLine(dc, v, m.a1, m.c1, std::max(p.a2, m.a1), m.c2);
        break;
    }
    case 22:
    case 23: {
        Seg m = Placed(array, data.At(s.N == 1 ? 0 : 1, v));
        // The single branch of a vertical trunk keeps its least length in the preview.
        const int least = v && s.N == 1 ? kMinSingleBranch : 0;
        if (hc == 22)
            m.c1 = std::min(p.c1, m.c2 - least);
        else
            m.c2 = std::max(p.c2, m.c1 + least);
        XorLine(dc, v, m.a1, m.c1, m.a2, m.c2);
        break;
    }
    default:
        break;
    }
}

// Moves the array's rects along and across the trunk (an across move takes the trunk with it).
void MoveArray(DrawObject* array, int along, int across)
{
    const bool v = Vertical(array);
    const int dx = v ? across : along, dy = v ? along : across;
    for (RECT* r : {&array->updateRect, &array->frame, &array->innerRect, &array->textRect})
        OffsetRect(r, dx, dy);
    array->axisCoord += across;
}

}  // namespace

void DrawArray(HDC dc, int message, Drawing* drawing, void* objects, int row, int noMarks, const ShadowPaint* shadow)
{
    if (!dc || !objects)
        return;
    const DrawObject* array = AddressedObject(objects, row);
    const ShadowPaint* copy = message == OM_DRAW ? nullptr : shadow;
    const bool offsetCopy = copy && (copy->dx != 0 || copy->dy != 0);
    if (offsetCopy && !CastsShadow(drawing, array))
        return;
    const int slot = ClassStoreSlot(drawing, objects, row);
    LoadedArray data(slot, array);
    if (!data.ok())
        return;
    const ArrayData& d = *data;
    const Shape s = ShapeOf(array, d);

    POINT origin = Origin(array);
    COLORREF color = array->lineColor;
    if (copy) {
        origin.x += copy->dx;
        origin.y += copy->dy;
        color = copy->color;
    }
    const int w = array->lineWidth;
    const int size = LimitArrowheadSize(array->arrowSize);
    const COLORREF mapped = MapColorForDevice(dc, color, TRUE);
    Tools t;
    t.fill = CreateSolidBrush(mapped);
    t.outline = CreatePen(PS_SOLID, 0, mapped);
    t.stroke = CreateDevicePen(dc, PS_INSIDEFRAME, w <= 12 ? w : w / 2, mapped);
    t.line = ArrayLinePen(dc, color, mapped, w, array->lineStyle);

    const DWORD word1 = static_cast<DWORD>(array->arrowStart), word2 = static_cast<DWORD>(array->arrowEnd);
    // Every branch carries the first word at the trunk and the second at its member: branches on
    // the negative side run the other way and take the words reversed.
    const Pair normal = MakePair(word1, word2, array->arrowEnds, size, w);
    const int reversedMask = ((word2 & kArrowKindMask) ? kArrowEnd1 : 0) | ((word1 & kArrowKindMask) ? kArrowEnd2 : 0);
    const Pair reversed = MakePair(word2, word1, reversedMask, size, w);
    const int f = FishboneOffset(&d);
    const bool emptyMark = message == OM_DRAW && noMarks == 0 && s.M == 0 && !g_renderingMetafile;

    for (int i = 0; i < s.N; ++i) {
        const RECT stored = data.Segment(i);
        RECT m = stored;
        OffsetRect(&m, origin.x, origin.y);
        const bool vertical = stored.left == stored.right, horizontal = stored.top == stored.bottom;
        bool skip = vertical && horizontal;
        if (s.chain && i == 0 && s.M > 0)
            skip = true;
        // A chain's first piece is left out while nothing feeds it.
        if (s.chain && i == s.F && data.Extent(1) == 0 && !HoldsHookAt(array, vertical ? 22 : 20))
            skip = true;
        if (!skip && t.line) {
            const bool plain = (!s.chain && s.N > 1 && i < s.F) || (s.chain && i == 3);
            if (plain) {
                StrokeLineSegment(dc, t.line, w, m.left, m.top, m.right, m.bottom);
            } else if (vertical || horizontal) {
                const bool negative = vertical ? stored.top < 0 : stored.left < 0;
                const bool back = negative || (s.N == 1 && (d.style & ArrayOtherSide));
                DrawHeadedSegment(dc, t, back ? reversed : normal, w, size, POINT{m.left, m.top},
                                  POINT{m.right, m.bottom});
            } else {
                // A fishbone branch runs along one diagonal of its rect.
                const bool negative = s.vertical ? stored.left < 0 : stored.top < 0;
                const bool main = (negative && f > 0) || (!negative && f < 0);
                const bool back = s.vertical ? stored.left < 0 : f >= 1;
                const POINT from = main ? POINT{m.left, m.top} : POINT{m.right, m.top};
                const POINT to = main ? POINT{m.right, m.bottom} : POINT{m.left, m.bottom};
                DrawHeadedSegment(dc, t, back ? reversed : normal, w, size, from, to);
            }
        }
        if (i == 0 && emptyMark)
            DrawEmptyMark(dc, m);
    }

    if (noMarks == 0 && !offsetCopy && !g_renderingMetafile && s.N > 0 && HasAttachment(slot, array)) {
        const RECT marker = MarkerRect(array, data.Segment(0));
        DrawAttachmentMarker(dc, &marker);
    }
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(t.fill), static_cast<HGDIOBJ>(t.outline),
                           static_cast<HGDIOBJ>(t.stroke), static_cast<HGDIOBJ>(t.line)}) {
        if (object)
            DeleteObject(object);
    }
}

void ArrayHookPoints(Drawing* drawing, void* objects, int row, INT32* count, POINT* points)
{
    if (!count || !points)
        return;
    *count = 0;
    if (!objects)
        return;
    LoadedArray data(ClassStoreSlot(drawing, objects, row), AddressedObject(objects, row));
    if (!data.ok())
        return;
    // Point i stands for a member inserted at position i.
    const int n = std::min(data->memberCount + 1, kMaxHookPoints);
    for (int i = 0; i < n; ++i)
        points[i] = POINT{i, 0};
    *count = n;
}

void MapArrayHookPoints(Drawing* drawing, void* objects, int row, int n, POINT* points)
{
    if (!objects || !points || n < 1)
        return;
    DrawObject* array = AddressedObject(objects, row);
    if (n == 1 && (array->state & kArrayLayoutPending) && row >= 0) {
        HWND view = drawing ? drawing->viewWindow : nullptr;
        InvalidateLogicalRect(view, &array->updateRect);
        LayoutArray(drawing, static_cast<ObjectList*>(objects), row);
        InvalidateLogicalRect(view, &array->updateRect);
    }
    LoadedArray data(ClassStoreSlot(drawing, objects, row), array);
    if (!data.ok() || data->entryCount < 1)
        return;
    const ArrayData& d = *data;
    const Shape s = ShapeOf(array, d);
    const bool v = s.vertical;
    auto placed = [&](int i) { return Placed(array, data.At(i, v)); };

    if (points[0].x < 0) {
        // The array's own ends, named -1 and -2 by the snap points.
        for (int k = 0; k < n; ++k) {
            const int end = std::clamp<int>(-points[k].x, 1, 2);
            if (s.N == 1) {
                RECT r = data.Segment(0);
                const POINT o = Origin(array);
                OffsetRect(&r, o.x, o.y);
                if (s.chain)
                    points[k] = end == 1 ? POINT{r.left, r.top} : POINT{r.right, r.bottom};
                else if (d.style & ArrayOtherSide)
                    points[k] = v ? POINT{r.right, r.top} : POINT{r.left, r.bottom};
                else
                    points[k] = POINT{r.left, r.top};
            } else if (s.startFeed) {
                const Seg m = placed(end);
                points[k] = end == 1 ? Place(v, m.a1, m.c1) : Place(v, m.a2, m.c2);
            } else {
                // The stub's end away from the trunk (the tail of a centre feed is its root).
                const Seg m = placed(end);
                points[k] = Place(v, m.a2, s.down ? m.c1 : m.c2);
            }
        }
        return;
    }

    if (n == 1) {
        // A member's position index: where its branch ends.
        const int index = points[0].x;
        const int j = std::min(index + s.F, s.N - 1);
        const Seg m = placed(j);
        int along;
        if (s.chain)
            along = s.N == 1 ? m.a1 + (m.a2 - m.a1) / 2 : m.a2;
        else
            along = MemberEndAlong(d, m);
        bool memberBelow = s.down;
        if (s.both && index % 2 != 0)
            memberBelow = !memberBelow;
        points[0] = Place(v, along, memberBelow ? m.c2 : m.c1);
        return;
    }

    // Insertion points: before the first member, between members, after the last.
    const int reach = std::min<int>(d.gap, kInsertGapLimit);
    const int along0 = AlongOrigin(array);
    const int farEnd = v ? array->innerRect.bottom : array->innerRect.right;
    const int L = d.branchLength;
    for (int k = 0; k < n; ++k) {
        const int index = points[k].x;
        int along;
        if (index < 1) {
            along = along0 + (s.startFeed ? data.Extent(1) : 0) - (s.M == 0 ? 0 : reach);
        } else if (index < s.M) {
            if (s.chain) {
                const Seg m = placed(s.F + index);
                along = m.a1 + (m.a2 - m.a1) / 2;
            } else {
                const int before = MemberEndAlong(d, placed(s.F + index - 1));
                const int after = MemberEndAlong(d, placed(s.F + index));
                along = before + (after - before) / 2;
            }
        } else {
            along = farEnd + reach;
        }
        int c = s.down ? L : -L;
        if (s.both && s.stagger && index % 2 != 0)
            c = -c;
        if (s.chain)
            c = 0;
        points[k] = Place(v, along, array->axisCoord + c);
        if (s.both && !s.stagger && !s.chain && k + 1 < n) {
            // Pairs: each point is offered on both sides.
            points[k + 1] = Place(v, along, array->axisCoord - c);
            ++k;
        }
    }
}

void DrawArrayHookMarks(HDC dc, Drawing* drawing, void* objects, int row, int n, const POINT* points)
{
    if (!dc || !objects || !points || n < 1)
        return;
    const DrawObject* array = AddressedObject(objects, row);
    LoadedArray data(ClassStoreSlot(drawing, objects, row), array);
    if (!data.ok())
        return;
    const int f = FishboneOffset(&*data);
    data.Release();
    const bool v = Vertical(array);
    const int start = v ? array->innerRect.top : array->innerRect.left;
    const int end = v ? array->innerRect.bottom : array->innerRect.right;
    const int axis = array->axisCoord;

    HPEN dotted = CreatePen(PS_DOT, 0, RGB(0, 0, 0));
    HPEN disc = CreatePen(PS_INSIDEFRAME, kHookDiscPen, RGB(0, 0, 0));
    const int saved = SaveDC(dc);
    SetROP2(dc, R2_NOT);
    SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
    for (int i = 0; i < n; ++i) {
        const POINT p = points[i];
        const int along = v ? p.y : p.x;
        // Straight to the trunk, meeting it where the branch would.
        const POINT meet = Place(v, along + f, axis);
        SelectObject(dc, dotted);
        MoveToEx(dc, p.x, p.y, nullptr);
        LineTo(dc, meet.x, meet.y);
        if (along < start || along > end) {
            const POINT to = Place(v, (along < start ? start : end) + f, axis);
            LineTo(dc, to.x, to.y);
        }
        SelectObject(dc, disc);
        Ellipse(dc, p.x - kHookDiscRadius, p.y - kHookDiscRadius, p.x + kHookDiscRadius, p.y + kHookDiscRadius);
    }
    RestoreDC(dc, saved);
    if (dotted)
        DeleteObject(dotted);
    if (disc)
        DeleteObject(disc);
}

void ArrayHandleRects(Drawing* drawing, const DrawObject* array, RECT* rects, int* codes, int* count)
{
    if (!count)
        return;
    *count = 0;
    if (!array || !rects || !codes)
        return;
    *count = HandleList(ClassStoreSlot(drawing, nullptr, -1), array, rects, codes);
}

void DrawArrayHandles(HDC dc, Drawing* drawing, void* objects, int row)
{
    if (!dc || !objects)
        return;
    const DrawObject* array = AddressedObject(objects, row);
    RECT rects[6];
    int codes[6];
    const int count = HandleList(ClassStoreSlot(drawing, objects, row), array, rects, codes);
    if (count == 0)
        return;
    // The handle at which the array hangs is round, found as message 47 finds it.
    int round = -1;
    if (HookSlotsInUse(*array) > 0) {
        const int holder = array->hooks[0].holderCode;
        INT32 code = holder;
        if (SED_ArrayHandler(nullptr, drawing, objects, row, OM_HANDLETOEND, holder, 0, &code) == 0)
            code = holder;
        for (int i = 0; i < count && round < 0; ++i) {
            if (codes[i] == code)
                round = i;
        }
        if (round < 0)
            round = Vertical(array) ? 1 : 0;
    }
    const BOOL locked = (array->state & StateLocked) != 0;
    const BOOL current = row < 0 || (drawing && row == drawing->currentRow);
    const int saved = SaveDC(dc);
    SelectLockedHandleBrush(dc);
    for (int i = 0; i < count; ++i)
        DrawSelectionHandle(dc, &rects[i], locked, current, i == round);
    RestoreDC(dc, saved);
}

int HitTestArray(Drawing* drawing, void* objects, int row, POINT point)
{
    if (row < 0 || !objects)
        return 0;
    const DrawObject* array = AddressedObject(objects, row);
    const bool selected = (array->state & StateSelected) != 0;
    if (selected) {
        AdjustHandle handle;
        GetAdjustHandle(array, &handle);
        if (handle.orientation != AdjustNone && PtInRect(&handle.box, point))
            return handle.orientation == AdjustHorizontal ? kAdjustHandleHorizontal : kAdjustHandleVertical;
    }
    const int slot = ClassStoreSlot(drawing, objects, row);
    if (HasAttachment(slot, array)) {
        LoadedArray data(slot, array);
        if (data.ok() && data->entryCount > 0) {
            const RECT marker = MarkerRect(array, data.Segment(0));
            if (PtInRect(&marker, point))
                return kHitAttachment;
        }
    }
    if (array->angle != 0) {
        POINT q = point;
        RotatePoints(&array->frame, -array->angle, &q, 1);
        RECT outer = array->frame;
        InflateRect(&outer, kSlack, kSlack);
        if (!PtInRect(&outer, q))
            return 0;
    }
    if (selected) {
        RECT rects[6];
        int codes[6];
        const int count = HandleList(slot, array, rects, codes);
        for (int i = 0; i < count; ++i) {
            if (PtInRect(&rects[i], point))
                return codes[i];
        }
    }
    return kHitBody;
}

void TrackArray(HDC dc, Drawing* drawing, void* objects, int row, int message, int a, POINT anchor, const RECT* rect)
{
    if (!dc || !rect)
        return;
    const RECT& p = *rect;
    if (message == OM_TRACKCREATE) {
        if (a != 0) {
            DrawXorLine(dc, p.left, p.top, p.left, p.bottom, FALSE);
            return;
        }
        const POINT at = g_dragState.trackMode == TrackPlaceDragged ? POINT{p.left, p.top} : anchor;
        if (p.bottom - p.top > p.right - p.left)
            DrawXorLine(dc, at.x, p.top, at.x, p.bottom, FALSE);
        else
            DrawXorLine(dc, p.left, at.y, p.right, at.y, FALSE);
        return;
    }
    if (!objects)
        return;
    const DrawObject* array = AddressedObject(objects, row);
    LoadedArray data(ClassStoreSlot(drawing, objects, row), array);
    if (data.ok())
        TrackHandle(dc, array, data, a, p);
}

void DragArrayHandle(Drawing* drawing, void* objects, int row, int code, const RECT* frame)
{
    if (!objects || row < 0 || !frame)
        return;
    ObjectList* list = static_cast<ObjectList*>(objects);
    DrawObject* array = &(*list)[row];
    const bool v = Vertical(array);
    const int hc = v ? ExchangeCode(code) : code;
    switch (hc) {
    case 5: case 6: case 7: case 8: case 20: case 21: case 22: case 23:
        break;
    default:
        return;
    }
    const RECT oldUpdate = array->updateRect;
    int along = 0, across = 0;   // how far the array moves
    {
        LoadedArray data(ClassStoreSlot(drawing, objects, row), array);
        if (!data.ok() || !data.Has(2) || BeginRecordChange(data.block()))
            return;
        ArrayData& d = *data;
        const Shape s = ShapeOf(array, d);
        const Seg p = Terms(*frame, v);
        const Seg fr = Terms(array->frame, v);
        const int axis = array->axisCoord;
        const int old = FishboneOffset(&d);
        INT32& x0 = d[0].extent;
        INT32& x1 = d[1].extent;
        INT32& x2 = d[2].extent;
        switch (hc) {
        case 5:
        case 6:
            if (s.N == 1) {
                const int grown = std::max(hc == 5 ? p.c2 - p.c1 : p.c2 - axis, kMinSingleBranch);
                if (hc == 5)
                    across = -(grown - x0);
                x0 = grown;
            } else {
                d.branchLength = std::max(hc == 5 ? axis - p.c1 : p.c2 - axis, 0);
                // The feed keeps its place while the lean changes.
                if (s.startFeed && old > 0)
                    along = -FishboneShift(&d, old);
            }
            break;
        case 7:
        case 8: {
            int left = p.a1, right = p.a2;
            if (s.startFeed) {
                if (hc == 7)
                    left -= data.At(0, v).a1;
                else
                    right += x2;
            }
            const int oldWidth = fr.a2 - fr.a1, newWidth = right - left;
            const int hookCode = hc == 7 ? 20 : 21;
            if (HoldsHookAt(array, v ? ExchangeCode(hookCode) : hookCode)) {
                // The hooked end stays: its stub takes up the change.
                INT32& stub = hc == 7 ? x1 : x2;
                stub = std::max(stub + oldWidth - newWidth, 0);
                break;
            }
            if (hc == 7)
                along = left - fr.a1;
            const int n = s.both ? (s.M - 1) / 2 : s.M - 1;
            if (n > 0) {
                double change = newWidth - oldWidth;
                if (s.stagger && !s.both)
                    change *= 2;
                double spaces = n;
                if (s.both && s.M % 2 == 0)
                    spaces += 0.5;
                d.gap = std::max(d.gap + TruncReal(change / spaces), 0);
            }
            break;
        }
        case 20: {
            const int previous = x1;
            int growth;
            if (s.N == 1) {
                const int grown = std::max(x0 + (fr.a1 + data.At(0, v).a1) - p.a1, kMinSingleTrunk);
                growth = grown - x0;
                x0 = grown;
                x1 = x2 = grown / 2;
            } else {
                const int grown = std::max(x1 + (fr.a1 + data.At(1, v).a1) - p.a1, 0);
                growth = grown - x1;
                x1 = grown;
            }
            int amount = growth - (old > 0 ? data.At(1, v).a1 : 0);
            if (old > 0 && amount < 0)
                amount = previous < old ? 0 : std::max(amount, -(previous - old));
            along = -amount;
            break;
        }
        case 21:
            if (s.N == 1) {
                x0 = std::max(x0 + p.a2 - fr.a2, kMinSingleTrunk);
                x1 = x2 = x0 / 2;
            } else {
                x2 = std::max(x2 + p.a2 - fr.a2, 0);
            }
            break;
        case 22:
            if (s.N == 1) {
                const int grown = std::max(p.c2 - p.c1, kMinSingleBranch);
                across = -(grown - x0);
                x0 = grown;
            } else if (!s.down) {
                const int grown = std::max(x1 + axis - p.c1, 0);
                across = -(grown - x1);
                x1 = grown;
            } else {
                x1 = std::max(axis - p.c1, 0);
            }
            break;
        case 23:
            if (s.N == 1) {
                x0 = std::max(p.c2 - p.c1, kMinSingleBranch);
            } else if (!s.down) {
                x1 = std::max(x1 + p.c2 - (axis + data.At(1, v).c2), 0);
            } else {
                const int grown = std::max(x1 + p.c2 - axis, 0);
                across = grown - x1;
                x1 = grown;
            }
            break;
        default:
            break;
        }
        MarkBlockDirty(data.block());
    }
    MoveArray(array, along, across);
    HWND view = drawing ? drawing->viewWindow : nullptr;
    InvalidateLogicalRect(view, &oldUpdate);
    LayoutArray(drawing, list, row);
    InvalidateLogicalRect(view, &(*list)[row].updateRect);
}

int FishboneShift(const ArrayData* data, int oldOffset)
{
    if (!data)
        return 0;
    const int now = FishboneOffset(data);
    const int feed = data->entryCount > 1 ? const_cast<ArrayData*>(data)->Entries()[1].extent : 0;
    if (now == oldOffset)
        return 0;
    if (now > oldOffset)
        return std::max(now - std::max(oldOffset, feed), 0);
    const int shift = now < feed ? feed - oldOffset : now - oldOffset;
    return shift > 0 ? 0 : shift;
}
