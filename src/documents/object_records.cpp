// One object's block of a drawing file.
#include "documents/object_records.h"

int ReadObjectBlock(HFILE, HWND, DocumentState*, Drawing*, ObjectList*, ZOrderList*, DWORD) { return 0; }
int WriteObjectBlock(HFILE, DocumentState*, DrawObject*) { return 0; }
void InitObjectDefaults(Drawing*, DrawObject*) {}
