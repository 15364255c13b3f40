// Model edit operations: moves, pull-backs, attribute and rotation messages over the selection,
// each one undoable byte for byte and rolled back whole on a refusal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/frame_services.h"
#include "model/document_changes.h"
#include "model/edit_ops.h"
#include "model/links.h"
#include "model/move_set.h"
#include "model/selection.h"
#include "model/undo.h"
#include "support/model_fixture.h"
#include "store/block_store.h"

namespace {

// A move set of `rows` in a plain block of the record layout.
struct MoveSet {
    explicit MoveSet(const std::vector<int>& rows)
        : bytes(12 + 4 * (rows.size() + 1), 0)
    {
        auto* set = reinterpret_cast<ObjectVector*>(bytes.data());
        set->count = static_cast<INT32>(rows.size());
        set->capacity = static_cast<INT32>(rows.size() + 1);
        for (size_t i = 0; i < rows.size(); ++i) set->rows[i] = rows[i];
    }
    const ObjectVector* get() const { return reinterpret_cast<const ObjectVector*>(bytes.data()); }
    std::vector<char> bytes;
};

}  // namespace

class EditOps : public ModelTest {
protected:
    template <typename F>
    void Change(F f)
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        f(*d, *objects);
    }

    // The records an edit changes, for byte-for-byte comparison.
    std::string Snapshot() const
    {
        return RecordBytes(RecObjectList, 0) + RecordBytes(RecGroupTable, 0) + RecordBytes(RecLinkIndex, 0) +
               RecordBytes(RecZOrderList, 0) + DrawingBytes();
    }
    // The Drawing without the fields every open rewrites: its handles and the opened-with-objects
    // mark.
    std::string DrawingBytes() const
    {
        std::string bytes = RecordBytes(RecDocument, RecDrawingId);
        if (bytes.size() < sizeof(Drawing) - 16) return bytes;
        for (size_t offset : {offsetof(Drawing, viewWindow), offsetof(Drawing, objectList), offsetof(Drawing, zOrderList),
                              offsetof(Drawing, linkIndex), offsetof(Drawing, groupTable), offsetof(Drawing, openedWithObjects)})
            bytes.replace(offset - 16, 4, 4, '\0');
        return bytes;
    }

    // Undo gives `before`, Redo gives `after`.
    void ExpectUndoRedo(const std::string& before, const std::string& after)
    {
        ASSERT_EQ(0, UndoLastChange(view_, TRUE));
        EXPECT_TRUE(before == Snapshot());
        ASSERT_EQ(0, UndoLastChange(view_, TRUE));
        EXPECT_TRUE(after == Snapshot());
    }
};

TEST_F(EditOps, OffsetMovesTheFourRectsAndRefusesTheCoordinateLimit)
{
    int row = Add(ClassShape, 600, 600, 300, 300);
    DrawObject before = Object(row);
    int result;
    Change([&](Drawing& d, ObjectList& objects) { result = OffsetObject(&d, &objects, row, 60, -30); });
    EXPECT_EQ(0, result);
    DrawObject after = Object(row);
    for (auto [was, is] : {std::pair{before.updateRect, after.updateRect}, {before.frame, after.frame},
                           {before.innerRect, after.innerRect}, {before.textRect, after.textRect}}) {
        OffsetRect(&was, 60, -30);
        EXPECT_EQ(was, is);
    }
    EXPECT_EQ(std::vector<int>({before.objId}), g_recorder.Messages(OM_OFFSET));

    // A move whose update rect would reach 32,767 is refused, one to 32,766 is not.
    const RECT u = after.updateRect;
    Change([&](Drawing& d, ObjectList& objects) { result = OffsetObject(&d, &objects, row, 32767 - u.right, 0); });
    EXPECT_EQ(ErrOutsideDrawing, result);
    EXPECT_EQ(after.frame, Object(row).frame);
    Change([&](Drawing& d, ObjectList& objects) { result = OffsetObject(&d, &objects, row, 0, 32767 - u.bottom); });
    EXPECT_EQ(ErrOutsideDrawing, result);
    Change([&](Drawing& d, ObjectList& objects) { result = OffsetObject(&d, &objects, row, 32766 - u.right, 0); });
    EXPECT_EQ(0, result);
}

TEST_F(EditOps, MoveUndoesAndRedoesByteForByte)
{
    int a = Add(ClassShape, 600, 600);
    int b = Add(ClassLine, 1200, 600);
    std::string before = Snapshot();
    MoveSet set({a, b});
    ASSERT_EQ(0, MoveObjects(view_, 120, 60, set.get(), FALSE));
    EXPECT_EQ(UndoMove, State()->undoLabel);
    EXPECT_EQ(660, Object(a).frame.top);
    EXPECT_EQ(1320, Object(b).frame.left);
    EXPECT_TRUE(State()->flags & DocModified);
    ExpectUndoRedo(before, Snapshot());

    // Nothing to move takes no step at all.
    int label = State()->undoLabel;
    EXPECT_EQ(0, MoveObjects(view_, 0, 0, set.get(), FALSE));
    EXPECT_EQ(0, MoveObjects(view_, 5, 5, nullptr, FALSE));
    EXPECT_EQ(label, State()->undoLabel);
}

TEST_F(EditOps, MovesAfterDuplicateShiftTheDuplicateOffset)
{
    int row = Add(ClassShape);
    Change([](Drawing& d, ObjectList&) { d.duplicateDx = d.duplicateDy = 120; });
    MoveSet set({row});
    ASSERT_EQ(0, SaveUndoState(view_, UndoDuplicate));
    ASSERT_EQ(0, MoveObjects(view_, 30, -60, set.get(), FALSE));
    EXPECT_EQ(UndoMoveAfterDuplicate, State()->undoLabel);
    ASSERT_EQ(0, MoveObjects(view_, 30, 0, set.get(), FALSE));
    EXPECT_EQ(UndoMoveAfterDuplicate, State()->undoLabel);
    {
        Locked<Drawing> d = LockDrawing();
        EXPECT_EQ(180, d->duplicateDx);
        EXPECT_EQ(60, d->duplicateDy);
    }
    // A caller holding its checkpoint has recorded the label; the offset still follows.
    ASSERT_EQ(0, MoveObjects(view_, 10, 10, set.get(), TRUE));
    {
        Locked<Drawing> d = LockDrawing();
        EXPECT_EQ(190, d->duplicateDx);
    }
    // Any other last change: a plain move, the offset stays.
    ASSERT_EQ(0, SaveUndoState(view_, UndoAddObject));
    ASSERT_EQ(0, MoveObjects(view_, 30, 30, set.get(), FALSE));
    EXPECT_EQ(UndoMove, State()->undoLabel);
    Locked<Drawing> d = LockDrawing();
    EXPECT_EQ(190, d->duplicateDx);
}

TEST_F(EditOps, TwoMembersOfOneGroupMoveItsFramesOnce)
{
    int a = Add(ClassShape, 600, 600);
    int b = Add(ClassShape, 1200, 600);
    int c = Add(ClassShape, 3000, 600);
    int group = MakeGroup(7, {a, b});
    GroupEntry was = Groups()[group];
    DrawObject member = Object(a);
    MoveSet set({a, b, c});
    ASSERT_EQ(0, MoveObjects(view_, 60, 90, set.get(), FALSE));
    GroupEntry is = Groups()[group];
    OffsetRect(&was.frame, 60, 90);
    OffsetRect(&was.groupedFrame, 60, 90);
    EXPECT_EQ(was.frame, is.frame);
    EXPECT_EQ(was.groupedFrame, is.groupedFrame);
    EXPECT_EQ(0u, is.flags & GroupFramesPending);
    OffsetRect(&member.groupFrame, 60, 90);
    EXPECT_EQ(member.groupFrame, Object(a).groupFrame);
}

TEST_F(EditOps, MoveReachingTheLimitIsRolledBackWhole)
{
    int a = Add(ClassShape, 600, 600);
    int b = Add(ClassShape, 30000, 600);
    MakeGroup(3, {a, b});
    ASSERT_EQ(0, SaveUndoState(view_, UndoAddObject));
    std::string before = Snapshot();
    MoveSet set({a, b});
    // The first member moves, the second would reach 32,767: the whole move is undone.
    EXPECT_EQ(ErrOutsideDrawing, MoveObjects(view_, 2500, 0, set.get(), FALSE));
    EXPECT_TRUE(before == Snapshot());
    EXPECT_EQ(UndoNone, State()->undoLabel);
}

TEST_F(EditOps, KeepOnPagePullsBackAndRefusesOversizedObjects)
{
    int row = Add(ClassShape, 600, 600, 600, 300);
    int pageWidth, pageHeight;
    {
        Locked<Drawing> d = LockDrawing();
        pageWidth = d->pageWidth;
        pageHeight = d->pageHeight;
    }
    struct Case {
        RECT frame;
        int result;
        RECT expected;
    } cases[] = {
        {{600, 600, 1200, 900}, 0, {600, 600, 1200, 900}},
        {{-120, 600, 480, 900}, 0, {0, 600, 600, 900}},
        {{600, -60, 1200, 240}, 0, {600, 0, 1200, 300}},
        {{pageWidth - 300, pageHeight - 100, pageWidth + 300, pageHeight + 200}, 0,
         {pageWidth - 600, pageHeight - 300, pageWidth, pageHeight}},
        {{-10, 0, pageWidth + 1, 300}, ErrOutsideDrawing, {-10, 0, pageWidth + 1, 300}},
        {{0, 0, 300, pageHeight + 1}, ErrOutsideDrawing, {0, 0, 300, pageHeight + 1}},
        {{600, 600, 500, 900}, ErrOutsideDrawing, {600, 600, 500, 900}},
        {{0, 0, pageWidth, pageHeight}, 0, {0, 0, pageWidth, pageHeight}},
    };
    for (const Case& c : cases) {
        Change([&](Drawing&, ObjectList& objects) {
            DrawObject& o = objects[row];
            o.frame = o.updateRect = o.innerRect = o.textRect = c.frame;
        });
        State()->flags &= ~static_cast<DWORD>(DocRedraw);
        int result;
        Change([&](Drawing& d, ObjectList& objects) { result = KeepObjectOnPage(State(), &d, &objects, row); });
        EXPECT_EQ(c.result, result) << c.frame;
        EXPECT_EQ(c.expected, Object(row).frame) << c.frame;
        bool moved = !(c.expected == c.frame);
        EXPECT_EQ(moved, (State()->flags & DocRedraw) != 0) << c.frame;
    }
}

TEST_F(EditOps, KeepOnPageRefusalInsideAnEditRollsBackToTheRecords)
{
    int row = Add(ClassShape, 600, 600);
    Change([&](Drawing& d, ObjectList& objects) { objects[row].frame.right = d.pageWidth + 900; });
    ASSERT_EQ(0, SaveUndoState(view_, UndoResize));
    std::string before = Snapshot();
    int result;
    Change([&](Drawing& d, ObjectList& objects) {
        BeginRecordChange(d.objectList);
        objects[row].state |= StateSelected;
        result = KeepObjectOnPage(State(), &d, &objects, row);
    });
    ASSERT_EQ(ErrOutsideDrawing, result);
    ASSERT_EQ(0, RollBackEdit(view_));
    EXPECT_TRUE(before == Snapshot());
}

TEST_F(EditOps, ApplyToSelectionSetsDefaultsAndSkipsUnselected)
{
    int a = Add(ClassShape);
    int b = Add(ClassLine, 1200, 600);
    int c = Add(ClassShape, 2400, 600);
    Change([&](Drawing& d, ObjectList& objects) {
        objects[a].state |= StateSelected;
        objects[b].state |= StateSelected;
        d.selectedCount = 2;
    });
    std::string before = Snapshot();
    g_recorder.Clear();
    COLORREF color = RGB(10, 20, 30);
    ASSERT_EQ(0, ApplyToSelection(view_, OM_SETFILLCOLOR, 1, &color, FALSE));
    EXPECT_EQ(UndoChangeAppearance, State()->undoLabel);
    EXPECT_EQ(std::vector<int>({Object(a).objId, Object(b).objId}), g_recorder.Messages(OM_SETFILLCOLOR));
    (void)c;
    {
        Locked<Drawing> d = LockDrawing();
        EXPECT_EQ(color, d->style.fillColor);
    }
    ExpectUndoRedo(before, Snapshot());

    struct Case {
        int message;
        COLORREF DrawingStyle::*field;
    } cases[] = {{OM_SETBORDERCOLOR, &DrawingStyle::borderColor}, {OM_SETLINECOLOR, &DrawingStyle::lineColor}};
    for (const Case& k : cases) {
        COLORREF value = RGB(1, 2, k.message);
        ASSERT_EQ(0, ApplyToSelection(view_, k.message, 0, &value, FALSE));
        Locked<Drawing> d = LockDrawing();
        EXPECT_EQ(value, d->style.*k.field);
    }
}

int FailOnFill(int message, DrawObject* object)
{
    if (message == OM_SETFILLCOLOR && object && object->objClass == ClassLine) return 10004;
    if (message == OM_SETFILLCOLOR && object) object->fillColor = RGB(9, 9, 9);
    return 0;
}

TEST_F(EditOps, ApplyToSelectionErrorLeavesNoTrace)
{
    int a = Add(ClassShape);
    int b = Add(ClassLine, 1200, 600);
    Change([&](Drawing& d, ObjectList& objects) {
        objects[a].state |= StateSelected;
        objects[b].state |= StateSelected;
        d.selectedCount = 2;
    });
    ASSERT_EQ(0, SaveUndoState(view_, UndoAddObject));
    std::string before = Snapshot();
    g_recorder.answer = FailOnFill;
    COLORREF color = RGB(1, 1, 1);
    EXPECT_EQ(10004, ApplyToSelection(view_, OM_SETFILLCOLOR, 0, &color, FALSE));
    EXPECT_TRUE(before == Snapshot());
    EXPECT_EQ(UndoNone, State()->undoLabel);
}

TEST_F(EditOps, RotatingTheSelectionSkipsGroupedObjectsButTurnsLabels)
{
    int shape = Add(ClassShape);
    int label = Add(ClassShape, 600, 1200);
    int grouped = Add(ClassShape, 1800, 600);
    int other = Add(ClassShape, 2400, 600);
    MakeGroup(5, {grouped, other});
    Change([&](Drawing& d, ObjectList& objects) {
        for (int row : {shape, grouped}) objects[row].state |= StateSelected;
        objects[shape].labelId = objects[label].objId;
        objects[shape].labelRow = label;
        objects[label].labelId = objects[shape].objId;
        objects[label].state |= StateAttachedLabel;
        d.selectedCount = 2;
    });
    g_recorder.Clear();
    ASSERT_EQ(0, ApplyToSelection(view_, OM_SETANGLE, 450, nullptr, FALSE));
    EXPECT_EQ(UndoRotate, State()->undoLabel);
    EXPECT_EQ(std::vector<int>({Object(shape).objId, Object(label).objId}), g_recorder.Messages(OM_SETANGLE));
    for (const SentMessage& sent : g_recorder.log) {
        if (sent.message == OM_SETANGLE) {
            EXPECT_EQ(450, sent.a);
        }
    }
}

int TurnOnRotate(int message, DrawObject* object)
{
    if (message == OM_ROTATETO && object) object->angle = 300;
    if (message == OM_SETANGLE && object) object->angle = 300;
    return 0;
}

TEST_F(EditOps, RotateObjectTurnsItsAttachedLabelAndUndoes)
{
    int line = Add(ClassLine);
    int label = Add(ClassShape, 600, 1200);
    Change([&](Drawing&, ObjectList& objects) {
        objects[line].labelId = objects[label].objId;
        objects[line].labelRow = label;
        objects[label].labelId = objects[line].objId;
        objects[label].state |= StateAttachedLabel;
    });
    std::string before = Snapshot();
    g_recorder.answer = TurnOnRotate;
    g_recorder.Clear();
    POINT point = {900, 300};
    ASSERT_EQ(0, RotateObjectAndLabel(State(), line, 140, &point));
    EXPECT_EQ(UndoRotate, State()->undoLabel);
    EXPECT_EQ(std::vector<int>({Object(line).objId}), g_recorder.Messages(OM_LABELANCHOR));
    EXPECT_EQ(std::vector<int>({Object(label).objId}), g_recorder.Messages(OM_SETANGLE));
    EXPECT_EQ(300, Object(label).angle);
    ExpectUndoRedo(before, Snapshot());

    // The label itself turns alone.
    g_recorder.Clear();
    ASSERT_EQ(0, RotateObjectAndLabel(State(), label, 140, &point));
    EXPECT_TRUE(g_recorder.Messages(OM_SETANGLE).empty());
}

int SetParamOnMessage(int message, DrawObject* object)
{
    if (message == OM_SETPARAM && object) object->param = 0.25;
    if (message == OM_SETFRAME && object) object->frame.right += 60;
    return 0;
}

TEST_F(EditOps, ParameterAndReshapeStepsUndoByteForByte)
{
    int row = Add(ClassShape);
    g_recorder.answer = SetParamOnMessage;
    std::string before = Snapshot();
    POINT point = {700, 600};
    ASSERT_EQ(0, SendObjectMessage(OM_SETPARAM, State(), row, 60, &point));
    EXPECT_EQ(UndoChangeShape, State()->undoLabel);
    EXPECT_EQ(0.25, Object(row).param);
    ExpectUndoRedo(before, Snapshot());

    // Reshaping runs under the caller's checkpoint: handle code 0 sends message 10.
    before = Snapshot();
    ASSERT_EQ(0, SaveUndoState(view_, UndoResize));
    RECT rect = {0, 0, 100, 100};
    g_recorder.Clear();
    ASSERT_EQ(0, ReshapeObject(view_, row, &rect, 0, TRUE, FALSE));
    ASSERT_EQ(1u, g_recorder.Messages(OM_SETFRAME).size());
    EXPECT_EQ(960, Object(row).frame.right);
    ExpectUndoRedo(before, Snapshot());
    g_recorder.Clear();
    ASSERT_EQ(0, ReshapeObject(view_, row, &rect, 4, FALSE, TRUE));
    ASSERT_EQ(1u, g_recorder.Messages(OM_DRAGHANDLE).size());
    EXPECT_EQ(4, g_recorder.log.front().a);
}

int GrowOnTextFit(int message, DrawObject* object)
{
    if (message == OM_SETTEXTFIT && object && object->objClass == ClassShape) object->frame.right += 300;
    return 0;
}

TEST_F(EditOps, ApplyToSelectionLetsHookedObjectsFollowAChangedFrame)
{
    int shape = Add(ClassShape);
    int line = Add(ClassLine, 1800, 600);
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), line, -1, shape, 2, 600, 300));
    }
    Change([&](Drawing& d, ObjectList& objects) {
        objects[shape].state |= StateSelected;
        d.selectedCount = 1;
    });
    g_recorder.Clear();
    g_recorder.answer = GrowOnTextFit;
    ASSERT_EQ(0, ApplyToSelection(view_, OM_SETTEXTFIT, 1, nullptr, FALSE));
    // The propagation asked the shape where the line's hook point now lies.
    EXPECT_EQ(std::vector<int>({Object(shape).objId}), g_recorder.Messages(OM_MAPHOOKPOINT));

    // An attribute that leaves the frame alone flags nothing.
    g_recorder.Clear();
    g_recorder.answer = nullptr;
    COLORREF color = RGB(1, 2, 3);
    ASSERT_EQ(0, ApplyToSelection(view_, OM_SETFILLCOLOR, 0, &color, FALSE));
    EXPECT_TRUE(g_recorder.Messages(OM_MAPHOOKPOINT).empty());
}
