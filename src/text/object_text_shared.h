// Small pieces the object-text operations share: the parts of a checked TextBlock, the page
// colour, selecting and repainting the edited object and flagging its links.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"
#include "text/text_records.h"

struct DocumentState;

// The tables of a TextBlock whose counts were checked against its size.
struct TextBlockParts {
    TextBlock* header;
    TextLine* lines;
    TextRun* runs;
    ParagraphFormat* formats;
};
TextBlockParts PartsOfTextBlock(TextBlock* block);
// The first paragraph's alignment (left without a format).
int FirstParagraphAlignment(const TextBlockParts& parts);

// The drawing's background colour, white for none.
COLORREF PageColour(const Drawing* drawing);

// Selects the object at `row` as the current one.
void SelectEditedObject(Drawing* drawing, DrawObject* object, int row);
// Invalidates the object in the view and asks for a repaint through the back buffer.
void RepaintEditedObject(DocumentState* state, Drawing* drawing, const DrawObject& object);
// Flags the links of the object and of every object it is hooked to that still exists.
void FlagObjectAndTargetLinks(Drawing* drawing, ObjectList* objects, const DrawObject& object);
