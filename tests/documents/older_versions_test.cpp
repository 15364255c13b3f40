// Older versions: old options records taken into the settings, and old drawing stores widened
// field by field to the current layouts, checked at the documented offsets.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "documents/document_state.h"
#include "documents/older_options.h"
#include "documents/older_versions.h"
#include "model/drawing.h"
#include "text/font_list.h"
#include "documents/options.h"
#include "documents/options_file.h"
#include "support/temp_folder.h"
#include "older_store.h"

namespace {

// One field carried from an old offset to a current one: 's' i16, 'u' u16, 'l' i32.
struct Field {
    int from;
    char kind;
    int to;
};

// `count` fields of one kind at consecutive offsets.
void AddRun(std::vector<Field>& fields, int from, int count, char kind, int to)
{
    const int width = kind == 'l' ? 4 : 2;
    for (int i = 0; i < count; ++i) fields.push_back({from + width * i, kind, to + 4 * i});
}

// A value for field `i` whose widening shows: negative for i16, above 0x7FFF for u16.
INT32 Sample(const Field& f, int i, int salt)
{
    switch (f.kind) {
    case 's': return -(100 + i + salt);
    case 'u': return 0xF000 + i + salt;
    default: return 0x12340000 + i + salt;
    }
}

void Write(Bytes& b, size_t base, const Field& f, INT32 value)
{
    if (f.kind == 'l')
        PutAt<INT32>(b, base + f.from, value);
    else
        PutAt<UINT16>(b, base + f.from, static_cast<UINT16>(value));
}

void ExpectFields(const Bytes& b, size_t base, const std::vector<Field>& fields, int salt, const char* what)
{
    for (size_t i = 0; i < fields.size(); ++i)
        EXPECT_EQ(Sample(fields[i], static_cast<int>(i), salt), At<INT32>(b, base + fields[i].to))
            << what << ": old " << fields[i].from << " -> " << fields[i].to;
}

std::vector<Field> StateFields()
{
    std::vector<Field> f;
    AddRun(f, 2, 3, 's', 4);    // scroll, zoom
    AddRun(f, 8, 2, 'u', 16);   // zoom flags, flags
    AddRun(f, 28, 6, 's', 56);  // extents, page and printable sizes
    AddRun(f, 40, 4, 's', 80);
    AddRun(f, 48, 4, 's', 96);
    AddRun(f, 56, 1, 's', 112);
    AddRun(f, 326, 1, 'l', 394);
    return f;
}

// Block offsets, header included.
std::vector<Field> DrawingFields()
{
    std::vector<Field> f;
    AddRun(f, 20, 2, 's', 24);
    AddRun(f, 24, 1, 'u', 32);
    AddRun(f, 32, 2, 's', 48);
    AddRun(f, 36, 2, 'u', 56);
    AddRun(f, 40, 2, 's', 64);
    AddRun(f, 112, 6, 's', 148);
    AddRun(f, 156, 1, 's', 208);
    AddRun(f, 158, 1, 'l', 212);
    AddRun(f, 162, 1, 's', 216);
    return f;
}

std::vector<Field> ObjectFields()
{
    std::vector<Field> f;
    AddRun(f, 2, 16, 's', 4);     // update rectangle, frame, inner and text rectangles
    AddRun(f, 34, 1, 's', 68);
    AddRun(f, 76, 8, 's', 112);   // text inset and margins
    AddRun(f, 92, 1, 's', 144);   // the class flags at 148 are checked by class
    AddRun(f, 96, 11, 's', 152);
    AddRun(f, 118, 2, 'l', 196);
    AddRun(f, 126, 4, 's', 204);
    AddRun(f, 134, 5, 'u', 220);
    AddRun(f, 144, 2, 's', 240);
    for (int hook = 0; hook < 2; ++hook) {
        AddRun(f, 148 + 10 * hook, 1, 'u', 248 + 20 * hook);
        AddRun(f, 150 + 10 * hook, 4, 's', 252 + 20 * hook);
    }
    AddRun(f, 168, 2, 's', 288);
    AddRun(f, 172, 1, 'l', 296);
    AddRun(f, 176, 1, 'u', 304);
    AddRun(f, 178, 1, 's', 308);
    AddRun(f, 184, 1, 's', 312);
    return f;
}

class OlderDrawingTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder_.path().empty());
        store_ = std::make_unique<OldStore>(folder_.File("old.vxr"));
        settings_.ruler.divisions = 10;
        g_settings = &settings_;
    }
    void TearDown() override
    {
        store_.reset();
        g_settings = nullptr;
    }

    // The state as the loader reads it from record (100, 101), converted.
    int Convert()
    {
        Bytes image = store_->Payload(100, 101);
        std::memset(&state_, 0, sizeof state_);
        std::memcpy(&state_, image.data(), std::min(image.size(), sizeof state_));
        return ConvertOldDocument(&state_, store_->slot());
    }
    Bytes Block(int type, int id)
    {
        Bytes payload = store_->Payload(type, id);
        payload.insert(payload.begin(), 16, 0);
        return payload;
    }

    TempFolder folder_;
    std::unique_ptr<OldStore> store_;
    DocumentState state_ = {};
    Settings settings_ = {};
};

TEST_F(OlderDrawingTest, StateDrawingAndObjectsKeepEveryFieldAtItsCurrentOffset)
{
    PutOldDrawing(*store_, 2, 3);
    const std::vector<Field> stateFields = StateFields(), drawingFields = DrawingFields(),
                             objectFields = ObjectFields();
    Bytes state = store_->Payload(100, 101);
    for (size_t i = 0; i < stateFields.size(); ++i)
        Write(state, 0, stateFields[i], Sample(stateFields[i], static_cast<int>(i), 0));
    store_->Put(100, 101, state);

    Bytes drawing = Block(100, 105);
    for (size_t i = 0; i < drawingFields.size(); ++i)
        Write(drawing, 0, drawingFields[i], Sample(drawingFields[i], static_cast<int>(i), 0));
    store_->Put(100, 105, Bytes(drawing.begin() + 16, drawing.end()));

    // Every row has values of its own, so that a row written over another shows.
    Bytes list = store_->Payload(110, 0);
    for (int row = 0; row < 3; ++row) {
        for (size_t i = 0; i < objectFields.size(); ++i)
            Write(list, 2 + 186 * row, objectFields[i], Sample(objectFields[i], static_cast<int>(i), 1000 * row));
        for (int k = 0; k < 5; ++k) PutAt<double>(list, 2 + 186 * row + 36 + 8 * k, row + k / 8.0);
    }
    store_->Put(110, 0, list);

    ASSERT_EQ(0, Convert());

    Bytes image = BytesOf(state_);
    ExpectFields(image, 0, stateFields, 0, "state");
    EXPECT_EQ(4, At<INT32>(image, 0)) << "the version word, 32 bits";
    EXPECT_EQ(0, state_.undoLabel);
    EXPECT_EQ(image, store_->Payload(100, 101)) << "the record holds the converted state";

    drawing = Block(100, 105);
    EXPECT_EQ(272u, drawing.size());
    ExpectFields(drawing, 0, drawingFields, 0, "drawing");
    EXPECT_STREQ("Normal", reinterpret_cast<const char*>(drawing.data()) + 72 + 44) << "the style's name";
    EXPECT_STREQ("Arial", reinterpret_cast<const char*>(drawing.data()) + 176);
    for (int zero : {16, 20, 36, 40, 44, 172, 220, 224, 228, 236}) EXPECT_EQ(0, At<INT32>(drawing, zero)) << zero;
    EXPECT_EQ(1, At<INT32>(drawing, 232)) << "arrowhead size";
    const RulerSettings ruler = At<RulerSettings>(drawing, 240);
    EXPECT_EQ(1, ruler.rulersShown);
    EXPECT_EQ(1, ruler.screenUnit);
    EXPECT_EQ(100.0, ruler.scaleBase);
    EXPECT_EQ(10, ruler.divisions) << "the default ruler's";
    EXPECT_EQ(1.0, ruler.shownValue);
    EXPECT_EQ(1, ruler.unit);

    list = store_->Payload(110, 0);
    ASSERT_EQ(static_cast<size_t>(4 * 356 + 4), list.size());
    EXPECT_EQ(3, At<INT32>(list, 0));
    for (int row = 0; row < 3; ++row) {
        const size_t base = 4 + 356 * row;
        ExpectFields(list, base, objectFields, 1000 * row, ("row " + std::to_string(row)).c_str());
        for (int k = 0; k < 5; ++k) EXPECT_EQ(row + k / 8.0, At<double>(list, base + 72 + 8 * k)) << row;
        const DrawObject o = At<DrawObject>(list, base);
        EXPECT_EQ(1, o.arrowSize);
        EXPECT_EQ(0, o.groupId);
        EXPECT_EQ(-1, o.groupRow);
        EXPECT_EQ(o.frame.left, o.groupFrame.left);
        EXPECT_EQ(o.frame.bottom, o.groupFrame.bottom);
        EXPECT_EQ(0, o.groupAngle);
        EXPECT_EQ(0u, o.savedState);
    }
}

TEST_F(OlderDrawingTest, ClassesAndArrowheadEnds)
{
    PutOldDrawing(*store_, 1, 4);
    Bytes list = store_->Payload(110, 0);
    const INT32 ends[] = {0, 1, 2, 3};
    for (int row = 0; row < 4; ++row) {
        PutAt<INT16>(list, 2 + 186 * row, static_cast<INT16>(row));   // classes 0-3
        PutAt<INT16>(list, 2 + 186 * row + 94, 0x40);                  // class flags
        PutAt<INT32>(list, 2 + 186 * row + 172, ends[row]);
    }
    store_->Put(110, 0, list);
    ASSERT_EQ(0, Convert());
    list = store_->Payload(110, 0);
    struct Expected {
        INT32 classFlags, arrowStart, arrowEnd;
    } expected[] = {{0x40, 0, 0}, {0x60, 0, 1}, {0x60, 1, 0}, {0x40, 1, 1}};
    for (int row = 0; row < 4; ++row) {
        const DrawObject o = At<DrawObject>(list, 4 + 356 * row);
        EXPECT_EQ(row, o.objClass);
        EXPECT_EQ(expected[row].classFlags, o.classFlags) << row;
        EXPECT_EQ(expected[row].arrowStart, o.arrowStart) << "324, from bit 1, row " << row;
        EXPECT_EQ(expected[row].arrowEnd, o.arrowEnd) << "328, from bit 0, row " << row;
    }
}

TEST_F(OlderDrawingTest, TablesTakeTheirCurrentSizes)
{
    PutOldDrawing(*store_, 3, 2);
    Bytes map;
    for (INT16 v : {3, 0, -1, 2}) PutAt<INT16>(map, map.size(), v);
    store_->Put(100, 103, map);
    Bytes links;
    PutAt<INT16>(links, 0, 2);
    const UINT16 entries[2][5] = {{1, 0, 2, 1, 0x10}, {0xFFF0, 0xFFFF, 2, 1, 0x8001}};
    for (auto& e : entries)
        for (UINT16 v : e) PutAt<UINT16>(links, links.size(), v);
    store_->Put(115, 0, links);
    store_->Drop(118, 0);

    ASSERT_EQ(0, Convert());

    struct Size {
        int type, id;
        LONG bytes;
    } sizes[] = {{100, 103, 3 * 4 + 20}, {100, 104, 1 * 76 + 24}, {100, 106, 1044}, {100, 105, 272},
                 {110, 0, 3 * 356 + 20}, {111, 0, 2 * 4 + 20},   {115, 0, 2 * 20 + 20}, {118, 0, 20}};
    for (const Size& s : sizes) EXPECT_EQ(s.bytes, store_->Size(s.type, s.id)) << s.type << "/" << s.id;

    map = store_->Payload(100, 103);
    for (int i = 0; i < 4; ++i) EXPECT_EQ((std::vector<INT32>{3, 0, -1, 2})[i], At<INT32>(map, 4 * i)) << i;
    const Bytes fonts = store_->Payload(100, 104);
    EXPECT_EQ(1, At<INT32>(fonts, 0));
    const FontListEntry font = At<FontListEntry>(fonts, 8);
    EXPECT_STREQ("Arial", font.logFont.lfFaceName);
    EXPECT_EQ(2, font.kind);
    EXPECT_EQ(-1, font.cacheIndex);
    const Bytes colors = store_->Payload(100, 106);
    EXPECT_EQ(2, At<INT32>(colors, 0));
    EXPECT_EQ(0x00FF00u, At<DWORD>(colors, 8));
    const Bytes order = store_->Payload(111, 0);
    EXPECT_EQ(1, At<INT32>(order, 8));
    links = store_->Payload(115, 0);
    const LinkEntry second = At<LinkEntry>(links, 4 + 20);
    EXPECT_EQ(0xFFF0, second.targetId) << "ids zero-extended";
    EXPECT_EQ(-1, second.targetRow) << "rows sign-extended";
    EXPECT_EQ(0x8001u, second.flags);
    EXPECT_EQ(0, At<INT32>(store_->Payload(118, 0), 0)) << "an empty group table";
}

TEST_F(OlderDrawingTest, FontListCarriesCharacterSetAndFaceOnly)
{
    PutOldDrawing(*store_, 1, 1);
    Bytes fonts = store_->Payload(100, 104);
    fonts[4 + 13] = 2;   // character set
    std::memset(fonts.data() + 4, 0x7F, 13);
    std::memset(fonts.data() + 4 + 18, 'w', 32);   // a face without its terminator
    store_->Put(100, 104, fonts);
    ASSERT_EQ(0, Convert());
    const FontListEntry font = At<FontListEntry>(store_->Payload(100, 104), 8);
    EXPECT_EQ(2, font.logFont.lfCharSet);
    EXPECT_EQ(std::string(31, 'w'), font.logFont.lfFaceName);
    EXPECT_EQ(0, font.logFont.lfHeight);
    EXPECT_EQ(0, font.logFont.lfWeight);
}

TEST_F(OlderDrawingTest, TextRecordsWidenEveryPartAndKeepTheirText)
{
    PutOldDrawing(*store_, 2, 1);
    const std::string text = "Old text\rsecond line";
    const int runs = 2, lines = 3, formats = 2, segments = 4;
    Bytes old = OldTextRecord(runs, lines, formats, segments, text);
    PutAt<INT32>(old, 30, 0x00050007);   // label link
    PutAt<INT32>(old, 42, 0x00C0FFEE);   // colours
    PutAt<INT32>(old, 46, 0x00FACADE);
    const int oldRuns = 50 + 30 * lines;
    PutAt<INT32>(old, oldRuns + 38 + 6, 0x00123456);   // second run's colour
    PutAt<UINT16>(old, oldRuns + 38 + 4, 0x8001);
    store_->Put(114, 7, old);
    ASSERT_EQ(0, Convert());

    const Bytes b = store_->Payload(114, 7);
    const LONG needed = 104 + 60 * lines + 68 * runs + 44 * formats + 24 * segments + static_cast<LONG>(text.size());
    EXPECT_GE(store_->Size(114, 7), needed);
    const INT32 counts[5] = {runs, lines, static_cast<INT32>(text.size()), formats, segments};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(counts[i], At<INT32>(b, 4 * i)) << i;
    // The header: old offsets 10 to 28 in steps of 2 (16 to 22 the margins) and 34 to 40.
    for (int old16 : {10, 12, 14, 16, 18, 20, 22, 24, 26, 28})
        EXPECT_EQ(-1000 - old16, At<INT32>(b, 2 * old16)) << "header " << old16;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(-1000 - (34 + 2 * i), At<INT32>(b, 64 + 4 * i)) << "header " << 34 + 2 * i;
    EXPECT_EQ(0x00050007, At<INT32>(b, 60));
    EXPECT_EQ(0x00C0FFEE, At<INT32>(b, 80));
    EXPECT_EQ(0x00FACADE, At<INT32>(b, 84));

    struct Part {
        const char* name;
        int oldStart, oldSize, newStart, newSize, count, values;
    };
    const int oldFormats = oldRuns + 38 * runs, oldSegments = oldFormats + 22 * formats;
    const int newRuns = 88 + 60 * lines, newFormats = newRuns + 68 * runs, newSegments = newFormats + 44 * formats;
    for (const Part& p : {Part{"line", 50, 30, 88, 60, lines, 15}, Part{"format", oldFormats, 22, newFormats, 44, formats, 11},
                          Part{"segment", oldSegments, 12, newSegments, 24, segments, 6}}) {
        for (int e = 0; e < p.count; ++e)
            for (int k = 0; k < p.values; ++k) {
                const int at = p.oldStart + p.oldSize * e + 2 * k;
                // The thirteenth value of a line is unsigned.
                const INT32 expected = std::string(p.name) == "line" && k == 12 ? static_cast<UINT16>(-1000 - at) : -1000 - at;
                EXPECT_EQ(expected, At<INT32>(b, p.newStart + p.newSize * e + 4 * k)) << p.name << " " << e << "." << k;
            }
    }
    // Runs: carried fields, the nominal size from the size, the cached font cleared.
    const Field runFields[] = {{0, 's', 0}, {2, 's', 4}, {10, 's', 16}, {12, 's', 20}, {14, 's', 24}, {16, 'u', 28},
                               {22, 's', 36}, {34, 's', 60}};
    for (int e = 0; e < runs; ++e) {
        const int from = oldRuns + 38 * e, to = newRuns + 68 * e;
        for (const Field& f : runFields) {
            const INT32 v = -1000 - (from + f.from);
            EXPECT_EQ(f.kind == 'u' ? static_cast<UINT16>(v) : v, At<INT32>(b, to + f.to)) << "run " << e << "." << f.from;
        }
        EXPECT_EQ(At<INT32>(b, to + 4), At<INT32>(b, to + 32)) << "nominal size";
        EXPECT_EQ(0, At<INT32>(b, to + 64)) << "cached font";
    }
    EXPECT_EQ(0x8001, At<INT32>(b, newRuns + 68 + 8));
    EXPECT_EQ(0x00123456, At<INT32>(b, newRuns + 68 + 12));
    const size_t newText = newSegments + 24 * segments;
    EXPECT_EQ(text, std::string(reinterpret_cast<const char*>(b.data()) + newText, text.size()));
}

TEST_F(OlderDrawingTest, ConnectorPathsWiden)
{
    PutOldDrawing(*store_, 3, 1);
    Bytes old;
    for (int i = 0; i < 28; ++i) PutAt<INT16>(old, 2 * i, static_cast<INT16>(-1 - i));
    store_->Put(116, 3, old);
    ASSERT_EQ(72, store_->Size(116, 3));
    ASSERT_EQ(0, Convert());
    EXPECT_EQ(128, store_->Size(116, 3));
    const Bytes b = store_->Payload(116, 3);
    for (int i = 0; i < 28; ++i) EXPECT_EQ(-1 - i, At<INT32>(b, 4 * i)) << i;
}

TEST_F(OlderDrawingTest, OnlyVersionZeroClearsPictureFields)
{
    for (INT16 version : {0, 1, 2, 3}) {
        store_.reset();
        DeleteFileA(folder_.File("old.vxr").c_str());
        store_ = std::make_unique<OldStore>(folder_.File("old.vxr"));
        PutOldDrawing(*store_, version, 1);
        Bytes chunk(110 - 16 + 8, 0x5A);
        store_->Put(112, 4, chunk);
        store_->Put(113, 9, chunk);
        ASSERT_EQ(0, Convert()) << version;
        for (int type : {112, 113}) {
            const Bytes b = store_->Payload(type, type == 112 ? 4 : 9);
            for (size_t at = 0; at < b.size(); ++at) {
                const bool field = at + 16 >= 94 && at + 16 < 110;
                EXPECT_EQ(field && version == 0 ? 0 : 0x5A, b[at]) << "version " << version << " type " << type << " at " << at + 16;
            }
        }
    }
}

TEST_F(OlderDrawingTest, ADrawingWithoutAColourListConverts)
{
    PutOldDrawing(*store_, 1, 2);
    store_->Drop(100, 106);
    EXPECT_EQ(0, Convert());
    EXPECT_EQ(4, state_.version);
}

TEST_F(OlderDrawingTest, BoundsOnOldFields)
{
    PutOldDrawing(*store_, 1, 1);
    Bytes state = store_->Payload(100, 101);
    std::memset(state.data() + 58, 'p', 268);   // a printer name without its terminator
    store_->Put(100, 101, state);
    Bytes colors(2 + 4 * 300, 0x11);
    PutAt<INT16>(colors, 0, 300);
    store_->Put(100, 106, colors);
    ASSERT_EQ(0, Convert());
    EXPECT_EQ(std::string(261, 'p'), state_.deviceName);
    EXPECT_EQ(-1, state_.savedBackground) << "the field after the name";
    EXPECT_EQ(256, At<INT32>(store_->Payload(100, 106), 0)) << "the record's room";

    // A count beyond the colours the old record holds takes those it holds.
    store_.reset();
    DeleteFileA(folder_.File("old.vxr").c_str());
    store_ = std::make_unique<OldStore>(folder_.File("old.vxr"));
    PutOldDrawing(*store_, 1, 1);
    colors.assign(2 + 4 * 5, 0x22);
    PutAt<INT16>(colors, 0, 200);
    store_->Put(100, 106, colors);
    ASSERT_EQ(0, Convert());
    const Bytes b = store_->Payload(100, 106);
    EXPECT_EQ(5, At<INT32>(b, 0));
    EXPECT_EQ(0x22222222u, At<DWORD>(b, 4 + 4 * 4));
    EXPECT_EQ(0u, At<DWORD>(b, 4 + 4 * 5));
}

TEST_F(OlderDrawingTest, DamagedStoresAreRefusedBeforeAnythingChanges)
{
    struct Case {
        const char* what;
        void (*damage)(OldStore&);
        int error;
    };
    const Case cases[] = {
        {"version above 4", [](OldStore& s) { Bytes b = s.Payload(100, 101); PutAt<INT16>(b, 0, 5); s.Put(100, 101, b); }, 10008},
        {"negative version", [](OldStore& s) { Bytes b = s.Payload(100, 101); PutAt<INT16>(b, 0, -1); s.Put(100, 101, b); }, 1003},
        {"object count past its record", [](OldStore& s) { Bytes b = s.Payload(110, 0); PutAt<INT16>(b, 0, 3); s.Put(110, 0, b); }, 1003},
        {"negative object count", [](OldStore& s) { Bytes b = s.Payload(110, 0); PutAt<INT16>(b, 0, -2); s.Put(110, 0, b); }, 1003},
        {"class above 3", [](OldStore& s) { Bytes b = s.Payload(110, 0); PutAt<INT16>(b, 2 + 186, 4); s.Put(110, 0, b); }, 1003},
        {"negative class", [](OldStore& s) { Bytes b = s.Payload(110, 0); PutAt<INT16>(b, 2, -1); s.Put(110, 0, b); }, 1003},
        {"more than 16,000 objects", [](OldStore& s) { Bytes b = s.Payload(110, 0); PutAt<INT16>(b, 0, 16001); s.Put(110, 0, b); }, 10010},
        {"more than 6,000 links", [](OldStore& s) { s.Put(115, 0, BytesOf<INT16>(6001)); }, 10011},
        {"link count past its record", [](OldStore& s) { s.Put(115, 0, BytesOf<INT16>(1)); }, 1003},
        {"z-order past its record", [](OldStore& s) { s.Put(111, 0, BytesOf<INT16>(3)); }, 1003},
        {"font map past its record", [](OldStore& s) { s.Put(100, 103, BytesOf<INT16>(2)); }, 1003},
        {"font list past its record", [](OldStore& s) { Bytes b = s.Payload(100, 104); PutAt<INT16>(b, 0, 2); s.Put(100, 104, b); }, 1003},
        {"negative colour count", [](OldStore& s) { s.Put(100, 106, BytesOf<INT16>(-1)); }, 1003},
        {"short drawing record", [](OldStore& s) { s.Put(100, 105, Bytes(100)); }, 1003},
        {"text count past its record", [](OldStore& s) { Bytes b = OldTextRecord(1, 1, 1, 1, "abc"); PutAt<INT16>(b, 4, 40); s.Put(114, 1, b); }, 1003},
        {"negative text count", [](OldStore& s) { Bytes b = OldTextRecord(1, 1, 1, 1, "abc"); PutAt<INT16>(b, 6, -1); s.Put(114, 1, b); }, 1003},
        {"short text header", [](OldStore& s) { s.Put(114, 1, Bytes(40)); }, 1003},
        {"short connector path", [](OldStore& s) { s.Put(116, 1, Bytes(40)); }, 1003},
        {"short picture chunk", [](OldStore& s) { Bytes b = s.Payload(100, 101); PutAt<INT16>(b, 0, 0); s.Put(100, 101, b); s.Put(113, 1, Bytes(60)); }, 1003},
    };
    for (const Case& c : cases) {
        store_.reset();
        DeleteFileA(folder_.File("old.vxr").c_str());
        store_ = std::make_unique<OldStore>(folder_.File("old.vxr"));
        PutOldDrawing(*store_, 1, 2);
        c.damage(*store_);
        const LONG listSize = store_->Size(110, 0), drawingSize = store_->Size(100, 105);
        EXPECT_EQ(c.error, Convert()) << c.what;
        EXPECT_EQ(listSize, store_->Size(110, 0)) << c.what;
        EXPECT_EQ(drawingSize, store_->Size(100, 105)) << c.what;
        EXPECT_EQ(-1, store_->Size(118, 0)) << c.what;
    }
}

TEST_F(OlderDrawingTest, AStoreThatFailsItsCheckIsRefused)
{
    PutOldDrawing(*store_, 1, 1);
    store_->Close();
    // Lost bytes on the free-space page where there is no hole.
    const std::string path = folder_.File("old.vxr");
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    SetFilePointer(file, 256 + 20, nullptr, FILE_BEGIN);
    INT32 lost = 64;
    DWORD written = 0;
    WriteFile(file, &lost, sizeof lost, &written, nullptr);
    CloseHandle(file);
    store_->Open();
    EXPECT_EQ(1003, Convert());
    EXPECT_EQ(16 + 2 + 186, store_->Size(110, 0));
}

// ---- Options ----------------------------------------------------------------------------------

class OlderOptionsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, CreateDefaultSettings());
        defaults_ = *g_settings;
    }
    void TearDown() override { FreeOptionsAtExit(); }
    Settings Converted(const OldSettings& old, DWORD size = sizeof(OldSettings))
    {
        Settings s = defaults_;
        ConvertOldSettings(&s, reinterpret_cast<const BYTE*>(&old), size);
        return s;
    }
    Settings defaults_ = {};
};

OldSettings SampleOldSettings(INT16 version, double scale)
{
    OldSettings old = {};
    old.version = version;
    old.rulersShown = 1;
    old.rulerScale = scale;
    old.rulerDivisions = 16;
    old.printOptions = 0x8003;
    old.flags = static_cast<INT16>(0x8011);
    for (int i = 0; i < 6; ++i) old.defaults[i] = static_cast<INT16>(-1 - i);
    std::memset(old.defaultFace, 'f', sizeof old.defaultFace);
    old.exportType = 3;
    old.importType = 4;
    old.nextTip = 5;
    for (int i = 0; i < 48; ++i) old.standardColors[i] = 0x010000u * i + 7;
    for (int i = 0; i < 21; ++i)
        old.tools[i] = {static_cast<INT16>(100 + i), static_cast<INT16>(-200 - i), 1, static_cast<INT16>(i), 3, i / 4.0};
    old.footerLift = 77;
    return old;
}

TEST_F(OlderOptionsTest, SettingsFromAnOldRecord)
{
    struct Case {
        INT16 version;
        double scale;
        INT32 screenUnit, rulerUnit, footerLift;
    } cases[] = {
        {3, 100.0, 1, 1, 77},
        {2, 100.0, 1, 1, -1},
        {3, 254.0, 0, 4, 77},
        {1, 0.0, 0, 4, -1},
    };
    for (const Case& c : cases) {
        const Settings s = Converted(SampleOldSettings(c.version, c.scale));
        EXPECT_EQ(1, s.ruler.rulersShown);
        EXPECT_EQ(c.screenUnit, s.ruler.screenUnit) << c.scale;
        EXPECT_EQ(c.rulerUnit, s.ruler.unit) << c.scale;
        EXPECT_EQ(100.0, s.ruler.scaleBase) << c.scale;
        EXPECT_EQ(16, s.ruler.divisions);
        EXPECT_EQ(1.0, s.ruler.shownValue);
        EXPECT_EQ(c.footerLift < 0 ? defaults_.footerLift : c.footerLift, s.footerLift) << c.version;
        EXPECT_EQ(0x8003, s.printOptions);
        EXPECT_EQ(0xFFFF8211u, s.flags) << "sign-extended, with the template dialog";
        EXPECT_EQ(-1, s.defaults.defaultBorderWidth);
        EXPECT_EQ(-6, s.defaults.defaultTextAlignV);
        EXPECT_EQ(std::string(31, 'f'), s.defaults.defaultFace);
        EXPECT_EQ(0, s.defaults.defaultFontKey);
        EXPECT_EQ(3, s.exportType);
        EXPECT_EQ(4, s.importType);
        EXPECT_EQ(5, s.nextTip);
        EXPECT_EQ(0x2F0007u, s.standardColors[47]);
        for (int slot = 0; slot < 4; ++slot) EXPECT_EQ(0, std::memcmp(&defaults_.tools[slot], &s.tools[slot], sizeof(ToolSlot))) << slot;
        for (int slot = 4; slot < 22; ++slot) {
            const ToolSlot& t = s.tools[slot];
            EXPECT_EQ(100 + slot - 1, t.width) << slot;
            EXPECT_EQ(-200 - (slot - 1), t.height) << slot;
            EXPECT_EQ(slot - 1, t.subtype) << slot;
            EXPECT_EQ((slot - 1) / 4.0, t.adjustment) << slot;
        }
        EXPECT_STREQ(defaults_.openFolder, s.openFolder);
        EXPECT_EQ(0, std::memcmp(defaults_.libraries, s.libraries, sizeof s.libraries));
        EXPECT_STREQ(defaults_.templateFolder, s.templateFolder);
    }
}

TEST_F(OlderOptionsTest, FieldsBeyondAShortRecordKeepTheirDefaults)
{
    OldSettings old = SampleOldSettings(3, 100.0);
    const Settings s = Converted(old, 3180);
    EXPECT_EQ(3, s.exportType);
    EXPECT_EQ(defaults_.importType, s.importType);
    EXPECT_EQ(defaults_.footerLift, s.footerLift);
    EXPECT_EQ(0, std::memcmp(defaults_.standardColors, s.standardColors, sizeof s.standardColors));
    EXPECT_EQ(0, std::memcmp(defaults_.tools, s.tools, sizeof s.tools));
    EXPECT_TRUE(s.flags & SetTemplateDialog);
}

TEST_F(OlderOptionsTest, RecentFilesFromAnOldRecord)
{
    struct Case {
        const char* what;
        INT16 count;
        INT16 order[4];
        INT32 expectedCount;
        INT32 expectedOrder[4];
    } cases[] = {
        {"a shown order", 3, {2, 0, 1, 9}, 3, {2, 0, 1, 3}},
        {"a count above 4", 7, {3, 2, 1, 0}, 4, {3, 2, 1, 0}},
        {"a slot named twice", 3, {1, 1, 0, 0}, 3, {0, 1, 2, 3}},
        {"a slot out of range", 2, {0, 5, 1, 0}, 2, {0, 1, 2, 3}},
        {"a negative count", -3, {0, 1, 2, 3}, 0, {0, 1, 2, 3}},
    };
    for (const auto& c : cases) {
        OldRecentFiles old = {};
        old.count = c.count;
        std::memcpy(old.order, c.order, sizeof old.order);
        for (int p = 0; p < 4; ++p) wsprintfA(old.paths[p], "C:\\D%d.VXR", p);
        std::memset(old.paths[3], 'q', sizeof old.paths[3]);   // unterminated
        RecentFiles recent = {};
        recent.changed = 5;
        ConvertOldRecentFiles(&recent, reinterpret_cast<const BYTE*>(&old), sizeof old);
        EXPECT_EQ(c.expectedCount, recent.count) << c.what;
        for (int p = 0; p < 4; ++p) EXPECT_EQ(c.expectedOrder[p], recent.order[p]) << c.what << " " << p;
        EXPECT_EQ(5, recent.changed) << c.what;
        if (c.expectedCount >= 1) {
            EXPECT_STREQ("C:\\D0.VXR", recent.paths[0]) << c.what;
        }
        if (c.expectedCount == 4) {
            EXPECT_EQ(std::string(255, 'q'), recent.paths[3]) << c.what;
        }
    }
}

// An options store named as the older version named it, with all three old records.
TEST(OlderOptionsStore, ImportsSettingsRecentFilesAndStyles)
{
    TempFolder folder;
    const std::string path = folder.File("VEXLR200.OPT");
    {
        OldStore store(path);
        store.Put(51, 100, BytesOf(SampleOldSettings(3, 254.0)));
        OldRecentFiles recent = {};
        recent.count = 2;
        recent.order[0] = 1;
        lstrcpyA(recent.paths[0], "C:\\FIRST.VXR");
        lstrcpyA(recent.paths[1], "C:\\SECOND.VXR");
        store.Put(51, 101, BytesOf(recent));
        Bytes styles;
        PutAt<INT16>(styles, 0, 1);
        PutAt<INT16>(styles, 2, 0);
        PackedStyleRecord style = {};
        style.colors[2] = 0x00ABCDEF;
        lstrcpyA(style.name, "Old style");
        PutAt(styles, 4, style);
        store.Put(51, 102, styles);
    }
    ASSERT_EQ(0, LoadOptions(path.c_str(), nullptr, 120));
    EXPECT_EQ(4, g_settings->ruler.unit);
    EXPECT_EQ(77, g_settings->footerLift);
    EXPECT_TRUE(g_settings->flags & SetTemplateDialog);
    ASSERT_NE(nullptr, g_recentFiles);
    EXPECT_EQ(2, g_recentFiles->count);
    EXPECT_EQ(1, g_recentFiles->order[0]);
    EXPECT_STREQ("C:\\SECOND.VXR", g_recentFiles->paths[1]);
    {
        Locked<StyleTable> table(g_styleTable);
        ASSERT_TRUE(table);
        EXPECT_EQ(1, table->count);
        EXPECT_STREQ("Old style", StyleEntries(table.get())[0].name);
        EXPECT_EQ(0x00ABCDEFu, StyleEntries(table.get())[0].fillColor);
    }
    // Released without writing the options over the old store.
    GlobalDeleteAtom(g_optionsPathAtom);
    g_optionsPathAtom = 0;
    FreeOptionsAtExit();
}

}  // namespace
