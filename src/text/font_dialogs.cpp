// The font dialogs over the system's ChooseFont.
#include "text/font_dialogs.h"

#include <cstring>

#include "documents/file_dialogs.h"
#include "frame/frame_services.h"
#include "frame/help_context.h"
#include "model/device_units.h"
#include "model/drawing.h"
#include "model/window_utils.h"
#include "text/font_list.h"

namespace {

constexpr DWORD kFontDialogFlags = CF_PRINTERFONTS | CF_SHOWHELP | CF_ENABLEHOOK | CF_INITTOLOGFONTSTRUCT |
                                   CF_LIMITSIZE | CF_TTONLY;
static_assert(kFontDialogFlags == 0x4204E);
constexpr int kSmallestPoints = 4;
constexpr int kLargestPoints = 144;
constexpr int kHelpButton = 1038;
constexpr int kHelpKeyCommand = 30001;
constexpr int kFontHelpTopic = 113;
constexpr int kLogFontScale = 6;   // 1/600 inch shown to the dialog in 1/100 inch

BOOL CallChooseFont(CHOOSEFONTA* choose) { return ChooseFontA(choose); }

CHOOSEFONTA DialogRecord(HWND owner, HDC dc, LOGFONTA* font, DWORD flags)
{
    CHOOSEFONTA choose = {};
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = owner;
    choose.hDC = dc;
    choose.lpLogFont = font;
    choose.Flags = kFontDialogFlags | flags;
    choose.nSizeMin = kSmallestPoints;
    choose.nSizeMax = kLargestPoints;
    choose.lpfnHook = VXFontHook;
    return choose;
}

BOOL RunDialog(CHOOSEFONTA* choose)
{
    HelpFilterScope help;
    return g_chooseFontCall ? g_chooseFontCall(choose) : FALSE;
}

int ScreenPixelsPerInch()
{
    HDC screen = GetDC(g_frameWindow);
    const int perInch = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(g_frameWindow, screen);
    return perInch;
}

}  // namespace

ChooseFontCall g_chooseFontCall = CallChooseFont;
SymbolDialogCall g_symbolDialogCall = nullptr;

int ChooseTypefaceDialog(HWND owner, HGLOBAL list, HGLOBAL map, HDC dc, int* slot, int* size, int* style)
{
    DWORD flags = 0;
    int index = 0;
    if (*slot < 0) {
        flags |= CF_NOFACESEL;
    } else if (map) {
        Locked<FontMapHead> head(map);
        const int count = head ? FontMapUsableCount(map, head.get()) : 0;
        index = *slot < count ? FontMapSlots(head.get())[*slot] : 0;
    } else {
        index = *slot;
    }
    LOGFONTA font = {};
    {
        Locked<FontListHead> head(list);
        if (!head || index < 0 || index >= FontListUsableCount(list, head.get())) return -1;
        font = FontListEntries(head.get())[index].logFont;
    }
    if (*size > 0) font.lfHeight = -MulDiv(ScreenPixelsPerInch(), *size, 72);
    else flags |= CF_NOSIZESEL;
    if (*style & kFontDialogMixedStyle) {
        flags |= CF_NOSTYLESEL;
    } else {
        font.lfWeight = (*style & 1) ? FW_BOLD : FW_NORMAL;
        font.lfItalic = (*style & 2) ? TRUE : FALSE;
        font.lfUnderline = (*style & 4) ? TRUE : FALSE;
        font.lfStrikeOut = (*style & 0x40) ? TRUE : FALSE;
    }
    CHOOSEFONTA choose = DialogRecord(owner, dc, &font, flags);
    choose.iPointSize = *size * 10;
    if (!RunDialog(&choose)) return 0;

    if (choose.Flags & CF_NOFACESEL) {
        *slot = -1;
    } else {
        int found = FindFontByFaceAndCharset(list, font.lfFaceName, font.lfCharSet);
        if (found < 0) found = FindFontByFace(list, font.lfFaceName);
        if (found < 0) *slot = -1;
        else *slot = map ? MapDocumentFont(map, found) : found;
    }
    *size = (choose.Flags & CF_NOSIZESEL) ? -1 : choose.iPointSize / 10;
    if (choose.Flags & CF_NOSTYLESEL) {
        *style = kFontDialogMixedStyle;
    } else {
        *style = font.lfWeight > FW_NORMAL ? (*style | 1) : (*style & ~1);
        *style = font.lfItalic ? (*style | 2) : (*style & ~2);
    }
    return 1;
}

int ChooseLogFontDialog(HWND owner, LOGFONTA* font)
{
    HDC screen = GetDC(g_frameWindow);
    if (screen) SetLogicalUnits(screen, 0, 600);
    LOGFONTA shown = *font;
    shown.lfHeight /= kLogFontScale;
    CHOOSEFONTA choose = DialogRecord(owner, screen, &shown, 0);
    choose.iPointSize = 100;
    const BOOL ok = RunDialog(&choose);
    if (ok) {
        shown.lfHeight *= kLogFontScale;
        *font = shown;
    }
    if (screen) ReleaseDC(g_frameWindow, screen);
    return ok ? 1 : 0;
}

extern "C" UINT_PTR CALLBACK VXFontHook(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        CenterWindowOver(dialog, g_frameWindow);
    } else if (message == WM_COMMAND) {
        const bool helpButton = LOWORD(wParam) == kHelpButton && HIWORD(wParam) == 0;
        if (helpButton || LOWORD(wParam) == kHelpKeyCommand) ShowHelpContext(kFontHelpTopic);
    }
    return 0;
}

int RunSymbolDialog(char* face, int* code, BOOL* fontChosen)
{
    return g_symbolDialogCall ? g_symbolDialogCall(face, code, fontChosen) : 0;
}
