// Foreign face names mapped onto a font list, and the font table written and read through a
// memory image: slots by face name, free slots, slots outside the table and damaged records.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "documents/document_state.h"
#include "documents/font_table.h"
#include "documents/record_stream.h"
#include "font_test_lists.h"

namespace {

constexpr int kRoman = 0x12, kSwiss = 0x22, kModern = 0x31, kDecorative = 0x52;

TEST(MapForeignFontName, RulesSearchesAndFallbacks)
{
    const std::vector<TestFace> common = {{"Times New Roman", 0, kRoman, 2}, {"Verdana", 0, kSwiss, 2},
                                          {"Arial", 0, kSwiss, 2},           {"Wingdings", 2, kDecorative, 2},
                                          {"Courier New", 0, kModern, 2},    {"Marlett", 2, kRoman, 2}};
    const std::vector<TestFace> noSwissNoDecorative = {{"Times New Roman", 0, kRoman, 2}, {"Sym One", 2, kRoman, 2},
                                                       {"Courier New", 0, kModern, 2},    {"Sym Two", 2, kRoman, 2}};
    const std::vector<TestFace> systemFirst = {{"Times New Roman", 0, kRoman, 2}, {"System", 0, kSwiss, 0},
                                               {"Arial", 0, kRoman, 2}};
    const std::vector<TestFace> systemNoArial = {{"Times New Roman", 0, kRoman, 2}, {"SYSTEM", 0, kSwiss, 0}};
    struct Case {
        const char* face;
        const std::vector<TestFace>* list;
        int defaultIndex;
        int expected;
        const char* nameAfter;
    };
    const Case cases[] = {
        {"Helvetica", &common, 0, 2, "Arial"},
        {"arial", &common, 0, 2, "arial"},                 // found under its own name
        {"GENEVA", &common, 0, 1, "GENEVA"},               // first swiss face of set 0
        {"geneva", &noSwissNoDecorative, 0, 2, "geneva"},  // else the last face of set 0
        {"Zapf Dingbats", &common, 0, 3, "Monotype Sorts"},
        {"Zapf Dingbats", &noSwissNoDecorative, 0, 3, "Monotype Sorts"},
        {"Times", &noSwissNoDecorative, 0, 0, "Times New Roman"},
        {"Courier", &common, 0, 4, "Courier"},             // the modern face
        {"Frobnitz", &common, 0, 0, "Frobnitz"},           // unknown: roman, set 0
        {"mobile", &systemNoArial, 0, 0, "mobile"},        // no symbol face: "Arial" missing, default
        {"toronto", &systemFirst, 0, 2, "toronto"},        // the search ended on "System": Arial
        {"los angeles", &systemNoArial, 0, 0, "los angeles"},
        {"monaco", &systemNoArial, 1, 1, "monaco"},        // ends on "System", no "Arial": default
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.face);
        HGLOBAL list = MakeFontList(*c.list, c.defaultIndex);
        char face[LF_FACESIZE];
        lstrcpynA(face, c.face, LF_FACESIZE);
        EXPECT_EQ(MapForeignFontName(list, face), c.expected);
        EXPECT_STREQ(face, c.nameAfter);
        GlobalFree(list);
    }
}

using Bytes = std::vector<BYTE>;

class FontTable : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(BeginRecordBuffer(), 0); }
    void TearDown() override
    {
        EndMemoryStream();
        EndRecordBuffer();
        for (HGLOBAL block : {image_, state_.fontMap, state_.fontList}) {
            if (block) GlobalFree(block);
        }
    }

    // Writes records into a fresh image with `write`, then makes the image the source again.
    template <typename Write>
    void Image(Write write)
    {
        ASSERT_EQ(BeginMemoryImageWrite(), 0);
        write();
        DWORD total = 0;
        image_ = EndMemoryImageWrite(TRUE, &total);
        ASSERT_NE(image_, nullptr);
        BeginMemoryStream(image_, total);
    }
    static void Slot(INT16 slot, WORD charset, const char* face, DWORD length = 0)
    {
        Bytes record(4 + strlen(face) + 1, 0);
        memcpy(record.data(), &slot, 2);
        memcpy(record.data() + 2, &charset, 2);
        memcpy(record.data() + 4, face, strlen(face) + 1);
        ASSERT_EQ(WriteRecord(HFILE_ERROR, 7, length ? length : (DWORD)record.size(), record.data()), 0);
    }
    static void Count(INT16 n) { ASSERT_EQ(WriteRecord(HFILE_ERROR, 0x8006, 2, &n), 0); }
    static void End(WORD opcode) { ASSERT_EQ(WriteRecord(HFILE_ERROR, opcode, 0, nullptr), 0); }
    // Reads the table that opens the image.
    int Read()
    {
        WORD opcode = 0;
        DWORD length = 0;
        EXPECT_EQ(ReadRecord(HFILE_ERROR, &opcode, &length), 0);
        EXPECT_EQ(opcode, 0x8006);
        return ReadFontTable(HFILE_ERROR, nullptr, &state_);
    }

    DocumentState state_{};
    HGLOBAL image_ = nullptr;
};

TEST_F(FontTable, WrittenSlotsAreFoundByNameInAnotherList)
{
    state_.fontList = MakeFontList({{"Arial", 0, kSwiss, 2}, {"Times New Roman", 0, kRoman, 2}, {"Courier New", 0, kModern, 2}});
    state_.fontMap = MakeFontMap({0, -1, 2});
    Image([&] { ASSERT_EQ(WriteFontTable(HFILE_ERROR, &state_), 0); });

    // 0x8006 (3), record 7 for slots 0 and 2 only, 0x4006.
    Bytes expected = {0x06, 0x80, 2, 0, 0, 0, 3, 0, 7, 0, 10, 0, 0, 0, 0, 0, 0, 0, 'A', 'r', 'i', 'a', 'l', 0,
                      7, 0, 16, 0, 0, 0, 2, 0, 0, 0, 'C', 'o', 'u', 'r', 'i', 'e', 'r', ' ', 'N', 'e', 'w', 0,
                      0x06, 0x40};
    auto* base = static_cast<BYTE*>(GlobalLock(image_));
    EXPECT_EQ(Bytes(base + 4, base + 4 + expected.size()), expected);
    GlobalUnlock(image_);

    GlobalFree(state_.fontList);
    state_.fontList = MakeFontList({{"Courier New", 0, kModern, 2}, {"Times New Roman", 0, kRoman, 2}, {"Arial", 0, kSwiss, 2}});
    GlobalFree(state_.fontMap);
    state_.fontMap = MakeFontMap({1, 1, 1, 1, 1, 1});
    ASSERT_EQ(Read(), 0);
    EXPECT_EQ(ReadMap(state_.fontMap), (std::vector<INT32>{2, -1, 0}));
}

TEST_F(FontTable, ForeignFacesFreeSlotsAndDamagedRecords)
{
    state_.fontList = MakeFontList({{"Times New Roman", 0, kRoman, 2}, {"Arial", 0, kSwiss, 2}, {"Arial", 238, kSwiss, 2}});
    Image([&] {
        Count(3);
        Slot(0, 0, "Helvetica");
        Slot(5, 0, "Arial");                      // beyond the table: dropped
        Slot(-1, 0, "Arial");
        Slot(1, 0, "Arial", 3);                   // too short for slot and set: dropped
        ASSERT_EQ(WriteRecord(HFILE_ERROR, 0x8070, 0, nullptr), 0);
        Slot(1, 0, "Arial");                      // inside an unknown block: skipped with it
        End(0x4070);
        ASSERT_EQ(WriteRecord(HFILE_ERROR, 0x33, 0, nullptr), 0);
        Slot(2, 238, "Arial");
        End(0x4006);
        End(0x0801);
    });
    ASSERT_EQ(Read(), 0);
    EXPECT_EQ(ReadMap(state_.fontMap), (std::vector<INT32>{1, -1, 2}));
    WORD opcode = 0;
    DWORD length = 0;
    ASSERT_EQ(ReadRecord(HFILE_ERROR, &opcode, &length), 0);
    EXPECT_EQ(opcode, 0x0801);   // the reader stopped at the table's end
}

TEST_F(FontTable, UnterminatedNamesNegativeCountsAndShortStreams)
{
    state_.fontList = MakeFontList({{"Times New Roman", 0, kRoman, 2}, {"Arial", 0, kSwiss, 2}}, 0);
    const std::string longName(40, 'x');
    Image([&] {
        Count(2);
        // A name of 40 characters whose record ends before its terminator.
        Slot(1, 0, longName.c_str(), 4 + 40);
        End(0x4006);
        Count(-5);
        Slot(0, 0, "Arial");
        End(0x4006);
        Count(4);
        Slot(0, 0, "Arial");
    });
    ASSERT_EQ(Read(), 0);
    EXPECT_EQ(ReadMap(state_.fontMap), (std::vector<INT32>{-1, 0}));   // an unknown name: the roman face
    ASSERT_EQ(Read(), 0);
    EXPECT_TRUE(ReadMap(state_.fontMap).empty());
    EXPECT_EQ(Read(), ErrStreamShortRead);
}

TEST_F(FontTable, EmptyMapWritesCountZeroAndNoSlots)
{
    state_.fontMap = MakeFontMap({});
    Image([&] { ASSERT_EQ(WriteFontTable(HFILE_ERROR, &state_), 0); });
    auto* base = static_cast<BYTE*>(GlobalLock(image_));
    const Bytes expected = {0x06, 0x80, 2, 0, 0, 0, 0, 0, 0x06, 0x40};
    EXPECT_EQ(Bytes(base + 4, base + 4 + expected.size()), expected);
    DWORD total = 0;
    memcpy(&total, base, 4);
    EXPECT_EQ(total, 4 + expected.size());
    GlobalUnlock(image_);
}

TEST_F(FontTable, HelveticaIsArialOnThisMachine)
{
    state_.fontList = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(FontListHead));
    HDC screen = GetDC(nullptr);
    ASSERT_EQ(BuildFontList(nullptr, screen, state_.fontList), 0);
    ReleaseDC(nullptr, screen);
    Image([&] {
        Count(1);
        Slot(0, 0, "Helvetica");
        End(0x4006);
    });
    ASSERT_EQ(Read(), 0);
    char face[LF_FACESIZE];
    int charset = -1;
    GetFontFaceName(state_.fontList, state_.fontMap, 0, face, &charset);
    EXPECT_STREQ(face, "Arial");
    EXPECT_EQ(charset, 0);
}

}  // namespace
