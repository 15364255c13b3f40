// GIF files.
#include "imaging/image_pixels.h"
#include "imaging/image_writers.h"
#include "imaging/lzw_encoder.h"

int EncodeGif(const ImageDescriptor* image, int mode, int transparentIndex, std::vector<std::uint8_t>* file)
{
    if (!image || !image->bits || !file) return ImgBadArgument;
    const int depth = image->bitsPerPixel, width = image->width, height = image->height;
    if (depth != 1 && depth != 4 && depth != 8) return ImgUnsupported;
    if (width > 65535 || height > 65535) return ImgUnsupported;

    // The table covers the colours in use, every index the rows hold and the transparent one.
    int entries = ColorsInUse(image);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = TopRow(image, y);
        for (int x = 0; x < width; ++x) {
            const int index = IndexAt(row, x, depth);
            if (index >= entries) entries = index + 1;
        }
    }
    const bool transparent = (mode & 2) && transparentIndex >= 0 && transparentIndex < image->colorCount;
    if (transparent && transparentIndex >= entries) entries = transparentIndex + 1;
    int tableBits = 1;
    while ((1 << tableBits) < entries) ++tableBits;

    file->clear();
    auto put = [&](std::initializer_list<int> bytes) {
        for (int b : bytes) file->push_back(static_cast<std::uint8_t>(b));
    };
    put({'G', 'I', 'F', '8', '9', 'a', width & 255, width >> 8, height & 255, height >> 8,
         0x80 | (tableBits - 1) << 4 | (tableBits - 1), 0, 0});
    for (int i = 0; i < (1 << tableBits); ++i) {
        const PaletteEntry e = i < image->colorCount ? image->palette[i] : PaletteEntry{0, 0, 0, 0};
        put({e.red, e.green, e.blue});
    }
    if (transparent) put({0x21, 0xF9, 4, 1, 0, 0, transparentIndex, 0});
    const bool interlaced = (mode & 1) != 0;
    put({0x2C, 0, 0, 0, 0, width & 255, width >> 8, height & 255, height >> 8, interlaced ? 0x40 : 0});

    const int rootBits = tableBits < 2 ? 2 : tableBits;
    put({rootBits});
    std::vector<std::uint8_t> code;
    {
        LzwEncoder lzw(LzwEncoder::Gif, rootBits, &code);
        auto emitRow = [&](int y) {
            const std::uint8_t* row = TopRow(image, y);
            for (int x = 0; x < width; ++x) lzw.Put(static_cast<std::uint8_t>(IndexAt(row, x, depth)));
        };
        if (interlaced) {
            // Four passes: every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
            static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = start[pass]; y < height; y += step[pass]) emitRow(y);
        } else {
            for (int y = 0; y < height; ++y) emitRow(y);
        }
        lzw.Finish();
    }
    for (std::size_t at = 0; at < code.size(); at += 255) {
        const std::size_t length = code.size() - at < 255 ? code.size() - at : 255;
        file->push_back(static_cast<std::uint8_t>(length));
        file->insert(file->end(), code.begin() + static_cast<std::ptrdiff_t>(at),
                     code.begin() + static_cast<std::ptrdiff_t>(at + length));
    }
    put({0, 0x3B});
    return ImgOk;
}
