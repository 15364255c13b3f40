// Pictures from outside: placeable metafile files, the scan that refuses unsuitable metafiles
// and collects colours, bitmaps fitted to the page, and drawing stored pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "editing/edit_services.h"
#include "frame/frame_services.h"
#include "support/metafile_recorder.h"
#include "shape_fixture.h"
#include "shapes/metafile_format.h"
#include "shapes/picture_chunks.h"
#include "shapes/picture_import.h"

namespace {

void ExpectRect(const RECT& expected, const RECT& actual)
{
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
}

std::vector<BYTE> Placeable(short right, short bottom, WORD unitsPerInch, const std::vector<BYTE>& bits)
{
    std::vector<BYTE> file(22 + bits.size(), 0);
    const DWORD key = kPlaceableKey;
    std::memcpy(&file[0], &key, 4);
    std::memcpy(&file[10], &right, 2);
    std::memcpy(&file[12], &bottom, 2);
    std::memcpy(&file[14], &unitsPerInch, 2);
    std::copy(bits.begin(), bits.end(), file.begin() + 22);
    return file;
}

// A temporary file holding `bytes`, open for reading.
class TempFile {
public:
    explicit TempFile(const std::vector<BYTE>& bytes)
    {
        char dir[MAX_PATH], name[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        GetTempFileNameA(dir, "VXP", 0, name);
        path_ = name;
        HFILE out = _lcreat(name, 0);
        _lwrite(out, reinterpret_cast<LPCCH>(bytes.data()), static_cast<UINT>(bytes.size()));
        _lclose(out);
        OFSTRUCT of;
        file_ = OpenFile(name, &of, OF_READ);
    }
    ~TempFile()
    {
        _lclose(file_);
        DeleteFileA(path_.c_str());
    }
    HFILE get() const { return file_; }

private:
    std::string path_;
    HFILE file_;
};

const std::vector<BYTE>& BoxBits()
{
    static const std::vector<BYTE> bits = RecordBits([](HDC dc) { Rectangle(dc, 0, 0, 1440, 720); });
    return bits;
}


int Scan(const std::vector<BYTE>& bits, RECT* extent, std::vector<COLORREF>* colors = nullptr)
{
    HMETAFILE mf = SetMetaFileBitsEx(static_cast<UINT>(bits.size()), bits.data());
    EXPECT_TRUE(mf);
    COLORREF list[256];
    int count = 0, flags = 0;
    ScanMetafile(mf, extent, &count, list, &flags);
    DeleteMetaFile(mf);
    if (colors)
        colors->assign(list, list + count);
    return flags;
}

TEST(PictureScan, RegionsClipRegionsAndRasterCopiesAreRefused)
{
    RECT extent = {0, 0, 100, 100};
    const std::vector<WORD> stretch = {14, 0, 0x0F43, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(0x20, Scan(Handmade({stretch}), &extent));
    for (WORD function : {0x0228, 0x012A, 0x012B, 0x012C, 0x0429, 0x0922, 0x0940})
        EXPECT_EQ(1, Scan(Handmade({stretch, {4, 0, function, 0}}), &extent)) << function;
    // The first window extent, by its signs; later ones do not count.
    EXPECT_EQ(0x08, Scan(Handmade({{5, 0, 0x020C, 500, static_cast<WORD>(-1000)}, {5, 0, 0x020C, static_cast<WORD>(-7), 7}}), &extent));
    EXPECT_EQ(1000, extent.right);
    EXPECT_EQ(500, extent.bottom);
}

TEST(PictureScan, RestoresNeverReachBeyondTheMetafilesOwnSaves)
{
    HDC dc = CreateCompatibleDC(nullptr);
    g_backBufferDC = dc;
    const int depth = SaveDC(dc);
    RECT extent = {};
    Scan(Handmade({{3, 0, 0x001E}, {4, 0, 0x0127, 0xFFFF}, {4, 0, 0x0127, 0xFFFF}, {4, 0, 0x0127, 0xFFFF}}), &extent);
    EXPECT_EQ(depth + 1, SaveDC(dc));
    g_backBufferDC = nullptr;
    DeleteDC(dc);
}

TEST(PictureScan, ColoursOfPensBrushesAndPalettesOnceEach)
{
    RECT extent = {};
    std::vector<COLORREF> colors;
    Scan(RecordBits([](HDC dc) {
             for (COLORREF c : {RGB(255, 0, 0), RGB(0, 255, 0), RGB(255, 0, 0)})
                 SelectObject(dc, CreateSolidBrush(c));
             SelectObject(dc, CreatePen(PS_SOLID, 1, RGB(0, 0, 255)));
             SelectObject(dc, CreatePen(PS_NULL, 1, RGB(9, 9, 9)));
             SelectObject(dc, GetStockObject(NULL_BRUSH));
         }),
         &extent, &colors);
    EXPECT_EQ((std::vector<COLORREF>{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)}), colors);
    // More than 256 colours: the first 256 distinct ones.
    Scan(RecordBits([](HDC dc) {
             HGDIOBJ previous = nullptr;
             for (int i = 0; i < 300; ++i) {
                 HBRUSH b = CreateSolidBrush(RGB(i % 256, i / 256, 7));
                 SelectObject(dc, b);
                 if (previous)
                     DeleteObject(previous);
                 previous = b;
             }
         }),
         &extent, &colors);
    ASSERT_EQ(256u, colors.size());
    EXPECT_EQ(RGB(255, 0, 7), colors[255]);
}

TEST_F(ShapeClass, PlaceableFilesBecomePicturesAtTheirSize)
{
    RECT size, box;
    HGLOBAL bits = nullptr;
    DWORD bytes = 0;
    {
        TempFile file(Placeable(1440, 720, 1440, BoxBits()));
        ASSERT_EQ(0, ReadPlaceableMetafile(file.get(), &size, &bits, &box, &bytes));
        ExpectRect(RECT{0, 0, 600, 300}, size);
        ExpectRect(RECT{0, 0, 1440, 720}, box);
        EXPECT_EQ(BoxBits().size(), bytes);
        EXPECT_EQ(0, std::memcmp(GlobalLock(bits), BoxBits().data(), bytes));
        GlobalUnlock(bits);
        GlobalFree(bits);
    }
    const struct { std::vector<BYTE> bytes; int result; } bad[] = {
        {Placeable(1440, 720, 0, BoxBits()), 1},      // no units per inch
        {Placeable(1440, 720, 1440, {}), 1},          // nothing after the header
        {std::vector<BYTE>(100, 0), 1},               // no key
    };
    for (const auto& c : bad) {
        TempFile file(c.bytes);
        EXPECT_EQ(c.result, ReadPlaceableMetafile(file.get(), &size, &bits, &box, &bytes));
        EXPECT_EQ(nullptr, bits);
    }
    {
        TempFile file(Placeable(-10, 720, 1440, BoxBits()));   // an empty width becomes 100
        ASSERT_EQ(0, ReadPlaceableMetafile(file.get(), &size, &bits, &box, &bytes));
        EXPECT_EQ(100, size.right);
        GlobalFree(bits);
    }

    // Imported at a drop point: a 600 x 300 metafile picture there.
    const POINT drop = {1200, 900};
    {
        TempFile file(Placeable(1440, 720, 1440, BoxBits()));
        Locked<Drawing> d(state_->drawing);
        ASSERT_EQ(0, ImportMetafileFile(view_, d.get(), file.get(), &drop));
        EXPECT_EQ(-1, d->toolSlot);
    }
    Locked<Drawing> d(state_->drawing);
    Locked<ObjectList> objects(d->objectList);
    const int count = objects->count;
    const DrawObject picture = (*objects)[count - 1];
    objects.Unlock();
    ExpectRect(RECT{1200, 900, 1800, 1200}, picture.frame);
    EXPECT_EQ(kMetafileChunkType, picture.dataType);
    EXPECT_EQ(0x100u, picture.state & 0x100);

    // A clip region refuses the file: nothing is added.
    TempFile clipped(Placeable(1440, 720, 1440, Handmade({{4, 0, 0x012C, 0}})));
    EXPECT_EQ(10013, ImportMetafileFile(view_, d.get(), clipped.get(), &drop));
    Locked<ObjectList> after(d->objectList);
    EXPECT_EQ(count, after->count);
    after.Unlock();

    // Without a drop point a file goes to the paste position, whatever point a context-menu
    // paste left behind.
    {
        TempFile file(Placeable(1440, 720, 1440, BoxBits()));
        const RECT size600 = {0, 0, 600, 300};
        POINT expected;
        GetPastePosition(d.get(), &size600, &expected);
        PendingPastePoint = POINT{400, 400};
        const int result = ImportMetafileFile(view_, d.get(), file.get(), nullptr);
        PendingPastePoint = POINT{-1, 0};
        ASSERT_EQ(0, result);
        Locked<ObjectList> objects(d->objectList);
        ExpectRect(RECT{expected.x, expected.y, expected.x + 600, expected.y + 300},
                   (*objects)[objects->count - 1].frame);
    }
}

// A 1-bit packed DIB of w x h pixels, all set.
HGLOBAL PackedDib(int w, int h)
{
    const DWORD row = ((w + 31) / 32) * 4;
    const SIZE_T size = 40 + 8 + row * h;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    BYTE* p = static_cast<BYTE*>(GlobalLock(block));
    BITMAPINFOHEADER header = {40, w, h, 1, 1, BI_RGB, 0, 0, 0, 2, 0};
    std::memcpy(p, &header, 40);
    const DWORD white = 0xFFFFFF;
    std::memcpy(p + 44, &white, 4);
    GlobalUnlock(block);
    return block;
}

TEST_F(ShapeClass, BitmapsTakeSixUnitsAPixelWithinThePage)
{
    {
        Locked<Drawing> d(state_->drawing);
        d->pageWidth = 4800;
        d->pageHeight = 6600;
    }
    const struct { int w, h; RECT frame; } cases[] = {
        {800, 600, {0, 0, 4800, 3600}},
        {1000, 600, {0, 0, 4500, 2700}},
        {100, 1500, {0, 0, 420, 6300}},
    };
    const POINT origin = {0, 0};
    for (const auto& c : cases) {
        Locked<Drawing> d(state_->drawing);
        ASSERT_EQ(0, CreateBitmapPictureObject(view_, d.get(), PackedDib(c.w, c.h), &origin));
        Locked<ObjectList> objects(d->objectList);
        const DrawObject& picture = (*objects)[objects->count - 1];
        SCOPED_TRACE(c.w);
        ExpectRect(c.frame, picture.frame);
        EXPECT_EQ(kBitmapChunkType, picture.dataType);
    }
    // A bitmap whose header does not fit its block adds nothing.
    HGLOBAL broken = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 30);
    Locked<Drawing> d(state_->drawing);
    EXPECT_EQ(1, CreateBitmapPictureObject(view_, d.get(), broken, &origin));
}

// A 32-bit DIB section memory DC filled white.
struct Canvas {
    HDC dc;
    HBITMAP bitmap;
    explicit Canvas(int w, int h)
    {
        dc = CreateCompatibleDC(nullptr);
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        SelectObject(dc, bitmap);
        PatBlt(dc, 0, 0, w, h, WHITENESS);
    }
    ~Canvas()
    {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

// A 2 x 2 8-bit DIB with a two-colour table (0 blue, 1 red): first stored row colour index
// `first`, second `second`.
HGLOBAL TwoRowDib(bool topDown, int first, int second)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 40 + 8 + 8);
    BYTE* p = static_cast<BYTE*>(GlobalLock(block));
    BITMAPINFOHEADER header = {40, 2, topDown ? -2 : 2, 1, 8, BI_RGB, 0, 0, 0, 2, 0};
    std::memcpy(p, &header, 40);
    const DWORD table[2] = {0x000000FF, 0x00FF0000};   // blue, red as RGBQUADs
    std::memcpy(p + 40, table, 8);
    p[48] = p[49] = static_cast<BYTE>(first);
    p[52] = p[53] = static_cast<BYTE>(second);
    GlobalUnlock(block);
    return block;
}

TEST(PictureDrawing, BitmapsDrawUprightWhateverTheirRowOrder)
{
    const RECT r = {0, 0, 20, 20};
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
    for (bool topDown : {false, true}) {
        Canvas canvas(20, 20);
        // Top row red, bottom row blue: stored first for top-down, last otherwise.
        HGLOBAL dib = topDown ? TwoRowDib(true, 1, 0) : TwoRowDib(false, 0, 1);
        DrawDIB(canvas.dc, &r, dib);
        EXPECT_EQ(red, GetPixel(canvas.dc, 10, 3)) << topDown;
        EXPECT_EQ(blue, GetPixel(canvas.dc, 10, 16)) << topDown;
        GlobalFree(dib);
    }
    // A block cut short of its pixels draws nothing.
    Canvas canvas(20, 20);
    HGLOBAL dib = TwoRowDib(false, 0, 1);
    HGLOBAL cut = GlobalReAlloc(dib, 50, GMEM_MOVEABLE);
    DrawDIB(canvas.dc, &r, cut);
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(canvas.dc, 10, 10));
    GlobalFree(cut);
}

} // namespace
