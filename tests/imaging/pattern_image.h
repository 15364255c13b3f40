// Images made from a pattern the test owns, for the picture library's tests in both builds.
#pragma once

#include <cstdint>
#include <functional>
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

// Peak signal-to-noise ratio in dB of the colours (0x00RRGGBB) a picture has against those it
// should have.
double Psnr(int width, int height, const std::function<std::uint32_t(int, int)>& actual,
            const std::function<std::uint32_t(int, int)>& expected);
