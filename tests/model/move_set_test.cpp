// Move sets: what moves together with an object or the selection (its group, the holders
// hanging on it, what a two-ended holder or a label hangs on), and the linked-object walks.
#include <gtest/gtest.h>

#include <vector>

#include "model/links.h"
#include "model/move_set.h"
#include "support/model_fixture.h"

namespace {

// Rows of the drawing every case starts from.
enum : int {
    A,       // grouped with G (group 7)
    B,       // hangs on A by one hook; grouped with X (group 8)
    L,       // a line hooked at both ends: on A and on D
    D,
    Label,   // an attached label hung on D
    G,
    S,
    X,
};

class MoveSets : public ModelTest {
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        for (int row = A; row <= X; ++row) Add(row == L ? ClassLine : ClassShape, 600 + 700 * row, 600 + 100 * row);
        Hook(B, A);
        Hook(L, A);
        Hook(L, D);
        Hook(Label, D);
        {
            Locked<Drawing> d = LockDrawing();
            Locked<ObjectList> objects(d->objectList);
            (*objects)[Label].state |= StateAttachedLabel;
            (*objects)[Label].labelId = (*objects)[D].objId;
        }
        MakeGroup(7, {A, G});
        MakeGroup(8, {B, X});
    }
    void Hook(int holder, int target)
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), holder, -1, target, 1, 300, 0));
    }
    void Select(const std::vector<int>& rows)
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        for (int row : rows) (*objects)[row].state |= StateSelected;
        d->selectedCount = static_cast<INT32>(rows.size());
    }
    // The listed rows, checking each one's move-set mark against `marked`, then frees the set.
    std::vector<int> Take(ObjectVector** set, bool marked)
    {
        std::vector<int> rows;
        if (!*set) return rows;
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        for (int i = 0; i < (*set)->count; ++i) {
            const int row = (*set)->rows[i];
            rows.push_back(row);
            EXPECT_EQ(marked, ((*objects)[row].state & StateInMoveSet) != 0) << "row " << row;
        }
        FreeObjectVector(set, objects.get());
        for (int row = 0; row < objects->count; ++row) EXPECT_EQ(0u, (*objects)[row].state & StateInMoveSet) << row;
        return rows;
    }
    RECT Union(const std::vector<int>& rows)
    {
        RECT all = {0, 0, 0, 0};
        for (size_t i = 0; i < rows.size(); ++i) {
            const RECT f = Object(rows[i]).frame;
            if (i == 0) all = f;
            else UnionRect(&all, &all, &f);
        }
        return all;
    }
};

TEST_F(MoveSets, LinkedObjectWalksByMode)
{
    struct Case {
        int row;
        int mode;
        std::vector<int> expected;
        std::vector<int> withBounds;   // the rows whose frames the bounds unite
    };
    const Case cases[] = {
        // The object and every holder on it; a two-ended holder brings its other end, unmarked
        // and without bounds.
        {A, 1, {A, B, L, D}, {A, B, L}},
        // Only holders hanging by one hook follow a move.
        {A, 2, {A, B}, {A, B}},
        // A two-ended holder also takes what it hangs on, and what hangs on those.
        {L, 2, {L, A, B, D, Label}, {L, A, B, D, Label}},
        // So does a label hung by one hook.
        {Label, 2, {Label, D}, {Label, D}},
        {A, 4, {A}, {A}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << " mode " << c.mode);
        ObjectVector* set = nullptr;
        RECT bounds = {-1, -1, -1, -1};
        {
            Locked<Drawing> d = LockDrawing();
            ASSERT_EQ(0, CollectLinkedObjects(d.get(), c.row, &set, c.mode, &bounds));
        }
        EXPECT_EQ(c.expected, Take(&set, c.mode == 2 || c.mode == 3));
        EXPECT_EQ(Union(c.withBounds), bounds);
    }
}

TEST_F(MoveSets, SetsTakeTheGroupsTheSelectionAndWhatHangsOnThem)
{
    struct Case {
        const char* name;
        std::vector<int> selected;
        int row;
        BOOL withSelection, withHooked, bare;
        std::vector<int> expected;
    };
    const Case cases[] = {
        // A's group mate joins, and B's group comes along with B.
        {"grouped", {}, A, FALSE, TRUE, FALSE, {A, B, G, X}},
        {"grouped bare", {}, A, FALSE, TRUE, TRUE, {A, B, G}},
        {"label follows", {}, D, FALSE, TRUE, FALSE, {D, Label}},
        {"label takes its object", {}, Label, FALSE, TRUE, FALSE, {Label, D}},
        {"hooked not wanted", {}, Label, FALSE, FALSE, FALSE, {}},
        {"selection", {A, S}, -1, TRUE, TRUE, FALSE, {A, B, S, G, X}},
        {"selection bare", {A, S}, -1, TRUE, TRUE, TRUE, {}},
        {"one selected is no selection", {S}, -1, TRUE, TRUE, FALSE, {}},
        {"object and selection", {S, D}, D, TRUE, TRUE, FALSE, {D, Label, S}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        Select(c.selected);
        ObjectVector* set = nullptr;
        RECT bounds = {-1, -1, -1, -1};
        {
            Locked<Drawing> d = LockDrawing();
            ASSERT_EQ(0, CollectMoveSet(d.get(), c.row, c.withSelection, c.withHooked, c.bare, &set, &bounds));
        }
        EXPECT_EQ(Union(c.expected), bounds);
        EXPECT_EQ(c.expected, Take(&set, true));
    }
}

}  // namespace
