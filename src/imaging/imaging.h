// The picture library of import and export: images in memory, the probes that recognise a
// picture file by its header, the loaders and savers of BMP, TIFF, PCX, GIF and JPEG files, and
// the colour conversions between them. Every entry point answers 0 for success.
//
// An image is an ImageDescriptor whose pixels live in one movable block, kept locked while the
// image exists: a BITMAPINFOHEADER, its colour table (2, 16 or 256 entries for 1, 4 or 8 bits
// per pixel, none for 24) and the rows, bottom-up and padded to 32 bits, so that the block is a
// packed DIB from the header on.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// Results of the entry points.
enum ImageResult : int {
    ImgOk = 0,
    ImgNotThisFormat = -1,   // a probe: the file is not of its format
    ImgDamaged = -2,         // sizes, counts or offsets disagree with the file
    ImgNoMemory = -3,
    ImgStop = -4,            // a probe: stop looking (file unreadable, or this format but unusable)
    ImgWriteFailed = -5,
    ImgBadArgument = -6,
    ImgUnsupported = -7,     // a depth or variant the call does not handle
    ImgCodecFailed = -8,     // the platform's codec refused the file
};

// Limits of what is read or made: a picture becomes a shape whose frame holds 16-bit
// coordinates, and its pixels must fit the address space of a 32-bit program.
constexpr int kMaxImageSide = 32767;
constexpr std::uint32_t kMaxImageBytes = 128u * 1024 * 1024;

#pragma pack(push, 1)
// The layout of a BITMAPINFOHEADER, usable where <windows.h> has none.
struct DibHeader {
    std::uint32_t size;        // 40
    std::int32_t width;
    std::int32_t height;       // positive: bottom-up
    std::uint16_t planes;
    std::uint16_t bitCount;
    std::uint32_t compression;
    std::uint32_t sizeImage;
    std::int32_t xPelsPerMeter;
    std::int32_t yPelsPerMeter;
    std::uint32_t clrUsed;
    std::uint32_t clrImportant;
};
static_assert(sizeof(DibHeader) == 40);
static_assert(offsetof(DibHeader, planes) == 12 && offsetof(DibHeader, bitCount) == 14);

// A colour table entry: blue, green, red, reserved.
struct PaletteEntry {
    std::uint8_t blue;
    std::uint8_t green;
    std::uint8_t red;
    std::uint8_t reserved;
};
static_assert(sizeof(PaletteEntry) == 4);

// An image in memory. Callers reserve 76 bytes for it and read the fields at 20, 24, 28 and 36;
// the rest is the library's own.
struct ImageDescriptor {
    std::int32_t width;          // 0
    std::int32_t height;         // 4
    std::int32_t bitsPerPixel;   // 8: 1, 4, 8 or 24
    std::uint32_t imageBytes;    // 12: bytes of the rows
    std::uint8_t* bits;          // 16: the rows, bottom-up
    std::int32_t bytesPerRow;    // 20: padded to 4 bytes
    PaletteEntry* palette;       // 24: colorCount entries
    std::int32_t colorCount;     // 28: 0 for 24 bits, else 2, 16 or 256
    std::uint32_t blockBytes;    // 32: header, table and rows
    DibHeader* header;           // 36: the start of the packed DIB
    HGLOBAL block;               // 40: the locked block that holds all of it
#if UINTPTR_MAX == 0xFFFFFFFFu
    std::uint8_t reserved[32];
#endif
};
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(ImageDescriptor) == 76);
static_assert(offsetof(ImageDescriptor, bytesPerRow) == 20);
static_assert(offsetof(ImageDescriptor, palette) == 24);
static_assert(offsetof(ImageDescriptor, colorCount) == 28);
static_assert(offsetof(ImageDescriptor, header) == 36);
#endif

// What the probes report. The bits per pixel are the file's own; the importer turns them into
// the depth it allocates.
using BmpInfo = DibHeader;   // height made positive; planes x bit count are the file's

struct TiffInfo {
    std::int32_t byteOrder;        // 0: 0x4949 or 0x4D4D
    std::int32_t width;            // 4
    std::int32_t height;           // 8
    std::int32_t bitsPerSample;    // 12
    std::int32_t samplesPerPixel;  // 16
    std::int32_t photometric;      // 20
    std::int32_t compression;      // 24
    std::int32_t planarConfig;     // 28
    std::int32_t bitsPerPixel;     // 32: bits per sample x samples
    std::int32_t colorCount;       // 36: entries of its colour map, 0 without one
};
static_assert(offsetof(TiffInfo, width) == 4 && offsetof(TiffInfo, height) == 8);
static_assert(offsetof(TiffInfo, bitsPerPixel) == 32);

struct PcxInfo {
    std::int32_t version;          // 0
    std::int32_t width;            // 4
    std::int32_t height;           // 8
    std::int32_t planes;           // 12
    std::int32_t bitsPerPlane;     // 16
    std::int32_t bytesPerLine;     // 20
    std::int32_t encoding;         // 24: 1 run-length, 0 none
    std::int32_t bitsPerPixel;     // 28: the depth it loads at: 1, 4, 8 or 24
    std::int32_t colorCount;       // 32
};
static_assert(offsetof(PcxInfo, width) == 4 && offsetof(PcxInfo, bitsPerPixel) == 28);

struct GifInfo {
    std::int32_t width;            // 0: of the first image
    std::int32_t height;           // 4
    std::int32_t screenWidth;      // 8
    std::int32_t screenHeight;     // 12
    std::int32_t left;             // 16
    std::int32_t top;              // 20
    std::int32_t interlaced;       // 24
    std::int32_t colorCount;       // 28: of the table the first image uses
    std::int32_t bitsPerPixel;     // 32: always 8, the depth it loads at
    std::int32_t transparentIndex; // 36: -1 none
};
static_assert(offsetof(GifInfo, height) == 4 && offsetof(GifInfo, bitsPerPixel) == 32);

struct JpegInfo {
    std::int32_t frameMarker;      // 0: 0xC0-0xCF
    std::int32_t width;            // 4
    std::int32_t height;           // 8
    std::int32_t components;       // 12
    std::int32_t precision;        // 16
    std::int32_t progressive;      // 20
    std::int32_t jfif;             // 24
    std::int32_t adobe;            // 28
    std::int32_t reserved;         // 32
    std::int32_t bitsPerPixel;     // 36: 8 for one component, else 24
};
static_assert(offsetof(JpegInfo, width) == 4 && offsetof(JpegInfo, bitsPerPixel) == 36);
#pragma pack(pop)

// ---- Images.
// A new image of the size and depth (1, 4, 8 or 24), black, with a zeroed colour table. Sizes
// beyond kMaxImageSide or kMaxImageBytes are refused. `image` is overwritten.
int allocDIB(ImageDescriptor* image, int width, int height, int bitsPerPixel);
// The destination of a conversion: the same as allocDIB.
int allocimage(ImageDescriptor* image, int width, int height, int bitsPerPixel);
// Releases the image's block and clears the record; an empty record is left alone.
int freeimage(ImageDescriptor* image);
// A new image holding a copy of a packed DIB (BI_RGB, 1, 4, 8 or 24 bits; top-down rows are
// turned bottom-up). When the pointer lies in a global block its size bounds what is read.
int dibtoimage(const void* packedDib, ImageDescriptor* image);
// `destination` is an 8-bit image of the source's size; it receives at most `paletteSize`
// colours (2-256): all of them when the source has no more, else a median-cut palette, and the
// nearest of them for every pixel. The source may have any depth.
int convertrgbtopal(int paletteSize, const ImageDescriptor* source, ImageDescriptor* destination);
// `destination` is an 8-bit image of the source's size; a 1-bit source is copied into it.
int convert1bitto8bit(const ImageDescriptor* source, ImageDescriptor* destination);

// ---- Probes: 0 when the file is of the format (the record filled), ImgStop to end the search,
// any other value when it is not.
int bmpinfo(LPCSTR path, BmpInfo* info);
int tiffinfo(LPCSTR path, TiffInfo* info);
int pcxinfo(LPCSTR path, PcxInfo* info);
int gifinfo(LPCSTR path, GifInfo* info);
int jpeginfo(LPCSTR path, JpegInfo* info);

// ---- Loaders: the file's first picture into an image already allocated with its size; the
// pixels are converted to the image's depth.
int loadbmp(LPCSTR path, ImageDescriptor* image);
int loadtif(LPCSTR path, ImageDescriptor* image);
int loadpcx(LPCSTR path, ImageDescriptor* image);
int loadgif(LPCSTR path, ImageDescriptor* image);
int loadjpg(LPCSTR path, ImageDescriptor* image);

// ---- Savers. A failed save leaves no file.
int savepcx(LPCSTR path, const ImageDescriptor* image);
// Compression 0 none, 2 LZW.
int savetif(LPCSTR path, const ImageDescriptor* image, int compression);
// Mode bit 1 interlaced, bit 2 transparent at `transparentIndex`. 1, 4 and 8-bit images only.
int savegifex(LPCSTR path, const ImageDescriptor* image, int mode, int transparentIndex);
// Quality 1-100; indexed images are saved in their colours.
int savejpg(LPCSTR path, const ImageDescriptor* image, int quality);
