// The record framing through memory images and files: record sizes, the record buffer's
// growth, damaged lengths, skipped blocks, memory image growth and the rescaling of file units.
// Built natively and for Windows alike.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "documents/record_stream.h"

namespace {

using Bytes = std::vector<BYTE>;

void Put16(Bytes& out, WORD value) { out.insert(out.end(), {(BYTE)value, (BYTE)(value >> 8)}); }
void Put32(Bytes& out, DWORD value)
{
    for (int i = 0; i < 4; ++i) out.push_back((BYTE)(value >> (8 * i)));
}
// One record as it stands in a stream; a bare opcode takes neither length nor data.
Bytes Record(WORD opcode, const Bytes& data = {})
{
    Bytes out;
    Put16(out, opcode);
    if (opcode & kRecordBare) return out;
    Put32(out, (DWORD)data.size());
    out.insert(out.end(), data.begin(), data.end());
    return out;
}
Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}
Bytes Pattern(DWORD size)
{
    Bytes out(size);
    for (DWORD i = 0; i < size; ++i) out[i] = (BYTE)(i * 7 + (i >> 9));
    return out;
}

class RecordStream : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(BeginRecordBuffer(), 0); }
    void TearDown() override
    {
        EndMemoryStream();
        EndRecordBuffer();
        if (image_) GlobalFree(image_);
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
        if (!path_.empty()) std::filesystem::remove(path_);
    }

    // `stream` as a memory image (u32 total length, then the bytes) made the source, read up
    // to `limit` (the total length when 0).
    void UseImage(const Bytes& stream, DWORD limit = 0)
    {
        DWORD total = 4 + (DWORD)stream.size();
        image_ = GlobalAlloc(GMEM_MOVEABLE, total);
        ASSERT_NE(image_, nullptr);
        auto* base = static_cast<BYTE*>(GlobalLock(image_));
        memcpy(base, &total, 4);
        if (!stream.empty()) memcpy(base + 4, stream.data(), stream.size());
        GlobalUnlock(image_);
        BeginMemoryStream(image_, limit ? limit : total);
        ASSERT_TRUE(MemoryStreamActive());
    }

    std::string Path()
    {
        if (path_.empty()) {
            const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
            path_ = (std::filesystem::temp_directory_path() /
                     (std::string("vx-stream-") + info->name() + "-" +
                      std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".bin"))
                        .string();
        }
        return path_;
    }
    // A file holding `stream`, opened for reading at its start.
    HFILE UseFile(const Bytes& stream)
    {
        HFILE out = OpenTestFile(CREATE_ALWAYS, GENERIC_READ | GENERIC_WRITE);
        if (!stream.empty()) {
            EXPECT_EQ(_lwrite(out, reinterpret_cast<LPCCH>(stream.data()), (UINT)stream.size()), stream.size());
        }
        _llseek(out, 0, FILE_BEGIN);
        return out;
    }
    HFILE OpenTestFile(DWORD disposition, DWORD access)
    {
        file_ = CreateFileA(Path().c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file_, INVALID_HANDLE_VALUE);
        return static_cast<HFILE>(reinterpret_cast<INT_PTR>(file_));
    }
    Bytes FileBytes()
    {
        HFILE file = static_cast<HFILE>(reinterpret_cast<INT_PTR>(file_));
        LONG end = _llseek(file, 0, FILE_END);
        Bytes out((size_t)end);
        _llseek(file, 0, FILE_BEGIN);
        if (end > 0) {
            EXPECT_EQ(_lread(file, out.data(), (UINT)end), (UINT)end);
        }
        return out;
    }

    HGLOBAL image_ = nullptr;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::string path_;
};

// What one ReadRecord gave.
struct Read {
    int result;
    WORD opcode;
    DWORD length;
};
Read Next(HFILE file = HFILE_ERROR)
{
    Read r{};
    r.result = ReadRecord(file, &r.opcode, &r.length);
    return r;
}

TEST_F(RecordStream, RecordSizesAndShortStreamsFromMemoryAndFile)
{
    struct Case {
        const char* what;
        Bytes stream;
        int result;
        WORD opcode;
        DWORD length;
        DWORD consumed;   // bytes of the stream behind the read
    };
    constexpr DWORD kAnywhere = 0xFFFFFFFF;
    const Case cases[] = {
        {"bare end marker", Record(0x4022), 0, 0x4022, 0, 2},
        {"zero-length record", Record(0x0801), 0, 0x0801, 0, 6},
        {"zero-length block opener", Record(0x8002), 0, 0x8002, 0, 6},
        {"record with data", Record(0x29, {1, 2, 3}), 0, 0x29, 3, 9},
        {"empty stream", {}, ErrStreamShortRead, 0, 0, 0},
        {"half an opcode", {0x29}, ErrStreamShortRead, 0, 0, 1},
        {"length cut short", {0x29, 0, 5, 0, 0}, ErrStreamShortRead, 0x29, 0, 5},
        // A file reads what is there, an image stops at its known end: no position checked.
        {"data cut short", {0x29, 0, 4, 0, 0, 0, 1, 2}, ErrStreamShortRead, 0x29, 0, kAnywhere},
    };
    for (const Case& c : cases) {
        for (int fromFile = 0; fromFile < 2; ++fromFile) {
            SCOPED_TRACE(std::string(c.what) + (fromFile ? " (file)" : " (memory)"));
            HFILE file = HFILE_ERROR;
            if (fromFile) {
                file = UseFile(c.stream);
            } else {
                UseImage(c.stream);
            }
            Read r = Next(file);
            EXPECT_EQ(r.result, c.result);
            if (c.result == 0) {
                EXPECT_EQ(r.opcode, c.opcode);
                EXPECT_EQ(r.length, c.length);
            } else {
                EXPECT_EQ(r.length, 0u);
            }
            if (c.opcode && !c.result) {
                EXPECT_EQ(RecordLength(), c.length);
            }
            if (fromFile) {
                if (c.consumed != kAnywhere) {
                    EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), (LONG)c.consumed);
                }
                CloseHandle(file_);
                file_ = INVALID_HANDLE_VALUE;
            } else {
                if (c.consumed != kAnywhere) {
                    EXPECT_EQ(MemoryStreamPosition(), 4 + c.consumed);
                }
                EndMemoryStream();
                GlobalFree(image_);
                image_ = nullptr;
            }
        }
    }
}

TEST_F(RecordStream, BareMarkerKeepsTheRecordBuffer)
{
    UseImage(Join({Record(0x29, {9, 8, 7}), Record(0x4022), Record(0x0801)}));
    ASSERT_EQ(Next().result, 0);
    Read bare = Next();
    EXPECT_EQ(bare.result, 0);
    EXPECT_EQ(bare.length, 0u);
    EXPECT_EQ(RecordData()[0], 9);
    EXPECT_EQ(RecordData()[2], 7);
    ASSERT_EQ(Next().result, 0);   // so does a zero-length record
    EXPECT_EQ(RecordData()[1], 8);
}

TEST_F(RecordStream, LongRecordGrowsTheBufferToItsExactLengthAndRoundTrips)
{
    const Bytes data = Pattern(70000);
    HFILE file = OpenTestFile(CREATE_ALWAYS, GENERIC_READ | GENERIC_WRITE);
    ASSERT_EQ(WriteRecord(file, 0x47, (DWORD)data.size(), data.data()), 0);
    ASSERT_EQ(WriteRecord(file, 0x4001, 0, nullptr), 0);
    ASSERT_EQ(WriteRecord(file, 0x0801, 0, nullptr), 0);
    EXPECT_EQ(FileBytes(), Join({Record(0x47, data), Record(0x4001), Record(0x0801)}));

    _llseek(file, 0, FILE_BEGIN);
    EXPECT_EQ(RecordBufferSize(), kRecordBufferSize);
    Read r = Next(file);
    ASSERT_EQ(r.result, 0);
    EXPECT_EQ(r.length, 70000u);
    EXPECT_EQ(RecordBufferSize(), 70000u);
    EXPECT_EQ(memcmp(RecordData(), data.data(), data.size()), 0);
    // A shorter record after it leaves the buffer as large as it is.
    EXPECT_EQ(Next(file).opcode, 0x4001);
    EXPECT_EQ(RecordBufferSize(), 70000u);

    // The same from a memory image.
    ASSERT_EQ(BeginRecordBuffer(), 0);
    UseImage(Record(0x47, data));
    r = Next();
    ASSERT_EQ(r.result, 0);
    EXPECT_EQ(RecordBufferSize(), 70000u);
    EXPECT_EQ(memcmp(RecordData(), data.data(), data.size()), 0);
}

TEST_F(RecordStream, LengthBeyondTheSourceFailsBeforeTheBufferGrows)
{
    // Lengths up to the largest u32, from a file and from a memory image whose stated limit
    // lies far beyond its block.
    for (DWORD length : {70000u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        SCOPED_TRACE(length);
        Bytes stream;
        Put16(stream, 0x47);
        Put32(stream, length);
        stream.resize(stream.size() + 100, 0xAB);

        HFILE file = UseFile(stream);
        EXPECT_EQ(Next(file).result, ErrStreamShortRead);
        EXPECT_EQ(RecordBufferSize(), kRecordBufferSize);
        CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;

        UseImage(stream, 0xFFFFFFFFu);
        EXPECT_EQ(Next().result, ErrStreamShortRead);
        EXPECT_EQ(RecordBufferSize(), kRecordBufferSize);
        EndMemoryStream();
        GlobalFree(image_);
        image_ = nullptr;
    }
}

TEST_F(RecordStream, ImageLimitEndsTheStream)
{
    const Bytes stream = Join({Record(0x29, {1, 2, 3, 4}), Record(0x2A, {5, 6})});
    // A limit inside the second record fails there; a limit past the block reads to its end.
    UseImage(stream, 4 + 10 + 5);
    EXPECT_EQ(Next().result, 0);
    EXPECT_EQ(Next().result, ErrStreamShortRead);
    EndMemoryStream();
    BeginMemoryStream(image_, 1000000);
    EXPECT_EQ(Next().result, 0);
    Read second = Next();
    EXPECT_EQ(second.result, 0);
    EXPECT_EQ(second.opcode, 0x2A);
    EXPECT_EQ(Next().result, ErrStreamShortRead);
    BYTE spare[4];
    EXPECT_EQ(ReadMemoryBytes(spare, sizeof(spare)), 0);
    EndMemoryStream();
    EXPECT_EQ(ReadMemoryBytes(spare, sizeof(spare)), -1);
    EXPECT_EQ(AppendMemoryBytes(spare, sizeof(spare)), -1);
}

TEST_F(RecordStream, SkipBlockPassesOverNestedBlocks)
{
    const Bytes inner = Join({Record(0x8051, {1}), Record(0x05, {2, 2}), Record(0x8052), Record(0x4052),
                              Record(0x4051), Record(0x06, {3})});
    const Bytes stream = Join({Record(0x8050, {0}), inner, Record(0x4050), Record(0x09, {4})});
    UseImage(stream);
    ASSERT_EQ(Next().opcode, 0x8050);
    ASSERT_EQ(SkipBlock(HFILE_ERROR, BlockEndOpcode(0x8050)), 0);
    Read after = Next();
    EXPECT_EQ(after.result, 0);
    EXPECT_EQ(after.opcode, 0x09);
    EXPECT_EQ(RecordData()[0], 4);

    // A block whose end marker never comes fails at the end of the stream.
    EndMemoryStream();
    GlobalFree(image_);
    UseImage(Join({Record(0x8050), inner}));
    ASSERT_EQ(Next().opcode, 0x8050);
    EXPECT_EQ(SkipBlock(HFILE_ERROR, 0x4050), ErrStreamShortRead);

    EXPECT_EQ(BlockEndOpcode(0x8001), 0x4001);
    EXPECT_EQ(BlockEndOpcode(0x8022), 0x4022);
}

TEST_F(RecordStream, WritesBareZeroLengthAndDataRecordsToFile)
{
    HFILE file = OpenTestFile(CREATE_ALWAYS, GENERIC_READ | GENERIC_WRITE);
    const BYTE data[] = {0, 10};
    ASSERT_EQ(WriteRecord(file, 0x4020, 0, nullptr), 0);
    ASSERT_EQ(WriteRecord(file, 0x0801, 0, nullptr), 0);
    ASSERT_EQ(WriteRecord(file, 0x29, sizeof(data), data), 0);
    EXPECT_EQ(FileBytes(), Join({Record(0x4020), Record(0x0801), Record(0x29, {0, 10})}));
    EXPECT_EQ(FileBytes().size(), 2u + 6u + 8u);

    // A file open only for reading takes no record.
    CloseHandle(file_);
    file = OpenTestFile(OPEN_EXISTING, GENERIC_READ);
    EXPECT_EQ(WriteRecord(file, 0x0801, 0, nullptr), ErrStreamShortWrite);
}

TEST_F(RecordStream, MemoryImageGrowsInStepsAndIsShrunkToItsLength)
{
    ASSERT_EQ(BeginMemoryImageWrite(), 0);
    EXPECT_EQ(MemoryStreamPosition(), 4u);
    ASSERT_EQ(AppendMemoryBytes("VEXLORFM", 8), 8);
    const Bytes data = Pattern(70000);
    ASSERT_EQ(WriteRecord(HFILE_ERROR, 0x8001, 12, data.data()), 0);
    ASSERT_EQ(WriteRecord(HFILE_ERROR, 0x47, 40000, data.data()), 0);
    EXPECT_EQ(GlobalSize(MemoryStreamImage()), 65536u);
    // The first append that does not fit grows the image by one step.
    ASSERT_EQ(WriteRecord(HFILE_ERROR, 0x48, 30000, data.data()), 0);
    EXPECT_EQ(GlobalSize(MemoryStreamImage()), 131072u);
    ASSERT_EQ(WriteRecord(HFILE_ERROR, 0x47, 62000, data.data()), 0);
    EXPECT_EQ(GlobalSize(MemoryStreamImage()), 196608u);
    ASSERT_EQ(WriteRecord(HFILE_ERROR, 0x4001, 0, nullptr), 0);

    DWORD total = 0;
    image_ = EndMemoryImageWrite(TRUE, &total);
    ASSERT_NE(image_, nullptr);
    const DWORD expected = 4 + 8 + (6 + 12) + (6 + 40000) + (6 + 30000) + (6 + 62000) + 2;
    EXPECT_EQ(total, expected);
    EXPECT_EQ(GlobalSize(image_), expected);
    EXPECT_FALSE(MemoryStreamActive());

    // The image reads back through its own first u32.
    auto* base = static_cast<BYTE*>(GlobalLock(image_));
    DWORD stored = 0;
    memcpy(&stored, base, 4);
    EXPECT_EQ(stored, expected);
    EXPECT_EQ(memcmp(base + 4, "VEXLORFM", 8), 0);
    GlobalUnlock(image_);
    BeginMemoryStream(image_, stored);
    BYTE signature[8];
    ASSERT_EQ(ReadMemoryBytes(signature, 8), 8);
    for (WORD opcode : {0x8001, 0x47, 0x48, 0x47, 0x4001}) {
        Read r = Next();
        ASSERT_EQ(r.result, 0);
        EXPECT_EQ(r.opcode, opcode);
    }
    EXPECT_EQ(memcmp(RecordData(), data.data(), 62000), 0);
    EXPECT_EQ(Next().result, ErrStreamShortRead);
}

TEST_F(RecordStream, FailedImageWriteHandsBackNothing)
{
    ASSERT_EQ(BeginMemoryImageWrite(), 0);
    ASSERT_EQ(WriteRecord(HFILE_ERROR, 0x0801, 0, nullptr), 0);
    DWORD total = 12345;
    EXPECT_EQ(EndMemoryImageWrite(FALSE, &total), nullptr);
    EXPECT_EQ(total, 12345u);
    EXPECT_FALSE(MemoryStreamActive());
}

TEST(ScaleFromFileUnits, TruncatesTowardZeroAndKeepsSixHundred)
{
    struct Case {
        INT32 value;
        int resolution;
        INT32 expected;
    };
    const Case cases[] = {
        {7, 300, 14},
        {-7, 300, -14},
        {-7, 1200, -3},
        {7, 1200, 3},
        {5, 72, 41},               // 41.67 truncated
        {100000, 600, 100000},     // outside i16, unchanged at 600
        {-2000000000, 600, -2000000000},
        {1234, 600 + 65536, 1234}, // the resolution is taken as u16
        {0x7FFFFFFF, 300, 0x7FFFFFFF},
        {(INT32)0x80000000, 1, (INT32)0x80000000},
        {9, 0, 9},                 // refused by the readers first; never a division by zero
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.value << " at " << c.resolution);
        EXPECT_EQ(ScaleFromFileUnits(c.value, c.resolution), c.expected);
    }
}

}  // namespace
