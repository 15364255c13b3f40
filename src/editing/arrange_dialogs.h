// The parameter dialogs of the style, rotation and ruler commands. The frame's real dialogs
// replace the bodies; until then each goes through one prompt that a test can answer, and
// without an answerer it is cancelled.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// What the Colors and Shadows dialog edits.
struct StyleDialogValues {
    DrawingStyle style;
    BOOL applyToFills;
    BOOL applyToLines;
};

// `values`: StyleDialogValues for "STYLEDLG", the angle (INT32) for "SETANGLE", the view (HWND)
// for "RULERDLG". Non-zero after OK.
typedef int (*ParameterDialogPrompt)(LPCSTR dialogName, void* values);
extern ParameterDialogPrompt g_parameterDialogPrompt;

// Non-zero after OK with the chosen style and the two apply-to boxes.
int RunStyleDialog(Drawing* drawing, DrawingStyle* style, HPALETTE palette, BOOL* applyToFills, BOOL* applyToLines);
// Non-zero after OK with the angle in tenths of a degree.
int RunRotationDialog(int* angle);
// Non-zero after OK; the dialog has applied the new ruler and grid settings.
int RunRulerDialog(HWND view);
