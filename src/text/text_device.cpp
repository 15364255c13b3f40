// Production's answers to the text engine's device questions.
#include "text/text_device.h"

#include "text/font_cache.h"

namespace {

TextDevice g_productionDevice;
TextDevice* g_installedDevice = nullptr;

}  // namespace

HFONT TextDevice::RunFont(const TenState* state, const TextRun& run, int size)
{
    if (!state) return nullptr;
    const int unitsPerInch = state->baseUnit > 0 ? state->baseUnit : 600;
    return GetCachedFont(state->fontList, state->fontMap, run.face, size, run.style, 0, 0,
                         unitsPerInch);
}

void TextDevice::SelectFont(HDC dc, HFONT font)
{
    if (dc && font) SelectObject(dc, font);
}

BOOL TextDevice::Metrics(HDC dc, TEXTMETRICA* metrics)
{
    return dc ? GetTextMetricsA(dc, metrics) : FALSE;
}

int TextDevice::Extent(HDC dc, const char* text, int n)
{
    SIZE size{0, 0};
    if (!dc || n <= 0 || !GetTextExtentPoint32A(dc, text, n, &size)) return 0;
    return size.cx;
}

BOOL TextDevice::CharWidth(HDC dc, BYTE c, int* width)
{
    INT w = 0;
    if (!dc || !GetCharWidthA(dc, c, c, &w)) return FALSE;
    *width = w;
    return TRUE;
}

int TextDevice::SetCharExtra(HDC dc, int extra)
{
    if (!dc) return 0;
    const int previous = SetTextCharacterExtra(dc, extra);
    return previous == static_cast<int>(0x80000000) ? 0 : previous;
}

BOOL TextDevice::SetJustify(HDC dc, int extra, int breaks)
{
    return dc ? SetTextJustification(dc, extra, breaks) : FALSE;
}

BOOL TextDevice::IsLeadByte(BYTE c)
{
    return IsDBCSLeadByte(c);
}

TextDevice& CurrentTextDevice()
{
    return g_installedDevice ? *g_installedDevice : g_productionDevice;
}

TextDevice* InstallTextDevice(TextDevice* device)
{
    TextDevice* previous = g_installedDevice;
    g_installedDevice = device;
    return previous;
}
