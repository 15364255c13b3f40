// The data record of a line array: loading it with its counts made sound.
#include "lines/array_record.h"

#include "model/drawing.h"
#include "store/results.h"
#include "store/store_records.h"

namespace {

// The record's own size, not the memory block's, which a system may round up.
LONG RecordSize(HGLOBAL block, const ArrayData* data)
{
    const LONG memory = static_cast<LONG>(GlobalSize(block));
    return data->header.size >= 0 && data->header.size < memory ? data->header.size : memory;
}

}  // namespace

int LoadArrayData(int storeSlot, const DrawObject* array, HGLOBAL* block)
{
    *block = nullptr;
    HGLOBAL loaded = nullptr;
    if (int err = LoadRecord(storeSlot, array->dataType, array->dataId, &loaded))
        return err;
    Locked<ArrayData> data(loaded);
    if (!data) {
        ReleaseBlock(loaded);
        return ErrOutOfMemory;
    }
    const LONG size = RecordSize(loaded, data.get());
    if (size < kArrayHeadSize) {
        ReleaseBlock(loaded);
        return StoreMemoryTooSmall;
    }
    const int room = (size - kArrayHeadSize) / kArrayEntrySize;
    const int memberRoom = size >= kArrayBaseSize ? (size - kArrayBaseSize) / kArrayEntrySize : 0;
    ArrayData& d = *data;
    if (d.memberCount < 0) d.memberCount = 0;
    if (d.memberCount > memberRoom) d.memberCount = memberRoom;
    if (d.entryCount < d.memberCount) d.entryCount = d.memberCount;
    if (d.entryCount > d.memberCount + 3) d.entryCount = d.memberCount + 3;
    if (d.entryCount > room) d.entryCount = room;
    if (d.branchLength < 0) d.branchLength = 0;
    if (d.gap < 0) d.gap = 0;
    *block = loaded;
    return 0;
}

int ArrayEntryCapacity(HGLOBAL block)
{
    Locked<ArrayData> data(block);
    if (!data)
        return 0;
    const LONG size = RecordSize(block, data.get());
    return size < kArrayHeadSize ? 0 : (size - kArrayHeadSize) / kArrayEntrySize;
}
