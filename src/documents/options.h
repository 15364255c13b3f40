// The options the program runs with: Settings, the style table, the recent files and the
// insert-symbol fonts, process-wide from start-up to exit; their defaults and their release.
#pragma once

#include <windows.h>

#include "documents/settings.h"

// Process-wide, from CreateDefaultSettings to FreeOptionsAtExit; null (0) outside.
extern Settings* g_settings;
extern HGLOBAL g_styleTable;            // StyleTable
extern RecentFiles* g_recentFiles;
extern SymbolFontList g_symbolFonts;
extern ATOM g_charSetAtom;              // the characters 32 to 255, for the symbol grid
extern ATOM g_optionsPathAtom;          // the options file written at exit
extern COLORREF* g_standardColors;      // the standard colours of g_settings, once loaded
extern HFONT g_rulerFonts[3];           // made by document windows, released at exit

// Builds every default: Settings, the symbol fonts, the character-set atom, the recent files
// and the standard style table from the "STDSTYLE" resource. 0, 10004 when memory runs out,
// 1 when the resource is missing or unusable (no style table then).
int CreateDefaultSettings();
// The 22 palette tools' defaults.
void SetDefaultToolSlots(Settings* settings);
// Widens one stored style.
void ExpandStyleRecord(StyleRecord* style, const PackedStyleRecord* packed);
// Replaces the style table by a stored one: `packed` holds i16 count, i16 default index and
// the packed entries, `bytes` long. 1 when the count is below 1, the default index outside the
// entries or the entries do not fit (the table is kept); 10004 when the table cannot be made.
int ImportPackedStyleTable(const BYTE* packed, DWORD bytes);
// Resizes (or makes) the style table for `count` entries; a new part starts zeroed. 0 or 1.
int ResizeStyleTable(int count);
// Writes the options file when its path is known and releases everything above; a second
// call does nothing.
void FreeOptionsAtExit();
