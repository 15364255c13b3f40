// The private clipboard store: Copy and Cut put a whole copy of the document's store into it,
// Paste merges the drawing it holds into the target drawing.
//
// The ClipboardStore is the block store file "VEXLRK3.CLP" (string 519) in the Windows
// folder, open in g_clipboardStoreSlot for the whole run. It holds at most one copy: a whole
// document store (records 100/*, the tables 110/0, 111/0, 115/0, 118/0 and the data records of
// the kept objects). The 2-byte ClipboardToken under "VXPICT" says that it holds the last copy.
// The file outlives the run and any program may put "VXPICT" on the clipboard, so Paste checks
// every count, row, class, hint and text record it reads before anything is merged.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

struct DocumentState;

// The token set under "VXPICT": its content is never read.
using ClipboardToken = WORD;

// Copy (`copy` TRUE) or the copying half of Cut: the whole document into the store, the
// unselected objects deleted there, the token on the clipboard when something was selected.
int CopyToClipboardStore(HWND view, DocumentState* state, Drawing* drawing, BOOL copy);

// Deletes every record of the clipboard store, last type and last record first.
int ClearClipboardStore();

// Merges the clipboard store's drawing into `drawing`: the pasted objects come after the
// existing rows, selected, with new ids, group ids, text and data records, their block's
// top-left corner at `point` (none: the context-menu point, else GetPastePosition). The font
// list and slot map, when given, are taken over and freed; otherwise they are read from the
// store's records 100/104 and 100/103.
int PasteFromClipboardStore(DocumentState* state, Drawing* drawing, const POINT* point, HGLOBAL fontList,
                            HGLOBAL slotMap);

// Rewrites the font slots of a pasted text record (a store block holding a TextBlock) through
// the translation table (an i32 count, then the target slot of each pasted slot); a slot
// outside the table takes the target's slot 0.
void RemapTextFontSlots(HGLOBAL slotTable, HGLOBAL textRecord);

// A new movable copy of the clipboard's CF_DIB data, sized by its own block; none when the
// clipboard cannot be opened, offers no CF_DIB or memory runs out.
HGLOBAL GetClipboardDibCopy();

// Copies record (type, fromId) of one store to (type, toId) of another (or the same) store,
// byte for byte; the new block comes back for the caller to adjust and release.
int CopyStoreRecord(int fromSlot, int type, int fromId, int toSlot, int toId, HGLOBAL* copy);

// Copies the attachment of object `fromId` (record 117) to object `toId`; none is not an error.
// Record ids end at 32,767: an attachment that would need a larger id gives 1.
int CopyAttachment(int fromSlot, int fromId, int toSlot, int toId);
