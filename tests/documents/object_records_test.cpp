// Object blocks of a drawing file: object, attribute, hook and attachment records, geometry and
// picture records, text records; written to and read from memory images.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "documents/geometry_records.h"
#include "documents/object_records.h"
#include "documents/record_fields.h"
#include "documents/record_stream.h"
#include "documents/text_stream.h"
#include "editing/attachment_tags.h"
#include "lines/connector_record.h"
#include "model/drawing.h"
#include "shapes/custom_outline.h"
#include "shapes/picture_chunks.h"
#include "store/store_records.h"
#include "support/drawing_fixture.h"
#include "text/object_text.h"

namespace {

constexpr WORD kEndOfTest = 0x4020;

struct Record {
    WORD opcode;
    std::vector<BYTE> data;
};

// The records of an image: its first u32 is its total length.
std::vector<Record> RecordsOf(HGLOBAL image)
{
    std::vector<Record> out;
    BlockLock lock(image);
    DWORD total = 0;
    std::memcpy(&total, lock.get(), 4);
    for (DWORD at = 4; at + 2 <= total;) {
        Record r;
        std::memcpy(&r.opcode, lock.get() + at, 2);
        at += 2;
        if (!(r.opcode & kRecordBare)) {
            DWORD n = 0;
            std::memcpy(&n, lock.get() + at, 4);
            at += 4;
            r.data.assign(lock.get() + at, lock.get() + at + n);
            at += n;
        }
        out.push_back(r);
    }
    return out;
}

std::vector<Record> Only(const std::vector<Record>& records, WORD opcode)
{
    std::vector<Record> out;
    for (const Record& r : records)
        if (r.opcode == opcode) out.push_back(r);
    return out;
}

// An image made of records built by hand.
class ImageBuilder {
public:
    ImageBuilder& Add(WORD opcode, const RecordBuilder& data = RecordBuilder())
    {
        bytes_.Vector().insert(bytes_.Vector().end(), {BYTE(opcode), BYTE(opcode >> 8)});
        if (!(opcode & kRecordBare)) bytes_.U32(data.Size()).Bytes(data.Data(), data.Size());
        return *this;
    }
    ImageBuilder& End(WORD opcode) { return Add(BlockEndOpcode(opcode)); }
    HGLOBAL Make() const
    {
        DWORD total = 4 + bytes_.Size();
        HGLOBAL image = GlobalAlloc(GMEM_MOVEABLE, total);
        BlockLock lock(image);
        std::memcpy(lock.get(), &total, 4);
        std::memcpy(lock.get() + 4, bytes_.Data(), bytes_.Size());
        return image;
    }

private:
    RecordBuilder bytes_;
};

// A 72-byte object record of `objClass` and `type` with the given state; no partner.
RecordBuilder ObjectRecord(int objClass, int type, int state = 0)
{
    RecordBuilder r;
    RECT rect = {600, 600, 900, 900};
    r.U16(objClass).Rect(rect).Rect(rect).Rect(rect).I16(type).U16(state).U16(0).I16(0).F64(0.0);
    r.I16(0).I16(0).I16(0).U16(0).U16(0).I16(2).U16(0xFFFF).I16(-1).U16(0).I16(0).Rect(rect).U16(0);
    return r;
}

class ObjectRecordsTest : public DrawingFixture {
protected:
    void SetUp() override
    {
        DrawingFixture::SetUp();
        g_fileResolution = 600;
        g_olderFile = FALSE;
        g_currentGroupId = 0;
        g_currentGroupRow = -1;
        g_readDamage = ReadDamage{};
        Locked<Drawing> d = LockDrawing();
        SetAttributeDefaults(d.get());
        g_defaultCharFormat = TextRun{};
        g_defaultCharFormat.size = g_defaultCharFormat.nominalSize = 12;
        g_defaultParaFormat = StandardParagraphFormat();
    }
    void TearDown() override
    {
        g_fileResolution = 600;
        g_olderFile = FALSE;
        g_currentGroupId = 0;
        g_currentGroupRow = -1;
        g_readDamage = ReadDamage{};
        EndMemoryStream();
        EndRecordBuffer();
        for (HGLOBAL image : images_) GlobalFree(image);
        DrawingFixture::TearDown();
    }

    // Writes the objects' blocks into a new image, closed by kEndOfTest.
    HGLOBAL Write(std::vector<DrawObject> objects, int* result = nullptr)
    {
        EXPECT_EQ(0, BeginMemoryImageWrite());
        int err = 0;
        for (DrawObject& o : objects)
            if (!err) err = WriteObjectBlock(HFILE_ERROR, state_, &o);
        if (!err) err = WriteRecord(HFILE_ERROR, kEndOfTest, 0, nullptr);
        if (result) *result = err;
        else EXPECT_EQ(0, err);
        DWORD total = 0;
        HGLOBAL image = EndMemoryImageWrite(err == 0, &total);
        if (image) images_.push_back(image);
        return image;
    }

    // Reads every object block of the image into the drawing, whose tables get room for
    // `room` objects first.
    int Read(HGLOBAL image, int room = 8)
    {
        if (image != nullptr && std::find(images_.begin(), images_.end(), image) == images_.end())
            images_.push_back(image);
        MakeRoom(room);
        EXPECT_EQ(0, BeginRecordBuffer());
        DWORD total = 0;
        {
            BlockLock lock(image);
            std::memcpy(&total, lock.get(), 4);
        }
        BeginMemoryStream(image, total);
        int result = 0;
        for (;;) {
            WORD opcode = 0;
            DWORD length = 0;
            if ((result = ReadRecord(HFILE_ERROR, &opcode, &length)) || opcode == kEndOfTest) break;
            if (opcode != kOpObject) continue;
            Locked<Drawing> d = LockDrawing();
            Locked<ObjectList> objects(d->objectList);
            Locked<ZOrderList> order(d->zOrderList);
            if ((result = ReadObjectBlock(HFILE_ERROR, view_, state_, d.get(), objects.get(), order.get(), length)))
                break;
        }
        EndMemoryStream();
        EndRecordBuffer();
        return result;
    }

    void MakeRoom(int room)
    {
        Locked<Drawing> d = LockDrawing();
        HGLOBAL objects = d->objectList, order = d->zOrderList;
        ASSERT_EQ(0, ResizeRecord(&objects, ObjectList::SizeFor(room)));
        ASSERT_EQ(0, ResizeRecord(&order, ZOrderList::SizeFor(room)));
        d->objectList = objects;
        d->zOrderList = order;
    }

    // Adds a text record (one line, one segment) and returns its id.
    int AddText(const std::string& text, std::vector<TextRun> runs, std::vector<ParagraphFormat> formats)
    {
        TextBlock header = {};
        header.runCount = static_cast<INT32>(runs.size());
        header.formatCount = static_cast<INT32>(formats.size());
        header.textLength = static_cast<INT32>(text.size());
        header.lineCount = 1;
        header.segmentCount = 1;
        header.layoutWidth = -1;
        header.marginLeft = 30;
        header.effect.kind = 3;
        header.effect.color = 0x123456;
        RecordBuilder payload;
        payload.Bytes(&header, sizeof header);
        payload.Vector().resize(payload.Size() + kTextLineSize);
        payload.Bytes(runs.data(), runs.size() * sizeof(TextRun));
        payload.Bytes(formats.data(), formats.size() * sizeof(ParagraphFormat));
        payload.Vector().resize(payload.Size() + kTextSegmentSize);
        payload.Bytes(text.data(), text.size());
        int id = 0;
        EXPECT_EQ(0, NextFreeRecordId(slot_, RecTextBlock, &id));
        HGLOBAL block = nullptr;
        EXPECT_EQ(0, AddRecord(slot_, RecTextBlock, id, kBlockHeaderSize + payload.Size(), &block));
        {
            BlockLock lock(block);
            std::memcpy(lock.get() + kBlockHeaderSize, payload.Data(), payload.Size());
        }
        MarkBlockDirty(block);
        ReleaseBlock(block);
        return id;
    }

    // Deletes a stored text before its written block is read back, as a new document holds
    // no text yet: the text read keeps the written id.
    void DropText(int id)
    {
        HGLOBAL block = nullptr;
        ASSERT_EQ(0, LoadRecord(slot_, RecTextBlock, id, &block));
        ASSERT_EQ(0, DeleteRecord(block));
        GlobalFree(block);
    }

    // The stored text block of a read object: header, runs, formats and text.
    struct StoredText {
        TextBlock header;
        std::vector<TextRun> runs;
        std::vector<ParagraphFormat> formats;
        std::string text;
        size_t recordSize;
    };
    StoredText TextOf(int textId) const
    {
        std::string bytes = RecordBytes(RecTextBlock, textId);
        StoredText t = {};
        t.recordSize = bytes.size() + kBlockHeaderSize;
        std::memcpy(&t.header, bytes.data(), sizeof t.header);
        TextBlockView view = ViewTextBlock(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<LONG>(bytes.size()));
        t.runs.assign(view.runs, view.runs + view.runCount);
        t.formats.assign(view.formats, view.formats + view.formatCount);
        t.text = bytes.substr(bytes.size() - t.header.textLength);
        return t;
    }

    DrawObject Shape()
    {
        DrawObject o;
        Locked<Drawing> d = LockDrawing();
        InitObjectDefaults(d.get(), &o);
        o.objClass = ClassShape;
        o.objType = 2;
        o.objId = 1;
        o.frame = o.innerRect = o.updateRect = o.textRect = RECT{600, 600, 900, 900};
        o.lineWidth = g_attributeDefaults.border.width;
        o.lineColor = g_attributeDefaults.border.color;
        o.fillColor = g_attributeDefaults.fill.color;
        return o;
    }

    std::vector<HGLOBAL> images_;
};

// Attribute records: widths rescale with a floor of 1, arrowheads of unknown style read as
// style 1, sizes above 2 as 2, and the ends mask follows the heads.
TEST_F(ObjectRecordsTest, LineRecordFieldsAreMadeSound)
{
    struct Case {
        int resolution;
        int width, arrowSize, arrowStart, arrowEnd;
        int wantWidth, wantSize, wantStart, wantEnd, wantEnds;
    } cases[] = {
        {600, 12, 1, 0x0130, 0, 12, 1, 0x0101, 0, 2},
        {300, 1, 3, 0, 0x0205, 2, 2, 0, 0x0205, 1},
        {1200, 1, 0, 0x0100, 0x0103, 1, 0, 0, 0x0103, 1},
        {1200, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "resolution " << c.resolution << " width " << c.width);
        ImageBuilder image;
        image.Add(kOpObject, ObjectRecord(ClassLine, 0));
        image.Add(kOpLine, RecordBuilder().I16(c.width).I16(1).U32(0x00FF00).U16(c.arrowSize).U16(c.arrowStart).U16(c.arrowEnd));
        image.End(kOpObject).Add(kEndOfTest);
        g_fileResolution = c.resolution;
        int before = Count();
        ASSERT_EQ(0, Read(image.Make(), before + 2));
        g_fileResolution = 600;
        ASSERT_EQ(before + 1, Count());
        DrawObject o = Object(before);
        EXPECT_EQ(c.wantWidth, o.lineWidth);
        EXPECT_EQ(c.wantSize, o.arrowSize);
        EXPECT_EQ(c.wantStart, o.arrowStart);
        EXPECT_EQ(c.wantEnd, o.arrowEnd);
        EXPECT_EQ(c.wantEnds, o.arrowEnds);
        EXPECT_EQ(0x00FF00u, o.lineColor);
        EXPECT_EQ(0x20, o.classFlags & 0x20);
    }
}

// Unknown classes and kinds, negative ones included, are dropped with all their records and the
// next object takes the slot; a selected object counts only once it is appended.
TEST_F(ObjectRecordsTest, InvalidObjectsAreDroppedWhole)
{
    struct Case {
        int objClass, type;
    } invalid[] = {{ClassShape, 27}, {ClassShape, -1}, {ClassConnector, 2}, {ClassConnector, -1}, {4, 0}};
    for (const Case& c : invalid) {
        SCOPED_TRACE(testing::Message() << "class " << c.objClass << " type " << c.type);
        ImageBuilder image;
        image.Add(kOpObject, ObjectRecord(c.objClass, c.type, StateSelected));
        image.Add(kOpBorder, RecordBuilder().I16(40).I16(1).U32(0xFF));
        image.Add(kOpAttachment, RecordBuilder().Bytes("x\0$atype=1\0\0", 12));
        image.Add(kOpText, RecordBuilder().I16(0).U16(1).U16(1).U16(3));
        image.Add(kOpTextBytes, RecordBuilder().Bytes("abc", 3)).End(kOpText);
        image.End(kOpObject);
        image.Add(kOpObject, ObjectRecord(ClassShape, 2)).End(kOpObject).Add(kEndOfTest);
        int before = Count();
        int selected = LockDrawing()->selectedCount;
        ASSERT_EQ(0, Read(image.Make(), before + 2));
        ASSERT_EQ(before + 1, Count());
        DrawObject o = Object(before);
        EXPECT_EQ(2, o.objType);
        EXPECT_EQ(before + 1, o.objId);
        EXPECT_EQ(g_attributeDefaults.border.width, o.lineWidth);
        EXPECT_EQ(-1, o.textId);
        EXPECT_EQ(selected, LockDrawing()->selectedCount);
        EXPECT_TRUE(RecordBytes(RecAttachment, before + 1).empty());
        EXPECT_EQ(before + 1, static_cast<int>(ZOrder().size()));
    }
}

// Objects beyond the room the tables were given are read and dropped; a selected object that is
// appended counts.
TEST_F(ObjectRecordsTest, ObjectsBeyondTheTablesAreDropped)
{
    ImageBuilder image;
    for (int i = 0; i < 3; ++i) image.Add(kOpObject, ObjectRecord(ClassShape, 1, StateSelected)).End(kOpObject);
    image.Add(kEndOfTest);
    int selected = LockDrawing()->selectedCount;
    ASSERT_EQ(0, Read(image.Make(), Count() + 2));
    EXPECT_EQ(2, Count());
    EXPECT_EQ(selected + 2, LockDrawing()->selectedCount);
}

// A stream that ends inside an object block, or inside one of its sub-blocks, fails with 1001
// and appends nothing.
TEST_F(ObjectRecordsTest, StreamEndingInsideABlockFails)
{
    ImageBuilder open;
    open.Add(kOpObject, ObjectRecord(ClassShape, 1)).Add(kOpBorder, RecordBuilder().I16(4).I16(1).U32(0));
    ImageBuilder inner;
    inner.Add(kOpObject, ObjectRecord(ClassArray, 0)).Add(kOpArrayLayout, RecordBuilder().I16(1).U16(0).I16(0).I16(0).I16(0).I16(1).I16(1));
    inner.Add(kOpArrayEntry, RecordBuilder().Rect({}));
    for (const ImageBuilder* image : {&open, &inner}) {
        const int before = Count();
        EXPECT_EQ(ErrStreamShortRead, Read(image->Make(), before + 1));
        EXPECT_EQ(before, Count());
    }
}

// The object record: rescaled rectangles, paint positions read as ids one higher, the older-file
// option, a short record's frame at grouping.
TEST_F(ObjectRecordsTest, ObjectRecordFields)
{
    RecordBuilder shortRecord;
    shortRecord.U16(ClassShape).Rect({1, 2, 3, 4}).Rect({10, 20, 30, 40}).Rect({11, 21, 29, 39}).I16(5);
    ImageBuilder image;
    image.Add(kOpObject, shortRecord).End(kOpObject);
    RecordBuilder full = ObjectRecord(ClassShape, 3);
    std::memcpy(full.Vector().data() + 54, "\x07\x00\x07\x00", 4);   // partner at paint position 7
    image.Add(kOpObject, full).End(kOpObject).Add(kEndOfTest);
    g_fileResolution = 300;
    g_olderFile = TRUE;
    g_currentGroupId = 9;
    g_currentGroupRow = 0;
    ASSERT_EQ(0, Read(image.Make(), 4));
    g_olderFile = FALSE;
    ASSERT_EQ(2, Count());
    DrawObject a = Object(0), b = Object(1);
    EXPECT_EQ((RECT{2, 4, 6, 8}), a.updateRect);
    EXPECT_EQ((RECT{20, 40, 60, 80}), a.frame);
    EXPECT_EQ((RECT{22, 42, 58, 78}), a.textRect);
    EXPECT_EQ(a.frame, a.groupFrame);
    EXPECT_EQ(kNoLabel, a.labelId);
    EXPECT_EQ(-1, a.labelRow);
    EXPECT_EQ(OptStdHooks, a.options & OptStdHooks);
    EXPECT_EQ(9, a.groupId);
    EXPECT_EQ(1, a.objId);
    EXPECT_EQ(2, b.objId);
    EXPECT_EQ(8, b.labelId);
    EXPECT_EQ(7, b.labelRow);
    EXPECT_EQ(2, b.hookCapacity);
}

// A holder keeps two hooks; targets are read one higher than their paint positions.
TEST_F(ObjectRecordsTest, ThreeHooksKeepTwo)
{
    ImageBuilder image;
    image.Add(kOpObject, ObjectRecord(ClassLine, 0));
    for (int target = 4; target < 7; ++target)
        image.Add(kOpHook, RecordBuilder().U16(target).I16(target).I16(300).I16(600).I16(target - 3));
    image.End(kOpObject).Add(kEndOfTest);
    ASSERT_EQ(0, Read(image.Make(), Count() + 1));
    DrawObject o = Object(Count() - 1);
    ASSERT_EQ(2, o.hookCount);
    EXPECT_EQ(5, o.hooks[0].targetId);
    EXPECT_EQ(4, o.hooks[0].targetRow);
    EXPECT_EQ(6, o.hooks[1].targetId);
    EXPECT_EQ(300, o.hooks[1].attachX);
    EXPECT_EQ(2, o.hooks[1].holderCode);
}

// Attributes equal to the drawing's defaults are not written; the rest round-trips, text frame
// and hooks included. Ids the writer cannot map go out as 0xFFFF.
TEST_F(ObjectRecordsTest, AttributesAndTextFrameRoundTrip)
{
    DrawObject plain = Shape();
    DrawObject styled = Shape();
    styled.lineWidth = 30;
    styled.fillPattern = 4;
    styled.textInset = RECT{1, 2, 3, 4};
    styled.textMargins = RECT{5, 6, 7, 8};
    double ratios[4] = {0.25, 0.5, 0.125, 1.0};
    std::memcpy(styled.classData, ratios, sizeof ratios);
    styled.classValue = 60;
    styled.textFit = 2;
    styled.angle = 450;
    styled.groupAngle = 900;
    styled.state = StateSelected;
    styled.hookCount = 1;
    styled.hooks[0] = HookEntry{3, 2, 100, 200, 207};
    styled.param = 0.375;
    styled.axisCoord = 750;
    styled.handleLayout = 3;
    styled.createdWidth = 54;
    styled.createdHeight = 66;
    styled.hookMask = 0x1F;
    styled.acceptMask = 3;
    styled.lineShape = 2;
    styled.groupFrame = RECT{1, 2, 3, 4};
    styled.savedState = 0x11;
    DrawObject line = plain;
    line.objClass = ClassLine;
    line.objType = 0;
    line.lineWidth = g_attributeDefaults.line.width;
    line.lineColor = g_attributeDefaults.line.color;

    HGLOBAL image = Write({plain, styled, line});
    std::vector<Record> records = RecordsOf(image);
    EXPECT_EQ(1u, Only(records, kOpBorder).size());
    EXPECT_EQ(1u, Only(records, kOpFill).size());
    EXPECT_EQ(0u, Only(records, kOpLine).size());
    ASSERT_EQ(3u, Only(records, kOpTextFrame).size());
    EXPECT_EQ(72u, Only(records, kOpTextFrame)[0].data.size());
    ASSERT_EQ(3u, Only(records, kOpObject).size());
    EXPECT_EQ(72u, Only(records, kOpObject)[0].data.size());
    ASSERT_EQ(1u, Only(records, kOpHook).size());
    EXPECT_EQ(10u, Only(records, kOpHook)[0].data.size());

    const int first = Count();
    ASSERT_EQ(0, Read(image, first + 3));
    ASSERT_EQ(first + 3, Count());
    DrawObject a = Object(first), b = Object(first + 1), c = Object(first + 2);
    EXPECT_EQ(plain.lineWidth, a.lineWidth);
    EXPECT_EQ(plain.fillColor, a.fillColor);
    EXPECT_EQ(1, a.fillPattern);
    EXPECT_EQ(30, b.lineWidth);
    EXPECT_EQ(4, b.fillPattern);
    EXPECT_EQ(styled.textInset, b.textInset);
    EXPECT_EQ(styled.textMargins, b.textMargins);
    EXPECT_EQ(0, std::memcmp(ratios, b.classData, sizeof ratios));
    EXPECT_EQ(60, b.classValue);
    EXPECT_EQ(2, b.textFit);
    EXPECT_EQ(450, b.angle);
    EXPECT_EQ(900, b.groupAngle);
    EXPECT_EQ(StateSelected, b.state);
    ASSERT_EQ(1, b.hookCount);
    EXPECT_EQ(0xFFFF, b.hooks[0].targetId);
    EXPECT_EQ(207, b.hooks[0].holderCode);
    EXPECT_EQ(0.375, b.param);
    EXPECT_EQ(750, b.axisCoord);
    EXPECT_EQ(3, b.handleLayout);
    EXPECT_EQ(54, b.createdWidth);
    EXPECT_EQ(66, b.createdHeight);
    EXPECT_EQ(0x1Fu, b.hookMask);
    EXPECT_EQ(3u, b.acceptMask);
    EXPECT_EQ(2, b.lineShape);
    EXPECT_EQ(styled.groupFrame, b.groupFrame);
    EXPECT_EQ(0x11u, b.savedState);
    EXPECT_EQ(g_attributeDefaults.line.width, c.lineWidth);
    EXPECT_EQ(g_attributeDefaults.line.color, c.lineColor);
    EXPECT_EQ(0, c.arrowEnds);
}

// A fit mode or line shape out of range keeps its starting value; 0x80 clears the label bits.
TEST_F(ObjectRecordsTest, TextFrameOutOfRangeValues)
{
    RecordBuilder frame;
    frame.Rect({0, 0, 10, 10});
    for (int i = 0; i < 4; ++i) frame.F64(0.0);
    frame.Rect({}).Rect({}).I16(-1).U16(0x2C | 1).I16(0).I16(0).I16(0).I16(7);
    RecordBuilder object = ObjectRecord(ClassShape, 1);
    std::memcpy(object.Vector().data() + 30, "\x80\x00", 2);   // keeps its own text
    std::memcpy(object.Vector().data() + 60, "\x09\x00", 2);   // line shape 9
    ImageBuilder image;
    image.Add(kOpObject, object).Add(kOpTextFrame, frame).End(kOpObject).Add(kEndOfTest);
    ASSERT_EQ(0, Read(image.Make(), Count() + 1));
    DrawObject o = Object(Count() - 1);
    EXPECT_EQ(0, o.textFit);
    EXPECT_EQ(0, o.lineShape);
    EXPECT_EQ(1, o.classFlags);
    EXPECT_EQ(-1, o.textId);
    EXPECT_EQ(0, o.groupAngle);   // a record without the angle at grouping
}

// A 3-character target is a 14-byte record; reading makes a 287-byte record with the kind.
TEST_F(ObjectRecordsTest, AttachmentRecord)
{
    DrawObject o = Shape();
    o.objId = 40;
    HGLOBAL stored = nullptr;
    ASSERT_EQ(0, AddRecord(slot_, RecAttachment, 40, kBlockHeaderSize + kAttachmentPayloadSize, &stored));
    {
        BlockLock lock(stored);
        char* text = reinterpret_cast<char*>(lock.get() + kBlockHeaderSize);
        std::memset(text, 0, kAttachmentPayloadSize);
        std::strcpy(text, "a:b");
        AppendAttachmentKind(text, AttachDocument);
    }
    MarkBlockDirty(stored);
    ReleaseBlock(stored);

    HGLOBAL image = Write({o});
    std::vector<Record> attachments = Only(RecordsOf(image), kOpAttachment);
    ASSERT_EQ(1u, attachments.size());
    ASSERT_EQ(14u, attachments[0].data.size());
    EXPECT_EQ(0, std::memcmp("a:b\0$atype=2\0", attachments[0].data.data(), 13));

    const int row = Count();
    ASSERT_EQ(0, Read(image, row + 1));
    std::string record = RecordBytes(RecAttachment, row + 1);
    ASSERT_EQ(271u, record.size());
    EXPECT_STREQ("a:b", record.c_str());
    EXPECT_EQ(AttachDocument, ParseAttachmentKind(record.data(), record.size()));
}

// Targets without terminator are bounded, tags compared without case, odd kinds read as 0, and
// an object without its picture data is dropped without leaving its attachment to the next one.
TEST_F(ObjectRecordsTest, AttachmentTargetsAreBounded)
{
    std::string longTarget(300, 'q');
    ImageBuilder image;
    image.Add(kOpObject, ObjectRecord(ClassShape, 1));
    image.Add(kOpAttachment, RecordBuilder().Bytes(longTarget.data(), longTarget.size())).End(kOpObject);
    image.Add(kOpObject, ObjectRecord(ClassShape, 1));
    image.Add(kOpAttachment, RecordBuilder().Bytes("w\0$ATYPE=3\0\0", 12)).End(kOpObject);
    image.Add(kOpObject, ObjectRecord(ClassShape, 1));
    image.Add(kOpAttachment, RecordBuilder().Bytes("v\0$atype=~\0\0", 12));
    image.Add(kOpPictureHeader, RecordBuilder().Rect({0, 0, 10, 10})).End(kOpObject);
    image.Add(kOpObject, ObjectRecord(ClassShape, 1)).End(kOpObject).Add(kEndOfTest);
    const int row = Count();
    ASSERT_EQ(0, Read(image.Make(), row + 4));
    ASSERT_EQ(row + 3, Count());
    std::string first = RecordBytes(RecAttachment, row + 1);
    ASSERT_EQ(271u, first.size());
    EXPECT_EQ(std::string(kMaxAttachmentTarget, 'q'), std::string(first.c_str()));
    EXPECT_EQ(AttachDrawing, ParseAttachmentKind(first.data(), first.size()));
    EXPECT_EQ(AttachProgram, ParseAttachmentKind(RecordBytes(RecAttachment, row + 2).data(), 271));
    EXPECT_TRUE(RecordBytes(RecAttachment, row + 3).empty());
}

// A connector's path: 58 bytes out, segments and lengths rescaled in, the count kept to 1..5.
TEST_F(ObjectRecordsTest, ConnectorPath)
{
    RecordBuilder path;
    path.I16(77).I16(SideTop).I16(SideLeft).I16(9);
    for (int i = 0; i < 5; ++i) path.I16(i).I16(10 * i).I16(i + 1).I16(10 * i);
    for (int i = 0; i < 5; ++i) path.I16(100 + i);
    ImageBuilder image;
    image.Add(kOpObject, ObjectRecord(ClassConnector, ConnectorCurved)).Add(kOpConnectorPath, path).End(kOpObject);
    image.Add(kEndOfTest);
    g_fileResolution = 300;
    ASSERT_EQ(0, Read(image.Make(), Count() + 2));
    g_fileResolution = 600;
    DrawObject o = Object(Count() - 1);
    EXPECT_EQ(kConnectorRecordType, o.dataType);
    EXPECT_EQ(1, o.dataCount);
    std::string stored = RecordBytes(kConnectorRecordType, o.dataId);
    ASSERT_EQ(sizeof(ConnectorSegmentBlock) - kBlockHeaderSize, stored.size());
    ConnectorSegmentBlock block;
    std::memcpy(block.segments, stored.data() + 12, sizeof block.segments);
    INT32 count = 0, side = 0;
    std::memcpy(&side, stored.data(), 4);
    std::memcpy(&count, stored.data() + 8, 4);
    EXPECT_EQ(SideTop, side);
    EXPECT_EQ(5, count);
    EXPECT_EQ(20, block.segments[1].y1);
    EXPECT_EQ(4, block.segments[1].x2);

    std::vector<Record> out = Only(RecordsOf(Write({o})), kOpConnectorPath);
    ASSERT_EQ(1u, out.size());
    ASSERT_EQ(kConnectorPathRecordSize, out[0].data.size());
    INT16 written[29];
    std::memcpy(written, out[0].data.data(), sizeof written);
    EXPECT_EQ(o.dataId, written[0]);
    EXPECT_EQ(5, written[3]);
    EXPECT_EQ(20, written[4 + 5]);
    EXPECT_EQ(208, written[24 + 4]);
}

// An outline keeps as many vertices as its header made room for; a line array with one entry
// in use writes three entries and reads back into room for members + 3.
TEST_F(ObjectRecordsTest, OutlineAndArrayCounts)
{
    ImageBuilder image;
    image.Add(kOpObject, ObjectRecord(ClassShape, kLargestShapeKind));
    image.Add(kOpOutline, RecordBuilder().I16(5).I16(4).I16(100).I16(50));
    for (int i = 0; i < 5; ++i) image.Add(kOpOutlineVertex, RecordBuilder().I16(1).I16(0).I16(0).F64(0.5).I16(i).I16(2 * i));
    image.End(kOpOutline).End(kOpObject);
    image.Add(kOpObject, ObjectRecord(ClassArray, 0));
    image.Add(kOpArrayLayout, RecordBuilder().I16(3).U16(0x8).I16(45).I16(120).I16(60).I16(2).I16(1));
    image.Add(kOpArrayEntry, RecordBuilder().Rect({0, 0, 100, 0}).U16(0xFFFF).I16(-1).I16(100));
    image.Add(kOpArrayEntry, RecordBuilder().Rect({0, 0, 0, 50}).U16(4).I16(4).I16(50));
    image.End(kOpArrayLayout).End(kOpObject).Add(kEndOfTest);
    const int row = Count();
    ASSERT_EQ(0, Read(image.Make(), row + 2));
    ASSERT_EQ(row + 2, Count());

    DrawObject shape = Object(row), array = Object(row + 1);
    EXPECT_EQ(kOutlineRecordType, shape.dataType);
    std::string outline = RecordBytes(kOutlineRecordType, shape.dataId);
    ASSERT_EQ(12u + 4 * sizeof(OutlineVertex), outline.size());
    INT32 head[3];
    std::memcpy(head, outline.data(), sizeof head);
    EXPECT_EQ(4, head[0]);
    EXPECT_EQ(100, head[1]);

    EXPECT_EQ(RecLineArrayData, array.dataType);
    std::string layout = RecordBytes(RecLineArrayData, array.dataId);
    ASSERT_EQ(24u + 5 * sizeof(ArrayEntry), layout.size());
    ArrayData data;
    std::memcpy(reinterpret_cast<BYTE*>(&data) + kBlockHeaderSize, layout.data(), 24);
    EXPECT_EQ(2, data.memberCount);
    EXPECT_EQ(1, data.entryCount);
    EXPECT_EQ(0x8u, data.style);
    ArrayEntry second;
    std::memcpy(&second, layout.data() + 24 + sizeof(ArrayEntry), sizeof second);
    EXPECT_EQ(5, second.memberId);
    EXPECT_EQ(4, second.memberRow);

    std::vector<Record> records = RecordsOf(Write({shape, array}));
    EXPECT_EQ(4u, Only(records, kOpOutlineVertex).size());
    EXPECT_EQ(3u, Only(records, kOpArrayEntry).size());
    ASSERT_EQ(1u, Only(records, kOpArrayLayout).size());
    EXPECT_EQ(14u, Only(records, kOpArrayLayout)[0].data.size());
}

// Objects read without their geometry record are saved as read instead of failing the save.
TEST_F(ObjectRecordsTest, ObjectsWithoutGeometrySaveAsRead)
{
    ImageBuilder image;
    image.Add(kOpObject, ObjectRecord(ClassShape, kLargestShapeKind)).End(kOpObject);
    image.Add(kOpObject, ObjectRecord(ClassConnector, 0)).End(kOpObject);
    image.Add(kOpObject, ObjectRecord(ClassArray, 0)).End(kOpObject).Add(kEndOfTest);
    const int row = Count();
    ASSERT_EQ(0, Read(image.Make(), row + 3));
    ASSERT_EQ(row + 3, Count());
    int result = -1;
    HGLOBAL written = Write({Object(row), Object(row + 1), Object(row + 2)}, &result);
    ASSERT_EQ(0, result);
    std::vector<Record> records = RecordsOf(written);
    EXPECT_TRUE(Only(records, kOpOutline).empty());
    EXPECT_TRUE(Only(records, kOpConnectorPath).empty());
    EXPECT_TRUE(Only(records, kOpArrayLayout).empty());
    EXPECT_EQ(3u, Only(records, BlockEndOpcode(kOpObject)).size());
}

// Entry counts from a file are bounded: negative members, entries in use above members + 3.
TEST_F(ObjectRecordsTest, ArrayAndOutlineCountsAreBounded)
{
    ImageBuilder image;
    image.Add(kOpObject, ObjectRecord(ClassArray, 0));
    image.Add(kOpArrayLayout, RecordBuilder().I16(3).U16(0).I16(0).I16(0).I16(0).I16(-4).I16(40));
    for (int i = 0; i < 6; ++i) image.Add(kOpArrayEntry, RecordBuilder().Rect({i, 0, 0, 0}));
    image.End(kOpArrayLayout).End(kOpObject);
    image.Add(kOpObject, ObjectRecord(ClassShape, kLargestShapeKind));
    image.Add(kOpOutline, RecordBuilder().I16(5).I16(-3));
    image.Add(kOpOutlineVertex, RecordBuilder().I16(1)).End(kOpOutline).End(kOpObject).Add(kEndOfTest);
    const int row = Count();
    ASSERT_EQ(0, Read(image.Make(), row + 2));
    std::string layout = RecordBytes(RecLineArrayData, Object(row).dataId);
    ASSERT_EQ(24u + 3 * sizeof(ArrayEntry), layout.size());
    INT32 counts[2];
    std::memcpy(counts, layout.data() + 16, sizeof counts);
    EXPECT_EQ(0, counts[0]);
    EXPECT_EQ(3, counts[1]);
    std::string outline = RecordBytes(kOutlineRecordType, Object(row + 1).dataId);
    ASSERT_EQ(12u, outline.size());
}

// Pictures: header and data round-trip as bitmap chunks (0x48) or metafile chunks (0x49), the
// connection points with them; a header with no colours is 78 bytes.
TEST_F(ObjectRecordsTest, PictureRoundTrip)
{
    for (WORD opcode : {kOpBitmapData, kOpMetafileData}) {
        SCOPED_TRACE(opcode);
        std::string bits(70000, '\0');
        for (size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<char>(i * 7);
        RecordBuilder header;
        header.Rect({0, 0, 200, 100}).I16(2);
        for (int i = 0; i < 16; ++i) header.I16(i < 2 ? 300 + i : 0).I16(i < 2 ? 600 - i : 0);
        header.I16(PicStretchedBits).I16(2).U32(0x0000FF).U32(0xFF0000);
        ImageBuilder image;
        image.Add(kOpObject, ObjectRecord(ClassShape, 1)).Add(kOpPictureHeader, header);
        image.Add(opcode, RecordBuilder().Bytes(bits.data(), bits.size())).End(kOpObject).Add(kEndOfTest);
        const int row = Count();
        ASSERT_EQ(0, Read(image.Make(), row + 1));
        ASSERT_EQ(row + 1, Count());
        DrawObject o = Object(row);
        EXPECT_EQ(opcode == kOpBitmapData ? kBitmapChunkType : kMetafileChunkType, o.dataType);
        EXPECT_EQ(2, o.dataCount);

        std::vector<Record> records = RecordsOf(Write({o}));
        std::vector<Record> headers = Only(records, kOpPictureHeader), data = Only(records, opcode);
        ASSERT_EQ(1u, headers.size());
        ASSERT_EQ(1u, data.size());
        EXPECT_EQ(header.Vector(), headers[0].data);
        EXPECT_EQ(bits, std::string(data[0].data.begin(), data[0].data.end()));
    }
    ImageBuilder bare;
    bare.Add(kOpObject, ObjectRecord(ClassShape, 1)).Add(kOpPictureHeader, RecordBuilder().Rect({0, 0, 5, 5}));
    bare.Add(kOpMetafileData, RecordBuilder().Bytes("abcd", 4)).End(kOpObject).Add(kEndOfTest);
    const int row = Count();
    ASSERT_EQ(0, Read(bare.Make(), row + 1));
    std::vector<Record> headers = Only(RecordsOf(Write({Object(row)})), kOpPictureHeader);
    ASSERT_EQ(1u, headers.size());
    EXPECT_EQ(78u, headers[0].data.size());
}

// A picture record without data makes a picture of no chunks, which writes nothing back.
TEST_F(ObjectRecordsTest, APictureWithoutDataIsRead)
{
    RecordBuilder header;
    header.Rect({0, 0, 8, 8}).I16(1).I16(300).I16(300);
    ImageBuilder image;
    image.Add(kOpObject, ObjectRecord(ClassShape, 1)).Add(kOpPictureHeader, header);
    image.Add(kOpMetafileData).End(kOpObject).Add(kEndOfTest);
    const int row = Count();
    ASSERT_EQ(0, Read(image.Make(), row + 1));
    ASSERT_EQ(row + 1, Count());
    const DrawObject o = Object(row);
    EXPECT_EQ(kMetafileChunkType, o.dataType);
    EXPECT_EQ(0, o.dataCount);
    EXPECT_TRUE(Only(RecordsOf(Write({o})), kOpPictureHeader).empty());
}

// Colour and connection point counts are bounded by the header; data without a header is
// dropped and the object kept.
TEST_F(ObjectRecordsTest, PictureCountsAreBounded)
{
    RecordBuilder header;
    header.Rect({0, 0, 8, 8}).I16(40);
    for (int i = 0; i < 16; ++i) header.I16(i).I16(i);
    header.I16(0).I16(200).U32(0x11).U32(0x22);   // 200 colours announced, 2 present
    ImageBuilder image;
    image.Add(kOpObject, ObjectRecord(ClassShape, 1)).Add(kOpMetafileData, RecordBuilder().Bytes("zz", 2));
    image.Add(kOpPictureHeader, header).Add(kOpMetafileData, RecordBuilder().Bytes("abcd", 4)).End(kOpObject);
    image.Add(kEndOfTest);
    const int row = Count();
    ASSERT_EQ(0, Read(image.Make(), row + 1));
    ASSERT_EQ(row + 1, Count());
    DrawObject o = Object(row);
    std::string chunk = RecordBytes(kMetafileChunkType, o.dataId);
    ASSERT_GE(chunk.size(), kChunkHeaderSize - kBlockHeaderSize + 8u);
    PictureChunk head;
    std::memcpy(reinterpret_cast<BYTE*>(&head) + kBlockHeaderSize, chunk.data(), sizeof head - kBlockHeaderSize);
    EXPECT_EQ(16, head.hookPointCount);
    EXPECT_EQ(2, head.colorCount);
    EXPECT_EQ(4u + 8u, head.payloadSize);   // the data and two colours
}

// Runs: a bold run at 5 is one entry (5, code 2); sizes and nominal sizes survive; the run table
// is filled with zero-length copies; paragraph formats equal to the one before write no pairs.
TEST_F(ObjectRecordsTest, TextRunsAndFormatsRoundTrip)
{
    TextRun plain = g_defaultCharFormat;
    TextRun bold = plain;
    bold.style = 1;
    TextRun sized = plain;
    sized.size = 20;
    sized.nominalSize = 18;
    sized.attribute = 5;   // not coded
    plain.charCount = 5;
    bold.firstChar = 5;
    bold.charCount = 6;
    sized.firstChar = 11;
    sized.charCount = 4;
    TextRun sizedToo = sized;
    sizedToo.firstChar = 15;
    sizedToo.charCount = 0;
    sizedToo.attribute = 6;
    ParagraphFormat centred = g_defaultParaFormat;
    centred.alignment = kTextAlignCentre;
    centred.lineSpacing = 50;
    DrawObject o = Shape();
    o.textId = AddText("hello bold world", {plain, bold, sized, sizedToo}, {centred, centred, g_defaultParaFormat});

    HGLOBAL image = Write({o});
    std::vector<Record> records = RecordsOf(image);
    std::vector<Record> runs = Only(records, kOpRuns);
    ASSERT_EQ(1u, runs.size());
    RecordFields f(runs[0].data.data(), static_cast<DWORD>(runs[0].data.size()));
    INT32 entries = 0, changes = 0, code = 0;
    DWORD first = 0;
    f.U16(0, &entries);
    f.U16(2, &changes);
    f.U32(4, &first);
    f.U16(8, &code);
    EXPECT_EQ(2, entries);   // the bold run, then the sized one
    EXPECT_EQ(1, changes);
    EXPECT_EQ(5u, first);
    EXPECT_EQ(2, code);
    std::vector<Record> formats = Only(records, kOpParagraphFormat);
    ASSERT_EQ(3u, formats.size());
    EXPECT_EQ(4u + 4 * 2, formats[0].data.size());
    EXPECT_EQ(4u, formats[1].data.size());
    EXPECT_EQ(4u + 4 * 2, formats[2].data.size());
    ASSERT_EQ(1u, Only(records, kOpText).size());
    EXPECT_EQ(kTextHeaderRecordSize, Only(records, kOpText)[0].data.size());

    const int row = Count();
    DropText(o.textId);
    ASSERT_EQ(0, Read(image, row + 1));
    DrawObject read = Object(row);
    ASSERT_EQ(o.textId, read.textId);
    StoredText t = TextOf(read.textId);
    EXPECT_EQ("hello bold world", t.text);
    EXPECT_EQ(1, t.header.lineCount);
    EXPECT_EQ(1, t.header.segmentCount);
    EXPECT_EQ(-1, t.header.layoutWidth);
    EXPECT_EQ(30, t.header.marginLeft);
    EXPECT_EQ(0x123456u, t.header.effect.color);
    ASSERT_EQ(4u, t.runs.size());
    EXPECT_EQ(0, t.runs[0].style);
    EXPECT_EQ(5, t.runs[0].charCount);
    EXPECT_EQ(1, t.runs[1].style);
    EXPECT_EQ(5, t.runs[1].firstChar);
    EXPECT_EQ(6, t.runs[1].charCount);
    EXPECT_EQ(20, t.runs[2].size);
    EXPECT_EQ(18, t.runs[2].nominalSize);
    EXPECT_EQ(5, t.runs[2].charCount);
    EXPECT_EQ(16, t.runs[3].firstChar);
    EXPECT_EQ(0, t.runs[3].charCount);
    EXPECT_EQ(18, t.runs[3].nominalSize);
    ASSERT_EQ(3u, t.formats.size());
    EXPECT_EQ(kTextAlignCentre, t.formats[1].alignment);
    EXPECT_EQ(50, t.formats[1].lineSpacing);
    EXPECT_EQ(0, std::memcmp(&g_defaultParaFormat, &t.formats[2], sizeof(ParagraphFormat)));
}

// Text in the default format throughout writes no run record and reads back as one run, with
// zero-length copies at the end; at 300 units per inch margins and paragraph distances double.
TEST_F(ObjectRecordsTest, DefaultTextAndRescaling)
{
    TextRun plain = g_defaultCharFormat;
    plain.charCount = 3;
    TextRun empty = plain;
    empty.firstChar = 3;
    empty.charCount = 0;
    ParagraphFormat spaced = g_defaultParaFormat;
    spaced.lineSpacing = 10;
    spaced.charSpacing = 4;
    spaced.bullet = 2;
    DrawObject o = Shape();
    o.textId = AddText("abc", {plain, empty}, {spaced});
    HGLOBAL image = Write({o});
    EXPECT_TRUE(Only(RecordsOf(image), kOpRuns).empty());
    g_fileResolution = 300;
    const int row = Count();
    DropText(o.textId);
    ASSERT_EQ(0, Read(image, row + 1));
    g_fileResolution = 600;
    StoredText t = TextOf(Object(row).textId);
    ASSERT_EQ(2u, t.runs.size());
    EXPECT_EQ(3, t.runs[0].charCount);
    EXPECT_EQ(3, t.runs[1].firstChar);
    EXPECT_EQ(0, t.runs[1].charCount);
    EXPECT_EQ(60, t.header.marginLeft);
    ASSERT_EQ(1u, t.formats.size());
    EXPECT_EQ(20, t.formats[0].lineSpacing);
    EXPECT_EQ(8, t.formats[0].charSpacing);
    EXPECT_EQ(2, t.formats[0].bullet);
}

// Damaged text blocks: a short 0x41 shortens the text, no runs or formats give one of each,
// falling or far run starts open no run, unknown codes are ignored, and a block above 0x7FFF
// bytes is refused.
TEST_F(ObjectRecordsTest, TextBlockLimits)
{
    RecordBuilder runs;
    runs.U16(4);
    runs.U16(1).U32(2).U16(2).U32(1);      // bold from 2
    runs.U16(1).U32(1).U16(99).U32(7);     // falls back: no run, unknown code
    runs.U16(1).U32(40).U16(4).U32(0xFF);  // past the text: no run, but the colour carries
    runs.U16(1).U32(3).U16(7).U32(1);      // superscript from 3, red
    ImageBuilder image;
    image.Add(kOpObject, ObjectRecord(ClassShape, 1));
    image.Add(kOpText, RecordBuilder().I16(5).U16(6).U16(1).U16(10));
    image.Add(kOpTextBytes, RecordBuilder().Bytes("wxyz", 4)).Add(kOpRuns, runs);
    image.End(kOpText).End(kOpObject);
    image.Add(kOpObject, ObjectRecord(ClassShape, 1));
    image.Add(kOpText, RecordBuilder().I16(6).U16(0).U16(0).U16(2));
    image.Add(kOpTextBytes, RecordBuilder().Bytes("ok", 2)).End(kOpText).End(kOpObject);
    image.Add(kOpObject, ObjectRecord(ClassShape, 1));
    image.Add(kOpText, RecordBuilder().I16(7).U16(1).U16(600).U16(0));
    image.Add(kOpParagraphFormat, RecordBuilder().U16(550).U16(1).U16(100).I16(2)).End(kOpText).End(kOpObject);
    image.Add(kEndOfTest);
    const int row = Count();
    ASSERT_EQ(0, Read(image.Make(), row + 3));
    ASSERT_EQ(row + 3, Count());
    EXPECT_EQ(500u, TextOf(Object(row + 2).textId).formats.size());

    StoredText t = TextOf(Object(row).textId);
    EXPECT_EQ("wxyz", t.text);
    EXPECT_EQ(4, t.header.textLength);
    ASSERT_EQ(6u, t.runs.size());
    EXPECT_EQ(0, t.runs[0].firstChar);
    EXPECT_EQ(2, t.runs[0].charCount);
    EXPECT_EQ(1, t.runs[1].style);
    EXPECT_EQ(1, t.runs[1].charCount);
    EXPECT_EQ(3, t.runs[2].firstChar);
    EXPECT_EQ(1, t.runs[2].script);
    EXPECT_EQ(0xFFu, t.runs[2].color);
    EXPECT_EQ(1, t.runs[2].charCount);
    for (size_t i = 3; i < t.runs.size(); ++i) {
        EXPECT_EQ(4, t.runs[i].firstChar);
        EXPECT_EQ(0, t.runs[i].charCount);
    }
    EXPECT_EQ(static_cast<long long>(t.recordSize), kBlockHeaderSize + TextBlockSize(&t.header));

    StoredText bare = TextOf(Object(row + 1).textId);
    EXPECT_EQ(1u, bare.runs.size());
    EXPECT_EQ(1u, bare.formats.size());
    EXPECT_EQ(2, bare.runs[0].charCount);

    EXPECT_EQ(0, g_readDamage.textsLost);

    // A text too large for its record costs that text only: the object and the next one stay.
    ImageBuilder huge;
    huge.Add(kOpObject, ObjectRecord(ClassShape, 1));
    huge.Add(kOpText, RecordBuilder().I16(8).U16(1).U16(1).U16(0x7F00));
    huge.Add(kOpTextBytes, RecordBuilder().Bytes("abc", 3)).End(kOpText).End(kOpObject);
    huge.Add(kOpObject, ObjectRecord(ClassShape, 2)).End(kOpObject).Add(kEndOfTest);
    const int before = Count();
    ASSERT_EQ(0, Read(huge.Make(), before + 2));
    ASSERT_EQ(before + 2, Count());
    EXPECT_EQ(-1, Object(before).textId);
    EXPECT_EQ(2, Object(before + 1).objType);
    EXPECT_EQ(1, g_readDamage.textsLost);
    EXPECT_TRUE(RecordBytes(RecTextBlock, 8).empty());
}

// A text keeps the record id its block gives; an id taken by another text, or out of range,
// costs that text only.
TEST_F(ObjectRecordsTest, TextRecordsKeepTheirIdsFromTheFile)
{
    ImageBuilder image;
    const struct {
        int id;
        const char* text;
    } texts[] = {{31, "first"}, {1, "second"}, {31, "taken"}, {40000, "beyond"}, {2, "last"}};
    for (const auto& t : texts) {
        const WORD length = static_cast<WORD>(std::strlen(t.text));
        image.Add(kOpObject, ObjectRecord(ClassShape, 1));
        image.Add(kOpText, RecordBuilder().U16(static_cast<WORD>(t.id)).U16(1).U16(1).U16(length));
        image.Add(kOpTextBytes, RecordBuilder().Bytes(t.text, length)).End(kOpText).End(kOpObject);
    }
    image.Add(kEndOfTest);
    const int row = Count();
    ASSERT_EQ(0, Read(image.Make(), row + 5));
    ASSERT_EQ(row + 5, Count());
    const int expected[] = {31, 1, -1, -1, 2};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(expected[i], Object(row + i).textId) << i;
    EXPECT_EQ("first", TextOf(31).text);
    EXPECT_EQ("second", TextOf(1).text);
    EXPECT_EQ("last", TextOf(2).text);
    EXPECT_EQ(2, g_readDamage.textsLost);
}

// The drawing-level decoders: a first entry at 0 sets the default run, one at 5 does not; a
// paragraph record changes the default format whatever its index.
TEST_F(ObjectRecordsTest, DefaultFormatsFromDrawingRecords)
{
    struct Case {
        DWORD first;
        int wantSize;
    } cases[] = {{0, 30}, {5, 12}};
    for (const Case& c : cases) {
        g_defaultCharFormat.size = g_defaultCharFormat.nominalSize = 12;
        ImageBuilder image;
        image.Add(kOpRuns, RecordBuilder().U16(1).U16(1).U32(c.first).U16(1).U32(30));
        image.Add(kOpParagraphFormat, RecordBuilder().U16(7).U16(1).U16(100).I16(kTextAlignRight));
        HGLOBAL made = image.Make();
        images_.push_back(made);
        ASSERT_EQ(0, BeginRecordBuffer());
        BeginMemoryStream(made, 1 << 20);
        WORD opcode = 0;
        DWORD length = 0;
        ASSERT_EQ(0, ReadRecord(HFILE_ERROR, &opcode, &length));
        DecodeCharFormatRuns(nullptr, &g_defaultCharFormat, 1, 0);
        EXPECT_EQ(c.wantSize, g_defaultCharFormat.size);
        EXPECT_EQ(c.wantSize, g_defaultCharFormat.nominalSize);
        ASSERT_EQ(0, ReadRecord(HFILE_ERROR, &opcode, &length));
        g_defaultParaFormat = StandardParagraphFormat();
        DecodeParaFormats(nullptr, 0, &g_defaultParaFormat, nullptr);
        EXPECT_EQ(kTextAlignRight, g_defaultParaFormat.alignment);
        EndMemoryStream();
        EndRecordBuffer();
    }
}

}  // namespace
