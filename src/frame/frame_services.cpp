// Frame services used by the model and the classes: start-up facts, cursors, warnings, hint
// dialogs and palettes.
#include "frame/frame_services.h"

#include <cstdio>

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

// The shared procedure of the INFO_ and HINT_ dialogs: the first button (or id 7) confirms,
// Cancel (id 2) declines.
INT_PTR CALLBACK InfoDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND) {
        int id = LOWORD(wParam);
        if (id == 1 || id == 2 || id == 7) {
            EndDialog(dialog, id == 2 ? 0 : 1);
            return TRUE;
        }
    }
    return FALSE;
}

int RunRealInfoDialog(LPCSTR dialogName, int helpContext)
{
    (void)helpContext;
    HINSTANCE instance = g_hInstance ? g_hInstance : GetModuleHandleA(nullptr);
    if (!FindResourceA(instance, dialogName, MAKEINTRESOURCEA(5))) return 0;
    return DialogBoxParamA(instance, dialogName, g_frameWindow, InfoDlgProc, 0) == 1 ? 1 : 0;
}

bool FrameVisible()
{
    return g_frameWindow && IsWindowVisible(g_frameWindow);
}

}  // namespace

MessageBoxPrompt g_messageBoxPrompt = ShowRealMessageBox;
InfoDialogPrompt g_infoDialogPrompt = RunRealInfoDialog;
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
