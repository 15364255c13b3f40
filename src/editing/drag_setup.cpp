// Drag set-up and XOR feedback. The feedback is XOR drawing only, erased by drawing it again; the
// model changes only at the release.
#include "editing/drag_setup.h"

#include <cmath>
#include <initializer_list>

#include "documents/document_state.h"
#include "editing/drag_state.h"
#include "editing/hit_test.h"
#include "editing/hook_targets.h"
#include "frame/frame_services.h"
#include "geometry/point_geometry.h"
#include "lines/connector_geometry.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/groups.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/move_set.h"
#include "resource.h"
#include "shapes/shape_geometry.h"
#include "shapes/shape_tracking.h"
#include "store/store_records.h"
#include "text/text_records.h"

namespace {

DWORD MessageTimeNow() { return static_cast<DWORD>(GetMessageTime()); }
DWORD TickCountNow() { return GetTickCount(); }

}  // namespace

DragClock g_pressTimeSource = MessageTimeNow;
DragClock g_tickCountSource = TickCountNow;

int HandleCodeAtPoint(const RECT* rect, int x, int y)
{
    if (x == rect->left && y == rect->bottom) return 3;
    if (x == rect->left && y == rect->top) return 1;
    if (x == rect->right && y == rect->top) return 2;
    if (x == rect->right && y == rect->bottom) return 4;
    if (x == rect->right) return 8;
    if (x == rect->left) return 7;
    if (y == rect->top) return 5;
    return 6;
}

int OppositeSide(int code)
{
    switch (code) {
    case 1: return 4;
    case 4: return 1;
    case 2: return 3;
    case 3: return 2;
    case 5: return 6;
    case 6: return 5;
    case 7: return 8;
    case 8: return 7;
    default: return 1;
    }
}

void SnapPointToGrid(Drawing* drawing, POINT* point, int zoom)
{
    (void)zoom;
    const RulerSettings& ruler = drawing->rulerSettings;
    // The ruler record may come from a file unchecked: an unknown division count counts as 12,
    // a scale that is not finite or below 1 as 100.
    const int n = (ruler.divisions == 8 || ruler.divisions == 10 || ruler.divisions == 12 || ruler.divisions == 16)
                      ? ruler.divisions
                      : 12;
    double major = (std::isfinite(ruler.scaleBase) && ruler.scaleBase >= 1.0) ? ruler.scaleBase : 100.0;
    if (ruler.screenUnit == 0) major /= 2.54;   // hundredths of an inch per major division
    const double p = 6 * major;
    const double h = p / (2 * n);
    for (LONG* v : {&point->x, &point->y}) {
        double k = std::trunc(*v / p);
        double r = *v - k * p;
        if (r >= (2 * n - 1) * h) {
            k += 1;
            r = 0;
        }
        double m = std::trunc(n * r / p);
        if (r - 2 * m * h > h) m += 1;
        const double snapped = 6 * std::trunc(m * major / n + k * major);
        if (snapped > -2147483647.0 && snapped < 2147483647.0) *v = static_cast<LONG>(snapped);
    }
}

int IsButtonHeld(HWND view)
{
    DragState& s = g_dragState;
    s.clickDeadline = g_pressTimeSource() + kClickMilliseconds;
    for (;;) {
        const bool past = static_cast<LONG>(g_tickCountSource() - s.clickDeadline) > 0;
        MSG msg;
        if (PeekMessageA(&msg, view, WM_LBUTTONDOWN, WM_MBUTTONDBLCLK, PM_NOREMOVE | PM_NOYIELD)) return past ? 1 : 0;
        if (past) return 1;
    }
}

int FindGroupMemberHookedOutside(ObjectList* objects, int groupRow)
{
    if (!objects || groupRow < 0 || groupRow >= objects->count) return -1;
    const int groupId = (*objects)[groupRow].groupId;
    if (groupId == 0) return -1;
    int found = -1;
    for (int r = 0; r < objects->count; ++r) {
        DrawObject& o = (*objects)[r];
        if (o.groupId != groupId || o.groupRow < 0) continue;
        for (int k = 0; k < HookSlotsInUse(o); ++k) {
            HookEntry& hook = o.hooks[k];
            const int t = FindObjectById(objects, hook.targetId, hook.targetRow);
            if (t < 0) continue;
            hook.targetRow = t;
            const DrawObject& target = (*objects)[t];
            if (target.groupId != groupId || target.groupRow < 0) found = r;
        }
    }
    return found;
}

int GetTextBaselineOffset(ObjectList* objects, int row)
{
    if (!objects || row < 0 || row >= objects->count) return 0;
    const DrawObject& o = (*objects)[row];
    if (o.textId < 0) return 0;
    HGLOBAL block = nullptr;
    if (LoadRecord(objects->header.slot, RecTextBlock, o.textId, &block) != 0 || !block) return 0;
    int offset = 0;
    {
        const LONG size = GetBlockSize(block);
        Locked<BYTE> bytes(block);
        const LONG needed = kBlockHeaderSize + kTextBlockSize + kTextLineSize;
        if (bytes && size >= needed) {
            const TextBlock* text = reinterpret_cast<const TextBlock*>(bytes.get() + kBlockHeaderSize);
            if (text->lineCount >= 1) {
                const TextLine* first = reinterpret_cast<const TextLine*>(bytes.get() + kBlockHeaderSize + kTextBlockSize);
                offset = o.frame.top - o.textRect.top + first->ascent;
            }
        }
    }
    ReleaseBlock(block);
    return offset;
}

void RepaintObjectArea(Drawing* drawing, ObjectList* objects, int row)
{
    const HWND view = drawing->viewWindow;
    if (!view || !objects || row < 0 || row >= objects->count) return;
    const int cursor = GetCurrentCursorIndex();
    RECT area = (*objects)[row].updateRect;
    InvalidateLogicalRect(view, &area);
    FlushInvalidations();
    {
        Locked<DocumentState> state(reinterpret_cast<HGLOBAL>(static_cast<LONG_PTR>(GetWindowLongA(view, kViewStateLong))));
        if (state) state->flags |= DocRedraw;
    }
    UpdateWindow(view);
    SetCursorByIndex(cursor);
}

void DrawRotatedFrameOutline(HDC dc, const RECT* rect, const RECT* centre, int angle)
{
    POINT points[16];
    int count = 0;
    GetShapeOutlinePoints(*rect, centre, 0.0, 2, angle, nullptr, points, &count, 0);
    if (count < 2 || count > 16) return;
    HPEN pen = CreatePen(PS_DOT, 0, RGB(0, 0, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    const int oldRop = SetROP2(dc, R2_NOT);
    Polygon(dc, points, count);
    SetROP2(dc, oldRop);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void DrawInvertedFrame(HDC dc, const RECT& rect)
{
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    LPtoDP(dc, corners, 2);
    const int oldMode = SetMapMode(dc, MM_TEXT);
    POINT viewport, window;
    SetViewportOrgEx(dc, 0, 0, &viewport);
    SetWindowOrgEx(dc, 0, 0, &window);
    // The corners moved to the device origin the mapping had.
    const int l = std::min(corners[0].x, corners[1].x), r = std::max(corners[0].x, corners[1].x);
    const int t = std::min(corners[0].y, corners[1].y), b = std::max(corners[0].y, corners[1].y);
    const int w = std::max(1, r - l), h = std::max(1, b - t);
    PatBlt(dc, l, t, w, 1, PATINVERT);
    PatBlt(dc, l, b, w, 1, PATINVERT);
    PatBlt(dc, l, t + 1, 1, std::max(0, h - 1), PATINVERT);
    PatBlt(dc, r, t + 1, 1, std::max(0, h - 1), PATINVERT);
    SetMapMode(dc, oldMode);
    SetWindowOrgEx(dc, window.x, window.y, nullptr);
    SetViewportOrgEx(dc, viewport.x, viewport.y, nullptr);
}

namespace {

// The object vanishes under its first feedback when its state asks so.
void HideStep(Drawing* drawing, ObjectList* objects, int row)
{
    if (row < 0 || row >= objects->count) return;
    DrawObject& o = (*objects)[row];
    if (!(o.state & StateHideOnDrag)) return;
    o.state &= ~static_cast<DWORD>(StateHideOnDrag);
    o.state |= StateTextEditing;
    RepaintObjectArea(drawing, objects, row);
    o.state &= ~static_cast<DWORD>(StateTextEditing);
}

LPARAM Packed(POINT p) { return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(p.x), static_cast<WORD>(p.y))); }

}  // namespace

void DrawDragFeedback(HDC dc, Drawing* drawing, int target, int hitCode, int subtype, const RECT* trackRect,
                      POINT point)
{
    DragState& s = g_dragState;
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return;
    RECT r = *trackRect;
    const int packed = static_cast<int>(Packed(point));
    if (hitCode == HitNewObject) {
        ObjectClassHandler handler = HandlerForClass(target);
        if (handler) handler(dc, drawing, objects.get(), -1, OM_TRACKCREATE, subtype, packed, &r);
        return;
    }
    const bool group = s.hitClass == -1;
    if (s.trackMode == TrackAdjust) {
        if (group) return;
        HideStep(drawing, objects.get(), target);
        SendClassMessage(dc, drawing, objects.get(), target, OM_TRACKPARAM, subtype, hitCode, &s.lastPoint);
        return;
    }
    if (hitCode < HitBody) {
        if (group) {
            Locked<GroupTable> groups(drawing->groupTable);
            if (!groups || target < 0 || target >= groups->count) return;
            const GroupEntry& g = (*groups)[target];
            if (g.angle != 0)
                DrawRotatedFrameOutline(dc, &r, &g.frame, g.angle);
            else
                DrawInvertedFrame(dc, r);
            return;
        }
        HideStep(drawing, objects.get(), target);
        SendClassMessage(dc, drawing, objects.get(), target, OM_TRACKHANDLE, subtype, packed, &r);
        return;
    }
    if (hitCode == HitRotating) {
        if (group) {
            Locked<GroupTable> groups(drawing->groupTable);
            if (!groups || target < 0 || target >= groups->count) return;
            DrawObject record = GroupShapeRecord((*groups)[target]);
            record.options = 0;
            SendStandaloneMessage(dc, drawing, &record, OM_TRACKROTATE, 2, packed, &r);
            return;
        }
        HideStep(drawing, objects.get(), target);
        SendClassMessage(dc, drawing, objects.get(), target, OM_TRACKROTATE, subtype, packed, &r);
        return;
    }
    if (hitCode < 46 && s.moveSet) {
        if (s.moveSet->count > 1)
            DrawShapeTrackingOutline(dc, drawing, nullptr, -1, OM_TRACKMOVE, 2, &r, TRUE, -1.0);
        else
            SendClassMessage(dc, drawing, objects.get(), target, OM_TRACKMOVE, subtype, 0, &r);
    }
}

namespace {

double RatioOf(const RECT& r)
{
    const LONG w = r.right - r.left, h = r.bottom - r.top;
    return (w == 0 || h == 0) ? 0.0 : static_cast<double>(w) / h;
}

// Keep the proportions only where there is a ratio to keep: a flat frame has none.
void SetAspect(const RECT& frame, bool layoutKeeps, BOOL shift)
{
    DragState& s = g_dragState;
    s.aspectRatio = RatioOf(frame);
    s.keepAspect = (layoutKeeps && !shift && s.aspectRatio != 0.0) ? 1 : 0;
}

void TurnPressPoint(const RECT& frame, int angle)
{
    g_dragState.objectAngle = angle;
    RotatePoints(&frame, -angle, &g_dragState.pressPoint, 1);
}

bool IsBodyCode(int code) { return code == 40 || code == 41 || code == 42 || code == 44 || code == 45; }

// Appends a row to the exclude set when it has room.
void ExcludeRow(int row)
{
    ObjectVector* v = g_dragState.excludeSet;
    if (v && v->count < v->capacity) v->rows[v->count++] = row;
}

// The anchor table: anchor, second point, axis lock and cursor by the handle code.
int AnchorByCode(Drawing* drawing, ObjectList* objects, int code, int target, bool group, RECT* trackRect,
                 POINT* anchor, POINT* secondPoint, INT32* axisLock, bool rotating)
{
    RECT& r = *trackRect;
    const int line = (!group && target >= 0 && target < objects->count) ? (*objects)[target].axisCoord : 0;
    int cursor = -1;
    auto corner = [&](LONG x, LONG y, int plain) {
        *anchor = {x, y};
        *secondPoint = *anchor;
        cursor = rotating ? 17 : plain;
    };
    *axisLock = 99;
    switch (code) {
    case 1: case 24: corner(r.right, r.bottom, 6); break;
    case 2: case 25: case 144: corner(r.left, r.bottom, 5); break;
    case 3: case 26: corner(r.right, r.top, 5); break;
    case 4: case 27: case 145: corner(r.left, r.top, 6); break;
    case 5: case 62: case 63:
        *anchor = {r.right, r.bottom};
        secondPoint->x = r.left;
        *axisLock = 2;
        cursor = 7;
        break;
    case 6:
        *anchor = {r.right, r.top};
        secondPoint->x = r.left;
        *axisLock = 2;
        cursor = 7;
        break;
    case 7: case 60: case 61:
        *anchor = {r.right, r.bottom};
        secondPoint->y = r.top;
        *axisLock = 1;
        cursor = 8;
        break;
    case 8:
        *anchor = {r.left, r.bottom};
        secondPoint->y = r.top;
        *axisLock = 1;
        cursor = 8;
        break;
    case 20: case 21:
        *anchor = {code == 20 ? r.right : r.left, line};
        secondPoint->y = line;
        r.top = r.bottom = line;
        cursor = 8;
        break;
    case 22: case 23:
        *anchor = {line, code == 22 ? r.bottom : r.top};
        secondPoint->x = line;
        r.left = r.right = line;
        cursor = 7;
        break;
    case 28: case 29: case 50: case 51: case 52: case 53: {
        const int pointCode = code == 28 ? 29 : (code == 29 ? 28 : code);
        RECT segment = r;
        int index = 0;
        const int err = GetConnectorPoint(drawing, objects, target, pointCode, anchor, &segment, &index);
        if (err) return err;
        if (code >= 50) r = segment;
        *secondPoint = *anchor;
        cursor = (code == 28 || code == 29) ? 6 : ((code == 50 || code == 52) ? 8 : 7);
        break;
    }
    case 64: case 65: corner(r.left, r.top, 6); break;
    case 66: case 67: corner(r.right, r.top, 5); break;
    case 140: *anchor = {r.left, r.top + (r.bottom - r.top) / 2}; *secondPoint = *anchor; cursor = 17; break;
    case 141: *anchor = {r.left + (r.right - r.left) / 2, r.top}; *secondPoint = *anchor; cursor = 17; break;
    case 142: *anchor = {r.left, line}; *secondPoint = *anchor; r.top = r.bottom = line; cursor = 17; break;
    case 143: *anchor = {line, r.top}; *secondPoint = *anchor; r.left = r.right = line; cursor = 17; break;
    case 41: r.left = r.right = line; break;
    case 42: r.top = r.bottom = line; break;
    default: break;
    }
    if (cursor >= 0) SetCursorByIndex(cursor);
    return 0;
}

// The move set-up: the object's single hook, the set that moves and its bounds.
int PrepareMove(Drawing* drawing, RECT* trackRect, POINT* secondPoint, RECT* localRect, int* canLink)
{
    DragState& s = g_dragState;
    int result = 0;
    {
        Locked<ObjectList> objects(drawing->objectList);
        Locked<GroupTable> groups(drawing->groupTable);
        if (!objects || s.target < 0 || s.target >= objects->count) return 1;
        DrawObject& o = (*objects)[s.target];
        const bool grouped = GroupOfObject(groups.get(), o) >= 0;
        if (o.hookCount == 1 && !(o.state & StateAttachedLabel)) {
            const HookEntry& hook = o.hooks[0];
            const int t = FindObjectById(objects.get(), hook.targetId, hook.targetRow);
            bool counts = t >= 0;
            if (counts) {
                const DrawObject& target = (*objects)[t];
                if (grouped && target.groupId == o.groupId && GroupOfObject(groups.get(), target) >= 0) counts = false;
                if (SendTypeQuery(o.objClass, OM_GETCLASSFLAGS, o.objType) & 0x80) counts = false;
                if (target.state & StateSelected) counts = false;
            }
            if (counts) {
                s.hookSlot = 0;
                drawing->drawingFlags |= DrawHookTarget;
                s.hookTarget = s.pressTarget = t;
                s.hookPoint = {hook.attachX, hook.attachY};
                s.hookHolderCode = hook.holderCode;
                if ((*objects)[t].objClass != ClassArray && !grouped) *canLink = 1;
            } else {
                s.hookSearch = HookSearchNone;
            }
        }
    }
    RECT bounds = {};
    result = CollectMoveSet(drawing, s.target, TRUE, TRUE, FALSE, &s.moveSet, &bounds);
    if (result == 0) {
        *trackRect = bounds;
        *localRect = bounds;
        if (!s.moveSet || s.moveSet->count == 0) {
            result = 1;
        } else if (s.moveSet->count > 1) {
            s.subtype = 2;
        } else {
            Locked<ObjectList> objects(drawing->objectList);
            RECT own = bounds;
            if (objects) SendClassMessage(nullptr, drawing, objects.get(), s.target, OM_GETBOUNDS, 0, 0, &own);
            *localRect = own;
        }
    }
    if (result != 0) {
        Locked<ObjectList> objects(drawing->objectList);
        FreeObjectVector(&s.moveSet, objects.get());
        return result;
    }
    *secondPoint = {trackRect->left, trackRect->top};
    Locked<ObjectList> objects(drawing->objectList);
    Locked<GroupTable> groups(drawing->groupTable);
    if (objects) {
        const DrawObject& o = (*objects)[s.target];
        if (GroupOfObject(groups.get(), o) < 0 && (SendTypeQuery(o.objClass, OM_GETCLASSFLAGS, o.objType) & 0x1))
            s.textBaselineOffset = GetTextBaselineOffset(objects.get(), s.target);
    }
    return 0;
}

// The creation and placement set-up of a new object of class `s.target`.
int PrepareCreation(Drawing* drawing, RECT* trackRect, POINT* anchor, POINT* secondPoint, const SIZE* defaultSize,
                    POINT* unsnapped, int* canLink)
{
    DragState& s = g_dragState;
    const int objClass = s.target;
    DrawObject probe = {};
    probe.objClass = objClass;
    probe.objType = s.subtype;
    probe.textId = -1;
    probe.groupRow = -1;
    probe.labelId = kNoLabel;
    if (s.trackMode == TrackPlaceDragged) {
        RECT& r = *trackRect;
        if (defaultSize) {
            const LONG w = defaultSize->cx, h = defaultSize->cy;
            if (objClass == ClassShape)
                r = {anchor->x - w / 2, anchor->y, anchor->x + w / 2, anchor->y + h};
            else
                r = {anchor->x - w / 2, anchor->y - h / 2, anchor->x + w / 2, anchor->y + h / 2};
        } else {
            r = {anchor->x - 300, anchor->y - 200, anchor->x + 300, anchor->y + 200};
        }
        if (objClass == ClassShape) {
            *secondPoint = {r.left, r.top};
        } else {
            *canLink = SendStandaloneMessage(nullptr, drawing, &probe, OM_CANLINK) != 0;
            *secondPoint = {r.right, r.top};
        }
        return 0;
    }
    if (defaultSize && defaultSize->cx != 0 && defaultSize->cy != 0) {
        s.keepAspect = 1;
        s.aspectRatio = static_cast<double>(defaultSize->cx) / defaultSize->cy;
    }
    const LONG flags = SendTypeQuery(objClass, OM_GETCLASSFLAGS, s.subtype);
    *canLink = SendStandaloneMessage(nullptr, drawing, &probe, OM_CANLINK) != 0;
    if (*canLink && (flags & 0x10)) {
        POINT at = *anchor;
        bool found = FindHookTarget(drawing, &at, FALSE) != 0;
        if (found) {
            *anchor = at;
        } else if (unsnapped) {
            at = *unsnapped;
            found = FindHookTarget(drawing, &at, FALSE) != 0;
            if (found) {
                *anchor = at;
                s.pressPoint = s.lastPoint = s.lastRawPoint = at;
                *trackRect = {at.x, at.y, at.x, at.y};
            }
        }
        if (found && s.hookTarget >= 0) {
            const int start = s.hookTarget;
            ToggleHookMarks(drawing, nullptr, start);
            s.startHookTarget = s.startMarkedTarget = start;
            s.startHookPoint = s.hookPoint;
            s.hookTarget = -1;
            s.hookHolderCode = -1;
            RECT linkedBounds;
            const int err = CollectLinkedObjects(drawing, start, &s.excludeSet, CollectAlone, &linkedBounds);
            if (err) {
                s.trackMode = TrackNone;
                return err;
            }
        }
    }
    *secondPoint = *anchor;
    SetCursorByIndex(CursorPen);
    return 0;
}

}  // namespace

int PrepareDrag(Drawing* drawing, int hitCode, int target, RECT* trackRect, POINT* anchor, POINT* secondPoint,
                INT32* axisLock, const SIZE* defaultSize, BOOL shift, RECT* localRect, POINT* unsnapped)
{
    DragState& s = g_dragState;
    s.objectAngle = 0;
    const bool rotating = hitCode >= HitRotateFirst && hitCode <= HitRotateLast;
    int canLink = 0;
    int result = 0;
    const bool group = s.hitClass == -1 && hitCode != HitNewObject;
    if (hitCode != HitNewObject) {
        Locked<ObjectList> objects(drawing->objectList);
        Locked<GroupTable> groups(drawing->groupTable);
        if (!objects || !groups) return 1;
        if (group) {
            if (target < 0 || target >= groups->count) return 1;
            const GroupEntry& g = (*groups)[target];
            SetAspect(g.groupedFrame, g.handleLayout == 3, shift);
            *trackRect = g.frame;
            if (hitCode < HitBody && g.angle != 0) TurnPressPoint(g.frame, g.angle);
            s.hookSearch = HookSearchNone;
        } else {
            if (target < 0 || target >= objects->count) return 1;
            if (IsBodyCode(hitCode) && GroupOfObject(groups.get(), (*objects)[target]) >= 0) {
                const int member = FindGroupMemberHookedOutside(objects.get(), target);
                if (member >= 0 && member != target) target = member;
            }
            s.target = target;
            DrawObject& o = (*objects)[target];
            const bool grouped = GroupOfObject(groups.get(), o) >= 0;
            *trackRect = o.frame;
            s.subtype = o.objType;
            o.state = (o.state & ~static_cast<DWORD>(StateHideOnDrag)) |
                      ((o.state & StateHiddenWhileDragged) ? static_cast<DWORD>(StateHideOnDrag) : 0u);
            bool setupDone = rotating;
            if (!setupDone) {
                canLink = grouped ? 0 : (SendClassMessage(nullptr, drawing, objects.get(), target, OM_CANLINK) != 0);
                if (hitCode >= 50) {
                    s.savedShapeParameter = o.param;
                    setupDone = true;
                }
            }
            if (!setupDone && hitCode < HitBody) {
                SetAspect(o.frame, o.handleLayout == 3, shift);
                if (o.angle != 0) TurnPressPoint(o.frame, o.angle);
            }
            if (!setupDone) {
                objects.Unlock();
                groups.Unlock();
                RECT linkedBounds;
                result = CollectLinkedObjects(drawing, target, &s.excludeSet, CollectWithHolders, &linkedBounds);
                if (result) return result;
                Locked<ObjectList> list(drawing->objectList);
                DrawObject& holder = (*list)[target];
                if (holder.state & StateAttachedLabel) {
                    s.hookSearch = HookSearchNone;
                } else if (HookSlotsInUse(holder) > 0) {
                    INT32 end = hitCode;
                    SendClassMessage(nullptr, drawing, list.get(), target, OM_HANDLETOEND, hitCode, 0, &end);
                    s.hookSlot = FindHookByEndCode(&holder, end);
                    const int hooked = s.hookSlot >= 0 && s.hookSlot < HookSlotsInUse(holder)
                                           ? FindObjectById(list.get(), holder.hooks[s.hookSlot].targetId,
                                                            holder.hooks[s.hookSlot].targetRow)
                                           : -1;
                    if (hooked >= 0) {
                        const HookEntry& hook = holder.hooks[s.hookSlot];
                        s.hookTarget = s.pressTarget = hooked;
                        drawing->drawingFlags |= DrawHookTarget;
                        s.hookPoint = {hook.attachX, hook.attachY};
                        s.hookHolderCode = end;
                        canLink = (*list)[hooked].objClass != ClassArray;
                    } else if (hitCode < HitBody) {
                        s.hookSlot = -1;
                        if (holder.hookCapacity > 0 && HookSlotsInUse(holder) >= holder.hookCapacity) {
                            s.hookSearch = HookSearchNone;
                        } else {
                            // The free end may not hook what the other end holds.
                            const int other =
                                FindObjectById(list.get(), holder.hooks[0].targetId, holder.hooks[0].targetRow);
                            if (other >= 0) ExcludeRow(other);
                        }
                    }
                }
            }
        }
    }
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return 1;
    if (hitCode != HitNewObject && !IsBodyCode(hitCode)) {
        result = AnchorByCode(drawing, objects.get(), hitCode, s.target, group, trackRect, anchor, secondPoint,
                              axisLock, rotating);
        if (result) return result;
    } else {
        *axisLock = 99;
    }
    if (hitCode == 41 || hitCode == 42) {
        AnchorByCode(drawing, objects.get(), hitCode, s.target, group, trackRect, anchor, secondPoint, axisLock,
                     rotating);
    }
    objects.Unlock();
    if (IsBodyCode(hitCode)) {
        result = PrepareMove(drawing, trackRect, secondPoint, localRect, &canLink);
        if (result) return result;
    } else if (hitCode == HitNewObject) {
        result = PrepareCreation(drawing, trackRect, anchor, secondPoint, defaultSize, unsnapped, &canLink);
        if (result) return result;
    }
    if (!canLink && s.hookSearch == HookSearchAll) s.hookSearch = HookSearchArraysOnly;
    return 0;
}
