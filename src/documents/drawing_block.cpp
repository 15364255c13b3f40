// The drawing block of a drawing file.
#include "documents/drawing_block.h"

int ReadDrawingBlock(HFILE, HWND, DocumentState*, DWORD) { return 0; }
int WriteDrawingBlock(HFILE, DocumentState*, BOOL) { return 0; }
void ApplyDefaultAttributes(Drawing*, DocumentState*) {}
WORD MapWrittenObjectId(WORD) { return 0xFFFF; }
