// Little-endian fields of one record: taken from the data of a record read only where they lie
// inside its length (a field a short record lacks leaves its destination as it was), and laid
// out into the data of a record being written.
#pragma once

#include <windows.h>

#include <cstring>
#include <vector>

#include "documents/record_stream.h"
#include "store/store_format.h"

class RecordFields {
public:
    RecordFields(const BYTE* data, DWORD length) : data_(data), length_(data ? length : 0) {}
    // The record last read.
    static RecordFields Current() { return RecordFields(RecordData(), RecordLength()); }

    DWORD Length() const { return length_; }
    const BYTE* Data() const { return data_; }
    bool Has(DWORD offset, DWORD size) const { return offset <= length_ && size <= length_ - offset; }

    bool I16(DWORD offset, INT32* out) const
    {
        if (!Has(offset, 2)) return false;
        INT16 v;
        std::memcpy(&v, data_ + offset, 2);
        *out = v;
        return true;
    }
    bool U16(DWORD offset, INT32* out) const
    {
        if (!Has(offset, 2)) return false;
        WORD v;
        std::memcpy(&v, data_ + offset, 2);
        *out = v;
        return true;
    }
    bool U16(DWORD offset, DWORD* out) const
    {
        INT32 v;
        if (!U16(offset, &v)) return false;
        *out = static_cast<DWORD>(v);
        return true;
    }
    bool U32(DWORD offset, DWORD* out) const
    {
        if (!Has(offset, 4)) return false;
        std::memcpy(out, data_ + offset, 4);
        return true;
    }
    bool F64(DWORD offset, double* out) const
    {
        if (!Has(offset, 8)) return false;
        std::memcpy(out, data_ + offset, 8);
        return true;
    }
    // An i16 coordinate rescaled from the file's resolution.
    bool Scaled(DWORD offset, INT32* out) const
    {
        INT32 v;
        if (!I16(offset, &v)) return false;
        *out = ScaleFromFileUnits(v, g_fileResolution);
        return true;
    }
    // A width: rescaled, and a non-zero width that rescales to 0 becomes 1.
    bool Width(DWORD offset, INT32* out) const
    {
        INT32 v;
        if (!I16(offset, &v)) return false;
        INT32 scaled = ScaleFromFileUnits(v, g_fileResolution);
        *out = (v != 0 && scaled == 0) ? 1 : scaled;
        return true;
    }
    // Four rescaled i16: left, top, right, bottom, each only where it lies inside the record.
    void Rect(DWORD offset, RECT* out) const
    {
        INT32 v;
        if (Scaled(offset, &v)) out->left = v;
        if (Scaled(offset + 2, &v)) out->top = v;
        if (Scaled(offset + 4, &v)) out->right = v;
        if (Scaled(offset + 6, &v)) out->bottom = v;
    }

private:
    const BYTE* data_;
    DWORD length_;
};

// The data of a record being written, in the order its fields lie.
class RecordBuilder {
public:
    explicit RecordBuilder(size_t reserve = 64) { bytes_.reserve(reserve); }
    RecordBuilder& I16(INT32 v) { return Raw(static_cast<INT16>(v)); }
    RecordBuilder& U16(DWORD v) { return Raw(static_cast<WORD>(v)); }
    RecordBuilder& U32(DWORD v) { return Raw(v); }
    RecordBuilder& F64(double v) { return Raw(v); }
    RecordBuilder& Rect(const RECT& r) { return I16(r.left).I16(r.top).I16(r.right).I16(r.bottom); }
    RecordBuilder& Bytes(const void* data, size_t n)
    {
        const BYTE* b = static_cast<const BYTE*>(data);
        bytes_.insert(bytes_.end(), b, b + n);
        return *this;
    }
    DWORD Size() const { return static_cast<DWORD>(bytes_.size()); }
    const BYTE* Data() const { return bytes_.data(); }
    std::vector<BYTE>& Vector() { return bytes_; }
    int Write(HFILE file, WORD opcode) const { return WriteRecord(file, opcode, Size(), bytes_.data()); }

private:
    template <typename T>
    RecordBuilder& Raw(T v)
    {
        return Bytes(&v, sizeof v);
    }
    std::vector<BYTE> bytes_;
};

// The size of a locked store record: the smaller of its header's and its memory block's (a
// system may round the memory up).
inline LONG StoredRecordSize(HGLOBAL block, const BYTE* data)
{
    LONG memory = static_cast<LONG>(GlobalSize(block));
    LONG own = reinterpret_cast<const BlockHeader*>(data)->size;
    return own >= 0 && own < memory ? own : memory;
}

// The end marker of `opcode`'s block, written as a bare record.
inline int WriteBlockEnd(HFILE file, WORD opcode) { return WriteRecord(file, BlockEndOpcode(opcode), 0, nullptr); }
