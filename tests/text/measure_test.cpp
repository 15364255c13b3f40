// Measuring: run fonts and metrics, searches, positions and x, fitted widths, double-byte text.
#include <cstring>

#include "layout_fixture.h"
#include "text/text_engine.h"
#include "text/text_layout.h"
#include "text/text_measure.h"

namespace {

TextRun RunOf(TenState* st, int index)
{
    TextRun* runs = static_cast<TextRun*>(GlobalLock(st->runs));
    TextRun run = runs[index];
    GlobalUnlock(st->runs);
    return run;
}

// Double-byte mode with 0x81 as the only lead byte, for one test.
class DoubleByteMode {
public:
    explicit DoubleByteMode(FakeTextDevice& fake) : old_(g_doubleByte)
    {
        g_doubleByte = TRUE;
        fake.leadBytes = {0x81};
    }
    ~DoubleByteMode() { g_doubleByte = old_; }

private:
    BOOL old_;
};

}  // namespace

TEST_F(LayoutTest, RunFontSizeAndMetricsFollowScriptAndEffect)
{
    struct Case {
        int size, script, kind, dy;
        int fontSize, height, ascent;
    } cases[] = {
        {12, 1, 0, 0, 9, 90, 72 + 45},      // superscript: 3/4 of the size, ascent + height/2
        {4, -1, 0, 0, 4, 40, 32 - 10},      // subscript: 3 raised to 4, ascent - height/4
        {12, 0, 1, -5, 12, 130, 101},       // embossed: |dy| above, twice in the height
        {12, 0, 2, 5, 12, 130, 101},
        {12, 0, 3, 7, 12, 127, 96},         // shadow below: height only
        {12, 0, 5, -7, 12, 127, 103},       // shadow above: ascent too
        {12, 0, 6, 7, 12, 120, 96},         // unknown kind: no room
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size << " kind " << c.kind);
        Make("x", {{0, c.size, c.script}});
        fake_.sizesAsked.clear();
        TenState* st = Lock();
        st->effect.kind = c.kind;
        st->effect.dy = c.dy;
        TextRun run = RunOf(st, 0);
        run.escapement = 900;
        CreateRunFont(st, &run);
        Unlock();
        ASSERT_EQ(1u, fake_.sizesAsked.size());
        EXPECT_EQ(c.fontSize, fake_.sizesAsked[0]);
        EXPECT_EQ(c.height, run.height);
        EXPECT_EQ(c.ascent, run.ascent);
        EXPECT_EQ(0, run.escapement);
        EXPECT_EQ(c.fontSize, run.font);
    }
}

TEST_F(LayoutTest, CharSpacingGoesThroughTheDeviceAndIgnoresBadFormatIndices)
{
    ParagraphFormat formats[1] = {PlainFormat()};
    formats[0].charSpacing = 50;
    TextRun run{};
    run.averageWidth = 9;
    fake_.extra[reference_] = 7;
    EXPECT_EQ(7, SetRunCharSpacing(reference_, formats, 1, &run));
    EXPECT_EQ(4, fake_.extra[reference_]);
    for (int index : {-1, 1, 500}) {
        run.paragraphFormat = index;
        SetRunCharSpacing(reference_, formats, 1, &run);
        EXPECT_EQ(0, fake_.extra[reference_]) << index;
    }
    // A negative index reads the first entry, never before the table.
    EXPECT_EQ(&formats[0], ParagraphFormatAt(formats, 1, -3));
    EXPECT_EQ(&formats[0], ParagraphFormatAt(formats, 1, 1));
}

TEST(TextSearch, BinarySearchesFindTheEnclosingRunAndLine)
{
    TextRun runs[4]{};
    const int firsts[4] = {0, 5, 5, 12};
    for (int i = 0; i < 4; ++i) runs[i].firstChar = firsts[i];
    struct { int position, run; } runCases[] = {{0, 0}, {4, 0}, {6, 2}, {11, 2}, {12, 3}, {40, 3}};
    for (auto c : runCases) {
        const int found = FindRunAtPosition(c.position, runs, 4);
        EXPECT_TRUE(found == c.run || (c.position == 5 && (found == 1 || found == 2))) << c.position;
        EXPECT_LE(runs[found].firstChar, c.position);
    }
    TextLine lines[3]{};
    for (int i = 0; i < 3; ++i) {
        lines[i].y = 100 * i;
        lines[i].height = 80;
        lines[i].firstChar = 10 * i;
    }
    EXPECT_EQ(1, FindLineAtPosition(15, lines, 3));
    EXPECT_EQ(2, FindLineAtPosition(20, lines, 3));
    struct { int y, line; } yCases[] = {{0, 0}, {79, 0}, {100, 1}, {250, 2}, {-50, 0}, {900, 2}};
    for (auto c : yCases) EXPECT_EQ(c.line, FindLineAtY(lines, 3, c.y)) << c.y;
    EXPECT_EQ(0, FindLineAtY(lines, 0, 50));
}

TEST_F(LayoutTest, FitCharCountTakesTheNearerEdge)
{
    const char text[] = "abcdefgh";
    // Characters are 10 wide: edges at 10, 20, 30...
    struct { int target, count, width; } cases[] = {
        {14, 1, 10}, {15, 1, 10}, {16, 2, 20}, {20, 2, 20}, {0, 0, 0}, {4, 0, 0}, {6, 1, 10},
        {500, 8, 80},
    };
    for (auto c : cases) {
        int width = -1;
        EXPECT_EQ(c.count, FitCharCount(reference_, text, 0, FALSE, 0, 8, c.target, &width, 0, 0))
            << c.target;
        EXPECT_EQ(c.width, width) << c.target;
    }
    // The overhang is taken off every measured width.
    fake_.overhang = 3;
    int width = 0;
    EXPECT_EQ(2, FitCharCount(reference_, text, 3, FALSE, 0, 8, 16, &width, 0, 0));
    EXPECT_EQ(20, width);
}

TEST(TextFit, AdjustCharWidthsSpreadsInProportionAndKeepsTheLast)
{
    struct Case {
        const char* text;
        std::vector<INT32> widths;
        int target;
        std::vector<INT32> expected;
    } cases[] = {
        {"abcde", {10, 10, 10, 10, 10}, 40, {8, 7, 8, 7, 10}},
        {"abcde", {20, 10, 10, 10, 10}, 50, {16, 8, 8, 8, 10}},
        {"abcd", {10, 10, 10, 10}, 50, {13, 13, 14, 10}},       // widening
        {"abcd", {2, 2, 2, 30}, 10, {1, 1, 1, 30}},             // none below 1, last kept
        {"ab", {10, 10}, 30, {20, 10}},
        {"a", {10}, 5, {10}},                                    // one character: unchanged
        {"abc", {0, 0, 5}, 3, {0, 0, 5}},                        // nothing to spread over
    };
    for (Case& c : cases) {
        std::vector<INT32> widths = c.widths;
        int natural = 0;
        for (INT32 w : widths) natural += w;
        AdjustCharWidths(c.text, widths.data(), static_cast<int>(widths.size()), natural, c.target);
        EXPECT_EQ(c.expected, widths) << c.text << " to " << c.target;
    }
}

TEST(TextFit, JustificationExtraGoesToTheSpaces)
{
    SetJustification(nullptr, 6, 2, TRUE);
    std::vector<INT32> widths = {10, 10, 10, 10, 10, 10};
    AdjustCharWidths("a b c ", widths.data(), 6, 60, 60);
    SetJustification(nullptr, 0, 0, TRUE);
    EXPECT_EQ((std::vector<INT32>{10, 13, 10, 13, 10, 10}), widths);
    EXPECT_EQ(0, g_justifyExtra);
}

TEST_F(LayoutTest, FittedMeasureGrowsTheWidthTable)
{
    std::string text(300, 'a');
    ASSERT_TRUE(EnsureWidthTable(1));
    EXPECT_GE(g_widthCapacity, kInitialWidthEntries);
    const int before = g_widthCapacity;
    EXPECT_EQ(10, MeasureTextRun(reference_, text.data(), 1, 300, 2900, FALSE));
    if (before < 300) {
        EXPECT_EQ(310, g_widthCapacity);
        EXPECT_GE(GlobalSize(g_widthTable), 4u * 300 + 40);
    }
    // The fitted sum of all characters is the stretch width; a plain measure is the extent.
    EXPECT_EQ(2900, MeasureTextRun(reference_, text.data(), 300, 300, 2900, FALSE));
    EXPECT_EQ(3000, MeasureTextRun(reference_, text.data(), 300, 300, 0, FALSE));
    INT32 small[4];
    EXPECT_EQ(-1, GetRunCharWidths(reference_, text.data(), 3, small, 4, 2, FALSE));
    EXPECT_EQ(30, GetRunCharWidths(reference_, text.data(), 3, small, 4, 1, FALSE));
}

TEST_F(LayoutTest, DoubleBytePositionsNeverLandOnATrailByte)
{
    DoubleByteMode mode(fake_);
    // "a" then five double-byte characters 0x81 0x81: lead bytes that are trail bytes as well.
    const char text[] = "a\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81";
    EXPECT_EQ(1, IsDbcsLeadByteAt(text, 1));
    EXPECT_EQ(0, IsDbcsLeadByteAt(text, 2));
    EXPECT_EQ(1, IsDbcsLeadByteAt(text, 3));
    EXPECT_EQ(0, IsDbcsLeadByteAt(text, 0));
    EXPECT_EQ(1, SnapToCharBoundary(text, 0, 2, 11, TRUE));
    EXPECT_EQ(3, SnapToCharBoundary(text, 0, 2, 11, FALSE));
    EXPECT_EQ(2, SnapToCharBoundary(text, 0, 2, 2, FALSE));    // at the limit it stays
    EXPECT_EQ(3, SnapToCharBoundary(text, 0, 3, 11, TRUE));
    for (int target = 0; target <= 110; target += 3) {
        int width = 0;
        const int k = FitCharCount(reference_, text, 0, TRUE, 0, 11, target, &width, 0, 0);
        EXPECT_TRUE(k == 0 || k % 2 == 1) << "target " << target << " gave " << k;
    }
    // An overlong double-byte word is cut between characters, never inside one.
    std::string longWord = "a";
    for (int i = 0; i < 40; ++i) longWord += "\x81\x40";
    Make(longWord, {{0}}, {PlainFormat()}, 95);
    ASSERT_EQ(0, Layout());
    for (const TextLine& line : Lines()) {
        EXPECT_GE(line.charCount, 1);
        if (line.firstChar > 1) {
            EXPECT_EQ(1, line.firstChar % 2) << line.firstChar;
        }
    }
}

TEST_F(LayoutTest, PositionAndXMapBothWays)
{
    Make("abcd efgh\r");
    ASSERT_EQ(0, Layout());
    const std::vector<TextLine> lines = Lines();
    TenState* st = Lock();
    TextRun* runs = static_cast<TextRun*>(GlobalLock(st->runs));
    const char* text = static_cast<const char*>(GlobalLock(st->text));
    const TextSegment* segments = static_cast<const TextSegment*>(GlobalLock(st->segments));
    const void* formats = GlobalLock(st->formats);
    int run = -1;
    const int calls = fake_.extentCalls;
    EXPECT_EQ(30, PositionToX(st, 0, runs, text, 0, &run));
    EXPECT_EQ(calls, fake_.extentCalls);   // no measuring at the first character
    EXPECT_EQ(0, run);
    EXPECT_EQ(30 + 30, PositionToX(st, 0, runs, text, 3, &run));
    EXPECT_EQ(30 + 90, PositionToX(st, 0, runs, text, 9, &run));

    int x = 0;
    // Right of the text: after the last character, before the paragraph end.
    EXPECT_EQ(9, XToPosition(reference_, FALSE, &lines[0], runs, 1, segments, formats, text, 500,
                             &x, &run));
    EXPECT_EQ(30 + 90, x);
    EXPECT_EQ(-1, run);
    // Just past a character's middle counts it; at or before the start gives the start.
    EXPECT_EQ(2, XToPosition(reference_, FALSE, &lines[0], runs, 1, segments, formats, text,
                             30 + 16, &x, &run));
    EXPECT_EQ(30 + 20, x);
    EXPECT_EQ(1, XToPosition(reference_, FALSE, &lines[0], runs, 1, segments, formats, text,
                             30 + 15, &x, &run));
    EXPECT_EQ(0, XToPosition(reference_, FALSE, &lines[0], runs, 1, segments, formats, text, 10,
                             &x, &run));
    GlobalUnlock(st->formats);
    GlobalUnlock(st->segments);
    GlobalUnlock(st->text);
    GlobalUnlock(st->runs);
    Unlock();
}

TEST(TextAlign, LinesAlignWithoutNegativeShifts)
{
    TextRun runs[1]{};
    ParagraphFormat formats[2]{};
    formats[0].alignment = kTextAlignRight;
    formats[0].leftIndent = 15;
    formats[1].alignment = kTextAlignCentre;
    TextLine lines[3]{};
    lines[0].breakWidth = 60;
    lines[1].breakWidth = 500;   // wider than the box
    lines[2].breakWidth = 60;
    lines[2].firstRun = 0;
    runs[0].paragraphFormat = 0;
    AlignTextLinesHorizontally(lines, runs, formats, 3, 2, 100, 200);
    EXPECT_EQ(100 + 140 + 15, lines[0].x);
    EXPECT_EQ(100 + 15, lines[1].x);
    runs[0].paragraphFormat = 1;
    AlignTextLinesHorizontally(lines, runs, formats, 1, 2, 100, 200);
    EXPECT_EQ(100 + 70, lines[0].x);
    runs[0].paragraphFormat = -4;   // outside the table: the first format
    AlignTextLinesHorizontally(lines, runs, formats, 1, 2, 100, 200);
    EXPECT_EQ(100 + 140 + 15, lines[0].x);

    struct { int align, height, firstY; } cases[] = {
        {6, 400, 50 + 100}, {8, 400, 50 + 200}, {0, 400, 50}, {6, 100, 50}, {8, 100, 50},
    };
    for (auto c : cases) {
        TextLine v[2]{};
        v[0].y = 1000;
        v[0].height = 100;
        v[1].y = 1100;
        v[1].height = 100;
        AlignTextLinesVertically(v, 2, c.align, 50, c.height);
        EXPECT_EQ(c.firstY, v[0].y) << c.align << " " << c.height;
        EXPECT_EQ(c.firstY + 100, v[1].y);
    }
}
