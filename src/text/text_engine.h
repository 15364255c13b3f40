// The text engine's process-wide values: the "TENClipClass" clipboard format, the label font
// and the band gap it sets, the character width table and the double-byte flag.
#pragma once

#include <windows.h>

extern UINT g_tenClipFormat;       // registered "TENClipClass"
extern HFONT g_labelFont;          // "Helv", LOGPIXELSY / 12 at 600 units per inch
extern int g_bandGap;              // label font height + 2; 10 until measured
extern int g_labelAscent;          // 8 until measured
extern HGLOBAL g_widthTable;       // character widths, i32 each; locked while it exists
extern INT32* g_charWidths;
extern int g_widthCapacity;        // entries the table holds (160 at start)
extern BOOL g_doubleByte;          // the system code page has lead bytes

constexpr int kInitialWidthEntries = 160;

// Registers the clipboard format, measures the label font on the frame's DC and makes the
// width table: 0, 10001 (format) or 10004 (font or table).
int InitTextEngine();
void TermTextEngine();
