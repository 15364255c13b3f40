// Services of the neighbouring subsystems that the model relies on: handle codes, grid snap,
// edit error messages through the program's one prompt, attachments, the paste position.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editing/edit_services.h"
#include "frame/frame_services.h"
#include "model/links.h"
#include "model/objects.h"
#include "support/model_fixture.h"
#include "support/prompt_answerer.h"
#include "store/block_store.h"

TEST(Services, HandleCodeAtPointTestsCornersBeforeSides)
{
    RECT r = {0, 0, 100, 50};
    struct Case {
        int x, y, code;
    };
    for (Case c : {Case{0, 50, 3}, {0, 0, 1}, {100, 0, 2}, {100, 50, 4}, {100, 20, 8}, {0, 20, 7}, {40, 0, 5},
                   {40, 50, 6}, {40, 20, 6}})
        EXPECT_EQ(c.code, HandleCodeAtPoint(&r, c.x, c.y)) << c.x << "," << c.y;
    for (auto [code, opposite] : {std::pair{1, 4}, {4, 1}, {2, 3}, {3, 2}, {5, 6}, {6, 5}, {7, 8}, {8, 7}, {0, 1}, {9, 1}})
        EXPECT_EQ(opposite, OppositeSide(code)) << code;
}

TEST_F(ModelTest, SnapGoesToTheNearestSubdivision)
{
    Locked<Drawing> d = LockDrawing();
    // Inches, scale 100, 12 divisions: a mark every 8 1/3 hundredths of an inch, kept in whole
    // hundredths (6 units each).
    struct Case {
        LONG v, snapped;
    };
    for (Case c : {Case{0, 0}, {24, 0}, {26, 48}, {574, 546}, {576, 600}, {1230, 1248}}) {
        POINT p = {c.v, c.v};
        SnapPointToGrid(d.get(), &p, 0);
        EXPECT_EQ(c.snapped, p.x) << c.v;
        EXPECT_EQ(c.snapped, p.y) << c.v;
    }
}

TEST(Services, EditErrorsShowTheirTextsThroughTheProgramsPrompt)
{
    HWND frame = CreateWindowA("STATIC", "frame", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    g_frameWindow = frame;
    PromptAnswerer prompts;
    for (int code : {10009, 10010, 10011, 10013, 12}) ReportEditError(code);
    g_warningsSuppressed = TRUE;
    ReportEditError(10010);   // suppressed: nothing shown
    g_warningsSuppressed = FALSE;
    ShowWindow(frame, SW_HIDE);
    ReportEditError(10010);   // hidden frame: nothing shown
    EXPECT_EQ(0, RunInfoDialog("HINT_CONN", 207));
    std::vector<std::string> expected = {
        "Vexlor: Making this change would force some of your objects outside the bounds of the drawing area.",
        "Vexlor: Adding more objects would exceed the limit of 16,000 objects per drawing.",
        "Vexlor: Adding more links would exceed the limit of 6000 links per drawing.",
        "INFO_BADMETA",
        "Vexlor: Disk or memory error occurred. Unable to complete this operation.",
    };
    EXPECT_EQ(expected, prompts.shown());
    g_frameWindow = nullptr;
    DestroyWindow(frame);
}

TEST_F(ModelTest, AttachmentIsFoundByTheObjectsId)
{
    int row = Add(ClassShape);
    DrawObject object = Object(row);
    EXPECT_EQ(0, HasAttachment(slot_, &object));
    HGLOBAL block = nullptr;
    ASSERT_EQ(0, AddRecord(slot_, 117, object.objId, 40, &block));
    EXPECT_EQ(1, HasAttachment(slot_, &object));
}

TEST_F(ModelTest, PastePositionStaysInsideThePage)
{
    Locked<Drawing> d = LockDrawing();
    POINT p;
    RECT small = {0, 0, 600, 600};
    GetPastePosition(d.get(), &small, &p);
    EXPECT_EQ(300, p.x);
    EXPECT_EQ(300, p.y);
    d->pageWidth = 800;
    d->pageHeight = 5000;
    GetPastePosition(d.get(), &small, &p);
    EXPECT_EQ(200, p.x);
    EXPECT_EQ(300, p.y);
}

TEST_F(ModelTest, DeleteTellsTheClassThenUnhooksItsHolders)
{
    int shape = Add(ClassShape);
    int line = Add(ClassLine);
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), line, -1, shape, 1, 0, 0));
    }
    g_recorder.Clear();
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, DeleteObjects(d.get(), FALSE, shape));
    }
    ASSERT_GE(g_recorder.log.size(), 2u);
    EXPECT_EQ(OM_DELETE, g_recorder.log[0].message);
    EXPECT_EQ(1, g_recorder.log[0].objId);
    EXPECT_EQ(OM_HOOKCHANGED, g_recorder.log[1].message);
    EXPECT_EQ(2, g_recorder.log[1].objId);
    EXPECT_EQ(0, g_recorder.log[1].b);
    EXPECT_EQ(0, Object(0).hookCount);
    EXPECT_TRUE(Links().empty());
}
