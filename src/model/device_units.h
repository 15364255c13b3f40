// Device units and colours: the 600-units-per-inch mapping of every device that shows a
// drawing, size conversions, colours and pens adapted to the device, small rectangle helpers.
#pragma once

#include <windows.h>


// Units per inch of drawing coordinates.
constexpr int kDrawingUnitsPerInch = 600;

// Pixels per inch of the device along `axis` (LOGPIXELSX or LOGPIXELSY). Screens report whole
// hundreds (at least 100) so that zoom steps land on whole pixels; printers and devices above
// 1000 report what they have; while drawing into a metafile `fallback` answers.
int GetDeviceDpi(HDC dc, int axis, int fallback);
// The rule for raster displays of at most 1000 pixels per inch: 50 or more rounds down to whole
// hundreds (at least 100); below 50, 100 / (100 / value).
int RoundDisplayDpi(int value);

// Anisotropic mapping of `unitsPerInch` logical units to an inch at `zoom` per mille (0 is
// 100 %). Into a metafile only the mapping mode is set: the reader scales the picture.
void SetLogicalUnits(HDC dc, int zoom, int unitsPerInch);

// A width and height converted between logical and device units, independent of the origin.
void LogicalToDeviceSize(HDC dc, SIZE* size);
void DeviceToLogicalSize(HDC dc, SIZE* size);
void ConvertDeviceSize(HDC dc, SIZE* size);

// The colour to draw with on this device: printing without colour, monochrome and 16-colour
// displays adapt it; always palette-relative (0x02BBGGRR).
COLORREF MapColorForDevice(HDC dc, COLORREF color, BOOL forPen);

// Fills on 16-colour displays: each channel moved to the grid the display dithers cleanly.
COLORREF QuantizeColor(COLORREF color);

// On Windows NT a wide pen is geometric with square caps and mitre joins in the mapped colour;
// otherwise (and into metafiles) an ordinary pen of the colour as given.
HPEN CreateDevicePen(HDC dc, int style, int width, COLORREF color);

// The text's extent packed as height * 65536 + width.
DWORD GetTextExtentPacked(HDC dc, LPCSTR text, int length);

// Copies the whole bitmap to (x, y); its pixel size serves as the size in logical units.
void DrawBitmapAt(HDC dc, HBITMAP bitmap, int x, int y, DWORD rasterOp);

// Splits "device,driver,port" in place; blanks after each comma are skipped and a later part
// replaces the port. 0, or 10004 for no text.
int SplitDeviceString(char* text, char** driver, char** device, char** port);

void SetRectNormalized(RECT* rect, int x1, int y1, int x2, int y2);
// Moves each side out (InflateRectBy) or in (DeflateRectBy) by the amount of that side.
void InflateRectBy(RECT* rect, const RECT* amounts);
void DeflateRectBy(RECT* rect, const RECT* amounts);

// Bytes of a colour table of `value` entries.
int TimesFour(int value);
