// Files for the native build: CreateFileA with Win32's dispositions and sharing rules, and the
// classic _l* calls, over POSIX descriptors; plus the thread's last-error code.
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

thread_local DWORD g_lastError = 0;

struct OpenFileEntry {
    int fd = -1;
    DWORD access = 0;  // GENERIC_READ / GENERIC_WRITE
    DWORD share = 0;   // FILE_SHARE_*
    dev_t device = 0;
    ino_t inode = 0;
    bool inUse = false;
};

// File handles are small multiples of 4 below the memory handles' range, so both kinds of
// handle fit the 32-bit HFILE and the 32-bit handle fields of records.
constexpr INT_PTR kFileHandleBase = 0x100;
constexpr INT_PTR kFileHandleStep = 4;
constexpr std::size_t kMaxOpenFiles = 4096;

std::vector<OpenFileEntry> g_files;

OpenFileEntry* LookupFile(INT_PTR value)
{
    if (value < kFileHandleBase || (value - kFileHandleBase) % kFileHandleStep != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    std::size_t index = static_cast<std::size_t>((value - kFileHandleBase) / kFileHandleStep);
    if (index >= g_files.size() || !g_files[index].inUse) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return &g_files[index];
}

OpenFileEntry* LookupFile(HANDLE handle)
{
    return LookupFile(reinterpret_cast<INT_PTR>(handle));
}

DWORD ErrorFromErrno(int err, const char* path)
{
    switch (err) {
    case ENOENT: {
        // Windows tells a missing file from a missing folder.
        std::string dir(path);
        std::size_t slash = dir.find_last_of('/');
        dir = slash == std::string::npos ? std::string(".") : dir.substr(0, slash ? slash : 1);
        struct stat st;
        return (stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? ERROR_FILE_NOT_FOUND
                                                                    : ERROR_PATH_NOT_FOUND;
    }
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOSPC:
    case EFBIG:
        return ERROR_DISK_FULL;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

// Whether a new open with `access`/`share` may coexist with the existing opens of the file.
bool SharingAllows(dev_t device, ino_t inode, DWORD access, DWORD share)
{
    for (const OpenFileEntry& f : g_files) {
        if (!f.inUse || f.device != device || f.inode != inode) {
            continue;
        }
        if ((access & GENERIC_READ) && !(f.share & FILE_SHARE_READ)) return false;
        if ((access & GENERIC_WRITE) && !(f.share & FILE_SHARE_WRITE)) return false;
        if ((f.access & GENERIC_READ) && !(share & FILE_SHARE_READ)) return false;
        if ((f.access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)) return false;
    }
    return true;
}

std::size_t FreeFilePlace()
{
    for (std::size_t i = 0; i < g_files.size(); ++i) {
        if (!g_files[i].inUse) {
            return i;
        }
    }
    g_files.emplace_back();
    return g_files.size() - 1;
}

}  // namespace

DWORD GetLastError()
{
    return g_lastError;
}

void SetLastError(DWORD code)
{
    g_lastError = code;
}

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   LPSECURITY_ATTRIBUTES, DWORD creationDisposition, DWORD, HANDLE)
{
    if (!fileName || !*fileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    int mode;
    if ((desiredAccess & GENERIC_READ) && (desiredAccess & GENERIC_WRITE)) {
        mode = O_RDWR;
    } else if (desiredAccess & GENERIC_WRITE) {
        mode = O_WRONLY;
    } else {
        mode = O_RDONLY;
    }
    switch (creationDisposition) {
    case CREATE_NEW: mode |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: mode |= O_CREAT | O_TRUNC; break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: mode |= O_CREAT; break;
    case TRUNCATE_EXISTING:
        if (!(desiredAccess & GENERIC_WRITE)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        mode |= O_TRUNC;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::size_t openCount = 0;
    for (const OpenFileEntry& f : g_files) {
        openCount += f.inUse ? 1 : 0;
    }
    if (openCount >= kMaxOpenFiles) {
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
        return INVALID_HANDLE_VALUE;
    }

    // Sharing is decided before the file is created or cut, as on Windows.
    struct stat st;
    bool existed = stat(fileName, &st) == 0;
    if (existed) {
        if (S_ISDIR(st.st_mode)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        if (creationDisposition == CREATE_NEW) {
            SetLastError(ERROR_FILE_EXISTS);
            return INVALID_HANDLE_VALUE;
        }
        if (!SharingAllows(st.st_dev, st.st_ino, desiredAccess, shareMode)) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return INVALID_HANDLE_VALUE;
        }
    }
    int fd = open(fileName, mode | O_CLOEXEC, 0666);
    if (fd < 0) {
        SetLastError(ErrorFromErrno(errno, fileName));
        return INVALID_HANDLE_VALUE;
    }
    if (fstat(fd, &st) != 0) {
        close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    std::size_t index = FreeFilePlace();
    OpenFileEntry& f = g_files[index];
    f.fd = fd;
    f.access = desiredAccess & (GENERIC_READ | GENERIC_WRITE);
    f.share = shareMode & (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    f.device = st.st_dev;
    f.inode = st.st_ino;
    f.inUse = true;
    bool reportExisting = existed && (creationDisposition == OPEN_ALWAYS || creationDisposition == CREATE_ALWAYS);
    SetLastError(reportExisting ? ERROR_ALREADY_EXISTS : NO_ERROR);
    return reinterpret_cast<HANDLE>(kFileHandleBase + static_cast<INT_PTR>(index) * kFileHandleStep);
}

BOOL CloseHandle(HANDLE object)
{
    OpenFileEntry* f = LookupFile(object);
    if (!f) {
        return FALSE;
    }
    close(f->fd);
    *f = OpenFileEntry{};
    return TRUE;
}

BOOL DeleteFileA(LPCSTR fileName)
{
    struct stat st;
    if (!fileName || stat(fileName, &st) != 0) {
        SetLastError(ErrorFromErrno(errno, fileName ? fileName : ""));
        return FALSE;
    }
    if (S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    for (const OpenFileEntry& f : g_files) {
        if (f.inUse && f.device == st.st_dev && f.inode == st.st_ino && !(f.share & FILE_SHARE_DELETE)) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
    }
    if (unlink(fileName) != 0) {
        SetLastError(ErrorFromErrno(errno, fileName));
        return FALSE;
    }
    return TRUE;
}

BOOL SetEndOfFile(HANDLE file)
{
    OpenFileEntry* f = LookupFile(file);
    if (!f) {
        return FALSE;
    }
    if (!(f->access & GENERIC_WRITE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    off_t position = lseek(f->fd, 0, SEEK_CUR);
    if (position < 0 || ftruncate(f->fd, position) != 0) {
        SetLastError(ErrorFromErrno(errno, ""));
        return FALSE;
    }
    return TRUE;
}

UINT _lread(HFILE file, LPVOID buffer, UINT bytes)
{
    OpenFileEntry* f = LookupFile(static_cast<INT_PTR>(file));
    if (!f) {
        return static_cast<UINT>(HFILE_ERROR);
    }
    if (!(f->access & GENERIC_READ)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return static_cast<UINT>(HFILE_ERROR);
    }
    char* out = static_cast<char*>(buffer);
    UINT done = 0;
    while (done < bytes) {
        ssize_t n = read(f->fd, out + done, bytes - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            SetLastError(ErrorFromErrno(errno, ""));
            return static_cast<UINT>(HFILE_ERROR);
        }
        if (n == 0) {
            break;  // end of file: a short count, not an error
        }
        done += static_cast<UINT>(n);
    }
    return done;
}

UINT _lwrite(HFILE file, LPCCH buffer, UINT bytes)
{
    OpenFileEntry* f = LookupFile(static_cast<INT_PTR>(file));
    if (!f) {
        return static_cast<UINT>(HFILE_ERROR);
    }
    if (!(f->access & GENERIC_WRITE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return static_cast<UINT>(HFILE_ERROR);
    }
    if (bytes == 0) {
        // As on Win32, writing nothing ends the file at the current position.
        return SetEndOfFile(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(file))) ? 0 : static_cast<UINT>(HFILE_ERROR);
    }
    UINT done = 0;
    while (done < bytes) {
        ssize_t n = write(f->fd, buffer + done, bytes - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            SetLastError(ErrorFromErrno(errno, ""));
            return static_cast<UINT>(HFILE_ERROR);
        }
        done += static_cast<UINT>(n);
    }
    return done;
}

LONG _llseek(HFILE file, LONG offset, int origin)
{
    OpenFileEntry* f = LookupFile(static_cast<INT_PTR>(file));
    if (!f) {
        return HFILE_ERROR;
    }
    int whence;
    switch (origin) {
    case FILE_BEGIN: whence = SEEK_SET; break;
    case FILE_CURRENT: whence = SEEK_CUR; break;
    case FILE_END: whence = SEEK_END; break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return HFILE_ERROR;
    }
    // The position is worked out first and only then set: a refused seek leaves it alone.
    off_t base = 0;
    if (whence == SEEK_CUR) {
        base = lseek(f->fd, 0, SEEK_CUR);
    } else if (whence == SEEK_END) {
        struct stat st;
        base = fstat(f->fd, &st) == 0 ? st.st_size : -1;
    }
    if (base < 0) {
        SetLastError(ErrorFromErrno(errno, ""));
        return HFILE_ERROR;
    }
    long long target = static_cast<long long>(base) + offset;
    if (target < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return HFILE_ERROR;
    }
    if (target > 0x7FFFFFFFLL) {
        // The 32-bit result could not report the position.
        SetLastError(ERROR_INVALID_PARAMETER);
        return HFILE_ERROR;
    }
    if (lseek(f->fd, static_cast<off_t>(target), SEEK_SET) < 0) {
        SetLastError(ErrorFromErrno(errno, ""));
        return HFILE_ERROR;
    }
    return static_cast<LONG>(target);
}

HFILE _lclose(HFILE file)
{
    return CloseHandle(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(file))) ? 0 : HFILE_ERROR;
}
