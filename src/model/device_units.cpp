// Device units and colours for every device that shows a drawing.
#include "model/device_units.h"

#include "exchange/exchange_services.h"
#include "frame/frame_services.h"
#include "store/results.h"

int GetDeviceDpi(HDC dc, int axis, int fallback)
{
    if (g_renderingMetafile)
        return fallback;
    const int value = GetDeviceCaps(dc, axis);
    if (value > 1000 || GetDeviceCaps(dc, TECHNOLOGY) != DT_RASDISPLAY)
        return value;
    return RoundDisplayDpi(value);
}

int RoundDisplayDpi(int value)
{
    if (value >= 50) {
        const int hundreds = value / 100 * 100;
        return hundreds < 100 ? 100 : hundreds;
    }
    if (value <= 0)
        return 100;   // a device that reports nothing is taken as plain 100 per inch
    return 100 / (100 / value);
}

void SetLogicalUnits(HDC dc, int zoom, int unitsPerInch)
{
    SetMapMode(dc, MM_ANISOTROPIC);
    if (g_renderingMetafile)
        return;
    SetWindowExtEx(dc, unitsPerInch, unitsPerInch, nullptr);
    int x = GetDeviceDpi(dc, LOGPIXELSX, unitsPerInch);
    int y = GetDeviceDpi(dc, LOGPIXELSY, unitsPerInch);
    if (zoom != 0) {
        x = x * zoom / 1000;
        y = y * zoom / 1000;
    }
    SetViewportExtEx(dc, x, y, nullptr);
}

void LogicalToDeviceSize(HDC dc, SIZE* size)
{
    POINT p[2] = {{0, 0}, {size->cx, size->cy}};
    LPtoDP(dc, p, 2);
    size->cx = p[1].x - p[0].x;
    size->cy = p[1].y - p[0].y;
}

void DeviceToLogicalSize(HDC dc, SIZE* size)
{
    POINT p[2] = {{0, 0}, {size->cx, size->cy}};
    DPtoLP(dc, p, 2);
    size->cx = p[1].x - p[0].x;
    size->cy = p[1].y - p[0].y;
}

void ConvertDeviceSize(HDC dc, SIZE* size)
{
    DeviceToLogicalSize(dc, size);
}

COLORREF QuantizeColor(COLORREF color)
{
    const COLORREF rgb = color & 0xFFFFFF;
    if (rgb == 0 || rgb == 0xFFFFFF)
        return color;
    auto channel = [](int c) {
        if (c >= 108 && c <= 148)
            return 128;
        if (c >= 176 && c <= 208)
            return 192;
        const int v = (c + 8) / 16 * 16;
        return v > 255 ? 255 : v;
    };
    return RGB(channel(GetRValue(color)), channel(GetGValue(color)), channel(GetBValue(color)));
}

COLORREF MapColorForDevice(HDC dc, COLORREF color, BOOL forPen)
{
    COLORREF result = color;
    const COLORREF white = RGB(255, 255, 255);
    if (g_printingWithoutColor) {
        result = forPen ? RGB(0, 0, 0) : white;
    } else if (g_monochromeDisplay) {
        if (forPen && (color & 0xFFFFFF) != white)
            result = RGB(0, 0, 0);
    } else if (g_sixteenColorDisplay && !g_printing) {
        if (forPen) {
            HDC screen = nullptr;
            HDC device = dc;
            if (g_renderingMetafile) {
                screen = GetDC(g_frameWindow);
                device = screen;
            }
            const COLORREF nearest = GetNearestColor(device, color & 0xFFFFFF);
            if (screen)
                ReleaseDC(g_frameWindow, screen);
            result = ((color & 0xFFFFFF) != white && (nearest & 0xFFFFFF) == white) ? RGB(192, 192, 192)
                                                                                    : nearest;
        } else {
            result = QuantizeColor(color);
        }
    }
    return 0x02000000 | (result & 0xFFFFFF);
}

HPEN CreateDevicePen(HDC dc, int style, int width, COLORREF color)
{
    if (g_isWindowsNT && width > 0 && !g_renderingMetafile) {
        LOGBRUSH brush = {BS_SOLID, MapColorForDevice(dc, color, TRUE), 0};
        const DWORD penStyle = PS_GEOMETRIC | static_cast<DWORD>(style) | PS_ENDCAP_SQUARE | PS_JOIN_MITER;
        if (HPEN pen = ExtCreatePen(penStyle, static_cast<DWORD>(width), &brush, 0, nullptr))
            return pen;
    }
    return CreatePen(style, width, color);
}

DWORD GetTextExtentPacked(HDC dc, LPCSTR text, int length)
{
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text, length, &size);
    return (static_cast<DWORD>(size.cy & 0xFFFF) << 16) | static_cast<DWORD>(size.cx & 0xFFFF);
}

void DrawBitmapAt(HDC dc, HBITMAP bitmap, int x, int y, DWORD rasterOp)
{
    BITMAP info = {};
    if (!GetObjectA(bitmap, sizeof(info), &info))
        return;
    HDC memory = CreateCompatibleDC(dc);
    if (!memory)
        return;
    SetMapMode(memory, GetMapMode(dc));
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, rasterOp);
    SelectObject(memory, old);
    DeleteDC(memory);
}

int SplitDeviceString(char* text, char** driver, char** device, char** port)
{
    *driver = nullptr;
    *device = nullptr;
    *port = nullptr;
    if (!text)
        return ErrOutOfMemory;
    *device = text;
    int commas = 0;
    for (char* c = text; *c;) {
        if (*c == ',') {
            *c++ = '\0';
            while (*c == ' ')
                ++c;
            if (++commas == 1)
                *driver = c;
            else
                *port = c;
            continue;
        }
        c = CharNextA(c);
    }
    return 0;
}

void SetRectNormalized(RECT* rect, int x1, int y1, int x2, int y2)
{
    rect->left = x1 < x2 ? x1 : x2;
    rect->right = x1 < x2 ? x2 : x1;
    rect->top = y1 < y2 ? y1 : y2;
    rect->bottom = y1 < y2 ? y2 : y1;
}

void InflateRectBy(RECT* rect, const RECT* amounts)
{
    rect->left -= amounts->left;
    rect->top -= amounts->top;
    rect->right += amounts->right;
    rect->bottom += amounts->bottom;
}

void DeflateRectBy(RECT* rect, const RECT* amounts)
{
    rect->left += amounts->left;
    rect->top += amounts->top;
    rect->right -= amounts->right;
    rect->bottom -= amounts->bottom;
}

int TimesFour(int value)
{
    return value * 4;
}
