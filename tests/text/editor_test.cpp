// The editor window: creation, the messages that read or store a value, the selection, the
// undo snapshot's messages and loading text blocks.
#include <windows.h>

#include <gtest/gtest.h>

#include "editor_fixture.h"
#include "text/ten_window.h"
#include "text/text_paint.h"

namespace {

TEST_F(EditorTest, WithoutCreationRecordAnswersNoStateResultsAndIgnoresInput)
{
    ASSERT_NE(nullptr, Create(nullptr));
    EXPECT_EQ(nullptr, TenStateHandle(editor_));
    EXPECT_EQ(0, Send(TEN_GETTEXTLENGTH));
    EXPECT_EQ(1, Send(TEN_GETMODIFIED));
    EXPECT_EQ(1, Send(TEN_NOOP, 77));
    EXPECT_EQ(0, Send(WM_KEYDOWN, VK_F5));
    EXPECT_EQ(0, Send(WM_CHAR, 'a'));
    EXPECT_EQ(0, Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)));
    EXPECT_TRUE(Notices().empty());
}

TEST_F(EditorTest, MissingFontListMapOrReferenceLeavesNoState)
{
    for (int missing = 0; missing < 3; ++missing) {
        TenCreateParams p = Params();
        if (missing == 0) p.fontList = nullptr;
        if (missing == 1) p.fontMap = nullptr;
        if (missing == 2) p.referenceDC = nullptr;
        ASSERT_NE(nullptr, Create(&p));
        EXPECT_EQ(nullptr, TenStateHandle(editor_)) << missing;
    }
}

TEST_F(EditorTest, NewEditorHasOneEmptyRunLineSegmentAndFormat)
{
    TenCreateParams p = Params();
    ASSERT_NE(nullptr, Create(&p));
    TenState* s = Lock();
    ASSERT_NE(nullptr, s);
    EXPECT_EQ(1, s->runCount);
    EXPECT_EQ(1, s->lineCount);
    EXPECT_EQ(1, s->segmentCount);
    EXPECT_EQ(0, s->textLength);
    const BYTE* table = static_cast<const BYTE*>(GlobalLock(s->formats));
    EXPECT_EQ(1, *reinterpret_cast<const INT32*>(table));
    const ParagraphFormat* format = reinterpret_cast<const ParagraphFormat*>(table + 4);
    EXPECT_EQ(150, format->tabInterval);
    EXPECT_EQ(120, format->spacingBase);
    EXPECT_EQ(1, format->hyphenate);
    GlobalUnlock(s->formats);
    Unlock();
    EXPECT_NE(0, Runs()[0].font);
    EXPECT_TRUE(IsWindowVisible(editor_));
}

TEST_F(EditorTest, HiddenCreationFlagKeepsTheEditorHidden)
{
    TenCreateParams p = Params("text");
    p.createFlags = 2;
    ASSERT_NE(nullptr, Create(&p));
    EXPECT_NE(nullptr, TenStateHandle(editor_));
    EXPECT_FALSE(IsWindowVisible(editor_));
}

TEST_F(EditorTest, OffscreenBitmapOfATallEditorIsScreenHigh)
{
    HDC screen = GetDC(nullptr);
    const int screenHeight = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(nullptr, screen);
    TenCreateParams p = Params();
    ASSERT_NE(nullptr, Create(&p, 200, screenHeight + 300));
    TenState* s = Lock();
    EXPECT_EQ(screenHeight, s->bitmapHeight);
    EXPECT_EQ(200, s->bitmapWidth);
    Unlock();
    // A larger client grows it in width only; a smaller one never shrinks it.
    SetWindowPos(editor_, nullptr, 0, 0, 250, 100, SWP_NOMOVE | SWP_NOZORDER);
    s = Lock();
    EXPECT_EQ(250, s->bitmapWidth);
    EXPECT_EQ(screenHeight, s->bitmapHeight);
    Unlock();
}

TEST_F(EditorTest, SelectionMessages)
{
    TenCreateParams p = Params("0123456789");
    ASSERT_NE(nullptr, Create(&p));
    struct Case {
        LPARAM range;
        int start, end;
    } cases[] = {
        {static_cast<LPARAM>(TenSelectAll), 0, 10},
        {MAKELPARAM(3, 7), 3, 7},
        {MAKELPARAM(7, 3), 3, 7},
        {MAKELPARAM(40, 50), 10, 10},
        {MAKELPARAM(static_cast<WORD>(-5), 4), 0, 4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(0, Send(TEN_SETSELECTION, 0, c.range));
        const LRESULT packed = Send(TEN_GETSELECTION);
        EXPECT_EQ(c.start, LOWORD(packed)) << std::hex << c.range;
        EXPECT_EQ(c.end, HIWORD(packed)) << std::hex << c.range;
    }
}

TEST_F(EditorTest, SelectionNearTheEndGoesToTheFourthLineFromTheEnd)
{
    const char* three = "a\rb\rc";
    const char* ten = "l0\rl1\rl2\rl3\rl4\rl5\rl6\rl7\rl8\rl9";
    TenCreateParams p = Params(three);
    ASSERT_NE(nullptr, Create(&p));
    ASSERT_EQ(3, Send(TEN_GETLINECOUNT));
    Send(TEN_SETSELECTION, TenSelectNearEnd, MAKELPARAM(1, 2));
    EXPECT_EQ(0, Send(TEN_GETSELECTION));
    p = Params(ten);
    ASSERT_NE(nullptr, Create(&p));
    ASSERT_EQ(10, Send(TEN_GETLINECOUNT));
    Send(TEN_SETSELECTION, TenSelectNearEnd, 0);
    const int line6 = Lines()[6].firstChar;
    EXPECT_EQ(18, line6);
    EXPECT_EQ(MAKELONG(line6, line6), Send(TEN_GETSELECTION));
}

TEST_F(EditorTest, ModifiedUndoKindAndOptions)
{
    TenCreateParams p = Params("abc");
    ASSERT_NE(nullptr, Create(&p));
    EXPECT_EQ(0, Send(TEN_GETMODIFIED));
    EXPECT_EQ(0, Send(TEN_SAVEUNDO, 8));
    EXPECT_EQ(8, Send(TEN_GETUNDOKIND));
    EXPECT_EQ(1, Send(TEN_GETMODIFIED));
    int redo = -1;
    EXPECT_EQ(8, TenGetUndoState(editor_, &redo));
    EXPECT_EQ(0, redo);
    // The snapshot told the parent first.
    bool told = false;
    for (const Notice& n : Notices()) told |= n.message == TenNoticeUndoSnapshot;
    EXPECT_TRUE(told);

    const LRESULT options = Send(TEN_SETMODIFIED, 0);
    EXPECT_EQ(0u, options & TenOptModified);
    EXPECT_EQ(0, Send(TEN_GETUNDOKIND));

    Send(TEN_SETMODIFIED, 1);
    EXPECT_EQ(1, Send(TEN_GETMODIFIED));
    EXPECT_EQ(0, Send(TEN_SETOPTIONS, TenOptWordWrap));
    EXPECT_EQ(0, Send(TEN_GETMODIFIED));
    EXPECT_EQ(TenOptWordWrap, static_cast<DWORD>(Send(TEN_GETOPTIONS)));
    EXPECT_EQ(1, Send(TEN_GETWRAP));
    EXPECT_EQ(0, Send(TEN_NOOP, 0xFFFF, 0x1234));
    EXPECT_EQ(3, Send(TEN_GETTEXTLENGTH));
}

TEST_F(EditorTest, LoadingSnapshotIsSilent)
{
    TenCreateParams p = Params("abc");
    ASSERT_NE(nullptr, Create(&p));
    std::vector<BYTE> block = MakeBlock("hello");
    ASSERT_EQ(0, Load(block));
    for (const Notice& n : Notices()) EXPECT_NE(TenNoticeUndoSnapshot, n.message);
    EXPECT_EQ(0, Send(TEN_GETUNDOKIND));
    EXPECT_EQ(0, Send(TEN_GETMODIFIED));
}

TEST_F(EditorTest, NullPointersAreIgnored)
{
    TenCreateParams p = Params("abc");
    ASSERT_NE(nullptr, Create(&p));
    RECT before = Lock()->margins;
    Unlock();
    EXPECT_EQ(0, Send(TEN_SETMARGINS, 0, 0));
    EXPECT_EQ(0, Send(TEN_FRAMERECT, 1, 0));
    EXPECT_EQ(0, Send(TEN_FRAMERECT, 0, 0));
    EXPECT_TRUE(EqualRect(&before, &Lock()->margins));
    Unlock();
}

TEST_F(EditorTest, RegionCountNeverPassesTheTable)
{
    TenCreateParams p = Params("abc");
    ASSERT_NE(nullptr, Create(&p));
    HGLOBAL bands = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 2 * sizeof(TextRegion));
    auto* table = static_cast<TextRegion*>(GlobalLock(bands));
    table[0] = {0, 600, 0, 0, 0, 0, 1000};
    table[1] = {700, 600, 0, 0, 0, 0, 800};
    GlobalUnlock(bands);
    EXPECT_EQ(0, Send(TEN_SETREGIONS, 40, reinterpret_cast<LPARAM>(bands)));
    TenState* s = Lock();
    EXPECT_EQ(2, s->bandCount);
    EXPECT_EQ(1, s->lastBandChange);
    Unlock();
}

TEST_F(EditorTest, WholeTextModeHasNoSelectionForTheMenus)
{
    TenCreateParams p = Params("abcdef");
    ASSERT_NE(nullptr, Create(&p));
    Send(TEN_SETSELECTION, 0, MAKELPARAM(1, 4));
    EXPECT_EQ(1, TenHasSelection(editor_));
    Send(TEN_SETOPTIONS, TenOptWholeText);
    EXPECT_EQ(0, TenHasSelection(editor_));
}

TEST_F(EditorTest, NullBlockLoadsAnEmptyText)
{
    TenCreateParams p = Params("some text\rand more");
    ASSERT_NE(nullptr, Create(&p));
    Send(TEN_SETSELECTION, 0, MAKELPARAM(3, 5));
    EXPECT_EQ(0, Send(TEN_LOADTEXTBLOCK, 0, 0));
    EXPECT_EQ(0, Send(TEN_GETTEXTLENGTH));
    EXPECT_EQ(1, Send(TEN_GETLINECOUNT));
    EXPECT_EQ(1u, Runs().size());
    EXPECT_EQ(0, Runs()[0].charCount);
    EXPECT_EQ(0, Send(TEN_GETSELECTION));
}

TEST_F(EditorTest, LoadedRunsGetFontsOnlyWhenTheyNeedThem)
{
    TenCreateParams p = Params();
    ASSERT_NE(nullptr, Create(&p));
    const INT32 stock = static_cast<INT32>(reinterpret_cast<INT_PTR>(GetStockObject(ANSI_VAR_FONT)));
    struct Case {
        INT32 font;
        int zoom;
        bool keeps;
    } cases[] = {{0, 0, false}, {stock, 0, true}, {stock, 500, false}};
    for (const Case& c : cases) {
        std::vector<BYTE> block = MakeBlock("abc de", {{3}, {3, 1}}, c.zoom);
        BlockRuns(block)[0].font = c.font;
        BlockRuns(block)[1].font = c.font;
        ASSERT_EQ(0, Load(block));
        const auto runs = Runs();
        ASSERT_EQ(2u, runs.size());
        for (const TextRun& run : runs) {
            EXPECT_NE(0, run.font);
            EXPECT_EQ(c.keeps, run.font == stock) << c.font << " zoom " << c.zoom;
        }
    }
}

TEST_F(EditorTest, InconsistentBlocksAreRefusedAndTheTextStays)
{
    TenCreateParams p = Params("kept");
    ASSERT_NE(nullptr, Create(&p));
    struct Case {
        const char* what;
        void (*spoil)(std::vector<BYTE>&);
    } cases[] = {
        {"negative run count", [](std::vector<BYTE>& b) { BlockHeader(b)->runCount = -1; }},
        {"negative line count", [](std::vector<BYTE>& b) { BlockHeader(b)->lineCount = -2; }},
        {"too large", [](std::vector<BYTE>& b) { BlockHeader(b)->segmentCount = 2000; }},
        {"too many formats", [](std::vector<BYTE>& b) { BlockHeader(b)->formatCount = 501; }},
        {"first run not at 0", [](std::vector<BYTE>& b) { BlockRuns(b)[0].firstChar = 1; }},
        {"gap between runs", [](std::vector<BYTE>& b) { BlockRuns(b)[1].firstChar = 4; }},
        {"runs end early", [](std::vector<BYTE>& b) { BlockRuns(b)[1].charCount = 1; }},
        {"runs end late", [](std::vector<BYTE>& b) { BlockRuns(b)[1].charCount = 9; }},
        {"missing format", [](std::vector<BYTE>& b) { BlockRuns(b)[1].paragraphFormat = 1; }},
        {"no runs for text", [](std::vector<BYTE>& b) { BlockHeader(b)->runCount = 0; }},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> block = MakeBlock("abc de", {{3}, {3, 1}});
        c.spoil(block);
        EXPECT_EQ(10004, Load(block)) << c.what;
        EXPECT_EQ("kept", Text()) << c.what;
        EXPECT_EQ(1u, Runs().size()) << c.what;
    }
    std::vector<BYTE> good = MakeBlock("abc de", {{3}, {3, 1}});
    EXPECT_EQ(0, Load(good));
    EXPECT_EQ("abc de", Text());
}

}  // namespace
