// TIFF files: the 8-byte header, the strips, then the one directory and the values that do not
// fit in its entries.
#include "imaging/image_pixels.h"
#include "imaging/image_writers.h"
#include "imaging/lzw_encoder.h"

namespace {

constexpr std::uint32_t kStripTarget = 8192;

enum TiffType : std::uint16_t { Short = 3, Long = 4, Rational = 5 };

void Put16(std::vector<std::uint8_t>* out, std::uint32_t value)
{
    out->push_back(static_cast<std::uint8_t>(value));
    out->push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>* out, std::uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

struct Entry {
    std::uint16_t tag;
    std::uint16_t type;
    std::vector<std::uint32_t> values;
};

std::uint32_t TypeSize(std::uint16_t type)
{
    return type == Short ? 2 : type == Long ? 4 : 8;
}

}  // namespace

int EncodeTiff(const ImageDescriptor* image, int compression, std::vector<std::uint8_t>* file)
{
    if (!image || !image->bits || !file) return ImgBadArgument;
    if (compression != 0 && compression != 2) return ImgBadArgument;
    const int depth = image->bitsPerPixel, width = image->width, height = image->height;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24) return ImgUnsupported;
    const bool color = depth == 24;
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width) * depth + 7) / 8;
    std::uint32_t rowsPerStrip = kStripTarget / rowBytes;
    if (rowsPerStrip < 1) rowsPerStrip = 1;
    if (rowsPerStrip > static_cast<std::uint32_t>(height)) rowsPerStrip = static_cast<std::uint32_t>(height);

    file->assign({'I', 'I', 42, 0, 0, 0, 0, 0});
    std::vector<std::uint32_t> offsets, counts;
    std::vector<std::uint8_t> strip;
    for (int first = 0; first < height; first += static_cast<int>(rowsPerStrip)) {
        const int last = first + static_cast<int>(rowsPerStrip) < height ? first + static_cast<int>(rowsPerStrip) : height;
        strip.clear();
        for (int y = first; y < last; ++y) {
            const std::uint8_t* row = TopRow(image, y);
            if (color) {
                for (int x = 0; x < width; ++x) strip.insert(strip.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
            } else {
                strip.insert(strip.end(), row, row + rowBytes);
            }
        }
        offsets.push_back(static_cast<std::uint32_t>(file->size()));
        if (compression == 2) {
            LzwEncoder lzw(LzwEncoder::Tiff, 8, file);
            for (std::uint8_t byte : strip) lzw.Put(byte);
            lzw.Finish();
        } else {
            file->insert(file->end(), strip.begin(), strip.end());
        }
        counts.push_back(static_cast<std::uint32_t>(file->size()) - offsets.back());
        if (file->size() & 1) file->push_back(0);
    }

    std::vector<Entry> entries = {
        {254, Long, {0}},
        {256, Long, {static_cast<std::uint32_t>(width)}},
        {257, Long, {static_cast<std::uint32_t>(height)}},
        {258, Short, color ? std::vector<std::uint32_t>{8, 8, 8} : std::vector<std::uint32_t>{static_cast<std::uint32_t>(depth)}},
        {259, Short, {compression == 2 ? 5u : 1u}},
        {262, Short, {color ? 2u : 3u}},
        {273, Long, offsets},
        {277, Short, {color ? 3u : 1u}},
        {278, Long, {rowsPerStrip}},
        {279, Long, counts},
        {282, Rational, {96, 1}},
        {283, Rational, {96, 1}},
        {284, Short, {1}},
        {296, Short, {2}},
    };
    if (!color) {
        // Sixteen-bit channels, red, then green, then blue, over the whole 2^depth table.
        const int colors = 1 << depth;
        std::vector<std::uint32_t> map(3 * static_cast<std::size_t>(colors), 0);
        for (int i = 0; i < colors && i < image->colorCount; ++i) {
            map[i] = image->palette[i].red * 257u;
            map[colors + i] = image->palette[i].green * 257u;
            map[2 * colors + i] = image->palette[i].blue * 257u;
        }
        entries.push_back({320, Short, map});
    }

    // The directory, then the values too long for their entries, in entry order.
    const std::uint32_t directory = static_cast<std::uint32_t>(file->size());
    (*file)[4] = static_cast<std::uint8_t>(directory);
    (*file)[5] = static_cast<std::uint8_t>(directory >> 8);
    (*file)[6] = static_cast<std::uint8_t>(directory >> 16);
    (*file)[7] = static_cast<std::uint8_t>(directory >> 24);
    std::uint32_t extra = directory + 2 + 12 * static_cast<std::uint32_t>(entries.size()) + 4;
    Put16(file, static_cast<std::uint32_t>(entries.size()));
    for (const Entry& e : entries) {
        const std::uint32_t count = e.type == Rational ? static_cast<std::uint32_t>(e.values.size() / 2)
                                                       : static_cast<std::uint32_t>(e.values.size());
        const std::uint32_t bytes = TypeSize(e.type) * count;
        Put16(file, e.tag);
        Put16(file, e.type);
        Put32(file, count);
        if (bytes <= 4) {
            if (e.type == Short) {
                Put16(file, e.values[0]);
                Put16(file, count > 1 ? e.values[1] : 0);
            } else {
                Put32(file, e.values[0]);
            }
        } else {
            Put32(file, extra);
            extra += bytes + (bytes & 1);
        }
    }
    Put32(file, 0);
    for (const Entry& e : entries) {
        const std::uint32_t count = e.type == Rational ? static_cast<std::uint32_t>(e.values.size() / 2)
                                                       : static_cast<std::uint32_t>(e.values.size());
        const std::uint32_t bytes = TypeSize(e.type) * count;
        if (bytes <= 4) continue;
        for (std::uint32_t v : e.values) {
            if (e.type == Short) Put16(file, v);
            else Put32(file, v);
        }
        if (bytes & 1) file->push_back(0);
    }
    return ImgOk;
}
