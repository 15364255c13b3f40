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

// Lays the object's stored text out again in a hidden editor and fits the object to it by its
// fit mode, keeping the sides named by `anchor` (1 left and top, 2 right and top, 3 left and
// bottom, 4 right and bottom, 5 top, 6 bottom, 7 left, 8 right, anything else the object's
// alignment). `fontMap` replaces the document's map while a file is read. 0 (also without a
// usable text), 10009 when the object would become larger than the page, 10004 or a store error.
int LayoutObjectText(Drawing* drawing, DrawObject* object, int anchor, HGLOBAL fontMap = nullptr);

// textRect = innerRect shrunk by textInset, then by textMargins.
void ComputeObjectTextRect(DrawObject* object);

// The row of the object that carries the text of the object at `row`: a line's label, or the
// object itself; -1 when the label is gone (the holder's partner fields are then cleared).
int ResolveTextHolderIndex(ObjectList* objects, int row);

// The hook of a label on its line for a text alignment: anchor code 201-209 and the point of
// the 0..600 box (both coordinates the box x: 0 left, 600 right, 300 centred).
void TextAlignToAnchorCode(int alignH, int alignV, int* anchorCode, POINT* boxPoint);

// The effect a new editor or layout gives the text of `object` (none: new text) from the
// drawing's shadow style.
TextEffect TextEffectForObject(const Drawing* drawing, const DrawObject* object);

// The TextBlock inside a locked record payload when its counts fit the payload and describe a
// text an editor can take; null otherwise (stored data is never trusted).
const TextBlock* CheckedTextBlock(const BYTE* payload, LONG payloadSize);

// Opens the in-place editor as a child of `view`: over the object at `row` (its label for a
// line; x, y the click in drawing units) or, with row -1, for new text at (x, y). `hidden`
// keeps it invisible and leaves the undo checkpoint and the selection alone. A locked object
// opens nothing (0). 0, the font's or the record's error, 10004 for an unusable text record.
int BeginObjectTextEdit(HWND view, DocumentState* state, int row, int x, int y, int hidden);

// Ends an edit whose text was not changed; mode 1 leaves the edited object selected.
void EndUnchangedTextEdit(DocumentState* state, int mode);

// Takes the editor's text back into the edited object (or a new free text or label) and sizes
// it; mode 1 selects it, 0 not, -1 adds without an undo checkpoint. Errors are reported here.
int CommitObjectTextEdit(HWND view, DocumentState* state, int mode);

// Draws the object's stored text inside its textRect, turned with the object. `deviceFlag` says
// the output is not the view; for OM_DRAWSHADOW and OM_DRAWSHADOWOFFSET `shadow` points to the
// ShadowPaint that colours and offsets the copy. A text record that does not fit draws nothing.
void DrawObjectText(HDC dc, int message, Drawing* drawing, ObjectList* objects, int row,
                    int deviceFlag, int shadow, void* p);

// The editor's owner-paint callback, slot 4 of the class handler table: the page colour and a
// text-less copy of the edited object behind the text.
extern "C" LONG CALLBACK SED_TENProc(HWND editor, HDC dc, void* tenState);

// The drawing's default face and character set become those of a font slot; nothing for a slot
// outside the list.
void SetDefaultFaceFromSlot(Drawing* drawing, HGLOBAL fontList, HGLOBAL fontMap, int slot);

// The drawing's default text format follows a format change of a whole text: selector 0 face
// slot, 1 size, 2 style bits, 3 colour, 4 set style bits, 5 clear style bits.
void SetPageTextDefault(HWND view, int selector, int value);
