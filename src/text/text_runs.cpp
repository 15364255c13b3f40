// Run table operations shared by loading and editing.
#include "text/text_runs.h"

#include <algorithm>
#include <cstring>

#include "model/drawing.h"
#include "store/results.h"
#include "text/font_list.h"
#include "text/text_measure.h"

BOOL SameRunFormat(const TextRun* a, const TextRun* b)
{
    return a->face == b->face && a->size == b->size && a->nominalSize == b->nominalSize &&
           a->style == b->style && a->attribute == b->attribute && a->color == b->color &&
           a->paragraphFormat == b->paragraphFormat && a->runFlags == b->runFlags &&
           a->script == b->script;
}

int DeleteRun(TenState* state, int run)
{
    if (run < 0 || run >= state->runCount - 1) return 1;
    Locked<TextRun> runs(state->runs);
    if (!runs) return 1;
    TextRun* table = runs.get();
    table[run].charCount += table[run + 1].charCount;
    std::memmove(&table[run + 1], &table[run + 2],
                 sizeof(TextRun) * static_cast<size_t>(state->runCount - run - 2));
    --state->runCount;
    runs.Unlock();
    if (HGLOBAL smaller = GlobalReAlloc(state->runs, sizeof(TextRun) * state->runCount, GMEM_MOVEABLE))
        state->runs = smaller;
    return 0;
}

int MergeEqualRuns(TenState* state)
{
    for (int i = state->runCount - 2; i >= 0; --i) {
        bool merge = false;
        {
            Locked<TextRun> runs(state->runs);
            if (!runs) return 0;
            const TextRun* table = runs.get();
            merge = table[i + 1].charCount == 0 ||
                    SameRunFormat(&table[i], &table[i + 1]);
        }
        if (merge) DeleteRun(state, i);
    }
    return 0;
}

void SetSymbolRunFlag(TenState* state, TextRun* run)
{
    BOOL symbol = FALSE;
    Locked<FontMapHead> map(state->fontMap);
    Locked<FontListHead> list(state->fontList);
    if (map && list && run->face >= 0 && run->face < FontMapUsableCount(state->fontMap, map.get())) {
        const int index = FontMapSlots(map.get())[run->face];
        if (index >= 0 && index < FontListUsableCount(state->fontList, list.get()))
            symbol = FontListEntries(list.get())[index].logFont.lfCharSet == SYMBOL_CHARSET;
    }
    if (symbol) run->runFlags |= TextRunSymbolFace;
    else run->runFlags &= ~TextRunSymbolFace;
}

BOOL IsSymbolRun(const TextRun* run)
{
    return (run->runFlags & TextRunSymbolFace) ? TRUE : FALSE;
}

int SplitRun(TenState* state, int run, int position)
{
    if (run < 0 || run >= state->runCount) return 1;
    HGLOBAL grown = GlobalReAlloc(state->runs, sizeof(TextRun) * (state->runCount + 1), GMEM_MOVEABLE);
    if (!grown) return ErrOutOfMemory;
    state->runs = grown;
    Locked<TextRun> runs(state->runs);
    if (!runs) return ErrOutOfMemory;
    TextRun* table = runs.get();
    std::memmove(&table[run + 1], &table[run], sizeof(TextRun) * static_cast<size_t>(state->runCount - run));
    ++state->runCount;
    const int end = table[run].firstChar + table[run].charCount;
    position = std::clamp<int>(position, table[run].firstChar, end);
    table[run].charCount = position - table[run].firstChar;
    table[run + 1].firstChar = position;
    table[run + 1].charCount = end - position;
    return 0;
}

int ParagraphBreakToFix(const char* text, int length, const TextRun* a, const TextRun* b)
{
    if (a->paragraphFormat == b->paragraphFormat && a->runFlags == b->runFlags) return 0;
    if ((a->runFlags ^ b->runFlags) & TextRunKeepFace) return 0;
    const int before = a->firstChar + a->charCount == b->firstChar ? b->firstChar : a->firstChar;
    if (before > 0 && before <= length && text[before - 1] == 13) return 0;
    for (int i = std::max<int>(b->firstChar, 0); i < length; ++i)
        if (text[i] == 13) return i + 1;
    return length;
}

int CopyParagraphFormatIndex(TenState* state, const void*, int a, int b, BOOL* merged)
{
    *merged = FALSE;
    if (a < 0 || b >= state->runCount || a >= b) return 0;
    int cut = 0;
    {
        Locked<TextRun> runs(state->runs);
        Locked<char> text(state->text);
        if (!runs || !text) return ErrOutOfMemory;
        cut = ParagraphBreakToFix(text.get(), state->textLength, &runs.get()[a], &runs.get()[b]);
        if (cut == 0) return 0;
        const TextRun& rb = runs.get()[b];
        if (!(cut > rb.firstChar && cut < rb.firstChar + rb.charCount && cut < state->textLength)) cut = 0;
    }
    if (cut) {
        if (int err = SplitRun(state, b, cut)) return err;
    }
    Locked<TextRun> runs(state->runs);
    if (!runs) return ErrOutOfMemory;
    TextRun& ra = runs.get()[a];
    TextRun& rb = runs.get()[b];
    // The symbol-face and kept-face flags describe a run's own characters, not its paragraph, so
    // they stay with each run; the paragraph's bits become one.
    constexpr INT32 own = TextRunSymbolFace | TextRunKeepFace;
    rb.paragraphFormat = ra.paragraphFormat;
    rb.runFlags = (rb.runFlags & ~TextRunNextBand) | (ra.runFlags & TextRunNextBand);
    ra.runFlags = (ra.runFlags & own) | (rb.runFlags & ~own);
    if (SameRunFormat(&ra, &rb)) {
        runs.Unlock();
        DeleteRun(state, a);
        *merged = TRUE;
        return 0;
    }
    return CreateRunFont(state, &rb);
}

int NonSymbolFaceAtCaret(TenState* state)
{
    Locked<TextRun> runs(state->runs);
    if (!runs || state->runCount <= 0) return state->defaultFace;
    const TextRun* table = runs.get();
    const int last = state->runCount - 1;
    int r = std::clamp(FindRunAtPosition(state->selStart.charIndex, table, state->runCount), 0, last);
    while (r > 0 && IsSymbolRun(&table[r])) --r;
    while (r < last && IsSymbolRun(&table[r])) ++r;
    return IsSymbolRun(&table[r]) ? state->defaultFace : table[r].face;
}
