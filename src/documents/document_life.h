// The life of a document's state: the record types of a drawing store, creating a new
// document's state, rebuilding it from a store, and the modified mark.
#pragma once

#include <windows.h>

#include "documents/document_state.h"

// The view's DocumentState block (window long 4), null when it has none.
HGLOBAL GetDocumentStateHandle(HWND view);

// Sets the modified bit and tells OLE containers that the data changed.
void MarkDocumentModified(DocumentState* state);

// Creates the store records of a new empty drawing (document state, printer set-up, font map,
// drawing) and its Drawing, and puts the state into window long 4 of the view.
int CreateNewDocumentState(HWND view, int storeSlot);

// Rebuilds the view's DocumentState from its store and opens the stored drawing; `converted`
// tells whether an older state was converted.
int LoadDocumentState(HWND view, int storeSlot, BOOL* converted);

// Gives a new drawing store its record types: 100, 110, 115, 111, 112, 113, 114, 116, 117, 119,
// 120, 118; the first error of adding one.
int AddDocumentRecordTypes(int storeSlot);
