// What lies under a point of the drawing, and the selection: which objects and groups are
// selected, which one is current, and their XOR marks on the screen.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

struct ObjectVector;

// The view's own device context with the window origin at 0,0: scrolling lives in the viewport
// origin and the zoom in the mapping, so drawing coordinates go straight in.
class ViewDrawingDC {
public:
    explicit ViewDrawingDC(HWND view);
    ~ViewDrawingDC();
    ViewDrawingDC(const ViewDrawingDC&) = delete;
    ViewDrawingDC& operator=(const ViewDrawingDC&) = delete;
    HDC get() const { return dc_; }
    // Releases the context early.
    void Release();

private:
    HWND view_;
    HDC dc_;
};

// The view's client area in drawing units.
void GetVisibleDrawingRect(HWND view, RECT* rect);

// Group index of a grouped object, -1 for an ungrouped one (or a group id that names no group).
int GroupOfObject(GroupTable* groups, const DrawObject& object);

// The temporary shape record a selected group is shown and hit-tested as.
DrawObject GroupShapeRecord(const GroupEntry& group);

// The HitCode at (x, y): selected groups' marks first (without an exclude set), then selected
// objects, then every object, front to back. `row` gets the object row or group index, `hitClass`
// the object's class or -1 for a group or nothing. `exclude` objects are skipped; with
// `arraysOnly` only line arrays are tested.
int HitTestPage(Drawing* drawing, int x, int y, int mode, const ObjectVector* exclude, int* row, int* hitClass,
                BOOL arraysOnly);

// Clears every selection of the drawing and erases its marks.
void DeselectAll(Drawing* drawing);

// The selection change of a click on the object at `row` (or its group). `extend` (Shift)
// toggles it and keeps the others; `moved` keeps a selection the object belongs to (a drag of
// selected objects); `draw` updates the marks on the screen.
void SelectObjectByClick(HGLOBAL drawingHandle, int row, BOOL extend, BOOL moved, BOOL draw);

// Selects or deselects the whole group `groupIndex`, drawing its marks when `draw` is set.
void SetGroupSelected(Drawing* drawing, int groupIndex, BOOL select, BOOL draw);

// Rubber-band selection in `rect` (drawing units; right and bottom edges outside); Shift (read
// from the keyboard) toggles the objects inside and keeps those outside. Without a rectangle
// every object and group is selected.
void SelectObjectsInRect(HWND view, const RECT* rect);

// Row of the frontmost selected object, -1 when none.
int TopmostSelectedObject(Drawing* drawing);

// XOR-draws the handles of the object at `row` when it is selected, not being text-edited and
// meets `visible`.
void ToggleObjectHandles(HDC dc, Drawing* drawing, ObjectList* objects, const RECT* visible, int row);

// Moves the current-object marks to `newRow`; with `eraseNewFirst` the plain marks the new row
// shows are erased before its current marks are drawn.
void SetCurrentObjectMarks(HDC dc, Drawing* drawing, ObjectList* objects, GroupTable* groups, const RECT* visible,
                           int newRow, BOOL eraseNewFirst);

// An index of the objects' update rectangles that the hook searches of one drag share, so that a
// search visits only the objects near its point. Made on need for the drawing's current tables;
// dropped at every press and when a drag ends (the object list does not change while a drag runs).
void BuildHitIndex(Drawing* drawing);
void DropHitIndex();
