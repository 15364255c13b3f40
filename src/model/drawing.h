// The drawing model's records in a store: creating, opening and closing a drawing, and typed
// access to its locked tables.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"
#include "store/memory_blocks.h"
#include "store/results.h"

// A movable block locked as a record type for the guard's lifetime. A table must not stay
// locked across a resize of that same table: the store may move its memory.
template <typename T>
class Locked {
public:
    explicit Locked(HGLOBAL block) : lock_(block) {}
    T* get() const { return reinterpret_cast<T*>(lock_.get()); }
    T* operator->() const { return get(); }
    T& operator*() const { return *get(); }
    explicit operator bool() const { return lock_.get() != nullptr; }
    void Unlock() { lock_.Unlock(); }

private:
    BlockLock lock_;
};

// The object list's present address while a caller's lock holds it: a call that grows the list
// (a new length label, say) can move the block, and the caller reads it again here.
inline ObjectList* PresentObjectList(const Drawing* drawing)
{
    ObjectList* list = static_cast<ObjectList*>(GlobalLock(drawing->objectList));
    if (list) GlobalUnlock(drawing->objectList);
    return list;
}

// Damaged drawing tables (counts that do not fit their records, a z-order that is not a
// permutation of the rows, a hook count above 2) are refused like a failed read.
constexpr int kDamagedDrawing = ErrFileIO;

// Adds the four empty tables (ObjectList, ZOrderList, LinkIndex, group table, each 20 bytes)
// under `listId` and fills the existing (100, 105) record as a new drawing from the program's
// defaults. The handle of the Drawing goes to `drawing`; null on failure.
int CreateDrawing(HWND view, int storeSlot, int listId, int pageWidth, int pageHeight,
                  int pendingMessage, HGLOBAL* drawing);

// Loads a stored drawing and its tables, binds them to the view, clears the transient object
// states and recounts the selection. Stored counts are checked against their records.
int OpenDrawing(HWND view, int storeSlot, int listId, int pendingMessage, HGLOBAL* drawing);

// Releases the blocks of the drawing and its four tables; the store keeps them cached.
void CloseDrawing(HGLOBAL drawing);

// A process-wide count of changes that may add, remove, move, resize or re-order objects of any
// drawing: bumped when a drawing is created, opened or closed, by every class message that is
// not a pure query, by every repaint of an object's area and by the model's record changes.
// Caches of object geometry (the view's hit index) stay valid only while it is unchanged.
DWORD ModelChangeCount();
void NoteModelChange();
