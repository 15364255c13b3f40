// Documents of older versions: their stored state and records brought up to the current form.
#pragma once

#include <windows.h>

struct DocumentState;

// Upgrades a stored state of another version and the store's other records. Refused (1003)
// until older versions can be read.
int ConvertOldDocument(DocumentState* state, int storeSlot);
