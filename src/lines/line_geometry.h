// Terms every part of the straight-line class shares: orientation, the rising flag, the two
// ends, the arrowhead mask invariant and the angle of a line.
//
// A line lives wholly in its DrawObject:
//   - `frame` is normalised (left <= right, top <= bottom);
//   - `objType` is the orientation, 0 horizontal, 1 slanted, 2 vertical;
//   - `axisCoord` is the line coordinate c: the y of a horizontal line, the x of a vertical one
//     (the frame's cross extent is c -/+ max(width / 2, 6), not the line);
//   - `state` bit 0x4000 marks a slanted line that joins the bottom-left and top-right corners;
//   - end 1 is the left end (the top end of a vertical line), end 2 the other; hooks name them
//     by holder codes 1 and 2, `arrowStart` belongs to end 1 and `arrowEnd` to end 2;
//   - `arrowEnds` bit 0x2 is set exactly when the kind byte of `arrowStart` is not 0, bit 0x1
//     when that of `arrowEnd` is not 0, and a word without a kind is stored as 0.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

enum LineOrientation { LineHorizontal = 0, LineSlanted = 1, LineVertical = 2 };

constexpr DWORD kLineCreated = 0x8;    // state: set on every new line, read by the view's drag
constexpr DWORD kLineHorizontalHook = 0x4;  // hookMask while horizontal
constexpr DWORD kLineVerticalHook = 0x8;    // hookMask while vertical
constexpr int kLineMinLength = 24;          // a line holding fewer than two hooks is never shorter
constexpr int kLineClassFlags = 0x13;       // answer of OM_GETCLASSFLAGS

// The orientation of a record: objType 0 or 2 as it stands, anything else slanted.
int LineOrientationOf(const DrawObject* line);
inline bool IsLineRising(const DrawObject* line) { return (line->state & StateRising) != 0; }

// The mode argument of ClassifyLineDirection: the direction tolerance is on unless the
// drawing's flag 0x4 is set.
int LineDirectionMode(const Drawing* drawing);

// The position of end 1 (end == 1) or end 2 (any other value).
POINT LineEndPosition(const DrawObject* line, int end);

// The frame with the cross extent of a horizontal or vertical line collapsed onto its line
// coordinate: the box of the two ends.
RECT LineEndsRect(const DrawObject* line);

// dx, dy or the length of a slanted line.
double LineLength(const DrawObject* line);

// Restores the arrowhead invariant: a word without a kind becomes 0, the mask follows the words.
void DeriveArrowEnds(DrawObject* line);

// End 1 and end 2 trade places: the arrowhead words are exchanged and hooks with holder code 1
// become 2 and 2 become 1.
void ExchangeLineEnds(DrawObject* line);

// The angle of the line in tenths of a degree: 0 horizontal, -900 vertical, a slanted line by
// its slope (positive when rising). With `rect` the same for that rect, whose orientation is
// classified with the tolerance on and which keeps the line's rising flag.
int LineLabelAngle(const DrawObject* line, const RECT* rect = nullptr);

// The centre of a frame, with integer halving.
POINT LineFrameCentre(const RECT& frame);
