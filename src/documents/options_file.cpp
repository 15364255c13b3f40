// The options file: writer, reader with the rules for earlier writers, and the start-up load
// with its fallbacks to older option files.
#include "documents/options_file.h"

#include <cmath>
#include <cstring>

#include "documents/older_options.h"
#include "documents/options.h"
#include "documents/record_stream.h"
#include "documents/recent_files.h"
#include "libraries/last_library.h"
#include "model/resource_strings.h"
#include "resource.h"
#include "store/file_ops.h"
#include "store/results.h"
#include "store/store_compact.h"
#include "store/store_directory.h"
#include "store/store_records.h"

int g_optionsWriteLimit = -1;

namespace {

constexpr char kSignature[] = "VXLROPTI";
constexpr int kSignatureLength = 8;
constexpr int kPathLength = 261;
constexpr int kFaceLength = 31;

// ---- Writing --------------------------------------------------------------------------------

class OptionsWriter {
public:
    explicit OptionsWriter(HFILE file) : file_(file) {}

    int Put(WORD opcode, DWORD length = 0, const void* data = nullptr)
    {
        if (g_optionsWriteLimit >= 0 && written_ >= g_optionsWriteLimit) return ErrStreamShortWrite;
        ++written_;
        return WriteRecord(file_, opcode, length, data);
    }
    int PutString(WORD opcode, const char* text)
    {
        char bounded[kPathLength + 1];
        lstrcpynA(bounded, text, sizeof bounded);
        return Put(opcode, static_cast<DWORD>(std::strlen(bounded) + 1), bounded);
    }
    int PutPath(WORD index, const char* path)
    {
        BYTE data[2 + kPathLength + 1];
        std::memcpy(data, &index, 2);
        lstrcpynA(reinterpret_cast<char*>(data + 2), path, kPathLength + 1);
        return Put(OptPath, static_cast<DWORD>(std::strlen(reinterpret_cast<char*>(data + 2)) + 3), data);
    }

private:
    HFILE file_;
    int written_ = 0;
};

OptionsFont PackFont(const LOGFONTA& font)
{
    OptionsFont packed = {};
    std::memcpy(packed.logFont, &font, sizeof packed.logFont);
    lstrcpynA(packed.face, font.lfFaceName, sizeof font.lfFaceName);
    return packed;
}

int WriteGeneral(OptionsWriter& w, const Settings& s)
{
    OptionsGeneral g = {};
    g.printOptions = s.printOptions;
    g.flags = static_cast<WORD>(s.flags);
    g.exportType = static_cast<INT16>(s.exportType);
    g.importType = static_cast<INT16>(s.importType);
    g.nextTip = static_cast<INT16>(s.nextTip);
    g.footerLift = static_cast<INT16>(s.footerLift);
    g.borderWidth = static_cast<INT16>(s.defaults.defaultBorderWidth);
    g.lineWidth = static_cast<INT16>(s.defaults.defaultLineWidth);
    g.textSize = static_cast<INT16>(s.defaults.defaultTextSize);
    g.textStyle = static_cast<INT16>(s.defaults.defaultTextStyle);
    g.alignH = static_cast<INT16>(s.defaults.defaultTextAlignH);
    g.alignV = static_cast<INT16>(s.defaults.defaultTextAlignV);
    g.charSet = static_cast<INT16>(s.defaults.defaultFontKey);
    g.quickPreview = static_cast<INT16>(s.quickPreview);
    g.symbolCell = s.symbolCell;
    g.symbolFont = static_cast<INT16>(s.symbolFont);
    g.attachmentOptions = static_cast<INT16>(s.attachmentOptions);
    g.lastAttachmentKind = static_cast<INT16>(s.lastAttachmentKind);
    return w.Put(OptGeneral, sizeof g, &g);
}

int WriteLibraries(OptionsWriter& w, const Settings& s)
{
    if (int r = w.Put(OptLibraries, 0, nullptr)) return r;
    for (const LibraryWindowSettings& e : s.libraries) {
        OptionsLibraryEntry entry = {static_cast<INT16>(e.sizeA), static_cast<INT16>(e.sizeB),
                                     static_cast<INT16>(e.left),  static_cast<INT16>(e.top),
                                     static_cast<INT16>(e.open),  static_cast<INT16>(e.minimised)};
        if (int r = w.Put(OptLibraryEntry, sizeof entry, &entry)) return r;
        if (int r = w.PutString(OptLibraryFolder, e.folder)) return r;
        if (int r = w.PutString(OptLibraryFile, e.file)) return r;
    }
    return w.Put(BlockEndOpcode(OptLibraries));
}

int WriteTools(OptionsWriter& w, const Settings& s)
{
    if (int r = w.Put(OptTools, 0, nullptr)) return r;
    for (const ToolSlot& t : s.tools) {
        OptionsToolSlot slot = {static_cast<INT16>(t.width),   static_cast<INT16>(t.height),
                                static_cast<INT16>(t.objClass), static_cast<INT16>(t.subtype),
                                static_cast<INT16>(t.growMode), t.adjustment};
        if (int r = w.Put(OptToolSlot, sizeof slot, &slot)) return r;
    }
    return w.Put(BlockEndOpcode(OptTools));
}

int WriteColors(OptionsWriter& w, const Settings& s)
{
    BYTE data[2 + 4 * kStandardColors];
    INT16 count = kStandardColors;
    std::memcpy(data, &count, 2);
    std::memcpy(data + 2, s.standardColors, 4 * kStandardColors);
    return w.Put(OptColors, sizeof data, data);
}

int WriteStyles(OptionsWriter& w)
{
    if (!g_styleTable) return 0;
    auto* table = static_cast<StyleTable*>(GlobalLock(g_styleTable));
    if (!table) return 0;
    int count = table->count;
    if (count < 0 || StyleTableBytes(count) > GlobalSize(g_styleTable)) count = 0;
    INT16 head[2] = {static_cast<INT16>(count), static_cast<INT16>(table->current)};
    int r = w.Put(OptStyles, sizeof head, head);
    for (int i = 0; i < count && !r; ++i) {
        const StyleRecord& style = StyleEntries(table)[i];
        OptionsStyleShadow shadow = {static_cast<INT16>(style.shadowDx), static_cast<INT16>(style.shadowDy),
                                     static_cast<INT16>(style.shadowStyle), static_cast<INT16>(style.shadowClassMask)};
        OptionsStyleColors colors = {7, {style.borderColor, style.lineColor, style.fillColor, style.textColor,
                                         style.shadowColor, style.backgroundColor, style.highlightColor}};
        char name[sizeof style.name];
        lstrcpynA(name, style.name, sizeof name);
        r = w.Put(OptStyleShadow, sizeof shadow, &shadow);
        if (!r) r = w.Put(OptStyleColors, sizeof colors, &colors);
        if (!r) r = w.PutString(OptStyleName, name);
    }
    GlobalUnlock(g_styleTable);
    return r ? r : w.Put(BlockEndOpcode(OptStyles));
}

int WriteSymbolFonts(OptionsWriter& w)
{
    int count = g_symbolFonts.fonts ? g_symbolFonts.count : 0;
    if (count < 0 || count * sizeof(LOGFONTA) > GlobalSize(g_symbolFonts.fonts)) count = 0;
    INT16 head = static_cast<INT16>(count);
    if (int r = w.Put(OptSymbolFonts, sizeof head, &head)) return r;
    auto* fonts = count > 1 ? static_cast<LOGFONTA*>(GlobalLock(g_symbolFonts.fonts)) : nullptr;
    int r = 0;
    for (int i = 1; fonts && i < count && !r; ++i) {
        OptionsFont font = PackFont(fonts[i]);
        r = w.Put(OptFont, sizeof font, &font);
    }
    if (fonts) GlobalUnlock(g_symbolFonts.fonts);
    return r ? r : w.Put(OptSymbolFontsEnd);
}

int WriteOptionsRecords(HFILE file)
{
    if (_lwrite(file, kSignature, kSignatureLength) != kSignatureLength) return ErrStreamShortWrite;
    OptionsWriter w(file);
    const Settings& s = *g_settings;
    OptionsHeader header = {3, 300, 2, 3, 100, 600};
    if (int r = w.Put(OptHeader, sizeof header, &header)) return r;
    if (int r = WriteGeneral(w, s)) return r;
    OptionsFont footer = PackFont(s.footerFont);
    if (int r = w.Put(OptFont, sizeof footer, &footer)) return r;
    OptionsRuler ruler = {static_cast<INT16>(s.ruler.rulersShown), static_cast<INT16>(s.ruler.screenUnit),
                          s.ruler.scaleBase, static_cast<INT16>(s.ruler.divisions), s.ruler.shownValue,
                          static_cast<INT16>(s.ruler.unit)};
    if (int r = w.Put(OptRuler, sizeof ruler, &ruler)) return r;
    char face[sizeof s.defaults.defaultFace];
    lstrcpynA(face, s.defaults.defaultFace, sizeof face);
    if (int r = w.PutString(OptFace, face)) return r;
    const char* paths[] = {s.openFolder, s.exportFolder, s.importFolder, s.libraryFolder,
                           s.templateFolder, s.defaultLibrary, s.searchKeywords};
    for (WORD i = 0; i < 7; ++i)
        if (int r = w.PutPath(i, paths[i])) return r;
    char lastLibrary[MAX_PATH];
    if (LastLibraryAtom && GlobalGetAtomNameA(LastLibraryAtom, lastLibrary, sizeof lastLibrary))
        if (int r = w.PutPath(7, lastLibrary)) return r;
    if (int r = WriteLibraries(w, s)) return r;
    if (int r = WriteTools(w, s)) return r;
    if (int r = WriteColors(w, s)) return r;
    if (int r = WriteStyles(w)) return r;
    if (const RecentFiles* recent = g_recentFiles) {
        for (int i = 0; i < recent->count && i < kMaxRecentFiles; ++i) {
            int slot = recent->order[i];
            if (slot < 0 || slot >= kMaxRecentFiles) continue;
            if (int r = w.PutString(OptRecentFile, recent->paths[slot])) return r;
        }
    }
    if (int r = WriteSymbolFonts(w)) return r;
    return w.Put(OptEnd);
}

// ---- Reading --------------------------------------------------------------------------------

// The data of the record last read, read only within its length: a field the record does not
// hold leaves its destination as it was.
class RecordFields {
public:
    RecordFields() : data_(RecordData()), length_(RecordLength()) {}
    DWORD length() const { return length_; }
    bool Has(DWORD offset, DWORD size) const { return data_ && offset + size <= length_; }
    void I16(DWORD offset, INT32* destination) const
    {
        INT16 v;
        if (Copy(offset, &v, 2)) *destination = v;
    }
    void U16(DWORD offset, DWORD* destination) const
    {
        WORD v;
        if (Copy(offset, &v, 2)) *destination = v;
    }
    void F64(DWORD offset, double* destination) const { Copy(offset, destination, 8); }
    bool Copy(DWORD offset, void* destination, DWORD size) const
    {
        if (!Has(offset, size)) return false;
        std::memcpy(destination, data_ + offset, size);
        return true;
    }
    // The text from `offset`, stopped at its terminator, the record's end or `limit`
    // characters.
    void String(DWORD offset, char* destination, DWORD limit) const
    {
        DWORD n = 0;
        while (n < limit && offset + n < length_ && data_[offset + n]) {
            destination[n] = static_cast<char>(data_[offset + n]);
            ++n;
        }
        destination[n] = '\0';
    }

private:
    const BYTE* data_;
    DWORD length_;
};

void ReadGeneral(Settings& s)
{
    RecordFields f;
    DWORD printOptions = s.printOptions;
    f.U16(0, &printOptions);
    s.printOptions = static_cast<WORD>(printOptions);
    f.U16(2, &s.flags);
    f.I16(4, &s.exportType);
    f.I16(6, &s.importType);
    f.I16(8, &s.nextTip);
    // A negative tip would show a string outside the tips.
    if (s.nextTip < 0) s.nextTip = 0;
    f.I16(10, &s.footerLift);
    f.I16(16, &s.defaults.defaultBorderWidth);
    f.I16(18, &s.defaults.defaultLineWidth);
    f.I16(20, &s.defaults.defaultTextSize);
    f.I16(22, &s.defaults.defaultTextStyle);
    f.I16(24, &s.defaults.defaultTextAlignH);
    f.I16(26, &s.defaults.defaultTextAlignV);
    f.I16(28, &s.defaults.defaultFontKey);
    if (f.length() >= sizeof(OptionsGeneral)) {
        f.I16(30, &s.quickPreview);
        INT32 cell = s.symbolCell;
        f.I16(32, &cell);
        s.symbolCell = static_cast<INT16>(cell);
        f.I16(34, &s.symbolFont);
        f.I16(36, &s.attachmentOptions);
        f.I16(38, &s.lastAttachmentKind);
    }
    if (g_olderFile) s.flags |= SetTemplateDialog;
}

void ReadFont(LOGFONTA* font)
{
    RecordFields f;
    BYTE head[28];
    std::memcpy(head, font, sizeof head);
    f.Copy(0, head, f.length() < sizeof head ? f.length() : sizeof head);
    std::memcpy(font, head, sizeof head);
    if (f.length() > 28) f.String(28, font->lfFaceName, kFaceLength);
}

void ReadRuler(RulerSettings& ruler)
{
    RecordFields f;
    f.I16(0, &ruler.rulersShown);
    f.I16(2, &ruler.screenUnit);
    f.F64(4, &ruler.scaleBase);
    f.I16(12, &ruler.divisions);
    if (f.length() >= sizeof(OptionsRuler)) {
        f.F64(14, &ruler.shownValue);
        f.I16(22, &ruler.unit);
    } else {
        // Earlier writers kept no unit: a scale of exactly 100 % was inches, anything else
        // centimetres at 100 %.
        ruler.shownValue = 1.0;
        if (ruler.scaleBase == 100.0) {
            ruler.unit = 1;
            ruler.screenUnit = 1;
        } else {
            ruler.unit = 4;
            ruler.screenUnit = 0;
            ruler.scaleBase = 100.0;
        }
    }
    // The rulers divide by both later.
    const int d = ruler.divisions;
    if (!std::isfinite(ruler.scaleBase) || ruler.scaleBase <= 0 || (d != 8 && d != 10 && d != 12 && d != 16)) {
        ruler.scaleBase = 100.0;
        ruler.divisions = 12;
    }
}

void ReadPath(Settings& s)
{
    if (g_olderFile) return;
    RecordFields f;
    DWORD index = 0xFFFF;
    f.U16(0, &index);
    char path[kPathLength + 1];
    f.String(2, path, kPathLength);
    char* fields[] = {s.openFolder, s.exportFolder, s.importFolder, s.libraryFolder,
                      s.templateFolder, s.defaultLibrary, s.searchKeywords};
    if (index < 7) {
        lstrcpynA(fields[index], path, 262);
    } else if (index == 7) {
        if (LastLibraryAtom) GlobalDeleteAtom(LastLibraryAtom);
        LastLibraryAtom = path[0] ? GlobalAddAtomA(path) : 0;
    }
}

void ReadColors(Settings& s)
{
    RecordFields f;
    DWORD count = 0;
    f.U16(0, &count);
    if (count > kStandardColors) count = kStandardColors;
    if (f.length() >= 2 && count > (f.length() - 2) / 4) count = (f.length() - 2) / 4;
    f.Copy(2, s.standardColors, count * 4);
}

// Reads the records of a block up to `endOpcode`, handing each to `handle`; nested blocks are
// skipped to their end markers.
template <typename Handler>
int ReadBlock(HFILE file, WORD endOpcode, Handler handle)
{
    for (;;) {
        WORD opcode = 0;
        DWORD length = 0;
        if (int r = ReadRecord(file, &opcode, &length)) return r;
        if (opcode == endOpcode) return 0;
        if (opcode & kRecordBlock) {
            if (int r = SkipBlock(file, BlockEndOpcode(opcode))) return r;
            continue;
        }
        handle(opcode);
    }
}

int ReadLibraries(HFILE file, Settings& s)
{
    int index = -1;
    const bool older = g_olderFile;
    return ReadBlock(file, BlockEndOpcode(OptLibraries), [&](WORD opcode) {
        if (older) return;
        if (opcode == OptLibraryEntry) ++index;
        if (index < 0 || index >= kLibraryEntries) return;
        LibraryWindowSettings& e = s.libraries[index];
        RecordFields f;
        if (opcode == OptLibraryEntry) {
            f.I16(0, &e.sizeA);
            f.I16(2, &e.sizeB);
            f.I16(4, &e.left);
            f.I16(6, &e.top);
            f.I16(8, &e.open);
            f.I16(10, &e.minimised);
        } else if (opcode == OptLibraryFolder) {
            f.String(0, e.folder, kPathLength);
        } else if (opcode == OptLibraryFile) {
            f.String(0, e.file, kPathLength);
        }
    });
}

// Class and subtype index the class handlers' tables.
bool ToolSlotUsable(const ToolSlot& t)
{
    if (t.objClass < 0 || t.objClass > 3 || t.subtype < 0) return false;
    return t.subtype <= (t.objClass == 0 ? 26 : 3);
}

int ReadTools(HFILE file, Settings& s)
{
    int n = 0;
    return ReadBlock(file, BlockEndOpcode(OptTools), [&](WORD opcode) {
        if (opcode != OptToolSlot) return;
        int record = n++;
        // A previous version had one slot fewer before the line array: its records 0-2 are
        // not ours and its record 3 onwards land one slot further.
        int target = g_olderFile ? (record < 3 ? -1 : record + 1) : record;
        if (target < 0 || target >= kToolSlots) return;
        ToolSlot t = s.tools[target];
        RecordFields f;
        f.I16(0, &t.width);
        f.I16(2, &t.height);
        f.I16(4, &t.objClass);
        f.I16(6, &t.subtype);
        f.I16(8, &t.growMode);
        f.F64(10, &t.adjustment);
        if (ToolSlotUsable(t)) s.tools[target] = t;
    });
}

int ReadStyles(HFILE file)
{
    RecordFields head;
    INT32 count = 0, current = -1;
    head.I16(0, &count);
    head.I16(2, &current);
    // A table without styles or with a default outside them would break every new drawing.
    if (!head.Has(0, 4) || count < 1 || current < 0 || current >= count)
        return SkipBlock(file, BlockEndOpcode(OptStyles));
    if (ResizeStyleTable(count)) return kBlockNotResized;
    auto* table = static_cast<StyleTable*>(GlobalLock(g_styleTable));
    if (!table) return kBlockNotResized;
    table->count = count;
    table->current = current;
    StyleRecord* entries = StyleEntries(table);
    int index = -1;
    int r = ReadBlock(file, BlockEndOpcode(OptStyles), [&](WORD opcode) {
        if (opcode == OptStyleShadow) ++index;
        if (index < 0 || index >= count) return;
        StyleRecord& style = entries[index];
        RecordFields f;
        if (opcode == OptStyleShadow) {
            f.I16(0, &style.shadowDx);
            f.I16(2, &style.shadowDy);
            f.I16(4, &style.shadowStyle);
            f.I16(6, &style.shadowClassMask);
        } else if (opcode == OptStyleColors) {
            INT32 n = 0;
            f.I16(0, &n);
            if (n > 7) n = 7;
            COLORREF* colors[7] = {&style.borderColor, &style.lineColor, &style.fillColor, &style.textColor,
                                   &style.shadowColor, &style.backgroundColor, &style.highlightColor};
            for (int i = 0; i < n; ++i) f.Copy(2 + 4 * i, colors[i], 4);
        } else if (opcode == OptStyleName) {
            f.String(0, style.name, kFaceLength);
        }
    });
    GlobalUnlock(g_styleTable);
    return r;
}

int ReadSymbolFonts(HFILE file)
{
    RecordFields head;
    INT32 count = 0;
    head.I16(0, &count);
    if (count > kMaxSymbolFonts) count = kMaxSymbolFonts;
    int limit = count;
    if (count > 1) {
        HGLOBAL fonts = g_symbolFonts.fonts
            ? GlobalReAlloc(g_symbolFonts.fonts, count * sizeof(LOGFONTA), GMEM_MOVEABLE | GMEM_ZEROINIT)
            : nullptr;
        if (fonts)
            g_symbolFonts.fonts = fonts;
        else
            limit = g_symbolFonts.count;
    }
    // Never more entries than the block holds.
    int capacity = g_symbolFonts.fonts ? static_cast<int>(GlobalSize(g_symbolFonts.fonts) / sizeof(LOGFONTA)) : 0;
    if (limit > capacity) limit = capacity;
    int next = 1;
    int r = ReadBlock(file, OptSymbolFontsEnd, [&](WORD opcode) {
        if (opcode != OptFont || next >= limit) return;
        auto* fonts = static_cast<LOGFONTA*>(GlobalLock(g_symbolFonts.fonts));
        if (!fonts) return;
        ReadFont(&fonts[next++]);
        GlobalUnlock(g_symbolFonts.fonts);
    });
    if (g_symbolFonts.fonts) g_symbolFonts.count = next;
    return r;
}

int ReadOptionsRecords(HFILE file)
{
    char signature[kSignatureLength];
    if (_lread(file, signature, kSignatureLength) != kSignatureLength ||
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, signature, kSignatureLength, kSignature,
                       kSignatureLength) != CSTR_EQUAL)
        return ErrStreamBadHeader;
    WORD opcode = 0;
    DWORD length = 0;
    if (ReadRecord(file, &opcode, &length) || opcode != OptHeader || length < sizeof(OptionsHeader))
        return ErrStreamBadHeader;
    OptionsHeader header;
    std::memcpy(&header, RecordData(), sizeof header);
    const WORD version = static_cast<WORD>(header.formatVersion);
    if (version == 1 || version > 3) return ErrStreamVersion;
    g_olderFile = header.generation == 2;
    g_fileResolution = header.resolution2;

    Settings& s = *g_settings;
    for (;;) {
        if (int r = ReadRecord(file, &opcode, &length)) return r;
        int r = 0;
        switch (opcode) {
        case OptGeneral: ReadGeneral(s); break;
        case OptFont: ReadFont(&s.footerFont); break;
        case OptRuler: ReadRuler(s.ruler); break;
        case OptFace: RecordFields().String(0, s.defaults.defaultFace, kFaceLength); break;
        case OptPath: ReadPath(s); break;
        case OptRecentFile: {
            char path[kPathLength + 1];
            RecordFields().String(0, path, kPathLength);
            AppendRecentFile(path);
            break;
        }
        case OptColors: ReadColors(s); break;
        case OptLibraries: r = ReadLibraries(file, s); break;
        case OptTools: r = ReadTools(file, s); break;
        case OptStyles: r = ReadStyles(file); break;
        case OptSymbolFonts: r = ReadSymbolFonts(file); break;
        case OptEnd: return 0;
        default:
            if (opcode & kRecordBlock) r = SkipBlock(file, BlockEndOpcode(opcode));
            break;
        }
        if (r) return r;
    }
}

// The folder of `path` with its closing backslash, or empty for a bare name.
void FolderOf(const char* path, char* folder)
{
    lstrcpynA(folder, path, MAX_PATH);
    char* slash = std::strrchr(folder, '\\');
    if (slash)
        slash[1] = '\0';
    else
        folder[0] = '\0';
}

// ---- Loading --------------------------------------------------------------------------------

// Imports the options of an older store-format file; stops at the first record that does not
// load, keeping what came before.
void ImportStoreOptions(int slot)
{
    for (int id = 100; id <= 102; ++id) {
        HGLOBAL block = nullptr;
        if (LoadRecord(slot, 51, id, &block)) return;
        DWORD size = static_cast<DWORD>(GlobalSize(block));
        LONG stored = GetBlockSize(block);
        if (stored > 0 && static_cast<DWORD>(stored) < size) size = static_cast<DWORD>(stored);
        const BYTE* bytes = static_cast<const BYTE*>(GlobalLock(block));
        int r = bytes && size >= sizeof(BlockHeader) ? 0 : 1;
        if (!r) {
            const BYTE* payload = bytes + sizeof(BlockHeader);
            DWORD payloadSize = size - sizeof(BlockHeader);
            if (id == 100)
                ConvertOldSettings(g_settings, payload, payloadSize);
            else if (id == 101)
                ConvertOldRecentFiles(g_recentFiles, payload, payloadSize);
            else
                r = ImportPackedStyleTable(payload, payloadSize);
        }
        if (bytes) GlobalUnlock(block);
        ReleaseBlock(block);
        if (r) return;
    }
}

bool ImportStoreFile(const char* path)
{
    if (!path[0]) return false;
    int slot = -1, version = 0;
    if (OpenStoreFile(path, &slot, 0, &version, TRUE)) {
        if (slot >= 0 && CheckStoreSlot(slot) == 0) CloseStore(slot);
        return false;
    }
    if (CheckStore(slot) == 0) ImportStoreOptions(slot);
    CloseStore(slot);
    return true;
}

}  // namespace

int WriteOptionsFile(const char* path)
{
    if (!g_settings) return 0;
    if (int r = BeginRecordBuffer()) return r;
    // The options are written beside the file and put in its place only when complete, so
    // that a failed write keeps the previous options.
    char folder[MAX_PATH], sibling[MAX_PATH];
    FolderOf(path, folder);
    int result = 1;
    if (GetTempFileNameA(folder[0] ? folder : ".", "VXO", 0, sibling)) {
        HFILE file = OpenFileMode(sibling, nullptr, OF_CREATE | OF_READWRITE);
        if (file != HFILE_ERROR) {
            result = WriteOptionsRecords(file);
            if (!result && !FlushFileBuffers(reinterpret_cast<HANDLE>(file))) result = ErrStreamShortWrite;
            _lclose(file);
            if (!result && !MoveFileExA(sibling, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                result = 1;
        }
        if (result) DeleteFileA(sibling);
    }
    EndRecordBuffer();
    return result;
}

int ReadOptionsFile(const char* path)
{
    if (!g_settings) return 1;
    if (int r = BeginRecordBuffer()) return r;
    HFILE file = OpenFileMode(path, nullptr, OF_READ);
    int result = 1;
    if (file != HFILE_ERROR) {
        result = ReadOptionsRecords(file);
        _lclose(file);
    }
    g_olderFile = FALSE;
    EndRecordBuffer();
    return result;
}

int LoadOptions(const char* optionsPath, HMENU menu, int firstCommandId)
{
    char given[MAX_PATH] = "";
    if (optionsPath && optionsPath[0]) {
        HFILE file = OpenFileMode(optionsPath, nullptr, OF_READ);
        if (file == HFILE_ERROR) file = OpenFileMode(optionsPath, nullptr, OF_CREATE);
        if (file != HFILE_ERROR) {
            _lclose(file);
            lstrcpynA(given, optionsPath, sizeof given);
        }
    }
    char path[MAX_PATH] = "", previous[MAX_PATH] = "", store[MAX_PATH] = "", olderStore[MAX_PATH] = "";
    if (given[0]) {
        lstrcpynA(path, given, sizeof path);
        lstrcpynA(previous, given, sizeof previous);
        lstrcpynA(store, given, sizeof store);
    } else {
        char windows[MAX_PATH] = "";
        UINT n = GetWindowsDirectoryA(windows, MAX_PATH - 1);
        if (n && n < MAX_PATH - 1 && windows[n - 1] != '\\') lstrcatA(windows, "\\");
        struct {
            UINT id;
            char* destination;
        } names[] = {{IDS_OPTIONS_FILE, path}, {IDS_OPTIONS_PREVIOUS, previous},
                     {IDS_OPTIONS_STORE, store}, {IDS_OPTIONS_STORE_OLDER, olderStore}};
        for (auto& name : names) {
            char text[261];
            if (LoadResString(name.id, text) == 0 && text[0] &&
                std::strlen(windows) + std::strlen(text) < MAX_PATH) {
                lstrcpyA(name.destination, windows);
                lstrcatA(name.destination, text);
            }
        }
    }
    if (g_optionsPathAtom) GlobalDeleteAtom(g_optionsPathAtom);
    g_optionsPathAtom = path[0] ? GlobalAddAtomA(path) : 0;

    if (int r = CreateDefaultSettings()) return r;

    if (ReadOptionsFile(path) != 0 && (!previous[0] || ReadOptionsFile(previous) != 0)) {
        if (!ImportStoreFile(store)) ImportStoreFile(olderStore);
    }

    if (menu) g_fileMenuBase = GetMenuItemCount(menu);
    if (g_recentFiles) g_recentFiles->firstMenuId = firstCommandId;
    g_standardColors = g_settings ? g_settings->standardColors : nullptr;
    return 0;
}

int SaveOptions()
{
    char path[MAX_PATH];
    if (!g_optionsPathAtom || !GlobalGetAtomNameA(g_optionsPathAtom, path, sizeof path)) return 0;
    return WriteOptionsFile(path);
}
