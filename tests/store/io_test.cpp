// The store's file input and output: write-through, the file grown ahead and cut back, changed
// blocks written in file order with neighbours joined, whole stores read at open, and a failure
// of each of the file calls on the way.
#include "store_fixture.h"

#include "store/store_internal.h"

namespace {

using IoTest = StoreTest;

// The index of a store as a list: every type and record of both trees, marked when it is an
// absent-marker. Every block is loaded on the way, so each must read back as its entry says.
using Index = std::vector<std::tuple<int, int, int, bool>>;  // root, type, id (-1 for the type), absent

Index IndexOf(int slot)
{
    Index all;
    for (int rootKey : {KEY_MAIN_ROOT, KEY_BACKUP_ROOT}) {
        HGLOBAL root = nullptr;
        EXPECT_EQ(TakeTopPage(slot, rootKey, &root), 0);
        std::vector<int> types;
        {
            BlockLock lock(root);
            for (int i = 0; i < PageEntryCount(root, lock.get()); ++i) {
                types.push_back(PageEntries(lock.get())[i].key);
            }
        }
        for (int type : types) {
            PageRef ref;
            EXPECT_EQ(LocatePage(slot, rootKey, type, &ref), 0);
            all.emplace_back(rootKey, type, -1, BlockHasFlag(ref.page, BLOCK_ABSENT));
            std::vector<int> ids;
            {
                BlockLock lock(ref.page);
                for (int i = 0; i < PageEntryCount(ref.page, lock.get()); ++i) {
                    ids.push_back(PageEntries(lock.get())[i].key);
                }
            }
            for (int id : ids) {
                HGLOBAL block = nullptr;
                EXPECT_EQ(LoadChildBlock(slot, ref.page, id, &block, nullptr), 0) << type << "/" << id;
                all.emplace_back(rootKey, type, id, block && BlockHasFlag(block, BLOCK_ABSENT));
                EXPECT_EQ(LocatePage(slot, rootKey, type, &ref), 0);
            }
        }
    }
    return all;
}

// Under write-through the file alone holds a consistent store after every operation, its index
// as the open store has it and every block it names readable. Content a caller writes into a
// record after the operation (a new record's, a resized one's) reaches the file at the next
// flush. An undo written through leaves in the file the absent-markers its redo needs.
TEST_F(IoTest, WriteThroughLeavesAConsistentFileAfterEveryOperation)
{
    int slot = NewStore();
    ASSERT_EQ(SetStoreWriteThrough(slot, TRUE), 0);
    auto look = [&](const char* after) {
        SCOPED_TRACE(after);
        EXPECT_EQ(FreePageHeader(slot).endMark, FileLength("store.vxs")) << "write-through extends exactly";
        CopyFile("store.vxs", "copy.vxs");
        int copy = -1, version = 0;
        ASSERT_EQ(OpenStoreFile(Path("copy.vxs").c_str(), &copy, 0, &version, FALSE), 0);
        EXPECT_EQ(CheckStore(copy), 0);
        EXPECT_EQ(IndexOf(copy), IndexOf(slot));
        EXPECT_EQ(CloseStore(copy), 0);
    };
    HGLOBAL block = nullptr;
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    look("adding a type");
    Put(slot, 1, 0, "zero, filled after it was added and written");
    Put(slot, 1, 2, "two, filled after it was added and never changed again");
    look("adding a record");
    block = GlobalAlloc(GMEM_MOVEABLE, kBlockHeaderSize + 5);
    std::memcpy(static_cast<BYTE*>(GlobalLock(block)) + kBlockHeaderSize, "given", 5);
    GlobalUnlock(block);
    ASSERT_EQ(AddRecordBlock(slot, 1, 1, block), 0);
    look("adopting a block");
    ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
    look("beginning a checkpoint");
    Put(slot, 1, 0, "zero, changed under the checkpoint");
    look("changing a record");
    Delete(slot, 1, 1);
    look("deleting a record");
    ASSERT_EQ(AddRecordType(slot, 2), 0);
    Put(slot, 2, 0, "two, added under the checkpoint");
    look("adding a type and a record under the checkpoint");
    ASSERT_EQ(LoadRecord(slot, 1, 0, &block), 0);
    ASSERT_EQ(ResizeRecord(&block, kBlockHeaderSize + 100), 0);
    std::memset(static_cast<BYTE*>(GlobalLock(block)) + kBlockHeaderSize, 'r', 100);
    GlobalUnlock(block);
    look("resizing a record");
    ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
    look("an undo");
    ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
    look("a redo");
    ASSERT_EQ(LoadRecord(slot, 2, 0, &block), 0);
    ASSERT_EQ(UnloadRecord(block), 0);
    GlobalFree(block);
    look("unloading a record");
    ASSERT_EQ(DiscardStoreCheckpoint(slot), 0);
    look("discarding the checkpoint");

    // Content changed in place reaches the file at the next flush.
    ASSERT_EQ(LoadRecord(slot, 2, 0, &block), 0);
    ASSERT_EQ(MarkBlockDirty(block), 0);
    std::memcpy(static_cast<BYTE*>(GlobalLock(block)) + kBlockHeaderSize, "TWO", 3);
    GlobalUnlock(block);
    ASSERT_EQ(FlushStore(slot, FALSE), 0);
    CopyFile("store.vxs", "copy.vxs");
    EXPECT_EQ(FullCheck("copy.vxs"), "");
    int copy = -1, version = 0;
    ASSERT_EQ(OpenStoreFile(Path("copy.vxs").c_str(), &copy, 0, &version, FALSE), 0);
    EXPECT_EQ(Contents(copy), Contents(slot));
    EXPECT_EQ(Get(copy, 1, 0), std::string(100, 'r'));
    EXPECT_EQ(CloseStore(copy), 0);

    // An undo of a deletion written through, then the file reopened: the redo deletes again.
    ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
    Delete(slot, 1, 0);
    ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
    CopyFile("store.vxs", "copy.vxs");
    EXPECT_EQ(FullCheck("copy.vxs"), "");
    ASSERT_EQ(OpenStoreFile(Path("copy.vxs").c_str(), &copy, 0, &version, FALSE), 0);
    ASSERT_EQ(SwapStoreCheckpoint(copy, TRUE), 0);
    EXPECT_EQ(Get(copy, 1, 0), ErrorText(StoreKeyMissing));
    ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
    EXPECT_EQ(Contents(copy), Contents(slot));
    EXPECT_EQ(CloseStore(copy), 0);
}

// The file grows ahead of the end mark in steps of at least 64 KB, so that its length is not
// set at every allocation, and loses what it was grown ahead at every flush and at closing.
// While it is longer the store still passes its check.
TEST_F(IoTest, FileGrowsAheadAndIsCutBackAtFlushAndClose)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    EXPECT_GE(FileLength("store.vxs"), 3648 + 64 * 1024);
    for (int id = 0; id < 300; ++id) {
        Put(slot, 1, id, std::string(300, static_cast<char>('a' + id % 26)));
    }
    EXPECT_GT(FileLength("store.vxs"), FreePageHeader(slot).endMark);
    EXPECT_EQ(CheckStore(slot), 0);
    ASSERT_EQ(FlushStore(slot, FALSE), 0);
    EXPECT_EQ(FileLength("store.vxs"), FreePageHeader(slot).endMark);
    EXPECT_EQ(FullCheck(), "");
    Put(slot, 1, 300, "one more");
    EXPECT_GT(FileLength("store.vxs"), FreePageHeader(slot).endMark);
    const Records before = Contents(slot);
    slot = Reopen(slot);
    EXPECT_EQ(FullCheck(), "");
    EXPECT_EQ(CheckStore(slot), 0);
    EXPECT_EQ(Contents(slot), before);
}

// Space at the end mark needs a longer file: when the system refuses, the allocation fails
// with its result and changes nothing.
TEST_F(IoTest, AllocationFailsWhenTheFileCannotGrow)
{
    for (int refusal : {int{StoreBadShiftOrLength}, int{ErrFilePosition}}) {
        SCOPED_TRACE(refusal);
        std::string name = "refused" + std::to_string(refusal);
        int slot = NewStore(name);
        ASSERT_EQ(AddRecordType(slot, 1), 0);
        Put(slot, 1, 0, "kept");
        ASSERT_EQ(FlushStore(slot, FALSE), 0);  // cut back: the next record needs a longer file
        const Records before = Contents(slot);
        const FreeState state = FreePageHeader(slot);
        {
            FileFaults faults;
            faults.FailSetSize(refusal);
            HGLOBAL block = nullptr;
            EXPECT_EQ(AddRecord(slot, 1, 1, 100, &block), refusal);
            EXPECT_EQ(AddRecordType(slot, 2), refusal);
        }
        EXPECT_EQ(FreePageHeader(slot).endMark, state.endMark);
        EXPECT_EQ(Contents(slot), before);
        EXPECT_EQ(CheckStore(slot), 0);
        ASSERT_EQ(CloseStore(slot), 0);
        EXPECT_EQ(FullCheck(name), "");
    }
}

// When the system refuses to cut the file (after compaction, or at a flush after growing
// ahead), the end mark moves to the file's end and the tail counts as lost bytes: the store
// passes its check, also after reopening, and a later compaction reclaims the tail.
TEST_F(IoTest, RefusedCutLeavesAConsistentStore)
{
    for (bool compact : {true, false}) {
        SCOPED_TRACE(compact ? "compaction" : "flush");
        std::string name = compact ? "compacted" : "flushed";
        int slot = NewStore(name);
        ASSERT_EQ(AddRecordType(slot, 1), 0);
        for (int id = 0; id < 3; ++id) {
            Put(slot, 1, id, std::string(84, static_cast<char>('a' + id)));
        }
        Delete(slot, 1, 1);
        const Records before = Contents(slot);
        {
            FileFaults faults;
            faults.FailSetSize(StoreBadShiftOrLength);
            if (compact) {
                ASSERT_EQ(CompactStore(slot), 0);
            } else {
                ASSERT_EQ(FlushStore(slot, FALSE), 0);
            }
            EXPECT_EQ(CheckStore(slot), 0);
            EXPECT_EQ(FreePageHeader(slot).endMark, FileLength(name));
            EXPECT_GT(FreePageHeader(slot).lostBytes, 0);
            ASSERT_EQ(CloseStore(slot), 0);
        }
        EXPECT_EQ(FullCheck(name), "");
        slot = Open(name);
        EXPECT_EQ(CheckStore(slot), 0);
        EXPECT_EQ(Contents(slot), before);
        ASSERT_EQ(CompactStore(slot), 0);
        EXPECT_EQ(FreePageHeader(slot).lostBytes, 0);
        EXPECT_EQ(FileLength(name), FreePageHeader(slot).endMark);
        ASSERT_EQ(CloseStore(slot), 0);
        EXPECT_EQ(FullCheck(name), "");
    }
}

// Changed blocks that follow each other in the file go out in one write. When that write fails,
// every block in it stays changed and the flush reports the failure; the next flush writes them.
TEST_F(IoTest, FailedJoinedWriteLeavesEveryBlockInItChanged)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    for (int id = 0; id < 40; ++id) {
        Put(slot, 1, id, std::string(100, 'o'));  // 116 bytes: two units each
    }
    ASSERT_EQ(FlushStore(slot, FALSE), 0);
    // Two records side by side, and one away from them.
    std::vector<std::pair<std::int32_t, int>> places;
    PageRef ref;
    ASSERT_EQ(LocatePage(slot, KEY_MAIN_ROOT, 1, &ref), 0);
    {
        BlockLock lock(ref.page);
        for (int i = 0; i < PageEntryCount(ref.page, lock.get()); ++i) {
            places.emplace_back(+PageEntries(lock.get())[i].offset, +PageEntries(lock.get())[i].key);
        }
    }
    std::sort(places.begin(), places.end());
    std::size_t pair = 0;
    while (pair + 1 < places.size() && places[pair + 1].first != places[pair].first + 128) {
        ++pair;
    }
    ASSERT_LT(pair + 1, places.size());
    std::vector<int> joined = {places[pair].second, places[pair + 1].second};
    int distant = places[pair + 3 < places.size() ? pair + 3 : 0].second;
    for (int id : {joined[0], joined[1], distant}) {
        Put(slot, 1, id, std::string(100, 'n'));  // same size: changed in place
    }
    auto changed = [&](int id) {
        HGLOBAL block = nullptr;
        EXPECT_EQ(LoadRecord(slot, 1, id, &block), 0);
        return BlockHasFlag(block, BLOCK_CHANGED);
    };
    {
        FileFaults faults;
        faults.FailWritesAt(places[pair + 1].first);
        EXPECT_EQ(FlushStore(slot, FALSE), ErrFileIO);
        EXPECT_EQ(faults.writes(), 2);  // the pair in one write, the distant record in another
    }
    EXPECT_TRUE(changed(joined[0]));
    EXPECT_TRUE(changed(joined[1]));
    EXPECT_FALSE(changed(distant));
    {
        // With release too, the blocks of a failed write stay loaded, and changed.
        FileFaults faults;
        faults.FailWritesAt(places[pair].first);
        EXPECT_EQ(FlushStore(slot, TRUE), ErrFileIO);
    }
    EXPECT_TRUE(changed(joined[0]));
    EXPECT_TRUE(changed(joined[1]));
    ASSERT_EQ(FlushStore(slot, FALSE), 0);
    EXPECT_FALSE(changed(joined[0]));
    slot = Reopen(slot);
    EXPECT_EQ(FullCheck(), "");
    for (int id : {joined[0], joined[1], distant}) {
        EXPECT_EQ(Get(slot, 1, id), std::string(100, 'n'));
    }
}

// A flush goes on past a failure and reports the most important one: the descriptor's, then
// the journal's, then the records', then the free-space page's.
TEST_F(IoTest, FlushReportsTheDescriptorThenTheJournalThenTheRecords)
{
    struct Case {
        const char* what;
        bool failDescriptor, failJournal;
        int expected;
    } cases[] = {
        {"a record too large for its memory", false, false, StoreMemoryTooSmall},
        {"and the descriptor not written", true, false, ErrFileIO},
        {"and the journal not written", false, true, ErrFileIO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int slot = NewStore(c.what);
        ASSERT_EQ(AddRecordType(slot, 1), 0);
        Put(slot, 1, 0, "bad");
        Put(slot, 1, 1, "journaled");
        ASSERT_EQ(FlushStore(slot, FALSE), 0);
        ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
        Put(slot, 1, 1, "journaled, changed");
        PageRef ref;
        ASSERT_EQ(LocatePage(slot, KEY_BACKUP_ROOT, 1, &ref), 0);
        std::int32_t journal = 0;
        {
            BlockLock lock(ref.page);
            journal = PageEntries(lock.get())[0].offset;
        }
        HGLOBAL block = nullptr;
        ASSERT_EQ(LoadRecord(slot, 1, 0, &block), 0);
        ASSERT_EQ(MarkBlockDirty(block), 0);
        static_cast<BlockHeader*>(GlobalLock(block))->size += 100;
        GlobalUnlock(block);
        {
            FileFaults faults;
            faults.FailWritesAt(c.failDescriptor ? 0 : c.failJournal ? journal : -1);
            EXPECT_EQ(FlushStore(slot, FALSE), c.expected);
        }
        static_cast<BlockHeader*>(GlobalLock(block))->size -= 100;
        GlobalUnlock(block);
        ASSERT_EQ(CloseStore(slot), 0);
        EXPECT_EQ(FullCheck(c.what), "");
    }
}

// Opening reads the index pages and the blocks in a few large reads; a block that does not
// pass its checks is left for the ordinary read to report and does not fail the open.
TEST_F(IoTest, OpeningReadsTheStoreWholeAndLeavesBadBlocksUnloaded)
{
    int slot = NewStore();
    for (int type : {1, 2}) {
        ASSERT_EQ(AddRecordType(slot, type), 0);
        for (int id = 0; id < 50; ++id) {
            Put(slot, type, id, std::string(static_cast<std::size_t>(20 + id * 7), static_cast<char>('a' + type)));
        }
    }
    std::string big(1536 * 1024, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i * 13 + i / 4096);
    }
    Put(slot, 2, 50, big);  // larger than one read: read on its own
    const Records before = Contents(slot);
    PageRef ref;
    ASSERT_EQ(LocatePage(slot, KEY_MAIN_ROOT, 1, &ref), 0);
    std::int32_t damaged = 0;
    {
        BlockLock lock(ref.page);
        damaged = PageEntries(lock.get())[7].offset;
    }
    ASSERT_EQ(CloseStore(slot), 0);
    Patch<std::int16_t>("store.vxs", damaged + 2, 9);  // record 1/7's parent key
    {
        FileFaults faults;
        int version = 0;
        ASSERT_EQ(OpenStoreFile(Path("store.vxs").c_str(), &slot, 0, &version, FALSE), 0);
        EXPECT_LT(faults.reads(), 100);  // not one or more per record
        faults.FailReads(true);
        Records loaded = Contents(slot);
        Records expected = before;
        for (auto& record : expected) {
            if (std::get<0>(record) == 1 && std::get<1>(record) == 7) {
                std::get<2>(record) = ErrorText(ErrFileIO);  // not loaded, and no read now
            }
        }
        EXPECT_EQ(loaded, expected);
    }
    EXPECT_EQ(Get(slot, 1, 7), ErrorText(StoreParentMismatch));
    EXPECT_EQ(Get(slot, 2, 50), big);
}

}  // namespace
