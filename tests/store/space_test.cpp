// Free-space allocation: best fit, taking the low end of an extent, growth at the end mark,
// merging on free, lost bytes when the lists are full, double frees.
#include "store_fixture.h"

#include <algorithm>

#include "store/store_internal.h"

namespace {

class SpaceTest : public StoreTest {
protected:
    // Replaces the free lists of the loaded page; the size list keeps the order given among
    // equal sizes.
    void SetExtents(int slot, std::vector<FreeExtent> extents)
    {
        HGLOBAL page = nullptr;
        ASSERT_EQ(TakeTopPage(slot, KEY_FREE_SPACE, &page), 0);
        BlockLock lock(page);
        FreeSpacePage* fp = FreePageOf(lock.get());
        ASSERT_LE(static_cast<int>(extents.size()), fp->capacity);
        fp->count = static_cast<std::int16_t>(extents.size());
        std::vector<FreeExtent> bySize = extents;
        std::stable_sort(bySize.begin(), bySize.end(), [](auto a, auto b) { return a.size < b.size; });
        std::vector<FreeExtent> byOffset = extents;
        std::sort(byOffset.begin(), byOffset.end(), [](auto a, auto b) { return a.offset < b.offset; });
        std::copy(bySize.begin(), bySize.end(), SizeList(lock.get()));
        std::copy(byOffset.begin(), byOffset.end(), OffsetList(lock.get()));
    }
};

TEST_F(SpaceTest, AllocationTakesTheBestFitOrGrowsTheFile)
{
    struct Case {
        const char* what;
        Extents before;
        DWORD size;
        LONG offset;
        Extents bySize;  // the size list afterwards
        int endGrowth;
    } cases[] = {
        {"100 bytes take 128 at the end", {}, 100, 3648, {}, 128},
        {"low end of the smallest that fits", {{1024, 128}, {2048, 256}}, 64, 1024, {{1088, 64}, {2048, 256}}, 0},
        {"a whole extent goes", {{1024, 128}, {2048, 256}}, 128, 1024, {{2048, 256}}, 0},
        {"best fit, not first", {{1024, 256}, {2048, 128}}, 100, 2048, {{1024, 256}}, 0},
        {"rest sorts before larger", {{1024, 512}, {2048, 128}}, 448, 1024, {{1472, 64}, {2048, 128}}, 0},
        {"nothing large enough", {{1024, 128}, {2048, 256}}, 512, 3648, {{1024, 128}, {2048, 256}}, 512},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int slot = NewStore(c.what);
        std::vector<FreeExtent> extents;
        for (auto [o, s] : c.before) {
            extents.push_back({o, s});
        }
        SetExtents(slot, extents);
        LONG offset = 0;
        ASSERT_EQ(AllocateSpace(slot, c.size, &offset), 0);
        EXPECT_EQ(offset, c.offset);
        EXPECT_EQ(SizeListOf(slot), c.bySize);
        Extents byOffset = c.bySize;
        std::sort(byOffset.begin(), byOffset.end());
        EXPECT_EQ(OffsetListOf(slot), byOffset);
        EXPECT_EQ(FreePageHeader(slot).endMark, 3648 + c.endGrowth);
        EXPECT_GE(FileLength(c.what), 3648 + c.endGrowth);  // it may have grown ahead
        SetExtents(slot, {});  // the lists were made up: leave none in the file
        ASSERT_EQ(FlushStore(slot, FALSE), 0);
        EXPECT_EQ(FileLength(c.what), 3648 + c.endGrowth);
        ASSERT_EQ(CloseStore(slot), 0);
    }
}

TEST_F(SpaceTest, FreeingMergesWithNeighbours)
{
    struct Case {
        const char* what;
        Extents before;
        LONG offset;
        DWORD size;
        Extents bySize;
    } cases[] = {
        {"between two", {{1024, 64}, {1152, 64}}, 1088, 64, {{1024, 192}}},
        {"right neighbour", {{1152, 64}}, 1088, 50, {{1088, 128}}},
        {"left neighbour", {{1024, 64}}, 1088, 64, {{1024, 128}}},
        {"alone, newest first among equals", {{1024, 64}}, 2048, 64, {{2048, 64}, {1024, 64}}},
        {"merged extent re-sorted", {{1024, 64}, {2048, 128}, {4096, 256}}, 1088, 192, {{2048, 128}, {1024, 256}, {4096, 256}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int slot = NewStore(c.what);
        std::vector<FreeExtent> extents;
        for (auto [o, s] : c.before) {
            extents.push_back({o, s});
        }
        SetExtents(slot, extents);
        ASSERT_EQ(FreeSpace(slot, c.offset, c.size), 0);
        EXPECT_EQ(SizeListOf(slot), c.bySize);
        EXPECT_EQ(CheckFreeSpacePage(slot), 0);
        EXPECT_EQ(FreeSpace(slot, c.bySize[0].first, 64), StoreAlreadyFree);
        SetExtents(slot, {});
        ASSERT_EQ(CloseStore(slot), 0);
    }
}

TEST_F(SpaceTest, FullListsGiveUpTheSmallestExtent)
{
    int slot = NewStore("small.vxs", 6, 2);
    LONG grown;
    ASSERT_EQ(AllocateSpace(slot, 4096, &grown), 0);  // room for the made-up extents below
    SetExtents(slot, {{1024, 64}, {2048, 128}});
    ASSERT_EQ(FreeSpace(slot, 3072, 64), 0);
    EXPECT_EQ(FreePageHeader(slot).count, 2);
    EXPECT_EQ(FreePageHeader(slot).lostBytes, 64);
    EXPECT_EQ(SizeListOf(slot), (Extents{{3072, 64}, {2048, 128}}));
    EXPECT_EQ(OffsetListOf(slot), (Extents{{2048, 128}, {3072, 64}}));
    SetExtents(slot, {});
    ASSERT_EQ(CloseStore(slot), 0);

    // Lists without places lose every freed byte.
    slot = NewStore("none.vxs", 6, 0);
    ASSERT_EQ(AllocateSpace(slot, 1024, &grown), 0);
    ASSERT_EQ(FreeSpace(slot, grown, 100), 0);
    EXPECT_EQ(FreePageHeader(slot).lostBytes, 128);
    EXPECT_EQ(FreePageHeader(slot).count, 0);
}

TEST_F(SpaceTest, SpaceOutsideTheStoreIsNotTaken)
{
    int slot = NewStore();
    EXPECT_EQ(FreeSpace(slot, 64, 64), StoreOffsetMismatch);     // the descriptor
    EXPECT_EQ(FreeSpace(slot, 3648, 64), StoreOffsetMismatch);   // at the end mark
    EXPECT_EQ(FreeSpace(slot, 3584, 128), StoreSizeMismatch);    // running past it
    EXPECT_EQ(FreeSpace(slot, 3584, 8), StoreBlockTooSmall);
    EXPECT_EQ(FreePageHeader(slot).count, 0);
}

TEST_F(SpaceTest, ListsThatDisagreeAreReported)
{
    int slot = NewStore();
    SetExtents(slot, {{1024, 128}});
    {
        HGLOBAL page = nullptr;
        ASSERT_EQ(TakeTopPage(slot, KEY_FREE_SPACE, &page), 0);
        BlockLock lock(page);
        ASSERT_TRUE(lock);
        OffsetList(lock.get())[0].offset = 1536;
    }
    LONG offset;
    EXPECT_EQ(AllocateSpace(slot, 64, &offset), StoreFreeListsDisagree);
    EXPECT_EQ(CheckFreeSpacePage(slot), StoreFreeListsDisagree);
    SetExtents(slot, {});
}

TEST_F(SpaceTest, SpaceChangeAndRounding)
{
    EXPECT_EQ(RoundUpToUnit(100, 6), 128);
    EXPECT_EQ(RoundUpToUnit(128, 6), 128);
    EXPECT_EQ(RoundUpToUnit(202, 0), 202);
    EXPECT_EQ(RoundUpToUnit(202, 10), 1024);
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    HGLOBAL block;
    ASSERT_EQ(AddRecord(slot, 1, 0, 100, &block), 0);
    EXPECT_EQ(GetSpaceChange(slot, block, 120), 0);
    EXPECT_EQ(GetSpaceChange(slot, block, 130), 192);
    int memory;
    ASSERT_EQ(CreateMemoryStore(&memory), 0);
    EXPECT_EQ(GetSpaceChange(memory, block, 100), 1);
}

}  // namespace
