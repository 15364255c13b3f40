// The end-to-end fixture: scene files, the program's start and end, pixel checks in drawing
// units, input in drawing units, saving with keys and reading saved files back.
#include "e2e/e2e_fixture.h"

#include <cstdlib>
#include <cstring>

#include "documents/document_state.h"
#include "documents/drawing_file.h"
#include "exchange/printer_metrics.h"
#include "model/class_protocol.h"
#include "store/store_format.h"
#include "support/canvas.h"
#include "text/text_records.h"

#ifndef VEXLOR_SCENES_PATH
#error "the build names the scene tool's executable"
#endif

using e2e::Shot;

namespace {

std::string WindowsPath(std::string unix)
{
    if (unix.size() > 1 && unix[1] == ':') return unix;
    std::string path = "Z:" + unix;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// The scene tool runs once per test process; its folder lives as long as the process.
struct SceneFiles {
    TempFolder folder;
    std::string error;

    SceneFiles()
    {
        if (folder.path().empty()) {
            error = "no temporary folder";
            return;
        }
        const std::string exe = WindowsPath(VEXLOR_SCENES_PATH);
        std::string line = "\"" + exe + "\" \"" + folder.path() + "\"";
        std::vector<char> buffer(line.begin(), line.end());
        buffer.push_back(0);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process)) {
            error = "cannot start the scene tool " + exe;
            return;
        }
        DWORD code = 1;
        if (WaitForSingleObject(process.hProcess, 60000u * e2e::WaitStretch()) != WAIT_OBJECT_0) {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, 10000);
            error = "the scene tool did not finish";
        } else if (GetExitCodeProcess(process.hProcess, &code) && code != 0) {
            error = "the scene tool failed with " + std::to_string(code);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
};

SceneFiles& Scenes()
{
    static SceneFiles scenes;
    return scenes;
}

// The first visible edit box of a dialog: the file name of the common file dialogs.
BOOL CALLBACK FindNameBox(HWND child, LPARAM found)
{
    char name[32] = {};
    GetClassNameA(child, name, sizeof name);
    if (_stricmp(name, "Edit") != 0 || !IsWindowVisible(child)) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

std::string TestName()
{
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    return info ? std::string(info->test_suite_name()) + "." + info->name() : "e2e";
}

}  // namespace

std::string EndToEnd::SceneFolder()
{
    return Scenes().folder.path();
}

void EndToEnd::SetUp()
{
    DrawingFixture::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_EQ("", Scenes().error);
    work_ = std::make_unique<TempFolder>();
    ASSERT_FALSE(work_->path().empty());
}

void EndToEnd::TearDown()
{
    if (HasFailure()) {
        const std::string saved = SaveScreen("failed");
        if (!saved.empty()) std::printf("screenshot of the failure: %s\n", saved.c_str());
    }
    program_.Quit();
    work_.reset();
    SetPrinterMetricsPage(nullptr, nullptr);
    if (state_) {
        if (state_->printerIC) DeleteReferenceDC(state_->printerIC);
        state_->printerIC = nullptr;
        if (state_->libraryAtom) GlobalDeleteAtom(state_->libraryAtom);
        state_->libraryAtom = 0;
    }
    DrawingFixture::TearDown();
}

std::string EndToEnd::Input(const char* name, const char* as)
{
    const std::string from = SceneFolder() + "\\" + name;
    const std::string to = work_->File(as ? as : name);
    EXPECT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << from;
    return to;
}

void EndToEnd::Launch(const std::string& file, const char* options)
{
    const std::string optionsPath = Input(options);
    // The program's command line knows no quotes: a word runs to the next switch, so the file
    // comes first (the test folders have no blanks in their paths).
    const std::string arguments = (file.empty() ? std::string() : file + " ") + "/O " + optionsPath;
    std::string error;
    ASSERT_TRUE(program_.Start(arguments, Folder(), &error)) << error;
}

void EndToEnd::Start(const std::string& file, const char* options)
{
    Launch(file, options);
    if (HasFatalFailure()) return;
    HWND view = nullptr;
    ASSERT_TRUE(e2e::WaitUntil([&] { return (view = program_.ActiveView()) != nullptr && IsWindowVisible(view); },
                               20000))
        << "no document window with a drawing view";
    ASSERT_TRUE(program_.Focus());
    // The top of the drawing; the scenes open at 100 % on its left edge.
    Keys(VK_HOME);
    zoom_ = 1000;
    scroll_ = {0, 0};
}

void EndToEnd::ShowsAt100(const RECT& firstShape, COLORREF colour)
{
    WaitForView("the drawing at 100 % from its top-left corner",
                [&](const Shot& shot) { return Filled(shot, firstShape, colour); });
}

POINT EndToEnd::At(int x, int y) const
{
    return e2e::DrawingToScreen(program_.ActiveView(), zoom_, scroll_, x, y);
}

RECT EndToEnd::AtRect(const RECT& r) const
{
    const POINT a = At(r.left, r.top), b = At(r.right, r.bottom);
    return RECT{a.x, a.y, b.x, b.y};
}

Shot EndToEnd::ViewShot() const
{
    return e2e::Capture(e2e::ViewScreenRect(program_.ActiveView()));
}

bool EndToEnd::WaitForView(const std::string& what, const std::function<bool(const Shot&)>& check, int milliseconds)
{
    Shot last;
    const bool held = e2e::WaitUntil(
        [&] {
            last = ViewShot();
            return !last.empty() && check(last);
        },
        milliseconds);
    if (!held) {
        // The screen at the moment of the failure; the one TearDown keeps shows the end.
        const std::string saved = SaveScreen("wait-" + std::to_string(++failedWaits_));
        ADD_FAILURE() << "the screen never showed " << what << " (" << saved << ")";
    }
    return held;
}

bool EndToEnd::Filled(const Shot& shot, const RECT& r, COLORREF colour) const
{
    const int w = r.right - r.left, h = r.bottom - r.top;
    const POINT points[5] = {Centre(r),
                             {r.left + w / 4, r.top + h / 4},
                             {r.right - w / 4, r.top + h / 4},
                             {r.left + w / 4, r.bottom - h / 4},
                             {r.right - w / 4, r.bottom - h / 4}};
    for (const POINT& p : points)
        if (!e2e::Near(shot.At(At(p)), colour)) return false;
    return true;
}

int EndToEnd::HandleCornersShown(const Shot& shot, const RECT& r) const
{
    // A corner handle is a square of 54 units from 30 outside the frame's corner: at 100 % the
    // 5 pixels outside the frame on each side. Each corner counts when its outside part has ink.
    const int reach = 30 * 1000 * 100 / (600 * zoom_);   // pixels the square reaches outside
    int shown = 0;
    const POINT corners[4] = {{r.left, r.top}, {r.right, r.top}, {r.left, r.bottom}, {r.right, r.bottom}};
    for (int i = 0; i < 4; ++i) {
        const POINT c = At(corners[i]);
        const int sx = (i & 1) ? 1 : -1, sy = (i & 2) ? 1 : -1;
        // The outside band of the square: from 1 pixel off the frame's edge to its reach.
        RECT band = {c.x + sx * 2, c.y + sy * 2, c.x + sx * (reach + 1), c.y + sy * (reach + 1)};
        if (band.left > band.right) std::swap(band.left, band.right);
        if (band.top > band.bottom) std::swap(band.top, band.bottom);
        if (shot.Count(band, IsMark) >= 3) ++shown;
    }
    return shown;
}

bool EndToEnd::IsMark(COLORREF c)
{
    if (c == CLR_INVALID || e2e::IsWhite(c)) return false;
    for (COLORREF fill : {scenes::kRed, scenes::kGreen, scenes::kBlue, scenes::kYellow})
        if (e2e::Near(c, fill)) return false;
    return true;
}

int EndToEnd::InkAlong(const Shot& shot, POINT a, POINT b) const
{
    int found = 0;
    for (int quarter = 1; quarter <= 3; ++quarter) {
        const POINT p = At(a.x + (b.x - a.x) * quarter / 4, a.y + (b.y - a.y) * quarter / 4);
        const RECT around = {p.x - 2, p.y - 2, p.x + 3, p.y + 3};
        if (shot.Count(around, e2e::IsDark) > 0) ++found;
    }
    return found;
}

void EndToEnd::ClickAt(POINT drawingPoint, std::initializer_list<WORD> modifiers)
{
    ASSERT_TRUE(program_.Focus());
    e2e::Click(At(drawingPoint), modifiers);
    ASSERT_TRUE(program_.Settle());
}

void EndToEnd::DragAt(POINT from, POINT to, int steps, RECT feedback)
{
    ASSERT_TRUE(program_.Focus());
    const POINT a = At(from), b = At(to);
    if (IsRectEmpty(&feedback)) feedback = RECT{b.x - 8, b.y - 8, b.x + 9, b.y + 9};
    e2e::MoveMouse(a);
    ASSERT_TRUE(program_.Settle());
    const Shot before = e2e::Capture(feedback);
    e2e::ButtonDown(a);
    ASSERT_TRUE(program_.Settle());
    for (int i = 1; i <= steps; ++i) {
        e2e::MoveMouse(POINT{a.x + (b.x - a.x) * i / steps, a.y + (b.y - a.y) * i / steps});
        ASSERT_TRUE(program_.Settle());
    }
    // A person lets go once the outline follows the pointer: the press has then become a drag
    // (a release within the click time would make it a click).
    const bool feedbackShown = e2e::WaitUntil([&] { return e2e::Capture(feedback).pixels() != before.pixels(); });
    EXPECT_TRUE(feedbackShown) << "no drag feedback appeared near the pointer at (" << b.x << ", " << b.y << ")";
    e2e::ButtonUp(b);
    ASSERT_TRUE(program_.Settle());
}

void EndToEnd::Keys(WORD key, std::initializer_list<WORD> modifiers)
{
    // Keys go to whichever window of the program is in front: the frame or one of its dialogs.
    DWORD front = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &front);
    if (front != program_.processId()) {
        ASSERT_TRUE(program_.Focus());
    }
    e2e::Key(key, modifiers);
    ASSERT_TRUE(program_.Settle());
}

void EndToEnd::TypeText(const std::string& text)
{
    e2e::Type(text);
    ASSERT_TRUE(program_.Settle());
}

void EndToEnd::Menu(const std::string& mnemonics)
{
    ASSERT_TRUE(program_.Focus());
    e2e::Key(VK_MENU);
    ASSERT_TRUE(program_.Settle());
    for (char c : mnemonics) {
        e2e::Type(std::string(1, c));
        ASSERT_TRUE(program_.Settle());
    }
}

void EndToEnd::SetZoom(int zoom)
{
    const char* key = zoom == 750 ? "V7" : zoom == 2000 ? "V2" : "V1";
    Menu(key);
    zoom_ = zoom;
}

void EndToEnd::OpenWithDialog(const std::string& path)
{
    Keys('O', {VK_CONTROL});
    HWND dialog = program_.WaitForDialog("Open");
    ASSERT_TRUE(dialog) << "no Open dialog";
    ASSERT_TRUE(program_.Settle());
    HWND name = NameBox(dialog);
    ASSERT_TRUE(name) << "no file name box in the Open dialog";
    RECT box;
    GetWindowRect(name, &box);
    e2e::Click(POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2});
    ASSERT_TRUE(e2e::WaitUntil([&] { return program_.FocusedWindow() == name; })) << "the name box took no focus";
    e2e::Key(VK_HOME);
    e2e::Key(VK_END, {VK_SHIFT});
    e2e::Type(path + "\n");
    ASSERT_TRUE(program_.Settle());
    const std::string title = path.substr(path.find_last_of('\\') + 1);
    std::vector<std::string> titles;
    const bool opened = e2e::WaitUntil([&] {
        titles = DocumentTitles();
        for (const std::string& t : titles)
            if (_stricmp(t.c_str(), title.c_str()) == 0) return true;
        return false;
    });
    ASSERT_TRUE(opened) << path << " did not open (" << SaveScreen("open") << ")";
}

HWND EndToEnd::NameBox(HWND dialog)
{
    HWND name = nullptr;
    EnumChildWindows(dialog, FindNameBox, reinterpret_cast<LPARAM>(&name));
    return name;
}

std::vector<std::string> EndToEnd::DocumentTitles() const
{
    std::vector<std::string> titles;
    for (HWND document : program_.Documents()) titles.push_back(e2e::Program::WindowText(document));
    return titles;
}

void EndToEnd::SaveWithKeys(const std::string& path, bool untitled)
{
    const unsigned long long before = e2e::FileWriteTime(path);
    ASSERT_TRUE(program_.Focus());
    e2e::Key('S', {VK_CONTROL});
    ASSERT_TRUE(program_.Settle());
    if (untitled) {
        HWND dialog = program_.WaitForDialog("Save");
        ASSERT_TRUE(dialog) << "no Save dialog";
        ASSERT_TRUE(program_.Settle());
        ASSERT_TRUE(program_.Focus(dialog));
        e2e::Type(path + "\n");
    }
    ASSERT_TRUE(e2e::WaitForFile(path, 15000, before)) << "the program did not write " << path;
    // The file is whole once the program is back in its loop.
    ASSERT_TRUE(program_.Settle());
}

void EndToEnd::ReadSaved(const std::string& path)
{
    // The records a document's state holds before a read: a known printer set-up and empty font
    // tables, as a new document's state has them.
    SetPrinterMetricsPage(nullptr, nullptr);
    for (HGLOBAL* owned : {&state_->devMode, &state_->fontList, &state_->fontMap}) {
        if (*owned) GlobalFree(*owned);
        *owned = nullptr;
    }
    state_->devMode = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kDevModeBaseSize);
    {
        Locked<DEVMODEA> dm(state_->devMode);
        dm->dmSize = kDevModeBaseSize;
        dm->dmOrientation = DMORIENT_PORTRAIT;
        dm->dmPaperSize = DMPAPER_LETTER;
    }
    state_->fontList = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 8);
    state_->fontMap = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4);
    BOOL older = FALSE;
    ASSERT_EQ(0, ReadDrawingFile(HFILE_ERROR, path.c_str(), nullptr, 0, view_, state_, &older, FALSE)) << path;
}

namespace {

// The stored text block of an object, split at the offsets its header gives (checked against
// the record's length); empty when the object has none or the counts do not fit.
struct StoredText {
    std::string text;
    std::vector<TextRun> runs;
};

StoredText SplitTextBlock(const std::string& payload)
{
    StoredText out;
    if (payload.size() < sizeof(TextBlock)) return out;
    TextBlock header;
    std::memcpy(&header, payload.data(), sizeof header);
    if (header.lineCount < 0 || header.runCount < 0 || header.formatCount < 0 || header.segmentCount < 0 ||
        header.textLength < 0)
        return out;
    const size_t runsAt = kTextBlockSize + static_cast<size_t>(header.lineCount) * kTextLineSize;
    const size_t textAt = runsAt + static_cast<size_t>(header.runCount) * kTextRunSize +
                          static_cast<size_t>(header.formatCount) * kParagraphFormatSize +
                          static_cast<size_t>(header.segmentCount) * kTextSegmentSize;
    if (textAt + header.textLength > payload.size()) return out;
    out.runs.resize(header.runCount);
    if (header.runCount) std::memcpy(out.runs.data(), payload.data() + runsAt, header.runCount * sizeof(TextRun));
    out.text = payload.substr(textAt, header.textLength);
    return out;
}

}  // namespace

std::string EndToEnd::ObjectText(int row) const
{
    const DrawObject object = Object(row);
    return object.textId < 0 ? std::string() : SplitTextBlock(RecordBytes(RecTextBlock, object.textId)).text;
}

std::vector<TextRun> EndToEnd::ObjectRuns(int row) const
{
    const DrawObject object = Object(row);
    return object.textId < 0 ? std::vector<TextRun>() : SplitTextBlock(RecordBytes(RecTextBlock, object.textId)).runs;
}

POINT EndToEnd::LineEnd(int row, int end) const
{
    POINT p = {-1, -1};
    Locked<Drawing> d = LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    const DrawObject& object = (*objects)[row];
    if (ObjectClassHandler handler = HandlerForClass(object.objClass))
        handler(nullptr, d.get(), objects.get(), row, OM_GETPOINTPOS, end, 0, &p);
    return p;
}

std::string EndToEnd::SaveShot(const e2e::Shot& shot, const std::string& suffix) const
{
    std::string folder = TestOutputFolder() + "e2e\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string name = TestName() + "-" + suffix + ".bmp";
    for (char& c : name)
        if (c == '/' || c == '\\' || c == ':') c = '_';
    const std::string path = folder + name;
    return shot.Save(path) ? path : std::string();
}
