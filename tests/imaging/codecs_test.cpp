// The savers' files judged by outside programs (netpbm's pcxtoppm, ImageMagick, libtiff's
// tiffinfo), and the PCX reader on files that ImageMagick wrote.
#include <gtest/gtest.h>

#include "image_test_support.h"
#include "imaging/imaging.h"

namespace {

const std::vector<std::uint32_t> kSixteen = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00,
                                             0x00FFFF, 0xFF00FF, 0x808080, 0x800000, 0x008000, 0x000080,
                                             0x808000, 0x008080, 0x800080, 0xC0C0C0};

std::vector<std::uint32_t> Ramp256()
{
    std::vector<std::uint32_t> palette;
    for (int i = 0; i < 256; ++i)
        palette.push_back(static_cast<std::uint32_t>(i) << 16 | static_cast<std::uint32_t>(255 - i) << 8 |
                          static_cast<std::uint32_t>((i * 7) & 255));
    return palette;
}

std::uint32_t Truecolor(int x, int y)
{
    return static_cast<std::uint32_t>((x * 5) & 255) << 16 | static_cast<std::uint32_t>((y * 9) & 255) << 8 |
           static_cast<std::uint32_t>((x + y) & 255);
}

// An image of each depth the savers take, 37 x 23 so that rows end inside a byte and a word.
std::unique_ptr<PatternImage> MakeImage(int bits, int width = 37, int height = 23)
{
    switch (bits) {
    case 1: return std::make_unique<PatternImage>(width, height, 1, std::vector<std::uint32_t>{0x102030, 0xF0E0D0},
                                                  [](int x, int y) { return (x * 3 + y) % 5 == 0 ? 1 : 0; });
    case 4: return std::make_unique<PatternImage>(width, height, 4, kSixteen, [](int x, int y) { return (x + 2 * y) % 16; });
    case 8: return std::make_unique<PatternImage>(width, height, 8, Ramp256(), [](int x, int y) { return (x * 7 + y * 13) % 256; });
    default: return std::make_unique<PatternImage>(width, height, Truecolor);
    }
}

void ExpectPixels(const RgbPicture& picture, PatternImage& image)
{
    ASSERT_EQ(image.width(), picture.width);
    ASSERT_EQ(image.height(), picture.height);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            ASSERT_EQ(image.Expected(x, y), picture.At(x, y)) << "pixel (" << x << ", " << y << ")";
}

class SaverDepths : public testing::TestWithParam<int> {
protected:
    ScratchFolder folder_;
};

TEST_P(SaverDepths, PcxIsReadByPcxtoppmAndByItsOwnReader)
{
    auto image = MakeImage(GetParam());
    const std::string path = folder_.File("out.pcx"), ppm = folder_.File("out.ppm");
    ASSERT_EQ(ImgOk, savepcx(path.c_str(), image->get()));
    const ToolResult r = RunTool("/usr/bin/pcxtoppm '" + path + "' > '" + ppm + "'");
    ASSERT_EQ(0, r.status) << r.output;
    RgbPicture picture;
    ASSERT_TRUE(ReadPpm(ppm, &picture));
    ExpectPixels(picture, *image);

    PcxInfo info;
    ASSERT_EQ(ImgOk, pcxinfo(path.c_str(), &info));
    EXPECT_EQ(GetParam(), info.bitsPerPixel);
    ImageDescriptor back = {};
    ASSERT_EQ(ImgOk, allocDIB(&back, info.width, info.height, info.bitsPerPixel));
    const int loaded = loadpcx(path.c_str(), &back);
    int wrong = 0;
    for (int y = 0; loaded == ImgOk && y < back.height; ++y)
        for (int x = 0; x < back.width; ++x) wrong += image->Expected(x, y) != ImageColor(&back, x, y);
    freeimage(&back);
    EXPECT_EQ(ImgOk, loaded);
    EXPECT_EQ(0, wrong) << "pixels that differ";
}

TEST_P(SaverDepths, TiffOfBothCompressionsIsReadByImageMagickAndTiffinfo)
{
    auto image = MakeImage(GetParam());
    for (int compression : {0, 2}) {
        SCOPED_TRACE(compression);
        const std::string path = folder_.File(compression ? "lzw.tif" : "plain.tif");
        ASSERT_EQ(ImgOk, savetif(path.c_str(), image->get(), compression));
        const ToolResult info = RunTool("/usr/bin/tiffinfo '" + path + "'");
        ASSERT_EQ(0, info.status) << info.output;
        EXPECT_NE(std::string::npos, info.output.find(compression ? "Compression Scheme: LZW" : "Compression Scheme: None"))
            << info.output;
        EXPECT_NE(std::string::npos, info.output.find(GetParam() == 24 ? "RGB color" : "palette color")) << info.output;
        RgbPicture picture;
        ASSERT_TRUE(DecodeWithImageMagick(path, &picture));
        ExpectPixels(picture, *image);
    }
}

TEST_P(SaverDepths, GifIsReadByImageMagick)
{
    if (GetParam() == 24) {
        auto image = MakeImage(24);
        EXPECT_EQ(ImgUnsupported, savegifex(folder_.File("x.gif").c_str(), image->get(), 0, -1));
        return;
    }
    auto image = MakeImage(GetParam());
    const std::string path = folder_.File("out.gif");
    ASSERT_EQ(ImgOk, savegifex(path.c_str(), image->get(), 0, -1));
    RgbPicture picture;
    ASSERT_TRUE(DecodeWithImageMagick(path, &picture));
    ExpectPixels(picture, *image);
}

INSTANTIATE_TEST_SUITE_P(Depths, SaverDepths, testing::Values(1, 4, 8, 24));

TEST(GifSaver, InterlacedAndTransparentAtTheGivenIndex)
{
    ScratchFolder folder;
    auto image = MakeImage(8, 40, 29);
    const int transparent = 13;
    struct Case {
        int mode;
        const char* interlace;
        bool transparent;
    } cases[] = {{0, "None", false}, {1, "GIF", false}, {2, "None", true}, {3, "GIF", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        const std::string path = folder.File("mode.gif");
        ASSERT_EQ(ImgOk, savegifex(path.c_str(), image->get(), c.mode, transparent));
        const ToolResult format = RunTool("/usr/bin/identify -format '%[interlace] %w %h' '" + path + "'");
        ASSERT_EQ(0, format.status) << format.output;
        EXPECT_EQ(std::string(c.interlace) + " 40 29", format.output);
        RgbPicture picture;
        ASSERT_TRUE(DecodeWithImageMagick(path, &picture));
        ExpectPixels(picture, *image);
        // The alpha channel: clear exactly where the pixel holds the transparent index.
        const std::string alpha = folder.File("alpha.ppm");
        const ToolResult extract =
            RunTool("/usr/bin/convert '" + path + "' -alpha extract -depth 8 'ppm:" + alpha + "'");
        ASSERT_EQ(0, extract.status) << extract.output;
        RgbPicture mask;
        ASSERT_TRUE(ReadPpm(alpha, &mask));
        for (int y = 0; y < mask.height; ++y)
            for (int x = 0; x < mask.width; ++x) {
                const bool clear = c.transparent && (x * 7 + y * 13) % 256 == transparent;
                ASSERT_EQ(clear ? 0u : 0xFFFFFFu, mask.At(x, y)) << x << ", " << y;
            }
    }
}

TEST(GifSaver, TableCoversATransparentIndexBeyondTheColoursInUse)
{
    ScratchFolder folder;
    PatternImage image(8, 8, 8, {0x000000, 0xFFFFFF}, [](int x, int) { return x & 1; });
    image.get()->header->clrImportant = 2;
    const std::string path = folder.File("t.gif");
    ASSERT_EQ(ImgOk, savegifex(path.c_str(), image.get(), 2, 9));
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    ASSERT_GT(bytes.size(), 13u);
    EXPECT_EQ(3, bytes[10] & 7) << "a table of 16 entries holds index 9";
    RgbPicture picture;
    ASSERT_TRUE(DecodeWithImageMagick(path, &picture));
    ExpectPixels(picture, image);
}

TEST(JpegSaver, QualityNinetyAndCloseToTheOriginal)
{
    ScratchFolder folder;
    // Smooth areas and sharp edges, as a drawing has them; 8-bit images are saved in colour.
    for (int bits : {24, 8, 1}) {
        SCOPED_TRACE(bits);
        auto image = bits == 24 ? std::make_unique<PatternImage>(61, 45,
                                                                 [](int x, int y) {
                                                                     if (x > 20 && x < 40 && y > 10 && y < 30) return 0x2050C0u;
                                                                     return static_cast<std::uint32_t>(x * 4) << 16 | static_cast<std::uint32_t>(y * 5) << 8 | 0x40u;
                                                                 })
                                : MakeImage(bits, 61, 45);
        const std::string path = folder.File("out.jpg");
        ASSERT_EQ(ImgOk, savejpg(path.c_str(), image->get(), 90));
        const ToolResult quality = RunTool("/usr/bin/identify -format '%Q %w %h %[colorspace]' '" + path + "'");
        ASSERT_EQ(0, quality.status) << quality.output;
        EXPECT_EQ("90 61 45 sRGB", quality.output);
        RgbPicture picture;
        ASSERT_TRUE(DecodeWithImageMagick(path, &picture));
        const double psnr = Psnr(picture, [&](int x, int y) { return image->Expected(x, y); });
        EXPECT_GE(psnr, bits == 24 ? 35.0 : 30.0);
    }
}

TEST(Savers, RefuseWhatTheyCannotWriteAndLeaveNoFile)
{
    ScratchFolder folder;
    auto image = MakeImage(8);
    const std::string path = folder.File("x.tif");
    EXPECT_EQ(ImgBadArgument, savetif(path.c_str(), image->get(), 1));
    ImageDescriptor empty = {};
    EXPECT_EQ(ImgBadArgument, savepcx(path.c_str(), &empty));
    EXPECT_EQ(ImgBadArgument, savejpg(path.c_str(), nullptr, 90));
    EXPECT_TRUE(ReadBytes(path).empty());
    // A folder that does not exist.
    EXPECT_EQ(ImgWriteFailed, savepcx(folder.File("none/x.pcx").c_str(), image->get()));
}

// A large noisy picture fills the LZW table many times over: the clear codes must come where
// the readers expect them.
TEST(LzwCode, ManyTableResetsStayReadable)
{
    ScratchFolder folder;
    std::uint32_t seed = 12345;
    std::vector<int> noise(300 * 200);
    for (int& v : noise) {
        seed = seed * 1103515245u + 12345u;
        v = static_cast<int>(seed >> 16) % 200;
    }
    PatternImage image(300, 200, 8, Ramp256(), [&](int x, int y) { return (x / 7 + y) % 3 == 0 ? 5 : noise[y * 300 + x]; });
    for (const char* name : {"noise.gif", "noise.tif"}) {
        SCOPED_TRACE(name);
        const std::string path = folder.File(name);
        const int saved = name[6] == 'g' ? savegifex(path.c_str(), image.get(), 1, -1) : savetif(path.c_str(), image.get(), 2);
        ASSERT_EQ(ImgOk, saved);
        RgbPicture picture;
        ASSERT_TRUE(DecodeWithImageMagick(path, &picture));
        ExpectPixels(picture, image);
    }
}

// PCX files from other writers: ImageMagick's of 8 and 24 bits, netpbm's of one bit and of
// four one-bit planes (lines of an odd length from ImageMagick, of an even one from netpbm).
TEST(PcxReader, ReadsFilesOfOtherWriters)
{
    ScratchFolder folder;
    const std::string source = "/usr/bin/convert -seed 7 -size 45x31 plasma:fractal ";
    // The reference is the writer's own input, so another reader's quirks do not count.
    struct Case {
        const char* options;
        const char* writer;
        int bits;
    } cases[] = {{"-colors 200", "/usr/bin/convert '%s' -type Palette PCX:-", 8},
                 {"", "/usr/bin/convert '%s' -type TrueColor PCX:-", 24},
                 {"-monochrome", "/usr/bin/ppmtopcx '%s'", 1},
                 {"-colors 16", "/usr/bin/ppmtopcx '%s'", 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.writer);
        const std::string path = folder.File("other.pcx"), reference = folder.File("other.ppm");
        ToolResult r = RunTool(source + c.options + " -depth 8 'ppm:" + reference + "'");
        ASSERT_EQ(0, r.status) << r.output;
        std::string writer = c.writer;
        writer.replace(writer.find("%s"), 2, reference);
        r = RunTool(writer + " > '" + path + "' 2>/dev/null");
        ASSERT_EQ(0, r.status) << r.output;
        RgbPicture expected;
        ASSERT_TRUE(ReadPpm(reference, &expected));
        PcxInfo info;
        ASSERT_EQ(ImgOk, pcxinfo(path.c_str(), &info));
        EXPECT_EQ(c.bits, info.bitsPerPixel);
        ImageDescriptor image = {};
        ASSERT_EQ(ImgOk, allocDIB(&image, info.width, info.height, info.bitsPerPixel));
        const int loaded = loadpcx(path.c_str(), &image);
        int wrong = 0;
        for (int y = 0; loaded == ImgOk && y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) wrong += expected.At(x, y) != ImageColor(&image, x, y);
        freeimage(&image);
        EXPECT_EQ(ImgOk, loaded);
        EXPECT_EQ(0, wrong) << "pixels that differ";
    }
}

}  // namespace
