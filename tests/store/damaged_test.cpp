// Damaged store files: every size, count and offset read from a file is checked, and a damaged
// file gives the store's error, never a crash.
#include "store_fixture.h"

#include "store/store_internal.h"

namespace {

class DamagedTest : public StoreTest {
protected:
    // A store with one type of three records, closed; the offsets of its blocks noted.
    void SetUp() override
    {
        StoreTest::SetUp();
        int slot = NewStore();
        ASSERT_EQ(AddRecordType(slot, 1), 0);
        Put(slot, 1, 0, std::string(100, 'a'));
        Put(slot, 1, 1, std::string(100, 'b'));
        Put(slot, 1, 2, "c");
        PageRef ref;
        ASSERT_EQ(LocatePage(slot, KEY_MAIN_ROOT, 1, &ref), 0);
        BlockLock lock(ref.page);
        typePage = HeaderOf(lock.get())->offset;
        for (int i = 0; i < 3; ++i) {
            record[i] = PageEntries(lock.get())[i].offset;
        }
        lock.Unlock();
        ASSERT_EQ(CloseStore(slot), 0);
    }

    // Opens the damaged file; the first non-zero of opening, loading every record and checking.
    int Outcome()
    {
        int slot = -1, version = 0;
        if (int result = OpenStoreFile(Path("store.vxs").c_str(), &slot, 0, &version, FALSE)) {
            return result;
        }
        for (int id = 0; id < 3; ++id) {
            HGLOBAL block;
            if (int result = LoadRecord(slot, 1, id, &block)) {
                CloseStore(slot);
                return result;
            }
        }
        int result = CheckStore(slot);
        CloseStore(slot);
        return result;
    }

    std::int32_t typePage = 0;
    std::int32_t record[3] = {};
    const std::int32_t freePage = 256;
    const std::int32_t mainRoot = 3520;
    const std::int32_t backupRoot = 3584;
};

TEST_F(DamagedTest, IntactStorePassesEverything)
{
    EXPECT_EQ(Outcome(), 0);
    EXPECT_EQ(FullCheck(), "");
}

TEST_F(DamagedTest, BlocksThatDisagreeWithTheirEntries)
{
    struct Case {
        const char* what;
        int field;  // offset into the record's header
        std::int32_t value;
        bool wide;
        int expected;
    } cases[] = {
        {"offset", 6, 64, true, StoreOffsetMismatch},
        {"size", 10, 17, true, StoreSizeMismatch},
        {"parent key", 2, 2, false, StoreParentMismatch},
        {"key", 0, 9, false, StoreEntryMissing},
    };
    std::vector<std::uint8_t> intact = FileBytes("store.vxs");
    for (const Case& c : cases) {
        PatchFile("store.vxs", 0, intact.data(), intact.size());
        if (c.wide) {
            Patch<std::int32_t>("store.vxs", record[1] + c.field, c.value);
        } else {
            Patch<std::int16_t>("store.vxs", record[1] + c.field, static_cast<std::int16_t>(c.value));
        }
        EXPECT_NE(FullCheck(), "") << c.what;
        EXPECT_EQ(Outcome(), c.expected) << c.what;
    }
}

TEST_F(DamagedTest, IndexEntriesOutsideTheFile)
{
    // Entries of the type page (at 18 + 14 i): offset at +2, size at +6.
    struct Case {
        const char* what;
        int entryField;
        std::int32_t value;
        int expected;
    } cases[] = {
        {"offset past the end", 2, 1 << 20, StoreOffsetMismatch},
        {"offset inside the descriptor", 2, 64, StoreOffsetMismatch},
        {"negative offset", 2, -4096, StoreOffsetMismatch},
        {"size past the end", 6, 1 << 20, StoreSizeMismatch},
        {"huge size", 6, 0x7FFFFFF0, StoreSizeMismatch},
        {"size below a header", 6, 15, StoreBlockTooSmall},
        {"negative size", 6, -100, StoreBlockTooSmall},
    };
    std::vector<std::uint8_t> intact = FileBytes("store.vxs");
    for (const Case& c : cases) {
        PatchFile("store.vxs", 0, intact.data(), intact.size());
        Patch<std::int32_t>("store.vxs", typePage + 18 + 14 * 2 + c.entryField, c.value);
        EXPECT_NE(FullCheck(), "") << c.what;
        EXPECT_EQ(Outcome(), c.expected) << c.what;
    }
}

TEST_F(DamagedTest, PagesWhoseCountsDoNotFit)
{
    struct Case {
        const char* what;
        std::int64_t at;
        std::int16_t value;
        int expected;
    } cases[] = {
        {"type page count above its size", typePage + 16, 4, StoreSizeMismatch},
        {"type page count beyond 4500", typePage + 16, 5000, StoreSizeMismatch},
        {"negative type page count", typePage + 16, -1, StoreSizeMismatch},
        {"root count above its size", mainRoot + 16, 2, StoreSizeMismatch},
        {"free count above capacity", freePage + 18, 201, StoreSizeMismatch},
        {"free capacity not the page's size", freePage + 16, 300, StoreSizeMismatch},
        {"negative free capacity", freePage + 16, -2, StoreSizeMismatch},
    };
    std::vector<std::uint8_t> intact = FileBytes("store.vxs");
    for (const Case& c : cases) {
        PatchFile("store.vxs", 0, intact.data(), intact.size());
        Patch<std::int16_t>("store.vxs", c.at, c.value);
        EXPECT_NE(FullCheck(), "") << c.what;
        EXPECT_EQ(Outcome(), c.expected) << c.what;
    }
}

TEST_F(DamagedTest, FreeExtentsAndCountersOutsideTheStore)
{
    std::vector<std::uint8_t> intact = FileBytes("store.vxs");
    std::int32_t end = ReadField<std::int32_t>("store.vxs", freePage + 24);
    struct Case {
        const char* what;
        std::int32_t offset, size;
        int expected;
    } cases[] = {
        {"extent over the descriptor", 0, 64, StoreSizeMismatch},
        {"extent over the free page", freePage, 64, StoreSizeMismatch},
        {"extent past the end mark", end, 64, StoreSizeMismatch},
        {"empty extent", 3584, 0, StoreSizeMismatch},
    };
    for (const Case& c : cases) {
        PatchFile("store.vxs", 0, intact.data(), intact.size());
        Patch<std::int16_t>("store.vxs", freePage + 18, 1);
        const FreeExtent extent = {c.offset, c.size};
        Patch("store.vxs", freePage + 28, extent);            // size list
        Patch("store.vxs", freePage + 28 + 8 * 200, extent);  // offset list
        EXPECT_NE(FullCheck(), "") << c.what;
        EXPECT_EQ(Outcome(), c.expected) << c.what;
    }
    PatchFile("store.vxs", 0, intact.data(), intact.size());
    Patch<std::int32_t>("store.vxs", freePage + 20, -1);  // negative lost bytes
    EXPECT_NE(FullCheck(), "");
    EXPECT_EQ(Outcome(), StoreSizeMismatch);
}

TEST_F(DamagedTest, OverlapsAndHolesAreFoundByTheCheck)
{
    std::vector<std::uint8_t> intact = FileBytes("store.vxs");
    // Record 1's entry claims the second unit of record 0: the two overlap.
    Patch<std::int32_t>("store.vxs", typePage + 18 + 14 + 2, record[0] + 64);
    EXPECT_NE(FullCheck(), "");
    int slot, version;
    ASSERT_EQ(OpenStoreFile(Path("store.vxs").c_str(), &slot, 0, &version, TRUE), 0);
    EXPECT_EQ(CheckStore(slot), StoreBlockOverlap);
    CloseStore(slot);

    PatchFile("store.vxs", 0, intact.data(), intact.size());
    Patch<std::int32_t>("store.vxs", freePage + 20, 64);  // lost bytes without a hole
    EXPECT_NE(FullCheck(), "");
    EXPECT_EQ(Outcome(), StoreLostBytesMismatch);
}

TEST_F(DamagedTest, TruncatedFiles)
{
    std::vector<std::uint8_t> intact = FileBytes("store.vxs");
    for (std::size_t length : {std::size_t{0}, std::size_t{100}, std::size_t{202}, std::size_t{3000},
                               std::size_t{3530}, intact.size() - 1}) {
        WriteFile("store.vxs", std::vector<std::uint8_t>(intact.begin(), intact.begin() + static_cast<std::ptrdiff_t>(length)));
        EXPECT_NE(FullCheck(), "") << length;
        EXPECT_NE(Outcome(), 0) << length;
    }
}

TEST_F(DamagedTest, RuntimeFieldsInTheFileAreIgnored)
{
    // Handle fields of entries, the descriptor's handle and flags, header slots and flags.
    for (int i = 0; i < 3; ++i) {
        Patch<std::uint32_t>("store.vxs", typePage + 18 + 14 * i + 10, 0xDEADBEEF);
        Patch<std::int16_t>("store.vxs", record[i] + 4, 77);
        Patch<std::uint16_t>("store.vxs", record[i] + 14, 0xFFF7);
    }
    Patch<std::uint32_t>("store.vxs", 24 + 10, 0x12345678);
    Patch<std::uint32_t>("store.vxs", 52 + 10, 0x00010004);
    Patch<std::int16_t>("store.vxs", 10, 1234);
    Patch<std::uint16_t>("store.vxs", 8, 0xFFFB);  // every bit but the checkpoint's
    EXPECT_EQ(FullCheck(), "");
    int slot, version;
    ASSERT_EQ(OpenStoreFile(Path("store.vxs").c_str(), &slot, 0, &version, FALSE), 0);
    EXPECT_EQ(Get(slot, 1, 2), "c");
    EXPECT_EQ(CheckStore(slot), 0);
    EXPECT_EQ(SwapStoreCheckpoint(slot, TRUE), StoreNoCheckpoint);
    Put(slot, 1, 3, "still writable");
    EXPECT_EQ(CheckStore(slot), 0);
    EXPECT_EQ(CloseStore(slot), 0);
}

// The absent-marker flag means something only in the journal. Set by damage on a block of the
// main tree it is not taken over: an undo and a redo keep the record, insertions into the type
// and the store go in, and a checkpoint journals as before. The full check reports the flag.
TEST_F(DamagedTest, AbsentFlagOutsideTheJournalIsIgnored)
{
    struct Case {
        const char* what;
        std::int32_t block;
    } cases[] = {
        {"a record", record[1]},
        {"a type page", typePage},
        {"the main root", mainRoot},
        {"the backup root", backupRoot},
    };
    std::vector<std::uint8_t> intact = FileBytes("store.vxs");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PatchFile("store.vxs", 0, intact.data(), intact.size());
        Patch<std::uint16_t>("store.vxs", c.block + 14, BLOCK_ABSENT);
        EXPECT_NE(FullCheck(), "");
        int slot = Open();
        ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
        Put(slot, 1, 1, "changed");
        Put(slot, 1, 5, "added to the type");
        ASSERT_EQ(AddRecordType(slot, 2), 0);
        ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
        EXPECT_EQ(Get(slot, 1, 1), std::string(100, 'b'));
        EXPECT_EQ(Get(slot, 1, 5), ErrorText(StoreKeyMissing));
        ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
        EXPECT_EQ(Get(slot, 1, 1), "changed");
        EXPECT_EQ(Get(slot, 1, 5), "added to the type");
        EXPECT_EQ(CheckStore(slot), 0);
        ASSERT_EQ(CloseStore(slot), 0);
        EXPECT_EQ(FullCheck(), "");  // every block with the flag was written again
    }
}

}  // namespace
