// Library files for the tests of both builds: a fresh folder, libraries made and edited through
// the store's public calls, and the checks of loading run without a slot.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "libraries/library_file.h"

// The picture run of test item i: records 201/n..n+1, n = 4 + 3i.
inline int TestRecordNumber(int index)
{
    return 4 + 3 * index;
}

class LibraryFileTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    // A new library file (button size 50) holding `items` default items, each with a picture of
    // two chunk records whose bytes 16 and on count up from the record number.
    std::string MakeLibrary(const std::string& name, int items);
    // Opens the file's store read-write, runs `edit`, flushes and closes it.
    void WithStore(const std::string& path, const std::function<void(int store)>& edit);
    // Edits a record of type 200 (the item table, the info) in place.
    void EditRecord(const std::string& path, int id, const std::function<void(BYTE*)>& edit);
    void EditTable(const std::string& path, const std::function<void(LibraryItemTable*)>& edit);
    void EditInfo(const std::string& path, const std::function<void(LibraryInfo*)>& edit);
    void DeleteRecordOf(const std::string& path, int type, int id);
    // Gives a record another size (bytes it gains are 0x5A).
    void ResizeTo(const std::string& path, int type, int id, int size);

    // The checks of loading, as a slot runs them: 0 or the result; the loaded table and info
    // (copies, when loaded) and whether the store was read-only. The store is closed again.
    struct Loaded {
        int result = 0;
        BOOL readOnly = FALSE;
        std::vector<std::uint8_t> table;
        std::vector<std::uint8_t> info;
        const LibraryItemTable* items() const { return reinterpret_cast<const LibraryItemTable*>(table.data()); }
        const LibraryInfo* infoRecord() const { return reinterpret_cast<const LibraryInfo*>(info.data()); }
    };
    Loaded Load(const std::string& path);

    // A record's bytes as the store holds it now (empty when it does not load).
    std::vector<std::uint8_t> Record(const std::string& path, int type, int id);
    std::vector<int> Types(const std::string& path);

    std::filesystem::path dir_;
};

// Every byte of a memory block.
std::vector<std::uint8_t> BlockBytes(HGLOBAL block);
