// libFuzzer target: arbitrary bytes opened as a block store. Every record it can enumerate is
// loaded and read, the store is checked, and a store that passes the check must still pass it
// after edits, a checkpoint swap and compaction.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "store/block_store.h"

namespace {

std::string g_path;

void RemoveFile()
{
    std::remove(g_path.c_str());
}

// Aborts when a consistent store stops being consistent.
void ExpectConsistent(int slot, const char* after)
{
    int result = CheckStore(slot);
    if (result != 0) {
        std::fprintf(stderr, "store inconsistent (%d) after %s\n", result, after);
        std::abort();
    }
}

std::uint32_t ReadEveryRecord(int slot)
{
    std::uint32_t sum = 0;
    int types = 0;
    if (CountRecordTypes(slot, &types)) {
        return sum;
    }
    for (int t = 0; t < types; ++t) {
        int type = 0, count = 0, next = 0;
        if (GetRecordTypeAt(slot, t, &type) || CountRecords(slot, type, &count)) {
            continue;
        }
        NextFreeRecordId(slot, type, &next);
        NextFreeRecordIdRun(slot, type, 3, &next);
        for (int i = 0; i < count; ++i) {
            int id = 0;
            HGLOBAL block = nullptr;
            if (GetRecordIdAt(slot, type, i, &id) || LoadRecord(slot, type, id, &block)) {
                continue;
            }
            LONG size = GetBlockSize(block);
            const BYTE* p = static_cast<const BYTE*>(GlobalLock(block));
            for (LONG k = 0; p && k < size; ++k) {
                sum += p[k];
            }
            GlobalUnlock(block);
            ReleaseBlock(block);
        }
    }
    return sum;
}

// A few edits of the kind the program makes: a new type and record, a change, a deletion.
void Edit(int slot)
{
    if (AddRecordType(slot, 30000) == 0) {
        HGLOBAL block = nullptr;
        if (AddRecord(slot, 30000, 0, 40, &block) == 0) {
            std::memset(static_cast<BYTE*>(GlobalLock(block)) + 16, 'x', 24);
            GlobalUnlock(block);
        }
    }
    int types = 0, type = 0, id = 0;
    HGLOBAL block = nullptr;
    if (CountRecordTypes(slot, &types) || types == 0 || GetRecordTypeAt(slot, 0, &type) ||
        GetRecordIdAt(slot, type, 0, &id) || LoadRecord(slot, type, id, &block)) {
        return;
    }
    if (BeginRecordChange(block) == 0) {
        ResizeRecord(&block, static_cast<DWORD>(GetBlockSize(block) + 70));
    }
    if (DeleteRecord(block) == 0) {
        GlobalFree(block);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool ready = false;
    if (!ready) {
        InitBlockStoreDirectory(100);
        g_path = "/tmp/vx-fuzz-" + std::to_string(getpid()) + ".vxs";
        std::atexit(RemoveFile);
        ready = true;
    }
    std::FILE* file = std::fopen(g_path.c_str(), "wb");
    if (!file) {
        return 0;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    int slot = -1, version = 0;
    if (OpenStoreFile(g_path.c_str(), &slot, 0, &version, FALSE) != 0) {
        return 0;
    }
    volatile std::uint32_t sum = ReadEveryRecord(slot);
    (void)sum;
    if (CheckStore(slot) == 0) {
        Edit(slot);
        ExpectConsistent(slot, "edits");
        SwapStoreCheckpoint(slot, TRUE);
        ExpectConsistent(slot, "a checkpoint swap");
        CompactStore(slot);
        ExpectConsistent(slot, "compaction");
        ReadEveryRecord(slot);
    }
    CloseStore(slot);
    return 0;
}
