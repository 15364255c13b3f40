// The drawing commands outside the edit executor: attributes from the menus and the palette,
// Select All, Colors and Shadows, Rotate, the rulers dialog and Show Grid.
#include <initializer_list>

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "documents/options.h"
#include "documents/settings.h"
#include "editing/arrange.h"
#include "editing/arrange_dialogs.h"
#include "editing/arrange_internal.h"
#include "editing/edit_operation.h"
#include "editing/hit_test.h"
#include "exchange/background.h"
#include "frame/frame_services.h"
#include "frame/frame_windows.h"
#include "geometry/point_geometry.h"
#include "model/class_protocol.h"
#include "model/document_changes.h"
#include "model/drawing.h"
#include "model/edit_ops.h"
#include "model/group_transform.h"
#include "model/groups.h"
#include "model/invalidate.h"
#include "model/links.h"
#include "model/move_set.h"
#include "model/undo.h"
#include "resource.h"
#include "store/results.h"
#include "store/store_records.h"
#include "text/text_format.h"

namespace {

constexpr int kNoColorIndex = 48;
constexpr int kStyleChangeLabel = 32;
constexpr int kRotateRefusedHelp = 30052;
constexpr int kCornerHandle = 4;
constexpr INT32 kTextColorMask = 0x80;

int CancelAll(LPCSTR, void*)
{
    return 0;
}

HWND EditorOf(HWND view)
{
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return nullptr;
    Locked<DocumentState> state(stateBlock);
    return state ? state->textEditor : nullptr;
}

// Every document window's view (the first child of each MDI child), in child order.
template <typename F>
void ForEachDocumentView(F visit)
{
    if (!g_mdiClient) return;
    for (HWND document = GetWindow(g_mdiClient, GW_CHILD); document; document = GetWindow(document, GW_HWNDNEXT)) {
        if (GetParent(document) != g_mdiClient || GetWindow(document, GW_OWNER)) continue;
        HWND view = GetWindow(document, GW_CHILD);
        if (GetDocumentStateHandle(view)) visit(document, view);
    }
}

// Colours the object takes from the drawing's new style; its group follows a size change.
int RestyleObject(HWND view, DocumentState* state, Drawing* drawing, ObjectList* objects, int row,
                  const StyleDialogValues& values)
{
    DrawObject& object = (*objects)[row];
    const RECT before = object.frame;
    DrawingStyle& style = drawing->style;
    int err = 0;
    if (values.applyToFills) err = static_cast<int>(SendClassMessage(nullptr, drawing, objects, row, OM_SETFILLCOLOR, 1, 0, &style.fillColor));
    if (!err && values.applyToLines) {
        err = static_cast<int>(SendClassMessage(nullptr, drawing, objects, row, OM_SETBORDERCOLOR, 1, 0, &style.borderColor));
        if (!err) err = static_cast<int>(SendClassMessage(nullptr, drawing, objects, row, OM_SETLINECOLOR, 0, 0, &style.lineColor));
    }
    if (!err) err = static_cast<int>(SendClassMessage(nullptr, drawing, objects, row, OM_REFRESHEFFECTS));
    if (!err && values.applyToFills && object.textId >= 0) {
        TextFormatRequest request = {};
        request.mask = kTextColorMask;
        request.color = style.textColor;
        err = static_cast<int>(SendClassMessage(nullptr, drawing, objects, row, OM_TEXTCOLOR, 0, 0, &request));
    }
    if (!err && !EqualRect(&before, &object.frame))
        err = arrange::ScaleGroupForMember(view, state, drawing, objects, row, before);
    return err;
}

// The angle Set Angle starts from: the current object's group's, else its own (a line's
// direction), 0 without a current object.
int StartAngle(Drawing* drawing)
{
    Locked<ObjectList> objects(drawing->objectList);
    int row = drawing->currentRow;
    if (!objects || row < 0 || row >= objects->count) return 0;
    int group = GroupIndexOfObject(drawing, (*objects)[row]);
    if (group >= 0) {
        Locked<GroupTable> groups(drawing->groupTable);
        return groups ? (*groups)[group].angle : 0;
    }
    INT32 angle = (*objects)[row].angle;
    const int objClass = (*objects)[row].objClass;
    if (objClass == ClassLine || objClass == ClassConnector)
        SendClassMessage(nullptr, drawing, objects.get(), row, OM_LABELANCHOR, 0, 0, &angle);
    return angle;
}

// How far the group's turned corners reach beyond the drawing area (0 inside); a group whose
// corners leave the area on both sides of one direction is not moved: no offset brings it in.
POINT OverhangOfTurnedGroup(const DocumentState* state, const RECT& frame, int angle)
{
    POINT corners[4] = {{frame.left, frame.top}, {frame.right, frame.top}, {frame.right, frame.bottom}, {frame.left, frame.bottom}};
    RotatePointsAboutRect(&frame, angle, corners, 4);
    POINT d = {0, 0};
    BOOL lowX = FALSE, highX = FALSE, lowY = FALSE, highY = FALSE;
    for (const POINT& p : corners) {
        if (p.x < 0) {
            lowX = TRUE;
            if (p.x < d.x) d.x = p.x;
        } else if (p.x > state->areaWidth) {
            highX = TRUE;
            if (p.x - state->areaWidth > d.x) d.x = p.x - state->areaWidth;
        }
        if (p.y < 0) {
            lowY = TRUE;
            if (p.y < d.y) d.y = p.y;
        } else if (p.y > state->areaHeight) {
            highY = TRUE;
            if (p.y - state->areaHeight > d.y) d.y = p.y - state->areaHeight;
        }
    }
    if ((lowX && highX) || (lowY && highY)) return POINT{0, 0};
    return d;
}

int FirstMemberRow(Drawing* drawing, int groupId)
{
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return -1;
    for (int row = 0; row < objects->count; ++row)
        if ((*objects)[row].groupId == groupId) return row;
    return -1;
}

// Moves and turns one selected group; `joined` once the command's undo step exists.
int TurnGroup(HWND view, DocumentState* state, Drawing* drawing, int index, int angle, BOOL* joined)
{
    GroupEntry group;
    {
        Locked<GroupTable> groups(drawing->groupTable);
        if (!groups) return ErrOutOfMemory;
        group = (*groups)[index];
    }
    POINT d = OverhangOfTurnedGroup(state, group.frame, angle);
    if (d.x != 0 || d.y != 0) {
        int row = FirstMemberRow(drawing, group.groupId);
        ObjectVector* set = nullptr;
        RECT bounds;
        int err = row >= 0 ? CollectMoveSet(drawing, row, FALSE, FALSE, FALSE, &set, &bounds) : 0;
        if (!err && set) err = MoveObjects(view, -d.x, -d.y, set, *joined);
        {
            Locked<ObjectList> objects(drawing->objectList);
            FreeObjectVector(&set, objects.get());
        }
        if (err) return *joined ? FinishEdit(view, err, FALSE) : err;
        *joined = TRUE;
        Locked<GroupTable> groups(drawing->groupTable);
        if (groups) group = (*groups)[index];
    }
    POINT target = {group.frame.right, group.frame.bottom};
    RotatePoints(&group.frame, angle, &target, 1);
    const BOOL holds = *joined;
    int err = RotateGroup(state, index, kCornerHandle, target.x, target.y, holds);
    *joined = TRUE;
    if (err && holds) FinishEdit(view, err, FALSE);
    return err;
}

}  // namespace

ParameterDialogPrompt g_parameterDialogPrompt = CancelAll;

int RunStyleDialog(Drawing*, DrawingStyle* style, HPALETTE, BOOL* applyToFills, BOOL* applyToLines)
{
    StyleDialogValues values = {*style, *applyToFills, *applyToLines};
    if (!g_parameterDialogPrompt("STYLEDLG", &values)) return 0;
    *style = values.style;
    *applyToFills = values.applyToFills;
    *applyToLines = values.applyToLines;
    return 1;
}

int RunRotationDialog(int* angle)
{
    INT32 value = *angle;
    if (!g_parameterDialogPrompt("SETANGLE", &value)) return 0;
    *angle = value;
    return 1;
}

int RunRulerDialog(HWND view)
{
    return g_parameterDialogPrompt("RULERDLG", view);
}

void ApplyStyleCommand(int message, int value)
{
    HWND view = arrange::ActiveDrawingView();
    if (!view) return;
    if (EditorOf(view) && EndTextEditing(view, 1) != 0) return;
    const BOOL colour = message == OM_SETBORDERCOLOR || message == OM_SETFILLCOLOR || message == OM_SETLINECOLOR;
    const int integer =
        colour && message != OM_SETLINECOLOR ? 1 : (message == OM_SETBORDERWIDTH || message == OM_SETLINEWIDTH ? 1 : 0);
    COLORREF color = static_cast<COLORREF>(-1);
    if (colour && value >= 0 && value < kNoColorIndex && g_settings) color = g_settings->standardColors[value];
    INT32 block[2] = {0, value};
    ApplyToSelection(view, message, integer, colour ? static_cast<void*>(&color) : static_cast<void*>(block), FALSE);
}

void SelectAllObjects()
{
    if (HWND view = arrange::ActiveDrawingView()) SelectObjectsInRect(view, nullptr);
}

void DoColorsAndShadows()
{
    HWND view = arrange::ActiveDrawingView();
    if (!view) return;
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    StyleDialogValues values = {};
    {
        Locked<DocumentState> state(stateBlock);
        Locked<Drawing> drawing(state ? state->drawing : nullptr);
        if (!drawing) return;
        values.style = drawing->style;
        if (!RunStyleDialog(drawing.get(), &values.style, state->palette, &values.applyToFills, &values.applyToLines))
            return;
    }
    if (EditorOf(view)) EndTextEditing(view, 0);
    int err = SaveUndoState(view, kStyleChangeLabel);
    if (!err) {
        InvalidationBatch batch;
        Locked<DocumentState> state(stateBlock);
        HGLOBAL drawingBlock = state ? state->drawing : nullptr;
        Locked<Drawing> drawing(drawingBlock);
        if (!drawing) err = ErrOutOfMemory;
        for (HGLOBAL block : {drawingBlock, drawing ? drawing->objectList : nullptr, drawing ? drawing->zOrderList : nullptr})
            if (!err) err = BeginRecordChange(block);
        if (!err) {
            const COLORREF background = drawing->style.backgroundColor;
            drawing->style = values.style;
            drawing->style.backgroundColor = background;
            SetCursorByIndex(CursorBusy);
            Locked<ObjectList> held(drawing->objectList);
            if (!held) err = ErrOutOfMemory;
            // A group resized after a member's change may give a length label to a line, which
            // can move the list: its address is read again for every row.
            for (int row = 0; !err; ++row) {
                ObjectList* objects = PresentObjectList(drawing.get());
                if (!objects || row >= objects->count) break;
                err = RestyleObject(view, state.get(), drawing.get(), objects, row, values);
            }
        }
        if (!err) err = SetBackgroundColor(-1, values.style.backgroundColor, TRUE);
        if (!err) err = PropagateLinks(drawing.get());
        if (!err) {
            state->flags |= DocRedraw;
            InvalidateRect(view, nullptr, FALSE);
            CollectDocumentColors(state.get(), 0);
            BuildDocumentPalette(view, state.get());
            MarkDocumentModified(state.get());
            SetCursorByIndex(CursorArrow);
        }
    }
    if (!err) return;
    ShowWarningById(IDS_DISK_OR_MEMORY);
    UndoLastChange(view, FALSE);
    SetCursorByIndex(CursorArrow);
}

void RotateSelectionCommand(int angle)
{
    HWND view = arrange::ActiveDrawingView();
    if (!view || GetWindow(view, GW_CHILD)) return;
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    RotationRefused = FALSE;
    BOOL joined = FALSE;
    int err = 0;
    {
        Locked<DocumentState> state(stateBlock);
        Locked<Drawing> drawing(state ? state->drawing : nullptr);
        if (!drawing || !CheckFlipAllowed(state.get())) return;
        if (angle == -1) {
            angle = StartAngle(drawing.get());
            if (!RunRotationDialog(&angle)) return;
        }
        int count;
        {
            Locked<GroupTable> groups(drawing->groupTable);
            count = groups ? groups->count : 0;
        }
        for (int i = 0; i < count && !err; ++i) {
            DWORD flags;
            {
                Locked<GroupTable> groups(drawing->groupTable);
                flags = groups ? (*groups)[i].flags : 0;
            }
            if (!(flags & GroupSelected)) continue;
            if (flags & GroupNoFreeResize) {
                RotationRefused = TRUE;
                continue;
            }
            err = TurnGroup(view, state.get(), drawing.get(), i, angle, &joined);
        }
    }
    if (err) return;
    err = ApplyToSelection(view, OM_SETANGLE, angle, nullptr, joined);
    if (joined) {
        if (!err) {
            Locked<DocumentState> state(stateBlock);
            Locked<Drawing> drawing(state ? state->drawing : nullptr);
            err = drawing ? PropagateLinks(drawing.get()) : ErrOutOfMemory;
        }
        err = FinishEdit(view, err, TRUE);
    }
    if (!err && RotationRefused) RunInfoDialog("INFO_NOROTATE", kRotateRefusedHelp);
}

void DoRulerGridCommand()
{
    HWND view = arrange::ActiveDrawingView();
    if (!view || !g_settings) return;
    const INT32 shown = g_settings->ruler.rulersShown;
    if (!RunRulerDialog(view)) return;
    const BOOL changed = g_settings->ruler.rulersShown != shown;
    ForEachDocumentView([&](HWND document, HWND documentView) {
        if (changed) {
            RelayoutDocumentWindow(document);
        } else if (shown) {
            HWND window = documentView;
            for (int i = 0; i < 4 && window; ++i, window = GetWindow(window, GW_HWNDNEXT)) InvalidateRect(window, nullptr, TRUE);
        }
    });
}

void ToggleShowGrid()
{
    if (!g_settings) return;
    g_settings->flags ^= SetShowGrid;
    ForEachDocumentView([](HWND, HWND view) {
        Locked<DocumentState> state(GetDocumentStateHandle(view));
        if (state) state->flags |= DocRedraw;
        InvalidateRect(view, nullptr, TRUE);
    });
}
