// The outside driver of the real program: its process, its windows, real input and the screen.
#include "e2e/driver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/canvas.h"

#ifndef VEXLOR_PROGRAM_PATH
#error "the build names the program's executable"
#endif

namespace e2e {

namespace {

constexpr int kPollMilliseconds = 20;

ULONGLONG Now()
{
    return GetTickCount64();
}

std::string ClassOf(HWND window)
{
    char name[128] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

DWORD ProcessOf(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

struct TopLevelSearch {
    DWORD pid;
    const char* className;   // null for any
    HWND exclude;
    const std::string* title;  // null for any
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<TopLevelSearch*>(param);
    if (ProcessOf(window) != search->pid || window == search->exclude || !IsWindowVisible(window)) return TRUE;
    if (search->className && ClassOf(window) != search->className) return TRUE;
    if (search->title && !search->title->empty() && Program::WindowText(window) != *search->title) return TRUE;
    search->found = window;
    return FALSE;
}

HWND ChildOfClass(HWND parent, const char* className)
{
    if (!parent) return nullptr;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (ClassOf(child) == className) return child;
    return nullptr;
}

void Send(std::vector<INPUT>& inputs)
{
    if (!inputs.empty()) SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Absolute mouse coordinates are 0..65535 across the primary screen; the system maps them back
// with (value * width) >> 16, so the smallest value that maps onto the pixel is taken.
LONG Normalise(int pixel, int extent)
{
    return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + extent - 1) / extent);
}

INPUT MouseInput(POINT p, DWORD flags)
{
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = Normalise(p.x, GetSystemMetrics(SM_CXSCREEN));
    in.mi.dy = Normalise(p.y, GetSystemMetrics(SM_CYSCREEN));
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    return in;
}

// Where and when the left button last went up: a press there within the double-click time
// would be a double click, which no scenario means by a second press.
POINT g_lastUp = {-1000, -1000};
ULONGLONG g_lastUpTime = 0;

void NotDoubleClick(POINT p)
{
    const int cx = GetSystemMetrics(SM_CXDOUBLECLK), cy = GetSystemMetrics(SM_CYDOUBLECLK);
    if (std::abs(p.x - g_lastUp.x) > cx / 2 || std::abs(p.y - g_lastUp.y) > cy / 2) return;
    const ULONGLONG until = g_lastUpTime + GetDoubleClickTime() + 1;
    // Waits for the platform's double-click time to pass since that release, as a person does.
    WaitUntil([until] { return GetTickCount64() > until; }, static_cast<int>(GetDoubleClickTime()) * 4);
}

void NoteRelease(POINT p)
{
    g_lastUp = p;
    g_lastUpTime = GetTickCount64();
}

INPUT KeyInput(WORD key, bool up)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    switch (key) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_HOME: case VK_END:
    case VK_PRIOR: case VK_NEXT: case VK_INSERT: case VK_DELETE:
        in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
        break;
    default:
        break;
    }
    return in;
}

}  // namespace

int WaitStretch()
{
    if (const char* stretch = std::getenv("VEXLOR_WAIT_STRETCH")) {
        int value = std::atoi(stretch);
        if (value >= 1) return value;
    }
    const char* emulated = std::getenv("VEXLOR_EMULATED");
    return emulated && std::strcmp(emulated, "1") == 0 ? 5 : 1;
}

bool WaitUntil(const std::function<bool()>& condition, int milliseconds)
{
    const ULONGLONG deadline = Now() + static_cast<ULONGLONG>(milliseconds) * WaitStretch();
    for (;;) {
        if (condition()) return true;
        if (Now() >= deadline) return false;
        // Not a fixed sleep: the poll interval of a wait that ends as soon as the condition holds.
        Sleep(kPollMilliseconds);
    }
}

std::string ProgramPath()
{
    std::string unix = VEXLOR_PROGRAM_PATH;
    if (unix.size() > 1 && unix[1] == ':') return unix;
    // A path of the build machine reaches the program through Wine's drive Z:.
    std::string path = "Z:" + unix;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// --- Pictures of the screen

COLORREF Shot::At(int x, int y) const
{
    const int cx = x - left_, cy = y - top_;
    if (cx < 0 || cy < 0 || cx >= width_ || cy >= height_) return CLR_INVALID;
    const DWORD v = pixels_[static_cast<size_t>(cy) * width_ + cx];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

int Shot::Count(const RECT& r, const std::function<bool(COLORREF)>& test) const
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const COLORREF c = At(x, y);
            if (c != CLR_INVALID && test(c)) ++n;
        }
    return n;
}

bool Shot::Save(const std::string& path) const
{
    return !pixels_.empty() && WriteBmp24(path, pixels_.data(), width_, height_);
}

Shot Capture(const RECT& screen)
{
    RECT r = screen;
    if (IsRectEmpty(&r)) r = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    Shot shot;
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return shot;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screenDc = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screenDc);
    HBITMAP bitmap = CreateDIBSection(screenDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory && bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, w, h, screenDc, r.left, r.top, SRCCOPY)) {
            GdiFlush();
            const DWORD* p = static_cast<const DWORD*>(bits);
            shot.pixels_.assign(p, p + static_cast<size_t>(w) * h);
            for (DWORD& v : shot.pixels_) v &= 0xFFFFFF;
            shot.left_ = r.left;
            shot.top_ = r.top;
            shot.width_ = w;
            shot.height_ = h;
        }
        SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screenDc);
    return shot;
}

bool IsDark(COLORREF c)
{
    return c != CLR_INVALID && GetRValue(c) < 96 && GetGValue(c) < 96 && GetBValue(c) < 96;
}

bool IsWhite(COLORREF c)
{
    return c != CLR_INVALID && GetRValue(c) > 240 && GetGValue(c) > 240 && GetBValue(c) > 240;
}

bool Near(COLORREF a, COLORREF b, int tolerance)
{
    if (a == CLR_INVALID || b == CLR_INVALID) return false;
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// --- Real input

void MoveMouse(POINT p)
{
    std::vector<INPUT> in = {MouseInput(p, 0)};
    Send(in);
}

void ButtonDown(POINT p)
{
    NotDoubleClick(p);
    std::vector<INPUT> in = {MouseInput(p, 0), MouseInput(p, MOUSEEVENTF_LEFTDOWN)};
    Send(in);
}

void ButtonUp(POINT p)
{
    std::vector<INPUT> in = {MouseInput(p, MOUSEEVENTF_LEFTUP)};
    Send(in);
    NoteRelease(p);
}

void Click(POINT p, std::initializer_list<WORD> modifiers)
{
    NotDoubleClick(p);
    std::vector<INPUT> in;
    for (WORD m : modifiers) in.push_back(KeyInput(m, false));
    for (DWORD flags : {DWORD(0), DWORD(MOUSEEVENTF_LEFTDOWN), DWORD(MOUSEEVENTF_LEFTUP)}) in.push_back(MouseInput(p, flags));
    for (auto m = modifiers.end(); m != modifiers.begin();) in.push_back(KeyInput(*--m, true));
    Send(in);
    NoteRelease(p);
}

void DoubleClick(POINT p)
{
    NotDoubleClick(p);
    std::vector<INPUT> in = {MouseInput(p, 0), MouseInput(p, MOUSEEVENTF_LEFTDOWN), MouseInput(p, MOUSEEVENTF_LEFTUP),
                             MouseInput(p, MOUSEEVENTF_LEFTDOWN), MouseInput(p, MOUSEEVENTF_LEFTUP)};
    Send(in);
    NoteRelease(p);
}

void MoveInSteps(POINT from, POINT to, int steps)
{
    if (steps < 1) steps = 1;
    for (int i = 1; i <= steps; ++i) {
        const POINT p = {from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps};
        MoveMouse(p);
    }
}

void Key(WORD key, std::initializer_list<WORD> modifiers)
{
    std::vector<INPUT> in;
    for (WORD m : modifiers) in.push_back(KeyInput(m, false));
    in.push_back(KeyInput(key, false));
    in.push_back(KeyInput(key, true));
    for (auto m = modifiers.end(); m != modifiers.begin();) in.push_back(KeyInput(*--m, true));
    Send(in);
}

void Type(const std::string& text)
{
    std::vector<INPUT> in;
    for (char ch : text) {
        if (ch == '\n') {
            in.push_back(KeyInput(VK_RETURN, false));
            in.push_back(KeyInput(VK_RETURN, true));
            continue;
        }
        const SHORT scan = VkKeyScanA(ch);
        if (scan == -1) continue;
        const WORD key = LOBYTE(scan);
        const bool shift = (HIBYTE(scan) & 1) != 0;
        if (shift) in.push_back(KeyInput(VK_SHIFT, false));
        in.push_back(KeyInput(key, false));
        in.push_back(KeyInput(key, true));
        if (shift) in.push_back(KeyInput(VK_SHIFT, true));
    }
    Send(in);
}

// --- The program

Program::~Program()
{
    Quit();
}

bool Program::Start(const std::string& arguments, const std::string& folder, std::string* error)
{
    const std::string exe = ProgramPath();
    std::string line = "\"" + exe + "\"";
    if (!arguments.empty()) line += " " + arguments;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process_)) {
        if (error) *error = "cannot start " + exe + ": error " + std::to_string(GetLastError());
        return false;
    }
    processId_ = process_.dwProcessId;
    const bool up = WaitUntil(
        [this] {
            TopLevelSearch search = {processId_, "MDMainClass", nullptr, nullptr, nullptr};
            EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
            frame_ = search.found;
            return frame_ != nullptr || !Running();
        },
        30000);
    if (!up || !frame_) {
        if (error) *error = Running() ? "the frame did not appear" : "the program ended at start";
        return false;
    }
    return Settle();
}

bool Program::Running() const
{
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Program::WaitForExit(int milliseconds)
{
    return !process_.hProcess ||
           WaitForSingleObject(process_.hProcess, static_cast<DWORD>(milliseconds) * WaitStretch()) == WAIT_OBJECT_0;
}

void Program::Quit()
{
    if (!process_.hProcess) return;
    if (Running() && frame_ && IsWindow(frame_)) {
        PostMessageA(frame_, WM_CLOSE, 0, 0);
        // Every question on the way out ("Save changes?") is answered No.
        WaitUntil(
            [this] {
                if (!Running()) return true;
                if (HWND box = FindDialog()) PostMessageA(box, WM_COMMAND, IDNO, 0);
                return false;
            },
            10000);
    }
    if (Running()) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 10000u * WaitStretch());
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    process_ = {};
    frame_ = nullptr;
}

HWND Program::MdiClient() const
{
    return ChildOfClass(frame_, "MDIClient");
}

std::vector<HWND> Program::Documents() const
{
    std::vector<HWND> out;
    HWND client = MdiClient();
    if (!client) return out;
    for (HWND child = GetWindow(client, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (ClassOf(child) == "MDDocumentClass" && IsWindowVisible(child)) out.push_back(child);
    return out;
}

HWND Program::ActiveDocument() const
{
    HWND client = MdiClient();
    DWORD_PTR active = 0;
    if (!client || !SendMessageTimeoutA(client, WM_MDIGETACTIVE, 0, 0, SMTO_NORMAL, 5000u * WaitStretch(), &active))
        return nullptr;
    return reinterpret_cast<HWND>(active);
}

HWND Program::View(HWND document) const
{
    return ChildOfClass(document, "MDScrollClass");
}

std::string Program::Caption() const
{
    return WindowText(frame_);
}

std::string Program::WindowText(HWND window)
{
    char text[512] = {};
    DWORD_PTR n = 0;
    if (window &&
        SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &n))
        return std::string(text, n < sizeof text ? n : sizeof text - 1);
    return std::string();
}

HWND Program::FindDialog(const std::string& title) const
{
    TopLevelSearch search = {processId_, nullptr, frame_, &title, nullptr};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Program::WaitForDialog(const std::string& title, int milliseconds) const
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(title)) != nullptr; }, milliseconds);
    return found;
}

std::string Program::DialogText(HWND dialog)
{
    std::string out;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (_stricmp(ClassOf(child).c_str(), "Static") != 0) continue;
        const std::string text = WindowText(child);
        if (text.empty()) continue;
        if (!out.empty()) out += "\n";
        out += text;
    }
    return out;
}

HWND Program::FocusedWindow() const
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    const DWORD thread = frame_ ? GetWindowThreadProcessId(frame_, nullptr) : 0;
    return thread && GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

bool Program::Focus(HWND window) const
{
    HWND target = window ? window : frame_;
    if (!target) return false;
    return WaitUntil(
        [target] {
            if (GetForegroundWindow() == target) return true;
            SetForegroundWindow(target);
            return GetForegroundWindow() == target;
        },
        5000);
}

bool Program::Settle(int milliseconds) const
{
    if (!frame_) return false;
    for (int round = 0; round < 2; ++round) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(frame_, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(milliseconds) * WaitStretch(),
                                 &result))
            return false;
    }
    return true;
}

// --- Geometry and files

RECT ViewScreenRect(HWND view)
{
    RECT r = {};
    if (!view) return r;
    GetClientRect(view, &r);
    MapWindowPoints(view, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

POINT DrawingToScreen(HWND view, int zoom, POINT scroll, int x, int y)
{
    // The display counts as 100 pixels per inch (its 96 rounded down to whole hundreds, at least
    // 100); the drawing has 600 units per inch, scaled by the zoom in thousandths.
    const long long scale = 100LL * zoom;
    const long long denominator = 600LL * 1000;
    auto device = [&](long long v) {
        const long long n = v * scale;
        return static_cast<LONG>(n >= 0 ? (n + denominator / 2) / denominator : -((-n + denominator / 2) / denominator));
    };
    POINT origin = {0, 0};
    ClientToScreen(view, &origin);
    return POINT{origin.x + device(x) - scroll.x, origin.y + device(y) - scroll.y};
}

unsigned long long FileWriteTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

bool WaitForFile(const std::string& path, int milliseconds, unsigned long long after, unsigned long long minimumSize)
{
    return WaitUntil(
        [&] {
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
            const unsigned long long size =
                (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            const unsigned long long written =
                (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                data.ftLastWriteTime.dwLowDateTime;
            return size >= minimumSize && (after == 0 || written > after);
        },
        milliseconds);
}

}  // namespace e2e
