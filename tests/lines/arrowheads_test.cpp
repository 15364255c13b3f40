// Arrowheads: setbacks and extents by kind, size and width, and what a pair of heads draws.
#include <gtest/gtest.h>

#include <vector>

#include "lines/arrowheads.h"
#include "shapes/metafile_format.h"
#include "support/metafile_recorder.h"

namespace {

struct MeasureCase {
    int kind, size, width;
    int setback, across, along;
};

// S = 12/24/36 and G = 42/84/126 by size.
const MeasureCase kMeasures[] = {
    {0, 0, 1, 0, 19, 0},
    {1, 1, 1, 56, 31, 0},          // (84 + 1) * 2 / 3
    {1, 0, 20, 41, 38, 0},
    {2, 0, 12, 12, 30, 0},         // width up to 12: w
    {2, 0, 13, 6, 31, 0},          // above: w / 2
    {22, 2, 20, 10, 62, 0},
    {3, 1, 12, 32, 42, 0},         // (84 + 12) / 3
    {4, 2, 1, 36, 43, 43},
    {5, 0, 13, 12, 31, 31},
    {6, 1, 20, 24, 50, 50},
    {7, 0, 1, 12, 19, 19},
    {8, 0, 1, -1, 49, 0},          // crow's feet reach G + w + 6 across
    {12, 1, 12, 156, 102, 0},      // 2S + G + 2w
    {13, 2, 13, -1, 145, 0},
    {9, 1, 1, -1, 31, 31},
    {10, 2, 12, 0, 54, 0},
    {11, 0, 12, 36, 30, 0},
    {14, 0, 20, 106, 38, 0},
    {15, 1, 13, -1, 43, 0},
    {16, 2, 1, 36, 43, 43},
    {17, 0, 1, -1, 19, 0},
    {18, 1, 12, -1, 42, 0},
    {19, 2, 20, -1, 62, 0},
    {20, 1, 13, 64, 43, 0},
    {21, 2, 1, 84, 43, 0},
    {23, 0, 13, 3, 31, 0},         // w / 4
    {24, 1, 12, 0, 42, 0},         // unknown kinds: nothing
    {255, 0, 1, 0, 19, 0},
    {0x101, 1, 1, 56, 31, 0},      // the set-in bit is the caller's
    {1, 7, 1, 84, 43, 0},          // a stored size beyond the table reads as large
    {1, -1, 1, 56, 31, 0},         // a preview size measures as its size
};

TEST(Arrowheads, SetbackAndExtentByKindSizeAndWidth)
{
    for (const MeasureCase& c : kMeasures) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " size " << c.size << " width " << c.width);
        EXPECT_EQ(c.setback, ArrowheadSetback(static_cast<DWORD>(c.kind), c.size, c.width));
        const LONG extent = ArrowheadExtent(static_cast<DWORD>(c.kind), c.size, c.width);
        EXPECT_EQ(c.across, LOWORD(extent));
        EXPECT_EQ(c.along, HIWORD(extent));
    }
    for (DWORD word = 0; word < 0x200; ++word)
        EXPECT_EQ((word & 0xFF) >= 17 && (word & 0xFF) <= 19 ? 1 : 0, IsMidLineArrowhead(word)) << word;
    for (int size : {-100, -3, -2, -1, 0, 1, 2, 3, 1000})
        EXPECT_TRUE(LimitArrowheadSize(size) >= -2 && LimitArrowheadSize(size) <= 2) << size;
}

// Draws one call of DrawArrowheads into a metafile and returns its records.
std::vector<MetaRecord> Draw(int ends, DWORD first, DWORD second, int width, int size, POINT a, POINT b)
{
    MetaRecorder recorder;
    HBRUSH fill = CreateSolidBrush(RGB(0, 0, 0));
    HPEN outline = CreatePen(PS_SOLID, 0, RGB(0, 0, 0));
    HPEN stroke = CreatePen(PS_INSIDEFRAME, width, RGB(0, 0, 0));
    DrawArrowheads(recorder.dc(), ends, first, second, width, size, 0, a.x, a.y, b.x, b.y, fill, outline,
                   stroke);
    auto records = recorder.Records();
    DeleteObject(fill);
    DeleteObject(outline);
    DeleteObject(stroke);
    return records;
}

std::vector<POINT> PolygonPoints(const MetaRecord& r)
{
    std::vector<POINT> points;
    for (int i = 0; i < r.params[0]; ++i)
        points.push_back(POINT{r.params[1 + 2 * i], r.params[2 + 2 * i]});
    return points;
}

TEST(Arrowheads, OnlyTheTriangleFamilyReadsTheEndsMask)
{
    const POINT a{100, 500}, b{700, 500};
    // Kind 1 at both ends with mask 2: the first head only, its tip on the first point.
    auto triangles = OfFunction(Draw(2, 1, 1, 1, 1, a, b), MetaPolygon);
    ASSERT_EQ(1u, triangles.size());
    const auto tri = PolygonPoints(triangles[0]);
    ASSERT_EQ(3u, tri.size());
    EXPECT_EQ(100, tri[0].x);
    EXPECT_EQ(500, tri[0].y);
    // Corners sqrt(85^2 - 25^2) along the line and J = 25 to either side.
    EXPECT_EQ(181, tri[1].x);
    EXPECT_EQ(25, std::abs(tri[1].y - 500));
    EXPECT_EQ(-(tri[1].y - 500), tri[2].y - 500);
    // Circles are drawn whatever the mask.
    EXPECT_EQ(2u, OfFunction(Draw(2, 4, 4, 1, 1, a, b), MetaEllipse).size());
    EXPECT_EQ(2u, OfFunction(Draw(3, 1, 1, 1, 1, a, b), MetaPolygon).size());
    EXPECT_TRUE(OfFunction(Draw(0, 1, 20, 1, 1, a, b), MetaPolygon).empty());
    // Unknown kinds draw nothing at all.
    for (WORD drawing : {MetaPolygon, MetaEllipse, MetaLineTo, MetaRectangle})
        EXPECT_TRUE(OfFunction(Draw(3, 24, 200, 1, 1, a, b), drawing).empty()) << drawing;
}

TEST(Arrowheads, PreviewSizesAreASixth)
{
    // Size -1, width 1: K = 4, so the circle is 8 across; size 1: K = 24.
    for (auto [size, k] : {std::pair{-1, 4}, std::pair{1, 24}}) {
        const auto circles = OfFunction(Draw(2, 5, 0, 1, size, POINT{100, 100}, POINT{400, 100}), MetaEllipse);
        ASSERT_EQ(1u, circles.size()) << size;
        // Ellipse records hold bottom, right, top, left.
        EXPECT_EQ(2 * k, circles[0].params[1] - circles[0].params[3]) << size;
        EXPECT_EQ(100 - k, circles[0].params[3]) << size;
    }
}

TEST(Arrowheads, MidLineHeadsSitOnTheMiddle)
{
    const POINT a{0, 0}, b{1000, 0};
    // Both ends mid-line: both tips on the middle, pointing away from each other.
    auto both = OfFunction(Draw(3, 17, 17, 1, 1, a, b), MetaPolygon);
    ASSERT_EQ(2u, both.size());
    const auto first = PolygonPoints(both[0]), second = PolygonPoints(both[1]);
    EXPECT_EQ(500, first[0].x);
    EXPECT_EQ(500, second[0].x);
    EXPECT_GT(first[1].x, 500);
    EXPECT_LT(second[1].x, 500);
    // Alone: centred on the middle (L = 85, tip moved 42 toward the first point).
    auto alone = OfFunction(Draw(3, 17, 0, 1, 1, a, b), MetaPolygon);
    ASSERT_EQ(1u, alone.size());
    const auto head = PolygonPoints(alone[0]);
    EXPECT_EQ(458, head[0].x);
    EXPECT_GT(head[1].x, 500);
}

TEST(Arrowheads, CrowsFeetArmsLevelWithTheEndOnlyOnAxisLines)
{
    // Horizontal: the arms end exactly at the end point's x.
    auto level = Draw(2, 8, 0, 1, 1, POINT{100, 500}, POINT{700, 500});
    auto lines = OfFunction(level, MetaLineTo);
    ASSERT_EQ(2u, lines.size());
    for (const MetaRecord& r : lines) {
        EXPECT_EQ(100, r.params[1]);                   // LineTo holds y, x
        EXPECT_EQ(25, std::abs(r.params[0] - 500));
    }
    // At 45 degrees the arm ends lie L - sqrt(L^2 - J^2) = 3.76 units inside along the line, so
    // they leave the perpendicular through the end point (x + y = 5 after truncation).
    auto slanted = OfFunction(Draw(2, 8, 0, 1, 1, POINT{0, 0}, POINT{600, 600}), MetaLineTo);
    ASSERT_EQ(2u, slanted.size());
    for (const MetaRecord& r : slanted) {
        const int x = r.params[1], y = r.params[0];
        EXPECT_EQ(5, x + y);   // on the perpendicular x + y would be 0
    }
}

TEST(Arrowheads, ThickLinesAtSmallSizesKeepTheBarCircleOnTheLine)
{
    // Width 40 at size 0: J = 52 exceeds L / 2 = 41; the bar lies through the end point.
    auto records = Draw(2, 14, 0, 40, 0, POINT{0, 0}, POINT{300, 400});
    EXPECT_EQ(1u, OfFunction(records, MetaEllipse).size());
    EXPECT_FALSE(OfFunction(records, MetaLineTo).empty());
}

}  // namespace
