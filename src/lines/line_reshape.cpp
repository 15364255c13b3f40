// Changes to a straight line other than moving and rotating it.
#include "lines/line_reshape.h"

#include <cmath>
#include <utility>

#include "editing/edit_services.h"
#include "geometry/line_direction.h"
#include "geometry/point_geometry.h"
#include "geometry/real_math.h"
#include "lines/arrowheads.h"
#include "lines/connector_class.h"
#include "lines/connector_types.h"
#include "lines/dimension_label.h"
#include "lines/line_class.h"
#include "lines/line_geometry.h"
#include "lines/line_shape.h"
#include "lines/line_tracking.h"
#include "model/class_protocol.h"
#include "model/invalidate.h"
#include "model/links.h"

double g_lastArcParam = 0.0;

namespace {

constexpr int kShowsLength = 0x40;        // classFlags: the line carries its length label
constexpr double kFirstArcBulge = 180.0;
constexpr double kFirstFigureShare = 0.25;
constexpr double kMinFigureShare = 0.1;
constexpr double kMaxFigureShare = 0.5;
constexpr double kFigureLineCap = 1200.0; // the figure stops growing beyond this much line
constexpr int kConversionOffset = 300;    // cross extent a line gets as an elbow connector

// The attached label of a line, looked up before a change so that it can follow the line.
struct LabelPartner {
    int row = -1;
    int angle = 0;
};

LabelPartner FindLabelPartner(ObjectList* list, int row, const DrawObject* line)
{
    LabelPartner partner;
    if (!list || row < 0 || line->labelId == kNoLabel || (line->state & StateAttachedLabel))
        return partner;
    const int found = FindObjectById(list, line->labelId, line->labelRow);
    if (found < 0 || found == row)
        return partner;
    partner.row = found;
    partner.angle = LineLabelAngle(line);
    return partner;
}

// The label turns with the line; when the ends traded places its anchor moves to the mirrored
// corner, so that it stays at the same end of the line.
void FollowLabelPartner(Drawing* drawing, ObjectList* list, const DrawObject* line,
                        const LabelPartner& partner, bool exchanged)
{
    if (partner.row < 0)
        return;
    DrawObject& label = (*list)[partner.row];
    const int angle = LineLabelAngle(line);
    if (angle != partner.angle && (label.state & StateAttachedLabel)) {
        HWND view = drawing ? drawing->viewWindow : nullptr;
        InvalidateLogicalRect(view, &(*list)[partner.row].updateRect);
        SendClassMessage(nullptr, drawing, list, partner.row, OM_SETANGLE, angle);
        InvalidateLogicalRect(view, &(*list)[partner.row].updateRect);
    }
    if (!exchanged || HookSlotsInUse(label) < 1)
        return;
    HookEntry& hook = label.hooks[0];
    int code = hook.holderCode;
    switch (code) {
    case 201: code = 202; break;
    case 202: code = 201; break;
    case 203: code = 204; break;
    case 204: code = 203; break;
    case 207: code = 208; break;
    case 208: code = 207; break;
    default: return;
    }
    hook.holderCode = code;
    // The odd codes lie at end 1 of the line, the even ones at end 2.
    const int at = code % 2 == 0 ? 600 : 0;
    hook.attachX = at;
    hook.attachY = at;
}

int TruncatedLength(const RECT& r)
{
    const double dx = double(r.right) - r.left, dy = double(r.bottom) - r.top;
    return TruncReal(std::sqrt(dx * dx + dy * dy));
}

bool SameLeftTop(const RECT& a, const RECT& b) { return a.left == b.left && a.top == b.top; }
bool SameRightBottom(const RECT& a, const RECT& b)
{
    return a.right == b.right && a.bottom == b.bottom;
}

// Whether end 1 and end 2 trade places when the line with the old ends box `o`, orientation
// `t` and rising flag `wasRising` takes the rect `r` in orientation `n`, the fixed end at
// corner `f`.
bool EndsExchange(int n, int t, bool wasRising, const RECT& o, const RECT& r, int f)
{
    if (n == LineHorizontal) {
        if (t == LineVertical)
            return !(SameLeftTop(o, r) || SameRightBottom(o, r));
        if (f == 2 || f == 4)
            return o.right != r.right;
        return (f == 1 || f == 3) && o.left != r.left;
    }
    if (n == LineVertical) {
        if (t == LineHorizontal)
            return !(SameLeftTop(o, r) || SameRightBottom(o, r));
        if (t == LineSlanted && wasRising)
            return true;
        if (f == 1 || f == 2)
            return o.top != r.top;
        return (f == 3 || f == 4) && o.bottom != r.bottom;
    }
    if (t == LineVertical) {
        bool exchange = f == 2 || f == 3;
        if (o.top == r.bottom || o.bottom == r.top)
            exchange = !exchange;
        return exchange;
    }
    if (f == 2 || f == 4)
        return o.right != r.right;
    return (f == 1 || f == 3) && o.left != r.left;
}

// The signed distance of `point` from the line toward the side of extra handle `code`.
int HandleDistance(const DrawObject* line, int code, POINT point, bool* noLength)
{
    const int c0 = line->axisCoord;
    const RECT& f = line->frame;
    *noLength = false;
    switch (code) {
    case 62: return c0 - point.y;
    case 63: return point.y - c0;
    case 60: return line->lineShape == LineArc ? c0 - point.x : point.x - c0;
    case 61: return c0 - point.x;
    case 64: case 65: case 66: case 67: break;
    default: return 0;
    }
    const double dx = double(f.right) - f.left, dy = double(f.bottom) - f.top;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length == 0) {
        *noLength = true;
        return 0;
    }
    const double sn = dy / length, cs = dx / length;
    const double px = double(point.x) - f.left;
    // Toward the upper side for the first handle, the lower side for the second.
    int upper;
    if (IsLineRising(line))
        upper = TruncReal(cs * (double(f.bottom) - point.y)) - TruncReal(sn * px);
    else
        upper = TruncReal(sn * px) - TruncReal(cs * (double(point.y) - f.top));
    return code == 64 || code == 66 ? upper : -upper;
}

}  // namespace

void ReshapeStraightLine(Drawing* drawing, void* objects, int row, int corner, const RECT* rect)
{
    if (!objects || !rect)
        return;
    ObjectList* list = row >= 0 ? static_cast<ObjectList*>(objects) : nullptr;
    DrawObject* line = AddressedObject(objects, row);
    const LabelPartner partner = FindLabelPartner(list, row, line);
    const bool drag = corner != 0;
    const int t = LineOrientationOf(line);
    const bool wasRising = IsLineRising(line);
    RECT r = *rect;
    // The frame is kept normalised whatever the caller passes.
    if (r.right < r.left) std::swap(r.left, r.right);
    if (r.bottom < r.top) std::swap(r.top, r.bottom);

    int f = corner;
    if (f == HandleBottomMiddle || f == HandleRightMiddle)
        f = HandleRightBottom;
    else if (f == HandleTopMiddle || f == HandleLeftMiddle)
        f = HandleLeftTop;
    if (drag) {
        if (line->lineShape == LineArc &&
            ArcBulgeFlips(line, SidePointOfRect(r, f), SidePointOfRect(r, OppositeSide(f))))
            line->param = -line->param;
    } else {
        // A new frame keeps a horizontal or vertical line on its line coordinate.
        if (t == LineHorizontal)
            r.top = r.bottom = line->axisCoord;
        else if (t == LineVertical)
            r.left = r.right = line->axisCoord;
        f = t == LineSlanted && wasRising ? HandleLeftBottom : HandleLeftTop;
    }

    const bool twoHooks = HookSlotsInUse(*line) >= 2;
    const int mode = twoHooks ? 0 : LineDirectionMode(drawing);
    const int o = ClassifyLineDirection(r.left, r.top, r.right, r.bottom, mode);
    if (o == LineHorizontal) {
        if (!twoHooks && r.right - r.left < kLineMinLength)
            r.right = r.left + kLineMinLength;
        r.bottom = r.top;
    } else if (o == LineVertical) {
        if (!twoHooks && r.bottom - r.top < kLineMinLength)
            r.bottom = r.top + kLineMinLength;
        r.right = r.left;
    } else if (!twoHooks && r.right - r.left < kLineMinLength &&
               r.bottom - r.top < kLineMinLength) {
        if (r.right - r.left < r.bottom - r.top)
            r.bottom = r.top + kLineMinLength;
        else
            r.right = r.left + kLineMinLength;
    }

    const RECT old = LineEndsRect(line);
    line->frame = line->updateRect = line->innerRect = line->textRect = r;
    const int n = ClassifyLineDirection(r.left, r.top, r.right, r.bottom, mode);
    line->objType = n;
    if (n == LineHorizontal)
        line->axisCoord = f == 3 || f == 4 ? r.bottom : r.top;
    else if (n == LineVertical)
        line->axisCoord = f == 2 || f == 4 ? r.right : r.left;
    const bool exchange = drag && EndsExchange(n, t, wasRising, old, r, f);
    if (exchange)
        ExchangeLineEnds(line);
    DeriveArrowEnds(line);
    if (drag) {
        if (n == LineSlanted && (f == 2 || f == 3))
            line->state |= StateRising;
        else
            line->state &= ~StateRising;
    }
    RecalcLineBounds(drawing, line);
    FollowLabelPartner(drawing, list, line, partner, exchange);
    if (list && (line->classFlags & kShowsLength) && TruncatedLength(old) != TruncatedLength(r))
        UpdateDimensionLabel(drawing, list, row, -1);
}

void FlipStraightLine(Drawing* drawing, void* objects, int row, int flags)
{
    if (!objects)
        return;
    ObjectList* list = row >= 0 ? static_cast<ObjectList*>(objects) : nullptr;
    DrawObject* line = AddressedObject(objects, row);
    const LabelPartner partner = FindLabelPartner(list, row, line);
    const bool arc = line->lineShape == LineArc;
    const int orientation = LineOrientationOf(line);
    // A flip along the line only turns an arc's bulge over.
    const int alongFlip = orientation == LineHorizontal ? FlipVertical : orientation == LineVertical ? FlipHorizontal : 0;
    if (alongFlip && (flags & alongFlip)) {
        if (arc) {
            line->param = -line->param;
            RecalcLineBounds(drawing, line);
        }
        return;
    }
    bool exchange = true;
    if (orientation == LineSlanted) {
        line->state ^= StateRising;
        line->savedState ^= StateRising;
        if (flags & FlipVertical) {
            if (arc)
                line->param = -line->param;
            exchange = false;
        }
    }
    if (exchange)
        ExchangeLineEnds(line);
    DeriveArrowEnds(line);
    RecalcLineBounds(drawing, line);
    FollowLabelPartner(drawing, list, line, partner, exchange);
}

void SetLineWidth(Drawing* drawing, DrawObject* line, BOOL makeSolid, int width)
{
    // A width is at least one unit.
    const int w = width < 1 ? 1 : width;
    line->lineWidth = w;
    if (drawing)
        drawing->defaults.defaultLineWidth = w;
    if (makeSolid)
        line->lineStyle = LineStyleSolid;
    RecalcLineBounds(drawing, line);
}

void SetLineStyle(Drawing* drawing, DrawObject* line, int style)
{
    line->lineStyle = style;
    if (line->lineWidth != 1)
        SetLineWidth(drawing, line, FALSE, 1);
    else
        RecalcLineBounds(drawing, line);
}

void SetLineArrowEnds(Drawing* drawing, DrawObject* line, int ends)
{
    if (line->groupRow >= 0)
        return;
    line->arrowEnds = ends;
    line->arrowStart = (ends & kArrowEnd1) ? 1 : 0;
    line->arrowEnd = (ends & kArrowEnd2) ? 1 : 0;
    RecalcLineBounds(drawing, line);
}

INT32 MergeArrowheadWord(INT32 stored, INT32 given)
{
    DWORD word = static_cast<DWORD>(stored);
    const DWORD g = static_cast<DWORD>(given);
    if ((g & 0xFF) != 0xFF)
        word = (word & 0xFF00) | (g & 0xFF);
    if ((g & 0xFF00) != 0xFF00)
        word = (word & 0xFF) | (g & 0xFF00);
    return static_cast<INT32>(word);
}

namespace {

// One field of the attribute summary: -2 not set yet, -1 mixed.
template <typename T>
void MergeField(T& summary, T value)
{
    if (summary == static_cast<T>(-2))
        summary = value;
    else if (summary != value)
        summary = static_cast<T>(-1);
}

INT32 MergeArrowheadSummary(INT32 summary, INT32 value)
{
    if (summary == -2)
        return value;
    DWORD word = static_cast<DWORD>(summary);
    const DWORD v = static_cast<DWORD>(value);
    if ((word & 0xFF) != (v & 0xFF))
        word = (word & 0xFF00) | 0xFF;
    if ((word & 0xFF00) != (v & 0xFF00))
        word = (word & 0xFF) | 0xFF00;
    return static_cast<INT32>(word);
}

}  // namespace

void SetLineArrowheads(Drawing* drawing, DrawObject* line, const INT32* values)
{
    if (line->groupRow >= 0)
        return;
    line->arrowStart = MergeArrowheadWord(line->arrowStart, values[0]);
    line->arrowEnd = MergeArrowheadWord(line->arrowEnd, values[2]);
    DeriveArrowEnds(line);
    if (values[1] != -1)
        line->arrowSize = values[1];
    RecalcLineBounds(drawing, line);
}

void MergeLineAttributes(DrawObject* summary, const DrawObject* line)
{
    MergeField(summary->lineWidth, line->lineWidth);
    MergeField(summary->lineStyle, line->lineStyle);
    MergeField(summary->lineColor, line->lineColor);
    MergeField(summary->arrowSize, line->arrowSize);
    summary->arrowStart = MergeArrowheadSummary(summary->arrowStart, line->arrowStart);
    summary->arrowEnd = MergeArrowheadSummary(summary->arrowEnd, line->arrowEnd);
    if (line->objClass == ClassLine)
        MergeField(summary->lineShape, line->lineShape);
    if (line->options & OptShadowHidden)
        summary->options |= OptShadowHidden;
}

double LineShapeParamFromPoint(Drawing* drawing, const DrawObject* line, int code, POINT point)
{
    const bool figure = line->lineShape == LineZigzag || line->lineShape == LineSteps;
    if (!figure && line->lineShape != LineArc)
        return kFirstFigureShare;
    bool noLength = false;
    const int d = HandleDistance(line, code, point, &noLength);
    if (noLength)
        return kFirstFigureShare;
    if (line->lineShape == LineArc) {
        double param = d;
        POINT points[kLinePathPoints];
        int count = 0, kind = 0;
        BuildLineShapePath(line, &line->frame, line->axisCoord, param, line->lineWidth + 24,
                           points, &count, &kind, TRUE, nullptr);
        if (drawing && kind == LinePathPolyline) {
            for (int i = 0; i < count; ++i) {
                const POINT& p = points[i];
                if (p.x < 0 || p.x > drawing->pageWidth || p.y < 0 || p.y > drawing->pageHeight) {
                    param = g_lastArcParam;
                    break;
                }
            }
        }
        g_lastArcParam = param;
        return param;
    }
    const double length = LineLength(line);
    // A line without length has no share to give: the figure stays as it is.
    if (!(length > 0))
        return SaneLineParam(line->param, kFirstFigureShare);
    const double along = length < kFigureLineCap ? length : kFigureLineCap;
    double share = 2.0 * (d < 0 ? 0 : d) / along;
    if (share < kMinFigureShare)
        share = kMinFigureShare;
    if (share > kMaxFigureShare)
        share = kMaxFigureShare;
    return share;
}

void TrackLineShapeParam(HDC dc, Drawing* drawing, const DrawObject* line, int code, POINT point)
{
    const double param = LineShapeParamFromPoint(drawing, line, code, point);
    if (!dc)
        return;
    POINT points[kLinePathPoints];
    int count = 0, kind = 0;
    BuildLineShapePath(line, &line->frame, line->axisCoord, param, 0, points, &count, &kind, FALSE,
                       nullptr);
    if (line->lineShape == LineArc) {
        XorLineShapePath(dc, points, count, FALSE, kind);
        return;
    }
    for (int i = 0; i + 1 < count; ++i)
        DrawXorLine(dc, points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, FALSE);
}

void SetLineShapeParam(Drawing* drawing, DrawObject* line, int code, POINT point)
{
    const double param = LineShapeParamFromPoint(drawing, line, code, point);
    if (param >= 0 || line->lineShape == LineArc)
        line->param = param;
    RecalcLineBounds(drawing, line);
}

int ApplyLineType(Drawing* drawing, void* objects, int row, int typeCode)
{
    if (!objects)
        return 0;
    DrawObject* line = AddressedObject(objects, row);
    const int kind = typeCode & LineTypeKindMask;
    if (kind == LineTypeSquare || kind == LineTypeCurved) {
        if (LineOrientationOf(line) == LineHorizontal)
            line->frame.bottom += kConversionOffset;
        else if (LineOrientationOf(line) == LineVertical)
            line->frame.right += kConversionOffset;
        line->objClass = ClassConnector;
        line->objType = kind == LineTypeSquare ? ConnectorSquare : ConnectorCurved;
        if (int err = CreateConnectorPath(drawing, line))
            return err;
        return ApplyConnectorLineType(drawing, objects, row, typeCode, 0);
    }
    if (typeCode < 1 || typeCode > 4)
        return 0;
    const int shape = typeCode - 1;
    if (shape == LineArc) {
        if (line->lineShape != LineArc)
            line->param = kFirstArcBulge;
    } else if (shape == LineZigzag || shape == LineSteps) {
        if (!(line->param >= kMinFigureShare && line->param <= kMaxFigureShare))
            line->param = kFirstFigureShare;
    }
    line->lineShape = shape;
    RecalcLineBounds(drawing, line);
    if (drawing)
        MarkLinksChanged(drawing, line->objId, LinkChanged | LinkRefit, line->groupId,
                         line->groupRow);
    return 0;
}

void SetLineGeometryFromOutline(Drawing* drawing, DrawObject* line, int vertex,
                                const OutlinePointBlock* block)
{
    // The index comes with the message and the count from a stored record.
    if (!block || vertex < 0 || vertex >= block->count)
        return;
    const OutlineVertex& v = reinterpret_cast<const OutlineVertex*>(block + 1)[vertex];
    line->lineShape = v.lineShape;
    line->param = SaneLineParam(v.param, v.lineShape == LineArc ? kFirstArcBulge : kFirstFigureShare);
    RecalcLineBounds(drawing, line);
}
