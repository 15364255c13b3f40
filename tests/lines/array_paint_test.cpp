// Line-array painting, insertion points and their positions, hook marks, handles, hit codes, XOR
// feedback and handle drags, over records written as the layout leaves them.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "array_fixture.h"
#include "exchange/exchange_services.h"
#include "lines/array_paint.h"
#include "lines/arrowheads.h"
#include "model/render.h"
#include "shapes/metafile_format.h"
#include "store/store_records.h"
#include "support/metafile_recorder.h"

namespace {

// MoveTo and LineTo records hold y before x.
POINT PenPoint(const MetaRecord& r) { return POINT{r.params[1], r.params[0]}; }
// A polygon record holds its count, then x, y pairs.
POINT PolygonPoint(const MetaRecord& r, int i) { return POINT{r.params[1 + 2 * i], r.params[2 + 2 * i]}; }
// Rectangle and ellipse boxes are held as bottom, right, top, left.
RECT BoxOf(const MetaRecord& r) { return RECT{r.params[3], r.params[2], r.params[1], r.params[0]}; }

std::vector<POINT> Points(const std::vector<MetaRecord>& records, WORD function)
{
    std::vector<POINT> out;
    for (const MetaRecord& r : OfFunction(records, function))
        out.push_back(PenPoint(r));
    return out;
}

ArrayEntry E(int l, int t, int r, int b, int extent = 0)
{
    return ArrayEntry{{l, t, r, b}, kNoMember, -1, extent};
}

// Start feed, three members 300 wide, L 150, G 200, feed and tail 150: branches at a = 150, 650
// and 1150, the trunk from 150 to 1150, the feed from 0, the tail to 1300.
const std::vector<ArrayEntry> kThree = {E(150, 0, 1150, 0, 1000), E(0, 0, 150, 0, 150),   E(1150, 0, 1300, 0, 150),
                                        E(150, 0, 150, 150, 300), E(650, 0, 650, 150, 300), E(1150, 0, 1150, 150, 300)};
// The same on a vertical trunk with the members on the left (stored as across, along).
const std::vector<ArrayEntry> kThreeLeft = {E(0, 150, 0, 1150, 1000),  E(0, 0, 0, 150, 150),
                                            E(0, 1150, 0, 1300, 150),  E(-150, 150, 0, 150, 300),
                                            E(-150, 650, 0, 650, 300), E(-150, 1150, 0, 1150, 300)};
// Horizontal kThree at trunk y 2000 from x 1000.
constexpr RECT kThreeInner = {1000, 2000, 2300, 2150};

std::vector<ArrayEntry> WithMember(const ArrayEntry& member)
{
    return {E(0, 0, 0, 0), E(0, 0, 0, 0), E(0, 0, 0, 0), member};
}

class ArrayPaint : public ArrayClass {
protected:
    // Writes the record as a layout would leave it: N = the entries given, room for `members`.
    void WriteArray(int row, DWORD style, int angle, int L, int G, int members,
                    const std::vector<ArrayEntry>& entries)
    {
        const DrawObject o = Object(row);
        HGLOBAL block = nullptr;
        ASSERT_EQ(0, LoadRecord(slot_, o.dataType, o.dataId, &block));
        ASSERT_EQ(0, BeginRecordChange(block));
        ASSERT_EQ(0, ResizeRecord(&block, ArrayRecordSize(members)));
        {
            Locked<ArrayData> d(block);
            d->style = style;
            d->branchAngle = angle;
            d->branchLength = L;
            d->gap = G;
            d->memberCount = members;
            d->entryCount = static_cast<INT32>(entries.size());
            for (size_t i = 0; i < entries.size(); ++i)
                (*d)[static_cast<int>(i)] = entries[i];
        }
        EXPECT_EQ(0, MarkBlockDirty(block));
        ReleaseBlock(block);
    }
    // Sets where the laid-out array stands: its trunk coordinate and inner rect (also the frame),
    // plain solid width 1 without heads, not selected.
    void Put(int row, bool vertical, int axis, RECT inner)
    {
        Change(row, [&](DrawObject& o, Drawing& d) {
            o.objType = vertical ? LineVertical : LineHorizontal;
            o.axisCoord = axis;
            o.innerRect = o.frame = o.textRect = inner;
            o.updateRect = inner;
            InflateRect(&o.updateRect, 30, 30);
            o.lineWidth = 1;
            o.lineStyle = 1;
            o.arrowEnds = 0;
            o.arrowStart = o.arrowEnd = 0;
            o.arrowSize = 1;
            o.state &= ~(StateSelected | kArrayLayoutPending);
            d.currentRow = -1;
        });
    }
    int ThreeMembers()
    {
        const int row = AddArray(RECT{1000, 1700, 2300, 2000});
        WriteArray(row, 0, 0, 150, 200, 3, kThree);
        Put(row, false, 2000, kThreeInner);
        return row;
    }
    std::vector<MetaRecord> Recorded(int row, int message, int a = 0, int b = 0, void* p = nullptr)
    {
        MetaRecorder recorder;
        {
            Locked<Drawing> d(state_->drawing);
            Locked<ObjectList> objects(d->objectList);
            SED_ArrayHandler(recorder.dc(), d.get(), objects.get(), row, message, a, b, p);
        }
        return recorder.Records();
    }
    std::vector<std::pair<int, POINT>> Handles(int row)
    {
        RECT rects[6];
        int codes[6], count = 0;
        const DrawObject o = Object(row);
        {
            Locked<Drawing> d(state_->drawing);
            ArrayHandleRects(d.get(), &o, rects, codes, &count);
        }
        std::vector<std::pair<int, POINT>> out;
        for (int i = 0; i < count; ++i)
            out.push_back({codes[i], POINT{rects[i].left + 30, rects[i].top + 30}});
        return out;
    }
};

// --- Insertion points ---------------------------------------------------------------------------

struct InsertCase {
    const char* name;
    bool vertical;
    DWORD style;
    const std::vector<ArrayEntry>* entries;
    int axis;
    RECT inner;
    std::vector<POINT> insertion;   // message 42 on the four points of message 41
    POINT second;                   // message 42 with the one point (1, 0)
};

TEST_F(ArrayPaint, ThreeMembersOfferFourInsertionPointsAndTheSecondBranchEnd)
{
    const InsertCase cases[] = {
        // Before: the trunk start 1000 + 150 less min(G, 200); between branches 150/650 and
        // 650/1150; after: the inner rect's end 2300 + 200; all L = 150 below the trunk.
        {"horizontal, below", false, 0, &kThree, 2000, kThreeInner,
         {{950, 2150}, {1400, 2150}, {1900, 2150}, {2500, 2150}}, {1650, 2150}},
        {"vertical, left", true, ArrayOtherSide, &kThreeLeft, 3000, {2850, 500, 3000, 1800},
         {{2850, 450}, {2850, 900}, {2850, 1400}, {2850, 2000}}, {2850, 1150}},
    };
    for (const InsertCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int row = AddArray(RECT{1000, 1700, 2300, 2000});
        WriteArray(row, c.style, 0, 150, 200, 3, *c.entries);
        Put(row, c.vertical, c.axis, c.inner);

        INT32 count = 99;
        POINT points[kMaxHookMarks] = {};
        SendArray(row, OM_GETHOOKPOINTS, 0, Arg(&count), points);
        ASSERT_EQ(4, count);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ((POINT{i, 0}), points[i]);
        SendArray(row, OM_MAPHOOKPOINT, count, 0, points);
        EXPECT_EQ(c.insertion, std::vector<POINT>(points, points + 4));

        POINT one = {1, 0};
        SendArray(row, OM_MAPHOOKPOINT, 1, 0, &one);
        EXPECT_EQ(c.second, one);
    }
}

TEST_F(ArrayPaint, UnreadableRecordAnswersNothing)
{
    const int row = ThreeMembers();
    Change(row, [](DrawObject& o, Drawing&) { o.dataId += 1000; });
    INT32 count = 7;
    POINT points[4] = {{1, 0}, {2, 0}, {3, 0}, {4, 0}};
    SendArray(row, OM_GETHOOKPOINTS, 0, Arg(&count), points);
    EXPECT_EQ(0, count);
    SendArray(row, OM_MAPHOOKPOINT, 1, 0, points);
    EXPECT_EQ((POINT{1, 0}), points[0]);
    EXPECT_TRUE(Handles(row).empty());
    const auto records = Recorded(row, OM_DRAW);
    EXPECT_TRUE(OfFunction(records, MetaLineTo).empty());
    EXPECT_TRUE(OfFunction(records, MetaRectangle).empty());
}

// --- Painting -----------------------------------------------------------------------------------

struct MarkCase {
    const char* name;
    int message;
    int a;
    BOOL renderingMetafile;
    bool mark;
};

TEST_F(ArrayPaint, EmptyArrayShowsItsTrunkWithABoxedPlusOnlyOnScreen)
{
    const MarkCase cases[] = {
        {"drawn", OM_DRAW, 0, FALSE, true},
        {"printing", OM_DRAW, 1, FALSE, false},
        {"into a metafile", OM_DRAW, 0, TRUE, false},
        {"shadow copy in place", OM_DRAWSHADOWOFFSET, 0, FALSE, false},
    };
    for (const MarkCase& c : cases) {
        SCOPED_TRACE(c.name);
        // A bare chain 900 long at trunk y 2000 from x 1000: its middle is (1450, 2000).
        const int row = AddArray(RECT{1000, 1700, 1900, 2000});
        WriteArray(row, ArrayChain, 0, 150, 200, 0, {E(0, 0, 900, 0, 900)});
        Put(row, false, 2000, RECT{1000, 2000, 1900, 2000});
        const ShadowPaint inPlace = {0, 0, RGB(0, 0, 0)};
        const BOOL saved = g_renderingMetafile;
        g_renderingMetafile = c.renderingMetafile;
        const auto records = Recorded(row, c.message, c.a, Arg(&inPlace));
        g_renderingMetafile = saved;

        const auto boxes = OfFunction(records, MetaRectangle);
        std::vector<POINT> moves = {{1000, 2000}}, lines = {{1900, 2000}};
        if (c.mark) {
            ASSERT_EQ(1u, boxes.size());
            EXPECT_EQ((RECT{1420, 1970, 1486, 2036}), BoxOf(boxes[0]));
            moves.insert(moves.end(), {{1420, 2000}, {1450, 1970}});
            lines.insert(lines.end(), {{1480, 2000}, {1450, 2030}});
        } else {
            EXPECT_TRUE(boxes.empty());
        }
        EXPECT_EQ(moves, Points(records, MetaMoveTo));
        EXPECT_EQ(lines, Points(records, MetaLineTo));
    }
}

struct PairCase {
    const char* name;
    DWORD start, end;
    int ends;
    std::vector<POINT> moves, lines;   // trunk, feed, tail, the branch below, the branch above
    std::vector<POINT> tips;
};

TEST_F(ArrayPaint, EveryBranchCarriesTheFirstWordAtTheTrunk)
{
    // Both sides, one pair at a = 400 (x 1400), 300 long below and above the trunk y 2000. A
    // kind-1 head of size 1 on width 1 cuts (84 + 1) * 2 / 3 = 56.
    const PairCase cases[] = {
        {"first word",
         ArrowFilled,
         0,
         kArrowEnd1,
         {{1150, 2000}, {1000, 2000}, {1650, 2000}, {1400, 2056}, {1400, 1700}},
         {{1650, 2000}, {1150, 2000}, {1800, 2000}, {1400, 2300}, {1400, 1944}},
         {{1400, 2000}, {1400, 2000}}},
        {"second word",
         0,
         ArrowFilled,
         kArrowEnd2,
         {{1150, 2000}, {1000, 2000}, {1650, 2000}, {1400, 2000}, {1400, 1756}},
         {{1650, 2000}, {1150, 2000}, {1800, 2000}, {1400, 2244}, {1400, 2000}},
         {{1400, 2300}, {1400, 1700}}},
    };
    for (const PairCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int row = AddArray(RECT{1000, 1700, 1800, 2000});
        WriteArray(row, ArrayBothSides, 0, 300, 200, 2,
                   {E(150, 0, 650, 0, 500), E(0, 0, 150, 0, 150), E(650, 0, 800, 0, 150), E(400, 0, 400, 300),
                    E(400, -300, 400, 0)});
        Put(row, false, 2000, RECT{1000, 1700, 1800, 2300});
        Change(row, [&](DrawObject& o, Drawing&) {
            o.arrowStart = static_cast<INT32>(c.start);
            o.arrowEnd = static_cast<INT32>(c.end);
            o.arrowEnds = c.ends;
        });
        const auto records = Recorded(row, OM_DRAW);
        EXPECT_EQ(c.moves, Points(records, MetaMoveTo));
        EXPECT_EQ(c.lines, Points(records, MetaLineTo));
        std::vector<POINT> tips;
        for (const MetaRecord& r : OfFunction(records, MetaPolygon))
            tips.push_back(PolygonPoint(r, 0));
        EXPECT_EQ(c.tips, tips);
    }
}

struct DiagonalCase {
    const char* name;
    int angle;
    ArrayEntry branch;
    POINT from, to;
};

TEST_F(ArrayPaint, FishboneBranchesRunAlongTheDiagonalFromTheirRect)
{
    // L 150: offset 150 at 45 degrees (member ends lean back), -149 at 135 (lean forward).
    const DiagonalCase cases[] = {
        {"45, below", 45, E(0, 0, 150, 150), {1150, 2000}, {1000, 2150}},
        {"45, above", 45, E(0, -150, 150, 0), {1000, 1850}, {1150, 2000}},
        {"135, below", 135, E(0, 0, 149, 150), {1000, 2000}, {1149, 2150}},
        {"135, above", 135, E(0, -150, 149, 0), {1149, 1850}, {1000, 2000}},
    };
    for (const DiagonalCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int row = AddArray(RECT{1000, 1700, 1150, 2000});
        WriteArray(row, 0, c.angle, 150, 200, 1, WithMember(c.branch));
        Put(row, false, 2000, RECT{1000, 1850, 1150, 2150});
        const auto records = Recorded(row, OM_DRAW);
        EXPECT_EQ(std::vector<POINT>{c.from}, Points(records, MetaMoveTo));
        EXPECT_EQ(std::vector<POINT>{c.to}, Points(records, MetaLineTo));
    }
}

TEST_F(ArrayPaint, ShadowCopyMovesByItsOffsetUnlessHidden)
{
    for (const bool hidden : {true, false}) {
        SCOPED_TRACE(hidden ? "hidden" : "cast");
        const int row = AddArray(RECT{1000, 1700, 1900, 2000});
        WriteArray(row, ArrayChain, 0, 150, 200, 0, {E(0, 0, 900, 0, 900)});
        Put(row, false, 2000, RECT{1000, 2000, 1900, 2000});
        Change(row, [&](DrawObject& o, Drawing& d) {
            d.style.shadowClassMask = 1;
            if (hidden)
                o.options |= OptShadowHidden;
            else
                o.options &= ~OptShadowHidden;
        });
        const ShadowPaint shadow = {30, 30, RGB(128, 128, 128)};
        const auto records = Recorded(row, OM_DRAWSHADOW, 0, Arg(&shadow));
        EXPECT_TRUE(OfFunction(records, MetaRectangle).empty());
        if (hidden) {
            EXPECT_TRUE(OfFunction(records, MetaLineTo).empty());
        } else {
            EXPECT_EQ(std::vector<POINT>{(POINT{1030, 2030})}, Points(records, MetaMoveTo));
            EXPECT_EQ(std::vector<POINT>{(POINT{1930, 2030})}, Points(records, MetaLineTo));
        }
    }
}

// --- Hook marks and feedback --------------------------------------------------------------------

TEST_F(ArrayPaint, HookMarkBeforeTheTrunkRunsOnToItsStart)
{
    const int row = ThreeMembers();
    POINT points[2] = {{950, 2150}, {1400, 2150}};
    const auto records = Recorded(row, OM_DRAWHOOKMARKS, 2, 0, points);
    EXPECT_EQ((std::vector<POINT>{{950, 2150}, {1400, 2150}}), Points(records, MetaMoveTo));
    EXPECT_EQ((std::vector<POINT>{{950, 2000}, {1000, 2000}, {1400, 2000}}), Points(records, MetaLineTo));
    const auto discs = OfFunction(records, MetaEllipse);
    ASSERT_EQ(2u, discs.size());
    EXPECT_EQ((RECT{932, 2132, 968, 2168}), BoxOf(discs[0]));
    EXPECT_EQ((RECT{1382, 2132, 1418, 2168}), BoxOf(discs[1]));
}

struct CreateCase {
    const char* name;
    int a;
    int mode;
    RECT rect;
    POINT from, to;
};

TEST_F(ArrayPaint, CreationFeedbackFollowsTheDrag)
{
    const POINT anchor = {120, 250};
    const CreateCase cases[] = {
        {"flagged vertical", 1, 0, {100, 200, 500, 300}, {100, 200}, {100, 300}},
        {"wide", 0, 0, {100, 200, 500, 300}, {100, 250}, {500, 250}},
        {"tall", 0, 0, {100, 200, 150, 600}, {120, 200}, {120, 600}},
        {"placed from the top-left", 0, TrackPlaceDragged, {100, 200, 500, 300}, {100, 200}, {500, 200}},
    };
    for (const CreateCase& c : cases) {
        SCOPED_TRACE(c.name);
        TrackModeScope mode(c.mode);
        RECT rect = c.rect;
        const auto records = Recorded(-1, OM_TRACKCREATE, c.a, MAKELONG(anchor.x, anchor.y), &rect);
        EXPECT_EQ(std::vector<POINT>{c.from}, Points(records, MetaMoveTo));
        EXPECT_EQ(std::vector<POINT>{c.to}, Points(records, MetaLineTo));
    }
}

TEST_F(ArrayPaint, TrunkStartDraggedToTwiceItsLengthDoublesEveryBranchDistance)
{
    // The trunk runs 1150-2150; its start dragged to 150 makes it 2000 long (k = 2) from the
    // fixed end 2150: branches at 1150, 1650, 2150 go to 150, 1150, 2150.
    const int row = ThreeMembers();
    RECT rect = {150, 2000, 2300, 2150};
    const auto records = Recorded(row, OM_TRACKHANDLE, 7, 0, &rect);
    EXPECT_EQ((std::vector<POINT>{{150, 2000}, {150, 2000}, {1150, 2000}, {2150, 2000}}),
              Points(records, MetaMoveTo));
    EXPECT_EQ((std::vector<POINT>{{2150, 2000}, {150, 2150}, {1150, 2150}, {2150, 2150}}),
              Points(records, MetaLineTo));
}

TEST_F(ArrayPaint, FishboneBranchDraggedTo200SpansItsLeanAlongTheTrunk)
{
    const DiagonalCase cases[] = {
        {"45", 45, E(0, 0, 150, 150), {950, 2200}, {1150, 2000}},    // 200 back
        {"135", 135, E(0, 0, 149, 150), {1000, 2000}, {1199, 2200}}, // 199 forward
    };
    for (const DiagonalCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int row = AddArray(RECT{1000, 1700, 1150, 2000});
        WriteArray(row, 0, c.angle, 150, 200, 1, WithMember(c.branch));
        Put(row, false, 2000, RECT{1000, 2000, 1150, 2150});
        RECT rect = {1000, 2000, 1200, 2200};
        const auto records = Recorded(row, OM_TRACKHANDLE, 6, 0, &rect);
        EXPECT_EQ(std::vector<POINT>{c.from}, Points(records, MetaMoveTo));
        EXPECT_EQ(std::vector<POINT>{c.to}, Points(records, MetaLineTo));
    }
}

// --- Handles and hit codes ----------------------------------------------------------------------

struct HandleCase {
    const char* name;
    bool vertical;
    DWORD style;
    int members;
    std::vector<ArrayEntry> entries;
    int axis;
    RECT inner;
    std::vector<int> codes;
    std::vector<POINT> points;   // checked when given
};

TEST_F(ArrayPaint, HandleCodesFollowOrientationAndFeed)
{
    const std::vector<ArrayEntry> centre = {E(0, 0, 1000, 0, 1000), E(500, -150, 500, 0, 150), E(500, 0, 500, 0, 0),
                                            E(0, 0, 0, 150),        E(500, 0, 500, 150),       E(1000, 0, 1000, 150)};
    std::vector<ArrayEntry> shortStub = centre;
    shortStub[1] = E(500, -10, 500, 0, 10);
    const std::vector<ArrayEntry> right = {E(0, 150, 0, 1150, 1000),  E(0, 0, 0, 150, 150),
                                           E(0, 1150, 0, 1300, 150),  E(0, 150, 150, 150),
                                           E(0, 650, 150, 650),       E(0, 1150, 150, 1150)};
    std::vector<ArrayEntry> centreRight;
    for (const ArrayEntry& e : centre)   // the centre feed exchanged onto a vertical trunk
        centreRight.push_back(E(e.segment.top, e.segment.left, e.segment.bottom, e.segment.right, e.extent));
    const HandleCase cases[] = {
        {"horizontal, start feed", false, 0, 3, kThree, 2000, kThreeInner,
         {20, 21, 6, 7, 8, 6},
         {{1000, 2000}, {2300, 2000}, {1150, 2150}, {1150, 2000}, {2150, 2000}, {2150, 2150}}},
        {"horizontal, start feed, above", false, ArrayOtherSide, 3, kThree, 2000, kThreeInner,
         {20, 21, 5, 7, 8, 5}, {}},
        {"horizontal, centre feed", false, ArrayCentreFeed, 3, centre, 2000, {1000, 1850, 2000, 2150},
         {7, 8, 6, 22, 6, 23},
         {{1000, 2000}, {2000, 2000}, {1000, 2150}, {1500, 1850}, {2000, 2150}, {1500, 2000}}},
        {"centre feed, short stub", false, ArrayCentreFeed, 3, shortStub, 2000, {1000, 1990, 2000, 2150},
         {7, 8, 6, 22, 6, 23},
         {{1000, 2000}, {2000, 2000}, {1000, 2150}, {1500, 1990}, {2000, 2150}, {1500, 2030}}},
        {"vertical, start feed", true, 0, 3, right, 3000, {3000, 500, 3150, 1800},
         {22, 23, 8, 5, 6, 8},
         {{3000, 500}, {3000, 1800}, {3150, 650}, {3000, 650}, {3000, 1650}, {3150, 1650}}},
        {"vertical, centre feed", true, ArrayCentreFeed, 3, centreRight, 3000, {2850, 500, 3150, 1500},
         {5, 6, 8, 20, 8, 21}, {}},
        {"both sides, two members", false, ArrayBothSides, 2,
         {E(150, 0, 150, 0), E(0, 0, 150, 0, 150), E(150, 0, 300, 0, 150), E(150, 0, 150, 150), E(150, -150, 150, 0)},
         2000, {1000, 1850, 1300, 2150},
         {20, 21, 6},
         {{1000, 2000}, {1300, 2000}, {1150, 2150}}},
        {"chain", false, ArrayChain, 3, kThree, 2000, kThreeInner, {20, 21, 7, 8}, {}},
        {"chain, one member", false, ArrayChain, 1,
         {E(0, 0, 300, 0), E(0, 0, 0, 0), E(300, 0, 450, 0, 150), E(0, 0, 300, 0, 300)}, 2000,
         {1000, 2000, 1450, 2000}, {20, 21}, {}},
        {"single branch", false, 0, 1, {E(0, 0, 0, 150, 150)}, 2000, {1000, 2000, 1000, 2150},
         {22, 23}, {{1000, 2000}, {1000, 2150}}},
        {"bare chain", false, ArrayChain, 0, {E(0, 0, 900, 0, 900)}, 2000, {1000, 2000, 1900, 2000},
         {20, 21}, {{1000, 2000}, {1900, 2000}}},
        {"bare chain, vertical", true, ArrayChain, 0, {E(0, 0, 0, 900, 900)}, 3000, {3000, 500, 3000, 1400},
         {22, 23}, {{3000, 500}, {3000, 1400}}},
    };
    for (const HandleCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int row = AddArray(RECT{1000, 1700, 2300, 2000});
        WriteArray(row, c.style, 0, 150, 200, c.members, c.entries);
        Put(row, c.vertical, c.axis, c.inner);
        const auto handles = Handles(row);
        std::vector<int> codes;
        std::vector<POINT> points;
        for (const auto& h : handles) {
            codes.push_back(h.first);
            points.push_back(h.second);
        }
        EXPECT_EQ(c.codes, codes);
        if (!c.points.empty()) {
            EXPECT_EQ(c.points, points);
        }
    }
}

struct HitCase {
    const char* name;
    bool selected;
    int row;   // -1 for a single record
    POINT point;
    int code;
};

TEST_F(ArrayPaint, HitCodes)
{
    const int row = ThreeMembers();
    // The attachment marker: entry 0's middle (650, 0) at (1650, 2000), +/- 27.
    HGLOBAL block = nullptr;
    ASSERT_EQ(0, AddRecord(slot_, RecAttachment, Object(row).objId, 40, &block));
    const HitCase cases[] = {
        {"feed end handle", true, row, {1000, 2000}, 20},
        {"last branch handle", true, row, {2150, 2150}, 6},
        {"handle rect's far corner is outside", true, row, {1024, 2024}, 40},
        {"anywhere else", true, row, {5000, 5000}, 40},
        {"handle of an array not selected", false, row, {1000, 2000}, 40},
        {"attachment marker", false, row, {1650, 2000}, 45},
        {"attachment marker's corner", true, row, {1623, 1973}, 45},
        {"single record", true, -1, {1000, 2000}, 0},
    };
    for (const HitCase& c : cases) {
        SCOPED_TRACE(c.name);
        Change(row, [&](DrawObject& o, Drawing&) {
            if (c.selected)
                o.state |= StateSelected;
            else
                o.state &= ~StateSelected;
        });
        POINT point = c.point;
        EXPECT_EQ(c.code, SendArray(c.row, OM_HITTEST, 0, 0, &point));
    }
}

// --- Handle drags -------------------------------------------------------------------------------

struct DragCase {
    const char* name;
    int code;
    bool hookedAtTail;
    RECT frame;
    int L, G, feed, tail;
};

TEST_F(ArrayPaint, HandleDragSetsLengthsAndGap)
{
    // kThree's frame (1000, 2000, 2300, 2150): width 1300; L 150, G 200, feed and tail 150.
    const DragCase cases[] = {
        {"tail handle of an array hooked at its tail", 21, true, {1000, 2000, 2400, 2150}, 150, 200, 150, 250},
        {"tail handle free", 21, false, {1000, 2000, 2250, 2150}, 150, 200, 150, 100},
        // Handle 8 at the trunk end 2150 dragged to 2250: with the tail, the frame reaches 2400.
        {"trunk end of an array hooked at its tail", 8, true, {1000, 2000, 2250, 2150}, 150, 200, 150, 50},
        {"trunk end free: the gap takes half each", 8, false, {1000, 2000, 2250, 2150}, 150, 250, 150, 150},
        {"branch below the trunk", 6, false, {1000, 2000, 2300, 2300}, 300, 200, 150, 150},
        {"branch above a down-side trunk", 6, false, {1000, 1900, 2300, 1950}, 0, 200, 150, 150},
    };
    for (const DragCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int row = ThreeMembers();
        if (c.hookedAtTail) {
            const int parent = AddAt(ClassShape, RECT{2300, 1900, 2500, 2100}, ShapeRectangle);
            Locked<Drawing> d = LockDrawing();
            ASSERT_EQ(0, AttachHook(d.get(), row, -1, parent, 21, 0, 300));
        }
        RECT frame = c.frame;
        SendArray(row, OM_DRAGHANDLE, c.code, 0, &frame);
        const Record r = ReadArray(row);
        ASSERT_EQ(6u, r.entries.size());
        EXPECT_EQ(c.L, r.head.branchLength);
        EXPECT_EQ(c.G, r.head.gap);
        EXPECT_EQ(c.feed, r.entries[1].extent);
        EXPECT_EQ(c.tail, r.entries[2].extent);
        EXPECT_EQ(1000, Object(row).innerRect.left);   // none of these moves the array
    }
}

TEST_F(ArrayPaint, BranchDragOnAVerticalTrunkTakesTheAcrossChange)
{
    // Branch handle 8 right of a vertical trunk at x 3000, dragged to x 3400.
    const int row = AddArray(RECT{1000, 1700, 2300, 2000});
    WriteArray(row, 0, 0, 150, 200, 3,
               {E(0, 150, 0, 1150, 1000), E(0, 0, 0, 150, 150), E(0, 1150, 0, 1300, 150), E(0, 150, 150, 150),
                E(0, 650, 150, 650), E(0, 1150, 150, 1150)});
    Put(row, true, 3000, RECT{3000, 500, 3150, 1800});
    RECT frame = {3000, 500, 3400, 1800};
    SendArray(row, OM_DRAGHANDLE, 8, 0, &frame);
    EXPECT_EQ(400, ReadArray(row).head.branchLength);
}

struct ShiftCase {
    int L;
    int feed;
    int old;
    int shift;
};

TEST(ArrayFishboneShift, KeepsTheFeedWhereItWas)
{
    // 45 degrees: the offset equals L.
    const ShiftCase cases[] = {
        {200, 150, 150, 50},   // longer: the lean grows past the feed by 50
        {150, 150, 150, 0},    // unchanged
        {100, 150, 150, 0},    // shorter, below the feed: feed - old = 0
        {100, 50, 150, -50},   // shorter, above the feed: 100 - 150
        {200, 300, 150, 0},    // longer, still within the feed
    };
    for (const ShiftCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "L " << c.L << ", feed " << c.feed);
        struct {
            ArrayData head;
            ArrayEntry entries[4];
        } record = {};
        record.head.branchAngle = 45;
        record.head.branchLength = c.L;
        record.head.memberCount = 1;
        record.head.entryCount = 4;
        record.entries[1].extent = c.feed;
        EXPECT_EQ(c.shift, FishboneShift(&record.head, c.old));
    }
}

}  // namespace
