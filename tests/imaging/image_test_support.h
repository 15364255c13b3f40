// What the picture library's native tests share: a scratch folder, and the outside programs (ImageMagick, netpbm, libtiff's tools) that judge written
// files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pattern_image.h"

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
