// Caret movement by keys: the moving end of the selection goes by characters, words or lines,
// wraps between laid-out lines and stops at paragraph ends.
#include "text/text_caret.h"

#include <algorithm>

#include "model/drawing.h"
#include "text/text_edit.h"
#include "text/text_engine.h"
#include "text/text_keys.h"
#include "text/text_measure.h"
#include "text/text_undo.h"
#include "text/text_view.h"

namespace {

bool IsBlank(int c)
{
    return c == ' ' || c == 9 || c == 2;
}

int CharAt(const TenState* s, int index)
{
    if (index < 0 || index >= s->textLength) return 0;
    Locked<BYTE> text(s->text);
    return text ? text.get()[index] : 0;
}

struct LineSpan {
    int first;
    int end;
};

LineSpan SpanOf(const TenState* s, int line)
{
    Locked<TextLine> lines(s->lines);
    if (!lines || s->lineCount <= 0) return {0, static_cast<int>(s->textLength)};
    const TextLine& l = lines.get()[std::clamp(line, 0, s->lineCount - 1)];
    return {l.firstChar, l.firstChar + l.charCount};
}

}  // namespace

int IsWordBreakChar(int character, BOOL fieldMode)
{
    const BYTE c = static_cast<BYTE>(character);
    if (c == 1 || c == 39) return 0;
    if (c == 46) return fieldMode ? 0 : 1;
    if (c >= 0xD2 && c <= 0xD4) return 1;
    return IsCharAlphaNumericA(static_cast<CHAR>(c)) ? 0 : 1;
}

int MoveCaretByKey(HWND editor, TenState* s, int charStep, int lineStep, BOOL wordFlag)
{
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    bool word = wordFlag || GetKeyState(VK_CONTROL) < 0;
    const bool hadSelection = s->selStart.charIndex != s->selEnd.charIndex;
    const int length = s->textLength;
    TextPos* moving = &s->selStart;
    bool collapsed = false;
    if (hadSelection && !shift) {
        if (s->windowDC) InvertSelection(s->windowDC, s, &s->selStart, &s->selEnd);
        const TextPos to = (charStep <= 0 && lineStep <= 0) ? s->selStart : s->selEnd;
        s->selStart = s->selEnd = s->selAnchor = to;
        collapsed = true;
    } else if (shift) {
        moving = s->selAnchor.charIndex == s->selStart.charIndex ? &s->selEnd : &s->selStart;
    }
    const bool extendingEnd = shift && moving == &s->selEnd;
    int index = moving->charIndex;
    int line = std::clamp<int>(moving->lineIndex, 0, std::max(s->lineCount - 1, 0));
    int run = -1;
    if (charStep == 0 && lineStep != 0) {
        // Up and Down keep the caret's x on the neighbouring line.
        if (!collapsed) {
            const int target = std::clamp(line + lineStep, 0, std::max(s->lineCount - 1, 0));
            if (target == line) return 0;
            line = target;
            int x = 0;
            index = NearestInLine(s, line, moving->x, &x, &run);
        }
        word = false;
    } else if (charStep != 0 && lineStep != 0) {
        const bool home = charStep < 0;
        if (lineStep > 0) {
            const LineSpan span = SpanOf(s, line);
            index = home ? span.first : span.end;
        } else {
            line = home ? 0 : std::max(s->lineCount - 1, 0);
            index = home ? 0 : length;
        }
        word = false;
    } else if (!collapsed) {
        const bool left = charStep < 0;
        bool paragraphEnd = false;
        if (!hadSelection || shift) {
            const int moved = std::clamp(index + charStep, 0, length);
            if (moved == index) return 0;   // stopped at the text's start or end
            index = moved;
            if (GetDbcsMode()) {
                Locked<char> text(s->text);
                if (text) index = SnapToCharBoundary(text.get(), 0, index, length, left);
            }
        }
        if (!word) {
            if (left) paragraphEnd = CharAt(s, index) == 13;
            else {
                int before = 0;
                Locked<char> text(s->text);
                const int c = text ? CharBeforePosition(text.get(), nullptr, 0, index, &before) : 0;
                paragraphEnd = c == 13 && index != 0 && index != length;
            }
        } else if (left) {
            TextPos copy = *moving;
            ResolveTextPosition(s, &copy, index, nullptr);
            ExpandToWordBoundaries(s, &copy, nullptr, TRUE);
            if (CharAt(s, copy.charIndex) == 13) paragraphEnd = true;
            index = copy.charIndex;
            line = copy.lineIndex;
            run = copy.runIndex;
            word = false;
        } else {
            if (index > 0 && IsBlank(CharAt(s, index - 1))) --index;
            TextPos copy = *moving;
            ResolveTextPosition(s, &copy, index, nullptr);
            ExpandToWordBoundaries(s, nullptr, &copy, TRUE);
            if (copy.charIndex > 0 && CharAt(s, copy.charIndex - 1) == 13) paragraphEnd = true;
            if (copy.charIndex > index || !shift || paragraphEnd) {
                index = copy.charIndex;
                line = copy.lineIndex;
                run = copy.runIndex;
                word = false;
            }
        }
        // Crossing into the neighbouring laid-out line.
        const LineSpan span = SpanOf(s, line);
        if (index < span.first) {
            if (line == 0) return 0;
            --line;
            index = std::min(index, SpanOf(s, line).end);
            if (index > 0 && (IsBlank(CharAt(s, index - 1)) || (shift && !paragraphEnd))) --index;
            run = -1;
        } else if (index > span.end ||
                   (index == span.end && CharAt(s, index) != 13 && !(extendingEnd && !left) && index < length)) {
            if (line + 1 >= s->lineCount) {
                if (index > span.end) return 0;
            } else {
                ++line;
                const int next = SpanOf(s, line).first;
                index = (extendingEnd && !left && !paragraphEnd && next < length && index > span.end) ? next + 1 : next;
                run = -1;
            }
        }
    }
    // Finishing: the new position, the anchor and the highlight.
    TextPos position = *moving;
    position.charIndex = std::clamp(index, 0, length);
    position.lineIndex = line;
    {
        Locked<TextLine> lines(s->lines);
        Locked<TextRun> runs(s->runs);
        Locked<char> text(s->text);
        if (lines && runs && text && s->lineCount > 0) {
            position.atLineStart = position.charIndex == lines.get()[line].firstChar ? 1 : 0;
            int found = 0;
            position.x = PositionToX(s, line, runs.get(), text.get(), position.charIndex, &found);
            position.runIndex = run >= 0 ? run : found;
        }
    }
    if (word) {
        if (charStep < 0) ExpandToWordBoundaries(s, &position, nullptr, TRUE);
        else ExpandToWordBoundaries(s, nullptr, &position, TRUE);
    }
    HideTextCaret(editor);
    if (!shift) s->selAnchor = position;
    if (s->selAnchor.charIndex == position.charIndex) {
        if (hadSelection && shift && s->windowDC) InvertSelection(s->windowDC, s, &s->selStart, &s->selEnd);
        s->selAnchor = s->selStart = s->selEnd = position;
        ShowTextCaret(editor, s);
    } else {
        InvertSelectionChange(s, &position, TRUE, FALSE);
    }
    NotifyFormatChange(editor, s, 0);
    ScrollCaretIntoView(editor, s, nullptr, &position, FALSE);
    if (s->undoKind) SaveTextUndo(editor, s, 0);
    if (wordFlag && s->selEnd.charIndex > s->selStart.charIndex) s->options |= TenOptWordSelect;
    else s->options &= ~TenOptWordSelect;
    return 0;
}
