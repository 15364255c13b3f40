// The options file "VXLROPTI": the program-wide options between runs, in the tagged-record
// framing, with the fallbacks to the option files of older versions.
//
// Layout, in writing order (all values little-endian, strings NUL-terminated):
//   "VXLROPTI", 0x8001 header (six i16: 3, 300, 2, 3 format version, 100, 600),
//   0x0800 general values (40), 0x0809 footer font (92), 0x0801 default ruler (24),
//   0x0804 default face, 0x0802 paths (u16 index + path; 0-6, and 7 the last library),
//   0x8805 library windows (0x0806 six i16, 0x0807 folder, 0x0808 file) .. 0x4805,
//   0x8810 tool slots (0x0811, 18) .. 0x4810, 0x0008 standard colours (i16 count + u32s),
//   0x8820 styles (i16 count, i16 default; 0x0821 four i16, 0x0822 i16 count + 7 u32,
//   0x0823 name) .. 0x4820, 0x0803 recent files, 0x8831 symbol fonts (i16 count; 0x0809 each
//   from entry 1) .. 0x4830, 0x4001.
#pragma once

#include <windows.h>

// Record layouts of the options file.
#pragma pack(push, 1)

struct OptionsHeader {
    INT16 generation;       // 3; a previous version's file has 2
    INT16 reserved1;        // 300
    INT16 reserved2;        // 2
    INT16 formatVersion;    // 3; 1 and above 3 are refused
    INT16 resolution1;      // 100
    INT16 resolution2;      // 600
};
static_assert(sizeof(OptionsHeader) == 12);

struct OptionsGeneral {
    WORD printOptions;
    WORD flags;             // the low 16 bits
    INT16 exportType;
    INT16 importType;
    INT16 nextTip;
    INT16 footerLift;
    BYTE reserved[4];
    INT16 borderWidth;      // at 16
    INT16 lineWidth;
    INT16 textSize;
    INT16 textStyle;
    INT16 alignH;
    INT16 alignV;
    INT16 charSet;          // at 28
    INT16 quickPreview;     // at 30: present only in records of 40 bytes
    INT16 symbolCell;
    INT16 symbolFont;
    INT16 attachmentOptions;
    INT16 lastAttachmentKind;
};
static_assert(sizeof(OptionsGeneral) == 40);

// A LOGFONT with a 64-byte face field.
struct OptionsFont {
    BYTE logFont[28];       // lfHeight .. lfPitchAndFamily, as in LOGFONTA
    char face[64];
};
static_assert(sizeof(OptionsFont) == 92);

struct OptionsRuler {
    INT16 rulersShown;
    INT16 screenUnit;
    double scale;           // at 4
    INT16 divisions;        // at 12
    double unitsPerScreenUnit;  // at 14: present only in records of 24 bytes
    INT16 unit;             // at 22
};
static_assert(sizeof(OptionsRuler) == 24);

struct OptionsLibraryEntry {
    INT16 sizeA;
    INT16 sizeB;
    INT16 left;
    INT16 top;
    INT16 open;
    INT16 minimised;
};
static_assert(sizeof(OptionsLibraryEntry) == 12);

struct OptionsToolSlot {
    INT16 width;
    INT16 height;
    INT16 objClass;
    INT16 subtype;
    INT16 growMode;
    double adjustment;      // at 10
};
static_assert(sizeof(OptionsToolSlot) == 18);

struct OptionsStyleShadow {
    INT16 shadowDx;
    INT16 shadowDy;
    INT16 shadowStyle;
    INT16 flags;
};

struct OptionsStyleColors {
    INT16 count;            // 7
    DWORD colors[7];
};
static_assert(sizeof(OptionsStyleColors) == 30);

#pragma pack(pop)

enum OptionsOpcode : WORD {
    OptHeader = 0x8001,
    OptEnd = 0x4001,
    OptGeneral = 0x0800,
    OptRuler = 0x0801,
    OptPath = 0x0802,
    OptRecentFile = 0x0803,
    OptFace = 0x0804,
    OptLibraries = 0x8805,
    OptLibraryEntry = 0x0806,
    OptLibraryFolder = 0x0807,
    OptLibraryFile = 0x0808,
    OptFont = 0x0809,
    OptTools = 0x8810,
    OptToolSlot = 0x0811,
    OptColors = 0x0008,
    OptStyles = 0x8820,
    OptStyleShadow = 0x0821,
    OptStyleColors = 0x0822,
    OptStyleName = 0x0823,
    OptSymbolFonts = 0x8831,
    OptSymbolFontsEnd = 0x4830,     // not 0x4831: the block has always been closed so
};

// Writes the options to `path`: 0, 1 when the file cannot be created or put in place, 1002
// when a record cannot be written whole, 10004 without a record buffer. The old file stays
// as it was until the new one is complete.
int WriteOptionsFile(const char* path);
// Reads `path` into the options: 0, 1 (not opened, or the style table cannot be resized), 1003
// (signature or first record), 1004 (format version), 1001 (short read), 10004.
int ReadOptionsFile(const char* path);
// Builds the defaults and reads the options file or its fallbacks (`optionsPath` from /O, or
// none); with a menu, remembers its item count and numbers the recent files from
// `firstCommandId`. Returns only the result of CreateDefaultSettings.
int LoadOptions(const char* optionsPath, HMENU menu, int firstCommandId);
// Writes the options file when its path is known: WriteOptionsFile's result, else 0.
int SaveOptions();

// Test seam: when not negative, the writer refuses every record after this many, as a full
// disk would.
extern int g_optionsWriteLimit;
