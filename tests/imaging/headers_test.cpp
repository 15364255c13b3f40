// The probes' header readers: files of each format as other writers make them, and damaged or
// oversized headers, which must be refused before anything of their size is allocated.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "image_test_support.h"
#include "imaging/byte_source.h"
#include "imaging/image_headers.h"
#include "imaging/image_writers.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes* b, std::size_t at, unsigned v)
{
    (*b)[at] = static_cast<std::uint8_t>(v);
    (*b)[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(Bytes* b, std::size_t at, std::uint32_t v)
{
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

// An 8-bit BMP of 3 x 2 pixels with a full colour table.
Bytes Bmp()
{
    Bytes b(14 + 40 + 1024 + 8, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(&b, 2, static_cast<std::uint32_t>(b.size()));
    Put32(&b, 10, 14 + 40 + 1024);
    Put32(&b, 14, 40);
    Put32(&b, 18, 3);
    Put32(&b, 22, 2);
    Put16(&b, 26, 1);
    Put16(&b, 28, 8);
    return b;
}

// An 8-bit palette TIFF of 4 x 3 pixels in one uncompressed strip.
Bytes Tiff()
{
    const int entries = 10;
    const std::uint32_t ifd = 8, strip = ifd + 2 + 12 * entries + 4, map = strip + 12;
    Bytes b(map + 3 * 256 * 2, 0);
    b[0] = b[1] = 'I';
    b[2] = 42;
    Put32(&b, 4, ifd);
    Put16(&b, ifd, entries);
    const std::uint32_t tags[entries][4] = {{256, 3, 1, 4},     {257, 3, 1, 3},   {258, 3, 1, 8},      {259, 3, 1, 1},
                                            {262, 3, 1, 3},     {273, 4, 1, strip}, {277, 3, 1, 1},    {278, 3, 1, 3},
                                            {279, 4, 1, 12},    {320, 3, 768, map}};
    for (int i = 0; i < entries; ++i) {
        const std::size_t at = ifd + 2 + 12 * i;
        Put16(&b, at, tags[i][0]);
        Put16(&b, at + 2, tags[i][1]);
        Put32(&b, at + 4, tags[i][2]);
        if (tags[i][1] == 3 && tags[i][2] == 1) Put16(&b, at + 8, tags[i][3]);
        else Put32(&b, at + 8, tags[i][3]);
    }
    return b;
}

// An 8-bit PCX of 4 x 3 pixels, one run per line, with the palette at the end.
Bytes Pcx()
{
    Bytes b(128, 0);
    b[0] = 0x0A;
    b[1] = 5;
    b[2] = 1;
    b[3] = 8;
    Put16(&b, 8, 3);
    Put16(&b, 10, 2);
    b[65] = 1;
    Put16(&b, 66, 4);
    for (int y = 0; y < 3; ++y) b.insert(b.end(), {0xC4, static_cast<std::uint8_t>(y)});
    b.push_back(0x0C);
    b.insert(b.end(), 768, 0x40);
    return b;
}

// A GIF of 4 x 3 pixels with a table of four colours and a transparent index 2.
Bytes Gif()
{
    Bytes b = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 3, 0, 0x81, 0, 0};
    b.insert(b.end(), 12, 0x80);
    b.insert(b.end(), {0x21, 0xF9, 4, 1, 0, 0, 2, 0});
    b.insert(b.end(), {0x2C, 0, 0, 0, 0, 4, 0, 3, 0, 0});
    b.insert(b.end(), {2, 2, 0x4C, 0x01, 0, 0x3B});
    return b;
}

Bytes Jpeg()
{
    PatternImage image(20, 12, [](int x, int y) { return static_cast<std::uint32_t>(x * 10 + y); });
    Bytes b;
    EXPECT_EQ(ImgOk, EncodeJpeg(image.get(), 90, &b));
    return b;
}

// The offset of the first frame header's marker in a JPEG.
std::size_t FrameAt(const Bytes& b)
{
    for (std::size_t i = 2; i + 1 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == 0xC0) return i;
    return 0;
}

struct DamageCase {
    const char* name;
    int format;   // 0 BMP, 1 TIFF, 2 PCX, 3 GIF, 4 JPEG
    std::function<void(Bytes*)> damage;
    int expected;
};

int Read(int format, const Bytes& bytes)
{
    MemorySource source(bytes.data(), bytes.size());
    union {
        BmpInfo bmp;
        TiffInfo tiff;
        PcxInfo pcx;
        GifInfo gif;
        JpegInfo jpeg;
    } info;
    switch (format) {
    case 0: return ReadBmpHeader(source, &info.bmp);
    case 1: return ReadTiffHeader(source, &info.tiff);
    case 2: return ReadPcxHeader(source, &info.pcx);
    case 3: return ReadGifHeader(source, &info.gif);
    default: return ReadJpegHeader(source, &info.jpeg);
    }
}

Bytes Base(int format)
{
    switch (format) {
    case 0: return Bmp();
    case 1: return Tiff();
    case 2: return Pcx();
    case 3: return Gif();
    default: return Jpeg();
    }
}

const DamageCase kDamage[] = {
    {"bmp whole", 0, [](Bytes*) {}, ImgOk},
    {"bmp of 20 bytes", 0, [](Bytes* b) { b->resize(20); }, ImgStop},
    {"bmp 60000 x 60000 x 24", 0, [](Bytes* b) { Put32(b, 18, 60000); Put32(b, 22, 60000); Put16(b, 28, 24); }, ImgStop},
    {"bmp 300 colours of 8 bits", 0, [](Bytes* b) { Put32(b, 46, 300); }, ImgStop},
    {"bmp rows past the end", 0, [](Bytes* b) { b->pop_back(); }, ImgStop},
    {"bmp rows before the table ends", 0, [](Bytes* b) { Put32(b, 10, 100); }, ImgStop},
    {"bmp two planes", 0, [](Bytes* b) { Put16(b, 26, 2); }, ImgStop},
    {"bmp 5 bits", 0, [](Bytes* b) { Put16(b, 28, 5); }, ImgStop},
    {"bmp header size 20", 0, [](Bytes* b) { Put32(b, 14, 20); }, ImgStop},
    {"bmp jpeg inside", 0, [](Bytes* b) { Put32(b, 30, 4); }, ImgStop},
    {"bmp top-down", 0, [](Bytes* b) { Put32(b, 22, static_cast<std::uint32_t>(-2)); }, ImgOk},
    {"not bmp", 0, [](Bytes* b) { (*b)[1] = 'A'; }, ImgNotThisFormat},
    {"tiff whole", 1, [](Bytes*) {}, ImgOk},
    {"tiff strip past the end", 1, [](Bytes* b) { b->resize(b->size() - 768 * 2 - 1); }, ImgStop},
    {"tiff directory past the end", 1, [](Bytes* b) { Put32(b, 4, 100000); }, ImgStop},
    {"tiff colour map of 700", 1, [](Bytes* b) { Put32(b, 8 + 2 + 12 * 9 + 4, 700); }, ImgStop},
    {"tiff 70000 wide", 1, [](Bytes* b) { Put16(b, 8 + 2 + 2, 4); Put32(b, 8 + 2 + 8, 70000); }, ImgStop},
    {"tiff 3 bits", 1, [](Bytes* b) { Put16(b, 8 + 2 + 24 + 8, 3); }, ImgStop},
    {"tiff strip shorter than its rows", 1, [](Bytes* b) { Put32(b, 8 + 2 + 12 * 8 + 8, 11); }, ImgStop},
    {"tiff no strip counts", 1, [](Bytes* b) { Put16(b, 8 + 2 + 12 * 8, 280); }, ImgStop},
    {"tiff 64-bit variant", 1, [](Bytes* b) { (*b)[2] = 43; }, ImgStop},
    {"not tiff", 1, [](Bytes* b) { (*b)[2] = 41; }, ImgNotThisFormat},
    {"pcx whole", 2, [](Bytes*) {}, ImgOk},
    {"pcx line shorter than a row", 2, [](Bytes* b) { Put16(b, 66, 3); }, ImgStop},
    {"pcx 30000 x 30000 from a few bytes", 2, [](Bytes* b) { Put16(b, 8, 29999); Put16(b, 10, 29999); Put16(b, 66, 30000); }, ImgStop},
    {"pcx 4000 x 4000 from a few bytes", 2, [](Bytes* b) { Put16(b, 8, 3999); Put16(b, 10, 3999); Put16(b, 66, 4000); }, ImgStop},
    {"pcx two planes of 8 bits", 2, [](Bytes* b) { (*b)[65] = 2; }, ImgStop},
    {"pcx right edge before left", 2, [](Bytes* b) { Put16(b, 4, 5); }, ImgStop},
    {"text starting with a line feed", 2, [](Bytes* b) { (*b)[1] = 'H'; }, ImgNotThisFormat},
    {"gif whole", 3, [](Bytes*) {}, ImgOk},
    {"gif table past the end", 3, [](Bytes* b) { b->resize(20); }, ImgStop},
    {"gif trailer before an image", 3, [](Bytes* b) { (*b)[25] = 0x3B; }, ImgStop},
    {"gif code size 0", 3, [](Bytes* b) { (*b)[43] = 0; }, ImgStop},
    {"gif data blocks past the end", 3, [](Bytes* b) { (*b)[44] = 200; }, ImgStop},
    {"gif without any table", 3, [](Bytes* b) { (*b)[10] = 0; b->erase(b->begin() + 13, b->begin() + 25); }, ImgStop},
    {"not gif", 3, [](Bytes* b) { (*b)[4] = '8'; }, ImgNotThisFormat},
    {"jpeg whole", 4, [](Bytes*) {}, ImgOk},
    {"jpeg height 0", 4, [](Bytes* b) { const std::size_t f = FrameAt(*b); (*b)[f + 5] = 0; (*b)[f + 6] = 0; }, ImgStop},
    {"jpeg 12-bit", 4, [](Bytes* b) { (*b)[FrameAt(*b) + 4] = 12; }, ImgStop},
    {"jpeg lossless", 4, [](Bytes* b) { (*b)[FrameAt(*b) + 1] = 0xC3; }, ImgStop},
    {"jpeg cut in a table", 4, [](Bytes* b) { b->resize(40); }, ImgStop},
    {"jpeg segment too long", 4, [](Bytes* b) { (*b)[4] = 0xFF; }, ImgStop},
    {"jpeg scan before a frame", 4, [](Bytes* b) { (*b)[FrameAt(*b) + 1] = 0xDA; }, ImgStop},
    {"jpeg progressive", 4, [](Bytes* b) { (*b)[FrameAt(*b) + 1] = 0xC2; }, ImgOk},
    {"not jpeg", 4, [](Bytes* b) { (*b)[1] = 0xD9; }, ImgNotThisFormat},
};

TEST(HeaderReaders, DamagedAndOversizedHeadersAreRefused)
{
    for (const DamageCase& c : kDamage) {
        Bytes bytes = Base(c.format);
        c.damage(&bytes);
        EXPECT_EQ(c.expected, Read(c.format, bytes)) << c.name;
    }
}

TEST(HeaderReaders, EachReaderLeavesTheOtherFormatsAlone)
{
    for (int file = 0; file < 5; ++file)
        for (int reader = 0; reader < 5; ++reader)
            if (reader != file) EXPECT_EQ(ImgNotThisFormat, Read(reader, Base(file))) << file << " " << reader;
}

TEST(HeaderReaders, ReportWhatTheImporterAllocates)
{
    Bytes b = Gif();
    MemorySource gifSource(b.data(), b.size());
    GifInfo gif;
    ASSERT_EQ(ImgOk, ReadGifHeader(gifSource, &gif));
    EXPECT_EQ(4, gif.width);
    EXPECT_EQ(3, gif.height);
    EXPECT_EQ(8, gif.bitsPerPixel);
    EXPECT_EQ(4, gif.colorCount);
    EXPECT_EQ(2, gif.transparentIndex);

    b = Bmp();
    Put32(&b, 22, static_cast<std::uint32_t>(-2));
    MemorySource bmpSource(b.data(), b.size());
    BmpInfo bmp;
    ASSERT_EQ(ImgOk, ReadBmpHeader(bmpSource, &bmp));
    EXPECT_EQ(2, bmp.height) << "a top-down file reports its height as rows";
    EXPECT_EQ(256u, bmp.clrUsed);
}

// Files of other writers, probed from disk: sizes and depths as the Parts' rules read them.
TEST(Probes, ReadFilesOfAnotherWriter)
{
    ScratchFolder folder;
    struct Case {
        const char* name;
        const char* options;
        const char* coder;
        int width, height, bits;
    } cases[] = {
        {"a.bmp", "-type Palette -colors 16", "BMP3:", 33, 17, 4},
        {"b.bmp", "-type TrueColor", "BMP3:", 33, 17, 24},
        {"c.bmp", "-monochrome", "BMP3:", 33, 17, 1},
        {"d.tif", "-depth 16 -compress lzw", "", 33, 17, 48},
        {"e.tif", "-monochrome -compress group4", "", 33, 17, 1},
        {"f.pcx", "-type TrueColor", "", 33, 17, 24},
        {"g.gif", "-colors 5", "", 33, 17, 8},
        {"h.jpg", "-colorspace Gray", "", 33, 17, 8},
        {"i.jpg", "-interlace JPEG", "", 33, 17, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.File(c.name);
        const ToolResult r = RunTool(std::string("/usr/bin/convert -seed 3 -size 33x17 plasma:fractal ") + c.options +
                                     " '" + c.coder + path + "'");
        ASSERT_EQ(0, r.status) << r.output;
        int width = 0, height = 0, bits = 0, result;
        switch (c.name[0]) {
        case 'a': case 'b': case 'c': {
            BmpInfo info;
            result = bmpinfo(path.c_str(), &info);
            width = info.width, height = info.height, bits = info.planes * info.bitCount;
            break;
        }
        case 'd': case 'e': {
            TiffInfo info;
            result = tiffinfo(path.c_str(), &info);
            width = info.width, height = info.height, bits = info.bitsPerPixel;
            break;
        }
        case 'f': {
            PcxInfo info;
            result = pcxinfo(path.c_str(), &info);
            width = info.width, height = info.height, bits = info.bitsPerPixel;
            break;
        }
        case 'g': {
            GifInfo info;
            result = gifinfo(path.c_str(), &info);
            width = info.width, height = info.height, bits = info.bitsPerPixel;
            break;
        }
        default: {
            JpegInfo info;
            result = jpeginfo(path.c_str(), &info);
            width = info.width, height = info.height, bits = info.bitsPerPixel;
            EXPECT_EQ(c.name[0] == 'i' ? 1 : 0, info.progressive);
        }
        }
        ASSERT_EQ(ImgOk, result);
        EXPECT_EQ(c.width, width);
        EXPECT_EQ(c.height, height);
        EXPECT_EQ(c.bits, bits);
    }
    BmpInfo info;
    EXPECT_EQ(ImgStop, bmpinfo(folder.File("missing.bmp").c_str(), &info)) << "a file that cannot be read stops the search";
}

}  // namespace
