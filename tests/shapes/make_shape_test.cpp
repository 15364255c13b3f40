// Make Shape and Shape to Line over the program's own line and shape classes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <string>
#include <vector>

#include "documents/document_state.h"
#include "frame/frame_services.h"
#include "lines/line_class.h"
#include "model/drawing.h"
#include "model/objects.h"
#include "model/undo.h"
#include "shapes/custom_outline.h"
#include "shapes/make_shape.h"
#include "shapes/shape_kinds.h"
#include "store/store_records.h"
#include "support/drawing_fixture.h"

namespace {

class MakeShape : public DrawingFixture {
protected:
    void SetUp() override
    {
        DrawingFixture::SetUp();
        frame_ = CreateWindowA("STATIC", "frame", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                               nullptr);
        g_frameWindow = frame_;
    }
    void TearDown() override
    {
        g_frameWindow = nullptr;
        DestroyWindow(frame_);
        DrawingFixture::TearDown();
    }
    // A line as a drag from (x1, y1) to (x2, y2) creates it.
    int AddLine(int x1, int y1, int x2, int y2)
    {
        const RECT rect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
        const int corner = (x1 <= x2 ? (y1 <= y2 ? 1 : 3) : (y1 <= y2 ? 2 : 4));
        return AddAt(ClassLine, rect, 0, corner, 0);
    }
    void Select(const std::vector<int>& rows)
    {
        for (int i = 0; i < Count(); ++i)
            Change(i, [&](DrawObject& o, Drawing& d) {
                const bool on = std::find(rows.begin(), rows.end(), i) != rows.end();
                o.state = on ? (o.state | StateSelected) : (o.state & ~static_cast<DWORD>(StateSelected));
                d.selectedCount = static_cast<INT32>(rows.size());
            });
    }
    int Join(BOOL test) { return JoinLinesIntoShape(LockDrawing().get(), test); }
    int Convert(BOOL test) { return ConvertShapeToLines(state_, LockDrawing().get(), test); }
    std::vector<int> SelectedRows()
    {
        std::vector<int> rows;
        for (int i = 0; i < Count(); ++i)
            if (Object(i).state & StateSelected) rows.push_back(i);
        return rows;
    }
    // Every record of the store, type, id and payload, but for the document records (type 100):
    // they hold the open document's memory handles, which reopening the store after an undo
    // renews.
    std::string Store()
    {
        std::string all;
        for (const auto& r : StoreRecords()) all += r.first + ":" + r.second + "|";
        return all;
    }
    std::vector<std::pair<std::string, std::string>> StoreRecords()
    {
        std::vector<std::pair<std::string, std::string>> all;
        int types = 0;
        EXPECT_EQ(0, CountRecordTypes(slot_, &types));
        for (int t = 0; t < types; ++t) {
            int type = 0, count = 0;
            GetRecordTypeAt(slot_, t, &type);
            if (type == RecDocument) continue;
            CountRecords(slot_, type, &count);
            for (int i = 0; i < count; ++i) {
                int id = 0;
                GetRecordIdAt(slot_, type, i, &id);
                all.emplace_back(std::to_string(type) + "/" + std::to_string(id), RecordBytes(type, id));
            }
        }
        return all;
    }
    int CountOf(int type)
    {
        int n = 0;
        CountRecords(slot_, type, &n);
        return n;
    }
    // A square of side 1000 from four level and upright lines, each starting `gap` units off
    // the previous one's end in x and in y; `reversed` draws the odd ones backwards.
    std::vector<int> Square(int gap, bool reversed)
    {
        const int g = gap;
        const POINT ends[4][2] = {{{1000, 1000}, {2000, 1000}},
                                  {{2000 + g, 1000 + g}, {2000 + g, 2000}},
                                  {{2000, 2000 + g}, {1000, 2000 + g}},
                                  {{1000 + g, 2000}, {1000 + g, 1000 + g}}};
        std::vector<int> rows;
        for (int i = 0; i < 4; ++i) {
            POINT a = ends[i][0], b = ends[i][1];
            if (reversed && i % 2) std::swap(a, b);
            rows.push_back(AddLine(a.x, a.y, b.x, b.y));
        }
        return rows;
    }

    HWND frame_ = nullptr;
};

TEST_F(MakeShape, SquareCornersJoinWithinTheTolerance)
{
    struct Case {
        int gap;
        bool reversed;
        std::vector<int> order;
        int result;
    };
    const Case cases[] = {
        {0, false, {0, 1, 2, 3}, 0},  {29, false, {0, 1, 2, 3}, 0}, {29, true, {0, 1, 2, 3}, 0},
        {29, true, {2, 0, 3, 1}, 0},  {30, false, {0, 1, 2, 3}, -1}, {30, true, {3, 1, 0, 2}, -1},
    };
    for (const Case& c : cases) {
        std::vector<int> all;
        for (int i = 0; i < Count(); ++i) all.push_back(i);
        Select(all);
        ASSERT_EQ(0, DeleteObjects(LockDrawing().get(), TRUE, -1));
        std::vector<int> rows = Square(c.gap, c.reversed);
        // The selection order is the row order: rebuild the rows in the case's order.
        std::vector<int> picked;
        for (int i : c.order) picked.push_back(rows[i]);
        Select(picked);
        const std::string before = Store();
        EXPECT_EQ(c.result, Join(TRUE)) << c.gap << " " << c.reversed;
        EXPECT_EQ(before, Store()) << "a test run changes nothing";
    }
}

TEST_F(MakeShape, JoinReplacesTheLinesByOneSelectedShapeAndUndoRestoresTheStore)
{
    Square(29, true);
    Select({0, 1, 2, 3});
    const std::string before = Store();
    state_->undoLabel = UndoNone;
    ASSERT_EQ(0, JoinLinesCommand(view_));
    EXPECT_EQ(std::vector<std::string>({"INFO_MAKESHAPEOK"}), prompts_->shown());
    ASSERT_EQ(1, Count());
    const DrawObject shape = Object(0);
    EXPECT_EQ(ClassShape, shape.objClass);
    EXPECT_EQ(ShapeCustom, shape.objType);
    EXPECT_TRUE(shape.state & StateSelected);
    EXPECT_EQ(0, LockDrawing()->currentRow);
    EXPECT_EQ(1, LockDrawing()->selectedCount);
    EXPECT_EQ(UndoJoinLines, state_->undoLabel);
    // The chain: five vertices, the corners aligned where the sides are square.
    const std::string chain = RecordBytes(kOutlineRecordType, shape.dataId);
    ASSERT_GE(chain.size(), 12u + 5 * sizeof(OutlineVertex));
    const auto* head = reinterpret_cast<const INT32*>(chain.data());
    EXPECT_EQ(5, head[0]);
    const auto* v = reinterpret_cast<const OutlineVertex*>(chain.data() + 12);
    // Level and upright sides pull each joint onto one corner.
    const POINT corners[5] = {{29, 0}, {1029, 0}, {1029, 1029}, {29, 1029}, {29, 0}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(corners[i].x, v[i].x) << i;
        EXPECT_EQ(corners[i].y, v[i].y) << i;
    }
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_EQ(before, Store());
}

TEST_F(MakeShape, OpenPathIsRefusedAndThereAndBackCloses)
{
    AddLine(1000, 1000, 2000, 1000);
    AddLine(2000, 1000, 2000, 2000);
    AddLine(2000, 2000, 1000, 2000);
    Select({0, 1, 2});
    const std::string before = Store();
    EXPECT_EQ(-1, Join(TRUE));
    EXPECT_EQ(0, JoinLinesCommand(view_));
    EXPECT_EQ(std::vector<std::string>({"INFO_MAKESHAPE"}), prompts_->shown());
    EXPECT_EQ(before, Store());

    Select({0});
    EXPECT_EQ(1, Join(TRUE));   // a lone line

    const int back = AddLine(2000, 1000, 1000, 1000);
    Select({0, back});
    EXPECT_EQ(0, Join(TRUE));
}

TEST_F(MakeShape, ChainTooSmallForAnObjectIsRefusedBeforeAnythingChanges)
{
    // A closed triangle within 20 x 20: AddObject would make nothing of its extent.
    // Lines are made at a size AddObject takes, then shrunk as a drag could leave them.
    const RECT small[3] = {{1000, 1000, 1020, 1000}, {1000, 1000, 1020, 1020}, {1000, 1000, 1000, 1020}};
    AddLine(1000, 1000, 1200, 1000);
    AddLine(1200, 1000, 1000, 1200);
    AddLine(1000, 1200, 1000, 1000);
    for (int i = 0; i < 3; ++i)
        Change(i, [&](DrawObject& o, Drawing& d) {
            o.frame = small[i];
            RecalcLineBounds(&d, &o);
        });
    const int other = AddAt(ClassShape, RECT{3000, 3000, 3600, 3600}, 1);
    (void)other;
    Select({0, 1, 2});
    const std::string before = Store();
    EXPECT_EQ(1, Join(TRUE));
    EXPECT_EQ(1, Join(FALSE));
    EXPECT_EQ(before, Store());
    EXPECT_EQ(0, CountOf(kOutlineRecordType));
    EXPECT_EQ(4, Count());
    EXPECT_EQ(0, JoinLinesCommand(view_));
    EXPECT_EQ(std::vector<std::string>({"INFO_MAKESHAPE"}), prompts_->shown());
}

TEST_F(MakeShape, ShapeToLineMakesOneSelectedLinePerPieceAndUndoRestoresTheStore)
{
    AddAt(ClassShape, RECT{1000, 1000, 2200, 1900}, 1);   // a rectangle: 5 vertices, 4 pieces
    Select({0});
    const std::string before = Store();
    ASSERT_EQ(0, EditShapeOutlineCommand(view_));
    EXPECT_EQ(std::vector<std::string>({"INFO_SHAPETOLINE_OK"}), prompts_->shown());
    ASSERT_EQ(4, Count());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ClassLine, Object(i).objClass) << i;
    EXPECT_EQ(std::vector<int>({0, 1, 2, 3}), SelectedRows());
    EXPECT_EQ(0, LockDrawing()->currentRow);
    EXPECT_EQ(4, LockDrawing()->selectedCount);
    EXPECT_EQ(UndoEditShape, state_->undoLabel);

    // And back: the four lines join into one shape again.
    EXPECT_EQ(0, Join(TRUE));
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_EQ(before, Store());
}

TEST_F(MakeShape, ShapeToLineChecksTheSelection)
{
    AddAt(ClassShape, RECT{1000, 1000, 2200, 1900}, 1);
    AddAt(ClassShape, RECT{3000, 1000, 4200, 1900}, 1);
    Select({0, 1});
    EXPECT_EQ(0, EditShapeOutlineCommand(view_));
    EXPECT_EQ(std::vector<std::string>({"INFO_SHAPETOLINE_MANY"}), prompts_->shown());
    prompts_->Clear();

    // A picture: the wrong-shape hint once.
    Change(0, [](DrawObject& o, Drawing&) {
        o.state |= StatePicture;
        o.dataType = 112;
        o.dataCount = 1;
    });
    Select({0});
    EXPECT_EQ(0, EditShapeOutlineCommand(view_));
    EXPECT_EQ(std::vector<std::string>({"INFO_SHAPETOLINE_WRONG"}), prompts_->shown());
    prompts_->Clear();

    // A line is no shape.
    AddLine(1000, 3000, 2000, 3000);
    Select({2});
    EXPECT_EQ(1, Convert(TRUE));
    EXPECT_EQ(0, EditShapeOutlineCommand(view_));
    EXPECT_EQ(std::vector<std::string>({"INFO_SHAPETOLINE_WRONG"}), prompts_->shown());
}

TEST_F(MakeShape, ShapeTooSmallForAnyLineStays)
{
    // Every piece of a 20 x 20 square is under 24 x 24: no line could be made of it.
    AddAt(ClassShape, RECT{3000, 3000, 3600, 3600}, 1);
    const int small = AddAt(ClassShape, RECT{1000, 1000, 1600, 1600}, 1);
    Change(small, [](DrawObject& o, Drawing&) { o.frame = RECT{1000, 1000, 1020, 1020}; });
    Select({small});
    const std::string before = Store();
    EXPECT_EQ(1, Convert(TRUE));
    EXPECT_EQ(1, Convert(FALSE));
    EXPECT_EQ(before, Store());
    EXPECT_EQ(0, EditShapeOutlineCommand(view_));
    EXPECT_EQ(std::vector<std::string>({"INFO_SHAPETOLINE_WRONG"}), prompts_->shown());
    EXPECT_EQ(2, Count());
}

TEST_F(MakeShape, ShapeToLineSkipsPiecesTooSmallForALine)
{
    // A thin custom shape 1000 x 20: its two short sides can become no object.
    AddLine(1000, 1000, 2000, 1000);
    AddLine(2000, 1000, 2000, 1200);
    AddLine(2000, 1020, 1000, 1020);
    AddLine(1000, 1200, 1000, 1000);
    Change(1, [](DrawObject& o, Drawing& d) {
        o.frame = RECT{1994, 1000, 2006, 1020};
        RecalcLineBounds(&d, &o);
    });
    Change(3, [](DrawObject& o, Drawing& d) {
        o.frame = RECT{994, 1000, 1006, 1020};
        RecalcLineBounds(&d, &o);
    });
    Select({0, 1, 2, 3});
    ASSERT_EQ(0, Join(FALSE));
    ASSERT_EQ(1, Count());
    AddAt(ClassShape, RECT{3000, 3000, 3600, 3600}, 1);   // a bystander after the shape
    Select({0});
    prompts_->Clear();
    ASSERT_EQ(0, EditShapeOutlineCommand(view_));
    ASSERT_EQ(3, Count());   // the bystander and the two long sides
    EXPECT_EQ(ClassShape, Object(0).objClass);
    EXPECT_EQ(std::vector<int>({1, 2}), SelectedRows());
    EXPECT_EQ(1, LockDrawing()->currentRow);
    EXPECT_EQ(2, LockDrawing()->selectedCount);
    EXPECT_EQ(RECT({1000, 994, 2000, 1006}), Object(1).frame);   // the top side, as a level line
}

TEST(MakeShapeJoint, PointsMeetBelowThirtyAndSquareSidesAlign)
{
    EXPECT_TRUE(PointsMeet({0, 0}, {29, -29}));
    EXPECT_FALSE(PointsMeet({0, 0}, {30, 0}));
    EXPECT_FALSE(PointsMeet({0, 0}, {0, -30}));
    // Chain horizontal into L, piece vertical from P: L takes P's x, P takes L's y.
    POINT last{1971, 1000}, joining{2000, 1029};
    AlignJoint(&last, POINT{1000, 1000}, &joining, POINT{2000, 2000});
    EXPECT_EQ(2000, last.x);
    EXPECT_EQ(1000, joining.y);
    EXPECT_EQ(1000, last.y);
    // Slanted on both sides: the gap stays.
    POINT l2{100, 100}, p2{110, 105};
    AlignJoint(&l2, POINT{0, 0}, &p2, POINT{200, 300});
    EXPECT_EQ(100, l2.x);
    EXPECT_EQ(110, p2.x);
}

}  // namespace
