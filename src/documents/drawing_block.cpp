// The drawing block of a drawing file: its header, ruler, link table, groups and objects, the
// default attributes they are coded against, and the settling of a drawing after reading.
//
// Invariants of a read:
//  1. The tables hold what the header announces and never more: the ObjectList and ZOrderList
//     room for its object count (at most 16,000), the LinkIndex for its link count (at most
//     6,000), the group table for its group count; surplus object blocks, group records and link
//     entries are dropped.
//  2. Object row i is the object at paint position i and has id i + 1.
//  3. The tables are unlocked and released on every path out.
//  4. A block whose framing breaks ends early, keeping what was read, and is settled like a
//     whole one. What the tables do not hold of what the file announces or holds (objects,
//     links, groups) goes into g_readDamage, for the opening to tell.
#include "documents/drawing_block.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "documents/document_state.h"
#include "documents/object_records.h"
#include "documents/options.h"
#include "documents/record_stream.h"
#include "documents/text_stream.h"
#include "model/class_protocol.h"
#include "model/drawing.h"
#include "model/groups.h"
#include "model/links.h"
#include "store/block_store.h"
#include "store/results.h"
#include "text/font_list.h"
#include "text/object_text.h"


namespace {

// The writer's id map: map[id] is the paint position the id is written as.
std::vector<WORD> g_writtenIds;

constexpr int kFileResolution = kFileUnitsPerInch;

// True when the record last read reaches past the end of `field` (offset + size).
inline bool Holds(DWORD end) { return RecordLength() >= end; }
#define RECORD_HAS(Type, field) Holds(offsetof(Type, field) + sizeof(Type::field))

INT32 Rescale(INT32 value) { return ScaleFromFileUnits(value, g_fileResolution); }

// A width that rescales to 0 from a non-zero value stays visible.
INT32 RescaleWidth(INT32 value)
{
    INT32 scaled = Rescale(value);
    return value != 0 && scaled == 0 ? 1 : scaled;
}

// Copies a string of a fixed field, at most size - 1 characters, always terminated.
void CopyBounded(char* destination, const char* source, size_t size)
{
    size_t n = 0;
    while (n + 1 < size && source[n]) ++n;
    std::memcpy(destination, source, n);
    destination[n] = 0;
}

void ResetRuler(RulerSettings* ruler)
{
    ruler->rulersShown = 1;
    ruler->screenUnit = 1;
    ruler->scaleBase = 100.0;
    ruler->divisions = g_settings ? g_settings->ruler.divisions : 12;
    ruler->shownValue = 1.0;
    ruler->unit = 1;
}

bool ValidDivisions(int divisions)
{
    return divisions == 8 || divisions == 10 || divisions == 12 || divisions == 16;
}

void ReadRulerRecord(RulerSettings* ruler)
{
    RulerRecord r = {};
    std::memcpy(&r, RecordData(), std::min<DWORD>(RecordLength(), sizeof(r)));
    if (RECORD_HAS(RulerRecord, rulersShown)) ruler->rulersShown = r.rulersShown;
    if (RECORD_HAS(RulerRecord, screenUnit)) ruler->screenUnit = r.screenUnit;
    if (RECORD_HAS(RulerRecord, scaleBase)) ruler->scaleBase = r.scaleBase;
    if (RECORD_HAS(RulerRecord, divisions)) ruler->divisions = r.divisions;
    if (RECORD_HAS(RulerRecord, shownValue)) ruler->shownValue = r.shownValue;
    if (RECORD_HAS(RulerRecord, unit)) ruler->unit = r.unit;
    // A scale or division count the ruler cannot draw with takes the standard pair.
    if (!std::isfinite(ruler->scaleBase) || !(ruler->scaleBase > 0.0) || !ValidDivisions(ruler->divisions)) {
        ruler->scaleBase = 100.0;
        ruler->divisions = 12;
    }
}

INT32 ArrowheadDefault(INT16 value)
{
    WORD v = static_cast<WORD>(value);
    if ((v & 0xFF) > 23) v = static_cast<WORD>((v & 0xFF00) | 1);
    return static_cast<INT16>(v);
}

// Fills the Drawing from the 0x8020 record in the record buffer; fields a short record lacks
// keep the drawing's values.
void ReadHeaderFields(Drawing* d, const DrawingBlockHeader& h)
{
    using H = DrawingBlockHeader;
    if (RECORD_HAS(H, pageWidth)) d->pageWidth = Rescale(h.pageWidth);
    if (RECORD_HAS(H, pageHeight)) d->pageHeight = Rescale(h.pageHeight);
    if (RECORD_HAS(H, drawingFlags)) d->drawingFlags = h.drawingFlags;
    if (RECORD_HAS(H, currentRow)) d->currentRow = h.currentRow;
    if (RECORD_HAS(H, lastId)) d->lastId = h.lastId;
    if (RECORD_HAS(H, duplicateDx)) d->duplicateDx = Rescale(h.duplicateDx);
    if (RECORD_HAS(H, duplicateDy)) d->duplicateDy = Rescale(h.duplicateDy);
    COLORREF* colors[7] = {&d->style.borderColor, &d->style.lineColor, &d->style.fillColor, &d->style.textColor,
                           &d->style.shadowColor, &d->style.backgroundColor, &d->style.highlightColor};
    for (int i = 0; i < 7; ++i) {
        if (Holds(offsetof(H, colors) + 4 * (i + 1))) *colors[i] = h.colors[i];
    }
    if (RECORD_HAS(H, shadowDx)) d->style.shadowDx = Rescale(h.shadowDx);
    if (RECORD_HAS(H, shadowDy)) d->style.shadowDy = Rescale(h.shadowDy);
    if (RECORD_HAS(H, shadowStyle)) d->style.shadowStyle = h.shadowStyle;
    if (RECORD_HAS(H, shadowClassMask)) d->style.shadowClassMask = h.shadowClassMask;
    if (RECORD_HAS(H, styleName)) CopyBounded(d->style.name, h.styleName, sizeof(d->style.name));
    if (RECORD_HAS(H, defaultBorderWidth)) d->defaults.defaultBorderWidth = RescaleWidth(h.defaultBorderWidth);
    if (RECORD_HAS(H, defaultLineWidth)) d->defaults.defaultLineWidth = RescaleWidth(h.defaultLineWidth);
    if (RECORD_HAS(H, defaultTextSize)) d->defaults.defaultTextSize = h.defaultTextSize;
    if (RECORD_HAS(H, defaultTextStyle)) d->defaults.defaultTextStyle = h.defaultTextStyle;
    if (RECORD_HAS(H, defaultTextAlignH)) d->defaults.defaultTextAlignH = h.defaultTextAlignH;
    if (RECORD_HAS(H, defaultTextAlignV)) d->defaults.defaultTextAlignV = h.defaultTextAlignV;
    if (RECORD_HAS(H, defaultFace)) CopyBounded(d->defaults.defaultFace, h.defaultFace, sizeof(d->defaults.defaultFace));
    if (RECORD_HAS(H, defaultCharset)) d->defaults.defaultFontKey = h.defaultCharset;
    if (RECORD_HAS(H, defaultFillPattern)) d->defaultFillPattern = h.defaultFillPattern;
    if (RecordLength() < sizeof(H)) {
        // An older writer's header: no default arrowheads.
        d->defaultArrowStart = 0;
        d->defaultArrowEnd = 0;
        d->defaultArrowSize = 1;
        d->reserved236 = 0;
    } else {
        d->defaultArrowStart = ArrowheadDefault(h.defaultArrowStart);
        d->defaultArrowEnd = ArrowheadDefault(h.defaultArrowEnd);
        d->defaultArrowSize = h.defaultArrowSize >= 3 ? 2 : h.defaultArrowSize;
        d->reserved236 = h.arrowSetting;
    }
    d->selectedCount = 0;
}

// The four tables of a drawing, sized and locked for a read.
struct ReadTables {
    ObjectList* objects = nullptr;
    ZOrderList* order = nullptr;
    LinkIndex* links = nullptr;
    GroupTable* groups = nullptr;
};

int SizeTable(HGLOBAL* table, LONG size)
{
    return ResizeRecord(table, static_cast<DWORD>(size));
}

// What a read found of the drawing, beside what its tables hold, for the damage it reports.
struct ReadCounts {
    int objectBlocks = 0;    // object blocks met, kept or not
    int linksNamed = -1;     // entries the link table says it holds; -1 without a table
    int groupsDropped = 0;   // group records of a new id that found no room
};

// Reads the link table into the index: entries inserted in target-id order, those of one target
// each before the ones read earlier; at most `room` entries. `named` is the count the table
// gives (all of it when its entries cannot be read).
void ReadLinkTable(LinkIndex* index, int room, int* named)
{
    index->count = 0;
    *named = 0;
    if (RecordLength() < sizeof(LinkTableHead)) return;
    LinkTableHead head;
    std::memcpy(&head, RecordData(), sizeof(head));
    *named = head.count;
    if (head.entrySize < sizeof(LinkRecordEntry)) return;
    DWORD fit = (RecordLength() - sizeof(head)) / head.entrySize;
    int count = static_cast<int>(std::min<DWORD>(head.count, fit));
    if (count > room) count = room;
    std::vector<LinkEntry> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        LinkRecordEntry e;
        std::memcpy(&e, RecordData() + sizeof(head) + static_cast<DWORD>(i) * head.entrySize, sizeof(e));
        entries.push_back(LinkEntry{MapReadObjectId(e.targetId), e.targetRow, MapReadObjectId(e.holderId),
                                    e.holderRow, e.flags});
    }
    // Inserting each entry before the first of its target reverses the entries of one target.
    std::reverse(entries.begin(), entries.end());
    std::stable_sort(entries.begin(), entries.end(),
                     [](const LinkEntry& a, const LinkEntry& b) { return a.targetId < b.targetId; });
    std::copy(entries.begin(), entries.end(), index->Entries());
    index->count = count;
}

// Adds the group a 0x8021 record describes when the header's count leaves room, and makes it
// the reader's current group. A group split by paint order is written as one group record per
// run: a later run's record names an entry already read, which becomes current again, so that
// the group keeps all its members. False when a new group found no room.
bool ReadGroupRecord(GroupTable* table, int room)
{
    GroupRecord r = {};
    std::memcpy(&r, RecordData(), std::min<DWORD>(RecordLength(), sizeof(r)));
    for (int i = 0; r.groupId > 0 && i < table->count; ++i) {
        if ((*table)[i].groupId == r.groupId) {
            g_currentGroupId = r.groupId;
            g_currentGroupRow = i;
            return true;
        }
    }
    if (table->count >= room) return false;
    GroupEntry& g = (*table)[table->count];
    std::memset(&g, 0, sizeof(g));
    g.groupId = r.groupId;
    if (RecordLength() >= sizeof(r)) {
        g.angle = r.angle;
        g.frame = RECT{Rescale(r.frame[0]), Rescale(r.frame[1]), Rescale(r.frame[2]), Rescale(r.frame[3])};
        g.groupedFrame = RECT{Rescale(r.groupedFrame[0]), Rescale(r.groupedFrame[1]), Rescale(r.groupedFrame[2]),
                              Rescale(r.groupedFrame[3])};
        g.widthFactor = r.widthFactor;
        g.heightFactor = r.heightFactor;
        INT32 extra = r.extra;
        std::memcpy(g.reserved, &extra, 4);
    }
    // The members are recounted and the bounds recomputed when the links are propagated.
    g.flags = GroupBoundsStale;
    INT32 last = -1;
    std::memcpy(g.reserved + 4, &last, 4);
    g_currentGroupId = r.groupId;
    g_currentGroupRow = table->count;
    ++table->count;
    return true;
}

void DecodeDefaultFormats(WORD opcode)
{
    if (opcode == kOpCharFormats) {
        TextRun run = g_defaultCharFormat;
        DecodeCharFormatRuns(nullptr, &run, 1, 0);
        run.firstChar = 0;
        run.charCount = 0;
        g_defaultCharFormat = run;
    } else {
        DecodeParaFormats(nullptr, 0, &g_defaultParaFormat, nullptr);
    }
}

// One record of the block and what it opens. 1 at 0x4020.
int ReadBlockRecord(HFILE file, HWND view, DocumentState* state, Drawing* d, const ReadTables& t, int objectRoom,
                    int linkRoom, int groupRoom, ReadCounts* counts)
{
    WORD opcode = 0;
    DWORD length = 0;
    if (int err = ReadRecord(file, &opcode, &length)) return err;
    switch (opcode) {
    case BlockEndOpcode(kOpDrawingBlock):
        return 1;
    case kOpRuler:
        ReadRulerRecord(&d->rulerSettings);
        return 0;
    case kOpLinkTable:
        ReadLinkTable(t.links, linkRoom, &counts->linksNamed);
        return 0;
    case kOpCharFormats:
    case kOpParaFormats:
        DecodeDefaultFormats(opcode);
        return 0;
    case kOpGroup:
        if (!ReadGroupRecord(t.groups, groupRoom)) ++counts->groupsDropped;
        return 0;
    case BlockEndOpcode(kOpGroup):
        g_currentGroupId = 0;
        g_currentGroupRow = -1;
        return 0;
    case kOpObject:
        ++counts->objectBlocks;
        if (t.objects->count >= objectRoom) return SkipBlock(file, BlockEndOpcode(kOpObject));
        // The object takes the current group and its paint position's id.
        return ReadObjectBlock(file, view, state, d, t.objects, t.order, length);
    default:
        return (opcode & kRecordBlock) ? SkipBlock(file, BlockEndOpcode(opcode)) : 0;
    }
}

// Records of the block until 0x4020. Where the framing breaks the block ends, cut.
int ReadBlockRecords(HFILE file, HWND view, DocumentState* state, Drawing* d, const ReadTables& t, int objectRoom,
                     int linkRoom, int groupRoom, ReadCounts* counts)
{
    for (;;) {
        int result = ReadBlockRecord(file, view, state, d, t, objectRoom, linkRoom, groupRoom, counts);
        if (result == 1) return 0;
        if (result == ErrStreamShortRead) {
            g_readDamage.cut = TRUE;
            return 0;
        }
        if (result) return result;
    }
}

// Entries whose target and holder both name an object of the file (0xFFFF names none).
int LinksNamingObjects(LinkIndex* index)
{
    constexpr INT32 kNoObject = 0xFFFF;
    int n = 0;
    for (int i = 0; i < index->count; ++i) {
        const LinkEntry& e = (*index)[i];
        if (e.targetId != kNoObject && e.holderId != kNoObject) ++n;
    }
    return n;
}

// After the records: links re-indexed, text laid out or objects recalculated, label partners
// found, links propagated.
int SettleDrawing(Drawing* d, ObjectList* objects)
{
    if (objects->count <= d->currentRow || d->currentRow < -1) d->currentRow = -1;
    if (d->lastId < objects->count) d->lastId = objects->count;
    if (int err = RebuildLinkIndex(d)) return err;
    bool rescaled = static_cast<WORD>(g_fileResolution) != kFileResolution;
    for (int row = 0; row < objects->count; ++row) {
        DrawObject& object = (*objects)[row];
        if (object.textId >= 0) {
            if (int err = LayoutObjectText(d, &object, 0)) return err;
        } else if (rescaled) {
            SendClassMessage(nullptr, d, objects, row, OM_RECALC);
        }
        if (object.labelId != kNoLabel) {
            int partner = FindObjectById(objects, object.labelId, object.labelRow);
            object.labelRow = partner >= 0 && ((*objects)[partner].state & StateAttachedLabel) ? partner : -1;
        }
    }
    return PropagateLinks(d);
}

void ReleaseTable(HGLOBAL table, void* locked)
{
    if (!table) return;
    if (locked) GlobalUnlock(table);
    MarkBlockDirty(table);
    ReleaseBlock(table);
}

}  // namespace

WORD MapWrittenObjectId(WORD id)
{
    return id < g_writtenIds.size() ? g_writtenIds[id] : 0xFFFF;
}

void ApplyDefaultAttributes(Drawing* drawing, DocumentState* state)
{
    SetAttributeDefaults(drawing);

    HGLOBAL list = state ? state->fontList : nullptr;
    char face[LF_FACESIZE];
    CopyBounded(face, drawing->defaults.defaultFace, sizeof(face));
    int index = FindFontByFaceAndCharset(list, face, drawing->defaults.defaultFontKey);
    if (index < 0) index = FindFontByFace(list, face);
    if (index < 0) index = GetDefaultFontIndex(list);
    int slot = MapDocumentFont(state ? state->fontMap : nullptr, index);
    TextRun& run = g_defaultCharFormat;
    std::memset(&run, 0, sizeof(run));
    run.face = slot < 0 ? 0 : slot;
    run.size = drawing->defaults.defaultTextSize;
    run.nominalSize = drawing->defaults.defaultTextSize;
    run.style = drawing->defaults.defaultTextStyle;
    run.color = drawing->style.textColor;
    g_defaultParaFormat = StandardParagraphFormat();
}

int ReadDrawingBlock(HFILE file, HWND view, DocumentState* state, DWORD length)
{
    (void)length;   // the record buffer holds the header; RecordLength() tells how much
    HGLOBAL drawingBlock = state->drawing;
    Drawing* d = static_cast<Drawing*>(GlobalLock(drawingBlock));
    if (!d) return ErrOutOfMemory;
    DrawingBlockHeader h = {};
    std::memcpy(&h, RecordData(), std::min<DWORD>(RecordLength(), sizeof(h)));
    int objectCount = RECORD_HAS(DrawingBlockHeader, objectCount) ? h.objectCount : 0;
    int groupCount = RECORD_HAS(DrawingBlockHeader, groupCount) ? h.groupCount : 0;
    int linkCount = RECORD_HAS(DrawingBlockHeader, linkCount) ? h.linkCount : 0;
    ReadHeaderFields(d, h);
    ResetRuler(&d->rulerSettings);

    int result = 0;
    if (objectCount > kMaxObjects)
        result = ErrTooManyObjects;
    else if (linkCount > kMaxLinks)
        result = ErrTooManyLinks;
    if (!result) result = SizeTable(&d->objectList, ObjectList::SizeFor(objectCount + 1));
    if (!result) result = SizeTable(&d->zOrderList, ZOrderList::SizeFor(objectCount + 1));
    if (!result) result = SizeTable(&d->groupTable, GroupTable::SizeFor(groupCount));
    if (!result) result = SizeTable(&d->linkIndex, LinkIndex::SizeFor(linkCount));
    if (result) {
        GlobalUnlock(drawingBlock);
        MarkBlockDirty(drawingBlock);
        ReleaseBlock(drawingBlock);
        return result;
    }

    ReadTables t;
    t.objects = static_cast<ObjectList*>(GlobalLock(d->objectList));
    t.order = static_cast<ZOrderList*>(GlobalLock(d->zOrderList));
    t.links = static_cast<LinkIndex*>(GlobalLock(d->linkIndex));
    t.groups = static_cast<GroupTable*>(GlobalLock(d->groupTable));
    if (!t.objects || !t.order || !t.links || !t.groups) {
        result = ErrOutOfMemory;
    } else {
        t.objects->count = 0;
        t.order->count = 0;
        t.links->count = 0;
        t.groups->count = 0;
        ApplyDefaultAttributes(d, state);
        g_currentGroupId = 0;
        g_currentGroupRow = -1;
        ReadCounts counts;
        result = ReadBlockRecords(file, view, state, d, t, objectCount, linkCount, groupCount, &counts);
        g_currentGroupId = 0;
        g_currentGroupRow = -1;
        const int linksStored = t.links->count;
        const int linksLive = LinksNamingObjects(t.links);
        const int groupsSeen = t.groups->count + counts.groupsDropped;
        if (!result) result = SettleDrawing(d, t.objects);
        // Settling may have moved the tables: they are locked afresh to be counted.
        Locked<ObjectList> objects(d->objectList);
        Locked<LinkIndex> links(d->linkIndex);
        Locked<GroupTable> groups(d->groupTable);
        if (!result && (!objects || !links || !groups)) result = ErrOutOfMemory;
        if (!result) {
            // Links that named no object were dead when written; the others dropped here were
            // lost with their objects.
            ReadDamage& damage = g_readDamage;
            damage.objectsNamed = std::max(objectCount, counts.objectBlocks);
            damage.objectsLost = damage.objectsNamed - objects->count;
            // A symbol stream carries no link table: its header's count is a loss only when the
            // block was cut before a table could come.
            const int linksNamed = counts.linksNamed >= 0 ? std::max(linkCount, counts.linksNamed)
                                   : damage.cut            ? linkCount
                                                           : linksStored;
            damage.linksLost = linksNamed - linksStored + std::max(0, linksLive - links->count);
            damage.groupsLost = std::max(0, std::max(groupCount, groupsSeen) - groups->count);
        }
    }
    ReleaseTable(d->objectList, t.objects);
    ReleaseTable(d->zOrderList, t.order);
    ReleaseTable(d->groupTable, t.groups);
    ReleaseTable(d->linkIndex, t.links);
    GlobalUnlock(drawingBlock);
    MarkBlockDirty(drawingBlock);
    ReleaseBlock(drawingBlock);
    return result;
}

namespace {

DrawingBlockHeader BuildHeader(const Drawing* d, int objectCount, int groupCount, int linkCount)
{
    DrawingBlockHeader h = {};
    h.objectCount = static_cast<WORD>(objectCount);
    h.groupCount = static_cast<WORD>(groupCount);
    h.linkCount = static_cast<WORD>(linkCount);
    h.pageWidth = static_cast<INT16>(d->pageWidth);
    h.pageHeight = static_cast<INT16>(d->pageHeight);
    h.drawingFlags = static_cast<WORD>(d->drawingFlags);
    h.currentRow = static_cast<INT16>(d->currentRow);
    h.lastId = static_cast<WORD>(objectCount);
    h.duplicateDx = static_cast<INT16>(d->duplicateDx);
    h.duplicateDy = static_cast<INT16>(d->duplicateDy);
    const COLORREF colors[7] = {d->style.borderColor, d->style.lineColor, d->style.fillColor, d->style.textColor,
                                d->style.shadowColor, d->style.backgroundColor, d->style.highlightColor};
    std::memcpy(h.colors, colors, sizeof(h.colors));
    h.shadowDx = static_cast<INT16>(d->style.shadowDx);
    h.shadowDy = static_cast<INT16>(d->style.shadowDy);
    h.shadowStyle = static_cast<INT16>(d->style.shadowStyle);
    h.shadowClassMask = static_cast<WORD>(d->style.shadowClassMask);
    CopyBounded(h.styleName, d->style.name, sizeof(h.styleName));
    h.defaultBorderWidth = static_cast<INT16>(d->defaults.defaultBorderWidth);
    h.defaultLineWidth = static_cast<INT16>(d->defaults.defaultLineWidth);
    h.defaultTextSize = static_cast<INT16>(d->defaults.defaultTextSize);
    h.defaultTextStyle = static_cast<INT16>(d->defaults.defaultTextStyle);
    h.defaultTextAlignH = static_cast<INT16>(d->defaults.defaultTextAlignH);
    h.defaultTextAlignV = static_cast<INT16>(d->defaults.defaultTextAlignV);
    CopyBounded(h.defaultFace, d->defaults.defaultFace, sizeof(h.defaultFace));
    h.defaultCharset = static_cast<WORD>(d->defaults.defaultFontKey);
    h.defaultFillPattern = static_cast<INT16>(d->defaultFillPattern);
    h.defaultArrowStart = static_cast<INT16>(d->defaultArrowStart);
    h.defaultArrowEnd = static_cast<INT16>(d->defaultArrowEnd);
    h.defaultArrowSize = static_cast<INT16>(d->defaultArrowSize);
    h.arrowSetting = static_cast<INT16>(d->reserved236);
    return h;
}

RulerRecord BuildRulerRecord(const RulerSettings& r)
{
    RulerRecord record = {};
    record.rulersShown = static_cast<INT16>(r.rulersShown);
    record.screenUnit = static_cast<INT16>(r.screenUnit);
    record.scaleBase = r.scaleBase;
    record.divisions = static_cast<INT16>(r.divisions);
    record.shownValue = r.shownValue;
    record.unit = static_cast<INT16>(r.unit);
    return record;
}

// The id map: sized by the largest id present, every id that names no drawn object 0xFFFF.
void BuildIdMap(ObjectList* objects, ZOrderList* order)
{
    int largest = 0;
    for (int row = 0; row < objects->count; ++row) largest = std::max(largest, (*objects)[row].objId);
    largest = std::min(largest, 0xFFFE);
    g_writtenIds.assign(static_cast<size_t>(largest) + 1, 0xFFFF);
    for (int i = 0; i < order->count; ++i) {
        int row = (*order)[i];
        if (row < 0 || row >= objects->count) continue;
        int id = (*objects)[row].objId;
        if (id >= 0 && id <= largest) g_writtenIds[id] = static_cast<WORD>(i);
    }
}

int WriteLinkTable(HFILE file, LinkIndex* index)
{
    int count = std::max(0, std::min(index->count, kMaxLinks));
    std::vector<BYTE> data(sizeof(LinkTableHead) + sizeof(LinkRecordEntry) * count);
    LinkTableHead head = {static_cast<WORD>(count), static_cast<WORD>(sizeof(LinkRecordEntry))};
    std::memcpy(data.data(), &head, sizeof(head));
    for (int i = 0; i < count; ++i) {
        const LinkEntry& e = (*index)[i];
        WORD target = MapWrittenObjectId(static_cast<WORD>(e.targetId));
        WORD holder = MapWrittenObjectId(static_cast<WORD>(e.holderId));
        LinkRecordEntry r = {target, static_cast<INT16>(target), holder, static_cast<INT16>(holder),
                             static_cast<WORD>(e.flags)};
        std::memcpy(data.data() + sizeof(head) + sizeof(r) * i, &r, sizeof(r));
    }
    return WriteRecord(file, kOpLinkTable, static_cast<DWORD>(data.size()), data.data());
}

int WriteGroupRecord(HFILE file, const GroupEntry& g)
{
    GroupRecord r = {};
    r.groupId = static_cast<WORD>(g.groupId);
    r.angle = static_cast<INT16>(g.angle);
    const LONG frame[4] = {g.frame.left, g.frame.top, g.frame.right, g.frame.bottom};
    const LONG copy[4] = {g.groupedFrame.left, g.groupedFrame.top, g.groupedFrame.right, g.groupedFrame.bottom};
    for (int i = 0; i < 4; ++i) {
        r.frame[i] = static_cast<INT16>(frame[i]);
        r.groupedFrame[i] = static_cast<INT16>(copy[i]);
    }
    r.flags = static_cast<WORD>(g.flags);
    r.widthFactor = g.widthFactor;
    r.heightFactor = g.heightFactor;
    r.extra = 0;
    return WriteRecord(file, kOpGroup, sizeof(r), &r);
}

int WriteObjects(HFILE file, DocumentState* state, Drawing* d, ObjectList* objects, ZOrderList* order,
                 GroupTable* groups)
{
    int current = 0;
    for (int i = 0; i < order->count; ++i) {
        int row = (*order)[i];
        if (row < 0 || row >= objects->count) continue;
        DrawObject& object = (*objects)[row];
        // A partner that is gone leaves a plain object behind. Most objects have none, and a
        // search for none would walk the whole list for each of them.
        int partner = object.labelId == kNoLabel ? -1 : FindObjectById(objects, object.labelId, object.labelRow);
        object.labelRow = partner;
        if (partner < 0) {
            object.labelId = kNoLabel;
            object.state &= ~static_cast<DWORD>(StateAttachedLabel);
        }
        if (object.groupId != current) {
            if (current > 0) {
                if (int err = WriteRecord(file, BlockEndOpcode(kOpGroup), 0, nullptr)) return err;
            }
            current = object.groupId;
            if (current > 0) {
                int index = FindGroupEntry(groups, current, object.groupRow, 0);
                if (index >= 0) {
                    if (int err = WriteGroupRecord(file, (*groups)[index])) return err;
                }
            }
        }
        if (int err = WriteObjectBlock(file, state, &object)) return err;
    }
    (void)d;
    if (current > 0) return WriteRecord(file, BlockEndOpcode(kOpGroup), 0, nullptr);
    return 0;
}

}  // namespace

int WriteDrawingBlock(HFILE file, DocumentState* state, BOOL symbol)
{
    HGLOBAL drawingBlock = state->drawing;
    Drawing* d = static_cast<Drawing*>(GlobalLock(drawingBlock));
    if (!d) return ErrOutOfMemory;
    ObjectList* objects = static_cast<ObjectList*>(GlobalLock(d->objectList));
    ZOrderList* order = static_cast<ZOrderList*>(GlobalLock(d->zOrderList));
    LinkIndex* links = static_cast<LinkIndex*>(GlobalLock(d->linkIndex));
    GroupTable* groups = static_cast<GroupTable*>(GlobalLock(d->groupTable));
    int result = 0;
    if (!objects || !order || !links || !groups) {
        result = ErrOutOfMemory;
    } else {
        BuildIdMap(objects, order);
        DrawingBlockHeader h = BuildHeader(d, order->count, groups->count, links->count);
        result = WriteRecord(file, kOpDrawingBlock, sizeof(h), &h);
        RulerRecord ruler = BuildRulerRecord(d->rulerSettings);
        if (!result) result = WriteRecord(file, kOpRuler, sizeof(ruler), &ruler);
        ApplyDefaultAttributes(d, state);
        if (!result && !symbol) result = WriteLinkTable(file, links);
        if (!result) result = WriteObjects(file, state, d, objects, order, groups);
        if (!result) result = WriteRecord(file, BlockEndOpcode(kOpDrawingBlock), 0, nullptr);
        MarkBlockDirty(d->objectList);
    }
    g_writtenIds.clear();
    g_writtenIds.shrink_to_fit();
    if (groups) GlobalUnlock(d->groupTable);
    if (links) GlobalUnlock(d->linkIndex);
    if (order) GlobalUnlock(d->zOrderList);
    if (objects) GlobalUnlock(d->objectList);
    GlobalUnlock(drawingBlock);
    return result;
}
