// Marking a document changed after an edit, and rolling a failed edit back.
#include "model/document_changes.h"

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "model/undo.h"

void MarkDocumentChanged(HWND view, DocumentState* state, BOOL whole)
{
    MarkDocumentModified(state);
    if (whole) InvalidateRect(view, nullptr, FALSE);
    state->flags |= DocRedraw;
}

int RollBackEdit(HWND view)
{
    UndoLastChange(view, FALSE);
    return 0;
}
