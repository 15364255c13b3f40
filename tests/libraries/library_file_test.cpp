// The library file's records and the checks of loading, without a window: both builds.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "library_fixture.h"
#include "store/block_store.h"
#include "store/file_ops.h"
#include "store/memory_blocks.h"

namespace {

std::int16_t I16(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    std::int16_t value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

std::uint32_t U32(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    std::uint32_t value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

std::vector<std::uint8_t> FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool AllZero(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to)
{
    for (std::size_t i = from; i < to; ++i) {
        if (bytes[i]) return false;
    }
    return true;
}

using Points = std::vector<std::pair<int, int>>;

Points PointsOf(const LibraryItemHeader& item)
{
    Points points;
    for (const LibraryPoint& p : item.points) points.push_back({p.x, p.y});
    return points;
}

const Points kDefaultPoints = {{0, 0},     {150, 0},   {300, 0},   {450, 0},  {600, 0},  {600, 150},
                               {600, 300}, {600, 450}, {600, 600}, {450, 600}, {300, 600}, {150, 600},
                               {0, 600},   {0, 450},   {0, 300},   {0, 150}};

}  // namespace

TEST_F(LibraryFileTest, ANewLibraryHoldsItsEmptyTableAndInfo)
{
    const std::string path = Path("new.vxl");
    ASSERT_EQ(0, CreateLibraryStore(path.c_str(), 50));

    // The store's unit shift (descriptor offset 14) and free-list capacity (the free-space page
    // at the first 64-byte unit after the 202-byte descriptor, capacity at its offset 16).
    const std::vector<std::uint8_t> file = FileBytes(path);
    ASSERT_GT(file.size(), 300u);
    EXPECT_EQ(6, I16(file, 14));
    EXPECT_EQ(50, I16(file, 256 + 16));

    EXPECT_EQ(std::vector<int>({200, 201, 203}), Types(path));
    std::vector<std::uint8_t> table = Record(path, 200, 0);
    ASSERT_EQ(5064u, table.size());
    EXPECT_EQ(0xABCDu, U32(table, 16));
    EXPECT_EQ(2, I16(table, 20));
    EXPECT_EQ(0, I16(table, 22));
    EXPECT_TRUE(AllZero(table, 24, table.size()));

    std::vector<std::uint8_t> info = Record(path, 200, 1);
    ASSERT_EQ(1166u, info.size());
    EXPECT_EQ(2, I16(info, 16));    // connection points normalised
    EXPECT_EQ(50, I16(info, 18));   // button size
    EXPECT_EQ(0, I16(info, 140));   // no palette yet
    EXPECT_TRUE(AllZero(info, 20, 140));
    EXPECT_TRUE(IsLibraryFile(path.c_str()));

    const Loaded loaded = Load(path);
    EXPECT_EQ(0, loaded.result);
    EXPECT_FALSE(loaded.readOnly);
}

TEST_F(LibraryFileTest, ADefaultItemHeaderHasItsDocumentedBytes)
{
    std::vector<std::uint8_t> expected(126, 0);
    auto put16 = [&](std::size_t at, int v) {
        std::int16_t value = static_cast<std::int16_t>(v);
        std::memcpy(&expected[at], &value, 2);
    };
    for (std::size_t at = 0; at < 6; ++at) expected[at] = 0x77;   // the caller's: size, record number
    put16(6, 4);      // text below
    put16(8, 3);      // proportional
    put16(10, 1);     // colours fixed
    for (int m = 0; m < 4; ++m) {
        const double margin = 0.4;
        std::memcpy(&expected[12 + 8 * m], &margin, 8);
    }
    put16(44, 16);
    for (int p = 0; p < 16; ++p) {
        put16(46 + 4 * p, kDefaultPoints[p].first);
        put16(48 + 4 * p, kDefaultPoints[p].second);
    }
    std::vector<std::uint8_t> header(126, 0x77);
    InitLibraryItemHeader(reinterpret_cast<LibraryItemHeader*>(header.data()));
    EXPECT_EQ(expected, header);
}

// Files whose item table the loader refuses: 1 for damage (message 5), -1 for a later version
// (message 4), the store's error for what is not a library store. Nothing is indexed past the
// table and nothing of a refused file is changed.
TEST_F(LibraryFileTest, ADamagedOrLaterItemTableIsRefused)
{
    struct Case {
        const char* what;
        std::function<void(const std::string&)> damage;
        int result;
    };
    auto table = [this](std::function<void(LibraryItemTable*)> edit) {
        return [this, edit](const std::string& path) { EditTable(path, edit); };
    };
    const std::vector<Case> cases = {
        {"one byte short, with the magic", [this](const std::string& p) { ResizeTo(p, 200, 0, 5063); }, 1},
        {"longer than its items", [this](const std::string& p) { ResizeTo(p, 200, 0, 5200); }, 0},
        {"without the magic", table([](LibraryItemTable* t) { t->magic = 0xABCE; }), 1},
        {"version 0", table([](LibraryItemTable* t) { t->version = 0; }), -1},
        {"version 4", table([](LibraryItemTable* t) { t->version = 4; }), -1},
        {"version 4 and 41 items", table([](LibraryItemTable* t) { t->version = 4, t->count = 41; }), -1},
        {"41 items", table([](LibraryItemTable* t) { t->count = 41; }), 1},
        {"41 items of version 1", table([](LibraryItemTable* t) { t->count = 41, t->version = 1; }), 1},
        {"a negative count", table([](LibraryItemTable* t) { t->count = -1; }), 1},
        {"40 items", table([](LibraryItemTable* t) { t->count = 40; }), 0},
        {"a negative record number", table([](LibraryItemTable* t) { t->items[1].recordNumber = -3; }), 1},
        {"negative extra records", table([](LibraryItemTable* t) { t->items[0].extraRecords = -1; }), 1},
        {"a picture run past the last id", table([](LibraryItemTable* t) {
             t->items[1].recordNumber = 32760, t->items[1].extraRecords = 8;
         }), 1},
        {"a picture run up to the last id", table([](LibraryItemTable* t) {
             t->items[1].recordNumber = 32760, t->items[1].extraRecords = 7;
         }), 0},
        {"no item table", [this](const std::string& p) {
             DeleteRecordOf(p, 200, 0);
         }, StoreKeyMissing},
        {"not a store", [](const std::string& p) { std::ofstream(p, std::ios::binary | std::ios::trunc) << std::string(300, 'x'); },
         StoreNotAStore},
        {"no file", [](const std::string& p) { std::remove(p.c_str()); }, ErrFileIO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = MakeLibrary("damaged.vxl", 2);
        c.damage(path);
        const std::vector<std::uint8_t> before = Record(path, 200, 0);
        EXPECT_EQ(c.result, Load(path).result);
        if (c.result) {
            EXPECT_EQ(before, Record(path, 200, 0));
        }
        std::remove(path.c_str());
    }
}

// Counts that only say how much of a fixed array is used are cut to the array.
TEST_F(LibraryFileTest, PointAndPaletteCountsAreCutToTheirRecords)
{
    struct Case {
        int points;
        int palette;
        int pointsLoaded;
        int paletteLoaded;
    };
    const std::vector<Case> cases = {{17, 300, 16, 256}, {-3, -2, 0, 0}, {16, 256, 16, 256}, {5, 7, 5, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.points) + " " + std::to_string(c.palette));
        const std::string path = MakeLibrary("counts.vxl", 1);
        EditTable(path, [&](LibraryItemTable* t) { t->items[0].pointCount = static_cast<std::int16_t>(c.points); });
        EditInfo(path, [&](LibraryInfo* i) { i->paletteCount = static_cast<std::int16_t>(c.palette); });
        const Loaded loaded = Load(path);
        ASSERT_EQ(0, loaded.result);
        EXPECT_EQ(c.pointsLoaded, loaded.items()->items[0].pointCount);
        EXPECT_EQ(c.paletteLoaded, loaded.infoRecord()->paletteCount);
        std::remove(path.c_str());
    }
}

TEST_F(LibraryFileTest, AVersionOneLibraryIsUpgradedOnItsFirstOpening)
{
    const std::string path = MakeLibrary("old.vxl", 2);
    EditTable(path, [](LibraryItemTable* t) {
        t->version = 1;
        for (int i = 0; i < 3; ++i) std::memset(reinterpret_cast<BYTE*>(&t->items[i]) + 110, 0x33, 16);
    });
    // A picture record too short for the fields is left as it is.
    WithStore(path, [](int store) {
        HGLOBAL block = nullptr;
        ASSERT_EQ(0, AddRecord(store, 201, 40, 100, &block));
        BlockLock lock(block);
        std::memset(lock.get() + kBlockHeaderSize, 0x44, 100 - kBlockHeaderSize);
        MarkBlockDirty(block);
    });
    const std::vector<std::uint8_t> picture = Record(path, 201, TestRecordNumber(1) + 1);
    const std::vector<std::uint8_t> shortPicture = Record(path, 201, 40);

    const Loaded loaded = Load(path);
    ASSERT_EQ(0, loaded.result);
    EXPECT_EQ(2, loaded.items()->version);

    // On disk: version 2; the headers below the count cleared from 110 on, the one above kept;
    // every picture record's bytes 94-109 cleared and nothing else of it changed.
    const std::vector<std::uint8_t> table = Record(path, 200, 0);
    EXPECT_EQ(2, I16(table, 20));
    for (int i = 0; i < 3; ++i) {
        const std::size_t at = 24 + 126 * static_cast<std::size_t>(i);
        EXPECT_EQ(i < 2, AllZero(table, at + 110, at + 126)) << i;
        if (i < 2) {
            EXPECT_EQ(16, I16(table, at + 44)) << i;
        }
    }
    std::vector<std::uint8_t> expected = picture;
    std::memset(expected.data() + 94, 0, 16);
    EXPECT_EQ(expected, Record(path, 201, TestRecordNumber(1) + 1));
    EXPECT_EQ(shortPicture, Record(path, 201, 40));
}

TEST_F(LibraryFileTest, AVersionThreeLibraryOpensAndKeepsItsVersion)
{
    const std::string path = MakeLibrary("v3.vxl", 1);
    EditTable(path, [](LibraryItemTable* t) { t->version = 3; });
    const Loaded loaded = Load(path);
    ASSERT_EQ(0, loaded.result);
    EXPECT_EQ(3, loaded.items()->version);
    EXPECT_EQ(3, I16(Record(path, 200, 0), 20));
}

// An info record of another size is made 1166 bytes: the saved grid and the palette are
// forgotten, the flags and button size kept while the record held them.
TEST_F(LibraryFileTest, AnInfoRecordOfAnotherSizeIsMadeWhole)
{
    struct Case {
        int size;
        int flags;
        int buttonSize;
    };
    for (const Case& c : std::vector<Case>{{1000, 3, 70}, {1200, 3, 70}, {18, 3, 30}, {16, 2, 30}}) {
        SCOPED_TRACE(c.size);
        const std::string path = MakeLibrary("info.vxl", 1);
        EditInfo(path, [](LibraryInfo* i) {
            i->flags = 3;
            i->buttonSize = 70;
            i->savedColumns = 5;
            i->savedRows = 4;
            i->paletteCount = 3;
            std::memset(i->palette, 0x21, sizeof i->palette);
        });
        ResizeTo(path, 200, 1, c.size);
        const Loaded loaded = Load(path);
        ASSERT_EQ(0, loaded.result);
        const std::vector<std::uint8_t> info = Record(path, 200, 1);
        ASSERT_EQ(1166u, info.size());
        EXPECT_EQ(c.flags, I16(info, 16));
        EXPECT_EQ(c.buttonSize, LibraryButtonSize(loaded.infoRecord()));
        EXPECT_EQ(0, I16(info, 20));
        EXPECT_EQ(0, I16(info, 22));
        EXPECT_EQ(0, I16(info, 140));
        if (c.size < 1166) {
            EXPECT_TRUE(AllZero(info, static_cast<std::size_t>(c.size < 18 ? 18 : c.size), 1166));
        }
        std::remove(path.c_str());
    }
}

TEST_F(LibraryFileTest, AMissingInfoRecordIsMadeWithMediumButtons)
{
    const std::string path = MakeLibrary("noinfo.vxl", 1);
    DeleteRecordOf(path, 200, 1);
    const Loaded loaded = Load(path);
    ASSERT_EQ(0, loaded.result);
    const std::vector<std::uint8_t> info = Record(path, 200, 1);
    ASSERT_EQ(1166u, info.size());
    EXPECT_EQ(2, I16(info, 16));
    EXPECT_EQ(50, I16(info, 18));
}

TEST_F(LibraryFileTest, TheButtonSizeIsKeptBetweenSmallAndLarge)
{
    LibraryInfo info = {};
    const std::vector<std::pair<int, int>> cases = {{0, 30}, {20, 30}, {-5, 30}, {30, 30}, {50, 50},
                                                    {70, 70}, {71, 70}, {500, 70}};
    for (const auto& [stored, used] : cases) {
        info.buttonSize = static_cast<std::int16_t>(stored);
        EXPECT_EQ(used, LibraryButtonSize(&info)) << stored;
    }
}

// The first load puts the points nearest to the middles of the edges into points 14, 6, 2 and
// 10, on the middles' lines, and sets flag 2; later loads leave the points alone.
TEST_F(LibraryFileTest, ConnectionPointsAreNormalisedOnce)
{
    Points moved = kDefaultPoints;
    moved[3] = {10, 290};     // nearest to the left middle
    moved[14] = {450, 0};
    Points movedNormalised = kDefaultPoints;
    movedNormalised[14] = {10, 300};
    movedNormalised[3] = {450, 0};
    // Nearest to the right middle is point 2 and to the top middle point 6. The right's swap
    // moves them; the top's then swaps point 6 as found, which now holds the right's point.
    Points crossed = kDefaultPoints;
    crossed[2] = {590, 300};
    crossed[6] = {300, 5};
    Points crossedNormalised = kDefaultPoints;
    crossedNormalised[2] = {300, 300};
    crossedNormalised[6] = {300, 5};
    struct Case {
        const char* what;
        Points points;
        int count;
        Points expected;
    };
    const std::vector<Case> cases = {
        {"default points", kDefaultPoints, 16, kDefaultPoints},
        {"point 3 nearest the left", moved, 16, movedNormalised},
        {"crossed", crossed, 16, crossedNormalised},
        {"no points", moved, 0, moved},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = MakeLibrary("points.vxl", 1);
        EditTable(path, [&](LibraryItemTable* t) {
            t->items[0].pointCount = static_cast<std::int16_t>(c.count);
            for (int p = 0; p < 16; ++p) {
                t->items[0].points[p] = {static_cast<std::int16_t>(c.points[p].first),
                                         static_cast<std::int16_t>(c.points[p].second)};
            }
        });
        EditInfo(path, [](LibraryInfo* i) { i->flags = 0; });
        ASSERT_EQ(0, Load(path).result);
        const std::vector<std::uint8_t> table = Record(path, 200, 0);
        EXPECT_EQ(c.expected, PointsOf(reinterpret_cast<const LibraryItemTable*>(table.data())->items[0]));
        EXPECT_EQ(2, I16(Record(path, 200, 1), 16));

        EditTable(path, [&](LibraryItemTable* t) { t->items[0].points[0] = {599, 599}; });
        ASSERT_EQ(0, Load(path).result);
        EXPECT_EQ(599, reinterpret_cast<const LibraryItemTable*>(Record(path, 200, 0).data())->items[0].points[0].x);
        std::remove(path.c_str());
    }
}

TEST_F(LibraryFileTest, ANameIsStoredCutOrDeleted)
{
    struct Case {
        const char* what;
        int existingSize;   // 0: no name record yet
        std::string name;
        int recordSize;     // 0: no record afterwards
        std::string stored;
    };
    const std::string longName(300, 'n');
    const std::vector<Case> cases = {
        {"a first name", 0, "Decision;diamond branch", 273, "Decision;diamond branch"},
        {"no name for an item without one", 0, "", 0, ""},
        {"300 characters", 0, longName, 273, longName.substr(0, 256)},
        {"a name removed", 273, "", 0, ""},
        {"a short record", 100, "Box", 273, "Box"},
        {"a long record", 300, longName, 300, longName.substr(0, 283)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = MakeLibrary("names.vxl", 1);
        if (c.existingSize) {
            WithStore(path, [&](int store) {
                ASSERT_EQ(0, AddRecordType(store, 202));
                HGLOBAL block = nullptr;
                ASSERT_EQ(0, AddRecord(store, 202, 4, static_cast<DWORD>(c.existingSize), &block));
                BlockLock lock(block);
                std::memset(lock.get() + kBlockHeaderSize, 'o', static_cast<std::size_t>(c.existingSize - kBlockHeaderSize));
                lock.get()[c.existingSize - 1] = 0;
                MarkBlockDirty(block);
            });
        }
        std::vector<char> buffer(c.name.begin(), c.name.end());
        buffer.push_back(0);
        WithStore(path, [&](int store) { EXPECT_EQ(0, StoreLibraryItemName(store, 4, buffer.data())); });
        EXPECT_EQ(c.stored.empty() ? c.name : c.stored, std::string(buffer.data()));
        const std::vector<std::uint8_t> record = Record(path, 202, 4);
        EXPECT_EQ(static_cast<std::size_t>(c.recordSize), record.size());
        if (c.recordSize) {
            EXPECT_EQ(c.stored, std::string(reinterpret_cast<const char*>(record.data()) + 16));
        }
        const std::vector<int> types = Types(path);
        EXPECT_EQ(c.existingSize || c.recordSize, std::find(types.begin(), types.end(), 202) != types.end());
        std::remove(path.c_str());
    }
}

TEST_F(LibraryFileTest, ALibraryFileIsKnownByItsTableVersion)
{
    struct Case {
        const char* what;
        std::function<void(const std::string&)> change;
        bool library;
    };
    auto version = [this](int v) {
        return [this, v](const std::string& p) {
            EditTable(p, [v](LibraryItemTable* t) { t->version = static_cast<std::int16_t>(v); });
        };
    };
    const std::vector<Case> cases = {
        {"new", [](const std::string&) {}, true},
        {"version 1", version(1), true},
        {"version 3", version(3), true},
        {"version 4", version(4), false},
        {"without the magic", [this](const std::string& p) { EditTable(p, [](LibraryItemTable* t) { t->magic = 0; }); }, true},
        {"a table of 22 bytes", [this](const std::string& p) { ResizeTo(p, 200, 0, 22); }, true},
        {"a table of 21 bytes", [this](const std::string& p) { ResizeTo(p, 200, 0, 21); }, false},
        {"not a store", [](const std::string& p) { std::ofstream(p, std::ios::binary | std::ios::trunc) << std::string(300, 'x'); }, false},
        {"no file", [](const std::string& p) { std::remove(p.c_str()); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = MakeLibrary("known.vxl", 1);
        c.change(path);
        EXPECT_EQ(c.library, IsLibraryFile(path.c_str()) != FALSE);
        std::remove(path.c_str());
    }
}

// A file another program holds open for writing opens read-only, and every record is read at
// once: what the file holds afterwards does not matter.
TEST_F(LibraryFileTest, AReadOnlyLibraryIsReadWholeWhenItLoads)
{
    const std::string path = MakeLibrary("shared.vxl", 2);
    WithStore(path, [](int store) {
        char name[] = "Start;oval";
        ASSERT_EQ(0, StoreLibraryItemName(store, TestRecordNumber(1), name));
    });
    const std::vector<std::uint8_t> picture = Record(path, 201, TestRecordNumber(1) + 1);
    const std::vector<std::uint8_t> name = Record(path, 202, TestRecordNumber(1));
    const std::size_t length = FileBytes(path).size();

    OFSTRUCT of;
    HFILE holder = OpenFileMode(path.c_str(), &of, OF_READWRITE);
    ASSERT_NE(HFILE_ERROR, holder);
    int store = -1;
    BOOL readOnly = FALSE;
    HGLOBAL table = nullptr;
    ASSERT_EQ(0, OpenLibraryStore(path.c_str(), &store, &readOnly, &table));
    EXPECT_TRUE(readOnly);

    const std::vector<char> zeros(length, 0);
    ASSERT_EQ(0, _llseek(holder, 0, FILE_BEGIN));
    ASSERT_EQ(length, _lwrite(holder, zeros.data(), static_cast<UINT>(length)));
    HGLOBAL block = nullptr;
    ASSERT_EQ(0, LoadRecord(store, 201, TestRecordNumber(1) + 1, &block));
    EXPECT_EQ(picture, BlockBytes(block));
    ASSERT_EQ(0, LoadRecord(store, 202, TestRecordNumber(1), &block));
    EXPECT_EQ(name, BlockBytes(block));
    EXPECT_EQ(0, CloseStore(store));
    _lclose(holder);
    EXPECT_EQ(std::vector<std::uint8_t>(length, 0), FileBytes(path));
}
