// Text attribute requests on objects and labels, drawing stored text, and the editor's
// background behind the text.
#include <gtest/gtest.h>

#include <cstring>

#include "model/class_protocol.h"
#include "model/device_units.h"
#include "object_text_fixture.h"
#include "text/font_list.h"
#include "text/object_text.h"
#include "text/text_format.h"
#include "text/text_paint.h"

namespace {

class ObjectTextFormatTest : public ObjectTextTest {
protected:
    int Apply(int row, int message, const TextFormatRequest& request)
    {
        int result = -1;
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        result = ApplyObjectTextFormat(d.get(), objects.get(), row, message, &request);
        return result;
    }
    int LineWithLabel(int alignH, int alignV)
    {
        const int line = Add(ClassLine, {1000, 2000, 4000, 2000}, 0);
        Change(line, [&](DrawObject& o, Drawing&) {
            o.textAlignH = alignH;
            o.textAlignV = alignV;
        });
        EditText(line, "Label");
        return line;
    }
};

// A white 600 x 600 pixel DIB at the drawing's 600 units per inch.
class Canvas600 {
public:
    Canvas600()
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = 600;
        info.bmiHeader.biHeight = -600;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        std::memset(bits_, 0xFF, 600 * 600 * 4);
        SetLogicalUnits(dc_, 0, kDrawingUnitsPerInch);
        SetTextAlign(dc_, TA_BASELINE);
        SetBkMode(dc_, TRANSPARENT);
    }
    ~Canvas600()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    // Pixels inside the pixel rectangle that are not `colour` (0xRRGGBB).
    int Other(RECT r, DWORD colour) const
    {
        GdiFlush();
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if ((bits_[y * 600 + x] & 0xFFFFFF) != colour) ++n;
        return n;
    }
    DWORD At(int x, int y) const
    {
        GdiFlush();
        return bits_[y * 600 + x] & 0xFFFFFF;
    }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    DWORD* bits_ = nullptr;
};

TEST_F(ObjectTextFormatTest, ARequestOnALineReachesItsLabelOnly)
{
    TextFormatRequest request = {};
    request.size = 30;
    const int bare = Add(ClassLine, {1000, 4000, 4000, 4000}, 0);
    EXPECT_EQ(0, Apply(bare, OM_TEXTSIZE, request));
    EXPECT_EQ(-1, Object(bare).textId);

    const int line = LineWithLabel(0, 0);
    const int label = Count() - 1;
    ASSERT_EQ(0, Apply(line, OM_TEXTSIZE, request));
    EXPECT_EQ(30, StoredRuns(label).at(0).size);
    EXPECT_EQ(-1, Object(line).textId);
}

TEST_F(ObjectTextFormatTest, AlignmentRehooksTheLabelAndTheLineKeepsIt)
{
    const int line = LineWithLabel(0, 0);
    const int label = Count() - 1;
    ASSERT_EQ(203, Object(label).hooks[0].holderCode);
    TextFormatRequest request = {};
    request.alignment = 6;
    request.verticalAlign = 6;
    ASSERT_EQ(0, Apply(line, OM_TEXTALIGN, request));
    EXPECT_EQ(209, Object(label).hooks[0].holderCode);
    EXPECT_EQ(6, Object(line).textAlignH);
    EXPECT_EQ(6, Object(line).textAlignV);
}

TEST_F(ObjectTextFormatTest, SizeStepsStopAt144And4)
{
    struct Case {
        int message, size, expected;
    };
    const Case cases[] = {{OM_TEXTLARGER, 140, 144}, {OM_TEXTSMALLER, 5, 4}, {OM_TEXTLARGER, 12, 14},
                          {OM_TEXTSMALLER, 12, 11}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const int shape = AddShape({1200, 1200, 2400, 1800});
        StoreText(shape, MakeTextBlock("Size", 0, c.size));
        ASSERT_EQ(0, Apply(shape, c.message, TextFormatRequest{}));
        EXPECT_EQ(c.expected, StoredRuns(shape).at(0).size);
        EXPECT_EQ(c.expected, StoredRuns(shape).at(0).nominalSize);
    }
}

TEST_F(ObjectTextFormatTest, ATypefaceSkipsRunsThatKeepTheirFaceAndBecomesTheDefault)
{
    int slot = -1;
    {
        Locked<DocumentState> state = State();
        const int index = FindFontByFace(state->fontList, "Courier New");
        ASSERT_GE(index, 0);
        slot = MapDocumentFont(state->fontMap, index);
    }
    ASSERT_GT(slot, 0);
    std::vector<BYTE> block = MakeTextBlock("Kept Changed");
    auto* header = reinterpret_cast<TextBlock*>(block.data());
    // Two runs: "Kept " keeps its face, "Changed" does not.
    TextRun second = *reinterpret_cast<TextRun*>(block.data() + kTextBlockSize);
    TextRun* first = reinterpret_cast<TextRun*>(block.data() + kTextBlockSize);
    first->charCount = 5;
    first->runFlags = 0x10;
    second.firstChar = 5;
    second.charCount = 7;
    block.insert(block.begin() + kTextBlockSize + kTextRunSize, reinterpret_cast<BYTE*>(&second),
                 reinterpret_cast<BYTE*>(&second) + sizeof second);
    header = reinterpret_cast<TextBlock*>(block.data());
    header->runCount = 2;
    const int shape = AddShape({1200, 1200, 3600, 1800});
    StoreText(shape, block);
    TextFormatRequest request = {};
    request.mask = 4;
    request.face = slot;
    ASSERT_EQ(0, Apply(shape, OM_TEXTFORMAT, request));
    const std::vector<TextRun> runs = StoredRuns(shape);
    ASSERT_EQ(2u, runs.size());
    EXPECT_EQ(0, runs[0].face);
    EXPECT_EQ(slot, runs[1].face);
    EXPECT_STREQ("Courier New", LockDrawing()->defaults.defaultFace);
}

TEST_F(ObjectTextFormatTest, BulletsNoneRemovesTheIndent)
{
    const int shape = AddShape({1200, 1200, 3600, 1800});
    StoreText(shape, MakeTextBlock("Bullet"));
    // The bullet's indent is the laid-out first line's ascent.
    Change(shape, [](DrawObject& o, Drawing& d) { LayoutObjectText(&d, &o, 0); });
    TextFormatRequest request = {};
    auto format = [&]() {
        const std::vector<BYTE> text = StoredText(shape);
        const auto* h = reinterpret_cast<const TextBlock*>(text.data());
        return *reinterpret_cast<const ParagraphFormat*>(text.data() + kTextBlockSize + kTextLineSize * h->lineCount +
                                                         kTextRunSize * h->runCount);
    };
    request.alignment = 2;
    ASSERT_EQ(0, Apply(shape, OM_TEXTINDENT, request));
    EXPECT_EQ(2, format().bullet);
    EXPECT_GT(format().leftIndent, 0);
    request.alignment = 0;
    ASSERT_EQ(0, Apply(shape, OM_TEXTINDENT, request));
    EXPECT_EQ(0, format().bullet);
    EXPECT_EQ(0, format().leftIndent);
}

TEST_F(ObjectTextFormatTest, ADamagedTextIsNeitherFormattedNorDrawn)
{
    for (const DamagedText& damaged : DamagedTexts()) {
        SCOPED_TRACE(damaged.name);
        const int shape = AddShape({60, 60, 1200, 600});
        StoreText(shape, damaged.block);
        const std::vector<BYTE> before = StoredText(shape);
        TextFormatRequest request = {};
        request.size = 40;
        EXPECT_EQ(0, Apply(shape, OM_TEXTSIZE, request));
        EXPECT_EQ(before, StoredText(shape));
        Canvas600 canvas;
        {
            Locked<Drawing> d = LockDrawing();
            Locked<ObjectList> objects(d->objectList);
            DrawObjectText(canvas.dc(), OM_DRAW, d.get(), objects.get(), shape, 1, 0, nullptr);
        }
        EXPECT_EQ(0, canvas.Other({0, 0, 600, 600}, 0xFFFFFF));
    }
}

TEST_F(ObjectTextFormatTest, TurnedTextIsDrawnAndLeavesNoTurnedFontBehind)
{
    const int shape = AddShape({600, 600, 2400, 1200});
    StoreText(shape, MakeTextBlock("Turned text", 0, 36));
    Change(shape, [](DrawObject& o, Drawing& d) { LayoutObjectText(&d, &o, 0); });
    Change(shape, [](DrawObject& o, Drawing&) { o.angle = 300; });
    Canvas600 canvas;
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        DrawObjectText(canvas.dc(), OM_DRAW, d.get(), objects.get(), shape, 1, 0, nullptr);
    }
    EXPECT_GT(canvas.Other({0, 0, 600, 600}, 0xFFFFFF), 0);
    for (const TextRun& run : StoredRuns(shape)) {
        EXPECT_EQ(0, run.font);
        EXPECT_EQ(0, run.escapement);
    }
}

TEST_F(ObjectTextFormatTest, TheEditorShowsTheObjectsBorderAndFillButNotItsText)
{
    struct Case {
        int border;
        int fill;
        bool shows;
    };
    for (const Case& c : {Case{24, 1, true}, Case{0, 0, false}}) {
        SCOPED_TRACE(c.border);
        const int shape = AddShape({600, 600, 2400, 1800});
        Change(shape, [&](DrawObject& o, Drawing&) {
            o.lineWidth = c.border;
            o.lineColor = 0;
            o.fillPattern = c.fill;
            o.fillColor = RGB(255, 0, 0);
        });
        StoreText(shape, MakeTextBlock("WWWWWWWW", 0, 48));
        ASSERT_EQ(0, Begin(shape, 700, 700));
        Canvas600 canvas;
        {
            Locked<TenState> state(TenStateHandle(Editor()));
            SED_TENProc(Editor(), canvas.dc(), state.get());
        }
        // The editor's 1800 x 1200 units, 6 units to the pixel at 100 per inch.
        const int width = 1800 * GetDeviceCaps(canvas.dc(), LOGPIXELSX) / 600;
        const int height = 1200 * GetDeviceCaps(canvas.dc(), LOGPIXELSY) / 600;
        const RECT inside = {10, 10, width - 10, height - 10};
        if (c.shows) {
            EXPECT_EQ(0x000000u, canvas.At(1, height / 2));
            EXPECT_EQ(0, canvas.Other(inside, 0xFF0000));
        } else {
            EXPECT_EQ(0, canvas.Other({0, 0, width, height}, 0xFFFFFF));
        }
        ASSERT_EQ(0, End(-1));
    }
}

}  // namespace
