// Placeable headers, record checks and DIB layouts of metafile bits, without graphics calls.
#include "shapes/metafile_format.h"

#include <cstring>

namespace {

std::uint16_t Word(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Dword(const unsigned char* p)
{
    return static_cast<std::uint32_t>(Word(p)) | (static_cast<std::uint32_t>(Word(p + 2)) << 16);
}

std::int16_t Short(const std::uint16_t* params, int i)
{
    return static_cast<std::int16_t>(params[i]);
}

// A packed DIB of `bytes` bytes starting at parameter word `at`.
bool DibFits(const std::uint16_t* params, std::uint32_t paramWords, std::uint32_t at, int entrySize)
{
    if (at >= paramWords)
        return false;
    DibLayout layout;
    return ReadDibLayout(reinterpret_cast<const unsigned char*>(params + at),
                         (paramWords - at) * 2u, entrySize, &layout) == 0;
}

// A region object: 11 fixed words, then per scan a count, top, bottom, count/2 pairs and the
// count again.
bool RegionFits(const std::uint16_t* params, std::uint32_t paramWords)
{
    if (paramWords < 11)
        return false;
    const std::int16_t scans = Short(params, 5);
    if (scans < 0)
        return false;
    std::uint32_t at = 11;
    for (int s = 0; s < scans; ++s) {
        if (at + 3 > paramWords)
            return false;
        const std::uint32_t count = params[at];
        at += 3 + count;
        if (at + 1 > paramWords)
            return false;
        at += 1;
    }
    return true;
}

} // namespace

int ParsePlaceableHeader(const unsigned char* bytes, std::size_t size, PlaceableInfo* info)
{
    if (!bytes || size < static_cast<std::size_t>(kPlaceableHeaderSize))
        return 1;
    if (Dword(bytes) != kPlaceableKey)
        return 1;
    info->left = static_cast<std::int16_t>(Word(bytes + 6));
    info->top = static_cast<std::int16_t>(Word(bytes + 8));
    info->right = static_cast<std::int16_t>(Word(bytes + 10));
    info->bottom = static_cast<std::int16_t>(Word(bytes + 12));
    info->unitsPerInch = Word(bytes + 14);
    return 0;
}

int ReadDibLayout(const unsigned char* dib, std::size_t size, int entrySize, DibLayout* layout)
{
    if (!dib || size < 40)
        return 1;
    const std::uint32_t headerSize = Dword(dib);
    if (headerSize < 40 || headerSize > size)
        return 1;
    const std::int32_t width = static_cast<std::int32_t>(Dword(dib + 4));
    const std::int32_t height = static_cast<std::int32_t>(Dword(dib + 8));
    const std::uint16_t bitCount = Word(dib + 14);
    const std::uint32_t compression = Dword(dib + 16);
    const std::uint32_t imageSize = Dword(dib + 20);
    const std::uint32_t clrUsed = Dword(dib + 32);
    if (width <= 0 || height == 0 || height == INT32_MIN || width > 0x7FFF)
        return 1;
    const std::int64_t rows = height < 0 ? -static_cast<std::int64_t>(height) : height;
    if (rows > 0x7FFF)
        return 1;
    std::uint64_t entries = 0;
    if (bitCount <= 8) {
        const std::uint32_t full = 1u << (bitCount == 0 ? 0 : bitCount);
        entries = clrUsed != 0 && clrUsed < full ? clrUsed : full;
        if (bitCount == 0)
            return 1;
    } else {
        entries = clrUsed;   // an optional table for the palette of true-colour bitmaps
    }
    std::uint64_t table = entries * static_cast<std::uint64_t>(entrySize);
    if (compression == 3 /* BI_BITFIELDS */ && headerSize == 40)
        table += 12;   // three colour masks precede the pixels
    std::uint64_t bits;
    if (compression == 0 || compression == 3) {
        if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
            bitCount != 32)
            return 1;
        const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
        bits = rowBytes * static_cast<std::uint64_t>(rows);
    } else if (compression == 1 || compression == 2) {
        bits = imageSize;   // run-length data says its own length
        if (bits == 0 || height < 0)
            return 1;
    } else {
        return 1;
    }
    const std::uint64_t offset = headerSize + table;
    if (offset + bits > size)
        return 1;
    layout->width = width;
    layout->height = static_cast<std::int32_t>(rows);
    layout->topDown = height < 0;
    layout->tableBytes = static_cast<std::uint32_t>(table);
    layout->bitsOffset = static_cast<std::uint32_t>(offset);
    layout->bitsSize = static_cast<std::uint32_t>(bits);
    return 0;
}

int IsSoundMetafileRecord(const std::uint16_t* record, std::uint32_t sizeWords)
{
    if (sizeWords < kRecordHeaderWords)
        return 0;
    const std::uint16_t function = record[2];
    const std::uint16_t* p = record + kRecordHeaderWords;
    const std::uint32_t n = sizeWords - kRecordHeaderWords;   // parameter words
    auto count = [&](int i) -> std::int64_t { return i < static_cast<int>(n) ? Short(p, i) : -1; };
    switch (function) {
    case MetaPolygon:
    case MetaPolyline:
        return n >= 1 && count(0) >= 0 && 1 + 2 * static_cast<std::uint64_t>(count(0)) <= n;
    case MetaPolyPolygon: {
        if (n < 1 || count(0) < 0 || 1 + static_cast<std::uint64_t>(count(0)) > n)
            return 0;
        std::uint64_t points = 0;
        for (int i = 0; i < count(0); ++i) {
            if (Short(p, 1 + i) < 0)
                return 0;
            points += static_cast<std::uint64_t>(Short(p, 1 + i));
        }
        return 1 + static_cast<std::uint64_t>(count(0)) + 2 * points <= n;
    }
    case MetaTextOut:
        return n >= 1 && count(0) >= 0 && 1 + (static_cast<std::uint64_t>(count(0)) + 1) / 2 + 2 <= n;
    case MetaExtTextOut: {
        if (n < 4 || count(2) < 0)
            return 0;
        const std::uint64_t rect = (p[3] & kTextOutRectOptions) != 0 ? 4 : 0;
        return 4 + rect + (static_cast<std::uint64_t>(count(2)) + 1) / 2 <= n;
    }
    case MetaCreatePenIndirect:
        return n >= 5;
    case MetaCreateBrushIndirect:
        return n >= 4;
    case MetaCreateFontIndirect:
        return n >= 9;
    case MetaCreatePalette:
    case MetaSetPalEntries:
    case MetaAnimatePalette:
        // start (or version), count, then four bytes per entry
        return n >= 2 && 2 + 2 * static_cast<std::uint64_t>(p[1]) <= n;
    case MetaEscape:
        return n >= 2 && 2 + (static_cast<std::uint64_t>(p[1]) + 1) / 2 <= n;
    case MetaCreateRegion:
        return RegionFits(p, n);
    case MetaDibCreatePatternBrush:
        return n >= 2 && DibFits(p, n, 2, p[1] == 1 ? 2 : 4);
    case MetaCreatePatternBrush:
        return 0;   // device-dependent bitmaps of old metafiles are never trusted
    case MetaStretchDib:
        return n >= 11 && DibFits(p, n, 11, p[2] == 1 ? 2 : 4);
    case MetaDibStretchBlt:
        return n >= 10 && DibFits(p, n, 10, 4);
    case MetaStretchBlt:
        return n >= 10 && DibFits(p, n, 10, 4);
    case MetaSetDibToDev:
        return n >= 9 && DibFits(p, n, 9, p[0] == 1 ? 2 : 4);
    case MetaDibBitBlt:
        return n >= 8;
    case MetaBitBlt:
        return n >= 8;
    default:
        // Fixed records carry their parameter count in the function's high byte.
        return n >= static_cast<std::uint32_t>(function >> 8);
    }
}

std::uint32_t SanitizeMetafileBits(unsigned char* bits, std::uint32_t size)
{
    if (!bits || size < static_cast<std::uint32_t>(kMetaHeaderSize))
        return 0;
    const std::uint16_t type = Word(bits);
    const std::uint16_t headerWords = Word(bits + 2);
    if ((type != 1 && type != 2) || headerWords != 9)
        return 0;
    std::uint32_t at = kMetaHeaderSize;
    std::uint32_t maxRecord = 0;
    while (at + 6 <= size) {
        const std::uint32_t words = Dword(bits + at);
        const std::uint16_t function = Word(bits + at + 4);
        if (words < kRecordHeaderWords || words > (size - at) / 2)
            break;
        if (function == MetaEof) {
            at += words * 2;
            break;
        }
        if (words > maxRecord)
            maxRecord = words;
        at += words * 2;
    }
    if (at > size)
        at = size;
    at &= ~1u;
    // mtSize (words) at 6; mtMaxRecord at 12.
    const std::uint32_t total = at / 2;
    std::memcpy(bits + 6, &total, 4);
    if (Dword(bits + 12) < maxRecord)
        std::memcpy(bits + 12, &maxRecord, 4);
    return at;
}
