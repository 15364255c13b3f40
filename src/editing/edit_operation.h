// The one executor of edit operations on the selection, the Draw-menu commands that reach it,
// and the message of a failed edit.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// Operation codes of DoEditOperation; codes not listed are accepted and do nothing.
enum EditOperation {
    EditCut = 2,
    EditCopy = 3,
    EditPaste = 4,
    EditClear = 5,
    EditTextSizing = 30,
    EditDuplicate = 31,
    EditLockObject = 32,
    EditUseSnaps = 33,
    EditSendToBack = 34,
    EditBringToFront = 35,
    EditAlign = 36,
    EditNudge = 37,
    EditImportMetafile = 38,
    EditImportPicture = 39,
    EditSameSize = 40,
    EditLinesLink = 42,
    EditShapesLink = 43,
    EditFlip = 44,
    EditHideShadow = 45,
    EditTextShadow = 46,
    EditShapeSizing = 47,
    EditGroup = 48,
    EditUngroup = 49,
    EditArrowheads = 50,
    EditSpaceEvenly = 51,
    EditJoinShape = 52,
    EditShapeOutline = 53,
    EditShowLength = 54,
    EditCenterDrawing = 55,
};

// The beginner's hints after a paste of pictures (shared with File Import) and after
// Duplicate are shown once per run.
extern BOOL g_importHintShown;
extern BOOL g_duplicateHintShown;

// Runs one operation on the drawing of `view`: 0, or the error code after the roll-back and
// its message.
int DoEditOperation(HWND view, int op, int arg, void* ptr);

// The operation and argument of a command that DoDrawCommand runs; FALSE for any other id.
BOOL DrawCommandOperation(int id, int value, int* op, int* arg);

// A Draw, Lines, Text or Edit menu command that runs through DoEditOperation on the active
// document's view; `value` is the check-mark state of Show Length.
void DoDrawCommand(int id, int value);

// Shows the message box of a failed edit: 10009, 10010 and 10011 their own texts, 10013 the
// hint dialog "INFO_BADMETA", anything else the disk-or-memory text.
void ReportEditError(int code);

// Top-left corner for objects placed without a drop point.
void GetPastePosition(Drawing* drawing, const RECT* rect, POINT* point);
