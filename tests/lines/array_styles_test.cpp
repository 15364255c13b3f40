// Line-array style commands (message 83) and flips (message 58).
#include <climits>
#include <initializer_list>

#include "array_fixture.h"
#include "lines/line_geometry.h"
#include "model/links.h"
#include "store/store_records.h"

namespace {

class ArrayStyles : public ArrayClass {
protected:
    // A horizontal array 900 wide, its trunk on the frame's bottom (y 900), its inner rect
    // starting at x 600.
    int AddHorizontal() { return AddArray(RECT{600, 600, 1500, 900}); }

    // Sends a submenu command as the attribute path does: the command id less 1601 in p[1].
    void Choose(int row, int command) { Style(row, command - 1601); }
    void Style(int row, INT32 value)
    {
        INT32 values[2] = {0, value};
        EXPECT_EQ(0, SendArray(row, OM_SETARRAYSTYLE, 0, 0, values));
    }
    template <typename F>
    void EditArray(int row, F edit)
    {
        const DrawObject o = Object(row);
        HGLOBAL block = nullptr;
        ASSERT_EQ(0, LoadArrayData(slot_, &o, &block));
        {
            Locked<ArrayData> data(block);
            edit(*data);
        }
        MarkBlockDirty(block);
        ReleaseBlock(block);
    }
    std::string ArrayBytes(int row) { return RecordBytes(kArrayRecordType, Object(row).dataId); }
    // Hangs the array by its end `code` on a new shape above it.
    void HangOnParent(int array, int code)
    {
        const int parent = AddAt(ClassShape, RECT{600, 0, 900, 300}, ShapeRectangle);
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), array, -1, parent, code, 300, 600));
    }
    int HookCode(int row) { return Object(row).hooks[0].holderCode; }
};

struct StyleCase {
    INT32 value;   // p[1]: the command id less 1601
    int orientation;
    int angle;
    DWORD style;
};

// The twenty submenu commands, then the rule at the two ends of its range.
TEST_F(ArrayStyles, CommandsSetTrunkAngleAndStyle)
{
    const StyleCase cases[] = {
        {1626 - 1601, LineHorizontal, 0, 16},  {1646 - 1601, LineVertical, 0, 16},
        {1651 - 1601, LineHorizontal, 45, 1},  {1681 - 1601, LineVertical, 135, 1},
        {1618 - 1601, LineHorizontal, 0, 8},   {1631 - 1601, LineVertical, 0, 1},
        {1652 - 1601, LineHorizontal, 45, 2},  {1673 - 1601, LineVertical, 45, 3},
        {1622 - 1601, LineHorizontal, 0, 12},  {1630 - 1601, LineVertical, 0, 0},
        {1650 - 1601, LineHorizontal, 45, 0},  {1671 - 1601, LineVertical, 45, 1},
        {1612 - 1601, LineHorizontal, 0, 2},   {1633 - 1601, LineVertical, 0, 3},
        {1656 - 1601, LineHorizontal, 45, 6},  {1677 - 1601, LineVertical, 45, 7},
        {1616 - 1601, LineHorizontal, 0, 6},   {1637 - 1601, LineVertical, 0, 7},
        {1662 - 1601, LineHorizontal, 135, 2}, {1683 - 1601, LineVertical, 135, 3},
        {9, LineHorizontal, 0, 0},    // k 10: group 1, style 0
        {88, LineVertical, 135, 9},   // k 89: group 8, (79 mod 20) - 10
    };
    for (const StyleCase& c : cases) {
        SCOPED_TRACE(c.value + 1601);
        const int row = AddHorizontal();
        Style(row, c.value);
        const DrawObject o = Object(row);
        const Record r = ReadArray(row);
        EXPECT_EQ(c.orientation, o.objType);
        EXPECT_EQ(c.angle, r.head.branchAngle);
        EXPECT_EQ(c.style, r.head.style);
        EXPECT_EQ(150, r.head.branchLength);
        // A horizontal trunk stays on y 900; a vertical one takes the former inner left.
        EXPECT_EQ(c.orientation == LineVertical ? 600 : 900, o.axisCoord);
    }
}

TEST_F(ArrayStyles, TurningTheTrunkTradesTrunkCoordinateAndInnerEdge)
{
    const int horizontal = AddHorizontal();
    const DrawObject before = Object(horizontal);
    ASSERT_EQ(LineHorizontal, before.objType);
    Choose(horizontal, 1683);   // "Fish doub rev"
    DrawObject o = Object(horizontal);
    EXPECT_EQ(LineVertical, o.objType);
    EXPECT_EQ(before.innerRect.left, o.axisCoord);
    EXPECT_EQ(600, o.axisCoord);
    EXPECT_EQ(135, ReadArray(horizontal).head.branchAngle);
    EXPECT_EQ(3u, ReadArray(horizontal).head.style);

    // The other way: a vertical array (trunk on the frame's right, x 900) takes its inner top.
    const int vertical = AddArray(RECT{600, 600, 900, 1500});
    ASSERT_EQ(LineVertical, Object(vertical).objType);
    const int innerTop = Object(vertical).innerRect.top;
    EXPECT_EQ(600, innerTop);
    Choose(vertical, 1618);   // "horiz"
    o = Object(vertical);
    EXPECT_EQ(LineHorizontal, o.objType);
    EXPECT_EQ(innerTop, o.axisCoord);
}

TEST_F(ArrayStyles, LinearResetsTheBranchLengthOthersKeepIt)
{
    const int row = AddHorizontal();
    EditArray(row, [](ArrayData& d) {
        d.style = 0;
        d.branchLength = 400;
    });
    Choose(row, 1650);   // "Fish h"
    EXPECT_EQ(400, ReadArray(row).head.branchLength);
    Choose(row, 1626);   // "Horiz linear"
    EXPECT_EQ(150, ReadArray(row).head.branchLength);
    EXPECT_EQ(16u, ReadArray(row).head.style);
}

TEST_F(ArrayStyles, GroupsOutsideOneToEightAreRefused)
{
    const int row = AddHorizontal();
    const std::string record = ArrayBytes(row);
    const std::string objects = ObjectBytes();
    // k = value + 1: 0, 9 (group 0), 90 (group 9), -19 (group -1); the extremes must not overflow.
    for (INT32 value : {-1, 8, 89, -20, -1601, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(value);
        Style(row, value);
        EXPECT_EQ(record, ArrayBytes(row));
        EXPECT_EQ(objects, ObjectBytes());
    }
}

TEST_F(ArrayStyles, GroupedArrayIgnoresTheCommands)
{
    const int row = AddHorizontal();
    // A group of one would be dissolved: the array is marked as a member directly.
    Change(row, [](DrawObject& o, Drawing&) {
        o.groupId = 7;
        o.groupRow = 0;
    });
    const std::string record = ArrayBytes(row);
    const DrawObject before = Object(row);
    Choose(row, 1683);
    EXPECT_EQ(record, ArrayBytes(row));
    EXPECT_EQ(LineHorizontal, Object(row).objType);
    EXPECT_EQ(before.axisCoord, Object(row).axisCoord);
}

// The hook on the parent follows the feed: the start feed keeps its end and takes the codes of
// the new trunk (20, 21 horizontal; 22, 23 vertical), a centre feed hangs by 20/22 + other side.
TEST_F(ArrayStyles, HookCodeFollowsTrunkAndFeed)
{
    const int row = AddHorizontal();
    HangOnParent(row, 21);
    const struct {
        int command;
        int code;
    } steps[] = {
        {1630, 23},   // vertical, start feed: 21 -> 23
        {1612, 21},   // horizontal, both sides: 23 -> 21
        {1622, 22},   // horizontal, stagger + centre feed
        {1631, 22},   // vertical, start feed: 22 stays
        {1651, 20},   // horizontal, start feed: 22 -> 20
        {1633, 22},   // vertical, both sides: 20 -> 22
        {1639, 21},   // vertical, centre feed + other side (k 39: style 9)
        {1619, 23},   // horizontal, centre feed + other side
        {1626, 21},   // horizontal chain: 23 -> 21
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.command);
        Choose(row, s.command);
        EXPECT_EQ(s.code, HookCode(row));
    }
}

// A lone member leaves the chain for a single branch in entry 0 (depends on the layout having
// strung it at entry 3).
TEST_F(ArrayStyles, OneMemberChainBecomesSingleBranch)
{
    const int row = AddHorizontal();
    const int member = AddMember(row, RECT{900, 1200, 1200, 1400}, 0, 307);
    const Record chain = ReadArray(row);
    ASSERT_EQ(1, chain.head.memberCount);
    ASSERT_EQ(4, chain.head.entryCount);
    Choose(row, 1618);   // "horiz": centre feed
    const Record r = ReadArray(row);
    EXPECT_EQ(8u, r.head.style);
    EXPECT_EQ(1, r.head.memberCount);
    ASSERT_EQ(1u, r.entries.size());
    EXPECT_EQ(Object(member).objId, r.entries[0].memberId);
    EXPECT_EQ(150, r.entries[0].extent);
    const HookEntry hook = Object(member).hooks[0];
    EXPECT_EQ(0, hook.attachX);
    EXPECT_EQ(305, hook.holderCode);   // the top faces a horizontal trunk above it
}

struct FlipCase {
    int command;   // the style before the flip
    int flags;
    int angle;
    DWORD style;
};

TEST_F(ArrayStyles, FlipTogglesSideOrLean)
{
    const FlipCase cases[] = {
        {1650, 0x8, 135, 0},    // horizontal 45-degree fishbone left to right leans the other way
        {1650, 0x10, 45, 1},    // top to bottom: branches to the other side
        {1662, 0x8, 45, 2},     // 135 becomes 45
        {1671, 0x10, 135, 1},   // vertical: top to bottom runs along the trunk
        {1671, 0x8, 45, 0},     // left to right crosses it
        {1630, 0x8, 0, 1},      // vertical at 0 degrees
        {1673, 0x18, 135, 2},   // both at once
    };
    for (const FlipCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.command << " flip " << c.flags);
        const int row = AddHorizontal();
        Choose(row, c.command);
        EXPECT_EQ(0, SendArray(row, OM_FLIP, c.flags));
        const Record r = ReadArray(row);
        EXPECT_EQ(c.angle, r.head.branchAngle);
        EXPECT_EQ(c.style, r.head.style);
    }
}

TEST_F(ArrayStyles, FlipThatChangesNothingAnswersZero)
{
    // A chain never flips, even with a branch angle; a 0-degree array has no lean to flip.
    const int chain = AddHorizontal();
    EditArray(chain, [](ArrayData& d) { d.branchAngle = 45; });
    const int straight = AddHorizontal();
    Choose(straight, 1618);
    const struct {
        int row;
        int flags;
    } cases[] = {{chain, 0x8}, {chain, 0x10}, {straight, 0x8}};
    for (const auto& c : cases) {
        const std::string record = ArrayBytes(c.row);
        EXPECT_EQ(0, SendArray(c.row, OM_FLIP, c.flags));
        EXPECT_EQ(record, ArrayBytes(c.row));
        EXPECT_EQ(c.row == chain ? 45 : 0, ReadArray(c.row).head.branchAngle);
    }
}

TEST_F(ArrayStyles, FlipAcrossTurnsACentreFeedHook)
{
    const int horizontal = AddHorizontal();
    HangOnParent(horizontal, 22);
    Choose(horizontal, 1618);   // centre feed, members below, hung by 22
    ASSERT_EQ(22, HookCode(horizontal));
    SendArray(horizontal, OM_FLIP, 0x10);
    EXPECT_EQ(23, HookCode(horizontal));
    EXPECT_EQ(9u, ReadArray(horizontal).head.style);
    SendArray(horizontal, OM_FLIP, 0x10);
    EXPECT_EQ(22, HookCode(horizontal));
    SendArray(horizontal, OM_FLIP, 0x8);   // along the trunk: nothing
    EXPECT_EQ(22, HookCode(horizontal));

    const int vertical = AddHorizontal();
    HangOnParent(vertical, 21);
    Choose(vertical, 1638);   // vertical, centre feed (k 38: style 8): hung by 20
    ASSERT_EQ(20, HookCode(vertical));
    SendArray(vertical, OM_FLIP, 0x8);
    EXPECT_EQ(21, HookCode(vertical));
    SendArray(vertical, OM_FLIP, 0x8);
    EXPECT_EQ(20, HookCode(vertical));

    // A start feed keeps its end.
    const int start = AddHorizontal();
    HangOnParent(start, 20);
    Choose(start, 1612);   // both sides
    SendArray(start, OM_FLIP, 0x10);
    EXPECT_EQ(20, HookCode(start));
    EXPECT_EQ(3u, ReadArray(start).head.style);
}

}  // namespace
