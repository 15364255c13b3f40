// Metafile playback through the program's transform: mapping, mirroring, rotation, window
// extents, colour overrides, damaged records; and the arc tessellation.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstring>
#include <string>

#include "support/canvas.h"
#include "support/metafile_recorder.h"
#include "shapes/metafile_format.h"
#include "shapes/metafile_playback.h"
#include "shapes/picture_import.h"
#include "exchange/exchange_services.h"

namespace {

std::vector<MetaRecord> Play(const std::vector<BYTE>& bits, RECT dest, RECT frame, int options = 0,
                             int angle = 0, HBRUSH black = nullptr, HBRUSH brush = nullptr)
{
    MetaRecorder recorder;
    PictureDrawState state = {};
    state.options = options;
    state.angle = angle;
    state.blackBrush = black;
    state.brush = brush;
    state.textColor = RGB(0, 0, 255);
    PlayPictureInRect(recorder.dc(), &dest, BitsBlock(bits), &frame, &state, 0);
    return recorder.Records();
}

// Rectangle records as left, top, right, bottom.
std::vector<std::vector<short>> Rects(const std::vector<MetaRecord>& records, WORD function = MetaRectangle)
{
    std::vector<std::vector<short>> out;
    for (const MetaRecord& r : OfFunction(records, function))
        out.push_back({r.params[3], r.params[2], r.params[1], r.params[0]});
    return out;
}

using Shorts = std::vector<std::vector<short>>;

TEST(MetafilePlayback, MapsTheFrameOntoTheRectangleMirroredAndRotated)
{
    const auto bits = RecordBits([](HDC dc) {
        Rectangle(dc, 0, 0, 100, 50);
        Ellipse(dc, 10, 10, 20, 20);
        MoveToEx(dc, 0, 0, nullptr);
        LineTo(dc, 100, 50);
    });
    const RECT dest = {1000, 1000, 1200, 1100}, frame = {0, 0, 100, 50};
    auto plain = Play(bits, dest, frame);
    EXPECT_EQ((Shorts{{1000, 1000, 1200, 1100}}), Rects(plain));
    EXPECT_EQ((Shorts{{1020, 1020, 1040, 1040}}), Rects(plain, MetaEllipse));
    ASSERT_EQ(1u, OfFunction(plain, MetaLineTo).size());
    EXPECT_EQ((std::vector<short>{1100, 1200}), OfFunction(plain, MetaLineTo)[0].params);
    // The device's mapping is never touched.
    EXPECT_TRUE(OfFunction(plain, 0x020C).empty());
    EXPECT_TRUE(OfFunction(plain, 0x0103).empty());

    EXPECT_EQ((Shorts{{1200, 1000, 1000, 1100}}), Rects(Play(bits, dest, frame, 0x08)));
    EXPECT_EQ((Shorts{{1000, 1100, 1200, 1000}}), Rects(Play(bits, dest, frame, 0x10)));

    // Rotated: curves and rectangles become polygons about the destination's centre.
    auto turned = Play(bits, dest, frame, 0, 900);
    EXPECT_TRUE(OfFunction(turned, MetaRectangle).empty());
    EXPECT_TRUE(OfFunction(turned, MetaEllipse).empty());
    const auto polygons = OfFunction(turned, MetaPolygon);
    ASSERT_EQ(2u, polygons.size());
    // The rectangle turned by 90 degrees about (1100, 1050) spans 1050..1150 across.
    short minX = 32767, maxX = -32767;
    for (size_t i = 1; i + 1 < polygons[0].params.size(); i += 2) {
        minX = std::min(minX, polygons[0].params[i]);
        maxX = std::max(maxX, polygons[0].params[i]);
    }
    EXPECT_NEAR(1050, minX, 1);
    EXPECT_NEAR(1150, maxX, 1);
}

TEST(MetafilePlayback, MirroredArcsKeepTheirShape)
{
    const auto bits = RecordBits([](HDC dc) { Arc(dc, 0, 0, 100, 100, 100, 50, 0, 50); });
    const RECT box = {0, 0, 100, 100};
    const auto arcs = OfFunction(Play(bits, box, box, 0x08), MetaArc);
    ASSERT_EQ(1u, arcs.size());
    // Mirrored, start and end change places, so the upper half stays the upper half.
    EXPECT_EQ((std::vector<short>{50, 0, 50, 100, 100, 0, 0, 100}), arcs[0].params);
    // Mirrored both ways: nothing to exchange.
    const auto both = OfFunction(Play(bits, box, box, 0x18), MetaArc);
    EXPECT_EQ((std::vector<short>{50, 100, 50, 0, 0, 0, 100, 100}), both[0].params);
    // Rotated: a polyline.
    EXPECT_EQ(1u, OfFunction(Play(bits, box, box, 0, 450), MetaPolyline).size());
}

TEST(MetafilePlayback, WindowExtentsReplaceTheScales)
{
    auto withExtent = [](int x, int y) {
        return RecordBits([=](HDC dc) {
            SetWindowExtEx(dc, x, y, nullptr);
            Rectangle(dc, 0, 0, 200, 100);
        });
    };
    const RECT dest = {0, 0, 100, 50}, frame = {0, 0, 1000, 1000};
    EXPECT_EQ((Shorts{{0, 0, 100, 50}}), Rects(Play(withExtent(200, 100), dest, frame)));
    // A zero extent gives scale 1, never a division by zero.
    EXPECT_EQ((Shorts{{0, 0, 200, 100}}), Rects(Play(withExtent(0, 0), dest, frame)));
    // No extent record: destination size over frame size.
    const auto plain = RecordBits([](HDC dc) { Rectangle(dc, 0, 0, 200, 100); });
    EXPECT_EQ((Shorts{{0, 0, 20, 5}}), Rects(Play(plain, dest, frame)));
    // A zero frame also plays at scale 1.
    EXPECT_EQ((Shorts{{0, 0, 200, 100}}), Rects(Play(plain, dest, RECT{0, 0, 0, 0})));
}

TEST(MetafilePlayback, FontsPensAndBrushesAreRewritten)
{
    const auto bits = RecordBits([](HDC dc) {
        HFONT font = CreateFontA(1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
        SelectObject(dc, font);
        TextOutA(dc, 0, 0, "x", 1);
        HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
        SelectObject(dc, black);
        Rectangle(dc, 0, 0, 10, 10);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        SelectObject(dc, red);
        Rectangle(dc, 0, 0, 10, 10);
        HPEN pen = CreatePen(PS_SOLID, 10, RGB(0, 255, 0));
        SelectObject(dc, pen);
        SetTextColor(dc, RGB(1, 2, 3));
    });
    // A font whose height scales to nothing is not left at the default size.
    auto small = Play(bits, RECT{0, 0, 10, 10}, RECT{0, 0, 100, 100});
    const auto fonts = OfFunction(small, MetaCreateFontIndirect);
    ASSERT_EQ(1u, fonts.size());
    EXPECT_EQ(-1, fonts[0].params[0]);
    const auto pens = OfFunction(small, MetaCreatePenIndirect);
    ASSERT_EQ(1u, pens.size());
    EXPECT_EQ(1, pens[0].params[1]);   // width 10 at scale 0.1

    // Overrides: black brushes, other brushes and text colours take the object's colours.
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0)), blue = CreateSolidBrush(RGB(0, 0, 255));
    auto coloured = Play(bits, RECT{0, 0, 100, 100}, RECT{0, 0, 100, 100}, 0, 0, green, blue);
    std::vector<COLORREF> brushes;
    for (const MetaRecord& r : OfFunction(coloured, MetaCreateBrushIndirect))
        brushes.push_back((static_cast<WORD>(r.params[1]) | (static_cast<COLORREF>(static_cast<WORD>(r.params[2])) << 16)) & 0xFFFFFF);
    EXPECT_EQ((std::vector<COLORREF>{RGB(0, 255, 0), RGB(0, 0, 255)}), brushes);
    const auto text = OfFunction(coloured, MetaSetTextColor);
    ASSERT_EQ(1u, text.size());
    const COLORREF textColor = static_cast<WORD>(text[0].params[0]) | (static_cast<COLORREF>(static_cast<WORD>(text[0].params[1])) << 16);
    EXPECT_EQ(RGB(0, 0, 255), textColor & 0xFFFFFF);
    DeleteObject(green);
    DeleteObject(blue);
}

TEST(MetafilePlayback, ClipsFontsAndPolygonSetsFollowTheTransform)
{
    const auto bits = RecordBits([](HDC dc) {
        IntersectClipRect(dc, 10, 20, 60, 80);
        ExcludeClipRect(dc, 0, 0, 5, 5);
        HFONT font = CreateFontA(20, 0, 100, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
        SelectObject(dc, font);
        const POINT points[] = {{0, 0}, {10, 0}, {0, 10}, {20, 20}, {30, 20}, {20, 30}, {20, 40}};
        const INT counts[] = {3, 4};
        PolyPolygon(dc, points, counts, 2);
    });
    const RECT box = {0, 0, 100, 100};
    auto plain = Play(bits, box, box);
    // The first clip is playback's own, to the picture's box; the file's clips follow.
    EXPECT_EQ((Shorts{{0, 0, 101, 101}, {10, 20, 60, 80}}), Rects(plain, MetaIntersectClipRect));
    EXPECT_EQ(1u, OfFunction(plain, MetaExcludeClipRect).size());
    // The polygons and their points are drawn in reverse order.
    const auto sets = OfFunction(plain, MetaPolyPolygon);
    ASSERT_EQ(1u, sets.size());
    const std::vector<short> reversed = {2, 4, 3, 20, 40, 20, 30, 30, 20, 20, 20, 0, 10, 10, 0, 0, 0};
    ASSERT_GE(sets[0].params.size(), reversed.size());   // the record may carry padding
    EXPECT_EQ(reversed, std::vector<short>(sets[0].params.begin(), sets[0].params.begin() + reversed.size()));

    // Rotated by 45 degrees: the file's clip rectangles are ignored (only playback's own box
    // clip is left) and text turns with the escapement.
    auto turned = Play(bits, box, box, 0, 450);
    EXPECT_EQ(1u, OfFunction(turned, MetaIntersectClipRect).size());
    EXPECT_TRUE(OfFunction(turned, MetaExcludeClipRect).empty());
    const auto fonts = OfFunction(turned, MetaCreateFontIndirect);
    ASSERT_EQ(1u, fonts.size());
    EXPECT_EQ(550, fonts[0].params[2]);
}

TEST(MetafilePlayback, WindowOriginsAndSavedStatesMoveTheFrame)
{
    const auto bits = RecordBits([](HDC dc) {
        SaveDC(dc);
        SetWindowOrgEx(dc, 50, 50, nullptr);
        SetWindowExtEx(dc, 50, 50, nullptr);
        Rectangle(dc, 50, 50, 100, 100);
        OffsetWindowOrgEx(dc, 10, 0, nullptr);
        Rectangle(dc, 60, 50, 70, 60);
        RestoreDC(dc, -1);
        Rectangle(dc, 0, 0, 10, 10);
    });
    const RECT box = {0, 0, 100, 100};
    // Inside the save the frame starts at (50, 50) at scale 2; after the restore it is back.
    EXPECT_EQ((Shorts{{0, 0, 100, 100}, {0, 0, 20, 20}, {0, 0, 10, 10}}), Rects(Play(bits, box, box)));
}


TEST(MetafilePlayback, DamagedRecordsAreSkippedOrEndThePicture)
{
    const std::vector<WORD> rect = {7, 0, MetaRectangle, 50, 50, 0, 0};
    const std::vector<WORD> badPolygon = {6, 0, MetaPolygon, 1000, 1, 2};   // 1000 points claimed
    const std::vector<WORD> badText = {6, 0, MetaTextOut, 200, 0x4141, 0};
    const RECT box = {0, 0, 50, 50};
    auto played = Play(Handmade({badPolygon, badText, rect}), box, box);
    EXPECT_TRUE(OfFunction(played, MetaPolygon).empty());
    EXPECT_TRUE(OfFunction(played, MetaTextOut).empty());
    EXPECT_EQ(1u, OfFunction(played, MetaRectangle).size());
    // A record claiming no size would stall the enumeration: the picture ends there.
    const std::vector<WORD> stall = {0, 0, MetaRectangle, 50, 50, 0, 0};
    EXPECT_EQ(1u, OfFunction(Play(Handmade({rect, stall, rect}), box, box), MetaRectangle).size());
    // A record running past the bits ends it too.
    const std::vector<WORD> overlong = {60000, 0, MetaRectangle, 50, 50, 0, 0};
    EXPECT_EQ(1u, OfFunction(Play(Handmade({rect, overlong}), box, box), MetaRectangle).size());
    // Restores beyond the metafile's own saves never pop the caller's state.
    HDC dc = CreateCompatibleDC(nullptr);
    const int before = SaveDC(dc);
    PictureDrawState state = {};
    PlayPictureInRect(dc, &box, BitsBlock(Handmade({{4, 0, MetaRestoreDc, 0xFFFF}, {4, 0, MetaRestoreDc, 0xFFFB}})),
                      &box, &state, 0);
    EXPECT_EQ(before + 1, SaveDC(dc));
    DeleteDC(dc);
}

// The device's mapping belongs to the caller: the metafile's own mapping records never reach it.
TEST(MetafilePlayback, MappingRecordsOfTheMetafileAreNotPlayed)
{
    const auto bits = RecordBits([](HDC dc) {
        SetMapMode(dc, MM_ANISOTROPIC);
        SetViewportOrgEx(dc, 40, 40, nullptr);
        SetViewportExtEx(dc, 3, 3, nullptr);
        OffsetViewportOrgEx(dc, 5, 5, nullptr);
        ScaleWindowExtEx(dc, 2, 1, 2, 1, nullptr);
        Rectangle(dc, 0, 0, 50, 50);
    });
    const RECT box = {0, 0, 100, 100};
    const auto played = Play(bits, box, box);
    for (WORD function : {0x0103, 0x020D, 0x020E, 0x0211, 0x0410})
        EXPECT_TRUE(OfFunction(played, function).empty()) << std::hex << function;
    EXPECT_EQ((Shorts{{0, 0, 50, 50}}), Rects(played));

    // On a device: the rectangle lands where the transform puts it and nowhere else.
    Canvas canvas(100, 100);
    SetMapMode(canvas.dc(), MM_TEXT);
    SelectObject(canvas.dc(), GetStockObject(BLACK_BRUSH));
    const RECT dest = {10, 10, 50, 50};
    PictureDrawState state = {};
    PlayPictureInRect(canvas.dc(), &dest, BitsBlock(bits), &box, &state, 0);
    EXPECT_EQ(RGB(255, 255, 255), canvas.Pixel(60, 60));
    EXPECT_EQ(RGB(255, 255, 255), canvas.Pixel(5, 5));
    EXPECT_EQ(RGB(0, 0, 0), canvas.Pixel(10, 10));
    EXPECT_EQ(RGB(0, 0, 0), canvas.Pixel(29, 29));
    EXPECT_EQ(RGB(255, 255, 255), canvas.Pixel(31, 31));
    EXPECT_EQ(MM_TEXT, GetMapMode(canvas.dc()));
}

// Pictures from other programs draw outside their box; the playback keeps them inside it.
TEST(MetafilePlayback, PlaybackIsClippedToThePicturesBox)
{
    // Blackness over (-50, -50) .. (150, 150) of a 0..100 frame.
    const std::vector<WORD> black = {9, 0, MetaPatBlt, 0x0042, 0x0000, 200, 200, static_cast<WORD>(-50), static_cast<WORD>(-50)};
    // A clip of its own, then moved by half the frame.
    const std::vector<WORD> ownClip = {7, 0, MetaIntersectClipRect, 150, 150, static_cast<WORD>(-50), static_cast<WORD>(-50)};
    const std::vector<WORD> moveClip = {5, 0, MetaOffsetClipRgn, 50, 50};
    const RECT frame = {0, 0, 100, 100}, dest = {30, 30, 70, 70};
    const COLORREF white = RGB(255, 255, 255), ink = RGB(0, 0, 0);
    for (const auto& bits : {Handmade({black}), Handmade({ownClip, moveClip, black})}) {
        Canvas canvas(100, 100);
        SetMapMode(canvas.dc(), MM_TEXT);
        PictureDrawState state = {};
        PlayPictureInRect(canvas.dc(), &dest, BitsBlock(bits), &frame, &state, 0);
        EXPECT_EQ(white, canvas.Pixel(29, 29));
        EXPECT_EQ(white, canvas.Pixel(75, 75));
        EXPECT_EQ(white, canvas.Pixel(71, 50));
        EXPECT_EQ(white, canvas.Pixel(50, 71));
        EXPECT_EQ(ink, canvas.Pixel(69, 69));
        // The box's own right and bottom edges are inside it.
        EXPECT_EQ(ink, canvas.Pixel(70, 50));
        EXPECT_EQ(ink, canvas.Pixel(50, 70));
        // The clip is the playback's own: the caller's device is as it was.
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(0, GetClipRgn(canvas.dc(), region));
        DeleteObject(region);
    }

    // A stroke along the frame's right and bottom edges lands on the box's last column and row.
    {
        const std::vector<WORD> edges = {10, 0, MetaPolyline, 3, 100, 0, 100, 100, 0, 100};
        Canvas canvas(100, 100);
        SetMapMode(canvas.dc(), MM_TEXT);
        PictureDrawState state = {};
        PlayPictureInRect(canvas.dc(), &dest, BitsBlock(Handmade({edges})), &frame, &state, 0);
        EXPECT_EQ(ink, canvas.Pixel(70, 50));
        EXPECT_EQ(ink, canvas.Pixel(50, 70));
    }

    // An object's picture may draw over the whole of its update rectangle, and no further.
    Canvas canvas(100, 100);
    SetMapMode(canvas.dc(), MM_TEXT);
    PictureDrawState state = {};
    state.updateRect = RECT{20, 20, 80, 80};
    PlayPictureInRect(canvas.dc(), &dest, BitsBlock(Handmade({black})), &frame, &state, 0);
    EXPECT_EQ(ink, canvas.Pixel(20, 20));
    EXPECT_EQ(ink, canvas.Pixel(79, 79));
    EXPECT_EQ(white, canvas.Pixel(19, 50));
    EXPECT_EQ(white, canvas.Pixel(80, 80));

    // Rotated, the box turns with the object: its corners reach beyond the unturned box.
    canvas.Clear();
    SetMapMode(canvas.dc(), MM_TEXT);
    state = PictureDrawState{};
    state.angle = 450;
    PlayPictureInRect(canvas.dc(), &dest, BitsBlock(Handmade({black})), &frame, &state, 0);
    EXPECT_EQ(ink, canvas.Pixel(25, 50));
    EXPECT_EQ(white, canvas.Pixel(20, 50));

    // Drawn into a metafile (an export), the clip is a clip rectangle: the result still passes
    // the import scan, which refuses clip regions.
    auto exportTo = [&](HDC dc) {
        g_renderingMetafile = TRUE;
        state = PictureDrawState{};
        state.updateRect = RECT{20, 20, 80, 80};
        PlayPictureInRect(dc, &dest, BitsBlock(Handmade({ownClip, moveClip, black})), &frame, &state, 0);
        g_renderingMetafile = FALSE;
    };
    MetaRecorder recorder;
    exportTo(recorder.dc());
    const auto records = recorder.Records();
    const auto exported = RecordBits(exportTo);
    const auto clips = OfFunction(records, MetaIntersectClipRect);
    ASSERT_FALSE(clips.empty());
    EXPECT_EQ((std::vector<short>{80, 80, 20, 20}), clips[0].params);
    for (WORD region : {MetaSelectClipRegion, MetaCreateRegion})
        EXPECT_TRUE(OfFunction(records, region).empty()) << region;
    HMETAFILE mf = SetMetaFileBitsEx(static_cast<UINT>(exported.size()), exported.data());
    ASSERT_TRUE(mf);
    RECT extent = frame;
    COLORREF colors[256];
    int colorCount = 0, flags = 0;
    EXPECT_NE(kScanUnsuitable, ScanMetafile(mf, &extent, &colorCount, colors, &flags));
    DeleteMetaFile(mf);
}

// Text-out records: the clipping rectangle comes only with the opaque or clipped options.
TEST(MetafilePlayback, TextOutReadsItsRectangleOnlyWhenOpaqueOrClipped)
{
    // "ABCDEFGH" read right to left (0x80), then eight spacings: no rectangle in between.
    const std::vector<WORD> rtl = {19, 0, MetaExtTextOut, 20, 10, 8, 0x80, 0x4241, 0x4443, 0x4645, 0x4847,
                                   9, 9, 9, 9, 9, 9, 9, 9};
    const std::vector<WORD> clipped = {14, 0, MetaExtTextOut, 20, 10, 2, 0x04, 0, 0, 50, 40, 0x4241, 5, 5};
    const RECT box = {0, 0, 100, 100};
    const auto played = OfFunction(Play(Handmade({rtl, clipped}), box, box), MetaExtTextOut);
    ASSERT_EQ(2u, played.size());
    auto text = [](const MetaRecord& r, size_t at, size_t count) {
        std::string out(count, ' ');
        std::memcpy(out.data(), r.params.data() + at, count);
        return out;
    };
    EXPECT_EQ(0x80, played[0].params[3]);
    ASSERT_GE(played[0].params.size(), 8u);
    EXPECT_EQ("ABCDEFGH", text(played[0], 4, 8));   // recorded without a rectangle either
    EXPECT_EQ(0x04, played[1].params[3]);
    ASSERT_GE(played[1].params.size(), 9u);
    EXPECT_EQ((std::vector<short>{0, 0, 50, 40}), std::vector<short>(played[1].params.begin() + 4, played[1].params.begin() + 8));
    EXPECT_EQ("AB", text(played[1], 8, 2));

    // The record check counts the rectangle by the same options.
    const struct { WORD options; WORD words; int sound; } cases[] = {
        {0x80, 8, 1}, {0x00, 8, 1}, {0x02, 8, 0}, {0x04, 8, 0}, {0x02, 12, 1}, {0x86, 12, 1},
    };
    for (const auto& c : cases) {
        std::vector<WORD> record(c.words, 0);
        record[0] = c.words;
        record[2] = MetaExtTextOut;
        record[5] = 2;
        record[6] = c.options;
        EXPECT_EQ(c.sound, IsSoundMetafileRecord(record.data(), c.words)) << c.options << " " << c.words;
    }
}

TEST(MetafileFormat, SanitizerKeepsWholeRecordsOnly)
{
    auto bits = Handmade({{7, 0, MetaRectangle, 50, 50, 0, 0}});
    EXPECT_EQ(bits.size(), SanitizeMetafileBits(bits.data(), static_cast<std::uint32_t>(bits.size())));
    EXPECT_EQ(18u + 14u, SanitizeMetafileBits(bits.data(), 18 + 14 + 3));   // the EOF record cut
    bits[2] = 8;   // header size
    EXPECT_EQ(0u, SanitizeMetafileBits(bits.data(), static_cast<std::uint32_t>(bits.size())));
    EXPECT_EQ(0u, SanitizeMetafileBits(bits.data(), 10));

    PlaceableInfo info;
    const BYTE header[22] = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0xA0, 0x05, 0xD0, 0x02, 0xA0, 0x05};
    ASSERT_EQ(0, ParsePlaceableHeader(header, sizeof header, &info));
    EXPECT_EQ(1440, info.right);
    EXPECT_EQ(720, info.bottom);
    EXPECT_EQ(1440, info.unitsPerInch);
    EXPECT_EQ(1, ParsePlaceableHeader(header, 21, &info));
    BYTE wrong[22] = {};
    EXPECT_EQ(1, ParsePlaceableHeader(wrong, sizeof wrong, &info));
}

TEST(MetafileFormat, DibLayoutsComeFromTheHeader)
{
    std::vector<BYTE> dib(40 + 2 * 4 + 4 * 2, 0);
    BITMAPINFOHEADER h = {40, 2, -2, 1, 8, BI_RGB, 0, 0, 0, 2, 0};
    std::memcpy(dib.data(), &h, 40);
    DibLayout layout;
    ASSERT_EQ(0, ReadDibLayout(dib.data(), dib.size(), 4, &layout));
    EXPECT_EQ(8u, layout.tableBytes);   // biClrUsed entries, not 256
    EXPECT_EQ(48u, layout.bitsOffset);
    EXPECT_TRUE(layout.topDown);
    EXPECT_EQ(2, layout.height);
    EXPECT_EQ(1, ReadDibLayout(dib.data(), dib.size() - 1, 4, &layout));   // pixels cut
    h.biClrUsed = 0;
    std::memcpy(dib.data(), &h, 40);
    EXPECT_EQ(1, ReadDibLayout(dib.data(), dib.size(), 4, &layout));   // 256 entries do not fit
    h.biSize = 12;
    std::memcpy(dib.data(), &h, 40);
    EXPECT_EQ(1, ReadDibLayout(dib.data(), dib.size(), 4, &layout));
}

double EllipseError(const POINT& p, const RECT& r)
{
    const double a = (r.right - r.left) / 2.0, b = (r.bottom - r.top) / 2.0;
    const double x = (p.x - (r.left + a)) / a, y = (p.y - (r.top + b)) / b;
    return std::fabs(std::sqrt(x * x + y * y) - 1.0);
}

TEST(ArcTessellation, ArcsRunCounterClockwiseOnTheEllipse)
{
    const RECT r = {0, 0, 200, 100};
    POINT points[8 * 20 + 2];
    int n = 0;
    // From the right point over the top to the left point.
    ArcToPoints(&r, 300, 50, -100, 50, 0, 20, points, &n);
    ASSERT_GT(n, 10);
    EXPECT_LE(n, 8 * 20 + 2);
    EXPECT_EQ(200, points[0].x);
    EXPECT_EQ(50, points[0].y);
    EXPECT_EQ(0, points[n - 1].x);
    EXPECT_EQ(50, points[n - 1].y);
    for (int i = 0; i < n; ++i) {
        EXPECT_LE(points[i].y, 50) << i;
        EXPECT_LT(EllipseError(points[i], r), 0.03) << i;
    }
    // The other way round: under the bottom.
    ArcToPoints(&r, -100, 50, 300, 50, 0, 20, points, &n);
    for (int i = 0; i < n; ++i)
        EXPECT_GE(points[i].y, 50) << i;
    // Pie: the centre first and last; chord: closed on the first point.
    ArcToPoints(&r, 200, 0, 0, 0, 2, 20, points, &n);
    EXPECT_EQ(100, points[0].x);
    EXPECT_EQ(50, points[0].y);
    EXPECT_EQ(points[0].x, points[n - 1].x);
    EXPECT_EQ(points[0].y, points[n - 1].y);
    ArcToPoints(&r, 200, 0, 0, 0, 1, 20, points, &n);
    EXPECT_EQ(points[0].x, points[n - 1].x);
    EXPECT_EQ(points[0].y, points[n - 1].y);
    // A degenerate box gives points, not a crash.
    const RECT flat = {10, 10, 10, 10};
    ArcToPoints(&flat, 0, 0, 20, 20, 0, 20, points, &n);
    EXPECT_GT(n, 0);
}

TEST(ArcTessellation, PointsProjectAlongTheRayFromTheCentre)
{
    const RECT r = {0, 0, 200, 100};
    const struct { POINT in, out; } cases[] = {
        {{300, 50}, {200, 50}}, {{-5, 50}, {0, 50}}, {{100, -10}, {100, 0}}, {{100, 90}, {100, 100}},
        {{200, 100}, {170, 85}}};
    for (const auto& c : cases) {
        POINT p = c.in;
        ProjectOntoEllipse(&p, &r);
        EXPECT_EQ(c.out.x, p.x) << c.in.x << "," << c.in.y;
        EXPECT_EQ(c.out.y, p.y) << c.in.x << "," << c.in.y;
    }
}

} // namespace
