// The per-view DocumentState record: its layout and flags.
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
constexpr LONG kDocumentStateRecordSize = kBlockHeaderSize + sizeof(DocumentState);

#pragma pack(pop)
