// Recording drawing into a memory metafile and reading its records back, for tests that check
// which calls were made with which coordinates.
#pragma once

#include <windows.h>

#include <cstring>
#include <vector>

struct MetaRecord {
    WORD function;
    std::vector<short> params;
};

// A metafile DC to draw into; Records() closes it and returns what was recorded.
class MetaRecorder {
public:
    MetaRecorder() : dc_(CreateMetaFileA(nullptr)) {}
    ~MetaRecorder()
    {
        if (dc_)
            DeleteMetaFile(CloseMetaFile(dc_));
    }
    HDC dc() const { return dc_; }

    std::vector<MetaRecord> Records()
    {
        std::vector<MetaRecord> out;
        HMETAFILE mf = CloseMetaFile(dc_);
        dc_ = nullptr;
        const UINT size = GetMetaFileBitsEx(mf, 0, nullptr);
        std::vector<BYTE> bits(size);
        GetMetaFileBitsEx(mf, size, bits.data());
        DeleteMetaFile(mf);
        for (UINT at = 18; at + 6 <= size;) {
            DWORD words;
            WORD function;
            std::memcpy(&words, &bits[at], 4);
            std::memcpy(&function, &bits[at + 4], 2);
            if (words < 3 || function == 0)
                break;
            MetaRecord r{function, {}};
            for (DWORD i = 3; i < words; ++i) {
                short v;
                std::memcpy(&v, &bits[at + 2 * i], 2);
                r.params.push_back(v);
            }
            out.push_back(r);
            at += words * 2;
        }
        return out;
    }

private:
    HDC dc_;
};

inline std::vector<MetaRecord> OfFunction(const std::vector<MetaRecord>& records, WORD function)
{
    std::vector<MetaRecord> out;
    for (const MetaRecord& r : records) {
        if (r.function == function)
            out.push_back(r);
    }
    return out;
}

// Metafile bits in a movable block, as the store hands them to playback.
inline HGLOBAL BitsBlock(const std::vector<BYTE>& bits)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bits.size());
    std::memcpy(GlobalLock(block), bits.data(), bits.size());
    GlobalUnlock(block);
    return block;
}

// Bits of a metafile recorded by `draw`.
template <typename Draw>
std::vector<BYTE> RecordBits(Draw draw)
{
    HDC dc = CreateMetaFileA(nullptr);
    draw(dc);
    HMETAFILE mf = CloseMetaFile(dc);
    const UINT size = GetMetaFileBitsEx(mf, 0, nullptr);
    std::vector<BYTE> bits(size);
    GetMetaFileBitsEx(mf, size, bits.data());
    DeleteMetaFile(mf);
    return bits;
}

// Metafile bits built by hand: the standard header, the records (each its size in words,
// function and parameters), the end record.
inline std::vector<BYTE> Handmade(const std::vector<std::vector<WORD>>& records)
{
    std::vector<WORD> words = {1, 9, 0x300, 0, 0, 0, 0, 0, 0};
    for (const auto& r : records)
        words.insert(words.end(), r.begin(), r.end());
    words.insert(words.end(), {3, 0, 0});
    const DWORD total = static_cast<DWORD>(words.size());
    words[3] = LOWORD(total);
    words[4] = HIWORD(total);
    words[7] = 30;
    std::vector<BYTE> bytes(words.size() * 2);
    std::memcpy(bytes.data(), words.data(), bytes.size());
    return bytes;
}
