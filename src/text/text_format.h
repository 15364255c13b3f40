// Text attribute requests of the object classes: the request record and its application to an
// object's stored text.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

#pragma pack(push, 1)

// The pointer argument of the text messages 13-16, 18-20, 22, 23 and 85.
struct TextFormatRequest {
    INT32 mask;           // OM_TEXTFORMAT: 4 face, 8 size, 0x10 set style bits, 0x20 clear them
    INT32 command;        // not read by the text messages
    INT32 face;           // font slot
    INT32 size;           // points
    INT32 setBits;        // 1 bold, 2 italic, 4 underline
    INT32 clearBits;
    INT32 wrap;           // OM_TEXTFLAG: word wrap on or off
    COLORREF color;       // OM_TEXTCOLOR
    INT32 reserved;       // not read by the text messages
    INT32 alignment;      // OM_TEXTALIGN: 0, 2, 6 or 32; OM_TEXTINDENT: the bullet kind 0-4
    INT32 verticalAlign;  // OM_TEXTALIGN: 0 top, 8 bottom, 6 middle
};
static_assert(sizeof(TextFormatRequest) == 44);

#pragma pack(pop)

// The step of a font size change in points: 1 below 12, 2 below 24, else 12; stepping down,
// exactly 12 steps by 1 and exactly 24 by 2.
int FontSizeStep(int size, BOOL down);

// Applies the attribute of a text message to every run or paragraph of the stored text of the
// object at `row` (or of its label), lays the text out again and keeps the object on the page.
// 0 also when the object has no text; otherwise the first store or layout error.
int ApplyObjectTextFormat(Drawing* drawing, ObjectList* objects, int row, int message,
                          const TextFormatRequest* request);
