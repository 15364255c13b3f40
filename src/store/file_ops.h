// Files as the block store and the documents use them: opened with the classic OpenFile mode
// bits, sized and measured.
#pragma once

#include <windows.h>

// Opens, creates or deletes the file at `path` by the OpenFile mode bits (the record is
// ignored): exactly OF_DELETE deletes and returns -1; exactly OF_CREATE makes a new file with
// read access and fails when it exists; OF_CREATE with other bits opens or creates; any other
// mode opens an existing file. OF_WRITE or OF_READWRITE give read and write access while others
// may only read; otherwise read access while others may read and write. The OF_SHARE_* bits
// have no effect. Returns the file handle, or -1.
HFILE OpenFileMode(LPCSTR path, OFSTRUCT* ignored, UINT mode);

// Moves the position to `length` from the start (10006 when refused) and ends the file there
// (1 when refused). The position is left at the new end.
int SetFileSize(HFILE file, LONG length);

// The file's length; the position is kept. 10003 when a move fails.
int GetFileLength(HFILE file, LONG* length);
