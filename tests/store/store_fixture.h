// Shared set-up of the block store tests: a directory of 100 slots, a fresh temporary folder,
// and small helpers to make stores, write and read records and patch files.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "store/block_store.h"

using Records = std::vector<std::tuple<int, int, std::string>>;

// What StoreTest::Get gives for a record that cannot be loaded.
inline std::string ErrorText(int result)
{
    return "<error " + std::to_string(result) + ">";
}

// Makes the store's file calls fail, for as long as it lives: writes over a given file
// position (or every write after a number of them), and changes of the file's length. The
// system's calls come back when it goes.
class FileFaults {
public:
    FileFaults();
    ~FileFaults();
    FileFaults(const FileFaults&) = delete;
    FileFaults& operator=(const FileFaults&) = delete;

    // Each write that covers the byte at `position` fails (-1: none).
    void FailWritesAt(std::int64_t position);
    // After `count` more writes succeed, every write fails (-1: none).
    void FailWritesAfter(int count);
    // Every change of a file's length fails with `result` (0: none).
    void FailSetSize(int result);
    // Every read fails.
    void FailReads(bool on);
    int writes() const;
    int reads() const;
};
using Extents = std::vector<std::pair<int, int>>;  // offset, size

// The counters of a free-space page, as plain values.
struct FreeState {
    int count;
    std::int64_t lostBytes;
    std::int64_t endMark;
};

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    // A new store file formatted and opened read-write; fails the test on any error.
    int NewStore(const std::string& name = "store.vxs", int shift = 6, int capacity = 200);
    int Reopen(int slot, const std::string& name = "store.vxs");
    // Opens an existing store file read-write; fails the test on any error.
    int Open(const std::string& name = "store.vxs");

    // A record whose payload is `text` (created, or changed in place when it exists).
    void Put(int slot, int type, int id, const std::string& text);
    // Loads the record, deletes it and frees its block.
    void Delete(int slot, int type, int id);
    // The record's payload as text, or "<error N>".
    std::string Get(int slot, int type, int id);
    // Every record of the store: type, id and payload.
    Records Contents(int slot);

    std::vector<std::uint8_t> FileBytes(const std::string& name) const;
    void PatchFile(const std::string& name, std::int64_t offset, const void* bytes, std::size_t count) const;
    template <typename T>
    void Patch(const std::string& name, std::int64_t offset, T value) const
    {
        PatchFile(name, offset, &value, sizeof value);
    }
    template <typename T>
    T ReadField(const std::string& name, std::int64_t offset) const
    {
        T value;
        std::vector<std::uint8_t> bytes = FileBytes(name);
        std::memcpy(&value, bytes.data() + offset, sizeof value);
        return value;
    }
    std::int64_t FileLength(const std::string& name) const;
    // The full check of the file as it is on disk: "" when it holds a consistent store, else
    // the code and what was found.
    std::string FullCheck(const std::string& name = "store.vxs") const;
    // Copies a file, so that a store still open on it can be looked at as another program
    // would find it.
    void CopyFile(const std::string& from, const std::string& to) const;
    // Makes the file hold exactly these bytes.
    void WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

    // The loaded free-space page of an open store, for checks of its counters and lists.
    FreeState FreePageHeader(int slot);
    Extents SizeListOf(int slot);
    Extents OffsetListOf(int slot);

    std::filesystem::path dir_;
};

std::string PayloadOf(HGLOBAL block);
