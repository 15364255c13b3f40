// The program-wide options record and the records it holds: palette tools, library window
// slots, and the style table's header.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

#pragma pack(push, 1)

// One customisable palette tool.
struct ToolSlot {
    INT32 width;
    INT32 height;
    INT32 objClass;
    INT32 subtype;
    INT32 growMode;
    double adjustment;
};
static_assert(sizeof(ToolSlot) == 28);

// One library window slot of the settings.
struct LibraryWindowSettings {
    char folder[262];
    char file[262];
    INT32 sizeA;
    INT32 sizeB;
    INT32 left;
    INT32 top;
    INT32 open;
    INT32 minimised;
};

// The program-wide options, zero-filled when allocated; fields in the order of the options.
struct Settings {
    RulerSettings ruler;
    WORD printOptions;
    DWORD flags;                // SettingsFlags
    ObjectDefaults defaults;    // the 60 bytes a new drawing copies
    char openFolder[262];
    char exportFolder[262];
    char importFolder[262];
    char libraryFolder[262];
    LibraryWindowSettings libraries[16];
    INT32 exportType;
    INT32 importType;
    INT32 nextTip;
    COLORREF standardColors[48];
    ToolSlot tools[22];
    char templateFolder[262];
    LOGFONTA footerFont;
    INT32 footerLift;
    char defaultLibrary[262];
    char searchKeywords[262];
    INT32 quickPreview;         // 0 off, negative always, else the size limit
    INT16 symbolCell;
    INT32 symbolFont;
    INT32 attachmentOptions;
    INT32 lastAttachmentKind;
};

enum SettingsFlags : DWORD {
    SetSnap = 0x2,
    SetHints = 0x10,
    SetLinesLink = 0x20,
    SetShapesLink = 0x40,
};

// One named colour-and-shadow style (76 bytes); a Drawing holds a copy of the current one.
using StyleRecord = DrawingStyle;

// The style table block: count, the index of the current style, then the entries.
struct StyleTableHeader {
    INT32 count;
    INT32 current;
};

#pragma pack(pop)
