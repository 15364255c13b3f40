// Object text as the drawing model sees it: the stored TextBlock layout, the text holder of an
// object, ending an in-place edit, and the editor's background callback.
#pragma once

#include <windows.h>

#include <cstddef>

#include "model/drawing_records.h"
#include "text/ten_messages.h"
#include "text/text_records.h"

struct DocumentState;

// The runs and paragraph formats of a locked TextBlock payload of `payloadSize` bytes. Counts
// come from stored data: a block whose counts do not fit its size yields no runs.
struct TextBlockView {
    const TextRun* runs = nullptr;
    int runCount = 0;
    const ParagraphFormat* formats = nullptr;
    int formatCount = 0;
};
TextBlockView ViewTextBlock(const BYTE* payload, LONG payloadSize);

// The size of the TextBlock its header describes: 88 bytes, then the lines, runs, paragraph
// formats, segments and text; -1 when a count is negative.
long long TextBlockSize(const TextBlock* header);

// Copies the TextBlock `text` (a movable memory block) into the store record `*record`, resized
// to 16 bytes plus the block (the block may move), and marks it changed. 1 when the record would
// be above 65,000 bytes (nothing changes), StoreMemoryTooSmall when the memory block is shorter
// than its header says, or the store's error.
int StoreTextBlock(HGLOBAL* record, HGLOBAL text);

// Lays the object's stored text out again by its fit mode, growing or shrinking the frame away
// from `anchor` (0: by the text alignment): 0, a store error, or 10009 when the object would
// become larger than the page. Until the text layout is built, the stored layout stands.
int LayoutObjectText(Drawing* drawing, DrawObject* object, int anchor);

// textRect = innerRect shrunk by textInset, then by textMargins.
void ComputeObjectTextRect(DrawObject* object);

// The row of the object that carries the text of the object at `row`: a line's label, or the
// object itself; -1 when the label is gone (the holder's partner fields are then cleared).
int ResolveTextHolderIndex(ObjectList* objects, int row);

// Ends an edit whose text was not changed; mode 1 leaves the edited object selected.
void EndUnchangedTextEdit(DocumentState* state, int mode);

// Stores the editor's text as the edited object's text record and resizes the object.
int CommitObjectTextEdit(HWND view, DocumentState* state, int reserved, int mode);

// Draws the object's stored text inside its textRect, rotated with the object, for OM_DRAW
// and 31-33 of its class. Text is laid out by the text engine; until it lands nothing is drawn.
void DrawObjectText(HDC dc, int message, Drawing* drawing, ObjectList* objects, int row, int a,
                    int b, void* p);

// The editor's owner-paint callback, slot 4 of the class handler table.
extern "C" LONG CALLBACK SED_TENProc(HWND editor, HDC dc, void* tenState);
