// The layout tests' fixture.
#include "layout_fixture.h"

#include <cstring>

#include "text/ten_messages.h"
#include "text/text_layout.h"
#include "text/text_measure.h"

namespace {

std::vector<std::pair<UINT, WPARAM>> g_notices;

LRESULT CALLBACK RecordingParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= TEN_UPDATEPOSITION && message <= TEN_FRAMERECT) {
        g_notices.emplace_back(message, wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* ParentClass()
{
    static const char* name = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = RecordingParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "LayoutTestParent";
        RegisterClassA(&wc);
        return "LayoutTestParent";
    }();
    return name;
}

HGLOBAL AllocWith(const void* data, SIZE_T bytes, SIZE_T room)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, room);
    if (data && bytes) {
        void* p = GlobalLock(block);
        memcpy(p, data, bytes);
        GlobalUnlock(block);
    }
    return block;
}

}  // namespace

HFONT FakeTextDevice::RunFont(const TenState*, const TextRun&, int size)
{
    sizesAsked.push_back(size);
    return reinterpret_cast<HFONT>(static_cast<INT_PTR>(size));
}

void FakeTextDevice::SelectFont(HDC dc, HFONT font)
{
    if (font) selectedSize[dc] = static_cast<int>(reinterpret_cast<INT_PTR>(font));
}

BOOL FakeTextDevice::Metrics(HDC dc, TEXTMETRICA* metrics)
{
    const int size = selectedSize.count(dc) ? selectedSize[dc] : 12;
    *metrics = TEXTMETRICA{};
    metrics->tmHeight = 10 * size;
    metrics->tmAscent = 8 * size;
    metrics->tmAveCharWidth = averageWidth;
    metrics->tmOverhang = overhang;
    return TRUE;
}

int FakeTextDevice::Extent(HDC dc, const char* text, int n)
{
    ++extentCalls;
    int width = 0;
    for (int i = 0; i < n; ++i) width += Width(text[i]) + extra[dc];
    return width + (n > 0 ? overhang : 0);
}

BOOL FakeTextDevice::CharWidth(HDC, BYTE c, int* width)
{
    *width = Width(static_cast<char>(c));
    return TRUE;
}

int FakeTextDevice::SetCharExtra(HDC dc, int value)
{
    const int old = extra[dc];
    extra[dc] = value;
    return old;
}

BOOL FakeTextDevice::SetJustify(HDC, int, int)
{
    return TRUE;
}

ParagraphFormat PlainFormat(int alignment, int tabInterval)
{
    ParagraphFormat f{};
    f.alignment = alignment;
    f.spacingBase = 120;
    f.tabInterval = tabInterval;
    f.hyphenate = 1;
    return f;
}

void LayoutTest::SetUp()
{
    previous_ = InstallTextDevice(&fake_);
    parent_ = CreateWindowExA(0, ParentClass(), "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    editor_ = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 200, 100, parent_, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    reference_ = CreateCompatibleDC(nullptr);
    g_notices.clear();
}

void LayoutTest::TearDown()
{
    FreeState();
    DeleteDC(reference_);
    DestroyWindow(parent_);
    InstallTextDevice(previous_);
}

void LayoutTest::FreeState()
{
    if (!state_) return;
    TenState* st = Lock();
    for (HGLOBAL h : {st->text, st->runs, st->lines, st->formats, st->segments, st->bands})
        if (h) GlobalFree(h);
    Unlock();
    GlobalFree(state_);
    state_ = nullptr;
}

void LayoutTest::Make(const std::string& text, std::vector<RunShape> runs,
                      std::vector<ParagraphFormat> formats, int wrapWidth, DWORD options)
{
    FreeState();
    state_ = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(TenState));
    TenState* st = Lock();
    st->margins = RECT{30, 20, 30, 20};
    st->width = wrapWidth + 60;
    st->height = 32000;
    st->baseUnit = 600;
    st->options = options;
    st->referenceDC = reference_;
    st->textLength = static_cast<int>(text.size());
    st->text = AllocWith(text.data(), text.size(), text.size() + 256);
    std::vector<TextRun> table;
    for (size_t i = 0; i < runs.size(); ++i) {
        TextRun r{};
        r.size = r.nominalSize = runs[i].size;
        r.script = runs[i].script;
        r.paragraphFormat = runs[i].format;
        r.runFlags = runs[i].flags;
        r.firstChar = runs[i].firstChar;
        const int end = i + 1 < runs.size() ? runs[i + 1].firstChar : st->textLength;
        r.charCount = end - r.firstChar;
        table.push_back(r);
    }
    st->runCount = static_cast<int>(table.size());
    st->runs = AllocWith(table.data(), table.size() * sizeof(TextRun), table.size() * sizeof(TextRun));
    std::vector<BYTE> formatTable(4 + formats.size() * sizeof(ParagraphFormat));
    const INT32 count = static_cast<INT32>(formats.size());
    memcpy(formatTable.data(), &count, 4);
    memcpy(formatTable.data() + 4, formats.data(), formats.size() * sizeof(ParagraphFormat));
    st->formats = AllocWith(formatTable.data(), formatTable.size(), formatTable.size());
    st->lines = AllocWith(nullptr, 0, sizeof(TextLine));
    st->segments = AllocWith(nullptr, 0, sizeof(TextSegment));
    st->lineCount = 1;
    st->segmentCount = 1;
    Unlock();
    CreateRunFonts(state_, 0, 0x7FFF);
}

void LayoutTest::SetText(const std::string& text)
{
    TenState* st = Lock();
    HGLOBAL grown = GlobalReAlloc(st->text, text.size() + 256, GMEM_MOVEABLE);
    if (grown) st->text = grown;
    char* p = static_cast<char*>(GlobalLock(st->text));
    memcpy(p, text.data(), text.size());
    GlobalUnlock(st->text);
    st->textLength = static_cast<int>(text.size());
    TextRun* runs = static_cast<TextRun*>(GlobalLock(st->runs));
    runs[st->runCount - 1].charCount = st->textLength - runs[st->runCount - 1].firstChar;
    GlobalUnlock(st->runs);
    Unlock();
}

void LayoutTest::SetBands(const TextRegion* bands, int count)
{
    TenState* st = Lock();
    st->bandCount = count;
    st->bands = AllocWith(bands, count * sizeof(TextRegion), count * sizeof(TextRegion));
    Unlock();
}

int LayoutTest::Layout(int first, int stop, int* end, int* firstOut)
{
    int e = 0, f = 0;
    const int result = LayoutLines(editor_, state_, first, stop, &e, &f);
    if (end) *end = e;
    if (firstOut) *firstOut = f;
    return result;
}

std::vector<TextLine> LayoutTest::Lines()
{
    TenState* st = Lock();
    const TextLine* p = static_cast<const TextLine*>(GlobalLock(st->lines));
    std::vector<TextLine> lines(p, p + st->lineCount);
    GlobalUnlock(st->lines);
    Unlock();
    return lines;
}

std::vector<TextSegment> LayoutTest::Segments()
{
    TenState* st = Lock();
    const TextSegment* p = static_cast<const TextSegment*>(GlobalLock(st->segments));
    std::vector<TextSegment> segments(p, p + st->segmentCount);
    GlobalUnlock(st->segments);
    Unlock();
    return segments;
}

std::vector<TextSegment> LayoutTest::SegmentsOf(const TextLine& line)
{
    const std::vector<TextSegment> all = Segments();
    return std::vector<TextSegment>(all.begin() + line.firstSegment,
                                    all.begin() + line.firstSegment + line.segmentCount);
}

std::vector<std::pair<UINT, WPARAM>> LayoutTest::Notices()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    return g_notices;
}
