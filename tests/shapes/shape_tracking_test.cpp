// XOR feedback of shapes (creating, moving, resizing, rotating, adjusting), drawn and erased by
// pixels; the page kept after a rotation; and the text messages on a shape's stored text.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "shape_fixture.h"
#include "geometry/point_geometry.h"
#include "shapes/shape_kinds.h"
#include "shapes/shape_tracking.h"
#include "store/store_records.h"
#include "text/object_text.h"
#include "text/text_format.h"

namespace {

// A white 400 x 300 picture of the drawing area from (0, 0), one pixel per unit.
class Canvas {
public:
    Canvas()
    {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kW, -kH, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        dc_ = CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc_, bitmap_);
        PatBlt(dc_, 0, 0, kW, kH, WHITENESS);
    }
    ~Canvas()
    {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    HDC dc() const { return dc_; }
    // Black pixels in the rectangle (right and bottom included), clipped to the picture.
    int Black(LONG l, LONG t, LONG r, LONG b) const
    {
        GdiFlush();
        int n = 0;
        for (LONG y = t < 0 ? 0 : t; y <= b && y < kH; ++y)
            for (LONG x = l < 0 ? 0 : l; x <= r && x < kW; ++x)
                n += (static_cast<const DWORD*>(bits_)[y * kW + x] & 0xFFFFFF) == 0;
        return n;
    }
    int AllBlack() const { return Black(0, 0, kW - 1, kH - 1); }

private:
    static constexpr int kW = 400, kH = 300;
    HBITMAP bitmap_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
};

class ShapeTracking : public ShapeClass {
protected:
    LONG SendTo(HDC dc, int row, int message, int a, int b, void* p)
    {
        Locked<Drawing> d(state_->drawing);
        Locked<ObjectList> objects(d->objectList);
        return SED_ShapeHandler(dc, d.get(), objects.get(), row, message, a, b, p);
    }
};

TEST_F(ShapeTracking, HandleMoveAndCreateOutlinesAreDrawnAndErased)
{
    const int row = Add(ShapeRectangle, RECT{50, 50, 250, 200});
    struct Case {
        int message;
        int rowArg;
        RECT rect;
        bool dotted;
    } cases[] = {
        {4, row, {60, 60, 300, 250}, true},
        {5, row, {80, 40, 280, 190}, true},
        {27, -1, {100, 90, 300, 280}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Canvas canvas;
        RECT rect = c.rect;
        ASSERT_EQ(0, SendTo(canvas.dc(), c.rowArg, c.message, ShapeRectangle, 0, &rect));
        // The top edge of the tracked rectangle: every pixel for the creation pen, about every
        // other one for the dotted pen.
        const int span = rect.right - rect.left - 20;
        const int top = canvas.Black(rect.left + 10, rect.top, rect.right - 11, rect.top);
        if (c.dotted) {
            EXPECT_GT(top, span / 4);
            EXPECT_LT(top, span * 9 / 10);
        } else {
            EXPECT_EQ(span, top);
        }
        EXPECT_GT(canvas.Black(rect.left, rect.top + 10, rect.left, rect.bottom - 11), 0);
        EXPECT_EQ(0, canvas.Black(rect.left + 2, rect.top + 2, rect.right - 3, rect.bottom - 3));
        ASSERT_EQ(0, SendTo(canvas.dc(), c.rowArg, c.message, ShapeRectangle, 0, &rect));
        EXPECT_EQ(0, canvas.AllBlack());
    }
}

TEST_F(ShapeTracking, RotatedShapeTurnsAboutItsFrameWhenResizedAndAboutTheTrackWhenMoved)
{
    const int row = Add(ShapeRectangle, RECT{100, 50, 300, 150});
    Change(row, [](DrawObject& s, Drawing&) { s.angle = 900; });
    RECT track = {140, 50, 340, 150};
    // About the frame's centre (200, 100) the track stands at x 150..250, y -40..160; about its
    // own centre (240, 100) at x 190..290, y 0..200.
    struct Case {
        int message;
        LONG edgeX;
        LONG otherX;
    } cases[] = {{4, 150, 290}, {5, 290, 150}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Canvas canvas;
        SendTo(canvas.dc(), row, c.message, ShapeRectangle, 0, &track);
        EXPECT_GT(canvas.Black(c.edgeX - 2, 20, c.edgeX + 2, 140), 20);
        EXPECT_EQ(0, canvas.Black(c.otherX - 2, 20, c.otherX + 2, 140));
        SendTo(canvas.dc(), row, c.message, ShapeRectangle, 0, &track);
        EXPECT_EQ(0, canvas.AllBlack());
    }
}

TEST_F(ShapeTracking, CreationOutlineTakesThePaletteToolsParameter)
{
    // A 200-unit rounded square: radius 0.4 x 200 keeps (L + 50, T) off the outline, the kind's
    // default 0.2 puts it on the straight top edge.
    settings_.tools[3].adjustment = 0.4;
    RECT rect = {50, 50, 250, 250};
    for (int slot : {3, -1}) {
        SCOPED_TRACE(slot);
        {
            Locked<Drawing> d(state_->drawing);
            d->toolSlot = slot;
        }
        Canvas canvas;
        SendTo(canvas.dc(), -1, OM_TRACKCREATE, ShapeRoundedRect, 0, &rect);
        EXPECT_EQ(slot == 3 ? 0 : 1, canvas.Black(100, 50, 100, 50));
        SendTo(canvas.dc(), -1, OM_TRACKCREATE, ShapeRoundedRect, 0, &rect);
        EXPECT_EQ(0, canvas.AllBlack());
    }
}

TEST_F(ShapeTracking, RotationFeedbackTurnsTheFrameByTheDrag)
{
    // Anchor at the bottom-right corner: the drag turns the top-left corner (100, 50) about the
    // centre (200, 100) onto (150, 200), a quarter turn counter-clockwise.
    const int row = Add(ShapeRectangle, RECT{100, 50, 300, 150});
    RECT drag = {150, 150, 300, 200};
    const int anchor = MAKELONG(300, 150);
    Canvas canvas;
    ASSERT_EQ(0, SendTo(canvas.dc(), row, OM_TRACKROTATE, ShapeRectangle, anchor, &drag));
    // The turned frame stands at x 150..250, y 0..200; the frame itself is not drawn.
    EXPECT_GT(canvas.Black(148, 20, 152, 180), 30);
    EXPECT_GT(canvas.Black(248, 20, 252, 180), 30);
    EXPECT_EQ(0, canvas.Black(110, 48, 140, 52));
    EXPECT_EQ(0, canvas.Black(260, 48, 290, 52));
    ASSERT_EQ(0, SendTo(canvas.dc(), row, OM_TRACKROTATE, ShapeRectangle, anchor, &drag));
    EXPECT_EQ(0, canvas.AllBlack());
    // A standalone record is accepted too.
    DrawObject record = Object(row);
    SED_ShapeHandler(canvas.dc(), nullptr, &record, -1, OM_TRACKROTATE, ShapeRectangle, anchor, &drag);
    EXPECT_GT(canvas.Black(148, 20, 152, 180), 30);
}

TEST_F(ShapeTracking, AdjustmentFeedbackShowsTheDraggedParameter)
{
    // A parallelogram in (100, 100, 300, 200) has its top edge from L + p x 200 to R; the handle
    // measures x from the update rectangle's left side, 70.
    const int row = Add(ShapeInputOutput, RECT{100, 100, 300, 200});
    Change(row, [](DrawObject& s, Drawing&) { s.param = 0.2; });
    struct Case {
        LONG dragX;
        LONG edgeStart;
    } cases[] = {
        {150, 180},  // 0.4
        {90, 120},   // 0.1
        {500, 180},  // clamped to the highest, 0.4
        {0, 120},    // clamped to the lowest, 0.1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dragX);
        Canvas canvas;
        POINT drag = {c.dragX, 150};
        ASSERT_EQ(0, SendTo(canvas.dc(), row, OM_TRACKPARAM, 0, 0, &drag));
        EXPECT_EQ(0, canvas.Black(c.edgeStart - 15, 99, c.edgeStart - 5, 100));
        EXPECT_GT(canvas.Black(c.edgeStart + 5, 99, c.edgeStart + 60, 100), 10);
        SendTo(canvas.dc(), row, OM_TRACKPARAM, 0, 0, &drag);
        EXPECT_EQ(0, canvas.AllBlack());
    }
    EXPECT_DOUBLE_EQ(0.2, Object(row).param);

    // A rectangle has no handle and nothing to show.
    const int plain = Add(ShapeRectangle, RECT{100, 100, 300, 200});
    Canvas canvas;
    POINT drag = {150, 150};
    SendTo(canvas.dc(), plain, OM_TRACKPARAM, 0, 0, &drag);
    EXPECT_EQ(0, canvas.AllBlack());
}

TEST_F(ShapeTracking, TurningAShapePastThePageEdgePullsItBack)
{
    // 990 x 200 near the top: turned upright it would reach 295 units above the page.
    const int row = Add(ShapeRectangle, RECT{1000, 100, 1990, 300});
    ASSERT_EQ(0, Send(row, OM_SETANGLE, 900));
    RECT bounds;
    Send(row, OM_GETFRAME, 0, 0, &bounds);
    EXPECT_EQ(0, bounds.top);
    EXPECT_EQ(900, Object(row).angle);
}

// A text block with one run over "Hello", one paragraph format and no lines.
HGLOBAL MakeText(const TextRun& run)
{
    const SIZE_T size = sizeof(TextBlock) + sizeof(TextRun) + sizeof(ParagraphFormat) + 5;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    BYTE* bytes = static_cast<BYTE*>(GlobalLock(block));
    auto* header = reinterpret_cast<TextBlock*>(bytes);
    header->runCount = 1;
    header->formatCount = 1;
    header->textLength = 5;
    // The run covers the text, as every stored text's runs do.
    TextRun covering = run;
    covering.firstChar = 0;
    covering.charCount = 5;
    std::memcpy(bytes + sizeof(TextBlock), &covering, sizeof(covering));
    std::memcpy(bytes + size - 5, "Hello", 5);
    GlobalUnlock(block);
    return block;
}

class ShapeText : public ShapeClass {
protected:
    std::vector<BYTE> Stored(int textId)
    {
        HGLOBAL record = nullptr;
        EXPECT_EQ(0, LoadRecord(slot_, 114, textId, &record));
        if (!record) return {};
        const BYTE* bytes = static_cast<const BYTE*>(GlobalLock(record));
        std::vector<BYTE> payload(bytes + 16, bytes + GetBlockSize(record));
        GlobalUnlock(record);
        ReleaseBlock(record);
        return payload;
    }
};

TEST_F(ShapeText, FreeTextFromASourceGetsItsText)
{
    TextRun run = {};
    run.face = 3;
    run.size = 12;
    HGLOBAL source = MakeText(run);
    const int row = Add(ShapeFreeText, RECT{100, 100, 400, 200}, 0,
                        static_cast<int>(reinterpret_cast<INT_PTR>(source)));
    const DrawObject shape = Object(row);
    EXPECT_EQ(3, shape.classValue);  // the source's value at 88: here the run's face
    const BYTE* bytes = static_cast<const BYTE*>(GlobalLock(source));
    const std::vector<BYTE> expected(bytes, bytes + GlobalSize(source));
    GlobalUnlock(source);
    EXPECT_TRUE(expected == Stored(shape.textId));
    GlobalFree(source);

    // Without a source the record stays empty.
    EXPECT_TRUE(Stored(Object(Add(ShapeFreeText, RECT{100, 300, 400, 400})).textId).empty());
}

TEST_F(ShapeText, StoringTextRefusesOversizedAndInconsistentBlocks)
{
    const int id = Object(Add(ShapeFreeText, RECT{100, 100, 400, 200})).textId;
    HGLOBAL record = nullptr;
    ASSERT_EQ(0, LoadRecord(slot_, 114, id, &record));

    HGLOBAL text = MakeText(TextRun{});
    auto header = [&](auto change) {
        auto* h = static_cast<TextBlock*>(GlobalLock(text));
        change(*h);
        GlobalUnlock(text);
    };
    // 16 + 88 + 68 + 44 + text: exactly 65,000 is taken, one byte more is not.
    const SIZE_T fixed = 16 + 88 + 68 + 44;
    text = GlobalReAlloc(text, 65000 - 16, GMEM_MOVEABLE);
    header([&](TextBlock& h) { h.textLength = 65000 - fixed; });
    EXPECT_EQ(0, StoreTextBlock(&record, text));
    EXPECT_EQ(65000, GetBlockSize(record));
    text = GlobalReAlloc(text, 65000 - 15, GMEM_MOVEABLE);
    header([&](TextBlock& h) { h.textLength = 65000 - fixed + 1; });
    EXPECT_EQ(1, StoreTextBlock(&record, text));
    EXPECT_EQ(65000, GetBlockSize(record));
    // Counts that reach past the memory, or negative ones, are refused.
    header([&](TextBlock& h) { h.textLength = 100; h.runCount = 1000; });
    EXPECT_NE(0, StoreTextBlock(&record, text));
    header([&](TextBlock& h) { h.runCount = -1; });
    EXPECT_NE(0, StoreTextBlock(&record, text));
    EXPECT_EQ(65000, GetBlockSize(record));
    ReleaseBlock(record);
    GlobalFree(text);
}

TEST_F(ShapeText, TextMessagesChangeEveryRunOrParagraph)
{
    struct Case {
        const char* name;
        int message;
        TextFormatRequest request;
        TextRun before;
        size_t field;  // offset of the i32 field checked
        INT32 expected;
    };
    auto req = [](auto change) {
        TextFormatRequest r = {};
        change(r);
        return r;
    };
    auto runOf = [](auto change) {
        TextRun r = {};
        r.size = 12;
        r.nominalSize = 12;
        r.font = 77;
        change(r);
        return r;
    };
    const Case cases[] = {
        {"size", OM_TEXTSIZE, req([](auto& r) { r.size = 20; }), runOf([](auto&) {}), offsetof(TextRun, nominalSize), 20},
        {"larger caps at 144", OM_TEXTLARGER, {}, runOf([](auto& r) { r.size = 140; }), offsetof(TextRun, size), 144},
        {"larger below 12", OM_TEXTLARGER, {}, runOf([](auto& r) { r.size = 11; }), offsetof(TextRun, size), 12},
        {"smaller at 24", OM_TEXTSMALLER, {}, runOf([](auto& r) { r.size = 24; }), offsetof(TextRun, size), 22},
        {"smaller stops at 4", OM_TEXTSMALLER, {}, runOf([](auto& r) { r.size = 5; }), offsetof(TextRun, size), 4},
        {"style set", OM_TEXTSTYLESET, req([](auto& r) { r.setBits = 1; }), runOf([](auto& r) { r.style = 2; }), offsetof(TextRun, style), 3},
        {"style set none clears", OM_TEXTSTYLESET, {}, runOf([](auto& r) { r.style = 6; }), offsetof(TextRun, style), 0},
        {"style clear", OM_TEXTSTYLECLEAR, req([](auto& r) { r.clearBits = 2; }), runOf([](auto& r) { r.style = 7; }), offsetof(TextRun, style), 5},
        {"colour", OM_TEXTCOLOR, req([](auto& r) { r.color = RGB(1, 2, 3); }), runOf([](auto&) {}), offsetof(TextRun, color), static_cast<INT32>(RGB(1, 2, 3))},
        {"face", OM_TEXTFORMAT, req([](auto& r) { r.mask = 4; r.face = 5; }), runOf([](auto& r) { r.face = 1; }), offsetof(TextRun, face), 5},
        {"face kept by flag 0x10", OM_TEXTFORMAT, req([](auto& r) { r.mask = 4; r.face = 5; }), runOf([](auto& r) { r.face = 1; r.runFlags = 0x10; }), offsetof(TextRun, face), 1},
        {"format sets and clears", OM_TEXTFORMAT, req([](auto& r) { r.mask = 0x38; r.size = 30; r.setBits = 1; r.clearBits = 4; }), runOf([](auto& r) { r.style = 6; }), offsetof(TextRun, style), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HGLOBAL source = MakeText(c.before);
        const int row = Add(ShapeFreeText, RECT{100, 100, 400, 200}, 0,
                            static_cast<int>(reinterpret_cast<INT_PTR>(source)));
        GlobalFree(source);
        TextFormatRequest request = c.request;
        ASSERT_EQ(0, Send(row, c.message, 0, 0, &request));
        const std::vector<BYTE> stored = Stored(Object(row).textId);
        ASSERT_GE(stored.size(), sizeof(TextBlock) + sizeof(TextRun));
        // The text is laid out again: its lines come before the runs.
        const auto* header = reinterpret_cast<const TextBlock*>(stored.data());
        TextRun after;
        std::memcpy(&after, stored.data() + sizeof(TextBlock) + kTextLineSize * header->lineCount, sizeof(after));
        INT32 value;
        std::memcpy(&value, reinterpret_cast<const BYTE*>(&after) + c.field, sizeof(value));
        EXPECT_EQ(c.expected, value);
        // The cached font of the request's run is never kept.
        EXPECT_NE(77, after.font);
    }
}

TEST_F(ShapeText, ParagraphMessagesAndShapesWithoutText)
{
    TextRun run = {};
    run.ascent = 45;
    HGLOBAL source = MakeText(run);
    const int row = Add(ShapeFreeText, RECT{100, 100, 400, 200}, 0,
                        static_cast<int>(reinterpret_cast<INT_PTR>(source)));
    GlobalFree(source);
    auto format = [&] {
        const std::vector<BYTE> stored = Stored(Object(row).textId);
        const auto* header = reinterpret_cast<const TextBlock*>(stored.data());
        ParagraphFormat f;
        std::memcpy(&f, stored.data() + sizeof(TextBlock) + kTextLineSize * header->lineCount + sizeof(TextRun),
                    sizeof(f));
        return f;
    };
    auto firstAscent = [&] {
        const std::vector<BYTE> stored = Stored(Object(row).textId);
        const auto* header = reinterpret_cast<const TextBlock*>(stored.data());
        TextRun first;
        std::memcpy(&first, stored.data() + sizeof(TextBlock) + kTextLineSize * header->lineCount, sizeof(first));
        return first.ascent;
    };
    TextFormatRequest request = {};
    request.alignment = 6;
    request.verticalAlign = 8;
    ASSERT_EQ(0, Send(row, OM_TEXTALIGN, 0, 0, &request));
    EXPECT_EQ(6, format().alignment);
    EXPECT_EQ(6, Object(row).textAlignH);
    EXPECT_EQ(8, Object(row).textAlignV);

    request.alignment = 2;  // a filled circle bullet, indented by the first run's ascent
    const INT32 ascent = firstAscent();
    ASSERT_EQ(0, Send(row, OM_TEXTINDENT, 0, 0, &request));
    EXPECT_EQ(2, format().bullet);
    EXPECT_EQ(ascent, format().leftIndent);
    request.alignment = 0;
    ASSERT_EQ(0, Send(row, OM_TEXTINDENT, 0, 0, &request));
    EXPECT_EQ(0, format().bullet);
    EXPECT_EQ(0, format().leftIndent);

    request.wrap = 1;
    ASSERT_EQ(0, Send(row, OM_TEXTFLAG, 0, 0, &request));
    auto options = [&] { return reinterpret_cast<const TextBlock*>(Stored(Object(row).textId).data())->options; };
    EXPECT_EQ(2, options() & 2);
    // A free text that asked to wrap now wraps and grows in height: its wrap bit follows that.
    EXPECT_EQ(2, Object(row).textFit);
    request.wrap = 0;
    ASSERT_EQ(0, Send(row, OM_TEXTFLAG, 0, 0, &request));
    EXPECT_EQ(2, options() & 2);

    // A shape without a text record is left alone.
    const int plain = Add(ShapeRectangle, RECT{500, 100, 700, 200});
    const std::string before = ObjectBytes();
    request.size = 40;
    EXPECT_EQ(0, Send(plain, OM_TEXTSIZE, 0, 0, &request));
    EXPECT_TRUE(before == ObjectBytes());
}

} // namespace
