// Checkpoints: the journal's cases one by one, refused insertions that must not journal, swaps
// that must not half-happen, and a long random run against a model of the store.
#include "store_fixture.h"

#include <map>
#include <random>

#include "store/store_internal.h"

namespace {

using CheckpointTest = StoreTest;

int JournalCount(int slot)
{
    HGLOBAL root = nullptr;
    EXPECT_EQ(TakeTopPage(slot, KEY_BACKUP_ROOT, &root), 0);
    BlockLock lock(root);
    int count = PageEntryCount(root, lock.get());
    int total = count;
    for (int i = 0; i < count; ++i) {
        int type = PageEntries(lock.get())[i].key;
        PageRef ref;
        EXPECT_EQ(LocatePage(slot, KEY_BACKUP_ROOT, type, &ref), 0);
        BlockLock typeLock(ref.page);
        total += PageEntryCount(ref.page, typeLock.get());
    }
    return total;
}

TEST_F(CheckpointTest, JournalCases)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    Put(slot, 1, 0, "zero");
    Put(slot, 1, 1, "one");
    const Records start = Contents(slot);

    {
        SCOPED_TRACE("a record changed twice comes back as before the first change");
        ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
        Put(slot, 1, 0, "zero, changed once");
        Put(slot, 1, 0, "zero, changed twice and longer than before");
        const Records after = Contents(slot);
        ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
        EXPECT_EQ(Contents(slot), start);
        ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
        EXPECT_EQ(Contents(slot), after);
        ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
        EXPECT_EQ(CheckStore(slot), 0);
    }
    {
        SCOPED_TRACE("an added record goes and comes back");
        ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
        Put(slot, 1, 5, "five");
        const Records after = Contents(slot);
        ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
        EXPECT_EQ(Contents(slot), start);
        ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
        EXPECT_EQ(Contents(slot), after);
        ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
    }
    {
        SCOPED_TRACE("a deleted record comes back with its content and id");
        ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
        Delete(slot, 1, 1);
        ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
        EXPECT_EQ(Get(slot, 1, 1), "one");
        ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
        EXPECT_EQ(Get(slot, 1, 1), ErrorText(StoreKeyMissing));
        ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
        EXPECT_EQ(Contents(slot), start);
    }
    {
        SCOPED_TRACE("an added type goes with its records and comes back");
        ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
        ASSERT_EQ(AddRecordType(slot, 200), 0);
        Put(slot, 200, 0, "table");
        Put(slot, 200, 1, "info");
        const Records after = Contents(slot);
        ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
        EXPECT_EQ(Contents(slot), start);
        ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
        EXPECT_EQ(Contents(slot), after);
        ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
        EXPECT_EQ(Contents(slot), start);
    }
    {
        SCOPED_TRACE("a record added and deleted again leaves no trace");
        ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
        Put(slot, 1, 9, "brief");
        Delete(slot, 1, 9);
        ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
        EXPECT_EQ(Contents(slot), start);
        EXPECT_EQ(JournalCount(slot), 1);  // the type page of the journal, nothing under it
    }
    {
        SCOPED_TRACE("rolling back a failed edit closes the checkpoint");
        ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
        Put(slot, 1, 0, "half done");
        Put(slot, 1, 3, "half added");
        ASSERT_EQ(SwapStoreCheckpoint(slot, FALSE), 0);
        EXPECT_EQ(Contents(slot), start);
        EXPECT_EQ(SwapStoreCheckpoint(slot, TRUE), StoreNoCheckpoint);
        EXPECT_EQ(JournalCount(slot), 0);
    }
    {
        SCOPED_TRACE("the journal survives closing and reopening");
        ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
        Put(slot, 1, 0, "changed before closing");
        slot = Reopen(slot);
        EXPECT_EQ(Get(slot, 1, 0), "changed before closing");
        ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
        EXPECT_EQ(Contents(slot), start);
    }
    {
        SCOPED_TRACE("a new checkpoint discards the old journal and its space");
        ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
        std::int64_t end = FreePageHeader(slot).endMark;
        Put(slot, 1, 0, "journaled");
        ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
        ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
        EXPECT_EQ(JournalCount(slot), 0);
        EXPECT_EQ(+StoreImage(slot)->backupRoot.size, 18);
        EXPECT_EQ(+StoreImage(slot)->entryCount, 3);  // one type page and two records
        EXPECT_LE(FreePageHeader(slot).endMark, end + 128);
        EXPECT_EQ(CheckStore(slot), 0);
    }
}

TEST_F(CheckpointTest, RefusedInsertionsJournalNothing)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    Put(slot, 1, 0, "lives on");
    ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
    HGLOBAL block = nullptr;
    EXPECT_EQ(AddRecord(slot, 1, 0, 40, &block), StoreKeyExists);
    HGLOBAL mine = GlobalAlloc(GMEM_MOVEABLE, 40);
    EXPECT_EQ(AddRecordBlock(slot, 1, 0, mine), StoreKeyExists);
    GlobalFree(mine);
    EXPECT_EQ(AddRecord(slot, 2, 0, 40, &block), StoreKeyMissing);
    EXPECT_EQ(AddRecordType(slot, 1), StoreKeyExists);
    EXPECT_EQ(AddRecord(slot, 1, 1, 8, &block), StoreBlockTooSmall);
    EXPECT_EQ(JournalCount(slot), 0);
    // An undo now must not remove what existed at the checkpoint.
    ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
    EXPECT_EQ(Get(slot, 1, 0), "lives on");
    EXPECT_EQ(CheckStore(slot), 0);
}

TEST_F(CheckpointTest, SwapThatCannotLoadItsJournalChangesNothing)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    Put(slot, 1, 0, "a, before");
    Put(slot, 1, 1, "b, before");
    ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
    Put(slot, 1, 0, "a, after");
    Put(slot, 1, 1, "b, after");
    // Where the journal copy of record 0 lies in the file.
    PageRef ref;
    ASSERT_EQ(LocatePage(slot, KEY_BACKUP_ROOT, 1, &ref), 0);
    std::int32_t journalAt;
    {
        BlockLock lock(ref.page);
        journalAt = PageEntries(lock.get())[0].offset;
    }
    ASSERT_EQ(CloseStore(slot), 0);
    Patch<std::int16_t>("store.vxs", journalAt + 2, 77);  // its parent key
    int version;
    ASSERT_EQ(OpenStoreFile(Path("store.vxs").c_str(), &slot, 0, &version, FALSE), 0);
    // Record 1 is visited first; without the check before exchanging it would be undone alone.
    EXPECT_EQ(SwapStoreCheckpoint(slot, TRUE), StoreParentMismatch);
    EXPECT_EQ(Get(slot, 1, 0), "a, after");
    EXPECT_EQ(Get(slot, 1, 1), "b, after");
}

TEST_F(CheckpointTest, SwapWithoutIndexRoomChangesNothing)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    HGLOBAL block;
    for (int id = 1; id <= 4500; ++id) {
        ASSERT_EQ(AddRecord(slot, 1, id, kBlockHeaderSize, &block), 0);
    }
    ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
    Put(slot, 1, 4500, "changed");  // exchanged first by a swap
    Delete(slot, 1, 4499);                   // put back second: needs a place
    Put(slot, 1, 0, "added");                // removed last: the page is full until then
    EXPECT_EQ(SwapStoreCheckpoint(slot, TRUE), StorePageFull);
    EXPECT_EQ(Get(slot, 1, 4500), "changed");
    EXPECT_EQ(Get(slot, 1, 0), "added");
    EXPECT_EQ(Get(slot, 1, 4499), ErrorText(StoreKeyMissing));
    EXPECT_EQ(CheckStore(slot), 0);
}

TEST_F(CheckpointTest, SwapWithRedoCountsTheRecordsItKeeps)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    Put(slot, 1, 0, "zero");
    Put(slot, 1, 1, "one");
    ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
    Delete(slot, 1, 0);  // two records to put back: each needs an entry
    Delete(slot, 1, 1);
    ASSERT_EQ(AddRecordType(slot, 9), 0);  // undone first; with redo its records stay counted
    for (int id = 0; id < 3; ++id) {
        Put(slot, 9, id, "added");
    }
    const Records before = Contents(slot);
    // Not one entry to spare: undoing type 9 gives back one, the two records need two.
    StoreImage(slot)->entryCapacity = StoreImage(slot)->entryCount;
    EXPECT_EQ(SwapStoreCheckpoint(slot, TRUE), StoreNoRoom);
    EXPECT_EQ(Contents(slot), before);
    EXPECT_EQ(CheckStore(slot), 0);
}

// Journal space that is already listed free, as in a damaged file: freeing the journal, or
// rolling back a type added since the checkpoint, goes on past the error and leaves a store
// whose pages and entry count agree. The swap stops at the error: type 1 stays changed.
TEST_F(CheckpointTest, FreeingThatMeetsAnErrorGoesOnAndCloses)
{
    const Records changed = {{1, -1, ""}, {1, 0, "after"}, {1, 1, "after"}};
    Records withAdded = changed;
    withAdded.insert(withAdded.end(), {{2, -1, ""}, {2, 0, "added"}, {2, 1, "added"}});
    struct Case {
        const char* what;
        int root, type;  // whose first record's space is listed free beforehand
        Records after;
    } cases[] = {
        {"discarding the journal", KEY_BACKUP_ROOT, 1, withAdded},
        {"rolling back an added type", KEY_MAIN_ROOT, 2, changed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int slot = NewStore(c.what);
        ASSERT_EQ(AddRecordType(slot, 1), 0);
        Put(slot, 1, 0, "before");
        Put(slot, 1, 1, "before");
        ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
        Put(slot, 1, 0, "after");
        Put(slot, 1, 1, "after");
        ASSERT_EQ(AddRecordType(slot, 2), 0);
        Put(slot, 2, 0, "added");
        Put(slot, 2, 1, "added");
        PageRef ref;
        ASSERT_EQ(LocatePage(slot, c.root, c.type, &ref), 0);
        StoreIndexEntry first;
        {
            BlockLock lock(ref.page);
            first = PageEntries(lock.get())[0];
        }
        ASSERT_EQ(FreeSpace(slot, first.offset, static_cast<DWORD>(first.size)), 0);
        if (c.root == KEY_BACKUP_ROOT) {
            EXPECT_EQ(DiscardStoreCheckpoint(slot), StoreAlreadyFree);
        } else {
            EXPECT_EQ(SwapStoreCheckpoint(slot, FALSE), StoreAlreadyFree);
        }
        EXPECT_EQ(SwapStoreCheckpoint(slot, TRUE), StoreNoCheckpoint);
        EXPECT_EQ(CheckStore(slot), 0);
        slot = Reopen(slot, c.what);
        EXPECT_EQ(CheckStore(slot), 0);
        EXPECT_EQ(Contents(slot), c.after);
    }
}

// A long random run: edits under checkpoints, undo and redo, roll-backs, discards, flushes,
// compaction, closing and reopening. The store must be consistent after every step, its file
// wholly so after every flush, and its contents always those of a plain model.
TEST_F(CheckpointTest, RandomRunKeepsTheStoreConsistentAndExact)
{
    using Model = std::map<int, std::map<int, std::string>>;
    std::mt19937 rng(20240611);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    auto text = [&]() {
        std::string s(static_cast<std::size_t>(pick(300)), ' ');
        for (char& ch : s) ch = static_cast<char>('a' + pick(26));
        return s;
    };
    auto records = [](const Model& m) {
        Records all;
        for (const auto& [type, ids] : m) {
            all.emplace_back(type, -1, "");
            for (const auto& [id, payload] : ids) all.emplace_back(type, id, payload);
        }
        return all;
    };

    int slot = NewStore();
    Model model, snapshot;
    bool open = false;      // a checkpoint is open
    bool swapped = false;   // and has been swapped since it began: the next edit begins anew

    for (int step = 0; step < 1500; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        int op = pick(100);
        if (op < 55) {
            if ((open && swapped) || pick(4) == 0) {
                ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
                snapshot = model;
                open = true;
                swapped = false;
            }
            int kind = pick(10);
            int type = model.empty() ? 0 : std::next(model.begin(), pick(static_cast<int>(model.size())))->first;
            if (model.empty() || kind == 0) {
                int newType = pick(12);
                if (!model.count(newType)) {
                    ASSERT_EQ(AddRecordType(slot, newType), 0);
                    model[newType];
                }
            } else if (kind <= 4 || model[type].empty()) {
                int id = pick(30);
                if (kind == 1) {
                    ASSERT_EQ(NextFreeRecordId(slot, type, &id), 0);
                }
                if (!model[type].count(id)) {
                    std::string payload = text();
                    if (kind == 2) {
                        HGLOBAL mine = GlobalAlloc(GMEM_MOVEABLE, kBlockHeaderSize + payload.size());
                        std::memcpy(static_cast<BYTE*>(GlobalLock(mine)) + kBlockHeaderSize, payload.data(), payload.size());
                        GlobalUnlock(mine);
                        ASSERT_EQ(AddRecordBlock(slot, type, id, mine), 0);
                    } else {
                        Put(slot, type, id, payload);
                    }
                    model[type][id] = payload;
                }
            } else {
                auto& ids = model[type];
                int id = std::next(ids.begin(), pick(static_cast<int>(ids.size())))->first;
                if (kind <= 7) {
                    std::string payload = text();
                    Put(slot, type, id, payload);
                    ids[id] = payload;
                } else {
                    Delete(slot, type, id);
                    ids.erase(id);
                }
            }
        } else if (op < 75) {
            if (open) {
                ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
                std::swap(model, snapshot);
                swapped = true;
            } else {
                ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), StoreNoCheckpoint);
            }
        } else if (op < 80) {
            if (open) {
                ASSERT_EQ(SwapStoreCheckpoint(slot, FALSE), 0);
                model = snapshot;
                open = false;
            }
        } else if (op < 83) {
            ASSERT_EQ(DiscardStoreCheckpoint(slot), 0);
            open = false;
        } else if (op < 90) {
            slot = Reopen(slot);
            ASSERT_EQ(FullCheck(), "");  // every block of both trees, loaded or not
        } else if (op < 95) {
            ASSERT_EQ(FlushStore(slot, pick(2)), 0);
            ASSERT_EQ(FullCheck(), "");
        } else {
            ASSERT_EQ(CompactStore(slot), 0);
            ASSERT_EQ(FreePageHeader(slot).lostBytes, 0);
            ASSERT_EQ(FreePageHeader(slot).count, 0);
        }
        ASSERT_EQ(CheckStore(slot), 0);
        ASSERT_EQ(Contents(slot), records(model));
    }
}

}  // namespace
