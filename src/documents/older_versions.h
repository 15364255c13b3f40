// Drawings of older versions (version words 0-3): their stored state and the records of their
// store widened in place to the current layouts.
#pragma once

#include <windows.h>

#include "documents/older_layouts.h"

struct DocumentState;

// Upgrades the 400-byte state as read from record (100, 101) and every record of the store in
// `storeSlot`. 0, 10008 for a version above 4, 1003 for a negative version or damaged records
// (checked before anything changes), 10010 / 10011 for more objects / links than a drawing
// holds, or the first store error. Every changed record is marked dirty.
int ConvertOldDocument(DocumentState* state, int storeSlot);

// Clears the picture fields of every picture chunk (records 113, then 112): 0, 1003 for a
// chunk too short to hold them, or a store error.
int ResetConvertedPictures(DocumentState* state, int storeSlot);

// Sign-extends `narrow` into `wide`.
void WidenRect16(RECT* wide, const OldRect16* narrow);
