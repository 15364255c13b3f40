// Images made from a pattern.
#include "pattern_image.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void PutBgr(std::uint8_t* p, std::uint32_t color)
{
    p[0] = static_cast<std::uint8_t>(color);
    p[1] = static_cast<std::uint8_t>(color >> 8);
    p[2] = static_cast<std::uint8_t>(color >> 16);
}

std::uint8_t* RowFromTop(ImageDescriptor* image, int y)
{
    return image->bits + static_cast<std::size_t>(image->height - 1 - y) * image->bytesPerRow;
}

}  // namespace

PatternImage::PatternImage(int width, int height, const ColorPattern& colors) : expected_(colors)
{
    EXPECT_EQ(ImgOk, allocDIB(&image_, width, height, 24));
    if (!image_.bits) return;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) PutBgr(RowFromTop(&image_, y) + 3 * x, colors(x, y));
}

PatternImage::PatternImage(int width, int height, int bits, const std::vector<std::uint32_t>& palette,
                           const IndexPattern& indexes)
    : expected_([palette, indexes](int x, int y) { return palette[indexes(x, y)]; })
{
    EXPECT_EQ(ImgOk, allocDIB(&image_, width, height, bits));
    if (!image_.bits) return;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        PaletteEntry& e = image_.palette[i];
        e.red = static_cast<std::uint8_t>(palette[i] >> 16);
        e.green = static_cast<std::uint8_t>(palette[i] >> 8);
        e.blue = static_cast<std::uint8_t>(palette[i]);
    }
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = RowFromTop(&image_, y);
        for (int x = 0; x < width; ++x) {
            const int v = indexes(x, y);
            const int perByte = 8 / bits;
            const int shift = 8 - bits * (x % perByte + 1);
            row[x / perByte] = static_cast<std::uint8_t>(row[x / perByte] | v << shift);
        }
    }
}

std::uint32_t ImageColor(const ImageDescriptor* image, int x, int y)
{
    const std::uint8_t* row = image->bits + static_cast<std::size_t>(image->height - 1 - y) * image->bytesPerRow;
    if (image->bitsPerPixel == 24)
        return std::uint32_t{row[3 * x + 2]} << 16 | std::uint32_t{row[3 * x + 1]} << 8 | row[3 * x];
    const int bits = image->bitsPerPixel, perByte = 8 / bits;
    const int index = row[x / perByte] >> (8 - bits * (x % perByte + 1)) & ((1 << bits) - 1);
    const PaletteEntry& e = image->palette[index];
    return std::uint32_t{e.red} << 16 | std::uint32_t{e.green} << 8 | e.blue;
}

double Psnr(int width, int height, const std::function<std::uint32_t(int, int)>& actual,
            const std::function<std::uint32_t(int, int)>& expected)
{
    double squares = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t a = actual(x, y), b = expected(x, y);
            for (int shift = 0; shift < 24; shift += 8) {
                const double d = static_cast<double>((a >> shift) & 255) - static_cast<double>((b >> shift) & 255);
                squares += d * d;
            }
        }
    const double mean = squares / (3.0 * width * height);
    return mean == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mean);
}
