// Store checkpoints: opening and discarding the journal in the backup tree, and swapping the
// journaled states with the current ones for undo and redo.
#include "store/store_checkpoint.h"

#include <initializer_list>

#include "store/flags.h"
#include "store/results.h"
#include "store/store_directory.h"
#include "store/store_internal.h"
#include "store/store_records.h"
#include "store/store_space.h"

// The journal: while STORE_CHECKPOINT is set, the first change of a record or type since the
// checkpoint puts its earlier state into the backup tree (JournalOldVersion,
// EnsureCheckpointType, and RemoveIndexEntry for deletions); later changes find the key
// present and leave it. So the backup tree always describes the store as it was when
// BeginStoreCheckpoint ran, and SwapStoreCheckpoint can exchange the two trees key by key.
// The flag and the tree are in the file: a checkpoint survives closing and reopening.

namespace {

// What the swap of one backup entry does, decided from the backup child and the main page.
struct SwapCase {
    bool absent;  // the backup child is an absent-marker
    bool found;   // the key exists in the main page
};

int CheckPageOrder(HGLOBAL page)
{
    BlockLock lock(page);
    if (!lock) {
        return ErrOutOfMemory;
    }
    const StoreIndexEntry* entries = PageEntries(lock.get());
    int count = PageEntryCount(page, lock.get());
    for (int i = 1; i < count; ++i) {
        if (entries[i].key <= entries[i - 1].key) {
            return StoreKeyOrder;
        }
    }
    return 0;
}

// The child at `position` of a page, loaded.
int TakeChild(int slot, HGLOBAL page, int position, int childParent, HGLOBAL* child, int* key)
{
    BlockLock lock(page);
    if (!lock) {
        return ErrOutOfMemory;
    }
    if (position >= PageEntryCount(page, lock.get())) {
        return StoreEntryMissing;
    }
    StoreIndexEntry* entry = &PageEntries(lock.get())[position];
    *key = entry->key;
    return GetIndexedBlock(entry, slot, childParent, TreeOfChildren(HeaderOf(lock.get())), child,
                           HeaderFlags(HeaderOf(lock.get())));
}

// The child of `key` in a page when it exists (found false otherwise), loaded.
int FindChild(int slot, HGLOBAL page, int key, int childParent, HGLOBAL* child, bool* found)
{
    *child = nullptr;
    *found = false;
    BlockLock lock(page);
    if (!lock) {
        return ErrOutOfMemory;
    }
    BOOL present;
    int position = FindIndexEntry(PageOf(lock.get()), key, &present);
    if (!present) {
        return 0;
    }
    *found = true;
    return GetIndexedBlock(&PageEntries(lock.get())[position], slot, childParent, TreeOfChildren(HeaderOf(lock.get())),
                           child, HeaderFlags(HeaderOf(lock.get())));
}

int EntryCountOf(HGLOBAL page)
{
    BlockLock lock(page);
    return lock ? PageEntryCount(page, lock.get()) : 0;
}

// Before anything is exchanged: every journal block and every main block the swap takes must
// load, keys must be in order, and the index must have room for the placeholders the swap
// inserts, counted in the order the swap works. A swap that fails part-way would leave
// records from two points in time.
int CheckSwapPossible(int slot, BOOL keepRedo)
{
    StoreDescriptor* d = StoreImage(slot);
    long long entries = d->entryCount;
    HGLOBAL mainRoot, backupRoot;
    if (int result = TakeTopPage(slot, KEY_MAIN_ROOT, &mainRoot)) return result;
    if (int result = TakeTopPage(slot, KEY_BACKUP_ROOT, &backupRoot)) return result;
    if (int result = CheckPageOrder(mainRoot)) return result;
    if (int result = CheckPageOrder(backupRoot)) return result;
    long long types = EntryCountOf(mainRoot);
    for (int i = EntryCountOf(backupRoot) - 1; i >= 0; --i) {
        HGLOBAL backupType, mainType;
        int type;
        bool found;
        if (int result = TakeChild(slot, backupRoot, i, KEY_BACKUP_ROOT, &backupType, &type)) return result;
        if (int result = CheckPageOrder(backupType)) return result;
        if (int result = FindChild(slot, mainRoot, type, KEY_MAIN_ROOT, &mainType, &found)) return result;
        if (found) {
            if (int result = CheckPageOrder(mainType)) return result;
        }
        bool absent = BlockHasFlag(backupType, BLOCK_ABSENT);
        if (absent && EntryCountOf(backupType) != 0) {
            return StoreSizeMismatch;  // an absent type page never holds entries
        }
        if (absent) {
            if (found) {
                // Undo takes the type out of the main root; its records are freed only when
                // no redo keeps them (with redo they move to the journal and still count).
                entries -= 1 + (keepRedo ? 0 : EntryCountOf(mainType));
                types -= 1;
            } else if (keepRedo) {
                entries -= 1;
            }
            continue;
        }
        if (!found) {
            entries += 1;
            types += 1;
            if (types > kMaxPageEntries) return StorePageFull;
            if (entries > d->entryCapacity) return StoreNoRoom;
            continue;
        }
        long long records = EntryCountOf(mainType);
        for (int j = EntryCountOf(backupType) - 1; j >= 0; --j) {
            HGLOBAL journal, current;
            int id;
            bool exists;
            if (int result = TakeChild(slot, backupType, j, type, &journal, &id)) return result;
            if (int result = FindChild(slot, mainType, id, type, &current, &exists)) return result;
            bool gone = BlockHasFlag(journal, BLOCK_ABSENT);
            if (gone && exists) {
                entries -= 1;
                records -= 1;
            } else if (gone && keepRedo) {
                entries -= 1;
            } else if (!gone && !exists) {
                entries += 1;
                records += 1;
                if (records > kMaxPageEntries) return StorePageFull;
                if (entries > d->entryCapacity) return StoreNoRoom;
            }
        }
    }
    return 0;
}

// Frees every record a type page lists: memory, file space and entry count. A record whose
// space cannot be given back is still dropped from the page and the count, and the walk goes
// on, so that the page and the entry count keep agreeing; the last error is the result.
int FreeTypeRecords(int slot, HGLOBAL typePage)
{
    BlockLock lock(typePage);
    if (!lock) {
        return ErrOutOfMemory;
    }
    StoreDescriptor* d = StoreImage(slot);
    StoreIndexEntry* entries = PageEntries(lock.get());
    int count = PageEntryCount(typePage, lock.get());
    int last = 0;
    for (int i = 0; i < count; ++i) {
        if (HGLOBAL block = FieldToHandle(entries[i].cachedBlock)) {
            GlobalFree(block);
            entries[i].cachedBlock = 0;
        }
        if (int result = FreeSpace(slot, entries[i].offset, static_cast<DWORD>(entries[i].size))) {
            last = result;
        }
        d->entryCount = static_cast<std::int16_t>(d->entryCount - 1);
    }
    PageOf(lock.get())->count = 0;  // the page is about to go; it lists nothing any more
    return last;
}

// Exchanges the entries of `key` in the two pages of a level.
int ExchangeEntries(int slot, const PageRef& mainRef, const PageRef& backupRef, int key, BOOL retag)
{
    BlockLock mainLock(mainRef.page);
    BlockLock backupLock(backupRef.page);
    if (!mainLock || !backupLock) {
        return ErrOutOfMemory;
    }
    BOOL inMain, inBackup;
    int mainAt = FindIndexEntry(PageOf(mainLock.get()), key, &inMain);
    int backupAt = FindIndexEntry(PageOf(backupLock.get()), key, &inBackup);
    if (!inMain || !inBackup) {
        return StoreEntryMissing;
    }
    // Both pages hold changed entries. They were marked changed when the swap began, but with
    // write-through an insertion on the way (a placeholder) has written them and cleared that.
    SetFlagBits16(HeaderFlags(HeaderOf(mainLock.get())), BLOCK_CHANGED, TRUE);
    SetFlagBits16(HeaderFlags(HeaderOf(backupLock.get())), BLOCK_CHANGED, TRUE);
    return SwapIndexEntries(slot, &PageEntries(mainLock.get())[mainAt], &PageEntries(backupLock.get())[backupAt], retag);
}

}  // namespace

int FreeCheckpointTree(int slot)
{
    StoreDescriptor* d = StoreImage(slot);
    HGLOBAL root;
    if (int result = TakeTopPage(slot, KEY_BACKUP_ROOT, &root)) {
        return result;
    }
    int last = 0;
    int count;
    {
        BlockLock lock(root);
        if (!lock) {
            return ErrOutOfMemory;
        }
        StoreIndexEntry* types = PageEntries(lock.get());
        count = PageEntryCount(root, lock.get());
        for (int i = 0; i < count; ++i) {
            HGLOBAL typePage;
            int result = GetIndexedBlock(&types[i], slot, KEY_BACKUP_ROOT, KEY_BACKUP_ROOT, &typePage,
                                         HeaderFlags(HeaderOf(lock.get())));
            if (result) {
                last = result;
            } else if ((result = FreeTypeRecords(slot, typePage)) != 0) {
                last = result;
            }
            if (HGLOBAL block = FieldToHandle(types[i].cachedBlock)) {
                GlobalFree(block);
                types[i].cachedBlock = 0;
            }
            if ((result = FreeSpace(slot, types[i].offset, static_cast<DWORD>(types[i].size))) != 0) {
                last = result;
            }
            d->entryCount = static_cast<std::int16_t>(d->entryCount - 1);
        }
        PageOf(lock.get())->count = 0;
    }
    if (count > 0) {
        PageRef ref;
        ref.page = root;
        ref.rootKey = KEY_TOP;
        ref.parentKey = KEY_BACKUP_ROOT;
        if (int result = ResizeIndexPage(slot, &ref, 0)) {
            last = result;
        }
    }
    MarkDescriptorChanged(slot);
    return last;
}

int DiscardStoreCheckpoint(int slot)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    int result = FreeCheckpointTree(slot);
    SetStoreFlag(slot, STORE_CHECKPOINT, FALSE);
    MarkDescriptorChanged(slot);
    if (StoreHasFlag(slot, STORE_WRITE_THROUGH)) {
        int written = FlushBlock(FieldToHandle(StoreImage(slot)->backupRoot.cachedBlock));
        if (!written) written = FlushFreeSpacePage(slot);
        if (!written) written = WriteStoreHeader(slot);
        if (!result) result = written;
    }
    return result;
}

int BeginStoreCheckpoint(int slot)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    if (int result = DiscardStoreCheckpoint(slot)) {
        return result;
    }
    SetStoreFlag(slot, STORE_CHECKPOINT, TRUE);
    MarkDescriptorChanged(slot);
    if (StoreHasFlag(slot, STORE_WRITE_THROUGH)) {
        return WriteStoreHeader(slot);
    }
    return 0;
}

int SwapStoreCheckpoint(int slot, BOOL keepRedo)
{
    if (int result = CheckStoreSlot(slot)) {
        return result;
    }
    if (!StoreHasFlag(slot, STORE_CHECKPOINT)) {
        return StoreNoCheckpoint;
    }
    // The swap itself journals nothing.
    SetStoreFlag(slot, STORE_CHECKPOINT, FALSE);
    int result = CheckSwapPossible(slot, keepRedo);
    if (!result) {
        HGLOBAL mainRoot, backupRoot;
        result = TakeTopPage(slot, KEY_MAIN_ROOT, &mainRoot);
        if (!result) result = TakeTopPage(slot, KEY_BACKUP_ROOT, &backupRoot);
        if (!result) {
            SetBlockFlags(mainRoot, BLOCK_CHANGED | BLOCK_PINNED, TRUE);
            SetBlockFlags(backupRoot, BLOCK_CHANGED | BLOCK_PINNED, TRUE);
            result = SwapCheckpointLevel(slot, mainRoot, backupRoot, keepRedo, TRUE);
            // The roots may have moved: unpin them where they are now.
            for (int key : {KEY_MAIN_ROOT, KEY_BACKUP_ROOT}) {
                HGLOBAL root;
                if (TakeTopPage(slot, key, &root) == 0) {
                    SetBlockPinned(root, FALSE);
                }
            }
        }
    }
    MarkDescriptorChanged(slot);
    if (result || !keepRedo) {
        int discarded = DiscardStoreCheckpoint(slot);
        if (!result) result = discarded;
    } else {
        SetStoreFlag(slot, STORE_CHECKPOINT, TRUE);
    }
    if (StoreHasFlag(slot, STORE_WRITE_THROUGH)) {
        int flushed = FlushStore(slot, FALSE);
        if (!result) result = flushed;
    }
    return result;
}

int SwapCheckpointLevel(int slot, HGLOBAL mainPage, HGLOBAL backupPage, BOOL keepRedo, BOOL rootLevel)
{
    // The two pages are found again by their keys after every change, since they may move.
    int type = 0;
    if (!rootLevel) {
        int ignored;
        if (int result = GetBlockIdentity(backupPage, &ignored, &type, &ignored)) {
            return result;
        }
    }
    PageRef mainRef, backupRef;
    const int mainRoot = rootLevel ? KEY_TOP : KEY_MAIN_ROOT;
    const int mainParent = rootLevel ? KEY_MAIN_ROOT : type;
    const int backupRoot = rootLevel ? KEY_TOP : KEY_BACKUP_ROOT;
    const int backupParent = rootLevel ? KEY_BACKUP_ROOT : type;
    const int mainChildParent = rootLevel ? KEY_MAIN_ROOT : type;
    const int backupChildParent = rootLevel ? KEY_BACKUP_ROOT : type;
    (void)mainPage;

    // Backwards, so that removing the current backup entry leaves those still to visit in place.
    for (int i = EntryCountOf(backupPage) - 1; i >= 0; --i) {
        if (int result = LocatePage(slot, mainRoot, mainParent, &mainRef)) return result;
        if (int result = LocatePage(slot, backupRoot, backupParent, &backupRef)) return result;
        HGLOBAL backupChild, mainChild;
        int key;
        bool found;
        if (int result = TakeChild(slot, backupRef.page, i, backupChildParent, &backupChild, &key)) return result;
        if (int result = FindChild(slot, mainRef.page, key, mainChildParent, &mainChild, &found)) return result;
        SwapCase c = {BlockHasFlag(backupChild, BLOCK_ABSENT), found};

        if (c.absent && !c.found) {
            // Added after the checkpoint and deleted again: nothing to undo.
            if (keepRedo) {
                if (int result = RemoveIndexEntry(slot, backupRoot, backupParent, key)) return result;
                GlobalFree(backupChild);
            }
        } else if (c.absent && c.found) {
            // Added after the checkpoint: undo removes it. With redo the backup keeps the
            // current child and the main page names the absent-marker, which then goes.
            HGLOBAL named = mainChild;
            if (keepRedo) {
                if (int result = ExchangeEntries(slot, mainRef, backupRef, key, rootLevel)) return result;
                named = backupChild;
            }
            // The type's records are gone from the count even when some space could not be
            // given back, so its entry goes too before an error stops the swap.
            int freed = rootLevel ? FreeTypeRecords(slot, named) : 0;
            if (int result = RemoveIndexEntry(slot, mainRoot, mainParent, key)) return result;
            GlobalFree(named);
            if (freed) return freed;
        } else if (!c.found) {
            // Existed at the checkpoint, deleted since: a placeholder in the main page takes
            // the journaled version's place, and the journal keeps an absent-marker for redo.
            HGLOBAL placeholder = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kIndexPageHeaderSize);
            if (!placeholder) return ErrOutOfMemory;
            if (int result = InsertIndexEntry(slot, mainRoot, mainParent, key, 0, &placeholder, 0)) {
                GlobalFree(placeholder);
                return result;
            }
            // Changed as well: with write-through the insertion has written the placeholder
            // already, and the flag must reach the file.
            SetBlockFlags(placeholder, BLOCK_ABSENT | BLOCK_CHANGED, TRUE);
            if (int result = LocatePage(slot, mainRoot, mainParent, &mainRef)) return result;
            if (int result = LocatePage(slot, backupRoot, backupParent, &backupRef)) return result;
            if (int result = ExchangeEntries(slot, mainRef, backupRef, key, rootLevel)) return result;
        } else if (rootLevel) {
            // The type existed and exists: swap its records.
            SetBlockFlags(mainChild, BLOCK_CHANGED | BLOCK_PINNED, TRUE);
            SetBlockFlags(backupChild, BLOCK_CHANGED | BLOCK_PINNED, TRUE);
            int result = SwapCheckpointLevel(slot, mainChild, backupChild, keepRedo, FALSE);
            PageRef done;
            if (LocatePage(slot, KEY_MAIN_ROOT, key, &done) == 0) SetBlockPinned(done.page, FALSE);
            if (LocatePage(slot, KEY_BACKUP_ROOT, key, &done) == 0) SetBlockPinned(done.page, FALSE);
            if (result) return result;
        } else {
            // A changed record: its journaled and current versions change places.
            if (int result = ExchangeEntries(slot, mainRef, backupRef, key, FALSE)) return result;
        }
    }
    return 0;
}

int SwapIndexEntries(int slot, StoreIndexEntry* mainEntry, StoreIndexEntry* backupEntry, BOOL retag)
{
    (void)slot;
    if (retag && (!mainEntry->cachedBlock || !backupEntry->cachedBlock)) {
        return StoreKeyMissing;
    }
    StoreIndexEntry held = *mainEntry;
    *mainEntry = *backupEntry;
    *backupEntry = held;
    if (retag) {
        // Each type page's header must name its new root.
        const struct {
            StoreIndexEntry* entry;
            std::int16_t root;
        } pages[2] = {{mainEntry, KEY_MAIN_ROOT}, {backupEntry, KEY_BACKUP_ROOT}};
        for (const auto& p : pages) {
            BlockLock lock(FieldToHandle(p.entry->cachedBlock));
            if (lock) {
                HeaderOf(lock.get())->parentKey = p.root;
                SetFlagBits16(HeaderFlags(HeaderOf(lock.get())), BLOCK_CHANGED, TRUE);
            }
        }
    }
    return 0;
}
