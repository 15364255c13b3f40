// The drawing file: signature and header, preview, page block with the printer binding, and the
// three operations the documents call.
//
// Every top-level operation owns the stream state for its duration: the record buffer, the
// memory source or sink, and a file it opened itself; all are released on every path out.
#include "documents/drawing_file.h"

#include <algorithm>
#include <cstring>

#include "documents/document_state.h"
#include "documents/drawing_block.h"
#include "documents/font_table.h"
#include "documents/record_stream.h"
#include "exchange/printer_metrics.h"
#include "model/drawing_records.h"
#include "store/block_store.h"
#include "store/file_ops.h"
#include "store/results.h"
#include "text/font_list.h"

namespace {

constexpr int kWriterGeneration = 2;
constexpr int kFormatVersion = 2;
constexpr WORD kDevModeSizeOffset = 36;      // dmSize, then dmDriverExtra
constexpr DWORD kDevModeHeaderBytes = 40;
constexpr int kFooterSpace = 100;
constexpr int kAreaSide = 30000;
constexpr int kPageShort = 4800;
constexpr int kPageLong = 6000;

bool SameTextIgnoringCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
        if (!x) return true;
    }
}

// Copies a string of the record last read, at most `maxChars` characters and never past the
// record, always terminated.
void CopyRecordString(char* destination, int maxChars)
{
    DWORD n = 0;
    const BYTE* data = RecordData();
    while (n < RecordLength() && n < static_cast<DWORD>(maxChars) && data[n]) ++n;
    std::memcpy(destination, data, n);
    destination[n] = 0;
}

// The signature's 8 bytes from the source: whether they arrived and match without case.
bool ReadSignature(HFILE file)
{
    char text[kSignatureLength + 1] = {};
    int got = MemoryStreamActive() ? ReadMemoryBytes(text, kSignatureLength)
                                   : static_cast<int>(_lread(file, text, kSignatureLength));
    return got == kSignatureLength && SameTextIgnoringCase(text, kDrawingSignature);
}

INT32 Rescale(INT32 value) { return ScaleFromFileUnits(value, g_fileResolution); }

template <typename T>
T RecordAs()
{
    T record = {};
    std::memcpy(&record, RecordData(), std::min<DWORD>(RecordLength(), sizeof(T)));
    return record;
}

bool Holds(DWORD end) { return RecordLength() >= end; }

void ReadPageBlockRecord(DocumentState* state)
{
    PageBlockRecord r = RecordAs<PageBlockRecord>();
    if (Holds(2)) state->flags = (state->flags & 0xFFFF0000u) | r.flags;
    if (Holds(4)) state->scrollX = Rescale(r.scrollX);
    if (Holds(6)) state->scrollY = Rescale(r.scrollY);
    if (Holds(8)) state->zoom = r.zoom;
    if (Holds(10)) state->zoomFlags = r.zoomFlags;
    if (Holds(14)) state->savedBackground = static_cast<INT32>(r.savedBackground);
}

void ReadPageSetup(DocumentState* state)
{
    PageSetupRecord r = RecordAs<PageSetupRecord>();
    if (Holds(2)) state->areaWidth = Rescale(r.areaWidth);
    if (Holds(4)) state->areaHeight = Rescale(r.areaHeight);
    if (Holds(6)) state->pageWidth = Rescale(r.pageWidth);
    if (Holds(8)) state->pageHeight = Rescale(r.pageHeight);
    LONG* margins[4] = {&state->margins.left, &state->margins.top, &state->margins.right, &state->margins.bottom};
    LONG* printer[4] = {&state->printerMargins.left, &state->printerMargins.top, &state->printerMargins.right,
                        &state->printerMargins.bottom};
    for (int i = 0; i < 4; ++i) {
        if (!Holds(10 + 2 * i)) break;
        *margins[i] = *printer[i] = Rescale(r.margins[i]);
    }
    if (Holds(30)) state->footerSpace = Rescale(static_cast<WORD>(r.footerSpace));
}

// A DEVMODE whose own sizes reach past its record is ignored.
int ReadDevMode(DocumentState* state)
{
    DWORD length = RecordLength();
    if (length < kDevModeHeaderBytes) return 0;
    WORD sizes[2];
    std::memcpy(sizes, RecordData() + kDevModeSizeOffset, sizeof(sizes));
    if (static_cast<DWORD>(sizes[0]) + sizes[1] > length) return 0;
    if (!state->devMode) {
        state->devMode = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, length);
        if (!state->devMode) return ErrOutOfMemory;
    } else if (GlobalSize(state->devMode) < length) {
        HGLOBAL grown = GlobalReAlloc(state->devMode, length, GMEM_MOVEABLE | GMEM_ZEROINIT);
        if (!grown) return ErrOutOfMemory;
        state->devMode = grown;
    }
    BYTE* block = static_cast<BYTE*>(GlobalLock(state->devMode));
    if (!block) return ErrOutOfMemory;
    std::memcpy(block, RecordData(), length);
    GlobalUnlock(state->devMode);
    return 0;
}

void ReadLibraryPath(DocumentState* state)
{
    char path[kMaxPathChars + 1];
    CopyRecordString(path, kMaxPathChars);
    if (state->libraryAtom) GlobalDeleteAtom(state->libraryAtom);
    state->libraryAtom = path[0] ? GlobalAddAtomA(path) : 0;
}

// The colour list goes to record (100, 106): an i32 count and room for 256 colours.
int ReadColorList(DocumentState* state)
{
    INT16 claimed = 0;
    if (Holds(2)) std::memcpy(&claimed, RecordData(), 2);
    int fit = RecordLength() >= 2 ? static_cast<int>((RecordLength() - 2) / 4) : 0;
    INT32 count = std::max(0, std::min<int>(claimed, std::min(kMaxColors, fit)));
    HGLOBAL record = nullptr;
    if (int err = LoadRecord(state->storeSlot, RecDocument, RecColorListId, &record)) return err;
    constexpr DWORD kSize = kBlockHeaderSize + 4 + 4 * kMaxColors;
    int result = 0;
    if (GetBlockSize(record) < static_cast<LONG>(kSize)) result = ResizeRecord(&record, kSize);
    if (!result) {
        BYTE* block = static_cast<BYTE*>(GlobalLock(record));
        if (!block) {
            result = ErrOutOfMemory;
        } else {
            std::memcpy(block + kBlockHeaderSize, &count, 4);
            std::memcpy(block + kBlockHeaderSize + 4, RecordData() + 2, 4 * count);
            GlobalUnlock(record);
            result = MarkBlockDirty(record);
        }
    }
    ReleaseBlock(record);
    return result;
}

DWORD FontListBytes(HGLOBAL list)
{
    DWORD size = static_cast<DWORD>(GlobalSize(list));
    FontListHead* head = static_cast<FontListHead*>(GlobalLock(list));
    if (!head) return 0;
    long long wanted = sizeof(FontListHead) + static_cast<long long>(std::max(0, head->count)) * sizeof(FontListEntry);
    GlobalUnlock(list);
    return static_cast<DWORD>(std::min<long long>(wanted, size));
}

// Rebuilds the printer's font list, moves the font slots onto it and stores it in (100, 104).
int RebindFontList(HWND view, DocumentState* state)
{
    if (!state->fontList) return 0;
    if (int err = BuildFontList(view, state->printerIC, state->fontList)) return err;
    HGLOBAL record = nullptr;
    if (int err = LoadRecord(state->storeSlot, RecDocument, RecFontListId, &record)) return err;
    int result = 0;
    LONG stored = GetBlockSize(record) - kBlockHeaderSize;
    HGLOBAL old = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, std::max<LONG>(stored, sizeof(FontListHead)));
    BYTE* oldBytes = old ? static_cast<BYTE*>(GlobalLock(old)) : nullptr;
    BYTE* block = static_cast<BYTE*>(GlobalLock(record));
    if (!oldBytes || !block) {
        result = ErrOutOfMemory;
    } else if (stored > 0) {
        std::memcpy(oldBytes, block + kBlockHeaderSize, stored);
    }
    if (block) GlobalUnlock(record);
    if (oldBytes) GlobalUnlock(old);
    if (!result) RemapFontIndices(state->fontMap, old, state->fontList);
    if (old) GlobalFree(old);
    DWORD bytes = FontListBytes(state->fontList);
    if (!result) result = ResizeRecord(&record, kBlockHeaderSize + bytes);
    if (!result) {
        block = static_cast<BYTE*>(GlobalLock(record));
        BYTE* list = static_cast<BYTE*>(GlobalLock(state->fontList));
        if (block && list) std::memcpy(block + kBlockHeaderSize, list, bytes);
        if (!block || !list) result = ErrOutOfMemory;
        if (list) GlobalUnlock(state->fontList);
        if (block) GlobalUnlock(record);
        if (!result) result = MarkBlockDirty(record);
    }
    ReleaseBlock(record);
    return result;
}

int DevModeField(HGLOBAL devMode, size_t offset)
{
    if (!devMode || GlobalSize(devMode) < offset + 2) return 0;
    BYTE* block = static_cast<BYTE*>(GlobalLock(devMode));
    if (!block) return 0;
    INT16 value;
    std::memcpy(&value, block + offset, 2);
    GlobalUnlock(devMode);
    return value;
}

// Binds the document to its printer after the page block: page size, margins, printable area,
// drawing area and the font list of the printer.
int BindDocumentPrinter(HWND view, DocumentState* state, BOOL fromTemplate)
{
    int mode = 0;
    if (state->flags & DocDefaultPrinter) {
        char current[kMaxPathChars + 1] = {};
        GetProfileStringA("windows", "device", "", current, sizeof(current));
        if (!SameTextIgnoringCase(current, state->deviceName)) {
            state->deviceName[0] = 0;
            mode = 2;
        }
    }
    if (fromTemplate) mode = 3;
    if (state->printerIC) {
        DeleteReferenceDC(state->printerIC);
        state->printerIC = nullptr;
    }
    BOOL usesDefault = (state->flags & DocDefaultPrinter) != 0;
    BOOL footer = state->footerSpace > 0;
    SIZE paper = {state->pageWidth, state->pageHeight};
    state->printerIC = GetPrinterMetrics(state->deviceName, state->devMode, &state->printerMargins, &paper, mode,
                                         FALSE, &usesDefault, &footer);
    if (!state->printerIC) return ErrOutOfMemory;
    state->pageWidth = paper.cx;
    state->pageHeight = paper.cy;
    state->footerSpace = footer ? kFooterSpace : 0;
    state->flags = usesDefault ? state->flags | DocDefaultPrinter : state->flags & ~static_cast<DWORD>(DocDefaultPrinter);

    RECT& m = state->margins;
    m.left = std::max<LONG>(m.left, 0);
    m.top = std::max<LONG>(m.top, 0);
    m.right = std::max<LONG>(m.right, 0);
    m.bottom = std::max<LONG>(m.bottom, 0);
    state->printableWidth = state->pageWidth - m.left - m.right;
    state->printableHeight = state->pageHeight - m.top - m.bottom;
    if (state->footerSpace) {
        if (state->printableWidth != state->pageWidth) state->printableWidth -= state->footerSpace;
        if (state->printableHeight != state->pageHeight) state->printableHeight -= state->footerSpace;
    }
    if (state->flags & DocOnePage) {
        bool portrait = DevModeField(state->devMode, offsetof(DEVMODEA, dmOrientation)) == DMORIENT_PORTRAIT;
        state->areaWidth = portrait ? kPageShort : kPageLong;
        state->areaHeight = portrait ? kPageLong : kPageShort;
    } else {
        state->areaWidth = kAreaSide;
        state->areaHeight = kAreaSide;
    }
    return RebindFontList(view, state);
}

int ReadPageBlock(HFILE file, HWND view, DocumentState* state, BOOL fromTemplate)
{
    ReadPageBlockRecord(state);
    for (;;) {
        WORD opcode = 0;
        DWORD length = 0;
        if (int err = ReadRecord(file, &opcode, &length)) return err;
        int result = 0;
        switch (opcode) {
        case BlockEndOpcode(kOpPageBlock):
            return BindDocumentPrinter(view, state, fromTemplate);
        case kOpPageSetup:
            ReadPageSetup(state);
            break;
        case kOpDevMode:
            result = ReadDevMode(state);
            break;
        case kOpDeviceName:
            CopyRecordString(state->deviceName, kMaxPathChars);
            break;
        case kOpColorList:
            result = ReadColorList(state);
            break;
        case kOpLibraryPath:
            ReadLibraryPath(state);
            break;
        case kOpFontTable:
            result = ReadFontTable(file, view, state);
            break;
        default:
            if (opcode & kRecordBlock) result = SkipBlock(file, BlockEndOpcode(opcode));
            break;
        }
        if (result) return result;
    }
}

int ReadPreview(DocumentState* state)
{
    HGLOBAL record = nullptr;
    if (int err = AddRecord(state->storeSlot, RecDocument, RecPreviewId, RecordLength() + kBlockHeaderSize, &record))
        return err;
    BYTE* block = static_cast<BYTE*>(GlobalLock(record));
    int result = block ? 0 : ErrOutOfMemory;
    if (block) {
        std::memcpy(block + kBlockHeaderSize, RecordData(), RecordLength());
        GlobalUnlock(record);
        result = MarkBlockDirty(record);
    }
    ReleaseBlock(record);
    return result;
}

int ReadDrawingContent(HFILE file, HWND view, DocumentState* state, BOOL fromTemplate)
{
    for (;;) {
        WORD opcode = 0;
        DWORD length = 0;
        if (int err = ReadRecord(file, &opcode, &length)) return err;
        int result = 0;
        switch (opcode) {
        case BlockEndOpcode(kOpHeader):
            return 0;
        case kOpPreview:
            result = ReadPreview(state);
            break;
        case kOpPageBlock:
            result = ReadPageBlock(file, view, state, fromTemplate);
            break;
        case kOpDrawingBlock:
            result = ReadDrawingBlock(file, view, state, length);
            // A drawing block cut short leaves nothing readable behind it.
            if (!result && g_readDamage.cut) return 0;
            break;
        default:
            if (opcode & kRecordBlock) result = SkipBlock(file, BlockEndOpcode(opcode));
            break;
        }
        if (result) return result;
    }
}

// ---- writing

// A record whose data is the payload of a stored record, written straight from the store's block.
int WriteStoredPayload(HFILE file, WORD opcode, HGLOBAL record)
{
    LONG size = GetBlockSize(record) - kBlockHeaderSize;
    BYTE* block = static_cast<BYTE*>(GlobalLock(record));
    if (!block) return ErrOutOfMemory;
    int result = WriteRecord(file, opcode, static_cast<DWORD>(std::max<LONG>(size, 0)), block + kBlockHeaderSize);
    GlobalUnlock(record);
    return result;
}

int WritePreview(HFILE file, DocumentState* state)
{
    HGLOBAL record = nullptr;
    int err = LoadRecord(state->storeSlot, RecDocument, RecPreviewId, &record);
    if (err == StoreKeyMissing) return 0;
    if (err) return err;
    int result = WriteStoredPayload(file, kOpPreview, record);
    ReleaseBlock(record);
    return result;
}

int WritePageSetup(HFILE file, DocumentState* state)
{
    PageSetupRecord r = {};
    r.areaWidth = static_cast<INT16>(state->areaWidth);
    r.areaHeight = static_cast<INT16>(state->areaHeight);
    r.pageWidth = static_cast<INT16>(state->pageWidth);
    r.pageHeight = static_cast<INT16>(state->pageHeight);
    const RECT& m = state->margins;
    const RECT& p = state->printerMargins;
    const LONG margins[4] = {m.left, m.top, m.right, m.bottom};
    const LONG printer[4] = {p.left, p.top, p.right, p.bottom};
    for (int i = 0; i < 4; ++i) {
        r.margins[i] = static_cast<INT16>(margins[i]);
        r.printerMargins[i] = static_cast<INT16>(printer[i]);
    }
    r.landscape = DevModeField(state->devMode, offsetof(DEVMODEA, dmOrientation)) == DMORIENT_LANDSCAPE ? 1 : 0;
    r.paperSize = static_cast<INT16>(DevModeField(state->devMode, offsetof(DEVMODEA, dmPaperSize)));
    r.footerSpace = static_cast<INT16>(state->footerSpace);
    return WriteRecord(file, kOpPageSetup, sizeof(r), &r);
}

int WriteDevMode(HFILE file, DocumentState* state)
{
    if (!state->devMode) return 0;
    DWORD size = static_cast<DWORD>(GlobalSize(state->devMode));
    BYTE* block = static_cast<BYTE*>(GlobalLock(state->devMode));
    if (!block) return ErrOutOfMemory;
    int result = WriteRecord(file, kOpDevMode, size, block);
    GlobalUnlock(state->devMode);
    return result;
}

int WriteColorList(HFILE file, DocumentState* state)
{
    HGLOBAL record = nullptr;
    if (int err = LoadRecord(state->storeSlot, RecDocument, RecColorListId, &record)) return err;
    LONG payload = GetBlockSize(record) - kBlockHeaderSize;
    BYTE* block = static_cast<BYTE*>(GlobalLock(record));
    int result = 0;
    if (!block) {
        result = ErrOutOfMemory;
    } else {
        INT32 count = 0;
        if (payload >= 4) std::memcpy(&count, block + kBlockHeaderSize, 4);
        int fit = payload >= 4 ? static_cast<int>((payload - 4) / 4) : 0;
        count = std::max(0, std::min<int>(count, std::min(kMaxColors, fit)));
        BYTE data[2 + 4 * kMaxColors];
        INT16 shortCount = static_cast<INT16>(count);
        std::memcpy(data, &shortCount, 2);
        std::memcpy(data + 2, block + kBlockHeaderSize + 4, 4 * count);
        GlobalUnlock(record);
        result = WriteRecord(file, kOpColorList, 2 + 4 * count, data);
    }
    ReleaseBlock(record);
    return result;
}

int WritePageBlock(HFILE file, DocumentState* state)
{
    PageBlockRecord r = {};
    r.flags = static_cast<WORD>(state->flags);
    r.scrollX = static_cast<INT16>(state->scrollX);
    r.scrollY = static_cast<INT16>(state->scrollY);
    r.zoom = static_cast<INT16>(state->zoom);
    r.zoomFlags = static_cast<WORD>(state->zoomFlags);
    r.savedBackground = static_cast<DWORD>(state->savedBackground);
    int result = WriteRecord(file, kOpPageBlock, sizeof(r), &r);
    if (!result) result = WritePageSetup(file, state);
    if (!result) {
        char name[kMaxPathChars + 1];
        size_t n = strnlen(state->deviceName, kMaxPathChars);
        std::memcpy(name, state->deviceName, n);
        name[n] = 0;
        result = WriteRecord(file, kOpDeviceName, static_cast<DWORD>(n + 1), name);
    }
    if (!result && state->libraryAtom) {
        char path[kMaxPathChars + 1] = {};
        UINT n = GlobalGetAtomNameA(state->libraryAtom, path, sizeof(path));
        if (n > 0 && path[0]) result = WriteRecord(file, kOpLibraryPath, static_cast<DWORD>(strlen(path) + 1), path);
    }
    if (!result) result = WriteDevMode(file, state);
    if (!result) result = WriteFontTable(file, state);
    if (!result) result = WriteColorList(file, state);
    if (!result) result = WriteRecord(file, BlockEndOpcode(kOpPageBlock), 0, nullptr);
    return result;
}

}  // namespace

// ---- shared with the symbol stream

int BeginStreamSource(HFILE file, const char* path, HGLOBAL image, DWORD limit, DWORD skip, HFILE* source,
                      HFILE* opened)
{
    *opened = HFILE_ERROR;
    *source = file;
    if (image) {
        BeginMemoryStream(image, limit);
        if (!MemoryStreamActive()) return ErrOutOfMemory;
        BYTE scratch[16];
        while (skip > 0) {
            DWORD piece = std::min<DWORD>(skip, sizeof(scratch));
            if (ReadMemoryBytes(scratch, piece) != static_cast<int>(piece)) break;
            skip -= piece;
        }
        return 0;
    }
    if (file != HFILE_ERROR) return 0;
    OFSTRUCT of;
    *opened = OpenFile(path, &of, OF_READ | OF_SHARE_DENY_NONE);
    if (*opened == HFILE_ERROR) return 1;
    *source = *opened;
    return 0;
}

void EndStreamSource(HFILE opened)
{
    EndMemoryStream();
    if (opened != HFILE_ERROR) _lclose(opened);
    EndRecordBuffer();
}

static int BeginStreamSink(const char* path, BOOL toImage, HFILE* sink)
{
    *sink = HFILE_ERROR;
    if (toImage) return BeginMemoryImageWrite();
    OFSTRUCT of;
    *sink = OpenFile(path, &of, OF_READWRITE | OF_SHARE_EXCLUSIVE);
    if (*sink == HFILE_ERROR) *sink = OpenFile(path, &of, OF_CREATE | OF_READWRITE | OF_SHARE_EXCLUSIVE);
    return *sink == HFILE_ERROR ? 1 : 0;
}

static int EndStreamSink(HFILE sink, int result, HGLOBAL* image, DWORD* imageLength)
{
    if (MemoryStreamActive()) {
        DWORD total = 0;
        HGLOBAL written = EndMemoryImageWrite(result == 0, &total);
        if (image) *image = written;
        if (imageLength) *imageLength = written ? total : 0;
    } else if (sink != HFILE_ERROR) {
        // An older, longer file at the path must not keep its tail behind the new end.
        if (!result) {
            LONG end = _llseek(sink, 0, FILE_CURRENT);
            if (end < 0 || SetFileSize(sink, end)) result = ErrStreamShortWrite;
        }
        _lclose(sink);
    }
    EndRecordBuffer();
    return result;
}

int ReadStreamHeader(HFILE file, BOOL* older)
{
    if (older) *older = FALSE;
    if (!ReadSignature(file)) return ErrStreamBadHeader;
    WORD opcode = 0;
    DWORD length = 0;
    if (int err = ReadRecord(file, &opcode, &length)) return err;
    if (opcode != kOpHeader || length < sizeof(StreamHeader)) return ErrStreamBadHeader;
    StreamHeader h = RecordAs<StreamHeader>();
    if (h.version > kFormatVersion) return ErrLaterVersion;
    // Every coordinate is divided by the resolution.
    if (h.resolution == 0) return ErrStreamBadHeader;
    g_olderFile = h.generation < kWriterGeneration;
    if (older) *older = g_olderFile;
    g_fileResolution = h.resolution;
    return 0;
}

int WriteStreamHeader(HFILE file)
{
    int result = 0;
    if (MemoryStreamActive()) {
        if (AppendMemoryBytes(kDrawingSignature, kSignatureLength) != kSignatureLength) result = ErrStreamShortWrite;
    } else if (_lwrite(file, kDrawingSignature, kSignatureLength) != kSignatureLength) {
        result = ErrStreamShortWrite;
    }
    if (result) return result;
    const StreamHeader h = {kWriterGeneration, 300, 1, kFormatVersion, 100, kFileUnitsPerInch};
    return WriteRecord(file, kOpHeader, sizeof(h), &h);
}

// ---- the operations

int ReadDrawingFile(HFILE file, const char* path, HGLOBAL image, DWORD imageLength, HWND view,
                    DocumentState* state, BOOL* older, BOOL fromTemplate)
{
    if (older) *older = FALSE;
    g_readDamage = ReadDamage{};
    if (int err = BeginRecordBuffer()) return err;
    HFILE source = HFILE_ERROR, opened = HFILE_ERROR;
    int result = BeginStreamSource(file, path, image, imageLength, 0, &source, &opened);
    if (!result) result = ReadStreamHeader(source, older);
    if (!result) result = ReadDrawingContent(source, view, state, fromTemplate);
    EndStreamSource(opened);
    return result;
}

int WriteStreamWith(const char* path, HGLOBAL* image, DWORD* imageLength, DocumentState* state,
                    int (*content)(HFILE file, DocumentState* state))
{
    if (image) *image = nullptr;
    if (imageLength) *imageLength = 0;
    if (int err = BeginRecordBuffer()) return err;
    HFILE sink = HFILE_ERROR;
    int result = BeginStreamSink(path, image != nullptr, &sink);
    if (result) {
        EndRecordBuffer();
        return result;
    }
    result = WriteStreamHeader(sink);
    if (!result) result = content(sink, state);
    if (!result) result = WriteRecord(sink, BlockEndOpcode(kOpHeader), 0, nullptr);
    return EndStreamSink(sink, result, image, imageLength);
}

int WriteDrawingFile(const char* path, HGLOBAL* image, DWORD* imageLength, DocumentState* state)
{
    return WriteStreamWith(path, image, imageLength, state, [](HFILE file, DocumentState* s) {
        int result = WritePreview(file, s);
        if (!result) result = WritePageBlock(file, s);
        if (!result) result = WriteDrawingBlock(file, s, FALSE);
        return result;
    });
}

int ProbeDrawingFile(const char* path, HGLOBAL* preview)
{
    if (preview) *preview = nullptr;
    OFSTRUCT of;
    HFILE file = OpenFile(path, &of, OF_READ | OF_SHARE_DENY_NONE);
    if (file == HFILE_ERROR) return -1;
    int result = ReadSignature(file) ? 1 : 0;
    if (result && preview) {
        // Without a buffer the preview cannot be checked, so none is promised.
        result = 0;
        if (!BeginRecordBuffer()) {
            WORD opcode = 0;
            DWORD length = 0;
            if (!ReadRecord(file, &opcode, &length) && opcode == kOpHeader && length >= sizeof(StreamHeader)) {
                StreamHeader h = RecordAs<StreamHeader>();
                if (h.version <= kFormatVersion && !ReadRecord(file, &opcode, &length) && opcode == kOpPreview) {
                    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, std::max<DWORD>(length, 1));
                    BYTE* bytes = block ? static_cast<BYTE*>(GlobalLock(block)) : nullptr;
                    if (bytes) {
                        std::memcpy(bytes, RecordData(), length);
                        GlobalUnlock(block);
                        *preview = block;
                        result = 1;
                    } else if (block) {
                        GlobalFree(block);
                    }
                }
            }
            EndRecordBuffer();
        }
    }
    _lclose(file);
    return result;
}
