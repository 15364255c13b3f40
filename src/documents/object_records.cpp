// One object's block of a drawing file.
#include "documents/object_records.h"

#include <algorithm>
#include <cstring>

#include "documents/document_state.h"
#include "documents/drawing_block.h"
#include "documents/geometry_records.h"
#include "documents/record_fields.h"
#include "documents/text_stream.h"
#include "editing/attachment_tags.h"
#include "lines/connector_record.h"
#include "model/drawing.h"
#include "shapes/custom_outline.h"
#include "shapes/picture_chunks.h"
#include "store/results.h"
#include "store/store_records.h"

AttributeDefaults g_attributeDefaults = {{12, 1, 0}, {12, 1, 0, 0, 0, 0}, {1, 0}};
INT32 g_currentGroupId = 0;
INT32 g_currentGroupRow = -1;

namespace {

constexpr DWORD kOptKeepsOwnText = 0x80;
constexpr INT32 kLabelPlacementFlags = 4 | 8 | 0x20;
constexpr INT32 kLineLabelFlag = 0x20;
constexpr int kLargestArrowhead = 23;
constexpr int kLargestArrowSize = 2;
constexpr int kLargestLineShape = 3;
constexpr int kLargestFitMode = 2;
constexpr DWORD kAttachmentTagBytes = 10;   // "$atype=", the digit, a NUL and one spare byte

BorderAttributes BorderOf(const DrawObject* o) { return {o->lineWidth, o->lineStyle, o->lineColor}; }
FillAttributes FillOf(const DrawObject* o) { return {o->fillPattern, o->fillColor}; }
LineAttributes LineOf(const DrawObject* o)
{
    return {o->lineWidth, o->lineStyle, o->lineColor, o->arrowSize, o->arrowStart, o->arrowEnd};
}

// An arrowhead of an unknown style reads as style 1 of its family; none at all is 0.
INT32 SoundArrowhead(INT32 value)
{
    if ((value & 0xFF) > kLargestArrowhead) value = (value & 0xFF00) | 1;
    return (value & 0xFF) ? value : 0;
}

void SetArrowEnds(DrawObject* o)
{
    o->arrowEnds = ((o->arrowStart & 0xFF) ? 2 : 0) + ((o->arrowEnd & 0xFF) ? 1 : 0);
}

void TakeLineAttributes(DrawObject* o, const LineAttributes& line)
{
    o->lineWidth = line.width;
    o->lineStyle = line.style;
    o->lineColor = line.color;
    o->arrowSize = std::min(line.arrowSize, kLargestArrowSize);
    o->arrowStart = SoundArrowhead(line.arrowStart);
    o->arrowEnd = SoundArrowhead(line.arrowEnd);
    SetArrowEnds(o);
}

void ReadBorderFields(const RecordFields& f, DrawObject* o)
{
    f.Width(0, &o->lineWidth);
    f.I16(2, &o->lineStyle);
    f.U32(4, &o->lineColor);
}

void ReadLineRecord(const RecordFields& f, DrawObject* o)
{
    ReadBorderFields(f, o);
    LineAttributes line = LineOf(o);
    f.U16(8, &line.arrowSize);
    f.U16(10, &line.arrowStart);
    f.U16(12, &line.arrowEnd);
    TakeLineAttributes(o, line);
}

// Class check and class defaults; false for a class or kind this program does not know.
bool TakeClassDefaults(DrawObject* o)
{
    switch (o->objClass) {
    case ClassShape:
        if (o->objType < 0 || o->objType > kLargestShapeKind) return false;
        o->lineWidth = g_attributeDefaults.border.width;
        o->lineStyle = g_attributeDefaults.border.style;
        o->lineColor = g_attributeDefaults.border.color;
        o->fillPattern = g_attributeDefaults.fill.pattern;
        o->fillColor = g_attributeDefaults.fill.color;
        return true;
    case ClassConnector:
        if (o->objType < 0 || o->objType > kLargestConnectorType) return false;
        [[fallthrough]];
    case ClassLine:
        o->classFlags |= kLineLabelFlag;
        [[fallthrough]];
    case ClassArray:
        TakeLineAttributes(o, g_attributeDefaults.line);
        o->dataType = kConnectorRecordType;
        return true;
    default:
        return false;
    }
}

void ReadObjectRecord(const RecordFields& f, DrawObject* o)
{
    f.U16(0, &o->objClass);
    f.Rect(2, &o->updateRect);
    f.Rect(10, &o->frame);
    f.Rect(18, &o->innerRect);
    o->textRect = o->innerRect;
    f.I16(26, &o->objType);
    f.U16(28, &o->state);
    f.U16(30, &o->options);
    f.Scaled(32, &o->axisCoord);
    f.F64(34, &o->param);
    f.I16(42, &o->handleLayout);
    f.Scaled(44, &o->createdWidth);
    f.Scaled(46, &o->createdHeight);
    f.U16(48, &o->hookMask);
    f.U16(50, &o->acceptMask);
    f.I16(52, &o->hookCapacity);
    INT32 value = 0;
    if (f.U16(54, &value)) o->labelId = MapReadObjectId(static_cast<WORD>(value));
    f.I16(56, &o->labelRow);
    if (f.I16(60, &value) && value >= 0 && value <= kLargestLineShape) o->lineShape = value;
    if (f.Length() < kObjectRecordSize) {
        o->groupFrame = o->frame;   // an older writer kept no frame at grouping
        o->savedState = 0;
    } else {
        f.Rect(62, &o->groupFrame);
        f.U16(70, &o->savedState);
    }
}

void ReadHookRecord(const RecordFields& f, DrawObject* o)
{
    if (o->hookCount >= 2) return;   // the hook table holds two
    HookEntry& hook = o->hooks[o->hookCount++];
    INT32 target = 0xFFFF;
    f.U16(0, &target);
    hook.targetId = MapReadObjectId(static_cast<WORD>(target));
    f.I16(2, &hook.targetRow);
    f.I16(4, &hook.attachX);
    f.I16(6, &hook.attachY);
    f.I16(8, &hook.holderCode);
}

// Record (117, object id) of 271 payload bytes: the target, bounded to 260 characters, and its
// kind tag.
int ReadAttachmentRecord(int slot, INT32 objectId, DWORD length)
{
    const char* data = reinterpret_cast<const char*>(RecordData());
    const size_t target = strnlen(data, std::min<DWORD>(length, kMaxAttachmentTarget));
    int kind = ParseAttachmentKind(data, length);
    if (kind < 0 || kind > 9) kind = AttachDrawing;   // one digit, as every writer makes it
    const DWORD payload = std::max<DWORD>(static_cast<DWORD>(target) + 1, kAttachmentPayloadSize);
    HGLOBAL block = nullptr;
    if (int err = AddRecord(slot, RecAttachment, objectId, kBlockHeaderSize + payload, &block)) return err;
    int result = 0;
    {
        BlockLock lock(block);
        if (!lock) {
            result = ErrOutOfMemory;
        } else {
            char* text = reinterpret_cast<char*>(lock.get() + kBlockHeaderSize);
            std::memset(text, 0, payload);
            std::memcpy(text, data, target);
            AppendAttachmentKind(text, kind);
        }
    }
    int marked = MarkBlockDirty(block);
    ReleaseBlock(block);
    return result ? result : marked;
}

int DropAttachment(int slot, INT32 objectId)
{
    HGLOBAL block = nullptr;
    if (int err = LoadRecord(slot, RecAttachment, objectId, &block)) return err;
    int err = DeleteRecord(block);
    if (err) ReleaseBlock(block);
    else GlobalFree(block);
    return err;
}

int WriteAttachmentRecord(HFILE file, int slot, INT32 objectId)
{
    HGLOBAL block = nullptr;
    int err = LoadRecord(slot, RecAttachment, objectId, &block);
    if (err == StoreKeyMissing) return 0;
    if (err) return err;
    RecordBuilder r(kMaxAttachmentTarget + 1 + kAttachmentTagBytes);
    {
        BlockLock lock(block);
        if (!lock) {
            ReleaseBlock(block);
            return ErrOutOfMemory;
        }
        const LONG payload = std::max<LONG>(0, StoredRecordSize(block, lock.get()) - kBlockHeaderSize);
        const char* text = reinterpret_cast<const char*>(lock.get() + kBlockHeaderSize);
        const size_t target = strnlen(text, std::min<LONG>(payload, kMaxAttachmentTarget));
        r.Bytes(text, target);
        r.Vector().push_back(0);
        for (DWORD i = 0; i < kAttachmentTagBytes; ++i) {
            LONG at = static_cast<LONG>(target + 1 + i);
            r.Vector().push_back(at < payload ? static_cast<BYTE>(text[at]) : 0);
        }
    }
    ReleaseBlock(block);
    return r.Write(file, kOpAttachment);
}

int WriteBorderRecord(HFILE file, const DrawObject* o)
{
    return RecordBuilder(8).I16(o->lineWidth).I16(o->lineStyle).U32(o->lineColor).Write(file, kOpBorder);
}

int WriteLineRecord(HFILE file, const DrawObject* o)
{
    RecordBuilder r(14);
    r.I16(o->lineWidth).I16(o->lineStyle).U32(o->lineColor).U16(o->arrowSize).U16(o->arrowStart).U16(o->arrowEnd);
    return r.Write(file, kOpLine);
}

int WriteObjectText(HFILE file, int slot, const DrawObject* o)
{
    HGLOBAL block = nullptr;
    if (int err = LoadRecord(slot, RecTextBlock, o->textId, &block)) return err;
    int result = 0;
    {
        BlockLock lock(block);
        if (!lock) {
            result = ErrOutOfMemory;
        } else {
            const LONG size = StoredRecordSize(block, lock.get()) - kBlockHeaderSize;
            result = WriteTextBlock(file, reinterpret_cast<const TextBlock*>(lock.get() + kBlockHeaderSize), size, o->textId);
        }
    }
    ReleaseBlock(block);
    return result;
}

// An object read from a file that lacked its geometry record names none; it is saved as read
// rather than failing every later save.
bool HasDataRecord(const DrawObject* o) { return o->dataId >= 0 && o->dataCount != 0; }

bool HasPictureData(const DrawObject* o)
{
    return o->dataId >= 0 && o->dataType != kOutlineRecordType && o->dataCount != 0 &&
           (o->dataType == kBitmapChunkType || o->dataType == kMetafileChunkType);
}

int WriteClassRecords(HFILE file, DocumentState* state, const DrawObject* o)
{
    if (o->objClass == ClassShape) {
        if (!SameBorderAsDefault(g_attributeDefaults.border, BorderOf(o)))
            if (int err = WriteBorderRecord(file, o)) return err;
        if (!SameFillAsDefault(g_attributeDefaults.fill, FillOf(o)))
            if (int err = RecordBuilder(6).I16(o->fillPattern).U32(o->fillColor).Write(file, kOpFill)) return err;
        if (int err = WriteTextFrameRecord(file, o)) return err;
        if (o->textId >= 0)
            if (int err = WriteObjectText(file, state->storeSlot, o)) return err;
        if (HasPictureData(o))
            if (int err = WritePictureRecords(file, state, o)) return err;
        if (o->objType == kLargestShapeKind && HasDataRecord(o)) return WritePolygonPoints(file, state, o);
        return 0;
    }
    if (!SameLineAsDefault(g_attributeDefaults.line, LineOf(o)))
        if (int err = WriteLineRecord(file, o)) return err;
    switch (o->objClass) {
    case ClassLine: return WriteTextFrameRecord(file, o);
    case ClassConnector:
        if (HasDataRecord(o))
            if (int err = WriteConnectorPathRecord(file, state, o)) return err;
        return WriteTextFrameRecord(file, o);
    case ClassArray: return HasDataRecord(o) ? WriteArrayLayoutBlock(file, state, o) : 0;
    default: return 0;
    }
}

LONG TableRoom(const BlockHeader& header, LONG entrySize)
{
    return header.size > kTableHeaderSize ? (header.size - kTableHeaderSize) / entrySize : 0;
}

}  // namespace

void SetAttributeDefaults(const Drawing* drawing)
{
    g_attributeDefaults.border = {drawing->defaults.defaultBorderWidth, 1, drawing->style.borderColor};
    g_attributeDefaults.line = {drawing->defaults.defaultLineWidth, 1, drawing->style.lineColor, 0, 0, 0};
    g_attributeDefaults.fill = {1, drawing->style.fillColor};
}

INT32 MapReadObjectId(WORD fileId) { return fileId == 0xFFFF ? 0xFFFF : fileId + 1; }

bool SameBorderAsDefault(const BorderAttributes& standard, const BorderAttributes& values)
{
    return standard.width == values.width && standard.color == values.color && standard.style == values.style;
}

bool SameLineAsDefault(const LineAttributes& standard, const LineAttributes& values)
{
    return standard.width == values.width && standard.color == values.color && standard.style == values.style &&
           standard.arrowSize == values.arrowSize && standard.arrowStart == values.arrowStart &&
           standard.arrowEnd == values.arrowEnd;
}

bool SameFillAsDefault(const FillAttributes& standard, const FillAttributes& values)
{
    return standard.color == values.color && standard.pattern == values.pattern;
}

void InitObjectDefaults(Drawing* drawing, DrawObject* object)
{
    std::memset(object, 0, sizeof *object);
    object->lineWidth = 12;
    object->lineStyle = LineStyleSolid;
    object->fillPattern = 1;
    object->fillColor = drawing->style.fillColor;
    object->lineColor = drawing->style.borderColor;
    object->dataType = -1;
    object->dataId = -1;
    object->textId = -1;
    object->textAlignH = drawing->defaults.defaultTextAlignH;
    object->textAlignV = drawing->defaults.defaultTextAlignV;
    object->textMargins = RECT{24, 24, 24, 24};
    object->labelId = kNoLabel;
    object->labelRow = -1;
    object->groupRow = -1;
}

void ReadTextFrameRecord(DrawObject* object, DWORD length)
{
    RecordFields f(RecordData(), std::min(length, RecordLength()));
    f.Rect(0, &object->textRect);
    double ratios[4];
    std::memcpy(ratios, object->classData, sizeof ratios);
    for (int i = 0; i < 4; ++i) f.F64(8 + 8 * i, &ratios[i]);
    std::memcpy(object->classData, ratios, sizeof ratios);
    f.Rect(40, &object->textInset);
    f.Rect(48, &object->textMargins);
    f.I16(56, &object->textId);
    f.U16(58, &object->classFlags);
    f.Scaled(60, &object->classValue);
    f.I16(62, &object->textAlignV);
    f.I16(64, &object->textAlignH);
    INT32 fit = 0;
    if (f.I16(66, &fit) && fit >= 0 && fit <= kLargestFitMode) object->textFit = fit;
    f.I16(68, &object->angle);
    f.I16(70, &object->groupAngle);
    if (object->options & kOptKeepsOwnText) object->classFlags &= ~kLabelPlacementFlags;
}

int WriteTextFrameRecord(HFILE file, const DrawObject* object)
{
    double ratios[4];
    std::memcpy(ratios, object->classData, sizeof ratios);
    RecordBuilder r(kTextFrameRecordSize);
    r.Rect(object->textRect);
    for (double ratio : ratios) r.F64(ratio);
    r.Rect(object->textInset).Rect(object->textMargins).I16(object->textId).U16(object->classFlags);
    r.I16(object->classValue).I16(object->textAlignV).I16(object->textAlignH).I16(object->textFit);
    r.I16(object->angle).I16(object->groupAngle);
    return r.Write(file, kOpTextFrame);
}

int ReadObjectBlock(HFILE file, HWND view, DocumentState* state, Drawing* drawing, ObjectList* objects,
                    ZOrderList* order, DWORD length)
{
    const int slot = state->storeSlot;
    const INT32 row = objects->count;
    DrawObject object;
    InitObjectDefaults(drawing, &object);
    ReadObjectRecord(RecordFields(RecordData(), std::min(length, RecordLength())), &object);
    object.objId = row + 1;
    if (g_olderFile) object.options |= OptStdHooks;
    object.groupId = g_currentGroupId;
    object.groupRow = g_currentGroupRow;

    // An object the tables have no room for is read like one of an unknown class: dropped.
    const bool room = row >= 0 && row < kMaxObjects && row < TableRoom(objects->header, sizeof(DrawObject)) &&
                      order->count >= 0 && order->count < TableRoom(order->header, sizeof(INT32));
    const bool valid = TakeClassDefaults(&object) && room;

    PendingPicture picture = {};
    bool attached = false;
    int result = 0;
    for (;;) {
        WORD opcode = 0;
        DWORD recordLength = 0;
        if ((result = ReadRecord(file, &opcode, &recordLength))) break;
        if (opcode == BlockEndOpcode(kOpObject)) break;
        const RecordFields f = RecordFields::Current();
        if (valid) {
            switch (opcode) {
            case kOpFill:
                f.I16(0, &object.fillPattern);
                f.U32(2, &object.fillColor);
                continue;
            case kOpBorder: ReadBorderFields(f, &object); continue;
            case kOpLine: ReadLineRecord(f, &object); continue;
            case kOpTextFrame: {
                // The text record id in the file names no record of this store; the object's
                // text is the one its text block adds.
                const INT32 textId = object.textId;
                ReadTextFrameRecord(&object, recordLength);
                object.textId = textId;
                continue;
            }
            case kOpHook: ReadHookRecord(f, &object); continue;
            case kOpAttachment:
                if (attached) continue;   // one attachment per object
                result = ReadAttachmentRecord(slot, object.objId, recordLength);
                attached = result == 0;
                break;
            case kOpConnectorPath: result = ReadConnectorPathRecord(state, &object); break;
            case kOpOutline: result = ReadPolygonPoints(file, view, state, &object); break;
            case kOpArrayLayout: result = ReadArrayLayoutBlock(file, view, state, &object); break;
            case kOpPictureHeader: KeepPictureHeader(&picture); continue;
            case kOpBitmapData:
            case kOpMetafileData: result = ReadPictureData(state, recordLength, opcode, &object, &picture); break;
            case kOpText: result = ReadTextBlock(file, view, state, &object); break;
            default:
                if (opcode & kRecordBlock) result = SkipBlock(file, BlockEndOpcode(opcode));
                break;
            }
        } else if (opcode & kRecordBlock) {
            result = SkipBlock(file, BlockEndOpcode(opcode));
        }
        if (result) break;
    }
    if (result) return result;
    if (!valid || picture.pending) {
        // The next object takes this slot and this id: it must not inherit the attachment.
        return attached ? DropAttachment(slot, object.objId) : 0;
    }
    objects->Entries()[row] = object;
    order->Entries()[order->count] = row;
    ++objects->count;
    ++order->count;
    if (object.state & StateSelected) ++drawing->selectedCount;
    return 0;
}

int WriteObjectBlock(HFILE file, DocumentState* state, DrawObject* object)
{
    const DrawObject& o = *object;
    const WORD partner = o.labelId == kNoLabel ? WORD(kNoLabel) : MapWrittenObjectId(static_cast<WORD>(o.labelId));
    const INT32 partnerRow = partner == kNoLabel ? o.labelRow : partner;
    RecordBuilder r(kObjectRecordSize);
    r.U16(o.objClass).Rect(o.updateRect).Rect(o.frame).Rect(o.innerRect).I16(o.objType).U16(o.state);
    r.U16(o.options).I16(o.axisCoord).F64(o.param).I16(o.handleLayout).I16(o.createdWidth).I16(o.createdHeight);
    r.U16(o.hookMask).U16(o.acceptMask).I16(o.hookCapacity).U16(partner).I16(partnerRow);
    r.U16(MapWrittenObjectId(static_cast<WORD>(o.objId))).I16(o.lineShape).Rect(o.groupFrame).U16(o.savedState);
    if (int err = r.Write(file, kOpObject)) return err;

    const int hooks = std::clamp(o.hookCount, 0, 2);
    for (int i = 0; i < hooks; ++i) {
        const HookEntry& hook = o.hooks[i];
        const WORD target = MapWrittenObjectId(static_cast<WORD>(hook.targetId));
        RecordBuilder h(10);
        h.U16(target).I16(target).I16(hook.attachX).I16(hook.attachY).I16(hook.holderCode);
        if (int err = h.Write(file, kOpHook)) return err;
    }
    if (int err = WriteAttachmentRecord(file, state->storeSlot, o.objId)) return err;
    if (int err = WriteClassRecords(file, state, &o)) return err;
    return WriteBlockEnd(file, kOpObject);
}
