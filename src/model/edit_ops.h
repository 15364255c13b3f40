// Edits of a drawing's objects as undoable steps: reshape, parameter and rotation messages,
// moves, pulling objects back onto the page, and attribute messages over the selection.
//
// The edit transaction. Every change to a drawing's objects (these operations, the group
// rotation and resizing, adding and deleting) runs these steps:
//   1. Show the busy cursor.
//   2. Unless the caller holds the checkpoint: SaveUndoState with the operation's UndoLabel.
//   3. BeginRecordChange on the Drawing, the ObjectList and every other table to be changed
//      (the group table, the ZOrderList), so that the checkpoint holds their old contents.
//   4. For each object changed: invalidate its old updateRect, send the class message,
//      invalidate its new updateRect.
//   5. Flag the links (MarkLinksChanged, 0x10): the object's id and its group; when it holds
//      exactly one hook, also that hook's target (when it still exists) and the target's group.
//   6. Unless the caller holds the checkpoint: PropagateLinks, so that hooked objects follow.
//   7. On success MarkDocumentChanged; on an error RollBackEdit (the whole store returns to the
//      checkpoint), UndoLabel 0 and ReportEditError. When the caller holds the checkpoint,
//      steps 6 and 7 are the caller's, except in MoveObjects, which always runs them.
// An error after step 2 therefore leaves no trace in the store.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

struct DocumentState;
struct ObjectVector;

// Step 7 of the edit transaction, with the drawing unlocked (a roll-back reopens it): on success the
// document is marked changed (the whole window with `whole`); on an error the store is rolled
// back, the undo label cleared and the error shown. Returns `err`.
int FinishEdit(HWND view, int err, BOOL whole);

// Sets one object's frame: handle code 0 sends OM_SETFRAME with `rect`, any other OM_DRAGHANDLE with
// the code; `rotated` rides along as the second integer. Takes no checkpoint of its own: unless
// the caller holds one, the caller's checkpoint is rolled back on an error.
int ReshapeObject(HWND view, int row, const RECT* rect, int handleCode, BOOL rotated,
                  BOOL callerHoldsCheckpoint);

// Sends `message` to one object with (a, 0, point) as one undoable step (label 42).
int SendObjectMessage(int message, DocumentState* state, int row, int a, POINT* point);

// Rotates one object toward `point` by its rotation handle, turning its attached label along
// (label 58).
int RotateObjectAndLabel(DocumentState* state, int row, int handleCode, POINT* point);

// Gives the attached label of the object at `row` the angle its class names for it (OM_LABELANCHOR,
// then 25 to the label); 0, or the label's error.
int TurnAttachedLabel(Drawing* drawing, ObjectList* objects, int row);

// Moves one object's four rectangles and its class coordinates; 10009 and nothing changed when
// its update rectangle would reach 32,767.
int OffsetObject(Drawing* drawing, ObjectList* objects, int row, int dx, int dy);

// Moves the rows of a move set; each group's frames move once (label 30, or 36 right after a
// duplicate, which also shifts the next duplicate's offset). With or without the caller's
// checkpoint it then settles the links (PropagateLinks) and finishes the edit: on an error the
// store is rolled back to the checkpoint and the error shown here; the caller shows nothing again.
int MoveObjects(HWND view, int dx, int dy, const ObjectVector* moveSet, BOOL callerHoldsCheckpoint);

// Pushes one object back inside the drawing area; 10009 when it is larger than the area. No
// checkpoint, no propagation. `state` may be null.
int KeepObjectOnPage(DocumentState* state, Drawing* drawing, ObjectList* objects, int row);
// KeepObjectOnPage with the DocumentState of the drawing's view; 0 and nothing done when the
// drawing has no view, or the view no document.
int KeepObjectOnViewPage(Drawing* drawing, ObjectList* objects, int row);

// A grouped member's frame changed from `before`: the whole group is resized by the member's
// factors instead (both the larger with handle layout 3), moved as the member's top-left moved
// but kept on the drawing, and the member's own frame is put back first. 0 for no group.
int ResizeGroupForMember(HWND view, Drawing* drawing, ObjectList* objects, int row, const RECT& before);

// Sends one attribute message to every selected object (label 48, 58 for OM_SETANGLE) and keeps
// the colour messages' value as the drawing's default.
int ApplyToSelection(HWND view, int message, int a, void* value, BOOL callerHoldsCheckpoint);
