// The path record of an elbow connector: loading, a sound copy of what is stored, writing back.
#include "lines/connector_record.h"

#include <cstring>

#include "store/results.h"
#include "store/store_records.h"

int SoundConnectorSide(int side)
{
    return side == SideTop || side == SideBottom || side == SideLeft || side == SideRight ? side : SideNone;
}

int LoadConnectorPath(int storeSlot, const DrawObject* connector, HGLOBAL* block)
{
    *block = nullptr;
    HGLOBAL loaded = nullptr;
    if (int err = LoadRecord(storeSlot, connector->dataType, connector->dataId, &loaded))
        return err;
    // The record's own size, not the memory block's, which a system may round up.
    SIZE_T size = GlobalSize(loaded);
    if (const auto* header = static_cast<const BlockHeader*>(GlobalLock(loaded))) {
        if (header->size >= 0 && static_cast<SIZE_T>(header->size) < size)
            size = static_cast<SIZE_T>(header->size);
        GlobalUnlock(loaded);
    }
    if (size < sizeof(ConnectorSegmentBlock)) {
        ReleaseBlock(loaded);
        return StoreMemoryTooSmall;
    }
    *block = loaded;
    return 0;
}

ConnectorSegmentBlock ReadConnectorPath(HGLOBAL block)
{
    ConnectorSegmentBlock path = {};
    if (const void* bytes = GlobalLock(block)) {
        std::memcpy(&path, bytes, sizeof path);
        GlobalUnlock(block);
    }
    if (path.segmentCount < 1) path.segmentCount = 1;
    if (path.segmentCount > kConnectorMaxSegments) path.segmentCount = kConnectorMaxSegments;
    path.startSide = SoundConnectorSide(path.startSide);
    path.endSide = SoundConnectorSide(path.endSide);
    return path;
}

int WriteConnectorPath(HGLOBAL block, const ConnectorSegmentBlock& path)
{
    if (int err = BeginRecordChange(block))
        return err;
    BYTE* bytes = static_cast<BYTE*>(GlobalLock(block));
    if (!bytes)
        return CheckAlloc(bytes);
    // The store's header stays the block's own.
    std::memcpy(bytes + kBlockHeaderSize, reinterpret_cast<const BYTE*>(&path) + kBlockHeaderSize,
                sizeof path - kBlockHeaderSize);
    GlobalUnlock(block);
    return MarkBlockDirty(block);
}
