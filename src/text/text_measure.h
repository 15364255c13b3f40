// Measuring rich text on a device: run fonts and metrics, searches by position and by y,
// positions to x and back, fitted character widths.
#pragma once

#include <windows.h>

#include "text/text_records.h"

// The paragraph format at `index` of a table of `count` entries; the first entry for an index
// outside the table (negative ones included).
const ParagraphFormat* ParagraphFormatAt(const ParagraphFormat* formats, int count, int index);

// Sets the device's extra space between characters to the run's format's charSpacing percent
// of its averageWidth (0 when either is 0 or the format index lies outside the table); returns
// the previous setting.
int SetRunCharSpacing(HDC dc, const ParagraphFormat* formats, int count, const TextRun* run);
