// The group table: lookup by id and hint, recomputation from members, dissolving.
#include <gtest/gtest.h>

#include "geometry/point_geometry.h"
#include "model/edit_ops.h"
#include "model/groups.h"
#include "model/render.h"
#include "model/selection.h"
#include "support/model_fixture.h"

TEST_F(ModelTest, StaleGroupHintFindsTheEntryByIdAndOrsTheFlags)
{
    int a = Add(ClassShape), b = Add(ClassShape), c = Add(ClassShape), e = Add(ClassShape);
    MakeGroup(5, {a, b});
    MakeGroup(8, {c, e});
    Locked<Drawing> d = LockDrawing();
    EXPECT_EQ(1, FindGroupIndex(d.get(), 8, 0, GroupBoundsStale));
    EXPECT_EQ(1, FindGroupIndex(d.get(), 8, 99, 0));
    EXPECT_EQ(-1, FindGroupIndex(d.get(), 6, 0, 0));
    d.Unlock();
    EXPECT_TRUE(Groups()[1].flags & GroupBoundsStale);
    {
        Locked<Drawing> dd = LockDrawing();
        Locked<ObjectList> objects(dd->objectList);
        (*objects)[c].groupRow = 0;   // stale
        objects.Unlock();
        UpdateGroupBounds(dd.get(), 1, nullptr);
    }
    EXPECT_EQ(1, Object(c).groupRow);
}

TEST_F(ModelTest, GroupBoundsUniteTheMembersAndSelectionFollowsTheFirstMember)
{
    int a = Add(ClassShape, 600, 600, 300, 300);
    int b = Add(ClassShape, 1200, 900, 300, 300);
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        (*objects)[a].state |= StateSelected;
        d->selectedCount = 1;
    }
    MakeGroup(3, {a, b});
    GroupEntry g = Groups()[0];
    EXPECT_EQ((RECT{570, 570, 1530, 1230}), g.bounds);
    EXPECT_EQ((RECT{600, 600, 1500, 1200}), g.frame);
    EXPECT_EQ(g.frame, g.groupedFrame);
    EXPECT_EQ(2, g.memberCount);
    EXPECT_TRUE(g.flags & GroupSelected);
    EXPECT_TRUE(Object(b).state & StateSelected);
    Locked<Drawing> d = LockDrawing();
    EXPECT_EQ(2, d->selectedCount);
    Locked<ObjectList> objects(d->objectList);
    EXPECT_EQ(-1, GetCurrentGroupIndex(d.get(), objects.get()));   // no current object
    d->currentRow = b;
    EXPECT_EQ(0, GetCurrentGroupIndex(d.get(), objects.get()));
}

TEST_F(ModelTest, ConnectorMakesAGroupRigidOnlyWhileItIsUnrotated)
{
    int a = Add(ClassShape);
    int c = Add(ClassConnector);
    MakeGroup(4, {a, c});
    EXPECT_TRUE(Groups()[0].flags & GroupNoFreeResize);
    {
        Locked<Drawing> d = LockDrawing();
        Locked<GroupTable> table(d->groupTable);
        (*table)[0].angle = 300;
        table.Unlock();
        UpdateGroupBounds(d.get(), 0, nullptr);
    }
    EXPECT_FALSE(Groups()[0].flags & GroupNoFreeResize);
}

TEST_F(ModelTest, OnlyAnglesOffTheRightAnglesForceCornerHandles)
{
    struct Case {
        int angle;
        int layout;
    };
    for (Case c : {Case{0, 0}, {903, 0}, {897, 0}, {-1797, 0}, {450, 3}, {904, 3}, {-450, 3}}) {
        int a = Add(ClassShape), b = Add(ClassShape);
        {
            Locked<Drawing> d = LockDrawing();
            Locked<ObjectList> objects(d->objectList);
            (*objects)[b].groupAngle = c.angle;
        }
        int index = MakeGroup(100 + c.angle, {a, b});
        EXPECT_EQ(c.layout, Groups()[index].handleLayout) << c.angle;
    }
}

TEST_F(ModelTest, AGroupOfLabelsAloneIsRemoved)
{
    int a = Add(ClassShape), b = Add(ClassShape), c = Add(ClassShape);
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        (*objects)[a].state |= StateAttachedLabel;
        (*objects)[b].state |= StateAttachedLabel;
    }
    MakeGroup(6, {a, b});
    EXPECT_TRUE(Groups().empty());
    EXPECT_EQ(6, Object(a).groupId);   // labels keep the id of a group that no longer exists
    Locked<Drawing> d = LockDrawing();
    EXPECT_EQ(-1, FindGroupIndex(d.get(), 6, 0, 0));
    (void)c;
}

TEST_F(ModelTest, ARotatedGroupsBoundsHoldItsFrameTurnedAsEveryRotationTurnsIt)
{
    int a = Add(ClassShape, 600, 600, 300, 300), b = Add(ClassShape, 900, 900, 300, 300);
    MakeGroup(4, {a, b});
    const RECT members = {570, 570, 1230, 1230};
    for (int angle : {450, -300, 1350, 900}) {
        {
            Locked<Drawing> d = LockDrawing();
            Locked<GroupTable> table(d->groupTable);
            (*table)[0].angle = angle;
            table.Unlock();
            UpdateGroupBounds(d.get(), 0, nullptr);
        }
        const GroupEntry g = Groups()[0];
        POINT corners[4] = {{g.frame.left, g.frame.top}, {g.frame.right, g.frame.top},
                            {g.frame.right, g.frame.bottom}, {g.frame.left, g.frame.bottom}};
        RotatePoints(&g.frame, angle, corners, 4);
        RECT expected;
        BoundsOfPoints(&expected, corners, 4);
        InflateRect(&expected, 30, 30);
        UnionRect(&expected, &expected, &members);
        EXPECT_EQ(expected, g.bounds) << angle;
        if (angle == 450) {
            EXPECT_EQ(445, g.bounds.left);   // 900 - 424.26, truncated after the centre is added
        }
    }
}

// A label keeps the id of a group that went; any id that names no group is no group: such an
// object gets handles of its own, turns with the selection and is a unit of its own in menus.
TEST_F(ModelTest, AGroupIdThatNamesNoGroupCountsAsNotGrouped)
{
    int a = Add(ClassShape), b = Add(ClassShape, 1200, 600);
    for (int row : {a, b}) {
        Change(row, [](DrawObject& o, Drawing& d) {
            o.groupId = 6;
            o.groupRow = 0;
            o.state |= StateSelected;
            ++d.selectedCount;
        });
    }
    const std::vector<int> both = {Object(a).objId, Object(b).objId};

    g_recorder.Clear();
    HDC dc = CreateCompatibleDC(nullptr);
    RenderPage(dc, DrawingHandle(), nullptr, TRUE, FALSE, FALSE);
    DeleteDC(dc);
    EXPECT_EQ(both, g_recorder.Messages(OM_DRAWHANDLES));
    {
        Locked<Drawing> d = LockDrawing();
        EXPECT_EQ(0x1000u, GetSelectionMenuFlags(d.get()) & 0x1000u);   // two units
    }
    g_recorder.Clear();
    ASSERT_EQ(0, ApplyToSelection(view_, OM_SETANGLE, 450, nullptr, FALSE));
    EXPECT_EQ(both, g_recorder.Messages(OM_SETANGLE));
}
