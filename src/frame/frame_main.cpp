// The frame window (SEMain) and command dispatch, the document window (SEDocument), the
// drawing view (SEScroll), and the menu state that follows activation.
#include "frame/frame_main.h"

#include <initializer_list>
#include <shellapi.h>

#include <cstring>

#include "documents/document_close.h"
#include "documents/document_life.h"
#include "documents/document_open.h"
#include "documents/document_save.h"
#include "documents/document_state.h"
#include "documents/document_window.h"
#include "documents/options.h"
#include "documents/recent_files.h"
#include "exchange/ole_document.h"
#include "editing/arrange.h"
#include "editing/attachments.h"
#include "editing/drag_state.h"
#include "editing/edit_operation.h"
#include "editing/view_mouse.h"
#include "exchange/background.h"
#include "exchange/exchange_standins.h"
#include "frame/font_messages.h"
#include "frame/frame_services.h"
#include "frame/frame_standins.h"
#include "frame/frame_startup.h"
#include "frame/frame_ui.h"
#include "frame/text_growth.h"
#include "frame/frame_windows.h"
#include "frame/view_layout.h"
#include "libraries/library_services.h"
#include "model/device_units.h"
#include "model/drawing.h"
#include "model/resource_strings.h"
#include "model/selection.h"
#include "model/undo.h"
#include "model/window_utils.h"
#include "store/results.h"
#include "text/object_text.h"
#include "text/text_commands.h"

HMENU g_topMenus[10] = {};
HMENU g_pendingHintMenu = nullptr;
BOOL g_menuHintShown[4] = {};
HCURSOR g_cursorTable[18] = {};
BOOL g_embedded = FALSE;
BOOL g_mailAvailable = FALSE;
BOOL g_oleStarted = FALSE;

namespace {

constexpr int kMdiClientId = 0x7D00;
constexpr int kFirstDocumentId = 820;
constexpr int kPathChars = 262;
constexpr int kIconMissing = 10001;
constexpr UINT kApplicationTitle = 533;
enum TopMenu { MenuFile, MenuEdit, MenuView, MenuShapes, MenuLines, MenuText, MenuDraw, MenuLibraries, MenuWindow, MenuHelp };

HWND ActiveView()
{
    HWND document = GetActiveDocument(nullptr);
    return document ? GetDocumentView(document) : nullptr;
}

void FileMenuCommand(int id)
{
    char path[kPathChars];
    switch (id) {
    case 101: NewDocument(1); return;
    case 102: OpenDocumentCommand(nullptr, TRUE, DocModeOpen); return;
    case 103: CloseActiveDocument(); return;
    case 104:
        if (HWND document = GetActiveDocument(nullptr)) SaveDocument(document);
        return;
    case 105: SaveAsCommand(); return;
    case 106: PrinterSetupCommand(); return;
    case 107: PrintCommand(TRUE); return;
    case 108: ExportDrawingCommand(); return;
    case 109: ImportPictureCommand(); return;
    case 110: SendMessageA(g_frameWindow, WM_CLOSE, 0, 0); return;
    case 112: SendMailCommand(0); return;
    case 113: SendMailCommand(1); return;
    case 114: PrintPreviewCommand(); return;
    case 150: NewDocument(-1); return;
    case 151: PrintCommand(FALSE); return;
    default: break;
    }
    if (id < 120) return;
    GetRecentFilePath(id, path);
    // A recent-file id beyond the list does nothing.
    if (!path[0]) return;
    if (OpenDocumentCommand(path, FALSE, DocModeOpen) != 0) RemoveRecentFile(id);
}

void EditMenuCommand(int id)
{
    switch (id) {
    case 201: CmdEditOrTextStyle(1); break;
    case 202: CmdEditOrTextStyle(2); break;
    case 203: CmdEditOrTextStyle(3); break;
    case 204: CmdEditOrTextStyle(4); break;
    case 205: CmdEditOrTextStyle(5); break;
    case 218: CmdEditOrTextStyle(12); break;
    case 206: DoDrawCommand(206, 0); break;
    case 207: DoColorsAndShadows(); break;
    default: break;
    }
}

void ViewMenuCommand(int id)
{
    switch (id) {
    case 301: SetViewZoom(0, ZoomFitWindow); break;
    case 307: SetViewZoom(0, ZoomFitPage); break;
    case 302: SetViewZoom(500, ZoomPlain); break;
    case 303: SetViewZoom(750, ZoomPlain); break;
    case 304: SetViewZoom(0, ZoomPlain); break;
    case 305: SetViewZoom(1500, ZoomPlain); break;
    case 306: SetViewZoom(2000, ZoomPlain); break;
    case 308: SetViewZoom(5000, ZoomPlain); break;
    case 325: SetViewZoom(1, ZoomPlain); break;
    case 326: SetViewZoom(-1, ZoomPlain); break;
    case 314: ToggleToolbar(); break;
    case 315: DoRulerGridCommand(); break;
    case 316: ToggleShowGrid(); break;
    default: break;
    }
}

void ShapesMenuCommand(int id)
{
    if (id == 401) CmdEditOrTextStyle(30);
    else if (id == 402) CmdEditOrTextStyle(47);
    else if (id == 403) CmdEditOrTextStyle(53);
}

void LinesMenuCommand(int id)
{
    if (id == 501 || id == 502) {
        DoDrawCommand(id, 0);
    } else if (id == 503) {
        UINT state = g_topMenus[MenuLines] ? GetMenuState(g_topMenus[MenuLines], 503, MF_BYCOMMAND) : 0;
        DoDrawCommand(503, state != static_cast<UINT>(-1) && (state & MF_CHECKED) ? 1 : 0);
    }
}

void TextMenuCommand(int id)
{
    switch (id) {
    case 602: CmdEditOrTextStyle(9); break;
    case 603: CmdEditOrTextStyle(10); break;
    case 604: CmdEditOrTextStyle(8); break;
    case 606: CmdEditOrTextStyle(6); break;
    case 607: CmdEditOrTextStyle(7); break;
    case 608: DoDrawCommand(608, 0); break;
    default: DispatchTextCommand(id); break;
    }
}

void DrawMenuCommand(int id)
{
    switch (id) {
    case 760: RotateSelectionCommand(0); return;
    case 761: RotateSelectionCommand(900); return;
    case 763: RotateSelectionCommand(2700); return;
    case 764: RotateSelectionCommand(-1); return;
    case 740: OpenAttachmentCommand(); return;
    case 741: AttachFileCommand(); return;
    case 745: ClearAttachmentsCommand(); return;
    default: DoDrawCommand(id, 0); return;
    }
}

LRESULT WindowMenuCommand(int id)
{
    if (!g_mdiClient) return 0;
    if (id == 807) return SendMessageA(g_mdiClient, WM_MDICASCADE, 0, 0);
    if (id == 808) return SendMessageA(g_mdiClient, WM_MDITILE, 0, 0);
    return 0;
}

void LibrariesMenuCommand(int id)
{
    if (id == 1001 || id == 1050) {
        OpenLibraryWindow(1, -1, nullptr, nullptr);
    } else if (id > 1050 && id <= 1050 + 16) {
        OpenLibraryWindow(1, id - 1051, nullptr, nullptr);
    } else if (id >= 1003 && id <= 1011) {
        // No library window is open yet to take the command.
        if (RunInfoDialog("INFO_LIBMENU", 127) == 1) OpenLibraryWindow(1, -1, nullptr, nullptr);
    }
}

void CloseFrame(HWND window)
{
    if (!CloseAllDocuments()) return;
    FlushOleClipboard();
    if (g_embedded && g_oleStarted) {
        StopOleServer();
        g_oleStarted = FALSE;
        FreeOptionsAtExit();
        CloseClipboardStore();
    }
    if (g_paletteWindow) {
        DestroyWindow(g_paletteWindow);
        g_paletteWindow = nullptr;
    }
    DestroyLibraryWindows();
    if (g_settings) {
        if (IsZoomed(window)) g_settings->flags &= ~static_cast<DWORD>(SetFrameNotMaximised);
        else g_settings->flags |= SetFrameNotMaximised;
    }
    // The line-shape slot holds a popup of the right-button menu, which outlives the menu bar.
    if (IsRightMenuLoaded() && g_topMenus[MenuLines] && GetSubMenu(g_topMenus[MenuLines], 3))
        RemoveMenu(g_topMenus[MenuLines], 3, MF_BYPOSITION);
    DestroyWindow(window);
}

void OnHandOver(WPARAM print, ATOM atom)
{
    if (!atom) return;
    char path[kPathChars] = {};
    if (!GlobalGetAtomNameA(atom, path, 262)) return;
    if (IsIconic(g_frameWindow)) ShowWindow(g_frameWindow, SW_RESTORE);
    OpenHandedPath(path, print != 0);
}

// Menu hints: a Shapes, Lines, Text or Draw popup highlighted becomes the pending popup whose
// hint shows when the menu closes (once per run); the other top-level popups clear it.
void OnMenuSelect(HWND window, WPARAM wParam, LPARAM lParam)
{
    UINT item = LOWORD(wParam), flags = HIWORD(wParam);
    HMENU menu = reinterpret_cast<HMENU>(lParam);
    if (flags != 0xFFFF) RememberMenuItem(static_cast<int>(item));
    if (!g_settings || !(g_settings->flags & SetHints)) return;
    if (flags == 0xFFFF && !menu) {
        if (g_pendingHintMenu) PostMessageA(window, WM_COMMAND, 997, 0);
        return;
    }
    if (!(flags & MF_POPUP) || !menu) return;
    HMENU popup = GetSubMenu(menu, static_cast<int>(item));
    if (!popup) return;
    static const TopMenu kHinted[4] = {MenuShapes, MenuLines, MenuText, MenuDraw};
    for (int i = 0; i < 4; ++i)
        if (popup == g_topMenus[kHinted[i]]) {
            g_pendingHintMenu = g_menuHintShown[i] ? nullptr : popup;
            return;
        }
    for (TopMenu other : {MenuFile, MenuEdit, MenuView, MenuLibraries, MenuWindow, MenuHelp})
        if (popup == g_topMenus[other]) g_pendingHintMenu = nullptr;
}

void OnInitMenuPopup(HMENU popup)
{
    CancelToolTip();
    if (!popup) return;
    if (popup == g_topMenus[MenuFile]) UpdateFileMenu();
    else if (popup == g_topMenus[MenuEdit]) UpdateEditMenu(popup);
    else if (popup == g_topMenus[MenuText]) UpdateTextMenu();
    else if (popup == g_topMenus[MenuView]) UpdateViewMenu(popup);
    else if (popup == g_topMenus[MenuDraw]) UpdateDrawMenu(popup);
    else if (popup == g_topMenus[MenuShapes]) UpdateShapesMenu(popup);
    else if (popup == g_topMenus[MenuLines]) UpdateLinesMenu(popup);
    else if (popup == g_topMenus[MenuLibraries]) UpdateLibrariesMenu(popup);
}

bool IsShadingItem(UINT id) { return id >= 1100 && id <= 1199; }

void OnMeasureItem(MEASUREITEMSTRUCT* item)
{
    if (item->CtlType != ODT_MENU) return;
    if (IsShadingItem(item->itemID)) MeasureMenuShadingItem(item);
    else if (item->itemID < 3000) MeasureMenuPictureItem(item);
    else MeasureMenuColorItem(item);
}

void OnDrawItem(const DRAWITEMSTRUCT* item)
{
    if (item->CtlType != ODT_MENU) return;
    UINT id = item->itemID;
    if (id < 3000 && !IsShadingItem(id)) {
        DrawMenuPictureItem(item);
        return;
    }
    // Fill and background swatches map their colour as a fill, the others as a pen.
    g_swatchIsFill = (id > 3100 && id < 3200) || (id > 3300 && id < 3400);
    DrawMenuSwatchItem(item, GetActiveDocumentPalette());
    g_swatchIsFill = TRUE;
}

}  // namespace

CommandRoute RouteCommand(int id)
{
    struct Range {
        int first, last;
        CommandOwner owner;
        int message;
        int base;   // value = id - base
    };
    static const Range kRanges[] = {
        {101, 199, OwnerFile, 0, 0},        {201, 299, OwnerEdit, 0, 0},       {301, 399, OwnerView, 0, 0},
        {401, 499, OwnerShapes, 0, 0},      {501, 599, OwnerLines, 0, 0},      {601, 699, OwnerText, 0, 0},
        {701, 799, OwnerDraw, 0, 0},        {801, 899, OwnerWindow, 0, 0},     {901, 999, OwnerHelp, 0, 0},
        {1001, 1099, OwnerLibraries, 0, 0}, {1100, 1199, OwnerStyle, 9, 1100}, {1200, 1299, OwnerStyle, 7, 1200},
        {1300, 1399, OwnerStyle, 8, 1300},  {1400, 1499, OwnerStyle, 50, 1399}, {2401, 2499, OwnerStyle, 61, 2400},
        {1601, 1699, OwnerStyle, 83, 1601}, {1800, 1899, OwnerStyle, 36, 1800}, {1901, 1999, OwnerStyle, 37, 1900},
        {3001, 3099, OwnerStyle, 35, 3001}, {3101, 3199, OwnerStyle, 21, 3101}, {3201, 3299, OwnerTextColor, 0, 3201},
        {3301, 3399, OwnerBackground, 0, 3301}, {3401, 3499, OwnerStyle, 17, 3401},
    };
    for (const Range& r : kRanges)
        if (id >= r.first && id <= r.last) return {r.owner, r.message, id - r.base};
    return {OwnerNone, 0, 0};
}

void DispatchCommand(int id)
{
    CancelToolTip();
    CommandRoute route = RouteCommand(id);
    switch (route.owner) {
    case OwnerFile: FileMenuCommand(route.value); break;
    case OwnerEdit: EditMenuCommand(route.value); break;
    case OwnerView: ViewMenuCommand(route.value); break;
    case OwnerShapes: ShapesMenuCommand(route.value); break;
    case OwnerLines: LinesMenuCommand(route.value); break;
    case OwnerText: TextMenuCommand(route.value); break;
    case OwnerDraw: DrawMenuCommand(route.value); break;
    case OwnerWindow: WindowMenuCommand(route.value); break;
    case OwnerHelp: HelpCommand(route.value); break;
    case OwnerLibraries: LibrariesMenuCommand(route.value); break;
    case OwnerStyle: ApplyStyleCommand(route.message, route.value); break;
    case OwnerTextColor: CmdTextColor(route.value); break;
    case OwnerBackground: SetBackgroundColor(route.value, 0, FALSE); break;
    case OwnerNone: break;
    }
    SetCursorByIndex(0);
    if (g_cursorTable[0]) SetCursor(g_cursorTable[0]);
}

void OpenHandedPath(char* path, BOOL print)
{
    if (print) {
        if (OpenDocumentCommand(path, FALSE, DocModeOpen) == 0 && GetActiveDocument(nullptr)) {
            PrintCommand(TRUE);
            CloseActiveDocument();
        }
        return;
    }
    if (IsLibraryFile(path)) OpenLibraryFile(path);
    else OpenDocumentCommand(path, FALSE, DocModeOpen);
}

void HandleDroppedFiles(HDROP drop)
{
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char path[kPathChars] = {};
        if (DragQueryFileA(drop, i, path, 261)) OpenHandedPath(path, FALSE);
    }
    DragFinish(drop);
}

int SendSubmenuPosition(HMENU file)
{
    // The File menu's only submenu is Send.
    for (int i = GetMenuItemCount(file) - 1; i >= 0; --i)
        if (GetSubMenu(file, i)) return i;
    return -1;
}

HPALETTE GetActiveDocumentPalette()
{
    HWND view = ActiveView();
    HGLOBAL block = view ? GetDocumentStateHandle(view) : nullptr;
    if (!block) return nullptr;
    Locked<DocumentState> state(block);
    return state ? state->palette : nullptr;
}

void SetDocumentMenusEnabled(int grey)
{
    HMENU bar = g_frameWindow ? GetMenu(g_frameWindow) : nullptr;
    if (!bar) return;
    int shift = GetMenuItemCount(bar) > 10 ? 1 : 0;
    for (int position = MenuEdit; position <= MenuWindow; ++position)
        EnableMenuItem(bar, position + shift, MF_BYPOSITION | (grey ? MF_GRAYED : MF_ENABLED));
    HMENU file = g_topMenus[MenuFile];
    if (file) {
        EnableMenuItem(file, 101, MF_BYCOMMAND | MF_ENABLED);
        EnableMenuItem(file, 102, MF_BYCOMMAND | MF_ENABLED);
        for (int id : {103, 104, 105, 106, 107, 114, 108, 109}) EnableMenuItem(file, id, MF_BYCOMMAND | MF_GRAYED);
        if (g_mailAvailable)
            if (int send = SendSubmenuPosition(file); send >= 0) EnableMenuItem(file, send, MF_BYPOSITION | MF_GRAYED);
    }
    ShowPaletteTools(grey);
    if (file) UpdateRecentFilesMenu(file);
    DrawMenuBar(g_frameWindow);
}

namespace {

// The frame's caption: the application title, and while the active document is maximised
// " - [" its title "]" after it, as an MDI frame shows it.
void ShowFrameCaption(HWND activeDocument)
{
    if (!g_frameWindow) return;
    char caption[600];
    if (LoadResString(kApplicationTitle, caption)) return;
    if (activeDocument && IsZoomed(activeDocument)) {
        char title[262] = "";
        GetWindowTextA(activeDocument, title, sizeof(title));
        lstrcatA(caption, " - [");
        lstrcatA(caption, title);
        lstrcatA(caption, "]");
    }
    // Past the MDI frame's own WM_SETTEXT, which would keep the composed text as the frame's
    // title and compose the next document's name onto it.
    DefWindowProcA(g_frameWindow, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption));
}

}  // namespace

void UpdateMenusOnActivate(HWND documentWindow, int flag)
{
    if (!documentWindow) {
        SetDocumentMenusEnabled(1);
        ShowFrameCaption(nullptr);
        return;
    }
    HMENU bar = g_frameWindow ? GetMenu(g_frameWindow) : nullptr;
    if (flag && bar && (GetMenuState(bar, MenuDraw, MF_BYPOSITION) & MF_GRAYED)) SetDocumentMenusEnabled(0);
    if (flag) ShowFrameCaption(documentWindow);
    SendMessageA(documentWindow, WM_ACTIVATE, flag ? WA_ACTIVE : WA_INACTIVE, 0);
}

void UpdateFileMenu()
{
    HWND view = ActiveView();
    HMENU file = g_topMenus[MenuFile];
    if (!view || !file || !GetDocumentStateHandle(view)) return;
    struct Item {
        int id;
        UINT stringId;
        bool named;   // followed by the container's document name
    };
    // An object opened by a container closes back into it and updates it.
    bool embedded = GetOleObjectState(view) == 1;
    char container[262] = {};
    if (embedded) GetOleContainerName(container, view, sizeof(container));
    const Item kFile[] = {{103, 508, false}, {104, 512, false}, {105, 510, false}};
    const Item kEmbedded[] = {{103, 507, true}, {104, 511, true}, {105, 509, false}};
    for (const Item& item : embedded ? kEmbedded : kFile) {
        char text[262 * 2];
        if (LoadResString(item.stringId, text)) continue;
        if (item.named) lstrcatA(text, container);
        ModifyMenuA(file, item.id, MF_BYCOMMAND | MF_STRING, item.id, text);
    }
    for (int id : {101, 102, 103, 104, 105, 106, 107, 114, 108, 109}) EnableMenuItem(file, id, MF_BYCOMMAND | MF_ENABLED);
    if (g_mailAvailable) {
        if (int send = SendSubmenuPosition(file); send >= 0) {
            EnableMenuItem(file, send, MF_BYPOSITION | MF_ENABLED);
            char title[262] = {};
            GetWindowTextA(GetActiveDocument(nullptr), title, sizeof(title));
            ModifyMenuA(GetSubMenu(file, send), 112, MF_BYCOMMAND | MF_STRING, 112, title);
        }
    }
    UpdateRecentFilesMenu(file);
}

void ForwardActivateToActiveDocument(int state, HWND other)
{
    HWND document = GetActiveDocument(nullptr);
    if (document) SendMessageA(document, WM_ACTIVATE, static_cast<WPARAM>(state), reinterpret_cast<LPARAM>(other));
}

void ForwardActivateToView(HWND documentWindow, int state, HWND other)
{
    if (HWND view = GetWindow(documentWindow, GW_CHILD))
        SendMessageA(view, WM_ACTIVATE, static_cast<WPARAM>(state), reinterpret_cast<LPARAM>(other));
}

void OnViewActivate(HWND view, int state)
{
    HWND child = GetWindow(view, GW_CHILD);
    char name[32];
    if (child && IsWindowVisible(child) && GetClassNameA(child, name, sizeof(name)) && lstrcmpA(name, "TENClass") == 0) {
        SendMessageA(child, WM_USER + 160, 0, 0);
        SendMessageA(child, WM_ACTIVATE, static_cast<WPARAM>(state), 0);
    } else if (state) {
        SetFocus(view);
    }
    if (state) {
        RealizeViewPalette(view, FALSE);
        UpdateTextStyleControls(view);
    }
}

void ShowTextTooLongWarning()
{
    char text[262], caption[262];
    LoadResString(14, text);
    LoadResString(533, caption);
    g_messageBoxPrompt(g_frameWindow, text, caption, MB_TASKMODAL | MB_ICONEXCLAMATION | MB_OK);
}

BOOL UpdateViewCursor(HWND view)
{
    // Without the editing subsystem's hit test the class cursor (the arrow) shows.
    (void)view;
    return FALSE;
}

LRESULT CALLBACK SEMain(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND client = window == g_frameWindow ? g_mdiClient : nullptr;
    auto byDefault = [&]() {
        return client ? DefFrameProcA(window, client, message, wParam, lParam)
                      : DefWindowProcA(window, message, wParam, lParam);
    };
    switch (message) {
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (IsHelpMode()) ShowMenuCommandHelp(id);
        else DispatchCommand(id);
        return byDefault();
    }
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
        return byDefault();
    case WM_MENUSELECT:
        OnMenuSelect(window, wParam, lParam);
        return byDefault();
    case WM_MEASUREITEM:
        OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DRAWITEM:
        OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_SIZE:
        LayoutFrameClient(lParam);
        return 0;
    case WM_ACTIVATE:
        ForwardActivateToActiveDocument(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_SETFOCUS:
        ForwardActivateToActiveDocument(1, nullptr);
        return 0;
    case WM_KILLFOCUS:
        ForwardActivateToActiveDocument(0, nullptr);
        return 0;
    case WM_SETCURSOR:
        if (IsHelpMode() && g_cursorTable[2]) {
            SetCursor(g_cursorTable[2]);
            return TRUE;
        }
        return byDefault();
    case WM_NCMOUSEMOVE:
        CancelToolTip();
        return byDefault();
    case WM_CLOSE:
        CloseFrame(window);
        return 0;
    case WM_QUERYENDSESSION:
        return CloseAllDocuments();
    case WM_DESTROY:
        if (WasHelpShown()) WinHelpA(window, HelpFilePath(), HELP_QUIT, 0);
        DragAcceptFiles(window, FALSE);
        if (window == g_frameWindow) {
            PostQuitMessage(0);
            g_mdiClient = nullptr;
        }
        return 0;
    case WM_DROPFILES:
        HandleDroppedFiles(reinterpret_cast<HDROP>(wParam));
        return byDefault();
    case WM_SYSCOLORCHANGE:
        RefreshLibraryPictures();
        return byDefault();
    case WM_WININICHANGE:
        OnWinIniChange(reinterpret_cast<LPCSTR>(lParam));
        return 0;
    case WM_DEVMODECHANGE:
        OnDevModeChange(reinterpret_cast<LPCSTR>(lParam));
        return 0;
    case WM_FONTCHANGE:
        OnFontChange();
        return 0;
    case WM_QUERYNEWPALETTE:
        return OnQueryNewPalette();
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wParam) != window) OnPaletteChanged(reinterpret_cast<HWND>(wParam));
        return byDefault();
    case WM_DEVICECHANGE:
        return HandleDeviceChange(static_cast<UINT>(wParam), lParam) ? TRUE : BROADCAST_QUERY_DENY;
    case WM_USER + 201:
        ShowWarningById(11);
        return byDefault();
    case WM_USER + 202:
    case WM_USER + 203:
        HandleFontCacheMessage(window, message);
        return byDefault();
    case WM_USER + 204:
        OnHandOver(wParam, static_cast<ATOM>(lParam));
        return 0;
    default:
        return byDefault();
    }
}

LRESULT CALLBACK SEDocument(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) RelayoutDocumentWindow(window);
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        PaintDocumentSurround(window, dc, &ps.rcPaint);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ACTIVATE:
        ForwardActivateToView(window, LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_MDIACTIVATE:
        UpdateMenusOnActivate(window, reinterpret_cast<HWND>(lParam) == window);
        return 0;
    case WM_CLOSE:
        if (QuerySaveChanges(window, FALSE) == IDCANCEL) return 0;
        SetCursorByIndex(1);
        PrepareDocumentClose(window);
        break;
    case WM_SETCURSOR:
        CancelToolTip();
        break;
    case WM_DESTROY:
        DestroyDocumentFile(window);
        break;
    default:
        break;
    }
    return DefMDIChildProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK SEScroll(HWND view, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        HDC dc = GetDC(view);
        SetLogicalUnits(dc, 0, kDrawingUnitsPerInch);
        SetTextAlign(dc, TA_BASELINE);
        SetBkMode(dc, TRANSPARENT);
        SetStretchBltMode(dc, COLORONCOLOR);
        ReleaseDC(view, dc);
        return 0;
    }
    case WM_DESTROY:
        DestroyDocumentState(view);
        return 0;
    case WM_ACTIVATE:
        OnViewActivate(view, LOWORD(wParam));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(view, &ps);
        PaintView(view, dc, &ps.rcPaint);
        EndPaint(view, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == view && UpdateViewCursor(view)) return 0;
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        ScrollDocument(view, LOWORD(wParam), message == WM_HSCROLL ? 0 : 1, static_cast<short>(HIWORD(wParam)));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (IsHelpMode()) {
            // A press in context-help mode only ends that mode; the right button still shows the
            // popup of the kind chosen before.
            LeaveHelpMode();
            if (message == WM_RBUTTONDOWN && IsRightMenuLoaded()) ShowContextMenu(view, lParam);
            return 0;
        }
        if (message == WM_LBUTTONDBLCLK) {
            OnViewDoubleClick(view, wParam, point);
            return 0;
        }
        if (g_dragState.trackMode == 0) OnViewButtonDown(view, wParam, point, message == WM_RBUTTONDOWN);
        if (message == WM_RBUTTONDOWN && IsRightMenuLoaded()) {
            SendMessageA(view, WM_RBUTTONUP, wParam, lParam);
            ShowContextMenu(view, lParam);
        }
        return 0;
    }
    case WM_MOUSEMOVE:
        CancelToolTip();
        ForgetContextMenuPoint();
        ShowCursorPosition(view, lParam);
        if (g_dragState.trackMode != 0) {
            POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            OnViewMouseMove(view, wParam, point);
        }
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if (g_dragState.trackMode != 0) {
            POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            OnViewButtonUp(view, wParam, point);
        }
        return 0;
    case WM_KEYDOWN:
        OnViewKeyDown(view, static_cast<int>(wParam));
        return 0;
    case WM_KEYUP:
        OnViewKeyUp(view, static_cast<int>(wParam));
        return 0;
    case WM_CHAR:
        OnViewChar(view, static_cast<int>(wParam), lParam);
        return 0;
    case WM_USER + 163:
        // A drag left the text editor: the view takes it over as a Shift press at that point.
        ReleaseCapture();
        SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, lParam);
        return 1;
    case WM_USER + 156:
        ShowTextTooLongWarning();
        ReleaseCapture();
        return 0;
    case WM_USER + 109:
        return OnEditorSizeRequest(view, lParam);
    case WM_USER + 161:
        GetTextEditorViewRect(view, reinterpret_cast<RECT*>(lParam));
        return 0;
    case WM_USER + 164:
        ClearUndoState(view);
        return 0;
    case WM_USER + 171:
        SetPageTextDefault(view, static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    default:
        break;
    }
    return DefWindowProcA(view, message, wParam, lParam);
}

int RegisterWindowClasses(HINSTANCE instance)
{
    struct ClassSpec {
        const char* name;
        WNDPROC procedure;
        UINT style;
        int extra;
        int icon;       // resource, 0 none
        HBRUSH background;
        const char* menu;
    };
    HICON frameIcon = LoadIconA(instance, MAKEINTRESOURCEA(1001));
    HICON documentIcon = LoadIconA(instance, MAKEINTRESOURCEA(1002));
    if (!frameIcon || !documentIcon) return kIconMissing;
    auto sys = [](int color) { return reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(color + 1)); };
    const ClassSpec kClasses[] = {
        {"MDMainClass", SEMain, CS_BYTEALIGNCLIENT, 0, 1001, sys(COLOR_APPWORKSPACE), "MDMenu"},
        {"MDDocumentClass", SEDocument, CS_BYTEALIGNCLIENT, 4, 1002, sys(COLOR_WINDOW), nullptr},
        {"MDScrollClass", SEScroll, CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, 8, 1001, sys(COLOR_WINDOW), nullptr},
        {"MDHRulerClass", SEHRuler, CS_OWNDC | CS_HREDRAW | CS_VREDRAW, 0, 1001, sys(COLOR_BTNFACE), nullptr},
        {"MDVRulerClass", SEVRuler, CS_OWNDC | CS_HREDRAW | CS_VREDRAW, 0, 1001, sys(COLOR_BTNFACE), nullptr},
        {"MDXRulerClass", SEXRuler, CS_OWNDC | CS_HREDRAW | CS_VREDRAW, 0, 1001, sys(COLOR_BTNFACE), nullptr},
        {"SEIconButtonClass", SEIcnBtn, CS_DBLCLKS, 12, 0, sys(COLOR_BTNFACE), nullptr},
        {"SESAMPLEWIN", SampleWindowProc, CS_DBLCLKS, 16, 0, sys(COLOR_BTNFACE), nullptr},
        {"SEBMWWIN", BitmapWindowProc, 0, 0, 0, sys(COLOR_BTNFACE), nullptr},
        {"SECHARARRAY", CharArrayHandler, CS_DBLCLKS, 20, 0, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), nullptr},
    };
    for (const ClassSpec& c : kClasses) {
        WNDCLASSA wc = {};
        wc.style = c.style;
        wc.lpfnWndProc = c.procedure;
        wc.cbWndExtra = c.extra;
        wc.hInstance = instance;
        wc.hIcon = c.icon == 1002 ? documentIcon : (c.icon ? frameIcon : nullptr);
        wc.hCursor = g_cursorTable[0] ? g_cursorTable[0] : LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = c.background;
        wc.lpszMenuName = c.menu;
        wc.lpszClassName = c.name;
        if (!RegisterClassA(&wc)) return ErrWindowNotCreated;
    }
    return 0;
}

int RegisterFrameClasses()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA existing;
    if (GetClassInfoA(instance, "MDMainClass", &existing)) return 0;
    return RegisterWindowClasses(instance);
}

int CreateMainFrame(BOOL visible)
{
    if (int err = RegisterFrameClasses()) return err;
    char title[262];
    LoadResString(533, title);
    g_frameWindow = CreateWindowA("MDMainClass", title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, 0,
                                  CW_USEDEFAULT, 0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!g_frameWindow) return ErrWindowNotCreated;
    HMENU bar = GetMenu(g_frameWindow);
    for (int i = 0; i < 10; ++i) g_topMenus[i] = bar ? GetSubMenu(bar, i) : nullptr;
    CLIENTCREATESTRUCT ccs = {};
    ccs.hWindowMenu = g_topMenus[MenuWindow];
    ccs.idFirstChild = kFirstDocumentId;
    g_mdiClient = CreateWindowA("MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 0, 0,
                                g_frameWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMdiClientId)),
                                GetModuleHandleA(nullptr), &ccs);
    if (!g_mdiClient) {
        DestroyWindow(g_frameWindow);
        g_frameWindow = nullptr;
        return ErrWindowNotCreated;
    }
    // The MDI frame keeps the title it is given through WM_SETTEXT as the one it shows the
    // maximised document's name after.
    SetWindowTextA(g_frameWindow, title);
    RECT client;
    GetClientRect(g_frameWindow, &client);
    LayoutFrameClient(MAKELPARAM(client.right, client.bottom));
    if (visible) ShowWindow(g_frameWindow, SW_SHOWNORMAL);
    return 0;
}

void DestroyMainFrame()
{
    if (g_frameWindow) DestroyWindow(g_frameWindow);
    g_frameWindow = nullptr;
    g_mdiClient = nullptr;
    for (HMENU& m : g_topMenus) m = nullptr;
    // A test's frame posts its quit message like the program's: take it off the queue.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}
