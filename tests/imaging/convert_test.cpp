// Images in memory: allocation limits, packed DIBs in, colour reduction and widening.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

#include "image_test_support.h"
#include "imaging/imaging.h"

namespace {

TEST(ImageAllocation, LayoutIsAPackedDib)
{
    ImageDescriptor image;
    ASSERT_EQ(ImgOk, allocDIB(&image, 37, 5, 4));
    EXPECT_EQ(20, image.bytesPerRow) << "37 pixels of 4 bits padded to 32 bits";
    EXPECT_EQ(100u, image.imageBytes);
    EXPECT_EQ(16, image.colorCount);
    auto* base = reinterpret_cast<std::uint8_t*>(image.header);
    EXPECT_EQ(base + 40, reinterpret_cast<std::uint8_t*>(image.palette));
    EXPECT_EQ(base + 40 + 64, image.bits);
    EXPECT_EQ(40u + 64 + 100, image.blockBytes);
    EXPECT_EQ(40u, image.header->size);
    EXPECT_EQ(37, image.header->width);
    EXPECT_EQ(5, image.header->height);
    EXPECT_EQ(4, image.header->bitCount);
    EXPECT_EQ(ImgOk, freeimage(&image));
    EXPECT_EQ(nullptr, image.block);
    EXPECT_EQ(ImgOk, freeimage(&image)) << "an empty record is left alone";
}

TEST(ImageAllocation, RefusesWhatNoPictureCanBe)
{
    struct Case {
        int width, height, bits;
    } cases[] = {{0, 5, 8}, {5, -1, 8}, {32768, 1, 1}, {60000, 60000, 24}, {10000, 10000, 24}, {10, 10, 16}, {10, 10, 2}};
    for (const Case& c : cases) {
        ImageDescriptor image;
        EXPECT_EQ(ImgBadArgument, allocDIB(&image, c.width, c.height, c.bits)) << c.width << "x" << c.height << "x" << c.bits;
        EXPECT_EQ(nullptr, image.block);
    }
    ImageDescriptor widest;
    EXPECT_EQ(ImgOk, allocimage(&widest, 32767, 2, 24));
    freeimage(&widest);
}

// A packed DIB in a global block as the renderer makes them, of any depth and either row order.
HGLOBAL MakeDib(int width, int height, int bits, const std::function<std::uint32_t(int, int)>& pixel, int colors = -1)
{
    if (colors < 0) colors = bits <= 8 ? 1 << bits : 0;
    const int stride = (width * bits + 31) / 32 * 4;
    const int rows = height < 0 ? -height : height;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 40 + 4 * colors + stride * rows);
    auto* p = static_cast<std::uint8_t*>(GlobalLock(block));
    DibHeader header = {40, width, height, 1, static_cast<std::uint16_t>(bits), 0, 0, 0, 0,
                        static_cast<std::uint32_t>(bits <= 8 && colors != (1 << bits) ? colors : 0), 0};
    std::memcpy(p, &header, 40);
    for (int i = 0; i < colors; ++i) {
        p[40 + 4 * i] = static_cast<std::uint8_t>(i * 3);
        p[41 + 4 * i] = static_cast<std::uint8_t>(i * 5);
        p[42 + 4 * i] = static_cast<std::uint8_t>(255 - i);
    }
    std::uint8_t* bitsStart = p + 40 + 4 * colors;
    for (int y = 0; y < rows; ++y) {
        std::uint8_t* row = bitsStart + static_cast<std::size_t>(height < 0 ? y : rows - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = pixel(x, y);
            if (bits >= 24) {
                row[x * (bits / 8)] = static_cast<std::uint8_t>(v);
                row[x * (bits / 8) + 1] = static_cast<std::uint8_t>(v >> 8);
                row[x * (bits / 8) + 2] = static_cast<std::uint8_t>(v >> 16);
            } else {
                const int perByte = 8 / bits;
                row[x / perByte] = static_cast<std::uint8_t>(row[x / perByte] | v << (8 - bits * (x % perByte + 1)));
            }
        }
    }
    GlobalUnlock(block);
    return block;
}

TEST(DibToImage, CopiesEveryDepthAndRowOrder)
{
    struct Case {
        int bits, height, colors;
    } cases[] = {{1, 7, -1}, {4, 7, -1}, {8, 7, -1}, {8, 7, 20}, {24, 7, -1}, {24, -7, -1}, {32, 7, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, height " << c.height << ", colours " << c.colors);
        const int indexLimit = c.bits > 8 ? 0 : c.colors > 0 ? c.colors : 1 << c.bits;
        auto pixel = [&](int x, int y) {
            return indexLimit ? static_cast<std::uint32_t>((x + 3 * y) % indexLimit) : static_cast<std::uint32_t>(x * 0x10203 + y * 0x30201);
        };
        HGLOBAL dib = MakeDib(11, c.height, c.bits, pixel, c.colors);
        ImageDescriptor image;
        ASSERT_EQ(ImgOk, dibtoimage(GlobalLock(dib), &image));
        EXPECT_EQ(c.bits == 32 ? 24 : c.bits, image.bitsPerPixel);
        EXPECT_EQ(7, image.height);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 11; ++x) {
                const std::uint32_t v = pixel(x, y);
                const std::uint32_t expected =
                    indexLimit ? (static_cast<std::uint32_t>(255 - v) << 16 | (v * 5 & 255) << 8 | (v * 3 & 255)) : v & 0xFFFFFF;
                ASSERT_EQ(expected, ImageColor(&image, x, y)) << x << ", " << y;
            }
        freeimage(&image);
        GlobalUnlock(dib);
        GlobalFree(dib);
    }
}

TEST(DibToImage, RefusesDamagedHeadersAndShortBlocks)
{
    auto pixel = [](int, int) { return 0u; };
    struct Case {
        const char* name;
        std::function<void(DibHeader*)> damage;
        int expected;
    } cases[] = {
        {"compressed", [](DibHeader* h) { h->compression = 1; }, ImgUnsupported},
        {"two planes", [](DibHeader* h) { h->planes = 2; }, ImgUnsupported},
        {"small header", [](DibHeader* h) { h->size = 12; }, ImgUnsupported},
        {"taller than its block", [](DibHeader* h) { h->height = 90; }, ImgDamaged},
        {"300 colours", [](DibHeader* h) { h->clrUsed = 300; }, ImgDamaged},
        {"60000 wide", [](DibHeader* h) { h->width = 60000; }, ImgDamaged},
    };
    for (const Case& c : cases) {
        HGLOBAL dib = MakeDib(9, 9, 8, pixel);
        auto* header = static_cast<DibHeader*>(GlobalLock(dib));
        c.damage(header);
        ImageDescriptor image;
        EXPECT_EQ(c.expected, dibtoimage(header, &image)) << c.name;
        EXPECT_EQ(nullptr, image.block) << c.name;
        GlobalUnlock(dib);
        GlobalFree(dib);
    }
}

TEST(ColorReduction, FewColoursAreKeptExactly)
{
    const std::vector<std::uint32_t> colors = {0xFFFFFF, 0x123456, 0xFF0000, 0x123457};
    PatternImage source(50, 30, [&](int x, int y) { return colors[(x / 10 + y / 10) % 4]; });
    ImageDescriptor reduced;
    ASSERT_EQ(ImgOk, allocimage(&reduced, 50, 30, 8));
    ASSERT_EQ(ImgOk, convertrgbtopal(256, source.get(), &reduced));
    EXPECT_EQ(4u, reduced.header->clrImportant);
    EXPECT_EQ(0u, reduced.header->clrUsed) << "the table stays whole, so the block stays a packed DIB";
    std::set<std::uint32_t> palette;
    for (int i = 0; i < 4; ++i)
        palette.insert(std::uint32_t{reduced.palette[i].red} << 16 | std::uint32_t{reduced.palette[i].green} << 8 | reduced.palette[i].blue);
    EXPECT_EQ(std::set<std::uint32_t>(colors.begin(), colors.end()), palette);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 50; ++x) ASSERT_EQ(source.Expected(x, y), ImageColor(&reduced, x, y));
    freeimage(&reduced);
}

TEST(ColorReduction, ManyColoursGoToAMedianCutPalette)
{
    // Smooth gradients over all three channels: thousands of colours.
    PatternImage source(160, 120, [](int x, int y) {
        return static_cast<std::uint32_t>(x * 255 / 159) << 16 | static_cast<std::uint32_t>(y * 255 / 119) << 8 |
               static_cast<std::uint32_t>((x + y) * 255 / 278);
    });
    for (int size : {256, 16}) {
        SCOPED_TRACE(size);
        ImageDescriptor reduced;
        ASSERT_EQ(ImgOk, allocimage(&reduced, 160, 120, 8));
        ASSERT_EQ(ImgOk, convertrgbtopal(size, source.get(), &reduced));
        EXPECT_EQ(static_cast<std::uint32_t>(size), reduced.header->clrImportant);
        RgbPicture picture;
        picture.width = 160;
        picture.height = 120;
        std::set<int> used;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 160; ++x) {
                const int index = reduced.bits[(119 - y) * reduced.bytesPerRow + x];
                ASSERT_LT(index, size);
                used.insert(index);
                picture.pixels.push_back(ImageColor(&reduced, x, y));
            }
        EXPECT_GT(used.size(), static_cast<std::size_t>(size * 9 / 10)) << "the palette is spent, not left idle";
        EXPECT_GE(Psnr(picture, [&](int x, int y) { return source.Expected(x, y); }), size == 256 ? 34.0 : 22.0);
        freeimage(&reduced);
    }
}

TEST(ColorReduction, RefusesDestinationsOfAnotherShape)
{
    PatternImage source(10, 10, [](int x, int) { return static_cast<std::uint32_t>(x); });
    ImageDescriptor other;
    ASSERT_EQ(ImgOk, allocimage(&other, 10, 11, 8));
    EXPECT_EQ(ImgBadArgument, convertrgbtopal(256, source.get(), &other));
    freeimage(&other);
    ASSERT_EQ(ImgOk, allocimage(&other, 10, 10, 8));
    EXPECT_EQ(ImgBadArgument, convertrgbtopal(257, source.get(), &other));
    EXPECT_EQ(ImgUnsupported, convert1bitto8bit(source.get(), &other));
    freeimage(&other);
}

TEST(Widening, OneBitBecomesEightWithItsTwoColours)
{
    PatternImage source(13, 6, 1, {0x0000FF, 0xFFFF00}, [](int x, int y) { return (x + y) % 3 == 0; });
    ImageDescriptor wide;
    ASSERT_EQ(ImgOk, allocimage(&wide, 13, 6, 8));
    ASSERT_EQ(ImgOk, convert1bitto8bit(source.get(), &wide));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 13; ++x) {
            ASSERT_EQ((x + y) % 3 == 0 ? 1 : 0, wide.bits[(5 - y) * wide.bytesPerRow + x]);
            ASSERT_EQ(source.Expected(x, y), ImageColor(&wide, x, y));
        }
    EXPECT_EQ(2u, wide.header->clrImportant);
    freeimage(&wide);
}

}  // namespace
