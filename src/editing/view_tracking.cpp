// The tracking loop of a drag.
#include "editing/view_tracking.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "documents/document_state.h"
#include "editing/drag_out.h"
#include "editing/drag_setup.h"
#include "editing/drag_state.h"
#include "editing/guide_lines.h"
#include "editing/hit_test.h"
#include "editing/hook_targets.h"
#include "frame/frame_services.h"
#include "geometry/point_geometry.h"
#include "libraries/library_services.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/move_set.h"
#include "model/window_utils.h"
#include "resource.h"

int g_shapeSnapOption = 1;

namespace {

constexpr int kOutsideMargin = 20;
constexpr int kMinScrollStep = 16;
constexpr int kMaxScrollStep = 240;
constexpr int kHidingOvershoot = 241;
constexpr int kRulerBand = 25;
constexpr int kMinAspectHeight = 60;
constexpr LONG kMaxCoordinate = 32000;
constexpr double kPi = 3.1415926535;
constexpr double kTwoPi = 6.283185307;
// A cosine or sine this small counts as 0: its quotient would not fit the drawing.
constexpr double kTinyDivisor = 1e-9;

bool KeyHeld(int key) { return GetKeyState(key) < 0; }

bool MouseMessageWaits(HWND view)
{
    MSG msg;
    return PeekMessageA(&msg, view, WM_MOUSEMOVE, WM_MBUTTONDBLCLK, PM_NOREMOVE | PM_NOYIELD) != 0;
}

// The cursor beyond the frame window's client area grown by 20 pixels.
bool CursorOutsideFrame(HWND view, POINT device)
{
    if (!g_frameWindow || !IsWindow(g_frameWindow)) return false;
    RECT client;
    GetClientRect(g_frameWindow, &client);
    MapWindowPoints(g_frameWindow, nullptr, reinterpret_cast<POINT*>(&client), 2);
    InflateRect(&client, kOutsideMargin, kOutsideMargin);
    POINT screen = device;
    ClientToScreen(view, &screen);
    return !PtInRect(&client, screen);
}

RECT Normalized(POINT a, POINT b)
{
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

bool SamePoint(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

// The frame a resize or rotation of the drag's target turns about: the group's or the object's.
bool TargetFrame(GroupTable* groups, ObjectList* objects, RECT* frame)
{
    const DragState& s = g_dragState;
    if (s.hitClass == -1) {
        if (!groups || s.target < 0 || s.target >= groups->count) return false;
        *frame = (*groups)[s.target].frame;
        return true;
    }
    if (!objects || s.target < 0 || s.target >= objects->count) return false;
    *frame = (*objects)[s.target].frame;
    return true;
}

void Corners(const RECT& r, POINT* out)
{
    out[0] = {r.left, r.top};
    out[1] = {r.right, r.top};
    out[2] = {r.right, r.bottom};
    out[3] = {r.left, r.bottom};
}

// trunc(d / divisor), 0 for a divisor counted as 0, and never beyond `bound` either way.
int BoundedQuotient(int d, double divisor, int bound)
{
    if (std::fabs(divisor) < kTinyDivisor) return 0;
    const double q = d / divisor;
    if (q > bound) return bound;
    if (q < -bound) return -bound;
    return static_cast<int>(q);
}

// A v of the correction, signed by how the corner moved against the base frame's.
void ApplyCorrection(int* component, int v, LONG moved, LONG base)
{
    if (moved < base) v = std::abs(v);
    else if (moved > base) v = -std::abs(v);
    if (v > 0 && v > *component) *component = v;
    if (v < 0 && v < *component) *component = v;
}

double LimitedAsin(double x) { return std::asin(std::max(-1.0, std::min(1.0, x))); }

void SetTrackingDC(HWND view, HDC dc)
{
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SelectObject(dc, GetGuideBrush(view));
}

// Moves the drag's last point and feedback so that the reference point of `ref` lands on the grid.
void SnapReference(Drawing* drawing, int zoom, const RECT& ref, int mode, int baselineOffset)
{
    DragState& s = g_dragState;
    POINT p;
    if (mode == 1) {
        p.x = (ref.left + ref.right) / 2;
        p.y = baselineOffset ? ref.top + baselineOffset : (ref.top + ref.bottom) / 2;
    } else {
        p = {ref.left, ref.top + baselineOffset};
    }
    POINT snapped = p;
    SnapPointToGrid(drawing, &snapped, zoom);
    const int dx = snapped.x - p.x, dy = snapped.y - p.y;
    s.lastPoint.x += dx;
    s.lastPoint.y += dy;
    OffsetRect(&s.trackRect, dx, dy);
}

void SnapMove(Drawing* drawing, int zoom)
{
    DragState& s = g_dragState;
    Locked<ObjectList> objects(drawing->objectList);
    Locked<GroupTable> groups(drawing->groupTable);
    if (!objects || s.target < 0 || s.target >= objects->count) return;
    INT32 mode = g_shapeSnapOption;
    SendClassMessage(nullptr, drawing, objects.get(), s.target, OM_NOP, 0, 0, &mode);
    const DrawObject& o = (*objects)[s.target];
    RECT ref = s.trackRect;
    const bool grouped = groups && GroupOfObject(groups.get(), o) >= 0;
    if (!(grouped && mode != 1) && s.moveSet && s.moveSet->count >= 2) {
        ref = o.frame;
        SendClassMessage(nullptr, drawing, objects.get(), s.target, OM_GETBOUNDS, 0, 0, &ref);
        OffsetRect(&ref, s.lastPoint.x - s.anchor.x, s.lastPoint.y - s.anchor.y);
    }
    SnapReference(drawing, zoom, ref, mode, s.textBaselineOffset);
}

// Step 8b: the point kept inside the drag's limits; the answer is how far it was pulled back.
int ClampIntoLimits(POINT* p, GroupTable* groups, ObjectList* objects)
{
    DragState& s = g_dragState;
    const RECT& l = s.limitsRect;
    int overshoot = 0;
    if (p->x < l.left) {
        overshoot = l.left - p->x;
        p->x = l.left;
    } else if (p->x > l.right) {
        overshoot = p->x - s.trackRect.right;
        p->x = l.right;
    }
    if (p->y < l.top) {
        overshoot = std::max(overshoot, static_cast<int>(l.top - p->y));
        p->y = l.top;
    } else if (p->y > l.bottom) {
        overshoot = std::max(overshoot, static_cast<int>(p->y - s.trackRect.bottom));
        p->y = l.bottom;
    }
    if (s.objectAngle != 0) CorrectRotatedResize(groups, objects, p);
    return overshoot;
}

// Step 8g: the new feedback of the drag by its mode; false when the drag shows none this time.
bool NewFeedback(HWND view, HDC dc, Drawing* drawing, const DocumentState* state, POINT p, bool found)
{
    DragState& s = g_dragState;
    const bool snapping = (drawing->drawingFlags & DrawSnap) && !found;
    switch (s.trackMode) {
    case TrackRubberBand:
        s.trackRect = Normalized(s.anchor, p);
        s.lastPoint = p;
        break;
    case TrackCreateByDrag:
    case TrackResize: {
        Locked<ObjectList> objects(drawing->objectList);
        Locked<GroupTable> groups(drawing->groupTable);
        RECT frame;
        if (s.trackMode == TrackResize && s.objectAngle != 0 && TargetFrame(groups.get(), objects.get(), &frame))
            RotatePoints(&frame, -s.objectAngle, &p, 1);
        if (s.axisLock == 1) p.y = s.secondPoint.y;
        if (s.axisLock == 2) p.x = s.secondPoint.x;
        s.trackRect = Normalized(s.anchor, p);
        if (s.keepAspect || (s.trackMode == TrackResize && KeyHeld(VK_SHIFT)))
            ConstrainToAspect(&s.trackRect, s.anchor, &p);
        else if (KeyHeld(VK_CONTROL))
            ConstrainToSquare(&s.trackRect, s.anchor, &p);
        s.lastPoint = p;
        break;
    }
    case TrackMove:
        if (s.clickPending) {
            if (static_cast<LONG>(g_pressTimeSource() - s.clickDeadline) <= 0) return false;
            s.clickPending = 0;
            SetCursorByIndex(CursorMove);
        }
        if (TrackDragOverLibraries(view, TRUE)) return false;
        OffsetRect(&s.trackRect, p.x - s.lastPoint.x, p.y - s.lastPoint.y);
        s.lastPoint = p;
        if (snapping) SnapMove(drawing, state->zoom);
        if (KeyHeld(VK_SHIFT)) {
            int dx = 0, dy = 0;
            if (std::abs(s.lastPoint.y - s.anchor.y) >= std::abs(s.lastPoint.x - s.anchor.x))
                dx = s.anchor.x - s.lastPoint.x;
            else
                dy = s.anchor.y - s.lastPoint.y;
            s.lastPoint.x += dx;
            s.lastPoint.y += dy;
            OffsetRect(&s.trackRect, dx, dy);
        }
        break;
    case TrackPlaceDragged:
        if (TrackDragOverLibraries(view, TRUE)) return false;
        OffsetRect(&s.trackRect, p.x - s.lastPoint.x, p.y - s.lastPoint.y);
        s.lastPoint = p;
        if (snapping) SnapReference(drawing, state->zoom, s.trackRect, g_shapeSnapOption, 0);
        break;
    case TrackAdjust:
        OffsetRect(&s.trackRect, p.x - s.lastPoint.x, p.y - s.lastPoint.y);
        s.lastPoint = p;
        break;
    case TrackRotate:
        s.trackRect = Normalized(s.anchor, p);
        s.lastPoint = p;
        break;
    default:
        s.lastPoint = p;
        break;
    }
    DrawTrackFeedback(view, dc, drawing, state);
    return true;
}

// Step 8f: one autoscroll step; the step of a bar whose position reached an end becomes 0.
void ScrollStep(HWND view, Drawing* drawing, int* dx, int* dy)
{
    DragState& s = g_dragState;
    ClearDragHookMarks(drawing, FALSE);
    DrawObject* hidden = nullptr;
    Locked<ObjectList> objects(drawing->objectList);
    if ((s.trackMode == TrackResize || s.trackMode == TrackAdjust) && s.hitClass != -1 && objects &&
        s.target >= 0 && s.target < objects->count && ((*objects)[s.target].state & StateHiddenWhileDragged)) {
        hidden = &(*objects)[s.target];
        hidden->state |= StateTextEditing;
    }
    const struct {
        int* step;
        UINT message;
        int bar;
    } bars[] = {{dx, WM_HSCROLL, SB_HORZ}, {dy, WM_VSCROLL, SB_VERT}};
    for (const auto& b : bars) {
        if (!*b.step) continue;
        SendMessageA(view, b.message, MAKEWPARAM(99, static_cast<WORD>(*b.step)), 0);
        int minimum = 0, maximum = 0;
        GetScrollRangeCompat(view, b.bar, &minimum, &maximum);
        const int position = GetScrollPos(view, b.bar);
        if (position <= minimum || position >= maximum) *b.step = 0;
    }
    if (hidden) hidden->state &= ~static_cast<DWORD>(StateTextEditing);
}

}  // namespace

HDC GetTrackingDC(HWND view)
{
    HDC dc = GetDC(view);
    if (dc) SetTrackingDC(view, dc);
    return dc;
}

void DrawTrackFeedback(HWND view, HDC dc, Drawing* drawing, const DocumentState* state)
{
    const DragState& s = g_dragState;
    switch (s.trackMode) {
    case TrackRubberBand:
        DrawInvertedFrame(dc, s.trackRect);
        break;
    case TrackCreateByDrag:
    case TrackResize:
    case TrackRotate:
        DrawDragFeedback(dc, drawing, s.target, s.hitCode, s.subtype, &s.trackRect, s.anchor);
        break;
    case TrackMove:
    case TrackPlaceDragged:
    case TrackAdjust:
        DrawDragFeedback(dc, drawing, s.target, s.hitCode, s.subtype, &s.trackRect, s.secondPoint);
        break;
    case TrackVerticalGuide:
    case TrackHorizontalGuide:
    case TrackBothGuides:
        DrawGuidePair(view, dc, state, s.trackMode, s.lastPoint);
        break;
    default:
        break;
    }
}

void ConstrainToAspect(RECT* rect, POINT anchor, POINT* point)
{
    const DragState& s = g_dragState;
    const double ratio = s.aspectRatio;
    if (rect->right == rect->left || rect->bottom == rect->top) return;
    // A ratio from a flat frame (0 or infinite) keeps nothing.
    if (!(ratio > 0.0) || !std::isfinite(ratio)) return;
    POINT& p = *point;
    const int w = std::abs(anchor.x - p.x);
    int h = std::abs(anchor.y - p.y);
    if (h < kMinAspectHeight) {
        h = kMinAspectHeight;
        p.y = p.y < anchor.y ? anchor.y - h : anchor.y + h;
    }
    const int e = static_cast<int>(std::min(h * ratio, 2.0 * kMaxCoordinate));
    if (w != e) {
        p.x = p.x < anchor.x ? anchor.x - e : anchor.x + e;
        const RECT& l = s.limitsRect;
        const LONG limit = p.x < l.left ? l.left : (p.x > l.right ? l.right : p.x);
        if (limit != p.x) {
            p.x = limit;
            const int shorter = static_cast<int>(std::abs(limit - anchor.x) / ratio);
            const int by = h - shorter;
            p.y += p.y < anchor.y ? by : -by;
        }
    }
    *rect = Normalized(anchor, p);
}

void ConstrainToSquare(RECT* rect, POINT anchor, POINT* point)
{
    const RECT& l = g_dragState.limitsRect;
    if (rect->right == rect->left || rect->bottom == rect->top) return;
    POINT& p = *point;
    const int w = std::abs(anchor.x - p.x), h = std::abs(anchor.y - p.y);
    if (h < w) {
        p.y += p.y < anchor.y ? -(w - h) : (w - h);
        p.y = std::max(l.top, std::min(l.bottom, p.y));
    } else if (w < h) {
        p.x += p.x < anchor.x ? -(h - w) : (h - w);
        p.x = std::max(l.left, std::min(l.right, p.x));
    }
    *rect = Normalized(anchor, p);
}

void ConstrainRotatedResize(GroupTable* groups, ObjectList* objects, RECT* rect, int x, int y, POINT* point)
{
    const DragState& s = g_dragState;
    POINT p = {x, y};
    RECT base;
    if (TargetFrame(groups, objects, &base)) RotatePoints(&base, -s.objectAngle, &p, 1);
    p.x = std::min(p.x, kMaxCoordinate);
    p.y = std::min(p.y, kMaxCoordinate);
    if (s.axisLock == 1) p.y = s.secondPoint.y;
    if (s.axisLock == 2) p.x = s.secondPoint.x;
    *rect = Normalized(s.anchor, p);
    if (s.keepAspect || KeyHeld(VK_SHIFT))
        ConstrainToAspect(rect, s.anchor, &p);
    else if (KeyHeld(VK_CONTROL))
        ConstrainToSquare(rect, s.anchor, &p);
    *point = p;
}

void CorrectRotatedResize(GroupTable* groups, ObjectList* objects, POINT* point)
{
    const DragState& s = g_dragState;
    RECT base;
    if (!TargetFrame(groups, objects, &base)) return;
    RECT r;
    POINT p;
    ConstrainRotatedResize(groups, objects, &r, point->x, point->y, &p);
    POINT turned[4], q[4], u[4];
    Corners(r, turned);
    Corners(r, q);
    Corners(base, u);
    RotatePoints(&base, s.objectAngle, turned, 4);
    const double a = s.objectAngle * kTwoPi / 3600;
    const double cosA = std::cos(a), sinA = std::sin(a);
    const RECT& l = s.limitsRect;
    const int bound = static_cast<int>(std::max(l.right, l.bottom));
    int cx = 0, cy = 0;
    for (int i = 0; i < 4; ++i) {
        const bool onSide = q[i].x == base.left || q[i].x == base.right;
        const bool onEnd = q[i].y == base.top || q[i].y == base.bottom;
        int d = turned[i].y < 0 ? -turned[i].y : (turned[i].y > l.bottom ? turned[i].y - l.bottom : 0);
        if (d > 0) {
            if (onSide) ApplyCorrection(&cy, BoundedQuotient(d, cosA, bound), q[i].y, u[i].y);
            else if (onEnd) ApplyCorrection(&cx, BoundedQuotient(d, sinA, bound), q[i].x, u[i].x);
        }
        d = turned[i].x < 0 ? -turned[i].x : (turned[i].x > l.right ? turned[i].x - l.right : 0);
        if (d > 0) {
            if (onEnd) ApplyCorrection(&cx, BoundedQuotient(d, cosA, bound), q[i].x, u[i].x);
            else if (onSide) ApplyCorrection(&cy, BoundedQuotient(d, sinA, bound), q[i].y, u[i].y);
        }
    }
    p.x += cx;
    p.y += cy;
    RotatePoints(&base, s.objectAngle, &p, 1);
    *point = p;
}

void LimitRotation(Drawing* drawing, ObjectList* objects, GroupTable* groups, int areaWidth, int areaHeight,
                   POINT* point)
{
    const DragState& s = g_dragState;
    RECT frame;
    if (!TargetFrame(groups, objects, &frame)) return;
    DrawObject temporary = {};
    if (s.hitClass == -1) temporary = GroupShapeRecord((*groups)[s.target]);
    const bool group = s.hitClass == -1;
    auto send = [&](int message, int a, int b, void* p) {
        return group ? SendStandaloneMessage(nullptr, drawing, &temporary, message, a, b, p)
                     : SendClassMessage(nullptr, drawing, objects, s.target, message, a, b, p);
    };
    const POINT c = {(frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2};
    POINT h = c;
    RECT handleRect = {};
    send(OM_EXTRAHANDLE, 2, static_cast<int>(reinterpret_cast<INT_PTR>(&h)), &handleRect);
    const double dxr = frame.right - c.x, dyr = frame.bottom - c.y;
    const double r = std::sqrt(dxr * dxr + dyr * dyr);
    RECT copy = frame;
    INT32 baseAngle = 0;
    send(OM_SPINERECT, 0, static_cast<int>(reinterpret_cast<INT_PTR>(&baseAngle)), &copy);
    int a = AngleFromDrag(c.x, c.y, h.x, h.y, point->x, point->y) + baseAngle;
    const int raw = a;
    if (a > 900) a = 1800 - a;
    else if (a < -900) a = -1800 - a;
    const int folded = a;
    if (r > 0.0) {
        const struct {
            double d;
            double half;
        } sides[] = {{static_cast<double>(c.y), static_cast<double>(c.y - copy.top)},
                     {static_cast<double>(areaHeight - c.y), static_cast<double>(c.y - copy.top)},
                     {static_cast<double>(c.x), static_cast<double>(c.x - copy.left)},
                     {static_cast<double>(areaWidth - c.x), static_cast<double>(c.x - copy.left)}};
        for (const auto& side : sides) {
            if (side.d >= r) continue;
            const double A = LimitedAsin(side.d / r), B = LimitedAsin(side.half / r);
            const int lo = static_cast<int>((A - B) * 1800 / kPi);
            int hi = 1800 - 2 * static_cast<int>(A * 1800 / kPi) + lo;
            if (hi > 900) hi = 1800;
            if (a < 0 && -hi < a && a < -lo) {
                if (lo < 0) a = -hi;
                else a = a >= (-hi - lo) / 2 ? -lo : -hi;
            } else if (a > 0 && lo < a && a < hi) {
                if (lo < 0) a = hi;
                else a = (hi + lo) / 2 >= a ? lo : hi;
            }
        }
    }
    if (raw != folded) a = raw + folded - a;
    if (a != folded) {
        POINT turned = h;
        RotatePoints(&frame, a - baseAngle, &turned, 1);
        *point = turned;
    }
}

void TrackViewMouse(HWND view, DocumentState* state, WPARAM, POINT device)
{
    DragState& s = g_dragState;
    if (!state || !state->drawing) return;
    const HGLOBAL drawingHandle = state->drawing;
    Locked<Drawing> drawing(drawingHandle);
    if (!drawing) return;
    bool outside = false;
    bool overLibrary = false;
    if (s.trackMode == TrackMove) {
        outside = CursorOutsideFrame(view, device);
        if (!outside) overLibrary = TrackDragOverLibraries(view, FALSE) != 0;
    } else if (s.trackMode == TrackPlaceDragged) {
        overLibrary = TrackDragOverLibraries(view, FALSE) != 0;
    }
    HDC dc = GetTrackingDC(view);
    if (!dc) return;
    POINT p = device;
    DPtoLP(dc, &p, 1);
    const INT32 previousTarget = s.hookTarget;
    const POINT previousHookPoint = s.hookPoint;

    bool found = false;
    const int mode = s.trackMode;
    if ((mode == TrackCreateByDrag || mode == TrackResize || mode == TrackMove || mode == TrackPlaceDragged) &&
        (s.hookSearch == HookSearchAll || s.hookSearch == HookSearchArraysOnly)) {
        found = FindHookTarget(drawing.get(), &p, s.hookSearch == HookSearchArraysOnly) != 0;
        if (found) {
            device = p;
            LPtoDP(dc, &device, 1);
        }
    }
    if (!found && (drawing->drawingFlags & DrawSnap) && mode != TrackAdjust && mode != TrackRotate) {
        p.y += s.textBaselineOffset;
        SnapPointToGrid(drawing.get(), &p, state->zoom);
        p.y -= s.textBaselineOffset;
    }
    if (s.hookTarget == previousTarget && SamePoint(s.hookPoint, previousHookPoint) && SamePoint(p, s.lastRawPoint)) {
        ReleaseDC(view, dc);
        return;
    }
    s.lastRawPoint = p;

    RECT client;
    GetClientRect(view, &client);
    int dx = 0, dy = 0;
    if (device.x > client.right)
        dx = std::max(kMinScrollStep, std::min(kMaxScrollStep, static_cast<int>(device.x - client.right)));
    else if (device.x <= client.left && mode != TrackHorizontalGuide && mode != TrackBothGuides)
        dx = std::min(-kMinScrollStep, std::max(-kMaxScrollStep, static_cast<int>(device.x - client.left)));
    if (device.y > client.bottom)
        dy = std::min(kMaxScrollStep, static_cast<int>(device.y - client.bottom));
    else if (device.y < client.top && mode != TrackVerticalGuide && mode != TrackBothGuides)
        dy = std::max(-kMaxScrollStep, static_cast<int>(device.y - client.top));

    bool first = true;
    while (first || ((dx || dy) && !MouseMessageWaits(view))) {
        first = false;
        POINT q = p;
        int overshoot = 0;
        {
            Locked<ObjectList> objects(drawing->objectList);
            Locked<GroupTable> groups(drawing->groupTable);
            if (mode != TrackRotate)
                overshoot = ClampIntoLimits(&q, groups.get(), objects.get());
            else
                LimitRotation(drawing.get(), objects.get(), groups.get(), state->areaWidth, state->areaHeight, &q);
        }
        if ((mode == TrackVerticalGuide || mode == TrackHorizontalGuide) && device.x >= -kRulerBand &&
            device.y >= -kRulerBand)
            overshoot = 0;
        if (s.feedbackShown) {
            const INT32 target = s.hookTarget;
            const POINT hookPoint = s.hookPoint;
            s.hookTarget = previousTarget;
            s.hookPoint = previousHookPoint;
            DrawTrackFeedback(view, dc, drawing.get(), state);
            s.hookTarget = target;
            s.hookPoint = hookPoint;
        }
        s.feedbackShown = (overshoot >= kHidingOvershoot || outside || overLibrary) ? 0 : 1;
        if (!s.feedbackShown) dx = dy = 0;
        if (dx || dy) {
            ScrollStep(view, drawing.get(), &dx, &dy);
            SetTrackingDC(view, dc);
        }
        if (s.feedbackShown) {
            UpdateDragHookMarks(drawing.get(), found ? TRUE : FALSE);
            if (!NewFeedback(view, dc, drawing.get(), state, q, found)) {
                s.feedbackShown = 0;
                dx = dy = 0;
            }
        } else if ((mode == TrackMove && !s.clickPending) || mode == TrackPlaceDragged) {
            TrackDragOverLibraries(view, TRUE);
        }
    }
    ReleaseDC(view, dc);
    if (outside && mode == TrackMove && !s.clickPending) {
        drawing.Unlock();
        DragObjectsOut(view, state, device);
    }
}
