// Header readers of BMP, TIFF, PCX, GIF and JPEG files. A header is believed only as far as the
// source confirms it: tables, strips and segments must lie inside the file, counts must agree
// with the sizes they describe, and the picture must fit the limits before anyone allocates it.
#include "imaging/image_headers.h"

#include <cstring>

#include "imaging/byte_source.h"

namespace {

// The depth the importer allocates for a file depth (the same rules it applies).
int BmpImportDepth(int bits)
{
    return bits == 4 ? 8 : bits > 8 ? 24 : bits;
}

int TiffImportDepth(int bits)
{
    return bits > 8 ? 24 : bits == 1 ? 1 : 8;
}

bool Fits(std::uint64_t offset, std::uint64_t length, std::uint32_t size)
{
    return offset <= size && length <= size - offset;
}

}  // namespace

std::uint32_t ImageBytesFor(std::int64_t width, std::int64_t height, int bitsPerPixel)
{
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24) return 0;
    if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) return 0;
    const std::uint64_t row = (static_cast<std::uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
    const std::uint64_t total = row * static_cast<std::uint64_t>(height);
    if (total > kMaxImageBytes - sizeof(DibHeader) - 256 * sizeof(PaletteEntry)) return 0;
    return static_cast<std::uint32_t>(total);
}

// ---- BMP: the 14-byte file header, an info header of 12 (OS/2) or at least 40 bytes, the
// colour table, the rows at bfOffBits.
int ReadBmpHeader(ByteSource& s, BmpInfo* info)
{
    std::uint8_t magic[2];
    if (!s.Read(0, magic, 2) || magic[0] != 'B' || magic[1] != 'M') return ImgNotThisFormat;
    std::uint32_t offBits = 0, headerSize = 0;
    if (!s.U32(10, false, &offBits) || !s.U32(14, false, &headerSize)) return ImgStop;
    std::int64_t width = 0, height = 0;
    std::uint16_t planes = 0, bitCount = 0;
    std::uint32_t compression = 0, sizeImage = 0, clrUsed = 0, clrImportant = 0;
    std::int32_t xppm = 0, yppm = 0;
    std::uint32_t entryBytes = 4;
    if (headerSize == 12) {
        std::uint16_t w = 0, h = 0;
        if (!s.U16(18, false, &w) || !s.U16(20, false, &h) || !s.U16(22, false, &planes) || !s.U16(24, false, &bitCount))
            return ImgStop;
        width = w;
        height = h;
        entryBytes = 3;
    } else if (headerSize >= 40 && headerSize <= 1024) {
        std::uint32_t w = 0, h = 0, xp = 0, yp = 0;
        if (!s.U32(18, false, &w) || !s.U32(22, false, &h) || !s.U16(26, false, &planes) ||
            !s.U16(28, false, &bitCount) || !s.U32(30, false, &compression) || !s.U32(34, false, &sizeImage) ||
            !s.U32(38, false, &xp) || !s.U32(42, false, &yp) || !s.U32(46, false, &clrUsed) ||
            !s.U32(50, false, &clrImportant))
            return ImgStop;
        width = static_cast<std::int32_t>(w);
        height = static_cast<std::int32_t>(h);
        xppm = static_cast<std::int32_t>(xp);
        yppm = static_cast<std::int32_t>(yp);
    } else {
        return ImgStop;
    }
    if (!Fits(14, headerSize, s.Size())) return ImgStop;
    if (planes != 1) return ImgStop;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return ImgStop;
    const bool topDown = height < 0;
    if (topDown) height = -height;
    switch (compression) {
    case 0: break;                                      // BI_RGB
    case 1: if (bitCount != 8 || topDown) return ImgStop; break;   // BI_RLE8
    case 2: if (bitCount != 4 || topDown) return ImgStop; break;   // BI_RLE4
    case 3: if (bitCount != 16 && bitCount != 32) return ImgStop; break;   // BI_BITFIELDS
    default: return ImgStop;
    }
    if (ImageBytesFor(width, height, BmpImportDepth(bitCount)) == 0) return ImgStop;

    // The colour table (and the three masks of a 40-byte header with bit fields) must end before
    // the rows, which must all be in the file.
    std::uint64_t tableStart = 14 + std::uint64_t{headerSize};
    if (compression == 3 && headerSize == 40) tableStart += 12;
    std::uint32_t colors = 0;
    if (bitCount <= 8) {
        const std::uint32_t full = 1u << bitCount;
        if (clrUsed > full) return ImgStop;
        colors = clrUsed ? clrUsed : full;
    } else if (clrUsed > 256) {
        return ImgStop;
    }
    const std::uint64_t tableEnd = tableStart + std::uint64_t{entryBytes} * (bitCount <= 8 ? colors : clrUsed);
    if (tableEnd > offBits || offBits > s.Size()) return ImgStop;
    const std::uint32_t available = s.Size() - offBits;
    if (compression == 0 || compression == 3) {
        const std::uint64_t row = (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
        if (row * static_cast<std::uint64_t>(height) > available) return ImgStop;
    } else if (available < 2 || sizeImage > available) {
        return ImgStop;
    }

    std::memset(info, 0, sizeof(*info));
    info->size = 40;
    info->width = static_cast<std::int32_t>(width);
    info->height = static_cast<std::int32_t>(height);
    info->planes = planes;
    info->bitCount = bitCount;
    info->compression = compression;
    info->sizeImage = sizeImage;
    info->xPelsPerMeter = xppm;
    info->yPelsPerMeter = yppm;
    info->clrUsed = colors;
    info->clrImportant = clrImportant;
    return ImgOk;
}

// ---- TIFF: the first directory of a classic TIFF in either byte order.
namespace {

struct TiffEntry {
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::uint32_t valueOffset = 0;   // where the values are: inside the entry or elsewhere
    bool present = false;
};

std::uint32_t TiffTypeSize(std::uint16_t type)
{
    switch (type) {
    case 1: case 2: case 6: case 7: return 1;
    case 3: case 8: return 2;
    case 4: case 9: case 11: case 13: return 4;
    case 5: case 10: case 12: return 8;
    default: return 0;
    }
}

// The i-th value of a SHORT or LONG entry.
bool TiffValue(ByteSource& s, bool big, const TiffEntry& e, std::uint32_t i, std::uint32_t* value)
{
    if (i >= e.count) return false;
    if (e.type == 3) {
        std::uint16_t v = 0;
        if (!s.U16(e.valueOffset + 2 * i, big, &v)) return false;
        *value = v;
        return true;
    }
    if (e.type == 4) return s.U32(e.valueOffset + 4 * i, big, value);
    if (e.type == 1) {
        std::uint8_t v = 0;
        if (!s.U8(e.valueOffset + i, &v)) return false;
        *value = v;
        return true;
    }
    return false;
}

// Every (offset, length) pair of the two arrays lies inside the file; the lengths add up.
bool TiffPiecesFit(ByteSource& s, bool big, const TiffEntry& offsets, const TiffEntry& counts, std::uint32_t pieces,
                   std::uint64_t* total)
{
    if (!offsets.present || !counts.present || offsets.count != pieces || counts.count != pieces) return false;
    *total = 0;
    for (std::uint32_t i = 0; i < pieces; ++i) {
        std::uint32_t offset = 0, length = 0;
        if (!TiffValue(s, big, offsets, i, &offset) || !TiffValue(s, big, counts, i, &length)) return false;
        if (!Fits(offset, length, s.Size())) return false;
        *total += length;
    }
    return true;
}

}  // namespace

int ReadTiffHeader(ByteSource& s, TiffInfo* info)
{
    std::uint8_t head[4];
    if (!s.Read(0, head, 4)) return ImgNotThisFormat;
    bool big;
    if (head[0] == 'I' && head[1] == 'I' && head[2] == 42 && head[3] == 0) big = false;
    else if (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && head[3] == 42) big = true;
    else if ((head[0] == 'I' && head[1] == 'I' && head[2] == 43) || (head[0] == 'M' && head[1] == 'M' && head[3] == 43))
        return ImgStop;   // the 64-bit variant
    else return ImgNotThisFormat;

    std::uint32_t ifd = 0;
    std::uint16_t entries = 0;
    if (!s.U32(4, big, &ifd) || ifd < 8 || !s.U16(ifd, big, &entries) || entries == 0) return ImgStop;
    if (!Fits(std::uint64_t{ifd} + 2, std::uint64_t{entries} * 12, s.Size())) return ImgStop;

    enum { Width, Height, Bits, Compression, Photometric, StripOffsets, Samples, RowsPerStrip, StripCounts,
           Planar, ColorMap, TileWidth, TileLength, TileOffsets, TileCounts, TagCount };
    const std::uint16_t tags[TagCount] = {256, 257, 258, 259, 262, 273, 277, 278, 279, 284, 320, 322, 323, 324, 325};
    TiffEntry e[TagCount];
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::uint32_t at = ifd + 2 + 12 * i;
        std::uint16_t tag = 0, type = 0;
        std::uint32_t count = 0;
        if (!s.U16(at, big, &tag) || !s.U16(at + 2, big, &type) || !s.U32(at + 4, big, &count)) return ImgStop;
        int k = 0;
        while (k < TagCount && tags[k] != tag) ++k;
        if (k == TagCount) continue;
        const std::uint32_t unit = TiffTypeSize(type);
        if (unit == 0 || count == 0) return ImgStop;
        const std::uint64_t bytes = std::uint64_t{unit} * count;
        TiffEntry& entry = e[k];
        entry.type = type;
        entry.count = count;
        entry.present = true;
        if (bytes <= 4) {
            entry.valueOffset = at + 8;
        } else if (!s.U32(at + 8, big, &entry.valueOffset) || !Fits(entry.valueOffset, bytes, s.Size())) {
            return ImgStop;
        }
    }
    auto single = [&](int k, std::uint32_t fallback, std::uint32_t* value) {
        if (!e[k].present) {
            *value = fallback;
            return true;
        }
        return TiffValue(s, big, e[k], 0, value);
    };
    std::uint32_t width = 0, height = 0, compression = 1, photometric = 0, samples = 1, planar = 1, rows = 0xFFFFFFFFu;
    if (!e[Width].present || !e[Height].present || !e[Photometric].present) return ImgStop;
    if (!single(Width, 0, &width) || !single(Height, 0, &height) || !single(Compression, 1, &compression) ||
        !single(Photometric, 0, &photometric) || !single(Samples, 1, &samples) || !single(Planar, 1, &planar) ||
        !single(RowsPerStrip, 0xFFFFFFFFu, &rows))
        return ImgStop;
    if (samples < 1 || samples > 4 || (planar != 1 && planar != 2)) return ImgStop;
    // Bits per sample: one value, or one per sample, all the same.
    std::uint32_t bits = 1;
    if (e[Bits].present) {
        if (e[Bits].count != 1 && e[Bits].count != samples) return ImgStop;
        if (!TiffValue(s, big, e[Bits], 0, &bits)) return ImgStop;
        for (std::uint32_t i = 1; i < e[Bits].count; ++i) {
            std::uint32_t other = 0;
            if (!TiffValue(s, big, e[Bits], i, &other) || other != bits) return ImgStop;
        }
    }
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16) return ImgStop;
    if (photometric > 6 || photometric == 4) return ImgStop;
    const std::uint32_t depth = bits * samples;
    if (ImageBytesFor(width, height, TiffImportDepth(static_cast<int>(depth))) == 0) return ImgStop;

    std::uint32_t colors = 0;
    if (photometric == 3) {
        if (samples != 1 || bits > 8 || !e[ColorMap].present || e[ColorMap].type != 3 ||
            e[ColorMap].count != (3u << bits))
            return ImgStop;
        colors = 1u << bits;
    }

    // The picture's pieces: strips, or tiles, each inside the file; uncompressed ones complete.
    const std::uint32_t planes = planar == 2 ? samples : 1;
    const std::uint64_t rowBytes = (std::uint64_t{width} * bits * (planar == 2 ? 1 : samples) + 7) / 8;
    std::uint64_t total = 0;
    if (e[TileOffsets].present || e[TileWidth].present) {
        std::uint32_t tw = 0, tl = 0;
        if (!single(TileWidth, 0, &tw) || !single(TileLength, 0, &tl) || tw == 0 || tl == 0 || tw % 16 || tl % 16 ||
            tw > 65536 || tl > 65536)
            return ImgStop;
        const std::uint64_t pieces = std::uint64_t{(width + tw - 1) / tw} * ((height + tl - 1) / tl) * planes;
        if (pieces > 0xFFFFFFFFu || !TiffPiecesFit(s, big, e[TileOffsets], e[TileCounts], static_cast<std::uint32_t>(pieces), &total))
            return ImgStop;
        if (compression == 1 && total < (std::uint64_t{tw} * bits * (planar == 2 ? 1 : samples) + 7) / 8 * tl * pieces)
            return ImgStop;
    } else {
        if (rows == 0) return ImgStop;
        if (rows > height) rows = height;
        const std::uint64_t pieces = std::uint64_t{(height + rows - 1) / rows} * planes;
        if (!TiffPiecesFit(s, big, e[StripOffsets], e[StripCounts], static_cast<std::uint32_t>(pieces), &total))
            return ImgStop;
        if (compression == 1 && total < rowBytes * height * planes) return ImgStop;
    }

    std::memset(info, 0, sizeof(*info));
    info->byteOrder = big ? 0x4D4D : 0x4949;
    info->width = static_cast<std::int32_t>(width);
    info->height = static_cast<std::int32_t>(height);
    info->bitsPerSample = static_cast<std::int32_t>(bits);
    info->samplesPerPixel = static_cast<std::int32_t>(samples);
    info->photometric = static_cast<std::int32_t>(photometric);
    info->compression = static_cast<std::int32_t>(compression);
    info->planarConfig = static_cast<std::int32_t>(planar);
    info->bitsPerPixel = static_cast<std::int32_t>(depth);
    info->colorCount = static_cast<std::int32_t>(colors);
    return ImgOk;
}

// ---- PCX: the 128-byte header, run-length rows, and for 256 colours a palette in the last 769
// bytes.
int ReadPcxHeader(ByteSource& s, PcxInfo* info)
{
    std::uint8_t h[128];
    if (!s.Read(0, h, sizeof(h))) return ImgNotThisFormat;
    const int version = h[1], encoding = h[2], bitsPerPlane = h[3];
    // One byte of signature is little: the version, encoding and depth must also be PCX's.
    if (h[0] != 0x0A || (version != 0 && version != 2 && version != 3 && version != 4 && version != 5) ||
        (encoding != 0 && encoding != 1) ||
        (bitsPerPlane != 1 && bitsPerPlane != 2 && bitsPerPlane != 4 && bitsPerPlane != 8))
        return ImgNotThisFormat;
    auto word = [&](int at) { return static_cast<int>(h[at] | h[at + 1] << 8); };
    const int xMin = word(4), yMin = word(6), xMax = word(8), yMax = word(10);
    const int planes = h[65], bytesPerLine = word(66);
    if (xMax < xMin || yMax < yMin) return ImgStop;
    const int width = xMax - xMin + 1, height = yMax - yMin + 1;
    int depth;
    if (bitsPerPlane == 1 && planes == 1) depth = 1;
    else if ((bitsPerPlane == 2 || bitsPerPlane == 4) && planes == 1) depth = 4;
    else if (bitsPerPlane == 1 && planes >= 2 && planes <= 4) depth = 4;
    else if (bitsPerPlane == 8 && planes == 1) depth = 8;
    else if (bitsPerPlane == 8 && (planes == 3 || planes == 4)) depth = 24;
    else return ImgStop;
    if (ImageBytesFor(width, height, depth) == 0) return ImgStop;
    if (bytesPerLine < (width * bitsPerPlane + 7) / 8) return ImgStop;
    const std::uint64_t decoded = std::uint64_t(bytesPerLine) * planes * height;
    if (decoded > kMaxImageBytes) return ImgStop;

    std::uint32_t dataEnd = s.Size();
    int colors = depth == 24 ? 0 : 1 << depth;
    if (depth == 8 && s.Size() >= 128 + 769) {
        std::uint8_t mark = 0;
        if (s.U8(s.Size() - 769, &mark) && mark == 0x0C) dataEnd = s.Size() - 769;
    }
    const std::uint64_t data = dataEnd - 128;
    // A run covers at most 63 bytes with two, so the data bounds what it can expand to.
    if (encoding == 1 ? data * 63 / 2 < decoded : data < decoded) return ImgStop;

    std::memset(info, 0, sizeof(*info));
    info->version = version;
    info->width = width;
    info->height = height;
    info->planes = planes;
    info->bitsPerPlane = bitsPerPlane;
    info->bytesPerLine = bytesPerLine;
    info->encoding = encoding;
    info->bitsPerPixel = depth;
    info->colorCount = colors;
    return ImgOk;
}

// ---- GIF: the screen descriptor and its table, extensions up to the first image descriptor,
// whose table and data blocks must lie in the file.
namespace {

// Skips a chain of data sub-blocks from `at`; the offset after its terminator.
bool SkipSubBlocks(ByteSource& s, std::uint32_t* at)
{
    for (;;) {
        std::uint8_t length = 0;
        if (!s.U8(*at, &length)) return false;
        *at += 1;
        if (length == 0) return true;
        if (!Fits(*at, length, s.Size())) return false;
        *at += length;
    }
}

}  // namespace

int ReadGifHeader(ByteSource& s, GifInfo* info)
{
    std::uint8_t h[13];
    if (!s.Read(0, h, 6) || std::memcmp(h, "GIF8", 4) != 0 || (h[4] != '7' && h[4] != '9') || h[5] != 'a')
        return ImgNotThisFormat;
    if (!s.Read(0, h, 13)) return ImgStop;
    const int screenWidth = h[6] | h[7] << 8, screenHeight = h[8] | h[9] << 8;
    std::uint32_t at = 13;
    int globalColors = 0;
    if (h[10] & 0x80) {
        globalColors = 2 << (h[10] & 7);
        if (!Fits(at, 3u * globalColors, s.Size())) return ImgStop;
        at += 3 * globalColors;
    }
    int transparent = -1;
    for (;;) {
        std::uint8_t kind = 0;
        if (!s.U8(at, &kind)) return ImgStop;
        ++at;
        if (kind == 0x21) {
            std::uint8_t label = 0, control[6];
            if (!s.U8(at, &label)) return ImgStop;
            ++at;
            if (label == 0xF9 && s.Read(at, control, 6) && control[0] == 4)
                transparent = (control[1] & 1) ? control[4] : -1;
            if (!SkipSubBlocks(s, &at)) return ImgStop;
        } else if (kind == 0x2C) {
            std::uint8_t d[9];
            if (!s.Read(at, d, 9)) return ImgStop;
            at += 9;
            const int width = d[4] | d[5] << 8, height = d[6] | d[7] << 8;
            int colors = globalColors;
            if (d[8] & 0x80) {
                colors = 2 << (d[8] & 7);
                if (!Fits(at, 3u * colors, s.Size())) return ImgStop;
                at += 3 * colors;
            }
            std::uint8_t minCodeSize = 0;
            if (colors == 0 || !s.U8(at, &minCodeSize) || minCodeSize < 1 || minCodeSize > 8) return ImgStop;
            ++at;
            if (!SkipSubBlocks(s, &at)) return ImgStop;
            if (ImageBytesFor(width, height, 8) == 0) return ImgStop;
            std::memset(info, 0, sizeof(*info));
            info->width = width;
            info->height = height;
            info->screenWidth = screenWidth;
            info->screenHeight = screenHeight;
            info->left = d[0] | d[1] << 8;
            info->top = d[2] | d[3] << 8;
            info->interlaced = (d[8] & 0x40) ? 1 : 0;
            info->colorCount = colors;
            info->bitsPerPixel = 8;
            info->transparentIndex = transparent < colors ? transparent : -1;
            return ImgOk;
        } else {
            return ImgStop;   // the trailer before any image, or damage
        }
    }
}

// ---- JPEG: markers from the start of the image to the first frame header.
int ReadJpegHeader(ByteSource& s, JpegInfo* info)
{
    std::uint8_t soi[2];
    if (!s.Read(0, soi, 2) || soi[0] != 0xFF || soi[1] != 0xD8) return ImgNotThisFormat;
    std::uint32_t at = 2;
    int jfif = 0, adobe = 0;
    for (;;) {
        std::uint8_t byte = 0;
        if (!s.U8(at, &byte) || byte != 0xFF) return ImgStop;
        std::uint8_t marker = 0xFF;
        while (marker == 0xFF) {
            if (!s.U8(++at, &marker)) return ImgStop;
        }
        ++at;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;   // no length
        if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA || marker == 0x00) return ImgStop;
        std::uint16_t length = 0;
        if (!s.U16(at, true, &length) || length < 2 || !Fits(at, length, s.Size())) return ImgStop;
        if (marker == 0xE0 && length >= 7) {
            std::uint8_t id[5];
            if (s.Read(at + 2, id, 5) && std::memcmp(id, "JFIF", 5) == 0) jfif = 1;
        } else if (marker == 0xEE && length >= 7) {
            std::uint8_t id[5];
            if (s.Read(at + 2, id, 5) && std::memcmp(id, "Adobe", 5) == 0) adobe = 1;
        } else if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            // Baseline, extended and progressive Huffman frames are what the decoder reads.
            if (marker > 0xC2) return ImgStop;
            std::uint8_t f[6];
            if (length < 8 || !s.Read(at + 2, f, 6)) return ImgStop;
            const int precision = f[0], height = f[1] << 8 | f[2], width = f[3] << 8 | f[4], components = f[5];
            if (precision != 8 || (components != 1 && components != 3 && components != 4) ||
                length != 8 + 3 * components)
                return ImgStop;
            for (int c = 0; c < components; ++c) {
                std::uint8_t component[3];
                if (!s.Read(at + 8 + 3 * c, component, 3)) return ImgStop;
                const int hs = component[1] >> 4, vs = component[1] & 15;
                if (hs < 1 || hs > 4 || vs < 1 || vs > 4 || component[2] > 3) return ImgStop;
            }
            const int depth = components == 1 ? 8 : 24;
            if (ImageBytesFor(width, height, depth) == 0) return ImgStop;
            std::memset(info, 0, sizeof(*info));
            info->frameMarker = marker;
            info->width = width;
            info->height = height;
            info->components = components;
            info->precision = precision;
            info->progressive = marker == 0xC2 ? 1 : 0;
            info->jfif = jfif;
            info->adobe = adobe;
            info->bitsPerPixel = depth;
            return ImgOk;
        }
        at += length;
    }
}
