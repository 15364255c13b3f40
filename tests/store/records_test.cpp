// Records: sizes, loading and caching, adding, deleting, resizing, unloading, enumeration,
// free ids, and the block helpers.
#include "store_fixture.h"

#include "store/store_internal.h"

namespace {

using RecordTest = StoreTest;

TEST_F(RecordTest, RecordSizesFromHeaderOnlyToTheLimit)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    HGLOBAL block = nullptr;
    std::int64_t endBefore = FreePageHeader(slot).endMark;
    ASSERT_EQ(AddRecord(slot, 1, 0, kBlockHeaderSize, &block), 0);  // header only: one unit
    EXPECT_EQ(FreePageHeader(slot).endMark, endBefore + 64);
    EXPECT_EQ(AddRecord(slot, 1, 1, 15, &block), StoreBlockTooSmall);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(AddRecord(slot, 1, 1, 0x90000000u, &block), StoreSizeTooLarge);
    HGLOBAL tiny = GlobalAlloc(GMEM_MOVEABLE, 10);
    EXPECT_EQ(AddRecordBlock(slot, 1, 1, tiny), StoreBlockTooSmall);
    GlobalFree(tiny);
    int count = -1;
    EXPECT_EQ(CountRecords(slot, 1, &count), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(CheckStore(slot), 0);
}

TEST_F(RecordTest, RefusedInsertionsChangeNothing)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 4), 0);
    Put(slot, 4, 7, "first");
    ASSERT_EQ(FlushStore(slot, FALSE), 0);
    std::vector<std::uint8_t> before = FileBytes("store.vxs");
    HGLOBAL block = nullptr;
    EXPECT_EQ(AddRecord(slot, 4, 7, 40, &block), StoreKeyExists);
    EXPECT_EQ(AddRecord(slot, 5, 0, 40, &block), StoreKeyMissing);
    EXPECT_EQ(AddRecord(slot, 4, 40000, 40, &block), StoreKeyMissing);
    EXPECT_EQ(AddRecordType(slot, 4), StoreKeyExists);
    EXPECT_EQ(AddRecordType(slot, -1), StoreNegativeType);
    HGLOBAL mine = GlobalAlloc(GMEM_MOVEABLE, 30);
    EXPECT_EQ(AddRecordBlock(slot, 4, 7, mine), StoreKeyExists);
    EXPECT_EQ(GlobalSize(mine), 30u);  // still the caller's
    GlobalFree(mine);
    ASSERT_EQ(FlushStore(slot, FALSE), 0);
    EXPECT_EQ(FileBytes("store.vxs"), before);
    EXPECT_EQ(Get(slot, 4, 7), "first");
}

TEST_F(RecordTest, EntryCapacityAndFullPagesRefuse)
{
    int slot = NewStore();
    ASSERT_EQ(CloseStore(slot), 0);
    Patch<std::int16_t>("store.vxs", 18, 2);  // entry capacity 2
    int version;
    ASSERT_EQ(OpenStoreFile(Path("store.vxs").c_str(), &slot, 0, &version, FALSE), 0);
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    HGLOBAL block;
    ASSERT_EQ(AddRecord(slot, 1, 0, kBlockHeaderSize, &block), 0);
    EXPECT_EQ(AddRecord(slot, 1, 1, kBlockHeaderSize, &block), StoreNoRoom);
    EXPECT_EQ(AddRecordType(slot, 2), StoreNoRoom);
    EXPECT_EQ(CloseStore(slot), 0);

    slot = NewStore("full.vxs");
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    for (int id = 0; id < 4500; ++id) {
        ASSERT_EQ(AddRecord(slot, 1, id, kBlockHeaderSize, &block), 0) << id;
    }
    EXPECT_EQ(AddRecord(slot, 1, 4500, kBlockHeaderSize, &block), StorePageFull);
    int next = 0;
    EXPECT_EQ(NextFreeRecordId(slot, 1, &next), 0);
    EXPECT_EQ(next, 4500);
    EXPECT_EQ(CheckStore(slot), 0);
}

TEST_F(RecordTest, LoadedBlocksStayCachedUntilReleased)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    Put(slot, 1, 3, "cached");
    HGLOBAL first = nullptr, second = nullptr;
    ASSERT_EQ(LoadRecord(slot, 1, 3, &first), 0);
    ASSERT_EQ(LoadRecord(slot, 1, 3, &second), 0);
    EXPECT_EQ(first, second);
    HGLOBAL held = first;
    EXPECT_EQ(ReloadRecord(slot, 1, 3, &held), 0);
    EXPECT_EQ(held, first);

    ASSERT_EQ(FlushStore(slot, TRUE), 0);
    HGLOBAL fresh = nullptr;
    ASSERT_EQ(LoadRecord(slot, 1, 3, &fresh), 0);
    EXPECT_EQ(PayloadOf(fresh), "cached");
    held = first;  // freed by the release: not live any more
    EXPECT_EQ(ReloadRecord(slot, 1, 3, &held), 0);
    EXPECT_EQ(held, fresh);
    EXPECT_EQ(LoadRecord(slot, 1, 4, &held), StoreKeyMissing);
    EXPECT_EQ(held, nullptr);
}

TEST_F(RecordTest, DeletedRecordsAndUnloadedBlocksBecomeTheCallers)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    Put(slot, 1, 0, "gone");
    Put(slot, 1, 1, "unloaded");
    HGLOBAL block = nullptr;
    ASSERT_EQ(LoadRecord(slot, 1, 0, &block), 0);
    ASSERT_EQ(DeleteRecord(block), 0);
    EXPECT_EQ(PayloadOf(block), "gone");
    EXPECT_EQ(Get(slot, 1, 0), ErrorText(StoreKeyMissing));
    EXPECT_EQ(DeleteRecord(block), StoreEntryMissing);
    EXPECT_EQ(DeleteRecordById(slot, 9, 0), StoreKeyMissing);
    GlobalFree(block);

    HGLOBAL unloaded = nullptr;
    ASSERT_EQ(LoadRecord(slot, 1, 1, &unloaded), 0);
    ASSERT_EQ(UnloadRecord(unloaded), 0);
    HGLOBAL again = nullptr;
    ASSERT_EQ(LoadRecord(slot, 1, 1, &again), 0);
    EXPECT_NE(again, unloaded);
    EXPECT_EQ(PayloadOf(again), "unloaded");
    GlobalFree(unloaded);
    EXPECT_EQ(CheckStore(slot), 0);
}

TEST_F(RecordTest, ResizingMovesOnlyAcrossUnitBoundaries)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    Put(slot, 1, 0, std::string(100 - kBlockHeaderSize, 'a'));
    Put(slot, 1, 1, "neighbour");
    HGLOBAL block = nullptr;
    ASSERT_EQ(LoadRecord(slot, 1, 0, &block), 0);
    LONG offset = 0, size = 0;
    ASSERT_EQ(ReadBlockHeader(block, nullptr, nullptr, nullptr, &offset, &size, nullptr), 0);
    FreeState before = FreePageHeader(slot);

    ASSERT_EQ(ResizeRecord(&block, 100), 0);  // its own size: only marked changed
    ASSERT_EQ(ResizeRecord(&block, 120), 0);  // still two units of 64
    LONG now = 0;
    ASSERT_EQ(ReadBlockHeader(block, nullptr, nullptr, nullptr, &now, &size, nullptr), 0);
    EXPECT_EQ(now, offset);
    EXPECT_EQ(size, 120);
    EXPECT_EQ(FreePageHeader(slot).endMark, before.endMark);
    EXPECT_EQ(FreePageHeader(slot).count, before.count);

    // Across the boundary it moves, and keeps the caller's locks and its content.
    BYTE* p = static_cast<BYTE*>(GlobalLock(block));
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(ResizeRecord(&block, 130), 0);
    EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 1u);
    GlobalUnlock(block);
    ASSERT_EQ(ReadBlockHeader(block, nullptr, nullptr, nullptr, &now, &size, nullptr), 0);
    EXPECT_NE(now, offset);
    EXPECT_EQ(size, 130);
    EXPECT_EQ(SizeListOf(slot), (Extents{{offset, 128}}));
    EXPECT_EQ(PayloadOf(block).substr(0, 84), std::string(84, 'a'));
    EXPECT_EQ(CheckStore(slot), 0);
    slot = Reopen(slot);
    EXPECT_EQ(Get(slot, 1, 0).substr(0, 84), std::string(84, 'a'));
    EXPECT_EQ(Get(slot, 1, 1), "neighbour");
}

TEST_F(RecordTest, EnumerationIsAscendingAndBounded)
{
    int slot = NewStore();
    for (int type : {120, 100, 110}) {
        ASSERT_EQ(AddRecordType(slot, type), 0);
    }
    for (int id : {9, 2, 5}) {
        Put(slot, 110, id, "x");
    }
    int count = 0, value = 0;
    ASSERT_EQ(CountRecordTypes(slot, &count), 0);
    ASSERT_EQ(count, 3);
    std::vector<int> types, ids;
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(GetRecordTypeAt(slot, i, &value), 0);
        types.push_back(value);
        ASSERT_EQ(GetRecordIdAt(slot, 110, i, &value), 0);
        ids.push_back(value);
    }
    EXPECT_EQ(types, (std::vector<int>{100, 110, 120}));
    EXPECT_EQ(ids, (std::vector<int>{2, 5, 9}));
    EXPECT_EQ(GetRecordTypeAt(slot, -1, &value), StoreIndexOutOfRange);
    EXPECT_EQ(GetRecordTypeAt(slot, 3, &value), StoreIndexOutOfRange);
    EXPECT_EQ(GetRecordIdAt(slot, 110, 3, &value), StoreIndexOutOfRange);
    EXPECT_EQ(CountRecords(slot, 111, &count), StoreKeyMissing);
}

TEST_F(RecordTest, NextFreeIds)
{
    struct Case {
        std::vector<int> ids;
        int expected;
    } cases[] = {
        {{}, 0},
        {{0, 1, 5}, 6},
        {{0, 1, 32766}, 32767},
        {{0, 1, 3, 32767}, 2},
        {{1, 2, 32767}, 0},
    };
    int slot = NewStore();
    int type = 0;
    for (const Case& c : cases) {
        ASSERT_EQ(AddRecordType(slot, ++type), 0);
        HGLOBAL block;
        for (int id : c.ids) {
            ASSERT_EQ(AddRecord(slot, type, id, kBlockHeaderSize, &block), 0);
        }
        int next = -1;
        EXPECT_EQ(NextFreeRecordId(slot, type, &next), 0);
        EXPECT_EQ(next, c.expected) << "case " << type;
    }

    struct RunCase {
        std::vector<int> ids;
        int count;
        int result;
        int expected;
    } runs[] = {
        {{}, 4, 0, 0},
        {{0, 1, 2}, 4, 0, 3},
        {{0, 1, 32767}, 3, 0, 2},
        {{0, 3, 8, 32765}, 4, 0, 4},     // the gap 1-2 is too short
        {{0, 32767}, 32767, StoreNoRoom, 0},
        {{0, 2, 4, 32767}, 2, 0, 5},
        // A picture without data takes a run of no ids.
        {{}, 0, 0, 0},
        {{5}, 0, 0, 6},
        {{0, 32767}, 0, 0, 0},
    };
    for (const RunCase& r : runs) {
        ASSERT_EQ(AddRecordType(slot, ++type), 0);
        HGLOBAL block;
        for (int id : r.ids) {
            ASSERT_EQ(AddRecord(slot, type, id, kBlockHeaderSize, &block), 0);
        }
        int first = -1;
        EXPECT_EQ(NextFreeRecordIdRun(slot, type, r.count, &first), r.result) << "run case " << type;
        if (r.result == 0) {
            EXPECT_EQ(first, r.expected) << "run case " << type;
        }
    }
    int next;
    EXPECT_EQ(NextFreeRecordId(slot, 999, &next), StoreKeyMissing);
}

TEST_F(RecordTest, BlockHelpersCheckTheirBlocks)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    Put(slot, 1, 0, "abcdef");
    HGLOBAL block = nullptr;
    ASSERT_EQ(LoadRecord(slot, 1, 0, &block), 0);

    int s, type, id, flags;
    LONG offset, size;
    ASSERT_EQ(ReadBlockHeader(block, &s, &type, &id, &offset, &size, &flags), 0);
    EXPECT_EQ(s, slot);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(id, 0);
    EXPECT_EQ(size, 22);
    HGLOBAL discarded = GlobalAlloc(GMEM_MOVEABLE, 0);
    HGLOBAL tiny = GlobalAlloc(GMEM_MOVEABLE, 8);
    EXPECT_EQ(ReadBlockHeader(discarded, &s, &type, &id, &offset, &size, &flags), ErrOutOfMemory);
    EXPECT_EQ(ReadBlockHeader(tiny, &s, &type, &id, &offset, &size, &flags), StoreBlockTooSmall);
    EXPECT_EQ(MarkBlockDirty(tiny), StoreBlockTooSmall);
    EXPECT_EQ(GetBlockSize(nullptr), 0);
    EXPECT_EQ(GetBlockSize(block), 22);

    SetBlockPinned(block, TRUE);
    EXPECT_TRUE(IsBlockPinned(block));
    SetBlockPinned(block, FALSE);
    EXPECT_FALSE(IsBlockPinned(block));

    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 22);
    EXPECT_EQ(CopyBlockPayload(block, copy, kBlockHeaderSize), 0);  // nothing to copy
    EXPECT_EQ(std::string(static_cast<char*>(GlobalLock(copy)) + kBlockHeaderSize, 6), std::string(6, '\0'));
    GlobalUnlock(copy);
    EXPECT_EQ(CopyBlockPayload(block, copy, 22), 0);
    EXPECT_EQ(std::string(static_cast<char*>(GlobalLock(copy)) + kBlockHeaderSize, 6), "abcdef");
    GlobalUnlock(copy);
    EXPECT_EQ(CopyBlockPayload(block, copy, 23), StoreMemoryTooSmall);

    HGLOBAL plain = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 6);
    EXPECT_EQ(CopyBlockToMemory(block, plain), 0);
    EXPECT_EQ(std::string(static_cast<char*>(GlobalLock(plain)), 6), "abcdef");
    std::memcpy(GlobalLock(plain), "UVWXYZ", 6);
    GlobalUnlock(plain);
    GlobalUnlock(plain);
    EXPECT_EQ(CopyBytesToBlock(plain, block, 2), 0);
    EXPECT_EQ(PayloadOf(block), "UVcdef");
    EXPECT_EQ(CopyMemoryToBlock(plain, block), 0);
    EXPECT_EQ(PayloadOf(block), "UVWXYZ");
    EXPECT_EQ(CopyBytesToBlock(plain, block, 7), StoreMemoryTooSmall);
    EXPECT_EQ(CopyBlockToMemory(block, tiny), 0);  // 8 bytes hold the 6-byte payload
    HGLOBAL five = GlobalAlloc(GMEM_MOVEABLE, 5);
    EXPECT_EQ(CopyBlockToMemory(block, five), StoreMemoryTooSmall);
    EXPECT_EQ(CopyMemoryToBlock(five, block), StoreMemoryTooSmall);
    EXPECT_EQ(PayloadOf(block), "UVWXYZ");
    for (HGLOBAL h : {discarded, tiny, copy, plain, five}) {
        GlobalFree(h);
    }
}

}  // namespace
