// What the Edit menu's Paste item offers for the clipboard's contents.
#include "model/paste_format.h"

#include <windows.h>

int GetPasteFormat()
{
    UINT token = RegisterClipboardFormatA("VXPICT");
    UINT noToken = RegisterClipboardFormatA("VXNPICT");
    if (!OpenClipboard(nullptr)) return 0;
    int id = 0;
    if (IsClipboardFormatAvailable(token))
        id = 3002;
    else if (IsClipboardFormatAvailable(noToken))
        id = 0;
    else if (IsClipboardFormatAvailable(CF_METAFILEPICT))
        id = 3004;
    else if (IsClipboardFormatAvailable(CF_DIB) || IsClipboardFormatAvailable(CF_BITMAP))
        id = 3003;
    CloseClipboard();
    return id;
}
