// PCX decoding and encoding.
#include "imaging/pcx_codec.h"

#include <algorithm>
#include <cstring>

#include "imaging/byte_source.h"
#include "imaging/image_headers.h"
#include "imaging/image_pixels.h"

namespace {

constexpr std::uint32_t kHeaderBytes = 128;
constexpr std::uint32_t kVgaPaletteBytes = 769;   // the marker and 256 x 3

PaletteEntry Rgb(const std::uint8_t* p)
{
    return PaletteEntry{p[2], p[1], p[0], 0};
}

}  // namespace

int DecodePcx(const std::uint8_t* data, std::size_t size, ImageDescriptor* image)
{
    MemorySource source(data, size);
    PcxInfo info;
    if (ReadPcxHeader(source, &info) != ImgOk) return ImgDamaged;
    const std::uint32_t lineBytes = static_cast<std::uint32_t>(info.bytesPerLine) * info.planes;
    const std::uint64_t total = std::uint64_t{lineBytes} * info.height;
    std::vector<std::uint8_t> scan;
    try {
        scan.resize(static_cast<std::size_t>(total));
    } catch (...) {
        return ImgNoMemory;
    }

    // The rows as one stream: some writers let a run cross the end of a line.
    std::uint32_t end = source.Size();
    if (info.bitsPerPixel == 8 && end >= kHeaderBytes + kVgaPaletteBytes && data[end - kVgaPaletteBytes] == 0x0C)
        end -= kVgaPaletteBytes;
    std::uint32_t at = kHeaderBytes;
    if (info.encoding == 0) {
        if (end - at < total) return ImgDamaged;
        std::memcpy(scan.data(), data + at, static_cast<std::size_t>(total));
    } else {
        std::uint64_t filled = 0;
        while (filled < total) {
            if (at >= end) return ImgDamaged;
            std::uint8_t byte = data[at++];
            std::uint32_t run = 1;
            if ((byte & 0xC0) == 0xC0) {
                run = byte & 0x3F;
                if (at >= end) return ImgDamaged;
                byte = data[at++];
            }
            if (run > total - filled) run = static_cast<std::uint32_t>(total - filled);
            std::memset(scan.data() + filled, byte, run);
            filled += run;
        }
    }

    DecodedPixels pixels;
    pixels.width = info.width;
    pixels.height = info.height;
    const std::uint8_t* headerPalette = data + 16;
    std::vector<std::uint8_t> packed;
    if (info.planes == 1 && info.bitsPerPlane <= 4) {
        pixels.bitsPerPixel = info.bitsPerPlane;
        pixels.rows = scan.data();
        pixels.stride = lineBytes;
        const int colors = 1 << info.bitsPerPlane;
        for (int i = 0; i < colors; ++i) pixels.palette.push_back(Rgb(headerPalette + 3 * i));
        // A one-bit picture whose two header colours are the same is black and white.
        if (colors == 2 && std::memcmp(headerPalette, headerPalette + 3, 3) == 0)
            pixels.palette = {PaletteEntry{0, 0, 0, 0}, PaletteEntry{255, 255, 255, 0}};
    } else if (info.bitsPerPlane == 1) {
        // One bit in each of two to four planes: the planes are the bits of a 16-colour index.
        const std::uint32_t stride = (static_cast<std::uint32_t>(info.width) + 1) / 2;
        packed.assign(static_cast<std::size_t>(stride) * info.height, 0);
        for (int y = 0; y < info.height; ++y) {
            const std::uint8_t* line = scan.data() + static_cast<std::size_t>(y) * lineBytes;
            std::uint8_t* to = packed.data() + static_cast<std::size_t>(y) * stride;
            for (int x = 0; x < info.width; ++x) {
                int index = 0;
                for (int plane = 0; plane < info.planes; ++plane)
                    index |= IndexAt(line + plane * info.bytesPerLine, x, 1) << plane;
                SetIndexAt(to, x, 4, index);
            }
        }
        pixels.bitsPerPixel = 4;
        pixels.rows = packed.data();
        pixels.stride = stride;
        for (int i = 0; i < 16; ++i) pixels.palette.push_back(Rgb(headerPalette + 3 * i));
    } else if (info.planes == 1) {
        pixels.bitsPerPixel = 8;
        pixels.rows = scan.data();
        pixels.stride = lineBytes;
        if (end < source.Size()) {
            for (int i = 0; i < 256; ++i) pixels.palette.push_back(Rgb(data + end + 1 + 3 * i));
        } else {
            for (int i = 0; i < 256; ++i) {
                const auto v = static_cast<std::uint8_t>(i);
                pixels.palette.push_back(PaletteEntry{v, v, v, 0});
            }
        }
    } else {
        // Red, green and blue planes (a fourth, if any, is ignored) into blue-green-red pixels.
        const std::uint32_t stride = static_cast<std::uint32_t>(info.width) * 3;
        packed.resize(static_cast<std::size_t>(stride) * info.height);
        for (int y = 0; y < info.height; ++y) {
            const std::uint8_t* line = scan.data() + static_cast<std::size_t>(y) * lineBytes;
            std::uint8_t* to = packed.data() + static_cast<std::size_t>(y) * stride;
            for (int x = 0; x < info.width; ++x) {
                to[3 * x] = line[2 * info.bytesPerLine + x];
                to[3 * x + 1] = line[info.bytesPerLine + x];
                to[3 * x + 2] = line[x];
            }
        }
        pixels.bitsPerPixel = 24;
        pixels.rows = packed.data();
        pixels.stride = stride;
    }
    return StorePixels(pixels, image);
}

namespace {

// One plane's line in run-length code: runs of up to 63 equal bytes, and single bytes with the
// two top bits set written as runs of one.
void EncodeLine(const std::uint8_t* line, int count, std::vector<std::uint8_t>* out)
{
    int i = 0;
    while (i < count) {
        const std::uint8_t byte = line[i];
        int run = 1;
        while (i + run < count && run < 63 && line[i + run] == byte) ++run;
        if (run > 1 || (byte & 0xC0) == 0xC0) out->push_back(static_cast<std::uint8_t>(0xC0 | run));
        out->push_back(byte);
        i += run;
    }
}

}  // namespace

int EncodePcx(const ImageDescriptor* image, std::vector<std::uint8_t>* file)
{
    if (!image || !image->bits || !file) return ImgBadArgument;
    const int depth = image->bitsPerPixel, width = image->width, height = image->height;
    int planes, bitsPerPlane;
    switch (depth) {
    case 1: planes = 1; bitsPerPlane = 1; break;
    case 4: planes = 4; bitsPerPlane = 1; break;
    case 8: planes = 1; bitsPerPlane = 8; break;
    case 24: planes = 3; bitsPerPlane = 8; break;
    default: return ImgUnsupported;
    }
    int bytesPerLine = (width * bitsPerPlane + 7) / 8;
    bytesPerLine += bytesPerLine & 1;   // lines of an even length

    file->assign(kHeaderBytes, 0);
    std::uint8_t* h = file->data();
    auto word = [&](int at, int value) {
        h[at] = static_cast<std::uint8_t>(value);
        h[at + 1] = static_cast<std::uint8_t>(value >> 8);
    };
    h[0] = 0x0A;
    h[1] = 5;
    h[2] = 1;
    h[3] = static_cast<std::uint8_t>(bitsPerPlane);
    word(8, width - 1);
    word(10, height - 1);
    word(12, 96);
    word(14, 96);
    if (depth <= 4) {
        for (int i = 0; i < image->colorCount && i < 16; ++i) {
            h[16 + 3 * i] = image->palette[i].red;
            h[17 + 3 * i] = image->palette[i].green;
            h[18 + 3 * i] = image->palette[i].blue;
        }
    }
    h[65] = static_cast<std::uint8_t>(planes);
    word(66, bytesPerLine);
    word(68, 1);

    std::vector<std::uint8_t> line(static_cast<std::size_t>(bytesPerLine) * planes);
    for (int y = 0; y < height; ++y) {
        std::fill(line.begin(), line.end(), 0);
        const std::uint8_t* row = TopRow(image, y);
        for (int x = 0; x < width; ++x) {
            switch (depth) {
            case 1: SetIndexAt(line.data(), x, 1, IndexAt(row, x, 1)); break;
            case 4: {
                const int index = IndexAt(row, x, 4);
                for (int plane = 0; plane < 4; ++plane)
                    SetIndexAt(line.data() + plane * bytesPerLine, x, 1, (index >> plane) & 1);
                break;
            }
            case 8: line[x] = row[x]; break;
            default:
                line[x] = row[3 * x + 2];
                line[bytesPerLine + x] = row[3 * x + 1];
                line[2 * bytesPerLine + x] = row[3 * x];
            }
        }
        for (int plane = 0; plane < planes; ++plane)
            EncodeLine(line.data() + plane * bytesPerLine, bytesPerLine, file);
    }
    if (depth == 8) {
        file->push_back(0x0C);
        for (int i = 0; i < 256; ++i) {
            const PaletteEntry& e = image->palette[i];
            file->insert(file->end(), {e.red, e.green, e.blue});
        }
    }
    return ImgOk;
}
