// Documents as a person handles them in the real program: save, close and reopen; two
// documents tiled and cascaded.
#include "e2e/e2e_fixture.h"

using namespace scenes;

namespace {

bool Overlap(const RECT& a, const RECT& b)
{
    RECT both;
    return IntersectRect(&both, &a, &b) != FALSE;
}

RECT WindowRectOf(HWND window)
{
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

}  // namespace

TEST_F(EndToEnd, SavedClosedAndReopenedTheViewIsTheSame)
{
    const std::string path = Input(kHooksFile);
    Start(path);
    ShowsAt100(kHookA, kRed);
    // A change to save: shape C, which nothing hooks, moved right.
    const RECT movedC = Offset(kHookC, 600, 0);
    DragAt(Centre(kHookC), Centre(movedC), 6,
           RECT{At(movedC.right, movedC.top + 150).x - 2, At(movedC.right, movedC.top + 150).y,
                At(movedC.right, movedC.top + 150).x + 3, At(movedC.right, movedC.bottom - 150).y});
    ClickAt({6000, 4800});   // nothing selected: no handles in the picture
    e2e::Shot before;
    WaitForView("C moved and nothing selected", [&](const e2e::Shot& shot) {
        before = shot;
        return Filled(shot, movedC, kBlue) && HandleCornersShown(shot, movedC) == 0;
    });
    // The picture settled: two looks in a row agree.
    ASSERT_TRUE(e2e::WaitUntil([&] {
        const e2e::Shot again = ViewShot();
        const bool same = again.pixels() == before.pixels();
        before = again;
        return same;
    }));

    SaveWithKeys(path, false);
    Keys('W', {VK_CONTROL});
    ASSERT_TRUE(e2e::WaitUntil([&] { return program_.Documents().empty(); })) << "the document did not close";
    OpenWithDialog(path);
    Keys(VK_HOME);
    int differing = 0;
    const bool same = WaitForView("the reopened drawing pixel for pixel as it was saved", [&](const e2e::Shot& shot) {
        differing = 0;
        if (shot.width() != before.width() || shot.height() != before.height()) return false;
        for (size_t i = 0; i < shot.pixels().size(); ++i)
            if (shot.pixels()[i] != before.pixels()[i]) ++differing;
        return differing == 0;
    });
    if (!same) {
        ADD_FAILURE() << differing << " pixels differ from the view before saving (" << SaveShot(before, "saved-view")
                      << ")";
    }
}

TEST_F(EndToEnd, TwoDocumentsTileAndCascade)
{
    Start(Input(kSingleFile));
    ShowsAt100(kSingle, kYellow);
    const std::string second = Input(kSecondFile);
    OpenWithDialog(second);
    ASSERT_EQ(2u, program_.Documents().size());

    const RECT client = e2e::ViewScreenRect(program_.MdiClient());
    const long clientArea = (client.right - client.left) * (client.bottom - client.top);
    Menu("WT");
    std::vector<HWND> documents;
    auto tiled = [&] {
        documents = program_.Documents();
        if (documents.size() != 2) return false;
        const RECT a = WindowRectOf(documents[0]), b = WindowRectOf(documents[1]);
        RECT inA, inB;
        const long area = (a.right - a.left) * (a.bottom - a.top) + (b.right - b.left) * (b.bottom - b.top);
        return !Overlap(a, b) && IntersectRect(&inA, &a, &client) && EqualRect(&inA, &a) &&
               IntersectRect(&inB, &b, &client) && EqualRect(&inB, &b) && area * 100 >= clientArea * 95;
    };
    ASSERT_TRUE(e2e::WaitUntil(tiled)) << "the two windows do not share the frame side by side";
    // Each tiled window shows its own drawing from its top-left corner.
    for (HWND document : documents) {
        HWND view = program_.View(document);
        const POINT centre = e2e::DrawingToScreen(view, 1000, {0, 0}, Centre(kSingle).x, Centre(kSingle).y);
        EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Near(e2e::Capture(RECT{centre.x, centre.y, centre.x + 1, centre.y + 1}).At(centre), kYellow); }))
            << "a tiled window does not show its drawing";
    }

    Menu("WC");
    auto cascaded = [&] {
        documents = program_.Documents();
        if (documents.size() != 2) return false;
        const RECT front = WindowRectOf(documents[0]), back = WindowRectOf(documents[1]);
        const int dx = front.left - back.left, dy = front.top - back.top;
        return Overlap(front, back) && dx > 0 && dx == dy && front.right - front.left == back.right - back.left &&
               front.bottom - front.top == back.bottom - back.top;
    };
    EXPECT_TRUE(e2e::WaitUntil(cascaded)) << "the windows are not cascaded, the front one down and right of the other";
}
