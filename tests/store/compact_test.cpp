// Compaction and the consistency check: what compaction reclaims, and each inconsistency the
// checks report.
#include "store_fixture.h"

#include "store/file_ops.h"
#include "store/store_internal.h"

namespace {

using CompactTest = StoreTest;

StoreIndexEntry EntryOf(int slot, int rootKey, int parentKey, int key)
{
    PageRef ref;
    EXPECT_EQ(LocatePage(slot, rootKey, parentKey, &ref), 0);
    BlockLock lock(ref.page);
    BOOL found;
    int at = FindIndexEntry(PageOf(lock.get()), key, &found);
    EXPECT_TRUE(found);
    return PageEntries(lock.get())[at];
}

TEST_F(CompactTest, FreshStoreStaysAsItIs)
{
    int slot = NewStore();
    StoreDescriptor before = *StoreImage(slot);
    ASSERT_EQ(CompactStore(slot), 0);
    EXPECT_EQ(FreePageHeader(slot).endMark, 3648);
    EXPECT_EQ(FileLength("store.vxs"), 3648);
    EXPECT_EQ(+StoreImage(slot)->mainRoot.offset, +before.mainRoot.offset);
    EXPECT_EQ(+StoreImage(slot)->backupRoot.offset, +before.backupRoot.offset);
    EXPECT_EQ(CheckStore(slot), 0);
}

TEST_F(CompactTest, FreedMiddleRecordIsReclaimedExactly)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    // At most three records, so that the type page keeps its size throughout.
    Put(slot, 1, 0, std::string(84, 'a'));  // 100 bytes: two units
    Put(slot, 1, 1, std::string(84, 'b'));
    Put(slot, 1, 2, "last");
    std::int32_t last = +EntryOf(slot, KEY_MAIN_ROOT, 1, 2).offset;
    std::int32_t first = +EntryOf(slot, KEY_MAIN_ROOT, 1, 0).offset;
    std::int64_t length = FreePageHeader(slot).endMark;
    Delete(slot, 1, 1);
    ASSERT_EQ(CompactStore(slot), 0);
    EXPECT_EQ(FileLength("store.vxs"), length - 128);
    EXPECT_EQ(+EntryOf(slot, KEY_MAIN_ROOT, 1, 0).offset, first);
    EXPECT_EQ(+EntryOf(slot, KEY_MAIN_ROOT, 1, 2).offset, last - 128);
    EXPECT_EQ(FreePageHeader(slot).lostBytes, 0);
    EXPECT_EQ(FreePageHeader(slot).count, 0);
    EXPECT_EQ(CheckStore(slot), 0);
    slot = Reopen(slot);
    EXPECT_EQ(Get(slot, 1, 0), std::string(84, 'a'));
    EXPECT_EQ(Get(slot, 1, 2), "last");
    EXPECT_EQ(CheckStore(slot), 0);
}

TEST_F(CompactTest, OverflowedListsPassTheCheckAndCompactToNothingLost)
{
    int slot = NewStore("small.vxs", 6, 2);
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    for (int id = 0; id < 12; ++id) {
        Put(slot, 1, id, std::string(static_cast<std::size_t>(20 + id * 30), static_cast<char>('a' + id)));
    }
    ASSERT_EQ(BeginStoreCheckpoint(slot), 0);  // the journal is compacted like everything else
    for (int id = 0; id < 12; id += 2) {
        Delete(slot, 1, id);
    }
    ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
    ASSERT_GT(FreePageHeader(slot).lostBytes, 0);
    EXPECT_EQ(CheckStore(slot), 0);
    Records before = Contents(slot);
    ASSERT_EQ(CompactStore(slot), 0);
    EXPECT_EQ(FreePageHeader(slot).lostBytes, 0);
    EXPECT_EQ(FileLength("small.vxs"), FreePageHeader(slot).endMark);
    EXPECT_EQ(CheckStore(slot), 0);
    slot = Reopen(slot, "small.vxs");
    EXPECT_EQ(Contents(slot), before);
}

TEST_F(CompactTest, FailureWhileMovingLeavesAConsistentStore)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    for (int id = 0; id < 3; ++id) {
        Put(slot, 1, id, std::string(84, static_cast<char>('a' + id)));
    }
    std::int32_t first = +EntryOf(slot, KEY_MAIN_ROOT, 1, 0).offset;
    std::int32_t third = +EntryOf(slot, KEY_MAIN_ROOT, 1, 2).offset;
    Delete(slot, 1, 0);
    ASSERT_EQ(CloseStore(slot), 0);
    Patch<std::int16_t>("store.vxs", third + 2, 9);  // record 2 no longer reads: its parent key
    int version;
    ASSERT_EQ(OpenStoreFile(Path("store.vxs").c_str(), &slot, 0, &version, FALSE), 0);
    // Record 1 moves into the freed space, then moving record 2 fails: the free list must
    // no longer offer the space record 1 now occupies.
    EXPECT_EQ(CompactStore(slot), StoreCompactionFailed);
    EXPECT_EQ(+EntryOf(slot, KEY_MAIN_ROOT, 1, 1).offset, first);
    EXPECT_EQ(FreePageHeader(slot).count, 0);
    EXPECT_EQ(CheckStore(slot), 0);
    EXPECT_EQ(Get(slot, 1, 1), std::string(84, 'b'));
    EXPECT_EQ(Get(slot, 1, 2), ErrorText(StoreParentMismatch));
    slot = Reopen(slot);
    EXPECT_EQ(CheckStore(slot), 0);
    EXPECT_EQ(Get(slot, 1, 1), std::string(84, 'b'));
}

TEST_F(CompactTest, NegativeIdsAreOrderErrors)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    Put(slot, 1, -5, "below zero");
    EXPECT_EQ(CheckStore(slot), StoreKeyOrder);
    EXPECT_EQ(CompactStore(slot), StoreKeyOrder);
}

TEST_F(CompactTest, CheckReportsCountsHolesAndLength)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    Put(slot, 1, 0, "x");
    ASSERT_EQ(FlushStore(slot, FALSE), 0);  // the file loses what it was grown ahead
    ASSERT_EQ(CheckStore(slot), 0);

    StoreImage(slot)->entryCount += 1;
    EXPECT_EQ(CheckStore(slot), StoreEntryCountMismatch);
    StoreImage(slot)->entryCount -= 1;

    HGLOBAL page;
    ASSERT_EQ(TakeTopPage(slot, KEY_FREE_SPACE, &page), 0);
    FreePageOf(static_cast<BYTE*>(GlobalLock(page)))->lostBytes += 64;
    EXPECT_EQ(CheckStore(slot), StoreLostBytesMismatch);
    FreePageOf(static_cast<BYTE*>(GlobalLock(page)))->lostBytes -= 64;
    GlobalUnlock(page);
    GlobalUnlock(page);

    HFILE file;
    ASSERT_EQ(GetStoreFileHandle(slot, &file), 0);
    LONG length;
    ASSERT_EQ(GetFileLength(file, &length), 0);
    ASSERT_EQ(SetFileSize(file, length + 1), 0);
    EXPECT_EQ(CheckStore(slot), 0);  // one byte more is accepted
    ASSERT_EQ(SetFileSize(file, length + 2), 0);
    EXPECT_EQ(CheckStore(slot), StoreFileLengthMismatch);
    ASSERT_EQ(SetFileSize(file, length), 0);
    EXPECT_EQ(CheckStore(slot), 0);
}

TEST_F(CompactTest, CheckComparesLoadedBlocksWithTheirEntries)
{
    struct Case {
        const char* field;
        std::size_t at;
        std::int32_t delta;
        int expected;
    } cases[] = {
        {"key", 0, 1, StoreEntryMissing},
        {"parent key", 2, 1, StoreParentMismatch},
        {"slot", 4, 1, StoreWrongSlot},
        {"offset", 6, 64, StoreOffsetMismatch},
        {"size", 10, 1, StoreSizeMismatch},
    };
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    Put(slot, 1, 0, "x");
    HGLOBAL block;
    ASSERT_EQ(LoadRecord(slot, 1, 0, &block), 0);
    for (const Case& c : cases) {
        BYTE* p = static_cast<BYTE*>(GlobalLock(block));
        std::int16_t small;
        std::int32_t wide;
        bool isWide = c.at >= 6;
        if (isWide) {
            std::memcpy(&wide, p + c.at, 4);
            wide += c.delta;
            std::memcpy(p + c.at, &wide, 4);
        } else {
            std::memcpy(&small, p + c.at, 2);
            small = static_cast<std::int16_t>(small + c.delta);
            std::memcpy(p + c.at, &small, 2);
        }
        EXPECT_EQ(CheckStore(slot), c.expected) << c.field;
        if (isWide) {
            wide -= c.delta;
            std::memcpy(p + c.at, &wide, 4);
        } else {
            small = static_cast<std::int16_t>(small - c.delta);
            std::memcpy(p + c.at, &small, 2);
        }
        GlobalUnlock(block);
    }
    EXPECT_EQ(CheckStore(slot), 0);
}

TEST_F(CompactTest, FreeListCheckFindsEachDisorder)
{
    struct Case {
        const char* what;
        std::vector<FreeExtent> bySize, byOffset;
        int expected;
    } cases[] = {
        {"consistent", {{2048, 64}, {1024, 128}}, {{1024, 128}, {2048, 64}}, 0},
        {"missing from the offset list", {{1024, 64}}, {{1088, 64}}, StoreFreeListsDisagree},
        {"sizes disagree", {{1024, 64}}, {{1024, 128}}, StoreSizeMismatch},
        {"listed twice", {{1024, 64}, {1024, 64}}, {{1024, 64}, {2048, 64}}, StoreDuplicateOffset},
        {"size list out of order", {{1024, 128}, {2048, 64}}, {{1024, 128}, {2048, 64}}, StoreSizeListOrder},
        {"offset list out of order", {{1024, 64}, {2048, 64}}, {{2048, 64}, {1024, 64}}, StoreOffsetListOrder},
    };
    int slot = NewStore();
    HGLOBAL page;
    ASSERT_EQ(TakeTopPage(slot, KEY_FREE_SPACE, &page), 0);
    for (const Case& c : cases) {
        {
            BlockLock lock(page);
            FreePageOf(lock.get())->count = static_cast<std::int16_t>(c.bySize.size());
            std::copy(c.bySize.begin(), c.bySize.end(), SizeList(lock.get()));
            std::copy(c.byOffset.begin(), c.byOffset.end(), OffsetList(lock.get()));
        }
        EXPECT_EQ(CheckFreeSpacePage(slot), c.expected) << c.what;
    }
    BlockLock lock(page);
    FreePageOf(lock.get())->count = 0;
}

}  // namespace
