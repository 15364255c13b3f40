// Resource identifiers shared by the resource script and the code.
#pragma once

// 8 x 8 one-bit pattern bitmaps.
#define IDB_GREY_CHECKER 10002

// String table.
#define IDS_OPTIONS_FILE 518
#define IDS_DEFAULT_FACE 524
#define IDS_DEFAULT_CHARSET 525
#define IDS_TEMPLATE_FOLDER 537
#define IDS_UNIT_NONE 600

// Pictures of the Make Shape and Shape to Line hint dialogs.
#define IDB_MAKESHAPE_HINT 501
#define IDB_SHAPETOLINE_HINT 502
