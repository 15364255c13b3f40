// Serialising an editor's tables into TextBlocks: ranges, renumbering, size limit, compacted
// formats and the widest word.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/device_units.h"
#include "text/text_block.h"

namespace {

template <typename T>
HGLOBAL TableOf(const std::vector<T>& items)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, items.size() * sizeof(T) + 1);
    if (!items.empty()) {
        void* data = GlobalLock(block);
        std::memcpy(data, items.data(), items.size() * sizeof(T));
        GlobalUnlock(block);
    }
    return block;
}

HGLOBAL FormatTableOf(const std::vector<ParagraphFormat>& formats)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT,
                                sizeof(INT32) + formats.size() * sizeof(ParagraphFormat));
    auto* table = static_cast<INT32*>(GlobalLock(block));
    table[0] = static_cast<INT32>(formats.size());
    if (!formats.empty()) std::memcpy(table + 1, formats.data(), formats.size() * sizeof(ParagraphFormat));
    GlobalUnlock(block);
    return block;
}

TextRun MakeRun(int firstChar, int charCount, int format = 0)
{
    TextRun run = {};
    run.size = 12;
    run.paragraphFormat = format;
    run.firstChar = firstChar;
    run.charCount = charCount;
    return run;
}

TextLine Line(int firstChar, int charCount, int firstSegment, int y = 0, int height = 50,
              int breakWidth = 100)
{
    TextLine line = {};
    line.firstChar = firstChar;
    line.charCount = charCount;
    line.drawnChars = charCount;
    line.firstSegment = firstSegment;
    line.segmentCount = 1;
    line.y = y;
    line.height = height;
    line.breakWidth = breakWidth;
    return line;
}

ParagraphFormat Format(int tabInterval)
{
    ParagraphFormat format = {};
    format.spacingBase = 120;
    format.tabInterval = tabInterval;
    format.hyphenate = 1;
    return format;
}

TextPos Pos(int charIndex, int lineIndex, int runIndex)
{
    return TextPos{charIndex, lineIndex, runIndex, 0, 0};
}

// An editor's state with tables built by hand; the tables are freed with it.
class Editor {
public:
    Editor(const std::string& text, const std::vector<TextRun>& runs,
           const std::vector<TextLine>& lines, int segmentCount,
           const std::vector<ParagraphFormat>& formats = {Format(150)})
    {
        state_.options = TenOptWordWrap;
        state_.width = 3000;
        state_.margins = {30, 40, 50, 60};
        state_.zoom = 500;
        state_.labelLink = 0x00030007;
        state_.ownerRow = 4;
        state_.effect = {6, 6, 3, RGB(1, 2, 3), RGB(4, 5, 6)};
        state_.textLength = static_cast<INT32>(text.size());
        state_.runCount = static_cast<INT32>(runs.size());
        state_.lineCount = static_cast<INT32>(lines.size());
        state_.segmentCount = segmentCount;
        state_.text = TableOf(std::vector<char>(text.begin(), text.end()));
        state_.runs = TableOf(runs);
        state_.lines = TableOf(lines);
        state_.formats = FormatTableOf(formats);
        std::vector<TextSegment> segments(segmentCount);
        for (int i = 0; i < segmentCount; ++i) segments[i].charCount = i + 1;   // tells them apart
        state_.segments = TableOf(segments);
        state_.referenceDC = CreateCompatibleDC(nullptr);
        SetLogicalUnits(state_.referenceDC, 0, 600);
    }
    ~Editor()
    {
        for (HGLOBAL h : {state_.text, state_.runs, state_.lines, state_.formats, state_.segments})
            GlobalFree(h);
        DeleteDC(state_.referenceDC);
    }
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    TenState* state() { return &state_; }
    void Select(TextPos start, TextPos end)
    {
        state_.selStart = start;
        state_.selEnd = end;
    }
    int FormatCount()
    {
        auto* table = static_cast<INT32*>(GlobalLock(state_.formats));
        int count = table[0];
        GlobalUnlock(state_.formats);
        return count;
    }
    TextRun RunAt(int index)
    {
        auto* runs = static_cast<TextRun*>(GlobalLock(state_.runs));
        TextRun run = runs[index];
        GlobalUnlock(state_.runs);
        return run;
    }

private:
    TenState state_ = {};
};

// A serialised block, read through its header's counts.
class Block {
public:
    explicit Block(HGLOBAL block) : block_(block)
    {
        if (block_) header_ = static_cast<TextBlock*>(GlobalLock(block_));
    }
    ~Block()
    {
        if (block_) {
            GlobalUnlock(block_);
            GlobalFree(block_);
        }
    }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;

    bool made() const { return header_ != nullptr; }
    const TextBlock& head() const { return *header_; }
    const TextLine* lines() const { return reinterpret_cast<const TextLine*>(header_ + 1); }
    const TextRun* runs() const { return reinterpret_cast<const TextRun*>(lines() + header_->lineCount); }
    const ParagraphFormat* formats() const
    {
        return reinterpret_cast<const ParagraphFormat*>(runs() + header_->runCount);
    }
    const TextSegment* segments() const
    {
        return reinterpret_cast<const TextSegment*>(formats() + header_->formatCount);
    }
    std::string text() const
    {
        return std::string(reinterpret_cast<const char*>(segments() + header_->segmentCount),
                           header_->textLength);
    }
    SIZE_T size() const { return GlobalSize(block_); }

private:
    HGLOBAL block_;
    TextBlock* header_ = nullptr;
};

TEST(SerializeTextBlock, SelectionInsideOneRunStartsAtZero)
{
    struct Case {
        const char* name;
        std::string text;
        std::vector<TextRun> runs;
        TextPos start, end;
    } cases[] = {
        {"first run", "xxabcyy", {MakeRun(0, 7)}, Pos(2, 0, 0), Pos(5, 0, 0)},
        {"later run", "hello xxabcyy", {MakeRun(0, 6), MakeRun(6, 7)}, Pos(8, 0, 1), Pos(11, 0, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Editor editor(c.text, c.runs, {Line(0, static_cast<int>(c.text.size()), 0)}, 1);
        editor.Select(c.start, c.end);
        Block block(SerializeTextBlock(editor.state(), 0));
        ASSERT_TRUE(block.made());
        EXPECT_EQ("abc", block.text());
        ASSERT_EQ(1, block.head().runCount);
        EXPECT_EQ(0, block.runs()[0].firstChar);
        EXPECT_EQ(3, block.runs()[0].charCount);
        ASSERT_EQ(1, block.head().lineCount);
        EXPECT_EQ(0, block.lines()[0].firstChar);
        EXPECT_EQ(3, block.lines()[0].drawnChars);
        EXPECT_EQ(0, block.head().widestLine);
        EXPECT_EQ(0, block.head().textHeight);
        EXPECT_EQ(0, block.head().widestWord);
        EXPECT_EQ(4, block.head().ownerRow);
        EXPECT_EQ(static_cast<INT32>(TenOptWordWrap), block.head().options);
    }
}

TEST(SerializeTextBlock, SelectionEndingWhereARunBeginsLeavesItOut)
{
    Editor editor("abcdef", {MakeRun(0, 3), MakeRun(3, 3)}, {Line(0, 6, 0)}, 1);
    editor.Select(Pos(1, 0, 0), Pos(3, 0, 1));
    Block block(SerializeTextBlock(editor.state(), 0));
    ASSERT_TRUE(block.made());
    ASSERT_EQ(1, block.head().runCount);
    EXPECT_EQ(0, block.runs()[0].firstChar);
    EXPECT_EQ(2, block.runs()[0].charCount);
    EXPECT_EQ("bc", block.text());

    // An empty selection gives no block.
    editor.Select(Pos(3, 0, 1), Pos(3, 0, 1));
    EXPECT_EQ(nullptr, SerializeTextBlock(editor.state(), 0));
}

TEST(SerializeTextBlock, SelectionOverLinesRenumbersLinesAndSegments)
{
    // Three lines "aaaa\r", "bbbb\r", "cccc" of two, one and two segments; two runs.
    std::string text = "aaaa\rbbbb\rcccc";
    std::vector<TextLine> lines = {Line(0, 4, 0), Line(5, 4, 2), Line(10, 4, 3)};
    Editor editor(text, {MakeRun(0, 7), MakeRun(7, 7)}, lines, 5);
    editor.Select(Pos(6, 1, 0), Pos(12, 2, 1));
    Block block(SerializeTextBlock(editor.state(), 0));
    ASSERT_TRUE(block.made());
    EXPECT_EQ("bbb\rcc", block.text());
    ASSERT_EQ(2, block.head().lineCount);
    EXPECT_EQ(0, block.lines()[0].firstSegment);
    EXPECT_EQ(1, block.lines()[1].firstSegment);
    EXPECT_EQ(0, block.lines()[0].firstChar);
    EXPECT_EQ(3, block.lines()[0].drawnChars);
    EXPECT_EQ(4, block.lines()[1].firstChar);
    EXPECT_EQ(2, block.lines()[1].drawnChars);
    ASSERT_EQ(3, block.head().segmentCount);   // line 1's one and line 2's two
    EXPECT_EQ(3, block.segments()[0].charCount);
    EXPECT_EQ(5, block.segments()[2].charCount);
    ASSERT_EQ(2, block.head().runCount);
    EXPECT_EQ(0, block.runs()[0].firstChar);
    EXPECT_EQ(1, block.runs()[0].charCount);
    EXPECT_EQ(1, block.runs()[1].firstChar);
    EXPECT_EQ(5, block.runs()[1].charCount);

    // From the text's start, the last line still ends with the selection.
    editor.Select(Pos(0, 0, 0), Pos(2, 0, 0));
    Block start(SerializeTextBlock(editor.state(), 0));
    ASSERT_TRUE(start.made());
    EXPECT_EQ(2, start.lines()[0].drawnChars);
    EXPECT_EQ(2, start.runs()[0].charCount);
}

TEST(SerializeTextBlock, WholeTextCarriesLayoutFigures)
{
    std::string text = "one\rtwo\rthree";
    std::vector<TextLine> lines = {Line(0, 3, 0, 20, 50, 100), Line(4, 3, 1, 70, 60, 300),
                                   Line(8, 5, 2, 130, 70, 200)};
    Editor editor(text, {MakeRun(0, 13)}, lines, 3);
    editor.Select(Pos(1, 0, 0), Pos(2, 0, 0));   // ignored for the whole text
    Block block(SerializeTextBlock(editor.state(), TenWholeText));
    ASSERT_TRUE(block.made());
    const TextBlock& h = block.head();
    EXPECT_EQ(text, block.text());
    EXPECT_EQ(3, h.lineCount);
    EXPECT_EQ(300, h.widestLine);
    EXPECT_EQ(130 + 70 - 20, h.textHeight);
    EXPECT_EQ(30, h.marginLeft);
    EXPECT_EQ(40, h.marginTop);
    EXPECT_EQ(50, h.marginRight);
    EXPECT_EQ(60, h.marginBottom);
    EXPECT_EQ(3000 - 30 - 50, h.layoutWidth);
    EXPECT_EQ(500, h.zoom);
    EXPECT_EQ(0x00030007, h.labelLink);
    EXPECT_EQ(3, h.effect.kind);
    EXPECT_EQ(RGB(4, 5, 6), h.effect.color2);
    EXPECT_GT(h.widestWord, 0);
    EXPECT_EQ(8, block.lines()[2].firstChar);   // whole-text lines are copied as they are
    EXPECT_EQ(static_cast<SIZE_T>(88 + 3 * 60 + 68 + 44 + 3 * 24 + 13), block.size());
}

TEST(SerializeTextBlock, LargestBlockIs0x7FFFBytes)
{
    // 88 + 60 + 68 + 44 + 24 = 284 bytes besides the text.
    for (int extra : {0, 1}) {
        const int length = 0x7FFF - 284 + extra;
        std::string text(length, 'x');
        for (int i = 50; i < length; i += 50) text[i] = ' ';
        Editor editor(text, {MakeRun(0, length)}, {Line(0, length, 0)}, 1);
        Block block(SerializeTextBlock(editor.state(), TenWholeText));
        EXPECT_EQ(extra == 0, block.made()) << extra;
        if (block.made()) {
            EXPECT_EQ(static_cast<SIZE_T>(0x7FFF), block.size());
        }
    }
}

TEST(SerializeTextBlock, UnusedFormatsLeaveTheEditorAndTheBlock)
{
    Editor editor("abcdef", {MakeRun(0, 3, 0), MakeRun(3, 3, 2)}, {Line(0, 6, 0)}, 1,
                  {Format(100), Format(200), Format(300)});
    Block block(SerializeTextBlock(editor.state(), TenWholeText));
    ASSERT_TRUE(block.made());
    ASSERT_EQ(2, block.head().formatCount);
    EXPECT_EQ(100, block.formats()[0].tabInterval);
    EXPECT_EQ(300, block.formats()[1].tabInterval);
    EXPECT_EQ(1, block.runs()[1].paragraphFormat);
    EXPECT_EQ(2, editor.FormatCount());
    EXPECT_EQ(1, editor.RunAt(1).paragraphFormat);
}

TEST(CompactParagraphFormats, FiveHundredFormatsAndIndexesOutsideTheTable)
{
    std::vector<INT32> table(1 + kMaxParagraphFormats * 11);
    table[0] = kMaxParagraphFormats;
    auto* formats = reinterpret_cast<ParagraphFormat*>(table.data() + 1);
    for (int i = 0; i < kMaxParagraphFormats; ++i) formats[i] = Format(i);
    std::vector<TextRun> runs;
    for (int i = kMaxParagraphFormats - 1; i >= 0; --i) runs.push_back(MakeRun(0, 0, i));
    CompactParagraphFormats(table.data(), runs.data(), static_cast<int>(runs.size()));
    EXPECT_EQ(kMaxParagraphFormats, table[0]);
    EXPECT_EQ(kMaxParagraphFormats - 1, runs[0].paragraphFormat);
    EXPECT_EQ(kMaxParagraphFormats - 1, formats[kMaxParagraphFormats - 1].tabInterval);

    // Runs naming no format of the table use the first one, as layout does.
    runs = {MakeRun(0, 0, 499), MakeRun(0, 0, -3), MakeRun(0, 0, 700), MakeRun(0, 0, 250)};
    CompactParagraphFormats(table.data(), runs.data(), static_cast<int>(runs.size()));
    EXPECT_EQ(3, table[0]);
    EXPECT_EQ(2, runs[0].paragraphFormat);
    EXPECT_EQ(0, runs[1].paragraphFormat);
    EXPECT_EQ(0, runs[2].paragraphFormat);
    EXPECT_EQ(1, runs[3].paragraphFormat);
    EXPECT_EQ(0, formats[0].tabInterval);
    EXPECT_EQ(250, formats[1].tabInterval);
    EXPECT_EQ(499, formats[2].tabInterval);
}

class WidestWordTest : public testing::Test {
protected:
    void SetUp() override
    {
        dc_ = CreateCompatibleDC(nullptr);
        SetLogicalUnits(dc_, 0, 600);
        small_ = CreateFontA(-100, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
        large_ = CreateFontA(-200, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
        table_ = {1};
        table_.resize(1 + 11);
        reinterpret_cast<ParagraphFormat*>(table_.data() + 1)[0] = Format(150);
    }
    void TearDown() override
    {
        DeleteDC(dc_);
        DeleteObject(small_);
        DeleteObject(large_);
    }
    int Extent(HFONT font, const char* text)
    {
        HGDIOBJ old = SelectObject(dc_, font);
        SIZE size = {};
        GetTextExtentPoint32A(dc_, text, static_cast<int>(std::strlen(text)), &size);
        SelectObject(dc_, old);
        return size.cx & 0xFFFF;
    }
    TextRun FontRun(int firstChar, int count, HFONT font)
    {
        TextRun run = MakeRun(firstChar, count);
        run.font = static_cast<INT32>(reinterpret_cast<INT_PTR>(font));
        return run;
    }
    int Widest(const std::string& text, const std::vector<TextRun>& runs)
    {
        return MeasureWidestWord(dc_, runs.data(), table_.data(), static_cast<int>(runs.size()),
                                 reinterpret_cast<const BYTE*>(text.data()),
                                 static_cast<int>(text.size()));
    }

    HDC dc_ = nullptr;
    HFONT small_ = nullptr;
    HFONT large_ = nullptr;
    std::vector<INT32> table_;
};

TEST_F(WidestWordTest, SpaceBelongsToTheWordTabAndParagraphEndDoNot)
{
    struct Case { std::string text; const char* measured; } cases[] = {
        {"wwww x", "wwww "}, {"wwww\tx", "wwww"}, {"wwww\rx", "wwww"}, {"x wwww", "wwww"},
        {"  ", ""},
    };
    for (const Case& c : cases) {
        const int length = static_cast<int>(c.text.size());
        EXPECT_EQ(Extent(small_, c.measured), Widest(c.text, {FontRun(0, length, small_)}))
            << c.measured;
    }
}

TEST_F(WidestWordTest, WordAcrossRunsAddsEachRunsPiece)
{
    // "wwww" with its second half in the larger font; "xx" alone is narrower.
    const int expected = Extent(small_, "ww") + Extent(large_, "ww ");
    EXPECT_EQ(expected, Widest("wwww xx", {FontRun(0, 2, small_), FontRun(2, 5, large_)}));
    EXPECT_EQ(Extent(small_, "ww") + Extent(large_, "ww"),
              Widest("wwww", {FontRun(0, 2, small_), FontRun(2, 0, large_), FontRun(2, 2, large_)}));
    // The device's own font is back afterwards.
    EXPECT_NE(static_cast<HGDIOBJ>(large_), GetCurrentObject(dc_, OBJ_FONT));
}

}  // namespace
