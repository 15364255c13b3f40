// Documents from birth to close: working copies, the state records, untitled numbers, the
// document limit, opening read-only and damaged files, saving beside the target, Save As,
// the save question, closing at exit and the removal of a drive.
#include <windows.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "documents/document_close.h"
#include "documents/document_life.h"
#include "documents/document_save.h"
#include "documents/document_window.h"
#include "documents/drawing_file.h"
#include "documents/object_records.h"
#include "documents/options.h"
#include "exchange/printer_setup.h"
#include "frame/frame_services.h"
#include "frame/frame_windows.h"
#include "model/drawing.h"
#include "model/window_utils.h"
#include "store/block_store.h"
#include "support/frame_support.h"
#include "support/prompt_answerer.h"
#include "support/temp_folder.h"
#include "drawing_file_fixture.h"

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteAll(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Message(UINT id)
{
    char text[1024] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof(text));
    return std::string("Vexlor: ") + text;
}

// The drawing writer of the tests: writes `content`, or the start of it and fails.
struct FakeWriter {
    static inline std::string content = "NEW DRAWING";
    static inline int result = 0;
    static inline std::vector<std::string> paths;
    static inline std::function<void(const std::string&)> before;
    static int Write(LPCSTR path, HGLOBAL*, DWORD*, DocumentState*)
    {
        paths.push_back(path);
        if (before) before(path);
        WriteAll(path, result ? content.substr(0, 4) : content);
        return result;
    }
    static inline bool replaceFails = false;
    static BOOL Replace(LPCSTR from, LPCSTR to, DWORD flags)
    {
        if (replaceFails) return FALSE;
        return MoveFileExA(from, to, flags);
    }
};

class DocumentTest : public testing::Test {
protected:
    void SetUp() override
    {
        prompts_ = std::make_unique<PromptAnswerer>(IDNO);
        settings_.ruler.scaleBase = 100.0;
        settings_.ruler.divisions = 12;
        settings_.ruler.shownValue = 1.0;
        g_settings = &settings_;
        UntitledCounter = 0;
        savedCalls_ = g_documentSaveCalls;
        g_documentSaveCalls = {FakeWriter::Write, FakeWriter::Replace};
        FakeWriter::content = "NEW DRAWING";
        FakeWriter::result = 0;
        FakeWriter::paths.clear();
        FakeWriter::before = nullptr;
        FakeWriter::replaceFails = false;
        ASSERT_EQ(0, CreateMainFrame(FALSE));
    }
    void TearDown() override
    {
        // Every document goes with the frame; nothing may ask.
        DestroyFrameAndDocuments();
        g_documentSaveCalls = savedCalls_;
        g_printerMetrics = GetPrinterMetrics;
        g_settings = nullptr;
        UntitledCounter = 0;
        folder_.reset();
        prompts_.reset();
    }

    // What was put before the user: questions and the warnings that the hidden frame held back.
    std::vector<std::string> Shown() const { return ShownPrompts(*prompts_); }
    std::vector<HWND> Documents() const { return DocumentWindows(); }
    static std::string Title(HWND window)
    {
        char text[300] = {};
        GetWindowTextA(window, text, sizeof(text));
        return text;
    }
    static DocumentFile FileOf(HWND window)
    {
        Locked<DocumentFile> file(GetDocumentFileHandle(window));
        return *file;
    }
    static void ChangeFile(HWND window, const std::function<void(DocumentFile&)>& change)
    {
        Locked<DocumentFile> file(GetDocumentFileHandle(window));
        change(*file);
    }
    static DocumentState StateOf(HWND window)
    {
        Locked<DocumentState> state(GetDocumentStateHandle(GetDocumentView(window)));
        return *state;
    }
    static void SetModified(HWND window)
    {
        Locked<DocumentState> state(GetDocumentStateHandle(GetDocumentView(window)));
        MarkDocumentModified(state.get());
    }
    static bool Modified(HWND window) { return (StateOf(window).flags & DocModified) != 0; }
    static LONG RecordSize(int slot, int id)
    {
        HGLOBAL record = nullptr;
        if (LoadRecord(slot, RecDocument, id, &record)) return -1;
        LONG size = GetBlockSize(record);
        ReleaseBlock(record);
        return size;
    }

    // A store-format drawing file made from a blank document's working copy.
    std::string MakeStoreFile(const char* name)
    {
        if (!folder_) folder_ = std::make_unique<TempFolder>();
        std::string path = folder_->File(name);
        HWND window = CreateDocumentWindow(nullptr, DocModeBlank);
        EXPECT_TRUE(window);
        EXPECT_EQ(0, FlushDocumentState(window, FALSE));
        DocumentFile file = FileOf(window);
        EXPECT_EQ(0, CopyFileContents(file.workPath, file.workHandle, TRUE, path.c_str(), HFILE_ERROR, FALSE));
        SendMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindow(window));
        return path;
    }
    HWND Open(const std::string& path)
    {
        HWND window = CreateDocumentWindow(path.c_str(), DocModeOpen);
        EXPECT_TRUE(window) << path;
        return window;
    }

    Settings settings_ = {};
    DocumentSaveCalls savedCalls_ = {};
    std::unique_ptr<PromptAnswerer> prompts_;
    std::unique_ptr<TempFolder> folder_;
};

TEST_F(DocumentTest, NewDocumentHasItsRecordsTypesAndPage)
{
    HWND window = CreateDocumentWindow(nullptr, DocModeBlank);
    ASSERT_TRUE(window);
    EXPECT_EQ("Untitled 1", Title(window));
    DocumentFile file = FileOf(window);
    EXPECT_EQ(1, file.untitledNumber);
    EXPECT_EQ(-1, file.fileHandle);
    EXPECT_NE(std::string::npos, std::string(file.workPath).find("VXT"));
    int slot = file.storeSlot;

    struct { int id; LONG size; } records[] = {{101, 416}, {102, 164}, {103, 20}, {105, 272}, {106, 1044}};
    for (auto r : records) EXPECT_EQ(r.size, RecordSize(slot, r.id)) << r.id;
    // The font list: its 8-byte head and a 76-byte entry for each face of the reference device.
    const LONG listSize = RecordSize(slot, 104);
    EXPECT_GT(listSize, 16 + 8);
    EXPECT_EQ(0, (listSize - 16 - 8) % 76);

    const int order[] = {100, 110, 115, 111, 112, 113, 114, 116, 117, 119, 120, 118};
    int count = 0;
    ASSERT_EQ(0, CountRecordTypes(slot, &count));
    std::vector<int> types;
    for (int i = 0; i < count; ++i) {
        int type = 0;
        ASSERT_EQ(0, GetRecordTypeAt(slot, i, &type));
        types.push_back(type);
    }
    std::vector<int> sorted(order, order + 12);
    std::sort(sorted.begin(), sorted.end());
    std::vector<int> gotSorted = types;
    std::sort(gotSorted.begin(), gotSorted.end());
    EXPECT_EQ(sorted, gotSorted);

    DocumentState state = StateOf(window);
    EXPECT_EQ(30000, state.areaWidth);
    EXPECT_EQ(30000, state.areaHeight);
    EXPECT_EQ(5100, state.pageWidth);
    EXPECT_EQ(6600, state.pageHeight);
    EXPECT_EQ(5100, state.printableWidth);
    EXPECT_EQ(6600, state.printableHeight);
    EXPECT_EQ(0, state.footerSpace);
    EXPECT_TRUE(state.flags & DocDefaultPrinter);
    EXPECT_FALSE(state.flags & DocModified);

    // The stored image at its offsets after a flush.
    ASSERT_EQ(0, FlushDocumentState(window, FALSE));
    HGLOBAL record = nullptr;
    ASSERT_EQ(0, LoadRecord(slot, RecDocument, 101, &record));
    {
        Locked<BYTE> bytes(record);
        const BYTE* p = bytes.get() + 16;
        auto i32 = [&](int at) { INT32 v; memcpy(&v, p + at, 4); return v; };
        INT16 version;
        memcpy(&version, p, 2);
        EXPECT_EQ(4, version);
        EXPECT_EQ(4, i32(20) & 4);
        EXPECT_EQ(slot, i32(24));
        EXPECT_EQ(30000, i32(56));
        EXPECT_EQ(30000, i32(60));
        EXPECT_EQ(5100, i32(64));
        EXPECT_EQ(6600, i32(68));
        EXPECT_EQ(-1, i32(394));
    }
    ReleaseBlock(record);
}

// A printer of the tests' own: a Letter page with equal margins, footers as asked.
struct TestPrinter {
    static inline LONG margin = 0;
    static HDC Measure(char*, HGLOBAL, RECT* margins, SIZE* paper, int, BOOL, BOOL*, BOOL*)
    {
        SetRect(margins, margin, margin, margin, margin);
        paper->cx = 5100;
        paper->cy = 6600;
        return CreateCompatibleDC(nullptr);
    }
};

TEST_F(DocumentTest, FootersTakeSpaceOnlyFromAPageWithMargins)
{
    struct Case { LONG margin; INT32 footer; int width, height; } cases[] = {
        {300, 100, 5100 - 600 - 100, 6600 - 600 - 100},
        {0, 100, 5100, 6600},
        {300, 0, 5100 - 600, 6600 - 600},
        {-50, 100, 5100, 6600},   // negative margins count as none
    };
    for (const Case& c : cases) {
        HWND window = CreateDocumentWindow(nullptr, DocModeBlank);
        ASSERT_TRUE(window);
        HWND view = GetDocumentView(window);
        int slot = FileOf(window).storeSlot;
        {
            Locked<DocumentState> state(GetDocumentStateHandle(view));
            state->footerSpace = c.footer;
            state->flags &= ~DocDefaultPrinter;
            lstrcpyA(state->deviceName, "Test Printer");
        }
        ASSERT_EQ(0, FlushDocumentState(window, FALSE));
        {
            Locked<DocumentState> state(GetDocumentStateHandle(view));
            CloseDrawing(state->drawing);
        }
        DestroyDocumentState(view);
        TestPrinter::margin = c.margin;
        g_printerMetrics = TestPrinter::Measure;
        BOOL converted = TRUE;
        ASSERT_EQ(0, LoadDocumentState(view, slot, &converted));
        EXPECT_FALSE(converted);
        DocumentState state = StateOf(window);
        EXPECT_EQ(c.width, state.printableWidth) << c.margin << " " << c.footer;
        EXPECT_EQ(c.height, state.printableHeight) << c.margin << " " << c.footer;
        EXPECT_EQ(c.footer, state.footerSpace);
        EXPECT_STREQ("Test Printer", state.deviceName);
        g_printerMetrics = GetPrinterMetrics;
        SetModified(window);
        prompts_->QueueAnswers({IDNO});
        SendMessageA(window, WM_CLOSE, 0, 0);
        ASSERT_FALSE(IsWindow(window));
    }
}

// Stored records are outside data: short or overcounted ones never reach past their end.
TEST_F(DocumentTest, DamagedStoredRecordsAreRefused)
{
    struct Case { const char* what; int type, id; LONG size; INT32 first, second; int expected; } cases[] = {
        {"short state record", RecDocument, 101, 16 + 120, 4, 0, 0},
        {"font map count beyond its record", RecDocument, 103, 20, 1000, 0, 1003},
        {"font list count beyond its record", RecDocument, 104, 24, 5, 0, 1003},
        {"text runs beyond their block", RecTextBlock, 7, 16 + 88, 3, 0, 1003},
        {"text lines beyond their block", RecTextBlock, 7, 16 + 88 + 68, 1, 9, 1003},
    };
    for (const Case& c : cases) {
        HWND window = CreateDocumentWindow(nullptr, DocModeBlank);
        ASSERT_TRUE(window);
        HWND view = GetDocumentView(window);
        int slot = FileOf(window).storeSlot;
        ASSERT_EQ(0, FlushDocumentState(window, FALSE));
        {
            Locked<DocumentState> state(GetDocumentStateHandle(view));
            CloseDrawing(state->drawing);
        }
        DestroyDocumentState(view);
        HGLOBAL record = nullptr;
        if (c.type == RecTextBlock)
            ASSERT_EQ(0, AddRecord(slot, c.type, c.id, c.size, &record));
        else {
            ASSERT_EQ(0, LoadRecord(slot, c.type, c.id, &record));
            ASSERT_EQ(0, ResizeRecord(&record, c.size));
        }
        {
            Locked<BYTE> bytes(record);
            if (c.type == RecDocument && c.id == 101) {
                INT16 version = static_cast<INT16>(c.first);
                memcpy(bytes.get() + 16, &version, 2);
            } else {
                memcpy(bytes.get() + 16, &c.first, 4);
                memcpy(bytes.get() + 20, &c.second, 4);
            }
        }
        ASSERT_EQ(0, MarkBlockDirty(record));
        ReleaseBlock(record);
        BOOL converted = FALSE;
        EXPECT_EQ(c.expected, LoadDocumentState(view, slot, &converted)) << c.what;
        EXPECT_EQ(c.expected != 0, GetDocumentStateHandle(view) == nullptr) << c.what;
        SendMessageA(g_mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
    }
}

TEST_F(DocumentTest, UntitledNumbersAreHandedOutAndGivenBack)
{
    HWND first = CreateDocumentWindow(nullptr, DocModeBlank);
    ASSERT_TRUE(first);
    // An untouched Untitled 1 makes room for the next new document, which is Untitled 1 again.
    HWND replaced = CreateDocumentWindow(nullptr, DocModeBlank);
    ASSERT_TRUE(replaced);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(1u, Documents().size());
    EXPECT_EQ("Untitled 1", Title(replaced));

    SetModified(replaced);
    HWND second = CreateDocumentWindow(nullptr, DocModeBlank);
    EXPECT_EQ("Untitled 2", Title(second));
    // Closing Untitled 1 keeps the counter: the next is Untitled 3.
    SendMessageA(replaced, WM_CLOSE, 0, 0);   // answered No
    EXPECT_FALSE(IsWindow(replaced));
    EXPECT_EQ(2, UntitledCounter);
    SetModified(second);
    HWND third = CreateDocumentWindow(nullptr, DocModeBlank);
    EXPECT_EQ("Untitled 3", Title(third));

    // Closing the highest gives its number back.
    SendMessageA(third, WM_CLOSE, 0, 0);
    EXPECT_EQ(2, UntitledCounter);
    SendMessageA(second, WM_CLOSE, 0, 0);
    EXPECT_EQ(1, UntitledCounter);
}

LRESULT CALLBACK PlainChild(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefMDIChildProcA(window, message, wParam, lParam);
}

TEST_F(DocumentTest, ThirtyTwoChildWindowsAreTheLimit)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PlainChild;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "DocumentTestChild";
    RegisterClassA(&wc);
    for (int i = 0; i < 31; ++i) {
        MDICREATESTRUCTA create = {};
        create.szClass = "DocumentTestChild";
        create.szTitle = "child";
        create.hOwner = GetModuleHandleA(nullptr);
        create.x = create.y = create.cx = create.cy = CW_USEDEFAULT;
        ASSERT_TRUE(SendMessageA(g_mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    }
    int count = 0;
    EXPECT_FALSE(CheckDocumentLimit(FALSE, &count));
    EXPECT_EQ(31, count);
    HWND last = CreateDocumentWindow(nullptr, DocModeBlank);
    EXPECT_TRUE(last);
    EXPECT_TRUE(Shown().empty());

    EXPECT_FALSE(CreateDocumentWindow(nullptr, DocModeOleBlank));   // silent in the OLE modes
    EXPECT_TRUE(Shown().empty());
    EXPECT_FALSE(CreateDocumentWindow(nullptr, DocModeBlank));
    ASSERT_EQ(1u, Shown().size());
    EXPECT_EQ(Message(9), Shown()[0]);
    EXPECT_EQ(1, UntitledCounter);
}

TEST_F(DocumentTest, OpeningKeepsTheFileAndFindsItAgain)
{
    std::string path = MakeStoreFile("A.VXR");
    prompts_->Clear();
    HWND window = Open(path);
    ASSERT_TRUE(window);
    EXPECT_EQ("A.VXR", Title(window));
    DocumentFile file = FileOf(window);
    EXPECT_EQ(0, file.untitledNumber);
    EXPECT_FALSE(file.readOnly);
    EXPECT_FALSE(file.olderVersion);
    EXPECT_EQ(IsFixedOrRemoteDrive(path.c_str()), file.keptOpen);
    if (file.keptOpen) {
        // Held with write sharing denied: others may read, not write.
        HANDLE other = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(INVALID_HANDLE_VALUE, other);
        if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
    }
    EXPECT_FALSE(Modified(window));
    EXPECT_EQ(30000, StateOf(window).areaWidth);

    std::string upper = path;
    for (char& ch : upper) ch = static_cast<char>(toupper(ch));
    EXPECT_EQ(window, FindDocumentWindow(upper.c_str()));
    EXPECT_EQ(0, OpenOrActivateDocument(upper.c_str(), DocModeOpen));
    EXPECT_EQ(1u, Documents().size());
    EXPECT_TRUE(Shown().empty());
}

TEST_F(DocumentTest, OpeningFailuresShowTheirWarnings)
{
    struct Case { int result; UINT warning; } map[] = {
        {7, 5}, {10008, 4}, {10006, 6}, {10007, 7}, {2, 0}, {10003, 8}, {10004, 8}, {1003, 8}};
    for (auto c : map) EXPECT_EQ(c.warning, OpenFailureWarning(c.result)) << c.result;

    folder_ = std::make_unique<TempFolder>();
    std::string garbage = folder_->File("garbage.VXR");
    WriteAll(garbage, std::string(300, 'x'));
    EXPECT_FALSE(CreateDocumentWindow(garbage.c_str(), DocModeOpen));
    EXPECT_FALSE(CreateDocumentWindow(folder_->File("missing.VXR").c_str(), DocModeOpen));
    EXPECT_FALSE(CreateDocumentWindow(garbage.c_str(), DocModeFromTemplate));   // reported by its caller
    EXPECT_EQ((std::vector<std::string>{Message(5), Message(8)}), Shown());
    EXPECT_TRUE(Documents().empty());
    EXPECT_EQ(0, UntitledCounter);

    // Too short for the signature, without it, or cut inside the header record: not a drawing.
    const std::string headerStart = std::string("VEXLORFM") + std::string("\x01\x80\x0C\0\0\0\x02\0\x2C\x01\x01\0", 12);
    ASSERT_EQ(20u, headerStart.size());
    const struct { const char* name; std::string bytes; } foreign[] = {
        {"empty.VXR", ""}, {"text.VXR", "Just a note.\r\n"}, {"cut.VXR", headerStart}, {"sig.VXR", "VEXLOR"}};
    for (const auto& f : foreign) {
        prompts_->Clear();
        const std::string path = folder_->File(f.name);
        WriteAll(path, f.bytes);
        EXPECT_FALSE(CreateDocumentWindow(path.c_str(), DocModeOpen)) << f.name;
        EXPECT_EQ((std::vector<std::string>{Message(5)}), Shown()) << f.name;
    }
    EXPECT_TRUE(Documents().empty());
}

// A drawing file whose drawing block names three objects and holds one: the blocks of the
// other two were lost.
std::string DrawingMissingTwoObjects()
{
    DrawingBlockHeader block = EmptyHeader();
    block.objectCount = 3;
    // A rectangle at (600, 600)-(900, 900), no label partner.
    std::vector<INT16> shape(36, 0);
    for (int r = 0; r < 3; ++r)
        for (int i = 0; i < 4; ++i) shape[1 + 4 * r + i] = i < 2 ? 600 : 900;
    shape[13] = 1;
    shape[27] = static_cast<INT16>(0xFFFF);
    shape[28] = -1;
    StreamBytes s;
    s.Signature().Header().Record(kOpDrawingBlock, StreamBytes::Pod(block));
    s.Record(kOpObject, std::string(reinterpret_cast<const char*>(shape.data()), 72));
    s.Bare(0x4022).Bare(0x4020).Bare(0x4001);
    return s.bytes;
}

TEST_F(DocumentTest, ADamagedDrawingOpensWithOneWarningOfWhatWasLost)
{
    folder_ = std::make_unique<TempFolder>();
    const std::string path = folder_->File("damaged.VXR");
    WriteAll(path, DrawingMissingTwoObjects());
    prompts_->Clear();
    HWND window = Open(path);
    ASSERT_TRUE(window);
    {
        Locked<Drawing> drawing(StateOf(window).drawing);
        Locked<ObjectList> objects(drawing->objectList);
        EXPECT_EQ(1, objects->count);
    }
    char objectsLine[262] = {};
    LoadStringA(GetModuleHandleA(nullptr), 69, objectsLine, sizeof objectsLine);
    char lost[300];
    wsprintfA(lost, objectsLine, 2, 3);
    EXPECT_EQ((std::vector<std::string>{Message(65) + lost}), Shown());
    EXPECT_FALSE(Modified(window));
}

TEST_F(DocumentTest, AFileInUseOpensReadOnlyAndIsNotSavedInPlace)
{
    std::string path = MakeStoreFile("R.VXR");
    std::string before = ReadAll(path);
    // Another program holds the file and lets others only read it.
    HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    prompts_->Clear();
    HWND window = Open(path);
    ASSERT_TRUE(window);
    EXPECT_TRUE(FileOf(window).readOnly);
    EXPECT_EQ((std::vector<std::string>{Message(64)}), Shown());
    SetModified(window);
    prompts_->Clear();
    EXPECT_EQ(-1, SaveDocumentInPlace(window));
    EXPECT_EQ(-1, SaveDocument(window));
    EXPECT_EQ((std::vector<std::string>{Message(63), Message(63)}), Shown());
    EXPECT_TRUE(FakeWriter::paths.empty());
    EXPECT_TRUE(before == ReadAll(path));
    SendMessageA(g_mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
    CloseHandle(other);
}

TEST_F(DocumentTest, SaveInPlaceWritesTheSiblingThenReplaces)
{
    std::string path = MakeStoreFile("A.VXR");
    HWND window = Open(path);
    ASSERT_TRUE(window);
    SetModified(window);
    std::string sibling = folder_->File("A.VX$");
    std::string seenBefore;
    FakeWriter::before = [&](const std::string&) { seenBefore = ReadAll(path); };
    std::string old = ReadAll(path);
    prompts_->Clear();
    EXPECT_EQ(0, SaveDocument(window));
    EXPECT_EQ((std::vector<std::string>{sibling}), FakeWriter::paths);
    EXPECT_TRUE(old == seenBefore);   // the drawing was still whole while the new one was written
    EXPECT_FALSE(Exists(sibling));
    EXPECT_EQ("NEW DRAWING", ReadAll(path));
    EXPECT_FALSE(Modified(window));
    EXPECT_EQ(IsFixedOrRemoteDrive(path.c_str()), FileOf(window).fileHandle != -1);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(DocumentTest, AFailedSaveLeavesTheDrawingAsItWas)
{
    struct Case { const char* what; int writeResult; bool replaceFails; UINT warning; bool siblingKept; } cases[] = {
        {"disk full while writing", 10006, false, 6, false},
        {"write error", 1002, false, 10, false},
        {"replace refused", 0, true, 10, true},
    };
    std::string path = MakeStoreFile("A.VXR");
    std::string old = ReadAll(path);
    std::string sibling = folder_->File("A.VX$");
    HWND window = Open(path);
    ASSERT_TRUE(window);
    for (const Case& c : cases) {
        SetModified(window);
        FakeWriter::result = c.writeResult;
        FakeWriter::replaceFails = c.replaceFails;
        prompts_->Clear();
        EXPECT_EQ(1, SaveDocument(window)) << c.what;
        EXPECT_TRUE(old == ReadAll(path)) << c.what;
        EXPECT_TRUE(Modified(window)) << c.what;
        EXPECT_EQ((std::vector<std::string>{Message(c.warning)}), Shown()) << c.what;
        EXPECT_EQ(c.siblingKept, Exists(sibling)) << c.what;
        if (c.siblingKept) {
            EXPECT_EQ("NEW DRAWING", ReadAll(sibling));
        }
        // Held again as before.
        EXPECT_EQ(IsFixedOrRemoteDrive(path.c_str()), FileOf(window).fileHandle != -1) << c.what;
        DeleteFileA(sibling.c_str());
    }
}

TEST_F(DocumentTest, SavingAFileEndingInDollarNeverWritesOverItFirst)
{
    std::string path = MakeStoreFile("A.VX$");
    std::string old = ReadAll(path);
    HWND window = Open(path);
    ASSERT_TRUE(window);
    SetModified(window);
    std::string seen;
    FakeWriter::before = [&](const std::string&) { seen = ReadAll(path); };
    EXPECT_EQ(0, SaveDocument(window));
    ASSERT_EQ(1u, FakeWriter::paths.size());
    EXPECT_NE(path, FakeWriter::paths[0]);
    EXPECT_TRUE(old == seen);
    EXPECT_EQ("NEW DRAWING", ReadAll(path));
    EXPECT_FALSE(Exists(FakeWriter::paths[0]));
}

TEST_F(DocumentTest, SaveAsUnderItsOwnNameIsASaveInPlace)
{
    std::string path = MakeStoreFile("Own.VXR");
    HWND window = Open(path);
    ASSERT_TRUE(window);
    SetModified(window);
    std::string lower = path;
    for (char& ch : lower) ch = static_cast<char>(tolower(ch));
    prompts_->AnswerSaveDialog(lower, 1);
    EXPECT_EQ(0, SaveAsCommand());
    ASSERT_EQ(1u, FakeWriter::paths.size());
    EXPECT_EQ(folder_->File("Own.VX$"), FakeWriter::paths[0]);
    EXPECT_EQ("Own.VXR", Title(window));
    EXPECT_STREQ(path.c_str(), FileOf(window).path);
    EXPECT_FALSE(Modified(window));
}

TEST_F(DocumentTest, SaveAsTemplateKeepsTheDocumentAsItWas)
{
    folder_ = std::make_unique<TempFolder>();
    HWND window = CreateDocumentWindow(nullptr, DocModeBlank);
    ASSERT_TRUE(window);
    SetModified(window);
    std::string target = folder_->File("B.vxt");
    prompts_->AnswerSaveDialog(target, 3);   // All Files: the extension decides
    EXPECT_EQ(0, SaveAsCommand());
    EXPECT_EQ("NEW DRAWING", ReadAll(target));
    EXPECT_EQ("Untitled 1", Title(window));
    EXPECT_TRUE(Modified(window));
    EXPECT_EQ(1, FileOf(window).untitledNumber);
    EXPECT_EQ(-1, RecordSize(FileOf(window).storeSlot, 107));   // an empty drawing has no preview
    EXPECT_EQ(1, UntitledCounter);
}

TEST_F(DocumentTest, SaveAsOfTheHighestUntitledGivesItsNumberBack)
{
    folder_ = std::make_unique<TempFolder>();
    HWND first = CreateDocumentWindow(nullptr, DocModeBlank);
    SetModified(first);
    HWND second = CreateDocumentWindow(nullptr, DocModeBlank);
    ASSERT_EQ("Untitled 2", Title(second));
    SetModified(second);
    std::string target = folder_->File("C.VXR");
    prompts_->AnswerSaveDialog(target, 1);
    EXPECT_EQ(0, SaveDocument(second));
    EXPECT_EQ("C.VXR", Title(second));
    EXPECT_EQ(0, FileOf(second).untitledNumber);
    EXPECT_STREQ(target.c_str(), FileOf(second).path);
    EXPECT_FALSE(Modified(second));
    EXPECT_EQ(1, UntitledCounter);
    HWND next = CreateDocumentWindow(nullptr, DocModeBlank);
    EXPECT_EQ("Untitled 2", Title(next));
}

TEST_F(DocumentTest, AnOlderVersionAsksOnceBeforeItsFirstSave)
{
    std::string path = MakeStoreFile("Old.VXR");
    HWND window = Open(path);
    ASSERT_TRUE(window);
    ChangeFile(window, [](DocumentFile& f) { f.olderVersion = TRUE; });
    SetModified(window);
    prompts_->Clear();
    prompts_->QueueAnswers({IDCANCEL});
    EXPECT_EQ(-1, SaveDocument(window));
    EXPECT_EQ((std::vector<std::string>{Message(54)}), Shown());
    EXPECT_TRUE(Modified(window));
    EXPECT_TRUE(FakeWriter::paths.empty());

    prompts_->Clear();
    prompts_->QueueAnswers({IDOK});
    EXPECT_EQ(0, SaveDocument(window));
    SetModified(window);
    EXPECT_EQ(0, SaveDocument(window));
    EXPECT_EQ((std::vector<std::string>{Message(54)}), Shown());
    EXPECT_EQ(2u, FakeWriter::paths.size());
}

TEST_F(DocumentTest, ClosingAsksOnlyForChanges)
{
    std::string path = MakeStoreFile("Q.VXR");
    HWND window = Open(path);
    ASSERT_TRUE(window);
    prompts_->Clear();
    EXPECT_EQ(IDNO, QuerySaveChanges(window, FALSE));
    EXPECT_TRUE(Shown().empty());
    SetModified(window);
    prompts_->QueueAnswers({IDCANCEL});
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ((std::vector<std::string>{"Vexlor: Save changes to Q.VXR"}), Shown());
    prompts_->QueueAnswers({IDYES});
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ("NEW DRAWING", ReadAll(path));
}

TEST_F(DocumentTest, CancelAtExitStopsAtThatDocument)
{
    std::vector<HWND> windows;
    for (int i = 0; i < 3; ++i) {
        windows.push_back(CreateDocumentWindow(nullptr, DocModeBlank));
        SetModified(windows.back());
    }
    prompts_->QueueAnswers({IDNO, IDCANCEL});
    EXPECT_FALSE(CloseAllDocuments());
    EXPECT_EQ(2u, Shown().size());
    EXPECT_EQ(2u, Documents().size());
    int closed = 0;
    for (HWND w : windows) closed += !IsWindow(w);
    EXPECT_EQ(1, closed);
}

DEV_BROADCAST_VOLUME Volume(DWORD mask)
{
    DEV_BROADCAST_VOLUME volume = {};
    volume.dbcv_size = sizeof(volume);
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = mask;
    return volume;
}

TEST_F(DocumentTest, RemovingADriveClosesItsDocumentsAfterAsking)
{
    std::string one = MakeStoreFile("One.VXR");
    std::string two = MakeStoreFile("Two.VXR");
    char letter = static_cast<char>(toupper(one[0]));
    ASSERT_EQ(':', one[1]);
    DEV_BROADCAST_VOLUME volume = Volume(1u << (letter - 'A'));
    LPARAM data = reinterpret_cast<LPARAM>(&volume);

    HWND a = Open(one), b = Open(two);
    SetModified(a);
    SetModified(b);
    prompts_->Clear();
    prompts_->QueueAnswers({IDNO});
    EXPECT_FALSE(HandleDeviceChange(DBT_DEVICEQUERYREMOVE, data));
    EXPECT_EQ((std::vector<std::string>{Message(61)}), Shown());
    EXPECT_TRUE(IsWindow(a) && IsWindow(b));

    prompts_->Clear();
    prompts_->QueueAnswers({IDYES, IDNO, IDNO});
    EXPECT_TRUE(HandleDeviceChange(DBT_DEVICEQUERYREMOVE, data));
    ASSERT_EQ(3u, Shown().size());
    EXPECT_EQ(Message(61), Shown()[0]);
    EXPECT_NE(std::string::npos, Shown()[1].find("Save changes to "));
    EXPECT_FALSE(IsWindow(a));
    EXPECT_FALSE(IsWindow(b));
    EXPECT_TRUE(HandleDeviceChange(DBT_DEVICEARRIVAL, data));
}

TEST_F(DocumentTest, OnlyADriveLetterNamesAVolume)
{
    std::string one = MakeStoreFile("Unc.VXR");
    HWND a = Open(one);
    ChangeFile(a, [](DocumentFile& f) { lstrcpyA(f.path, "\\\\server\\share\\Unc.VXR"); });
    SetModified(a);
    DEV_BROADCAST_VOLUME volume = Volume(0xFFFFFFFFu);
    prompts_->Clear();
    EXPECT_TRUE(HandleDeviceChange(DBT_DEVICEQUERYREMOVE, reinterpret_cast<LPARAM>(&volume)));
    EXPECT_TRUE(Shown().empty());
    EXPECT_TRUE(IsWindow(a));
    ChangeFile(a, [](DocumentFile& f) { f.untitledNumber = 0; f.path[0] = 0; });
}

// A saved drawing opens again with what was saved.
TEST_F(DocumentTest, ASavedDrawingOpensAgain)
{
    g_documentSaveCalls = savedCalls_;
    folder_ = std::make_unique<TempFolder>();
    HWND window = CreateDocumentWindow(nullptr, DocModeBlank);
    ASSERT_TRUE(window);
    {
        Locked<DocumentState> state(GetDocumentStateHandle(GetDocumentView(window)));
        state->flags |= DocOnePage;
    }
    SetModified(window);
    std::string target = folder_->File("R.VXR");
    prompts_->AnswerSaveDialog(target, 1);
    ASSERT_EQ(0, SaveDocument(window));
    SendMessageA(window, WM_CLOSE, 0, 0);
    HWND again = Open(target);
    ASSERT_TRUE(again);
    EXPECT_EQ(4800, StateOf(again).areaWidth);
    EXPECT_FALSE(Modified(again));
}

}  // namespace
