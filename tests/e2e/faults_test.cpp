// Faults a person met in the first minutes with the real program, each as a scenario of real
// input checked on the screen and in the saved file.
#include <cstring>

#include "e2e/e2e_fixture.h"

using namespace scenes;

namespace {

// A strip of the screen along the horizontal edge at drawing y `y` between x0 and x1, where a
// drag's outline passes.
RECT EdgeStrip(POINT a, POINT b)
{
    return RECT{a.x, a.y - 2, b.x, a.y + 3};
}

}  // namespace

TEST_F(EndToEnd, HookedLinesFollowAShapeDraggedWithTheMouse)
{
    const std::string path = Input(kHooksFile);
    Start(path);
    ShowsAt100(kHookA, kRed);

    // A dragged down by 1200 units: the connector and the line hooked to it come along.
    const RECT movedA = Offset(kHookA, 0, 1200);
    DragAt(Centre(kHookA), Centre(movedA), 8,
           EdgeStrip(At(movedA.left + 120, movedA.bottom), At(movedA.right - 120, movedA.bottom)));
    const POINT connectorStart = {movedA.right, Centre(movedA).y};
    const POINT lineStart = {Centre(movedA).x, movedA.bottom};
    const POINT lineEnd = {Centre(kHookB).x, kHookB.bottom};
    WaitForView("shape A moved with the connector leaving its right side and the line its bottom",
                [&](const e2e::Shot& shot) {
                    return Filled(shot, movedA, kRed) &&
                           InkAlong(shot, connectorStart, {connectorStart.x + 240, connectorStart.y}) == 3 &&
                           InkAlong(shot, lineStart, lineEnd) == 3;
                });

    // A connector's end dragged onto C hooks there, and then follows C.
    ClickAt({(kFreeConnector.left + kFreeConnector.right) / 2, kFreeConnector.top});
    const POINT onC = {kHookC.right, Centre(kHookC).y};
    DragAt({kFreeConnector.left, kFreeConnector.top}, onC);
    const RECT movedC = Offset(kHookC, 0, 600);
    DragAt(Centre(kHookC), Centre(movedC), 6,
           EdgeStrip(At(movedC.left + 120, movedC.bottom), At(movedC.right - 120, movedC.bottom)));
    const POINT freeStart = {movedC.right, Centre(movedC).y};
    WaitForView("the connector's end on shape C after C moved", [&](const e2e::Shot& shot) {
        return Filled(shot, movedC, kBlue) && InkAlong(shot, freeStart, {freeStart.x + 240, freeStart.y}) == 3;
    });

    SaveWithKeys(path, false);
    ReadSaved(path);
    ASSERT_EQ(kRowFree + 1, Count());
    EXPECT_EQ(movedA, Object(kRowA).frame);
    EXPECT_EQ(movedC, Object(kRowC).frame);
    const POINT expectedEnds[][2] = {
        {connectorStart, {kHookB.left, Centre(kHookB).y}},   // connector
        {lineStart, lineEnd},                                 // line
    };
    for (int i = 0; i < 2; ++i) {
        const int row = kRowConnector + i;
        EXPECT_EQ(expectedEnds[i][0].x, LineEnd(row, 1).x) << "row " << row;
        EXPECT_EQ(expectedEnds[i][0].y, LineEnd(row, 1).y) << "row " << row;
        EXPECT_EQ(expectedEnds[i][1].x, LineEnd(row, 2).x) << "row " << row;
        EXPECT_EQ(expectedEnds[i][1].y, LineEnd(row, 2).y) << "row " << row;
    }
    const DrawObject free = Object(kRowFree);
    ASSERT_GE(free.hookCount, 1);
    EXPECT_EQ(Object(kRowC).objId, free.hooks[0].targetId);
    EXPECT_EQ(freeStart.x, LineEnd(kRowFree, 1).x);
    EXPECT_EQ(freeStart.y, LineEnd(kRowFree, 1).y);
}

TEST_F(EndToEnd, RubberBandSelectsWhatItEnclosesAndLeavesNoTrace)
{
    Start(Input(kShapesFile));
    ShowsAt100(kShapeWide, kRed);

    // From empty paper round the red shape only, in steps.
    const POINT from = {600, 600}, to = {3000, 2700};
    DragAt(from, to, 8);
    WaitForView("handles round the red shape and none round the green one", [&](const e2e::Shot& shot) {
        return HandleCornersShown(shot, kShapeWide) == 4 && HandleCornersShown(shot, kShapeSecond) == 0;
    });
    // Neither the last band nor the first step's band is left on the paper.
    const POINT firstStep = {from.x + (to.x - from.x) / 8, from.y + (to.y - from.y) / 8};
    WaitForView("no band left on the paper", [&](const e2e::Shot& shot) {
        return InkAlong(shot, from, {to.x, from.y}) == 0 && InkAlong(shot, from, {from.x, to.y}) == 0 &&
               InkAlong(shot, {to.x, from.y}, to) == 0 && InkAlong(shot, from, {firstStep.x, from.y}) == 0 &&
               InkAlong(shot, {firstStep.x, from.y}, firstStep) == 0;
    });

    // Clicks and Select All still land where the pointer is.
    ClickAt(Centre(kShapeSecond));
    WaitForView("handles round the green shape only after a click on it", [&](const e2e::Shot& shot) {
        return HandleCornersShown(shot, kShapeSecond) == 4 && HandleCornersShown(shot, kShapeWide) == 0;
    });
    Keys('A', {VK_CONTROL});
    WaitForView("handles round all three shapes after Select All", [&](const e2e::Shot& shot) {
        return HandleCornersShown(shot, kShapeWide) == 4 && HandleCornersShown(shot, kShapeSecond) == 4 &&
               HandleCornersShown(shot, kShapeThird) == 4;
    });
}

TEST_F(EndToEnd, MovingAGroupMovesItsFrame)
{
    const std::string path = Input(kGroupFile);
    Start(path);
    ShowsAt100(kGroupLeft, kRed);
    RECT both;
    UnionRect(&both, &kGroupLeft, &kGroupRight);

    ClickAt(Centre(kGroupLeft));
    WaitForView("the group's handles round both members", [&](const e2e::Shot& shot) {
        return HandleCornersShown(shot, both) == 4;
    });
    // One member dragged by its body, 60 pixels left and down: the group goes with it whole.
    const int d = 60 * UnitsPerPixel();
    const RECT left = Offset(kGroupLeft, -d, d), right = Offset(kGroupRight, -d, d), moved = Offset(both, -d, d);
    DragAt(Centre(kGroupLeft), Centre(left), 6,
           EdgeStrip(At(left.left + 120, left.bottom), At(left.right - 120, left.bottom)));
    auto movedWhole = [&](const e2e::Shot& shot) {
        return Filled(shot, left, kRed) && Filled(shot, right, kGreen) && HandleCornersShown(shot, moved) == 4 &&
               HandleCornersShown(shot, both) == 0;
    };
    WaitForView("both members and the group's handles moved", movedWhole);

    SaveWithKeys(path, false);
    ReadSaved(path);
    const std::vector<GroupEntry> groups = Groups();
    ASSERT_EQ(1u, groups.size());
    EXPECT_EQ(moved, groups[0].frame);
    RECT bounds = moved;
    InflateRect(&bounds, 30, 30);   // the members' update rectangles reach 30 past their frames
    EXPECT_EQ(bounds, groups[0].bounds);

    // Ungroup, then Undo: the group comes back with its frame where the members are.
    Keys('G', {VK_CONTROL, VK_SHIFT});
    Keys('Z', {VK_CONTROL});
    WaitForView("the regrouped members with the group's handles round them", movedWhole);
}

namespace {

// Ink columns of the nth band of inked rows at least `minimumHeight` high inside a screen
// rectangle: a line of text (a caret or a stray mark is lower than a line).
struct TextLineInk {
    int top = -1, bottom = -1;   // rows [top, bottom)
    int left = -1, right = -1;   // first and last inked column
    int widestGap = 0;           // the widest run of blank columns between inked ones
};

TextLineInk LineOfInk(const e2e::Shot& shot, const RECT& area, int nth, int minimumHeight)
{
    TextLineInk line;
    int found = -1, start = -1;
    for (int y = area.top; y <= area.bottom; ++y) {
        const bool inked = y < area.bottom && shot.Count(RECT{area.left, y, area.right, y + 1}, e2e::IsDark) > 0;
        if (inked && start < 0) start = y;
        if (inked || start < 0) continue;
        if (y - start >= minimumHeight && ++found == nth) {
            line.top = start;
            line.bottom = y;
            break;
        }
        start = -1;
    }
    if (line.top < 0) return line;
    int lastInked = -1;
    for (int x = area.left; x < area.right; ++x) {
        if (shot.Count(RECT{x, line.top, x + 1, line.bottom}, e2e::IsDark) == 0) continue;
        if (line.left < 0) line.left = x;
        if (lastInked >= 0 && x - lastInked - 1 > line.widestGap) line.widestGap = x - lastInked - 1;
        lastInked = x;
    }
    line.right = lastInked;
    return line;
}

// The advance of a space and the inked width of "Hello world" ("world" bold), measured with the
// display's own fonts at the size a 24-point text has at `zoom` on a 100-per-inch display.
struct ExpectedText {
    int space = 0;
    int inkWidth = 0;
};

ExpectedText MeasureText(int points, int zoom, const char* regular, const char* bold)
{
    ExpectedText out;
    HDC dc = GetDC(nullptr);
    const int pixels = static_cast<int>((static_cast<long long>(points) * 100 * zoom / 72 + 500) / 1000);
    HFONT plain = CreateFontA(-pixels, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    HFONT heavy = CreateFontA(-pixels, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ old = SelectObject(dc, plain);
    SIZE size;
    GetTextExtentPoint32A(dc, " ", 1, &size);
    out.space = size.cx;
    GetTextExtentPoint32A(dc, regular, static_cast<int>(std::strlen(regular)), &size);
    int width = size.cx;
    ABC first = {};
    GetCharABCWidthsA(dc, static_cast<BYTE>(regular[0]), static_cast<BYTE>(regular[0]), &first);
    SelectObject(dc, heavy);
    GetTextExtentPoint32A(dc, bold, static_cast<int>(std::strlen(bold)), &size);
    width += size.cx;
    ABC last = {};
    const BYTE end = static_cast<BYTE>(bold[std::strlen(bold) - 1]);
    GetCharABCWidthsA(dc, end, end, &last);
    out.inkWidth = width - first.abcA - last.abcC;
    SelectObject(dc, old);
    DeleteObject(plain);
    DeleteObject(heavy);
    ReleaseDC(nullptr, dc);
    return out;
}

}  // namespace

// The black frame of a white shape `width` x `height` pixels on the screen, found as a person
// finds it: the first row with a dark run of nearly its width is its top edge. Empty when none.
RECT FindFramedShape(const e2e::Shot& shot, int width, int height)
{
    for (int y = shot.top(); y < shot.top() + shot.height(); ++y) {
        int run = 0;
        for (int x = shot.left(); x < shot.left() + shot.width(); ++x) {
            run = e2e::IsDark(shot.At(x, y)) ? run + 1 : 0;
            if (run * 10 >= width * 9) {
                const int left = x - run + 1;
                return RECT{left, y, left + width, y + height};
            }
        }
    }
    return RECT{0, 0, 0, 0};
}

TEST_F(EndToEnd, TextKeepsItsSpaceWhereTheStyleChanges)
{
    const std::string path = Input(kTextFile);
    Start(path);

    // The text's line inside the shape wherever the zoom put it: as wide as the display's fonts
    // make "Hello " and a bold "world", with a gap of at least a space between the words.
    auto shownWithSpace = [&](int zoom, int nth, const char* regular, const char* bold) {
        const ExpectedText expected = MeasureText(kTextPoints, zoom, regular, bold);
        const int width = (kTextShape.right - kTextShape.left) * zoom / 6000;
        const int height = (kTextShape.bottom - kTextShape.top) * zoom / 6000;
        TextLineInk line;
        const bool held = WaitForView(std::string(regular) + bold + " with its space at " + std::to_string(zoom / 10) + " %",
                                      [&](const e2e::Shot& shot) {
                                          RECT inside = FindFramedShape(shot, width, height);
                                          if (IsRectEmpty(&inside)) return false;
                                          InflateRect(&inside, -4, -4);
                                          line = LineOfInk(shot, inside, nth, expected.space);
                                          const int inked = line.right - line.left + 1;
                                          return line.top >= 0 && line.widestGap >= expected.space - 1 &&
                                                 std::abs(inked - expected.inkWidth) * 2 <= expected.space + 6;
                                      });
        if (!held)
            ADD_FAILURE() << "at " << zoom / 10 << " %: inked width " << line.right - line.left + 1 << " (expected "
                          << expected.inkWidth << "), widest gap " << line.widestGap << " (a space is "
                          << expected.space << ")";
    };
    shownWithSpace(1000, 0, "Hello ", "world");
    for (int zoom : {750, 2000}) {
        SetZoom(zoom);
        shownWithSpace(zoom, 0, "Hello ", "world");
    }

    // Saved, closed and opened again, the text is stored and drawn whole.
    SetZoom(1000);
    SaveWithKeys(path, false);
    Keys('W', {VK_CONTROL});
    ASSERT_TRUE(e2e::WaitUntil([&] { return program_.Documents().empty(); })) << "the document did not close";
    OpenWithDialog(path);
    Keys(VK_HOME);
    shownWithSpace(1000, 0, "Hello ", "world");
    ReadSaved(path);
    EXPECT_EQ(kText, ObjectText(0));

    // While editing, a new line after the bold word, bold itself, keeps its space too.
    e2e::DoubleClick(At(Centre(kTextShape)));
    ASSERT_TRUE(program_.Settle());
    Keys(VK_END, {VK_CONTROL});
    Keys(VK_RETURN);
    TypeText("Second line");   // bold, as the text before it
    shownWithSpace(1000, 1, "", "Second line");
}

TEST_F(EndToEnd, ClosingADocumentLeavesNoPictureBehind)
{
    const std::string path = Input(kSingleFile);
    Start(path);
    ShowsAt100(kSingle, kYellow);
    HWND client = program_.MdiClient();
    ASSERT_TRUE(client);
    SaveWithKeys(path, false);
    Keys('W', {VK_CONTROL});
    ASSERT_TRUE(e2e::WaitUntil([&] { return program_.Documents().empty(); })) << "the document did not close";
    const COLORREF empty = GetSysColor(COLOR_APPWORKSPACE);
    const RECT area = e2e::ViewScreenRect(client);
    e2e::Shot shot;
    const bool grey = e2e::WaitUntil([&] {
        shot = e2e::Capture(area);
        return shot.Count(area, [&](COLORREF c) { return !e2e::Near(c, empty, 8); }) == 0;
    });
    EXPECT_TRUE(grey) << "the closed drawing still shows on " << shot.Count(area, [&](COLORREF c) {
        return !e2e::Near(c, empty, 8);
    }) << " pixels of the empty frame";
}

TEST_F(EndToEnd, TheCaptionNamesTheActiveDocument)
{
    const std::string path = Input(kSingleFile);
    Start(path);
    auto captionNames = [&](const std::string& name, const std::string& notName) {
        std::string caption;
        const bool held = e2e::WaitUntil([&] {
            caption = program_.Caption();
            return caption.find(name) != std::string::npos &&
                   (notName.empty() || caption.find(notName) == std::string::npos);
        });
        EXPECT_TRUE(held) << "the caption reads \"" << caption << "\"; it should name " << name;
    };
    captionNames(kSingleFile, "");   // opened from the command line
    Keys('N', {VK_CONTROL});
    captionNames("Untitled", kSingleFile);
    Keys('W', {VK_CONTROL});
    captionNames(kSingleFile, "Untitled");   // the remaining document is active again
    Keys('W', {VK_CONTROL});
    std::string caption;
    EXPECT_TRUE(e2e::WaitUntil([&] { return (caption = program_.Caption()) == "Vexlor"; }))
        << "with no document the caption reads \"" << caption << "\"";
    OpenWithDialog(path);
    captionNames(kSingleFile, "");   // reopened
}

TEST_F(EndToEnd, OpenDialogStartsInTheLastFolderWithTheNameToType)
{
    const std::string docs = SceneFolder() + "\\" + kDocsFolder;
    ASSERT_TRUE(CopyFileA((SceneFolder() + "\\" + kSingleFile).c_str(), (docs + "\\one.vxr").c_str(), FALSE));
    const std::string other = WorkFile("other");
    ASSERT_TRUE(CreateDirectoryA(other.c_str(), nullptr));
    for (const char* name : {"two.vxr", "three.vxr"})
        ASSERT_TRUE(CopyFileA((SceneFolder() + "\\" + kSecondFile).c_str(), (other + "\\" + name).c_str(), FALSE));
    Start("", kFolderOptionsFile);

    // Typing a name at once opens it from the folder of the options: the name has the focus.
    auto openByTyping = [&](const std::string& typed, const std::string& title) {
        Keys('O', {VK_CONTROL});
        HWND dialog = program_.WaitForDialog("Open");
        if (!dialog || !program_.Settle()) {
            ADD_FAILURE() << "no Open dialog";
            return false;
        }
        HWND focused = nullptr;
        if (!e2e::WaitUntil([&] { return (focused = program_.FocusedWindow()) == NameBox(dialog); })) {
            char name[64] = {};
            GetClassNameA(focused, name, sizeof name);
            ADD_FAILURE() << "the Open dialog has the focus in a " << name << " (control " << GetDlgCtrlID(focused)
                          << "), not in the file name (" << SaveScreen("focus-" + title) << ")";
        }
        TypeText(typed + "\n");
        const bool opened = e2e::WaitUntil([&] {
            for (const std::string& t : DocumentTitles())
                if (_stricmp(t.c_str(), title.c_str()) == 0) return true;
            return false;
        });
        if (!opened)
            ADD_FAILURE() << "typing \"" << typed << "\" into the Open dialog did not open " << title << " ("
                          << SaveScreen("typed-" + title) << ")";
        return opened;
    };
    // A file opened from another folder makes that folder the next dialog's start.
    if (openByTyping("one.vxr", "one.vxr") && openByTyping(other + "\\two.vxr", "two.vxr"))
        openByTyping("three.vxr", "three.vxr");
}

TEST_F(EndToEnd, HintDialogsShowHintsCheckedAndCentredOverTheFrame)
{
    Start(Input(kShapesFile), kHintsOptionsFile);
    ShowsAt100(kShapeWide, kRed);
    ClickAt(Centre(kShapeWide));
    Keys('D', {VK_CONTROL});
    HWND hint = program_.WaitForDialog("Vexlor Hint");
    ASSERT_TRUE(hint) << "no hint after the first Duplicate with hints on";

    RECT frame, box;
    GetWindowRect(program_.Frame(), &frame);
    GetWindowRect(hint, &box);
    EXPECT_NEAR((frame.left + frame.right) / 2, (box.left + box.right) / 2, 1) << "not centred across the frame";
    EXPECT_NEAR((frame.top + frame.bottom) / 2, (box.top + box.bottom) / 2, 1) << "not centred down the frame";

    // The check box's square (13 pixels, at the control's left, halfway down) shows a mark.
    HWND check = nullptr;
    for (HWND child = GetWindow(hint, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (e2e::Program::WindowText(child) == "Show Hints") check = child;
    ASSERT_TRUE(check) << "no \"Show Hints\" check box";
    RECT control;
    GetWindowRect(check, &control);
    const int top = control.top + (control.bottom - control.top - 13) / 2;
    const RECT inner = {control.left + 3, top + 3, control.left + 10, top + 10};
    e2e::Shot shot;
    const bool marked = e2e::WaitUntil([&] {
        shot = e2e::Capture(RECT{control.left, control.top, control.right, control.bottom});
        return shot.Count(inner, e2e::IsDark) >= 5;
    });
    EXPECT_TRUE(marked) << "\"Show Hints\" is not checked while hints are on (" << SaveScreen("hint") << ")";
    Keys(VK_RETURN);
    EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(hint); })) << "OK did not close the hint";
}

TEST_F(EndToEnd, FilesThatAreNoDrawingsAreRefusedAsSuch)
{
    const std::string drawing = Input(kHooksFile);
    std::string head;
    {
        HANDLE f = CreateFileA(drawing.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, f);
        char bytes[20];
        DWORD n = 0;
        ReadFile(f, bytes, sizeof bytes, &n, nullptr);
        CloseHandle(f);
        head.assign(bytes, n);
    }
    std::string noise(4096, '\0');
    unsigned int seed = 12345;
    for (char& c : noise) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty.vxr", ""},
        {"letter.vxr", "Dear reader,\r\nthis is a plain text file with a drawing's name.\r\n"},
        {"cut.vxr", head},
        {"noise.vxr", noise},
    };
    const std::string notADrawing = "Unable to open file. It is probably not a Vexlor 1.0 file.";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = WorkFile(c.name);
        HANDLE f = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, f);
        DWORD written = 0;
        if (!c.bytes.empty()) WriteFile(f, c.bytes.data(), static_cast<DWORD>(c.bytes.size()), &written, nullptr);
        CloseHandle(f);
        Launch(file);
        HWND box = program_.WaitForDialog("Vexlor");
        ASSERT_TRUE(box) << "no message for " << c.name;
        EXPECT_EQ(notADrawing, e2e::Program::DialogText(box));
        Keys(VK_RETURN);
        program_.Quit();
    }
}
