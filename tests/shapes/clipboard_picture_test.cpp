// Pictures on the system clipboard: metafile pictures sized from their HIMETRIC extents and
// scanned, bitmaps as packed DIBs.
#include <gtest/gtest.h>

#include <cstring>

#include "support/metafile_recorder.h"
#include "shapes/picture_import.h"

namespace {

// Puts a CF_METAFILEPICT of the given HIMETRIC extents holding `bits` on the clipboard.
void PutMetafile(const std::vector<BYTE>& bits, LONG xExt, LONG yExt)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT));
    auto* picture = static_cast<METAFILEPICT*>(GlobalLock(block));
    picture->mm = MM_ANISOTROPIC;
    picture->xExt = xExt;
    picture->yExt = yExt;
    picture->hMF = SetMetaFileBitsEx(static_cast<UINT>(bits.size()), bits.data());
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_METAFILEPICT, block);
    CloseClipboard();
}

struct Clip {
    int result;
    RECT object, frame;
    int flags;
};

Clip Read()
{
    Clip c = {};
    HGLOBAL bits = nullptr;
    COLORREF colors[256];
    int count = 0;
    OpenClipboard(nullptr);
    c.result = GetClipboardMetafile(&bits, &c.object, &c.frame, &count, colors, &c.flags);
    CloseClipboard();
    if (bits)
        GlobalFree(bits);
    return c;
}

TEST(ClipboardPictures, MetafilesAreSizedAndScanned)
{
    PutMetafile(RecordBits([](HDC dc) { Rectangle(dc, 0, 0, 10, 10); }), 2540, 1270);
    Clip c = Read();
    EXPECT_EQ(0, c.result);
    EXPECT_EQ(600, c.object.right);
    EXPECT_EQ(300, c.object.bottom);
    EXPECT_EQ(600, c.frame.right);   // no window extent: the frame is the object rectangle

    PutMetafile(RecordBits([](HDC dc) {
                    SetWindowExtEx(dc, -1000, 500, nullptr);
                    Rectangle(dc, 0, 0, 10, 10);
                }),
                2540, 1270);
    c = Read();
    EXPECT_EQ(1000, c.frame.right);
    EXPECT_EQ(500, c.frame.bottom);
    EXPECT_EQ(0x08, c.flags);

    // No suggested size: 50 units.
    PutMetafile(RecordBits([](HDC dc) { Rectangle(dc, 0, 0, 10, 10); }), 0, -5);
    c = Read();
    EXPECT_EQ(50, c.object.right);
    EXPECT_EQ(50, c.object.bottom);

    // Extents that would overflow are held at the frame limit.
    PutMetafile(RecordBits([](HDC dc) { Rectangle(dc, 0, 0, 10, 10); }), 0x7FFFFFFF, 254000);
    c = Read();
    EXPECT_EQ(32000, c.object.right);
    EXPECT_EQ(32000, c.object.bottom);

    // A clip region makes the metafile unsuitable.
    const WORD clipped[] = {1, 9, 0x300, 16, 0, 0, 4, 0, 0, 4, 0, 0x012C, 0, 3, 0, 0};
    PutMetafile(std::vector<BYTE>(reinterpret_cast<const BYTE*>(clipped),
                                  reinterpret_cast<const BYTE*>(clipped) + sizeof clipped),
                2540, 1270);
    EXPECT_EQ(10013, Read().result);

    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    EXPECT_EQ(1, Read().result);
}

TEST(ClipboardPictures, BitmapsBecomePackedDibs)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 4);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_BITMAP, bitmap);
    CloseClipboard();
    HGLOBAL dib = GetClipboardBitmap(nullptr);
    ASSERT_TRUE(dib);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
    EXPECT_EQ(8, header->biWidth);
    EXPECT_EQ(4, header->biHeight);
    GlobalUnlock(dib);
    GlobalFree(dib);
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    EXPECT_EQ(nullptr, GetClipboardBitmap(nullptr));
}

} // namespace
