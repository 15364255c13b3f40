// Geometry and picture records of an object block.
#include "documents/geometry_records.h"

#include <algorithm>
#include <cstring>

#include "documents/document_state.h"
#include "documents/drawing_block.h"
#include "documents/object_records.h"
#include "documents/record_fields.h"
#include "lines/array_record.h"
#include "lines/connector_record.h"
#include "model/drawing.h"
#include "shapes/custom_outline.h"
#include "shapes/picture_chunks.h"
#include "store/memory_blocks.h"
#include "store/results.h"
#include "store/store_records.h"

namespace {

constexpr DWORD kOutlineRecordHeadSize = 8;
constexpr DWORD kArrayRecordHeadSize = 14;

// Adds a record of `type` and `size` bytes under a fresh id, its payload zeroed.
int AddFreshRecord(int slot, int type, DWORD size, int* id, HGLOBAL* block)
{
    if (int err = NextFreeRecordId(slot, type, id)) return err;
    if (int err = AddRecord(slot, type, *id, size, block)) return err;
    BlockLock lock(*block);
    if (!lock) {
        ReleaseBlock(*block);
        return ErrOutOfMemory;
    }
    std::memset(lock.get() + kBlockHeaderSize, 0, size - kBlockHeaderSize);
    return 0;
}

int FinishRecord(HGLOBAL block, int result)
{
    int marked = MarkBlockDirty(block);
    ReleaseBlock(block);
    return result ? result : marked;
}

// Reads the records of a block up to its end marker, handing `wanted` records to `take`.
template <typename Take>
int ReadBlockRecords(HFILE file, WORD opening, WORD wanted, Take take)
{
    for (;;) {
        WORD opcode = 0;
        DWORD length = 0;
        if (int err = ReadRecord(file, &opcode, &length)) return err;
        if (opcode == BlockEndOpcode(opening)) return 0;
        if (opcode == wanted) {
            take(RecordFields::Current());
        } else if (opcode & kRecordBlock) {
            if (int err = SkipBlock(file, BlockEndOpcode(opcode))) return err;
        }
    }
}

}  // namespace

int ReadConnectorPathRecord(DocumentState* state, DrawObject* object)
{
    RecordFields f = RecordFields::Current();
    int id = 0;
    HGLOBAL block = nullptr;
    if (int err = AddFreshRecord(state->storeSlot, kConnectorRecordType, sizeof(ConnectorSegmentBlock), &id, &block))
        return err;
    {
        Locked<ConnectorSegmentBlock> path(block);
        path->segmentCount = 1;
        f.I16(2, &path->startSide);
        f.I16(4, &path->endSide);
        f.I16(6, &path->segmentCount);
        path->segmentCount = std::clamp(path->segmentCount, 1, kConnectorMaxSegments);
        for (int i = 0; i < kConnectorMaxSegments; ++i) {
            ConnectorSegment& s = path->segments[i];
            f.Scaled(8 + 8 * i, &s.x1);
            f.Scaled(10 + 8 * i, &s.y1);
            f.Scaled(12 + 8 * i, &s.x2);
            f.Scaled(14 + 8 * i, &s.y2);
            f.Scaled(48 + 2 * i, &path->preferred[i]);
        }
    }
    object->dataType = kConnectorRecordType;
    object->dataId = id;
    object->dataCount = 1;
    return FinishRecord(block, 0);
}

int ReadPolygonPoints(HFILE file, HWND, DocumentState* state, DrawObject* object)
{
    RecordFields f = RecordFields::Current();
    INT32 vertices = 0, width = 0, height = 0;
    f.I16(2, &vertices);
    f.Scaled(4, &width);
    f.Scaled(6, &height);
    if (vertices < 0) vertices = 0;
    int id = 0;
    HGLOBAL block = nullptr;
    DWORD size = sizeof(OutlinePointBlock) + sizeof(OutlineVertex) * vertices;
    if (int err = AddFreshRecord(state->storeSlot, kOutlineRecordType, size, &id, &block)) return err;
    object->dataType = kOutlineRecordType;
    object->dataId = id;
    object->dataCount = 1;
    int result = 0;
    {
        Locked<OutlinePointBlock> outline(block);
        outline->designWidth = width;
        outline->designHeight = height;
        outline->count = 0;
        auto* table = reinterpret_cast<OutlineVertex*>(outline.get() + 1);
        result = ReadBlockRecords(file, kOpOutline, kOpOutlineVertex, [&](const RecordFields& v) {
            if (outline->count >= vertices) return;   // more vertices than the header made room for
            OutlineVertex& vertex = table[outline->count++];
            v.I16(0, &vertex.pieceClass);
            v.I16(2, &vertex.orientation);
            v.I16(4, &vertex.lineShape);
            v.F64(6, &vertex.param);
            v.Scaled(14, &vertex.x);
            v.Scaled(16, &vertex.y);
        });
    }
    return FinishRecord(block, result);
}

int ReadArrayLayoutBlock(HFILE file, HWND, DocumentState* state, DrawObject* object)
{
    RecordFields f = RecordFields::Current();
    INT32 members = 0, inUse = 0;
    f.I16(10, &members);
    f.I16(12, &inUse);
    members = std::max(members, 0);
    inUse = std::clamp(inUse, 0, members + 3);
    int id = 0;
    HGLOBAL block = nullptr;
    if (int err = AddFreshRecord(state->storeSlot, kArrayRecordType, ArrayRecordSize(members), &id, &block))
        return err;
    object->dataType = kArrayRecordType;
    object->dataId = id;
    object->dataCount = 1;
    int result = 0;
    {
        Locked<ArrayData> data(block);
        f.U16(2, &data->style);
        f.I16(4, &data->branchAngle);
        f.Scaled(6, &data->branchLength);
        f.Scaled(8, &data->gap);
        data->memberCount = members;
        data->entryCount = inUse;
        const int room = std::max(inUse, 3);
        int filled = 0;
        result = ReadBlockRecords(file, kOpArrayLayout, kOpArrayEntry, [&](const RecordFields& e) {
            if (filled >= room) return;
            ArrayEntry& entry = (*data)[filled++];
            e.Rect(0, &entry.segment);
            INT32 member = kNoMember;
            e.U16(8, &member);
            entry.memberId = MapReadObjectId(static_cast<WORD>(member));
            e.I16(10, &entry.memberRow);
            e.Scaled(12, &entry.extent);
        });
    }
    return FinishRecord(block, result);
}

void KeepPictureHeader(PendingPicture* header)
{
    DWORD n = std::min<DWORD>(RecordLength(), kPictureHeaderKept);
    std::memset(header->bytes, 0, sizeof header->bytes);
    if (n) std::memcpy(header->bytes, RecordData(), n);
    header->length = n;
    header->pending = TRUE;
}

int ReadPictureData(DocumentState* state, DWORD length, WORD opcode, DrawObject* object, PendingPicture* header)
{
    if (!header->pending) return 0;   // data without its header
    RecordFields h(header->bytes, header->length);
    RECT frame = {};
    h.Rect(0, &frame);
    INT32 points = 0, flags = 0, colors = 0;
    h.I16(8, &points);
    h.I16(74, &flags);
    h.I16(76, &colors);
    points = std::clamp(points, 0, kMaxPictureHookPoints);
    const INT32 colorRoom = header->length > kPictureHeaderBaseSize
                                ? static_cast<INT32>((header->length - kPictureHeaderBaseSize) / 4) : 0;
    colors = std::clamp(colors, 0, std::min(kMaxPictureColors, colorRoom));
    COLORREF table[kMaxPictureColors] = {};
    if (colors) std::memcpy(table, header->bytes + kPictureHeaderBaseSize, 4 * colors);

    const int type = opcode == kOpBitmapData ? kBitmapChunkType : kMetafileChunkType;
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, length ? length : 1);
    if (!data) return ErrOutOfMemory;
    if (length) {
        BlockLock lock(data);
        if (!lock) {
            GlobalFree(data);
            return ErrOutOfMemory;
        }
        std::memcpy(lock.get(), RecordData(), length);
    }
    int firstId = -1, count = 0;
    int result = StorePictureChunks(state->storeSlot, type, data, length, &frame, &firstId, &count, colors, table, flags);
    GlobalFree(data);
    if (result) return result;
    object->dataType = type;
    object->dataId = firstId;
    object->dataCount = count;
    header->pending = FALSE;
    // A picture without data has no chunk to keep its connection points in.
    if (count == 0) return 0;

    HGLOBAL first = nullptr;
    if (int err = LoadRecord(state->storeSlot, type, firstId, &first)) return err;
    {
        Locked<PictureChunk> chunk(first);
        chunk->hookPointCount = static_cast<std::int16_t>(points);
        for (int i = 0; i < points; ++i) {
            INT32 x = 0, y = 0;
            h.I16(10 + 4 * i, &x);
            h.I16(12 + 4 * i, &y);
            chunk->hookPoints[i][0] = static_cast<std::int16_t>(x);
            chunk->hookPoints[i][1] = static_cast<std::int16_t>(y);
        }
    }
    return FinishRecord(first, 0);
}

int WriteConnectorPathRecord(HFILE file, DocumentState* state, const DrawObject* object)
{
    HGLOBAL block = nullptr;
    if (int err = LoadConnectorPath(state->storeSlot, object, &block)) return err;
    ConnectorSegmentBlock path = ReadConnectorPath(block);
    ReleaseBlock(block);
    RecordBuilder r(kConnectorPathRecordSize);
    r.I16(object->dataId).I16(path.startSide).I16(path.endSide).I16(path.segmentCount);
    for (const ConnectorSegment& s : path.segments) r.I16(s.x1).I16(s.y1).I16(s.x2).I16(s.y2);
    for (INT32 length : path.preferred) r.I16(length);
    return r.Write(file, kOpConnectorPath);
}

int WritePolygonPoints(HFILE file, DocumentState* state, const DrawObject* object)
{
    HGLOBAL block = nullptr;
    if (int err = LoadRecord(state->storeSlot, object->dataType, object->dataId, &block)) return err;
    int result = 0;
    {
        BlockLock lock(block);
        if (!lock) {
            ReleaseBlock(block);
            return ErrOutOfMemory;
        }
        const auto* outline = reinterpret_cast<const OutlinePointBlock*>(lock.get());
        const int count = UsableOutlineVertices(outline, static_cast<SIZE_T>(StoredRecordSize(block, lock.get())));
        const auto* table = reinterpret_cast<const OutlineVertex*>(outline + 1);
        RecordBuilder head(kOutlineRecordHeadSize);
        head.I16(object->dataId).I16(count).I16(outline->designWidth).I16(outline->designHeight);
        result = head.Write(file, kOpOutline);
        for (int i = 0; i < count && !result; ++i) {
            RecordBuilder v(18);
            v.I16(table[i].pieceClass).I16(table[i].orientation).I16(table[i].lineShape).F64(table[i].param);
            v.I16(table[i].x).I16(table[i].y);
            result = v.Write(file, kOpOutlineVertex);
        }
    }
    ReleaseBlock(block);
    return result ? result : WriteBlockEnd(file, kOpOutline);
}

int WriteArrayLayoutBlock(HFILE file, DocumentState* state, const DrawObject* object)
{
    HGLOBAL block = nullptr;
    if (int err = LoadArrayData(state->storeSlot, object, &block)) return err;
    const int capacity = ArrayEntryCapacity(block);
    int result = 0;
    {
        Locked<ArrayData> data(block);
        RecordBuilder head(kArrayRecordHeadSize);
        head.I16(object->dataId).U16(data->style).I16(data->branchAngle).I16(data->branchLength).I16(data->gap);
        head.I16(data->memberCount).I16(data->entryCount);
        result = head.Write(file, kOpArrayLayout);
        const int entries = std::min(std::max(data->entryCount, 3), capacity);
        for (int i = 0; i < entries && !result; ++i) {
            const ArrayEntry& entry = (*data)[i];
            WORD member = entry.memberId == kNoMember ? WORD(kNoMember) : MapWrittenObjectId(static_cast<WORD>(entry.memberId));
            RecordBuilder e(14);
            e.Rect(entry.segment).U16(member).I16(entry.memberRow).I16(entry.extent);
            result = e.Write(file, kOpArrayEntry);
        }
    }
    ReleaseBlock(block);
    return result ? result : WriteBlockEnd(file, kOpArrayLayout);
}

int WritePictureRecords(HFILE file, DocumentState* state, const DrawObject* object)
{
    if (object->dataCount == 0) return 0;
    const int slot = state->storeSlot;
    HGLOBAL data = nullptr;
    RECT frame = {};
    int colors = 0, flags = 0;
    COLORREF table[kMaxPictureColors] = {};
    DWORD size = 0;
    if (int err = LoadPictureChunks(slot, object->dataType, object->dataId, object->dataCount, &data, &frame,
                                    &colors, table, &flags, &size))
        return err;
    colors = std::clamp(colors, 0, kMaxPictureColors);

    RecordBuilder head(kPictureHeaderBaseSize + 4 * colors);
    head.Rect(frame);
    HGLOBAL first = nullptr;
    int result = LoadRecord(slot, object->dataType, object->dataId, &first);
    if (!result) {
        Locked<PictureChunk> chunk(first);
        const int points = std::clamp<int>(chunk->hookPointCount, 0, kMaxPictureHookPoints);
        head.I16(points);
        for (int i = 0; i < kMaxPictureHookPoints; ++i) head.I16(chunk->hookPoints[i][0]).I16(chunk->hookPoints[i][1]);
        chunk.Unlock();
        ReleaseBlock(first);
        head.I16(flags).I16(colors).Bytes(table, 4 * colors);
        result = head.Write(file, kOpPictureHeader);
    }
    if (!result) {
        BlockLock bytes(data);
        result = size && !bytes ? ErrOutOfMemory
                                : WriteRecord(file, object->dataType == kBitmapChunkType ? kOpBitmapData : kOpMetafileData,
                                              size, bytes.get());
    }
    GlobalFree(data);
    return result;
}
