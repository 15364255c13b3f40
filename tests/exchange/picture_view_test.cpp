// Bitmaps of a shown drawing through the views' back buffer: at the view's zoom, and the
// preview picture a template keeps.
#include <gtest/gtest.h>

#include <cstring>

#include "exchange/picture_render.h"
#include "filled_boxes.h"
#include "model/selection.h"
#include "model/window_utils.h"
#include "support/shown_document.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

class PictureView : public WithFilledBoxes<ShownDocumentFixture> {
protected:
    void SetUp() override
    {
        ShownDocumentFixture::SetUp();
        if (HasFatalFailure()) return;
        Locked<Drawing> d = LockDrawing();
        d->style.backgroundColor = static_cast<COLORREF>(-1);   // none, shown as white
    }
    void SetZoom(int zoom)
    {
        HGLOBAL block = reinterpret_cast<HGLOBAL>(static_cast<LONG_PTR>(GetWindowLongA(view_, 0)));
        ASSERT_NE(nullptr, block);
        {
            Locked<ViewInfo> info(block);
            info->zoom = zoom;
        }
        ApplyViewZoom(view_, zoom);
    }
    // The rectangle in the view's device units, measured on its own context.
    SIZE ViewPixels(const RECT& rect)
    {
        HDC dc = GetDC(view_);
        POINT p[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
        LPtoDP(dc, p, 2);
        ReleaseDC(view_, dc);
        return SIZE{p[1].x - p[0].x, p[1].y - p[0].y};
    }
    RECT Extent()
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        RECT extent;
        GetDrawingExtent(d.get(), objects.get(), &extent, FALSE, FALSE);
        return extent;
    }
    static COLORREF PixelOf(HBITMAP bitmap, int x, int y)
    {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        const COLORREF color = GetPixel(dc, x, y);
        SelectObject(dc, old);
        DeleteDC(dc);
        return color;
    }
    static SIZE SizeOf(HBITMAP bitmap)
    {
        BITMAP b = {};
        GetObjectA(bitmap, sizeof(b), &b);
        return SIZE{b.bmWidth, b.bmHeight};
    }
};

TEST_F(PictureView, BitmapAtTheViewZoomAndTheBackBufferMadeAgain)
{
    AddBox(RECT{600, 600, 1800, 1200}, kRed);
    SIZE sizes[2];
    const int zooms[2] = {0, 2000};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(zooms[i]);
        SetZoom(zooms[i]);
        HBITMAP bitmap = RenderDrawingBitmap(view_, FALSE);
        ASSERT_NE(nullptr, bitmap);
        sizes[i] = SizeOf(bitmap);
        const SIZE expected = ViewPixels(Extent());
        EXPECT_EQ(expected.cx, sizes[i].cx);
        EXPECT_EQ(expected.cy, sizes[i].cy);
        EXPECT_EQ(kRed, PixelOf(bitmap, sizes[i].cx / 2, sizes[i].cy / 2));
        EXPECT_NE(bitmap, g_backBitmap) << "the bitmap is the caller's";
        RECT client;
        GetClientRect(g_frameWindow, &client);
        const SIZE back = SizeOf(g_backBitmap);
        EXPECT_EQ(client.right, back.cx);
        EXPECT_EQ(client.bottom, back.cy);
        DeleteObject(bitmap);
    }
    EXPECT_EQ(2 * sizes[0].cx, sizes[1].cx);
    EXPECT_EQ(2 * sizes[0].cy, sizes[1].cy);
}

TEST_F(PictureView, AnEmptyDrawingGivesABitmapOnlyWhenEmptyIsAllowed)
{
    EXPECT_EQ(nullptr, RenderDrawingBitmap(view_, FALSE));
    HBITMAP bitmap = RenderDrawingBitmap(view_, TRUE);
    ASSERT_NE(nullptr, bitmap);
    const SIZE inch = ViewPixels(RECT{0, 0, 600, 600});
    EXPECT_EQ(inch.cx, SizeOf(bitmap).cx);
    EXPECT_EQ(inch.cy, SizeOf(bitmap).cy);
    EXPECT_EQ(RGB(255, 255, 255), PixelOf(bitmap, 3, 3));
    DeleteObject(bitmap);
}

TEST_F(PictureView, WithoutABackBufferNothingIsDrawn)
{
    AddBox(RECT{600, 600, 1800, 1200}, kRed);
    ReleaseBackBuffer();
    RECT rect;
    EXPECT_EQ(10004, RenderDrawingOffscreen(view_, 0, nullptr, state_->drawing, FALSE, &rect, FALSE, FALSE));
    EXPECT_EQ(nullptr, RenderDrawingBitmap(view_, FALSE));
    RebuildBackBuffer();
    EXPECT_NE(nullptr, g_backBufferDC);
}

// A small drawing on portrait paper: the preview covers a whole sheet (8 x 10 inches) shrunk
// into the destination, with the drawing at its place.
TEST_F(PictureView, PreviewCoversASheetWithTheDrawingAtItsPlace)
{
    state_->pageWidth = 5100;
    state_->pageHeight = 6600;
    AddBox(RECT{600, 600, 1200, 1200}, kRed);
    const RECT destination = {0, 0, 150, 150};
    for (int pass = 0; pass < 2; ++pass) {   // a second preview replaces the first
        ASSERT_EQ(0, BuildPreviewPicture(view_, state_, &destination));
        const std::string record = RecordBytes(RecDocument, RecPreviewId);
        ASSERT_GE(record.size(), sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER header;
        std::memcpy(&header, record.data(), sizeof(header));
        EXPECT_EQ(150, header.biHeight) << "the sheet's height fills the destination";
        EXPECT_NEAR(150 * 4800 / 6000, header.biWidth, 1);
        ASSERT_TRUE(header.biBitCount == 24 || header.biBitCount == 32) << header.biBitCount;
        const int bytes = header.biBitCount / 8;
        const int stride = (header.biWidth * header.biBitCount + 31) / 32 * 4;
        auto pixel = [&](int x, int y) {
            const auto* p = reinterpret_cast<const BYTE*>(record.data()) + header.biSize +
                            static_cast<std::size_t>(header.biHeight - 1 - y) * stride + x * bytes;
            return RGB(p[2], p[1], p[0]);
        };
        // Drawing point (900, 900) on a sheet of 4800 x 6000 units.
        EXPECT_EQ(kRed, pixel(900 * header.biWidth / 4800, 900 * header.biHeight / 6000));
        EXPECT_EQ(RGB(255, 255, 255), pixel(header.biWidth / 2, header.biHeight / 2));
    }
}

TEST_F(PictureView, AnEmptyDrawingHasNoPreview)
{
    AddBox(RECT{600, 600, 1200, 1200}, kRed);
    const RECT destination = {0, 0, 150, 150};
    ASSERT_EQ(0, BuildPreviewPicture(view_, state_, &destination));
    ASSERT_FALSE(RecordBytes(RecDocument, RecPreviewId).empty());
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        objects->count = 0;
        Locked<ZOrderList> order(d->zOrderList);
        order->count = 0;
    }
    ASSERT_EQ(0, BuildPreviewPicture(view_, state_, &destination));
    EXPECT_TRUE(RecordBytes(RecDocument, RecPreviewId).empty());
}

}  // namespace
