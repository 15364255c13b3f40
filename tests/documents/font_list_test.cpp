// Font lists of a real device and of prepared faces, and the document font map: slots found,
// reused and grown, moved to another list and merged from pasted text.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "font_test_lists.h"
#include "text/font_list.h"

namespace {

class FontListTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetFontWindowsVersion(0);
        for (HGLOBAL block : blocks_) GlobalFree(block);
    }
    HGLOBAL Keep(HGLOBAL block)
    {
        blocks_.push_back(block);
        return block;
    }
    HGLOBAL Built()
    {
        HGLOBAL list = Keep(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(FontListHead)));
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(BuildFontList(nullptr, screen, list), 0);
        ReleaseDC(nullptr, screen);
        return list;
    }

    std::vector<HGLOBAL> blocks_;
};

std::vector<std::pair<std::string, int>> Faces(HGLOBAL list)
{
    std::vector<std::pair<std::string, int>> out;
    auto* head = static_cast<FontListHead*>(GlobalLock(list));
    for (int i = 0; i < head->count; ++i) {
        const FontListEntry& entry = FontListEntries(head)[i];
        out.emplace_back(entry.logFont.lfFaceName, entry.logFont.lfCharSet);
    }
    GlobalUnlock(list);
    return out;
}

TEST_F(FontListTest, DeviceFacesListedOncePerCharacterSetAndMeasured)
{
    HGLOBAL list = Built();
    const auto faces = Faces(list);
    std::set<std::pair<std::string, int>> unique(faces.begin(), faces.end());
    EXPECT_EQ(unique.size(), faces.size());
    for (const char* face : {"Arial", "Times New Roman", "Courier New"}) {
        SCOPED_TRACE(face);
        int index = FindFontByFaceAndCharset(list, face, 0);
        ASSERT_GE(index, 0);
        EXPECT_GE(FindFontByFace(list, face), 0);
        EXPECT_LE(FindFontByFace(list, face), index);
    }
    int arialSets = 0;
    for (const auto& [face, charset] : faces) arialSets += face == "Arial";
    EXPECT_GT(arialSets, 1);

    auto* head = static_cast<FontListHead*>(GlobalLock(list));
    const FontListEntry* entries = FontListEntries(head);
    // The default is the first TrueType face of character set 0.
    int expectedDefault = -1;
    for (int i = 0; i < head->count && expectedDefault < 0; ++i) {
        if (entries[i].logFont.lfCharSet == 0 && entries[i].kind == kFontKindTrueType) expectedDefault = i;
    }
    EXPECT_EQ(head->defaultIndex, expectedDefault);
    EXPECT_EQ(GetDefaultFontIndex(list), expectedDefault);
    EXPECT_EQ(entries[0].heightAtSize1, 16);
    EXPECT_EQ(entries[0].averageWidth, 0);
    // The later entries were measured at height 1 on the screen: most give less than 16 (a
    // raster face may have no smaller size).
    int measured = 0;
    for (int i = 0; i < head->count; ++i) {
        EXPECT_EQ(entries[i].cacheIndex, -1);
        EXPECT_LE(entries[i].heightAtSize1, 16);
        EXPECT_GE(entries[i].heightAtSize1, 0);
        measured += i > 0 && entries[i].heightAtSize1 < 16;
    }
    EXPECT_GT(measured, (head->count - 1) / 2);
    GlobalUnlock(list);
    EXPECT_TRUE(g_trueTypeFound);
}

TEST_F(FontListTest, OlderSystemsListEachFaceOnceAndNeverMatchByCharacterSet)
{
    SetFontWindowsVersion(3);
    HGLOBAL list = Built();
    const auto faces = Faces(list);
    std::set<std::string> names;
    for (const auto& [face, charset] : faces) {
        std::string lower = face;
        for (char& c : lower) c = (char)tolower((unsigned char)c);
        names.insert(lower);
    }
    EXPECT_EQ(names.size(), faces.size());
    EXPECT_GE(FindFontByFace(list, "Arial"), 0);
    EXPECT_EQ(FindFontByFaceAndCharset(list, "Arial", 0), -1);
}

TEST_F(FontListTest, NoFacesGiveTheSystemEntry)
{
    // Nothing is enumerated without a device.
    HGLOBAL list = Keep(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(FontListHead)));
    ASSERT_EQ(BuildFontList(nullptr, nullptr, list), 0);
    auto* head = static_cast<FontListHead*>(GlobalLock(list));
    ASSERT_EQ(head->count, 1);
    EXPECT_EQ(head->defaultIndex, 0);
    const FontListEntry& entry = FontListEntries(head)[0];
    EXPECT_STREQ(entry.logFont.lfFaceName, "System");
    EXPECT_EQ(entry.logFont.lfHeight, 12);
    EXPECT_EQ(entry.logFont.lfWidth, 6);
    EXPECT_EQ(entry.logFont.lfWeight, 400);
    EXPECT_EQ(entry.logFont.lfPitchAndFamily, 0x22);
    EXPECT_EQ(entry.heightAtSize1, 12);
    EXPECT_EQ(entry.kind, kFontKindRaster);
    EXPECT_EQ(entry.cacheIndex, -1);
    GlobalUnlock(list);
    EXPECT_FALSE(g_trueTypeFound);
}

TEST_F(FontListTest, CallbacksPassOverKnownFacesAndStopAtTheLimit)
{
    HGLOBAL list = Keep(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(FontListHead)));
    LOGFONTA face{};
    lstrcpyA(face.lfFaceName, "Arial");
    EXPECT_EQ(ExamineFontFamilies(&face, nullptr, TRUETYPE_FONTTYPE, (LPARAM)list), 1);
    face.lfCharSet = 238;
    EXPECT_EQ(ExamineFontFamilies(&face, nullptr, TRUETYPE_FONTTYPE, (LPARAM)list), 1);
    lstrcpyA(face.lfFaceName, "ARIAL");
    EXPECT_EQ(ExamineFontFamilies(&face, nullptr, TRUETYPE_FONTTYPE, (LPARAM)list), 1);   // passed over
    EXPECT_EQ(ExamineFonts(&face, nullptr, TRUETYPE_FONTTYPE, (LPARAM)list), 1);          // by name alone
    lstrcpyA(face.lfFaceName, "Fixedsys");
    EXPECT_EQ(ExamineFonts(&face, nullptr, RASTER_FONTTYPE, (LPARAM)list), 1);
    lstrcpyA(face.lfFaceName, "Modern");
    EXPECT_EQ(ExamineFonts(&face, nullptr, DEVICE_FONTTYPE, (LPARAM)list), 1);
    auto faces = Faces(list);
    ASSERT_EQ(faces.size(), 4u);
    EXPECT_EQ(faces[1], std::make_pair(std::string("Arial"), 238));
    {
        auto* head = static_cast<FontListHead*>(GlobalLock(list));
        EXPECT_EQ(FontListEntries(head)[0].kind, kFontKindTrueType);
        EXPECT_EQ(FontListEntries(head)[2].kind, kFontKindRaster);
        EXPECT_EQ(FontListEntries(head)[3].kind, kFontKindVector);
        EXPECT_EQ(FontListEntries(head)[3].heightAtSize1, 16);
        EXPECT_EQ(FontListEntries(head)[3].cacheIndex, -1);
        GlobalUnlock(list);
    }

    // The newer callback stops before the count reaches 1100, the older one at 1100.
    HGLOBAL full = Keep(MakeFontList(std::vector<TestFace>(1098, TestFace{"F", 0, 0x10, 2})));
    lstrcpyA(face.lfFaceName, "One");
    EXPECT_EQ(ExamineFontFamilies(&face, nullptr, 0, (LPARAM)full), 1);
    lstrcpyA(face.lfFaceName, "Two");
    EXPECT_EQ(ExamineFontFamilies(&face, nullptr, 0, (LPARAM)full), 0);
    EXPECT_EQ(ExamineFonts(&face, nullptr, 0, (LPARAM)full), 1);
    lstrcpyA(face.lfFaceName, "Three");
    EXPECT_EQ(ExamineFonts(&face, nullptr, 0, (LPARAM)full), 0);
    EXPECT_EQ(Faces(full).size(), 1100u);
    EXPECT_EQ(ExamineFonts(&face, nullptr, 0, 0), 0);
}

TEST_F(FontListTest, FacesBySlotIndexAndName)
{
    HGLOBAL list = Keep(MakeFontList({{"Arial", 0, 0x22, 2}, {"Arial", 238, 0x22, 2}, {"Symbol", 2, 0x52, 2}}, 0));
    HGLOBAL map = Keep(MakeFontMap({2, -1, 7, 1}));
    EXPECT_EQ(FindFontByFace(list, "aRiAl"), 0);
    EXPECT_EQ(FindFontByFace(list, "Wingdings"), -1);
    EXPECT_EQ(FindFontByFace(nullptr, "Arial"), -1);
    EXPECT_EQ(FindFontByFaceAndCharset(list, "ARIAL", 238), 1);
    EXPECT_EQ(FindFontByFaceAndCharset(list, "Symbol", 0), -1);

    struct Case {
        HGLOBAL map;
        int slot;
        const char* face;
        int charset;
    };
    const Case cases[] = {
        {map, 0, "Symbol", 2},   {map, 1, "", 0},      // a free slot names no face
        {map, 2, "", 0},                                // an index beyond the list
        {map, 3, "Arial", 238},  {map, 4, "Arial", 0}, // slots outside the map give index 0
        {map, -1, "Arial", 0},   {nullptr, 1, "Arial", 238},
        {nullptr, 3, "", 0},     {nullptr, -1, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "slot " << c.slot << (c.map ? " through the map" : ""));
        char face[LF_FACESIZE] = "junk";
        int charset = 99;
        GetFontFaceName(list, c.map, c.slot, face, &charset);
        EXPECT_STREQ(face, c.face);
        EXPECT_EQ(charset, c.charset);
    }
}

TEST_F(FontListTest, DocumentSlotsAreFoundReusedAndGrown)
{
    HGLOBAL map = Keep(MakeFontMap({4, -1, 6, -1}));
    EXPECT_EQ(MapDocumentFont(map, 6), 2);
    EXPECT_EQ(MapDocumentFont(map, 9), 1);   // the first free slot
    EXPECT_EQ(MapDocumentFont(map, 3), 3);
    SIZE_T before = GlobalSize(map);
    EXPECT_EQ(MapDocumentFont(map, 8), 4);   // appended; the block grows by four slots
    EXPECT_EQ(GlobalSize(map), before + 16);
    EXPECT_EQ(MapDocumentFont(map, 5), 5);
    EXPECT_EQ(GlobalSize(map), before + 16);
    EXPECT_EQ(ReadMap(map), (std::vector<INT32>{4, 9, 6, 3, 8, 5}));
    EXPECT_EQ(MapDocumentFont(nullptr, 1), -1);
    // A negative index is no font: no slot is handed out that would still look free.
    EXPECT_EQ(MapDocumentFont(map, -1), -1);
    EXPECT_EQ(ReadMap(map).size(), 6u);

    // A map whose count claims more slots than its block holds is used only as far as it goes.
    HGLOBAL damaged = Keep(MakeFontMap({1, 2}));
    auto* head = static_cast<FontMapHead*>(GlobalLock(damaged));
    head->count = 1000000;
    GlobalUnlock(damaged);
    EXPECT_EQ(MapDocumentFont(damaged, 2), 1);
    char face[LF_FACESIZE];
    int charset = 0;
    GetFontFaceName(Keep(MakeFontList({{"Arial", 0, 0x22, 2}})), damaged, 500000, face, &charset);
    EXPECT_STREQ(face, "Arial");
}

TEST_F(FontListTest, SlotsMoveToAnotherListAndPastedMapsMerge)
{
    HGLOBAL oldList = Keep(MakeFontList({{"Arial", 0, 0x22, 2}, {"Gone", 0, 0x12, 2}, {"Arial", 238, 0x22, 2},
                                         {"Times New Roman", 0, 0x12, 2}}));
    HGLOBAL newList = Keep(MakeFontList({{"Times New Roman", 0, 0x12, 2}, {"Arial", 0, 0x22, 2}, {"ARIAL", 161, 0x22, 2}}, 1));
    HGLOBAL map = Keep(MakeFontMap({0, 1, -1, 2, 3}));
    EXPECT_TRUE(RemapFontIndices(map, oldList, newList));
    // Arial 238 is missing: the name alone finds the first Arial; "Gone" takes the default.
    EXPECT_EQ(ReadMap(map), (std::vector<INT32>{1, 1, -1, 1, 0}));
    EXPECT_FALSE(RemapFontIndices(map, newList, newList));
    EXPECT_FALSE(RemapFontIndices(map, oldList, nullptr));

    HGLOBAL documentMap = Keep(MakeFontMap({1, -1}));
    HGLOBAL pastedMap = Keep(MakeFontMap({3, -1, 0}));
    EXPECT_EQ(MergeFontMap(documentMap, pastedMap, oldList, newList), 0);
    // Times New Roman (new index 0) takes the document's free slot 1; Arial is slot 0 already.
    EXPECT_EQ(ReadMap(pastedMap), (std::vector<INT32>{1, -1, 0}));
    EXPECT_EQ(ReadMap(documentMap), (std::vector<INT32>{1, 0}));
    EXPECT_EQ(MergeFontMap(nullptr, Keep(MakeFontMap({0})), oldList, newList), 1);
}

}  // namespace
