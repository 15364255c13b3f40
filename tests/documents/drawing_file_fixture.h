// The drawing-file tests' fixture: a drawing with the records and blocks of a new document's
// state, streams built record by record, memory images and the records of a written stream.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "documents/document_state.h"
#include "documents/drawing_block.h"
#include "documents/drawing_file.h"
#include "documents/record_stream.h"
#include "documents/text_stream.h"
#include "exchange/printer_metrics.h"
#include "store/block_store.h"
#include "support/drawing_fixture.h"

// A stream built record by record.
struct StreamBytes {
    std::string bytes;

    StreamBytes& Raw(const std::string& s)
    {
        bytes += s;
        return *this;
    }
    StreamBytes& Signature(const char* text = "VEXLORFM") { return Raw(std::string(text, 8)); }
    StreamBytes& Record(WORD opcode, const std::string& data)
    {
        bytes.append(reinterpret_cast<const char*>(&opcode), 2);
        if (opcode & kRecordBare) return *this;
        DWORD n = static_cast<DWORD>(data.size());
        bytes.append(reinterpret_cast<const char*>(&n), 4);
        bytes += data;
        return *this;
    }
    StreamBytes& Bare(WORD opcode) { return Record(opcode, {}); }
    StreamBytes& Header(WORD generation = 2, WORD version = 2, WORD resolution = 600)
    {
        StreamHeader h = {generation, 300, 1, version, 100, resolution};
        return Record(kOpHeader, Pod(h));
    }
    template <typename T>
    static std::string Pod(const T& value)
    {
        return std::string(reinterpret_cast<const char*>(&value), sizeof(T));
    }
};

// One record of a written stream.
struct ParsedRecord {
    WORD opcode;
    std::string data;
};

// The records behind the signature of a stream (a memory image's length field already removed).
inline std::vector<ParsedRecord> ParseRecords(const std::string& stream)
{
    std::vector<ParsedRecord> records;
    size_t at = 8;
    while (at + 2 <= stream.size()) {
        WORD opcode;
        std::memcpy(&opcode, stream.data() + at, 2);
        at += 2;
        std::string data;
        if (!(opcode & kRecordBare)) {
            DWORD n;
            std::memcpy(&n, stream.data() + at, 4);
            at += 4;
            data = stream.substr(at, n);
            at += n;
        }
        records.push_back({opcode, data});
    }
    return records;
}

inline std::vector<WORD> Opcodes(const std::vector<ParsedRecord>& records)
{
    std::vector<WORD> opcodes;
    for (const ParsedRecord& r : records) opcodes.push_back(r.opcode);
    return opcodes;
}

inline const ParsedRecord* Find(const std::vector<ParsedRecord>& records, WORD opcode)
{
    for (const ParsedRecord& r : records)
        if (r.opcode == opcode) return &r;
    return nullptr;
}

// A memory image of a stream: u32 total length counting itself, then the stream.
inline HGLOBAL MakeImage(const std::string& stream, size_t front = 0)
{
    DWORD total = static_cast<DWORD>(stream.size() + 4);
    HGLOBAL image = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, front + total);
    BYTE* bytes = static_cast<BYTE*>(GlobalLock(image));
    std::memcpy(bytes + front, &total, 4);
    std::memcpy(bytes + front + 4, stream.data(), stream.size());
    GlobalUnlock(image);
    return image;
}

inline std::string ImageStream(HGLOBAL image, DWORD length)
{
    const BYTE* bytes = static_cast<const BYTE*>(GlobalLock(image));
    std::string stream(reinterpret_cast<const char*>(bytes) + 4, length - 4);
    GlobalUnlock(image);
    return stream;
}

// The default drawing block of an empty drawing: the header, with fields a test overrides.
inline DrawingBlockHeader EmptyHeader()
{
    DrawingBlockHeader h = {};
    h.pageWidth = 3000;
    h.pageHeight = 2000;
    h.currentRow = -1;
    h.defaultBorderWidth = 1;
    h.defaultLineWidth = 1;
    h.defaultArrowSize = 1;
    std::strcpy(h.styleName, "Plain");
    std::strcpy(h.defaultFace, "Arial");
    return h;
}

// A stored text of `text` with the given runs and one paragraph format; returns its record id.
inline int AddObjectText(int slot, const std::string& text, const std::vector<TextRun>& runs)
{
    TextBlock header = {};
    header.runCount = static_cast<INT32>(runs.size());
    header.formatCount = 1;
    header.textLength = static_cast<INT32>(text.size());
    header.lineCount = 1;
    header.segmentCount = 1;
    header.layoutWidth = -1;
    ParagraphFormat format = StandardParagraphFormat();
    format.alignment = kTextAlignCentre;
    std::string payload = StreamBytes::Pod(header) + std::string(kTextLineSize, '\0');
    payload.append(reinterpret_cast<const char*>(runs.data()), runs.size() * sizeof(TextRun));
    payload += StreamBytes::Pod(format) + std::string(kTextSegmentSize, '\0') + text;
    int id = 0;
    EXPECT_EQ(0, NextFreeRecordId(slot, RecTextBlock, &id));
    HGLOBAL block = nullptr;
    EXPECT_EQ(0, AddRecord(slot, RecTextBlock, id, static_cast<DWORD>(kBlockHeaderSize + payload.size()), &block));
    {
        Locked<BYTE> bytes(block);
        std::memcpy(bytes.get() + kBlockHeaderSize, payload.data(), payload.size());
    }
    MarkBlockDirty(block);
    ReleaseBlock(block);
    return id;
}

class DrawingFileTest : public DrawingFixture {
protected:
    void SetUp() override
    {
        DrawingFixture::SetUp();
        if (HasFatalFailure()) return;
        SetPrinterMetricsPage(nullptr, nullptr);
        // The records and blocks of a new document's state, replaced by a known printer set-up
        // and an empty font list and map.
        for (HGLOBAL* owned : {&state_->devMode, &state_->fontList, &state_->fontMap}) {
            if (*owned) GlobalFree(*owned);
            *owned = nullptr;
        }
        state_->devMode = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kDevModeBaseSize);
        {
            Locked<DEVMODEA> dm(state_->devMode);
            dm->dmSize = kDevModeBaseSize;
            dm->dmOrientation = DMORIENT_PORTRAIT;
            dm->dmPaperSize = DMPAPER_LETTER;
        }
        state_->fontList = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(FontListHeadBytes));
        state_->fontMap = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4);
        AddPayload(RecFontListId, std::string(8, '\0'));
        AddPayload(RecColorListId, std::string(4 + 4 * 256, '\0'));
    }
    void TearDown() override
    {
        SetPrinterMetricsPage(nullptr, nullptr);
        if (state_) {
            if (state_->printerIC) DeleteReferenceDC(state_->printerIC);
            state_->printerIC = nullptr;
            if (state_->libraryAtom) GlobalDeleteAtom(state_->libraryAtom);
            state_->libraryAtom = 0;
        }
        DrawingFixture::TearDown();
    }

    struct FontListHeadBytes {
        INT32 count, defaultIndex;
    };

    // Puts `payload` into document record `id`, made when the document has none yet.
    void AddPayload(int id, const std::string& payload)
    {
        HGLOBAL block = nullptr;
        const DWORD size = static_cast<DWORD>(kBlockHeaderSize + payload.size());
        if (LoadRecord(slot_, RecDocument, id, &block) == 0) {
            ASSERT_EQ(0, ResizeRecord(&block, size));
        } else {
            ASSERT_EQ(0, AddRecord(slot_, RecDocument, id, size, &block));
        }
        {
            Locked<BYTE> bytes(block);
            std::memcpy(bytes.get() + kBlockHeaderSize, payload.data(), payload.size());
        }
        MarkBlockDirty(block);
        ReleaseBlock(block);
    }

    void SetColors(const std::vector<COLORREF>& colors)
    {
        std::string payload(4 + 4 * 256, '\0');
        INT32 count = static_cast<INT32>(colors.size());
        std::memcpy(&payload[0], &count, 4);
        if (!colors.empty()) std::memcpy(&payload[4], colors.data(), 4 * colors.size());
        HGLOBAL block = nullptr;
        ASSERT_EQ(0, LoadRecord(slot_, RecDocument, RecColorListId, &block));
        {
            Locked<BYTE> bytes(block);
            std::memcpy(bytes.get() + kBlockHeaderSize, payload.data(), payload.size());
        }
        MarkBlockDirty(block);
        ReleaseBlock(block);
    }
    std::vector<COLORREF> Colors() const
    {
        std::string payload = RecordBytes(RecDocument, RecColorListId);
        INT32 count;
        std::memcpy(&count, payload.data(), 4);
        std::vector<COLORREF> colors(count);
        if (count) std::memcpy(colors.data(), payload.data() + 4, 4 * count);
        return colors;
    }

    // Writes the drawing as a memory image and returns its stream (behind the length field).
    std::string WriteImage()
    {
        HGLOBAL image = nullptr;
        DWORD length = 0;
        EXPECT_EQ(0, WriteDrawingFile(nullptr, &image, &length, state_));
        if (!image) return {};
        EXPECT_EQ(length, GlobalSize(image));
        DWORD stored;
        std::memcpy(&stored, GlobalLock(image), 4);
        GlobalUnlock(image);
        EXPECT_EQ(length, stored);
        std::string stream = ImageStream(image, length);
        GlobalFree(image);
        return stream;
    }
    int ReadImage(const std::string& stream, BOOL* older = nullptr)
    {
        HGLOBAL image = MakeImage(stream);
        BOOL wasOlder = FALSE;
        int result = ReadDrawingFile(HFILE_ERROR, nullptr, image, static_cast<DWORD>(stream.size() + 4), view_,
                                     state_, &wasOlder, FALSE);
        if (older) *older = wasOlder;
        GlobalFree(image);
        return result;
    }
    // A file of one empty drawing block with the given header.
    static std::string DrawingWith(const DrawingBlockHeader& h, DWORD headerLength = sizeof(DrawingBlockHeader),
                                   WORD resolution = 600, const std::string& more = {})
    {
        StreamBytes s;
        s.Signature().Header(2, 2, resolution);
        s.Record(kOpDrawingBlock, StreamBytes::Pod(h).substr(0, headerLength));
        s.Raw(more).Bare(0x4020).Bare(0x4001);
        return s.bytes;
    }
    // Three shapes a, b, c and a line (rows 0-3) with ids far from any paint position (40, 7,
    // 300, 12), painted in `paint` order (rows back to front).
    enum { kA, kB, kC, kLine };
    void AddFourObjects(const std::vector<int>& paint)
    {
        AddAt(ClassShape, RECT{100, 100, 700, 500}, 1);
        AddAt(ClassShape, RECT{1000, 100, 1600, 500}, 1);
        AddAt(ClassShape, RECT{100, 1000, 700, 1500}, 1);
        AddAt(ClassLine, RECT{700, 300, 400, 1000}, 1);
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        const int ids[4] = {40, 7, 300, 12};
        for (int row = 0; row < 4; ++row) (*objects)[row].objId = ids[row];
        d->lastId = 300;
        Locked<ZOrderList> order(d->zOrderList);
        for (int i = 0; i < 4; ++i) (*order)[i] = paint[i];
    }
    std::string SaveBytes(const char* name, const std::string& bytes)
    {
        std::string path = folder_->File(name);
        HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(f);
        return path;
    }
};
