// Undo and redo by swapping the store, roll-back of failed edits, and ending text edits.
#include <gtest/gtest.h>

#include "model/resource_strings.h"
#include "model/undo.h"
#include "model/window_utils.h"
#include "support/model_fixture.h"
#include "store/block_store.h"

namespace {

std::string UndoItemText(const DocumentState* state)
{
    char text[262];
    LoadResString(kUndoStringBase + state->undoLabel + ((state->flags & DocRedoPending) ? 1 : 0), text);
    return text;
}

}  // namespace

TEST_F(ModelTest, UndoTwiceAlternatesTheMenuTextAndRestoresTheStoreExactly)
{
    Add(ClassShape);
    Add(ClassLine);
    state_->scrollX = 120;
    std::string before = RecordBytes(RecObjectList, 0);
    std::string drawingBefore = RecordBytes(RecDocument, RecDrawingId);

    ASSERT_EQ(0, SaveUndoState(view_, UndoMove));
    EXPECT_EQ("Un&do Move\tCtrl+Z", UndoItemText(State()));
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, BeginRecordChange(d->objectList));
        Locked<ObjectList> objects(d->objectList);
        OffsetRect(&(*objects)[1].frame, 600, 0);
    }
    state_->scrollX = 900;
    std::string after = RecordBytes(RecObjectList, 0);
    ASSERT_NE(before, after);

    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_EQ("Re&do Move\tCtrl+Z", UndoItemText(State()));
    EXPECT_EQ(before, RecordBytes(RecObjectList, 0));
    EXPECT_EQ(120, state_->scrollX);   // the view's state at the checkpoint comes back
    ASSERT_TRUE(state_->drawing);
    EXPECT_EQ(2, Count());

    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_EQ("Un&do Move\tCtrl+Z", UndoItemText(State()));
    EXPECT_EQ(after, RecordBytes(RecObjectList, 0));

    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_EQ(before, RecordBytes(RecObjectList, 0));
    (void)drawingBefore;
}

TEST_F(ModelTest, RollBackRestoresAndForgetsTheCheckpoint)
{
    Add(ClassShape);
    std::string before = RecordBytes(RecObjectList, 0);
    ASSERT_EQ(0, SaveUndoState(view_, UndoAddObject));
    Add(ClassShape);
    ASSERT_EQ(0, UndoLastChange(view_, FALSE));
    EXPECT_EQ(before, RecordBytes(RecObjectList, 0));
    EXPECT_EQ(1, Count());
    EXPECT_EQ(0, state_->undoLabel);
    EXPECT_FALSE(state_->flags & DocRedoPending);
    EXPECT_EQ(29, SwapStoreCheckpoint(slot_, TRUE));
    EXPECT_EQ("Un&do\tCtrl+Z", UndoItemText(State()));
}

TEST_F(ModelTest, NewCheckpointAfterAnUndoDiscardsTheRedo)
{
    Add(ClassShape);
    ASSERT_EQ(0, SaveUndoState(view_, UndoAddObject));
    Add(ClassShape);
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    ASSERT_EQ(1, Count());
    ASSERT_EQ(0, SaveUndoState(view_, UndoDelete));
    EXPECT_FALSE(state_->flags & DocRedoPending);
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_EQ(1, Count());   // nothing changed since the new checkpoint
}

TEST_F(ModelTest, UndoWithoutALabelSwapsNothing)
{
    Add(ClassShape);
    std::string before = RecordBytes(RecObjectList, 0);
    EXPECT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_EQ(before, RecordBytes(RecObjectList, 0));
    EXPECT_TRUE(state_->flags & DocRedraw);
}

TEST_F(ModelTest, EndTextEditingWithoutAnEditorChangesNothing)
{
    std::string before = RecordBytes(RecDocument, RecDrawingId);
    EXPECT_EQ(0, EndTextEditing(view_, 0));
    EXPECT_EQ(before, RecordBytes(RecDocument, RecDrawingId));
    EXPECT_EQ(0, EndTextEditing(nullptr, 0));   // no active document window
}
