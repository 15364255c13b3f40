// Services of the editing commands that the model and the object classes use: edit error
// messages, handle codes, grid snapping, attachments, selection by click, paste position.
#pragma once

#include <windows.h>

#include "editing/drag_state.h"
#include "model/drawing_records.h"

// Shows the message box of a failed edit: 10009, 10010 and 10011 their own texts, 10013 the
// hint dialog "INFO_BADMETA", anything else the disk-or-memory text.
void ReportEditError(int code);

// Handle code of the corner or side of `rect` on which (x, y) lies, tested with exact
// equality: left-bottom 3, left-top 1, right-top 2, right-bottom 4, then right 8, left 7,
// top 5, anything else 6.
int HandleCodeAtPoint(const RECT* rect, int x, int y);

// The opposite handle code: 1-4, 2-3, 5-6, 7-8 exchanged; any other code gives 1.
int OppositeSide(int code);

// Moves the point (drawing units) to the nearest point of the drawing's grid; zoom unused.
void SnapPointToGrid(Drawing* drawing, POINT* point, int zoom);

// 1 when the store holds an Attachment record (type 117) with the object's id, else 0.
int HasAttachment(int storeSlot, const DrawObject* object);

// Draws the attachment marker (white box, black frame, a cross) unless decorations are off.
void DrawAttachmentMarker(HDC dc, const RECT* rect);

// Selects the object at `row` (or its whole group) as a click would; with `extend` toggles it
// and keeps the others.
void SelectObjectByClick(HGLOBAL drawingHandle, int row, BOOL extend, int reserved1, int reserved2);

// Top-left corner for objects placed without a drop point.
void GetPastePosition(Drawing* drawing, const RECT* rect, POINT* point);

