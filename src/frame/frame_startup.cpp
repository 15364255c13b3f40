// The program's life: the command line, the hand-over to a running copy, start-up of every
// subsystem in its order, the message loop and the shut-down.
#include "frame/frame_startup.h"

#include <initializer_list>
#include <shellapi.h>

#include <cstring>

#include "documents/document_open.h"
#include "documents/document_window.h"
#include "documents/options.h"
#include "documents/options_file.h"
#include "exchange/exchange_standins.h"
#include "frame/font_overrides.h"
#include "frame/frame_main.h"
#include "frame/frame_services.h"
#include "frame/frame_standins.h"
#include "frame/frame_ui.h"
#include "frame/frame_windows.h"
#include "frame/object_classes.h"
#include "frame/view_layout.h"
#include "libraries/library_services.h"
#include "model/class_protocol.h"
#include "model/resource_strings.h"
#include "resource.h"
#include "store/block_store.h"
#include "store/results.h"
#include "store/store_compact.h"
#include "store/store_directory.h"
#include "store/store_records.h"
#include "text/font_cache.h"
#include "text/ten_window.h"
#include "text/text_engine.h"

int g_clipboardStoreSlot = -1;
UINT g_pictureFormat = 0;
UINT g_namedPictureFormat = 0;
WORD g_oleFormats[6] = {};

namespace {

constexpr int kIconMissing = 10001;
HACCEL g_accelerators = nullptr;
HPEN g_blackPen = nullptr;
HPEN g_whitePen = nullptr;
HFONT g_smallFont = nullptr;
HFONT g_toolTipFont = nullptr;
bool g_classHandlersInstalled = false;
bool g_storeDirectoryMade = false;
int g_measurementSystem = 1;
char g_helpPath[262];
char g_clipStorePath[262];
int g_showState = SW_SHOWMAXIMIZED;

HMODULE g_ctl3dLibrary = nullptr;
BOOL g_ctl3dRegistered = FALSE;

typedef BOOL(WINAPI* Ctl3dCall)(HINSTANCE);

Ctl3dCall Ctl3dEntry(LPCSTR name)
{
    // Through the generic function type, which converts to any other without a warning.
    return reinterpret_cast<Ctl3dCall>(reinterpret_cast<void (*)()>(GetProcAddress(g_ctl3dLibrary, name)));
}

struct MenuBitmapList {
    HGLOBAL block = nullptr;
    int count = 0;
    int capacity = 0;
} g_menuBitmaps;

HFONT MakeStockFont(int height)
{
    LOGFONTA font = {};
    GetObjectA(GetStockObject(ANSI_VAR_FONT), sizeof(font), &font);
    if (height) font.lfHeight = height;
    ApplyFontOverrides(&font);
    return CreateFontIndirectA(&font);
}

}  // namespace

int SizeMessageQueue()
{
    for (int size = 96; size > 0; size -= 8)
        if (SetMessageQueue(size)) return size;
    return 0;
}

void Register3dControls(HINSTANCE instance)
{
    if (g_windowsMajorVersion >= 4 || g_ctl3dLibrary) return;
    // A missing library or entry is no error: the dialogs then keep the flat look.
    g_ctl3dLibrary = LoadLibraryA("CTL3D32.DLL");
    if (!g_ctl3dLibrary) return;
    Ctl3dCall registerCall = Ctl3dEntry("Ctl3dRegister");
    if (!registerCall) return;
    registerCall(instance);
    if (Ctl3dCall subclass = Ctl3dEntry("Ctl3dAutoSubclass")) subclass(instance);
    g_ctl3dRegistered = TRUE;
}

void Unregister3dControls(HINSTANCE instance)
{
    if (g_windowsMajorVersion >= 4 || !g_ctl3dLibrary) return;
    if (Ctl3dCall unregister = Ctl3dEntry("Ctl3dUnregister")) unregister(instance);
    FreeLibrary(g_ctl3dLibrary);
    g_ctl3dLibrary = nullptr;
    g_ctl3dRegistered = FALSE;
}

BOOL Are3dControlsRegistered()
{
    return g_ctl3dRegistered;
}

LPCSTR HelpFilePath()
{
    return g_helpPath;
}

void TrimBlanks(char* text)
{
    size_t n = std::strlen(text);
    while (n > 0 && text[n - 1] == ' ') text[--n] = 0;
    size_t lead = 0;
    while (text[lead] == ' ') ++lead;
    if (lead) std::memmove(text, text + lead, n - lead + 1);
}

void ParseCommandLine(LPCSTR commandLine, char* file, char* optionsPath, char* printFile, BOOL* embedded)
{
    file[0] = optionsPath[0] = printFile[0] = 0;
    *embedded = FALSE;
    char* destination = file;
    const char* p = commandLine ? commandLine : "";
    while (*p == ' ') ++p;
    while (*p) {
        if (*p == '-' || *p == '/') {
            ++p;
            char c = *p;
            if (c == 'E' || c == 'e') {
                char word[kCommandText];
                size_t n = 0;
                while (*p && *p != ' ') {
                    if (n < kCommandText - 1) word[n++] = *p;
                    ++p;
                }
                word[n] = 0;
                if (lstrcmpiA(word, "Embedding") == 0) *embedded = TRUE;
            } else if (c == 'O' || c == 'o') {
                destination = optionsPath;
                ++p;
            } else if (c == 'P' || c == 'p') {
                destination = printFile;
                ++p;
            } else if (c) {
                ++p;
            }
            continue;
        }
        const char* end = p;
        while (*end && *end != '/') ++end;
        if (!destination[0]) {
            size_t n = static_cast<size_t>(end - p);
            if (n > kCommandText - 1) n = kCommandText - 1;
            std::memcpy(destination, p, n);
            destination[n] = 0;
        }
        p = end;
    }
    TrimBlanks(file);
    TrimBlanks(printFile);
    TrimBlanks(optionsPath);
}

int LoadCursorTable(HINSTANCE instance)
{
    static const int kResource[CursorCount] = {IDCUR_ARROW, 0, IDCUR_HELP, 0, 0, 0, 0, 0, 0, IDCUR_MOVE,
                                               IDCUR_ZOOMIN, IDCUR_ZOOMOUT, IDCUR_ARROWMOVE, IDCUR_ANCHOR,
                                               IDCUR_PEN, IDCUR_DRAGPAGE, IDCUR_ATTACHMENT, IDCUR_ROTATE};
    static LPCSTR const kSystem[CursorCount] = {nullptr, IDC_WAIT, nullptr, IDC_IBEAM, IDC_CROSS, IDC_SIZENESW, IDC_SIZENWSE,
                                       IDC_SIZENS, IDC_SIZEWE};
    for (int i = 0; i < CursorCount; ++i) {
        g_cursorTable[i] = kResource[i] ? LoadCursorA(instance, MAKEINTRESOURCEA(kResource[i]))
                                        : LoadCursorA(nullptr, kSystem[i]);
        if (!g_cursorTable[i]) return ErrWindowNotCreated;
    }
    return 0;
}

HBITMAP LoadMenuBitmap(HINSTANCE instance, int resourceId, int* index)
{
    *index = -1;
    MenuBitmapList& list = g_menuBitmaps;
    if (!list.block || list.count >= list.capacity) {
        int capacity = list.capacity + 25;
        HGLOBAL grown = list.block ? GlobalReAlloc(list.block, capacity * sizeof(HBITMAP), GMEM_MOVEABLE)
                                   : GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, capacity * sizeof(HBITMAP));
        if (!grown) return nullptr;
        list.block = grown;
        list.capacity = capacity;
    }
    HBITMAP bitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(resourceId));
    if (!bitmap) return nullptr;
    auto* handles = static_cast<HBITMAP*>(GlobalLock(list.block));
    if (!handles) {
        DeleteObject(bitmap);
        return nullptr;
    }
    handles[list.count] = bitmap;
    GlobalUnlock(list.block);
    *index = list.count++;
    return bitmap;
}

HBITMAP GetMenuBitmap(int index)
{
    if (index < 1 || index >= g_menuBitmaps.count || !g_menuBitmaps.block) return nullptr;
    auto* handles = static_cast<HBITMAP*>(GlobalLock(g_menuBitmaps.block));
    HBITMAP bitmap = handles ? handles[index] : nullptr;
    GlobalUnlock(g_menuBitmaps.block);
    return bitmap;
}

void FreeMenuBitmaps()
{
    if (!g_menuBitmaps.block) return;
    auto* handles = static_cast<HBITMAP*>(GlobalLock(g_menuBitmaps.block));
    for (int i = 0; handles && i < g_menuBitmaps.count; ++i) DeleteObject(handles[i]);
    GlobalUnlock(g_menuBitmaps.block);
    GlobalFree(g_menuBitmaps.block);
    g_menuBitmaps = MenuBitmapList();
}

int CreateSharedGdiObjects()
{
    // The thin pens are the ones the text editor draws its rules with.
    if (int err = CreateFramePens()) return err;
    g_blackPen = ThinBlackPen;
    g_whitePen = ThinWhitePen;
    HINSTANCE instance = g_hInstance ? g_hInstance : GetModuleHandleA(nullptr);
    for (int i = 0; i < 6; ++i) {
        int index;
        HBITMAP bitmap = LoadMenuBitmap(instance, IDB_PATTERN_DIAGONAL + i, &index);
        g_patternBrushes[i] = bitmap ? CreatePatternBrush(bitmap) : nullptr;
        if (!g_patternBrushes[i]) return ErrOutOfMemory;
    }
    g_smallFont = MakeStockFont(8);
    g_toolTipFont = MakeStockFont(0);
    return g_smallFont && g_toolTipFont ? 0 : ErrOutOfMemory;
}

int RegisterClipboardFormats()
{
    static const char* const kOle[6] = {"Vexlor.2", "Embed Source", "Object Descriptor", "Link Source",
                                        "Link Source Descriptor", "StdScale"};
    g_pictureFormat = RegisterClipboardFormatA("VXPICT");
    g_namedPictureFormat = RegisterClipboardFormatA("VXNPICT");
    if (!g_pictureFormat || !g_namedPictureFormat) return 1;
    for (int i = 0; i < 6; ++i) {
        UINT format = RegisterClipboardFormatA(kOle[i]);
        if (!format) return 1;
        g_oleFormats[i] = static_cast<WORD>(format);
    }
    char name[262];
    UINT length = GetWindowsDirectoryA(g_clipStorePath, sizeof(g_clipStorePath));
    if (!length || length >= sizeof(g_clipStorePath) - 16 || LoadResString(IDS_CLIP_FILE, name)) return 1;
    if (g_clipStorePath[length - 1] != '\\') lstrcatA(g_clipStorePath, "\\");
    lstrcatA(g_clipStorePath, name);

    bool offered = false;
    if (OpenClipboard(nullptr)) {
        offered = IsClipboardFormatAvailable(g_pictureFormat) != 0;
        if (offered) {
            int mark = 0;
            if (OpenStoreFile(g_clipStorePath, &g_clipboardStoreSlot, 0, &mark, FALSE) == 0 &&
                CheckStore(g_clipboardStoreSlot) == 0) {
                for (int type : {113, 119, 120, 117, 118}) AddRecordType(g_clipboardStoreSlot, type);
                CloseClipboard();
                return 0;
            }
            if (g_clipboardStoreSlot >= 0) CloseStore(g_clipboardStoreSlot);
            g_clipboardStoreSlot = -1;
            EmptyClipboard();
        }
        CloseClipboard();
    }
    DeleteFileA(g_clipStorePath);
    int mark = 0;
    bool ok = CreateStoreFile(g_clipStorePath, 0, 6, 200) == 0 &&
              OpenStoreFile(g_clipStorePath, &g_clipboardStoreSlot, 0, &mark, FALSE) == 0;
    for (int type : {100, 110, 111, 115, 112, 113, 114, 116, 117, 118, 119, 120})
        ok = ok && AddRecordType(g_clipboardStoreSlot, type) == 0;
    if (ok) return 0;
    if (g_clipboardStoreSlot >= 0) CloseStore(g_clipboardStoreSlot);
    DeleteFileA(g_clipStorePath);
    g_clipboardStoreSlot = -1;
    return 1;
}

void CloseClipboardStore()
{
    if (g_clipboardStoreSlot < 0) return;
    SetCursorByIndex(CursorBusy);
    CompactStore(g_clipboardStoreSlot);
    CloseStore(g_clipboardStoreSlot);
    g_clipboardStoreSlot = -1;
}

int InitInstance(HINSTANCE instance, int show, LPCSTR optionsPath)
{
    g_measurementSystem = static_cast<int>(GetProfileIntA("Intl", "iMeasure", 1));
    g_mailAvailable = GetProfileIntA("Mail", "MAPI", 0) != 0;
    if (int err = CreateMainFrame(FALSE)) return err;
    if (!g_mailAvailable && g_topMenus[0]) {
        // The Send submenu and the separator above it.
        HMENU file = g_topMenus[0];
        int send = SendSubmenuPosition(file);
        if (send > 0) {
            DeleteMenu(file, send, MF_BYPOSITION);
            DeleteMenu(file, send - 1, MF_BYPOSITION);
        }
    }
    g_verticalScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
    g_horizontalScrollHeight = GetSystemMetrics(SM_CYHSCROLL);
    HDC dc = GetDC(g_frameWindow);
    int bits = GetDeviceCaps(dc, BITSPIXEL), planes = GetDeviceCaps(dc, PLANES);
    ReleaseDC(g_frameWindow, dc);
    g_monochromeDisplay = bits == 1 && planes == 1;
    g_sixteenColorDisplay = bits * planes == 4;
    if (int err = CreateSharedGdiObjects()) return err;
    // No palette window yet: its band is 0 pixels high.
    g_paletteHeight = 0;
    if (int err = InitBlockStoreDirectory(100)) return err;
    g_storeDirectoryMade = true;
    HMENU file = g_topMenus[0];
    if (int err = LoadOptions(optionsPath && optionsPath[0] ? optionsPath : nullptr, file, 120)) return err;
    LayoutPaletteButtons();
    if (g_settings && !(g_settings->flags & SetPalette)) ToggleToolbar();
    int showAs = show;
    if (show == SW_SHOWMAXIMIZED && g_settings && (g_settings->flags & SetFrameNotMaximised)) showAs = SW_SHOWNORMAL;
    ShowWindow(g_frameWindow, showAs);
    UpdateWindow(g_frameWindow);
    char name[262];
    DWORD n = GetModuleFileNameA(nullptr, g_helpPath, sizeof(g_helpPath));
    if (n && n < sizeof(g_helpPath)) {
        *const_cast<char*>(FileNamePart(g_helpPath)) = 0;
        if (!LoadResString(IDS_HELP_FILE, name) && std::strlen(g_helpPath) + std::strlen(name) < sizeof(g_helpPath))
            lstrcatA(g_helpPath, name);
    }
    int err = CheckRegistryEntries();
    if (!err) err = InitFontCache();
    if (!err) {
        g_accelerators = LoadAcceleratorsA(instance, "MDMenu");
        if (!g_accelerators) err = ErrOutOfMemory;
    }
    if (!err) err = RegisterTenClass(instance);
    if (!err) err = InitTextEngine();
    if (!err) err = RegisterClipboardFormats();
    if (!err) err = BuildOwnerDrawnMenus();
    if (!err) err = LoadRightButtonMenu();
    if (!err) {
        err = InstallObjectClasses();
        if (!err) err = InstallClassHandlers();
        g_classHandlersInstalled = err == 0;
    }
    if (!err) UpdateMenusOnActivate(nullptr, 0);
    if (!err) err = DefaultPrinterChanged(1);
    if (!err) {
        err = StartOleServer(g_embedded);
        g_oleStarted = err == 0;
    }
    if (!err) {
        g_dialogFont = MakeStockFont(8);
        if (!g_dialogFont) err = ErrOutOfMemory;
    }
    // An embedded start runs hidden and never accepts dropped files.
    if (!err && show != SW_HIDE) DragAcceptFiles(g_frameWindow, TRUE);
    return err;
}

int InitApplication(HINSTANCE instance, HINSTANCE previous, int show, LPCSTR optionsPath)
{
    (void)previous;
    g_hInstance = instance;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (GetVersionExA(&version)) {
        g_windowsMajorVersion = static_cast<int>(version.dwMajorVersion);
        g_isWindowsNT = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }
    int err = LoadCursorTable(instance);
    if (!err) {
        WNDCLASSA existing;
        if (GetClassInfoA(instance, "MDMainClass", &existing)) err = ErrWindowNotCreated;
        else err = RegisterWindowClasses(instance);
    }
    if (!err) Register3dControls(instance);
    if (!err) err = InitInstance(instance, show, optionsPath);
    if (!err) err = RegisterToolTipClass();
    if (err) ShowMessageById(IDS_LOAD_FAILED, MB_ICONEXCLAMATION | MB_OK);
    return err;
}

void ExitApplication()
{
    Unregister3dControls(g_hInstance);
    if (g_oleStarted) {
        StopOleServer();
        g_oleStarted = FALSE;
    }
    EndToolTips();
    DestroyRightButtonMenu();
    CloseClipboardStore();
    FreeOptionsAtExit();
    TermTextEngine();
    for (HBRUSH& brush : g_patternBrushes) {
        if (brush) DeleteObject(brush);
        brush = nullptr;
    }
    DeleteFramePens();
    g_blackPen = g_whitePen = nullptr;
    for (HGDIOBJ* object : {reinterpret_cast<HGDIOBJ*>(&g_smallFont), reinterpret_cast<HGDIOBJ*>(&g_toolTipFont),
                            reinterpret_cast<HGDIOBJ*>(&g_dialogFont)}) {
        if (*object) DeleteObject(*object);
        *object = nullptr;
    }
    if (g_classHandlersInstalled) RemoveClassHandlers();
    g_classHandlersInstalled = false;
    FreeMenuBitmaps();
    if (g_storeDirectoryMade) FreeBlockStoreDirectory();
    g_storeDirectoryMade = false;
    FreeFontCache();
    ReleaseBackBuffer();
}

namespace {

HWND FindRunningFrame()
{
    return FindWindowA("MDMainClass", nullptr);
}

}  // namespace

HWND (*g_findRunningCopy)() = FindRunningFrame;

int StartProgram(HINSTANCE instance, LPCSTR commandLine, int show, BOOL* runLoop)
{
    *runLoop = FALSE;
    SizeMessageQueue();
    char file[kCommandText], optionsPath[kCommandText], printFile[kCommandText];
    BOOL embedded = FALSE;
    ParseCommandLine(commandLine, file, optionsPath, printFile, &embedded);
    BOOL print = FALSE;
    if (printFile[0]) {
        lstrcpynA(file, printFile, sizeof(file));
        print = TRUE;
    }
    // A running copy has another current folder: it gets the path made absolute.
    if (file[0]) {
        char full[MAX_PATH];
        DWORD n = GetFullPathNameA(file, sizeof(full), full, nullptr);
        if (n > 0 && n < kCommandText - 1) lstrcpynA(file, full, sizeof(file));
    }
    if (HWND running = g_findRunningCopy()) {
        if (file[0]) {
            ATOM atom = GlobalAddAtomA(file);
            if (!atom) return 2;
            LRESULT answer = SendMessageA(running, VXM_HANDOVER, static_cast<WPARAM>(print), atom);
            GlobalDeleteAtom(atom);
            if (answer) return 2;
        }
        if (!IsWindowVisible(running)) ShowWindow(running, SW_SHOW);
        SetForegroundWindow(running);
        return 1;
    }
    g_embedded = embedded;
    int showState = show == SW_SHOWMINNOACTIVE ? show : (embedded ? SW_HIDE : SW_SHOWMAXIMIZED);
    g_showState = showState;
    if (int err = InitApplication(instance, nullptr, showState, optionsPath)) {
        ExitApplication();
        return err + 1;
    }
    if (file[0] && embedded) {
        if (OpenDocumentCommand(file, FALSE, DocModeOleLink) != 0) return 1;
    } else if (file[0] && IsLibraryFile(file)) {
        OpenLibraryFile(file);
    } else if (file[0]) {
        OpenDocumentCommand(file, FALSE, DocModeOpen);
    } else if (!embedded) {
        if (g_settings && (g_settings->flags & SetWelcome)) {
            int choice = 1050;
            if (RunWelcomeDialog("WELCOME", &choice, 30031)) {
                if (choice == 1051) OpenDocumentCommand(nullptr, TRUE, DocModeBlank);
                else if (choice == 1050) NewDocument(0);
            }
        } else if (g_settings && (g_settings->flags & SetOpenAtStart)) {
            OpenDocumentCommand(nullptr, TRUE, DocModeBlank);
        } else {
            NewDocument(0);
        }
    }
    if (print) {
        PrintCommand(TRUE);
        return 1;
    }
    *runLoop = TRUE;
    return 0;
}

int RunMessageLoop()
{
    InstallMenuHelpFilter();
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (g_mdiClient && TranslateMDISysAccel(g_mdiClient, &msg)) continue;
        if (g_frameWindow && g_accelerators && TranslateAcceleratorA(g_frameWindow, g_accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    RemoveMenuHelpFilter();
    return static_cast<int>(msg.wParam);
}
