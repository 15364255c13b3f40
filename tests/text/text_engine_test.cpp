// The text engine's process-wide set-up: the clipboard format, the label font, the width table.
#include <windows.h>

#include <gtest/gtest.h>

#include "model/device_units.h"
#include "text/text_engine.h"

namespace {

TEST(TextEngine, SetUpRegistersFormatMeasuresLabelFontAndMakesWidthTable)
{
    ASSERT_EQ(0, InitTextEngine());
    EXPECT_EQ(RegisterClipboardFormatA("TENClipClass"), g_tenClipFormat);
    ASSERT_NE(nullptr, g_labelFont);
    LOGFONTA label;
    ASSERT_EQ(static_cast<int>(sizeof(label)), GetObjectA(g_labelFont, sizeof(label), &label));
    EXPECT_STREQ("Helv", label.lfFaceName);

    // The band gap and ascent come from the label font at 600 units per inch on the screen.
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY) / 12, label.lfHeight);
    const int saved = SaveDC(screen);
    SetLogicalUnits(screen, 0, 600);
    HGDIOBJ old = SelectObject(screen, g_labelFont);
    TEXTMETRICA metrics;
    ASSERT_TRUE(GetTextMetricsA(screen, &metrics));
    SelectObject(screen, old);
    RestoreDC(screen, saved);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(metrics.tmHeight + 2, g_bandGap);
    EXPECT_EQ(metrics.tmAscent, g_labelAscent);

    ASSERT_NE(nullptr, g_charWidths);
    EXPECT_EQ(160, g_widthCapacity);
    EXPECT_EQ(static_cast<SIZE_T>(640), GlobalSize(g_widthTable));
    EXPECT_EQ(0, g_charWidths[0]);
    EXPECT_EQ(0, g_charWidths[159]);

    TermTextEngine();
    EXPECT_EQ(nullptr, g_labelFont);
    EXPECT_EQ(nullptr, g_widthTable);
    EXPECT_EQ(nullptr, g_charWidths);
}

}  // namespace
