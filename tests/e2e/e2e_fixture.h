// The end-to-end scenarios' fixture: the input files of the scene tool copied into a fresh folder,
// the real program started on them with a quiet options file, helpers that turn the scenes'
// drawing units into screen pixels from the zoom and the scroll position alone, pixel checks
// that wait for the picture a person would see, and a reader of the files the program saves
// (the program's own drawing-file reader, in this process). A failing scenario leaves its
// screenshot under the build's test output.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "e2e/driver.h"
#include "e2e/scenes.h"
#include "support/drawing_fixture.h"
#include "text/text_records.h"

class EndToEnd : public DrawingFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // A scene file copied into this test's folder (under `as` when given); its path.
    std::string Input(const char* name, const char* as = nullptr);
    std::string Folder() const { return work_->path(); }
    std::string WorkFile(const char* name) const { return work_->File(name); }
    // The scene tool's folder (it holds the "docs" folder of the folder options).
    static std::string SceneFolder();

    // Starts the program on `file` (none: a new drawing) with the options file `options`, copied
    // into this test's folder; waits for the frame and the document, puts the view at 100 % and
    // the top-left corner of the drawing (real keys), and waits for `firstShape` (when given,
    // with its fill `colour`) to be painted where the scene puts it.
    void Start(const std::string& file, const char* options = scenes::kOptionsFile);
    // Only starts the program and waits for its frame: for files it may refuse.
    void Launch(const std::string& file, const char* options = scenes::kOptionsFile);
    void ShowsAt100(const RECT& firstShape, COLORREF colour);

    // Screen position of a drawing point in the active view at the zoom and scroll position the
    // scenario set (100 % and the drawing's top-left corner unless it changed them).
    POINT At(int x, int y) const;
    POINT At(POINT p) const { return At(p.x, p.y); }
    RECT AtRect(const RECT& r) const;
    static POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    static RECT Offset(RECT r, int dx, int dy)
    {
        OffsetRect(&r, dx, dy);
        return r;
    }
    // Drawing units per screen pixel at the scenario's zoom (6 at 100 %).
    int UnitsPerPixel() const { return 600 * 1000 / (100 * zoom_); }

    // The view's picture, now.
    e2e::Shot ViewShot() const;
    // Waits until `check` holds for a fresh picture of the view; on time-out records a failure
    // naming `what` and keeps the last picture for the failure screenshot.
    bool WaitForView(const std::string& what, const std::function<bool(const e2e::Shot&)>& check,
                     int milliseconds = 6000);
    // The interior of the shape with frame `r` (drawing units) is filled with `colour`: five
    // points well inside it.
    bool Filled(const e2e::Shot& shot, const RECT& r, COLORREF colour) const;
    // Selection handles at the corners of frame `r`: how many corners' handle squares show
    // handle ink (handles are inverted colour: black on paper, a dark shade on a fill) in the part
    // that lies outside the frame.
    int HandleCornersShown(const e2e::Shot& shot, const RECT& r) const;
    // A colour that is neither paper nor one of the scenes' fills: ink, borders, inverted marks.
    static bool IsMark(COLORREF c);
    // Ink (dark pixels) along the straight piece from a to b (drawing units), sampled at its
    // middle and quarter points: how many of the three show ink within 2 pixels.
    int InkAlong(const e2e::Shot& shot, POINT a, POINT b) const;

    // Real input in drawing units of the active view.
    void ClickAt(POINT drawingPoint, std::initializer_list<WORD> modifiers = {});
    // Press at `from`, move in steps to `to` (each step taken by the program before the next),
    // wait until the drag's feedback changes the screen inside `feedback` (screen pixels; by
    // default around `to`), then release.
    void DragAt(POINT from, POINT to, int steps = 6, RECT feedback = RECT{0, 0, 0, 0});
    void Keys(WORD key, std::initializer_list<WORD> modifiers = {});
    void TypeText(const std::string& text);
    // A menu command by its keys: Alt, then the mnemonics.
    void Menu(const std::string& mnemonics);
    void SetZoom(int zoom);   // View menu: 750, 1000 or 2000

    // The file name box of a file dialog.
    static HWND NameBox(HWND dialog);
    // Opens a drawing through File Open as a person does who clicks into the name box first.
    void OpenWithDialog(const std::string& path);
    // The windows' titles of the open documents.
    std::vector<std::string> DocumentTitles() const;

    // Saves the active document with Ctrl+S (through the Save dialog for an untitled one, typing
    // `path`) and waits for the file to be written.
    void SaveWithKeys(const std::string& path, bool untitled);

    // Reads a drawing file the program wrote with the program's own reader into this process.
    void ReadSaved(const std::string& path);
    std::string ObjectText(int row) const;
    std::vector<TextRun> ObjectRuns(int row) const;
    POINT LineEnd(int row, int end) const;

    // Saves a picture (the whole screen now) under the test output, named after the test and
    // `suffix`; the path written, empty on failure.
    std::string SaveShot(const e2e::Shot& shot, const std::string& suffix) const;
    std::string SaveScreen(const std::string& suffix) const { return SaveShot(e2e::Capture(), suffix); }

    e2e::Program program_;
    int zoom_ = 1000;
    POINT scroll_ = {0, 0};

private:
    std::unique_ptr<TempFolder> work_;
    int failedWaits_ = 0;
};
