// The class handler of line arrays (class 3) and the array's own answers.
#include "lines/array_class.h"

#include <algorithm>

#include "editing/drag_state.h"
#include "editing/edit_services.h"
#include "lines/array_layout.h"
#include "lines/array_paint.h"
#include "lines/array_record.h"
#include "lines/array_styles.h"
#include "lines/arrowheads.h"
#include "lines/line_geometry.h"
#include "lines/line_hooks.h"
#include "lines/line_messages.h"
#include "lines/line_reshape.h"
#include "lines/line_tracking.h"
#include "model/class_protocol.h"
#include "model/device_units.h"
#include "model/drawing.h"
#include "model/invalidate.h"
#include "model/selection.h"
#include "shapes/shape_rects.h"
#include "store/store_records.h"

namespace {

constexpr int kCapabilities = 19025;          // 0x4A51
constexpr int kGroupedCapabilities = 2625;    // 0xA41
constexpr int kFirstBranchLength = 150;
constexpr int kFirstGap = 200;
constexpr int kNoRow = -1;

bool Vertical(const DrawObject* array) { return array->objType == LineVertical; }
bool Grouped(const DrawObject* array) { return array->groupRow >= 0; }

// The loaded record of the array at `row`, released and unlocked with the guard.
class ArrayRecord {
public:
    ArrayRecord(Drawing* drawing, void* objects, int row, const DrawObject* array)
    {
        error_ = LoadArrayData(ClassStoreSlot(drawing, objects, row), array, &block_);
        if (!error_) {
            data_ = static_cast<ArrayData*>(GlobalLock(block_));
            if (!data_) error_ = ErrOutOfMemory;
        }
    }
    ~ArrayRecord()
    {
        if (data_) GlobalUnlock(block_);
        if (block_) ReleaseBlock(block_);
    }
    ArrayRecord(const ArrayRecord&) = delete;
    ArrayRecord& operator=(const ArrayRecord&) = delete;

    int error() const { return error_; }
    HGLOBAL block() const { return block_; }
    ArrayData* operator->() const { return data_; }
    ArrayData& operator*() const { return *data_; }

private:
    HGLOBAL block_ = nullptr;
    ArrayData* data_ = nullptr;
    int error_ = 0;
};

// Both ends' arrowheads reach: the larger across extent and the larger along extent.
void HeadReach(const DrawObject* array, int* across, int* along)
{
    *across = *along = 0;
    if (array->arrowEnds == 0)
        return;
    const LONG e1 = ArrowheadExtent(array->arrowStart, array->arrowSize, array->lineWidth);
    const LONG e2 = ArrowheadExtent(array->arrowEnd, array->arrowSize, array->lineWidth);
    *across = std::max<int>(static_cast<SHORT>(LOWORD(e1)), static_cast<SHORT>(LOWORD(e2)));
    *along = std::max<int>(static_cast<SHORT>(HIWORD(e1)), static_cast<SHORT>(HIWORD(e2)));
}

void Include(RECT& bounds, const RECT& r)
{
    bounds.left = std::min(bounds.left, r.left);
    bounds.top = std::min(bounds.top, r.top);
    bounds.right = std::max(bounds.right, r.right);
    bounds.bottom = std::max(bounds.bottom, r.bottom);
}

void RecalcFromRecord(Drawing* drawing, DrawObject* array, const ArrayData& data)
{
    const bool chain = (data.style & ArrayChain) != 0;
    const bool vertical = Vertical(array);
    int h = array->lineWidth / 2, h2 = array->lineWidth - h;
    if (chain) {
        h = std::max(h, 50);
        h2 = std::max(h2, 50);
    }
    int across = 0, along = 0;
    HeadReach(array, &across, &along);
    RECT shadow = {0, 0, 0, 0};
    if (drawing && ObjectHasShadow(drawing, array))
        GetShadowOffsetRect(drawing, &shadow, 0);

    RECT bare = {32767, 32767, 0, 0}, outer = {32767, 32767, 0, 0};
    const ArrayEntry* entries = const_cast<ArrayData&>(data).Entries();
    for (int i = 0; i < data.entryCount; ++i) {
        const RECT& s = entries[i].segment;
        Include(bare, RECT{std::min(s.left, s.right), std::min(s.top, s.bottom), std::max(s.left, s.right),
                           std::max(s.top, s.bottom)});
        RECT w = {std::min(s.left, s.right), std::min(s.top, s.bottom), std::max(s.left, s.right),
                  std::max(s.top, s.bottom)};
        const bool heads = chain && i > 2;
        if (s.left == s.right) {
            w.left -= h;
            w.right += h2;
            if (!vertical || heads) InflateRect(&w, across, along);
        } else if (s.top == s.bottom) {
            w.top -= h;
            w.bottom += h2;
            if (vertical || heads) InflateRect(&w, along, across);
        } else {
            w.left -= h;
            w.top -= h;
            w.right += h2;
            w.bottom += h2;
            if (vertical) InflateRect(&w, along, along);
        }
        InflateRectBy(&w, &shadow);
        Include(outer, w);
    }
    if (data.entryCount <= 0) {
        bare = outer = RECT{0, 0, 0, 0};
    } else if (!chain && data.entryCount == 1) {
        // A bare trunk keeps room for its first members at both ends.
        if (vertical)
            InflateRect(&outer, 0, kFirstBranchLength);
        else
            InflateRect(&outer, kFirstBranchLength, 0);
    }
    // The array keeps its left (top) edge; the layout's trunk line falls on the trunk coordinate.
    const int dx = vertical ? array->axisCoord : array->innerRect.left - bare.left;
    const int dy = vertical ? array->innerRect.top - bare.top : array->axisCoord;
    OffsetRect(&bare, dx, dy);
    OffsetRect(&outer, dx, dy);
    array->innerRect = bare;
    array->frame = outer;
    array->updateRect = outer;
    InflateRect(&array->updateRect, 30, 30);
    if (chain) {
        if (vertical)
            InflateRect(&array->updateRect, 6, 0);
        else
            InflateRect(&array->updateRect, 0, 6);
    }
    array->textRect = array->innerRect;
}

// The feed comes in at the trunk's start: both sides, or no centre feed; not given for a bare
// trunk outside the chain style.
bool StartFeed(const ArrayData& data)
{
    return (data.style & ArrayBothSides) || !(data.style & ArrayCentreFeed);
}

int EndHandleCode(const DrawObject* array, const ArrayData& data, int code)
{
    const bool bare = data.entryCount == 1 && !(data.style & ArrayChain);
    const bool otherSide = (data.style & ArrayOtherSide) != 0;
    if (Vertical(array)) {
        if (bare || StartFeed(data)) {
            const bool placing = g_dragState.trackMode == TrackPlaceDragged;
            if (code == 1) return placing ? 23 : 22;
            if (code >= 2 && code <= 4) return placing ? 22 : 23;
            return code;
        }
        if (code == 2 || code == 4) return 21;
        if (code == 1 || code == 3) return otherSide ? 21 : 20;
        return code;
    }
    if (bare || StartFeed(data)) {
        if (code == 1 || code == 3) return 20;
        if (code == 2 || code == 4) return 21;
        return code;
    }
    if (code == 3 || code == 4) return 23;
    if (code == 1 || code == 2) return otherSide ? 23 : 22;
    return code;
}

void SetArrayWidth(Drawing* drawing, DrawObject* array, BOOL makeSolid, int width)
{
    array->lineWidth = width < 1 ? 1 : width;
    if (drawing)
        drawing->defaults.defaultLineWidth = array->lineWidth;
    if (makeSolid)
        array->lineStyle = LineStyleSolid;
    RecalcArrayRects(drawing, array);
}

void SetArrayArrowheads(Drawing* drawing, DrawObject* array, const INT32* values)
{
    auto merge = [](INT32 stored, INT32 given) {
        for (int shift : {0, 8}) {
            const INT32 byte = (given >> shift) & 0xFF;
            if (byte != 0xFF)
                stored = (stored & ~(0xFF << shift)) | (byte << shift);
        }
        return stored;
    };
    array->arrowStart = merge(array->arrowStart, values[0]);
    array->arrowEnd = merge(array->arrowEnd, values[2]);
    DeriveArrowEnds(array);
    if (values[1] != -1)
        array->arrowSize = values[1];
    RecalcArrayRects(drawing, array);
}

// Message 10: the change across the trunk goes into the branch length, along it into the gap.
void ResizeArray(Drawing* drawing, ObjectList* objects, int row, const RECT* rect)
{
    DrawObject* array = AddressedObject(objects, row);
    ArrayRecord data(drawing, objects, row, array);
    if (data.error() || BeginRecordChange(data.block()))
        return;
    const int dW = (rect->right - rect->left) - (array->frame.right - array->frame.left);
    const int dH = (rect->bottom - rect->top) - (array->frame.bottom - array->frame.top);
    const bool both = (data->style & ArrayBothSides) != 0;
    int d = Vertical(array) ? dW : dH;
    if (d != 0) {
        if (both && data->memberCount > 1 && d > 1)
            d /= 2;
        data->branchLength = std::max(data->branchLength + d, 0);
    }
    const int e = Vertical(array) ? dH : dW;
    if (e != 0 && data->entryCount > 1) {
        const int n = both ? (data->memberCount - 1) / 2 : data->memberCount - 1;
        if (n != 0) {
            int s = e / n;
            if (s == 0) s = e > 0 ? 1 : -1;
            data->gap = std::max(data->gap + s, 0);
        }
    }
    MarkBlockDirty(data.block());
    HWND view = drawing ? drawing->viewWindow : nullptr;
    InvalidateLogicalRect(view, &array->updateRect);
    LayoutArray(drawing, objects, row);
    InvalidateLogicalRect(view, &AddressedObject(objects, row)->updateRect);
}

void GetArrayBounds(const DrawObject* array, const ArrayData& data, BOOL whole, RECT* rect)
{
    *rect = array->frame;
    if (whole)
        return;
    const bool vertical = Vertical(array);
    if (data.entryCount == 1 && !(data.style & ArrayChain)) {
        if (vertical)
            rect->top = rect->bottom = array->innerRect.top;
        else
            rect->left = rect->right = array->innerRect.left;
    } else if (vertical) {
        rect->left = array->axisCoord;
        rect->right = array->axisCoord + 1;
    } else {
        rect->top = array->axisCoord;
        rect->bottom = array->axisCoord + 1;
    }
}

void TrackArrayMove(HDC dc, const DrawObject* array, const ArrayData& data, const RECT* p)
{
    bool alongTop = Vertical(array);
    if (data.style & ArrayChain)
        alongTop = !alongTop;
    if (alongTop)
        DrawXorLine(dc, p->left, p->top, p->right, p->top, FALSE);
    else
        DrawXorLine(dc, p->left, p->top, p->left, p->bottom, FALSE);
}

}  // namespace

void RecalcArrayRects(Drawing* drawing, DrawObject* array)
{
    if (!drawing)
        return;
    HGLOBAL block = nullptr;
    if (LoadArrayData(drawing->header.slot, array, &block))
        return;
    {
        Locked<ArrayData> data(block);
        if (data)
            RecalcFromRecord(drawing, array, *data);
    }
    ReleaseBlock(block);
}

int InitArray(Drawing* drawing, ObjectList* objects, int row, int corner)
{
    DrawObject* array = AddressedObject(objects, row);
    const int slot = ClassStoreSlot(drawing, objects, row);
    int id = 0;
    if (int err = NextFreeRecordId(slot, kArrayRecordType, &id))
        return err;
    HGLOBAL block = nullptr;
    if (int err = AddRecord(slot, kArrayRecordType, id, ArrayRecordSize(0), &block))
        return err;

    const RECT f = array->frame;
    array->lineWidth = std::max(drawing->defaults.defaultLineWidth, 1);
    array->lineStyle = LineStyleSolid;
    array->lineColor = drawing->style.lineColor;
    array->dataType = kArrayRecordType;
    array->dataId = id;
    array->dataCount = 1;
    array->hookCapacity = 1;
    array->hookMask = 3;
    array->acceptMask = 3;
    array->classFlags = 0x10;
    array->innerRect = f;
    if (array->objType != LineVertical)
        array->objType = array->objType == 0 && f.bottom - f.top > f.right - f.left ? LineVertical : LineHorizontal;
    const bool vertical = Vertical(array);
    const int trunk = vertical ? f.bottom - f.top : f.right - f.left;

    const int mode = g_dragState.trackMode;
    if (mode == TrackCreateByDrag) {
        const int start = drawing->defaultArrowStart & kArrowKindMask;
        const int end = drawing->defaultArrowEnd & kArrowKindMask;
        const int k = start != 0 && end != 0 ? 0 : start != 0 ? start : end;
        if (k != 0) {
            int e = OppositeSide(corner);
            if (vertical && e == 2)
                e = 1;
            const bool atStart = e == 1 || e == 3;
            array->arrowStart = atStart ? k : 0;
            array->arrowEnd = atStart ? 0 : k;
        } else {
            array->arrowStart = drawing->defaultArrowStart;
            array->arrowEnd = drawing->defaultArrowEnd;
        }
    } else if (mode == TrackPlaceDragged) {
        array->arrowStart = drawing->defaultArrowStart;
        array->arrowEnd = drawing->defaultArrowEnd;
    }
    if (mode == TrackCreateByDrag || mode == TrackPlaceDragged) {
        array->arrowSize = drawing->defaultArrowSize;
        DeriveArrowEnds(array);
    }
    array->arrowSize = LimitArrowheadSize(array->arrowSize);
    if (vertical)
        array->axisCoord = corner == 2 || corner == 4 ? f.right : f.left;
    else
        array->axisCoord = corner < 3 || corner > 4 ? f.top : f.bottom;
    array->textMargins = RECT{0, 0, 0, 0};

    {
        Locked<ArrayData> data(block);
        if (!data) {
            ReleaseBlock(block);
            return ErrOutOfMemory;
        }
        data->style = ArrayChain;
        data->branchAngle = 0;
        data->branchLength = kFirstBranchLength;
        data->gap = kFirstGap;
        data->entryCount = 1;
        data->memberCount = 0;
        for (int i = 0; i < 3; ++i) {
            ArrayEntry& entry = (*data)[i];
            entry = ArrayEntry{};
            entry.memberId = kNoMember;
            entry.memberRow = kNoRow;
            entry.extent = i == 0 ? trunk : trunk / 2;
        }
    }
    MarkBlockDirty(block);
    ReleaseBlock(block);
    return LayoutArray(drawing, objects, row);
}

extern "C" LONG CALLBACK SED_ArrayHandler(HDC dc, Drawing* drawing, void* objects, int row, int message, int a,
                                          int b, void* p)
{
    switch (message) {
    case OM_GETCLASSFLAGS:
        return kArrayClassFlags;
    case OM_TRACKCREATE: {
        const POINT anchor = {static_cast<SHORT>(LOWORD(b)), static_cast<SHORT>(HIWORD(b))};
        if (p)
            TrackArray(dc, drawing, objects, -1, message, a, anchor, static_cast<const RECT*>(p));
        return 0;
    }
    default:
        break;
    }
    if (!objects)
        return 0;
    ObjectList* list = row >= 0 ? static_cast<ObjectList*>(objects) : nullptr;
    if (list && row >= list->count)
        return 0;
    // Arrays carry no text of their own.
    LONG shared = 0;
    if (AnswerSharedLineMessage(drawing, objects, row, message, a, b, p, false, &shared))
        return shared;
    DrawObject* array = AddressedObject(objects, row);
    const INT32* values = static_cast<const INT32*>(p);
    switch (message) {
    case OM_DRAW:
    case OM_DRAWSHADOW:
    case OM_DRAWSHADOWOFFSET:
        DrawArray(dc, message, drawing, objects, row, a, PointerArg<const ShadowPaint>(b));
        return 0;
    case OM_HITTEST:
        return p ? HitTestArray(drawing, objects, row, *static_cast<const POINT*>(p)) : 0;
    case OM_DRAWHANDLES:
        DrawArrayHandles(dc, drawing, objects, row);
        return 0;
    case OM_TRACKHANDLE: {
        const POINT anchor = {static_cast<SHORT>(LOWORD(b)), static_cast<SHORT>(HIWORD(b))};
        if (p)
            TrackArray(dc, drawing, objects, row, message, a, anchor, static_cast<const RECT*>(p));
        return 0;
    }
    case OM_TRACKMOVE: {
        if (!p)
            return 0;
        ArrayRecord data(drawing, objects, row, array);
        if (!data.error())
            TrackArrayMove(dc, array, *data, static_cast<const RECT*>(p));
        return 0;
    }
    case OM_DRAGHANDLE:
        if (p)
            DragArrayHandle(drawing, objects, row, a, static_cast<const RECT*>(p));
        return 0;
    case OM_SETFRAME:
        if (p && list)
            ResizeArray(drawing, list, row, static_cast<const RECT*>(p));
        return 0;
    case OM_INIT:
        // A creation that stops at a store error leaves the object as it was made.
        if (list)
            InitArray(drawing, list, row, a);
        return 0;
    case OM_SETARROWENDS:
        if (values && !Grouped(array)) {
            array->arrowEnds = values[1];
            array->arrowStart = (values[1] & kArrowEnd1) ? 1 : 0;
            array->arrowEnd = (values[1] & kArrowEnd2) ? 1 : 0;
            RecalcArrayRects(drawing, array);
        }
        return 0;
    case OM_SETANGLE:
    case OM_ROTATETO:
        RotationRefused = TRUE;
        return 0;
    case OM_OFFSET:
        array->axisCoord += Vertical(array) ? a : b;
        RecalcArrayRects(drawing, array);
        return 0;
    case OM_GETCAPS:
        return Grouped(array) ? kGroupedCapabilities : kCapabilities;
    case OM_REFRESHEFFECTS:
    case OM_RECALC:
        RecalcArrayRects(drawing, array);
        return 0;
    case OM_SETLINEWIDTH:
        if (values)
            SetArrayWidth(drawing, array, a, values[1]);
        return 0;
    case OM_SETLINESTYLE:
        if (values) {
            array->lineStyle = values[1];
            if (array->lineWidth != 1)
                SetArrayWidth(drawing, array, FALSE, 1);
            else
                RecalcArrayRects(drawing, array);
        }
        return 0;
    case OM_GETHOOKPOINTS:
        if (b && p)
            ArrayHookPoints(drawing, objects, row, PointerArg<INT32>(b), static_cast<POINT*>(p));
        return 0;
    case OM_MAPHOOKPOINT:
        if (p)
            MapArrayHookPoints(drawing, objects, row, a, static_cast<POINT*>(p));
        return 0;
    case OM_DRAWHOOKMARKS:
        if (p)
            DrawArrayHookMarks(dc, drawing, objects, row, a, static_cast<const POINT*>(p));
        return 0;
    case OM_GETSNAPPOINTS: {
        if (!b || !p)
            return 0;
        INT32* count = PointerArg<INT32>(b);
        POINT* points = static_cast<POINT*>(p);
        ArrayRecord data(drawing, objects, row, array);
        if (data.error()) {
            *count = 0;
            return 0;
        }
        // Negative x names end 1 and end 2 for message 42.
        points[0] = POINT{-1, 0};
        *count = 1;
        if (data->entryCount > 1 || (data->style & ArrayChain)) {
            points[1] = POINT{-2, 0};
            const bool centreFeed = (data->style & ArrayCentreFeed) && !(data->style & ArrayBothSides);
            *count = centreFeed ? 1 : 2;
        }
        return 0;
    }
    case OM_HANDLETOEND: {
        ArrayRecord data(drawing, objects, row, array);
        if (data.error())
            return 0;
        const int code = EndHandleCode(array, *data, a);
        if (p)
            *static_cast<INT32*>(p) = code;
        return code;
    }
    case OM_GETPOINTPOS: {
        if (!p)
            return 0;
        int code = a;
        {
            ArrayRecord data(drawing, objects, row, array);
            if (!data.error())
                code = EndHandleCode(array, *data, a);
        }
        if (code != a && array->hookCount > 0)
            array->hooks[0].holderCode = code;
        RECT rects[6];
        int codes[6], count = 0;
        ArrayHandleRects(drawing, array, rects, codes, &count);
        count = std::clamp(count, 0, 6);
        int chosen = -1;
        for (int i = 0; i < count && chosen < 0; ++i)
            if (codes[i] == code) chosen = i;
        if (chosen < 0)
            chosen = Vertical(array) ? 1 : 0;
        if (chosen < count)
            *static_cast<POINT*>(p) = POINT{rects[chosen].left + 30, rects[chosen].top + 30};
        return 0;
    }
    case OM_MOVEHANDLERECT:
        if (b && p)
            MoveLineHandleRect(array, a, PointerArg<POINT>(b), static_cast<RECT*>(p));
        return 0;
    case OM_GETSIZE:
        if (p)
            *static_cast<POINT*>(p) = POINT{array->innerRect.right - array->innerRect.left,
                                            array->innerRect.bottom - array->innerRect.top};
        return 0;
    case OM_GETBOUNDS:
    case OM_GETEXTENT: {
        if (!p)
            return 0;
        ArrayRecord data(drawing, objects, row, array);
        if (!data.error())
            GetArrayBounds(array, *data, b, static_cast<RECT*>(p));
        return 0;
    }
    case OM_FLIP:
        return list ? FlipArray(drawing, list, row, a) : 0;
    case OM_ENDSIDE:
        return b && p ? LineEndSide(array, PointerArg<const POINT>(b), static_cast<const POINT*>(p)) : 0;
    case OM_SETARROWHEADS:
        if (values && !Grouped(array))
            SetArrayArrowheads(drawing, array, values);
        return 0;
    case OM_GETFRAME:
        if (p)
            GetLineFrame(array, static_cast<RECT*>(p));
        return 0;
    case OM_MEMBER:
        return list ? ArrayMemberMessage(drawing, list, row, a, b, static_cast<int>(reinterpret_cast<INT_PTR>(p)))
                    : 0;
    case OM_MEMBERSIDE: {
        INT32* count = static_cast<INT32*>(p);
        if (!count || *count <= 2)
            return 0;
        ArrayRecord data(drawing, objects, row, array);
        if (data.error())
            return 0;
        *count = 1;
        return ArraySideCode(array, data->style, b);
    }
    case OM_SPACING: {
        if (!p)
            return 0;
        ArrayRecord data(drawing, objects, row, array);
        INT32 spacing = 0;
        if (!data.error() && data->entryCount > 0)
            spacing = (*data)[data->entryCount < 2 ? 0 : 1].extent;
        *static_cast<INT32*>(p) = spacing;
        return 0;
    }
    case OM_SETARRAYSTYLE:
        if (list && values)
            SetArrayStyle(drawing, list, row, values);
        return 0;
    default:
        return 0;
    }
}
