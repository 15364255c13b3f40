// The editor's view of its laid-out text.
#include "text/text_view.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "model/device_units.h"
#include "model/drawing.h"
#include "model/window_utils.h"
#include "text/font_list.h"
#include "text/ten_messages.h"
#include "text/text_engine.h"
#include "text/text_measure.h"
#include "text/text_paint.h"
#include "text/text_render.h"
#include "text/text_runs.h"

int g_reportedSelection = 0;
int g_reportedScriptSummary = -9;

namespace {

constexpr COLORREF kBandGrey = RGB(192, 192, 192);

int Percent(const TenState* state, int percent)
{
    return state->baseUnit * percent / 100;
}

}  // namespace

DWORD AutoSizeTextWindow(HWND editor, TenState* state)
{
    if (state->lineCount <= 0) return 0;
    const int pad = state->margins.right >= Percent(state, 2) ? 0 : Percent(state, 2);
    int dw = 0, dh = 0, refit = 0;
    {
        Locked<TextLine> lines(state->lines);
        if (!lines) return 0;
        const TextLine* table = lines.get();
        const bool wraps = (state->options & TenOptWordWrap) && !(state->options & TenOptWholeText);
        if (!wraps && (state->flags & TenFlagGrowWidth) && state->width != 32000) {
            int widest = 0;
            for (int i = 0; i < state->lineCount; ++i) widest = std::max(widest, table[i].fullWidth + pad);
            const int needed = widest + state->margins.left + state->margins.right;
            if (needed > state->width) {
                if (needed < state->maxWidth) {
                    dw = needed + state->widthStep - state->width;
                } else {
                    state->options |= TenOptWordWrap;
                    dw = std::max(state->maxWidth - state->width, 1);
                    state->flags |= TenFlagLayoutPending;
                }
            } else if (needed < state->width - state->widthStep && !(state->options & TenOptNoShrink)) {
                dw = std::max(needed, state->minWidth) - state->width;
            }
        }
        if ((state->flags & TenFlagGrowHeight) && state->height != 32000) {
            const TextLine& last = table[state->lineCount - 1];
            const int needed = last.y + last.height + state->margins.bottom - (table[0].y - state->margins.top);
            if (needed > state->height) {
                dh = std::min(needed, state->maxHeight) - state->height;
                if (dh > 0 && state->heightStep != 0 && dh < state->heightStep) dh = state->heightStep;
            } else if (needed < state->height) {
                dh = std::max(needed, state->minHeight) - state->height;
                if (!(state->flags & TenFlagRefitOnHeight) && state->heightStep != 0 && -dh < state->heightStep)
                    dh = 0;
            }
            if ((state->flags & TenFlagRefitOnHeight) && dh != 0) {
                if (needed == state->fittedHeight && needed > state->minHeight) {
                    dh = 0;
                } else {
                    lines.Unlock();
                    int w = 0, h = 0;
                    if (FitTextToBox(editor, GlobalHandle(state), dh, &w, &h, TRUE) == 0) {
                        dw = w - state->width;
                        dh = h - state->height;
                    }
                    state->flags |= TenFlagLayoutPending;
                    refit = 1;
                }
            }
        }
    }
    if (dw == 0 && dh == 0) return 0;
    ResizeTextWindow(editor, state, state->width + dw, state->height + dh);
    return (static_cast<DWORD>((dw | refit) & 0xFFFF) << 16) | static_cast<DWORD>((dh | refit) & 0xFFFF);
}

int ResizeTextWindow(HWND editor, TenState* state, int width, int height)
{
    HWND parent = GetParent(editor);
    INT32 pair[2] = {width, height};
    if (parent && !SendMessageA(parent, TenNoticeResize, reinterpret_cast<WPARAM>(editor),
                                reinterpret_cast<LPARAM>(pair)))
        return 0;
    RECT window;
    GetWindowRect(editor, &window);
    POINT topLeft{window.left, window.top};
    if (parent) ScreenToClient(parent, &topLeft);
    RECT client;
    GetClientRect(editor, &client);
    // The editor's device context carries the same mapping as its parent view.
    SIZE device{pair[0], pair[1]};
    if (state->windowDC) LogicalToDeviceSize(state->windowDC, &device);
    if (parent) {
        if (device.cy < client.bottom) {
            RECT strip{topLeft.x, topLeft.y + device.cy, topLeft.x + client.right, topLeft.y + client.bottom};
            InvalidateRect(parent, &strip, TRUE);
        }
        if (device.cx < client.right) {
            RECT strip{topLeft.x + device.cx, topLeft.y, topLeft.x + client.right, topLeft.y + client.bottom};
            InvalidateRect(parent, &strip, TRUE);
        }
    }
    SetWindowPos(editor, nullptr, topLeft.x, topLeft.y, device.cx, device.cy,
                 SWP_NOZORDER | SWP_NOREDRAW | SWP_NOMOVE | SWP_NOACTIVATE);
    state->width = pair[0];
    state->height = pair[1];
    return pair[1];
}

void DrawRegionSeparator(TenState* state, HDC dc, int band, int y, int width)
{
    RECT bar{0, y, width, y + g_bandGap};
    HBRUSH brush = CreateSolidBrush(band >= 0 ? kBandGrey : RGB(0, 0, 0));
    FillRect(dc, &bar, brush);
    DeleteObject(brush);
    if (band < 0) {
        state->separatorBottom = bar.bottom;
        return;
    }
    // The label texts are not in the string table: the bar shows the band's number only.
    char label[16];
    const int n = std::snprintf(label, sizeof(label), "%d", band + 2);
    SIZE extent{};
    GetTextExtentPoint32A(dc, label, n, &extent);
    const int x = std::max(4, static_cast<int>((width - extent.cx) / 2));
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, x, y + 1 + g_labelAscent, label, n);
}

void InvertSelection(HDC dc, TenState* state, const TextPos* from, const TextPos* to)
{
    if (state->lineCount <= 0) return;
    Locked<TextLine> lines(state->lines);
    Locked<char> text(state->text);
    if (!lines || !text) return;
    const TextLine* table = lines.get();
    const int count = state->lineCount;
    const int first = std::clamp<int>(from->lineIndex, 0, count - 1);
    const int last = std::clamp<int>(to->lineIndex, first, count - 1);
    const int paragraphPad = Percent(state, 5);
    SaveDC(dc);
    IntersectClipRect(dc, state->margins.left, state->margins.top, state->width - state->margins.right,
                      state->height - state->margins.bottom);
    for (int i = first; i <= last; ++i) {
        const TextLine& line = table[i];
        const int top = line.y;
        const int bottom = (i + 1 < count && !(table[i + 1].flags & TextLineFirstOfBand)) ? table[i + 1].y
                                                                                         : line.y + line.height;
        int left = line.x, right = line.x + line.extent;
        bool toLineEnd = true;
        if (i == first) left = from->x;
        if (i == last) {
            if (i != first && to->x <= line.x) continue;
            right = to->x;
            toLineEnd = false;
        }
        const int next = i + 1 < count ? table[i + 1].firstChar : state->textLength;
        if (toLineEnd && next > 0 && next <= state->textLength && text.get()[next - 1] == 13)
            right += paragraphPad;
        if (right > left) PatBlt(dc, left, top, right - left, bottom - top, DSTINVERT);
    }
    RestoreDC(dc, -1);
}

void ShowTextCaret(HWND editor, TenState* state)
{
    DestroyCaret();
    int top = 0, height = 0;
    if (state->lineCount > 0) {
        Locked<TextLine> lines(state->lines);
        if (lines) {
            const TextLine& line = lines.get()[std::clamp<int>(state->selStart.lineIndex, 0, state->lineCount - 1)];
            top = line.y;
            height = line.height;
        }
    }
    state->caretX = state->selStart.x;
    state->caretY = top;
    state->caretHeight = height;
    SIZE size{Percent(state, 2), height};
    POINT at{state->caretX, top};
    if (state->windowDC) {
        LogicalToDeviceSize(state->windowDC, &size);
        LPtoDP(state->windowDC, &at, 1);
    }
    CreateCaret(editor, nullptr, std::max<int>(1, std::abs(size.cx)), std::max<int>(1, std::abs(size.cy)));
    SetCaretPos(at.x, at.y);
    ShowCaret(editor);
    state->caretShown = 1;
}

void HideTextCaret(HWND)
{
    DestroyCaret();
}

void ResolveTextPosition(TenState* state, TextPos* position, int index, int* outRun)
{
    position->charIndex = index;
    position->lineIndex = 0;
    position->runIndex = 0;
    position->x = 0;
    position->atLineStart = 1;
    if (state->lineCount <= 0 || state->runCount <= 0) {
        if (outRun) *outRun = 0;
        return;
    }
    Locked<TextLine> lines(state->lines);
    Locked<TextRun> runs(state->runs);
    Locked<char> text(state->text);
    if (!lines || !runs || !text) return;
    const int line = FindLineAtPosition(index, lines.get(), state->lineCount);
    position->lineIndex = line;
    position->atLineStart = index == lines.get()[line].firstChar ? 1 : 0;
    int run = 0;
    position->x = PositionToX(state, line, runs.get(), text.get(), index, &run);
    position->runIndex = run;
    if (outRun) *outRun = run;
}

void RefreshSelectionEnds(HWND editor, TenState* state)
{
    const bool anchorAtStart = state->selAnchor.charIndex == state->selStart.charIndex;
    ResolveTextPosition(state, &state->selStart, state->selStart.charIndex, nullptr);
    ResolveTextPosition(state, &state->selEnd, state->selEnd.charIndex, nullptr);
    state->selAnchor = anchorAtStart ? state->selStart : state->selEnd;
    if (editor && state->selStart.charIndex == state->selEnd.charIndex && (state->flags & TenFlagActive))
        ShowTextCaret(editor, state);
}

void RenderEditorLines(TenState* state, HDC dc, int first, int end)
{
    Locked<TextLine> lines(state->lines);
    Locked<TextRun> runs(state->runs);
    Locked<char> text(state->text);
    Locked<BYTE> formats(state->formats);
    Locked<TextSegment> segments(state->segments);
    if (!lines || !runs || !text || !formats || !segments) return;
    TextRenderArgs args;
    args.dc = dc;
    args.measureDC = state->referenceDC ? state->referenceDC : dc;
    args.fitMode = state->zoom != 0 && state->zoom != 1000;
    args.fontList = state->fontList;
    args.fontMap = state->fontMap;
    args.lines = lines.get();
    args.runs = runs.get();
    args.text = text.get();
    args.formats = FormatTableEntries(formats.get());
    args.formatCount = FormatTableCount(formats.get());
    args.segments = segments.get();
    args.runCount = state->runCount;
    args.lineCount = state->lineCount;
    args.textLength = state->textLength;
    args.firstLine = first;
    args.endLine = end;
    args.greyHighlight = TRUE;
    args.baseUnit = state->baseUnit;
    if (state->effect.kind != 0) RenderTextWithEffect(args, state->effect);
    else RenderTextLines(args);
}

void RedrawLines(HWND editor, TenState* state, int first, int end, BOOL wholeWindow)
{
    if (!state->memoryDC || end == 0 || IsRectEmpty(&state->visible) || state->lineCount <= 0) return;
    if (state->flags & TenFlagRepaintAll) wholeWindow = TRUE;
    const int count = state->lineCount;
    end = std::min(end, count);
    first = std::clamp(first, 0, count - 1);
    if (end <= first) return;
    const bool wantedLast = end == count;
    int strip[2];   // top, bottom
    int textBottom;
    {
        Locked<TextLine> lines(state->lines);
        Locked<TextRun> runs(state->runs);
        if (!lines || !runs) return;
        const TextLine* table = lines.get();
        const RECT& visible = state->visible;
        if (first + 1 < count && table[first + 1].y < visible.top)
            first = std::min(FindLineAtY(table, count, visible.top), end - 1);
        bool cut = false;
        if (visible.bottom < table[end - 1].y && !(table[end - 1].flags & TextLinePushedToBand)) {
            const int at = FindLineAtY(table, count, visible.bottom);
            int newEnd = at + 1;
            if ((table[at].flags & TextLinePushedToBand) && at + 1 < count) newEnd = at + 2;
            newEnd = std::min(newEnd, count);
            if (newEnd > first && newEnd < end) {
                end = newEnd;
                cut = true;
            }
        }
        const TextLine& head = table[first];
        const int headRun = std::clamp<int>(head.firstRun, 0, state->runCount - 1);
        int top;
        if (runs.get()[headRun].runFlags & 4) {
            if (wholeWindow) top = 0;
            else if (first == 0) top = state->margins.top;
            else top = (table[first - 1].flags & TextLineEndsParagraph) ? table[first - 1].y : head.y;
        } else {
            top = head.y;
            if (first == 0 && state->verticalAlign != 0) top = state->margins.top;
            if (first == 0 && wholeWindow) top = 0;
        }
        top = std::max(top, static_cast<int>(visible.top));
        const int rangeBottom = table[end - 1].y + table[end - 1].height;
        int bottom = rangeBottom;
        if (end < count && !(table[end].flags & TextLineFirstOfBand)) bottom = std::max(table[end].y, rangeBottom);
        textBottom = bottom;
        if (end == count) {
            bottom = std::max(bottom, state->paintedBottom);
            if (wholeWindow) bottom = std::max(bottom, state->height);
            if (!state->ownerPaint) bottom += Percent(state, 1) + Percent(state, 2);
            if (state->bandCount > 0) bottom = std::max(bottom, state->separatorBottom);
        }
        if (wantedLast) state->paintedBottom = cut ? rangeBottom : textBottom;
        strip[0] = top;
        strip[1] = bottom;
    }
    HDC dc = state->memoryDC;
    SetWindowOrgEx(dc, 0, strip[0], nullptr);
    SaveDC(dc);
    IntersectClipRect(dc, 0, strip[0], state->width, strip[1]);
    if (state->palette) {
        SelectPalette(dc, state->palette, FALSE);
        RealizePalette(dc);
    }
    if (!(wholeWindow && state->ownerPaint && state->ownerRow >= 0)) {
        RECT fill{0, strip[0], state->width, strip[1]};
        HBRUSH brush = CreateSolidBrush(MapColorForDevice(dc, state->background, FALSE));
        FillRect(dc, &fill, brush);
        DeleteObject(brush);
    }
    if (wholeWindow && state->ownerPaint) {
        state->ownerPaint(editor, dc, state);
        IntersectClipRect(dc, state->margins.left, state->margins.top, state->width - state->margins.right,
                          state->height - state->margins.bottom);
    }
    RenderEditorLines(state, dc, first, end);
    if (state->bandCount > 0 && state->bands) {
        Locked<TextRegion> bands(state->bands);
        if (bands) {
            HGDIOBJ oldFont = g_labelFont ? SelectObject(dc, g_labelFont) : nullptr;
            for (int b = 0; b + 1 < state->bandCount; ++b) {
                const int y = bands.get()[b].filledTo;
                if (y + g_bandGap + 50 >= strip[0] && y < strip[1]) DrawRegionSeparator(state, dc, b, y, state->width);
            }
            const int y = bands.get()[state->bandCount - 1].filledTo;
            if (y >= strip[0] && y < strip[1]) DrawRegionSeparator(state, dc, -1, y, state->width);
            if (oldFont) SelectObject(dc, oldFont);
        }
    }
    RestoreDC(dc, -1);
    if ((state->flags & TenFlagActive) && state->selStart.charIndex != state->selEnd.charIndex)
        InvertSelection(dc, state, &state->selStart, &state->selEnd);
    HideCaret(editor);
    int left = state->margins.left, right = state->width - state->margins.right;
    int top = strip[0], bottom = strip[1];
    if (wholeWindow) {
        left = 0;
        right = state->width;
        if (first == 0) top = 0;
        if (end == count) bottom = std::max(bottom, state->height);
    }
    if (state->windowDC)
        BitBlt(state->windowDC, left, top, right - left, bottom - top, dc, left, top, SRCCOPY);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    ShowCaret(editor);
}

DWORD ScrollCaretIntoView(HWND editor, TenState* state, const TextLine* lines, const TextPos* position,
                          BOOL step)
{
    if (state->lineCount <= 0) return 0;
    Locked<TextLine> own(lines ? nullptr : state->lines);
    if (!lines) lines = own.get();
    if (!lines) return 0;
    const int pad = Percent(state, 10);
    const int count = state->lineCount;
    auto lineOf = [&](int index) -> const TextLine& { return lines[std::clamp(index, 0, count - 1)]; };
    RECT target;
    int reference = 0;
    if (position) {
        int x = position->x;
        if (x >= state->width) x = state->width - 2;
        int top = lineOf(position->lineIndex).y;
        int bottom = top + lineOf(position->lineIndex).height;
        if (top >= state->height - 1) top = state->height - 2;
        if (bottom >= state->height - 1) bottom = state->height - 2;
        SetRect(&target, x, top, x + 1, bottom);
    } else {
        const TextLine& a = lineOf(state->selStart.lineIndex);
        const TextLine& b = lineOf(state->selEnd.lineIndex);
        SetRect(&target, std::min(state->selStart.x, state->selEnd.x + 1), a.y,
                std::max(state->selStart.x, state->selEnd.x + 1), b.y + b.height);
        reference = state->selStart.x;
    }
    const RECT& visible = state->visible;
    int h = 0, v = 0;
    if (target.left >= visible.left && target.right <= visible.right && target.top >= visible.top &&
        target.bottom <= visible.bottom) {
        if (!step) return 0;
        if (state->selEnd.lineIndex != count - 1) v = -lines[0].height;
    } else {
        if (visible.left != target.left && target.left < visible.left + pad + reference) {
            h = visible.left + reference - target.left;
            if (h) h += pad;
        }
        if (visible.right != target.right && target.right > visible.right - pad) {
            h = visible.right - target.right;
            if (h) h -= pad;
        }
        if (target.bottom > visible.bottom) {
            v = visible.bottom - target.bottom;
            OffsetRect(&target, 0, v);
        }
        if (target.top < visible.top) v = visible.top - target.top + 4;
        if (step) v = std::min(v, -lines[0].height);
    }
    SIZE device{std::abs(h), std::abs(v)};
    if (state->windowDC) LogicalToDeviceSize(state->windowDC, &device);
    h = h < 0 ? -std::abs(static_cast<int>(device.cx)) : std::abs(static_cast<int>(device.cx));
    v = v < 0 ? -std::abs(static_cast<int>(device.cy)) : std::abs(static_cast<int>(device.cy));
    if (state->flags & TenFlagNoHScroll) h = 0;
    if (state->flags & TenFlagNoVScroll) v = 0;
    HWND parent = GetParent(editor);
    auto scroll = [&](int* amount, int bar, UINT message, int lower) {
        if (*amount == 0 || !parent) return;
        if (!(state->flags & TenFlagFieldMode)) {
            int minimum = 0, maximum = 0;
            GetScrollRangeCompat(parent, bar, &minimum, &maximum);
            const int now = GetScrollPos(parent, bar);
            const int wanted = std::clamp(now - *amount, lower, std::max(lower, maximum));
            *amount = now - wanted;
            if (*amount == 0) return;
        }
        SendMessageA(parent, message, MAKEWPARAM(kTenScrollBy, static_cast<WORD>(static_cast<SHORT>(-*amount))), 0);
    };
    SIZE margin{std::max(0, static_cast<int>(state->margins.left) - pad), 0};
    if (state->windowDC) LogicalToDeviceSize(state->windowDC, &margin);
    scroll(&h, SB_HORZ, WM_HSCROLL, std::max(0, static_cast<int>(margin.cx)));
    scroll(&v, SB_VERT, WM_VSCROLL, 0);
    return MAKELONG(static_cast<WORD>(-h), static_cast<WORD>(-v));
}

void NotifyFormatChange(HWND editor, TenState* state, UINT flags)
{
    if (state->runCount <= 0) return;
    Locked<TextRun> runs(state->runs);
    Locked<char> text(state->text);
    if (!runs || !text) return;
    const TextRun* table = runs.get();
    HWND parent = editor ? GetParent(editor) : nullptr;
    const int last = state->runCount - 1;
    int reference = std::clamp<int>(state->selStart.runIndex, 0, last);
    const bool empty = state->selStart.charIndex == state->selEnd.charIndex;
    int andStyle = 0, orStyle = 0, summary = 0;
    if (empty) {
        if (g_reportedSelection != 0) {
            g_reportedSelection = 0;
            if (parent) PostMessageA(parent, TenNoticeSelection, 0, 0);
        }
        const int at = state->selStart.charIndex;
        if (reference > 0 && at == table[reference].firstChar && at > 0 && at <= state->textLength &&
            text.get()[at - 1] != 13 && !IsSymbolRun(&table[reference - 1]))
            --reference;
    } else {
        if (g_reportedSelection != 1) {
            g_reportedSelection = 1;
            if (parent) PostMessageA(parent, TenNoticeSelection, 1, 0);
        }
        int end = std::clamp<int>(state->selEnd.runIndex, reference, last);
        if (end > reference && table[end].firstChar == state->selEnd.charIndex) --end;
        andStyle = -1;
        bool super = false, sub = false, normal = false;
        for (int r = reference; r <= end; ++r) {
            andStyle &= table[r].style;
            orStyle |= table[r].style;
            if (table[r].script > 0) super = true;
            else if (table[r].script < 0) sub = true;
            else normal = true;
        }
        if (super && sub) summary = -5;
        else if (sub) summary = normal ? -2 : -1;
        else if (super) summary = normal ? -3 : 1;
    }
    const bool update = !(flags & TenNotifyKeepTyping);
    bool all = (flags & TenNotifyAll) != 0;
    if (reference != state->typingRun) {
        if (update) state->typingRun = reference;
        all = true;
    }
    const TextRun& run = table[reference];
    TextRun& typing = state->typingFormat;
    UINT maskA = 0, maskB = 0;
    if (all || run.face != typing.face) {
        if (update) {
            typing.face = run.face;
            SetSymbolRunFlag(state, &typing);
        }
        maskA |= 4;
    }
    if (all || run.paragraphFormat != typing.paragraphFormat) {
        if (update) typing.paragraphFormat = run.paragraphFormat;
        maskB |= 0x80;
    }
    const bool scriptChanged = all || run.script != typing.script;
    if (scriptChanged && update) typing.script = run.script;
    if (empty) summary = typing.script;
    if (scriptChanged || summary != g_reportedScriptSummary) maskB |= 0x40;
    if (all || run.runFlags != typing.runFlags || run.attribute != typing.attribute) {
        if (update) {
            typing.runFlags = run.runFlags;
            typing.attribute = run.attribute;
        }
        maskB |= 0x100;
    }
    if (all || run.size != typing.size) {
        if (update) {
            typing.size = run.size;
            typing.nominalSize = run.nominalSize;
        }
        maskB |= 8;
    }
    if (all || run.style != typing.style || andStyle != orStyle) {
        if (update) typing.style = run.style;
        maskA |= 0x10;
    }
    if (update) typing.color = run.color;
    if (maskB & 0x40) g_reportedScriptSummary = summary;
    if ((flags & TenNotifyQuiet) || !parent) return;
    if (maskA) {
        int face = 0;
        if (Locked<FontMapHead> map(state->fontMap); map) face = TranslateFontSlot(map.get(), typing.face);
        const LPARAM value = (typing.style & 0xFF) | (((andStyle ^ orStyle) & 0xFF) << 8) |
                             (static_cast<LPARAM>(face & 0xFFFF) << 16);
        PostMessageA(parent, TenNoticeFaceStyle, maskA, value);
    }
    if (maskB) {
        const int flagsByte = (typing.runFlags & 0x7F) | (typing.attribute ? 0x80 : 0);
        const LPARAM value = flagsByte | ((typing.size & 0xFF) << 8) | ((typing.paragraphFormat & 0xFF) << 16) |
                             (static_cast<LPARAM>(summary & 0xFF) << 24);
        PostMessageA(parent, TenNoticeSizeFormat, maskB, value);
    }
}
