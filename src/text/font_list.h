// Font lists (the faces a device offers) and a document's font map (its font slots naming list
// entries): the two layers between a text run's face slot and a real font.
#pragma once

#include <windows.h>

#pragma pack(push, 1)

// One face of a FontList.
struct FontListEntry {
    LOGFONTA logFont;      // as enumerated
    INT32 heightAtSize1;   // text height the screen gives at height 1, at most 16
    INT32 averageWidth;    // average character width at that size
    INT32 kind;            // 0 raster, 1 vector or device, 2 TrueType
    INT32 cacheIndex;      // index of the face in the FontFaceCache; -1 unknown; only a hint
};
static_assert(sizeof(LOGFONTA) == 60);
static_assert(sizeof(FontListEntry) == 76);

// A FontList is one movable block: this head, then `count` entries (stored as record 100/104).
struct FontListHead {
    INT32 count;
    INT32 defaultIndex;    // the entry used when a face cannot be found
};
static_assert(sizeof(FontListHead) == 8);

// A DocumentFontMap is one movable block: this head, then `count` slots, each a FontList index
// or -1 for a free slot (stored as record 100/103). It grows by four slots at a time.
struct FontMapHead {
    INT32 count;
};

#pragma pack(pop)

constexpr int kFontKindRaster = 0;
constexpr int kFontKindVector = 1;
constexpr int kFontKindTrueType = 2;
constexpr int kMaxFontListEntries = 1100;

inline FontListEntry* FontListEntries(FontListHead* list)
{
    return reinterpret_cast<FontListEntry*>(list + 1);
}
inline INT32* FontMapSlots(FontMapHead* map) { return reinterpret_cast<INT32*>(map + 1); }

// The entries or slots a locked block really holds: its count, bounded by the block's size and
// never negative, so that a list or map from a damaged store record is never read past its end.
int FontListUsableCount(HGLOBAL list, const FontListHead* head);
int FontMapUsableCount(HGLOBAL map, const FontMapHead* head);

// The list index a slot names: with a map, a slot inside the map gives its value and any other
// slot (negative ones included) index 0; without a map the slot is the index.
inline int TranslateFontSlot(const FontMapHead* map, int slot)
{
    if (!map) return slot;
    if (slot >= 0 && slot < map->count) return reinterpret_cast<const INT32*>(map + 1)[slot];
    return 0;
}

// The major Windows version that decides how faces are enumerated and whether faces are found
// by character set: the system's, unless set (tests take the older path with 3; 0 asks the
// system again).
int FontWindowsVersion();
void SetFontWindowsVersion(int major);

// Process-wide: the last BuildFontList found at least one TrueType face.
extern BOOL g_trueTypeFound;

// Refills `list` with the faces of `dc`, measured on the screen DC of `window`: 0 or 10004.
int BuildFontList(HWND window, HDC dc, HGLOBAL list);
int CALLBACK ExamineFontFamilies(const LOGFONTA* logFont, const TEXTMETRICA* metrics,
                                 DWORD fontType, LPARAM list);
extern "C" int CALLBACK ExamineFonts(const LOGFONTA* logFont, const TEXTMETRICA* metrics,
                                     DWORD fontType, LPARAM list);
// Sets a list's count and default index to 0.
void ResetFontList(HGLOBAL list);
int FindFontByFace(HGLOBAL list, const char* face);
int FindFontByFaceAndCharset(HGLOBAL list, const char* face, int charset);
int GetDefaultFontIndex(HGLOBAL list);
// The face name (at least LF_FACESIZE bytes) and character set of a slot's entry; an empty
// name and 0 when the index lies outside the list.
void GetFontFaceName(HGLOBAL list, HGLOBAL map, int slot, char* face, int* charset);

// The slot that holds list index `index`, made when needed; -1 without a map or memory.
int MapDocumentFont(HGLOBAL map, int index);
// Rewrites every slot of `map` from `oldList` to `newList`: whether any slot changed.
BOOL RemapFontIndices(HGLOBAL map, HGLOBAL oldList, HGLOBAL newList);
// Remaps a pasted text's map onto the document's list and slots: 0, or 1 when a document slot
// cannot be made.
int MergeFontMap(HGLOBAL documentMap, HGLOBAL pastedMap, HGLOBAL pastedList, HGLOBAL documentList);
