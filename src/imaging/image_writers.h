// The library's own writers of GIF, TIFF and JPEG files, in memory. (The platform's encoders
// leave out what the savers promise under some hosts: interlace and transparency in GIF, a
// compression in TIFF, the quality of JPEG.)
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/imaging.h"

// GIF89a with one image of 1, 4 or 8 bits: the palette in the global table (as many entries as
// are in use, rounded up to a power of two), a graphic control extension when mode bit 2 names a
// transparent index within the table, rows interlaced when mode bit 1 is set.
int EncodeGif(const ImageDescriptor* image, int mode, int transparentIndex, std::vector<std::uint8_t>* file);

// A baseline little-endian TIFF in strips of about 8 KB: palette colour for 1, 4 and 8 bits, RGB
// for 24. Compression 0 writes the rows as they are, 2 in LZW code.
int EncodeTiff(const ImageDescriptor* image, int compression, std::vector<std::uint8_t>* file);

// A baseline JFIF JPEG in YCbCr without subsampling, with the standard tables scaled to the
// quality (1-100) as the common encoders scale them and the standard Huffman codes.
int EncodeJpeg(const ImageDescriptor* image, int quality, std::vector<std::uint8_t>* file);
