// Typing benchmark, run by hand under Wine: one WM_CHAR in the middle of a shown editor of 2,000
// and of 20,000 characters (insertion, layout of the edited paragraph, auto-size and repaint),
// best of several keystrokes. Prints microseconds and the ratio of the two.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "frame/frame_ui.h"
#include "text/font_cache.h"
#include "text/font_list.h"
#include "text/ten_messages.h"
#include "text/ten_window.h"
#include "text/text_engine.h"

namespace {

HGLOBAL MakeFontList()
{
    HGLOBAL list = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(FontListHead) + sizeof(FontListEntry));
    auto* head = static_cast<FontListHead*>(GlobalLock(list));
    head->count = 1;
    FontListEntry& entry = FontListEntries(head)[0];
    entry.logFont.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    lstrcpynA(entry.logFont.lfFaceName, "Arial", LF_FACESIZE);
    entry.heightAtSize1 = 16;
    entry.kind = kFontKindTrueType;
    entry.cacheIndex = -1;
    GlobalUnlock(list);
    return list;
}

HGLOBAL MakeFontMap()
{
    HGLOBAL map = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(FontMapHead) + sizeof(INT32));
    static_cast<FontMapHead*>(GlobalLock(map))->count = 1;
    GlobalUnlock(map);
    return map;
}

// Words of 2 to 9 letters, a paragraph end every 300 characters or so.
std::string MakeText(int length)
{
    std::string text;
    unsigned seed = 12345;
    int paragraph = 0;
    while (static_cast<int>(text.size()) < length) {
        seed = seed * 1103515245u + 12345u;
        const int letters = 2 + static_cast<int>((seed >> 16) % 8);
        for (int i = 0; i < letters; ++i) text += static_cast<char>('a' + (seed >> (i + 3)) % 26);
        paragraph += letters + 1;
        text += paragraph > 300 ? '\r' : ' ';
        if (paragraph > 300) paragraph = 0;
    }
    text.resize(length);
    return text;
}

double Microseconds(LARGE_INTEGER t0, LARGE_INTEGER t1)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return (t1.QuadPart - t0.QuadPart) * 1e6 / f.QuadPart;
}

double TypeInMiddle(HWND parent, HDC reference, HGLOBAL list, HGLOBAL map, int length)
{
    const std::string text = MakeText(length);
    TenCreateParams p = {};
    p.fontList = list;
    p.fontMap = map;
    p.referenceDC = reference;
    p.maxWidth = 32000;
    p.maxHeight = 32000;
    p.size = 12;
    p.baseUnit = 600;
    p.initialText = text.c_str();
    p.options = TenOptWordWrap;
    p.flags = TenFlagGrowHeight;
    p.ownerRow = -1;
    p.labelLink = -1;
    HWND editor = CreateWindowA("TENClass", "", WS_CHILD | WS_VISIBLE, 0, 0, 500, 400, parent, nullptr,
                                GetModuleHandleA(nullptr), &p);
    if (!editor) return -1;
    SendMessageA(editor, TEN_SETSELECTION, 0, MAKELPARAM(length / 2, length / 2));
    double best = 1e30;
    for (int i = 0; i < 20; ++i) {
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        SendMessageA(editor, WM_CHAR, 'x', 1);
        QueryPerformanceCounter(&t1);
        best = std::min(best, Microseconds(t0, t1));
    }
    DestroyWindow(editor);
    return best;
}

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER + 109) return 1;   // every size the editor asks for
    if (message == WM_USER + 161) {
        GetClientRect(window, reinterpret_cast<RECT*>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (RegisterTenClass(instance) || CreateFramePens() || InitTextEngine() || InitFontCache()) {
        std::printf("set-up failed\n");
        return 1;
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = instance;
    wc.lpszClassName = "TypingBenchParent";
    RegisterClassA(&wc);
    HWND parent = CreateWindowA("TypingBenchParent", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                                nullptr, nullptr, instance, nullptr);
    HDC reference = CreateCompatibleDC(nullptr);
    HGLOBAL list = MakeFontList(), map = MakeFontMap();
    const double small = TypeInMiddle(parent, reference, list, map, 2000);
    const double large = TypeInMiddle(parent, reference, list, map, 20000);
    std::printf("one WM_CHAR in the middle: 2,000 characters %.0f us, 20,000 characters %.0f us, ratio %.2f\n",
                small, large, large / small);
    DestroyWindow(parent);
    DeleteDC(reference);
    GlobalFree(list);
    GlobalFree(map);
    return 0;
}
