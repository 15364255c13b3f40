// Storing picture data as a run of PictureChunk records and joining a run back into one block.
#include "shapes/picture_chunks.h"

#include <algorithm>
#include <cstring>

#include "store/memory_blocks.h"
#include "store/results.h"
#include "store/store_records.h"

namespace {

constexpr DWORD kJoinRoomPerChunk = 65000;

// Writes chunk `index` of a run into its freshly added record.
void FillChunk(PictureChunk* chunk, int index, DWORD piece, const RECT* frame, int flags,
               int colorCount, const COLORREF* colors, const BYTE* data)
{
    BYTE* payload = reinterpret_cast<BYTE*>(chunk) + kChunkHeaderSize;
    chunk->payloadSize = static_cast<std::uint16_t>(piece);
    chunk->firstMark = index == 0 ? 1 : 0;
    chunk->frame[0] = static_cast<std::int16_t>(frame->left);
    chunk->frame[1] = static_cast<std::int16_t>(frame->top);
    chunk->frame[2] = static_cast<std::int16_t>(frame->right);
    chunk->frame[3] = static_cast<std::int16_t>(frame->bottom);
    chunk->hookPointCount = 0;
    // A new record's memory holds whatever was there before: nothing of it reaches the file.
    std::memset(chunk->hookPoints, 0, sizeof chunk->hookPoints);
    chunk->flags = static_cast<std::uint16_t>(flags);
    std::memset(chunk->zero, 0, sizeof chunk->zero);
    if (index == 0) {
        const DWORD colorBytes = 4 * static_cast<DWORD>(colorCount);
        chunk->colorCount = static_cast<std::int16_t>(colorCount);
        if (colorBytes)
            std::memcpy(payload, colors, colorBytes);
        std::memcpy(payload + colorBytes, data, piece - colorBytes);
    } else {
        chunk->colorCount = 0;
        std::memcpy(payload, data, piece);
    }
}

} // namespace

int StorePictureChunks(int slot, int type, HGLOBAL data, DWORD dataSize, const RECT* frame,
                       int* firstId, int* count, int colorCount, const COLORREF* colors,
                       int flags)
{
    const DWORD colorBytes = 4 * static_cast<DWORD>(colorCount);
    const DWORD total = dataSize + colorBytes;
    const DWORD n = total / kMaxChunkPayload + (total % kMaxChunkPayload ? 1 : 0);
    int first = 0;
    if (int result = NextFreeRecordIdRun(slot, type, static_cast<int>(n), &first))
        return result;
    *firstId = first;
    *count = static_cast<int>(n);

    BlockLock source(data);
    if (dataSize && !source)
        return ErrOutOfMemory;
    const BYTE* next = source.get();
    DWORD remaining = total;
    for (DWORD i = 0; i < n; ++i) {
        const DWORD piece = std::min<DWORD>(kMaxChunkPayload, remaining);
        HGLOBAL block = nullptr;
        if (int result = AddRecord(slot, type, first + static_cast<int>(i),
                                   piece + kChunkHeaderSize, &block))
            return result;
        {
            BlockLock target(block);
            if (!target)
                return ErrOutOfMemory;
            FillChunk(reinterpret_cast<PictureChunk*>(target.get()), static_cast<int>(i), piece,
                      frame, flags, colorCount, colors, next);
        }
        next += i == 0 ? piece - colorBytes : piece;
        remaining -= piece;
        MarkBlockDirty(block);
        ReleaseBlock(block);
    }
    return 0;
}

namespace {

// Appends one loaded chunk to the joined data, checking everything it says against the record
// that holds it. Only chunk 0 (by position) gives the frame, colours and flags.
int JoinChunk(HGLOBAL record, int index, BYTE* joined, DWORD* size, RECT* frame,
              int* colorCount, COLORREF* colors, int* flags)
{
    LONG recordSize = 0;
    if (GetBlockSizeChecked(record, &recordSize) || recordSize < kChunkHeaderSize ||
        static_cast<SIZE_T>(recordSize) > GlobalSize(record))
        return StoreSizeMismatch;
    BlockLock lock(record);
    if (!lock)
        return ErrOutOfMemory;
    const auto* chunk = reinterpret_cast<const PictureChunk*>(lock.get());
    const DWORD payload = chunk->payloadSize;
    if (payload > kMaxChunkPayload || payload > static_cast<DWORD>(recordSize - kChunkHeaderSize))
        return StoreSizeMismatch;
    const BYTE* bytes = lock.get() + kChunkHeaderSize;
    DWORD skip = 0;
    if (index == 0) {
        const int colorsHere = chunk->colorCount;
        if (colorsHere < 0 || colorsHere > kMaxPictureColors ||
            4 * static_cast<DWORD>(colorsHere) > payload)
            return StoreSizeMismatch;
        skip = 4 * static_cast<DWORD>(colorsHere);
        *frame = RECT{chunk->frame[0], chunk->frame[1], chunk->frame[2], chunk->frame[3]};
        *colorCount = colorsHere;
        if (colors && colorsHere)
            std::memcpy(colors, bytes, skip);
        *flags = chunk->flags;
    }
    // Every chunk adds at most 60000 bytes to room for 65000 per chunk, so the joined size can
    // neither overflow nor pass the end of the joined block.
    std::memcpy(joined + *size, bytes + skip, payload - skip);
    *size += payload - skip;
    return 0;
}

} // namespace

int LoadPictureChunks(int slot, int type, int firstId, int count, HGLOBAL* data, RECT* frame,
                      int* colorCount, COLORREF* colors, int* flags, DWORD* dataSize)
{
    *data = nullptr;
    *dataSize = 0;
    // The run comes from a stored object: ids are 0..32767, so a run that leaves that range
    // cannot exist. A picture without data has a run of no chunks and joins to no bytes.
    if (count < 0 || (count > 0 && (firstId < 0 || firstId > 32767 || count > 32768 - firstId)))
        return StoreKeyMissing;
    HGLOBAL joined = GlobalAlloc(GMEM_MOVEABLE, std::max<DWORD>(static_cast<DWORD>(count) * kJoinRoomPerChunk, 1));
    if (!joined)
        return 1;
    int result = 0;
    DWORD size = 0;
    {
        BlockLock target(joined);
        if (!target)
            result = ErrOutOfMemory;
        for (int i = 0; i < count && result == 0; ++i) {
            HGLOBAL record = nullptr;
            result = LoadRecord(slot, type, firstId + i, &record);
            if (result == 0) {
                result = JoinChunk(record, i, target.get(), &size, frame, colorCount, colors,
                                   flags);
                ReleaseBlock(record);
            }
        }
    }
    if (result) {
        GlobalFree(joined);
        return result;
    }
    // Shrinking cannot fail; a picture without data keeps one byte so the block stays live.
    if (HGLOBAL shrunk = GlobalReAlloc(joined, std::max<DWORD>(size, 1), GMEM_MOVEABLE))
        joined = shrunk;
    *data = joined;
    *dataSize = size;
    return 0;
}
