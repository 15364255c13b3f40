// Set-up and helpers of the block store tests.
#include "store_fixture.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <tuple>

#include "full_check.h"
#include "store/store_internal.h"

namespace {

std::int64_t g_position = 0;
std::int64_t g_failAt = -1;
int g_writesLeft = -1;
int g_setSizeResult = 0;
bool g_failReads = false;
int g_writes = 0;
int g_reads = 0;

LONG WINAPI FaultySeek(HFILE file, LONG offset, int origin)
{
    LONG result = kSystemFileCalls.seek(file, offset, origin);
    if (result != HFILE_ERROR) {
        g_position = result;
    }
    return result;
}

UINT WINAPI FaultyRead(HFILE file, LPVOID buffer, UINT bytes)
{
    ++g_reads;
    if (g_failReads) {
        return static_cast<UINT>(HFILE_ERROR);
    }
    UINT done = kSystemFileCalls.read(file, buffer, bytes);
    g_position += done == static_cast<UINT>(HFILE_ERROR) ? 0 : done;
    return done;
}

UINT WINAPI FaultyWrite(HFILE file, LPCCH buffer, UINT bytes)
{
    ++g_writes;
    bool fail = (g_failAt >= g_position && g_failAt < g_position + bytes) || g_writesLeft == 0;
    if (g_writesLeft > 0) {
        --g_writesLeft;
    }
    if (fail) {
        return static_cast<UINT>(HFILE_ERROR);
    }
    UINT done = kSystemFileCalls.write(file, buffer, bytes);
    g_position += done == static_cast<UINT>(HFILE_ERROR) ? 0 : done;
    return done;
}

int FaultySetSize(HFILE file, LONG length)
{
    return g_setSizeResult ? g_setSizeResult : kSystemFileCalls.setSize(file, length);
}

}  // namespace

FileFaults::FileFaults()
{
    g_position = 0;
    g_failAt = -1;
    g_writesLeft = -1;
    g_setSizeResult = 0;
    g_failReads = false;
    g_writes = 0;
    g_reads = 0;
    g_storeFileCalls = {FaultySeek, FaultyRead, FaultyWrite, FaultySetSize};
}

FileFaults::~FileFaults()
{
    g_storeFileCalls = kSystemFileCalls;
}

void FileFaults::FailWritesAt(std::int64_t position)
{
    g_failAt = position;
}

void FileFaults::FailWritesAfter(int count)
{
    g_writesLeft = count;
}

void FileFaults::FailSetSize(int result)
{
    g_setSizeResult = result;
}

void FileFaults::FailReads(bool on)
{
    g_failReads = on;
}

int FileFaults::writes() const
{
    return g_writes;
}

int FileFaults::reads() const
{
    return g_reads;
}

void StoreTest::SetUp()
{
    static int serial = 0;
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ = std::filesystem::temp_directory_path() /
           ("vx-store-" + std::to_string(stamp) + "-" + std::to_string(++serial));
    std::filesystem::create_directories(dir_);
    ASSERT_EQ(InitBlockStoreDirectory(100), 0);
}

void StoreTest::TearDown()
{
    for (int slot = 0; slot < 100; ++slot) {
        if (CheckStoreSlot(slot) == 0) {
            CloseStore(slot);
        }
    }
    FreeBlockStoreDirectory();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

int StoreTest::NewStore(const std::string& name, int shift, int capacity)
{
    EXPECT_EQ(CreateStoreFile(Path(name).c_str(), 0, shift, capacity), 0);
    int slot = -1;
    int version = 0;
    EXPECT_EQ(OpenStoreFile(Path(name).c_str(), &slot, 0, &version, FALSE), 0);
    return slot;
}

int StoreTest::Reopen(int slot, const std::string& name)
{
    EXPECT_EQ(CloseStore(slot), 0);
    return Open(name);
}

int StoreTest::Open(const std::string& name)
{
    int slot = -1;
    int version = 0;
    EXPECT_EQ(OpenStoreFile(Path(name).c_str(), &slot, 0, &version, FALSE), 0);
    return slot;
}

void StoreTest::Put(int slot, int type, int id, const std::string& text)
{
    DWORD size = static_cast<DWORD>(kBlockHeaderSize + text.size());
    HGLOBAL block = nullptr;
    if (LoadRecord(slot, type, id, &block) == 0) {
        ASSERT_EQ(BeginRecordChange(block), 0);
        if (GetBlockSize(block) != static_cast<LONG>(size)) {
            ASSERT_EQ(ResizeRecord(&block, size), 0);
        }
    } else {
        ASSERT_EQ(AddRecord(slot, type, id, size, &block), 0) << "type " << type << " id " << id;
    }
    BYTE* p = static_cast<BYTE*>(GlobalLock(block));
    ASSERT_NE(p, nullptr);
    std::memcpy(p + kBlockHeaderSize, text.data(), text.size());
    GlobalUnlock(block);
    ReleaseBlock(block);
}

void StoreTest::Delete(int slot, int type, int id)
{
    HGLOBAL block = nullptr;
    ASSERT_EQ(LoadRecord(slot, type, id, &block), 0);
    ASSERT_EQ(DeleteRecord(block), 0);
    GlobalFree(block);
}

std::string PayloadOf(HGLOBAL block)
{
    LONG size = GetBlockSize(block);
    BYTE* p = static_cast<BYTE*>(GlobalLock(block));
    std::string text(reinterpret_cast<char*>(p) + kBlockHeaderSize, static_cast<std::size_t>(size - kBlockHeaderSize));
    GlobalUnlock(block);
    return text;
}

std::string StoreTest::Get(int slot, int type, int id)
{
    HGLOBAL block = nullptr;
    if (int result = LoadRecord(slot, type, id, &block)) {
        return ErrorText(result);
    }
    return PayloadOf(block);
}

Records StoreTest::Contents(int slot)
{
    Records all;
    int types = 0;
    EXPECT_EQ(CountRecordTypes(slot, &types), 0);
    for (int t = 0; t < types; ++t) {
        int type = 0, count = 0;
        EXPECT_EQ(GetRecordTypeAt(slot, t, &type), 0);
        EXPECT_EQ(CountRecords(slot, type, &count), 0);
        all.emplace_back(type, -1, "");
        for (int i = 0; i < count; ++i) {
            int id = 0;
            EXPECT_EQ(GetRecordIdAt(slot, type, i, &id), 0);
            all.emplace_back(type, id, Get(slot, type, id));
        }
    }
    return all;
}

std::vector<std::uint8_t> StoreTest::FileBytes(const std::string& name) const
{
    std::ifstream in(Path(name), std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void StoreTest::PatchFile(const std::string& name, std::int64_t offset, const void* bytes, std::size_t count) const
{
    std::fstream file(Path(name), std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(offset);
    file.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(count));
}

std::int64_t StoreTest::FileLength(const std::string& name) const
{
    return static_cast<std::int64_t>(std::filesystem::file_size(Path(name)));
}

std::string StoreTest::FullCheck(const std::string& name) const
{
    std::string what;
    int result = FullStoreCheckFile(Path(name), &what);
    return result ? std::to_string(result) + ": " + what : "";
}

void StoreTest::CopyFile(const std::string& from, const std::string& to) const
{
    WriteFile(to, FileBytes(from));
}

void StoreTest::WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const
{
    std::ofstream(Path(name), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

FreeState StoreTest::FreePageHeader(int slot)
{
    HGLOBAL page = nullptr;
    EXPECT_EQ(TakeTopPage(slot, KEY_FREE_SPACE, &page), 0);
    BlockLock lock(page);
    const FreeSpacePage* fp = FreePageOf(lock.get());
    return {fp->count, fp->lostBytes, fp->endMark};
}

namespace {

Extents ListOf(int slot, bool bySize)
{
    HGLOBAL page = nullptr;
    EXPECT_EQ(TakeTopPage(slot, KEY_FREE_SPACE, &page), 0);
    BlockLock lock(page);
    const FreeExtent* list = bySize ? SizeList(lock.get()) : OffsetList(lock.get());
    Extents extents;
    for (int i = 0; i < FreePageOf(lock.get())->count; ++i) {
        extents.emplace_back(list[i].offset, list[i].size);
    }
    return extents;
}

}  // namespace

Extents StoreTest::SizeListOf(int slot)
{
    return ListOf(slot, true);
}

Extents StoreTest::OffsetListOf(int slot)
{
    return ListOf(slot, false);
}
