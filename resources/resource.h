// Resource identifiers shared by the resource script and the code.
#pragma once

// The command ids and the program's window messages: the code reads the enums, the resource
// compiler the same command names as macros generated from them.
#ifdef RC_INVOKED
#include "command_ids.rh"
#else
#include "commands.h"
#endif

// 8 x 8 one-bit pattern bitmaps, loaded in this order by the start-up.
#define IDB_PATTERN_DIAGONAL 10001
#define IDB_GREY_CHECKER 10002
#define IDB_PATTERN_LIGHT 10003
#define IDB_GRID_HLINE 10004
#define IDB_GRID_DOT 10005
#define IDB_GRID_VLINE 10006

// Icons of the frame and of document windows.
#define IDI_VEXLOR 1001
#define IDI_DRAWING 1002

// Cursor resources of the cursor table (the others are system cursors).
#define IDCUR_ARROW 1000
#define IDCUR_HELP 1002
#define IDCUR_MOVE 1009
#define IDCUR_ZOOMIN 1010
#define IDCUR_ZOOMOUT 1011
#define IDCUR_ARROWMOVE 1012
#define IDCUR_ANCHOR 1013
#define IDCUR_PEN 1014
#define IDCUR_DRAGPAGE 1015
#define IDCUR_ATTACHMENT 1016
#define IDCUR_ROTATE 1017

// String table: messages.
#define IDS_LOAD_FAILED 0
#define IDS_LATER_VERSION 4
#define IDS_NOT_A_DRAWING 5
#define IDS_DISK_FULL 6
#define IDS_CANNOT_OPEN 7
#define IDS_OPEN_LOW_MEMORY 8
#define IDS_TOO_MANY_DOCUMENTS 9
#define IDS_CANNOT_SAVE 10
#define IDS_LOW_MEMORY 11
#define IDS_TOO_MANY_FONTS 13
#define IDS_TEXT_TOO_LONG 14
#define IDS_UNABLE_TO_UNDO 16
#define IDS_DISK_OR_MEMORY 17
#define IDS_SELECT_TWO 24
#define IDS_ALIGN_OUTSIDE 25
#define IDS_ALIGN_HOOKED 27
#define IDS_HOOKED_MOVE 28
#define IDS_OUTSIDE_DRAWING 29
#define IDS_TOO_MANY_OBJECTS 30
#define IDS_HOOKED_TWICE 31
#define IDS_NO_SIZE 35
#define IDS_NOTHING_TO_SIZE 36
#define IDS_NO_ATTACHMENT 48
#define IDS_ATTACHMENT_MISSING 49
#define IDS_CLEAR_ATTACHMENTS 50
#define IDS_GROUP_LINKED 52
#define IDS_CONVERT_OLDER 53
#define IDS_CONVERT_OLDER_SAVE_AS 54
#define IDS_SPACE_THREE 55
#define IDS_TOO_MANY_LINKS 56
#define IDS_ALLOW_DRIVE_REMOVAL 61
#define IDS_DRIVE_REMOVED 62
#define IDS_READ_ONLY_SAVE 63
#define IDS_READ_ONLY_OPEN 64
// A damaged drawing opened as far as it could be read, and a line for each kind of loss.
#define IDS_DAMAGED_FILE 65
#define IDS_LOST_OBJECTS 69
#define IDS_LOST_LINKS 70
#define IDS_LOST_GROUPS 71
#define IDS_LOST_TEXTS 72
#define IDS_HOOKED_FLIP 66
#define IDS_NOTHING_TO_CENTER 68
#define IDS_NO_BROWSER 73
#define IDS_NO_DOCUMENT_PROGRAM 74

// String table: words, menu texts and file names.
#define IDS_UNTITLED 500
#define IDS_SAVE_CHANGES 501
#define IDS_UPDATE_OBJECT 505
#define IDS_BEFORE_PROCEEDING 506
#define IDS_CLOSE_AND_RETURN 507
#define IDS_CLOSE 508
#define IDS_SAVE_COPY_AS 509
#define IDS_SAVE_AS 510
#define IDS_UPDATE 511
#define IDS_SAVE 512
#define IDS_TEXT_PLACEHOLDER 514
#define IDS_HELP_FILE 517
#define IDS_OPTIONS_FILE 518
#define IDS_CLIP_FILE 519
#define IDS_OPTIONS_STORE 522
#define IDS_DEFAULT_FACE 524
#define IDS_DEFAULT_CHARSET 525
#define IDS_OPTIONS_STORE_OLDER 526
#define IDS_FONT_FACE_OVERRIDE 529
#define IDS_FONT_CHARSET_OVERRIDE 530
#define IDS_FONT_HEIGHT_OVERRIDE 531
#define IDS_APP_TITLE 533
#define IDS_OPTIONS_PREVIOUS 534
#define IDS_TEMPLATE_FOLDER 537
#define IDS_UNIT_NONE 600           // + unit: the unit's name
#define IDS_UNIT_SUFFIX 620         // + unit: the suffix of a length label in that unit
#define IDS_DEFAULT_LIBRARY 700     // 700 to 703: the four default libraries
#define IDS_NORMAL_TEXT 800
#define IDS_UNDO_LABEL 2500         // + the undo label: the Undo item's text
#define IDS_REDO_LABEL 2501         // + the undo label: the item's text after an undo

// String table: file dialog filters and titles, attachment hints.
#define IDS_FILTER_DRAWINGS 1000
#define IDS_FILTER_PICTURES 1001
#define IDS_FILTER_LIBRARIES 1003
#define IDS_FILTER_PROGRAMS 1005
#define IDS_FILTER_DOCUMENTS 1006
#define IDS_TITLE_EXPORT 1050
#define IDS_TITLE_IMPORT 1051
#define IDS_TITLE_SAVE 1053
#define IDS_TITLE_OPEN_LIBRARY 1054
#define IDS_TITLE_CREATE_LIBRARY 1055
#define IDS_TITLE_ATTACH_DRAWING 1056
#define IDS_TITLE_ATTACH_FILE 1057
#define IDS_TITLE_ATTACH_PROGRAM 1058
#define IDS_ATTACH_HINT 3600        // + attachment kind: the hint of the attachment dialog
#define IDS_RUN_PROGRAM 3604

// The standard style table (custom resource type "STDSTYLE").
#define IDR_STDSTYLE 1000

// Pictures of the Make Shape and Shape to Line hint dialogs.
#define IDB_MAKESHAPE_HINT 501
#define IDB_SHAPETOLINE_HINT 502

#ifndef RC_INVOKED
// The cursor table: 18 cursors chosen everywhere by index (SetCursorByIndex).
enum CursorIndex : int {
    CursorArrow = 0,
    CursorBusy = 1,
    CursorHelp = 2,
    CursorIBeam = 3,
    CursorCross = 4,
    CursorSizeNESW = 5,
    CursorSizeNWSE = 6,
    CursorSizeNS = 7,
    CursorSizeWE = 8,
    CursorMove = 9,
    CursorZoomIn = 10,
    CursorZoomOut = 11,
    CursorArrowMove = 12,
    CursorAnchor = 13,
    CursorPen = 14,
    CursorDragPage = 15,
    CursorAttachment = 16,
    CursorRotate = 17,
    CursorCount = 18,
};
#endif
