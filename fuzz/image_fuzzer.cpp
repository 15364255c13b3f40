// libFuzzer target: arbitrary bytes through the picture probes' header readers, and, when the
// PCX reader accepts the header, through its decoder into an image of the size it reported.
// A reader may refuse anything but must never read outside the bytes or report a picture
// beyond the limits.
#include <cstddef>
#include <cstdint>

#include "imaging/byte_source.h"
#include "imaging/image_headers.h"
#include "imaging/imaging.h"
#include "imaging/pcx_codec.h"

namespace {

void Check(bool condition)
{
    if (!condition) __builtin_trap();
}

bool WithinLimits(std::int64_t width, std::int64_t height)
{
    return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemorySource source(data, size);
    BmpInfo bmp;
    if (ReadBmpHeader(source, &bmp) == ImgOk) Check(WithinLimits(bmp.width, bmp.height));
    TiffInfo tiff;
    if (ReadTiffHeader(source, &tiff) == ImgOk) Check(WithinLimits(tiff.width, tiff.height));
    GifInfo gif;
    if (ReadGifHeader(source, &gif) == ImgOk) Check(WithinLimits(gif.width, gif.height) && gif.colorCount >= 2);
    JpegInfo jpeg;
    if (ReadJpegHeader(source, &jpeg) == ImgOk) Check(WithinLimits(jpeg.width, jpeg.height));
    PcxInfo pcx;
    if (ReadPcxHeader(source, &pcx) == ImgOk) {
        Check(WithinLimits(pcx.width, pcx.height));
        ImageDescriptor image;
        if (allocDIB(&image, pcx.width, pcx.height, pcx.bitsPerPixel) == ImgOk) {
            DecodePcx(data, size, &image);
            freeimage(&image);
        }
    }
    return 0;
}
