// A hand-built text editor state for measuring and layout tests: a fixed-width fake device, a
// plain editor window under a parent that records the notices it gets.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "text/text_device.h"
#include "text/text_records.h"

// Every character 10 units wide ('i' 5, 'W' 20), plus the extra spacing; a font of size s has
// height 10 s and ascent 8 s. Fonts are the sizes asked for, as handles.
class FakeTextDevice : public TextDevice {
public:
    HFONT RunFont(const TenState*, const TextRun&, int size) override;
    void SelectFont(HDC dc, HFONT font) override;
    BOOL Metrics(HDC dc, TEXTMETRICA* metrics) override;
    int Extent(HDC dc, const char* text, int n) override;
    BOOL CharWidth(HDC dc, BYTE c, int* width) override;
    int SetCharExtra(HDC dc, int extra) override;
    BOOL SetJustify(HDC, int extra, int breaks) override;
    BOOL IsLeadByte(BYTE c) override { return leadBytes.count(c) ? TRUE : FALSE; }

    static int Width(char c) { return c == 'i' ? 5 : c == 'W' ? 20 : 10; }

    std::vector<int> sizesAsked;
    std::map<HDC, int> selectedSize;
    std::map<HDC, int> extra;
    std::set<BYTE> leadBytes;
    int averageWidth = 10;
    int overhang = 0;
    int extentCalls = 0;
};

// A paragraph format as the editor makes it, with the given alignment and tab interval.
ParagraphFormat PlainFormat(int alignment = 0, int tabInterval = 150);

struct RunShape {
    int firstChar;
    int size = 12;
    int script = 0;
    int format = 0;
    int flags = 0;
};

class LayoutTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A state for `text` with the given runs and formats, its editor `wrapWidth` wide inside
    // margins of 30 (left and right) and 20 (top and bottom); the runs get their fonts.
    void Make(const std::string& text, std::vector<RunShape> runs = {{0}},
              std::vector<ParagraphFormat> formats = {PlainFormat()}, int wrapWidth = 200,
              DWORD options = TenOptWordWrap);
    // Replaces the text (the single run grows with it) keeping the laid-out tables.
    void SetText(const std::string& text);
    // Hands the editor a copy of `count` region bands.
    void SetBands(const TextRegion* bands, int count);
    int Layout(int first = 0, int stop = 0x7FFF, int* end = nullptr, int* firstOut = nullptr);
    std::vector<TextLine> Lines();
    std::vector<TextSegment> Segments();
    std::vector<TextSegment> SegmentsOf(const TextLine& line);
    TenState* Lock() { return static_cast<TenState*>(GlobalLock(state_)); }
    void Unlock() { GlobalUnlock(state_); }
    std::vector<std::pair<UINT, WPARAM>> Notices();   // delivers posted ones first


    FakeTextDevice fake_;
    TextDevice* previous_ = nullptr;
    HWND parent_ = nullptr;
    HWND editor_ = nullptr;
    HDC reference_ = nullptr;
    HGLOBAL state_ = nullptr;

private:
    void FreeState();
};
