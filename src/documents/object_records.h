// One object's block of a drawing file (0x8022 .. 0x4022) with its attribute, geometry, picture
// and text records.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

struct DocumentState;

// Reads through 0x4022 with the 0x8022 record of `length` bytes in the record buffer and
// appends the object to the drawing.
int ReadObjectBlock(HFILE file, HWND view, DocumentState* state, Drawing* drawing,
                    ObjectList* objects, ZOrderList* order, DWORD length);
// Writes the object's block; ids it names are written through MapWrittenObjectId.
int WriteObjectBlock(HFILE file, DocumentState* state, DrawObject* object);
void InitObjectDefaults(Drawing* drawing, DrawObject* object);
