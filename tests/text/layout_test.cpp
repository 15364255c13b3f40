// Layout of lines and segments on the fixed-width fake: breaks, tabs, soft hyphens, hard spaces,
// alignment, justification, incremental relayout and the notices to the parent.
#include <cstring>

#include "layout_fixture.h"
#include "text/text_engine.h"
#include "text/text_layout.h"
#include "text/text_measure.h"

namespace {

std::vector<int> Starts(const std::vector<TextLine>& lines)
{
    std::vector<int> starts;
    for (const TextLine& line : lines) starts.push_back(line.firstChar);
    return starts;
}

}  // namespace

TEST_F(LayoutTest, EmptyTextHasOneLineAtTheTopMargin)
{
    Make("", {{0, 10}});
    ASSERT_EQ(0, Layout());
    const std::vector<TextLine> lines = Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(0, lines[0].charCount);
    EXPECT_EQ(TextLineEndsParagraph, lines[0].flags);
    EXPECT_EQ(20, lines[0].y);
    EXPECT_EQ(30, lines[0].x);
    EXPECT_EQ(100, lines[0].height);
    EXPECT_EQ(80, lines[0].ascent);
    EXPECT_EQ(1u, Segments().size());
    EXPECT_EQ(200, lines[0].paragraphWidth);
}

TEST_F(LayoutTest, ParagraphEndsAndTheFinalEmptyLine)
{
    struct Case {
        const char* text;
        std::vector<int> starts;
        std::vector<int> counts;
    } cases[] = {
        {"ab\r", {0, 3}, {2, 0}},
        {"ab", {0}, {2}},
        {"ab\rcd", {0, 3}, {2, 2}},
        {"\r\r", {0, 1, 2}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Make(c.text);
        ASSERT_EQ(0, Layout());
        const std::vector<TextLine> lines = Lines();
        EXPECT_EQ(c.starts, Starts(lines));
        std::vector<int> counts;
        for (const TextLine& line : lines) {
            counts.push_back(line.charCount);
            EXPECT_TRUE(line.flags & TextLineEndsParagraph);
        }
        EXPECT_EQ(c.counts, counts);
        // Lines follow one another without spacing; segments cover every line.
        for (size_t i = 1; i < lines.size(); ++i)
            EXPECT_EQ(lines[i - 1].y + lines[i - 1].height, lines[i].y);
        EXPECT_EQ(lines.back().firstSegment + lines.back().segmentCount,
                  static_cast<int>(Segments().size()));
    }
}

TEST_F(LayoutTest, WordsWrapAtSpacesAndTrailingSpacesStayOnTheLine)
{
    Make("aaaa bbbb cccc dddd eeee");
    ASSERT_EQ(0, Layout());
    const std::vector<TextLine> lines = Lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(20, lines[0].charCount);
    EXPECT_EQ(19, lines[0].drawnChars);
    EXPECT_EQ(190, lines[0].breakWidth);
    EXPECT_EQ(200, lines[0].fullWidth);
    EXPECT_EQ(200, lines[0].extent);
    EXPECT_EQ(0, lines[0].paragraphWidth);
    EXPECT_FALSE(lines[0].flags & TextLineEndsParagraph);
    EXPECT_EQ(10, SegmentsOf(lines[0])[0].extraWidth);   // the width left over
    EXPECT_EQ(20, lines[1].firstChar);
    EXPECT_EQ(4, lines[1].charCount);
    EXPECT_EQ(20 + 120, lines[1].y);
}

TEST_F(LayoutTest, OverlongWordIsCutAtTheMostCharactersThatFit)
{
    struct Case {
        const char* text;
        int wrap;
        std::vector<int> starts;
    } cases[] = {
        {"aaaaaaaaaaaaaaaaaaaaaaaaa", 100, {0, 10, 20}},
        {"aaaaaaaaaaaaa", 95, {0, 9}},
        {"WWW", 10, {0, 1, 2}},          // narrower than one character: one stays
        {"xx aaaaaaaaaaaaaaa", 100, {0, 3, 13}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Make(c.text, {{0}}, {PlainFormat()}, c.wrap);
        ASSERT_EQ(0, Layout());
        const std::vector<TextLine> lines = Lines();
        EXPECT_EQ(c.starts, Starts(lines));
        for (const TextLine& line : lines) {
            EXPECT_GE(line.charCount, 1);
            if (c.wrap >= 20) {
                EXPECT_LE(line.breakWidth, c.wrap);
            }
        }
    }
}

TEST_F(LayoutTest, LongWordEstimateSurvivesAZeroAverageWidth)
{
    fake_.averageWidth = 0;
    Make(std::string(300, 'a'), {{0}}, {PlainFormat()}, 500);
    ASSERT_EQ(0, Layout());
    const std::vector<TextLine> lines = Lines();
    ASSERT_EQ(6u, lines.size());
    EXPECT_EQ(250, lines[5].firstChar);
}

TEST_F(LayoutTest, WithoutWrapAParagraphStaysOnOneLineExceptPastTheThreshold)
{
    const std::string words = "aaaa bbbb cccc dddd eeee ffff gggg";
    for (DWORD options : {DWORD(0), DWORD(TenOptWordWrap | TenOptWholeText)}) {
        Make(words + "\r" + words, {{0}}, {PlainFormat()}, 100, options);
        ASSERT_EQ(0, Layout());
        EXPECT_EQ((std::vector<int>{0, 35}), Starts(Lines())) << options;
    }
    // Wrap width 100 gives a threshold of 1000: a tab or soft hyphen beyond it ends the line.
    std::string wide(105, 'a');
    Make(wide + "\t" + "bb" + "\x01" + "cc", {{0}}, {PlainFormat()}, 100, 0);
    ASSERT_EQ(0, Layout());
    EXPECT_EQ((std::vector<int>{0, 105}), Starts(Lines()));
}

TEST_F(LayoutTest, TabsStopAtMultiplesOfTheIntervalFromTheEditorsEdge)
{
    // The left margin is 30: a tab at absolute 140 stops at 150, one at 150 at 300.
    struct Case {
        std::string text;
        int interval;
        int stop;   // x of the segment after the tab, relative to the line
    } cases[] = {
        {std::string(11, 'a') + "\tb", 150, 150 - 30},
        {std::string(12, 'a') + "\tb", 150, 300 - 30},
        {std::string(12, 'a') + "\tb", 0, 120},
        {std::string(12, 'a') + "\tb", -150, 120},    // a negative interval counts as 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interval);
        Make(c.text, {{0}}, {PlainFormat(0, c.interval)}, 1000);
        ASSERT_EQ(0, Layout());
        const std::vector<TextLine> lines = Lines();
        ASSERT_EQ(1u, lines.size());
        const std::vector<TextSegment> segments = SegmentsOf(lines[0]);
        ASSERT_EQ(2u, segments.size());
        EXPECT_EQ(c.stop, segments[1].x);
        EXPECT_EQ(static_cast<int>(c.text.size()) - 2, segments[0].drawnChars);
        EXPECT_EQ(static_cast<int>(c.text.size()) - 1, segments[0].charCount);
        EXPECT_EQ(c.stop + 10, lines[0].breakWidth);
    }
}

TEST_F(LayoutTest, SoftHyphenShowsADashOnlyWhereTheLineBreaks)
{
    // "aaaa bbb-ccc": the line breaks at the soft hyphen when "bbbccc" does not fit.
    Make("aaaa bbb\x01" "cccccc", {{0}}, {PlainFormat()}, 100);
    ASSERT_EQ(0, Layout());
    std::vector<TextLine> lines = Lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(9, lines[0].charCount);
    EXPECT_TRUE(lines[0].flags & TextLineSoftHyphen);
    EXPECT_EQ(80 + 10 + 1, lines[0].breakWidth);   // the dash and one unit
    EXPECT_EQ(9, lines[1].firstChar);

    Make("aaaa bbb\x01" "ccc", {{0}}, {PlainFormat()}, 200);
    ASSERT_EQ(0, Layout());
    lines = Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_FALSE(lines[0].flags & TextLineSoftHyphen);
    EXPECT_EQ(110, lines[0].breakWidth);   // the soft hyphen takes no width
    EXPECT_EQ(2, lines[0].segmentCount);
}

TEST_F(LayoutTest, HardSpaceKeepsItsWordsTogether)
{
    Make("aaaa bbbb\x02" "cccc", {{0}}, {PlainFormat()}, 120);
    ASSERT_EQ(0, Layout());
    const std::vector<TextLine> lines = Lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(5, lines[1].firstChar);
    EXPECT_EQ(90, lines[1].breakWidth);
    const std::vector<TextSegment> segments = SegmentsOf(lines[1]);
    ASSERT_EQ(2u, segments.size());
    EXPECT_EQ(4, segments[0].drawnChars);   // the hard space is a gap, not drawn
    EXPECT_EQ(5, segments[0].charCount);
    EXPECT_EQ(50, segments[1].x);
}

TEST_F(LayoutTest, AlignmentWorksFromTheBreakWidth)
{
    struct Case {
        int alignment;
        int x;
    } cases[] = {{kTextAlignLeft, 30}, {kTextAlignRight, 30 + 160}, {kTextAlignCentre, 30 + 80}};
    for (const Case& c : cases) {
        Make("abcd   ", {{0}}, {PlainFormat(c.alignment)});
        ASSERT_EQ(0, Layout());
        const std::vector<TextLine> lines = Lines();
        EXPECT_EQ(c.x, lines[0].x) << c.alignment;
        EXPECT_EQ(40, lines[0].breakWidth);
        EXPECT_EQ(70, lines[0].fullWidth);
    }
    // A line wider than the box is never shifted left of its edge.
    Make(std::string(30, 'a'), {{0}}, {PlainFormat(kTextAlignRight)}, 100, 0);
    ASSERT_EQ(0, Layout());
    EXPECT_EQ(30, Lines()[0].x);
}

TEST_F(LayoutTest, JustifiedParagraphSpreadsEveryLineButTheLast)
{
    Make("aa bb cc dd ee ff gg hh", {{0}}, {PlainFormat(kTextAlignJustify)}, 100);
    ASSERT_EQ(0, Layout());
    const std::vector<TextLine> lines = Lines();
    ASSERT_GE(lines.size(), 2u);
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        EXPECT_EQ(100 + 18, lines[i].extent);
        EXPECT_EQ(30, lines[i].x);
    }
    EXPECT_EQ(lines.back().fullWidth, lines.back().extent);
    EXPECT_TRUE(lines.back().flags & TextLineEndsParagraph);

    // Across run boundaries the spare width is shared in whole units between the segments.
    Make("aa bb cc dd ee ff", {{0}, {3}, {6}}, {PlainFormat(kTextAlignJustify)}, 100);
    ASSERT_EQ(0, Layout());
    const TextLine first = Lines()[0];
    const std::vector<TextSegment> segments = SegmentsOf(first);
    ASSERT_EQ(3u, segments.size());
    const int remaining = 100 - first.breakWidth;
    EXPECT_GT(remaining, 0);
    int shared = 0;
    for (const TextSegment& s : segments) shared += s.extraWidth;
    EXPECT_EQ(segments.back().x + segments.back().width + segments.back().extraWidth,
              first.breakWidth + remaining);
    EXPECT_LE(shared, remaining);
}

TEST_F(LayoutTest, SpacingBelowLinesAndParagraphRules)
{
    ParagraphFormat spaced = PlainFormat();
    spaced.lineSpacing = 50;
    spaced.extraSpacing = 7;
    Make("ab\rcd", {{0, 12, 0, 0, 1}, {3}}, {spaced, PlainFormat()});
    ASSERT_EQ(0, Layout());
    const std::vector<TextLine> lines = Lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(20 + 120 + 60 + 7 + 30, lines[1].y);
}

TEST_F(LayoutTest, TypingReLaysTheEditedParagraphOnly)
{
    std::string text;
    for (int p = 0; p < 6; ++p) text += "aaaa bbbb cccc dddd eeee ffff gggg hhh\r";
    Make(text);
    ASSERT_EQ(0, Layout());
    const std::vector<TextLine> before = Lines();
    ASSERT_EQ(13u, before.size());   // two lines a paragraph and the final empty line

    // One character typed into the third paragraph's second line (character 100).
    const int at = 100;
    text.insert(at, "x");
    SetText(text);
    {
        TenState* st = Lock();
        TextLine* lines = static_cast<TextLine*>(GlobalLock(st->lines));
        for (int i = 0; i < st->lineCount; ++i)
            if (lines[i].firstChar > at) ++lines[i].firstChar;
        GlobalUnlock(st->lines);
        Unlock();
    }
    const int calls = fake_.extentCalls;
    int end = 0, first = 0;
    ASSERT_EQ(0, Layout(4, 6, &end, &first));
    EXPECT_EQ(4, first);
    EXPECT_EQ(6, end);   // the first kept line
    EXPECT_LT(fake_.extentCalls - calls, 40);
    const std::vector<TextLine> after = Lines();

    LayoutTest::Make(text);
    ASSERT_EQ(0, Layout());
    const std::vector<TextLine> fresh = Lines();
    ASSERT_EQ(fresh.size(), after.size());
    for (size_t i = 0; i < fresh.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(0, memcmp(&fresh[i], &after[i], sizeof(TextLine)));
    }
}

TEST_F(LayoutTest, TypingThatAddsALineMovesTheLinesBelow)
{
    std::string text = "aaaa bbbb cccc dddd\rzz\r";
    Make(text);
    ASSERT_EQ(0, Layout());
    text.insert(10, "qqqq ");
    SetText(text);
    {
        TenState* st = Lock();
        TextLine* lines = static_cast<TextLine*>(GlobalLock(st->lines));
        for (int i = 0; i < st->lineCount; ++i)
            if (lines[i].firstChar > 10) lines[i].firstChar += 5;
        GlobalUnlock(st->lines);
        Unlock();
    }
    int end = 0, first = 0;
    ASSERT_EQ(0, Layout(0, 1, &end, &first));
    const std::vector<TextLine> after = Lines();
    Make(text);
    ASSERT_EQ(0, Layout());
    const std::vector<TextLine> fresh = Lines();
    ASSERT_EQ(fresh.size(), after.size());
    for (size_t i = 0; i < fresh.size(); ++i)
        EXPECT_EQ(0, memcmp(&fresh[i], &after[i], sizeof(TextLine))) << i;
    EXPECT_EQ(static_cast<int>(after.size()), end);
}

TEST_F(LayoutTest, OverflowPast32767IsToldOnceEachWay)
{
    // 300 empty paragraphs of 120 units end below 32767.
    Make(std::string(300, '\r'));
    ASSERT_EQ(0, Layout());
    ASSERT_EQ(0, Layout());
    std::vector<std::pair<UINT, WPARAM>> notices = Notices();
    ASSERT_EQ(1u, notices.size());
    EXPECT_EQ(TenNoticeOverflow, notices[0].first);
    EXPECT_EQ(1u, notices[0].second);

    SetText(std::string(10, '\r'));
    ASSERT_EQ(0, Layout());
    notices = Notices();
    ASSERT_EQ(2u, notices.size());
    EXPECT_EQ(TenNoticeOverflow, notices[1].first);
    EXPECT_EQ(0u, notices[1].second);
}

TEST_F(LayoutTest, ABlockAboveItsLimitIsReportedAndTablesAreCutBack)
{
    Make(std::string(500, '\r'));
    ASSERT_EQ(0, Layout());
    bool tooLarge = false;
    for (auto notice : Notices()) tooLarge |= notice.first == TenNoticeBlockTooLarge;
    EXPECT_TRUE(tooLarge);
    SetText("ab");
    ASSERT_EQ(0, Layout());
    TenState* st = Lock();
    EXPECT_EQ(1, st->lineCount);
    EXPECT_LE(GlobalSize(st->lines), 60u + 256u + 32u);
    EXPECT_LE(GlobalSize(st->segments), 24u + 256u + 32u);
    EXPECT_FALSE(st->flags & TenFlagLayoutPending);
    Unlock();
}

TEST_F(LayoutTest, VerticalAlignmentOfTheLaidOutText)
{
    struct Case {
        int align, boxHeight, firstY;
    } cases[] = {{0, 1000, 20}, {6, 1000, 20 + (960 - 240) / 2}, {8, 1000, 20 + 720}, {8, 100, 20}};
    for (const Case& c : cases) {
        Make("ab\rcd");
        TenState* st = Lock();
        st->verticalAlign = c.align;
        st->height = c.boxHeight;
        Unlock();
        ASSERT_EQ(0, Layout());
        EXPECT_EQ(c.firstY, Lines()[0].y) << c.align << " " << c.boxHeight;
    }
}

TEST_F(LayoutTest, MixedRunsTakeTheTallestAndCloseSegmentsAtBoundaries)
{
    Make("ab cd ef", {{0, 12}, {3, 20}, {5, 12}});
    ASSERT_EQ(0, Layout());
    const std::vector<TextLine> lines = Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(200, lines[0].height);
    EXPECT_EQ(160, lines[0].ascent);
    const std::vector<TextSegment> segments = SegmentsOf(lines[0]);
    ASSERT_EQ(3u, segments.size());
    EXPECT_EQ(3, segments[0].charCount);
    EXPECT_EQ(2, segments[1].charCount);
    EXPECT_EQ(3, segments[2].charCount);
    EXPECT_EQ(80, lines[0].breakWidth);
}

// A space that ends a run is drawn in that run: the next run's segment starts behind it and is
// as wide as its own characters, so nothing is drawn over the space or stretched across it.
TEST_F(LayoutTest, ASpaceBeforeARunBoundaryPlacesTheNextSegmentBehindIt)
{
    struct Case {
        const char* text;
        std::vector<RunShape> runs;
    } cases[] = {
        {"Hello world", {{0}, {6}}},
        {"Hello   world", {{0}, {8}}},
        {"Second line", {{0}, {7}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Make(c.text, c.runs, {PlainFormat()}, 2000);
        ASSERT_EQ(0, Layout());
        const std::vector<TextSegment> segments = SegmentsOf(Lines()[0]);
        ASSERT_EQ(2u, segments.size());
        const std::string text = c.text;
        const int boundary = c.runs[1].firstChar;
        const int length = static_cast<int>(text.size());
        auto width = [&text](int from, int to) {
            int w = 0;
            for (int i = from; i < to; ++i) w += FakeTextDevice::Width(text[i]);
            return w;
        };
        EXPECT_EQ(width(0, boundary), segments[1].x);
        EXPECT_EQ(width(boundary, length), segments[1].width);
        EXPECT_EQ(length - boundary, segments[1].drawnChars);
        EXPECT_EQ(width(0, length), Lines()[0].breakWidth);
    }
}

namespace {

// The production device with fonts made here, since no document font list is loaded.
class RealFontDevice : public TextDevice {
public:
    ~RealFontDevice() override
    {
        for (auto& entry : fonts_) DeleteObject(entry.second);
    }
    HFONT RunFont(const TenState*, const TextRun& run, int size) override
    {
        HFONT& font = fonts_[size * 16 + (run.style & 3)];
        if (!font)
            font = CreateFontA(-size * 600 / 72, 0, 0, 0, (run.style & 1) ? FW_BOLD : FW_NORMAL,
                               FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
        return font;
    }

private:
    std::map<int, HFONT> fonts_;
};

}  // namespace

TEST_F(LayoutTest, OnARealDeviceLinesBreakAtWordEndsWithinTheirWidth)
{
    RealFontDevice real;
    InstallTextDevice(&real);
    HGDIOBJ oldFont = GetCurrentObject(reference_, OBJ_FONT);
    const std::string text =
        "The quick brown fox jumps over the lazy dog, and then it keeps running far away "
        "into the hills where nobody can follow it any more.\rA second paragraph follows here.";
    for (int wrap : {1500, 2400, 4000}) {
        SCOPED_TRACE(wrap);
        Make(text, {{0, 12}, {20, 14}, {60, 10}}, {PlainFormat()}, wrap);
        ASSERT_EQ(0, Layout());
        const std::vector<TextLine> lines = Lines();
        ASSERT_GE(lines.size(), 3u);
        for (size_t i = 0; i < lines.size(); ++i) {
            const TextLine& line = lines[i];
            EXPECT_LE(line.breakWidth, wrap);
            EXPECT_GT(line.height, 0);
            if (i + 1 < lines.size() && !(line.flags & TextLineEndsParagraph)) {
                // The line ends after a word and its spaces; the next begins with a word.
                EXPECT_EQ(' ', text[line.firstChar + line.drawnChars]);
                EXPECT_NE(' ', text[lines[i + 1].firstChar]);
                EXPECT_EQ(' ', text[lines[i + 1].firstChar - 1]);
            }
        }
        // Positions and x map back onto each other on the real device, character by character
        // (within the first run: a space ending a run lies at the next segment's x).
        TenState* st = Lock();
        TextRun* runs = static_cast<TextRun*>(GlobalLock(st->runs));
        const char* chars = static_cast<const char*>(GlobalLock(st->text));
        const TextSegment* segments = static_cast<const TextSegment*>(GlobalLock(st->segments));
        const void* formats = GlobalLock(st->formats);
        for (int p = lines[0].firstChar; p < runs[1].firstChar - 1; ++p) {
            int run = 0, backRun = 0, backX = 0;
            const int x = PositionToX(st, 0, runs, chars, p, &run);
            const int back = XToPosition(reference_, FALSE, &lines[0], runs, st->runCount, segments,
                                         formats, chars, x, &backX, &backRun);
            EXPECT_EQ(p, back) << "x " << x;
            EXPECT_NEAR(x, backX, 2) << p;
        }
        GlobalUnlock(st->formats);
        GlobalUnlock(st->segments);
        GlobalUnlock(st->text);
        GlobalUnlock(st->runs);
        Unlock();
    }
    SelectObject(reference_, oldFont);
    InstallTextDevice(&fake_);
}

TEST_F(LayoutTest, LinesFlowIntoTheNextBandBelowASeparator)
{
    Make("a\rb\rc\rd\re\rf");
    TextRegion bands[2]{};
    bands[0] = TextRegion{0, 300, 0, 0, 0, 0, 200};
    bands[1] = TextRegion{1000, 300, 0, 0, 0, 0, 200};
    SetBands(bands, 2);

    ASSERT_EQ(0, Layout());
    const std::vector<TextLine> lines = Lines();
    ASSERT_EQ(6u, lines.size());
    // Lines of 120 from the top margin 20: the third would end at 380, below the band's 300.
    EXPECT_EQ(140, lines[1].y);
    EXPECT_EQ(260 + g_bandGap, lines[2].y);
    EXPECT_TRUE(lines[2].flags & TextLineFirstOfBand);
    EXPECT_FALSE(lines[3].flags & TextLineFirstOfBand);
    EXPECT_EQ(lines[2].y + 120, lines[3].y);
    TenState* st = Lock();
    const TextRegion* laid = static_cast<const TextRegion*>(GlobalLock(st->bands));
    EXPECT_EQ(2, laid[1].firstLine);
    EXPECT_EQ(260, laid[0].filledTo);
    GlobalUnlock(st->bands);
    Unlock();
}

TEST_F(LayoutTest, TextFarBelowTheLastBandIsToldToTheParent)
{
    struct Case {
        int lastBandFilled;
        bool told;
    } cases[] = {{0, true}, {100, false}};   // the last line's top is 260
    for (const Case& c : cases) {
        Make("a\rb\rc");
        TextRegion bands[2]{};
        bands[0] = TextRegion{0, 5000, 0, 0, 0, 0, 200};
        bands[1] = TextRegion{6000, 300, c.lastBandFilled, 0, 0, 0, 200};
        SetBands(bands, 2);
        const size_t before = Notices().size();
        ASSERT_EQ(0, Layout());
        const std::vector<std::pair<UINT, WPARAM>> notices = Notices();
        bool told = false;
        for (size_t i = before; i < notices.size(); ++i) told |= notices[i].first == TenNoticeFarBelowBands;
        EXPECT_EQ(c.told, told) << c.lastBandFilled;
    }
}
