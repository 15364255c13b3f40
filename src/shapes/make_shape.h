// Make Shape (joining selected lines into one custom-outline shape) and Shape to Line (breaking
// a shape back into one line per outline piece), with the checks that ask the user first.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

struct DocumentState;

// Two path points meet when they differ by less than 30 units in each coordinate.
BOOL PointsMeet(POINT a, POINT b);

// Closes the small gap of a joint: `last` is the chain's last vertex, `beforeLast` the one
// before it, `joining` the piece's point at the joint and `neighbour` its next point in the
// direction the piece is added. A vertical or horizontal side pulls the other side onto its
// coordinate; slanted joints keep their gap.
void AlignJoint(POINT* last, POINT beforeLast, POINT* joining, POINT neighbour);

// Joins the selected lines and connectors end to end into one closed chain: 0 when they form
// one (and, without `test`, after they were replaced by a selected shape of kind 26); 1 when
// fewer than two are selected, one has no path, the pieces give fewer than two vertices or
// their extent is too small for a shape; -1 when they do not form one closed chain; a memory
// or store error otherwise. With `test` nothing in the drawing changes.
int JoinLinesIntoShape(Drawing* drawing, BOOL test);

// The check of Join: 1 to go on (INFO_MAKESHAPEOK confirmed), 0 to stop (INFO_MAKESHAPE shown
// when the selection cannot be joined).
int ConfirmMakeShape(Drawing* drawing);

// Replaces the first selected shape by one line or connector per piece of its outline: 0 when
// it can be (and, without `test`, was) converted; 1 when nothing is selected, the object is no
// shape or none of its pieces is large enough to become an object; -1 for a picture (the test
// run shows INFO_SHAPETOLINE_WRONG); the error of the store, message 76, 77 or AddObject.
int ConvertShapeToLines(DocumentState* state, Drawing* drawing, BOOL test);

// The check of Edit Shape Outline: 1 to go on (INFO_SHAPETOLINE_OK confirmed), 0 to stop.
int ConfirmShapeToLine(DocumentState* state, Drawing* drawing);

// The edit operations of the commands: the check, then the conversion as one undoable step
// (UndoLabel 60 "Join Lines", 62 "Edit Shape"). 0 also when the user stopped at the check.
int JoinLinesCommand(HWND view);
int EditShapeOutlineCommand(HWND view);
