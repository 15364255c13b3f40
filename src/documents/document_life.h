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
// font list, drawing, colour list) and its Drawing, and puts the state into window long 4 of
// the view. 10005 when no printer context can be made.
int CreateNewDocumentState(HWND view, int storeSlot);

// Rebuilds the view's DocumentState from its store and opens the stored drawing; `converted`
// tells whether an older state was converted.
int LoadDocumentState(HWND view, int storeSlot, BOOL* converted);

// Adds the empty colour list (100, 106): a count of 0 and room for 256 colours.
int CreateColorListRecord(int storeSlot);

// Gives a new drawing store its record types: 100, 110, 115, 111, 112, 113, 114, 116, 117, 119,
// 120, 118; the first error of adding one.
int AddDocumentRecordTypes(int storeSlot);

// Forgets the font handles cached in the runs of every text block of the state's store.
int ClearTextBlockHandles(DocumentState* state);

// Copies the whole of `block` into record (100, id), adding it or resizing it to fit; marks it
// dirty.
int StoreBlockAsDocumentRecord(int slot, int id, HGLOBAL block);

// Frees what a state block holds (DEVMODE, font map, font list, printer context) and the block.
void FreeDocumentStateBlocks(HGLOBAL stateBlock);

// The printer measurement the document state uses; tests put a printer of their own here.
typedef HDC (*PrinterMetricsFunction)(char* device, HGLOBAL devMode, RECT* margins, SIZE* paper,
                                      int mode, BOOL takeDefault, BOOL* followsDefault, BOOL* footers);
extern PrinterMetricsFunction g_printerMetrics;

constexpr int kColorListRecordSize = 1044;   // header, count, 256 colours
constexpr int kMaxDocumentColors = 256;
constexpr int kNewDevModeSize = 148;
