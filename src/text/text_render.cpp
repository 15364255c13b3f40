// Rendering laid-out text segment by segment at the positions layout gave it.
#include "text/text_render.h"

#include <algorithm>
#include <cstdlib>

#include "frame/frame_ui.h"
#include "geometry/point_geometry.h"
#include "model/device_units.h"
#include "text/font_cache.h"
#include "text/text_device.h"
#include "text/text_engine.h"
#include "text/text_measure.h"

namespace {

constexpr COLORREF kLightGrey = RGB(192, 192, 192);

int ScriptSize(const TextRun* run)
{
    int size = run->size;
    if (run->script != 0) size = size * 3 / 4;
    return std::max(size, 4);
}

class LineRenderer {
public:
    explicit LineRenderer(const TextRenderArgs& a) : a_(a), device_(CurrentTextDevice()) {}
    void Draw();

private:
    void SetUpRun();
    void DrawSegment(int index, const TextLine& line, bool last);
    void FinishLine(const TextLine& line, int lineIndex);
    POINT Turned(int x, int y) const;

    const TextRenderArgs& a_;
    TextDevice& device_;
    int run_ = 0;
    int position_ = 0;
    int angle_ = 0;
    bool rotating_ = false;
    const ParagraphFormat* runFormat_ = nullptr;
    COLORREF color_ = 0;
    bool inverse_ = false;
    bool underline_ = false;
    int dash_ = 0;
    int shift_ = 0;
    HFONT metafileFont_ = nullptr;
    // Line state.
    const ParagraphFormat* lineFormat_ = nullptr;
    bool justified_ = false;
    bool bulletDue_ = false;
    int baseline_ = 0;
    int left_ = 0;
};

POINT LineRenderer::Turned(int x, int y) const
{
    POINT p{x, y};
    if (rotating_) RotatePoints(a_.frame, angle_, &p, 1);
    return p;
}

void LineRenderer::SetUpRun()
{
    TextRun* run = &a_.runs[run_];
    runFormat_ = ParagraphFormatAt(a_.formats, a_.formatCount, run->paragraphFormat);
    if (a_.colorOverride) color_ = a_.colorOverride->color;
    else if (a_.allBlack) color_ = RGB(0, 0, 0);
    else color_ = MapColorForDevice(a_.dc, run->color, TRUE);
    if (!run->font) CreateScreenRunFont(run, a_.fontList, a_.fontMap, a_.baseUnit);
    HFONT cached = reinterpret_cast<HFONT>(static_cast<INT_PTR>(run->font));
    if (MetafileRecordingFlag) {
        device_.SelectFont(a_.measureDC, cached);
        HFONT own = CreateRotatedRunFont(run, a_.fontList, a_.fontMap, a_.baseUnit);
        if (own) SelectObject(a_.dc, own);
        if (metafileFont_) DeleteObject(metafileFont_);
        metafileFont_ = own;
    } else {
        device_.SelectFont(a_.dc, cached);
        if (a_.measureDC && a_.measureDC != a_.dc) device_.SelectFont(a_.measureDC, cached);
    }
    SetRunCharSpacing(a_.dc, a_.formats, a_.formatCount, run);
    if (a_.measureDC && a_.measureDC != a_.dc)
        SetRunCharSpacing(a_.measureDC, a_.formats, a_.formatCount, run);
    SetTextColor(a_.dc, color_);
    inverse_ = (run->style & 8) != 0;
    underline_ = (run->style & 4) != 0 && run->script >= 0;
    dash_ = device_.Extent(a_.measureDC ? a_.measureDC : a_.dc, "-", 1);
    shift_ = run->script > 0 ? -run->height / 2 : run->script < 0 ? run->height / 4 : 0;
}

void LineRenderer::DrawSegment(int index, const TextLine& line, bool last)
{
    const TextSegment& segment = a_.segments[index];
    const int passed = position_ - line.firstChar;
    const int toDraw = line.drawnChars - passed;
    if (toDraw > 0) {
        while (run_ + 1 < a_.runCount && a_.runs[run_ + 1].firstChar <= position_) {
            ++run_;
            SetUpRun();
        }
        const TextRun& run = a_.runs[run_];
        int count = std::min({toDraw, run.firstChar + run.charCount - position_, segment.drawnChars});
        count = std::max(0, std::min(count, a_.textLength - position_));
        if (justified_) SetJustification(a_.dc, segment.breakCount ? segment.extraWidth : 0, segment.breakCount, a_.fitMode);
        if (bulletDue_ && count > 0 && lineFormat_->bullet) {
            DrawBullet(a_.dc, color_, lineFormat_->bullet, left_ - lineFormat_->leftIndent, baseline_,
                       run.ascent, lineFormat_->leftIndent, rotating_ ? a_.frame : nullptr, angle_);
            bulletDue_ = false;
        }
        const int segmentLeft = segment.x + left_;
        bool whiteOnBlack = false;
        if (inverse_ || underline_) {
            int right;
            if (!last) right = a_.segments[index + 1].x + left_;
            else if (runFormat_->alignment == 32) right = line.extent + left_ - 18;
            else right = line.breakWidth + left_;
            RECT box{segmentLeft, line.y + a_.yOffset, right, line.y + line.height + a_.yOffset};
            if (inverse_) {
                HBRUSH brush = CreateSolidBrush(a_.greyHighlight ? kLightGrey : RGB(0, 0, 0));
                FillRect(a_.dc, &box, brush);
                DeleteObject(brush);
                if (!a_.greyHighlight) {
                    whiteOnBlack = true;
                    SetTextColor(a_.dc, RGB(255, 255, 255));
                }
            }
            if (underline_) {
                HPEN pen = whiteOnBlack ? nullptr : CreatePen(PS_SOLID, 6, color_);
                SelectObject(a_.dc, pen ? pen : ThinWhitePen);
                const POINT from = Turned(box.left, baseline_ + 1);
                const POINT to = Turned(box.right, baseline_ + 1);
                MoveToEx(a_.dc, from.x, from.y, nullptr);
                LineTo(a_.dc, to.x, to.y);
                SelectObject(a_.dc, ThinWhitePen);
                if (pen) DeleteObject(pen);
            }
        }
        if (count > 0) {
            const POINT at = Turned(segmentLeft, baseline_ + shift_);
            OutputTextPiece(a_.dc, a_.measureDC ? a_.measureDC : a_.dc, at.x, at.y, a_.text + position_,
                            count, a_.fitMode ? segment.width : 0, g_doubleByte);
        }
        if (whiteOnBlack) SetTextColor(a_.dc, color_);
    }
    if (last && (line.flags & TextLineSoftHyphen)) {
        int x = runFormat_->alignment == 32 ? line.extent + left_ - dash_ - 18 : line.breakWidth + left_ - dash_;
        const POINT at = Turned(x - 1, baseline_);
        TextOutA(a_.dc, at.x, at.y, "-", 1);
    }
    position_ += segment.charCount;
}

void LineRenderer::FinishLine(const TextLine& line, int lineIndex)
{
    if (!(line.flags & TextLineEndsParagraph)) return;
    const int next = lineIndex + 1 < a_.lineCount ? a_.lines[lineIndex + 1].firstChar : a_.textLength;
    if (next - line.firstChar <= 0) return;
    const TextRun& run = a_.runs[run_];
    if (!(run.runFlags & 3)) return;
    const int y = line.y + line.height + a_.yOffset + a_.baseUnit * 2 / 100;
    const int inset = a_.baseUnit / 10;
    int from, to;
    if (run.runFlags & 2) {
        from = a_.xOffset + runFormat_->leftIndent + inset;
        to = a_.xOffset + line.paragraphWidth - runFormat_->rightIndent - inset;
    } else {
        from = a_.xOffset;
        to = a_.xOffset + line.paragraphWidth + runFormat_->leftIndent;
    }
    if (from >= to) return;
    HGDIOBJ old = SelectObject(a_.dc, ThinBlackPen);
    MoveToEx(a_.dc, from, y, nullptr);
    LineTo(a_.dc, to, y);
    SelectObject(a_.dc, old);
}

void LineRenderer::Draw()
{
    const int end = std::min(a_.endLine, a_.lineCount);
    if (!a_.lines || !a_.runs || !a_.segments || a_.runCount <= 0 || a_.firstLine < 0 || a_.firstLine >= end)
        return;
    angle_ = a_.runs[0].escapement;
    rotating_ = a_.rotate && angle_ != 0;
    const TextLine& first = a_.lines[a_.firstLine];
    run_ = std::clamp(first.firstRun, 0, a_.runCount - 1);
    position_ = first.firstChar;
    SetUpRun();
    for (int i = a_.firstLine; i < end; ++i) {
        const TextLine& line = a_.lines[i];
        position_ = line.firstChar;
        while (run_ + 1 < a_.runCount && a_.runs[run_ + 1].firstChar <= position_) {
            ++run_;
            SetUpRun();
        }
        lineFormat_ = runFormat_;
        justified_ = lineFormat_->alignment == 32 && !(line.flags & TextLineEndsParagraph);
        bulletDue_ = i == 0 || (a_.lines[i - 1].flags & TextLineEndsParagraph);
        baseline_ = line.y + line.ascent + a_.yOffset;
        left_ = line.x + a_.xOffset;
        SetJustification(a_.dc, 0, 0, a_.fitMode);
        if (a_.measureDC && a_.measureDC != a_.dc) SetJustification(a_.measureDC, 0, 0, a_.fitMode);
        const int count = std::max(line.segmentCount, 1);
        for (int s = 0; s < count; ++s) {
            const int index = line.firstSegment + s;
            if (index < 0) break;
            DrawSegment(index, line, s == count - 1);
        }
        FinishLine(line, i);
    }
    SetJustification(a_.dc, 0, 0, a_.fitMode);
    if (a_.measureDC && a_.measureDC != a_.dc) SetJustification(a_.measureDC, 0, 0, a_.fitMode);
    if (metafileFont_) {
        SelectObject(a_.dc, GetStockObject(SYSTEM_FONT));
        DeleteObject(metafileFont_);
    }
}

}  // namespace

void RenderTextLines(const TextRenderArgs& args)
{
    LineRenderer(args).Draw();
}

void RenderTextWithEffect(const TextRenderArgs& args, const TextEffect& effect)
{
    HDC dc = args.dc;
    HDC measure = args.measureDC ? args.measureDC : dc;
    const int kind = effect.kind;
    if (kind < 1 || kind > 5) {
        RenderTextLines(args);
        return;
    }
    SIZE steps{std::abs(effect.dx), std::abs(effect.dy)};
    LogicalToDeviceSize(measure, &steps);
    const int count = std::max<int>({std::abs(steps.cx), std::abs(steps.cy), 1});
    const int sx = effect.dx > 0 ? 1 : effect.dx < 0 ? -1 : 0;
    const int sy = effect.dy > 0 ? 1 : effect.dy < 0 ? -1 : 0;
    COLORREF first = MapColorForDevice(dc, effect.color, TRUE);
    COLORREF second = MapColorForDevice(dc, effect.color2, FALSE);
    if (kind == 2) {
        first = MapColorForDevice(dc, effect.color2, FALSE);
        second = MapColorForDevice(dc, effect.color, TRUE);
    }
    auto copyAt = [&](int dx, int dy, COLORREF color, bool deviceOffset) {
        SIZE offset{dx, dy};
        if (deviceOffset) DeviceToLogicalSize(measure, &offset);
        POINT origin;
        GetWindowOrgEx(dc, &origin);
        SetWindowOrgEx(dc, origin.x - offset.cx, origin.y - offset.cy, nullptr);
        TextColorOverride over{0, 0, color};
        TextRenderArgs copy = args;
        copy.colorOverride = &over;
        RenderTextLines(copy);
        SetWindowOrgEx(dc, origin.x, origin.y, nullptr);
    };
    if (kind == 3) {
        for (int i = 1; i <= count; ++i) copyAt(i * sx, i * sy, effect.color, true);
    } else if (kind == 4 || kind == 5) {
        copyAt(effect.dx, effect.dy, first, false);
    } else {
        for (int i = 1; i <= count; ++i) copyAt(i, i, first, true);
        for (int i = 1; i <= count; ++i) copyAt(-i, -i, second, true);
    }
    RenderTextLines(args);
}

void DrawBullet(HDC dc, COLORREF color, int kind, int x, int y, int ascent, int leftIndent,
                const RECT* frame, int angle)
{
    const int size = std::min(ascent / 2, leftIndent);
    const int r = std::max(size, 2) / 2 + 1;
    POINT centre{x + r, y - r};
    if (angle != 0 && frame) RotatePoints(frame, angle, &centre, 1);
    if (kind < 1 || kind > 4) return;
    const COLORREF mapped = MapColorForDevice(dc, color, TRUE);
    HPEN pen = CreatePen(PS_INSIDEFRAME, 6, mapped);
    HBRUSH brush = CreateSolidBrush(mapped);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, (kind == 2 || kind == 4) ? brush : GetStockObject(NULL_BRUSH));
    if (kind <= 2) Ellipse(dc, centre.x - r, centre.y - r, centre.x + r, centre.y + r);
    else Rectangle(dc, centre.x - r, centre.y - r, centre.x + r, centre.y + r);
    SelectObject(dc, oldBrush);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    (void)oldPen;
    DeleteObject(pen);
    DeleteObject(brush);
}

void CreateScreenRunFont(TextRun* run, HGLOBAL fontList, HGLOBAL fontMap, int baseUnit)
{
    if (run->font) return;
    HFONT font = GetCachedFont(fontList, fontMap, run->face, ScriptSize(run), run->style, 0,
                               run->escapement, baseUnit);
    run->font = static_cast<INT32>(reinterpret_cast<INT_PTR>(font));
}

HFONT CreateRotatedRunFont(const TextRun* run, HGLOBAL fontList, HGLOBAL fontMap, int baseUnit)
{
    return CreateListFont(fontList, fontMap, run->face, ScriptSize(run), run->style, run->escapement,
                          run->averageWidth, baseUnit);
}
