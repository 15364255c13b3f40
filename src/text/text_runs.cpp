// Run table operations shared by loading and editing.
#include "text/text_runs.h"

#include <cstring>

#include "model/drawing.h"
#include "text/font_list.h"

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
