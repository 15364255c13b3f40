// libFuzzer target of the block store, two ways.
// An input that begins with a store's format mark is opened as a store file: every record it
// lists is loaded and read, the store is checked, and a store that passes the check must pass it
// still after edits, a checkpoint swap and compaction; a file that passed the full check (every
// block of both trees) must pass it again once the store is closed.
// Any other input is a script of operations on a store the target builds itself beside a plain
// model: after every step the store passes its check and every record reads back as it was
// written, and after every flush, reopening and closing its file passes the full check.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "../tests/store/full_check.h"
#include "store/block_store.h"

namespace {

std::string g_path;
std::string g_builtPath;

void RemoveFiles()
{
    std::remove(g_path.c_str());
    std::remove(g_builtPath.c_str());
}

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

// Aborts when a consistent store stops being consistent.
void ExpectConsistent(int slot, const char* after)
{
    int result = CheckStore(slot);
    if (result != 0) {
        Fail("store inconsistent (" + std::to_string(result) + ") after " + after);
    }
}

void ExpectWholeFile(const std::string& path, const char* after)
{
    std::string what;
    if (int result = FullStoreCheckFile(path, &what)) {
        Fail("store file inconsistent (" + std::to_string(result) + ": " + what + ") after " + after);
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
            std::memset(static_cast<BYTE*>(GlobalLock(block)) + kBlockHeaderSize, 'x', 24);
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

void OpenArbitraryStore(const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(g_path.c_str(), "wb");
    if (!file) {
        return;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    bool whole = FullStoreCheck(std::vector<std::uint8_t>(data, data + size), nullptr) == 0;

    int slot = -1, version = 0;
    if (OpenStoreFile(g_path.c_str(), &slot, 0, &version, FALSE) != 0) {
        if (whole) {
            Fail("a store that passes the full check did not open");
        }
        return;
    }
    volatile std::uint32_t sum = ReadEveryRecord(slot);
    (void)sum;
    bool consistent = CheckStore(slot) == 0;
    if (whole && !consistent) {
        Fail("a store that passes the full check failed CheckStore");
    }
    if (consistent) {
        Edit(slot);
        ExpectConsistent(slot, "edits");
        SwapStoreCheckpoint(slot, TRUE);
        ExpectConsistent(slot, "a checkpoint swap");
        CompactStore(slot);
        ExpectConsistent(slot, "compaction");
        ReadEveryRecord(slot);
    }
    int closed = CloseStore(slot);
    if (whole && closed == 0) {
        ExpectWholeFile(g_path, "edits, a swap and compaction");
    }
}

// ---- Stores built from a script, with a model beside them.

// A record's content as the model keeps it: its payload is made from a seed, so that large
// records need neither a large input nor copies of themselves in the model.
struct Content {
    std::size_t size;
    int seed;
    bool operator==(const Content&) const = default;
};
using Model = std::map<int, std::map<int, Content>>;

class Script {
public:
    Script(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool done() const { return at_ >= size_; }
    int Byte() { return at_ < size_ ? data_[at_++] : 0; }
    int Pick(int n) { return n > 0 ? Byte() % n : 0; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// The oracle's byte loops are not the code under test: no coverage feedback from them.
#define VX_NO_COVERAGE __attribute__((no_sanitize("coverage")))

// The payload bytes of a content, one after the other.
class PayloadBytes {
public:
    explicit PayloadBytes(int seed) : state_(0x9E3779B9u * static_cast<std::uint32_t>(seed + 1)) {}
    VX_NO_COVERAGE BYTE Next()
    {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<BYTE>(state_ >> 24);
    }

private:
    std::uint32_t state_;
};

// Mostly small records; now and then one above 65,500 bytes, read and written in pieces.
std::size_t PayloadSize(Script* script)
{
    int kind = script->Pick(32);
    if (kind == 0) {
        return 65500 + static_cast<std::size_t>(script->Byte()) * 60;
    }
    if (kind < 3) {
        return static_cast<std::size_t>(script->Byte()) * 40;
    }
    return static_cast<std::size_t>(script->Pick(200));
}

// Whether the record reads back with the content written.
VX_NO_COVERAGE bool ReadsBack(int slot, int type, int id, const Content& content)
{
    HGLOBAL block = nullptr;
    if (LoadRecord(slot, type, id, &block) != 0 ||
        GetBlockSize(block) != static_cast<LONG>(kBlockHeaderSize + content.size)) {
        return false;
    }
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(block)) + kBlockHeaderSize;
    PayloadBytes expected(content.seed);
    bool same = true;
    for (std::size_t i = 0; i < content.size && same; ++i) {
        same = p[i] == expected.Next();
    }
    GlobalUnlock(block);
    return same;
}

// Every type and record of the store must be the model's, with the model's content.
void ExpectModel(int slot, const Model& model, const char* after)
{
    int types = 0;
    if (CountRecordTypes(slot, &types) || types != static_cast<int>(model.size())) {
        Fail(std::string("record types differ from the model after ") + after);
    }
    int t = 0;
    for (const auto& [type, ids] : model) {
        int stored = -1, count = -1;
        if (GetRecordTypeAt(slot, t++, &stored) || stored != type || CountRecords(slot, type, &count) ||
            count != static_cast<int>(ids.size())) {
            Fail("type " + std::to_string(type) + " differs from the model after " + after);
        }
        int i = 0;
        for (const auto& [id, content] : ids) {
            int storedId = -1;
            if (GetRecordIdAt(slot, type, i++, &storedId) || storedId != id) {
                Fail("ids of type " + std::to_string(type) + " differ from the model after " + after);
            }
            if (!ReadsBack(slot, type, id, content)) {
                Fail("record " + std::to_string(type) + "/" + std::to_string(id) +
                     " does not read back as written after " + after);
            }
        }
    }
}

void Require(int result, const char* what)
{
    if (result != 0) {
        Fail(std::string(what) + " failed with " + std::to_string(result));
    }
}

// Writes a content into a record block, as a caller does after adding or resizing it.
VX_NO_COVERAGE void Fill(HGLOBAL block, const Content& content)
{
    BYTE* p = static_cast<BYTE*>(GlobalLock(block)) + kBlockHeaderSize;
    PayloadBytes bytes(content.seed);
    for (std::size_t i = 0; i < content.size; ++i) {
        p[i] = bytes.Next();
    }
    GlobalUnlock(block);
}

void BuildStore(const std::uint8_t* data, std::size_t size)
{
    Script script(data, size);
    std::remove(g_builtPath.c_str());
    int shift = script.Pick(3) == 0 ? script.Pick(11) : 6;
    int capacity = script.Pick(2) == 0 ? 2 + script.Pick(6) : 200;  // small lists overflow into lost bytes
    Require(CreateStoreFile(g_builtPath.c_str(), 0, shift, capacity), "CreateStoreFile");
    int slot = -1, version = 0;
    Require(OpenStoreFile(g_builtPath.c_str(), &slot, 0, &version, FALSE), "OpenStoreFile");
    Model model, snapshot;
    bool open = false;     // a checkpoint is open
    bool swapped = false;  // and has been swapped since it began: the next edit begins anew

    for (int step = 0; step < 150 && !script.done(); ++step) {
        int op = script.Pick(20);
        const char* name = "?";
        // An edit touches one record: it alone is read back. Everything is read back after the
        // operations that touch many.
        int touchedType = -1, touchedId = -1;
        if (op < 10) {
            name = "an edit";
            if ((open && swapped) || op == 0) {
                Require(BeginStoreCheckpoint(slot), "BeginStoreCheckpoint");
                snapshot = model;
                open = true;
                swapped = false;
            }
            int type = model.empty() ? 0 : std::next(model.begin(), script.Pick(static_cast<int>(model.size())))->first;
            int kind = script.Pick(8);
            if (model.empty() || kind == 0) {
                int newType = script.Pick(10);
                if (!model.count(newType)) {
                    Require(AddRecordType(slot, newType), "AddRecordType");
                    model[newType];
                }
            } else if (kind <= 2 || model[type].empty()) {
                int id = 0;
                Require(NextFreeRecordId(slot, type, &id), "NextFreeRecordId");
                if (kind == 1) {
                    id = script.Pick(60);
                }
                if (!model[type].count(id)) {
                    Content content = {PayloadSize(&script), script.Byte()};
                    if (kind == 2) {
                        HGLOBAL mine = GlobalAlloc(GMEM_MOVEABLE, kBlockHeaderSize + content.size);
                        Fill(mine, content);
                        Require(AddRecordBlock(slot, type, id, mine), "AddRecordBlock");
                    } else {
                        HGLOBAL block = nullptr;
                        Require(AddRecord(slot, type, id, static_cast<DWORD>(kBlockHeaderSize + content.size), &block),
                                "AddRecord");
                        Fill(block, content);
                    }
                    model[type][id] = content;
                    touchedType = type;
                    touchedId = id;
                }
            } else {
                auto& ids = model[type];
                int id = std::next(ids.begin(), script.Pick(static_cast<int>(ids.size())))->first;
                HGLOBAL block = nullptr;
                Require(LoadRecord(slot, type, id, &block), "LoadRecord");
                if (kind <= 5) {
                    Content content = {kind == 3 ? ids[id].size : PayloadSize(&script), script.Byte()};
                    Require(BeginRecordChange(block), "BeginRecordChange");
                    if (content.size != ids[id].size) {
                        Require(ResizeRecord(&block, static_cast<DWORD>(kBlockHeaderSize + content.size)), "ResizeRecord");
                    }
                    Fill(block, content);
                    ids[id] = content;
                    touchedType = type;
                    touchedId = id;
                } else if (kind == 6) {
                    Require(DeleteRecord(block), "DeleteRecord");
                    GlobalFree(block);
                    ids.erase(id);
                } else {
                    Require(UnloadRecord(block), "UnloadRecord");
                    GlobalFree(block);
                    touchedType = type;
                    touchedId = id;
                }
            }
        } else if (op < 13) {
            name = "an undo or redo";
            if (open) {
                Require(SwapStoreCheckpoint(slot, TRUE), "SwapStoreCheckpoint");
                std::swap(model, snapshot);
                swapped = true;
            } else if (SwapStoreCheckpoint(slot, TRUE) != StoreNoCheckpoint) {
                Fail("a swap without a checkpoint did not give 29");
            }
        } else if (op == 13) {
            name = "a roll-back";
            if (open) {
                Require(SwapStoreCheckpoint(slot, FALSE), "SwapStoreCheckpoint");
                model = snapshot;
                open = false;
            }
        } else if (op == 14) {
            name = "discarding the checkpoint";
            Require(DiscardStoreCheckpoint(slot), "DiscardStoreCheckpoint");
            open = false;
        } else if (op == 15) {
            name = "a flush";
            Require(FlushStore(slot, script.Pick(2)), "FlushStore");
            ExpectWholeFile(g_builtPath, name);
        } else if (op == 16) {
            name = "reopening";
            Require(CloseStore(slot), "CloseStore");
            ExpectWholeFile(g_builtPath, name);
            Require(OpenStoreFile(g_builtPath.c_str(), &slot, 0, &version, FALSE), "OpenStoreFile");
        } else if (op == 17) {
            name = "compaction";
            Require(CompactStore(slot), "CompactStore");
        } else if (op == 18) {
            name = "switching write-through";
            Require(SetStoreWriteThrough(slot, script.Pick(2)), "SetStoreWriteThrough");
        } else {
            name = "a check";
        }
        ExpectConsistent(slot, name);
        if (op >= 10) {
            ExpectModel(slot, model, name);
        } else if (touchedType >= 0 && !ReadsBack(slot, touchedType, touchedId, model[touchedType][touchedId])) {
            Fail("record " + std::to_string(touchedType) + "/" + std::to_string(touchedId) +
                 " does not read back as written");
        }
    }
    ExpectModel(slot, model, "the last step");
    Require(CloseStore(slot), "CloseStore");
    ExpectWholeFile(g_builtPath, "closing");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool ready = false;
    if (!ready) {
        InitBlockStoreDirectory(100);
        g_path = "/tmp/vx-fuzz-" + std::to_string(getpid()) + ".vxs";
        g_builtPath = "/tmp/vx-fuzz-" + std::to_string(getpid()) + "-built.vxs";
        std::atexit(RemoveFiles);
        ready = true;
    }
    // A store file begins with its format mark, 2.
    if (size >= 2 && data[0] == kFormatMark && data[1] == 0) {
        OpenArbitraryStore(data, size);
    } else {
        BuildStore(data, size);
    }
    return 0;
}
