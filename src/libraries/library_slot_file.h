// A slot's library file: creating a library from the Save dialog, loading one into a slot,
// naming its items and compacting it.
#pragma once

#include <windows.h>

// Runs the Save dialog for a new library (in the libraries folder) and makes it at the chosen
// path (262 bytes, out). 0 on success, 1 when the user cancelled, else the error after message
// 17 was shown. A slot that shows the chosen file loses its window; a saved entry that names it
// takes this slot's saved library, and this slot then names the new file.
int CreateLibraryFile(int slot, char* path);

// Loads the library at the path into the slot, which first gives up the library it held (its
// placement saved, its store compacted when items were removed, then closed). 0; -1 for a later
// version (message 4 by the caller); 1 when the item table is short, lacks its magic or is
// damaged; else the store's error (message 5 by the caller). A slot with a window shows the new
// library with its first item as the current Vexlet. A failed load leaves the slot as it was
// when the file itself was refused, and without a library when it failed after the slot took it.
int LoadLibraryFile(int slot, LPCSTR path);

// Stores the name record 202/n of the slot's library; the name is cut in place to what fits.
int SetLibraryItemName(int slot, int recordNumber, char* name);

// Compacts the slot's store file; message 40 when compaction fails. Clears the slot's
// compaction-needed flag in any case. 0 or the store's error.
int CompactLibraryFile(int slot);
