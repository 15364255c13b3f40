// The edit executor, its commands and messages, Group and Ungroup, and Duplicate.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands.h"
#include "documents/settings.h"
#include "editing/edit_operation.h"
#include "editing/group_ungroup.h"
#include "model/edit_ops.h"
#include "model/move_set.h"
#include "model/undo.h"
#include "text/object_text.h"
#include "support/shown_document.h"

namespace {

bool Contains(const std::vector<std::string>& shown, const std::string& part)
{
    for (const std::string& s : shown)
        if (s.find(part) != std::string::npos) return true;
    return false;
}

using EditMessagesShown = ShownDocumentFixture;

TEST_F(EditMessagesShown, ReportEditErrorShowsOneMessagePerCode)
{
    struct Case {
        int code;
        const char* shown;
    };
    const Case cases[] = {
        {10009, "outside the bounds of the drawing area"}, {10010, "limit of 16,000 objects"},
        {10011, "limit of 6000 links"},                   {10013, "INFO_BADMETA"},
        {10004, "Disk or memory error"},                  {7, "Disk or memory error"},
    };
    for (const Case& c : cases) {
        prompts_->Clear();
        ReportEditError(c.code);
        std::vector<std::string> shown = Prompts();
        ASSERT_EQ(1u, shown.size()) << c.code;
        EXPECT_NE(std::string::npos, shown[0].find(c.shown)) << c.code << ": " << shown[0];
    }
}

TEST(EditMessages, DrawCommandsMapToOperations)
{
    struct Case {
        int id, value, op, arg;
    };
    const Case cases[] = {
        {206, 0, 31, 0}, {501, 0, 50, 0}, {502, 0, 52, 0}, {503, 1, 54, 1}, {503, 0, 54, 0}, {608, 0, 46, 0},
        {701, 0, 35, 0}, {702, 0, 34, 0}, {703, 0, 32, 0}, {705, 0, 33, 0}, {706, 0, 42, 0}, {707, 0, 43, 0},
        {708, 0, 45, 0}, {709, 0, 44, 8}, {710, 0, 44, 16}, {711, 0, 48, 0}, {712, 0, 49, 0}, {713, 0, 55, 0},
        {720, 0, 36, 0}, {725, 0, 36, 5}, {730, 0, 40, 1}, {732, 0, 40, 3}, {750, 0, 51, 1}, {752, 0, 51, 3},
    };
    for (const Case& c : cases) {
        int op = -1, arg = -1;
        ASSERT_TRUE(DrawCommandOperation(c.id, c.value, &op, &arg)) << c.id;
        EXPECT_EQ(c.op, op) << c.id;
        EXPECT_EQ(c.arg, arg) << c.id;
    }
    int op = 0, arg = 0;
    for (int id : {704, 714, 726, 733, 749, 753, 207})
        EXPECT_FALSE(DrawCommandOperation(id, 0, &op, &arg)) << id;
}

using EditOperations = ShownDocumentFixture;

TEST_F(EditOperations, WithoutDocumentStateNothingRuns)
{
    HWND bare = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(ErrOutOfMemory, DoEditOperation(bare, EditClear, 0, nullptr));
    DestroyWindow(bare);
    EXPECT_TRUE(Prompts().empty());
}

TEST_F(EditOperations, RefusedOrUnknownOperationsOnlyFlagTheDocumentModified)
{
    Shape(1000, 1000);
    const std::string before = ObjectBytes();
    for (int op : {static_cast<int>(EditCut), static_cast<int>(EditClear), 6, 41, 99}) {
        SetFlag(DocModified, false);
        state_->undoLabel = 0;
        EXPECT_EQ(0, Run(op)) << op;
        EXPECT_TRUE(state_->flags & DocModified) << op;
        EXPECT_EQ(0, state_->undoLabel) << op;
    }
    EXPECT_EQ(before, ObjectBytes());
    EXPECT_TRUE(Prompts().empty());
}

TEST_F(EditOperations, DrawingOptionsToggleDrawingAndDefaultsWithoutRedraw)
{
    struct Case {
        int op;
        DWORD drawingBit, settingsBit;
    };
    for (const Case& c : {Case{EditUseSnaps, DrawSnap, SetSnap}, Case{EditLinesLink, DrawLinesLink, SetLinesLink},
                          Case{EditShapesLink, DrawShapesLink, SetShapesLink}}) {
        const bool was = (LockDrawing()->drawingFlags & c.drawingBit) != 0;
        SetFlag(DocRedraw, false);
        EXPECT_EQ(0, Run(c.op));
        EXPECT_EQ(!was, (LockDrawing()->drawingFlags & c.drawingBit) != 0) << c.op;
        EXPECT_EQ(!was, (settings_.flags & c.settingsBit) != 0) << c.op;
        EXPECT_EQ(UndoDrawing, state_->undoLabel) << c.op;
        EXPECT_FALSE(state_->flags & DocRedraw) << c.op;
    }
}

TEST_F(EditOperations, ShowLengthPassesTheCheckMark)
{
    const int line = Line(1000, 1000, 3000, 1000);
    Select({line});
    DoDrawCommand(CMD_SHOW_LENGTH, 0);
    EXPECT_TRUE(Object(line).classFlags & 0x40);
    EXPECT_EQ(64, state_->undoLabel);
    DoDrawCommand(CMD_SHOW_LENGTH, 1);
    EXPECT_FALSE(Object(line).classFlags & 0x40);
    Select({});
    DoDrawCommand(CMD_SHOW_LENGTH, 0);
    EXPECT_TRUE(Contains(Prompts(), "INFO_DIM"));
}

// Each length label is a new object: the object list grows, and may move, while the selection
// is being walked.
TEST_F(EditOperations, ShowLengthLabelsEverySelectedLine)
{
    std::vector<int> lines;
    for (int i = 0; i < 12; ++i) lines.push_back(Line(1000, 1000 + 400 * i, 3000 + 100 * i, 1000 + 400 * i));
    Select(lines);
    DoDrawCommand(CMD_SHOW_LENGTH, 0);
    EXPECT_EQ(24, Count());
    for (int line : lines) {
        EXPECT_TRUE(Object(line).classFlags & 0x40) << line;
        EXPECT_NE(kNoLabel, Object(line).labelId) << line;
    }
}

TEST_F(EditOperations, GroupOnLinesClosingAChainAsksJoinOrGroup)
{
    for (int answer : {1, 0}) {
        SCOPED_TRACE(answer);
        Select({});
        while (Count() > 0) {
            Select({0});
            ASSERT_EQ(0, Run(EditClear));
        }
        const std::vector<int> lines = {Line(1000, 1000, 3000, 1000), Line(3000, 1000, 2000, 3000),
                                        Line(2000, 3000, 1000, 1000)};
        Select(lines);
        PromptAnswerer answers(IDOK, answer);
        EXPECT_EQ(0, Run(EditGroup));
        EXPECT_TRUE(Contains(answers.shown(), "INFO_MAKESHAPEGROUP"));
        if (answer == 1) {
            EXPECT_EQ(1, Count());
            EXPECT_EQ(UndoJoinLines, state_->undoLabel);
        } else {
            EXPECT_EQ(3, Count());
            ASSERT_EQ(1u, Groups().size());
            EXPECT_EQ(3, Groups()[0].memberCount);
        }
    }
}

TEST_F(EditOperations, HintsShowOncePerRun)
{
    const UINT text = CF_TEXT;
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, 4);
    lstrcpyA(static_cast<char*>(GlobalLock(data)), "abc");
    GlobalUnlock(data);
    SetClipboardData(text, data);
    CloseClipboard();
    Select({Shape(1000, 1000)});
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(0, Run(EditPaste));
        EXPECT_EQ(0, Run(EditDuplicate));
    }
    EXPECT_EQ(3, Count());
    EXPECT_EQ(std::vector<std::string>({"HINT_IMPORT", "HINT_DUPLICATE"}), Prompts());
}

// Duplicate places copies at the drawing's offset, which moves made right after a Duplicate
// adjust and any other change resets.
TEST_F(EditOperations, DuplicateRepeatsTheAdjustedStep)
{
    const int first = Shape(1000, 1000);
    Select({first});
    ASSERT_EQ(0, Run(EditDuplicate));
    const int second = Count() - 1;
    EXPECT_EQ(1300, Object(second).frame.left);
    EXPECT_EQ(1300, Object(second).frame.top);
    ObjectVector* moveSet = nullptr;
    RECT bounds;
    ASSERT_EQ(0, CollectMoveSet(LockDrawing().get(), -1, TRUE, FALSE, FALSE, &moveSet, &bounds));
    ASSERT_EQ(0, MoveObjects(view_, 200, -100, moveSet, FALSE));
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        FreeObjectVector(&moveSet, objects.get());
    }
    ASSERT_EQ(0, Run(EditDuplicate));
    const int third = Count() - 1;
    EXPECT_EQ(Object(second).frame.left + 500, Object(third).frame.left);
    EXPECT_EQ(Object(second).frame.top + 200, Object(third).frame.top);
    ASSERT_EQ(0, Run(EditUseSnaps));
    ASSERT_EQ(0, Run(EditDuplicate));
    EXPECT_EQ(Object(third).frame.left + 300, Object(Count() - 1).frame.left);
    EXPECT_EQ(Object(third).frame.top + 300, Object(Count() - 1).frame.top);
}

TEST_F(EditOperations, DuplicateAtTheCornerStaysInsideTheDrawing)
{
    const Drawing d = *LockDrawing();
    const int corner = AddAt(ClassShape, RECT{d.pageWidth - 700, d.pageHeight - 700, d.pageWidth - 100, d.pageHeight - 100}, 1);
    Select({corner});
    ASSERT_EQ(0, Run(EditDuplicate));
    EXPECT_EQ(d.pageWidth, Object(Count() - 1).frame.right);
    EXPECT_EQ(d.pageHeight, Object(Count() - 1).frame.bottom);
}

TEST_F(EditOperations, DuplicateKeepsHooksAndLabelsAmongTheCopies)
{
    const int a = Shape(1000, 1000), b = Shape(3000, 1000);
    const int line = Line(1600, 1300, 3000, 1300);
    const int label = AddAt(ClassShape, RECT{2000, 1500, 2600, 1800}, 1);
    Hook(line, a);
    Hook(line, b);
    AttachLabel(line, label);
    Select({a, b, line});
    ASSERT_EQ(0, Run(EditDuplicate));
    ASSERT_EQ(8, Count());
    const DrawObject lineCopy = Object(6);
    EXPECT_EQ(2, lineCopy.hookCount);
    EXPECT_EQ(Object(4).objId, lineCopy.hooks[0].targetId);
    EXPECT_EQ(Object(5).objId, lineCopy.hooks[1].targetId);
    EXPECT_EQ(Object(7).objId, lineCopy.labelId);
    EXPECT_EQ(lineCopy.objId, Object(7).labelId);
    EXPECT_EQ(Object(label).objId, Object(line).labelId);
    EXPECT_EQ(std::vector<int>({4, 5, 6}), SelectedRows());

    // The line alone: a free copy with its label.
    Select({line});
    ASSERT_EQ(0, Run(EditDuplicate));
    ASSERT_EQ(10, Count());
    EXPECT_EQ(0, Object(8).hookCount);
    EXPECT_EQ(Object(9).objId, Object(8).labelId);
}

TEST_F(EditOperations, DuplicateOfAGroupTakesAFreeId)
{
    struct Case {
        std::vector<int> ids;
        int expected;
    };
    for (const Case& c : {Case{{7, 8}, 6}, Case{{1, 2}, 4}}) {
        while (Count() > 0) {
            Select({0});
            ASSERT_EQ(0, Run(EditClear));
        }
        const int a = Shape(1000, 1000), b = Shape(2000, 1000), x = Shape(1000, 3000), y = Shape(2000, 3000);
        AddGroup(c.ids[0], {a, b}, true);
        AddGroup(c.ids[1], {x, y}, true);
        Select({x, y});
        Change(x, [](DrawObject&, Drawing& d) {
            Locked<GroupTable> groups(d.groupTable);
            (*groups)[1].flags |= GroupSelected;
        });
        ASSERT_EQ(0, Run(EditDuplicate));
        std::vector<GroupEntry> groups = Groups();
        ASSERT_EQ(3u, groups.size());
        EXPECT_EQ(c.expected, groups[2].groupId);
        EXPECT_EQ(c.expected, Object(4).groupId);
        EXPECT_EQ(c.expected, Object(5).groupId);
    }
}

TEST_F(EditOperations, UndoOfDuplicateReselectsTheSources)
{
    const int a = Shape(1000, 1000), b = Shape(3000, 1000);
    Select({a, b});
    ASSERT_EQ(0, Run(EditDuplicate));
    ASSERT_EQ(4, Count());
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_EQ(2, Count());
    EXPECT_EQ(std::vector<int>({0, 1}), SelectedRows());
}

TEST_F(EditOperations, DuplicateBeyondTheObjectLimitRollsBack)
{
    const int a = Shape(1000, 1000);
    {
        // Fill the drawing up to the limit with copies of the one shape.
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, ResizeRecord(&d->objectList, ObjectList::SizeFor(kMaxObjects)));
        ASSERT_EQ(0, ResizeRecord(&d->zOrderList, ZOrderList::SizeFor(kMaxObjects)));
        Locked<ObjectList> objects(d->objectList);
        Locked<ZOrderList> order(d->zOrderList);
        for (int row = 1; row < kMaxObjects; ++row) {
            (*objects)[row] = (*objects)[a];
            (*objects)[row].objId = row + 1;
            (*objects)[row].state &= ~static_cast<DWORD>(StateSelected);
            (*order)[row] = row;
        }
        objects->count = order->count = kMaxObjects;
        d->lastId = kMaxObjects;
    }
    Select({a});
    prompts_->Clear();
    EXPECT_EQ(ErrTooManyObjects, Run(EditDuplicate));
    EXPECT_EQ(kMaxObjects, Count());
    EXPECT_TRUE(Contains(Prompts(), "limit of 16,000 objects"));
}

TEST(GroupIds, FreeRunsStayWithinSixteenBits)
{
    struct Case {
        std::vector<int> ids;
        int run, expected;
    };
    const Case cases[] = {
        {{}, 1, 1},       {{5, 9}, 1, 4},      {{1, 9}, 1, 10},        {{5}, 3, 2},       {{}, 3, 1},
        {{7, 8}, 2, 5},   {{1, 2}, 2, 3},      {{65535}, 1, 1},        {{1, 65535}, 2, 2}, {{2, 3, 65534}, 2, 4},
    };
    for (const Case& c : cases) {
        std::vector<GroupEntry> entries(c.ids.size());
        for (size_t i = 0; i < c.ids.size(); ++i) entries[i].groupId = c.ids[i];
        EXPECT_EQ(c.expected, GroupIdBase(entries.data(), static_cast<int>(entries.size()), c.run))
            << c.ids.size() << " ids, run " << c.run;
    }
    std::vector<GroupEntry> full(65535);
    for (int i = 0; i < 65535; ++i) full[i].groupId = i + 1;
    EXPECT_EQ(1, GroupIdBase(full.data(), 65535, 1));
}

using Grouping = ShownDocumentFixture;

TEST_F(Grouping, GroupMakesOneEntryOfTheSelection)
{
    const int a = Shape(1000, 1000), b = Shape(3000, 1000), locked = Shape(5000, 1000);
    const int line = Line(1000, 3000, 3000, 3000);
    const int label = AddAt(ClassShape, RECT{1500, 3200, 2100, 3500}, 1);
    AttachLabel(line, label);
    Change(locked, [](DrawObject& o, Drawing&) { o.state |= StateLocked; });
    Change(b, [](DrawObject& o, Drawing&) { o.angle = 450; });
    AddGroup(5, {Shape(8000, 8000), Shape(9000, 8000)}, true);
    AddGroup(9, {Shape(8000, 9000), Shape(9000, 9000)}, true);
    Select({a, b, locked, line});
    ASSERT_EQ(0, Run(EditGroup));
    std::vector<GroupEntry> groups = Groups();
    ASSERT_EQ(3u, groups.size());
    const GroupEntry& made = groups[2];
    EXPECT_EQ(4, made.groupId);
    EXPECT_EQ(3, made.memberCount);
    EXPECT_TRUE(made.flags & GroupSelected);
    EXPECT_EQ(3, made.handleLayout);
    for (int row : {a, b, line, label}) EXPECT_EQ(4, Object(row).groupId) << row;
    EXPECT_EQ(0, Object(locked).groupId);
    EXPECT_EQ(UndoDrawing, state_->undoLabel);

    // A selected group with two more objects keeps its entry and id.
    const int c = Shape(1000, 5000), e = Shape(3000, 5000);
    ASSERT_EQ(3u, Groups().size());
    Select({a, b, line, label, c, e});
    ASSERT_EQ(0, Run(EditGroup));
    groups = Groups();
    ASSERT_EQ(3u, groups.size());
    EXPECT_EQ(4, groups[2].groupId);
    EXPECT_EQ(5, groups[2].memberCount);

    // Ungroup: the members keep their places and stay selected.
    std::vector<RECT> frames;
    for (int row = 0; row < Count(); ++row) frames.push_back(Object(row).frame);
    ASSERT_EQ(0, Run(EditUngroup));
    EXPECT_EQ(2u, Groups().size());
    for (int row = 0; row < Count(); ++row) EXPECT_EQ(frames[row], Object(row).frame);
    for (int row : {a, b, line, label, c, e}) {
        EXPECT_EQ(0, Object(row).groupId);
        EXPECT_TRUE(Object(row).state & StateSelected);
    }
}

TEST_F(Grouping, ObjectsHookedOutsideTheGroupAreLeftOut)
{
    const int a = Shape(1000, 1000), b = Shape(3000, 1000), outside = Shape(5000, 1000);
    const int line = Line(3600, 1300, 5000, 1300);
    Hook(line, outside);
    Select({a, line});
    ASSERT_EQ(0, Run(EditGroup));
    EXPECT_TRUE(Contains(Prompts(), "omitted from the group"));
    EXPECT_TRUE(Groups().empty());
    EXPECT_EQ(0, Object(a).groupId);

    prompts_->Clear();
    Select({a, b, line});
    ASSERT_EQ(0, Run(EditGroup));
    EXPECT_TRUE(Contains(Prompts(), "omitted from the group"));
    ASSERT_EQ(1u, Groups().size());
    EXPECT_EQ(2, Groups()[0].memberCount);
    EXPECT_EQ(0, Object(line).groupId);
}

// The frame's Duplicate command on a shown document: each press adds a copy 300, 300 further.
TEST_F(EditOperations, DuplicateCommandOfTheFrame)
{
    Select({Shape(1000, 1000)});
    SendMessageA(g_frameWindow, WM_COMMAND, CMD_DUPLICATE, 0);
    SendMessageA(g_frameWindow, WM_COMMAND, CMD_DUPLICATE, 0);
    ASSERT_EQ(3, Count());
    EXPECT_EQ(1300, Object(1).frame.left);
    EXPECT_EQ(1600, Object(2).frame.left);
    EXPECT_EQ(1600, Object(2).frame.top);
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_EQ(2, Count());
}

// A line that shows its length but has lost its label is given a new label object whenever its
// length changes: while the hooked lines follow their nudged shapes the object list grows (and
// may move) under the propagation, yet every line must end where its twin without the option does.
TEST_F(EditOperations, LinesFollowingANudgeGetTheirLengthLabels)
{
    struct Pair {
        int shape, withLabel, plain, follower;
    };
    std::vector<Pair> pairs;
    for (int i = 0; i < 6; ++i) {
        const int y = 1000 + 1500 * i;
        Pair p;
        p.shape = Shape(1000, y);
        const int other = Shape(4000, y);
        p.withLabel = Line(1600, y + 300, 4000, y + 300);
        p.plain = Line(1600, y + 300, 4000, y + 300);
        p.follower = Line(200, y + 300, 1000, y + 300);
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), p.follower, -1, p.shape, 2, 300, 0));
        for (int line : {p.withLabel, p.plain}) {
            ASSERT_EQ(0, AttachHook(d.get(), line, -1, p.shape, 1, 300, 0));
            ASSERT_EQ(0, AttachHook(d.get(), line, -1, other, 2, 300, 0));
        }
        pairs.push_back(p);
    }
    std::vector<int> shapes;
    for (const Pair& p : pairs) shapes.push_back(p.shape);
    Select(shapes);
    ASSERT_EQ(0, Run(EditNudge, VK_RIGHT));   // every line settles on its hooks
    for (const Pair& p : pairs) Change(p.withLabel, [](DrawObject& o, Drawing&) { o.classFlags |= 0x40; });
    const int before = Count();
    std::vector<RECT> plainBefore, followerBefore;
    for (const Pair& p : pairs) {
        plainBefore.push_back(Object(p.plain).frame);
        followerBefore.push_back(Object(p.follower).frame);
    }
    for (int press = 0; press < 3; ++press) ASSERT_EQ(0, Run(EditNudge, VK_LEFT));
    EXPECT_EQ(before + static_cast<int>(pairs.size()), Count());
    for (size_t i = 0; i < pairs.size(); ++i) {
        SCOPED_TRACE(i);
        const DrawObject labelled = Object(pairs[i].withLabel), plain = Object(pairs[i].plain);
        EXPECT_FALSE(EqualRect(&plainBefore[i], &plain.frame));
        // A line hooked by one end only moves whole with its shape.
        EXPECT_EQ(followerBefore[i].left - 18, Object(pairs[i].follower).frame.left);
        EXPECT_EQ(followerBefore[i].right - 18, Object(pairs[i].follower).frame.right);
        EXPECT_TRUE(EqualRect(&plain.frame, &labelled.frame));
        EXPECT_EQ(kNoLabel, plain.labelId);
        ASSERT_NE(kNoLabel, labelled.labelId);
        const DrawObject label = Object(labelled.labelRow);
        EXPECT_EQ(labelled.objId, label.labelId);
        EXPECT_TRUE(label.state & StateAttachedLabel);
        EXPECT_GE(label.textId, 0);
    }
}

// Make Same Size on lines that show their length: each resized line makes its label while the
// walk over the selection goes on.
TEST_F(EditOperations, SameSizeLinesGetTheirLengthLabels)
{
    std::vector<int> lines = {Line(1000, 800, 4000, 800)};
    for (int i = 1; i < 10; ++i) lines.push_back(Line(1000, 800 + 400 * i, 1600 + 100 * i, 800 + 400 * i));
    for (int line : lines) Change(line, [](DrawObject& o, Drawing&) { o.classFlags |= 0x40; });
    Select(lines);
    ASSERT_EQ(0, Run(EditSameSize, 1));
    for (int line : lines) {
        SCOPED_TRACE(line);
        EXPECT_EQ(3000, Object(line).frame.right - Object(line).frame.left);
        if (line != lines.front()) {
            EXPECT_NE(kNoLabel, Object(line).labelId);
        }
    }
    EXPECT_EQ(static_cast<int>(2 * lines.size()) - 1, Count());
}

// Duplicate with an in-place editor open: the text is stored first, and the edited object,
// selected by the edit, is copied with it.
TEST_F(EditOperations, DuplicateCommitsTheOpenEditorFirst)
{
    const int shape = AddAt(ClassShape, RECT{1000, 1000, 1600, 1600}, 2);   // a kind that holds its own text
    Select({shape});
    ASSERT_EQ(0, BeginObjectTextEdit(view_, state_, shape, 1300, 1300, 0));
    ASSERT_NE(nullptr, state_->textEditor);
    for (char c : std::string("Hi")) SendMessageA(state_->textEditor, WM_CHAR, static_cast<WPARAM>(c), 0);
    ASSERT_EQ(0, Run(EditDuplicate));
    EXPECT_EQ(nullptr, state_->textEditor);
    ASSERT_EQ(2, Count());
    EXPECT_GE(Object(0).textId, 0);
    EXPECT_GE(Object(1).textId, 0);
    EXPECT_NE(Object(0).textId, Object(1).textId);
    EXPECT_EQ(1300, Object(1).frame.left);
    EXPECT_EQ(std::vector<int>({1}), SelectedRows());
    EXPECT_EQ(1, LockDrawing()->selectedCount);
}

}  // namespace

namespace {

// Attachments are stored under the object id, and record ids end at 32,767: a copy whose id
// lies beyond cannot take its source's attachment, and the Duplicate fails whole.
TEST_F(EditOperations, AnAttachmentBeyondTheLastRecordIdFailsTheDuplicate)
{
    const int a = Shape(1000, 1000);
    HGLOBAL record = nullptr;
    ASSERT_EQ(0, AddRecord(slot_, RecAttachment, Object(a).objId, kBlockHeaderSize + 8, &record));
    ReleaseBlock(record);
    Select({a});
    ASSERT_EQ(0, Run(EditDuplicate));
    EXPECT_FALSE(RecordBytes(RecAttachment, Object(1).objId).empty());

    LockDrawing()->lastId = 32767;
    Select({a});
    prompts_->Clear();
    EXPECT_EQ(1, Run(EditDuplicate));
    EXPECT_EQ(2, Count());
    EXPECT_TRUE(Contains(Prompts(), "Disk or memory error"));
}

}  // namespace
