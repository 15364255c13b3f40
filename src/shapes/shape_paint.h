// Shape painting: body (border and fill, ring borders, hatches), pictures, text, attachment
// mark, shadow copies, selection handles and the rotation handle.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

struct PictureDrawState;

// OM_DRAW (body), 31 (shadow copy), 32 (outline copy) and 33 (shadow base) of the shape
// class. For 31 and 32 `b` holds the address of a ShadowPaint. Result 0.
LONG DrawShape(HDC dc, int message, Drawing* drawing, void* objects, int row, int a, int b, void* p);

// Selects a pen and brush for the style and draws the outline; everything it creates is
// deleted and the device context restored afterwards.
void DrawStyledShape(HDC dc, int kind, int angle, COLORREF borderColor, int borderWidth,
                     int borderStyle, COLORREF fillColor, int fillPattern, double param,
                     HGLOBAL custom, BOOL ring, const RECT* frame, DWORD options);

// Draws one kind with the pen and brush already selected; `ringWidth` 2 or more adds the
// filled ring border of polygon kinds.
void DrawShapeOutline(HDC dc, const RECT* frame, const RECT* centre, int ringWidth, double param,
                      int kind, int angle, HGLOBAL custom, BOOL noPen, HBRUSH ringBrush,
                      DWORD options);

// Fills the overrides of a picture that takes the shape's colours. The caller deletes them
// (DeletePictureDrawObjects).
void PickPictureFramePenAndBrush(HDC dc, PictureDrawState* state, COLORREF fillColor,
                                 COLORREF borderColor, const DrawObject* shape, int borderWidth);
// Deletes the pen and brushes of a draw record that are not stock objects.
void DeletePictureDrawObjects(PictureDrawState* state);

// OM_DRAWHANDLES: handles, hooked points, the rotation handle. Row -1 is a standalone record drawn
// as the current object, -2 one drawn as not current.
LONG DrawShapeSelection(HDC dc, Drawing* drawing, void* objects, int row);

// The selection handles of a shape by its handle layout: rectangles and codes (room for 8).
void GetShapeHandleRects(Drawing* drawing, const DrawObject* shape, RECT* rects, int* codes,
                         int* count);

// Where an object's attachment mark sits: a 54-unit square 60 units in from the bottom-right
// corner of its update rectangle, kept inside it.
void GetAttachmentMarkRect(const DrawObject* object, RECT* rect);

// Selects the pattern brush of locked objects' handles, its origin on the drawing's origin
// (device position modulo 8, keeping its sign) so that the pattern stays put while scrolling.
void SelectLockedHandleBrush(HDC dc);

// Draws the object's rotation handle (OM_EXTRAHANDLE of its class) as an XOR ellipse.
void DrawRotationHandle(HDC dc, Drawing* drawing, void* objects, int row);
