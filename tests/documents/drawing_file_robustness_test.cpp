// The full reader against damaged drawings: every file of the kept corpus, and deterministic
// mutations of it (cuts, bit flips, lengths and counts at their extremes), read as a drawing
// image and as a symbol stream over a fresh store. Every read ends with 0 or an error code and
// leaves the store consistent.
//
// The corpus is made by the program's own writer: with VEXLOR_WRITE_DRAWING_CORPUS naming a
// folder, DrawingFileCorpus.WriterMakesTheCorpus writes its drawings there (the kept ones are in
// fuzz/corpus/drawing_file).
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <functional>
#include <cstring>
#include <string>
#include <vector>

#include "documents/geometry_records.h"
#include "documents/object_records.h"
#include "documents/record_fields.h"
#include "documents/symbol_stream.h"
#include "documents/text_stream.h"
#include "drawing_file_fixture.h"
#include "model/links.h"
#include "shapes/picture_chunks.h"
#include "store/store_compact.h"

namespace {

// Where a record starts in a stream and where its length field and data are.
struct RecordPlace {
    size_t start;
    size_t lengthAt;   // 0 for a bare marker
    size_t dataAt;
    DWORD length;
};

std::vector<RecordPlace> RecordPlaces(const std::string& stream)
{
    std::vector<RecordPlace> places;
    size_t at = 8;
    while (at + 2 <= stream.size()) {
        WORD opcode;
        std::memcpy(&opcode, stream.data() + at, 2);
        RecordPlace p = {at, 0, at + 2, 0};
        if (!(opcode & kRecordBare)) {
            if (at + 6 > stream.size()) break;
            std::memcpy(&p.length, stream.data() + at + 2, 4);
            p.lengthAt = at + 2;
            p.dataAt = at + 6;
        }
        places.push_back(p);
        at = p.dataAt + p.length;
    }
    return places;
}

// The damaged copies of a stream: cut at every record boundary and at offsets spread over it,
// a bit flipped at seeded positions, every record length and the first two 16-bit fields of
// every record (counts, mostly) set to 0, -1, 0x7FFF and 0xFFFF.
std::vector<std::string> Mutations(const std::string& stream)
{
    std::vector<std::string> out;
    const std::vector<RecordPlace> places = RecordPlaces(stream);
    for (const RecordPlace& p : places) {
        out.push_back(stream.substr(0, p.start));
        out.push_back(stream.substr(0, p.dataAt + p.length / 2));
    }
    for (size_t cut = 1; cut < stream.size(); cut += 1 + stream.size() / 16) out.push_back(stream.substr(0, cut));

    DWORD seed = 0x2545F491u ^ static_cast<DWORD>(stream.size());
    for (int i = 0; i < 120; ++i) {
        seed = seed * 1664525u + 1013904223u;
        std::string flipped = stream;
        const size_t at = 8 + (seed >> 8) % (stream.size() - 8);
        flipped[at] = static_cast<char>(flipped[at] ^ (1 << (seed & 7)));
        out.push_back(flipped);
    }

    auto put = [&](size_t at, const void* value, size_t n) {
        if (at + n > stream.size()) return;
        std::string changed = stream;
        std::memcpy(&changed[at], value, n);
        out.push_back(changed);
    };
    for (const RecordPlace& p : places) {
        for (DWORD length : {0u, 0xFFFFFFFFu, 0x7FFFu, 0xFFFFu})
            if (p.lengthAt) put(p.lengthAt, &length, 4);
        for (size_t field = 0; field < 2 && 2 * field + 2 <= p.length; ++field)
            for (WORD value : {WORD(0), WORD(0xFFFF), WORD(0x7FFF)}) put(p.dataAt + 2 * field, &value, 2);
    }
    return out;
}

bool IsResult(int result)
{
    return (result >= 0 && result <= 33) || (result >= ErrStreamShortRead && result <= ErrStreamBadHeader) ||
           (result >= ErrStringMissing && result <= ErrBadMetafile);
}

std::string CorpusFolder() { return VEXLOR_DRAWING_CORPUS; }

std::vector<std::string> CorpusFiles()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((CorpusFolder() + "/*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

std::string ReadWhole(const std::string& path)
{
    std::string bytes;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(f, nullptr));
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(f, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    CloseHandle(f);
    return bytes;
}

class DrawingCorpusTest : public DrawingFileTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(DrawingCorpusTest, DamagedCopiesReadToAResultAndKeepTheStoreSound)
{
    const std::string stream = ReadWhole(CorpusFolder() + "/" + GetParam());
    ASSERT_GT(stream.size(), 8u);
    ASSERT_EQ(0, ReadImage(stream));
    ASSERT_EQ(0, CheckStore(slot_));

    std::vector<std::string> copies = Mutations(stream);
    for (size_t i = 0; i < copies.size(); ++i) {
        const std::string& copy = copies[i];
        SCOPED_TRACE(i);
        const int asDrawing = ReadImage(copy);
        ASSERT_TRUE(IsResult(asDrawing)) << asDrawing;
        HGLOBAL record = MakeImage(copy, kBlockHeaderSize);
        const int asSymbol =
            ReadSymbolStream(HFILE_ERROR, nullptr, record, static_cast<DWORD>(copy.size() + 4), state_);
        GlobalFree(record);
        ASSERT_TRUE(IsResult(asSymbol)) << asSymbol;
        if (i % 64 == 0 || i + 1 == copies.size()) {
            ASSERT_EQ(0, CheckStore(slot_));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, DrawingCorpusTest, ::testing::ValuesIn(CorpusFiles()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name;
                             for (char c : info.param) name += isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

// The drawings of the corpus, each made by a function on a fresh drawing.
class DrawingFileCorpus : public DrawingFileTest {
protected:
    int AddText(const std::string& text)
    {
        TextRun plain = g_defaultCharFormat;
        plain.charCount = 3;
        TextRun bold = plain;
        bold.style = 1;
        bold.firstChar = 3;
        bold.charCount = static_cast<INT32>(text.size()) - 3;
        return AddObjectText(slot_, text, {plain, bold});
    }
    // A drawing of one shape holding a bitmap picture, read from records made here.
    void ReadPictureDrawing()
    {
        DrawingBlockHeader h = EmptyHeader();
        h.objectCount = 1;
        RecordBuilder object;
        object.U16(ClassShape).Rect({600, 600, 1200, 900}).Rect({600, 600, 1200, 900}).Rect({600, 600, 1200, 900});
        object.I16(1).Vector().resize(kObjectRecordSize);
        const WORD none = 0xFFFF;
        std::memcpy(object.Vector().data() + 54, &none, 2);
        RecordBuilder picture;
        picture.Rect({0, 0, 8, 4}).I16(2);
        for (int i = 0; i < 16; ++i) picture.I16(i < 2 ? 300 : 0).I16(i < 2 ? 600 : 0);
        picture.I16(PicStretchedBits).I16(2).U32(0x0000FF).U32(0xFF0000);
        std::string bits(96, '\0');
        for (size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<char>(i * 13);
        StreamBytes s;
        s.Signature().Header().Record(kOpDrawingBlock, StreamBytes::Pod(h));
        s.Record(kOpObject, std::string(object.Vector().begin(), object.Vector().end()));
        s.Record(kOpPictureHeader, std::string(picture.Vector().begin(), picture.Vector().end()));
        s.Record(kOpBitmapData, bits).Bare(0x4022).Bare(0x4020).Bare(0x4001);
        ASSERT_EQ(0, ReadImage(s.bytes));
        ASSERT_EQ(1, Count());
    }
};

// A damaged drawing reads to 0 as far as it can be read, and tells what it lost: cut inside an
// object block, its drawing block record one byte short, a text past its limit, a link table
// naming more links than it holds.
TEST_F(DrawingFileCorpus, DamagedDrawingsReadAsFarAsTheyCanAndTellWhatWasLost)
{
    // Paint order a, b, c, d, line: the line hooked to a and b, c and d grouped, d with text.
    const int a = AddAt(ClassShape, RECT{100, 100, 700, 500}, 1);
    const int b = AddAt(ClassShape, RECT{1000, 100, 1600, 500}, 1);
    const int c = AddAt(ClassShape, RECT{100, 1000, 700, 1500}, 1);
    const int d = AddAt(ClassShape, RECT{1000, 1000, 1600, 1500}, 1);
    const int line = AddAt(ClassLine, RECT{700, 300, 1000, 300}, 1);
    {
        Locked<Drawing> drawing = LockDrawing();
        ASSERT_EQ(0, AttachHook(drawing.get(), line, -1, a, 1, 600, 300));
        ASSERT_EQ(0, AttachHook(drawing.get(), line, -1, b, 2, 0, 300));
    }
    AddGroup(5, {c, d}, true);
    const int text = AddText("box text");
    Change(d, [text](DrawObject& o, Drawing&) { o.textId = text; });
    const std::string stream = WriteImage();
    ASSERT_FALSE(stream.empty());

    const std::vector<RecordPlace> places = RecordPlaces(stream);
    auto place = [&](WORD opcode, int nth) {
        for (const RecordPlace& p : places) {
            WORD op;
            std::memcpy(&op, stream.data() + p.start, 2);
            if (op == opcode && nth-- == 0) return p;
        }
        ADD_FAILURE() << "no record " << opcode;
        return RecordPlace{};
    };
    auto patched = [&](size_t at, const void* value, size_t n) {
        std::string copy = stream;
        std::memcpy(&copy[at], value, n);
        return copy;
    };
    const WORD hugeText = 0x7F00;
    const DWORD shortHeader = sizeof(DrawingBlockHeader) - 1;
    WORD links = 0;
    std::memcpy(&links, stream.data() + place(0x29, 0).dataAt, 2);
    const WORD moreLinks = static_cast<WORD>(links + 2);
    ASSERT_EQ(2, links);

    struct Case {
        const char* name;
        std::string bytes;
        int objects;
        ReadDamage damage;
    } cases[] = {
        {"whole", stream, 5, {5, 0, 0, 0, 0, FALSE}},
        // a, b and c are read; c's group loses d, and the line's links go with the line.
        {"cut inside d", stream.substr(0, place(kOpObject, 3).dataAt + 10), 3, {5, 2, 2, 1, 0, TRUE}},
        {"text past its limit", patched(place(kOpText, 0).dataAt + 6, &hugeText, 2), 5, {5, 0, 0, 0, 1, FALSE}},
        {"link table naming two more", patched(place(0x29, 0).dataAt, &moreLinks, 2), 5, {5, 0, 2, 0, 0, FALSE}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TearDown();
        SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_EQ(0, ReadImage(k.bytes));
        EXPECT_EQ(k.objects, Count());
        EXPECT_EQ(k.damage.objectsNamed, g_readDamage.objectsNamed);
        EXPECT_EQ(k.damage.objectsLost, g_readDamage.objectsLost);
        EXPECT_EQ(k.damage.linksLost, g_readDamage.linksLost);
        EXPECT_EQ(k.damage.groupsLost, g_readDamage.groupsLost);
        EXPECT_EQ(k.damage.textsLost, g_readDamage.textsLost);
        EXPECT_EQ(k.damage.cut, g_readDamage.cut);
        EXPECT_EQ(0, CheckStore(slot_));
    }

    // The drawing block's record one byte short: what follows no longer lines up with records.
    TearDown();
    SetUp();
    ASSERT_EQ(0, ReadImage(patched(place(kOpDrawingBlock, 0).lengthAt, &shortHeader, 4)));
    EXPECT_EQ(5, g_readDamage.objectsNamed);
    EXPECT_EQ(5 - Count(), g_readDamage.objectsLost);
    EXPECT_TRUE(ReadLostSomething(g_readDamage));
}

TEST_F(DrawingFileCorpus, WriterMakesTheCorpus)
{
    struct Sample {
        const char* name;
        std::function<void()> make;
    };
    const Sample samples[] = {
        {"empty", [] {}},
        {"shapes",
         [this] {
             AddAt(ClassShape, RECT{100, 100, 700, 500}, 1);
             AddAt(ClassShape, RECT{1000, 100, 1600, 500}, 2);
             AddAt(ClassShape, RECT{100, 1000, 700, 1500}, 5);
         }},
        {"hooked-line",
         [this] {
             const int a = AddAt(ClassShape, RECT{100, 100, 700, 500}, 1);
             const int b = AddAt(ClassShape, RECT{1000, 100, 1600, 500}, 1);
             const int line = AddAt(ClassLine, RECT{700, 300, 1000, 300}, 1);
             Locked<Drawing> d = LockDrawing();
             EXPECT_EQ(0, AttachHook(d.get(), line, -1, a, 1, 600, 300));
             EXPECT_EQ(0, AttachHook(d.get(), line, -1, b, 2, 0, 300));
         }},
        {"connector",
         [this] {
             AddAt(ClassShape, RECT{100, 100, 700, 500}, 1);
             AddAt(ClassShape, RECT{1000, 1000, 1600, 1500}, 1);
             AddAt(ClassConnector, RECT{700, 300, 1000, 1200}, 0);
         }},
        {"array",
         [this] {
             const int array = AddAt(ClassArray, RECT{2000, 1000, 2600, 1600}, 0, 4, 0);
             Change(array, [](DrawObject& o, Drawing&) { o.options |= OptShadowHidden; });
             const int member = AddAt(ClassShape, RECT{2700, 1000, 3000, 1300}, 1);
             Locked<Drawing> d = LockDrawing();
             EXPECT_EQ(0, AttachHook(d.get(), member, -1, array, 305, 0, 0));
         }},
        {"group",
         [this] {
             const int a = AddAt(ClassShape, RECT{100, 100, 700, 500}, 1);
             const int b = AddAt(ClassShape, RECT{1000, 100, 1600, 500}, 1);
             const int c = AddAt(ClassShape, RECT{100, 1000, 700, 1500}, 1);
             AddGroup(5, {a, c}, true);
             AddGroup(6, {b}, true);
         }},
        {"text",
         [this] {
             const int a = AddAt(ClassShape, RECT{100, 100, 700, 500}, 1);
             const int id = AddText("box text");
             Change(a, [id](DrawObject& o, Drawing&) { o.textId = id; });
         }},
        {"picture", [this] { ReadPictureDrawing(); }},
    };
    const char* folder = std::getenv("VEXLOR_WRITE_DRAWING_CORPUS");
    for (const Sample& drawing : samples) {
        SCOPED_TRACE(drawing.name);
        TearDown();
        SetUp();
        ASSERT_FALSE(HasFatalFailure());
        drawing.make();
        const std::string stream = WriteImage();
        ASSERT_FALSE(stream.empty());
        // Written in this folder or not, each drawing reopens.
        const int objects = Count();
        ASSERT_EQ(0, ReadImage(stream));
        EXPECT_EQ(objects, Count());
        if (folder) {
            const std::string path = std::string(folder) + "/" + drawing.name;
            HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, f);
            DWORD written = 0;
            WriteFile(f, stream.data(), static_cast<DWORD>(stream.size()), &written, nullptr);
            CloseHandle(f);
        }
    }
}

}  // namespace
