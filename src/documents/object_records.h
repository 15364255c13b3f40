// One object's block of a drawing file (0x8022 .. 0x4022) with its attribute, text-frame, hook
// and attachment records; the geometry, picture and text records it holds have files of their
// own (geometry_records.h, text_stream.h).
//
// Invariants of the object block:
//  1. The file names objects by paint position 0..n-1 (own id, label partner, hook targets,
//     array members, link table); after reading, the object at position i has id i + 1 and
//     every reference read is mapped the same way (MapReadObjectId). 0xFFFF stays "none".
//  2. Attribute records (0x23, 0x24, 0x25) are written only when they differ from the
//     drawing's defaults (g_attributeDefaults); an absent record reads as the default.
//  3. Data records of a read object (path, outline, layout, pictures) are added to the store
//     under fresh ids of their type; ids in the file only name them inside the file. A text
//     keeps the id its text block gives (text_stream.h).
//  4. An object is appended only at its 0x4022, when its class and kind are known, no picture
//     header waits for its data and the tables have room; otherwise all its records are read
//     and it is dropped.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

struct DocumentState;

constexpr WORD kOpObject = 0x8022;
constexpr WORD kOpFill = 0x23;
constexpr WORD kOpBorder = 0x24;
constexpr WORD kOpLine = 0x25;
constexpr WORD kOpTextFrame = 0x26;
constexpr WORD kOpHook = 0x28;
constexpr WORD kOpAttachment = 0x30;

constexpr DWORD kObjectRecordSize = 72;
constexpr DWORD kTextFrameRecordSize = 72;
constexpr int kLargestShapeKind = 26;      // a custom outline
constexpr int kLargestConnectorType = 1;

struct BorderAttributes {
    INT32 width;
    INT32 style;
    COLORREF color;
};
struct FillAttributes {
    INT32 pattern;
    COLORREF color;
};
struct LineAttributes {
    INT32 width;
    INT32 style;
    COLORREF color;
    INT32 arrowSize;
    INT32 arrowStart;
    INT32 arrowEnd;
};

// The defaults object attributes are coded against while one drawing block is read or written.
struct AttributeDefaults {
    BorderAttributes border;
    LineAttributes line;
    FillAttributes fill;
};
extern AttributeDefaults g_attributeDefaults;

// Border: default border width, style 1, the style's line colour; line: default line width,
// style 1, the style's line-of-lines colour, no arrowheads, size 0; fill: pattern 1, the style's
// fill colour.
void SetAttributeDefaults(const Drawing* drawing);

// The group every object read belongs to until the drawing block ends it: id 0 and row -1 for
// none. Set by the drawing block reader.
extern INT32 g_currentGroupId;
extern INT32 g_currentGroupRow;

// The id an object named by paint position `fileId` has after reading; 0xFFFF stays 0xFFFF.
INT32 MapReadObjectId(WORD fileId);

// Reads through 0x4022 with the 0x8022 record of `length` bytes in the record buffer and
// appends the object to the locked tables. An object of an unknown class or kind, or one the
// tables have no room for, is read and dropped.
int ReadObjectBlock(HFILE file, HWND view, DocumentState* state, Drawing* drawing,
                    ObjectList* objects, ZOrderList* order, DWORD length);
// Writes the object's block; ids it names are written through MapWrittenObjectId.
int WriteObjectBlock(HFILE file, DocumentState* state, DrawObject* object);
// The starting values of an object being read.
void InitObjectDefaults(Drawing* drawing, DrawObject* object);
// Takes a 0x26 record of `length` bytes from the record buffer; fields it lacks keep their
// values.
void ReadTextFrameRecord(DrawObject* object, DWORD length);
int WriteTextFrameRecord(HFILE file, const DrawObject* object);

bool SameBorderAsDefault(const BorderAttributes& standard, const BorderAttributes& values);
bool SameLineAsDefault(const LineAttributes& standard, const LineAttributes& values);
bool SameFillAsDefault(const FillAttributes& standard, const FillAttributes& values);
