// The text records of a drawing file.
#include "documents/text_stream.h"

#include <cstring>

#include "documents/document_state.h"
#include "documents/record_fields.h"
#include "store/memory_blocks.h"
#include "store/results.h"
#include "store/store_records.h"
#include "text/object_text.h"

TextRun g_defaultCharFormat = {};
ParagraphFormat g_defaultParaFormat = StandardParagraphFormat();

ParagraphFormat StandardParagraphFormat()
{
    ParagraphFormat format = {};
    format.spacingBase = 120;
    format.tabInterval = 150;
    format.hyphenate = 1;
    return format;
}

namespace {

constexpr INT32 kLargestRecordId = 32767;

// The run fields in code order (0 face .. 8 nominal size).
INT32* RunField(TextRun* run, int code)
{
    switch (code) {
    case 0: return &run->face;
    case 1: return &run->size;
    case 2: return &run->style;
    case 3: return &run->runFlags;
    case 4: return reinterpret_cast<INT32*>(&run->color);
    case 5: return &run->paragraphFormat;
    case 6: return &run->escapement;
    case 7: return &run->script;
    case 8: return &run->nominalSize;
    default: return nullptr;
    }
}

void ApplyRunChange(TextRun* run, int code, INT32 value)
{
    INT32* field = RunField(run, code);
    if (!field) return;   // a code this program does not know
    *field = value;
    if (code == 1) run->nominalSize = value;
}

INT32* ParagraphField(ParagraphFormat* format, int k)
{
    return (k >= 0 && k < kParagraphFields) ? &reinterpret_cast<INT32*>(format)[k] : nullptr;
}

// Alignment, bullet and hyphenation are not distances.
bool ParagraphFieldRescaled(int k) { return k != 0 && k != 8 && k != 10; }

void ApplyParagraphPairs(const RecordFields& f, ParagraphFormat* format)
{
    INT32 pairs = 0;
    f.U16(2, &pairs);
    for (INT32 i = 0; i < pairs; ++i) {
        INT32 code, value;
        if (!f.U16(4 + 4 * i, &code) || !f.I16(6 + 4 * i, &value)) break;
        INT32* field = ParagraphField(format, code - 100);
        if (!field) continue;
        *field = ParagraphFieldRescaled(code - 100) ? ScaleFromFileUnits(value, g_fileResolution) : value;
    }
}

// Starts never fall and lie within the text; counts reach the next start and the text's end.
void MakeRunsCoverText(TextRun* runs, int runCount, int textLength)
{
    INT32 floor = 0;
    for (int i = 0; i < runCount; ++i) {
        INT32 first = runs[i].firstChar;
        if (i == 0 || first < floor) first = floor;
        if (first > textLength) first = textLength;
        runs[i].firstChar = first;
        floor = first;
    }
    for (int i = 0; i < runCount; ++i) {
        INT32 end = i + 1 < runCount ? runs[i + 1].firstChar : textLength;
        runs[i].charCount = end - runs[i].firstChar;
    }
}

struct TextTables {
    TextRun* runs;
    ParagraphFormat* formats;
    BYTE* text;
};

TextTables LocateTables(TextBlock* block)
{
    BYTE* base = reinterpret_cast<BYTE*>(block);
    TextTables t;
    t.runs = reinterpret_cast<TextRun*>(base + kTextBlockSize + kTextLineSize * block->lineCount);
    t.formats = reinterpret_cast<ParagraphFormat*>(t.runs + block->runCount);
    t.text = reinterpret_cast<BYTE*>(t.formats + block->formatCount) + kTextSegmentSize * block->segmentCount;
    return t;
}

}  // namespace

DWORD EncodeCharFormatRun(const TextRun* run, TextRun* carried, BYTE* entry)
{
    static const int kWriteOrder[kRunChangeCodes] = {0, 1, 8, 2, 4, 5, 3, 6, 7};
    TextRun source = *run;
    WORD changes = 0;
    DWORD at = 6;
    for (int code : kWriteOrder) {
        INT32 value = *RunField(&source, code);
        if (value == *RunField(carried, code)) continue;
        ApplyRunChange(carried, code, value);
        WORD c = static_cast<WORD>(code);
        std::memcpy(entry + at, &c, 2);
        std::memcpy(entry + at + 2, &value, 4);
        at += 6;
        ++changes;
    }
    std::memcpy(entry, &changes, 2);
    std::memcpy(entry + 2, &run->firstChar, 4);
    return at;
}

int DecodeCharFormatRuns(TextBlock* block, TextRun* runs, int room, int textLength)
{
    RecordFields f = RecordFields::Current();
    TextRun carried = g_defaultCharFormat;
    INT32 entries = 0;
    f.U16(0, &entries);
    DWORD at = 2;
    int decoded = 0;
    for (INT32 e = 0; e < entries && decoded < room; ++e) {
        INT32 changes = 0;
        DWORD first = 0;
        if (!f.U16(at, &changes) || !f.U32(at + 2, &first) || !f.Has(at, 6 + 6 * changes)) break;
        INT32 start = static_cast<INT32>(first);
        if (e == 0 && start > 0) {
            runs[0] = carried;
            runs[0].firstChar = 0;
            runs[0].charCount = textLength;
            decoded = 1;
            if (decoded >= room) break;
        }
        // An entry that would start a run before the previous one or past the text opens no
        // run; its changes still carry over to the runs after it.
        TextRun* run = nullptr;
        bool rising = decoded == 0 ? start == 0 : start >= runs[decoded - 1].firstChar;
        if (rising && start >= 0 && start <= textLength) {
            if (decoded > 0) runs[decoded - 1].charCount = start - runs[decoded - 1].firstChar;
            run = &runs[decoded++];
            *run = carried;
            run->firstChar = start;
            run->charCount = textLength - start;
        }
        for (INT32 c = 0; c < changes; ++c) {
            INT32 code = 0;
            DWORD value = 0;
            f.U16(at + 6 + 6 * c, &code);
            f.U32(at + 8 + 6 * c, &value);
            ApplyRunChange(&carried, code, static_cast<INT32>(value));
            if (run) ApplyRunChange(run, code, static_cast<INT32>(value));
        }
        at += 6 + 6 * changes;
    }
    if (block && decoded > 0) {
        int total = block->runCount < room ? block->runCount : room;
        const TextRun& last = runs[decoded - 1];
        for (int i = decoded; i < total; ++i) {
            runs[i] = last;
            runs[i].firstChar = last.firstChar + last.charCount;
            runs[i].charCount = 0;
        }
    }
    return decoded;
}

DWORD EncodeParaFormat(const ParagraphFormat* format, ParagraphFormat* carried, BYTE* record, int index)
{
    ParagraphFormat source = *format;
    WORD pairs = 0;
    DWORD at = 4;
    for (int k = 0; k < kParagraphFields; ++k) {
        INT32 value = *ParagraphField(&source, k);
        INT32* carriedField = ParagraphField(carried, k);
        if (value == *carriedField) continue;
        *carriedField = value;
        WORD code = static_cast<WORD>(100 + k);
        INT16 low = static_cast<INT16>(value);
        std::memcpy(record + at, &code, 2);
        std::memcpy(record + at + 2, &low, 2);
        at += 4;
        ++pairs;
    }
    WORD i = static_cast<WORD>(index);
    std::memcpy(record, &i, 2);
    std::memcpy(record + 2, &pairs, 2);
    return at;
}

int DecodeParaFormats(ParagraphFormat* formats, int formatCount, ParagraphFormat* carried, int* previousIndex)
{
    RecordFields f = RecordFields::Current();
    if (!formats) {
        ApplyParagraphPairs(f, carried);
        return 0;
    }
    INT32 index = 0;
    f.U16(0, &index);
    int from = previousIndex && *previousIndex > 0 ? *previousIndex : 0;
    for (int i = from; i < formatCount; ++i) formats[i] = *carried;
    if (index < formatCount) {
        ApplyParagraphPairs(f, &formats[index]);
        *carried = formats[index];
        for (int i = index + 1; i < formatCount; ++i) formats[i] = *carried;
    }
    if (previousIndex) *previousIndex = index;
    return 0;
}

int WriteTextBlock(HFILE file, const TextBlock* block, LONG payloadSize, int textRecordId)
{
    long long needed = TextBlockSize(block);
    if (needed < 0 || needed > payloadSize) return StoreMemoryTooSmall;
    TextBlock header = *block;
    TextTables t = LocateTables(const_cast<TextBlock*>(block));

    RecordBuilder head(kTextHeaderRecordSize);
    head.I16(textRecordId).U16(header.runCount).U16(header.formatCount).U16(header.textLength).U16(header.options);
    head.I16(header.marginLeft).I16(header.marginTop).I16(header.marginRight).I16(header.marginBottom);
    head.I16(header.effect.dx).I16(header.effect.dy).I16(header.effect.kind);
    head.U32(header.effect.color).U32(header.effect.color2);
    if (int err = head.Write(file, kOpText)) return err;
    if (int err = WriteRecord(file, kOpTextBytes, header.textLength, t.text)) return err;

    RecordBuilder runs(2 + kMaxRunEntrySize * header.runCount);
    runs.U16(0);
    TextRun carried = g_defaultCharFormat;
    WORD entries = 0;
    for (int i = 0; i < header.runCount; ++i) {
        BYTE entry[kMaxRunEntrySize];
        DWORD size = EncodeCharFormatRun(&t.runs[i], &carried, entry);
        if (size == 6) continue;   // nothing to code
        runs.Bytes(entry, size);
        ++entries;
    }
    if (entries) {
        std::memcpy(runs.Vector().data(), &entries, 2);
        if (int err = runs.Write(file, kOpRuns)) return err;
    }

    ParagraphFormat carriedFormat = g_defaultParaFormat;
    for (int i = 0; i < header.formatCount; ++i) {
        BYTE record[kMaxParagraphRecordSize];
        DWORD size = EncodeParaFormat(&t.formats[i], &carriedFormat, record, i);
        if (int err = WriteRecord(file, kOpParagraphFormat, size, record)) return err;
    }
    return WriteBlockEnd(file, kOpText);
}

namespace {

// Reads the records of the block into the locked record; `textLength` may come out lower.
int ReadTextRecords(HFILE file, TextBlock* block)
{
    TextTables t = LocateTables(block);
    ParagraphFormat carried = g_defaultParaFormat;
    int previous = 0;
    for (;;) {
        WORD opcode = 0;
        DWORD length = 0;
        if (int err = ReadRecord(file, &opcode, &length)) return err;
        if (opcode == BlockEndOpcode(kOpText)) break;
        switch (opcode) {
        case kOpTextBytes: {
            if (length < static_cast<DWORD>(block->textLength)) block->textLength = static_cast<INT32>(length);
            if (block->textLength) std::memcpy(t.text, RecordData(), block->textLength);
            break;
        }
        case kOpRuns:
            DecodeCharFormatRuns(block, t.runs, block->runCount, block->textLength);
            break;
        case kOpParagraphFormat:
            DecodeParaFormats(t.formats, block->formatCount, &carried, &previous);
            break;
        default:
            if (opcode & kRecordBlock) {
                if (int err = SkipBlock(file, BlockEndOpcode(opcode))) return err;
            }
            break;
        }
    }
    MakeRunsCoverText(t.runs, block->runCount, block->textLength);
    return 0;
}

}  // namespace

int ReadTextBlock(HFILE file, HWND, DocumentState* state, DrawObject* object)
{
    RecordFields f = RecordFields::Current();
    INT32 id = -1;
    f.U16(0, &id);
    TextBlock header = {};
    f.U16(2, &header.runCount);
    f.U16(4, &header.formatCount);
    f.U16(6, &header.textLength);
    f.U16(8, &header.options);
    f.Scaled(10, &header.marginLeft);
    f.Scaled(12, &header.marginTop);
    f.Scaled(14, &header.marginRight);
    f.Scaled(16, &header.marginBottom);
    f.Scaled(18, &header.effect.dx);
    f.Scaled(20, &header.effect.dy);
    f.I16(22, &header.effect.kind);
    f.U32(24, &header.effect.color);
    f.U32(28, &header.effect.color2);
    // Every text has a run and a format to draw with, even when the file says none.
    if (header.runCount < 1) header.runCount = 1;
    if (header.formatCount < 1) header.formatCount = 1;
    // An editor's format table holds 500; formats beyond it could never be used.
    if (header.formatCount > kMaxParagraphFormats) header.formatCount = kMaxParagraphFormats;
    header.lineCount = 1;
    header.segmentCount = 1;
    header.layoutWidth = -1;
    long long size = TextBlockSize(&header);

    // The record keeps the id the file gives it. A text whose counts pass the limit, or whose
    // id is missing, out of range or taken by another text, is a damaged one: it costs this
    // text only, and the object is read on without it.
    const int slot = state->storeSlot;
    HGLOBAL record = nullptr;
    int added = StoreKeyMissing;
    if (size <= kLargestTextBlock && id >= 0 && id <= kLargestRecordId)
        added = AddRecord(slot, RecTextBlock, id, static_cast<DWORD>(kBlockHeaderSize + size), &record);
    if (added == StoreKeyMissing || added == StoreKeyExists) {
        ++g_readDamage.textsLost;
        return SkipBlock(file, BlockEndOpcode(kOpText));
    }
    if (added) return added;
    object->textId = id;

    int result = 0;
    INT32 textLength = header.textLength;
    {
        BlockLock lock(record);
        if (!lock) {
            result = ErrOutOfMemory;
        } else {
            TextBlock* block = reinterpret_cast<TextBlock*>(lock.get() + kBlockHeaderSize);
            std::memset(block, 0, static_cast<size_t>(size));
            *block = header;
            TextTables t = LocateTables(block);
            for (int i = 0; i < header.runCount; ++i) {
                t.runs[i] = g_defaultCharFormat;
                t.runs[i].firstChar = i == 0 ? 0 : header.textLength;
            }
            for (int i = 0; i < header.formatCount; ++i) t.formats[i] = g_defaultParaFormat;
            MakeRunsCoverText(t.runs, header.runCount, header.textLength);
            result = ReadTextRecords(file, block);
            textLength = block->textLength;
        }
    }
    // A shortened text leaves no slack behind the record's last byte.
    if (!result && textLength < header.textLength)
        result = ResizeRecord(&record, static_cast<DWORD>(kBlockHeaderSize + size - (header.textLength - textLength)));
    int marked = MarkBlockDirty(record);
    ReleaseBlock(record);
    return result ? result : marked;
}
