// The drawing view's keyboard: Clear, nudge, scrolling, the zoom cursor, and typing that opens
// the selected object's text editor.
#include "documents/document_life.h"
#include "documents/document_state.h"
#include "editing/arrange.h"
#include "editing/edit_operation.h"
#include "frame/frame_services.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/window_utils.h"
#include "resource.h"
#include "text/ten_messages.h"
#include "text/text_editor.h"

namespace {

constexpr DWORD kTakesText = 0x4;
constexpr LPARAM kWholeText = 0x7D000000;

// Set while the view hands characters to its editor: a character the editor sends back to the
// view is dropped, not forwarded once more.
BOOL g_forwardingChar = FALSE;

BOOL ViewHasDrawing(HWND view)
{
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return FALSE;
    Locked<DocumentState> state(stateBlock);
    return state && state->drawing;
}

void ShowZoomCursor(HWND view)
{
    int fit = 0;
    GetViewZoom(view, &fit);
    SetCursorByIndex(fit ? CursorZoomIn : CursorZoomOut);
}

void ForwardChar(HWND editor, WPARAM code, LPARAM keyData)
{
    g_forwardingChar = TRUE;
    SendMessageA(editor, WM_CHAR, code, keyData);
    g_forwardingChar = FALSE;
}

// The first selected object from `start` on that takes text; -1 when none.
int FindTextTaker(HGLOBAL drawingBlock, int* x, int* y)
{
    Locked<Drawing> drawing(drawingBlock);
    Locked<ObjectList> objects(drawing ? drawing->objectList : nullptr);
    if (!objects) return -1;
    int start = drawing->currentRow;
    if (start < 0 || start >= objects->count || !((*objects)[start].state & StateSelected)) start = 0;
    for (int row = start; row < objects->count; ++row) {
        const DrawObject& object = (*objects)[row];
        if (!(object.state & StateSelected)) continue;
        if (!(SendClassMessage(nullptr, drawing.get(), objects.get(), row, OM_GETCAPS) & kTakesText)) continue;
        *x = object.innerRect.right;
        *y = object.innerRect.bottom;
        return row;
    }
    return -1;
}

}  // namespace

void OnViewKeyDown(HWND view, int key)
{
    const BOOL shift = GetKeyState(VK_SHIFT) < 0;
    const BOOL ctrl = GetKeyState(VK_CONTROL) < 0;
    if (ViewHasDrawing(view)) {
        switch (key) {
        case VK_BACK:
        case VK_DELETE: DoEditOperation(view, EditClear, 0, nullptr); break;
        case VK_SHIFT:
            if (ctrl) ShowZoomCursor(view);
            break;
        case VK_CONTROL:
            if (shift) ShowZoomCursor(view);
            break;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN: DoEditOperation(view, EditNudge, key, nullptr); break;
        default: break;
        }
    }
    switch (key) {
    case VK_PRIOR: SendMessageA(view, WM_VSCROLL, SB_PAGEUP, 0); break;
    case VK_NEXT: SendMessageA(view, WM_VSCROLL, SB_PAGEDOWN, 0); break;
    case VK_END: SendMessageA(view, WM_VSCROLL, SB_BOTTOM, 0); break;
    case VK_HOME: SendMessageA(view, WM_VSCROLL, SB_TOP, 0); break;
    default: break;
    }
}

void OnViewKeyUp(HWND view, int key)
{
    if (key != VK_SHIFT && key != VK_CONTROL) return;
    const int cursor = GetCurrentCursorIndex();
    if ((cursor == CursorZoomIn || cursor == CursorZoomOut) && ViewHasDrawing(view)) SetCursorByIndex(CursorArrow);
}

void OnViewChar(HWND view, int code, LPARAM keyData)
{
    const int ch = LOWORD(code);
    if (g_forwardingChar) return;
    if (ch != VK_RETURN && (ch == 127 || ch < 32)) return;
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return;
    HWND editor;
    HGLOBAL drawingBlock;
    {
        Locked<DocumentState> state(stateBlock);
        if (!state) return;
        editor = state->textEditor;
        drawingBlock = state->drawing;
    }
    if (editor && IsWindow(editor) && GetFocus() == editor) {
        ForwardChar(editor, ch, keyData);
        return;
    }
    if (!drawingBlock) return;
    int x = 0, y = 0;
    const int row = FindTextTaker(drawingBlock, &x, &y);
    if (row < 0) return;
    {
        Locked<DocumentState> state(stateBlock);
        if (!state) return;
        BeginObjectTextEdit(view, state.get(), row, x, y, 0);
        editor = state->textEditor;
    }
    if (!editor || !IsWindow(editor)) return;
    SendMessageA(editor, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    SendMessageA(editor, TEN_SETSELECTION, 2, kWholeText);
    if (ch == VK_RETURN) return;
    ForwardChar(editor, ch, keyData);
    // Characters typed meanwhile belong to the editor too, in their order.
    MSG msg;
    while (PeekMessageA(&msg, view, WM_CHAR, WM_CHAR, PM_REMOVE | PM_NOYIELD)) ForwardChar(editor, msg.wParam, msg.lParam);
}
