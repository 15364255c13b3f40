// Attachments: reading stored records, the three commands, the dialog driven by messages, the
// marker, and the Open command reached through the frame in a shown document.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "documents/document_life.h"
#include "documents/document_state.h"
#include "documents/document_window.h"
#include "documents/options.h"
#include "editing/attachments.h"
#include "frame/frame_main.h"
#include "frame/frame_services.h"
#include "frame/frame_startup.h"
#include "frame/view_layout.h"
#include "model/drawing.h"
#include "model/objects.h"
#include "model/resource_strings.h"
#include "model/undo.h"
#include "store/block_store.h"
#include "support/shown_document.h"
#include "support/drawing_fixture.h"
#include "support/frame_support.h"

namespace {

std::string ResString(UINT id)
{
    char text[1024] = "";
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof(text));
    return text;
}

// Prompts that contain `part`.
int CountShown(const std::vector<std::string>& shown, const std::string& part)
{
    return static_cast<int>(std::count_if(shown.begin(), shown.end(),
                                          [&](const std::string& s) { return s.find(part) != std::string::npos; }));
}

class Attachments : public DrawingFixture {
protected:
    void SetUp() override
    {
        DrawingFixture::SetUp();
        frame_ = CreateWindowA("STATIC", "frame", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                               nullptr);
        g_frameWindow = frame_;
        g_attachHintShown = FALSE;
        for (int i = 0; i < 3; ++i) AddAt(ClassShape, RECT{1000 + 1000 * i, 1000, 1600 + 1000 * i, 1600}, 1);
    }
    void TearDown() override
    {
        g_frameWindow = nullptr;
        DestroyWindow(frame_);
        DrawingFixture::TearDown();
    }
    void Select(const std::vector<int>& rows)
    {
        for (int i = 0; i < Count(); ++i)
            Change(i, [&](DrawObject& o, Drawing& d) {
                const bool on = std::find(rows.begin(), rows.end(), i) != rows.end();
                o.state = on ? (o.state | StateSelected) : (o.state & ~static_cast<DWORD>(StateSelected));
                d.selectedCount = static_cast<INT32>(rows.size());
                d.currentRow = rows.size() == 1 ? rows[0] : -1;
            });
    }
    int Id(int row) const { return Object(row).objId; }
    // Stores record (117, id) with exactly these payload bytes.
    void Store(int row, const std::string& payload)
    {
        HGLOBAL block = nullptr;
        int err = AddRecordType(slot_, RecAttachment);
        ASSERT_TRUE(err == 0 || err == StoreKeyExists);
        ASSERT_EQ(0, AddRecord(slot_, RecAttachment, Id(row), kBlockHeaderSize + static_cast<DWORD>(payload.size()), &block));
        {
            BlockLock lock(block);
            std::memcpy(lock.get() + kBlockHeaderSize, payload.data(), payload.size());
        }
        ASSERT_EQ(0, MarkBlockDirty(block));
        ReleaseBlock(block);
    }
    std::string Payload(int row) const { return RecordBytes(RecAttachment, Id(row)); }
    bool Modified() const { return (state_->flags & DocModified) != 0; }

    HWND frame_ = nullptr;
};

std::string Tagged(const std::string& target, char kind)
{
    return target + std::string(1, '\0') + "$atype=" + std::string(1, kind) + std::string(1, '\0');
}

TEST_F(Attachments, StoredRecordsOpenByTheirKind)
{
    struct Case {
        std::string payload;
        std::string launch;   // what reaches the shell or WinExec; empty: opened as a drawing
    };
    const std::string longTarget(265, 'w');
    const std::vector<Case> cases = {
        {std::string("plan.vxr") + '\0', ""},
        {Tagged("www.example.org", '1'), "Shell: open www.example.org"},
        {std::string("www.example.org") + '\0' + "$ATYPE=1" + '\0', "Shell: open www.example.org"},
        {Tagged("notes.txt", '2'), "Shell: open notes.txt"},
        {Tagged("tool.exe /x", '3'), "Run: tool.exe /x"},
        {Tagged("odd.vxr", '7'), ""},
        {Tagged(longTarget, '1'), "Shell: open " + std::string(260, 'w')},
        {"abc", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.launch.empty() ? c.payload.substr(0, 20) : c.launch);
        DeleteRecordById(slot_, RecAttachment, Id(0));
        Store(0, c.payload);
        Select({0});
        prompts_->Clear();
        if (c.launch.rfind("Run:", 0) == 0) prompts_->QueueAnswers({IDYES});   // the program question
        OpenAttachedFile(view_);
        const auto& shown = prompts_->shown();
        if (c.launch.empty()) {
            EXPECT_EQ(0, CountShown(shown, "Shell:") + CountShown(shown, "Run:"));
            EXPECT_EQ(1, CountShown(shown, ResString(49)));   // the drawing did not open here
        } else {
            EXPECT_EQ(1, CountShown(shown, c.launch));
            EXPECT_EQ(0, CountShown(shown, ResString(49)));
        }
    }
}

TEST_F(Attachments, AttachingStoresAFullRecordMarksTheDocumentAndUndoes)
{
    Select({1});
    prompts_->QueueAttachDialog("www.example.com", AttachWebPage);
    AttachFile(view_);
    EXPECT_EQ(std::vector<std::string>({"SETURL:  0", "Shell: open www.example.com"}), prompts_->shown());
    const std::string payload = Payload(1);
    ASSERT_EQ(static_cast<size_t>(kAttachmentPayloadSize), payload.size());
    EXPECT_EQ(Tagged("www.example.com", '1'), payload.substr(0, 25));
    EXPECT_TRUE(Modified());
    EXPECT_EQ(54, state_->undoLabel);
    EXPECT_EQ(AttachWebPage, settings_.lastAttachmentKind);

    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_TRUE(Payload(1).empty());
}

TEST_F(Attachments, AStoredRecordIsEnlargedButNeverShrunk)
{
    struct Case {
        size_t size;
        size_t expected;
    };
    for (const Case& c : {Case{40, 271}, Case{400, 400}}) {
        SCOPED_TRACE(c.size);
        std::string old = Tagged("old.txt", '2');
        old.resize(c.size, 'x');
        Store(0, old);
        Select({0});
        prompts_->QueueAttachDialog("new.txt", AttachDocument);
        AttachFile(view_);
        const std::string payload = Payload(0);
        ASSERT_EQ(c.expected, payload.size());
        EXPECT_EQ(Tagged("new.txt", '2'), payload.substr(0, 17));
        ASSERT_EQ(0, DeleteRecordById(slot_, RecAttachment, Id(0)));
    }
}

TEST_F(Attachments, OpenAndAttachNeedExactlyOneSelectedObject)
{
    for (auto command : {OpenAttachedFile, AttachFile}) {
        for (const std::vector<int>& rows : {std::vector<int>{}, std::vector<int>{0, 2}}) {
            Select(rows);
            prompts_->Clear();
            command(view_);
            EXPECT_EQ(std::vector<std::string>({"INFO_ATTACH"}), prompts_->shown());
        }
    }
}

TEST_F(Attachments, TheHintShowsOncePerRunWhileHintsAreOn)
{
    settings_.flags |= SetHints;
    Select({});
    OpenAttachedFile(view_);
    ClearAttachments(view_);
    EXPECT_EQ(std::vector<std::string>({"HINT_ATTACH", "INFO_ATTACH"}), prompts_->shown());
}

TEST_F(Attachments, WithoutAttachmentOpenOffersToAttachOne)
{
    settings_.lastAttachmentKind = AttachDocument;
    Select({0});
    prompts_->QueueAnswers({IDNO});
    OpenAttachedFile(view_);
    ASSERT_EQ(1u, prompts_->shown().size());
    EXPECT_NE(std::string::npos, prompts_->shown()[0].find(ResString(48)));

    prompts_->Clear();
    prompts_->QueueAnswers({IDYES});
    prompts_->QueueAttachDialog("www.a.org", AttachWebPage);
    OpenAttachedFile(view_);
    EXPECT_EQ(1, CountShown(prompts_->shown(), "SETURL:  2"));
    EXPECT_EQ(1, CountShown(prompts_->shown(), "Shell: open www.a.org"));
    EXPECT_EQ(Tagged("www.a.org", '1'), Payload(0).substr(0, 19));
}

TEST_F(Attachments, AFailedOpenOffersAnotherOfTheSameKind)
{
    Store(0, Tagged("gone.doc", '2'));
    Select({0});
    prompts_->AnswerLaunches(2);
    prompts_->QueueAnswers({IDYES, IDNO});
    prompts_->QueueAttachDialog("other.doc", AttachDocument);
    OpenAttachedFile(view_);
    const auto& shown = prompts_->shown();
    ASSERT_EQ(5u, shown.size());
    EXPECT_EQ("Shell: open gone.doc", shown[0]);
    EXPECT_NE(std::string::npos, shown[1].find(ResString(49)));
    EXPECT_EQ("SETURL:  2", shown[2]);
    EXPECT_EQ("Shell: open other.doc", shown[3]);
    EXPECT_NE(std::string::npos, shown[4].find(ResString(49)));
}

TEST_F(Attachments, LaunchFailuresNameTheTarget)
{
    struct Case {
        std::string payload;     // stored for Open; empty: Attach a File with `target` and `kind`
        std::string target;
        int kind;
        UINT warning;
    };
    const std::vector<Case> cases = {
        {Tagged("www.x.org", '1'), "www.x.org", 0, 73},
        {"", "www.y.org", AttachWebPage, 73},
        {"", "memo.doc", AttachDocument, 74},
        {"", "tool.exe", AttachProgram, 74},
    };
    prompts_->AnswerLaunches(31);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        DeleteRecordById(slot_, RecAttachment, Id(0));
        Select({0});
        prompts_->Clear();
        if (!c.payload.empty()) {
            Store(0, c.payload);
            OpenAttachedFile(view_);
        } else {
            prompts_->QueueAttachDialog(c.target, c.kind);
            AttachFile(view_);
        }
        EXPECT_EQ(1, CountShown(prompts_->shown(), ResString(c.warning) + c.target));
        EXPECT_EQ(0, CountShown(prompts_->shown(), ResString(49)));
    }
}

TEST_F(Attachments, AStoredCommandLineRunsOnlyWhenTheUserAgrees)
{
    Store(0, Tagged("format c:", '3'));
    Select({0});
    prompts_->QueueAnswers({IDNO});
    OpenAttachedFile(view_);
    ASSERT_EQ(1u, prompts_->shown().size());
    EXPECT_NE(std::string::npos, prompts_->shown()[0].find("format c:"));
    EXPECT_EQ(0, CountShown(prompts_->shown(), "Run:"));
}

TEST_F(Attachments, AtTheDocumentLimitOpenRefusesEvenAWebPage)
{
    HWND client = CreateWindowA("STATIC", "client", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    for (int i = 0; i < kDocumentLimit; ++i)
        CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 1, 1, client, nullptr, nullptr, nullptr);
    HWND savedClient = g_mdiClient;
    g_mdiClient = client;
    Store(0, Tagged("www.x.org", '1'));
    Select({0});
    OpenAttachedFile(view_);
    g_mdiClient = savedClient;
    DestroyWindow(client);
    EXPECT_EQ(1, CountShown(prompts_->shown(), ResString(9)));
    EXPECT_EQ(0, CountShown(prompts_->shown(), "Shell:"));
}

TEST_F(Attachments, ObjectIdsBeyondRecordIdsCannotCarryAnAttachment)
{
    Change(0, [](DrawObject& o, Drawing&) { o.objId = 40000; });
    Select({0});
    prompts_->QueueAttachDialog("www.x.org", AttachWebPage);
    AttachFile(view_);
    EXPECT_EQ(std::vector<std::string>({ResString(533) + ": " + ResString(17)}), prompts_->shown());
    EXPECT_FALSE(Modified());
}

TEST_F(Attachments, ClearAsksOnceAndUndoesInOneStep)
{
    Store(1, Tagged("www.x.org", '1'));
    Select({0, 1, 2});
    prompts_->QueueAnswers({IDYES});
    ClearAttachments(view_);
    ASSERT_EQ(1u, prompts_->shown().size());
    EXPECT_NE(std::string::npos, prompts_->shown()[0].find(ResString(50)));
    EXPECT_TRUE(Payload(1).empty());
    EXPECT_EQ(56, state_->undoLabel);
    EXPECT_TRUE(Modified());

    ASSERT_EQ(0, UndoLastChange(view_, TRUE));
    EXPECT_EQ(Tagged("www.x.org", '1'), Payload(1));

    prompts_->Clear();
    Select({0, 2});
    ClearAttachments(view_);
    EXPECT_TRUE(prompts_->shown().empty());
}

TEST_F(Attachments, NoMarkerWhileDecorationsAreOff)
{
    for (BOOL off : {FALSE, TRUE}) {
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 40, 40);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        PatBlt(dc, 0, 0, 40, 40, WHITENESS);
        const BOOL saved = g_noDecorations;
        g_noDecorations = off;
        RECT mark = {5, 5, 35, 35};
        DrawAttachmentMarker(dc, &mark);
        g_noDecorations = saved;
        EXPECT_EQ(off ? RGB(255, 255, 255) : RGB(0, 0, 0), GetPixel(dc, 20, 20) & 0xFFFFFF);   // the cross
        EXPECT_EQ(off ? RGB(255, 255, 255) : RGB(0, 0, 0), GetPixel(dc, 5, 20) & 0xFFFFFF);    // the frame
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
}

// The dialog "SETURL" created modeless and driven by messages.
class AttachDialog : public testing::Test {
protected:
    void SetUp() override
    {
        prompts_ = std::make_unique<PromptAnswerer>();
        g_settings = &settings_;
    }
    void TearDown() override
    {
        if (dialog_) DestroyWindow(dialog_);
        g_settings = nullptr;
        prompts_.reset();
    }
    void Open(const char* target, int kind)
    {
        lstrcpynA(data_.target, target, sizeof(data_.target));
        data_.kind = kind;
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), "SETURL", nullptr, SetUrlDlgHandler,
                                     reinterpret_cast<LPARAM>(&data_));
        ASSERT_NE(nullptr, dialog_);
    }
    void Click(int id) { SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog_, id))); }
    std::string Text(int id) const
    {
        char text[300] = "";
        GetDlgItemTextA(dialog_, id, text, sizeof(text));
        return text;
    }
    bool Visible(int id) const { return (GetWindowLongA(GetDlgItem(dialog_, id), GWL_STYLE) & WS_VISIBLE) != 0; }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog_, id)) != FALSE; }

    Settings settings_ = {};
    std::unique_ptr<PromptAnswerer> prompts_;
    AttachDialogData data_ = {};
    HWND dialog_ = nullptr;
};

TEST_F(AttachDialog, WebKindFillsTheAddressAndOtherKindsEmptyIt)
{
    Open("", AttachDrawing);
    EXPECT_FALSE(Enabled(IDOK));
    EXPECT_TRUE(Visible(10));

    Click(1062);
    EXPECT_EQ("http://www.", Text(1060));
    EXPECT_FALSE(Visible(10));
    EXPECT_TRUE(Enabled(IDOK));
    EXPECT_EQ(ResString(3601), Text(201));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog_, 1062));

    Click(1063);
    EXPECT_EQ("", Text(1060));
    EXPECT_TRUE(Visible(10));
    EXPECT_FALSE(Enabled(IDOK));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dialog_, 1062));

    SetDlgItemTextA(dialog_, 1060, "memo.doc");
    Click(1064);   // between other kinds the name stays
    EXPECT_EQ("memo.doc", Text(1060));
    EXPECT_TRUE(Enabled(IDOK));
    Click(IDOK);
    EXPECT_STREQ("memo.doc", data_.target);
    EXPECT_EQ(AttachProgram, data_.kind);
}

TEST_F(AttachDialog, BrowseUsesTheKindsFilterAndTitle)
{
    struct Case {
        int button;
        std::string filterStart;
        std::string title;
    };
    const std::vector<Case> cases = {
        {1061, "Vexlor File(*.VXR)", "Attach a Drawing"},
        {1064, "Program Executable(*.EXE)", "Attach a Program"},
        {1063, "Document(*.DOC)", "Attach a File"},
    };
    Open("", AttachDrawing);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        Click(c.button);
        prompts_->AnswerOpenDialog("C:\\docs\\chosen.file", 1);
        Click(10);
        ASSERT_FALSE(prompts_->fileDialogs().empty());
        const auto& seen = prompts_->fileDialogs().back();
        EXPECT_EQ(0u, seen.filter.find(c.filterStart + '\0'));
        EXPECT_EQ(c.title, seen.title);
        EXPECT_EQ("C:\\docs\\chosen.file", Text(1060));
    }
}

// A shown document in the real frame: the Open command reaches the shell for a web attachment.
using AttachmentsInFrame = ShownDocumentFixture;

TEST_F(AttachmentsInFrame, CommandOpenOfAWebAttachmentReachesTheShell)
{
    settings_.flags &= ~static_cast<DWORD>(SetHints);
    Select({Shape(1000, 1000)});
    prompts_->QueueAttachDialog("www.example.net", AttachWebPage);
    SendMessageA(g_frameWindow, WM_COMMAND, CMD_ATTACH_FILE, 0);
    prompts_->Clear();
    SendMessageA(g_frameWindow, WM_COMMAND, CMD_OPEN_ATTACHMENT, 0);
    EXPECT_EQ(std::vector<std::string>({"Shell: open www.example.net"}), prompts_->shown());
}

}  // namespace
