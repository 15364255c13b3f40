// Drawing files, images and symbol streams: header, page block, drawing block, preview, probe,
// and the errors of damaged input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <string>
#include <vector>

#include "documents/document_state.h"
#include "documents/drawing_block.h"
#include "documents/drawing_file.h"
#include "documents/record_stream.h"
#include "documents/symbol_stream.h"
#include "documents/text_stream.h"
#include "lines/array_record.h"
#include "text/object_text.h"
#include "exchange/printer_metrics.h"
#include "model/links.h"
#include "store/block_store.h"
#include "support/drawing_fixture.h"

#include "drawing_file_fixture.h"

namespace {

TEST_F(DrawingFileTest, EmptyDrawingWritesHeaderPageBlockAndEmptyDrawingBlock)
{
    std::string stream = WriteImage();
    ASSERT_EQ("VEXLORFM", stream.substr(0, 8));
    std::vector<ParsedRecord> records = ParseRecords(stream);
    std::vector<WORD> expected = {0x8001, 0x8002, 3, 5, 4, 0x8006, 0x4006, 8, 0x4002,
                                  0x8020, 0x801, 0x29, 0x4020, 0x4001};
    EXPECT_EQ(expected, Opcodes(records));
    const WORD header[6] = {2, 300, 1, 2, 100, 600};
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(header), 12), records[0].data);
    EXPECT_EQ(14u, Find(records, 0x8002)->data.size());
    EXPECT_EQ(30u, Find(records, 3)->data.size());
    EXPECT_EQ(std::string(1, '\0'), Find(records, 5)->data);       // empty device name, terminated
    EXPECT_EQ(148u, Find(records, 4)->data.size());
    EXPECT_EQ(std::string(2, '\0'), Find(records, 8)->data);        // no colours
    EXPECT_EQ(144u, Find(records, 0x8020)->data.size());
    EXPECT_EQ(24u, Find(records, 0x801)->data.size());
    const WORD links[2] = {0, 10};
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(links), 4), Find(records, 0x29)->data);
}

TEST_F(DrawingFileTest, DrawingHeaderAndRulerRoundTrip)
{
    {
        Locked<Drawing> d = LockDrawing();
        d->pageWidth = 6000;
        d->pageHeight = 4800;
        d->duplicateDx = 120;
        d->style.fillColor = RGB(1, 2, 3);
        d->style.highlightColor = RGB(9, 8, 7);
        d->style.shadowDx = 30;
        std::strcpy(d->style.name, "Blueprint");
        d->defaults.defaultBorderWidth = 7;
        d->defaults.defaultLineWidth = 5;
        d->defaults.defaultTextSize = 14;
        std::strcpy(d->defaults.defaultFace, "Courier New");
        d->defaults.defaultFontKey = 161;
        d->defaultArrowStart = 3;
        d->defaultArrowSize = 2;
        d->rulerSettings.divisions = 16;
        d->rulerSettings.scaleBase = 250.0;
        d->rulerSettings.unit = 4;
    }
    Drawing before = *LockDrawing();
    std::string stream = WriteImage();
    {
        Locked<Drawing> d = LockDrawing();
        d->pageWidth = d->duplicateDx = d->defaults.defaultBorderWidth = 0;
        d->style.name[0] = d->defaults.defaultFace[0] = 0;
        d->rulerSettings = RulerSettings{};
    }
    BOOL older = TRUE;
    ASSERT_EQ(0, ReadImage(stream, &older));
    EXPECT_FALSE(older);
    Drawing after = *LockDrawing();
    EXPECT_EQ(6000, after.pageWidth);
    EXPECT_EQ(4800, after.pageHeight);
    EXPECT_EQ(120, after.duplicateDx);
    EXPECT_EQ(RGB(1, 2, 3), after.style.fillColor);
    EXPECT_EQ(RGB(9, 8, 7), after.style.highlightColor);
    EXPECT_EQ(30, after.style.shadowDx);
    EXPECT_STREQ("Blueprint", after.style.name);
    EXPECT_EQ(7, after.defaults.defaultBorderWidth);
    EXPECT_EQ(5, after.defaults.defaultLineWidth);
    EXPECT_EQ(14, after.defaults.defaultTextSize);
    EXPECT_STREQ("Courier New", after.defaults.defaultFace);
    EXPECT_EQ(161, after.defaults.defaultFontKey);
    EXPECT_EQ(3, after.defaultArrowStart);
    EXPECT_EQ(2, after.defaultArrowSize);
    EXPECT_EQ(before.reserved236, after.reserved236);
    EXPECT_EQ(16, after.rulerSettings.divisions);
    EXPECT_EQ(250.0, after.rulerSettings.scaleBase);
    EXPECT_EQ(4, after.rulerSettings.unit);
    EXPECT_EQ(0, Count());
    EXPECT_EQ(-1, after.currentRow);
    EXPECT_TRUE(LinkEntries().empty());
    EXPECT_TRUE(Groups().empty());
}

TEST_F(DrawingFileTest, HeaderFieldsAreRescaledAndRepaired)
{
    struct Case {
        const char* name;
        WORD resolution;
        DWORD headerLength;
        INT16 borderWidth;
        INT16 arrowStart;
        INT16 arrowSize;
        INT32 wantBorder;
        INT32 wantArrowStart;
        INT32 wantArrowSize;
        INT32 wantPageWidth;
    };
    const Case cases[] = {
        {"600 units per inch", 600, 144, 1, 2, 1, 1, 2, 1, 3000},
        {"300 doubles", 300, 144, 1, 2, 1, 2, 2, 1, 6000},
        {"1200 keeps a thin width", 1200, 144, 1, 2, 1, 1, 2, 1, 1500},
        {"zero width stays zero", 1200, 144, 0, 2, 1, 0, 2, 1, 1500},
        {"arrowhead low byte above 23", 600, 144, 1, 0x0130, 1, 1, 0x0101, 1, 3000},
        {"arrowhead size above 2", 600, 144, 1, 2, 5, 1, 2, 2, 3000},
        {"older writer's short header", 600, 100, 1, 2, 2, 1, 0, 1, 3000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DrawingBlockHeader h = EmptyHeader();
        h.defaultBorderWidth = c.borderWidth;
        h.defaultArrowStart = c.arrowStart;
        h.defaultArrowEnd = c.arrowStart;
        h.defaultArrowSize = c.arrowSize;
        h.arrowSetting = 1;
        ASSERT_EQ(0, ReadImage(DrawingWith(h, c.headerLength, c.resolution)));
        Drawing d = *LockDrawing();
        EXPECT_EQ(c.wantBorder, d.defaults.defaultBorderWidth);
        EXPECT_EQ(c.wantArrowStart, d.defaultArrowStart);
        EXPECT_EQ(c.wantArrowStart, d.defaultArrowEnd);
        EXPECT_EQ(c.wantArrowSize, d.defaultArrowSize);
        EXPECT_EQ(c.wantPageWidth, d.pageWidth);
        EXPECT_EQ(c.headerLength < 144 ? 0 : 1, d.reserved236);
        EXPECT_EQ(c.resolution, g_fileResolution);
    }
}

TEST_F(DrawingFileTest, RulerRecordOutOfRangeTakesStandardScale)
{
    struct Case {
        double scale;
        INT16 divisions;
        double wantScale;
        INT32 wantDivisions;
    };
    const Case cases[] = {
        {150.0, 10, 150.0, 10},
        {std::numeric_limits<double>::quiet_NaN(), 10, 100.0, 12},
        {std::numeric_limits<double>::infinity(), 8, 100.0, 12},
        {-5.0, 16, 100.0, 12},
        {150.0, 9, 100.0, 12},
    };
    for (const Case& c : cases) {
        RulerRecord r = {1, 0, c.scale, c.divisions, 2.0, 3};
        std::string ruler;
        ruler = StreamBytes().Record(kOpRuler, StreamBytes::Pod(r)).bytes;
        ASSERT_EQ(0, ReadImage(DrawingWith(EmptyHeader(), 144, 600, ruler)));
        RulerSettings got = LockDrawing()->rulerSettings;
        EXPECT_EQ(c.wantScale, got.scaleBase) << c.divisions;
        EXPECT_EQ(c.wantDivisions, got.divisions);
        EXPECT_EQ(2.0, got.shownValue);
        EXPECT_EQ(3, got.unit);
    }
    // Without a ruler record the drawing gets the standard ruler with the program's divisions.
    ASSERT_EQ(0, ReadImage(DrawingWith(EmptyHeader())));
    RulerSettings standard = LockDrawing()->rulerSettings;
    EXPECT_EQ(100.0, standard.scaleBase);
    EXPECT_EQ(settings_.ruler.divisions, standard.divisions);
    EXPECT_EQ(1, standard.rulersShown);
}

TEST_F(DrawingFileTest, DamagedHeadersAndCountsAreRefused)
{
    DrawingBlockHeader tooManyObjects = EmptyHeader();
    tooManyObjects.objectCount = 16001;
    DrawingBlockHeader tooManyLinks = EmptyHeader();
    tooManyLinks.linkCount = 6001;
    std::string full = DrawingWith(EmptyHeader());
    struct Case {
        const char* name;
        std::string bytes;
        int want;
    };
    const Case cases[] = {
        {"empty", "", ErrStreamBadHeader},
        {"five bytes", "VEXLO", ErrStreamBadHeader},
        {"other signature", StreamBytes().Signature("VEXLORFX").Header().Bare(0x4001).bytes, ErrStreamBadHeader},
        {"first record not the header", StreamBytes().Signature().Record(0x8002, std::string(14, '\0')).bytes,
         ErrStreamBadHeader},
        {"short header", StreamBytes().Signature().Record(kOpHeader, std::string(6, '\0')).bytes, ErrStreamBadHeader},
        {"resolution 0", StreamBytes().Signature().Header(2, 2, 0).Bare(0x4001).bytes, ErrStreamBadHeader},
        {"later version", StreamBytes().Signature().Header(2, 3).Record(kOpPreview, "pic").Bare(0x4001).bytes,
         ErrLaterVersion},
        {"ends after the header", StreamBytes().Signature().Header().bytes, ErrStreamShortRead},
        {"ends inside a record", full.substr(0, full.size() - 10), ErrStreamShortRead},
        {"length past the end", StreamBytes().Signature().Header().Raw(std::string("\x09\x00\xff\xff\xff\x7f", 6)).bytes,
         ErrStreamShortRead},
        {"over 16,000 objects", DrawingWith(tooManyObjects), ErrTooManyObjects},
        {"over 6,000 links", DrawingWith(tooManyLinks), ErrTooManyLinks},
        {"lower-case signature", StreamBytes().Signature("vexlorfm").Header().Bare(0x4001).bytes, 0},
        {"older version 0", StreamBytes().Signature().Header(2, 0).Bare(0x4001).bytes, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.want, ReadImage(c.bytes));
    }
    // The refused later version stored nothing, not even the preview in front of everything.
    EXPECT_EQ("", RecordBytes(RecDocument, RecPreviewId));
    // The stream state is released after every error.
    EXPECT_EQ(nullptr, RecordData());
    EXPECT_FALSE(MemoryStreamActive());
}

TEST_F(DrawingFileTest, OlderGenerationIsReportedAndSetsTheFlag)
{
    BOOL older = FALSE;
    ASSERT_EQ(0, ReadImage(StreamBytes().Signature().Header(1).Bare(0x4001).bytes, &older));
    EXPECT_TRUE(older);
    EXPECT_TRUE(g_olderFile);
    ASSERT_EQ(0, ReadImage(StreamBytes().Signature().Header(2).Bare(0x4001).bytes, &older));
    EXPECT_FALSE(older);
    EXPECT_FALSE(g_olderFile);
}

TEST_F(DrawingFileTest, UnknownRecordsAndBlocksAreSkipped)
{
    std::string unknown = StreamBytes()
                              .Record(0x8077, "abc")
                              .Record(0x8078, "inner")
                              .Record(0x12, "x")
                              .Bare(0x4078)
                              .Bare(0x4077)
                              .Record(0x55, "dropped")
                              .bytes;
    DrawingBlockHeader h = EmptyHeader();
    h.pageWidth = 4321;
    std::string s = StreamBytes().Signature().Header().Raw(unknown).bytes;
    s += DrawingWith(h, 144, 600, unknown).substr(8 + 18);
    ASSERT_EQ(0, ReadImage(s));
    EXPECT_EQ(4321, LockDrawing()->pageWidth);
}

TEST_F(DrawingFileTest, PageBlockRoundTripsAndBindsThePrinter)
{
    state_->scrollX = 300;
    state_->scrollY = -60;
    state_->zoom = 750;
    state_->savedBackground = 0x123456;
    state_->flags |= DocOnePage;
    state_->margins = RECT{60, 120, 180, 240};
    state_->footerSpace = 100;
    std::strcpy(state_->deviceName, "Plotter,DRV,LPT1:");
    state_->libraryAtom = GlobalAddAtomA("C:\\Symbols\\Flow.vxl");
    SetColors({RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)});
    {
        Locked<DEVMODEA> dm(state_->devMode);
        dm->dmOrientation = DMORIENT_LANDSCAPE;
        dm->dmPaperSize = DMPAPER_A4;
    }
    std::string stream = WriteImage();
    std::vector<ParsedRecord> records = ParseRecords(stream);
    PageSetupRecord setup;
    std::memcpy(&setup, Find(records, 3)->data.data(), sizeof(setup));
    EXPECT_EQ(1, setup.landscape);
    EXPECT_EQ(DMPAPER_A4, setup.paperSize);
    EXPECT_EQ(100, setup.footerSpace);
    EXPECT_EQ(std::string("C:\\Symbols\\Flow.vxl", 20), Find(records, 10)->data);

    // A fresh state: the values come from the file, the page and margins from the printer.
    GlobalDeleteAtom(state_->libraryAtom);
    state_->libraryAtom = 0;
    state_->scrollX = state_->scrollY = state_->zoom = 0;
    state_->margins = RECT{};
    state_->deviceName[0] = 0;
    SetColors({});
    SIZE page = {5000, 7000};
    RECT printerMargins = {10, 20, 30, 40};
    SetPrinterMetricsPage(&page, &printerMargins);
    ASSERT_EQ(0, ReadImage(stream));
    EXPECT_EQ(300, state_->scrollX);
    EXPECT_EQ(-60, state_->scrollY);
    EXPECT_EQ(750, state_->zoom);
    EXPECT_EQ(0x123456, state_->savedBackground);
    EXPECT_EQ((RECT{60, 120, 180, 240}), state_->margins);
    EXPECT_EQ((RECT{10, 20, 30, 40}), state_->printerMargins);
    EXPECT_EQ(5000, state_->pageWidth);
    EXPECT_EQ(7000, state_->pageHeight);
    EXPECT_EQ(100, state_->footerSpace);
    EXPECT_EQ(5000 - 60 - 180 - 100, state_->printableWidth);
    EXPECT_EQ(7000 - 120 - 240 - 100, state_->printableHeight);
    EXPECT_NE(nullptr, state_->printerIC);
    // The printer stand-in knows no printer: the device is gone and the DEVMODE is a new
    // document's, portrait, so the one-page area stands upright.
    EXPECT_STREQ("", state_->deviceName);
    EXPECT_EQ(4800, state_->areaWidth);
    EXPECT_EQ(6000, state_->areaHeight);
    char path[300] = {};
    GlobalGetAtomNameA(state_->libraryAtom, path, sizeof(path));
    EXPECT_STREQ("C:\\Symbols\\Flow.vxl", path);
    EXPECT_EQ(std::vector<COLORREF>({RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)}), Colors());
}

TEST_F(DrawingFileTest, PageBlockRecordsFromFilesAreBounded)
{
    auto pageBlock = [](const std::string& records) {
        PageBlockRecord page = {};
        return StreamBytes().Record(kOpPageBlock, StreamBytes::Pod(page)).Raw(records).Bare(0x4002).bytes;
    };
    auto file = [&](const std::string& records) {
        return StreamBytes().Signature().Header().Raw(pageBlock(records)).Bare(0x4001).bytes;
    };
    // A colour list that claims 300 colours stores 256; one that claims more than it holds stores what it holds.
    std::string colors300(2 + 300 * 4, '\x11');
    INT16 claim = 300;
    std::memcpy(&colors300[0], &claim, 2);
    ASSERT_EQ(0, ReadImage(file(StreamBytes().Record(kOpColorList, colors300).bytes)));
    EXPECT_EQ(256u, Colors().size());
    std::string colorsShort(2 + 3 * 4, '\x22');
    std::memcpy(&colorsShort[0], &claim, 2);
    ASSERT_EQ(0, ReadImage(file(StreamBytes().Record(kOpColorList, colorsShort).bytes)));
    EXPECT_EQ(3u, Colors().size());
    claim = -4;
    std::memcpy(&colorsShort[0], &claim, 2);
    ASSERT_EQ(0, ReadImage(file(StreamBytes().Record(kOpColorList, colorsShort).bytes)));
    EXPECT_EQ(0u, Colors().size());

    // A longer DEVMODE grows the block, a shorter one overwrites its start, one whose own sizes
    // reach past its record is ignored.
    std::string devMode(300, '\0');
    WORD sizes[2] = {148, 152};
    std::memcpy(&devMode[36], sizes, 4);
    devMode[0] = 'L';
    ASSERT_EQ(0, ReadImage(file(StreamBytes().Record(kOpDevMode, devMode).bytes)));
    EXPECT_GE(GlobalSize(state_->devMode), 300u);
    std::string lying = devMode;
    sizes[1] = 1000;
    std::memcpy(&lying[36], sizes, 4);
    lying[0] = 'X';
    HGLOBAL before = state_->devMode;
    ASSERT_EQ(0, ReadImage(file(StreamBytes().Record(kOpDevMode, lying).bytes)));
    EXPECT_EQ(before, state_->devMode);
    EXPECT_EQ(nullptr, std::strchr(static_cast<char*>(GlobalLock(state_->devMode)), 'X'));
    GlobalUnlock(state_->devMode);
}

TEST_F(DrawingFileTest, DeviceNameIsKeptToItsBound)
{
    // Read without the printer binding: a page block that never ends is not bound.
    std::string longName(400, 'P');
    std::string s = StreamBytes()
                        .Signature()
                        .Header()
                        .Record(kOpPageBlock, std::string(14, '\0'))
                        .Record(kOpDeviceName, longName)
                        .bytes;
    EXPECT_EQ(ErrStreamShortRead, ReadImage(s));
    EXPECT_EQ(std::string(261, 'P'), std::string(state_->deviceName));
}

TEST_F(DrawingFileTest, PreviewIsStoredWrittenAndProbed)
{
    std::string picture(70000, '\0');
    for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<char>(i * 7);
    std::string s = StreamBytes().Signature().Header().Record(kOpPreview, picture).Bare(0x4001).bytes;
    ASSERT_EQ(0, ReadImage(s));
    EXPECT_EQ(picture, RecordBytes(RecDocument, RecPreviewId));
    std::string written = WriteImage();
    std::vector<ParsedRecord> records = ParseRecords(written);
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(kOpPreview, records[1].opcode);
    EXPECT_EQ(picture, records[1].data);

    std::string templatePath = SaveBytes("plan.vxt", written);
    HGLOBAL preview = nullptr;
    EXPECT_EQ(1, ProbeDrawingFile(templatePath.c_str(), &preview));
    ASSERT_NE(nullptr, preview);
    EXPECT_EQ(picture.size(), GlobalSize(preview));
    EXPECT_EQ(0, std::memcmp(GlobalLock(preview), picture.data(), picture.size()));
    GlobalUnlock(preview);
    GlobalFree(preview);
}

TEST_F(DrawingFileTest, ProbeTellsDrawingsFromOtherFiles)
{
    std::string noPreview = StreamBytes().Signature().Header().Bare(0x4001).bytes;
    std::string later = StreamBytes().Signature().Header(2, 3).Record(kOpPreview, "pic").Bare(0x4001).bytes;
    struct Case {
        const char* name;
        std::string bytes;
        int bare;
        int withPreview;
    };
    const Case cases[] = {
        {"drawing", noPreview, 1, 0},
        {"lower case", StreamBytes().Signature("vexlorfm").Header().Record(kOpPreview, "p").bytes, 1, 1},
        {"later version", later, 1, 0},
        {"other file", "MZ this is no drawing", 0, 0},
        {"short", "VEXL", 0, 0},
        {"signature only", "VEXLORFM", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = SaveBytes("probe.vxr", c.bytes);
        EXPECT_EQ(c.bare, ProbeDrawingFile(path.c_str(), nullptr));
        HGLOBAL preview = nullptr;
        EXPECT_EQ(c.withPreview, ProbeDrawingFile(path.c_str(), &preview));
        EXPECT_EQ(c.withPreview == 1, preview != nullptr);
        if (preview) GlobalFree(preview);
    }
    EXPECT_EQ(-1, ProbeDrawingFile(folder_->File("missing.vxr").c_str(), nullptr));
}

TEST_F(DrawingFileTest, FilesAreWrittenReadAndCut)
{
    std::string path = folder_->File("saved.vxr");
    // A longer file at the path must not keep its tail.
    SaveBytes("saved.vxr", std::string(100000, 'z'));
    { Locked<Drawing>(DrawingHandle())->pageWidth = 5400; }
    // The first write gives the default face its font slot; the two writes compared below
    // then carry the same font table.
    WriteImage();
    ASSERT_EQ(0, WriteDrawingFile(path.c_str(), nullptr, nullptr, state_));
    std::string image = WriteImage();
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, f);
    EXPECT_EQ(image.size(), GetFileSize(f, nullptr));
    CloseHandle(f);

    { Locked<Drawing>(DrawingHandle())->pageWidth = 0; }
    BOOL older = TRUE;
    ASSERT_EQ(0, ReadDrawingFile(HFILE_ERROR, path.c_str(), nullptr, 0, view_, state_, &older, FALSE));
    EXPECT_EQ(5400, LockDrawing()->pageWidth);
    // An open file handle is read from where it stands.
    OFSTRUCT of;
    HFILE file = OpenFile(path.c_str(), &of, OF_READ);
    ASSERT_NE(HFILE_ERROR, file);
    EXPECT_EQ(0, ReadDrawingFile(file, nullptr, nullptr, 0, view_, state_, &older, FALSE));
    _lclose(file);
    EXPECT_EQ(1, ReadDrawingFile(HFILE_ERROR, folder_->File("missing.vxr").c_str(), nullptr, 0, view_, state_,
                                 &older, FALSE));
    std::string cut = SaveBytes("cut.vxr", image.substr(0, image.size() / 2));
    EXPECT_EQ(ErrStreamShortRead, ReadDrawingFile(HFILE_ERROR, cut.c_str(), nullptr, 0, view_, state_, &older, FALSE));
}

TEST_F(DrawingFileTest, ImageLimitIsClampedToItsBlock)
{
    std::string s = DrawingWith(EmptyHeader());
    HGLOBAL image = MakeImage(s);
    // A total length beyond the block reads only what the block holds; one short of the
    // stream stops inside the last record.
    EXPECT_EQ(0, ReadDrawingFile(HFILE_ERROR, nullptr, image, 0x7FFFFFFF, view_, state_, nullptr, FALSE));
    EXPECT_EQ(ErrStreamShortRead, ReadDrawingFile(HFILE_ERROR, nullptr, image, static_cast<DWORD>(s.size() + 4 - 1),
                                                  view_, state_, nullptr, FALSE));
    GlobalFree(image);
}

TEST_F(DrawingFileTest, SymbolStreamLeavesOutPreviewPageBlockAndLinkTable)
{
    AddPayload(RecPreviewId, "preview");
    HGLOBAL image = nullptr;
    DWORD length = 0;
    ASSERT_EQ(0, WriteSymbolStream(nullptr, &image, &length, state_));
    ASSERT_NE(nullptr, image);
    std::string stream = ImageStream(image, length);
    std::vector<WORD> expected = {0x8001, 0x8020, 0x801, 0x4020, 0x4001};
    EXPECT_EQ(expected, Opcodes(ParseRecords(stream)));

    // Kept in a library record: the block header, then the image.
    HGLOBAL record = MakeImage(stream, kBlockHeaderSize);
    { Locked<Drawing>(DrawingHandle())->pageWidth = 0; }
    std::strcpy(state_->deviceName, "kept");
    EXPECT_EQ(0, ReadSymbolStream(HFILE_ERROR, nullptr, record, length, state_));
    EXPECT_EQ(30000, LockDrawing()->pageWidth);
    EXPECT_STREQ("kept", state_->deviceName);
    // A stored length shorter than the stream fails at the record that crosses it.
    EXPECT_EQ(ErrStreamShortRead, ReadSymbolStream(HFILE_ERROR, nullptr, record, length - 3, state_));
    GlobalFree(record);
    GlobalFree(image);

    // A whole drawing file read as a symbol stream: its preview and page block are skipped.
    std::string drawing = WriteImage();
    std::string path = SaveBytes("whole.vxr", drawing);
    state_->scrollX = 77;
    EXPECT_EQ(0, ReadSymbolStream(HFILE_ERROR, path.c_str(), nullptr, 0, state_));
    EXPECT_EQ(77, state_->scrollX);
}

TEST_F(DrawingFileTest, WriterNamesObjectsByPaintPositionAndRepeatsSplitGroups)
{
    AddFourObjects({kLine, kA, kB, kC});
    AddGroup(5, {kA, kC}, true);
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), kLine, -1, kB, 2, 0, 300));
        // A label partner that is gone.
        Locked<ObjectList> objects(d->objectList);
        (*objects)[kB].labelId = 999;
        (*objects)[kB].labelRow = 3;
        (*objects)[kB].state |= StateAttachedLabel;
    }
    std::string stream = WriteImage();
    std::vector<ParsedRecord> records = ParseRecords(stream);
    std::vector<WORD> opcodes = Opcodes(records);
    std::vector<WORD> block(std::find(opcodes.begin(), opcodes.end(), WORD(0x8020)), opcodes.end());
    std::vector<WORD> groupRecords;
    for (WORD op : block)
        if (op == 0x8021 || op == 0x4021) groupRecords.push_back(op);
    // a and c are not neighbours in paint order: each gets its own group block.
    EXPECT_EQ(std::vector<WORD>({0x8021, 0x4021, 0x8021, 0x4021}), groupRecords);
    GroupRecord group;
    ASSERT_EQ(sizeof(group), Find(records, 0x8021)->data.size());
    std::memcpy(&group, Find(records, 0x8021)->data.data(), sizeof(group));
    EXPECT_EQ(5, group.groupId);
    EXPECT_EQ(0, group.extra);

    DrawingBlockHeader h;
    std::memcpy(&h, Find(records, 0x8020)->data.data(), sizeof(h));
    EXPECT_EQ(4, h.objectCount);
    EXPECT_EQ(4, h.lastId);
    EXPECT_EQ(1, h.groupCount);
    EXPECT_EQ(1, h.linkCount);
    const std::string& links = Find(records, 0x29)->data;
    ASSERT_EQ(4u + 10u, links.size());
    LinkRecordEntry entry;
    std::memcpy(&entry, links.data() + 4, sizeof(entry));
    EXPECT_EQ(2, entry.targetId);   // b paints third
    EXPECT_EQ(2, entry.targetRow);
    EXPECT_EQ(0, entry.holderId);   // the line paints first
    EXPECT_EQ(0, entry.holderRow);

    // The partner that was gone is cleared in the drawing too.
    EXPECT_EQ(kNoLabel, Object(kB).labelId);
    EXPECT_EQ(0u, Object(kB).state & StateAttachedLabel);
}

// Objects go through the object records, which this file only frames; these cases hold once
// the object blocks are written.
TEST_F(DrawingFileTest, ObjectsReopenWithIdsInPaintOrder)
{
    AddFourObjects({kC, kA, kB, kLine});
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), kLine, -1, kA, 1, 600, 300));
        ASSERT_EQ(0, AttachHook(d.get(), kLine, -1, kC, 2, 300, 0));
    }
    std::string stream = WriteImage();
    std::vector<ParsedRecord> records = ParseRecords(stream);
    ASSERT_NE(nullptr, Find(records, 0x8022));
    DrawingBlockHeader h;
    std::memcpy(&h, Find(records, 0x8020)->data.data(), sizeof(h));
    EXPECT_EQ(4, h.objectCount);
    EXPECT_EQ(4, h.lastId);

    ASSERT_EQ(0, ReadImage(stream));
    ASSERT_EQ(4, Count());
    EXPECT_EQ(std::vector<int>({0, 1, 2, 3}), ZOrder());
    for (int row = 0; row < 4; ++row) EXPECT_EQ(row + 1, Object(row).objId);
    EXPECT_EQ(4, LockDrawing()->lastId);
    EXPECT_EQ(100, Object(0).frame.left);   // c paints first
    EXPECT_EQ(1000, Object(0).frame.top);
    DrawObject reread = Object(3);
    ASSERT_EQ(2, reread.hookCount);
    EXPECT_EQ(2, reread.hooks[0].targetId);   // a
    EXPECT_EQ(1, reread.hooks[1].targetId);   // c
    std::vector<LinkEntry> links = LinkEntries();
    ASSERT_EQ(2u, links.size());
    EXPECT_EQ(1, links[0].targetId);
    EXPECT_EQ(2, links[1].targetId);
    EXPECT_EQ(4, links[0].holderId);
    EXPECT_EQ(4, links[1].holderId);
}


// Hooks, links, label partners, array members, groups (one split by paint order) and text all
// name the same objects after a save and reopen, under ids 1..n in paint order.
TEST_F(DrawingFileTest, ReopenedDrawingKeepsReferencesGroupsAndText)
{
    AddFourObjects({kC, kA, kB, kLine});
    const int array = AddAt(ClassArray, RECT{2000, 1000, 2600, 1600}, 0, 4, 0);
    Change(array, [](DrawObject& o, Drawing&) { o.options |= OptShadowHidden; });
    const int member = AddAt(ClassShape, RECT{2700, 1000, 3000, 1300}, 1);
    {
        Locked<Drawing> d = LockDrawing();
        ASSERT_EQ(0, AttachHook(d.get(), kLine, -1, kA, 1, 600, 300));
        ASSERT_EQ(0, AttachHook(d.get(), kLine, -1, kC, 2, 300, 0));
        ASSERT_EQ(0, AttachHook(d.get(), member, -1, array, 305, 0, 0));
    }
    // a is the line's label.
    const int lineId = Object(kLine).objId, aId = Object(kA).objId;
    Change(kA, [&](DrawObject& o, Drawing&) {
        o.labelId = lineId;
        o.labelRow = kLine;
        o.state |= StateAttachedLabel;
    });
    Change(kLine, [&](DrawObject& o, Drawing&) {
        o.labelId = aId;
        o.labelRow = kA;
    });
    TextRun plain = g_defaultCharFormat;
    plain.charCount = 4;
    TextRun bold = plain;
    bold.style = 1;
    bold.firstChar = 4;
    bold.charCount = 4;
    const int textId = AddObjectText(slot_, "box text", {plain, bold});
    Change(kB, [&](DrawObject& o, Drawing&) { o.textId = textId; });
    AddGroup(5, {kC, kLine}, true);   // c paints first and the line fourth: two runs

    std::string stream = WriteImage();
    std::vector<WORD> groupRecords;
    for (WORD op : Opcodes(ParseRecords(stream)))
        if (op == 0x8021 || op == 0x4021) groupRecords.push_back(op);
    EXPECT_EQ(std::vector<WORD>({0x8021, 0x4021, 0x8021, 0x4021}), groupRecords);
    // Read as into a new document, which holds no text before.
    HGLOBAL original = nullptr;
    ASSERT_EQ(0, LoadRecord(slot_, RecTextBlock, textId, &original));
    ASSERT_EQ(0, DeleteRecord(original));
    GlobalFree(original);
    ASSERT_EQ(0, ReadImage(stream));
    EXPECT_FALSE(ReadLostSomething(g_readDamage));
    // Paint order c, a, b, line, array, member: ids 1..6.
    ASSERT_EQ(6, Count());
    EXPECT_EQ(6, LockDrawing()->lastId);
    for (int row = 0; row < 6; ++row) EXPECT_EQ(row + 1, Object(row).objId);
    const int c = 0, a = 1, b = 2, line = 3, arrayRow = 4, memberRow = 5;
    ASSERT_EQ(2, Object(line).hookCount);
    EXPECT_EQ(a + 1, Object(line).hooks[0].targetId);
    EXPECT_EQ(c + 1, Object(line).hooks[1].targetId);
    ASSERT_EQ(1, Object(memberRow).hookCount);
    EXPECT_EQ(arrayRow + 1, Object(memberRow).hooks[0].targetId);
    // The holder finds its label; the label's row hint is kept only towards another label.
    EXPECT_EQ(line + 1, Object(a).labelId);
    EXPECT_EQ(-1, Object(a).labelRow);
    EXPECT_NE(0u, Object(a).state & StateAttachedLabel);
    EXPECT_EQ(a + 1, Object(line).labelId);
    EXPECT_EQ(a, Object(line).labelRow);

    std::vector<std::pair<int, int>> links;   // (target, holder)
    for (const LinkEntry& e : LinkEntries()) links.emplace_back(e.targetId, e.holderId);
    std::sort(links.begin(), links.end());
    EXPECT_EQ((std::vector<std::pair<int, int>>{{c + 1, line + 1}, {a + 1, line + 1}, {arrayRow + 1, memberRow + 1}}),
              links);

    HGLOBAL arrayBlock = nullptr;
    const DrawObject arrayObject = Object(arrayRow);
    ASSERT_EQ(0, LoadArrayData(slot_, &arrayObject, &arrayBlock));
    {
        Locked<ArrayData> data(arrayBlock);
        ASSERT_EQ(1, data->memberCount);
        int named = 0;
        for (int i = 0; i < data->entryCount; ++i) {
            if ((*data)[i].memberId == kNoMember) continue;
            EXPECT_EQ(memberRow + 1, (*data)[i].memberId);
            EXPECT_EQ(memberRow, (*data)[i].memberRow);
            ++named;
        }
        EXPECT_EQ(1, named);
    }
    ReleaseBlock(arrayBlock);

    // The split group comes back whole.
    std::vector<GroupEntry> groups = Groups();
    ASSERT_EQ(1u, groups.size());
    EXPECT_EQ(5, groups[0].groupId);
    for (int row : {c, line}) {
        EXPECT_EQ(5, Object(row).groupId) << "row " << row;
        EXPECT_EQ(0, Object(row).groupRow) << "row " << row;
    }
    EXPECT_EQ(0, Object(a).groupId);
    EXPECT_EQ(0, Object(b).groupId);
    EXPECT_EQ(0, Object(arrayRow).groupId);
    EXPECT_EQ(0, Object(memberRow).groupId);

    // The text keeps its record id, its runs and its format.
    const DrawObject textHolder = Object(b);
    ASSERT_EQ(textId, textHolder.textId);
    std::string bytes = RecordBytes(RecTextBlock, textHolder.textId);
    TextBlockView view = ViewTextBlock(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<LONG>(bytes.size()));
    ASSERT_GE(view.runCount, 2);
    EXPECT_EQ(0, view.runs[0].style);
    EXPECT_EQ(4, view.runs[0].charCount);
    EXPECT_EQ(1, view.runs[1].style);
    EXPECT_EQ(4, view.runs[1].firstChar);
    EXPECT_EQ(4, view.runs[1].charCount);
    ASSERT_EQ(1, view.formatCount);
    EXPECT_EQ(kTextAlignCentre, view.formats[0].alignment);
    EXPECT_EQ("box text", bytes.substr(bytes.size() - 8));
}

}  // namespace
