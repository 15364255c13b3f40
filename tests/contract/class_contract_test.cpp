// The contract every object class keeps with the drawing model, over a table of classes, their
// kinds, and plain, mirrored and turned objects: a move shifts the frame, the handles and the
// hook points alike; a handle dragged away and back restores the frame; the update rectangle
// holds the frame and the handles; an object made from another's records shares none of them;
// a message the class does not answer answers 0 and changes no record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <ostream>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "editing/edit_services.h"
#include "geometry/handle_codes.h"
#include "lines/array_paint.h"
#include "lines/connector_geometry.h"
#include "lines/connector_record.h"
#include "lines/line_geometry.h"
#include "lines/line_shape.h"
#include "model/class_protocol.h"
#include "model/edit_ops.h"
#include "model/selection.h"
#include "shapes/custom_outline.h"
#include "shapes/picture_chunks.h"
#include "shapes/shape_kinds.h"
#include "shapes/shape_paint.h"
#include "store/block_store.h"
#include "support/drawing_fixture.h"
#include "text/object_text.h"

namespace {

class ClassContract;

int IntArg(const void* pointer)
{
    return static_cast<int>(reinterpret_cast<INT_PTR>(pointer));
}

struct Handle {
    int code;
    RECT rect;  // empty when the handle is not shown
};

struct Kind {
    int type;
    const char* name;
};

// One object class: how to make an object of each of its kinds, how to make one from the
// records of another, where its selection handles lie, and the messages it does not answer.
struct ContractClass {
    const char* name;
    std::span<const Kind> kinds;
    // A new object of `type` in `frame`; its row.
    int (*make)(ClassContract& t, int type, RECT frame);
    // A new object made with message 11 from the records of the object at `source`; its row.
    int (*copy)(ClassContract& t, int source);
    // The selection handles by code, as the class draws and hit-tests them; a handle's code is
    // what messages 48 and 6 take to drag it.
    void (*handles)(Drawing* drawing, const DrawObject& object, std::vector<Handle>* out);
    std::span<const int> unanswered;
    // Drags the handle by `delta` and back again, as the view or link propagation does.
    int (*dragThereAndBack)(ClassContract& t, int row, int handleCode, POINT delta);
    // How far a frame may drift in a drag there and back: a line's moved-end rectangle nudges
    // the fixed end by a unit where the moved end arrives level with it.
    LONG dragSlack;
    std::span<const struct Variant> variants;
    bool keepsAngle;   // the object records its angle (lines are turned in their geometry)
};

// How a case's object is turned and mirrored after it is made, by the class's own messages.
struct Variant {
    const char* name;
    int angle;       // tenths of a degree (message 25)
    int flip;        // mirror request (message 58), 0 none
    bool turn;       // send message 25 with `angle`
};
constexpr Variant kVariants[] = {
    {"Plain", 0, 0, false},
    {"MirroredH", 0, OptMirrorH, false},
    {"Turned30", 300, 0, true},
    {"Turned135MirroredV", 1350, OptMirrorV, true},
};

struct ContractCase {
    const ContractClass* cls;
    Kind kind;
    Variant variant;
};

void PrintTo(const ContractCase& c, std::ostream* out)
{
    *out << c.cls->name << " " << c.kind.name << " " << c.variant.name;
}

// Odd sizes so that halving and truncation show. Turned or moved, every coordinate stays
// between 1024 and 2048, where adding a whole number to a real rounds the same way.
constexpr RECT kFrame = {1200, 1300, 1803, 1751};
constexpr int kDx = 137, kDy = -61;

using RecordKey = std::pair<int, int>;  // type, id

class ClassContract : public DrawingFixture, public testing::WithParamInterface<ContractCase> {
public:
    using DrawingFixture::AddAt;
    using DrawingFixture::LockDrawing;

    // Through the class handler table, as the model sends it.
    LONG Send(int row, int message, int a = 0, int b = 0, void* p = nullptr)
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        return SendClassMessage(nullptr, d.get(), objects.get(), row, message, a, b, p);
    }
    using DrawingFixture::Object;
    using DrawingFixture::RecordBytes;
    int Slot() const { return slot_; }

protected:
    const ContractCase& Case() const { return GetParam(); }

    // The case's object: made, then mirrored, then turned.
    int MakeCase()
    {
        const int row = Case().cls->make(*this, Case().kind.type, kFrame);
        if (Case().variant.flip) {
            EXPECT_EQ(0, Send(row, OM_FLIP, Case().variant.flip));
        }
        if (Case().variant.turn) {
            EXPECT_EQ(0, Send(row, OM_SETANGLE, Case().variant.angle));
        }
        EXPECT_FALSE(RotationRefused);
        if (Case().cls->keepsAngle) {
            EXPECT_EQ(Case().variant.angle, Object(row).angle);
        }
        return row;
    }

    struct Geometry {
        RECT frame, bounds, update;
        std::vector<Handle> handles;  // the class's handles, then its extra handle if any
        std::vector<POINT> hooks;     // drawing positions
    };
    Geometry Measure(int row)
    {
        Geometry g = {};
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        const DrawObject& o = (*objects)[row];
        g.frame = o.frame;
        g.update = o.updateRect;
        g.bounds = o.frame;
        SendClassMessage(nullptr, d.get(), objects.get(), row, OM_GETFRAME, 0, 0, &g.bounds);
        Case().cls->handles(d.get(), o, &g.handles);
        POINT at = {};
        RECT extra = {};
        if (LONG code = SendClassMessage(nullptr, d.get(), objects.get(), row, OM_EXTRAHANDLE, 1, IntArg(&at), &extra))
            g.handles.push_back(Handle{static_cast<int>(code), extra});
        POINT points[64] = {};
        INT32 count = 0;
        SendClassMessage(nullptr, d.get(), objects.get(), row, OM_GETHOOKPOINTS, 0, IntArg(&count), points);
        EXPECT_GT(count, 0);
        if (count < 0 || count > 64) return g;
        SendClassMessage(nullptr, d.get(), objects.get(), row, OM_MAPHOOKPOINT, count, 0, points);
        g.hooks.assign(points, points + count);
        return g;
    }

    // The records an object owns: its text, its data run and its attachment.
    std::vector<RecordKey> RecordsOf(const DrawObject& o) const
    {
        std::vector<RecordKey> keys;
        if (o.textId >= 0) keys.emplace_back(RecTextBlock, o.textId);
        if (o.dataId >= 0)
            for (int k = 0; k < o.dataCount; ++k) keys.emplace_back(o.dataType, o.dataId + k);
        HGLOBAL attachment = nullptr;
        if (LoadRecord(slot_, RecAttachment, o.objId, &attachment) == 0) {
            ReleaseBlock(attachment);
            keys.emplace_back(RecAttachment, o.objId);
        }
        return keys;
    }
    HGLOBAL BlockOf(RecordKey key) const
    {
        HGLOBAL block = nullptr;
        EXPECT_EQ(0, LoadRecord(slot_, key.first, key.second, &block)) << key.first << "/" << key.second;
        if (block) ReleaseBlock(block);
        return block;
    }

    // Every record of the store with its payload.
    std::map<RecordKey, std::string> AllRecords() const
    {
        std::map<RecordKey, std::string> all;
        int types = 0;
        EXPECT_EQ(0, CountRecordTypes(slot_, &types));
        for (int t = 0; t < types; ++t) {
            int type = 0, count = 0;
            EXPECT_EQ(0, GetRecordTypeAt(slot_, t, &type));
            EXPECT_EQ(0, CountRecords(slot_, type, &count));
            for (int i = 0; i < count; ++i) {
                int id = 0;
                EXPECT_EQ(0, GetRecordIdAt(slot_, type, i, &id));
                all[{type, id}] = RecordBytes(type, id);
            }
        }
        return all;
    }
};

RECT Shifted(RECT r)
{
    OffsetRect(&r, kDx, kDy);
    return r;
}

bool Within(const RECT& a, const RECT& b, LONG slack)
{
    return std::abs(a.left - b.left) <= slack && std::abs(a.top - b.top) <= slack &&
           std::abs(a.right - b.right) <= slack && std::abs(a.bottom - b.bottom) <= slack;
}

bool Contains(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

TEST_P(ClassContract, AnOffsetMovesTheFrameHandlesAndHookPointsAlike)
{
    const int row = MakeCase();
    const Geometry before = Measure(row);
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        ASSERT_EQ(0, OffsetObject(d.get(), objects.get(), row, kDx, kDy));
    }
    const Geometry after = Measure(row);
    EXPECT_EQ(Shifted(before.frame), after.frame);
    EXPECT_EQ(Shifted(before.bounds), after.bounds);
    EXPECT_EQ(Shifted(before.update), after.update);
    ASSERT_EQ(before.handles.size(), after.handles.size());
    for (size_t i = 0; i < before.handles.size(); ++i) {
        EXPECT_EQ(before.handles[i].code, after.handles[i].code);
        // A handle that is not shown has an empty rect, wherever a class keeps it.
        const RECT& was = before.handles[i].rect;
        if (IsRectEmpty(&was))
            EXPECT_TRUE(IsRectEmpty(&after.handles[i].rect)) << "handle " << before.handles[i].code;
        else
            EXPECT_EQ(Shifted(was), after.handles[i].rect) << "handle " << before.handles[i].code;
    }
    ASSERT_EQ(before.hooks.size(), after.hooks.size());
    for (size_t i = 0; i < before.hooks.size(); ++i) {
        EXPECT_EQ(before.hooks[i].x + kDx, after.hooks[i].x) << "hook point " << i;
        EXPECT_EQ(before.hooks[i].y + kDy, after.hooks[i].y) << "hook point " << i;
    }
}

TEST_P(ClassContract, AHandleDraggedAwayAndBackRestoresTheFrame)
{
    const int row = MakeCase();
    // Each drag of a turned frame may shift it a unit: the turned anchor truncates after the
    // centre is added, the centre's turned offset truncates toward zero alone.
    const LONG slack = Case().variant.angle != 0 ? 2 : Case().cls->dragSlack;
    std::vector<Handle> handles;
    {
        Locked<Drawing> d = LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        Case().cls->handles(d.get(), (*objects)[row], &handles);
    }
    ASSERT_FALSE(handles.empty());
    for (const Handle& handle : handles) {
        // Handles without a code (a line shape's, a connector's segments, an array's) move
        // parameters through messages of their own.
        if (handle.code == 0) continue;
        for (POINT delta : {POINT{57, 43}, POINT{-75, -50}}) {
            const RECT start = Object(row).frame;
            ASSERT_EQ(0, Case().cls->dragThereAndBack(*this, row, handle.code, delta)) << "handle " << handle.code;
            const RECT end = Object(row).frame;
            EXPECT_TRUE(Within(start, end, slack))
                << start << " became " << end << " by handle " << handle.code << " and " << delta.x << ", " << delta.y;
        }
    }
}

TEST_P(ClassContract, TheUpdateRectHoldsTheFrameAndTheHandles)
{
    const int row = MakeCase();
    const Geometry g = Measure(row);
    EXPECT_TRUE(Contains(g.update, g.bounds)) << g.update << " and the frame " << g.bounds;
    for (const Handle& h : g.handles) {
        if (IsRectEmpty(&h.rect)) continue;
        EXPECT_TRUE(Contains(g.update, h.rect)) << g.update << " and handle " << h.code << " at " << h.rect;
    }
}

TEST_P(ClassContract, AnObjectMadeFromAnothersRecordsSharesNone)
{
    const int source = MakeCase();
    const std::vector<RecordKey> sourceKeys = RecordsOf(Object(source));
    std::vector<std::string> sourceBytes;
    for (RecordKey key : sourceKeys) sourceBytes.push_back(RecordBytes(key.first, key.second));

    const int copy = Case().cls->copy(*this, source);
    ASSERT_NE(source, copy);
    const std::vector<RecordKey> copyKeys = RecordsOf(Object(copy));
    // The same records, each under a key and in a memory block of its own.
    ASSERT_EQ(sourceKeys.size(), copyKeys.size());
    for (size_t i = 0; i < sourceKeys.size(); ++i) {
        EXPECT_TRUE(sourceBytes[i] == RecordBytes(sourceKeys[i].first, sourceKeys[i].second)) << "source record " << i;
        EXPECT_TRUE(sourceBytes[i] == RecordBytes(copyKeys[i].first, copyKeys[i].second)) << "copied record " << i;
        for (size_t j = 0; j < copyKeys.size(); ++j) {
            EXPECT_NE(sourceKeys[i], copyKeys[j]) << "records " << i << " and " << j;
            EXPECT_NE(BlockOf(sourceKeys[i]), BlockOf(copyKeys[j])) << "records " << i << " and " << j;
        }
    }
}

TEST_P(ClassContract, AnUnansweredMessageAnswersZeroAndChangesNoRecord)
{
    const int row = MakeCase();
    const std::map<RecordKey, std::string> before = AllRecords();
    ASSERT_FALSE(before.empty());
    for (int message : Case().cls->unanswered) {
        BYTE pointed[64], second[64];
        std::memset(pointed, 0xA5, sizeof pointed);
        std::memset(second, 0x5A, sizeof second);
        EXPECT_EQ(0, Send(row, message, 1, IntArg(second), pointed)) << "message " << message;
        EXPECT_TRUE(before == AllRecords()) << "message " << message;
        for (size_t i = 0; i < sizeof pointed; ++i) {
            ASSERT_EQ(0xA5, pointed[i]) << "message " << message;
            ASSERT_EQ(0x5A, second[i]) << "message " << message;
        }
    }
}

// ---- The shape class.

constexpr Kind kShapeKinds[] = {
    {ShapeFreeText, "FreeText"},       {ShapePicture, "Picture"},
    {ShapeRectangle, "Rectangle"},     {ShapeRoundedRect, "RoundedRect"},
    {ShapeOval, "Oval"},               {ShapeInputOutput, "InputOutput"},
    {ShapeDecision, "Decision"},       {ShapeDocument, "Document"},
    {ShapeTerminate, "Terminate"},     {ShapeCircle, "Circle"},
    {ShapeRightArrow, "RightArrow"},   {ShapeLeftArrow, "LeftArrow"},
    {ShapeTopArrow, "TopArrow"},       {ShapeBottomArrow, "BottomArrow"},
    {ShapeTriangle, "Triangle"},       {ShapeReverseTriangle, "ReverseTriangle"},
    {ShapeInput, "Input"},             {ShapeTrapezoid, "Trapezoid"},
    {ShapeManualOperation, "ManualOperation"}, {ShapeOctagon, "Octagon"},
    {ShapeOnlineStorage, "OnlineStorage"}, {ShapePreparation, "Preparation"},
    {ShapeOffPageConnector, "OffPageConnector"}, {ShapePentagon, "Pentagon"},
    {ShapeDelay, "Delay"},             {ShapeDisplay, "Display"},
    {ShapeCustom, "Custom"},
};
static_assert(std::size(kShapeKinds) == kShapeKindCount);

constexpr int kShapeUnanswered[] = {0,  12, 24, 26, 30, 35, 36, 37, 38, 39, 46, 54, 61, 62, 63, 70, 71,
                                    72, 73, 74, 75, 77, 78, 79, 80, 81, 82, 83, 87, 88, 1000, -1};

// A text block of one run, one paragraph format and a few characters.
HGLOBAL NewTextBlock()
{
    const char text[] = "Contract";
    const int textLength = sizeof text - 1;
    const SIZE_T size = sizeof(TextBlock) + sizeof(TextRun) + sizeof(ParagraphFormat) + textLength;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    BYTE* bytes = static_cast<BYTE*>(GlobalLock(block));
    auto* header = reinterpret_cast<TextBlock*>(bytes);
    header->runCount = 1;
    header->formatCount = 1;
    header->textLength = textLength;
    auto* run = reinterpret_cast<TextRun*>(bytes + sizeof(TextBlock));
    run->size = 12;
    run->charCount = textLength;
    auto* format = reinterpret_cast<ParagraphFormat*>(run + 1);
    format->alignment = 6;
    std::memcpy(format + 1, text, textLength);
    GlobalUnlock(block);
    return block;
}

// A custom outline record: a notched square of straight pieces.
HGLOBAL NewOutlineRecord(int slot)
{
    const int corners[][2] = {{0, 0}, {400, 0}, {400, 300}, {250, 300}, {200, 220}, {150, 300}, {0, 300}};
    const int n = static_cast<int>(std::size(corners));
    int id = 0;
    EXPECT_EQ(0, NextFreeRecordId(slot, kOutlineRecordType, &id));
    HGLOBAL block = nullptr;
    EXPECT_EQ(0, AddRecord(slot, kOutlineRecordType, id, sizeof(OutlinePointBlock) + n * sizeof(OutlineVertex), &block));
    if (!block) return nullptr;
    auto* outline = static_cast<OutlinePointBlock*>(GlobalLock(block));
    outline->count = n;
    outline->designWidth = 400;
    outline->designHeight = 300;
    auto* v = reinterpret_cast<OutlineVertex*>(outline + 1);
    for (int k = 0; k < n; ++k) v[k] = OutlineVertex{1, 0, 0, 0.0, corners[k][0], corners[k][1]};
    GlobalUnlock(block);
    EXPECT_EQ(0, MarkBlockDirty(block));
    return block;
}

int AddPicture(ClassContract& t, RECT frame, int dataType, HGLOBAL data, const PictureSource& source)
{
    return t.AddAt(ClassShape, frame, ShapePicture, dataType, IntArg(data), const_cast<PictureSource*>(&source));
}

int MakeShape(ClassContract& t, int type, RECT frame)
{
    switch (type) {
    case ShapeFreeText: {
        HGLOBAL text = NewTextBlock();
        const int row = t.AddAt(ClassShape, frame, type, 0, IntArg(text));
        GlobalFree(text);
        return row;
    }
    case ShapePicture: {
        // A metafile picture without stretched bitmaps: it turns and mirrors.
        const int bytes = 200;
        HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, bytes);
        std::memset(GlobalLock(data), 0x3C, bytes);
        GlobalUnlock(data);
        PictureSource source = {};
        source.frame = RECT{0, 0, 1440, 1080};
        source.colorCount = 2;
        source.colors[1] = RGB(255, 255, 255);
        source.dataSize = bytes;
        const int row = AddPicture(t, frame, kMetafileChunkType, data, source);
        GlobalFree(data);
        return row;
    }
    case ShapeCustom: {
        HGLOBAL outline = NewOutlineRecord(t.Slot());
        const int row = t.AddAt(ClassShape, frame, type, 0, IntArg(outline));
        if (outline) ReleaseBlock(outline);
        return row;
    }
    default:
        return t.AddAt(ClassShape, frame, type);
    }
}

// Message 11 takes records by kind: a free text block its source text, a picture its data and
// the rest of its PictureSource, a custom outline its outline record. Other kinds take none.
int CopyShape(ClassContract& t, int source)
{
    const DrawObject s = t.Object(source);
    if (s.state & StateTextOnly) {
        const std::string payload = t.RecordBytes(RecTextBlock, s.textId);
        HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, payload.size());
        std::memcpy(GlobalLock(text), payload.data(), payload.size());
        GlobalUnlock(text);
        const int row = t.AddAt(ClassShape, s.frame, ShapeFreeText, 0, IntArg(text));
        GlobalFree(text);
        return row;
    }
    if (s.state & StatePicture) {
        PictureSource picture = {};
        HGLOBAL data = nullptr;
        int colorCount = 0, flags = 0;
        DWORD size = 0;
        EXPECT_EQ(0, LoadPictureChunks(t.Slot(), s.dataType, s.dataId, s.dataCount, &data, &picture.frame,
                                       &colorCount, picture.colors, &flags, &size));
        picture.colorCount = colorCount;
        picture.flags = flags;
        picture.dataSize = static_cast<INT32>(size);
        const int row = AddPicture(t, s.frame, s.dataType, data, picture);
        if (data) GlobalFree(data);
        return row;
    }
    if (s.objType == ShapeCustom) {
        // The class adopts the outline record it is handed, so the copy comes in a record of
        // its own, as the outline's maker hands it.
        const std::string payload = t.RecordBytes(kOutlineRecordType, s.dataId);
        int id = 0;
        EXPECT_EQ(0, NextFreeRecordId(t.Slot(), kOutlineRecordType, &id));
        HGLOBAL outline = nullptr;
        EXPECT_EQ(0, AddRecord(t.Slot(), kOutlineRecordType, id, static_cast<DWORD>(kBlockHeaderSize + payload.size()),
                               &outline));
        if (!outline) return -1;
        std::memcpy(static_cast<BYTE*>(GlobalLock(outline)) + kBlockHeaderSize, payload.data(), payload.size());
        GlobalUnlock(outline);
        EXPECT_EQ(0, MarkBlockDirty(outline));
        const int row = t.AddAt(ClassShape, s.frame, ShapeCustom, 0, IntArg(outline));
        ReleaseBlock(outline);
        return row;
    }
    return t.AddAt(ClassShape, s.frame, s.objType);
}

void ShapeHandles(Drawing* drawing, const DrawObject& object, std::vector<Handle>* out)
{
    RECT rects[8];
    int codes[8];
    int count = 0;
    GetShapeHandleRects(drawing, &object, rects, codes, &count);
    for (int i = 0; i < count; ++i) out->push_back(Handle{codes[i], rects[i]});
}

// A shape's handle is dragged by its own code in both messages.
int DragShapeHandle(ClassContract& t, int row, int handleCode, POINT delta)
{
    int err = 0;
    for (POINT d : {delta, POINT{-delta.x, -delta.y}}) {
        RECT r = {};
        t.Send(row, OM_MOVEHANDLERECT, handleCode, IntArg(&d), &r);
        if ((err = t.Send(row, OM_DRAGHANDLE, handleCode, 0, &r)) != 0) break;
    }
    return err;
}

constexpr ContractClass kShapeClass = {"Shape", kShapeKinds,     MakeShape, CopyShape, ShapeHandles, kShapeUnanswered,
                                       DragShapeHandle, 0, kVariants, true};

// ---- The straight-line class.

constexpr Kind kLineShapes[] = {
    {LinePlain, "Plain"}, {LineZigzag, "Zigzag"}, {LineSteps, "Steps"}, {LineArc, "Arc"}};

// Made falling from the frame's top-left to its bottom-right corner; flipped it rises; turned to
// an absolute angle it lies horizontal, vertical or slanted.
constexpr Variant kLineVariants[] = {
    {"Falling", 0, 0, false},
    {"Rising", 0, OptMirrorH, false},
    {"Horizontal", 0, 0, true},
    {"Vertical", -900, 0, true},
    {"Turned30", 300, 0, true},
};

constexpr int kLineUnanswered[] = {0,  7,  8,  9,  12, 17, 21, 28, 30, 33, 39, 40, 50, 52, 53, 54,
                                   60, 69, 76, 79, 80, 81, 83, 84, 86, 88, 1000, -1};

int MakeLine(ClassContract& t, int type, RECT frame)
{
    const int row = t.AddAt(ClassLine, frame, 0, HandleLeftTop);
    if (type != LinePlain) {
        // The line-shape command's type code: the shape plus one.
        INT32 request[2] = {0, type + 1};
        Locked<Drawing> d = t.LockDrawing();
        Locked<ObjectList> objects(d->objectList);
        EXPECT_EQ(0, SendClassMessage(nullptr, d.get(), objects.get(), row, OM_SETLINETYPE, 0, 0, request));
    }
    return row;
}

// A line owns no records: a copy is a new line over the same frame.
int CopyLine(ClassContract& t, int source)
{
    const DrawObject s = t.Object(source);
    return t.AddAt(ClassLine, s.frame, 0, HandleLeftTop);
}

// The two end handles under the number of their end, then the extra handles of the line shape.
void LineHandles(Drawing*, const DrawObject& object, std::vector<Handle>* out)
{
    static constexpr int kEndHandles[3][2][2] = {
        {{20, 21}, {20, 21}},   // horizontal
        {{24, 27}, {26, 25}},   // slanted: falling, rising
        {{22, 23}, {22, 23}},   // vertical
    };
    const int orientation = LineOrientationOf(&object);
    const int* codes = kEndHandles[orientation][IsLineRising(&object) ? 1 : 0];
    for (int end = 1; end <= 2; ++end) {
        RECT rect = {};
        GetHandleRect(&object, &rect, codes[end - 1], nullptr);
        out->push_back(Handle{end, rect});
    }
    POINT points[kLinePathPoints];
    int count = 0, kind = 0, number = 0;
    RECT extra[2] = {};
    BuildLineShapePath(&object, &object.frame, object.axisCoord, object.param, 0, points, &count, &kind, FALSE,
                       nullptr);
    GetLineShapeHandleRects(&object, points, count, kind, extra, &number);
    for (int i = 0; i < number; ++i) out->push_back(Handle{0, extra[i]});
}

// An end is dragged as link propagation drags it: message 48 fixes the side or corner opposite
// the moving end, message 6 names the corner of the new rect where the other end stays. Ends
// are followed by place: an end that passes the other may become end 1.
int DragLineEndAt(ClassContract& t, int row, POINT moving, POINT fixed, POINT delta)
{
    const DrawObject o = t.Object(row);
    RECT r = {};
    t.Send(row, OM_MOVEHANDLERECT, OppositeSide(HandleCodeAtPoint(&o.frame, moving.x, moving.y)), IntArg(&delta),
           &r);
    return t.Send(row, OM_DRAGHANDLE, HandleCodeAtPoint(&r, fixed.x, fixed.y), 0, &r);
}

int DragLineEnd(ClassContract& t, int row, int end, POINT delta)
{
    const DrawObject o = t.Object(row);
    const POINT moving = LineEndPosition(&o, end), fixed = LineEndPosition(&o, end == 1 ? 2 : 1);
    if (int err = DragLineEndAt(t, row, moving, fixed, delta)) return err;
    return DragLineEndAt(t, row, POINT{moving.x + delta.x, moving.y + delta.y}, fixed, POINT{-delta.x, -delta.y});
}

constexpr ContractClass kLineClass = {"Line",      kLineShapes, MakeLine,      CopyLine, LineHandles, kLineUnanswered,
                                      DragLineEnd, 1,           kLineVariants, false};

// ---- The elbow-connector class.

// The payload of `from`'s data record into `to`'s, as a paste hands an object its own copy.
void CopyDataRecord(ClassContract& t, const DrawObject& from, const DrawObject& to)
{
    const std::string payload = t.RecordBytes(from.dataType, from.dataId);
    HGLOBAL block = nullptr;
    EXPECT_EQ(0, LoadRecord(t.Slot(), to.dataType, to.dataId, &block));
    if (!block) return;
    if (GetBlockSize(block) == static_cast<LONG>(kBlockHeaderSize + payload.size())) {
        std::memcpy(static_cast<BYTE*>(GlobalLock(block)) + kBlockHeaderSize, payload.data(), payload.size());
        GlobalUnlock(block);
        EXPECT_EQ(0, MarkBlockDirty(block));
    }
    ReleaseBlock(block);
}

constexpr Kind kConnectorKinds[] = {{ConnectorSquare, "Square"}, {ConnectorCurved, "Curved"}};

// Connectors refuse to turn; they flip.
constexpr Variant kConnectorVariants[] = {
    {"Plain", 0, 0, false},
    {"FlippedH", 0, OptMirrorH, false},
    {"FlippedV", 0, OptMirrorV, false},
};

constexpr int kConnectorUnanswered[] = {0,  7,  8,  9,  12, 17, 21, 26, 28, 30, 33, 39, 40, 50, 52, 53, 56, 60,
                                        66, 68, 69, 70, 71, 76, 79, 80, 81, 83, 84, 86, 87, 88, 1000, -1};

int MakeConnector(ClassContract& t, int type, RECT frame)
{
    return t.AddAt(ClassConnector, frame, type, HandleLeftTop);
}

// Pasted connectors take a copy of the source's path record into a record of their own.
int CopyConnector(ClassContract& t, int source)
{
    const DrawObject s = t.Object(source);
    const int row = t.AddAt(ClassConnector, s.frame, s.objType, HandleLeftTop);
    CopyDataRecord(t, s, t.Object(row));
    Locked<Drawing> d = t.LockDrawing();
    Locked<ObjectList> objects(d->objectList);
    (*objects)[row].innerRect = s.innerRect;
    SendClassMessage(nullptr, d.get(), objects.get(), row, OM_RECALC);
    return row;
}

// The two ends under the number of their end, then the middles of the inner segments.
void ConnectorHandles(Drawing* drawing, const DrawObject& object, std::vector<Handle>* out)
{
    HGLOBAL block = nullptr;
    if (LoadConnectorPath(drawing->header.slot, &object, &block) != 0) return;
    const ConnectorSegmentBlock path = ReadConnectorPath(block);
    ReleaseBlock(block);
    POINT points[5];
    RECT rects[5];
    int count = 0;
    GetConnectorHandlePoints(&path, POINT{object.innerRect.left, object.innerRect.top}, points, rects, &count);
    for (int i = 0; i < count; ++i)
        out->push_back(Handle{i == 0 ? 1 : i == count - 1 ? 2 : 0, rects[i]});
}

// An end is dragged as the view drags it: message 6 with the rect from the end that stays to the
// dragged end, and the corner code of the end that stays. Ends are followed by place, since a
// re-route may reverse the path.
int DragConnectorEndAt(ClassContract& t, POINT moving, POINT fixed, int row)
{
    RECT r = {std::min(moving.x, fixed.x), std::min(moving.y, fixed.y), std::max(moving.x, fixed.x),
              std::max(moving.y, fixed.y)};
    return t.Send(row, OM_DRAGHANDLE, HandleCodeAtPoint(&r, fixed.x, fixed.y), 0, &r);
}

int DragConnectorEnd(ClassContract& t, int row, int end, POINT delta)
{
    POINT moving = {}, fixed = {};
    t.Send(row, OM_GETPOINTPOS, end, 0, &moving);
    t.Send(row, OM_GETPOINTPOS, end == 1 ? 2 : 1, 0, &fixed);
    const POINT moved = {moving.x + delta.x, moving.y + delta.y};
    if (int err = DragConnectorEndAt(t, moved, fixed, row)) return err;
    return DragConnectorEndAt(t, moving, fixed, row);
}

constexpr ContractClass kConnectorClass = {"Connector",      kConnectorKinds,    MakeConnector, CopyConnector,
                                           ConnectorHandles, kConnectorUnanswered, DragConnectorEnd, 0,
                                           kConnectorVariants, false};

// ---- The line-array class.

constexpr Kind kArrayKinds[] = {{LineHorizontal, "Horizontal"}, {LineVertical, "Vertical"}};

// Arrays refuse to turn; they flip.
constexpr Variant kArrayVariants[] = {
    {"Plain", 0, 0, false},
    {"FlippedH", 0, OptMirrorH, false},
    {"FlippedV", 0, OptMirrorV, false},
};

// Arrays carry no text and answer no shape or connector message.
constexpr int kArrayUnanswered[] = {0,  7,  8,  9,  12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 28, 30,
                                    33, 39, 40, 49, 50, 52, 53, 54, 57, 60, 61, 66, 68, 69, 70, 71, 72, 73,
                                    74, 75, 76, 77, 82, 84, 85, 87, 88, 1000, -1};

int MakeArray(ClassContract& t, int type, RECT frame)
{
    return t.AddAt(ClassArray, frame, type, HandleRightBottom);
}

// An array owns its record: a copy takes the source's record into a record of its own.
int CopyArray(ClassContract& t, int source)
{
    const DrawObject s = t.Object(source);
    const int row = t.AddAt(ClassArray, s.frame, s.objType, HandleRightBottom);
    CopyDataRecord(t, s, t.Object(row));
    return row;
}

// An array's handles set its lengths and gap from the frame the view tracks, which the array's
// own tests check; here they are only measured.
void ArrayHandles(Drawing* drawing, const DrawObject& object, std::vector<Handle>* out)
{
    RECT rects[6];
    int codes[6], count = 0;
    ArrayHandleRects(drawing, &object, rects, codes, &count);
    for (int i = 0; i < count && i < 6; ++i) out->push_back(Handle{0, rects[i]});
}

int NoDrag(ClassContract&, int, int, POINT)
{
    return 0;
}

constexpr ContractClass kArrayClass = {"Array", kArrayKinds,    MakeArray, CopyArray,      ArrayHandles, kArrayUnanswered,
                                       NoDrag,  0,              kArrayVariants, false};

// Every object class of the program.
constexpr const ContractClass* kClasses[] = {&kShapeClass, &kLineClass, &kConnectorClass, &kArrayClass};

std::vector<ContractCase> AllCases()
{
    std::vector<ContractCase> cases;
    for (const ContractClass* cls : kClasses)
        for (const Kind& kind : cls->kinds)
            for (const Variant& variant : cls->variants) cases.push_back(ContractCase{cls, kind, variant});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Classes, ClassContract, testing::ValuesIn(AllCases()),
                         [](const testing::TestParamInfo<ContractCase>& info) {
                             return std::string(info.param.cls->name) + "_" + info.param.kind.name + "_" +
                                    info.param.variant.name;
                         });

}  // namespace
