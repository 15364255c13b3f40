// The text records of a drawing file (0x8040 .. 0x4040): an object's text with its character
// runs and paragraph formats, written as changes against a carried format.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"
#include "text/text_records.h"

struct DocumentState;

// Writes 0x8040 through 0x4040 for the TextBlock payload of record `textRecordId`.
int WriteTextBlock(HFILE file, const TextBlock* block, int textRecordId);
// Reads through 0x4040 with the 0x8040 record in the record buffer and leaves a new record 114
// in the store, named by the object's textId.
int ReadTextBlock(HFILE file, HWND view, DocumentState* state, DrawObject* object);
// Decoders of the 0x42 run record and the 0x43 paragraph record in the record buffer
// (RecordLength() bytes); they also serve the drawing's default text formats.
int DecodeCharFormatRuns(TextBlock* block, TextRun* runs, int room, int textLength);
int DecodeParaFormats(ParagraphFormat* formats, int formatCount, ParagraphFormat* carried,
                      int* previousIndex);
