// The program's one WM_COMMAND id space (menus, accelerators, palette buttons, right-button items,
// library commands) and its own window messages. The resource script sees CommandId as macros
// of the same names, generated from this enum at build time (tools/mkids.py): keep every value
// a plain number so the generator can read it.
#pragma once

#include <windows.h>

enum CommandId : int {
    // A pressed icon button told to stop tracking; never reaches the frame's dispatcher.
    CMD_CANCEL_TRACKING = 100,

    // File (101-199), recent files from 120.
    CMD_FILE_FIRST = 101,
    CMD_NEW = 101,
    CMD_OPEN = 102,
    CMD_CLOSE = 103,
    CMD_SAVE = 104,
    CMD_SAVE_AS = 105,
    CMD_PRINTER_SETUP = 106,
    CMD_PRINT = 107,
    CMD_EXPORT = 108,
    CMD_IMPORT = 109,
    CMD_EXIT = 110,
    CMD_SEND_ONE = 112,
    CMD_SEND_ALL = 113,
    CMD_PRINT_PREVIEW = 114,
    CMD_RECENT_FILE_FIRST = 120,
    CMD_RECENT_FILE_LAST = 123,
    CMD_PALETTE_NEW = 150,     // palette button: never offers the template choice
    CMD_PALETTE_PRINT = 151,   // palette button: prints without the Print dialog
    CMD_FILE_LAST = 199,

    // Edit (201-299).
    CMD_EDIT_FIRST = 201,
    CMD_UNDO = 201,
    CMD_CUT = 202,
    CMD_COPY = 203,
    CMD_PASTE = 204,
    CMD_CLEAR = 205,
    CMD_DUPLICATE = 206,
    CMD_COLORS_AND_SHADOWS = 207,
    CMD_EDIT_TOOLBAR = 208,
    CMD_OPTIONS = 209,
    CMD_SELECT_ALL = 218,
    CMD_EDIT_LAST = 299,

    // View (301-399).
    CMD_VIEW_FIRST = 301,
    CMD_FIT_TO_WINDOW = 301,
    CMD_ZOOM50 = 302,
    CMD_ZOOM75 = 303,
    CMD_ZOOM100 = 304,
    CMD_ZOOM150 = 305,
    CMD_ZOOM200 = 306,
    CMD_FIT_TO_PAGE = 307,
    CMD_ZOOM_CUSTOM = 308,
    CMD_SHOW_TOOLBAR = 314,
    CMD_RULERS_AND_GRID = 315,
    CMD_SHOW_GRID = 316,
    CMD_ZOOM_IN = 325,    // palette button Scale up
    CMD_ZOOM_OUT = 326,   // palette button Scale down
    CMD_VIEW_LAST = 399,

    // Shapes (401-499).
    CMD_SHAPES_FIRST = 401,
    CMD_TEXT_SIZING = 401,
    CMD_SHAPE_SIZING = 402,
    CMD_EDIT_SHAPE_OUTLINE = 403,
    CMD_SHAPES_LAST = 499,

    // Lines (501-599).
    CMD_LINES_FIRST = 501,
    CMD_ARROWHEADS = 501,
    CMD_JOIN_LINES = 502,
    CMD_SHOW_LENGTH = 503,
    CMD_LINES_LAST = 599,

    // Text (601-699).
    CMD_TEXT_FIRST = 601,
    CMD_TYPEFACE = 601,
    CMD_SUPERSCRIPT = 602,
    CMD_SUBSCRIPT = 603,
    CMD_UNDERLINE = 604,
    CMD_BOLD = 606,
    CMD_ITALIC = 607,
    CMD_TEXT_SHADOW = 608,
    CMD_INSERT_SYMBOL = 609,
    // The alignment grid: last digit 0 left, 1 right, 2 centre, 3 flush; tens 2 top, 3 bottom,
    // 4 middle.
    CMD_ALIGN_TOP_LEFT = 620,
    CMD_ALIGN_TOP_RIGHT = 621,
    CMD_ALIGN_TOP_CENTER = 622,
    CMD_ALIGN_TOP_FLUSH = 623,
    CMD_ALIGN_BOTTOM_LEFT = 630,
    CMD_ALIGN_BOTTOM_RIGHT = 631,
    CMD_ALIGN_BOTTOM_CENTER = 632,
    CMD_ALIGN_BOTTOM_FLUSH = 633,
    CMD_ALIGN_MIDDLE_LEFT = 640,
    CMD_ALIGN_MIDDLE_RIGHT = 641,
    CMD_ALIGN_MIDDLE_CENTER = 642,
    CMD_ALIGN_MIDDLE_FLUSH = 643,
    CMD_BULLETS_NONE = 650,   // 651-654 the four bullet pictures
    CMD_BULLETS_LAST = 654,
    CMD_TEXT_LAST = 699,

    // Draw (701-799).
    CMD_DRAW_FIRST = 701,
    CMD_BRING_TO_FRONT = 701,
    CMD_SEND_TO_BACK = 702,
    CMD_LOCK_OBJECT = 703,
    CMD_USE_SNAPS = 705,
    CMD_LINES_LINK = 706,
    CMD_SHAPES_LINK = 707,
    CMD_HIDE_SHADOW = 708,
    CMD_FLIP_HORIZONTAL = 709,
    CMD_FLIP_VERTICAL = 710,
    CMD_GROUP = 711,
    CMD_UNGROUP = 712,
    CMD_CENTER_ON_PAGE = 713,
    CMD_ALIGN_LEFTS = 720,
    CMD_ALIGN_RIGHTS = 721,
    CMD_ALIGN_CENTERS = 722,
    CMD_ALIGN_TOPS = 723,
    CMD_ALIGN_MIDDLES = 724,
    CMD_ALIGN_BOTTOMS = 725,
    CMD_SAME_WIDTH = 730,
    CMD_SAME_HEIGHT = 731,
    CMD_SAME_SIZE = 732,
    CMD_OPEN_ATTACHMENT = 740,
    CMD_ATTACH_FILE = 741,
    CMD_CLEAR_ATTACHMENT = 745,
    CMD_SPACE_HORIZONTALLY = 750,
    CMD_SPACE_VERTICALLY = 751,
    CMD_SPACE_BOTH = 752,
    CMD_ROTATE_HORIZONTAL = 760,
    CMD_ROTATE_UP = 761,
    CMD_ROTATE_DOWN = 763,
    CMD_ROTATE_ANGLE = 764,
    CMD_DRAW_LAST = 799,

    // Window (801-899); the MDI client lists the document windows from 820.
    CMD_WINDOW_FIRST = 801,
    CMD_CASCADE = 807,
    CMD_TILE = 808,
    CMD_FIRST_DOCUMENT_WINDOW = 820,
    CMD_WINDOW_LAST = 899,

    // Help, hints and context-help mode (901-999).
    CMD_HELP_FIRST = 901,
    CMD_HELP_SEARCH = 901,
    CMD_HELP_CONTENTS = 902,
    CMD_HELP_MENUS = 903,
    CMD_HELP_ON_HELP = 904,
    CMD_ABOUT = 905,
    CMD_TIPS = 906,
    CMD_WEB_PAGE = 908,
    CMD_SUPPORT_PAGE = 909,
    CMD_HINT_CONN = 994,        // posted: the first connector was created
    CMD_HINT_SHAPE_LINK = 995,   // posted: the first hook of a shape
    CMD_HINT_LINE_LINK = 996,    // posted: the first hook of a line
    CMD_MENU_HINT = 997,        // posted: a menu closed
    CMD_HELP_MODE_ON = 998,
    CMD_HELP_MODE_OFF = 999,
    CMD_HELP_LAST = 999,

    // Libraries (1001-1099); 1051 + slot opens the library of that slot (slots 0 to 15).
    CMD_LIBRARIES_FIRST = 1001,
    CMD_OPEN_LIBRARY = 1001,
    CMD_NEW_LIBRARY = 1002,
    CMD_CLOSE_LIBRARY = 1003,
    CMD_ADD_ITEM = 1004,
    CMD_EDIT_ITEM = 1005,
    CMD_REMOVE_ITEM = 1006,
    CMD_SMALL_BUTTONS = 1007,
    CMD_MEDIUM_BUTTONS = 1008,
    CMD_LARGE_BUTTONS = 1009,
    CMD_ITEM_NAMES = 1010,
    CMD_DETACH_TOOLBAR = 1011,
    CMD_LIBRARY_LIST = 1050,    // acts like CMD_OPEN_LIBRARY
    CMD_LIBRARY_SLOT_FIRST = 1051,
    CMD_LIBRARY_SLOT_LAST = 1066,
    CMD_LIBRARIES_LAST = 1099,

    // Style ranges: one class message to every selected object with the id's distance from the
    // range's base as the value.
    CMD_SHADING_FIRST = 1100,        // fill pattern: id - 1100
    CMD_SHADING_LAST = 1199,
    CMD_BORDER_WIDTH_FIRST = 1200,    // border width: id - 1200
    CMD_BORDER_WIDTH_LAST = 1299,
    CMD_BORDER_STYLE_FIRST = 1300,    // border style: id - 1300
    CMD_BORDER_STYLE_LAST = 1399,
    CMD_SHAPE_KIND_BASE = 1399,       // shape kind: id - 1399
    CMD_SHAPE_KIND_FIRST = 1400,
    CMD_SHAPE_KIND_LAST = 1499,
    CMD_CONNECTOR_LAYOUT_FIRST = 1601,   // connector layout: id - 1601
    CMD_CONNECTOR_LAYOUT_LAST = 1699,
    CMD_LINE_WIDTH_FIRST = 1800,      // line width: id - 1800
    CMD_LINE_WIDTH_LAST = 1899,
    CMD_LINE_STYLE_BASE = 1900,       // line style: id - 1900
    CMD_LINE_STYLE_FIRST = 1901,
    CMD_LINE_STYLE_LAST = 1999,
    CMD_LINE_SHAPE_SLOT = 2400,       // the slot's plain item until the menu first opens; the base
    CMD_LINE_SHAPE_FIRST = 2401,      // line shape: id - 2400 (2401 plain, 2402 zigzag, 2403
    CMD_LINE_SHAPE_LAST = 2499,       // steps, 2404 arc, then the connector routes)

    // Colour ranges: the standard-colour index is the id's distance from the first id; index
    // 48 is no colour.
    CMD_LINE_COLOR_FIRST = 3001,
    CMD_LINE_COLOR_LAST = 3099,
    CMD_FILL_COLOR_FIRST = 3101,
    CMD_FILL_NO_COLOR = 3149,
    CMD_FILL_COLOR_LAST = 3199,
    CMD_TEXT_COLOR_FIRST = 3201,
    CMD_TEXT_COLOR_LAST = 3299,
    CMD_BACKGROUND_COLOR_FIRST = 3301,
    CMD_BACKGROUND_NO_COLOR = 3349,
    CMD_BACKGROUND_COLOR_LAST = 3399,
    CMD_BORDER_COLOR_FIRST = 3401,
    CMD_BORDER_COLOR_LAST = 3499,

    // F1 pressed in a dialog or a menu.
    CMD_DIALOG_HELP = 30001,
};

// The program's own window messages.
enum PrivateMessage : UINT {
    // To the frame.
    VXM_LOWMEMORY = WM_USER + 201,      // shows the low-memory warning
    VXM_FLUSHFONTS = WM_USER + 202,     // posted by the font cache when it holds too many fonts
    VXM_TOOMANYFONTS = WM_USER + 203,   // posted once when flushing no longer helps
    VXM_HANDOVER = WM_USER + 204,       // a second start: wParam print flag, lParam global atom of a path
    // To the view, from its text editor.
    VXM_EDITORSIZE = WM_USER + 109,          // editor window, size request; the answer is the result
    VXM_TEXTSTYLEFLAGS = WM_USER + 129,      // style flags, style bits; passed on to the palette
    VXM_TEXTSCRIPT = WM_USER + 138,          // flags, script value; passed on to the palette
    VXM_TEXTTOOLONG = WM_USER + 156,         // the text cannot be stored
    VXM_EDITORVIEWRECT = WM_USER + 161,      // 0, rectangle the view fills
    VXM_EDITORDRAGOUT = WM_USER + 163,       // 0, point of a press outside the text
    VXM_EDITORUNDOSAVED = WM_USER + 164,     // the editor saved its own undo
    VXM_PAGETEXTDEFAULT = WM_USER + 171,     // selector, value of a page text default
};
