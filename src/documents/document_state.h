// The per-view DocumentState, the program-wide Settings and StyleTable, and the operations
// that create, load and mark a document's state.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

#pragma pack(push, 1)

// One per drawing view: a 400-byte movable block in window long 4 of the view; its image is
// the payload of store record (100, 101). Handle and window fields are meaningless in a
// stored image and are reset whenever it is loaded.
struct DocumentState {
    INT16 version;          // 4
    INT16 reserved2;
    INT32 scrollX;
    INT32 scrollY;
    INT32 zoom;             // per mille, 0 = 100 %
    DWORD zoomFlags;
    DWORD flags;            // at 20, DocumentFlags
    INT32 storeSlot;
    INT32 undoLabel;        // at 28
    HGLOBAL devMode;        // at 32
    HGLOBAL fontMap;
    HGLOBAL fontList;
    HPALETTE palette;       // at 44
    HPALETTE previousPalette;
    HDC printerIC;          // at 52
    INT32 areaWidth;
    INT32 areaHeight;
    INT32 pageWidth;
    INT32 pageHeight;
    INT32 printableWidth;
    INT32 printableHeight;
    RECT margins;           // at 80
    RECT printerMargins;
    INT32 footerSpace;      // at 112
    char deviceName[262];
    HWND textEditor;        // at 378
    HGLOBAL drawing;        // at 382
    HGLOBAL oleLink;        // at 386
    HGLOBAL oleObjects;     // at 390
    INT32 savedBackground;  // at 394
    WORD libraryAtom;       // at 398
};
static_assert(sizeof(DocumentState) == 400);
static_assert(offsetof(DocumentState, flags) == 20);
static_assert(offsetof(DocumentState, printerIC) == 52);
static_assert(offsetof(DocumentState, deviceName) == 116);
static_assert(offsetof(DocumentState, textEditor) == 378);
static_assert(offsetof(DocumentState, drawing) == 382);
static_assert(offsetof(DocumentState, libraryAtom) == 398);

enum DocumentFlags : DWORD {
    DocModified = 0x1,
    DocRedraw = 0x2,         // the whole view is to be redrawn
    DocDefaultPrinter = 0x4,
    DocRedoPending = 0x8,    // the last swap was an undo, so the next one redoes
    DocOnePage = 0x10,
};

constexpr int kViewStateLong = 4;      // window long of the view holding the DocumentState
constexpr LONG kDocumentStateRecordSize = 16 + sizeof(DocumentState);

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

// Process-wide, from start-up to exit; null before the options exist.
extern Settings* g_settings;
extern HGLOBAL g_styleTable;

// The view's DocumentState block (window long 4), null when it has none.
HGLOBAL GetDocumentStateHandle(HWND view);

// Sets the modified bit and tells OLE containers that the data changed.
void MarkDocumentModified(DocumentState* state);

// Creates the store records of a new empty drawing (document state, printer set-up, font map,
// drawing) and its Drawing, and puts the state into window long 4 of the view.
int CreateNewDocumentState(HWND view, int storeSlot);

// Rebuilds the view's DocumentState from its store and opens the stored drawing; `converted`
// tells whether an older state was converted.
int LoadDocumentState(HWND view, int storeSlot, BOOL* converted);

