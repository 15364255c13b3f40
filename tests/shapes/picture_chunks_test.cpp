// Picture data stored as runs of chunk records and joined back: chunk sizes and layout, round
// trips, and damaged runs that must fail without reading past a record.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "shapes/picture_chunks.h"
#include "store/block_store.h"
#include "support/temp_folder.h"

namespace {

class PictureChunks : public ::testing::Test {
protected:
    // The store directory is the process's own (made once before any test); a test that made
    // and freed its own would pull it from under every test that runs after it.
    void SetUp() override
    {
        ASSERT_FALSE(folder_.path().empty());
        const std::string path = folder_.File("pictures.vxs");
        ASSERT_EQ(0, CreateStoreFile(path.c_str(), 0, 6, 200));
        int version = 0;
        ASSERT_EQ(0, OpenStoreFile(path.c_str(), &slot_, 0, &version, FALSE));
        ASSERT_EQ(0, AddRecordType(slot_, kBitmapChunkType));
        ASSERT_EQ(0, AddRecordType(slot_, kMetafileChunkType));
    }
    void TearDown() override
    {
        if (slot_ >= 0)
            CloseStore(slot_);
        slot_ = -1;
    }

    // Stores `size` bytes of a counting pattern with `colors` colours.
    int Store(int type, DWORD size, int colors, int* first, int* count, int flags = 0x20)
    {
        data_ = std::vector<BYTE>(size);
        for (DWORD i = 0; i < size; ++i)
            data_[i] = static_cast<BYTE>(i * 7 + i / 251);
        colors_.assign(colors, 0);
        for (int i = 0; i < colors; ++i)
            colors_[i] = RGB(i, 255 - i, i / 2);
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
        std::memcpy(GlobalLock(block), data_.data(), size);
        GlobalUnlock(block);
        const RECT frame{-10, 20, 1500, 40000};
        const int result = StorePictureChunks(slot_, type, block, size, &frame, first, count,
                                              colors, colors_.data(), flags);
        GlobalFree(block);
        return result;
    }

    // The chunk record's bytes.
    std::vector<BYTE> Chunk(int type, int id)
    {
        HGLOBAL block = nullptr;
        EXPECT_EQ(0, LoadRecord(slot_, type, id, &block));
        const LONG size = GetBlockSize(block);
        const BYTE* p = static_cast<const BYTE*>(GlobalLock(block));
        std::vector<BYTE> bytes(p, p + size);
        GlobalUnlock(block);
        return bytes;
    }

    // Patches the loaded (cached) chunk record, as a damaged file would have it.
    template <typename T>
    void Patch(int type, int id, int offset, T value)
    {
        HGLOBAL block = nullptr;
        ASSERT_EQ(0, LoadRecord(slot_, type, id, &block));
        BYTE* p = static_cast<BYTE*>(GlobalLock(block));
        std::memcpy(p + offset, &value, sizeof value);
        GlobalUnlock(block);
    }

    int Load(int type, int first, int count, HGLOBAL* data, bool withColors = true)
    {
        loadedColors_.assign(256, 0xABCDEF);
        return LoadPictureChunks(slot_, type, first, count, data, &frame_, &colorCount_,
                                 withColors ? loadedColors_.data() : nullptr, &flags_, &size_);
    }

    template <typename T>
    static T At(const std::vector<BYTE>& bytes, int offset)
    {
        T v;
        std::memcpy(&v, bytes.data() + offset, sizeof v);
        return v;
    }

    TempFolder folder_;
    int slot_ = -1;
    std::vector<BYTE> data_;
    std::vector<COLORREF> colors_, loadedColors_;
    RECT frame_{};
    int colorCount_ = -1, flags_ = -1;
    DWORD size_ = 0;
};

TEST_F(PictureChunks, ColourTableAndDataFillChunksOfSixtyThousandBytes)
{
    struct Case {
        DWORD size;
        int colors;
        std::vector<int> payloads;
    };
    const Case cases[] = {
        {59000, 250, {60000}},
        {59001, 250, {60000, 1}},
        {200000, 0, {60000, 60000, 60000, 20000}},
        {10, 3, {22}},
    };
    for (const Case& c : cases) {
        int first = -1, count = -1;
        ASSERT_EQ(0, Store(kMetafileChunkType, c.size, c.colors, &first, &count));
        ASSERT_EQ(static_cast<int>(c.payloads.size()), count);
        for (int i = 0; i < count; ++i) {
            const std::vector<BYTE> chunk = Chunk(kMetafileChunkType, first + i);
            ASSERT_EQ(static_cast<size_t>(110 + c.payloads[i]), chunk.size()) << i;
            EXPECT_EQ(c.payloads[i], At<WORD>(chunk, 16));
            EXPECT_EQ(i == 0 ? 1 : 0, At<short>(chunk, 18));
            EXPECT_EQ(-10, At<short>(chunk, 20));
            EXPECT_EQ(20, At<short>(chunk, 22));
            EXPECT_EQ(1500, At<short>(chunk, 24));
            EXPECT_EQ(static_cast<short>(40000), At<short>(chunk, 26)); // cut to 16 bits
            EXPECT_EQ(0, At<short>(chunk, 28));
            EXPECT_EQ(0x20, At<WORD>(chunk, 94));
            EXPECT_EQ(i == 0 ? c.colors : 0, At<short>(chunk, 96));
            for (int z = 98; z < 110; ++z)
                EXPECT_EQ(0, chunk[z]);
        }
        // The colour table lies whole in the first chunk, the data follows it in order.
        const std::vector<BYTE> head = Chunk(kMetafileChunkType, first);
        EXPECT_EQ(0, std::memcmp(head.data() + 110, colors_.data(), 4 * c.colors));
        EXPECT_EQ(0, std::memcmp(head.data() + 110 + 4 * c.colors, data_.data(),
                                 c.payloads[0] - 4 * c.colors));
        if (count > 1) {
            const std::vector<BYTE> last = Chunk(kMetafileChunkType, first + count - 1);
            EXPECT_EQ(0, std::memcmp(last.data() + 110, data_.data() + c.size - c.payloads.back(),
                                     c.payloads.back()));
        }
    }
}

TEST_F(PictureChunks, RunsOccupyConsecutiveFreeIdsAndLoadBack)
{
    int first1, count1, first2, count2;
    ASSERT_EQ(0, Store(kBitmapChunkType, 200000, 0, &first1, &count1, 0));
    ASSERT_EQ(0, Store(kBitmapChunkType, 130000, 12, &first2, &count2, 0x18));
    EXPECT_EQ(4, count1);
    EXPECT_EQ(first1 + 4, first2);
    EXPECT_EQ(3, count2);

    HGLOBAL data = nullptr;
    ASSERT_EQ(0, Load(kBitmapChunkType, first2, count2, &data));
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(130000u, size_);
    EXPECT_EQ(130000u, GlobalSize(data));
    EXPECT_EQ(0, std::memcmp(GlobalLock(data), data_.data(), 130000));
    GlobalUnlock(data);
    GlobalFree(data);
    EXPECT_EQ(12, colorCount_);
    EXPECT_EQ(0, std::memcmp(loadedColors_.data(), colors_.data(), 12 * 4));
    EXPECT_EQ(0xABCDEFu, loadedColors_[12]);
    EXPECT_EQ(0x18, flags_);
    EXPECT_EQ(-10, frame_.left);
    EXPECT_EQ(1500, frame_.right);
    EXPECT_EQ(static_cast<short>(40000), frame_.bottom); // sign-extended as stored

    // Without a colour table the count still comes back and the data is the same.
    ASSERT_EQ(0, Load(kBitmapChunkType, first2, count2, &data, false));
    EXPECT_EQ(12, colorCount_);
    EXPECT_EQ(130000u, size_);
    GlobalFree(data);
}

TEST_F(PictureChunks, OnlyTheFirstChunkGivesFrameColoursAndFlags)
{
    int first, count;
    ASSERT_EQ(0, Store(kMetafileChunkType, 70000, 2, &first, &count));
    // A later chunk with a first-chunk mark and colours of its own changes nothing.
    Patch<short>(kMetafileChunkType, first + 1, 18, 1);
    Patch<short>(kMetafileChunkType, first + 1, 96, 2);
    Patch<short>(kMetafileChunkType, first + 1, 20, 999);
    HGLOBAL data = nullptr;
    ASSERT_EQ(0, Load(kMetafileChunkType, first, count, &data));
    EXPECT_EQ(70000u, size_);
    EXPECT_EQ(-10, frame_.left);
    EXPECT_EQ(0, std::memcmp(GlobalLock(data), data_.data(), 70000));
    GlobalUnlock(data);
    GlobalFree(data);
}

TEST_F(PictureChunks, APictureWithoutDataIsARunOfNoChunks)
{
    for (int type : {kBitmapChunkType, kMetafileChunkType}) {
        int first = -1, count = -1;
        ASSERT_EQ(0, Store(type, 0, 0, &first, &count)) << type;
        EXPECT_EQ(0, count);
        EXPECT_GE(first, 0);
        EXPECT_LE(first, 32767);
        HGLOBAL data = nullptr;
        frame_ = RECT{1, 2, 3, 4};
        ASSERT_EQ(0, Load(type, first, count, &data)) << type;
        ASSERT_NE(nullptr, data);
        EXPECT_EQ(0u, size_);
        EXPECT_EQ(3, frame_.right);   // no chunk gives a frame
        GlobalFree(data);
    }
}

TEST_F(PictureChunks, DamagedOrMissingRunsFailWithNothingReturned)
{
    int first, count;
    ASSERT_EQ(0, Store(kMetafileChunkType, 130000, 4, &first, &count));
    ASSERT_EQ(3, count);
    struct Case {
        const char* what;
        int id, offset, value;
        int result;
    };
    const Case cases[] = {
        {"payload beyond its record", 1, 16, 60001, 3},
        {"payload beyond a short record", 2, 16, 20000, 3},
        {"colour table beyond 256", 0, 96, 257, 3},
        {"negative colour count", 0, 96, -1, 3},
    };
    for (const Case& c : cases) {
        const std::vector<BYTE> saved = Chunk(kMetafileChunkType, first + c.id);
        Patch<WORD>(kMetafileChunkType, first + c.id, c.offset, static_cast<WORD>(c.value));
        HGLOBAL data = reinterpret_cast<HGLOBAL>(1);
        EXPECT_EQ(c.result, Load(kMetafileChunkType, first, count, &data)) << c.what;
        EXPECT_EQ(nullptr, data) << c.what;
        Patch<WORD>(kMetafileChunkType, first + c.id, c.offset, At<WORD>(saved, c.offset));
    }

    // A colour table larger than the first chunk's payload.
    int f2, n2;
    ASSERT_EQ(0, Store(kMetafileChunkType, 8, 4, &f2, &n2));
    Patch<short>(kMetafileChunkType, f2, 96, 10); // 40 colour bytes in a 24-byte payload
    HGLOBAL data = nullptr;
    EXPECT_EQ(3, Load(kMetafileChunkType, f2, n2, &data));
    EXPECT_EQ(nullptr, data);

    // A chunk missing in the middle; runs that cannot exist.
    HGLOBAL middle = nullptr;
    ASSERT_EQ(0, LoadRecord(slot_, kMetafileChunkType, first + 1, &middle));
    ASSERT_EQ(0, DeleteRecord(middle));
    GlobalFree(middle);
    EXPECT_EQ(11, Load(kMetafileChunkType, first, count, &data));
    EXPECT_EQ(nullptr, data);
    EXPECT_EQ(11, Load(kMetafileChunkType, -1, 2, &data));
    EXPECT_EQ(11, Load(kMetafileChunkType, 32767, 2, &data));
    EXPECT_EQ(11, Load(kMetafileChunkType, 0, 0x7FFFFFFF, &data));
}

} // namespace
