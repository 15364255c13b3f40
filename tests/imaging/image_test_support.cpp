// Support of the picture library's native tests.
#include "image_test_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/wait.h>

#include <gtest/gtest.h>

ScratchFolder::ScratchFolder()
{
    char name[] = "/tmp/vexlor-imaging-XXXXXX";
    if (mkdtemp(name)) path_ = name;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

ToolResult RunTool(const std::string& command)
{
    ToolResult result;
    FILE* pipe = popen(("{ " + command + "; } 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) result.output.append(buffer, got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool ReadPpm(const std::string& path, RgbPicture* picture)
{
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    std::size_t at = 0;
    auto token = [&]() {
        std::string t;
        while (at < bytes.size()) {
            if (bytes[at] == '#') {
                while (at < bytes.size() && bytes[at] != '\n') ++at;
            } else if (std::isspace(bytes[at])) {
                if (!t.empty()) break;
                ++at;
            } else {
                t += static_cast<char>(bytes[at++]);
            }
        }
        return t;
    };
    if (token() != "P6") return false;
    const int width = std::atoi(token().c_str()), height = std::atoi(token().c_str()), max = std::atoi(token().c_str());
    ++at;   // the single blank after the maximum
    if (width <= 0 || height <= 0 || max != 255 || bytes.size() < at + 3ull * width * height) return false;
    picture->width = width;
    picture->height = height;
    picture->pixels.resize(static_cast<std::size_t>(width) * height);
    for (std::size_t i = 0; i < picture->pixels.size(); ++i, at += 3)
        picture->pixels[i] = std::uint32_t{bytes[at]} << 16 | std::uint32_t{bytes[at + 1]} << 8 | bytes[at + 2];
    return true;
}

bool DecodeWithImageMagick(const std::string& path, RgbPicture* picture)
{
    const std::string out = path + ".decoded.ppm";
    const ToolResult r = RunTool("/usr/bin/convert '" + path + "[0]' -alpha off -depth 8 'ppm:" + out + "'");
    if (r.status != 0) {
        ADD_FAILURE() << "convert failed on " << path << ": " << r.output;
        return false;
    }
    return ReadPpm(out, picture);
}

double Psnr(const RgbPicture& picture, const std::function<std::uint32_t(int, int)>& expected)
{
    return Psnr(picture.width, picture.height, [&](int x, int y) { return picture.At(x, y); }, expected);
}

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
