// The selection and what is measured around objects: owners, extents, shadows, handle rects,
// the selection's menu flags and its attribute summaries.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// Row of the object this one belongs to (an attached label's host, else the first line array
// one of its hooks is on); -1 when none, or, with `ownerSelected`, when that owner is not
// selected.
int FindOwnerObject(ObjectList* objects, int row, BOOL ownerSelected);

// Union of the objects' bounds (all, or the selection and what its owners carry).
void GetDrawingExtent(Drawing* drawing, ObjectList* objects, RECT* extent, BOOL selectionOnly,
                      BOOL fromUpdateRects);

// How far the drawing's shadow reaches beyond an object on each side.
void GetShadowOffsetRect(Drawing* drawing, RECT* margins, DWORD classMask);

// Rect of one selection handle (54 units square); `points` are the eight rotated handle
// positions or none.
void GetHandleRect(const DrawObject* object, RECT* rect, int handleCode, const POINT* points);

// Moves rect and point so the rect's top-left is the origin, scaling both down into 600 units.
void FitRectInUnitBox(RECT* rect, POINT* point);

// Capability bits of the selection for menus; 0 when nothing is selected.
DWORD GetSelectionMenuFlags(Drawing* drawing);

// Fields of the text summary of CollectSelectionAttributes, at the offsets of a TextRun.
struct TextSummary {
    INT32 face;
    INT32 size;
    INT32 style;
    COLORREF color;
    INT32 script;
    INT32 attribute;
    INT32 alignment;   // of the paragraph format the runs name
    INT32 runFlags;
    INT32 nominalSize;
    INT32 escapement;
};

// Fills a DrawObject-shaped summary of the selection (-2 unset, -1 mixed) by sending `message`
// (28 or 38) to each selected object. 1 when anything is selected (or a store error), else 0.
int CollectSelectionAttributes(HWND view, int message, DrawObject* summary, TextSummary* text);

// Sends the merged character style of the selection's texts to the toolbar palette. The rows
// below `firstRow` are known to be unselected and are not looked at.
int UpdateTextStyleControls(HWND view, int firstRow = 0);

//END
