// The frame's windows as the documents use them: frame, MDI client, document window, view and
// rulers; their layout and the questions shown through the one answerable prompt.
#include "frame/frame_windows.h"

#include <commdlg.h>

#include <cstdio>
#include <cstring>

#include "documents/document_close.h"
#include "documents/document_life.h"
#include "frame/frame_services.h"
#include "model/drawing.h"
#include "model/resource_strings.h"
#include "model/window_utils.h"
#include "store/block_store.h"
#include "text/text_records.h"

namespace {

constexpr UINT kApplicationTitle = 533;
constexpr int kFirstChildId = 0x7000;

int RunRealSaveDialog(char* path, int* fileType, const char* folder)
{
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = g_frameWindow;
    ofn.lpstrFilter = "Drawings (*.VXR)\0*.VXR\0Templates (*.VXT)\0*.VXT\0All Files (*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = 260;
    ofn.lpstrInitialDir = folder && folder[0] ? folder : nullptr;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    if (!GetSaveFileNameA(&ofn)) return 0;
    *fileType = static_cast<int>(ofn.nFilterIndex);
    return 1;
}

LRESULT OnDocumentClose(HWND window)
{
    if (QuerySaveChanges(window, FALSE) == IDCANCEL) return 0;
    SetCursorByIndex(1);
    PrepareDocumentClose(window);
    return DefMDIChildProcA(window, WM_CLOSE, 0, 0);
}

void OnViewScroll(HWND view, int bar, WPARAM wParam)
{
    int code = LOWORD(wParam);
    int step = static_cast<short>(HIWORD(wParam));
    int minimum = 0, maximum = 0;
    GetScrollRange(view, bar, &minimum, &maximum);
    int position = GetScrollPos(view, bar);
    int next = position;
    if (code == kScrollByStep) {
        next = position + step;
    } else if (code == kScrollByDistance) {
        next = position + step;
        if (next < minimum) next = minimum;
        if (next > maximum) next = maximum;
    } else {
        return;
    }
    if (next == position) return;
    SetScrollPos(view, bar, next, TRUE);
    if (bar == SB_HORZ)
        ScrollWindow(view, position - next, 0, nullptr, nullptr);
    else
        ScrollWindow(view, 0, position - next, nullptr, nullptr);
}

bool RegisterOne(const char* name, WNDPROC procedure, int extra, UINT style)
{
    WNDCLASSA wc = {};
    if (GetClassInfoA(GetModuleHandleA(nullptr), name, &wc)) return true;
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.cbWndExtra = extra;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0;
}

bool AddColor(BYTE* list, COLORREF color)
{
    auto* count = reinterpret_cast<INT32*>(list);
    auto* colors = reinterpret_cast<COLORREF*>(list + 4);
    if (*count >= kMaxDocumentColors) return false;
    for (int i = 0; i < *count; ++i)
        if (colors[i] == color) return true;
    colors[(*count)++] = color;
    return true;
}

// The runs of a stored text block, with their count checked against the record.
void AddTextColors(int slot, int textId, BYTE* list)
{
    HGLOBAL record = nullptr;
    if (LoadRecord(slot, RecTextBlock, textId, &record)) return;
    LONG size = GetBlockSize(record) - kBlockHeaderSize;
    {
        Locked<BYTE> bytes(record);
        if (bytes && size >= kTextBlockSize) {
            auto* block = reinterpret_cast<TextBlock*>(bytes.get() + kBlockHeaderSize);
            long long runsAt = kTextBlockSize + static_cast<long long>(block->lineCount) * kTextLineSize;
            if (block->lineCount >= 0 && block->runCount >= 0 &&
                runsAt + static_cast<long long>(block->runCount) * kTextRunSize <= size) {
                auto* runs = reinterpret_cast<TextRun*>(reinterpret_cast<BYTE*>(block) + runsAt);
                for (int r = 0; r < block->runCount; ++r)
                    if (!AddColor(list, runs[r].color)) break;
            }
        }
    }
    ReleaseBlock(record);
}

}  // namespace

SaveFileDialogPrompt g_saveFileDialogPrompt = RunRealSaveDialog;

int RegisterFrameClasses()
{
    bool ok = RegisterOne("MDMainClass", SEMain, 0, 0) &&
              RegisterOne("MDDocumentClass", SEDocument, 4, CS_HREDRAW | CS_VREDRAW) &&
              RegisterOne("MDScrollClass", SEScroll, 8, CS_DBLCLKS | CS_OWNDC) &&
              RegisterOne("MDHRulerClass", DefWindowProcA, 0, CS_OWNDC) &&
              RegisterOne("MDVRulerClass", DefWindowProcA, 0, CS_OWNDC) &&
              RegisterOne("MDXRulerClass", DefWindowProcA, 0, CS_OWNDC);
    return ok ? 0 : ErrWindowNotCreated;
}

int CreateMainFrame(BOOL visible)
{
    if (int err = RegisterFrameClasses()) return err;
    g_frameWindow = CreateWindowA("MDMainClass", "Vexlor", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 800, 600,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!g_frameWindow) return ErrWindowNotCreated;
    CLIENTCREATESTRUCT ccs = {};
    ccs.idFirstChild = kFirstChildId;
    RECT client;
    GetClientRect(g_frameWindow, &client);
    g_mdiClient = CreateWindowA("MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE,
                                0, 0, client.right, client.bottom, g_frameWindow, nullptr, GetModuleHandleA(nullptr), &ccs);
    if (!g_mdiClient) {
        DestroyWindow(g_frameWindow);
        g_frameWindow = nullptr;
        return ErrWindowNotCreated;
    }
    if (visible) ShowWindow(g_frameWindow, SW_SHOWNORMAL);
    return 0;
}

void DestroyMainFrame()
{
    if (g_frameWindow) DestroyWindow(g_frameWindow);
    g_frameWindow = nullptr;
    g_mdiClient = nullptr;
}

LRESULT CALLBACK SEMain(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DEVICECHANGE:
        return HandleDeviceChange(static_cast<UINT>(wParam), lParam) ? TRUE : BROADCAST_QUERY_DENY;
    case WM_CLOSE:
        if (!CloseAllDocuments()) return 0;
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        if (window == g_frameWindow) {
            g_frameWindow = nullptr;
            g_mdiClient = nullptr;
        }
        return 0;
    }
    return DefFrameProcA(window, window == g_frameWindow ? g_mdiClient : nullptr, message, wParam, lParam);
}

LRESULT CALLBACK SEDocument(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        return OnDocumentClose(window);
    case WM_DESTROY:
        DestroyDocumentFile(window);
        return 0;
    case WM_SIZE:
        RelayoutDocumentWindow(window);
        break;
    }
    return DefMDIChildProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK SEScroll(HWND view, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_HSCROLL:
        OnViewScroll(view, SB_HORZ, wParam);
        return 0;
    case WM_VSCROLL:
        OnViewScroll(view, SB_VERT, wParam);
        return 0;
    case WM_DESTROY:
        DestroyDocumentState(view);
        return 0;
    }
    return DefWindowProcA(view, message, wParam, lParam);
}

void RelayoutDocumentWindow(HWND documentWindow)
{
    HWND view = GetWindow(documentWindow, GW_CHILD);
    if (!view) return;
    RECT client;
    GetClientRect(documentWindow, &client);
    MoveWindow(view, 0, 0, client.right, client.bottom, TRUE);
}

void UpdateMenusOnActivate(HWND documentWindow, int flag)
{
    // The document menus come with the frame's menu bar; without one there is nothing to set.
    HMENU menu = g_frameWindow ? GetMenu(g_frameWindow) : nullptr;
    if (!menu) return;
    (void)documentWindow;
    (void)flag;
}

void ApplyViewZoom(HWND view, int zoom)
{
    (void)zoom;
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return;
    HWND editor = nullptr;
    {
        Locked<DocumentState> state(stateBlock);
        if (state) editor = state->textEditor;
    }
    if (editor && IsWindow(editor)) SendMessageA(editor, WM_USER + 103, 0, 0);
}

int CollectDocumentColors(DocumentState* state, int firstRow)
{
    HGLOBAL record = nullptr;
    if (int err = LoadRecord(state->storeSlot, RecDocument, RecColorListId, &record)) return err;
    if (GetBlockSize(record) < kColorListRecordSize) {
        ReleaseBlock(record);
        return 1003;
    }
    {
        Locked<BYTE> bytes(record);
        Locked<Drawing> drawing(state->drawing);
        if (bytes && drawing) {
            BYTE* list = bytes.get() + kBlockHeaderSize;
            auto* count = reinterpret_cast<INT32*>(list);
            if (firstRow == 0) *count = 0;
            if (*count < 0 || *count > kMaxDocumentColors) *count = 0;
            if (*count < kMaxDocumentColors) {
                if (firstRow == 0) {
                    const DrawingStyle& s = drawing->style;
                    const COLORREF styleColors[] = {s.borderColor, s.lineColor, s.fillColor, s.textColor,
                                                    s.shadowColor, s.backgroundColor, s.highlightColor};
                    for (COLORREF c : styleColors) AddColor(list, c & 0x00FFFFFF);
                }
                Locked<ObjectList> objects(drawing->objectList);
                for (int row = firstRow; objects && row < objects->count; ++row) {
                    const DrawObject& object = (*objects)[row];
                    if (!AddColor(list, object.lineColor)) break;
                    if (!AddColor(list, object.fillColor & 0x00FFFFFF)) break;
                    if (object.textId >= 0) AddTextColors(state->storeSlot, object.textId, list);
                    if (*count >= kMaxDocumentColors) break;
                }
            }
        }
    }
    int err = MarkBlockDirty(record);
    ReleaseBlock(record);
    return err;
}

int ShowMessageById(UINT stringId, UINT flags)
{
    char text[1024], caption[262];
    if (!LoadStringA(g_hInstance ? g_hInstance : GetModuleHandleA(nullptr), stringId, text, sizeof(text))) return 0;
    LoadResString(kApplicationTitle, caption);
    return g_messageBoxPrompt(nullptr, text, caption, MB_TASKMODAL | flags);
}

void ShowWarningWithText(UINT stringId, LPCSTR text)
{
    char message[1024];
    if (!LoadStringA(g_hInstance ? g_hInstance : GetModuleHandleA(nullptr), stringId, message, sizeof(message)))
        message[0] = 0;
    std::strncat(message, text ? text : "", sizeof(message) - std::strlen(message) - 1);
    ShowWarningText(message);
}

int RunSaveFileDialog(HWND owner, int templateId, char* path, UINT filterId, UINT titleId, int helpContext,
                      int* fileType, int typeBase, char* folder)
{
    (void)owner;
    (void)templateId;
    (void)filterId;
    (void)titleId;
    (void)helpContext;
    (void)typeBase;
    return g_saveFileDialogPrompt(path, fileType, folder);
}
