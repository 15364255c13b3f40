// Keys, characters, presses, drags and releases of the text editor, and the selection they build
// by characters or whole words around a fixed anchor.
#include "text/text_keys.h"

#include <algorithm>

#include "model/drawing.h"
#include "store/results.h"
#include "text/ten_messages.h"
#include "text/ten_window.h"
#include "text/text_caret.h"
#include "text/text_edit.h"
#include "text/text_engine.h"
#include "text/text_layout.h"
#include "text/text_measure.h"
#include "text/text_paint.h"
#include "text/text_undo.h"
#include "text/text_view.h"

namespace {

bool IsBlank(int c)
{
    return c == ' ' || c == 9 || c == 2;
}

bool FieldMode(const TenState* s)
{
    return (s->flags & TenFlagFieldMode) != 0;
}

void Invert(TenState* s, const TextPos& a, const TextPos& b)
{
    if (!s->windowDC || a.charIndex == b.charIndex) return;
    if (a.charIndex < b.charIndex) InvertSelection(s->windowDC, s, &a, &b);
    else InvertSelection(s->windowDC, s, &b, &a);
}

TextPos PositionAt(TenState* s, int index)
{
    TextPos p = {};
    ResolveTextPosition(s, &p, std::clamp(index, 0, static_cast<int>(s->textLength)), nullptr);
    return p;
}

TextPos* ActiveEnd(TenState* s)
{
    return s->selAnchor.charIndex == s->selStart.charIndex ? &s->selEnd : &s->selStart;
}

POINT ToLogical(const TenState* s, POINT device)
{
    if (s->windowDC) DPtoLP(s->windowDC, &device, 1);
    return device;
}

// Whether a numeric filter takes the character (',' is taken as '.').
bool FilterTakes(int filter, int* c)
{
    if (*c >= '0' && *c <= '9') return true;
    if (*c == '-') return !(filter & 2);
    if (*c == ',') *c = '.';
    if (*c == '.' || *c == 'E' || *c == 'e') return !(filter & 4);
    return false;
}

}  // namespace

int CharBeforePosition(const char* text, const TextRun*, int, int position, int* outIndex)
{
    if (position <= 0 || !text) {
        if (outIndex) *outIndex = 0;
        return 0;
    }
    int index = position - 1;
    if (GetDbcsMode() && index > 0 && IsDbcsLeadByteAt(text, index - 1)) --index;
    if (outIndex) *outIndex = index;
    return static_cast<BYTE>(text[index]);
}

void ExpandToWordBoundaries(TenState* s, TextPos* start, TextPos* end, BOOL)
{
    const bool field = FieldMode(s);
    const int length = s->textLength;
    if (length <= 0 || s->lineCount <= 0) return;
    {
        Locked<TextLine> lines(s->lines);
        Locked<BYTE> text(s->text);
        if (!lines || !text) return;
        const TextLine* table = lines.get();
        const BYTE* t = text.get();
        auto breaks = [&](int i) { return IsWordBreakChar(t[i], field) != 0; };
        if (start) {
            int S = std::clamp<int>(start->charIndex, 0, length);
            int line = FindLineAtPosition(S, table, s->lineCount);
            if (!(S < length && t[S] == 13 && S == table[line].firstChar)) {
                int i = S >= length ? length - 1 : S;
                bool seenWord = false;
                for (;;) {
                    bool stopped = false;
                    for (; i >= table[line].firstChar && i >= 0; --i) {
                        if (!breaks(i)) {
                            seenWord = true;
                        } else if (seenWord) {
                            S = i + 1;
                            stopped = true;
                            break;
                        } else if (!IsBlank(t[i])) {
                            S = i;
                            stopped = true;
                            break;
                        }
                    }
                    if (stopped) break;
                    const int lineStart = table[line].firstChar;
                    if (line > 0 && lineStart > 0 &&
                        ((table[line - 1].flags & TextLineSoftHyphen) || !breaks(lineStart - 1))) {
                        --line;
                        i = lineStart - 1;
                        continue;
                    }
                    S = lineStart;
                    break;
                }
                if (GetDbcsMode()) S = SnapToCharBoundary(reinterpret_cast<const char*>(t), 0, S, length, TRUE);
            }
            start->charIndex = S;
        }
        if (end) {
            int i = std::clamp<int>(end->charIndex, 0, length);
            int line = FindLineAtPosition(i, table, s->lineCount);
            for (;;) {
                const int lineEnd = std::min(table[line].firstChar + table[line].charCount, length);
                while (i < lineEnd && !breaks(i)) ++i;
                if (i < lineEnd) break;
                if (line + 1 < s->lineCount &&
                    ((table[line].flags & TextLineSoftHyphen) || (i < length && !breaks(i)))) {
                    ++line;
                    i = std::max(i, static_cast<int>(table[line].firstChar));
                    continue;
                }
                break;
            }
            while (i < length && IsBlank(t[i])) ++i;
            if (i < length && t[i] == 13) {
                const int at = FindLineAtPosition(i, table, s->lineCount);
                if (i == table[at].firstChar + table[at].charCount) ++i;
            }
            end->charIndex = std::min(i, length);
        }
    }
    if (start) ResolveTextPosition(s, start, start->charIndex, nullptr);
    if (end) ResolveTextPosition(s, end, end->charIndex, nullptr);
}

void InvertSelectionChange(TenState* s, const TextPos* position, BOOL highlight, BOOL replace)
{
    TextPos n = *position;
    auto invert = [&](const TextPos& a, const TextPos& b) {
        if (highlight) Invert(s, a, b);
    };
    if (s->selAnchor.charIndex == s->selStart.charIndex) {
        if (n.charIndex > s->selEnd.charIndex || replace) {
            invert(s->selEnd, n);
            s->selEnd = n;
        } else if (n.charIndex >= s->selAnchor.charIndex) {
            if (n.charIndex == s->selAnchor.charIndex) n = s->selAnchor;
            invert(n, s->selEnd);
            s->selEnd = n;
        } else {
            invert(s->selStart, s->selEnd);
            s->selEnd = s->selAnchor;
            s->selStart = n;
            invert(s->selStart, s->selEnd);
        }
    } else {
        if (n.charIndex < s->selStart.charIndex || replace) {
            invert(n, s->selStart);
            s->selStart = n;
        } else if (n.charIndex <= s->selAnchor.charIndex) {
            if (n.charIndex == s->selAnchor.charIndex) n = s->selAnchor;
            invert(s->selStart, n);
            s->selStart = n;
        } else {
            invert(s->selStart, s->selEnd);
            s->selStart = s->selAnchor;
            s->selEnd = n;
            invert(s->selStart, s->selEnd);
        }
    }
}

int NearestInLine(TenState* s, int line, int x, int* outX, int* outRun)
{
    *outX = 0;
    *outRun = -1;
    if (line < 0 || line >= s->lineCount || s->runCount <= 0) return 0;
    Locked<TextLine> lines(s->lines);
    Locked<TextRun> runs(s->runs);
    Locked<TextSegment> segments(s->segments);
    Locked<BYTE> formats(s->formats);
    Locked<char> text(s->text);
    if (!lines || !runs || !segments || !formats || !text) return 0;
    return XToPosition(s->referenceDC, FALSE, &lines.get()[line], runs.get(), s->runCount, segments.get(),
                       formats.get(), text.get(), x, outX, outRun);
}

int HitTestText(TenState* s, int x, int y, int* outLine, int* outRun, int* outCaretX)
{
    *outLine = 0;
    *outRun = 0;
    *outCaretX = 0;
    if (s->lineCount <= 0 || s->runCount <= 0) return 0;
    int line = 0;
    {
        Locked<TextLine> lines(s->lines);
        if (!lines) return 0;
        const TextLine& last = lines.get()[s->lineCount - 1];
        if (y >= last.y + last.height && y >= s->margins.top) {
            *outLine = s->lineCount - 1;
            *outRun = s->runCount - 1;
            *outCaretX = last.x + last.fullWidth;
            return s->textLength;
        }
        line = y < s->margins.top ? 0 : FindLineAtY(lines.get(), s->lineCount, y);
    }
    int run = -1;
    const int index = NearestInLine(s, line, x, outCaretX, &run);
    *outLine = line;
    if (run < 0) {
        Locked<TextRun> runs(s->runs);
        run = runs ? FindRunAtPosition(index, runs.get(), s->runCount) : 0;
    }
    *outRun = run;
    return index;
}

void SetTextFocus(HWND editor, BOOL on)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return;
    TenState* s = state.get();
    if (s->flags & TenFlagWordDrag) return;
    const bool active = (s->flags & TenFlagActive) != 0;
    const bool empty = s->selStart.charIndex == s->selEnd.charIndex;
    if (on) {
        if (!active) {
            s->flags |= TenFlagActive;
            if (empty) ShowTextCaret(editor, s);
            else Invert(s, s->selStart, s->selEnd);
            EnableWindow(editor, TRUE);
            if (GetFocus() != editor) SetFocus(editor);
        } else {
            if (!IsWindowEnabled(editor)) EnableWindow(editor, TRUE);
            if (GetFocus() != editor) SetFocus(editor);
        }
    } else if (active) {
        if (empty) HideTextCaret(editor);
        else Invert(s, s->selStart, s->selEnd);
        s->flags &= ~TenFlagActive;
    }
}

int TenKeyDown(HWND editor, int key)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 0;
    TenState* s = state.get();
    if (FieldMode(s) && key != VK_BACK && key != VK_DELETE) return 0;
    const bool whole = (s->options & TenOptWholeText) != 0;
    const bool singleLine = (s->options & TenOptSingleLine) && (!(s->options & TenOptWordWrap) || whole);
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (key) {
    case VK_BACK:
    case VK_DELETE:
        if (!whole) {
            state.Unlock();
            EditTextChar(editor, key, TenEditLayout | TenEditRepaint);
        }
        return 1;
    case VK_TAB:
        return 1;
    case VK_RETURN:
        if (!singleLine) return 1;
        {
            MSG pending;
            PeekMessageA(&pending, editor, WM_CHAR, WM_CHAR, PM_REMOVE);
        }
        return 0;
    case VK_HOME:
    case VK_END:
        if (!whole) MoveCaretByKey(editor, s, key == VK_HOME ? -32767 : 32767, ctrl ? -1 : 1, FALSE);
        return 1;
    case VK_LEFT:
    case VK_RIGHT:
        if (!whole) MoveCaretByKey(editor, s, key == VK_LEFT ? -1 : 1, 0, FALSE);
        return 1;
    case VK_UP:
    case VK_DOWN:
        if (singleLine) return 0;
        if (!whole) MoveCaretByKey(editor, s, 0, key == VK_UP ? -1 : 1, FALSE);
        return 1;
    case VK_F2:
    case VK_F3:
        if (!whole) {
            state.Unlock();
            TenWordStep(editor, key == VK_F2 ? -1 : 1);
        }
        return 1;
    case VK_OEM_MINUS:
        if (ctrl) {
            state.Unlock();
            SendMessageA(editor, WM_CHAR, 1, 0);
        }
        return 1;
    default:
        return 0;
    }
}

int TenChar(HWND editor, int character, LPARAM lParam)
{
    HGLOBAL handle = TenStateHandle(editor);
    Locked<TenState> state(handle);
    if (!state) return 0;
    TenState* s = state.get();
    int c = static_cast<BYTE>(character);
    const bool field = FieldMode(s);
    if (c == 0 || (c == 1 && lParam != 0) || c == 127) return 0;
    if (c == 1 || c == 2 || c == 9 || c == 13) {
        if (field) return 0;
    } else if (c == ' ') {
        if (GetKeyState(VK_CONTROL) < 0 && !field) c = 2;
    } else if (c < ' ') {
        return 0;
    }
    if (s->numericMode && c > ' ' && !FilterTakes(s->numericMode, &c)) {
        MessageBeep(static_cast<UINT>(-1));
        return 1;
    }
    const bool newStep = TypingStartsNewUndo(s);
    if (newStep)
        if (SaveTextUndo(editor, s, kUndoKindTyping)) return 1;
    const bool hadSelection = s->selStart.charIndex != s->selEnd.charIndex;
    const int firstLine = std::max<int>(s->selStart.lineIndex - 1, 0);
    int stopLine = s->selEnd.lineIndex + 1;
    const char ch = static_cast<char>(c);
    BOOL paragraphEnd = FALSE, refused = FALSE;
    int err = TenInsertPlainText(s, &ch, 1, &paragraphEnd, &refused, lParam);
    if (!err) {
        if (paragraphEnd) stopLine = PastParagraphEnd(s, stopLine);
        int end = 0, first = 0;
        err = LayoutLines(editor, handle, firstLine, stopLine, &end, &first);
        if (!err) {
            BOOL whole = FALSE;
            if (s->flags & (TenFlagGrowWidth | TenFlagGrowHeight)) {
                const DWORD change = AutoSizeTextWindow(editor, s);
                whole = change != 0;
                if (change > 0xFFFF) {
                    first = 0;
                    end = kLayoutToEnd;
                }
            }
            if (!refused)
                for (TextPos* p : {&s->selAnchor, &s->selStart, &s->selEnd})
                    p->charIndex = std::min<int>(p->charIndex + 1, s->textLength);
            RefreshSelectionEnds(editor, s);
            if (paragraphEnd) NotifyFormatChange(editor, s, 0);
            if (IsWindowVisible(editor)) {
                RedrawLines(editor, s, first, end, whole);
                ScrollCaretIntoView(editor, s, nullptr, &s->selStart, FALSE);
            }
        }
    }
    // A keystroke that joined a typing series and changed nothing keeps the series' snapshot:
    // putting it back would undo everything typed since the caret last moved.
    const bool changed = hadSelection || err != ErrTextTooLong;
    if (err && (newStep || changed)) {
        SwapTextUndo(s);
        RefreshSelectionEnds(editor, s);
        if (IsWindowVisible(editor)) RedrawLines(editor, s, 0, kLayoutToEnd, FALSE);
    }
    return 1;
}

int TenMouseDown(HWND editor, WPARAM keyFlags, POINT point, BOOL doublePress)
{
    if (GetFocus() != editor) SetTextFocus(editor, TRUE);
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 1;
    TenState* s = state.get();
    HWND parent = GetParent(editor);
    if (s->flags & TenFlagWordDrag) SendMessageA(parent, TenNoticeWordDrag, 0, 0);
    if (!(s->options & TenOptWholeText)) {
        const POINT at = ToLogical(s, point);
        int line = 0, run = 0, x = 0;
        const int index = HitTestText(s, at.x, at.y, &line, &run, &x);
        TextPos hit = PositionAt(s, index);
        HideTextCaret(editor);
        g_tenTracking = TRUE;
        SetCapture(editor);
        if (doublePress) s->flags |= TenFlagWordDrag;
        else s->flags &= ~TenFlagWordDrag;
        if (keyFlags & MK_SHIFT) {
            InvertSelectionChange(s, &hit, TRUE, FALSE);
        } else {
            Invert(s, s->selStart, s->selEnd);
            s->selAnchor = hit;
            s->selStart = s->selEnd = hit;
            if (doublePress) {
                TextPos end = hit;
                {
                    Locked<char> text(s->text);
                    if (text && GetDbcsMode() && index < s->textLength && IsDbcsLeadByteAt(text.get(), index))
                        end.charIndex = index + 1;
                }
                TextPos start = hit;
                ExpandToWordBoundaries(s, &start, &end, TRUE);
                s->selAnchor = s->selStart = s->selEnd = start;
                InvertSelectionChange(s, &end, TRUE, FALSE);
            }
        }
    }
    const bool selected = s->selStart.charIndex != s->selEnd.charIndex;
    if (doublePress && selected) s->options |= TenOptWordSelect;
    else s->options &= ~TenOptWordSelect;
    if (!doublePress) {
        POINT inParent = point;
        MapWindowPoints(editor, parent, &inParent, 1);
        PostMessageA(parent, TenNoticePress, keyFlags, MAKELPARAM(inParent.x, inParent.y));
    }
    return 1;
}

int TenMouseMove(HWND editor, WPARAM, POINT point)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state || !g_tenTracking) return 0;
    TenState* s = state.get();
    bool offer = false;
    if (FieldMode(s)) {
        RECT client;
        GetClientRect(editor, &client);
        InflateRect(&client, 10, 4);
        offer = !PtInRect(&client, point);
    }
    const POINT at = ToLogical(s, point);
    int line = 0, run = 0, x = 0;
    int index = HitTestText(s, at.x, at.y, &line, &run, &x);
    POINT screen = point;
    ClientToScreen(editor, &screen);
    const bool lastRow = screen.y >= GetSystemMetrics(SM_CYSCREEN) - 1;
    TextPos hit = PositionAt(s, index);
    if (s->flags & TenFlagWordDrag) {
        const bool anchorAtStart = s->selAnchor.charIndex == s->selStart.charIndex;
        if (hit.charIndex < s->selAnchor.charIndex && anchorAtStart) {
            TextPos end = s->selAnchor;
            ExpandToWordBoundaries(s, nullptr, &end, TRUE);
            Invert(s, s->selStart, s->selEnd);
            s->selEnd = s->selAnchor = end;
            Invert(s, s->selStart, s->selEnd);
            ExpandToWordBoundaries(s, &hit, nullptr, TRUE);
        } else if (hit.charIndex >= s->selAnchor.charIndex && !anchorAtStart) {
            int before = 0;
            {
                Locked<char> text(s->text);
                CharBeforePosition(text.get(), nullptr, 0, s->selAnchor.charIndex, &before);
            }
            TextPos start = PositionAt(s, before);
            ExpandToWordBoundaries(s, &start, nullptr, TRUE);
            Invert(s, s->selStart, s->selEnd);
            s->selStart = s->selAnchor = start;
            Invert(s, s->selStart, s->selEnd);
            ExpandToWordBoundaries(s, nullptr, &hit, TRUE);
        } else if (hit.charIndex >= s->selAnchor.charIndex) {
            ExpandToWordBoundaries(s, nullptr, &hit, TRUE);
        } else {
            ExpandToWordBoundaries(s, &hit, nullptr, TRUE);
        }
    }
    if (hit.charIndex != ActiveEnd(s)->charIndex) {
        InvertSelectionChange(s, &hit, TRUE, FALSE);
        ScrollCaretIntoView(editor, s, nullptr, ActiveEnd(s), lastRow);
    } else if (lastRow) {
        ScrollCaretIntoView(editor, s, nullptr, ActiveEnd(s), TRUE);
    }
    if (!offer) return 0;
    POINT inParent = point;
    HWND parent = GetParent(editor);
    MapWindowPoints(editor, parent, &inParent, 1);
    state.Unlock();
    const LRESULT taken = SendMessageA(parent, TenNoticeDragOut, 0, MAKELPARAM(inParent.x, inParent.y));
    if (taken) g_tenTracking = FALSE;
    return static_cast<int>(taken);
}

int TenMouseUp(HWND editor, WPARAM, POINT)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 0;
    TenState* s = state.get();
    if (s->selStart.charIndex == s->selEnd.charIndex) ShowTextCaret(editor, s);
    NotifyFormatChange(editor, s, 0);
    s->flags &= ~TenFlagWordDrag;
    g_tenTracking = FALSE;
    ReleaseCapture();
    ScrollCaretIntoView(editor, s, nullptr, ActiveEnd(s), FALSE);
    if (s->undoKind) SaveTextUndo(editor, s, 0);
    return 0;
}

int TenWordStep(HWND editor, int direction)
{
    Locked<TenState> state(TenStateHandle(editor));
    if (!state) return 0;
    TenState* s = state.get();
    const bool field = FieldMode(s);
    if (s->selStart.charIndex != s->selEnd.charIndex) {
        Invert(s, s->selStart, s->selEnd);
        const TextPos to = direction < 0 ? s->selStart : s->selEnd;
        s->selStart = s->selEnd = s->selAnchor = to;
    }
    auto charAt = [&](int i) -> int {
        Locked<BYTE> text(s->text);
        return text && i >= 0 && i < s->textLength ? text.get()[i] : 0;
    };
    const int caret = s->selStart.charIndex;
    const bool atWordStart = caret < s->textLength && !IsWordBreakChar(charAt(caret), field) &&
                             (caret == 0 || IsWordBreakChar(charAt(caret - 1), field));
    if (direction < 0 || !atWordStart) {
        MoveCaretByKey(editor, s, direction < 0 ? -1 : 1, 0, TRUE);
        for (int guard = 0; guard < s->textLength && charAt(s->selStart.charIndex) == 13 &&
                            s->selStart.charIndex < s->textLength;
             ++guard) {
            const int before = s->selStart.charIndex;
            MoveCaretByKey(editor, s, direction < 0 ? -1 : 1, 0, TRUE);
            if (s->selStart.charIndex == before) break;
        }
    }
    HideTextCaret(editor);
    if (s->selStart.charIndex != s->selEnd.charIndex) {
        Invert(s, s->selStart, s->selEnd);
        s->selEnd = s->selAnchor = s->selStart;
    }
    const int start = s->selStart.charIndex;
    TextPos end = s->selStart;
    ExpandToWordBoundaries(s, nullptr, &end, TRUE);
    if (end.charIndex <= start && start < s->textLength) end = PositionAt(s, start + 1);
    s->selAnchor = s->selStart;
    s->selEnd = end;
    Invert(s, s->selStart, s->selEnd);
    if (s->selEnd.charIndex > s->selStart.charIndex) s->options |= TenOptWordSelect;
    NotifyFormatChange(editor, s, 0);
    ScrollCaretIntoView(editor, s, nullptr, nullptr, FALSE);
    return 0;
}

int TenPlaceCaret(HWND editor)
{
    int index = 0;
    {
        Locked<TenState> state(TenStateHandle(editor));
        if (!state) return 0;
        TenState* s = state.get();
        if (s->lineCount <= 0) return 0;
        int line = 0;
        {
            Locked<TextLine> lines(s->lines);
            if (!lines) return 0;
            line = FindLineAtY(lines.get(), s->lineCount, s->visible.top);
        }
        const int x = s->selStart.charIndex == s->selEnd.charIndex ? s->selStart.x : 0;
        int caretX = 0, run = 0;
        index = NearestInLine(s, line, x, &caretX, &run);
    }
    SendMessageA(editor, TEN_SETSELECTION, TenEditRepaint, MAKELPARAM(index, index));
    return 0;
}
