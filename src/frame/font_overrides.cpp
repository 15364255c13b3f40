// Font adjustments from the string table, so that a translated program can name other fonts.
#include "frame/font_overrides.h"

#include <cstdlib>
#include <cstring>

#include "model/resource_strings.h"
#include "resource.h"

void ApplyFontOverrides(LOGFONTA* font)
{
    char text[261];
    if (LoadResString(IDS_FONT_FACE_OVERRIDE, text) == 0 && text[0]) {
        lstrcpynA(font->lfFaceName, text, LF_FACESIZE);
        font->lfWidth = 0;
    }
    if (LoadResString(IDS_FONT_CHARSET_OVERRIDE, text) == 0 && text[0])
        font->lfCharSet = static_cast<BYTE>(std::atoi(text));
    if (LoadResString(IDS_FONT_HEIGHT_OVERRIDE, text) == 0 && text[0])
        font->lfHeight = std::atoi(text);
}
