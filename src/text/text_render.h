// Drawing laid-out rich text: runs with their fonts and colours, bullets, underlines, inverse
// boxes, rules below paragraphs, the soft-hyphen dash, justification, super- and subscripts,
// and the text effects drawn as offset copies.
#pragma once

#include <windows.h>

#include "text/text_records.h"

// Every run drawn in `color`, the copies of a text effect.
struct TextColorOverride {
    INT32 x;
    INT32 y;
    COLORREF color;
};

// What RenderTextLines draws and where: lines firstLine up to (not including) endLine.
struct TextRenderArgs {
    HDC dc = nullptr;
    HDC measureDC = nullptr;          // character widths in fit mode; the output DC elsewhere
    BOOL fitMode = FALSE;             // stretch each segment to its laid-out width
    HGLOBAL fontList = nullptr;
    HGLOBAL fontMap = nullptr;
    const TextLine* lines = nullptr;
    TextRun* runs = nullptr;          // runs without a font get one from the cache
    const char* text = nullptr;
    const ParagraphFormat* formats = nullptr;
    const TextSegment* segments = nullptr;
    int formatCount = 0;
    int runCount = 0;
    int lineCount = 0;
    int textLength = 0;
    int firstLine = 0;
    int endLine = 0;
    BOOL rotate = FALSE;              // turn text origins by run 0's escapement about `frame`
    BOOL allBlack = FALSE;
    BOOL greyHighlight = FALSE;       // inverse runs on light grey in their own colour
    int baseUnit = 600;
    const TextColorOverride* colorOverride = nullptr;
    int xOffset = 0;
    int yOffset = 0;
    const RECT* frame = nullptr;      // rotation frame
};

void RenderTextLines(const TextRenderArgs& args);
// Draws the effect's copies, then the text.
void RenderTextWithEffect(const TextRenderArgs& args, const TextEffect& effect);
// One bullet of `kind` (1 hollow circle, 2 filled circle, 3 hollow square, 4 filled square) left
// of the text at x on the baseline y.
void DrawBullet(HDC dc, COLORREF color, int kind, int x, int y, int ascent, int leftIndent,
                const RECT* frame, int angle);
// Gives a run without a cached font one from the cache.
void CreateScreenRunFont(TextRun* run, HGLOBAL fontList, HGLOBAL fontMap, int baseUnit);
// A new font for a metafile recording, which the caller deletes.
HFONT CreateRotatedRunFont(const TextRun* run, HGLOBAL fontList, HGLOBAL fontMap, int baseUnit);
