// A slot's library file: creation through the Save dialog, loading into the slot, item names and
// compaction. The file's own checks are window-less, in library_file.cpp.
#include "libraries/library_slot_file.h"

#include <cstddef>

#include "documents/file_dialogs.h"
#include "documents/options.h"
#include "frame/frame_services.h"
#include "frame/frame_windows.h"
#include "libraries/current_vexlet.h"
#include "libraries/library_file.h"
#include "libraries/library_layout.h"
#include "libraries/library_slots.h"
#include "shapes/picture_chunks.h"
#include "store/block_store.h"

// The version-1 upgrade clears these fields of the first picture chunk.
static_assert(kLibraryPictureFlagsOffset == offsetof(PictureChunk, flags));
static_assert(kLibraryPictureHeaderEnd == kChunkHeaderSize);

namespace {

constexpr int kSaveDialogTemplate = 1536;
constexpr UINT kLibraryFilter = 1003;        // "Vexlet Library (*.VXL)|*.vxl|"
constexpr UINT kCreateLibraryTitle = 1055;   // "Create Vexlet Library"
constexpr int kCreateLibraryHelp = 213;
constexpr UINT kDiskOrMemoryError = 17;
constexpr UINT kLibraryCloseError = 40;

bool ValidSlot(int slot)
{
    return slot >= 0 && slot < kLibrarySlots;
}

// Step 2 of creation: the slot's saved library goes to the entry that named the chosen file.
void CopySavedLibrary(int from, int to)
{
    if (!g_settings || from == to) return;
    LibraryWindowSettings& target = g_settings->libraries[to];
    const LibraryWindowSettings& source = g_settings->libraries[from];
    lstrcpynA(target.folder, source.folder, sizeof target.folder);
    lstrcpynA(target.file, source.file, sizeof target.file);
}

// Gives up what the slot holds of its library: the table and info unlocked, the placement saved,
// the store compacted when items were removed, then closed.
void ReleaseSlotLibrary(int slot)
{
    LibrarySlot& s = g_librarySlots[slot];
    if (s.items) {
        SetShownItemCount(slot, 0);
        GlobalUnlock(s.itemTable);
    }
    s.items = nullptr;
    s.itemTable = nullptr;
    if (s.store >= 0) SaveLibraryPlacement(slot);
    if (s.infoRecord) GlobalUnlock(s.info);
    s.infoRecord = nullptr;
    s.info = nullptr;
    if (s.store >= 0) {
        if (s.compactionNeeded) CompactLibraryFile(slot);
        CloseStore(s.store);
    }
    s.store = -1;
}

}  // namespace

int CreateLibraryFile(int slot, char* path)
{
    if (!ValidSlot(slot)) return StoreSlotOutOfRange;
    path[0] = 0;
    char* folder = g_settings ? g_settings->libraryFolder : nullptr;
    if (!RunSaveFileDialog(g_frameWindow, kSaveDialogTemplate, path, kLibraryFilter, kCreateLibraryTitle,
                           kCreateLibraryHelp, 1, 0, folder))
        return 1;

    bool matched = false;
    const int shown = FindLibrarySlotByPath(path, TRUE);
    if (shown >= 0 && shown != slot) {
        LibrarySlot& other = g_librarySlots[shown];
        HWND documentWindow = other.docked ? GetParent(other.window) : nullptr;
        DestroyWindow(other.window);  // which closes its library
        CopySavedLibrary(slot, shown);
        other.docked = FALSE;
        if (documentWindow) RelayoutDocumentWindow(documentWindow);
        matched = true;
    } else if (shown < 0) {
        const int saved = FindLibrarySlotByPath(path, FALSE);
        if (saved >= 0) {
            CopySavedLibrary(slot, saved);
            matched = true;
        }
    }

    LibrarySlot& s = g_librarySlots[slot];
    if (s.buttonSize < kLibraryButtonSmall) s.buttonSize = kLibraryButtonSmall;
    if (int result = CreateLibraryStore(path, s.buttonSize)) {
        ShowWarningById(kDiskOrMemoryError);
        return result;
    }
    if (matched) SetSavedLibraryPath(slot, path);
    return 0;
}

int LoadLibraryFile(int slot, LPCSTR path)
{
    if (!ValidSlot(slot)) return StoreSlotOutOfRange;
    int store = -1;
    BOOL readOnly = FALSE;
    HGLOBAL table = nullptr;
    if (int result = OpenLibraryStore(path, &store, &readOnly, &table)) return result;

    ReleaseSlotLibrary(slot);
    LibrarySlot& s = g_librarySlots[slot];
    s.store = store;
    s.readOnly = readOnly ? 1 : 0;
    s.itemTable = table;
    s.items = static_cast<LibraryItemTable*>(GlobalLock(table));
    // Kept dirty, so that every flush and the closing write the table back.
    int result = s.items ? MarkBlockDirty(table) : ErrOutOfMemory;
    HGLOBAL info = nullptr;
    if (!result) result = LoadLibraryInfo(store, table, s.items, &info);
    if (!result) {
        s.info = info;
        s.infoRecord = static_cast<LibraryInfo*>(GlobalLock(info));
        if (!s.infoRecord) result = ErrOutOfMemory;
    }
    if (result) {
        // The store is closed: the slot must not go on naming it or its blocks.
        if (s.items) GlobalUnlock(table);
        if (s.infoRecord) GlobalUnlock(info);
        s.items = nullptr;
        s.itemTable = nullptr;
        s.infoRecord = nullptr;
        s.info = nullptr;
        s.readOnly = 0;
        CloseStore(store);
        s.store = -1;
        return result;
    }
    s.buttonSize = LibraryButtonSize(s.infoRecord);

    if (s.window) {
        SetShownItemCount(slot, s.items->count);
        if (CurrentVexlet.slot == slot) CurrentVexlet.item = -1;
        if (s.items->count > 0) SelectLibraryItem(slot, s.items->items[0].recordNumber);
        RefreshLibraryWindow(slot);
    }
    return 0;
}

int SetLibraryItemName(int slot, int recordNumber, char* name)
{
    if (!ValidSlot(slot)) return StoreSlotOutOfRange;
    return StoreLibraryItemName(g_librarySlots[slot].store, recordNumber, name);
}

int CompactLibraryFile(int slot)
{
    if (!ValidSlot(slot)) return StoreSlotOutOfRange;
    LibrarySlot& s = g_librarySlots[slot];
    const int result = CompactStore(s.store);
    if (result == StoreCompactionFailed) ShowWarningById(kLibraryCloseError);
    s.compactionNeeded = 0;
    return result;
}
