// Stand-ins until the module is written.
#include "lines/array_paint.h"

void DrawArray(HDC, int, Drawing*, void*, int, int, const ShadowPaint*)
{}

void ArrayHookPoints(Drawing*, void*, int, INT32*, POINT*)
{}

void MapArrayHookPoints(Drawing*, void*, int, int, POINT*)
{}

void DrawArrayHookMarks(HDC, Drawing*, void*, int, int, const POINT*)
{}

void DrawArrayHandles(HDC, Drawing*, void*, int)
{}

int HitTestArray(Drawing*, void*, int, POINT)
{ return 0; }

void TrackArray(HDC, Drawing*, void*, int, int, int, POINT, const RECT*)
{}

void DragArrayHandle(Drawing*, void*, int, int, const RECT*)
{}

void ArrayHandleRects(Drawing*, const DrawObject*, RECT*, int*, int*)
{}

int FishboneShift(const ArrayData*, int)
{ return 0; }
