// Measuring rich text on a device.
#include "text/text_measure.h"

const ParagraphFormat* ParagraphFormatAt(const ParagraphFormat* formats, int count, int index)
{
    if (index < 0 || index >= count) return formats;
    return formats + index;
}

int SetRunCharSpacing(HDC dc, const ParagraphFormat* formats, int count, const TextRun* run)
{
    int extra = 0;
    if (formats && run && run->paragraphFormat >= 0 && run->paragraphFormat < count) {
        const ParagraphFormat& format = formats[run->paragraphFormat];
        if (format.charSpacing != 0 && run->averageWidth != 0)
            extra = format.charSpacing * run->averageWidth / 100;
    }
    return SetTextCharacterExtra(dc, extra);
}
