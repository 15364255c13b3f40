// Connection points of shapes and pictures: the LinkPointCode values, the point lists in the
// 0..600 box over the frame, snap points, the eight standard frame points, hook marks and
// whether shapes may link.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// LinkPointCode: 1-16 index the snap-point list; 201-209 fixed box points, never projected;
// 305-309 the exact variants of 205-209 (code - 100), moved onto the real outline.
constexpr int kFirstAnchorCode = 201;
constexpr int kLastAnchorCode = 209;
constexpr int kExactCodeOffset = 100;
constexpr int kFirstExactCode = 305;
constexpr int kMaxHookPoints = 16;
constexpr int kBoxSide = 600;

// The class flags every shape answers to OM_GETCLASSFLAGS.
constexpr LONG kShapeClassFlags = 0x21;

// The box point of an anchor code 201-209; FALSE for any other code.
BOOL AnchorBoxPoint(int code, POINT* point);

// The custom connection points stored with a picture (first PictureChunk): 0 with the points
// (count 0-16), or the error of loading the chunk.
int LoadCustomHookPoints(const Drawing* drawing, const DrawObject* shape, POINT* points, int* count);

// OM_GETHOOKPOINTS: the connection points of the shape's kind, in box units (room for 16). A custom
// outline reads *count: 0 returns the remembered outline point, anything else projects the
// drawing point in points[0] onto the outline along `direction` and remembers it.
void GetShapeHookPoints(Drawing* drawing, DrawObject* shape, int direction, INT32* count, POINT* points);

// OM_DRAWHOOKMARKS: XOR rings of 18 units round each drawing position.
void DrawLinkPointMarks(HDC dc, int count, const POINT* points);

// OM_GETCLASSFLAGS: with both arguments, the two opposite corners in points[0..1] become the eight
// frame points in handle order and *count 8. Always 0x21.
LONG GetStandardFramePoints(INT32* count, POINT* points);

// OM_GETSNAPPOINTS: the points offered while a line end is dragged: the eight frame points in handle
// order with option 0x40 or for a custom outline, else the list of OM_GETHOOKPOINTS.
void GetShapeSnapPoints(Drawing* drawing, DrawObject* shape, INT32* count, POINT* points);

// OM_CANLINK: 1 when the drawing lets shapes link (drawing flag 0x10).
LONG ShapesMayLink(const Drawing* drawing);
