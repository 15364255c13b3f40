// The New and Open commands and the paths handed in from the command line, a second start,
// a drop or the recent files.
#pragma once

#include <windows.h>

// 0 when done or cancelled, 1 at the document limit, else what OpenOrActivateDocument gave.
// `path` (none, or a buffer of at least 262 bytes) is made absolute in place.
int OpenDocumentCommand(char* path, BOOL showDialog, int mode);
// how: 1 File > New, 0 the New choice at start-up, -1 never offers the template chooser.
void NewDocument(int how);
