// Hit testing and the selection. Marks are XOR drawings: every change erases what it changes and
// draws the new marks at once.
#include "editing/hit_test.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "documents/document_state.h"
#include "editing/drag_state.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/groups.h"
#include "model/move_set.h"
#include "model/selection.h"
#include "shapes/shape_paint.h"

ViewDrawingDC::ViewDrawingDC(HWND view) : view_(view), dc_(GetDC(view))
{
    if (dc_) SetWindowOrgEx(dc_, 0, 0, nullptr);
}

ViewDrawingDC::~ViewDrawingDC() { Release(); }

void ViewDrawingDC::Release()
{
    if (dc_) ReleaseDC(view_, dc_);
    dc_ = nullptr;
}

void GetVisibleDrawingRect(HWND view, RECT* rect)
{
    *rect = {};
    if (!view || !GetClientRect(view, rect)) return;
    ViewDrawingDC dc(view);
    if (dc.get()) DPtoLP(dc.get(), reinterpret_cast<POINT*>(rect), 2);
}

int GroupOfObject(GroupTable* groups, const DrawObject& object)
{
    if (!groups || object.groupId == 0 || object.groupRow < 0) return -1;
    return FindGroupEntry(groups, object.groupId, object.groupRow, 0);
}

DrawObject GroupShapeRecord(const GroupEntry& group)
{
    DrawObject record = {};
    record.objClass = ClassShape;
    record.objType = 2;
    record.updateRect = group.bounds;
    record.frame = group.frame;
    record.innerRect = group.frame;
    record.angle = group.angle;
    record.handleLayout = group.handleLayout;
    record.state = StateSelected;
    record.textId = -1;
    record.labelId = kNoLabel;
    record.groupRow = -1;
    if (group.flags & GroupNoFreeResize) record.options |= OptFixed;
    return record;
}

namespace {

bool Selected(const DrawObject& o) { return (o.state & StateSelected) != 0; }

void SetSelectedBit(DrawObject& o, bool on)
{
    if (on)
        o.state |= StateSelected;
    else
        o.state &= ~static_cast<DWORD>(StateSelected);
}

bool InRect(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

bool IsBodyCode(int code) { return code == 40 || code == 41 || code == 42 || code == 44 || code == 45; }

// Update rectangles bucketed on a grid of cells; each cell lists the z-order positions of the
// objects meeting it, back to front, in one flat array (`cellStart` has one more entry than
// there are cells). The index serves only the lists it was made from and only while the model's
// change count is the one it was made at: a stale index would be a wrong hit.
struct HitIndex {
    HGLOBAL objectList = nullptr;
    HGLOBAL zOrderList = nullptr;
    int count = -1;
    DWORD changes = 0;
    RECT area = {};
    int columns = 0;
    int rows = 0;
    LONG cellWidth = 1;
    LONG cellHeight = 1;
    std::vector<int> cellStart;
    std::vector<int> cellItems;
    std::vector<int> outside;   // positions of objects beyond the area the grid covers
};
HitIndex g_hitIndex;

bool IndexServes(const Drawing* drawing, const ObjectList* objects)
{
    return g_hitIndex.count == objects->count && g_hitIndex.objectList == drawing->objectList &&
           g_hitIndex.zOrderList == drawing->zOrderList && g_hitIndex.changes == ModelChangeCount();
}

// The z-order positions (back to front) of the objects that may contain (x, y).
struct Positions {
    const int* items;
    int count;
};

Positions IndexedPositions(int x, int y)
{
    const HitIndex& ix = g_hitIndex;
    if (x < ix.area.left || y < ix.area.top || x >= ix.area.right || y >= ix.area.bottom)
        return {ix.outside.data(), static_cast<int>(ix.outside.size())};
    const int c = static_cast<int>((x - ix.area.left) / ix.cellWidth);
    const int r = static_cast<int>((y - ix.area.top) / ix.cellHeight);
    const size_t cell = static_cast<size_t>(r) * ix.columns + c;
    return {ix.cellItems.data() + ix.cellStart[cell], ix.cellStart[cell + 1] - ix.cellStart[cell]};
}

// One of the z-order scans of HitTestPage; `selectedOnly` for the selected objects' pass.
int ScanObjects(Drawing* drawing, ObjectList* objects, ZOrderList* order, GroupTable* groups, int x, int y, int mode,
                const ObjectVector* exclude, BOOL arraysOnly, bool selectedOnly, int* row, int* hitClass)
{
    POINT point = {x, y};
    const bool indexed = IndexServes(drawing, objects);
    const Positions positions = indexed ? IndexedPositions(x, y) : Positions{nullptr, order->count};
    for (int k = positions.count - 1; k >= 0; --k) {
        const int i = indexed ? positions.items[k] : k;
        if (i < 0 || i >= order->count) continue;
        const int r = (*order)[i];
        if (r < 0 || r >= objects->count) continue;
        const DrawObject& o = (*objects)[r];
        if (selectedOnly && !Selected(o)) continue;
        if (!InRect(o.updateRect, x, y)) continue;
        if (arraysOnly && o.objClass != ClassArray) continue;
        if (exclude && ObjectVectorContains(r, exclude)) continue;
        int code = SendClassMessage(nullptr, drawing, objects, r, OM_HITTEST, mode, 0, &point);
        if (code == 0) continue;
        *row = r;
        *hitClass = o.objClass;
        if (o.state & StateLocked) code = IsBodyCode(code) ? 10 : 0;
        const bool grouped = GroupOfObject(groups, o) >= 0;
        if (selectedOnly) {
            // A body hit of a selected object counts only in the scan of all objects.
            if (IsBodyCode(code) || (grouped && code != 10)) code = 0;
            return code;
        }
        if (grouped && code != 10 && !IsBodyCode(code)) {
            if ((code >= 1 && code <= 8) || (code >= 24 && code <= 27))
                code = 40;
            else if (code == 22 || code == 23)
                code = 41;
            else if (code == 20 || code == 21)
                code = 42;
            else
                code = 0;
        }
        return code;
    }
    return 0;
}

// Erases or draws the marks of one selected group: the current group's style (-1) or another's (-2).
void DrawGroupMarks(HDC dc, Drawing* drawing, const GroupEntry& group, bool current)
{
    if (!dc) return;
    DrawObject record = GroupShapeRecord(group);
    DrawShapeSelection(dc, drawing, &record, current ? -1 : -2);
}

void ToggleRowHandles(HDC dc, Drawing* drawing, ObjectList* objects, const RECT& visible, int row)
{
    if (dc) ToggleObjectHandles(dc, drawing, objects, &visible, row);
}

}  // namespace

int HitTestPage(Drawing* drawing, int x, int y, int mode, const ObjectVector* exclude, int* row, int* hitClass,
                BOOL arraysOnly)
{
    int dummyRow = -1, dummyClass = -1;
    if (!row) row = &dummyRow;
    if (!hitClass) hitClass = &dummyClass;
    *hitClass = -1;
    *row = -1;
    Locked<ObjectList> objects(drawing->objectList);
    Locked<ZOrderList> order(drawing->zOrderList);
    Locked<GroupTable> groups(drawing->groupTable);
    if (!objects || !order) return 0;
    int result = 0;
    if (!exclude && groups) {
        POINT point = {x, y};
        for (int g = 0; g < groups->count; ++g) {
            const GroupEntry& group = (*groups)[g];
            if (!(group.flags & GroupSelected)) continue;
            DrawObject record = GroupShapeRecord(group);
            const int code = SendStandaloneMessage(nullptr, drawing, &record, OM_HITTEST, 0, 0, &point);
            if (code != 0) {
                result = code;
                *row = g;
            }
        }
        if (result != 0) return result;
    }
    if (drawing->selectedCount > 0) {
        result = ScanObjects(drawing, objects.get(), order.get(), groups.get(), x, y, mode, exclude, arraysOnly, true,
                             row, hitClass);
        if (result != 0) return result;
    }
    *row = -1;
    *hitClass = -1;
    return ScanObjects(drawing, objects.get(), order.get(), groups.get(), x, y, mode, exclude, arraysOnly, false, row,
                       hitClass);
}

void ToggleObjectHandles(HDC dc, Drawing* drawing, ObjectList* objects, const RECT* visible, int row)
{
    if (!objects || row < 0 || row >= objects->count) return;
    const DrawObject& o = (*objects)[row];
    if (!Selected(o) || (o.state & StateTextEditing)) return;
    RECT meet;
    if (visible && !IntersectRect(&meet, &o.updateRect, visible)) return;
    POINT origin;
    SetWindowOrgEx(dc, 0, 0, &origin);
    SendClassMessage(dc, drawing, objects, row, OM_DRAWHANDLES);
    SetWindowOrgEx(dc, origin.x, origin.y, nullptr);
}

void DeselectAll(Drawing* drawing)
{
    RECT visible;
    GetVisibleDrawingRect(drawing->viewWindow, &visible);
    ViewDrawingDC dc(drawing->viewWindow);
    Locked<ObjectList> objects(drawing->objectList);
    Locked<ZOrderList> order(drawing->zOrderList);
    Locked<GroupTable> groups(drawing->groupTable);
    const int currentGroup = objects ? GetCurrentGroupIndex(drawing, objects.get()) : -1;
    if (objects && order && drawing->selectedCount > 0) {
        // The drawing counts its selected objects (group members included): the walk ends at the
        // last of them, so a press in a large drawing does not visit every object.
        int left = drawing->selectedCount;
        // One selected object is mostly the current one: it is cleared without a walk.
        const int current = drawing->currentRow;
        if (left == 1 && current >= 0 && current < objects->count && Selected((*objects)[current])) {
            DrawObject& o = (*objects)[current];
            if (GroupOfObject(groups.get(), o) < 0)
                ToggleRowHandles(dc.get(), drawing, objects.get(), visible, current);
            SetSelectedBit(o, false);
            left = 0;
        }
        for (int i = order->count - 1; i >= 0 && left > 0; --i) {
            const int r = (*order)[i];
            if (r < 0 || r >= objects->count) continue;
            DrawObject& o = (*objects)[r];
            if (!Selected(o)) continue;
            if (GroupOfObject(groups.get(), o) < 0) ToggleRowHandles(dc.get(), drawing, objects.get(), visible, r);
            SetSelectedBit(o, false);
            --left;
        }
    }
    drawing->selectedCount = 0;
    drawing->currentRow = -1;
    if (groups) {
        for (int g = 0; g < groups->count; ++g) {
            GroupEntry& group = (*groups)[g];
            if (!(group.flags & GroupSelected)) continue;
            DrawGroupMarks(dc.get(), drawing, group, g == currentGroup);
            group.flags &= ~static_cast<DWORD>(GroupSelected);
        }
    }
    const HWND view = drawing->viewWindow;
    groups.Unlock();
    order.Unlock();
    objects.Unlock();
    dc.Release();
    UpdateTextStyleControls(view);
}

int TopmostSelectedObject(Drawing* drawing)
{
    Locked<ObjectList> objects(drawing->objectList);
    Locked<ZOrderList> order(drawing->zOrderList);
    if (!objects || !order) return -1;
    for (int i = order->count - 1; i >= 0; --i) {
        const int r = (*order)[i];
        if (r >= 0 && r < objects->count && Selected((*objects)[r])) return r;
    }
    return -1;
}

void SetCurrentObjectMarks(HDC dc, Drawing* drawing, ObjectList* objects, GroupTable* groups, const RECT* visible,
                           int newRow, BOOL eraseNewFirst)
{
    if (!objects || !groups) return;
    const int oldRow = drawing->currentRow;
    if (oldRow >= 0 && oldRow < objects->count) {
        const int oldGroup = GroupOfObject(groups, (*objects)[oldRow]);
        if (oldGroup >= 0) {
            DrawGroupMarks(dc, drawing, (*groups)[oldGroup], true);
            if ((*groups)[oldGroup].flags & GroupSelected) {
                drawing->currentRow = -1;
                DrawGroupMarks(dc, drawing, (*groups)[oldGroup], false);
            }
        } else {
            if (dc) ToggleObjectHandles(dc, drawing, objects, visible, oldRow);
            if (Selected((*objects)[oldRow])) {
                drawing->currentRow = -1;
                if (dc) ToggleObjectHandles(dc, drawing, objects, visible, oldRow);
            }
        }
    }
    if (newRow < 0 || newRow >= objects->count) {
        drawing->currentRow = -1;
        return;
    }
    const int newGroup = GroupOfObject(groups, (*objects)[newRow]);
    if (eraseNewFirst) {
        if (newGroup >= 0) {
            if ((*groups)[newGroup].flags & GroupSelected) DrawGroupMarks(dc, drawing, (*groups)[newGroup], false);
        } else if (dc) {
            ToggleObjectHandles(dc, drawing, objects, visible, newRow);
        }
    }
    drawing->currentRow = newRow;
    if (newGroup >= 0)
        DrawGroupMarks(dc, drawing, (*groups)[newGroup], true);
    else if (dc)
        ToggleObjectHandles(dc, drawing, objects, visible, newRow);
}

namespace {

// Selects or deselects every member of the groups marked in `change` (1 select, 2 deselect) in
// one walk of the list, then recounts the selection.
void ApplyGroupSelections(Drawing* drawing, ObjectList* objects, GroupTable* groups, const std::vector<char>& change,
                          HDC dc, int currentGroup)
{
    int selected = 0;
    for (int r = 0; r < objects->count; ++r) {
        DrawObject& o = (*objects)[r];
        if (o.groupId != 0 && o.groupRow >= 0) {
            const int g = FindGroupEntry(groups, o.groupId, o.groupRow, 0);
            if (g >= 0 && change[g]) {
                o.groupRow = g;
                SetSelectedBit(o, change[g] == 1);
            }
        }
        if (Selected(o)) ++selected;
    }
    drawing->selectedCount = selected;
    for (int g = 0; g < groups->count; ++g) {
        if (!change[g]) continue;
        GroupEntry& group = (*groups)[g];
        const bool select = change[g] == 1;
        if (select == ((group.flags & GroupSelected) != 0)) continue;
        if (select)
            group.flags |= GroupSelected;
        else
            group.flags &= ~static_cast<DWORD>(GroupSelected);
        if (dc) DrawGroupMarks(dc, drawing, group, g == currentGroup);
    }
}

}  // namespace

void SetGroupSelected(Drawing* drawing, int groupIndex, BOOL select, BOOL draw)
{
    Locked<ObjectList> objects(drawing->objectList);
    Locked<GroupTable> groups(drawing->groupTable);
    if (!objects || !groups || groupIndex < 0 || groupIndex >= groups->count) return;
    if ((((*groups)[groupIndex].flags & GroupSelected) != 0) == (select != FALSE)) return;
    std::vector<char> change(groups->count, 0);
    change[groupIndex] = select ? 1 : 2;
    const int currentGroup = GetCurrentGroupIndex(drawing, objects.get());
    ViewDrawingDC dc(draw ? drawing->viewWindow : nullptr);
    ApplyGroupSelections(drawing, objects.get(), groups.get(), change, draw ? dc.get() : nullptr, currentGroup);
}

void SelectObjectByClick(HGLOBAL drawingHandle, int row, BOOL extend, BOOL moved, BOOL draw)
{
    Locked<Drawing> drawing(drawingHandle);
    if (!drawing) return;
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects || row < 0 || row >= objects->count) return;
    const bool keep = Selected((*objects)[row]) && moved;
    if (drawing->selectedCount > 0 && (moved || !extend) && !keep) {
        if (draw) {
            DeselectAll(drawing.get());
        } else {
            const HWND view = drawing->viewWindow;
            drawing->viewWindow = nullptr;   // no marks to erase
            DeselectAll(drawing.get());
            drawing->viewWindow = view;
        }
    }
    Locked<GroupTable> groups(drawing->groupTable);
    RECT visible;
    GetVisibleDrawingRect(drawing->viewWindow, &visible);
    DrawObject& object = (*objects)[row];
    if (!Selected(object)) {
        const int g = GroupOfObject(groups.get(), object);
        if (g < 0) {
            ++drawing->selectedCount;
            SetSelectedBit(object, true);
        } else {
            object.groupRow = g;
            SetGroupSelected(drawing.get(), g, TRUE, FALSE);
        }
        if (draw) {
            if (!moved) {
                ViewDrawingDC dc(drawing->viewWindow);
                SetCurrentObjectMarks(dc.get(), drawing.get(), objects.get(), groups.get(), &visible, row, FALSE);
            }
            drawing->currentRow = row;
        }
    } else if (!moved && extend) {
        const int g = GroupOfObject(groups.get(), object);
        bool wasCurrent;
        ViewDrawingDC dc(draw ? drawing->viewWindow : nullptr);
        if (g < 0) {
            if (draw) ToggleObjectHandles(dc.get(), drawing.get(), objects.get(), &visible, row);
            --drawing->selectedCount;
            SetSelectedBit(object, false);
            wasCurrent = drawing->currentRow == row;
        } else {
            object.groupRow = g;
            wasCurrent = GetCurrentGroupIndex(drawing.get(), objects.get()) == g;
            const BOOL drawGroup =
                draw && !(wasCurrent && drawing->selectedCount > (*groups)[g].memberCount) ? TRUE : FALSE;
            SetGroupSelected(drawing.get(), g, FALSE, drawGroup);
        }
        if (wasCurrent) {
            drawing->currentRow = -1;
            const int top = TopmostSelectedObject(drawing.get());
            if (top >= 0) {
                if (draw)
                    SetCurrentObjectMarks(dc.get(), drawing.get(), objects.get(), groups.get(), &visible, top, TRUE);
                drawing->currentRow = top;
            }
        }
    }
    const HWND view = drawing->viewWindow;
    groups.Unlock();
    objects.Unlock();
    drawing.Unlock();
    UpdateTextStyleControls(view);
}

void SelectObjectsInRect(HWND view, const RECT* rect)
{
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    HGLOBAL drawingHandle = nullptr;
    {
        Locked<DocumentState> state(reinterpret_cast<HGLOBAL>(static_cast<LONG_PTR>(GetWindowLongA(view, kViewStateLong))));
        if (!state) return;
        drawingHandle = state->drawing;
    }
    Locked<Drawing> drawing(drawingHandle);
    if (!drawing) return;
    Locked<ObjectList> objects(drawing->objectList);
    Locked<ZOrderList> order(drawing->zOrderList);
    Locked<GroupTable> groups(drawing->groupTable);
    if (!objects || !order || !groups) return;
    RECT visible;
    GetVisibleDrawingRect(view, &visible);
    ViewDrawingDC dc(view);
    const int currentGroup = GetCurrentGroupIndex(drawing.get(), objects.get());
    std::vector<char> handled(groups->count, 0), change(groups->count, 0);
    auto inside = [&](const RECT& b) {
        return !rect || (InRect(*rect, b.left, b.top) && InRect(*rect, b.right, b.bottom));
    };
    for (int i = 0; i < order->count; ++i) {
        const int r = (*order)[i];
        if (r < 0 || r >= objects->count) continue;
        DrawObject& o = (*objects)[r];
        RECT bounds = o.frame;
        SendClassMessage(nullptr, drawing.get(), objects.get(), r, OM_GETBOUNDS, 1, 1, &bounds);
        const int g = GroupOfObject(groups.get(), o);
        bool in = inside(bounds);
        if (g >= 0) {
            o.groupRow = g;
            if (handled[g]) continue;
            if (in && rect && (*groups)[g].angle == 0 && !inside((*groups)[g].bounds)) in = false;
            if (in) handled[g] = 1;
            // A group outside is decided by the members that lie outside, once each.
            if (!in && !shift && ((*groups)[g].flags & GroupSelected)) change[g] = 2;
            if (!in) continue;
            const bool selected = ((*groups)[g].flags & GroupSelected) != 0;
            if (shift)
                change[g] = selected ? 2 : 1;
            else if (!selected)
                change[g] = 1;
            else
                change[g] = 0;
            continue;
        }
        const bool selected = Selected(o);
        bool select = selected;
        if (in)
            select = shift ? !selected : true;
        else if (!shift)
            select = false;
        if (select == selected) continue;
        if (!select) {
            ToggleRowHandles(dc.get(), drawing.get(), objects.get(), visible, r);
            SetSelectedBit(o, false);
            --drawing->selectedCount;
            if (drawing->currentRow == r) drawing->currentRow = -1;
        } else {
            SetSelectedBit(o, true);
            ++drawing->selectedCount;
            // The current row is taken before the handles are drawn, so that they are drawn in the
            // current object's style: erasing draws them in that style, and XOR marks of two
            // styles leave their difference on the paper.
            if (drawing->currentRow < 0) drawing->currentRow = r;
            ToggleRowHandles(dc.get(), drawing.get(), objects.get(), visible, r);
        }
    }
    // A group handled inside is never deselected by a member that lies outside it.
    for (size_t g = 0; g < change.size(); ++g) {
        if (handled[g] && change[g] == 2 && !shift) change[g] = 0;
    }
    const int oldCurrent = drawing->currentRow;
    ApplyGroupSelections(drawing.get(), objects.get(), groups.get(), change, dc.get(), currentGroup);
    if (oldCurrent >= 0 && oldCurrent < objects->count && !Selected((*objects)[oldCurrent]))
        drawing->currentRow = -1;
    if (drawing->currentRow < 0) {
        for (size_t g = 0; g < change.size(); ++g) {
            if (change[g] != 1) continue;
            int member = -1;
            for (int i = order->count - 1; i >= 0 && member < 0; --i) {
                const int r = (*order)[i];
                if (r >= 0 && r < objects->count && GroupOfObject(groups.get(), (*objects)[r]) == static_cast<int>(g))
                    member = r;
            }
            // The group's marks were drawn as another group's: they become the current group's.
            if (member >= 0)
                SetCurrentObjectMarks(dc.get(), drawing.get(), objects.get(), groups.get(), &visible, member, TRUE);
            break;
        }
    }
    if (drawing->selectedCount < 0) drawing->selectedCount = 0;
    if (drawing->selectedCount > 0 && drawing->currentRow < 0) {
        const int top = TopmostSelectedObject(drawing.get());
        if (top >= 0) SetCurrentObjectMarks(dc.get(), drawing.get(), objects.get(), groups.get(), &visible, top, TRUE);
    }
    groups.Unlock();
    objects.Unlock();
    drawing.Unlock();
    dc.Release();
    UpdateTextStyleControls(view);
}

void DropHitIndex()
{
    g_hitIndex = HitIndex();
}

void BuildHitIndex(Drawing* drawing)
{
    Locked<ObjectList> objects(drawing->objectList);
    Locked<ZOrderList> order(drawing->zOrderList);
    if (!objects || !order) return;
    if (IndexServes(drawing, objects.get())) return;
    DropHitIndex();
    HitIndex& ix = g_hitIndex;
    // The grid covers the drawing area; objects reaching beyond it are kept in one list.
    Locked<DocumentState> state(
        reinterpret_cast<HGLOBAL>(static_cast<LONG_PTR>(GetWindowLongA(drawing->viewWindow, kViewStateLong))));
    const LONG width = std::max<LONG>(state ? state->areaWidth : drawing->pageWidth, 600);
    const LONG height = std::max<LONG>(state ? state->areaHeight : drawing->pageHeight, 600);
    ix.area = {0, 0, width, height};
    // About one object per cell on average, at most 256 x 256 cells.
    const double perSide = std::sqrt(static_cast<double>(std::max(1, objects->count)));
    ix.columns = std::clamp(static_cast<int>(perSide), 1, 256);
    ix.rows = ix.columns;
    ix.cellWidth = std::max<LONG>(1, (width + ix.columns - 1) / ix.columns);
    ix.cellHeight = std::max<LONG>(1, (height + ix.rows - 1) / ix.rows);
    // Two passes over the rows: count each cell's entries, then fill them in z-order.
    const size_t cellCount = static_cast<size_t>(ix.columns) * ix.rows;
    ix.cellStart.assign(cellCount + 1, 0);
    auto cellsOf = [&](const RECT& u, auto visit) {
        if (u.right <= u.left || u.bottom <= u.top) return;
        if (u.right <= 0 || u.bottom <= 0 || u.left >= width || u.top >= height) return;
        const int c0 = static_cast<int>(std::clamp<LONG>(u.left, 0, width - 1) / ix.cellWidth);
        const int c1 = static_cast<int>(std::clamp<LONG>(u.right - 1, 0, width - 1) / ix.cellWidth);
        const int r0 = static_cast<int>(std::clamp<LONG>(u.top, 0, height - 1) / ix.cellHeight);
        const int r1 = static_cast<int>(std::clamp<LONG>(u.bottom - 1, 0, height - 1) / ix.cellHeight);
        for (int y = r0; y <= r1; ++y)
            for (int x = c0; x <= c1; ++x) visit(static_cast<size_t>(y) * ix.columns + x);
    };
    for (int i = 0; i < order->count; ++i) {
        const int r = (*order)[i];
        if (r < 0 || r >= objects->count) continue;
        const RECT& u = (*objects)[r].updateRect;
        if (u.right > u.left && u.bottom > u.top &&
            (u.left < 0 || u.top < 0 || u.right > width || u.bottom > height))
            ix.outside.push_back(i);
        cellsOf(u, [&](size_t cell) { ++ix.cellStart[cell + 1]; });
    }
    for (size_t c = 0; c < cellCount; ++c) ix.cellStart[c + 1] += ix.cellStart[c];
    ix.cellItems.resize(static_cast<size_t>(ix.cellStart[cellCount]));
    std::vector<int> next(ix.cellStart.begin(), ix.cellStart.end() - 1);
    for (int i = 0; i < order->count; ++i) {
        const int r = (*order)[i];
        if (r < 0 || r >= objects->count) continue;
        cellsOf((*objects)[r].updateRect, [&](size_t cell) { ix.cellItems[static_cast<size_t>(next[cell]++)] = i; });
    }
    ix.objectList = drawing->objectList;
    ix.zOrderList = drawing->zOrderList;
    ix.count = objects->count;
    ix.changes = ModelChangeCount();
}
