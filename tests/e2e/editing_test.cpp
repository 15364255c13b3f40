// Editing as a person does it with the real program: select, move, resize, rotate and undo;
// duplicate and align; type, bold and commit text.
#include "e2e/e2e_fixture.h"

using namespace scenes;

namespace {

RECT EdgeStrip(POINT a, POINT b)
{
    return RECT{a.x, a.y - 2, b.x, a.y + 3};
}

}  // namespace

TEST_F(EndToEnd, SelectMoveResizeRotateAndUndo)
{
    const std::string path = Input(kShapesFile);
    Start(path);
    ShowsAt100(kShapeWide, kRed);

    ClickAt(Centre(kShapeWide));
    WaitForView("handles round the clicked shape only", [&](const e2e::Shot& shot) {
        return HandleCornersShown(shot, kShapeWide) == 4 && HandleCornersShown(shot, kShapeSecond) == 0;
    });

    const RECT moved = Offset(kShapeWide, 600, 600);
    DragAt(Centre(kShapeWide), Centre(moved), 6,
           EdgeStrip(At(kShapeWide.right + 60, moved.bottom), At(moved.right - 60, moved.bottom)));
    WaitForView("the shape moved with its handles", [&](const e2e::Shot& shot) {
        return Filled(shot, moved, kRed) && e2e::IsWhite(shot.At(At(kShapeWide.left + 150, kShapeWide.top + 150))) &&
               HandleCornersShown(shot, moved) == 4;
    });

    // The bottom-right corner handle pulled 600 right and 300 down.
    const RECT resized = {moved.left, moved.top, moved.right + 600, moved.bottom + 300};
    DragAt({moved.right, moved.bottom}, {resized.right, resized.bottom});
    WaitForView("the shape resized by its corner", [&](const e2e::Shot& shot) {
        return Filled(shot, resized, kRed) && HandleCornersShown(shot, resized) == 4;
    });

    // The rotation handle (66 units inside the right side, halfway down) dragged to straight
    // above the centre: a quarter turn counter-clockwise about the centre.
    const POINT centre = Centre(resized);
    const int halfWidth = (resized.right - resized.left) / 2, halfHeight = (resized.bottom - resized.top) / 2;
    DragAt({resized.right - 66, centre.y}, {centre.x, centre.y - halfWidth});
    auto upright = [&](const e2e::Shot& shot) {
        return e2e::Near(shot.At(At(centre.x, centre.y - halfWidth + 120)), kRed) &&
               e2e::Near(shot.At(At(centre.x, centre.y + halfWidth - 120)), kRed) &&
               e2e::IsWhite(shot.At(At(centre.x - halfHeight - 150, centre.y)));
    };
    WaitForView("the shape turned upright", upright);

    Keys('Z', {VK_CONTROL});
    WaitForView("the turn undone", [&](const e2e::Shot& shot) {
        return Filled(shot, resized, kRed) && e2e::IsWhite(shot.At(At(centre.x, centre.y - halfWidth + 120)));
    });

    SaveWithKeys(path, false);
    ReadSaved(path);
    ASSERT_EQ(3, Count());
    EXPECT_EQ(resized, Object(0).frame);
    EXPECT_EQ(0, Object(0).angle);
}

TEST_F(EndToEnd, DuplicateRepeatsTheStepAndAlignLinesUpTheLefts)
{
    const std::string path = Input(kShapesFile);
    Start(path);
    ShowsAt100(kShapeWide, kRed);

    ClickAt(Centre(kShapeWide));
    Keys('D', {VK_CONTROL});
    // The copy lies 300 units right and down, selected in place of the original.
    const RECT copy = Offset(kShapeWide, 300, 300);
    WaitForView("the copy with the handles", [&](const e2e::Shot& shot) {
        return e2e::Near(shot.At(At(copy.right - 150, copy.bottom - 100)), kRed) &&
               HandleCornersShown(shot, copy) == 4 && HandleCornersShown(shot, kShapeWide) == 0;
    });
    // Dragged 600 further right, the next Duplicate repeats the whole step.
    const RECT placed = Offset(copy, 600, 0);
    DragAt(Centre(copy), Centre(placed), 6, EdgeStrip(At(copy.right + 60, placed.bottom), At(placed.right - 60, placed.bottom)));
    Keys('D', {VK_CONTROL});
    const RECT third = Offset(placed, 900, 300);
    WaitForView("the second copy one step on", [&](const e2e::Shot& shot) {
        return e2e::Near(shot.At(At(third.right - 150, third.bottom - 100)), kRed) &&
               HandleCornersShown(shot, third) == 4;
    });

    // Blue, then green with Shift: green is the current object, and Align Lefts lines blue up
    // with it.
    ClickAt(Centre(kShapeThird));
    ClickAt(Centre(kShapeSecond), {VK_SHIFT});
    Menu("DAL");
    const RECT aligned = Offset(kShapeThird, kShapeSecond.left - kShapeThird.left, 0);
    WaitForView("the blue shape under the green one's left edge", [&](const e2e::Shot& shot) {
        return Filled(shot, aligned, kBlue) && e2e::IsWhite(shot.At(At(Centre(kShapeThird)))) &&
               Filled(shot, kShapeSecond, kGreen);
    });

    SaveWithKeys(path, false);
    ReadSaved(path);
    ASSERT_EQ(5, Count());
    EXPECT_EQ(kShapeWide, Object(0).frame);
    EXPECT_EQ(kShapeSecond, Object(1).frame);
    EXPECT_EQ(aligned, Object(2).frame);
    EXPECT_EQ(placed, Object(3).frame);
    EXPECT_EQ(third, Object(4).frame);
}

TEST_F(EndToEnd, TypedTextIsBoldedAndCommitted)
{
    const std::string path = Input(kSingleFile);
    Start(path);
    ShowsAt100(kSingle, kYellow);

    // A key pressed with a shape selected starts its text.
    ClickAt(Centre(kSingle));
    TypeText("Go now");
    Keys(VK_LEFT, {VK_CONTROL, VK_SHIFT});
    Keys('B', {VK_CONTROL});
    ClickAt({4800, 3600});   // empty paper ends the typing
    RECT inside = kSingle;
    InflateRect(&inside, -60, -60);
    WaitForView("the text inside the shape", [&](const e2e::Shot& shot) {
        return shot.Count(AtRect(inside), e2e::IsDark) > 20;
    });

    SaveWithKeys(path, false);
    ReadSaved(path);
    ASSERT_EQ(1, Count());
    EXPECT_EQ("Go now", ObjectText(0));
    // Each character's weight, as the stored runs give it.
    std::string weights;
    for (const TextRun& run : ObjectRuns(0))
        for (int i = 0; i < run.charCount; ++i) weights += (run.style & 1) ? 'B' : '-';
    EXPECT_EQ("---BBB", weights);
}
