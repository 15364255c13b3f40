// The rotation messages of the shape class: set angle, rotate to a point, the rotation handle,
// the rotated outline, and the outline as line pieces for Shape to Line.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// OM_SETANGLE. Always 0; a fixed shape (option 0x20) sets RotationRefused instead.
int SetShapeAngle(Drawing* drawing, ObjectList* objects, int row, int angle);
// OM_ROTATETO: the handle point of the unrotated frame is turned onto `target`.
int RotateShapeToPoint(Drawing* drawing, ObjectList* objects, int row, int handleCode,
                       const POINT* target);
// OM_EXTRAHANDLE: 140, 141 or 0. Flags 0x1 turn the handle with the shape, 0x2 offer it also for
// small or hooked shapes. Row -1 addresses the standalone record `objects`.
int GetRotationHandle(Drawing* drawing, void* objects, int row, int flags, POINT* point,
                      RECT* rect);
// OM_GETOUTLINE: the rotated, mirrored outline polygon (room for 600 points).
void GetShapeOutline(Drawing* drawing, void* objects, int row, POINT* points, int* count);
// OM_TOOUTLINE: the outline as line pieces in the OutlinePointBlock layout, written into the
// caller's movable block (resized); `rect` gets the rectangle the vertices are relative to.
// 0; 1 when the block cannot be resized; a store error of the custom outline.
int ShapeOutlineToPieces(Drawing* drawing, ObjectList* objects, int row, HGLOBAL* block,
                         RECT* rect);
