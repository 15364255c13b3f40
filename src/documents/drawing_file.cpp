// Drawing and template files (stand-in until the file format lands).
#include "documents/drawing_file.h"

int ReadDrawingFile(HFILE, LPCSTR, HGLOBAL, DWORD, HWND, DocumentState*, BOOL* older, BOOL)
{
    if (older) *older = FALSE;
    return 1003;
}
int WriteDrawingFile(LPCSTR, HGLOBAL* image, DWORD* imageLength, DocumentState*)
{
    if (image) *image = nullptr;
    if (imageLength) *imageLength = 0;
    return 1002;
}
int ProbeDrawingFile(LPCSTR, HGLOBAL* preview)
{
    if (preview) *preview = nullptr;
    return 0;
}
