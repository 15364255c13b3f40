// The one place where the text engine asks a device about text: fonts of runs, metrics,
// extents, character widths, extra spacing, justification and the lead bytes of the code page.
// Production answers from the device context; a test installs a device of its own.
#pragma once

#include <windows.h>

#include "text/text_records.h"

class TextDevice {
public:
    virtual ~TextDevice() = default;
    // The font of a run at `size` points from the process-wide font cache (the cache owns it).
    virtual HFONT RunFont(const TenState* state, const TextRun& run, int size);
    // Selects the font into the device; a null font leaves the device as it is.
    virtual void SelectFont(HDC dc, HFONT font);
    virtual BOOL Metrics(HDC dc, TEXTMETRICA* metrics);
    // Width of n bytes of text, extra spacing included.
    virtual int Extent(HDC dc, const char* text, int n);
    // Advance width of one byte; FALSE when the device cannot tell.
    virtual BOOL CharWidth(HDC dc, BYTE c, int* width);
    // Sets the extra space between characters; returns the previous setting.
    virtual int SetCharExtra(HDC dc, int extra);
    virtual BOOL SetJustify(HDC dc, int extra, int breaks);
    virtual BOOL IsLeadByte(BYTE c);
};

// The device in use: production's unless a test installed another.
TextDevice& CurrentTextDevice();
// Installs `device` (null for production's); returns the one it replaces (null for production's).
TextDevice* InstallTextDevice(TextDevice* device);
