// Opening files by OpenFile mode bits, setting and measuring their length.
#include "store/file_ops.h"

#include "store/results.h"

HFILE OpenFileMode(LPCSTR path, OFSTRUCT*, UINT mode)
{
    if (mode == OF_DELETE) {
        DeleteFileA(path);
        return HFILE_ERROR;
    }
    // The sharing follows from the access alone: a writer lets others only read.
    bool write = (mode & (OF_WRITE | OF_READWRITE)) != 0;
    DWORD access = write ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ;
    DWORD share = write ? FILE_SHARE_READ : (FILE_SHARE_READ | FILE_SHARE_WRITE);
    DWORD disposition = OPEN_EXISTING;
    if (mode == OF_CREATE) {
        disposition = CREATE_NEW;
    } else if (mode & OF_CREATE) {
        disposition = OPEN_ALWAYS;
    }
    HANDLE file = CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return HFILE_ERROR;
    }
    return static_cast<HFILE>(reinterpret_cast<INT_PTR>(file));
}

int SetFileSize(HFILE file, LONG length)
{
    if (_llseek(file, length, FILE_BEGIN) == HFILE_ERROR) {
        return ErrFilePosition;
    }
    if (!SetEndOfFile(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(file)))) {
        return StoreBadShiftOrLength;
    }
    return 0;
}

int GetFileLength(HFILE file, LONG* length)
{
    LONG position = _llseek(file, 0, FILE_CURRENT);
    if (position == HFILE_ERROR) {
        return ErrFileIO;
    }
    LONG end = _llseek(file, 0, FILE_END);
    if (end == HFILE_ERROR) {
        return ErrFileIO;
    }
    if (_llseek(file, position, FILE_BEGIN) == HFILE_ERROR) {
        return ErrFileIO;
    }
    *length = end;
    return 0;
}
