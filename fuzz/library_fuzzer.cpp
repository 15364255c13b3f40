// libFuzzer target of the checks that loading a library file makes, two ways.
// An input that begins with a store's format mark is the library file itself. Any other input is
// a script that builds a library store with item table and info records of its choosing (sizes,
// versions, counts, headers, picture records) before it is loaded.
// Either way: a library that loads must keep every promise of library_file.h (counts and numbers
// within their records, the info whole), must load again the same, and must take a name; and
// nothing may be read or written past a record (the sanitizers watch).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "libraries/library_file.h"
#include "store/block_store.h"
#include "store/memory_blocks.h"

namespace {

std::string g_path;

void RemoveFile()
{
    std::remove(g_path.c_str());
}

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

class Script {
public:
    Script(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    int Byte() { return at_ < size_ ? data_[at_++] : 0; }
    int Word() { return Byte() | (Byte() << 8); }
    int Pick(int n) { return n > 0 ? Byte() % n : 0; }
    void Bytes(BYTE* to, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i) to[i] = static_cast<BYTE>(Byte());
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// The promises of a loaded library.
void ExpectLoaded(HGLOBAL tableBlock, HGLOBAL infoBlock)
{
    if (GetBlockSize(tableBlock) < static_cast<LONG>(sizeof(LibraryItemTable))) Fail("a short item table loaded");
    if (GetBlockSize(infoBlock) != static_cast<LONG>(sizeof(LibraryInfo))) Fail("an info record of another size loaded");
    BlockLock tableLock(tableBlock), infoLock(infoBlock);
    const auto* table = reinterpret_cast<const LibraryItemTable*>(tableLock.get());
    const auto* info = reinterpret_cast<const LibraryInfo*>(infoLock.get());
    if (table->magic != kLibraryMagic || (table->version != 2 && table->version != 3))
        Fail("a table without the magic or of another version loaded");
    if (table->count < 0 || table->count > kLibraryMaxItems) Fail("an item count out of range loaded");
    for (int i = 0; i < table->count; ++i) {
        const LibraryItemHeader& item = table->items[i];
        if (item.recordNumber < 0 || item.extraRecords < 0 || item.recordNumber + item.extraRecords > kLibraryMaxRecordId)
            Fail("an item's picture run lies outside the record ids");
        if (item.pointCount < 0 || item.pointCount > kLibraryMaxPoints) Fail("a point count out of range loaded");
    }
    if (info->paletteCount < 0 || info->paletteCount > kLibraryMaxPaletteEntries) Fail("a palette count out of range loaded");
    if (!(info->flags & LibInfoPointsNormalised)) Fail("the points were left unnormalised");
    const int buttons = LibraryButtonSize(info);
    if (buttons < kLibraryButtonSmall || buttons > kLibraryButtonLarge) Fail("a button size out of range");
}

// Loads the library as a slot does; 0 when it loaded and kept its promises. With a name, the
// first item (or record 0) is then named.
int LoadAndCheck(char* name)
{
    int store = -1;
    BOOL readOnly = FALSE;
    HGLOBAL table = nullptr;
    int result = OpenLibraryStore(g_path.c_str(), &store, &readOnly, &table);
    if (result) {
        if (store != -1) Fail("a refused library left its store");
        return result;
    }
    HGLOBAL info = nullptr;
    {
        BlockLock lock(table);
        if (!lock) Fail("the item table does not lock");
        result = LoadLibraryInfo(store, table, reinterpret_cast<LibraryItemTable*>(lock.get()), &info);
    }
    if (!result) {
        ExpectLoaded(table, info);
        if (name) {
            int number = 0;
            {
                BlockLock lock(table);
                const auto* items = reinterpret_cast<const LibraryItemTable*>(lock.get());
                if (items->count > 0) number = items->items[0].recordNumber;
            }
            StoreLibraryItemName(store, number, name);
        }
        MarkBlockDirty(table);
    }
    CloseStore(store);
    return result;
}

void CheckFile(char* name)
{
    const BOOL library = IsLibraryFile(g_path.c_str());
    const int first = LoadAndCheck(name);
    if (first == 0) {
        if (!library) Fail("a library that loads is not known as one");
        // What the first load wrote back (an upgrade, the info made whole, normalised points,
        // cut counts, a name) must load again.
        if (int again = LoadAndCheck(nullptr)) Fail("a loaded library does not load again: " + std::to_string(again));
    }
}

// Builds a library from the script: its table and info records of chosen sizes and bytes, and
// picture records, some too short for a chunk header.
void BuildLibrary(Script* script)
{
    std::remove(g_path.c_str());
    if (CreateLibraryStore(g_path.c_str(), script->Byte()) != 0) Fail("a library could not be made");
    int store = -1, mark = 0;
    if (OpenStoreFile(g_path.c_str(), &store, 0, &mark, FALSE) != 0) Fail("a new library does not open");

    HGLOBAL table = nullptr;
    if (LoadRecord(store, RecLibraryTable, LibItemTableId, &table) != 0) Fail("a new library has no item table");
    {
        BlockLock lock(table);
        auto* t = reinterpret_cast<LibraryItemTable*>(lock.get());
        const int versions[] = {1, 2, 3, 2, 1, 4, 0, -1};
        t->version = static_cast<std::int16_t>(versions[script->Pick(8)]);
        if (script->Pick(16) == 0) t->magic = static_cast<std::uint32_t>(script->Word());
        t->count = static_cast<std::int16_t>(script->Pick(46) - 2);
        const int headers = script->Pick(kLibraryMaxItems + 1);
        for (int i = 0; i < headers; ++i) {
            LibraryItemHeader& item = t->items[i];
            InitLibraryItemHeader(&item);
            item.recordNumber = static_cast<std::int16_t>(script->Pick(4) == 0 ? script->Word() : script->Pick(40));
            item.extraRecords = static_cast<std::int16_t>(script->Pick(4) == 0 ? script->Word() : script->Pick(3));
            item.pointCount = static_cast<std::int16_t>(script->Pick(4) == 0 ? script->Word() : script->Pick(17));
            for (LibraryPoint& point : item.points) {
                point.x = static_cast<std::int16_t>(script->Pick(2) ? script->Pick(601) : script->Word());
                point.y = static_cast<std::int16_t>(script->Pick(2) ? script->Pick(601) : script->Word());
            }
            if (script->Pick(8) == 0) script->Bytes(reinterpret_cast<BYTE*>(&item) + 110, 16);
        }
    }
    MarkBlockDirty(table);
    const int tableSizes[] = {5064, 5064, 5063, 5200, 24, 21, 16};
    const int tableSize = tableSizes[script->Pick(7)];
    if (tableSize != 5064 && ResizeRecord(&table, static_cast<DWORD>(tableSize)) != 0) Fail("the table could not be resized");

    HGLOBAL info = nullptr;
    if (LoadRecord(store, RecLibraryTable, LibInfoId, &info) != 0) Fail("a new library has no info");
    {
        BlockLock lock(info);
        auto* i = reinterpret_cast<LibraryInfo*>(lock.get());
        i->flags = static_cast<std::uint16_t>(script->Pick(4));
        i->buttonSize = static_cast<std::int16_t>(script->Word());
        i->savedColumns = static_cast<std::int16_t>(script->Word());
        i->savedRows = static_cast<std::int16_t>(script->Word());
        i->paletteCount = static_cast<std::int16_t>(script->Pick(2) ? script->Pick(300) : script->Word());
    }
    MarkBlockDirty(info);
    const int infoSizes[] = {1166, 1166, 1000, 1300, 16, 19, 141};
    const int infoSize = infoSizes[script->Pick(7)];
    if (script->Pick(10) == 0) {
        if (DeleteRecord(info) != 0) Fail("the info could not be deleted");
        GlobalFree(info);
    } else if (infoSize != 1166 && ResizeRecord(&info, static_cast<DWORD>(infoSize)) != 0) {
        Fail("the info could not be resized");
    }

    const int pictures = script->Pick(6);
    for (int p = 0; p < pictures; ++p) {
        const int sizes[] = {150, 110, 109, 40, 16};
        HGLOBAL block = nullptr;
        const int size = sizes[script->Pick(5)];
        if (AddRecord(store, RecLibraryPicture, script->Pick(40), static_cast<DWORD>(size), &block) == 0) {
            BlockLock lock(block);
            std::memset(lock.get() + kBlockHeaderSize, 0x5A, static_cast<std::size_t>(size - kBlockHeaderSize));
            lock.Unlock();
            MarkBlockDirty(block);
        }
    }
    if (CloseStore(store) != 0) Fail("the built library could not be written");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool ready = false;
    if (!ready) {
        InitBlockStoreDirectory(100);
        g_path = "/tmp/vx-library-fuzz-" + std::to_string(getpid()) + ".vxl";
        std::atexit(RemoveFile);
        ready = true;
    }
    std::string name(size > 300 ? 300 : size, 'n');
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back(0);
    // A store file begins with its format mark, 2.
    if (size >= 2 && data[0] == kFormatMark && data[1] == 0) {
        std::FILE* file = std::fopen(g_path.c_str(), "wb");
        if (!file) return 0;
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    } else {
        Script script(data, size);
        BuildLibrary(&script);
    }
    CheckFile(buffer.data());
    return 0;
}
