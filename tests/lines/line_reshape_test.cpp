// Straight-line reshaping and attributes: new ends from a drag or a frame, flips, width, style
// and arrowheads, the attribute summary, the line-shape parameter drag and the line types.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "lines/line_reshape.h"
#include "lines/line_shape.h"
#include "line_fixture.h"
#include "shapes/shape_kinds.h"

namespace {

class LineReshape : public LineClass {
protected:
    void SetUp() override
    {
        LineClass::SetUp();
        savedArcParam_ = g_lastArcParam;
    }
    void TearDown() override
    {
        g_lastArcParam = savedArcParam_;
        LineClass::TearDown();
    }
    // Holds `hooks` hooks (end 1 first); their targets play no part in a reshape.
    void Hook(int row, int hooks)
    {
        Change(row, [hooks](DrawObject& o, Drawing&) {
            o.hookCount = hooks;
            for (int i = 0; i < hooks; ++i)
                o.hooks[i] = HookEntry{0, -1, 0, 0, i + 1};
        });
    }
    void Arrowheads(int row, INT32 start, INT32 end)
    {
        Change(row, [start, end](DrawObject& o, Drawing& d) {
            o.arrowStart = start;
            o.arrowEnd = end;
            DeriveArrowEnds(&o);
            RecalcLineBounds(&d, &o);
        });
    }
    void Shape(int row, int shape, double param)
    {
        Change(row, [shape, param](DrawObject& o, Drawing& d) {
            o.lineShape = shape;
            o.param = param;
            RecalcLineBounds(&d, &o);
        });
    }
    LONG Drag(int row, int corner, RECT rect) { return Send(row, OM_DRAGHANDLE, corner, 0, &rect); }

    double savedArcParam_ = 0.0;
};

struct MinLengthCase {
    int hooks;
    int corner;
    RECT rect;
    LONG left, right;
};

TEST_F(LineReshape, LineHoldingFewerThanTwoHooksIsAtLeast24Long)
{
    const MinLengthCase cases[] = {
        {0, 1, {100, 500, 110, 500}, 100, 124},
        {1, 1, {100, 500, 110, 500}, 100, 124},
        {0, 2, {490, 500, 500, 500}, 490, 514},   // the right end was the fixed one
        {2, 1, {100, 500, 110, 500}, 100, 110},
        {2, 1, {100, 500, 100, 500}, 100, 100},
    };
    for (const MinLengthCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "hooks " << c.hooks << " corner " << c.corner);
        const int row = AddLine(100, 500, 500, 500);
        Hook(row, c.hooks);
        Drag(row, c.corner, c.rect);
        const DrawObject line = Object(row);
        EXPECT_EQ(c.left, line.frame.left);
        EXPECT_EQ(c.right, line.frame.right);
        EXPECT_EQ(LineHorizontal, line.objType);
        EXPECT_EQ(500, line.axisCoord);
    }
}

TEST_F(LineReshape, DraggedEndKeepsItsArrowheadAndHookWhenItPassesTheOther)
{
    struct Case {
        int corner;
        RECT rect;
        LONG left, right;
        INT32 start, end, ends, hookCode;
    };
    const Case cases[] = {
        // End 2 dragged from x 500 past end 1 (x 100) to x 50: the fixed corner is the right
        // one and the right edge moved from 500 to 100, so the dragged end becomes end 1.
        {2, {50, 500, 100, 500}, 50, 100, 1, 0, 0x2, 1},
        // End 2 dragged on to x 600 stays end 2.
        {1, {100, 500, 600, 500}, 100, 600, 0, 1, 0x1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "to " << c.rect);
        const int row = AddLine(100, 500, 500, 500);
        Arrowheads(row, 0, 1);
        Change(row, [](DrawObject& o, Drawing&) {
            o.hookCount = 1;
            o.hooks[0] = HookEntry{0, -1, 0, 0, 2};
        });
        Drag(row, c.corner, c.rect);
        const DrawObject line = Object(row);
        EXPECT_EQ(c.left, line.frame.left);
        EXPECT_EQ(c.right, line.frame.right);
        EXPECT_EQ(c.start, line.arrowStart);
        EXPECT_EQ(c.end, line.arrowEnd);
        EXPECT_EQ(c.ends, line.arrowEnds);
        EXPECT_EQ(c.hookCode, line.hooks[0].holderCode);
    }
}

TEST_F(LineReshape, AnArcDraggedPastItsOtherEndTurnsItsBulgeOver)
{
    struct Case {
        int corner;   // where the fixed end lies in the new rect
        RECT rect;
        double param;
    };
    const Case cases[] = {
        {3, {500, 500, 600, 500}, -180.0},   // end 1 past end 2
        {2, {50, 500, 100, 500}, -180.0},    // end 2 past end 1
        {3, {100, 500, 600, 500}, 180.0},    // end 2 on, away from end 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "to " << c.rect);
        const int row = AddLine(100, 500, 500, 500);
        Shape(row, LineArc, 180.0);
        Drag(row, c.corner, c.rect);
        EXPECT_DOUBLE_EQ(c.param, Object(row).param);
    }
}

TEST_F(LineReshape, NewFrameKeepsTheLineCoordinateAndTheEnds)
{
    const int row = AddLine(100, 500, 500, 500);
    Arrowheads(row, 0, 1);
    Change(row, [](DrawObject& o, Drawing&) { o.state |= StateRising; });
    RECT rect{200, 300, 800, 700};
    Send(row, OM_SETFRAME, 0, 0, &rect);
    const DrawObject line = Object(row);
    EXPECT_EQ(LineHorizontal, line.objType);
    EXPECT_EQ(500, line.axisCoord);
    EXPECT_EQ((RECT{200, 494, 800, 506}), line.frame);
    // The left end moved, but a new frame never exchanges the ends nor sets the rising flag.
    EXPECT_EQ(0, line.arrowStart);
    EXPECT_EQ(1, line.arrowEnd);
    EXPECT_EQ(StateRising, line.state & StateRising);
}

TEST_F(LineReshape, ExchangedEndsTakeTheAttachedLabelAlong)
{
    const int row = AddLine(100, 500, 500, 500);
    const int label = AddAt(ClassShape, RECT{200, 400, 300, 450}, ShapeRectangle);
    const DrawObject host = Object(row);
    const int labelId = Object(label).objId;
    Change(label, [&](DrawObject& o, Drawing&) {
        o.state |= StateAttachedLabel;
        o.hookCount = 1;
        o.hooks[0] = HookEntry{host.objId, row, 0, 0, 201};
    });
    Change(row, [&](DrawObject& o, Drawing&) {
        o.labelId = labelId;
        o.labelRow = label;
    });
    Drag(row, 2, RECT{50, 500, 100, 500});
    HookEntry hook = Object(label).hooks[0];
    EXPECT_EQ(202, hook.holderCode);
    EXPECT_EQ(600, hook.attachX);
    EXPECT_EQ(600, hook.attachY);
    Drag(row, 2, RECT{0, 500, 50, 500});
    hook = Object(label).hooks[0];
    EXPECT_EQ(201, hook.holderCode);
    EXPECT_EQ(0, hook.attachX);
    EXPECT_EQ(0, hook.attachY);
}

TEST_F(LineReshape, FlipTurnsAnArcOverOrExchangesItsEnds)
{
    struct Case {
        int flags;
        double param;
        INT32 start, end, hookCode;
    };
    const Case cases[] = {
        {0x10, -180.0, 1, 0, 1},   // along the line: only the bulge turns over
        {8, 180.0, 0, 1, 2},       // across: the ends trade places, the bulge stays above
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << c.flags);
        const int row = AddLine(1000, 2000, 2000, 2000);
        Shape(row, LineArc, 180.0);
        Arrowheads(row, 1, 0);
        Hook(row, 1);
        Send(row, OM_FLIP, c.flags);
        const DrawObject line = Object(row);
        EXPECT_DOUBLE_EQ(c.param, line.param);
        EXPECT_EQ(c.start, line.arrowStart);
        EXPECT_EQ(c.end, line.arrowEnd);
        EXPECT_EQ(c.hookCode, line.hooks[0].holderCode);
    }
}

TEST_F(LineReshape, FlipOfASlantedLineTogglesTheRisingFlag)
{
    const int row = AddLine(100, 100, 500, 400);
    Arrowheads(row, 1, 0);
    const DWORD saved = Object(row).savedState & StateRising;
    // Upside down the falling line rises; its left end stays end 1.
    Send(row, OM_FLIP, 0x10);
    DrawObject line = Object(row);
    EXPECT_EQ(StateRising, line.state & StateRising);
    EXPECT_EQ(saved ^ StateRising, line.savedState & StateRising);
    EXPECT_EQ(1, line.arrowStart);
    EXPECT_EQ(0, line.arrowEnd);
    // Mirrored it falls again and its ends trade places.
    Send(row, OM_FLIP, 8);
    line = Object(row);
    EXPECT_EQ(0u, line.state & StateRising);
    EXPECT_EQ(saved, line.savedState & StateRising);
    EXPECT_EQ(0, line.arrowStart);
    EXPECT_EQ(1, line.arrowEnd);
}

TEST_F(LineReshape, WidthAndStyle)
{
    const int row = AddLine(100, 500, 700, 500);
    Change(row, [](DrawObject& o, Drawing& d) {
        o.lineWidth = 12;
        o.lineStyle = 1;
        d.defaults.defaultLineWidth = 12;
    });
    INT32 style[2] = {0, 2};
    Send(row, OM_SETLINESTYLE, 0, 0, style);
    DrawObject line = Object(row);
    EXPECT_EQ(2, line.lineStyle);
    EXPECT_EQ(1, line.lineWidth);
    EXPECT_EQ(1, LockDrawing()->defaults.defaultLineWidth);

    INT32 width[2] = {0, 40};
    Send(row, OM_SETLINEWIDTH, 0, 0, width);
    line = Object(row);
    EXPECT_EQ(40, line.lineWidth);
    EXPECT_EQ(2, line.lineStyle);
    EXPECT_EQ(40, LockDrawing()->defaults.defaultLineWidth);
    EXPECT_EQ((RECT{100, 480, 700, 520}), line.frame);   // half the width across

    width[1] = 0;   // no width is one unit; the caller also asks for solid
    Send(row, OM_SETLINEWIDTH, 1, 0, width);
    line = Object(row);
    EXPECT_EQ(1, line.lineWidth);
    EXPECT_EQ(1, line.lineStyle);
    EXPECT_EQ(1, LockDrawing()->defaults.defaultLineWidth);
}

TEST_F(LineReshape, ArrowEndsPutPlainHeadsAtTheNamedEnds)
{
    struct Case {
        int groupRow;
        INT32 mask;
        INT32 start, end, ends;
    };
    const Case cases[] = {
        {-1, 3, 1, 1, 3},
        {-1, 2, 1, 0, 2},
        {0, 3, 0x103, 5, 3},   // a grouped line keeps its heads
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mask " << c.mask << " group row " << c.groupRow);
        const int row = AddLine(100, 500, 700, 500);
        Arrowheads(row, 0x103, 5);
        Change(row, [&](DrawObject& o, Drawing&) { o.groupRow = c.groupRow; });
        INT32 values[2] = {0, c.mask};
        Send(row, OM_SETARROWENDS, 0, 0, values);
        const DrawObject line = Object(row);
        EXPECT_EQ(c.start, line.arrowStart);
        EXPECT_EQ(c.end, line.arrowEnd);
        EXPECT_EQ(c.ends, line.arrowEnds);
    }
}

TEST_F(LineReshape, ArrowheadBytesOfAllOnesKeepWhatIsStored)
{
    struct Case {
        INT32 first, size, second;
        INT32 start, end, ends, arrowSize;
    };
    const Case cases[] = {
        {0xFFFF, -1, 0x1FF, 0x20105, 0x107, 3, 1},   // end 2 gains the set-in bit
        {0xFF, -1, 0xFFFF, 0x5, 0x7, 3, 1},          // set-in cleared, upper half dropped
        {0xFF00, 2, 0xFFFF, 0, 0x7, 1, 2},           // kind 0: no head at end 1
        {0x0109, 0, 0x0003, 0x109, 0x3, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.first << " " << c.second);
        const int row = AddLine(100, 500, 700, 500);
        Arrowheads(row, 0x20105, 0x7);
        Change(row, [](DrawObject& o, Drawing&) { o.arrowSize = 1; });
        INT32 values[3] = {c.first, c.size, c.second};
        Send(row, OM_SETARROWHEADS, 0, 0, values);
        const DrawObject line = Object(row);
        EXPECT_EQ(c.start, line.arrowStart);
        EXPECT_EQ(c.end, line.arrowEnd);
        EXPECT_EQ(c.ends, line.arrowEnds);
        EXPECT_EQ(c.arrowSize, line.arrowSize);
    }
}

TEST_F(LineReshape, AttributeSummaryMarksMixedFields)
{
    const int a = AddLine(100, 500, 700, 500);
    const int b = AddLine(100, 800, 700, 800);
    Change(a, [](DrawObject& o, Drawing&) {
        o.lineWidth = 12, o.lineStyle = 1, o.lineColor = RGB(255, 0, 0), o.arrowSize = 1;
        o.arrowStart = 0x105, o.arrowEnd = 0x104, o.lineShape = LineZigzag;
    });
    Change(b, [](DrawObject& o, Drawing&) {
        o.lineWidth = 12, o.lineStyle = 3, o.lineColor = RGB(255, 0, 0), o.arrowSize = 2;
        o.arrowStart = 0x106, o.arrowEnd = 0x004, o.lineShape = LineZigzag;
        o.options &= ~OptShadowHidden;
    });
    DrawObject summary = {};
    summary.lineWidth = summary.lineStyle = summary.arrowSize = -2;
    summary.lineColor = static_cast<COLORREF>(-2);
    summary.arrowStart = summary.arrowEnd = summary.lineShape = -2;
    summary.options = 0;
    Send(b, OM_GETLINEATTRS, 0, 0, &summary);
    EXPECT_EQ(0u, summary.options & OptShadowHidden);
    Send(a, OM_GETLINEATTRS, 0, 0, &summary);
    EXPECT_EQ(12, summary.lineWidth);
    EXPECT_EQ(-1, summary.lineStyle);
    EXPECT_EQ(RGB(255, 0, 0), summary.lineColor);
    EXPECT_EQ(-1, summary.arrowSize);
    EXPECT_EQ(0x1FF, summary.arrowStart);    // kinds differ, set-in bytes agree
    EXPECT_EQ(0xFF04, summary.arrowEnd);     // kinds agree, set-in bytes differ
    EXPECT_EQ(LineZigzag, summary.lineShape);
    EXPECT_EQ(OptShadowHidden, summary.options & OptShadowHidden);

    // A connector has no line shape to merge; its other fields merge alike.
    DrawObject connector = Object(b);
    connector.objClass = ClassConnector;
    connector.lineShape = LineArc;
    connector.arrowStart = 0x6;
    MergeLineAttributes(&summary, &connector);
    EXPECT_EQ(LineZigzag, summary.lineShape);
    EXPECT_EQ(0xFFFF, summary.arrowStart);
}

TEST_F(LineReshape, FigureHandleSetsTheShareOfTheLine)
{
    struct Case {
        int length;
        int code;
        POINT point;
        double param;
    };
    const Case cases[] = {
        {1000, 62, {500, 400}, 0.2},    // 100 above: 2 x 100 / 1000
        {1000, 62, {500, -100}, 0.5},   // 600 above: 1.2, at most 0.5
        {1000, 62, {500, 600}, 0.1},    // the other side: 0, at least 0.1
        {1000, 63, {500, 650}, 0.3},    // the second handle measures downward
        {3000, 62, {500, 380}, 0.2},    // 120 over the 1200 units the figure can use
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "length " << c.length << " code " << c.code << " at "
                                        << c.point);
        const int row = AddLine(0, 500, c.length, 500);
        Shape(row, LineZigzag, 0.25);
        POINT point = c.point;
        Send(row, OM_SETPARAM, c.code, 0, &point);
        EXPECT_DOUBLE_EQ(c.param, Object(row).param);
    }
}

TEST_F(LineReshape, ArcLeavingThePageKeepsTheLastAcceptedBulge)
{
    {
        Locked<Drawing> d = LockDrawing();
        d->pageWidth = 2000;
        d->pageHeight = 2000;
    }
    const int row = AddLine(1000, 1990, 1600, 1990);
    Shape(row, LineArc, 180.0);
    // 200 above the line: radius 325 about (1300, 2115), the arc with its margin of 25 stays
    // within x 975..1625, y 1765..1990. The feedback only remembers it.
    POINT inPage{1300, 1790};
    Send(row, OM_TRACKPARAM, 0, 62, &inPage);
    EXPECT_DOUBLE_EQ(180.0, Object(row).param);
    // 6000 above: radius 3007.5 about (1300, -1002.5), reaching y -4010 above the page (and
    // y 2005 below it on the other side of the chord).
    POINT offPage{1300, -4010};
    Send(row, OM_SETPARAM, 62, 0, &offPage);
    EXPECT_DOUBLE_EQ(200.0, Object(row).param);
    POINT lower{1300, 1890};
    Send(row, OM_SETPARAM, 62, 0, &lower);
    EXPECT_DOUBLE_EQ(100.0, Object(row).param);
    Send(row, OM_SETPARAM, 62, 0, &offPage);
    EXPECT_DOUBLE_EQ(100.0, Object(row).param);
}

TEST_F(LineReshape, ZeroLengthLineKeepsItsFigure)
{
    const int row = AddLine(500, 500, 600, 500);
    Hook(row, 2);
    Shape(row, LineZigzag, 0.3);
    Drag(row, 1, RECT{500, 500, 500, 500});
    const DrawObject dragged = Object(row);
    ASSERT_EQ(0.0, LineLength(&dragged));
    POINT point{500, 400};
    Send(row, OM_TRACKPARAM, 0, 62, &point);
    Send(row, OM_SETPARAM, 62, 0, &point);
    EXPECT_DOUBLE_EQ(0.3, Object(row).param);
    // A stored parameter that is no number reads as the figure's first share.
    Change(row, [](DrawObject& o, Drawing&) { o.param = std::numeric_limits<double>::quiet_NaN(); });
    Send(row, OM_TRACKPARAM, 0, 62, &point);
    Send(row, OM_SETPARAM, 62, 0, &point);
    EXPECT_DOUBLE_EQ(0.25, Object(row).param);
}

TEST_F(LineReshape, LineTypeChoosesTheShapeAndItsFirstParameter)
{
    struct Case {
        int shape;
        double param;
        int code;
        int newShape;
        double newParam;
    };
    const Case cases[] = {
        {LineZigzag, 0.25, 4, LineArc, 180.0},
        {LineArc, 180.0, 2, LineZigzag, 0.25},
        {LineArc, 250.0, 4, LineArc, 250.0},      // an arc keeps its bulge
        {LineZigzag, 0.3, 3, LineSteps, 0.3},     // a share within 0.1..0.5 stays
        {LineSteps, 0.4, 1, LinePlain, 0.4},
        {LineZigzag, 0.3, 0x30, LineZigzag, 0.3}, // not a line type of a straight line
        {LineZigzag, 0.3, 7, LineZigzag, 0.3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code << " on shape " << c.shape);
        const int row = AddLine(0, 500, 1000, 500);
        Shape(row, c.shape, c.param);
        INT32 values[2] = {0, c.code};
        EXPECT_EQ(0, Send(row, OM_SETLINETYPE, 0, 0, values));
        const DrawObject line = Object(row);
        EXPECT_EQ(c.newShape, line.lineShape);
        EXPECT_DOUBLE_EQ(c.newParam, line.param);
        EXPECT_EQ(ClassLine, line.objClass);
    }
}

TEST_F(LineReshape, OutlineVertexOutsideTheBlockChangesNothing)
{
#pragma pack(push, 1)
    struct Block {
        OutlinePointBlock header;
        OutlineVertex vertices[2];
    } block = {};
#pragma pack(pop)
    block.header.count = 2;
    block.vertices[1] = OutlineVertex{1, 0, LineArc, 250.0, 0, 0};
    const int row = AddLine(0, 500, 1000, 500);
    Shape(row, LineZigzag, 0.3);
    for (int vertex : {2, -1, 100000}) {
        SCOPED_TRACE(vertex);
        Send(row, OM_SETGEOMETRY, vertex, 0, &block);
        EXPECT_EQ(LineZigzag, Object(row).lineShape);
        EXPECT_DOUBLE_EQ(0.3, Object(row).param);
    }
    Send(row, OM_SETGEOMETRY, 1, 0, &block);
    EXPECT_EQ(LineArc, Object(row).lineShape);
    EXPECT_DOUBLE_EQ(250.0, Object(row).param);
}

}  // namespace
