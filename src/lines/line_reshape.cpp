// Changes to a straight line other than moving and rotating it.
#include "lines/line_reshape.h"

void ReshapeStraightLine(Drawing*, void*, int, int, const RECT*) {}
void FlipStraightLine(Drawing*, void*, int, int) {}
void SetLineWidth(Drawing*, DrawObject*, BOOL, int) {}
void SetLineStyle(Drawing*, DrawObject*, int) {}
void SetLineArrowEnds(Drawing*, DrawObject*, int) {}
void SetLineArrowheads(Drawing*, DrawObject*, const INT32*) {}
void MergeLineAttributes(DrawObject*, const DrawObject*) {}
double LineShapeParamFromPoint(Drawing*, const DrawObject*, int, POINT) { return 0.25; }
void TrackLineShapeParam(HDC, Drawing*, const DrawObject*, int, POINT) {}
void SetLineShapeParam(Drawing*, DrawObject*, int, POINT) {}
int ApplyLineType(Drawing*, void*, int, int) { return 0; }
void SetLineGeometryFromOutline(Drawing*, DrawObject*, int, const OutlinePointBlock*) {}
