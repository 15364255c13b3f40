// The process-wide cache of created fonts, by face and by height, width, escapement and style,
// and its budget: after 80 created fonts it asks the frame to flush it, five times at most,
// then warns once.
#pragma once

#include <windows.h>

#include "commands.h"

#pragma pack(push, 1)

// One face of the cache: its size list and its LOGFONT (height, width, escapement, weight and
// italic are not part of the face).
struct CachedFace {
    HGLOBAL sizes;         // size list: i32 count, then CachedSize entries; none once cleared
    LOGFONTA logFont;
};
static_assert(sizeof(CachedFace) == 64);

struct CachedSize {
    HFONT font;
    INT32 height;          // LOGFONT height, negative for character heights
    INT32 width;
    INT32 escapement;      // tenths of a degree
    INT32 styleKey;        // 1 bold, 2 italic, 4 underline, 0x2000 pitch and family 0
};
static_assert(sizeof(CachedSize) == 20);

#pragma pack(pop)

// The cache block: i32 face count, then the faces; kept below 65000 bytes (at most 1015 faces).
constexpr int kFaceTableLimit = 65000;
constexpr int kFontBudget = 80;
constexpr int kMaxFontFlushes = 5;

// Same face name (without regard to case), character set, precisions, quality and pitch.
BOOL SameLogFontFace(const LOGFONTA* a, const LOGFONTA* b);
// Allocates the empty cache at start-up: 0 or 10004.
int InitFontCache();
// Deletes every cached font and size list; the face count and created-font count become 0.
void ClearFontCache();
void FreeFontCache();
// The cache index of list entry `index`'s face, added when new; -1 when the entry does not
// exist, the face table is full or memory runs out.
int FindOrAddCachedFace(HGLOBAL list, int index);
// The cached font of the face for the complete LOGFONT, created when new; null when the face is
// outside the table or the font cannot be made. Runs the budget after every creation.
HFONT FindOrCreateCachedFont(int face, const LOGFONTA* logFont);
// The first position of the size list whose height is not below `height`.
int FindCachedSize(HGLOBAL sizeList, int height);
// A font of the cache for a run; the cache owns it. Null when the slot names no list entry.
HFONT GetCachedFont(HGLOBAL list, HGLOBAL map, int slot, int size, int style, int width,
                    int escapement, int unitsPerInch);
// A new font the caller deletes, made as GetCachedFont's LOGFONT says.
HFONT CreateListFont(HGLOBAL list, HGLOBAL map, int slot, int size, int style, int escapement,
                     int width, int unitsPerInch);
// The LOGFONT of a run: FALSE when the slot names no list entry.
BOOL MakeRunLogFont(HGLOBAL list, HGLOBAL map, int slot, int size, int style, int width,
                    int escapement, int unitsPerInch, LOGFONTA* logFont);

// The cache's face count and a face's size list (none for a face outside the table).
int CachedFaceCount();
HGLOBAL CachedSizeList(int face);

// Process-wide budget values, readable by tests.
extern int g_createdFontCount;
extern int g_fontFlushCount;
extern BOOL g_fontWarned;
