// Test-world helper: holds one hidden window so Wine's desktop process stays up between tests.
// Usage: keepalive SECONDS   (ends by itself after that long, or when killed)
#include <windows.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmd, int)
{
    int seconds = std::atoi(cmd);
    if (seconds <= 0) {
        seconds = 3600;
    }
    HWND window = CreateWindowA("STATIC", "vexlor keep-alive", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!window) {
        return 1;
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
