// The document's change state after an edit: marking it changed, or rolling a failed edit back.
#pragma once

#include <windows.h>


struct DocumentState;

// Marks the document modified (and tells OLE), sets its redraw flag; `whole` invalidates the
// view's whole client area.
void MarkDocumentChanged(HWND view, DocumentState* state, BOOL whole);

// Restores the store from the checkpoint of a failed edit and forgets it.
int RollBackEdit(HWND view);
