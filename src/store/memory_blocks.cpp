// The discarded test and whole-block copies of movable memory blocks.
#include "store/memory_blocks.h"

#include <cstring>

#include "store/results.h"

BOOL IsHandleDiscarded(HGLOBAL handle)
{
    return (GlobalFlags(handle) & GMEM_DISCARDED) != 0;
}

int CopyGlobalContents(HGLOBAL destination, HGLOBAL source)
{
    SIZE_T bytes = GlobalSize(source);
    if (bytes == 0) {
        return 0;
    }
    if (GlobalSize(destination) < bytes) {
        return StoreMemoryTooSmall;
    }
    BlockLock from(source);
    BlockLock to(destination);
    if (!from || !to) {
        return ErrOutOfMemory;
    }
    std::memcpy(to.get(), from.get(), bytes);
    return 0;
}
