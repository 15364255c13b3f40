// A white 32-bit DIB section selected into a memory device context, for drawing tests that read
// pixels back, and the one output folder for pictures written for a person to look at.
#pragma once

#include <windows.h>

#include <string>

class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // White again, and the drawing's mapping at `zoom` (0 = 100 %, 600 units per inch).
    void Clear(int zoom = 0);
    // The pixel at device position (x, y), whatever the mapping (left as it was).
    COLORREF Pixel(int x, int y) const;
    // Device pixels of the given colour.
    int Count(COLORREF color) const;
    // Writes the picture as a 24-bit BMP into the output folder; the path written, empty on
    // failure.
    std::string Save(const char* name) const;

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    const DWORD* bits_ = nullptr;
};

// The folder for files written for a person to look at: test-output beside the build's tests
// folder, made when missing. Ends with a backslash.
std::string TestOutputFolder();

// Writes top-down 32-bit pixels as a 24-bit BMP (a 32-bit BMP with a zero fourth byte reads as
// transparent in most viewers). False when the file could not be written.
bool WriteBmp24(const std::string& path, const DWORD* pixels, int width, int height);
