// Block store benchmark: 30,000 records of 100-200 bytes over 8 types are written, the store
// closed, reopened and read whole, and 1% of the records updated; where SQLite is available
// the same work runs there (no syncing, one transaction per phase) and the ratios are printed.
// The store writes its blocks when it is closed while SQLite writes them when the transaction
// commits, inside its write phase: write and close are compared together.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "store/block_store.h"

#ifdef VEXLOR_BENCH_SQLITE
#include <sqlite3.h>
#endif

namespace {

constexpr int kRecords = 30000;
constexpr int kTypes = 8;
constexpr int kUpdates = kRecords / 100;

struct Record {
    int type;
    int id;
    std::string payload;
};

struct Times {
    double write = 0, close = 0, read = 0, update = 0;
    double Stored() const { return write + close; }
    double RoundTrip() const { return write + close + read; }
    double Total() const { return write + close + read + update; }
};

class Clock {
public:
    double Lap()
    {
        auto now = std::chrono::steady_clock::now();
        double ms = std::chrono::duration<double, std::milli>(now - last_).count();
        last_ = now;
        return ms;
    }

private:
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

std::vector<Record> MakeRecords()
{
    std::mt19937 rng(42);
    std::vector<Record> records;
    records.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) {
        std::string payload(100 + rng() % 101, ' ');
        for (char& c : payload) {
            c = static_cast<char>('a' + rng() % 26);
        }
        records.push_back({100 + i % kTypes, i / kTypes, payload});
    }
    return records;
}

std::vector<int> PickUpdates()
{
    std::mt19937 rng(7);
    std::vector<int> picks;
    for (int i = 0; i < kUpdates; ++i) {
        picks.push_back(static_cast<int>(rng() % kRecords));
    }
    return picks;
}

bool Fail(const char* what, int result)
{
    std::fprintf(stderr, "%s failed: %d\n", what, result);
    return false;
}

bool RunStore(const std::string& path, const std::vector<Record>& records, const std::vector<int>& updates,
              Times* times, std::size_t* checksum)
{
    Clock clock;
    if (int r = CreateStoreFile(path.c_str(), 0, 6, 200)) return Fail("CreateStoreFile", r);
    int slot = -1, version = 0;
    if (int r = OpenStoreFile(path.c_str(), &slot, 0, &version, FALSE)) return Fail("OpenStoreFile", r);
    for (int t = 0; t < kTypes; ++t) {
        if (int r = AddRecordType(slot, 100 + t)) return Fail("AddRecordType", r);
    }
    for (const Record& record : records) {
        HGLOBAL block = nullptr;
        DWORD size = static_cast<DWORD>(kBlockHeaderSize + record.payload.size());
        if (int r = AddRecord(slot, record.type, record.id, size, &block)) return Fail("AddRecord", r);
        BYTE* p = static_cast<BYTE*>(GlobalLock(block));
        std::memcpy(p + kBlockHeaderSize, record.payload.data(), record.payload.size());
        GlobalUnlock(block);
    }
    times->write = clock.Lap();
    if (int r = CloseStore(slot)) return Fail("CloseStore", r);
    times->close = clock.Lap();

    if (int r = OpenStoreFile(path.c_str(), &slot, 0, &version, FALSE)) return Fail("OpenStoreFile", r);
    int types = 0;
    CountRecordTypes(slot, &types);
    for (int t = 0; t < types; ++t) {
        int type = 0, count = 0;
        GetRecordTypeAt(slot, t, &type);
        CountRecords(slot, type, &count);
        for (int i = 0; i < count; ++i) {
            int id = 0;
            HGLOBAL block = nullptr;
            GetRecordIdAt(slot, type, i, &id);
            if (int r = LoadRecord(slot, type, id, &block)) return Fail("LoadRecord", r);
            LONG size = GetBlockSize(block);
            const BYTE* p = static_cast<const BYTE*>(GlobalLock(block));
            for (LONG k = kBlockHeaderSize; k < size; ++k) {
                *checksum += p[k];
            }
            GlobalUnlock(block);
        }
    }
    times->read = clock.Lap();
    for (int pick : updates) {
        const Record& record = records[static_cast<std::size_t>(pick)];
        HGLOBAL block = nullptr;
        if (int r = LoadRecord(slot, record.type, record.id, &block)) return Fail("LoadRecord", r);
        if (int r = BeginRecordChange(block)) return Fail("BeginRecordChange", r);
        static_cast<BYTE*>(GlobalLock(block))[kBlockHeaderSize] = 'U';
        GlobalUnlock(block);
    }
    if (int r = CloseStore(slot)) return Fail("CloseStore", r);
    times->update = clock.Lap();
    return true;
}

#ifdef VEXLOR_BENCH_SQLITE
bool Exec(sqlite3* db, const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s: %s\n", sql, message ? message : "");
        sqlite3_free(message);
        return false;
    }
    return true;
}

bool OpenDb(const std::string& path, sqlite3** db)
{
    return sqlite3_open(path.c_str(), db) == SQLITE_OK && Exec(*db, "PRAGMA synchronous=OFF");
}

bool RunSqlite(const std::string& path, const std::vector<Record>& records, const std::vector<int>& updates,
               Times* times, std::size_t* checksum)
{
    Clock clock;
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (!OpenDb(path, &db) ||
        !Exec(db, "CREATE TABLE records(type INTEGER, id INTEGER, data BLOB, PRIMARY KEY(type, id)) WITHOUT ROWID") ||
        !Exec(db, "BEGIN")) {
        return false;
    }
    sqlite3_prepare_v2(db, "INSERT INTO records VALUES(?, ?, ?)", -1, &statement, nullptr);
    for (const Record& record : records) {
        sqlite3_bind_int(statement, 1, record.type);
        sqlite3_bind_int(statement, 2, record.id);
        sqlite3_bind_blob(statement, 3, record.payload.data(), static_cast<int>(record.payload.size()), SQLITE_STATIC);
        if (sqlite3_step(statement) != SQLITE_DONE) return false;
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
    if (!Exec(db, "COMMIT")) return false;
    times->write = clock.Lap();
    sqlite3_close(db);
    times->close = clock.Lap();

    if (!OpenDb(path, &db) || !Exec(db, "BEGIN")) return false;
    sqlite3_prepare_v2(db, "SELECT data FROM records ORDER BY type, id", -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const BYTE* p = static_cast<const BYTE*>(sqlite3_column_blob(statement, 0));
        int size = sqlite3_column_bytes(statement, 0);
        for (int k = 0; k < size; ++k) {
            *checksum += p[k];
        }
    }
    sqlite3_finalize(statement);
    if (!Exec(db, "COMMIT")) return false;
    times->read = clock.Lap();
    if (!Exec(db, "BEGIN")) return false;
    sqlite3_prepare_v2(db, "UPDATE records SET data = ? WHERE type = ? AND id = ?", -1, &statement, nullptr);
    for (int pick : updates) {
        const Record& record = records[static_cast<std::size_t>(pick)];
        std::string changed = record.payload;
        changed[0] = 'U';
        sqlite3_bind_blob(statement, 1, changed.data(), static_cast<int>(changed.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(statement, 2, record.type);
        sqlite3_bind_int(statement, 3, record.id);
        if (sqlite3_step(statement) != SQLITE_DONE) return false;
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
    if (!Exec(db, "COMMIT")) return false;
    sqlite3_close(db);
    times->update = clock.Lap();
    return true;
}
#endif

void Print(const char* name, const Times& t)
{
    std::printf("%-12s write %8.1f ms  close %7.1f ms  write+close %8.1f ms  reopen+read %7.1f ms  "
                "update 1%% %6.1f ms  total %8.1f ms\n",
                name, t.write, t.close, t.Stored(), t.read, t.update, t.Total());
}

}  // namespace

int main()
{
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("vx-bench-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(dir);
    if (InitBlockStoreDirectory(100)) {
        return 1;
    }
    std::vector<Record> records = MakeRecords();
    std::vector<int> updates = PickUpdates();
    std::printf("%d records of 100-200 bytes in %d types, %d updates\n", kRecords, kTypes, kUpdates);

    Times store;
    std::size_t storeSum = 0;
    bool ok = RunStore((dir / "bench.vxs").string(), records, updates, &store, &storeSum);
    if (ok) {
        Print("block store", store);
    }
#ifdef VEXLOR_BENCH_SQLITE
    Times sqlite;
    std::size_t sqliteSum = 0;
    if (ok && RunSqlite((dir / "bench.db").string(), records, updates, &sqlite, &sqliteSum)) {
        Print("sqlite", sqlite);
        std::printf("block store / sqlite: write+close %.2f  reopen+read %.2f  write+close+reopen+read %.2f  "
                    "total %.2f (checksums %s)\n",
                    store.Stored() / sqlite.Stored(), store.read / sqlite.read, store.RoundTrip() / sqlite.RoundTrip(),
                    store.Total() / sqlite.Total(), storeSum == sqliteSum ? "agree" : "DIFFER");
    } else {
        ok = false;
    }
#endif
    FreeBlockStoreDirectory();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return ok ? 0 : 1;
}
