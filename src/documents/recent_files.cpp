// The recent-files list: entries are path slots; `order` lists the slots most recent first.
#include "documents/recent_files.h"

#include <algorithm>
#include <cstring>

#include "documents/options.h"
#include "libraries/library_services.h"

int g_fileMenuBase = 0;

// The Libraries menu's own items (Open to Names) come before the library list.
constexpr int kLibrariesMenuFixedItems = 12;

namespace {

// The first path slot that no shown position uses.
int FreeSlot(const RecentFiles* r, int count)
{
    int slot = 0;
    for (bool used = true; used && slot < kMaxRecentFiles;) {
        used = false;
        for (int i = 0; i < count; ++i) used = used || r->order[i] == slot;
        if (used) ++slot;
    }
    return slot;
}

int ShownCount(const RecentFiles* r)
{
    return r->count < 0 ? 0 : (r->count > kMaxRecentFiles ? kMaxRecentFiles : r->count);
}

}  // namespace

void AppendRecentFile(const char* path)
{
    RecentFiles* r = g_recentFiles;
    if (!r) return;
    int count = ShownCount(r);
    if (count >= kMaxRecentFiles) return;
    int slot = FreeSlot(r, count);
    lstrcpynA(r->paths[slot], path, sizeof r->paths[slot]);
    r->order[count] = slot;
    r->count = count + 1;
    r->changed = 1;
}

void AddRecentFile(const char* path)
{
    RecentFiles* r = g_recentFiles;
    if (!r || !path) return;
    int count = ShownCount(r);
    int found = -1;
    for (int i = 0; i < count && found < 0; ++i) {
        int slot = r->order[i];
        if (slot >= 0 && slot < kMaxRecentFiles && lstrcmpiA(r->paths[slot], path) == 0) found = i;
    }
    if (found == 0) return;
    int slot;
    if (found > 0) {
        slot = r->order[found];
    } else if (count < kMaxRecentFiles) {
        slot = FreeSlot(r, count);
        found = count++;
        lstrcpynA(r->paths[slot], path, sizeof r->paths[slot]);
    } else {
        found = count - 1;
        slot = r->order[found];
        lstrcpynA(r->paths[slot], path, sizeof r->paths[slot]);
    }
    for (int i = found; i > 0; --i) r->order[i] = r->order[i - 1];
    r->order[0] = slot;
    r->count = count;
    r->changed = 1;
}

void RemoveRecentFile(int commandId)
{
    RecentFiles* r = g_recentFiles;
    if (!r) return;
    int position = commandId - r->firstMenuId;
    if (position < 0 || position >= r->count || position >= kMaxRecentFiles) return;
    for (int i = position; i + 1 < r->count; ++i) r->order[i] = r->order[i + 1];
    --r->count;
    r->changed = 1;
}

void GetRecentFilePath(int commandId, char* path)
{
    path[0] = '\0';
    RecentFiles* r = g_recentFiles;
    if (!r) return;
    int position = commandId - r->firstMenuId;
    if (position < 0 || position >= r->count || position >= kMaxRecentFiles) return;
    int slot = r->order[position];
    if (slot >= 0 && slot < kMaxRecentFiles) lstrcpynA(path, r->paths[slot], 262);
}

void UpdateRecentFilesDirectory()
{
    RecentFiles* r = g_recentFiles;
    if (!r) return;
    char folder[262] = "";
    DWORD n = GetCurrentDirectoryA(261, folder);
    if (n == 0 || n > 260) return;
    if (folder[n - 1] != '\\') {
        folder[n] = '\\';
        folder[n + 1] = '\0';
    }
    if (lstrcmpiA(folder, r->currentFolder) != 0) {
        lstrcpynA(r->currentFolder, folder, sizeof r->currentFolder);
        r->changed = 1;
    }
}

void UpdateRecentFilesMenu(HMENU fileMenu)
{
    RecentFiles* r = g_recentFiles;
    if (!r || !fileMenu || !r->changed) return;
    r->changed = 0;
    while (GetMenuItemCount(fileMenu) > g_fileMenuBase && DeleteMenu(fileMenu, g_fileMenuBase, MF_BYPOSITION)) {
    }
    int count = ShownCount(r);
    if (count == 0) return;
    AppendMenuA(fileMenu, MF_SEPARATOR, 0, nullptr);
    size_t folderLength = std::strlen(r->currentFolder);
    for (int i = 0; i < count; ++i) {
        int slot = r->order[i];
        if (slot < 0 || slot >= kMaxRecentFiles) continue;
        const char* path = r->paths[slot];
        if (folderLength && CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, path,
                                           static_cast<int>(std::min(folderLength, std::strlen(path))),
                                           r->currentFolder, static_cast<int>(folderLength)) == CSTR_EQUAL)
            path += folderLength;
        char text[262];
        lstrcpynA(text, path, sizeof(text));
        EscapeMenuAmpersands(text, sizeof(text));
        AppendMenuA(fileMenu, MF_STRING, static_cast<UINT_PTR>(120 + i), text);
    }
}

void EscapeMenuAmpersands(char* text, size_t size)
{
    if (size == 0) return;
    char source[1024];
    lstrcpynA(source, text, static_cast<int>(std::min(size, sizeof(source))));
    size_t n = 0;
    for (const char* p = source; *p; ++p) {
        const size_t need = *p == '&' ? 2 : 1;
        if (n + need > size - 1) break;
        if (*p == '&') text[n++] = '&';
        text[n++] = *p;
    }
    text[n] = 0;
}

namespace {

bool NamesLibrary(int slot)
{
    return g_settings && g_settings->libraries[slot].file[0] && !g_librarySlots[slot].docked;
}

bool SameLibrary(int a, int b)
{
    const LibraryWindowSettings& x = g_settings->libraries[a];
    const LibraryWindowSettings& y = g_settings->libraries[b];
    return lstrcmpiA(x.file, y.file) == 0 && lstrcmpiA(x.folder, y.folder) == 0;
}

}  // namespace

BOOL IsDuplicateLibrarySlot(int slot)
{
    if (!g_settings || slot < 0 || slot >= kLibrarySlots) return FALSE;
    for (int other = 0; other < kLibrarySlots; ++other) {
        if (other == slot || !NamesLibrary(other)) continue;
        // An earlier slot lists it anyway; a later one only when its window is open.
        if ((other < slot || g_librarySlots[other].window) && SameLibrary(slot, other)) return TRUE;
    }
    return FALSE;
}

int UpdateLibraryListMenu(HMENU librariesMenu, int baseId)
{
    if (!librariesMenu) return kLibrarySlots;
    while (GetMenuItemCount(librariesMenu) > kLibrariesMenuFixedItems &&
           DeleteMenu(librariesMenu, kLibrariesMenuFixedItems, MF_BYPOSITION)) {
    }
    for (int slot = 0; slot < kLibrarySlots; ++slot) {
        if (slot == 0) AppendMenuA(librariesMenu, MF_SEPARATOR, 0, nullptr);
        if (!NamesLibrary(slot)) continue;
        const bool open = g_librarySlots[slot].window != nullptr;
        if (!open && IsDuplicateLibrarySlot(slot)) continue;
        char text[262];
        lstrcpynA(text, g_settings->libraries[slot].file, sizeof(text));
        if (char* dot = std::strchr(text, '.')) *dot = 0;
        EscapeMenuAmpersands(text, sizeof(text));
        AppendMenuA(librariesMenu, MF_STRING | (open ? MF_CHECKED : MF_UNCHECKED),
                    static_cast<UINT_PTR>(baseId + slot + 1), text);
    }
    return kLibrarySlots;
}
