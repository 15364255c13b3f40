// What the picture library's tests share: images made from a pattern the test owns, a scratch
// folder, and the outside programs (ImageMagick, netpbm, libtiff's tools) that judge written
// files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "imaging/imaging.h"

// A colour 0x00RRGGBB for each pixel (x, y from the top).
using ColorPattern = std::function<std::uint32_t(int x, int y)>;
// An index for each pixel, and the palette it indexes.
using IndexPattern = std::function<int(int x, int y)>;

// The image of that depth with the pattern's pixels, written without the library's own pixel
// helpers; released with the object.
class PatternImage {
public:
    PatternImage(int width, int height, const ColorPattern& colors);
    PatternImage(int width, int height, int bitsPerPixel, const std::vector<std::uint32_t>& palette,
                 const IndexPattern& indexes);
    ~PatternImage() { freeimage(&image_); }
    PatternImage(const PatternImage&) = delete;
    PatternImage& operator=(const PatternImage&) = delete;

    ImageDescriptor* get() { return &image_; }
    // The colour the test put at (x, y).
    std::uint32_t Expected(int x, int y) const { return expected_(x, y); }
    int width() const { return image_.width; }
    int height() const { return image_.height; }

private:
    ImageDescriptor image_ = {};
    ColorPattern expected_;
};

// The colour of an image's pixel read straight from its rows and palette.
std::uint32_t ImageColor(const ImageDescriptor* image, int x, int y);

// A fresh folder under /tmp, removed with everything in it when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    std::string File(const char* name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Runs a shell command; its standard output (and error) and exit status.
struct ToolResult {
    int status = -1;
    std::string output;
};
ToolResult RunTool(const std::string& command);

// A PPM (P6, 8 bits) read into 0x00RRGGBB pixels, top-down; false when it is not one.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};
bool ReadPpm(const std::string& path, RgbPicture* picture);
// The file decoded by ImageMagick into a PPM (alpha dropped); false when it cannot.
bool DecodeWithImageMagick(const std::string& path, RgbPicture* picture);

// Peak signal-to-noise ratio in dB of a picture against the expected colours.
double Psnr(const RgbPicture& picture, const std::function<std::uint32_t(int, int)>& expected);

std::vector<std::uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
