// The line-array class: a new array's record and defaults, grouped arrays refusing style and
// arrowhead changes, resizing into branch length and gap, width, arrowheads, member sides,
// damaged records read soundly, and Undo bringing the record back byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lines/arrowheads.h"
#include "model/undo.h"
#include "support/canvas.h"
#include "array_fixture.h"

namespace {

class ArrayRecordTest : public ArrayClass {
protected:
    std::string RecordOf(int row)
    {
        const DrawObject o = Object(row);
        return RecordBytes(o.dataType, o.dataId);
    }
    void Group(int row)
    {
        Change(row, [](DrawObject& o, Drawing&) { o.groupRow = 0; });
    }
};

TEST_F(ArrayRecordTest, ANewArrayTakesItsDefaults)
{
    {
        Locked<Drawing> d = LockDrawing();
        d->defaults.defaultLineWidth = 3;
        d->style.lineColor = RGB(1, 2, 3);
    }
    const int row = AddArray(RECT{1000, 1000, 1900, 1300}, 4);
    const DrawObject o = Object(row);
    EXPECT_EQ(LineHorizontal, o.objType);
    EXPECT_EQ(1300, o.axisCoord);   // the drag ended at the bottom
    EXPECT_EQ(kArrayRecordType, o.dataType);
    EXPECT_EQ(1, o.dataCount);
    EXPECT_EQ(1, o.hookCapacity);
    EXPECT_EQ(3u, o.hookMask);
    EXPECT_EQ(3u, o.acceptMask);
    EXPECT_EQ(0x10, o.classFlags);
    EXPECT_EQ(3, o.lineWidth);
    EXPECT_EQ(1, o.lineStyle);
    EXPECT_EQ(RGB(1, 2, 3), o.lineColor);
    const Record r = ReadArray(row);
    EXPECT_EQ(static_cast<LONG>(ArrayRecordSize(0)), r.size);
    EXPECT_EQ(124, r.size);
    EXPECT_EQ(static_cast<DWORD>(ArrayChain), r.head.style);
    EXPECT_EQ(0, r.head.branchAngle);
    EXPECT_EQ(150, r.head.branchLength);
    EXPECT_EQ(200, r.head.gap);
    EXPECT_EQ(0, r.head.memberCount);
    ASSERT_GE(r.entries.size(), 1u);
    EXPECT_EQ(900, r.entries[0].extent);
    // Feed and tail take half the trunk each, beyond the entries in use.
    {
        HGLOBAL block = nullptr;
        ASSERT_EQ(0, LoadArrayData(slot_, &o, &block));
        Locked<ArrayData> data(block);
        EXPECT_EQ(450, (*data)[1].extent);
        EXPECT_EQ(450, (*data)[2].extent);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(kNoMember, (*data)[i].memberId) << i;
        data.Unlock();
        ReleaseBlock(block);
    }
    // Taller than wide: vertical, its trunk on the left unless the drag ended on the right.
    const DrawObject v = Object(AddArray(RECT{1000, 1000, 1300, 1900}, 1));
    EXPECT_EQ(LineVertical, v.objType);
    EXPECT_EQ(1000, v.axisCoord);
    EXPECT_EQ(1300, Object(AddArray(RECT{1000, 1000, 1300, 1900}, 2)).axisCoord);
}

TEST_F(ArrayRecordTest, AGroupedArrayRefusesStylesAndArrowheads)
{
    const int row = AddArray(RECT{1000, 1000, 1900, 1300});
    Group(row);
    EXPECT_EQ(2625, SendArray(row, OM_GETCAPS));
    const std::string objects = ObjectBytes(), record = RecordOf(row);
    INT32 ends[2] = {0, 3};
    INT32 heads[3] = {0x104, 2, 5};
    INT32 style[2] = {0, 1683 - 1601};
    EXPECT_EQ(0, SendArray(row, OM_SETARROWENDS, 0, 0, ends));
    EXPECT_EQ(0, SendArray(row, OM_SETARROWHEADS, 0, 0, heads));
    EXPECT_EQ(0, SendArray(row, OM_SETARRAYSTYLE, 0, 0, style));
    EXPECT_TRUE(objects == ObjectBytes());
    EXPECT_TRUE(record == RecordOf(row));
    Change(row, [](DrawObject& o, Drawing&) { o.groupRow = -1; });
    EXPECT_EQ(19025, SendArray(row, OM_GETCAPS));
    RotationRefused = FALSE;
    EXPECT_EQ(0, SendArray(row, OM_SETANGLE, 450));
    EXPECT_TRUE(RotationRefused);
    RotationRefused = FALSE;
    EXPECT_EQ(0xD2, SendTypeQuery(ClassArray, OM_GETCLASSFLAGS, 0));
}

TEST_F(ArrayRecordTest, ResizingGoesIntoBranchLengthAndGap)
{
    const int row = AddArray(RECT{1000, 1000, 1300, 2200}, 1);
    ASSERT_EQ(LineVertical, Object(row).objType);
    for (int i = 0; i < 3; ++i) AddMember(row, RECT{1400, 1000 + 400 * i, 1700, 1300 + 400 * i}, i, 307);
    const Record before = ReadArray(row);
    ASSERT_EQ(3, before.head.memberCount);
    RECT wider = Object(row).frame;
    wider.right += 90;
    EXPECT_EQ(0, SendArray(row, OM_SETFRAME, 0, 0, &wider));
    EXPECT_EQ(before.head.branchLength + 90, ReadArray(row).head.branchLength);
    EXPECT_EQ(before.head.gap, ReadArray(row).head.gap);
    RECT taller = Object(row).frame;
    taller.bottom += 90;
    EXPECT_EQ(0, SendArray(row, OM_SETFRAME, 0, 0, &taller));
    EXPECT_EQ(before.head.gap + 45, ReadArray(row).head.gap);
}

TEST_F(ArrayRecordTest, WidthStyleAndArrowheads)
{
    const int row = AddArray(RECT{1000, 1000, 1900, 1300});
    INT32 width[2] = {0, 0};
    SendArray(row, OM_SETLINEWIDTH, 0, 0, width);
    EXPECT_EQ(1, Object(row).lineWidth);
    {
        Locked<Drawing> d = LockDrawing();
        EXPECT_EQ(1, d->defaults.defaultLineWidth);
    }
    INT32 heads[3] = {0x105, 2, 3};
    SendArray(row, OM_SETARROWHEADS, 0, 0, heads);
    EXPECT_EQ(0x105, Object(row).arrowStart);
    EXPECT_EQ(3, Object(row).arrowEnd);
    EXPECT_EQ(3, Object(row).arrowEnds);
    EXPECT_EQ(2, Object(row).arrowSize);
    // 255 keeps a byte; a size of -1 keeps the size.
    INT32 keep[3] = {0xFFFF, -1, 0x1FF};
    SendArray(row, OM_SETARROWHEADS, 0, 0, keep);
    EXPECT_EQ(0x105, Object(row).arrowStart);
    EXPECT_EQ(0x103, Object(row).arrowEnd);
    EXPECT_EQ(2, Object(row).arrowSize);
    INT32 ends[2] = {0, kArrowEnd2};
    SendArray(row, OM_SETARROWENDS, 0, 0, ends);
    EXPECT_EQ(0, Object(row).arrowStart);
    EXPECT_EQ(1, Object(row).arrowEnd);
    EXPECT_EQ(kArrowEnd2, Object(row).arrowEnds);
}

TEST_F(ArrayRecordTest, MemberSidesAndSpacing)
{
    const int row = AddArray(RECT{1000, 1000, 1900, 1300});
    INT32 count = 2;
    EXPECT_EQ(0, SendArray(row, OM_MEMBERSIDE, 0, 1, &count));
    EXPECT_EQ(2, count);
    count = 5;
    EXPECT_EQ(307, SendArray(row, OM_MEMBERSIDE, 0, 1, &count));   // chain, horizontal trunk
    EXPECT_EQ(1, count);
    INT32 spacing = -1;
    EXPECT_EQ(0, SendArray(row, OM_SPACING, 0, 0, &spacing));
    EXPECT_EQ(900, spacing);   // a bare trunk: entry 0's extent
}

TEST_F(ArrayRecordTest, ADamagedRecordIsReadWithinItsSize)
{
    const int row = AddArray(RECT{1000, 1000, 1900, 1300});
    const DrawObject o = Object(row);
    {
        HGLOBAL block = nullptr;
        ASSERT_EQ(0, LoadRecord(slot_, o.dataType, o.dataId, &block));
        Locked<ArrayData> data(block);
        data->memberCount = 1000;
        data->entryCount = 5000;
        data->branchLength = -40;
        data->gap = -7;
        data.Unlock();
        MarkBlockDirty(block);
        ReleaseBlock(block);
    }
    const Record r = ReadArray(row);
    EXPECT_EQ(0, r.head.memberCount);
    EXPECT_LE(r.head.entryCount, 3);
    EXPECT_EQ(0, r.head.branchLength);
    EXPECT_EQ(0, r.head.gap);
    // Every message that walks the entries stays within the record.
    Canvas canvas(400, 300);
    canvas.Clear();
    Locked<Drawing> d = LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    for (int message : {OM_DRAW, OM_DRAWHANDLES, OM_RECALC}) {
        SED_ArrayHandler(canvas.dc(), d.get(), objects.get(), row, message, 0, 0, nullptr);
    }
    POINT points[8] = {};
    INT32 n = 0;
    SED_ArrayHandler(nullptr, d.get(), objects.get(), row, OM_GETHOOKPOINTS, 0,
                     static_cast<int>(reinterpret_cast<INT_PTR>(&n)), points);
    EXPECT_LE(n, 8);
}

TEST_F(ArrayRecordTest, UndoBringsTheRecordBackByteForByte)
{
    const int row = AddArray(RECT{1000, 1000, 1900, 1300});
    AddMember(row, RECT{1000, 1500, 1300, 1800}, 0);
    const std::string record = RecordOf(row);
    ASSERT_EQ(0, SaveUndoState(view_, 2));
    RECT wider = Object(row).frame;
    wider.bottom += 120;
    SendArray(row, OM_SETFRAME, 0, 0, &wider);
    EXPECT_FALSE(record == RecordOf(row));
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_TRUE(record == RecordOf(row));
}

}  // namespace
