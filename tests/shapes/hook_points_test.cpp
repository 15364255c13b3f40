// Connection points and hook points of shapes, and shapes hooked to shapes following their
// targets through link propagation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "frame/frame_services.h"
#include "model/edit_ops.h"
#include "model/link_propagation.h"
#include "model/links.h"
#include "model/move_set.h"
#include "model/undo.h"
#include "shapes/connection_points.h"
#include "shapes/hook_mapping.h"
#include "shapes/picture_chunks.h"
#include "shapes/shape_kinds.h"
#include "shape_fixture.h"

namespace {

using Edges = std::vector<LONG>;
Edges EdgesOf(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

// A holder of two hooks in the line slot, as a straight line would hold them: code 1 is its
// frame's top-left corner (handle 1), code 2 its bottom-right (handle 4); its own box points lie
// linearly over its frame. It records the handle codes propagation reshapes it by.
struct TwoEndedLog {
    bool tellsHandle = true;
    std::vector<int> moveHandleCodes, dragCodes;
};
TwoEndedLog g_twoEnded;

LONG CALLBACK TwoEndedHolder(HDC, Drawing*, void* objects, int row, int message, int a, int b, void* p)
{
    DrawObject* o = objects ? AddressedObject(objects, row) : nullptr;
    if (!o) return 0;
    RECT& f = o->frame;
    switch (message) {
    case OM_INIT:
        o->hookCapacity = 2;
        return 0;
    case OM_GETPOINTPOS: {
        if (a != 1 && a != 2) return 1;
        *static_cast<POINT*>(p) = a == 1 ? POINT{f.left, f.top} : POINT{f.right, f.bottom};
        if (b) *reinterpret_cast<INT32*>(static_cast<INT_PTR>(b)) = g_twoEnded.tellsHandle ? (a == 1 ? 1 : 4) : 0;
        return 0;
    }
    case OM_MAPHOOKPOINT: {
        auto* points = static_cast<POINT*>(p);
        for (int i = 0; i < a; ++i)
            points[i] = {f.left + points[i].x * (f.right - f.left) / 600, f.top + points[i].y * (f.bottom - f.top) / 600};
        return 0;
    }
    case OM_MOVEHANDLERECT: {
        g_twoEnded.moveHandleCodes.push_back(a);
        const POINT d = *reinterpret_cast<POINT*>(static_cast<INT_PTR>(b));
        RECT& r = *static_cast<RECT*>(p);
        if (a == 1 || a == 3) r.left += d.x;
        if (a == 2 || a == 4) r.right += d.x;
        if (a == 1 || a == 2) r.top += d.y;
        if (a == 3 || a == 4) r.bottom += d.y;
        return 0;
    }
    case OM_DRAGHANDLE:
        g_twoEnded.dragCodes.push_back(a);
        f = o->updateRect = *static_cast<RECT*>(p);
        return 0;
    default:
        return 0;
    }
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
    // Moves one shape's records, flagging its links, without propagation; the passes are
    // counted apart.
    int MoveAlone(int row, int dx, int dy)
    {
        ObjectVector* set = NewObjectVector(4);
        set->rows[set->count++] = row;
        int err = ErrOutOfMemory;
        {
            Locked<Drawing> d(state_->drawing);
            Locked<ObjectList> objects(d->objectList);
            Locked<GroupTable> groups(d->groupTable);
            if (objects && groups) err = OffsetMoveSet(d.get(), objects.get(), groups.get(), set, dx, dy);
        }
        FreeObjectVector(&set, nullptr);
        return err;
    }
    int Propagate(int* passes)
    {
        Locked<Drawing> d(state_->drawing);
        return PropagateLinksCounted(d.get(), passes);
    }
    // Hooks attached by hand leave their links flagged; an edit would settle them first.
    void ClearChangedFlags()
    {
        Locked<Drawing> d(state_->drawing);
        Locked<LinkIndex> index(d->linkIndex);
        for (int i = 0; i < index->count; ++i) (*index)[i].flags &= ~static_cast<DWORD>(LinkChanged);
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

TEST_F(HookPoints, KindsMirrorAndTurnTheirMappedPoints)
{
    struct Case {
        const char* name;
        int kind;
        double param;
        bool midPoints;    // drawing flag 0x20
        DWORD mirror;
        int angle;
        int code;
        POINT box;
        POINT expected;
    };
    // Frame (600, 600)-(1200, 1200); a parameter of 0.25 makes e = 150.
    const Case cases[] = {
        {"rectangle", ShapeRectangle, 0, true, 0, 0, 3, {300, 0}, {900, 600}},
        {"rectangle never mirrors", ShapeRectangle, 0, true, OptMirrorH, 0, 4, {450, 0}, {1050, 600}},
        {"rounded corner moves by the insets", ShapeRoundedRect, 0.1, true, 0, 0, 1, {0, 0}, {620, 630}},
        {"rounded far corner", ShapeRoundedRect, 0.1, true, 0, 0, 9, {600, 600}, {1160, 1150}},
        {"rounded edge point stays", ShapeRoundedRect, 0.1, true, 0, 0, 3, {300, 0}, {900, 600}},
        {"diamond never mirrors", ShapeDecision, 0, true, OptMirrorH, 0, 4, {450, 150}, {1050, 750}},
        {"triangle side", ShapeTriangle, 0, true, 0, 0, 7, {450, 300}, {1050, 900}},
        {"triangle centre", ShapeTriangle, 0, true, 0, 0, 1, {300, 300}, {900, 900}},
        {"triangle apex down", ShapeReverseTriangle, 0, true, 0, 0, 2, {75, 150}, {675, 750}},
        {"arrow tip", ShapeRightArrow, 0.25, true, 0, 0, 7, {600, 300}, {1200, 900}},
        {"arrow head's side", ShapeRightArrow, 0.25, true, 0, 0, 6, {600, 150}, {1125, 750}},
        {"arrow body's middle", ShapeRightArrow, 0.25, false, 0, 0, 3, {300, 0}, {825, 690}},
        {"arrow frame's middle", ShapeRightArrow, 0.25, true, 0, 0, 3, {300, 0}, {900, 690}},
        {"arrow body's corner", ShapeRightArrow, 0.25, true, 0, 0, 13, {0, 600}, {600, 1110}},
        {"arrow mirrored", ShapeRightArrow, 0.25, true, OptMirrorH, 0, 7, {600, 300}, {600, 900}},
        {"hexagon side", ShapePreparation, 0.25, true, 0, 0, 6, {600, 150}, {1125, 750}},
        {"hexagon top", ShapePreparation, 0.25, true, 0, 0, 2, {150, 0}, {825, 600}},
        {"hexagon never mirrors", ShapePreparation, 0.25, true, OptMirrorH, 0, 15, {0, 300}, {600, 900}},
        {"parallelogram top", ShapeInputOutput, 0.25, false, 0, 0, 3, {300, 0}, {975, 600}},
        {"parallelogram top, frame's middle", ShapeInputOutput, 0.25, true, 0, 0, 3, {300, 0}, {900, 600}},
        {"parallelogram right side", ShapeInputOutput, 0.25, false, 0, 0, 7, {600, 300}, {1125, 900}},
        {"parallelogram mirrored", ShapeInputOutput, 0.25, false, OptMirrorH, 0, 3, {300, 0}, {825, 600}},
        {"parallelogram mirrored upside down", ShapeInputOutput, 0.25, false, OptMirrorV, 0, 7, {600, 300},
         {1125, 900}},
        {"parallelogram mirrored and half turned", ShapeInputOutput, 0.25, false, OptMirrorH, 1800, 3, {300, 0},
         {975, 1200}},
        {"rectangle turned a quarter", ShapeRectangle, 0, true, 0, 900, 3, {300, 0}, {600, 900}},
        // Fixed codes turn with the shape but are never mirrored.
        {"anchor not mirrored", ShapeInputOutput, 0.25, false, OptMirrorH, 0, 205, {300, 0}, {975, 600}},
        {"anchor turned, not mirrored", ShapeInputOutput, 0.25, false, OptMirrorH, 900, 205, {300, 0},
         {600, 825}},
        {"code turned and mirrored", ShapeInputOutput, 0.25, false, OptMirrorH, 900, 3, {300, 0}, {600, 975}},
        {"anchor on an arrow", ShapeRightArrow, 0.25, true, OptMirrorH | OptMirrorV, 0, 208, {600, 300},
         {1200, 900}},
    };
    const int row = Add(ShapeRectangle, RECT{600, 600, 1200, 1200});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Change(row, [&c](DrawObject& s, Drawing& d) {
            s.objType = c.kind;
            s.param = c.param;
            s.options = (s.options & ~static_cast<DWORD>(OptMirrorH | OptMirrorV)) | c.mirror;
            s.angle = c.angle;
            s.textInset = RECT{20, 30, 40, 50};
            if (c.midPoints) d.drawingFlags |= DrawMidPoints;
            else d.drawingFlags &= ~static_cast<DWORD>(DrawMidPoints);
        });
        POINT p = c.box;
        Send(row, OM_MAPHOOKPOINT, 1, c.code, &p);
        const int slack = c.angle ? 1 : 0;   // a turn truncates
        EXPECT_NEAR(c.expected.x, p.x, slack);
        EXPECT_NEAR(c.expected.y, p.y, slack);
    }

    // In a list only the places of the corners (0, 4, 8 and 12) move by the insets.
    Change(row, [](DrawObject& s, Drawing&) { s.objType = ShapeRoundedRect; s.options = 0; s.angle = 0; });
    POINT list[16];
    INT32 count = 0;
    Send(row, OM_GETHOOKPOINTS, 0, static_cast<int>(reinterpret_cast<INT_PTR>(&count)), list);
    ASSERT_EQ(16, count);
    Send(row, OM_MAPHOOKPOINT, 16, 0, list);
    EXPECT_EQ((Edges{620, 630, 750, 600}), (Edges{list[0].x, list[0].y, list[1].x, list[1].y}));
    EXPECT_EQ((Edges{1160, 630, 620, 1150}), (Edges{list[4].x, list[4].y, list[12].x, list[12].y}));
}

TEST_F(HookPoints, PointsProjectOntoTheOutlineAlongTheirDirection)
{
    struct Case {
        const char* name;
        int kind;
        DWORD mirror;
        int angle;
        bool snap;
        int direction;
        int mode;
        POINT from;
        POINT expected;   // drawing units in mode 1, box units in mode 0
    };
    // Frame (600, 600)-(1200, 1200); the grid, when on, has lines every 300 units.
    const Case cases[] = {
        {"nearest edge by slope", ShapeRectangle, 0, 0, false, 0, 1, {700, 650}, {700, 600}},
        {"across", ShapeRectangle, 0, 0, false, kProjectHorizontal, 1, {700, 650}, {600, 650}},
        {"up and down", ShapeRectangle, 0, 0, false, kProjectVertical, 1, {620, 1000}, {620, 1200}},
        {"no edge in reach", ShapeDecision, 0, 0, false, kProjectVertical, 1, {2000, 900}, {2000, 900}},
        {"slanted edge", ShapeDecision, 0, 0, false, 0, 1, {700, 700}, {700, 800}},
        // The oval's halves meet at its bottom point, which is no edge of its own.
        {"oval, on the centre line", ShapeOval, 0, 0, false, 0, 1, {900, 1100}, {900, 1200}},
        {"answered in the box", ShapeRectangle, 0, 0, false, 0, 0, {700, 650}, {100, 0}},
        {"on the grid line", ShapeRectangle, 0, 0, true, 0, 0, {820, 640}, {300, 0}},
        {"the grid is for hooking only", ShapeRectangle, 0, 0, true, 0, 1, {820, 640}, {820, 600}},
        {"mirrored back", ShapeRectangle, OptMirrorH, 0, false, 0, 0, {700, 650}, {500, 0}},
        {"turned back", ShapeRectangle, 0, 900, false, 0, 0, {700, 650}, {600, 100}},
    };
    const int row = Add(ShapeRectangle, RECT{600, 600, 1200, 1200});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Change(row, [&c](DrawObject& s, Drawing& d) {
            s.objType = c.kind;
            s.options = (s.options & ~static_cast<DWORD>(OptMirrorH | OptMirrorV)) | c.mirror;
            s.angle = c.angle;
            s.lastHookPoint = POINT{-1, -1};
            if (c.snap) d.drawingFlags |= DrawSnap;
            else d.drawingFlags &= ~static_cast<DWORD>(DrawSnap);
            d.rulerSettings.screenUnit = 1;
            d.rulerSettings.scaleBase = 400.0;   // 2400 units a major division, eight of 300
            d.rulerSettings.divisions = 8;
        });
        POINT p = c.from;
        INT32 count = 5;
        {
            Locked<Drawing> d(state_->drawing);
            Locked<ObjectList> objects(d->objectList);
            ProjectPointOntoOutline(d.get(), &(*objects)[row], c.direction, &count, &p, c.mode);
        }
        EXPECT_EQ(1, count);
        const int slack = c.angle ? 1 : 0;
        EXPECT_NEAR(c.expected.x, p.x, slack);
        EXPECT_NEAR(c.expected.y, p.y, slack);
        // Mode 0 remembers its answer; a count of 0 asks for it back.
        const POINT remembered = Object(row).lastHookPoint;
        EXPECT_EQ(c.mode == 0 ? p.x : -1, remembered.x);
        if (c.mode == 0) {
            POINT back = {0, 0};
            count = 0;
            DrawObject shape = Object(row);
            ProjectPointOntoOutline(nullptr, &shape, c.direction, &count, &back, 0);
            EXPECT_EQ(1, count);
            EXPECT_EQ((Edges{p.x, p.y}), (Edges{back.x, back.y}));
        }
    }

    // While hook points are shown the projection does not move the remembered point.
    Change(row, [](DrawObject& s, Drawing&) {
        s.objType = ShapeRectangle;
        s.options &= ~static_cast<DWORD>(OptMirrorH | OptMirrorV);
        s.angle = 0;
        s.state |= StateShowHooks;
        s.lastHookPoint = POINT{7, 7};
    });
    POINT p = {700, 650};
    INT32 count = 1;
    {
        Locked<Drawing> d(state_->drawing);
        Locked<ObjectList> objects(d->objectList);
        ProjectPointOntoOutline(d.get(), &(*objects)[row], 0, &count, &p, 0);
    }
    EXPECT_EQ((Edges{100, 0}), (Edges{p.x, p.y}));
    EXPECT_EQ(7, Object(row).lastHookPoint.x);
}

TEST_F(HookPoints, ExactCodesOnPicturesSnapToTheirCustomPoints)
{
    // A picture's first chunk offers three points: its top-left corner, right middle and bottom
    // middle.
    HGLOBAL block = nullptr;
    ASSERT_EQ(0, AddRecord(slot_, 112, 1, sizeof(PictureChunk), &block));
    {
        Locked<PictureChunk> chunk(block);
        chunk->hookPointCount = 3;
        const std::int16_t points[3][2] = {{0, 0}, {600, 300}, {300, 600}};
        std::memcpy(chunk->hookPoints, points, sizeof(points));
    }
    ASSERT_EQ(0, MarkBlockDirty(block));
    ReleaseBlock(block);
    const int row = Add(ShapeRectangle, RECT{600, 600, 1200, 1200});
    Change(row, [](DrawObject& s, Drawing&) {
        s.state |= StateCustomHooks;
        s.dataType = 112;
        s.dataId = 1;
    });

    struct Snap {
        int angle;
        POINT from, expected;   // box units
    };
    const Snap snaps[] = {
        {0, {500, 250}, {600, 300}},
        {0, {300, 150}, {0, 0}},      // as near to (600, 300): the first point wins
        {900, {320, 20}, {300, 0}},   // the points turn with the picture: (600, 300) is at the top
    };
    for (const Snap& c : snaps) {
        Change(row, [&c](DrawObject& s, Drawing&) { s.angle = c.angle; });
        POINT p = c.from;
        const DrawObject shape = Object(row);
        Locked<Drawing> d(state_->drawing);
        EXPECT_EQ(0, SnapToNearestCustomPoint(d.get(), &shape, &p));
        EXPECT_NEAR(c.expected.x, p.x, c.angle ? 1 : 0);
        EXPECT_NEAR(c.expected.y, p.y, c.angle ? 1 : 0);
    }

    struct Code {
        int angle;
        int dataId;
        int code;
        POINT position, box;
    };
    const Code codes[] = {
        // 305, the top middle, snaps to the top-left point.
        {0, 1, 305, {600, 600}, {0, 0}},
        // Turned, the right middle point now sits at the top of the frame.
        {900, 1, 305, {900, 600}, {300, 0}},
        // The stored points are the snap list: code 2 is the right middle.
        {0, 1, 2, {1200, 900}, {600, 300}},
        // A chunk that cannot be loaded leaves the point unsnapped.
        {0, 9, 305, {900, 600}, {300, 0}},
    };
    for (const Code& c : codes) {
        SCOPED_TRACE(testing::Message() << c.code << " turned " << c.angle << " chunk " << c.dataId);
        Change(row, [&c](DrawObject& s, Drawing&) {
            s.angle = c.angle;
            s.dataId = c.dataId;
        });
        const int slack = c.angle ? 1 : 0;
        const POINT position = Position(row, c.code);
        EXPECT_NEAR(c.position.x, position.x, slack);
        EXPECT_NEAR(c.position.y, position.y, slack);
        POINT box = {};
        EXPECT_EQ(0, Send(row, OM_POINTTOUNIT, c.code, 0, &box));
        EXPECT_NEAR(c.box.x, box.x, slack);
        EXPECT_NEAR(c.box.y, box.y, slack);
    }
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

TEST_F(HookPoints, ARefitTakesTheHookPointNearestToWhereTheHookWas)
{
    struct Case {
        POINT from, expected;
    };
    // A rectangle offers a point every 150 units round its box.
    const Case cases[] = {
        {{290, 10}, {300, 0}},
        {{600, 280}, {600, 300}},
        {{440, 590}, {450, 600}},
        {{225, 0}, {150, 0}},   // equally near: the first listed wins
        {{0, 0}, {0, 0}},
    };
    const int target = Add(ShapeRectangle, RECT{1200, 1200, 1800, 1800});
    const int holder = Add(ShapeRectangle, RECT{600, 1350, 1200, 1650});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from.x << ", " << c.from.y);
        {
            // Rotating, flipping or reshaping the target flags its links for a refit.
            Locked<Drawing> d(state_->drawing);
            ASSERT_EQ(0, AttachHook(d.get(), holder, 0, target, 7, c.from.x, c.from.y));
            MarkLinksChanged(d.get(), Object(target).objId, LinkChanged | LinkRefit, 0, -1);
        }
        int passes = 0;
        ASSERT_EQ(0, Propagate(&passes));
        const HookEntry hook = Object(holder).hooks[0];
        EXPECT_EQ((Edges{c.expected.x, c.expected.y}), (Edges{hook.attachX, hook.attachY}));
    }
}

TEST_F(HookPoints, AHolderHookedAtBothEndsIsReshapedAtTheEndThatMovedAndPassesItOn)
{
    struct Case {
        bool tellsHandle;
        int moveHandleCode, dragCode;   // by the holder's own code, or opposite its frame's parts
    };
    const Case cases[] = {{true, 4, 4}, {false, 1, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tellsHandle);
        TearDown();
        SetUp();
        // Into the live table: installing would put the registered line class back.
        g_classHandlers.classes[ClassLine] = TwoEndedHolder;
        g_twoEnded = TwoEndedLog{};
        g_twoEnded.tellsHandle = c.tellsHandle;
        const int a = Add(ShapeRectangle, RECT{600, 600, 1200, 1200});
        const int b = Add(ShapeRectangle, RECT{3000, 3000, 3600, 3600});
        // From A's right middle to B's left middle; a shape hangs by its left middle (code 15)
        // on the holder's right middle.
        RECT span = {1200, 900, 3000, 3300};
        ASSERT_EQ(0, AddObject(view_, ClassLine, &span, 0, 0, 0, FALSE, TRUE, nullptr, FALSE));
        const int holder = b + 1;
        const int follower = Add(ShapeRectangle, RECT{3000, 1950, 3300, 2250});
        ASSERT_EQ(0, Hook(holder, a, 1, 600, 300));
        ASSERT_EQ(0, Hook(holder, b, 2, 0, 300));
        ASSERT_EQ(0, Hook(follower, holder, 15, 600, 300));

        ASSERT_EQ(0, MoveAlone(b, 300, 120));
        int passes = 0;
        ASSERT_EQ(0, Propagate(&passes));
        EXPECT_EQ(std::vector<int>{c.moveHandleCode}, g_twoEnded.moveHandleCodes);
        EXPECT_EQ(std::vector<int>{c.dragCode}, g_twoEnded.dragCodes);
        if (!c.tellsHandle) continue;
        // The end on B followed it; the end on A stayed.
        EXPECT_EQ((Edges{1200, 900, 3300, 3420}), EdgesOf(Object(holder).frame));
        // The reshape flagged the holder's links: its right middle is now (3300, 2160).
        EXPECT_EQ((Edges{3300, 2010, 3600, 2310}), EdgesOf(Object(follower).frame));
            }
}

TEST_F(HookPoints, AHolderPushedOffThePageIsPulledBackWithItsWholeGroup)
{
    int width = 0;
    {
        Locked<Drawing> d(state_->drawing);
        width = d->pageWidth;
    }
    const int hub = Add(ShapeRectangle, RECT{width - 1500, 600, width - 900, 1200});
    const int holder = Add(ShapeRectangle, RECT{width - 900, 750, width - 600, 1050});
    const int mate = Add(ShapeRectangle, RECT{width - 900, 1500, width - 600, 1800});
    ASSERT_EQ(0, Hook(holder, hub, 15, 600, 300));
    const int group = MakeGroup(7, {holder, mate});
    // The holder's group moves with it, 150 beyond the page's right edge: the hub's move set,
    // the holder's group mate included, comes back by 150.
    ASSERT_EQ(0, MoveAlone(hub, 750, 0));
    int passes = 0;
    ASSERT_EQ(0, Propagate(&passes));
    EXPECT_EQ(width - 300, Object(hub).frame.right);
    EXPECT_EQ(width, Object(holder).frame.right);
    EXPECT_EQ(width, Object(mate).frame.right);
    EXPECT_EQ(width, Object(mate).groupFrame.right);
    Locked<Drawing> d(state_->drawing);
    Locked<GroupTable> groups(d->groupTable);
    EXPECT_EQ(width, (*groups)[group].frame.right);
    EXPECT_EQ(0u, (*groups)[group].flags & (GroupFramesPending | GroupBoundsStale));
}

TEST_F(HookPoints, WhatThePullBackMovedIsSettledAndNoLinkStaysFlagged)
{
    g_classHandlers.classes[ClassLine] = TwoEndedHolder;
    g_twoEnded = TwoEndedLog{};
    int width = 0;
    {
        Locked<Drawing> d(state_->drawing);
        width = d->pageWidth;
    }
    const int hub = Add(ShapeRectangle, RECT{width - 1500, 600, width - 900, 1200});
    const int holder = Add(ShapeRectangle, RECT{width - 900, 750, width - 600, 1050});
    ASSERT_EQ(0, Hook(holder, hub, 15, 600, 300));
    // A line from the hub's top-left corner to the holder's bottom middle.
    RECT span = {width - 1500, 600, width - 750, 1050};
    ASSERT_EQ(0, AddObject(view_, ClassLine, &span, 0, 0, 0, FALSE, TRUE, nullptr, FALSE));
    const int line = holder + 1;
    ASSERT_EQ(0, Hook(line, hub, 1, 0, 0));
    ASSERT_EQ(0, Hook(line, holder, 2, 300, 600));
    auto flagged = [this] {
        int count = 0;
        Locked<Drawing> d(state_->drawing);
        Locked<LinkIndex> index(d->linkIndex);
        for (int i = 0; i < index->count; ++i) count += ((*index)[i].flags & LinkChanged) ? 1 : 0;
        return count;
    };

    // The holder follows the hub 150 beyond the page's right edge; the pull-back brings both
    // back by 150, and the line must follow them back at both ends.
    ObjectVector* set = NewObjectVector(4);
    set->rows[set->count++] = hub;
    ASSERT_EQ(0, MoveObjects(view_, 750, 0, set, FALSE));
    FreeObjectVector(&set, nullptr);
    const Edges settled = {width - 900, 600, width - 150, 1050};
    EXPECT_EQ((Edges{width - 900, 600, width - 300, 1200}), EdgesOf(Object(hub).frame));
    EXPECT_EQ(width, Object(holder).frame.right);
    EXPECT_EQ(settled, EdgesOf(Object(line).frame));
    EXPECT_EQ(0, flagged());

    // Undo and redo bring back states that nothing has to chase.
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_EQ(EdgesOf(span), EdgesOf(Object(line).frame));
    EXPECT_EQ(0, flagged());
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_EQ(settled, EdgesOf(Object(line).frame));
    EXPECT_EQ(0, flagged());
    int passes = 0;
    ASSERT_EQ(0, Propagate(&passes));
    EXPECT_EQ(1, passes);
    EXPECT_EQ(settled, EdgesOf(Object(line).frame));
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
    // A ring that would climb off the drawing without end is refused once its passes are spent.
    EXPECT_EQ(10009, Propagate(&passes));
    EXPECT_LE(passes, 2 + 2);
    Locked<Drawing> d(state_->drawing);
    Locked<LinkIndex> index(d->linkIndex);
    for (int i = 0; i < index->count; ++i) EXPECT_EQ(0u, (*index)[i].flags & LinkChanged);
}

TEST_F(HookPoints, AMoveThatLeavesARingUnsettledIsRolledBack)
{
    // Three shapes, each hooked to the right of the next: a ring that cannot settle.
    int rows[3];
    for (int i = 0; i < 3; ++i) rows[i] = Add(ShapeRectangle, RECT{3000, 3000 + 1000 * i, 3600, 3600 + 1000 * i});
    for (int i = 0; i < 3; ++i) ASSERT_EQ(0, Hook(rows[i], rows[(i + 1) % 3], 15, 600, 300));
    ClearChangedFlags();
    const std::string before = Records();
    ObjectVector* set = NewObjectVector(4);
    set->rows[set->count++] = rows[0];
    EXPECT_EQ(10009, MoveObjects(view_, 0, 30, set, FALSE));
    FreeObjectVector(&set, nullptr);
    EXPECT_EQ(before, Records());
    for (int row : rows) {
        const RECT f = Object(row).frame;
        EXPECT_GE(f.left, 0);
        EXPECT_GE(f.top, 0);
    }
}

TEST_F(HookPoints, ASetAsWideAsThePageCannotBePulledBack)
{
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
