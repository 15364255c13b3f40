// Drawings of older versions: the stored state and every record of the working copy widened
// in place from the 16-bit layouts of older_layouts.h to the current ones.
//
// Invariants of the conversion:
//  1. Nothing changes before the whole store has passed CheckStore and every old record it
//     will read has been checked: counts not negative, head + count x entry inside the
//     record, object classes 0-3 (else 1003); too many objects or links give 10010 / 10011.
//  2. A record is resized before it changes; its entries are widened from the last to the
//     first, each read whole before its wider form is written. A widened entry never starts
//     before its old form, so it only overwrites bytes already read.
//  3. Every byte of a widened record is written (a grown store block is not zeroed), and
//     every changed record is marked dirty so that the next save writes it.
#include "documents/older_versions.h"

#include <algorithm>
#include <cstring>

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "documents/options.h"
#include "lines/connector_record.h"
#include "model/drawing.h"
#include "shapes/picture_chunks.h"
#include "store/block_store.h"
#include "store/results.h"
#include "text/font_list.h"
#include "text/text_records.h"

namespace {

constexpr int kDamaged = 1003;
constexpr int kCurrentVersion = 4;
// Block offsets of the picture fields the oldest drawings left undefined: flags, colour count
// and the three values after them.
constexpr LONG kPictureFieldsStart = offsetof(PictureChunk, flags);
constexpr LONG kPictureFieldsEnd = offsetof(PictureChunk, zero) + 12;
static_assert(kPictureFieldsStart == 94 && kPictureFieldsEnd == 110);

LONG PayloadSize(HGLOBAL block)
{
    LONG size = GetBlockSize(block);
    return size > kBlockHeaderSize ? size - kBlockHeaderSize : 0;
}

INT16 CountAt(const BYTE* payload) { return *reinterpret_cast<const INT16*>(payload); }

// 0 when the record of `size` bytes holds an i16 count and `head` + count x `entry` bytes.
int CheckCounted(const BYTE* payload, LONG size, LONG head, LONG entry)
{
    if (size < static_cast<LONG>(sizeof(INT16))) return kDamaged;
    const INT16 count = CountAt(payload);
    return count >= 0 && head + entry * count <= size ? 0 : kDamaged;
}

// Widens `count` entries from `oldHead` to `newHead`, last to first (invariant 2).
template <typename Old, typename New, typename Convert>
void WidenEntries(BYTE* payload, LONG oldHead, LONG newHead, int count, Convert convert)
{
    static_assert(sizeof(New) >= sizeof(Old));
    for (int i = count - 1; i >= 0; --i) {
        Old from;
        std::memcpy(&from, payload + oldHead + static_cast<LONG>(sizeof(Old)) * i, sizeof from);
        New to{};
        convert(from, to);
        std::memcpy(payload + newHead + static_cast<LONG>(sizeof(New)) * i, &to, sizeof to);
    }
}

template <size_t N>
void WidenValues(INT32* to, const INT16 (&from)[N])
{
    for (size_t i = 0; i < N; ++i) to[i] = from[i];
}

// One kind of old record: its check, its widened block size and its widening, which reads the
// old payload of `oldSize` bytes and writes the new payload of `newSize` bytes in place.
struct Widening {
    int (*check)(const BYTE* payload, LONG size);
    LONG (*blockSize)(const BYTE* payload, LONG size);
    void (*widen)(BYTE* payload, LONG oldSize, LONG newSize);
};

// An `optional` record that cannot be loaded is passed over.
int CheckRecord(int slot, int type, int id, const Widening& kind, bool optional = false)
{
    HGLOBAL block = nullptr;
    if (int err = LoadRecord(slot, type, id, &block)) return optional ? 0 : err;
    int err;
    {
        Locked<BYTE> bytes(block);
        err = bytes ? kind.check(bytes.get() + kBlockHeaderSize, PayloadSize(block)) : ErrOutOfMemory;
    }
    ReleaseBlock(block);
    return err;
}

int WidenRecord(int slot, int type, int id, const Widening& kind, bool optional = false)
{
    HGLOBAL block = nullptr;
    if (int err = LoadRecord(slot, type, id, &block)) return optional ? 0 : err;
    const LONG oldSize = PayloadSize(block);
    LONG newBlockSize = 0;
    {
        Locked<BYTE> bytes(block);
        if (!bytes) {
            ReleaseBlock(block);
            return ErrOutOfMemory;
        }
        newBlockSize = kind.blockSize(bytes.get() + kBlockHeaderSize, oldSize);
    }
    int err = GetBlockSize(block) == newBlockSize ? 0 : ResizeRecord(&block, static_cast<DWORD>(newBlockSize));
    if (!err) {
        Locked<BYTE> bytes(block);
        if (bytes)
            kind.widen(bytes.get() + kBlockHeaderSize, oldSize, newBlockSize - kBlockHeaderSize);
        else
            err = ErrOutOfMemory;
    }
    if (!err) err = MarkBlockDirty(block);
    ReleaseBlock(block);
    return err;
}

// Calls `f` with the id of every record of `type`; an id that cannot be fetched is passed over,
// and a store without the type has none.
template <typename F>
int ForEachRecord(int slot, int type, F f)
{
    int count = 0;
    if (int err = CountRecords(slot, type, &count)) return err == StoreKeyMissing ? 0 : err;
    for (int i = 0; i < count; ++i) {
        int id = 0;
        if (GetRecordIdAt(slot, type, i, &id)) continue;
        if (int err = f(id)) return err;
    }
    return 0;
}

// ---- The document state ----------------------------------------------------------------------

void WidenDocumentState(DocumentState* state)
{
    OldDocumentState old;
    std::memcpy(&old, state, sizeof old);
    std::memset(state, 0, sizeof *state);
    state->version = kCurrentVersion;   // with the zero after it, a 32-bit 4
    state->scrollX = old.scrollX;
    state->scrollY = old.scrollY;
    state->zoom = old.zoom;
    state->zoomFlags = old.zoomFlags;
    state->flags = old.flags;
    state->undoLabel = 0;
    state->areaWidth = old.areaWidth;
    state->areaHeight = old.areaHeight;
    state->pageWidth = old.pageWidth;
    state->pageHeight = old.pageHeight;
    state->printableWidth = old.printableWidth;
    state->printableHeight = old.printableHeight;
    WidenRect16(&state->margins, &old.margins);
    WidenRect16(&state->printerMargins, &old.printerMargins);
    state->footerSpace = old.footerSpace;
    // The old name field is longer than the current one and need not be terminated.
    CopyOldString(state->deviceName, sizeof state->deviceName, old.deviceName, sizeof old.deviceName);
    state->savedBackground = old.savedBackground;
}

// The converted state also goes into its record, so that the store is current throughout.
int StoreDocumentState(int slot, const DocumentState* state)
{
    HGLOBAL record = nullptr;
    if (int err = LoadRecord(slot, RecDocument, RecDocumentStateId, &record)) return err;
    int err = GetBlockSize(record) == kDocumentStateRecordSize ? 0 : ResizeRecord(&record, kDocumentStateRecordSize);
    if (!err) {
        Locked<BYTE> image(record);
        if (image)
            std::memcpy(image.get() + kBlockHeaderSize, state, sizeof *state);
        else
            err = ErrOutOfMemory;
    }
    if (!err) err = MarkBlockDirty(record);
    ReleaseBlock(record);
    return err;
}

// ---- Document records ------------------------------------------------------------------------

// The font-slot map (100/103) and the z-order (111/0): an i16 count and i16 values.
const Widening kShortTable = {
    [](const BYTE* p, LONG size) { return CheckCounted(p, size, sizeof(INT16), sizeof(INT16)); },
    [](const BYTE* p, LONG) { return static_cast<LONG>(CountAt(p)) * 4 + 20; },
    [](BYTE* p, LONG, LONG) {
        const int count = CountAt(p);
        WidenEntries<INT16, INT32>(p, 2, 4, count, [](INT16 from, INT32& to) { to = from; });
        *reinterpret_cast<INT32*>(p) = count;
    },
};

const Widening kFontList = {
    [](const BYTE* p, LONG size) {
        return CheckCounted(p, size, sizeof(OldFontListHead), sizeof(OldFontListEntry));
    },
    [](const BYTE* p, LONG) { return static_cast<LONG>(CountAt(p)) * 76 + 24; },
    [](BYTE* p, LONG, LONG) {
        OldFontListHead head;
        std::memcpy(&head, p, sizeof head);
        // Only the character set and the face are carried: the loader finds each slot's face
        // again in the printer's list by these two.
        WidenEntries<OldFontListEntry, FontListEntry>(
            p, sizeof head, sizeof(FontListHead), head.count, [](const OldFontListEntry& from, FontListEntry& to) {
                to.logFont.lfCharSet = from.logFont.charSet;
                CopyOldString(to.logFont.lfFaceName, sizeof to.logFont.lfFaceName, from.logFont.faceName,
                            sizeof from.logFont.faceName);
                to.heightAtSize1 = from.heightAtSize1;
                to.averageWidth = from.averageWidth;
                to.kind = from.kind;
                to.cacheIndex = from.cacheIndex;
            });
        FontListHead wide = {head.count, head.defaultIndex};
        std::memcpy(p, &wide, sizeof wide);
    },
};

// The old count may claim more colours than the current record's 256 or than the old record
// holds: it is cut to both.
int ColorCount(const BYTE* p, LONG size)
{
    const LONG held = (size - static_cast<LONG>(sizeof(INT16))) / static_cast<LONG>(sizeof(DWORD));
    return static_cast<int>(std::min<LONG>({CountAt(p), held, kColorListCapacity}));
}

const Widening kColorList = {
    [](const BYTE* p, LONG size) { return size >= 2 && CountAt(p) >= 0 ? 0 : kDamaged; },
    [](const BYTE*, LONG) { return static_cast<LONG>(kColorListRecordSize); },
    [](BYTE* p, LONG oldSize, LONG newSize) {
        const int count = ColorCount(p, oldSize);
        std::memmove(p + 4, p + 2, sizeof(DWORD) * count);
        std::memset(p + 4 + sizeof(DWORD) * count, 0, newSize - 4 - sizeof(DWORD) * count);
        *reinterpret_cast<INT32*>(p) = count;
    },
};

const Widening kDrawing = {
    [](const BYTE*, LONG size) {
        return size >= static_cast<LONG>(sizeof(OldDrawing)) - kBlockHeaderSize ? 0 : kDamaged;
    },
    [](const BYTE*, LONG) { return static_cast<LONG>(sizeof(Drawing)); },
    [](BYTE* p, LONG, LONG) {
        // Offsets of both layouts count from the block's start; the header stays as it is.
        OldDrawing old;
        std::memcpy(reinterpret_cast<BYTE*>(&old) + kBlockHeaderSize, p, sizeof old - kBlockHeaderSize);
        Drawing d{};
        d.pageWidth = old.pageWidth;
        d.pageHeight = old.pageHeight;
        d.drawingFlags = old.drawingFlags;
        d.selectedCount = old.selectedCount;
        d.currentRow = old.currentRow;
        d.openedWithObjects = old.openedWithObjects;
        d.lastId = old.lastId;
        d.duplicateDx = old.duplicateDx;
        d.duplicateDy = old.duplicateDy;
        ExpandStyleRecord(&d.style, &old.style);
        WidenValues(&d.defaults.defaultBorderWidth, old.defaults);
        CopyOldString(d.defaults.defaultFace, sizeof d.defaults.defaultFace, old.defaultFace, sizeof old.defaultFace);
        d.defaultFillPattern = old.defaultFillPattern;
        d.pendingMessage = old.pendingMessage;
        d.toolSlot = old.toolSlot;
        d.defaultArrowSize = 1;
        // Older drawings had no ruler settings of their own: they take inches at 100 %.
        const INT32 divisions = g_settings ? g_settings->ruler.divisions : 12;
        d.rulerSettings = RulerSettings{1, 1, 100.0, divisions, 1.0, 1};
        std::memcpy(p, reinterpret_cast<BYTE*>(&d) + kBlockHeaderSize, sizeof d - kBlockHeaderSize);
    },
};

void WidenHook(HookEntry& to, const OldHookEntry& from)
{
    to = {from.targetId, from.targetRow, from.attachX, from.attachY, from.holderCode};
}

void WidenObject(const OldDrawObject& from, DrawObject& to)
{
    to.objClass = from.objClass;
    WidenRect16(&to.updateRect, &from.updateRect);
    WidenRect16(&to.frame, &from.frame);
    WidenRect16(&to.innerRect, &from.innerRect);
    WidenRect16(&to.textRect, &from.textRect);
    to.axisCoord = from.axisCoord;
    static_assert(sizeof from.params == sizeof to.param + sizeof to.classData);
    std::memcpy(&to.param, from.params, sizeof from.params);
    WidenRect16(&to.textInset, &from.textInset);
    WidenRect16(&to.textMargins, &from.textMargins);
    WidenValues(&to.textId, from.values);
    if (to.objClass == ClassLine || to.objClass == ClassConnector) to.classFlags |= ClassFlagLabelByAlignment;
    to.fillColor = static_cast<COLORREF>(from.fillColor);
    to.lineColor = static_cast<COLORREF>(from.lineColor);
    WidenValues(&to.dataType, from.data);
    to.state = from.ids[0];
    to.options = from.ids[1];
    to.objId = from.ids[2];
    to.hookMask = from.ids[3];
    to.acceptMask = from.ids[4];
    to.hookCapacity = from.hookCapacity;
    to.hookCount = from.hookCount;
    WidenHook(to.hooks[0], from.hooks[0]);
    WidenHook(to.hooks[1], from.hooks[1]);
    to.lastHookPoint = {from.lastHookPoint[0], from.lastHookPoint[1]};
    to.arrowEnds = from.arrowEnds;
    to.arrowSize = 1;
    to.labelId = from.labelId;
    to.labelRow = from.labelRow;
    to.lineShape = from.lineShape;
    to.groupId = 0;
    to.groupRow = -1;
    // Bit 1 of the old ends marks the start and bit 0 the finish.
    to.arrowStart = (from.arrowEnds & 0x2) ? 1 : 0;
    to.arrowEnd = (from.arrowEnds & 0x1) ? 1 : 0;
    to.groupFrame = to.frame;
    to.groupAngle = 0;
    to.savedState = 0;
}

const Widening kObjectList = {
    [](const BYTE* p, LONG size) {
        if (size >= 2 && CountAt(p) > kMaxObjects) return static_cast<int>(ErrTooManyObjects);
        if (int err = CheckCounted(p, size, sizeof(INT16), sizeof(OldDrawObject))) return err;
        for (int i = 0; i < CountAt(p); ++i) {
            INT16 objClass;
            std::memcpy(&objClass, p + sizeof(INT16) + sizeof(OldDrawObject) * i, sizeof objClass);
            if (objClass < 0 || objClass >= ClassCount) return kDamaged;
        }
        return 0;
    },
    [](const BYTE* p, LONG) { return static_cast<LONG>(CountAt(p) + 1) * 356 + 20; },
    [](BYTE* p, LONG, LONG newSize) {
        const int count = CountAt(p);
        WidenEntries<OldDrawObject, DrawObject>(p, 2, 4, count, WidenObject);
        const LONG end = 4 + static_cast<LONG>(sizeof(DrawObject)) * count;
        std::memset(p + end, 0, newSize - end);   // the spare row
        *reinterpret_cast<INT32*>(p) = count;
    },
};

const Widening kLinks = {
    [](const BYTE* p, LONG size) {
        if (size >= 2 && CountAt(p) > kMaxLinks) return static_cast<int>(ErrTooManyLinks);
        return CheckCounted(p, size, sizeof(INT16), sizeof(OldLinkEntry));
    },
    [](const BYTE* p, LONG) { return static_cast<LONG>(CountAt(p)) * 20 + 20; },
    [](BYTE* p, LONG, LONG) {
        const int count = CountAt(p);
        WidenEntries<OldLinkEntry, LinkEntry>(p, 2, 4, count, [](const OldLinkEntry& from, LinkEntry& to) {
            to = {from.targetId, from.targetRow, from.holderId, from.holderRow, from.flags};
        });
        *reinterpret_cast<INT32*>(p) = count;
    },
};

// ---- Text and connector records --------------------------------------------------------------

// The parts of a TextBlock in both layouts: counts from the old header's first five values.
struct TextParts {
    LONG lines, runs, formats, segments, text;

    explicit TextParts(const BYTE* p)
    {
        const INT16* c = reinterpret_cast<const INT16*>(p);
        runs = c[0];
        lines = c[1];
        text = c[2];
        formats = c[3];
        segments = c[4];
    }
    bool Sound() const { return lines >= 0 && runs >= 0 && formats >= 0 && segments >= 0 && text >= 0; }
    // Payload bytes up to the end of the text, with header, line, run, format and segment sizes.
    LONG Size(LONG header, LONG line, LONG run, LONG format, LONG segment) const
    {
        return header + line * lines + run * runs + format * formats + segment * segments + text;
    }
    LONG OldSize() const { return Size(50, 30, 38, 22, 12); }
    LONG NewSize() const { return Size(88, 60, 68, 44, 24); }
};

void WidenTextHeader(BYTE* p)
{
    OldTextHeader old;
    std::memcpy(&old, p, sizeof old);
    TextBlock h{};
    WidenValues(&h.runCount, old.counts);
    RECT margins;
    WidenRect16(&margins, &old.margins);
    h.marginLeft = margins.left;
    h.marginTop = margins.top;
    h.marginRight = margins.right;
    h.marginBottom = margins.bottom;
    h.layoutWidth = old.layoutWidth;
    h.widestWord = old.widestWord;
    h.zoom = old.zoom;
    h.labelLink = old.labelLink;
    h.ownerRow = old.ownerRow;
    h.effect = {old.effectDx, old.effectDy, old.effectKind, static_cast<COLORREF>(old.effectColor),
                static_cast<COLORREF>(old.effectColor2)};
    std::memcpy(p, &h, sizeof h);
}

void WidenTextRun(const OldTextRun& from, TextRun& to)
{
    to.face = from.face;
    to.size = from.size;
    to.style = from.style;
    to.color = static_cast<COLORREF>(from.color);
    to.script = from.script;
    to.attribute = from.attribute;
    to.paragraphFormat = from.paragraphFormat;
    to.runFlags = from.runFlags;
    to.nominalSize = from.size;
    WidenValues(&to.escapement, from.metrics);
    to.font = 0;
}

const Widening kTextBlock = {
    [](const BYTE* p, LONG size) {
        if (size < static_cast<LONG>(sizeof(OldTextHeader))) return kDamaged;
        const TextParts parts(p);
        return parts.Sound() && parts.OldSize() <= size ? 0 : kDamaged;
    },
    [](const BYTE* p, LONG size) { return std::max(size, TextParts(p).NewSize()) + kBlockHeaderSize; },
    [](BYTE* p, LONG, LONG newSize) {
        const TextParts n(p);
        const LONG oldLines = 50, oldRuns = oldLines + 30 * n.lines, oldFormats = oldRuns + 38 * n.runs,
                   oldSegments = oldFormats + 22 * n.formats, oldText = oldSegments + 12 * n.segments;
        const LONG newLines = 88, newRuns = newLines + 60 * n.lines, newFormats = newRuns + 68 * n.runs,
                   newSegments = newFormats + 44 * n.formats, newText = newSegments + 24 * n.segments;
        // The text first, then the parts from the last to the first (invariant 2).
        std::memmove(p + newText, p + oldText, n.text);
        std::memset(p + newText + n.text, 0, newSize - newText - n.text);
        WidenEntries<OldTextSegment, TextSegment>(p, oldSegments, newSegments, n.segments,
                                                  [](const OldTextSegment& from, TextSegment& to) {
                                                      WidenValues(&to.drawnChars, from.values);
                                                  });
        WidenEntries<OldParagraphFormat, ParagraphFormat>(p, oldFormats, newFormats, n.formats,
                                                          [](const OldParagraphFormat& from, ParagraphFormat& to) {
                                                              WidenValues(&to.alignment, from.values);
                                                          });
        WidenEntries<OldTextRun, TextRun>(p, oldRuns, newRuns, n.runs, WidenTextRun);
        WidenEntries<OldTextLine, TextLine>(p, oldLines, newLines, n.lines,
                                            [](const OldTextLine& from, TextLine& to) {
                                                WidenValues(&to.ascent, from.values);
                                                to.flags = from.flags;
                                                to.firstSegment = from.firstSegment;
                                                to.segmentCount = from.segmentCount;
                                            });
        WidenTextHeader(p);
    },
};

const Widening kConnector = {
    [](const BYTE*, LONG size) { return size >= static_cast<LONG>(sizeof(OldConnectorPath)) ? 0 : kDamaged; },
    [](const BYTE*, LONG) { return static_cast<LONG>(sizeof(ConnectorSegmentBlock)); },
    [](BYTE* p, LONG, LONG) {
        OldConnectorPath old;
        std::memcpy(&old, p, sizeof old);
        ConnectorSegmentBlock path{};
        WidenValues(&path.startSide, old.sides);
        for (int i = 0; i < kConnectorMaxSegments; ++i) {
            RECT r;
            WidenRect16(&r, &old.segments[i]);
            path.segments[i] = {r.left, r.top, r.right, r.bottom};
        }
        WidenValues(path.preferred, old.preferred);
        std::memcpy(p, path.header + kBlockHeaderSize, sizeof path - kBlockHeaderSize);
    },
};

// A picture chunk must reach past the fields the oldest drawings left undefined.
int CheckPictureChunk(const BYTE*, LONG size)
{
    return size + kBlockHeaderSize >= kPictureFieldsEnd ? 0 : kDamaged;
}

struct RecordKey {
    int type, id;
    const Widening* kind;
    bool optional;
};

// The fixed records in the order they are converted; older drawings may lack the colour list.
const RecordKey kFixedRecords[] = {
    {RecDocument, RecFontMapId, &kShortTable, false},    {RecDocument, RecFontListId, &kFontList, false},
    {RecDocument, RecColorListId, &kColorList, true}, {RecDocument, RecDrawingId, &kDrawing, false},
    {RecObjectList, 0, &kObjectList, false},          {RecZOrderList, 0, &kShortTable, false},
    {RecLinkIndex, 0, &kLinks, false},
};

// Invariant 1: the whole old store is checked before anything is widened.
int CheckOldStore(int slot, int version)
{
    int err = CheckStore(slot);
    if (err == StoreMemoryOnly) err = 0;   // an image in memory has no file to check
    if (err) return err == ErrOutOfMemory ? err : kDamaged;
    for (const RecordKey& key : kFixedRecords)
        if (int e = CheckRecord(slot, key.type, key.id, *key.kind, key.optional)) return e;
    if (int e = ForEachRecord(slot, RecTextBlock, [&](int id) { return CheckRecord(slot, RecTextBlock, id, kTextBlock); }))
        return e;
    if (int e = ForEachRecord(slot, RecConnectorSegments,
                              [&](int id) { return CheckRecord(slot, RecConnectorSegments, id, kConnector); }))
        return e;
    if (version == 0) {
        const Widening picture = {CheckPictureChunk, nullptr, nullptr};
        for (int type : {RecMetafileChunks, RecBitmapChunks})
            if (int e = ForEachRecord(slot, type, [&](int id) { return CheckRecord(slot, type, id, picture); })) return e;
    }
    return 0;
}

int AddEmptyGroupTable(int slot)
{
    for (int type : {RecOutlinePoints, RecLineArrayData, RecGroupTable}) AddRecordType(slot, type);
    HGLOBAL block = nullptr;
    if (int err = AddRecord(slot, RecGroupTable, 0, GroupTable::SizeFor(0), &block)) return err;
    int err = 0;
    {
        Locked<GroupTable> table(block);
        if (table)
            table->count = 0;
        else
            err = ErrOutOfMemory;
    }
    if (!err) err = MarkBlockDirty(block);
    ReleaseBlock(block);
    return err;
}

int ClearPictureFields(int slot, int type, int id)
{
    HGLOBAL block = nullptr;
    if (int err = LoadRecord(slot, type, id, &block)) return err;
    int err = GetBlockSize(block) >= kPictureFieldsEnd ? 0 : kDamaged;
    if (!err) {
        Locked<BYTE> bytes(block);
        if (bytes)
            std::memset(bytes.get() + kPictureFieldsStart, 0, kPictureFieldsEnd - kPictureFieldsStart);
        else
            err = ErrOutOfMemory;
    }
    if (!err) err = MarkBlockDirty(block);
    ReleaseBlock(block);
    return err;
}

}  // namespace

void WidenRect16(RECT* wide, const OldRect16* narrow)
{
    *wide = {narrow->left, narrow->top, narrow->right, narrow->bottom};
}

int ResetConvertedPictures(DocumentState*, int storeSlot)
{
    for (int type : {RecMetafileChunks, RecBitmapChunks})
        if (int err = ForEachRecord(storeSlot, type, [&](int id) { return ClearPictureFields(storeSlot, type, id); }))
            return err;
    return 0;
}

int ConvertOldDocument(DocumentState* state, int storeSlot)
{
    const int version = state->version;
    if (version > kCurrentVersion) return ErrLaterVersion;
    if (version < 0) return kDamaged;
    if (version == kCurrentVersion) return 0;
    if (int err = CheckOldStore(storeSlot, version)) return err;

    WidenDocumentState(state);
    for (const RecordKey& key : kFixedRecords)
        if (int err = WidenRecord(storeSlot, key.type, key.id, *key.kind, key.optional)) return err;
    if (int err = AddEmptyGroupTable(storeSlot)) return err;
    if (int err = ForEachRecord(storeSlot, RecTextBlock,
                                [&](int id) { return WidenRecord(storeSlot, RecTextBlock, id, kTextBlock); }))
        return err;
    if (int err = ForEachRecord(storeSlot, RecConnectorSegments,
                                [&](int id) { return WidenRecord(storeSlot, RecConnectorSegments, id, kConnector); }))
        return err;
    if (version == 0)
        if (int err = ResetConvertedPictures(state, storeSlot)) return err;
    state->version = kCurrentVersion;
    return StoreDocumentState(storeSlot, state);
}
