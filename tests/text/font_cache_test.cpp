// The font cache: reuse of fonts, ordered size lists, face hints, slots and the flush budget.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "frame/font_messages.h"
#include "frame/frame_services.h"
#include "support/prompt_answerer.h"
#include "text/font_cache.h"
#include "text/font_list.h"

namespace {

struct Face {
    const char* name;
    int kind;
    int cacheIndex;
};

FontListEntry MakeEntry(const char* name, int kind, int cacheIndex)
{
    FontListEntry entry = {};
    entry.logFont.lfHeight = 16;
    entry.logFont.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    lstrcpynA(entry.logFont.lfFaceName, name, LF_FACESIZE);
    entry.heightAtSize1 = 16;
    entry.kind = kind;
    entry.cacheIndex = cacheIndex;
    return entry;
}

HGLOBAL MakeList(const std::vector<FontListEntry>& entries)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT,
                                sizeof(FontListHead) + entries.size() * sizeof(FontListEntry));
    auto* head = static_cast<FontListHead*>(GlobalLock(block));
    head->count = static_cast<INT32>(entries.size());
    if (!entries.empty())
        std::memcpy(FontListEntries(head), entries.data(), entries.size() * sizeof(FontListEntry));
    GlobalUnlock(block);
    return block;
}

HGLOBAL MakeMap(const std::vector<INT32>& slots)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(FontMapHead) + slots.size() * sizeof(INT32));
    auto* head = static_cast<FontMapHead*>(GlobalLock(block));
    head->count = static_cast<INT32>(slots.size());
    if (!slots.empty()) std::memcpy(FontMapSlots(head), slots.data(), slots.size() * sizeof(INT32));
    GlobalUnlock(block);
    return block;
}

int CacheIndexOf(HGLOBAL list, int index)
{
    auto* head = static_cast<FontListHead*>(GlobalLock(list));
    int value = FontListEntries(head)[index].cacheIndex;
    GlobalUnlock(list);
    return value;
}

void SetCacheIndex(HGLOBAL list, int index, int value)
{
    auto* head = static_cast<FontListHead*>(GlobalLock(list));
    FontListEntries(head)[index].cacheIndex = value;
    GlobalUnlock(list);
}

std::vector<CachedSize> SizesOf(int face)
{
    std::vector<CachedSize> sizes;
    HGLOBAL block = CachedSizeList(face);
    if (!block) return sizes;
    auto* list = static_cast<INT32*>(GlobalLock(block));
    auto* entries = reinterpret_cast<CachedSize*>(list + 1);
    sizes.assign(entries, entries + list[0]);
    GlobalUnlock(block);
    return sizes;
}

// A plain frame window whose queue the budget posts to, and a cache emptied around each test.
class FontCacheTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, InitFontCache());
        ClearFontCache();
        savedFrame_ = g_frameWindow;
        frame_ = CreateWindowA("STATIC", "frame", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
        ASSERT_NE(nullptr, frame_);
        g_frameWindow = frame_;
        g_fontFlushCount = 0;
        g_fontWarned = FALSE;
        list_ = MakeList({MakeEntry("Arial", kFontKindTrueType, -1),
                          MakeEntry("Courier New", kFontKindTrueType, -1),
                          MakeEntry("Small Fonts", kFontKindRaster, -1)});
    }
    void TearDown() override
    {
        ClearFontCache();
        g_fontFlushCount = 0;
        g_fontWarned = FALSE;
        g_frameWindow = savedFrame_;
        if (frame_) {
            TakePosted();
            DestroyWindow(frame_);
        }
        GlobalFree(list_);
    }

    // Removes the budget's messages from the frame's queue: how many of each were waiting.
    std::pair<int, int> TakePosted()
    {
        std::pair<int, int> counts = {0, 0};
        MSG msg;
        while (PeekMessageA(&msg, frame_, VXM_FLUSHFONTS, VXM_TOOMANYFONTS, PM_REMOVE)) {
            if (msg.message == VXM_FLUSHFONTS) ++counts.first;
            if (msg.message == VXM_TOOMANYFONTS) ++counts.second;
        }
        return counts;
    }

    // A font not made before: each call asks for a new height of the first face.
    HFONT NewFont()
    {
        return GetCachedFont(list_, nullptr, 0, ++nextSize_, 0, 0, 0, 72);
    }

    HWND frame_ = nullptr;
    HWND savedFrame_ = nullptr;
    HGLOBAL list_ = nullptr;
    int nextSize_ = 10;
};

TEST_F(FontCacheTest, SameRequestGivesSameFontAndDifferentOnesDoNot)
{
    HFONT first = GetCachedFont(list_, nullptr, 0, 12, 0, 0, 0, 600);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, GetCachedFont(list_, nullptr, 0, 12, 0, 0, 0, 600));
    EXPECT_EQ(1, g_createdFontCount);

    struct Case { int slot, size, style, width, escapement; } cases[] = {
        {0, 13, 0, 0, 0}, {0, 12, 1, 0, 0}, {0, 12, 2, 0, 0},
        {0, 12, 0, 40, 0}, {0, 12, 0, 0, 900}, {1, 12, 0, 0, 0},
    };
    std::vector<HFONT> fonts = {first};
    for (const Case& c : cases) {
        HFONT font = GetCachedFont(list_, nullptr, c.slot, c.size, c.style, c.width, c.escapement, 600);
        ASSERT_NE(nullptr, font);
        for (HFONT other : fonts) EXPECT_NE(other, font) << c.size << " " << c.style;
        fonts.push_back(font);
        EXPECT_EQ(font, GetCachedFont(list_, nullptr, c.slot, c.size, c.style, c.width, c.escapement, 600));
    }
    EXPECT_EQ(7, g_createdFontCount);
}

TEST_F(FontCacheTest, SizeListStaysOrderedByHeight)
{
    const int face = FindOrAddCachedFace(list_, 0);
    ASSERT_EQ(0, face);
    LOGFONTA logFont = MakeEntry("Arial", 2, -1).logFont;
    // Heights are negative character heights: -300 is the largest font and sorts first.
    for (int height : {-100, -300, -200}) {
        logFont.lfHeight = height;
        ASSERT_NE(nullptr, FindOrCreateCachedFont(face, &logFont));
    }
    logFont.lfHeight = -200;
    logFont.lfWeight = FW_BOLD;
    HFONT bold = FindOrCreateCachedFont(face, &logFont);
    std::vector<CachedSize> sizes = SizesOf(face);
    ASSERT_EQ(4u, sizes.size());
    EXPECT_EQ(-300, sizes[0].height);
    EXPECT_EQ(-200, sizes[1].height);
    EXPECT_EQ(0, sizes[1].styleKey);
    EXPECT_EQ(-200, sizes[2].height);   // equal heights in the order they were made
    EXPECT_EQ(bold, sizes[2].font);
    EXPECT_EQ(1, sizes[2].styleKey);
    EXPECT_EQ(-100, sizes[3].height);

    EXPECT_EQ(0, FindCachedSize(CachedSizeList(face), -400));
    EXPECT_EQ(1, FindCachedSize(CachedSizeList(face), -200));
    EXPECT_EQ(1, FindCachedSize(CachedSizeList(face), -250));
    EXPECT_EQ(3, FindCachedSize(CachedSizeList(face), -150));
    EXPECT_EQ(4, FindCachedSize(CachedSizeList(face), -50));

    EXPECT_EQ(nullptr, FindOrCreateCachedFont(-1, &logFont));
    EXPECT_EQ(nullptr, FindOrCreateCachedFont(CachedFaceCount(), &logFont));
}

TEST_F(FontCacheTest, StyleKeyTakesUnderlineAndPitchZero)
{
    const int face = FindOrAddCachedFace(list_, 0);
    LOGFONTA logFont = MakeEntry("Arial", 2, -1).logFont;
    logFont.lfHeight = -50;
    logFont.lfWeight = FW_BOLD;
    logFont.lfItalic = 1;
    logFont.lfUnderline = 1;
    FindOrCreateCachedFont(face, &logFont);
    std::vector<CachedSize> sizes = SizesOf(face);
    ASSERT_EQ(1u, sizes.size());
    EXPECT_EQ(7, sizes[0].styleKey);
    // The face is the same whatever the pitch byte of the request; the key tells them apart.
    logFont.lfPitchAndFamily = 0;
    FindOrCreateCachedFont(face, &logFont);
    sizes = SizesOf(face);
    ASSERT_EQ(2u, sizes.size());
    EXPECT_EQ(0x2007, sizes[1].styleKey);
}

TEST_F(FontCacheTest, CacheIndexIsOnlyAHint)
{
    const int arial = FindOrAddCachedFace(list_, 0);
    const int courier = FindOrAddCachedFace(list_, 1);
    ASSERT_EQ(0, arial);
    ASSERT_EQ(1, courier);
    EXPECT_EQ(0, CacheIndexOf(list_, 0));
    EXPECT_EQ(1, CacheIndexOf(list_, 1));
    // A negative hint, one past the table and one naming another face are searched again.
    for (int hint : {-1, -5, 2, 1000, courier}) {
        SetCacheIndex(list_, 0, hint);
        EXPECT_EQ(arial, FindOrAddCachedFace(list_, 0)) << hint;
        EXPECT_EQ(arial, CacheIndexOf(list_, 0)) << hint;
    }
    EXPECT_EQ(2, CachedFaceCount());
    EXPECT_EQ(-1, FindOrAddCachedFace(list_, -1));
    EXPECT_EQ(-1, FindOrAddCachedFace(list_, 3));
    EXPECT_EQ(-1, FindOrAddCachedFace(nullptr, 0));

    // After clearing, the stale hints fail and the faces are found (added) again.
    ClearFontCache();
    EXPECT_EQ(0, CachedFaceCount());
    EXPECT_EQ(0, FindOrAddCachedFace(list_, 1));
    EXPECT_EQ(0, CacheIndexOf(list_, 1));
    EXPECT_EQ(1, FindOrAddCachedFace(list_, 0));
    EXPECT_EQ(1, CacheIndexOf(list_, 0));
    EXPECT_NE(nullptr, GetCachedFont(list_, nullptr, 1, 10, 0, 0, 0, 600));
}

TEST_F(FontCacheTest, FaceTableStopsAt1015Faces)
{
    std::vector<FontListEntry> entries;
    char name[LF_FACESIZE];
    for (int i = 0; i < 1016; ++i) {
        std::snprintf(name, sizeof(name), "Face%04d", i);
        entries.push_back(MakeEntry(name, kFontKindTrueType, -1));
    }
    HGLOBAL list = MakeList(entries);
    for (int i = 0; i < 1015; ++i) ASSERT_EQ(i, FindOrAddCachedFace(list, i));
    EXPECT_EQ(-1, FindOrAddCachedFace(list, 1015));
    EXPECT_EQ(-1, CacheIndexOf(list, 1015));
    EXPECT_EQ(1015, CachedFaceCount());
    // Faces already there are still found.
    EXPECT_EQ(7, FindOrAddCachedFace(list, 7));
    GlobalFree(list);
}

TEST_F(FontCacheTest, SlotsAndIndexesOutsideGiveIndexZeroOrNoFont)
{
    // Slot 0 names entry 1, slot 1 is free.
    HGLOBAL map = MakeMap({1, -1});
    HFONT arial = GetCachedFont(list_, nullptr, 0, 10, 0, 0, 0, 600);
    HFONT courier = GetCachedFont(list_, nullptr, 1, 10, 0, 0, 0, 600);
    EXPECT_EQ(courier, GetCachedFont(list_, map, 0, 10, 0, 0, 0, 600));
    EXPECT_EQ(arial, GetCachedFont(list_, map, -1, 10, 0, 0, 0, 600));
    EXPECT_EQ(arial, GetCachedFont(list_, map, -7, 10, 0, 0, 0, 600));
    EXPECT_EQ(arial, GetCachedFont(list_, map, 2, 10, 0, 0, 0, 600));
    EXPECT_EQ(nullptr, GetCachedFont(list_, map, 1, 10, 0, 0, 0, 600));
    EXPECT_EQ(nullptr, GetCachedFont(list_, nullptr, -1, 10, 0, 0, 0, 600));
    EXPECT_EQ(nullptr, GetCachedFont(list_, nullptr, 3, 10, 0, 0, 0, 600));
    EXPECT_EQ(nullptr, CreateListFont(list_, map, 1, 10, 0, 0, 0, 600));
    EXPECT_EQ(nullptr, CreateListFont(list_, nullptr, -1, 10, 0, 0, 0, 600));
    HFONT own = CreateListFont(list_, map, -3, 8, 0, 900, 0, 100);
    ASSERT_NE(nullptr, own);
    LOGFONTA made;
    ASSERT_EQ(static_cast<int>(sizeof(made)), GetObjectA(own, sizeof(made), &made));
    EXPECT_STREQ("Arial", made.lfFaceName);
    EXPECT_EQ(-11, made.lfHeight);
    EXPECT_EQ(900, made.lfEscapement);
    DeleteObject(own);
    GlobalFree(map);
}

TEST_F(FontCacheTest, StoredCountsBeyondTheirMemoryAreCut)
{
    // A list and a map whose counts claim more than their blocks hold, as a damaged record may.
    auto* head = static_cast<FontListHead*>(GlobalLock(list_));
    head->count = 1000;
    GlobalUnlock(list_);
    HGLOBAL map = MakeMap({1, 0});
    auto* mapHead = static_cast<FontMapHead*>(GlobalLock(map));
    mapHead->count = 100;
    GlobalUnlock(map);

    EXPECT_EQ(-1, FindOrAddCachedFace(list_, 500));
    EXPECT_EQ(nullptr, GetCachedFont(list_, nullptr, 500, 10, 0, 0, 0, 600));
    LOGFONTA logFont;
    EXPECT_FALSE(MakeRunLogFont(list_, nullptr, 3, 10, 0, 0, 0, 600, &logFont));
    ASSERT_TRUE(MakeRunLogFont(list_, map, 50, 10, 0, 0, 0, 600, &logFont));
    EXPECT_STREQ("Arial", logFont.lfFaceName);
    ASSERT_TRUE(MakeRunLogFont(list_, map, 0, 10, 0, 0, 0, 600, &logFont));
    EXPECT_STREQ("Courier New", logFont.lfFaceName);
    GlobalFree(map);
}

TEST_F(FontCacheTest, RunLogFontFollowsSizeStyleAndKind)
{
    const BOOL savedTrueType = g_trueTypeFound;
    struct Case {
        int slot, size, style, width, unitsPerInch;
        BOOL trueTypeFound;
        int height, expectedWidth, weight, italic;
    } cases[] = {
        {0, 10, 0, 0, 600, FALSE, -83, 0, 400, 0},     // 6000 / 72 = 83.3, truncated
        {0, 7, 1, 30, 100, FALSE, -9, 30, 700, 0},
        {0, 12, 2, 30, 600, FALSE, -100, 30, 400, 1},
        {0, 12, 3, 0, 600, FALSE, -100, 0, 700, 1},
        {2, 12, 0, 30, 600, FALSE, -100, 0, 400, 0},   // a raster face keeps its own width
        {2, 12, 0, 30, 600, TRUE, -100, 30, 400, 0},
    };
    for (const Case& c : cases) {
        g_trueTypeFound = c.trueTypeFound;
        LOGFONTA logFont;
        ASSERT_TRUE(MakeRunLogFont(list_, nullptr, c.slot, c.size, c.style, c.width, 450,
                                   c.unitsPerInch, &logFont));
        EXPECT_EQ(c.height, logFont.lfHeight) << c.size;
        EXPECT_EQ(c.expectedWidth, logFont.lfWidth) << c.slot << " " << c.trueTypeFound;
        EXPECT_EQ(c.weight, logFont.lfWeight);
        EXPECT_EQ(c.italic, logFont.lfItalic);
        EXPECT_EQ(450, logFont.lfEscapement);
        EXPECT_EQ(0, logFont.lfOrientation);
    }
    g_trueTypeFound = savedTrueType;
}

TEST_F(FontCacheTest, BudgetAsksForFlushesThenWarnsOnce)
{
    // Font 80 asks for a flush.
    g_createdFontCount = 79;
    ASSERT_NE(nullptr, NewFont());
    EXPECT_EQ(1, g_fontFlushCount);
    EXPECT_EQ(std::make_pair(1, 0), TakePosted());
    // Fonts 81 on ask once more each, but only while no request waits.
    NewFont();
    EXPECT_EQ(std::make_pair(1, 0), TakePosted());
    NewFont();
    NewFont();
    EXPECT_EQ(std::make_pair(1, 0), TakePosted());
    EXPECT_EQ(1, g_fontFlushCount);

    // The fifth time the count reaches 80 the user is warned, once, and no flush follows.
    g_fontFlushCount = 4;
    g_createdFontCount = 79;
    NewFont();
    EXPECT_EQ(5, g_fontFlushCount);
    EXPECT_TRUE(g_fontWarned);
    EXPECT_EQ(std::make_pair(0, 1), TakePosted());
    NewFont();
    EXPECT_EQ(std::make_pair(0, 0), TakePosted());
    g_createdFontCount = 79;
    NewFont();
    EXPECT_EQ(6, g_fontFlushCount);
    EXPECT_EQ(std::make_pair(0, 0), TakePosted());
}

TEST_F(FontCacheTest, BudgetWithoutFrameCountsButPostsNothing)
{
    g_frameWindow = nullptr;
    g_createdFontCount = 79;
    NewFont();
    NewFont();
    EXPECT_EQ(81, g_createdFontCount);
    EXPECT_EQ(1, g_fontFlushCount);
    EXPECT_EQ(std::make_pair(0, 0), TakePosted());
}

TEST_F(FontCacheTest, FrameFlushesTheCacheAndWarnsWithStringThirteen)
{
    ASSERT_NE(nullptr, NewFont());
    ASSERT_EQ(1, CachedFaceCount());
    EXPECT_TRUE(HandleFontCacheMessage(frame_, VXM_FLUSHFONTS));
    EXPECT_EQ(0, CachedFaceCount());
    EXPECT_EQ(0, g_createdFontCount);
    EXPECT_FALSE(HandleFontCacheMessage(frame_, WM_USER));

    PromptAnswerer answerer;
    ShowWindow(frame_, SW_SHOWNA);
    EXPECT_TRUE(HandleFontCacheMessage(frame_, VXM_TOOMANYFONTS));
    ASSERT_EQ(1u, answerer.shown().size());
    EXPECT_NE(std::string::npos, answerer.shown()[0].find(
        "There are too many different fonts in use. Close your documents and exit the program."));
}

}  // namespace
