// The library slot table and the slot services of the file operations.
#include "libraries/library_slots.h"

#include <cstring>

#include "documents/options.h"
#include "frame/frame_services.h"
#include "libraries/library_file.h"
#include "store/block_store.h"

LibrarySlot g_librarySlots[kLibrarySlots] = {};

int FirstOpenLibrarySlot()
{
    for (int slot = 0; slot < kLibrarySlots; ++slot) {
        if (g_librarySlots[slot].window) return slot;
    }
    return -1;
}

int FindLibrarySlotByPath(LPCSTR path, BOOL openOnly)
{
    if (!g_settings || !path) return -1;
    for (int slot = 0; slot < kLibrarySlots; ++slot) {
        const LibraryWindowSettings& saved = g_settings->libraries[slot];
        if (openOnly && (!g_librarySlots[slot].window || g_librarySlots[slot].store < 0)) continue;
        char joined[sizeof saved.folder + sizeof saved.file];
        lstrcpynA(joined, saved.folder, sizeof saved.folder);
        std::strncat(joined, saved.file, sizeof saved.file - 1);
        if (lstrcmpiA(joined, path) == 0) return slot;
    }
    return -1;
}

void SetShownItemCount(int slot, int count)
{
    if (slot >= 0 && slot < kLibrarySlots) g_librarySlots[slot].shownItems = count;
}

void SaveLibraryPlacement(int slot)
{
    if (slot < 0 || slot >= kLibrarySlots || !g_settings) return;
    LibrarySlot& s = g_librarySlots[slot];
    LibraryWindowSettings& saved = g_settings->libraries[slot];
    saved.sizeA = s.width;
    saved.sizeB = s.height;
    RECT rect;
    if (s.window && GetWindowRect(s.window, &rect)) {
        POINT corner = {rect.left, rect.top};
        if (g_frameWindow) ScreenToClient(g_frameWindow, &corner);
        saved.left = corner.x;
        saved.top = corner.y;
        saved.minimised = IsIconic(s.window) ? 1 : 0;
    }
    if (s.infoRecord) {
        s.infoRecord->savedColumns = static_cast<std::int16_t>(s.columns);
        s.infoRecord->savedRows = static_cast<std::int16_t>(s.rows);
        MarkBlockDirty(s.info);
    }
}

void SetSavedLibraryPath(int slot, LPCSTR path)
{
    if (slot < 0 || slot >= kLibrarySlots || !g_settings || !path) return;
    LibraryWindowSettings& saved = g_settings->libraries[slot];
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    }
    const size_t folderLength = static_cast<size_t>(name - path);
    if (folderLength >= sizeof saved.folder || std::strlen(name) >= sizeof saved.file) return;
    std::memcpy(saved.folder, path, folderLength);
    saved.folder[folderLength] = 0;
    lstrcpynA(saved.file, name, sizeof saved.file);
}
