// Movable global memory for the native build: handles are 32-bit values indexing a table of
// blocks with lock counts, exact sizes and the discarded state, as Win32 keeps them.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VX_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VX_ASAN 1
#endif
#ifdef VX_ASAN
#include <sanitizer/asan_interface.h>
#define VX_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define VX_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define VX_POISON(p, n) ((void)(p), (void)(n))
#define VX_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

struct Block {
    unsigned char* data = nullptr;  // null while discarded
    SIZE_T size = 0;                // what GlobalSize reports
    SIZE_T capacity = 0;            // bytes allocated; above size only after an in-place shrink
    UINT lockCount = 0;
    bool discardable = false;
    bool discarded = false;
    bool inUse = false;
};

// Handle values start well above zero and step by 4, like Win32's, and stay below 2^32.
constexpr UINT_PTR kHandleBase = 0x00010000;
constexpr UINT_PTR kHandleStep = 4;
// A 32-bit process cannot hold a block of 2 GB; neither does this stand-in hand one out.
constexpr SIZE_T kLargestBlock = 0x7FFF0000;
// Freed table places wait this long before reuse, so a stale handle is refused rather
// than silently naming a newer block.
constexpr std::size_t kReuseDelay = 4096;

std::vector<Block> g_blocks;
std::deque<std::size_t> g_freePlaces;

HGLOBAL HandleOf(std::size_t index)
{
    return reinterpret_cast<HGLOBAL>(kHandleBase + index * kHandleStep);
}

Block* Lookup(HGLOBAL mem)
{
    UINT_PTR value = reinterpret_cast<UINT_PTR>(mem);
    if (value < kHandleBase || (value - kHandleBase) % kHandleStep != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    std::size_t index = (value - kHandleBase) / kHandleStep;
    if (index >= g_blocks.size() || !g_blocks[index].inUse) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return &g_blocks[index];
}

void ReleaseData(Block* block)
{
    if (block->data) {
        VX_UNPOISON(block->data, block->capacity);
        std::free(block->data);
    }
    block->data = nullptr;
    block->size = 0;
    block->capacity = 0;
}

// New storage of exactly `bytes` bytes, so that any access past the size is caught.
unsigned char* NewData(SIZE_T bytes, bool zero)
{
    unsigned char* data = static_cast<unsigned char*>(zero ? std::calloc(1, bytes) : std::malloc(bytes));
    if (!data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return data;
}

void AttachData(Block* block, unsigned char* data, SIZE_T bytes)
{
    block->data = data;
    block->size = bytes;
    block->capacity = bytes;
}

std::size_t IndexOf(const Block* block)
{
    return static_cast<std::size_t>(block - g_blocks.data());
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes)
{
    if (!(flags & GMEM_MOVEABLE) || (flags & GMEM_MODIFY)) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (bytes > kLargestBlock) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    unsigned char* data = nullptr;
    if (bytes > 0) {
        data = NewData(bytes, (flags & GMEM_ZEROINIT) != 0);
        if (!data) {
            return nullptr;
        }
    }
    std::size_t index;
    if (g_freePlaces.size() > kReuseDelay) {
        index = g_freePlaces.front();
        g_freePlaces.pop_front();
    } else {
        if (g_blocks.empty()) {
            g_blocks.reserve(1 << 16);  // a store's blocks, without copying the table as it grows
        }
        index = g_blocks.size();
        g_blocks.emplace_back();
    }
    Block* block = &g_blocks[index];
    *block = Block{};
    block->inUse = true;
    block->discardable = (flags & GMEM_DISCARDABLE) != 0;
    if (data) {
        AttachData(block, data, bytes);
    } else {
        block->discarded = true;  // a movable block of size 0 starts out discarded
    }
    return HandleOf(index);
}

HGLOBAL GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags)
{
    Block* block = Lookup(mem);
    if (!block) {
        return nullptr;
    }
    if (flags & GMEM_MODIFY) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (bytes > kLargestBlock) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    bool zero = (flags & GMEM_ZEROINIT) != 0;
    if (bytes == 0) {
        // Size 0 discards the block: the handle stays valid, its memory is gone.
        if (block->lockCount > 0 || !(flags & GMEM_MOVEABLE)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        ReleaseData(block);
        block->discarded = true;
        return mem;
    }
    if (block->discarded) {
        unsigned char* data = NewData(bytes, zero);
        if (!data) {
            return nullptr;
        }
        AttachData(block, data, bytes);
        block->discarded = false;
        return mem;
    }
    if (bytes == block->size) {
        return mem;
    }
    if (block->lockCount > 0 && !(flags & GMEM_MOVEABLE)) {
        // A locked block without GMEM_MOVEABLE may only change in place.
        if (bytes > block->capacity) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        if (bytes > block->size) {
            VX_UNPOISON(block->data + block->size, bytes - block->size);
            if (zero) {
                std::memset(block->data + block->size, 0, bytes - block->size);
            }
        } else {
            VX_POISON(block->data + bytes, block->size - bytes);
        }
        block->size = bytes;
        return mem;
    }
    // Otherwise the block always moves, so an address kept from before is caught as stale.
    unsigned char* data = NewData(bytes, false);
    if (!data) {
        return nullptr;
    }
    SIZE_T kept = bytes < block->size ? bytes : block->size;
    std::memcpy(data, block->data, kept);
    if (bytes > kept && zero) {
        std::memset(data + kept, 0, bytes - kept);
    }
    ReleaseData(block);
    AttachData(block, data, bytes);
    return mem;
}

LPVOID GlobalLock(HGLOBAL mem)
{
    Block* block = Lookup(mem);
    if (!block) {
        return nullptr;
    }
    if (block->discarded) {
        SetLastError(ERROR_DISCARDED);
        return nullptr;
    }
    if (block->lockCount < GMEM_LOCKCOUNT) {
        block->lockCount++;
    }
    return block->data;
}

BOOL GlobalUnlock(HGLOBAL mem)
{
    Block* block = Lookup(mem);
    if (!block) {
        return FALSE;
    }
    if (block->lockCount == 0) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    block->lockCount--;
    if (block->lockCount > 0) {
        return TRUE;
    }
    SetLastError(NO_ERROR);
    return FALSE;
}

SIZE_T GlobalSize(HGLOBAL mem)
{
    Block* block = Lookup(mem);
    return block ? block->size : 0;
}

UINT GlobalFlags(HGLOBAL mem)
{
    Block* block = Lookup(mem);
    if (!block) {
        return GMEM_INVALID_HANDLE;
    }
    UINT flags = block->lockCount;
    if (block->discardable) {
        flags |= GMEM_DISCARDABLE;
    }
    if (block->discarded) {
        flags |= GMEM_DISCARDED;
    }
    return flags;
}

HGLOBAL GlobalFree(HGLOBAL mem)
{
    if (!mem) {
        return nullptr;
    }
    Block* block = Lookup(mem);
    if (!block) {
        return mem;
    }
    std::size_t index = IndexOf(block);
    ReleaseData(block);
    *block = Block{};
    g_freePlaces.push_back(index);
    return nullptr;
}

HGLOBAL GlobalHandle(LPCVOID address)
{
    // Rare enough to search for: keeping an address map costs every allocation and free.
    auto it = std::find_if(g_blocks.begin(), g_blocks.end(),
                           [address](const Block& block) { return block.inUse && block.data == address; });
    if (it == g_blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return HandleOf(static_cast<std::size_t>(it - g_blocks.begin()));
}
