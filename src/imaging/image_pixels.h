// Pixels between the codecs and images: what a decoder delivers, put into an image of any depth;
// an image's rows read back top-down in 24-bit colour or as palette indexes; the palette of an
// image's distinct colours.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/imaging.h"

// Decoded rows, top-down unless said: indexes into `palette` (1, 2, 4 or 8 bits, most
// significant bits first) or colour (24 bits blue-green-red, or 32 bits with a fourth byte).
struct DecodedPixels {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::uint32_t stride = 0;
    const std::uint8_t* rows = nullptr;
    bool bottomUp = false;
    std::vector<PaletteEntry> palette;
};

// Puts the pixels into the image, which has their size, converting to its depth: colour to 24
// bits, indexes by their palette, and colour into an indexed image through the palette of its
// distinct colours when they fit. ImgDamaged for a size that differs or an index outside the
// palette, ImgUnsupported when the colours do not fit the image's depth.
int StorePixels(const DecodedPixels& pixels, ImageDescriptor* image);

// The index (1, 4 or 8 bits) or 24-bit colour value of pixel x in a row.
inline int IndexAt(const std::uint8_t* row, int x, int bits)
{
    switch (bits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 2: return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    default: return row[x];
    }
}

inline void SetIndexAt(std::uint8_t* row, int x, int bits, int value)
{
    switch (bits) {
    case 1: {
        const int shift = 7 - (x & 7);
        row[x >> 3] = static_cast<std::uint8_t>((row[x >> 3] & ~(1 << shift)) | ((value & 1) << shift));
        break;
    }
    case 4: {
        const int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & ~(15 << shift)) | ((value & 15) << shift));
        break;
    }
    default: row[x] = static_cast<std::uint8_t>(value);
    }
}

// The image's row y counted from the top.
inline std::uint8_t* TopRow(const ImageDescriptor* image, int y)
{
    return image->bits + static_cast<std::size_t>(image->height - 1 - y) * image->bytesPerRow;
}

// The image's pixel (x, y from the top) as 0x00RRGGBB.
std::uint32_t PixelColor(const ImageDescriptor* image, int x, int y);

// Colours of the image's table in use: the header's count of important colours when it names
// fewer than the table holds (the conversions set it), else the whole table.
inline int ColorsInUse(const ImageDescriptor* image)
{
    const std::uint32_t important = image->header ? image->header->clrImportant : 0;
    return important > 0 && important < static_cast<std::uint32_t>(image->colorCount) ? static_cast<int>(important)
                                                                                      : image->colorCount;
}

// Up to `limit` distinct colours of the image in the order of first appearance (top-down), or
// false when it has more.
bool DistinctColors(const ImageDescriptor* image, int limit, std::vector<std::uint32_t>* colors);
