// Rendering laid-out text into a DIB section at 6 units per pixel: script offsets, underlines,
// inverse boxes, bullets, the soft-hyphen dash, rules below paragraphs and stepped shadows.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/canvas.h"
#include "text/text_render.h"

namespace {

constexpr int kUnitsPerPixel = 6;
constexpr int kTop = 300;   // the first line's top: room above for a superscript
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGrey = RGB(192, 192, 192);

bool Dark(COLORREF c)
{
    return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100;
}

struct Box {
    int left = 100000, top = 100000, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
};

template <typename Pred>
Box BoundsOf(const Canvas& canvas, Pred pred)
{
    Box box;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (pred(canvas.Pixel(x, y))) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

int CountInRow(const Canvas& canvas, int y, int from, int to, bool (*pred)(COLORREF))
{
    int n = 0;
    for (int x = from; x < to; ++x) n += pred(canvas.Pixel(x, y)) ? 1 : 0;
    return n;
}

// Laid-out text built by hand: one segment per line, a real font for every run.
class RenderTest : public testing::Test {
protected:
    RenderTest() : canvas_(400, 200) {}
    // White, 6 units per pixel, text on the baseline and transparent, as the callers set it up.
    void Clear()
    {
        canvas_.Clear(0);
        SetTextAlign(canvas_.dc(), TA_BASELINE);
        SetBkMode(canvas_.dc(), TRANSPARENT);
    }
    void SetUp() override
    {
        Clear();
        font_ = CreateFontA(-240, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, "Arial");
        SelectObject(canvas_.dc(), font_);
        TEXTMETRICA metrics;
        GetTextMetricsA(canvas_.dc(), &metrics);
        ascent_ = metrics.tmAscent;
        height_ = metrics.tmHeight;
        format_ = {};
        format_.tabInterval = 150;
    }
    void TearDown() override
    {
        SelectObject(canvas_.dc(), GetStockObject(SYSTEM_FONT));
        DeleteObject(font_);
    }

    TextRun Run(int first, int count, int style = 0, int script = 0, COLORREF color = kBlack)
    {
        TextRun run = {};
        run.size = 12;
        run.style = style;
        run.script = script;
        run.color = color;
        run.ascent = ascent_;
        run.height = height_;
        run.firstChar = first;
        run.charCount = count;
        run.font = static_cast<INT32>(reinterpret_cast<INT_PTR>(font_));
        return run;
    }
    // Lines of the given texts, one under the other from kTop, each `extent` wide at x.
    void Lines(const std::vector<std::string>& texts, int x = 60, int extent = 1800, INT32 lastFlags = 1)
    {
        text_.clear();
        lines_.clear();
        segments_.clear();
        int y = kTop;
        for (size_t i = 0; i < texts.size(); ++i) {
            const int n = static_cast<int>(texts[i].size());
            SIZE size;
            GetTextExtentPoint32A(canvas_.dc(), texts[i].c_str(), n, &size);
            TextLine line = {};
            line.ascent = ascent_;
            line.height = height_;
            line.x = x;
            line.y = y;
            line.fullWidth = line.breakWidth = size.cx;
            line.extent = extent;
            line.firstChar = static_cast<int>(text_.size());
            line.drawnChars = line.charCount = n;
            line.flags = i + 1 == texts.size() ? lastFlags : 0;
            line.paragraphWidth = i + 1 == texts.size() ? extent : 0;
            line.firstSegment = static_cast<int>(i);
            line.segmentCount = 1;
            lines_.push_back(line);
            segments_.push_back({n, n, 0, 0, 0, size.cx});
            text_ += texts[i];
            y += height_;
        }
        if (runs_.empty()) runs_.push_back(Run(0, static_cast<int>(text_.size())));
    }
    void Draw(BOOL grey = FALSE, const TextEffect* effect = nullptr)
    {
        TextRenderArgs args;
        args.dc = canvas_.dc();
        args.measureDC = canvas_.dc();
        args.lines = lines_.data();
        args.runs = runs_.data();
        args.text = text_.data();
        args.formats = &format_;
        args.formatCount = 1;
        args.segments = segments_.data();
        args.runCount = static_cast<int>(runs_.size());
        args.lineCount = static_cast<int>(lines_.size());
        args.textLength = static_cast<int>(text_.size());
        args.endLine = args.lineCount;
        args.greyHighlight = grey;
        if (effect) RenderTextWithEffect(args, *effect);
        else RenderTextLines(args);
    }
    int Px(int units) const { return units / kUnitsPerPixel; }
    int Baseline() const { return Px(kTop + ascent_); }

    Canvas canvas_;
    HFONT font_ = nullptr;
    int ascent_ = 0;
    int height_ = 0;
    ParagraphFormat format_;
    std::string text_;
    std::vector<TextRun> runs_;
    std::vector<TextLine> lines_;
    std::vector<TextSegment> segments_;
};

TEST_F(RenderTest, ScriptShiftsTheTextFromTheBaseline)
{
    struct Case {
        int script;
        int shift;   // units, down positive
    } cases[] = {{0, 0}, {-1, height_ / 4}, {1, -height_ / 2}};
    int normalTop = 0;
    for (const Case& c : cases) {
        Clear();
        runs_ = {Run(0, 2, 0, c.script)};
        Lines({"HH"});
        Draw();
        const Box box = BoundsOf(canvas_, Dark);
        ASSERT_FALSE(box.empty());
        if (c.script == 0) normalTop = box.top;
        EXPECT_NEAR(normalTop + Px(c.shift), box.top, 1) << c.script;
    }
}

TEST_F(RenderTest, UnderlineAtTheBaselineButNeverUnderASubscript)
{
    for (int script : {0, 1, -1}) {
        Clear();
        runs_ = {Run(0, 4, 4, script)};
        Lines({"''''"});
        Draw();
        int dark = 0;
        for (int y = Baseline() - 1; y <= Baseline() + 1; ++y)
            dark = std::max(dark, CountInRow(canvas_, y, 0, canvas_.width(), Dark));
        const int width = Px(lines_[0].breakWidth);
        if (script < 0) EXPECT_LT(dark, width / 4);
        else EXPECT_GE(dark, width - 2) << script;
    }
}

TEST_F(RenderTest, InverseTextGreyInTheEditorWhiteOnBlackElsewhere)
{
    runs_ = {Run(0, 4, 8 | 4, 0, kRed)};
    Lines({"HHHH"});
    Draw(TRUE);
    EXPECT_GT(canvas_.Count(kGrey), 100);
    EXPECT_GT(canvas_.Count(kRed), 20);
    EXPECT_EQ(0, canvas_.Count(kBlack) > 200 ? 1 : 0);

    Clear();
    Draw(FALSE);
    EXPECT_EQ(0, canvas_.Count(kGrey));
    EXPECT_EQ(0, canvas_.Count(kRed));
    EXPECT_GT(canvas_.Count(kBlack), 100);
    // White letters inside the box, and the underline is white too.
    const int x = Px(60) + 2;
    EXPECT_EQ(kBlack, canvas_.Pixel(x, Px(kTop) + 1));
    int whiteUnderline = 0;
    for (int y = Baseline() - 1; y <= Baseline() + 1; ++y)
        whiteUnderline = std::max(whiteUnderline, CountInRow(canvas_, y, Px(60) + 1, Px(60 + lines_[0].breakWidth) - 1,
                                                             [](COLORREF c) { return c == kWhite; }));
    EXPECT_GE(whiteUnderline, Px(lines_[0].breakWidth) - 4);
}

TEST_F(RenderTest, BulletOnTheFirstLineOfAParagraphOnly)
{
    format_.bullet = 2;
    format_.leftIndent = 120;
    Lines({"one", "two", "six"}, 120);
    Draw();
    for (size_t i = 0; i < lines_.size(); ++i) {
        int dark = 0;
        for (int y = Px(lines_[i].y); y < Px(lines_[i].y + height_); ++y) dark += CountInRow(canvas_, y, 0, Px(120), Dark);
        if (i == 0) EXPECT_GT(dark, 4);
        else EXPECT_EQ(0, dark) << i;
    }
}

TEST_F(RenderTest, SoftHyphenDashOfAJustifiedLineEndsAtTheAvailableWidth)
{
    format_.alignment = 32;
    Lines({"abc"}, 0, 1800, 2);
    Draw();
    int rightmost = -1;
    for (int y = Px(kTop); y < Px(kTop + height_); ++y)
        for (int x = 0; x < canvas_.width(); ++x)
            if (Dark(canvas_.Pixel(x, y))) rightmost = std::max(rightmost, x);
    const int end = Px(1800 - 19);
    EXPECT_LE(rightmost, end + 1);
    EXPECT_GE(rightmost, end - 4);
}

TEST_F(RenderTest, RulesBelowAParagraph)
{
    format_.leftIndent = 60;
    format_.rightIndent = 120;
    for (int flags : {1, 2}) {
        Clear();
        runs_ = {Run(0, 3)};
        runs_[0].runFlags = flags;
        Lines({"abc"}, 60, 1800);
        Draw();
        const int y = Px(kTop + height_ + 12);
        const int from = flags == 2 ? Px(60 + 60) : 0;
        const int to = flags == 2 ? Px(1800 - 120 - 60) : Px(1800 + 60);
        EXPECT_TRUE(Dark(canvas_.Pixel(from + 1, y))) << flags;
        EXPECT_TRUE(Dark(canvas_.Pixel(to - 2, y))) << flags;
        if (flags == 2) {
            EXPECT_FALSE(Dark(canvas_.Pixel(from - 2, y)));
            EXPECT_FALSE(Dark(canvas_.Pixel(to + 2, y)));
        }
    }
}

TEST_F(RenderTest, SteppedShadowDrawsOneCopyPerDevicePixel)
{
    Lines({"HH"});
    TextEffect effect = {18, 18, 3, kRed, kWhite};
    Draw(FALSE, &effect);
    const Box text = BoundsOf(canvas_, [](COLORREF c) { return c == kBlack; });
    const Box shadow = BoundsOf(canvas_, [](COLORREF c) { return c == kRed; });
    ASSERT_FALSE(shadow.empty());
    EXPECT_EQ(text.right + 3, shadow.right);
    EXPECT_EQ(text.bottom + 3, shadow.bottom);

    // Without an offset the one copy lies under the text.
    Clear();
    effect.dx = effect.dy = 0;
    Draw(FALSE, &effect);
    EXPECT_EQ(0, canvas_.Count(kRed));
    EXPECT_GT(canvas_.Count(kBlack), 50);
}

}  // namespace
