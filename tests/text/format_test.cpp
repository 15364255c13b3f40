// Character and paragraph formatting in the editor: setting and reading attributes over runs,
// the style toggles, the paragraph-format table, alignment, spacing, paragraph selection and a
// replacement that keeps the emphasis of the replaced text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

// Before the fixture: its BlockHeader function must not hide the store's record type.
#include "text/text_editor.h"
#include "editing_support.h"
#include "text/text_formatting.h"
#include "text/text_runs.h"

namespace {

struct Piece {
    int chars;
    int style;
    bool operator==(const Piece& o) const { return chars == o.chars && style == o.style; }
};

void PrintTo(const Piece& p, std::ostream* os) { *os << "{" << p.chars << "," << p.style << "}"; }

class FormatTest : public EditingTest {
protected:
    // An editor holding runs of `text`, each with its style and its own colour and size.
    struct RunSpec {
        int chars;
        int style = 0;
        int size = 12;
        COLORREF color = 0;
    };
    void MakeRuns(const std::string& text, const std::vector<RunSpec>& specs)
    {
        Make("");
        std::vector<RunFormat> formats;
        for (const RunSpec& r : specs) formats.push_back({r.chars, r.style});
        std::vector<BYTE> block = MakeBlock(text, formats);
        TextRun* runs = BlockRuns(block);
        for (size_t i = 0; i < specs.size(); ++i) {
            runs[i].size = runs[i].nominalSize = specs[i].size;
            runs[i].color = specs[i].color;
        }
        ASSERT_EQ(0, Load(block));
    }
    std::vector<Piece> Pieces()
    {
        std::vector<Piece> pieces;
        for (const TextRun& r : Runs()) pieces.push_back({r.charCount, r.style});
        return pieces;
    }
    int Get(WPARAM selector) { return static_cast<int>(Send(TEN_GETCHARFORMAT, selector)); }
    std::vector<Notice> WholeTextNotices()
    {
        std::vector<Notice> found;
        for (const Notice& n : Notices())
            if (n.message == TenNoticeWholeTextFormat) found.push_back(n);
        return found;
    }
};

TEST_F(FormatTest, LargerAndSmallerStepEachRunBySizeWithinLimits)
{
    struct Case {
        int size;
        WPARAM step;
        int expected;
    } cases[] = {
        {11, FormatLarger, 12}, {12, FormatLarger, 14}, {23, FormatLarger, 25}, {24, FormatLarger, 36},
        {140, FormatLarger, 144}, {4, FormatSmaller, 4}, {5, FormatSmaller, 4}, {12, FormatSmaller, 11},
        {13, FormatSmaller, 11}, {24, FormatSmaller, 22}, {25, FormatSmaller, 13}, {36, FormatSmaller, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " step " << c.step);
        // Two runs of different sizes: each steps by its own size.
        MakeRuns("abcdef", {{3, 0, c.size}, {3, 0, 30}});
        Select(0, 6);
        ASSERT_EQ(0, Send(TEN_SETCHARFORMAT, c.step | TenEditLayout));
        const std::vector<TextRun> runs = Runs();
        ASSERT_EQ(2u, runs.size());
        EXPECT_EQ(c.expected, runs[0].size);
        EXPECT_EQ(c.expected, runs[0].nominalSize);
        EXPECT_EQ(c.step == FormatLarger ? 42 : 18, runs[1].size);
        DestroyWindow(editor_);
        editor_ = nullptr;
    }
}

TEST_F(FormatTest, BoldAcrossTwoRunsSplitsAndBoldAgainMergesBack)
{
    MakeRuns("aaaaabbbbb", {{5, 0, 12, RGB(255, 0, 0)}, {5, 0, 12, RGB(0, 0, 255)}});
    Select(2, 8);
    ASSERT_EQ(0, TenToggleStyle(editor_, 1));
    EXPECT_EQ((std::vector<Piece>{{2, 0}, {3, 1}, {3, 1}, {2, 0}}), Pieces());
    EXPECT_EQ(std::make_pair(2, 8), Selection());
    ASSERT_EQ(0, TenToggleStyle(editor_, 1));
    EXPECT_EQ((std::vector<Piece>{{5, 0}, {5, 0}}), Pieces());
    // Both toggles are one undo step each of the format kind.
    EXPECT_EQ(kUndoKindFormat, UndoKind());
}

TEST_F(FormatTest, PartlyBoldReadsMixedAndBoldSetsThenClearsEverywhere)
{
    MakeRuns("abcdef", {{3, 0}, {3, 1}});
    Select(0, 6);
    EXPECT_EQ(kMixedStyle, Get(FormatStyle));
    ASSERT_EQ(0, TenToggleStyle(editor_, 1));
    EXPECT_EQ((std::vector<Piece>{{6, 1}}), Pieces());
    EXPECT_EQ(1, Get(FormatStyle));
    ASSERT_EQ(0, TenToggleStyle(editor_, 1));
    EXPECT_EQ((std::vector<Piece>{{6, 0}}), Pieces());
}

TEST_F(FormatTest, BoldWithNothingSelectedChangesOnlyTheTypingFormat)
{
    Make("abc");
    SetFocus(editor_);
    Select(3, 3);
    ASSERT_EQ(0, TenToggleStyle(editor_, 1));
    EXPECT_EQ((std::vector<Piece>{{3, 0}}), Pieces());
    EXPECT_EQ(0, UndoKind());
    Type("d");
    EXPECT_EQ((std::vector<Piece>{{3, 0}, {1, 1}}), Pieces());
}

TEST_F(FormatTest, ReadingASelectionOverDifferentRuns)
{
    MakeRuns("abcdef", {{3, 1, 10, RGB(1, 2, 3)}, {3, 3, 12, RGB(4, 5, 6)}});
    Select(1, 5);
    EXPECT_EQ(-1, Get(FormatSize));
    EXPECT_EQ(static_cast<int>(RGB(1, 2, 3)), Get(FormatColor));
    EXPECT_EQ(0, Get(FormatFace));
    EXPECT_EQ(kMixedStyle, Get(FormatStyle));
    // Ending at the second run's first character leaves that run out.
    Select(1, 3);
    EXPECT_EQ(10, Get(FormatSize));
    EXPECT_EQ(1, Get(FormatStyle));
    EXPECT_EQ(0, Get(0x800));   // no selector
}

TEST_F(FormatTest, ScriptTogglesReadTheCurrentValue)
{
    struct Case {
        int what;
        int before;
        int after;
    } cases[] = {{16, 0, 1}, {16, 1, 0}, {16, -1, 1}, {32, 0, -1}, {32, -1, 0}, {32, 1, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << " from " << c.before);
        Make("");
        std::vector<BYTE> block = MakeBlock("abc", {{3, 0, c.before}});
        ASSERT_EQ(0, Load(block));
        Select(0, 3);
        ASSERT_EQ(0, TenToggleStyle(editor_, c.what));
        EXPECT_EQ(c.after, Runs()[0].script);
        DestroyWindow(editor_);
        editor_ = nullptr;
    }
}

TEST_F(FormatTest, StyleOnTheWholeTextTellsTheParent)
{
    Make("abcd");
    Notices();
    Select(0, 4);
    ASSERT_EQ(0, TenToggleStyle(editor_, 1));
    std::vector<Notice> whole = WholeTextNotices();
    ASSERT_EQ(1u, whole.size());
    EXPECT_EQ(4u, whole[0].wParam);
    EXPECT_EQ(1, whole[0].lParam);
    ASSERT_EQ(0, TenToggleStyle(editor_, 2));
    ASSERT_EQ(0, TenToggleStyle(editor_, 1));
    whole = WholeTextNotices();
    ASSERT_EQ(2u, whole.size());
    EXPECT_EQ(5u, whole[1].wParam);
    EXPECT_EQ(1, whole[1].lParam);
    Select(1, 4);
    ASSERT_EQ(0, TenToggleStyle(editor_, 1));
    EXPECT_TRUE(WholeTextNotices().empty());
}

TEST_F(FormatTest, FaceChangeKeepsAnInsertedSymbolsFace)
{
    MakeRuns("abcdef", {{2, 0, 12, RGB(1, 0, 0)}, {2, 0, 12, RGB(2, 0, 0)}, {2, 0, 12, RGB(3, 0, 0)}});
    TenState* s = Lock();
    TextRun* runs = static_cast<TextRun*>(GlobalLock(s->runs));
    runs[1].face = 7;
    runs[1].runFlags = TextRunSymbolFace | TextRunKeepFace;
    GlobalUnlock(s->runs);
    Unlock();
    Select(0, 6);
    ASSERT_EQ(0, Send(TEN_SETCHARFORMAT, FormatFace | TenEditLayout | TenEditUndo | TenEditKeepSymbolFace, 3));
    const std::vector<TextRun> after = Runs();
    ASSERT_EQ(3u, after.size());
    EXPECT_EQ(3, after[0].face);
    EXPECT_EQ(7, after[1].face);
    EXPECT_EQ(3, after[2].face);
}

TEST_F(FormatTest, ParagraphFormatTableFindsEqualEntriesAndStopsAt500)
{
    Make("abc");
    ParagraphFormat format = {};
    ASSERT_EQ(1, Send(TEN_GETPARAGRAPHFORMAT, 0, reinterpret_cast<LPARAM>(&format)));
    for (int i = 1; i < 500; ++i) {
        format.leftIndent = i;
        ASSERT_EQ(i, Send(TEN_FINDORADDPARAGRAPHFORMAT, 0, reinterpret_cast<LPARAM>(&format)));
    }
    format.leftIndent = 3;
    EXPECT_EQ(3, Send(TEN_FINDORADDPARAGRAPHFORMAT, 0, reinterpret_cast<LPARAM>(&format)));
    format.leftIndent = 1000;
    EXPECT_EQ(-1, Send(TEN_FINDORADDPARAGRAPHFORMAT, 0, reinterpret_cast<LPARAM>(&format)));
}

TEST_F(FormatTest, AlignmentChangesTakeOneSnapshotAndMoveTheLines)
{
    Make("short");
    ASSERT_EQ(0, Send(TEN_SETALIGNMENT, TenEditLayout | TenEditUndo, kTextAlignLeft));
    EXPECT_EQ(0, UndoKind());
    const int leftX = Lines()[0].x;
    ASSERT_EQ(0, Send(TEN_SETALIGNMENT, TenEditLayout | TenEditRepaint | TenEditUndo, kTextAlignCentre));
    EXPECT_EQ(kUndoKindAlignment, UndoKind());
    EXPECT_EQ(kTextAlignCentre, Send(TEN_GETALIGNMENT));
    EXPECT_GT(Lines()[0].x, leftX);
    ASSERT_EQ(0, Send(TEN_SETVERTICALALIGN, TenEditLayout, 8));
    EXPECT_EQ(8, Send(TEN_GETVERTICALALIGN));
}

TEST_F(FormatTest, ParagraphSpacingAdjustsEveryFormatNotBelowMinusTwo)
{
    struct Case {
        int before;
        int delta;
        int after;
    } cases[] = {{5, -10, -2}, {5, 0, 0}, {5, 3, 8}, {-2, -1, -2}};
    Make("abc");
    ParagraphFormat second = {};
    second.leftIndent = 10;
    ASSERT_EQ(1, Send(TEN_FINDORADDPARAGRAPHFORMAT, 0, reinterpret_cast<LPARAM>(&second)));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.before << " by " << c.delta);
        TenState* s = Lock();
        auto* table = static_cast<BYTE*>(GlobalLock(s->formats));
        auto* formats = reinterpret_cast<ParagraphFormat*>(table + sizeof(INT32));
        formats[0].extraSpacing = formats[1].extraSpacing = c.before;
        GlobalUnlock(s->formats);
        Unlock();
        ASSERT_EQ(0, Send(TEN_ADJUSTPARAGRAPHSPACING, TenEditLayout | TenEditUndo, c.delta));
        EXPECT_EQ(c.after, Send(TEN_GETFORMATVALUE));
        s = Lock();
        table = static_cast<BYTE*>(GlobalLock(s->formats));
        EXPECT_EQ(c.after, reinterpret_cast<ParagraphFormat*>(table + sizeof(INT32))[1].extraSpacing);
        GlobalUnlock(s->formats);
        Unlock();
        EXPECT_EQ(kUndoKindSpacing, UndoKind());
    }
}

TEST_F(FormatTest, SelectParagraphsWidensToWholeParagraphs)
{
    struct Case {
        int start;
        int end;
        int newStart;
        int newEnd;
    } cases[] = {
        {5, 5, 4, 8},      // inside the second: with its 13
        {0, 0, 0, 4},
        {4, 8, 4, 8},      // already whole
        {2, 5, 0, 8},
        {10, 10, 8, 13},   // the last paragraph has no 13
        {7, 7, 4, 8},      // on the 13 itself
    };
    Make("one\rtwo\rthree");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << "-" << c.end);
        Select(c.start, c.end);
        const DWORD packed = static_cast<DWORD>(Send(TEN_SELECTPARAGRAPHS, TenEditRepaint));
        EXPECT_EQ(c.newStart, LOWORD(packed));
        EXPECT_EQ(c.newEnd, HIWORD(packed));
        EXPECT_EQ(std::make_pair(c.newStart, c.newEnd), Selection());
    }
}

TEST_F(FormatTest, WrapChangeIsUndoable)
{
    Make("some words that wrap in a narrow box", 80, 200);
    ASSERT_EQ(0, Send(TEN_SETWRAP, TenEditLayout | TenEditRepaint, 0));
    EXPECT_EQ(0, Send(TEN_GETWRAP));
    EXPECT_EQ(kUndoKindWrap, UndoKind());
    EXPECT_EQ(1, Send(TEN_GETLINECOUNT));
}

TEST_F(FormatTest, ReplacementKeepsTheBoldOfTheReplacedCharacters)
{
    struct Case {
        const char* text;
        std::vector<RunFormat> runs;
        int start;
        int end;
        const char* replacement;
        std::vector<Piece> expected;
        int change;
    } cases[] = {
        {"ab12cd", {{2}, {2, 1}, {2}}, 2, 4, "345", {{2, 0}, {3, 1}, {2, 0}}, 1},
        {"1234", {{2}, {2, 1}}, 0, 4, "5678", {{2, 0}, {2, 1}}, 0},
        {"1234", {{2}, {2, 2}}, 0, 4, "5", {{1, 0}}, -3},
        {"1234", {{2}, {2, 1}}, 0, 4, "", {{0, 0}}, -4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.replacement);
        Make("");
        std::vector<BYTE> block = MakeBlock(c.text, c.runs);
        ASSERT_EQ(0, Load(block));
        Select(c.start, c.end);
        int change = 99;
        ASSERT_EQ(0, TenReplaceSelectionKeepStyle(editor_, c.replacement, &change));
        EXPECT_EQ(c.change, change);
        EXPECT_EQ(c.expected, Pieces());
        DestroyWindow(editor_);
        editor_ = nullptr;
    }
}

}  // namespace
