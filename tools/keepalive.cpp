// Test-world helper: holds one hidden window so Wine's desktop and services stay up between tests.
// Usage: keepalive SECONDS [READY_FILE]   (ends by itself after that long, or when killed; the
// ready file is written once the window exists, so the runner can wait for the desktop)
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    int seconds = argc > 1 ? std::atoi(argv[1]) : 0;
    if (seconds <= 0) {
        seconds = 3600;
    }
    HWND window = CreateWindowA("STATIC", "vexlor keep-alive", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!window) {
        return 1;
    }
    if (argc > 2) {
        if (FILE* f = std::fopen(argv[2], "w")) {
            std::fputs("ready\n", f);
            std::fclose(f);
        }
    }
    SetTimer(window, 1, static_cast<UINT>(seconds) * 1000u, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER) {
            break;
        }
        DispatchMessageA(&msg);
    }
    DestroyWindow(window);
    return 0;
}
