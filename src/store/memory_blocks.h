// Movable memory blocks: the discarded test, whole-block copies, a scoped lock, and the exact
// conversion between a block handle and the 32-bit handle fields of stored records.
#pragma once

#include <windows.h>

// True when the system reports the block's memory as discarded.
BOOL IsHandleDiscarded(HGLOBAL handle);

// Copies the whole source block (its size as the system reports it) into the start of the
// destination. 25 and nothing copied when the destination is smaller; 10004 when a lock fails.
int CopyGlobalContents(HGLOBAL destination, HGLOBAL source);

// Handles are 32-bit values on Win32 (and in the native stand-in), so they round-trip exactly
// through the u32 handle fields of index entries and the block map.
inline DWORD HandleToField(HGLOBAL handle)
{
    return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(handle));
}

inline HGLOBAL FieldToHandle(DWORD field)
{
    return reinterpret_cast<HGLOBAL>(static_cast<UINT_PTR>(field));
}

// Locks a block for the lifetime of the guard (or until Unlock); a failed lock gives null.
class BlockLock {
public:
    explicit BlockLock(HGLOBAL block)
        : block_(block), data_(block ? static_cast<BYTE*>(GlobalLock(block)) : nullptr)
    {
    }
    ~BlockLock() { Unlock(); }
    BlockLock(const BlockLock&) = delete;
    BlockLock& operator=(const BlockLock&) = delete;

    BYTE* get() const { return data_; }
    explicit operator bool() const { return data_ != nullptr; }
    void Unlock()
    {
        if (data_) {
            GlobalUnlock(block_);
            data_ = nullptr;
        }
    }

private:
    HGLOBAL block_;
    BYTE* data_;
};
