// Typing, keys and clicks for the editing tests.
#include "editing_support.h"

#include "text/ten_window.h"
#include "text/text_paint.h"
#include "text/text_view.h"

HeldKeys::HeldKeys(std::initializer_list<int> keys)
{
    GetKeyboardState(saved_);
    BYTE state[256];
    std::copy(saved_, saved_ + 256, state);
    for (int key : keys) state[key] |= 0x80;
    SetKeyboardState(state);
}

HeldKeys::~HeldKeys()
{
    SetKeyboardState(saved_);
}

std::pair<int, int> EditingTest::Selection()
{
    const LRESULT packed = Send(TEN_GETSELECTION);
    return {LOWORD(packed), HIWORD(packed)};
}

void EditingTest::Type(const std::string& chars)
{
    for (char c : chars) Send(WM_CHAR, static_cast<BYTE>(c), 1);
}

void EditingTest::Key(int virtualKey, std::initializer_list<int> held)
{
    HeldKeys keys(held);
    Send(WM_KEYDOWN, virtualKey, 1);
}

void EditingTest::SetTypingStyle(int style)
{
    TenState* s = Lock();
    s->typingFormat.style = style;
    s->typingRun = -1;
    Unlock();
}

POINT EditingTest::PointAt(int index)
{
    TenState* s = Lock();
    TextPos p = {};
    ResolveTextPosition(s, &p, index, nullptr);
    const TextLine line = Lines()[p.lineIndex];
    POINT at{p.x + 1, line.y + line.height / 2};
    LPtoDP(s->windowDC, &at, 1);
    Unlock();
    return at;
}

void EditingTest::Click(int index, UINT message, WPARAM keys)
{
    const POINT at = PointAt(index);
    Send(message, keys, MAKELPARAM(at.x, at.y));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}
