// The editor tests' parent window, font list and blocks.
#include "editor_fixture.h"

#include <cstring>

#include "frame/frame_ui.h"
#include "text/font_cache.h"
#include "text/font_list.h"
#include "text/ten_messages.h"
#include "text/ten_window.h"
#include "text/text_engine.h"
#include "text/text_paint.h"

LRESULT g_resizeAnswer = 1;
RECT g_viewArea = {};

namespace {

std::vector<Notice> g_notices;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool notice = (message >= TEN_UPDATEPOSITION && message <= VXM_PAGETEXTDEFAULT) || message == WM_HSCROLL ||
                        message == WM_VSCROLL || message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR;
    if (notice) g_notices.push_back({message, wParam, lParam});
    if (message == TenNoticeResize) return g_resizeAnswer;
    if (message == TenNoticeViewRect) {
        RECT* area = reinterpret_cast<RECT*>(lParam);
        if (IsRectEmpty(&g_viewArea)) GetClientRect(window, area);
        else *area = g_viewArea;
        return 0;
    }
    if (notice) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

class EditorEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        ASSERT_EQ(0, RegisterTenClass(instance));
        ASSERT_EQ(0, CreateFramePens());
        ASSERT_EQ(0, InitTextEngine());
        ASSERT_EQ(0, InitFontCache());
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = instance;
        wc.lpszClassName = "TenTestParent";
        ASSERT_NE(0, RegisterClassA(&wc));
    }
};

const testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new EditorEnvironment);

}  // namespace

std::vector<BYTE> MakeBlock(const std::string& text, std::vector<RunFormat> runs, int zoom)
{
    if (runs.empty()) runs.push_back({static_cast<int>(text.size())});
    std::vector<BYTE> block(kTextBlockSize + kTextRunSize * runs.size() + kParagraphFormatSize + text.size());
    TextBlock* header = reinterpret_cast<TextBlock*>(block.data());
    header->runCount = static_cast<INT32>(runs.size());
    header->formatCount = 1;
    header->textLength = static_cast<INT32>(text.size());
    header->options = TenOptWordWrap;
    header->zoom = zoom;
    header->labelLink = -1;
    header->ownerRow = -1;
    TextRun* run = reinterpret_cast<TextRun*>(block.data() + kTextBlockSize);
    int first = 0;
    for (const RunFormat& format : runs) {
        run->size = run->nominalSize = 12;
        run->style = format.style;
        run->script = format.script;
        run->firstChar = first;
        run->charCount = format.chars;
        first += format.chars;
        ++run;
    }
    ParagraphFormat* format = reinterpret_cast<ParagraphFormat*>(run);
    format->spacingBase = 120;
    format->tabInterval = 150;
    format->hyphenate = 1;
    std::memcpy(format + 1, text.data(), text.size());
    return block;
}

TextRun* BlockRuns(std::vector<BYTE>& block)
{
    return reinterpret_cast<TextRun*>(block.data() + kTextBlockSize + kTextLineSize * BlockHeader(block)->lineCount);
}

void EditorTest::SetUp()
{
    g_resizeAnswer = 1;
    SetRectEmpty(&g_viewArea);
    parent_ = CreateWindowA("TenTestParent", "parent", WS_OVERLAPPED, 0, 0, 800, 600, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, parent_);
    ShowWindow(parent_, SW_SHOWNOACTIVATE);
    reference_ = CreateCompatibleDC(nullptr);
    list_ = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(FontListHead) + sizeof(FontListEntry));
    auto* head = static_cast<FontListHead*>(GlobalLock(list_));
    head->count = 1;
    FontListEntry& entry = FontListEntries(head)[0];
    entry.logFont.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    lstrcpynA(entry.logFont.lfFaceName, "Arial", LF_FACESIZE);
    entry.heightAtSize1 = 16;
    entry.kind = kFontKindTrueType;
    entry.cacheIndex = -1;
    GlobalUnlock(list_);
    map_ = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(FontMapHead) + sizeof(INT32));
    auto* mapHead = static_cast<FontMapHead*>(GlobalLock(map_));
    mapHead->count = 1;
    GlobalUnlock(map_);
    Notices();
}

void EditorTest::TearDown()
{
    if (editor_) DestroyWindow(editor_);
    if (parent_) DestroyWindow(parent_);
    Notices();
    ClearFontCache();
    if (reference_) DeleteDC(reference_);
    GlobalFree(list_);
    GlobalFree(map_);
}

TenCreateParams EditorTest::Params(const char* text)
{
    TenCreateParams p = {};
    p.fontList = list_;
    p.fontMap = map_;
    p.referenceDC = reference_;
    p.maxWidth = 32000;
    p.maxHeight = 32000;
    p.size = 12;
    p.baseUnit = 600;
    p.initialText = text;
    p.options = TenOptWordWrap;
    p.ownerRow = -1;
    p.labelLink = -1;
    return p;
}

HWND EditorTest::Create(const TenCreateParams* params, int width, int height, DWORD style)
{
    if (editor_) DestroyWindow(editor_);
    editor_ = CreateWindowA("TENClass", "", style, 0, 0, width, height, parent_, nullptr, GetModuleHandleA(nullptr),
                            const_cast<TenCreateParams*>(params));
    return editor_;
}

std::vector<Notice> EditorTest::Notices()
{
    MSG msg;
    while (PeekMessageA(&msg, parent_, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    std::vector<Notice> taken;
    taken.swap(g_notices);
    return taken;
}

TenState* EditorTest::Lock()
{
    return static_cast<TenState*>(GlobalLock(TenStateHandle(editor_)));
}

void EditorTest::Unlock()
{
    GlobalUnlock(TenStateHandle(editor_));
}

template <typename T>
static std::vector<T> TableOf(HGLOBAL table, int count)
{
    std::vector<T> items;
    const T* p = static_cast<const T*>(GlobalLock(table));
    if (p) items.assign(p, p + count);
    GlobalUnlock(table);
    return items;
}

std::vector<TextLine> EditorTest::Lines()
{
    TenState* s = Lock();
    auto lines = TableOf<TextLine>(s->lines, s->lineCount);
    Unlock();
    return lines;
}

std::vector<TextRun> EditorTest::Runs()
{
    TenState* s = Lock();
    auto runs = TableOf<TextRun>(s->runs, s->runCount);
    Unlock();
    return runs;
}

std::string EditorTest::Text()
{
    TenState* s = Lock();
    auto text = TableOf<char>(s->text, s->textLength);
    Unlock();
    return std::string(text.begin(), text.end());
}
