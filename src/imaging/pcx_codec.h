// The PCX format, read and written by the library itself: a 128-byte header, rows of one to four
// planes in run-length code, and for 256 colours a palette after the marker 0x0C at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/imaging.h"

// Decodes the file's bytes into the image, which has the picture's size (any depth: the pixels
// are converted). 0, ImgDamaged when the rows run out or the header is refused, or an error of
// StorePixels.
int DecodePcx(const std::uint8_t* data, std::size_t size, ImageDescriptor* image);

// The whole file for the image: 1 bit as one plane, 4 bits as four one-bit planes with the
// header's 16 colours, 8 bits with the 256-colour palette at the end, 24 bits as three planes.
int EncodePcx(const ImageDescriptor* image, std::vector<std::uint8_t>* file);
