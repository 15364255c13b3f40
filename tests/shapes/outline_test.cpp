// Shape kinds and their outlines: the kind table, outline polygons in a frame and in inner
// rectangles, custom outlines, border insets and text-area fractions.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "shapes/custom_outline.h"
#include "shapes/shape_kinds.h"
#include "shapes/shape_outline.h"

namespace {

struct Pt {
    LONG x, y;
    bool operator==(const Pt&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Pt& p)
{
    return os << "(" << p.x << ", " << p.y << ")";
}

std::vector<Pt> Outline(int kind, const RECT& rect, double p, const RECT* ref = nullptr,
                        int inset = 0, HGLOBAL custom = nullptr)
{
    POINT pts[kMaxOutlinePoints + 1];
    int n = -1;
    BuildShapeOutline(rect, ref ? *ref : rect, p, kind, inset, custom, pts, &n);
    std::vector<Pt> out;
    for (int i = 0; i < n; ++i)
        out.push_back(Pt{pts[i].x, pts[i].y});
    return out;
}

const RECT kFrame{100, 200, 700, 500}; // 600 x 300

TEST(ShapeKinds, TableOfParametersRingFlagsAndHints)
{
    double d = -1, lo = -1, hi = -1;
    GetShapeParamRange(2, &d, &lo, &hi);
    EXPECT_EQ(0.0, d);
    EXPECT_EQ(0.0, lo);
    EXPECT_EQ(0.0, hi);
    GetShapeParamRange(7, &d, &lo, &hi);
    EXPECT_EQ(0.1, d);
    EXPECT_EQ(0.05, lo);
    EXPECT_EQ(0.3, hi);
    GetShapeParamRange(19, &d, &lo, &hi);
    EXPECT_EQ(0.33, d);
    GetShapeParamRange(99, &d, &lo, &hi);
    EXPECT_EQ(0.0, d);

    for (int kind = -1; kind <= kShapeKindCount; ++kind) {
        const bool ring = kind == 5 || kind == 6 || kind == 7 || (kind >= 10 && kind <= 25);
        EXPECT_EQ(ring ? 1 : 0, IsRingBorderKind(kind)) << kind;
        const ShapeKindInfo* info = GetShapeKindInfo(kind);
        if (kind < 0 || kind >= kShapeKindCount) {
            EXPECT_EQ(nullptr, info);
            continue;
        }
        const bool tool = kind >= 2 && kind <= 25;
        EXPECT_EQ(tool ? kShapeHintFirstId + kind - 2 : 0u, info->hintId) << kind;
        if (tool) {
            EXPECT_EQ(0, std::strncmp(info->name, "Draw a", 6)) << kind;
        }
        EXPECT_LE(info->paramMin, info->paramDefault);
        EXPECT_LE(info->paramDefault, info->paramMax);
    }
    EXPECT_STREQ("Draw a Trapezoid", GetShapeKindInfo(17)->name);
}

// Every built-in kind yields the points its table row names, inside its frame, and every
// polygon except the ellipses and the eight frame points ends where it starts.
TEST(ShapeOutline, EveryKindHasItsPointCountInsideTheFrame)
{
    for (int kind = 0; kind <= 25; ++kind) {
        double p, lo, hi;
        GetShapeParamRange(kind, &p, &lo, &hi);
        for (double param : {lo, p, hi}) {
            const std::vector<Pt> pts = Outline(kind, kFrame, param);
            ASSERT_EQ(GetShapeKindInfo(kind)->points, static_cast<int>(pts.size())) << kind;
            for (const Pt& pt : pts) {
                EXPECT_TRUE(pt.x >= kFrame.left && pt.x <= kFrame.right) << kind << pt;
                EXPECT_TRUE(pt.y >= kFrame.top && pt.y <= kFrame.bottom) << kind << pt;
            }
            const bool open = kind == 0 || kind == 1 || kind == 4 || kind == 9;
            if (!open) {
                EXPECT_EQ(pts.front(), pts.back()) << kind;
            }
        }
    }
    EXPECT_TRUE(Outline(27, kFrame, 0).empty());
    EXPECT_TRUE(Outline(26, kFrame, 0).empty()); // no block
}

TEST(ShapeOutline, PolygonKindsInTheFrame)
{
    struct Case {
        int kind;
        double p;
        std::vector<Pt> points;
    };
    const Case cases[] = {
        {0, 0, {{100, 200}, {700, 200}, {700, 500}, {100, 500},
                {400, 200}, {700, 350}, {400, 500}, {100, 350}}},
        {2, 0, {{100, 200}, {700, 200}, {700, 500}, {100, 500}, {100, 200}}},
        {5, 0.2, {{220, 200}, {700, 200}, {580, 500}, {100, 500}, {220, 200}}},
        {6, 0, {{400, 200}, {700, 350}, {400, 500}, {100, 350}, {400, 200}}},
        {11, 0.5, {{100, 350}, {400, 200}, {400, 245}, {700, 245}, {700, 455}, {400, 455},
                   {400, 500}, {100, 350}}},
        {12, 0.5, {{400, 200}, {100, 350}, {190, 350}, {190, 500}, {610, 500}, {610, 350},
                   {700, 350}, {400, 200}}},
        {13, 0.5, {{190, 200}, {190, 350}, {100, 350}, {400, 500}, {700, 350}, {610, 350},
                   {610, 200}, {190, 200}}},
        {14, 0, {{400, 200}, {700, 500}, {100, 500}, {400, 200}}},
        {15, 0, {{100, 200}, {700, 200}, {400, 500}, {100, 200}}},
        {16, 0.2, {{100, 260}, {700, 200}, {700, 500}, {100, 500}, {100, 260}}},
        {17, 0.2, {{220, 200}, {580, 200}, {700, 500}, {100, 500}, {220, 200}}},
        {18, 0.2, {{100, 200}, {700, 200}, {580, 500}, {220, 500}, {100, 200}}},
        // The cut is the smaller of p x W and p x H.
        {19, 0.25, {{175, 200}, {625, 200}, {700, 275}, {700, 425}, {625, 500}, {175, 500},
                    {100, 425}, {100, 275}, {175, 200}}},
        {21, 0.25, {{250, 200}, {550, 200}, {700, 350}, {550, 500}, {250, 500}, {100, 350},
                    {250, 200}}},
        {22, 0.5, {{100, 350}, {100, 200}, {700, 200}, {700, 350}, {400, 500}, {100, 350}}},
        {23, 0.5, {{400, 200}, {700, 200}, {700, 500}, {400, 500}, {100, 350}, {400, 200}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.points, Outline(c.kind, kFrame, c.p)) << "kind " << c.kind;
}

TEST(ShapeOutline, RightArrowInAThousandByFourHundredFrame)
{
    const RECT f{50, 80, 1050, 480}; // L 50, T 80, R 1050, B 480
    const std::vector<Pt> expected = {{50, 140}, {750, 140}, {750, 80}, {1050, 280},
                                      {750, 480}, {750, 420}, {50, 420}, {50, 140}};
    EXPECT_EQ(expected, Outline(10, f, 0.3));
}

TEST(ShapeOutline, RoundedRectangleAndTerminateArcs)
{
    const RECT f{0, 0, 600, 300};
    // Radius trunc(0.2 x 300) = 60; four arcs of 20 points counter-clockwise, then closed.
    std::vector<Pt> pts = Outline(3, f, 0.2);
    ASSERT_EQ(81u, pts.size());
    const std::pair<int, Pt> corners[] = {
        {0, {60, 0}},    {19, {0, 60}},    {20, {0, 240}},  {39, {60, 300}},
        {40, {540, 300}}, {59, {600, 240}}, {60, {600, 60}}, {79, {540, 0}}, {80, {60, 0}}};
    for (const auto& [i, pt] : corners)
        EXPECT_EQ(pt, pts[i]) << i;
    for (int i = 1; i < 19; ++i) { // the first arc bends toward the corner
        EXPECT_LT(pts[i].x, 60);
        EXPECT_GT(pts[i].y, 0);
    }

    // The terminate symbol's radius is H/2 whatever the parameter.
    for (double p : {0.0, 0.4}) {
        pts = Outline(8, f, p);
        ASSERT_EQ(81u, pts.size());
        EXPECT_EQ((Pt{150, 0}), pts[0]);
        EXPECT_EQ((Pt{0, 150}), pts[19]);
        EXPECT_EQ((Pt{450, 300}), pts[40]);
    }
}

TEST(ShapeOutline, EllipseHalvesAreOpen)
{
    const std::vector<Pt> pts = Outline(4, kFrame, 0);
    ASSERT_EQ(80u, pts.size());
    // Left half top to bottom through the left edge, right half bottom to top.
    EXPECT_EQ((Pt{400, 200}), pts[0]);
    EXPECT_EQ((Pt{400, 500}), pts[39]);
    EXPECT_EQ((Pt{400, 500}), pts[40]);
    EXPECT_EQ((Pt{400, 200}), pts[79]);
    LONG minX = 1000, maxX = 0;
    for (int i = 0; i < 40; ++i)
        minX = std::min(minX, pts[i].x);
    for (int i = 40; i < 80; ++i)
        maxX = std::max(maxX, pts[i].x);
    EXPECT_LE(minX, 101);
    EXPECT_GE(maxX, 699);
}

TEST(ShapeOutline, CurvedKindsKeepTheirShape)
{
    // Document: the bottom's right half arches up by d = trunc(0.1 x 300), the left half
    // dips down by d.
    std::vector<Pt> doc = Outline(7, kFrame, 0.1);
    EXPECT_EQ((Pt{100, 470}), doc[0]);
    EXPECT_EQ((Pt{700, 470}), doc[3]);
    EXPECT_EQ((Pt{550, 440}), doc[13]); // top of the arch, at R - W/4
    EXPECT_EQ((Pt{400, 470}), doc[23]);
    EXPECT_EQ((Pt{250, 500}), doc[33]); // bottom of the dip
    EXPECT_EQ((Pt{100, 470}), doc[44]);
    // Its quarters are real: on a width that 4 does not divide the wave still ends on L.
    std::vector<Pt> odd = Outline(7, RECT{100, 200, 702, 500}, 0.1);
    EXPECT_EQ((Pt{401, 470}), odd[23]);
    EXPECT_EQ((Pt{100, 470}), odd[43]);

    // Delay: flat left, a half ellipse of width c = trunc(0.5 x 600) down the right side.
    std::vector<Pt> delay = Outline(24, kFrame, 0.5);
    EXPECT_EQ((Pt{400, 200}), delay[2]);
    EXPECT_EQ((Pt{400, 200}), delay[3]);
    EXPECT_EQ((Pt{699, 346}), delay[22]); // 40 points never land on the middle itself
    EXPECT_EQ((Pt{699, 353}), delay[23]);
    EXPECT_EQ((Pt{400, 500}), delay[42]);

    // Online storage: the left side bulges out to L, the right side curves in to R - c.
    std::vector<Pt> store = Outline(20, kFrame, 0.2);
    EXPECT_EQ((Pt{220, 500}), store[0]);
    EXPECT_EQ((Pt{220, 500}), store[1]); // the left arc runs bottom to top
    EXPECT_EQ((Pt{220, 200}), store[20]);
    EXPECT_EQ((Pt{700, 200}), store[22]);
    EXPECT_EQ((Pt{700, 200}), store[23]);
    EXPECT_EQ((Pt{581, 342}), store[32]);
    EXPECT_EQ((Pt{700, 500}), store[43]);

    // Display: its left point's depth is scaled like the bulge.
    std::vector<Pt> display = Outline(25, kFrame, 0.2);
    EXPECT_EQ((Pt{220, 500}), display[0]);
    EXPECT_EQ((Pt{100, 350}), display[1]);
    EXPECT_EQ((Pt{580, 200}), display[3]);
}

// Inner outlines are built in a smaller rectangle with the frame as reference, so they keep
// the outer slopes.
TEST(ShapeOutline, InnerOutlinesKeepTheOuterSlopes)
{
    const RECT outer{0, 0, 600, 400};
    const RECT inner{0, 100, 600, 300}; // half the height
    const std::vector<Pt> full = Outline(5, outer, 0.2);
    const std::vector<Pt> half = Outline(5, inner, 0.2, &outer);
    EXPECT_EQ(120, full[0].x);
    EXPECT_EQ(60, half[0].x);
    EXPECT_EQ((Pt{540, 300}), half[2]);

    // A right arrow's shaft edges move in by the inset; its head base stays put.
    const RECT in{24, 24, 976, 376};
    const RECT frame{0, 0, 1000, 400};
    const std::vector<Pt> arrow = Outline(10, in, 0.3, &frame, 24);
    EXPECT_EQ((Pt{24, 84}), arrow[0]);   // T0 + s + inset
    EXPECT_EQ((Pt{724, 84}), arrow[1]);  // L + W0 - h
    EXPECT_EQ((Pt{24, 316}), arrow[6]);  // B0 - s - inset
}

HGLOBAL OutlineBlock(int count, int designW, int designH, const std::vector<Pt>& vertices,
                     int room = -1)
{
    const int n = room < 0 ? static_cast<int>(vertices.size()) : room;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT,
                                sizeof(OutlinePointBlock) + n * sizeof(OutlineVertex));
    auto* head = static_cast<OutlinePointBlock*>(GlobalLock(block));
    head->count = count;
    head->designWidth = designW;
    head->designHeight = designH;
    auto* v = reinterpret_cast<OutlineVertex*>(head + 1);
    for (size_t i = 0; i < vertices.size() && static_cast<int>(i) < n; ++i) {
        v[i].pieceClass = 1;
        v[i].x = vertices[i].x;
        v[i].y = vertices[i].y;
    }
    GlobalUnlock(block);
    return block;
}

TEST(CustomOutline, ScaledIntoAnyFrameAndCheckedAgainstItsBlock)
{
    const std::vector<Pt> square = {{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}, {0, 0}};
    HGLOBAL block = OutlineBlock(5, 1000, 1000, square);
    const std::vector<Pt> expected = {{100, 200}, {700, 200}, {700, 500}, {100, 500},
                                      {100, 200}};
    EXPECT_EQ(expected, Outline(26, kFrame, 0, nullptr, 0, block));
    GlobalFree(block);

    // A design size below 1 is read as 1.
    block = OutlineBlock(2, 0, -5, {{0, 0}, {1, 1}});
    EXPECT_EQ((std::vector<Pt>{{100, 200}, {700, 500}}),
              Outline(26, kFrame, 0, nullptr, 0, block));
    GlobalFree(block);

    // A stored count beyond the block, or a negative one, reads only what the block holds.
    block = OutlineBlock(1000000, 1000, 1000, square, 3);
    EXPECT_EQ(3u, Outline(26, kFrame, 0, nullptr, 0, block).size());
    GlobalFree(block);
    block = OutlineBlock(-4, 1000, 1000, square);
    EXPECT_TRUE(Outline(26, kFrame, 0, nullptr, 0, block).empty());
    GlobalFree(block);

    // No more than the outline limit, whatever the block holds.
    std::vector<Pt> many(700, Pt{5, 5});
    block = OutlineBlock(700, 10, 10, many);
    EXPECT_EQ(static_cast<size_t>(kMaxOutlinePoints),
              Outline(26, kFrame, 0, nullptr, 0, block).size());
    GlobalFree(block);
}

TEST(BorderInsets, SlantedSidesNeedWiderInsets)
{
    struct Case {
        int kind;
        double p;
        RECT expected;
    };
    // Frame 600 x 300, border 24.
    const Case cases[] = {
        {2, 0, {24, 24, 24, 24}},
        {19, 0.33, {24, 24, 24, 24}},
        // 24 x sqrt(600^2 + 300^2) / 300 and / 600.
        {6, 0, {53, 26, 53, 26}},
        // c = 0.2 x 600 = 120: 24 x (120 + sqrt(120^2 + 300^2)) / 300.
        {5, 0.2, {35, 24, 35, 24}},
        // c = 2 x 0.3 x 600 = 360: right 24 x sqrt(360^2 + 300^2) / 300, top and bottom
        // 24 x (300 + sqrt(...)) / 360.
        {10, 0.3, {24, 51, 37, 51}},
        {11, 0.3, {37, 51, 24, 51}},
        // d = 300: sides 24 x (300 + sqrt(300^2 + 300^2)) / 300, top 24 x sqrt(...) / 300.
        {14, 0, {57, 33, 57, 24}},
        {15, 0, {57, 24, 57, 33}},
        // d = 150, c = 0.25 x 600 = 150: 24 x sqrt(150^2 + 150^2) / 150.
        {21, 0.25, {33, 24, 33, 24}},
        {23, 0.25, {33, 24, 24, 24}},
    };
    for (const Case& c : cases) {
        RECT insets{-1, -1, -1, -1};
        ComputeBorderInsets(kFrame, 24, c.p, c.kind, &insets);
        EXPECT_EQ(c.expected.left, insets.left) << c.kind;
        EXPECT_EQ(c.expected.top, insets.top) << c.kind;
        EXPECT_EQ(c.expected.right, insets.right) << c.kind;
        EXPECT_EQ(c.expected.bottom, insets.bottom) << c.kind;
    }

    // A zero denominator leaves that side as the caller had it.
    RECT insets{-7, -7, -7, -7};
    ComputeBorderInsets(RECT{0, 0, 1, 300}, 24, 0, 14, &insets); // d = W/2 = 0
    EXPECT_EQ(-7, insets.top);
    EXPECT_EQ(24, insets.bottom);
}

TEST(TextMargins, FractionsByKindAndMirroring)
{
    double f[4] = {0.01, 0.02, 0.03, 0.04};
    ComputeShapeTextFractions(2, 0.5, 0x18, f); // a rectangle keeps its fractions
    EXPECT_EQ(0.01, f[0]);
    EXPECT_EQ(0.04, f[3]);

    ComputeShapeTextFractions(7, 0.1, 0, f);
    EXPECT_EQ(0.0, f[1]);
    EXPECT_EQ(0.2, f[3]);
    ComputeShapeTextFractions(7, 0.1, 0x10, f); // mirrored vertically: the wave is on top
    EXPECT_EQ(0.2, f[1]);
    EXPECT_EQ(0.0, f[3]);

    ComputeShapeTextFractions(25, 0.2, 0, f);
    EXPECT_DOUBLE_EQ(0.707106782 * 0.2, f[0]);
    EXPECT_DOUBLE_EQ(0.292893218 * 0.2, f[2]);
    ComputeShapeTextFractions(25, 0.2, 0x8, f);
    EXPECT_DOUBLE_EQ(0.292893218 * 0.2, f[0]);
    EXPECT_DOUBLE_EQ(0.707106782 * 0.2, f[2]);
}

TEST(TextMargins, InsetsInUnitsOfTheFrameOrOfTheText)
{
    double f[4] = {0, 0, 0, 0};
    ComputeShapeTextFractions(4, 0, 0, f);
    RECT r = TextInsetFromFractions(4, f, false, 600, 300);
    EXPECT_EQ(87, r.left);   // 0.146446609 x 600
    EXPECT_EQ(43, r.top);    // x 300
    // From the text: the frame that holds a 600 x 300 text area, 1 - 2 x 0.1464 larger.
    r = TextInsetFromFractions(4, f, true, 600, 300);
    EXPECT_EQ(124, r.left);
    EXPECT_EQ(62, r.bottom);

    // Rounded rectangles measure on the shorter side.
    ComputeShapeTextFractions(3, 0.2, 0, f);
    r = TextInsetFromFractions(3, f, false, 600, 300);
    EXPECT_EQ(17, r.left); // 0.292893218 x 0.2 x 300
    EXPECT_EQ(17, r.top);

    // Fractions that leave no room for text are measured as with the flag clear.
    const double full[4] = {0.5, 0.1, 0.5, 0.1};
    r = TextInsetFromFractions(26, full, true, 600, 300);
    EXPECT_EQ(300, r.left);
    EXPECT_EQ(37, r.top); // 0.1 x 300 / 0.8
}

} // namespace
