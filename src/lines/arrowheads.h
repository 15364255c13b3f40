// Arrowheads at the ends of lines, connectors and arrays: the catalogue of 23 kinds in three
// sizes, drawing a pair of heads on one segment, and the setback and extent the painters and the
// bounds code need.
#pragma once

#include <windows.h>

// Bits 0-7 of an arrowhead word; bit 8 sets the head 60 units in from the end point.
enum ArrowheadKind {
    ArrowNone = 0,
    ArrowFilled = 1,
    ArrowOpen = 2,
    ArrowBarbed = 3,
    ArrowCircleFilled = 4,
    ArrowCircle = 5,
    ArrowSquareFilled = 6,
    ArrowSquare = 7,
    ArrowCrowsFoot = 8,
    ArrowSlash = 9,
    ArrowReversed = 10,
    ArrowKite = 11,
    ArrowCrowsFootCircle = 12,
    ArrowCrowsFootBar = 13,
    ArrowBarCircle = 14,
    ArrowDoubleBar = 15,
    ArrowCircleBar = 16,
    ArrowMidFilled = 17,
    ArrowMidOpen = 18,
    ArrowMidBarbed = 19,
    ArrowDoubleFilled = 20,
    ArrowFilledBar = 21,
    ArrowOpenBar = 22,
    ArrowBar = 23,
};

constexpr DWORD kArrowKindMask = 0xFF;
constexpr DWORD kArrowSetIn = 0x100;   // the head stands kArrowSetInDistance in from the end
constexpr int kArrowSetInDistance = 60;

// Ends mask: 0x2 a head at end 1 (the first point), 0x1 a head at end 2.
constexpr int kArrowEnd1 = 0x2;
constexpr int kArrowEnd2 = 0x1;

// Half-widths (row 0) and lengths (row 1) of the heads, small, medium and large, in drawing
// units.
extern const int ArrowheadSizeTable[2][3];

// A stored size limited to the table: 0..2, or -1..-2 for the reduced previews.
int LimitArrowheadSize(int size);

// Draws the head of `first` at (x1, y1) and of `second` at (x2, y2); the points come already
// moved in by the set-in and an end without a head passes a zero word. The filled-triangle
// family reads the ends mask; every other kind is drawn whenever its word is non-zero. The
// brush and pens selected here stay selected.
void DrawArrowheads(HDC dc, int ends, DWORD first, DWORD second, int width, int size, int unused,
                    int x1, int y1, int x2, int y2, HBRUSH fill, HPEN outline, HPEN stroke);

// By how much the stroked line is shortened at an end carrying this head (the set-in is the
// caller's); -1 lets the line run one unit past the end point.
int ArrowheadSetback(DWORD word, int size, int width);

// Across extent in the low 16 bits, along extent in the high 16 bits.
LONG ArrowheadExtent(DWORD word, int size, int width);

// 1 for the kinds drawn at the middle of the line (17, 18, 19).
int IsMidLineArrowhead(DWORD word);
