// Inserting, replacing and deleting text: the runs it leaves, the limits, paragraph formats and
// the notices; and the undo of typing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editing_support.h"
#include "store/results.h"
#include "text/font_list.h"
#include "text/text_edit.h"
#include "text/text_runs.h"

namespace {

struct RunShape {
    int chars;
    int style;
};

std::vector<RunShape> Shapes(const std::vector<TextRun>& runs)
{
    std::vector<RunShape> shapes;
    for (const TextRun& r : runs) shapes.push_back({r.charCount, r.style});
    return shapes;
}

bool operator==(const RunShape& a, const RunShape& b)
{
    return a.chars == b.chars && a.style == b.style;
}

void PrintTo(const RunShape& s, std::ostream* os)
{
    *os << "{" << s.chars << "," << s.style << "}";
}

// A block of paragraphs, each in its own paragraph format (left indent 10 * index) and with its
// own run flags.
std::vector<BYTE> Paragraphs(const std::vector<std::string>& texts, const std::vector<int>& runFlags)
{
    std::string text;
    for (size_t i = 0; i < texts.size(); ++i) text += texts[i] + (i + 1 < texts.size() ? "\r" : "");
    std::vector<RunFormat> runs;
    for (size_t i = 0; i < texts.size(); ++i) runs.push_back({static_cast<int>(texts[i].size() + (i + 1 < texts.size()))});
    std::vector<BYTE> plain = MakeBlock(text, runs);
    const size_t formatsAt = kTextBlockSize + kTextRunSize * runs.size();
    std::vector<BYTE> block(plain.begin(), plain.begin() + formatsAt);
    for (size_t i = 0; i < texts.size(); ++i) {
        ParagraphFormat f = *reinterpret_cast<const ParagraphFormat*>(plain.data() + formatsAt);
        f.leftIndent = static_cast<INT32>(10 * i);
        const BYTE* bytes = reinterpret_cast<const BYTE*>(&f);
        block.insert(block.end(), bytes, bytes + sizeof(f));
    }
    block.insert(block.end(), text.begin(), text.end());
    BlockHeader(block)->formatCount = static_cast<INT32>(texts.size());
    TextRun* r = BlockRuns(block);
    for (size_t i = 0; i < texts.size(); ++i) {
        r[i].paragraphFormat = static_cast<INT32>(i);
        r[i].runFlags = i < runFlags.size() ? runFlags[i] : 0;
    }
    return block;
}

using TypingTest = EditingTest;

TEST_F(TypingTest, TypedCharacterJoinsOrSplitsRunsByTheTypingFormat)
{
    struct Case {
        const char* text;
        int caret;
        int typingStyle;
        std::vector<RunShape> runs;
    } cases[] = {
        {"", 0, 1, {{1, 1}}},                          // no empty run remains
        {"abc", 3, 0, {{4, 0}}},                       // the run of the typing format grows
        {"abc", 3, 1, {{3, 0}, {1, 1}}},
        {"abcd", 2, 1, {{2, 0}, {1, 1}, {2, 0}}},
    };
    for (const Case& c : cases) {
        Make(c.text);
        Select(c.caret, c.caret);
        SetTypingStyle(c.typingStyle);
        Type("x");
        EXPECT_EQ(c.runs, Shapes(Runs())) << c.text << " at " << c.caret;
    }
}

TEST_F(TypingTest, SoftHyphenIsRefusedAtTheStartAndNextToAnother)
{
    struct Case {
        int caret;
        bool inserted;
    } cases[] = {{0, false}, {3, false}, {2, false}, {1, true}, {5, true}};
    for (const Case& c : cases) {
        Make("ab\001cd");
        Select(c.caret, c.caret);
        Send(WM_CHAR, 1, 0);
        EXPECT_EQ(c.inserted ? 6 : 5, Send(TEN_GETTEXTLENGTH)) << c.caret;
    }
}

TEST_F(TypingTest, MaximumLengthInsertsWhatFits)
{
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {{"abcdefgh", "abcdefgh12"}, {"abcdefghij", "abcdefghij"}};
    for (const Case& c : cases) {
        Make(c.text, [](TenCreateParams& p) { p.maxTextLength = 10; });
        Select(100, 100);
        EXPECT_EQ(0, Send(TEN_REPLACESELECTION, TenEditString | TenEditLayout, reinterpret_cast<LPARAM>("12345")));
        EXPECT_EQ(c.expected, Text());
    }
}

TEST_F(TypingTest, TextPastTheLargestSizeIsRefusedWithoutLosingTheTypingSeries)
{
    const std::string full(kMaxTextBytes - 2, 'a');
    Make(full.c_str(), [](TenCreateParams& p) { p.options = 0; });
    Select(kMaxTextBytes, kMaxTextBytes);
    EXPECT_EQ(ErrTextTooLong, Send(TEN_REPLACESELECTION, TenEditString | 0xA03, reinterpret_cast<LPARAM>("xyz")));
    EXPECT_EQ(kMaxTextBytes - 2, Send(TEN_GETTEXTLENGTH));
    EXPECT_EQ(0, UndoKind());

    Type("bc");   // reaches 32,767 bytes
    Type("d");    // refused: the series typed before it stays and stays undoable
    EXPECT_EQ(full + "bc", Text());
    EXPECT_EQ(kUndoKindTyping, UndoKind());
    Send(EM_UNDO);
    EXPECT_EQ(full, Text());
}

TEST_F(TypingTest, RetypingAWordSelectionKeepsItsTrailingSpace)
{
    struct Case {
        int start, end;
        const char* expected;
    } cases[] = {{4, 8, "one X three"}, {2, 4, "onXtwo three"}};
    for (const Case& c : cases) {
        Make("one two three");
        Select(c.start, c.end);
        Send(TEN_SETOPTIONS, Send(TEN_GETOPTIONS) | TenOptWordSelect);
        Type("X");
        EXPECT_EQ(c.expected, Text());
    }
}

TEST_F(TypingTest, AnEmptyStringReplacesTheSelectionByNothing)
{
    Make("one two");
    Select(0, 4);
    EXPECT_EQ(0, Send(TEN_REPLACESELECTION, TenEditString | TenEditLayout, reinterpret_cast<LPARAM>("")));
    EXPECT_EQ("two", Text());
}

TEST_F(TypingTest, EnterAfterAParagraphWithSpaceBelowStartsOneWithout)
{
    Make("");
    std::vector<BYTE> block = Paragraphs({"ab"}, {TextRunRuleBelow});
    ASSERT_EQ(0, Load(block));
    Select(2, 2);
    Send(TEN_SETSELECTION, TenEditRepaint, MAKELPARAM(2, 2));   // the format notices take the run
    Type("\rc");
    const auto runs = Runs();
    ASSERT_EQ(2u, runs.size());
    EXPECT_EQ(TextRunRuleBelow, runs[0].runFlags & TextRunRuleBelow);
    EXPECT_EQ(0, runs[1].runFlags & TextRunRuleBelow);
    EXPECT_EQ(1, runs[1].charCount);
}

TEST_F(TypingTest, ABlockJoinsTheRunsBesideItAndADamagedOneIsRefused)
{
    Make("");
    std::vector<BYTE> text = MakeBlock("abcd", {{2}, {2, 1}});
    ASSERT_EQ(0, Load(text));
    Select(2, 2);
    std::vector<BYTE> block = MakeBlock("xy", {{1}, {1, 1}});
    BlockRuns(block)[1].face = 7;   // beyond the document's one-slot map: its last slot
    EXPECT_EQ(0, Send(TEN_REPLACESELECTION, TenEditLayout, reinterpret_cast<LPARAM>(block.data())));
    EXPECT_EQ("abxycd", Text());
    EXPECT_EQ((std::vector<RunShape>{{3, 0}, {3, 1}}), Shapes(Runs()));
    EXPECT_EQ(0, Runs()[1].face);

    BlockHeader(block)->runCount = 5;
    EXPECT_EQ(ErrOutOfMemory, Send(TEN_REPLACESELECTION, TenEditLayout, reinterpret_cast<LPARAM>(block.data())));
    EXPECT_EQ("abxycd", Text());
}

using DeletingTest = EditingTest;

TEST_F(DeletingTest, JoiningParagraphsGivesTheSecondTheFirstsFormat)
{
    Make("");
    std::vector<BYTE> block = Paragraphs({"ab", "cd"}, {});
    ASSERT_EQ(0, Load(block));
    Select(3, 3);
    Key(VK_BACK);
    EXPECT_EQ("abcd", Text());
    const auto runs = Runs();
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ(0, runs[0].paragraphFormat);
    EXPECT_EQ(4, runs[0].charCount);
}

TEST_F(DeletingTest, DeletingEverythingLeavesOneEmptyRunAndTellsTheParent)
{
    Make("");
    std::vector<BYTE> block = MakeBlock("abcdef", {{2}, {2, 1}, {2, 2}});
    ASSERT_EQ(0, Load(block));
    Notices();
    Send(TEN_SETSELECTION, 0, TenSelectAll);
    EXPECT_EQ(0, Send(TEN_EDITCHAR, TenEditLayout | TenEditRepaint));
    const auto runs = Runs();
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ(0, runs[0].charCount);
    int emptied = 0;
    for (const Notice& n : Notices()) emptied += n.message == TenNoticeEmptied;
    EXPECT_EQ(1, emptied);
}

TEST_F(DeletingTest, CtrlDeletesByWords)
{
    struct Case {
        int caret;
        int key;
        const char* expected;
    } cases[] = {
        {6, VK_BACK, "ab fg"},     // three characters into the second word
        {0, VK_DELETE, "cdefg"},   // the first word and its space
        {4, VK_BACK, "ab defg"},   // without Ctrl: one character
    };
    for (const Case& c : cases) {
        Make("ab cdefg");
        Select(c.caret, c.caret);
        if (c.caret == 4) Key(c.key);
        else Key(c.key, {VK_CONTROL});
        EXPECT_EQ(c.expected, Text()) << c.caret;
    }
}

TEST_F(DeletingTest, BackspaceOverASymbolRunsFirstCharacterKeepsTheSymbolFace)
{
    // A second face in the symbol character set, in map slot 1.
    list_ = GlobalReAlloc(list_, sizeof(FontListHead) + 2 * sizeof(FontListEntry), GMEM_MOVEABLE);
    auto* head = static_cast<FontListHead*>(GlobalLock(list_));
    head->count = 2;
    FontListEntries(head)[1] = FontListEntries(head)[0];
    FontListEntries(head)[1].logFont.lfCharSet = SYMBOL_CHARSET;
    lstrcpynA(FontListEntries(head)[1].logFont.lfFaceName, "Symbol", LF_FACESIZE);
    GlobalUnlock(list_);
    map_ = GlobalReAlloc(map_, sizeof(FontMapHead) + 2 * sizeof(INT32), GMEM_MOVEABLE);
    auto* map = static_cast<FontMapHead*>(GlobalLock(map_));
    map->count = 2;
    FontMapSlots(map)[1] = 1;
    GlobalUnlock(map_);
    Make("");
    std::vector<BYTE> block = MakeBlock("abcd", {{2}, {2}});
    BlockRuns(block)[1].face = 1;
    BlockRuns(block)[1].runFlags = TextRunSymbolFace;
    ASSERT_EQ(0, Load(block));
    Select(3, 3);
    Key(VK_BACK);
    EXPECT_EQ("abd", Text());
    TenState* s = Lock();
    EXPECT_EQ(1, s->typingFormat.face);
    EXPECT_EQ(-1, s->typingRun);
    Unlock();
}

using TypingUndoTest = EditingTest;

TEST_F(TypingUndoTest, TypingAndBackspacesUndoAsOneStep)
{
    Make("");
    Type("abc");
    Key(VK_BACK);
    Key(VK_BACK);
    EXPECT_EQ("a", Text());
    Send(EM_UNDO);
    EXPECT_EQ("", Text());
    Send(EM_UNDO);
    EXPECT_EQ("a", Text());
}

TEST_F(TypingUndoTest, AClickStartsANewStep)
{
    Make("text");
    Select(4, 4);
    Type("12");
    Click(0);
    Type("ab");
    EXPECT_EQ("abtext12", Text());
    Send(EM_UNDO);
    EXPECT_EQ("text12", Text());
    Send(EM_UNDO);
    EXPECT_EQ("abtext12", Text());
}

TEST_F(TypingUndoTest, UndoingTheFirstChangeClearsTheModifiedFlag)
{
    Make("text");
    Type("x");
    EXPECT_EQ(1, Send(TEN_GETMODIFIED));
    Send(EM_UNDO);
    EXPECT_EQ(0, Send(TEN_GETMODIFIED));
}

TEST_F(TypingUndoTest, UndoShrinksAGrownEditorBackUnlessTheParentRefuses)
{
    for (LRESULT answer : {1, 0}) {
        Make("a", [](TenCreateParams& p) { p.flags = TenFlagGrowHeight; }, 300, 40);
        RECT before, grown, after;
        GetClientRect(editor_, &before);
        Type("\r\r\r\r\r\r");
        GetClientRect(editor_, &grown);
        ASSERT_GT(grown.bottom, before.bottom);
        const int grownExtent = Lock()->height;
        Unlock();
        g_resizeAnswer = answer;
        Send(EM_UNDO);
        g_resizeAnswer = 1;
        GetClientRect(editor_, &after);
        EXPECT_EQ("a", Text());
        EXPECT_EQ(answer ? before.bottom : grown.bottom, after.bottom) << answer;
        // Refused: the editor keeps the extent of the size it still shows.
        if (!answer) {
            EXPECT_EQ(grownExtent, Lock()->height);
            Unlock();
        }
    }
}

TEST(ParagraphFormatTable, FullTableGivesMinusOne)
{
    TenState state = {};
    state.formats = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4 + sizeof(ParagraphFormat));
    ParagraphFormat f = {};
    for (int i = 0; i < kMaxParagraphFormats; ++i) {
        f.leftIndent = i;
        ASSERT_EQ(i, FindOrAddParagraphFormat(&state, &f));
    }
    f.leftIndent = 7;
    EXPECT_EQ(7, FindOrAddParagraphFormat(&state, &f));
    f.leftIndent = kMaxParagraphFormats;
    EXPECT_EQ(-1, FindOrAddParagraphFormat(&state, &f));
    GlobalFree(state.formats);
}

}  // namespace
