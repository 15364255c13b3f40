// Library files for the tests of both builds.
#include "library_fixture.h"

#include <chrono>
#include <cstring>

#include "store/block_store.h"
#include "store/memory_blocks.h"

std::vector<std::uint8_t> BlockBytes(HGLOBAL block)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(GetBlockSize(block)));
    BlockLock lock(block);
    if (lock) std::memcpy(bytes.data(), lock.get(), bytes.size());
    return bytes;
}

void LibraryFileTest::SetUp()
{
    static int serial = 0;
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ = std::filesystem::temp_directory_path() / ("vx-library-" + std::to_string(stamp) + "-" + std::to_string(++serial));
    std::filesystem::create_directories(dir_);
}

void LibraryFileTest::TearDown()
{
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

void LibraryFileTest::WithStore(const std::string& path, const std::function<void(int store)>& edit)
{
    int store = -1, mark = 0;
    ASSERT_EQ(0, OpenStoreFile(path.c_str(), &store, 0, &mark, FALSE));
    edit(store);
    EXPECT_EQ(0, CloseStore(store));
}

std::string LibraryFileTest::MakeLibrary(const std::string& name, int items)
{
    const std::string path = Path(name);
    EXPECT_EQ(0, CreateLibraryStore(path.c_str(), 50));
    WithStore(path, [&](int store) {
        HGLOBAL table = nullptr;
        ASSERT_EQ(0, LoadRecord(store, RecLibraryTable, LibItemTableId, &table));
        BlockLock lock(table);
        auto* t = reinterpret_cast<LibraryItemTable*>(lock.get());
        t->count = static_cast<std::int16_t>(items);
        for (int i = 0; i < items; ++i) {
            LibraryItemHeader& item = t->items[i];
            InitLibraryItemHeader(&item);
            item.preferredWidth = 600;
            item.preferredHeight = 300;
            item.recordNumber = static_cast<std::int16_t>(TestRecordNumber(i));
            item.extraRecords = 1;
            for (int id = item.recordNumber; id <= item.recordNumber + 1; ++id) {
                HGLOBAL chunk = nullptr;
                ASSERT_EQ(0, AddRecord(store, RecLibraryPicture, id, 150, &chunk));
                BlockLock bytes(chunk);
                for (int b = kBlockHeaderSize; b < 150; ++b) bytes.get()[b] = static_cast<BYTE>(id + b);
                MarkBlockDirty(chunk);
            }
        }
        MarkBlockDirty(table);
    });
    return path;
}

void LibraryFileTest::EditRecord(const std::string& path, int id, const std::function<void(BYTE*)>& edit)
{
    WithStore(path, [&](int store) {
        HGLOBAL block = nullptr;
        ASSERT_EQ(0, LoadRecord(store, RecLibraryTable, id, &block));
        BlockLock lock(block);
        edit(lock.get());
        MarkBlockDirty(block);
    });
}

void LibraryFileTest::EditTable(const std::string& path, const std::function<void(LibraryItemTable*)>& edit)
{
    EditRecord(path, LibItemTableId, [&](BYTE* bytes) { edit(reinterpret_cast<LibraryItemTable*>(bytes)); });
}

void LibraryFileTest::EditInfo(const std::string& path, const std::function<void(LibraryInfo*)>& edit)
{
    EditRecord(path, LibInfoId, [&](BYTE* bytes) { edit(reinterpret_cast<LibraryInfo*>(bytes)); });
}

void LibraryFileTest::DeleteRecordOf(const std::string& path, int type, int id)
{
    WithStore(path, [&](int store) {
        HGLOBAL block = nullptr;
        ASSERT_EQ(0, LoadRecord(store, type, id, &block));
        ASSERT_EQ(0, DeleteRecord(block));
        GlobalFree(block);
    });
}

void LibraryFileTest::ResizeTo(const std::string& path, int type, int id, int size)
{
    WithStore(path, [&](int store) {
        HGLOBAL block = nullptr;
        ASSERT_EQ(0, LoadRecord(store, type, id, &block));
        const LONG old = GetBlockSize(block);
        ASSERT_EQ(0, ResizeRecord(&block, static_cast<DWORD>(size)));
        BlockLock lock(block);
        for (LONG b = old; b < size; ++b) lock.get()[b] = 0x5A;
        MarkBlockDirty(block);
    });
}

LibraryFileTest::Loaded LibraryFileTest::Load(const std::string& path)
{
    Loaded loaded;
    int store = -1;
    HGLOBAL table = nullptr;
    loaded.result = OpenLibraryStore(path.c_str(), &store, &loaded.readOnly, &table);
    if (loaded.result) {
        EXPECT_EQ(-1, store);
        return loaded;
    }
    HGLOBAL info = nullptr;
    {
        BlockLock lock(table);
        loaded.result = LoadLibraryInfo(store, table, reinterpret_cast<LibraryItemTable*>(lock.get()), &info);
    }
    loaded.table = BlockBytes(table);
    if (!loaded.result) loaded.info = BlockBytes(info);
    MarkBlockDirty(table);
    EXPECT_EQ(0, CloseStore(store));
    return loaded;
}

std::vector<std::uint8_t> LibraryFileTest::Record(const std::string& path, int type, int id)
{
    std::vector<std::uint8_t> bytes;
    int store = -1, mark = 0;
    if (OpenStoreFile(path.c_str(), &store, 0, &mark, TRUE) != 0) return bytes;
    HGLOBAL block = nullptr;
    if (LoadRecord(store, type, id, &block) == 0) bytes = BlockBytes(block);
    CloseStore(store);
    return bytes;
}

std::vector<int> LibraryFileTest::Types(const std::string& path)
{
    std::vector<int> types;
    int store = -1, mark = 0, count = 0;
    if (OpenStoreFile(path.c_str(), &store, 0, &mark, TRUE) != 0) return types;
    CountRecordTypes(store, &count);
    for (int i = 0; i < count; ++i) {
        int type = 0;
        if (GetRecordTypeAt(store, i, &type) == 0) types.push_back(type);
    }
    CloseStore(store);
    return types;
}
