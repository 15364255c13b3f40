// Text editors under a parent window that records the notices it gets and answers the resize
// request (TenNoticeResize) and the visible-area request (TenNoticeViewRect) as a test sets.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/ten_messages.h"
#include "text/text_records.h"

struct Notice {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A TextBlock in memory: runs of (characters, style, script), one left-aligned format.
struct RunFormat {
    int chars;
    int style = 0;
    int script = 0;
};
std::vector<BYTE> MakeBlock(const std::string& text, std::vector<RunFormat> runs = {}, int zoom = 0);
inline TextBlock* BlockHeader(std::vector<BYTE>& block) { return reinterpret_cast<TextBlock*>(block.data()); }
TextRun* BlockRuns(std::vector<BYTE>& block);

class EditorTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creation record of a plain 12-point editor of the test's font list.
    TenCreateParams Params(const char* text = nullptr);
    // A TENClass child of the parent, `width` by `height` pixels, with the record (none: null).
    HWND Create(const TenCreateParams* params, int width = 300, int height = 200,
                DWORD style = WS_CHILD);
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return SendMessageA(editor_, message, wParam, lParam);
    }
    int Load(std::vector<BYTE>& block, WPARAM flags = 0)
    {
        return static_cast<int>(Send(TEN_LOADTEXTBLOCK, flags, reinterpret_cast<LPARAM>(block.data())));
    }
    std::vector<Notice> Notices();   // delivers the posted ones first, then empties the record
    TenState* Lock();
    void Unlock();
    std::vector<TextLine> Lines();
    std::vector<TextRun> Runs();
    std::string Text();

    HWND parent_ = nullptr;
    HWND editor_ = nullptr;
    HDC reference_ = nullptr;
    HGLOBAL list_ = nullptr;
    HGLOBAL map_ = nullptr;
};

// The parent's answers, set by tests.
extern LRESULT g_resizeAnswer;
extern RECT g_viewArea;   // device units; empty: the parent's client area
