// The text commands: in the open editor of the active drawing (a shown document with an editor
// in its view) or on the selected objects (recording class handlers).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "documents/document_window.h"
#include "documents/options.h"
#include "documents/settings.h"
#include "frame/frame_startup.h"
#include "frame/frame_windows.h"
#include "frame/view_layout.h"
#include "model/selection.h"
#include "store/store_records.h"
#include "support/frame_support.h"
#include "support/model_fixture.h"
#include "support/prompt_answerer.h"
#include "text/text_commands.h"
#include "text/text_formatting.h"
// After the store headers: the fixture's BlockHeader function must not hide their record type.
#include "editing_support.h"

namespace {

std::vector<Notice> g_viewNotices;
WNDPROC g_viewProc = nullptr;

// The view's whole-text notices are recorded before the view answers them.
LRESULT CALLBACK RecordingViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TenNoticeWholeTextFormat) g_viewNotices.push_back({message, wParam, lParam});
    return CallWindowProcA(g_viewProc, window, message, wParam, lParam);
}

class TextCommandTest : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        prompts_ = std::make_unique<PromptAnswerer>(IDNO);
        settings_ = {};
        settings_.ruler.scaleBase = 100.0;
        settings_.ruler.divisions = 12;
        settings_.ruler.shownValue = 1.0;
        for (int i = 0; i < kStandardColors; ++i) settings_.standardColors[i] = RGB(i, 2 * i, 3 * i);
        g_settings = &settings_;
        g_standardColors = nullptr;
        UntitledCounter = 0;
        g_verticalScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
        g_horizontalScrollHeight = GetSystemMetrics(SM_CYHSCROLL);
        if (!g_patternBrushes[0]) {
            ASSERT_EQ(0, CreateSharedGdiObjects());
        }
        ASSERT_EQ(0, CreateMainFrame(FALSE));
        document_ = CreateDocumentWindow(nullptr, DocModeBlank);
        ASSERT_NE(nullptr, document_);
        view_ = GetDocumentView(document_);
        ASSERT_NE(nullptr, view_);
        g_viewNotices.clear();
        g_viewProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(view_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingViewProc)));
    }
    void TearDown() override
    {
        if (editor_) DestroyWindow(editor_);
        editor_ = nullptr;
        DestroyFrameAndDocuments();
        g_settings = nullptr;
        UntitledCounter = 0;
        prompts_.reset();
        EditingTest::TearDown();
    }
    // An editor of drawing text in the view, with the keyboard focus.
    void OpenEditor(const char* text)
    {
        TenCreateParams p = Params(text);
        p.editorKind = 1;
        editor_ = CreateWindowA("TENClass", "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, view_, nullptr,
                                GetModuleHandleA(nullptr), &p);
        ASSERT_NE(nullptr, editor_);
        ASSERT_EQ(editor_, FindTextEditor(view_));
        SetFocus(editor_);
    }
    std::vector<int> Styles()
    {
        std::vector<int> styles;
        for (const TextRun& r : Runs()) styles.push_back(r.style);
        return styles;
    }
    int FormatCount()
    {
        auto* table = static_cast<INT32*>(GlobalLock(reinterpret_cast<HGLOBAL>(Send(TEN_GETPARAGRAPHTABLE))));
        const int count = table ? *table : -1;
        GlobalUnlock(reinterpret_cast<HGLOBAL>(Send(TEN_GETPARAGRAPHTABLE)));
        return count;
    }
    ParagraphFormat FormatEntry(int index)
    {
        HGLOBAL handle = reinterpret_cast<HGLOBAL>(Send(TEN_GETPARAGRAPHTABLE));
        auto* table = static_cast<BYTE*>(GlobalLock(handle));
        ParagraphFormat format = {};
        format.alignment = -1;   // no such entry
        if (table && index >= 0 && index < *reinterpret_cast<INT32*>(table))
            format = reinterpret_cast<ParagraphFormat*>(table + sizeof(INT32))[index];
        GlobalUnlock(handle);
        return format;
    }

    std::unique_ptr<PromptAnswerer> prompts_;
    Settings settings_;
    HWND document_ = nullptr;
    HWND view_ = nullptr;
};

TEST_F(TextCommandTest, StyleCommandsActOnTheEditorOnlyWhileItHasTheFocus)
{
    OpenEditor("abcd");
    Select(1, 3);
    CmdEditOrTextStyle(6);
    EXPECT_EQ((std::vector<int>{0, 1, 0}), Styles());
    SetFocus(view_);
    CmdEditOrTextStyle(7);
    EXPECT_EQ((std::vector<int>{0, 1, 0}), Styles());
    SetFocus(editor_);
    CmdEditOrTextStyle(13);
    EXPECT_EQ(14, Runs()[1].size);
    CmdEditOrTextStyle(12);
    EXPECT_EQ(std::make_pair(0, 4), Selection());
}

TEST_F(TextCommandTest, UndoUndoesTheEditorsChangeFirst)
{
    OpenEditor("abcd");
    Select(0, 2);
    CmdEditOrTextStyle(6);
    ASSERT_EQ(kUndoKindFormat, UndoKind());
    CmdEditOrTextStyle(1);
    EXPECT_EQ((std::vector<int>{0}), Styles());
}

TEST_F(TextCommandTest, ColourOfTheWholeTextAlsoBecomesTheDrawingsDefault)
{
    struct Case {
        int index;
        int start, end;
        bool changes, whole;
    } cases[] = {{5, 0, 4, true, true}, {6, 1, 3, true, false}, {47, 0, 4, true, true},
                 {48, 0, 4, false, false}, {-1, 0, 4, false, false}};
    OpenEditor("abcd");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        Select(c.start, c.end);
        g_viewNotices.clear();
        const COLORREF before = Runs()[c.start == 0 ? 0 : 1].color;
        CmdTextColor(c.index);
        const COLORREF expected = c.changes ? settings_.standardColors[c.index] : before;
        EXPECT_EQ(expected, Runs()[c.start == 0 ? 0 : 1].color);
        ASSERT_EQ(c.whole ? 1u : 0u, g_viewNotices.size());
        if (c.whole) {
            EXPECT_EQ(WholeTextColor, g_viewNotices[0].wParam);
            EXPECT_EQ(static_cast<LPARAM>(expected), g_viewNotices[0].lParam);
        }
    }
}

TEST_F(TextCommandTest, InsertSymbolNeedsAnEditorAndIsUndoneAsOneStep)
{
    prompts_->Clear();
    prompts_->AnswerSymbolDialog(-87, "", false);
    CmdInsertSymbol();
    EXPECT_TRUE(prompts_->shown().empty());
    OpenEditor("ab");
    Select(1, 1);
    CmdInsertSymbol();
    EXPECT_EQ((std::vector<std::string>{"Symbol: 65"}), prompts_->shown());
    EXPECT_EQ(std::string("a\xA9") + "b", Text());
    EXPECT_EQ(kUndoKindSymbol, UndoKind());
    char label[64] = {};
    LoadStringA(GetModuleHandleA(nullptr), 2522, label, sizeof(label));
    EXPECT_STREQ("Un&do Insert Symbol\tCtrl+Z", label);
    CmdInsertSymbol();   // cancelled: nothing
    EXPECT_EQ(std::string("a\xA9") + "b", Text());
    CmdEditOrTextStyle(1);
    EXPECT_EQ("ab", Text());
}

TEST_F(TextCommandTest, AlignmentInsideOneParagraphRealignsItAndKeepsTheSelection)
{
    OpenEditor("one\rtwo\rthree");
    Select(5, 6);
    ASSERT_TRUE(DispatchTextCommand(622));   // centre, top
    EXPECT_EQ(std::make_pair(5, 6), Selection());
    EXPECT_EQ(kUndoKindParagraph, UndoKind());
    const std::vector<TextRun> runs = Runs();
    ASSERT_EQ(3u, runs.size());
    EXPECT_EQ((std::vector<int>{4, 4, 5}), (std::vector<int>{runs[0].charCount, runs[1].charCount, runs[2].charCount}));
    EXPECT_EQ(kTextAlignCentre, FormatEntry(runs[1].paragraphFormat).alignment);
    EXPECT_EQ(kTextAlignLeft, FormatEntry(runs[0].paragraphFormat).alignment);
    EXPECT_EQ(runs[0].paragraphFormat, runs[2].paragraphFormat);
    // Another vertical alignment leaves the selection on whole paragraphs.
    ASSERT_TRUE(DispatchTextCommand(641));   // right, middle
    EXPECT_EQ(6, Send(TEN_GETVERTICALALIGN));
    EXPECT_EQ(std::make_pair(4, 8), Selection());
    EXPECT_FALSE(DispatchTextCommand(624));
}

TEST_F(TextCommandTest, FullFormatTableOrUnknownCodesChangeNothing)
{
    OpenEditor("one\rtwo");
    ParagraphFormat format = FormatEntry(0);
    for (int i = 1; i < 500; ++i) {
        format.rightIndent = i;
        ASSERT_EQ(i, Send(TEN_FINDORADDPARAGRAPHFORMAT, 0, reinterpret_cast<LPARAM>(&format)));
    }
    Select(0, 1);
    struct Command {
        const char* name;
        void (*run)();
    } commands[] = {
        {"justify", [] { CmdTextAlignment(23, 20); }},
        {"bullet", [] { CmdTextBullets(2); }},
        {"horizontal 24", [] { CmdTextAlignment(24, 20); }},
        {"vertical 23", [] { CmdTextAlignment(20, 23); }},
    };
    for (const Command& c : commands) {
        SCOPED_TRACE(c.name);
        c.run();
        EXPECT_EQ(0, UndoKind());
        EXPECT_EQ(500, FormatCount());
        EXPECT_EQ(0, Runs()[0].paragraphFormat);
    }
}

TEST_F(TextCommandTest, BulletTakesTheFirstRunsAscentAsIndent)
{
    OpenEditor("one\rtwo");
    Select(5, 5);
    CmdTextBullets(3);
    const std::vector<TextRun> runs = Runs();
    ASSERT_EQ(2u, runs.size());
    const ParagraphFormat bulleted = FormatEntry(runs[1].paragraphFormat);
    EXPECT_EQ(3, bulleted.bullet);
    EXPECT_EQ(runs[0].ascent, bulleted.leftIndent);
    EXPECT_GT(bulleted.leftIndent, 0);
    EXPECT_EQ(0, FormatEntry(runs[0].paragraphFormat).bullet);
    // No bullet again: the paragraph takes the first format back and the runs merge.
    CmdTextBullets(0);
    ASSERT_EQ(1u, Runs().size());
    EXPECT_EQ(0, Runs()[0].paragraphFormat);
}

TEST_F(TextCommandTest, FontDialogOfTheEditorAppliesWhatWasChosen)
{
    OpenEditor("abcd");
    Select(0, 4);
    prompts_->AnswerFontDialog([](CHOOSEFONTA* c) {
        c->iPointSize = 200;
        c->lpLogFont->lfWeight = FW_BOLD;
        c->lpLogFont->lfItalic = 0;
        return TRUE;
    });
    g_viewNotices.clear();
    CmdTextTypeface();
    ASSERT_EQ(1u, prompts_->fontDialogs().size());
    const std::vector<TextRun> runs = Runs();
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ(20, runs[0].size);
    EXPECT_EQ(1, runs[0].style);
    std::vector<WPARAM> codes;
    for (const Notice& n : g_viewNotices) codes.push_back(n.wParam);
    EXPECT_EQ((std::vector<WPARAM>{WholeTextFace, WholeTextSize, WholeTextStyle}), codes);
    EXPECT_EQ(kUndoKindFormat, UndoKind());
}

class TextCommandObjectTest : public ModelTest {
protected:
    // Two selected shapes whose texts are one run each in these styles.
    void SelectTexts(int firstStyle, int secondStyle)
    {
        rows_ = {Add(ClassShape), Add(ClassShape)};
        const int styles[] = {firstStyle, secondStyle};
        for (int i = 0; i < 2; ++i) {
            const int textId = nextTextId_++;
            HGLOBAL block = nullptr;
            ASSERT_EQ(0, AddRecord(slot_, RecTextBlock, textId, kBlockHeaderSize + sizeof(TextBlock) + sizeof(TextRun),
                                   &block));
            Locked<BYTE> bytes(block);
            TextBlock header = {};
            header.runCount = 1;
            TextRun run = {};
            run.style = styles[i];
            std::memcpy(bytes.get() + kBlockHeaderSize, &header, sizeof header);
            std::memcpy(bytes.get() + kBlockHeaderSize + sizeof header, &run, sizeof run);
            Change(rows_[i], [textId](DrawObject& o, Drawing& d) {
                o.textId = textId;
                o.state |= StateSelected;
                ++d.selectedCount;
            });
        }
    }
    // The objects that got each text message.
    void ExpectOnly(int message)
    {
        for (int m : {OM_TEXTSTYLESET, OM_TEXTSTYLECLEAR, OM_TEXTLARGER, OM_TEXTSMALLER}) {
            const std::vector<int> expected =
                m == message ? std::vector<int>{Object(rows_[0]).objId, Object(rows_[1]).objId} : std::vector<int>{};
            EXPECT_EQ(expected, g_recorder.Messages(m)) << m;
        }
    }

    std::vector<int> rows_;
    int nextTextId_ = 7;
};

TEST_F(TextCommandObjectTest, StyleCodesSendTheirTextMessageToTheSelectedObjects)
{
    SelectTexts(0, 0);
    struct Case {
        int code;
        int message;   // 0: no text message at all
    } cases[] = {{6, OM_TEXTSTYLESET}, {7, OM_TEXTSTYLESET}, {8, OM_TEXTSTYLESET}, {9, 0}, {10, 0},
                 {13, OM_TEXTLARGER}, {14, OM_TEXTSMALLER}, {11, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        g_recorder.Clear();
        ApplyTextStyleToSelection(view_, c.code);
        ExpectOnly(c.message);
    }
}

TEST_F(TextCommandObjectTest, BoldClearsOnlyWhenEveryTextHasIt)
{
    struct Case {
        int first, second;
        int message;
    } cases[] = {{1, 1, OM_TEXTSTYLECLEAR}, {3, 1, OM_TEXTSTYLECLEAR}, {1, 0, OM_TEXTSTYLESET}, {2, 2, OM_TEXTSTYLESET}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << " " << c.second);
        SelectTexts(c.first, c.second);
        g_recorder.Clear();
        ApplyTextStyleToSelection(view_, 6);
        ExpectOnly(c.message);
        Change(rows_[0], [](DrawObject& o, Drawing& d) {
            o.state &= ~StateSelected;
            d.selectedCount = 0;
        });
        Change(rows_[1], [](DrawObject& o, Drawing&) { o.state &= ~StateSelected; });
    }
}

}  // namespace
