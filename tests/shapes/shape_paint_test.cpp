// Shape painting checked by the records it leaves in a metafile and by pixels at points the
// geometry fixes; and a gallery of every shape kind written as a BMP for a person to look at.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "exchange/exchange_services.h"
#include "model/class_protocol.h"
#include "model/device_units.h"
#include "model/render.h"
#include "model/window_utils.h"
#include "shape_fixture.h"
#include "shapes/custom_outline.h"
#include "shapes/metafile_format.h"
#include "shapes/picture_chunks.h"
#include "shapes/shape_kinds.h"
#include "shapes/shape_paint.h"
#include "store/store_records.h"
#include "support/canvas.h"
#include "support/metafile_recorder.h"

namespace {

// Into a metafile one logical unit stands for one pixel, which keeps the records exact.
class ShapePaint : public testing::Test {
protected:
    void SetUp() override { g_renderingMetafile = TRUE; }
    void TearDown() override { g_renderingMetafile = FALSE; }
};

std::vector<MetaRecord> Styled(int kind, int angle, int width, int style, COLORREF fill,
                               int pattern, BOOL ring)
{
    MetaRecorder recorder;
    const RECT frame = {0, 0, 600, 400};
    DrawStyledShape(recorder.dc(), kind, angle, RGB(0, 0, 0), width, style, fill, pattern, 0.0,
                    nullptr, ring, &frame, 0);
    return recorder.Records();
}

// Rectangle-shaped records (rectangle, ellipse) as left, top, right, bottom.
std::vector<std::vector<short>> Rects(const std::vector<MetaRecord>& records, WORD function)
{
    std::vector<std::vector<short>> out;
    for (const MetaRecord& r : OfFunction(records, function))
        out.push_back({r.params[3], r.params[2], r.params[1], r.params[0]});
    return out;
}

TEST_F(ShapePaint, RingBordersAreFilledPolygonsUnlessRotated)
{
    auto flat = Styled(ShapeDecision, 0, 24, 1, RGB(255, 255, 0), 1, TRUE);
    auto polygons = OfFunction(flat, MetaPolygon);
    ASSERT_EQ(2u, polygons.size());
    const int outline = polygons[0].params[0];
    EXPECT_EQ(2 * outline + 1, polygons[1].params[0]);   // inner backwards, outer, closing point
    ASSERT_EQ(1u, OfFunction(flat, 0x0106).size());      // SetPolyFillMode
    EXPECT_EQ(WINDING, OfFunction(flat, 0x0106)[0].params[0]);
    // The outline itself has a hairline pen.
    auto pens = OfFunction(flat, MetaCreatePenIndirect);
    ASSERT_FALSE(pens.empty());
    EXPECT_EQ(PS_INSIDEFRAME, pens[0].params[0]);
    EXPECT_EQ(0, pens[0].params[1]);

    auto turned = Styled(ShapeDecision, 1, 24, 1, RGB(255, 255, 0), 1, FALSE);
    EXPECT_EQ(1u, OfFunction(turned, MetaPolygon).size());
    EXPECT_EQ(24, OfFunction(turned, MetaCreatePenIndirect)[0].params[1]);

    // A border of width 1 paints no ring; dotted borders neither.
    EXPECT_EQ(1u, OfFunction(Styled(ShapeDecision, 0, 1, 1, 0, 1, TRUE), MetaPolygon).size());
    EXPECT_EQ(1u, OfFunction(Styled(ShapeDecision, 0, 24, 2, 0, 1, TRUE), MetaPolygon).size());
}

TEST_F(ShapePaint, FillsHatchesAndPrimitivesByKind)
{
    // Backward-diagonal hatch over a transparent background.
    auto hatched = Styled(ShapeRectangle, 0, 12, 1, static_cast<COLORREF>(-1), 4, FALSE);
    auto brushes = OfFunction(hatched, MetaCreateBrushIndirect);
    ASSERT_EQ(1u, brushes.size());
    EXPECT_EQ(BS_HATCHED, brushes[0].params[0]);
    EXPECT_EQ(HS_BDIAGONAL, brushes[0].params[3]);
    ASSERT_FALSE(OfFunction(hatched, 0x0102).empty());   // SetBkMode
    EXPECT_EQ(TRANSPARENT, OfFunction(hatched, 0x0102)[0].params[0]);
    // With a fill colour the gaps are that colour.
    auto opaque = Styled(ShapeRectangle, 0, 12, 1, RGB(0, 255, 0), 4, FALSE);
    EXPECT_EQ(OPAQUE, OfFunction(opaque, 0x0102)[0].params[0]);
    EXPECT_EQ(1u, OfFunction(opaque, 0x0201).size());   // SetBkColor
    // No fill colour with a solid pattern is hollow: only the null brush is selected.
    for (const MetaRecord& r : OfFunction(Styled(ShapeRectangle, 0, 12, 1, static_cast<COLORREF>(-1), 1, FALSE),
                                          MetaCreateBrushIndirect))
        EXPECT_EQ(BS_NULL, r.params[0]);

    // Polygon kinds: the outline, then the ring of their border.
    const struct { int kind; WORD function; size_t count; } kinds[] = {
        {ShapeRectangle, MetaRectangle, 1}, {ShapeRoundedRect, MetaRoundRect, 1},
        {ShapeTerminate, MetaRoundRect, 1}, {ShapeOval, MetaEllipse, 1}, {ShapeCircle, MetaEllipse, 1},
        {ShapeInputOutput, MetaPolygon, 2}, {ShapeOctagon, MetaPolygon, 2}};
    for (const auto& k : kinds)
        EXPECT_EQ(k.count, OfFunction(Styled(k.kind, 0, 12, 1, 0, 1, IsRingBorderKind(k.kind)), k.function).size()) << k.kind;
    // Rounded ends: corner ellipses of the frame's height.
    auto terminate = OfFunction(Styled(ShapeTerminate, 0, 12, 1, 0, 1, FALSE), MetaRoundRect)[0];
    EXPECT_EQ(400, terminate.params[0]);
    EXPECT_EQ(400, terminate.params[1]);
    // Without a pen the frame grows by a pixel so the fill reaches the edge GDI leaves out.
    auto bare = OfFunction(Styled(ShapeRectangle, 0, 0, 1, 0, 1, FALSE), MetaRectangle)[0];
    EXPECT_EQ(601, bare.params[1]);
    EXPECT_EQ(401, bare.params[0]);
    // Kind 0 and unknown kinds draw nothing.
    EXPECT_TRUE(OfFunction(Styled(0, 0, 12, 1, 0, 1, FALSE), MetaRectangle).empty());
    EXPECT_TRUE(OfFunction(Styled(27, 0, 12, 1, 0, 1, FALSE), MetaPolygon).empty());
}

DrawObject Standalone(DWORD options, int width)
{
    DrawObject shape = {};
    shape.objType = ShapeRectangle;
    shape.frame = RECT{100, 100, 400, 300};
    shape.innerRect = shape.frame;
    shape.updateRect = shape.frame;
    shape.lineWidth = width;
    shape.lineStyle = 1;
    shape.fillPattern = 1;
    shape.fillColor = RGB(255, 255, 255);
    shape.textId = -1;
    shape.dataType = -1;
    shape.options = options;
    shape.labelId = kNoLabel;
    return shape;
}

TEST_F(ShapePaint, ShadowCopiesFollowTheShadowRules)
{
    auto rects = [](DrawObject shape, int message, ShadowPaint shadow) {
        MetaRecorder recorder;
        DrawShape(recorder.dc(), message, nullptr, &shape, -1, 0,
                  static_cast<int>(reinterpret_cast<INT_PTR>(&shadow)), nullptr);
        return OfFunction(recorder.Records(), MetaRectangle);
    };
    const ShadowPaint offset = {30, 40, RGB(128, 128, 128)}, none = {0, 0, RGB(128, 128, 128)};
    auto copy = rects(Standalone(0, 12), OM_DRAWSHADOW, offset);
    ASSERT_EQ(1u, copy.size());
    EXPECT_EQ((std::vector<short>{340, 430, 140, 130}), copy[0].params);
    // A hidden shadow: no full copy, and an outline copy only with zero offsets.
    EXPECT_TRUE(rects(Standalone(OptShadowHidden, 12), OM_DRAWSHADOW, offset).empty());
    EXPECT_TRUE(rects(Standalone(OptShadowHidden, 12), OM_DRAWSHADOWOFFSET, offset).empty());
    EXPECT_EQ(1u, rects(Standalone(OptShadowHidden, 12), OM_DRAWSHADOWOFFSET, none).size());
    // A borderless shape casts no shadow outside shadow style 4.
    EXPECT_TRUE(rects(Standalone(0, 0), OM_DRAWSHADOW, offset).empty());
}

// A white 300 x 300 pixel canvas at 6 units a pixel, read back in device pixels.
class ShapePaintPixels : public testing::Test {
protected:
    void SetUp() override
    {
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 300, -300, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
    }
    void TearDown() override
    {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    void Clear()
    {
        SetMapMode(dc_, MM_TEXT);
        PatBlt(dc_, 0, 0, 300, 300, WHITENESS);
        SetLogicalUnits(dc_, 0, 600);
    }
    COLORREF Pixel(int x, int y)
    {
        SetMapMode(dc_, MM_TEXT);
        return GetPixel(dc_, x, y);
    }

    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    const RECT frame_ = {600, 600, 1200, 1200};   // pixels 100..200
};

TEST_F(ShapePaintPixels, BorderAndFillLandWhereTheGeometrySays)
{
    Clear();
    DrawStyledShape(dc_, ShapeRectangle, 0, RGB(0, 0, 0), 12, 1, RGB(255, 0, 0), 1, 0.0, nullptr,
                    FALSE, &frame_, 0);
    EXPECT_EQ(RGB(255, 0, 0), Pixel(150, 150));
    EXPECT_EQ(RGB(0, 0, 0), Pixel(100, 150));    // a 12-unit border is 2 pixels inside
    EXPECT_EQ(RGB(0, 0, 0), Pixel(101, 150));
    EXPECT_EQ(RGB(255, 0, 0), Pixel(102, 150));
    EXPECT_EQ(RGB(255, 255, 255), Pixel(99, 150));
}

TEST_F(ShapePaintPixels, MirroredPolygonsCoverTheSamePixels)
{
    // A document shape's sides are upright: with a hairline border they lie on the first and
    // the last pixel column of the frame, mirrored or not.
    for (DWORD options : {DWORD{0}, DWORD{OptMirrorH}}) {
        Clear();
        DrawStyledShape(dc_, ShapeDocument, 0, RGB(0, 0, 0), 1, 1, RGB(255, 255, 255), 0, 0.0,
                        nullptr, TRUE, &frame_, options);
        SCOPED_TRACE(options);
        EXPECT_EQ(RGB(0, 0, 0), Pixel(100, 150));
        EXPECT_EQ(RGB(255, 255, 255), Pixel(101, 150));
        EXPECT_EQ(RGB(0, 0, 0), Pixel(199, 150));
        EXPECT_EQ(RGB(255, 255, 255), Pixel(200, 150));
    }
}

TEST(ShapeGeometry, AttachmentMarksAndHandleLayouts)
{
    const struct { RECT update, mark; } marks[] = {
        {{0, 0, 1000, 1000}, {886, 886, 940, 940}},
        {{0, 0, 100, 100}, {0, 0, 54, 54}},
        {{0, 0, 50, 50}, {0, 0, 44, 44}},
    };
    for (const auto& m : marks) {
        DrawObject o = {};
        o.updateRect = m.update;
        RECT r;
        GetAttachmentMarkRect(&o, &r);
        EXPECT_EQ(m.mark.left, r.left);
        EXPECT_EQ(m.mark.top, r.top);
        EXPECT_EQ(m.mark.right, r.right);
        EXPECT_EQ(m.mark.bottom, r.bottom);
    }
    const struct { int layout; std::vector<int> codes; } layouts[] = {
        {1, {7, 8}}, {2, {5, 6}}, {3, {1, 2, 3, 4}}, {0, {1, 2, 3, 4, 5, 6, 7, 8}}};
    for (const auto& l : layouts) {
        DrawObject o = Standalone(0, 12);
        o.handleLayout = l.layout;
        RECT rects[8];
        int codes[8], n = 0;
        GetShapeHandleRects(nullptr, &o, rects, codes, &n);
        EXPECT_EQ(l.codes, std::vector<int>(codes, codes + n));
    }
}

// A class handler that places every hooked point at g_hookedAt and answers nothing else.
POINT g_hookedAt[2];
LONG CALLBACK HookedPoints(HDC, Drawing*, void*, int, int message, int a, int, void* p)
{
    if (message == OM_GETPOINTPOS)
        *static_cast<POINT*>(p) = g_hookedAt[a - 1];
    return 0;
}

TEST_F(ShapePaint, HookedPointsOnAHandleMakeItRound)
{
    const ObjectClassHandler saved = g_classHandlers.classes[ClassShape];
    g_classHandlers.classes[ClassShape] = HookedPoints;
    DrawObject shape = Standalone(0, 12);
    shape.frame = RECT{0, 0, 1200, 900};
    shape.updateRect = shape.frame;
    RECT rects[8];
    int codes[8], n = 0;
    GetShapeHandleRects(nullptr, &shape, rects, codes, &n);
    ASSERT_EQ(8, codes[7]);
    // One hook at handle 8's anchor, one on no handle.
    shape.hookCount = 2;
    shape.hooks[0].holderCode = 1;
    shape.hooks[1].holderCode = 2;
    g_hookedAt[0] = POINT{rects[7].left + 30, rects[7].top + 30};
    g_hookedAt[1] = POINT{600, 450};
    auto ellipses = [&]() {
        MetaRecorder recorder;
        DrawShapeSelection(recorder.dc(), nullptr, &shape, -2);
        return Rects(recorder.Records(), MetaEllipse);
    };
    const auto round = ellipses();
    ASSERT_EQ(2u, round.size());
    EXPECT_EQ((std::vector<short>{static_cast<short>(rects[7].left), static_cast<short>(rects[7].top),
                                  static_cast<short>(rects[7].right), static_cast<short>(rects[7].bottom)}),
              round[0]);
    EXPECT_EQ((std::vector<short>{570, 420, 624, 474}), round[1]);
    shape.hookCount = 0;
    EXPECT_TRUE(ellipses().empty());
    g_classHandlers.classes[ClassShape] = saved;
}

// A metafile picture over a frame of (0, 0, 100, 100) at (600, 600, 1200, 1200).
class PictureShape : public ShapeClass {
protected:
    int AddMetafilePicture(const std::vector<BYTE>& bits)
    {
        HGLOBAL block = BitsBlock(bits);
        PictureSource source = {};
        source.frame = RECT{0, 0, 100, 100};
        source.dataSize = static_cast<INT32>(bits.size());
        const int row = Add(ShapePicture, RECT{600, 600, 1200, 1200}, kMetafileChunkType,
                            static_cast<int>(reinterpret_cast<INT_PTR>(block)), &source);
        GlobalFree(block);
        return row;
    }
};

TEST_F(PictureShape, SmallMetafilesShowAsAFrameInFitViewsButPrintInFull)
{
    const int row = AddMetafilePicture(RecordBits([](HDC dc) { Ellipse(dc, 0, 0, 100, 100); }));
    ASSERT_EQ(0, CreateViewInfo(view_, 6000, 6000, -1, 0));   // fit to the window
    settings_.quickPreview = 100;
    auto draw = [&](int a) {
        MetaRecorder recorder;
        Locked<Drawing> d(state_->drawing);
        Locked<ObjectList> objects(d->objectList);
        SED_ShapeHandler(recorder.dc(), d.get(), objects.get(), row, OM_DRAW, a, 0, nullptr);
        return recorder.Records();
    };
    auto screen = draw(0);
    EXPECT_TRUE(OfFunction(screen, MetaEllipse).empty());
    ASSERT_EQ(1u, OfFunction(screen, MetaRectangle).size());
    EXPECT_EQ((std::vector<short>{1200, 1200, 600, 600}), OfFunction(screen, MetaRectangle)[0].params);
    EXPECT_EQ(1u, OfFunction(draw(1), MetaEllipse).size());   // printed in full
    settings_.quickPreview = 0;
    EXPECT_EQ(1u, OfFunction(draw(0), MetaEllipse).size());
    FreeViewInfo(view_, 0);
}

TEST_F(PictureShape, PicturesAreClippedToTheObjectsUpdateRectangle)
{
    // The picture draws far beyond its frame.
    const int row = AddMetafilePicture(RecordBits([](HDC dc) { Ellipse(dc, -100, -100, 200, 200); }));
    const RECT u = Object(row).updateRect;
    // Framed, and taking the shape's colours: both draw inside the update rectangle only.
    for (bool framed : {true, false}) {
        Change(row, [&](DrawObject& s, Drawing&) {
            s.options = framed ? (s.options | OptFramed) : (s.options & ~static_cast<DWORD>(OptFramed));
        });
        MetaRecorder recorder;
        {
            Locked<Drawing> d(state_->drawing);
            Locked<ObjectList> objects(d->objectList);
            SED_ShapeHandler(recorder.dc(), d.get(), objects.get(), row, OM_DRAW, 1, 0, nullptr);
        }
        const auto records = recorder.Records();
        const auto clips = OfFunction(records, MetaIntersectClipRect);
        ASSERT_FALSE(clips.empty()) << framed;
        EXPECT_EQ((std::vector<short>{static_cast<short>(u.bottom), static_cast<short>(u.right),
                                      static_cast<short>(u.top), static_cast<short>(u.left)}),
                  clips[0].params)
            << framed;
        EXPECT_EQ(1u, OfFunction(records, MetaEllipse).size()) << framed;
    }
}

TEST_F(ShapeClass, GalleryOfEveryKindRendersToABitmap)
{
    {
        Locked<Drawing> d(state_->drawing);
        d->style.shadowStyle = 4;
        d->style.shadowDx = 36;
        d->style.shadowDy = 36;
        d->style.shadowColor = RGB(160, 160, 160);
    }
    const COLORREF fills[] = {RGB(255, 230, 150), RGB(170, 210, 255), RGB(200, 255, 200), RGB(255, 190, 190)};
    int firstRect = -1;
    for (int kind = ShapeRectangle; kind <= ShapeDisplay; ++kind) {
        const int i = kind - ShapeRectangle;
        const LONG x = 150 + (i % 6) * 750, y = 150 + (i / 6) * 600;
        const int row = Add(kind, RECT{x, y, x + 600, y + 420});
        if (kind == ShapeRectangle)
            firstRect = row;
        Change(row, [&](DrawObject& s, Drawing&) {
            s.lineWidth = (i % 3 == 0) ? 24 : 12;
            s.lineStyle = (i % 7 == 5) ? 3 : 1;
            s.lineColor = RGB(0, 0, 0);
            s.fillColor = fills[i % 4];
            s.fillPattern = (i % 5 == 4) ? 2 + (i / 5) % 5 : 1;
            if (kind == ShapeInput || kind == ShapeRightArrow)
                s.options |= OptMirrorH;
        });
        if (kind == ShapeDocument || kind == ShapeOctagon)
            Send(row, OM_SETANGLE, 300);
        Send(row, OM_RECALC);
    }
    // A custom outline: a five-pointed star of straight pieces.
    {
        HGLOBAL block = nullptr;
        const int vertices = 10;
        ASSERT_EQ(0, AddRecord(slot_, kOutlineRecordType, 1, sizeof(OutlinePointBlock) + vertices * sizeof(OutlineVertex), &block));
        auto* outline = static_cast<OutlinePointBlock*>(GlobalLock(block));
        outline->count = vertices;
        outline->designWidth = 200;
        outline->designHeight = 190;
        auto* v = reinterpret_cast<OutlineVertex*>(outline + 1);
        const int star[10][2] = {{100, 0}, {124, 70}, {200, 72}, {140, 118}, {162, 190},
                                 {100, 148}, {38, 190}, {60, 118}, {0, 72}, {76, 70}};
        for (int k = 0; k < vertices; ++k)
            v[k] = OutlineVertex{1, 0, 0, 0.0, star[k][0], star[k][1]};
        GlobalUnlock(block);
        MarkBlockDirty(block);
        const int row = Add(ShapeCustom, RECT{1650, 2550, 2250, 2970}, 0,
                            static_cast<int>(reinterpret_cast<INT_PTR>(block)));
        Change(row, [](DrawObject& s, Drawing&) {
            s.lineWidth = 12;
            s.fillColor = RGB(255, 200, 0);
            s.fillPattern = 1;
        });
        Send(row, OM_RECALC);
    }
    // A bitmap picture and a metafile picture that takes the shape's colours.
    std::vector<BYTE> dib(40 + 32 * 24 * 3);
    BITMAPINFOHEADER header = {40, 32, 24, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::memcpy(dib.data(), &header, 40);
    for (int p = 0; p < 32 * 24; ++p) {
        dib[40 + 3 * p] = static_cast<BYTE>(p % 32 * 8);
        dib[41 + 3 * p] = static_cast<BYTE>(p / 32 * 10);
        dib[42 + 3 * p] = 200;
    }
    const auto metafile = RecordBits([](HDC dc) {
        SelectObject(dc, CreateSolidBrush(RGB(0, 0, 0)));
        Ellipse(dc, 0, 0, 1440, 720);
        MoveToEx(dc, 0, 720, nullptr);
        LineTo(dc, 1440, 0);
    });
    for (int k = 0; k < 2; ++k) {
        const std::vector<BYTE>& data = k == 0 ? dib : metafile;
        HGLOBAL block = BitsBlock(data);
        PictureSource source = {};
        source.frame = k == 0 ? RECT{0, 0, 32, 24} : RECT{0, 0, 1440, 720};
        source.dataSize = static_cast<INT32>(data.size());
        const LONG x = 150 + k * 750;
        const int row = Add(ShapePicture, RECT{x, 2550, x + 600, 2550 + 420},
                            k == 0 ? kBitmapChunkType : kMetafileChunkType,
                            static_cast<int>(reinterpret_cast<INT_PTR>(block)), &source);
        GlobalFree(block);
        if (k == 1) {
            Change(row, [](DrawObject& s, Drawing&) {
                s.options &= ~static_cast<DWORD>(OptFramed);
                s.lineWidth = 12;
                s.lineStyle = 1;
                s.lineColor = RGB(0, 0, 160);
                s.fillColor = RGB(255, 255, 0);
                s.angle = 200;
            });
            Send(row, OM_RECALC);
        }
    }

    Canvas canvas(760, 520);
    canvas.Clear();
    RenderPage(canvas.dc(), state_->drawing, nullptr, FALSE, FALSE, FALSE);
    // For a person to look at: test-output in the build folder.
    EXPECT_FALSE(canvas.Save("shape_gallery.bmp").empty());
    // The solid rectangle's middle is its fill; its shadow shows beyond its bottom-right corner.
    const DrawObject rect = Object(firstRect);
    const int cx = (rect.frame.left + rect.frame.right) / 2 / 6, cy = (rect.frame.top + rect.frame.bottom) / 2 / 6;
    EXPECT_EQ(fills[0], canvas.Pixel(cx, cy));
    EXPECT_EQ(RGB(160, 160, 160), canvas.Pixel(rect.frame.right / 6 + 3, rect.frame.bottom / 6 + 3));
}

} // namespace
