// Character and paragraph formatting in the text editor.
#include "text/text_formatting.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "model/drawing.h"
#include "store/results.h"
#include "text/font_dialogs.h"
#include "text/text_edit.h"
#include "text/text_editor.h"
#include "text/text_format.h"
#include "text/text_layout.h"
#include "text/text_measure.h"
#include "text/text_paint.h"
#include "text/text_runs.h"
#include "text/text_undo.h"
#include "text/text_view.h"

namespace {

constexpr int kLargestSize = 144;
constexpr int kSmallestSize = 4;
constexpr int kStyleBits = 1 | 2 | 4;

TextRun GetRun(const TenState* s, int run)
{
    Locked<TextRun> runs(s->runs);
    return runs && run >= 0 && run < s->runCount ? runs.get()[run] : TextRun{};
}

void PutRun(TenState* s, int run, const TextRun& value)
{
    Locked<TextRun> runs(s->runs);
    if (runs && run >= 0 && run < s->runCount) runs.get()[run] = value;
}

int RunAtPosition(const TenState* s, int position)
{
    Locked<TextRun> runs(s->runs);
    if (!runs || s->runCount <= 0) return 0;
    return std::clamp(FindRunAtPosition(position, runs.get(), s->runCount), 0, s->runCount - 1);
}

// Copies the character format of `from` into `to`, leaving its place in the text and its font.
void CopyFormat(TextRun* to, const TextRun& from)
{
    const INT32 first = to->firstChar, count = to->charCount, font = to->font;
    *to = from;
    to->firstChar = first;
    to->charCount = count;
    to->font = font;
}

void SetSize(TextRun* run, int size)
{
    run->size = size;
    run->nominalSize = size;
}

bool SetsNextBand(WPARAM selector, LPARAM value)
{
    return selector == FormatRunFlags && (HIWORD(value) & TextRunNextBand) && LOWORD(value) != 0;
}

// Bits of `mask` in `word`: low word 0 clears, 2 toggles (when `toggles`), other values set; a
// mask of 0 clears every bit. Whether the word changes.
bool ChangeBits(INT32* word, WORD mask, WORD operation, bool toggles)
{
    const INT32 before = *word;
    if (mask == 0) *word = 0;
    else if (toggles && operation == 2) *word ^= mask;
    else if (operation != 0) {
        if (before & mask) return false;   // already set: not asked again
        *word |= mask;
    } else *word &= ~static_cast<INT32>(mask);
    return *word != before;
}

// The run with the attribute applied; whether it changes. The font-dialog rule keeps an inserted
// symbol's face only for runs of the selection, never for the typing format.
bool NewRunValue(TenState* s, const TextRun& run, WPARAM selector, LPARAM value, WPARAM flags, bool typing,
                 TextRun* out)
{
    *out = run;
    switch (selector) {
    case FormatFace:
        if (!typing && IsSymbolRun(&run) && ((flags & TenEditKeepSymbolFace) || (run.runFlags & TextRunKeepFace)))
            return false;
        out->face = static_cast<INT32>(value);
        SetSymbolRunFlag(s, out);
        return run.face != out->face;
    case FormatSize:
        SetSize(out, static_cast<int>(value));
        return run.size != out->size || run.nominalSize != out->nominalSize;
    case FormatStyle:
        return ChangeBits(&out->style, HIWORD(value), LOWORD(value) ? 1 : 0, false);
    case FormatColor:
        out->color = static_cast<COLORREF>(value);
        return run.color != out->color;
    case FormatScript:
        out->script = static_cast<INT32>(value);
        return run.script != out->script;
    case FormatParagraph:
        out->paragraphFormat = static_cast<INT32>(value);
        return run.paragraphFormat != out->paragraphFormat;
    case FormatRunFlags:
        return ChangeBits(&out->runFlags, HIWORD(value), LOWORD(value), true);
    case FormatAttribute:
        out->attribute = static_cast<INT32>(value);
        return run.attribute != out->attribute;
    case FormatLarger:
        SetSize(out, std::min(run.size + FontSizeStep(run.size, FALSE), kLargestSize));
        return out->size != run.size;
    case FormatSmaller:
        SetSize(out, std::max(run.size - FontSizeStep(run.size, TRUE), kSmallestSize));
        return out->size != run.size;
    default:
        return false;
    }
}

void TakeFormat(TenState* s, int index, const TextRun& format)
{
    TextRun run = GetRun(s, index);
    CopyFormat(&run, format);
    PutRun(s, index, run);
    Locked<TextRun> runs(s->runs);
    if (runs) CreateRunFont(s, &runs.get()[index]);
}

void FixSelectionRuns(TenState* s)
{
    for (TextPos* p : {&s->selStart, &s->selEnd, &s->selAnchor}) p->runIndex = RunAtPosition(s, p->charIndex);
}

ParagraphFormat* FormatEntry(Locked<BYTE>& table, int index)
{
    BYTE* bytes = table.get();
    if (!bytes || index < 0 || index >= FormatTableCount(bytes)) return nullptr;
    return const_cast<ParagraphFormat*>(FormatTableEntries(bytes)) + index;
}

void HideCaretWhenFocused(HWND editor)
{
    if (GetFocus() == editor) HideTextCaret(editor);
}

void RepaintAll(HWND editor, TenState* s, WPARAM flags, BOOL whole)
{
    if (!(flags & TenEditRepaint) || !IsWindowVisible(editor)) return;
    RedrawLines(editor, s, 0, s->lineCount, whole);
    ScrollCaretIntoView(editor, s, nullptr, &s->selStart, FALSE);
}

// The text width: the extent minus the margins.
int TextWidth(const TenState* s) { return s->width - s->margins.left - s->margins.right; }
int TextHeight(const TenState* s) { return s->height - s->margins.top - s->margins.bottom; }

LRESULT SendEditor(HWND editor, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(editor, message, wParam, lParam);
}

}  // namespace

int ApplyCharFormatToSelection(TenState* s, LPARAM value, WPARAM flags)
{
    const WPARAM selector = flags & kCharFormatSelectors;
    const bool keepBands = SetsNextBand(selector, value);
    int p = s->selStart.charIndex;
    const int end = s->selEnd.charIndex;
    int r = RunAtPosition(s, p);
    while (r < s->runCount && p < end) {
        const TextRun old = GetRun(s, r);
        TextRun changed;
        const bool changes = NewRunValue(s, old, selector, value, flags, false, &changed);
        if (p == old.firstChar) {
            if (changes) TakeFormat(s, r, changed);
            if (!keepBands && r > 0) {
                const TextRun before = GetRun(s, r - 1), now = GetRun(s, r);
                if (SameRunFormat(&before, &now)) {
                    DeleteRun(s, r - 1);
                    --r;
                }
            }
        } else if (changes) {
            if (SplitRun(s, r, p)) return ErrOutOfMemory;
            ++r;
            TakeFormat(s, r, changed);
        }
        const TextRun current = GetRun(s, r);
        const int runEnd = current.firstChar + current.charCount;
        if (end < runEnd) {
            if (changes) {
                if (SplitRun(s, r, end)) return ErrOutOfMemory;
                TakeFormat(s, r + 1, old);
            }
            break;
        }
        if (runEnd == end) {
            if (!keepBands && r + 1 < s->runCount) {
                const TextRun next = GetRun(s, r + 1);
                if (SameRunFormat(&current, &next)) DeleteRun(s, r);
            }
            break;
        }
        p = runEnd;
        ++r;
    }
    FixSelectionRuns(s);
    return 0;
}

int TenSetCharFormat(HWND editor, LPARAM value, WPARAM flags)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 0;
    TenState* s = state.get();
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    const WPARAM selector = flags & kCharFormatSelectors;
    int err = 0;
    if (s->selStart.charIndex == s->selEnd.charIndex) {
        if (s->typingRun >= 0 && s->typingRun < s->runCount) CopyFormat(&s->typingFormat, GetRun(s, s->typingRun));
        TextRun format;
        NewRunValue(s, s->typingFormat, selector, value, flags, true, &format);
        if (selector == FormatFace && s->undoKind == kUndoKindSymbol) {
            if (IsSymbolRun(&format)) format.runFlags |= TextRunKeepFace;
            else format.runFlags &= ~TextRunKeepFace;
        }
        s->typingFormat = format;
        NotifyFormatChange(editor, s, TenNotifyKeepTyping | TenNotifyAll);
        s->typingRun = -1;
        if (s->textLength == 0 && s->runCount > 0) TakeFormat(s, 0, s->typingFormat);
    } else {
        const int firstLine = s->selStart.lineIndex - 1;
        const int stopLine = s->selEnd.lineIndex + 1;
        const bool snapshot = (flags & TenEditUndo) != 0;
        if (snapshot) err = SaveTextUndo(editor, s, kUndoKindFormat);
        if (!err) err = ApplyCharFormatToSelection(s, value, flags);
        if (!err && (flags & TenEditLayout)) {
            err = RelayoutEditedLines(editor, s, firstLine, stopLine, flags & ~TenEditRepaint, FALSE);
            if (!err) {
                NotifyFormatChange(editor, s, TenNotifyAll);
                if ((flags & TenEditRepaint) && IsWindowVisible(editor)) {
                    const int stop = std::min(s->selEnd.lineIndex + 2, static_cast<int>(s->lineCount));
                    RedrawLines(editor, s, std::max(firstLine, 0), stop, FALSE);
                    ScrollCaretIntoView(editor, s, nullptr, &s->selStart, FALSE);
                }
            }
        }
        if (err && snapshot) SwapTextUndo(s);
    }
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    return err;
}

int TenGetCharFormat(HWND editor, WPARAM selector)
{
    selector &= kCharFormatSelectors;
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 0;
    TenState* s = state.get();
    if (s->selStart.charIndex == s->selEnd.charIndex) {
        const TextRun format = s->typingRun >= 0 && s->typingRun < s->runCount ? GetRun(s, s->typingRun) : s->typingFormat;
        switch (selector) {
        case FormatFace: return format.face;
        case FormatSize: return format.size;
        case FormatStyle: return format.style;
        case FormatColor: return static_cast<int>(format.color);
        case FormatScript: return format.script;
        default: return 0;
        }
    }
    const int first = RunAtPosition(s, s->selStart.charIndex);
    int last = RunAtPosition(s, s->selEnd.charIndex);
    if (last > first && GetRun(s, last).firstChar == s->selEnd.charIndex) --last;
    const TextRun head = GetRun(s, first), tail = GetRun(s, last);
    bool sameFace = true, sameSize = true, sameStyle = true;
    for (int r = first + 1; r <= last; ++r) {
        const TextRun run = GetRun(s, r);
        sameFace = sameFace && run.face == head.face;
        sameSize = sameSize && run.size == head.size;
        sameStyle = sameStyle && (run.style & kStyleBits) == (head.style & kStyleBits);
    }
    switch (selector) {
    case FormatFace: return sameFace ? head.face : -1;
    case FormatSize: return sameSize ? head.size : -1;
    case FormatStyle: return sameStyle ? head.style & kStyleBits : kMixedStyle;
    case FormatColor: return static_cast<int>(head.color);
    case FormatScript: return head.script == tail.script ? head.script : -1;
    default: return 0;
    }
}

BOOL TenSelectionIsWholeText(HWND editor)
{
    Locked<TenState> state(TenStateHandle(editor));
    return state && state->selStart.charIndex == 0 && state->selEnd.charIndex == state->textLength;
}

int TenToggleStyle(HWND editor, int what)
{
    constexpr WPARAM kScriptChange = TenEditUndo | FormatScript | TenEditLayout | TenEditRepaint;
    constexpr WPARAM kStyleChange = TenEditUndo | FormatStyle | TenEditLayout | TenEditRepaint;
    if (what == 16 || what == 32) {
        const int current = TenGetCharFormat(editor, FormatScript);
        int script = 0;
        if (what == 16) script = current > 0 ? 0 : 1;
        else script = current < 0 ? 0 : -1;
        return static_cast<int>(SendEditor(editor, TEN_SETCHARFORMAT, kScriptChange, script));
    }
    const int style = TenGetCharFormat(editor, FormatStyle);
    const bool set = !(style & what) || style == kMixedStyle;
    const int err = static_cast<int>(SendEditor(editor, TEN_SETCHARFORMAT, kStyleChange, MAKELPARAM(set ? 1 : 0, what)));
    if (TenSelectionIsWholeText(editor))
        SendMessageA(GetParent(editor), TenNoticeWholeTextFormat, set ? WholeTextBitsSet : WholeTextBitsCleared, what);
    return err;
}

int TenFontDialog(HWND editor)
{
    int face = TenGetCharFormat(editor, FormatFace);
    int size = TenGetCharFormat(editor, FormatSize);
    int style = TenGetCharFormat(editor, FormatStyle);
    HGLOBAL list = nullptr, map = nullptr;
    HDC reference = nullptr;
    {
        Locked<TenState> state(TenStateHandle(editor));
        if (!state) return 1;
        list = state->fontList;
        map = state->fontMap;
        reference = state->referenceDC;
    }
    if (ChooseTypefaceDialog(editor, list, map, reference, &face, &size, &style) == 0) return 1;
    const BOOL whole = TenSelectionIsWholeText(editor);
    HWND parent = GetParent(editor);
    const bool setsFace = face != -1, setsSize = size != -1, setsStyle = style != kMixedStyle;
    if (setsFace) {
        WPARAM flags = FormatFace | TenEditLayout | TenEditUndo | TenEditKeepSymbolFace;
        if (!setsSize && !setsStyle) flags |= TenEditRepaint;
        SendEditor(editor, TEN_SETCHARFORMAT, flags, face);
        if (whole) SendMessageA(parent, TenNoticeWholeTextFormat, WholeTextFace, face);
    }
    if (setsSize) {
        WPARAM flags = FormatSize | TenEditLayout;
        if (!setsFace) flags |= TenEditUndo;
        if (!setsStyle) flags |= TenEditRepaint;
        SendEditor(editor, TEN_SETCHARFORMAT, flags, size);
        if (whole) SendMessageA(parent, TenNoticeWholeTextFormat, WholeTextSize, size);
    }
    if (setsStyle) {
        // Bold and italic only: underline is not the dialog's to change here.
        const WORD on = static_cast<WORD>(style & 3), off = static_cast<WORD>(~style & 3);
        bool changed = setsFace || setsSize;
        if (off) {
            WPARAM flags = FormatStyle | TenEditLayout;
            if (!changed) flags |= TenEditUndo;
            if (!on) flags |= TenEditRepaint;
            SendEditor(editor, TEN_SETCHARFORMAT, flags, MAKELPARAM(0, off));
            changed = true;
        }
        if (on) {
            WPARAM flags = FormatStyle | TenEditLayout | TenEditRepaint;
            if (!changed) flags |= TenEditUndo;
            SendEditor(editor, TEN_SETCHARFORMAT, flags, MAKELPARAM(1, on));
        }
        if (whole) SendMessageA(parent, TenNoticeWholeTextFormat, WholeTextStyle, style);
    }
    return 1;
}

int TenGetParagraphFormat(HWND editor, ParagraphFormat* format)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state || !format) return 1;
    Locked<BYTE> table(state->formats);
    if (const ParagraphFormat* entry = FormatEntry(table, state->typingFormat.paragraphFormat)) *format = *entry;
    return 1;
}

int TenSetAlignment(HWND editor, WPARAM flags, int alignment)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 0;
    TenState* s = state.get();
    {
        Locked<BYTE> table(s->formats);
        const ParagraphFormat* first = FormatEntry(table, 0);
        if (!first || first->alignment == alignment) return 0;
    }
    HideCaretWhenFocused(editor);
    if (flags & TenEditUndo)
        if (int err = SaveTextUndo(editor, s, kUndoKindAlignment)) return err;
    {
        Locked<BYTE> table(s->formats);
        if (ParagraphFormat* first = FormatEntry(table, 0)) first->alignment = alignment;
    }
    if (flags & TenEditLayout) {
        if (alignment == kTextAlignJustify) {
            int endLine = 0, firstLine = 0;
            if (int err = LayoutLines(editor, GlobalHandle(s), 0, kLayoutToEnd, &endLine, &firstLine)) return err;
        } else {
            Locked<TextLine> lines(s->lines);
            Locked<TextRun> runs(s->runs);
            Locked<BYTE> table(s->formats);
            if (lines && runs && table)
                AlignTextLinesHorizontally(lines.get(), runs.get(), FormatTableEntries(table.get()), s->lineCount,
                                           FormatTableCount(table.get()), s->margins.left, TextWidth(s));
        }
        RefreshSelectionEnds(editor, s);
    }
    RepaintAll(editor, s, flags, FALSE);
    return 0;
}

int TenGetAlignment(HWND editor)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 0;
    Locked<BYTE> table(state->formats);
    const ParagraphFormat* format = FormatEntry(table, state->typingFormat.paragraphFormat);
    return format ? format->alignment : 0;
}

int TenSetVerticalAlign(HWND editor, WPARAM flags, int verticalAlign)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state || state->verticalAlign == verticalAlign) return 0;
    TenState* s = state.get();
    HideCaretWhenFocused(editor);
    if (flags & TenEditUndo)
        if (int err = SaveTextUndo(editor, s, kUndoKindAlignment)) return err;
    s->verticalAlign = verticalAlign;
    if (flags & TenEditLayout) {
        {
            Locked<TextLine> lines(s->lines);
            if (lines) AlignTextLinesVertically(lines.get(), s->lineCount, verticalAlign, s->margins.top, TextHeight(s));
        }
        RefreshSelectionEnds(editor, s);
    }
    RepaintAll(editor, s, flags, FALSE);
    return 0;
}

int TenSetWrap(HWND editor, WPARAM flags, BOOL on)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 0;
    TenState* s = state.get();
    if (((s->options & TenOptWordWrap) != 0) == (on != FALSE)) return 0;
    HideCaretWhenFocused(editor);
    if (flags & TenEditLayout)
        if (int err = SaveTextUndo(editor, s, kUndoKindWrap)) return err;
    if (on) s->options |= TenOptWordWrap;
    else s->options &= ~TenOptWordWrap;
    return RelayoutEditedLines(editor, s, 0, kLayoutToEnd, flags, FALSE);
}

int TenAdjustParagraphSpacing(HWND editor, WPARAM flags, int delta)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 0;
    TenState* s = state.get();
    if (flags & TenEditUndo)
        if (int err = SaveTextUndo(editor, s, kUndoKindSpacing)) return err;
    HideCaretWhenFocused(editor);
    {
        Locked<BYTE> table(s->formats);
        for (int i = 0; ParagraphFormat* format = FormatEntry(table, i); ++i)
            format->extraSpacing = delta == 0 ? 0 : std::max(format->extraSpacing + delta, -2);
    }
    return RelayoutEditedLines(editor, s, 0, kLayoutToEnd, flags, FALSE);
}

int TenGetFormatValue(HWND editor)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 0;
    Locked<BYTE> table(state->formats);
    const ParagraphFormat* first = FormatEntry(table, 0);
    return first ? first->extraSpacing : 0;
}

DWORD TenSelectParagraphs(HWND editor, WPARAM flags)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 0;
    TenState* s = state.get();
    if (s->textLength > 0) {
        HideTextCaret(editor);
        int start = s->selStart.charIndex, end = s->selEnd.charIndex;
        {
            Locked<char> text(s->text);
            const char* t = text.get();
            const int length = s->textLength;
            if (t) {
                while (start > 0 && t[start - 1] != 13) --start;
                if (!(end > 0 && t[end - 1] == 13 && end > start)) {
                    if (end < length && t[end] == 13) ++end;
                    else {
                        while (end < length && t[end] != 13) ++end;
                        if (end < length) ++end;
                    }
                }
            }
        }
        s->selAnchor.charIndex = s->selStart.charIndex = start;
        s->selEnd.charIndex = end;
        RefreshSelectionEnds(editor, s);
        if ((flags & TenEditRepaint) && IsWindowVisible(editor)) {
            RedrawLines(editor, s, 0, s->lineCount, FALSE);
            ScrollCaretIntoView(editor, s, nullptr, nullptr, FALSE);
            NotifyFormatChange(editor, s, 0);
        }
    }
    return MAKELONG(s->selStart.charIndex, s->selEnd.charIndex);
}

int TenReplaceSelectionKeepStyle(HWND editor, const char* string, int* caret)
{
    if (!string) return 0;
    const int length = static_cast<int>(std::strlen(string));
    int start = 0;
    std::vector<std::pair<int, int>> styles;   // (offset in the new string, style bits)
    {
        Locked<TenState> state(TenStateHandle(editor));
        if (!state) return 0;
        TenState* s = state.get();
        start = s->selStart.charIndex;
        const int replaced = s->selEnd.charIndex - start;
        if (caret) *caret = length - replaced;
        for (int r = RunAtPosition(s, start) + 1; r < s->runCount; ++r) {
            const TextRun run = GetRun(s, r);
            const int offset = run.firstChar - start;
            if (offset >= length || offset >= replaced) break;
            styles.push_back({offset, run.style});
        }
    }
    if (length == 0 || GetDbcsMode()) styles.clear();
    int err = 0;
    if (length == 0) err = EditTextChar(editor, 0, TenEditLayout | TenEditRepaint);
    else err = TenReplaceSelection(editor, string, length,
                                   TenEditCaretBehind | TenEditLayout | (styles.empty() ? TenEditRepaint : 0));
    if (err) return err;
    const LRESULT selection = SendEditor(editor, TEN_GETSELECTION, 0, 0);
    for (size_t i = 0; i < styles.size(); ++i) {
        const int to = i + 1 < styles.size() ? std::min(styles[i + 1].first, length) : length;
        SendEditor(editor, TEN_SETSELECTION, 0, MAKELPARAM(start + styles[i].first, start + to));
        SendEditor(editor, TEN_SETCHARFORMAT, FormatStyle | TenEditLayout, MAKELPARAM(styles[i].second ? 1 : 0, 1));
        if (to >= length) break;
    }
    if (!styles.empty()) SendEditor(editor, TEN_SETSELECTION, 0, selection);
    return 0;
}
