// The options the program runs with: their built-in defaults and their release at exit.
#include "documents/options.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "documents/options_file.h"
#include "documents/recent_files.h"
#include "frame/font_overrides.h"
#include "libraries/last_library.h"
#include "model/resource_strings.h"
#include "resource.h"
#include "store/results.h"

Settings* g_settings = nullptr;
HGLOBAL g_styleTable = nullptr;
RecentFiles* g_recentFiles = nullptr;
SymbolFontList g_symbolFonts = {};
ATOM g_charSetAtom = 0;
ATOM g_optionsPathAtom = 0;
COLORREF* g_standardColors = nullptr;
HFONT g_rulerFonts[3] = {};

namespace {

// The blocks this unit allocated; g_settings may point elsewhere (a test's own record).
HGLOBAL g_settingsBlock = nullptr;
HGLOBAL g_recentBlock = nullptr;

const COLORREF kDefaultColors[kStandardColors] = {
    0x0000A0, 0x0060C0, 0x008080, 0x008000, 0x808000, 0x800000, 0x800080, 0x000000,
    0x0000C0, 0x0060FF, 0x00C0C0, 0x00C000, 0xC0C000, 0xC00000, 0xC000C0, 0x808080,
    0x0000FF, 0x0080FF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF0000, 0xFF00FF, 0xA4A0A0,
    0x8080FF, 0x40A0FF, 0xA0FFFF, 0xA0FFA0, 0xFFE0A0, 0xFFA0A0, 0xFFA0FF, 0xC0C0C0,
    0xA0A0FF, 0x80C0FF, 0xC0FFF4, 0xE0FFC0, 0xFFE0C0, 0xFFC0E0, 0xE0C0FF, 0xE0E0E0,
    0xE0E0FF, 0xC0E0FF, 0xE0FFFF, 0xE0FFE0, 0xFFFFE0, 0xFFE0E0, 0xFFE0FF, 0xFFFFFF,
};

const ToolSlot kDefaultTools[kToolSlots] = {
    {600, 600, 1, 1, 0, 0},    {600, 150, 2, 0, 0, 0},    {600, 600, 2, 1, 0, 0},
    {300, 2, 3, 0, 0, 0},      // the line array: 300 by 2
    {600, 300, 0, 2, 0, 0},    {600, 300, 0, 3, 0, 0.2},  {600, 300, 0, 4, 0, 0},
    {600, 300, 0, 5, 0, 0.2},  {600, 360, 0, 6, 0, 0},    {600, 300, 0, 7, 0, 0.1},
    {600, 300, 0, 8, 0, 0},    {300, 300, 0, 9, 3, 0},    {600, 300, 0, 10, 0, 0.3},
    {600, 300, 0, 15, 0, 0},   {600, 300, 0, 16, 0, 0.2}, {600, 300, 0, 17, 0, 0.2},
    {600, 300, 0, 19, 0, 0.33}, {600, 300, 0, 20, 0, 0.2}, {600, 300, 0, 21, 0, 0.2},
    {600, 300, 0, 22, 0, 0.3}, {600, 300, 0, 24, 0, 0.33}, {600, 300, 0, 25, 0, 0.2},
};

void CopyBounded(char* destination, const char* source, size_t size)
{
    lstrcpynA(destination, source, static_cast<int>(size));
}

void Append(char* destination, const char* source, size_t size)
{
    size_t used = std::strlen(destination);
    if (used + 1 < size) lstrcpynA(destination + used, source, static_cast<int>(size - used));
}

// "folder\name.ext" -> the folder part with its closing backslash (empty without one).
void FolderPart(const char* name, char* folder, size_t size)
{
    const char* slash = std::strrchr(name, '\\');
    size_t n = slash ? static_cast<size_t>(slash - name) + 1 : 0;
    if (n >= size) n = size - 1;
    std::memcpy(folder, name, n);
    folder[n] = '\0';
}

const char* FilePart(const char* name)
{
    const char* slash = std::strrchr(name, '\\');
    return slash ? slash + 1 : name;
}

// The drive and folder of the program's own file, without the closing backslash.
void ProgramFolder(char* folder)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* slash = std::strrchr(path, '\\');
    if (slash) *slash = '\0';
    CopyBounded(folder, path, 262);
}

void SetLibraryDefaults(Settings* s, const char* programFolder)
{
    static const POINT kPositions[4] = {{300, 100}, {350, 150}, {400, 200}, {450, 250}};
    char names[kLibraryEntries][261] = {};
    for (int i = 0; i < 4; ++i) LoadResString(IDS_DEFAULT_LIBRARY + i, names[i]);
    LibraryWindowSettings& first = s->libraries[0];
    CopyBounded(first.folder, programFolder, sizeof first.folder);
    Append(first.folder, "\\", sizeof first.folder);
    first.sizeA = 4;
    first.sizeB = 10;
    first.open = 1;
    for (int i = 0; i < kLibraryEntries; ++i) {
        LibraryWindowSettings& e = s->libraries[i];
        if (i > 0) {
            e.sizeA = first.sizeA;
            e.sizeB = first.sizeB;
            CopyBounded(e.folder, first.folder, sizeof e.folder);
            e.open = 0;
            e.minimised = 0;
        }
        e.left = i < 4 ? kPositions[i].x : 100 + 25 * i;
        e.top = i < 4 ? kPositions[i].y : 50 + 20 * i;
    }
    // Entry 0 is split last: the others copied its folder before its name's folder joined it.
    for (int i = kLibraryEntries - 1; i >= 0; --i) {
        LibraryWindowSettings& e = s->libraries[i];
        char folder[262];
        FolderPart(names[i], folder, sizeof folder);
        Append(e.folder, folder, sizeof e.folder);
        CopyBounded(e.file, FilePart(names[i]), sizeof e.file);
    }
    char folder[262];
    FolderPart(names[0], folder, sizeof folder);
    CopyBounded(s->libraryFolder, programFolder, sizeof s->libraryFolder);
    Append(s->libraryFolder, "\\", sizeof s->libraryFolder);
    Append(s->libraryFolder, folder, sizeof s->libraryFolder);
    size_t n = std::strlen(s->libraryFolder);
    if (n && s->libraryFolder[n - 1] == '\\') s->libraryFolder[n - 1] = '\0';
    CopyBounded(s->defaultLibrary, first.folder, sizeof s->defaultLibrary);
    Append(s->defaultLibrary, first.file, sizeof s->defaultLibrary);
    s->searchKeywords[0] = '\0';
}

void SetFooterFont(Settings* s)
{
    LOGFONTA font = {};
    GetObjectA(GetStockObject(ANSI_VAR_FONT), sizeof font, &font);
    font.lfHeight = -66;
    font.lfWidth = 0;
    font.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    CopyBounded(font.lfFaceName, "Arial", sizeof font.lfFaceName);
    s->footerFont = font;
    s->footerLift = 60;
    s->symbolCell = 117;
    s->symbolFont = 0;
    s->quickPreview = 0;
    s->attachmentOptions = 0;
    s->lastAttachmentKind = 0;
    ApplyFontOverrides(&s->footerFont);
}

int MakeSymbolFonts()
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 2 * sizeof(LOGFONTA));
    if (!block) return ErrOutOfMemory;
    g_symbolFonts.fonts = block;
    g_symbolFonts.count = 2;
    return 0;
}

void FillSymbolFonts(const LOGFONTA& footer)
{
    auto* fonts = static_cast<LOGFONTA*>(GlobalLock(g_symbolFonts.fonts));
    if (!fonts) return;
    fonts[0] = footer;
    fonts[1] = footer;
    CopyBounded(fonts[1].lfFaceName, "Symbol", sizeof fonts[1].lfFaceName);
    fonts[1].lfCharSet = SYMBOL_CHARSET;
    GlobalUnlock(g_symbolFonts.fonts);
}

void AddCharSetAtom()
{
    char characters[225];
    for (int c = 32; c < 256; ++c) characters[c - 32] = static_cast<char>(c);
    characters[224] = '\0';
    g_charSetAtom = GlobalAddAtomA(characters);
}

int LoadStandardStyles()
{
    HINSTANCE instance = g_hInstance ? g_hInstance : GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(IDR_STDSTYLE), "STDSTYLE");
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const BYTE* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    DWORD size = found ? SizeofResource(instance, found) : 0;
    // The 16-byte block header of the stored form is not read.
    if (!bytes || size < sizeof(BlockHeader)) return 1;
    return ImportPackedStyleTable(bytes + sizeof(BlockHeader), size - sizeof(BlockHeader));
}

}  // namespace

void SetDefaultToolSlots(Settings* settings)
{
    std::memcpy(settings->tools, kDefaultTools, sizeof kDefaultTools);
}

void ExpandStyleRecord(StyleRecord* style, const PackedStyleRecord* packed)
{
    style->borderColor = packed->colors[0];
    style->lineColor = packed->colors[1];
    style->fillColor = packed->colors[2];
    style->textColor = packed->colors[3];
    style->shadowColor = packed->colors[4];
    style->backgroundColor = packed->colors[5];
    style->highlightColor = packed->colors[6];
    style->shadowDx = packed->shadowDx;
    style->shadowDy = packed->shadowDy;
    style->shadowStyle = packed->shadowStyle;
    style->shadowClassMask = packed->flags;
    std::memcpy(style->name, packed->name, sizeof style->name);
    style->name[sizeof style->name - 1] = '\0';
}

int ResizeStyleTable(int count)
{
    DWORD bytes = StyleTableBytes(count);
    HGLOBAL table = g_styleTable ? GlobalReAlloc(g_styleTable, bytes, GMEM_MOVEABLE | GMEM_ZEROINIT)
                                 : GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!table) return kBlockNotResized;
    g_styleTable = table;
    return 0;
}

int ImportPackedStyleTable(const BYTE* packed, DWORD bytes)
{
    if (bytes < sizeof(PackedStyleHead)) return 1;
    PackedStyleHead head;
    std::memcpy(&head, packed, sizeof head);
    // A table without styles, or a default outside them, would break every new drawing.
    if (head.count < 1 || head.current < 0 || head.current >= head.count ||
        sizeof head + sizeof(PackedStyleRecord) * (DWORD)head.count > bytes)
        return 1;
    if (ResizeStyleTable(head.count)) return ErrOutOfMemory;
    auto* table = static_cast<StyleTable*>(GlobalLock(g_styleTable));
    if (!table) return ErrOutOfMemory;
    table->count = head.count;
    table->current = head.current;
    StyleRecord* entries = StyleEntries(table);
    for (int i = 0; i < head.count; ++i) {
        PackedStyleRecord entry;
        std::memcpy(&entry, packed + sizeof head + sizeof entry * i, sizeof entry);
        ExpandStyleRecord(&entries[i], &entry);
    }
    GlobalUnlock(g_styleTable);
    return 0;
}

int CreateDefaultSettings()
{
    char programFolder[262];
    ProgramFolder(programFolder);

    g_settingsBlock = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(Settings));
    if (!g_settingsBlock) return ErrOutOfMemory;
    Settings* s = static_cast<Settings*>(g_settingsBlock);
    g_settings = s;
    if (int result = MakeSymbolFonts()) return result;
    AddCharSetAtom();

    for (char* folder : {s->openFolder, s->exportFolder, s->importFolder, s->libraryFolder, s->templateFolder})
        CopyBounded(folder, programFolder, 262);
    char text[261];
    LoadResString(IDS_TEMPLATE_FOLDER, text);
    Append(s->templateFolder, "\\", sizeof s->templateFolder);
    Append(s->templateFolder, text, sizeof s->templateFolder);
    Append(s->templateFolder, "\\", sizeof s->templateFolder);

    s->exportType = 101;
    s->importType = 101;
    s->nextTip = 0;
    s->flags = SetDefaultFlags;
    s->printOptions = 0;
    std::memcpy(s->standardColors, kDefaultColors, sizeof kDefaultColors);

    ObjectDefaults& d = s->defaults;
    d.defaultBorderWidth = 12;
    d.defaultLineWidth = 12;
    d.defaultTextSize = 10;
    d.defaultTextStyle = 0;
    d.defaultTextAlignH = 6;
    d.defaultTextAlignV = 6;
    LoadResString(IDS_DEFAULT_FACE, text);
    CopyBounded(d.defaultFace, text, sizeof d.defaultFace);
    LoadResString(IDS_DEFAULT_CHARSET, text);
    d.defaultFontKey = std::atoi(text);

    s->ruler = RulerSettings{1, 1, 100.0, 12, 1.0, 1};
    SetDefaultToolSlots(s);
    SetLibraryDefaults(s, programFolder);
    SetFooterFont(s);
    FillSymbolFonts(s->footerFont);

    g_recentBlock = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(RecentFiles));
    if (!g_recentBlock) return ErrOutOfMemory;
    g_recentFiles = static_cast<RecentFiles*>(g_recentBlock);
    g_recentFiles->changed = 1;
    UpdateRecentFilesDirectory();

    return LoadStandardStyles();
}

void FreeOptionsAtExit()
{
    if (g_optionsPathAtom) {
        char path[MAX_PATH];
        if (GlobalGetAtomNameA(g_optionsPathAtom, path, sizeof path)) WriteOptionsFile(path);
        GlobalDeleteAtom(g_optionsPathAtom);
        g_optionsPathAtom = 0;
    }
    if (g_symbolFonts.fonts) {
        GlobalFree(g_symbolFonts.fonts);
        g_symbolFonts.fonts = nullptr;
    }
    g_symbolFonts.count = 0;
    if (LastLibraryAtom) {
        GlobalDeleteAtom(LastLibraryAtom);
        LastLibraryAtom = 0;
    }
    if (g_charSetAtom) {
        GlobalDeleteAtom(g_charSetAtom);
        g_charSetAtom = 0;
    }
    if (g_settingsBlock) {
        if (g_standardColors == static_cast<Settings*>(g_settingsBlock)->standardColors) g_standardColors = nullptr;
        if (g_settings == g_settingsBlock) g_settings = nullptr;
        GlobalFree(g_settingsBlock);
        g_settingsBlock = nullptr;
    }
    if (g_recentBlock) {
        if (g_recentFiles == g_recentBlock) g_recentFiles = nullptr;
        GlobalFree(g_recentBlock);
        g_recentBlock = nullptr;
    }
    if (g_styleTable) {
        GlobalFree(g_styleTable);
        g_styleTable = nullptr;
    }
    for (HFONT& font : g_rulerFonts) {
        if (font) DeleteObject(font);
        font = nullptr;
    }
}
