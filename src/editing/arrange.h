// Arranging and changing the selection: align, same size, space evenly, order, centre, nudge,
// lock, flip, shadows, text sizing, arrowhead defaults, the view's keys and the attribute,
// style, rotate and view commands.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

struct DocumentState;

// One item of a spacing list: an object's row or -(group index + 1), and its leading edge.
struct SpacingItem {
    INT32 code;
    INT32 edge;
};

BOOL CheckAlign(DocumentState* state, Drawing* drawing, int mode);
int AlignSelection(DocumentState* state, Drawing* drawing, int mode);
BOOL CheckSameSize(DocumentState* state, Drawing* drawing, int mode);
int MakeSameSize(DocumentState* state, Drawing* drawing, int mode);
// Builds the sorted list (movable memory) with its count and common gap; FALSE after string 55.
BOOL CollectSpacingItems(DocumentState* state, Drawing* drawing, BOOL horizontal, HGLOBAL* list, int* count,
                         int* gap);
int SpaceEvenly(DocumentState* state, Drawing* drawing, int mode, HGLOBAL horizontalList, int horizontalCount,
                int horizontalGap, HGLOBAL verticalList, int verticalCount, int verticalGap);

// position -1 is the front.
int BringSelectionToFront(DocumentState* state, Drawing* drawing, int position);
int SendSelectionToBack(DocumentState* state, Drawing* drawing);
int CenterDrawing(DocumentState* state, const RECT* extent);
int NudgeSelection(DocumentState* state, Drawing* drawing, int key);

BOOL CheckFlipAllowed(DocumentState* state);
int ToggleLockSelection(DocumentState* state, Drawing* drawing);
int FlipSelection(DocumentState* state, Drawing* drawing, int mask);
int ToggleShadowOption(DocumentState* state, Drawing* drawing, int bit);
int ApplyTextSizing(DocumentState* state, Drawing* drawing, int fit);
void SetArrowheadDefaults(Drawing* drawing, const DrawObject* summary);

// The drawing view's keyboard.
void OnViewKeyDown(HWND view, int key);
void OnViewKeyUp(HWND view, int key);
void OnViewChar(HWND view, int code, LPARAM keyData);

// Applies one class message with one value to every selected object of the active drawing.
void ApplyStyleCommand(int message, int value);
void SelectAllObjects();
void DoColorsAndShadows();
// angle 0, 900 or 2700, or -1 to ask.
void RotateSelectionCommand(int angle);
void DoRulerGridCommand();
// Flips the grid flag of the settings and repaints every view.
void ToggleShowGrid();
