// Where the header readers and decoders take their bytes from: a block of memory, or a file read
// at the offsets asked for. Every read names its offset and length and fails beyond the end, so
// a reader can never run past what the file holds.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // The whole length in bytes.
    virtual std::uint32_t Size() const = 0;
    // Exactly `count` bytes from `offset`; false when they are not all there.
    virtual bool Read(std::uint32_t offset, void* buffer, std::uint32_t count) = 0;

    // Little- and big-endian numbers at an offset; false beyond the end.
    bool U8(std::uint32_t offset, std::uint8_t* value) { return Read(offset, value, 1); }
    bool U16(std::uint32_t offset, bool bigEndian, std::uint16_t* value);
    bool U32(std::uint32_t offset, bool bigEndian, std::uint32_t* value);
};

class MemorySource : public ByteSource {
public:
    MemorySource(const std::uint8_t* data, std::size_t size)
        : data_(data), size_(size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(size)) {}
    std::uint32_t Size() const override { return size_; }
    bool Read(std::uint32_t offset, void* buffer, std::uint32_t count) override;

private:
    const std::uint8_t* data_;
    std::uint32_t size_;
};

// A file opened for reading, letting others read and write; closed with the object.
class FileSource : public ByteSource {
public:
    explicit FileSource(LPCSTR path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool IsOpen() const { return file_ != HFILE_ERROR; }
    std::uint32_t Size() const override { return size_; }
    bool Read(std::uint32_t offset, void* buffer, std::uint32_t count) override;
    // The whole file, when it is at most `limit` bytes.
    bool ReadAll(std::uint32_t limit, std::vector<std::uint8_t>* bytes);

private:
    HFILE file_ = HFILE_ERROR;
    std::uint32_t size_ = 0;
};

// Writes the bytes as the whole new content of the file at `path`; a failed write deletes what
// it made. 0 or ImgWriteFailed.
int WriteWholeFile(LPCSTR path, const std::vector<std::uint8_t>& bytes);
