// Serialising an editor's text into a TextBlock: the ranges of the whole text or of the
// selection, copied behind the 88-byte header and renumbered to count from the block's start.
#include "text/text_block.h"

#include <algorithm>
#include <cstring>

#include "model/device_units.h"
#include "text/object_text.h"
#include "text/text_measure.h"

namespace {

// One of the editor's tables, locked while it is read, and only when its memory holds at least
// `bytes` bytes.
class TableLock {
public:
    TableLock(HGLOBAL block, long long bytes)
    {
        if (!block || bytes < 0 || GlobalSize(block) < static_cast<SIZE_T>(bytes)) return;
        data_ = static_cast<BYTE*>(GlobalLock(block));
        if (data_) block_ = block;
    }
    ~TableLock()
    {
        if (block_) GlobalUnlock(block_);
    }
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;
    template <typename T>
    T* As() const { return reinterpret_cast<T*>(data_); }
    explicit operator bool() const { return data_ != nullptr; }

private:
    HGLOBAL block_ = nullptr;
    BYTE* data_ = nullptr;
};

struct Ranges {
    int firstLine, lineCount;
    int firstSegment, segmentCount;
    int firstRun, runCount;
    int firstChar, textLength;
};

bool InTable(int index, int count) { return index >= 0 && index < count; }

// The lines, segments, runs and characters a selection block takes; false when the selection
// is empty or names positions outside the tables.
bool SelectionRanges(const TenState* state, const TextLine* lines, const TextRun* runs,
                     Ranges* r)
{
    const TextPos& start = state->selStart;
    const TextPos& end = state->selEnd;
    if (end.charIndex <= start.charIndex || start.charIndex < 0 ||
        end.charIndex > state->textLength)
        return false;
    if (!InTable(start.lineIndex, state->lineCount) || !InTable(end.lineIndex, state->lineCount) ||
        end.lineIndex < start.lineIndex)
        return false;
    if (!InTable(start.runIndex, state->runCount) || !InTable(end.runIndex, state->runCount) ||
        end.runIndex < start.runIndex)
        return false;
    r->firstLine = start.lineIndex;
    r->lineCount = end.lineIndex - start.lineIndex + 1;
    r->firstSegment = lines[start.lineIndex].firstSegment;
    const int segmentEnd = end.lineIndex + 1 < state->lineCount
                               ? lines[end.lineIndex + 1].firstSegment
                               : state->segmentCount;
    r->segmentCount = segmentEnd - r->firstSegment;
    if (r->firstSegment < 0 || r->segmentCount < 0 || segmentEnd > state->segmentCount)
        return false;
    int lastRun = end.runIndex;
    // A run that begins where the selection ends holds none of its characters.
    if (runs[lastRun].firstChar == end.charIndex && lastRun > start.runIndex) --lastRun;
    r->firstRun = start.runIndex;
    r->runCount = lastRun - start.runIndex + 1;
    r->firstChar = start.charIndex;
    r->textLength = end.charIndex - start.charIndex;
    return true;
}

}  // namespace

void CompactParagraphFormats(INT32* formatTable, TextRun* runs, int runCount)
{
    const int count = std::min(formatTable[0], kMaxParagraphFormats);
    if (count <= 0) return;
    auto* formats = reinterpret_cast<ParagraphFormat*>(formatTable + 1);
    int newIndex[kMaxParagraphFormats];
    bool used[kMaxParagraphFormats] = {};
    auto formatOf = [count](const TextRun& run) {
        return run.paragraphFormat >= 0 && run.paragraphFormat < count ? run.paragraphFormat : 0;
    };
    for (int i = 0; i < runCount; ++i) used[formatOf(runs[i])] = true;
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        if (!used[i]) continue;
        if (i != kept) formats[kept] = formats[i];
        newIndex[i] = kept++;
    }
    for (int i = 0; i < runCount; ++i) runs[i].paragraphFormat = newIndex[formatOf(runs[i])];
    formatTable[0] = kept;
}

int MeasureWidestWord(HDC dc, const TextRun* runs, const INT32* formatTable, int runCount,
                      const BYTE* text, int length)
{
    if (runCount <= 0 || length <= 0) return 0;
    const int formatCount = formatTable ? std::max(0, formatTable[0]) : 0;
    const auto* formats = formatTable ? reinterpret_cast<const ParagraphFormat*>(formatTable + 1)
                                      : nullptr;
    auto selectRun = [&](int run) {
        SetRunCharSpacing(dc, formats, formatCount, &runs[run]);
        if (runs[run].font) SelectObject(dc, reinterpret_cast<HFONT>(static_cast<INT_PTR>(runs[run].font)));
    };
    auto measure = [&](int from, int count) {
        return count > 0 ? static_cast<int>(LOWORD(GetTextExtentPacked(
                               dc, reinterpret_cast<const char*>(text) + from, count)))
                         : 0;
    };
    auto boundaryAfter = [&](int run) {
        return run + 1 < runCount ? runs[run + 1].firstChar : length;
    };

    HGDIOBJ oldFont = GetCurrentObject(dc, OBJ_FONT);
    const int oldExtra = GetTextCharacterExtra(dc);
    int run = 0;
    selectRun(run);
    int boundary = boundaryAfter(run);
    int widest = 0;
    bool inWord = false;
    int pieceStart = 0;
    int wordWidth = 0;
    for (int i = 0; i < length; ++i) {
        while (run + 1 < runCount && i >= boundary) {
            if (inWord) {
                wordWidth += measure(pieceStart, i - pieceStart);
                pieceStart = i;
            }
            selectRun(++run);
            boundary = boundaryAfter(run);
        }
        const BYTE c = text[i];
        if (c == ' ' || c == '\t' || c == 13) {
            if (inWord) {
                wordWidth += measure(pieceStart, i - pieceStart + (c == ' ' ? 1 : 0));
                widest = std::max(widest, wordWidth);
                inWord = false;
            }
        } else if (!inWord) {
            inWord = true;
            pieceStart = i;
            wordWidth = 0;
        }
    }
    if (inWord) widest = std::max(widest, wordWidth + measure(pieceStart, length - pieceStart));
    SelectObject(dc, oldFont);
    SetTextCharacterExtra(dc, oldExtra);
    return widest;
}

HGLOBAL SerializeTextBlock(TenState* state, UINT flags)
{
    const bool whole = (flags & TenWholeText) != 0;
    if (state->runCount <= 0 || state->lineCount < 0 || state->segmentCount < 0 ||
        state->textLength < 0)
        return nullptr;
    TableLock formatLock(state->formats, sizeof(INT32));
    if (!formatLock) return nullptr;
    INT32* formatTable = formatLock.As<INT32>();
    const long long formatBytes = sizeof(INT32) + static_cast<long long>(std::max(0, formatTable[0])) *
                                                      kParagraphFormatSize;
    TableLock runLock(state->runs, static_cast<long long>(state->runCount) * kTextRunSize);
    TableLock lineLock(state->lines, static_cast<long long>(state->lineCount) * kTextLineSize);
    TableLock segmentLock(state->segments,
                          static_cast<long long>(state->segmentCount) * kTextSegmentSize);
    TableLock textLock(state->text, state->textLength);
    if (GlobalSize(state->formats) < static_cast<SIZE_T>(formatBytes) || !runLock ||
        (state->lineCount && !lineLock) || (state->segmentCount && !segmentLock) ||
        (state->textLength && !textLock))
        return nullptr;
    auto* runs = runLock.As<TextRun>();
    const auto* lines = lineLock.As<TextLine>();
    const auto* segments = segmentLock.As<TextSegment>();
    const BYTE* text = textLock.As<BYTE>();

    CompactParagraphFormats(formatTable, runs, state->runCount);
    const int formatCount = std::max(0, formatTable[0]);

    Ranges r;
    if (whole) {
        r = {0, state->lineCount, 0, state->segmentCount, 0, state->runCount, 0,
             state->textLength};
    } else if (!SelectionRanges(state, lines, runs, &r)) {
        return nullptr;
    }

    TextBlock counts = {};
    counts.runCount = r.runCount;
    counts.lineCount = r.lineCount;
    counts.textLength = r.textLength;
    counts.formatCount = formatCount;
    counts.segmentCount = r.segmentCount;
    const long long size = TextBlockSize(&counts);
    if (size < 0 || size > kLargestTextBlock) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size));
    if (!block) return nullptr;
    auto* header = static_cast<TextBlock*>(GlobalLock(block));
    if (!header) {
        GlobalFree(block);
        return nullptr;
    }

    *header = counts;
    header->options = static_cast<INT32>(state->options);
    header->labelLink = state->labelLink;
    header->ownerRow = state->ownerRow;
    header->effect = state->effect;
    if (whole) {
        for (int i = 0; i < state->lineCount; ++i)
            header->widestLine = std::max(header->widestLine, lines[i].breakWidth);
        if (state->lineCount > 0) {
            const TextLine& last = lines[state->lineCount - 1];
            header->textHeight = last.y + last.height - lines[0].y;
        }
        header->marginLeft = state->margins.left;
        header->marginTop = state->margins.top;
        header->marginRight = state->margins.right;
        header->marginBottom = state->margins.bottom;
        header->layoutWidth = state->width - state->margins.left - state->margins.right;
        header->zoom = state->zoom;
        header->widestWord = MeasureWidestWord(state->referenceDC, runs, formatTable,
                                               state->runCount, text, state->textLength);
    }

    auto* newLines = reinterpret_cast<TextLine*>(header + 1);
    auto* newRuns = reinterpret_cast<TextRun*>(newLines + r.lineCount);
    auto* newFormats = reinterpret_cast<ParagraphFormat*>(newRuns + r.runCount);
    auto* newSegments = reinterpret_cast<TextSegment*>(newFormats + formatCount);
    BYTE* newText = reinterpret_cast<BYTE*>(newSegments + r.segmentCount);
    if (r.lineCount) std::memcpy(newLines, lines + r.firstLine, r.lineCount * sizeof(TextLine));
    std::memcpy(newRuns, runs + r.firstRun, r.runCount * sizeof(TextRun));
    if (formatCount) std::memcpy(newFormats, formatTable + 1, formatCount * sizeof(ParagraphFormat));
    if (r.segmentCount)
        std::memcpy(newSegments, segments + r.firstSegment, r.segmentCount * sizeof(TextSegment));
    if (r.textLength) std::memcpy(newText, text + r.firstChar, r.textLength);

    // Positions inside the block count from its first text byte.
    if (r.firstChar != 0) {
        newRuns[0].charCount -= r.firstChar - newRuns[0].firstChar;
        newRuns[0].firstChar = 0;
        for (int i = 1; i < r.runCount; ++i) newRuns[i].firstChar -= r.firstChar;
    }
    newRuns[r.runCount - 1].charCount = r.textLength - newRuns[r.runCount - 1].firstChar;
    if (r.firstSegment != 0)
        for (int i = 0; i < r.lineCount; ++i) newLines[i].firstSegment -= r.firstSegment;
    if (!whole && r.lineCount > 0) {
        if (r.firstChar != 0) {
            newLines[0].drawnChars -= r.firstChar - newLines[0].firstChar;
            newLines[0].firstChar = 0;
            for (int i = 1; i < r.lineCount; ++i) newLines[i].firstChar -= r.firstChar;
        }
        // Also for a selection from the text's start: the last line ends with the selection.
        newLines[r.lineCount - 1].drawnChars = r.textLength - newLines[r.lineCount - 1].firstChar;
    }
    GlobalUnlock(block);
    return block;
}
