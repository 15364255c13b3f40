// A straight line as a hook target and as a holder.
#include "lines/line_hooks.h"

void GetLineHookPoint(Drawing*, DrawObject*, int, INT32*, POINT*) {}
void MapLineHookPoints(const DrawObject*, int, POINT*, BOOL) {}
void GetLineSnapPoints(const DrawObject*, INT32*, POINT*) {}
int LineHandleToEnd(const DrawObject*, int) { return -1; }
void MoveLineHandleRect(const DrawObject*, int, POINT*, RECT*) {}
int LinesMayLink(const Drawing*) { return 0; }
void GetLineSize(const DrawObject*, POINT*) {}
void GetLineBounds(const DrawObject*, BOOL, RECT*) {}
int LineEndSide(const DrawObject*, const POINT*, const POINT*) { return 0; }
void GetLineFrame(const DrawObject*, RECT*) {}
void GetLineSpine(const DrawObject*, INT32*, RECT*) {}
int LineGroupHandleDrag(Drawing*, const DrawObject*, int, int, RECT*) { return 0; }
int GetLinePath(const DrawObject*, RECT*, INT32*, POINT*) { return 2; }
void GetLineGeometry(const DrawObject*, OutlineVertex*) {}
void ExpandOutlineSegment(const INT32*, const OutlinePointBlock*, int, INT32*, POINT*) {}
