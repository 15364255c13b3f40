// Editing services used by the model and the classes: edit error messages, handle codes, grid
// snapping, attachments, selection by click and the paste position.
#include "editing/edit_services.h"

#include <initializer_list>

#include "documents/document_state.h"
#include "documents/settings.h"
#include "frame/frame_services.h"
#include "model/drawing.h"
#include "model/groups.h"
#include "model/selection.h"
#include "store/block_store.h"
#include "store/results.h"

DragState g_dragState = IdleDragState();

void DeselectAll(Drawing* drawing)
{
    Locked<ObjectList> objects(drawing->objectList);
    Locked<GroupTable> groups(drawing->groupTable);
    if (objects) {
        for (int r = 0; r < objects->count; ++r) (*objects)[r].state &= ~static_cast<DWORD>(StateSelected);
    }
    if (groups) {
        for (int i = 0; i < groups->count; ++i) (*groups)[i].flags &= ~static_cast<DWORD>(GroupSelected);
    }
    drawing->selectedCount = 0;
    drawing->currentRow = -1;
}

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
    double major = ruler.scaleBase;   // hundredths of an inch per major division
    if (ruler.screenUnit == 0) major /= 2.54;
    double p = 6 * major;
    int n = ruler.divisions > 0 ? ruler.divisions : 1;
    double h = p / (2 * n);
    if (p <= 0) return;
    for (LONG* v : {&point->x, &point->y}) {
        long k = static_cast<long>(*v / p);
        double r = *v - k * p;
        if (r >= (2 * n - 1) * h) {
            ++k;
            r = 0;
        }
        long m = static_cast<long>(n * r / p);
        if (r - 2 * m * h > h) ++m;
        *v = 6 * static_cast<long>(m * major / n + k * major);
    }
}

void SelectObjectByClick(HGLOBAL drawingHandle, int row, BOOL extend, int reserved1, int reserved2)
{
    (void)reserved1;
    (void)reserved2;
    Locked<Drawing> drawing(drawingHandle);
    if (!drawing) return;
    Locked<ObjectList> objects(drawing->objectList);
    Locked<GroupTable> groups(drawing->groupTable);
    if (!objects || !groups || row < 0 || row >= objects->count) return;
    auto setGroup = [&](int groupId, bool select) {
        for (int r = 0; r < objects->count; ++r) {
            DrawObject& member = (*objects)[r];
            if (member.groupId != groupId || member.groupRow < 0) continue;
            member.state = select ? (member.state | StateSelected) : (member.state & ~static_cast<DWORD>(StateSelected));
        }
        int index = FindGroupEntry(groups.get(), groupId, -1, 0);
        if (index >= 0)
            (*groups)[index].flags = select ? ((*groups)[index].flags | GroupSelected)
                                            : ((*groups)[index].flags & ~static_cast<DWORD>(GroupSelected));
    };
    bool wasSelected = ((*objects)[row].state & StateSelected) != 0;
    if (!extend) {
        for (int r = 0; r < objects->count; ++r) (*objects)[r].state &= ~static_cast<DWORD>(StateSelected);
        for (int i = 0; i < groups->count; ++i) (*groups)[i].flags &= ~static_cast<DWORD>(GroupSelected);
        drawing->currentRow = -1;
        wasSelected = false;
    }
    DrawObject& object = (*objects)[row];
    bool grouped = object.groupId != 0 && FindGroupEntry(groups.get(), object.groupId, object.groupRow, 0) >= 0;
    if (!wasSelected) {
        if (grouped)
            setGroup(object.groupId, true);
        else
            object.state |= StateSelected;
        drawing->currentRow = row;
    } else {
        if (grouped)
            setGroup(object.groupId, false);
        else
            object.state &= ~static_cast<DWORD>(StateSelected);
        if (drawing->currentRow == row) drawing->currentRow = -1;
    }
    int selected = 0;
    for (int r = 0; r < objects->count; ++r) {
        if ((*objects)[r].state & StateSelected) ++selected;
    }
    drawing->selectedCount = selected;
    HWND view = drawing->viewWindow;
    groups.Unlock();
    objects.Unlock();
    drawing.Unlock();
    UpdateTextStyleControls(view);
}

