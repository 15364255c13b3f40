// Canvases and pictures of the tests.
#include "support/canvas.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "model/device_units.h"

Canvas::Canvas(int width, int height) : width_(width), height_(height)
{
    dc_ = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<const DWORD*>(bits);
    old_ = SelectObject(dc_, bitmap_);
    Clear();
}

Canvas::~Canvas()
{
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
}

void Canvas::Clear(int zoom)
{
    SetMapMode(dc_, MM_TEXT);
    PatBlt(dc_, 0, 0, width_, height_, WHITENESS);
    SetLogicalUnits(dc_, zoom, 600);
}

COLORREF Canvas::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    GdiFlush();
    DWORD v = bits_[y * width_ + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

int Canvas::Count(COLORREF color) const
{
    GdiFlush();
    int n = 0;
    for (int i = 0; i < width_ * height_; ++i) {
        DWORD v = bits_[i];
        if (RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF) == color) ++n;
    }
    return n;
}

std::string Canvas::Save(const char* name) const
{
    GdiFlush();
    std::string path = TestOutputFolder() + name;
    return WriteBmp24(path, bits_, width_, height_) ? path : std::string();
}

std::string TestOutputFolder()
{
    // The test programs live in <build>\tests\<folder>\; pictures go to <build>\test-output\.
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string path = module;
    size_t tests = path.rfind("\\tests\\");
    if (tests == std::string::npos) tests = path.rfind('\\');
    path = path.substr(0, tests) + "\\test-output\\";
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

bool WriteBmp24(const std::string& path, const DWORD* pixels, int width, int height)
{
    const int stride = (width * 3 + 3) & ~3;
    BITMAPINFOHEADER info = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB,
                             static_cast<DWORD>(stride * height), 0, 0, 0, 0};
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof file + sizeof info + stride * height), 0, 0,
                             static_cast<DWORD>(sizeof file + sizeof info)};
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1;
    std::vector<BYTE> row(stride, 0);
    // Bottom-up rows of blue, green, red.
    for (int y = height - 1; ok && y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            DWORD v = pixels[y * width + x];
            row[x * 3] = static_cast<BYTE>(v);
            row[x * 3 + 1] = static_cast<BYTE>(v >> 8);
            row[x * 3 + 2] = static_cast<BYTE>(v >> 16);
        }
        ok = std::fwrite(row.data(), stride, 1, out) == 1;
    }
    return std::fclose(out) == 0 && ok;
}
