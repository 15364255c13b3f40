// Copy, Cut and Paste of the text editor through the real clipboard.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "editing_support.h"
#include "store/results.h"
#include "text/text_clipboard.h"
#include "text/text_edit.h"
#include "text/text_engine.h"

namespace {

class TextClipboardTest : public EditingTest {
protected:
    void Put(UINT format, const void* bytes, size_t size)
    {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(block), bytes, size);
        GlobalUnlock(block);
        ASSERT_TRUE(OpenClipboard(parent_));
        EmptyClipboard();
        SetClipboardData(format, block);
        CloseClipboard();
    }
    void PutText(const std::string& text) { Put(CF_TEXT, text.c_str(), text.size() + 1); }
    std::string ClipboardText()
    {
        std::string text;
        if (!OpenClipboard(parent_)) return "(not open)";
        if (HANDLE data = GetClipboardData(CF_TEXT)) {
            const char* chars = static_cast<const char*>(GlobalLock(data));
            text.assign(chars, chars + GlobalSize(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return text;
    }
};

TEST_F(TextClipboardTest, ParagraphsCopyWithCrLfAndPasteBackTheSame)
{
    Make("ab\rcd");
    Send(TEN_SETSELECTION, 0, TenSelectAll);
    ASSERT_EQ(0, TenCopy(parent_, editor_));
    const std::string copied = ClipboardText();
    ASSERT_GE(copied.size(), 7u);
    EXPECT_EQ(std::string("ab\r\ncd\0", 7), copied.substr(0, 7));

    for (DWORD plainOnly : {DWORD{0}, TenFlagPastePlain}) {
        Make("");
        Send(TEN_CHANGEFLAGS, TenFlagPastePlain, plainOnly);
        EXPECT_EQ(0, TenPaste(parent_, editor_));
        EXPECT_EQ("ab\rcd", Text()) << plainOnly;
        EXPECT_EQ(kUndoKindPaste, UndoKind());
    }
}

TEST_F(TextClipboardTest, PlainTextIsCutAtTwentyThousandWithoutLineFeeds)
{
    struct Case {
        std::string text;
        int length;
    } cases[] = {{std::string(25000, 'a'), 20000}, {"\n\n\n", 0}, {"a\nb", 2}};
    for (const Case& c : cases) {
        Make("");
        PutText(c.text);
        EXPECT_EQ(0, TenPaste(parent_, editor_));
        EXPECT_EQ(c.length, Send(TEN_GETTEXTLENGTH));
    }
    Make("");
    PutText(std::string(kLargestPaste, 'a'));
    EXPECT_EQ(ErrOutOfMemory, TenPaste(parent_, editor_));
}

TEST_F(TextClipboardTest, DamagedRichDataPastesThePlainTextInstead)
{
    Make("ab");
    Send(TEN_SETSELECTION, 0, TenSelectAll);
    ASSERT_EQ(0, TenCopy(parent_, editor_));
    ASSERT_TRUE(OpenClipboard(parent_));
    HANDLE rich = GetClipboardData(g_tenClipFormat);
    ASSERT_NE(nullptr, rich);
    std::string bytes(static_cast<const char*>(GlobalLock(rich)), GlobalSize(rich));
    GlobalUnlock(rich);
    CloseClipboard();
    struct Damage {
        size_t offset;   // of an INT32 in the header
        INT32 value;
    } damages[] = {{offsetof(TextBlock, runCount), 400}, {offsetof(TextBlock, textLength), 9000},
                   {offsetof(TextBlock, lineCount), -1}};
    for (const Damage& d : damages) {
        std::string damaged = bytes;
        std::memcpy(&damaged[d.offset], &d.value, 4);
        ASSERT_TRUE(OpenClipboard(parent_));
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, damaged.size());
        std::memcpy(GlobalLock(block), damaged.data(), damaged.size());
        GlobalUnlock(block);
        SetClipboardData(g_tenClipFormat, block);
        const char text[] = "plain";
        HGLOBAL plain = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
        std::memcpy(GlobalLock(plain), text, sizeof text);
        GlobalUnlock(plain);
        SetClipboardData(CF_TEXT, plain);
        CloseClipboard();
        Make("");
        EXPECT_EQ(0, TenPaste(parent_, editor_));
        EXPECT_EQ("plain", Text()) << d.offset;
    }
}

TEST_F(TextClipboardTest, CutLeavesADeleteUndo)
{
    Make("one two");
    Select(0, 4);
    ASSERT_EQ(0, TenCut(parent_, editor_, TRUE));
    EXPECT_EQ("two", Text());
    EXPECT_EQ(kUndoKindDelete, UndoKind());
    EXPECT_EQ(std::string("one ", 4), ClipboardText().substr(0, 4));
    Send(EM_UNDO);
    EXPECT_EQ("one two", Text());
}

TEST_F(TextClipboardTest, ClipboardHeldElsewhereMakesCopyFailAndCutKeepTheText)
{
    Make("one two");
    Select(0, 4);
    HWND other = CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(OpenClipboard(other));
    const int copied = TenCopy(parent_, editor_);
    const int cut = TenCut(parent_, editor_, TRUE);
    CloseClipboard();
    DestroyWindow(other);
    EXPECT_EQ(ErrOutOfMemory, copied);
    EXPECT_EQ(ErrOutOfMemory, cut);
    EXPECT_EQ("one two", Text());
}

}  // namespace
