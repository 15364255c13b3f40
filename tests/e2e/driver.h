// Drives the real program from outside, as a person would: starts vexlor.exe, finds its windows,
// sends real input (SendInput, with the program's frame in the foreground) and reads the screen.
// Nothing here reaches into the program's memory; every wait is for a condition with a time-out.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// How much longer every wait may take than on a plain machine: the runner says so where Wine
// runs under an emulator (VEXLOR_WAIT_STRETCH, else 5 with VEXLOR_EMULATED, else 1).
int WaitStretch();

// Polls `condition` until it holds or `milliseconds` (stretched) have passed; true when it held.
bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 5000);

// The program's executable (built beside the tests).
std::string ProgramPath();

// A picture of part of the screen, as the X server shows it.
class Shot {
public:
    Shot() = default;
    int left() const { return left_; }
    int top() const { return top_; }
    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return pixels_.empty(); }
    // The colour at screen position (x, y); CLR_INVALID outside the picture.
    COLORREF At(int x, int y) const;
    COLORREF At(POINT p) const { return At(p.x, p.y); }
    // Pixels of the screen rectangle `r` (clipped to the picture) for which `test` holds.
    int Count(const RECT& r, const std::function<bool(COLORREF)>& test) const;
    // Writes a 24-bit BMP; false when it could not be written.
    bool Save(const std::string& path) const;
    const std::vector<DWORD>& pixels() const { return pixels_; }

private:
    friend Shot Capture(const RECT& screen);
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::vector<DWORD> pixels_;   // top-down 0x00RRGGBB
};

// A picture of the screen rectangle `screen` (the whole screen when it is empty).
Shot Capture(const RECT& screen = RECT{0, 0, 0, 0});

// Colour tests for pixel checks.
bool IsDark(COLORREF c);    // each channel below 96: black ink, inverted handles
bool IsWhite(COLORREF c);   // each channel above 240
bool Near(COLORREF a, COLORREF b, int tolerance = 24);

// Real input. Positions are screen pixels. Each call hands its events to the system at once;
// the program takes them in order.
void MoveMouse(POINT p);
void ButtonDown(POINT p);
void ButtonUp(POINT p);
void Click(POINT p, std::initializer_list<WORD> modifiers = {});
void DoubleClick(POINT p);
// Moves with the left button held from where it is to `to` in `steps` even steps.
void MoveInSteps(POINT from, POINT to, int steps);
// A key with modifiers held around it (VK_CONTROL, VK_SHIFT, VK_MENU).
void Key(WORD key, std::initializer_list<WORD> modifiers = {});
// Types printable ASCII text with the keys a person presses (shift for capitals and signs).
void Type(const std::string& text);

// The running program: started in a folder with its options file, ended by process id.
class Program {
public:
    Program() = default;
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts vexlor.exe with the command line `arguments` in `folder` and waits until its frame
    // is shown. False (with `error` set) when it did not come up.
    bool Start(const std::string& arguments, const std::string& folder, std::string* error);
    // Asks the program to end (the frame's close, "No" to every save question), then ends it by
    // its process id when it does not go within the time-out.
    void Quit();
    bool Running() const;
    bool WaitForExit(int milliseconds);
    DWORD processId() const { return processId_; }

    HWND Frame() const { return frame_; }
    HWND MdiClient() const;
    // The document windows, front first.
    std::vector<HWND> Documents() const;
    HWND ActiveDocument() const;
    // The drawing view of a document window.
    HWND View(HWND document) const;
    HWND ActiveView() const { return View(ActiveDocument()); }
    std::string Caption() const;
    static std::string WindowText(HWND window);
    // A visible top-level window of the program other than the frame whose caption is `title`
    // (any when empty): dialogs and message boxes. Null when there is none.
    HWND FindDialog(const std::string& title = std::string()) const;
    HWND WaitForDialog(const std::string& title, int milliseconds = 10000) const;
    // The static texts of a dialog joined by new lines (a message box's message).
    static std::string DialogText(HWND dialog);

    // The window of the program that has the keyboard focus (where typed keys go), or null.
    HWND FocusedWindow() const;

    // Brings the frame (or the given window of the program) to the foreground so that keys go
    // to it; true when it is the foreground window.
    bool Focus(HWND window = nullptr) const;
    // True once the program has taken every input sent before the call and come back to its
    // message loop: two round trips of a message through the loop of its one thread.
    bool Settle(int milliseconds = 10000) const;

private:
    PROCESS_INFORMATION process_ = {};
    DWORD processId_ = 0;
    HWND frame_ = nullptr;
};

// Screen position of drawing point (x, y) in 1/600 inch in `view` at `zoom` (1000 = 100 %) and
// the scroll position (scrollX, scrollY) in pixels, computed from the display's 100 units per
// inch, never through the program's own device context.
POINT DrawingToScreen(HWND view, int zoom, POINT scroll, int x, int y);
// The screen rectangle of the view's client area.
RECT ViewScreenRect(HWND view);

// True once `path` exists with at least `minimumSize` bytes and it was written after `after`
// (a FILETIME as a 64-bit count; 0 for any), within the time-out.
bool WaitForFile(const std::string& path, int milliseconds = 10000, unsigned long long after = 0,
                 unsigned long long minimumSize = 1);
unsigned long long FileWriteTime(const std::string& path);

}  // namespace e2e
