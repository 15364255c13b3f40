// Connection points and hook points of shapes, and shapes hooked to shapes following their
// targets through link propagation.
#include <gtest/gtest.h>

#include <string>

#include "frame/frame_services.h"
#include "model/edit_ops.h"
#include "model/link_propagation.h"
#include "model/links.h"
#include "model/move_set.h"
#include "shapes/connection_points.h"
#include "shapes/shape_kinds.h"
#include "shape_fixture.h"

namespace {

int AnswerBox(HWND, LPCSTR, LPCSTR, UINT)
{
    return IDOK;
}

class HookPoints : public ShapeClass {
protected:
    int Count(int row, int message, int kind = -1)
    {
        if (kind >= 0) Change(row, [kind](DrawObject& s, Drawing&) { s.objType = kind; });
        POINT points[16];
        INT32 count = 0;
        Send(row, message, 0, static_cast<int>(reinterpret_cast<INT_PTR>(&count)), points);
        return count;
    }
    POINT Position(int row, int code, LONG* result = nullptr)
    {
        POINT p = {-1, -1};
        LONG r = Send(row, OM_GETPOINTPOS, code, 0, &p);
        if (result) *result = r;
        return p;
    }
    int Hook(int holder, int target, int code, int ax, int ay)
    {
        Locked<Drawing> d(state_->drawing);
        return AttachHook(d.get(), holder, -1, target, code, ax, ay);
    }
    // Moves one shape as a drag would, without propagation; the passes are counted apart.
    int MoveAlone(int row, int dx, int dy)
    {
        ObjectVector* set = NewObjectVector(4);
        set->rows[set->count++] = row;
        int err = MoveObjects(view_, dx, dy, set, TRUE);
        FreeObjectVector(&set, nullptr);
        return err;
    }
    int Propagate(int* passes)
    {
        Locked<Drawing> d(state_->drawing);
        return PropagateLinksCounted(d.get(), passes);
    }
    std::string Records()
    {
        std::string all;
        for (int type : {110, 115}) {
            HGLOBAL block = nullptr;
            Locked<Drawing> d(state_->drawing);
            EXPECT_EQ(0, LoadRecord(slot_, type, 0, &block));
            Locked<BYTE> bytes(block);
            // The payload only: a rolled-back record may sit elsewhere in the file.
            all.append(reinterpret_cast<const char*>(bytes.get()) + 16, GetBlockSize(block) - 16);
        }
        return all;
    }
};

TEST_F(HookPoints, KindsOfferTheirListsAndSnapPoints)
{
    const int row = Add(ShapeRectangle, RECT{600, 600, 1200, 1200});
    EXPECT_EQ(16, Count(row, OM_GETHOOKPOINTS));
    EXPECT_EQ(8, Count(row, OM_GETHOOKPOINTS, ShapeDecision));
    EXPECT_EQ(12, Count(row, OM_GETHOOKPOINTS, ShapeTriangle));
    EXPECT_EQ(12, Count(row, OM_GETHOOKPOINTS, ShapeReverseTriangle));
    EXPECT_EQ(16, Count(row, OM_GETHOOKPOINTS, ShapeOval));

    // Eight standard points: message 41 still lists 16, message 45 offers the frame points.
    Change(row, [](DrawObject& s, Drawing&) { s.objType = ShapeRectangle; s.options |= OptStdHooks; });
    EXPECT_EQ(16, Count(row, OM_GETHOOKPOINTS));
    EXPECT_EQ(8, Count(row, OM_GETSNAPPOINTS));
    EXPECT_EQ(900, Position(row, 5).x);   // code 5 is the top middle (300, 0)
    EXPECT_EQ(600, Position(row, 5).y);
    POINT box = {};
    Send(row, OM_POINTTOUNIT, 5, 0, &box);
    EXPECT_EQ(300, box.x);
    EXPECT_EQ(0, box.y);
    // A code beyond the snap list names no point and leaves the point alone.
    LONG result = 0;
    EXPECT_EQ(-1, Position(row, 9, &result).x);
    EXPECT_EQ(1, result);
    EXPECT_EQ(1, Send(row, OM_GETPOINTPOS, 17, 0, &box));
    EXPECT_EQ(1, Send(row, OM_GETPOINTPOS, 210, 0, &box));

    // Message 44 needs no object; with two corners it gives the eight frame points.
    EXPECT_EQ(0x21, SED_ShapeHandler(nullptr, nullptr, nullptr, -1, OM_GETCLASSFLAGS, ShapeOval, 0, nullptr));
    POINT corners[8] = {{500, 400}, {100, 0}};
    INT32 count = 0;
    EXPECT_EQ(0x21, SED_ShapeHandler(nullptr, nullptr, nullptr, -1, OM_GETCLASSFLAGS, 0,
                                     static_cast<int>(reinterpret_cast<INT_PTR>(&count)), corners));
    EXPECT_EQ(8, count);
    EXPECT_EQ(100, corners[0].x);
    EXPECT_EQ(300, corners[4].x);
    EXPECT_EQ(200, corners[7].y);

    EXPECT_EQ(0, Send(row, OM_CANLINK));
    Change(row, [](DrawObject&, Drawing& d) { d.drawingFlags |= DrawShapesLink; });
    EXPECT_EQ(1, Send(row, OM_CANLINK));
}

TEST_F(HookPoints, BoxPointsLandOnTheOutline)
{
    struct Case {
        int kind;
        POINT box;
        POINT expected;
    };
    // Frame (600, 600)-(1200, 1200).
    const Case cases[] = {
        {ShapeOval, {0, 0}, {687, 687}},          // on the diagonal, about 14.6 % inside
        {ShapeOval, {300, 0}, {900, 600}},        // the top of the ellipse
        {ShapeDecision, {150, 150}, {750, 750}},  // linear: its points lie on the diamond
        {ShapeTriangle, {75, 450}, {825, 750}},   // three quarters up the left side
        {ShapeTriangle, {225, 150}, {675, 1050}}, // a quarter up
        {ShapeRectangle, {450, 600}, {1050, 1200}},
    };
    const int row = Add(ShapeRectangle, RECT{600, 600, 1200, 1200});
    for (const Case& c : cases) {
        Change(row, [&c](DrawObject& s, Drawing&) { s.objType = c.kind; });
        POINT p = c.box;
        Send(row, OM_MAPHOOKPOINT, 1, 0, &p);
        EXPECT_EQ(c.expected.x, p.x) << c.kind << " (" << c.box.x << ", " << c.box.y << ")";
        EXPECT_EQ(c.expected.y, p.y) << c.kind << " (" << c.box.x << ", " << c.box.y << ")";
    }
}

TEST_F(HookPoints, AnchorCodesTurnButNeverMirror)
{
    const int row = Add(ShapeInputOutput, RECT{600, 600, 1200, 1200});
    Change(row, [](DrawObject& s, Drawing&) { s.options |= OptMirrorH; });
    // Code 3 (box (300, 0) on the parallelogram's top edge) mirrors; anchor 205 does not.
    POINT mirrored = {300, 0}, anchored = {300, 0};
    Send(row, OM_MAPHOOKPOINT, 1, 3, &mirrored);
    Send(row, OM_MAPHOOKPOINT, 1, 205, &anchored);
    EXPECT_EQ(600 + 1200 - anchored.x, mirrored.x);
    // Turned by 90 degrees counter-clockwise the top middle lands at the left middle.
    Change(row, [](DrawObject& s, Drawing&) { s.options = 0; s.objType = ShapeRectangle; s.angle = 900; });
    POINT turned = Position(row, 205);
    EXPECT_NEAR(600, turned.x, 1);   // the turn truncates
    EXPECT_NEAR(900, turned.y, 1);
    // 309 is the centre treated as exact: projected onto the turned outline it stays on it.
    EXPECT_EQ(900, Position(row, 209).x);
}

TEST_F(HookPoints, ShapesHookedByOnePointFollowTheirTarget)
{
    const int target = Add(ShapeRectangle, RECT{1200, 1200, 1800, 1800});
    const int holder = Add(ShapeRectangle, RECT{600, 1350, 1200, 1650});
    // The holder's right middle (code 7) sits on the target's left middle.
    ASSERT_EQ(0, Hook(holder, target, 7, 0, 300));
    ASSERT_EQ(0, MoveAlone(target, 300, 120));
    int passes = 0;
    ASSERT_EQ(0, Propagate(&passes));
    const RECT moved = Object(holder).frame;
    EXPECT_EQ(900, moved.left);
    EXPECT_EQ(1470, moved.top);
    EXPECT_EQ(2, passes);   // one that settles, one that finds nothing
}

TEST_F(HookPoints, ChainsSettleInOnePassPerLinkBehindIt)
{
    // rows 0..3 hang on each other; `backwards` hooks each to the next one, so every move
    // flags a link earlier in the index than the one being settled.
    for (bool backwards : {false, true}) {
        SCOPED_TRACE(backwards);
        TearDown();
        SetUp();
        int rows[4];
        for (int i = 0; i < 4; ++i) rows[i] = Add(ShapeRectangle, RECT{600 + 600 * i, 600, 1200 + 600 * i, 1200});
        for (int i = 0; i < 3; ++i) {
            if (backwards)
                ASSERT_EQ(0, Hook(rows[i], rows[i + 1], 7, 0, 300));
            else
                ASSERT_EQ(0, Hook(rows[i + 1], rows[i], 15, 600, 300));
        }
        ASSERT_EQ(0, MoveAlone(backwards ? rows[3] : rows[0], 0, 240));
        int passes = 0;
        ASSERT_EQ(0, Propagate(&passes));
        EXPECT_EQ(backwards ? 3 + 1 : 2, passes);   // links + 1, or one pass and an empty one
        for (int i = 0; i < 4; ++i) EXPECT_EQ(840, Object(rows[i]).frame.top);
    }
}

TEST_F(HookPoints, RingsOfHooksEnd)
{
    const int a = Add(ShapeRectangle, RECT{3000, 3000, 3600, 3600});
    const int b = Add(ShapeRectangle, RECT{6000, 3000, 6600, 3600});
    // Each wants the other's point where it cannot be at the same time.
    ASSERT_EQ(0, Hook(b, a, 15, 600, 300));
    ASSERT_EQ(0, Hook(a, b, 15, 600, 300));
    ASSERT_EQ(0, MoveAlone(a, 60, 0));
    int passes = 0;
    Propagate(&passes);
    EXPECT_LE(passes, 2 + 2);
    Locked<Drawing> d(state_->drawing);
    Locked<LinkIndex> index(d->linkIndex);
    for (int i = 0; i < index->count; ++i) EXPECT_EQ(0u, (*index)[i].flags & LinkChanged);
}

TEST_F(HookPoints, ASetAsWideAsThePageCannotBePulledBack)
{
    g_messageBoxPrompt = AnswerBox;
    int width = 0;
    {
        Locked<Drawing> d(state_->drawing);
        width = d->pageWidth;
    }
    const int hub = Add(ShapeRectangle, RECT{width - 600, 600, width, 1200});
    const int wide = Add(ShapeRectangle, RECT{0, 750, width - 600, 1050});
    ASSERT_EQ(0, Hook(wide, hub, 7, 0, 300));
    const std::string before = Records();
    ObjectVector* set = NewObjectVector(4);
    set->rows[set->count++] = hub;
    EXPECT_EQ(10009, MoveObjects(view_, -30, 0, set, FALSE));
    FreeObjectVector(&set, nullptr);
    EXPECT_EQ(before, Records());
}

}  // namespace
