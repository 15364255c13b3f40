// One level of undo with redo per drawing: a checkpoint of the drawing's store with the
// UndoLabel that names the change, and ending the in-place text editor.
#pragma once

#include <windows.h>

// Even codes naming the last undoable change; the Edit menu shows string 2500 plus the code
// (2501 plus the code after an undo).
enum UndoLabel {
    UndoNone = 0,
    UndoTyping = 2,
    UndoDelete = 4,
    UndoPaste = 8,
    UndoCopy = 24,
    UndoDrawing = 28,
    UndoMove = 30,
    UndoDuplicate = 34,
    UndoMoveAfterDuplicate = 36,
    UndoResize = 38,
    UndoAddObject = 40,
    UndoChangeShape = 42,
    UndoCut = 46,
    UndoChangeAppearance = 48,
    UndoRotate = 58,
    UndoJoinLines = 60,
    UndoEditShape = 62,
};

constexpr UINT kUndoStringBase = 2500;   // + label: undo text; + 1 + label: redo text

// Opens a checkpoint of the view's store and records the label; 1 without a DocumentState.
int SaveUndoState(HWND view, int label);

// Swaps the store back to the checkpoint and reopens the drawing. With `keepRedo` (Edit/Undo)
// a second call redoes; without, a failed edit is rolled back and the checkpoint forgotten.
int UndoLastChange(HWND view, BOOL keepRedo);

// Forgets the checkpoint: label 0, no redo.
void ClearUndoState(HWND view);

// Closes the view's in-place text editor (none: the active document's view), committing
// changed text; mode 0 leaves the object unselected, 1 selected, -1 the caller holds the
// checkpoint.
int EndTextEditing(HWND view, int mode);

// While an editor is open: the view's client rect offset by its scroll positions.
void GetTextEditorViewRect(HWND view, RECT* rect);
