// The process-wide font cache: faces found through the font lists' cache indexes, fonts per
// height, width, escapement and style in size lists ordered by height, and the budget that asks
// the frame to flush the cache.
//
// Invariants:
// 1. The cache block is `i32 count` then `count` CachedFace entries; count × 64 + 4 stays below
//    65000 bytes (a face is added only while count × 64 + 68 is below it).
// 2. A size list is `i32 count` then `count` CachedSize entries ordered by height; entries of
//    equal height keep the order in which they were made.
// 3. A font list entry's cacheIndex is a hint only: it is used when it names a face that is the
//    same face as the entry, and searched for again otherwise (after ClearFontCache every hint
//    fails, as the face count is 0).
#include "text/font_cache.h"

#include <cstring>

#include "frame/frame_services.h"
#include "store/results.h"
#include "text/font_list.h"

int g_createdFontCount = 0;
int g_fontFlushCount = 0;
BOOL g_fontWarned = FALSE;

namespace {

constexpr int kFaceSize = sizeof(CachedFace);
constexpr int kSizeEntrySize = sizeof(CachedSize);

HGLOBAL g_cacheBlock = nullptr;
INT32* g_cache = nullptr;          // the locked cache block: count, then the faces

CachedFace* Faces() { return reinterpret_cast<CachedFace*>(g_cache + 1); }
int FaceCount() { return g_cache ? g_cache[0] : 0; }

// A locked font list with the number of entries its block really holds: a stored list whose
// count claims more entries than its memory is cut to what is there.
class ListView {
public:
    explicit ListView(HGLOBAL list)
    {
        if (!list) return;
        const SIZE_T size = GlobalSize(list);
        if (size < sizeof(FontListHead)) return;
        head_ = static_cast<FontListHead*>(GlobalLock(list));
        if (!head_) return;
        block_ = list;
        const long long fits = (size - sizeof(FontListHead)) / sizeof(FontListEntry);
        count_ = head_->count < 0 ? 0 : static_cast<int>(head_->count < fits ? head_->count : fits);
    }
    ~ListView()
    {
        if (block_) GlobalUnlock(block_);
    }
    ListView(const ListView&) = delete;
    ListView& operator=(const ListView&) = delete;

    FontListEntry* Entry(int index) const
    {
        return index >= 0 && index < count_ ? FontListEntries(head_) + index : nullptr;
    }

private:
    HGLOBAL block_ = nullptr;
    FontListHead* head_ = nullptr;
    int count_ = 0;
};

// The list index a slot names, as TranslateFontSlot says, with the map's count cut to what its
// memory holds: a stored map may claim more slots than it has.
int TranslateSlot(HGLOBAL map, int slot)
{
    if (!map) return slot;
    const SIZE_T size = GlobalSize(map);
    if (size < sizeof(FontMapHead)) return 0;
    auto* head = static_cast<FontMapHead*>(GlobalLock(map));
    if (!head) return 0;
    const long long fits = (size - sizeof(FontMapHead)) / sizeof(INT32);
    const int index = slot >= 0 && slot < head->count && slot < fits ? FontMapSlots(head)[slot] : 0;
    GlobalUnlock(map);
    return index;
}

int StyleKey(const LOGFONTA* logFont)
{
    int key = 0;
    if (logFont->lfWeight == FW_BOLD) key |= 1;
    if (logFont->lfItalic) key |= 2;
    if (logFont->lfUnderline) key |= 4;
    if (logFont->lfPitchAndFamily == 0) key |= 0x2000;
    return key;
}

void PostToFrame(UINT message)
{
    if (g_frameWindow) PostMessageA(g_frameWindow, message, 0, 0);
}

// Runs after every font the cache creates. The flush itself happens when the frame takes the
// message, after the drawing that asked for fonts has finished with them.
void ApplyFontBudget()
{
    if (g_createdFontCount > kFontBudget && g_fontFlushCount < kMaxFontFlushes && g_frameWindow) {
        MSG waiting;
        if (!PeekMessageA(&waiting, g_frameWindow, VXM_FLUSHFONTS, VXM_FLUSHFONTS,
                          PM_NOREMOVE | PM_NOYIELD))
            PostToFrame(VXM_FLUSHFONTS);
    }
    if (g_createdFontCount == kFontBudget) {
        ++g_fontFlushCount;
        if (g_fontFlushCount < kMaxFontFlushes) {
            PostToFrame(VXM_FLUSHFONTS);
        } else if (!g_fontWarned && g_frameWindow) {
            PostToFrame(VXM_TOOMANYFONTS);
            g_fontWarned = TRUE;
        }
    }
}

// The index of the face of a list entry, verified or searched for, added when new.
int FaceOfEntry(FontListEntry* entry)
{
    if (!g_cache) return -1;
    const int count = FaceCount();
    const int hint = entry->cacheIndex;
    if (hint >= 0 && hint < count && SameLogFontFace(&Faces()[hint].logFont, &entry->logFont))
        return hint;
    for (int face = 0; face < count; ++face) {
        if (SameLogFontFace(&Faces()[face].logFont, &entry->logFont)) {
            entry->cacheIndex = face;
            return face;
        }
    }
    if (count * kFaceSize + 4 + kFaceSize >= kFaceTableLimit) return -1;

    HGLOBAL sizes = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(INT32));
    if (!sizes) return -1;
    // The cache stays locked while the program runs; it is unlocked only to grow.
    GlobalUnlock(g_cacheBlock);
    HGLOBAL grown = GlobalReAlloc(g_cacheBlock, 4 + (count + 1) * kFaceSize, GMEM_MOVEABLE);
    if (grown) g_cacheBlock = grown;
    g_cache = static_cast<INT32*>(GlobalLock(g_cacheBlock));
    if (!grown || !g_cache) {
        GlobalFree(sizes);
        return -1;
    }
    CachedFace& added = Faces()[count];
    added.sizes = sizes;
    added.logFont = entry->logFont;
    entry->cacheIndex = count;
    g_cache[0] = count + 1;
    return count;
}

// The list entry a run's slot names, or none.
FontListEntry* RunEntry(const ListView& list, HGLOBAL map, int slot)
{
    return list.Entry(TranslateSlot(map, slot));
}

void FillRunLogFont(const FontListEntry* entry, int size, int style, int width, int escapement,
                    int unitsPerInch, LOGFONTA* logFont)
{
    *logFont = entry->logFont;
    logFont->lfHeight = -(size * unitsPerInch / 72);
    const bool scalable = entry->kind == kFontKindVector || entry->kind == kFontKindTrueType ||
                          g_trueTypeFound;
    logFont->lfWidth = width != 0 && scalable ? width : 0;
    logFont->lfEscapement = escapement;
    logFont->lfWeight = (style & 1) ? FW_BOLD : FW_NORMAL;
    logFont->lfItalic = (style & 2) ? 1 : 0;
}

}  // namespace

BOOL SameLogFontFace(const LOGFONTA* a, const LOGFONTA* b)
{
    return lstrcmpiA(a->lfFaceName, b->lfFaceName) == 0 && a->lfCharSet == b->lfCharSet &&
           a->lfOutPrecision == b->lfOutPrecision && a->lfClipPrecision == b->lfClipPrecision &&
           a->lfQuality == b->lfQuality && a->lfPitchAndFamily == b->lfPitchAndFamily;
}

int InitFontCache()
{
    if (g_cacheBlock) return 0;
    g_cacheBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(INT32));
    if (!g_cacheBlock) return ErrOutOfMemory;
    g_cache = static_cast<INT32*>(GlobalLock(g_cacheBlock));
    if (!g_cache) {
        GlobalFree(g_cacheBlock);
        g_cacheBlock = nullptr;
        return ErrOutOfMemory;
    }
    return 0;
}

void ClearFontCache()
{
    if (g_cache) {
        for (int face = 0; face < FaceCount(); ++face) {
            CachedFace& entry = Faces()[face];
            if (!entry.sizes) continue;
            if (auto* list = static_cast<INT32*>(GlobalLock(entry.sizes))) {
                auto* sizes = reinterpret_cast<CachedSize*>(list + 1);
                for (int i = 0; i < list[0]; ++i)
                    if (sizes[i].font) DeleteObject(sizes[i].font);
                GlobalUnlock(entry.sizes);
            }
            GlobalFree(entry.sizes);
            entry.sizes = nullptr;
        }
        g_cache[0] = 0;
    }
    g_createdFontCount = 0;
}

void FreeFontCache()
{
    ClearFontCache();
    if (!g_cacheBlock) return;
    GlobalUnlock(g_cacheBlock);
    GlobalFree(g_cacheBlock);
    g_cacheBlock = nullptr;
    g_cache = nullptr;
}

int FindOrAddCachedFace(HGLOBAL list, int index)
{
    ListView view(list);
    FontListEntry* entry = view.Entry(index);
    return entry ? FaceOfEntry(entry) : -1;
}

int FindCachedSize(HGLOBAL sizeList, int height)
{
    if (!sizeList) return 0;
    auto* list = static_cast<INT32*>(GlobalLock(sizeList));
    if (!list) return 0;
    const auto* sizes = reinterpret_cast<const CachedSize*>(list + 1);
    int low = 0;
    int high = list[0] - 1;
    while (low <= high) {
        const int middle = (low + high) / 2;
        if (sizes[middle].height < height) low = middle + 1;
        else high = middle - 1;
    }
    GlobalUnlock(sizeList);
    return low;
}

HFONT FindOrCreateCachedFont(int face, const LOGFONTA* logFont)
{
    if (!g_cache || face < 0 || face >= FaceCount() || !Faces()[face].sizes) return nullptr;
    HGLOBAL block = Faces()[face].sizes;
    const int height = logFont->lfHeight;
    const int key = StyleKey(logFont);

    auto* list = static_cast<INT32*>(GlobalLock(block));
    if (!list) return nullptr;
    const int count = list[0];
    auto* sizes = reinterpret_cast<CachedSize*>(list + 1);
    int position;
    if (count == 0 || height < sizes[0].height) position = 0;
    else if (height > sizes[count - 1].height) position = count;
    else position = FindCachedSize(block, height);
    for (; position < count && sizes[position].height == height; ++position) {
        const CachedSize& entry = sizes[position];
        if (entry.width == logFont->lfWidth && entry.escapement == logFont->lfEscapement &&
            entry.styleKey == key) {
            HFONT font = entry.font;
            GlobalUnlock(block);
            return font;
        }
    }
    GlobalUnlock(block);

    // A new entry at the end of the run of its height keeps the list ordered.
    HGLOBAL grown = GlobalReAlloc(block, 4 + (count + 1) * kSizeEntrySize, GMEM_MOVEABLE);
    if (!grown) return nullptr;
    Faces()[face].sizes = grown;
    list = static_cast<INT32*>(GlobalLock(grown));
    if (!list) return nullptr;
    sizes = reinterpret_cast<CachedSize*>(list + 1);
    std::memmove(sizes + position + 1, sizes + position,
                 static_cast<size_t>(count - position) * kSizeEntrySize);
    CachedSize& added = sizes[position];
    added.font = nullptr;
    added.height = height;
    added.width = logFont->lfWidth;
    added.escapement = logFont->lfEscapement;
    added.styleKey = key;
    list[0] = count + 1;
    ++g_createdFontCount;
    HFONT font = CreateFontIndirectA(logFont);
    added.font = font;
    GlobalUnlock(grown);
    ApplyFontBudget();
    return font;
}

BOOL MakeRunLogFont(HGLOBAL list, HGLOBAL map, int slot, int size, int style, int width,
                    int escapement, int unitsPerInch, LOGFONTA* logFont)
{
    ListView view(list);
    const FontListEntry* entry = RunEntry(view, map, slot);
    if (!entry) return FALSE;
    FillRunLogFont(entry, size, style, width, escapement, unitsPerInch, logFont);
    return TRUE;
}

HFONT GetCachedFont(HGLOBAL list, HGLOBAL map, int slot, int size, int style, int width,
                    int escapement, int unitsPerInch)
{
    ListView view(list);
    FontListEntry* entry = RunEntry(view, map, slot);
    if (!entry) return nullptr;
    LOGFONTA logFont;
    FillRunLogFont(entry, size, style, width, escapement, unitsPerInch, &logFont);
    const int face = FaceOfEntry(entry);
    return face < 0 ? nullptr : FindOrCreateCachedFont(face, &logFont);
}

HFONT CreateListFont(HGLOBAL list, HGLOBAL map, int slot, int size, int style, int escapement,
                     int width, int unitsPerInch)
{
    LOGFONTA logFont;
    if (!MakeRunLogFont(list, map, slot, size, style, width, escapement, unitsPerInch, &logFont))
        return nullptr;
    return CreateFontIndirectA(&logFont);
}

int CachedFaceCount()
{
    return FaceCount();
}

HGLOBAL CachedSizeList(int face)
{
    return face >= 0 && face < FaceCount() ? Faces()[face].sizes : nullptr;
}
