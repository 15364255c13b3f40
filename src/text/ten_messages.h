// The text editor control's private messages (WM_USER+100 to +170) and the notifications it
// sends or posts to its parent.
#pragma once

#include <windows.h>

#include "commands.h"

enum TenMessage : UINT {
    TEN_UPDATEPOSITION = WM_USER + 100,     // lParam dx, dy packed
    TEN_SETCHARFORMAT = WM_USER + 101,
    TEN_GETCHARFORMAT = WM_USER + 102,
    TEN_SETZOOM = WM_USER + 103,            // wParam zoom, lParam non-zero forces
    TEN_UPDATEPOSITION2 = WM_USER + 105,
    TEN_SETALIGNMENT = WM_USER + 106,
    TEN_GETALIGNMENT = WM_USER + 107,
    TEN_SETREFERENCEDC = WM_USER + 108,
    TEN_SETWRAP = WM_USER + 110,
    TEN_GETWRAP = WM_USER + 111,
    TEN_LOADTEXTBLOCK = WM_USER + 112,      // wParam 2 repaint, 0x100 no auto-size
    TEN_GETTEXT = WM_USER + 113,            // wParam 0x400 whole text
    TEN_SETEXTENT = WM_USER + 114,
    TEN_GETMODIFIED = WM_USER + 115,
    TEN_SETMODIFIED = WM_USER + 116,
    TEN_SETORIGIN = WM_USER + 117,
    TEN_SETMARGINS = WM_USER + 118,
    TEN_REPAINTALL = WM_USER + 119,
    TEN_SETSELECTION = WM_USER + 120,       // lParam start low, end high 16 bits
    TEN_GETSELECTION = WM_USER + 121,
    TEN_EDITCHAR = WM_USER + 122,
    TEN_REPLACESELECTION = WM_USER + 123,
    TEN_SETWHOLETEXTMODE = WM_USER + 124,
    TEN_SETBACKCOLOR = WM_USER + 126,
    TEN_NOOP = WM_USER + 128,
    TEN_GETPARAGRAPHTABLE = WM_USER + 130,
    TEN_WORDSTEPFORWARD = WM_USER + 131,
    TEN_WORDSTEPBACKWARD = WM_USER + 132,
    TEN_GETTEXTHEIGHT = WM_USER + 133,
    TEN_GETLINECOUNT = WM_USER + 134,
    TEN_ADJUSTPARAGRAPHSPACING = WM_USER + 135,
    TEN_GETFORMATVALUE = WM_USER + 136,
    TEN_SELECTPARAGRAPHS = WM_USER + 137,
    TEN_SAVEUNDO = WM_USER + 139,
    TEN_GETOPTIONS = WM_USER + 143,
    TEN_SETOPTIONS = WM_USER + 144,
    TEN_GETTEXTLENGTH = WM_USER + 145,
    TEN_CHANGEFLAGS = WM_USER + 146,
    TEN_GETUNDOKIND = WM_USER + 147,
    TEN_PLACECARET = WM_USER + 153,
    TEN_SETREGIONS = WM_USER + 155,
    TEN_RELEASEFONTS = WM_USER + 157,
    TEN_REMAKEFONTS = WM_USER + 158,
    TEN_FONTDIALOG = WM_USER + 159,
    TEN_GETEDITORKIND = WM_USER + 160,
    TEN_SHOWORHIDE = WM_USER + 162,
    TEN_GETPARAGRAPHFORMAT = WM_USER + 165,
    TEN_FINDORADDPARAGRAPHFORMAT = WM_USER + 166,
    TEN_SETVERTICALALIGN = WM_USER + 167,
    TEN_GETVERTICALALIGN = WM_USER + 168,
    TEN_SETPALETTE = WM_USER + 169,
    TEN_FRAMERECT = WM_USER + 170,
};

constexpr UINT kTenFirstTableMessage = WM_USER + 101;
constexpr UINT kTenLastTableMessage = WM_USER + 170;

// Edit flags carried in wParam by the messages that change text, format or layout.
constexpr WPARAM TenEditLayout = 0x1;
constexpr WPARAM TenEditRepaint = 0x2;
constexpr WPARAM TenEditNoAutoSize = 0x100;
constexpr WPARAM TenEditUndo = 0x800;
constexpr WPARAM TenSelectNearEnd = 0x4000;   // TEN_SETSELECTION: the fourth line from the end
constexpr LPARAM TenSelectAll = 0x7D000000;

// The notices the view takes are the program's own messages (commands.h).
enum TenNotification : UINT {
    TenNoticePress = WM_USER + 104,           // posted: key flags, press point
    TenNoticeResize = VXM_EDITORSIZE,         // sent: editor, pointer to width and height
    TenNoticeEmptied = WM_USER + 125,         // sent
    TenNoticeFaceStyle = VXM_TEXTSTYLEFLAGS,  // posted: mask, style summary and face
    TenNoticeSizeFormat = VXM_TEXTSCRIPT,     // posted: mask, packed size and format summary
    TenNoticeFarBelowBands = WM_USER + 141,   // posted
    TenNoticeWordDrag = WM_USER + 148,        // sent
    TenNoticeCursor = WM_USER + 149,          // posted
    TenNoticeOverflow = WM_USER + 150,        // sent, wParam 1 overflowing or 0
    TenNoticeSelection = WM_USER + 154,       // posted, wParam 1 non-empty, 0 empty
    TenNoticeBlockTooLarge = VXM_TEXTTOOLONG, // posted
    TenNoticeViewRect = VXM_EDITORVIEWRECT,   // sent: pointer to a rectangle the parent fills
    TenNoticeDragOut = VXM_EDITORDRAGOUT,     // sent
    TenNoticeUndoSnapshot = VXM_EDITORUNDOSAVED,     // sent
    TenNoticeWholeTextFormat = VXM_PAGETEXTDEFAULT, // sent
};

// The private scroll code of WM_HSCROLL and WM_VSCROLL: scroll by the distance in the high word.
constexpr WORD kTenScrollBy = 98;
