// The program-wide options records: Settings with its palette tools and library window slots,
// the style table, the recent files and the insert-symbol fonts.
#pragma once

#include <windows.h>

#include <cstddef>

#include "model/drawing_records.h"

#pragma pack(push, 1)

// One customisable palette tool (tools 110 to 131).
struct ToolSlot {
    INT32 width;        // 1/600 inch, the size the class answers the default-size query with
    INT32 height;
    INT32 objClass;     // 0 shape, 1 straight line, 2 elbow connector, 3 line array
    INT32 subtype;      // shape type for class 0, line shape for classes 1 and 2
    INT32 growMode;     // 3 keeps the proportions
    double adjustment;
};
static_assert(sizeof(ToolSlot) == 28);

// One library window slot of the settings.
struct LibraryWindowSettings {
    char folder[262];   // with its closing backslash
    char file[262];     // name and extension; empty when the entry names no library
    INT32 sizeA;        // the two size values the library windows keep
    INT32 sizeB;
    INT32 left;         // frame client coordinates
    INT32 top;
    INT32 open;         // reopened at start
    INT32 minimised;
};
static_assert(sizeof(LibraryWindowSettings) == 548);

constexpr int kLibraryEntries = 16;
constexpr int kToolSlots = 22;
constexpr int kStandardColors = 48;
constexpr int kFirstToolSlotTool = 110;

// The program-wide options, zero-filled when allocated; fields in the order of the options.
struct Settings {
    RulerSettings ruler;        // the default of new drawings
    WORD printOptions;
    DWORD flags;                // SettingsFlags; the options file keeps the low 16 bits
    ObjectDefaults defaults;    // border and line width, text size, style, alignments,
                                // character set (defaultFontKey) and face: what a new drawing copies
    char openFolder[262];
    char exportFolder[262];
    char importFolder[262];
    char libraryFolder[262];
    LibraryWindowSettings libraries[kLibraryEntries];
    INT32 exportType;
    INT32 importType;
    INT32 nextTip;              // the Welcome dialog shows string 7500 + this
    COLORREF standardColors[kStandardColors];
    ToolSlot tools[kToolSlots];
    char templateFolder[262];
    LOGFONTA footerFont;        // 1/600 inch
    INT32 footerLift;
    char defaultLibrary[262];
    char searchKeywords[262];
    INT32 quickPreview;         // 0 never, -1 always, else the size limit
    INT16 symbolCell;
    INT32 symbolFont;           // index into the SymbolFontList
    INT32 attachmentOptions;    // bit 0 opens attached drawings maximised
    INT32 lastAttachmentKind;   // 0 drawing, 1 web page, 2 document, 3 program
};
static_assert(offsetof(Settings, flags) == 34);
static_assert(offsetof(Settings, defaults) == 38);

enum SettingsFlags : DWORD {
    SetOpenAtStart = 0x1,
    SetSnap = 0x2,
    SetPalette = 0x4,
    SetGifOpaque = 0x8,
    SetHints = 0x10,
    SetLinesLink = 0x20,
    SetShapesLink = 0x40,
    SetCopyTemplate = 0x80,
    SetWelcome = 0x100,
    SetTemplateDialog = 0x200,
    SetShowGrid = 0x400,
    SetGifNonInterlaced = 0x800,
    SetFrameNotMaximised = 0x1000,
    SetBrowseSearch = 0x2000,
    SetPageLinesAlways = 0x4000,
    SetDefaultFlags = 0x4336,
};

// One named colour-and-shadow style (76 bytes); a Drawing holds a copy of the current one.
using StyleRecord = DrawingStyle;

// The style table, one movable block: count, the index of the style new drawings take, then
// count StyleRecord entries.
struct StyleTable {
    INT32 count;
    INT32 current;
};
static_assert(sizeof(StyleTable) == 8);
using StyleTableHeader = StyleTable;

inline StyleRecord* StyleEntries(StyleTable* table) { return reinterpret_cast<StyleRecord*>(table + 1); }
inline DWORD StyleTableBytes(int count) { return sizeof(StyleTable) + sizeof(StyleRecord) * (DWORD)count; }

// The stored form of a style in the "STDSTYLE" resource and in older option stores.
struct PackedStyleRecord {
    DWORD colors[7];    // border, line, fill, text, shadow, background, highlight
    INT16 shadowDx;
    INT16 shadowDy;
    INT16 shadowStyle;
    INT16 flags;
    char name[32];      // NUL-terminated; bytes after the terminator are not significant
};
static_assert(sizeof(PackedStyleRecord) == 68);
static_assert(offsetof(PackedStyleRecord, name) == 36);

// The head of a stored style table (after a 16-byte block header in the resource and in
// record 51/102): count, default index, then count PackedStyleRecord entries.
struct PackedStyleHead {
    INT16 count;
    INT16 current;
};

// The last opened drawings, most recent first by `order`.
struct RecentFiles {
    INT32 count;            // 0 to 4
    INT32 changed;          // the File menu must be rebuilt
    INT32 firstMenuId;      // 120
    INT32 order[4];         // for each shown position, the index of its path slot
    char currentFolder[262];
    char paths[4][262];
};

constexpr int kMaxRecentFiles = 4;
constexpr int kMaxSymbolFonts = 30;

// The fonts of the insert-symbol dialog: entry 0 is the footer font and is never stored.
struct SymbolFontList {
    INT32 count;
    HGLOBAL fonts;          // count LOGFONTA
};

#pragma pack(pop)
