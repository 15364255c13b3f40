// The rendering pass: a whole drawing, or a set of standalone records, painted in z-order with
// shadows, selection handles, hook marks and group frames; and the small XOR marks they use.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

constexpr int kMaxHookMarks = 600;

// Paints the drawing's objects that meet `clip` (none: all) into a device context already in
// the drawing's mapping. `drawHandles` adds selection handles on screen; `printing` draws
// objects whose text is being edited; `selectionOnly` draws the selection and what its
// selected owners carry.
void RenderPage(HDC dc, HGLOBAL drawing, const RECT* clip, BOOL drawHandles, BOOL printing,
                BOOL selectionOnly);

// Paints records outside any list (style samples, the object behind the text editor): every
// record's shadow, then every emboss copy, then every body, each drawn unrotated.
void DrawStandaloneObjects(HDC dc, Drawing* drawing, DrawObject* records, int count);

// One selection handle: locked handles are inverted with the selected pattern brush, the
// current object's inverted, others outlined in XOR; `elliptic` handles (hooked ends) round.
void DrawSelectionHandle(HDC dc, const RECT* rect, BOOL locked, BOOL current, BOOL elliptic);

// XOR outlines of the rect's ellipse and of the diamond through its side middles.
void XorEllipse(HDC dc, const RECT* rect, HPEN pen);
void XorDiamond(HDC dc, const RECT* rect, HPEN pen);
