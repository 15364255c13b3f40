// Rendering a drawing to a metafile, a bitmap and a packed DIB, and writing BMP files.
#include "exchange/picture_render.h"

#include <cstring>
#include <vector>

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "exchange/exchange_services.h"
#include "frame/frame_services.h"
#include "frame/view_layout.h"
#include "model/device_units.h"
#include "model/drawing.h"
#include "model/render.h"
#include "model/selection.h"
#include "model/window_utils.h"
#include "shapes/picture_chunks.h"
#include "store/block_store.h"
#include "store/file_ops.h"
#include "store/results.h"

RECT g_metafileExtent = {0, 0, 0, 0};

namespace {

constexpr int kOneInch = kDrawingUnitsPerInch;
constexpr COLORREF kNoColor = 0xFFFFFFFF;
constexpr DWORD kBandTarget = 16000;

// A length in drawing units as HIMETRIC, as (far x 2540 - near x 2540) / 600.
LONG ToHimetric(LONG nearEdge, LONG farEdge)
{
    return static_cast<LONG>((static_cast<long long>(farEdge) * 2540 - static_cast<long long>(nearEdge) * 2540) / 600);
}

// A new METAFILEPICT block around the metafile for a rectangle in drawing units, or none (the
// metafile is then deleted).
HGLOBAL MakeMetafilePict(HMETAFILE metafile, const RECT& rect)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(METAFILEPICT));
    auto* pict = block ? static_cast<METAFILEPICT*>(GlobalLock(block)) : nullptr;
    if (!pict) {
        if (block) GlobalFree(block);
        DeleteMetaFile(metafile);
        return nullptr;
    }
    LONG x = ToHimetric(rect.left, rect.right), y = ToHimetric(rect.top, rect.bottom);
    // Both sides shrink by the factor that brings the larger one to the limit.
    const LONG larger = x > y ? x : y;
    if (larger > kMaxMetafilePictExtent) {
        x = static_cast<LONG>(static_cast<double>(x) * kMaxMetafilePictExtent / larger);
        y = static_cast<LONG>(static_cast<double>(y) * kMaxMetafilePictExtent / larger);
    }
    pict->mm = MM_ANISOTROPIC;
    pict->xExt = x;
    pict->yExt = y;
    pict->hMF = metafile;
    GlobalUnlock(block);
    return block;
}

// A copy of the palette with the same entries; none when there is none.
HPALETTE CopyPalette(HPALETTE palette)
{
    if (!palette) return nullptr;
    const UINT count = GetPaletteEntries(palette, 0, 0, nullptr);
    if (count == 0) return nullptr;
    std::vector<BYTE> storage(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
    auto* copy = reinterpret_cast<LOGPALETTE*>(storage.data());
    copy->palVersion = 0x300;
    copy->palNumEntries = static_cast<WORD>(count);
    GetPaletteEntries(palette, 0, count, copy->palPalEntry);
    return CreatePalette(copy);
}

// Selects the palette as a foreground palette and realizes it; the previous one, or none.
HPALETTE UsePalette(HDC dc, HPALETTE palette)
{
    if (!palette) return nullptr;
    HPALETTE previous = SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
    return previous;
}

void RestorePalette(HDC dc, HPALETTE previous)
{
    if (!previous) return;
    SelectPalette(dc, previous, FALSE);
    RealizePalette(dc);
}

void GetExtent(HGLOBAL drawingHandle, RECT* extent, BOOL selectedOnly, BOOL fromUpdateRects)
{
    SetRectEmpty(extent);
    Locked<Drawing> drawing(drawingHandle);
    if (!drawing) return;
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return;
    GetDrawingExtent(drawing.get(), objects.get(), extent, selectedOnly, fromUpdateRects);
}

COLORREF BackgroundOf(HGLOBAL drawingHandle)
{
    Locked<Drawing> drawing(drawingHandle);
    return drawing ? drawing->style.backgroundColor : kNoColor;
}

// The bitmap's depth as the DIB writers take it: 1, 4 or 8, anything else 24.
int DibDepth(const BITMAP& bitmap)
{
    const int bits = bitmap.bmBitsPixel * bitmap.bmPlanes;
    return bits == 1 || bits == 4 || bits == 8 ? bits : 24;
}

// The bitmap's size, and how its DIB is laid out and cut into bands.
BitmapBandPlan PlanFor(HBITMAP bitmap, BITMAP* info)
{
    *info = {};
    GetObjectA(bitmap, sizeof(*info), info);
    return PlanBitmapBands(info->bmWidth, info->bmHeight, DibDepth(*info));
}

// A new zero-filled movable block, locked; none (and nothing held) without memory.
BITMAPINFO* NewLockedBlock(DWORD bytes, HGLOBAL* block)
{
    *block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* locked = *block ? static_cast<BITMAPINFO*>(GlobalLock(*block)) : nullptr;
    if (!locked && *block) {
        GlobalFree(*block);
        *block = nullptr;
    }
    return locked;
}

// The BITMAPINFOHEADER of the bitmap completed by the system: colour table and image size.
void CompleteHeader(HDC dc, HBITMAP bitmap, const BITMAP& info, const BitmapBandPlan& plan, BITMAPINFO* header)
{
    std::memset(header, 0, sizeof(BITMAPINFOHEADER) + 4 * plan.colors);
    header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header->bmiHeader.biWidth = info.bmWidth;
    header->bmiHeader.biHeight = info.bmHeight;
    header->bmiHeader.biPlanes = 1;
    header->bmiHeader.biBitCount = static_cast<WORD>(plan.bitsPerPixel);
    header->bmiHeader.biCompression = BI_RGB;
    GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.bmHeight), nullptr, header, DIB_RGB_COLORS);
    if (header->bmiHeader.biSizeImage == 0) header->bmiHeader.biSizeImage = plan.imageSize;
}

}  // namespace

HMETAFILE RenderDrawingMetafile(HGLOBAL drawing, HPALETTE palette, RECT* extent, BOOL selectedOnly, BOOL allowEmpty,
                                BOOL fromUpdateRects)
{
    GetExtent(drawing, extent, selectedOnly, fromUpdateRects);
    if (IsRectEmpty(extent)) {
        if (!allowEmpty) return nullptr;
        SetRect(extent, 0, 0, kOneInch, kOneInch);
    }
    HDC dc = CreateMetaFileA(nullptr);
    if (!dc) return nullptr;
    const BOOL wasRecording = g_renderingMetafile;
    const RECT wasExtent = g_metafileExtent;
    g_renderingMetafile = TRUE;
    g_metafileExtent = *extent;
    const int width = extent->right - extent->left, height = extent->bottom - extent->top;
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, width, height, nullptr);
    SetTextAlign(dc, TA_BASELINE);
    SetBkMode(dc, TRANSPARENT);
    SetStretchBltMode(dc, COLORONCOLOR);
    SetWindowOrgEx(dc, extent->left, extent->top, nullptr);

    HPALETTE copy = CopyPalette(palette);
    UsePalette(dc, copy);
    const COLORREF background = BackgroundOf(drawing);
    if (background == kNoColor) {
        SetBkColor(dc, MapColorForDevice(dc, RGB(255, 255, 255), FALSE));
    } else {
        const COLORREF mapped = MapColorForDevice(dc, background, FALSE);
        SetBkColor(dc, mapped);
        HBRUSH brush = CreateSolidBrush(mapped);
        SelectObject(dc, brush);
        PatBlt(dc, extent->left, extent->top, width, height, PATCOPY);
        SelectObject(dc, GetStockObject(BLACK_BRUSH));
        DeleteObject(brush);
    }
    RenderPage(dc, drawing, extent, FALSE, FALSE, selectedOnly);

    g_renderingMetafile = wasRecording;
    g_metafileExtent = wasExtent;
    HMETAFILE metafile = CloseMetaFile(dc);
    if (copy) DeleteObject(copy);
    return metafile;
}

HGLOBAL GetDrawingMetafilePict(HGLOBAL drawing, HPALETTE palette, BOOL selectedOnly, BOOL allowEmpty,
                               BOOL fromUpdateRects)
{
    RECT extent;
    HMETAFILE metafile = RenderDrawingMetafile(drawing, palette, &extent, selectedOnly, allowEmpty, fromUpdateRects);
    return metafile ? MakeMetafilePict(metafile, extent) : nullptr;
}

HGLOBAL GetPictureMetafilePict(HGLOBAL drawingHandle, BOOL selection)
{
    Locked<Drawing> drawing(drawingHandle);
    if (!drawing) return nullptr;
    Locked<ObjectList> objects(drawing->objectList);
    if (!objects) return nullptr;
    int row = -1;
    if (selection) {
        const int current = drawing->currentRow;
        if (drawing->selectedCount == 1 && current >= 0 && current < objects->count &&
            ((*objects)[current].state & StateSelected))
            row = current;
    } else if (objects->count == 1) {
        row = 0;
    }
    if (row < 0) return nullptr;
    const DrawObject& o = (*objects)[row];
    if (o.objClass != ClassShape || !(o.state & StatePicture) || o.dataType != kMetafileChunkType ||
        !(o.options & OptFramed) || (o.options & (OptMirrorH | OptMirrorV)) || o.lineWidth != 0 || o.textId != -1 ||
        o.labelId != kNoLabel)
        return nullptr;
    HGLOBAL bits = nullptr;
    RECT frame;
    int colors = 0, flags = 0;
    DWORD size = 0;
    if (LoadPictureChunks(drawing->storeSlot, kMetafileChunkType, o.dataId, o.dataCount, &bits, &frame, &colors,
                          nullptr, &flags, &size))
        return nullptr;
    const BYTE* data = static_cast<const BYTE*>(GlobalLock(bits));
    HMETAFILE metafile = data ? SetMetaFileBitsEx(size, data) : nullptr;
    GlobalUnlock(bits);
    GlobalFree(bits);
    return metafile ? MakeMetafilePict(metafile, o.innerRect) : nullptr;
}

int RenderDrawingOffscreen(HWND window, int zoom, HPALETTE palette, HGLOBAL drawing, BOOL selectedOnly, RECT* rect,
                           BOOL useRect, BOOL allowEmpty)
{
    if (!useRect) {
        GetExtent(drawing, rect, selectedOnly, FALSE);
        if (IsRectEmpty(rect)) {
            if (!allowEmpty) return 0;
            SetRect(rect, 0, 0, kOneInch, kOneInch);
        }
    }
    HDC back = g_backBufferDC;
    if (!back) return ErrOutOfMemory;
    SetLogicalUnits(back, zoom, kDrawingUnitsPerInch);

    // The bitmap's size as the window's own context measures the rectangle.
    HDC windowDC = GetDC(window);
    POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    LPtoDP(windowDC, corners, 2);
    int width = corners[1].x - corners[0].x, height = corners[1].y - corners[0].y;
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    RECT client = {0, 0, 0, 0};
    if (g_frameWindow) GetClientRect(g_frameWindow, &client);
    if (width != client.right || height != client.bottom || !g_backBitmap) {
        HBITMAP bitmap = CreateCompatibleBitmap(windowDC, width, height);
        if (!bitmap) {
            ReleaseDC(window, windowDC);
            ReleaseBackBuffer();
            return ErrOutOfMemory;
        }
        HGDIOBJ previous = SelectObject(back, bitmap);
        if (!g_backFirstBitmap) g_backFirstBitmap = static_cast<HBITMAP>(previous);
        if (g_backBitmap) DeleteObject(g_backBitmap);
        g_backBitmap = bitmap;
    }
    ReleaseDC(window, windowDC);
    SetStretchBltMode(back, COLORONCOLOR);

    SetViewportOrgEx(back, 0, 0, nullptr);
    SetWindowOrgEx(back, 0, 0, nullptr);
    POINT origin = {rect->left, rect->top};
    LPtoDP(back, &origin, 1);
    HRGN clip = CreateRectRgn(-25000, -25000, 25000, 25000);
    SelectClipRgn(back, clip);
    if (clip) DeleteObject(clip);
    HPALETTE previousPalette = UsePalette(back, palette);

    const COLORREF background = BackgroundOf(drawing);
    const COLORREF mapped = MapColorForDevice(back, background == kNoColor ? RGB(255, 255, 255) : background, FALSE);
    SetBkColor(back, mapped);
    HBRUSH brush = CreateSolidBrush(mapped);
    HGDIOBJ oldBrush = SelectObject(back, brush);
    PatBlt(back, 0, 0, rect->right - rect->left, rect->bottom - rect->top, PATCOPY);
    SelectObject(back, oldBrush);
    DeleteObject(brush);

    SetViewportOrgEx(back, -origin.x, -origin.y, nullptr);
    SetTextAlign(back, TA_BASELINE);
    SetBkMode(back, TRANSPARENT);
    SetStretchBltMode(back, COLORONCOLOR);
    RenderPage(back, drawing, rect, FALSE, FALSE, selectedOnly);

    SetViewportOrgEx(back, 0, 0, nullptr);
    RestorePalette(back, previousPalette);
    return 0;
}

HBITMAP RenderDrawingBitmap(HWND view, BOOL allowEmpty)
{
    HGLOBAL stateBlock = GetDocumentStateHandle(view);
    if (!stateBlock) return nullptr;
    HGLOBAL drawing;
    HPALETTE palette;
    {
        Locked<DocumentState> state(stateBlock);
        if (!state) return nullptr;
        drawing = state->drawing;
        palette = state->palette;
    }
    RECT rect;
    if (RenderDrawingOffscreen(view, GetViewZoom(view, nullptr), palette, drawing, FALSE, &rect, FALSE, allowEmpty) ||
        IsRectEmpty(&rect))
        return nullptr;
    SelectObject(g_backBufferDC, g_backFirstBitmap);
    HBITMAP drawn = g_backBitmap;
    g_backBitmap = nullptr;
    RebuildBackBuffer();
    return drawn;
}

int BuildPreviewPicture(HWND window, DocumentState* state, const RECT* destination)
{
    const int slot = state->storeSlot;
    HGLOBAL record = nullptr;
    if (LoadRecord(slot, RecDocument, RecPreviewId, &record) == 0) {
        if (int err = DeleteRecord(record)) {
            ReleaseBlock(record);
            return err;
        }
        GlobalFree(record);
    }

    RECT extent;
    GetExtent(state->drawing, &extent, FALSE, TRUE);
    if (IsRectEmpty(&extent)) return 0;
    // At least a sheet, so that a small drawing shows at its place on the page.
    const bool portrait = state->pageHeight > state->pageWidth;
    const LONG minWidth = portrait ? 4800 : 6000, minHeight = portrait ? 6000 : 4800;
    if (extent.right - extent.left < minWidth) extent.left = extent.right - minWidth;
    if (extent.bottom - extent.top < minHeight) extent.top = extent.bottom - minHeight;
    if (extent.left < 0) OffsetRect(&extent, -extent.left, 0);
    if (extent.top < 0) OffsetRect(&extent, 0, -extent.top);

    HWND measured = g_frameWindow ? g_frameWindow : window;
    HDC frameDC = GetDC(measured);
    int dpi = GetDeviceDpi(frameDC, LOGPIXELSX, kDrawingUnitsPerInch);
    ReleaseDC(measured, frameDC);
    if (dpi == 0) dpi = kDrawingUnitsPerInch;
    const int f = kDrawingUnitsPerInch / dpi;
    const double sx = static_cast<double>(destination->right - destination->left) * f / (extent.right - extent.left);
    const double sy = static_cast<double>(destination->bottom - destination->top) * f / (extent.bottom - extent.top);
    double scale = sx < sy ? sx : sy;
    if (scale >= 1.0) scale = 0;
    const int zoom = static_cast<int>(scale * 1000);

    const BOOL wasPicture = g_noDecorations;
    g_noDecorations = TRUE;
    HDC windowDC = GetDC(window);
    const int saved = SaveDC(windowDC);
    SetLogicalUnits(windowDC, zoom, kDrawingUnitsPerInch);
    int err = RenderDrawingOffscreen(window, zoom, state->palette, state->drawing, FALSE, &extent, TRUE, FALSE);
    RestoreDC(windowDC, saved);
    ReleaseDC(window, windowDC);
    g_noDecorations = wasPicture;

    if (g_backBufferDC) SelectObject(g_backBufferDC, g_backFirstBitmap);
    if (!err && g_backBitmap) {
        HGLOBAL dib = nullptr;
        err = BitmapToPackedDib(g_backBufferDC, g_backBitmap, state->palette, &dib);
        if (dib) {
            const DWORD size = static_cast<DWORD>(GlobalSize(dib));
            if (!err) err = AddRecord(slot, RecDocument, RecPreviewId, size + kBlockHeaderSize, &record);
            if (!err) {
                {
                    Locked<BYTE> to(record);
                    Locked<BYTE> from(dib);
                    if (to && from) std::memcpy(to.get() + kBlockHeaderSize, from.get(), size);
                    else err = ErrOutOfMemory;
                }
                if (!err) err = MarkBlockDirty(record);
                ReleaseBlock(record);
            }
            GlobalFree(dib);
        }
    }
    RebuildBackBuffer();
    return err;
}

BitmapBandPlan PlanBitmapBands(int width, int height, int bitsPerPixel)
{
    BitmapBandPlan plan = {};
    plan.bitsPerPixel = bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 ? bitsPerPixel : 24;
    plan.colors = plan.bitsPerPixel <= 8 ? 1 << plan.bitsPerPixel : 0;
    plan.wordsPerRow = (static_cast<DWORD>(width) * plan.bitsPerPixel + 31) / 32;
    plan.imageSize = plan.wordsPerRow * static_cast<DWORD>(height) * 4;
    plan.bands = static_cast<int>((plan.imageSize + kBandTarget - 1) / kBandTarget);
    if (plan.bands < 1) plan.bands = 1;
    plan.rowsPerBand = (height + plan.bands - 1) / plan.bands;
    plan.bandSize = plan.wordsPerRow * static_cast<DWORD>(plan.rowsPerBand) * 4;
    return plan;
}

int BitmapToPackedDib(HDC dc, HBITMAP bitmap, HPALETTE palette, HGLOBAL* block)
{
    *block = nullptr;
    SetCursorByIndex(1);
    BITMAP info;
    const BitmapBandPlan plan = PlanFor(bitmap, &info);
    const DWORD headerBytes = sizeof(BITMAPINFOHEADER) + 4 * plan.colors;
    HGLOBAL memory;
    BITMAPINFO* header = NewLockedBlock(headerBytes + plan.imageSize, &memory);
    if (!header) return ErrOutOfMemory;
    HPALETTE previous = UsePalette(dc, palette);
    CompleteHeader(dc, bitmap, info, plan, header);
    const int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.bmHeight),
                               reinterpret_cast<BYTE*>(header) + headerBytes, header, DIB_RGB_COLORS);
    RestorePalette(dc, previous);
    GlobalUnlock(memory);
    *block = memory;
    return rows == 0 ? 1 : 0;
}

int WriteBitmapFile(HDC dc, HFILE file, HBITMAP bitmap, HPALETTE palette)
{
    BITMAP info;
    const BitmapBandPlan plan = PlanFor(bitmap, &info);
    const DWORD headerBytes = sizeof(BITMAPINFOHEADER) + 4 * plan.colors;
    HGLOBAL headerBlock;
    BITMAPINFO* header = NewLockedBlock(headerBytes + 3, &headerBlock);
    if (!header) return ErrOutOfMemory;
    HPALETTE previous = UsePalette(dc, palette);
    CompleteHeader(dc, bitmap, info, plan, header);

    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42;
    fileHeader.bfOffBits = sizeof(BITMAPFILEHEADER) + headerBytes;
    auto write = [&](const void* bytes, DWORD count) {
        return _lwrite(file, static_cast<LPCCH>(bytes), count) == count;
    };
    int err = 0;
    if (_llseek(file, 0, FILE_BEGIN) != 0 || !write(&fileHeader, sizeof(fileHeader)) || !write(header, headerBytes))
        err = ErrFileIO;

    HGLOBAL bandBlock = err ? nullptr : GlobalAlloc(GMEM_MOVEABLE, plan.bandSize ? plan.bandSize : 1);
    BYTE* band = bandBlock ? static_cast<BYTE*>(GlobalLock(bandBlock)) : nullptr;
    if (!err && !band) err = ErrOutOfMemory;
    int start = 0, left = info.bmHeight;
    for (int i = 0; !err && i < plan.bands; ++i) {
        const int rows = left < plan.rowsPerBand ? left : plan.rowsPerBand;
        if (rows <= 0) continue;   // the plan's last bands may be empty
        const DWORD size = plan.wordsPerRow * static_cast<DWORD>(rows) * 4;
        GetDIBits(dc, bitmap, static_cast<UINT>(start), static_cast<UINT>(rows), band, header, DIB_RGB_COLORS);
        if (!write(band, size)) err = ErrFileIO;
        start += rows;
        left -= rows;
    }
    if (!err) {
        LONG length = 0;
        err = GetFileLength(file, &length);
        fileHeader.bfSize = static_cast<DWORD>(length);
        if (!err && (_llseek(file, 0, FILE_BEGIN) != 0 || !write(&fileHeader, sizeof(fileHeader)))) err = ErrFileIO;
    }
    if (bandBlock) {
        GlobalUnlock(bandBlock);
        GlobalFree(bandBlock);
    }
    GlobalUnlock(headerBlock);
    GlobalFree(headerBlock);
    RestorePalette(dc, previous);
    return err;
}
