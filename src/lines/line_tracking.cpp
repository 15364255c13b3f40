// What a straight line does under the mouse.
#include "lines/line_tracking.h"

void DrawXorLine(HDC, int, int, int, int, BOOL) {}
void DrawLineHandles(HDC, Drawing*, void*, int) {}
int HitTestStraightLine(Drawing*, void*, int, POINT) { return 0; }
int GetLineRotationHandle(Drawing*, const DrawObject*, int, POINT*, RECT*) { return 0; }
void TrackLineEnd(HDC, Drawing*, void*, int, int, POINT, const RECT*) {}
void TrackLineMove(HDC, Drawing*, void*, int, const RECT*) {}
void TrackLineRotation(HDC, Drawing*, void*, int, POINT, const RECT*) {}
int RotateLineToPoint(Drawing*, void*, int, const POINT*) { return 0; }
void SetLineAngle(Drawing*, void*, int, int) {}
BOOL ArcBulgeFlips(const DrawObject*, int, POINT, POINT) { return FALSE; }
