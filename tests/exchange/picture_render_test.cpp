// Pictures of a drawing: metafiles and their METAFILEPICT sizes, an imported metafile handed
// over as it is, packed DIBs and BMP files (read back by ImageMagick).
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "exchange/exchange_services.h"
#include "exchange/picture_render.h"
#include "filled_boxes.h"
#include "model/render.h"
#include "shapes/picture_chunks.h"
#include "shapes/shape_kinds.h"
#include "support/canvas.h"
#include "support/drawing_fixture.h"
#include "support/metafile_recorder.h"
#include "support/outside_tools.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);

class PictureRender : public WithFilledBoxes<DrawingFixture> {
protected:
    void SetBackground(COLORREF color)
    {
        Locked<Drawing> d = LockDrawing();
        d->style.backgroundColor = color;
    }
    METAFILEPICT Pict(HGLOBAL block)
    {
        METAFILEPICT pict = {};
        if (block) {
            std::memcpy(&pict, GlobalLock(block), sizeof(pict));
            GlobalUnlock(block);
        }
        return pict;
    }
    void FreePict(HGLOBAL block)
    {
        if (!block) return;
        DeleteMetaFile(Pict(block).hMF);
        GlobalFree(block);
    }
};

TEST_F(PictureRender, AnEmptyDrawingIsAnInchSquareOnlyWhenEmptyIsAllowed)
{
    EXPECT_EQ(nullptr, GetDrawingMetafilePict(state_->drawing, nullptr, FALSE, FALSE, TRUE));
    RECT extent = {1, 2, 3, 4};
    EXPECT_EQ(nullptr, RenderDrawingMetafile(state_->drawing, nullptr, &extent, FALSE, FALSE, TRUE));
    EXPECT_TRUE(IsRectEmpty(&extent)) << "the empty extent is returned";
    HGLOBAL block = GetDrawingMetafilePict(state_->drawing, nullptr, FALSE, TRUE, TRUE);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(16u, GlobalSize(block));
    const METAFILEPICT pict = Pict(block);
    EXPECT_EQ(MM_ANISOTROPIC, pict.mm);
    EXPECT_EQ(2540, pict.xExt);
    EXPECT_EQ(2540, pict.yExt);
    EXPECT_NE(nullptr, pict.hMF);
    FreePict(block);
    EXPECT_FALSE(g_renderingMetafile);
}

TEST_F(PictureRender, ExtentsAboveTheLimitShrinkTogether)
{
    struct Case {
        RECT extent;
        LONG x, y;
    } cases[] = {
        {{0, 0, 3000, 1500}, 12700, 6350},        // 5 x 2.5 inches, as they are
        {{0, 0, 24000, 6000}, 32700, 8175},       // 40 inches wide: 101600 x 25400 scaled by 101600 / 32700
        {{600, 600, 6600, 30000}, 6673, 32700},   // 49 inches high: 25400 x 124460
        {{100, 0, 7825, 1}, 32700, 3},            // just above: 32702 x 4
    };
    const int row = AddBox(RECT{0, 0, 600, 600}, kRed);
    for (const Case& c : cases) {
        Change(row, [&](DrawObject& o, Drawing&) { o.updateRect = c.extent; });
        HGLOBAL block = GetDrawingMetafilePict(state_->drawing, nullptr, FALSE, FALSE, TRUE);
        const METAFILEPICT pict = Pict(block);
        EXPECT_EQ(c.x, pict.xExt) << c.extent;
        EXPECT_EQ(c.y, pict.yExt) << c.extent;
        FreePict(block);
    }
}

// Played into a canvas, the metafile shows the drawing's extent: its records carry drawing
// coordinates under a window origin at the extent's corner, over the drawing's background.
TEST_F(PictureRender, MetafileShowsTheExtentOverTheBackground)
{
    const int red = AddBox(RECT{1200, 600, 2400, 1800}, kRed);
    const int green = AddBox(RECT{3000, 2400, 3600, 3000}, kGreen);
    SetBackground(kBlue);
    RECT expected;
    const RECT a = Object(red).updateRect, b = Object(green).updateRect;
    UnionRect(&expected, &a, &b);

    RECT extent;
    HMETAFILE metafile = RenderDrawingMetafile(state_->drawing, nullptr, &extent, FALSE, FALSE, TRUE);
    ASSERT_NE(nullptr, metafile);
    EXPECT_EQ(expected, extent);
    const int size = 240;
    Canvas canvas(size, size);
    canvas.Clear();
    SetMapMode(canvas.dc(), MM_ANISOTROPIC);
    SetViewportExtEx(canvas.dc(), size, size, nullptr);
    PlayMetaFile(canvas.dc(), metafile);
    DeleteMetaFile(metafile);
    auto at = [&](int x, int y) {
        return canvas.Pixel((x - extent.left) * size / (extent.right - extent.left),
                            (y - extent.top) * size / (extent.bottom - extent.top));
    };
    EXPECT_EQ(kRed, at(1800, 1200));
    EXPECT_EQ(kGreen, at(3300, 2700));
    EXPECT_EQ(kBlue, at(3300, 900));
    EXPECT_EQ(kBlue, at(1500, 2700));
}

TEST_F(PictureRender, OnlyTheSelectionWhenAsked)
{
    AddBox(RECT{0, 0, 600, 600}, kRed);
    const int chosen = AddBox(RECT{1200, 1200, 1800, 2400}, kGreen);
    Change(chosen, [](DrawObject& o, Drawing& d) {
        o.state |= StateSelected;
        d.selectedCount = 1;
        d.currentRow = 1;
    });
    RECT extent;
    HMETAFILE metafile = RenderDrawingMetafile(state_->drawing, nullptr, &extent, TRUE, FALSE, TRUE);
    ASSERT_NE(nullptr, metafile);
    EXPECT_EQ(Object(chosen).updateRect, extent);
    DeleteMetaFile(metafile);
}

class LoneMetafile : public PictureRender {
protected:
    void SetUp() override
    {
        PictureRender::SetUp();
        if (HasFatalFailure()) return;
        bits_ = RecordBits([](HDC dc) {
            SetWindowExtEx(dc, 100, 100, nullptr);
            Ellipse(dc, 0, 0, 100, 100);
        });
        HGLOBAL block = BitsBlock(bits_);
        PictureSource source = {};
        source.frame = RECT{0, 0, 100, 100};
        source.dataSize = static_cast<INT32>(bits_.size());
        row_ = AddAt(ClassShape, RECT{600, 600, 1800, 1200}, ShapePicture, kMetafileChunkType,
                     static_cast<int>(reinterpret_cast<INT_PTR>(block)), &source);
        GlobalFree(block);
        Change(row_, [](DrawObject& o, Drawing&) { o.lineWidth = 0; });
    }
    std::vector<BYTE> bits_;
    int row_ = -1;
};

TEST_F(LoneMetafile, IsHandedOverAsItIsWithItsOwnSize)
{
    HGLOBAL block = GetPictureMetafilePict(state_->drawing, FALSE);
    ASSERT_NE(nullptr, block);
    const METAFILEPICT pict = Pict(block);
    const RECT inner = Object(row_).innerRect;
    EXPECT_EQ(MM_ANISOTROPIC, pict.mm);
    EXPECT_EQ((inner.right - inner.left) * 2540 / 600, pict.xExt);
    EXPECT_EQ((inner.bottom - inner.top) * 2540 / 600, pict.yExt);
    std::vector<BYTE> handed(GetMetaFileBitsEx(pict.hMF, 0, nullptr));
    GetMetaFileBitsEx(pict.hMF, static_cast<UINT>(handed.size()), handed.data());
    EXPECT_EQ(bits_, handed);
    FreePict(block);

    // With the selection flag it must be the one selected, current object.
    EXPECT_EQ(nullptr, GetPictureMetafilePict(state_->drawing, TRUE));
    Change(row_, [](DrawObject& o, Drawing& d) {
        o.state |= StateSelected;
        d.selectedCount = 1;
        d.currentRow = 0;
    });
    block = GetPictureMetafilePict(state_->drawing, TRUE);
    EXPECT_NE(nullptr, block);
    FreePict(block);
}

TEST_F(LoneMetafile, AnythingMoreIsRenderedInstead)
{
    struct Case {
        const char* name;
        void (*change)(DrawObject&);
    } cases[] = {
        {"a border", [](DrawObject& o) { o.lineWidth = 12; }},
        {"mirrored", [](DrawObject& o) { o.options |= OptMirrorH; }},
        {"flipped", [](DrawObject& o) { o.options |= OptMirrorV; }},
        {"its own colours off", [](DrawObject& o) { o.options &= ~static_cast<DWORD>(OptFramed); }},
        {"with text", [](DrawObject& o) { o.textId = 3; }},
        {"with a label", [](DrawObject& o) { o.labelId = 7; }},
        {"a bitmap", [](DrawObject& o) { o.dataType = kBitmapChunkType; }},
        {"not a picture", [](DrawObject& o) { o.state &= ~static_cast<DWORD>(StatePicture); }},
    };
    for (const Case& c : cases) {
        const DrawObject saved = Object(row_);
        Change(row_, [&](DrawObject& o, Drawing&) { c.change(o); });
        EXPECT_EQ(nullptr, GetPictureMetafilePict(state_->drawing, FALSE)) << c.name;
        Change(row_, [&](DrawObject& o, Drawing&) { o = saved; });
    }
    AddBox(RECT{0, 0, 300, 300}, kRed);
    EXPECT_EQ(nullptr, GetPictureMetafilePict(state_->drawing, FALSE)) << "two objects";
}

TEST(BitmapBands, PlansOfAbout16000Bytes)
{
    struct Case {
        int width, height, bits;
        BitmapBandPlan plan;
    } cases[] = {
        {1000, 64, 8, {8, 256, 250, 64000, 4, 16, 16000}},
        {1000, 700, 24, {24, 0, 750, 2100000, 132, 6, 18000}},
        {1000, 700, 32, {24, 0, 750, 2100000, 132, 6, 18000}},
        {33, 5, 1, {1, 2, 2, 40, 1, 5, 40}},
        {10, 3, 4, {4, 16, 2, 24, 1, 3, 24}},
    };
    for (const Case& c : cases) {
        const BitmapBandPlan p = PlanBitmapBands(c.width, c.height, c.bits);
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bits);
        EXPECT_EQ(c.plan.bitsPerPixel, p.bitsPerPixel);
        EXPECT_EQ(c.plan.colors, p.colors);
        EXPECT_EQ(c.plan.wordsPerRow, p.wordsPerRow);
        EXPECT_EQ(c.plan.imageSize, p.imageSize);
        EXPECT_EQ(c.plan.bands, p.bands);
        EXPECT_EQ(c.plan.rowsPerBand, p.rowsPerBand);
        EXPECT_EQ(c.plan.bandSize, p.bandSize);
    }
    // 700 rows in bands of 6: 116 full, one of 4, and 15 left empty.
    const BitmapBandPlan p = PlanBitmapBands(1000, 700, 24);
    EXPECT_EQ(116, 700 / p.rowsPerBand);
    EXPECT_EQ(4, 700 % p.rowsPerBand);
    EXPECT_EQ(15, p.bands - 117);
}

// A DIB section of the depth with a pattern of the test's own, and the colour of each pixel.
struct PatternBitmap {
    PatternBitmap(int width, int height, int bits) : width(width), height(height), bits(bits)
    {
        std::vector<BYTE> storage(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
        auto* info = reinterpret_cast<BITMAPINFO*>(storage.data());
        info->bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(bits), BI_RGB, 0, 0, 0, 0, 0};
        for (int i = 0; i < 256; ++i)
            info->bmiColors[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 3), 0};
        void* pixels = nullptr;
        bitmap = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        const int stride = (width * bits + 31) / 32 * 4;
        for (int y = 0; y < height && pixels; ++y) {
            BYTE* row = static_cast<BYTE*>(pixels) + static_cast<std::size_t>(height - 1 - y) * stride;
            for (int x = 0; x < width; ++x) {
                if (bits == 8) row[x] = static_cast<BYTE>(Index(x, y));
                else {
                    const COLORREF c = Color(x, y);
                    row[3 * x] = GetBValue(c);
                    row[3 * x + 1] = GetGValue(c);
                    row[3 * x + 2] = GetRValue(c);
                }
            }
        }
    }
    ~PatternBitmap() { DeleteObject(bitmap); }
    static int Index(int x, int y) { return (x / 3 + y * 7) & 255; }
    COLORREF Color(int x, int y) const
    {
        if (bits == 8) {
            const int i = Index(x, y);
            return RGB((i * 3) & 255, 255 - i, i);
        }
        return RGB(x & 255, (y * 3) & 255, (x + y) & 255);
    }
    int width, height, bits;
    HBITMAP bitmap = nullptr;
};

std::vector<BYTE> FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

// The pattern as a binary PPM, the reference ImageMagick compares the BMP with.
void WritePpm(const std::string& path, const PatternBitmap& p)
{
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << p.width << " " << p.height << "\n255\n";
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const COLORREF c = p.Color(x, y);
            out.put(static_cast<char>(GetRValue(c))).put(static_cast<char>(GetGValue(c))).put(static_cast<char>(GetBValue(c)));
        }
}

TEST_F(PictureRender, BmpFilesInBandsAreReadBackPixelEqual)
{
    struct Case {
        int width, height, bits;
        DWORD offBits;
    } cases[] = {{1000, 64, 8, 1078}, {1000, 700, 24, 54}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        PatternBitmap pattern(c.width, c.height, c.bits);
        ASSERT_NE(nullptr, pattern.bitmap);
        const std::string path = folder_->File(c.bits == 8 ? "eight.bmp" : "true.bmp");
        OFSTRUCT of;
        HFILE file = OpenFile(path.c_str(), &of, OF_CREATE | OF_READWRITE);
        ASSERT_NE(HFILE_ERROR, file);
        HDC dc = CreateCompatibleDC(nullptr);
        EXPECT_EQ(0, WriteBitmapFile(dc, file, pattern.bitmap, nullptr));
        DeleteDC(dc);
        _lclose(file);

        const std::vector<BYTE> bytes = FileBytes(path);
        const BitmapBandPlan plan = PlanBitmapBands(c.width, c.height, c.bits);
        ASSERT_EQ(c.offBits + plan.imageSize, bytes.size());
        BITMAPFILEHEADER header;
        std::memcpy(&header, bytes.data(), sizeof(header));
        EXPECT_EQ(0x4D42, header.bfType);
        EXPECT_EQ(bytes.size(), header.bfSize) << "the header is written again with the length";
        EXPECT_EQ(c.offBits, header.bfOffBits);

        if (!OutsideToolsAvailable()) continue;
        const std::string reference = folder_->File("reference.ppm");
        WritePpm(reference, pattern);
        const OutsideRun identify = RunOutsideTool("/usr/bin/identify -format '%w %h %z' '" + HostPath(path) + "'");
        EXPECT_EQ(0, identify.status);
        EXPECT_EQ(std::to_string(c.width) + " " + std::to_string(c.height) + " 8", identify.output);
        const OutsideRun compare = RunOutsideTool("/usr/bin/compare -metric AE '" + HostPath(path) + "' '" +
                                                  HostPath(reference) + "' null:");
        EXPECT_EQ("0", compare.output) << "pixels that differ";
    }
}

TEST_F(PictureRender, BmpWriterReportsAFileThatTakesNoWrites)
{
    PatternBitmap pattern(40, 30, 24);
    const std::string path = folder_->File("readonly.bmp");
    OFSTRUCT of;
    HFILE file = OpenFile(path.c_str(), &of, OF_CREATE | OF_READWRITE);
    _lclose(file);
    file = OpenFile(path.c_str(), &of, OF_READ);
    ASSERT_NE(HFILE_ERROR, file);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(10003, WriteBitmapFile(dc, file, pattern.bitmap, nullptr));
    DeleteDC(dc);
    _lclose(file);
}

TEST_F(PictureRender, PackedDibHoldsHeaderTableAndRows)
{
    PatternBitmap pattern(37, 11, 8);
    HDC dc = CreateCompatibleDC(nullptr);
    HGLOBAL block = nullptr;
    ASSERT_EQ(0, BitmapToPackedDib(dc, pattern.bitmap, nullptr, &block));
    DeleteDC(dc);
    ASSERT_NE(nullptr, block);
    const int stride = 40;   // 37 bytes padded to 32 bits
    EXPECT_EQ(40u + 1024 + stride * 11, GlobalSize(block));
    auto* dib = static_cast<const BYTE*>(GlobalLock(block));
    BITMAPINFOHEADER header;
    std::memcpy(&header, dib, sizeof(header));
    EXPECT_EQ(37, header.biWidth);
    EXPECT_EQ(11, header.biHeight);
    EXPECT_EQ(8, header.biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), header.biCompression);
    EXPECT_EQ(0u, header.biClrUsed);
    const auto* table = reinterpret_cast<const RGBQUAD*>(dib + 40);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 37; ++x) {
            const RGBQUAD q = table[dib[40 + 1024 + (10 - y) * stride + x]];
            ASSERT_EQ(pattern.Color(x, y), RGB(q.rgbRed, q.rgbGreen, q.rgbBlue)) << x << ", " << y;
        }
    GlobalUnlock(block);
    GlobalFree(block);
}

}  // namespace
