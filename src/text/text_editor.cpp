// The in-place editor's state as the object classes reach it.
#include "text/text_editor.h"

#include <cstring>

namespace {

constexpr char kEditorClass[] = "TENClass";

}  // namespace

HGLOBAL GetTenState(HWND editor)
{
    if (!editor) return nullptr;
    char name[16] = {};
    if (!GetClassNameA(editor, name, sizeof(name)) || std::strcmp(name, kEditorClass) != 0)
        return nullptr;
    return reinterpret_cast<HGLOBAL>(static_cast<LONG_PTR>(GetWindowLongA(editor, kTenStateWord)));
}
