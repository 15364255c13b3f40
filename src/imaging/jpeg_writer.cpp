// Baseline JPEG files: each 8 x 8 block of luminance and of the two colour differences goes
// through the discrete cosine transform, is divided by the quantisation table and coded with
// the standard Huffman tables; partial blocks at the edges repeat the last row and column.
#include <cmath>

#include "imaging/image_pixels.h"
#include "imaging/image_writers.h"

namespace {

// The position in the 8 x 8 block of each coefficient in zigzag order.
const std::uint8_t kZigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                  12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                  35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                  58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The example tables of the standard, in block order.
const std::uint8_t kLuminanceTable[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,  14, 13, 16, 24, 40,  57,
    69, 56, 14, 17, 22,  29,  51,  87,  80, 62, 18, 22, 37,  56,  68,  109, 103, 77, 24, 35, 55,  64,
    81, 104, 113, 92, 49, 64, 78,  87,  103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
const std::uint8_t kChrominanceTable[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// The standard Huffman tables: code counts per length 1-16, then the symbols.
const std::uint8_t kDcLuminanceCounts[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
const std::uint8_t kDcChrominanceCounts[16] = {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
const std::uint8_t kDcSymbols[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
const std::uint8_t kAcLuminanceCounts[16] = {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d};
const std::uint8_t kAcLuminanceSymbols[162] = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07, 0x22, 0x71,
    0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52, 0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72,
    0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37,
    0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59,
    0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3,
    0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3,
    0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2,
    0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};
const std::uint8_t kAcChrominanceCounts[16] = {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77};
const std::uint8_t kAcChrominanceSymbols[162] = {
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61, 0x71, 0x13, 0x22,
    0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33, 0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1,
    0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18, 0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36,
    0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58,
    0x59, 0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a,
    0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba,
    0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda,
    0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};

struct HuffmanTable {
    std::uint16_t code[256] = {};
    std::uint8_t length[256] = {};
};

HuffmanTable BuildTable(const std::uint8_t counts[16], const std::uint8_t* symbols)
{
    HuffmanTable table;
    int code = 0, k = 0;
    for (int length = 1; length <= 16; ++length) {
        for (int i = 0; i < counts[length - 1]; ++i, ++k) {
            table.code[symbols[k]] = static_cast<std::uint16_t>(code++);
            table.length[symbols[k]] = static_cast<std::uint8_t>(length);
        }
        code <<= 1;
    }
    return table;
}

class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t>* out) : out_(out) {}
    void Put(std::uint32_t bits, int count)
    {
        buffer_ = buffer_ << count | (bits & ((1u << count) - 1));
        count_ += count;
        while (count_ >= 8) {
            const auto byte = static_cast<std::uint8_t>(buffer_ >> (count_ - 8));
            out_->push_back(byte);
            if (byte == 0xFF) out_->push_back(0);   // a marker is never inside the code
            count_ -= 8;
        }
        buffer_ &= (1u << count_) - 1;
    }
    void Flush()
    {
        if (count_ > 0) Put(0x7F, 8 - count_);   // padded with one bits
    }

private:
    std::vector<std::uint8_t>* out_;
    std::uint32_t buffer_ = 0;
    int count_ = 0;
};

// The coefficient's size category and its bits as the code writes them.
void Category(int value, int* size, std::uint32_t* bits)
{
    const int magnitude = value < 0 ? -value : value;
    int n = 0;
    while ((magnitude >> n) != 0) ++n;
    *size = n;
    *bits = static_cast<std::uint32_t>(value < 0 ? value + (1 << n) - 1 : value);
}

struct Component {
    const std::uint8_t* quant;   // scaled, block order
    const HuffmanTable* dc;
    const HuffmanTable* ac;
    int previousDc = 0;
};

void EncodeBlock(const double block[64], const double cosine[8][8], Component* c, BitWriter* bits)
{
    double rows[64];
    for (int v = 0; v < 8; ++v)
        for (int x = 0; x < 8; ++x) {
            double sum = 0;
            for (int y = 0; y < 8; ++y) sum += cosine[v][y] * block[y * 8 + x];
            rows[v * 8 + x] = sum;
        }
    int coefficients[64];
    for (int v = 0; v < 8; ++v)
        for (int u = 0; u < 8; ++u) {
            double sum = 0;
            for (int x = 0; x < 8; ++x) sum += cosine[u][x] * rows[v * 8 + x];
            coefficients[v * 8 + u] = static_cast<int>(std::lround(sum / c->quant[v * 8 + u]));
        }

    int size;
    std::uint32_t value;
    const int dc = coefficients[0];
    Category(dc - c->previousDc, &size, &value);
    c->previousDc = dc;
    bits->Put(c->dc->code[size], c->dc->length[size]);
    if (size) bits->Put(value, size);
    int zeros = 0;
    for (int k = 1; k < 64; ++k) {
        const int coefficient = coefficients[kZigzag[k]];
        if (coefficient == 0) {
            ++zeros;
            continue;
        }
        while (zeros > 15) {
            bits->Put(c->ac->code[0xF0], c->ac->length[0xF0]);
            zeros -= 16;
        }
        Category(coefficient, &size, &value);
        const int symbol = zeros << 4 | size;
        bits->Put(c->ac->code[symbol], c->ac->length[symbol]);
        bits->Put(value, size);
        zeros = 0;
    }
    if (zeros) bits->Put(c->ac->code[0], c->ac->length[0]);
}

void PutMarker(std::vector<std::uint8_t>* out, int marker, int length)
{
    out->insert(out->end(), {0xFF, static_cast<std::uint8_t>(marker), static_cast<std::uint8_t>(length >> 8),
                             static_cast<std::uint8_t>(length)});
}

void PutHuffman(std::vector<std::uint8_t>* out, int classAndId, const std::uint8_t counts[16], const std::uint8_t* symbols)
{
    out->push_back(static_cast<std::uint8_t>(classAndId));
    out->insert(out->end(), counts, counts + 16);
    int total = 0;
    for (int i = 0; i < 16; ++i) total += counts[i];
    out->insert(out->end(), symbols, symbols + total);
}

}  // namespace

int EncodeJpeg(const ImageDescriptor* image, int quality, std::vector<std::uint8_t>* file)
{
    if (!image || !image->bits || !file) return ImgBadArgument;
    const int width = image->width, height = image->height;
    if (width > 65535 || height > 65535) return ImgUnsupported;
    if (quality < 1) quality = 1;
    if (quality > 100) quality = 100;
    const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    std::uint8_t luminance[64], chrominance[64];
    for (int i = 0; i < 64; ++i) {
        auto scaled = [&](int base) {
            const int v = (base * scale + 50) / 100;
            return static_cast<std::uint8_t>(v < 1 ? 1 : v > 255 ? 255 : v);
        };
        luminance[i] = scaled(kLuminanceTable[i]);
        chrominance[i] = scaled(kChrominanceTable[i]);
    }

    file->clear();
    file->insert(file->end(), {0xFF, 0xD8});
    PutMarker(file, 0xE0, 16);
    file->insert(file->end(), {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    PutMarker(file, 0xDB, 2 + 2 * 65);
    file->push_back(0);
    for (int k = 0; k < 64; ++k) file->push_back(luminance[kZigzag[k]]);
    file->push_back(1);
    for (int k = 0; k < 64; ++k) file->push_back(chrominance[kZigzag[k]]);
    PutMarker(file, 0xC0, 17);
    file->insert(file->end(), {8, static_cast<std::uint8_t>(height >> 8), static_cast<std::uint8_t>(height),
                               static_cast<std::uint8_t>(width >> 8), static_cast<std::uint8_t>(width), 3,
                               1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1});
    PutMarker(file, 0xC4, 2 + 4 * 17 + 2 * 12 + 2 * 162);
    PutHuffman(file, 0x00, kDcLuminanceCounts, kDcSymbols);
    PutHuffman(file, 0x10, kAcLuminanceCounts, kAcLuminanceSymbols);
    PutHuffman(file, 0x01, kDcChrominanceCounts, kDcSymbols);
    PutHuffman(file, 0x11, kAcChrominanceCounts, kAcChrominanceSymbols);
    PutMarker(file, 0xDA, 12);
    file->insert(file->end(), {3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0});

    static const HuffmanTable dcLuminance = BuildTable(kDcLuminanceCounts, kDcSymbols);
    static const HuffmanTable acLuminance = BuildTable(kAcLuminanceCounts, kAcLuminanceSymbols);
    static const HuffmanTable dcChrominance = BuildTable(kDcChrominanceCounts, kDcSymbols);
    static const HuffmanTable acChrominance = BuildTable(kAcChrominanceCounts, kAcChrominanceSymbols);
    double cosine[8][8];
    const double pi = std::acos(-1.0);
    for (int u = 0; u < 8; ++u)
        for (int x = 0; x < 8; ++x)
            cosine[u][x] = (u == 0 ? std::sqrt(0.125) : 0.5) * std::cos((2 * x + 1) * u * pi / 16);
    Component components[3] = {{luminance, &dcLuminance, &acLuminance},
                               {chrominance, &dcChrominance, &acChrominance},
                               {chrominance, &dcChrominance, &acChrominance}};

    BitWriter bits(file);
    double blocks[3][64];
    for (int top = 0; top < height; top += 8)
        for (int left = 0; left < width; left += 8) {
            for (int y = 0; y < 8; ++y) {
                const int py = top + y < height ? top + y : height - 1;
                for (int x = 0; x < 8; ++x) {
                    const int px = left + x < width ? left + x : width - 1;
                    const std::uint32_t color = PixelColor(image, px, py);
                    const double r = color >> 16 & 255, g = color >> 8 & 255, b = color & 255;
                    blocks[0][y * 8 + x] = 0.299 * r + 0.587 * g + 0.114 * b - 128;
                    blocks[1][y * 8 + x] = -0.168736 * r - 0.331264 * g + 0.5 * b;
                    blocks[2][y * 8 + x] = 0.5 * r - 0.418688 * g - 0.081312 * b;
                }
            }
            for (int c = 0; c < 3; ++c) EncodeBlock(blocks[c], cosine, &components[c], &bits);
        }
    bits.Flush();
    file->insert(file->end(), {0xFF, 0xD9});
    return ImgOk;
}
