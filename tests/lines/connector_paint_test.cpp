// Connector painting: segments cut back for their heads, heads of kind 10 and mid-line kinds,
// curved pieces, shadow copies, the attachment mark, handles and the XOR outline.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "connector_fixture.h"
#include "exchange/exchange_services.h"
#include "lines/arrowheads.h"
#include "lines/connector_paint.h"
#include "shapes/metafile_format.h"
#include "store/store_records.h"
#include "support/metafile_recorder.h"

namespace {

// MoveTo and LineTo records hold y before x.
POINT PenPoint(const MetaRecord& r) { return POINT{r.params[1], r.params[0]}; }
// A polygon record holds its count, then x, y pairs.
POINT PolygonPoint(const MetaRecord& r, int i) { return POINT{r.params[1 + 2 * i], r.params[2 + 2 * i]}; }
// Rectangle, ellipse and arc boxes are held as bottom, right, top, left (after an arc's points).
RECT BoxOf(const MetaRecord& r, int at)
{
    return RECT{r.params[at + 3], r.params[at + 2], r.params[at + 1], r.params[at]};
}
// An arc record: end y, end x, start y, start x, then the box.
POINT ArcStart(const MetaRecord& r) { return POINT{r.params[3], r.params[2]}; }
POINT ArcEnd(const MetaRecord& r) { return POINT{r.params[1], r.params[0]}; }
COLORREF BrushColor(const MetaRecord& r)
{
    return (static_cast<WORD>(r.params[1]) | (static_cast<DWORD>(static_cast<WORD>(r.params[2])) << 16)) &
           0xFFFFFF;
}

std::vector<POINT> Points(const std::vector<MetaRecord>& records)
{
    std::vector<POINT> out;
    for (const MetaRecord& r : records)
        out.push_back(PenPoint(r));
    return out;
}

ConnectorSegmentBlock MakePath(int startSide, int endSide, std::initializer_list<ConnectorSegment> segments)
{
    ConnectorSegmentBlock path = {};
    path.startSide = startSide;
    path.endSide = endSide;
    path.segmentCount = static_cast<INT32>(segments.size());
    int i = 0;
    for (const ConnectorSegment& s : segments)
        path.segments[i++] = s;
    for (INT32& length : path.preferred)
        length = kConnectorPreferredLength;
    return path;
}

// Top to top at (1000, 2300) and (2000, 2500), over the cross segment at y 2000; origin (1000, 2000).
const ConnectorSegmentBlock kTopToTop =
    MakePath(SideTop, SideTop, {{0, 0, 0, 300}, {0, 0, 1000, 0}, {1000, 0, 1000, 500}});
// One horizontal segment, no sides; at origin (1000, 1000) it runs (1000, 1000)-(2000, 1000).
const ConnectorSegmentBlock kStraight = MakePath(SideNone, SideNone, {{0, 0, 1000, 0}});
// Down then right, no sides: at origin (1000, 1000) from (1000, 1000) to (2000, 1400).
const ConnectorSegmentBlock kDownRight = MakePath(SideNone, SideNone, {{0, 0, 0, 400}, {0, 400, 1000, 400}});
// Right, down, right: at origin (1000, 1000) handle points (1000, 1000), (1500, 1200), (2000, 1400).
const ConnectorSegmentBlock kStep = MakePath(SideRight, SideLeft, {{0, 0, 500, 0}, {500, 0, 500, 400}, {500, 400, 1000, 400}});

class ConnectorPaint : public ConnectorClass {
protected:
    // A connector of `kind` with the path at `origin`: width 12, solid, blue, heads of size 1
    // (L = 84 + 12 = 96, J = 24 + 12 = 36; kind 1 cuts (84 + 12) * 2 / 3 = 64).
    int Connector(POINT origin, const ConnectorSegmentBlock& path, int kind, int ends, DWORD start, DWORD end)
    {
        const int row = AddConnector(RECT{origin.x, origin.y, origin.x + 1000, origin.y + 1000}, 1, kind);
        SetPath(row, path);
        Change(row, [&](DrawObject& o, Drawing& d) {
            o.objType = kind;
            o.innerRect = RECT{origin.x, origin.y, origin.x + 1000, origin.y + 1000};
            o.updateRect = RECT{origin.x - 60, origin.y - 60, origin.x + 1060, origin.y + 1060};
            o.lineWidth = 12;
            o.lineStyle = 1;
            o.lineColor = RGB(0, 0, 255);
            o.arrowSize = 1;
            o.arrowEnds = ends;
            o.arrowStart = static_cast<INT32>(start);
            o.arrowEnd = static_cast<INT32>(end);
            d.currentRow = -1;
        });
        return row;
    }
    std::vector<MetaRecord> Paint(int row, int message = OM_DRAW, int a = 0, const ShadowPaint* shadow = nullptr)
    {
        MetaRecorder recorder;
        {
            Locked<Drawing> d(state_->drawing);
            Locked<ObjectList> objects(d->objectList);
            SED_SegLHandler(recorder.dc(), d.get(), objects.get(), row, message, a, Arg(shadow), nullptr);
        }
        return recorder.Records();
    }
    std::vector<MetaRecord> Handles(int row)
    {
        MetaRecorder recorder;
        {
            Locked<Drawing> d(state_->drawing);
            Locked<ObjectList> objects(d->objectList);
            SED_SegLHandler(recorder.dc(), d.get(), objects.get(), row, OM_DRAWHANDLES, 0, 0, nullptr);
        }
        return recorder.Records();
    }
};

struct SquareCase {
    const char* name;
    int ends;
    DWORD start, end;
    int firstBottom, lastBottom;   // where segments 0 and 2 stop
    std::vector<POINT> tips;
};

TEST_F(ConnectorPaint, SquareSegmentsStopShortOfTheHeadsAtTheirEnds)
{
    // The first point (1000, 2300) and the last (2000, 2500) are the bottom ends of segments 0
    // and 2; the middle segment is never cut.
    const SquareCase cases[] = {
        {"second head", kArrowEnd2, 0, ArrowFilled, 2300, 2436, {{2000, 2500}}},
        {"set in", kArrowEnd2, 0, ArrowFilled | kArrowSetIn, 2300, 2376, {{2000, 2440}}},   // 60 + 64
        {"first head", kArrowEnd1, ArrowFilled, 0, 2236, 2500, {{1000, 2300}}},
        {"both", kArrowEnd1 | kArrowEnd2, ArrowFilled, ArrowFilled, 2236, 2436, {{1000, 2300}, {2000, 2500}}},
        {"words outside the mask", 0, ArrowFilled, ArrowFilled, 2300, 2500, {}},
    };
    for (const SquareCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto records = Paint(Connector({1000, 2000}, kTopToTop, ConnectorSquare, c.ends, c.start, c.end));
        const std::vector<POINT> moves = {{1000, 2000}, {1000, 2000}, {2000, 2000}};
        const std::vector<POINT> lines = {{1000, c.firstBottom}, {2000, 2000}, {2000, c.lastBottom}};
        EXPECT_EQ(moves, Points(OfFunction(records, MetaMoveTo)));
        EXPECT_EQ(lines, Points(OfFunction(records, MetaLineTo)));
        const auto heads = OfFunction(records, MetaPolygon);
        ASSERT_EQ(c.tips.size(), heads.size());
        for (size_t i = 0; i < heads.size(); ++i)
            EXPECT_EQ(c.tips[i], PolygonPoint(heads[i], 0));
        EXPECT_TRUE(OfFunction(records, MetaArc).empty());
    }
}

struct ReversedCase {
    const char* name;
    int ends;
    DWORD start, end;
    POINT from, to;
    std::vector<POINT> firstPoints;   // of each polygon drawn
};

TEST_F(ConnectorPaint, ReversedTriangleNeedsASetInOrACutHeadBesideIt)
{
    // Kind 10 sets the line back by 0: alone it leaves no end cut and draws nothing. With the
    // set-in it stands at 1940 and its first point is the back point 96 further in; beside a
    // kind-1 head on the same segment it is drawn at the end, back point 2000 - 96.
    const ReversedCase cases[] = {
        {"alone", kArrowEnd2, 0, ArrowReversed, {1000, 1000}, {2000, 1000}, {}},
        {"set in", kArrowEnd2, 0, ArrowReversed | kArrowSetIn, {1000, 1000}, {1940, 1000}, {{1844, 1000}}},
        {"beside a cut head", kArrowEnd1 | kArrowEnd2, ArrowFilled, ArrowReversed, {1064, 1000}, {2000, 1000},
         {{1000, 1000}, {1904, 1000}}},
    };
    for (const ReversedCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto records = Paint(Connector({1000, 1000}, kStraight, ConnectorSquare, c.ends, c.start, c.end));
        EXPECT_EQ(std::vector<POINT>{c.from}, Points(OfFunction(records, MetaMoveTo)));
        EXPECT_EQ(std::vector<POINT>{c.to}, Points(OfFunction(records, MetaLineTo)));
        const auto heads = OfFunction(records, MetaPolygon);
        ASSERT_EQ(c.firstPoints.size(), heads.size());
        for (size_t i = 0; i < heads.size(); ++i)
            EXPECT_EQ(c.firstPoints[i], PolygonPoint(heads[i], 0));
    }
}

struct MidCase {
    const char* name;
    const ConnectorSegmentBlock* path;
    POINT origin;
    int ends;
    DWORD start, end;
    std::vector<POINT> tips;
};

TEST_F(ConnectorPaint, MidLineHeadsSitOnTheMiddleSegmentOnly)
{
    // Top to top from (1000, 2000) to (1040, 2500) with a detour: segment 2, (700, 1700)-(700,
    // 2200), is the middle of five; its top lies above the first point, but m = 2 turns s back.
    const ConnectorSegmentBlock detour = MakePath(
        SideTop, SideTop, {{300, 0, 300, 300}, {0, 0, 300, 0}, {0, 0, 0, 500}, {0, 500, 340, 500}, {340, 500, 340, 800}});
    // Middle segments (1000, 2000)-(2000, 2000) and (700, 1700)-(700, 2200); a lone head is
    // centred on the middle, its tip L / 2 = 48 from it toward its own point.
    const MidCase cases[] = {
        {"first word", &kTopToTop, {1000, 2000}, kArrowEnd1, ArrowMidFilled, 0, {{1452, 2000}}},
        {"second word", &kTopToTop, {1000, 2000}, kArrowEnd2, 0, ArrowMidFilled, {{1548, 2000}}},
        {"both words", &kTopToTop, {1000, 2000}, kArrowEnd1 | kArrowEnd2, ArrowMidFilled, ArrowMidFilled,
         {{1500, 2000}, {1500, 2000}}},
        {"five segments", &detour, {700, 1700}, kArrowEnd1, ArrowMidFilled, 0, {{700, 1902}}},
    };
    for (const MidCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto records = Paint(Connector(c.origin, *c.path, ConnectorSquare, c.ends, c.start, c.end));
        const auto heads = OfFunction(records, MetaPolygon);
        ASSERT_EQ(c.tips.size(), heads.size());
        for (size_t i = 0; i < heads.size(); ++i)
            EXPECT_EQ(c.tips[i], PolygonPoint(heads[i], 0));
        // No head at the ends, and no end cut back.
        const auto lines = Points(OfFunction(records, MetaLineTo));
        ASSERT_EQ(static_cast<size_t>(c.path->segmentCount), lines.size());
        const ConnectorSegment& first = c.path->segments[0];
        const ConnectorSegment& last = c.path->segments[c.path->segmentCount - 1];
        EXPECT_EQ((POINT{c.origin.x + first.x2, c.origin.y + first.y2}), lines.front());
        EXPECT_EQ((POINT{c.origin.x + last.x2, c.origin.y + last.y2}), lines.back());
    }
}

struct ArcCase {
    POINT start, end;
    RECT box;
};

struct CurvedCase {
    const char* name;
    const ConnectorSegmentBlock* path;
    int ends;
    std::vector<ArcCase> arcs;
    std::vector<std::vector<POINT>> heads;   // polygon points
};

TEST_F(ConnectorPaint, CurvedConnectorDrawsQuarterEllipsesSetBackForItsHeads)
{
    // Down-right: segment 0 vertical, so the ellipse is centred at (2000, 1000), radii 1000 and
    // 400; counter-clockwise on the page runs from (1000, 1000) to (2000, 1400). With kind 1 at
    // both ends the arc ends move to chord distance 64: ChordPointOnEllipse(1000, 400, 64) =
    // (12, 62) at the first point, (400, 1000, 64) = (0, 63) at the last. The heads lie on the
    // chords to distance 96: (1000, 400, 96) = (26, 92), (400, 1000, 96) = (1, 95); corners
    // sqrt(96^2 - 36^2) = 88.99 along and 36 across those chords.
    // Step: pieces centred at (1000, 1200) and (2000, 1200), radii 500 and 200; the first runs
    // clockwise from the top to the right, so the platform's arc starts at its second point.
    const CurvedCase cases[] = {
        {"one piece", &kDownRight, 0, {{{1000, 1000}, {2000, 1400}, {1000, 600, 3000, 1400}}}, {}},
        {"both heads on one piece",
         &kDownRight,
         kArrowEnd1 | kArrowEnd2,
         {{{1012, 1062}, {1937, 1400}, {1000, 600, 3000, 1400}}},
         {{{1000, 1000}, {990, 1095}, {1058, 1075}}, {{2000, 1400}, {1912, 1364}, {1911, 1435}}}},
        {"two pieces",
         &kStep,
         0,
         {{{1500, 1200}, {1000, 1000}, {500, 1000, 1500, 1400}}, {{1500, 1200}, {2000, 1400}, {1500, 1000, 2500, 1400}}},
         {}},
    };
    for (const CurvedCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto records =
            Paint(Connector({1000, 1000}, *c.path, ConnectorCurved, c.ends, ArrowFilled, ArrowFilled));
        const auto arcs = OfFunction(records, MetaArc);
        ASSERT_EQ(c.arcs.size(), arcs.size());
        for (size_t i = 0; i < arcs.size(); ++i) {
            EXPECT_EQ(c.arcs[i].start, ArcStart(arcs[i]));
            EXPECT_EQ(c.arcs[i].end, ArcEnd(arcs[i]));
            EXPECT_EQ(c.arcs[i].box, BoxOf(arcs[i], 4));
        }
        EXPECT_TRUE(OfFunction(records, MetaLineTo).empty());
        const auto heads = OfFunction(records, MetaPolygon);
        ASSERT_EQ(c.heads.size(), heads.size());
        for (size_t i = 0; i < heads.size(); ++i) {
            for (size_t k = 0; k < c.heads[i].size(); ++k)
                EXPECT_EQ(c.heads[i][k], PolygonPoint(heads[i], static_cast<int>(k)));
        }
    }
}

TEST_F(ConnectorPaint, TinyCurvedPieceIsStraightOnScreenButStaysAnArcInAMetafile)
{
    // The piece (1000, 1000)-(2000, 1001) is one unit high, one device pixel in a recording at
    // identity mapping.
    const ConnectorSegmentBlock flat = MakePath(SideNone, SideNone, {{0, 0, 0, 1}, {0, 1, 1000, 1}});
    const int row = Connector({1000, 1000}, flat, ConnectorCurved, 0, 0, 0);
    for (BOOL metafile : {FALSE, TRUE}) {
        SCOPED_TRACE(metafile);
        const BOOL saved = g_renderingMetafile;
        g_renderingMetafile = metafile;
        const auto records = Paint(row);
        g_renderingMetafile = saved;
        EXPECT_EQ(metafile ? 1u : 0u, OfFunction(records, MetaArc).size());
        const auto lines = Points(OfFunction(records, MetaLineTo));
        if (metafile) {
            EXPECT_TRUE(lines.empty());
        } else {
            EXPECT_EQ((std::vector<POINT>{{1000, 1000}}), Points(OfFunction(records, MetaMoveTo)));
            EXPECT_EQ((std::vector<POINT>{{2000, 1001}}), lines);
        }
    }
}

struct ShadowCase {
    const char* name;
    int message;
    DWORD classMask;
    bool hidden;
    int dx, dy;
    bool draws;
    COLORREF color;
};

TEST_F(ConnectorPaint, ShadowCopiesMoveWithTheirOffsetOrDrawNothing)
{
    const COLORREF grey = RGB(128, 128, 128), blue = RGB(0, 0, 255);
    const ShadowCase cases[] = {
        {"hidden", OM_DRAWSHADOWOFFSET, 1, true, 30, 30, false, 0},
        {"hidden, shadow", OM_DRAWSHADOW, 1, true, 30, 30, false, 0},
        {"lines cast none", OM_DRAWSHADOWOFFSET, 0, false, 30, 30, false, 0},
        {"offset copy", OM_DRAWSHADOWOFFSET, 1, false, 30, 30, true, grey},
        {"shadow", OM_DRAWSHADOW, 1, false, -20, 40, true, grey},
        {"hidden, no offset", OM_DRAWSHADOWOFFSET, 0, true, 0, 0, true, grey},
        {"the body", OM_DRAW, 0, true, 30, 30, true, blue},   // message 1 reads no record
    };
    for (const ShadowCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int row = Connector({1000, 1000}, kStraight, ConnectorSquare, kArrowEnd2, 0, ArrowFilled);
        Change(row, [&](DrawObject& o, Drawing& d) {
            d.style.shadowClassMask = static_cast<INT32>(c.classMask);
            if (c.hidden)
                o.options |= OptShadowHidden;
            else
                o.options &= ~OptShadowHidden;
        });
        const ShadowPaint shadow = {c.dx, c.dy, grey};
        const auto records = Paint(row, c.message, 0, &shadow);
        if (!c.draws) {
            EXPECT_TRUE(records.empty());
            continue;
        }
        const int dx = c.message == OM_DRAW ? 0 : c.dx, dy = c.message == OM_DRAW ? 0 : c.dy;
        EXPECT_EQ((std::vector<POINT>{{1000 + dx, 1000 + dy}}), Points(OfFunction(records, MetaMoveTo)));
        EXPECT_EQ((std::vector<POINT>{{1936 + dx, 1000 + dy}}), Points(OfFunction(records, MetaLineTo)));
        const auto heads = OfFunction(records, MetaPolygon);
        ASSERT_EQ(1u, heads.size());
        EXPECT_EQ((POINT{2000 + dx, 1000 + dy}), PolygonPoint(heads[0], 0));
        const auto brushes = OfFunction(records, MetaCreateBrushIndirect);
        ASSERT_FALSE(brushes.empty());
        EXPECT_EQ(c.color, BrushColor(brushes[0]));   // the heads' fill brush
    }
}

TEST_F(ConnectorPaint, ShadowCopyMovesCurvedPiecesAndMidLineHeads)
{
    const ShadowPaint shadow = {30, -20, RGB(128, 128, 128)};
    {
        const int row = Connector({1000, 1000}, kDownRight, ConnectorCurved, 0, 0, 0);
        Change(row, [](DrawObject& o, Drawing& d) {
            d.style.shadowClassMask = 1;
            o.options &= ~OptShadowHidden;
        });
        const auto arcs = OfFunction(Paint(row, OM_DRAWSHADOW, 0, &shadow), MetaArc);
        ASSERT_EQ(1u, arcs.size());
        EXPECT_EQ((POINT{1030, 980}), ArcStart(arcs[0]));
        EXPECT_EQ((POINT{2030, 1380}), ArcEnd(arcs[0]));
        EXPECT_EQ((RECT{1030, 580, 3030, 1380}), BoxOf(arcs[0], 4));
    }
    {
        const int row = Connector({1000, 2000}, kTopToTop, ConnectorSquare, kArrowEnd1, ArrowMidFilled, 0);
        Change(row, [](DrawObject& o, Drawing& d) {
            d.style.shadowClassMask = 1;
            o.options &= ~OptShadowHidden;
        });
        const auto heads = OfFunction(Paint(row, OM_DRAWSHADOW, 0, &shadow), MetaPolygon);
        ASSERT_EQ(1u, heads.size());
        EXPECT_EQ((POINT{1482, 1980}), PolygonPoint(heads[0], 0));
    }
}

struct MarkCase {
    const char* name;
    RECT segment;
    RECT update;
    RECT expected;
};

TEST(ConnectorMark, SquareOnTheMiddleOfTheFirstSegmentKeptInsideAtTopAndLeft)
{
    const MarkCase cases[] = {
        {"horizontal", {1000, 1000, 2000, 1000}, {900, 900, 2100, 1100}, {1473, 973, 1527, 1027}},
        {"vertical", {1000, 2000, 1000, 2301}, {900, 1900, 1100, 2400}, {973, 2123, 1027, 2177}},   // 2000 + 150
        {"clipped", {100, 20, 100, 400}, {90, 190, 300, 500}, {90, 190, 127, 237}},
    };
    for (const MarkCase& c : cases) {
        SCOPED_TRACE(c.name);
        DrawObject connector = {};
        connector.objClass = ClassConnector;
        connector.updateRect = c.update;
        EXPECT_EQ(c.expected, ConnectorAttachmentMarkRect(&connector, c.segment));
    }
}

struct MarkDrawCase {
    const char* name;
    int message;
    int a;
    BOOL renderingMetafile;
    bool mark;
};

TEST_F(ConnectorPaint, AttachmentMarkOnlyOnTheBodyOnScreen)
{
    const MarkDrawCase cases[] = {
        {"drawn", OM_DRAW, 0, FALSE, true},
        {"printing", OM_DRAW, 1, FALSE, false},
        {"into a metafile", OM_DRAW, 0, TRUE, false},
        {"offset copy", OM_DRAWSHADOWOFFSET, 0, FALSE, false},
    };
    for (const MarkDrawCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int row = Connector({1000, 1000}, kStraight, ConnectorSquare, kArrowEnd2, 0, ArrowFilled);
        Change(row, [](DrawObject& o, Drawing& d) {
            o.options &= ~OptShadowHidden;
            d.style.shadowClassMask = 1;
        });
        HGLOBAL block = nullptr;
        ASSERT_EQ(0, AddRecord(slot_, RecAttachment, Object(row).objId, 40, &block));
        const ShadowPaint shadow = {30, 30, RGB(128, 128, 128)};
        const BOOL saved = g_renderingMetafile;
        g_renderingMetafile = c.renderingMetafile;
        const auto records = Paint(row, c.message, c.a, &shadow);
        g_renderingMetafile = saved;
        const auto boxes = OfFunction(records, MetaRectangle);
        ASSERT_EQ(c.mark ? 1u : 0u, boxes.size());
        if (c.mark) {   // the middle (1500, 1000) +/- 27
            EXPECT_EQ((RECT{1473, 973, 1527, 1027}), BoxOf(boxes[0], 0));
        }
    }
}

TEST_F(ConnectorPaint, UnreadablePathDrawsNothing)
{
    const int row = Connector({1000, 1000}, kStraight, ConnectorSquare, kArrowEnd2, 0, ArrowFilled);
    Change(row, [](DrawObject& o, Drawing&) { o.dataId += 1000; });
    EXPECT_TRUE(Paint(row).empty());
    EXPECT_TRUE(Handles(row).empty());
}

struct HandleCase {
    const char* name;
    int startSide, endSide;
    bool lastHooked;
    std::vector<RECT> rectangles;
    std::vector<RECT> ellipses;
};

TEST_F(ConnectorPaint, HandlesOfAPathWithoutSidesHaveEmptyMiddles)
{
    // Handle points (1000, 1000), (1500, 1200), (2000, 1400): ends (x - 30, y - 30, x + 24,
    // y + 24), the middle (x - 24, y - 24, x + 30, y + 30) or empty without sides. A hooked
    // end's handle is round.
    const RECT first = {970, 970, 1024, 1024}, last = {1970, 1370, 2024, 1424};
    const HandleCase cases[] = {
        {"no sides", SideNone, SideNone, false, {first, {1500, 1200, 1500, 1200}, last}, {}},
        {"sides", SideRight, SideLeft, false, {first, {1476, 1176, 1530, 1230}, last}, {}},
        {"last end hooked", SideRight, SideLeft, true, {first, {1476, 1176, 1530, 1230}}, {last}},
    };
    for (const HandleCase& c : cases) {
        SCOPED_TRACE(c.name);
        ConnectorSegmentBlock path = kStep;
        path.startSide = c.startSide;
        path.endSide = c.endSide;
        const int row = Connector({1000, 1000}, path, ConnectorSquare, 0, 0, 0);
        if (c.lastHooked) {
            Change(row, [](DrawObject& o, Drawing&) {
                o.hookCount = 1;
                o.hooks[0] = HookEntry{12345, 0, 0, 0, 2};
            });
        }
        const auto records = Handles(row);
        std::vector<RECT> rectangles, ellipses;
        for (const MetaRecord& r : OfFunction(records, MetaRectangle))
            rectangles.push_back(BoxOf(r, 0));
        for (const MetaRecord& r : OfFunction(records, MetaEllipse))
            ellipses.push_back(BoxOf(r, 0));
        EXPECT_EQ(c.rectangles, rectangles);
        EXPECT_EQ(c.ellipses, ellipses);
    }
}

TEST(ConnectorXor, OutlineIsMovedAndCurvedPathsStayWhole)
{
    // Square: each segment moved by (100, 50). Curved, handle points from origin (0, 0): (0, 0),
    // (500, 200), (1000, 400); pieces centred at (0, 200) and (1000, 200), radii 500 and 200.
    {
        MetaRecorder recorder;
        XorDrawConnectorPath(recorder.dc(), &kTopToTop, ConnectorSquare, 100, 50, FALSE);
        const auto records = recorder.Records();
        EXPECT_EQ((std::vector<POINT>{{100, 50}, {100, 50}, {1100, 50}}), Points(OfFunction(records, MetaMoveTo)));
        EXPECT_EQ((std::vector<POINT>{{100, 350}, {1100, 50}, {1100, 550}}), Points(OfFunction(records, MetaLineTo)));
        const auto pens = OfFunction(records, MetaCreatePenIndirect);
        ASSERT_FALSE(pens.empty());
        EXPECT_EQ(PS_DOT, pens[0].params[0]);
    }
    {
        MetaRecorder recorder;
        XorDrawConnectorPath(recorder.dc(), &kStep, ConnectorCurved, 100, 50, TRUE);
        const auto arcs = OfFunction(recorder.Records(), MetaArc);
        ASSERT_EQ(2u, arcs.size());
        EXPECT_EQ((POINT{600, 250}), ArcStart(arcs[0]));
        EXPECT_EQ((POINT{100, 50}), ArcEnd(arcs[0]));
        EXPECT_EQ((RECT{-400, 50, 600, 450}), BoxOf(arcs[0], 4));
        EXPECT_EQ((POINT{600, 250}), ArcStart(arcs[1]));
        EXPECT_EQ((POINT{1100, 450}), ArcEnd(arcs[1]));
        EXPECT_EQ((RECT{600, 50, 1600, 450}), BoxOf(arcs[1], 4));
    }
}

}  // namespace
