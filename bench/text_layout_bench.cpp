// Text layout benchmark, run by hand under Wine on a real device context: lays out 2,000 and
// 20,000 characters of mixed formats (a run change every few words, paragraphs of a few hundred
// characters, wrap at 6 inches), then types one character in the middle and re-lays as typing
// does (the line before the caret's to the line after its paragraph). Prints milliseconds.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "text/text_device.h"
#include "text/text_layout.h"
#include "text/text_measure.h"

namespace {

// Production's device with fonts of its own, since no document font list is loaded here.
class BenchDevice : public TextDevice {
public:
    HFONT RunFont(const TenState*, const TextRun& run, int size) override
    {
        const int key = size * 16 + (run.style & 3);
        HFONT& font = fonts_[key];
        if (!font)
            font = CreateFontA(-size * 600 / 72, 0, 0, 0, (run.style & 1) ? FW_BOLD : FW_NORMAL,
                               (run.style & 2) ? TRUE : FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0,
                               0, "Times New Roman");
        return font;
    }

private:
    std::map<int, HFONT> fonts_;
};

HGLOBAL Block(const void* data, SIZE_T bytes, SIZE_T room)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, room);
    if (data && bytes) {
        memcpy(GlobalLock(block), data, bytes);
        GlobalUnlock(block);
    }
    return block;
}

struct BenchText {
    std::string text;
    std::vector<TextRun> runs;
};

// Words of 2 to 9 letters; a run change every 4 words, a paragraph end every 300 characters.
BenchText MakeText(int length)
{
    BenchText t;
    unsigned seed = 12345;
    int words = 0, paragraph = 0;
    const int sizes[3] = {10, 12, 14};
    while (static_cast<int>(t.text.size()) < length) {
        if (words % 4 == 0) {
            TextRun run{};
            run.size = run.nominalSize = sizes[(words / 4) % 3];
            run.style = (words / 4) % 5 == 0 ? 1 : 0;
            run.firstChar = static_cast<int>(t.text.size());
            t.runs.push_back(run);
        }
        seed = seed * 1103515245u + 12345u;
        const int letters = 2 + static_cast<int>((seed >> 16) % 8);
        for (int i = 0; i < letters; ++i) t.text += static_cast<char>('a' + (seed >> (i + 3)) % 26);
        ++words;
        paragraph += letters + 1;
        if (paragraph > 300) {
            t.text += '\r';
            paragraph = 0;
        } else {
            t.text += ' ';
        }
    }
    for (size_t i = 0; i < t.runs.size(); ++i) {
        const int end = i + 1 < t.runs.size() ? t.runs[i + 1].firstChar : static_cast<int>(t.text.size());
        t.runs[i].charCount = end - t.runs[i].firstChar;
    }
    return t;
}

HGLOBAL MakeState(const BenchText& t, HDC reference)
{
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(TenState));
    TenState* st = static_cast<TenState*>(GlobalLock(handle));
    st->margins = RECT{60, 60, 60, 60};
    st->width = 3600 + 120;
    st->height = 32000;
    st->baseUnit = 600;
    st->options = TenOptWordWrap;
    st->referenceDC = reference;
    st->textLength = static_cast<int>(t.text.size());
    st->text = Block(t.text.data(), t.text.size(), t.text.size() + 256);
    st->runCount = static_cast<int>(t.runs.size());
    st->runs = Block(t.runs.data(), t.runs.size() * sizeof(TextRun), t.runs.size() * sizeof(TextRun));
    ParagraphFormat format{};
    format.spacingBase = 120;
    format.tabInterval = 150;
    format.hyphenate = 1;
    BYTE table[4 + sizeof(ParagraphFormat)];
    const INT32 one = 1;
    memcpy(table, &one, 4);
    memcpy(table + 4, &format, sizeof format);
    st->formats = Block(table, sizeof table, sizeof table);
    st->lines = Block(nullptr, 0, sizeof(TextLine));
    st->segments = Block(nullptr, 0, sizeof(TextSegment));
    st->lineCount = st->segmentCount = 1;
    GlobalUnlock(handle);
    CreateRunFonts(handle, 0, 0x7FFF);
    return handle;
}

void FreeState(HGLOBAL handle)
{
    TenState* st = static_cast<TenState*>(GlobalLock(handle));
    for (HGLOBAL h : {st->text, st->runs, st->lines, st->formats, st->segments}) GlobalFree(h);
    GlobalUnlock(handle);
    GlobalFree(handle);
}

double Milliseconds(LARGE_INTEGER t0, LARGE_INTEGER t1)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return (t1.QuadPart - t0.QuadPart) * 1e3 / f.QuadPart;
}

// Types one character in the middle as the editor does: the text, the run holding it and the
// lines behind it move on by one; then the line before the caret's to the line after its
// paragraph is laid out again.
double TypeInMiddle(HWND editor, HGLOBAL handle, int* relaidLines)
{
    TenState* st = static_cast<TenState*>(GlobalLock(handle));
    const int at = st->textLength / 2;
    HGLOBAL grown = GlobalReAlloc(st->text, st->textLength + 257, GMEM_MOVEABLE);
    if (grown) st->text = grown;
    char* text = static_cast<char*>(GlobalLock(st->text));
    memmove(text + at + 1, text + at, st->textLength - at);
    text[at] = 'x';
    ++st->textLength;
    TextRun* runs = static_cast<TextRun*>(GlobalLock(st->runs));
    const int run = FindRunAtPosition(at, runs, st->runCount);
    ++runs[run].charCount;
    for (int i = run + 1; i < st->runCount; ++i) ++runs[i].firstChar;
    GlobalUnlock(st->runs);
    TextLine* lines = static_cast<TextLine*>(GlobalLock(st->lines));
    const int caretLine = FindLineAtPosition(at, lines, st->lineCount);
    int stop = caretLine;
    while (stop < st->lineCount && !(lines[stop].flags & TextLineEndsParagraph)) ++stop;
    ++stop;
    for (int i = caretLine + 1; i < st->lineCount; ++i) ++lines[i].firstChar;
    GlobalUnlock(st->lines);
    GlobalUnlock(st->text);
    GlobalUnlock(handle);

    LARGE_INTEGER t0, t1;
    int end = 0, first = 0;
    QueryPerformanceCounter(&t0);
    LayoutLines(editor, handle, caretLine > 0 ? caretLine - 1 : 0, stop, &end, &first);
    QueryPerformanceCounter(&t1);
    *relaidLines = end - first;
    return Milliseconds(t0, t1);
}

}  // namespace

int main()
{
    BenchDevice device;
    InstallTextDevice(&device);
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND editor = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 400, 300, parent, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    HDC screen = GetDC(nullptr);
    HDC reference = CreateCompatibleDC(screen);
    SetMapMode(reference, MM_ANISOTROPIC);
    SetWindowExtEx(reference, 600, 600, nullptr);
    SetViewportExtEx(reference, GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY),
                     nullptr);
    ReleaseDC(nullptr, screen);

    double full[2] = {0, 0};
    const int lengths[2] = {2000, 20000};
    for (int k = 0; k < 2; ++k) {
        const BenchText t = MakeText(lengths[k]);
        const int repeats = k == 0 ? 10 : 2;
        double best = 1e30;
        HGLOBAL handle = nullptr;
        int lineCount = 0;
        for (int r = 0; r < repeats; ++r) {
            if (handle) FreeState(handle);
            handle = MakeState(t, reference);
            LARGE_INTEGER t0, t1;
            int end = 0, first = 0;
            QueryPerformanceCounter(&t0);
            LayoutLines(editor, handle, 0, kLayoutToEnd, &end, &first);
            QueryPerformanceCounter(&t1);
            best = std::min(best, Milliseconds(t0, t1));
            lineCount = end;
        }
        full[k] = best;
        std::printf("full layout of %5d characters, %4zu runs: %4d lines in %8.2f ms\n",
                    static_cast<int>(t.text.size()), t.runs.size(), lineCount, best);
        int relaid = 0;
        const double typed = TypeInMiddle(editor, handle, &relaid);
        std::printf("  one character typed in the middle: %d lines in %8.2f ms (%.3f of full)\n",
                    relaid, typed, typed / best);
        FreeState(handle);
    }
    std::printf("20,000 / 2,000 characters: %.1f times\n", full[1] / full[0]);
    DeleteDC(reference);
    DestroyWindow(parent);
    return 0;
}
