// The text records of a drawing file.
#include "documents/text_stream.h"

int WriteTextBlock(HFILE, const TextBlock*, int) { return 0; }
int ReadTextBlock(HFILE, HWND, DocumentState*, DrawObject*) { return 0; }
int DecodeCharFormatRuns(TextBlock*, TextRun*, int, int) { return 0; }
int DecodeParaFormats(ParagraphFormat*, int, ParagraphFormat*, int*) { return 0; }
