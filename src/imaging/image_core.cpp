// Images in memory: allocation and release, packed DIBs in, decoded pixels stored at an image's
// depth, and the widening of one-bit images.
#include <cstring>
#include <unordered_map>

#include "imaging/image_headers.h"
#include "imaging/image_pixels.h"
#include "imaging/imaging.h"

int allocDIB(ImageDescriptor* image, int width, int height, int bitsPerPixel)
{
    if (!image) return ImgBadArgument;
    std::memset(image, 0, sizeof(*image));
    const std::uint32_t bytes = ImageBytesFor(width, height, bitsPerPixel);
    if (bytes == 0) return ImgBadArgument;
    const int colors = bitsPerPixel <= 8 ? 1 << bitsPerPixel : 0;
    const std::uint32_t total = sizeof(DibHeader) + sizeof(PaletteEntry) * colors + bytes;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, total);
    if (!block) return ImgNoMemory;
    auto* base = static_cast<std::uint8_t*>(GlobalLock(block));
    if (!base) {
        GlobalFree(block);
        return ImgNoMemory;
    }
    auto* header = reinterpret_cast<DibHeader*>(base);
    header->size = sizeof(DibHeader);
    header->width = width;
    header->height = height;
    header->planes = 1;
    header->bitCount = static_cast<std::uint16_t>(bitsPerPixel);
    header->sizeImage = bytes;
    image->width = width;
    image->height = height;
    image->bitsPerPixel = bitsPerPixel;
    image->imageBytes = bytes;
    image->palette = reinterpret_cast<PaletteEntry*>(base + sizeof(DibHeader));
    image->bits = base + sizeof(DibHeader) + sizeof(PaletteEntry) * colors;
    image->bytesPerRow = static_cast<std::int32_t>(bytes / static_cast<std::uint32_t>(height));
    image->colorCount = colors;
    image->blockBytes = total;
    image->header = header;
    image->block = block;
    return ImgOk;
}

int allocimage(ImageDescriptor* image, int width, int height, int bitsPerPixel)
{
    return allocDIB(image, width, height, bitsPerPixel);
}

int freeimage(ImageDescriptor* image)
{
    if (!image) return ImgBadArgument;
    if (image->block) {
        GlobalUnlock(image->block);
        GlobalFree(image->block);
    }
    std::memset(image, 0, sizeof(*image));
    return ImgOk;
}

int dibtoimage(const void* packedDib, ImageDescriptor* image)
{
    if (!packedDib || !image) return ImgBadArgument;
    std::memset(image, 0, sizeof(*image));
    // What may be read: the rest of the global block the pointer starts, when it starts one.
    std::uint64_t available = ~std::uint64_t{0};
    if (HGLOBAL handle = GlobalHandle(packedDib)) {
        if (const SIZE_T size = GlobalSize(handle)) available = size;
    }
    if (available < sizeof(DibHeader)) return ImgDamaged;
    DibHeader header;
    std::memcpy(&header, packedDib, sizeof(header));
    const int bits = header.bitCount;
    if (header.size < sizeof(DibHeader) || header.size > 1024 || header.planes != 1 || header.compression != 0 ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32))
        return ImgUnsupported;
    const std::int64_t width = header.width;
    const bool topDown = header.height < 0;
    const std::int64_t height = topDown ? -std::int64_t{header.height} : header.height;
    const int depth = bits == 32 ? 24 : bits;
    if (ImageBytesFor(width, height, depth) == 0) return ImgDamaged;
    std::uint32_t colors = 0;
    if (bits <= 8) {
        if (header.clrUsed > (1u << bits)) return ImgDamaged;
        colors = header.clrUsed ? header.clrUsed : 1u << bits;
    }
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
    const std::uint64_t needed = header.size + 4ull * colors + stride * static_cast<std::uint64_t>(height);
    if (needed > available) return ImgDamaged;

    if (int err = allocDIB(image, static_cast<int>(width), static_cast<int>(height), depth)) return err;
    const auto* source = static_cast<const std::uint8_t*>(packedDib);
    std::memcpy(image->palette, source + header.size, 4 * colors);
    const std::uint8_t* rows = source + header.size + 4 * colors;
    for (int y = 0; y < image->height; ++y) {
        // Row y of the image counted from the bottom.
        const std::uint8_t* from = rows + stride * static_cast<std::uint64_t>(topDown ? image->height - 1 - y : y);
        std::uint8_t* to = image->bits + static_cast<std::size_t>(y) * image->bytesPerRow;
        if (bits == 32) {
            for (int x = 0; x < image->width; ++x) std::memcpy(to + 3 * x, from + 4 * x, 3);
        } else {
            std::memcpy(to, from, static_cast<std::size_t>(stride));
        }
    }
    return ImgOk;
}

int convert1bitto8bit(const ImageDescriptor* source, ImageDescriptor* destination)
{
    if (!source || !destination || !source->bits || !destination->bits) return ImgBadArgument;
    if (source->bitsPerPixel != 1) return ImgUnsupported;
    if (destination->bitsPerPixel != 8 || destination->width != source->width ||
        destination->height != source->height)
        return ImgBadArgument;
    std::memset(destination->palette, 0, sizeof(PaletteEntry) * destination->colorCount);
    std::memcpy(destination->palette, source->palette, 2 * sizeof(PaletteEntry));
    destination->header->clrImportant = 2;
    for (int y = 0; y < source->height; ++y) {
        const std::uint8_t* from = source->bits + static_cast<std::size_t>(y) * source->bytesPerRow;
        std::uint8_t* to = destination->bits + static_cast<std::size_t>(y) * destination->bytesPerRow;
        for (int x = 0; x < source->width; ++x) to[x] = static_cast<std::uint8_t>(IndexAt(from, x, 1));
    }
    return ImgOk;
}

std::uint32_t PixelColor(const ImageDescriptor* image, int x, int y)
{
    const std::uint8_t* row = TopRow(image, y);
    if (image->bitsPerPixel == 24) {
        const std::uint8_t* p = row + 3 * x;
        return std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
    }
    const int index = IndexAt(row, x, image->bitsPerPixel);
    const PaletteEntry& e = image->palette[index < image->colorCount ? index : 0];
    return std::uint32_t{e.red} << 16 | std::uint32_t{e.green} << 8 | e.blue;
}

namespace {

// Distinct colours in order of first appearance, stopping past `limit`.
class ColorTable {
public:
    explicit ColorTable(int limit) : limit_(limit) {}
    // The colour's index, or -1 once there are more than `limit` colours.
    int Add(std::uint32_t color)
    {
        if (color == lastColor_ && lastIndex_ >= 0) return lastIndex_;
        auto it = index_.find(color);
        int index;
        if (it != index_.end()) {
            index = it->second;
        } else {
            if (static_cast<int>(colors_.size()) >= limit_) return -1;
            index = static_cast<int>(colors_.size());
            index_.emplace(color, index);
            colors_.push_back(color);
        }
        lastColor_ = color;
        lastIndex_ = index;
        return index;
    }
    const std::vector<std::uint32_t>& colors() const { return colors_; }

private:
    int limit_;
    std::uint32_t lastColor_ = 0;
    int lastIndex_ = -1;
    std::unordered_map<std::uint32_t, int> index_;
    std::vector<std::uint32_t> colors_;
};

PaletteEntry EntryOf(std::uint32_t color)
{
    return PaletteEntry{static_cast<std::uint8_t>(color), static_cast<std::uint8_t>(color >> 8),
                        static_cast<std::uint8_t>(color >> 16), 0};
}

std::uint32_t ColorOf(const PaletteEntry& e)
{
    return std::uint32_t{e.red} << 16 | std::uint32_t{e.green} << 8 | e.blue;
}

// Pixel x of a decoded colour row as 0x00RRGGBB.
std::uint32_t DecodedColor(const DecodedPixels& p, const std::uint8_t* row, int x)
{
    const std::uint8_t* q = row + x * (p.bitsPerPixel / 8);
    return std::uint32_t{q[2]} << 16 | std::uint32_t{q[1]} << 8 | q[0];
}

}  // namespace

bool DistinctColors(const ImageDescriptor* image, int limit, std::vector<std::uint32_t>* colors)
{
    ColorTable table(limit);
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x)
            if (table.Add(PixelColor(image, x, y)) < 0) return false;
    *colors = table.colors();
    return true;
}

int StorePixels(const DecodedPixels& p, ImageDescriptor* image)
{
    if (!image || !image->bits || !p.rows) return ImgBadArgument;
    if (p.width != image->width || p.height != image->height) return ImgDamaged;
    const bool indexed = p.bitsPerPixel <= 8;
    if (indexed ? (p.bitsPerPixel != 1 && p.bitsPerPixel != 2 && p.bitsPerPixel != 4 && p.bitsPerPixel != 8)
                : (p.bitsPerPixel != 24 && p.bitsPerPixel != 32))
        return ImgUnsupported;
    const int depth = image->bitsPerPixel;
    const int paletteSize = static_cast<int>(p.palette.size());
    auto sourceRow = [&](int y) { return p.rows + static_cast<std::size_t>(p.bottomUp ? p.height - 1 - y : y) * p.stride; };

    if (depth == 24) {
        for (int y = 0; y < p.height; ++y) {
            const std::uint8_t* from = sourceRow(y);
            std::uint8_t* to = TopRow(image, y);
            for (int x = 0; x < p.width; ++x) {
                std::uint32_t color;
                if (indexed) {
                    const int index = IndexAt(from, x, p.bitsPerPixel);
                    if (index >= paletteSize) return ImgDamaged;
                    color = ColorOf(p.palette[index]);
                } else {
                    color = DecodedColor(p, from, x);
                }
                to[3 * x] = static_cast<std::uint8_t>(color);
                to[3 * x + 1] = static_cast<std::uint8_t>(color >> 8);
                to[3 * x + 2] = static_cast<std::uint8_t>(color >> 16);
            }
        }
        return ImgOk;
    }

    const int room = image->colorCount;
    std::memset(image->palette, 0, sizeof(PaletteEntry) * room);
    if (indexed) {
        for (int i = 0; i < paletteSize && i < room; ++i) image->palette[i] = p.palette[i];
        for (int y = 0; y < p.height; ++y) {
            const std::uint8_t* from = sourceRow(y);
            std::uint8_t* to = TopRow(image, y);
            for (int x = 0; x < p.width; ++x) {
                const int index = IndexAt(from, x, p.bitsPerPixel);
                if (index >= paletteSize) return ImgDamaged;
                if (index >= room) return ImgUnsupported;
                SetIndexAt(to, x, depth, index);
            }
        }
        return ImgOk;
    }
    // Colour into an indexed image: its distinct colours must fit the table.
    ColorTable table(room);
    for (int y = 0; y < p.height; ++y) {
        const std::uint8_t* from = sourceRow(y);
        std::uint8_t* to = TopRow(image, y);
        for (int x = 0; x < p.width; ++x) {
            const int index = table.Add(DecodedColor(p, from, x));
            if (index < 0) return ImgUnsupported;
            SetIndexAt(to, x, depth, index);
        }
    }
    for (std::size_t i = 0; i < table.colors().size(); ++i) image->palette[i] = EntryOf(table.colors()[i]);
    image->header->clrImportant = static_cast<std::uint32_t>(table.colors().size());
    return ImgOk;
}
