// Font lists and document font maps.
#include "text/font_list.h"

BOOL g_trueTypeFound = FALSE;

int BuildFontList(HWND, HDC, HGLOBAL) { return 0; }
int CALLBACK ExamineFontFamilies(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM) { return 0; }
extern "C" int CALLBACK ExamineFonts(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM) { return 0; }
void ResetFontList(HGLOBAL) {}
int FindFontByFace(HGLOBAL, const char*) { return -1; }
int FindFontByFaceAndCharset(HGLOBAL, const char*, int) { return -1; }
int GetDefaultFontIndex(HGLOBAL) { return 0; }
void GetFontFaceName(HGLOBAL, HGLOBAL, int, char* face, int* charset)
{
    if (face) face[0] = 0;
    if (charset) *charset = 0;
}
int MapDocumentFont(HGLOBAL, int) { return -1; }
BOOL RemapFontIndices(HGLOBAL, HGLOBAL, HGLOBAL) { return FALSE; }
int MergeFontMap(HGLOBAL, HGLOBAL, HGLOBAL, HGLOBAL) { return 0; }
