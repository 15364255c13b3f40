// The editor's undo snapshot: taking it, putting it back after a failed change, and the block
// copy it is made with.
#pragma once

#include <windows.h>

#include "text/text_records.h"

// The snapshot kind of loading a text block: silent (the parent is not told) and dropped when
// the load ends.
constexpr int kUndoKindLoad = 32;

// Resizes `*target` to the size of `source` (allocating it when there is none) and copies the
// bytes: 0 or 10004.
int CopyGlobalBlock(HGLOBAL* target, HGLOBAL source);
// Takes a snapshot of the current text of kind `kind` (0 drops the snapshot): 0 or 10004.
int SaveTextUndo(HWND editor, TenState* state, int kind);
// Puts the snapshot back after a failed operation; the snapshot is consumed.
void SwapTextUndo(TenState* state);
// Frees the five tables of one copy and clears their handles.
void FreeTextUndoArrays(TenTextCopy* copy);
// EM_UNDO: exchanges the current text with the snapshot (undo, then redo). 0.
int TenUndo(HWND editor);
