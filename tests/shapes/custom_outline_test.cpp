// Custom outlines: the vertex chain with its curved pieces expanded by their line classes,
// scaled into a frame; scan-line crossings; the text margins found inside the outline.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "lines/line_shape.h"
#include "shape_fixture.h"
#include "shapes/custom_outline.h"
#include "shapes/shape_kinds.h"
#include "store/store_records.h"

namespace {

// A vertex with the descriptor of the piece that ends at it.
struct Vertex {
    int x, y;
    int pieceClass = 1;
    int orientation = 0;
    int lineShape = 0;
    double param = 0.0;
};

void FillBlock(HGLOBAL block, int designW, int designH, const std::vector<Vertex>& vertices)
{
    auto* head = static_cast<OutlinePointBlock*>(GlobalLock(block));
    head->count = static_cast<int>(vertices.size());
    head->designWidth = designW;
    head->designHeight = designH;
    auto* v = reinterpret_cast<OutlineVertex*>(head + 1);
    for (size_t i = 0; i < vertices.size(); ++i) {
        const Vertex& s = vertices[i];
        v[i] = OutlineVertex{s.pieceClass, s.orientation, s.lineShape, s.param, s.x, s.y};
    }
    GlobalUnlock(block);
}

HGLOBAL MakeBlock(int designW, int designH, const std::vector<Vertex>& vertices)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT,
                                sizeof(OutlinePointBlock) + vertices.size() * sizeof(OutlineVertex));
    FillBlock(block, designW, designH, vertices);
    return block;
}

std::vector<POINT> Scaled(HGLOBAL block, const RECT& frame)
{
    // Room beyond the limit, marked, to see that nothing is written past it.
    std::vector<POINT> points(kMaxOutlinePoints + 50, POINT{-7, -7});
    int count = -1;
    ScaleCustomOutline(frame, block, points.data(), &count);
    for (size_t i = kMaxOutlinePoints; i < points.size(); ++i)
        EXPECT_EQ(-7, points[i].x) << "written past the limit at " << i;
    EXPECT_GE(count, 0);
    EXPECT_LE(count, kMaxOutlinePoints);
    points.resize(count < 0 ? 0 : count);
    return points;
}

const std::vector<Vertex> kSquare = {{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}, {0, 0}};
// Half a disc over the bottom edge: an arc piece bulging up by 500, closed by a plain piece.
const std::vector<Vertex> kHalfDisc = {{0, 500}, {1000, 500, 1, 0, LineArc, 500.0}, {0, 500}};

using CustomOutlineChain = ShapeClass;

TEST_F(CustomOutlineChain, SquareOfPlainPiecesGivesTheFrameCornersInAnyFrame)
{
    HGLOBAL block = MakeBlock(1000, 1000, kSquare);
    for (const RECT& frame : {RECT{100, 200, 700, 500}, RECT{0, 0, 37, 5000}, RECT{50, 50, 50, 50}}) {
        const std::vector<POINT> points = Scaled(block, frame);
        ASSERT_EQ(5u, points.size());
        const POINT expected[5] = {{frame.left, frame.top}, {frame.right, frame.top},
                                   {frame.right, frame.bottom}, {frame.left, frame.bottom},
                                   {frame.left, frame.top}};
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(expected[i].x, points[i].x) << i;
            EXPECT_EQ(expected[i].y, points[i].y) << i;
        }
    }
    GlobalFree(block);
}

TEST_F(CustomOutlineChain, ArcPieceIsExpandedInDesignUnitsAndStretchesWithTheFrame)
{
    HGLOBAL block = MakeBlock(1000, 500, kHalfDisc);
    const std::vector<POINT> design = Scaled(block, RECT{0, 0, 1000, 500});
    ASSERT_GT(design.size(), 5u);
    EXPECT_EQ(0, design.front().x);
    EXPECT_EQ(500, design.front().y);
    // The arc ends at its vertex, then the closing vertex follows.
    EXPECT_EQ(1000, design[design.size() - 2].x);
    EXPECT_EQ(500, design[design.size() - 2].y);
    EXPECT_EQ(0, design.back().x);
    EXPECT_EQ(500, design.back().y);
    LONG top = 500;
    for (size_t i = 0; i + 1 < design.size(); ++i) {
        const double r = std::hypot(design[i].x - 500.0, design[i].y - 500.0);
        EXPECT_NEAR(500.0, r, 2.0) << "point " << i << " off the circle";
        top = std::min(top, design[i].y);
    }
    EXPECT_LE(top, 1);

    // In a frame of another shape every point is the design point scaled: the circle
    // becomes an ellipse, it is not a new arc over the scaled chord.
    const RECT frame{100, 300, 2100, 550};
    const std::vector<POINT> stretched = Scaled(block, frame);
    ASSERT_EQ(design.size(), stretched.size());
    for (size_t i = 0; i < design.size(); ++i) {
        EXPECT_EQ(frame.left + design[i].x * 2, stretched[i].x) << i;
        EXPECT_EQ(frame.top + design[i].y / 2, stretched[i].y) << i;
    }
    GlobalFree(block);
}

TEST_F(CustomOutlineChain, ElbowPieceIsExpandedByTheConnectorClass)
{
    // A quarter turn from the top edge down the right side: turn code 3 (top right).
    HGLOBAL block = MakeBlock(1000, 1000, {{0, 0}, {500, 0}, {1000, 500, 2, 1, 3}, {1000, 1000},
                                           {0, 1000}, {0, 0}});
    const std::vector<POINT> points = Scaled(block, RECT{0, 0, 1000, 1000});
    ASSERT_GT(points.size(), 7u);
    EXPECT_EQ(500, points[1].x);
    EXPECT_EQ(0, points[1].y);
    const size_t arcEnd = points.size() - 4;
    EXPECT_EQ(1000, points[arcEnd].x);
    EXPECT_EQ(500, points[arcEnd].y);
    for (size_t i = 1; i <= arcEnd; ++i)
        EXPECT_NEAR(500.0, std::hypot(points[i].x - 500.0, points[i].y - 500.0), 2.0) << i;
    GlobalFree(block);
}

// Counts the outline expansions the classes are asked for.
int g_expansions = 0;
LONG CALLBACK CountingHandler(HDC, Drawing*, void*, int, int message, int, int, void*)
{
    if (message == OM_GETPOINTLIST)
        ++g_expansions;
    return 0;
}

TEST(CustomOutlinePieces, OnlyLineAndTurnedElbowPiecesReachAClass)
{
    for (int objClass = 0; objClass < ClassCount; ++objClass)
        RegisterClassHandler(objClass, CountingHandler);
    ASSERT_EQ(0, InstallClassHandlers());
    struct Case {
        Vertex piece;
        int expansions;
    } cases[] = {
        {{10, 10, 1, 0, LineArc, 5.0}, 1},  // a line piece
        {{10, 10, 1, 0, 0}, 1},             // a plain line piece: its class adds nothing
        {{10, 10, 2, 1, 0}, 1},             // elbow turn codes 0-3
        {{10, 10, 2, 1, 3}, 1},
        {{10, 10, 2, 1, 4}, 0},             // a damaged turn code is drawn straight
        {{10, 10, 2, 1, -1}, 0},
        {{10, 10, 0, 1, 3}, 0},             // classes other than 1 and 2
        {{10, 10, 3, 1, 3}, 0},
        {{10, 10, 77, 1, 3}, 0},
        {{10, 10, -1, 1, 3}, 0},
    };
    for (const Case& c : cases) {
        HGLOBAL block = MakeBlock(10, 10, {{0, 0, 9, 9, 9}, c.piece});
        g_expansions = 0;
        const std::vector<POINT> points = Scaled(block, RECT{0, 0, 10, 10});
        EXPECT_EQ(c.expansions, g_expansions) << "class " << c.piece.pieceClass << " shape " << c.piece.lineShape;
        EXPECT_EQ(2u, points.size());
        GlobalFree(block);
    }
    RemoveClassHandlers();
}

TEST_F(CustomOutlineChain, DamagedBlocksStayWithinTheBlockAndTheLimit)
{
    // No block gives no points.
    int count = -1;
    POINT none[1];
    ScaleCustomOutline(RECT{0, 0, 10, 10}, nullptr, none, &count);
    EXPECT_EQ(0, count);

    // A count beyond the block reads only the vertices it holds, and no class is sent a
    // vertex beyond them.
    HGLOBAL block = MakeBlock(1000, 500, kHalfDisc);
    const size_t expanded = Scaled(block, RECT{0, 0, 1000, 500}).size();
    auto* head = static_cast<OutlinePointBlock*>(GlobalLock(block));
    head->count = 0x7fffffff;
    GlobalUnlock(block);
    EXPECT_EQ(expanded, Scaled(block, RECT{0, 0, 1000, 500}).size());
    GlobalFree(block);

    // Arcs stop expanding near the limit and plain vertices stop at it.
    std::vector<Vertex> chain;
    for (int i = 0; i < 400; ++i)
        chain.push_back(i % 2 ? Vertex{1000, 500, 1, 0, LineArc, 500.0} : Vertex{0, 500});
    block = MakeBlock(1000, 500, chain);
    EXPECT_EQ(static_cast<size_t>(kMaxOutlinePoints), Scaled(block, RECT{0, 0, 1000, 500}).size());
    GlobalFree(block);
    block = MakeBlock(1000, 1000, std::vector<Vertex>(900, Vertex{3, 4}));
    EXPECT_EQ(static_cast<size_t>(kMaxOutlinePoints), Scaled(block, RECT{0, 0, 1000, 1000}).size());
    GlobalFree(block);
}

TEST(ScanlineCrossings, CountsEachCrossingOnceAndSortsTwo)
{
    const POINT square[] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};
    const POINT zigzag[] = {{0, 0}, {10, 100}, {20, 0}, {30, 100}};
    const POINT dot[] = {{5, 5}, {5, 5}, {5, 5}};
    struct Case {
        const POINT* points;
        int count;
        double position;
        int vertical;
        int result;
        INT32 first, second;
    } cases[] = {
        {square, 5, 50.0, 0, 2, 0, 100},   // y = 50 crosses the left and right sides, sorted
        {square, 5, 50.0, 1, 2, 0, 100},
        {square, 5, 0.0, 1, 2, 0, 100},    // along the left side: its vertices count once
        {square, 5, 100.0, 0, 2, 0, 100},  // along the bottom
        {square, 5, 100.5, 0, 0, 0, 0},
        {zigzag, 4, 50.0, 0, 3, 5, 15},    // more than two ends the scan
        {zigzag, 4, 5.0, 1, 1, 50, 0},
        {zigzag, 4, 10.0, 1, 1, 100, 0},   // a shared vertex is one crossing
        {square, 5, 33.7, 1, 2, 0, 100},
        {dot, 3, 5.0, 0, 0, 0, 0},         // zero-length edges are skipped
    };
    for (const Case& c : cases) {
        INT32 crossings[2] = {-1, -1};
        const int result = CountScanlineCrossings(c.points, c.count, c.position, crossings, c.vertical);
        EXPECT_EQ(c.result, result) << c.position << " " << c.vertical;
        if (result >= 1) {
            EXPECT_EQ(c.first, crossings[0]) << c.position;
        }
        if (result >= 2) {
            EXPECT_EQ(c.second, crossings[1]) << c.position;
        }
    }
    // Crossings are truncated.
    const POINT slant[] = {{0, 0}, {3, 10}};
    INT32 crossings[2];
    ASSERT_EQ(1, CountScanlineCrossings(slant, 2, 5.0, crossings, 0));
    EXPECT_EQ(1, crossings[0]);
}

struct Margins {
    double left, top, right, bottom;
};

Margins TextMargins(const std::vector<Vertex>& vertices, int options = 0, int designW = 1000,
                    int designH = 1000)
{
    HGLOBAL block = MakeBlock(designW, designH, vertices);
    DrawObject shape = {};
    shape.objType = ShapeCustom;
    shape.options = options;
    ComputeCustomTextMargins(block, &shape);
    GlobalFree(block);
    Margins m;
    std::memcpy(&m, shape.classData, sizeof m);
    return m;
}

// A tall strip from x = 500 to 550: the margins 0.5 left and 0.45 right it gives are too
// wide together.
const std::vector<Vertex> kStrip = {{500, 0}, {550, 0}, {550, 1000}, {500, 1000}, {500, 0}};

TEST(CustomTextMargins, LargestUprightRectangleInsideTheOutline)
{
    struct Case {
        const char* name;
        std::vector<Vertex> outline;
        int options;
        Margins expected;
    } cases[] = {
        {"rectangle", kSquare, 0, {0, 0, 0, 0}},
        {"thin diagonal", {{0, 0}, {1000, 1000}, {0, 0}}, 0, {0.2, 0.2, 0.2, 0.2}},
        {"no outline", {}, 0, {0.2, 0.2, 0.2, 0.2}},
        // 0.5 and 0.45 lowered to 0.4 and 0.35; the top scan line at 0 meets three sides.
        {"strip", kStrip, 0, {0.4, 0.08, 0.35, 0}},
        // Mirrored, the strip lies from 450 to 500.
        {"mirrored strip", kStrip, OptMirrorH, {0.35, 0.08, 0.4, 0}},
        // A wide band from y = 500 to 550 found by the first pass's lines.
        {"band", {{0, 500}, {0, 550}, {1000, 550}, {1000, 500}, {0, 500}}, 0, {0.08, 0.4, 0, 0.35}},
        // Damaged vertices at the far end of the int range: the scan lines stay in the
        // design box, and nothing overflows.
        {"band out of range", {{0, 500}, {0, 550}, {INT_MAX, 550}, {INT_MAX, 500}, {0, 500}}, 0,
         {0.08, 0.4, 0, 0.35}},
    };
    for (const Case& c : cases) {
        const Margins m = TextMargins(c.outline, c.options);
        EXPECT_DOUBLE_EQ(c.expected.left, m.left) << c.name;
        EXPECT_DOUBLE_EQ(c.expected.top, m.top) << c.name;
        EXPECT_DOUBLE_EQ(c.expected.right, m.right) << c.name;
        EXPECT_DOUBLE_EQ(c.expected.bottom, m.bottom) << c.name;
    }
}

TEST_F(CustomOutlineChain, NewCustomShapeTakesItsMarginsFromTheOutline)
{
    HGLOBAL block = nullptr;
    ASSERT_EQ(0, AddRecord(slot_, kOutlineRecordType, 1,
                           sizeof(OutlinePointBlock) + kStrip.size() * sizeof(OutlineVertex), &block));
    FillBlock(block, 1000, 1000, kStrip);
    MarkBlockDirty(block);
    const int row = Add(ShapeCustom, RECT{100, 100, 1100, 600}, 0,
                        static_cast<int>(reinterpret_cast<INT_PTR>(block)));
    const DrawObject shape = Object(row);
    EXPECT_EQ(RecOutlinePoints, shape.dataType);
    EXPECT_EQ(1, shape.dataId);
    double fractions[4];
    std::memcpy(fractions, shape.classData, sizeof fractions);
    EXPECT_DOUBLE_EQ(0.4, fractions[0]);
    EXPECT_DOUBLE_EQ(0.35, fractions[2]);
    // The text area follows from them.
    EXPECT_EQ(400, shape.textInset.left);
    EXPECT_EQ(40, shape.textInset.top);
    EXPECT_EQ(350, shape.textInset.right);
}

} // namespace
