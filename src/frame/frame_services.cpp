// Frame services used by the model and the classes: start-up facts, cursors, warnings, hint
// dialogs and palettes.
#include "frame/frame_services.h"

#include <cstdio>

#include "documents/options.h"
#include "documents/settings.h"
#include "frame/help_context.h"
#include "frame/view_layout.h"
#include "model/invalidate.h"
#include "model/resource_strings.h"
#include "model/window_utils.h"
#include "resource.h"

HWND g_frameWindow = nullptr;
HWND g_mdiClient = nullptr;
HWND g_paletteWindow = nullptr;
HFONT g_dialogFont = nullptr;
int g_windowsMajorVersion = 4;
BOOL g_isWindowsNT = TRUE;
BOOL g_monochromeDisplay = FALSE;
BOOL g_sixteenColorDisplay = FALSE;
BOOL g_warningsSuppressed = FALSE;
BOOL g_noDecorations = FALSE;
HBRUSH g_handlePatternBrush = nullptr;
HDC g_backBufferDC = nullptr;
POINT PendingPastePoint = {-1, 0};

namespace {

constexpr int kCursorCount = 18;
int g_currentCursor = 0;

int ShowRealMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    return MessageBoxA(owner, text, caption, type);
}

constexpr int kShowHintsBox = 1036;
constexpr int kHelpButton = 9;
constexpr int kHelpCommand = 30001;

// The help context of the INFO_ or HINT_ dialog on the screen.
int g_infoHelpContext = 0;

bool FrameVisible()
{
    return g_frameWindow && IsWindowVisible(g_frameWindow);
}

}  // namespace

INT_PTR CALLBACK InfoDlgHandler(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        SetDialogFont(dialog, 201, 203);
        if (GetDlgItem(dialog, kShowHintsBox))
            CheckDlgButton(dialog, kShowHintsBox, g_settings && (g_settings->flags & SetHints) ? BST_CHECKED : BST_UNCHECKED);
        if (g_frameWindow) CenterWindowOver(dialog, g_frameWindow);
        ShowWindow(dialog, SW_SHOW);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    const int id = LOWORD(wParam);
    const bool clicked = HIWORD(wParam) == BN_CLICKED;
    if ((id == IDOK || id == 7) && clicked) {
        if (id == IDOK && GetDlgItem(dialog, kShowHintsBox) && g_settings) {
            if (IsDlgButtonChecked(dialog, kShowHintsBox) == BST_CHECKED)
                g_settings->flags |= SetHints;
            else
                g_settings->flags &= ~static_cast<DWORD>(SetHints);
        }
        EndDialog(dialog, 1);
        return TRUE;
    }
    if (id == IDCANCEL && clicked && GetDlgItem(dialog, IDCANCEL)) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    if ((id == kHelpButton && clicked) || id == kHelpCommand) {
        ShowHelpContext(g_infoHelpContext);
        return TRUE;
    }
    return FALSE;
}

int RunInfoDialogBox(LPCSTR dialogName, int helpContext)
{
    HINSTANCE instance = g_hInstance ? g_hInstance : GetModuleHandleA(nullptr);
    if (!FindResourceA(instance, dialogName, MAKEINTRESOURCEA(5))) return 0;
    g_infoHelpContext = helpContext;
    // F1 in the dialog becomes its help command.
    HHOOK filter = SetWindowsHookExA(WH_MSGFILTER, HelpFilter, nullptr, GetCurrentThreadId());
    const INT_PTR result = DialogBoxParamA(instance, dialogName, g_frameWindow, InfoDlgHandler, 0);
    if (filter) UnhookWindowsHookEx(filter);
    return result == 1 ? 1 : 0;
}

MessageBoxPrompt g_messageBoxPrompt = ShowRealMessageBox;
InfoDialogPrompt g_infoDialogPrompt = RunInfoDialogBox;
MessageBoxPrompt g_hiddenWarningNote = nullptr;

int SetCursorByIndex(int index)
{
    if (index < 0 || index >= kCursorCount) return index;
    g_currentCursor = index;
    // Every edit shows the busy cursor: load it once, not once per edit. System cursors are
    // shared and live as long as the program.
    static HCURSOR busy = nullptr;
    if (index == 1) {
        if (!busy) busy = LoadCursorA(nullptr, IDC_WAIT);
        SetCursor(busy);
    }
    return index;
}

int GetCurrentCursorIndex()
{
    return g_currentCursor;
}

void ShowWarningById(UINT stringId)
{
    char text[262];
    LoadResString(stringId, text);
    ShowWarningText(text);
}

void ShowWarningText(LPCSTR text)
{
    // A modal box paints the windows below it: what the current edit invalidated goes first.
    FlushInvalidations();
    if (g_warningsSuppressed) return;
    char caption[262];
    LoadResString(IDS_APP_TITLE, caption);
    if (!FrameVisible()) {
        // A hidden frame (an OLE start) shows no warning; a watcher may still take note.
        if (g_frameWindow && g_hiddenWarningNote) g_hiddenWarningNote(nullptr, text, caption, MB_TASKMODAL | MB_ICONEXCLAMATION | MB_OK);
        return;
    }
    g_messageBoxPrompt(nullptr, text, caption, MB_TASKMODAL | MB_ICONEXCLAMATION | MB_OK);
    ReleaseCapture();
}

int RunInfoDialog(LPCSTR dialogName, int helpContext)
{
    FlushInvalidations();
    if (!FrameVisible()) return 0;
    int result = g_infoDialogPrompt(dialogName, helpContext);
    ReleaseCapture();
    return result;
}

void GrayOutRect(HDC dc, const RECT* rect)
{
    static const WORD kHalftone[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    HBITMAP pattern = CreateBitmap(8, 8, 1, 1, kHalftone);
    HBRUSH brush = CreatePatternBrush(pattern);
    HGDIOBJ old = SelectObject(dc, brush);
    RECT inner = *rect;
    InflateRect(&inner, -2, -2);
    PatBlt(dc, inner.left, inner.top, inner.right - inner.left, inner.bottom - inner.top, 0x00FA0089);  // DPo: pattern OR destination
    SelectObject(dc, old);
    DeleteObject(brush);
    DeleteObject(pattern);
}

void BuildDocumentPalette(HWND view, DocumentState* state)
{
    (void)view;
    (void)state;
}

void ReloadFpuControlWord()
{
}
