// The file side of the library that needs no platform codec: the probes, and the PCX loader and
// the savers, which encode in memory and then write the file whole.
#include <vector>

#include "imaging/byte_source.h"
#include "imaging/image_headers.h"
#include "imaging/image_writers.h"
#include "imaging/imaging.h"
#include "imaging/pcx_codec.h"

namespace {

template <typename Info>
int Probe(LPCSTR path, Info* info, int (*read)(ByteSource&, Info*))
{
    if (!path || !info) return ImgBadArgument;
    FileSource file(path);
    if (!file.IsOpen()) return ImgStop;
    return read(file, info);
}

bool Usable(const ImageDescriptor* image)
{
    return image && image->bits && image->header && image->width > 0 && image->height > 0;
}

int Save(LPCSTR path, const std::vector<std::uint8_t>& bytes, int encoded)
{
    return encoded != ImgOk ? encoded : WriteWholeFile(path, bytes);
}

}  // namespace

int bmpinfo(LPCSTR path, BmpInfo* info)
{
    return Probe(path, info, ReadBmpHeader);
}

int tiffinfo(LPCSTR path, TiffInfo* info)
{
    return Probe(path, info, ReadTiffHeader);
}

int pcxinfo(LPCSTR path, PcxInfo* info)
{
    return Probe(path, info, ReadPcxHeader);
}

int gifinfo(LPCSTR path, GifInfo* info)
{
    return Probe(path, info, ReadGifHeader);
}

int jpeginfo(LPCSTR path, JpegInfo* info)
{
    return Probe(path, info, ReadJpegHeader);
}

int loadpcx(LPCSTR path, ImageDescriptor* image)
{
    if (!path || !Usable(image)) return ImgBadArgument;
    FileSource file(path);
    if (!file.IsOpen()) return ImgStop;
    // The header bounds the rows at kMaxImageBytes; the file holds at most twice that in code.
    std::vector<std::uint8_t> bytes;
    if (!file.ReadAll(2 * kMaxImageBytes, &bytes)) return ImgDamaged;
    return DecodePcx(bytes.data(), bytes.size(), image);
}

int savepcx(LPCSTR path, const ImageDescriptor* image)
{
    if (!path || !Usable(image)) return ImgBadArgument;
    std::vector<std::uint8_t> bytes;
    const int encoded = EncodePcx(image, &bytes);
    return Save(path, bytes, encoded);
}

int savetif(LPCSTR path, const ImageDescriptor* image, int compression)
{
    if (!path || !Usable(image)) return ImgBadArgument;
    std::vector<std::uint8_t> bytes;
    const int encoded = EncodeTiff(image, compression, &bytes);
    return Save(path, bytes, encoded);
}

int savegifex(LPCSTR path, const ImageDescriptor* image, int mode, int transparentIndex)
{
    if (!path || !Usable(image)) return ImgBadArgument;
    std::vector<std::uint8_t> bytes;
    const int encoded = EncodeGif(image, mode, transparentIndex, &bytes);
    return Save(path, bytes, encoded);
}

int savejpg(LPCSTR path, const ImageDescriptor* image, int quality)
{
    if (!path || !Usable(image)) return ImgBadArgument;
    std::vector<std::uint8_t> bytes;
    const int encoded = EncodeJpeg(image, quality, &bytes);
    return Save(path, bytes, encoded);
}
