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
#include "model/class_protocol.h"
#include "model/device_units.h"
#include "model/drawing.h"
#include "model/resource_strings.h"
#include "model/selection.h"
#include "model/undo.h"
#include "model/window_utils.h"
#include "store/results.h"
#include "text/object_text.h"
#include "text/ten_messages.h"
#include "text/text_commands.h"
#include "resource.h"

HMENU g_topMenus[10] = {};
HMENU g_pendingHintMenu = nullptr;
BOOL g_menuHintShown[4] = {};
HCURSOR g_cursorTable[18] = {};
BOOL g_embedded = FALSE;
BOOL g_mailAvailable = FALSE;
BOOL g_oleStarted = FALSE;

namespace {

constexpr int kMdiClientId = 0x7D00;
constexpr int kPathChars = 262;
constexpr int kIconMissing = 10001;
constexpr int kLibraryMenuHelp = 127;
// The File commands that need an open document.
constexpr int kDocumentFileCommands[] = {CMD_CLOSE, CMD_SAVE, CMD_SAVE_AS, CMD_PRINTER_SETUP, CMD_PRINT, CMD_PRINT_PREVIEW,
                                         CMD_EXPORT, CMD_IMPORT};
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
    case CMD_NEW: NewDocument(1); return;
    case CMD_OPEN: OpenDocumentCommand(nullptr, TRUE, DocModeOpen); return;
    case CMD_CLOSE: CloseActiveDocument(); return;
    case CMD_SAVE:
        if (HWND document = GetActiveDocument(nullptr)) SaveDocument(document);
        return;
    case CMD_SAVE_AS: SaveAsCommand(); return;
    case CMD_PRINTER_SETUP: PrinterSetupCommand(); return;
    case CMD_PRINT: PrintCommand(TRUE); return;
    case CMD_EXPORT: ExportDrawingCommand(); return;
    case CMD_IMPORT: ImportPictureCommand(); return;
    case CMD_EXIT: SendMessageA(g_frameWindow, WM_CLOSE, 0, 0); return;
    case CMD_SEND_ONE: SendMailCommand(0); return;
    case CMD_SEND_ALL: SendMailCommand(1); return;
    case CMD_PRINT_PREVIEW: PrintPreviewCommand(); return;
    case CMD_PALETTE_NEW: NewDocument(-1); return;
    case CMD_PALETTE_PRINT: PrintCommand(FALSE); return;
    default: break;
    }
    if (id < CMD_RECENT_FILE_FIRST) return;
    GetRecentFilePath(id, path);
    // A recent-file id beyond the list does nothing.
    if (!path[0]) return;
    if (OpenDocumentCommand(path, FALSE, DocModeOpen) != 0) RemoveRecentFile(id);
}

void EditMenuCommand(int id)
{
    switch (id) {
    case CMD_UNDO: CmdEditOrTextStyle(1); break;
    case CMD_CUT: CmdEditOrTextStyle(2); break;
    case CMD_COPY: CmdEditOrTextStyle(3); break;
    case CMD_PASTE: CmdEditOrTextStyle(4); break;
    case CMD_CLEAR: CmdEditOrTextStyle(5); break;
    case CMD_SELECT_ALL: CmdEditOrTextStyle(12); break;
    case CMD_DUPLICATE: DoDrawCommand(CMD_DUPLICATE, 0); break;
    case CMD_COLORS_AND_SHADOWS: DoColorsAndShadows(); break;
    default: break;
    }
}

void ViewMenuCommand(int id)
{
    switch (id) {
    case CMD_FIT_TO_WINDOW: SetViewZoom(0, ZoomFitWindow); break;
    case CMD_FIT_TO_PAGE: SetViewZoom(0, ZoomFitPage); break;
    case CMD_ZOOM50: SetViewZoom(500, ZoomPlain); break;
    case CMD_ZOOM75: SetViewZoom(750, ZoomPlain); break;
    case CMD_ZOOM100: SetViewZoom(0, ZoomPlain); break;
    case CMD_ZOOM150: SetViewZoom(1500, ZoomPlain); break;
    case CMD_ZOOM200: SetViewZoom(2000, ZoomPlain); break;
    case CMD_ZOOM_CUSTOM: SetViewZoom(5000, ZoomPlain); break;
    case CMD_ZOOM_IN: SetViewZoom(1, ZoomPlain); break;
    case CMD_ZOOM_OUT: SetViewZoom(-1, ZoomPlain); break;
    case CMD_SHOW_TOOLBAR: ToggleToolbar(); break;
    case CMD_RULERS_AND_GRID: DoRulerGridCommand(); break;
    case CMD_SHOW_GRID: ToggleShowGrid(); break;
    default: break;
    }
}

void ShapesMenuCommand(int id)
{
    if (id == CMD_TEXT_SIZING) CmdEditOrTextStyle(30);
    else if (id == CMD_SHAPE_SIZING) CmdEditOrTextStyle(47);
    else if (id == CMD_EDIT_SHAPE_OUTLINE) CmdEditOrTextStyle(53);
}

void LinesMenuCommand(int id)
{
    if (id == CMD_ARROWHEADS || id == CMD_JOIN_LINES) {
        DoDrawCommand(id, 0);
    } else if (id == CMD_SHOW_LENGTH) {
        UINT state = g_topMenus[MenuLines] ? GetMenuState(g_topMenus[MenuLines], CMD_SHOW_LENGTH, MF_BYCOMMAND) : 0;
        DoDrawCommand(CMD_SHOW_LENGTH, state != static_cast<UINT>(-1) && (state & MF_CHECKED) ? 1 : 0);
    }
}

void TextMenuCommand(int id)
{
    switch (id) {
    case CMD_SUPERSCRIPT: CmdEditOrTextStyle(9); break;
    case CMD_SUBSCRIPT: CmdEditOrTextStyle(10); break;
    case CMD_UNDERLINE: CmdEditOrTextStyle(8); break;
    case CMD_BOLD: CmdEditOrTextStyle(6); break;
    case CMD_ITALIC: CmdEditOrTextStyle(7); break;
    case CMD_TEXT_SHADOW: DoDrawCommand(CMD_TEXT_SHADOW, 0); break;
    default: DispatchTextCommand(id); break;
    }
}

void DrawMenuCommand(int id)
{
    switch (id) {
    case CMD_ROTATE_HORIZONTAL: RotateSelectionCommand(0); return;
    case CMD_ROTATE_UP: RotateSelectionCommand(900); return;
    case CMD_ROTATE_DOWN: RotateSelectionCommand(2700); return;
    case CMD_ROTATE_ANGLE: RotateSelectionCommand(-1); return;
    case CMD_OPEN_ATTACHMENT: OpenAttachmentCommand(); return;
    case CMD_ATTACH_FILE: AttachFileCommand(); return;
    case CMD_CLEAR_ATTACHMENT: ClearAttachmentsCommand(); return;
    default: DoDrawCommand(id, 0); return;
    }
}

LRESULT WindowMenuCommand(int id)
{
    if (!g_mdiClient) return 0;
    if (id == CMD_CASCADE) return SendMessageA(g_mdiClient, WM_MDICASCADE, 0, 0);
    if (id == CMD_TILE) return SendMessageA(g_mdiClient, WM_MDITILE, 0, 0);
    return 0;
}

void LibrariesMenuCommand(int id)
{
    if (id == CMD_OPEN_LIBRARY || id == CMD_LIBRARY_LIST) {
        OpenLibraryWindow(1, -1, nullptr, nullptr);
    } else if (id >= CMD_LIBRARY_SLOT_FIRST && id <= CMD_LIBRARY_SLOT_LAST) {
        OpenLibraryWindow(1, id - CMD_LIBRARY_SLOT_FIRST, nullptr, nullptr);
    } else if (id >= CMD_CLOSE_LIBRARY && id <= CMD_DETACH_TOOLBAR) {
        // No library window is open yet to take the command.
        if (RunInfoDialog("INFO_LIBMENU", kLibraryMenuHelp) == 1) OpenLibraryWindow(1, -1, nullptr, nullptr);
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
        if (g_pendingHintMenu) PostMessageA(window, WM_COMMAND, CMD_MENU_HINT, 0);
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

bool IsShadingItem(UINT id) { return id >= CMD_SHADING_FIRST && id <= CMD_SHADING_LAST; }

void OnMeasureItem(MEASUREITEMSTRUCT* item)
{
    if (item->CtlType != ODT_MENU) return;
    if (IsShadingItem(item->itemID)) MeasureMenuShadingItem(item);
    else if (item->itemID < CMD_LINE_COLOR_FIRST) MeasureMenuPictureItem(item);
    else MeasureMenuColorItem(item);
}

void OnDrawItem(const DRAWITEMSTRUCT* item)
{
    if (item->CtlType != ODT_MENU) return;
    UINT id = item->itemID;
    if (id < CMD_LINE_COLOR_FIRST && !IsShadingItem(id)) {
        DrawMenuPictureItem(item);
        return;
    }
    // Fill and background swatches map their colour as a fill, the others as a pen.
    g_swatchIsFill = (id >= CMD_FILL_COLOR_FIRST && id <= CMD_FILL_COLOR_LAST) ||
                     (id >= CMD_BACKGROUND_COLOR_FIRST && id <= CMD_BACKGROUND_COLOR_LAST);
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
        {CMD_FILE_FIRST, CMD_FILE_LAST, OwnerFile, 0, 0},
        {CMD_EDIT_FIRST, CMD_EDIT_LAST, OwnerEdit, 0, 0},
        {CMD_VIEW_FIRST, CMD_VIEW_LAST, OwnerView, 0, 0},
        {CMD_SHAPES_FIRST, CMD_SHAPES_LAST, OwnerShapes, 0, 0},
        {CMD_LINES_FIRST, CMD_LINES_LAST, OwnerLines, 0, 0},
        {CMD_TEXT_FIRST, CMD_TEXT_LAST, OwnerText, 0, 0},
        {CMD_DRAW_FIRST, CMD_DRAW_LAST, OwnerDraw, 0, 0},
        {CMD_WINDOW_FIRST, CMD_WINDOW_LAST, OwnerWindow, 0, 0},
        {CMD_HELP_FIRST, CMD_HELP_LAST, OwnerHelp, 0, 0},
        {CMD_LIBRARIES_FIRST, CMD_LIBRARIES_LAST, OwnerLibraries, 0, 0},
        {CMD_SHADING_FIRST, CMD_SHADING_LAST, OwnerStyle, OM_SETFILLPATTERN, CMD_SHADING_FIRST},
        {CMD_BORDER_WIDTH_FIRST, CMD_BORDER_WIDTH_LAST, OwnerStyle, OM_SETBORDERWIDTH, CMD_BORDER_WIDTH_FIRST},
        {CMD_BORDER_STYLE_FIRST, CMD_BORDER_STYLE_LAST, OwnerStyle, OM_SETBORDERSTYLE, CMD_BORDER_STYLE_FIRST},
        {CMD_SHAPE_KIND_FIRST, CMD_SHAPE_KIND_LAST, OwnerStyle, OM_SETSHAPETYPE, CMD_SHAPE_KIND_BASE},
        {CMD_LINE_SHAPE_FIRST, CMD_LINE_SHAPE_LAST, OwnerStyle, OM_SETLINETYPE, CMD_LINE_SHAPE_SLOT},
        {CMD_CONNECTOR_LAYOUT_FIRST, CMD_CONNECTOR_LAYOUT_LAST, OwnerStyle, OM_SETARRAYSTYLE, CMD_CONNECTOR_LAYOUT_FIRST},
        {CMD_LINE_WIDTH_FIRST, CMD_LINE_WIDTH_LAST, OwnerStyle, OM_SETLINEWIDTH, CMD_LINE_WIDTH_FIRST},
        {CMD_LINE_STYLE_FIRST, CMD_LINE_STYLE_LAST, OwnerStyle, OM_SETLINESTYLE, CMD_LINE_STYLE_BASE},
        {CMD_LINE_COLOR_FIRST, CMD_LINE_COLOR_LAST, OwnerStyle, OM_SETLINECOLOR, CMD_LINE_COLOR_FIRST},
        {CMD_FILL_COLOR_FIRST, CMD_FILL_COLOR_LAST, OwnerStyle, OM_SETFILLCOLOR, CMD_FILL_COLOR_FIRST},
        {CMD_TEXT_COLOR_FIRST, CMD_TEXT_COLOR_LAST, OwnerTextColor, 0, CMD_TEXT_COLOR_FIRST},
        {CMD_BACKGROUND_COLOR_FIRST, CMD_BACKGROUND_COLOR_LAST, OwnerBackground, 0, CMD_BACKGROUND_COLOR_FIRST},
        {CMD_BORDER_COLOR_FIRST, CMD_BORDER_COLOR_LAST, OwnerStyle, OM_SETBORDERCOLOR, CMD_BORDER_COLOR_FIRST},
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
    SetCursorByIndex(CursorArrow);
    if (g_cursorTable[CursorArrow]) SetCursor(g_cursorTable[CursorArrow]);
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
        EnableMenuItem(file, CMD_NEW, MF_BYCOMMAND | MF_ENABLED);
        EnableMenuItem(file, CMD_OPEN, MF_BYCOMMAND | MF_ENABLED);
        for (int id : kDocumentFileCommands) EnableMenuItem(file, id, MF_BYCOMMAND | MF_GRAYED);
        if (g_mailAvailable)
            if (int send = SendSubmenuPosition(file); send >= 0) EnableMenuItem(file, send, MF_BYPOSITION | MF_GRAYED);
    }
    ShowPaletteTools(grey);
    if (file) UpdateRecentFilesMenu(file);
    DrawMenuBar(g_frameWindow);
}

void UpdateMenusOnActivate(HWND documentWindow, int flag)
{
    if (!documentWindow) {
        SetDocumentMenusEnabled(1);
        return;
    }
    HMENU bar = g_frameWindow ? GetMenu(g_frameWindow) : nullptr;
    if (flag && bar && (GetMenuState(bar, MenuDraw, MF_BYPOSITION) & MF_GRAYED)) SetDocumentMenusEnabled(0);
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
    const Item kFile[] = {{CMD_CLOSE, IDS_CLOSE, false}, {CMD_SAVE, IDS_SAVE, false}, {CMD_SAVE_AS, IDS_SAVE_AS, false}};
    const Item kEmbedded[] = {
        {CMD_CLOSE, IDS_CLOSE_AND_RETURN, true}, {CMD_SAVE, IDS_UPDATE, true}, {CMD_SAVE_AS, IDS_SAVE_COPY_AS, false}};
    for (const Item& item : embedded ? kEmbedded : kFile) {
        char text[262 * 2];
        if (LoadResString(item.stringId, text)) continue;
        if (item.named) lstrcatA(text, container);
        ModifyMenuA(file, item.id, MF_BYCOMMAND | MF_STRING, item.id, text);
    }
    EnableMenuItem(file, CMD_NEW, MF_BYCOMMAND | MF_ENABLED);
    EnableMenuItem(file, CMD_OPEN, MF_BYCOMMAND | MF_ENABLED);
    for (int id : kDocumentFileCommands) EnableMenuItem(file, id, MF_BYCOMMAND | MF_ENABLED);
    if (g_mailAvailable) {
        if (int send = SendSubmenuPosition(file); send >= 0) {
            EnableMenuItem(file, send, MF_BYPOSITION | MF_ENABLED);
            char title[262] = {};
            GetWindowTextA(GetActiveDocument(nullptr), title, sizeof(title));
            ModifyMenuA(GetSubMenu(file, send), CMD_SEND_ONE, MF_BYCOMMAND | MF_STRING, CMD_SEND_ONE, title);
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
        SendMessageA(child, TEN_GETEDITORKIND, 0, 0);
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
    LoadResString(IDS_TEXT_TOO_LONG, text);
    LoadResString(IDS_APP_TITLE, caption);
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
        if (IsHelpMode() && g_cursorTable[CursorHelp]) {
            SetCursor(g_cursorTable[CursorHelp]);
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
    case VXM_LOWMEMORY:
        ShowWarningById(IDS_LOW_MEMORY);
        return byDefault();
    case VXM_FLUSHFONTS:
    case VXM_TOOMANYFONTS:
        HandleFontCacheMessage(window, message);
        return byDefault();
    case VXM_HANDOVER:
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
        SetCursorByIndex(CursorBusy);
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
    case VXM_EDITORDRAGOUT:
        // A drag left the text editor: the view takes it over as a Shift press at that point.
        ReleaseCapture();
        SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, lParam);
        return 1;
    case VXM_TEXTTOOLONG:
        ShowTextTooLongWarning();
        ReleaseCapture();
        return 0;
    case VXM_EDITORSIZE:
        return OnEditorSizeRequest(view, lParam);
    case VXM_EDITORVIEWRECT:
        GetTextEditorViewRect(view, reinterpret_cast<RECT*>(lParam));
        return 0;
    case VXM_EDITORUNDOSAVED:
        ClearUndoState(view);
        return 0;
    case VXM_PAGETEXTDEFAULT:
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
    HICON frameIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_VEXLOR));
    HICON documentIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_DRAWING));
    if (!frameIcon || !documentIcon) return kIconMissing;
    auto sys = [](int color) { return reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(color + 1)); };
    const ClassSpec kClasses[] = {
        {"MDMainClass", SEMain, CS_BYTEALIGNCLIENT, 0, IDI_VEXLOR, sys(COLOR_APPWORKSPACE), "MDMenu"},
        {"MDDocumentClass", SEDocument, CS_BYTEALIGNCLIENT, 4, IDI_DRAWING, sys(COLOR_WINDOW), nullptr},
        {"MDScrollClass", SEScroll, CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, 8, IDI_VEXLOR, sys(COLOR_WINDOW), nullptr},
        {"MDHRulerClass", SEHRuler, CS_OWNDC | CS_HREDRAW | CS_VREDRAW, 0, IDI_VEXLOR, sys(COLOR_BTNFACE), nullptr},
        {"MDVRulerClass", SEVRuler, CS_OWNDC | CS_HREDRAW | CS_VREDRAW, 0, IDI_VEXLOR, sys(COLOR_BTNFACE), nullptr},
        {"MDXRulerClass", SEXRuler, CS_OWNDC | CS_HREDRAW | CS_VREDRAW, 0, IDI_VEXLOR, sys(COLOR_BTNFACE), nullptr},
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
        wc.hIcon = c.icon == IDI_DRAWING ? documentIcon : (c.icon ? frameIcon : nullptr);
        wc.hCursor = g_cursorTable[CursorArrow] ? g_cursorTable[CursorArrow] : LoadCursorA(nullptr, IDC_ARROW);
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
    LoadResString(IDS_APP_TITLE, title);
    g_frameWindow = CreateWindowA("MDMainClass", title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, 0,
                                  CW_USEDEFAULT, 0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!g_frameWindow) return ErrWindowNotCreated;
    HMENU bar = GetMenu(g_frameWindow);
    for (int i = 0; i < 10; ++i) g_topMenus[i] = bar ? GetSubMenu(bar, i) : nullptr;
    CLIENTCREATESTRUCT ccs = {};
    ccs.hWindowMenu = g_topMenus[MenuWindow];
    ccs.idFirstChild = CMD_FIRST_DOCUMENT_WINDOW;
    g_mdiClient = CreateWindowA("MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 0, 0,
                                g_frameWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMdiClientId)),
                                GetModuleHandleA(nullptr), &ccs);
    if (!g_mdiClient) {
        DestroyWindow(g_frameWindow);
        g_frameWindow = nullptr;
        return ErrWindowNotCreated;
    }
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
