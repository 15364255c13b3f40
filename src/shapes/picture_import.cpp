// Picture import, clipboard pictures, the metafile scan and drawing stored pictures.
#include "shapes/picture_import.h"

#include <cstring>

#include "editing/edit_services.h"
#include "exchange/exchange_services.h"
#include "frame/frame_services.h"
#include "model/objects.h"
#include "shapes/metafile_format.h"
#include "shapes/metafile_playback.h"
#include "shapes/picture_chunks.h"
#include "shapes/shape_kinds.h"
#include "store/results.h"

namespace {

constexpr DWORD kReadPiece = 65000;

// The running scan; the callback gets only the extent record.
struct ScanState {
    int count;
    COLORREF* colors;
    int flags;
    BOOL extentSeen;
    int depth;   // the metafile's own saved states
} g_scan = {0, nullptr, 0, FALSE, 0};

bool IsPaletteIndex(COLORREF color)
{
    return (color >> 24) == 0x01;
}

// A metafile handle from bits that are checked first, so that no record can stall or
// overrun the system's enumeration. The bits are left unchanged apart from the header.
HMETAFILE MetafileFromBits(HGLOBAL bits, DWORD size)
{
    HMETAFILE metafile = nullptr;
    if (auto* bytes = static_cast<BYTE*>(GlobalLock(bits))) {
        const UINT usable = SanitizeMetafileBits(bytes, size);
        if (usable)
            metafile = SetMetaFileBitsEx(usable, bytes);
        GlobalUnlock(bits);
    }
    return metafile;
}

void InspectSelectedObject(HANDLETABLE* table, const METARECORD* record, int objects)
{
    const int index = record->rdParm[0];
    if (index >= objects || !table->objectHandle[index])
        return;
    HGDIOBJ object = table->objectHandle[index];
    const DWORD type = GetObjectType(object);
    if (type == OBJ_BRUSH) {
        LOGBRUSH brush = {};
        if (GetObjectA(object, sizeof brush, &brush) && brush.lbStyle != BS_HOLLOW &&
            !IsPaletteIndex(brush.lbColor) && g_scan.count < kMaxPictureColors)
            AddScanColour(brush.lbColor);
    } else if (type == OBJ_PEN) {
        LOGPEN pen = {};
        if (GetObjectA(object, sizeof pen, &pen) && pen.lopnStyle != PS_NULL &&
            !IsPaletteIndex(pen.lopnColor) && g_scan.count < kMaxPictureColors)
            AddScanColour(pen.lopnColor);
    }
}

void InspectSelectedPalette(HANDLETABLE* table, const METARECORD* record, int objects)
{
    const int index = record->rdParm[0];
    if (index >= objects || !table->objectHandle[index])
        return;
    PALETTEENTRY entries[256];
    const UINT n = GetPaletteEntries(static_cast<HPALETTE>(table->objectHandle[index]), 0, 256, entries);
    for (UINT i = 0; i < n && g_scan.count < kMaxPictureColors; ++i)
        AddScanColour(RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue));
}

int ReadExactly(HFILE file, BYTE* into, DWORD size)
{
    DWORD done = 0;
    while (done < size) {
        const DWORD piece = size - done < kReadPiece ? size - done : kReadPiece;
        const UINT got = _lread(file, into + done, piece);
        if (got == static_cast<UINT>(HFILE_ERROR) || got != piece)
            return ErrFileIO;
        done += piece;
    }
    return 0;
}

// Where a pasted picture goes: an explicit point, the context menu's point, or the paste
// position.
void PlacePicture(HWND view, Drawing* drawing, RECT* rect, const POINT* drop)
{
    POINT at;
    if (drop) {
        at = *drop;
    } else if (PendingPastePoint.x > 0 && view) {
        at = PendingPastePoint;
        ScreenToClient(view, &at);
        HDC dc = GetDC(view);
        DPtoLP(dc, &at, 1);
        ReleaseDC(view, dc);
    } else {
        GetPastePosition(drawing, rect, &at);
    }
    OffsetRect(rect, at.x - rect->left, at.y - rect->top);
}

int AddPictureObject(HWND view, Drawing* drawing, int type, HGLOBAL data, const RECT* rect,
                     PictureSource* source)
{
    drawing->toolSlot = -1;
    source->dataSize = static_cast<INT32>(GlobalSize(data));
    const int result = AddObject(view, ClassShape, rect, ShapePicture, type,
                                 static_cast<int>(reinterpret_cast<INT_PTR>(data)), TRUE, FALSE,
                                 source, TRUE);
    GlobalFree(data);
    return result;
}

} // namespace

int AddScanColour(COLORREF color)
{
    const COLORREF rgb = color & 0xFFFFFF;
    for (int i = 0; i < g_scan.count; ++i) {
        if ((g_scan.colors[i] & 0xFFFFFF) == rgb)
            return 0;
    }
    if (g_scan.count >= kMaxPictureColors || !g_scan.colors)
        return 0;
    g_scan.colors[g_scan.count++] = rgb;
    return 1;
}

int CALLBACK MetaExtEnumProc(HDC dc, HANDLETABLE* table, METARECORD* record, int objects,
                             LPARAM extentParam)
{
    auto* extent = reinterpret_cast<RECT*>(extentParam);
    switch (record->rdFunction) {
    case MetaFillRegion:
    case MetaInvertRegion:
    case MetaPaintRegion:
    case MetaSelectClipRegion:
    case MetaFrameRegion:
    case MetaBitBlt:
    case MetaDibBitBlt:
        g_scan.flags = kScanUnsuitable;
        return 0;
    case MetaStretchBlt:
    case MetaDibStretchBlt:
    case MetaSetDibToDev:
    case MetaStretchDib:
        g_scan.flags |= PicStretchedBits;
        return 1;
    default:
        break;
    }
    // Records come from other programs: one whose counts do not fit its size is skipped.
    if (!IsSoundMetafileRecord(reinterpret_cast<const WORD*>(record), record->rdSize))
        return 1;
    switch (record->rdFunction) {
    case MetaSetWindowExt:
        if (!g_scan.extentSeen) {
            const short y = static_cast<short>(record->rdParm[0]);
            const short x = static_cast<short>(record->rdParm[1]);
            if (x < 0)
                g_scan.flags |= PicNegativeWidth;
            if (y < 0)
                g_scan.flags |= PicNegativeHeight;
            extent->right = x < 0 ? -x : x;
            extent->bottom = y < 0 ? -y : y;
            g_scan.extentSeen = TRUE;
        }
        break;
    case MetaSaveDc:
        ++g_scan.depth;
        break;
    case MetaRestoreDc:
        // A restore beyond the metafile's own saves would pop the shared context's state.
        if (g_scan.depth <= 0)
            return 1;
        --g_scan.depth;
        RestoreDC(dc, -1);
        return 1;
    case MetaSelectObject:
    case MetaSelectPalette:
        if (record->rdFunction == MetaSelectObject)
            InspectSelectedObject(table, record, objects);
        else
            InspectSelectedPalette(table, record, objects);
        return g_scan.extentSeen && g_scan.count >= kMaxPictureColors ? 0 : 1;
    default:
        break;
    }
    // Played so that the objects it creates exist for later selections.
    PlayMetaFileRecord(dc, table, record, static_cast<UINT>(objects));
    return 1;
}

int ScanMetafile(HMETAFILE metafile, RECT* extent, int* colorCount, COLORREF* colors, int* flags)
{
    HDC dc = g_backBufferDC;
    HDC own = nullptr;
    if (!dc)
        dc = own = CreateCompatibleDC(nullptr);
    const int saved = SaveDC(dc);
    g_scan = ScanState{0, colors, 0, FALSE, 0};
    EnumMetaFile(dc, metafile, MetaExtEnumProc, reinterpret_cast<LPARAM>(extent));
    RestoreDC(dc, saved);
    if (own)
        DeleteDC(own);
    *colorCount = g_scan.count;
    *flags = g_scan.flags;
    g_scan.colors = nullptr;
    return *flags;
}

int ReadPlaceableMetafile(HFILE file, RECT* sizeRect, HGLOBAL* bits, RECT* boundingBox,
                          DWORD* bitsSize)
{
    *bits = nullptr;
    const LONG start = _llseek(file, 0, FILE_CURRENT);
    const LONG end = _llseek(file, 0, FILE_END);
    if (start == HFILE_ERROR || end == HFILE_ERROR || _llseek(file, start, FILE_BEGIN) == HFILE_ERROR)
        return ErrFileIO;
    const LONG size = end - start - kPlaceableHeaderSize;
    if (size <= 0)
        return 1;
    const DWORD allocated = static_cast<DWORD>(size) > kPlaceableHeaderSize ? static_cast<DWORD>(size) : kPlaceableHeaderSize;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, allocated);
    BYTE* bytes = block ? static_cast<BYTE*>(GlobalLock(block)) : nullptr;
    if (!bytes) {
        if (block)
            GlobalFree(block);
        return ErrOutOfMemory;
    }
    int result = ReadExactly(file, bytes, kPlaceableHeaderSize);
    PlaceableInfo info = {};
    if (result == 0 && ParsePlaceableHeader(bytes, kPlaceableHeaderSize, &info))
        result = 1;
    // A header without units per inch gives no size: refused like a file without the key.
    if (result == 0 && info.unitsPerInch == 0)
        result = 1;
    if (result == 0) {
        *boundingBox = RECT{info.left, info.top, info.right, info.bottom};
        LONG w = (static_cast<LONG>(info.right) - info.left) * 600 / info.unitsPerInch;
        LONG h = (static_cast<LONG>(info.bottom) - info.top) * 600 / info.unitsPerInch;
        *sizeRect = RECT{0, 0, w > 0 ? w : 100, h > 0 ? h : 100};
        result = ReadExactly(file, bytes, static_cast<DWORD>(size));
    }
    GlobalUnlock(block);
    if (result) {
        GlobalFree(block);
        return result;
    }
    *bits = block;
    *bitsSize = static_cast<DWORD>(size);
    return 0;
}

int ImportMetafileFile(HWND view, Drawing* drawing, HFILE file, const POINT* drop)
{
    const LONG start = _llseek(file, 0, FILE_CURRENT);
    RECT sizeRect, box;
    HGLOBAL bits = nullptr;
    DWORD size = 0;
    if (int result = ReadPlaceableMetafile(file, &sizeRect, &bits, &box, &size))
        return result;
    _llseek(file, start, FILE_BEGIN);
    PictureSource source = {};
    HMETAFILE metafile = MetafileFromBits(bits, size);
    GlobalFree(bits);
    if (metafile) {
        RECT extent = box;
        ScanMetafile(metafile, &extent, &source.colorCount, source.colors, &source.flags);
        DeleteMetaFile(metafile);
        if (source.flags == kScanUnsuitable)
            return kUnsuitableMetafile;
    }
    if (int result = ReadPlaceableMetafile(file, &sizeRect, &bits, &box, &size))
        return result;
    // A file goes to its drop point or the paste position; the context menu's paste point
    // belongs to pastes only.
    POINT at;
    if (drop)
        at = *drop;
    else
        GetPastePosition(drawing, &sizeRect, &at);
    OffsetRect(&sizeRect, at.x - sizeRect.left, at.y - sizeRect.top);
    source.frame = box;
    return AddPictureObject(view, drawing, kMetafileChunkType, bits, &sizeRect, &source);
}

int GetClipboardMetafile(HGLOBAL* bits, RECT* objectRect, RECT* frame, int* colorCount,
                         COLORREF* colors, int* flags)
{
    *bits = nullptr;
    *colorCount = 0;
    *flags = 0;
    HGLOBAL pictureBlock = GetClipboardData(CF_METAFILEPICT);
    if (!pictureBlock || GlobalSize(pictureBlock) < sizeof(METAFILEPICT))
        return 1;
    const auto* picture = static_cast<const METAFILEPICT*>(GlobalLock(pictureBlock));
    if (!picture)
        return 1;
    // The extents come from another program: computed without overflow and held within the
    // drawing area's frame limit.
    auto units = [](LONG himetric) -> LONG {
        const LONGLONG v = static_cast<LONGLONG>(himetric) * 600 / 2540;
        return v <= 0 ? 50 : static_cast<LONG>(v > 32000 ? 32000 : v);
    };
    *objectRect = RECT{0, 0, units(picture->xExt), units(picture->yExt)};
    HMETAFILE copy = CopyMetaFileA(picture->hMF, nullptr);
    GlobalUnlock(pictureBlock);
    if (!copy)
        return 1;
    const UINT size = GetMetaFileBitsEx(copy, 0, nullptr);
    HGLOBAL block = size ? GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size) : nullptr;
    if (block) {
        if (auto* bytes = static_cast<BYTE*>(GlobalLock(block))) {
            GetMetaFileBitsEx(copy, size, bytes);
            GlobalUnlock(block);
        }
    }
    DeleteMetaFile(copy);
    if (!block)
        return 1;
    *frame = *objectRect;
    // The bits are checked like any outside metafile before the scan enumerates them.
    HMETAFILE scanned = MetafileFromBits(block, size);
    if (scanned) {
        ScanMetafile(scanned, frame, colorCount, colors, flags);
        DeleteMetaFile(scanned);
    }
    if (*flags == kScanUnsuitable) {
        GlobalFree(block);
        return kUnsuitableMetafile;
    }
    *bits = block;
    return 0;
}

int CreateMetafilePictureObject(HWND view, Drawing* drawing, HGLOBAL bits, const RECT* objectRect,
                                const RECT* frame, int colorCount, const COLORREF* colors, int flags)
{
    PictureSource source = {};
    source.frame = *frame;
    source.colorCount = colorCount < 0 ? 0 : (colorCount > kMaxPictureColors ? kMaxPictureColors : colorCount);
    if (colors)
        std::memcpy(source.colors, colors, sizeof(COLORREF) * static_cast<size_t>(source.colorCount));
    source.flags = flags;
    RECT rect = *objectRect;
    PlacePicture(view, drawing, &rect, nullptr);
    return AddPictureObject(view, drawing, kMetafileChunkType, bits, &rect, &source);
}

HGLOBAL GetClipboardBitmap(HWND window)
{
    if (!OpenClipboard(window))
        return nullptr;
    HGLOBAL dib = nullptr;
    if (auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
        auto palette = static_cast<HPALETTE>(GetClipboardData(CF_PALETTE));
        HDC dc = GetDC(window);
        BitmapToPackedDib(dc, bitmap, palette, &dib);
        ReleaseDC(window, dc);
    }
    CloseClipboard();
    return dib;
}

int CreateBitmapPictureObject(HWND view, Drawing* drawing, HGLOBAL dib, const POINT* drop)
{
    DibLayout layout = {};
    int bad = 1;
    if (const auto* bytes = static_cast<const BYTE*>(GlobalLock(dib))) {
        bad = ReadDibLayout(bytes, GlobalSize(dib), 4, &layout);
        GlobalUnlock(dib);
    }
    if (bad) {
        GlobalFree(dib);
        return 1;
    }
    LONG width = layout.width * 6, height = layout.height * 6;
    if (drawing->pageWidth < width) {
        height = height * (drawing->pageWidth - 300) / width;
        width = drawing->pageWidth - 300;
    }
    if (drawing->pageHeight < height) {
        width = width * (drawing->pageHeight - 300) / height;
        height = drawing->pageHeight - 300;
    }
    PictureSource source = {};
    source.frame = RECT{0, 0, width, height};
    RECT rect = source.frame;
    PlacePicture(view, drawing, &rect, drop);
    return AddPictureObject(view, drawing, kBitmapChunkType, dib, &rect, &source);
}

void DrawDIB(HDC dc, const RECT* rect, HGLOBAL dib)
{
    const auto* bytes = static_cast<const BYTE*>(GlobalLock(dib));
    if (!bytes)
        return;
    DibLayout layout;
    if (ReadDibLayout(bytes, GlobalSize(dib), 4, &layout) == 0) {
        StretchDIBits(dc, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                      0, 0, layout.width, layout.height, bytes + layout.bitsOffset,
                      reinterpret_cast<const BITMAPINFO*>(bytes), DIB_RGB_COLORS, SRCCOPY);
    }
    GlobalUnlock(dib);
}

void DrawPictureObject(HDC dc, int slot, int type, int firstId, int count, const RECT* rect,
                       PictureDrawState* state)
{
    HGLOBAL data = nullptr;
    RECT frame = {0, 0, 0, 0};
    int colorCount = 0, flags = 0;
    DWORD size = 0;
    if (LoadPictureChunks(slot, type, firstId, count, &data, &frame, &colorCount, nullptr, &flags, &size))
        return;
    if (type == kBitmapChunkType) {
        DrawDIB(dc, rect, data);
    } else if (type == kMetafileChunkType) {
        PlayPictureInRect(dc, rect, data, &frame, state, flags);
        data = nullptr;   // the playback frees it
    }
    if (data)
        GlobalFree(data);
}
