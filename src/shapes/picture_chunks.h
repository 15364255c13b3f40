// Picture data kept in a drawing's store as a run of PictureChunk records under consecutive
// ids: record type 112 for packed bitmaps, 113 for metafile bits (201 in symbol libraries).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "store/store_format.h"

constexpr int kBitmapChunkType = RecBitmapChunks;
constexpr int kMetafileChunkType = RecMetafileChunks;
constexpr int kChunkHeaderSize = 110;
constexpr int kMaxChunkPayload = 60000;
constexpr int kMaxPictureColors = 256;
constexpr int kMaxPictureHookPoints = 16;

// Picture flags, repeated in every chunk.
enum PictureFlags : WORD {
    PicNegativeWidth = 0x08,   // the metafile's first window extent had a negative width
    PicNegativeHeight = 0x10,  // ... a negative height
    PicStretchedBits = 0x20,   // the metafile holds stretched bitmap records
};

#pragma pack(push, 1)
// One chunk record: header, then the payload from offset 110. The record's size is 110 plus the
// payload count. The first chunk's payload starts with the colour table (colorCount entries of
// 0x00BBGGRR), then the picture data; later chunks hold picture data only. Joined and without
// the colour table, the data is a packed DIB (112) or the bits of a metafile without the
// placeable header (113).
struct PictureChunk {
    BlockHeader header;             // key = the chunk's id, parent key = the record type
    std::uint16_t payloadSize;      // at most 60000; in the first chunk colours included
    std::int16_t firstMark;         // 1 in the first chunk of the run, 0 in the others
    std::int16_t frame[4];          // left, top, right, bottom, repeated in every chunk
    std::int16_t hookPointCount;    // 0-16, read from the first chunk only
    std::int16_t hookPoints[16][2]; // x, y in the 0..600 box; beyond the count undefined
    std::uint16_t flags;            // PictureFlags
    std::int16_t colorCount;        // first chunk; 0 in the others
    std::uint8_t zero[12];
};
static_assert(sizeof(PictureChunk) == kChunkHeaderSize);
static_assert(offsetof(PictureChunk, payloadSize) == 16);
static_assert(offsetof(PictureChunk, firstMark) == 18);
static_assert(offsetof(PictureChunk, frame) == 20);
static_assert(offsetof(PictureChunk, hookPointCount) == 28);
static_assert(offsetof(PictureChunk, hookPoints) == 30);
static_assert(offsetof(PictureChunk, flags) == 94);
static_assert(offsetof(PictureChunk, colorCount) == 96);
static_assert(offsetof(PictureChunk, zero) == 98);
#pragma pack(pop)

// What the picture creators hand through AddObject to a new picture shape.
struct PictureSource {
    RECT frame;                        // the picture frame (metafile coordinates or bitmap size)
    INT32 colorCount;
    COLORREF colors[kMaxPictureColors];
    INT32 flags;                       // PictureFlags
    INT32 dataSize;                    // bytes of picture data
};

// Cuts `dataSize` bytes of the caller's block `data` (locked while copying, left unchanged)
// and the colour table into chunks of at most 60000 payload bytes under a run of free ids of
// `type`. The first id and the chunk count are returned also when a later chunk failed; the
// chunks written before the failure stay in the store. 0 or the store's error.
int StorePictureChunks(int slot, int type, HGLOBAL data, DWORD dataSize, const RECT* frame,
                       int* firstId, int* count, int colorCount, const COLORREF* colors,
                       int flags);

// Joins the run back into a new block (the caller's), without the colour table, which goes
// into `colors` when given (room for 256). 0; 1 when the block cannot be allocated; the error
// of LoadRecord; 3 for a damaged chunk and 11 for a run that cannot exist. Nothing partial is
// returned: on an error `data` is null. A run of no chunks (a picture without data) gives a
// block of no data and leaves the frame, colours and flags as they were.
int LoadPictureChunks(int slot, int type, int firstId, int count, HGLOBAL* data, RECT* frame,
                      int* colorCount, COLORREF* colors, int* flags, DWORD* dataSize);
