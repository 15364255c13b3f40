// The loaders under Wine: BMP, TIFF, GIF and JPEG through the platform's codecs, PCX through the
// library's own reader; pictures the savers wrote read back as the probes describe them, and
// damaged files refused without harm.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/imaging.h"
#include "pattern_image.h"
#include "support/temp_folder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A BMP file of the image: the file header, then its block, which is a packed DIB.
void WriteBmp(const std::string& path, const ImageDescriptor* image)
{
    Bytes bytes(14, 0);
    const std::uint32_t size = 14 + image->blockBytes, offBits = 14 + 40 + 4 * image->colorCount;
    bytes[0] = 'B';
    bytes[1] = 'M';
    for (int i = 0; i < 4; ++i) {
        bytes[2 + i] = static_cast<std::uint8_t>(size >> (8 * i));
        bytes[10 + i] = static_cast<std::uint8_t>(offBits >> (8 * i));
    }
    const auto* block = reinterpret_cast<const std::uint8_t*>(image->header);
    bytes.insert(bytes.end(), block, block + image->blockBytes);
    WriteFileBytes(path, bytes);
}

// The importer's way through the library: the probes in order (a stop ends the search), an
// image of the depth the probe's record gives, the format's loader. 0 and the image, or the
// first failure.
struct Imported {
    int result = ImgNotThisFormat;
    int format = -1;   // 0 BMP, 1 TIFF, 2 PCX, 3 GIF, 4 JPEG
    int width = 0, height = 0, bits = 0;
};

Imported Import(const std::string& path, ImageDescriptor* image)
{
    Imported r;
    BmpInfo bmp;
    TiffInfo tiff;
    PcxInfo pcx;
    GifInfo gif;
    JpegInfo jpeg;
    const char* p = path.c_str();
    for (int format = 0; format < 5; ++format) {
        int probed;
        switch (format) {
        case 0: {
            probed = bmpinfo(p, &bmp);
            const int bits = bmp.planes * bmp.bitCount;
            r.width = bmp.width, r.height = bmp.height, r.bits = bits == 4 ? 8 : bits > 8 ? 24 : bits;
            break;
        }
        case 1:
            probed = tiffinfo(p, &tiff);
            r.width = tiff.width, r.height = tiff.height;
            r.bits = tiff.bitsPerPixel > 8 ? 24 : tiff.bitsPerPixel == 1 ? 1 : 8;
            break;
        case 2:
            probed = pcxinfo(p, &pcx);
            r.width = pcx.width, r.height = pcx.height, r.bits = pcx.bitsPerPixel;
            break;
        case 3:
            probed = gifinfo(p, &gif);
            r.width = gif.width, r.height = gif.height, r.bits = gif.bitsPerPixel;
            break;
        default:
            probed = jpeginfo(p, &jpeg);
            r.width = jpeg.width, r.height = jpeg.height, r.bits = jpeg.bitsPerPixel;
        }
        if (probed == ImgStop) {
            r.result = ImgStop;
            return r;
        }
        if (probed != ImgOk) continue;
        r.format = format;
        r.result = allocDIB(image, r.width, r.height, r.bits);
        if (r.result != ImgOk) return r;
        int (*const loaders[5])(LPCSTR, ImageDescriptor*) = {loadbmp, loadtif, loadpcx, loadgif, loadjpg};
        r.result = loaders[format](p, image);
        return r;
    }
    return r;
}

const std::vector<std::uint32_t> kPalette16 = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00,
                                               0x00FFFF, 0xFF00FF, 0x808080, 0x800000, 0x008000, 0x000080,
                                               0x808000, 0x008080, 0x800080, 0xC0C0C0};

std::unique_ptr<PatternImage> Pattern(int bits)
{
    const int w = 45, h = 29;
    switch (bits) {
    case 1: return std::make_unique<PatternImage>(w, h, 1, std::vector<std::uint32_t>{0x000000, 0xFFFFFF},
                                                  [](int x, int y) { return (x + y) % 3 == 0; });
    case 4: return std::make_unique<PatternImage>(w, h, 4, kPalette16, [](int x, int y) { return (x / 2 + y) % 16; });
    case 8: {
        std::vector<std::uint32_t> palette;
        for (int i = 0; i < 256; ++i) palette.push_back(static_cast<std::uint32_t>(i * 0x010307) & 0xFFFFFF);
        return std::make_unique<PatternImage>(w, h, 8, palette, [](int x, int y) { return (x * 5 + y * 11) % 256; });
    }
    default:
        return std::make_unique<PatternImage>(w, h, [](int x, int y) {
            return static_cast<std::uint32_t>(x * 5) << 16 | static_cast<std::uint32_t>(y * 8) << 8 | 0x30u;
        });
    }
}

TEST(Loaders, ReadWhatWasWrittenAtTheDepthTheProbesGive)
{
    TempFolder folder;
    struct Case {
        const char* name;
        int bits;
        int format;
        int loadedBits;
    } cases[] = {
        {"1.bmp", 1, 0, 1},   {"4.bmp", 4, 0, 8},   {"8.bmp", 8, 0, 8},   {"24.bmp", 24, 0, 24},
        {"1.tif", 1, 1, 1},   {"4.tif", 4, 1, 8},   {"8.tif", 8, 1, 8},   {"24.tif", 24, 1, 24},
        {"1z.tif", 1, 1, 1},  {"8z.tif", 8, 1, 8},  {"24z.tif", 24, 1, 24},
        {"4.pcx", 4, 2, 4},   {"24.pcx", 24, 2, 24},
        {"1.gif", 1, 3, 8},   {"8.gif", 8, 3, 8},   {"8i.gif", 8, 3, 8},
        {"24.jpg", 24, 4, 24}, {"8.jpg", 8, 4, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto pattern = Pattern(c.bits);
        const std::string path = folder.File(c.name);
        const std::string name = c.name;
        int saved = ImgOk;
        if (name.find(".bmp") != std::string::npos) WriteBmp(path, pattern->get());
        else if (name.find(".tif") != std::string::npos) saved = savetif(path.c_str(), pattern->get(), name.find('z') != std::string::npos ? 2 : 0);
        else if (name.find(".pcx") != std::string::npos) saved = savepcx(path.c_str(), pattern->get());
        else if (name.find(".gif") != std::string::npos) saved = savegifex(path.c_str(), pattern->get(), name.find('i') != std::string::npos ? 1 : 0, -1);
        else saved = savejpg(path.c_str(), pattern->get(), 90);
        ASSERT_EQ(ImgOk, saved);

        ImageDescriptor image = {};
        const Imported r = Import(path, &image);
        EXPECT_EQ(ImgOk, r.result);
        EXPECT_EQ(c.format, r.format);
        EXPECT_EQ(c.loadedBits, image.bitsPerPixel);
        if (r.result == ImgOk) {
            EXPECT_EQ(pattern->width(), image.width);
            EXPECT_EQ(pattern->height(), image.height);
            if (c.format == 4) {
                EXPECT_GE(Psnr(image.width, image.height, [&](int x, int y) { return ImageColor(&image, x, y); },
                               [&](int x, int y) { return pattern->Expected(x, y); }),
                          30.0);
            } else {
                int wrong = 0;
                for (int y = 0; y < image.height; ++y)
                    for (int x = 0; x < image.width; ++x) wrong += ImageColor(&image, x, y) != pattern->Expected(x, y);
                EXPECT_EQ(0, wrong) << "pixels that differ";
            }
        }
        freeimage(&image);
    }
}

TEST(Loaders, RefuseAFileOfAnotherSizeOrKind)
{
    TempFolder folder;
    auto pattern = Pattern(24);
    const std::string path = folder.File("x.jpg");
    ASSERT_EQ(ImgOk, savejpg(path.c_str(), pattern->get(), 90));
    ImageDescriptor image = {};
    ASSERT_EQ(ImgOk, allocDIB(&image, 44, 29, 24));
    EXPECT_EQ(ImgDamaged, loadjpg(path.c_str(), &image)) << "a size other than the image's";
    EXPECT_NE(ImgOk, loadgif(path.c_str(), &image)) << "another format";
    EXPECT_EQ(ImgStop, loadbmp(folder.File("missing.bmp").c_str(), &image));
    freeimage(&image);
}

// Every picture of the fuzz corpus, whole, cut short at seven lengths and with bytes changed at
// sixteen places: each is imported or refused, and an imported one has the size its probe gave.
TEST(Loaders, DamagedFilesAreRefusedWithoutHarm)
{
    TempFolder folder;
    const std::string corpus = VEXLOR_IMAGE_CORPUS;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((corpus + "\\*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    int seeds = 0, imported = 0, refused = 0;
    std::uint32_t random = 2024;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const Bytes original = ReadFileBytes(corpus + "\\" + found.cFileName);
        ASSERT_FALSE(original.empty());
        ++seeds;
        std::vector<Bytes> variants = {original};
        for (int k = 1; k < 8; ++k) variants.emplace_back(original.begin(), original.begin() + original.size() * k / 8);
        for (int k = 0; k < 16; ++k) {
            Bytes changed = original;
            for (int n = 0; n < 4; ++n) {
                random = random * 1103515245u + 12345u;
                const std::size_t at = (random >> 8) % (k < 8 ? std::min<std::size_t>(changed.size(), 64) : changed.size());
                random = random * 1103515245u + 12345u;
                changed[at] = static_cast<std::uint8_t>(random >> 16);
            }
            variants.push_back(changed);
        }
        for (std::size_t v = 0; v < variants.size(); ++v) {
            SCOPED_TRACE(testing::Message() << found.cFileName << " variant " << v);
            const std::string path = folder.File("damaged.pic");
            WriteFileBytes(path, variants[v]);
            ImageDescriptor image = {};
            const Imported r = Import(path, &image);
            if (v == 0) {
                EXPECT_EQ(ImgOk, r.result) << "the whole file";
            }
            if (r.result == ImgOk) {
                ++imported;
                EXPECT_EQ(r.width, image.width);
                EXPECT_EQ(r.height, image.height);
            } else {
                ++refused;
            }
            freeimage(&image);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_EQ(12, seeds);
    EXPECT_GT(refused, 0);
    EXPECT_GT(imported, seeds);
}

}  // namespace
