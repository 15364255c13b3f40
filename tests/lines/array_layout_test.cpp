// Line-array layout: branches, trunk and stubs in every style, the fishbone lean, the links that
// make members follow, and the member list kept in step with the members' hooks.
#include <gtest/gtest.h>

#include <vector>

#include "lines/array_fixture.h"
#include "lines/array_layout.h"

namespace {

// A segment in layout coordinates: a along the trunk, c across it (positive below a horizontal
// trunk, right of a vertical one).
struct Segment {
    LONG a1, c1, a2, c2;
};
bool operator==(const Segment& x, const Segment& y)
{
    return x.a1 == y.a1 && x.c1 == y.c1 && x.a2 == y.a2 && x.c2 == y.c2;
}
std::ostream& operator<<(std::ostream& out, const Segment& s)
{
    return out << "(" << s.a1 << ", " << s.c1 << ", " << s.a2 << ", " << s.c2 << ")";
}

constexpr RECT kHorizontal = {1000, 1000, 1900, 1300};   // corner 4: the trunk on y 1300
constexpr RECT kVertical = {1000, 1000, 1300, 1900};     // corner 4: the trunk on x 1300
constexpr LONG kSide = 300;                              // members are 300 x 300 squares

class ArrayLayout : public ArrayClass {
protected:
    int NewArray(bool vertical = false)
    {
        return vertical ? AddArray(kVertical, 4, LineVertical) : AddArray(kHorizontal);
    }
    // Changes the array's record in place, as a file or another command would have left it.
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
    void SetStyle(int row, DWORD style, int angle = 0)
    {
        EditArray(row, [&](ArrayData& d) {
            d.style = style;
            d.branchAngle = angle;
        });
    }
    int Layout(int row)
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        return LayoutArray(d.get(), objects.get(), row);
    }
    // Hooks `count` members on at positions 0, 1, ... (the link code sends message 79 each time).
    std::vector<int> AddMembers(int array, int count)
    {
        std::vector<int> rows;
        for (int i = 0; i < count; ++i) {
            const LONG x = 3000 + 400 * i;
            rows.push_back(AddMember(array, RECT{x, 3000, x + kSide, 3000 + kSide}, i));
        }
        return rows;
    }
    int Rehook(int holder, int array, int position)
    {
        Locked<Drawing> d = LockDrawing();
        return AttachHook(d.get(), holder, 0, array, 305, position, 0);
    }
    int Unhook(int holder)
    {
        Locked<Drawing> d = LockDrawing();
        return AttachHook(d.get(), holder, 0, -1, 0, 0, 0);
    }
    std::vector<Segment> Segments(int row)
    {
        const bool vertical = Object(row).objType == LineVertical;
        std::vector<Segment> out;
        for (const ArrayEntry& e : ReadArray(row).entries) {
            const RECT& r = e.segment;
            out.push_back(vertical ? Segment{r.top, r.left, r.bottom, r.right}
                                   : Segment{r.left, r.top, r.right, r.bottom});
        }
        return out;
    }
    // Member ids in entry order.
    std::vector<int> MemberIds(int row)
    {
        const Record r = ReadArray(row);
        std::vector<int> ids;
        for (int i = r.head.entryCount - r.head.memberCount; i < r.head.entryCount; ++i)
            ids.push_back(r.entries[i].memberId);
        return ids;
    }
    HookEntry HookOn(int member) { return Object(member).hooks[0]; }
    void ClearLinkFlags()
    {
        Locked<Drawing> d = LockDrawing();
        Locked<LinkIndex> index(d->linkIndex);
        for (int i = 0; i < index->count; ++i) (*index)[i].flags = 0;
    }
    DWORD LinkFlags(int targetRow, int holderRow)
    {
        const int target = Object(targetRow).objId, holder = Object(holderRow).objId;
        for (const LinkEntry& e : LinkEntries())
            if (e.targetId == target && e.holderId == holder) return e.flags;
        ADD_FAILURE() << "no link";
        return 0;
    }
};

TEST_F(ArrayLayout, NewArrayIsABareChainTrunk)
{
    const int row = NewArray();
    const DrawObject o = Object(row);
    EXPECT_EQ(LineHorizontal, o.objType);
    EXPECT_EQ(1300, o.axisCoord);
    EXPECT_EQ(0, o.state & kArrayLayoutPending);
    const Record r = ReadArray(row);
    EXPECT_EQ(124, r.size);
    EXPECT_EQ(DWORD(ArrayChain), r.head.style);
    EXPECT_EQ(0, r.head.branchAngle);
    EXPECT_EQ(150, r.head.branchLength);
    EXPECT_EQ(200, r.head.gap);
    EXPECT_EQ(1, r.head.entryCount);
    EXPECT_EQ(0, r.head.memberCount);
    // Trunk = feed + tail = 450 + 450; the stubs lie beyond the entry in use.
    EXPECT_EQ((RECT{0, 0, 900, 0}), r.entries[0].segment);
    EXPECT_EQ(900, r.entries[0].extent);
    EXPECT_EQ(kNoMember, r.entries[0].memberId);
    const std::string bytes = RecordBytes(kArrayRecordType, o.dataId);
    ASSERT_EQ(124u - 16u, bytes.size());
    ArrayEntry stubs[2];
    std::memcpy(stubs, bytes.data() + (kArrayHeadSize - 16) + kArrayEntrySize, sizeof(stubs));
    EXPECT_EQ((RECT{0, 0, 450, 0}), stubs[0].segment);
    EXPECT_EQ(450, stubs[0].extent);
    EXPECT_EQ((RECT{450, 0, 900, 0}), stubs[1].segment);
    EXPECT_EQ(450, stubs[1].extent);
    EXPECT_EQ((RECT{1000, 1300, 1900, 1300}), o.innerRect);
}

struct StyleCase {
    const char* name;
    bool vertical;
    DWORD style;
    int angle;
    int members;
    std::vector<Segment> segments;   // entries 0 (trunk), 1 (feed), 2 (tail), then the members
    std::vector<int> sideCodes;
};

// Members 300 wide, L 150, G 200, feed and tail 150: neighbouring branches 150 + 200 + 150 apart.
const StyleCase kStyleCases[] = {
    {"start feed", false, 0, 0, 3,
     {{150, 0, 1150, 0}, {0, 0, 150, 0}, {1150, 0, 1300, 0}, {150, 0, 150, 150}, {650, 0, 650, 150},
      {1150, 0, 1150, 150}},
     {305, 305, 305}},
    {"start feed, vertical", true, 0, 0, 3,
     {{150, 0, 1150, 0}, {0, 0, 150, 0}, {1150, 0, 1300, 0}, {150, 0, 150, 150}, {650, 0, 650, 150},
      {1150, 0, 1150, 150}},
     {307, 307, 307}},
    {"other side", false, ArrayOtherSide, 0, 3,
     {{150, 0, 1150, 0}, {0, 0, 150, 0}, {1150, 0, 1300, 0}, {150, -150, 150, 0}, {650, -150, 650, 0},
      {1150, -150, 1150, 0}},
     {306, 306, 306}},
    // The feed stub stands at the trunk's middle, away from the members.
    {"centre feed", false, ArrayCentreFeed, 0, 3,
     {{0, 0, 1000, 0}, {500, -150, 500, 0}, {500, 0, 500, 0}, {0, 0, 0, 150}, {500, 0, 500, 150},
      {1000, 0, 1000, 150}},
     {305, 305, 305}},
    {"centre feed, other side", false, ArrayCentreFeed | ArrayOtherSide, 0, 3,
     {{0, 0, 1000, 0}, {500, 0, 500, 150}, {500, 0, 500, 0}, {0, -150, 0, 0}, {500, -150, 500, 0},
      {1000, -150, 1000, 0}},
     {306, 306, 306}},
    // Pairs share a position on opposite sides.
    {"both sides", false, ArrayBothSides, 0, 4,
     {{150, 0, 650, 0}, {0, 0, 150, 0}, {650, 0, 800, 0}, {150, 0, 150, 150}, {150, -150, 150, 0},
      {650, 0, 650, 150}, {650, -150, 650, 0}},
     {305, 306, 305, 306}},
    // The second member hangs between the others, G / 2 before the third's position, on a
    // branch 2L + 300 (the deepest first-row member) long.
    {"stagger", false, ArrayStagger, 0, 3,
     {{150, 0, 650, 0}, {0, 0, 150, 0}, {650, 0, 800, 0}, {150, 0, 150, 150}, {400, 0, 400, 600},
      {650, 0, 650, 150}},
     {305, 305, 305}},
    // Feed and tail 450 from the new array; members strung on the trunk, G apart.
    {"chain", false, ArrayChain, 0, 3,
     {{450, 0, 1750, 0}, {0, 0, 450, 0}, {1750, 0, 2200, 0}, {450, 0, 450, 0}, {750, 0, 950, 0},
      {1250, 0, 1450, 0}},
     {307, 307, 307}},
    // Offset 150: the trunk stays, member ends (a1) 150 before their trunk ends.
    {"fishbone 45", false, 0, 45, 3,
     {{150, 0, 1150, 0}, {0, 0, 150, 0}, {1150, 0, 1300, 0}, {0, 0, 150, 150}, {500, 0, 650, 150},
      {1000, 0, 1150, 150}},
     {305, 305, 305}},
    // Offset -149: member ends (a2) 149 after their trunk ends.
    {"fishbone 135", false, 0, 135, 3,
     {{150, 0, 1150, 0}, {0, 0, 150, 0}, {1150, 0, 1300, 0}, {150, 0, 299, 150}, {650, 0, 799, 150},
      {1150, 0, 1299, 150}},
     {305, 305, 305}},
    // The trunk starts at 0, so the figure moves forward by the whole offset.
    {"fishbone 45, centre feed", false, ArrayCentreFeed, 45, 3,
     {{150, 0, 1150, 0}, {650, -150, 650, 0}, {650, 0, 650, 0}, {0, 0, 150, 150}, {500, 0, 650, 150},
      {1000, 0, 1150, 150}},
     {305, 305, 305}},
};

TEST_F(ArrayLayout, StylesPlaceBranchesTrunkAndStubs)
{
    for (const StyleCase& c : kStyleCases) {
        SCOPED_TRACE(c.name);
        const int array = NewArray(c.vertical);
        SetStyle(array, c.style, c.angle);
        const std::vector<int> members = AddMembers(array, c.members);
        const Record r = ReadArray(array);
        EXPECT_EQ(3 + c.members, r.head.entryCount);
        EXPECT_EQ(c.members, r.head.memberCount);
        EXPECT_EQ(static_cast<LONG>(ArrayRecordSize(c.members)), r.size);
        EXPECT_EQ(c.segments, Segments(array));
        for (int i = 0; i < c.members; ++i) {
            EXPECT_EQ(Object(members[i]).objId, r.entries[3 + i].memberId) << i;
            EXPECT_EQ(members[i], r.entries[3 + i].memberRow) << i;
            EXPECT_EQ(i, HookOn(members[i]).attachX) << i;
            EXPECT_EQ(c.sideCodes[i], HookOn(members[i]).holderCode) << i;
        }
    }
}

TEST_F(ArrayLayout, MembersFollowTheirBranchEndsThroughPropagation)
{
    const int array = NewArray();
    SetStyle(array, 0);
    const std::vector<int> members = AddMembers(array, 3);
    for (int member : members) EXPECT_EQ(DWORD(LinkChanged | LinkMoved), LinkFlags(array, member) & 0x30);
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, PropagateLinks(d.get()));
    }
    // Branch ends at (1000 + 150 / 650 / 1150, 1300 + 150); each member's top middle lies there.
    const LONG ends[] = {1150, 1650, 2150};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ((RECT{ends[i] - 150, 1450, ends[i] + 150, 1750}), Object(members[i]).frame) << i;
}

TEST_F(ArrayLayout, AMovedHookedEndRefitsTheArrayToItsParent)
{
    const int array = NewArray();
    SetStyle(array, ArrayCentreFeed);
    AddMembers(array, 2);
    const int parent = AddAt(ClassShape, RECT{1000, 400, 1600, 700}, ShapeRectangle);
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), array, -1, parent, 22, 300, 600));
    }
    const DrawObject hooked = Object(array);
    ASSERT_EQ(1, ArrayHookedEnd(&hooked));

    // A wider gap moves the feed stub from a = 250 to 350.
    ClearLinkFlags();
    EditArray(array, [](ArrayData& d) { d.gap = 400; });
    ASSERT_EQ(0, Layout(array));
    EXPECT_EQ(DWORD(LinkChanged | LinkMoved), LinkFlags(parent, array) & 0x30);
    EXPECT_EQ((Segment{350, -150, 350, 0}), Segments(array)[1]);

    ClearLinkFlags();
    ASSERT_EQ(0, Layout(array));
    EXPECT_EQ(0u, LinkFlags(parent, array));
}

TEST_F(ArrayLayout, PendingMarkChangesNothingElse)
{
    const int array = NewArray();
    SetStyle(array, 0);
    AddMembers(array, 2);
    const DrawObject before = Object(array);
    const std::string record = RecordBytes(kArrayRecordType, before.dataId);
    EXPECT_EQ(0, SendArray(array, OM_MEMBER, kNoMember, -1, reinterpret_cast<void*>(static_cast<INT_PTR>(-1))));
    DrawObject after = Object(array);
    EXPECT_EQ(kArrayLayoutPending, after.state & kArrayLayoutPending);
    after.state = before.state;
    EXPECT_EQ(0, std::memcmp(&before, &after, sizeof(DrawObject)));
    EXPECT_EQ(record, RecordBytes(kArrayRecordType, before.dataId));
    ASSERT_EQ(0, Layout(array));
    EXPECT_EQ(0u, Object(array).state & kArrayLayoutPending);
}

struct RemoveCase {
    const char* name;
    int leaving;        // of two members
    int survivor;
    LONG innerLeft;     // 1000 moved by the surviving branch's a (150 or 650)
};

TEST_F(ArrayLayout, FallingBelowTwoMembersLeavesASingleBranch)
{
    const RemoveCase cases[] = {
        {"second leaves", 1, 0, 1150},
        {"first leaves", 0, 1, 1650},
    };
    for (const RemoveCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int array = NewArray();
        SetStyle(array, 0);
        const std::vector<int> members = AddMembers(array, 2);
        ASSERT_EQ(0, Unhook(members[c.leaving]));
        const Record r = ReadArray(array);
        EXPECT_EQ(1, r.head.entryCount);
        EXPECT_EQ(1, r.head.memberCount);
        EXPECT_EQ(static_cast<LONG>(ArrayRecordSize(1)), r.size);
        EXPECT_EQ(Object(members[c.survivor]).objId, r.entries[0].memberId);
        EXPECT_EQ(150, r.entries[0].extent);
        EXPECT_EQ((RECT{0, 0, 0, 150}), r.entries[0].segment);
        EXPECT_EQ(0, HookOn(members[c.survivor]).attachX);
        EXPECT_EQ((RECT{c.innerLeft, 1300, c.innerLeft, 1450}), Object(array).innerRect);
    }
}

TEST_F(ArrayLayout, LastChainMemberLeavingLeavesNoMemberInEntryZero)
{
    const int array = NewArray();
    const std::vector<int> members = AddMembers(array, 1);
    ASSERT_EQ(4, ReadArray(array).head.entryCount);
    ASSERT_EQ(0, Unhook(members[0]));
    const Record r = ReadArray(array);
    EXPECT_EQ(1, r.head.entryCount);
    EXPECT_EQ(0, r.head.memberCount);
    EXPECT_EQ(124, r.size);
    EXPECT_EQ(kNoMember, r.entries[0].memberId);
    EXPECT_EQ((RECT{0, 0, 900, 0}), r.entries[0].segment);
}

TEST_F(ArrayLayout, MembersLeavingFromTheMiddleCloseUp)
{
    const int array = NewArray();
    SetStyle(array, ArrayBothSides);
    const std::vector<int> m = AddMembers(array, 3);
    ASSERT_EQ(0, Unhook(m[0]));
    const Record r = ReadArray(array);
    EXPECT_EQ(5, r.head.entryCount);
    EXPECT_EQ(static_cast<LONG>(ArrayRecordSize(2)), r.size);
    EXPECT_EQ((std::vector<int>{Object(m[1]).objId, Object(m[2]).objId}), MemberIds(array));
    // Indexes moved down one, and the sides with them.
    EXPECT_EQ(0, HookOn(m[1]).attachX);
    EXPECT_EQ(305, HookOn(m[1]).holderCode);
    EXPECT_EQ(1, HookOn(m[2]).attachX);
    EXPECT_EQ(306, HookOn(m[2]).holderCode);
}

struct PlaceCase {
    const char* name;
    int holder;          // of members 0-2, or 3 for a new one
    int position;
    std::vector<int> order;   // members in entry order afterwards
};

TEST_F(ArrayLayout, MembersGoWhereTheirPositionIndexSays)
{
    const PlaceCase cases[] = {
        {"add between", 3, 1, {0, 3, 1, 2}},
        // The record grew by one entry only: an index past the end appends.
        {"add past the end", 3, 50, {0, 1, 2, 3}},
        {"add before the start", 3, -5, {3, 0, 1, 2}},
        {"move first to the end", 0, 3, {1, 2, 0}},
        {"move last to the start", 2, 0, {2, 0, 1}},
        {"move past the end", 0, 50, {1, 2, 0}},
        {"move to its own place", 1, 1, {0, 1, 2}},
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int array = NewArray();
        SetStyle(array, ArrayBothSides);
        std::vector<int> m = AddMembers(array, 3);
        if (c.holder == 3)
            m.push_back(AddMember(array, RECT{5000, 3000, 5300, 3300}, c.position));
        else
            ASSERT_EQ(0, Rehook(m[c.holder], array, c.position));
        const int count = static_cast<int>(c.order.size());
        const Record r = ReadArray(array);
        EXPECT_EQ(count, r.head.memberCount);
        EXPECT_EQ(3 + count, r.head.entryCount);
        EXPECT_EQ(static_cast<LONG>(ArrayRecordSize(count)), r.size);
        std::vector<int> expected;
        for (int i : c.order) expected.push_back(Object(m[i]).objId);
        EXPECT_EQ(expected, MemberIds(array));
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(i, HookOn(m[c.order[i]]).attachX) << i;
            EXPECT_EQ(i % 2 ? 306 : 305, HookOn(m[c.order[i]]).holderCode) << i;
        }
    }
}

TEST_F(ArrayLayout, FirstMemberOfADamagedEmptyRecordGoesIntoEntryZero)
{
    // No members but three entries in use, as a file may say.
    const int array = NewArray();
    EditArray(array, [](ArrayData& d) {
        d.style = 0;
        d.entryCount = 3;
    });
    const std::vector<int> m = AddMembers(array, 1);
    const Record r = ReadArray(array);
    EXPECT_EQ(1, r.head.entryCount);
    EXPECT_EQ(1, r.head.memberCount);
    EXPECT_EQ(Object(m[0]).objId, r.entries[0].memberId);
    EXPECT_EQ((RECT{0, 0, 0, 150}), r.entries[0].segment);
}

TEST_F(ArrayLayout, OnlyShapesTakeASideCode)
{
    const int array = NewArray();
    SetStyle(array, 0);
    const int line = AddLine(3000, 3000, 3600, 3000);
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), line, -1, array, 1, 0, 0));
    }
    EXPECT_EQ(1, HookOn(line).holderCode);
    EXPECT_EQ(Object(line).objId, ReadArray(array).entries[0].memberId);
}

TEST(ArrayFishbone, OffsetIsTheTruncatedCotangentLimitedToTheCoordinateRange)
{
    struct Case {
        int angle, length, entries, offset;
    };
    const Case cases[] = {
        {45, 150, 6, 150},   {135, 150, 6, -149},  {45, 1, 6, 1},         {135, 1, 6, 0},
        {0, 150, 6, 0},      {45, 150, 1, 0},      {90, 150, 6, 0},       {180, 150, 6, -32767},
        {45, 100000, 6, 32767}, {135, 100000, 6, -32767},
    };
    for (const Case& c : cases) {
        ArrayData data = {};
        data.branchAngle = c.angle;
        data.branchLength = c.length;
        data.entryCount = c.entries;
        EXPECT_EQ(c.offset, FishboneOffset(&data)) << c.angle << " " << c.length << " " << c.entries;
    }
}

TEST(ArrayHooks, HookedEndComesFromTheArraysOwnHookCode)
{
    const struct {
        int hooks, code, end;
    } cases[] = {{0, 20, 0}, {1, 20, 1}, {1, 22, 1}, {1, 21, 2}, {1, 23, 2}};
    for (const auto& c : cases) {
        DrawObject array = {};
        array.hookCount = c.hooks;
        array.hooks[0].holderCode = c.code;
        EXPECT_EQ(c.end, ArrayHookedEnd(&array)) << c.hooks << " " << c.code;
    }
}

}  // namespace
