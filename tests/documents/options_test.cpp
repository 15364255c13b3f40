// Settings defaults, the standard styles, the options file and the recent files.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "documents/options.h"
#include "documents/options_file.h"
#include "documents/recent_files.h"
#include "documents/record_stream.h"
#include "libraries/last_library.h"
#include "store/store_directory.h"
#include "store/store_records.h"
#include "support/temp_folder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int FilesIn(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    int n = 0;
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return n;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// An options file built record by record.
class OptionsBytes {
public:
    explicit OptionsBytes(std::int16_t generation = 3, std::int16_t version = 3)
    {
        const char* sig = "VXLROPTI";
        bytes_.assign(sig, sig + 8);
        std::int16_t header[6] = {generation, 300, 2, version, 100, 600};
        Rec(0x8001, header, sizeof header);
    }
    OptionsBytes& Rec(std::uint16_t opcode, const void* data, std::uint32_t length)
    {
        Put(&opcode, 2);
        Put(&length, 4);
        Put(data, length);
        return *this;
    }
    template <typename T>
    OptionsBytes& Rec(std::uint16_t opcode, const T& value) { return Rec(opcode, &value, sizeof value); }
    OptionsBytes& Text(std::uint16_t opcode, const char* text) { return Rec(opcode, text, static_cast<std::uint32_t>(std::strlen(text) + 1)); }
    OptionsBytes& Bare(std::uint16_t opcode)
    {
        Put(&opcode, 2);
        return *this;
    }
    OptionsBytes& End() { return Bare(0x4001); }
    const Bytes& bytes() const { return bytes_; }

private:
    void Put(const void* data, std::size_t n)
    {
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + n);
    }
    Bytes bytes_;
};

StyleTable* LockStyles() { return static_cast<StyleTable*>(GlobalLock(g_styleTable)); }

LOGFONTA SymbolFont(int i)
{
    auto* fonts = static_cast<LOGFONTA*>(GlobalLock(g_symbolFonts.fonts));
    LOGFONTA f = fonts[i];
    GlobalUnlock(g_symbolFonts.fonts);
    return f;
}

std::string RecentAt(int position)
{
    char path[262];
    GetRecentFilePath(120 + position, path);
    return path;
}

// Zeroes what follows each string's terminator, where no writer or reader looks.
void ClearAfterTerminator(char* text, std::size_t size)
{
    std::size_t n = strnlen(text, size);
    if (n < size) std::memset(text + n, 0, size - n);
}

void Normalise(Settings& s)
{
    ClearAfterTerminator(s.defaults.defaultFace, sizeof s.defaults.defaultFace);
    for (char* field : {s.openFolder, s.exportFolder, s.importFolder, s.libraryFolder, s.templateFolder,
                        s.defaultLibrary, s.searchKeywords})
        ClearAfterTerminator(field, 262);
    for (LibraryWindowSettings& e : s.libraries) {
        ClearAfterTerminator(e.folder, sizeof e.folder);
        ClearAfterTerminator(e.file, sizeof e.file);
    }
    ClearAfterTerminator(s.footerFont.lfFaceName, sizeof s.footerFont.lfFaceName);
}

class OptionsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder_.path().empty());
        path_ = folder_.File("options.opt");
    }
    void TearDown() override
    {
        g_optionsWriteLimit = -1;
        Discard();
    }
    // Releases the options without writing them.
    void Discard()
    {
        if (g_optionsPathAtom) GlobalDeleteAtom(g_optionsPathAtom);
        g_optionsPathAtom = 0;
        FreeOptionsAtExit();
    }
    int Load() { return LoadOptions(path_.c_str(), nullptr, 120); }
    // Loads the defaults and then reads `file` written at the options path.
    int LoadFile(const OptionsBytes& file)
    {
        WriteBytes(path_, file.bytes());
        return Load();
    }

    TempFolder folder_;
    std::string path_;
};

TEST_F(OptionsTest, FirstStartGivesTheDefaults)
{
    ASSERT_FALSE(Exists(path_));
    ASSERT_EQ(Load(), 0);
    EXPECT_TRUE(Exists(path_)) << "an /O path that does not exist is created";
    EXPECT_EQ(FileBytes(path_).size(), 0u);
    ASSERT_NE(g_settings, nullptr);
    const Settings& s = *g_settings;

    EXPECT_EQ(s.flags, 0x4336u);
    EXPECT_TRUE(s.flags & SetHints);
    EXPECT_TRUE(s.flags & SetPalette);
    EXPECT_TRUE(s.flags & SetSnap);
    EXPECT_TRUE(s.flags & SetLinesLink);
    EXPECT_FALSE(s.flags & SetShapesLink);
    EXPECT_TRUE(s.flags & SetWelcome);
    EXPECT_TRUE(s.flags & SetTemplateDialog);
    EXPECT_EQ(s.defaults.defaultBorderWidth, 12);
    EXPECT_EQ(s.defaults.defaultLineWidth, 12);
    EXPECT_EQ(s.defaults.defaultTextSize, 10);
    EXPECT_EQ(s.defaults.defaultTextAlignH, 6);
    EXPECT_EQ(s.defaults.defaultTextAlignV, 6);
    EXPECT_STREQ(s.defaults.defaultFace, "Times New Roman");
    EXPECT_EQ(s.defaults.defaultFontKey, 0);
    EXPECT_EQ(s.exportType, 101);
    EXPECT_EQ(s.importType, 101);
    EXPECT_EQ(s.standardColors[0], 0x0000A0u);
    EXPECT_EQ(s.standardColors[23], 0xA4A0A0u);
    EXPECT_EQ(s.standardColors[34], 0xC0FFF4u);
    EXPECT_EQ(s.standardColors[47], 0xFFFFFFu);
    EXPECT_EQ(g_standardColors, s.standardColors);

    const RulerSettings& r = s.ruler;
    EXPECT_EQ(r.rulersShown, 1);
    EXPECT_EQ(r.screenUnit, 1);
    EXPECT_EQ(r.scaleBase, 100.0);
    EXPECT_EQ(r.divisions, 12);
    EXPECT_EQ(r.shownValue, 1.0);
    EXPECT_EQ(r.unit, 1);

    // Library entries: only the first default library is open.
    EXPECT_TRUE(EndsWith(s.libraries[0].folder, "\\library\\general\\")) << s.libraries[0].folder;
    EXPECT_STREQ(s.libraries[0].file, "Standard.vxl");
    EXPECT_EQ(s.libraries[0].open, 1);
    EXPECT_EQ(s.libraries[0].left, 300);
    EXPECT_EQ(s.libraries[0].top, 100);
    EXPECT_TRUE(EndsWith(s.libraries[3].folder, "\\library\\workflow\\"));
    EXPECT_STREQ(s.libraries[3].file, "workflow.vxl");
    EXPECT_EQ(s.libraries[3].left, 450);
    for (int i = 1; i < kLibraryEntries; ++i) {
        const LibraryWindowSettings& e = s.libraries[i];
        EXPECT_EQ(e.open, 0) << i;
        EXPECT_EQ(e.sizeA, 4) << i;
        EXPECT_EQ(e.sizeB, 10) << i;
        if (i >= 4) {
            EXPECT_STREQ(e.file, "") << i;
            EXPECT_EQ(e.left, 100 + 25 * i) << i;
            EXPECT_EQ(e.top, 50 + 20 * i) << i;
            EXPECT_TRUE(EndsWith(e.folder, "\\")) << i;
        }
    }
    std::string program = s.openFolder;
    EXPECT_EQ(std::string(s.libraryFolder), program + "\\library\\general");
    EXPECT_EQ(std::string(s.templateFolder), program + "\\DIAGRAMS\\");
    EXPECT_EQ(std::string(s.defaultLibrary), program + "\\library\\general\\Standard.vxl");

    // Tools: the line array is 300 by 2.
    EXPECT_EQ(s.tools[3].width, 300);
    EXPECT_EQ(s.tools[3].height, 2);
    EXPECT_EQ(s.tools[3].objClass, 3);
    EXPECT_EQ(s.tools[11].growMode, 3);
    EXPECT_EQ(s.tools[21].subtype, 25);
    EXPECT_DOUBLE_EQ(s.tools[16].adjustment, 0.33);

    EXPECT_EQ(s.footerFont.lfHeight, -66);
    EXPECT_EQ(s.footerFont.lfWidth, 0);
    EXPECT_EQ(s.footerFont.lfOutPrecision, 7);
    EXPECT_STREQ(s.footerFont.lfFaceName, "Arial");
    EXPECT_EQ(s.footerLift, 60);
    EXPECT_EQ(s.symbolCell, 117);
    EXPECT_EQ(s.symbolFont, 0);

    ASSERT_EQ(g_symbolFonts.count, 2);
    EXPECT_STREQ(SymbolFont(0).lfFaceName, "Arial");
    EXPECT_STREQ(SymbolFont(1).lfFaceName, "Symbol");
    EXPECT_EQ(SymbolFont(1).lfCharSet, SYMBOL_CHARSET);
    char characters[256] = "";
    ASSERT_NE(g_charSetAtom, 0);
    EXPECT_EQ(GlobalGetAtomNameA(g_charSetAtom, characters, sizeof characters), 224u);
    EXPECT_EQ(static_cast<std::uint8_t>(characters[0]), 32);
    EXPECT_EQ(static_cast<std::uint8_t>(characters[223]), 255);

    ASSERT_NE(g_recentFiles, nullptr);
    EXPECT_EQ(g_recentFiles->count, 0);
    EXPECT_EQ(g_recentFiles->firstMenuId, 120);
    EXPECT_TRUE(EndsWith(g_recentFiles->currentFolder, "\\"));

    // The standard styles.
    StyleTable* table = LockStyles();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->count, 25);
    EXPECT_EQ(table->current, 0);
    const StyleRecord& bw = StyleEntries(table)[0];
    EXPECT_STREQ(bw.name, "Black & White");
    EXPECT_EQ(bw.backgroundColor, 0xFFFFFFFFu);
    EXPECT_EQ(bw.fillColor, 0xFFFFFFu);
    EXPECT_EQ(bw.shadowClassMask, 12);
    const StyleRecord& logo = StyleEntries(table)[24];
    EXPECT_STREQ(logo.name, "Logo");
    EXPECT_EQ(logo.textColor, 0x808080u);
    EXPECT_EQ(logo.shadowDx, 6);
    EXPECT_EQ(logo.shadowStyle, 1);
    EXPECT_EQ(logo.shadowClassMask, 7);
    EXPECT_EQ(StyleEntries(table)[3].shadowStyle, 5);
    GlobalUnlock(g_styleTable);

    // The exit fills the empty file once; a second release writes nothing.
    FreeOptionsAtExit();
    EXPECT_GT(FileBytes(path_).size(), 8u);
    EXPECT_EQ(g_settings, nullptr);
    EXPECT_EQ(g_styleTable, nullptr);
    EXPECT_EQ(g_symbolFonts.count, 0);
    EXPECT_EQ(g_charSetAtom, 0);
    ASSERT_TRUE(DeleteFileA(path_.c_str()));
    FreeOptionsAtExit();
    EXPECT_FALSE(Exists(path_));
}

TEST_F(OptionsTest, WithoutAnOptionsPathNothingIsWritten)
{
    ASSERT_EQ(CreateDefaultSettings(), 0);
    EXPECT_EQ(SaveOptions(), 0);
    FreeOptionsAtExit();
    EXPECT_EQ(FilesIn(folder_.path()), 0);
    EXPECT_EQ(g_settings, nullptr);
}

TEST_F(OptionsTest, WritingAndReadingBackGivesTheSameOptions)
{
    ASSERT_EQ(Load(), 0);
    Settings& s = *g_settings;
    s.ruler = RulerSettings{0, 0, 150.0, 16, 2.5, 5};
    s.printOptions = 0x8003;
    s.flags = 0x12345 | 0x8000;
    s.defaults = ObjectDefaults{24, 36, 14, 3, 2, 8, 2, "Courier New"};
    lstrcpyA(s.openFolder, "C:\\drawings & more\\");
    lstrcpyA(s.exportFolder, "D:\\out");
    lstrcpyA(s.importFolder, "");
    lstrcpyA(s.templateFolder, "E:\\tpl\\");
    lstrcpyA(s.searchKeywords, "flow chart");
    s.libraries[5] = LibraryWindowSettings{"F:\\libs\\", "Mine.vxl", 7, 9, -20, 600, 1, 1};
    lstrcpyA(s.libraries[15].file, "Last.vxl");
    s.exportType = 104;
    s.importType = -3;
    s.nextTip = 17;
    s.standardColors[7] = 0x123456;
    s.standardColors[47] = 0x00ABCDEF;
    s.tools[5] = ToolSlot{900, 450, 0, 26, 3, 0.45};
    s.tools[0] = ToolSlot{300, 300, 2, 3, 0, 0};
    s.footerFont.lfHeight = -100;
    s.footerFont.lfWeight = 700;
    s.footerFont.lfItalic = 1;
    lstrcpyA(s.footerFont.lfFaceName, "Courier New");
    s.footerLift = 150;
    s.quickPreview = -1;
    s.symbolCell = 200;
    s.symbolFont = 2;
    s.attachmentOptions = 1;
    s.lastAttachmentKind = 3;
    LastLibraryAtom = GlobalAddAtomA("G:\\last\\lib.vxl");

    ASSERT_EQ(ResizeStyleTable(3), 0);
    {
        StyleTable* t = LockStyles();
        t->count = 3;
        t->current = 2;
        StyleEntries(t)[2] = StyleRecord{1, 2, 3, 4, 5, 0xFFFFFFFF, 7, -24, 30, 3, 0x45, "Mine"};
        GlobalUnlock(g_styleTable);
    }
    AddRecentFile("C:\\a.vxd");
    AddRecentFile("C:\\b.vxd");
    AddRecentFile("C:\\c.vxd");
    {
        HGLOBAL grown = GlobalReAlloc(g_symbolFonts.fonts, 4 * sizeof(LOGFONTA), GMEM_MOVEABLE | GMEM_ZEROINIT);
        ASSERT_NE(grown, nullptr);
        g_symbolFonts.fonts = grown;
        auto* fonts = static_cast<LOGFONTA*>(GlobalLock(grown));
        fonts[2] = fonts[0];
        lstrcpyA(fonts[2].lfFaceName, "Wingdings");
        fonts[3] = fonts[1];
        fonts[3].lfHeight = -200;
        GlobalUnlock(grown);
        g_symbolFonts.count = 4;
    }

    Settings expected = s;
    expected.flags &= 0xFFFF;
    Normalise(expected);
    Bytes styles(StyleTableBytes(3));
    std::memcpy(styles.data(), LockStyles(), styles.size());
    GlobalUnlock(g_styleTable);
    std::vector<LOGFONTA> fonts;
    for (int i = 0; i < 4; ++i) fonts.push_back(SymbolFont(i));

    FreeOptionsAtExit();
    ASSERT_EQ(Load(), 0);

    Settings read = *g_settings;
    Normalise(read);
    EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0);
    EXPECT_EQ(read.flags, 0x2345u | 0x8000u);
    EXPECT_STREQ(read.openFolder, "C:\\drawings & more\\");
    EXPECT_STREQ(read.libraries[5].folder, "F:\\libs\\");
    EXPECT_EQ(read.libraries[5].left, -20);
    EXPECT_EQ(read.tools[5].subtype, 26);
    EXPECT_EQ(read.footerFont.lfWeight, 700);
    EXPECT_STREQ(read.footerFont.lfFaceName, "Courier New");

    ASSERT_EQ(GlobalSize(g_styleTable) >= styles.size(), true);
    {
        StyleTable* t = LockStyles();
        auto* before = reinterpret_cast<StyleTable*>(styles.data());
        for (int i = 0; i < 3; ++i) {
            ClearAfterTerminator(StyleEntries(t)[i].name, 32);
            ClearAfterTerminator(StyleEntries(before)[i].name, 32);
        }
        EXPECT_EQ(std::memcmp(t, styles.data(), styles.size()), 0);
        EXPECT_STREQ(StyleEntries(t)[2].name, "Mine");
        GlobalUnlock(g_styleTable);
    }

    EXPECT_EQ(g_recentFiles->count, 3);
    EXPECT_EQ(RecentAt(0), "C:\\c.vxd");
    EXPECT_EQ(RecentAt(1), "C:\\b.vxd");
    EXPECT_EQ(RecentAt(2), "C:\\a.vxd");

    ASSERT_EQ(g_symbolFonts.count, 4);
    for (int i = 1; i < 4; ++i) {
        LOGFONTA f = SymbolFont(i);
        ClearAfterTerminator(f.lfFaceName, sizeof f.lfFaceName);
        ClearAfterTerminator(fonts[i].lfFaceName, sizeof f.lfFaceName);
        EXPECT_EQ(std::memcmp(&f, &fonts[i], sizeof f), 0) << i;
    }

    char last[MAX_PATH] = "";
    ASSERT_NE(LastLibraryAtom, 0);
    GlobalGetAtomNameA(LastLibraryAtom, last, sizeof last);
    EXPECT_STREQ(last, "G:\\last\\lib.vxl");
}

TEST_F(OptionsTest, TheWriterLaysOutTheDocumentedRecords)
{
    ASSERT_EQ(Load(), 0);
    FreeOptionsAtExit();
    Bytes b = FileBytes(path_);
    ASSERT_GT(b.size(), 60u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 8), "VXLROPTI");
    const std::uint8_t header[] = {0x01, 0x80, 12, 0, 0, 0, 3, 0, 0x2C, 0x01, 2, 0, 3, 0, 100, 0, 0x58, 0x02};
    EXPECT_EQ(Bytes(b.begin() + 8, b.begin() + 26), Bytes(std::begin(header), std::end(header)));
    // The general record follows: 40 bytes, flags at offset 2.
    EXPECT_EQ(b[26], 0x00);
    EXPECT_EQ(b[27], 0x08);
    EXPECT_EQ(b[28], 40);
    EXPECT_EQ(b[32 + 2], 0x36);
    EXPECT_EQ(b[32 + 3], 0x43);
    EXPECT_EQ(b[32 + 16], 12);   // border width
    EXPECT_EQ(b[32 + 32], 117);  // insert-symbol cell
    // It ends with the symbol fonts' end marker and the file's.
    EXPECT_EQ(Bytes(b.end() - 4, b.end()), (Bytes{0x30, 0x48, 0x01, 0x40}));
}

TEST_F(OptionsTest, FormatVersionsAndSignatures)
{
    std::int16_t general[20] = {0, 0x0010};
    const struct {
        const char* what;
        std::int16_t version;
        int result;
    } cases[] = {
        {"version 0", 0, 0}, {"version 1", 1, 1004}, {"version 2", 2, 0},
        {"version 3", 3, 0}, {"version 4", 4, 1004}, {"version -1 (65535)", -1, 1004},
    };
    ASSERT_EQ(CreateDefaultSettings(), 0);
    for (const auto& c : cases) {
        WriteBytes(path_, OptionsBytes(3, c.version).Rec(0x0800, general).End().bytes());
        g_settings->flags = 0x4336;
        EXPECT_EQ(ReadOptionsFile(path_.c_str()), c.result) << c.what;
        EXPECT_EQ(g_settings->flags, c.result ? 0x4336u : 0x0010u) << c.what;
    }
    Bytes lower = OptionsBytes().End().bytes();
    std::memcpy(lower.data(), "vxlropti", 8);
    WriteBytes(path_, lower);
    EXPECT_EQ(ReadOptionsFile(path_.c_str()), 0) << "the signature is compared without case";
    WriteBytes(path_, Bytes{'V', 'X', 'L', 'R'});
    EXPECT_EQ(ReadOptionsFile(path_.c_str()), 1003);
    Bytes wrongFirst = OptionsBytes().bytes();
    wrongFirst[8] = 0x02;
    WriteBytes(path_, wrongFirst);
    EXPECT_EQ(ReadOptionsFile(path_.c_str()), 1003);
    WriteBytes(path_, OptionsBytes().Rec(0x0800, general).bytes());
    EXPECT_EQ(ReadOptionsFile(path_.c_str()), 1001) << "a file that ends before 0x4001";
    EXPECT_EQ(ReadOptionsFile(folder_.File("none.opt").c_str()), 1);
    FreeOptionsAtExit();

    // A refused version leaves the defaults after the fallbacks (the same path) fail too.
    EXPECT_EQ(LoadFile(OptionsBytes(3, 4).Rec(0x0800, general).End()), 0);
    EXPECT_EQ(g_settings->flags, 0x4336u);
}

TEST_F(OptionsTest, APreviousVersionsFileKeepsPathsLibrariesAndTheFirstTools)
{
    std::int16_t general[20] = {0, 0x0010};
    std::uint8_t path[] = {0, 0, 'X', ':', '\\', 0};
    std::int16_t entry[6] = {1, 2, 3, 4, 0, 0};
    OptionsBytes file(2, 3);
    file.Rec(0x0800, general).Rec(0x0802, path);
    file.Rec(0x8805, nullptr, 0).Rec(0x0806, entry).Text(0x0807, "Y:\\").Text(0x0808, "old.vxl").Bare(0x4805);
    file.Rec(0x8810, nullptr, 0);
    for (std::int16_t n = 0; n < 5; ++n) {
        std::uint8_t slot[18] = {};
        std::int16_t values[5] = {static_cast<std::int16_t>(1000 + n), 500, 0, 2, 0};
        std::memcpy(slot, values, sizeof values);
        file.Rec(0x0811, slot);
    }
    file.Bare(0x4810).End();
    ASSERT_EQ(LoadFile(file), 0);
    const Settings& s = *g_settings;
    EXPECT_EQ(s.flags, 0x0010u | 0x0200u);
    EXPECT_STRNE(s.openFolder, "X:\\");
    EXPECT_STREQ(s.libraries[0].file, "Standard.vxl");
    EXPECT_EQ(s.libraries[0].left, 300);
    EXPECT_EQ(s.tools[0].width, 600);
    EXPECT_EQ(s.tools[1].height, 150);
    EXPECT_EQ(s.tools[2].objClass, 2);
    EXPECT_EQ(s.tools[3].width, 300);
    EXPECT_EQ(s.tools[3].height, 2);
    EXPECT_EQ(s.tools[4].width, 1003) << "the fourth record lands in slot 4";
    EXPECT_EQ(s.tools[5].width, 1004);
    EXPECT_EQ(s.tools[6].width, 600);
    EXPECT_EQ(g_olderFile, FALSE);
}

TEST_F(OptionsTest, RulerRecords)
{
    ASSERT_EQ(CreateDefaultSettings(), 0);
#pragma pack(push, 1)
    struct Short {
        std::int16_t shown, screen;
        double scale;
        std::int16_t divisions;
    };
#pragma pack(pop)
    static_assert(sizeof(Short) == 14);
    const struct {
        const char* what;
        double scale;
        std::int16_t divisions;
        int unit, screenUnit;
        double expectedScale;
        int expectedDivisions;
    } shortCases[] = {
        {"100 % is inches", 100.0, 10, 1, 1, 100.0, 10},
        {"another scale is centimetres at 100 %", 150.0, 16, 4, 0, 100.0, 16},
        {"a scale near 100 % is not 100 %", 100.0000001, 8, 4, 0, 100.0, 8},
        {"divisions other than 8, 10, 12, 16", 100.0, 7, 1, 1, 100.0, 12},
    };
    for (const auto& c : shortCases) {
        g_settings->ruler = RulerSettings{1, 0, 50.0, 12, 3.0, 3};
        Short record = {0, 0, c.scale, c.divisions};
        WriteBytes(path_, OptionsBytes().Rec(0x0801, record).End().bytes());
        ASSERT_EQ(ReadOptionsFile(path_.c_str()), 0) << c.what;
        const RulerSettings& r = g_settings->ruler;
        EXPECT_EQ(r.rulersShown, 0) << c.what;
        EXPECT_EQ(r.unit, c.unit) << c.what;
        EXPECT_EQ(r.screenUnit, c.screenUnit) << c.what;
        EXPECT_EQ(r.scaleBase, c.expectedScale) << c.what;
        EXPECT_EQ(r.divisions, c.expectedDivisions) << c.what;
        EXPECT_EQ(r.shownValue, 1.0) << c.what;
    }
    const struct {
        const char* what;
        double scale;
        std::int16_t divisions;
        double expectedScale;
        int expectedDivisions;
    } fullCases[] = {
        {"a sound record", 250.0, 16, 250.0, 16},
        {"a zero scale", 0.0, 16, 100.0, 12},
        {"a negative scale", -50.0, 8, 100.0, 12},
        {"a scale that is not a number", std::nan(""), 10, 100.0, 12},
        {"an infinite scale", HUGE_VAL, 10, 100.0, 12},
        {"zero divisions", 80.0, 0, 100.0, 12},
    };
    for (const auto& c : fullCases) {
        OptionsRuler record = {1, 0, c.scale, c.divisions, 2.0, 3};
        WriteBytes(path_, OptionsBytes().Rec(0x0801, record).End().bytes());
        ASSERT_EQ(ReadOptionsFile(path_.c_str()), 0) << c.what;
        EXPECT_EQ(g_settings->ruler.scaleBase, c.expectedScale) << c.what;
        EXPECT_EQ(g_settings->ruler.divisions, c.expectedDivisions) << c.what;
        EXPECT_EQ(g_settings->ruler.unit, 3) << c.what;
        EXPECT_EQ(g_settings->ruler.shownValue, 2.0) << c.what;
    }
}

TEST_F(OptionsTest, SymbolFontsUnknownRecordsAndBlocks)
{
    OptionsBytes file;
    std::int16_t count = 3;
    OptionsFont font = {};
    std::int32_t height = -99;
    std::memcpy(font.logFont, &height, 4);
    std::int16_t general[20] = {0, 0x0011};
    std::int16_t hidden[20] = {0, 0x0001};
    std::uint8_t unknown[5] = {1, 2, 3, 4, 5};
    file.Rec(0x0999, unknown);
    file.Rec(0x8999, nullptr, 0).Rec(0x0800, hidden).Rec(0x8998, nullptr, 0).Rec(0x0800, hidden).Bare(0x4998).Bare(0x4999);
    file.Rec(0x8831, count);
    const char* faces[] = {"One", "Two", "Three", "Four", "Five"};
    for (const char* face : faces) {
        lstrcpyA(font.face, face);
        file.Rec(0x0809, font);
    }
    file.Rec(0x8777, nullptr, 0).Bare(0x4777).Bare(0x4831);
    file.Bare(0x4830).Rec(0x0800, general).End();
    ASSERT_EQ(LoadFile(file), 0);
    EXPECT_EQ(g_settings->flags, 0x0011u) << "records after 0x4830 belong to the file's block";
    ASSERT_EQ(g_symbolFonts.count, 3);
    EXPECT_STREQ(SymbolFont(0).lfFaceName, "Arial");
    EXPECT_STREQ(SymbolFont(1).lfFaceName, "One");
    EXPECT_EQ(SymbolFont(1).lfHeight, -99);
    EXPECT_STREQ(SymbolFont(2).lfFaceName, "Two");
    Discard();

    // A count of 0 or 1 leaves entry 0 alone, and so does a count beyond 30 past the records.
    for (std::int16_t small : {std::int16_t{0}, std::int16_t{1}, std::int16_t{-5}}) {
        OptionsBytes f;
        f.Rec(0x8831, small);
        lstrcpyA(font.face, "Ignored");
        f.Rec(0x0809, font).Bare(0x4830).End();
        ASSERT_EQ(LoadFile(f), 0) << small;
        EXPECT_EQ(g_symbolFonts.count, 1) << small;
        EXPECT_STREQ(SymbolFont(0).lfFaceName, "Arial") << small;
        Discard();
    }
    OptionsBytes many;
    many.Rec(0x8831, std::int16_t{500});
    for (int i = 0; i < 40; ++i) many.Rec(0x0809, font);
    ASSERT_EQ(LoadFile(many.Bare(0x4830).End()), 0);
    EXPECT_EQ(g_symbolFonts.count, 30);
    EXPECT_LE(GlobalSize(g_symbolFonts.fonts), 30u * sizeof(LOGFONTA) + 64u);
}

TEST_F(OptionsTest, DamagedRecordsKeepWhatTheyCannotHold)
{
    const std::int16_t styleHead[][2] = {{0, 0}, {-3, 0}, {2, 2}, {2, -1}};
    for (const auto& head : styleHead) {
        OptionsBytes file;
        file.Rec(0x8820, head).Rec(0x0821, std::int16_t{5}).Text(0x0823, "Bad").Bare(0x4820);
        ASSERT_EQ(LoadFile(file.End()), 0);
        StyleTable* t = LockStyles();
        EXPECT_EQ(t->count, 25) << head[0] << " " << head[1];
        EXPECT_EQ(t->current, 0);
        EXPECT_STREQ(StyleEntries(t)[0].name, "Black & White");
        GlobalUnlock(g_styleTable);
        Discard();
    }

    // Styles: more colours claimed than held, a name without terminator, records past the count.
    {
        OptionsBytes file;
        std::int16_t head[2] = {2, 1};
        std::uint8_t colors[10] = {30, 0, 0x11, 0x22, 0x33, 0, 0x44, 0x55, 0x66, 0};
        char longName[40];
        std::memset(longName, 'N', sizeof longName);
        file.Rec(0x8820, head).Rec(0x0821, std::int16_t{-7}).Rec(0x0822, colors).Rec(0x0823, longName, sizeof longName);
        file.Rec(0x0821, std::int16_t{2}).Rec(0x0821, std::int16_t{3}).Text(0x0823, "Beyond").Bare(0x4820);
        ASSERT_EQ(LoadFile(file.End()), 0);
        StyleTable* t = LockStyles();
        EXPECT_EQ(t->count, 2);
        EXPECT_EQ(t->current, 1);
        const StyleRecord& first = StyleEntries(t)[0];
        EXPECT_EQ(first.shadowDx, -7);
        EXPECT_EQ(first.shadowDy, 0) << "the rest of a short record keeps the table's values";
        EXPECT_EQ(first.borderColor, 0x332211u);
        EXPECT_EQ(first.lineColor, 0x665544u);
        EXPECT_EQ(first.fillColor, 0xFFFFFFu) << "colours the record does not hold stay";
        EXPECT_EQ(std::string(first.name), std::string(31, 'N'));
        EXPECT_STREQ(StyleEntries(t)[1].name, "B & W: Drop Shadow");
        EXPECT_EQ(StyleEntries(t)[1].shadowDx, 2);
        GlobalUnlock(g_styleTable);
        Discard();
    }

    // Tool slots whose class or subtype would index outside the class handlers' tables.
    {
        const std::int16_t slots[][5] = {
            {700, 701, 4, 0, 0},  {700, 702, -1, 0, 0}, {700, 703, 0, 27, 0},
            {700, 704, 1, 4, 0},  {700, 705, 0, -1, 0}, {700, 706, 0, 26, 0},
            {700, 707, 3, 3, 0},
        };
        OptionsBytes file;
        file.Rec(0x8810, nullptr, 0);
        for (const auto& v : slots) {
            std::uint8_t record[18] = {};
            std::memcpy(record, v, sizeof v);
            file.Rec(0x0811, record);
        }
        file.Rec(0x0811, std::int16_t{42}).Bare(0x4810);
        ASSERT_EQ(LoadFile(file.End()), 0);
        const Settings& s = *g_settings;
        for (int i = 0; i < 5; ++i) EXPECT_NE(s.tools[i].width, 700) << i;
        EXPECT_EQ(s.tools[5].height, 706);
        EXPECT_EQ(s.tools[6].height, 707);
        EXPECT_EQ(s.tools[7].width, 42) << "a short record sets only what it holds";
        EXPECT_EQ(s.tools[7].height, 300);
        Discard();
    }

    // General values: a negative tip, a short record, colours beyond the record, paths without
    // terminators.
    {
        std::int16_t general[10] = {0, 0x0001, 0, 0, -4, 0, 0, 0, 99, 98};
        std::uint8_t colors[2 + 8] = {48, 0, 1, 2, 3, 0, 4, 5, 6, 0};
        std::vector<std::uint8_t> path(2 + 400, 'p');
        path[0] = 2;
        path[1] = 0;
        std::vector<char> face(50, 'f');
        OptionsBytes file;
        file.Rec(0x0800, general, sizeof general).Rec(0x0008, colors).Rec(0x0802, path.data(), 402);
        file.Rec(0x0804, face.data(), 50).Rec(0x0802, std::uint8_t{7}).End();
        ASSERT_EQ(LoadFile(file), 0);
        const Settings& s = *g_settings;
        EXPECT_EQ(s.nextTip, 0);
        EXPECT_EQ(s.flags, 0x0001u);
        EXPECT_EQ(s.defaults.defaultBorderWidth, 99);
        EXPECT_EQ(s.defaults.defaultLineWidth, 98);
        EXPECT_EQ(s.defaults.defaultTextSize, 10) << "beyond the record";
        EXPECT_EQ(s.symbolCell, 117);
        EXPECT_EQ(s.standardColors[0], 0x030201u);
        EXPECT_EQ(s.standardColors[1], 0x060504u);
        EXPECT_EQ(s.standardColors[2], 0x008080u);
        EXPECT_EQ(std::string(s.importFolder), std::string(261, 'p'));
        EXPECT_EQ(std::string(s.defaults.defaultFace), std::string(31, 'f'));
        EXPECT_EQ(LastLibraryAtom, 0);
        Discard();
    }
}

// A store-format options file with records 51/100, 51/101 and 51/102 (`styles` packed).
void MakeOptionsStore(const std::string& path, const Bytes& styles)
{
    ASSERT_EQ(CreateStoreFile(path.c_str(), 0, 6, 200), 0);
    int slot = -1, version = 0;
    ASSERT_EQ(OpenStoreFile(path.c_str(), &slot, 0, &version, FALSE), 0);
    ASSERT_EQ(AddRecordType(slot, 51), 0);
    for (int id = 100; id <= 102; ++id) {
        const DWORD size = id == 102 ? static_cast<DWORD>(styles.size()) : 64;
        HGLOBAL block = nullptr;
        ASSERT_EQ(AddRecord(slot, 51, id, 16 + size, &block), 0);
        auto* bytes = static_cast<BYTE*>(GlobalLock(block));
        if (id == 102) std::memcpy(bytes + 16, styles.data(), size);
        GlobalUnlock(block);
        ASSERT_EQ(MarkBlockDirty(block), 0);
    }
    ASSERT_EQ(CloseStore(slot), 0);
}

Bytes PackedStyles(std::int16_t count, std::int16_t current, int stored)
{
    Bytes b(4 + 68 * stored);
    std::memcpy(b.data(), &count, 2);
    std::memcpy(b.data() + 2, &current, 2);
    for (int i = 0; i < stored; ++i) {
        PackedStyleRecord r = {};
        r.colors[2] = 0x000100u * static_cast<DWORD>(i + 1);
        r.shadowDx = static_cast<INT16>(-6 * (i + 1));
        r.flags = 2;
        wsprintfA(r.name, "Old %d", i);
        std::memcpy(b.data() + 4 + 68 * i, &r, sizeof r);
    }
    return b;
}

TEST_F(OptionsTest, AStoreFallbackImportsItsStyleTable)
{
    MakeOptionsStore(path_, PackedStyles(2, 1, 2));
    ASSERT_EQ(Load(), 0);
    StyleTable* t = LockStyles();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->count, 2);
    EXPECT_EQ(t->current, 1);
    EXPECT_STREQ(StyleEntries(t)[1].name, "Old 1");
    EXPECT_EQ(StyleEntries(t)[1].shadowDx, -12);
    EXPECT_EQ(StyleEntries(t)[1].fillColor, 0x000200u);
    EXPECT_EQ(StyleEntries(t)[0].shadowClassMask, 2);
    GlobalUnlock(g_styleTable);
    // Imported old settings always switch the template dialog on.
    EXPECT_TRUE(g_settings->flags & SetTemplateDialog);
    // The next save goes to the options path in the current format.
    FreeOptionsAtExit();
    Bytes written = FileBytes(path_);
    EXPECT_EQ(std::string(written.begin(), written.begin() + 8), "VXLROPTI");
}

TEST_F(OptionsTest, AStoreFallbackThatIsDamagedImportsNothing)
{
    const struct {
        const char* what;
        Bytes styles;
        bool breakCheck;
    } cases[] = {
        {"count beyond the record", PackedStyles(3, 0, 2), false},
        {"no styles", PackedStyles(0, 0, 1), false},
        {"default outside the styles", PackedStyles(2, 2, 2), false},
        {"a store that fails the check", PackedStyles(2, 1, 2), true},
    };
    for (const auto& c : cases) {
        DeleteFileA(path_.c_str());
        MakeOptionsStore(path_, c.styles);
        if (c.breakCheck) {
            // Lost bytes on the free-space page where there is no hole.
            std::int32_t lost = 64;
            Bytes b = FileBytes(path_);
            std::memcpy(b.data() + 256 + 20, &lost, 4);
            WriteBytes(path_, b);
        }
        ASSERT_EQ(Load(), 0) << c.what;
        StyleTable* t = LockStyles();
        EXPECT_EQ(t->count, 25) << c.what;
        EXPECT_EQ(t->current, 0) << c.what;
        GlobalUnlock(g_styleTable);
        Discard();
    }
}

TEST_F(OptionsTest, RecentFiles)
{
    ASSERT_EQ(Load(), 0);
    for (const char* p : {"A", "B", "C", "D", "E"}) AddRecentFile(p);
    EXPECT_EQ(g_recentFiles->count, 4);
    EXPECT_EQ(RecentAt(0) + RecentAt(1) + RecentAt(2) + RecentAt(3), "EDCB");
    AddRecentFile("c");
    EXPECT_EQ(RecentAt(0) + RecentAt(1) + RecentAt(2) + RecentAt(3), "CEDB") << "found case-insensitively, moved to the top";
    g_recentFiles->changed = 0;
    AddRecentFile("C");
    EXPECT_EQ(RecentAt(0) + RecentAt(1) + RecentAt(2) + RecentAt(3), "CEDB");
    EXPECT_EQ(g_recentFiles->changed, 0) << "the most recent again marks nothing";

    RemoveRecentFile(121);
    EXPECT_EQ(g_recentFiles->changed, 1);
    EXPECT_EQ(g_recentFiles->count, 3);
    EXPECT_EQ(RecentAt(0) + RecentAt(1) + RecentAt(2), "CDB");
    for (int id : {119, 123, 124, -5}) {
        RemoveRecentFile(id);
        EXPECT_EQ(RecentAt(id - 120), "") << id;
    }
    EXPECT_EQ(g_recentFiles->count, 3);
    AddRecentFile("F");
    AddRecentFile("G");
    EXPECT_EQ(RecentAt(0) + RecentAt(1) + RecentAt(2) + RecentAt(3), "GFCD");

    char saved[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(folder_.path().c_str()));
    g_recentFiles->changed = 0;
    UpdateRecentFilesDirectory();
    SetCurrentDirectoryA(saved);
    EXPECT_EQ(std::string(g_recentFiles->currentFolder), folder_.path() + "\\");
    EXPECT_EQ(g_recentFiles->changed, 1);
}

TEST_F(OptionsTest, AFailedWriteLeavesThePreviousFile)
{
    ASSERT_EQ(Load(), 0);
    FreeOptionsAtExit();
    const Bytes before = FileBytes(path_);
    ASSERT_FALSE(before.empty());

    ASSERT_EQ(Load(), 0);
    g_settings->flags = 0x0001;
    for (int limit : {0, 5, 60}) {
        g_optionsWriteLimit = limit;
        EXPECT_EQ(SaveOptions(), 1002) << limit;
        EXPECT_EQ(FileBytes(path_), before) << limit;
        EXPECT_EQ(FilesIn(folder_.path()), 1) << "the sibling is deleted";
    }
    g_optionsWriteLimit = -1;
    EXPECT_EQ(SaveOptions(), 0);
    EXPECT_NE(FileBytes(path_), before);
    EXPECT_EQ(FilesIn(folder_.path()), 1);
}

}  // namespace
