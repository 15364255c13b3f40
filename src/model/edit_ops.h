// Edits of a drawing's objects as undoable steps: reshape, parameter and rotation messages,
// moves, pulling objects back onto the page, and attribute messages over the selection.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

struct DocumentState;
struct ObjectVector;

// Step 7 of the edit pattern, with the drawing unlocked (a roll-back reopens it): on success the
// document is marked changed (the whole window with `whole`); on an error the store is rolled
// back, the undo label cleared and the error shown. Returns `err`.
int FinishEdit(HWND view, int err, BOOL whole);

// Sets one object's frame: handle code 0 sends message 10 with `rect`, any other message 6 with
// the code; `rotated` rides along as the second integer. Takes no checkpoint of its own: unless
// the caller holds one, the caller's checkpoint is rolled back on an error.
int ReshapeObject(HWND view, int row, const RECT* rect, int handleCode, BOOL rotated,
                  BOOL callerHoldsCheckpoint);

// Sends `message` to one object with (a, 0, point) as one undoable step (label 42).
int SendObjectMessage(int message, DocumentState* state, int row, int a, POINT* point);

// Rotates one object toward `point` by its rotation handle, turning its attached label along
// (label 58).
int RotateObjectAndLabel(DocumentState* state, int row, int handleCode, POINT* point);

// Gives the attached label of the object at `row` the angle its class names for it (message 72,
// then 25 to the label); 0, or the label's error.
int TurnAttachedLabel(Drawing* drawing, ObjectList* objects, int row);

// Moves one object's four rectangles and its class coordinates; 10009 and nothing changed when
// its update rectangle would reach 32,767.
int OffsetObject(Drawing* drawing, ObjectList* objects, int row, int dx, int dy);

// Moves the rows of a move set; each group's frames move once (label 30, or 36 right after a
// duplicate, which also shifts the next duplicate's offset).
int MoveObjects(HWND view, int dx, int dy, const ObjectVector* moveSet, BOOL callerHoldsCheckpoint);

// Pushes one object back inside the drawing area; 10009 when it is larger than the area. No
// checkpoint, no propagation. `state` may be null.
int KeepObjectOnPage(DocumentState* state, Drawing* drawing, ObjectList* objects, int row);
// KeepObjectOnPage with the DocumentState of the drawing's view; 0 and nothing done when the
// drawing has no view, or the view no document.
int KeepObjectOnViewPage(Drawing* drawing, ObjectList* objects, int row);

// Sends one attribute message to every selected object (label 48, 58 for message 25) and keeps
// the colour messages' value as the drawing's default.
int ApplyToSelection(HWND view, int message, int a, void* value, BOOL callerHoldsCheckpoint);
