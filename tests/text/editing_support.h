// Helpers of the editing tests: typing, keys with Ctrl and Shift held, the selection and the
// device point of a character.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "editor_fixture.h"

// Holds keys down in this thread's keyboard state while it lives.
class HeldKeys {
public:
    explicit HeldKeys(std::initializer_list<int> keys);
    ~HeldKeys();

private:
    BYTE saved_[256];
};

class EditingTest : public EditorTest {
protected:
    // A shown editor with `text`; `change` adjusts the creation record first.
    template <typename Change>
    void Make(const char* text, Change change, int width = 300, int height = 200)
    {
        TenCreateParams p = Params(text);
        change(p);
        ASSERT_NE(nullptr, Create(&p, width, height, WS_CHILD | WS_VISIBLE));
    }
    void Make(const char* text, int width = 300, int height = 200)
    {
        Make(text, [](TenCreateParams&) {}, width, height);
    }
    void Select(int start, int end) { Send(TEN_SETSELECTION, 0, MAKELPARAM(start, end)); }
    std::pair<int, int> Selection();
    void Type(const std::string& chars);
    void Key(int virtualKey, std::initializer_list<int> held = {});
    // The typing format takes `style` (as a format command would) and is used for typing.
    void SetTypingStyle(int style);
    // The device point in the middle of character `index`'s left edge.
    POINT PointAt(int index);
    void Click(int index, UINT message = WM_LBUTTONDOWN, WPARAM keys = MK_LBUTTON);
    int UndoKind() { return static_cast<int>(Send(TEN_GETUNDOKIND)); }
};
