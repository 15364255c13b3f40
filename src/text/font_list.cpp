// Font lists and document font maps.
#include "text/font_list.h"

#include <cstring>

#include "store/results.h"

BOOL g_trueTypeFound = FALSE;

namespace {

int g_windowsMajor = 0;   // 0: ask the system at the next use


int Room(SIZE_T size, SIZE_T head, SIZE_T entry)
{
    return size >= head ? (int)((size - head) / entry) : 0;
}

int Bounded(int count, int room) { return count < 0 ? 0 : (count < room ? count : room); }

// A list locked for reading, its count bounded by what the block really holds, so that a list
// from a damaged store record is never read past its end.
class ListLock {
public:
    explicit ListLock(HGLOBAL list) : list_(list)
    {
        if (!list_) return;
        head_ = static_cast<FontListHead*>(GlobalLock(list_));
        if (!head_) return;
        count_ = FontListUsableCount(list_, head_);
    }
    ~ListLock()
    {
        if (head_) GlobalUnlock(list_);
    }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;

    FontListHead* head() const { return head_; }
    FontListEntry* entries() const { return FontListEntries(head_); }
    int count() const { return count_; }

private:
    HGLOBAL list_;
    FontListHead* head_ = nullptr;
    int count_ = 0;
};

// A map locked for use, its count bounded by its block in the same way.
class MapLock {
public:
    explicit MapLock(HGLOBAL map) : map_(map)
    {
        if (!map_) return;
        head_ = static_cast<FontMapHead*>(GlobalLock(map_));
        if (!head_) return;
        room_ = Room(GlobalSize(map_), sizeof(FontMapHead), sizeof(INT32));
        count_ = FontMapUsableCount(map_, head_);
    }
    ~MapLock() { Unlock(); }
    MapLock(const MapLock&) = delete;
    MapLock& operator=(const MapLock&) = delete;

    void Unlock()
    {
        if (head_) GlobalUnlock(map_);
        head_ = nullptr;
    }
    FontMapHead* head() const { return head_; }
    INT32* slots() const { return FontMapSlots(head_); }
    int count() const { return count_; }
    int room() const { return room_; }

private:
    HGLOBAL map_;
    FontMapHead* head_ = nullptr;
    int count_ = 0;
    int room_ = 0;
};

// A LOGFONT's face name is 32 bytes that an enumerated face terminates but a stored one may
// not: compared as at most 31 characters.
BOOL SameFace(const char* logFontFace, const char* face)
{
    char bounded[LF_FACESIZE];
    lstrcpynA(bounded, logFontFace, LF_FACESIZE);
    return lstrcmpiA(bounded, face) == 0;
}

// Grows the list block by one entry and appends it: FALSE when the block cannot grow.
BOOL AppendEntry(HGLOBAL list, int count, const FontListEntry& entry)
{
    SIZE_T needed = sizeof(FontListHead) + (SIZE_T)(count + 1) * sizeof(FontListEntry);
    if (GlobalSize(list) < needed) {
        if (!GlobalReAlloc(list, needed, GMEM_MOVEABLE)) return FALSE;
    }
    auto* head = static_cast<FontListHead*>(GlobalLock(list));
    if (!head) return FALSE;
    FontListEntries(head)[count] = entry;
    head->count = count + 1;
    GlobalUnlock(list);
    return TRUE;
}

FontListEntry EnumeratedEntry(const LOGFONTA* logFont, DWORD fontType)
{
    FontListEntry entry{};
    entry.logFont = *logFont;
    entry.heightAtSize1 = 16;
    entry.averageWidth = 0;
    entry.cacheIndex = -1;
    if (fontType & RASTER_FONTTYPE) {
        entry.kind = kFontKindRaster;
    } else if (fontType & TRUETYPE_FONTTYPE) {
        entry.kind = kFontKindTrueType;
        g_trueTypeFound = TRUE;
    } else {
        entry.kind = kFontKindVector;
    }
    return entry;
}

// One enumerated face for a list: 1 to go on, 0 to stop. The newer interface lists a face once
// per character set and stops before the count reaches 1100; the older one lists a face once
// whatever its set and stops at 1100.
int ExamineFace(const LOGFONTA* logFont, DWORD fontType, HGLOBAL list, BOOL perCharset)
{
    if (!list || !logFont) return 0;
    int count = 0;
    {
        ListLock lock(list);
        if (!lock.head()) return 0;
        count = lock.count();
        const FontListEntry* entries = lock.entries();
        for (int i = 0; i < count; ++i) {
            if ((!perCharset || entries[i].logFont.lfCharSet == logFont->lfCharSet) &&
                SameFace(entries[i].logFont.lfFaceName, logFont->lfFaceName))
                return 1;
        }
    }
    int limit = perCharset ? kMaxFontListEntries - 1 : kMaxFontListEntries;
    if (count >= limit) return 0;
    return AppendEntry(list, count, EnumeratedEntry(logFont, fontType)) ? 1 : 0;
}

// The entry a device without enumerable faces still gets.
FontListEntry SystemEntry()
{
    FontListEntry entry{};
    entry.logFont.lfHeight = 12;
    entry.logFont.lfWidth = 6;
    entry.logFont.lfWeight = 400;
    entry.logFont.lfPitchAndFamily = 0x22;
    lstrcpynA(entry.logFont.lfFaceName, "System", LF_FACESIZE);
    entry.heightAtSize1 = 12;
    entry.averageWidth = 0;
    entry.kind = kFontKindRaster;
    entry.cacheIndex = -1;
    return entry;
}

int DefaultIndexOf(const ListLock& list)
{
    const FontListEntry* entries = list.entries();
    for (int i = 0; i < list.count(); ++i) {
        if (entries[i].logFont.lfCharSet == 0 && entries[i].kind == kFontKindTrueType) return i;
    }
    for (int i = 0; i < list.count(); ++i) {
        if (entries[i].logFont.lfCharSet == 0) return i;
    }
    return 0;
}

// Measures every entry from the second on at height 1 on the window's screen DC: 0, or 10004
// when a font cannot be made (the entries measured so far keep their values).
int MeasureEntries(HWND window, HGLOBAL list)
{
    ListLock lock(list);
    if (lock.count() < 2) return 0;
    HDC screen = GetDC(window);
    if (!screen) return ErrOutOfMemory;
    HGDIOBJ original = nullptr;
    HFONT current = nullptr;
    int result = 0;
    FontListEntry* entries = lock.entries();
    for (int i = 1; i < lock.count(); ++i) {
        LOGFONTA logFont = entries[i].logFont;
        logFont.lfHeight = 1;
        logFont.lfWidth = 0;
        HFONT font = CreateFontIndirectA(&logFont);
        if (!font) {
            result = ErrOutOfMemory;
            break;
        }
        HGDIOBJ previous = SelectObject(screen, font);
        if (current) {
            DeleteObject(current);
        } else {
            original = previous;
        }
        current = font;
        TEXTMETRICA metrics{};
        GetTextMetricsA(screen, &metrics);
        entries[i].heightAtSize1 = metrics.tmHeight < 16 ? metrics.tmHeight : 16;
        entries[i].averageWidth = metrics.tmAveCharWidth;
    }
    if (current) {
        SelectObject(screen, original);
        DeleteObject(current);
    }
    ReleaseDC(window, screen);
    return result;
}

}  // namespace

int FontListUsableCount(HGLOBAL list, const FontListHead* head)
{
    return Bounded(head->count, Room(GlobalSize(list), sizeof(FontListHead), sizeof(FontListEntry)));
}

int FontMapUsableCount(HGLOBAL map, const FontMapHead* head)
{
    return Bounded(head->count, Room(GlobalSize(map), sizeof(FontMapHead), sizeof(INT32)));
}

int FontWindowsVersion()
{
    if (!g_windowsMajor) g_windowsMajor = LOBYTE(LOWORD(GetVersion()));
    return g_windowsMajor;
}

void SetFontWindowsVersion(int major) { g_windowsMajor = major; }

int BuildFontList(HWND window, HDC dc, HGLOBAL list)
{
    g_trueTypeFound = FALSE;
    if (list) {
        ResetFontList(list);
        GlobalReAlloc(list, sizeof(FontListHead), GMEM_MOVEABLE);   // a movable block keeps its handle
    }
    UINT errorMode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    if (FontWindowsVersion() >= 4) {
        LOGFONTA every{};
        every.lfCharSet = DEFAULT_CHARSET;
        EnumFontFamiliesExA(dc, &every, ExamineFontFamilies, (LPARAM)list, 0);
    } else {
        EnumFontsA(dc, nullptr, ExamineFonts, (LPARAM)list);
    }
    SetErrorMode(errorMode);
    if (!list) return 0;

    int count = 0;
    {
        ListLock lock(list);
        if (!lock.head()) return ErrOutOfMemory;
        count = lock.count();
    }
    if (count == 0 && !AppendEntry(list, 0, SystemEntry())) return ErrOutOfMemory;
    {
        ListLock lock(list);
        if (!lock.head()) return ErrOutOfMemory;
        lock.head()->defaultIndex = DefaultIndexOf(lock);
    }
    return MeasureEntries(window, list);
}

int CALLBACK ExamineFontFamilies(const LOGFONTA* logFont, const TEXTMETRICA*, DWORD fontType, LPARAM listParam)
{
    return ExamineFace(logFont, fontType, reinterpret_cast<HGLOBAL>(listParam), TRUE);
}

extern "C" int CALLBACK ExamineFonts(const LOGFONTA* logFont, const TEXTMETRICA*, DWORD fontType, LPARAM listParam)
{
    return ExamineFace(logFont, fontType, reinterpret_cast<HGLOBAL>(listParam), FALSE);
}

void ResetFontList(HGLOBAL list)
{
    if (!list) return;
    auto* head = static_cast<FontListHead*>(GlobalLock(list));
    if (!head) return;
    head->count = 0;
    head->defaultIndex = 0;
    GlobalUnlock(list);
}

int FindFontByFace(HGLOBAL list, const char* face)
{
    if (!face) return -1;
    ListLock lock(list);
    if (!lock.head()) return -1;
    const FontListEntry* entries = lock.entries();
    for (int i = 0; i < lock.count(); ++i) {
        if (SameFace(entries[i].logFont.lfFaceName, face)) return i;
    }
    return -1;
}

int FindFontByFaceAndCharset(HGLOBAL list, const char* face, int charset)
{
    // Before Windows 4 a face is listed once whatever its character sets; callers then fall
    // back to the name alone.
    if (FontWindowsVersion() < 4 || !face) return -1;
    ListLock lock(list);
    if (!lock.head()) return -1;
    const FontListEntry* entries = lock.entries();
    for (int i = 0; i < lock.count(); ++i) {
        if (entries[i].logFont.lfCharSet == (BYTE)charset && SameFace(entries[i].logFont.lfFaceName, face))
            return i;
    }
    return -1;
}

int GetDefaultFontIndex(HGLOBAL list)
{
    ListLock lock(list);
    if (!lock.head()) return 0;
    int index = lock.head()->defaultIndex;
    // A stored list's default outside its entries would name no face.
    return index >= 0 && index < lock.count() ? index : 0;
}

void GetFontFaceName(HGLOBAL list, HGLOBAL map, int slot, char* face, int* charset)
{
    if (face) face[0] = 0;
    if (charset) *charset = 0;
    int index = slot;
    if (map) {
        MapLock mapLock(map);
        if (!mapLock.head()) return;
        index = slot >= 0 && slot < mapLock.count() ? mapLock.slots()[slot] : 0;
    }
    ListLock lock(list);
    if (!lock.head() || index < 0 || index >= lock.count()) return;
    const LOGFONTA& logFont = lock.entries()[index].logFont;
    if (face) lstrcpynA(face, logFont.lfFaceName, LF_FACESIZE);
    if (charset) *charset = logFont.lfCharSet;
}

int MapDocumentFont(HGLOBAL map, int index)
{
    // A negative index is no font; handing out a slot for it would leave that slot looking
    // free, to be taken again for another face.
    if (!map || index < 0) return -1;
    int count = 0;
    {
        MapLock lock(map);
        if (!lock.head()) return -1;
        INT32* slots = lock.slots();
        count = lock.count();
        for (int i = 0; i < count; ++i) {
            if (slots[i] == index) return i;
        }
        for (int i = 0; i < count; ++i) {
            if (slots[i] == -1) {
                slots[i] = index;
                return i;
            }
        }
        if (count < lock.room()) {
            slots[count] = index;
            lock.head()->count = count + 1;
            return count;
        }
    }
    SIZE_T grown = GlobalSize(map) + 16;
    SIZE_T needed = sizeof(FontMapHead) + (SIZE_T)(count + 1) * sizeof(INT32);
    if (grown < needed) grown = needed;
    if (!GlobalReAlloc(map, grown, GMEM_MOVEABLE)) return -1;
    MapLock lock(map);
    if (!lock.head() || lock.room() <= count) return -1;
    lock.slots()[count] = index;
    lock.head()->count = count + 1;
    return count;
}

BOOL RemapFontIndices(HGLOBAL map, HGLOBAL oldList, HGLOBAL newList)
{
    if (!newList || !map) return FALSE;
    MapLock lock(map);
    if (!lock.head()) return FALSE;
    BOOL changed = FALSE;
    INT32* slots = lock.slots();
    for (int i = 0; i < lock.count(); ++i) {
        if (slots[i] < 0) continue;
        char face[LF_FACESIZE];
        int charset = 0;
        GetFontFaceName(oldList, nullptr, slots[i], face, &charset);
        int index = face[0] ? FindFontByFaceAndCharset(newList, face, charset) : -1;
        if (index < 0 && face[0]) index = FindFontByFace(newList, face);
        if (index < 0) index = GetDefaultFontIndex(newList);
        if (index != slots[i]) {
            slots[i] = index;
            changed = TRUE;
        }
    }
    return changed;
}

int MergeFontMap(HGLOBAL documentMap, HGLOBAL pastedMap, HGLOBAL pastedList, HGLOBAL documentList)
{
    RemapFontIndices(pastedMap, pastedList, documentList);
    MapLock lock(pastedMap);
    if (!lock.head()) return 0;
    INT32* slots = lock.slots();
    for (int i = 0; i < lock.count(); ++i) {
        if (slots[i] < 0) continue;
        int slot = MapDocumentFont(documentMap, slots[i]);
        if (slot < 0) return 1;
        slots[i] = slot;
    }
    return 0;
}
