// The text engine's process-wide values.
#include "text/text_engine.h"

UINT g_tenClipFormat = 0;
HFONT g_labelFont = nullptr;
int g_bandGap = 10;
int g_labelAscent = 8;
HGLOBAL g_widthTable = nullptr;
INT32* g_charWidths = nullptr;
int g_widthCapacity = 0;
BOOL g_doubleByte = FALSE;
