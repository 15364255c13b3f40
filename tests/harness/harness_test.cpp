// Proves the test world: windows and messages, GDI in drawing units, resources, the test
// printer and metafiles all work inside the runner's Wine prefix and display.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "resource.h"

namespace {

UINT g_lastMessage = 0;
WPARAM g_lastWParam = 0;

LRESULT CALLBACK ProbeWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_USER + 7) {
        g_lastMessage = msg;
        g_lastWParam = wp;
        return 42;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

TEST(Harness, RegisteredWindowReceivesSentMessage)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ProbeWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VexlorProbeClass";
    ASSERT_NE(RegisterClassA(&wc), 0);
    HWND hwnd = CreateWindowA("VexlorProbeClass", "probe", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                              nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr) << "no display: is the runner's Xvfb up?";
    EXPECT_EQ(SendMessageA(hwnd, WM_USER + 7, 1234, 0), 42);
    EXPECT_EQ(g_lastMessage, static_cast<UINT>(WM_USER + 7));
    EXPECT_EQ(g_lastWParam, 1234u);
    DestroyWindow(hwnd);
    UnregisterClassA("VexlorProbeClass", wc.hInstance);
}

// A 24-bit DIB section selected into a memory DC; pixels are read straight from its bits.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    BYTE* bits = nullptr;
    int width, height;
    Canvas(int w, int h) : width(w), height(h)
    {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 24;
        dc = CreateCompatibleDC(nullptr);
        void* p = nullptr;
        bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<BYTE*>(p);
        old = SelectObject(dc, bitmap);
        PatBlt(dc, 0, 0, w, h, WHITENESS);
    }
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    COLORREF Pixel(int x, int y) const
    {
        GdiFlush();
        const BYTE* p = bits + y * ((width * 3 + 3) & ~3) + x * 3;
        return RGB(p[2], p[1], p[0]);
    }
};

TEST(Harness, AnisotropicDrawingUnitsReachPixels)
{
    // 600 drawing units per inch on a 100-pixels-per-inch device: one pixel is six units.
    Canvas c(200, 200);
    SetMapMode(c.dc, MM_ANISOTROPIC);
    SetWindowExtEx(c.dc, 600, 600, nullptr);
    SetViewportExtEx(c.dc, 100, 100, nullptr);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT r = {600, 600, 1200, 1200};  // pixels 100..199
    FillRect(c.dc, &r, red);
    DeleteObject(red);
    EXPECT_EQ(c.Pixel(99, 99), RGB(255, 255, 255));
    EXPECT_EQ(c.Pixel(100, 100), RGB(255, 0, 0));
    EXPECT_EQ(c.Pixel(150, 199), RGB(255, 0, 0));
    POINT p = {1200, 300};
    LPtoDP(c.dc, &p, 1);
    EXPECT_EQ(p.x, 200);
    EXPECT_EQ(p.y, 50);
}

TEST(Harness, StringAndGeneratedBitmapLoadFromResources)
{
    HINSTANCE inst = GetModuleHandleA(nullptr);
    char text[261];
    EXPECT_EQ(LoadStringA(inst, IDS_OPTIONS_FILE, text, sizeof text), 11);
    EXPECT_STREQ(text, "VEXLRK3.OPT");
    EXPECT_EQ(LoadStringA(inst, 1, text, sizeof text), 0);

    HBITMAP bmp = LoadBitmapA(inst, MAKEINTRESOURCEA(IDB_GREY_CHECKER));
    ASSERT_NE(bmp, nullptr);
    BITMAP info;
    ASSERT_EQ(GetObjectA(bmp, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 8);
    EXPECT_EQ(info.bmHeight, 8);
    EXPECT_EQ(info.bmBitsPixel, 1);
    // Alternate pixels set: the top row reads 10101010 and the next 01010101.
    BYTE rows[8 * 2] = {};
    ASSERT_EQ(GetBitmapBits(bmp, sizeof rows, rows), static_cast<LONG>(sizeof rows));
    EXPECT_EQ(rows[0], 0xAA);
    EXPECT_EQ(rows[2], 0x55);
    DeleteObject(bmp);
}

std::string TempPath(const char* prefix)
{
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, prefix, 0, path);
    return path;
}

std::string ReadFileText(const std::string& path)
{
    std::string out;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
            out.append(buf, n);
        }
        std::fclose(f);
    }
    return out;
}

TEST(Harness, TestPrinterWritesOnePagePostScriptFile)
{
    char name[256];
    DWORD len = sizeof name;
    ASSERT_TRUE(GetDefaultPrinterA(name, &len)) << "the runner's test printer is missing";
    EXPECT_STREQ(name, "Vexlor Test PS");
    HDC dc = CreateDCA(nullptr, name, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER);

    std::string out = TempPath("VXP");
    DOCINFOA doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = "harness page";
    doc.lpszOutput = out.c_str();
    ASSERT_GT(StartDocA(dc, &doc), 0);
    ASSERT_GT(StartPage(dc), 0);
    Ellipse(dc, 100, 100, 400, 300);
    TextOutA(dc, 100, 400, "Vexlor", 6);
    ASSERT_GT(EndPage(dc), 0);
    ASSERT_GT(EndDoc(dc), 0);
    DeleteDC(dc);

    std::string ps = ReadFileText(out);
    DeleteFileA(out.c_str());
    EXPECT_EQ(ps.rfind("%!PS-Adobe-3.0", 0), 0u);
    EXPECT_NE(ps.find("%%Title: harness page"), std::string::npos);
    EXPECT_NE(ps.find("%%Pages: 1"), std::string::npos);
    EXPECT_NE(ps.find("%%EOF"), std::string::npos);
}

int CALLBACK PlayEachRecord(HDC dc, HANDLETABLE* table, METARECORD* rec, int objects, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return PlayMetaFileRecord(dc, table, rec, static_cast<UINT>(objects));
}

std::vector<BYTE> Snapshot(const Canvas& c)
{
    GdiFlush();
    return std::vector<BYTE>(c.bits, c.bits + ((c.width * 3 + 3) & ~3) * c.height);
}

TEST(Harness, MetafileEnumeratedRecordByRecordPlaysIdentically)
{
    HDC rec = CreateMetaFileA(nullptr);
    ASSERT_NE(rec, nullptr);
    SetWindowOrgEx(rec, 0, 0, nullptr);
    SetWindowExtEx(rec, 1000, 1000, nullptr);
    HPEN pen = CreatePen(PS_DASH, 1, RGB(0, 0, 255));
    HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(0, 128, 0));
    HGDIOBJ oldPen = SelectObject(rec, pen);
    HGDIOBJ oldBrush = SelectObject(rec, hatch);
    Rectangle(rec, 50, 50, 500, 400);
    Ellipse(rec, 300, 300, 900, 900);
    POINT tri[3] = {{100, 900}, {500, 500}, {900, 900}};
    Polygon(rec, tri, 3);
    SelectObject(rec, oldPen);
    SelectObject(rec, oldBrush);
    DeleteObject(pen);
    DeleteObject(hatch);
    HMETAFILE mf = CloseMetaFile(rec);
    ASSERT_NE(mf, nullptr);

    auto setup = [](Canvas& c) {
        SetMapMode(c.dc, MM_ANISOTROPIC);
        SetWindowExtEx(c.dc, 1000, 1000, nullptr);
        SetViewportExtEx(c.dc, c.width, c.height, nullptr);
    };
    Canvas played(160, 160), enumerated(160, 160);
    setup(played);
    setup(enumerated);
    ASSERT_TRUE(PlayMetaFile(played.dc, mf));
    int records = 0;
    ASSERT_TRUE(EnumMetaFile(enumerated.dc, mf, PlayEachRecord, reinterpret_cast<LPARAM>(&records)));
    EXPECT_GT(records, 5);
    EXPECT_EQ(Snapshot(played), Snapshot(enumerated));
    std::vector<BYTE> white(Snapshot(played).size(), 0xFF);
    EXPECT_NE(Snapshot(played), white);
    DeleteMetaFile(mf);
}

}  // namespace
