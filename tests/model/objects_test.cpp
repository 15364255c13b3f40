// Adding and deleting objects: ids, limits, defaults, z-order, labels, groups and the current row.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "model/groups.h"
#include "model/links.h"
#include "model/objects.h"
#include "resource.h"
#include "text/object_text.h"
#include "support/model_fixture.h"
#include "store/block_store.h"

namespace {

int AddRect(HWND view, int w, int h, BOOL select = FALSE, BOOL holds = TRUE)
{
    RECT rect = {1000, 1000, 1000 + w, 1000 + h};
    return AddObject(view, ClassShape, &rect, 2, 0, 0, FALSE, holds, nullptr, select);
}

}  // namespace

TEST_F(ModelTest, TinyRectCreatesNothingAndTakesNoCheckpoint)
{
    EXPECT_EQ(0, AddRect(view_, 23, 23, TRUE, FALSE));
    EXPECT_EQ(0, Count());
    EXPECT_EQ(0, State()->undoLabel);
    EXPECT_EQ(29, SwapStoreCheckpoint(slot_, TRUE));

    for (auto [w, h] : {std::pair{23, 24}, {24, 23}, {2000, 1}, {1, 2000}}) {
        int before = Count();
        EXPECT_EQ(0, AddRect(view_, w, h, TRUE, FALSE));
        EXPECT_EQ(before + 1, Count()) << w << "x" << h;
    }
    EXPECT_EQ(40, State()->undoLabel);
}

TEST_F(ModelTest, NewObjectTakesTheDrawingDefaultsAndIsPaintedOnTop)
{
    {
        Locked<Drawing> d = LockDrawing();
        d->style.fillColor = RGB(1, 2, 3);
        d->style.borderColor = RGB(4, 5, 6);
    }
    Add(ClassShape);
    int row = Add(ClassLine, 600, 900, 1200, 30);
    DrawObject o = Object(row);
    EXPECT_EQ(ClassLine, o.objClass);
    EXPECT_EQ(2, o.objId);
    EXPECT_EQ((RECT{600, 900, 1800, 930}), o.frame);
    EXPECT_EQ((RECT{570, 870, 1830, 960}), o.updateRect);
    EXPECT_EQ((RECT{624, 924, 1776, 906}), o.innerRect);
    EXPECT_EQ(o.innerRect, o.textRect);
    EXPECT_EQ(o.frame, o.groupFrame);
    EXPECT_EQ(12, o.lineWidth);
    EXPECT_EQ(RGB(1, 2, 3), o.fillColor);
    EXPECT_EQ(RGB(4, 5, 6), o.lineColor);
    EXPECT_EQ(-1, o.textId);
    EXPECT_EQ(-1, o.dataId);
    EXPECT_EQ(kNoLabel, o.labelId);
    EXPECT_EQ(-1, o.groupRow);
    EXPECT_EQ((RECT{24, 24, 24, 24}), o.textMargins);
    EXPECT_EQ(1200, o.createdWidth);
    EXPECT_EQ(2, g_recorder.hookCapacity);
    EXPECT_EQ((std::vector<int>{0, 1}), ZOrder());
    EXPECT_EQ((std::vector<int>{1, 2}), g_recorder.Messages(OM_INIT));
}

TEST_F(ModelTest, SelectDeselectsOthersAndWithAHeldCheckpointLeavesAllUnselected)
{
    AddRect(view_, 300, 300, TRUE, FALSE);
    AddRect(view_, 300, 300, TRUE, FALSE);
    EXPECT_FALSE(Object(0).state & StateSelected);
    EXPECT_TRUE(Object(1).state & StateSelected);
    {
        Locked<Drawing> d = LockDrawing();
        EXPECT_EQ(1, d->selectedCount);
        EXPECT_EQ(1, d->currentRow);
    }
    AddRect(view_, 300, 300, TRUE, TRUE);
    for (int row = 0; row < 3; ++row) EXPECT_FALSE(Object(row).state & StateSelected) << row;
    Locked<Drawing> d = LockDrawing();
    EXPECT_EQ(0, d->selectedCount);
}

TEST_F(ModelTest, IdsRunOutAt65534UntilADeleteLowersTheLastId)
{
    {
        Locked<Drawing> d = LockDrawing();
        d->lastId = 65533;
    }
    int row = Add(ClassShape);
    EXPECT_EQ(65534, Object(row).objId);
    EXPECT_EQ(1, AddRect(view_, 300, 300));
    EXPECT_EQ(1, Count());
    Locked<Drawing> d = LockDrawing();
    ASSERT_EQ(0, DeleteObjects(d.get(), FALSE, 0));
    EXPECT_EQ(1, d->lastId);   // every object gone: the next id is 2
    d.Unlock();
    EXPECT_EQ(2, Object(Add(ClassShape)).objId);
}

TEST_F(ModelTest, SixteenThousandAndFirstObjectIsRefusedWithoutAnObject)
{
    Add(ClassShape);
    {
        // A full list: 16,000 rows in the object list and the z-order.
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, ResizeRecord(&d->objectList, ObjectList::SizeFor(kMaxObjects + 1)));
        ASSERT_EQ(0, ResizeRecord(&d->zOrderList, ZOrderList::SizeFor(kMaxObjects)));
        Locked<ObjectList> objects(d->objectList);
        Locked<ZOrderList> zOrder(d->zOrderList);
        for (int row = 1; row < kMaxObjects; ++row) {
            (*objects)[row] = (*objects)[0];
            (*objects)[row].objId = row + 1;
            (*zOrder)[row] = row;
        }
        objects->count = zOrder->count = kMaxObjects;
        d->lastId = kMaxObjects;
    }
    EXPECT_EQ(10010, AddRect(view_, 300, 300));
    EXPECT_EQ(kMaxObjects, Count());
    Locked<Drawing> d = LockDrawing();
    EXPECT_EQ(kMaxObjects, d->lastId);
}

TEST_F(ModelTest, FailingClassInitRollsTheStoreBackAndClearsTheLabel)
{
    Add(ClassShape);
    std::string before = RecordBytes(RecObjectList, 0);
    g_recorder.initResult = 10009;
    EXPECT_EQ(10009, AddRect(view_, 300, 300, FALSE, FALSE));
    EXPECT_EQ(1, Count());
    EXPECT_EQ(before, RecordBytes(RecObjectList, 0));
    EXPECT_EQ((std::vector<int>{0}), ZOrder());
    EXPECT_EQ(0, State()->undoLabel);
}

TEST_F(ModelTest, DeletingRowThreeOfTenRenumbersTheZOrder)
{
    for (int i = 0; i < 10; ++i) Add(ClassShape);
    Locked<Drawing> d = LockDrawing();
    ASSERT_EQ(0, DeleteObjects(d.get(), FALSE, 3));
    d.Unlock();
    EXPECT_EQ(9, Count());
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}), ZOrder());
    EXPECT_EQ(5, Object(3).objId);
    EXPECT_EQ((std::vector<int>{4}), g_recorder.Messages(OM_DELETE));
}

TEST_F(ModelTest, DeletingRowsBelowTheCurrentObjectShiftsItAndDeletingItClearsIt)
{
    for (int i = 0; i < 5; ++i) Add(ClassShape);
    {
        Locked<Drawing> d = LockDrawing();
        d->currentRow = 3;   // object id 4
        ASSERT_EQ(0, DeleteObjects(d.get(), FALSE, 1));
        EXPECT_EQ(2, d->currentRow);
        EXPECT_EQ(4, Object(d->currentRow).objId);
    }
    {
        // Keep-selection mode: the unselected objects below the current one go.
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        (*objects)[2].state |= StateSelected;
        (*objects)[3].state |= StateSelected;
        objects.Unlock();
        d->selectedCount = 2;
        ASSERT_EQ(0, DeleteObjects(d.get(), FALSE, -1));
        EXPECT_EQ(0, d->currentRow);
        EXPECT_EQ(4, Object(0).objId);
    }
    Locked<Drawing> d = LockDrawing();
    ASSERT_EQ(0, DeleteObjects(d.get(), FALSE, 0));
    EXPECT_EQ(-1, d->currentRow);
}

TEST_F(ModelTest, LabelsGoWithTheirHostAndALabelAloneClearsTheShowLength)
{
    int line = Add(ClassLine);
    int label = Add(ClassShape);
    int other = Add(ClassShape);
    auto attach = [&] {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        (*objects)[line].labelId = (*objects)[label].objId;
        (*objects)[line].labelRow = label;
        (*objects)[line].classFlags |= 0x40;
        (*objects)[label].labelId = (*objects)[line].objId;
        (*objects)[label].labelRow = line;
        (*objects)[label].state |= StateAttachedLabel;
    };
    attach();
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, DeleteObjects(d.get(), FALSE, label));
    }
    EXPECT_EQ(0, Object(line).classFlags & 0x40);
    EXPECT_EQ(2, Count());

    label = Add(ClassShape);
    attach();
    Locked<Drawing> d = LockDrawing();
    ASSERT_EQ(0, DeleteObjects(d.get(), FALSE, line));
    d.Unlock();
    ASSERT_EQ(1, Count());
    EXPECT_EQ(3, Object(0).objId);
    (void)other;
}

TEST_F(ModelTest, DeleteRemovesTheRecordsAnObjectOwns)
{
    int row = Add(ClassShape);
    HGLOBAL block = nullptr;
    ASSERT_EQ(0, AddRecord(slot_, RecTextBlock, 7, 16 + 88, &block));
    ASSERT_EQ(0, AddRecord(slot_, RecAttachment, Object(row).objId, 40, &block));
    ASSERT_EQ(0, AddRecord(slot_, 119, 3, 40, &block));
    ASSERT_EQ(0, AddRecord(slot_, 119, 4, 40, &block));
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        (*objects)[row].textId = 7;
        (*objects)[row].dataType = 119;
        (*objects)[row].dataId = 3;
        (*objects)[row].dataCount = 3;   // the third record does not exist: it is skipped
        objects.Unlock();
        ASSERT_EQ(0, DeleteObjects(d.get(), FALSE, row));
    }
    for (auto [type, id] : {std::pair<int, int>{RecTextBlock, 7}, {RecAttachment, 1}, {119, 3}, {119, 4}})
        EXPECT_EQ(11, LoadRecord(slot_, type, id, &block)) << type << "/" << id;
}

TEST_F(ModelTest, DeletingOneMemberOfATwoMemberGroupDissolvesIt)
{
    int a = Add(ClassShape);
    int b = Add(ClassShape);
    MakeGroup(9, {a, b});
    ASSERT_EQ(1u, Groups().size());
    EXPECT_EQ(2, Groups()[0].memberCount);
    Locked<Drawing> d = LockDrawing();
    ASSERT_EQ(0, DeleteObjects(d.get(), FALSE, a));
    d.Unlock();
    EXPECT_TRUE(Groups().empty());
    EXPECT_EQ(0, Object(0).groupId);
    EXPECT_EQ(-1, Object(0).groupRow);
}

// Several objects deleted in one call, walked by a shuffled z-order: every removal renumbers the
// rows the next one sees, so the classes hear of each deletion at the row it has at that moment,
// the holders of a deleted target lose their hooks, and what stays is renumbered once.
TEST_F(ModelTest, DeletingTheSelectionWalksTheZOrderFromTheFrontAndRenumbersWhatStays)
{
    for (int i = 0; i < 6; ++i) Add(ClassShape);   // ids 1..6 in rows 0..5
    MakeGroup(9, {0, 4});
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), 3, -1, 1, 1, 300, 0));   // id 4 on id 2, which goes
        ASSERT_EQ(0, AttachHook(d.get(), 3, -1, 0, 1, 300, 0));   // id 4 on id 1, which stays
        ASSERT_EQ(0, AttachHook(d.get(), 2, -1, 0, 1, 300, 0));   // id 3, which goes, on id 1
        Locked<ObjectList> objects(d->objectList);
        Locked<ZOrderList> zOrder(d->zOrderList);
        const int order[6] = {3, 0, 5, 1, 4, 2};
        for (int pos = 0; pos < 6; ++pos) (*zOrder)[pos] = order[pos];
        for (int row : {1, 2, 4}) (*objects)[row].state |= StateSelected;
        // Row 5 is the attached label of row 2: it goes with its host although not selected.
        (*objects)[2].labelId = 6;
        (*objects)[2].labelRow = 5;
        (*objects)[5].labelId = 3;
        (*objects)[5].labelRow = 2;
        (*objects)[5].state |= StateAttachedLabel;
        d->selectedCount = 3;
        d->currentRow = 2;
    }
    g_recorder.Clear();
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, DeleteObjects(d.get(), TRUE, -1));
        EXPECT_EQ(5, d->lastId);
        EXPECT_EQ(0, d->selectedCount);
        EXPECT_EQ(-1, d->currentRow);
    }
    std::vector<std::pair<int, int>> deleted;   // (id, row) as each deletion was told
    for (const SentMessage& sent : g_recorder.log) {
        if (sent.message == OM_DELETE) deleted.push_back({sent.objId, sent.row});
    }
    EXPECT_EQ((std::vector<std::pair<int, int>>{{3, 2}, {5, 3}, {2, 1}, {6, 2}}), deleted);
    ASSERT_EQ(2, Count());
    EXPECT_EQ(1, Object(0).objId);
    EXPECT_EQ(4, Object(1).objId);
    EXPECT_EQ((std::vector<int>{1, 0}), ZOrder());
    // The group lost a member and dissolved.
    EXPECT_TRUE(Groups().empty());
    EXPECT_EQ(0, Object(0).groupId);
    // Id 4 keeps only its hook on id 1, which now sits in row 0; the index agrees.
    DrawObject holder = Object(1);
    ASSERT_EQ(1, holder.hookCount);
    EXPECT_EQ(1, holder.hooks[0].targetId);
    EXPECT_EQ(0, holder.hooks[0].targetRow);
    ASSERT_EQ(1u, Links().size());
    EXPECT_EQ(1, Links()[0].targetId);
    EXPECT_EQ(0, Links()[0].targetRow);
    EXPECT_EQ(4, Links()[0].holderId);
    EXPECT_EQ(1, Links()[0].holderRow);
    EXPECT_EQ((std::vector<int>{4}), g_recorder.Messages(OM_HOOKCHANGED));
}

namespace {

std::vector<std::pair<UINT, LPARAM>> g_paletteMessages;

LRESULT CALLBACK RecordingPalette(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == VXM_TEXTSTYLEFLAGS || message == VXM_TEXTSCRIPT) g_paletteMessages.push_back({message, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

// The toolbar palette hears the style of what is selected after an add: the text of an object
// that stays selected, nothing once selecting the new object has cleared it.
TEST_F(ModelTest, AddingTellsThePaletteTheStyleOfWhatIsSelectedAfterwards)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecordingPalette;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VexlorRecordingPalette";
    RegisterClassA(&wc);
    HWND palette = CreateWindowA("VexlorRecordingPalette", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(palette);
    HWND savedPalette = g_paletteWindow;
    g_paletteWindow = palette;

    // A selected object whose text is one bold, raised run.
    const int texted = Add(ClassShape);
    HGLOBAL block = nullptr;
    ASSERT_EQ(0, AddRecord(slot_, RecTextBlock, 7, kBlockHeaderSize + sizeof(TextBlock) + sizeof(TextRun), &block));
    {
        Locked<BYTE> bytes(block);
        TextBlock header = {};
        header.runCount = 1;
        TextRun run = {};
        run.style = 1;
        run.script = 1;
        std::memcpy(bytes.get() + kBlockHeaderSize, &header, sizeof header);
        std::memcpy(bytes.get() + kBlockHeaderSize + sizeof header, &run, sizeof run);
    }
    Change(texted, [](DrawObject& o, Drawing& d) {
        o.textId = 7;
        o.state |= StateSelected;
        d.selectedCount = 1;
    });

    using Sent = std::vector<std::pair<UINT, LPARAM>>;
    g_paletteMessages.clear();
    EXPECT_EQ(0, AddRect(view_, 300, 300, FALSE, TRUE));
    EXPECT_EQ((Sent{{VXM_TEXTSTYLEFLAGS, 1}, {VXM_TEXTSCRIPT, 1 << 24}}), g_paletteMessages);

    g_paletteMessages.clear();
    EXPECT_EQ(0, AddRect(view_, 300, 300, TRUE, FALSE));
    EXPECT_FALSE(Object(texted).state & StateSelected);
    EXPECT_EQ((Sent{{VXM_TEXTSTYLEFLAGS, 0}, {VXM_TEXTSCRIPT, 0}}), g_paletteMessages);

    g_paletteWindow = savedPalette;
    DestroyWindow(palette);
}
