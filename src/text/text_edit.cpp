// The editing core of the text editor: text, runs and line positions change together here, so
// that layout can start again from the edited line.
#include "text/text_edit.h"

#include <algorithm>
#include <cstring>

#include "model/drawing.h"
#include "store/results.h"
#include "text/font_list.h"
#include "text/ten_messages.h"
#include "text/ten_window.h"
#include "text/text_engine.h"
#include "text/text_keys.h"
#include "text/text_layout.h"
#include "text/text_measure.h"
#include "text/text_paint.h"
#include "text/text_runs.h"
#include "text/text_undo.h"
#include "text/text_view.h"

namespace {

constexpr SIZE_T kGrowSpare = 256;
constexpr SIZE_T kShrinkSpare = 128;

bool IsBlank(char c)
{
    return c == ' ' || c == 9 || c == 2;
}

// Room for n more bytes: the buffer grows to length + n + 256 when length + n + 1 does not fit.
BOOL EnsureTextRoom(TenState* s, int n)
{
    const SIZE_T needed = static_cast<SIZE_T>(s->textLength) + n + 1;
    if (s->text && GlobalSize(s->text) >= needed) return TRUE;
    const SIZE_T size = static_cast<SIZE_T>(s->textLength) + n + kGrowSpare;
    HGLOBAL block = s->text ? GlobalReAlloc(s->text, size, GMEM_MOVEABLE) : GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return FALSE;
    s->text = block;
    return TRUE;
}

void ShrinkText(TenState* s)
{
    if (s->text && GlobalSize(s->text) > static_cast<SIZE_T>(s->textLength) + kGrowSpare)
        if (HGLOBAL smaller = GlobalReAlloc(s->text, s->textLength + kShrinkSpare, GMEM_MOVEABLE)) s->text = smaller;
}

void ShiftLinesAfter(TenState* s, int line, int by)
{
    Locked<TextLine> lines(s->lines);
    if (!lines) return;
    for (int i = std::max(line + 1, 0); i < s->lineCount; ++i) lines.get()[i].firstChar += by;
}

void ShiftRunsFrom(TextRun* runs, int first, int count, int by)
{
    for (int i = first; i < count; ++i) runs[i].firstChar += by;
}

int LineOf(const TenState* s, int position)
{
    Locked<TextLine> lines(s->lines);
    if (!lines || s->lineCount <= 0) return 0;
    return FindLineAtPosition(position, lines.get(), s->lineCount);
}

int RunOf(const TenState* s, int position)
{
    Locked<TextRun> runs(s->runs);
    if (!runs || s->runCount <= 0) return 0;
    return std::clamp(FindRunAtPosition(position, runs.get(), s->runCount), 0, s->runCount - 1);
}

TextRun RunAt(const TenState* s, int run)
{
    Locked<TextRun> runs(s->runs);
    return runs ? runs.get()[std::clamp(run, 0, s->runCount - 1)] : TextRun{};
}

void PutRun(TenState* s, int run, const TextRun& value)
{
    Locked<TextRun> runs(s->runs);
    if (runs) runs.get()[run] = value;
}

// The typing format leaves a symbol face: the face of the nearest ordinary run at the caret.
void LeaveSymbolFace(TenState* s, TextRun* format)
{
    format->face = NonSymbolFaceAtCaret(s);
    SetSymbolRunFlag(s, format);
    format->script = 0;
}

// A face slot outside the document's map becomes its last slot (0 when the map is empty).
int UsableFace(const TenState* s, int face)
{
    int count = 0;
    if (Locked<FontMapHead> map(s->fontMap); map) count = FontMapUsableCount(s->fontMap, map.get());
    if (face < 0 || face >= count) return std::max(count - 1, 0);
    return face;
}

// Runs every neighbouring pair from run `from` to the end through the paragraph repair.
int FixParagraphsFrom(TenState* s, int from)
{
    int i = std::max(from, 0);
    while (i + 1 < s->runCount) {
        BOOL merged = FALSE;
        if (int err = CopyParagraphFormatIndex(s, nullptr, i, i + 1, &merged)) return err;
        if (!merged) ++i;
    }
    return 0;
}

// A block handed over for insertion is checked as a loaded block is.
BOOL IsInsertableBlock(const TextBlock* block, int formatCount)
{
    return block && IsLoadableTextBlock(block, formatCount);
}

int FormatCount(const TenState* s)
{
    Locked<BYTE> formats(s->formats);
    return formats ? FormatTableCount(formats.get()) : 0;
}

}  // namespace

BOOL GetDbcsMode()
{
    return g_doubleByte;
}

BOOL SameParagraphFormat(const ParagraphFormat* a, const ParagraphFormat* b)
{
    return std::memcmp(a, b, sizeof(ParagraphFormat)) == 0;
}

int FindOrAddParagraphFormat(TenState* state, const ParagraphFormat* format)
{
    if (!format) return -1;
    int count = 0;
    {
        Locked<BYTE> table(state->formats);
        if (!table) return -1;
        count = std::clamp(FormatTableCount(table.get()), 0, kMaxParagraphFormats);
        const SIZE_T held = (GlobalSize(state->formats) - 4) / sizeof(ParagraphFormat);
        count = std::min<int>(count, static_cast<int>(held));
        const ParagraphFormat* entries = FormatTableEntries(table.get());
        for (int i = 0; i < count; ++i)
            if (SameParagraphFormat(&entries[i], format)) return i;
    }
    if (count >= kMaxParagraphFormats) return -1;
    HGLOBAL grown = GlobalReAlloc(state->formats, 4 + sizeof(ParagraphFormat) * (count + 1), GMEM_MOVEABLE);
    if (!grown) return -1;
    state->formats = grown;
    Locked<BYTE> table(state->formats);
    if (!table) return -1;
    const INT32 newCount = count + 1;
    std::memcpy(table.get(), &newCount, 4);
    std::memcpy(table.get() + 4 + sizeof(ParagraphFormat) * count, format, sizeof(ParagraphFormat));
    return count;
}

int DeleteTextRange(TenState* s, int from, int to)
{
    from = std::clamp(from, 0, static_cast<int>(s->textLength));
    to = std::clamp(to, from, static_cast<int>(s->textLength));
    const int n = to - from;
    if (n < 1) return 0;
    const int toLine = LineOf(s, to);
    const int fromLine = LineOf(s, from);
    const int a = RunOf(s, from);
    int aNow = 0;
    BOOL removed = FALSE;
    {
        Locked<TextRun> runs(s->runs);
        if (!runs) return 0;
        TextRun* table = runs.get();
        int kept = 0, position = 0;
        for (int i = 0; i < s->runCount; ++i) {
            TextRun run = table[i];
            const int start = run.firstChar, end = run.firstChar + run.charCount;
            const int overlap = std::max(0, std::min(end, to) - std::max(start, from));
            const bool inside = start >= from && end <= to && (run.charCount > 0 ? true : start > from && start < to);
            if (i < a && !inside) aNow = kept + 1;
            if (inside) {
                removed = TRUE;
                continue;
            }
            run.charCount -= overlap;
            run.firstChar = position;
            position += run.charCount;
            table[kept++] = run;
        }
        if (kept == 0) {
            table[0].firstChar = 0;
            table[0].charCount = 0;
            kept = 1;
        }
        s->runCount = kept;
        aNow = std::min(aNow, kept - 1);
    }
    if (removed)
        if (HGLOBAL smaller = GlobalReAlloc(s->runs, sizeof(TextRun) * s->runCount, GMEM_MOVEABLE)) s->runs = smaller;
    if (aNow + 1 < s->runCount) {
        TextRun ra = RunAt(s, aNow), rb = RunAt(s, aNow + 1);
        if (SameRunFormat(&ra, &rb)) {
            DeleteRun(s, aNow);
        } else if (removed && aNow > 0) {
            TextRun before = RunAt(s, aNow - 1);
            if (SameRunFormat(&before, &ra)) DeleteRun(s, --aNow);
        }
    } else if (removed && aNow > 0) {
        TextRun before = RunAt(s, aNow - 1), ra = RunAt(s, aNow);
        if (SameRunFormat(&before, &ra)) DeleteRun(s, --aNow);
    }
    BOOL paragraphEnd = FALSE;
    {
        Locked<char> text(s->text);
        if (text) {
            paragraphEnd = std::memchr(text.get() + from, 13, n) != nullptr;
            std::memmove(text.get() + from, text.get() + to, s->textLength - to);
        }
    }
    s->textLength -= n;
    ShrinkText(s);
    if (paragraphEnd && aNow + 1 < s->runCount) {
        BOOL merged = FALSE;
        CopyParagraphFormatIndex(s, nullptr, aNow, aNow + 1, &merged);
    }
    TextPos at = s->selStart;
    at.charIndex = from;
    at.lineIndex = fromLine;
    at.runIndex = std::min(RunOf(s, from), s->runCount - 1);
    s->selStart = s->selEnd = s->selAnchor = at;
    s->options &= ~TenOptWordSelect;
    ShiftLinesAfter(s, toLine, -n);
    return paragraphEnd ? 1 : 0;
}

int TenInsertPlainText(TenState* s, const char* chars, int n, BOOL* paragraphEndDeleted, BOOL* refused,
                       LPARAM leaveSymbol)
{
    *paragraphEndDeleted = FALSE;
    *refused = FALSE;
    if (n < 0) n = 0;
    const char* cr = static_cast<const char*>(std::memchr(chars, 13, n));
    const int crAt = cr ? static_cast<int>(cr - chars) + 1 : 0;   // counted from 1
    const bool hasRun = s->typingRun >= 0 && s->typingRun < s->runCount;
    const TextRun current = hasRun ? RunAt(s, s->typingRun) : s->typingFormat;
    const bool leaving = IsSymbolRun(&current) && (n > 1 || leaveSymbol != 0);
    if (leaving) {
        s->typingFormat = current;
        s->typingRun = -1;
        LeaveSymbolFace(s, &s->typingFormat);
    }
    if (s->selStart.charIndex != s->selEnd.charIndex) {
        if (s->typingRun >= 0) {
            TextRun format = RunAt(s, RunOf(s, s->selStart.charIndex));
            if (IsSymbolRun(&format) && (n > 1 || leaveSymbol != 0)) LeaveSymbolFace(s, &format);
            s->typingFormat = format;
            s->typingRun = -1;
        }
        int start = s->selStart.charIndex, end = s->selEnd.charIndex;
        if ((s->options & TenOptWordSelect) && end - start > 2) {
            Locked<char> text(s->text);
            if (text && IsBlank(text.get()[end - 1])) --end;
        }
        *paragraphEndDeleted = DeleteTextRange(s, start, end);
    }
    if (s->textLength + n > kMaxTextBytes) return ErrTextTooLong;
    if (s->maxTextLength > 0 && s->textLength + n > s->maxTextLength) {
        MessageBeep(static_cast<UINT>(-1));
        n = s->maxTextLength - s->textLength;
        if (n < 1) {
            *refused = TRUE;
            return 0;
        }
    }
    const int at = s->selStart.charIndex;
    if (n == 1 && chars[0] == 1) {
        Locked<char> text(s->text);
        if (at == 0 || (text && text.get()[at - 1] == 1) || (text && at < s->textLength && text.get()[at] == 1)) {
            *refused = TRUE;
            return 0;
        }
    }
    if (n == 0) return 0;
    // The run that receives the characters; a remembered run that no longer holds the insertion
    // point (the runs changed since) would take characters that are not its own.
    int receiving = s->typingRun;
    if (receiving >= 0 && receiving < s->runCount) {
        const TextRun r = RunAt(s, receiving);
        if (at < r.firstChar || at > r.firstChar + r.charCount) receiving = -1;
    }
    bool fresh = false;
    if (receiving < 0 || receiving >= s->runCount) {
        const int r = RunOf(s, at);
        const TextRun rr = RunAt(s, r);
        TextRun previous = r > 0 ? RunAt(s, r - 1) : TextRun{};
        if (at == rr.firstChar && r > 0 && SameRunFormat(&previous, &s->typingFormat)) {
            receiving = r - 1;
        } else if (SameRunFormat(&rr, &s->typingFormat)) {
            receiving = r;
        } else {
            // An empty run between the halves of r (or behind r at the text end) takes the text.
            if (at != s->textLength)
                if (int err = SplitRun(s, r, at)) return err;
            int empty = r;
            if (RunAt(s, r).charCount > 0) {
                if (int err = SplitRun(s, r, at)) return err;
                empty = r + 1;
            }
            TextRun run = RunAt(s, empty);
            const TextRun& t = s->typingFormat;
            run.face = t.face;
            run.size = run.nominalSize = t.size;
            run.style = t.style;
            run.paragraphFormat = t.paragraphFormat;
            run.script = t.script;
            run.runFlags = t.runFlags;
            run.color = t.color;
            SetSymbolRunFlag(s, &run);
            CreateRunFont(s, &run);
            PutRun(s, empty, run);
            receiving = empty;
            fresh = true;
        }
        s->typingRun = receiving;
    }
    if (!EnsureTextRoom(s, n)) return ErrOutOfMemory;
    {
        Locked<char> text(s->text);
        if (!text) return ErrOutOfMemory;
        std::memmove(text.get() + at + n, text.get() + at, s->textLength - at);
        std::memcpy(text.get() + at, chars, n);
    }
    s->textLength += n;
    {
        Locked<TextRun> runs(s->runs);
        if (!runs) return ErrOutOfMemory;
        runs.get()[receiving].charCount += n;
        ShiftRunsFrom(runs.get(), receiving + 1, s->runCount, n);
    }
    ShiftLinesAfter(s, s->selEnd.lineIndex, n);
    // A paragraph that typing starts does not take the paragraph's own flags.
    TextRun run = RunAt(s, receiving);
    if ((run.runFlags & (TextRunRuleBelow | TextRunNextBand)) && crAt > 0 && (!fresh || crAt > 1)) {
        int p = at + crAt;
        const int runEnd = run.firstChar + run.charCount;
        {
            Locked<char> text(s->text);
            if (runEnd == p && p > 1 && text && text.get()[p - 2] == 13) --p;
        }
        if (p > run.firstChar && p < runEnd && p < s->textLength) {
            if (int err = SplitRun(s, receiving, p)) return err;
            TextRun second = RunAt(s, receiving + 1);
            second.runFlags &= ~(TextRunRuleBelow | TextRunNextBand);
            PutRun(s, receiving + 1, second);
            *paragraphEndDeleted = TRUE;
        } else if (p == s->textLength && p == runEnd) {
            s->typingFormat = run;
            s->typingFormat.runFlags &= ~(TextRunRuleBelow | TextRunNextBand);
            s->typingRun = -1;
        }
    }
    s->options &= ~TenOptWholeText;
    return 0;
}

int TenInsertTextBlock(TenState* s, const TextBlock* block, WPARAM flags)
{
    if (flags & TenEditBlockOnlyClearsMode) {
        s->options &= ~TenOptWholeText;
        return 0;
    }
    if (s->selStart.charIndex != s->selEnd.charIndex) DeleteTextRange(s, s->selStart.charIndex, s->selEnd.charIndex);
    if (block->textLength <= 0 || block->runCount <= 0) return 0;
    if (s->textLength + block->textLength > kMaxTextBytes) return ErrTextTooLong;
    if (s->maxTextLength > 0 && s->textLength + block->textLength > s->maxTextLength) {
        MessageBeep(static_cast<UINT>(-1));
        return 0;
    }
    const BYTE* base = reinterpret_cast<const BYTE*>(block) + kTextBlockSize + kTextLineSize * block->lineCount;
    const TextRun* blockRuns = reinterpret_cast<const TextRun*>(base);
    const ParagraphFormat* blockFormats = reinterpret_cast<const ParagraphFormat*>(base + kTextRunSize * block->runCount);
    const char* blockText = reinterpret_cast<const char*>(blockFormats) + kParagraphFormatSize * block->formatCount +
                            kTextSegmentSize * block->segmentCount;
    const int at = s->selStart.charIndex;
    const int atRun = RunOf(s, at);
    const int fallbackFormat = RunAt(s, atRun).paragraphFormat;
    // The block's runs as this editor will hold them.
    HGLOBAL incomingBlock = GlobalAlloc(GMEM_MOVEABLE, sizeof(TextRun) * block->runCount);
    if (!incomingBlock) return ErrOutOfMemory;
    struct Freed {
        HGLOBAL block;
        ~Freed() { GlobalFree(block); }
    } freed{incomingBlock};
    Locked<TextRun> incomingRuns(incomingBlock);
    if (!incomingRuns) return ErrOutOfMemory;
    TextRun* incoming = incomingRuns.get();
    std::memcpy(incoming, blockRuns, sizeof(TextRun) * block->runCount);
    for (TextRun* run = incoming; run != incoming + block->runCount; ++run) {
        if (block->formatCount > 0) {
            const int index = FindOrAddParagraphFormat(s, &blockFormats[run->paragraphFormat]);
            run->paragraphFormat = index >= 0 ? index : fallbackFormat;
        } else if (run->paragraphFormat < 0 || run->paragraphFormat >= FormatCount(s)) {
            run->paragraphFormat = fallbackFormat;
        }
        run->face = UsableFace(s, run->face);
        run->font = 0;
        run->escapement = 0;
    }
    if (s->textLength == 0) {
        TextRun first = incoming[0];
        first.firstChar = 0;
        first.charCount = 0;
        CreateRunFont(s, &first);
        PutRun(s, 0, first);
    }
    int insertAt;
    {
        const TextRun r = RunAt(s, RunOf(s, at));
        if (at == s->textLength) insertAt = s->runCount;
        else if (at == r.firstChar) insertAt = RunOf(s, at);
        else {
            if (int err = SplitRun(s, RunOf(s, at), at)) return err;
            insertAt = RunOf(s, at) + (RunAt(s, RunOf(s, at)).firstChar == at ? 0 : 1);
        }
    }
    // The empty run of an empty text is replaced rather than kept ahead of the block.
    if (s->textLength == 0 && s->runCount == 1) insertAt = 0;
    size_t skip = 0;
    if (insertAt > 0) {
        TextRun before = RunAt(s, insertAt - 1);
        if (SameRunFormat(&before, &incoming[0])) {
            before.charCount += incoming[0].charCount;
            PutRun(s, insertAt - 1, before);
            skip = 1;
        }
    }
    const int added = static_cast<int>(block->runCount - skip);
    const bool replaceEmpty = s->textLength == 0 && s->runCount == 1 && added > 0;
    const int newCount = s->runCount + added - (replaceEmpty ? 1 : 0);
    HGLOBAL grown = GlobalReAlloc(s->runs, sizeof(TextRun) * std::max(newCount, 1), GMEM_MOVEABLE);
    if (!grown) return ErrOutOfMemory;
    s->runs = grown;
    {
        Locked<TextRun> runs(s->runs);
        if (!runs) return ErrOutOfMemory;
        TextRun* table = runs.get();
        const int tail = s->runCount - insertAt - (replaceEmpty ? 1 : 0);
        std::memmove(&table[insertAt + added], &table[insertAt + (replaceEmpty ? 1 : 0)], sizeof(TextRun) * tail);
        int position = insertAt > 0 ? table[insertAt - 1].firstChar + table[insertAt - 1].charCount : 0;
        for (int i = 0; i < added; ++i) {
            TextRun run = incoming[skip + i];
            run.firstChar = position;
            position += run.charCount;
            CreateRunFont(s, &run);
            table[insertAt + i] = run;
        }
        s->runCount = newCount;
        ShiftRunsFrom(table, insertAt + added, s->runCount, block->textLength);
    }
    const int lastInserted = insertAt + added - 1;
    if (added > 0 && lastInserted + 1 < s->runCount) {
        TextRun a = RunAt(s, lastInserted), b = RunAt(s, lastInserted + 1);
        if (SameRunFormat(&a, &b)) DeleteRun(s, lastInserted);
    }
    if (!EnsureTextRoom(s, block->textLength)) return ErrOutOfMemory;
    {
        Locked<char> text(s->text);
        if (!text) return ErrOutOfMemory;
        std::memmove(text.get() + at + block->textLength, text.get() + at, s->textLength - at);
        std::memcpy(text.get() + at, blockText, block->textLength);
    }
    s->textLength += block->textLength;
    if (int err = FixParagraphsFrom(s, insertAt - 1)) return err;
    ShiftLinesAfter(s, s->selEnd.lineIndex, block->textLength);
    s->options &= ~TenOptWholeText;
    return 0;
}

int PastParagraphEnd(const TenState* s, int line)
{
    Locked<TextLine> lines(s->lines);
    if (!lines) return s->lineCount;
    for (int i = std::max(line, 0); i < s->lineCount; ++i)
        if (lines.get()[i].flags & TextLineEndsParagraph) return i + 1;
    return s->lineCount;
}

int RelayoutEditedLines(HWND editor, TenState* s, int firstLine, int stopLine, WPARAM flags,
                        BOOL paragraphEndDeleted)
{
    if (!(flags & TenEditLayout)) return 0;
    int end = 0, first = 0;
    if (int err = LayoutLines(editor, GlobalHandle(s), std::max(firstLine, 0), stopLine, &end, &first)) return err;
    BOOL whole = FALSE;
    if (s->flags & (TenFlagGrowWidth | TenFlagGrowHeight)) {
        const DWORD change = AutoSizeTextWindow(editor, s);
        if (change) whole = TRUE;
        if (change > 0xFFFF) {
            first = 0;
            end = kLayoutToEnd;
        }
    }
    RefreshSelectionEnds(editor, s);
    if (paragraphEndDeleted) NotifyFormatChange(editor, s, 0);
    if ((flags & TenEditRepaint) && IsWindowVisible(editor)) {
        RedrawLines(editor, s, first, end, whole);
        ScrollCaretIntoView(editor, s, nullptr, &s->selStart, FALSE);
    }
    return 0;
}

BOOL TypingStartsNewUndo(const TenState* s)
{
    return s->undoKind != kUndoKindTyping || (s->flags & TenFlagRedo);
}

int TenReplaceSelection(HWND editor, const void* data, int length, WPARAM flags)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 1;
    TenState* s = state.get();
    if (!data) return 0;
    // With the string flag an empty string is plain text too: it replaces the selection by nothing.
    const bool plain = length != 0 || (flags & TenEditString);
    if (!plain && !IsInsertableBlock(static_cast<const TextBlock*>(data), FormatCount(s))) return ErrOutOfMemory;
    const int firstLine = std::max<int>(s->selStart.lineIndex - 1, 0);
    int stopLine = s->selEnd.lineIndex + 1;
    if (flags & TenEditUndo)
        if (int err = SaveTextUndo(editor, s, kUndoKindPaste)) return err;
    const int runsBefore = s->runCount;
    int inserted = 0, err = 0;
    BOOL paragraphEnd = FALSE;
    TextRun savedTyping = s->typingFormat;
    bool restoreTyping = false;
    if (plain) {
        BOOL refused = FALSE;
        err = TenInsertPlainText(s, static_cast<const char*>(data), length, &paragraphEnd, &refused, 1);
        if (paragraphEnd) ++stopLine;
        inserted = refused ? 0 : length;
        if (s->maxTextLength > 0 && !refused) inserted = std::min(inserted, static_cast<int>(s->textLength) - s->selStart.charIndex);
        if (s->typingRun == -1) {
            savedTyping = s->typingFormat;
            restoreTyping = true;
        }
    } else {
        const TextBlock* block = static_cast<const TextBlock*>(data);
        inserted = block->textLength;
        err = TenInsertTextBlock(s, block, flags);
        paragraphEnd = TRUE;
    }
    if (!err) {
        stopLine = s->runCount == runsBefore ? PastParagraphEnd(s, stopLine - 1) : 32000;
        if (flags & TenEditCaretBehind) {
            for (TextPos* p : {&s->selAnchor, &s->selStart, &s->selEnd}) {
                p->charIndex = std::min<int>(p->charIndex + inserted, s->textLength);
                p->runIndex = RunOf(s, p->charIndex);
            }
            NotifyFormatChange(editor, s, TenNotifyAll);
        }
        err = RelayoutEditedLines(editor, s, firstLine, stopLine, flags, paragraphEnd);
    }
    if (restoreTyping) {
        s->typingFormat = savedTyping;
        s->typingRun = -1;
    }
    if (err) SwapTextUndo(s);
    return err;
}

int EditTextChar(HWND editor, int key, WPARAM flags)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 0;
    TenState* s = state.get();
    int firstLine = s->selStart.lineIndex;
    int stopLine = s->selEnd.lineIndex + 1;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    bool snapshot = false;
    if (key != 0 && TypingStartsNewUndo(s)) {
        if (int err = SaveTextUndo(editor, s, kUndoKindTyping)) return err;
        snapshot = true;
    }
    BOOL paragraphEnd = FALSE;
    bool keepSymbol = false;
    TextRun symbolFormat = {};
    const int caret = s->selStart.charIndex;
    if (s->selStart.charIndex == s->selEnd.charIndex) {
        if (key == VK_BACK && caret > 0) {
            int from = caret - 1;
            {
                Locked<char> text(s->text);
                if (text) from = SnapToCharBoundary(text.get(), 0, from, s->textLength, TRUE);
            }
            if (ctrl) {
                TextPos start = s->selStart;
                ResolveTextPosition(s, &start, from, nullptr);
                ExpandToWordBoundaries(s, &start, nullptr, TRUE);
                from = start.charIndex;
            }
            firstLine = LineOf(s, from);
            const int r = RunOf(s, from);
            const TextRun run = RunAt(s, r);
            if (IsSymbolRun(&run) && run.firstChar == from) {
                symbolFormat = run;
                keepSymbol = true;
            }
            paragraphEnd = DeleteTextRange(s, from, caret);
        } else if (key == VK_DELETE && caret < s->textLength) {
            int to = caret + 1;
            {
                Locked<char> text(s->text);
                if (text && GetDbcsMode() && IsDbcsLeadByteAt(text.get(), caret)) to = std::min<int>(caret + 2, s->textLength);
            }
            if (ctrl) {
                TextPos end = s->selEnd;
                ResolveTextPosition(s, &end, caret, nullptr);
                ExpandToWordBoundaries(s, nullptr, &end, TRUE);
                to = std::max(end.charIndex, to);
            }
            stopLine = LineOf(s, to) + 1;
            paragraphEnd = DeleteTextRange(s, caret, to);
        } else {
            return 0;
        }
    } else {
        paragraphEnd = DeleteTextRange(s, s->selStart.charIndex, s->selEnd.charIndex);
    }
    if (paragraphEnd) stopLine = PastParagraphEnd(s, stopLine);
    int err = 0;
    if (flags & TenEditLayout) {
        err = RelayoutEditedLines(editor, s, firstLine - 1, stopLine, flags & ~TenEditRepaint, FALSE);
        if (!err) {
            if (keepSymbol) {
                s->typingFormat = symbolFormat;
                s->typingFormat.charCount = 0;
                s->typingRun = -1;
            } else {
                NotifyFormatChange(editor, s, 0);
            }
            if ((flags & TenEditRepaint) && IsWindowVisible(editor)) {
                RedrawLines(editor, s, std::max(firstLine - 1, 0), s->lineCount, FALSE);
                ScrollCaretIntoView(editor, s, nullptr, &s->selStart, FALSE);
            }
        }
    }
    if (!err && s->textLength == 0) SendMessageA(GetParent(editor), TenNoticeEmptied, 0, 0);
    if (err && (snapshot || key == 0 || s->undoKind == kUndoKindTyping)) SwapTextUndo(s);
    return err;
}

int TenSetWholeTextMode(HWND editor, WPARAM flags, BOOL on)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 1;
    TenState* s = state.get();
    if (flags & TenEditUndo)
        if (int err = SaveTextUndo(editor, s, kUndoKindTyping)) return err;
    const bool isOn = (s->options & TenOptWholeText) != 0;
    if (on && !isOn) {
        s->options |= TenOptWholeText | TenOptModified;
        state.Unlock();
        SendMessageA(editor, TEN_SETSELECTION, 0, TenSelectAll);
        Locked<TenState> again(TenStateHandle(editor));
        if (again) RedrawLines(editor, again.get(), 0, 32000, FALSE);
    } else if (!on && isOn) {
        s->options = (s->options & ~TenOptWholeText) | TenOptModified;
    }
    return 0;
}
