// Laying out rich text: the lines and segments of an editor's text, region bands, and the two
// alignment routines that work directly on line tables.
#pragma once

#include <windows.h>

#include "text/ten_messages.h"
#include "text/text_records.h"

// The stop line that means "to the end of the text".
constexpr int kLayoutToEnd = 0x7FFF;


// Re-lays the lines from `firstLine` on until a new line starts where an old one did (the old
// line `stopLine` or one after it). The first line that changed goes to `outFirstLine`, the
// index behind the last changed line to `outEndLine`. 0 or 10004.
int LayoutLines(HWND editor, HGLOBAL stateHandle, int firstLine, int stopLine, int* outEndLine,
                int* outFirstLine);
// Overwrites line `index` when it lies below `stopLine`, else inserts it there. 0 or 10004.
int PutLineRecord(const TextLine* line, TenState* state, int index, int stopLine);
// The same for segments.
int PutSegmentRecord(const TextSegment* segment, TenState* state, int index, int stopSegment);
// Re-assigns the tops of the lines from band `band` and line `line` on.
void FlowLinesOverRegions(HWND editor, TenState* state, int band, TextRegion* bands,
                          TextLine* lines, int line, const TextRun* runs,
                          const void* formatTable);

void AlignTextLinesHorizontally(TextLine* lines, const TextRun* runs,
                                const ParagraphFormat* formats, int lineCount, int formatCount,
                                int left, int width);
void AlignTextLinesVertically(TextLine* lines, int lineCount, int verticalAlign, int top,
                              int height);
