// Temporary folders of the tests.
#include "support/temp_folder.h"

#include <windows.h>

TempFolder::TempFolder()
{
    char base[MAX_PATH];
    if (!GetTempPathA(MAX_PATH, base)) return;
    // The process id and a counter keep folders of parallel test processes apart.
    static LONG counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[MAX_PATH];
        wsprintfA(name, "%svxtest-%lu-%ld", base, GetCurrentProcessId(), InterlockedIncrement(&counter));
        if (CreateDirectoryA(name, nullptr)) {
            path_ = name;
            return;
        }
    }
}

TempFolder::~TempFolder()
{
    if (path_.empty()) return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA(File(found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path_.c_str());
}

std::string TempFolder::File(const char* name) const
{
    return path_ + "\\" + name;
}
