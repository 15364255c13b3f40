// Results, files, memory blocks and flag words: the small services the store and the rest of
// the program lean on.
#include "store_fixture.h"

#include <fstream>

#include "store/file_ops.h"
#include "store/flags.h"
#include "store/memory_blocks.h"

namespace {

using SupportTest = StoreTest;

TEST(Results, ChecksTurnSystemResultsIntoCodes)
{
    int x = 0;
    EXPECT_EQ(CheckAlloc(nullptr), ErrOutOfMemory);
    EXPECT_EQ(CheckAlloc(&x), 0);
    EXPECT_EQ(CheckFileHandle(-1), ErrFileIO);
    EXPECT_EQ(CheckFileHandle(0), 0);
    EXPECT_EQ(CheckFileHandle(5), 0);
    EXPECT_EQ(PrintCallFailed(0), 1);
    EXPECT_EQ(PrintCallFailed(-3), 1);
    EXPECT_EQ(PrintCallFailed(1), 0);
}

TEST(Results, FlagBitsAreSetAndClearedByMask)
{
    struct Case {
        DWORD word;
        DWORD mask;
        BOOL set;
        DWORD expected;
    } cases[] = {
        {0x0000, 0x0005, TRUE, 0x0005},
        {0x0101, 0x0001, FALSE, 0x0100},
        {0x0100, 0x0001, FALSE, 0x0100},  // clearing bits the word lacks changes nothing
        {0xF000, 0x0F00, 7, 0xFF00},      // any non-zero set sets
    };
    for (const Case& c : cases) {
        DWORD word = c.word;
        SetFlagBits(&word, c.mask, c.set);
        EXPECT_EQ(word, c.expected);
        WORD word16 = static_cast<WORD>(c.word);
        SetFlagBits16(&word16, static_cast<WORD>(c.mask), c.set);
        EXPECT_EQ(word16, static_cast<WORD>(c.expected));
    }
    DWORD high = 0x80000000u;
    SetFlagBits(&high, 0x80000001u, TRUE);
    EXPECT_EQ(high, 0x80000001u);
}

TEST_F(SupportTest, OpenFileModeCreatesOpensAndDeletes)
{
    OFSTRUCT of;
    std::string path = Path("f.bin");
    HFILE created = OpenFileMode(path.c_str(), &of, OF_CREATE);
    ASSERT_NE(created, HFILE_ERROR);
    _lclose(created);
    EXPECT_EQ(OpenFileMode(path.c_str(), &of, OF_CREATE), HFILE_ERROR);  // exists already
    HFILE either = OpenFileMode(path.c_str(), &of, OF_CREATE | OF_SHARE_DENY_WRITE | OF_READWRITE);
    ASSERT_NE(either, HFILE_ERROR);
    // A writer lets others only read.
    HFILE reader = OpenFileMode(path.c_str(), &of, OF_READ);
    EXPECT_NE(reader, HFILE_ERROR);
    _lclose(reader);
    EXPECT_EQ(OpenFileMode(path.c_str(), &of, OF_READWRITE), HFILE_ERROR);
    EXPECT_EQ(_lwrite(either, "abc", 3), 3u);
    _lclose(either);
    EXPECT_EQ(OpenFileMode(Path("missing").c_str(), &of, OF_READ), HFILE_ERROR);
    EXPECT_EQ(OpenFileMode(path.c_str(), &of, OF_DELETE), HFILE_ERROR);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(SupportTest, FileSizeCutsExtendsAndLengthKeepsThePosition)
{
    OFSTRUCT of;
    std::string path = Path("f.bin");
    HFILE file = OpenFileMode(path.c_str(), &of, OF_CREATE | OF_READWRITE);
    ASSERT_NE(file, HFILE_ERROR);
    EXPECT_EQ(_lwrite(file, "0123456789", 10), 10u);
    EXPECT_EQ(SetFileSize(file, 4), 0);
    LONG length = 0;
    EXPECT_EQ(GetFileLength(file, &length), 0);
    EXPECT_EQ(length, 4);
    EXPECT_EQ(SetFileSize(file, 100), 0);
    EXPECT_EQ(_llseek(file, 7, FILE_BEGIN), 7);
    EXPECT_EQ(GetFileLength(file, &length), 0);
    EXPECT_EQ(length, 100);
    EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), 7);
    EXPECT_EQ(SetFileSize(file, -1), ErrFilePosition);
    _lclose(file);
    EXPECT_EQ(std::filesystem::file_size(path), 100u);

    HFILE reader = OpenFileMode(path.c_str(), &of, OF_READ);
    EXPECT_EQ(SetFileSize(reader, 10), StoreBadShiftOrLength);  // no write access: the length stays
    _lclose(reader);
    EXPECT_EQ(std::filesystem::file_size(path), 100u);
}

TEST(MemoryBlocks, DiscardedTestAndWholeCopies)
{
    HGLOBAL empty = GlobalAlloc(GMEM_MOVEABLE, 0);
    HGLOBAL source = GlobalAlloc(GMEM_MOVEABLE, 5);
    HGLOBAL large = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 8);
    HGLOBAL small = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4);
    EXPECT_TRUE(IsHandleDiscarded(empty));
    EXPECT_FALSE(IsHandleDiscarded(source));
    std::memcpy(GlobalLock(source), "hello", 5);
    GlobalUnlock(source);

    EXPECT_EQ(CopyGlobalContents(large, source), 0);
    EXPECT_EQ(std::memcmp(GlobalLock(large), "hello\0\0\0", 8), 0);
    GlobalUnlock(large);
    EXPECT_EQ(CopyGlobalContents(small, source), StoreMemoryTooSmall);
    EXPECT_EQ(std::memcmp(GlobalLock(small), "\0\0\0\0", 4), 0);
    GlobalUnlock(small);

    // Handles travel through the u32 fields of records unchanged.
    EXPECT_EQ(FieldToHandle(HandleToField(source)), source);
    for (HGLOBAL h : {empty, source, large, small}) {
        GlobalFree(h);
    }
}

}  // namespace
