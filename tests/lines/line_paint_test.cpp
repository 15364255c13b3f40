// Line painting: the body cut back for its heads, shadow copies, mid-line heads, arcs, the
// attachment marker and lines of no length.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "exchange/exchange_services.h"
#include "line_fixture.h"
#include "lines/arrowheads.h"
#include "lines/line_paint.h"
#include "lines/line_shape.h"
#include "shapes/metafile_format.h"
#include "store/store_records.h"
#include "support/metafile_recorder.h"

namespace {

// MoveTo and LineTo records hold y before x.
POINT PenPoint(const MetaRecord& r) { return POINT{r.params[1], r.params[0]}; }
// A polygon record holds its count, then x, y pairs; a head's tip is its first point.
POINT PolygonPoint(const MetaRecord& r, int i) { return POINT{r.params[1 + 2 * i], r.params[2 + 2 * i]}; }
// Rectangle and arc boxes are held as bottom, right, top, left (after an arc's two points).
RECT BoxOf(const MetaRecord& r, int at)
{
    return RECT{r.params[at + 3], r.params[at + 2], r.params[at + 1], r.params[at]};
}
COLORREF PenColor(const MetaRecord& r)
{
    return (static_cast<WORD>(r.params[3]) | (static_cast<DWORD>(static_cast<WORD>(r.params[4])) << 16)) &
           0xFFFFFF;
}

class LinePaint : public LineClass {
protected:
    int Line(POINT from, POINT to, int width, int ends, DWORD start, DWORD end, int shape = LinePlain,
             double param = 0)
    {
        const int row = AddLine(from.x, from.y, to.x, to.y);
        Change(row, [&](DrawObject& o, Drawing& d) {
            o.lineWidth = width;
            o.lineStyle = 1;
            o.lineColor = RGB(0, 0, 255);
            o.arrowSize = 1;
            o.arrowEnds = ends;
            o.arrowStart = static_cast<INT32>(start);
            o.arrowEnd = static_cast<INT32>(end);
            o.lineShape = shape;
            o.param = param;
            RecalcLineBounds(&d, &o);
        });
        return row;
    }
    std::vector<MetaRecord> Paint(int row, int message = OM_DRAW, int a = 0,
                                  const ShadowPaint* shadow = nullptr)
    {
        MetaRecorder recorder;
        SendDC(recorder.dc(), row, message, a, Arg(shadow));
        return recorder.Records();
    }
};

struct CutCase {
    const char* name;
    POINT from, to;
    int width;
    DWORD word;      // at end 2, size 1
    POINT bodyEnd;
    POINT tip;
};

TEST_F(LinePaint, BodyStopsShortOfTheHeadWhoseTipIsAtTheEnd)
{
    // Kind 1 at size 1 sets the line back (84 + w) * 2 / 3; the set-in adds 60 and moves the tip.
    // Slanted lines run along (0.6, 0.8) and add w / 2; their vectors are truncated per axis.
    const CutCase cases[] = {
        {"horizontal", {100, 500}, {700, 500}, 1, 0x1, {644, 500}, {700, 500}},
        {"set in", {100, 500}, {700, 500}, 1, 0x101, {584, 500}, {640, 500}},
        {"width 20", {100, 500}, {700, 500}, 20, 0x1, {631, 500}, {700, 500}},   // 69
        {"vertical", {400, 100}, {400, 700}, 1, 0x1, {400, 644}, {400, 700}},
        {"falling", {100, 100}, {700, 900}, 1, 0x1, {667, 856}, {700, 900}},      // 56: (33, 44)
        {"falling 20", {100, 100}, {700, 900}, 20, 0x1, {653, 837}, {700, 900}},  // 79: (47, 63)
        {"falling set in", {100, 100}, {700, 900}, 1, 0x101, {631, 808}, {664, 852}},  // 116, 60
        {"rising", {100, 900}, {700, 100}, 1, 0x1, {667, 144}, {700, 100}},
    };
    for (const CutCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto records = Paint(Line(c.from, c.to, c.width, kArrowEnd2, 0, c.word));
        const auto moves = OfFunction(records, MetaMoveTo), lines = OfFunction(records, MetaLineTo);
        ASSERT_EQ(1u, moves.size());
        ASSERT_EQ(1u, lines.size());
        EXPECT_EQ(c.from, PenPoint(moves[0]));
        EXPECT_EQ(c.bodyEnd, PenPoint(lines[0]));
        const auto heads = OfFunction(records, MetaPolygon);
        ASSERT_EQ(1u, heads.size());
        EXPECT_EQ(c.tip, PolygonPoint(heads[0], 0));
    }
}

TEST(LinePens, StylesAndColour)
{
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(nullptr, CreateLinePen(dc, RGB(1, 2, 3), 20, 0));
    const std::pair<int, std::pair<UINT, int>> styles[] = {
        {1, {PS_SOLID, 20}}, {2, {PS_DOT, 0}},        {3, {PS_DASH, 0}},
        {4, {PS_DASHDOT, 0}}, {5, {PS_DASHDOTDOT, 0}}, {9, {PS_SOLID, 20}},
    };
    for (const auto& [style, pen] : styles) {
        HPEN made = CreateLinePen(dc, RGB(1, 2, 3), 20, style);
        ASSERT_NE(nullptr, made) << style;
        LOGPEN info = {};
        GetObjectA(made, sizeof(info), &info);
        EXPECT_EQ(pen.first, info.lopnStyle) << style;
        EXPECT_EQ(pen.second, info.lopnWidth.x) << style;
        EXPECT_EQ(RGB(1, 2, 3), info.lopnColor & 0xFFFFFF) << style;
        DeleteObject(made);
    }
    DeleteDC(dc);
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

TEST_F(LinePaint, ShadowCopiesMoveWithTheirOffsetOrDrawNothing)
{
    const COLORREF grey = RGB(128, 128, 128), blue = RGB(0, 0, 255);
    const ShadowCase cases[] = {
        {"hidden", OM_DRAWSHADOWOFFSET, 1, true, 30, 30, false, 0},
        {"lines cast none", OM_DRAWSHADOWOFFSET, 0, false, 30, 30, false, 0},
        {"offset copy", OM_DRAWSHADOWOFFSET, 1, false, 30, 30, true, grey},
        {"shadow", OM_DRAWSHADOW, 1, false, 30, 30, true, grey},
        {"emboss body", OM_DRAWSHADOWOFFSET, 0, true, 0, 0, true, grey},
        {"the line itself", OM_DRAW, 0, true, 30, 30, true, blue},   // message 1 reads no record
    };
    for (const ShadowCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int row = Line({100, 500}, {700, 500}, 1, kArrowEnd2, 0, ArrowFilled);
        Change(row, [&](DrawObject& o, Drawing& d) {
            d.style.shadowClassMask = c.classMask;
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
        const auto moves = OfFunction(records, MetaMoveTo), lines = OfFunction(records, MetaLineTo);
        ASSERT_EQ(1u, moves.size());
        EXPECT_EQ((POINT{100 + dx, 500 + dy}), PenPoint(moves[0]));
        EXPECT_EQ((POINT{644 + dx, 500 + dy}), PenPoint(lines[0]));
        const auto heads = OfFunction(records, MetaPolygon);
        ASSERT_EQ(1u, heads.size());
        EXPECT_EQ((POINT{700 + dx, 500 + dy}), PolygonPoint(heads[0], 0));
        const auto pens = OfFunction(records, MetaCreatePenIndirect);
        ASSERT_FALSE(pens.empty());
        EXPECT_EQ(c.color, PenColor(pens[0]));   // the line pen is the first one selected
    }
}

TEST_F(LinePaint, MidLineHeadOfZigzagAndStepsSitsOnceOnTheMiddleStroke)
{
    // Line (0, 500)-(1000, 500), parameter 0.25: a = 125, o = 375. The zigzag's middle stroke
    // runs (437, 375)-(562, 625); its middle (499, 500) moves L / 2 = 42 back along it:
    // (-18, -37). The steps' middle stroke is (500, 375)-(500, 625).
    struct MidCase {
        int shape;
        size_t pieces;
        POINT tip;
    };
    const MidCase cases[] = {{LineZigzag, 5, {481, 463}}, {LineSteps, 7, {500, 458}}};
    for (const MidCase& c : cases) {
        SCOPED_TRACE(c.shape);
        const int row = Line({0, 500}, {1000, 500}, 1, kArrowEnd1 | kArrowEnd2, ArrowMidFilled,
                             ArrowFilled, c.shape, 0.25);
        const auto records = Paint(row);
        const auto heads = OfFunction(records, MetaPolygon);
        ASSERT_EQ(2u, heads.size());
        EXPECT_EQ(c.tip, PolygonPoint(heads[0], 0));
        EXPECT_EQ((POINT{1000, 500}), PolygonPoint(heads[1], 0));
        // Kind 17 lets the line run one unit past end 1; kind 1 cuts 56 off end 2.
        const auto moves = OfFunction(records, MetaMoveTo), lines = OfFunction(records, MetaLineTo);
        ASSERT_EQ(c.pieces, lines.size());
        EXPECT_EQ((POINT{-1, 500}), PenPoint(moves.front()));
        EXPECT_EQ((POINT{944, 500}), PenPoint(lines.back()));
    }
}

TEST_F(LinePaint, ArcHeadsFollowTheArc)
{
    // Arc over (1000, 2000)-(2000, 2000), bulge 180: R = 784.44, centre (1500, 2604.44), apex
    // (1500, 1820). Kind 1 at end 1 shortens the arc by 56 along the circle, to (1044, 1965),
    // and the head lies on the chord from end 1 to that point.
    {
        const auto records =
            Paint(Line({1000, 2000}, {2000, 2000}, 1, kArrowEnd1, ArrowFilled, 0, LineArc, 180.0));
        const auto arcs = OfFunction(records, MetaArc);
        ASSERT_EQ(1u, arcs.size());
        // Params: end y, end x, start y, start x, then the box.
        EXPECT_EQ((POINT{1044, 1965}), (POINT{arcs[0].params[1], arcs[0].params[0]}));
        EXPECT_EQ((POINT{2000, 2000}), (POINT{arcs[0].params[3], arcs[0].params[2]}));
        EXPECT_EQ((RECT{715, 1820, 2284, 3388}), BoxOf(arcs[0], 4));
        const auto heads = OfFunction(records, MetaPolygon);
        ASSERT_EQ(1u, heads.size());
        // Corners 81.24 along (44, -35) / 56.22 and 25 across it.
        EXPECT_EQ((POINT{1000, 2000}), PolygonPoint(heads[0], 0));
        EXPECT_EQ((POINT{1079, 1969}), PolygonPoint(heads[0], 1));
        EXPECT_EQ((POINT{1048, 1930}), PolygonPoint(heads[0], 2));
    }
    // Kind 18 at both ends: two open heads with their tips on the apex, end 1's reaching toward
    // end 2 and end 2's toward end 1, 81 along the chord and 25 to either side.
    {
        const auto records = Paint(Line({1000, 2000}, {2000, 2000}, 1, kArrowEnd1 | kArrowEnd2,
                                        ArrowMidOpen, ArrowMidOpen, LineArc, 180.0));
        const auto moves = OfFunction(records, MetaMoveTo), lines = OfFunction(records, MetaLineTo);
        ASSERT_EQ(4u, moves.size());
        for (const MetaRecord& r : moves)
            EXPECT_EQ((POINT{1500, 1820}), PenPoint(r));
        std::vector<POINT> ends;
        for (const MetaRecord& r : lines)
            ends.push_back(PenPoint(r));
        const std::vector<POINT> expected = {{1581, 1845}, {1581, 1795}, {1419, 1795}, {1419, 1845}};
        EXPECT_EQ(expected, ends);
    }
}

struct MarkerCase {
    const char* name;
    int message;
    int a;
    BOOL renderingMetafile;
    int style;
    bool marker;
};

TEST_F(LinePaint, AttachmentMarkerOnlyOnTheLineItselfOnScreen)
{
    const MarkerCase cases[] = {
        {"drawn", OM_DRAW, 0, FALSE, 1, true},
        {"printing", OM_DRAW, 1, FALSE, 1, false},
        {"into a metafile", OM_DRAW, 0, TRUE, 1, false},
        {"offset copy", OM_DRAWSHADOWOFFSET, 0, FALSE, 1, false},
        {"invisible line", OM_DRAW, 0, FALSE, 0, true},
    };
    for (const MarkerCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int row = Line({100, 500}, {700, 500}, 1, kArrowEnd2, 0, ArrowFilled);
        Change(row, [&](DrawObject& o, Drawing& d) {
            o.lineStyle = c.style;
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
        ASSERT_EQ(c.marker ? 1u : 0u, boxes.size());
        if (c.marker) {   // the middle (400, 500) +/- 27
            EXPECT_EQ((RECT{373, 473, 427, 527}), BoxOf(boxes[0], 0));
        }
        if (c.style == 0) {
            // Nothing of the line: no head, and only the marker's cross is stroked.
            EXPECT_TRUE(OfFunction(records, MetaPolygon).empty());
            EXPECT_EQ(2u, OfFunction(records, MetaLineTo).size());
        }
    }
}

struct MarkRectCase {
    const char* name;
    int orientation;
    bool rising;
    RECT frame;
    int c0;
    RECT update;
    RECT expected;
};

TEST(LineMarker, SquareAroundTheMiddleKeptInsideTheUpdateRectAtTopAndLeft)
{
    const MarkRectCase cases[] = {
        {"horizontal", 0, false, {100, 494, 700, 506}, 500, {70, 473, 730, 527}, {373, 473, 427, 527}},
        // (100 + 701) / 2 = 400
        {"vertical", 2, false, {394, 100, 406, 701}, 400, {373, 70, 427, 731}, {373, 373, 427, 427}},
        // 300 * (501 / 300) / 2 truncates to 250: 200 + 250 falling, 701 - 250 rising.
        {"falling", 1, false, {100, 200, 400, 701}, 0, {70, 170, 430, 731}, {223, 423, 277, 477}},
        {"rising", 1, true, {100, 200, 400, 701}, 0, {70, 170, 430, 731}, {223, 424, 277, 478}},
        {"clipped", 0, false, {100, 494, 700, 506}, 500, {380, 480, 730, 527}, {380, 480, 427, 527}},
        // A slanted record without width (damaged): half its height, no division by zero.
        {"no width", 1, false, {300, 100, 300, 501}, 0, {270, 70, 330, 531}, {273, 273, 327, 327}},
    };
    for (const MarkRectCase& c : cases) {
        SCOPED_TRACE(c.name);
        DrawObject line = {};
        line.objClass = ClassLine;
        line.objType = c.orientation;
        line.state = c.rising ? DWORD(StateRising) : 0u;
        line.frame = c.frame;
        line.axisCoord = c.c0;
        line.updateRect = c.update;
        RECT rect = {};
        GetLineAttachmentMarkerRect(&line, &rect);
        EXPECT_EQ(c.expected, rect);
    }
}

TEST(LineZeroLength, EveryOrientationAndShapeDrawsItsHeads)
{
    // Ends at one point, kind 1 with the set-in at both ends, width 20: no direction to cut back
    // along and no length to divide by; both heads are still drawn. Stored parameters that are
    // not numbers or are huge must not reach an integer conversion.
    const double params[] = {0.25, 180.0, std::numeric_limits<double>::quiet_NaN(), 1e300, -1e300};
    for (int orientation : {LineHorizontal, LineSlanted, LineVertical}) {
        for (int shape : {LinePlain, LineZigzag, LineSteps, LineArc}) {
            for (double param : params) {
                SCOPED_TRACE(testing::Message() << "orientation " << orientation << " shape " << shape
                                                << " param " << param);
                DrawObject line = {};
                line.objClass = ClassLine;
                line.objType = orientation;
                line.frame = RECT{300, 300, 300, 300};
                line.axisCoord = 300;
                line.lineWidth = 20;
                line.lineStyle = 1;
                line.lineShape = shape;
                line.param = param;
                line.arrowEnds = kArrowEnd1 | kArrowEnd2;
                line.arrowStart = line.arrowEnd = ArrowFilled | kArrowSetIn;
                line.arrowSize = 99;   // beyond the table: read as large
                MetaRecorder recorder;
                DrawStraightLine(recorder.dc(), OM_DRAW, nullptr, &line, -1, 0, nullptr);
                EXPECT_EQ(2u, OfFunction(recorder.Records(), MetaPolygon).size());
            }
        }
    }
}

}  // namespace
