// Resource identifiers shared by the resource script and the code.
#pragma once

// 8 x 8 one-bit pattern bitmaps.
#define IDB_GREY_CHECKER 10002

// String table.
#define IDS_OPTIONS_FILE 518
#define IDS_OPTIONS_STORE 522
#define IDS_OPTIONS_STORE_OLDER 526
#define IDS_OPTIONS_PREVIOUS 534
#define IDS_DEFAULT_FACE 524
#define IDS_DEFAULT_CHARSET 525
#define IDS_FONT_FACE_OVERRIDE 529
#define IDS_FONT_CHARSET_OVERRIDE 530
#define IDS_FONT_HEIGHT_OVERRIDE 531
#define IDS_TEMPLATE_FOLDER 537
#define IDS_UNIT_NONE 600
#define IDS_DEFAULT_LIBRARY 700     // 700 to 703: the four default libraries
#define IDS_NORMAL_TEXT 800

// The standard style table (custom resource type "STDSTYLE").
#define IDR_STDSTYLE 1000

// Pictures of the Make Shape and Shape to Line hint dialogs.
#define IDB_MAKESHAPE_HINT 501
#define IDB_SHAPETOLINE_HINT 502
