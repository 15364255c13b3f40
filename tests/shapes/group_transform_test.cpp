// Groups of shapes turned and resized as one: snapped angles, the smallest group, scaling from
// the frame at grouping time, links inside a turned group, and undo back to the same bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>

#include "frame/frame_services.h"
#include "model/group_transform.h"
#include "model/groups.h"
#include "model/links.h"
#include "model/undo.h"
#include "shapes/shape_kinds.h"
#include "shape_fixture.h"

namespace {

class GroupTransform : public ShapeClass {
protected:
    GroupEntry Group(int index)
    {
        Locked<Drawing> d(state_->drawing);
        Locked<GroupTable> table(d->groupTable);
        return (*table)[index];
    }
    int Links()
    {
        Locked<Drawing> d(state_->drawing);
        Locked<LinkIndex> index(d->linkIndex);
        return index->count;
    }
    // The records a group edit changes, payloads only.
    std::string Records()
    {
        std::string all;
        for (int type : {110, 115, 118}) {
            HGLOBAL block = nullptr;
            EXPECT_EQ(0, LoadRecord(slot_, type, 0, &block));
            Locked<BYTE> bytes(block);
            all.append(reinterpret_cast<const char*>(bytes.get()) + 16, GetBlockSize(block) - 16);
        }
        return all;
    }
    // A drag of the right-middle handle (code 8) by `degrees`, counter-clockwise on screen, far
    // out so that the angle is exact to a hundredth of a degree.
    int Rotate(int group, double degrees)
    {
        const RECT f = Group(group).frame;
        const double cx = f.left + (f.right - f.left) / 2, cy = f.top + (f.bottom - f.top) / 2;
        const double rad = degrees * 3.14159265358979 / 180;
        return RotateGroup(state_, group, 8, static_cast<int>(cx + 20000 * std::cos(rad)),
                           static_cast<int>(cy - 20000 * std::sin(rad)), FALSE);
    }
};

TEST_F(GroupTransform, RotationSnapsToFifteenDegreesAndUndoesByteForByte)
{
    const int a = Add(ShapeRectangle, RECT{3000, 3000, 3600, 3600});
    const int b = Add(ShapeRectangle, RECT{4200, 3000, 4800, 3600});
    const int group = MakeGroup(7, {a, b});
    Change(a, [](DrawObject&, Drawing& d) { d.drawingFlags |= DrawSnap; });
    // Half a step and more rounds away from zero, less rounds towards it.
    const struct {
        double drag;
        int angle;
    } cases[] = {{22.45, 150}, {22.55, 300}, {-7.55, -150}, {-7.45, 0}};
    for (const auto& c : cases) {
        const std::string before = Records();
        ASSERT_EQ(0, Rotate(group, c.drag));
        EXPECT_EQ(c.angle, Group(group).angle) << c.drag;
        EXPECT_EQ(UndoRotate, state_->undoLabel);
        ASSERT_EQ(0, UndoLastChange(view_, TRUE));
        EXPECT_TRUE(before == Records()) << c.drag;
    }

    // A group that does not exist is no edit: nothing journaled, the last undo step kept.
    ASSERT_EQ(0, Rotate(group, 30));
    const std::string turnedOnce = Records();
    EXPECT_EQ(0, RotateGroup(state_, group + 1, 8, 0, 0, FALSE));
    EXPECT_EQ(UndoRotate, state_->undoLabel);
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_NE(turnedOnce, Records());   // the undo still takes back the real turn
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_EQ(turnedOnce, Records());
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));

    // Without snapping a quarter turn carries the left member's centre below the group's centre.
    Change(a, [](DrawObject&, Drawing& d) { d.drawingFlags &= ~static_cast<DWORD>(DrawSnap); });
    ASSERT_EQ(0, Rotate(group, 90.005));
    EXPECT_EQ(900, Group(group).angle);
    const RECT turned = Object(a).frame;
    EXPECT_NEAR(3900, turned.left + (turned.right - turned.left) / 2, 1);
    EXPECT_NEAR(3900, turned.top + (turned.bottom - turned.top) / 2, 1);
}

TEST_F(GroupTransform, TurningAGroupDropsOnlyTheLinksBetweenItsMembers)
{
    const int a = Add(ShapeRectangle, RECT{3000, 3000, 3600, 3600});
    const int b = Add(ShapeRectangle, RECT{4200, 3000, 4800, 3600});
    const int outside = Add(ShapeRectangle, RECT{6000, 3000, 6600, 3600});
    {
        Locked<Drawing> d(state_->drawing);
        ASSERT_EQ(0, AttachHook(d.get(), b, -1, a, 15, 600, 300));         // member on member
        ASSERT_EQ(0, AttachHook(d.get(), outside, -1, b, 15, 600, 300));   // outsider on member
    }
    const int group = MakeGroup(7, {a, b});
    ASSERT_TRUE(Group(group).flags & GroupHooked);
    ASSERT_EQ(0, Rotate(group, 45));
    EXPECT_EQ(1, Links());
    EXPECT_EQ(0, Object(b).hookCount);
    EXPECT_EQ(1, Object(outside).hookCount);
    EXPECT_FALSE(Group(group).flags & GroupHooked);

    // Called directly it removes the member's hooks only and keeps the index in step.
    {
        Locked<Drawing> d(state_->drawing);
        ASSERT_EQ(0, AttachHook(d.get(), b, -1, a, 15, 600, 300));
        Locked<ObjectList> objects(d->objectList);
        ASSERT_EQ(0, UnlinkGroupMembers(d.get(), objects.get(), 7));
        ASSERT_EQ(0, UnlinkGroupMembers(d.get(), objects.get(), 7));   // nothing left to do
    }
    EXPECT_EQ(1, Links());
    EXPECT_EQ(0, Object(b).hookCount);
}

TEST_F(GroupTransform, ResizeScalesFromTheGroupedFrameAndKeepsFiftyFourUnits)
{
    const int a = Add(ShapeRectangle, RECT{3000, 3000, 3600, 3600});
    const int b = Add(ShapeRectangle, RECT{4200, 3600, 4800, 4200});
    const int group = MakeGroup(7, {a, b});
    ASSERT_EQ(RECT({3000, 3000, 4800, 4200}), Group(group).frame);

    // Twice the width, the same height: b's offset from the group's corner doubles.
    std::string before = Records();
    RECT wide = {3000, 3000, 6600, 4200};
    ASSERT_EQ(0, ResizeGroup(view_, group, &wide, 4, FALSE));
    EXPECT_EQ(UndoDrawing, state_->undoLabel);
    EXPECT_EQ(wide, Group(group).frame);
    EXPECT_EQ(RECT({3000, 3000, 4200, 3600}), Object(a).frame);
    EXPECT_EQ(RECT({5400, 3600, 6600, 4200}), Object(b).frame);
    EXPECT_EQ(2.0, Group(group).widthFactor);
    EXPECT_FALSE(groupResizeRunning);
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_TRUE(before == Records());

    // A second resize starts from what the first one produced and still scales the members'
    // grouped frames: half the grouped width puts b at a quarter of the first result's offset.
    ASSERT_EQ(0, ResizeGroup(view_, group, &wide, 4, FALSE));
    RECT narrow = {3000, 3000, 3900, 4200};
    ASSERT_EQ(0, ResizeGroup(view_, group, &narrow, 4, FALSE));
    EXPECT_EQ(RECT({3000, 3000, 3300, 3600}), Object(a).frame);
    EXPECT_EQ(RECT({3600, 3600, 3900, 4200}), Object(b).frame);

    // Too small: the group becomes 54 x 54 and its members shrink towards it.
    RECT tiny = {3000, 3000, 3010, 3010};
    ASSERT_EQ(0, ResizeGroup(view_, group, &tiny, 4, FALSE));
    EXPECT_EQ(RECT({3000, 3000, 3054, 3054}), Group(group).frame);
    EXPECT_EQ(3000, Object(a).frame.left);
    EXPECT_LT(Object(b).frame.left, 3054);
}

TEST_F(GroupTransform, ResizingATurnedGroupToItsOwnFrameLeavesEveryMemberInPlace)
{
    // Members turned by no angle, by a right angle and freely when the group was made; the
    // class leaves the resize of each of them to the group code.
    const struct {
        const char* name;
        int angle;
    } cases[] = {{"upright", 0}, {"quarter turn", 900}, {"freely turned", 300}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        const int a = Add(ShapeRectangle, RECT{3000, 3000, 3600, 3300});
        const int b = Add(ShapeRectangle, RECT{4200, 3600, 4800, 3900});
        Change(b, [&c](DrawObject& s, Drawing&) { s.angle = c.angle; });
        const int group = MakeGroup(7, {a, b});
        Change(b, [&c](DrawObject& s, Drawing&) { s.groupAngle = c.angle; });
        ASSERT_EQ(0, Rotate(group, 90.005));
        ASSERT_EQ(900, Group(group).angle);
        const RECT turned = Object(b).frame;
        RECT same = Group(group).frame;
        ASSERT_EQ(0, ResizeGroup(view_, group, &same, 4, FALSE));
        const RECT after = Object(b).frame;
        EXPECT_NEAR(turned.left, after.left, 2) << after;
        EXPECT_NEAR(turned.top, after.top, 2) << after;
        EXPECT_NEAR(turned.right, after.right, 2) << after;
        EXPECT_NEAR(turned.bottom, after.bottom, 2) << after;
    }
}

}  // namespace
