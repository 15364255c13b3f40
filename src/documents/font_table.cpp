// The font table of a drawing file.
#include "documents/font_table.h"

#include <cstring>

#include "documents/document_state.h"
#include "documents/record_stream.h"
#include "store/results.h"
#include "text/font_list.h"

namespace {

constexpr WORD kFontTableOpcode = 0x8006;
constexpr WORD kFontSlotOpcode = 7;
constexpr int kFaceChars = LF_FACESIZE - 1;

constexpr BYTE kFamilyRoman = 0x10;
constexpr BYTE kFamilySwiss = 0x20;
constexpr BYTE kFamilyModern = 0x30;
constexpr BYTE kFamilyDecorative = 0x50;
constexpr BYTE kSymbolCharset = 2;

// One rule of the face mapping: the names it takes, the name it gives (none keeps the name),
// and the family and character set a replacement is searched by.
struct FaceRule {
    const char* names[4];
    const char* replacement;
    BYTE family;
    BYTE charset;
};

const FaceRule kFaceRules[] = {
    {{"geneva", "san francisco", "toronto", "los angeles"}, nullptr, kFamilySwiss, 0},
    {{"mobile", "cairo"}, nullptr, kFamilyDecorative, kSymbolCharset},
    {{"monaco"}, nullptr, kFamilyModern, 0},
    {{"Avant Garde"}, "Century Gothic", kFamilySwiss, 0},
    {{"Times"}, "Times New Roman", kFamilyRoman, 0},
    {{"Helvetica"}, "Arial", kFamilySwiss, 0},
    {{"Courier"}, nullptr, kFamilyModern, 0},
    {{"Symbol"}, nullptr, kFamilyDecorative, kSymbolCharset},
    {{"Palatino"}, "Book Antigua", kFamilyRoman, 0},
    {{"Bookman"}, "Bookman Old Style", kFamilyRoman, 0},
    {{"New Century Schlbk"}, "Century Schoolbook", kFamilyRoman, 0},
    {{"N Helvetica Narrow"}, "Arial Narrow", kFamilySwiss, 0},
    {{"Zapf Dingbats"}, "Monotype Sorts", kFamilyDecorative, kSymbolCharset},
    {{"Zapf Chancery"}, "Monotype Corsiva", kFamilyRoman, 0},
    {{"Fences", "MT Extra"}, nullptr, kFamilyDecorative, kSymbolCharset},
};

// The rule a face name falls under; a name no rule takes is searched as roman, set 0.
const FaceRule* RuleFor(const char* face)
{
    for (const FaceRule& rule : kFaceRules) {
        for (const char* name : rule.names) {
            if (name && lstrcmpiA(name, face) == 0) return &rule;
        }
    }
    return nullptr;
}

// The first entry of the set whose family matches, else the last entry of the set; -1 when
// no entry has the set.
int SearchByFamily(HGLOBAL list, BYTE family, BYTE charset, BOOL* isSystem)
{
    *isSystem = FALSE;
    if (!list) return -1;
    auto* head = static_cast<FontListHead*>(GlobalLock(list));
    if (!head) return -1;
    int count = FontListUsableCount(list, head);
    const FontListEntry* entries = FontListEntries(head);
    int found = -1;
    for (int i = 0; i < count; ++i) {
        if (entries[i].logFont.lfCharSet != charset) continue;
        found = i;
        if ((entries[i].logFont.lfPitchAndFamily & 0xF0) == family) break;
    }
    if (found >= 0) {
        char name[LF_FACESIZE];
        lstrcpynA(name, entries[found].logFont.lfFaceName, LF_FACESIZE);
        *isSystem = lstrcmpiA(name, "System") == 0;
    }
    GlobalUnlock(list);
    return found;
}

}  // namespace

int MapForeignFontName(HGLOBAL list, char* face)
{
    const FaceRule* rule = RuleFor(face);
    if (rule && rule->replacement) lstrcpynA(face, rule->replacement, LF_FACESIZE);
    int index = FindFontByFace(list, face);
    if (index >= 0) return index;
    BOOL isSystem = FALSE;
    index = SearchByFamily(list, rule ? rule->family : kFamilyRoman, rule ? rule->charset : 0, &isSystem);
    if (isSystem) index = FindFontByFace(list, "Arial");
    if (index < 0) index = FindFontByFace(list, "Arial");
    if (index < 0) index = GetDefaultFontIndex(list);
    return index;
}

int ReadFontTable(HFILE file, HWND, DocumentState* state)
{
    INT16 announced = 0;
    if (RecordLength() >= sizeof(INT16)) memcpy(&announced, RecordData(), sizeof(INT16));
    int n = announced < 0 ? 0 : announced;

    SIZE_T size = sizeof(FontMapHead) + (SIZE_T)n * sizeof(INT32);
    HGLOBAL map = state->fontMap ? GlobalReAlloc(state->fontMap, size, GMEM_MOVEABLE)
                                 : GlobalAlloc(GMEM_MOVEABLE, size);
    if (!map) return ErrOutOfMemory;
    state->fontMap = map;
    auto* head = static_cast<FontMapHead*>(GlobalLock(map));
    if (!head) return ErrOutOfMemory;
    head->count = n;
    for (int i = 0; i < n; ++i) FontMapSlots(head)[i] = -1;
    GlobalUnlock(map);

    for (;;) {
        WORD opcode = 0;
        DWORD length = 0;
        int result = ReadRecord(file, &opcode, &length);
        if (result) return result;
        if (opcode == BlockEndOpcode(kFontTableOpcode)) return 0;
        if (opcode & kRecordBlock) {
            result = SkipBlock(file, BlockEndOpcode(opcode));
            if (result) return result;
            continue;
        }
        if (opcode != kFontSlotOpcode || length < 4) continue;
        const BYTE* data = RecordData();
        INT16 slot = 0;
        WORD charset = 0;
        memcpy(&slot, data, sizeof(slot));
        memcpy(&charset, data + 2, sizeof(charset));
        if (slot < 0 || slot >= n) continue;
        // The name is copied only as far as the record reaches, terminator or not.
        char face[LF_FACESIZE] = {};
        DWORD chars = length - 4 < (DWORD)kFaceChars ? length - 4 : (DWORD)kFaceChars;
        memcpy(face, data + 4, chars);
        face[chars] = 0;

        HGLOBAL list = state->fontList;
        int index = FindFontByFaceAndCharset(list, face, charset);
        if (index < 0) index = FindFontByFace(list, face);
        if (index < 0) index = MapForeignFontName(list, face);
        head = static_cast<FontMapHead*>(GlobalLock(map));
        if (!head) return ErrOutOfMemory;
        FontMapSlots(head)[slot] = index;
        GlobalUnlock(map);
    }
}

int WriteFontTable(HFILE file, DocumentState* state)
{
    HGLOBAL map = state->fontMap;
    auto* head = map ? static_cast<FontMapHead*>(GlobalLock(map)) : nullptr;
    int count = head ? FontMapUsableCount(map, head) : 0;
    INT16 n = (INT16)count;
    int result = WriteRecord(file, kFontTableOpcode, sizeof(n), &n);
    for (int slot = 0; slot < count && !result; ++slot) {
        int index = FontMapSlots(head)[slot];
        if (index < 0) continue;
        BYTE record[4 + LF_FACESIZE] = {};
        char face[LF_FACESIZE];
        int charset = 0;
        GetFontFaceName(state->fontList, nullptr, index, face, &charset);
        INT16 slotValue = (INT16)slot;
        WORD charsetValue = (WORD)charset;
        memcpy(record, &slotValue, sizeof(slotValue));
        memcpy(record + 2, &charsetValue, sizeof(charsetValue));
        DWORD nameLength = (DWORD)lstrlenA(face);
        memcpy(record + 4, face, nameLength + 1);
        result = WriteRecord(file, kFontSlotOpcode, 5 + nameLength, record);
    }
    if (head) GlobalUnlock(map);
    if (result) return result;
    return WriteRecord(file, BlockEndOpcode(kFontTableOpcode), 0, nullptr);
}
