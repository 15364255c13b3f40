// Laying out rich text into lines and segments, incrementally: a relayout starts at a given
// line and stops at the first new line that begins where an old one began; the old lines behind
// it are kept, renumbered and moved.
#include "text/text_layout.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "store/results.h"
#include "model/drawing.h"
#include "text/text_device.h"
#include "text/text_engine.h"
#include "text/text_measure.h"

namespace {

constexpr int kNone = 0x7FFF;
constexpr int kJustifySlack = 18;     // 3 % of the base unit
constexpr int kRuleRoom = 30;         // room for a rule below a paragraph
constexpr int kMinAvailable = 10;

// Grows `*block` to hold `bytes` when it is smaller; FALSE when it cannot.
BOOL GrowBlock(HGLOBAL* block, SIZE_T bytes)
{
    if (*block && GlobalSize(*block) >= bytes) return TRUE;
    HGLOBAL grown = *block ? GlobalReAlloc(*block, bytes, GMEM_MOVEABLE)
                           : GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!grown) return FALSE;
    *block = grown;
    return TRUE;
}

// Overwrite below the stop index, insert at and above it.
template <typename T>
int PutRecord(const T* record, HGLOBAL* block, INT32* count, int index, int stop)
{
    const bool insert = index >= stop;
    const int newCount = insert ? std::max(*count, index) + 1 : std::max(*count, index + 1);
    if (!GrowBlock(block, static_cast<SIZE_T>(newCount) * sizeof(T))) return ErrOutOfMemory;
    Locked<T> table(*block);
    if (!table.get()) return ErrOutOfMemory;
    if (insert && index < *count)
        memmove(table.get() + index + 1, table.get() + index, (*count - index) * sizeof(T));
    table.get()[index] = *record;
    *count = newCount;
    return 0;
}

// Removes records [from, to) of a table.
template <typename T>
void RemoveRecords(HGLOBAL block, INT32* count, int from, int to)
{
    if (to <= from) return;
    Locked<T> table(block);
    if (!table.get()) return;
    memmove(table.get() + from, table.get() + to, (*count - to) * sizeof(T));
    *count -= to - from;
}

// Cuts a table back to its records plus 256 bytes when it holds more.
void CutBack(HGLOBAL* block, int used)
{
    const SIZE_T wanted = static_cast<SIZE_T>(used) + 256;
    if (*block && GlobalSize(*block) > wanted) {
        HGLOBAL cut = GlobalReAlloc(*block, wanted, GMEM_MOVEABLE);
        if (cut) *block = cut;
    }
}

int LongWordThreshold(int wrapWidth)
{
    if (wrapWidth <= 1000) return 1000;
    if (wrapWidth < 8000) return 2 * wrapWidth;
    return 16000;
}

int AlignmentShift(int alignment, int remaining)
{
    int shift = 0;
    if (alignment == kTextAlignRight) shift = remaining;
    else if (alignment == kTextAlignCentre) shift = remaining / 2;
    return std::max(shift, 0);
}

// The layout of one relayout: the scan position, the line and segment being built, and the
// wrap-back point saved at each word start.
class LineLayout {
public:
    LineLayout(HWND editor, TenState* state, const char* text, TextRun* runs,
               const void* formatTable)
        : editor_(editor), st_(state), text_(text), runs_(runs), formats_(formatTable),
          device_(CurrentTextDevice())
    {
        textLen_ = state->textLength;
        runCount_ = std::max(state->runCount, 1);
        wrap_ = (state->options & TenOptWordWrap) && !(state->options & TenOptWholeText);
    }

    int Run(int firstLine, int stopLine, int* outEndLine, int* outFirstLine);

private:
    struct WrapPoint {
        int pos, segStart, measStart, segBreaks, lineBreaks, run, pending;
        size_t segments;
        TextSegment seg;
        bool dash;
    };

    const ParagraphFormat& FormatOf(int run) const
    {
        return *ParagraphFormatAt(FormatTableEntries(formats_), FormatTableCount(formats_),
                                  runs_[run].paragraphFormat);
    }
    const ParagraphFormat& Format() const { return FormatOf(run_); }
    const TextRun& CurRun() const { return runs_[run_]; }
    int Measure(int from, int to) const
    {
        return to > from ? device_.Extent(st_->referenceDC, text_ + from, to - from) : 0;
    }
    TextLine OldLine(int index) const
    {
        Locked<TextLine> lines(st_->lines);
        return lines.get()[index];
    }
    int NextOf(char code, int* cache);
    int ParagraphEnd();
    int WrapWidth() const;
    void SelectRun(int run);
    void ComputeAvailable();
    void OpenLine(int top, int flags);
    void SaveWrapPoint();
    void WrapBack();
    void RecordBreak(int at);
    int FinishWord(int candidate);
    int BreakCharacter();
    void RunBoundary();
    int EndLine(bool paragraphEnd);
    void PlaceNext();
    bool Synchronise();
    void Justify(int remaining);
    void CloseSegment(int drawn, int width, int nextStart);

    HWND editor_;
    TenState* st_;
    const char* text_;
    TextRun* runs_;
    const void* formats_;
    TextDevice& device_;
    int textLen_ = 0, runCount_ = 1;
    bool wrap_ = false;

    // Scan.
    int pos_ = 0, measStart_ = 0, run_ = 0, runEnd_ = 0;
    int committed_ = 0, pending_ = 0;
    int dashWidth_ = 0, spaceWidth_ = 0;
    bool dash_ = false, inWord_ = false, hasBreak_ = false;
    int wordAscent_ = 0, wordDescent_ = 0, wordHeight_ = 0;
    int paraEnd_ = -1, nextTab_ = -1, nextSoft_ = -1, nextHard_ = -1;
    WrapPoint saved_{};

    // The line being built.
    TextLine line_{};
    TextSegment seg_{};
    int segStart_ = 0;
    int lineBreaks_ = 0;
    int available_ = kMinAvailable, threshold_ = 1000;
    std::vector<TextSegment> lineSegs_;

    // Tables.
    int li_ = 0, si_ = 0;
    int stopLine_ = kNone, stopSeg_ = kNone;
    int syncChar_ = kNone, oldRemain_ = 0, segInserted_ = 0;
    TextLine syncLine_{};

    // Bands.
    TextRegion* bands_ = nullptr;
    int bandCount_ = 0, band_ = 0, bandLimit_ = 0x7FFFFFFF;
    bool limitInForce_ = false, bandChanged_ = false;

    int error_ = 0;
};

int LineLayout::ParagraphEnd()
{
    if (paraEnd_ < pos_) {
        const void* hit = memchr(text_ + pos_, 13, textLen_ - pos_);
        paraEnd_ = hit ? static_cast<int>(static_cast<const char*>(hit) - text_) : textLen_;
    }
    return paraEnd_;
}

// The next `code` at or after the position inside its paragraph, or the paragraph end; the
// scan keeps the answer until it passes it.
int LineLayout::NextOf(char code, int* cache)
{
    const int end = ParagraphEnd();
    if (*cache < pos_ || *cache > end) {
        const void* hit = memchr(text_ + pos_, code, end - pos_);
        *cache = hit ? static_cast<int>(static_cast<const char*>(hit) - text_) : end;
    }
    return *cache;
}

int LineLayout::WrapWidth() const
{
    if (bandCount_ > 0) return bands_[std::min(band_, bandCount_ - 1)].wrapWidth;
    return st_->width - st_->margins.left - st_->margins.right;
}

void LineLayout::SelectRun(int run)
{
    run_ = run;
    const TextRun& r = runs_[run];
    HFONT font = reinterpret_cast<HFONT>(static_cast<INT_PTR>(r.font));
    device_.SelectFont(st_->referenceDC, font);
    device_.SelectFont(st_->windowDC, font);
    const ParagraphFormat* entries = FormatTableEntries(formats_);
    const int count = FormatTableCount(formats_);
    SetRunCharSpacing(st_->referenceDC, entries, count, &r);
    if (st_->windowDC) SetRunCharSpacing(st_->windowDC, entries, count, &r);
    dashWidth_ = device_.Extent(st_->referenceDC, "-", 1);
    spaceWidth_ = device_.Extent(st_->referenceDC, " ", 1);
    runEnd_ = run + 1 < runCount_ ? runs_[run + 1].firstChar : textLen_;
}

// The line's x and available width from its indent and the current run's format.
void LineLayout::ComputeAvailable()
{
    const ParagraphFormat& format = Format();
    const bool paragraphStart = line_.firstChar == 0 || text_[line_.firstChar - 1] == 13;
    const int indent = paragraphStart && format.bullet == 0 ? format.firstIndent : format.leftIndent;
    line_.x = st_->margins.left + indent;
    const int wrapWidth = WrapWidth();
    available_ = std::max(wrapWidth - indent - format.rightIndent, kMinAvailable);
    threshold_ = LongWordThreshold(wrapWidth);
}

void LineLayout::OpenLine(int top, int flags)
{
    line_ = TextLine{};
    line_.y = top;
    line_.ascent = CurRun().ascent;
    line_.height = CurRun().height;
    line_.firstRun = run_;
    line_.firstChar = pos_;
    line_.firstSegment = si_;
    line_.segmentCount = 1;
    line_.flags = flags;
    ComputeAvailable();
    seg_ = TextSegment{};
    segStart_ = pos_;
    lineSegs_.clear();
    committed_ = pending_ = 0;
    measStart_ = pos_;
    hasBreak_ = dash_ = inWord_ = false;
    lineBreaks_ = 0;
    SaveWrapPoint();
}

void LineLayout::SaveWrapPoint()
{
    saved_ = WrapPoint{pos_, segStart_, measStart_, seg_.breakCount, lineBreaks_, run_, pending_,
                       lineSegs_.size(), seg_, dash_};
}

void LineLayout::WrapBack()
{
    pos_ = saved_.pos;
    segStart_ = saved_.segStart;
    measStart_ = saved_.measStart;
    seg_ = saved_.seg;
    seg_.breakCount = saved_.segBreaks;
    lineBreaks_ = saved_.lineBreaks;
    lineSegs_.resize(saved_.segments);
    dash_ = saved_.dash;
    if (saved_.run != run_) SelectRun(saved_.run);
    pending_ = 0;
    inWord_ = false;
    // The distances found ahead of the word's start no longer hold.
    nextTab_ = nextSoft_ = nextHard_ = -1;
}

void LineLayout::RecordBreak(int at)
{
    line_.fullWidth += pending_;
    line_.breakWidth = committed_ + pending_;
    seg_.width = line_.fullWidth - seg_.x;
    pending_ = 0;
    committed_ = line_.breakWidth;
    line_.drawnChars = at - line_.firstChar;
    seg_.drawnChars = at - segStart_;
    dash_ = false;
    const TextRun& r = CurRun();
    int descent = std::max({line_.height - line_.ascent, wordDescent_, r.height - r.ascent});
    line_.ascent = std::max({line_.ascent, wordAscent_, r.ascent});
    line_.height = std::max({line_.height, wordHeight_, r.height, line_.ascent + descent});
    pos_ = at;
    measStart_ = at;
    hasBreak_ = true;
    inWord_ = false;
    wordAscent_ = wordHeight_ = wordDescent_ = 0;
    SaveWrapPoint();
}

// Fits the word from the measuring start to `candidate` on the line: records its break, cuts an
// overlong word, or wraps back to the word's start and ends the line. 1 when a line ended.
int LineLayout::FinishWord(int candidate)
{
    const TextRun& r = CurRun();
    const int average = std::max(r.averageWidth, 1);
    if ((candidate - measStart_) * average > threshold_) {
        candidate = std::min(candidate, measStart_ + available_ / average + 10);
        candidate = measStart_ + SnapToCharBoundary(text_, measStart_, candidate - measStart_,
                                                    candidate - measStart_, TRUE);
        candidate = std::max(candidate, measStart_ + 1);
    }
    int w = Measure(measStart_, candidate);

    if (g_doubleByte && hasBreak_ && wrap_ && committed_ + pending_ <= available_ &&
        committed_ + pending_ + w > available_) {
        const int room = available_ - committed_ - pending_;
        int fitted = 0;
        int k = FitCharCount(st_->referenceDC, text_, r.overhang, TRUE, measStart_,
                             candidate - measStart_, room, &fitted, 0, 0);
        if (fitted > room && k > 0) --k;
        int cut = measStart_ + k;
        while (cut > measStart_ && !IsDbcsLeadByteAt(text_, cut) &&
               !(cut - 2 >= measStart_ && IsDbcsLeadByteAt(text_, cut - 2)))
            --cut;
        const char before = cut > 0 ? text_[cut - 1] : 0;
        if (cut > measStart_ && before != 1 && before != 9 && before != 13 && before != 32) {
            candidate = cut;
            w = Measure(measStart_, candidate);
        }
    }

    pending_ += w;
    const bool passes = committed_ + pending_ > available_;
    if (passes && wrap_ && hasBreak_) {
        WrapBack();
        return EndLine(false);
    }
    if (passes && wrap_) {
        pending_ -= w;
        const int room = available_ - committed_ - pending_;
        int fitted = 0;
        int k = FitCharCount(st_->referenceDC, text_, r.overhang, g_doubleByte, measStart_,
                             candidate - measStart_, room, &fitted, 0, 0);
        if ((fitted < w && fitted > room) || fitted >= w) {
            --k;
            k = SnapToCharBoundary(text_, measStart_, std::max(k, 0), candidate - measStart_, TRUE);
        }
        // At least one character stays on a line that holds nothing else.
        const int least = measStart_ > line_.firstChar ? 0 : 1;
        if (k < least) k = SnapToCharBoundary(text_, measStart_, least, candidate - measStart_, FALSE);
        if (measStart_ + k != candidate) {
            candidate = measStart_ + k;
            w = Measure(measStart_, candidate);
        }
        pending_ += w - r.overhang;
    } else {
        pending_ -= r.overhang;
    }
    RecordBreak(candidate);
    return 0;
}

// Closes the current segment (drawn count and width given) and starts the next one at
// `nextStart` characters, at the x the text has reached.
void LineLayout::CloseSegment(int drawn, int width, int nextStart)
{
    seg_.drawnChars = drawn;
    seg_.width = width;
    seg_.charCount = nextStart - segStart_;
    lineSegs_.push_back(seg_);
    seg_ = TextSegment{};
    seg_.x = line_.fullWidth + pending_;
    segStart_ = nextStart;
}

// A tab, soft hyphen or hard space at the position. 1 when a line ended before it.
int LineLayout::BreakCharacter()
{
    const char code = text_[pos_];
    if (code == 2) {
        pending_ += spaceWidth_;
        ++pos_;
        measStart_ = pos_;
        if (pos_ >= textLen_ || text_[pos_] == 13) RecordBreak(pos_);
        const int width = committed_ + pending_ - spaceWidth_ - seg_.x;
        const int drawn = pos_ - 1 - segStart_;
        CloseSegment(drawn, std::max(width, 0), pos_);
        return 0;
    }
    const bool atLineStart = pos_ == line_.firstChar;
    if (code == 9) {
        const int interval = std::max(Format().tabInterval, 0);
        int stop = committed_ + pending_;
        if (interval != 0) {
            const int absolute = line_.x + committed_ + pending_;
            stop = interval * (absolute / interval + 1) - line_.x;
            if (!atLineStart && ((stop > available_ && hasBreak_ && wrap_) || stop > threshold_))
                return EndLine(false);
        }
        const int width = committed_ + pending_ - seg_.x;
        ++pos_;
        CloseSegment(pos_ - 1 - segStart_, std::max(width, 0), pos_);
        lineSegs_.back().breakCount = 0;
        lineSegs_.back().extraWidth = 0;
        seg_.x = stop;
        line_.fullWidth = line_.breakWidth = committed_ = stop;
        pending_ = 0;
        measStart_ = pos_;
        line_.drawnChars = pos_ - line_.firstChar;
        hasBreak_ = true;
        inWord_ = false;
        lineBreaks_ = 0;
        SaveWrapPoint();
        return 0;
    }
    // Soft hyphen: a break that shows a dash only when the line ends at it.
    dash_ = true;
    const int needed = committed_ + dashWidth_ + pending_ + 1;
    if (!atLineStart && ((needed > available_ && hasBreak_ && wrap_) || needed > threshold_))
        return EndLine(false);
    ++pos_;
    line_.fullWidth += pending_;
    line_.breakWidth = committed_ + pending_;
    committed_ = line_.breakWidth;
    pending_ = 0;
    CloseSegment(pos_ - 1 - segStart_, std::max(line_.fullWidth - seg_.x, 0), pos_);
    measStart_ = pos_;
    line_.drawnChars = pos_ - line_.firstChar;
    hasBreak_ = true;
    inWord_ = false;
    SaveWrapPoint();
    return 0;
}

void LineLayout::RunBoundary()
{
    if (pos_ > segStart_) {
        if (text_[pos_ - 1] == ' ') {
            // The spaces stepped over before the boundary are this run's and are drawn in its
            // font: measured here, they place the next segment behind them, so that the next
            // run's word is neither drawn over them nor stretched across them.
            if (measStart_ < pos_) {
                pending_ += Measure(measStart_, pos_);
                measStart_ = pos_;
            }
            // Keeps the drawn count and width of its last break; the mark lets justification
            // give the trailing space its share.
            seg_.extraWidth = 1;
            ++lineBreaks_;
            CloseSegment(seg_.drawnChars, seg_.width, pos_);
        } else {
            CloseSegment(pos_ - segStart_, line_.fullWidth + pending_ - seg_.x, pos_);
        }
    }
    SelectRun(run_ + 1);
    if (!hasBreak_) ComputeAvailable();
    if (line_.firstRun < 0) {
        line_.firstRun = run_;
        line_.ascent = CurRun().ascent;
        line_.height = CurRun().height;
    }
    if (inWord_) {
        wordAscent_ = std::max(wordAscent_, CurRun().ascent);
        wordHeight_ = std::max(wordHeight_, CurRun().height);
        wordDescent_ = std::max(wordDescent_, CurRun().height - CurRun().ascent);
    }
}

void LineLayout::Justify(int remaining)
{
    const int breaks = lineBreaks_;
    const int per = std::max(remaining / breaks, 1);
    int shift = 0, left = remaining, count = breaks;
    const size_t last = lineSegs_.size() - 1;
    for (size_t i = 0; i < last; ++i) {
        TextSegment& s = lineSegs_[i];
        s.x += shift;
        if (s.extraWidth == 1) {
            if (left > 0) {
                const int d = std::min(per, left);
                shift += d;
                left -= d;
            }
            --count;
            s.extraWidth = 0;
        }
        if (count < 1 && left != 0) {
            shift += left;
            left = 0;
        }
        if (left != 0) {
            const int share = std::min(s.breakCount * remaining / breaks, left);
            shift += share;
            s.extraWidth = share;
            left -= share;
        }
        if (s.breakCount != 0) --count;
        if (count < 1 && left != 0) {
            shift += left;
            s.extraWidth += left;
            left = 0;
        }
    }
    TextSegment& s = lineSegs_[last];
    if (s.breakCount == 0) {
        shift += left;
        left = 0;
    }
    s.extraWidth = left;
    s.x += shift;
}

// Ends the line at the position and stores it with its segments. 1 (a line ended) or 0 after
// an error (error_ set).
int LineLayout::EndLine(bool paragraphEnd)
{
    line_.charCount = pos_ - line_.firstChar;
    if (dash_) {
        line_.flags |= TextLineSoftHyphen;
        line_.fullWidth += dashWidth_ + 1;
        line_.breakWidth += dashWidth_ + 1;
    }
    seg_.charCount = pos_ - segStart_;
    line_.fullWidth += CurRun().overhang;
    line_.breakWidth += CurRun().overhang;
    seg_.width = line_.breakWidth - seg_.x;
    const int remaining = available_ - line_.breakWidth;
    const ParagraphFormat& format = Format();
    line_.x += AlignmentShift(format.alignment, remaining);
    line_.fullWidth += Measure(line_.firstChar + line_.drawnChars, pos_);
    const bool justified = format.alignment == kTextAlignJustify;
    if (paragraphEnd) {
        line_.flags |= TextLineEndsParagraph;
        line_.paragraphWidth = available_;
        line_.extent = line_.fullWidth;
    } else {
        line_.extent = justified ? available_ + kJustifySlack : line_.fullWidth;
    }
    seg_.extraWidth = remaining;
    if (seg_.charCount == 0 && !lineSegs_.empty()) lineSegs_.back().extraWidth = remaining;
    else lineSegs_.push_back(seg_);
    if (justified && !paragraphEnd && lineSegs_.size() > 1 && remaining != 0 && lineBreaks_ != 0)
        Justify(remaining);
    // The run-boundary marks live during layout only.
    for (size_t i = 0; i + 1 < lineSegs_.size(); ++i)
        if (lineSegs_[i].extraWidth == 1 && !justified) lineSegs_[i].extraWidth = 0;
    if (line_.firstRun < 0) line_.firstRun = run_;
    line_.segmentCount = static_cast<int>(lineSegs_.size());
    line_.firstSegment = si_;
    for (const TextSegment& s : lineSegs_) {
        const bool insert = si_ >= stopSeg_;
        if ((error_ = PutSegmentRecord(&s, st_, si_, stopSeg_)) != 0) return 0;
        if (insert && stopSeg_ != kNone) {
            ++stopSeg_;
            ++segInserted_;
        }
        ++si_;
    }
    if ((error_ = PutLineRecord(&line_, st_, li_, stopLine_)) != 0) return 0;
    ++li_;
    if (pos_ < textLen_ && text_[pos_] == 13) ++pos_;
    PlaceNext();
    return 1;
}

void LineLayout::PlaceNext()
{
    const TextLine finished = line_;
    const int bottom = finished.y + finished.height;
    const bool paragraphEnded = finished.flags & TextLineEndsParagraph;
    const ParagraphFormat& format = Format();
    const int finishedRunFlags = CurRun().runFlags;
    int next = run_;
    while (next + 1 < runCount_ && runs_[next + 1].firstChar <= pos_) ++next;
    int top = bottom + finished.height * format.lineSpacing / 100 + format.extraSpacing;
    int flags = 0;
    if (bandCount_ > 0) {
        const bool pushed = paragraphEnded && pos_ < textLen_ && (runs_[next].runFlags & 4);
        if (pushed) {
            for (int b = 0; b < bandCount_; ++b)
                if (bands_[b].top > bottom) {
                    top = bands_[b].top;
                    break;
                }
            flags |= TextLinePushedToBand;
        }
        TextRegion& band = bands_[band_];
        if (band.filledTo < bottom) band.filledTo = bottom;
        if ((bottom > bandLimit_ || pushed) && band_ + 1 < bandCount_) {
            const int finishedIndex = li_ - 1;
            if (finishedIndex == band.firstLine || pushed) {
                band.filledTo = band.top + band.height;
                bands_[band_ + 1].firstLine = li_;
                flags |= TextLineFirstOfBand;
            } else {
                band.filledTo = finished.y;
                TextLine moved = finished;
                moved.y += g_bandGap;
                moved.flags |= TextLineFirstOfBand;
                PutLineRecord(&moved, st_, finishedIndex, finishedIndex + 1);
                bands_[band_ + 1].firstLine = finishedIndex;
            }
            top += g_bandGap;
            ++band_;
            bandLimit_ = bands_[band_ - 1].filledTo + bands_[band_].height + g_bandGap;
            bands_[band_].filledTo = bandLimit_;
            limitInForce_ = bandChanged_ = true;
        }
    }
    if (paragraphEnded && (finishedRunFlags & 3)) top += kRuleRoom;
    if (next != run_) SelectRun(next);
    OpenLine(top, flags);
}

// After a line: consumes the old lines the new text has passed; true when the new line begins
// where an old one did, so the rest of the old lines stand.
bool LineLayout::Synchronise()
{
    if (syncChar_ == kNone) return false;
    if (stopLine_ < li_) stopLine_ = li_;
    while (syncChar_ != kNone && syncChar_ < pos_) {
        --oldRemain_;
        ++stopLine_;
        if (oldRemain_ > 0) {
            syncLine_ = OldLine(stopLine_);
            syncChar_ = syncLine_.firstChar;
            stopSeg_ = syncLine_.firstSegment + segInserted_;
        } else {
            syncChar_ = stopSeg_ = kNone;
        }
    }
    if (syncChar_ != pos_) return false;
    if (bandCount_ > 0 && st_->lastBandChange > 0 &&
        line_.y < bands_[st_->lastBandChange].filledTo && line_.y != syncLine_.y)
        return false;
    return true;
}

int LineLayout::Run(int firstLine, int stopLine, int* outEndLine, int* outFirstLine)
{
    *outEndLine = st_->lineCount;
    if (firstLine >= st_->lineCount) return 0;
    *outFirstLine = firstLine;
    if (firstLine < 0) firstLine = 0;
    if (firstLine > 0) {
        const TextLine before = OldLine(firstLine - 1);
        if ((before.flags & TextLineEndsParagraph) && (OldLine(firstLine).flags & TextLinePushedToBand))
            --firstLine;
    }
    *outFirstLine = firstLine;
    const int oldLineCount = st_->lineCount;
    if (stopLine < st_->lineCount) {
        syncLine_ = OldLine(stopLine);
        syncChar_ = syncLine_.firstChar;
        stopSeg_ = syncLine_.firstSegment;
        oldRemain_ = st_->lineCount - stopLine;
        stopLine_ = stopLine;
    } else {
        syncChar_ = stopSeg_ = oldRemain_ = kNone;
        stopLine_ = kNone;
    }
    int top = st_->margins.top;
    if (firstLine > 0) {
        const TextLine start = OldLine(firstLine);
        pos_ = std::clamp(start.firstChar, 0, textLen_);
        si_ = start.firstSegment;
        top = start.y;
    }
    li_ = firstLine;
    int oldBottom;
    if (oldLineCount <= 1) {
        oldBottom = runs_[0].height + top;
    } else {
        const TextLine last = OldLine(oldLineCount - 1);
        oldBottom = last.y + last.height;
    }

    Locked<TextRegion> bandTable(st_->bandCount > 0 ? st_->bands : nullptr);
    if (bandTable.get()) {
        bands_ = bandTable.get();
        bandCount_ = st_->bandCount;
        // The band the first line lies in; band 0 until a later band has a first line.
        for (int b = 1; b < bandCount_ && firstLine > 0; ++b)
            if (bands_[b].firstLine > 0 && bands_[b].firstLine <= firstLine) band_ = b;
        bandLimit_ = band_ == 0 ? bands_[0].top + bands_[0].height
                                : bands_[band_ - 1].filledTo + bands_[band_].height + g_bandGap;
    }

    SelectRun(pos_ == 0 ? 0 : FindRunAtPosition(pos_, runs_, runCount_));
    OpenLine(top, 0);

    bool synchronised = false;
    for (;;) {
        if (error_) break;
        if (pos_ >= textLen_ || text_[pos_] == 13) {
            if (pos_ >= textLen_ && line_.firstChar == textLen_ &&
                (textLen_ == 0 || text_[textLen_ - 1] == 13))
                break;   // the final empty line, stored below
            const bool atEnd = pos_ >= textLen_;
            if (inWord_) {
                if (FinishWord(pos_)) {
                    if (Synchronise()) { synchronised = true; break; }
                }
                continue;
            }
            EndLine(true);
            if (error_ || atEnd) break;
            if (Synchronise()) { synchronised = true; break; }
            continue;
        }
        if (pos_ >= runEnd_ && run_ + 1 < runCount_) {
            RunBoundary();
            continue;
        }
        const char c = text_[pos_];
        if (c == 1 || c == 2 || c == 9) {
            if (inWord_ && c != 2) {
                if (FinishWord(pos_) && Synchronise()) { synchronised = true; break; }
                continue;
            }
            if (BreakCharacter() && Synchronise()) { synchronised = true; break; }
            continue;
        }
        const int limit = std::min({runEnd_, ParagraphEnd(), NextOf(9, &nextTab_),
                                    NextOf(1, &nextSoft_), NextOf(2, &nextHard_)});
        if (!inWord_) {
            if (c == ' ') {
                while (pos_ < limit && text_[pos_] == ' ') ++pos_;
                continue;
            }
            SaveWrapPoint();
            int spaces = 0;
            for (int i = std::max(measStart_, segStart_); i < pos_; ++i)
                if (text_[i] == ' ') ++spaces;
            seg_.breakCount += spaces;
            lineBreaks_ += spaces;
            inWord_ = true;
            wordAscent_ = CurRun().ascent;
            wordHeight_ = CurRun().height;
            wordDescent_ = CurRun().height - CurRun().ascent;
        }
        int q = pos_;
        while (q < limit && text_[q] != ' ') ++q;
        bool ends = q < limit || limit == paraEnd_ || limit == nextTab_ || limit == nextSoft_;
        if (!ends && limit == runEnd_)
            ends = runEnd_ >= textLen_ || text_[runEnd_] == ' ' || text_[runEnd_] == 9;
        if (!ends) {
            // The word goes on into the next run or through a hard space.
            const int w = Measure(measStart_, limit);
            if (!hasBreak_ && wrap_ && committed_ + pending_ + w > available_) {
                ends = true;
            } else {
                pending_ += w - CurRun().overhang;
                measStart_ = pos_ = limit;
                continue;
            }
        }
        if (FinishWord(q) && Synchronise()) { synchronised = true; break; }
    }
    if (error_) {
        st_->flags &= ~TenFlagLayoutPending;
        return error_;
    }

    const int newTop = line_.y;
    if (!synchronised) {
        if (line_.firstChar == textLen_ && (textLen_ == 0 || text_[textLen_ - 1] == 13)) {
            // The final empty line after a paragraph end (or of an empty text).
            line_.charCount = 0;
            const int remaining = available_;
            line_.x += AlignmentShift(Format().alignment, remaining);
            line_.flags |= TextLineEndsParagraph;
            line_.paragraphWidth = available_;
            line_.extent = line_.fullWidth;
            seg_.extraWidth = remaining;
            lineSegs_.push_back(seg_);
            line_.segmentCount = static_cast<int>(lineSegs_.size());
            for (const TextSegment& s : lineSegs_) {
                if ((error_ = PutSegmentRecord(&s, st_, si_, kNone)) != 0) break;
                ++si_;
            }
            if (!error_) error_ = PutLineRecord(&line_, st_, li_, kNone);
            if (error_) {
                st_->flags &= ~TenFlagLayoutPending;
                return error_;
            }
            ++li_;
        }
        st_->lineCount = li_;
        st_->segmentCount = si_;
        *outEndLine = li_;
    } else {
        RemoveRecords<TextLine>(st_->lines, &st_->lineCount, li_, stopLine_);
        RemoveRecords<TextSegment>(st_->segments, &st_->segmentCount, si_, stopSeg_);
        int runIndex = run_;
        if (run_ + 1 < runCount_ && runs_[run_ + 1].firstChar == syncLine_.firstChar) ++runIndex;
        const int segShift = si_ - syncLine_.firstSegment;
        const int runShift = runIndex - syncLine_.firstRun;
        const int yShift = newTop - syncLine_.y;
        int cleared = 0;
        {
            Locked<TextLine> lines(st_->lines);
            for (int i = li_; i < st_->lineCount; ++i) {
                TextLine& l = lines.get()[i];
                l.firstSegment += segShift;
                l.firstRun += runShift;
                if (bandCount_ > 0 && (l.flags & TextLineFirstOfBand)) {
                    l.flags &= ~TextLineFirstOfBand;
                    if (i > li_) ++cleared;
                }
                l.y += yShift - cleared * g_bandGap;
            }
        }
        if (cleared) bandChanged_ = true;
        *outEndLine = (yShift != 0 || cleared) ? st_->lineCount : li_;
    }
    CutBack(&st_->lines, st_->lineCount * kTextLineSize);

    {
        Locked<TextLine> lines(st_->lines);
        TextLine* all = lines.get();
        const int count = st_->lineCount;
        int lastBottom = all[count - 1].y + all[count - 1].height;
        if (lastBottom != oldBottom || firstLine == 0) {
            const int textHeight = lastBottom - all[0].y;
            const int space = st_->height - st_->margins.top - st_->margins.bottom - textHeight;
            int offset = 0;
            if (st_->verticalAlign == 6) offset = space / 2;
            else if (st_->verticalAlign == 8) offset = space;
            offset = std::max(offset, 0);
            const int shift = st_->margins.top + offset - all[0].y;
            if (shift != 0)
                for (int i = 0; i < count; ++i) all[i].y += shift;
            lastBottom += shift;
            *outFirstLine = 0;
            *outEndLine = count;
        }
        if (*outEndLine < count && (all[*outEndLine].flags & TextLinePushedToBand)) ++*outEndLine;
        st_->segmentCount = all[count - 1].firstSegment + all[count - 1].segmentCount;

        if (bandCount_ > 0 && (*outEndLine == count || bandChanged_)) {
            if (limitInForce_) {
                FlowLinesOverRegions(editor_, st_, band_, bands_, all, li_ > 0 ? li_ - 1 : 0, runs_,
                                     formats_);
                lastBottom = all[count - 1].y + all[count - 1].height;
            } else if (all[count - 1].y > bands_[bandCount_ - 1].filledTo + 200) {
                PostMessageA(GetParent(editor_), TenNoticeFarBelowBands, 0, 0);
            }
        }
        const int limit = bandCount_ > 0 ? bands_[bandCount_ - 1].top + bands_[bandCount_ - 1].height
                                         : 32767;
        const bool overflowing = lastBottom > limit;
        if (overflowing != (oldBottom > limit))
            SendMessageA(GetParent(editor_), TenNoticeOverflow, overflowing ? 1 : 0, 0);
        const long blockSize = kTextBlockSize + static_cast<long>(kTextLineSize) * count +
                               static_cast<long>(kTextSegmentSize) * st_->segmentCount +
                               static_cast<long>(kTextRunSize) * st_->runCount +
                               static_cast<long>(kParagraphFormatSize) * FormatTableCount(formats_) +
                               st_->textLength;
        if (blockSize > kLargestTextBlock)
            PostMessageA(GetParent(editor_), TenNoticeBlockTooLarge, 0, 0);
    }
    CutBack(&st_->segments, st_->segmentCount * kTextSegmentSize);
    st_->flags &= ~TenFlagLayoutPending;
    return 0;
}

}  // namespace

int PutLineRecord(const TextLine* line, TenState* state, int index, int stopLine)
{
    return PutRecord(line, &state->lines, &state->lineCount, index, stopLine);
}

int PutSegmentRecord(const TextSegment* segment, TenState* state, int index, int stopSegment)
{
    return PutRecord(segment, &state->segments, &state->segmentCount, index, stopSegment);
}

int LayoutLines(HWND editor, HGLOBAL stateHandle, int firstLine, int stopLine, int* outEndLine,
                int* outFirstLine)
{
    int endLine = 0, first = firstLine;
    Locked<TenState> state(stateHandle);
    if (!state.get()) return ErrOutOfMemory;
    TenState* st = state.get();
    Locked<char> text(st->text);
    Locked<TextRun> runs(st->runs);
    Locked<BYTE> formats(st->formats);
    if (!runs.get() || !formats.get()) return ErrOutOfMemory;
    static const char kEmpty[1] = {0};
    LineLayout layout(editor, st, text.get() ? text.get() : kEmpty, runs.get(), formats.get());
    const int result = layout.Run(firstLine, stopLine, &endLine, &first);
    if (outEndLine) *outEndLine = endLine;
    if (outFirstLine) *outFirstLine = first;
    return result;
}

namespace {

// The space below a line: its paragraph format's spacing, and room for a rule below a
// paragraph.
int SpacingBelow(const TextLine& line, const TextRun* runs, const void* formatTable)
{
    const TextRun& run = runs[line.firstRun];
    const ParagraphFormat& format = *ParagraphFormatAt(
        FormatTableEntries(formatTable), FormatTableCount(formatTable), run.paragraphFormat);
    int spacing = line.height * format.lineSpacing / 100 + format.extraSpacing;
    if ((line.flags & TextLineEndsParagraph) && (run.runFlags & 1)) spacing += kRuleRoom;
    return spacing;
}

}  // namespace

void FlowLinesOverRegions(HWND, TenState* state, int band, TextRegion* bands, TextLine* lines,
                          int line, const TextRun* runs, const void* formatTable)
{
    const int bandCount = state->bandCount;
    const int count = state->lineCount;
    if (bandCount <= 0 || count <= 0) return;
    if (band >= bandCount) {
        band = bandCount - 1;
        line = bands[band].firstLine;
    } else if (line < bands[band].firstLine) {
        line = bands[band].firstLine;
    }
    line = std::clamp(line, 0, count - 1);
    while (band > 0 && line > 0 && line == bands[band].firstLine) {
        --band;
        --line;
    }
    int top = state->margins.top;
    if (line > 0) {
        const TextLine& before = lines[line - 1];
        top = before.y + before.height + SpacingBelow(before, runs, formatTable);
    }
    int i = line;
    int b = band;
    for (; b < bandCount && i < count; ++b) {
        const int limit = b == 0 ? bands[0].top + bands[0].height
                                 : bands[b - 1].filledTo + bands[b].height + g_bandGap;
        const int firstOfBand = i;
        bool pushedEnd = false;
        while (i < count) {
            TextLine& l = lines[i];
            if ((l.flags & TextLinePushedToBand) && i != firstOfBand && i != 0 &&
                b < bandCount - 1) {
                l.y = bands[b].top + bands[b].height;
                pushedEnd = true;
                break;
            }
            // A band's first line keeps the separator above it.
            if (i != firstOfBand || b == band) l.flags &= ~TextLineFirstOfBand;
            l.y = top;
            if (top + l.height > limit) break;
            top += l.height + SpacingBelow(l, runs, formatTable);
            ++i;
        }
        if (i >= count || b == bandCount - 1) break;
        if (i == firstOfBand && !pushedEnd) {
            // A line taller than its band stays where it was placed.
            top = limit + g_bandGap;
            ++i;
            bands[b + 1].firstLine = i;
            continue;
        }
        TextLine& l = lines[i];
        if (l.flags & TextLinePushedToBand) bands[b].filledTo = lines[i - 1].y + lines[i - 1].height;
        else bands[b].filledTo = l.y;
        l.y += g_bandGap;
        l.flags |= TextLineFirstOfBand;
        bands[b + 1].firstLine = i;
        if (pushedEnd) {
            top = l.y + l.height + SpacingBelow(l, runs, formatTable);
            ++i;
        }
        top += g_bandGap;
    }
    for (; i < count; ++i) {
        lines[i].flags &= ~TextLineFirstOfBand;
        lines[i].y = top;
        top += lines[i].height + SpacingBelow(lines[i], runs, formatTable);
    }
}

void AlignTextLinesHorizontally(TextLine* lines, const TextRun* runs,
                                const ParagraphFormat* formats, int lineCount, int formatCount,
                                int left, int width)
{
    for (int i = 0; i < lineCount; ++i) {
        TextLine& line = lines[i];
        const ParagraphFormat& format =
            *ParagraphFormatAt(formats, formatCount, runs[line.firstRun].paragraphFormat);
        line.x = left + AlignmentShift(format.alignment, width - line.breakWidth) + format.leftIndent;
    }
}

void AlignTextLinesVertically(TextLine* lines, int lineCount, int verticalAlign, int top,
                              int height)
{
    if (lineCount <= 0) return;
    const int first = lines[0].y;
    const int textHeight = lines[lineCount - 1].y + lines[lineCount - 1].height - first;
    int shift = 0;
    if (verticalAlign == 6) shift = (height - textHeight) / 2;
    else if (verticalAlign == 8) shift = height - textHeight;
    shift = std::max(shift, 0);
    for (int i = 0; i < lineCount; ++i) lines[i].y = lines[i].y - first + top + shift;
}
