// The font dialogs: what the dialog is given and how its answer comes back in font slots, sizes
// and style words; the LOGFONT dialog's 1/600-inch heights; the hook's help.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/prompt_answerer.h"
#include "text/font_dialogs.h"
#include "text/font_list.h"

namespace {

constexpr DWORD kBaseFlags = 0x4204E;

class FontDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        const char* faces[] = {"Arial", "Courier New", "Times New Roman"};
        list_ = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(FontListHead) + 3 * sizeof(FontListEntry));
        auto* head = static_cast<FontListHead*>(GlobalLock(list_));
        head->count = 3;
        for (int i = 0; i < 3; ++i) {
            FontListEntry& entry = FontListEntries(head)[i];
            lstrcpynA(entry.logFont.lfFaceName, faces[i], LF_FACESIZE);
            entry.logFont.lfCharSet = ANSI_CHARSET;
            entry.kind = 2;
            entry.cacheIndex = -1;
        }
        GlobalUnlock(list_);
        // Slot 0 names list entry 2, slot 1 entry 0.
        map_ = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(FontMapHead) + 2 * sizeof(INT32));
        auto* map = static_cast<FontMapHead*>(GlobalLock(map_));
        map->count = 2;
        FontMapSlots(map)[0] = 2;
        FontMapSlots(map)[1] = 0;
        GlobalUnlock(map_);
    }
    void TearDown() override
    {
        GlobalFree(list_);
        GlobalFree(map_);
    }
    int MapCount()
    {
        auto* map = static_cast<FontMapHead*>(GlobalLock(map_));
        const int count = map->count;
        GlobalUnlock(map_);
        return count;
    }

    PromptAnswerer prompts_;
    HGLOBAL list_ = nullptr;
    HGLOBAL map_ = nullptr;
};

// The user's choice: a face (empty: none), a point size (0: none), bold and italic (-1: no style).
std::function<BOOL(CHOOSEFONTA*)> Choose(const char* face, int points, int bold, int italic)
{
    return [=](CHOOSEFONTA* c) {
        if (face[0]) {
            lstrcpynA(c->lpLogFont->lfFaceName, face, LF_FACESIZE);
            c->Flags &= ~CF_NOFACESEL;
        }
        if (points) {
            c->iPointSize = points * 10;
            c->Flags &= ~CF_NOSIZESEL;
        }
        if (bold >= 0) {
            c->lpLogFont->lfWeight = bold ? FW_BOLD : FW_NORMAL;
            c->lpLogFont->lfItalic = static_cast<BYTE>(italic);
            c->Flags &= ~CF_NOSTYLESEL;
        }
        return TRUE;
    };
}

TEST_F(FontDialogTest, TypefaceDialogStartsFromTheSelectionAndAnswersInSlots)
{
    struct Case {
        int slot, size, style;
        DWORD extraFlags;
        const char* chosenFace;
        int chosenPoints, bold, italic;
        int outSlot, outSize, outStyle;
    } cases[] = {
        // Mixed faces, none picked: slot -1 with size and style as chosen.
        {-1, 12, 1, CF_NOFACESEL, "", 14, 0, 1, -1, 14, 2},
        // Mixed styles, none picked: exactly 0x4000.
        {0, 12, 0x4004, CF_NOSTYLESEL, "Times New Roman", 12, -1, 0, 0, 12, 0x4000},
        // Mixed styles, one picked: bold and italic as chosen, the other bits as they came.
        {0, 12, 0x4004, CF_NOSTYLESEL, "Times New Roman", 12, 1, 0, 0, 12, 0x4005},
        {1, 0, 0x42, CF_NOSIZESEL, "Arial", 0, 0, 1, 1, -1, 0x42},
        // A face the list has under no slot yet gets a new slot; one it lacks gives -1.
        {0, 10, 0, 0, "Courier New", 10, 1, 1, 2, 10, 3},
        {0, 10, 0, 0, "Nowhere", 10, 0, 0, -1, 10, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.slot << " " << c.chosenFace << " " << c.style);
        prompts_.AnswerFontDialog(Choose(c.chosenFace, c.chosenPoints, c.bold, c.italic));
        int slot = c.slot, size = c.size, style = c.style;
        ASSERT_EQ(1, ChooseTypefaceDialog(nullptr, list_, map_, nullptr, &slot, &size, &style));
        const PromptAnswerer::FontDialogSeen& seen = prompts_.fontDialogs().back();
        EXPECT_EQ(kBaseFlags | c.extraFlags, seen.flags);
        EXPECT_EQ(c.size * 10, seen.pointSize);
        EXPECT_EQ(4, seen.sizeMin);
        EXPECT_EQ(144, seen.sizeMax);
        EXPECT_EQ(&VXFontHook, seen.hook);
        EXPECT_EQ(c.outSlot, slot);
        EXPECT_EQ(c.outSize, size);
        EXPECT_EQ(c.outStyle, style);
    }
    EXPECT_EQ(3, MapCount());
}

TEST_F(FontDialogTest, TypefaceDialogShowsTheSlotsFontWithTheStyle)
{
    prompts_.AnswerFontDialog(nullptr);
    int slot = 0, size = 12, style = 1 | 2 | 4 | 0x40;
    EXPECT_EQ(0, ChooseTypefaceDialog(nullptr, list_, map_, nullptr, &slot, &size, &style));
    const LOGFONTA& shown = prompts_.fontDialogs().back().font;
    EXPECT_STREQ("Times New Roman", shown.lfFaceName);
    EXPECT_EQ(FW_BOLD, shown.lfWeight);
    EXPECT_TRUE(shown.lfItalic && shown.lfUnderline && shown.lfStrikeOut);
    EXPECT_LT(shown.lfHeight, 0);
    EXPECT_EQ(0, slot);   // Cancel changes nothing
    EXPECT_EQ(12, size);
}

TEST_F(FontDialogTest, SlotWithoutAListEntryShowsNoDialog)
{
    auto* map = static_cast<FontMapHead*>(GlobalLock(map_));
    FontMapSlots(map)[1] = 7;
    GlobalUnlock(map_);
    int slot = 1, size = 12, style = 0;
    EXPECT_EQ(-1, ChooseTypefaceDialog(nullptr, list_, map_, nullptr, &slot, &size, &style));
    slot = 5;   // without a map the slot is the list index
    EXPECT_EQ(-1, ChooseTypefaceDialog(nullptr, list_, nullptr, nullptr, &slot, &size, &style));
    EXPECT_TRUE(prompts_.fontDialogs().empty());
}

TEST_F(FontDialogTest, LogFontDialogWorksInSixHundredthsOfAnInch)
{
    LOGFONTA font = {};
    font.lfHeight = -66;
    lstrcpynA(font.lfFaceName, "Arial", LF_FACESIZE);
    prompts_.AnswerFontDialog(nullptr);
    EXPECT_EQ(0, ChooseLogFontDialog(nullptr, &font));
    EXPECT_EQ(-11, prompts_.fontDialogs().back().font.lfHeight);
    EXPECT_EQ(kBaseFlags, prompts_.fontDialogs().back().flags);
    EXPECT_EQ(-66, font.lfHeight);
    prompts_.AnswerFontDialog([](CHOOSEFONTA* c) {
        c->lpLogFont->lfHeight -= 1;
        return TRUE;
    });
    EXPECT_EQ(1, ChooseLogFontDialog(nullptr, &font));
    EXPECT_EQ(-72, font.lfHeight);
}

TEST_F(FontDialogTest, HookShowsFontHelpForHelpButtonAndF1Only)
{
    struct Case {
        WPARAM wParam;
        bool help;
    } cases[] = {{MAKEWPARAM(1038, 0), true}, {MAKEWPARAM(30001, 0), true}, {MAKEWPARAM(1038, 1), false},
                 {MAKEWPARAM(IDOK, 0), false}};
    for (const Case& c : cases) EXPECT_EQ(0u, VXFontHook(nullptr, WM_COMMAND, c.wParam, 0));
    EXPECT_EQ((std::vector<int>{113, 113}), prompts_.helpTopics());
}

}  // namespace
