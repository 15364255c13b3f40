// Bytes of a header or a picture, from memory or from a file.
#include "imaging/byte_source.h"

#include <cstring>

#include "imaging/imaging.h"
#include "store/file_ops.h"

bool ByteSource::U16(std::uint32_t offset, bool bigEndian, std::uint16_t* value)
{
    std::uint8_t b[2];
    if (!Read(offset, b, 2)) return false;
    *value = bigEndian ? static_cast<std::uint16_t>(b[0] << 8 | b[1]) : static_cast<std::uint16_t>(b[1] << 8 | b[0]);
    return true;
}

bool ByteSource::U32(std::uint32_t offset, bool bigEndian, std::uint32_t* value)
{
    std::uint8_t b[4];
    if (!Read(offset, b, 4)) return false;
    *value = bigEndian ? (std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3])
                       : (std::uint32_t{b[3]} << 24 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[1]} << 8 | b[0]);
    return true;
}

bool MemorySource::Read(std::uint32_t offset, void* buffer, std::uint32_t count)
{
    if (offset > size_ || count > size_ - offset) return false;
    if (count) std::memcpy(buffer, data_ + offset, count);
    return true;
}

FileSource::FileSource(LPCSTR path)
{
    OFSTRUCT unused;
    file_ = OpenFileMode(path, &unused, OF_READ);
    if (file_ == HFILE_ERROR) return;
    LONG end = _llseek(file_, 0, FILE_END);
    if (end == HFILE_ERROR || end < 0) {
        _lclose(file_);
        file_ = HFILE_ERROR;
        return;
    }
    size_ = static_cast<std::uint32_t>(end);
}

FileSource::~FileSource()
{
    if (file_ != HFILE_ERROR) _lclose(file_);
}

bool FileSource::Read(std::uint32_t offset, void* buffer, std::uint32_t count)
{
    if (file_ == HFILE_ERROR || offset > size_ || count > size_ - offset) return false;
    if (_llseek(file_, static_cast<LONG>(offset), FILE_BEGIN) != static_cast<LONG>(offset)) return false;
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (count > 0) {
        const UINT piece = count > 0x8000 ? 0x8000 : count;
        const UINT got = _lread(file_, out, piece);
        if (got != piece) return false;
        out += piece;
        count -= piece;
    }
    return true;
}

bool FileSource::ReadAll(std::uint32_t limit, std::vector<std::uint8_t>* bytes)
{
    if (file_ == HFILE_ERROR || size_ > limit) return false;
    try {
        bytes->resize(size_);
    } catch (...) {
        return false;
    }
    return Read(0, bytes->data(), size_);
}

int WriteWholeFile(LPCSTR path, const std::vector<std::uint8_t>& bytes)
{
    HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return ImgWriteFailed;
    const HFILE file = static_cast<HFILE>(reinterpret_cast<INT_PTR>(handle));
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        const UINT piece = left > 0x8000 ? 0x8000 : static_cast<UINT>(left);
        ok = _lwrite(file, reinterpret_cast<LPCCH>(bytes.data() + done), piece) == piece;
        done += piece;
    }
    _lclose(file);
    if (!ok) {
        DeleteFileA(path);
        return ImgWriteFailed;
    }
    return ImgOk;
}
