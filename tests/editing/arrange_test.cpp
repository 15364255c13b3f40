// Arranging and changing the selection in a shown document: align, same size, space evenly,
// order, centre, nudge, lock, flip, shadows, arrowhead defaults, the view's keys, the
// attribute, rotate and view commands, the page grid and the background colour.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "documents/document_window.h"
#include "documents/options.h"
#include "editing/arrange.h"
#include "editing/arrange_dialogs.h"
#include "editing/edit_operation.h"
#include "exchange/background.h"
#include "exchange/page_tiles.h"
#include "frame/frame_main.h"
#include "frame/frame_services.h"
#include "frame/frame_startup.h"
#include "frame/object_classes.h"
#include "frame/view_layout.h"
#include "geometry/point_geometry.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/group_transform.h"
#include "model/groups.h"
#include "model/links.h"
#include "model/objects.h"
#include "model/undo.h"
#include "shapes/shape_kinds.h"
#include "store/store_records.h"
#include "support/drawing_fixture.h"
#include "support/frame_support.h"
#include "support/prompt_answerer.h"

namespace {

constexpr int kRect = ShapeRectangle;

// The characters the text editor received, watched through its window procedure.
std::string g_received;
WNDPROC g_editorProc = nullptr;

LRESULT CALLBACK WatchEditor(HWND editor, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CHAR) g_received += static_cast<char>(wParam);
    return CallWindowProcA(g_editorProc, editor, message, wParam, lParam);
}

LRESULT CALLBACK WatchEditorCreation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char name[32] = {};
        GetClassNameA(window, name, sizeof(name));
        if (lstrcmpA(name, "TENClass") == 0)
            g_editorProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchEditor)));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class ArrangeTest : public testing::Test {
protected:
    void SetUp() override
    {
        prompts_ = std::make_unique<PromptAnswerer>(IDOK);
        settings_ = {};
        settings_.ruler.screenUnit = 1;
        settings_.ruler.scaleBase = 100.0;
        settings_.ruler.divisions = 12;
        settings_.ruler.shownValue = 1.0;
        settings_.defaults.defaultBorderWidth = 12;
        for (int i = 0; i < 48; ++i) settings_.standardColors[i] = RGB(i, 2 * i, 3 * i);
        g_settings = &settings_;
        RotationRefused = FALSE;
        ASSERT_EQ(0, InstallObjectClasses());
        if (!g_patternBrushes[0]) {
            ASSERT_EQ(0, CreateSharedGdiObjects());
        }
        ASSERT_EQ(0, CreateMainFrame(TRUE));
        document_ = CreateDocumentWindow(nullptr, DocModeBlank);
        ASSERT_NE(nullptr, document_);
        view_ = GetDocumentView(document_);
        ASSERT_NE(nullptr, view_);
        stateBlock_ = GetDocumentStateHandle(view_);
        state_ = static_cast<DocumentState*>(GlobalLock(stateBlock_));
        state_->areaWidth = 6000;
        state_->areaHeight = 6000;
    }
    void TearDown() override
    {
        if (state_) GlobalUnlock(stateBlock_);
        state_ = nullptr;
        DestroyFrameAndDocuments();
        g_parameterDialogPrompt = saved_;
        g_settings = nullptr;
        RemoveClassHandlers();
        RotationRefused = FALSE;
        prompts_.reset();
    }

    Locked<Drawing> D() const { return Locked<Drawing>(state_->drawing); }
    int Add(RECT rect, int objClass = ClassShape, int type = kRect)
    {
        EXPECT_EQ(0, AddObject(view_, objClass, &rect, type, 0, 0, FALSE, TRUE, nullptr, FALSE));
        return Count() - 1;
    }
    int Count() const
    {
        Locked<Drawing> d = D();
        Locked<ObjectList> o(d->objectList);
        return o->count;
    }
    DrawObject Object(int row) const
    {
        Locked<Drawing> d = D();
        Locked<ObjectList> o(d->objectList);
        return (*o)[row];
    }
    template <typename F>
    void Change(int row, F change)
    {
        Locked<Drawing> d = D();
        Locked<ObjectList> o(d->objectList);
        change((*o)[row]);
        SendClassMessage(nullptr, d.get(), o.get(), row, OM_RECALC);
    }
    // Selects exactly `rows`; `current` -1 leaves no current object.
    void Select(const std::vector<int>& rows, int current)
    {
        Locked<Drawing> d = D();
        Locked<ObjectList> o(d->objectList);
        for (int r = 0; r < o->count; ++r) (*o)[r].state &= ~static_cast<DWORD>(StateSelected);
        for (int r : rows) (*o)[r].state |= StateSelected;
        Locked<GroupTable> g(d->groupTable);
        for (int i = 0; i < g->count; ++i) {
            bool all = true;
            for (int r = 0; r < o->count; ++r)
                if ((*o)[r].groupId == (*g)[i].groupId && !((*o)[r].state & StateSelected)) all = false;
            if (all) (*g)[i].flags |= GroupSelected;
            else (*g)[i].flags &= ~static_cast<DWORD>(GroupSelected);
        }
        d->selectedCount = static_cast<int>(rows.size());
        d->currentRow = current;
    }
    int Group(int groupId, const std::vector<int>& rows)
    {
        int index;
        {
            Locked<Drawing> d = D();
            Locked<ObjectList> o(d->objectList);
            Locked<GroupTable> g(d->groupTable);
            index = g->count;
            EXPECT_EQ(0, ResizeRecord(&d->groupTable, GroupTable::SizeFor(index + 1)));
        }
        {
            Locked<Drawing> d = D();
            Locked<ObjectList> o(d->objectList);
            Locked<GroupTable> g(d->groupTable);
            g->count = index + 1;
            (*g)[index] = GroupEntry{};
            (*g)[index].groupId = groupId;
            for (int r : rows) {
                (*o)[r].groupId = groupId;
                (*o)[r].groupRow = index;
                (*o)[r].groupFrame = (*o)[r].frame;
            }
        }
        Locked<Drawing> d = D();
        UpdateGroupBounds(d.get(), index, nullptr);
        Locked<GroupTable> g(d->groupTable);
        (*g)[index].groupedFrame = (*g)[index].frame;
        return index;
    }
    GroupEntry GroupAt(int index) const
    {
        Locked<Drawing> d = D();
        Locked<GroupTable> g(d->groupTable);
        return (*g)[index];
    }
    void Hook(int holder, int target)
    {
        Locked<Drawing> d = D();
        ASSERT_EQ(0, AttachHook(d.get(), holder, -1, target, 1, 0, 300));
    }
    // The texts of the warnings shown, by their string id.
    bool Shown(UINT id) const
    {
        char text[512] = {};
        LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof(text));
        for (const std::string& s : ShownPrompts(*prompts_))
            if (text[0] && s.find(text) != std::string::npos) return true;
        return false;
    }
    bool ShownDialog(const char* name) const
    {
        for (const std::string& s : prompts_->shown())
            if (s == name) return true;
        return false;
    }

    Settings settings_ = {};
    std::unique_ptr<PromptAnswerer> prompts_;
    HWND document_ = nullptr;
    HWND view_ = nullptr;
    HGLOBAL stateBlock_ = nullptr;
    DocumentState* state_ = nullptr;
    ParameterDialogPrompt saved_ = g_parameterDialogPrompt;
};

TEST_F(ArrangeTest, AlignChecksRefuseWithTheirMessages)
{
    struct Case {
        const char* name;
        int mode;
        UINT message;
    };
    // 0: the reference; 1: a free shape; 2: a line hooked to the reference.
    const Case cases[] = {{"nothing selected", 0, 24}, {"only hooked others", 0, 27}, {"one would leave", 0, 25}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        int ref = Add({5000, 1000, 5900, 1600});
        int free = Add({100, 2000, 700, 2600});
        int line = Add({1000, 4000, 2000, 4000}, ClassLine, 0);
        Hook(line, ref);
        if (c.message == 24) Select({}, -1);
        else if (c.message == 27) Select({ref, line}, ref);
        else {
            // Lefts to 5950 would put the 600 wide shape at 5950..6550, past the area.
            Change(ref, [](DrawObject& o) { o.frame.left = 5950; o.frame.right = 6000; });
            Select({ref, free}, ref);
        }
        const DrawObject before = Object(free);
        Locked<Drawing> d = D();
        EXPECT_FALSE(CheckAlign(state_, d.get(), c.mode));
        EXPECT_TRUE(Shown(c.message));
        EXPECT_EQ(before.frame, Object(free).frame);
    }
}

TEST_F(ArrangeTest, AlignUsesTheRotatedReferenceOrItsGroupFrame)
{
    int ref = Add({2000, 2000, 2600, 2400});
    int other = Add({3000, 3000, 3300, 3300});
    Change(ref, [](DrawObject& o) { o.angle = 450; });
    RECT bounds = Object(ref).frame;
    {
        Locked<Drawing> d = D();
        Locked<ObjectList> o(d->objectList);
        SendClassMessage(nullptr, d.get(), o.get(), ref, OM_GETBOUNDS, 1, 1, &bounds);
    }
    ASSERT_LT(bounds.left, 2000);
    Select({ref, other}, ref);
    {
        Locked<Drawing> d = D();
        ASSERT_TRUE(CheckAlign(state_, d.get(), 0));
        ASSERT_EQ(0, AlignSelection(state_, d.get(), 0));
    }
    EXPECT_EQ(bounds.left, Object(other).frame.left);

    // The current object in a group: the group's frame is the reference, its members stay.
    int a = Add({1000, 500, 1400, 900});
    int b = Add({1600, 500, 1800, 900});
    int c = Add({3000, 1000, 3300, 1300});
    Group(7, {a, b});
    Select({a, b, c}, b);
    {
        Locked<Drawing> d = D();
        ASSERT_TRUE(CheckAlign(state_, d.get(), 0));
        ASSERT_EQ(0, AlignSelection(state_, d.get(), 0));
    }
    EXPECT_EQ(1000, Object(c).frame.left);
    EXPECT_EQ(1600, Object(b).frame.left);
}

TEST_F(ArrangeTest, AlignAndSameSizeWithoutCurrentObjectMeasureAgainstTheFrontmost)
{
    int back = Add({1000, 1000, 1600, 1400});
    int front = Add({3000, 3000, 3900, 3300});
    Select({back, front}, -1);
    Locked<Drawing> d = D();
    ASSERT_TRUE(CheckAlign(state_, d.get(), 3));
    ASSERT_EQ(0, AlignSelection(state_, d.get(), 3));
    EXPECT_EQ(3000, Object(back).frame.top);
    ASSERT_TRUE(CheckSameSize(state_, d.get(), 1)) << testing::PrintToString(ShownPrompts(*prompts_));
    ASSERT_EQ(0, MakeSameSize(state_, d.get(), 1));
    EXPECT_EQ(900, Object(back).frame.right - Object(back).frame.left);
}

TEST_F(ArrangeTest, MakeSameSizeFollowsHandleLayouts)
{
    struct Case {
        const char* name;
        int layout;
        SIZE expected;
    };
    const Case cases[] = {{"free", 0, {1200, 300}}, {"proportional", 3, {1200, 600}}, {"height only", 2, {600, 300}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        int ref = Add({1000, 1000, 2200, 2000});
        int other = Add({3000, 3000, 3600, 3300});
        Change(other, [&](DrawObject& o) { o.handleLayout = c.layout; });
        Select({ref, other}, ref);
        Locked<Drawing> d = D();
        ASSERT_TRUE(CheckSameSize(state_, d.get(), 1));
        ASSERT_EQ(0, MakeSameSize(state_, d.get(), 1));
        const RECT f = Object(other).frame;
        EXPECT_EQ(c.expected.cx, f.right - f.left);
        EXPECT_EQ(c.expected.cy, f.bottom - f.top);
    }
}

TEST_F(ArrangeTest, MakeSameSizeRefusals)
{
    int line = Add({1000, 1000, 1000, 2000}, ClassLine, 0);
    int shape = Add({3000, 3000, 3600, 3300});
    Select({line, shape}, line);
    {
        Locked<Drawing> d = D();
        EXPECT_FALSE(CheckSameSize(state_, d.get(), 1));
    }
    EXPECT_TRUE(Shown(35));
    int target = Add({100, 100, 400, 400});
    int held = Add({500, 500, 1500, 500}, ClassLine, 0);
    Hook(held, target);
    Hook(held, shape);
    Select({shape, held}, shape);
    Locked<Drawing> d = D();
    EXPECT_FALSE(CheckSameSize(state_, d.get(), 3));
    EXPECT_TRUE(Shown(31)) << testing::PrintToString(ShownPrompts(*prompts_));
}

TEST_F(ArrangeTest, SpaceEvenlyMovesTheMiddleByTheCommonGap)
{
    int a = Add({0, 1000, 100, 1100});
    int b = Add({150, 1000, 250, 1100});
    int c = Add({700, 1000, 800, 1100});
    Select({c, a, b}, a);
    HGLOBAL list = nullptr;
    int count = 0, gap = 0;
    {
        Locked<Drawing> d = D();
        ASSERT_TRUE(CollectSpacingItems(state_, d.get(), TRUE, &list, &count, &gap));
    }
    EXPECT_EQ(3, count);
    EXPECT_EQ(250, gap);
    {
        Locked<Drawing> d = D();
        ASSERT_EQ(0, SpaceEvenly(state_, d.get(), 1, list, count, gap, nullptr, 0, 0));
    }
    GlobalFree(list);
    EXPECT_EQ(0, Object(a).frame.left);
    EXPECT_EQ(350, Object(b).frame.left);
    EXPECT_EQ(700, Object(c).frame.left);

    // A hooked object is not counted: two free ones are too few.
    int line = Add({2000, 2000, 2600, 2000}, ClassLine, 0);
    Hook(line, a);
    Select({a, b, line}, a);
    Locked<Drawing> d = D();
    EXPECT_FALSE(CollectSpacingItems(state_, d.get(), TRUE, &list, &count, &gap));
    EXPECT_EQ(nullptr, list);
    EXPECT_TRUE(Shown(55));
}

TEST_F(ArrangeTest, FrontAndBackKeepTheSelectionInItsOrder)
{
    for (int i = 0; i < 5; ++i) Add({100 + 100 * i, 100, 400 + 100 * i, 400});
    auto order = [&] {
        Locked<Drawing> d = D();
        Locked<ZOrderList> z(d->zOrderList);
        return std::vector<int>(z->Entries(), z->Entries() + z->count);
    };
    Select({1, 3}, 1);
    {
        Locked<Drawing> d = D();
        ASSERT_EQ(0, BringSelectionToFront(state_, d.get(), -1));
    }
    EXPECT_EQ((std::vector<int>{0, 2, 4, 1, 3}), order());
    {
        Locked<Drawing> d = D();
        ASSERT_EQ(0, SendSelectionToBack(state_, d.get()));
    }
    EXPECT_EQ((std::vector<int>{1, 3, 0, 2, 4}), order());
}

TEST_F(ArrangeTest, CenterDrawingOnItsPages)
{
    int row = Add({100, 600, 2100, 1200});
    state_->printableWidth = 4800;
    state_->printableHeight = 1800;
    RECT extent = {100, 600, 2100, 1200};
    ASSERT_EQ(0, CenterDrawing(state_, &extent));
    EXPECT_EQ(1400, Object(row).frame.left);
    EXPECT_EQ(600, Object(row).frame.top);
    state_->flags &= ~static_cast<DWORD>(DocModified);
    extent = Object(row).frame;
    ASSERT_EQ(0, CenterDrawing(state_, &extent));
    EXPECT_EQ(1400, Object(row).frame.left);
    EXPECT_FALSE(state_->flags & DocModified);
}

TEST_F(ArrangeTest, NudgeMovesOrResizesWithinTheArea)
{
    struct Case {
        const char* name;
        RECT frame;
        int layout;
        bool shift;
        int key;
        RECT expected;
    };
    const Case cases[] = {
        {"right", {1000, 1000, 1600, 1300}, 0, false, VK_RIGHT, {1006, 1000, 1606, 1300}},
        {"up", {1000, 1000, 1600, 1300}, 0, false, VK_UP, {1000, 994, 1600, 1294}},
        {"at the right edge", {5400, 1000, 6000, 1300}, 0, false, VK_RIGHT, {5400, 1000, 6000, 1300}},
        {"shrink width 6", {1000, 1000, 1006, 1300}, 0, true, VK_LEFT, {1000, 1000, 1006, 1300}},
        {"proportional", {1000, 1000, 1600, 1300}, 3, true, VK_RIGHT, {1000, 1000, 1606, 1303}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        int row = Add(c.frame);
        Change(row, [&](DrawObject& o) { o.handleLayout = c.layout; });
        Select({row}, row);
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        BYTE saved = keys[VK_SHIFT];
        keys[VK_SHIFT] = c.shift ? 0x80 : 0;
        SetKeyboardState(keys);
        {
            Locked<Drawing> d = D();
            EXPECT_EQ(0, NudgeSelection(state_, d.get(), c.key));
        }
        keys[VK_SHIFT] = saved;
        SetKeyboardState(keys);
        EXPECT_EQ(c.expected, Object(row).frame);
    }
}

// Shift held or released for the nudge, which reads it from the keyboard state.
class ShiftHeld {
public:
    explicit ShiftHeld(bool held)
    {
        GetKeyboardState(keys_);
        saved_ = keys_[VK_SHIFT];
        keys_[VK_SHIFT] = held ? 0x80 : 0;
        SetKeyboardState(keys_);
    }
    ~ShiftHeld()
    {
        keys_[VK_SHIFT] = saved_;
        SetKeyboardState(keys_);
    }

private:
    BYTE keys_[256] = {};
    BYTE saved_ = 0;
};

TEST_F(ArrangeTest, ArrowKeysNudgeAsOneUndoStep)
{
    int row = Add({1000, 1000, 1600, 1300});
    Select({row}, row);
    ShiftHeld released(false);
    for (int i = 0; i < 3; ++i) SendMessageA(view_, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ((RECT{1018, 1000, 1618, 1300}), Object(row).frame);
    EXPECT_EQ(66, state_->undoLabel);
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_EQ((RECT{1000, 1000, 1600, 1300}), Object(row).frame);
}

TEST_F(ArrangeTest, NudgesAfterDuplicateWidenTheNextDuplicate)
{
    g_duplicateHintShown = TRUE;
    int row = Add({1000, 1000, 1600, 1300});
    Select({row}, row);
    ShiftHeld released(false);
    ASSERT_EQ(0, DoEditOperation(view_, EditDuplicate, 0, nullptr));
    const int copy = Count() - 1;
    ASSERT_EQ(1300, Object(copy).frame.left);
    for (int i = 0; i < 4; ++i) SendMessageA(view_, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(1324, Object(copy).frame.left);
    ASSERT_EQ(0, DoEditOperation(view_, EditDuplicate, 0, nullptr));
    EXPECT_EQ(1324 + 324, Object(Count() - 1).frame.left);
    EXPECT_EQ(1300 + 300, Object(Count() - 1).frame.top);
}

TEST_F(ArrangeTest, DeleteKeyClearsOnlyASelection)
{
    int row = Add({1000, 1000, 1600, 1300});
    Add({2000, 1000, 2600, 1300});
    for (int key : {VK_DELETE, VK_BACK}) {
        SCOPED_TRACE(key);
        Select({}, -1);
        const int before = Count();
        SendMessageA(view_, WM_KEYDOWN, key, 0);
        EXPECT_EQ(before, Count());
        Select({row}, row);
        SendMessageA(view_, WM_KEYDOWN, key, 0);
        EXPECT_EQ(before - 1, Count());
        row = 0;
    }
}

TEST_F(ArrangeTest, NudgeOfOnlyHookedObjectsWarns)
{
    int target = Add({1000, 1000, 1600, 1600});
    int line = Add({2000, 2000, 2600, 2000}, ClassLine, 0);
    Hook(line, target);
    Select({line}, line);
    Locked<Drawing> d = D();
    EXPECT_EQ(0, NudgeSelection(state_, d.get(), VK_RIGHT));
    EXPECT_TRUE(Shown(28));
}

TEST_F(ArrangeTest, LockTogglesTheSelection)
{
    int a = Add({100, 100, 400, 400});
    int b = Add({500, 100, 800, 400});
    int c = Add({900, 100, 1200, 400});
    int g1 = Add({100, 900, 400, 1200});
    int g2 = Add({500, 900, 800, 1200});
    Group(3, {g1, g2});
    Change(b, [](DrawObject& o) { o.state |= StateLocked; });
    Select({a, b, c}, a);
    auto locked = [&](int row) { return (Object(row).state & StateLocked) != 0; };
    {
        Locked<Drawing> d = D();
        ASSERT_EQ(0, ToggleLockSelection(state_, d.get()));
    }
    EXPECT_FALSE(locked(a) || locked(b) || locked(c));
    Select({a, g1, g2}, a);
    {
        Locked<Drawing> d = D();
        ASSERT_EQ(0, ToggleLockSelection(state_, d.get()));
    }
    EXPECT_TRUE(locked(a));
    EXPECT_FALSE(locked(g1) || locked(g2));
}

TEST_F(ArrangeTest, FlipSwapsGroupMembersAndKeepsTheGroupAngle)
{
    for (int angle : {0, 300}) {
        SCOPED_TRACE(angle);
        TearDown();
        SetUp();
        int left = Add({1000, 1000, 1400, 1300}, ClassShape, ShapePentagon);
        int right = Add({1600, 1000, 1800, 1300}, ClassShape, ShapePentagon);
        int index = Group(5, {left, right});
        if (angle != 0) {
            const RECT frame = GroupAt(index).frame;
            POINT corner = {frame.right, frame.bottom};
            RotatePoints(&frame, angle, &corner, 1);
            ASSERT_EQ(0, RotateGroup(state_, index, 4, corner.x, corner.y, TRUE));
        }
        // The turn reads its angle back from a rounded corner: a tenth of a degree may differ.
        const INT32 turned = GroupAt(index).angle;
        ASSERT_NEAR(angle, turned, 1);
        Select({left, right}, left);
        {
            Locked<Drawing> d = D();
            ASSERT_EQ(0, FlipSelection(state_, d.get(), OptMirrorH));
        }
        if (angle == 0) {
            EXPECT_EQ(1400, Object(left).frame.left);
            EXPECT_EQ(1000, Object(right).frame.left);
        }
        EXPECT_TRUE(Object(left).options & OptMirrorH);
        EXPECT_TRUE(Object(right).options & OptMirrorH);
        EXPECT_EQ(turned, GroupAt(index).angle);
    }
}

TEST_F(ArrangeTest, FlipOfAHookedLineIsRefused)
{
    int target = Add({1000, 1000, 1600, 1600});
    int line = Add({2000, 2000, 2600, 2000}, ClassLine, 0);
    Hook(line, target);
    Select({line}, line);
    EXPECT_FALSE(CheckFlipAllowed(state_));
    EXPECT_TRUE(Shown(66));
    Change(line, [](DrawObject& o) { o.hooks[0].holderCode = 305; });
    EXPECT_TRUE(CheckFlipAllowed(state_));
}

TEST_F(ArrangeTest, HideShadowShowsAllThenHidesAll)
{
    int a = Add({100, 100, 400, 400});
    int b = Add({500, 100, 800, 400});
    Change(b, [](DrawObject& o) { o.options |= OptShadowHidden; });
    Select({a, b}, a);
    for (bool hidden : {false, true}) {
        Locked<Drawing> d = D();
        ASSERT_EQ(0, ToggleShadowOption(state_, d.get(), OptShadowHidden));
        d.Unlock();
        EXPECT_EQ(hidden, (Object(a).options & OptShadowHidden) != 0);
        EXPECT_EQ(hidden, (Object(b).options & OptShadowHidden) != 0);
    }
}

TEST_F(ArrangeTest, ArrowheadDefaultsKeepTheBytesLeftOpen)
{
    Locked<Drawing> d = D();
    d->defaultArrowStart = 0x0102;
    d->defaultArrowEnd = 0x0304;
    d->defaultArrowSize = 7;
    DrawObject chosen = {};
    chosen.arrowStart = 0xFFFF;
    chosen.arrowEnd = 0xFF03;
    chosen.arrowSize = -1;
    SetArrowheadDefaults(d.get(), &chosen);
    EXPECT_EQ(0x0102, d->defaultArrowStart);
    EXPECT_EQ(0x0303, d->defaultArrowEnd);
    EXPECT_EQ(7, d->defaultArrowSize);
}

TEST_F(ArrangeTest, FillColourIndexesOfTheStyleCommand)
{
    int row = Add({100, 100, 400, 400});
    Select({row}, row);
    ApplyStyleCommand(OM_SETFILLCOLOR, 5);
    EXPECT_EQ(settings_.standardColors[5], Object(row).fillColor);
    ApplyStyleCommand(OM_SETFILLCOLOR, 48);
    EXPECT_EQ(static_cast<COLORREF>(-1), Object(row).fillColor);
    EXPECT_EQ(48, state_->undoLabel);
}

TEST_F(ArrangeTest, ShowGridRepaintsEveryDrawing)
{
    // A changed first document stays open beside the new one.
    state_->flags |= DocModified;
    HWND second = CreateDocumentWindow(nullptr, DocModeBlank);
    ASSERT_NE(nullptr, second);
    std::vector<HWND> views = {view_, GetDocumentView(second)};
    for (HWND v : views) {
        Locked<DocumentState> s(GetDocumentStateHandle(v));
        s->flags &= ~static_cast<DWORD>(DocRedraw);
    }
    const DWORD before = settings_.flags & SetShowGrid;
    ToggleShowGrid();
    EXPECT_NE(before, settings_.flags & SetShowGrid);
    for (HWND v : views) {
        Locked<DocumentState> s(GetDocumentStateHandle(v));
        EXPECT_TRUE(s->flags & DocRedraw);
    }
}

TEST_F(ArrangeTest, RotateAskedStartsFromTheGroupAngleAndCancelChangesNothing)
{
    int a = Add({1000, 1000, 1400, 1300});
    int b = Add({1600, 1000, 1800, 1300});
    int index = Group(5, {a, b});
    {
        Locked<Drawing> d = D();
        Locked<GroupTable> g(d->groupTable);
        (*g)[index].angle = 300;
    }
    Select({a, b}, a);
    static INT32 asked;
    asked = -5;
    g_parameterDialogPrompt = [](LPCSTR name, void* values) {
        if (lstrcmpA(name, "SETANGLE") == 0) asked = *static_cast<INT32*>(values);
        return 0;
    };
    const RECT before = Object(a).frame;
    RotateSelectionCommand(-1);
    EXPECT_EQ(300, asked);
    EXPECT_EQ(before, Object(a).frame);
}

TEST_F(ArrangeTest, RotateVerticalMovesAGroupBackOntoTheArea)
{
    // 390 wide and 1000 high: turned upright it reaches 295 past the right edge.
    int a = Add({5600, 1000, 5800, 2000});
    int b = Add({5850, 1000, 5990, 2000});
    int index = Group(5, {a, b});
    Select({a, b}, a);
    RotateSelectionCommand(900);
    const GroupEntry group = GroupAt(index);
    EXPECT_EQ(900, group.angle);
    // The turned frame's corners end at the right edge, no further.
    const RECT& f = group.frame;
    POINT corners[4] = {{f.left, f.top}, {f.right, f.top}, {f.right, f.bottom}, {f.left, f.bottom}};
    RotatePointsAboutRect(&f, group.angle, corners, 4);
    LONG right = 0;
    for (const POINT& p : corners) right = p.x > right ? p.x : right;
    EXPECT_GE(right, 5990);
    EXPECT_LE(right, 6000);
    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_EQ(5600, Object(a).frame.left);
    EXPECT_EQ(0, GroupAt(index).angle);
}

TEST_F(ArrangeTest, TypingOpensTheEditorAndHandsItTheQueuedCharacters)
{
    int row = Add({1000, 1000, 2200, 1900});
    Select({row}, row);
    g_received.clear();
    MSG pending;
    while (PeekMessageA(&pending, view_, WM_CHAR, WM_CHAR, PM_REMOVE)) {}
    PostMessageA(view_, WM_CHAR, 'b', 1);
    PostMessageA(view_, WM_CHAR, 'c', 1);
    // The editor is made inside the call: catch its creation to watch what it receives.
    HHOOK hook = SetWindowsHookExA(WH_CBT, WatchEditorCreation, nullptr, GetCurrentThreadId());
    SendMessageA(view_, WM_CHAR, 'a', 1);
    UnhookWindowsHookEx(hook);
    ASSERT_NE(nullptr, state_->textEditor);
    EXPECT_EQ("abc", g_received);
    EXPECT_FALSE(PeekMessageA(&pending, view_, WM_CHAR, WM_CHAR, PM_NOREMOVE));
    // The editor has the focus now: a key goes to it directly, once.
    SetFocus(state_->textEditor);
    g_received.clear();
    SendMessageA(view_, WM_CHAR, 'd', 1);
    EXPECT_EQ("d", g_received);
}

TEST_F(ArrangeTest, EnterOpensTheEditorWithoutTyping)
{
    int row = Add({1000, 1000, 2200, 1900});
    Select({row}, row);
    g_received.clear();
    HHOOK hook = SetWindowsHookExA(WH_CBT, WatchEditorCreation, nullptr, GetCurrentThreadId());
    SendMessageA(view_, WM_CHAR, VK_RETURN, 1);
    UnhookWindowsHookEx(hook);
    ASSERT_NE(nullptr, state_->textEditor);
    EXPECT_EQ("", g_received);
}

TEST_F(ArrangeTest, CharactersThatOpenNothing)
{
    int line = Add({1000, 1000, 2000, 1000}, ClassLine, 0);
    int shape = Add({3000, 3000, 3600, 3600});
    struct Case {
        const char* name;
        std::vector<int> selected;
        int ch;
    };
    const Case cases[] = {{"control code", {shape}, 9}, {"delete", {shape}, 127}, {"nothing takes text", {}, 'a'}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Select(c.selected, c.selected.empty() ? -1 : c.selected[0]);
        SendMessageA(view_, WM_CHAR, c.ch, 1);
        EXPECT_EQ(nullptr, state_->textEditor);
    }
    (void)line;
}

TEST_F(ArrangeTest, ZoomCursorWhileShiftAndCtrlAreHeld)
{
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    BYTE saved[2] = {keys[VK_SHIFT], keys[VK_CONTROL]};
    keys[VK_SHIFT] = keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageA(view_, WM_KEYDOWN, VK_CONTROL, 0);
    EXPECT_EQ(11, GetCurrentCursorIndex());
    SendMessageA(view_, WM_KEYUP, VK_SHIFT, 0);
    EXPECT_EQ(0, GetCurrentCursorIndex());
    keys[VK_SHIFT] = saved[0];
    keys[VK_CONTROL] = saved[1];
    SetKeyboardState(keys);
}

TEST_F(ArrangeTest, PagingKeysScrollAlsoWithoutADrawing)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    SetScrollRange(view_, SB_VERT, 0, 5000, TRUE);
    SetScrollPos(view_, SB_VERT, 0, TRUE);
    SendMessageA(view_, WM_KEYDOWN, VK_NEXT, 0);
    GetScrollInfo(view_, SB_VERT, &info);
    const int paged = info.nPos;
    EXPECT_GT(paged, 0);
    const HGLOBAL drawing = state_->drawing;
    state_->drawing = nullptr;
    SendMessageA(view_, WM_KEYDOWN, VK_PRIOR, 0);
    state_->drawing = drawing;
    GetScrollInfo(view_, SB_VERT, &info);
    EXPECT_LT(info.nPos, paged);
}

TEST_F(ArrangeTest, PageGridOfTheExtent)
{
    struct Case {
        RECT frame;
        int firstRow, rows, firstColumn, columns;
    };
    const Case cases[] = {
        {{100, 100, 4800, 600}, 0, 1, 0, 1},     // the right edge on the page boundary opens no page
        {{100, 100, 4801, 600}, 0, 1, 0, 2},
        {{5000, 6100, 5400, 6500}, 1, 1, 1, 1},
    };
    state_->printableWidth = 4800;
    state_->printableHeight = 6000;
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        state_->areaWidth = state_->areaHeight = 20000;
        state_->printableWidth = 4800;
        state_->printableHeight = 6000;
        int row = Add(c.frame);
        Change(row, [](DrawObject& o) { o.lineWidth = 0; });
        int selection = -1, firstRow, rows, firstColumn, columns;
        RECT extent;
        ASSERT_TRUE(ComputePageTiles(state_, &selection, &firstRow, &rows, &firstColumn, &columns, &extent));
        EXPECT_EQ(0, selection);
        EXPECT_EQ(c.firstRow, firstRow) << extent;
        EXPECT_EQ(c.rows, rows) << extent;
        EXPECT_EQ(c.firstColumn, firstColumn) << extent;
        EXPECT_EQ(c.columns, columns) << extent;
    }
}

TEST_F(ArrangeTest, LabelsFilledWithTheBackgroundFollowIt)
{
    int label = Add({100, 100, 400, 400});
    int plain = Add({500, 100, 800, 400});
    for (int row : {label, plain}) Change(row, [](DrawObject& o) { o.fillPattern = 1; o.fillColor = 0xFFFFFF; });
    Change(label, [](DrawObject& o) { o.state |= StateAttachedLabel; });
    const COLORREF blue = RGB(0, 0, 255);
    {
        Locked<Drawing> d = D();
        d->style.backgroundColor = static_cast<COLORREF>(-1);   // none: the labels' white
    }
    ASSERT_EQ(0, SetBackgroundColor(-1, blue, TRUE));
    EXPECT_EQ(blue, Object(label).fillColor);
    EXPECT_EQ(0xFFFFFFu, Object(plain).fillColor);
    ASSERT_EQ(0, SetBackgroundColor(48, 0, FALSE));
    EXPECT_EQ(0xFFFFFFu, Object(label).fillColor);
    EXPECT_EQ(44, state_->undoLabel);
}

}  // namespace
