// The loaders of BMP, TIFF, GIF and JPEG files, over the platform's imaging codecs. The codec
// decodes the first frame; what it answers is checked (container, size, palette) before the
// pixels go into the caller's image. Indexed and grey frames are taken as they are, with their
// palette; every other format is converted by the codec to 32-bit colour.
#include <wincodec.h>

#include <vector>

#include "imaging/image_pixels.h"
#include "imaging/imaging.h"

namespace {

// Releases a COM interface when it goes.
template <typename T>
class Held {
public:
    Held() = default;
    ~Held()
    {
        if (p_) p_->Release();
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    T** operator&() { return &p_; }
    T* operator->() const { return p_; }
    T* get() const { return p_; }

private:
    T* p_ = nullptr;
};

struct IndexedFormat {
    const GUID* format;
    int bits;
};

int Decode(LPCSTR path, const GUID& container, ImageDescriptor* image)
{
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH)) return ImgBadArgument;
    Held<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory))))
        return ImgCodecFailed;
    Held<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromFilename(wide, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  &decoder)))
        return ImgCodecFailed;
    GUID found;
    if (FAILED(decoder->GetContainerFormat(&found)) || !IsEqualGUID(found, container)) return ImgNotThisFormat;
    Held<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame))) return ImgCodecFailed;
    UINT width = 0, height = 0;
    if (FAILED(frame->GetSize(&width, &height))) return ImgCodecFailed;
    if (width != static_cast<UINT>(image->width) || height != static_cast<UINT>(image->height)) return ImgDamaged;
    WICPixelFormatGUID format;
    if (FAILED(frame->GetPixelFormat(&format))) return ImgCodecFailed;

    DecodedPixels pixels;
    pixels.width = image->width;
    pixels.height = image->height;
    static const IndexedFormat indexed[] = {{&GUID_WICPixelFormat1bppIndexed, 1},
                                            {&GUID_WICPixelFormat2bppIndexed, 2},
                                            {&GUID_WICPixelFormat4bppIndexed, 4},
                                            {&GUID_WICPixelFormat8bppIndexed, 8}};
    for (const IndexedFormat& f : indexed)
        if (IsEqualGUID(format, *f.format)) pixels.bitsPerPixel = f.bits;
    IWICBitmapSource* source = frame.get();
    Held<IWICFormatConverter> converter;
    if (pixels.bitsPerPixel) {
        Held<IWICPalette> palette;
        UINT count = 0;
        if (FAILED(factory->CreatePalette(&palette)) || FAILED(frame->CopyPalette(palette.get())) ||
            FAILED(palette->GetColorCount(&count)))
            return ImgCodecFailed;
        if (count == 0 || count > 256) return ImgDamaged;
        WICColor colors[256];
        UINT actual = 0;
        if (FAILED(palette->GetColors(count, colors, &actual)) || actual == 0 || actual > count) return ImgCodecFailed;
        for (UINT i = 0; i < actual; ++i)
            pixels.palette.push_back(PaletteEntry{static_cast<std::uint8_t>(colors[i]), static_cast<std::uint8_t>(colors[i] >> 8),
                                                  static_cast<std::uint8_t>(colors[i] >> 16), 0});
    } else if (IsEqualGUID(format, GUID_WICPixelFormat8bppGray)) {
        pixels.bitsPerPixel = 8;
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<std::uint8_t>(i);
            pixels.palette.push_back(PaletteEntry{v, v, v, 0});
        }
    } else if (IsEqualGUID(format, GUID_WICPixelFormatBlackWhite)) {
        pixels.bitsPerPixel = 1;
        pixels.palette = {PaletteEntry{0, 0, 0, 0}, PaletteEntry{255, 255, 255, 0}};
    } else {
        if (FAILED(factory->CreateFormatConverter(&converter)) ||
            FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0,
                                         WICBitmapPaletteTypeCustom)))
            return ImgCodecFailed;
        source = converter.get();
        pixels.bitsPerPixel = 32;
    }

    const std::uint64_t stride = (std::uint64_t{width} * pixels.bitsPerPixel + 31) / 32 * 4;
    const std::uint64_t bytes = stride * height;
    if (bytes > 0xFFFFFFFFu) return ImgNoMemory;
    std::vector<std::uint8_t> rows;
    try {
        rows.resize(static_cast<std::size_t>(bytes));
    } catch (...) {
        return ImgNoMemory;
    }
    if (FAILED(source->CopyPixels(nullptr, static_cast<UINT>(stride), static_cast<UINT>(bytes), rows.data())))
        return ImgCodecFailed;
    pixels.rows = rows.data();
    pixels.stride = static_cast<std::uint32_t>(stride);
    return StorePixels(pixels, image);
}

int Load(LPCSTR path, const GUID& container, ImageDescriptor* image)
{
    if (!path || !image || !image->bits || image->width <= 0 || image->height <= 0) return ImgBadArgument;
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return ImgStop;
    // COM for as long as the load takes; a thread already in another apartment keeps it.
    const HRESULT joined = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = Decode(path, container, image);
    if (SUCCEEDED(joined)) CoUninitialize();
    return result;
}

}  // namespace

int loadbmp(LPCSTR path, ImageDescriptor* image)
{
    return Load(path, GUID_ContainerFormatBmp, image);
}

int loadtif(LPCSTR path, ImageDescriptor* image)
{
    return Load(path, GUID_ContainerFormatTiff, image);
}

int loadgif(LPCSTR path, ImageDescriptor* image)
{
    return Load(path, GUID_ContainerFormatGif, image);
}

int loadjpg(LPCSTR path, ImageDescriptor* image)
{
    return Load(path, GUID_ContainerFormatJpeg, image);
}
