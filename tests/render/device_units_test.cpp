// Device mapping at 600 units per inch, colours for the device's abilities, pens and the
// device-string and rectangle helpers.
#include <gtest/gtest.h>

#include <cstring>

#include "exchange/exchange_services.h"
#include "frame/frame_services.h"
#include "model/device_units.h"

namespace {

// Restores every process-wide rendering state a test changes.
class DeviceUnits : public testing::Test {
protected:
    void TearDown() override
    {
        g_renderingMetafile = g_printing = g_printingWithoutColor = FALSE;
        g_monochromeDisplay = g_sixteenColorDisplay = FALSE;
        g_isWindowsNT = TRUE;
    }
};

TEST_F(DeviceUnits, ScreenResolutionRoundsToWholeHundreds)
{
    const struct { int reported, used; } cases[] = {
        {96, 100}, {120, 100}, {200, 200}, {240, 200}, {50, 100}, {40, 50}, {30, 33}};
    for (const auto& c : cases)
        EXPECT_EQ(c.used, RoundDisplayDpi(c.reported)) << c.reported;
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(100, GetDeviceDpi(screen, LOGPIXELSX, 600));   // Xvfb reports 96
    g_renderingMetafile = TRUE;
    EXPECT_EQ(600, GetDeviceDpi(screen, LOGPIXELSX, 600));
    ReleaseDC(nullptr, screen);
}

TEST_F(DeviceUnits, SixHundredUnitsMakeAnInchAtTheZoom)
{
    HDC dc = CreateCompatibleDC(nullptr);
    const struct { int zoom, pixels; } cases[] = {{0, 100}, {1000, 100}, {500, 50}, {2000, 200}};
    for (const auto& c : cases) {
        SetLogicalUnits(dc, c.zoom, 600);
        POINT p = {600, 600};
        LPtoDP(dc, &p, 1);
        EXPECT_EQ(c.pixels, p.x) << c.zoom;
        EXPECT_EQ(c.pixels, p.y) << c.zoom;
        // Sizes do not depend on the origin.
        SetWindowOrgEx(dc, 1234, 77, nullptr);
        SIZE s = {600, 1200};
        LogicalToDeviceSize(dc, &s);
        EXPECT_EQ(c.pixels, s.cx);
        EXPECT_EQ(2 * c.pixels, s.cy);
        DeviceToLogicalSize(dc, &s);
        EXPECT_EQ(600, s.cx);
        SetWindowOrgEx(dc, 0, 0, nullptr);
    }
    DeleteDC(dc);
}

TEST_F(DeviceUnits, IntoAMetafileOnlyTheMappingModeIsSet)
{
    g_renderingMetafile = TRUE;
    HDC dc = CreateMetaFileA(nullptr);
    SetLogicalUnits(dc, 500, 600);
    HMETAFILE mf = CloseMetaFile(dc);
    BYTE bits[256] = {};
    const UINT size = GetMetaFileBitsEx(mf, sizeof bits, bits);
    DeleteMetaFile(mf);
    int functions = 0;
    WORD first = 0;
    for (UINT at = 18; at + 6 <= size;) {
        DWORD words;
        WORD function;
        std::memcpy(&words, bits + at, 4);
        std::memcpy(&function, bits + at + 4, 2);
        if (function == 0 || words < 3)
            break;
        if (functions++ == 0)
            first = function;
        at += words * 2;
    }
    EXPECT_EQ(1, functions);
    EXPECT_EQ(0x0103, first);   // SetMapMode
}

TEST_F(DeviceUnits, ColoursFollowTheDevicesAbilities)
{
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(RGB(128, 192, 32), QuantizeColor(RGB(130, 200, 30)));
    EXPECT_EQ(RGB(0, 0, 0), QuantizeColor(RGB(0, 0, 0)));
    EXPECT_EQ(RGB(255, 255, 255), QuantizeColor(RGB(255, 255, 255)));
    EXPECT_EQ(RGB(255, 16, 0), QuantizeColor(RGB(250, 9, 7)));   // capped at 255; 9 + 8 -> 16

    // Plain devices keep the colour, palette-relative.
    EXPECT_EQ(0x02123456u, MapColorForDevice(dc, 0x00123456, TRUE));
    EXPECT_EQ(0x02123456u, MapColorForDevice(dc, 0x00123456, FALSE));

    g_sixteenColorDisplay = TRUE;
    EXPECT_EQ(0x02000000u | RGB(128, 192, 32), MapColorForDevice(dc, RGB(130, 200, 30), FALSE));
    g_printing = TRUE;   // the 16-colour rules are for the screen only
    EXPECT_EQ(0x02000000u | RGB(130, 200, 30), MapColorForDevice(dc, RGB(130, 200, 30), FALSE));
    g_printing = FALSE;

    // Pens take the nearest colour a 16-colour device has; one that would vanish as white is
    // drawn light grey instead.
    struct Vga {
        BITMAPINFOHEADER header;
        RGBQUAD table[16];
    } vga = {{sizeof(BITMAPINFOHEADER), 8, 8, 1, 4, BI_RGB, 0, 0, 0, 16, 0}, {}};
    const COLORREF palette[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                  0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                  0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    for (int i = 0; i < 16; ++i)
        vga.table[i] = RGBQUAD{GetBValue(palette[i]), GetGValue(palette[i]), GetRValue(palette[i]), 0};
    void* pixels = nullptr;
    HBITMAP fourBit = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&vga), DIB_RGB_COLORS,
                                       &pixels, nullptr, 0);
    ASSERT_TRUE(fourBit);
    HGDIOBJ old = SelectObject(dc, fourBit);
    const struct { COLORREF pen, drawn; } pens[] = {
        {RGB(255, 255, 200), RGB(192, 192, 192)},   // light yellow, nearest white
        {RGB(250, 10, 0), RGB(255, 0, 0)},
        {RGB(130, 0, 0), RGB(128, 0, 0)},
        {RGB(255, 255, 255), RGB(255, 255, 255)},   // white itself stays white
    };
    for (const auto& c : pens)
        EXPECT_EQ(0x02000000u | c.drawn, MapColorForDevice(dc, c.pen, TRUE)) << std::hex << c.pen;
    // Into a metafile the frame window's screen (true colour here) answers, not the metafile.
    g_renderingMetafile = TRUE;
    EXPECT_EQ(0x02000000u | RGB(255, 255, 200), MapColorForDevice(dc, RGB(255, 255, 200), TRUE));
    g_renderingMetafile = FALSE;
    SelectObject(dc, old);
    DeleteObject(fourBit);
    g_sixteenColorDisplay = FALSE;

    g_monochromeDisplay = TRUE;
    EXPECT_EQ(0x02000000u, MapColorForDevice(dc, RGB(255, 255, 0), TRUE));
    EXPECT_EQ(0x02FFFFFFu, MapColorForDevice(dc, RGB(255, 255, 255), TRUE));
    EXPECT_EQ(0x0200FFFFu, MapColorForDevice(dc, RGB(255, 255, 0), FALSE));

    g_printingWithoutColor = TRUE;   // wins over every other rule
    EXPECT_EQ(0x02000000u, MapColorForDevice(dc, RGB(255, 0, 0), TRUE));
    EXPECT_EQ(0x02FFFFFFu, MapColorForDevice(dc, RGB(255, 0, 0), FALSE));
    DeleteDC(dc);
}

TEST_F(DeviceUnits, WidePensAreGeometricOnNtOnly)
{
    HDC dc = CreateCompatibleDC(nullptr);
    auto type = [&](int width) {
        HPEN pen = CreateDevicePen(dc, PS_SOLID, width, RGB(255, 0, 0));
        const DWORD t = GetObjectType(pen);
        DeleteObject(pen);
        return t;
    };
    EXPECT_EQ(static_cast<DWORD>(OBJ_EXTPEN), type(24));
    EXPECT_EQ(static_cast<DWORD>(OBJ_PEN), type(0));
    g_renderingMetafile = TRUE;
    EXPECT_EQ(static_cast<DWORD>(OBJ_PEN), type(24));
    g_renderingMetafile = FALSE;
    g_isWindowsNT = FALSE;
    EXPECT_EQ(static_cast<DWORD>(OBJ_PEN), type(24));
    DeleteDC(dc);
}

TEST_F(DeviceUnits, BitmapsAndTextExtents)
{
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 40, -40, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits;
    HBITMAP target = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, target);
    PatBlt(dc, 0, 0, 40, 40, WHITENESS);
    HDC source = CreateCompatibleDC(dc);
    HBITMAP red = CreateCompatibleBitmap(dc, 4, 3);
    HGDIOBJ old = SelectObject(source, red);
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    RECT all = {0, 0, 4, 3};
    FillRect(source, &all, brush);
    SelectObject(source, old);
    DeleteDC(source);
    DrawBitmapAt(dc, red, 10, 20, SRCCOPY);
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 10, 20));
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 13, 22));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 14, 22));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 13, 23));

    SIZE extent;
    GetTextExtentPoint32A(dc, "Hello", 5, &extent);
    const DWORD packed = GetTextExtentPacked(dc, "Hello", 5);
    EXPECT_EQ(extent.cx, static_cast<LONG>(LOWORD(packed)));
    EXPECT_EQ(extent.cy, static_cast<LONG>(HIWORD(packed)));
    DeleteObject(brush);
    DeleteObject(red);
    DeleteDC(dc);
    DeleteObject(target);
}

TEST_F(DeviceUnits, DeviceStringsAndRectangles)
{
    char text[] = "Test PS, wineps.drv,  /tmp/out.ps";
    char *driver, *device, *port;
    ASSERT_EQ(0, SplitDeviceString(text, &driver, &device, &port));
    EXPECT_STREQ("Test PS", device);
    EXPECT_STREQ("wineps.drv", driver);
    EXPECT_STREQ("/tmp/out.ps", port);
    char four[] = "A,B,C,D";
    SplitDeviceString(four, &driver, &device, &port);
    EXPECT_STREQ("D", port);   // a later part replaces the port
    char one[] = "Alone";
    SplitDeviceString(one, &driver, &device, &port);
    EXPECT_STREQ("Alone", device);
    EXPECT_EQ(nullptr, driver);
    EXPECT_EQ(nullptr, port);
    EXPECT_EQ(10004, SplitDeviceString(nullptr, &driver, &device, &port));

    RECT r;
    SetRectNormalized(&r, 50, 10, 20, 40);
    EXPECT_EQ(20, r.left);
    EXPECT_EQ(50, r.right);
    EXPECT_EQ(10, r.top);
    EXPECT_EQ(40, r.bottom);
    const RECT amounts = {1, 2, 3, 4};
    InflateRectBy(&r, &amounts);
    EXPECT_EQ(19, r.left);
    EXPECT_EQ(8, r.top);
    EXPECT_EQ(53, r.right);
    EXPECT_EQ(44, r.bottom);
    DeflateRectBy(&r, &amounts);
    EXPECT_EQ(20, r.left);
    EXPECT_EQ(40, r.bottom);
}

} // namespace
