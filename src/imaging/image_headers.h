// The header readers behind the probes: each recognises its format by the signature, then
// checks every size, count, palette length and offset it reads against the source before it
// reports the picture. They allocate nothing of the picture's size and call no window or
// graphics function.
//
// Each answers 0 (the record filled), ImgNotThisFormat when the signature is not there, or
// ImgStop when the signature is there but the picture cannot be read: damaged, of a kind the
// loaders do not handle, or larger than kMaxImageSide and kMaxImageBytes allow.
#pragma once

#include <cstdint>

#include "imaging/imaging.h"

class ByteSource;

int ReadBmpHeader(ByteSource& source, BmpInfo* info);
int ReadTiffHeader(ByteSource& source, TiffInfo* info);
int ReadPcxHeader(ByteSource& source, PcxInfo* info);
int ReadGifHeader(ByteSource& source, GifInfo* info);
int ReadJpegHeader(ByteSource& source, JpegInfo* info);

// Bytes of a bottom-up image of that size and depth with rows padded to 32 bits; 0 when it
// exceeds the limits (or the depth is not 1, 4, 8 or 24).
std::uint32_t ImageBytesFor(std::int64_t width, std::int64_t height, int bitsPerPixel);
