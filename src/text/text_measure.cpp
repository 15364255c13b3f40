// Measuring rich text on a device. Every device question goes through the text device.
#include "text/text_measure.h"

#include <algorithm>

#include "model/drawing.h"
#include "text/text_device.h"
#include "text/text_engine.h"

int g_justifyExtra = 0;
int g_justifyBreaks = 0;

namespace {

BOOL LeadValue(char c)
{
    return CurrentTextDevice().IsLeadByte(static_cast<BYTE>(c));
}

}  // namespace

int IsDbcsLeadByteAt(const char* text, int position)
{
    if (!LeadValue(text[position])) return 0;
    int before = 0;
    for (int i = position - 1; i >= 0 && LeadValue(text[i]); --i) ++before;
    return before % 2 == 0 ? 1 : 0;
}

int SnapToCharBoundary(const char* text, int base, int offset, int limit, BOOL backward)
{
    if (!g_doubleByte || offset == 0) return offset;
    if (IsDbcsLeadByteAt(text, base + offset)) return offset;
    if (IsDbcsLeadByteAt(text, base + offset - 1)) {
        if (backward) return offset - 1;
        if (offset < limit) return offset + 1;
    }
    return offset;
}

const ParagraphFormat* ParagraphFormatAt(const ParagraphFormat* formats, int count, int index)
{
    if (index < 0 || index >= count) return formats;
    return formats + index;
}

int SetRunCharSpacing(HDC dc, const ParagraphFormat* formats, int count, const TextRun* run)
{
    int extra = 0;
    if (formats && run && run->paragraphFormat >= 0 && run->paragraphFormat < count) {
        const ParagraphFormat& format = formats[run->paragraphFormat];
        if (format.charSpacing != 0 && run->averageWidth != 0)
            extra = format.charSpacing * run->averageWidth / 100;
    }
    return CurrentTextDevice().SetCharExtra(dc, extra);
}

int CreateRunFont(TenState* state, TextRun* run)
{
    TextDevice& device = CurrentTextDevice();
    int size = run->size;
    if (run->script != 0) size = size * 3 / 4;
    if (size < 4) size = 4;
    HFONT font = device.RunFont(state, *run, size);
    run->font = static_cast<INT32>(reinterpret_cast<INT_PTR>(font));
    run->escapement = 0;
    device.SelectFont(state->referenceDC, font);
    device.SetCharExtra(state->referenceDC, 0);
    device.SetCharExtra(state->windowDC, 0);
    TEXTMETRICA metrics{};
    device.Metrics(state->referenceDC, &metrics);

    // The effect needs room of its own: embossing on both sides, a shadow on one.
    const TextEffect& effect = state->effect;
    const int dy = effect.dy < 0 ? -effect.dy : effect.dy;
    int addAscent = 0, addHeight = 0;
    if (effect.kind == 1 || effect.kind == 2) {
        addAscent = dy;
        addHeight = 2 * dy;
    } else if (effect.kind >= 3 && effect.kind <= 5) {
        addHeight = dy;
        if (effect.dy < 0) addAscent = dy;
    }
    run->height = metrics.tmHeight + addHeight;
    run->averageWidth = metrics.tmAveCharWidth;
    run->overhang = metrics.tmOverhang;
    run->ascent = metrics.tmAscent + addAscent;
    if (run->script < 0) run->ascent -= run->height / 4;
    else if (run->script > 0) run->ascent += run->height / 2;
    return 0;
}

int CreateRunFonts(HGLOBAL stateHandle, int first, int last)
{
    Locked<TenState> state(stateHandle);
    if (!state.get()) return 0;
    Locked<TextRun> runs(state.get()->runs);
    if (!runs.get()) return 0;
    last = std::min(last, state.get()->runCount - 1);
    for (int i = std::max(first, 0); i <= last; ++i) CreateRunFont(state.get(), &runs.get()[i]);
    return 0;
}

int FindRunAtPosition(int position, const TextRun* runs, int count)
{
    int low = 0, high = count - 1, middle = 0;
    while (low <= high) {
        middle = (low + high) / 2;
        if (runs[middle].firstChar == position) return middle;
        if (position < runs[middle].firstChar) high = middle - 1;
        else low = middle + 1;
    }
    if (count > 0 && position < runs[middle].firstChar && middle > 0) --middle;
    return middle;
}

int FindLineAtPosition(int position, const TextLine* lines, int count)
{
    int low = 0, high = count - 1, middle = 0;
    while (low <= high) {
        middle = (low + high) / 2;
        if (lines[middle].firstChar == position) return middle;
        if (position < lines[middle].firstChar) high = middle - 1;
        else low = middle + 1;
    }
    if (count > 0 && position < lines[middle].firstChar && middle > 0) --middle;
    return middle;
}

int FindLineAtY(const TextLine* lines, int count, int y)
{
    int low = 0, high = count - 1, middle = 0;
    while (low <= high) {
        middle = (low + high) / 2;
        if (y < lines[middle].y) high = middle - 1;
        else if (y >= lines[middle].y + lines[middle].height) low = middle + 1;
        else return middle;
    }
    return middle;
}

namespace {

const ParagraphFormat* FormatOfRun(const void* formatTable, const TextRun& run)
{
    return ParagraphFormatAt(FormatTableEntries(formatTable), FormatTableCount(formatTable),
                             run.paragraphFormat);
}

void SelectRunOn(HDC dc, const void* formatTable, const TextRun& run)
{
    CurrentTextDevice().SelectFont(dc, reinterpret_cast<HFONT>(static_cast<INT_PTR>(run.font)));
    SetRunCharSpacing(dc, FormatTableEntries(formatTable), FormatTableCount(formatTable), &run);
}

}  // namespace

int PositionToX(TenState* state, int lineIndex, const TextRun* runs, const char* text,
                int position, int* outRun)
{
    Locked<TextLine> lines(state->lines);
    Locked<TextSegment> segments(state->segments);
    Locked<BYTE> formats(state->formats);
    const TextLine& line = lines.get()[lineIndex];
    if (position == line.firstChar) {
        *outRun = line.firstRun;
        return line.x;
    }
    const TextSegment* segs = segments.get();
    const int lastOfLine = line.firstSegment + line.segmentCount - 1;
    int s = line.firstSegment;
    int segFirst = line.firstChar;
    int segX = segs[s].x;
    int run = line.firstRun;
    auto advanceRun = [&](int to) {
        while (run + 1 < state->runCount && runs[run + 1].firstChar <= to) ++run;
    };
    int offset = position - segFirst;
    while (offset > segs[s].charCount && s < state->segmentCount - 1) {
        segFirst += segs[s].charCount;
        ++s;
        segX = segs[s].x;
        offset = position - segFirst;
        advanceRun(segFirst);
    }
    if (offset == segs[s].charCount && s < lastOfLine) {
        segFirst += segs[s].charCount;
        ++s;
        offset = 0;
        segX = segs[s].x;
        advanceRun(segFirst);
    } else if (offset == 1 && segs[s].charCount == 1 && text[segFirst] == 9) {
        offset = 0;
        segX = line.fullWidth;
    }
    const HDC dc = state->referenceDC;
    SelectRunOn(dc, formats.get(), runs[run]);
    const BOOL fitMode = state->zoom != 0;
    const BOOL justified = FormatOfRun(formats.get(), runs[line.firstRun])->alignment == kTextAlignJustify &&
                           !(line.flags & TextLineEndsParagraph);
    if (justified) {
        if (position >= line.firstChar + line.charCount) {
            offset = 0;
            segX = line.extent;
        } else if (segs[s].breakCount != 0) {
            SetJustification(dc, segs[s].extraWidth, segs[s].breakCount, fitMode);
        }
    }
    int width = 0;
    if (offset > 0)
        width = MeasureTextRun(dc, text + segFirst, offset, segs[s].drawnChars,
                               fitMode ? segs[s].width : 0, g_doubleByte);
    SetJustification(dc, 0, 0, fitMode);
    int x = segX + line.x + std::max(width, 0);
    if (run + 1 < state->runCount && runs[run + 1].firstChar <= position) ++run;
    else if (offset != 0) x -= runs[run].overhang;
    *outRun = run;
    return x;
}

int XToPosition(HDC dc, BOOL fitMode, const TextLine* line, const TextRun* runs, int runCount,
                const TextSegment* segments, const void* formatTable, const char* text, int x,
                int* outX, int* outRun)
{
    const int rel = x - line->x;
    const BOOL justified = FormatOfRun(formatTable, runs[line->firstRun])->alignment == kTextAlignJustify &&
                           !(line->flags & TextLineEndsParagraph);
    if (rel <= 0) {
        *outX = line->x;
        *outRun = line->firstRun;
        return line->firstChar;
    }
    const int limit = justified ? line->extent : line->fullWidth;
    if (rel >= limit) {
        *outX = limit + line->x;
        *outRun = -1;
        return line->firstChar + line->charCount;
    }
    const int last = line->firstSegment + line->segmentCount - 1;
    int s = line->firstSegment;
    int segFirst = line->firstChar;
    for (int i = s + 1; i <= last && segments[i].x <= rel; ++i) {
        segFirst += segments[s].charCount;
        s = i;
    }
    const TextSegment& seg = segments[s];
    int run = FindRunAtPosition(segFirst, runs, runCount);
    SelectRunOn(dc, formatTable, runs[run]);
    const int overhang = runs[run].overhang;
    int position, width;
    if (s == last && seg.charCount == 1 && text[segFirst] == 9 &&
        segFirst + 1 == line->firstChar + line->charCount) {
        *outX = line->fullWidth + line->x;
        *outRun = run;
        return segFirst + 1;
    }
    if (seg.charCount == 0) {
        position = segFirst;
        width = 0;
    } else {
        if (justified && seg.breakCount != 0)
            SetJustification(dc, seg.extraWidth, seg.breakCount, fitMode);
        const int count = s == last ? seg.charCount : seg.drawnChars;
        const int k = FitCharCount(dc, text, overhang, g_doubleByte, segFirst, count, rel - seg.x,
                                   &width, fitMode ? seg.width : 0, seg.drawnChars);
        SetJustification(dc, 0, 0, fitMode);
        position = segFirst + k;
        if (k >= count && s < last) {
            position = segFirst + seg.charCount;
            *outX = segments[s + 1].x + line->x;
            while (run + 1 < runCount && runs[run + 1].firstChar <= position) ++run;
            *outRun = run;
            return position;
        }
    }
    while (run + 1 < runCount && runs[run + 1].firstChar <= position) ++run;
    *outX = width + line->x + seg.x;
    *outRun = run;
    return position;
}

int FitCharCount(HDC dc, const char* text, int overhang, BOOL doubleByte, int start, int count,
                 int target, int* outWidth, int stretchWidth, int laidOutCount)
{
    const char* from = text + start;
    auto widthOf = [&](int k) {
        if (k <= 0) return 0;
        return MeasureTextRun(dc, from, k, laidOutCount, stretchWidth, doubleByte) - overhang;
    };
    const BOOL dbcs = doubleByte && g_doubleByte;
    int low = 0, high = count - 1, k = 0, w = 0;
    while (low <= high) {
        if (dbcs) {
            high = SnapToCharBoundary(text, start, high, count, TRUE);
            low = SnapToCharBoundary(text, start, low, count, FALSE);
            if (low > high) break;
        }
        k = (low + high) / 2;
        if (dbcs) k = SnapToCharBoundary(text, start, k, count, TRUE);
        w = widthOf(k);
        if (w > target) high = k - 1;
        else if (w == target) break;
        else low = k + 1;
    }
    int h;
    if (w < target) {
        int next = k + 1;
        if (dbcs) next = SnapToCharBoundary(text, start, next, count, FALSE);
        h = widthOf(next);
        if (w < target && (h + w) / 2 < target && next <= count) {
            k = next;
            w = h;
        }
    } else if (w > target) {
        h = w;
        k = std::max(k - 1, 0);
        if (dbcs) k = SnapToCharBoundary(text, start, k, count, TRUE);
        w = widthOf(k);
        if (w < target && (h + w) / 2 < target) {
            k = k + 1;
            if (dbcs) k = SnapToCharBoundary(text, start, k, count, FALSE);
            w = h;
        }
    }
    *outWidth = w;
    return k;
}

void SetJustification(HDC dc, int extra, int breaks, BOOL fitMode)
{
    if (fitMode) {
        CurrentTextDevice().SetJustify(dc, 0, 0);
        g_justifyExtra = extra;
        g_justifyBreaks = breaks;
    } else {
        CurrentTextDevice().SetJustify(dc, extra, breaks);
        g_justifyExtra = 0;
        g_justifyBreaks = 0;
    }
}

BOOL EnsureWidthTable(int n)
{
    if (!g_widthTable) {
        HGLOBAL table = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kInitialWidthEntries * 4);
        if (!table) return FALSE;
        g_widthTable = table;
        g_charWidths = static_cast<INT32*>(GlobalLock(table));
        g_widthCapacity = kInitialWidthEntries;
    }
    if (n <= g_widthCapacity) return TRUE;
    GlobalUnlock(g_widthTable);
    HGLOBAL grown = GlobalReAlloc(g_widthTable, static_cast<SIZE_T>(n) * 4 + 40,
                                  GMEM_MOVEABLE | GMEM_ZEROINIT);
    if (!grown) {
        g_charWidths = static_cast<INT32*>(GlobalLock(g_widthTable));
        return FALSE;
    }
    g_widthTable = grown;
    g_charWidths = static_cast<INT32*>(GlobalLock(grown));
    g_widthCapacity = n + 10;
    return TRUE;
}

int GetRunCharWidths(HDC dc, const char* text, int n, INT32* table, int capacity, int startIndex,
                     BOOL doubleByte)
{
    if (n < 0 || startIndex < 0 || startIndex + n > capacity) return -1;
    TextDevice& device = CurrentTextDevice();
    int sum = 0;
    for (int i = 0; i < n; ++i) {
        int width = 0;
        if (doubleByte || !device.CharWidth(dc, static_cast<BYTE>(text[i]), &width))
            width = device.Extent(dc, text + i, 1);
        table[startIndex + i] = width;
        sum += width;
    }
    return sum;
}

void AdjustCharWidths(const char* text, INT32* widths, int n, int naturalSum, int target)
{
    if (n < 2) return;
    int excess = naturalSum - target;
    int extra = 0;
    double perBreak = 0;
    if (g_justifyExtra > 0 && g_justifyBreaks != 0) {
        extra = g_justifyExtra;
        if (excess >= extra) {
            excess -= extra;
            extra = 0;
        } else if (excess > 0) {
            extra -= excess;
            excess = 0;
        }
        perBreak = static_cast<double>(extra) / g_justifyBreaks;
    }
    // Characters without width leave nothing to spread the difference over.
    const int spreadBase = naturalSum - widths[n - 1];
    if (spreadBase == 0) return;
    const double ratio = static_cast<double>(excess) / spreadBase;
    double carry = 0, extraCarry = 0;
    for (int i = 0; i <= n - 3 && (excess != 0 || extra > 0); ++i) {
        if (excess != 0) {
            carry += widths[i];
            int take = static_cast<int>(carry * ratio);
            if (take >= widths[i]) take = widths[i] - 1;
            carry -= take / ratio;
            widths[i] -= take;
            excess -= take;
        }
        if (extra > 0 && text[i] == ' ') {
            extraCarry += perBreak;
            const int whole = static_cast<int>(extraCarry);
            const int add = std::min(whole, extra);
            widths[i] += add;
            extraCarry -= whole;
            extra -= add;
        }
    }
    if (excess > 0) widths[n - 2] -= std::min(excess, std::max(widths[n - 2] - 1, 0));
    else if (excess < 0) widths[n - 2] -= excess;
    if (extra > 0 && text[n - 1] == ' ') widths[n - 1] += extra;
}

int MeasureTextRun(HDC dc, const char* text, int count, int laidOutCount, int stretchWidth,
                   BOOL doubleByte)
{
    if (count <= 0) return 0;
    if (stretchWidth <= 0)
        return static_cast<WORD>(CurrentTextDevice().Extent(dc, text, count));
    const int n = std::max(laidOutCount, count);
    if (!EnsureWidthTable(n)) return -1;
    const int natural = GetRunCharWidths(dc, text, n, g_charWidths, g_widthCapacity, 0, doubleByte);
    if (natural < 0) return -1;
    AdjustCharWidths(text, g_charWidths, n, natural, stretchWidth);
    int sum = 0;
    for (int i = 0; i < count; ++i) sum += g_charWidths[i];
    return static_cast<WORD>(sum);
}

int OutputTextPiece(HDC dc, HDC measureDC, int x, int y, const char* text, int n,
                    int stretchWidth, BOOL doubleByte)
{
    if (stretchWidth <= 0) return TextOutA(dc, x, y, text, n);
    if (!EnsureWidthTable(n)) return -1;
    const int natural = GetRunCharWidths(measureDC, text, n, g_charWidths, g_widthCapacity, 0,
                                         doubleByte);
    if (natural < 0) return -1;
    AdjustCharWidths(text, g_charWidths, n, natural, stretchWidth);
    RECT clip{x, y - 1000, 32000, y + 1000};
    return ExtTextOutA(dc, x, y, 0, &clip, text, n, reinterpret_cast<const INT*>(g_charWidths));
}
