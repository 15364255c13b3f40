// Metafile bits as read from files, the clipboard and other programs: the placeable header,
// the checks that make every record safe to hand to the system, and packed DIB layouts. Free
// of window and graphics calls, so it also builds natively for fuzzing.
#pragma once

#include <cstddef>
#include <cstdint>

// Record functions of standard Windows metafiles that the program treats specially.
enum MetaFunction : std::uint16_t {
    MetaEof = 0x0000,
    MetaSaveDc = 0x001E,
    MetaRestoreDc = 0x0127,
    MetaSelectObject = 0x012D,
    MetaSetTextCharExtra = 0x0108,
    MetaSetTextColor = 0x0209,
    MetaSetMapMode = 0x0103,
    MetaSetWindowOrg = 0x020B,
    MetaSetWindowExt = 0x020C,
    MetaSetViewportOrg = 0x020D,
    MetaSetViewportExt = 0x020E,
    MetaOffsetWindowOrg = 0x020F,
    MetaOffsetViewportOrg = 0x0211,
    MetaScaleWindowExt = 0x0410,
    MetaLineTo = 0x0213,
    MetaMoveTo = 0x0214,
    MetaOffsetClipRgn = 0x0220,
    MetaFillRegion = 0x0228,
    MetaInvertRegion = 0x012A,
    MetaPaintRegion = 0x012B,
    MetaSelectClipRegion = 0x012C,
    MetaSelectPalette = 0x0234,
    MetaCreatePenIndirect = 0x02FA,
    MetaCreateFontIndirect = 0x02FB,
    MetaCreateBrushIndirect = 0x02FC,
    MetaPolygon = 0x0324,
    MetaPolyline = 0x0325,
    MetaScaleViewportExt = 0x0412,
    MetaExcludeClipRect = 0x0415,
    MetaIntersectClipRect = 0x0416,
    MetaEllipse = 0x0418,
    MetaFloodFill = 0x0419,
    MetaRectangle = 0x041B,
    MetaSetPixel = 0x041F,
    MetaFrameRegion = 0x0429,
    MetaTextOut = 0x0521,
    MetaPolyPolygon = 0x0538,
    MetaExtFloodFill = 0x0548,
    MetaRoundRect = 0x061C,
    MetaPatBlt = 0x061D,
    MetaArc = 0x0817,
    MetaPie = 0x081A,
    MetaChord = 0x0830,
    MetaBitBlt = 0x0922,
    MetaDibBitBlt = 0x0940,
    MetaExtTextOut = 0x0A32,
    MetaStretchBlt = 0x0B23,
    MetaDibStretchBlt = 0x0B41,
    MetaSetDibToDev = 0x0D33,
    MetaStretchDib = 0x0F43,
    MetaCreatePalette = 0x00F7,
    MetaSetPalEntries = 0x0037,
    MetaAnimatePalette = 0x0436,
    MetaResizePalette = 0x0139,
    MetaDibCreatePatternBrush = 0x0142,
    MetaCreatePatternBrush = 0x01F9,
    MetaCreateRegion = 0x06FF,
    MetaEscape = 0x0626,
};

// Text-out options that make a META_EXTTEXTOUT record carry its clipping rectangle (opaque,
// clipped). Other bits, such as right-to-left reading (0x80), come without one.
constexpr std::uint16_t kTextOutRectOptions = 0x0006;

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr int kPlaceableHeaderSize = 22;
constexpr int kMetaHeaderSize = 18;   // the standard header, 9 words
constexpr int kRecordHeaderWords = 3; // u32 size in words, u16 function

// What the placeable header says: bounding box in its own units and the units per inch.
struct PlaceableInfo {
    std::int16_t left, top, right, bottom;
    std::uint16_t unitsPerInch;
};

// 0 with the header's fields; 1 when the bytes are too short or the key is wrong.
int ParsePlaceableHeader(const unsigned char* bytes, std::size_t size, PlaceableInfo* info);

// Checks metafile bits (standard header, then records) in place: the usable length is the
// header and every whole record up to the end-of-file record; a record shorter than its header
// (which would stall the system's enumeration) or one running past the bits ends the usable
// part there, and the header's size field is lowered to match. Records whose counts do not fit
// their size are left for the record callbacks to skip (IsSoundMetafileRecord). Returns the usable byte count, 0 when
// the header itself is unusable.
std::uint32_t SanitizeMetafileBits(unsigned char* bits, std::uint32_t size);

// 1 when a record of `sizeWords` words (header included) holds every parameter, count, point
// list, string and bitmap its function says it has; records whose layout the program does not
// know need only their header.
int IsSoundMetafileRecord(const std::uint16_t* record, std::uint32_t sizeWords);

// Layout of a packed DIB (BITMAPINFOHEADER, colour table, pixels) inside `size` bytes. The
// colour table is sized from the header's used-colour count, bit depth and compression, with
// `entrySize` bytes per entry (4 RGB, 2 palette indexes).
struct DibLayout {
    std::int32_t width;
    std::int32_t height;        // absolute; top-down bitmaps have `topDown` set
    bool topDown;
    std::uint32_t tableBytes;
    std::uint32_t bitsOffset;   // from the header's start
    std::uint32_t bitsSize;     // bytes the pixels need
};
// 0 with the layout; 1 when the header, table or pixels do not fit.
int ReadDibLayout(const unsigned char* dib, std::size_t size, int entrySize, DibLayout* layout);
