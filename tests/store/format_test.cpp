// The file layout of a new store byte by byte, and the life of stores in the directory:
// opening, refusing what is not a store, write-through, detaching, memory-only stores.
#include "store_fixture.h"

#include <fstream>

#include "store/file_ops.h"

namespace {

using FormatTest = StoreTest;

TEST_F(FormatTest, FreshStoreLayout)
{
    struct Case {
        int shift, capacity;
        std::int32_t freeAt, mainAt, backupAt, end;
        std::int16_t entryCapacity;
    } cases[] = {
        {6, 200, 256, 3520, 3584, 3648, 32500},
        {6, 50, 256, 1088, 1152, 1216, 32650},
        {0, 200, 202, 3430, 3448, 3466, 32500},  // shift 0: the free page right after the descriptor
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("shift " + std::to_string(c.shift) + " capacity " + std::to_string(c.capacity));
        ASSERT_EQ(CreateStoreFile(Path("s").c_str(), 0, c.shift, c.capacity), 0);
        EXPECT_EQ(FileLength("s"), c.end);
        EXPECT_EQ(ReadField<std::int16_t>("s", 0), 2);
        EXPECT_EQ(ReadField<std::int16_t>("s", 2), -1);
        EXPECT_EQ(ReadField<std::int32_t>("s", 4), 0);
        EXPECT_EQ(ReadField<std::int16_t>("s", 14), c.shift);
        EXPECT_EQ(ReadField<std::int16_t>("s", 16), 0);
        EXPECT_EQ(ReadField<std::int16_t>("s", 18), c.entryCapacity);
        const std::int32_t pageSize = 28 + 16 * c.capacity;
        const struct {
            std::int64_t at;
            std::int16_t key;
            std::int32_t offset, size;
        } top[] = {{24, -1, c.mainAt, 18}, {38, -2, c.backupAt, 18}, {52, -3, c.freeAt, pageSize}};
        for (const auto& t : top) {
            EXPECT_EQ(ReadField<std::int16_t>("s", t.at), t.key);
            EXPECT_EQ(ReadField<std::int32_t>("s", t.at + 2), t.offset);
            EXPECT_EQ(ReadField<std::int32_t>("s", t.at + 6), t.size);
            // Each block's header names itself: key, parent -4, offset, size.
            EXPECT_EQ(ReadField<std::int16_t>("s", t.offset), t.key);
            EXPECT_EQ(ReadField<std::int16_t>("s", t.offset + 2), -4);
            EXPECT_EQ(ReadField<std::int32_t>("s", t.offset + 6), t.offset);
            EXPECT_EQ(ReadField<std::int32_t>("s", t.offset + 10), t.size);
            EXPECT_EQ(ReadField<std::int16_t>("s", t.offset + 16), t.key == -3 ? c.capacity : 0);
        }
        EXPECT_EQ(ReadField<std::int16_t>("s", c.freeAt + 18), 0);     // no extents
        EXPECT_EQ(ReadField<std::int32_t>("s", c.freeAt + 20), 0);     // no lost bytes
        EXPECT_EQ(ReadField<std::int32_t>("s", c.freeAt + 24), c.end); // end mark

        int slot, version = 0;
        ASSERT_EQ(OpenStoreFile(Path("s").c_str(), &slot, 0, &version, FALSE), 0);
        EXPECT_EQ(version, -1);
        EXPECT_EQ(CheckStore(slot), 0);
        EXPECT_EQ(CloseStore(slot), 0);
    }
    EXPECT_EQ(CreateStoreFile(Path("bad").c_str(), 0, 11, 200), StoreBadShiftOrLength);
    EXPECT_FALSE(std::filesystem::exists(Path("bad")));
}

TEST_F(FormatTest, OpeningRefusesWhatIsNotThisStore)
{
    struct Case {
        const char* what;
        std::int64_t at;
        std::int16_t value;
        int expected;
    } cases[] = {
        {"format mark", 0, 3, StoreNotAStore},
        {"version mark", 2, 0, StoreNotAStore},
        {"base offset", 4, 64, StoreBaseMismatch},
        {"shift above 10", 14, 11, StoreBadShiftOrLength},
        {"negative shift", 14, -1, StoreBadShiftOrLength},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(CreateStoreFile(Path("s").c_str(), 0, 6, 200), 0);
        Patch("s", c.at, c.value);
        int slot = -1, version = 0;
        EXPECT_EQ(OpenStoreFile(Path("s").c_str(), &slot, 0, &version, FALSE), c.expected) << c.what;
        EXPECT_EQ(slot, 0);
        EXPECT_EQ(CheckStoreSlot(slot), StoreSlotNotOpen) << "a failed open leaves no trace";
    }
    int slot = -1, version = 0;
    EXPECT_EQ(OpenStoreFile(Path("missing").c_str(), &slot, 0, &version, FALSE), ErrFileIO);

    // A file too short to hold a descriptor is no store either, not a failed read.
    for (const std::string& contents : {std::string(), std::string("hello\r\n"), std::string(201, '\2')}) {
        std::ofstream(Path("short"), std::ios::binary | std::ios::trunc) << contents;
        EXPECT_EQ(OpenStoreFile(Path("short").c_str(), &slot, 0, &version, FALSE), StoreNotAStore) << contents.size();
        EXPECT_EQ(CheckStoreSlot(slot), StoreSlotNotOpen);
    }
}

TEST_F(FormatTest, StoreAtABaseOffsetAndOneMovedThere)
{
    OFSTRUCT of;
    HFILE file = OpenFileMode(Path("f").c_str(), &of, OF_CREATE | OF_READWRITE);
    ASSERT_NE(file, HFILE_ERROR);
    int slot = -1, version = 0;
    ASSERT_EQ(CreateStoreAt(file, &slot, 100, 6, 50), 0);
    EXPECT_EQ(FileLength("f"), 100 + 1216);
    ASSERT_EQ(AddRecordType(slot, 7), 0);
    Put(slot, 7, 1, "at a base");
    ASSERT_EQ(FlushStore(slot, TRUE), 0);
    ASSERT_EQ(DetachStore(slot), 0);
    ASSERT_EQ(OpenStoreAt(file, &slot, 100, &version), 0);
    EXPECT_EQ(Get(slot, 7, 1), "at a base");
    EXPECT_EQ(CheckStoreSlot(slot), 0);
    ASSERT_EQ(CloseStore(slot), 0);

    // The same image copied to another place in a file, its base field not rewritten.
    std::vector<std::uint8_t> bytes = FileBytes("f");
    std::vector<std::uint8_t> moved(36, 0);
    moved.insert(moved.end(), bytes.begin() + 100, bytes.end());
    std::ofstream(Path("moved"), std::ios::binary).write(reinterpret_cast<char*>(moved.data()), moved.size());
    EXPECT_EQ(OpenStoreFile(Path("moved").c_str(), &slot, 36, &version, FALSE), StoreBaseMismatch);
}

TEST_F(FormatTest, HundredFirstOpenFindsNoSlotAndDisturbsNoOther)
{
    int writer = NewStore();
    ASSERT_EQ(AddRecordType(writer, 100), 0);
    Put(writer, 100, 105, "drawing");
    ASSERT_EQ(CloseStore(writer), 0);

    std::vector<int> slots;
    for (int i = 0; i < 100; ++i) {
        int slot = -1, version = 0;
        ASSERT_EQ(OpenStoreFile(Path("store.vxs").c_str(), &slot, 0, &version, TRUE), 0);
        slots.push_back(slot);
    }
    int slot = 0, version = 0;
    EXPECT_EQ(OpenStoreFile(Path("store.vxs").c_str(), &slot, 0, &version, TRUE), StoreDirectoryFull);
    int memorySlot = 0;
    EXPECT_EQ(CreateMemoryStore(&memorySlot), StoreDirectoryFull);
    for (int s : slots) {
        EXPECT_EQ(Get(s, 100, 105), "drawing");
    }
    EXPECT_EQ(CloseStore(slots[42]), 0);
    EXPECT_EQ(OpenStoreFile(Path("store.vxs").c_str(), &slot, 0, &version, TRUE), 0);
    EXPECT_EQ(slot, slots[42]);  // the lowest free slot
}

TEST_F(FormatTest, SlotsOutsideOrNotOpenAreRefused)
{
    for (int slot : {-1, 100, 1000}) {
        EXPECT_EQ(CloseStore(slot), StoreSlotOutOfRange);
        EXPECT_EQ(CheckStore(slot), StoreSlotOutOfRange);
    }
    EXPECT_EQ(CloseStore(3), StoreSlotNotOpen);
    HGLOBAL block = nullptr;
    EXPECT_EQ(LoadRecord(3, 1, 1, &block), StoreSlotNotOpen);
    EXPECT_EQ(block, nullptr);
}

TEST_F(FormatTest, CreatingOverALongerFileLeavesExactlyTheNewStore)
{
    std::ofstream(Path("old"), std::ios::binary) << std::string(10000, 'x');
    ASSERT_EQ(CreateStoreFile(Path("old").c_str(), 0, 6, 200), 0);
    EXPECT_EQ(FileLength("old"), 3648);
}

TEST_F(FormatTest, FlushBlockRefusesAHeaderLargerThanItsMemory)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    Put(slot, 1, 0, "0123456789");
    ASSERT_EQ(FlushStore(slot, FALSE), 0);
    std::vector<std::uint8_t> before = FileBytes("store.vxs");
    HGLOBAL block = nullptr;
    ASSERT_EQ(LoadRecord(slot, 1, 0, &block), 0);
    ASSERT_EQ(MarkBlockDirty(block), 0);
    BlockHeader* header = static_cast<BlockHeader*>(GlobalLock(block));
    header->size += 100;
    EXPECT_EQ(FlushBlock(block), StoreMemoryTooSmall);
    EXPECT_EQ(FileBytes("store.vxs"), before);
    header->size -= 100;
    GlobalUnlock(block);
    EXPECT_EQ(FlushBlock(block), 0);
}

TEST_F(FormatTest, LargeBlocksRoundTrip)
{
    int slot = NewStore();
    ASSERT_EQ(AddRecordType(slot, 1), 0);
    std::string big(100000 - kBlockHeaderSize, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i * 7 + i / 256);
    }
    Put(slot, 1, 0, big);
    slot = Reopen(slot);
    EXPECT_EQ(Get(slot, 1, 0), big);
    EXPECT_EQ(CheckStore(slot), 0);
}

TEST_F(FormatTest, WriteThroughPutsEveryChangeInTheFileAtOnce)
{
    int slot = NewStore();
    ASSERT_EQ(SetStoreWriteThrough(slot, TRUE), 0);
    ASSERT_EQ(AddRecordType(slot, 3), 0);
    HGLOBAL block = nullptr;
    ASSERT_EQ(AddRecord(slot, 3, 9, 20, &block), 0);
    std::memcpy(static_cast<BYTE*>(GlobalLock(block)) + kBlockHeaderSize, "seen", 4);
    GlobalUnlock(block);
    ASSERT_EQ(MarkBlockDirty(block), 0);
    ASSERT_EQ(FlushBlock(block), 0);
    // A second, read-only opening sees everything the writer did so far.
    int reader = -1, version = 0;
    ASSERT_EQ(OpenStoreFile(Path("store.vxs").c_str(), &reader, 0, &version, TRUE), 0);
    EXPECT_EQ(Get(reader, 3, 9), "seen");
    EXPECT_EQ(CheckStore(reader), 0);
    EXPECT_EQ(CloseStore(reader), 0);
    ASSERT_EQ(DeleteRecordById(slot, 3, 9), 0);
    ASSERT_EQ(OpenStoreFile(Path("store.vxs").c_str(), &reader, 0, &version, TRUE), 0);
    EXPECT_EQ(Get(reader, 3, 9), ErrorText(StoreKeyMissing));
    GlobalFree(block);
}

TEST_F(FormatTest, MemoryOnlyStoreKeepsRecordsWithoutAFile)
{
    int slot = -1;
    ASSERT_EQ(CreateMemoryStore(&slot), 0);
    ASSERT_EQ(AddRecordType(slot, 2), 0);
    Put(slot, 2, 0, "in memory");
    Put(slot, 2, 1, "too");
    EXPECT_EQ(Get(slot, 2, 0), "in memory");
    HFILE file;
    EXPECT_EQ(GetStoreFileHandle(slot, &file), StoreMemoryOnly);
    HGLOBAL block = nullptr;
    ASSERT_EQ(LoadRecord(slot, 2, 1, &block), 0);
    EXPECT_EQ(UnloadRecord(block), StoreMemoryOnly);
    EXPECT_EQ(CompactStore(slot), StoreMemoryOnly);
    // A checkpoint works in memory as well: a deleted record comes back with its content.
    ASSERT_EQ(BeginStoreCheckpoint(slot), 0);
    ASSERT_EQ(DeleteRecord(block), 0);
    GlobalFree(block);
    ASSERT_EQ(SwapStoreCheckpoint(slot, TRUE), 0);
    EXPECT_EQ(Get(slot, 2, 1), "too");
    EXPECT_EQ(CloseStore(slot), 0);
}

}  // namespace
