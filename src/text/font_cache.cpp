// The process-wide font cache.
#include "text/font_cache.h"

int g_createdFontCount = 0;
int g_fontFlushCount = 0;
BOOL g_fontWarned = FALSE;

BOOL SameLogFontFace(const LOGFONTA*, const LOGFONTA*) { return FALSE; }
int InitFontCache() { return 0; }
void ClearFontCache() {}
void FreeFontCache() {}
int FindOrAddCachedFace(HGLOBAL, int) { return -1; }
HFONT FindOrCreateCachedFont(int, const LOGFONTA*) { return nullptr; }
int FindCachedSize(HGLOBAL, int) { return 0; }
HFONT GetCachedFont(HGLOBAL, HGLOBAL, int, int, int, int, int, int) { return nullptr; }
HFONT CreateListFont(HGLOBAL, HGLOBAL, int, int, int, int, int, int) { return nullptr; }
BOOL MakeRunLogFont(HGLOBAL, HGLOBAL, int, int, int, int, int, int, LOGFONTA*) { return FALSE; }
