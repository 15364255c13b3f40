// Creating and opening drawings: the new drawing's records and a stored drawing read as outside
// data.
#include <gtest/gtest.h>

#include <cstring>

#include "model/objects.h"
#include "support/model_fixture.h"
#include "store/block_store.h"

TEST_F(ModelTest, NewDrawingHasEmptyTwentyByteTablesAndNoCurrentObject)
{
    for (int type : {RecObjectList, RecZOrderList, RecLinkIndex, RecGroupTable}) {
        HGLOBAL block = nullptr;
        ASSERT_EQ(0, LoadRecord(slot_, type, 0, &block)) << type;
        EXPECT_EQ(20, GetBlockSize(block)) << type;
        Locked<ObjectList> table(block);
        EXPECT_EQ(0, table->count) << type;
    }
    Locked<Drawing> d = LockDrawing();
    EXPECT_EQ(-1, d->currentRow);
    EXPECT_EQ(0, d->lastId);
    EXPECT_EQ(0, d->selectedCount);
    EXPECT_EQ(view_, d->viewWindow);
    EXPECT_EQ(slot_, d->storeSlot);
    EXPECT_EQ(DWORD(DrawMidPoints | DrawSnap | DrawLinesLink), d->drawingFlags);  // shapes may not link
    EXPECT_EQ(-1, d->toolSlot);
    EXPECT_EQ(1, d->defaultFillPattern);
    EXPECT_EQ(1, d->defaultArrowSize);
    EXPECT_EQ(1, d->reserved236);
    EXPECT_EQ(12, d->defaults.defaultBorderWidth);
    EXPECT_DOUBLE_EQ(100.0, d->rulerSettings.scaleBase);
    EXPECT_EQ(30000, d->pageWidth);
}

TEST_F(ModelTest, FirstObjectGetsIdOne)
{
    int row = Add(ClassShape);
    EXPECT_EQ(1, Object(row).objId);
}

class OpenDrawingTest : public ModelTest {
protected:
    // Closes the drawing, lets `damage` change the stored tables, and opens it again.
    template <typename Damage>
    int Reopen(Damage damage)
    {
        CloseDrawing(state_->drawing);
        state_->drawing = nullptr;
        {
            HGLOBAL objects = nullptr, zOrder = nullptr, links = nullptr;
            LoadRecord(slot_, RecObjectList, 0, &objects);
            LoadRecord(slot_, RecZOrderList, 0, &zOrder);
            LoadRecord(slot_, RecLinkIndex, 0, &links);
            Locked<ObjectList> o(objects);
            Locked<ZOrderList> z(zOrder);
            Locked<LinkIndex> l(links);
            damage(*o, *z, *l);
        }
        HGLOBAL drawing = nullptr;
        int err = OpenDrawing(view_, slot_, 0, 0, &drawing);
        state_->drawing = drawing;
        return err;
    }
};

TEST_F(OpenDrawingTest, OpenClearsTransientStatesAndRecountsTheSelection)
{
    Add(ClassShape);
    Add(ClassShape);
    Add(ClassShape);
    {
        Locked<Drawing> d = LockDrawing();
        d->selectedCount = 7;
        d->currentRow = 1;
    }
    ASSERT_EQ(0, Reopen([](ObjectList& o, ZOrderList&, LinkIndex&) {
        o[0].state = StateSelected | StateTextEditing;
        o[1].state = StateInMoveSet;
        o[2].state = StateSelected | StateLocked;
    }));
    EXPECT_EQ(DWORD(StateSelected), Object(0).state);
    EXPECT_EQ(0u, Object(1).state);
    EXPECT_EQ(DWORD(StateSelected | StateLocked), Object(2).state);
    Locked<Drawing> d = LockDrawing();
    EXPECT_EQ(2, d->selectedCount);
    EXPECT_EQ(1, d->currentRow);
    EXPECT_EQ(1, d->openedWithObjects);
}

TEST_F(OpenDrawingTest, ObjectListLongerThanItsCountIsReadByTheCount)
{
    Add(ClassShape);
    Add(ClassShape);   // the list record keeps room for one more entry than it holds
    ASSERT_EQ(0, Reopen([](ObjectList&, ZOrderList&, LinkIndex&) {}));
    EXPECT_EQ(2, Count());
}

TEST_F(OpenDrawingTest, DamagedCountsAreRefusedAndLeaveNoDrawing)
{
    struct Case {
        const char* what;
        void (*damage)(ObjectList&, ZOrderList&, LinkIndex&);
    };
    const Case cases[] = {
        {"object count past the record", [](ObjectList& o, ZOrderList& z, LinkIndex&) { o.count = 4; z.count = 4; }},
        {"negative object count", [](ObjectList& o, ZOrderList&, LinkIndex&) { o.count = -1; }},
        {"z-order count differs", [](ObjectList&, ZOrderList& z, LinkIndex&) { z.count = 1; }},
        {"z-order row out of range", [](ObjectList&, ZOrderList& z, LinkIndex&) { z[0] = 9; }},
        {"z-order row twice", [](ObjectList&, ZOrderList& z, LinkIndex&) { z[0] = 1; }},
        {"hook count above 2", [](ObjectList& o, ZOrderList&, LinkIndex&) { o[0].hookCount = 3; }},
        {"link count past the record", [](ObjectList&, ZOrderList&, LinkIndex& l) { l.count = 1; }},
    };
    Add(ClassShape);
    Add(ClassShape);
    for (const Case& c : cases) {
        std::string objects = RecordBytes(RecObjectList, 0), zOrder = RecordBytes(RecZOrderList, 0),
                    links = RecordBytes(RecLinkIndex, 0);
        EXPECT_EQ(kDamagedDrawing, Reopen(c.damage)) << c.what;
        EXPECT_EQ(nullptr, state_->drawing) << c.what;
        // Restore the good tables for the next case.
        HGLOBAL block = nullptr;
        for (auto [type, bytes] : {std::pair{RecObjectList, &objects}, {RecZOrderList, &zOrder}, {RecLinkIndex, &links}}) {
            LoadRecord(slot_, type, 0, &block);
            Locked<BYTE> b(block);
            std::memcpy(b.get() + 16, bytes->data(), bytes->size());
        }
        HGLOBAL drawing = nullptr;
        ASSERT_EQ(0, OpenDrawing(view_, slot_, 0, 0, &drawing));
        state_->drawing = drawing;
    }
}

TEST_F(ModelTest, ObjectOfUnknownClassHasNoHandlerAndAnswersZero)
{
    int row = Add(ClassShape);
    g_recorder.answer = [](int, DrawObject*) { return 77; };
    Locked<Drawing> d = LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    EXPECT_EQ(77, SendClassMessage(nullptr, d.get(), objects.get(), row, OM_GETCAPS));
    for (int bad : {-1, 4, 0x7FFFFFFF}) {
        (*objects)[row].objClass = bad;
        g_recorder.Clear();
        EXPECT_EQ(0, SendClassMessage(nullptr, d.get(), objects.get(), row, OM_GETCAPS)) << bad;
        EXPECT_TRUE(g_recorder.log.empty()) << bad;
    }
    EXPECT_EQ(0, SendClassMessage(nullptr, d.get(), objects.get(), 5, OM_GETCAPS));   // no such row
}
