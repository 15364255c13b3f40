// Ruler guide lines: the thin line across the drawing that follows a drag from a ruler, its mark
// in the ruler, and the checker brush both are drawn with.
#pragma once

#include <windows.h>

struct DocumentState;

// The guide brush of the view: the grey checker on a black background, else (and without a
// drawing) the black checker.
HBRUSH GetGuideBrush(HWND view);

// A line one device pixel wide at `position` (drawing units), vertical from the top to `height`
// or horizontal from the left to `width`, in PATINVERT with the selected brush: drawn again it
// erases itself.
void DrawGuideLine(HDC dc, int position, BOOL vertical, int width, int height);

// The guide's mark in the horizontal ruler (the view's next sibling) or the vertical ruler (the
// one after it); `position` in ruler units times six.
void MarkGuideInHorizontalRuler(HWND view, int position);
void MarkGuideInVerticalRuler(HWND view, int position);

// The ruler scale of a view's zoom: zoom per mille / 1000 above zoom 74, else 1.
double RulerScaleOf(const DocumentState* state);

// The marks and guide lines of a guide drag of `mode` (14 vertical, 15 horizontal, 16 both) at
// `at`, drawn into the view's `dc` (guide brush selected); drawn again they erase themselves.
void DrawGuidePair(HWND view, HDC dc, const DocumentState* state, int mode, POINT at);
